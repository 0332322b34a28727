// The tool's --where, --frames, --bpf, --direction and stats: which frames
// each shows, on the samples and on captures and traces the tests write, and
// the usage errors that point into the expression.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "capture_files.h"
#include "cli/parted_replay.h"
#include "replay/trace_writer.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::RunTool;

const std::string kSamples = KORVEX_SAMPLES_DIR;

// The frame numbers of the tool's --json output, blank-separated.
std::string FrameNumbers(const std::string& json) {
    static const std::regex kNumber("^\\{\"frame\":([0-9]+),");
    std::string numbers;
    std::istringstream lines(json);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_search(line, m, kNumber)) numbers += (numbers.empty() ? "" : " ") + m[1].str();
    }
    return numbers;
}

// An Ethernet frame with an IPv4 datagram of protocol proto (6 TCP, 17 UDP)
// from 10.0.0.<from> to 10.0.0.<to> between the two ports.
std::vector<unsigned char> EthernetIp(int proto, int from, int to, int sport, int dport) {
    std::vector<unsigned char> f = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x08, 0x00,
                                    0x45, 0, 0, 40, 0, 1, 0, 0, 64, static_cast<unsigned char>(proto), 0, 0,
                                    10, 0, 0, static_cast<unsigned char>(from), 10, 0, 0, static_cast<unsigned char>(to)};
    for (int port : {sport, dport}) {
        f.push_back(static_cast<unsigned char>(port >> 8));
        f.push_back(static_cast<unsigned char>(port & 0xFF));
    }
    f.resize(54, 0);
    return f;
}

std::string TestCapture() {
    std::vector<test::CaptureRecord> records;
    const int kFrames[][4] = {{17, 1, 53, 53}, {6, 2, 1234, 80}, {6, 3, 80, 1234}, {17, 4, 5000, 53},
                              {6, 5, 2000, 443}, {17, 6, 53, 5000}, {6, 7, 1234, 80}};
    int n = 0;
    for (const auto& f : kFrames) {
        records.push_back({1700000000 + n, 0, EthernetIp(f[0], f[1], 99, f[2], f[3])});
        ++n;
    }
    return test::PcapBytes(1, records);
}

TEST(SelectTool, FramesEachOptionShows) {
    const std::string lapd = kSamples + "/lapd.txt";
    struct Case {
        std::vector<std::string> args;
        std::string input;  // standard input, for a capture
        const char* frames;
    };
    const std::string capture = TestCapture();
    const std::vector<Case> cases = {
        {{"replay", "lapd", lapd, "--frames", "3-5"}, "", "3 4 5"},
        {{"replay", "lapd", lapd, "--frames", "-2"}, "", "1 2"},
        {{"replay", "lapd", lapd, "--frames", "4-4"}, "", "4"},
        {{"replay", "lapd", lapd, "--frames", "2-6", "--where", "dir == U"}, "", "3 5"},
        {{"replay", "lapd", lapd, "--where", "sapi == 63"}, "", "1 2 23 24"},
        {{"pcap", "-", "--ip", "--where", "ipproto == 17"}, capture, "1 4 6"},
        {{"pcap", "-", "--ip", "--bpf", "udp"}, capture, "1 4 6"},
        {{"pcap", "-", "--ip", "--bpf", "tcp", "--where", "dport == 80 or sport == 80"}, capture, "2 3 7"},
        {{"pcap", "-", "--ip", "--where", "src in {10.0.0.2, 10.0.0.5} or dport >= 5000"}, capture, "2 5 6"},
        {{"pcap", "-", "--ip", "--frames", "5-", "--bpf", "port 53"}, capture, "6"},
        {{"pcap", "-", "--ip", "--where", "not dst == 10.0.0.99"}, capture, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--json");
        const test::ToolOutcome r = RunTool(args, c.input);
        EXPECT_EQ(r.status, 0) << args[3] << r.err;
        EXPECT_EQ(FrameNumbers(r.out), c.frames) << testing::PrintToString(c.args);
    }
}

TEST(SelectTool, DirectionTagsEachSummaryLine) {
    const test::ToolOutcome plain = RunTool({"replay", "lapd", kSamples + "/lapd.txt", "--detail", "--frames", "1-3"});
    const test::ToolOutcome tagged =
        RunTool({"replay", "lapd", kSamples + "/lapd.txt", "--detail", "--frames", "1-3", "--direction"});
    ASSERT_EQ(tagged.status, 0);
    // The summaries of frames 1 to 3 (U, N, U in the sample) gain their tag;
    // no other line changes.
    std::string expected = plain.out;
    std::size_t at = 0;
    for (const char* tag : {"U ", "N ", "U "}) {
        expected.insert(at, tag);
        at = expected.find("\n\n", at) + 2;
    }
    EXPECT_EQ(tagged.out, expected);
    const test::ToolOutcome capture = RunTool({"pcap", "-", "--direction", "--frames", "1"}, TestCapture());
    EXPECT_EQ(capture.out.substr(0, 2), "- ");
}

TEST(SelectTool, UsageErrorsPointIntoTheExpression) {
    const std::string lapd = kSamples + "/lapd.txt";
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"replay", "lapd", lapd, "--where", "tei == 1 and bogus == 3"},
         "korvex: --where: unknown field 'bogus' at column 14\n  tei == 1 and bogus == 3\n               ^\n"},
        {{"pcap", "-", "--where", "sapi =="}, "korvex: --where: expected a value at the end at column 8\n  sapi ==\n         ^\n"},
        {{"calls", lapd, "--where", "msg < SETUP"},
         "korvex: --where: msg is compared by name: only ==, != and in at column 7\n  msg < SETUP\n        ^\n"},
        {{"stats", lapd, "--where", "(tei == 1"}, "korvex: --where: unclosed ( at column 1\n  (tei == 1\n  ^\n"},
        {{"replay", "lapd", lapd, "--frames", "5-3"}, "korvex: --frames 5-3: give A-B, A- or -B"},
        {{"replay", "lapd", lapd, "--frames", "0-3"}, "korvex: --frames 0-3: give A-B, A- or -B"},
        {{"pcap", "-", "--bpf", "tcp port"}, "korvex: --bpf: "},
    };
    for (const Case& c : cases) {
        const test::ToolOutcome r = RunTool(c.args, TestCapture());
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err.substr(0, std::string(c.message).size()), c.message);
        EXPECT_EQ(r.out, "");
    }
}

