// Hand-off of an I frame's information field to the layer-3 decoder inside
// the link layer's detail block. The Q.931 and X.25 packet decoders are not
// part of the library yet, so an information field gets no layer-3 lines
// for now; the link-layer text around this point is complete either way.

#include "decoders/link/lapd.h"

namespace korvex {

void AppendLayer3Message(const LapdFrameFields& /*fields*/, const FrameView& /*frame*/,
                         TextWriter& /*w*/, uint32_t /*flags*/) {}

}  // namespace korvex
