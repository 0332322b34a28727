// The remaining elements: segmented message, call identity, display, date
// and time, keypad, information rate, transit delays, the packet-mode
// parameters, closed user group, reverse charging and user-user. Most decode
// one or two fixed octets; the character and byte-string elements show
// their octets as hex pairs.

#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

// Segmented message:   octet 3   first segment | segments remaining (7)
//                      octet 4   0 | type of the segmented message (7)
enum SegmentBits : uint8_t { kFirstSegment = 0x80, kRemainingMask = 0x7F };

// Information rate, octets 3 to 6:   0 0 0 | rate (5)
enum RateBits : uint8_t { kRateMask = 0x1F };

// Transit delay, octets 3 to 5:   0 0 0 0 0 0 | delay bits 16-15
//                                 0 | delay bits 14-8
//                                 0 | delay bits 7-1
enum DelayBits : uint8_t { kDelayHighMask = 0x03, kDelayMask = 0x7F };

// Packet layer binary parameters, octet 3:
//   ext | 0 0 | fast select (2) | expedited data | delivery confirmation | modulus
enum BinaryParameterBits : uint8_t {
    kFastSelectMask = 0x03,  // after the shift by 3
    kExpeditedData = 0x04, kDeliveryConfirmation = 0x02, kModulus128 = 0x01,
};

// Window size and packet size, octets 3 and 4:   ext | value (7)
enum SizeBits : uint8_t { kValueMask = 0x7F };

// Closed user group:   octet 3    ext | 0 0 0 0 | indication (3)
//                      octet 4..  0 | index digit (7)
enum ClosedUserGroupBits : uint8_t { kCugIndicationMask = 0x07, kCugDigitMask = 0x7F };

// Reverse charging:    octet 3    ext | 0 0 0 0 0 0 | requested
enum ReverseChargingBits : uint8_t { kReverseChargingRequested = 0x01 };

// User-user protocol discriminators beyond table 33: up to 0x10 named by
// the table, 0x40 to 0x4F for national use, 0xFF reserved, the others
// network layer protocols.
enum UserProtocol : uint8_t {
    kFirstNetworkLayerProtocol = 0x10, kFirstNationalProtocol = 0x40, kLastNationalProtocol = 0x4F,
    kReservedProtocol = 0xFF,
};

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

constexpr std::array<const char*, 6> kDateTimeLabels = {
    "\nQ931: Date / Time: Year: ", "\nQ931: Date / Time: Mon : ", "\nQ931: Date / Time: Day : ",
    "\nQ931: Date / Time: Hour: ", "\nQ931: Date / Time: Min : ", "\nQ931: Date / Time: Sec : ",
};

constexpr std::array<Word, 4> kFastSelect = {
    "Fast select not requested", "Fast select not requested",
    "Fast select requested with no restriction of response",
    "Fast select requested with restrictions of response"};
constexpr std::array<Word, 2> kExpeditedDataWords = {"No request/request denied",
                                                       "Request indicated/request accepted"};
constexpr std::array<Word, 2> kDeliveryConfirmationWords = {"Link-by-link confirmation",
                                                              "End-to-end confirmation"};
constexpr std::array<Word, 2> kModulusWords = {"Modulus 8 sequencing", "Modulus 128 sequencing"};

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
    AppendLabelDecimal(w, index == 0 ? forward : backward, octet & kValueMask);
}

}  // namespace

void DecodeIeSegmentedMessage(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, "\nQ931: 1st Segment Indicator: ");
        AppendLabel(w, kLabelSubsequentSegment + TestBits(octet, kFirstSegment));
        AppendLabelDecimal(w, "\nQ931: Num segments remaining: ", octet & kRemainingMask);
    } else if (index == 1) {
        AppendText(w, "\nQ931: Segmented Message Type: ");
        AppendValueName(w, kTableQ931MessageType, octet);
    }
}

