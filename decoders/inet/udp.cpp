// UDP header lines: ports, length and checksum. The checksum is shown as it
// stands, never computed.
//
//   octets 0-1  source port
//   octets 2-3  destination port
//   octets 4-5  length
//   octets 6-7  checksum

#include "core/output.h"
#include "decoders/inet/ip.h"

namespace korvex {

void DecodeUdp(IpHeaderFields& fields, const FrameView& d, TextWriter& w) {
    DecodePorts(fields, d, {"\nUDP: Source      Port : ", "\nUDP: Destination Port : "}, w);
    if (d.HasRange(4, 2)) {
        fields.udpLength = static_cast<int32_t>(d.Read16(4));
        AppendLabelDecimal(w, "\nUDP: Length           : ", fields.udpLength);
    }
    if (d.HasRange(6, 2)) {
        fields.udpChecksum = static_cast<int32_t>(d.Read16(6));
        AppendText(w, "\nUDP: Checksum         : ");
        AppendHexNumber(w, static_cast<uint32_t>(fields.udpChecksum), 4);
    }
}

}  // namespace korvex
