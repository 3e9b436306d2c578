// CToolTipCtrl: the common tooltip control.
#pragma once

#include "classlib/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    BOOL Create(CWnd* parent, DWORD style = 0)
    {
        CRect r;
        BOOL ok = CWnd::CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, r, parent, 0);
        if (ok)
            ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return ok;
    }
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    int SetMaxTipWidth(int width) { return (int)SendMessage(TTM_SETMAXTIPWIDTH, 0, width); }
    int GetToolCount() const { return (int)SendMessage(TTM_GETTOOLCOUNT); }
    BOOL AddTool(CWnd* wnd, const char* text, const RECT* rect, UINT_PTR id)
    {
        TOOLINFOA ti = MakeInfo(wnd, id);
        ti.uFlags = rect ? 0 : TTF_IDISHWND;
        if (rect)
            ti.rect = *rect;
        else
            ti.uId = (UINT_PTR)wnd->GetSafeHwnd();
        ti.lpszText = const_cast<char*>(text ? text : LPSTR_TEXTCALLBACKA);
        return (BOOL)SendMessage(TTM_ADDTOOLA, 0, (LPARAM)&ti);
    }
    void UpdateTipText(const char* text, CWnd* wnd, UINT_PTR id)
    {
        TOOLINFOA ti = MakeInfo(wnd, id);
        ti.lpszText = const_cast<char*>(text);
        SendMessage(TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
    }
    CString GetText(CWnd* wnd, UINT_PTR id) const
    {
        char buf[1024] = "";
        TOOLINFOA ti = MakeInfo(wnd, id);
        ti.lpszText = buf;
        SendMessage(TTM_GETTEXTA, sizeof(buf), (LPARAM)&ti);
        return CString(buf);
    }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, (LPARAM)msg); }

private:
    static TOOLINFOA MakeInfo(CWnd* wnd, UINT_PTR id)
    {
        TOOLINFOA ti = {};
        ti.cbSize = sizeof(ti);
        ti.hwnd = wnd->GetSafeHwnd();
        ti.uId = id;
        return ti;
    }
};
