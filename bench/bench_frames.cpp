#include "bench/bench_frames.h"

#include <cstdint>
#include <random>

namespace korvex::bench {

namespace {

using Octets = std::vector<unsigned char>;

class Random {
public:
    explicit Random(uint32_t seed) : rng_(seed) {}
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
    uint32_t Between(uint32_t low, uint32_t high) { return low + Below(high - low + 1); }
    template <class T, std::size_t N>
    T Pick(const T (&values)[N]) {
        return values[Below(N)];
    }

private:
    std::mt19937 rng_;
};

void Put16(Octets& o, uint32_t v) {
    o.push_back(static_cast<unsigned char>(v >> 8));
    o.push_back(static_cast<unsigned char>(v));
}

void Put32(Octets& o, uint32_t v) {
    Put16(o, v >> 16);
    Put16(o, v & 0xFFFF);
}

uint32_t InternetChecksum(const Octets& data, std::size_t first, std::size_t count, uint32_t sum = 0) {
    for (std::size_t i = 0; i < count; i += 2) {
        sum += static_cast<uint32_t>(data[first + i]) << 8;
        if (i + 1 < count) sum += data[first + i + 1];
    }
    while ((sum >> 16) != 0) sum = (sum & 0xFFFF) + (sum >> 16);
    return ~sum & 0xFFFF;
}

void Address(Random& r, Octets& o) {
    switch (r.Below(4)) {
        case 0: o.insert(o.end(), {10, static_cast<unsigned char>(r.Below(256))}); break;
        case 1: o.insert(o.end(), {192, 168}); break;
        case 2: o.insert(o.end(), {172, static_cast<unsigned char>(16 + r.Below(16))}); break;
        default:
            o.insert(o.end(), {static_cast<unsigned char>(r.Between(1, 223)), static_cast<unsigned char>(r.Below(256))});
            break;
    }
    o.push_back(static_cast<unsigned char>(r.Below(256)));
    o.push_back(static_cast<unsigned char>(r.Between(1, 254)));
}

Octets TcpDatagram(Random& r) {
    static const uint32_t kPorts[] = {20, 21, 22, 23, 25, 53, 80, 110, 119, 143, 161, 443, 993, 3306, 5060, 8080};
    static const uint8_t kFlags[] = {0x02, 0x12, 0x10, 0x18, 0x18, 0x10, 0x11, 0x04, 0x14, 0x38, 0x19, 0x01};
    static const uint8_t kTos[] = {0x00, 0x00, 0x10, 0x08, 0x04, 0x28, 0xB8, 0xE0};
    Octets d = {0x45, r.Pick(kTos), 0, 0};
    Put16(d, r.Below(65536));
    const uint32_t fragments[] = {0x4000, 0x4000, 0x4000, 0x0000, 0x2000 | r.Between(1, 199)};
    Put16(d, r.Pick(fragments));
    const uint8_t ttls[] = {64, 128, 255, static_cast<uint8_t>(r.Between(1, 255))};
    d.insert(d.end(), {r.Pick(ttls), 6, 0, 0});
    Address(r, d);
    Address(r, d);

    const uint32_t server = r.Pick(kPorts);
    const uint32_t client = r.Between(1024, 65535);
    const bool fromClient = r.Below(2) == 0;
    const uint8_t flags = r.Pick(kFlags);
    Octets options;
    if ((flags & 0x02) != 0) {
        options = {2, 4, 0x05, 0xB4};
    } else if (r.Below(3) == 0) {
        options = {1, 1, 8, 10};
        for (int i = 0; i < 8; ++i) options.push_back(static_cast<unsigned char>(r.Below(256)));
    }
    const auto headerLength = static_cast<uint32_t>(20 + options.size());
    Put16(d, fromClient ? client : server);
    Put16(d, fromClient ? server : client);
    Put32(d, static_cast<uint32_t>(r.Below(65536)) << 16 | r.Below(65536));
    Put32(d, (flags & 0x10) != 0 ? static_cast<uint32_t>(r.Below(65536)) << 16 | r.Below(65536) : 0);
    d.push_back(static_cast<unsigned char>((headerLength / 4) << 4));
    d.push_back(flags);
    Put16(d, r.Below(65536));
    Put16(d, 0);  // checksum, below
    Put16(d, (flags & 0x20) != 0 ? r.Between(1, 20) : 0);
    d.insert(d.end(), options.begin(), options.end());
    if ((flags & 0x08) != 0 || (flags == 0x10 && r.Below(2) == 0)) {
        const uint32_t room = 96 - 20 - headerLength;
        const uint32_t payload = r.Between(1, room);
        for (uint32_t i = 0; i < payload; ++i) d.push_back(static_cast<unsigned char>(r.Between(0x20, 0x7E)));
    }
    const auto total = static_cast<uint32_t>(d.size());
    d[2] = static_cast<unsigned char>(total >> 8);
    d[3] = static_cast<unsigned char>(total);
    const uint32_t pseudo = ((d[12] + d[16]) << 8) + d[13] + d[17] + ((d[14] + d[18]) << 8) + d[15] + d[19] + 6 +
                            (total - 20);
    const uint32_t tcpSum = InternetChecksum(d, 20, total - 20, pseudo);
    d[36] = static_cast<unsigned char>(tcpSum >> 8);
    d[37] = static_cast<unsigned char>(tcpSum);
    const uint32_t ipSum = InternetChecksum(d, 0, 20);
    d[10] = static_cast<unsigned char>(ipSum >> 8);
    d[11] = static_cast<unsigned char>(ipSum);
    return d;
}

void Digits(Random& r, Octets& o, uint32_t low, uint32_t high) {
    const uint32_t n = r.Between(low, high);
    for (uint32_t i = 0; i < n; ++i) o.push_back(static_cast<unsigned char>('0' + r.Below(10)));
}

// The SETUP message of one side, from the protocol discriminator on.
Octets SetupMessage(Random& r, bool userSide) {
    static const Octets kBearers[] = {
        {0x04, 0x03, 0x80, 0x90, 0xA2}, {0x04, 0x03, 0x80, 0x90, 0xA3}, {0x04, 0x03, 0x90, 0x90, 0xA3},
        {0x04, 0x02, 0x88, 0x90},       {0x04, 0x02, 0x89, 0x90}};
    const uint8_t flag = userSide ? 0x00 : 0x80;
    Octets m = {0x08};
    if (r.Below(2) == 0) {
        m.insert(m.end(), {0x01, static_cast<unsigned char>(flag | r.Between(1, 127))});
    } else {
        const uint32_t value = r.Between(1, 32767);
        m.insert(m.end(), {0x02, static_cast<unsigned char>(flag | value >> 8), static_cast<unsigned char>(value)});
    }
    m.push_back(0x05);
    if (r.Below(4) == 0) m.push_back(0xA1);
    const Octets& bearer = kBearers[r.Below(5)];
    m.insert(m.end(), bearer.begin(), bearer.end());
    if (r.Below(2) == 0) {
        static const uint8_t kBasic[] = {0x81, 0x82, 0x83, 0x89, 0x8A};
        m.insert(m.end(), {0x18, 0x01, r.Pick(kBasic)});
    } else {
        static const uint8_t kPrimary[] = {0xA1, 0xA9};
        m.insert(m.end(), {0x18, 0x03, r.Pick(kPrimary), 0x83, static_cast<unsigned char>(0x80 | r.Between(1, 30))});
    }
    static const uint8_t kTypePlan[] = {0x01, 0x11, 0x21, 0x41};
    static const uint8_t kPresentation[] = {0x80, 0x81, 0x83, 0xA0, 0xA3};
    Octets calling;
    const uint8_t typePlan = r.Pick(kTypePlan);
    if (r.Below(3) != 0) {
        calling = {typePlan, r.Pick(kPresentation)};
    } else {
        calling = {static_cast<unsigned char>(0x80 | typePlan)};
    }
    Digits(r, calling, 4, 12);
    m.insert(m.end(), {0x6C, static_cast<unsigned char>(calling.size())});
    m.insert(m.end(), calling.begin(), calling.end());
    static const uint8_t kCalledTypePlan[] = {0x80, 0x81, 0xA1, 0xC1, 0x91};
    Octets called = {r.Pick(kCalledTypePlan)};
    Digits(r, called, 3, 15);
    m.insert(m.end(), {0x70, static_cast<unsigned char>(called.size())});
    m.insert(m.end(), called.begin(), called.end());
    return m;
}

uint32_t Fcs16(const Octets& data) {
    uint32_t crc = 0xFFFF;
    for (unsigned char octet : data) {
        crc ^= octet;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0x8408 : crc >> 1;
    }
    return crc ^ 0xFFFF;
}

Octets SetupFrame(Random& r) {
    const bool userSide = r.Below(2) == 0;
    const uint32_t tei = r.Below(2) == 0 ? 0 : r.Between(64, 126);
    Octets f = {static_cast<unsigned char>(userSide ? 0x00 : 0x02), static_cast<unsigned char>(tei << 1 | 1),
                static_cast<unsigned char>(r.Below(128) << 1), static_cast<unsigned char>(r.Below(128) << 1 | r.Below(2))};
    const Octets message = SetupMessage(r, userSide);
    f.insert(f.end(), message.begin(), message.end());
    const uint32_t fcs = Fcs16(f);
    f.push_back(static_cast<unsigned char>(fcs & 0xFF));
    f.push_back(static_cast<unsigned char>(fcs >> 8));
    return f;
}

}  // namespace

Frames TcpDatagrams(int count) {
    Random r(12);
    Frames frames;
    for (int i = 0; i < count; ++i) frames.push_back(TcpDatagram(r));
    return frames;
}

Frames SetupFrames(int count) {
    Random r(12);
    Frames frames;
    for (int i = 0; i < count; ++i) frames.push_back(SetupFrame(r));
    return frames;
}

Frames SetupMessages(int count) {
    Random r(12);
    Frames frames;
    for (int i = 0; i < count; ++i) frames.push_back(SetupMessage(r, r.Below(2) == 0));
    return frames;
}

}  // namespace korvex::bench
