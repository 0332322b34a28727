// LAPD frame decoder: summary line, detail block and hex trace of one frame
// (address, control, information field, FCS). The LAPF variant differs only
// in the address field, whose walk lives in lapf_address.cpp.

#include "decoders/link/lapd.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "core/value_names.h"
#include "decoders/link/lapf_address.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr int kTableShortName = 7;
constexpr int kTableSapi = 8;
constexpr int kTableFrameClass = 9;
constexpr int kTableLongName = 10;

// Label list entries of this decoder.
constexpr int kLabelNs = 3;
constexpr int kLabelNr = 4;
constexpr int kLabelCr = 5;
constexpr int kLabelPf = 6;
constexpr int kLabelFcs = 7;
constexpr int kLabelSapi = 8;
constexpr int kLabelTei = 9;
constexpr int kLabelStaticTei = 10;
constexpr int kLabelAutomaticTei = 11;
constexpr int kLabelGroupTei = 12;

constexpr uint8_t kKeyInformation = 0xFF;
constexpr uint8_t kKeyFrameReject = 0x97;

enum class WalkState { Sapi, Tei, Dlci1, Dlci2, Dlci3, Dlci4, Control1, Control2 };

// The end of the summary line, once the frame key is known: the frame's
// name, the FCS and, when dumpInformation is set, the information field
// between the cursor's octet and the FCS. Returns true when it dumped.
bool NameFcsAndInformation(TextWriter& w, const FrameView& frame, int32_t cursor,
                           int32_t& remaining, LapdFrameFields& fields, uint8_t key,
                           bool dumpInformation) {
    fields.frameKey = key;
    fields.keyKnown = true;
    LookupValueName(kTableShortName, key, w);
    const bool hasFcs = remaining >= 3;
    AppendFcs(w, frame, cursor, remaining);
    if (!dumpInformation || !hasFcs) return false;
    int32_t start = cursor + 1;
    int32_t count = remaining - 1;  // remaining has lost the two FCS octets
    AppendHexDump(w, frame, start, count, true);
    return true;
}

// U frame, after "  NS ": P/F, name, FCS and, for an FRMR without the hex
// trace, its information field. Returns true when the walk ends here.
bool UFrameSteps(TextWriter& w, const FrameView& frame, uint32_t flags, uint8_t control,
                 int32_t cursor, int32_t& remaining, LapdFrameFields& fields) {
    fields.pf = (control >> 4) & 1;
    AppendText(w, "---");
    AppendLabel(w, kLabelNr);
    AppendText(w, "---");
    AppendLabel(w, kLabelPf);
    AppendDec1(w, fields.pf);
    const uint8_t key = control | 0x10;
    const bool frmrDump = key == kKeyFrameReject && (flags & DECODE_HEX) == 0;
    return NameFcsAndInformation(w, frame, cursor, remaining, fields, key, frmrDump);
}

// I and S frames, second control octet: N(R), P/F, name, FCS and, for an I
// frame without the hex trace, the information field.
void Control2Steps(TextWriter& w, const FrameView& frame, uint32_t flags, uint8_t control1,
                   uint8_t control2, int32_t cursor, int32_t& remaining,
                   LapdFrameFields& fields) {
    fields.nr = control2 >> 1;
    fields.pf = control2 & 1;
    AppendLabel(w, kLabelNr);
    AppendDec3(w, fields.nr);
    AppendLabel(w, kLabelPf);
    AppendDec1(w, fields.pf);
    const bool information = fields.frameType == kLapdInformation;
    NameFcsAndInformation(w, frame, cursor, remaining, fields,
                          information ? kKeyInformation : control1,
                          information && (flags & DECODE_HEX) == 0);
}

// The summary walk: one visit per octet, from the address field on.
void SummaryWalk(TextWriter& w, const FrameView& frame, uint32_t flags, LapdFrameFields& fields) {
    WalkState state = (flags & DECODE_LAPF) != 0 ? WalkState::Dlci1 : WalkState::Sapi;
    int32_t cursor = 0;
    int32_t remaining = frame.Size();
    uint8_t control1 = 0;
    while (remaining > 0) {
        uint8_t octet = frame.At(cursor);
        switch (state) {
            case WalkState::Sapi:
                fields.sapi = octet >> 2;
                fields.cr = (octet >> 1) & 1;
                fields.addressOctets = 1;
                AppendLabel(w, kLabelSapi);
                AppendDec3(w, fields.sapi);
                state = WalkState::Tei;
                break;
            case WalkState::Tei:
                fields.tei = octet >> 1;
                fields.addressOctets = 2;
                fields.addressComplete = true;
                AppendLabel(w, kLabelTei);
                AppendDec3(w, fields.tei);
                AppendLabel(w, kLabelCr);
                AppendDec1(w, fields.cr);
                state = WalkState::Control1;
                break;
            case WalkState::Dlci1:
            case WalkState::Dlci2:
            case WalkState::Dlci3:
            case WalkState::Dlci4: {
                int step = static_cast<int>(state) - static_cast<int>(WalkState::Dlci1);
                if (LapfAddressStep(step, octet, fields)) {
                    AppendText(w, "  DLCI  ");
                    AppendHexNumber(w, static_cast<uint32_t>(fields.dlci), 8);
                    state = WalkState::Control1;
                } else {
                    state = static_cast<WalkState>(static_cast<int>(state) + 1);
                }
                break;
            }
            case WalkState::Control1:
                control1 = octet;
                fields.frameType = ClassifyLapdControl(octet);
                fields.controlSeen = true;
                AppendLabel(w, static_cast<int>(fields.frameType));
                AppendLabel(w, kLabelNs);
                if (fields.frameType == kLapdInformation) {
                    fields.ns = octet >> 1;
                    AppendDec3(w, fields.ns);
                    state = WalkState::Control2;
                } else if (fields.frameType == kLapdSupervisory) {
                    AppendText(w, "---");
                    state = WalkState::Control2;
                } else {
                    // The summary reads nothing after a U frame's control field.
                    UFrameSteps(w, frame, flags, octet, cursor, remaining, fields);
                    remaining = 0;
                    continue;
                }
                break;
            case WalkState::Control2:
                Control2Steps(w, frame, flags, control1, octet, cursor, remaining, fields);
                remaining = 0;
                continue;
        }
        ++cursor;
        --remaining;
    }
}

}  // namespace