// A LAPD trace with known trouble on two links, written frame by frame at
// random (fixed seed): TEI 64 sends I frames and sends some again, both
// links see REJ, RNR, FRMR and DM frames, and SABMEs come both on a link
// that is up and on one that is down.
TEST(SelectTool, StatsFindTheTroubleOfAGeneratedTrace) {
    std::ostringstream trace;
    TraceWriter writer(trace);
    std::mt19937 random(2020);
    struct Expected {
        int rej = 0, rnr = 0, frmr = 0, dm = 0, reestablished = 0, repeated = 0;
    } expected[2];
    bool up[2] = {false, false};
    int next = 0;
    int frames = 0;
    auto put = [&](int link, std::vector<unsigned char> octets) {
        octets.insert(octets.begin(), {0x00, static_cast<unsigned char>((64 + link) << 1 | 1)});
        octets.insert(octets.end(), {0x12, 0x34});
        writer.Write("00:01.000", link == 0 ? 'U' : 'N', octets.data(), static_cast<int32_t>(octets.size()));
        ++frames;
    };
    for (int step = 0; step < 3000; ++step) {
        const int link = static_cast<int>(random() % 2);
        Expected& e = expected[link];
        switch (random() % 10) {
        case 0:  // SABME, answered with UA
            if (up[link]) ++e.reestablished;
            put(link, {0x7F});
            put(link, {0x73});
            up[link] = true;
            if (link == 0) next = 0;
            break;
        case 1: put(link, {0x09, 0x02}); ++e.rej; break;
        case 2: put(link, {0x05, 0x02}); ++e.rnr; break;
        case 3: put(link, {0x87, 1, 2, 3}); ++e.frmr; break;
        case 4: put(link, {0x0F}); ++e.dm; up[link] = false; break;
        case 5: put(link, {0x01, 0x02}); break;  // RR
        default:
            if (link != 0 || !up[0]) break;
            // New I frames, then now and then the last one to three again.
            put(0, {static_cast<unsigned char>(next << 1), 0x00, 0x00});
            next = (next + 1) % 128;
            if (random() % 4 == 0) {
                const int again = 1 + static_cast<int>(random() % 3);
                for (int k = again; k >= 1; --k) {
                    put(0, {static_cast<unsigned char>(((next - k + 128) % 128) << 1), 0x00, 0x00});
                    ++e.repeated;
                }
            }
        }
    }
    ASSERT_GT(expected[0].repeated, 50);
    const test::ToolOutcome r = RunTool({"stats", "-", "--protocol", "lapd", "--json"}, trace.str());
    ASSERT_EQ(r.status, 0) << r.err;
    for (int link = 0; link < 2; ++link) {
        const Expected& e = expected[link];
        const std::string object = "\"TEI " + std::to_string(64 + link) + "\":{\"REJ\":" + std::to_string(e.rej) +
                                   ",\"RNR\":" + std::to_string(e.rnr) + ",\"FRMR\":" + std::to_string(e.frmr) +
                                   ",\"DM\":" + std::to_string(e.dm) + ",\"reestablished\":" +
                                   std::to_string(e.reestablished) + ",\"repeated_ns\":" + std::to_string(e.repeated) + "}";
        EXPECT_NE(r.out.find(object), std::string::npos) << object << "\n" << r.out;
    }
    EXPECT_EQ(r.out.substr(0, r.out.find(',')), "{\"frames\":" + std::to_string(frames));
    // The table says the same for people.
    const test::ToolOutcome table = RunTool({"stats", "-", "--protocol", "lapd"}, trace.str());
    char row[160];
    std::snprintf(row, sizeof row, "  %-10s %8d %8d %8d %8d %14d %14d\n", "TEI 64", expected[0].rej, expected[0].rnr,
                  expected[0].frmr, expected[0].dm, expected[0].reestablished, expected[0].repeated);
    EXPECT_NE(table.out.find(row), std::string::npos) << table.out;
    // --where counts the selected frames only, of all that were read.
    const test::ToolOutcome one = RunTool({"stats", "-", "--protocol", "lapd", "--json", "--where", "tei == 65"}, trace.str());
    EXPECT_EQ(one.out.find("\"TEI 64\""), std::string::npos);
    EXPECT_NE(one.out.find("\"frames\":" + std::to_string(frames) + ",\"selected\":"), std::string::npos);
}

