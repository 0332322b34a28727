// Q.931 message decoder: the summary line (protocol discriminator, call
// reference, message type), the detail block with its information element
// walk, and the hex trace of the whole message.

#include "decoders/q931/q931.h"

#include "core/output.h"
#include "core/value_names.h"
#include "decoders/q931/ie_decoders.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr int kTableProtocol = 1;
constexpr int kTableMessageType = 4;
constexpr int kTableElement = 5;
constexpr int kTableCongestion = 22;
constexpr int kTableRepeat = 23;

// Label list entries of the shift element.
constexpr int kLabelLockingShift = 27;
constexpr int kLabelNonLockingShift = 28;
constexpr int kLabelCodeset0 = 31;

thread_local IeDecoderState tElementState;

// The element decoder of a variable-length element identifier: the one in
// the row of table 5 that names it, nothing for an identifier without a row.
IeOctetDecoder DecoderOfRow(const ValueName* row) {
    return row != nullptr ? IeDecoderTable[static_cast<std::size_t>(row - kQ931ElementNames)] : DecodeIeNone;
}

// Call reference length octet; 0 when the message has no second octet.
int32_t CallReferenceLength(const FrameView& message) { return message.At(1); }

uint32_t CallReferenceValue(const FrameView& message) {
    return ReadBigEndian(message.Data() + 2, CallReferenceLength(message));
}

// The summary fields after the timestamp, as far as the message's octets go:
// a message cut inside its header gets only the fields it holds.
void WriteSummary(const FrameView& message, TextWriter& w) {
    if (!message.Has(0)) return;
    if (LookupValueName(kTableProtocol, message.At(0), w) == 0) AppendText(w, "  Reserved");
    if (!message.Has(1)) return;
    const int32_t length = CallReferenceLength(message);
    if (!message.HasRange(2, length)) return;
    AppendText(w, "  Call Ref  0x");
    AppendHexNumber(w, CallReferenceValue(message), 6);
    AppendText(w, "    ");
    if (!message.Has(2 + length)) return;
    LookupValueName(kTableMessageType, message.At(2 + length), w);
}

}  // namespace

IeDecoderState& ElementState() { return tElementState; }

ElementStateCheckpoint::ElementStateCheckpoint(bool active) : active_(active) {
    if (active_) saved_ = tElementState;
}

void ElementStateCheckpoint::RestoreIfCut(const TextWriter& w) const {
    if (active_ && w.Room() <= 1) tElementState = saved_;
}

void AppendCodingStandard(TextWriter& w, uint32_t standard) {
    AppendLabel(w, 39 + static_cast<int>(standard & 3));
}

void DecodeIeNone(uint8_t /*octet*/, TextWriter& /*w*/, uint8_t /*index*/) {}

const std::array<IeOctetDecoder, kQ931ElementCount> IeDecoderTable = {
    DecodeIeNone,                         // 0x80 reserved (single octet)
    DecodeIeNone,                         // 0x90 shift (single octet)
    DecodeIeNone,                         // 0xA0 more data (single octet)
    DecodeIeNone,                         // 0xA1 sending complete (single octet)
    DecodeIeNone,                         // 0xB0 congestion level (single octet)
    DecodeIeNone,                         // 0xD0 repeat indicator (single octet)
    DecodeIeSegmentedMessage,             // 0x00
    DecodeIeBearerCapability,             // 0x04
    DecodeIeCause,                        // 0x08
    DecodeIeCallIdentity,                 // 0x10
    DecodeIeCallState,                    // 0x14
    DecodeIeChannelId,                    // 0x18
    DecodeIeProgress,                     // 0x1E
    DecodeIeNetworkSpecificFacilities,    // 0x20
    DecodeIeNotification,                 // 0x27
    DecodeIeDisplay,                      // 0x28
    DecodeIeDateTime,                     // 0x29
    DecodeIeKeypad,                       // 0x2C
    DecodeIeSignal,                       // 0x34
    DecodeIeInformationRate,              // 0x40
    DecodeIeTransitDelay,                 // 0x42
    DecodeIeTransitDelaySelection,        // 0x43
    DecodeIePacketBinaryParams,           // 0x44
    DecodeIePacketWindowSize,             // 0x45
    DecodeIePacketSize,                   // 0x46
    DecodeIeClosedUserGroup,              // 0x47
    DecodeIeReverseCharging,              // 0x4A
    DecodeIeCallingPartyNumber,           // 0x6C
    DecodeIeCallingPartySubaddress,       // 0x6D
    DecodeIeCalledPartyNumber,            // 0x70
    DecodeIeCalledPartySubaddress,        // 0x71
    DecodeIeRedirectingNumber,            // 0x74
    DecodeIeTransitNetworkSelection,      // 0x78
    DecodeIeRestart,                      // 0x79
    DecodeIeLowLayerCompat,               // 0x7C
    DecodeIeHighLayerCompat,              // 0x7D
    DecodeIeUserUser,                     // 0x7E
    DecodeIeNone,                         // 0x7F escape for extension
};

