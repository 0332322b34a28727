// A frame as one JSON Lines object: its number, timestamp, direction,
// protocol and length, the fields it is selected on (the names of --where),
// its summary line and detail lines (each split into the protocol tag, the
// label and the value), and its octets in hex.
//
// The decoders' text is kept exactly: the summary line, then each detail
// line as tag + ": " + label + ": " + value, the ": " left out where tag or
// label is empty, give the text back (without its closing line ends).
// Octets above 0x7F are written as \u0080 to \u00ff.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

#include "korvex/korvex.h"

namespace korvex::cli {

struct JsonFrame {
    int64_t number = 0;
    const char* timestamp = "";
    char direction = ' ';
    const char* protocol = "";
    const unsigned char* octets = nullptr;
    int32_t length = 0;
};

// Writes the object and its line end; fields may be null (then none are written).
void WriteFrameJson(std::ostream& out, const JsonFrame& frame, const KorvexFrameFields* fields,
                    std::string_view text);

// Writes text as a JSON string, quotes included. Octets above 0x7F are
// written as \u0080 to \u00ff, or as they are when utf8 says the text is
// UTF-8.
void WriteJsonString(std::ostream& out, std::string_view text, bool utf8 = false);

}  // namespace korvex::cli
