// CWnd: a window object over an HWND, with a message map.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include "classlib/CString.h"
#include "classlib/Gdi.h"
#include "classlib/MsgMap.h"
#include "classlib/Types.h"

class CScrollBar;

// Debug builds report a wrapper called on a window that no longer exists
// (in the trace); release builds call through as Win32 would.
#ifdef NDEBUG
#define KQ_CHECK_WINDOW() ((void)0)
#else
#define KQ_CHECK_WINDOW() CheckWindow(__func__)
#endif

// A window object over an HWND.
//
// Handle maps: a window made or subclassed through an object is in the
// permanent map (HWND -> that object) until WM_NCDESTROY detaches it.
// FromHandle on any other window gives a temporary CWnd that belongs to the
// library; do not keep it, it goes when its window is gone.
//
// Messages of a permanent window go KqStdWndProc -> WindowProc -> OnWndMsg
// (children's reflected notifications, then the message map) -> DefWindowProc.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // Permanent objects are the ones attached to a window; FromHandle gives a
    // temporary wrapper for any other window.
    static CWnd* FromHandle(HWND h);
    static CWnd* FromHandlePermanent(HWND h);

    BOOL Attach(HWND h);
    HWND Detach();
    BOOL SubclassWindow(HWND h);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                          const RECT& rect, CWnd* parent, UINT id, void* param = nullptr);
    virtual BOOL Create(const char* className, const char* windowName, DWORD style,
                        const RECT& rect, CWnd* parent, UINT id);
    virtual BOOL DestroyWindow();
    // A window class of the library's own (plain background, double clicks).
    static const char* RegisterWndClass(UINT classStyle = CS_DBLCLKS, HCURSOR cursor = nullptr,
                                        HBRUSH background = nullptr, HICON icon = nullptr);

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Notifications a parent passes back to the control that sent them
    // (owner drawing, colours, commands, notifies, scrolling).
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void PreSubclassWindow() {}
    virtual void PostNcDestroy() {}
    // The default processing (the subclassed or class window procedure) of
    // the message now being handled, with its own wParam and lParam.
    LRESULT Default();
    // The message now being handled on this thread.
    static const MSG* GetCurrentMessage();

    // Thin wrappers
    BOOL ShowWindow(int cmd) { KQ_CHECK_WINDOW(); return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { KQ_CHECK_WINDOW(); return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { KQ_CHECK_WINDOW(); return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { KQ_CHECK_WINDOW(); return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) { KQ_CHECK_WINDOW(); ::MoveWindow(m_hWnd, x, y, cx, cy, repaint); }
    void MoveWindow(const RECT* r, BOOL repaint = TRUE) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint); }
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
    void SetWindowText(const char* text) { KQ_CHECK_WINDOW(); ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& text) const;
    CString GetWindowText() const { CString s; GetWindowText(s); return s; }
    int GetWindowTextLength() const { KQ_CHECK_WINDOW(); return ::GetWindowTextLengthA(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { KQ_CHECK_WINDOW(); ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* r, BOOL erase = TRUE) { KQ_CHECK_WINDOW(); ::InvalidateRect(m_hWnd, r, erase); }
    void UpdateWindow() { KQ_CHECK_WINDOW(); ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(const RECT* r = nullptr, HRGN rgn = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, r, rgn, flags);
    }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const { KQ_CHECK_WINDOW(); return ::SendMessageA(m_hWnd, msg, wParam, lParam); }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const { KQ_CHECK_WINDOW(); return ::PostMessageA(m_hWnd, msg, wParam, lParam); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) { KQ_CHECK_WINDOW(); return ::SetTimer(m_hWnd, id, elapse, proc); }
    BOOL KillTimer(UINT_PTR id) { KQ_CHECK_WINDOW(); return ::KillTimer(m_hWnd, id); }
    void GetClientRect(RECT* r) const { KQ_CHECK_WINDOW(); ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(RECT* r) const { KQ_CHECK_WINDOW(); ::GetWindowRect(m_hWnd, r); }
    void ScreenToClient(POINT* p) const { KQ_CHECK_WINDOW(); ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(RECT* r) const;
    void ClientToScreen(POINT* p) const { KQ_CHECK_WINDOW(); ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(RECT* r) const;
    void SetFont(CFont* font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)(font ? font->m_hObject : nullptr), redraw); }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)font, redraw); }
    HFONT GetFont() const { return (HFONT)SendMessage(WM_GETFONT); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    int GetDlgCtrlID() const { KQ_CHECK_WINDOW(); return ::GetDlgCtrlID(m_hWnd); }
    void SetDlgItemText(int id, const char* text) { KQ_CHECK_WINDOW(); ::SetDlgItemTextA(m_hWnd, id, text); }
    int GetDlgItemText(int id, CString& text) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { KQ_CHECK_WINDOW(); ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
    UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const { KQ_CHECK_WINDOW(); return ::GetDlgItemInt(m_hWnd, id, ok, isSigned); }
    void CheckDlgButton(int id, UINT check) { KQ_CHECK_WINDOW(); ::CheckDlgButton(m_hWnd, id, check); }
    UINT IsDlgButtonChecked(int id) const { KQ_CHECK_WINDOW(); return ::IsDlgButtonChecked(m_hWnd, id); }
    void CheckRadioButton(int first, int last, int check) { KQ_CHECK_WINDOW(); ::CheckRadioButton(m_hWnd, first, last, check); }
    DWORD GetStyle() const { KQ_CHECK_WINDOW(); return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { KQ_CHECK_WINDOW(); return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    BOOL SetForegroundWindow() { KQ_CHECK_WINDOW(); return ::SetForegroundWindow(m_hWnd); }
    CWnd* SetActiveWindow() { KQ_CHECK_WINDOW(); return FromHandle(::SetActiveWindow(m_hWnd)); }
    void BringWindowToTop() { KQ_CHECK_WINDOW(); ::BringWindowToTop(m_hWnd); }
    void CenterWindow(CWnd* alternateOwner = nullptr);
    HICON SetIcon(HICON icon, BOOL big) { return (HICON)SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, (LPARAM)icon); }
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
    CWnd* ChildWindowFromPoint(POINT p) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, p)); }
    CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
    int ReleaseDC(CDC* dc) { return ::ReleaseDC(m_hWnd, dc ? dc->m_hDC : nullptr); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
    static CWnd* FindWindow(const char* className, const char* windowName)
    {
        return FromHandle(::FindWindowA(className, windowName));
    }

    // Handlers the message-map entries call; the defaults do the window's default processing.
    int OnCreate(LPCREATESTRUCT) { return (int)Default(); }
    void OnDestroy() { Default(); }
    void OnNcDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnPaint() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return (HBRUSH)Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnMouseLeave() { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
    void OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT) { Default(); }
    void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnEnable(BOOL) { Default(); }

    UINT OnPowerBroadcast(UINT, LPARAM) { return (UINT)Default(); }

    static const MsgMap* GetThisMessageMap();
    virtual const MsgMap* GetMessageMap() const;

protected:
    WNDPROC m_pfnSuper = nullptr;   // the window procedure we subclassed

    friend LRESULT CALLBACK KqStdWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK KqCbtHook(int, WPARAM, LPARAM);
    void AttachSubclassed(HWND h);
    void HookWindowCreate();
    static void UnhookWindowCreate();
    BOOL ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    void CheckWindow(const char* wrapper) const;
};

// Runs one message through PreTranslateMessage of the windows it is for, then dispatches it.
// Returns FALSE on WM_QUIT.
BOOL AfxPumpMessage();
