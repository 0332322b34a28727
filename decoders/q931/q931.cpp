// Q.931 message decoder: the summary line (protocol discriminator, call
// reference, message type), the detail block with its information element
// walk, and the hex trace of the whole message.

#include "decoders/q931/q931.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "decoders/q931/ie_decoders.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

// Message header:
//
//   octet 1    protocol discriminator
//   octet 2    length of the call reference value (the whole octet is read)
//   octets     call reference value, as many as octet 2 says
//   then       message type, then the information elements

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

// The name of a message type: table 4's; with DECODE_EXTENDED, table 34's
// for a type table 4 lacks. Nothing for a type without a name.
void AppendMessageType(TextWriter& w, uint8_t type, uint32_t flags) {
    if (LookupValueName(kTableQ931MessageType, type, w) != 0) return;
    if ((flags & DECODE_EXTENDED) != 0) LookupValueName(kTableQ931ExtendedMessageType, type, w);
}

// The summary fields after the timestamp, as far as the message's octets go:
// a message cut inside its header gets only the fields it holds.
void WriteSummary(const FrameView& message, uint32_t flags, TextWriter& w) {
    if (!message.Has(0)) return;
    AppendValueName(w, kTableQ931Protocol, message.At(0), "  Reserved");
    if (!message.Has(1)) return;
    const int32_t length = CallReferenceLength(message);
    if (!message.HasRange(2, length)) return;
    AppendText(w, "  Call Ref  0x");
    AppendHexNumber(w, CallReferenceValue(message), 6);
    AppendText(w, "    ");
    if (!message.Has(2 + length)) return;
    AppendMessageType(w, message.At(2 + length), flags);
}

}  // namespace

IeDecoderState& ElementState() { return tElementState; }

void AppendCodingStandard(TextWriter& w, uint32_t standard) {
    AppendLabel(w, kLabelCodingStandard0 + static_cast<int>(standard & 3));
}

GroupOctet PlaceInElement(uint8_t octet, uint8_t index) {
    uint8_t& next = ElementState().groupNext;
    if (index == 0) {
        next = static_cast<uint8_t>((octet & kExtensionBit) != 0 ? GroupOctet::Octet4 : GroupOctet::Extension);
        return GroupOctet::Octet3;
    }
    const auto place = static_cast<GroupOctet>(next);
    if (place == GroupOctet::Extension) {
        if ((octet & kExtensionBit) != 0) next = static_cast<uint8_t>(GroupOctet::Octet4);
    } else if (place == GroupOctet::Octet4) {
        next = static_cast<uint8_t>(GroupOctet::Beyond);
    }
    return place;
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
    switch (identifier & kKindMask) {
        case kShift:
            AppendText(w, "\nQ931: Shift procedure: ");
            AppendLabel(w, (identifier & kNonLocking) != 0 ? kLabelNonLockingShift : kLabelLockingShift);
            AppendText(w, "\nQ931: Codeset ID: ");
            AppendLabel(w, kLabelCodeset0 + (identifier & kCodesetMask));
            break;
        case kCongestionLevel:
            AppendText(w, "\nQ931: Congestion level: ");
            AppendValueName(w, kTableQ931Congestion, identifier & kContentsMask);
            break;
        case kRepeatIndicator:
            AppendText(w, "\nQ931: Repeat Indication: ");
            AppendValueName(w, kTableQ931Repeat, identifier & kContentsMask, "Reserved");
            break;
        default:
            break;
    }
    return w.Position() - start;
}

namespace {

// The codesets of the elements after a shift: a locking shift sets the
// codeset to the end of the message, a non-locking shift for the one
// element right after it.
struct Codesets {
    uint8_t locked = 0;
    int next = -1;  // none pending

    // The codeset of the element that comes now.
    uint8_t Take() {
        const uint8_t codeset = next >= 0 ? static_cast<uint8_t>(next) : locked;
        next = -1;
        return codeset;
    }

