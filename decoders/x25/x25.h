// X.25 packet layer decoder internals. The entry point DecodeX25 is declared
// in the public header; the link-layer decoder writes the packet inside an
// I frame through AppendEmbeddedX25.
#pragma once

#include <cstdint>

#include "core/frame_view.h"
#include "core/text_writer.h"

namespace korvex {

// Packet header:
//
//   octet 1   Q/A | D | modulo (2 bits) | logical channel group number (4 bits)
//   octet 2   logical channel number
//   octet 3   packet type identifier; in a data packet
//             P(R) (3 bits) | M | P(S) (3 bits) | 0
enum X25GeneralFormatBits : uint8_t {
    kQualifierBit = 0x80,  // Q in data packets, A elsewhere
    kDeliveryBit = 0x40,
    kModuloMask = 0x03,  // after the shift by 4
    kGroupMask = 0x0F,
};
enum X25TypeBits : uint8_t {
    kNotDataBit = 0x01,            // clear in a data packet
    kSupervisoryTypeMask = 0x1F,   // RR, RNR and REJ without P(R)
    kMoreDataBit = 0x10,           // in a data packet
    kSendSequenceMask = 0x07,      // in a data packet, after the shift by 1
};

// The packet types read further than their header, by X25PacketType.
enum X25Type : uint8_t {
    kTypeData = 0x00, kTypeReceiveReady = 0x01, kTypeReceiveNotReady = 0x05, kTypeReject = 0x09,
    kTypeCallRequest = 0x0B, kTypeCallAccepted = 0x0F, kTypeClearRequest = 0x13, kTypeResetRequest = 0x1B,
    kTypeInterrupt = 0x23, kTypeDiagnostic = 0xF1, kTypeRestartRequest = 0xFB,
};

// Decoded header and type-specific fields of one packet.
struct X25PacketFields {
    uint8_t gfi = 0;     // octet 0 shifted right by 4
    uint8_t qaBit = 0;   // Q bit in data packets, A bit elsewhere
    uint8_t dBit = 0;
    uint8_t modulo = 0;  // 1: modulo 8, 2: modulo 128, 3: modulo 32768
    uint8_t lgn = 0;     // logical channel group number
    uint8_t lcn = 0;     // logical channel number
    uint8_t packetType = 0;  // X25PacketType of octet 2
    uint8_t callingLength = 0;
    uint8_t calledLength = 0;
    char called[16] = {};   // digits as characters, NUL-terminated
    char calling[16] = {};
    uint8_t facilityLength = 0;
    uint8_t clearingCause = 0;
    uint8_t resettingCause = 0;
    uint8_t restartingCause = 0;
    uint8_t diagnostic = 0;
    uint8_t ps = 0;
    uint8_t pr = 0;
    uint8_t mBit = 0;
    uint8_t diagnosticCode = 0;  // code of a diagnostic packet

    // Header octets the walk found in the packet (0 to 3).
    int32_t headerOctets = 0;
};

// The key under which table 12 names a packet type identifier octet: 0 for
// a data packet (bit 1 clear), 1, 5 or 9 for RR, RNR and REJ whatever their
// P(R), and the octet itself for every other type.
uint8_t X25PacketType(uint8_t typeOctet);

// The detail block of a packet whose header walk filled fields: the header
// lines, then the lines of its type. Octets the packet does not hold are
// never read; lines that would need them are left out.
void DecodeX25Detail(X25PacketFields& fields, const FrameView& packet, TextWriter& w);

// The text of a packet inside another protocol's detail block, at w's
// position: what DecodeX25 writes with DECODE_EMBEDDED added to flags (the
// detail block and, with DECODE_HEX, the packet's hex trace; no timestamp,
// summary or closing line end).
void AppendEmbeddedX25(const FrameView& packet, uint32_t flags, TextWriter& w);

// Writes count digits (0 to 15) of the address block into digits, one
// character per semi-octet ('0' plus its value), beginning at semi-octet
// first: semi-octet 2j is the high half of block octet j, 2j + 1 its low
// half. Stops at the end of the block. Writes nothing after the digits;
// returns the number written.
int32_t UnpackBcdDigits(char* digits, const FrameView& block, int32_t first, int32_t count);

}  // namespace korvex
