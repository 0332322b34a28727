// Q.931 call control decoder internals. The entry point DecodeQ931 is
// declared in the public header; DecodeQ931Detail is what a link-layer
// decoder calls for the Q.931 message carried in an I frame.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"
#include "decoders/q931/ie_decoders.h"

namespace korvex {

// The detail block of one Q.931 message: the call reference line, the
// message type line, then one element line per information element with the
// element decoders' lines. message starts at the protocol discriminator;
// elementOctets is the number of octets after the message type to walk (for
// a whole message of n octets, n - L - 3, L being the call reference length
// octet). Nothing is written when elementOctets is 0 or below, or when the
// message is shorter than its own header; the walk never goes past the end
// of message. Writes no line end of its own at the end.
void DecodeQ931Detail(const FrameView& message, int32_t elementOctets, TextWriter& w);

// The element decoders' state as a decode found it, put back when the
// decode's text may have been cut: a count of capacity - 1 or more, which a
// caller cannot tell from a text that was cut and decodes again with more
// room. The second decode then starts from the same state as the first and
// writes the text one decode with room enough writes.
class ElementStateCheckpoint {
public:
    explicit ElementStateCheckpoint(bool active);
    // Called once the decode has stored its NUL.
    void RestoreIfCut(const TextWriter& w) const;

private:
    bool active_;
    IeDecoderState saved_;
};

// Walks elements.Size() octets as information elements.
void WalkInformationElements(const FrameView& elements, TextWriter& w);

// The lines of a single-octet element (an identifier octet with bit 8 set):
// shift, congestion level and repeat indicator have lines, the others none.
// Returns the number of characters written.
int DecodeSingleOctetIe(uint8_t identifier, TextWriter& w);

}  // namespace korvex
