// kqdesktopkeeper: holds the desktop for the length of a test run.  Wine's
// desktop process (explorer, with the notification area) ends a few seconds
// after its last program and is started again by the next one, whose output
// it then holds open, so that ctest waits for it.  scripts/test starts this
// first, with its output going nowhere, and ends it at the end.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A hidden window connects this program to the desktop.  On a busy
    // machine the desktop may not be up yet: try again for a while.
    HWND w = nullptr;
    for (int i = 0; i < 600 && !w; ++i) {
        w = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        if (!w) Sleep(100);
    }
    if (!w) return 1;
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    return 0;
}
