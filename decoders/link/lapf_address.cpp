// The LAPF address walk and the DecodeLapf entry point. The EA bit of octet 1
// decides between two and more octets, that of octet 2 between three and
// four; the EA bits of octets 0 and 3 and the C/R, FECN, BECN, DE and D/C bits
// are not shown.

#include "decoders/link/lapf_address.h"

#include "korvex/korvex.h"

namespace korvex {

bool LapfAddressStep(int step, uint8_t octet, LapdFrameFields& fields) {
    bool complete = false;
    switch (step) {
        case 0:  // DLCI bits 8 to 3
            fields.dlci = octet >> 2;
            break;
        case 1:  // DLCI bits 8 to 5, EA in bit 1
            fields.dlci = (fields.dlci << 4) | (octet >> 4);
            fields.lastEa = octet & 1;
            complete = fields.lastEa == 1;
            break;
        case 2:  // EA 0: DLCI bits 8 to 2; EA 1: DLCI bits 8 to 3 (last octet)
            fields.lastEa = octet & 1;
            if (fields.lastEa == 0) {
                fields.dlci = (fields.dlci << 7) | (octet >> 1);
            } else {
                fields.dlci = (fields.dlci << 6) | (octet >> 2);
                complete = true;
            }
            break;
        default:  // DLCI bits 8 to 3 of the fourth octet
            fields.dlci = (fields.dlci << 6) | (octet >> 2);
            complete = true;
            break;
    }
    fields.addressOctets = step + 1;
    fields.addressComplete = complete;
    return complete;
}

}  // namespace korvex

extern "C" int32_t DecodeLapf(DecodeRequest request) {
    request.flags |= DECODE_LAPF;
    return DecodeLapd(request);
}
