#include "classlib/Wnd.h"
#include "classlib/WinApp.h"

#include <cstdio>
#include <exception>
#include <map>
#include <memory>

namespace {

// Handle maps: HWND -> object.  The permanent map holds the objects that own
// their window (attached at creation or by SubclassWindow, dropped at
// WM_NCDESTROY or Detach); the temporary map holds the wrappers FromHandle
// makes for other windows, owned here.  Windows may be looked up from any
// thread, hence the lock.
struct HandleMaps {
    CRITICAL_SECTION lock;
    std::map<HWND, CWnd*> permanent;
    std::map<HWND, std::unique_ptr<CWnd>> temporary;
    HandleMaps() { InitializeCriticalSection(&lock); }
};

HandleMaps& Maps()
{
    static HandleMaps maps;
    return maps;
}

struct Locker {
    Locker() { EnterCriticalSection(&Maps().lock); }
    ~Locker() { LeaveCriticalSection(&Maps().lock); }
};

// The message being processed on this thread, for CWnd::Default() and
// GetCurrentMessage(); nested messages save and restore it.
thread_local MSG t_current = {};

// The creation hook.  CreateWindowEx and CreateDialogParam send WM_NCCREATE,
// WM_CREATE and WM_INITDIALOG before they return the handle, so the object
// must own the window before its first message.  Around each creation a
// thread-local WH_CBT hook is installed; at HCBT_CREATEWND (the first event
// for the new window, before any message) it attaches the waiting object and
// subclasses the window to KqStdWndProc.  The hook goes as soon as it has
// attached its object, or when the creation returns without it: every event
// a hook sees is a round trip to the window server, and a dialog's controls
// and whatever its WM_INITDIALOG does would all pass through it.  A window
// made from WM_CREATE or WM_INITDIALOG hooks its own creation again.
thread_local CWnd* t_pWndInit = nullptr;
thread_local HHOOK t_hCbtHook = nullptr;

void RemoveCreationHook()
{
    if (t_hCbtHook) {
        UnhookWindowsHookEx(t_hCbtHook);
        t_hCbtHook = nullptr;
    }
}

// An exception must not unwind through the system's code that called the
// window procedure: it is reported in the trace and the message answered as
// a failure.
LRESULT ReportWndProcException(HWND hwnd, UINT msg, const char* what)
{
    char line[512];
    std::snprintf(line, sizeof(line), "Kestiq: exception in the handler of message 0x%04X of window %p: %s\n",
                  msg, (void*)hwnd, what);
    OutputDebugStringA(line);
    if (msg == WM_PAINT)
        ValidateRect(hwnd, nullptr);   // or WM_PAINT comes back for ever
    return msg == WM_CREATE ? -1 : 0;
}

} // namespace

LRESULT CALLBACK KqStdWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd)
        return DefWindowProcA(hwnd, msg, wParam, lParam);

    MSG saved = t_current;
    t_current = MSG{ hwnd, msg, wParam, lParam, 0, {} };
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(msg, wParam, lParam);
    } catch (const std::exception& e) {
        result = ReportWndProcException(hwnd, msg, e.what());
    } catch (...) {
        result = ReportWndProcException(hwnd, msg, "unknown exception");
    }
    t_current = saved;

    if (msg == WM_NCDESTROY) {
        // The window is gone: give the object back its plain state.
        if (wnd->m_hWnd == hwnd) {
            if (wnd->m_pfnSuper && (WNDPROC)GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == KqStdWndProc)
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)wnd->m_pfnSuper);
            wnd->Detach();
            wnd->PostNcDestroy();
        }
    }
    return result;
}

LRESULT CALLBACK KqCbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code != HCBT_CREATEWND || !t_pWndInit)
        return CallNextHookEx(t_hCbtHook, code, wParam, lParam);
    CWnd* wnd = t_pWndInit;
    t_pWndInit = nullptr;
    wnd->AttachSubclassed((HWND)wParam);
    LRESULT result = CallNextHookEx(t_hCbtHook, code, wParam, lParam);
    RemoveCreationHook();
    return result;
}

