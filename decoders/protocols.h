// The protocols of the library, one row each in decoders/protocols.cpp: the
// one table that the tool (its protocol names and its capture routing), the
// exported lookups and so every binding, the viewer, the fuzz harnesses and
// their seeds, the benchmarks and the tests read. A protocol is added with
// its decoder folder, its tables, its tests, its sample trace and its row.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/korvex.h"

namespace korvex {

// A capture link type whose frames a protocol decodes.
struct LinkType {
    int number;            // the link type of pcap and pcapng captures
    const char* name;      // for people: "Linux LAPD"
    int32_t pseudoHeader;  // octets in front of each frame, taken off before decoding
    bool withoutFcs;       // frames are captured without the FCS the line carried
};

// A frame that shows what the protocol carries: a fuzz seed, a benchmark
// frame, a frame every test of the table decodes.
struct ExampleFrame {
    const char* what;  // what the frame is, for people
    const char* hex;   // its octets as hex digit pairs, blanks allowed
};

// One row of the table. Its lists are held by the row itself: a row is the
// whole of what the library knows of a protocol.
struct Protocol {
    const char* name;                               // as typed on the command line: "lapd"
    std::initializer_list<const char*> aliases;     // other names it goes by: "q921"
    KorvexDecoder decoder;                          // its entry point
    const char* label;                              // for people, as the viewer's status line shows it
    uint32_t flags;                                 // the decode flags besides DECODE_DETAIL and DECODE_HEX that
                                                    // change its text (DECODE_LAYER3, DECODE_EMBEDDED)
    std::initializer_list<LinkType> linkTypes;      // capture link types that carry its frames
    const char* sample;                             // its sample trace, under samples/
    std::initializer_list<const char*> extendedSamples;  // traces under samples/ to read with DECODE_EXTENDED
    std::initializer_list<const char*> tests;       // the test files of its decoder, under tests/
    std::initializer_list<ExampleFrame> examples;   // frames for fuzz seeds and benchmarks
};

// Every protocol, in table order.
std::span<const Protocol> Protocols();

// The row of a protocol name as a user may type it: any case, and the other
// names a protocol goes by ("ethernet", "ipv4", "q921", "q922"); null for a
// name the library does not know.
const Protocol* ProtocolNamed(std::string_view name);

// The table's name for a name as typed (matched as ProtocolNamed does), or
// null.
const char* CanonicalProtocolName(std::string_view name);

// The decoder of a name as typed (matched as ProtocolNamed does), or null.
KorvexDecoder FindProtocol(std::string_view name);

// The accepted names, in table order.
std::vector<std::string> ProtocolNames();

// True when the protocol's frames end in the FCS of the line, which its
// captures leave off (a link type of its own captured without it).
bool EndsInLinkFcs(const Protocol& protocol);

// The octets of an example frame.
std::vector<unsigned char> ExampleOctets(const ExampleFrame& frame);

}  // namespace korvex
