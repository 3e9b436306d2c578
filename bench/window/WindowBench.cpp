// Prints how long the configuration window takes from the launch command to
// the first paint of its Network page, and how much the process's working
// set grows while it is open, each beside the same figures for the bare
// dialog 102 (the window's template without pages, panels or buttons),
// measured in the same run against the installed default adapter.
//
//   window_bench [rounds]      default: 50
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/HideDlg.h"
#include "mainwnd/ConfigMainDlg.h"
#include "resource.h"

namespace {

double NowMs()
{
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return (double)c.QuadPart * 1000.0 / (double)f.QuadPart;
}

SIZE_T WorkingSet()
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return pmc.WorkingSetSize;
}

// Everything sent and posted so far is handled, and every window painted.
void Drain(HWND w)
{
    UpdateWindow(w);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

struct Figures {
    double medianMs = 0, minMs = 0;
    double closeMs = 0;  // closing again, mean
    double openKb = 0;   // working set with the window open, above the closed state
};

template <class Open, class Close>
Figures Measure(int rounds, Open open, Close close)
{
    std::vector<double> ms;
    double grow = 0, closeTotal = 0;
    for (int i = 0; i < rounds; ++i) {
        SIZE_T before = WorkingSet();
        double t0 = NowMs();
        HWND w = open();
        if (!w) break;
        Drain(w);
        ms.push_back(NowMs() - t0);
        grow += ((double)WorkingSet() - (double)before) / 1024.0;
        double t1 = NowMs();
        close();
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        closeTotal += NowMs() - t1;
    }
    Figures f;
    if (ms.empty()) return f;
    std::sort(ms.begin(), ms.end());
    f.medianMs = ms[ms.size() / 2];
    f.minMs = ms.front();
    f.openKb = grow / (double)ms.size();
    f.closeMs = closeTotal / (double)ms.size();
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    CHideDlg controller;
    controller.m_bShowOnStart = FALSE;
    if (!controller.Create(IDD_HIDE_DLG) || !controller.m_bAdapterFound) {
        std::printf("window_bench: no adapter (run inside the prefix with the stand-ins installed)\n");
        return 1;
    }
    controller.KillAllTimers();

    // The bare template: dialog 102 sized as the controller sizes the window.
    CDialog* bare = nullptr;
    Figures empty = Measure(rounds,
        [&]() -> HWND {
            bare = new CDialog(IDD_CONFIG_MAIN, &controller);
            if (!bare->Create(IDD_CONFIG_MAIN, &controller)) return nullptr;
            bare->SetWindowPos(nullptr, 0, 0, kMainWindowWidth, kMainWindowHeight,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
            return bare->m_hWnd;
        },
        [&] { delete bare; bare = nullptr; });

    // The real window from the launch command.
    Figures real = Measure(rounds,
        [&]() -> HWND {
            controller.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH);
            CConfigMainDlg* w = controller.OpenedMainWindow();
            return w ? w->m_hWnd : nullptr;
        },
        [&] { controller.DestroyMainWindow(); });

    std::printf("window_bench: %d rounds each\n", rounds);
    std::printf("                                   configuration window   bare dialog 102\n");
    std::printf("  launch to painted, median (ms)   %20.2f   %15.2f\n", real.medianMs, empty.medianMs);
    std::printf("  launch to painted, best (ms)     %20.2f   %15.2f\n", real.minMs, empty.minMs);
    std::printf("  closing, mean (ms)               %20.2f   %15.2f\n", real.closeMs, empty.closeMs);
    std::printf("  working set while open (KB)      %20.0f   %15.0f\n", real.openKb, empty.openKb);
    std::printf("  working set of the process (KB)  %20.0f\n", (double)WorkingSet() / 1024.0);

    controller.m_bSwitchedToAp = TRUE;   // leave the adapter key's Default copy alone
    controller.DestroyWindow();
    return 0;
}
