// A top-level window that hosts one control and answers the cell protocol
// the way a page would, recording what the control told it.
#pragma once

#include "classlib/ClassLib.h"
#include "widgets/CellListCtrl.h"

#include <functional>
#include <vector>

class CTestHost : public CWnd {
public:
    std::function<void(CListCellInfo*)> onCellInfo;        // unset: the message is ignored
    std::function<void(ColumnChangeInfo*)> onColumnChanging;
    std::vector<ColumnChangeInfo> columnChanges;
    std::vector<CellHitInfo> cellClicks;
    std::vector<HeaderClickInfo> headerClicks;
    int cellInfoRequests = 0;
    std::vector<UINT> returns;                              // NM_RETURN from a child

    BOOL Create(int w, int h, int x = 0, int y = 0)
    {
        const char* cls = RegisterWndClass(CS_DBLCLKS, nullptr, (HBRUSH)(COLOR_3DFACE + 1));
        return CreateEx(0, cls, "widgets2", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(x, y, x + w, y + h),
                        nullptr, 0);
    }

protected:
    DECLARE_MESSAGE_MAP()
    LRESULT OnGetCellInfo(WPARAM, LPARAM lParam)
    {
        ++cellInfoRequests;
        if (!onCellInfo) return Default();
        onCellInfo((CListCellInfo*)lParam);
        return 0;
    }
    LRESULT OnColumnChanging(WPARAM, LPARAM lParam)
    {
        auto* info = (ColumnChangeInfo*)lParam;
        if (onColumnChanging) onColumnChanging(info);
        columnChanges.push_back(*info);
        return 0;
    }
    LRESULT OnCellClick(WPARAM, LPARAM lParam)
    {
        cellClicks.push_back(*(CellHitInfo*)lParam);
        return 0;
    }
    LRESULT OnReturn(WPARAM, LPARAM lParam)
    {
        returns.push_back((UINT)((NMHDR*)lParam)->idFrom);
        return 0;
    }
    LRESULT OnHeaderRClick(WPARAM, LPARAM lParam)
    {
        headerClicks.push_back(*(HeaderClickInfo*)lParam);
        return 0;
    }
};

// One host for the whole program, never destroyed: destroying an active
// top-level window costs Wine seconds. Reset() forgets what it recorded.
CTestHost& SharedHost();
void ResetHost(CTestHost& host);
