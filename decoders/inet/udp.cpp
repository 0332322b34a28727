// UDP header lines: ports, length and checksum. The checksum is shown as it
// stands, never computed.

#include "core/output.h"
#include "decoders/inet/ip.h"

namespace korvex {

void DecodeUdp(IpHeaderFields& fields, const FrameView& d, TextWriter& w) {
    if (d.HasRange(0, 2)) {
        fields.sourcePort = d.At(0) << 8 | d.At(1);
        AppendText(w, "\nUDP: Source      Port : ");
        AppendPort(d.At(0), d.At(1), w);
    }
    if (d.HasRange(2, 2)) {
        fields.destinationPort = d.At(2) << 8 | d.At(3);
        AppendText(w, "\nUDP: Destination Port : ");
        AppendPort(d.At(2), d.At(3), w);
    }
    if (d.HasRange(4, 2)) {
        fields.udpLength = d.At(4) << 8 | d.At(5);
        AppendLabelDecimal(w, "\nUDP: Length           : ", fields.udpLength);
    }
    if (d.HasRange(6, 2)) {
        fields.udpChecksum = d.At(6) << 8 | d.At(7);
        AppendText(w, "\nUDP: Checksum         : ");
        AppendHexNumber(w, static_cast<uint32_t>(fields.udpChecksum), 4);
    }
}

}  // namespace korvex
