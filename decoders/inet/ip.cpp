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

#include <cstring>

#include "core/frame_text.h"
#include "core/output.h"
#include "core/value_names.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr int kTablePrecedence = 18;
constexpr int kTableProtocol = 19;

// Label list words of the detail block: the base entry for a clear bit, the
// next one for a set bit.
constexpr int kLabelNormalHigh = 15;
constexpr int kLabelMayDontFragment = 17;
constexpr int kLabelLastMoreFragments = 19;

constexpr uint8_t kProtocolIcmp = 1;
constexpr uint8_t kProtocolTcp = 6;
constexpr uint8_t kProtocolUdp = 17;

constexpr int32_t kAddressTextWidth = 15;

// The fixed header, in 32-bit words.
constexpr int32_t kMinimumHeaderWords = 5;

// Dotted decimal of the four octets from first on, blank-filled to 15
// characters.
void AddressText(const FrameView& datagram, int32_t first, char (&text)[16]) {
    std::memset(text, ' ', kAddressTextWidth);
    int n = 0;
    for (int32_t i = 0; i < 4; ++i) {
        const OctetDecimal& decimal = kOctetDecimals[datagram.At(first + i)];
        if (i > 0) text[n++] = '.';
        // Three characters whatever the count: the digits and the blanks
        // behind them; the next octet's text overwrites the blanks.
        text[n] = decimal.text[0];
        text[n + 1] = decimal.text[1];
        text[n + 2] = decimal.text[2];
        n += decimal.digits;
    }
    text[kAddressTextWidth] = '\0';
}

// An address text: always kAddressTextWidth characters.
void AppendAddress(TextWriter& w, const char (&text)[16]) {
    w.Write(text, kAddressTextWidth);
    w.TrailingBlank();
}

void GatherFields(const FrameView& d, IpHeaderFields& f) {
    f = IpHeaderFields{};
    f.version = d.At(0) >> 4;
    f.headerLength = d.At(0) & 0x0F;
    f.typeOfService = d.At(1);
    f.totalLength = d.At(2) * 256 + d.At(3);
    f.identificationHigh = d.At(4);
    f.identificationLow = d.At(5);
    f.flags = d.At(6) >> 5;
    f.fragmentOffset = (d.At(6) & 0x1F) * 256 + d.At(7);
    f.timeToLive = d.At(8);
    f.protocol = d.At(9);
    f.checksumHigh = d.At(10);
    f.checksumLow = d.At(11);
    AddressText(d, 12, f.sourceText);
    AddressText(d, 16, f.destinationText);
}

void WriteSummary(const IpHeaderFields& f, const FrameView& d, TextWriter& w) {
    if (d.Has(0)) {
        AppendText(w, "  IP v");
        AppendDec1(w, f.version);
    }
    if (d.HasRange(12, 4)) {
        AppendText(w, "  SRC IP ");
        AppendAddress(w, f.sourceText);
    }
    if (d.HasRange(16, 4)) {
        AppendText(w, "  DST IP ");
        AppendAddress(w, f.destinationText);
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
        LookupValueName(kTablePrecedence, f.typeOfService >> 5, w);
        AppendText(w, "\nIP: Type of Service: Throughput : ");
        AppendLabel(w, kLabelNormalHigh + ((f.typeOfService >> 3) & 1));
        AppendText(w, "\nIP: Type of Service: Reliability: ");
        AppendLabel(w, kLabelNormalHigh + ((f.typeOfService >> 2) & 1));
    }
    if (d.HasRange(2, 2)) AppendLabelDecimal(w, "\nIP: Total Length   : ", f.totalLength);
    if (d.HasRange(4, 2)) {
        AppendLabelHexPair(w, "\nIP: Identification : ", f.identificationHigh, f.identificationLow);
    }
    if (d.Has(6)) {
        AppendText(w, "\nIP: Flags          : ");
        AppendLabel(w, kLabelMayDontFragment + ((f.flags >> 1) & 1));
        AppendLabel(w, kLabelLastMoreFragments + (f.flags & 1));
    }
    if (d.HasRange(6, 2)) AppendLabelDecimal(w, "\nIP: Fragment Offset: ", f.fragmentOffset);
    if (d.Has(8)) AppendLabelDecimal(w, "\nIP: Time to Live   : ", f.timeToLive);
    if (d.Has(9)) {
        AppendText(w, "\nIP: Protocol       : ");
        if (LookupValueName(kTableProtocol, f.protocol, w) == 0) AppendText(w, "Unassigned");
    }
    if (d.HasRange(10, 2)) AppendLabelHexPair(w, "\nIP: Header Checksum: ", f.checksumHigh, f.checksumLow);
    // A later fragment carries the middle or end of the payload, no header.
    if (!d.Has(9) || f.fragmentOffset != 0) return;
    const FrameView transport = d.From(TransportOffset(f));
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
