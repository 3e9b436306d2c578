// The hands of idle_bench.sh inside Wine, and the bare dialog program it
// measures beside Kestiq.exe.
//
//   idle_helper bare          shows dialog 102 (the configuration window's
//                             template, no pages) at 800 x 740 and runs its
//                             message loop until the window is closed
//   idle_helper wait-kestiq   waits until Kestiq's controller exists
//   idle_helper wait-window   waits until Kestiq's configuration window is shown
//   idle_helper wait-bare     waits until the bare dialog is shown
//   idle_helper exit-kestiq   the tray menu's Exit, to Kestiq's controller
//   idle_helper close-bare    closes the bare dialog
//
// The wait modes end with 0 when the window came within 30 s, else 1.
#include <windows.h>

#include <cstring>

#include "resource.h"

namespace {

const char kBareTitle[] = "idle bench: bare dialog 102";

HWND FindTitled(const char* title)
{
    return FindWindowA("#32770", title);
}

// Kestiq's controller is an invisible dialog titled "HideDlg".
HWND Controller() { return FindTitled("HideDlg"); }

HWND ConfigWindow()
{
    HWND w = FindTitled("Tolvane Wireless Utility");
    return w && IsWindowVisible(w) ? w : nullptr;
}

HWND BareWindow()
{
    HWND w = FindTitled(kBareTitle);
    return w && IsWindowVisible(w) ? w : nullptr;
}

int WaitFor(HWND (*find)())
{
    for (int i = 0; i < 600; ++i) {
        if (find()) return 0;
        Sleep(50);
    }
    return 1;
}

INT_PTR CALLBACK BareProc(HWND h, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        DestroyWindow(h);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

int RunBare()
{
    HWND h = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIG_MAIN), nullptr, BareProc, 0);
    if (!h) return 1;
    SetWindowTextA(h, kBareTitle);
    SetWindowPos(h, nullptr, 0, 0, 800, 740, SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(h, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int)
{
    if (!cmd) return 2;
    if (!std::strcmp(cmd, "bare")) return RunBare();
    if (!std::strcmp(cmd, "wait-kestiq")) return WaitFor(Controller);
    if (!std::strcmp(cmd, "wait-window")) return WaitFor(ConfigWindow);
    if (!std::strcmp(cmd, "wait-bare")) return WaitFor(BareWindow);
    if (!std::strcmp(cmd, "exit-kestiq")) {
        HWND c = Controller();
        return c && PostMessageA(c, WM_COMMAND, ID_TRAY_EXIT, 0) ? 0 : 1;
    }
    if (!std::strcmp(cmd, "close-bare")) {
        HWND b = FindTitled(kBareTitle);
        return b && PostMessageA(b, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    return 2;
}
