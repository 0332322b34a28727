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

}  // namespace

void DecodeEthernetDetail(uint32_t etherType, const FrameView& frame, TextWriter& w) {
    if (!frame.HasRange(kType, 2)) return;
    AppendText(w, "\nETH: Type   : ");
    AppendHexPair(w, frame.At(kType), frame.At(kType + 1));
    AppendText(w, " ");
    NameEtherType(etherType, w);
    AppendText(w, "\nETH: DATA   : ");
    int32_t cursor = kData;
    int32_t count = frame.Size() - kData;
    AppendHexDump(w, frame, cursor, count, true);
}

namespace {

// The summary line: destination, source, type/length.
void EthernetSummary(const FrameView& frame, uint32_t, NoFields&, TextWriter& w) {
    SummaryField(w, frame, "  DST  ", kDestination, kAddressSize);
    SummaryField(w, frame, "  SRC  ", kSource, kAddressSize);
    SummaryType(w, frame);
}

void EthernetDetail(const FrameView& frame, uint32_t, NoFields&, TextWriter& w) {
    const uint32_t etherType = static_cast<uint32_t>(frame.At(kType)) << 8 | frame.At(kType + 1);
    DecodeEthernetDetail(etherType, frame, w);
}

constexpr FrameText<NoFields> kEthernetText = {EthernetSummary, EthernetDetail};

}  // namespace

}  // namespace korvex

extern "C" int32_t DecodeEthernet(DecodeRequest request) {
    return korvex::DecodeFrame(korvex::kEthernetText, request);
}