CWnd::~CWnd()
{
    if (m_hWnd && ::IsWindow(m_hWnd) && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND h)
{
    if (!h)
        return nullptr;
    Locker lock;
    auto it = Maps().permanent.find(h);
    return it == Maps().permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND h)
{
    if (!h)
        return nullptr;
    Locker lock;
    auto it = Maps().permanent.find(h);
    if (it != Maps().permanent.end())
        return it->second;
    // Wrappers of windows that are gone are dropped now and then, so that the
    // map does not grow with every window the program ever looked at.
    if (Maps().temporary.size() >= 512) {
        for (auto t = Maps().temporary.begin(); t != Maps().temporary.end();)
            t = ::IsWindow(t->first) ? std::next(t) : Maps().temporary.erase(t);
    }
    std::unique_ptr<CWnd>& temp = Maps().temporary[h];
    if (!temp) {
        temp.reset(new CWnd);
        temp->m_hWnd = h;
    }
    return temp.get();
}

BOOL CWnd::Attach(HWND h)
{
    if (!h)
        return FALSE;
    Locker lock;
    m_hWnd = h;
    Maps().permanent[h] = this;
    Maps().temporary.erase(h);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h) {
        Locker lock;
        auto it = Maps().permanent.find(h);
        if (it != Maps().permanent.end() && it->second == this)
            Maps().permanent.erase(it);
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    return h;
}

void CWnd::AttachSubclassed(HWND h)
{
    Attach(h);
    PreSubclassWindow();   // as for a subclassed window: the object may adjust the style
    WNDPROC old = (WNDPROC)SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)KqStdWndProc);
    if (old != KqStdWndProc)
        m_pfnSuper = old;
}

BOOL CWnd::SubclassWindow(HWND h)
{
    if (!h || !Attach(h))
        return FALSE;
    PreSubclassWindow();
    WNDPROC old = (WNDPROC)SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)KqStdWndProc);
    if (old != KqStdWndProc)
        m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND h = ::GetDlgItem(parent->GetSafeHwnd(), (int)id);
    return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper)
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    return Detach();
}

void CWnd::HookWindowCreate()
{
    if (!t_hCbtHook)
        t_hCbtHook = SetWindowsHookExA(WH_CBT, KqCbtHook, nullptr, GetCurrentThreadId());
    t_pWndInit = this;
}

void CWnd::UnhookWindowCreate()
{
    t_pWndInit = nullptr;
    RemoveCreationHook();
}

const char* CWnd::RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    thread_local std::map<std::string, std::string> registered;
    char name[96];
    wsprintfA(name, "KqWnd:%x:%p:%p:%p", classStyle, (void*)cursor, (void*)background, (void*)icon);
    auto it = registered.find(name);
    if (it != registered.end())
        return it->second.c_str();
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return registered.emplace(name, name).first->second.c_str();
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, void* param)
{
    if (!className)
        className = RegisterWndClass();
    HookWindowCreate();
    HWND h = CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top,
                             parent ? parent->m_hWnd : nullptr, (HMENU)(UINT_PTR)id,
                             AfxGetInstanceHandle(), param);
    UnhookWindowCreate();
    if (!h) {
        if (m_hWnd && !::IsWindow(m_hWnd))
            Detach();
        return FALSE;
    }
    if (m_hWnd != h)   // a class that swallowed the hook: attach now
        SubclassWindow(h);
    return TRUE;
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND h = m_hWnd;
    bool permanent = FromHandlePermanent(h) == this;
    BOOL ok = ::DestroyWindow(h);
    // A window that was only wrapped (not subclassed) never sees our WM_NCDESTROY.
    if (!permanent || m_hWnd == h)
        Detach();
    return ok;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(msg, wParam, lParam, &result))
        result = DefWindowProc(msg, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return CallWindowProcA(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& m = t_current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

const MSG* CWnd::GetCurrentMessage()
{
    return &t_current;
}

void CWnd::CheckWindow(const char* wrapper) const
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        return;
    char line[160];
    std::snprintf(line, sizeof(line), "Kestiq: CWnd::%s on a window that does not exist (%p)\n", wrapper,
                  (void*)m_hWnd);
    OutputDebugStringA(line);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

BOOL CWnd::ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = (HWND)lParam;
        break;
    case WM_NOTIFY:
        child = lParam ? ((NMHDR*)lParam)->hwndFrom : nullptr;
        break;
    case WM_DRAWITEM:
        if (wParam && lParam && ((DRAWITEMSTRUCT*)lParam)->CtlType != ODT_MENU)
            child = ((DRAWITEMSTRUCT*)lParam)->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (wParam && lParam && ((MEASUREITEMSTRUCT*)lParam)->CtlType != ODT_MENU)
            child = ::GetDlgItem(m_hWnd, (int)((MEASUREITEMSTRUCT*)lParam)->CtlID);
        break;
    case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: case WM_CTLCOLORSCROLLBAR:
    case WM_HSCROLL: case WM_VSCROLL:
        child = (HWND)lParam;
        break;
    default:
        return FALSE;
    }
    CWnd* wnd = FromHandlePermanent(child);
    return wnd && wnd != this && wnd->OnChildNotify(msg, wParam, lParam, pResult);
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (ReflectToChild(msg, wParam, lParam, pResult))
        return TRUE;

    UINT code = 0, id = 0;
    if (msg == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (msg == WM_NOTIFY) {
        if (!lParam)
            return FALSE;
        const NMHDR* hdr = (const NMHDR*)lParam;
        code = hdr->code;
        id = (UINT)hdr->idFrom;
    }

    for (const MsgMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MsgMapEntry* e = map->entries; e && e->handler; ++e) {
            if (e->message == KQ_MSG_RANGE) {
                if (msg < e->idFirst || msg > e->idLast)
                    continue;
            } else if (e->message != msg) {
                continue;
            }
            if (msg == WM_COMMAND || msg == WM_NOTIFY) {
                if (e->code != code || id < e->idFirst || id > e->idLast)
                    continue;
            }
            *pResult = e->handler(this, wParam, lParam);
            return TRUE;
        }
    }
    return FALSE;
}

