// Multiprotocol encapsulation in LAPF UI frames: the field after the control
// octet names its protocol by a network layer protocol identifier (NLPID).
//
//   pad         0000 0000, none or more (aligns what follows)
//   NLPID       1 octet: 0xCC IPv4, 0x8E IPv6, 0x08 Q.933, 0x80 SNAP, ...
//   data        the protocol's octets
//
// A SNAP header follows the NLPID 0x80:
//
//   octets 1-3  organizationally unique identifier (OUI)
//   octets 4-5  protocol identifier (PID): an EtherType when the OUI is 0
//   data
//
// Q.933 shares the Q.931 message format, and its protocol discriminator is
// the NLPID itself: the message starts at the NLPID octet. On DLCI 0 this is
// the link's own signalling (its status enquiries and status reports).
//
// The NLPID and SNAP lines are the link layer's; the carried protocol's
// lines (IPv4 or IPv6 detail, Q.931 detail) follow with DECODE_LAYER3.

#include "core/output.h"
#include "decoders/inet/ethernet.h"
#include "decoders/inet/ip.h"
#include "decoders/inet/ipv6.h"
#include "decoders/link/lapd.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

enum Nlpid : uint8_t { kNlpidPad = 0x00, kNlpidQ933 = 0x08, kNlpidSnap = 0x80, kNlpidIpv6 = 0x8E, kNlpidIpv4 = 0xCC };

enum SnapField : int32_t { kOui = 1, kPid = 4, kSnapData = 6 };

constexpr uint32_t kEtherTypeOui = 0x000000;
constexpr uint32_t kEtherTypeIpv4 = 0x0800;
constexpr uint32_t kEtherTypeIpv6 = 0x86DD;

// The SNAP header after the NLPID at octet nlpid: OUI and PID lines, then
// an IPv4 datagram's detail when the PID is the IPv4 EtherType.
void AppendSnap(const FrameView& field, int32_t nlpid, uint32_t flags, TextWriter& w) {
    if (!field.HasRange(nlpid + kOui, 3)) return;
    const uint32_t oui = field.At(nlpid + kOui) << 16 | field.Read16(nlpid + kOui + 1);
    AppendText(w, "\nLAPD: SNAP OUI     : ");
    AppendHexNumber(w, oui, 6);
    if (!field.HasRange(nlpid + kPid, 2)) return;
    const uint32_t pid = field.Read16(nlpid + kPid);
    AppendText(w, "\nLAPD: SNAP Protocol: ");
    AppendHexPair(w, pid >> 8, pid & 0xFF);
    if (oui != kEtherTypeOui) return;
    AppendText(w, " ");
    NameEtherType(pid, w);
    if ((flags & DECODE_LAYER3) == 0) return;
    if (pid == kEtherTypeIpv4) AppendCarriedIpDetail(field.From(nlpid + kSnapData), w);
    if (pid == kEtherTypeIpv6) AppendCarriedIpv6Detail(field.From(nlpid + kSnapData), w);
}

}  // namespace

void AppendLapfEncapsulation(const FrameView& field, uint32_t flags, TextWriter& w) {
    int32_t nlpid = 0;
    while (field.Has(nlpid) && field.At(nlpid) == kNlpidPad) ++nlpid;
    if (!field.Has(nlpid)) return;
    const uint8_t protocol = field.At(nlpid);
    AppendText(w, "\nLAPD: NLPID        : ");
    AppendHexByte(w, protocol);
    AppendText(w, " ");
    AppendValueName(w, kTableLapfNlpid, protocol, "Unassigned");
    const bool layer3 = (flags & DECODE_LAYER3) != 0;
    switch (protocol) {
        case kNlpidSnap:
            AppendSnap(field, nlpid, flags, w);
            break;
        case kNlpidIpv4:
            if (layer3) AppendCarriedIpDetail(field.From(nlpid + 1), w);
            break;
        case kNlpidIpv6:
            if (layer3) AppendCarriedIpv6Detail(field.From(nlpid + 1), w);
            break;
        case kNlpidQ933:
            if (layer3) AppendQ931Message(field.From(nlpid), flags, w);
            break;
        default:
            break;
    }
}

}  // namespace korvex
