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
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr int kTableMessageType = 4;
constexpr int kTableTransferCapability = 24;
constexpr int kTableTransferRate = 25;
constexpr int kTableLocation = 26;
constexpr int kTableProgress = 29;
constexpr int kLabelCauseClass0 = 43;

constexpr uint8_t kShift = 0x90;
constexpr uint8_t kNonLocking = 0x08;
constexpr uint8_t kSendingComplete = 0xA1;

constexpr uint8_t kSegmented = 0x00;
constexpr uint8_t kBearer = 0x04;
constexpr uint8_t kCause = 0x08;
constexpr uint8_t kChannel = 0x18;
constexpr uint8_t kProgress = 0x1E;
constexpr uint8_t kDisplay = 0x28;
constexpr uint8_t kConnectedNumber = 0x4C;
constexpr uint8_t kCallingNumber = 0x6C;
constexpr uint8_t kCalledNumber = 0x70;

bool Ends(uint8_t octet) { return (octet & kExtensionBit) != 0; }

// The index of the first octet after the group that starts at index i
// (octet 3 with its 3a, 3b ... as the extension bits announce).
int32_t AfterGroup(const FrameView& c, int32_t i) {
    while (c.Has(i) && !Ends(c.At(i))) ++i;
    return i + 1;
}

void ClearNumber(KorvexPartyNumber& n) {
    n = KorvexPartyNumber{};
    n.type_of_number = n.numbering_plan = n.presentation = n.screening = -1;
}

//   octet 3    ext | type of number | numbering plan
//   octet 3a   ext | presentation | 0 0 0 | screening    (calling, connected)
//   octet 4..  IA5 digits
void ReadNumber(const FrameView& c, bool hasPresentation, KorvexPartyNumber& n) {
    if (!c.Has(0)) return;
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
}

//   octet 3    ext | int id present | int type | 0 | pref/excl | D-chan | selection
//   octet 3.1  ext | interface identifier        (explicit interface; ext 0: more)
//   octet 3.2  ext | coding | number/map | channel type      (other interface)
//   octet 3.3  ext | channel number, or slot map octets (last octet: slot 1 in bit 1)
void ReadChannel(const FrameView& c, KorvexChannelId& ch) {
    if (!c.Has(0)) return;
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
        return;
    }
    if (ch.selection != 1 || !c.Has(i)) return;
    ch.by_map = (c.At(i) >> 4) & 1;
    ++i;
    if (ch.by_map == 0) {
        if (c.Has(i)) ch.channel = c.At(i) & 0x7F;
        return;
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
}

//   octet 3   ext | coding standard | transfer capability
//   octet 4   ext | transfer mode | transfer rate       (after the 3a... group)
//   octet 5   ext | 0 1 | user information layer 1 protocol   (after the 4a... group)
void ReadBearer(const FrameView& c, KorvexBearer& b) {
    if (!c.Has(0)) return;
    b.present = 1;
    b.coding_standard = (c.At(0) >> 5) & 3;
    b.transfer_capability = c.At(0) & 0x1F;
    b.capability_name = NameOf(kTableTransferCapability, static_cast<uint32_t>(b.transfer_capability));
    const int32_t o4 = AfterGroup(c, 0);
    if (!c.Has(o4)) return;
    b.transfer_mode = (c.At(o4) >> 5) & 3;
    b.transfer_rate = c.At(o4) & 0x1F;
    b.rate_name = NameOf(kTableTransferRate, static_cast<uint32_t>(b.transfer_rate));
    const int32_t o5 = AfterGroup(c, o4);
    if (c.Has(o5) && ((c.At(o5) >> 5) & 3) == 1) b.layer1_protocol = c.At(o5) & 0x1F;
}

//   octet 3   ext | coding standard | 0 | location
//   octet 3a  ext | recommendation                   (when octet 3 has ext 0)
//   octet 4   ext | cause value (class in bits 7-5)
void ReadCause(const FrameView& c, KorvexCause& cause) {
    if (!c.Has(0)) return;
    cause.present = 1;
    cause.coding_standard = (c.At(0) >> 5) & 3;
    cause.location = c.At(0) & 0x0F;
    cause.location_name = NameOf(kTableLocation, static_cast<uint32_t>(cause.location));
    const int32_t o4 = AfterGroup(c, 0);
    if (!c.Has(o4)) return;
    cause.value = c.At(o4) & 0x7F;
    cause.cause_class = cause.value >> 4;
    cause.class_name = LabelText(kLabelCauseClass0 + cause.cause_class);
    int found = 0;
    int row = 0;
    const char* name = FindValueName(CauseValueTable[static_cast<std::size_t>(cause.cause_class)],
                                     static_cast<uint32_t>(cause.value & 0x0F), found, row);
    cause.name = name != nullptr ? name : "";
}

