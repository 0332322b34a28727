// Call records through the C interface: the bundled samples against a table
// written by hand from their frame lists (scripts/make_samples.py and the
// samples_*.py beside it), then damaged, partial and interleaved traces
// built here frame by frame.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "korvex/korvex.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::Octets;

std::string Seconds(int64_t ms) {
    if (ms < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000));
    return text;
}

std::string Or(const char* text) { return text[0] != '\0' ? text : "-"; }

// One record on one line: number, protocol, times, direction, parties,
// channel, alerting / answer / connected times, cause and who cleared,
// message and data counts, and how it ended (with "!" for a missing start).
std::string Line(const KorvexCallRecord& r) {
    std::string s = std::to_string(r.number) + (r.protocol == KORVEX_CALLS_X25 ? " x25 " : " q931 ") +
                    r.first_time + " " + r.last_time + " " + r.direction + " " + Or(r.calling) + ">" +
                    Or(r.called) + " " + Or(r.channel) + " " + Seconds(r.alerting_ms) + " " +
                    Seconds(r.answer_ms) + " " + Seconds(r.connected_ms) + " ";
    s += r.cause >= 0 ? std::to_string(r.cause) + (r.cleared_by != 0 ? std::string(1, r.cleared_by) : "") : "-";
    s += " " + std::to_string(r.messages) + "/" + std::to_string(r.data_packets) + " ";
    s += (r.begun == 0 ? "!" : "") + std::string(r.end) + (r.ended == 0 ? "?" : "");
    return s;
}

class Tracker {
public:
    explicit Tracker(int32_t input) { EXPECT_EQ(KorvexCallsOpen(input, &tracker_), 0); }
    ~Tracker() { KorvexCallsClose(tracker_); }

    int32_t Frame(const char* time, char direction, const std::vector<unsigned char>& octets) {
        const int32_t call = KorvexCallsFrame(tracker_, time, direction, octets.data(),
                                              static_cast<int32_t>(octets.size()));
        Take();
        return call;
    }
    int32_t Frame(const char* time, char direction, const std::string& hex) {
        return Frame(time, direction, Octets(hex));
    }
    std::vector<std::string> Finish() {
        KorvexCallsFinish(tracker_);
        Take();
        std::sort(lines_.begin(), lines_.end(), [](const std::string& a, const std::string& b) {
            return std::stoi(a) < std::stoi(b);
        });
        return lines_;
    }

private:
    void Take() {
        KorvexCallRecord r;
        while (KorvexCallsNext(tracker_, &r) == 1) lines_.push_back(Line(r));
    }

    KorvexCallTracker* tracker_ = nullptr;
    std::vector<std::string> lines_;
};

std::vector<std::string> SampleCalls(const std::string& name, int32_t expectedInput) {
    const std::string path = std::string(KORVEX_SAMPLES_DIR) + "/" + name;
    KorvexTraceReader* reader = nullptr;
    EXPECT_EQ(KorvexTraceOpenFile(path.c_str(), &reader), 0) << path;
    if (reader == nullptr) return {};
    KorvexTraceFrame frame;
    std::unique_ptr<Tracker> tracker;
    while (KorvexTraceNext(reader, &frame) == 1) {
        if (!tracker) {
            EXPECT_EQ(KorvexCallsGuessInput(frame.bytes, frame.length), expectedInput) << name;
            tracker = std::make_unique<Tracker>(expectedInput);
        }
        tracker->Frame(frame.timestamp, frame.direction,
                       std::vector<unsigned char>(frame.bytes, frame.bytes + frame.length));
    }
    KorvexTraceClose(reader);
    return tracker ? tracker->Finish() : std::vector<std::string>{};
}

