// The demo viewer's behaviour without the window system: what the toolbar
// buttons do to the replay settings and the decoded lines, the trace view's
// scroll requests, and which lines a paint draws in which colour.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "decoders/protocols.h"
#include "korvex/korvex.h"
#include "replay/line_store.h"
#include "replay/replay.h"
#include "viewer/viewer_logic.h"

namespace korvex::viewer {
namespace {

namespace fs = std::filesystem;

// Records what the replay and the scroll handling ask of the window.
class RecordingView : public ReplayView {
public:
    void SetScrollRange(int32_t minPos, int32_t maxPos, bool) override {
        ranges.push_back({minPos, maxPos});
    }
    void SetScrollPos(int32_t pos, bool) override { positions.push_back(pos); }
    void RepaintStatus() override { ++statusRepaints; }

    std::vector<std::pair<int32_t, int32_t>> ranges;
    std::vector<int32_t> positions;
    int statusRepaints = 0;
};

std::string Status() { return std::string(StatusText, kStatusTextSize); }

std::string Padded(const std::string& text) {
    return text + std::string(kStatusTextSize - text.size(), ' ');
}

std::vector<std::string> ShownLines() {
    std::vector<std::string> lines;
    for (int32_t i = 0; i < TraceLines.lineCount; ++i) {
        lines.emplace_back(TraceLines.lines[i].start, TraceLines.lines[i].length);
    }
    return lines;
}

struct RecordedFrame {
    std::string timestamp;  // columns 25 to 33 of the timestamp line
    char direction;         // column 20 of the length line
};

// The frames of a sample trace, read straight from the file.
std::vector<RecordedFrame> RecordedFrames(const fs::path& file) {
    std::ifstream in(file);
    std::vector<RecordedFrame> frames;
    std::string line;
    std::string timestamp;
    int state = 0;
    while (std::getline(in, line)) {
        if (state == 0) {
            timestamp = line.size() >= 33 ? line.substr(24, 9) : "";
            state = 1;
        } else if (state == 1) {
            frames.push_back({timestamp, line.size() >= 20 ? line[19] : ' '});
            state = 2;
        } else if (line.empty()) {
            state = 0;
        }
    }
    return frames;
}

// Checks that the shown lines are the frames' texts in file order: each
// frame's text starts with its timestamp, and every line carries the
// direction of the frame it belongs to. Returns the number of frames seen.
size_t ExpectLinesFollowFrames(const std::vector<RecordedFrame>& frames) {
    size_t frame = 0;
    for (int32_t i = 0; i < TraceLines.lineCount; ++i) {
        const std::string text(TraceLines.lines[i].start, TraceLines.lines[i].length);
        if (frame < frames.size() && text.rfind(frames[frame].timestamp, 0) == 0) ++frame;
        if (frame == 0) {
            ADD_FAILURE() << "line " << i << " comes before the first frame: " << text;
            continue;
        }
        EXPECT_EQ(TraceLines.lines[i].tag, frames[frame - 1].direction) << "line " << i << ": " << text;
    }
    EXPECT_EQ(frame, frames.size());
    return frame;
}

bool AnyLineStartsWith(const std::string& prefix) {
    for (const std::string& line : ShownLines()) {
        if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

// Each test runs in a fresh working directory holding copies of the sample
// traces, with the replay back in its start state and watched by a view.
class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("korvex-viewer-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const char* name : {"lapd.txt", "q922.txt", "q931.txt", "x25.txt", "eth.txt", "ip.txt"}) {
            fs::copy_file(fs::path(KORVEX_SAMPLES_DIR) / name, dir_ / name);
        }
        fs::current_path(dir_);
        ResetReplay();
        SetReplayView(&view_);
    }

    void TearDown() override {
        SetReplayView(nullptr);
        fs::current_path(home_);
        fs::remove_all(dir_);
    }

    void Press(std::initializer_list<int> buttons) {
        for (int b : buttons) RunButton(b);
    }

    fs::path home_;
    fs::path dir_;
    RecordingView view_;
};

TEST_F(ViewerTest, StartShowsLapdSummaryLines) {
    ASSERT_EQ(LoadStartTrace(), 1);

    EXPECT_EQ(CurrentSelection.decoder, &DecodeLapd);
    EXPECT_STREQ(CurrentSelection.fileName, "lapd.txt");
    EXPECT_EQ(CurrentSelection.useFileDirection, 2);
    EXPECT_EQ(DecodeFlags, DECODE_SUMMARY);
    EXPECT_EQ(Status(), Padded("Q.921 (LAPD)"));

    // Every frame's summary, in the frame's direction; no detail lines.
    const std::vector<RecordedFrame> frames = RecordedFrames(dir_ / "lapd.txt");
    ASSERT_GT(frames.size(), 1u);
    ExpectLinesFollowFrames(frames);
    EXPECT_FALSE(AnyLineStartsWith("LAPD:"));
    EXPECT_EQ(TraceLines.topLine, 0);
    ASSERT_FALSE(view_.ranges.empty());
    EXPECT_EQ(view_.ranges.back(), std::make_pair(0, TraceLines.lineCount));
    EXPECT_EQ(view_.positions.back(), 0);
    // The blank status of window creation, then the label.
    EXPECT_EQ(view_.statusRepaints, 2);
}

struct FlagCase {
    const char* name;
    std::vector<int> buttons;
    uint32_t flags;
    const char* protocol;
};

class ButtonFlagsTest : public ViewerTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(ButtonFlagsTest, ButtonsSetSelectionAndFlags) {
    const FlagCase& c = GetParam();
    ASSERT_EQ(LoadStartTrace(), 1);
    for (int b : c.buttons) EXPECT_EQ(RunButton(b), ButtonEffect::Repaint) << "button " << b;

