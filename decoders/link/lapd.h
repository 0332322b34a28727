// LAPD (Q.921) and LAPF (Q.922) frame decoder internals. The entry points
// DecodeLapd and DecodeLapf are declared in the public header.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"

namespace korvex {

// LAPD address field:
//
//   octet 1   SAPI (6 bits) | C/R | EA 0
//   octet 2   TEI (7 bits) | EA 1
enum LapdAddressBits : uint8_t { kCommandResponse = 0x02 };

// Control field:
//
//   I frame   N(S) (7 bits) | 0         then   N(R) (7 bits) | P/F
//   S frame   0 0 0 0 | S S | 0 1       then   N(R) (7 bits) | P/F
//   U frame   M M M | P/F | M M | 1 1   (one octet)
enum LapdControlBits : uint8_t {
    kInformationMask = 0x01,  // clear in an I frame
    kSupervisoryMask = 0x03,  // 01 in an S frame
    kUnnumberedPollFinal = 0x10,
    kPollFinal = 0x01,  // in the second control octet
};

// Frame keys of tables 7 and 10 that the decoders act on.
enum LapdFrameKey : uint8_t { kKeyInformation = 0xFF, kKeyFrameReject = 0x97, kKeyUnnumberedInformation = 0x13 };

// TEI values: 0 to 63 are assigned by the user, 64 to 126 by the network,
// 127 addresses every terminal (the group value).
enum Tei : uint8_t { kFirstAutomaticTei = 64, kGroupTei = 127 };

// Frame class of a control field: I, S or U frame.
enum LapdFrameType : int { kLapdInformation = 0, kLapdSupervisory = 1, kLapdUnnumbered = 2 };

// The class of the first control octet: bit 1 clear is an I frame, low bits
// 01 an S frame, low bits 11 a U frame.
LapdFrameType ClassifyLapdControl(uint8_t control);

// Fields the summary walk decodes and the detail block prints.
struct LapdFrameFields {
    uint8_t sapi = 0;
    uint8_t tei = 0;
    LapdFrameType frameType = kLapdInformation;
    uint8_t frameKey = 0;  // key of tables 7 and 10
    uint8_t cr = 0;
    uint8_t ns = 0;
    uint8_t nr = 0;
    uint8_t pf = 0;
    uint32_t dlci = 0;        // LAPF only
    int32_t addressOctets = 0;

    // How far the walk got in a frame that may be cut short.
    bool addressComplete = false;  // the whole address field was read
    bool controlSeen = false;      // control octet 1 was read
    bool keyKnown = false;         // frameKey was set
};

// The detail block of a frame whose summary walk filled fields.
void DecodeLapdDetail(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w,
                      uint32_t flags);

// The layer-3 message of an I frame's information field, decoded inside the
// link layer's detail block (DECODE_LAYER3).
void AppendLayer3Message(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w,
                         uint32_t flags);

// The extended text of a UI frame's information field, inside the detail
// block (DECODE_EXTENDED): in LAPD mode, with DECODE_LAYER3, a Q.931
// message on SAPI 0 or a TEI management message on SAPI 63; in LAPF mode
// the multiprotocol encapsulation.
void AppendUnnumberedInformation(const LapdFrameFields& fields, const FrameView& frame, TextWriter& w,
                                 uint32_t flags);

// The detail lines of a Q.931 (or Q.933) message carried in a frame: message
// runs from the protocol discriminator to the octet before the FCS.
void AppendQ931Message(const FrameView& message, uint32_t flags, TextWriter& w);

// The class of a TEI value after its digits: " Group TEI", " Automatic TEI
// Assignment" or " Static TEI Assignment".
void AppendTeiClass(TextWriter& w, uint8_t tei);

// The lines of a TEI management message (a UI frame's information field on
// SAPI 63, the FCS left out).
void AppendTeiManagement(const FrameView& message, TextWriter& w);

// The lines of a LAPF UI frame's multiprotocol encapsulation: the field after
// the control octet, the FCS left out. The carried protocol's own lines
// follow with DECODE_LAYER3.
void AppendLapfEncapsulation(const FrameView& field, uint32_t flags, TextWriter& w);

}  // namespace korvex
