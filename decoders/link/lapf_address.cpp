// The LAPF address walk and the DecodeLapf entry point:
//
//   octet 1   DLCI, high 6 bits | C/R | EA 0
//   octet 2   DLCI, next 4 bits | FECN | BECN | DE | EA     EA 1: two octets
//   octet 3   DLCI, next 7 bits | EA 0                      a fourth octet follows
//         or  DLCI, low 6 bits | D/C | EA 1                 three octets
//   octet 4   DLCI, low 6 bits | D/C | EA 1
//
// The classic text shows the DLCI alone; the extended text adds the C/R,
// FECN, BECN, DE and D/C bits (the EA bits only delimit the field).

#include "decoders/link/lapf_address.h"

#include "core/output.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

enum AddressBits : uint8_t {
    kExtendedAddress = 0x01,
    kAddressCommandResponse = 0x02,  // octet 1
    kForwardCongestion = 0x08,       // octet 2: FECN
    kBackwardCongestion = 0x04,      // octet 2: BECN
    kDiscardEligible = 0x02,         // octet 2: DE
    kDlCoreControl = 0x02,           // last octet of a longer address: D/C
};

// One bit's line, the label padded to the four characters of the block's
// other labels.
void AppendBitLine(TextWriter& w, const char* label, uint8_t octet, uint8_t mask) {
    AppendText(w, label);
    AppendDec1(w, TestBits(octet, mask));
}

}  // namespace

bool ReadLapfAddress(const FrameView& frame, LapdFrameFields& fields) {
    if (!frame.Has(0)) return false;
    fields.dlci = frame.At(0) >> 2;
    fields.addressOctets = 1;
    if (!frame.Has(1)) return false;
    fields.dlci = fields.dlci << 4 | frame.At(1) >> 4;
    fields.addressOctets = 2;
    fields.addressComplete = (frame.At(1) & kExtendedAddress) != 0;
    if (fields.addressComplete || !frame.Has(2)) return fields.addressComplete;
    fields.addressOctets = 3;
    if ((frame.At(2) & kExtendedAddress) != 0) {
        fields.dlci = fields.dlci << 6 | frame.At(2) >> 2;
        fields.addressComplete = true;
        return true;
    }
    fields.dlci = fields.dlci << 7 | frame.At(2) >> 1;
    if (!frame.Has(3)) return false;
    fields.dlci = fields.dlci << 6 | frame.At(3) >> 2;
    fields.addressOctets = 4;
    fields.addressComplete = true;
    return true;
}

void AppendLapfAddressBits(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w) {
    AppendText(w, " (");
    AppendUnsigned(w, fields.dlci);
    AppendText(w, ")");
    AppendBitLine(w, "\nLAPD: C/R : ", frame.At(0), kAddressCommandResponse);
    AppendBitLine(w, "\nLAPD: FECN: ", frame.At(1), kForwardCongestion);
    AppendBitLine(w, "\nLAPD: BECN: ", frame.At(1), kBackwardCongestion);
    AppendBitLine(w, "\nLAPD: DE  : ", frame.At(1), kDiscardEligible);
    // Three and four octets: D/C is in the last one.
    if (fields.addressOctets > 2) AppendBitLine(w, "\nLAPD: D/C : ", frame.At(fields.addressOctets - 1), kDlCoreControl);
}

}  // namespace korvex

extern "C" int32_t DecodeLapf(DecodeRequest request) {
    request.flags |= DECODE_LAPF;
    return DecodeLapd(request);
}