    EXPECT_EQ(DecodeFlags, c.flags);
    const Protocol& row = *ProtocolNamed(c.protocol);
    EXPECT_EQ(CurrentSelection.decoder, row.decoder);
    EXPECT_STREQ(CurrentSelection.fileName, row.sample);
    EXPECT_STREQ(CurrentSelection.label, row.label);
    EXPECT_EQ(CurrentSelection.useFileDirection, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ButtonFlagsTest,
    ::testing::Values(
        FlagCase{"Start", {}, DECODE_SUMMARY, "lapd"},
        FlagCase{"Detail", {9}, DECODE_DETAIL, "lapd"},
        FlagCase{"DetailThenBasic", {9, 8}, DECODE_SUMMARY, "lapd"},
        FlagCase{"HexOnce", {10}, DECODE_SUMMARY | DECODE_HEX, "lapd"},
        FlagCase{"HexTwice", {10, 10}, DECODE_SUMMARY, "lapd"},
        FlagCase{"Q931OverLapd", {4}, 0x0B, "lapd"},
        FlagCase{"Q931OverLapdThenLapd", {4, 0}, 0x0B, "lapd"},
        FlagCase{"DetailQ931OverLapdThenLapd", {9, 4, 0}, 0x0A, "lapd"},
        FlagCase{"X25OverLapf", {5}, 0x0B, "lapf"},
        // BASIC turns detail off but leaves layer-3 decoding on.
        FlagCase{"Layer3ThenBasic", {4, 8}, DECODE_SUMMARY | DECODE_LAYER3, "lapd"},
        FlagCase{"Layer3KeptAcrossProtocols", {5, 6, 1}, 0x0B, "lapf"},
        FlagCase{"ProtocolKeepsFlags", {10, 9, 1}, DECODE_DETAIL | DECODE_HEX, "lapf"},
        FlagCase{"Lapf", {1}, DECODE_SUMMARY, "lapf"},
        FlagCase{"CallControl", {2}, DECODE_SUMMARY, "q931"},
        FlagCase{"X25", {3}, DECODE_SUMMARY, "x25"},
        FlagCase{"Ethernet", {6}, DECODE_SUMMARY, "eth"},
        FlagCase{"Ip", {7}, DECODE_SUMMARY, "ip"},
        FlagCase{"IpThenBackToLapd", {7, 0}, DECODE_SUMMARY, "lapd"}),
    [](const ::testing::TestParamInfo<FlagCase>& info) { return info.param.name; });

TEST_F(ViewerTest, DetailShowsMoreLinesAndBasicShowsTheSummaryAgain) {
    ASSERT_EQ(LoadStartTrace(), 1);
    const std::vector<std::string> summary = ShownLines();

    Press({9});
    EXPECT_GT(TraceLines.lineCount, static_cast<int32_t>(summary.size()));
    EXPECT_TRUE(AnyLineStartsWith("LAPD:"));
    ExpectLinesFollowFrames(RecordedFrames(dir_ / "lapd.txt"));
    EXPECT_EQ(TraceLines.topLine, 0);
    EXPECT_EQ(view_.ranges.back(), std::make_pair(0, TraceLines.lineCount));

    Press({8});
    EXPECT_EQ(ShownLines(), summary);
}

TEST_F(ViewerTest, HexTwiceShowsTheViewOfBefore) {
    ASSERT_EQ(LoadStartTrace(), 1);
    Press({9});
    const std::vector<std::string> before = ShownLines();

    Press({10});
    EXPECT_GT(TraceLines.lineCount, static_cast<int32_t>(before.size()));
    Press({10});
    EXPECT_EQ(ShownLines(), before);
}

TEST_F(ViewerTest, Layer3ButtonsDecodeDetailOfTheirLinkProtocol) {
    ASSERT_EQ(LoadStartTrace(), 1);
    const int32_t summaryLines = TraceLines.lineCount;

    Press({4});
    EXPECT_GT(TraceLines.lineCount, summaryLines);
    EXPECT_EQ(Status(), Padded("Q.921 (LAPD)"));

    Press({5});
    EXPECT_STREQ(CurrentSelection.fileName, "q922.txt");
    EXPECT_EQ(CurrentSelection.decoder, &DecodeLapf);
    EXPECT_EQ(Status(), Padded("Q.922 (LAPF)"));
    EXPECT_TRUE(AnyLineStartsWith("LAPD:"));
    ExpectLinesFollowFrames(RecordedFrames(dir_ / "q922.txt"));
}

TEST_F(ViewerTest, LapfButtonLoadsTheFrameRelayTrace) {
    ASSERT_EQ(LoadStartTrace(), 1);
    Press({1});

    EXPECT_EQ(CurrentSelection.decoder, &DecodeLapf);
    EXPECT_STREQ(CurrentSelection.fileName, "q922.txt");
    EXPECT_EQ(Status(), Padded("Q.922 (LAPF)"));
    ExpectLinesFollowFrames(RecordedFrames(dir_ / "q922.txt"));
}

TEST_F(ViewerTest, X25ButtonShowsThePacketTraceDecoded) {
    ASSERT_EQ(LoadStartTrace(), 1);
    Press({3});

    EXPECT_EQ(CurrentSelection.decoder, &DecodeX25);
    EXPECT_STREQ(CurrentSelection.fileName, "x25.txt");
    EXPECT_EQ(Status(), Padded("X.25"));
    const std::vector<RecordedFrame> frames = RecordedFrames(dir_ / "x25.txt");
    ASSERT_GT(frames.size(), 1u);
    EXPECT_EQ(ExpectLinesFollowFrames(frames), frames.size());
    EXPECT_EQ(ShownLines().front(), frames.front().timestamp + "  GFI 01  LGN 00  LCN 00  RESTART         ");  // the line end shows as a blank
    EXPECT_FALSE(AnyLineStartsWith("X25:"));

    Press({9});
    EXPECT_EQ(ExpectLinesFollowFrames(frames), frames.size());
    EXPECT_TRUE(AnyLineStartsWith("X25: Cause  : 07 NETWORK OPERATIONAL"));
    EXPECT_TRUE(AnyLineStartsWith("X25: Facilities: "));
    EXPECT_EQ(Status(), Padded("X.25"));
}

TEST_F(ViewerTest, CallControlButtonShowsTheQ931TraceInSummaryAndDetail) {
    ASSERT_EQ(LoadStartTrace(), 1);
    EXPECT_EQ(RunButton(2), ButtonEffect::Repaint);
    EXPECT_EQ(CurrentSelection.decoder, &DecodeQ931);
    EXPECT_STREQ(CurrentSelection.fileName, "q931.txt");
    EXPECT_EQ(Status(), Padded("Q.931"));
    const std::vector<RecordedFrame> frames = RecordedFrames(dir_ / "q931.txt");
    ASSERT_GT(frames.size(), 1u);
    ExpectLinesFollowFrames(frames);
    EXPECT_EQ(TraceLines.lineCount, static_cast<int32_t>(frames.size()));
    EXPECT_FALSE(AnyLineStartsWith("Q931:"));

    Press({9});
    ExpectLinesFollowFrames(frames);
    EXPECT_TRUE(AnyLineStartsWith("Q931: IE: Calling party number"));
    EXPECT_TRUE(AnyLineStartsWith("Q931: Cause: Value              : Normal call clearing"));
}

TEST_F(ViewerTest, MissingTraceFileGivesEmptyViewAndTheNewLabel) {
    ASSERT_EQ(LoadStartTrace(), 1);
    const auto rangesBefore = view_.ranges.size();
    fs::remove(dir_ / "q922.txt");

    EXPECT_EQ(RunButton(1), ButtonEffect::Repaint);
    EXPECT_EQ(TraceLines.lineCount, 0);
    EXPECT_EQ(TraceLines.topLine, 0);
    EXPECT_EQ(Status(), Padded("Q.922 (LAPF)"));
    // The scroll bar keeps the range of the last file read.
    EXPECT_EQ(view_.ranges.size(), rangesBefore);

    // Scrolling the empty view moves nothing, and the next button works.
    EXPECT_TRUE(HandleViewScroll(TraceLines, view_, kScrollLineDown));
    EXPECT_EQ(TraceLines.topLine, 0);
    Press({0});
    EXPECT_GT(TraceLines.lineCount, 0);
    EXPECT_EQ(Status(), Padded("Q.921 (LAPD)"));
}

// The 802.3 ETH and IP buttons show their sample traces, summary lines
// first, and with DETAIL the field lines of every layer the decoder reads.
struct LanCase {
    const char* name;
    int button;
    KorvexDecoder decoder;
    const char* file;
    const char* label;
    std::vector<const char*> detailTags;
};

class LanButtonTest : public ViewerTest, public ::testing::WithParamInterface<LanCase> {};

TEST_P(LanButtonTest, ShowsTheSampleDecoded) {
    const LanCase& c = GetParam();
    ASSERT_EQ(LoadStartTrace(), 1);
    const std::vector<std::string> lapd = ShownLines();
    const auto ranges = view_.ranges.size();

    EXPECT_EQ(RunButton(c.button), ButtonEffect::Repaint);
    EXPECT_EQ(CurrentSelection.decoder, c.decoder);
    EXPECT_STREQ(CurrentSelection.fileName, c.file);
    EXPECT_EQ(Status(), Padded(c.label));
    EXPECT_NE(ShownLines(), lapd);
    EXPECT_EQ(view_.ranges.size(), ranges + 1);
    EXPECT_EQ(view_.ranges.back(), std::make_pair(0, TraceLines.lineCount));
    const std::vector<RecordedFrame> frames = RecordedFrames(dir_ / c.file);
    ASSERT_GT(frames.size(), 1u);
    // Frames of both directions, one summary line each.
    EXPECT_EQ(ExpectLinesFollowFrames(frames), frames.size());
    EXPECT_EQ(TraceLines.lineCount, static_cast<int32_t>(frames.size()));
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const RecordedFrame& f) { return f.direction == 'U'; }));
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const RecordedFrame& f) { return f.direction != 'U'; }));

    Press({9});
    EXPECT_EQ(ExpectLinesFollowFrames(frames), frames.size());
    for (const char* tag : c.detailTags) EXPECT_TRUE(AnyLineStartsWith(tag)) << tag;
    EXPECT_EQ(Status(), Padded(c.label));
}

