// The keys of Ethernet frames and IPv4 datagrams that frames are selected
// on: read through the frame view, nothing allocated, no text written.
#pragma once

#include <cstdint>

#include "core/frame_view.h"

namespace korvex {

struct EthernetKeys {
    int32_t typeOrLength = -1;  // the type/length field, -1 when cut
    int32_t ethertype = -1;     // the same when it is a type (0x0600 and up)
};

struct IpKeys {
    int64_t source = -1;       // addresses as 32-bit numbers, -1 when cut
    int64_t destination = -1;
    int32_t protocol = -1;
    int32_t sourcePort = -1;   // TCP and UDP, first fragment only
    int32_t destinationPort = -1;
};

// The Ethernet header's type/length field (octets 12 and 13).
EthernetKeys ReadEthernetKeys(const FrameView& frame);

// The IPv4 header's addresses and protocol, and the ports of a TCP or UDP
// header found where the decoder reads it (behind the header length).
IpKeys ReadIpKeys(const FrameView& datagram);

}  // namespace korvex
