#include "cli/frame_output.h"

namespace korvex::cli {

namespace {

// Colours of the viewer's trace view, as 24-bit terminal colours.
constexpr const char* kUserSideEscape = "\x1b[38;2;12;1;227m";
constexpr const char* kOtherSideEscape = "\x1b[38;2;35;108;18m";
constexpr const char* kResetEscape = "\x1b[0m";

constexpr int32_t kEthernetHeader = 14;

// Writes one frame's text, each line coloured by the frame's direction.
void WriteColoured(std::ostream& out, std::string_view text, char direction) {
    const char* escape = direction == 'U' ? kUserSideEscape : kOtherSideEscape;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        out << escape;
        out.write(text.data() + start, static_cast<std::streamsize>(stop - start));
        out << kResetEscape;
        if (end == std::string_view::npos) break;
        out.put('\n');
        start = end + 1;
    }
}

}  // namespace

TraceOutput::TraceOutput(std::ostream& out, DecoderEntry decoder, uint32_t flags, bool coloured)
    : out_(out), decoder_(decoder), flags_(flags), coloured_(coloured) {}

void TraceOutput::Emit(const TraceFrame& frame) {
    Write(DecodeWhole(decoder_, flags_, frame.timestamp, frame.bytes, frame.length, buffer_),
          frame.direction);
    if (ip_ != nullptr && frame.length > kEthernetHeader && frame.bytes[12] == 0x08 &&
        frame.bytes[13] == 0x00) {
        Write(DecodeWhole(ip_, flags_, frame.timestamp, frame.bytes + kEthernetHeader,
                          frame.length - kEthernetHeader, buffer_),
              frame.direction);
    }
}

void TraceOutput::Write(int32_t length, char direction) {
    if (coloured_) {
        WriteColoured(out_, std::string_view(buffer_.data(), static_cast<std::size_t>(length)),
                      direction);
    } else {
        out_.write(buffer_.data(), length);
    }
}

}  // namespace korvex::cli
