#include "core/output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/value_names.h"

namespace korvex {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// One printf-style write: the formatted characters, then the uncounted blank.
// The formats are the decoders' own constant texts with at most two integer
// fields, so they always fit the local buffer.
int AppendPrintf(TextWriter& w, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0) n = 0;
    if (static_cast<std::size_t>(n) >= sizeof text) n = sizeof text - 1;
    w.Write(text, static_cast<std::size_t>(n));
    w.TrailingBlank();
    return n;
}

}  // namespace

int AppendText(TextWriter& w, const char* text) {
    std::size_t n = text == nullptr ? 0 : std::strlen(text);
    w.Write(text, n);
    w.TrailingBlank();
    return static_cast<int>(n);
}

int AppendHexByte(TextWriter& w, uint32_t value) {
    w.Put(kHexDigits[(value >> 4) & 0x0F]);
    w.Put(kHexDigits[value & 0x0F]);
    w.TrailingBlank();
    return 2;
}

int AppendDec3(TextWriter& w, uint32_t value) {
    uint32_t v = value & 0xFF;
    w.Put(static_cast<char>('0' + v / 100));
    w.Put(static_cast<char>('0' + v / 10 % 10));
    w.Put(static_cast<char>('0' + v % 10));
    w.TrailingBlank();
    return 3;
}

int AppendDec1(TextWriter& w, uint32_t value) {
    uint32_t v = value & 0xFF;
    int n = 1;
    if (v >= 100) {
        w.Put(static_cast<char>('0' + v / 100));
        ++n;
    }
    if (v >= 10) {
        w.Put(static_cast<char>('0' + v / 10 % 10));
        ++n;
    }
    w.Put(static_cast<char>('0' + v % 10));
    w.TrailingBlank();
    return n;
}

int AppendFormat(TextWriter& w, const char* format, int32_t first, int32_t second) {
    return AppendPrintf(w, format, first, second);
}

int AppendFormatInt(TextWriter& w, const char* format, int32_t value) {
    return AppendPrintf(w, format, value);
}

void AppendHexPair(TextWriter& w, uint32_t first, uint32_t second) {
    AppendHexByte(w, first);
    AppendHexByte(w, second);
}

void AppendLabelHexPair(TextWriter& w, const char* label, uint32_t first, uint32_t second) {
    AppendText(w, label);
    AppendHexPair(w, first, second);
}

void AppendHexDump(TextWriter& w, const FrameView& frame, int32_t& cursor, int32_t& count,
                   bool leadingBreak) {
    if (leadingBreak) AppendText(w, HexDumpIndent);
    int column = 0;
    while (count > 0 && frame.Has(cursor)) {
        uint8_t octet = frame.At(cursor);
        w.Put(kHexDigits[octet >> 4]);
        w.Put(kHexDigits[octet & 0x0F]);
        w.Put(' ');
        ++cursor;
        column += 3;
        if (column == 72) {
            AppendText(w, HexDumpIndent);
            column = 0;
        }
        --count;
    }
    w.TrailingBlank();
    count = 0;
}

void AppendHexTrace(TextWriter& w, const FrameView& frame) {
    AppendText(w, "\nHEX TRACE:");
    int32_t cursor = 0;
    int32_t count = frame.Size();
    AppendHexDump(w, frame, cursor, count, true);
}

void AppendLabel(TextWriter& w, int index) {
    const char* text = LabelText(index);
    if (text != nullptr) w.Write(text, std::strlen(text));
}

uint32_t ReadBigEndian(const unsigned char* bytes, int32_t count) {
    if (bytes == nullptr || count <= 0) return 0;
    uint32_t result = 0;
    for (int32_t d = 0; d < count; ++d) {
        uint32_t shift = static_cast<uint32_t>(8 * d) % 32;
        result |= static_cast<uint32_t>(bytes[count - 1 - d]) << shift;
    }
    return result;
}

int TestBits(uint32_t value, uint32_t mask) {
    uint32_t m = mask & 0xFF;
    return (value & m) == m ? 1 : 0;
}

}  // namespace korvex
