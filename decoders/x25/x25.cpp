// X.25 packet decoder: summary line, detail block and hex trace of one
// packet (general format identifier, logical channel, packet type, rest by
// type). Embedded in a link-layer frame's text it writes only the detail
// block and the packet's hex trace, at the link layer's position.

#include "decoders/x25/x25.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "core/value_names.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr int kTableHeaderLabels = 11;
constexpr int kTablePacketTypes = 12;
constexpr int kTableModulo = 13;
constexpr int kTableClearingCauses = 14;
constexpr int kTableDiagnostics = 15;
constexpr int kTableResettingCauses = 16;
constexpr int kTableRestartingCauses = 17;

constexpr uint8_t kTypeData = 0x00;
constexpr uint8_t kTypeReceiveReady = 0x01;
constexpr uint8_t kTypeReceiveNotReady = 0x05;
constexpr uint8_t kTypeReject = 0x09;
constexpr uint8_t kTypeCallRequest = 0x0B;
constexpr uint8_t kTypeCallAccepted = 0x0F;
constexpr uint8_t kTypeClearRequest = 0x13;
constexpr uint8_t kTypeResetRequest = 0x1B;
constexpr uint8_t kTypeInterrupt = 0x23;
constexpr uint8_t kTypeDiagnostic = 0xF1;
constexpr uint8_t kTypeRestartRequest = 0xFB;

// The address block of call packets starts after octet 3, which holds the
// two address lengths.
constexpr int32_t kAddressLengths = 3;
constexpr int32_t kAddressBlock = 4;

// Octets 0 to 2: record the header fields and, unless embedded, write them
// on the summary line.
void HeaderWalk(TextWriter& w, const FrameView& packet, bool embedded, X25PacketFields& fields) {
    for (int32_t i = 0; i < 3 && packet.Has(i); ++i) {
        const uint8_t octet = packet.At(i);
        fields.headerOctets = i + 1;
        if (i == 0) {
            fields.gfi = octet >> 4;
            fields.qaBit = (octet >> 7) & 1;
            fields.dBit = (octet >> 6) & 1;
            fields.modulo = (octet >> 4) & 3;
            fields.lgn = octet & 0x0F;
            if (embedded) continue;
            LookupValueName(kTableHeaderLabels, 0, w);
            AppendHexByte(w, fields.gfi);
            LookupValueName(kTableHeaderLabels, 1, w);
            AppendHexByte(w, fields.lgn);
        } else if (i == 1) {
            fields.lcn = octet;
            if (embedded) continue;
            LookupValueName(kTableHeaderLabels, 2, w);
            AppendHexByte(w, fields.lcn);
        } else {
            fields.packetType = X25PacketType(octet);
            if (embedded) continue;
            AppendText(w, "  ");
            LookupValueName(kTablePacketTypes, fields.packetType, w);
        }
    }
}

// "\nX25: DATA   : " and the octets from octet 3 to the packet's end.
void AppendUserData(TextWriter& w, const FrameView& packet) {
    AppendText(w, "\nX25: DATA   : ");
    int32_t cursor = 3;
    int32_t count = packet.Size() - 3;
    AppendHexDump(w, packet, cursor, count, true);
}

void AppendCauseLine(TextWriter& w, uint8_t cause, int causeTable) {
    AppendText(w, "\nX25: Cause  : ");
    AppendHexByte(w, cause);
    LookupValueName(causeTable, cause, w);
}

