// X.25 packet decoder: summary line, detail block and hex trace of one
// packet (general format identifier, logical channel, packet type, rest by
// type). Embedded in a link-layer frame's text it writes only the detail
// block and the packet's hex trace, at the link layer's position.

#include "decoders/x25/x25.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

// The keys of table 11, the summary line's header labels.
enum HeaderLabel : uint8_t { kGfiLabel = 0, kLgnLabel = 1, kLcnLabel = 2 };

// Call request and call accepted, after the header:
//
//   octet 4      calling address length | called address length (4 bits each)
//   octets 5..   called address digits, then calling address digits, two
//                to an octet, high half first
//   then         facility length, facilities
constexpr int32_t kAddressLengths = 3;
constexpr int32_t kAddressBlock = 4;

// Clear, reset and restart requests: cause in octet 4, diagnostic in octet 5.
// Diagnostic packet: code in octet 4, explanation from octet 5 on.
constexpr int32_t kCause = 3;
constexpr int32_t kDiagnostic = 4;

// Octets 1 to 3: record the header fields and, unless embedded, write them
// on the summary line.
void HeaderWalk(TextWriter& w, const FrameView& packet, bool embedded, X25PacketFields& fields) {
    if (!packet.Has(0)) return;
    const uint8_t gfi = packet.At(0);
    fields.headerOctets = 1;
    fields.gfi = gfi >> 4;
    fields.qaBit = TestBits(gfi, kQualifierBit);
    fields.dBit = TestBits(gfi, kDeliveryBit);
    fields.modulo = (gfi >> 4) & kModuloMask;
    fields.lgn = gfi & kGroupMask;
    if (!embedded) {
        AppendValueName(w, kTableX25HeaderLabel, kGfiLabel);
        AppendHexByte(w, fields.gfi);
        AppendValueName(w, kTableX25HeaderLabel, kLgnLabel);
        AppendHexByte(w, fields.lgn);
    }
    if (!packet.Has(1)) return;
    fields.headerOctets = 2;
    fields.lcn = packet.At(1);
    if (!embedded) {
        AppendValueName(w, kTableX25HeaderLabel, kLcnLabel);
        AppendHexByte(w, fields.lcn);
    }
    if (!packet.Has(2)) return;
    fields.headerOctets = 3;
    fields.packetType = X25PacketType(packet.At(2));
    if (!embedded) {
        AppendText(w, "  ");
        AppendValueName(w, kTableX25PacketType, fields.packetType);
    }
}

// "\nX25: DATA   : " and the octets from octet 4 to the packet's end.
void AppendUserData(TextWriter& w, const FrameView& packet) {
    AppendText(w, "\nX25: DATA   : ");
    int32_t cursor = 3;
    int32_t count = packet.Size() - 3;
    AppendHexDump(w, packet, cursor, count, true);
}

void AppendCauseLine(TextWriter& w, uint8_t cause, int causeTable) {
    AppendText(w, "\nX25: Cause  : ");
    AppendHexByte(w, cause);
    AppendValueName(w, causeTable, cause);
}

void AppendDiagnosticLine(TextWriter& w, uint8_t diagnostic) {
    AppendText(w, "\nX25: DIAG   : ");
    AppendHexByte(w, diagnostic);
    if (diagnostic == 0) {
        AppendText(w, " NO ADDITIONAL INFORMATION");
    } else {
        AppendValueName(w, kTableX25Diagnostic, diagnostic);
    }
}

// Data packet: M, P(R) and P(S) from the type octet, then the user data.
void AppendDataPacket(X25PacketFields& fields, const FrameView& packet, TextWriter& w) {
    const uint8_t typeOctet = packet.At(2);
    fields.pr = typeOctet >> 5;
    fields.mBit = TestBits(typeOctet, kMoreDataBit);
    fields.ps = (typeOctet >> 1) & kSendSequenceMask;
    AppendText(w, "\nX25: M-Bit  : ");
    AppendDec1(w, fields.mBit);
    AppendText(w, "\nX25: P(R)   : ");
    AppendHexByte(w, fields.pr);
    AppendText(w, "\nX25: P(S)   : ");
    AppendHexByte(w, fields.ps);
    AppendUserData(w, packet);
}

// Call request and call accepted: the two addresses and the facility field.
void AppendAddressesAndFacilities(X25PacketFields& fields, const FrameView& packet, TextWriter& w) {
    if (!packet.Has(kAddressLengths)) return;
    const uint8_t lengths = packet.At(kAddressLengths);
    fields.calledLength = lengths & 0x0F;
    fields.callingLength = lengths >> 4;
    const FrameView block = packet.From(kAddressBlock);
    UnpackBcdDigits(fields.called, block, 0, fields.calledLength);
    UnpackBcdDigits(fields.calling, block, fields.calledLength, fields.callingLength);
    AppendText(w, "\nX25: Called : ");
    AppendText(w, fields.called);
    AppendText(w, "\nX25: Calling: ");
    AppendText(w, fields.calling);

    const int32_t lengthOctet = kAddressBlock + (fields.calledLength + fields.callingLength + 1) / 2;
    if (!packet.Has(lengthOctet)) return;
    fields.facilityLength = packet.At(lengthOctet);
    AppendText(w, "\nX25: Facilities: ");
    // A facility length past the packet's end: the dump stops at the end.
    int32_t cursor = lengthOctet + 1;
    int32_t count = fields.facilityLength;
    AppendHexDump(w, packet, cursor, count, true);
}

