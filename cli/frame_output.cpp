#include "cli/frame_output.h"

#include <algorithm>

#include "cli/frame_json.h"
#include "core/output.h"
#include "core/text_writer.h"
#include "decoders/inet/arp.h"
#include "decoders/inet/ethernet.h"

namespace korvex::cli {

namespace {

// Colours of the viewer's trace view, as 24-bit terminal colours.
constexpr const char* kUserSideEscape = "\x1b[38;2;12;1;227m";
constexpr const char* kOtherSideEscape = "\x1b[38;2;35;108;18m";
constexpr const char* kResetEscape = "\x1b[0m";

constexpr int32_t kEthernetHeader = 14;
constexpr int32_t kEthernetType = 12;
constexpr int32_t kVlanTagSize = 4;

enum EtherType : uint32_t { kTypeIpv4 = 0x0800, kTypeArp = 0x0806, kTypeRarp = 0x8035, kTypeIpv6 = 0x86DD };

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

int32_t DescribeOtherIpVersion(DecodeRequest request) {
    TextWriter w(request.out, request.capacity);
    const FrameView datagram(request.frame, request.length);
    const int version = datagram.At(0) >> 4;
    AppendText(w, request.timestamp);
    if (version == 6) {
        AppendText(w, "  IPv6 datagram, not decoded");
    } else {
        AppendText(w, "  IP version ");
        AppendDecimal(w, version);
        AppendText(w, " datagram, not decoded");
    }
    if ((request.flags & DECODE_HEX) != 0) AppendHexTrace(w, datagram);
    AppendText(w, "\n");
    if ((request.flags & DECODE_DETAIL) != 0) AppendText(w, "\n");
    return w.Finish();
}

TraceOutput::TraceOutput(std::ostream& out, KorvexDecoder decoder, uint32_t flags, bool coloured)
    : out_(out), decoder_(decoder), flags_(flags), coloured_(coloured) {
    if (!coloured_) direct_ = dynamic_cast<OutputBuffer*>(out_.rdbuf());
}

KorvexDecoder TraceOutput::DecoderOf(const TraceFrame& frame) const {
    if (!onlyIpv4_ || frame.length <= 0 || frame.bytes[0] >> 4 == 4) return decoder_;
    const bool extended = (flags_ & DECODE_EXTENDED) != 0;
    return extended && ipv6_ != nullptr && frame.bytes[0] >> 4 == 6 ? ipv6_ : &DescribeOtherIpVersion;
}

TraceOutput::Payload TraceOutput::EthernetPayload(const TraceFrame& frame) const {
    if (ip_ == nullptr) return {};
    const auto typeAt = [&frame](int32_t at) {
        return static_cast<uint32_t>(frame.bytes[at]) << 8 | frame.bytes[at + 1];
    };
    const bool extended = (flags_ & DECODE_EXTENDED) != 0;
    int32_t type = kEthernetType;
    // A tag and the type behind it must both be in the frame.
    while (extended && type + kVlanTagSize + 2 <= frame.length && IsVlanTag(typeAt(type))) type += kVlanTagSize;
    const int32_t offset = type + 2;
    if (frame.length <= offset) return {};
    switch (typeAt(type)) {
        case kTypeIpv4:
            return {ip_, offset};
        case kTypeIpv6:
            return extended && ipv6_ != nullptr ? Payload{ipv6_, offset} : Payload{};
        case kTypeArp:
        case kTypeRarp:
            return extended ? Payload{&DecodeArp, offset} : Payload{};
        default:
            return {};
    }
}

void TraceOutput::Emit(const TraceFrame& frame, int64_t number) {
    if (!json_.empty()) {
        EmitJson(frame, number);
        return;
    }
    Decode(DecoderOf(frame), frame, frame.bytes, frame.length);
    if (const Payload payload = EthernetPayload(frame); payload.decoder != nullptr) {
        Decode(payload.decoder, frame, frame.bytes + payload.offset, frame.length - payload.offset);
    }
}

void TraceOutput::EmitJson(const TraceFrame& frame, int64_t number) {
    const uint32_t flags = flags_ & ~DECODE_HEX;
    int32_t n = DecodeWhole(DecoderOf(frame), flags, frame.timestamp, frame.bytes, frame.length, buffer_);
    text_.assign(buffer_.data(), static_cast<std::size_t>(n));
    if (const Payload payload = EthernetPayload(frame); payload.decoder != nullptr) {
        // The datagram's lines follow the Ethernet frame's.
        while (!text_.empty() && text_.back() == '\n') text_.pop_back();
        text_.push_back('\n');
        n = DecodeWhole(payload.decoder, flags, frame.timestamp, frame.bytes + payload.offset,
                        frame.length - payload.offset, buffer_);
        text_.append(buffer_.data(), static_cast<std::size_t>(n));
    }
    KorvexFrameFieldsOf(json_.c_str(), frame.direction, frame.bytes, frame.length, &fields_);
    const JsonFrame object{number, frame.timestamp, frame.direction, json_.c_str(), frame.bytes, frame.length};
    WriteFrameJson(out_, object, &fields_, text_);
}

void TraceOutput::Decode(KorvexDecoder decoder, const TraceFrame& frame, const unsigned char* bytes,
                         int32_t length) {
    if (tagDirection_) {
        const char tag[2] = {frame.direction == 'U' || frame.direction == 'N' ? frame.direction : '-', ' '};
        if (coloured_) {
            WriteColoured(out_, std::string_view(tag, 1), frame.direction);
            out_.put(' ');
        } else {
            out_.write(tag, 2);
        }
    }
    // Frames of a hex trace (at most 96 octets) give far less text than
    // this; longer captured frames take the general path when they do not
    // fit, as they would without the buffer.
    constexpr std::size_t kFrameRoom = 64 * 1024;
    if (direct_ != nullptr && direct_->Size() > kFrameRoom) {
        std::size_t room = 0;
        char* at = direct_->Free(room);
        if (room <= kFrameRoom) {
            direct_->Drain();
            at = direct_->Free(room);
        }
        if (room > kFrameRoom) {
            const auto capacity = static_cast<int32_t>(std::min<std::size_t>(room, 1 << 30));
            const DecodeRequest request{flags_, frame.timestamp, bytes, at, length, capacity};
            const int32_t n = decoder(request);
            // Below capacity - 1 the text is whole; at capacity - 1 it may
            // have been cut: then it is decoded anew with room to spare.
            if (n < capacity - 1) {
                direct_->Commit(static_cast<std::size_t>(n));
                return;
            }
        }
    }
    Write(DecodeWhole(decoder, flags_, frame.timestamp, bytes, length, buffer_), frame.direction);
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