TEST(Calls, BundledSamplesGiveTheHandWrittenTable) {
    struct Sample {
        const char* file;
        int32_t input;
        std::vector<std::string> calls;
    };
    const std::vector<Sample> samples = {
        {"lapd.txt", KORVEX_CALLS_LAPD,
         {
             // Outgoing speech call, B1 chosen by the network, cleared by the user.
             "1 q931 12:02.558 12:33.596 U 301234567>04012345678 B1 1.636 8.462 22.515 16U 9/0 released",
             // The X.25 call on SAPI 16 is never cleared.
             "2 x25 12:40.305 12:40.693 U 1195>2624 LCN 1 - 0.388 0.000 - 2/0 open?",
             // Incoming data call: SETUP in a UI frame on TEI 127, answered on
             // TEI 64; the INFORMATION sent again after the REJ counts twice.
             "3 q931 12:44.578 13:10.434 N 4087654321>4567 B2 0.038 0.648 25.146 16N 10/0 released",
         }},
        {"q931.txt", KORVEX_CALLS_Q931,
         {
             // Overlap sending: the called digits come in an INFORMATION; the
             // call is parked (SUSPEND ACK) rather than cleared.
             "1 q931 12:01.250 13:08.218 U 301234567>040 B1 5.283 12.703 54.265 - 15/0 suspended",
             "2 q931 13:33.078 13:33.116 ? ->- - - - - 83N 2/0 !rejected",
             "3 q931 13:35.086 13:57.573 ? ->- B2 - - - 16U 10/0 !released",
             "4 q931 14:58.893 15:50.631 N 891234567>4567 B2 0.210 4.080 47.241 16N 7/0 released",
             "5 q931 16:24.811 16:25.514 U ->26245551234 D - - - 69N 3/0 released",
             // Primary rate: a slot map of two octets' worth (the last map
             // octet holds time slot 1), and a SETUP in two segments.
             "6 q931 16:59.157 18:17.963 N 4930123456>5020 TS25+26 - 1.506 77.230 16U 7/0 released",
             "7 q931 17:06.456 17:06.623 N 301234567>5021 if1 B7 - - - 111N 4/0 released",
         }},
        {"x25.txt", KORVEX_CALLS_X25,
         {
             "1 x25 12:01.900 12:11.902 U 26245730415>262454100071 LCN 33 - 0.431 9.474 0U 23/8 cleared",
             "2 x25 12:09.812 12:10.012 U 26245730415>26245419 LCN 32 - - - 13N 3/0 cleared",
         }},
        {"q922.txt", KORVEX_CALLS_LAPF,
         {
             "1 x25 12:01.782 12:12.730 U 31108765432>311012345678 LCN 1 - 0.286 10.565 0U 10/5 cleared",
             // Data on a channel of DLCI 20000 whose call began before the trace.
             "2 x25 12:05.597 12:05.597 ? ->- LCN 5 - - - - 1/1 !open?",
         }},
    };
    for (const Sample& sample : samples) {
        EXPECT_EQ(SampleCalls(sample.file, sample.input), sample.calls) << sample.file;
    }
}

// Bare Q.931 messages with a one-octet call reference.
std::string Q931(int cref, int flag, const char* typeAndElements) {
    char head[16];
    std::snprintf(head, sizeof head, "08 01 %02X ", (flag << 7) | cref);
    return head + std::string(typeAndElements);
}

struct Step {
    const char* time;
    char direction;
    std::string hex;
};

struct TraceCase {
    const char* name;
    int32_t input;
    std::vector<Step> steps;
    std::vector<std::string> calls;
};

const char* kSetupB1 = "05 18 01 89";          // SETUP, B1 exclusive
const char* kConnect = "07";
const char* kDisconnect16 = "45 08 02 80 90";  // DISCONNECT, cause 16
const char* kRelease = "4D";
const char* kReleaseComplete = "5A";

