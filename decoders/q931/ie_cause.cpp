// Cause, call state, progress indicator, notification indicator, signal and
// restart indicator: each decodes fixed octet positions and writes nothing
// for the others. The cause reads its octet 4 after the octet-3 group, as
// the extension bits of octet 3 and 3a say; the others read fixed indexes.

#include <array>

#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

// Cause and progress indicator, octet 3:
//
//   octet 3    ext | coding standard (2) | 0 | location (4)
enum LocationBits : uint8_t { kLocationMask = 0x0F };

// Cause, after octet 3:
//
//   octet 3a   ext | recommendation (7)          only when bit 8 of octet 3 is 0
//   octet 4    ext | class (3) | value in class (4)
//   octet 5..  diagnostics
enum CauseBits : uint8_t { kCauseClassMask = 0x07, kCauseValueMask = 0x0F };  // the class after the shift by 4

// Call state:            octet 3   coding standard (2) | call state value (6)
// Progress indicator:    octet 4   ext | progress description (7)
// Notification:          octet 3   ext | notification description (7)
// Signal:                octet 3   signal value (8)
// Restart indicator:     octet 3   ext | 0 0 0 0 | class (3)
enum ValueBits : uint8_t { kCallStateMask = 0x3F, kDescriptionMask = 0x7F, kRestartClassMask = 0x07 };

// Cause values by class: the row key is the low four bits of the cause
// value, so the full value is 16 x class + key.
constexpr ValueName kCauseClass0[] = {
    {1, "Unallocated (unassigned) number"},
    {2, "No route to specified transit network"},
    {3, "No route to destination"},
    {4, "Send special information tone"},
    {5, "Misdialled trunk prefix"},
    {6, "Channel unacceptable"},
    {7, "Call awarded and being delivered in an established channel"},
    {8, "Preemption"},
    {9, "Preemption - circuit reserved for reuse"},
};

constexpr ValueName kCauseClass1[] = {
    {0, "Normal call clearing"},
    {1, "User busy"},
    {2, "No user responding"},
    {3, "No answer from user (user alerted)"},
    {4, "Subscriber absent"},
    {5, "Call rejected"},
    {6, "Number changed"},
    {7, "Redirection to new destination"},
    {9, "Exchange routing error"},
    {10, "Non-selected user clearing"},
    {11, "Destination out of order"},
    {12, "Invalid number format (address incomplete)"},
    {13, "Facility rejected"},
    {14, "Response to STATUS ENQUIRY"},
    {15, "Normal, unspecified"},
};

constexpr ValueName kCauseClass2[] = {
    {2, "No circuit/channel available"},
    {6, "Network out of order"},
    {7, "Permanent frame mode connection out of service"},
    {8, "Permanent frame mode connection operational"},
    {9, "Temporary failure"},
    {10, "Switching equipment congestion"},
    {11, "Access information discarded"},
    {12, "Requested circuit/channel not available"},
    {14, "Precedence call blocked"},
    {15, "Resource unavailable, unspecified"},
};

constexpr ValueName kCauseClass3[] = {
    {1, "Quality of service not available"},
    {2, "Requested facility not subscribed"},
    {5, "Outgoing calls barred within CUG"},
    {7, "Incoming calls barred within CUG"},
    {9, "Bearer capability not authorized"},
    {10, "Bearer capability not presently available"},
    {14, "Inconsistency in designated outgoing access information and subscriber class"},
    {15, "Service or option not available, unspecified"},
};

constexpr ValueName kCauseClass4[] = {
    {1, "Bearer capability not implemented"},
    {2, "Channel type not implemented"},
    {5, "Requested facility not implemented"},
    {6, "Only restricted digital information bearer capability is available"},
    {15, "Service or option not implemented, unspecified"},
};

constexpr ValueName kCauseClass5[] = {
    {1, "Invalid call reference value"},
    {2, "Identified channel does not exist"},
    {3, "A suspended call exists, but this call identity does not"},
    {4, "Call identity in use"},
    {5, "No call suspended"},
    {6, "Call having the requested call identity has been cleared"},
    {7, "User not member of CUG"},
    {8, "Incompatible destination"},
    {10, "Non-existent CUG"},
    {11, "Invalid transit network selection"},
    {15, "Invalid message, unspecified"},
};

constexpr ValueName kCauseClass6[] = {
    {0, "Mandatory information element is missing"},
    {1, "Message type non-existent or not implemented"},
    {2, "Message not compatible with call state or message type non-existent or not implemented"},
    {3, "Information element /parameter nonexistent or not implemented"},
    {4, "Invalid information element contents"},
    {5, "Message not compatible with call state"},
    {6, "Recovery on timer expiry"},
    {7, "Parameter non-existent or not implemented, passed on"},
    {14, "Message with unrecognized parameter, discarded"},
    {15, "Protocol error, unspecified"},
};

