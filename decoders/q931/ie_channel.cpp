// Channel identification: which B channel, H channel or time slots a call
// uses, on which interface. Octet 3, the first interface identifier octet
// when the interface is identified explicitly, the channel type octet and
// the first channel number or slot map octet are decoded; later ones are
// not shown.

#include "core/value_names.h"
#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

constexpr int kTableChannelType = 28;

constexpr std::array<Word, 2> kInterfaceIdentification = {"Interface implicitly identified",
                                                                 "Interface explicitly identified"};
constexpr std::array<Word, 2> kInterfaceTypes = {"Basic interface", "Other interface"};
constexpr std::array<Word, 2> kPreferredOrExclusive = {"Preferred", "Exclusive"};
constexpr std::array<Word, 2> kDChannel = {"Not D-Channel", "D-Channel"};
constexpr std::array<Word, 4> kBasicChannels = {"No channel", "B1 channel", "B2 channel", "Any channel"};
constexpr std::array<Word, 4> kOtherChannels = {"No channel", "As indicated in following octets",
                                                       "Reserved", "Any channel"};
constexpr std::array<Word, 2> kNumberOrMap = {"Number", "Map"};

// What the element's next octet is:
//
//   octet 3     ext | int id present | int type | 0 | pref/excl | D-chan | info channel
//   octet 3.1   ext | interface identifier       only when int id present is 1;
//                                                ext 0: more identifier octets follow
//   octet 3.2   ext | coding standard | number/map | channel type
//   octet 3.3   ext | channel number, or a slot map (all eight bits)
enum ChannelOctet : uint8_t {
    kInterfaceId,      // the first interface identifier octet
    kMoreInterfaceId,  // further interface identifier octets, not shown
    kChannelType,
    kChannelNumber,
    kPastChannel,      // later channel number or slot map octets, not shown
};

// Every line starts "\nQ931: Channel Idenfication : " and the field's name;
// each is one constant text, so that it is written at once.

}  // namespace

void DecodeIeChannelId(uint8_t octet, TextWriter& w, uint8_t index) {
    IeDecoderState& state = ElementState();
    if (index == 0) {
        const uint32_t interfaceIdPresent = (octet >> 6) & 1;
        const uint32_t interfaceType = (octet >> 5) & 1;
        state.channelNext = interfaceIdPresent != 0 ? kInterfaceId : kChannelType;
        AppendText(w, "\nQ931: Channel Idenfication : Int Id present : ");
        AppendWord(w, kInterfaceIdentification, interfaceIdPresent);
        AppendText(w, "\nQ931: Channel Idenfication : Interface type : ");
        AppendWord(w, kInterfaceTypes, interfaceType);
        AppendText(w, "\nQ931: Channel Idenfication : Pref/Excl      : ");
        AppendWord(w, kPreferredOrExclusive, (octet >> 3) & 1);
        AppendText(w, "\nQ931: Channel Idenfication : D-Channel Ind. : ");
        AppendWord(w, kDChannel, (octet >> 2) & 1);
        AppendText(w, "\nQ931: Channel Idenfication : Info channel   : ");
        AppendWord(w, interfaceType == 0 ? kBasicChannels : kOtherChannels, octet & 0x03);
        return;
    }
    switch (state.channelNext) {
        case kInterfaceId:
            AppendText(w, "\nQ931: Channel Idenfication : IF Identifier  : ");
            AppendHexByte(w, octet & 0x7F);
            [[fallthrough]];
        case kMoreInterfaceId:
            state.channelNext = (octet & kExtensionBit) != 0 ? kChannelType : kMoreInterfaceId;
            break;
        case kChannelType:
            // It says how the next octet is to be read, by number or by slot map.
            AppendText(w, "\nQ931: Channel Idenfication : Coding Standard: ");
            AppendCodingStandard(w, octet >> 5);
            state.numberOrMap = (octet >> 4) & 1;
            AppendText(w, "\nQ931: Channel Idenfication : Number / Map   : ");
            AppendWord(w, kNumberOrMap, state.numberOrMap);
            AppendText(w, "\nQ931: Channel Idenfication : Chan / map type: ");
            LookupValueName(kTableChannelType, octet & 0x0F, w);
            state.channelNext = kChannelNumber;
            break;
        case kChannelNumber:
            // A channel number loses its extension bit; a slot map octet
            // uses all eight bits.
            AppendText(w, "\nQ931: Channel Idenfication : Ch num/slot map: ");
            AppendText(w, "0x");
            AppendHexByte(w, state.numberOrMap != 0 ? octet : octet & 0x7F);
            state.channelNext = kPastChannel;
            break;
        default:
            break;
    }
}

}  // namespace korvex
