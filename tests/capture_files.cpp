#include "capture_files.h"

#include <pcap/pcap.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace korvex::test {

std::string PcapBytes(int dlt, const std::vector<CaptureRecord>& records, int snapLength) {
    pcap_t* dead = pcap_open_dead(dlt, snapLength);
    if (dead == nullptr) throw std::runtime_error("pcap_open_dead");
    char* data = nullptr;
    std::size_t size = 0;
    FILE* file = open_memstream(&data, &size);
    pcap_dumper_t* dumper = file == nullptr ? nullptr : pcap_dump_fopen(dead, file);
    if (dumper == nullptr) throw std::runtime_error("pcap_dump_fopen");
    for (const CaptureRecord& r : records) {
        pcap_pkthdr header{};
        header.ts.tv_sec = static_cast<time_t>(r.seconds);
        header.ts.tv_usec = r.microseconds;
        header.caplen = static_cast<uint32_t>(r.octets.size());
        header.len = r.wireLength != 0 ? r.wireLength : header.caplen;
        pcap_dump(reinterpret_cast<u_char*>(dumper), &header, r.octets.data());
    }
    pcap_dump_close(dumper);
    pcap_close(dead);
    std::string bytes(data, size);
    std::free(data);
    return bytes;
}

namespace {

void Put32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
}
void Put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

// A block: type, total length, body padded to 32 bits, total length again.
std::string Block(uint32_t type, std::string body) {
    while (body.size() % 4 != 0) body += '\0';
    std::string block;
    const auto total = static_cast<uint32_t>(body.size() + 12);
    Put32(block, type);
    Put32(block, total);
    block += body;
    Put32(block, total);
    return block;
}

std::string SectionHeader() {
    std::string section;
    Put32(section, 0x1A2B3C4D);  // byte-order magic
    Put16(section, 1);
    Put16(section, 0);
    Put32(section, 0xFFFFFFFF);  // section length not given
    Put32(section, 0xFFFFFFFF);
    return Block(0x0A0D0D0A, section);
}

std::string InterfaceDescription(int linkType, uint32_t snapLength) {
    std::string interface;
    Put16(interface, static_cast<uint16_t>(linkType));
    Put16(interface, 0);
    Put32(interface, snapLength);
    return Block(1, interface);
}

// An enhanced packet block, microsecond timestamps.
std::string EnhancedPacket(uint32_t interface, const CaptureRecord& r) {
    const auto stamp = static_cast<uint64_t>(r.seconds * 1000000 + r.microseconds);
    std::string packet;
    Put32(packet, interface);
    Put32(packet, static_cast<uint32_t>(stamp >> 32));
    Put32(packet, static_cast<uint32_t>(stamp));
    Put32(packet, static_cast<uint32_t>(r.octets.size()));
    Put32(packet, r.wireLength != 0 ? r.wireLength : static_cast<uint32_t>(r.octets.size()));
    packet.append(r.octets.begin(), r.octets.end());
    return Block(6, packet);
}

}  // namespace

std::string PcapNgBytes(int linkType, const std::vector<CaptureRecord>& records, uint32_t snapLength) {
    std::string bytes = SectionHeader() + InterfaceDescription(linkType, snapLength);
    for (const CaptureRecord& r : records) bytes += EnhancedPacket(0, r);
    return bytes;
}

std::string PcapNgInterfacesBytes(const std::vector<int>& linkTypes,
                                  const std::vector<std::pair<uint32_t, CaptureRecord>>& records) {
    std::string bytes = SectionHeader();
    uint32_t described = 0;
    for (const auto& [interface, r] : records) {
        for (; described <= interface && described < linkTypes.size(); ++described) {
            bytes += InterfaceDescription(linkTypes[described], 0);
        }
        bytes += EnhancedPacket(interface, r);
    }
    return bytes;
}

std::string CaptureBytes(CaptureFile kind, int dlt, const std::vector<CaptureRecord>& records) {
    if (kind == CaptureFile::Pcap) return PcapBytes(dlt, records);
    return PcapNgBytes(dlt == DLT_RAW ? 101 : dlt, records);
}

}  // namespace korvex::test
