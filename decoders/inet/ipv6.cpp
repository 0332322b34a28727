// IPv6 decoder: version, addresses, next header and payload length on the
// summary line; every field of the fixed header in the detail block, then
// each extension header named and stepped over (the fragment header with
// its fields), then the TCP, UDP or ICMPv6 header where the chain ends. The
// lines are tagged "IP: " and their labels line up with those of IPv4;
// nothing is checked against anything. An entry point of its own with no
// classic text to keep: it decodes alike with and without DECODE_EXTENDED.
//
// A datagram cut short shows the fields whose octets it holds, each whole,
// and leaves out the others; the chain stops at the first header it does
// not hold.

#include "decoders/inet/ipv6.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "decoders/inet/ip.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

//   octet 0       version (bits 8-5) | traffic class, high 4 bits (bits 4-1)
//   octet 1       traffic class, low 4 bits (bits 8-5) | flow label, high 4 bits
//   octets 2-3    flow label, low 16 bits
//   octets 4-5    payload length: the octets behind the fixed header
//   octet 6       next header
//   octet 7       hop limit
//   octets 8-23   source address
//   octets 24-39  destination address
//   octets 40..   extension headers, then the upper-layer header
enum HeaderField : int32_t {
    kPayloadLength = 4, kNextHeader = 6, kHopLimit = 7, kSource = 8, kDestination = 24, kFixedHeader = 40
};
constexpr uint32_t kFlowLabelMask = 0xFFFFF;
constexpr uint32_t kEcnMask = 0x03;
constexpr int kAddressSize = 16;
constexpr int kAddressTextWidth = 39;  // eight groups of four digits and seven colons

enum NextHeader : uint8_t {
    kHopByHop = 0, kTcp = 6, kUdp = 17, kRouting = 43, kFragment = 44, kAuthentication = 51, kIcmpv6 = 58,
    kDestinationOptions = 60, kMobility = 135
};

// Every extension header starts with the next header octet:
//   octet 0   next header
//   octet 1   length: in 8-octet units not counting the first 8
//             (authentication header: in 4-octet units not counting the first 8)
// The fragment header has no length octet; it is 8 octets long:
//   octet 1      reserved
//   octets 2-3   fragment offset in units of 8 octets (13 bits) | 2 reserved bits | M
//   octets 4-7   identification
constexpr int32_t kFragmentHeaderSize = 8;
constexpr uint32_t kMoreFragments = 0x0001;

bool IsExtensionHeader(uint8_t value) {
    switch (value) {
        case kHopByHop: case kRouting: case kFragment: case kAuthentication: case kDestinationOptions:
        case kMobility:
            return true;
        default:
            return false;
    }
}

// The octets of an extension header, from its next header octet on.
int32_t ExtensionSize(uint8_t kind, uint8_t length) {
    if (kind == kFragment) return kFragmentHeaderSize;
    if (kind == kAuthentication) return (length + 2) * 4;
    return (length + 1) * 8;
}

void AppendNextHeader(uint8_t value, TextWriter& w) {
    AppendText(w, "\nIP: Next Header    : ");
    AppendHexByte(w, value);
    AppendText(w, " ");
    AppendValueName(w, kTableIpv6NextHeader, value, "Unassigned");
}

void WriteSummary(const FrameView& d, TextWriter& w) {
    if (d.Has(0)) {
        AppendText(w, "  IP v");
        AppendDec1(w, d.At(0) >> 4);
    }
    if (d.HasRange(kSource, kAddressSize)) {
        AppendText(w, "  SRC IP ");
        AppendIpv6Address(w, d, kSource, kAddressTextWidth);
    }
    if (d.HasRange(kDestination, kAddressSize)) {
        AppendText(w, "  DST IP ");
        AppendIpv6Address(w, d, kDestination, kAddressTextWidth);
    }
    if (d.Has(kNextHeader)) {
        AppendText(w, "  PROT ");
        AppendHexByte(w, d.At(kNextHeader));
    }
    if (d.HasRange(kPayloadLength, 2)) AppendLabelDecimal(w, "  Len ", static_cast<int32_t>(d.Read16(kPayloadLength)));
}

void WriteFixedHeader(const FrameView& d, TextWriter& w) {
    if (d.Has(0)) AppendLabelDecimal(w, "\nIP: Version        : ", d.At(0) >> 4);
    if (d.HasRange(0, 2)) {
        const uint32_t trafficClass = (d.Read16(0) >> 4) & 0xFF;
        AppendText(w, "\nIP: Traffic Class  : ");
        AppendHexByte(w, trafficClass);
        AppendLabelDecimal(w, ", DSCP ", static_cast<int32_t>(trafficClass >> 2));
        AppendLabelDecimal(w, ", ECN ", static_cast<int32_t>(trafficClass & kEcnMask));
    }
    if (d.HasRange(1, 3)) {
        AppendText(w, "\nIP: Flow Label     : ");
        AppendHexNumber(w, (static_cast<uint32_t>(d.At(1)) << 16 | d.Read16(2)) & kFlowLabelMask, 5);
    }
    if (d.HasRange(kPayloadLength, 2)) {
        AppendLabelDecimal(w, "\nIP: Payload Length : ", static_cast<int32_t>(d.Read16(kPayloadLength)));
    }
    if (d.Has(kNextHeader)) AppendNextHeader(d.At(kNextHeader), w);
    if (d.Has(kHopLimit)) AppendLabelDecimal(w, "\nIP: Hop Limit      : ", d.At(kHopLimit));
    if (d.HasRange(kSource, kAddressSize)) {
        AppendText(w, "\nIP: Source Address : ");
        AppendIpv6Address(w, d, kSource, 0);
    }
    if (d.HasRange(kDestination, kAddressSize)) {
        AppendText(w, "\nIP: Dest. Address  : ");
        AppendIpv6Address(w, d, kDestination, 0);
    }
}

