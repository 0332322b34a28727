// Captures through the korvex tool: korvex pcap over every link type it
// routes, pcap and pcapng alike, the FCS put back, damaged captures, korvex
// convert both ways, and the hex trace writer.
#include <gtest/gtest.h>
#include <pcap/pcap.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "capture_files.h"
#include "cli/capture.h"
#include "cli/commands.h"
#include "decoders/protocols.h"
#include "replay/trace_reader.h"
#include "replay/trace_writer.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::CaptureFile;
using test::CaptureRecord;
using test::Octets;
using test::RunTool;

std::string Hex(const std::vector<unsigned char>& octets) {
    std::string text;
    char pair[3];
    for (unsigned char o : octets) {
        std::snprintf(pair, sizeof pair, "%02x", o);
        text += pair;
    }
    return text;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Two moments of a capture and the "mm:ss.mmm" each is shown as:
// 1700000000 is 22:13:20 UTC, 1700003599 is 23:13:19 UTC.
constexpr int64_t kFirstSecond = 1700000000;
constexpr int64_t kSecondSecond = 1700003599;
const char* const kFirstStamp = "13:20.123";
const char* const kSecondStamp = "13:19.999";

// Frames of the bundled samples, whose FCS was computed by the sample
// writer: as the line carried them, and as a capture holds them.
const char* const kLapdUi = "FC FF 03 0F 5A 3C 01 FF BB 2F";
const char* const kLapdSabme = "00 81 7F A8 D8";
const char* const kLapfSabme = "18 41 7F 55 51";
const char* const kLapfI = "18 41 00 00 10 00 FB 00 00 25 C4";
const char* const kIpTcp =
    "45 00 00 28 1c 46 40 00 40 06 9d 35 c0 a8 01 0a c0 a8 01 01"
    "d4 31 00 50 00 00 00 01 00 00 00 00 50 02 72 10 a1 b2 00 00";
const std::string kEthernetIp = "00 1b 21 3a 4f 10 00 0c 29 5e 77 aa 08 00" + std::string(kIpTcp);
const char* const kEthernetArp =
    "ff ff ff ff ff ff 00 0c 29 5e 77 aa 08 06 00 01 08 00 06 04 00 01 00 0c 29 5e 77 aa"
    "c0 a8 01 0a 00 00 00 00 00 00 c0 a8 01 01";

std::vector<unsigned char> WithoutFcs(const char* hex) {
    std::vector<unsigned char> octets = Octets(hex);
    octets.resize(octets.size() - 2);
    return octets;
}

// A Linux LAPD record: packet type, hardware type 0x0339, no address,
// protocol 0x0030, then the frame without its FCS.
std::vector<unsigned char> LinuxLapd(int packetType, const char* hex) {
    std::vector<unsigned char> octets = Octets("0000 0339 0000 0000000000000000 0030");
    octets[1] = static_cast<unsigned char>(packetType);
    const std::vector<unsigned char> frame = WithoutFcs(hex);
    octets.insert(octets.end(), frame.begin(), frame.end());
    return octets;
}

// The frames korvex convert wrote, as the hex trace reader reads them.
struct ReadFrame {
    std::string timestamp;
    char direction;
    std::string hex;
    bool operator==(const ReadFrame&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ReadFrame& f) {
    return os << "{" << f.timestamp << " '" << f.direction << "' " << f.hex << "}";
}

std::vector<ReadFrame> ReadTrace(const std::string& text) {
    std::istringstream in(text);
    TraceReader reader(in);
    std::vector<ReadFrame> frames;
    TraceFrame f;
    while (reader.Next(f)) {
        frames.push_back({f.timestamp, f.direction, Hex({f.bytes, f.bytes + f.length})});
    }
    return frames;
}

// --- One row per link type, each in a pcap and in a pcapng file -----------------

struct LinkCase {
    const char* name;
    int dlt;                 // as libpcap names it
    const char* protocol;    // the protocol that decodes it
    std::vector<std::vector<unsigned char>> records;  // as captured
    std::vector<std::string> frames;                  // as the decoder gets them
    std::string directions;
};

const LinkCase kLinkCases[] = {
    {"Lapd", 203, "lapd", {WithoutFcs(kLapdUi), WithoutFcs(kLapdSabme)}, {kLapdUi, kLapdSabme}, "  "},
    {"LinuxLapd", 177, "lapd", {LinuxLapd(4, kLapdUi), LinuxLapd(0, kLapdSabme)}, {kLapdUi, kLapdSabme}, "UN"},
    {"FrameRelay", 107, "lapf", {WithoutFcs(kLapfSabme), WithoutFcs(kLapfI)}, {kLapfSabme, kLapfI}, "  "},
    {"Ethernet", 1, "eth", {Octets(kEthernetIp), Octets(kEthernetArp)}, {kEthernetIp, kEthernetArp}, "  "},
    {"RawIp", 12, "ip", {Octets(kIpTcp), Octets(kIpTcp)}, {kIpTcp, kIpTcp}, "  "},
    {"Ipv4", 228, "ip", {Octets(kIpTcp), Octets(kIpTcp)}, {kIpTcp, kIpTcp}, "  "},
};

void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }

class LinkTypeTest : public ::testing::TestWithParam<std::tuple<LinkCase, CaptureFile>> {};

TEST_P(LinkTypeTest, DecodesAndConvertsEachFrame) {
    const auto& [c, kind] = GetParam();
    const std::string capture =
        test::CaptureBytes(kind, c.dlt,
                           {{kFirstSecond, 123999, c.records[0]}, {kSecondSecond, 999999, c.records[1]}});
    const char* stamps[] = {kFirstStamp, kSecondStamp};

    // The frames as a hex trace file: no decoder needed.
    const test::ToolOutcome converted = RunTool({"convert", "-", "-"}, capture);
    EXPECT_EQ(converted.status, 0) << converted.err;
    std::vector<ReadFrame> expectedFrames;
    for (int i = 0; i < 2; ++i) {
        expectedFrames.push_back({stamps[i], c.directions[static_cast<std::size_t>(i)],
                                  Hex(Octets(c.frames[static_cast<std::size_t>(i)]))});
    }
    EXPECT_EQ(ReadTrace(converted.out), expectedFrames);

    const test::ToolOutcome r = RunTool({"pcap", "-", "--detail", "--hex"}, capture);
    const KorvexDecoder decoder = FindProtocol(c.protocol);
    if (decoder == nullptr) {
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("decoded by " + std::string(c.protocol)), std::string::npos) << r.err;
        GTEST_SKIP() << "no " << c.protocol << " decoder in this build yet: link type " << c.dlt
                     << " is reported as such and decodes once it is in the protocol table";
    }
    std::string expected;
    for (int i = 0; i < 2; ++i) {
        expected += test::DecodeHex(decoder, DECODE_DETAIL | DECODE_HEX,
                                    c.frames[static_cast<std::size_t>(i)], stamps[i]);
    }
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Captures, LinkTypeTest,
    ::testing::Combine(::testing::ValuesIn(kLinkCases),
                       ::testing::Values(CaptureFile::Pcap, CaptureFile::PcapNg)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == CaptureFile::Pcap ? "Pcap" : "PcapNg");
    });

