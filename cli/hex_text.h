// Hex digit pairs typed by a person: "0801 05", "08 01 05", "0a0B".
#pragma once

#include <string_view>
#include <vector>

namespace korvex::cli {

// Appends the octets of text to octets: pairs of hex digits in either case,
// blanks (spaces and tabs) allowed between pairs. Returns false, with octets
// unchanged, when text holds anything else or a digit without its partner.
bool ParseHexPairs(std::string_view text, std::vector<unsigned char>& octets);

// True when text holds nothing but blanks.
bool IsBlank(std::string_view text);

}  // namespace korvex::cli