INSTANTIATE_TEST_SUITE_P(
    Lan, LanButtonTest,
    ::testing::Values(LanCase{"Ethernet", 6, DecodeEthernet, "eth.txt", "802.3 Ethernet", {"ETH: Type", "ETH: DATA"}},
                      LanCase{"Ip", 7, DecodeIp, "ip.txt", "IP", {"IP: Version", "TCP: ", "UDP: ", "ICMP: "}}),
    [](const ::testing::TestParamInfo<LanCase>& info) { return info.param.name; });

TEST_F(ViewerTest, AboutAndExitLeaveTheReplayAlone) {
    ASSERT_EQ(LoadStartTrace(), 1);
    const std::vector<std::string> shown = ShownLines();
    const auto ranges = view_.ranges.size();

    EXPECT_EQ(RunButton(11), ButtonEffect::OpenAbout);
    EXPECT_EQ(RunButton(11), ButtonEffect::OpenAbout);
    EXPECT_EQ(RunButton(12), ButtonEffect::Exit);
    EXPECT_EQ(RunButton(13), ButtonEffect::None);
    EXPECT_EQ(RunButton(-1), ButtonEffect::None);

    EXPECT_EQ(DecodeFlags, DECODE_SUMMARY);
    EXPECT_EQ(ShownLines(), shown);
    EXPECT_EQ(view_.ranges.size(), ranges);
}