void ReadProgress(const FrameView& c, KorvexQ931Message& m) {
    if (!c.Has(0)) return;
    m.progress_location = c.At(0) & 0x0F;
    const int32_t o4 = AfterGroup(c, 0);
    if (!c.Has(o4)) return;
    m.progress_description = c.At(o4) & 0x7F;
    m.progress_name = NameOf(kTableProgress, static_cast<uint32_t>(m.progress_description));
}

// A display type octet (bit 8 set) before the text is left out.
void ReadDisplay(const FrameView& c, char (&text)[83]) {
    int32_t i = c.Has(0) && (c.At(0) & 0x80) != 0 ? 1 : 0;
    int32_t n = 0;
    for (; c.Has(i) && n < 82; ++i) {
        const uint8_t ch = c.At(i) & 0x7F;
        text[n++] = ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?';
    }
    text[n] = '\0';
}

void NoteOther(KorvexQ931Message& m, int32_t codeset, uint8_t identifier, int32_t length, int32_t offset) {
    if (m.other_count < KORVEX_Q931_MAX_OTHER) {
        m.other[m.other_count] = KorvexQ931Element{codeset, identifier, length, offset};
    }
    ++m.other_count;
}

// Reads a codeset 0 element into its field; false for one without a field,
// or a repeat of an element already read.
bool ReadElement(uint8_t identifier, const FrameView& c, KorvexQ931Message& m) {
    switch (identifier) {
        case kCalledNumber:
            if (m.called.present != 0) return false;
            ReadNumber(c, false, m.called);
            return true;
        case kCallingNumber:
            if (m.calling.present != 0) return false;
            ReadNumber(c, true, m.calling);
            return true;
        case kConnectedNumber:
            if (m.connected.present != 0) return false;
            ReadNumber(c, true, m.connected);
            return true;
        case kChannel:
            if (m.channel.present != 0) return false;
            ReadChannel(c, m.channel);
            return true;
        case kBearer:
            // A repeated bearer capability (a list to choose from) keeps the first.
            if (m.bearer.present != 0) return false;
            ReadBearer(c, m.bearer);
            return true;
        case kCause:
            if (m.cause.present != 0) return false;
            ReadCause(c, m.cause);
            return true;
        case kProgress:
            if (m.progress_location >= 0) return false;
            ReadProgress(c, m);
            return true;
        case kDisplay:
            if (m.display[0] != '\0') return false;
            ReadDisplay(c, m.display);
            return true;
        case kSegmented:
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

}  // namespace

}  // namespace korvex

extern "C" int KorvexParseQ931(const unsigned char* octets, int32_t length, KorvexQ931Message* message) {
    using namespace korvex;
    if (message == nullptr) return 0;
    KorvexQ931Message& m = *message;
    Clear(m);
    const FrameView frame(octets, length);
    if (!frame.Has(0)) {
        m.truncated = 1;
        return 0;
    }
    m.protocol = frame.At(0);
    //   octet 0       protocol discriminator
    //   octet 1       call reference length L (taken whole, as the text decoder does)
    //   octets 2..    flag | call reference value (L octets)
    //   octet 2 + L   message type
    const int32_t referenceLength = frame.At(1);
    if (!frame.Has(1) || !frame.Has(2 + referenceLength)) {
        m.truncated = 1;
        return 0;
    }
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
    m.message_name = NameOf(kTableMessageType, static_cast<uint32_t>(m.message_type));

    int32_t i = 3 + referenceLength;
    int32_t lockedCodeset = 0;
    int32_t nextCodeset = -1;
    while (frame.Has(i)) {
        const int32_t offset = i;
        const uint8_t identifier = frame.At(i++);
        const int32_t codeset = nextCodeset >= 0 ? nextCodeset : lockedCodeset;
        nextCodeset = -1;
        if (Ends(identifier)) {
            // Single-octet elements read the same in every codeset.
            if ((identifier & 0xF0) == kShift) {
                if ((identifier & kNonLocking) != 0) {
                    nextCodeset = identifier & 0x07;
                } else {
                    lockedCodeset = identifier & 0x07;
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
    return 1;
}
