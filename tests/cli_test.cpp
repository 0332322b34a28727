// The korvex command-line tool, driven as a user drives it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "capture_files.h"
#include "cli/commands.h"
#include "decoders/q931/ie_decoders.h"
#include "test_support.h"

namespace korvex {
namespace {

using Outcome = test::ToolOutcome;

Outcome Korvex(std::vector<std::string> args, const std::string& input = "", bool terminal = false) {
    return test::RunTool(std::move(args), input, terminal);
}

const char* kS = "02 81 01 07 1a 2b";
const char* kU = "fc ff 03 1a 2b";

TEST(KorvexDecode, HexArgumentsInAnyOrderFormOneFrame) {
    const std::string expected = test::DecodeHex(DecodeLapd, DECODE_DETAIL | DECODE_HEX, kS, "00:00.000");
    const std::vector<std::vector<std::string>> spellings = {
        {"decode", "lapd", "--detail", "--hex", "0281", "0107", "1a2b"},
        {"decode", "lapd", "0281", "--hex", "01071A2B", "--detail"},
        {"decode", "--detail", "lapd", "02 81 01 07 1a 2b", "--flags", "0x04"},
        {"decode", "lapd", "--flags", "6", "02", "81", "01", "07", "1a", "2b"},
    };
    for (const auto& args : spellings) {
        const Outcome r = Korvex(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, expected) << args[3];
        EXPECT_EQ(r.err, "");
    }
}

TEST(KorvexDecode, EachProtocolNameReachesItsDecoder) {
    const struct {
        const char* name;
        test::Entry entry;
        const char* frame;
    } cases[] = {
        {"lapd", DecodeLapd, "02 81 01 07 1a 2b"},
        {"lapf", DecodeLapf, "18 11 03 1a 2b"},
        {"eth", DecodeEthernet, "ffffffffffff 001b213a4c5d 0806 0001"},
        {"ip", DecodeIp, "4500001c 00010000 4001 0000 0a000001 0a000002 0800f7fe 00010000"},
    };
    for (const auto& c : cases) {
        const Outcome r = Korvex({"decode", c.name, "--detail", c.frame});
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.out, test::DecodeHex(c.entry, DECODE_DETAIL, c.frame, "00:00.000")) << c.name;
        // Only the protocol's own decoder writes this text.
        for (const auto& other : cases) {
            if (other.entry != c.entry) {
                EXPECT_NE(r.out, test::DecodeHex(other.entry, DECODE_DETAIL, c.frame, "00:00.000")) << c.name;
            }
        }
    }
}

TEST(KorvexDecode, FlagsByDefaultAndAsGiven) {
    const struct {
        std::vector<std::string> options;
        uint32_t flags;
    } cases[] = {
        {{}, DECODE_SUMMARY},
        {{"--flags", "0"}, 0},
        {{"--flags", "0x0A"}, 0x0a},
        {{"--flags", "10"}, 0x0a},
        {{"--layer3"}, DECODE_LAYER3},
        {{"--flags", "0x80"}, 0x80},  // passed unchanged: LAPF reading
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"decode", "lapd"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("18 11 03 1a 2b");
        const Outcome r = Korvex(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, test::DecodeHex(DecodeLapd, c.flags, "18 11 03 1a 2b", "00:00.000"));
    }
}

TEST(KorvexDecode, StandardInputLinesAreFramesSeparatedByNul) {
    const std::string input = std::string(kS) + "\r\n   \n\n" + "FCFF031A2B\n0281 0107 1A2B";
    const Outcome r = Korvex({"decode", "lapd", "--null", "--timestamp", "12:01.250"}, input);
    EXPECT_EQ(r.status, 0);
    const std::string s = test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kS, "12:01.250");
    const std::string u = test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kU, "12:01.250");
    EXPECT_EQ(r.out, s + '\0' + u + '\0' + s + '\0');
}

TEST(KorvexDecode, TheTimestampIsWrittenAsGiven) {
    for (const std::string ts : {"", "%d%s%n%%x", "23:59.999 \xe9", "a very long timestamp text"}) {
        const Outcome r = Korvex({"decode", "lapf", "--timestamp", ts, kU});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, ts + test::DecodeHex(DecodeLapf, DECODE_SUMMARY, kU));
    }
}