constexpr ValueName kCauseClass7[] = {
    {15, "Interworking, unspecified"},
};

// Notification descriptions; the values 6 to 127 are reserved as well.
constexpr std::array<Word, 6> kNotifications = {
    "User suspended", "User resumed", "Bearer service change", "Reserved", "Reserved", "Reserved",
};

// Restart classes by the low three bits; 1 to 5 have no word.
constexpr std::array<Word, 8> kRestartClasses = {
    "Indicated channels", nullptr, nullptr, nullptr, nullptr, nullptr, "Single interface", "All interfaces",
};

// Octet 3 of the cause and progress indicator elements: coding standard
// (bits 7 and 6) and location (bits 4 to 1).
void CodingAndLocation(TextWriter& w, uint8_t octet, Word codingLabel, Word locationLabel) {
    AppendText(w, codingLabel);
    AppendCodingStandard(w, octet >> 5);
    AppendText(w, locationLabel);
    AppendValueName(w, kTableQ931Location, octet & kLocationMask);
}

}  // namespace

// The cause values, one block per cause class.
const std::array<ValueNameTable, 8> CauseValueTable = {
    ValueNameTable(kCauseClass0), ValueNameTable(kCauseClass1), ValueNameTable(kCauseClass2),
    ValueNameTable(kCauseClass3), ValueNameTable(kCauseClass4), ValueNameTable(kCauseClass5),
    ValueNameTable(kCauseClass6), ValueNameTable(kCauseClass7),
};

// Octet 3: coding standard and location; octet 3a (when bit 8 of octet 3
// is 0): recommendation, not shown; octet 4: class and value; diagnostics
// after it are not decoded.
void DecodeIeCause(uint8_t octet, TextWriter& w, uint8_t index) {
    const GroupOctet place = PlaceInElement(octet, index);
    if (place == GroupOctet::Octet3) {
        CodingAndLocation(w, octet, "\nQ931: Cause: Coding Standard    : ",
                          "\nQ931: Cause: Location           : ");
    } else if (place == GroupOctet::Octet4) {
        const uint32_t causeClass = (octet >> 4) & kCauseClassMask;
        AppendText(w, "\nQ931: Cause: Class              : ");
        AppendLabel(w, kLabelCauseClass0 + static_cast<int>(causeClass));
        AppendText(w, "\nQ931: Cause: Value              : ");
        int found = 0;
        int row = 0;
        const char* text = FindValueName(CauseValueTable[causeClass], octet & kCauseValueMask, found, row);
        if (found != 0) AppendText(w, text);
    }
}

void DecodeIeCallState(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Call State: Coding Standard : ");
    AppendCodingStandard(w, octet >> 6);
    AppendText(w, "\nQ931: Call State: Value           : ");
    AppendValueName(w, kTableQ931CallState, octet & kCallStateMask);
}

void DecodeIeProgress(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        CodingAndLocation(w, octet, "\nQ931: Progress Indicator : Coding Standard: ",
                          "\nQ931: Progress Indicator : Location       : ");
    } else if (index == 1) {
        AppendText(w, "\nQ931: Progress Indicator : Progress descr.: ");
        AppendValueName(w, kTableQ931Progress, octet & kDescriptionMask);
    }
}

void DecodeIeNotification(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Notification Indicator: Description: ");
    AppendWord(w, kNotifications, octet & kDescriptionMask, "Reserved");
}

// Extended reading: octet 3 as above, with the descriptions of table 36
// where the classic words leave a value reserved; the octets after it (the
// ASN.1 encoded notification of description 0x03, say) in hex.
void DecodeIeNotificationExtended(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, "\nQ931: Notification Indicator: Description: ");
        const uint32_t description = octet & kDescriptionMask;
        if (LookupValueName(kTableQ931ExtendedNotification, description, w) == 0) {
            AppendWord(w, kNotifications, description, "Reserved");
        }
        return;
    }
    if (index == 1) AppendText(w, "\nQ931: Notification Indicator: Contents   : ");
    AppendHexByte(w, octet);
    AppendText(w, " ");
}

void DecodeIeSignal(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Signal: Contents: ");
    AppendValueName(w, kTableQ931Signal, octet);
}

void DecodeIeRestart(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Restart Ind: Class: ");
    AppendWord(w, kRestartClasses, octet & kRestartClassMask);
}

}  // namespace korvex
