#include "select/frame_fields.h"

#include <cstdio>
#include <cstring>

#include "core/frame_view.h"
#include "decoders/inet/inet_keys.h"
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

void SetNumber(KorvexFrameFields& f, FieldId id, int64_t value) {
    if (value < 0) return;
    KorvexField& field = f.field[id];
    field.present = 1;
    field.has_number = 1;
    field.number = value;
}

void SetText(KorvexFrameFields& f, FieldId id, const char* text) {
    if (text == nullptr || text[0] == '\0') return;
    KorvexField& field = f.field[id];
    field.present = 1;
    std::size_t n = std::strlen(text);
    if (n >= sizeof field.text) n = sizeof field.text - 1;
    std::memcpy(field.text, text, n);
    field.text[n] = '\0';
}

void SetAddress(KorvexFrameFields& f, FieldId id, int64_t address) {
    if (address < 0) return;
    SetNumber(f, id, address);
    std::snprintf(f.field[id].text, sizeof f.field[id].text, "%u.%u.%u.%u",
                  static_cast<unsigned>(address >> 24 & 0xFF), static_cast<unsigned>(address >> 16 & 0xFF),
                  static_cast<unsigned>(address >> 8 & 0xFF), static_cast<unsigned>(address & 0xFF));
}

void ReadQ931(const unsigned char* octets, int32_t length, KorvexFrameFields& f) {
    KorvexQ931Message m;
    if (KorvexParseQ931(octets, length, &m) == 0) return;
    SetNumber(f, kFieldCallref, m.call_ref);
    SetNumber(f, kFieldMsg, m.message_type);
    SetText(f, kFieldMsg, m.message_name);
    if (m.cause.present != 0) SetNumber(f, kFieldCause, m.cause.value);
    if (m.called.present != 0) SetText(f, kFieldCalled, m.called.digits);
    if (m.calling.present != 0) SetText(f, kFieldCalling, m.calling.digits);
}

void ReadX25(const unsigned char* octets, int32_t length, KorvexFrameFields& f) {
    KorvexX25Packet p;
    if (KorvexParseX25(octets, length, &p) == 0) return;
    SetNumber(f, kFieldLcn, p.channel);
    SetNumber(f, kFieldPacket, p.type);
    SetText(f, kFieldPacket, p.type_name);
    SetNumber(f, kFieldCause, p.cause);
    SetText(f, kFieldCalled, p.called);
    SetText(f, kFieldCalling, p.calling);
}

// Link keys, then the message of an I or UI frame's information field as
// the link decoder hands it on: in LAPD a Q.931 message on SAPI 0 (by its
// protocol discriminator) and an X.25 packet on SAPI 16; in LAPF an X.25
// packet in an I frame.
void ReadLink(bool lapf, const unsigned char* octets, int32_t length, KorvexFrameFields& f, uint32_t layers) {
    KorvexLinkKeys k;
    if (KorvexParseLink(octets, length, lapf ? 1 : 0, &k) == 0 && k.frame_type < 0) return;
    if (lapf) {
        SetNumber(f, kFieldDlci, k.dlci);
    } else {
        SetNumber(f, kFieldSapi, k.sapi);
        SetNumber(f, kFieldTei, k.tei);
    }
    SetNumber(f, kFieldCr, k.cr);
    static const char* const kTypes[] = {"I", "S", "U"};
    if (k.frame_type >= 0 && k.frame_type <= 2) {
        SetText(f, kFieldType, kTypes[k.frame_type]);
        // An I frame is named I, as its type; a SABME by its own name (the
        // summary line's short name is spelt "SAMBE").
        const char* name = k.frame_type == 0 ? "I" : k.frame_name;
        if (std::strcmp(name, "SAMBE") == 0) name = "SABME";
        SetNumber(f, kFieldFrame, k.frame_key);
        SetText(f, kFieldFrame, name);
    }
    SetNumber(f, kFieldNs, k.ns);
    SetNumber(f, kFieldNr, k.nr);
    SetNumber(f, kFieldPf, k.pf);
    if ((layers & kLayerPacket) == 0 || k.info_offset < 0 || k.info_length <= 0) return;
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

void ReadIp(const FrameView& datagram, KorvexFrameFields& f) {
    const IpKeys k = ReadIpKeys(datagram);
    SetAddress(f, kFieldSrc, k.source);
    SetAddress(f, kFieldDst, k.destination);
    SetNumber(f, kFieldIpproto, k.protocol);
    SetNumber(f, kFieldSport, k.sourcePort);
    SetNumber(f, kFieldDport, k.destinationPort);
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

uint32_t LayerOf(int32_t field) {
    switch (field) {
    case kFieldSapi: case kFieldTei: case kFieldCr: case kFieldType: case kFieldFrame: case kFieldNs:
    case kFieldNr: case kFieldPf: case kFieldDlci:
        return kLayerLink;
    case kFieldLcn: case kFieldPacket: case kFieldMsg: case kFieldCallref: case kFieldCause:
    case kFieldCalled: case kFieldCalling:
        return kLayerPacket;
    case kFieldSrc: case kFieldDst: case kFieldSport: case kFieldDport: case kFieldIpproto:
    case kFieldEthertype:
        return kLayerInet;
    default:
        return 0;
    }
}

void ReadFrameFields(FrameKind kind, char direction, const unsigned char* octets, int32_t length,
                     KorvexFrameFields& f, uint32_t layers) {
    for (KorvexField& field : f.field) {
        field.present = 0;
        field.has_number = 0;
        field.number = 0;
        field.text[0] = '\0';
    }
    const FrameView frame(octets, length);
    SetNumber(f, kFieldLen, frame.Size());
    if (direction == 'U' || direction == 'N') {
        const char dir[2] = {direction, '\0'};
        SetText(f, kFieldDir, dir);
    }
    if (frame.Size() == 0 || layers == 0) return;
    switch (kind) {
    case FrameKind::Lapd: ReadLink(false, frame.Data(), frame.Size(), f, layers); break;
    case FrameKind::Lapf: ReadLink(true, frame.Data(), frame.Size(), f, layers); break;
    case FrameKind::Q931:
        if ((layers & kLayerPacket) != 0) ReadQ931(frame.Data(), frame.Size(), f);
        break;
    case FrameKind::X25:
        if ((layers & kLayerPacket) != 0) ReadX25(frame.Data(), frame.Size(), f);
        break;
    case FrameKind::Ethernet:
    case FrameKind::EthernetIp: {
        const EthernetKeys e = ReadEthernetKeys(frame);
        SetNumber(f, kFieldEthertype, e.ethertype);
        if (kind == FrameKind::EthernetIp && e.ethertype == kEthertypeIpv4) {
            ReadIp(frame.From(kEthernetHeader), f);
        }
        break;
    }
    case FrameKind::Ip: ReadIp(frame, f); break;
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
