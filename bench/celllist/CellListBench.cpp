// Paint cost of the report list through the cell protocol: one full repaint
// of an 11-column list with 200 rows and with 1,000 rows (the cost should
// follow the visible rows, not the row count), each beside the same list
// painted by the list-view itself from owner-data text.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "classlib/ClassLib.h"
#include "widgets/CellListCtrl.h"

namespace {

double Now()
{
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

const int kColumns = 11;

// Answers the cell protocol as the site survey would: texts, a check box, a signal bar.
class CBenchHost : public CWnd {
public:
    long requests = 0;
    BOOL Create()
    {
        const char* cls = RegisterWndClass(CS_DBLCLKS, nullptr, (HBRUSH)(COLOR_3DFACE + 1));
        return CreateEx(0, cls, "celllist bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 820, 420),
                        nullptr, 0);
    }

protected:
    DECLARE_MESSAGE_MAP()
    LRESULT OnGetCellInfo(WPARAM, LPARAM lParam)
    {
        ++requests;
        CListCellInfo* info = (CListCellInfo*)lParam;
        int row = info->GetRow(), col = info->GetColumn();
        if (col == 0) {
            info->m_bCheckBox = 1;
            info->m_nCheckState = DFCS_BUTTONCHECK | (row % 3 == 0 ? DFCS_CHECKED : 0);
        }
        if (col == 3) {
            info->m_nBarMax = 100;
            info->m_nBarValue = (row * 37) % 101;
        }
        info->m_strText.Format("Row %d, %d", row, col);
        info->m_bBold = row % 5 == 0;
        return 0;
    }
};

BEGIN_MESSAGE_MAP(CBenchHost, CWnd)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
END_MESSAGE_MAP()

// The same rows drawn by the list-view itself from owner-data text.
class CPlainList : public CListCtrl {
public:
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        NMHDR* hdr = (NMHDR*)lParam;
        if (msg == WM_NOTIFY && hdr->hwndFrom == m_hWnd && hdr->code == LVN_GETDISPINFOA) {
            LVITEMA& item = ((NMLVDISPINFOA*)lParam)->item;
            if ((item.mask & LVIF_TEXT) && item.pszText)
                wsprintfA(item.pszText, "Row %d, %d", item.iItem, item.iSubItem);
            *pResult = 0;
            return TRUE;
        }
        return CListCtrl::OnChildNotify(msg, wParam, lParam, pResult);
    }
};

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Milliseconds per full repaint of `list` with `rows` rows.
double PaintTime(CListCtrl& list, CBenchHost& host, int rows, long* requestsPerPaint)
{
    if (!list.CreateEx(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                       CRect(10, 10, 810, 410), &host, 1014))
        return -1;
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    for (int c = 0; c < kColumns; ++c) list.InsertColumn(c, "Column", LVCFMT_LEFT, 72);
    list.SetItemCount(rows);
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Pump();
    for (int i = 0; i < 5; ++i) list.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const int n = 60;
    host.requests = 0;
    double t0 = Now();
    for (int i = 0; i < n; ++i) list.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    double ms = (Now() - t0) * 1000.0 / n;
    if (requestsPerPaint) *requestsPerPaint = host.requests / n;
    list.DestroyWindow();
    Pump();
    return ms;
}

} // namespace

int main()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    CBenchHost host;
    if (!host.Create()) {
        printf("no window\n");
        return 1;
    }
    Pump();

    long req200 = 0, req1000 = 0;
    CCellListCtrl cells200, cells1000;
    CPlainList plain200, plain1000;
    double c200 = PaintTime(cells200, host, 200, &req200);
    double p200 = PaintTime(plain200, host, 200, nullptr);
    double c1000 = PaintTime(cells1000, host, 1000, &req1000);
    double p1000 = PaintTime(plain1000, host, 1000, nullptr);

    printf("report list, 11 columns, 800 x 400 pixels, per full repaint:\n");
    printf("  cell protocol,   200 rows: %8.3f ms  (%ld cell requests)   list-view's own drawing: %8.3f ms\n",
           c200, req200, p200);
    printf("  cell protocol, 1,000 rows: %8.3f ms  (%ld cell requests)   list-view's own drawing: %8.3f ms\n",
           c1000, req1000, p1000);
    printf("  1,000 rows / 200 rows: cell protocol %.2f, list-view %.2f (1.00 = cost follows the visible rows)\n",
           c1000 / c200, p1000 / p200);
    return 0;
}
