// The extended text (DECODE_EXTENDED) of LAPD and LAPF frames: the LAPF
// address bits, the hand-off of LAPD UI frames (Q.931 on SAPI 0, TEI
// management on SAPI 63) and the LAPF multiprotocol encapsulation. Each
// frame is built from its recommendation's octet layout, noted beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace korvex {
namespace {

using namespace test::flags;

constexpr uint32_t X = DECODE_EXTENDED;

// The detail lines every UI frame's block starts with after its address.
const std::string kUiLines = "\nLAPD: Type: Unnumbered\nLAPD: Frm : Unnumbered Information";
// DLCI 100, every bit of the address clear.
const std::string kDlci100 =
    "\nLAPD: DLCI: 00000064 (100)\nLAPD: C/R : 0\nLAPD: FECN: 0\nLAPD: BECN: 0\nLAPD: DE  : 0" + kUiLines;
const std::string kTeiManagementLink =
    "\nLAPD: SAPI: 063 Layer 2 Management Procedures\nLAPD: TEI : 127 Group TEI" + kUiLines;

// A 20-octet IPv4 header: version 4, length 20, total length 28, id 1c46,
// don't fragment, TTL 64, UDP, checksum b1e6, 172.16.10.99 to 172.16.10.12;
// then a UDP header, ports 0400 and 0035, length 8, checksum 0.
const std::string kDatagram = "45 00 00 1c 1c 46 40 00 40 11 b1 e6 ac 10 0a 63 ac 10 0a 0c 04 00 00 35 00 08 00 00";
// IPv6: version 6, class 0, flow 0 | payload length 8 | next header 11 |
// hop limit 64 | source 2001:db8::1 | destination 2001:db8::2 | UDP header.
const std::string kDatagram6 =
    "60 00 00 00 00 08 11 40 20 01 0d b8 00 00 00 00 00 00 00 00 00 00 00 01 "
    "20 01 0d b8 00 00 00 00 00 00 00 00 00 00 00 02 04 00 00 35 00 08 00 00";
const std::string kIpLines =
    "\nIP: Version        : 4\nIP: IP Header Len  : 20\nIP: Type of Service: Precedence : Routine"
    "\nIP: Type of Service: Throughput : Normal\nIP: Type of Service: Reliability: Normal"
    "\nIP: Total Length   : 28\nIP: Identification : 1c46\nIP: Flags          : Don't Fragment, Last Fragment"
    "\nIP: Fragment Offset: 0\nIP: Time to Live   : 64\nIP: Protocol       : UDP\nIP: Header Checksum: b1e6"
    "\nUDP: Source      Port : 0400";

// One frame's whole detail block between the summary line and the closing
// line ends (compared exactly), or pieces the text holds in this order.
struct Case {
    const char* name;
    test::Entry entry;
    uint32_t flags;
    std::string frame;
    std::vector<std::string> pieces;
    const char* absent;  // a text the whole text must not hold (null: none)
};

void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const std::string text = test::DecodeHex(c.entry, c.flags, c.frame);
        std::size_t at = 0;
        for (const std::string& piece : c.pieces) {
            const std::size_t found = text.find(piece, at);
            ASSERT_NE(found, std::string::npos) << c.name << ": missing\n" << piece << "\nin\n" << text;
            at = found + piece.size();
        }
        if (c.absent != nullptr) {
            EXPECT_EQ(text.find(c.absent), std::string::npos) << c.name << "\n" << text;
        }
    }
}