// Clear, reset and restart requests: the cause and, when the packet holds
// it, the diagnostic.
void AppendCauseAndDiagnostic(uint8_t& cause, X25PacketFields& fields, const FrameView& packet,
                              TextWriter& w, int causeTable) {
    if (!packet.Has(kCause)) return;
    cause = packet.At(kCause);
    AppendCauseLine(w, cause, causeTable);
    if (!packet.Has(kDiagnostic)) return;
    fields.diagnostic = packet.At(kDiagnostic);
    AppendDiagnosticLine(w, fields.diagnostic);
}

// Diagnostic packet: the code and the explanation octets.
void AppendDiagnosticPacket(X25PacketFields& fields, const FrameView& packet, TextWriter& w) {
    if (!packet.Has(kCause)) return;
    fields.diagnosticCode = packet.At(kCause);
    AppendText(w, "\nX25: Code   : ");
    AppendHexByte(w, fields.diagnosticCode);
    AppendValueName(w, kTableX25Diagnostic, fields.diagnosticCode);
    AppendText(w, "\nX25: Expl.  : ");
    int32_t cursor = kDiagnostic;
    int32_t count = packet.Size() - kDiagnostic;
    AppendHexDump(w, packet, cursor, count, true);
}

// The header lines of the detail block, as far as the header goes.
void AppendHeaderLines(const X25PacketFields& fields, TextWriter& w) {
    AppendText(w, "\nX25: GFI    : ");
    AppendHexNumber(w, fields.gfi, 2);
    AppendText(w, "\nX25: LGN    : ");
    AppendHexNumber(w, fields.lgn, 2);
    if (fields.headerOctets < 2) return;
    AppendText(w, "\nX25: LCN    : ");
    AppendHexNumber(w, fields.lcn, 2);
    if (fields.headerOctets < 3) return;
    AppendText(w, "\nX25: PTI    : ");
    AppendValueName(w, kTableX25PacketType, fields.packetType);
    AppendText(w, "\nX25: Modulo : ");
    AppendValueName(w, kTableX25Modulo, fields.modulo);
    AppendText(w, fields.packetType == kTypeData ? "\nX25: Q-Bit  : " : "\nX25: A-Bit  : ");
    AppendDec1(w, fields.qaBit);
    AppendText(w, "\nX25: D-Bit  : ");
    AppendDec1(w, fields.dBit);
}

}  // namespace

uint8_t X25PacketType(uint8_t typeOctet) {
    if ((typeOctet & kNotDataBit) == 0) return kTypeData;
    switch (typeOctet & kSupervisoryTypeMask) {
        case kTypeReceiveReady:
        case kTypeReceiveNotReady:
        case kTypeReject:
            return typeOctet & kSupervisoryTypeMask;
        default:
            return typeOctet;
    }
}

int32_t UnpackBcdDigits(char* digits, const FrameView& block, int32_t first, int32_t count) {
    int32_t written = 0;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t semiOctet = first + k;
        const int32_t octet = semiOctet / 2;
        if (!block.Has(octet)) break;
        const uint8_t value = semiOctet % 2 == 0 ? block.At(octet) >> 4 : block.At(octet) & 0x0F;
        digits[written++] = static_cast<char>('0' + value);
    }
    return written;
}

void DecodeX25Detail(X25PacketFields& fields, const FrameView& packet, TextWriter& w) {
    if (fields.headerOctets < 1) return;
    AppendHeaderLines(fields, w);
    if (fields.headerOctets < 3) return;
    switch (fields.packetType) {
        case kTypeData:
            AppendDataPacket(fields, packet, w);
            break;
        case kTypeInterrupt:
            AppendUserData(w, packet);
            break;
        case kTypeReceiveReady:
        case kTypeReceiveNotReady:
        case kTypeReject:
            fields.pr = packet.At(2) >> 5;
            AppendText(w, "\nX25: P(R)   : ");
            AppendHexByte(w, fields.pr);
            break;
        case kTypeCallRequest:
        case kTypeCallAccepted:
            AppendAddressesAndFacilities(fields, packet, w);
            break;
        case kTypeClearRequest:
            AppendCauseAndDiagnostic(fields.clearingCause, fields, packet, w, kTableX25ClearingCause);
            break;
        case kTypeResetRequest:
            AppendCauseAndDiagnostic(fields.resettingCause, fields, packet, w, kTableX25ResettingCause);
            break;
        case kTypeRestartRequest:
            AppendCauseAndDiagnostic(fields.restartingCause, fields, packet, w, kTableX25RestartingCause);
            break;
        case kTypeDiagnostic:
            AppendDiagnosticPacket(fields, packet, w);
            break;
        default:
            break;  // confirmations and unnamed types: nothing more
    }
}

namespace {

// The header walk: the summary fields, or with DECODE_EMBEDDED only the
// header's fields for the detail block.
void X25Summary(const FrameView& packet, uint32_t flags, X25PacketFields& fields, TextWriter& w) {
    HeaderWalk(w, packet, (flags & DECODE_EMBEDDED) != 0, fields);
}

void X25Detail(const FrameView& packet, uint32_t, X25PacketFields& fields, TextWriter& w) {
    DecodeX25Detail(fields, packet, w);
}

constexpr FrameText<X25PacketFields> kX25Text = {X25Summary, X25Detail, LineEnds::AfterFrame, true};

}  // namespace

void AppendEmbeddedX25(const FrameView& packet, uint32_t flags, TextWriter& w) {
    WriteFrameText(kX25Text, packet, flags | DECODE_EMBEDDED, nullptr, w);
}

}  // namespace korvex

extern "C" int32_t DecodeX25(DecodeRequest request) { return korvex::DecodeFrame(korvex::kX25Text, request); }
