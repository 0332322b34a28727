// TCP and UDP ports, shown alike by both decoders.

#include "core/output.h"
#include "decoders/inet/ip.h"

namespace korvex {

void AppendPort(uint32_t high, uint32_t low, TextWriter& w) {
    AppendHexPair(w, high, low);
    AppendText(w, " ");
    const uint32_t port = (high & 0xFF) << 8 | (low & 0xFF);
    AppendValueName(w, kTablePort, port, "Unassigned or reserved");
}

void DecodePorts(IpHeaderFields& fields, const FrameView& d, const PortLabels& labels, TextWriter& w) {
    if (d.HasRange(0, 2)) {
        fields.sourcePort = static_cast<int32_t>(d.Read16(0));
        AppendText(w, labels.source);
        AppendPort(d.At(0), d.At(1), w);
    }
    if (d.HasRange(2, 2)) {
        fields.destinationPort = static_cast<int32_t>(d.Read16(2));
        AppendText(w, labels.destination);
        AppendPort(d.At(2), d.At(3), w);
    }
}

}  // namespace korvex