TEST(ButtonTableTest, PicturesAndPlacesFitTheToolbar) {
    std::vector<int> seen;
    for (int b = 0; b < kButtonCount; ++b) {
        const int id = ButtonTable[b].pictureId;
        EXPECT_GE(id, 143);
        EXPECT_LE(id, 155);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), id), 0) << "picture " << id << " twice";
        seen.push_back(id);
        if (b > 0) {
            const ButtonPlace left = PlaceOfButton(b - 1);
            const ButtonPlace here = PlaceOfButton(b);
            EXPECT_GT(here.x, left.x + left.width) << "button " << b << " overlaps its left neighbour";
            EXPECT_EQ(here.y, left.y);
        }
    }
    const ButtonPlace last = PlaceOfButton(kButtonCount - 1);
    EXPECT_EQ(last.x + last.width, 754);
}

TEST(SelectProtocolTest, EveryProtocolNamesItsOwnFileAndLabel) {
    const struct {
        const char* protocol;
        KorvexDecoder decoder;
        const char* file;
        const char* label;
    } rows[] = {
        {"eth", DecodeEthernet, "eth.txt", "802.3 Ethernet"}, {"x25", DecodeX25, "x25.txt", "X.25"},
        {"lapd", DecodeLapd, "lapd.txt", "Q.921 (LAPD)"},     {"ip", DecodeIp, "ip.txt", "IP"},
        {"q931", DecodeQ931, "q931.txt", "Q.931"},            {"lapf", DecodeLapf, "q922.txt", "Q.922 (LAPF)"},
    };
    ResetReplay();
    for (const auto& r : rows) {
        SelectProtocol(r.protocol);
        EXPECT_STREQ(CurrentSelection.fileName, r.file);
        EXPECT_STREQ(CurrentSelection.label, r.label);
        EXPECT_EQ(CurrentSelection.decoder, r.decoder);
        EXPECT_EQ(CurrentSelection.useFileDirection, 2);
    }
    // No name changes nothing; a name the library does not know selects no
    // decoder, and the load after it leaves everything as it is.
    SelectProtocol(nullptr);
    EXPECT_STREQ(CurrentSelection.fileName, "q922.txt");
    EXPECT_EQ(CurrentSelection.decoder, DecodeLapf);
    SelectProtocol("sna");
    EXPECT_EQ(CurrentSelection.decoder, nullptr);
    EXPECT_EQ(LoadTraceFile(CurrentSelection.fileName, 2), 0);
    ResetReplay();
}

