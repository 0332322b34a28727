#include "select/frame_fields.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "core/frame_view.h"
#include "core/output.h"
#include "decoders/inet/inet_keys.h"
#include "decoders/link/lapd.h"
#include "decoders/protocols.h"

namespace korvex {

const FieldInfo kFields[KORVEX_FIELD_COUNT] = {
    {"sapi", FieldKind::Number},    {"tei", FieldKind::Number},       {"cr", FieldKind::Number},
    {"type", FieldKind::Text},      {"frame", FieldKind::Named},      {"ns", FieldKind::Number},
    {"nr", FieldKind::Number},      {"pf", FieldKind::Number},        {"dlci", FieldKind::Number},
    {"lcn", FieldKind::Number},     {"packet", FieldKind::Named},     {"msg", FieldKind::Named},
    {"callref", FieldKind::Number}, {"cause", FieldKind::Number},     {"called", FieldKind::Text},
    {"calling", FieldKind::Text},   {"dir", FieldKind::Text},         {"len", FieldKind::Number},
    {"src", FieldKind::Number},     {"dst", FieldKind::Number},       {"sport", FieldKind::Number},
    {"dport", FieldKind::Number},   {"ipproto", FieldKind::Number},   {"ethertype", FieldKind::Number},
};

namespace {

constexpr uint8_t kQ931Discriminator = 0x08;
constexpr int32_t kEthernetHeader = 14;
constexpr int32_t kEthertypeIpv4 = 0x0800;
constexpr int32_t kSapiCallControl = 0;
constexpr int32_t kSapiPacket = 16;

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Where the fields read go: only those wanted are written.
struct FieldSink {
    KorvexFrameFields& fields;
    FieldMask wanted;

    bool Wants(FieldMask set) const { return (wanted & set) != 0; }

    void SetNumber(FieldId id, int64_t value) {
        if (value < 0 || !Wants(FieldBit(id))) return;
        KorvexField& field = fields.field[id];
        field.present = 1;
        field.has_number = 1;
        field.number = value;
    }

    void SetText(FieldId id, const char* text) {
        if (text == nullptr || text[0] == '\0' || !Wants(FieldBit(id))) return;
        KorvexField& field = fields.field[id];
        field.present = 1;
        std::size_t n = std::strlen(text);
        if (n >= sizeof field.text) n = sizeof field.text - 1;
        std::memcpy(field.text, text, n);
        field.text[n] = '\0';
    }

