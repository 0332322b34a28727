// UDP header lines: ports, length and checksum. The checksum is shown as it
// stands, never computed.

#include "core/output.h"
#include "decoders/inet/ip.h"

namespace korvex {

void DecodeUdp(IpHeaderFields& fields, const FrameView& d, TextWriter& w) {
    constexpr int32_t at = kTransportOffset;
    if (d.HasRange(at, 2)) {
        fields.sourcePort = d.At(at) << 8 | d.At(at + 1);
        AppendText(w, "\nUDP: Source      Port : ");
        AppendPort(d.At(at), d.At(at + 1), w);
    }
    if (d.HasRange(at + 2, 2)) {
        fields.destinationPort = d.At(at + 2) << 8 | d.At(at + 3);
        AppendText(w, "\nUDP: Destination Port : ");
        AppendPort(d.At(at + 2), d.At(at + 3), w);
    }
    if (d.HasRange(at + 4, 2)) {
        fields.udpLength = d.At(at + 4) << 8 | d.At(at + 5);
        AppendLabelDecimal(w, "\nUDP: Length           : ", fields.udpLength);
    }
    if (d.HasRange(at + 6, 2)) {
        fields.udpChecksum = d.At(at + 6) << 8 | d.At(at + 7);
        AppendText(w, "\nUDP: Checksum         : ");
        AppendHexNumber(w, static_cast<uint32_t>(fields.udpChecksum), 4);
    }
}

}  // namespace korvex
