// LAPF (Q.922) address field: a DLCI spread over two, three or four octets.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "decoders/link/lapd.h"

namespace korvex {

// Reads the address field from the frame's first octet into fields: the
// DLCI, the address octets read, and whether the field is complete. Returns
// true when the frame holds the whole field.
bool ReadLapfAddress(const FrameView& frame, LapdFrameFields& fields);

}  // namespace korvex
