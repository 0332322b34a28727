// The protocols the command-line tool decodes, by the names it accepts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "replay/replay.h"

namespace korvex::cli {

struct Protocol {
    const char* name;     // as typed on the command line
    DecoderEntry decoder;
};

// The decoder of a protocol name, or null for a name the tool does not know.
DecoderEntry FindProtocol(std::string_view name);

// The accepted names, in table order.
std::vector<std::string> ProtocolNames();

}  // namespace korvex::cli