    void Shift(uint8_t identifier) {
        if ((identifier & kNonLocking) != 0) {
            next = identifier & kCodesetMask;
        } else {
            locked = identifier & kCodesetMask;
        }
    }
};

// A single-octet element: its name and its lines. Single-octet elements are
// named by their high four bits, except the two whose whole octet has a
// name; they read the same in every codeset.
void SingleOctetElement(uint8_t identifier, Codesets& codesets, TextWriter& w) {
    const bool named = identifier == kMoreData || identifier == kSendingComplete;
    AppendValueName(w, kTableQ931Element, named ? identifier : identifier & kKindMask);
    DecodeSingleOctetIe(identifier, w);
    if ((identifier & kKindMask) == kShift) codesets.Shift(identifier);
}

// A variable-length element's name and its decoder (returned). In codeset
// 0 both come from the element's row: with DECODE_EXTENDED from its row of
// table 35 when it has one, else from its row of table 5; an element
// without a row has no name and DecodeIeNone. Another codeset's element is
// named by its codeset and identifier, and gets DecodeIeNone.
IeOctetDecoder VariableElement(uint8_t identifier, uint8_t codeset, uint32_t flags, TextWriter& w) {
    if (codeset != 0) {
        AppendText(w, "Codeset ");
        AppendDec1(w, codeset);
        AppendText(w, " element 0x");
        AppendHexByte(w, identifier);
        return DecodeIeNone;
    }
    if ((flags & DECODE_EXTENDED) != 0) {
        const ValueName* row = FindRowById(kTableQ931ExtendedElement, identifier);
        if (row != nullptr) {
            w.Write(row->text, row->length);
            return IeExtendedDecoderTable[static_cast<std::size_t>(row - kQ931ExtendedElementNames)];
        }
    }
    const ValueName* row = FindRowById(kTableQ931Element, identifier);
    if (row != nullptr) w.Write(row->text, row->length);
    return DecoderOfRow(row);
}

}  // namespace

void WalkInformationElements(const FrameView& elements, uint32_t flags, TextWriter& w) {
    const int32_t size = elements.Size();
    int32_t i = 0;
    Codesets codesets;
    while (i < size) {
        const uint8_t identifier = elements.At(i++);
        const uint8_t codeset = codesets.Take();
        AppendText(w, "\nQ931: IE: ");
        if ((identifier & kSingleOctet) != 0) {
            SingleOctetElement(identifier, codesets, w);
            continue;
        }
        const IeOctetDecoder decoder = VariableElement(identifier, codeset, flags, w);
        if (i == size) break;  // the message ends before the length octet
        const uint8_t length = elements.At(i++);
        // Each content octet the message holds, with its index in the
        // contents; a message cut short ends the element early.
        const int32_t count = size - i < length ? size - i : length;
        const unsigned char* contents = elements.Range(i, count);
        for (int32_t k = 0; k < count; ++k) decoder(contents[k], w, static_cast<uint8_t>(k));
        i += count;
    }
}

void DecodeQ931Detail(const FrameView& message, int32_t elementOctets, uint32_t flags, TextWriter& w) {
    if (elementOctets < 0) return;
    const int32_t header = CallReferenceLength(message) + 3;
    if (!message.HasRange(0, header)) return;
    AppendText(w, "\nQ931: Call Reference: 0x");
    AppendHexNumber(w, CallReferenceValue(message), 1);
    AppendText(w, "\nQ931: Message type  : ");
    AppendMessageType(w, message.At(header - 1), flags);
    WalkInformationElements(message.From(header).First(elementOctets), flags, w);
}

namespace {

void Q931Summary(const FrameView& message, uint32_t flags, NoFields&, TextWriter& w) {
    WriteSummary(message, flags, w);
}

// The whole message: every octet after the message type is an element's.
void Q931Detail(const FrameView& message, uint32_t flags, NoFields&, TextWriter& w) {
    DecodeQ931Detail(message, message.Size() - CallReferenceLength(message) - 3, flags, w);
}

constexpr FrameText<NoFields> kQ931Text = {Q931Summary, Q931Detail, LineEnds::AfterEachBlock};

}  // namespace

}  // namespace korvex

extern "C" int32_t DecodeQ931(DecodeRequest request) { return korvex::DecodeFrame(korvex::kQ931Text, request); }
