// The remaining elements: segmented message, call identity, display, date
// and time, keypad, information rate, transit delays, the packet-mode
// parameters, closed user group, reverse charging and user-user. Most decode
// one or two fixed octets; the character and byte-string elements show
// their octets as hex pairs.

#include "core/value_names.h"
#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

constexpr int kTableMessageType = 4;
constexpr int kTableUserProtocol = 33;

constexpr int kLabelSubsequentSegment = 29;

// Rates by the low five bits; codes 16 to 31 are reserved as well.
constexpr std::array<Word, 16> kRates = {
    "Reserved", "Reserved", "Reserved", "75",     "150",    "300",    "600",      "1 200",
    "2 400",    "4 800",    "9 600",    "19 200", "48 000", "64 000", "Reserved", "Reserved",
};

constexpr std::array<Word, 4> kRateLabels = {
    "\nQ931: Info Rate: Incoming Rate    : ",
    "\nQ931: Info Rate: Outgoing Rate    : ",
    "\nQ931: Info Rate: Min Incoming Rate: ",
    "\nQ931: Info Rate: Min Outgoing Rate: ",
};

constexpr std::array<Word, 6> kDateTimeFormats = {
    "\nQ931: Date / Time: Year: %d", "\nQ931: Date / Time: Mon : %d", "\nQ931: Date / Time: Day : %d",
    "\nQ931: Date / Time: Hour: %d", "\nQ931: Date / Time: Min : %d", "\nQ931: Date / Time: Sec : %d",
};

constexpr std::array<Word, 4> kFastSelect = {
    "Fast select not requested", "Fast select not requested",
    "Fast select requested with no restriction of response",
    "Fast select requested with restrictions of response"};
constexpr std::array<Word, 2> kExpeditedData = {"No request/request denied",
                                                       "Request indicated/request accepted"};
constexpr std::array<Word, 2> kDeliveryConfirmation = {"Link-by-link confirmation",
                                                              "End-to-end confirmation"};
constexpr std::array<Word, 2> kModulus = {"Modulus 8 sequencing", "Modulus 128 sequencing"};

// Indications 3 to 7 are reserved.
constexpr std::array<Word, 3> kClosedUserGroups = {
    nullptr, "Closed user group selection", "Closed user group with outgoing access selection and indication"};

constexpr const char* kOtherNetworkLayer = "Other ntwk layer or layer 3 protocols, incl X.25";

void AppendSpacedHex(TextWriter& w, uint32_t octet) {
    AppendHexByte(w, octet);
    AppendText(w, " ");
}

// The forward (index 0) and backward (index 1) values of the packet-mode
// window and packet size elements.
void DecodeForwardBackward(const char* forward, const char* backward, uint8_t octet, TextWriter& w,
                           uint8_t index) {
    if (index > 1) return;
    AppendFormatInt(w, index == 0 ? forward : backward, octet & 0x7F);
}

}  // namespace

void DecodeIeSegmentedMessage(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, "\nQ931: 1st Segment Indicator: ");
        AppendLabel(w, kLabelSubsequentSegment + (octet >> 7));
        AppendLabelDecimal(w, "\nQ931: Num segments remaining: ", octet & 0x7F);
    } else if (index == 1) {
        AppendText(w, "\nQ931: Segmented Message Type: ");
        LookupValueName(kTableMessageType, octet, w);
    }
}

void DecodeIeCallIdentity(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) AppendText(w, "\nQ931: Call Identity: ");
    if (index <= 10) AppendSpacedHex(w, octet);
}

void DecodeIeDisplay(uint8_t octet, TextWriter& w, uint8_t index) {
    // The first content octet is not shown.
    if (index == 0) {
        AppendText(w, "\nQ931: Display: Contents: ");
    } else {
        AppendHexByte(w, octet);
    }
}

void DecodeIeDateTime(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index < kDateTimeFormats.size()) AppendFormatInt(w, kDateTimeFormats[index].text, octet);
}

void DecodeIeKeypad(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) AppendText(w, "\nQ931: Keypad Facility: Chars: ");
    AppendSpacedHex(w, octet);
}

void DecodeIeInformationRate(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index >= kRateLabels.size()) return;
    AppendText(w, kRateLabels[index]);
    AppendWord(w, kRates, octet & 0x1F, "Reserved");
}

// One number built from three octets: two bits of octet 3, seven of octet 4
// and seven of octet 5. Nothing is written for fewer than three octets.
void DecodeIeTransitDelay(uint8_t octet, TextWriter& w, uint8_t index) {
    uint32_t& delay = ElementState().transitDelay;
    if (index == 0) {
        delay = static_cast<uint32_t>(octet & 0x03) << 7;
    } else if (index == 1) {
        delay = ((octet & 0x7Fu) | delay) << 7;
    } else if (index == 2) {
        delay |= octet & 0x7Fu;
        AppendLabelDecimal(w, "\nQ931: Transit Delay: ", static_cast<int32_t>(delay));
    }
}

void DecodeIeTransitDelaySelection(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeIeTransitDelay(octet, w, index);
}

void DecodeIePacketBinaryParams(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Fast Select : ");
    AppendWord(w, kFastSelect, (octet >> 3) & 3);
    AppendText(w, "\nQ931: Exp data    : ");
    AppendWord(w, kExpeditedData, (octet >> 2) & 1);
    AppendText(w, "\nQ931: Delivery cnf: ");
    AppendWord(w, kDeliveryConfirmation, (octet >> 1) & 1);
    AppendText(w, "\nQ931: Modulus     : ");
    AppendWord(w, kModulus, octet & 1);
}

void DecodeIePacketWindowSize(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeForwardBackward("\nQ931: Pkt layer window size: forward value  :%d",
                          "\nQ931: Pkt layer window size: backward value :%d", octet, w, index);
}

void DecodeIePacketSize(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeForwardBackward("\nQ931: Packet size: forward value  :%d", "\nQ931: Packet size: backward value :%d",
                          octet, w, index);
}

void DecodeIeClosedUserGroup(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, "\nQ931: CUG : CUG Indication : ");
        AppendWord(w, kClosedUserGroups, octet & 0x07, "Reserved");
        return;
    }
    if (index == 1) AppendText(w, "\nQ931: CUG : CUG Index code : ");
    AppendSpacedHex(w, octet & 0x7F);
}

void DecodeIeReverseCharging(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Reverse Charging : ");
    AppendText(w, (octet & 0x01) != 0 ? "Reverse charging requested" : "Reserved");
}

void DecodeIeUserUser(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) {
        if (index == 1) AppendText(w, "\nQ931: User User: User info     : ");
        AppendSpacedHex(w, octet);
        return;
    }
    AppendText(w, "\nQ931: User User: Protocol Desc.: ");
    if (octet < 0x10) {
        LookupValueName(kTableUserProtocol, octet, w);
    } else if (octet >= 0x40 && octet <= 0x4F) {
        AppendText(w, "National use");
    } else if (octet == 0xFF) {
        AppendText(w, "Reserved");
    } else {
        AppendText(w, kOtherNetworkLayer);
    }
}

}  // namespace korvex
