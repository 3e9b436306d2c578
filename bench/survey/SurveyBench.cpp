// Cost of one refresh of the site survey page (the engine's list sorted, the
// page's copy taken, the rows rebuilt, the visible rows repainted) with 50,
// 200 and 512 networks, beside the system list-view filling the same rows
// (owner-data texts of the same eleven columns, same size, same run), and
// the rebuild beside the time the 50-network rebuild would give if the cost
// grew in proportion to the rows.
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

// The same rows drawn by the list-view itself from owner-data text.
class CPlainList : public CListCtrl {
public:
    const std::vector<SurveyEntry>* rows = nullptr;
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        NMHDR* hdr = (NMHDR*)lParam;
        if (msg == WM_NOTIFY && hdr->hwndFrom == m_hWnd && hdr->code == LVN_GETDISPINFOA) {
            LVITEMA& item = ((NMLVDISPINFOA*)lParam)->item;
            if ((item.mask & LVIF_TEXT) && item.pszText && rows && item.iItem >= 0 &&
                (size_t)item.iItem < rows->size()) {
                const SurveyEntry& e = (*rows)[(size_t)item.iItem];
                CString t = item.iSubItem == 1 ? e.ssid
                          : item.iSubItem == 3 ? e.channel
                          : item.iSubItem == 9 || item.iSubItem == 10 ? SurveySignalText(e.signal, FALSE)
                                                                     : CString();
                lstrcpynA(item.pszText, t, item.cchTextMax);
            }
            *pResult = 0;
            return TRUE;
        }
        return CListCtrl::OnChildNotify(msg, wParam, lParam, pResult);
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
    double listView;  // the list-view filled with the same rows and painted (median seconds)
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One refresh, 15 times: the list sorted by signal (the aged list is put
// back in its scan order before every run), rebuilt, and repainted.
Refresh TimeRefresh(CSiteSurveyPage& page, HWND list, CPlainList& plain, int count, bool bare, int* rows)
{
    std::vector<double> rebuild, repaint, listView;
    for (int r = 0; r < 15; ++r) {
        *rows = FillAgedList(count, bare);
        double t0 = Now();
        page.FillSurveyList();
        double t1 = Now();
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        double t2 = Now();
        rebuild.push_back(t1 - t0);
        repaint.push_back(t2 - t1);

        plain.rows = &page.Entries();
        plain.ShowWindow(SW_SHOW);
        double t3 = Now();
        plain.DeleteAllItems();
        plain.SetItemCount((int)page.Entries().size());
        plain.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        listView.push_back(Now() - t3);
        plain.ShowWindow(SW_HIDE);
    }
    return { Median(rebuild), Median(repaint), Median(listView) };
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
    // The reference: a list-view of the same size and columns, in the same place.
    CRect at;
    GetWindowRect(list, &at);
    ScreenToClient(page.m_hWnd, (POINT*)&at.left);
    ScreenToClient(page.m_hWnd, (POINT*)&at.right);
    CPlainList plain;
    if (!plain.CreateEx(0, WC_LISTVIEWA, "", WS_CHILD | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                        LVS_SHOWSELALWAYS, at, &page, 1))
        return 1;
    plain.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    const int widths[11] = { 16, 250, 16, 32, 16, 16, 16, 16, 16, 60, 295 };
    for (int c = 0; c < 11; ++c) plain.InsertColumn(c, "Column", LVCFMT_LEFT, widths[c]);
    plain.SetFont((HFONT)SendMessageA(list, WM_GETFONT, 0, 0));
    Pump();

    printf("Site survey refresh, median of 15 runs: the rebuild (sort, copy, rows) and the repaint of the\n"
           "visible rows, together beside the system list-view filling the same rows in the same place;\n"
           "the rebuild beside what the 50-network rebuild would take if its cost grew with the rows.\n");
    printf("%-8s %9s %6s %13s %13s %14s %17s %12s %24s\n", "entries", "networks", "rows", "rebuild (us)",
           "repaint (us)", "refresh (us)", "list-view (us)", "per row (us)", "rebuild prop. to 50 (us)");
    for (bool bare : { false, true }) {
        Refresh base = {};
        int baseRows = 0;
        for (int count : { 50, 200, 512 }) {
            int rows = 0;
            Refresh t = TimeRefresh(page, list, plain, count, bare, &rows);
            if (count == 50) {
                base = t;
                baseRows = rows;
            }
            printf("%-8s %9d %6d %13.0f %13.0f %14.0f %17.0f %12.1f %24.0f\n", bare ? "bare" : "office", count,
                   rows, t.rebuild * 1e6, t.repaint * 1e6, (t.rebuild + t.repaint) * 1e6, t.listView * 1e6,
                   t.rebuild * 1e6 / rows, base.rebuild * 1e6 * rows / baseRows);
        }
    }
    plain.DestroyWindow();
    page.DestroyWindow();
    host.DestroyWindow();
    FreeScanBuffers();
    return 0;
}
