// Bearer capability, low layer compatibility and high layer compatibility:
// octet 3 and octet 4 of each are decoded, nothing else. Octet 4 is the
// first octet after the octet-3 group (octet 3 and the 3a, 3b ... its
// extension bits announce); the group's extra octets are not shown.

#include "core/output.h"
#include "core/value_names.h"
#include "decoders/q931/ie_decoders.h"

namespace korvex {

namespace {

constexpr int kTableTransferCapability = 24;
constexpr int kTableTransferRate = 25;
constexpr int kTableHighLayer = 32;

// The labels of one of the two elements that share the bearer layout.
struct BearerLabels {
    Word codingStandard;
    Word capability;
    Word mode;
    Word rate;
};

constexpr BearerLabels kBearerCapability = {
    "\nQ931: BC: Coding Standard    : ",
    "\nQ931: BC: Transfer Capability: ",
    "\nQ931: BC: Transfer Mode      : ",
    "\nQ931: BC: Transfer Rate      : ",
};

constexpr BearerLabels kLowLayerCompat = {
    "\nQ931: LL Compatibility: Coding Standard    : ",
    "\nQ931: LL Compatibility: Transfer Capability: ",
    "\nQ931: LL Compatibility: Transfer Mode      : ",
    "\nQ931: LL Compatibility: Transfer Rate      : ",
};

// Made for each element, so that its labels are constant texts.
template <const BearerLabels& labels>
void DecodeBearerOctet(uint8_t octet, TextWriter& w, uint8_t index) {
    const GroupOctet place = PlaceInElement(octet, index);
    if (place == GroupOctet::Octet3) {
        AppendText(w, labels.codingStandard);
        AppendCodingStandard(w, octet >> 5);
        AppendText(w, labels.capability);
        LookupValueName(kTableTransferCapability, octet & 0x1F, w);
    } else if (place == GroupOctet::Octet4) {
        // Any transfer mode other than 00 counts as packet mode.
        AppendText(w, labels.mode);
        AppendText(w, (octet & 0x60) != 0 ? "Packet Mode" : "Circuit mode");
        AppendText(w, labels.rate);
        LookupValueName(kTableTransferRate, octet & 0x1F, w);
    }
}

}  // namespace

void DecodeIeBearerCapability(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeBearerOctet<kBearerCapability>(octet, w, index);
}

void DecodeIeLowLayerCompat(uint8_t octet, TextWriter& w, uint8_t index) {
    DecodeBearerOctet<kLowLayerCompat>(octet, w, index);
}

void DecodeIeHighLayerCompat(uint8_t octet, TextWriter& w, uint8_t index) {
    const GroupOctet place = PlaceInElement(octet, index);
    if (place == GroupOctet::Octet3) {
        AppendText(w, "\nQ931: HL Compatibility: Coding Standard   : ");
        AppendCodingStandard(w, octet >> 5);
        AppendText(w, "\nQ931: HL Compatibility: Interpretation    : ");
        if ((octet & 0x1C) == 0x10) AppendText(w, "First high layer characteristics id to be used");
        AppendText(w, "\nQ931: HL Compatibility: Pres. method      : ");
        if ((octet & 0x03) == 1) AppendText(w, "High layer protocol profile");
    } else if (place == GroupOctet::Octet4) {
        AppendText(w, "\nQ931: HL Compatibility: Characteristics Id: ");
        if (LookupValueName(kTableHighLayer, octet & 0x7F, w) == 0) AppendText(w, "Reserved");
    }
}

}  // namespace korvex
