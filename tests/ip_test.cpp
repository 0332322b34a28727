// IPv4 trace texts with their TCP, UDP and ICMP header lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/value_names.h"
#include "decoders/inet/transport_tables.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::DecodeHex;
using test::Golden;

using namespace test::flags;

const std::string& kIndent = test::kDumpIndent;

// A 20-octet header from 172.16.10.99 to 172.16.10.12, don't fragment,
// time to live 64; protocol and total length as given.
std::string Header(const char* protocol, const char* totalLength = "00 3c") {
    return std::string("45 00 ") + totalLength + " 1c 46 40 00 40 " + protocol + " b1 e6 ac 10 0a 63 ac 10 0a 0c ";
}

std::string Summary(const char* protocol, int length = 60) {
    return "  IP v4  SRC IP 172.16.10.99     DST IP 172.16.10.12     PROT " + std::string(protocol) +
           "  ID 1c46  Flgs 02  Len " + std::to_string(length);
}

// The detail lines of Header() up to the checksum line.
std::string HeaderLines(const char* protocolName, int length = 60) {
    return "\nIP: Version        : 4"
           "\nIP: IP Header Len  : 20"
           "\nIP: Type of Service: Precedence : Routine"
           "\nIP: Type of Service: Throughput : Normal"
           "\nIP: Type of Service: Reliability: Normal"
           "\nIP: Total Length   : " +
           std::to_string(length) +
           "\nIP: Identification : 1c46"
           "\nIP: Flags          : Don't Fragment, Last Fragment"
           "\nIP: Fragment Offset: 0"
           "\nIP: Time to Live   : 64"
           "\nIP: Protocol       : " +
           protocolName + "\nIP: Header Checksum: b1e6";
}

std::string FlagLines(const char* digits) {
    static const char* const names[] = {"FIN", "SYN", "RST", "PSH", "ACK", "URG"};
    std::string lines;
    for (int i = 0; i < 6; ++i) lines += "\nTCP: " + std::string(names[i]) + "              : " + digits[i];
    return lines;
}

void Check(const std::vector<Golden>& cases) { test::ExpectGolden(DecodeIp, "10:42.117", cases); }

// Everything from "\nIP: " of the text: the detail block and what follows.
std::string DetailOf(const std::string& datagram) {
    const std::string text = DecodeHex(DecodeIp, D, datagram);
    const std::size_t start = text.find("\nIP: ");
    return start == std::string::npos ? "" : text.substr(start);
}

// The text after label on its line.
std::string LineAfter(const std::string& text, const std::string& label) {
    const std::size_t start = text.find(label);
    if (start == std::string::npos) return "<no " + label.substr(1) + ">";
    const std::size_t end = text.find('\n', start + 1);
    return text.substr(start + label.size(), end - start - label.size());
}

const std::string kSynAck = "00 19 04 d2 ff ff ff fe 00 00 00 01 50 12 72 10 a1 b2 00 00";

// The lines of kSynAck up to its checksum.
const std::string kSynAckLines =
    "\nTCP: Source      Port : 0019 SMTP"
    "\nTCP: Destination Port : 04d2 Unassigned or reserved"
    "\nTCP: Sequence Number  : 4294967294"
    "\nTCP: Acknowl. Number  : 1"
    "\nTCP: TCP Header Length: 20"
    "\nTCP: Flags            : 0x12" +
    FlagLines("010010") +
    "\nTCP: Window           : 29200"
    "\nTCP: Checksum         : 0xa1b2";

