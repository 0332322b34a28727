// Protocol names as users type them: in any case, and by the other names the
// protocols go by, in every command of the tool and in the exported lookup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_files.h"
#include "korvex/korvex.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::ToolOutcome;

struct NameCase {
    const char* typed;
    const char* name;  // the library's own name
    test::Entry entry;
    const char* frame;
    const char* sample;  // a trace of the protocol's frames
};

const NameCase kNames[] = {
    {"LAPD", "lapd", DecodeLapd, "02 81 01 07 1a 2b", "lapd.txt"},
    {"q921", "lapd", DecodeLapd, "02 81 01 07 1a 2b", "lapd.txt"},
    {"Q921", "lapd", DecodeLapd, "02 81 01 07 1a 2b", "lapd.txt"},
    {"LapF", "lapf", DecodeLapf, "18 11 03 1a 2b", "q922.txt"},
    {"q922", "lapf", DecodeLapf, "18 11 03 1a 2b", "q922.txt"},
    {"Q922", "lapf", DecodeLapf, "18 11 03 1a 2b", "q922.txt"},
    {"Q931", "q931", DecodeQ931, "08 01 01 45 08 02 80 90", "q931.txt"},
    {"X25", "x25", DecodeX25, "10 01 13 0d 43", "x25.txt"},
    {"ETH", "eth", DecodeEthernet, "ffffffffffff 001b213a4c5d 0806 0001", "eth.txt"},
    {"ethernet", "eth", DecodeEthernet, "ffffffffffff 001b213a4c5d 0806 0001", "eth.txt"},
    {"Ethernet", "eth", DecodeEthernet, "ffffffffffff 001b213a4c5d 0806 0001", "eth.txt"},
    {"IP", "ip", DecodeIp, "4500001c 00010000 4001 0000 0a000001 0a000002 0800f7fe 00010000", "ip.txt"},
    {"ipv4", "ip", DecodeIp, "4500001c 00010000 4001 0000 0a000001 0a000002 0800f7fe 00010000", "ip.txt"},
    {"IPv4", "ip", DecodeIp, "4500001c 00010000 4001 0000 0a000001 0a000002 0800f7fe 00010000", "ip.txt"},
};

TEST(ProtocolNames, AnyCaseAndOtherNamesReachTheSameDecoderInEveryCommand) {
    for (const NameCase& c : kNames) {
        const std::vector<unsigned char> octets = test::Octets(c.frame);
        const std::string expected = test::DecodeHex(c.entry, DECODE_DETAIL, c.frame, "00:00.000");

        const ToolOutcome decoded = test::RunTool({"decode", c.typed, "--detail", c.frame});
        EXPECT_EQ(decoded.status, 0) << c.typed << ": " << decoded.err;
        EXPECT_EQ(decoded.out, expected) << c.typed;

        const std::string sample = std::string(KORVEX_SAMPLES_DIR) + "/" + c.sample;
        const ToolOutcome replayed = test::RunTool({"replay", c.typed, sample, "--detail"});
        EXPECT_EQ(replayed.status, 0) << c.typed << ": " << replayed.err;
        EXPECT_EQ(replayed.out, test::RunTool({"replay", c.name, sample, "--detail"}).out) << c.typed;

        // A user link type: decoded as captured, by the protocol named.
        const ToolOutcome captured = test::RunTool({"pcap", "-", "--protocol", c.typed, "--detail"},
                                                   test::PcapBytes(147, {{0, 0, octets}}));
        EXPECT_EQ(captured.status, 0) << c.typed << ": " << captured.err;
        EXPECT_EQ(captured.out, expected) << c.typed;

        EXPECT_EQ(KorvexFindDecoder(c.typed), c.entry) << c.typed;
    }
}

TEST(ProtocolNames, TheNameTypedActsAsTheLibrarysOwnName) {
    // A LAPF reading of a LAPD capture gets the FCS filled in as for "lapf";
    // --ip follows an Ethernet frame given as "ethernet" into its datagram.
    const std::vector<unsigned char> lapf = test::Octets("18 41 7f");  // address 18 41, SABME 7f, no FCS
    const std::string ethernetIp =
        "0002b3c4d5e6 001b213a4c5d 0800 4500001c 00010000 4001 0000 0a000001 0a000002 0800f7fe 00010000";
    const struct {
        std::vector<std::string> args;
        int dlt;
        std::vector<unsigned char> octets;
        std::vector<std::string> same;  // the command with the library's names
    } cases[] = {
        {{"--protocol", "Q922"}, 203, lapf, {"--protocol", "lapf"}},
        {{"--protocol", "ETHERNET", "--ip"}, 147, test::Octets(ethernetIp), {"--protocol", "eth", "--ip"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> typed = {"pcap", "-", "--detail"};
        std::vector<std::string> own = typed;
        typed.insert(typed.end(), c.args.begin(), c.args.end());
        own.insert(own.end(), c.same.begin(), c.same.end());
        const std::string capture = test::PcapBytes(c.dlt, {{0, 0, c.octets}});
        const ToolOutcome r = test::RunTool(typed, capture);
        EXPECT_EQ(r.status, 0) << c.args[1] << ": " << r.err;
        EXPECT_EQ(r.out, test::RunTool(own, capture).out) << c.args[1];
    }
}

TEST(ProtocolNames, OtherNamesAreUsageErrorsThatListTheAcceptedOnes) {
    const std::vector<std::vector<std::string>> commands = {
        {"decode", "NAME", "00"},
        {"replay", "NAME", "-"},
        {"pcap", "-", "--protocol", "NAME"},
    };
    for (const char* name : {"q.921", "ipv7", "ether", "lapd ", "q9210", "", "x.25"}) {
        for (std::vector<std::string> args : commands) {
            for (std::string& a : args) {
                if (a == "NAME") a = name;
            }
            const ToolOutcome r = test::RunTool(args);
            EXPECT_EQ(r.status, 2) << args[0] << " '" << name << "'";
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find(std::string("korvex: ")), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(std::string(name) + " not in {lapd,lapf,q931,x25,eth,ip,ipv6} (any case, q921 = lapd, "
                                                     "q922 = lapf, ethernet = eth, ipv4 = ip)"),
                      std::string::npos)
                << r.err;
        }
        EXPECT_EQ(KorvexFindDecoder(name), nullptr) << name;
    }
}

}  // namespace
}  // namespace korvex
