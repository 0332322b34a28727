#include "decoders/inet/inet_keys.h"

namespace korvex {

namespace {

constexpr int32_t kEthernetTypeOffset = 12;
constexpr int32_t kFirstEthertype = 0x0600;  // smaller values are 802.3 lengths

// IPv4 header octets: 0 version and header length, 6-7 flags and fragment
// offset, 9 protocol, 12-15 source, 16-19 destination.
constexpr int32_t kProtocolOffset = 9;
constexpr int32_t kFragmentOffset = 6;
constexpr int32_t kSourceOffset = 12;
constexpr int32_t kDestinationOffset = 16;
constexpr int32_t kMinimumHeaderWords = 5;
constexpr uint8_t kTcp = 6;
constexpr uint8_t kUdp = 17;

int32_t Read16(const FrameView& v, int32_t at) { return v.At(at) << 8 | v.At(at + 1); }

int64_t Read32(const FrameView& v, int32_t at) {
    return static_cast<int64_t>(static_cast<uint32_t>(Read16(v, at)) << 16 | static_cast<uint32_t>(Read16(v, at + 2)));
}

}  // namespace

EthernetKeys ReadEthernetKeys(const FrameView& frame) {
    EthernetKeys keys;
    if (!frame.HasRange(kEthernetTypeOffset, 2)) return keys;
    keys.typeOrLength = Read16(frame, kEthernetTypeOffset);
    if (keys.typeOrLength >= kFirstEthertype) keys.ethertype = keys.typeOrLength;
    return keys;
}

IpKeys ReadIpKeys(const FrameView& d) {
    IpKeys keys;
    if (d.Has(kProtocolOffset)) keys.protocol = d.At(kProtocolOffset);
    if (d.HasRange(kSourceOffset, 4)) keys.source = Read32(d, kSourceOffset);
    if (d.HasRange(kDestinationOffset, 4)) keys.destination = Read32(d, kDestinationOffset);
    const int32_t words = d.At(0) & 0x0F;
    const int32_t transport = (words < kMinimumHeaderWords ? kMinimumHeaderWords : words) * 4;
    const bool firstFragment = d.HasRange(kFragmentOffset, 2) && (Read16(d, kFragmentOffset) & 0x1FFF) == 0;
    if (firstFragment && (keys.protocol == kTcp || keys.protocol == kUdp) && d.HasRange(transport, 4)) {
        keys.sourcePort = Read16(d, transport);
        keys.destinationPort = Read16(d, transport + 2);
    }
    return keys;
}

}  // namespace korvex
