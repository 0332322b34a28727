// Value-name tables of the X.25 packet decoder (table ids 11 to 17): header
// labels, packet types, the modulo field, and the clearing, resetting and
// restarting causes with the diagnostic codes shared by all three.
#pragma once

#include "core/value_names.h"

namespace korvex {

// Table 11: labels of the summary line's header fields.
inline constexpr ValueName kX25HeaderLabels[] = {{0, "  GFI "}, {1, "  LGN "}, {2, "  LCN "}};

// Table 12: packet types, fifteen characters each, keyed by X25PacketType
// (0 for every data packet; RR, RNR and REJ without their P(R)).
inline constexpr ValueName kX25PacketTypeNames[] = {
    {0x0B, "CALL           "},
    {0x0F, "CONNECT        "},
    {0x13, "CLEAR          "},
    {0x17, "CLEAR CNF      "},
    {0x00, "DATA           "},
    {0x23, "INTERRUPT      "},
    {0x27, "INTERRUPT CNF  "},
    {0x01, "RR             "},
    {0x05, "RNR            "},
    {0x09, "REJ            "},
    {0x1B, "RESET          "},
    {0x1F, "RESET CNF      "},
    {0xFB, "RESTART        "},
    {0xFF, "RESTART CNF    "},
    {0xF1, "DIAGNOSTIC     "},
};

// Table 13: the modulo field of the general format identifier.
inline constexpr ValueName kX25ModuloNames[] = {{2, "128"}, {1, "8"}, {3, "32768"}, {0, "Reserved"}};

// Table 14: clearing causes.
inline constexpr ValueName kX25ClearingCauses[] = {
    {0x00, " DTE ORIGINATED"},
    {0x01, " NUMBER BUSY"},
    {0x09, " OUT OF ORDER"},
    {0x11, " REMOTE PROCEDURE ERROR"},
    {0x19, " REVERSE CHARGING NOT SUBSCRIBED"},
    {0x21, " INCOMPATIBLE DESTINATION"},
    {0x29, " FAST SELECT NOT SUBSCRIBED"},
    {0x39, " SHIP ABSENT"},
    {0x03, " INVALID FACILITY REQUEST"},
    {0x0B, " ACCESS BARRED"},
    {0x13, " LOCAL PROCEDURE ERROR"},
    {0x05, " NETWORK CONGESTION"},
    {0x0D, " NOT OBTAINABLE"},
    {0x15, " ROA OUT OF ORDER"},
};

// Table 15: diagnostic codes of clear, reset and restart packets and of the
// diagnostic packet. Code 0 has no row: the callers name it themselves.
// "FPR STATE P6" and "FACICITY" are this system's own texts, kept on purpose.
inline constexpr ValueName kX25DiagnosticCodes[] = {
    {0x01, " INVALID PS"},
    {0x02, " INVALID PR"},
    {0x10, " PACKET TYPE INVALID"},
    {0x11, " PACKET TYPE INVALID FOR STATE R1"},
    {0x12, " PACKET TYPE INVALID FOR STATE R2"},
    {0x13, " PACKET TYPE INVALID FOR STATE R3"},
    {0x14, " PACKET TYPE INVALID FOR STATE P1"},
    {0x15, " PACKET TYPE INVALID FOR STATE P2"},
    {0x16, " PACKET TYPE INVALID FOR STATE P3"},
    {0x17, " PACKET TYPE INVALID FOR STATE P4"},
    {0x18, " PACKET TYPE INVALID FOR STATE P5"},
    {0x19, " PACKET TYPE INVALID FPR STATE P6"},
    {0x1A, " PACKET TYPE INVALID FOR STATE P7"},
    {0x1B, " PACKET TYPE INVALID FOR STATE D1"},
    {0x1C, " PACKET TYPE INVALID FOR STATE D2"},
    {0x1D, " PACKET TYPE INVALID FOR STATE D3"},
    {0x20, " PACKET NOT ALLOWED"},
    {0x21, " UNIDENTIFIABLE PACKET"},
    {0x22, " CALL ON ONE WAY LOGICAL CHANNEL"},
    {0x23, " INVALID PACKET TYPE ON PVC"},
    {0x24, " PACKET ON UNASSIGNED LOGICAL CHANNEL"},
    {0x25, " REJECT NOT SUBSCRIBED TO"},
    {0x26, " PACKET TOO SHORT"},
    {0x27, " PACKET TOO LONG"},
    {0x28, " INVALID GFI"},
    {0x29, " INVALID RESTART PACKET"},
    {0x2A, " PACKET TYPE NOT COMPATIBLE WITH FACILITY"},
    {0x2B, " UNAUTHORIZED INTERRUPT CONFIRMATION"},
    {0x2C, " UNAUTHORIZED INTERRUPT"},
    {0x2D, " UNAUTHORIZED REJECT"},
    {0x2E, " TOA/NPI ADDRESS SUBSCRIPTION FACICITY NOT SUBSCRIBED"},
    {0x30, " TIME EXPIRED"},
    {0x31, " TIME EXPIRED FOR INCOMING CALL"},
    {0x32, " TIME EXPIRED FOR CLEAR INDICATION"},
    {0x33, " TIME EXPIRED FOR RESET INDICATION"},
    {0x34, " TIME EXPIRED FOR RESTART INDICATION"},
    {0x35, " TIME EXPIRED FOR CALL DEFLECTION"},
    {0x40, " CALL SET UP OR CALL CLEARING PROBLEM"},
    {0x41, " FACILITY CODE NOT ALLOWED"},
    {0x42, " FACILITY PARAMETER NOT ALLOWED"},
    {0x43, " INVALID CALLED DTE_ADDRESS"},
    {0x44, " INVALID CALLING DTE_ADDRESS"},
    {0x45, " INVALID FACILITY LENGTH"},
    {0x46, " INCOMING CALL BARRED"},
    {0x47, " NO LOGICAL CHANNEL AVAILABLE"},
    {0x48, " CALL COLLISION"},
    {0x49, " DUPLICATE FACILITY REQUESTED"},
    {0x4A, " NON ZERO ADDRESS LENGTH"},
    {0x4B, " NON ZERO FACILITY LENGTH"},
    {0x4C, " FACILITY NOT PROVIDED WHEN EXPECTED"},
    {0x4D, " INVALID ITU-T SPECIFIED DTE FACILITY"},
    {0x4E, " MAX CALL REDIRECTIONS OR CALL DEFLECTIONS EXCEEDED"},
    {0x50, " MISCELLANEOUS"},
    {0x51, " IMPROPER CAUSE CODE FROM DTE"},
    {0x52, " NOT ALIGNED OCTET"},
    {0x53, " INCONSISTENT Q-BIT SETTING"},
    {0x54, " NUI PROBLEM"},
    {0x55, " ICRD PROBLEM"},
    {0x60, " NOT ASSIGNED"},
    {0x70, " INTERNATIONAL PROBLEM"},
    {0x71, " REMOTE NETWORK PROBLEM"},
    {0x72, " INTERNATIONAL PROTOCOL PROBLEM"},
    {0x73, " INTERNATIONAL LINK OUT OF ORDER"},
    {0x74, " INTERNATIONAL LINK BUSY"},
    {0x75, " TRANSIT NETWORK FACILITY PROBLEM"},
    {0x76, " REMOTE_NETWORK_FACILITY PROBLEM"},
    {0x77, " INTERNATIONAL ROUTING PROBLEM"},
    {0x78, " TEMPORARY ROUTING PROBLEM"},
    {0x79, " UNKNOWN CALLED DNIC"},
    {0x7A, " MAINTENANCE ACTION"},
    {0x80, " NETWORK SPECIFIC DIAGNOSTIC INFORMATION"},
};

// Table 16: resetting causes.
inline constexpr ValueName kX25ResettingCauses[] = {
    {0x01, " OUT OF ORDER"},
    {0x03, " REMOTE PROCEDURE ERROR"},
    {0x05, " LOCAL PROCEDURE ERROR"},
    {0x07, " NETWORK CONGESTION"},
    {0x09, " REMOTE DTE OPERATIONAL"},
    {0x0F, " NETWORK OPERATIONAL"},
    {0x11, " INCOMPATIBLE DESTINATION"},
    {0x1D, " NETWORK OUT OF ORDER"},
};

// Table 17: restarting causes.
inline constexpr ValueName kX25RestartingCauses[] = {
    {0x01, " LOCAL PROCEDURE ERROR"}, {0x03, " NETWORK CONGESTION"}, {0x07, " NETWORK OPERATIONAL"},
};

}  // namespace korvex
