#include "WidgetTestSupport.h"

#include <wincodec.h>

#include <cstdio>

namespace widgettest {

Capture::Capture(HWND hwnd)
{
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    m_w = rc.right;
    m_h = rc.bottom;
    if (m_w <= 0 || m_h <= 0) {
        m_w = m_h = 0;
        return;
    }
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = m_w;
    bi.bmiHeader.biHeight = -m_h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC wnd = ::GetDC(hwnd);
    HDC mem = ::CreateCompatibleDC(wnd);
    HBITMAP dib = ::CreateDIBSection(wnd, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, m_w, m_h, wnd, 0, 0, SRCCOPY);
    ::GdiFlush();
    if (bits)
        m_px.assign((const DWORD*)bits, (const DWORD*)bits + (size_t)m_w * m_h);
    else
        m_w = m_h = 0;
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::ReleaseDC(hwnd, wnd);
}

COLORREF Capture::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_w || y >= m_h)
        return CLR_INVALID;
    DWORD p = m_px[(size_t)y * m_w + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool Capture::SavePng(const std::string& name) const
{
    if (m_w == 0)
        return false;
    std::string dir = std::string(KQ_BINARY_DIR) + "\\screenshots";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = dir + "\\" + name + ".png";
    wchar_t wpath[MAX_PATH];
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wpath, MAX_PATH);

    bool ok = false;
    HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IWICImagingFactory, (void**)&factory)) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(wpath, GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(m_w, m_h))) {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        if (SUCCEEDED(frame->SetPixelFormat(&format)) &&
            SUCCEEDED(frame->WritePixels(m_h, m_w * 4, (UINT)(m_px.size() * 4), (BYTE*)m_px.data())) &&
            SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()))
            ok = true;
    }
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    if (SUCCEEDED(init))
        ::CoUninitialize();
    return ok;
}

bool Screenshot(HWND hwnd, const std::string& name)
{
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPending();
    return Capture(hwnd).SavePng(name);
}

void PumpPending()
{
    // As the program's own loop does: the windows a message is for see it first.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        bool taken = false;
        for (HWND h = msg.hwnd; h && !taken; h = ::GetParent(h)) {
            CWnd* wnd = CWnd::FromHandlePermanent(h);
            taken = wnd && wnd->PreTranslateMessage(&msg);
        }
        if (taken)
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms)
            return done();
        PumpPending();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

namespace {
INT_PTR CALLBACK HostProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}
} // namespace

HWND CreateHostDialog(int cx, int cy, int x, int y, const char* title)
{
    // DLGTEMPLATE, no menu, default class, title, then the font (DS_SETFONT).
    std::vector<WORD> t(256, 0);
    DLGTEMPLATE* d = (DLGTEMPLATE*)t.data();
    d->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | WS_CLIPCHILDREN;
    d->cdit = 0;
    d->x = d->y = 0;
    d->cx = 100;
    d->cy = 50;
    WORD* p = (WORD*)(d + 1);
    *p++ = 0;   // menu
    *p++ = 0;   // class
    p += ::MultiByteToWideChar(CP_ACP, 0, title, -1, (wchar_t*)p, 64);
    *p++ = 8;
    p += ::MultiByteToWideChar(CP_ACP, 0, "MS Shell Dlg", -1, (wchar_t*)p, 32);
    HWND h = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), d, nullptr, HostProc, 0);
    RECT r = { 0, 0, cx, cy };
    ::AdjustWindowRectEx(&r, (DWORD)::GetWindowLongPtrA(h, GWL_STYLE), FALSE,
                         (DWORD)::GetWindowLongPtrA(h, GWL_EXSTYLE));
    ::SetWindowPos(h, nullptr, x, y, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
    ::ShowWindow(h, SW_SHOW);
    ::SetForegroundWindow(h);
    PumpPending();
    return h;
}

HostDialog::HostDialog(int cx, int cy, int x, int y, const char* title)
{
    SubclassWindow(CreateHostDialog(cx, cy, x, y, title));
}

HostDialog::~HostDialog()
{
    DestroyWindow();
}

BOOL HostDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (CDialog::OnWndMsg(msg, wParam, lParam, pResult))
        return TRUE;
    if (msg == WM_COMMAND) {
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        *pResult = 0;
        return TRUE;
    }
    if (msg >= WM_APP && msg < 0xC000) {
        appMessages.push_back(MSG{ m_hWnd, msg, wParam, lParam });
        *pResult = 0;
        return TRUE;
    }
    return FALSE;
}

void HoverOver(CWnd& w, int x, int y)
{
    POINT p = { x, y };
    ::ClientToScreen(w, &p);
    ::SetCursorPos(p.x, p.y);
    w.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PumpPending();
}

void MoveMouseAway(CWnd& w)
{
    ::SetCursorPos(1, 1);
    w.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(-1000, -1000));
    PumpPending();
}

std::string Rgb(COLORREF c)
{
    char buf[48];
    std::snprintf(buf, sizeof(buf), "(%d, %d, %d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return buf;
}

} // namespace widgettest