TEST(KorvexPcap, AFileAndStandardInputGiveTheSameText) {
    const std::string capture = test::PcapBytes(203, {{kFirstSecond, 123999, WithoutFcs(kLapdUi)}});
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("korvex-capture-" + std::to_string(::getpid()) + ".pcap");
    std::ofstream(path, std::ios::binary) << capture;
    const test::ToolOutcome fromFile = RunTool({"pcap", path.string()});
    std::filesystem::remove(path);
    EXPECT_EQ(fromFile.status, 0);
    EXPECT_EQ(fromFile.out, test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kLapdUi, kFirstStamp));
    EXPECT_EQ(RunTool({"pcap", "-"}, capture).out, fromFile.out);
}

TEST(KorvexPcap, ALinkTypeWithoutARouteNeedsProtocol) {
    const std::string capture = test::PcapBytes(147, {{0, 0, Octets(kLapdSabme)}});
    const test::ToolOutcome r = RunTool({"pcap", "-"}, capture);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("link type 147"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("1 (eth), 12, 101 and 228 (ip), 107 (lapf), 177 and 203 (lapd)"), std::string::npos);
    EXPECT_NE(r.err.find("--protocol"), std::string::npos);
}

// --- The FCS put back, and frames cut to what the decoders take -------------------

TEST(LinkFcs, KnownAnswers) {
    const struct {
        std::string octets;
        uint16_t fcs;
    } cases[] = {
        {"", 0x0000},
        {"313233343536373839", 0x906E},    // "123456789"
        {"FCFF030F5A3C01FF", 0x2FBB},      // sample frames: sent as BB 2F
        {"00817F", 0xD8A8},
        {"18417F", 0x5155},
    };
    for (const auto& c : cases) {
        const std::vector<unsigned char> octets = Octets(c.octets);
        EXPECT_EQ(cli::LinkFcs(octets.data(), octets.size()), c.fcs) << c.octets;
    }
}

TEST(KorvexPcap, FcsFillAndCuts) {
    std::vector<unsigned char> long9000(9000);
    for (std::size_t i = 0; i < long9000.size(); ++i) long9000[i] = static_cast<unsigned char>(i * 7);
    std::vector<unsigned char> cutFilled(long9000.begin(), long9000.begin() + 8190);
    const uint16_t fcs = cli::LinkFcs(long9000.data(), long9000.size());
    cutFilled.push_back(static_cast<unsigned char>(fcs & 0xFF));
    cutFilled.push_back(static_cast<unsigned char>(fcs >> 8));
    const std::vector<unsigned char> cut(long9000.begin(), long9000.begin() + 8192);

    const std::string cutNote =
        "korvex: standard input: 1 frame is longer than the 8192 octets korvex decodes of a frame; "
        "it was decoded cut to 8192\n";
    const struct {
        const char* name;
        int dlt;
        std::vector<std::string> options;
        CaptureRecord record;
        const char* protocol;
        std::vector<unsigned char> frame;  // as the decoder gets it
        std::string err = "";
    } cases[] = {
        {"filled", 203, {}, {0, 0, WithoutFcs(kLapdSabme)}, "lapd", Octets(kLapdSabme)},
        {"as captured", 203, {"--no-fcs-fill"}, {0, 0, WithoutFcs(kLapdSabme)}, "lapd", WithoutFcs(kLapdSabme)},
        {"cut by the snapshot length: FCS unknown", 203, {}, {0, 0, WithoutFcs(kLapdSabme), 40}, "lapd",
         WithoutFcs(kLapdSabme)},
        {"user link type decoded as captured", 147, {"--protocol", "lapd"}, {0, 0, Octets(kLapdSabme)}, "lapd",
         Octets(kLapdSabme)},
        {"LAPF reading of a LAPD link", 203, {"--protocol", "lapf"}, {0, 0, WithoutFcs(kLapfSabme)}, "lapf",
         Octets(kLapfSabme)},
        {"frame relay", 107, {}, {0, 0, WithoutFcs(kLapfI)}, "lapf", Octets(kLapfI)},
        {"long frame cut, FCS of the whole frame", 203, {}, {0, 0, long9000}, "lapd", cutFilled, cutNote},
        {"long frame cut as captured", 203, {"--no-fcs-fill"}, {0, 0, long9000}, "lapd", cut, cutNote},
        {"longest whole frame with its FCS", 203, {}, {0, 0, std::vector<unsigned char>(8190, 0x7E)}, "lapd", [] {
             std::vector<unsigned char> f(8190, 0x7E);
             const uint16_t fcs = cli::LinkFcs(f.data(), f.size());
             f.push_back(static_cast<unsigned char>(fcs & 0xFF));
             f.push_back(static_cast<unsigned char>(fcs >> 8));
             return f;
         }()},
        // Fewer than 3 octets: no address and control field, so no FCS.
        {"two octets of LAPD", 203, {}, {0, 0, Octets("02 01")}, "lapd", Octets("02 01")},
        {"one octet of frame relay", 107, {}, {0, 0, Octets("18")}, "lapf", Octets("18")},
        {"two octets after the Linux LAPD header", 177, {}, {0, 0, LinuxLapd(0, "00 81 7F A8")}, "lapd",
         Octets("00 81")},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"pcap", "-", "--hex"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const std::string capture = test::PcapBytes(c.dlt, {c.record});
        const test::ToolOutcome r = RunTool(args, capture);
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.err, c.err) << c.name;
        EXPECT_EQ(r.out, test::DecodeOctets(FindProtocol(c.protocol), DECODE_HEX, c.frame, "00:00.000"))
            << c.name;
        // convert hands the same frame to the trace file, whole.
        if (c.options.empty() && c.frame.size() <= 96) {
            const test::ToolOutcome converted = RunTool({"convert", "-", "-"}, capture);
            EXPECT_EQ(converted.status, 0) << c.name << ": " << converted.err;
            EXPECT_EQ(ReadTrace(converted.out), (std::vector<ReadFrame>{{"00:00.000", c.dlt == 177 ? 'N' : ' ', Hex(c.frame)}}))
                << c.name;
        }
    }
}

// --- Timestamps -------------------------------------------------------------------

