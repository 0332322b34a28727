#include "decoders/protocols.h"

#include <algorithm>

namespace korvex {

namespace {

// The table: one row a protocol. Its name is its decoder's name everywhere
// (the tool, the C lookup, the fuzz harness); its label is what the viewer's
// status line shows; its link types are those `korvex pcap` routes to it.
constexpr Protocol kProtocols[] = {
    {.name = "lapd", .aliases = {"q921"}, .decoder = DecodeLapd, .label = "Q.921 (LAPD)", .flags = DECODE_LAYER3,
     .linkTypes = {{177, "Linux LAPD", 16, true}, {203, "LAPD", 0, true}},
     .sample = "lapd.txt", .extendedSamples = {"lapd_bus.txt"},
     .tests = {"lapd_test.cpp", "layer3_test.cpp", "extended_link_test.cpp"},
     .examples = {{"UI frame: TEI identity request", "fcff030f 5a3c01ff bb2f"},
                  {"SABME command", "00817fa8 d8"},
                  {"I frame carrying a Q.931 SETUP", "00810000 08010105 a1040380 90a21801 836c0b21 80333031 32333435 "
                                                     "3637700c 81303430 31323334 35363738 cc14"},
                  {"I frame carrying an X.25 call request", "40810000 10010b44 26241195 06420707 43020229 2a"},
                  {"FRMR response", "0081870d 10100c01 a101"}}},
    {.name = "lapf", .aliases = {"q922"}, .decoder = DecodeLapf, .label = "Q.922 (LAPF)", .flags = DECODE_LAYER3,
     .linkTypes = {{107, "frame relay", 0, true}},
     .sample = "q922.txt", .extendedSamples = {"frame_relay.txt"},
     .tests = {"lapd_test.cpp", "layer3_test.cpp", "extended_link_test.cpp"},
     .examples = {{"SABME command", "18417f55 51"},
                  {"I frame carrying an X.25 call request", "18410202 10010bbc 31101234 56783110 87654320 06420707 "
                                                            "43020201 00000007 42"},
                  {"UI frame, three-octet address", "4c808122 12100546 414c4152 4d203030 34322043 4c454152 45440d0a "
                                                    "6d85"}}},
    {.name = "q931", .aliases = {}, .decoder = DecodeQ931, .label = "Q.931", .flags = 0, .linkTypes = {},
     .sample = "q931.txt", .extendedSamples = {"q931-extended.txt"}, .tests = {"q931_test.cpp"},
     .examples = {{"SETUP", "08010505 04038090 a3180183 6c0b2181 33303132 33343536 376d04a0 5034317d 029181"},
                  {"CONNECT ACK: the header alone", "0801050f"},
                  {"DISCONNECT with a cause", "08010745 08028090"},
                  {"RESTART on an explicitly identified interface", "08020000 461804e9 82838379 0180"},
                  {"SETUP with a locking shift to codeset 6", "08020154 60000200 05700581 35303231 967b0201 051e0281 "
                                                              "88"},
                  {"FACILITY with a remote operations invoke (named with DECODE_EXTENDED)",
                   "08011162 1c0691a1 03020101"},
                  {"Q.933 STATUS with a PVC status (named with DECODE_EXTENDED)",
                   "0800 7d510100 53020202 57030180 82"}}},
    {.name = "x25", .aliases = {}, .decoder = DecodeX25, .label = "X.25", .flags = DECODE_EMBEDDED, .linkTypes = {},
     .sample = "x25.txt", .extendedSamples = {}, .tests = {"x25_test.cpp"},
     .examples = {{"call request with facilities and user data", "10210bbc 26245410 00712624 57304150 08010142 "
                                                                 "08084307 07c0504f 53"},
                  {"data with the Q bit", "50210041 55544820 30303432 20455552 2031372e 3530"},
                  {"clear request", "10211300 00"},
                  {"diagnostic", "1000f124 100001"}}},
    {.name = "eth", .aliases = {"ethernet"}, .decoder = DecodeEthernet, .label = "802.3 Ethernet", .flags = 0,
     .linkTypes = {{1, "Ethernet", 0, false}},
     .sample = "eth.txt", .extendedSamples = {"eth_vlan.txt"}, .tests = {"ethernet_test.cpp"},
     .examples = {{"ARP request", "ffffffff ffff001b 213a4c5d 08060001 08000604 0001001b 213a4c5d c0a80114 00000000 "
                                  "0000c0a8 01010000 00000000 00000000 00000000 00000000"},
                  {"IPv4 datagram: a DNS query", "000db941 7e02001b 213a4c5d 08004500 003e1a01 40004011 9d47c0a8 "
                                                 "0114c0a8 0102cf13 0035002a 1e2d3d21 01000001 00000000 0000046d "
                                                 "61696c07 6578616d 706c6503 6e657400 00010001"},
                  {"IEEE 802.3 frame: spanning tree", "0180c200 00000014 6a9c2280 00264242 03000000 00008000 "
                                                      "00146a9c 22800000 00008000 00146a9c 22808004 00001400 "
                                                      "02000f00 00000000 00000000"}}},
    {.name = "ip", .aliases = {"ipv4"}, .decoder = DecodeIp, .label = "IP", .flags = 0,
     // libpcap reports files of link type 101 as 12.
     .linkTypes = {{12, "raw IP", 0, false}, {101, "raw IP", 0, false}, {228, "IPv4", 0, false}},
     .sample = "ip.txt", .extendedSamples = {}, .tests = {"ip_test.cpp"},
     .examples = {{"TCP: SYN with a maximum segment size", "4500002c 1a024000 400654e1 c0a80114 0a140019 c0a90019 "
                                                           "5a3c9e01 00000000 6002faf0 184c0000 020405b4"},
                  {"ICMP: port unreachable", "45000038 0c110000 40019bc3 0a140721 c0a80114 03030020 00000000 "
                                             "4500002d 1f404000 4011488f c0a80114 0a140721 c3520045 0019392c"},
                  {"a later fragment", "45000044 7e210006 401178ff c0a8011e c0a80114 00042d4c 61736572 20707269 "
                                       "6e746572 2033462c 20666c6f 6f722033 20656173 742c2066 69726d77 61726520 "
                                       "322e3134"},
                  {"ICMP behind the record route option", "4f000060 1a0a4000 40017596 c0a80114 ac102809 07270400 "
                                                          "00000000 00000000 00000000 00000000 00000000 00000000 "
                                                          "00000000 00000000 00000000 0800faf2 01020001 60616263 "
                                                          "64656667 68696a6b 6c6d6e6f 70717273 74757677 78797a7b"}}},
    {.name = "ipv6", .aliases = {}, .decoder = DecodeIpv6, .label = "IPv6", .flags = 0, .linkTypes = {},
     .sample = "ipv6.txt", .extendedSamples = {}, .tests = {"ipv6_test.cpp"},
     .examples = {{"ICMPv6: neighbour solicitation", "60000000 00203aff fe800000 00000000 021b21ff fe3a4c5d "
                                                     "ff020000 00000000 00000001 ff417e02 8700e9a3 00000000 "
                                                     "fe800000 00000000 020db9ff fe417e02 0101001b 213a4c5d"},
                  {"TCP: SYN with a maximum segment size", "60000000 00180640 20010db8 00010020 00000000 "
                                                           "00000014 20010db8 00000025 00000000 00000019 "
                                                           "c0f80019 6b4d0001 00000000 6002fd20 12d50000 "
                                                           "020405a0"},
                  {"multicast listener report behind hop-by-hop options", "60000000 00240001 fe800000 00000000 "
                                                                          "021b21ff fe3a4c5d ff020000 00000000 "
                                                                          "00000000 00000016 3a000502 00000100 "
                                                                          "8f000155 00000001 04000000 ff020000 "
                                                                          "00000000 00000000 00010003"},
                  {"UDP: the first fragment", "60000000 00282c40 20010db8 00010020 00000000 00000014 20010db8 "
                                              "00070000 00000001 00000033 11000001 002a0001 02020202 00403de0 "
                                              "3c313334 3e777332 303a2062 61636b75 7020646f 6e652c20"},
                  {"ICMPv6: port unreachable", "60000000 00303a3d 20010db8 00070000 00000001 00000033 20010db8 "
                                               "00010020 00000000 00000014 0104d573 00000000 60000000 00191140 "
                                               "20010db8 00010020 00000000 00000014 20010db8 00070000 00000001 "
                                               "00000033"}}},
};

// Equal but for the case of ASCII letters.
bool SameName(std::string_view typed, std::string_view name) {
    if (typed.size() != name.size()) return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        char c = typed[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i]) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::span<const Protocol> Protocols() { return kProtocols; }

const Protocol* ProtocolNamed(std::string_view name) {
    for (const Protocol& p : kProtocols) {
        if (SameName(name, p.name)) return &p;
        for (const char* alias : p.aliases) {
            if (SameName(name, alias)) return &p;
        }
    }
    return nullptr;
}

const char* CanonicalProtocolName(std::string_view name) {
    const Protocol* p = ProtocolNamed(name);
    return p != nullptr ? p->name : nullptr;
}

KorvexDecoder FindProtocol(std::string_view name) {
    const Protocol* p = ProtocolNamed(name);
    return p != nullptr ? p->decoder : nullptr;
}

std::vector<std::string> ProtocolNames() {
    std::vector<std::string> names;
    for (const Protocol& p : kProtocols) names.emplace_back(p.name);
    return names;
}

bool EndsInLinkFcs(const Protocol& protocol) {
    return std::any_of(protocol.linkTypes.begin(), protocol.linkTypes.end(),
                       [](const LinkType& link) { return link.withoutFcs; });
}

std::vector<unsigned char> ExampleOctets(const ExampleFrame& frame) {
    std::vector<unsigned char> octets;
    int high = -1;
    for (const char* c = frame.hex; *c != '\0'; ++c) {
        const int digit = HexDigit(*c);
        if (digit < 0) continue;  // blanks between groups
        if (high < 0) {
            high = digit;
        } else {
            octets.push_back(static_cast<unsigned char>(high << 4 | digit));
            high = -1;
        }
    }
    return octets;
}

}  // namespace korvex
