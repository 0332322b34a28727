// Ethernet / 802.3 trace texts and EtherType names.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "decoders/inet/ethernet.h"
#include "decoders/inet/ethertype_tables.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::DecodeHex;
using test::Golden;

using namespace test::flags;

const std::string& kIndent = test::kDumpIndent;
const std::string kAddresses = "ff ff ff ff ff ff 00 1b 21 3a 4c 5d";
const std::string kSummary = "  DST  ff ff ff ff ff ff   SRC  00 1b 21 3a 4c 5d   TYPE  ";

void Check(const std::vector<Golden>& cases) { test::ExpectGolden(DecodeEthernet, "09:15.004", cases); }

TEST(EthernetText, SummaryDetailAndHexTrace) {
    const std::string arp = kAddresses + " 08 06 00 01 08 00 06 04 00 01";
    Check({
        {"summary only", S, arp, kSummary + "0806\n"},
        {"no flags is the summary", 0, arp, kSummary + "0806\n"},
        {"detail names the type and dumps the data", D, arp,
         kSummary + "0806\nETH: Type   : 0806 ADDRESS RESOLUTION PROTOCOL ARP\nETH: DATA   : " + kIndent +
             "00 01 08 00 06 04 00 01 \n\n"},
        {"hex trace of the whole frame", H, arp,
         kSummary + "0806\nHEX TRACE:" + kIndent + "ff ff ff ff ff ff 00 1b 21 3a 4c 5d 08 06 00 01 08 00 06 04 00 01 \n"},
        {"detail and hex", D | H, kAddresses + " 86 dd 60",
         kSummary + "86dd\nETH: Type   : 86dd IP VERSION 6\nETH: DATA   : " + kIndent +
             "60 \nHEX TRACE:" + kIndent + "ff ff ff ff ff ff 00 1b 21 3a 4c 5d 86 dd 60 \n\n"},
        {"exactly 14 octets: an empty data row", D, kAddresses + " 08 00",
         kSummary + "0800\nETH: Type   : 0800 DOD INTERNET PROTOCOL IP\nETH: DATA   : " + kIndent + "\n\n"},
    });
}

TEST(EthernetText, DataRowsOfTwentyFourOctets) {
    std::string data;
    std::string row;
    for (int i = 0; i < 25; ++i) {
        char octet[4];
        std::snprintf(octet, sizeof octet, "%02x ", i);
        data += octet;
        if (i < 24) row += octet;
    }
    const std::string head = kSummary + "0800\nETH: Type   : 0800 DOD INTERNET PROTOCOL IP\nETH: DATA   : ";
    Check({
        {"24 data octets end in an indent", D, kAddresses + "0800" + data.substr(0, 72),
         head + kIndent + row + kIndent + "\n\n"},
        {"the 25th goes on the next row", D, kAddresses + "0800" + data,
         head + kIndent + row + kIndent + "18 \n\n"},
    });
}

TEST(EthernetText, ShortFramesShowTheOctetsTheyHold) {
    Check({
        {"no octets", D | H, "", "\nHEX TRACE:" + kIndent + "\n\n"},
        {"part of the destination", S, "01 80 c2", "  DST  01 80 c2 \n"},
        {"destination whole", D, "01 80 c2 00 00 00", "  DST  01 80 c2 00 00 00 \n\n"},
        {"one source octet", S, "01 80 c2 00 00 00 aa", "  DST  01 80 c2 00 00 00   SRC  aa \n"},
        {"first type octet only", D, kAddresses + " 08", kSummary + "08\n\n"},
    });
}

// The detail line of a frame whose type/length octets give value.
std::string TypeLine(uint32_t value) {
    char frame[64];
    std::snprintf(frame, sizeof frame, "%s %02x %02x", kAddresses.c_str(), value >> 8, value & 0xff);
    const std::string text = DecodeHex(DecodeEthernet, D, frame);
    const std::string label = "\nETH: Type   : ";
    const std::size_t start = text.find(label);
    if (start == std::string::npos) return "";
    const std::size_t end = text.find('\n', start + 1);
    return text.substr(start + label.size(), end - start - label.size());
}

