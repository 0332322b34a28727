// Writes frames as hex trace text, in the layout TraceReader reads back:
//   Frame 12                12:01.250      label, the timestamp in columns 25 to 33
//   Length: 46         U                   the octet count from column 9, the direction in column 20
//   Offset  Data ... Text                  the header line
//   0000: 08 01 01 05 ...  ....            offset, up to 16 octets in upper-case hex, two
//                                          blanks, the octets' printable rendering
//   (empty line)
// Text goes to the stream as it is written; nothing is kept between frames.
#pragma once

#include <cstdint>
#include <ostream>

namespace korvex {

class TraceWriter {
public:
    // The longest frame written; the four-digit offsets of the data lines
    // reach no further. Longer frames are cut to this.
    static constexpr int32_t kMaxWrittenLength = 65536;

    explicit TraceWriter(std::ostream& out);

    // Writes one frame. The timestamp's first 9 characters are written (the
    // reader takes no more); length octets from bytes, at least 1. Control
    // characters in the timestamp or as the direction are written as blanks.
    void Write(const char* timestamp, char direction, const unsigned char* bytes, int32_t length);

    int64_t FramesWritten() const { return frames_; }

private:
    std::ostream& out_;
    int64_t frames_ = 0;
};

}  // namespace korvex
