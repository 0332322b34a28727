// TCP header lines: ports, sequence and acknowledgement numbers, header
// length, the six flags one line each, window, checksum and urgent pointer.
// Options and payload are left to the hex trace.
//
//   octets 0-1    source port
//   octets 2-3    destination port
//   octets 4-7    sequence number
//   octets 8-11   acknowledgement number
//   octet 12      data offset (4 bits) | reserved
//   octet 13      reserved (2 bits) | URG | ACK | PSH | RST | SYN | FIN
//   octets 14-15  window
//   octets 16-17  checksum
//   octets 18-19  urgent pointer

#include "core/output.h"
#include "decoders/inet/ip.h"

namespace korvex {

namespace {

constexpr uint8_t kFlagBits = 0x3F;

// One flag's line: its name (index 0 FIN to 5 URG), aligned with the other
// TCP labels, and 1 when its bit is set in flags, else 0. Inlined into each
// of the six lines below, where the name is a constant text.
KORVEX_INLINE void AppendTcpFlag(int index, uint32_t flags, TextWriter& w) {
    AppendText(w, "\nTCP: ", LabelView(kLabelFirstTcpFlag + index));
    AppendText(w, "              : ");
    AppendDec1(w, TestBits(flags, 1u << index));
}

// The six flag lines, FIN to URG.
void AppendTcpFlags(uint32_t flags, TextWriter& w) {
    AppendTcpFlag(0, flags, w);  // FIN
    AppendTcpFlag(1, flags, w);  // SYN
    AppendTcpFlag(2, flags, w);  // RST
    AppendTcpFlag(3, flags, w);  // PSH
    AppendTcpFlag(4, flags, w);  // ACK
    AppendTcpFlag(5, flags, w);  // URG
}

}  // namespace

void DecodeTcp(IpHeaderFields& fields, const FrameView& d, TextWriter& w) {
    DecodePorts(fields, d, {"\nTCP: Source      Port : ", "\nTCP: Destination Port : "}, w);
    if (d.HasRange(4, 4)) AppendLabelUnsigned(w, "\nTCP: Sequence Number  : ", d.Read32(4));
    if (d.HasRange(8, 4)) AppendLabelUnsigned(w, "\nTCP: Acknowl. Number  : ", d.Read32(8));
    if (d.Has(12)) AppendLabelDecimal(w, "\nTCP: TCP Header Length: ", (d.At(12) >> 4) * 4);
    if (d.Has(13)) {
        const uint32_t flags = d.At(13) & kFlagBits;
        AppendText(w, "\nTCP: Flags            : 0x");
        AppendHexByte(w, flags);
        AppendTcpFlags(flags, w);
    }
    if (d.HasRange(14, 2)) AppendLabelUnsigned(w, "\nTCP: Window           : ", d.Read16(14));
    if (d.HasRange(16, 2)) AppendLabelHexPair(w, "\nTCP: Checksum         : 0x", d.At(16), d.At(17));
    if (d.HasRange(18, 2)) AppendLabelUnsigned(w, "\nTCP: Urgent Pointer   : ", d.Read16(18));
}

}  // namespace korvex
