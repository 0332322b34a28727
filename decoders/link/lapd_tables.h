// Value-name tables of the LAPD/LAPF decoder (table ids 7 to 10). Frame types
// are keyed by the frame key: 0xFF for an I frame, control octet 1 for an S
// frame, and the control octet with the P/F bit forced on for a U frame.
#pragma once

#include "core/value_names.h"
#include "decoders/link/lapd.h"

namespace korvex {

// Table 7: frame names of the summary line, eight characters each.
// "SAMBE" is this system's own spelling of SABME, kept on purpose.
inline constexpr ValueName kLapdShortFrameNames[] = {
    {0xFF, "  INFO  "},
    {0x01, "  RR    "},
    {0x05, "  RNR   "},
    {0x09, "  REJ   "},
    {0x7F, "  SAMBE "},
    {0x1F, "  DM    "},
    {0x13, "  UI    "},
    {0x97, "  FRMR  "},
    {0x53, "  DISC  "},
    {0x73, "  UA    "},
    {0xBF, "  XID   "},
};

// Table 8: service access point identifiers.
inline constexpr ValueName kLapdSapiNames[] = {
    {0, " Call Control Procedures"}, {12, " Teleaction Communication"},
    {16, " X.25 Level 3 Procedures"}, {63, " Layer 2 Management Procedures"},
};

// Table 9: frame classes, by LapdFrameType.
inline constexpr ValueName kLapdFrameClassNames[] = {
    {kLapdInformation, "Information"},
    {kLapdSupervisory, "Supervisory"},
    {kLapdUnnumbered, "Unnumbered"},
};

// Table 10: frame names of the detail block, same keys as table 7.
inline constexpr ValueName kLapdLongFrameNames[] = {
    {0xFF, "Information"},
    {0x01, "Receiver Ready"},
    {0x05, "Receiver Not Ready   "},
    {0x09, "Reject"},
    {0x7F, "Set Asynchronous Mode Balanced Extended"},
    {0x1F, "Disconnect Mode"},
    {0x13, "Unnumbered Information"},
    {0x97, "Frame Reject"},
    {0x53, "Disconnect"},
    {0x73, "Unnumbered Acknowledgement"},
    {0xBF, "Exchange Information"},
};

}  // namespace korvex
