#include "replay/trace_writer.h"

#include <algorithm>
#include <string>

namespace korvex {

namespace {

constexpr const char* kHeaderLine = "Offset  Data                                              Text\n";
constexpr int32_t kOctetsPerLine = 16;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// A control character would break the line layout: it is written as a blank.
char Printable(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F ? ' ' : c;
}

// Writes text padded with blanks to width characters (cut when longer).
void Padded(std::string& line, const std::string& text, std::size_t width) {
    line.append(text, 0, std::min(text.size(), width));
    line.append(width - std::min(text.size(), width), ' ');
}

}  // namespace

TraceWriter::TraceWriter(std::ostream& out) : out_(out) {}

void TraceWriter::Write(const char* timestamp, char direction, const unsigned char* bytes,
                        int32_t length) {
    length = std::clamp<int32_t>(length, 0, kMaxWrittenLength);
    ++frames_;
    std::string text;
    text.reserve(128 + static_cast<std::size_t>(length) * 4);

    // Timestamp line: the label in columns 1 to 24, the timestamp from 25.
    Padded(text, "Frame " + std::to_string(frames_), 24);
    const char* stamp = timestamp == nullptr ? "" : timestamp;
    for (std::size_t i = 0; i < 9 && stamp[i] != '\0'; ++i) text += Printable(stamp[i]);
    text += '\n';

    // Length line: the count from column 9, the direction in column 20.
    text += "Length: ";
    Padded(text, std::to_string(length), 11);
    text += Printable(direction);
    text += '\n';

    text += kHeaderLine;

    for (int32_t offset = 0; offset < length; offset += kOctetsPerLine) {
        const int32_t count = std::min(kOctetsPerLine, length - offset);
        for (int shift = 12; shift >= 0; shift -= 4) text += kHexDigits[(offset >> shift) & 0xF];
        text += ':';
        for (int32_t i = 0; i < count; ++i) {
            const unsigned char octet = bytes[offset + i];
            text += ' ';
            text += kHexDigits[octet >> 4];
            text += kHexDigits[octet & 0xF];
        }
        text += "  ";
        for (int32_t i = 0; i < count; ++i) {
            const unsigned char octet = bytes[offset + i];
            text += octet >= 0x20 && octet <= 0x7E ? static_cast<char>(octet) : '.';
        }
        text += '\n';
    }
    text += '\n';
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace korvex
