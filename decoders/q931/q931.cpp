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
IeOctetDecoder DecoderOf(uint8_t identifier) {
    int found = 0;
    int row = 0;
    FindValueName(kQ931ElementNames, identifier, found, row);
    return found != 0 ? IeDecoderTable[static_cast<std::size_t>(row)] : DecodeIeNone;
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
    AppendFormat(w, "  Call Ref  0x%06x    ", static_cast<int32_t>(CallReferenceValue(message)), 0);
    if (!message.Has(2 + length)) return;
    LookupValueName(kTableMessageType, message.At(2 + length), w);
}

}  // namespace

IeDecoderState& ElementState() { return tElementState; }

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
    enum class State { Identifier, Length, Contents };
    State state = State::Identifier;
    IeOctetDecoder decoder = DecodeIeNone;
    uint8_t octetsLeft = 0;
    uint8_t index = 0;
    for (int32_t i = 0; i < elements.Size(); ++i) {
        const uint8_t octet = elements.At(i);
        switch (state) {
            case State::Identifier:
                AppendText(w, "\nQ931: IE: ");
                if ((octet & 0x80) != 0) {
                    // Single-octet elements are named by their high four
                    // bits, except the two whose whole octet has a name.
                    const uint32_t key = octet == 0xA0 || octet == 0xA1 ? octet : octet & 0xF0u;
                    LookupValueName(kTableElement, key, w);
                    DecodeSingleOctetIe(octet, w);
                } else {
                    LookupValueName(kTableElement, octet, w);
                    decoder = DecoderOf(octet);
                    state = State::Length;
                }
                break;
            case State::Length:
                index = 0;
                octetsLeft = octet;
                state = octet == 0 ? State::Identifier : State::Contents;
                break;
            case State::Contents:
                decoder(octet, w, index);
                ++index;
                if (--octetsLeft == 0) state = State::Identifier;
                break;
        }
    }
}

void DecodeQ931Detail(const FrameView& message, int32_t elementOctets, TextWriter& w) {
    if (elementOctets <= 0) return;
    const int32_t header = CallReferenceLength(message) + 3;
    if (!message.HasRange(0, header)) return;
    AppendFormat(w, "\nQ931: Call Reference: 0x%x", static_cast<int32_t>(CallReferenceValue(message)), 0);
    AppendText(w, "\nQ931: Message type  : ");
    LookupValueName(kTableMessageType, message.At(header - 1), w);
    WalkInformationElements(message.From(header).First(elementOctets), w);
}

}  // namespace korvex

extern "C" int32_t DecodeQ931(DecodeRequest request) {
    using namespace korvex;
    TextWriter w(request.out, request.capacity);
    const CutDecodeKeepsElementState keep(w);
    FrameView message(request.frame, request.length);
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
    return w.Finish();
}
