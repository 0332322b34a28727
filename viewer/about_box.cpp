// The about box: a modeless dialog with the logo, what the library does and
// what this program is. Only its "OK" button closes it.
#include "viewer/resource.h"
#include "viewer/windows_viewer.h"

#ifndef KORVEX_VIEWER_VERSION
#define KORVEX_VIEWER_VERSION "1.0"
#endif

namespace korvex::viewer {

namespace {

constexpr const char* kLibraryText =
    "The Korvex protocol-decoding library lets a calling application turn raw "
    "communication protocol data into fully decoded, readable trace text: a "
    "one-line summary of every frame, on request a detail line for every field "
    "and a hex trace of the whole frame.\r\n\r\n"
    "Protocols decoded: LAPD (Q.921), LAPF (Q.922), ISDN call control (Q.931), "
    "X.25, 802.3 Ethernet and IP (with TCP, UDP and ICMP).";

constexpr const char* kProgramText =
    "Korvex Demo Viewer, version " KORVEX_VIEWER_VERSION "\r\n"
    "This program is a demo application for the Korvex library: it decodes the "
    "sample traces in its working directory and shows the result.";

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                DestroyWindow(dialog);
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

void OpenAboutBox(HWND owner) {
    HWND dialog = CreateDialogParamA(Instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, 0);
    if (dialog == nullptr) return;
    ShowWindow(dialog, SW_SHOWDEFAULT);
    UpdateWindow(dialog);
    SetDlgItemTextA(dialog, IDC_ABOUT_LIBRARY, kLibraryText);
    SetDlgItemTextA(dialog, IDC_ABOUT_PROGRAM, kProgramText);
}

}  // namespace korvex::viewer
