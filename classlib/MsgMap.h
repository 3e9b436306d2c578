// Message maps: a table per class of the messages it handles, chained to its base.
//
// CWnd::OnWndMsg walks the class's table, then its base's, and calls the
// first entry that matches; a message no entry takes goes to DefWindowProc.
// Each entry macro names the handler's signature beside it.  A handler that
// wants the default processing as well calls Default().
#pragma once

#include <windows.h>

class CWnd;

// message value of an entry that takes every message from idFirst to idLast
// (no window message reaches it: they all fit in 16 bits).
#define KQ_MSG_RANGE 0xFFFFFFFFu

struct MsgMapEntry {
    UINT message;    // WM_COMMAND and WM_NOTIFY also match code and id range
    UINT code;
    UINT idFirst;
    UINT idLast;
    LRESULT (*handler)(CWnd* wnd, WPARAM wParam, LPARAM lParam);
};

struct MsgMap {
    const MsgMap* (*base)();
    const MsgMapEntry* entries;
};

#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const MsgMap* GetThisMessageMap();                   \
    virtual const MsgMap* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                  \
    const MsgMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MsgMap* theClass::GetThisMessageMap()                 \
    {                                                           \
        typedef theClass ThisClass;                             \
        typedef baseClass TheBaseClass;                         \
        static const MsgMapEntry s_entries[] = {

#define END_MESSAGE_MAP()                                       \
            { 0, 0, 0, 0, nullptr }                             \
        };                                                      \
        static const MsgMap s_map = { &TheBaseClass::GetThisMessageMap, s_entries }; \
        return &s_map;                                          \
    }

// One entry; the body sees pThis (the object), wParam and lParam, and returns the result.
#define KQ_MSG_ENTRY(msg, code, id1, id2, ...)                  \
    { (UINT)(msg), (UINT)(code), (UINT)(id1), (UINT)(id2),      \
      [](CWnd* pWnd_, WPARAM wParam, LPARAM lParam) -> LRESULT { \
          ThisClass* pThis = static_cast<ThisClass*>(pWnd_);    \
          (void)pThis; (void)wParam; (void)lParam;              \
          __VA_ARGS__ } },

// LRESULT fn(WPARAM wParam, LPARAM lParam)
#define ON_MESSAGE(msg, fn)        KQ_MSG_ENTRY(msg, 0, 0, 0, return pThis->fn(wParam, lParam);)
// LRESULT fn(UINT msg, WPARAM wParam, LPARAM lParam), for every msg from first to last
#define ON_MESSAGE_RANGE(first, last, fn) KQ_MSG_ENTRY(KQ_MSG_RANGE, 0, first, last, \
        return pThis->fn(CWnd::GetCurrentMessage()->message, wParam, lParam);)
// void fn(), and void fn(UINT id) for a range
#define ON_COMMAND(id, fn)         KQ_MSG_ENTRY(WM_COMMAND, 0, id, id, pThis->fn(); return 0;)
#define ON_COMMAND_RANGE(a, b, fn) KQ_MSG_ENTRY(WM_COMMAND, 0, a, b, pThis->fn((UINT)LOWORD(wParam)); return 0;)
#define ON_CONTROL(code, id, fn)   KQ_MSG_ENTRY(WM_COMMAND, code, id, id, pThis->fn(); return 0;)
#define ON_BN_CLICKED(id, fn)      ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn)       ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn)    ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn)   ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_EDITCHANGE(id, fn)  ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_LBN_SELCHANGE(id, fn)   ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn)      ON_CONTROL(LBN_DBLCLK, id, fn)
#define ON_NOTIFY(code, id, fn)    KQ_MSG_ENTRY(WM_NOTIFY, code, id, id, LRESULT r_ = 0; pThis->fn((NMHDR*)lParam, &r_); return r_;)

#define ON_WM_CREATE()        KQ_MSG_ENTRY(WM_CREATE, 0, 0, 0, return (LRESULT)pThis->OnCreate((LPCREATESTRUCT)lParam);)
#define ON_WM_DESTROY()       KQ_MSG_ENTRY(WM_DESTROY, 0, 0, 0, pThis->OnDestroy(); return 0;)
#define ON_WM_CLOSE()         KQ_MSG_ENTRY(WM_CLOSE, 0, 0, 0, pThis->OnClose(); return 0;)
#define ON_WM_PAINT()         KQ_MSG_ENTRY(WM_PAINT, 0, 0, 0, pThis->OnPaint(); return 0;)
#define ON_WM_TIMER()         KQ_MSG_ENTRY(WM_TIMER, 0, 0, 0, pThis->OnTimer((UINT_PTR)wParam); return 0;)
#define ON_WM_SIZE()          KQ_MSG_ENTRY(WM_SIZE, 0, 0, 0, pThis->OnSize((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam)); return 0;)
#define ON_WM_SHOWWINDOW()    KQ_MSG_ENTRY(WM_SHOWWINDOW, 0, 0, 0, pThis->OnShowWindow((BOOL)wParam, (UINT)lParam); return 0;)
#define ON_WM_ERASEBKGND()    KQ_MSG_ENTRY(WM_ERASEBKGND, 0, 0, 0, CDC dc_; dc_.Attach((HDC)wParam); BOOL r_ = pThis->OnEraseBkgnd(&dc_); dc_.Detach(); return r_;)
#define KQ_CTLCOLOR_ENTRY(msg, nCtl) KQ_MSG_ENTRY(msg, 0, 0, 0, CDC dc_; dc_.Attach((HDC)wParam); \
        HBRUSH b_ = pThis->OnCtlColor(&dc_, CWnd::FromHandle((HWND)lParam), nCtl); dc_.Detach(); return (LRESULT)b_;)
