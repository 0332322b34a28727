// Output primitives: every decoder writes its text through these, at the
// writer's position. The formatting primitives (AppendText, AppendHexByte,
// AppendDec3, AppendDec1, AppendFormat, AppendFormatInt) leave one uncounted
// blank right after their characters, which the next write overwrites; the
// copying primitives (AppendLabel, LookupValueName) write nothing after the
// text. Each returns the number of characters it wrote.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"

namespace korvex {

// "\n" and six blanks: starts every row of a hex dump.
inline constexpr const char* HexDumpIndent = "\n      ";

// The text unchanged (a % in it is not interpreted).
int AppendText(TextWriter& w, const char* text);

// Two lower-case hex digits of the low 8 bits ("%02x").
int AppendHexByte(TextWriter& w, uint32_t value);

// Three decimal digits with leading zeros of the low 8 bits ("%03d").
int AppendDec3(TextWriter& w, uint32_t value);

// The decimal value of the low 8 bits without leading zeros ("%01d").
int AppendDec1(TextWriter& w, uint32_t value);

// A printf-style format applied to two integers (a format may use one).
int AppendFormat(TextWriter& w, const char* format, int32_t first, int32_t second);

// A printf-style format applied to one integer.
int AppendFormatInt(TextWriter& w, const char* format, int32_t value);

// Four hex digits, the two bytes with nothing between them ("0a1b").
void AppendHexPair(TextWriter& w, uint32_t first, uint32_t second);

// A label text followed by AppendHexPair.
void AppendLabelHexPair(TextWriter& w, const char* label, uint32_t first, uint32_t second);

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

// Entry index of the shared label list, copied with nothing after it.
void AppendLabel(TextWriter& w, int index);

// The value of count bytes, most significant first; bytes beyond the fourth
// from the end fold onto the same bit positions again. 0 for count <= 0.
uint32_t ReadBigEndian(const unsigned char* bytes, int32_t count);

// 1 when every bit of the mask's low 8 bits is set in the value's low 8
// bits, else 0.
int TestBits(uint32_t value, uint32_t mask);

}  // namespace korvex
