// The command-line tool's reading of typed hex text, under the fuzzer. The
// input is what a person might type: it is read whole and line by line as
// the tool reads standard input. Each reading must agree with a plain one:
// the text is words between blanks (spaces and tabs), every word an even
// number of hex digits of either case, two digits to an octet.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/hex_text.h"
#include "fuzz/properties.h"

namespace {

using korvex::fuzz::Check;

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

std::optional<std::vector<unsigned char>> OctetsOf(std::string_view text) {
    std::vector<unsigned char> octets;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlankChar(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !IsBlankChar(text[end])) ++end;
        const std::string_view word = text.substr(i, end - i);
        if (word.size() % 2 != 0) return std::nullopt;
        for (std::size_t k = 0; k < word.size(); k += 2) {
            const int high = korvex::fuzz::PlainHexValue(word[k]);
            const int low = korvex::fuzz::PlainHexValue(word[k + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            octets.push_back(static_cast<unsigned char>(high << 4 | low));
        }
        i = end;
    }
    return octets;
}

void CheckText(std::string_view whole) {
    // In a buffer of exactly its size, so that a read past it is seen.
    std::unique_ptr<char[]> copy(new char[whole.size()]);
    if (!whole.empty()) std::memcpy(copy.get(), whole.data(), whole.size());
    const std::string_view text(copy.get(), whole.size());

    // Octets already gathered stay; new ones are appended behind them.
    const std::vector<unsigned char> before = {0x5a, 0x00, 0xff};
    std::vector<unsigned char> octets = before;
    const bool parsed = korvex::cli::ParseHexPairs(text, octets);
    const std::optional<std::vector<unsigned char>> expected = OctetsOf(text);
    Check(parsed == expected.has_value(), "hex text accepted exactly when it is hex digit pairs",
          std::string(text));
    std::vector<unsigned char> want = before;
    if (expected) want.insert(want.end(), expected->begin(), expected->end());
    Check(octets == want, parsed ? "the octets of the pairs appended" : "refused text leaves the octets as they were",
          std::string(text));

    bool blank = true;
    for (char c : text) blank = blank && IsBlankChar(c);
    Check(korvex::cli::IsBlank(text) == blank, "blank exactly when only spaces and tabs", std::string(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckText(text);
    // Line by line as standard input is read: a carriage return before the
    // line feed goes with it.
    for (std::string_view line : korvex::fuzz::PlainLines(text)) CheckText(line);
    return 0;
}
