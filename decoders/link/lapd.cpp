// LAPD frame decoder: summary line, detail block and hex trace of one frame
// (address, control, information field, FCS). The LAPF variant differs only
// in the address field, whose walk lives in lapf_address.cpp.

#include "decoders/link/lapd.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "decoders/link/lapf_address.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

// The FRMR information field, the five octets before the FCS:
//
//   octet 1   control field of the rejected frame
//   octet 2   its second octet
//   octet 3   V(S) (7 bits) | 0
//   octet 4   V(R) (7 bits) | C/R
//   octet 5   0 0 0 0 | Z | Y | X | W
constexpr int32_t kFrmrFromEnd = 7;  // its first octet, counted back from the frame's end
constexpr int32_t kFrmrShortest = 10;

// The SAPI and TEI of the summary line; true when the frame holds both.
bool AppendLapdAddress(TextWriter& w, const FrameView& frame, LapdFrameFields& fields) {
    if (!frame.Has(0)) return false;
    fields.sapi = frame.At(0) >> 2;
    fields.cr = TestBits(frame.At(0), kCommandResponse);
    fields.addressOctets = 1;
    AppendLabel(w, kLabelSapi);
    AppendDec3(w, fields.sapi);
    if (!frame.Has(1)) return false;
    fields.tei = frame.At(1) >> 1;
    fields.addressOctets = 2;
    fields.addressComplete = true;
    AppendLabel(w, kLabelTei);
    AppendDec3(w, fields.tei);
    AppendLabel(w, kLabelCr);
    AppendDec1(w, fields.cr);
    return true;
}

// The DLCI of the summary line; true when the frame holds the whole address.
bool AppendLapfAddress(TextWriter& w, const FrameView& frame, LapdFrameFields& fields) {
    if (!ReadLapfAddress(frame, fields)) return false;
    AppendText(w, "  DLCI  ");
    AppendHexNumber(w, fields.dlci, 8);
    return true;
}

// " FCS " and the frame's last two octets, when the frame holds two octets
// after the last control octet (at index control).
void AppendFcs(TextWriter& w, const FrameView& frame, int32_t control) {
    const int32_t size = frame.Size();
    if (size - control < 3) return;
    AppendLabel(w, kLabelFcs);
    AppendHexByte(w, frame.At(size - 2));
    AppendHexByte(w, frame.At(size - 1));
}

// The end of the summary line once the frame key is known: the frame's
// name, the FCS and, when dumpInformation is set, the information field
// between the last control octet and the FCS.
void NameFcsAndInformation(TextWriter& w, const FrameView& frame, int32_t control, LapdFrameFields& fields,
                           uint8_t key, bool dumpInformation) {
    fields.frameKey = key;
    fields.keyKnown = true;
    AppendValueName(w, kTableLapdShortName, key);
    AppendFcs(w, frame, control);
    if (!dumpInformation || frame.Size() - control < 3) return;
    int32_t first = control + 1;
    int32_t count = frame.Size() - control - 3;
    AppendHexDump(w, frame, first, count, true);
}

// U frame, after "  NS ": P/F, name, FCS and, for an FRMR without the hex
// trace, its information field.
void UFrameSteps(TextWriter& w, const FrameView& frame, uint32_t flags, int32_t control,
                 LapdFrameFields& fields) {
    const uint8_t octet = frame.At(control);
    fields.pf = TestBits(octet, kUnnumberedPollFinal);
    AppendText(w, "---");
    AppendLabel(w, kLabelNr);
    AppendText(w, "---");
    AppendLabel(w, kLabelPf);
    AppendDec1(w, fields.pf);
    const uint8_t key = octet | kUnnumberedPollFinal;
    const bool frmrDump = key == kKeyFrameReject && (flags & DECODE_HEX) == 0;
    NameFcsAndInformation(w, frame, control, fields, key, frmrDump);
}

// I and S frames, second control octet (at index control): N(R), P/F, name,
// FCS and, for an I frame without the hex trace, the information field.
void Control2Steps(TextWriter& w, const FrameView& frame, uint32_t flags, uint8_t control1,
                   int32_t control, LapdFrameFields& fields) {
    const uint8_t octet = frame.At(control);
    fields.nr = octet >> 1;
    fields.pf = octet & kPollFinal;
    AppendLabel(w, kLabelNr);
    AppendDec3(w, fields.nr);
    AppendLabel(w, kLabelPf);
    AppendDec1(w, fields.pf);
    // An I frame is named by its own key, an S frame by its control octet.
    const bool information = fields.frameType == kLapdInformation;
    const uint8_t key = information ? static_cast<uint8_t>(kKeyInformation) : control1;
    NameFcsAndInformation(w, frame, control, fields, key, information && (flags & DECODE_HEX) == 0);
}

