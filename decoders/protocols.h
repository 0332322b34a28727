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

struct ProtocolAlias {
    const char* alias;  // another name a protocol goes by
    const char* name;   // the protocol's name in the table
};

// Every protocol, in table order.
std::span<const Protocol> Protocols();

// The other names accepted for the protocols.
std::span<const ProtocolAlias> ProtocolAliases();

// The table's name for a protocol name as a user may type it: any case, and
// the other names a protocol goes by ("ethernet", "ipv4", "q921", "q922");
// null for a name the library does not know.
const char* CanonicalProtocolName(std::string_view name);

// The decoder of a protocol name (matched as CanonicalProtocolName does), or
// null for a name the library does not know.
KorvexDecoder FindProtocol(std::string_view name);

// The accepted names, in table order.
std::vector<std::string> ProtocolNames();

}  // namespace korvex
