// ICMP header lines: the type and code by name, and the checksum. The rest
// of the message is left to the hex trace.

#include "core/output.h"
#include "core/value_names.h"
#include "decoders/inet/ip.h"
#include "decoders/inet/transport_tables.h"

namespace korvex {

namespace {

constexpr int kTableIcmpTypes = 21;

// The code's text: its name in the type's code list; its decimal value when
// it lies beyond the end of the list; "0" for a type without a list.
void AppendCode(uint8_t type, uint8_t code, TextWriter& w) {
    int found = 0;
    int row = 0;
    FindValueName(TableById(kTableIcmpTypes), type, found, row);
    const IcmpCodeList codes = found != 0 ? IcmpCodeLists[static_cast<std::size_t>(row)] : IcmpCodeList();
    if (codes.empty()) {
        AppendText(w, "0");
    } else if (code < codes.size()) {
        AppendText(w, codes[code]);
    } else {
        AppendDecimal(w, code);
    }
}

}  // namespace

void DecodeIcmp(IpHeaderFields&, const FrameView& d, TextWriter& w) {
    constexpr int32_t at = kTransportOffset;
    if (d.Has(at)) {
        AppendText(w, "\nICMP: Type  : ");
        LookupValueName(kTableIcmpTypes, d.At(at), w);
    }
    if (d.Has(at + 1)) {
        AppendText(w, "\nICMP: Code  : ");
        AppendCode(d.At(at), d.At(at + 1), w);
    }
    if (d.HasRange(at + 2, 2)) AppendLabelHexPair(w, "\nICMP: Chksum: ", d.At(at + 2), d.At(at + 3));
}

}  // namespace korvex