// The fragment header's fields, in the order and with the labels of the
// IPv4 header's; the view starts at its next header octet. True when the
// fragment is the first one (offset 0), the one that holds the upper-layer
// header.
bool DecodeFragmentHeader(const FrameView& h, TextWriter& w) {
    if (h.HasRange(4, 4)) {
        AppendText(w, "\nIP: Identification : ");
        AppendHexNumber(w, h.Read32(4), 8);
    }
    if (!h.HasRange(2, 2)) return true;
    const uint32_t word = h.Read16(2);
    AppendText(w, "\nIP: Flags          : ");
    AppendLabel(w, kLabelLastMoreFragments + TestBits(word, kMoreFragments));
    AppendLabelDecimal(w, "\nIP: Fragment Offset: ", static_cast<int32_t>(word >> 3));
    return (word >> 3) == 0;
}

void DecodeUpperLayer(uint8_t next, const FrameView& header, TextWriter& w) {
    IpHeaderFields ports;
    switch (next) {
        case kTcp:
            DecodeTcp(ports, header, w);
            break;
        case kUdp:
            DecodeUdp(ports, header, w);
            break;
        case kIcmpv6:
            DecodeIcmpv6(header, w);
            break;
        default:
            break;
    }
}

// The extension headers from the fixed header's next header on, each a line
// with its name and size, its fields when it is a fragment header, and the
// line of its own next header; then the upper-layer header.
void DecodeHeaderChain(const FrameView& d, TextWriter& w) {
    if (!d.Has(kNextHeader)) return;
    uint8_t next = d.At(kNextHeader);
    int32_t at = kFixedHeader;
    bool firstFragment = true;
    while (IsExtensionHeader(next)) {
        if (!d.HasRange(at, 2)) return;
        const int32_t size = ExtensionSize(next, d.At(at + 1));
        AppendText(w, "\nIP: Ext. Header    : ");
        AppendValueName(w, kTableIpv6NextHeader, next);
        AppendLabelDecimal(w, ", ", size);
        AppendText(w, " octets");
        if (next == kFragment) firstFragment = DecodeFragmentHeader(d.From(at), w) && firstFragment;
        next = d.At(at);
        AppendNextHeader(next, w);
        at += size;
    }
    // A later fragment carries the middle or end of the payload, no header.
    if (firstFragment) DecodeUpperLayer(next, d.From(at), w);
}

void Ipv6Summary(const FrameView& datagram, uint32_t, NoFields&, TextWriter& w) { WriteSummary(datagram, w); }

void Ipv6Detail(const FrameView& datagram, uint32_t, NoFields&, TextWriter& w) {
    AppendCarriedIpv6Detail(datagram, w);
}

constexpr FrameText<NoFields> kIpv6Text = {Ipv6Summary, Ipv6Detail};

}  // namespace

void AppendCarriedIpv6Detail(const FrameView& datagram, TextWriter& w) {
    WriteFixedHeader(datagram, w);
    DecodeHeaderChain(datagram, w);
}

namespace {

// The eight 16-bit groups of an address and the longest run of zero
// groups (two or more; the leftmost of equal runs), as first and count.
struct ZeroRun {
    int first = -1;
    int count = 0;
};

ZeroRun LongestZeroRun(const uint32_t (&groups)[8]) {
    ZeroRun best;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && groups[j] == 0) ++j;
        if (j - i >= 2 && j - i > best.count) best = {i, j - i};
        i = j > i ? j : i + 1;
    }
    return best;
}

}  // namespace

void AppendIpv6Address(TextWriter& w, const FrameView& frame, int32_t first, int width) {
    uint32_t groups[8];
    for (int i = 0; i < 8; ++i) groups[i] = frame.Read16(first + 2 * i);
    const ZeroRun run = LongestZeroRun(groups);
    char text[kAddressTextWidth + 1];
    int n = 0;
    for (int i = 0; i < 8; ++i) {
        if (i == run.first) {
            text[n++] = ':';
            text[n++] = ':';
            i += run.count - 1;
            continue;
        }
        if (n > 0 && text[n - 1] != ':') text[n++] = ':';
        bool digits = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const uint32_t digit = (groups[i] >> shift) & 0x0F;
            if (digit == 0 && !digits && shift > 0) continue;
            digits = true;
            text[n++] = kLowerHexDigits[digit];
        }
    }
    w.Write(text, static_cast<std::size_t>(n));
    for (; n < width; ++n) w.Put(' ');
    w.TrailingBlank();
}

}  // namespace korvex

extern "C" int32_t DecodeIpv6(DecodeRequest request) { return korvex::DecodeFrame(korvex::kIpv6Text, request); }
