// Party numbers, subaddresses, transit network selection and network-
// specific facilities. The calling party and redirecting numbers read their
// octets 3a and 3b only where the extension bits announce them; the called
// party number and the subaddresses take octet positions as fixed.

#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

constexpr std::array<Word, 8> kTypesOfNumber = {
    "Unknown",           "International number", "National number",    "Network specific number",
    "Subscriber number", nullptr,                "Abbreviated number", "Reserved for extension",
};

constexpr std::array<Word, 16> kNumberingPlans = {
    "Unknown", "ISDN/telephony numbering plan", nullptr, "Data numbering plan", "Telex numbering plan",
    nullptr, nullptr, nullptr, "National standard numbering plan", "Private numbering plan",
    nullptr, nullptr, nullptr, nullptr, nullptr, "Reserved for extension",
};

constexpr std::array<Word, 4> kPresentations = {
    "Presentation allowed", "Presentation restricted", "Number not available due to interworking", "Reserved"};

constexpr std::array<Word, 4> kScreenings = {
    "User-provided, not screened", "User-provided, verified and passed", "User-provided, verified and failed",
    "Network provided"};

// Types 3 to 7 are reserved.
constexpr std::array<Word, 3> kSubaddressTypes = {"NSAP", nullptr, "User specified"};

// Values above 3 name nothing.
constexpr std::array<Word, 4> kNetworkIdTypes = {"User specified", nullptr, "National network identification",
                                                 "International network identification"};
constexpr std::array<Word, 4> kNetworkIdPlans = {"Unknown", "Carrier Identification Code", nullptr,
                                                 "DNIC (X.121)"};

// A party number:
//
//   octet 3    ext | type of number (3) | numbering plan (4)
//   octet 3a   ext | presentation (2) | 0 0 0 | screening (2)   only when bit 8 of octet 3 is 0
//   octet 3b   ext | 0 0 0 | reason for redirection (4)        only when bit 8 of octet 3a is 0
//   octet 4..  digits, one character each
enum NumberBits : uint8_t {
    kTypeOfNumberMask = 0x07,  // octet 3, after the shift by 4
    kPlanMask = 0x0F,          // octet 3; also the plan of a network identification
    kPresentationMask = 0x03,  // octet 3a, after the shift by 5
    kScreeningMask = 0x03,     // octet 3a
    kRedirectionReasonMask = 0x0F,  // octet 3b
};

// The prefix of a party number's lines and the octets it may have.
struct NumberLayout {
    Word prefix;
    bool hasPresentation;  // octet 3a may follow octet 3
    bool hasReason;        // octet 3b may follow octet 3a
};

constexpr NumberLayout kCallingNumber = {"\nQ931: Calling PN: ", true, false};
constexpr NumberLayout kCalledNumber = {"\nQ931: Called PN: ", false, false};
constexpr NumberLayout kRedirectingNumber = {"\nQ931: Redirecting Number: ", true, true};
// The connected number (extended reading) has the calling number's octets.
constexpr NumberLayout kConnectedNumber = {"\nQ931: Connected PN: ", true, false};

// What a party number's next octet is.
enum NumberOctet : uint8_t { kPresentation, kReason, kFirstDigit, kDigit };

// Subaddress, octet 3:   ext | type of subaddress (3) | odd/even | 0 0 0
enum SubaddressBits : uint8_t { kSubaddressTypeMask = 0x07, kOddNumberOfDigits = 0x08 };  // type after the shift by 4

// Transit network selection and network-specific facilities, the network
// identification's first octet:   ext | type (3) | plan (4)
enum NetworkIdBits : uint8_t { kNetworkIdTypeMask = 0x07 };  // after the shift by 4

// One digit as the character it codes. A NUL octet is shown as "." so that
// it cannot end the text early.
void AppendDigit(TextWriter& w, uint8_t octet) {
    w.PutWithBlank(octet == 0 ? '.' : static_cast<char>(octet));
}

void AppendSpacedHex(TextWriter& w, uint8_t octet) {
    AppendHexByte(w, octet);
    AppendText(w, " ");
}

// Octet 3: type of number and numbering plan.
void NumberOctet3(const NumberLayout& layout, uint8_t octet, TextWriter& w) {
    AppendText(w, layout.prefix, "Type of number: ");
    AppendWord(w, kTypesOfNumber, (octet >> 4) & kTypeOfNumberMask);
    AppendText(w, layout.prefix, "Numbering plan: ");
    AppendWord(w, kNumberingPlans, octet & kPlanMask);
}

// Octet 3a: presentation and screening.
void NumberOctet3a(const NumberLayout& layout, uint8_t octet, TextWriter& w) {
    AppendText(w, layout.prefix, "Presentation  : ");
    AppendWord(w, kPresentations, (octet >> 5) & kPresentationMask);
    AppendText(w, layout.prefix, "Screening     : ");
    AppendWord(w, kScreenings, octet & kScreeningMask);
}

