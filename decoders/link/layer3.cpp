// Hand-off of an I frame's information field to the layer-3 decoder inside
// the link layer's detail block (DECODE_LAYER3). In LAPD mode a field that
// begins with the Q.931 protocol discriminator goes to the call control
// decoder; every other field, and every field in LAPF mode, goes to the X.25
// packet decoder in embedded mode. Both write their lines with the link
// layer's writer, at its position. Nothing outside the frame is read: a
// frame too short for the octets the choice reads, a Q.931 message cut
// inside its header, or an empty X.25 packet gets no layer-3 text.

#include "decoders/link/lapd.h"
#include "decoders/q931/q931.h"
#include "decoders/x25/x25.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr uint8_t kQ931Discriminator = 0x08;

// Octets around the information field: the control field's two octets
// before it, the FCS's two after it.
constexpr int32_t kControlOctets = 2;
constexpr int32_t kFcsOctets = 2;

// The Q.931 message from its protocol discriminator at octet first: the
// elements after the message type, up to the FCS. The call reference length
// octet counts whole here, so a damaged one leaves the message cut inside
// its header. A message that ends with its message type (a CONNECT ACK, say)
// shows its call reference and message type.
void AppendQ931Message(const FrameView& frame, int32_t first, uint32_t flags, TextWriter& w) {
    const int32_t callReferenceLength = frame.At(first + 1);
    const int32_t elementOctets = frame.Size() - first - callReferenceLength - 3 - kFcsOctets;
    if (elementOctets < 0) return;
    DecodeQ931Detail(frame.From(first).First(frame.Size() - first - kFcsOctets), elementOctets, flags, w);
}

}  // namespace

void AppendLayer3Message(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w,
                         uint32_t flags) {
    const bool lapf = (flags & DECODE_LAPF) != 0;
    const int32_t addressOctets = lapf ? fields.addressOctets : 2;
    const int32_t first = addressOctets + kControlOctets;
    if (!lapf) {
        if (!frame.Has(first) || !frame.Has(first + 1)) return;
        if (frame.At(first) == kQ931Discriminator) {
            AppendQ931Message(frame, first, flags, w);
            return;
        }
    }
    const int32_t length = frame.Size() - first - kFcsOctets;
    if (length < 1) return;
    AppendEmbeddedX25(frame.From(first).First(length), flags, w);
}

}  // namespace korvex