TEST(IpText, TcpSegmentWholeAndInParts) {
    Check({
        {"summary", S, Header("06") + kSynAck, Summary("06") + "\n"},
        {"no flags is the summary", 0, Header("06") + kSynAck, Summary("06") + "\n"},
        {"detail with the TCP lines", D, Header("06") + kSynAck,
         Summary("06") + HeaderLines("TCP") + kSynAckLines + "\nTCP: Urgent Pointer   : 0\n\n"},
        {"hex trace", H, Header("06") + kSynAck,
         Summary("06") + "\nHEX TRACE:" + kIndent +
             "45 00 00 3c 1c 46 40 00 40 06 b1 e6 ac 10 0a 63 ac 10 0a 0c 00 19 04 d2 " + kIndent +
             "ff ff ff fe 00 00 00 01 50 12 72 10 a1 b2 00 00 \n"},
        {"all flags, largest header, reserved bits cut off", D,
         Header("06") + "00 17 00 19 80 00 00 00 7f ff ff ff f0 ff ff ff 00 00 80 00",
         Summary("06") + HeaderLines("TCP") +
             "\nTCP: Source      Port : 0017 NEW TELNET"
             "\nTCP: Destination Port : 0019 SMTP"
             "\nTCP: Sequence Number  : 2147483648"
             "\nTCP: Acknowl. Number  : 2147483647"
             "\nTCP: TCP Header Length: 60"
             "\nTCP: Flags            : 0x3f" +
             FlagLines("111111") +
             "\nTCP: Window           : 65535"
             "\nTCP: Checksum         : 0x0000"
             "\nTCP: Urgent Pointer   : 32768\n\n"},
    });
}

