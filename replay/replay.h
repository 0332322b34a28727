// Replay of a hex trace file into the viewer's fixed areas: the replay
// settings the toolbar changes (which decoder, which file, which label, the
// decode flags), the status line, and the load that decodes a whole file
// into the line store.
#pragma once

#include <cstdint>
#include <vector>

#include "korvex/korvex.h"
#include "replay/line_store.h"

namespace korvex {

// The protocol being shown.
struct Selection {
    KorvexDecoder decoder;  // may be null: then nothing is loaded
    const char* fileName;   // opened relative to the working directory
    int useFileDirection;   // handed to LoadTraceFile; stays 2
    const char* label;      // shown in the status line after a load
};

inline constexpr int32_t kTextAreaSize = 100000;
inline constexpr int32_t kStatusTextSize = 70;

// Replay settings and areas, one set for the whole run.
extern Selection CurrentSelection;
extern uint32_t DecodeFlags;
extern char StatusText[kStatusTextSize];  // always used by count, no terminator
extern LineStore TraceLines;

// The window that shows the replay; null until the viewer sets one.
void SetReplayView(ReplayView* view);

// Back to the start state: LAPD from "lapd.txt", summary lines, an empty
// store and a blank status line.
void ResetReplay();

// Reads fileName with the current decoder and flags into the line store,
// sets the trace view's scroll bar and the status line. Returns 1 when the
// file was read, 0 when no decoder is selected (nothing changes) or the file
// cannot be opened (an empty store). A frame whose text does not fit the
// text area or the line store any more is dropped and loading stops there.
int LoadTraceFile(const char* fileName, int useFileDirection);

// Characters of the text area in use after the last load.
int32_t TextAreaLength();

// Sets the status line to text and asks the view to repaint it; a text of
// more than 70 characters changes nothing.
void SetStatusText(const char* text);

// Decodes one frame into buffer, growing it until the whole text fits.
// Returns the number of characters; the text is followed by a NUL.
int32_t DecodeWhole(KorvexDecoder decoder, uint32_t flags, const char* timestamp,
                    const unsigned char* frame, int32_t length, std::vector<char>& buffer);

}  // namespace korvex
