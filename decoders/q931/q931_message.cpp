// One Q.931 message as values: the header, and the elements that describe a
// call (party numbers, channel, bearer, cause, progress, display). The walk
// and its readings are those of the text decoder: shifts select the codeset
// of the elements after them, extension bits say where an octet group ends,
// the called party number has no octet 3a. Elements of other codesets, and
// codeset 0 elements not read into a field, are listed by identifier.

#include <cstring>

#include "core/frame_view.h"
#include "decoders/parsed_names.h"
#include "decoders/q931/ie_decoders.h"
#include "decoders/q931/q931.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

bool Ends(uint8_t octet) { return (octet & kExtensionBit) != 0; }

// The index of the first octet after the group that starts at index i
// (octet 3 with its 3a, 3b ... as the extension bits announce).
int32_t AfterGroup(const FrameView& c, int32_t i) {
    while (c.Has(i) && !Ends(c.At(i))) ++i;
    return i + 1;
}

// The coding standard of octet 3 (bits 7 and 6), and the index of octet 4,
// after the octet-3 group.
int32_t Octet4(const FrameView& c, int32_t& codingStandard) {
    codingStandard = (c.At(0) >> 5) & 3;
    return AfterGroup(c, 0);
}

void ClearNumber(KorvexPartyNumber& n) {
    n = KorvexPartyNumber{};
    n.type_of_number = n.numbering_plan = n.presentation = n.screening = -1;
}

//   octet 3    ext | type of number | numbering plan
//   octet 3a   ext | presentation | 0 0 0 | screening    (calling, connected)
//   octet 4..  IA5 digits
bool ReadNumber(const FrameView& c, bool hasPresentation, KorvexPartyNumber& n) {
    if (n.present != 0) return false;
    if (!c.Has(0)) return true;
    n.present = 1;
    n.type_of_number = (c.At(0) >> 4) & 7;
    n.numbering_plan = c.At(0) & 0x0F;
    int32_t i = 1;
    if (hasPresentation && !Ends(c.At(0)) && c.Has(1)) {
        n.presentation = (c.At(1) >> 5) & 3;
        n.screening = c.At(1) & 3;
        i = 2;
    }
    int32_t count = 0;
    for (; c.Has(i); ++i) {
        const uint8_t digit = c.At(i) & 0x7F;
        if (count < 32) n.digits[count] = digit >= 0x20 && digit < 0x7F ? static_cast<char>(digit) : '?';
        ++count;
    }
    n.digit_count = count;
    n.digits[count < 32 ? count : 32] = '\0';
    return true;
}

//   octet 3    ext | int id present | int type | 0 | pref/excl | D-chan | selection
//   octet 3.1  ext | interface identifier        (explicit interface; ext 0: more)
//   octet 3.2  ext | coding | number/map | channel type      (other interface)
//   octet 3.3  ext | channel number, or slot map octets (last octet: slot 1 in bit 1)
bool ReadChannel(const FrameView& c, KorvexChannelId& ch) {
    if (ch.present != 0) return false;
    if (!c.Has(0)) return true;
    const uint8_t o3 = c.At(0);
    ch.present = 1;
    ch.interface_type = (o3 >> 5) & 1;
    ch.exclusive = (o3 >> 3) & 1;
    ch.d_channel = (o3 >> 2) & 1;
    ch.selection = o3 & 3;
    int32_t i = 1;
    if (((o3 >> 6) & 1) != 0) {
        if (c.Has(1)) ch.interface_id = c.At(1) & 0x7F;
        i = AfterGroup(c, 1);
    }
    if (ch.interface_type == 0) {
        ch.channel = ch.selection == 1 || ch.selection == 2 ? ch.selection : -1;
        return true;
    }
    if (ch.selection != 1 || !c.Has(i)) return true;
    ch.by_map = (c.At(i) >> 4) & 1;
    ++i;
    if (ch.by_map == 0) {
        if (c.Has(i)) ch.channel = c.At(i) & 0x7F;
        return true;
    }
    uint32_t map = 0;
    for (; c.Has(i); ++i) map = (map << 8) | c.At(i);
    ch.slot_map = map;
    // A map of one slot names that slot's channel too.
    if (map != 0 && (map & (map - 1)) == 0) {
        int32_t slot = 1;
        while ((map & 1u) == 0) {
            map >>= 1;
            ++slot;
        }
        ch.channel = slot;
    }
    return true;
}

