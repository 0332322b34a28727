// LAPF (Q.922) address field: a DLCI spread over two, three or four octets.
#pragma once

#include <cstdint>

#include "decoders/link/lapd.h"

namespace korvex {

// Takes address octet `step` (0 to 3) into fields: the DLCI bits it holds
// go below those gathered so far. Returns true when this octet ends the
// address field: octet 1 with EA set, octet 2 with EA set, or octet 3.
bool LapfAddressStep(int step, uint8_t octet, LapdFrameFields& fields);

}  // namespace korvex