// With DECODE_EXTENDED each VLAN tag (tag protocol identifier, then
// priority (3 bits) | DEI (1 bit) | VLAN id (12 bits)) gets its line and the
// type behind it; the data field starts behind the last type.
TEST(EthernetText, VlanTagsWithTheExtendedFlag) {
    const uint32_t X = DECODE_EXTENDED;
    const std::string customerTag = std::string("\nETH: Type   : 8100 ") + EtherTypeName(0x8100);
    const std::string serviceTag = std::string("\nETH: Type   : 88a8 ") + EtherTypeName(0x88A8);
    const std::string arpType = "\nETH: Type   : 0806 ADDRESS RESOLUTION PROTOCOL ARP";
    Check({
        {"an 802.1Q tag", D | X, kAddresses + " 81 00 a0 1e 08 06 00 01",
         kSummary + "8100" + customerTag + "\nETH: VLAN   : Priority 5, DEI 0, VLAN ID 30" + arpType +
             "\nETH: DATA   : " + kIndent + "00 01 \n\n"},
        {"without the flag the tag is data", D, kAddresses + " 81 00 a0 1e 08 06 00 01",
         kSummary + "8100" + customerTag + "\nETH: DATA   : " + kIndent + "a0 1e 08 06 00 01 \n\n"},
        {"an 802.1ad tag and an 802.1Q tag", D | X, kAddresses + " 88 a8 0f ff 81 00 70 14 08 06",
         kSummary + "88a8" + serviceTag + "\nETH: VLAN   : Priority 0, DEI 0, VLAN ID 4095" + customerTag +
             "\nETH: VLAN   : Priority 3, DEI 1, VLAN ID 20" + arpType + "\nETH: DATA   : " + kIndent + "\n\n"},
        {"a tag cut short is data", D | X, kAddresses + " 81 00 a0 1e 08",
         kSummary + "8100" + customerTag + "\nETH: DATA   : " + kIndent + "a0 1e 08 \n\n"},
        {"the summary keeps the outer type", S | X, kAddresses + " 81 00 a0 1e 08 06", kSummary + "8100\n"},
    });
}

TEST(EtherTypeNames, ValuesAndRangeBoundaries) {
    const struct {
        uint32_t value;
        const char* name;
    } cases[] = {
        {0x0800, "DOD INTERNET PROTOCOL IP"},
        {0x0806, "ADDRESS RESOLUTION PROTOCOL ARP"},
        {0x8137, "NOVELL OLD NETWARE IPX ECONFIG E OPTION"},
        {0x86dd, "IP VERSION 6"},
        // The 802.3 length range, and what it hides.
        {0x0000, "IEEE802.3 Length"},
        {0x002e, "IEEE802.3 Length"},
        {0x0150, "IEEE802.3 Length"},  // inside "Experimental", the earlier row wins
        {0x0101, "IEEE802.3 Length"},
        {0x01ff, "IEEE802.3 Length"},
        {0x0200, "IEEE802.3 Length"},  // a single-value row too: the range wins
        {0x0201, "IEEE802.3 Length"},
        {0x0400, "IEEE802.3 Length"},
        {0x05dc, "IEEE802.3 Length"},
        {0x05dd, "Unknown"},
        {0x0600, "XEROX NS IDP"},
        // Range rows at and beside their bounds.
        {0x0887, "Unknown"},
        {0x0888, "Xyplex"},
        {0x0889, "Xyplex"},
        {0x088a, "Xyplex"},
        {0x088b, "Unknown"},
        {0x1000, "BERKELEY TRAILER NEGOTIATION"},
        {0x1001, "Berkeley Trailer encapsulation for IP"},
        {0x100f, "Berkeley Trailer encapsulation for IP"},
        {0x1010, "Unknown"},
        {0x600f, "Unknown"},
        {0x6010, "3Com Corporation"},
        {0x6014, "3Com Corporation"},
        {0x6015, "Unknown"},
        {0x701f, "Unknown"},
        {0x7020, "LRT"},
        {0x7029, "LRT"},
        {0x7030, "RACAL INTERLAN"},
        {0x806d, "COMPUGRAPHIC CORPORATION"},
        {0x806e, "Landmark Graphics Corporation"},
        {0x8077, "Landmark Graphics Corporation"},
        {0x8078, "Unknown"},
        {0x807c, "MERIT INTERNODAL OR UNIV OF MICHIGAN"},
        {0x807d, "Vitalink Communications"},
        {0x807f, "Vitalink Communications"},
        {0x8080, "VITALINK TRANSLAN III MANAGEMENT"},
        {0x8081, "Counterpoint Computers"},
        {0x8083, "Counterpoint Computers"},
        {0x8084, "Unknown"},
        {0x8087, "Unknown"},
        {0x8088, "Xyplex"},
        {0x808a, "Xyplex"},
        {0x808b, "Unknown"},
        {0x809b, "ETHERTALK APPLETALK OVER ETHERNET"},
        {0x809c, "Datability"},
        {0x809e, "Datability"},
        {0x809f, "SPIDER SYSTEMS LTD"},
        {0x80a3, "NIXDORF COMPUTERS"},
        {0x80a4, "Siemens Gammasonics Inc."},
        {0x80b3, "Siemens Gammasonics Inc."},
        {0x80b4, "Unknown"},
        {0x80bf, "Unknown"},
        {0x80c0, "DCA"},  // a single-value row too: the range wins
        {0x80c3, "DCA"},
        {0x80c4, "Unknown"},
        {0x80c7, "APPLITEK CORPORATION"},
        {0x80c8, "Intergraph Corporation"},
        {0x80cc, "Intergraph Corporation"},
        {0x80cd, "Harris Corporation"},
        {0x80ce, "Harris Corporation"},
        {0x80cf, "Taylor Instrument"},
        {0x80d2, "Taylor Instrument"},
        {0x80d3, "Rosemount Corporation"},
        {0x80d4, "Rosemount Corporation"},
        {0x80d5, "IBM SNA SERVICES OVER ETHERNET"},
        {0x80dd, "VARIAN ASSOCIATES"},
        {0x80de, "TRFS"},
        {0x80df, "TRFS"},
        {0x80e0, "Allen-Bradley"},
        {0x80e3, "Allen-Bradley"},
        {0x80e4, "Datability"},
        {0x80f0, "Datability"},
        {0x80f1, "Unknown"},
        {0x80f3, "APPLETALK ADDRESS RESOLUTION PROTOCOL AARP"},
        {0x80f4, "Kinetics"},
        {0x80f5, "Kinetics"},
        {0x80f6, "Unknown"},
        {0x80fe, "Unknown"},
        {0x80ff, "Wellfleet Communications"},
        {0x8101, "Wellfleet Communications"},
        {0x8102, "WELLFLEET BOFL BREATH OF LIFE PKTS"},
        {0x8106, "Unknown"},
        {0x8107, "Symbolics Private"},
        {0x8109, "Symbolics Private"},
        {0x810a, "Unknown"},
        {0x8138, "NOVELL_INC"},
        {0x8139, "KTI"},
        {0x813d, "KTI"},
        {0x813e, "Unknown"},
        {0x8202, "Unknown"},
        {0x8203, "QNX Software Systems Ltd."},
        {0x8205, "QNX Software Systems Ltd."},
        {0x8206, "Unknown"},
        // Single values out of key order, the duplicate key, the extremes.
        {0x817d, "XTP"},
        {0x8191, "POWERLAN NETBIOS NETBEUI PC"},
        {0x7003, "UNGERMANN BASS NMC TO FROM_ B BRIDGE"},
        {0x3c03, "3COM NBP CONNECT REPSONSE"},
        {0xff00, "BBN VITAL LANBRIDGE CACHE WAKEUPS"},
        {0xfffe, "Unknown"},
        {0xffff, "Unknown"},
    };
    for (const auto& c : cases) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04x ", c.value);
        EXPECT_EQ(TypeLine(c.value), digits + std::string(c.name)) << std::hex << c.value;
    }
}

