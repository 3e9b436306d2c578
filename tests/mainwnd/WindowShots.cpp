// kqwindowshots [seconds] [--exit]: waits for the configuration window of a
// running Kestiq.exe, presses each of the seven navigation buttons in turn
// and saves a picture of the window with that page in front under
// build/screenshots/ (run-<page>.png), the Network page once its list is
// filled.  With --exit it then ends the program
// through its tray command.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mainwnd/WindowProbe.h"

namespace {

struct Page {
    int id;
    const char* name;
};
const Page kPages[] = {
    { 1124, "profile" }, { 1125, "network" }, { 1126, "advanced" }, { 1127, "statistics" },
    { 1278, "wmm" },     { 1279, "wps" },     { 6252, "about" },
};

// Lets the program handle what was sent and paint.
void Settle(HWND w)
{
    DWORD_PTR r = 0;
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_BLOCK, 3000, &r);
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_BLOCK, 3000, &r);
}

// The Network page once the start-up scan has filled its list and given its
// buttons back (at most `seconds`); FALSE when it never did.
bool WaitForSurveyList(HWND w, int seconds)
{
    const int kList = 1014, kRescan = 1015;
    for (int i = 0; i < seconds * 10; ++i) {
        HWND list = kqtest::FindChildById(w, kList), rescan = kqtest::FindChildById(w, kRescan);
        if (list && rescan && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0 && IsWindowEnabled(rescan)) return true;
        Sleep(100);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    bool exitAfter = argc > 2 && std::strcmp(argv[2], "--exit") == 0;

    HWND w = nullptr;
    for (int i = 0; i < seconds * 10 && !(w && IsWindowVisible(w)); ++i) {
        w = FindWindowA(nullptr, "Tolvane Wireless Utility");
        if (!(w && IsWindowVisible(w))) Sleep(100);
    }
    if (!w) {
        std::printf("kqwindowshots: the configuration window did not open within %d s\n", seconds);
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    int saved = 0;
    for (const Page& p : kPages) {
        HWND button = kqtest::FindChildById(w, p.id);
        if (!button) {
            std::printf("  %-10s no button\n", p.name);
            continue;
        }
        if (!IsWindowEnabled(button)) std::printf("  %-10s button disabled (shown as it is)\n", p.name);
        else SendMessageA(button, BM_CLICK, 0, 0);
        if (std::strcmp(p.name, "network") == 0 && !WaitForSurveyList(w, 20))
            std::printf("  %-10s the scan gave no networks within 20 s (shown as it is)\n", p.name);
        Settle(w);
        std::string path = kqtest::ScreenshotPath(std::string("run-") + p.name);
        if (kqtest::SavePng(kqtest::CaptureWindow(w), path)) {
            ++saved;
            std::printf("  %-10s %s\n", p.name, path.c_str());
        }
    }
    std::printf("kqwindowshots: %d pictures of the window saved\n", saved);

    if (exitAfter) {
        HWND controller = nullptr;
        for (HWND h = FindWindowA(nullptr, "HideDlg"); h; h = FindWindowExA(nullptr, h, nullptr, "HideDlg")) {
            DWORD p = 0;
            GetWindowThreadProcessId(h, &p);
            if (p == pid) controller = h;
        }
        if (controller) PostMessageA(controller, WM_COMMAND, 32772 /* ID_TRAY_EXIT */, 0);
    }
    return saved == 7 ? 0 : 2;
}