TEST(CaptureTime, FormattedAsTimeOfDayInTheHour) {
    const struct {
        int64_t seconds;
        int64_t microseconds;
        const char* text;
    } cases[] = {
        {0, 0, "00:00.000"},
        {3599, 999999, "59:59.999"},
        {3600, 0, "00:00.000"},
        {kFirstSecond, 123999, kFirstStamp},
        {kSecondSecond, 999999, kSecondStamp},
        {-1, 0, "59:59.000"},           // before 1970: still nine characters
        {61, 1000000, "01:01.000"},     // damaged microseconds
        {INT64_MAX, -1, "30:07.999"},
    };
    for (const auto& c : cases) {
        char text[12];
        cli::FormatCaptureTime(c.seconds, c.microseconds, text);
        EXPECT_STREQ(text, c.text) << c.seconds << " " << c.microseconds;
    }
}

TEST(CaptureTime, TraceTimestampsReadBack) {
    const struct {
        const char* text;
        bool valid;
        int64_t seconds;
        int32_t microseconds;
    } cases[] = {
        {"12:01.250", true, 721, 250000}, {"00:00.000", true, 0, 0},  {"99:59.999", true, 5999, 999000},
        {"12:60.000", false, 0, 0},       {"1:01.250", false, 0, 0},  {"12:01.25", false, 0, 0},
        {"12:01.2500", false, 0, 0},      {"12-01.250", false, 0, 0}, {"", false, 0, 0},
    };
    for (const auto& c : cases) {
        int64_t seconds = -1;
        int32_t microseconds = -1;
        EXPECT_EQ(cli::ParseTraceTime(c.text, seconds, microseconds), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(seconds, c.seconds) << c.text;
            EXPECT_EQ(microseconds, c.microseconds) << c.text;
        }
    }
}

// --- Damaged captures ---------------------------------------------------------------

TEST(KorvexPcap, DamagedCapturesDecodeAsFarAsTheyAreWhole) {
    const CaptureRecord ui{0, 0, WithoutFcs(kLapdUi)};        // 8 octets
    const CaptureRecord sabme{0, 0, WithoutFcs(kLapdSabme)};  // 3 octets
    const CaptureRecord empty{0, 0, {}};
    const CaptureRecord nine{0, 0, Octets("00 81 7F 01 02 03 04 05 06")};
    const std::string two = test::PcapBytes(203, {ui, sabme});
    const std::string twoNg = test::PcapNgBytes(203, {ui, sabme});
    const struct {
        const char* name;
        std::string capture;
        std::vector<const char*> decoded;
        const char* message;
    } cases[] = {
        {"cut inside a record", two.substr(0, two.size() - 1), {kLapdUi}, "damaged capture after frame 1"},
        {"cut inside a record header", two.substr(0, 24 + 16 + 8 + 5), {kLapdUi}, "damaged capture after frame 1"},
        {"record longer than the snapshot length", test::PcapBytes(203, {ui, nine, ui}, 8), {kLapdUi},
         "frame 2 is damaged: it holds 9 octets, more than the capture's snapshot length of 8"},
        {"zero-length record passed over", test::PcapBytes(203, {ui, empty, sabme}), {kLapdUi, kLapdSabme},
         "frame 2 holds no octets"},
        {"pcapng cut inside a block", twoNg.substr(0, twoNg.size() - 5), {kLapdUi}, "damaged capture after frame 1"},
        {"pcapng record longer than the snapshot length", test::PcapNgBytes(203, {ui, nine, ui}, 8), {kLapdUi},
         "bigger than snaplen"},
        {"Linux LAPD record with nothing after its header",
         test::PcapBytes(177, {{0, 0, LinuxLapd(0, kLapdUi)}, {0, 0, std::vector<unsigned char>(10)}}),
         {kLapdUi}, "frame 2 holds no frame after its 16-octet header"},
        {"file header cut", two.substr(0, 10), {}, "damaged capture header"},
        {"empty input", "", {}, "empty, not a capture"},
        {"hex trace text", Slurp(std::string(KORVEX_SAMPLES_DIR) + "/lapd.txt"), {}, "not a pcap or pcapng capture"},
        {"no record at all", test::PcapBytes(203, {}), {}, "the capture holds no frame"},
    };
    for (const auto& c : cases) {
        const test::ToolOutcome r = RunTool({"pcap", "-"}, c.capture);
        std::string expected;
        for (const char* frame : c.decoded) expected += test::DecodeHex(DecodeLapd, DECODE_SUMMARY, frame, "00:00.000");
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.out, expected) << c.name;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(r.err.rfind("korvex: standard input: ", 0), 0u) << c.name << ": " << r.err;
    }
}

// --- A live capture decodes as it arrives ---------------------------------------------

// Hands out a capture one piece at a time, as a pipe from a capturing
// program would, and notes the text visible on the output each time the
// reader waits for the next piece.
class TricklingInput : public std::streambuf {
public:
    TricklingInput(std::vector<std::string> pieces, const std::string& visible)
        : pieces_(std::move(pieces)), visible_(visible) {}
    std::vector<std::string> seen;

protected:
    int_type underflow() override {
        if (next_ > 0) seen.push_back(visible_);
        if (next_ == pieces_.size()) return traits_type::eof();
        std::string& piece = pieces_[next_++];
        setg(piece.data(), piece.data(), piece.data() + piece.size());
        return traits_type::to_int_type(piece[0]);
    }

private:
    std::vector<std::string> pieces_;
    std::size_t next_ = 0;
    const std::string& visible_;
};

// Holds written text back until it is flushed.
class HeldOutput : public std::streambuf {
public:
    std::string visible;

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        held_.append(s, static_cast<std::size_t>(n));
        return n;
    }
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) held_ += traits_type::to_char_type(c);
        return c;
    }
    int sync() override {
        visible += held_;
        held_.clear();
        return 0;
    }

private:
    std::string held_;
};

TEST(KorvexPcap, ALiveCaptureIsDecodedAsItArrives) {
    const std::vector<CaptureRecord> records = {
        {0, 0, WithoutFcs(kLapdUi)}, {1, 0, WithoutFcs(kLapdSabme)}, {2, 0, WithoutFcs(kLapdUi)}};
    const std::string capture = test::PcapBytes(203, records);
    // The file header with the first record, then one record a piece.
    const std::size_t first = 24 + 16 + 8, second = first + 16 + 3;
    HeldOutput held;
    TricklingInput trickle({capture.substr(0, first), capture.substr(first, second - first), capture.substr(second)},
                           held.visible);
    std::istream in(&trickle);
    std::ostream out(&held);
    std::ostringstream err;
    ASSERT_EQ(cli::RunKorvex({"korvex", "pcap", "-"}, in, out, err, false), 0) << err.str();

    const std::string one = test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kLapdUi, "00:00.000");
    const std::string two = one + test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kLapdSabme, "00:01.000");
    ASSERT_GE(trickle.seen.size(), 2u);
    EXPECT_EQ(trickle.seen[0], one) << "the first frame is out before the second arrives";
    EXPECT_EQ(trickle.seen[1], two);
}

// --- korvex convert ----------------------------------------------------------------

class ConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("korvex-convert-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // The link type and first record of a capture, as libpcap reads them.
    static std::pair<int, std::string> FirstRecord(const std::string& path) {
        char error[PCAP_ERRBUF_SIZE];
        pcap_t* p = pcap_open_offline(path.c_str(), error);
        if (p == nullptr) return {-1, error};
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        std::string hex;
        if (pcap_next_ex(p, &header, &data) == 1) hex = Hex({data, data + header->caplen});
        const int dlt = pcap_datalink(p);
        pcap_close(p);
        return {dlt, hex};
    }

    std::filesystem::path dir_;
};

std::string WrittenTrace(const std::vector<std::pair<char, std::string>>& frames) {
    std::ostringstream text;
    TraceWriter writer(text);
    int64_t ms = 721250;
    for (const auto& [direction, hex] : frames) {
        const std::vector<unsigned char> octets = Octets(hex);
        char stamp[12];
        cli::FormatCaptureTime(ms / 1000, ms % 1000 * 1000, stamp);
        writer.Write(stamp, direction, octets.data(), static_cast<int32_t>(octets.size()));
        ms += 1017;
    }
    return text.str();
}

TEST_F(ConvertTest, TraceToCaptureAndBackGivesTheSameFrames) {
    const std::string lapd = Slurp(std::string(KORVEX_SAMPLES_DIR) + "/lapd.txt");
    const std::string lapf = Slurp(std::string(KORVEX_SAMPLES_DIR) + "/q922.txt");
    const std::string lan = WrittenTrace({{' ', kEthernetIp}, {' ', kEthernetArp}});
    const std::string ip = WrittenTrace({{' ', kIpTcp}, {' ', "45 00 00 14 00 01 00 00 40 01 00 00 0a 00 00 01 0a 00 00 02"}});
    const struct {
        const char* linkType;
        const std::string& trace;
        int dlt;                // libpcap's number for the link type read back
        std::string firstRecord;
        bool sameText;          // the text comes back byte for byte
    } cases[] = {
        {"203", lapd, 203, Hex(WithoutFcs(kLapdUi)), false},
        {"177", lapd, 177, Hex(LinuxLapd(4, kLapdUi)), true},
        {"107", lapf, 107, Hex(WithoutFcs("18 41 7F 55 51")), false},
        {"1", lan, 1, Hex(Octets(kEthernetIp)), true},
        {"101", ip, DLT_RAW, Hex(Octets(kIpTcp)), true},
        {"12", ip, DLT_RAW, Hex(Octets(kIpTcp)), true},
        {"228", ip, 228, Hex(Octets(kIpTcp)), true},
        {"150", lapd, 150, Hex(Octets(kLapdUi)), false},
    };
    for (const auto& c : cases) {
        std::ofstream(Path("in.txt"), std::ios::binary) << c.trace;
        const test::ToolOutcome there =
            RunTool({"convert", Path("in.txt"), Path("c.pcap"), "--linktype", c.linkType});
        EXPECT_EQ(there.status, 0) << c.linkType << ": " << there.err;
        EXPECT_EQ(there.err, "") << c.linkType;
        EXPECT_EQ(FirstRecord(Path("c.pcap")), std::make_pair(c.dlt, c.firstRecord)) << c.linkType;

        const test::ToolOutcome back = RunTool({"convert", Path("c.pcap"), "-"});
        EXPECT_EQ(back.status, 0) << c.linkType << ": " << back.err;
        std::vector<ReadFrame> original = ReadTrace(c.trace);
        ASSERT_FALSE(original.empty());
        if (std::string(c.linkType) != "177") {
            for (ReadFrame& f : original) f.direction = ' ';  // kept by Linux LAPD only
        }
        EXPECT_EQ(ReadTrace(back.out), original) << c.linkType;
        if (c.sameText) {
            EXPECT_EQ(back.out, c.trace) << c.linkType;
        }
    }
}