TEST(Calls, DamagedPartialAndInterleavedTraces) {
    const std::vector<TraceCase> cases = {
        {"a call whose SETUP is missing", KORVEX_CALLS_Q931,
         {{"00:01.000", 'N', Q931(1, 1, kConnect)},
          {"00:05.000", 'U', Q931(1, 0, kDisconnect16)},
          {"00:05.100", 'N', Q931(1, 1, kRelease)},
          {"00:05.200", 'U', Q931(1, 0, kReleaseComplete)}},
         {"1 q931 00:01.000 00:05.200 ? ->- - - 0.000 4.000 16U 4/0 !released"}},
        {"a RELEASE without SETUP", KORVEX_CALLS_Q931,
         {{"00:01.000", 'N', Q931(3, 0, kRelease)}},
         {"1 q931 00:01.000 00:01.000 ? ->- - - - - - 1/0 !open?"}},
        {"two calls on one B channel, interleaved", KORVEX_CALLS_Q931,
         {{"00:01.000", 'U', Q931(1, 0, kSetupB1)},
          {"00:01.500", 'N', Q931(2, 0, kSetupB1)},
          {"00:02.000", 'N', Q931(1, 1, kConnect)},
          {"00:02.500", 'U', Q931(2, 1, kReleaseComplete)},
          {"00:03.000", 'U', Q931(1, 0, kDisconnect16)},
          {"00:03.100", 'N', Q931(1, 1, kReleaseComplete)}},
         {"1 q931 00:01.000 00:03.100 U ->- B1 - 1.000 1.000 16U 4/0 released",
          "2 q931 00:01.500 00:02.500 N ->- B1 - - - - 2/0 released"}},
        {"a call reference used by both sides at once", KORVEX_CALLS_Q931,
         {{"00:01.000", 'U', Q931(1, 0, kSetupB1)},
          {"00:01.100", 'N', Q931(1, 0, "05 18 01 8A")},
          {"00:01.200", 'N', Q931(1, 1, kConnect)},
          {"00:01.300", 'U', Q931(1, 1, kConnect)}},
         {"1 q931 00:01.000 00:01.200 U ->- B1 - 0.200 0.000 - 2/0 open?",
          "2 q931 00:01.100 00:01.300 N ->- B2 - 0.200 0.000 - 2/0 open?"}},
        {"a call reference reused after release", KORVEX_CALLS_Q931,
         {{"00:01.000", 'U', Q931(1, 0, kSetupB1)},
          {"00:02.000", 'N', Q931(1, 1, kReleaseComplete)},
          {"00:03.000", 'U', Q931(1, 0, kSetupB1)},
          {"00:04.000", 'N', Q931(1, 1, kConnect)}},
         {"1 q931 00:01.000 00:02.000 U ->- B1 - - - - 2/0 released",
          "2 q931 00:03.000 00:04.000 U ->- B1 - 1.000 0.000 - 2/0 open?"}},
        {"a call reference reused before its release", KORVEX_CALLS_Q931,
         {{"00:01.000", 'U', Q931(1, 0, kSetupB1)},
          {"00:02.000", 'N', Q931(1, 1, kConnect)},
          {"00:03.000", 'U', Q931(1, 0, kSetupB1)}},
         {"1 q931 00:01.000 00:02.000 U ->- B1 - 1.000 0.000 - 2/0 reused?",
          "2 q931 00:03.000 00:03.000 U ->- B1 - - - - 1/0 open?"}},
        {"a SETUP sent again is the same call", KORVEX_CALLS_Q931,
         {{"00:01.000", 'U', Q931(1, 0, kSetupB1)},
          {"00:05.000", 'U', Q931(1, 0, kSetupB1)},
          {"00:05.300", 'N', Q931(1, 1, "01")},
          {"00:06.000", 'N', Q931(1, 1, kReleaseComplete)}},
         {"1 q931 00:01.000 00:06.000 U ->- B1 4.300 - - - 4/0 released"}},
        {"a time that goes backwards is the next hour", KORVEX_CALLS_Q931,
         {{"59:59.900", 'U', Q931(1, 0, kSetupB1)},
          {"00:00.100", 'N', Q931(1, 1, kConnect)},
          {"garbage", 'N', Q931(1, 1, kReleaseComplete)}},
         {"1 q931 59:59.900 00:00.100 U ->- B1 - 0.200 0.000 - 3/0 released"}},
        {"messages that are no call: global call reference, cut, other protocol", KORVEX_CALLS_Q931,
         {{"00:01.000", 'N', "08 01 00 46 79 01 87"},
          {"00:01.100", 'N', "08 01"},
          {"00:01.200", 'N', "41 01 05 05"}},
         {}},
        {"LAPD: an incoming SETUP on the group TEI answered on TEI 64; TEI 65 has its own call reference 1",
         KORVEX_CALLS_LAPD,
         {{"00:01.000", ' ', "02 FF 03 08 01 01 05 18 01 89 00 00"},
          {"00:01.100", ' ', "00 81 00 00 08 01 81 01 00 00"},
          {"00:01.200", ' ', "00 83 00 00 08 01 01 05 00 00"},
          {"00:01.300", ' ', "00 81 02 00 08 01 81 07 00 00"},
          {"00:01.400", ' ', "02 81 00 04 08 01 01 5A 00 00"}},
         {"1 q931 00:01.000 00:01.400 N ->- B1 0.100 0.300 0.100 - 4/0 released",
          "2 q931 00:01.200 00:01.200 U ->- - - - - - 1/0 open?"}},
        {"X.25: a restart ends the calls of its link; a clear of no call", KORVEX_CALLS_X25,
         {{"00:01.000", 'U', "10 01 0B 22 12 34 00"},
          {"00:01.200", 'N', "10 01 0F"},
          {"00:01.300", 'U', "10 01 00 41"},
          {"00:01.400", 'U', "10 02 13 00 00"},
          {"00:02.000", 'N', "10 00 FB 07 00"}},
         {"1 x25 00:01.000 00:02.000 U 34>12 LCN 1 - 0.200 0.800 7N 4/1 restart",
          "2 x25 00:01.400 00:02.000 ? ->- LCN 2 - - - 0U 2/0 !restart"}},
    };
    for (const TraceCase& c : cases) {
        Tracker tracker(c.input);
        for (const Step& step : c.steps) tracker.Frame(step.time, step.direction, step.hex);
        EXPECT_EQ(tracker.Finish(), c.calls) << c.name;
    }
}