TEST(ExtendedLapf, AddressBitsAndDecimalDlci) {
    Check({
        // Two octets: DLCI 6 | C/R 1 | EA 0, then DLCI 1 | FECN 1 | BECN 1 | DE 1 | EA 1; RR.
        {"two octets, every bit set", DecodeLapf, D | X, "1a 1f 01 07 aa bb",
         {"\nLAPD: DLCI: 00000061 (97)\nLAPD: C/R : 1\nLAPD: FECN: 1\nLAPD: BECN: 1\nLAPD: DE  : 1"
          "\nLAPD: Type: Supervisory\nLAPD: Frm : Receiver Ready\n\n"},
         "D/C"},
        // Three octets: DLCI 6 | C/R 0 | EA 0; DLCI 4 | BECN 1 | EA 0; DLCI 1 | D/C 1 | EA 1.
        {"three octets: BECN and D/C", DecodeLapf, D | X, "18 44 07 01 07 aa bb",
         {"\nLAPD: DLCI: 00001901 (6401)\nLAPD: C/R : 0\nLAPD: FECN: 0\nLAPD: BECN: 1\nLAPD: DE  : 0"
          "\nLAPD: D/C : 1\nLAPD: Type: Supervisory"},
         nullptr},
        // Four octets: DLCI 6; DLCI 4 | FECN 1 | EA 0; DLCI 1 (7 bits) | EA 0;
        // DLCI 1 | D/C 0 | EA 1.
        {"four octets: FECN, D/C in the last octet", DecodeLapf, D | X, "18 48 02 05 01 07 aa bb",
         {"\nLAPD: DLCI: 000c8041 (819265)\nLAPD: C/R : 0\nLAPD: FECN: 1\nLAPD: BECN: 0\nLAPD: DE  : 0"
          "\nLAPD: D/C : 0\nLAPD: Type: Supervisory"},
         nullptr},
        {"without the flag the classic DLCI line", DecodeLapf, D, "1a 1f 01 07 aa bb",
         {"\nLAPD: DLCI: 00000061\nLAPD: Type: Supervisory"}, "FECN"},
        {"without the detail block only the summary", DecodeLapf, X, "1a 1f 01 07 aa bb",
         {"  DLCI  00000061  S   NS ---  NR 003  P/F 1  RR     FCS aabb\n"}, "LAPD:"},
        {"an address cut short has no bit lines", DecodeLapf, D | X, "18 40", {"\n\n"}, "C/R"},
    });
}

TEST(ExtendedLapd, UiFramesToTeiManagement) {
    Check({
        // SAPI 63 | C/R 0, TEI 127; UI; entity 0f, Ri 5a3c, type 01, Ai 127 | E 1.
        {"identity request", DecodeLapd, D | L3 | X, "fc ff 03 0f 5a 3c 01 ff bb 2f",
         {kTeiManagementLink +
          "\nLAPD: Management Entity: 0f Layer Management\nLAPD: Reference Number : 5a3c"
          "\nLAPD: Message Type     : Identity Request\nLAPD: Action Indicator : 127 Group TEI"
          "\nLAPD: Extension Bit    : 1\n\n"},
         nullptr},
        {"identity assigned: an automatic TEI", DecodeLapd, D | L3 | X, "fe ff 03 0f 5a 3c 02 81 bb 2f",
         {"\nLAPD: Message Type     : Identity Assigned\nLAPD: Action Indicator : 064 Automatic TEI Assignment"},
         nullptr},
        {"identity denied, a non-automatic value", DecodeLapd, D | L3 | X, "fe ff 03 0f 00 07 03 07 bb 2f",
         {"\nLAPD: Reference Number : 0007\nLAPD: Message Type     : Identity Denied"
          "\nLAPD: Action Indicator : 003 Static TEI Assignment"},
         nullptr},
        // Check response: Ai 64 | E 0, Ai 65 | E 1; the octet after the last Ai is not read as one.
        {"check response with two action indicators", DecodeLapd, D | L3 | X, "fc ff 03 0f 21 f7 05 80 83 85 bb 2f",
         {"Identity Check Response\nLAPD: Action Indicator : 064 Automatic TEI Assignment"
          "\nLAPD: Extension Bit    : 0\nLAPD: Action Indicator : 065 Automatic TEI Assignment"
          "\nLAPD: Extension Bit    : 1\n\n"},
         "066"},
        {"check request for every TEI", DecodeLapd, D | L3 | X, "fe ff 03 0f 00 00 04 ff bb 2f",
         {"Identity Check Request"}, nullptr},
        {"remove", DecodeLapd, D | L3 | X, "fe ff 03 0f 00 00 06 81 bb 2f", {"Identity Remove"}, nullptr},
        {"verify", DecodeLapd, D | L3 | X, "fc ff 03 0f 00 00 07 81 bb 2f", {"Identity Verify"}, nullptr},
        {"a message type without a name", DecodeLapd, D | L3 | X, "fc ff 03 0f 00 00 09 81 bb 2f",
         {"\nLAPD: Message Type     : Reserved\nLAPD: Action Indicator : 064"}, nullptr},
        {"another management entity: its identifier alone", DecodeLapd, D | L3 | X, "fc ff 03 0e 00 00 01 ff bb 2f",
         {"\nLAPD: Management Entity: 0e Reserved\n\n"}, "Reference"},
        {"cut after the reference number", DecodeLapd, D | L3 | X, "fc ff 03 0f 5a 3c bb 2f",
         {"\nLAPD: Reference Number : 5a3c\n\n"}, "Message Type"},
        {"without layer 3 the classic block", DecodeLapd, D | X, "fc ff 03 0f 5a 3c 01 ff bb 2f",
         {kTeiManagementLink + "\n\n"}, "Management Entity"},
        {"without the flag the classic block", DecodeLapd, D | L3, "fc ff 03 0f 5a 3c 01 ff bb 2f",
         {kTeiManagementLink + "\n\n"}, "Management Entity"},
    });
}

