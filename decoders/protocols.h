// The protocols of the library by their short names: the one table that the
// tool, the exported lookup functions and so every binding read. A decoder
// joins them all with one row in decoders/protocols.cpp.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/korvex.h"

namespace korvex {

struct Protocol {
    const char* name;     // as typed on the command line
    KorvexDecoder decoder;
};

// Every protocol, in table order.
std::span<const Protocol> Protocols();

// The decoder of a protocol name, or null for a name the library does not know.
KorvexDecoder FindProtocol(std::string_view name);

// The accepted names, in table order.
std::vector<std::string> ProtocolNames();

}  // namespace korvex
