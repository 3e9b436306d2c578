// A small borderless hint beside a control that says why an entry was
// refused; it goes away by itself after four seconds or when clicked.
#pragma once

#include "classlib/ClassLib.h"

class CInfoWnd : public CWnd {
public:
    // Where the popup stands relative to its anchor (tested in the order below, right, left).
    enum { PLACE_ABOVE = 0, PLACE_BELOW = 1, PLACE_LEFT = 2, PLACE_RIGHT = 8 };
    enum { HIDE_TIMER = 1, HIDE_AFTER_MS = 4000 };

    // The first popup of the process chooses the background of all of them.
    explicit CInfoWnd(COLORREF background);

    virtual BOOL Create(CWnd* owner);
    // Shows " text " beside the anchor's window rectangle; ignored while the
    // popup is visible or when no window of this thread has the focus.
    void ShowTip(CWnd* anchor, LPCTSTR text);
    void Hide();

    int m_nOffsetX = 2;
    int m_nOffsetY = 2;
    int m_nPlacement = PLACE_ABOVE;

    static const char* const kClassName;

protected:
    DECLARE_MESSAGE_MAP()
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnLButtonUp(UINT flags, CPoint point);

private:
    CWnd* m_pOwner = nullptr;
    CString m_strText;
    UINT_PTR m_nTimerId = 0;
    CRect m_rcTip;   // screen coordinates, set by ShowTip
};
