// One X.25 packet as values: header, packet type, sequence numbers, the
// addresses and facilities of call packets, the cause and diagnostic of
// clear, reset and restart packets, and how much user data it carries.
// Names come from the text decoder's tables (x25_tables.h).

#include <cstring>

#include "core/frame_view.h"
#include "decoders/parsed_names.h"
#include "decoders/x25/x25.h"
#include "korvex/korvex.h"

namespace korvex {

namespace {

constexpr int kTablePacketTypes = 12;
constexpr int kTableClearingCauses = 14;
constexpr int kTableDiagnostics = 15;
constexpr int kTableResettingCauses = 16;
constexpr int kTableRestartingCauses = 17;

constexpr int32_t kTypeData = 0x00;
constexpr int32_t kTypeReceiveReady = 0x01;
constexpr int32_t kTypeReceiveNotReady = 0x05;
constexpr int32_t kTypeReject = 0x09;
constexpr int32_t kTypeCall = 0x0B;
constexpr int32_t kTypeCallAccepted = 0x0F;
constexpr int32_t kTypeClear = 0x13;
constexpr int32_t kTypeInterrupt = 0x23;
constexpr int32_t kTypeReset = 0x1B;
constexpr int32_t kTypeRestart = 0xFB;

// Octets of the header before the packet's own fields: modulo 128 data and
// flow control packets have a fourth for P(R).
bool Extended(const KorvexX25Packet& p) { return p.modulo == 128; }

// Facility codes: class in bits 8-7 gives the parameter octets (1, 2, 3, or
// a length octet after the code for class 11).
void ReadFacilities(const FrameView& f, KorvexX25Packet& p) {
    int32_t i = 0;
    while (f.Has(i)) {
        const uint8_t code = f.At(i++);
        if (p.facility_count < KORVEX_X25_MAX_FACILITIES) p.facilities[p.facility_count] = code;
        ++p.facility_count;
        const int cls = code >> 6;
        int32_t params = cls + 1;
        if (cls == 3) params = f.Has(i) ? f.At(i++) : 0;
        if (!f.HasRange(i, params)) p.truncated = 1;
        i += params;
    }
}

// Call and call accepted packets: address lengths, addresses, facilities,
// then call user data.
//   octet 3        calling length | called length (semi-octets)
//   octets 4..     called then calling address, BCD, padded to an octet
//   next octet     facility length, then the facilities
void ReadCallFields(const FrameView& packet, KorvexX25Packet& p) {
    constexpr int32_t kLengths = 3;
    constexpr int32_t kBlock = 4;
    if (!packet.Has(kLengths)) return;
    const int32_t called = packet.At(kLengths) & 0x0F;
    const int32_t calling = packet.At(kLengths) >> 4;
    const FrameView block = packet.From(kBlock);
    const int32_t gotCalled = UnpackBcdDigits(p.called, block, 0, called);
    const int32_t gotCalling = UnpackBcdDigits(p.calling, block, called, calling);
    p.called[gotCalled] = '\0';
    p.calling[gotCalling] = '\0';
    const int32_t facilityLength = kBlock + (called + calling + 1) / 2;
    if (gotCalled < called || gotCalling < calling || !packet.Has(facilityLength)) {
        p.truncated = gotCalled < called || gotCalling < calling ? 1 : p.truncated;
        return;
    }
    p.facility_length = packet.At(facilityLength);
    const int32_t first = facilityLength + 1;
    ReadFacilities(packet.From(first).First(p.facility_length), p);
    const int32_t userData = first + p.facility_length;
    if (userData > packet.Size()) {
        p.truncated = 1;
    } else {
        p.user_data_length = packet.Size() - userData;
    }
}

// Clear, reset and restart packets: cause in octet 3, diagnostic in octet 4.
void ReadCause(const FrameView& packet, int causeTable, KorvexX25Packet& p) {
    if (!packet.Has(3)) return;
    p.cause = packet.At(3);
    p.cause_name = NameOf(causeTable, static_cast<uint32_t>(p.cause));
    if (!packet.Has(4)) return;
    p.diagnostic = packet.At(4);
    p.diagnostic_name = p.diagnostic == 0 ? "NO ADDITIONAL INFORMATION"
                                          : NameOf(kTableDiagnostics, static_cast<uint32_t>(p.diagnostic));
}

void Clear(KorvexX25Packet& p) {
    std::memset(&p, 0, sizeof p);
    p.gfi = p.q_bit = p.d_bit = p.channel = p.type = -1;
    p.ps = p.pr = p.m_bit = -1;
    p.facility_length = -1;
    p.cause = p.diagnostic = -1;
    p.cause_name = p.diagnostic_name = "";
}

}  // namespace

}  // namespace korvex

