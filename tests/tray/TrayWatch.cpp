// kqtraywatch [seconds] [--exit]: prints the notification icon state and
// tooltip that the running Kestiq shows, each time they change, until its
// configuration window exists (and the first polls have run), Kestiq ends,
// or the seconds pass.  --exit then ends Kestiq through its tray Exit.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/StateQuery.h"
#include "resource.h"

namespace {

const char* StateName(LRESULT icon)
{
    switch (icon) {
    case IDI_TRAY_GOOD: return "good";
    case IDI_TRAY_NORMAL: return "normal";
    case IDI_TRAY_WEAK: return "weak";
    case IDI_TRAY_DISCONNECT: return "disconnected";
    case IDI_TRAY_NO_ADAPTER: return "no adapter";
    case IDI_TRAY_WEP_ERROR: return "WEP error";
    case 0: return "no icon";
    default: return "?";
    }
}

std::string OneLine(std::string s)
{
    for (char& c : s)
        if (c == '\n') c = '|';
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    int seconds = 60;
    bool exitAfter = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--exit") == 0) exitAfter = true;
        else seconds = std::atoi(argv[i]);
    }
    DWORD start = GetTickCount();
    HWND h = nullptr;
    while (!h && GetTickCount() - start < 20000) {
        h = FindWindowA(nullptr, "HideDlg");
        if (!h) Sleep(100);
    }
    if (!h) {
        std::printf("kqtraywatch: Kestiq's controller window did not appear\n");
        return 1;
    }
    LRESULT lastIcon = -2;
    std::string lastTip = "\x01";
    while (IsWindow(h) && (seconds <= 0 || GetTickCount() - start < (DWORD)seconds * 1000)) {
        DWORD_PTR icon = 0, mainWnd = 0;
        if (!SendMessageTimeoutA(h, WM_KQ_QUERY_STATE, KQ_STATE_ICON, 0, SMTO_BLOCK, 3000, &icon)) break;
        SendMessageTimeoutA(h, WM_KQ_QUERY_STATE, KQ_STATE_MAIN_WINDOW, 0, SMTO_BLOCK, 3000, &mainWnd);
        char tip[256] = {};
        DWORD_PTR r;
        HWND mirror = GetDlgItem(h, IDC_TRAY_TIP_MIRROR);
        if (mirror) SendMessageTimeoutA(mirror, WM_GETTEXT, sizeof(tip), (LPARAM)tip, SMTO_BLOCK, 3000, &r);
        if ((LRESULT)icon != lastIcon || lastTip != tip) {
            std::printf("icon %d (%s)  tooltip \"%s\"\n", (int)icon, StateName((LRESULT)icon), OneLine(tip).c_str());
            std::fflush(stdout);
            lastIcon = (LRESULT)icon;
            lastTip = tip;
        }
        // The window opens before the first poll: give the poll three seconds.
        if (mainWnd && GetTickCount() - start > 3000) {
            std::printf("configuration window is open\n");
            break;
        }
        Sleep(250);
    }
    if (exitAfter && IsWindow(h)) PostMessageA(h, WM_COMMAND, ID_TRAY_EXIT, 0);
    return 0;
}
