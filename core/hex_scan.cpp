#include "core/hex_scan.h"

#include <string_view>

namespace korvex {

constexpr std::array<uint8_t, 256> kHexValues = [] {
    std::array<uint8_t, 256> values{};
    for (int c = 0; c < 256; ++c) values[static_cast<std::size_t>(c)] = 16;
    for (int c = '0'; c <= '9'; ++c) values[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) values[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) values[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'A' + 10);
    return values;
}();

constexpr std::array<uint16_t, 65536> kPairValues = [] {
    // Only the pairs of digits are set one by one: few enough steps for any
    // compiler's limit on evaluation when compiling.
    std::array<uint16_t, 65536> values{};
    values.fill(kBadPair);
    constexpr std::string_view kDigits = "0123456789ABCDEFabcdef";
    for (char second : kDigits) {
        for (char first : kDigits) {
            const uint8_t high = kHexValues[static_cast<unsigned char>(first)];
            const uint8_t low = kHexValues[static_cast<unsigned char>(second)];
            values[static_cast<unsigned char>(first) + 256 * std::size_t{static_cast<unsigned char>(second)}] =
                static_cast<uint16_t>(high << 4 | low);
        }
    }
    return values;
}();

}  // namespace korvex
