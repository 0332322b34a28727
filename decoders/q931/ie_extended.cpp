// The elements of the extended reading (DECODE_EXTENDED): the Q.931 (1998)
// and Q.932 elements that the classic table 5 lacks, and Q.933's status
// elements. The walker names them by table 35 and hands their octets to the
// decoder at the same index here; an element whose octets are not decoded
// has DecodeIeNone. The connected number and subaddress decoders are those
// of the party numbers (ie_party.cpp), the extended notification indicator
// and segmented message those of the classic ones (ie_cause.cpp,
// ie_other.cpp).

#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

// Facility and extended facility (Q.932):
//
//   octet 3    ext 1 | spare 0 0 | protocol profile (5)
//   octet 4..  components, ASN.1 coded: tag, length, contents
//
// The profile is named by table 37; the components are shown in hex, with
// the type of the first one named by its tag (the remote operations
// component tags; other profiles put other things first).
enum FacilityBits : uint8_t { kProfileMask = 0x1F, kInvokeTag = 0xA1 };

constexpr std::array<Word, 4> kComponentTypes = {"Invoke", "Return result", "Return error", "Reject"};

// The facility lines under prefix; the labels line up on the longest,
// "Protocol profile".
void DecodeFacilityOctet(Word prefix, uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, prefix, "Protocol profile: ");
        AppendValueName(w, kTableQ931FacilityProfile, octet & kProfileMask, "Reserved");
        return;
    }
    if (index == 1) {
        const uint32_t component = static_cast<uint32_t>(octet) - kInvokeTag;
        if (component < kComponentTypes.size()) {
            AppendText(w, prefix, "Component type  : ");
            AppendWord(w, kComponentTypes, component);
        }
        AppendText(w, prefix, "Components      : ");
    }
    AppendHexByte(w, octet);
    AppendText(w, " ");
}

// Link integrity verification (Q.933):
//
//   octet 3    send sequence number
//   octet 4    receive sequence number
constexpr Word kLinkIntegrity = "\nQ931: Link Integrity Verification: ";

// PVC status (Q.933), the DLCI in as many octets as the link's address
// field holds it (two, three or four):
//
//   octet 3    ext 0 | spare 0 | DLCI, high 6 bits
//   octet 4    ext | DLCI, next 4 bits | spare 0 0 0     ext 1: a two-octet DLCI
//   octet 4a   ext 0 | DLCI, next 7 bits                 only for four octets
//   octet 4b   ext 1 | DLCI, low 6 bits | spare 0        three and four octets
//   octet 5    ext 1 | spare 0 0 0 | new | delete | active | spare
enum PvcBits : uint8_t {
    kDlciHighMask = 0x3F, kDlciNextMask = 0x0F, kDlciMiddleMask = 0x7F, kDlciLowMask = 0x3F,
    kPvcNew = 0x08, kPvcDelete = 0x04, kPvcActive = 0x02,
};

// What a PVC status element's next octet is.
enum PvcOctet : uint8_t { kPvcOctet4, kPvcDlciMore, kPvcStatusOctet, kPvcBeyond };

constexpr Word kPvcStatus = "\nQ931: PVC Status: ";

// The DLCI as the link layer writes it (eight hex digits), and in decimal.
void AppendDlci(TextWriter& w, uint32_t dlci) {
    AppendText(w, kPvcStatus, "DLCI      : ");
    AppendHexNumber(w, dlci, 8);
    AppendText(w, " (");
    AppendUnsigned(w, dlci);
    AppendText(w, ")");
}

// One of the status bits: its word for a set bit, or for a clear one.
void AppendPvcBit(TextWriter& w, Word label, bool set, Word whenSet, Word whenClear) {
    AppendText(w, kPvcStatus, label);
    AppendText(w, set ? whenSet : whenClear);
}

}  // namespace

void DecodeIeFacility(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeFacilityOctet("\nQ931: Facility: ", octet, w, index);
}

void DecodeIeExtendedFacility(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeFacilityOctet("\nQ931: Extended Facility: ", octet, w, index);
}

// Report type (Q.933):   octet 3   type of report
void DecodeIeReportType(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index != 0) return;
    AppendText(w, "\nQ931: Report Type: Type of report: ");
    AppendValueName(w, kTableQ933ReportType, octet, "Reserved");
}

void DecodeIeLinkIntegrity(uint8_t octet, TextWriter& w, uint8_t index) {
    if (index == 0) {
        AppendText(w, kLinkIntegrity, "Send sequence number   : ");
    } else if (index == 1) {
        AppendText(w, kLinkIntegrity, "Receive sequence number: ");
    } else {
        return;
    }
    AppendDec1(w, octet);
}

void DecodeIePvcStatus(uint8_t octet, TextWriter& w, uint8_t index) {
    IeDecoderState& state = ElementState();
    const bool groupEnds = (octet & kExtensionBit) != 0;
    if (index == 0) {
        state.dlci = octet & kDlciHighMask;
        state.pvcNext = kPvcOctet4;
        return;
    }
    switch (state.pvcNext) {
        case kPvcOctet4:
            state.dlci = state.dlci << 4 | ((octet >> 3) & kDlciNextMask);
            break;
        case kPvcDlciMore:
            state.dlci = groupEnds ? state.dlci << 6 | ((octet >> 1) & kDlciLowMask)
                                   : state.dlci << 7 | (octet & kDlciMiddleMask);
            break;
        case kPvcStatusOctet:
            AppendPvcBit(w, "New       : ", (octet & kPvcNew) != 0, "PVC is new", "PVC already present");
            AppendPvcBit(w, "Delete    : ", (octet & kPvcDelete) != 0, "PVC is deleted", "PVC is configured");
            AppendPvcBit(w, "Active    : ", (octet & kPvcActive) != 0, "PVC is active", "PVC is inactive");
            state.pvcNext = kPvcBeyond;
            return;
        default:
            return;
    }
    if (groupEnds) {
        AppendDlci(w, state.dlci);
        state.pvcNext = kPvcStatusOctet;
    } else {
        state.pvcNext = kPvcDlciMore;
    }
}

const std::array<IeOctetDecoder, kQ931ExtendedElementCount> IeExtendedDecoderTable = {
    DecodeIeSegmentedMessageExtended,  // 0x00
    DecodeIeExtendedFacility,      // 0x0D
    DecodeIeNone,                  // 0x19 data link connection identifier
    DecodeIeFacility,              // 0x1C
    DecodeIeNotificationExtended,  // 0x27
    DecodeIeNone,                  // 0x32 information request
    DecodeIeNone,                  // 0x36 switchhook
    DecodeIeNone,                  // 0x38 feature activation
    DecodeIeNone,                  // 0x39 feature indication
    DecodeIeNone,                  // 0x3A service profile identification
    DecodeIeNone,                  // 0x3B endpoint identifier
    DecodeIeNone,                  // 0x48 link layer core parameters
    DecodeIeNone,                  // 0x49 link layer protocol parameters
    DecodeIeConnectedNumber,       // 0x4C
    DecodeIeConnectedSubaddress,   // 0x4D
    DecodeIeReportType,            // 0x51
    DecodeIeLinkIntegrity,         // 0x53
    DecodeIePvcStatus,             // 0x57
    DecodeIeNone,                  // 0x76 redirection number
};

}  // namespace korvex
