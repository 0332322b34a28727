// Loading a trace file into the text area and the line store.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "replay/replay.h"
#include "test_support.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;

std::string Record(const std::string& timestamp, int length, char direction, const std::string& data) {
    std::string lengthLine = "Length: " + std::to_string(length);
    lengthLine.resize(19, ' ');
    lengthLine += direction;
    return "Frame                   " + timestamp + "\n" + lengthLine + "\nOffset  Data\n0000: " + data + "\n\n";
}

class LoadTraceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("korvex-load-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        ResetReplay();
        SetReplayView(&view_);
    }
    void TearDown() override {
        SetReplayView(nullptr);
        ResetReplay();
        fs::remove_all(dir_);
    }
    std::string Write(const std::string& name, const std::string& text) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::string LineText(int32_t i) const {
        const TraceLine& l = TraceLines.lines[i];
        return std::string(l.start, static_cast<std::size_t>(l.length));
    }
    std::string Status() const { return std::string(StatusText, kStatusTextSize); }

    fs::path dir_;
    test::RecordingView view_;
};

TEST_F(LoadTraceFileTest, TwoFramesFollowEachOtherInTheTextArea) {
    const std::string file = Write("two.txt", Record("12:01.250", 6, 'U', "02 81 01 07 1A 2B") +
                                                  Record("12:01.300", 5, 'N', "FC FF 03 1A 2B"));
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    ASSERT_EQ(TraceLines.lineCount, 2);
    EXPECT_EQ(LineText(0), "12:01.250  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b ");
    EXPECT_EQ(LineText(1), "12:01.300  SAPI 063 TEI 127  CR 0  U   NS ---  NR ---  P/F 0  UI     FCS 1a2b ");
    EXPECT_EQ(TraceLines.lines[1].start, TraceLines.lines[0].start + TraceLines.lines[0].length);
    EXPECT_EQ(TraceLines.lines[0].tag, 'U');
    EXPECT_EQ(TraceLines.lines[1].tag, 'N');
    EXPECT_EQ(TraceLines.topLine, 0);
    EXPECT_EQ(TextAreaLength(), TraceLines.lines[0].length + TraceLines.lines[1].length);
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"range 0 2 redraw", "pos 0 redraw", "status"}));
    EXPECT_EQ(Status(), "Q.921 (LAPD)" + std::string(kStatusTextSize - 12, ' '));
}

TEST_F(LoadTraceFileTest, DetailAndHexFlagsGiveMoreLines) {
    const std::string file = Write("one.txt", Record("12:01.250", 6, 'U', "02 81 01 07 1A 2B"));
    DecodeFlags = DECODE_DETAIL | DECODE_HEX;
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    // Summary, four detail lines, "HEX TRACE:", one dump row, the empty line.
    EXPECT_EQ(TraceLines.lineCount, 8);
    EXPECT_EQ(LineText(5), "HEX TRACE: ");
    EXPECT_EQ(LineText(7), " ");
}

TEST_F(LoadTraceFileTest, AMissingFileGivesAnEmptyViewAndTheLabel) {
    const std::string file = Write("one.txt", Record("12:01.250", 6, 'U', "02 81 01 07 1A 2B"));
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    view_.calls.clear();
    CurrentSelection.label = "Q.922 (LAPF)";
    EXPECT_EQ(LoadTraceFile((dir_ / "missing.txt").c_str(), 2), 0);
    EXPECT_EQ(TraceLines.lineCount, 0);
    EXPECT_EQ(TraceLines.topLine, 0);
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"status"}));  // the scroll bar keeps its range
    EXPECT_EQ(Status().substr(0, 13), "Q.922 (LAPF) ");
}

TEST_F(LoadTraceFileTest, NoDecoderChangesNothing) {
    const std::string file = Write("one.txt", Record("12:01.250", 6, 'U', "02 81 01 07 1A 2B"));
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    view_.calls.clear();
    CurrentSelection = Selection{nullptr, "ip.txt", 2, "IP"};
    EXPECT_EQ(LoadTraceFile(file.c_str(), 2), 0);
    EXPECT_EQ(TraceLines.lineCount, 1);
    EXPECT_TRUE(view_.calls.empty());
    EXPECT_EQ(Status().substr(0, 12), "Q.921 (LAPD)");
}