TEST(ExtendedLapd, UiFramesToCallControl) {
    Check({
        // SAPI 0 | C/R 1, TEI 127; UI; Q.931 SETUP, call reference 12 (one octet),
        // sending complete, bearer capability 88 90.
        {"broadcast SETUP", DecodeLapd, D | L3 | X, "02 ff 03 08 01 12 05 a1 04 02 88 90 aa bb",
         {"\nLAPD: SAPI: 000 Call Control Procedures\nLAPD: TEI : 127 Group TEI" + kUiLines +
              "\nQ931: Call Reference: 0x12\nQ931: Message type  : SETUP\nQ931: IE: Sending complete"
              "\nQ931: IE: Bearer capability",
          "Transfer Rate      : 64 kbps\n\n"},
         nullptr},
        {"a message that ends with its type", DecodeLapd, D | L3 | X, "02 ff 03 08 01 12 05 aa bb",
         {"\nQ931: Call Reference: 0x12\nQ931: Message type  : SETUP\n\n"}, "IE:"},
        {"another discriminator gets no layer-3 lines", DecodeLapd, D | L3 | X, "02 ff 03 09 01 12 05 aa bb",
         {kUiLines + "\n\n"}, "Q931"},
        {"UI on SAPI 16 gets none", DecodeLapd, D | L3 | X, "40 ff 03 08 01 12 05 aa bb", {kUiLines + "\n\n"},
         "Q931"},
        {"without the flag a UI frame gets none", DecodeLapd, D | L3, "02 ff 03 08 01 12 05 aa bb",
         {kUiLines + "\n\n"}, "Q931"},
        {"I frames hand over as before", DecodeLapd, D | L3 | X, "00 01 00 02 08 01 05 0f aa bb",
         {"\nQ931: Call Reference: 0x5\nQ931: Message type  : CONNECT ACK\n\n"}, nullptr},
    });
}

