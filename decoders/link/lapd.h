// LAPD (Q.921) and LAPF (Q.922) frame decoder internals. The entry points
// DecodeLapd and DecodeLapf are declared in the public header.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"

namespace korvex {

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
