// Cutting decoded text into lines, and scrolling the view over them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "replay/line_store.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::RecordingView;

struct Line {
    std::string text;
    int32_t tag;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Line& l) { return os << "\"" << l.text << "\"/" << l.tag; }

std::vector<Line> Lines(const LineStore& store) {
    std::vector<Line> lines;
    for (int32_t i = 0; i < store.lineCount; ++i) {
        const TraceLine& l = store.lines[i];
        lines.push_back({std::string(l.start, static_cast<std::size_t>(l.length)), l.tag});
    }
    return lines;
}

TEST(AppendLines, CutsTextAtItsLineFeeds) {
    const struct {
        const char* name;
        std::string text;
        int32_t tag;
        std::vector<Line> lines;
    } cases[] = {
        {"two lines", "A\nBB\n", 'U', {{"A ", 'U'}, {"BB ", 'U'}}},
        {"a leading line feed", "\nX\n", 'N', {{" ", 'N'}, {"X ", 'N'}}},
        {"text after the last line feed", "A\nB", 'U', {{"A ", 'U'}, {"B", 'U'}}},
        {"tag cut to 8 bits", "A\n", 0x155, {{"A ", 0x55}}},
        {"tag 1", "A\n", 1, {{"A ", 1}}},
        {"nothing", "", 'U', {}},
    };
    for (const auto& c : cases) {
        auto store = std::make_unique<LineStore>();
        std::string text = c.text;
        AppendLines(text.data(), static_cast<int32_t>(text.size()), *store, c.tag);
        EXPECT_EQ(Lines(*store), c.lines) << c.name;
        EXPECT_EQ(store->topLine, store->lineCount) << c.name;
        EXPECT_EQ(CountLines(c.text.data(), static_cast<int32_t>(c.text.size())),
                  static_cast<int32_t>(c.lines.size())) << c.name;
    }
}

TEST(AppendLines, LinesReferToTheTextInPlace) {
    auto store = std::make_unique<LineStore>();
    std::string text = "first\nsecond\n";
    AppendLines(text.data(), static_cast<int32_t>(text.size()), *store, 'U');
    EXPECT_EQ(text, "first second ");
    EXPECT_EQ(store->lines[1].start, text.data() + 6);
}

TEST(AppendLines, LinesBeyondTheStoresRoomAreNotRecorded) {
    auto store = std::make_unique<LineStore>();
    std::string text(kMaxTraceLines + 5, '\n');
    AppendLines(text.data(), static_cast<int32_t>(text.size()), *store, 'U');
    EXPECT_EQ(store->lineCount, kMaxTraceLines);
}

std::unique_ptr<LineStore> StoreOf(int32_t lines) {
    auto store = std::make_unique<LineStore>();
    store->lineCount = lines;
    return store;
}

TEST(Scrolling, DownStopsAtTheLastLine) {
    auto store = StoreOf(100);
    RecordingView view;
    std::vector<int32_t> tops;
    for (int i = 0; i < 4; ++i) {
        ScrollDown(*store, view, 30);
        tops.push_back(store->topLine);
    }
    EXPECT_EQ(tops, (std::vector<int32_t>{30, 60, 90, 99}));
    EXPECT_EQ(view.calls.back(), "pos 99 redraw");
    ScrollDown(*store, view, 1);
    EXPECT_EQ(store->topLine, 99);
}

TEST(Scrolling, UpStopsAtTheTopAndReportsWhetherItMoved) {
    auto store = StoreOf(100);
    RecordingView view;
    EXPECT_EQ(ScrollUp(*store, view, 1), 0);
    EXPECT_TRUE(view.calls.empty());
    store->topLine = 10;
    EXPECT_EQ(ScrollUp(*store, view, 30), 1);
    EXPECT_EQ(store->topLine, 0);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"pos 0 redraw"}));
}

TEST(Scrolling, AnEmptyStoreStaysAtTheTop) {
    auto store = StoreOf(0);
    RecordingView view;
    ScrollDown(*store, view, 1);
    EXPECT_EQ(store->topLine, 0);
    EXPECT_FALSE(HandleScrollRequest(*store, view, ScrollRequest::LineUp, 0));
}

TEST(Scrolling, RequestsOfTheView) {
    const struct {
        const char* name;
        int32_t top;
        ScrollRequest request;
        int16_t thumb;
        int32_t newTop;
        bool repaint;
    } cases[] = {
        {"line down", 10, ScrollRequest::LineDown, 0, 11, true},
        {"line up", 10, ScrollRequest::LineUp, 0, 9, true},
        {"line up at the top", 0, ScrollRequest::LineUp, 0, 0, false},
        {"page down", 10, ScrollRequest::PageDown, 0, 40, true},
        {"page down near the end", 90, ScrollRequest::PageDown, 0, 99, true},
        {"page up", 40, ScrollRequest::PageUp, 0, 10, true},
        {"page up at the top", 0, ScrollRequest::PageUp, 0, 0, false},
        {"thumb down", 10, ScrollRequest::ThumbTrack, 50, 50, true},
        {"thumb up five lines", 50, ScrollRequest::ThumbTrack, 45, 45, true},
        {"thumb to where it is", 50, ScrollRequest::ThumbTrack, 50, 50, true},
        {"thumb to where it is at the top", 0, ScrollRequest::ThumbTrack, 0, 0, false},
        {"thumb beyond the end", 10, ScrollRequest::ThumbTrack, 500, 99, true},
        {"thumb at a negative position", 10, ScrollRequest::ThumbTrack, -5, 0, true},
        {"other requests", 10, ScrollRequest::Other, 0, 10, false},
    };
    for (const auto& c : cases) {
        auto store = StoreOf(100);
        store->topLine = c.top;
        RecordingView view;
        EXPECT_EQ(HandleScrollRequest(*store, view, c.request, c.thumb), c.repaint) << c.name;
        EXPECT_EQ(store->topLine, c.newTop) << c.name;
    }
}

TEST(LineColours, BlueForTheUserSideGreenForAnyOther) {
    EXPECT_EQ(ColourOfTag('U').blue, 227);
    EXPECT_EQ(ColourOfTag('U').red, 12);
    for (int32_t tag : {int32_t{'N'}, int32_t{'u'}, 1, 0, int32_t{' '}, 255}) {
        const LineColour c = ColourOfTag(tag);
        EXPECT_EQ(c.red, 35);
        EXPECT_EQ(c.green, 108);
        EXPECT_EQ(c.blue, 18);
    }
}

}  // namespace
}  // namespace korvex