// Extended reading: the segmented message's type is also named by table 34
// (a segmented FACILITY, say).
void DecodeIeSegmentedMessageExtended(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 1) {
        DecodeIeSegmentedMessage(octet, w, index);
        return;
    }
    AppendText(w, "\nQ931: Segmented Message Type: ");
    if (LookupValueName(kTableQ931MessageType, octet, w) == 0) {
        LookupValueName(kTableQ931ExtendedMessageType, octet, w);
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
    if (index < kDateTimeLabels.size()) AppendLabelDecimal(w, kDateTimeLabels[index], octet);
}

void DecodeIeKeypad(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) AppendText(w, "\nQ931: Keypad Facility: Chars: ");
    AppendSpacedHex(w, octet);
}

void DecodeIeInformationRate(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index >= kRateLabels.size()) return;
    AppendText(w, kRateLabels[index]);
    AppendWord(w, kRates, octet & kRateMask, "Reserved");
}

// One number built from three octets: two bits of octet 3, seven of octet 4
// and seven of octet 5. Nothing is written for fewer than three octets.
void DecodeIeTransitDelay(uint8_t octet, TextWriter& w, uint8_t index) {
    uint32_t& delay = ElementState().transitDelay;
    if (index == 0) {
        delay = static_cast<uint32_t>(octet & kDelayHighMask) << 7;
    } else if (index == 1) {
        delay = ((octet & kDelayMask) | delay) << 7;
    } else if (index == 2) {
        delay |= octet & kDelayMask;
        AppendLabelDecimal(w, "\nQ931: Transit Delay: ", static_cast<int32_t>(delay));
    }
}

void DecodeIeTransitDelaySelection(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeIeTransitDelay(octet, w, index);
}

void DecodeIePacketBinaryParams(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Fast Select : ");
    AppendWord(w, kFastSelect, (octet >> 3) & kFastSelectMask);
    AppendText(w, "\nQ931: Exp data    : ");
    AppendWord(w, kExpeditedDataWords, TestBits(octet, kExpeditedData));
    AppendText(w, "\nQ931: Delivery cnf: ");
    AppendWord(w, kDeliveryConfirmationWords, TestBits(octet, kDeliveryConfirmation));
    AppendText(w, "\nQ931: Modulus     : ");
    AppendWord(w, kModulusWords, TestBits(octet, kModulus128));
}

void DecodeIePacketWindowSize(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeForwardBackward("\nQ931: Pkt layer window size: forward value  :",
                          "\nQ931: Pkt layer window size: backward value :", octet, w, index);
}

void DecodeIePacketSize(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeForwardBackward("\nQ931: Packet size: forward value  :", "\nQ931: Packet size: backward value :",
                          octet, w, index);
}

void DecodeIeClosedUserGroup(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, "\nQ931: CUG : CUG Indication : ");
        AppendWord(w, kClosedUserGroups, octet & kCugIndicationMask, "Reserved");
        return;
    }
    if (index == 1) AppendText(w, "\nQ931: CUG : CUG Index code : ");
    AppendSpacedHex(w, octet & kCugDigitMask);
}

void DecodeIeReverseCharging(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Reverse Charging : ");
    AppendText(w, (octet & kReverseChargingRequested) != 0 ? "Reverse charging requested" : "Reserved");
}

void DecodeIeUserUser(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) {
        if (index == 1) AppendText(w, "\nQ931: User User: User info     : ");
        AppendSpacedHex(w, octet);
        return;
    }
    AppendText(w, "\nQ931: User User: Protocol Desc.: ");
    if (octet < kFirstNetworkLayerProtocol) {
        AppendValueName(w, kTableQ931UserProtocol, octet);
    } else if (octet >= kFirstNationalProtocol && octet <= kLastNationalProtocol) {
        AppendText(w, "National use");
    } else if (octet == kReservedProtocol) {
        AppendText(w, "Reserved");
    } else {
        AppendText(w, kOtherNetworkLayer);
    }
}

}  // namespace korvex