const MsgMap* CWnd::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = { { 0, 0, 0, 0, nullptr } };
    static const MsgMap map = { nullptr, entries };
    return &map;
}

const MsgMap* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags)
{
    HWND insertAfter;
    if (after == nullptr)
        insertAfter = nullptr;
    else
        insertAfter = after->m_hWnd;
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

void CWnd::GetWindowText(CString& text) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    char* buf = text.GetBuffer(n + 1);
    ::GetWindowTextA(m_hWnd, buf, n + 1);
    text.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int id, CString& text) const
{
    HWND item = ::GetDlgItem(m_hWnd, id);
    int n = ::GetWindowTextLengthA(item);
    char* buf = text.GetBuffer(n + 1);
    ::GetWindowTextA(item, buf, n + 1);
    text.ReleaseBuffer();
    return text.GetLength();
}

void CWnd::ScreenToClient(RECT* r) const
{
    ::MapWindowPoints(nullptr, m_hWnd, (POINT*)r, 2);
}

void CWnd::ClientToScreen(RECT* r) const
{
    ::MapWindowPoints(m_hWnd, nullptr, (POINT*)r, 2);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags)
{
    DWORD style = GetStyle();
    DWORD updated = (style & ~remove) | add;
    if (style == updated)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, (LONG_PTR)updated);
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags)
{
    DWORD style = GetExStyle();
    DWORD updated = (style & ~remove) | add;
    if (style == updated)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, (LONG_PTR)updated);
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    RECT self, area;
    ::GetWindowRect(m_hWnd, &self);
    HWND owner = alternateOwner ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (!owner && (GetStyle() & WS_CHILD))
        owner = ::GetParent(m_hWnd);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    int w = self.right - self.left, h = self.bottom - self.top;
    int x = (area.left + area.right - w) / 2;
    int y = (area.top + area.bottom - h) / 2;
    if (GetStyle() & WS_CHILD) {
        POINT p = { x, y };
        ::ScreenToClient(::GetParent(m_hWnd), &p);
        x = p.x;
        y = p.y;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type)
{
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

CWnd* CWnd::GetTopLevelParent() const
{
    HWND h = m_hWnd;
    while (h && (::GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD))
        h = ::GetParent(h);
    return FromHandle(h);
}

BOOL AfxPumpMessage()
{
    MSG msg;
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
        if (msg.message == WM_QUIT)
            PostQuitMessage((int)msg.wParam);
        return FALSE;
    }
    for (HWND h = msg.hwnd; h; h = ::GetParent(h)) {
        CWnd* wnd = CWnd::FromHandlePermanent(h);
        if (wnd && wnd->PreTranslateMessage(&msg))
            return TRUE;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return TRUE;
}