LapdFrameType ClassifyLapdControl(uint8_t control) {
    if ((control & 0x01) == 0) return kLapdInformation;
    if ((control & 0x03) == 0x01) return kLapdSupervisory;
    return kLapdUnnumbered;
}

void AppendFcs(TextWriter& w, const FrameView& frame, int32_t cursor, int32_t& remaining) {
    if (remaining < 3) return;
    int32_t last = cursor + remaining - 1;
    AppendLabel(w, kLabelFcs);
    AppendHexByte(w, frame.At(last - 1));
    AppendHexByte(w, frame.At(last));
    remaining -= 2;
}

void DecodeLapdDetail(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w,
                      uint32_t flags) {
    const int32_t length = frame.Size();
    if ((flags & DECODE_LAPF) != 0) {
        if (fields.addressComplete) {
            AppendText(w, "\nLAPD: DLCI: ");
            AppendHexNumber(w, static_cast<uint32_t>(fields.dlci), 8);
        }
    } else {
        if (length >= 1) {
            AppendText(w, "\nLAPD: SAPI: ");
            AppendDec3(w, fields.sapi);
            if (LookupValueName(kTableSapi, fields.sapi, w) == 0) AppendText(w, " Reserved");
        }
        if (length >= 2) {
            AppendText(w, "\nLAPD: TEI : ");
            AppendDec3(w, fields.tei);
            if (fields.tei == 127) {
                AppendLabel(w, kLabelGroupTei);
            } else if (fields.tei >= 64) {
                AppendLabel(w, kLabelAutomaticTei);
            } else {
                AppendLabel(w, kLabelStaticTei);
            }
        }
    }
    if (fields.controlSeen) {
        AppendText(w, "\nLAPD: Type: ");
        LookupValueName(kTableFrameClass, static_cast<uint32_t>(fields.frameType), w);
    }
    if (fields.keyKnown) {
        AppendText(w, "\nLAPD: Frm : ");
        LookupValueName(kTableLongName, fields.frameKey, w);
    }
    // The FRMR information field: the five octets just before the FCS.
    if (fields.keyKnown && fields.frameKey == kKeyFrameReject && length >= 10) {
        const int32_t i = length - 7;
        AppendText(w, "\nLAPD: Rejected Frame : ");
        AppendHexByte(w, frame.At(i));
        AppendText(w, "\nLAPD: Control        : ");
        AppendHexByte(w, frame.At(i + 1));
        AppendText(w, "\nLAPD: V(S)           : ");
        AppendHexByte(w, frame.At(i + 2) >> 1);
        AppendText(w, "\nLAPD: V(R)           : ");
        AppendHexByte(w, frame.At(i + 3) >> 1);
        AppendText(w, "\nLAPD: C/R            : ");
        AppendDec1(w, frame.At(i + 3) & 1);
        AppendText(w, "\nLAPD: ZYXW           : ");
        const uint8_t zyxw = frame.At(i + 4);
        AppendDec1(w, (zyxw >> 3) & 1);
        AppendDec1(w, (zyxw >> 2) & 1);
        AppendDec1(w, (zyxw >> 1) & 1);
        AppendDec1(w, zyxw & 1);
    }
    if (fields.keyKnown && fields.frameKey == kKeyInformation && (flags & DECODE_LAYER3) != 0) {
        AppendLayer3Message(fields, frame, w, flags);
    }
}

namespace {

void LapdSummary(const FrameView& frame, uint32_t flags, LapdFrameFields& fields, TextWriter& w) {
    SummaryWalk(w, frame, flags, fields);
}

void LapdDetail(const FrameView& frame, uint32_t flags, LapdFrameFields& fields, TextWriter& w) {
    DecodeLapdDetail(fields, frame, w, flags);
}

constexpr FrameText<LapdFrameFields> kLapdText = {LapdSummary, LapdDetail};

}  // namespace

}  // namespace korvex

extern "C" int32_t DecodeLapd(DecodeRequest request) { return korvex::DecodeFrame(korvex::kLapdText, request); }
