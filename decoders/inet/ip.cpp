// IPv4 header decoder: version, addresses, protocol, identification, flags
// and total length on the summary line; every header field in the detail
// block, followed by the ICMP, TCP or UDP header. The transport header is
// read where the header length puts it; options are passed over and left to
// the hex trace, and so is everything of a fragment other than the first.
// Nothing is checked against anything.
//
// A datagram cut short shows the fields whose octets it holds, each whole,
// and leaves out the others.

#include "decoders/inet/ip.h"


#include "core/frame_text.h"
#include "core/output.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

//   octet 0       version (bits 8-5) | header length in 32-bit words (bits 4-1)
//   octet 1       type of service: precedence (bits 8-6) | delay | throughput |
//                 reliability | 2 unused bits
//   octets 2-3    total length
//   octets 4-5    identification
//   octets 6-7    flags: reserved | don't fragment | more fragments |
//                 fragment offset in units of 8 octets (13 bits)
//   octet 8       time to live
//   octet 9       protocol
//   octets 10-11  header checksum
//   octets 12-15  source address
//   octets 16-19  destination address
enum HeaderBits : uint8_t { kHeaderLengthMask = 0x0F, kFragmentOffsetHigh = 0x1F };
enum TypeOfServiceBits : uint8_t { kHighThroughput = 0x08, kHighReliability = 0x04 };
enum FlagBits : uint8_t { kDontFragment = 0x02, kMoreFragments = 0x01 };  // of the three flag bits
enum HeaderField : int32_t { kSourceAddress = 12, kDestinationAddress = 16 };

enum Protocol : uint8_t { kProtocolIcmp = 1, kProtocolTcp = 6, kProtocolUdp = 17 };

constexpr int kAddressTextWidth = 15;

// The fixed header, in 32-bit words.
constexpr int32_t kMinimumHeaderWords = 5;

// The address of the four octets from first on in dotted decimal,
// left-aligned in 15 characters filled with blanks.
void AppendAddress(TextWriter& w, const FrameView& d, int32_t first) {
    AppendDottedDecimal(w, d, first, 4, kAddressTextWidth);
}

void GatherFields(const FrameView& d, IpHeaderFields& f) {
    f = IpHeaderFields{};
    f.version = d.At(0) >> 4;
    f.headerLength = d.At(0) & kHeaderLengthMask;
    f.typeOfService = d.At(1);
    f.totalLength = static_cast<int32_t>(d.Read16(2));
    f.identificationHigh = d.At(4);
    f.identificationLow = d.At(5);
    f.flags = d.At(6) >> 5;
    f.fragmentOffset = (d.At(6) & kFragmentOffsetHigh) << 8 | d.At(7);
    f.timeToLive = d.At(8);
    f.protocol = d.At(9);
    f.checksumHigh = d.At(10);
    f.checksumLow = d.At(11);
}

void WriteSummary(const IpHeaderFields& f, const FrameView& d, TextWriter& w) {
    if (d.Has(0)) {
        AppendText(w, "  IP v");
        AppendDec1(w, f.version);
    }
    if (d.HasRange(kSourceAddress, 4)) {
        AppendText(w, "  SRC IP ");
        AppendAddress(w, d, kSourceAddress);
    }
    if (d.HasRange(kDestinationAddress, 4)) {
        AppendText(w, "  DST IP ");
        AppendAddress(w, d, kDestinationAddress);
    }
    if (d.Has(9)) {
        AppendText(w, "  PROT ");
        AppendHexByte(w, f.protocol);
    }
    if (d.HasRange(4, 2)) {
        AppendText(w, "  ID ");
        AppendHexPair(w, f.identificationHigh, f.identificationLow);
    }
    if (d.Has(6)) {
        AppendText(w, "  Flgs ");
        AppendHexByte(w, f.flags);
    }
    if (d.HasRange(2, 2)) AppendLabelDecimal(w, "  Len ", f.totalLength);
}

// The transport header's lines behind the IPv4 header's.
void DecodeTransport(IpHeaderFields& f, const FrameView& transport, TextWriter& w) {
    switch (f.protocol) {
        case kProtocolIcmp:
            DecodeIcmp(f, transport, w);
            break;
        case kProtocolTcp:
            DecodeTcp(f, transport, w);
            break;
        case kProtocolUdp:
            DecodeUdp(f, transport, w);
            break;
        default:
            break;
    }
}

}  // namespace

int32_t TransportOffset(const IpHeaderFields& f) {
    return (f.headerLength < kMinimumHeaderWords ? kMinimumHeaderWords : f.headerLength) * 4;
}

void DecodeIpDetail(IpHeaderFields& f, const FrameView& d, TextWriter& w) {
    if (d.Has(0)) {
        AppendText(w, "\nIP: Version        : ");
        AppendDec1(w, f.version);
        AppendLabelDecimal(w, "\nIP: IP Header Len  : ", f.headerLength * 4);
    }
    if (d.Has(1)) {
        AppendText(w, "\nIP: Type of Service: Precedence : ");
        AppendValueName(w, kTableIpPrecedence, f.typeOfService >> 5);
        AppendText(w, "\nIP: Type of Service: Throughput : ");
        AppendLabel(w, kLabelNormalHigh + TestBits(f.typeOfService, kHighThroughput));
        AppendText(w, "\nIP: Type of Service: Reliability: ");
        AppendLabel(w, kLabelNormalHigh + TestBits(f.typeOfService, kHighReliability));
    }
    if (d.HasRange(2, 2)) AppendLabelDecimal(w, "\nIP: Total Length   : ", f.totalLength);
    if (d.HasRange(4, 2)) {
        AppendLabelHexPair(w, "\nIP: Identification : ", f.identificationHigh, f.identificationLow);
    }
    if (d.Has(6)) {
        AppendText(w, "\nIP: Flags          : ");
        AppendLabel(w, kLabelMayDontFragment + TestBits(f.flags, kDontFragment));
        AppendLabel(w, kLabelLastMoreFragments + TestBits(f.flags, kMoreFragments));
    }
    if (d.HasRange(6, 2)) AppendLabelDecimal(w, "\nIP: Fragment Offset: ", f.fragmentOffset);
    if (d.Has(8)) AppendLabelDecimal(w, "\nIP: Time to Live   : ", f.timeToLive);
    if (d.Has(9)) {
        AppendText(w, "\nIP: Protocol       : ");
        AppendValueName(w, kTableIpProtocol, f.protocol, "Unassigned");
    }
    if (d.HasRange(10, 2)) AppendLabelHexPair(w, "\nIP: Header Checksum: ", f.checksumHigh, f.checksumLow);
    // A later fragment carries the middle or end of the payload, no header.
    if (d.Has(9) && f.fragmentOffset == 0) DecodeTransport(f, d.From(TransportOffset(f)), w);
}

void AppendCarriedIpDetail(const FrameView& datagram, TextWriter& w) {
    IpHeaderFields fields;
    GatherFields(datagram, fields);
    DecodeIpDetail(fields, datagram, w);
}

namespace {

void IpSummary(const FrameView& datagram, uint32_t, IpHeaderFields& fields, TextWriter& w) {
    GatherFields(datagram, fields);
    WriteSummary(fields, datagram, w);
}

void IpDetail(const FrameView& datagram, uint32_t, IpHeaderFields& fields, TextWriter& w) {
    DecodeIpDetail(fields, datagram, w);
}

constexpr FrameText<IpHeaderFields> kIpText = {IpSummary, IpDetail};

}  // namespace

}  // namespace korvex

extern "C" int32_t DecodeIp(DecodeRequest request) { return korvex::DecodeFrame(korvex::kIpText, request); }