// Inlined into each party number's decoder, where its layout is constant.
KORVEX_INLINE void DecodeNumberOctet(const NumberLayout& layout, uint8_t octet, TextWriter& w, uint8_t index) {
    uint8_t& next = ElementState().numberNext;
    if (index != 0 && next == kDigit) {  // most octets of a number
        AppendDigit(w, octet);
        return;
    }
    const bool groupEnds = (octet & kExtensionBit) != 0;
    if (index == 0) {
        NumberOctet3(layout, octet, w);
        next = layout.hasPresentation && !groupEnds ? kPresentation : kFirstDigit;
        return;
    }
    switch (next) {
        case kPresentation:
            NumberOctet3a(layout, octet, w);
            next = layout.hasReason && !groupEnds ? kReason : kFirstDigit;
            break;
        case kReason:
            AppendText(w, layout.prefix, "Reason        : ");
            AppendValueName(w, kTableQ931RedirectionReason, octet & kRedirectionReasonMask, "Reserved");
            next = kFirstDigit;
            break;
        default:
            AppendText(w, layout.prefix, "Digits        : ");
            AppendDigit(w, octet);
            next = kDigit;
            break;
    }
}

void DecodeSubaddressOctet(Word prefix, uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, prefix, "type     : ");
        AppendWord(w, kSubaddressTypes, (octet >> 4) & kSubaddressTypeMask, "Reserved");
        AppendText(w, prefix, "odd/even : ");
        AppendText(w, (octet & kOddNumberOfDigits) != 0 ? "Odd" : "Even");
        return;
    }
    if (index == 1) AppendText(w, prefix, "info     : ");
    AppendSpacedHex(w, octet);
}

// The type and plan of a network identification, each after its field name.
void NetworkIdTypeAndPlan(Word prefix, Word typeName, Word planName, uint8_t octet, TextWriter& w) {
    AppendText(w, prefix, typeName);
    AppendWord(w, kNetworkIdTypes, (octet >> 4) & kNetworkIdTypeMask);
    AppendText(w, prefix, planName);
    AppendWord(w, kNetworkIdPlans, octet & kPlanMask);
}

}  // namespace

void DecodeIeCallingPartyNumber(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeNumberOctet(kCallingNumber, octet, w, index);
}

void DecodeIeCalledPartyNumber(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeNumberOctet(kCalledNumber, octet, w, index);
}

void DecodeIeRedirectingNumber(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeNumberOctet(kRedirectingNumber, octet, w, index);
}

void DecodeIeConnectedNumber(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeNumberOctet(kConnectedNumber, octet, w, index);
}

void DecodeIeCallingPartySubaddress(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeSubaddressOctet("\nQ931: Calling Party Subaddress: ", octet, w, index);
}

void DecodeIeCalledPartySubaddress(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeSubaddressOctet("\nQ931: Called Party Subaddress: ", octet, w, index);
}

void DecodeIeConnectedSubaddress(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeSubaddressOctet("\nQ931: Connected Party Subaddress: ", octet, w, index);
}

// Octet 3: the type and plan of the network identification; the octets
// after it are the identification, shown in hex, not as characters.
void DecodeIeTransitNetworkSelection(uint8_t octet, TextWriter& w, uint8_t index) {
    constexpr Word prefix = "\nQ931: Transit Ntwk Sel: ";
    if (index == 0) {
        NetworkIdTypeAndPlan(prefix, "Type of Ntwk Id: ", "Ntwk Id plan   : ", octet, w);
        return;
    }
    if (index == 1) AppendText(w, prefix, "Network ID     : ");
    AppendSpacedHex(w, octet);
}

// Octet 3 is the length of the network identification that follows the
// type and plan octet; the octets after it say which facility is asked for.
// All of them run together as hex digits.
void DecodeIeNetworkSpecificFacilities(uint8_t octet, TextWriter& w, uint8_t index) {
    constexpr Word prefix = "\nQ931: Ntwk spec. facilities : ";
    constexpr Word facilityLine = "\nQ931: Ntwk spec. facilities spec: ";
    IeDecoderState& state = ElementState();
    if (index == 0) {
        state.networkIdLength = octet;
        state.networkIdLeft = octet;
        return;
    }
    if (state.networkIdLength == 0) {
        if (index == 1) AppendText(w, facilityLine);
        AppendHexByte(w, octet);
        return;
    }
    if (index == 1) {
        NetworkIdTypeAndPlan(prefix, "Type of ntwk id: ", "Ntwk id plan   : ", octet, w);
        AppendText(w, prefix, "Network id     : ");
        return;
    }
    AppendHexByte(w, octet);
    if (state.networkIdLeft > 0 && --state.networkIdLeft == 0) AppendText(w, facilityLine);
}

}  // namespace korvex
