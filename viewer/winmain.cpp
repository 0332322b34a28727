// Program start: the three window classes, an empty line store, the main
// window, and the message loop until the main window is gone.
#include "viewer/resource.h"
#include "viewer/windows_viewer.h"
#include "replay/replay.h"

namespace korvex::viewer {

HINSTANCE Instance = nullptr;

namespace {

void RegisterWindowClass(const char* name, WNDPROC proc, UINT style, int background, HICON icon) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = Instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    // A system colour as class background is given as its index plus one.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);  // a class that fails shows up as a missing window
}

}  // namespace

}  // namespace korvex::viewer

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace korvex::viewer;
    Instance = instance;

    RegisterWindowClass(kMainWindowClass, MainWindowProc, CS_HREDRAW | CS_VREDRAW, COLOR_APPWORKSPACE,
                        LoadIconA(instance, MAKEINTRESOURCEA(IDI_KORVEX)));
    RegisterWindowClass(kTraceViewClass, TraceViewProc, CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW, nullptr);
    RegisterWindowClass(kStatusBarClass, StatusBarProc, 0, COLOR_MENU, nullptr);

    korvex::ClearLineStore(korvex::TraceLines);

    HWND main = CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, WS_SYSMENU, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                                nullptr);
    if (main == nullptr) return 0;
    ShowWindow(main, show);
    UpdateWindow(main);

    // No accelerators exist: the table loaded by a null name is null, and
    // every message goes on to translation and dispatch.
    HACCEL accelerators = LoadAcceleratorsA(instance, nullptr);
    MSG message = {};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // The quit message's value, 0; a broken loop ends the program with 0 too.
    return got == 0 ? static_cast<int>(message.wParam) : 0;
}