TEST_F(LoadTraceFileTest, LoadingTwiceGivesTheSameLines) {
    std::string text;
    for (int i = 0; i < 20; ++i) text += Record("12:01.250", 9, i % 3 ? 'U' : 'N', "00 00 0A 06 08 01 05 1A 2B");
    const std::string file = Write("many.txt", text);
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    std::vector<std::string> first;
    for (int32_t i = 0; i < TraceLines.lineCount; ++i) first.push_back(LineText(i));
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    std::vector<std::string> second;
    for (int32_t i = 0; i < TraceLines.lineCount; ++i) second.push_back(LineText(i));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.size(), 40u);
}

TEST_F(LoadTraceFileTest, AFrameThatWouldOverflowTheTextAreaEndsTheLoad) {
    // Each frame gives 90 characters of text; 1200 frames would need 108000.
    std::string text;
    for (int i = 0; i < 1200; ++i) text += Record("12:01.250", 9, 'U', "00 00 0A 06 08 01 05 1A 2B");
    const std::string file = Write("big.txt", text);
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    const int32_t perFrame = TraceLines.lines[0].length + TraceLines.lines[1].length;
    const int32_t frames = TraceLines.lineCount / 2;
    EXPECT_EQ(TraceLines.lineCount % 2, 0) << "a frame was cut";
    EXPECT_EQ(frames, (kTextAreaSize - 1) / perFrame);
    EXPECT_EQ(TextAreaLength(), frames * perFrame);
    EXPECT_EQ(LineText(TraceLines.lineCount - 2).substr(0, 9), "12:01.250");
}

int32_t ManyLines(DecodeRequest request) {
    // Fifty empty lines per frame.
    int32_t n = 0;
    while (n < 50 && n + 1 < request.capacity) request.out[n++] = '\n';
    if (request.capacity > 0) request.out[n] = '\0';
    return n;
}

TEST_F(LoadTraceFileTest, AFrameThatWouldOverflowTheLineStoreEndsTheLoad) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += Record("12:01.250", 1, 'U', "00");
    const std::string file = Write("lines.txt", text);
    CurrentSelection.decoder = ManyLines;
    ASSERT_EQ(LoadTraceFile(file.c_str(), 2), 1);
    EXPECT_EQ(TraceLines.lineCount, 20000);
    EXPECT_EQ(TextAreaLength(), 20000);
}

TEST_F(LoadTraceFileTest, StatusTextOfUpTo70Characters) {
    const std::string seventy(70, 'x');
    SetStatusText(seventy.c_str());
    EXPECT_EQ(Status(), seventy);
    view_.calls.clear();
    const std::string seventyOne(71, 'y');
    SetStatusText(seventyOne.c_str());
    EXPECT_EQ(Status(), seventy);
    EXPECT_TRUE(view_.calls.empty());
    SetStatusText("802.3 Ethernet");
    SetStatusText("IP");
    EXPECT_EQ(Status(), "IP" + std::string(68, ' '));
    EXPECT_EQ(view_.calls, (std::vector<std::string>{"status", "status"}));
}

TEST_F(LoadTraceFileTest, TheBundledSamplesLoadWhole) {
    const struct {
        const char* file;
        KorvexDecoder decoder;
        int frames;
    } cases[] = {{"lapd.txt", DecodeLapd, 50}, {"q922.txt", DecodeLapf, 25}};
    for (const auto& c : cases) {
        CurrentSelection.decoder = c.decoder;
        const std::string path = std::string(KORVEX_SAMPLES_DIR) + "/" + c.file;
        ASSERT_EQ(LoadTraceFile(path.c_str(), 2), 1) << c.file;
        int frames = 0;
        bool both = false;
        for (int32_t i = 0; i < TraceLines.lineCount; ++i) {
            const std::string line = LineText(i);
            if (line.size() > 10 && line[2] == ':' && line[5] == '.') ++frames;
            both = both || (TraceLines.lines[i].tag != TraceLines.lines[0].tag);
        }
        EXPECT_EQ(frames, c.frames) << c.file;
        EXPECT_TRUE(both) << c.file << ": frames of both directions";
    }
}

}  // namespace
}  // namespace korvex