TEST_F(ConvertTest, WhatACaptureCannotKeepIsSaid) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string input;
        int status;
        const char* message;
    } cases[] = {
        {"an FCS that is not the frame's own", {"--linktype", "203"},
         WrittenTrace({{'U', kLapdUi}, {'N', "00 81 7F 1A 2B"}}), 0,
         "1 of the frames (the first is frame 2) end in an FCS that is not their own"},
        {"a frame too short for an FCS", {"--linktype", "203"}, WrittenTrace({{'U', "00 81"}}), 0,
         "too short to hold an FCS"},
        {"a frame longer than a trace file's frames are decoded with", {},
         test::PcapBytes(1, {{0, 0, std::vector<unsigned char>(100, 0x41)}}), 0, "longer than the 96 octets"},
        {"a hex trace file without --linktype", {}, WrittenTrace({{'U', kLapdUi}}), 2, "--linktype"},
        {"--linktype for a capture", {"--linktype", "1"}, test::PcapBytes(1, {{0, 0, Octets(kEthernetArp)}}), 2,
         "--linktype is for a hex trace file"},
        {"no frame in the text", {"--linktype", "203"}, "Frame 1\nLength: 5\n", 1, "no frame found"},
    };
    for (const auto& c : cases) {
        std::ofstream(Path("in"), std::ios::binary) << c.input;
        std::vector<std::string> args = {"convert", Path("in"), Path("out")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const test::ToolOutcome r = RunTool(args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    }
    // The FCS a capture cannot keep comes back computed.
    std::ofstream(Path("in"), std::ios::binary) << WrittenTrace({{'N', "00 81 7F 1A 2B"}});
    ASSERT_EQ(RunTool({"convert", Path("in"), Path("c.pcap"), "--linktype", "203"}).status, 0);
    EXPECT_EQ(ReadTrace(RunTool({"convert", Path("c.pcap"), "-"}).out),
              (std::vector<ReadFrame>{{"12:01.250", ' ', Hex(Octets(kLapdSabme))}}));
}

TEST_F(ConvertTest, TheInputIsNeverOverwritten) {
    std::ofstream(Path("t.txt"), std::ios::binary) << WrittenTrace({{'U', kLapdUi}});
    const test::ToolOutcome r = RunTool({"convert", Path("t.txt"), Path("t.txt"), "--linktype", "203"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("are the same file"), std::string::npos);
    EXPECT_EQ(ReadTrace(Slurp(Path("t.txt"))).size(), 1u);
    const test::ToolOutcome missing = RunTool({"convert", Path("none.pcap"), Path("out.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(std::filesystem::exists(Path("out.txt"))) << "nothing is created for an unreadable input";
}

// --- korvex replay on what is not a hex trace file -----------------------------------

TEST(KorvexReplay, CapturesAndFramelessTextAreNamed) {
    const struct {
        const char* name;
        std::string input;
        const char* message;
        int status = 1;
    } cases[] = {
        {"pcap", test::PcapBytes(203, {{0, 0, WithoutFcs(kLapdUi)}}),
         "korvex: standard input is a pcap capture, not a hex trace file; decode it with: korvex pcap -\n"},
        {"pcapng", test::PcapNgBytes(203, {{0, 0, WithoutFcs(kLapdUi)}}),
         "korvex: standard input is a pcapng capture, not a hex trace file; decode it with: korvex pcap -\n"},
        {"empty", "", "korvex: standard input: no frame found"},
        {"text without frames", "hello\nworld\n",
         "korvex: standard input: line 1: the last frame has no closing empty line; it was not decoded\n"
         "korvex: standard input: no frame found"},
        {"a frame without its empty line", "Frame                   12:01.250\nLength: 5          U\nh\n0000: 00 81 7F A8 D8\n",
         "korvex: standard input: line 1: the last frame has no closing empty line; it was not decoded\n"
         "korvex: standard input: no frame found"},
        {"frames without octets", "Frame                   12:01.250\nLength: 0          U\nh\n0000: 00\n\n"
                                  "Frame                   12:01.250\nLength: 3          U\nh\n\n",
         "korvex: standard input: no frame to decode: 2 frames hold no octets\n", 0},
    };
    for (const auto& c : cases) {
        const test::ToolOutcome r = RunTool({"replay", "lapd", "-"}, c.input);
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << c.name << ": " << r.err;
    }
}

// --- --ip: Ethernet frames read on down to their IPv4 datagram --------------------------

TEST(KorvexPcap, IpAfterEthernet) {
    const KorvexDecoder eth = FindProtocol("eth");
    const KorvexDecoder ip = FindProtocol("ip");
    const std::string capture =
        test::PcapBytes(1, {{0, 0, Octets(kEthernetIp)}, {0, 0, Octets(kEthernetArp)}});
    const test::ToolOutcome r = RunTool({"pcap", "-", "--ip", "--detail"}, capture);
    if (eth == nullptr) GTEST_SKIP() << "no eth decoder in this build yet";
    if (ip == nullptr) {
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("--ip needs the ip decoder"), std::string::npos) << r.err;
        GTEST_SKIP() << "no ip decoder in this build yet";
    }
    const std::vector<unsigned char> frame = Octets(kEthernetIp);
    const std::vector<unsigned char> datagram(frame.begin() + 14, frame.end());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, test::DecodeOctets(eth, DECODE_DETAIL, frame, "00:00.000") +
                         test::DecodeOctets(ip, DECODE_DETAIL, datagram, "00:00.000") +
                         test::DecodeHex(eth, DECODE_DETAIL, kEthernetArp, "00:00.000"));
}

// --- What the tool cannot carry over is said, never dropped quietly -----------------------

// The frames of a hex trace file read whole, however long (as convert does).
std::vector<std::vector<unsigned char>> ReadWholeFrames(const std::string& text) {
    std::istringstream in(text);
    TraceReader reader(in, true, TraceReader::kChunkCapacity, TraceWriter::kMaxWrittenLength);
    std::vector<std::vector<unsigned char>> frames;
    TraceFrame f;
    while (reader.Next(f)) frames.emplace_back(f.bytes, f.bytes + f.length);
    return frames;
}

// Every record of a capture as libpcap reads it.
std::vector<std::vector<unsigned char>> CaptureRecords(const std::string& capture) {
    char error[PCAP_ERRBUF_SIZE];
    FILE* file = fmemopen(const_cast<char*>(capture.data()), capture.size(), "rb");
    pcap_t* p = file == nullptr ? nullptr : pcap_fopen_offline(file, error);
    std::vector<std::vector<unsigned char>> records;
    if (p == nullptr) return records;
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    while (pcap_next_ex(p, &header, &data) == 1) records.emplace_back(data, data + header->caplen);
    pcap_close(p);
    return records;
}

std::vector<unsigned char> Cut(std::vector<unsigned char> octets, std::size_t length) {
    octets.resize(std::min(octets.size(), length));
    return octets;
}

TEST(KorvexCapture, FramesLongerThanAReaderTakesAreCounted) {
    // Ethernet frames of 60, 100, 9000 and 70000 octets.
    std::vector<std::vector<unsigned char>> frames;
    for (std::size_t length : {60, 100, 9000, 70000}) {
        std::vector<unsigned char> f(length);
        for (std::size_t i = 0; i < length; ++i) f[i] = static_cast<unsigned char>(i * 13 + length);
        frames.push_back(f);
    }
    std::vector<CaptureRecord> records;
    for (const auto& f : frames) records.push_back({0, 0, f});
    const std::string capture = test::PcapBytes(1, records, 262144);

    // pcap decodes at most 8192 octets of a frame.
    const test::ToolOutcome decoded = RunTool({"pcap", "-"}, capture);
    std::string expected;
    for (const auto& f : frames) expected += test::DecodeOctets(DecodeEthernet, DECODE_SUMMARY, Cut(f, 8192), "00:00.000");
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, expected);
    EXPECT_EQ(decoded.err, "korvex: standard input: 2 frames are longer than the 8192 octets korvex decodes of a "
                           "frame; they were decoded cut to 8192\n");

    // convert writes them whole, up to the 65536 octets a trace file holds.
    const test::ToolOutcome trace = RunTool({"convert", "-", "-"}, capture);
    EXPECT_EQ(trace.status, 0) << trace.err;
    EXPECT_EQ(trace.err,
              "korvex: 3 frames are longer than the 96 octets korvex replay decodes of a frame: written whole, they "
              "are decoded cut to 96\n"
              "korvex: 1 frame is longer than the 65536 octets a hex trace file holds of a frame; it was written cut "
              "to 65536\n");
    const std::vector<std::vector<unsigned char>> whole = {frames[0], frames[1], frames[2], Cut(frames[3], 65536)};
    EXPECT_EQ(ReadWholeFrames(trace.out), whole);

    // replay decodes 96 of them and says how many frames it cut.
    const test::ToolOutcome replayed = RunTool({"replay", "eth", "-"}, trace.out);
    expected.clear();
    for (const auto& f : frames) expected += test::DecodeOctets(DecodeEthernet, DECODE_SUMMARY, Cut(f, 96), "00:00.000");
    EXPECT_EQ(replayed.status, 0) << replayed.err;
    EXPECT_EQ(replayed.out, expected);
    EXPECT_EQ(replayed.err, "korvex: standard input: 3 frames declare more than the 96 octets a frame is decoded "
                            "with; their first 96 octets were decoded\n");

    // And back to a capture: whole again.
    const test::ToolOutcome back = RunTool({"convert", "-", "-", "--linktype", "1"}, trace.out);
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.err, "");
    EXPECT_EQ(CaptureRecords(back.out), whole);
}

// Lines of one frame of a hex trace file, data lines given as they stand.
std::string TraceRecord(const char* length, const std::vector<std::string>& data) {
    std::string text = "Frame 1                 12:01.250\nLength: " + std::string(length);
    text.resize(text.find('\n') + 1 + 19, ' ');
    text += "U\nOffset  Data\n";
    for (const std::string& d : data) text += "0000: " + d + "\n";
    return text + "\n";
}

TEST(KorvexReplay, WhatTheTraceFormatDoesNotHoldIsReported) {
    const std::string ninetySix = [] {
        std::string d;
        for (int i = 0; i < 100; ++i) d += "7E ";
        return d;
    }();
    const std::string where = "korvex: standard input: ";
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> decoded;  // frames as decoded
        std::string err;  // of replay; convert says "converted"
    } cases[] = {
        {"a last frame without its closing empty line", TraceRecord("3", {"00 81 7F"}) + "Frame 2  12:01.300\nLength: 3\nh\n0000: 02\n",
         {"00 81 7F"}, where + "line 6: the last frame has no closing empty line; it was not decoded\n"},
        {"a last frame cut after its length line", TraceRecord("3", {"00 81 7F"}) + "Frame 2  12:01.300\nLength: 3\n",
         {"00 81 7F"}, where + "line 6: the last frame has no closing empty line; it was not decoded\n"},
        {"empty lines after the last frame", TraceRecord("3", {"00 81 7F"}) + "\n\n", {"00 81 7F"}, ""},
        {"data lines stopping at a character that is not a pair",
         TraceRecord("3", {"00 81 7F 0G"}) + TraceRecord("3", {"00 81", "7"}) + TraceRecord("3", {"00\t81 7F"}),
         {"00 81 7F", "00 81", "00"},
         where + "3 data lines stop at a character that is not a hex digit pair (the first is line 4); the rest of "
                 "each was not read\n"},
        {"one such line", TraceRecord("3", {"00 81", "7F ,"}), {"00 81 7F"},
         where + "1 data line stops at a character that is not a hex digit pair (the first is line 5); the rest of "
                 "that line was not read\n"},
        {"two blanks end the data before a rendering", TraceRecord("3", {"00 81 7F  ..."}) + TraceRecord("2", {"00 81 "}),
         {"00 81 7F", "00 81"}, ""},
        {"a frame longer than a frame is decoded with", TraceRecord("100", {ninetySix}),
         {ninetySix.substr(0, 96 * 3)},
         where + "1 frame declares more than the 96 octets a frame is decoded with; its first 96 octets were decoded\n"},
    };
    for (const auto& c : cases) {
        const test::ToolOutcome r = RunTool({"replay", "eth", "-"}, c.text);
        std::string expected;
        for (const std::string& f : c.decoded) expected += test::DecodeHex(DecodeEthernet, DECODE_SUMMARY, f, "12:01.250");
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;  // notes: every frame read is decoded
        EXPECT_EQ(r.out, expected) << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;

        // convert reads the trace the same way and says the same; it keeps
        // long frames whole.
        const test::ToolOutcome converted = RunTool({"convert", "-", "-", "--linktype", "1"}, c.text);
        std::string convertErr = c.err.find("declare") != std::string::npos ? "" : c.err;
        if (const std::size_t at = convertErr.find("decoded"); at != std::string::npos) {
            convertErr.replace(at, 7, "converted");
        }
        EXPECT_EQ(converted.status, 0) << c.name;
        EXPECT_EQ(converted.err, convertErr) << c.name;
        EXPECT_EQ(CaptureRecords(converted.out).size(), c.decoded.size()) << c.name;
    }
}

