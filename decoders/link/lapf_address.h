// LAPF (Q.922) address field: a DLCI spread over two, three or four octets.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"
#include "decoders/link/lapd.h"

namespace korvex {

// Reads the address field from the frame's first octet into fields: the
// DLCI, the address octets read, and whether the field is complete. Returns
// true when the frame holds the whole field.
bool ReadLapfAddress(const FrameView& frame, LapdFrameFields& fields);

// The detail lines of the address field's bits beyond the DLCI (extended
// text): the DLCI in decimal behind the DLCI line, then C/R, FECN, BECN, DE
// and, after an address of three or four octets, D/C. fields holds a whole
// address field.
void AppendLapfAddressBits(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w);

}  // namespace korvex
