// Ethernet frame decoder: the two MAC addresses and the type/length field on
// the summary line; the named type and a dump of the data field in the
// detail block. Ethernet II and IEEE 802.3 frames are read alike, and the
// data field is handed to no other decoder.
//
// A frame cut short shows on its summary line the octets it has of each
// field; the type is named, and the data field dumped, only when the frame
// reaches them.

#include "decoders/inet/ethernet.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

//   octets 0-5    destination address
//   octets 6-11   source address
//   octets 12-13  type, or length of an IEEE 802.3 frame
//   octets 14..   data
enum FrameField : int32_t { kDestination = 0, kSource = 6, kType = 12, kData = 14 };
constexpr int32_t kAddressSize = 6;

// A label and the octets of one summary field that the frame holds; nothing
// when it holds none of them.
void SummaryField(TextWriter& w, const FrameView& frame, const char* label, int32_t first,
                  int32_t size) {
    if (!frame.Has(first)) return;
    AppendText(w, label);
    int32_t cursor = first;
    int32_t count = size;
    AppendHexDump(w, frame, cursor, count, false);
}

void SummaryType(TextWriter& w, const FrameView& frame) {
    if (!frame.Has(kType)) return;
    AppendText(w, "  TYPE  ");
    AppendHexByte(w, frame.At(kType));
    if (frame.Has(kType + 1)) AppendHexByte(w, frame.At(kType + 1));
}

//   octets 12-13  tag protocol identifier: 0x8100 (802.1Q) or 0x88A8 (802.1ad)
//   octets 14-15  tag control: priority (bits 16-14) | drop eligible (bit 13) |
//                 VLAN id (bits 12-1)
//   octets 16-17  the type behind the tag, or the identifier of another tag
enum VlanTagType : uint32_t { kCustomerTag = 0x8100, kServiceTag = 0x88A8 };
enum TagControlBits : uint32_t { kPriorityShift = 13, kDropEligible = 0x1000, kVlanIdMask = 0x0FFF };
constexpr int32_t kTagSize = 4;

void AppendTypeLine(TextWriter& w, const FrameView& frame, int32_t at) {
    AppendText(w, "\nETH: Type   : ");
    AppendHexPair(w, frame.At(at), frame.At(at + 1));
    AppendText(w, " ");
    NameEtherType(frame.Read16(at), w);
}

// The lines of the VLAN tags from the type field at on, each with the type
// behind it; returns the offset of the type field behind the last tag.
int32_t DecodeVlanTags(TextWriter& w, const FrameView& frame, int32_t at) {
    while (IsVlanTag(frame.Read16(at)) && frame.HasRange(at + 2, kTagSize)) {
        const uint32_t control = frame.Read16(at + 2);
        AppendText(w, "\nETH: VLAN   : Priority ");
        AppendDec1(w, control >> kPriorityShift);
        AppendText(w, ", DEI ");
        AppendDec1(w, TestBits(control >> 8, kDropEligible >> 8));
        AppendLabelDecimal(w, ", VLAN ID ", static_cast<int32_t>(control & kVlanIdMask));
        at += kTagSize;
        AppendTypeLine(w, frame, at);
    }
    return at;
}

}  // namespace

bool IsVlanTag(uint32_t etherType) { return etherType == kCustomerTag || etherType == kServiceTag; }

void DecodeEthernetDetail(uint32_t etherType, const FrameView& frame, TextWriter& w, uint32_t flags) {
    if (!frame.HasRange(kType, 2)) return;
    AppendText(w, "\nETH: Type   : ");
    AppendHexPair(w, frame.At(kType), frame.At(kType + 1));
    AppendText(w, " ");
    NameEtherType(etherType, w);
    const int32_t type = (flags & DECODE_EXTENDED) != 0 ? DecodeVlanTags(w, frame, kType) : kType;
    AppendText(w, "\nETH: DATA   : ");
    int32_t cursor = type + 2;
    int32_t count = frame.Size() - cursor;
    AppendHexDump(w, frame, cursor, count, true);
}

namespace {

// The summary line: destination, source, type/length.
void EthernetSummary(const FrameView& frame, uint32_t, NoFields&, TextWriter& w) {
    SummaryField(w, frame, "  DST  ", kDestination, kAddressSize);
    SummaryField(w, frame, "  SRC  ", kSource, kAddressSize);
    SummaryType(w, frame);
}

void EthernetDetail(const FrameView& frame, uint32_t flags, NoFields&, TextWriter& w) {
    const uint32_t etherType = static_cast<uint32_t>(frame.At(kType)) << 8 | frame.At(kType + 1);
    DecodeEthernetDetail(etherType, frame, w, flags);
}

constexpr FrameText<NoFields> kEthernetText = {EthernetSummary, EthernetDetail};

}  // namespace

}  // namespace korvex

extern "C" int32_t DecodeEthernet(DecodeRequest request) {
    return korvex::DecodeFrame(korvex::kEthernetText, request);
}