// The summary line after the timestamp: address, control field, frame name,
// FCS, as far as the frame's octets go.
void SummaryWalk(TextWriter& w, const FrameView& frame, uint32_t flags, LapdFrameFields& fields) {
    const bool lapf = (flags & DECODE_LAPF) != 0;
    if (!(lapf ? AppendLapfAddress(w, frame, fields) : AppendLapdAddress(w, frame, fields))) return;
    const int32_t control = fields.addressOctets;
    if (!frame.Has(control)) return;
    const uint8_t control1 = frame.At(control);
    fields.frameType = ClassifyLapdControl(control1);
    fields.controlSeen = true;
    AppendLabel(w, kLabelFrameClass0 + static_cast<int>(fields.frameType));
    AppendLabel(w, kLabelNs);
    if (fields.frameType == kLapdUnnumbered) {
        // The summary reads nothing after a U frame's control field.
        UFrameSteps(w, frame, flags, control, fields);
        return;
    }
    if (fields.frameType == kLapdInformation) {
        fields.ns = control1 >> 1;
        AppendDec3(w, fields.ns);
    } else {
        AppendText(w, "---");
    }
    if (frame.Has(control + 1)) Control2Steps(w, frame, flags, control1, control + 1, fields);
}

// The address lines of the detail block: SAPI and TEI, or the DLCI.
void DetailAddress(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w, uint32_t flags) {
    if ((flags & DECODE_LAPF) != 0) {
        if (!fields.addressComplete) return;
        AppendText(w, "\nLAPD: DLCI: ");
        AppendHexNumber(w, fields.dlci, 8);
        if ((flags & DECODE_EXTENDED) != 0) AppendLapfAddressBits(fields, frame, w);
        return;
    }
    if (!frame.Has(0)) return;
    AppendText(w, "\nLAPD: SAPI: ");
    AppendDec3(w, fields.sapi);
    AppendValueName(w, kTableLapdSapi, fields.sapi, " Reserved");
    if (!frame.Has(1)) return;
    AppendText(w, "\nLAPD: TEI : ");
    AppendDec3(w, fields.tei);
    AppendTeiClass(w, fields.tei);
}

// The FRMR information field's lines.
void FrameRejectFields(const FrameView& frame, TextWriter& w) {
    const int32_t i = frame.Size() - kFrmrFromEnd;
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
    // Z, Y, X and W: four digits together.
    const uint8_t zyxw = frame.At(i + 4);
    AppendText(w, "\nLAPD: ZYXW           : ");
    AppendDec1(w, TestBits(zyxw, 0x08));
    AppendDec1(w, TestBits(zyxw, 0x04));
    AppendDec1(w, TestBits(zyxw, 0x02));
    AppendDec1(w, TestBits(zyxw, 0x01));
}

}  // namespace

void AppendTeiClass(TextWriter& w, uint8_t tei) {
    if (tei == kGroupTei) {
        AppendLabel(w, kLabelGroupTei);
    } else if (tei >= kFirstAutomaticTei) {
        AppendLabel(w, kLabelAutomaticTei);
    } else {
        AppendLabel(w, kLabelStaticTei);
    }
}

LapdFrameType ClassifyLapdControl(uint8_t control) {
    if ((control & kInformationMask) == 0) return kLapdInformation;
    if ((control & kSupervisoryMask) == 0x01) return kLapdSupervisory;
    return kLapdUnnumbered;
}

void DecodeLapdDetail(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w,
                      uint32_t flags) {
    DetailAddress(fields, frame, w, flags);
    if (fields.controlSeen) {
        AppendText(w, "\nLAPD: Type: ");
        AppendValueName(w, kTableLapdFrameClass, fields.frameType);
    }
    if (!fields.keyKnown) return;
    AppendText(w, "\nLAPD: Frm : ");
    AppendValueName(w, kTableLapdLongName, fields.frameKey);
    if (fields.frameKey == kKeyFrameReject && frame.Size() >= kFrmrShortest) FrameRejectFields(frame, w);
    if (fields.frameKey == kKeyInformation && (flags & DECODE_LAYER3) != 0) {
        AppendLayer3Message(fields, frame, w, flags);
    }
    if (fields.frameKey == kKeyUnnumberedInformation && (flags & DECODE_EXTENDED) != 0) {
        AppendUnnumberedInformation(fields, frame, w, flags);
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
