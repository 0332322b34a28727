// Bearer capability, low layer compatibility and high layer compatibility:
// octet 3 and octet 4 of each are decoded, nothing else. Octet 4 is the
// first octet after the octet-3 group (octet 3 and the 3a, 3b ... its
// extension bits announce); the group's extra octets are not shown.

#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

// Bearer capability and low layer compatibility:
//
//   octet 3   ext | coding standard (2) | information transfer capability (5)
//   octet 4   ext | transfer mode (2) | information transfer rate (5)
enum BearerBits : uint8_t {
    kCapabilityMask = 0x1F,    // octet 3
    kTransferModeMask = 0x60,  // octet 4: 00 circuit mode, any other value packet mode
    kRateMask = 0x1F,          // octet 4
};

// High layer compatibility:
//
//   octet 3   ext | coding standard (2) | interpretation (3) | presentation method (2)
//   octet 4   ext | high layer characteristics identification (7)
enum HighLayerBits : uint8_t {
    kInterpretationMask = 0x1C, kInterpretationFirst = 0x10,  // first characteristics id to be used
    kPresentationMask = 0x03, kPresentationProfile = 0x01,    // high layer protocol profile
    kCharacteristicsMask = 0x7F,                              // octet 4
};

// The bearer layout shared by bearer capability and low layer
// compatibility; each line is the element's prefix and the field's name.
// Inlined into each of the two decoders, where the prefix is a constant.
KORVEX_INLINE void DecodeBearerOctet(Word prefix, uint8_t octet, TextWriter& w, uint8_t index) {
    const GroupOctet place = PlaceInElement(octet, index);
    if (place == GroupOctet::Octet3) {
        AppendText(w, prefix, "Coding Standard    : ");
        AppendCodingStandard(w, octet >> 5);
        AppendText(w, prefix, "Transfer Capability: ");
        AppendValueName(w, kTableQ931TransferCapability, octet & kCapabilityMask);
    } else if (place == GroupOctet::Octet4) {
        AppendText(w, prefix, "Transfer Mode      : ");
        AppendText(w, (octet & kTransferModeMask) != 0 ? "Packet Mode" : "Circuit mode");
        AppendText(w, prefix, "Transfer Rate      : ");
        AppendValueName(w, kTableQ931TransferRate, octet & kRateMask);
    }
}

}  // namespace

void DecodeIeBearerCapability(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeBearerOctet("\nQ931: BC: ", octet, w, index);
}

void DecodeIeLowLayerCompat(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeBearerOctet("\nQ931: LL Compatibility: ", octet, w, index);
}

void DecodeIeHighLayerCompat(uint8_t octet, TextWriter& w, uint8_t index) {
    const GroupOctet place = PlaceInElement(octet, index);
    if (place == GroupOctet::Octet3) {
        AppendText(w, "\nQ931: HL Compatibility: Coding Standard   : ");
        AppendCodingStandard(w, octet >> 5);
        AppendText(w, "\nQ931: HL Compatibility: Interpretation    : ");
        if ((octet & kInterpretationMask) == kInterpretationFirst) {
            AppendText(w, "First high layer characteristics id to be used");
        }
        AppendText(w, "\nQ931: HL Compatibility: Pres. method      : ");
        if ((octet & kPresentationMask) == kPresentationProfile) AppendText(w, "High layer protocol profile");
    } else if (place == GroupOctet::Octet4) {
        AppendText(w, "\nQ931: HL Compatibility: Characteristics Id: ");
        AppendValueName(w, kTableQ931HighLayer, octet & kCharacteristicsMask, "Reserved");
    }
}

}  // namespace korvex
