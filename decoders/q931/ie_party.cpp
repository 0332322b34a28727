// Party numbers, subaddresses, transit network selection and network-
// specific facilities. The calling party and redirecting numbers read their
// octets 3a and 3b only where the extension bits announce them; the called
// party number and the subaddresses take octet positions as fixed.

#include "core/value_names.h"
#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

constexpr int kTableRedirectionReason = 31;

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

// A party number and the start of each of its lines, the element's prefix
// and the field's name in one text:
//
//   octet 3    ext | type of number | numbering plan
//   octet 3a   ext | presentation | 0 0 0 | screening     only when bit 8 of octet 3 is 0
//   octet 3b   ext | 0 0 0 | reason for redirection      only when bit 8 of octet 3a is 0
//   octet 4..  digits
//
// An element without a field leaves its label unused.
struct NumberLayout {
    Word typeOfNumber;
    Word numberingPlan;
    Word presentation;
    Word screening;
    Word reason;
    Word digits;
    bool hasPresentation;  // octet 3a may follow octet 3
    bool hasReason;        // octet 3b may follow octet 3a
};

constexpr NumberLayout kCallingNumber = {
    "\nQ931: Calling PN: Type of number: ", "\nQ931: Calling PN: Numbering plan: ",
    "\nQ931: Calling PN: Presentation  : ", "\nQ931: Calling PN: Screening     : ",
    "\nQ931: Calling PN: Reason        : ", "\nQ931: Calling PN: Digits        : ",
    true, false,
};
constexpr NumberLayout kCalledNumber = {
    "\nQ931: Called PN: Type of number: ", "\nQ931: Called PN: Numbering plan: ",
    "\nQ931: Called PN: Presentation  : ", "\nQ931: Called PN: Screening     : ",
    "\nQ931: Called PN: Reason        : ", "\nQ931: Called PN: Digits        : ",
    false, false,
};
constexpr NumberLayout kRedirectingNumber = {
    "\nQ931: Redirecting Number: Type of number: ", "\nQ931: Redirecting Number: Numbering plan: ",
    "\nQ931: Redirecting Number: Presentation  : ", "\nQ931: Redirecting Number: Screening     : ",
    "\nQ931: Redirecting Number: Reason        : ", "\nQ931: Redirecting Number: Digits        : ",
    true, true,
};

// What a party number's next octet is.
enum NumberOctet : uint8_t { kPresentation, kReason, kFirstDigit, kDigit };

KORVEX_INLINE void Field(TextWriter& w, Word prefix, Word field) {
    AppendText(w, prefix);
    AppendText(w, field);
}

// One digit as the character it codes. A NUL octet is shown as "." so that
// it cannot end the text early.
void AppendDigit(TextWriter& w, uint8_t octet) {
    w.PutWithBlank(octet == 0 ? '.' : static_cast<char>(octet));
}

void AppendSpacedHex(TextWriter& w, uint8_t octet) {
    AppendHexByte(w, octet);
    AppendText(w, " ");
}

// The octets up to and with the first digit. Made for each layout, so that
// its texts are constants; kept out of line, so that the digits, one call
// each, take the short way below.
template <const NumberLayout& layout>
[[gnu::noinline]] void DecodeNumberHeader(uint8_t octet, TextWriter& w, uint8_t index) {
    uint8_t& next = ElementState().numberNext;
    const bool groupEnds = (octet & kExtensionBit) != 0;
    if (index == 0) {
        AppendText(w, layout.typeOfNumber);
        AppendWord(w, kTypesOfNumber, (octet >> 4) & 7);
        AppendText(w, layout.numberingPlan);
        AppendWord(w, kNumberingPlans, octet & 0x0F);
        next = layout.hasPresentation && !groupEnds ? kPresentation : kFirstDigit;
    } else if (next == kPresentation) {
        AppendText(w, layout.presentation);
        AppendWord(w, kPresentations, (octet >> 5) & 3);
        AppendText(w, layout.screening);
        AppendWord(w, kScreenings, octet & 3);
        next = layout.hasReason && !groupEnds ? kReason : kFirstDigit;
    } else if (next == kReason) {
        AppendText(w, layout.reason);
        if (LookupValueName(kTableRedirectionReason, octet & 0x0F, w) == 0) AppendText(w, "Reserved");
        next = kFirstDigit;
    } else {
        AppendText(w, layout.digits);
        AppendDigit(w, octet);
        next = kDigit;
    }
}

template <const NumberLayout& layout>
void DecodeNumberOctet(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0 && ElementState().numberNext == kDigit) {
        AppendDigit(w, octet);
    } else {
        DecodeNumberHeader<layout>(octet, w, index);
    }
}

void DecodeSubaddressOctet(Word prefix, uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        Field(w, prefix, "type     : ");
        AppendWord(w, kSubaddressTypes, (octet >> 4) & 7, "Reserved");
        Field(w, prefix, "odd/even : ");
        AppendText(w, (octet & 0x08) != 0 ? "Odd" : "Even");
        return;
    }
    if (index == 1) Field(w, prefix, "info     : ");
    AppendSpacedHex(w, octet);
}

}  // namespace

void DecodeIeCallingPartyNumber(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeNumberOctet<kCallingNumber>(octet, w, index);
}

void DecodeIeCalledPartyNumber(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeNumberOctet<kCalledNumber>(octet, w, index);
}

void DecodeIeRedirectingNumber(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeNumberOctet<kRedirectingNumber>(octet, w, index);
}

void DecodeIeCallingPartySubaddress(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeSubaddressOctet("\nQ931: Calling Party Subaddress: ", octet, w, index);
}

void DecodeIeCalledPartySubaddress(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeSubaddressOctet("\nQ931: Called Party Subaddress: ", octet, w, index);
}

void DecodeIeTransitNetworkSelection(uint8_t octet, TextWriter& w, uint8_t index) {
    constexpr Word prefix = "\nQ931: Transit Ntwk Sel: ";
    if (index == 0) {
        Field(w, prefix, "Type of Ntwk Id: ");
        AppendWord(w, kNetworkIdTypes, (octet >> 4) & 7);
        Field(w, prefix, "Ntwk Id plan   : ");
        AppendWord(w, kNetworkIdPlans, octet & 0x0F);
        return;
    }
    // The network identification is shown in hex, not as characters.
    if (index == 1) Field(w, prefix, "Network ID     : ");
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
        Field(w, prefix, "Type of ntwk id: ");
        AppendWord(w, kNetworkIdTypes, (octet >> 4) & 7);
        Field(w, prefix, "Ntwk id plan   : ");
        AppendWord(w, kNetworkIdPlans, octet & 0x0F);
        Field(w, prefix, "Network id     : ");
        return;
    }
    AppendHexByte(w, octet);
    if (state.networkIdLeft > 0 && --state.networkIdLeft == 0) AppendText(w, facilityLine);
}

}  // namespace korvex
