#include "core/output.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>

namespace korvex {

namespace {

// One printf-style write of up to two integers: the formatted characters,
// then the uncounted blank. The formats are the callers' own constant texts,
// so they fit the local buffer; a longer text is cut there.
int AppendIntegers(TextWriter& w, const char* format, int32_t first, int32_t second, int argCount) {
    char text[1024];
    int n = argCount == 1 ? std::snprintf(text, sizeof text, format, first)
                          : std::snprintf(text, sizeof text, format, first, second);
    if (n < 0) n = 0;
    if (static_cast<std::size_t>(n) >= sizeof text) n = sizeof text - 1;
    w.WriteWithBlank(text, static_cast<std::size_t>(n));
    return n;
}

}  // namespace

namespace {

// "00" to "99": two decimal digits at a time.
constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The number of decimal digits of value: from its bit length, the estimate
// of the power of ten below it, corrected by one comparison.
int DecimalDigits(uint32_t value) {
    static constexpr uint32_t kPowers[] = {0,      10,      100,      1000,      10000,
                                           100000, 1000000, 10000000, 100000000, 1000000000};
    const int estimate = static_cast<int>((std::bit_width(value | 1u) * 1233u) >> 12);
    return estimate + (value >= kPowers[estimate] ? 1 : 0);
}

// Writes the decimal digits of value backwards, ending just before end.
void PutDigits(char* end, uint32_t value) {
    while (value >= 100) {
        const uint32_t pair = value % 100 * 2;
        value /= 100;
        *--end = kDigitPairs[pair + 1];
        *--end = kDigitPairs[pair];
    }
    if (value >= 10) {
        *--end = kDigitPairs[value * 2 + 1];
        *--end = kDigitPairs[value * 2];
    } else {
        *--end = static_cast<char>('0' + value);
    }
}

}  // namespace

// Straight into the buffer when the digits fit.
int AppendMagnitude(TextWriter& w, uint32_t magnitude, bool negative) {
    const int digits = DecimalDigits(magnitude);
    const int n = digits + (negative ? 1 : 0);
    if (char* p = w.Reserve(n)) {
        if (negative) *p = '-';
        PutDigits(p + n, magnitude);
        w.Commit(n);
    } else {
        char text[12];
        text[0] = '-';
        PutDigits(text + n, magnitude);
        for (int i = 0; i < n; ++i) w.Put(text[i]);  // as much as fits
    }
    w.TrailingBlank();
    return n;
}

int AppendHexNumber(TextWriter& w, uint32_t value, int width) {
    const int digits = std::max((static_cast<int>(std::bit_width(value)) + 3) / 4, 1);
    const int n = std::clamp(width, digits, 16);
    char text[16];
    char* to = w.Reserve(n);
    char* const start = to != nullptr ? to : text;
    // The digits from the last one back, then the leading zeros.
    for (int i = n - 1; i >= n - digits; --i, value >>= 4) start[i] = kLowerHexDigits[value & 0x0F];
    for (int i = n - digits - 1; i >= 0; --i) start[i] = '0';
    if (to != nullptr) {
        w.Commit(n);
    } else {
        for (int i = 0; i < n; ++i) w.Put(text[i]);  // as much as fits
    }
    w.TrailingBlank();
    return n;
}

int AppendFormat(TextWriter& w, const char* format, int32_t first, int32_t second) {
    return AppendIntegers(w, format, first, second, 2);
}

int AppendFormatInt(TextWriter& w, const char* format, int32_t value) {
    return AppendIntegers(w, format, value, 0, 1);
}

namespace {

// "xx " of every octet value, in four characters (the fourth is a blank too),
// so that one four-character store writes an octet and the next store
// overwrites the spare character.
constexpr auto kHexTriples = [] {
    std::array<std::array<char, 4>, 256> triples{};
    for (int v = 0; v < 256; ++v) {
        triples[static_cast<std::size_t>(v)] = {kLowerHexDigits[v >> 4], kLowerHexDigits[v & 0x0F], ' ', ' '};
    }
    return triples;
}();

constexpr int kRowOctets = 24;
constexpr std::size_t kIndentLength = 7;

// One row: octets "xx " and, after a full row, HexDumpIndent. to has room
// for the row and one character more. Returns the row's length.
std::size_t PutHexRow(char* to, const unsigned char* bytes, int32_t octets) {
    if (octets == kRowOctets) {
#pragma GCC unroll 24
        for (int32_t i = 0; i < kRowOctets; ++i) std::memcpy(to + 3 * i, kHexTriples[bytes[i]].data(), 4);
        std::memcpy(to + 3 * kRowOctets, HexDumpIndent, kIndentLength);
        return 3 * kRowOctets + kIndentLength;
    }
#pragma GCC unroll 4
    for (int32_t i = 0; i < octets; ++i) std::memcpy(to + 3 * i, kHexTriples[bytes[i]].data(), 4);
    return static_cast<std::size_t>(3 * octets);
}

}  // namespace

void AppendHexDump(TextWriter& w, const FrameView& frame, int32_t& cursor, int32_t& count,
                   bool leadingBreak) {
    if (leadingBreak) AppendText(w, HexDumpIndent);
    // Row by row: straight into the buffer where the row fits, else built
    // here and written through the writer's cut.
    constexpr auto kRowRoom = static_cast<int32_t>(kRowOctets * 3 + kIndentLength + 1);
    while (count > 0 && frame.Has(cursor)) {
        int32_t octets = count < kRowOctets ? count : kRowOctets;
        if (!frame.HasRange(cursor, octets)) octets = frame.Size() - cursor;
        const unsigned char* bytes = frame.Range(cursor, octets);
        cursor += octets;
        count -= octets;
        if (char* to = w.Reserve(kRowRoom)) {
            w.Commit(static_cast<int32_t>(PutHexRow(to, bytes, octets)));
        } else {
            char row[kRowRoom];
            w.Write(row, PutHexRow(row, bytes, octets));
        }
    }
    w.TrailingBlank();
    count = 0;
}

int AppendDottedDecimal(TextWriter& w, const FrameView& frame, int32_t first, int32_t count, int width) {
    constexpr int32_t kMostOctets = 16;
    constexpr int kRoom = 4 * kMostOctets + 4;
    count = std::clamp(count, 1, kMostOctets);
    width = std::clamp(width, 0, 4 * kMostOctets);
    // Straight into the buffer where the longest text fits, else built here
    // and written through the writer's cut.
    char text[kRoom];
    char* const reserved = w.Reserve(kRoom);
    char* const to = reserved != nullptr ? reserved : text;
    int n = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) to[n++] = '.';
        // Four characters whatever the count of digits: the digits and
        // blanks, which the next octet's text overwrites.
        const OctetDecimal& decimal = kOctetDecimals[frame.At(first + i)];
        std::memcpy(to + n, decimal.text, 4);
        n += decimal.digits;
    }
    if (n < width) {
        std::memset(to + n, ' ', static_cast<std::size_t>(width - n));
        n = width;
    }
    if (reserved != nullptr) {
        to[n] = ' ';
        w.Commit(n);
    } else {
        w.WriteWithBlank(text, static_cast<std::size_t>(n));
    }
    return n;
}

void AppendHexTrace(TextWriter& w, const FrameView& frame) {
    AppendText(w, "\nHEX TRACE:");
    int32_t cursor = 0;
    int32_t count = frame.Size();
    AppendHexDump(w, frame, cursor, count, true);
}

uint32_t ReadBigEndianFolded(const unsigned char* bytes, int32_t count) {
    if (bytes == nullptr || count <= 0) return 0;
    uint32_t result = 0;
    for (int32_t d = 0; d < count; ++d) {
        uint32_t shift = static_cast<uint32_t>(8 * d) % 32;
        result |= static_cast<uint32_t>(bytes[count - 1 - d]) << shift;
    }
    return result;
}

}  // namespace korvex