TEST(KorvexPcap, DatagramsOfRawIpLinksThatAreNotIpv4AreNamed) {
    const char* const ipv6 = "60 00 00 00 00 00 3a 40";  // version 6, then the flow label
    const char* const version5 = "50 01";
    const std::string summary = test::DecodeHex(DecodeIp, DECODE_SUMMARY, kIpTcp, kFirstStamp) +
                                kFirstStamp + "  IPv6 datagram, not decoded\n" +
                                kFirstStamp + "  IP version 5 datagram, not decoded\n";
    const std::string detailHex = test::DecodeHex(DecodeIp, DECODE_DETAIL | DECODE_HEX, kIpTcp, kFirstStamp) +
                                  kFirstStamp + "  IPv6 datagram, not decoded\nHEX TRACE:" + test::kDumpIndent +
                                  "60 00 00 00 00 00 3a 40 \n\n" + kFirstStamp +
                                  "  IP version 5 datagram, not decoded\nHEX TRACE:" + test::kDumpIndent + "50 01 \n\n";
    const std::vector<CaptureRecord> records = {
        {kFirstSecond, 123000, Octets(kIpTcp)}, {kFirstSecond, 123000, Octets(ipv6)}, {kFirstSecond, 123000, Octets(version5)}};
    const struct {
        const char* name;
        std::string capture;
    } captures[] = {
        {"raw IP, pcap", test::PcapBytes(DLT_RAW, records)},
        {"raw IP, pcapng", test::CaptureBytes(CaptureFile::PcapNg, DLT_RAW, records)},
        {"IPv4 link type", test::PcapBytes(228, records)},
    };
    for (const auto& c : captures) {
        for (const auto& [options, text] : {std::pair<std::vector<std::string>, const std::string&>{{}, summary},
                                            {{"--detail", "--hex"}, detailHex},
                                            {{"--protocol", "ip", "--detail", "--hex"}, detailHex}}) {
            std::vector<std::string> args = {"pcap", "-"};
            args.insert(args.end(), options.begin(), options.end());
            const test::ToolOutcome r = RunTool(args, c.capture);
            EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
            EXPECT_EQ(r.err, "") << c.name;
            EXPECT_EQ(r.out, text) << c.name << " " << options.size();
        }
    }
}

TEST(KorvexPcap, InterfacesOfAnotherLinkTypeEndTheCapture) {
    const CaptureRecord ui{0, 0, WithoutFcs(kLapdUi)};
    const CaptureRecord arp{0, 0, Octets(kEthernetArp)};
    const std::string capture = test::PcapNgInterfacesBytes({203, 1}, {{0, ui}, {1, arp}, {0, ui}});
    const std::string message =
        "korvex: standard input: frame 2 comes from an interface of link type 1 (Ethernet), the frames before it "
        "from one of link type 203 (LAPD); korvex reads a capture with one link type, so it stops there\n";

    const test::ToolOutcome decoded = RunTool({"pcap", "-"}, capture);
    EXPECT_EQ(decoded.status, 1);
    EXPECT_EQ(decoded.out, test::DecodeHex(DecodeLapd, DECODE_SUMMARY, kLapdUi, "00:00.000"));
    EXPECT_EQ(decoded.err, message);

    const test::ToolOutcome converted = RunTool({"convert", "-", "-"}, capture);
    EXPECT_EQ(converted.status, 1);
    EXPECT_EQ(ReadTrace(converted.out), (std::vector<ReadFrame>{{"00:00.000", ' ', Hex(Octets(kLapdUi))}}));
    EXPECT_EQ(converted.err, message + "korvex: standard output holds the 1 frame read\n");

    // Interfaces of one link type read on.
    const test::ToolOutcome same = RunTool({"pcap", "-"}, test::PcapNgInterfacesBytes({203, 203}, {{0, ui}, {1, ui}}));
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, decoded.out + decoded.out);
}

