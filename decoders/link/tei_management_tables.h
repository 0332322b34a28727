// Value-name table of the TEI management decoder (table id 39): the message
// types of the layer management entity, named as the detail block names
// frames.
#pragma once

#include "core/value_names.h"

namespace korvex {

inline constexpr ValueName kTeiMessageTypes[] = {
    {0x01, "Identity Request"},
    {0x02, "Identity Assigned"},
    {0x03, "Identity Denied"},
    {0x04, "Identity Check Request"},
    {0x05, "Identity Check Response"},
    {0x06, "Identity Remove"},
    {0x07, "Identity Verify"},
};

}  // namespace korvex
