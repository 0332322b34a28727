// The viewer's Win32 windows: the main window with its toolbar, the trace
// view, the status bar and the about box. What they show and what their
// buttons and scroll bar do is decided in viewer_logic.h; these files only
// pass the platform's messages on and draw.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "replay/line_store.h"

namespace korvex::viewer {

inline constexpr const char* kMainWindowClass = "Korvex";
inline constexpr const char* kTraceViewClass = "Viewindow";
inline constexpr const char* kStatusBarClass = "Statwindow";
inline constexpr const char* kMainWindowTitle =
    "Demo Application for Korvex - Protocol Decoding Library";

// The program's module, for resources and window creation.
extern HINSTANCE Instance;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TraceViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The replay's view made of the windows: the trace view's scroll bar and the
// status bar's repaint. Set up by the main window's creation.
ReplayView& WindowsReplayView();

// Paints what is pending at once, then invalidates, erases and paints the
// whole window and its children again.
void RepaintNow(HWND window);

// Opens a new about box owned by owner; boxes already open stay.
void OpenAboutBox(HWND owner);

}  // namespace korvex::viewer