#define ON_WM_CTLCOLOR()      KQ_CTLCOLOR_ENTRY(WM_CTLCOLORSTATIC, CTLCOLOR_STATIC) \
                              KQ_CTLCOLOR_ENTRY(WM_CTLCOLORBTN, CTLCOLOR_BTN) \
                              KQ_CTLCOLOR_ENTRY(WM_CTLCOLOREDIT, CTLCOLOR_EDIT) \
                              KQ_CTLCOLOR_ENTRY(WM_CTLCOLORLISTBOX, CTLCOLOR_LISTBOX) \
                              KQ_CTLCOLOR_ENTRY(WM_CTLCOLORDLG, CTLCOLOR_DLG)
#define ON_WM_LBUTTONDOWN()   KQ_MSG_ENTRY(WM_LBUTTONDOWN, 0, 0, 0, pThis->OnLButtonDown((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_LBUTTONUP()     KQ_MSG_ENTRY(WM_LBUTTONUP, 0, 0, 0, pThis->OnLButtonUp((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_LBUTTONDBLCLK() KQ_MSG_ENTRY(WM_LBUTTONDBLCLK, 0, 0, 0, pThis->OnLButtonDblClk((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_RBUTTONDOWN()   KQ_MSG_ENTRY(WM_RBUTTONDOWN, 0, 0, 0, pThis->OnRButtonDown((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_RBUTTONUP()     KQ_MSG_ENTRY(WM_RBUTTONUP, 0, 0, 0, pThis->OnRButtonUp((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_MOUSEMOVE()     KQ_MSG_ENTRY(WM_MOUSEMOVE, 0, 0, 0, pThis->OnMouseMove((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_MOUSELEAVE()    KQ_MSG_ENTRY(WM_MOUSELEAVE, 0, 0, 0, pThis->OnMouseLeave(); return 0;)
#define ON_WM_SETCURSOR()     KQ_MSG_ENTRY(WM_SETCURSOR, 0, 0, 0, return pThis->OnSetCursor(CWnd::FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam));)
#define ON_WM_DRAWITEM()      KQ_MSG_ENTRY(WM_DRAWITEM, 0, 0, 0, pThis->OnDrawItem((int)wParam, (LPDRAWITEMSTRUCT)lParam); return TRUE;)
#define ON_WM_MEASUREITEM()   KQ_MSG_ENTRY(WM_MEASUREITEM, 0, 0, 0, pThis->OnMeasureItem((int)wParam, (LPMEASUREITEMSTRUCT)lParam); return TRUE;)
#define ON_WM_HSCROLL()       KQ_MSG_ENTRY(WM_HSCROLL, 0, 0, 0, pThis->OnHScroll(LOWORD(wParam), HIWORD(wParam), (CScrollBar*)CWnd::FromHandle((HWND)lParam)); return 0;)
#define ON_WM_VSCROLL()       KQ_MSG_ENTRY(WM_VSCROLL, 0, 0, 0, pThis->OnVScroll(LOWORD(wParam), HIWORD(wParam), (CScrollBar*)CWnd::FromHandle((HWND)lParam)); return 0;)
#define ON_WM_KILLFOCUS()     KQ_MSG_ENTRY(WM_KILLFOCUS, 0, 0, 0, pThis->OnKillFocus(CWnd::FromHandle((HWND)wParam)); return 0;)
#define ON_WM_SETFOCUS()      KQ_MSG_ENTRY(WM_SETFOCUS, 0, 0, 0, pThis->OnSetFocus(CWnd::FromHandle((HWND)wParam)); return 0;)
#define ON_WM_CHAR()          KQ_MSG_ENTRY(WM_CHAR, 0, 0, 0, pThis->OnChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_KEYDOWN()       KQ_MSG_ENTRY(WM_KEYDOWN, 0, 0, 0, pThis->OnKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_ENABLE()        KQ_MSG_ENTRY(WM_ENABLE, 0, 0, 0, pThis->OnEnable((BOOL)wParam); return 0;)
#define ON_WM_NCDESTROY()     KQ_MSG_ENTRY(WM_NCDESTROY, 0, 0, 0, pThis->OnNcDestroy(); return 0;)
// UINT OnPowerBroadcast(UINT nPowerEvent, LPARAM nEventData)
#define ON_WM_POWERBROADCAST() KQ_MSG_ENTRY(WM_POWERBROADCAST, 0, 0, 0, return (LRESULT)pThis->OnPowerBroadcast((UINT)wParam, lParam);)
