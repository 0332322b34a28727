#include "cli/hex_text.h"

#include "replay/trace_reader.h"

namespace korvex::cli {

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ParseHexPairs(std::string_view text, std::vector<unsigned char>& octets) {
    const std::size_t before = octets.size();
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlankChar(text[i])) {
            ++i;
            continue;
        }
        const int high = HexDigitValue(text[i]);
        const int low = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : 16;
        if (high > 15 || low > 15) {
            octets.resize(before);
            return false;
        }
        octets.push_back(static_cast<unsigned char>(high << 4 | low));
        i += 2;
    }
    return true;
}

bool IsBlank(std::string_view text) {
    for (char c : text) {
        if (!IsBlankChar(c)) return false;
    }
    return true;
}

}  // namespace korvex::cli