//   octet 3   ext | coding standard | transfer capability
//   octet 4   ext | transfer mode | transfer rate       (after the 3a... group)
//   octet 5   ext | 0 1 | user information layer 1 protocol   (after the 4a... group)
bool ReadBearer(const FrameView& c, KorvexBearer& b) {
    if (b.present != 0) return false;
    if (!c.Has(0)) return true;
    b.present = 1;
    const int32_t o4 = Octet4(c, b.coding_standard);
    b.transfer_capability = c.At(0) & 0x1F;
    b.capability_name = NameOf(kTableQ931TransferCapability, static_cast<uint32_t>(b.transfer_capability));
    if (!c.Has(o4)) return true;
    b.transfer_mode = (c.At(o4) >> 5) & 3;
    b.transfer_rate = c.At(o4) & 0x1F;
    b.rate_name = NameOf(kTableQ931TransferRate, static_cast<uint32_t>(b.transfer_rate));
    const int32_t o5 = AfterGroup(c, o4);
    if (c.Has(o5) && ((c.At(o5) >> 5) & 3) == 1) b.layer1_protocol = c.At(o5) & 0x1F;
    return true;
}

//   octet 3   ext | coding standard | 0 | location
//   octet 3a  ext | recommendation                   (when octet 3 has ext 0)
//   octet 4   ext | cause value (class in bits 7-5)
bool ReadCause(const FrameView& c, KorvexCause& cause) {
    if (cause.present != 0) return false;
    if (!c.Has(0)) return true;
    cause.present = 1;
    cause.location = c.At(0) & 0x0F;
    cause.location_name = NameOf(kTableQ931Location, static_cast<uint32_t>(cause.location));
    const int32_t o4 = Octet4(c, cause.coding_standard);
    if (!c.Has(o4)) return true;
    cause.value = c.At(o4) & 0x7F;
    cause.cause_class = cause.value >> 4;
    cause.class_name = LabelText(kLabelCauseClass0 + cause.cause_class);
    int found = 0;
    int row = 0;
    const char* name = FindValueName(CauseValueTable[static_cast<std::size_t>(cause.cause_class)],
                                     static_cast<uint32_t>(cause.value & 0x0F), found, row);
    cause.name = name != nullptr ? name : "";
    return true;
}

bool ReadProgress(const FrameView& c, KorvexQ931Message& m) {
    if (m.progress_location >= 0) return false;
    if (!c.Has(0)) return true;
    m.progress_location = c.At(0) & 0x0F;
    const int32_t o4 = AfterGroup(c, 0);
    if (!c.Has(o4)) return true;
    m.progress_description = c.At(o4) & 0x7F;
    m.progress_name = NameOf(kTableQ931Progress, static_cast<uint32_t>(m.progress_description));
    return true;
}

// A display type octet (bit 8 set) before the text is left out.
bool ReadDisplay(const FrameView& c, char (&text)[83]) {
    if (text[0] != '\0') return false;
    int32_t i = c.Has(0) && (c.At(0) & 0x80) != 0 ? 1 : 0;
    int32_t n = 0;
    for (; c.Has(i) && n < 82; ++i) {
        const uint8_t ch = c.At(i) & 0x7F;
        text[n++] = ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?';
    }
    text[n] = '\0';
    return true;
}

void NoteOther(KorvexQ931Message& m, int32_t codeset, uint8_t identifier, int32_t length, int32_t offset) {
    if (m.other_count < KORVEX_Q931_MAX_OTHER) {
        m.other[m.other_count] = KorvexQ931Element{codeset, identifier, length, offset};
    }
    ++m.other_count;
}

// Reads a codeset 0 element into its field; false for one without a field,
// or a repeat of an element already read (the first one stays: a repeated
// bearer capability, say, is a list to choose from). Each reading tells
// which of the two it was.
bool ReadElement(uint8_t identifier, const FrameView& c, KorvexQ931Message& m) {
    switch (identifier) {
        case kIeCalledNumber:
            return ReadNumber(c, false, m.called);
        case kIeCallingNumber:
            return ReadNumber(c, true, m.calling);
        case kIeConnectedNumber:
            return ReadNumber(c, true, m.connected);
        case kIeChannelId:
            return ReadChannel(c, m.channel);
        case kIeBearerCapability:
            return ReadBearer(c, m.bearer);
        case kIeCause:
            return ReadCause(c, m.cause);
        case kIeProgress:
            return ReadProgress(c, m);
        case kIeDisplay:
            return ReadDisplay(c, m.display);
        case kIeSegmentedMessage:
            //   octet 3  first segment indicator | segments remaining
            //   octet 4  0 | segmented message type
            if (!c.Has(0)) return true;
            m.first_segment = Ends(c.At(0)) ? 1 : 0;
            if (c.Has(1)) m.segmented_type = c.At(1) & 0x7F;
            return true;
        default:
            return false;
    }
}

