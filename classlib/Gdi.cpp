#include "classlib/Gdi.h"
#include "classlib/Wnd.h"
#include "classlib/WinApp.h"

#include <map>

BOOL CFont::CreatePointFont(int pointSize10, const char* faceName, HDC hdc)
{
    HDC screen = hdc ? hdc : ::GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = -MulDiv(pointSize10, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, faceName ? faceName : "", LF_FACESIZE);
    if (!hdc)
        ::ReleaseDC(nullptr, screen);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(UINT id)
{
    return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)));
}

CDC* CDC::FromHandle(HDC hdc)
{
    // Temporary wrappers live as long as the thread; they own nothing.
    thread_local std::map<HDC, CDC*> wrappers;
    CDC*& dc = wrappers[hdc];
    if (!dc) {
        dc = new CDC;
        dc->Attach(hdc);
    }
    return dc;
}

void CDC::FillSolidRect(const RECT* r, COLORREF c)
{
    ::SetBkColor(m_hDC, c);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c)
{
    RECT r = { x, y, x + cx, y + cy };
    FillSolidRect(&r, c);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx, y, -1, cy, bottomRight);
    FillSolidRect(x, y + cy, cx, -1, bottomRight);
}

void CDC::Draw3dRect(const RECT* r, COLORREF topLeft, COLORREF bottomRight)
{
    Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, topLeft, bottomRight);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->GetSafeHwnd())
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : nullptr)
{
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->GetSafeHwnd() : nullptr)
{
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC()
{
    ::ReleaseDC(m_hWnd, Detach());
}
