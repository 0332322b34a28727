// The fields frames are selected on, read from one frame by its protocol
// through the structured decoders: nothing allocated, no text written.
#pragma once

#include <cstdint>
#include <string_view>

#include "korvex/korvex.h"

namespace korvex {

enum FieldId : int32_t {
    kFieldSapi, kFieldTei, kFieldCr, kFieldType, kFieldFrame, kFieldNs, kFieldNr, kFieldPf,
    kFieldDlci, kFieldLcn, kFieldPacket, kFieldMsg, kFieldCallref, kFieldCause, kFieldCalled,
    kFieldCalling, kFieldDir, kFieldLen, kFieldSrc, kFieldDst, kFieldSport, kFieldDport,
    kFieldIpproto, kFieldEthertype,
};

// How a field's values are written in an expression.
enum class FieldKind {
    Number,  // compared as numbers (addresses as dotted quads)
    Named,   // a code with a name: compared by number or by name
    Text,    // a name or digits, compared as text (equality only)
};

struct FieldInfo {
    const char* name;
    FieldKind kind;
};

// The fields in FieldId order.
extern const FieldInfo kFields[KORVEX_FIELD_COUNT];

// The field of a name (ASCII case ignored), -1 for none.
int32_t FindField(std::string_view name);

// What a frame is, for reading its fields.
enum class FrameKind { Unknown, Lapd, Lapf, Q931, X25, Ethernet, EthernetIp, Ip };

// The kind of a protocol name as KorvexFindDecoder takes it, or "eth+ip".
FrameKind FrameKindOf(std::string_view protocol);

// The layers of a frame whose fields are read, as bits.
enum FieldLayers : uint32_t {
    kLayerLink = 1,    // sapi tei cr type frame ns nr pf dlci
    kLayerPacket = 2,  // lcn packet msg callref cause called calling (needs the link layer)
    kLayerInet = 4,    // src dst sport dport ipproto ethertype
    kLayersAll = 7,    // dir and len are always read
};

// The layer a field is read in, 0 for dir and len.
uint32_t LayerOf(int32_t field);

void ReadFrameFields(FrameKind kind, char direction, const unsigned char* octets, int32_t length,
                     KorvexFrameFields& fields, uint32_t layers = kLayersAll);

}  // namespace korvex