TEST(Calls, EachFrameSaysWhichCallItWentTo) {
    Tracker tracker(KORVEX_CALLS_Q931);
    EXPECT_EQ(tracker.Frame("00:01.000", 'U', Q931(1, 0, kSetupB1)), 1);
    EXPECT_EQ(tracker.Frame("00:01.100", 'U', Q931(2, 0, kSetupB1)), 2);
    EXPECT_EQ(tracker.Frame("00:01.200", 'N', Q931(1, 1, kReleaseComplete)), 1);
    EXPECT_EQ(tracker.Frame("00:01.300", 'N', "08 01 00 46"), 0);
    EXPECT_EQ(tracker.Frame("00:01.400", 'N', Q931(2, 1, kConnect)), 2);
}

TEST(Calls, OpenCallsBeyondTheLimitAreEvictedIdleFirst) {
    Tracker tracker(KORVEX_CALLS_X25);
    // 600 calls on 600 channels, none cleared: the first 88 give way.
    for (int lcn = 1; lcn <= 600; ++lcn) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "1%X %02X 0B 00 00", lcn >> 8, lcn & 0xFF);
        tracker.Frame("00:01.000", 'U', hex);
    }
    const std::vector<std::string> calls = tracker.Finish();
    ASSERT_EQ(calls.size(), 600u);
    EXPECT_EQ(calls[0], "1 x25 00:01.000 00:01.000 U ->- LCN 1 - - - - 1/0 evicted?");
    EXPECT_EQ(calls[87], "88 x25 00:01.000 00:01.000 U ->- LCN 88 - - - - 1/0 evicted?");
    EXPECT_EQ(calls[88], "89 x25 00:01.000 00:01.000 U ->- LCN 89 - - - - 1/0 open?");
}

TEST(Calls, RandomFramesNeverBreakTheTracker) {
    std::mt19937 random(1919);
    for (int32_t input : {KORVEX_CALLS_LAPD, KORVEX_CALLS_LAPF, KORVEX_CALLS_Q931, KORVEX_CALLS_X25}) {
        Tracker tracker(input);
        for (int i = 0; i < 4000; ++i) {
            std::vector<unsigned char> octets(static_cast<std::size_t>(random() % 24));
            for (unsigned char& o : octets) o = static_cast<unsigned char>(random() % 4 == 0 ? 0x08 : random());
            // Few call references, so that messages meet their calls.
            if (octets.size() > 6) octets[6] &= 0x83;
            const int32_t call = tracker.Frame("00:00.000", "UN?"[random() % 3], octets);
            ASSERT_GE(call, 0);
        }
        for (const std::string& line : tracker.Finish()) ASSERT_FALSE(line.empty());
    }
}

