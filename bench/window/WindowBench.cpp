// Prints how long the configuration window takes from the launch command to
// the first paint of its Network page, and how much the process's working
// set grows while it is open, each beside the same figures for the bare
// dialog 102 (the window's template without pages, panels or buttons),
// measured in the same run against the installed default adapter.  Then
// where the window's time goes: further rounds watch each window being made
// (a creation hook of the thread) and split the opening at the making of the
// navigation buttons, the pages and the link status panel.
//
//   window_bench [rounds]      default: 50
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "mainwnd/ConfigMainDlg.h"
#include "pages/AboutPage.h"
#include "pages/AdvancedPage.h"
#include "pages/ProfilePage.h"
#include "pages/SiteSurveyPage.h"
#include "pages/StatisticsPage.h"
#include "pages/WmmPage.h"
#include "pages/WpsPage.h"
#include "widgets/SkinButton.h"
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

void DrainMessages()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The machine's load while the figures were taken (Wine shows the host's
// /proc as Z:\proc).
std::string LoadAverage()
{
    char line[128] = "";
    if (FILE* f = std::fopen("Z:\\proc\\loadavg", "r")) {
        if (!std::fgets(line, sizeof(line), f)) line[0] = 0;
        std::fclose(f);
    }
    std::string s = line;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s.empty() ? "unknown" : s;
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
        DrainMessages();
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

// ---- Where the time goes -------------------------------------------------------

// When each window of the thread was made, in order.
std::vector<std::pair<HWND, double>> g_made;
HHOOK g_hook = nullptr;

LRESULT CALLBACK NoteCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) g_made.push_back({ (HWND)wParam, NowMs() });
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

// The opening split at the windows that begin each part, in the order the
// window makes them; each part lasts until the next one begins.
struct Part {
    std::string name;
    HWND first = nullptr;   // the window whose making begins the part
};

std::vector<Part> PartsOf(CConfigMainDlg* w)
{
    auto nav = [w](int n) { return w->GetNavButton(n) ? w->GetNavButton(n)->m_hWnd : nullptr; };
    auto page = [](CWnd* p) { return p ? p->m_hWnd : nullptr; };
    CChildPage* linkStatus = w->BuiltPanel(PANEL_LINK_STATUS);
    return {
        { "window, page container, navigation font", w->m_hWnd },
        { "Profile button", nav(NAV_PROFILE) },
        { "Profile page", page(w->m_pProfilePage) },
        { "Network button", nav(NAV_NETWORK) },
        { "Network page (site survey)", page(w->m_pSiteSurveyPage) },
        { "Advanced button", nav(NAV_ADVANCED) },
        { "Advanced page", page(w->m_pAdvancedPage) },
        { "Statistics button", nav(NAV_STATISTICS) },
        { "Statistics page", page(w->m_pStatisticsPage) },
        { "WMM button", nav(NAV_WMM) },
        { "WMM page", page(w->m_pWmmPage) },
        { "WPS button", nav(NAV_WPS) },
        { "WPS page", page(w->m_pWpsPage) },
        { "blank 6249, About button", nav(NAV_BLANK_6249) },
        { "About page", page(w->m_pAboutPage) },
        { "blank 1128, radio, help, blank 6254", nav(NAV_BLANK_1128) },
        { "link status panel, showing the window", linkStatus ? linkStatus->m_hWnd : nullptr },
    };
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
    std::string loadBefore = LoadAverage();

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

    // The same opening again, split into its parts.
    std::map<std::string, std::vector<double>> partMs;
    std::vector<std::string> order;
    std::vector<double> paintMs, hookedMs;
    g_hook = SetWindowsHookExA(WH_CBT, NoteCreation, nullptr, GetCurrentThreadId());
    for (int i = 0; g_hook && i < rounds; ++i) {
        g_made.clear();
        double t0 = NowMs();
        controller.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH);
        double shown = NowMs();
        CConfigMainDlg* w = controller.OpenedMainWindow();
        if (!w) break;
        Drain(w->m_hWnd);
        double painted = NowMs();
        std::vector<Part> parts = PartsOf(w);
        std::vector<double> begins;
        for (const Part& p : parts) {
            double at = -1;
            for (const auto& m : g_made)
                if (m.first == p.first) at = m.second;
            begins.push_back(at);
        }
        for (size_t k = 0; k < parts.size(); ++k) {
            if (begins[k] < 0) continue;
            double end = k + 1 < parts.size() && begins[k + 1] >= 0 ? begins[k + 1] : shown;
            if (!partMs.count(parts[k].name)) order.push_back(parts[k].name);
            partMs[parts[k].name].push_back(end - (k == 0 ? t0 : begins[k]));
        }
        paintMs.push_back(painted - shown);
        hookedMs.push_back(painted - t0);
        controller.DestroyMainWindow();
        DrainMessages();
    }
    if (g_hook) UnhookWindowsHookEx(g_hook);

    std::printf("window_bench: %d rounds each; load average before %s, after %s\n", rounds, loadBefore.c_str(),
                LoadAverage().c_str());
    std::printf("                                   configuration window   bare dialog 102\n");
    std::printf("  launch to painted, median (ms)   %20.2f   %15.2f   (%.1f times)\n", real.medianMs,
                empty.medianMs, empty.medianMs > 0 ? real.medianMs / empty.medianMs : 0.0);
    std::printf("  launch to painted, best (ms)     %20.2f   %15.2f   (%.1f times)\n", real.minMs, empty.minMs,
                empty.minMs > 0 ? real.minMs / empty.minMs : 0.0);
    std::printf("  closing, mean (ms)               %20.2f   %15.2f\n", real.closeMs, empty.closeMs);
    std::printf("  working set while open (KB)      %20.0f   %15.0f\n", real.openKb, empty.openKb);
    std::printf("  working set of the process (KB)  %20.0f\n", (double)WorkingSet() / 1024.0);

    std::printf("where the opening goes, median ms of %d further rounds with a creation hook watching:\n",
                (int)hookedMs.size());
    for (const std::string& name : order) std::printf("  %-42s %8.2f\n", name.c_str(), Median(partMs[name]));
    std::printf("  %-42s %8.2f\n", "painting (launch command returned to painted)", Median(paintMs));
    std::printf("  %-42s %8.2f\n", "launch to painted with the hook", Median(hookedMs));

    controller.m_bSwitchedToAp = TRUE;   // leave the adapter key's Default copy alone
    controller.DestroyWindow();
    return 0;
}
