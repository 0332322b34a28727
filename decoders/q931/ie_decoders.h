// Information element decoders of the Q.931 decoder. The walker hands every
// content octet of a variable-length element to the element's decoder, one
// call per octet: the octet, the writer, and the octet's index within the
// contents (0 for the octet right after the length octet). A decoder is told
// nothing else, so what it learns from one octet for a later one it keeps in
// the element state below.
#pragma once

#include <array>
#include <cstdint>

#include "core/output.h"
#include "core/text_writer.h"
#include "decoders/q931/q931_extended_tables.h"
#include "decoders/q931/q931_tables.h"

namespace korvex {

using IeOctetDecoder = void (*)(uint8_t octet, TextWriter& w, uint8_t index);

// One decoder per row of table 5, at the same index.
extern const std::array<IeOctetDecoder, kQ931ElementCount> IeDecoderTable;

// With DECODE_EXTENDED: one decoder per row of table 35, at the same index.
extern const std::array<IeOctetDecoder, kQ931ExtendedElementCount> IeExtendedDecoderTable;

// Bit 8 of an octet of an element: 0 when the next octet continues the
// octet's group (octet 3, then 3a, 3b ...), 1 when the group ends with it.
inline constexpr uint8_t kExtensionBit = 0x80;

// What element decoders carry from one octet of an element to a later one
// of the same element. Every decoder sets what it uses at the element's
// first content octet, so no element's text depends on an earlier element
// or message. One per thread, so that decodes on separate threads do not
// disturb each other.
struct IeDecoderState {
    // Channel identification: what the element's next octet is.
    uint8_t channelNext;
    // Channel identification: the channel is given by slot map, not number.
    uint8_t numberOrMap;
    // Cause, bearer capability, low and high layer compatibility: what the
    // element's next octet is (in the octet-3 group, octet 4, or after it).
    uint8_t groupNext;
    // Party numbers: what the element's next octet is.
    uint8_t numberNext;
    // Network-specific facilities: length of the network identification and
    // how many of its octets are still to come.
    uint32_t networkIdLength;
    uint32_t networkIdLeft;
    // Transit delay value built from three octets.
    uint32_t transitDelay;
    // PVC status: the DLCI built from octets 3, 4 (4a, 4b) and what the
    // element's next octet is.
    uint32_t dlci;
    uint8_t pvcNext;

    // Back to the start values: all zero, as a thread's state starts.
    void Reset() { *this = IeDecoderState{}; }
};

// The calling thread's element state.
IeDecoderState& ElementState();

// Where a content octet stands in an element whose octet 3 may be extended
// (cause, bearer capability, low and high layer compatibility):
//
//   octet 3    ext | fields        ext 0: octet 3a follows
//   octet 3a   ext | fields        ... as many as bit 8 of 0 announces
//   octet 4    ext | fields        the first octet after the group
//
// Called for every content octet in order; the group's extra octets are
// Extension, every octet after octet 4 Beyond.
enum class GroupOctet : uint8_t { Octet3, Extension, Octet4, Beyond };
GroupOctet PlaceInElement(uint8_t octet, uint8_t index);

// Writes the coding standard word of a two-bit coding standard.
void AppendCodingStandard(TextWriter& w, uint32_t standard);

void DecodeIeNone(uint8_t octet, TextWriter& w, uint8_t index);

// Bearer capability and compatibility.
void DecodeIeBearerCapability(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeLowLayerCompat(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeHighLayerCompat(uint8_t octet, TextWriter& w, uint8_t index);

// Cause, call state, progress and related elements.
// Cause values, one block per cause class (bits 7 to 5 of the cause
// value), each keyed by the low four bits.
extern const std::array<ValueNameTable, 8> CauseValueTable;

void DecodeIeCause(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeCallState(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeProgress(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeNotification(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeSignal(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeRestart(uint8_t octet, TextWriter& w, uint8_t index);

// Channel identification.
void DecodeIeChannelId(uint8_t octet, TextWriter& w, uint8_t index);

// Party numbers, subaddresses and network identifications.
void DecodeIeCallingPartyNumber(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeCalledPartyNumber(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeRedirectingNumber(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeCallingPartySubaddress(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeCalledPartySubaddress(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeTransitNetworkSelection(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeNetworkSpecificFacilities(uint8_t octet, TextWriter& w, uint8_t index);

// The other elements.
void DecodeIeSegmentedMessage(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeCallIdentity(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeDisplay(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeDateTime(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeKeypad(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeInformationRate(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeTransitDelay(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeTransitDelaySelection(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIePacketBinaryParams(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIePacketWindowSize(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIePacketSize(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeClosedUserGroup(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeReverseCharging(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeUserUser(uint8_t octet, TextWriter& w, uint8_t index);

// The elements of the extended reading (DECODE_EXTENDED) that have octets
// to decode: Q.931 (1998) and Q.932 supplementary services, Q.933 status.
void DecodeIeSegmentedMessageExtended(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeNotificationExtended(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeConnectedNumber(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeConnectedSubaddress(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeFacility(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeExtendedFacility(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeReportType(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIeLinkIntegrity(uint8_t octet, TextWriter& w, uint8_t index);
void DecodeIePvcStatus(uint8_t octet, TextWriter& w, uint8_t index);

}  // namespace korvex