void Clear(KorvexQ931Message& m) {
    std::memset(&m, 0, sizeof m);
    m.protocol = m.call_ref_length = m.call_ref_flag = m.message_type = -1;
    m.message_name = "";
    m.segmented_type = -1;
    ClearNumber(m.called);
    ClearNumber(m.calling);
    ClearNumber(m.connected);
    KorvexChannelId& ch = m.channel;
    ch.interface_type = ch.interface_id = ch.exclusive = ch.d_channel = ch.selection = ch.by_map = ch.channel = -1;
    KorvexBearer& b = m.bearer;
    b.coding_standard = b.transfer_capability = b.transfer_mode = b.transfer_rate = b.layer1_protocol = -1;
    b.capability_name = b.rate_name = "";
    KorvexCause& c = m.cause;
    c.coding_standard = c.location = c.value = c.cause_class = -1;
    c.name = c.location_name = c.class_name = "";
    m.progress_location = m.progress_description = -1;
    m.progress_name = "";
}

//   octet 0       protocol discriminator
//   octet 1       call reference length L (taken whole, as the text decoder does)
//   octets 2..    flag | call reference value (L octets)
//   octet 2 + L   message type
// Returns the index of the first element, -1 when the header is cut short.
int32_t ReadHeader(const FrameView& frame, KorvexQ931Message& m) {
    if (!frame.Has(0)) return -1;
    m.protocol = frame.At(0);
    const int32_t referenceLength = frame.At(1);
    if (!frame.Has(1) || !frame.Has(2 + referenceLength)) return -1;
    m.call_ref_length = referenceLength;
    uint32_t value = 0;
    for (int32_t i = 0; i < referenceLength; ++i) value = (value << 8) | frame.At(2 + i);
    if (referenceLength > 0) {
        m.call_ref_flag = (frame.At(2) >> 7) & 1;
        const int32_t bits = referenceLength >= 4 ? 31 : referenceLength * 8 - 1;
        value &= (1u << bits) - 1u;
    } else {
        m.call_ref_flag = 0;
    }
    m.call_ref = value;
    m.message_type = frame.At(2 + referenceLength);
    m.message_name = NameOf(kTableQ931MessageType, static_cast<uint32_t>(m.message_type));
    return 3 + referenceLength;
}

// The elements from index i on, each into its field or the list of others.
void ReadElements(const FrameView& frame, int32_t i, KorvexQ931Message& m) {
    int32_t lockedCodeset = 0;
    int32_t nextCodeset = -1;
    while (frame.Has(i)) {
        const int32_t offset = i;
        const uint8_t identifier = frame.At(i++);
        const int32_t codeset = nextCodeset >= 0 ? nextCodeset : lockedCodeset;
        nextCodeset = -1;
        if ((identifier & kSingleOctet) != 0) {
            // Single-octet elements read the same in every codeset.
            if ((identifier & kKindMask) == kShift) {
                if ((identifier & kNonLocking) != 0) {
                    nextCodeset = identifier & kCodesetMask;
                } else {
                    lockedCodeset = identifier & kCodesetMask;
                }
            } else if (identifier == kSendingComplete) {
                m.sending_complete = 1;
            } else {
                NoteOther(m, codeset, identifier, 0, offset);
            }
            continue;
        }
        if (!frame.Has(i)) {
            m.truncated = 1;
            NoteOther(m, codeset, identifier, 0, offset);
            break;
        }
        const int32_t declared = frame.At(i++);
        const int32_t present = frame.Size() - i < declared ? frame.Size() - i : declared;
        if (present < declared) m.truncated = 1;
        const FrameView contents = frame.From(i).First(present);
        if (codeset != 0 || !ReadElement(identifier, contents, m)) {
            NoteOther(m, codeset, identifier, declared, offset);
        }
        i += present;
    }
}

// The whole message; 0 when it ends inside its header.
int ReadMessage(const FrameView& frame, KorvexQ931Message& m) {
    Clear(m);
    const int32_t elements = ReadHeader(frame, m);
    if (elements < 0) {
        m.truncated = 1;
        return 0;
    }
    ReadElements(frame, elements, m);
    return 1;
}

}  // namespace

}  // namespace korvex

extern "C" int KorvexParseQ931(const unsigned char* octets, int32_t length, KorvexQ931Message* message) {
    return message != nullptr ? korvex::ReadMessage(korvex::FrameView(octets, length), *message) : 0;
}