// A store of n lines "L0 ", "L1 ", ... with the given tags (cycled).
struct TestStore {
    explicit TestStore(int n, std::vector<int32_t> tags = {'U'}) {
        for (int i = 0; i < n; ++i) text += "L" + std::to_string(i) + "\n";
        ClearLineStore(store);
        // Each line is its own frame so that it can carry its own tag.
        char* p = text.data();
        for (int i = 0; i < n; ++i) {
            char* end = p;
            while (*end != '\n') ++end;
            AppendLines(p, static_cast<int32_t>(end - p + 1), store, tags[static_cast<size_t>(i) % tags.size()]);
            p = end + 1;
        }
        store.topLine = 0;
    }
    std::string text;
    LineStore store;
};

uint32_t ScrollParam(uint32_t code, int16_t thumb = 0) {
    return code | (static_cast<uint32_t>(static_cast<uint16_t>(thumb)) << 16);
}

TEST(ViewScrollTest, RequestsMoveTheTopLine) {
    struct Step {
        uint32_t code;
        int16_t thumb;
        int32_t topBefore;
        int32_t topAfter;
        bool repaint;
        bool positionSet;
    };
    const struct {
        const char* name;
        int lines;
        std::vector<Step> steps;
    } cases[] = {
        {"page down to the last line", 100,
         {{kScrollPageDown, 0, 0, 30, true, true},
          {kScrollPageDown, 0, 30, 60, true, true},
          {kScrollPageDown, 0, 60, 90, true, true},
          {kScrollPageDown, 0, 90, 99, true, true},
          {kScrollPageDown, 0, 99, 99, true, true}}},
        {"line down and up", 100,
         {{kScrollLineDown, 0, 0, 1, true, true},
          {kScrollLineUp, 0, 1, 0, true, true},
          {kScrollLineUp, 0, 0, 0, false, false}}},
        {"page up stops at the top", 100,
         {{kScrollPageUp, 0, 10, 0, true, true}, {kScrollPageUp, 0, 0, 0, false, false}}},
        {"thumb down, up by five, and to where it is", 100,
         {{kScrollThumbTrack, 50, 0, 50, true, true},
          {kScrollThumbTrack, 45, 50, 45, true, true},
          {kScrollThumbTrack, 45, 45, 45, true, true}}},
        {"thumb beyond the last line", 100, {{kScrollThumbTrack, 500, 0, 99, true, true}}},
        {"thumb at a negative position", 100, {{kScrollThumbTrack, -1, 20, 0, true, true}}},
        {"thumb to the current top line at the top", 100,
         {{kScrollThumbTrack, 0, 0, 0, false, false}}},
        {"requests that do nothing", 100,
         {{kScrollThumbPosition, 10, 5, 5, false, false},
          {kScrollTop, 0, 5, 5, false, false},
          {kScrollBottom, 0, 5, 5, false, false},
          {kScrollEnd, 0, 5, 5, false, false},
          {9, 0, 5, 5, false, false}}},
        {"empty store", 0,
         {{kScrollLineDown, 0, 0, 0, true, true},
          {kScrollPageDown, 0, 0, 0, true, true},
          {kScrollLineUp, 0, 0, 0, false, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestStore t(c.lines);
        for (const Step& s : c.steps) {
            t.store.topLine = s.topBefore;
            RecordingView view;
            EXPECT_EQ(HandleViewScroll(t.store, view, ScrollParam(s.code, s.thumb)), s.repaint)
                << "code " << s.code << " from " << s.topBefore;
            EXPECT_EQ(t.store.topLine, s.topAfter) << "code " << s.code << " from " << s.topBefore;
            if (s.positionSet) {
                EXPECT_EQ(view.positions, std::vector<int32_t>{s.topAfter});
            } else {
                EXPECT_TRUE(view.positions.empty());
            }
        }
    }
}

TEST(PaintPlanTest, LinesFromTheTopLineInTheirColours) {
    const LineColour blue = kUserSideColour;
    const LineColour green = kOtherSideColour;
    const struct {
        const char* name;
        int lines;
        std::vector<int32_t> tags;
        int32_t topLine;
        int32_t clientBottom;
        int32_t lineHeight;
        std::vector<int32_t> indexes;
        std::vector<LineColour> colours;
    } cases[] = {
        {"all user side lines are blue", 3, {'U'}, 0, 400, 16, {0, 1, 2}, {blue, blue, blue}},
        {"every other tag is green", 4, {'U', 'N', 1, 'u'}, 0, 400, 16, {0, 1, 2, 3},
         {blue, green, green, green}},
        {"from the top line on", 5, {'U', 'N'}, 3, 400, 16, {3, 4}, {green, blue}},
        {"scrolled to the last line", 10, {'N'}, 9, 400, 16, {9}, {green}},
        {"lines below the client area are left out", 50, {'U'}, 0, 46, 16, {0, 1, 2, 3},
         {blue, blue, blue, blue}},
        {"empty store", 0, {'U'}, 0, 400, 16, {}, {}},
        {"no room at all", 5, {'U'}, 0, 0, 16, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestStore t(c.lines, c.tags);
        t.store.topLine = c.topLine;
        PaintPlan plan(t.store, 0, c.clientBottom, c.lineHeight);
        PaintStep step{};
        std::vector<int32_t> indexes;
        int32_t expectedTop = 0;
        while (plan.Next(step)) {
            indexes.push_back(step.index);
            ASSERT_LT(indexes.size(), c.indexes.size() + 1);
            const LineColour want = c.colours[indexes.size() - 1];
            EXPECT_EQ(step.colour.red, want.red);
            EXPECT_EQ(step.colour.green, want.green);
            EXPECT_EQ(step.colour.blue, want.blue);
            // Neighbouring lines share one pixel row.
            EXPECT_EQ(step.top, expectedTop);
            expectedTop += c.lineHeight - 1;
            EXPECT_EQ(std::string(step.text, static_cast<size_t>(step.length)),
                      "L" + std::to_string(step.index) + " ");
        }
        EXPECT_EQ(indexes, c.indexes);
    }
}

TEST_F(ViewerTest, ScrolledTraceIsPaintedFromTheNewTopLine) {
    ASSERT_EQ(LoadStartTrace(), 1);
    Press({9});
    const int32_t count = TraceLines.lineCount;
    ASSERT_GT(count, 31);

    ASSERT_TRUE(HandleViewScroll(TraceLines, view_, ScrollParam(kScrollPageDown)));
    ASSERT_TRUE(HandleViewScroll(TraceLines, view_, ScrollParam(kScrollLineDown)));
    PaintPlan plan(TraceLines, 0, 1000, 14);
    PaintStep step{};
    ASSERT_TRUE(plan.Next(step));
    EXPECT_EQ(step.index, 31);
    EXPECT_EQ(step.text, TraceLines.lines[31].start);

    // Dragging the thumb to the end leaves the last line alone at the top.
    ASSERT_TRUE(HandleViewScroll(TraceLines, view_, ScrollParam(kScrollThumbTrack, static_cast<int16_t>(count))));
    PaintPlan last(TraceLines, 0, 1000, 14);
    ASSERT_TRUE(last.Next(step));
    EXPECT_EQ(step.index, count - 1);
    EXPECT_FALSE(last.Next(step));

    // A reload starts at the top again.
    Press({10});
    EXPECT_EQ(TraceLines.topLine, 0);
    EXPECT_EQ(view_.positions.back(), 0);
}

}  // namespace
}  // namespace korvex::viewer