TEST(ExtendedLapf, MultiprotocolEncapsulation) {
    Check({
        // DLCI 100; UI; NLPID cc; an IPv4 datagram.
        {"IPv4", DecodeLapf, D | L3 | X, "18 41 03 cc " + kDatagram + " aa bb",
         {kDlci100 + "\nLAPD: NLPID        : cc IPv4" + kIpLines}, "SNAP"},
        // UI; pad 00; NLPID 80; OUI 000000; PID 0800; the datagram.
        {"SNAP after a pad octet, IPv4 behind it", DecodeLapf, D | L3 | X,
         "18 41 03 00 80 00 00 00 08 00 " + kDatagram + " aa bb",
         {kDlci100 + "\nLAPD: NLPID        : 80 SNAP\nLAPD: SNAP OUI     : 000000"
                     "\nLAPD: SNAP Protocol: 0800 DOD INTERNET PROTOCOL IP" + kIpLines},
         nullptr},
        // UI; NLPID 8e; an IPv6 datagram: version 6, payload 8, next header
        // 11 (UDP), hop limit 64, 2001:db8::1 to 2001:db8::2, a UDP header.
        {"IPv6", DecodeLapf, D | L3 | X, "18 41 03 8e " + kDatagram6 + " aa bb",
         {"\nLAPD: NLPID        : 8e IPv6\nIP: Version        : 6", "\nIP: Dest. Address  : 2001:db8::2",
          "\nUDP: Length           : 8"},
         nullptr},
        // UI; NLPID 80; OUI 000000; PID 86dd; the IPv6 datagram.
        {"SNAP with IPv6 behind it", DecodeLapf, D | L3 | X, "18 41 03 80 00 00 00 86 dd " + kDatagram6 + " aa bb",
         {"\nLAPD: SNAP OUI     : 000000\nLAPD: SNAP Protocol: 86dd", "\nIP: Next Header    : 11 UDP"}, nullptr},
        {"without layer 3 no IPv6 lines", DecodeLapf, D | X, "18 41 03 8e " + kDatagram6 + " aa bb",
         {"\nLAPD: NLPID        : 8e IPv6\n\n"}, "IP:"},
        // OUI 0080c2 (bridged frames): the PID is no EtherType.
        {"SNAP of another OUI", DecodeLapf, D | L3 | X, "18 41 03 00 80 00 80 c2 00 07 01 02 aa bb",
         {"\nLAPD: SNAP OUI     : 0080c2\nLAPD: SNAP Protocol: 0007\n\n"}, "IP:"},
        // DLCI 0; UI; NLPID 08 = Q.933 discriminator; dummy call reference
        // (length 0); STATUS ENQUIRY; report type and link integrity elements.
        {"Q.933 status enquiry on DLCI 0", DecodeLapf, D | L3 | X, "00 01 03 08 00 75 51 01 01 53 02 01 00 aa bb",
         {"\nLAPD: DLCI: 00000000 (0)", "\nLAPD: NLPID        : 08 Q.933\nQ931: Call Reference: 0x0"
                                          "\nQ931: Message type  : STATUS ENQ\nQ931: IE: ",
          "\nQ931: IE: "},
         nullptr},
        {"other identifiers are named", DecodeLapf, D | L3 | X, "18 41 03 81 01 02 aa bb",
         {"\nLAPD: NLPID        : 81 ISO CLNP\n\n"}, nullptr},
        {"an identifier without a name", DecodeLapf, D | L3 | X, "18 41 03 42 01 02 aa bb",
         {"\nLAPD: NLPID        : 42 Unassigned\n\n"}, nullptr},
        {"without layer 3 the identifier alone", DecodeLapf, D | X, "18 41 03 cc " + kDatagram + " aa bb",
         {"\nLAPD: NLPID        : cc IPv4\n\n"}, "IP:"},
        {"only pad octets", DecodeLapf, D | L3 | X, "18 41 03 00 00 aa bb", {kDlci100 + "\n\n"}, "NLPID"},
        {"LAPF I frames still go to X.25", DecodeLapf, D | L3 | X, "18 41 00 02 cc 01 21 aa bb",
         {"\nX25: GFI    :"}, "NLPID"},
        {"without the flag no encapsulation", DecodeLapf, D | L3, "18 41 03 cc " + kDatagram + " aa bb",
         {"\nLAPD: DLCI: 00000064\nLAPD: Type: Unnumbered\nLAPD: Frm : Unnumbered Information\n\n"}, "NLPID"},
    });
}

// Every prefix of frames the extended text reads deeply, with and without
// the hex trace: the text stays whole (timestamp, closing empty line) and
// the same frame gives the same text twice.
TEST(ExtendedLink, EveryPrefixGivesText) {
    const struct {
        test::Entry entry;
        std::string frame;
    } frames[] = {
        {DecodeLapd, "fc ff 03 0f 21 f7 05 80 83 bb 2f"},
        {DecodeLapd, "02 ff 03 08 01 12 05 a1 04 02 88 90 aa bb"},
        {DecodeLapf, "18 48 02 05 03 00 80 00 00 00 08 00 " + kDatagram + " aa bb"},
        {DecodeLapf, "18 41 03 cc " + kDatagram + " aa bb"},
        {DecodeLapf, "00 01 03 08 00 75 51 01 01 53 02 01 00 aa bb"},
    };
    for (const auto& f : frames) {
        const std::vector<unsigned char> whole = test::Octets(f.frame);
        for (std::size_t n = 0; n <= whole.size(); ++n) {
            const std::vector<unsigned char> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            for (uint32_t flags : {D | L3 | X, D | L3 | X | H, D | X}) {
                const std::string text = test::DecodeOctets(f.entry, flags, prefix, "t");
                ASSERT_EQ(text.substr(0, 1), "t");
                ASSERT_GE(text.size(), 3u);
                ASSERT_EQ(text.substr(text.size() - 2), "\n\n") << f.frame << " cut at " << n;
                ASSERT_EQ(test::DecodeOctets(f.entry, flags, prefix, "t"), text);
            }
        }
    }
}

}  // namespace
}  // namespace korvex
