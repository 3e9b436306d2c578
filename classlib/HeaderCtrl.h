// The header control of a report list.
#pragma once

#include "classlib/Wnd.h"

class CHeaderCtrl : public CWnd {
public:
    int GetItemCount() const { return (int)SendMessage(HDM_GETITEMCOUNT); }
    BOOL GetItemRect(int index, RECT* r) const { return (BOOL)SendMessage(HDM_GETITEMRECT, (WPARAM)index, (LPARAM)r); }
    BOOL GetItem(int index, HDITEMA* item) const { return (BOOL)SendMessage(HDM_GETITEMA, (WPARAM)index, (LPARAM)item); }
    BOOL SetItem(int index, HDITEMA* item) { return (BOOL)SendMessage(HDM_SETITEMA, (WPARAM)index, (LPARAM)item); }
    BOOL GetOrderArray(int* order, int count) const
    {
        return (BOOL)SendMessage(HDM_GETORDERARRAY, (WPARAM)count, (LPARAM)order);
    }
    int HitTest(HDHITTESTINFO* info) const { return (int)SendMessage(HDM_HITTEST, 0, (LPARAM)info); }
};
