// Channel identification: which B channel, H channel or time slots a call
// uses, on which interface. Octet 3, the first interface identifier octet
// when the interface is identified explicitly, the channel type octet and
// the first channel number or slot map octet are decoded; later ones are
// not shown.

#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

constexpr std::array<Word, 2> kInterfaceIdentification = {"Interface implicitly identified",
                                                          "Interface explicitly identified"};
constexpr std::array<Word, 2> kInterfaceTypes = {"Basic interface", "Other interface"};
constexpr std::array<Word, 2> kPreferredOrExclusive = {"Preferred", "Exclusive"};
constexpr std::array<Word, 2> kDChannel = {"Not D-Channel", "D-Channel"};
constexpr std::array<Word, 4> kBasicChannels = {"No channel", "B1 channel", "B2 channel", "Any channel"};
constexpr std::array<Word, 4> kOtherChannels = {"No channel", "As indicated in following octets",
                                                "Reserved", "Any channel"};
constexpr std::array<Word, 2> kNumberOrMap = {"Number", "Map"};

//   octet 3     ext | int id present | int type | 0 | pref/excl | D-chan | info channel (2)
//   octet 3.1   ext | interface identifier (7)    only when int id present is 1;
//                                                 ext 0: more identifier octets follow
//   octet 3.2   ext | coding standard (2) | number/map | channel type (4)
//   octet 3.3   ext | channel number (7), or a slot map (all eight bits)
enum Octet3Bits : uint8_t {
    kInterfacePresent = 0x40, kOtherInterface = 0x20, kExclusive = 0x08, kIsDChannel = 0x04, kInfoChannelMask = 0x03,
};
enum ChannelBits : uint8_t {
    kInterfaceIdMask = 0x7F,    // octet 3.1
    kSlotMap = 0x10,            // octet 3.2
    kChannelTypeMask = 0x0F,    // octet 3.2
    kChannelNumberMask = 0x7F,  // octet 3.3
};

// What the element's next octet is.
enum ChannelOctet : uint8_t {
    kInterfaceId,      // the first interface identifier octet
    kMoreInterfaceId,  // further interface identifier octets, not shown
    kChannelType,
    kChannelNumber,
    kPastChannel,      // later channel number or slot map octets, not shown
};

// Every line starts with this prefix and the field's name.
// "Idenfication" is this system's own spelling, kept on purpose.
constexpr Word kPrefix = "\nQ931: Channel Idenfication : ";

void ChannelOctet3(uint8_t octet, TextWriter& w) {
    const bool otherInterface = (octet & kOtherInterface) != 0;
    AppendText(w, kPrefix, "Int Id present : ");
    AppendWord(w, kInterfaceIdentification, TestBits(octet, kInterfacePresent));
    AppendText(w, kPrefix, "Interface type : ");
    AppendWord(w, kInterfaceTypes, otherInterface ? 1 : 0);
    AppendText(w, kPrefix, "Pref/Excl      : ");
    AppendWord(w, kPreferredOrExclusive, TestBits(octet, kExclusive));
    AppendText(w, kPrefix, "D-Channel Ind. : ");
    AppendWord(w, kDChannel, TestBits(octet, kIsDChannel));
    AppendText(w, kPrefix, "Info channel   : ");
    AppendWord(w, otherInterface ? kOtherChannels : kBasicChannels, octet & kInfoChannelMask);
}

// Octet 3.2: it says how the next octet is to be read, by number or by slot
// map; returns 1 for a slot map.
uint8_t ChannelTypeOctet(uint8_t octet, TextWriter& w) {
    const uint8_t slotMap = TestBits(octet, kSlotMap);
    AppendText(w, kPrefix, "Coding Standard: ");
    AppendCodingStandard(w, octet >> 5);
    AppendText(w, kPrefix, "Number / Map   : ");
    AppendWord(w, kNumberOrMap, slotMap);
    AppendText(w, kPrefix, "Chan / map type: ");
    AppendValueName(w, kTableQ931ChannelType, octet & kChannelTypeMask);
    return slotMap;
}

}  // namespace

void DecodeIeChannelId(uint8_t octet, TextWriter& w, uint8_t index) {
    IeDecoderState& state = ElementState();
    if (index == 0) {
        ChannelOctet3(octet, w);
        state.channelNext = (octet & kInterfacePresent) != 0 ? kInterfaceId : kChannelType;
        return;
    }
    switch (state.channelNext) {
        case kInterfaceId:
            AppendText(w, kPrefix, "IF Identifier  : ");
            AppendHexByte(w, octet & kInterfaceIdMask);
            [[fallthrough]];
        case kMoreInterfaceId:
            state.channelNext = (octet & kExtensionBit) != 0 ? kChannelType : kMoreInterfaceId;
            break;
        case kChannelType:
            state.numberOrMap = ChannelTypeOctet(octet, w);
            state.channelNext = kChannelNumber;
            break;
        case kChannelNumber:
            // A channel number loses its extension bit; a slot map octet
            // uses all eight bits.
            AppendText(w, kPrefix, "Ch num/slot map: ");
            AppendText(w, "0x");
            AppendHexByte(w, state.numberOrMap != 0 ? octet : octet & kChannelNumberMask);
            state.channelNext = kPastChannel;
            break;
        default:
            break;
    }
}

}  // namespace korvex
