// Time of BuildSkin for the twelve navigation buttons of the configuration
// window (their sizes and skin values), per window, beside the same buttons
// with each pattern kind and beside one repaint of the twelve.
#include <windows.h>

#include <cstdio>

#include "classlib/ClassLib.h"
#include "widgets/SkinButton.h"

namespace {

struct Place {
    UINT id;
    int x, y, cx, cy;
};
// Profile .. WPS, blank 6249, blank 1128, then help, radio, blank 6254, About.
const Place kButtons[12] = {
    {1124, 0, 0, 90, 60},   {1125, 90, 0, 90, 60},  {1126, 180, 0, 90, 60}, {1127, 270, 0, 90, 60},
    {1278, 360, 0, 90, 60}, {1279, 450, 0, 90, 60}, {6249, 540, 0, 90, 60}, {1128, 630, 0, 104, 60},
    {6253, 734, 0, 30, 30}, {6248, 764, 0, 30, 30}, {6254, 734, 30, 30, 30}, {6252, 764, 30, 30, 30},
};

double Now()
{
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

template <class F>
double MicrosPerRound(int rounds, F body)
{
    body();   // warm up
    double start = Now();
    for (int i = 0; i < rounds; ++i)
        body();
    return (Now() - start) * 1e6 / rounds;
}

} // namespace

int main()
{
    CWnd frame;
    if (!frame.CreateEx(0, nullptr, "skin bench", WS_POPUP | WS_VISIBLE, CRect(0, 0, 800, 120), nullptr, 0)) {
        std::printf("no window (is there a display?)\n");
        return 1;
    }
    CSkinButton buttons[12];
    for (int i = 0; i < 12; ++i) {
        const Place& p = kButtons[i];
        buttons[i].Create("", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(p.x, p.y, p.x + p.cx, p.y + p.cy), &frame,
                          p.id);
    }
    const int rounds = 200;
    double navigation = MicrosPerRound(rounds, [&] {
        for (CSkinButton& b : buttons)
            b.BuildSkin(0, 33, 10, 0, 0, 0xE68CA0, 0xA01E3C);
    });
    std::printf("BuildSkin, 12 navigation buttons (kind 0, granularity 33): %8.1f us per window\n", navigation);
    for (int kind = 1; kind <= 8; ++kind) {
        double t = MicrosPerRound(rounds / 4, [&] {
            for (CSkinButton& b : buttons)
                b.BuildSkin(kind, 33, 10, 0, 0, 0xE68CA0, 0xA01E3C);
        });
        std::printf("  reference: the same buttons with kind %d:          %8.1f us per window\n", kind, t);
    }
    double paint = MicrosPerRound(rounds / 4, [&] {
        frame.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    std::printf("  reference: one repaint of the 12 buttons:          %8.1f us\n", paint);
    frame.DestroyWindow();
    return 0;
}
