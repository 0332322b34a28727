// ICMPv6 header lines: the type and code by name, the checksum as it
// stands, and the target address of the neighbour discovery messages that
// carry one. The rest of the message is left to the hex trace.
//
//   octet 0      type
//   octet 1      code
//   octets 2-3   checksum
//   octets 4-7   message body: flags or reserved (neighbour discovery)
//   octets 8-23  target address (neighbour solicitation, advertisement,
//                redirect)

#include "core/output.h"
#include "decoders/inet/ipv6.h"
#include "decoders/inet/ipv6_tables.h"

namespace korvex {

namespace {

enum Icmpv6Type : uint8_t { kNeighborSolicitation = 135, kNeighborAdvertisement = 136, kRedirect = 137 };
constexpr int32_t kTargetAddress = 8;

// The type's name, or its decimal value when table 35 has no row for it.
void AppendType(uint8_t type, TextWriter& w) {
    int found = 0;
    int row = 0;
    FindValueName(TableById(kTableIcmpv6Type), type, found, row);
    if (found != 0) {
        AppendValueName(w, kTableIcmpv6Type, type);
    } else {
        AppendDecimal(w, type);
    }
}

// The code's name in the type's code list, or its decimal value when the
// type has no list or the code lies beyond its end.
void AppendCode(uint8_t type, uint8_t code, TextWriter& w) {
    int found = 0;
    int row = 0;
    FindValueName(TableById(kTableIcmpv6Type), type, found, row);
    const Icmpv6CodeList codes = found != 0 ? Icmpv6CodeLists[static_cast<std::size_t>(row)] : Icmpv6CodeList();
    if (code < codes.size()) {
        AppendText(w, codes[code]);
    } else {
        AppendDecimal(w, code);
    }
}

bool HasTarget(uint8_t type) {
    return type == kNeighborSolicitation || type == kNeighborAdvertisement || type == kRedirect;
}

}  // namespace

void DecodeIcmpv6(const FrameView& d, TextWriter& w) {
    if (d.Has(0)) {
        AppendText(w, "\nICMPv6: Type  : ");
        AppendType(d.At(0), w);
    }
    if (d.Has(1)) {
        AppendText(w, "\nICMPv6: Code  : ");
        AppendCode(d.At(0), d.At(1), w);
    }
    if (d.HasRange(2, 2)) AppendLabelHexPair(w, "\nICMPv6: Chksum: ", d.At(2), d.At(3));
    if (HasTarget(d.At(0)) && d.HasRange(kTargetAddress, 16)) {
        AppendText(w, "\nICMPv6: Target: ");
        AppendIpv6Address(w, d, kTargetAddress, 0);
    }
}

}  // namespace korvex
