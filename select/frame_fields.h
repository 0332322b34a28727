// The fields frames are selected on, read from one frame by its protocol
// through the structured decoders: nothing allocated, no text written.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/output.h"
#include "decoders/link/lapd.h"
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

// A set of fields: bit FieldId set for each field in it.
using FieldMask = uint32_t;
constexpr FieldMask FieldBit(int32_t field) { return FieldMask{1} << field; }
constexpr FieldMask kAllFields = (FieldMask{1} << KORVEX_FIELD_COUNT) - 1;

// Reads the fields of wanted: those are set, and cleared first, the others
// are left as they were (a selection asks only for the fields its
// expression names, so a frame costs no more than those). Layers no wanted
// field is in are not read at all.
void ReadFrameFields(FrameKind kind, char direction, const unsigned char* octets, int32_t length,
                     KorvexFrameFields& fields, FieldMask wanted = kAllFields);

// The fields of a LAPD address field, and those with the direction.
constexpr FieldMask kLapdAddressFields = FieldBit(kFieldSapi) | FieldBit(kFieldTei) | FieldBit(kFieldCr);
constexpr FieldMask kLapdAddressAndDirection = kLapdAddressFields | FieldBit(kFieldDir);

}  // namespace korvex
