// Cost of one refresh of the site survey page (the engine's list sorted, the
// page's copy taken, the rows rebuilt, the visible rows repainted) with 50,
// 200 and 512 networks, the rebuild beside the time the 50-network rebuild
// would give if the cost grew in proportion to the rows (same run).
// Two kinds of list: networks with the elements of a busy office (SSID,
// rates, RSN, WPS, HT; as many as 64 KB holds), and bare entries (the fixed
// 116 bytes and the beacon's time stamp), of which 512 fit.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/ClassLib.h"
#include "core/ConnectEngine.h"
#include "pages/SiteSurveyPage.h"
#include "survey/ScanListBuilder.h"

namespace {

double Now()
{
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class CHost : public CWnd {
public:
    BOOL Create()
    {
        const char* cls = RegisterWndClass(0, nullptr, (HBRUSH)(COLOR_3DFACE + 1));
        return CreateEx(0, cls, "survey bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 794, 342),
                        nullptr, 0);
    }
};

Network OfficeNetwork(int i)
{
    Network n;
    char ssid[33];
    snprintf(ssid, sizeof(ssid), "Office-%03d", i);
    n.ssid = ssid;
    n.rssi = -35 - i % 60;
    n.freqKHz = 2412000 + 5000 * (i % 13);
    n.privacy = i % 4 != 0;
    n.lastMacByte = (BYTE)i;
    if (n.privacy) n.elements = Concat({ RsnPskAes(), i % 3 == 0 ? WpsElement() : Bytes(), i % 2 ? HtInformation() : Bytes() });
    return n;
}

// A bare entry: the fixed part and the 8-byte time stamp, no element.
Bytes BareEntry(int i)
{
    Network n = OfficeNetwork(i);
    Bytes e = MakeNetworkEntry(n);
    e.resize(kIesAt + 8);
    auto* p = (NDIS_WLAN_BSSID_EX*)e.data();
    p->Length = (ULONG)e.size();
    p->IELength = 8;
    return e;
}

int FillAgedList(int count, bool bare)
{
    ScanList s;
    int added = 0;
    for (int i = 0; i < count; ++i) {
        bool ok = bare ? s.AddRaw(BareEntry(i)) : s.Add(OfficeNetwork(i));
        if (!ok) break;
        ++added;
    }
    memcpy(g_pBssidListCache, s.List(), BSSID_LIST_BUFFER_SIZE);
    return added;
}

struct Refresh {
    double rebuild;   // sort, copy, rows (median seconds)
    double repaint;   // the visible rows painted (median seconds)
};

// One refresh, 15 times: the list sorted by signal (the aged list is put
// back in its scan order before every run), rebuilt, and repainted.
Refresh TimeRefresh(CSiteSurveyPage& page, HWND list, int count, bool bare, int* rows)
{
    std::vector<double> rebuild, repaint;
    for (int r = 0; r < 15; ++r) {
        *rows = FillAgedList(count, bare);
        double t0 = Now();
        page.FillSurveyList();
        double t1 = Now();
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        double t2 = Now();
        rebuild.push_back(t1 - t0);
        repaint.push_back(t2 - t1);
    }
    std::sort(rebuild.begin(), rebuild.end());
    std::sort(repaint.begin(), repaint.end());
    return { rebuild[rebuild.size() / 2], repaint[repaint.size() / 2] };
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_LISTVIEW_CLASSES };
    InitCommonControlsEx(&icc);
    AllocScanBuffers();
    if (!g_pBssidListCache) return 1;

    CHost host;
    if (!host.Create()) return 1;
    CSiteSurveyPage page(nullptr);
    if (!page.CreatePage(&host)) return 1;
    KillTimer(page.m_hWnd, IDT_SURVEY_REFRESH);
    page.MoveWindow(0, 0, 794, 342);
    page.ShowWindow(SW_SHOW);
    SendDlgItemMessageA(page.m_hWnd, IDC_SURVEY_SORT_SSID, BM_SETCHECK, BST_UNCHECKED, 0);
    SendDlgItemMessageA(page.m_hWnd, IDC_SURVEY_SORT_SIGNAL, BM_SETCHECK, BST_CHECKED, 0);
    page.UpdateData(TRUE);
    HWND list = GetDlgItem(page.m_hWnd, IDC_SURVEY_LIST);
    Pump();

    printf("Site survey refresh, median of 15 runs: the rebuild (sort, copy, rows) beside the rebuild\n"
           "the 50-network list would take if its cost grew in proportion to the rows; the repaint\n"
           "of the visible rows, which should not grow with the count.\n");
    printf("%-8s %9s %6s %13s %12s %24s %13s\n", "entries", "networks", "rows", "rebuild (us)", "per row (us)",
           "proportional to 50 (us)", "repaint (us)");
    for (bool bare : { false, true }) {
        Refresh base = {};
        int baseRows = 0;
        for (int count : { 50, 200, 512 }) {
            int rows = 0;
            Refresh t = TimeRefresh(page, list, count, bare, &rows);
            if (count == 50) {
                base = t;
                baseRows = rows;
            }
            printf("%-8s %9d %6d %13.0f %12.1f %24.0f %13.0f\n", bare ? "bare" : "office", count, rows,
                   t.rebuild * 1e6, t.rebuild * 1e6 / rows, base.rebuild * 1e6 * rows / baseRows, t.repaint * 1e6);
        }
    }
    page.DestroyWindow();
    host.DestroyWindow();
    FreeScanBuffers();
    return 0;
}