TEST(EtherTypeNames, NameEtherTypeCopiesTheNameWithNothingAfterIt) {
    const struct {
        uint32_t value;
        const char* name;
    } cases[] = {{0x0806, "ADDRESS RESOLUTION PROTOCOL ARP"}, {0x05dc, "IEEE802.3 Length"}, {0x1234, "DCA MULTICAST"},
                 {0xabcd, "Unknown"}, {0x10000, "Unknown"}};
    for (const auto& c : cases) {
        char out[80];
        std::fill(std::begin(out), std::end(out), '#');
        TextWriter w(out, sizeof out);
        const int n = NameEtherType(c.value, w);
        EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), c.name);
        EXPECT_EQ(w.Position(), n);
        EXPECT_EQ(out[n], '#');
    }
}

TEST(EtherTypeNames, TablesKeepTheirRowsAndOrder) {
    EXPECT_EQ(std::size(EtherTypeRangeTable), 25u);
    EXPECT_EQ(std::size(EtherTypeNameTable), 158u);
    // The second row for 0x7003 stays, right behind the first, and is never found.
    int found = 0;
    int row = 0;
    FindValueName(EtherTypeNameTable, 0x7003, found, row);
    EXPECT_EQ(EtherTypeNameTable[row + 1].key, 0x7003u);
    EXPECT_STREQ(EtherTypeNameTable[row + 1].text, "UNGERMANN BASS BRIDGE SPANNING TREE");
    // Every text is upper case.
    for (const ValueName& v : EtherTypeNameTable) {
        for (const char* p = v.text; *p != '\0'; ++p) EXPECT_FALSE(*p >= 'a' && *p <= 'z') << v.text;
    }
}

}  // namespace
}  // namespace korvex
