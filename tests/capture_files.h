// Capture files made by the tests themselves: pcap through libpcap's own
// writer, pcapng block by block (libpcap writes no pcapng).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace korvex::test {

struct CaptureRecord {
    int64_t seconds;
    int32_t microseconds;
    std::vector<unsigned char> octets;
    uint32_t wireLength = 0;  // 0: as many as octets holds
};

enum class CaptureFile { Pcap, PcapNg };

// A pcap file of libpcap link type dlt written by libpcap.
std::string PcapBytes(int dlt, const std::vector<CaptureRecord>& records, int snapLength = 65535);

// A pcapng file: section header, one interface of the link type, one
// enhanced packet block per record (microsecond timestamps).
std::string PcapNgBytes(int linkType, const std::vector<CaptureRecord>& records,
                        uint32_t snapLength = 0);

// A pcapng file whose interfaces have the link types given, in that order,
// each record a packet of the interface its index names. Each interface's
// description block comes right before the first record of that interface.
std::string PcapNgInterfacesBytes(const std::vector<int>& linkTypes,
                                  const std::vector<std::pair<uint32_t, CaptureRecord>>& records);

// Either of the two; the libpcap link type dlt names raw IP by 12, which a
// pcapng file stores as 101.
std::string CaptureBytes(CaptureFile kind, int dlt, const std::vector<CaptureRecord>& records);

}  // namespace korvex::test
