// The store of decoded lines: references into the replay's text area, one
// per line of decoded text, each tagged with its frame's direction, and the
// scroll position of the view that paints them.
#pragma once

#include <cstdint>

namespace korvex {

struct TraceLine {
    const char* start = nullptr;  // first character of the line
    int32_t length = 0;           // characters, the blank that replaced the line feed included
    int32_t tag = 0;              // direction tag, 0 to 255; chooses the colour
};

inline constexpr int32_t kMaxTraceLines = 20000;

struct LineStore {
    TraceLine lines[kMaxTraceLines];
    int32_t lineCount = 0;
    int32_t topLine = 0;  // while loading, where the next line goes; afterwards the first line painted
};

// What the replay hands to the window that shows it: the scroll bar of the
// trace view and the repaint of the status line.
class ReplayView {
public:
    virtual ~ReplayView() = default;
    virtual void SetScrollRange(int32_t minPos, int32_t maxPos, bool redraw) = 0;
    virtual void SetScrollPos(int32_t pos, bool redraw) = 0;
    virtual void RepaintStatus() = 0;
};

// Text colours by direction tag, as red, green, blue.
struct LineColour {
    uint8_t red, green, blue;
};
inline constexpr LineColour kUserSideColour = {12, 1, 227};    // tag 'U'
inline constexpr LineColour kOtherSideColour = {35, 108, 18};  // any other tag
LineColour ColourOfTag(int32_t tag);

// Empties the store: no lines, top line 0.
void ClearLineStore(LineStore& store);

// Number of lines AppendLines records for count characters of text.
int32_t CountLines(const char* text, int32_t count);

// Records the lines of count characters of text, each tagged with tag cut
// to 8 bits; every line feed becomes a blank that ends its line. Lines past
// the store's room are not recorded.
void AppendLines(char* text, int32_t count, LineStore& store, int32_t tag);

// Moves the top line up by at most n lines and sets the view's scroll
// position. Returns 0, changing nothing, when the top line was already 0.
int ScrollUp(LineStore& store, ReplayView& view, int32_t n);

// Moves the top line down by at most n lines (the last line can become the
// top line) and sets the view's scroll position.
void ScrollDown(LineStore& store, ReplayView& view, int32_t n);

// The trace view's scroll requests.
enum class ScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Other };

inline constexpr int32_t kPageLines = 30;

// Runs one scroll request; thumb is the position that comes with a thumb
// drag. Returns true when the view is to be repainted.
bool HandleScrollRequest(LineStore& store, ReplayView& view, ScrollRequest request, int16_t thumb);

}  // namespace korvex
