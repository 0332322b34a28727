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
// octet). A message that ends with its message type (elementOctets 0) gets
// the two lines alone; nothing is written when elementOctets is below 0 or
// the message is shorter than its own header. The walk never goes past the
// end of message. Writes no line end of its own at the end.
void DecodeQ931Detail(const FrameView& message, int32_t elementOctets, TextWriter& w);

// Walks elements.Size() octets as information elements. A locking shift
// makes the variable-length elements after it, to the end of the walk,
// elements of its codeset; a non-locking shift does so for the one element
// right after it. Only codeset 0 elements are decoded; the others are named
// by codeset and identifier and their contents passed over.
void WalkInformationElements(const FrameView& elements, TextWriter& w);

// The lines of a single-octet element (an identifier octet with bit 8 set):
// shift, congestion level and repeat indicator have lines, the others none.
// Returns the number of characters written.
int DecodeSingleOctetIe(uint8_t identifier, TextWriter& w);

}  // namespace korvex