TEST(KorvexDecode, X25PacketsAsTheDecoderWritesThem) {
    const char* rr = "10 05 21";
    const char* clear = "10 01 13 0d 43";
    const struct {
        std::vector<std::string> args;
        std::string input;
        std::string out;
    } cases[] = {
        {{"decode", "x25", "100521"}, "", "00:00.000  GFI 01  LGN 00  LCN 05  RR             \n"},
        {{"decode", "x25", "--detail", "--hex", "10", "01", "13", "0D43"}, "",
         test::DecodeHex(DecodeX25, DECODE_DETAIL | DECODE_HEX, clear, "00:00.000")},
        // Embedded: no timestamp, no summary, no closing line end; --null
        // still marks the end of each packet's text.
        {{"decode", "x25", "--flags", "0x42", "--null"}, std::string(rr) + "\n" + clear + "\n",
         test::DecodeHex(DecodeX25, 0x42, rr, nullptr) + '\0' + test::DecodeHex(DecodeX25, 0x42, clear, nullptr) +
             '\0'},
        {{"decode", "x25", "--timestamp", "09:59.999", "--layer3"}, "1a\n\n1a07\n",
         "09:59.999  GFI 01  LGN 0a\n09:59.999  GFI 01  LGN 0a  LCN 07\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = Korvex(c.args, c.input);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[2];
        EXPECT_EQ(r.err, "");
    }
    const Outcome replay = Korvex({"replay", "x25", std::string(KORVEX_SAMPLES_DIR) + "/x25.txt", "--detail"});
    EXPECT_EQ(replay.status, 0);
    EXPECT_NE(replay.out.find("  LCN 20  CLEAR          \nX25: GFI    : 01"), std::string::npos);
    EXPECT_NE(replay.out.find("\nX25: Cause  : 0d NOT OBTAINABLE\nX25: DIAG   : 43 INVALID CALLED DTE_ADDRESS\n"),
              std::string::npos);
}

TEST(KorvexDecode, ABadInputLineIsReportedAndSkipped) {
    const Outcome r = Korvex({"decode", "lapd"}, std::string(kS) + "\nzz 01\n0 1\n" + kU + "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, test::DecodeHex(DecodeLapd, 1, kS, "00:00.000") + test::DecodeHex(DecodeLapd, 1, kU, "00:00.000"));
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 3"), std::string::npos) << r.err;
}

TEST(KorvexDecode, ABadHexArgumentIsReported) {
    const Outcome r = Korvex({"decode", "lapd", "02", "8g"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("8g"), std::string::npos);
}

TEST(Korvex, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"decode"},
        {"decode", "x.400", "00"},
        {"decode", "lapd", "--bogus", "00"},
        {"decode", "lapd", "--flags", "0xZZ", "00"},
        {"decode", "lapd", "--flags", "99999999999", "00"},
        {"replay", "lapd"},
        {"replay", "lapd", "f.txt", "--color=sometimes"},
        {"pcap"},
        {"pcap", "c.pcap", "--protocol", "x.400"},
        {"pcap", "c.pcap", "--flags", "0x"},
        {"convert", "c.pcap"},
        {"convert", "t.txt", "c.pcap", "--linktype", "999"},
        {"convert", "t.txt", "c.pcap", "--linktype", "lapd"},
        {"frobnicate"},
    };
    for (const auto& args : cases) {
        const Outcome r = Korvex(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("korvex: "), std::string::npos);
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << r.err;
    }
}

TEST(Korvex, HelpAndVersion) {
    Outcome help = Korvex({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("decode"), std::string::npos);
    EXPECT_NE(help.out.find("replay"), std::string::npos);
    EXPECT_NE(help.out.find("pcap"), std::string::npos);
    EXPECT_NE(help.out.find("convert"), std::string::npos);
    Outcome pcapHelp = Korvex({"pcap", "--help"});
    EXPECT_EQ(pcapHelp.status, 0);
    EXPECT_NE(pcapHelp.out.find("--no-fcs-fill"), std::string::npos);
    EXPECT_NE(pcapHelp.out.find("CRC-16"), std::string::npos) << "the FCS fill is explained";
    Outcome decodeHelp = Korvex({"decode", "--help"});
    EXPECT_EQ(decodeHelp.status, 0);
    EXPECT_NE(decodeHelp.out.find("--timestamp"), std::string::npos);
    Outcome version = Korvex({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("korvex ", 0), 0u);
}

std::string Trace() {
    return "Frame                   12:01.250\nLength: 6          U\nhdr\n0000: 02 81 01 07 1A 2B  ......\n\n"
           "Frame                   12:01.300\nLength: 5          N\nhdr\n0000: FC FF 03 1A 2B  .....\n\n";
}

// calls, stats and report end their input alike: a trace's notes name what
// each does with the frames ("read", "counted"), and an input without frames
// is said why. The report page holds what could be read and the same notes
// at its top.
TEST(KorvexCallsAndStats, TheEndOfTheFramesIsReported) {
    const std::string frame = "Frame                   12:01.250\nLength: 6          U\nhdr\n0000: 02 81 01 07 1A 2B\n\n";
    const std::string halfPair = "Frame                   12:01.300\nLength: 6          U\nhdr\n0000: 02 81 01 07 1A 2\n\n";
    const std::string noOctets = "Frame                   12:01.350\nLength: 0          U\nhdr\n\n";
    const struct {
        const char* name;
        std::string input;
        int status;
        std::string err;  // ACTION stands for the command's word
    } cases[] = {
        {"a trace with a faulty data line", frame + halfPair, 0,
         "korvex: standard input: 1 data line stops at a character that is not a hex digit pair (the first is line "
         "9); the rest of that line was not read\n"},
        {"a trace whose last frame is unfinished", frame + "Frame\nLength: 6\n", 0,
         "korvex: standard input: line 6: the last frame has no closing empty line; it was not ACTION\n"},
        {"text without a frame", "hello\n", 1, "korvex: standard input: no frame found"},
        {"a trace whose frames hold no octets", noOctets, 1,
         "korvex: standard input: no frame to decode: 1 frame holds no octets\n"},
        {"a capture without frames", test::PcapBytes(203, {}), 1, "korvex: standard input: the capture holds no frame\n"},
    };
    for (const auto& c : cases) {
        for (const std::string command : {"calls", "stats", "report"}) {
            std::vector<std::string> args = {command, "-", "--protocol", "lapd"};
            if (command == "report") args.insert(args.end(), {"-o", "-"});
            const Outcome outcome = Korvex(args, c.input);
            std::string expected = c.err;
            if (const auto at = expected.find("ACTION"); at != std::string::npos) {
                expected.replace(at, 6, command == "stats" ? "counted" : "read");
            }
            EXPECT_EQ(outcome.status, c.status) << c.name << ", " << command << "\n" << outcome.err;
            EXPECT_NE(outcome.err.find(expected), std::string::npos) << c.name << ", " << command << "\n" << outcome.err;
            if (command == "report") {
                // The page's data holds the messages as one JSON string.
                const std::string line = expected.substr(0, expected.find('\n'));
                const std::size_t messages = outcome.out.find("\"messages\":\"korvex: ");
                EXPECT_NE(messages, std::string::npos) << c.name;
                EXPECT_LT(outcome.out.find(line, messages), outcome.out.find("\"stats\":", messages)) << c.name;
                EXPECT_NE(outcome.out.find("</html>"), std::string::npos) << c.name;
            }
        }
    }
}

// korvex report's errors: what is missing or wrong on the command line is a
// usage error (2); an input or output that cannot be had is 1, and no page.
TEST(KorvexReport, ErrorsAreReported) {
    const std::string sample = std::string(KORVEX_SAMPLES_DIR) + "/lapd.txt";
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {
        {"no output", {"report", sample}, 2, "korvex: --output is required"},
        {"no input", {"report", "-o", "/tmp/korvex-report-none.html"}, 2, "korvex: FILE is required"},
        {"an unknown protocol", {"report", sample, "--protocol", "x.400", "-o", "-"}, 2, "korvex: --protocol: "},
        {"a bad selection", {"report", sample, "--where", "sapi ==", "-o", "-"}, 2, "korvex: --where: "},
        {"an unreadable input", {"report", "/nonexistent/trace.txt", "-o", "-"}, 1,
         "korvex: cannot open /nonexistent/trace.txt: No such file or directory\n"},
        {"a folder as input", {"report", "/", "-o", "-"}, 1, "korvex: cannot open /: Is a directory\n"},
        {"an output that cannot be made", {"report", sample, "-o", "/nonexistent/page.html"}, 1,
         "korvex: cannot create /nonexistent/page.html: No such file or directory\n"},
        {"a first frame of no protocol korvex tells", {"report", "-", "-o", "-"}, 1,
         "its first frame is not LAPD, LAPF, Q.931 or X.25 as far as korvex can tell; give --protocol\n"},
    };
    const std::string notLink = "Frame                   12:01.250\nLength: 4          U\nhdr\n0000: 45 00 00 14\n\n";
    for (const auto& c : cases) {
        const Outcome r = Korvex(c.args, notLink);
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.name << "\n" << r.err;
        EXPECT_EQ(r.out, "") << c.name;
    }
}

TEST(KorvexReplay, StandardInputAndColours) {
    const std::string s = test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kS, "12:01.250");
    const std::string u = test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kU, "12:01.300");
    const Outcome plain = Korvex({"replay", "lapd", "-"}, Trace(), true);
    EXPECT_EQ(plain.status, 0);
    EXPECT_NE(plain.out.find("\x1b[38;2;12;1;227m" + s.substr(0, s.size() - 1) + "\x1b[0m\n"), std::string::npos)
        << "a terminal gets the user side in blue";
    EXPECT_NE(plain.out.find("\x1b[38;2;35;108;18m" + u.substr(0, u.size() - 1) + "\x1b[0m\n"), std::string::npos);
    EXPECT_EQ(Korvex({"replay", "lapd", "-", "--color=never"}, Trace(), true).out, s + u);
    EXPECT_EQ(Korvex({"replay", "lapd", "-"}, Trace(), false).out, s + u);
    EXPECT_NE(Korvex({"replay", "lapd", "-", "--color=always"}, Trace(), false).out.find("\x1b["),
              std::string::npos);
}

TEST(KorvexReplay, AnUnreadableFileIsReported) {
    const Outcome r = Korvex({"replay", "lapd", "/nonexistent/trace.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "korvex: cannot open /nonexistent/trace.txt: No such file or directory\n");
    const Outcome dir = Korvex({"replay", "lapd", "/"});
    EXPECT_EQ(dir.status, 1);
    EXPECT_EQ(dir.err, "korvex: cannot open /: Is a directory\n");
}

TEST(KorvexReplay, TheBundledSampleDecodesWithDetail) {
    const Outcome r = Korvex({"replay", "lapf", std::string(KORVEX_SAMPLES_DIR) + "/q922.txt", "--detail", "--hex"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nLAPD: DLCI: 00000064\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nHEX TRACE:\n      "), std::string::npos);
}

// The call control sample shows every message type on a summary line and
// every element whose contents are decoded on an element line, with lines
// of its own behind it.
TEST(KorvexReplay, TheCallControlSampleHoldsEveryMessageTypeAndElement) {
    const std::string sample = std::string(KORVEX_SAMPLES_DIR) + "/q931.txt";
    const Outcome summary = Korvex({"replay", "q931", sample});
    ASSERT_EQ(summary.status, 0) << summary.err;
    for (const ValueName& type : kQ931MessageTypes) {
        EXPECT_NE(summary.out.find(std::string("    ") + type.text + "\n"), std::string::npos) << type.text;
    }
    const Outcome detail = Korvex({"replay", "q931", sample, "--detail"});
    ASSERT_EQ(detail.status, 0) << detail.err;
    for (std::size_t row = 0; row < std::size(kQ931ElementNames); ++row) {
        const ValueName& element = kQ931ElementNames[row];
        // A reserved octet is no element; an escape's contents are not decoded.
        if (element.key == 0x80 || element.key == 0x7F) continue;
        std::string line = std::string("\nQ931: IE: ") + element.text + "\n";
        // Shift, congestion level, repeat indicator and every element with
        // a decoder are followed by lines of their own.
        const bool ownLines = element.key == 0x90 || element.key == 0xB0 || element.key == 0xD0 ||
                              IeDecoderTable[row] != DecodeIeNone;
        if (ownLines) line += "Q931: ";
        EXPECT_NE(detail.out.find(line), std::string::npos) << element.text;
    }
}

}  // namespace
}  // namespace korvex
