// What the demo viewer does, without the windowing platform: the protocol
// table, the toolbar's buttons and their actions on the replay settings, the
// trace view's scroll requests and the plan of a trace view paint. The Win32
// layer (main_window.cpp, trace_view.cpp, status_bar.cpp, about_box.cpp)
// turns messages into calls of these and draws what they decide.
#pragma once

#include <cstdint>

#include "replay/line_store.h"
#include "replay/replay.h"

namespace korvex::viewer {

// ---------------------------------------------------------------------------
// Protocols
// ---------------------------------------------------------------------------

inline constexpr int kProtocolCount = 6;
inline constexpr int kLabelSize = 40;

struct ProtocolEntry {
    KorvexDecoder decoder;   // null while that decoder is not part of the library
    const char* fileName;    // sample trace, opened relative to the working directory
    int labelIndex;          // row whose label is shown for this row (each row names itself)
    char label[kLabelSize];  // status line text
};

// Rows in toolbar order of meaning: 0 Ethernet, 1 X.25, 2 LAPD, 3 IP,
// 4 Q.931, 5 LAPF.
extern const ProtocolEntry ProtocolTable[kProtocolCount];

inline constexpr int kRowEthernet = 0;
inline constexpr int kRowX25 = 1;
inline constexpr int kRowLapd = 2;
inline constexpr int kRowIp = 3;
inline constexpr int kRowQ931 = 4;
inline constexpr int kRowLapf = 5;

// Points the current selection at a row's decoder, file and label. The
// selection's useFileDirection stays as it is. A row outside the table
// changes nothing.
void SelectProtocol(int row);

// ---------------------------------------------------------------------------
// Toolbar
// ---------------------------------------------------------------------------

inline constexpr int kButtonCount = 13;

// Button n sits at (kButtonLeft + kButtonPitch * n, kButtonTop) in the main
// window's client area and is kButtonWidth x kButtonHeight pixels.
inline constexpr int kButtonLeft = 3;
inline constexpr int kButtonPitch = 58;
inline constexpr int kButtonTop = 3;
inline constexpr int kButtonWidth = 55;
inline constexpr int kButtonHeight = 26;

enum class ButtonKind {
    Reload,  // change the selection and/or the flags, then load the file again
    About,   // open an about box
    Exit,    // end the program
};

struct ButtonEntry {
    int pictureId;    // bitmap resource shown on the button
    ButtonKind kind;
    int protocolRow;  // row to select before reloading, or -1 to keep the selection
    uint32_t setFlags;
    uint32_t clearFlags;
    uint32_t flipFlags;
};

extern const ButtonEntry ButtonTable[kButtonCount];

struct ButtonPlace {
    int x, y, width, height;
};
ButtonPlace PlaceOfButton(int button);

// What the window layer has to do after a button's action.
enum class ButtonEffect {
    None,       // not a button
    Repaint,    // the file was reloaded (or left as it was): repaint the main window
    OpenAbout,  // open a new about box
    Exit,       // destroy the main window
};

// Runs the action of button n (0 to 12) on the replay settings. A reload
// selects the button's protocol row, changes the decode flags and calls
// LoadTraceFile with the current selection.
ButtonEffect RunButton(int button);

// ---------------------------------------------------------------------------
// Start
// ---------------------------------------------------------------------------

// What the main window does once its children exist: a blank status line,
// then the current selection's file (LAPD from "lapd.txt", summary lines, at
// program start). Returns LoadTraceFile's result.
int LoadStartTrace();

// ---------------------------------------------------------------------------
// Trace view scrolling
// ---------------------------------------------------------------------------

// The request codes a vertical scroll bar sends with its scroll message.
inline constexpr uint32_t kScrollLineUp = 0;
inline constexpr uint32_t kScrollLineDown = 1;
inline constexpr uint32_t kScrollPageUp = 2;
inline constexpr uint32_t kScrollPageDown = 3;
inline constexpr uint32_t kScrollThumbPosition = 4;
inline constexpr uint32_t kScrollThumbTrack = 5;
inline constexpr uint32_t kScrollTop = 6;
inline constexpr uint32_t kScrollBottom = 7;
inline constexpr uint32_t kScrollEnd = 8;

ScrollRequest ScrollRequestOfCode(uint32_t code);

// Handles a vertical scroll message of the trace view: the low 16 bits of
// param are the request code, the high 16 bits the signed thumb position.
// Moves the top line of store and sets the scroll position through view.
// Returns true when the trace view is to be repainted.
bool HandleViewScroll(LineStore& store, ReplayView& view, uint32_t param);

// ---------------------------------------------------------------------------
// Trace view painting
// ---------------------------------------------------------------------------

struct PaintStep {
    int32_t index;       // line of the store
    const char* text;    // its characters
    int32_t length;      // how many, the closing blank included
    LineColour colour;   // by the line's direction tag
    int32_t top;         // top of the rectangle the line is drawn into
};

// The lines a trace view paint draws, from the store's top line down. Each
// line is drawn lineHeight - 1 pixels below the one before, so neighbours
// share one pixel row. Lines whose top is at or below clientBottom would be
// clipped away entirely and are left out.
class PaintPlan {
public:
    PaintPlan(const LineStore& store, int32_t clientTop, int32_t clientBottom, int32_t lineHeight);

    // The next line to draw; false when there is none.
    bool Next(PaintStep& step);

private:
    const LineStore& store_;
    int32_t index_;
    int32_t top_;
    int32_t bottom_;
    int32_t advance_;
};

// ---------------------------------------------------------------------------
// Status bar
// ---------------------------------------------------------------------------

inline constexpr LineColour kStatusColour = {248, 29, 6};

}  // namespace korvex::viewer