TEST(IpText, TcpPortsAndFlags) {
    const struct {
        const char* segment;
        const char* label;
        const char* value;
    } cases[] = {
        {"00 35 00 19", "\nTCP: Source      Port : ", "0035 AUTODIN II FTP"},  // 53 keeps its row
        {"00 35 00 19", "\nTCP: Destination Port : ", "0019 SMTP"},
        {"00 50 00 50", "\nTCP: Destination Port : ", "0050 Unassigned or reserved"},  // 80
        {"00 01 00 a2", "\nTCP: Source      Port : ", "0001 OLD TELNET"},
        {"00 01 00 a2", "\nTCP: Destination Port : ", "00a2 SNMP TRAP"},
        {"00 00 ff ff", "\nTCP: Source      Port : ", "0000 Unassigned or reserved"},
        {"00 00 ff ff", "\nTCP: Destination Port : ", "ffff Unassigned or reserved"},
        {"00 00 00 00 ff ff ff fe", "\nTCP: Sequence Number  : ", "4294967294"},
        {"00 00 00 00 00 00 00 00 ff ff ff ff", "\nTCP: Acknowl. Number  : ", "4294967295"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50", "\nTCP: TCP Header Length: ", "20"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 f0", "\nTCP: TCP Header Length: ", "60"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 5f", "\nTCP: TCP Header Length: ", "20"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 12", "\nTCP: Flags            : ", "0x12"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 ff", "\nTCP: Flags            : ", "0x3f"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 c0", "\nTCP: Flags            : ", "0x00"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 01", "\nTCP: FIN              : ", "1"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 3e", "\nTCP: FIN              : ", "0"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 20", "\nTCP: URG              : ", "1"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 1f", "\nTCP: URG              : ", "0"},
        {"00 00 00 00 00 00 00 00 00 00 00 00 50 08", "\nTCP: PSH              : ", "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LineAfter(DetailOf(Header("06") + c.segment), c.label), c.value) << c.segment;
    }
    // Flags 0x12: SYN and ACK set, the other four clear.
    const std::string detail = DetailOf(Header("06") + "00 00 00 00 00 00 00 00 00 00 00 00 50 12");
    EXPECT_NE(detail.find("0x12" + FlagLines("010010")), std::string::npos) << detail;
}

TEST(IpText, UdpDatagram) {
    Check({
        {"DNS query", D, Header("11", "00 24") + "c3 5a 00 35 00 1c 01 0a",
         Summary("11", 36) + HeaderLines("UDP", 36) +
             "\nUDP: Source      Port : c35a Unassigned or reserved"
             "\nUDP: Destination Port : 0035 AUTODIN II FTP"
             "\nUDP: Length           : 28"
             "\nUDP: Checksum         : 010a\n\n"},
        {"TFTP with a zero checksum", D, Header("11") + "00 35 00 45 ff ff 00 00",
         Summary("11") + HeaderLines("UDP") +
             "\nUDP: Source      Port : 0035 AUTODIN II FTP"
             "\nUDP: Destination Port : 0045 TFTP"
             "\nUDP: Length           : 65535"
             "\nUDP: Checksum         : 0000\n\n"},
    });
}

TEST(IpText, IcmpTypesAndCodes) {
    const struct {
        const char* typeAndCode;
        const char* type;
        const char* code;
    } cases[] = {
        {"03 03", "Destination Unreachable", "port unreachable"},
        {"03 00", "Destination Unreachable", "net unreachable"},
        {"03 05", "Destination Unreachable", "source route failed"},
        {"03 06", "Destination Unreachable", "6"},  // beyond the list: the code in decimal
        {"03 0d", "Destination Unreachable", "13"},
        {"03 ff", "Destination Unreachable", "255"},
        {"05 01", "Redirect", "Redirect datagrams for the Host"},
        {"05 03", "Redirect", "Redirect datagrams for the Type of Service and Host"},
        {"05 04", "Redirect", "4"},
        {"0b 00", "Time Exceeded", "time to live exceeded in transit"},
        {"0b 01", "Time Exceeded", "fragment reassembly time exceeded"},
        {"0b 02", "Time Exceeded", "2"},
        {"08 00", "Echo", "0"},
        {"08 07", "Echo", "7"},  // no list: the code in decimal
        {"00 09", "Echo Reply", "9"},
        {"04 00", "Source Quench", "0"},
        {"0c 00", "Parameter Problem", "0"},
        {"0c 01", "Parameter Problem", "1"},  // 12, 1: missing a required option
        {"0c 02", "Parameter Problem", "2"},
        {"0d 00", "Timestamp", "0"},
        {"0e 0a", "Timestamp Reply", "10"},
        {"0f 00", "Information Request", "0"},
        {"10 ff", "Information Reply", "255"},
        {"2a 00", "", "0"},  // no row: the label alone, the code in decimal
        {"2a 03", "", "3"},
        {"ff 80", "", "128"},
    };
    for (const auto& c : cases) {
        const std::string detail = DetailOf(Header("01") + c.typeAndCode + " f7 ff 00 01 00 02");
        const std::string tail = detail.substr(HeaderLines("ICMP").size());
        EXPECT_EQ(tail, "\nICMP: Type  : " + std::string(c.type) + "\nICMP: Code  : " + c.code +
                            "\nICMP: Chksum: f7ff\n\n")
            << c.typeAndCode;
    }
}

TEST(IpText, HeaderFields) {
    const struct {
        const char* name;
        std::string datagram;
        const char* label;
        const char* value;
    } cases[] = {
        {"more fragments", "45 00 00 3c 1c 46 20 00 40 11", "\nIP: Flags          : ", "May Fragment, More Fragments"},
        {"more fragments digits", "45 00 00 3c 1c 46 20 00 40 11", "  Flgs ", "01  Len 60"},
        {"more fragments offset", "45 00 00 3c 1c 46 20 00 40 11", "\nIP: Fragment Offset: ", "0"},
        {"offset 500", "45 00 00 3c 1c 46 01 f4 40 11", "\nIP: Fragment Offset: ", "500"},
        {"offset 500 digits", "45 00 00 3c 1c 46 01 f4 40 11", "  Flgs ", "00  Len 60"},
        {"largest offset", "45 00 00 3c 1c 46 3f ff 40 11", "\nIP: Fragment Offset: ", "8191"},
        {"largest offset digits", "45 00 00 3c 1c 46 3f ff 40 11", "  Flgs ", "01  Len 60"},
        {"reserved flag in the digits only", "45 00 00 3c 1c 46 c0 00 40 11", "  Flgs ", "06  Len 60"},
        {"reserved flag has no word", "45 00 00 3c 1c 46 c0 00 40 11", "\nIP: Flags          : ",
         "Don't Fragment, Last Fragment"},
        {"precedence 7", "45 e0 00 3c", "\nIP: Type of Service: Precedence : ", "Network Control"},
        {"precedence 5", "45 a0 00 3c", "\nIP: Type of Service: Precedence : ", "CRITIC/ECP"},
        {"precedence 1", "45 20 00 3c", "\nIP: Type of Service: Precedence : ", "Priority"},
        {"tos 0x18 precedence", "45 18 00 3c", "\nIP: Type of Service: Precedence : ", "Routine"},
        {"tos 0x18 throughput", "45 18 00 3c", "\nIP: Type of Service: Throughput : ", "High"},
        {"tos 0x18 reliability", "45 18 00 3c", "\nIP: Type of Service: Reliability: ", "Normal"},
        {"tos 0x04 reliability", "45 04 00 3c", "\nIP: Type of Service: Reliability: ", "High"},
        {"tos 0x04 throughput", "45 04 00 3c", "\nIP: Type of Service: Throughput : ", "Normal"},
        {"largest total length", "45 00 ff ff", "\nIP: Total Length   : ", "65535"},
        {"time to live 255", "45 00 00 3c 1c 46 00 00 ff 06", "\nIP: Time to Live   : ", "255"},
        {"protocol 63", Header("3f"), "\nIP: Protocol       : ", "ANYLAN"},
        {"protocol 79", Header("4f"), "\nIP: Protocol       : ", "WIDEBAND EXPAK"},
        {"protocol 0", Header("00"), "\nIP: Protocol       : ", "Unassigned"},
        {"version 6 shown as it is", "65 00 00 3c", "  IP v", "6  Len 60"},
        {"version 6 read as IPv4", "65 00 00 3c", "\nIP: Version        : ", "6"},
        {"header length 6", "46 00 00 3c", "\nIP: IP Header Len  : ", "24"},
        {"header length 15", "4f 00 00 3c", "\nIP: IP Header Len  : ", "60"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LineAfter(DecodeHex(DecodeIp, D, c.datagram), c.label), c.value) << c.name;
    }
}

TEST(IpText, AddressFieldsAreFifteenCharactersWide) {
    Check({
        {"short and longest addresses", S, "45 00 00 14 00 01 00 00 01 01 00 00 0a 00 00 01 c0 a8 64 c8",
         "  IP v4  SRC IP 10.0.0.1         DST IP 192.168.100.200  PROT 01  ID 0001  Flgs 00  Len 20\n"},
        {"the extremes", S, "45 00 00 14 00 01 00 00 01 01 00 00 00 00 00 00 ff ff ff ff",
         "  IP v4  SRC IP 0.0.0.0          DST IP 255.255.255.255  PROT 01  ID 0001  Flgs 00  Len 20\n"},
    });
}

TEST(IpText, OtherProtocolsEndAtTheChecksumLine) {
    Check({
        {"protocol 2", D, Header("02") + "11 64 ee 9b 00 00 00 00",
         Summary("02") + HeaderLines("Unassigned") + "\n\n"},
        {"protocol 63", D, Header("3f") + "00 35 00 35", Summary("3f") + HeaderLines("ANYLAN") + "\n\n"},
    });
}

// The lines behind the header checksum line: the transport header's, if any.
std::string TransportLines(const std::string& datagram) {
    const std::string detail = DetailOf(datagram);
    const std::string label = "\nIP: Header Checksum: ";
    const std::size_t start = detail.find(label);
    return start == std::string::npos ? "<no checksum line>" : detail.substr(start + label.size() + 4);
}

// From 172.16.10.99 to 172.16.10.12: the first octet (version and header
// length), then octets 1 to 5, the fragment octets 6 and 7, the protocol.
std::string Datagram(const char* versionAndLength, const char* fragment, const char* protocol) {
    return std::string(versionAndLength) + " 00 00 3c 1c 46 " + fragment + " 40 " + protocol +
           " b1 e6 ac 10 0a 63 ac 10 0a 0c ";
}

const std::string kTftpUdp = "00 35 00 45 ff ff 00 00";
const std::string kTftpUdpLines =
    "\nUDP: Source      Port : 0035 AUTODIN II FTP"
    "\nUDP: Destination Port : 0045 TFTP"
    "\nUDP: Length           : 65535"
    "\nUDP: Checksum         : 0000\n\n";
const std::string kEcho = "08 00 f7 ff 00 01 00 02";
const std::string kEchoLines = "\nICMP: Type  : Echo\nICMP: Code  : 0\nICMP: Chksum: f7ff\n\n";

std::string Zeros(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += " 00";
    return text + " ";
}

TEST(IpText, TransportHeaderFollowsTheHeaderLengthInTheFirstFragmentOnly) {
    const struct {
        const char* name;
        std::string datagram;
        std::string lines;  // behind the checksum line
    } cases[] = {
        // 0x46: 24-octet header, router alert option 94 04 00 00, TCP at 24.
        {"one option word", Datagram("46", "40 00", "06") + "94 04 00 00 " + kSynAck,
         kSynAckLines + "\nTCP: Urgent Pointer   : 0\n\n"},
        // 0x4f: 60-octet header, record route (07 27 04, 36 slot octets, 00), ICMP at 60.
        {"largest header", Datagram("4f", "40 00", "01") + "07 27 04" + Zeros(36) + "00 " + kEcho, kEchoLines},
        // 0x47: 28-octet header, loose source route 83 07 04 and one address, padding 00, UDP at 28.
        {"source route", Datagram("47", "00 00", "11") + "83 07 04 ac 10 28 09 00 " + kTftpUdp, kTftpUdpLines},
        // 0x44: a header length below the fixed header, UDP read at 20.
        {"header length 4", Datagram("44", "00 00", "11") + kTftpUdp, kTftpUdpLines},
        // 0x40: header length 0, ICMP read at 20.
        {"header length 0", Datagram("40", "00 00", "01") + kEcho, kEchoLines},
        // 0x48: 32-octet header cut after six no-operation options: no transport octets.
        {"cut in the options", Datagram("48", "00 00", "11") + "01 01 01 01 01 01", "\n\n"},
        // 0x46, four no-operation options 01, then only the ICMP type octet.
        {"one transport octet", Datagram("46", "00 00", "01") + "01 01 01 01 0b", "\nICMP: Type  : Time Exceeded\n\n"},
        // Octets 6, 7 = 20 00: more fragments at offset 0, the first fragment.
        {"first fragment", Datagram("45", "20 00", "11") + kTftpUdp, kTftpUdpLines},
        // 80 00: the reserved flag alone, offset 0.
        {"reserved flag", Datagram("45", "80 00", "11") + kTftpUdp, kTftpUdpLines},
        // 00 06: offset 6 (48 octets), the last fragment: payload, no header.
        {"last fragment", Datagram("45", "00 06", "11") + kTftpUdp, "\n\n"},
        // 20 01: more fragments at offset 1, a middle fragment.
        {"middle fragment", Datagram("45", "20 01", "06") + kSynAck, "\n\n"},
        // 1f ff: the largest offset, don't fragment clear.
        {"largest offset", Datagram("45", "1f ff", "01") + kEcho, "\n\n"},
        // 0x47 with 00 06: a later fragment that carries the copied source route.
        {"later fragment with options", Datagram("47", "00 06", "11") + "83 07 04 ac 10 28 09 00 " + kTftpUdp,
         "\n\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(TransportLines(c.datagram), c.lines) << c.name;

    // The header lines of a later fragment with options, in full.
    Check({{"later fragment with options", D,
            "47 00 00 2c 1a 0b 00 06 40 11 f1 13 c0 a8 01 14 0a ff 00 06 83 07 04 ac 10 28 09 00 20 66 69 6c",
            "  IP v4  SRC IP 192.168.1.20     DST IP 10.255.0.6       PROT 11  ID 1a0b  Flgs 00  Len 44"
            "\nIP: Version        : 4"
            "\nIP: IP Header Len  : 28"
            "\nIP: Type of Service: Precedence : Routine"
            "\nIP: Type of Service: Throughput : Normal"
            "\nIP: Type of Service: Reliability: Normal"
            "\nIP: Total Length   : 44"
            "\nIP: Identification : 1a0b"
            "\nIP: Flags          : May Fragment, Last Fragment"
            "\nIP: Fragment Offset: 6"
            "\nIP: Time to Live   : 64"
            "\nIP: Protocol       : UDP"
            "\nIP: Header Checksum: f113\n\n"}});
}

TEST(IpText, ShortDatagramsShowTheFieldsTheyHold) {
    Check({
        {"no octets", D | H, "", "\nHEX TRACE:" + kIndent + "\n\n"},
        {"one octet", D, "45",
         "  IP v4"
         "\nIP: Version        : 4"
         "\nIP: IP Header Len  : 20\n\n"},
        {"through the protocol octet", S, "45 00 00 3c 1c 46 40 00 40 06",
         "  IP v4  PROT 06  ID 1c46  Flgs 02  Len 60\n"},
        {"source address, no destination", S, "45 00 00 3c 1c 46 40 00 40 06 b1 e6 ac 10 0a 63 ac 10 0a",
         "  IP v4  SRC IP 172.16.10.99     PROT 06  ID 1c46  Flgs 02  Len 60\n"},
        {"TCP header missing", D, Header("06"), Summary("06") + HeaderLines("TCP") + "\n\n"},
        {"TCP header cut in the sequence number", D, Header("06") + "00 19 04 d2 ff ff ff",
         Summary("06") + HeaderLines("TCP") +
             "\nTCP: Source      Port : 0019 SMTP"
             "\nTCP: Destination Port : 04d2 Unassigned or reserved\n\n"},
        {"TCP header without its urgent pointer", D, Header("06") + kSynAck.substr(0, 53),
         Summary("06") + HeaderLines("TCP") + kSynAckLines + "\n\n"},
        {"UDP header of five octets", D, Header("11") + "00 35 00 45 00",
         Summary("11") + HeaderLines("UDP") +
             "\nUDP: Source      Port : 0035 AUTODIN II FTP"
             "\nUDP: Destination Port : 0045 TFTP\n\n"},
        {"ICMP type only", D, Header("01") + "0b",
         Summary("01") + HeaderLines("ICMP") + "\nICMP: Type  : Time Exceeded\n\n"},
        {"ICMP without its checksum", D, Header("01") + "0b 00 f4",
         Summary("01") + HeaderLines("ICMP") +
             "\nICMP: Type  : Time Exceeded\nICMP: Code  : time to live exceeded in transit\n\n"},
    });
}

TEST(InetTables, NumberedTablesByTheirIds) {
    const struct {
        int id;
        std::size_t rows;
        uint32_t key;
        const char* text;
    } cases[] = {
        {18, 8, 7, "Network Control"},  {18, 8, 0, "Routine"},  {19, 26, 1, "ICMP"},
        {19, 26, 79, "WIDEBAND EXPAK"}, {20, 56, 1, "OLD TELNET"}, {20, 56, 162, "SNMP TRAP"},
        {21, 11, 0, "Echo Reply"},      {21, 11, 16, "Information Reply"},
    };
    for (const auto& c : cases) {
        const ValueNameTable table = TableById(c.id);
        EXPECT_EQ(table.size(), c.rows) << c.id;
        int found = 0;
        int row = 0;
        EXPECT_STREQ(FindValueName(table, c.key, found, row), c.text) << c.id;
    }
    // The code lists follow the rows of table 21, one more for no row.
    EXPECT_EQ(IcmpCodeLists.size(), TableById(21).size() + 1);
    EXPECT_EQ(IcmpCodeLists[1].size(), 6u);
    EXPECT_EQ(IcmpCodeLists[3].size(), 4u);
    EXPECT_EQ(IcmpCodeLists[5].size(), 2u);
    std::size_t withCodes = 0;
    for (const IcmpCodeList& list : IcmpCodeLists) withCodes += list.empty() ? 0 : 1;
    EXPECT_EQ(withCodes, 3u);
}

}  // namespace
}  // namespace korvex
