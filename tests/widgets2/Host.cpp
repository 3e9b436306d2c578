#include "Host.h"

BEGIN_MESSAGE_MAP(CTestHost, CWnd)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
    ON_MESSAGE(WM_CELLLIST_COLUMNCHANGING, OnColumnChanging)
    ON_MESSAGE(WM_CELLLIST_CELLCLICK, OnCellClick)
    ON_MESSAGE(WM_CELLLIST_HEADERRCLICK, OnHeaderRClick)
    KQ_MSG_ENTRY(WM_NOTIFY, NM_RETURN, 0, 0xFFFF, return pThis->OnReturn(wParam, lParam);)
END_MESSAGE_MAP()

CTestHost& SharedHost()
{
    static CTestHost* host = [] {
        auto* h = new CTestHost;
        h->Create(640, 320, 20, 20);
        return h;
    }();
    return *host;
}

void ResetHost(CTestHost& host)
{
    host.onCellInfo = nullptr;
    host.onColumnChanging = nullptr;
    host.columnChanges.clear();
    host.cellClicks.clear();
    host.headerClicks.clear();
    host.cellInfoRequests = 0;
    host.returns.clear();
}
