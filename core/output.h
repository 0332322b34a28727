// Output primitives: every decoder writes its text through these, at the
// writer's position, one call for each field. The formatting primitives
// (AppendText, AppendHexByte, AppendDec3, AppendDec1, AppendFormat,
// AppendFormatInt, the number primitives AppendDecimal, AppendUnsigned and
// AppendHexNumber, and AppendDottedDecimal) leave one uncounted blank right
// after their characters, which the next write overwrites; the copying
// primitives (AppendLabel, LookupValueName) write nothing after the text.
// Each returns the number of characters it wrote.
//
// The speed of the decoders lives here, so that they can stay plain lists
// of fields. The small primitives are defined in this header so that they
// are inlined where they are called: the length of a constant text is then
// known when compiling, and its copy is a few moves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "core/frame_view.h"
#include "core/text_writer.h"
#include "core/value_names.h"

namespace korvex {

// "\n" and six blanks: starts every row of a hex dump.
inline constexpr const char* HexDumpIndent = "\n      ";

inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

// The text unchanged (a % in it is not interpreted).
KORVEX_INLINE int AppendText(TextWriter& w, const char* text) {
    const std::size_t n = text == nullptr ? 0 : std::strlen(text);
    w.WriteWithBlank(text, n);
    return static_cast<int>(n);
}

// A constant text with its length, measured when compiling. A null text is
// an empty entry: it writes nothing.
struct Word {
    constexpr Word(const char* t)
        : text(t), length(t == nullptr ? 0 : static_cast<uint32_t>(std::char_traits<char>::length(t))) {}
    constexpr Word(std::nullptr_t) : text(nullptr), length(0) {}
    constexpr Word(std::string_view t) : text(t.data()), length(static_cast<uint32_t>(t.size())) {}

    const char* text;
    uint32_t length;
};

// The same as AppendText of the word's text.
KORVEX_INLINE int AppendText(TextWriter& w, Word word) {
    w.WriteWithBlank(word.text, word.length);
    return static_cast<int>(word.length);
}

// The two texts one after the other, as two AppendText calls write them:
// the start of a line made of a prefix and a field's name, say.
KORVEX_INLINE int AppendText(TextWriter& w, Word first, Word second) {
    w.WriteTwoWithBlank(first.text, first.length, second.text, second.length);
    return static_cast<int>(first.length + second.length);
}

// Two lower-case hex digits of the low 8 bits ("%02x").
KORVEX_INLINE int AppendHexByte(TextWriter& w, uint32_t value) {
    const char digits[2] = {kLowerHexDigits[(value >> 4) & 0x0F], kLowerHexDigits[value & 0x0F]};
    w.WriteWithBlank(digits, 2);
    return 2;
}

// The decimal text of every octet value followed by blanks, and the number
// of its digits: "7   " 1, "42  " 2, "255 " 3; and with leading zeros,
// "007 ".
struct OctetDecimal {
    char text[4];
    uint8_t digits;
};

inline constexpr auto kOctetDecimals = [] {
    std::array<OctetDecimal, 256> decimals{};
    for (int v = 0; v < 256; ++v) {
        OctetDecimal& d = decimals[static_cast<std::size_t>(v)];
        uint8_t n = 0;
        if (v >= 100) d.text[n++] = static_cast<char>('0' + v / 100);
        if (v >= 10) d.text[n++] = static_cast<char>('0' + v / 10 % 10);
        d.text[n++] = static_cast<char>('0' + v % 10);
        d.digits = n;
        for (; n < 4; ++n) d.text[n] = ' ';
    }
    return decimals;
}();

inline constexpr auto kOctetDecimals3 = [] {
    std::array<std::array<char, 4>, 256> decimals{};
    for (int v = 0; v < 256; ++v) {
        decimals[static_cast<std::size_t>(v)] = {static_cast<char>('0' + v / 100), static_cast<char>('0' + v / 10 % 10),
                                                 static_cast<char>('0' + v % 10), ' '};
    }
    return decimals;
}();

// Three decimal digits with leading zeros of the low 8 bits ("%03d").
KORVEX_INLINE int AppendDec3(TextWriter& w, uint32_t value) {
    const std::array<char, 4>& digits = kOctetDecimals3[value & 0xFF];
    if (char* p = w.Reserve(3)) {
        std::memcpy(p, digits.data(), 4);  // the digits and the trailing blank
        w.Commit(3);
    } else {
        w.WriteWithBlank(digits.data(), 3);
    }
    return 3;
}

// The decimal value of the low 8 bits without leading zeros ("%01d").
KORVEX_INLINE int AppendDec1(TextWriter& w, uint32_t value) {
    const OctetDecimal& d = kOctetDecimals[value & 0xFF];
    const int n = d.digits;
    if (char* p = w.Reserve(3)) {
        // The digits and the trailing blank, n + 1 characters, as two
        // overlapping pairs.
        std::memcpy(p, d.text, 2);
        std::memcpy(p + n - 1, d.text + n - 1, 2);
        w.Commit(n);
    } else {
        w.WriteWithBlank(d.text, static_cast<std::size_t>(n));
    }
    return n;
}

// A printf-style format applied to two integers (a format may use one).
int AppendFormat(TextWriter& w, const char* format, int32_t first, int32_t second);

// A printf-style format applied to one integer.
int AppendFormatInt(TextWriter& w, const char* format, int32_t value);

// The decimal digits of magnitude, behind a minus sign when negative is set.
int AppendMagnitude(TextWriter& w, uint32_t magnitude, bool negative);

// The signed decimal of value, as "%d" writes it. The value of an octet, the
// common case, is the octet table's text.
KORVEX_INLINE int AppendDecimal(TextWriter& w, int32_t value) {
    if (static_cast<uint32_t>(value) <= 0xFF) return AppendDec1(w, static_cast<uint32_t>(value));
    const bool negative = value < 0;
    return AppendMagnitude(w, negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value), negative);
}

