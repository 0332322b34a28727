// ICMP header lines: the type and code by name, and the checksum. The rest
// of the message is left to the hex trace.
//
//   octet 0     type
//   octet 1     code
//   octets 2-3  checksum

#include "core/output.h"
#include "decoders/inet/ip.h"
#include "decoders/inet/transport_tables.h"

namespace korvex {

namespace {

// The code's text: its name in the type's code list, or its decimal value
// when the type has no list (echo, parameter problem, a type without a name)
// or the code lies beyond the end of the list.
void AppendCode(uint8_t type, uint8_t code, TextWriter& w) {
    int found = 0;
    int row = 0;
    FindValueName(TableById(kTableIcmpType), type, found, row);
    const IcmpCodeList codes = found != 0 ? IcmpCodeLists[static_cast<std::size_t>(row)] : IcmpCodeList();
    if (code < codes.size()) {
        AppendText(w, codes[code]);
    } else {
        AppendDecimal(w, code);
    }
}

}  // namespace

void DecodeIcmp(IpHeaderFields&, const FrameView& d, TextWriter& w) {
    if (d.Has(0)) {
        AppendText(w, "\nICMP: Type  : ");
        AppendValueName(w, kTableIcmpType, d.At(0));
    }
    if (d.Has(1)) {
        AppendText(w, "\nICMP: Code  : ");
        AppendCode(d.At(0), d.At(1), w);
    }
    if (d.HasRange(2, 2)) AppendLabelHexPair(w, "\nICMP: Chksum: ", d.At(2), d.At(3));
}

}  // namespace korvex