int DecodeSingleOctetIe(uint8_t identifier, TextWriter& w) {
    const int32_t start = w.Position();
    switch (identifier & 0xF0) {
        case 0x90:
            AppendText(w, "\nQ931: Shift procedure: ");
            AppendLabel(w, (identifier & 0x08) != 0 ? kLabelNonLockingShift : kLabelLockingShift);
            AppendText(w, "\nQ931: Codeset ID: ");
            AppendLabel(w, kLabelCodeset0 + (identifier & 0x07));
            break;
        case 0xB0:
            AppendText(w, "\nQ931: Congestion level: ");
            LookupValueName(kTableCongestion, identifier & 0x0F, w);
            break;
        case 0xD0:
            AppendText(w, "\nQ931: Repeat Indication: ");
            if (LookupValueName(kTableRepeat, identifier & 0x0F, w) == 0) AppendText(w, "Reserved");
            break;
        default:
            break;
    }
    return w.Position() - start;
}

void WalkInformationElements(const FrameView& elements, TextWriter& w) {
    const int32_t size = elements.Size();
    int32_t i = 0;
    while (i < size) {
        const uint8_t identifier = elements.At(i++);
        AppendText(w, "\nQ931: IE: ");
        if ((identifier & 0x80) != 0) {
            // Single-octet elements are named by their high four bits,
            // except the two whose whole octet has a name.
            const uint32_t key = identifier == 0xA0 || identifier == 0xA1 ? identifier : identifier & 0xF0u;
            LookupValueName(kTableElement, key, w);
            DecodeSingleOctetIe(identifier, w);
            continue;
        }
        // The element's name, and its decoder from the same row.
        const ValueName* row = FindRowById(kTableElement, identifier);
        if (row != nullptr) w.Write(row->text, row->length);
        if (i == size) break;  // the message ends before the length octet
        const uint8_t length = elements.At(i++);
        // Each content octet the message holds, with its index in the
        // contents; a message cut short ends the element early.
        const IeOctetDecoder decoder = DecoderOfRow(row);
        const int32_t count = size - i < length ? size - i : length;
        const unsigned char* contents = elements.Range(i, count);
        for (int32_t k = 0; k < count; ++k) decoder(contents[k], w, static_cast<uint8_t>(k));
        i += count;
    }
}

void DecodeQ931Detail(const FrameView& message, int32_t elementOctets, TextWriter& w) {
    if (elementOctets <= 0) return;
    const int32_t header = CallReferenceLength(message) + 3;
    if (!message.HasRange(0, header)) return;
    AppendText(w, "\nQ931: Call Reference: 0x");
    AppendHexNumber(w, CallReferenceValue(message), 1);
    AppendText(w, "\nQ931: Message type  : ");
    LookupValueName(kTableMessageType, message.At(header - 1), w);
    WalkInformationElements(message.From(header).First(elementOctets), w);
}

}  // namespace korvex

extern "C" int32_t DecodeQ931(DecodeRequest request) {
    using namespace korvex;
    TextWriter w(request.out, request.capacity);
    FrameView message(request.frame, request.length);
    const ElementStateCheckpoint checkpoint((request.flags & DECODE_DETAIL) != 0);
    AppendText(w, request.timestamp);
    WriteSummary(message, w);
    if ((request.flags & DECODE_DETAIL) != 0) {
        DecodeQ931Detail(message, message.Size() - CallReferenceLength(message) - 3, w);
        AppendText(w, "\n");
    }
    if ((request.flags & DECODE_HEX) != 0) {
        AppendText(w, "\nHEX TRACE:");
        int32_t cursor = 0;
        int32_t count = message.Size();
        AppendHexDump(w, message, cursor, count, true);
        AppendText(w, "\n");
    }
    AppendText(w, "\n");
    const int32_t count = w.Finish();
    checkpoint.RestoreIfCut(w);
    return count;
}