TEST_F(ConvertTest, LinuxLapdRecordsCarryTheirPseudoHeader) {
    std::ofstream(Path("in"), std::ios::binary) << WrittenTrace({{'U', kLapdUi}, {'N', kLapdSabme}, {' ', kLapdSabme}});
    const test::ToolOutcome r = RunTool({"convert", Path("in"), "-", "--linktype", "177"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(CaptureRecords(r.out), (std::vector<std::vector<unsigned char>>{
                                         LinuxLapd(4, kLapdUi), LinuxLapd(0, kLapdSabme), LinuxLapd(0, kLapdSabme)}));
}

TEST_F(ConvertTest, TheInputChoosesTheWayAndOutMustBeNamedForIt) {
    const std::string capture = test::PcapBytes(203, {{0, 0, WithoutFcs(kLapdUi)}});
    const std::string trace = WrittenTrace({{'U', kLapdUi}});
    const struct {
        const char* name;
        const std::string& input;
        const char* out;
        std::vector<std::string> options;
        int status;
        const char* message;
    } cases[] = {
        {"capture to a .pcap name", capture, "t.pcap", {}, 2, "is named for a capture: give OUT a name such as trace.txt"},
        {"capture to a .PcapNg name", capture, "t.PcapNg", {}, 2, "is named for a capture"},
        {"trace to a .txt name", trace, "c.txt", {"--linktype", "203"}, 2,
         "is named for a hex trace file: give OUT a name such as capture.pcap"},
        {"trace to a .TXT name, no --linktype", trace, "c.TXT", {}, 2, "is named for a hex trace file"},
        {"capture to any other name", capture, "t.trace", {}, 0, ""},
        {"trace to any other name", trace, "c.cap", {"--linktype", "203"}, 0, ""},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::ofstream(Path("in"), std::ios::binary) << c.input;
        std::vector<std::string> args = {"convert", Path("in"), Path(c.out)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const test::ToolOutcome r = RunTool(args);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(std::filesystem::exists(Path(c.out)), c.status == 0) << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), c.status == 0 ? 2 : 1) << c.name;
    }
}

TEST_F(ConvertTest, AFailedConversionLeavesOutAsItWas) {
    const CaptureRecord ui{0, 0, WithoutFcs(kLapdUi)};
    const std::string two = test::PcapBytes(203, {ui, ui});
    const struct {
        const char* name;
        std::string input;
        std::vector<std::string> options;
        const char* message;
    } cases[] = {
        {"a capture without frames", test::PcapBytes(203, {}), {}, "the capture holds no frame"},
        {"a capture header cut short", two.substr(0, 10), {}, "damaged capture header"},
        {"a capture cut inside its first frame", two.substr(0, 24 + 16 + 3), {}, "damaged capture after frame 0"},
        {"text without a frame", "hello\n", {"--linktype", "203"}, "no frame found"},
        {"a trace whose frames hold no octets", TraceRecord("3", {"  00 81 7F"}), {"--linktype", "203"},
         "no frame to decode"},
    };
    for (const auto& c : cases) {
        std::ofstream(Path("in"), std::ios::binary) << c.input;
        std::ofstream(Path("out"), std::ios::binary) << "what was there";
        std::vector<std::string> args = {"convert", Path("in"), Path("out")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const test::ToolOutcome r = RunTool(args);
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(Slurp(Path("out")), "what was there") << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2) << c.name << ": no file left behind";
    }

    // Frames before damage are kept, and the message says so; OUT keeps its mode.
    std::filesystem::permissions(Path("out"), std::filesystem::perms(0640));
    std::ofstream(Path("in"), std::ios::binary) << two.substr(0, two.size() - 1);
    const test::ToolOutcome partial = RunTool({"convert", Path("in"), Path("out")});
    EXPECT_EQ(partial.status, 1);
    EXPECT_NE(partial.err.find("damaged capture after frame 1"), std::string::npos) << partial.err;
    EXPECT_NE(partial.err.find("korvex: " + Path("out") + " holds the 1 frame read\n"), std::string::npos) << partial.err;
    EXPECT_EQ(ReadTrace(Slurp(Path("out"))).size(), 1u);
    EXPECT_EQ(std::filesystem::status(Path("out")).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 2);

    // Through a symbolic link the file it names is replaced, the link stays.
    std::filesystem::create_symlink(Path("out"), Path("link"));
    std::ofstream(Path("in"), std::ios::binary) << two;
    EXPECT_EQ(RunTool({"convert", Path("in"), Path("link")}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link")));
    EXPECT_EQ(ReadTrace(Slurp(Path("out"))).size(), 2u);

    // A device is written to, not replaced.
    std::ofstream(Path("in"), std::ios::binary) << two;
    EXPECT_EQ(RunTool({"convert", Path("in"), "/dev/null"}).status, 0);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

// --- The hex trace writer ----------------------------------------------------------------

TEST(TraceWriter, WritesWhatTheReaderReads) {
    for (const char* sample : {"lapd.txt", "q922.txt"}) {
        const std::string text = Slurp(std::string(KORVEX_SAMPLES_DIR) + "/" + sample);
        std::istringstream in(text);
        TraceReader reader(in);
        std::ostringstream written;
        TraceWriter writer(written);
        TraceFrame frame;
        while (reader.Next(frame)) writer.Write(frame.timestamp, frame.direction, frame.bytes, frame.length);
        EXPECT_EQ(written.str(), text) << sample << ": written as the samples are";
    }
    const struct {
        const char* timestamp;
        char direction;
        std::string octets;
        const char* text;
    } cases[] = {
        {"00:00.000", 'U', "00", "Frame 1                 00:00.000\nLength: 1          U\n"
               "Offset  Data                                              Text\n0000: 00  .\n\n"},
        {"0\n:00.000 and more", '\r', "00", "Frame 1                 0 :00.000\nLength: 1           \n"
               "Offset  Data                                              Text\n0000: 00  .\n\n"},
        {"00:00.000", 'U', "20 41 7E 7F 80 FF 0A 0D 30 31 32 33 34 35 36 37 38",
         "Frame 1                 00:00.000\nLength: 17         U\n"
         "Offset  Data                                              Text\n"
         "0000: 20 41 7E 7F 80 FF 0A 0D 30 31 32 33 34 35 36 37   A~.....01234567\n"
         "0010: 38  8\n\n"},
    };
    for (const auto& c : cases) {
        const std::vector<unsigned char> octets = Octets(c.octets);
        std::ostringstream written;
        TraceWriter(written).Write(c.timestamp, c.direction, octets.data(), static_cast<int32_t>(octets.size()));
        EXPECT_EQ(written.str(), c.text);
    }
}

}  // namespace
}  // namespace korvex

// --- --extended: IPv6, ARP and VLAN-tagged frames behind Ethernet and raw IP --------------

namespace korvex {
namespace {

using test::CaptureRecord;
using test::Octets;
using test::RunTool;

// Ethernet header of a frame from 00:04:f2:1c:33:e8 to the broadcast address.
const std::string kPhoneHeader = "ff ff ff ff ff ff 00 04 f2 1c 33 e8 ";
// ARP request (hardware type 1, protocol 0x0800, lengths 6 and 4, operation
// 1, sender MAC and IPv4 address, target MAC and IPv4 address).
const std::string kArpRequest = "00 01 08 00 06 04 00 01 00 04 f2 1c 33 e8 c0 a8 1e 0f 00 00 00 00 00 00 c0 a8 1e 01";
// IPv6 fixed header from fe80::1 to ff02::2, no next header, hop limit 255.
const std::string kIpv6Header = "60 00 00 00 00 00 3b ff fe 80 00 00 00 00 00 00 00 00 00 00 00 00 00 01 "
                                "ff 02 00 00 00 00 00 00 00 00 00 00 00 00 00 02";
// IPv4 header of 20 octets carrying UDP (protocol 17), nothing behind it.
const std::string kIpv4Header = "45 00 00 14 00 01 00 00 40 11 00 00 0a 14 00 19 c0 a8 01 14";

TEST(KorvexPcap, ExtendedDecodesWhatEthernetFramesCarryBehindTheirTags) {
    const struct {
        const char* name;
        std::string frame;
        std::string payload;  // from behind the last type
        KorvexDecoder decoder;  // null for ARP
    } cases[] = {
        // 802.1Q tag: priority 5, DEI 0, VLAN 30 (a0 1e), then ARP.
        {"tagged ARP", kPhoneHeader + "81 00 a0 1e 08 06 " + kArpRequest, kArpRequest, nullptr},
        {"untagged ARP", kPhoneHeader + "08 06 " + kArpRequest, kArpRequest, nullptr},
        {"reverse ARP", kPhoneHeader + "80 35 " + kArpRequest, kArpRequest, nullptr},
        {"untagged IPv6", kPhoneHeader + "86 dd " + kIpv6Header, kIpv6Header, DecodeIpv6},
        // 802.1ad tag (VLAN 100), then 802.1Q tag (priority 3, DEI 1, VLAN 20).
        {"IPv4 behind two tags", kPhoneHeader + "88 a8 00 64 81 00 70 14 08 00 " + kIpv4Header, kIpv4Header, DecodeIp},
    };
    const std::string arpText =
        "00:00.000  ARP  OP 0001  SENDER 192.168.30.15    TARGET 192.168.30.1"
        "\nARP: Hardware Type  : 0001 Ethernet (10Mb)"
        "\nARP: Protocol Type  : 0800 DOD INTERNET PROTOCOL IP"
        "\nARP: Hardware Length: 6"
        "\nARP: Protocol Length: 4"
        "\nARP: Operation      : 0001 Request"
        "\nARP: Sender HW Addr : 00 04 f2 1c 33 e8"
        "\nARP: Sender Address : 192.168.30.15"
        "\nARP: Target HW Addr : 00 00 00 00 00 00"
        "\nARP: Target Address : 192.168.30.1\n\n";
    const uint32_t extended = DECODE_DETAIL | DECODE_EXTENDED;
    for (const auto& c : cases) {
        const std::string capture = test::PcapBytes(1, {{0, 0, Octets(c.frame)}});
        const std::string eth = test::DecodeHex(DecodeEthernet, extended, c.frame, "00:00.000");
        const std::string payload =
            c.decoder != nullptr ? test::DecodeHex(c.decoder, extended, c.payload, "00:00.000") : arpText;
        const test::ToolOutcome r = RunTool({"pcap", "-", "--ip", "--detail", "-x"}, capture);
        EXPECT_EQ(r.status, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.out, eth + payload) << c.name;
        // Without the flag: the Ethernet text alone, as it always was.
        const test::ToolOutcome classic = RunTool({"pcap", "-", "--ip", "--detail"}, capture);
        EXPECT_EQ(classic.out, test::DecodeHex(DecodeEthernet, DECODE_DETAIL, c.frame, "00:00.000")) << c.name;
        // Without --ip: the Ethernet text alone, with its tag lines.
        EXPECT_EQ(RunTool({"pcap", "-", "--detail", "-x"}, capture).out, eth) << c.name;
    }
}

TEST(KorvexPcap, ArpPacketsCutShortShowTheFieldsTheyHold) {
    const struct {
        std::size_t octets;  // of the ARP packet
        const char* lastLine;
    } cases[] = {
        {2, "ARP: Hardware Type  : 0001 Ethernet (10Mb)"},
        {6, "ARP: Protocol Length: 4"},
        {8, "ARP: Operation      : 0001 Request"},
        {17, "ARP: Sender HW Addr : 00 04 f2 1c 33 e8"},
        {27, "ARP: Target HW Addr : 00 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        const std::string packet = kArpRequest.substr(0, c.octets * 3 - 1);
        const std::string capture = test::PcapBytes(1, {{0, 0, Octets(kPhoneHeader + "08 06 " + packet)}});
        const test::ToolOutcome r = RunTool({"pcap", "-", "--ip", "--detail", "-x"}, capture);
        EXPECT_EQ(r.status, 0) << c.octets;
        const std::size_t arp = r.out.find("\nARP: ");
        ASSERT_NE(arp, std::string::npos) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - std::string(c.lastLine).size() - 2), c.lastLine + std::string("\n\n"))
            << c.octets;
    }
}

TEST(KorvexPcap, ExtendedDecodesIpv6DatagramsOfRawIpLinks) {
    const std::vector<CaptureRecord> records = {{0, 0, Octets(kIpv6Header)}, {0, 0, Octets(kIpv4Header)}};
    for (int dlt : {DLT_RAW, 228}) {
        const std::string capture = test::PcapBytes(dlt, records);
        const test::ToolOutcome r = RunTool({"pcap", "-", "--detail", "--extended"}, capture);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, test::DecodeHex(DecodeIpv6, DECODE_DETAIL | DECODE_EXTENDED, kIpv6Header, "00:00.000") +
                             test::DecodeHex(DecodeIp, DECODE_DETAIL | DECODE_EXTENDED, kIpv4Header, "00:00.000"))
            << dlt;
    }
}

}  // namespace
}  // namespace korvex
