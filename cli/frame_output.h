// The one path from frames to text that every streaming command shares: each
// frame is decoded as it comes and its text written at once, coloured by the
// frame's direction when asked. Memory stays flat whatever the number of
// frames: one frame's text is held at a time. When the stream writes through
// an OutputBuffer (the tool's standard output), uncoloured text is decoded
// straight into that buffer's free part.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/frame_filter.h"
#include "cli/output_buffer.h"
#include "replay/replay.h"
#include "replay/trace_reader.h"

namespace korvex::cli {

// A decoder-shaped writer for a datagram of a raw IP link whose version is
// not 4: "<timestamp>  IPv6 datagram, not decoded" (or "IP version N
// datagram, not decoded"), the hex trace with DECODE_HEX, the blank line
// behind a frame's text with DECODE_DETAIL.
int32_t DescribeOtherIpVersion(DecodeRequest request);

class TraceOutput {
public:
    TraceOutput(std::ostream& out, KorvexDecoder decoder, uint32_t flags, bool coloured);

    // From now on an Ethernet frame of type 0x0800 has the IPv4 datagram it
    // carries decoded by ip right after the Ethernet text.
    void DecodeIpAfterEthernet(KorvexDecoder ip) { ip_ = ip; }

    // From now on, with DECODE_EXTENDED in the flags, IPv6 datagrams go to
    // ipv6: those of a raw IP link, and with DecodeIpAfterEthernet those of
    // Ethernet frames of type 0x86DD; such frames also have their ARP and
    // reverse ARP packets decoded, and their VLAN tags stepped over to the
    // type behind them.
    void DecodeIpv6With(KorvexDecoder ipv6) { ipv6_ = ipv6; }

    // From now on frames are datagrams of a raw IP link, which may be of any
    // IP version: one whose version is not 4 gets the line of
    // DescribeOtherIpVersion instead of the decoder's text.
    void DecodeOnlyIpv4() { onlyIpv4_ = true; }

    // From now on only the frames filter selects are decoded (the others
    // are counted, not decoded).
    void Select(FrameFilter* filter) { filter_ = filter; }

    // From now on each summary line starts with the frame's direction tag
    // and a blank: "U " or "N ", "- " for a frame without one.
    void TagDirection() { tagDirection_ = true; }

    // From now on each frame is written as one JSON Lines object (see
    // frame_json.h) instead of its text; protocol names the frames' kind as
    // KorvexFrameFieldsOf takes it. The hex trace is left out of the text:
    // the object holds the octets.
    void Json(const std::string& protocol) { json_ = protocol; }

    // Decodes one frame and writes its text; number is the frame's number
    // in its trace.
    void Emit(const TraceFrame& frame, int64_t number);

    // Decodes every frame source.Next hands out that the filter selects;
    // returns the number of frames read. Reading stops after the last frame
    // a --frames range can select.
    template <class Source>
    int64_t Run(Source& source) {
        TraceFrame frame;
        int64_t frames = 0;
        // A trace reader asks the filter of each frame itself, having
        // converted only the octets the filter looks at; the frames are
        // numbered by the filter, which sees them all.
        constexpr bool kSieves = requires { source.SetSieve(0, &FrameFilter::Sift, nullptr); };
        bool sieving = false;
        if constexpr (kSieves) {
            if (filter_ != nullptr) {
                source.SetSieve(filter_->LeadingOctets(), &FrameFilter::Sift, filter_);
                sieving = true;
            }
        }
        while (source.Next(frame)) {
            if (sieving) {
                frames = filter_->Number();
            } else {
                ++frames;
                if (filter_ != nullptr && !filter_->Take(frame)) {
                    if (filter_->Done()) break;
                    continue;
                }
            }
            Emit(frame, frames);
            if (filter_ != nullptr && filter_->Done()) break;
        }
        if (sieving) frames = filter_->Number();
        return frames;
    }

private:
    void Decode(KorvexDecoder decoder, const TraceFrame& frame, const unsigned char* bytes, int32_t length);
    void Write(int32_t length, char direction);
    void EmitJson(const TraceFrame& frame, int64_t number);

    // The decoder of what an Ethernet frame carries behind its header and
    // where that starts; no decoder when nothing is decoded after the
    // Ethernet text.
    struct Payload {
        KorvexDecoder decoder = nullptr;
        int32_t offset = 0;
    };
    Payload EthernetPayload(const TraceFrame& frame) const;

    // The decoder of a frame of a raw IP link or of the stream's protocol.
    KorvexDecoder DecoderOf(const TraceFrame& frame) const;

    std::ostream& out_;
    KorvexDecoder decoder_;
    KorvexDecoder ip_ = nullptr;
    KorvexDecoder ipv6_ = nullptr;
    uint32_t flags_;
    bool coloured_;
    bool onlyIpv4_ = false;
    bool tagDirection_ = false;
    FrameFilter* filter_ = nullptr;
    std::string json_;  // the frames' kind when writing JSON, else empty
    std::string text_;
    KorvexFrameFields fields_{};
    std::vector<char> buffer_;
    OutputBuffer* direct_ = nullptr;  // where text is decoded in place, if anywhere
};

}  // namespace korvex::cli