TEST(Calls, OpenRefusesWhatItCannotTrack) {
    KorvexCallTracker* tracker = reinterpret_cast<KorvexCallTracker*>(1);
    EXPECT_EQ(KorvexCallsOpen(0, &tracker), EINVAL);
    EXPECT_EQ(tracker, nullptr);
    EXPECT_EQ(KorvexCallsOpen(KORVEX_CALLS_X25 + 1, &tracker), EINVAL);
    EXPECT_EQ(KorvexCallsOpen(KORVEX_CALLS_LAPD, nullptr), EINVAL);
    EXPECT_EQ(KorvexCallsGuessInput(nullptr, 0), 0);
    const std::vector<unsigned char> ethernet = Octets("FF FF FF FF FF FF 00 11 22 33 44 55 08 06");
    EXPECT_EQ(KorvexCallsGuessInput(ethernet.data(), static_cast<int32_t>(ethernet.size())), 0);
}

std::string Sample(const char* name) { return std::string(KORVEX_SAMPLES_DIR) + "/" + name; }

TEST(CallsTool, OptionsInputsAndMessages) {
    struct ToolCase {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string outStart;  // the output begins so
        std::string err;       // the error output holds this
    };
    const std::vector<ToolCase> cases = {
        {"table header", {"calls", Sample("lapd.txt")}, 0, "#  proto  first      last       dir  calling", ""},
        {"CSV header", {"calls", Sample("q922.txt"), "--format", "csv"}, 0,
         "number,protocol,first,last,direction,calling,called,link,call_ref,logical_channel,channel,", ""},
        {"JSON Lines", {"calls", Sample("x25.txt"), "--format", "json"}, 0,
         "{\"number\": 1, \"protocol\": \"x25\", \"first\": \"12:01.900\"", ""},
        {"a trace of another protocol", {"calls", Sample("eth.txt")}, 1, "",
         "its first frame is not LAPD, LAPF, Q.931 or X.25 as far as korvex can tell; give --protocol"},
        {"a protocol given: LAPD frames read as Q.931 hold no calls",
         {"calls", Sample("lapd.txt"), "--protocol", "Q931"}, 0, "#  proto  first  last  dir  calling", ""},
        {"--layer2 alone", {"calls", Sample("lapd.txt"), "--layer2"}, 2, "", "--layer2 goes with --svg OUT"},
        {"an unknown format", {"calls", Sample("lapd.txt"), "--format", "xml"}, 2, "", "--format"},
        {"a missing file", {"calls", "/nonexistent/trace.txt"}, 1, "", "cannot open /nonexistent/trace.txt"},
        {"no frame", {"calls", "-"}, 1, "", "no frame found"},
    };
    for (const ToolCase& c : cases) {
        const test::ToolOutcome outcome = test::RunTool(c.args);
        EXPECT_EQ(outcome.status, c.status) << c.name << "\n" << outcome.err;
        EXPECT_EQ(outcome.out.substr(0, c.outStart.size()), c.outStart) << c.name;
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << c.name << "\n" << outcome.err;
    }
}

// A capture made from a trace gives the trace's records: with link type 177
// the directions come from the Linux header, with 203 from the C/R bits.
TEST(CallsTool, CapturesGiveTheRecordsOfTheirTrace) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("korvex-calls-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (const auto& [sample, linkType] : {std::pair{"lapd.txt", "203"}, std::pair{"lapd.txt", "177"},
                                            std::pair{"q922.txt", "107"}}) {
        const std::string capture = (dir / (std::string(linkType) + ".pcap")).string();
        ASSERT_EQ(test::RunTool({"convert", Sample(sample), capture, "--linktype", linkType}).status, 0);
        const test::ToolOutcome fromTrace = test::RunTool({"calls", Sample(sample), "--format", "csv"});
        const test::ToolOutcome fromCapture = test::RunTool({"calls", capture, "--format", "csv"});
        EXPECT_EQ(fromCapture.status, 0) << fromCapture.err;
        EXPECT_EQ(fromCapture.out, fromTrace.out) << sample << " as link type " << linkType;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korvex
