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
enum LapdFrameKey : uint8_t { kKeyInformation = 0xFF, kKeyFrameReject = 0x97 };

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

}  // namespace korvex
