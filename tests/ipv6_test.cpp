// IPv6 trace texts: the fixed header, the extension header chain, the TCP,
// UDP and ICMPv6 lines behind it, and the compressed address text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace korvex {
namespace {

using test::DecodeHex;
using test::Golden;

using namespace test::flags;

// The fixed header (40 octets):
//   version 6 | traffic class | flow label (4 octets), payload length (2),
//   next header (1), hop limit (1), source address (16), destination (16).
// From 2001:db8:1:20::14 to 2001:db8:7:0:0:1:0:33, hop limit 64, traffic
// class 0xb8 (DSCP 46, ECN 0), flow label 0x12345.
std::string Header(const char* nextHeader, const char* payloadLength) {
    return std::string("6b 81 23 45 ") + payloadLength + " " + nextHeader +
           " 40 20 01 0d b8 00 01 00 20 00 00 00 00 00 00 00 14 20 01 0d b8 00 07 00 00 00 00 00 01 00 00 00 33 ";
}

// An address as the summary shows it: padded to the 39 characters of the
// longest.
std::string Padded(const std::string& address) { return address + std::string(39 - address.size(), ' '); }

std::string Summary(const char* nextHeader, int payloadLength) {
    return "  IP v6  SRC IP " + Padded("2001:db8:1:20::14") + "  DST IP " + Padded("2001:db8:7::1:0:33") +
           "  PROT " + nextHeader + "  Len " + std::to_string(payloadLength);
}

std::string HeaderLines(const char* nextHeader, int payloadLength) {
    return "\nIP: Version        : 6"
           "\nIP: Traffic Class  : b8, DSCP 46, ECN 0"
           "\nIP: Flow Label     : 12345"
           "\nIP: Payload Length : " + std::to_string(payloadLength) +
           "\nIP: Next Header    : " + nextHeader +
           "\nIP: Hop Limit      : 64"
           "\nIP: Source Address : 2001:db8:1:20::14"
           "\nIP: Dest. Address  : 2001:db8:7::1:0:33";
}

void Check(const std::vector<Golden>& cases) { test::ExpectGolden(DecodeIpv6, "10:42.117", cases); }

// UDP header: source port 514, destination port 514, length 12, checksum.
const std::string kUdp = "02 02 02 02 00 0c 3d e0 41 42 43 44";
const std::string kUdpLines = "\nUDP: Source      Port : 0202 Unassigned or reserved"
                              "\nUDP: Destination Port : 0202 Unassigned or reserved"
                              "\nUDP: Length           : 12"
                              "\nUDP: Checksum         : 3de0";

TEST(Ipv6Text, FixedHeaderAndUpperLayer) {
    Check({
        {"summary", S, Header("11", "00 0c") + kUdp, Summary("11", 12) + "\n"},
        {"detail with the UDP lines", D, Header("11", "00 0c") + kUdp,
         Summary("11", 12) + HeaderLines("11 UDP", 12) + kUdpLines + "\n\n"},
        // TCP header: ports 49400 and 25, sequence 1, acknowledgement 0,
        // data offset 5, SYN, window 64800, checksum, urgent pointer 0.
        {"detail with the TCP lines", D,
         Header("06", "00 14") + "c0 f8 00 19 00 00 00 01 00 00 00 00 50 02 fd 20 12 d5 00 00",
         Summary("06", 20) + HeaderLines("06 TCP", 20) +
             "\nTCP: Source      Port : c0f8 Unassigned or reserved"
             "\nTCP: Destination Port : 0019 SMTP"
             "\nTCP: Sequence Number  : 1"
             "\nTCP: Acknowl. Number  : 0"
             "\nTCP: TCP Header Length: 20"
             "\nTCP: Flags            : 0x02"
             "\nTCP: FIN              : 0\nTCP: SYN              : 1\nTCP: RST              : 0"
             "\nTCP: PSH              : 0\nTCP: ACK              : 0\nTCP: URG              : 0"
             "\nTCP: Window           : 64800"
             "\nTCP: Checksum         : 0x12d5"
             "\nTCP: Urgent Pointer   : 0\n\n"},
        // ICMPv6 neighbour solicitation: type 135, code 0, checksum,
        // reserved (4), target address (16).
        {"neighbour solicitation with its target", D,
         Header("3a", "00 18") + "87 00 e9 a3 00 00 00 00 fe 80 00 00 00 00 00 00 02 0d b9 ff fe 41 7e 02",
         Summary("3a", 24) + HeaderLines("3a ICMPv6", 24) +
             "\nICMPv6: Type  : Neighbor Solicitation"
             "\nICMPv6: Code  : 0"
             "\nICMPv6: Chksum: e9a3"
             "\nICMPv6: Target: fe80::20d:b9ff:fe41:7e02\n\n"},
        {"a next header without a decoder", D, Header("84", "00 00"),
         Summary("84", 0) + HeaderLines("84 SCTP", 0) + "\n\n"},
        {"an unassigned next header", D, Header("fd", "00 00"),
         Summary("fd", 0) + HeaderLines("fd Unassigned", 0) + "\n\n"},
        {"the header alone", D, Header("3b", "00 00"), Summary("3b", 0) + HeaderLines("3b No Next Header", 0) + "\n\n"},
    });
}

TEST(Ipv6Text, ExtensionHeadersAreNamedAndSteppedOver) {
    // Hop-by-hop options (next header, length 0: 8 octets, router alert,
    // PadN), then ICMPv6 echo request: type 128, code 0, checksum, id, seq.
    const std::string hopByHop = "3a 00 05 02 00 00 01 00 ";
    const std::string echo = "80 00 12 34 0b 0b 00 01";
    // Routing header (next header, length 2: 24 octets, type, segments
    // left, reserved, one address), then destination options (length 0).
    const std::string routing = "3c 02 00 01 00 00 00 00 20 01 0d b8 00 00 00 00 00 00 00 00 00 00 00 01 ";
    const std::string destination = "3a 00 01 04 00 00 00 00 ";
    // Authentication header: next header, length 4 ((4 + 2) * 4 = 24 octets),
    // reserved, SPI, sequence number, 12 octets of check value.
    std::string ah = "11 04 00 00 00 00 01 00 00 00 00 07 ";
    for (int i = 0; i < 12; ++i) ah += "aa ";
    Check({
        {"hop-by-hop options", D, Header("00", "00 10") + hopByHop + echo,
         Summary("00", 16) + HeaderLines("00 Hop-by-Hop Options", 16) +
             "\nIP: Ext. Header    : Hop-by-Hop Options, 8 octets"
             "\nIP: Next Header    : 3a ICMPv6"
             "\nICMPv6: Type  : Echo Request\nICMPv6: Code  : 0\nICMPv6: Chksum: 1234\n\n"},
        {"routing, then destination options", D, Header("2b", "00 28") + routing + destination + echo,
         Summary("2b", 40) + HeaderLines("2b Routing", 40) +
             "\nIP: Ext. Header    : Routing, 24 octets"
             "\nIP: Next Header    : 3c Destination Options"
             "\nIP: Ext. Header    : Destination Options, 8 octets"
             "\nIP: Next Header    : 3a ICMPv6"
             "\nICMPv6: Type  : Echo Request\nICMPv6: Code  : 0\nICMPv6: Chksum: 1234\n\n"},
        {"authentication header in 4-octet units", D, Header("33", "00 24") + ah + kUdp,
         Summary("33", 36) + HeaderLines("33 Authentication Header", 36) +
             "\nIP: Ext. Header    : Authentication Header, 24 octets"
             "\nIP: Next Header    : 11 UDP" + kUdpLines + "\n\n"},
        {"the encrypted payload is not stepped into", D, Header("32", "00 08") + "00 00 01 00 00 00 00 01",
         Summary("32", 8) + HeaderLines("32 Encapsulating Security Payload", 8) + "\n\n"},
        {"a chain cut inside an extension header ends there", D, Header("00", "00 10") + "3a",
         Summary("00", 16) + HeaderLines("00 Hop-by-Hop Options", 16) + "\n\n"},
        {"an extension header longer than the frame", D, Header("00", "00 10") + "3a 05 01 00",
         Summary("00", 16) + HeaderLines("00 Hop-by-Hop Options", 16) +
             "\nIP: Ext. Header    : Hop-by-Hop Options, 48 octets"
             "\nIP: Next Header    : 3a ICMPv6\n\n"},
    });
}

TEST(Ipv6Text, FragmentHeader) {
    // Fragment header: next header, reserved, offset (13 bits) | res | M,
    // identification (4 octets).
    Check({
        {"the first fragment holds the UDP header", D, Header("2c", "00 14") + "11 00 00 01 00 2a 00 01 " + kUdp,
         Summary("2c", 20) + HeaderLines("2c Fragment", 20) +
             "\nIP: Ext. Header    : Fragment, 8 octets"
             "\nIP: Identification : 002a0001"
             "\nIP: Flags          : More Fragments"
             "\nIP: Fragment Offset: 0"
             "\nIP: Next Header    : 11 UDP" + kUdpLines + "\n\n"},
        {"a later fragment holds no header", D, Header("2c", "00 14") + "11 00 00 20 00 2a 00 01 " + kUdp,
         Summary("2c", 20) + HeaderLines("2c Fragment", 20) +
             "\nIP: Ext. Header    : Fragment, 8 octets"
             "\nIP: Identification : 002a0001"
             "\nIP: Flags          : Last Fragment"
             "\nIP: Fragment Offset: 4"
             "\nIP: Next Header    : 11 UDP\n\n"},
        {"largest offset", D, Header("2c", "00 08") + "3b 00 ff f9 ff ff ff ff",
         Summary("2c", 8) + HeaderLines("2c Fragment", 8) +
             "\nIP: Ext. Header    : Fragment, 8 octets"
             "\nIP: Identification : ffffffff"
             "\nIP: Flags          : More Fragments"
             "\nIP: Fragment Offset: 8191"
             "\nIP: Next Header    : 3b No Next Header\n\n"},
    });
}

// The line after label in the detail text of a datagram.
std::string LineAfter(const std::string& datagram, const std::string& label) {
    const std::string text = DecodeHex(DecodeIpv6, D, datagram);
    const std::size_t start = text.find(label);
    if (start == std::string::npos) return "<no " + label.substr(1) + ">";
    const std::size_t end = text.find('\n', start + 1);
    return text.substr(start + label.size(), end - start - label.size());
}

TEST(Ipv6Text, AddressesInTheirCompressedForm) {
    const struct {
        const char* octets;
        const char* text;
    } cases[] = {
        {"00000000 00000000 00000000 00000000", "::"},
        {"00000000 00000000 00000000 00000001", "::1"},
        {"fe800000 00000000 00000000 00000000", "fe80::"},
        {"20010db8 00000000 00000000 00000001", "2001:db8::1"},
        {"20010db8 00000001 00010001 00010001", "2001:db8:0:1:1:1:1:1"},  // one zero group stays
        {"20010000 00010000 00000000 00000001", "2001:0:1::1"},           // the longer run
        {"20010db8 00000000 00010000 00000001", "2001:db8::1:0:0:1"},     // the leftmost of equal runs
        {"00010002 00030004 00050006 00070008", "1:2:3:4:5:6:7:8"},
        {"ABCDEF01 00000000 00000000 0000FFFF", "abcd:ef01::ffff"},       // lower-case digits
        {"00000000 00000000 0000ffff c0a80114", "::ffff:c0a8:114"},
        {"ffffffff ffffffff ffffffff ffffffff", "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"},
        {"00010000 00000000 00000000 00000000", "1::"},
        {"00000001 00000000 00000000 00000001", "0:1::1"},
    };
    for (const auto& c : cases) {
        const std::string datagram = "60 00 00 00 00 00 3b 40 " + std::string(c.octets) + " " + c.octets;
        EXPECT_EQ(LineAfter(datagram, "\nIP: Source Address : "), c.text) << c.octets;
        // The summary pads the address to the 39 characters of the longest.
        const std::string summary = DecodeHex(DecodeIpv6, S, datagram);
        EXPECT_NE(summary.find("  SRC IP " + Padded(c.text) + "  DST IP "), std::string::npos) << summary;
    }
}

TEST(Ipv6Text, Icmpv6TypesAndCodes) {
    const struct {
        const char* typeAndCode;
        const char* type;
        const char* code;
    } cases[] = {
        {"01 04", "Destination Unreachable", "port unreachable"},
        {"01 06", "Destination Unreachable", "reject route to destination"},
        {"01 07", "Destination Unreachable", "7"},  // past the list
        {"02 00", "Packet Too Big", "0"},
        {"03 00", "Time Exceeded", "hop limit exceeded in transit"},
        {"04 01", "Parameter Problem", "unrecognized Next Header type encountered"},
        {"81 00", "Echo Reply", "0"},
        {"86 00", "Router Advertisement", "0"},
        {"8f 00", "Version 2 Multicast Listener Report", "0"},
        {"c8 05", "200", "5"},  // a type without a name
    };
    for (const auto& c : cases) {
        const std::string datagram = Header("3a", "00 04") + c.typeAndCode + " ab cd";
        EXPECT_EQ(LineAfter(datagram, "\nICMPv6: Type  : "), c.type) << c.typeAndCode;
        EXPECT_EQ(LineAfter(datagram, "\nICMPv6: Code  : "), c.code) << c.typeAndCode;
        EXPECT_EQ(LineAfter(datagram, "\nICMPv6: Chksum: "), "abcd") << c.typeAndCode;
    }
}

// A new entry point has no classic text: the flag changes nothing.
TEST(Ipv6Text, SameTextWithAndWithoutTheExtendedFlag) {
    const std::string datagram = Header("2c", "00 14") + "11 00 00 01 00 2a 00 01 " + kUdp;
    for (uint32_t flags : {S, D, H, D | H}) {
        EXPECT_EQ(DecodeHex(DecodeIpv6, flags | DECODE_EXTENDED, datagram, "00:01.000"),
                  DecodeHex(DecodeIpv6, flags, datagram, "00:01.000"));
    }
}

// Every prefix of a datagram with each kind of header shows the fields it
// holds whole: a line is there exactly when the prefix reaches its octets.
TEST(Ipv6Text, EveryPrefixShowsTheFieldsItHolds) {
    const std::string whole = Header("2c", "00 14") + "11 00 00 01 00 2a 00 01 " + kUdp;
    const std::vector<unsigned char> octets = test::Octets(whole);
    const struct {
        const char* label;
        std::size_t needs;  // the octets the line needs
    } lines[] = {
        {"\nIP: Version", 1},        {"\nIP: Flow Label", 4},         {"\nIP: Next Header    : 2c", 7},
        {"\nIP: Dest. Address", 40}, {"\nIP: Ext. Header", 42},       {"\nIP: Identification", 48},
        {"\nUDP: Source", 50},       {"\nUDP: Checksum", 56},
    };
    for (std::size_t n = 0; n <= octets.size(); ++n) {
        const std::vector<unsigned char> prefix(octets.begin(), octets.begin() + static_cast<std::ptrdiff_t>(n));
        const std::string text = test::DecodeOctets(DecodeIpv6, D | H, prefix, "00:00.000");
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 2), "\n\n") << n;
        for (const auto& line : lines) {
            EXPECT_EQ(text.find(line.label) != std::string::npos, n >= line.needs) << line.label << " at " << n;
        }
    }
}

}  // namespace
}  // namespace korvex