// The unsigned decimal of value, as "%u" writes it.
KORVEX_INLINE int AppendUnsigned(TextWriter& w, uint32_t value) {
    if (value <= 0xFF) return AppendDec1(w, value);
    return AppendMagnitude(w, value, false);
}

// Lower-case hex digits of value, at least width of them with leading zeros,
// as "%0<width>x" writes it (width 0 or 1: "%x").
int AppendHexNumber(TextWriter& w, uint32_t value, int width);

// A label text followed by AppendDecimal / AppendUnsigned of the value.
KORVEX_INLINE void AppendLabelDecimal(TextWriter& w, const char* label, int32_t value) {
    AppendText(w, label);
    AppendDecimal(w, value);
}

KORVEX_INLINE void AppendLabelUnsigned(TextWriter& w, const char* label, uint32_t value) {
    AppendText(w, label);
    AppendUnsigned(w, value);
}

// Four hex digits, the two bytes with nothing between them ("0a1b").
KORVEX_INLINE void AppendHexPair(TextWriter& w, uint32_t first, uint32_t second) {
    const char digits[4] = {kLowerHexDigits[(first >> 4) & 0x0F], kLowerHexDigits[first & 0x0F],
                            kLowerHexDigits[(second >> 4) & 0x0F], kLowerHexDigits[second & 0x0F]};
    w.WriteWithBlank(digits, 4);
}

// A label text followed by AppendHexPair.
KORVEX_INLINE void AppendLabelHexPair(TextWriter& w, const char* label, uint32_t first, uint32_t second) {
    AppendText(w, label);
    AppendHexPair(w, first, second);
}

// Hex dump of count octets of the frame from cursor on: "xx " per octet,
// 24 octets a row, each row after HexDumpIndent (the first one only when
// leadingBreak is set). Octets outside the frame are never read: the dump
// stops at the frame's end. Leaves cursor after the last octet dumped and
// count at 0.
void AppendHexDump(TextWriter& w, const FrameView& frame, int32_t& cursor, int32_t& count,
                   bool leadingBreak);

// The hex trace block of a whole frame: "\nHEX TRACE:" and a hex dump of
// every octet with the leading break.
void AppendHexTrace(TextWriter& w, const FrameView& frame);

// The name of key in table tableId; when the table has no row for it,
// fallback instead (nothing for a null fallback). Nothing follows the name.
KORVEX_INLINE void AppendValueName(TextWriter& w, int tableId, uint32_t key, Word fallback = nullptr) {
    if (LookupValueName(tableId, key, w) == 0 && fallback.text != nullptr) AppendText(w, fallback);
}

// Entry index of a list of words. An empty entry writes nothing; an index
// past the list writes fallback (nothing for a null fallback). No text
// outside the list is ever read.
KORVEX_INLINE void AppendWord(TextWriter& w, std::span<const Word> words, uint32_t index, Word fallback = nullptr) {
    const Word word = index < words.size() ? words[index] : fallback;
    if (word.text != nullptr) AppendText(w, word);
}

// The octets first .. first + count - 1 of the frame (count 1 to 16) in
// decimal joined by dots, as "%d.%d.%d.%d" writes four, left-aligned in
// width characters filled with blanks; a longer text is not cut. Octets
// outside the frame read as 0. Returns the characters written.
int AppendDottedDecimal(TextWriter& w, const FrameView& frame, int32_t first, int32_t count, int width);

// Entry index of the shared label list, copied with nothing after it.
KORVEX_INLINE void AppendLabel(TextWriter& w, int index) {
    const std::string_view text = LabelView(index);
    w.Write(text.data(), text.size());
}

// The value of count bytes, most significant first; bytes beyond the fourth
// from the end fold onto the same bit positions again. 0 for count <= 0.
uint32_t ReadBigEndianFolded(const unsigned char* bytes, int32_t count);

KORVEX_INLINE uint32_t ReadBigEndian(const unsigned char* bytes, int32_t count) {
    if (bytes == nullptr || count <= 0) return 0;
    switch (count) {
        case 1:
            return bytes[0];
        case 2:
            return static_cast<uint32_t>(bytes[0]) << 8 | bytes[1];
        case 4:
            return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                   static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
        default:
            return ReadBigEndianFolded(bytes, count);
    }
}

// 1 when every bit of the mask's low 8 bits is set in the value's low 8
// bits, else 0.
KORVEX_INLINE int TestBits(uint32_t value, uint32_t mask) {
    const uint32_t m = mask & 0xFF;
    return (value & m) == m ? 1 : 0;
}

}  // namespace korvex