void AppendDiagnosticLine(TextWriter& w, uint8_t diagnostic, int diagnosticTable) {
    AppendText(w, "\nX25: DIAG   : ");
    AppendHexByte(w, diagnostic);
    if (diagnostic == 0) {
        AppendText(w, " NO ADDITIONAL INFORMATION");
    } else {
        LookupValueName(diagnosticTable, diagnostic, w);
    }
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

// Clear, reset and restart requests: cause in octet 3, diagnostic in octet 4.
void AppendCauseAndDiagnostic(uint8_t& cause, X25PacketFields& fields, const FrameView& packet,
                              TextWriter& w, int causeTable) {
    if (!packet.Has(3)) return;
    cause = packet.At(3);
    if (!packet.Has(4)) {
        AppendCauseLine(w, cause, causeTable);
        return;
    }
    fields.diagnostic = packet.At(4);
    AppendX25CauseDiag(w, cause, fields.diagnostic, causeTable, kTableDiagnostics);
}

// Diagnostic packet: the code in octet 3, the explanation from octet 4 on.
void AppendDiagnosticPacket(X25PacketFields& fields, const FrameView& packet, TextWriter& w) {
    if (!packet.Has(3)) return;
    fields.diagnosticCode = packet.At(3);
    AppendText(w, "\nX25: Code   : ");
    AppendHexByte(w, fields.diagnosticCode);
    LookupValueName(kTableDiagnostics, fields.diagnosticCode, w);
    AppendText(w, "\nX25: Expl.  : ");
    int32_t cursor = 4;
    int32_t count = packet.Size() - 4;
    AppendHexDump(w, packet, cursor, count, true);
}

}  // namespace

uint8_t X25PacketType(uint8_t typeOctet) {
    if ((typeOctet & 0x01) == 0) return kTypeData;
    switch (typeOctet & 0x1F) {
        case kTypeReceiveReady:
        case kTypeReceiveNotReady:
        case kTypeReject:
            return typeOctet & 0x1F;
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

void AppendX25CauseDiag(TextWriter& w, uint8_t cause, uint8_t diagnostic, int causeTable,
                        int diagnosticTable) {
    AppendCauseLine(w, cause, causeTable);
    AppendDiagnosticLine(w, diagnostic, diagnosticTable);
}

void DecodeX25Detail(X25PacketFields& fields, const FrameView& packet, TextWriter& w) {
    if (fields.headerOctets < 1) return;
    AppendText(w, "\nX25: GFI    : ");
    AppendHexNumber(w, static_cast<uint32_t>(fields.gfi), 2);
    AppendText(w, "\nX25: LGN    : ");
    AppendHexNumber(w, static_cast<uint32_t>(fields.lgn), 2);
    if (fields.headerOctets < 2) return;
    AppendText(w, "\nX25: LCN    : ");
    AppendHexNumber(w, static_cast<uint32_t>(fields.lcn), 2);
    if (fields.headerOctets < 3) return;
    AppendText(w, "\nX25: PTI    : ");
    LookupValueName(kTablePacketTypes, fields.packetType, w);
    AppendText(w, "\nX25: Modulo : ");
    LookupValueName(kTableModulo, fields.modulo, w);
    AppendText(w, fields.packetType == kTypeData ? "\nX25: Q-Bit  : " : "\nX25: A-Bit  : ");
    AppendDec1(w, fields.qaBit);
    AppendText(w, "\nX25: D-Bit  : ");
    AppendDec1(w, fields.dBit);

    const uint8_t typeOctet = packet.At(2);
    switch (fields.packetType) {
        case kTypeData:
            fields.pr = typeOctet >> 5;
            fields.mBit = (typeOctet >> 4) & 1;
            fields.ps = (typeOctet >> 1) & 7;
            AppendText(w, "\nX25: M-Bit  : ");
            AppendDec1(w, fields.mBit);
            AppendText(w, "\nX25: P(R)   : ");
            AppendHexByte(w, fields.pr);
            AppendText(w, "\nX25: P(S)   : ");
            AppendHexByte(w, fields.ps);
            AppendUserData(w, packet);
            break;
        case kTypeInterrupt:
            AppendUserData(w, packet);
            break;
        case kTypeReceiveReady:
        case kTypeReceiveNotReady:
        case kTypeReject:
            fields.pr = typeOctet >> 5;
            AppendText(w, "\nX25: P(R)   : ");
            AppendHexByte(w, fields.pr);
            break;
        case kTypeCallRequest:
        case kTypeCallAccepted:
            AppendAddressesAndFacilities(fields, packet, w);
            break;
        case kTypeClearRequest:
            AppendCauseAndDiagnostic(fields.clearingCause, fields, packet, w, kTableClearingCauses);
            break;
        case kTypeResetRequest:
            AppendCauseAndDiagnostic(fields.resettingCause, fields, packet, w, kTableResettingCauses);
            break;
        case kTypeRestartRequest:
            AppendCauseAndDiagnostic(fields.restartingCause, fields, packet, w, kTableRestartingCauses);
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
