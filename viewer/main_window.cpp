// The main window: the toolbar of 13 picture buttons, the trace view below
// it and the status bar at the bottom. It also stands for the replay's view:
// the trace view's scroll bar and the status bar's repaint.
#include <cstdint>

#include "replay/replay.h"
#include "viewer/viewer_logic.h"
#include "viewer/windows_viewer.h"

namespace korvex::viewer {

namespace {

// The replay's view of the windows: scroll bar of the trace view, repaint of
// the status bar.
class WindowReplayView final : public ReplayView {
public:
    void SetScrollRange(int32_t minPos, int32_t maxPos, bool redraw) override {
        ::SetScrollRange(traceView, SB_VERT, minPos, maxPos, redraw ? TRUE : FALSE);
    }
    void SetScrollPos(int32_t pos, bool redraw) override {
        ::SetScrollPos(traceView, SB_VERT, pos, redraw ? TRUE : FALSE);
    }
    void RepaintStatus() override {
        // A request, served when the queue is empty: the whole bar is erased
        // first, so nothing of a longer earlier text stays behind.
        RedrawWindow(statusBar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }

    HWND traceView = nullptr;
    HWND statusBar = nullptr;
};

WindowReplayView gReplayView;
HWND gButtons[kButtonCount] = {};

void CreateButtons(HWND main) {
    for (int n = 0; n < kButtonCount; ++n) {
        const ButtonPlace place = PlaceOfButton(n);
        gButtons[n] = CreateWindowExA(0, "BUTTON", nullptr, WS_CHILD | WS_VISIBLE | BS_BITMAP, place.x,
                                      place.y, place.width, place.height, main,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(n)), Instance, nullptr);
        HBITMAP picture = LoadBitmapA(Instance, MAKEINTRESOURCEA(ButtonTable[n].pictureId));
        PostMessageA(gButtons[n], BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
}

void OnCreate(HWND main) {
    CreateButtons(main);

    RECT outer;
    GetWindowRect(main, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;

    gReplayView.traceView =
        CreateWindowExA(0, kTraceViewClass, "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL, 3, 32,
                        width - 12, height - 84, main, nullptr, Instance, nullptr);
    gReplayView.statusBar = CreateWindowExA(0, kStatusBarClass, "", WS_CHILD | WS_VISIBLE | WS_DLGFRAME, 3,
                                            height - 48, width - 12, 22, main, nullptr, Instance, nullptr);
    SetReplayView(&gReplayView);

    LoadStartTrace();
}

void OnButtonClicked(HWND main, HWND control) {
    for (int n = 0; n < kButtonCount; ++n) {
        if (gButtons[n] == nullptr || gButtons[n] != control) continue;
        switch (RunButton(n)) {
            case ButtonEffect::Repaint:
                RepaintNow(main);
                break;
            case ButtonEffect::OpenAbout:
                OpenAboutBox(main);
                break;
            case ButtonEffect::Exit:
                DestroyWindow(main);
                break;
            case ButtonEffect::None:
                break;
        }
        return;
    }
}

}  // namespace

ReplayView& WindowsReplayView() { return gReplayView; }

void RepaintNow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(window);
            return 0;
        case WM_DESTROY:
            SetReplayView(nullptr);
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) OnButtonClicked(window, reinterpret_cast<HWND>(lParam));
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace korvex::viewer
