// The status bar: one line of red text, the 70 characters of the status
// text, on the bar's own background.
#include "replay/replay.h"
#include "viewer/viewer_logic.h"
#include "viewer/windows_viewer.h"

namespace korvex::viewer {

namespace {

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(kStatusColour.red, kStatusColour.green, kStatusColour.blue));
    DrawTextA(dc, StatusText, kStatusTextSize, &client, 0);
    EndPaint(window, &paint);
}

}  // namespace

LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace korvex::viewer
