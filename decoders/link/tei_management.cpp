// TEI management: the messages by which a terminal asks the network for a
// TEI and the network assigns, checks and removes TEIs. They travel in UI
// frames on SAPI 63, TEI 127; the information field holds
//
//   octet 1     management entity identifier: 0000 1111 (layer management)
//   octets 2-3  reference number Ri, most significant octet first
//   octet 4     message type
//   octet 5     action indicator Ai (7 bits) | E
//   octet 5a..  further action indicators (identity check response) while
//               the E bit of the one before is 0
//
// Each field gets its line when the field holds its octets; a field cut
// short ends the lines. The labels share one width, as the FRMR lines do.

#include "core/output.h"
#include "decoders/link/lapd.h"
#include "decoders/link/tei_management_tables.h"

namespace korvex {

namespace {

constexpr uint8_t kLayerManagementEntity = 0x0F;

enum TeiManagementField : int32_t { kEntity = 0, kReference = 1, kMessageType = 3, kFirstAction = 4 };
enum ActionIndicatorBits : uint8_t { kActionExtension = 0x01 };

// The action indicators from octet 5 on: one Ai line and one E line each,
// up to the one whose E bit is 1 or the end of the field.
void AppendActionIndicators(const FrameView& message, TextWriter& w) {
    for (int32_t i = kFirstAction; message.Has(i); ++i) {
        const uint8_t octet = message.At(i);
        AppendText(w, "\nLAPD: Action Indicator : ");
        AppendDec3(w, octet >> 1);
        AppendTeiClass(w, octet >> 1);
        AppendText(w, "\nLAPD: Extension Bit    : ");
        AppendDec1(w, octet & kActionExtension);
        if ((octet & kActionExtension) != 0) return;
    }
}

}  // namespace

void AppendTeiManagement(const FrameView& message, TextWriter& w) {
    if (!message.Has(kEntity)) return;
    const uint8_t entity = message.At(kEntity);
    AppendText(w, "\nLAPD: Management Entity: ");
    AppendHexByte(w, entity);
    AppendText(w, entity == kLayerManagementEntity ? " Layer Management" : " Reserved");
    // Another entity's messages have another layout.
    if (entity != kLayerManagementEntity || !message.HasRange(kReference, 2)) return;
    AppendLabelHexPair(w, "\nLAPD: Reference Number : ", message.At(kReference), message.At(kReference + 1));
    if (!message.Has(kMessageType)) return;
    AppendText(w, "\nLAPD: Message Type     : ");
    AppendValueName(w, kTableTeiMessageType, message.At(kMessageType), "Reserved");
    AppendActionIndicators(message, w);
}

}  // namespace korvex
