// Q.931 call control decoder internals. The entry point DecodeQ931 is
// declared in the public header; DecodeQ931Detail is what a link-layer
// decoder calls for the Q.931 message carried in an I frame.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"
#include "decoders/q931/ie_decoders.h"

namespace korvex {

// Information element identifier octet:
//
//   0 | identifier (7 bits)             variable length: a length octet and
//                                       the contents follow
//   1 | kind (3 bits) | contents (4)    single octet
//   1 0 0 1 | non-locking | codeset     the shift element
enum IdentifierBits : uint8_t {
    kSingleOctet = 0x80, kKindMask = 0xF0, kContentsMask = 0x0F, kNonLocking = 0x08, kCodesetMask = 0x07,
};

// The single-octet elements by their identifier: the high four bits, or the
// whole octet for the two that have a name of their own.
enum SingleOctetIdentifier : uint8_t {
    kShift = 0x90, kCongestionLevel = 0xB0, kRepeatIndicator = 0xD0, kMoreData = 0xA0, kSendingComplete = 0xA1,
};

// The variable-length elements the structured reading takes into fields.
enum ElementIdentifier : uint8_t {
    kIeSegmentedMessage = 0x00, kIeBearerCapability = 0x04, kIeCause = 0x08, kIeChannelId = 0x18,
    kIeProgress = 0x1E, kIeDisplay = 0x28, kIeConnectedNumber = 0x4C, kIeCallingNumber = 0x6C, kIeCalledNumber = 0x70,
};

// The detail block of one Q.931 message: the call reference line, the
// message type line, then one element line per information element with the
// element decoders' lines. message starts at the protocol discriminator;
// elementOctets is the number of octets after the message type to walk (for
// a whole message of n octets, n - L - 3, L being the call reference length
// octet). A message that ends with its message type (elementOctets 0) gets
// the two lines alone; nothing is written when elementOctets is below 0 or
// the message is shorter than its own header. The walk never goes past the
// end of message. Of the flags only DECODE_EXTENDED counts: it adds the
// message types and elements beyond the classic tables (see
// q931_extended_tables.h). Writes no line end of its own at the end.
void DecodeQ931Detail(const FrameView& message, int32_t elementOctets, uint32_t flags, TextWriter& w);

// Walks elements.Size() octets as information elements. A locking shift
// makes the variable-length elements after it, to the end of the walk,
// elements of its codeset; a non-locking shift does so for the one element
// right after it. Only codeset 0 elements are decoded; the others are named
// by codeset and identifier and their contents passed over. With
// DECODE_EXTENDED in flags the elements of table 35 are named and decoded
// by its rows.
void WalkInformationElements(const FrameView& elements, uint32_t flags, TextWriter& w);

// The lines of a single-octet element (an identifier octet with bit 8 set):
// shift, congestion level and repeat indicator have lines, the others none.
// Returns the number of characters written.
int DecodeSingleOctetIe(uint8_t identifier, TextWriter& w);

}  // namespace korvex