    void SetAddress(FieldId id, int64_t address) {
        if (address < 0 || !Wants(FieldBit(id))) return;
        SetNumber(id, address);
        std::snprintf(fields.field[id].text, sizeof fields.field[id].text, "%u.%u.%u.%u",
                      static_cast<unsigned>(address >> 24 & 0xFF), static_cast<unsigned>(address >> 16 & 0xFF),
                      static_cast<unsigned>(address >> 8 & 0xFF), static_cast<unsigned>(address & 0xFF));
    }
};

// The fields of each layer of a frame.
constexpr FieldMask kLinkFields = FieldBit(kFieldSapi) | FieldBit(kFieldTei) | FieldBit(kFieldCr) |
                                  FieldBit(kFieldType) | FieldBit(kFieldFrame) | FieldBit(kFieldNs) |
                                  FieldBit(kFieldNr) | FieldBit(kFieldPf) | FieldBit(kFieldDlci);
constexpr FieldMask kPacketFields = FieldBit(kFieldLcn) | FieldBit(kFieldPacket) | FieldBit(kFieldMsg) |
                                    FieldBit(kFieldCallref) | FieldBit(kFieldCause) | FieldBit(kFieldCalled) |
                                    FieldBit(kFieldCalling);
constexpr FieldMask kInetFields = FieldBit(kFieldSrc) | FieldBit(kFieldDst) | FieldBit(kFieldSport) |
                                  FieldBit(kFieldDport) | FieldBit(kFieldIpproto) | FieldBit(kFieldEthertype);
static_assert((kLinkFields | kPacketFields | kInetFields | FieldBit(kFieldDir) | FieldBit(kFieldLen)) ==
              kAllFields);

void ReadQ931(const unsigned char* octets, int32_t length, FieldSink& f) {
    KorvexQ931Message m;
    if (KorvexParseQ931(octets, length, &m) == 0) return;
    f.SetNumber(kFieldCallref, m.call_ref);
    f.SetNumber(kFieldMsg, m.message_type);
    f.SetText(kFieldMsg, m.message_name);
    if (m.cause.present != 0) f.SetNumber(kFieldCause, m.cause.value);
    if (m.called.present != 0) f.SetText(kFieldCalled, m.called.digits);
    if (m.calling.present != 0) f.SetText(kFieldCalling, m.calling.digits);
}

void ReadX25(const unsigned char* octets, int32_t length, FieldSink& f) {
    KorvexX25Packet p;
    if (KorvexParseX25(octets, length, &p) == 0) return;
    f.SetNumber(kFieldLcn, p.channel);
    f.SetNumber(kFieldPacket, p.type);
    f.SetText(kFieldPacket, p.type_name);
    f.SetNumber(kFieldCause, p.cause);
    f.SetText(kFieldCalled, p.called);
    f.SetText(kFieldCalling, p.calling);
}

// The LAPD address field alone, as KorvexParseLink reads it: for a
// selection on SAPI, TEI and C/R, which needs no more of a frame than its
// first two octets. Like every link field they are there only when the frame
// reaches its control field.
void ReadLapdAddress(const FrameView& frame, FieldSink& f) {
    if (!frame.Has(2)) return;
    f.SetNumber(kFieldSapi, frame.At(0) >> 2);
    f.SetNumber(kFieldCr, TestBits(frame.At(0), kCommandResponse));
    f.SetNumber(kFieldTei, frame.At(1) >> 1);
}

// Link keys, then the message of an I or UI frame's information field as
// the link decoder hands it on: in LAPD a Q.931 message on SAPI 0 (by its
// protocol discriminator) and an X.25 packet on SAPI 16; in LAPF an X.25
// packet in an I frame.
void ReadLink(bool lapf, const unsigned char* octets, int32_t length, FieldSink& f) {
    KorvexLinkKeys k;
    if (KorvexParseLink(octets, length, lapf ? 1 : 0, &k) == 0 && k.frame_type < 0) return;
    if (lapf) {
        f.SetNumber(kFieldDlci, k.dlci);
    } else {
        f.SetNumber(kFieldSapi, k.sapi);
        f.SetNumber(kFieldTei, k.tei);
    }
    f.SetNumber(kFieldCr, k.cr);
    static const char* const kTypes[] = {"I", "S", "U"};
    if (k.frame_type >= 0 && k.frame_type <= 2 && f.Wants(FieldBit(kFieldType) | FieldBit(kFieldFrame))) {
        f.SetText(kFieldType, kTypes[k.frame_type]);
        // An I frame is named I, as its type; a SABME by its own name (the
        // summary line's short name is spelt "SAMBE").
        const char* name = k.frame_type == 0 ? "I" : k.frame_name;
        if (std::strcmp(name, "SAMBE") == 0) name = "SABME";
        f.SetNumber(kFieldFrame, k.frame_key);
        f.SetText(kFieldFrame, name);
    }
    f.SetNumber(kFieldNs, k.ns);
    f.SetNumber(kFieldNr, k.nr);
    f.SetNumber(kFieldPf, k.pf);
    if (!f.Wants(kPacketFields) || k.info_offset < 0 || k.info_length <= 0) return;
    const unsigned char* info = octets + k.info_offset;
    const bool information = k.frame_type == 0;
    const bool ui = k.frame_type == 2 && std::strcmp(k.frame_name, "UI") == 0;
    if (lapf) {
        if (information) ReadX25(info, k.info_length, f);
    } else if ((information || ui) && k.sapi == kSapiCallControl && info[0] == kQ931Discriminator) {
        ReadQ931(info, k.info_length, f);
    } else if (information && k.sapi == kSapiPacket) {
        ReadX25(info, k.info_length, f);
    }
}

void ReadIp(const FrameView& datagram, FieldSink& f) {
    const IpKeys k = ReadIpKeys(datagram);
    f.SetAddress(kFieldSrc, k.source);
    f.SetAddress(kFieldDst, k.destination);
    f.SetNumber(kFieldIpproto, k.protocol);
    f.SetNumber(kFieldSport, k.sourcePort);
    f.SetNumber(kFieldDport, k.destinationPort);
}

}  // namespace

int32_t FindField(std::string_view name) {
    for (int32_t i = 0; i < KORVEX_FIELD_COUNT; ++i) {
        if (SameName(name, kFields[i].name)) return i;
    }
    return -1;
}

FrameKind FrameKindOf(std::string_view protocol) {
    if (SameName(protocol, "eth+ip")) return FrameKind::EthernetIp;
    const char* name = CanonicalProtocolName(protocol);
    if (name == nullptr) return FrameKind::Unknown;
    const std::string_view n(name);
    if (n == "lapd") return FrameKind::Lapd;
    if (n == "lapf") return FrameKind::Lapf;
    if (n == "q931") return FrameKind::Q931;
    if (n == "x25") return FrameKind::X25;
    if (n == "eth") return FrameKind::Ethernet;
    if (n == "ip") return FrameKind::Ip;
    return FrameKind::Unknown;
}

void ReadFrameFields(FrameKind kind, char direction, const unsigned char* octets, int32_t length,
                     KorvexFrameFields& fields, FieldMask wanted) {
    wanted &= kAllFields;
    for (FieldMask rest = wanted; rest != 0; rest &= rest - 1) {
        KorvexField& field = fields.field[std::countr_zero(rest)];
        field.present = 0;
        field.has_number = 0;
        field.number = 0;
        field.text[0] = '\0';
    }
    FieldSink f{fields, wanted};
    const FrameView frame(octets, length);
    f.SetNumber(kFieldLen, frame.Size());
    if ((direction == 'U' || direction == 'N') && f.Wants(FieldBit(kFieldDir))) {
        KorvexField& dir = fields.field[kFieldDir];
        dir.present = 1;
        dir.text[0] = direction;
        dir.text[1] = '\0';
    }
    if (frame.Size() == 0) return;
    switch (kind) {
    case FrameKind::Lapd:
        if (!f.Wants((kLinkFields | kPacketFields) & ~kLapdAddressFields)) {
            if (f.Wants(kLapdAddressFields)) ReadLapdAddress(frame, f);
            break;
        }
        [[fallthrough]];
    case FrameKind::Lapf:
        // The packet's fields are found through the link layer.
        if (f.Wants(kLinkFields | kPacketFields)) ReadLink(kind == FrameKind::Lapf, frame.Data(), frame.Size(), f);
        break;
    case FrameKind::Q931:
        if (f.Wants(kPacketFields)) ReadQ931(frame.Data(), frame.Size(), f);
        break;
    case FrameKind::X25:
        if (f.Wants(kPacketFields)) ReadX25(frame.Data(), frame.Size(), f);
        break;
    case FrameKind::Ethernet:
    case FrameKind::EthernetIp: {
        if (!f.Wants(kInetFields)) break;
        const EthernetKeys e = ReadEthernetKeys(frame);
        f.SetNumber(kFieldEthertype, e.ethertype);
        if (kind == FrameKind::EthernetIp && e.ethertype == kEthertypeIpv4) {
            ReadIp(frame.From(kEthernetHeader), f);
        }
        break;
    }
    case FrameKind::Ip:
        if (f.Wants(kInetFields)) ReadIp(frame, f);
        break;
    case FrameKind::Unknown: break;
    }
}

}  // namespace korvex

extern "C" const char* KorvexFieldName(int32_t index) {
    if (index < 0 || index >= KORVEX_FIELD_COUNT) return nullptr;
    return korvex::kFields[index].name;
}

extern "C" int KorvexFrameFieldsOf(const char* protocol, char direction, const unsigned char* octets,
                                   int32_t length, KorvexFrameFields* fields) {
    if (fields == nullptr) return 0;
    const korvex::FrameKind kind =
        protocol == nullptr ? korvex::FrameKind::Unknown : korvex::FrameKindOf(protocol);
    korvex::ReadFrameFields(kind, direction, octets, length, *fields);
    return kind == korvex::FrameKind::Unknown ? 0 : 1;
}
