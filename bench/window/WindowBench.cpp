// Prints how long the configuration window takes from the launch command to
// the first paint of its Network page, and how much the process's working
// set grows while it is open, each beside the same figures for the bare
// dialog 102 (the window's template without pages, panels or buttons),
// measured in the same run against the installed default adapter.  Then
// where the window's time goes, split at the making of the navigation
// buttons, the pages and the link status panel.
//
// The window paints itself before it makes the pages that nothing shows
// yet, within the launch command: "painted" is the moment it says its first
// paint is on the screen (g_pfnMainWindowPainted), or, for a window that
// does not say, the moment all is painted after the command.  The rounds
// that split the opening into its parts do so with a creation hook of the
// thread, which notes when each window is made; the hook itself costs a
// round trip to the window server at every window made, so these rounds
// are timed apart from the others.
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

void DrainMessages()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

// Everything sent and posted so far is handled, and every window painted.
void Drain(HWND w)
{
    UpdateWindow(w);
    DrainMessages();
    RedrawWindow(w, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Mean(const std::vector<double>& v)
{
    double sum = 0;
    for (double x : v) sum += x;
    return v.empty() ? 0 : sum / (double)v.size();
}

double Best(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
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

// ---- The creation hook ---------------------------------------------------------

struct Made {
    HWND hwnd;
    double at;
    bool windowShown;   // the measured window was visible when this one was made
};
std::vector<Made> g_made;
double g_paintedAt = 0;
HHOOK g_hook = nullptr;
HWND g_watched = nullptr;            // the measured window, once it exists
CHideDlg* g_controller = nullptr;    // finds the configuration window while it is made

LRESULT CALLBACK NoteCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        HWND watched = g_watched;
        if (!watched && g_controller && g_controller->m_pMainDlg) watched = g_controller->m_pMainDlg->m_hWnd;
        g_made.push_back({ (HWND)wParam, NowMs(), watched && IsWindowVisible(watched) });
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

// One opening: launch, first complete paint, the command returned, all drained.
struct Round {
    double painted = 0;    // launch to painted
    double returned = 0;   // launch to the command's return
    double drained = 0;    // launch to everything handled and painted
    double closed = 0;     // closing
    double openKb = 0;
    std::vector<Made> made;
    double t0 = 0;
};

// One opening and closing; inspect(round) runs while the window is still open.
template <class Open, class Inspect, class Close>
bool OneRound(Round& r, Open open, Inspect inspect, Close close)
{
    g_made.clear();
    g_watched = nullptr;
    g_paintedAt = 0;
    SIZE_T before = WorkingSet();
    r.t0 = NowMs();
    HWND w = open();
    if (!w) return false;
    double returned = NowMs();
    Drain(w);
    double drained = NowMs();
    r.returned = returned - r.t0;
    r.drained = drained - r.t0;
    r.painted = g_paintedAt ? g_paintedAt - r.t0 : r.drained;
    r.openKb = ((double)WorkingSet() - (double)before) / 1024.0;
    r.made = g_made;
    inspect(r);
    double t1 = NowMs();
    close();
    DrainMessages();
    r.closed = NowMs() - t1;
    return true;
}

template <class F>
std::vector<double> Each(const std::vector<Round>& rounds, F f)
{
    std::vector<double> v;
    for (const Round& r : rounds) v.push_back(f(r));
    return v;
}

// ---- Where the time goes -------------------------------------------------------

// The windows whose making begins each part of the opening.
std::vector<std::pair<std::string, HWND>> Milestones(CConfigMainDlg* w)
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
        { "link status panel (until its last control is made)", linkStatus ? linkStatus->m_hWnd : nullptr },
    };
}

// The parts of one opening in the order they happened, each lasting until
// the next begins; "showing and painting" begins with the last window made
// before the first paint was complete.
std::vector<std::pair<std::string, double>> Parts(const Round& r, CConfigMainDlg* w)
{
    std::vector<std::pair<double, std::string>> begins;
    const auto milestones = Milestones(w);
    for (size_t k = 0; k < milestones.size(); ++k)
        for (const Made& made : r.made)
            if (made.hwnd == milestones[k].second) begins.push_back({ k == 0 ? r.t0 : made.at, milestones[k].first });
    double lastBeforePaint = r.t0;
    for (const Made& made : r.made)
        if (!made.windowShown) lastBeforePaint = std::max(lastBeforePaint, made.at);
    begins.push_back({ lastBeforePaint + 1e-6, "showing and painting" });
    begins.push_back({ r.t0 + r.returned, "painting after the command returned" });
    std::sort(begins.begin(), begins.end());
    std::vector<std::pair<std::string, double>> parts;
    for (size_t i = 0; i < begins.size(); ++i) {
        double end = i + 1 < begins.size() ? begins[i + 1].first : r.t0 + r.drained;
        parts.push_back({ begins[i].second, end - begins[i].first });
    }
    return parts;
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
    auto openBare = [&]() -> HWND {
        bare = new CDialog(IDD_CONFIG_MAIN, &controller);
        if (!bare->Create(IDD_CONFIG_MAIN, &controller)) return nullptr;
        g_watched = bare->m_hWnd;
        bare->SetWindowPos(nullptr, 0, 0, kMainWindowWidth, kMainWindowHeight,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
        return bare->m_hWnd;
    };
    auto closeBare = [&] { delete bare; bare = nullptr; };
    // The real window from the launch command.
    auto openReal = [&]() -> HWND {
        controller.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH);
        CConfigMainDlg* w = controller.OpenedMainWindow();
        return w ? w->m_hWnd : nullptr;
    };
    auto closeReal = [&] { controller.DestroyMainWindow(); };
    // Its parts are read while it is open.
    std::map<std::string, std::vector<double>> partMs;
    std::vector<std::string> order;
    auto readParts = [&](const Round& r) {
        if (CConfigMainDlg* w = controller.OpenedMainWindow())
            for (const auto& part : Parts(r, w)) {
                if (!partMs.count(part.first)) order.push_back(part.first);
                partMs[part.first].push_back(part.second);
            }
    };
    auto none = [](const Round&) {};

    // The two windows take turns, with the hook and without it.
    std::vector<Round> empty, real, emptyFree, realFree;
    g_pfnMainWindowPainted = [] { g_paintedAt = NowMs(); };
    g_controller = &controller;
    for (int i = 0; i < rounds; ++i) {
        Round r;
        g_hook = SetWindowsHookExA(WH_CBT, NoteCreation, nullptr, GetCurrentThreadId());
        if (OneRound(r, openBare, none, closeBare)) empty.push_back(r);
        if (OneRound(r, openReal, readParts, closeReal)) real.push_back(r);
        if (g_hook) UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
        if (OneRound(r, openBare, none, closeBare)) emptyFree.push_back(r);
        if (OneRound(r, openReal, none, closeReal)) realFree.push_back(r);
    }
    g_controller = nullptr;
    g_pfnMainWindowPainted = nullptr;
    // The working set while open, each window opened again and again after itself.
    std::vector<Round> emptyMemory, realMemory;
    for (int i = 0; i < rounds; ++i) {
        Round r;
        if (OneRound(r, openBare, none, closeBare)) emptyMemory.push_back(r);
    }
    for (int i = 0; i < rounds; ++i) {
        Round r;
        if (OneRound(r, openReal, none, closeReal)) realMemory.push_back(r);
    }

    auto painted = [](const Round& r) { return r.painted; };
    auto allMade = [](const Round& r) { return r.drained; };
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("window_bench: %d rounds each, the windows in turn; load average before %s, after %s\n", rounds,
                loadBefore.c_str(), LoadAverage().c_str());
    std::printf("                                          configuration window   bare dialog 102\n");
    double pm = Median(Each(realFree, painted)), pe = Median(Each(emptyFree, painted));
    double bm = Best(Each(realFree, painted)), be = Best(Each(emptyFree, painted));
    std::printf("  launch to painted, median (ms)          %20.2f   %15.2f   (%.1f times)\n", pm, pe, ratio(pm, pe));
    std::printf("  launch to painted, best (ms)            %20.2f   %15.2f   (%.1f times)\n", bm, be, ratio(bm, be));
    double fm = Median(Each(realFree, allMade)), fe = Median(Each(emptyFree, allMade));
    std::printf("  launch to all made and painted, median  %20.2f   %15.2f   (%.1f times)\n", fm, fe, ratio(fm, fe));
    double hm = Median(Each(real, painted)), he = Median(Each(empty, painted));
    std::printf("  launch to painted with the hook, median %20.2f   %15.2f   (%.1f times)\n", hm, he, ratio(hm, he));
    std::printf("  closing, median (ms)                    %20.2f   %15.2f\n",
                Median(Each(realFree, [](const Round& r) { return r.closed; })),
                Median(Each(emptyFree, [](const Round& r) { return r.closed; })));
    std::printf("  working set while open, mean (KB)       %20.0f   %15.0f\n",
                Mean(Each(realMemory, [](const Round& r) { return r.openKb; })),
                Mean(Each(emptyMemory, [](const Round& r) { return r.openKb; })));
    std::printf("  working set of the process (KB)         %20.0f\n", (double)WorkingSet() / 1024.0);

    std::printf("where the opening goes, with the hook (median ms of each part, in the order of the first round):\n");
    for (const std::string& name : order) std::printf("  %-52s %8.2f\n", name.c_str(), Median(partMs[name]));

    controller.m_bSwitchedToAp = TRUE;   // leave the adapter key's Default copy alone
    controller.DestroyWindow();
    return 0;
}
