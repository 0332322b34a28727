// The trace view: paints the decoded lines from the store's top line down,
// each in its direction's colour, and turns scroll bar requests into moves
// of the top line.
#include <cstdint>

#include "replay/replay.h"
#include "viewer/viewer_logic.h"
#include "viewer/windows_viewer.h"

namespace korvex::viewer {

namespace {

// Made on the first paint and kept for the whole run: every attribute left
// to the system except the family, one of constant stroke width, for which
// the system picks a fixed-pitch font.
HFONT gViewFont = nullptr;

HFONT ViewFont() {
    if (gViewFont == nullptr) {
        LOGFONTA request = {};
        request.lfPitchAndFamily = FF_MODERN | DEFAULT_PITCH;
        gViewFont = CreateFontIndirectA(&request);
    }
    return gViewFont;
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    SelectObject(dc, ViewFont());
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);

    PaintPlan plan(TraceLines, client.top, client.bottom, metrics.tmHeight);
    PaintStep step;
    while (plan.Next(step)) {
        SetTextColor(dc, RGB(step.colour.red, step.colour.green, step.colour.blue));
        RECT line = client;
        line.top = step.top;
        DrawTextA(dc, step.text, step.length, &line, 0);
    }
    EndPaint(window, &paint);
}

}  // namespace

LRESULT CALLBACK TraceViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_VSCROLL: {
            if (HandleViewScroll(TraceLines, WindowsReplayView(), static_cast<uint32_t>(wParam))) {
                RepaintNow(window);
            }
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace korvex::viewer