TEST(SelectTool, StatsCountTheSamples) {
    const test::ToolOutcome r = RunTool({"stats", kSamples + "/lapd.txt", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Every frame of the sample is in exactly one type count.
    const test::ToolOutcome all = RunTool({"replay", "lapd", kSamples + "/lapd.txt", "--json"});
    const auto lines = std::count(all.out.begin(), all.out.end(), '\n');
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\"type\":\\{\"I\":([0-9]+),\"S\":([0-9]+),\"U\":([0-9]+)\\}")));
    EXPECT_EQ(std::stoi(m[1]) + std::stoi(m[2]) + std::stoi(m[3]), lines);
    EXPECT_NE(r.out.find("\"msg\":{"), std::string::npos);
}

// The text with fn applied to each line (without its line feed; what fn
// gives replaces it, its own line feed included).
std::string EachLine(const std::string& text, std::string (*fn)(const std::string& line, std::size_t index)) {
    std::string out;
    std::size_t index = 0;
    for (std::size_t at = 0; at < text.size(); ++index) {
        const std::size_t feed = std::min(text.find('\n', at), text.size());
        out += fn(text.substr(at, feed - at), index);
        at = feed + 1;
    }
    return out;
}

// Every sample, repeated to span several reads of the tool's trace reader,
// as it is and damaged in the ways a trace goes wrong. --where 'len > 0'
// selects every frame handed out, so with it and without, the text, the
// notes on what the reader did not take and the exit status are the same:
// frames are numbered alike and the reader counts alike, selected or not.
TEST(SelectTool, SelectingEveryFrameOfADamagedTraceChangesNothing) {
    struct Damage {
        const char* name;
        std::string (*apply)(const std::string& text);
    };
    const Damage damages[] = {
        {"none", [](const std::string& t) { return t; }},
        {"carriage returns", [](const std::string& t) {
             return EachLine(t, [](const std::string& l, std::size_t) { return l + "\r\n"; });
         }},
        {"a stray character in data lines past the first half", [](const std::string& t) {
             return EachLine(t, [](const std::string& l, std::size_t i) {
                 std::string line = l;
                 if (i > 2400 && i % 5 == 0 && line.size() > 12 && line[4] == ':') line[7 + i % 6] = 'x';
                 return line + "\n";
             });
         }},
        {"half pairs", [](const std::string& t) {
             return EachLine(t, [](const std::string& l, std::size_t i) {
                 std::string line = l;
                 if (i % 7 == 0 && line.size() > 12 && line[4] == ':') line.erase(9 + i % 4, 1);
                 return line + "\n";
             });
         }},
        {"lengths too long and zero", [](const std::string& t) {
             return EachLine(t, [](const std::string& l, std::size_t i) {
                 if (l.rfind("Length:", 0) != 0) return l + "\n";
                 return std::string(i % 3 == 0 ? "Length: 300        U" : i % 3 == 1 ? "Length: 0          N" : l) + "\n";
             });
         }},
        {"lines lost", [](const std::string& t) {
             return EachLine(t, [](const std::string& l, std::size_t i) { return i % 11 == 3 ? std::string() : l + "\n"; });
         }},
        {"a data line longer than a read", [](const std::string& t) {
             std::string pairs = "0000:";
             for (int k = 0; k < 30000; ++k) pairs += " 5A";
             const std::size_t header = t.find("\nOffset") + 1;
             const std::size_t after = t.find('\n', header) + 1;
             return t.substr(0, after) + pairs + " 5G\n" + t.substr(after);
         }},
        {"runs of empty lines", [](const std::string& t) {
             return EachLine(t, [](const std::string& l, std::size_t i) {
                 return l.empty() ? std::string(30 + i % 7, '\n') : l + "\n";
             });
         }},
        {"the last frame unfinished", [](const std::string& t) { return t.substr(0, t.size() - 30); }},
    };
    const std::pair<const char*, const char*> samples[] = {{"lapd", "lapd.txt"}, {"lapf", "q922.txt"},
                                                           {"q931", "q931.txt"}, {"x25", "x25.txt"},
                                                           {"eth", "eth.txt"},   {"ip", "ip.txt"}};
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("korvex-select-" + std::to_string(::getpid()) + ".txt")).string();
    for (const auto& [protocol, file] : samples) {
        std::ifstream in(kSamples + "/" + file, std::ios::binary);
        const std::string sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string trace;
        while (trace.size() < 150000) trace += sample;
        for (const Damage& damage : damages) {
            const std::string text = damage.apply(trace);
            const std::vector<std::string> args = {"replay", protocol, "-", "--detail", "--layer3"};
            std::vector<std::string> selecting = args;
            selecting.insert(selecting.end(), {"--where", "len > 0"});
            const test::ToolOutcome all = RunTool(args, text);
            const test::ToolOutcome selected = RunTool(selecting, text);
            EXPECT_EQ(selected.status, all.status) << file << ", " << damage.name;
            EXPECT_EQ(selected.err, all.err) << file << ", " << damage.name;
            EXPECT_TRUE(selected.out == all.out) << file << ", " << damage.name;
            // The same text read from a file, which is read in place, and
            // for LAPD through a selection on the address alone (always
            // true: a frame too short for an address is not "sapi >= 0"),
            // which has the reader convert only the address octets of the
            // frames it passes over.
            {
                std::ofstream(path, std::ios::binary) << text;
            }
            std::vector<std::string> fromFile = args;
            fromFile[2] = path;
            if (std::string(protocol) == "lapd") fromFile.insert(fromFile.end(), {"--where", "sapi >= 0 or not sapi >= 0"});
            const test::ToolOutcome read = RunTool(fromFile, "");
            EXPECT_EQ(read.status, all.status) << file << ", " << damage.name;
            EXPECT_EQ(std::regex_replace(read.err, std::regex(path), "standard input"), all.err) << file << ", " << damage.name;
            EXPECT_TRUE(read.out == all.out) << file << ", " << damage.name;
            // The file read in parts on several threads, as a big file is
            // when only some frames are shown: in two parts, in seven (the
            // damage moves frames across the part starts), and in seven
            // whose threads give up after a few frames held; as JSON too,
            // which numbers the frames.
            std::vector<std::string> parted = args;
            parted[2] = path;
            parted.insert(parted.end(), {"--where", std::string(protocol) == "lapd" ? "sapi >= 0 or not sapi >= 0" : "len > 0"});
            const cli::Parting partings[] = {{2, 1, 1 << 20}, {7, 1, 1 << 20}, {7, 1, 2000}};
            for (const bool json : {false, true}) {
                std::vector<std::string> wanted = args;
                if (json) {
                    parted.push_back("--json");
                    wanted.push_back("--json");
                }
                const test::ToolOutcome whole = json ? RunTool(wanted, text) : all;
                for (const cli::Parting& parting : partings) {
                    cli::SetParting(parting);
                    const test::ToolOutcome inParts = RunTool(parted, "");
                    cli::SetParting(std::nullopt);
                    const std::string where = std::string(file) + ", " + damage.name + ", " +
                                              std::to_string(parting.parts) + " parts" + (json ? ", JSON" : "");
                    EXPECT_EQ(inParts.status, whole.status) << where;
                    EXPECT_EQ(std::regex_replace(inParts.err, std::regex(path), "standard input"), whole.err) << where;
                    EXPECT_TRUE(inParts.out == whole.out) << where;
                }
            }
            // The damage is seen: the notes say so where lines were spoiled.
            if (damage.apply != damages[0].apply && damage.apply != damages[1].apply) {
                EXPECT_NE(all.err, "") << file << ", " << damage.name;
            }
        }
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace korvex
