// Value-name table of the LAPF multiprotocol encapsulation (table id 40):
// the network layer protocol identifiers (NLPID) that may follow the
// control octet of a UI frame.
#pragma once

#include "core/value_names.h"

namespace korvex {

inline constexpr ValueName kNlpidNames[] = {
    {0x08, "Q.933"},
    {0x80, "SNAP"},
    {0x81, "ISO CLNP"},
    {0x82, "ISO ES-IS"},
    {0x83, "ISO IS-IS"},
    {0x8E, "IPv6"},
    {0xB0, "Data Compression"},
    {0xB1, "Fragmentation"},
    {0xCC, "IPv4"},
    {0xCF, "PPP"},
};

}  // namespace korvex