extern "C" int KorvexParseX25(const unsigned char* octets, int32_t length, KorvexX25Packet* packet) {
    using namespace korvex;
    if (packet == nullptr) return 0;
    KorvexX25Packet& p = *packet;
    Clear(p);
    const FrameView frame(octets, length);
    //   octet 0   Q/A | D | modulo (2 bits) | logical channel group number
    //   octet 1   logical channel number
    //   octet 2   packet type identifier (data: P(R) | M | P(S) | 0)
    if (frame.Has(0)) {
        const uint8_t o0 = frame.At(0);
        p.gfi = o0 >> 4;
        p.q_bit = (o0 >> 7) & 1;
        p.d_bit = (o0 >> 6) & 1;
        const int modulo = (o0 >> 4) & 3;
        p.modulo = modulo == 1 ? 8 : modulo == 0 ? 0 : 128;
    }
    if (frame.Has(1)) p.channel = ((frame.At(0) & 0x0F) << 8) | frame.At(1);
    if (!frame.Has(2)) {
        p.truncated = 1;
        return 0;
    }
    const uint8_t typeOctet = frame.At(2);
    p.type = X25PacketType(typeOctet);
    CopyName(kTablePacketTypes, static_cast<uint32_t>(p.type), p.type_name, sizeof p.type_name);
    switch (p.type) {
        case kTypeData:
            if (Extended(p)) {
                //   octet 2  P(S) | 0      octet 3  P(R) | M
                p.ps = typeOctet >> 1;
                if (!frame.Has(3)) {
                    p.truncated = 1;
                    break;
                }
                p.pr = frame.At(3) >> 1;
                p.m_bit = frame.At(3) & 1;
                p.user_data_length = frame.Size() - 4;
            } else {
                p.pr = typeOctet >> 5;
                p.m_bit = (typeOctet >> 4) & 1;
                p.ps = (typeOctet >> 1) & 7;
                p.user_data_length = frame.Size() - 3;
            }
            break;
        case kTypeReceiveReady:
        case kTypeReceiveNotReady:
        case kTypeReject:
            if (!Extended(p)) {
                p.pr = typeOctet >> 5;
            } else if (frame.Has(3)) {
                p.pr = frame.At(3) >> 1;
            } else {
                p.truncated = 1;
            }
            break;
        case kTypeCall:
        case kTypeCallAccepted:
            ReadCallFields(frame, p);
            break;
        case kTypeClear:
            ReadCause(frame, kTableClearingCauses, p);
            // Clear user data behind the cause and diagnostic (and, in the
            // extended format, addresses and facilities, not read here).
            if (frame.Size() > 5) p.user_data_length = frame.Size() - 5;
            break;
        case kTypeReset:
            ReadCause(frame, kTableResettingCauses, p);
            break;
        case kTypeRestart:
            ReadCause(frame, kTableRestartingCauses, p);
            break;
        case kTypeInterrupt:
            p.user_data_length = frame.Size() - 3;
            break;
        default:
            break;
    }
    return 1;
}
