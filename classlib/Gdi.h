// Drawing objects and device contexts; each object owns its handle.
#pragma once

#include <windows.h>
#include "classlib/Types.h"
#include "classlib/CString.h"

class CWnd;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    operator HGDIOBJ() const { return m_hObject; }
    BOOL Attach(HGDIOBJ h) { DeleteObject(); m_hObject = h; return h != nullptr; }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = nullptr; return h; }
    BOOL DeleteObject()
    {
        if (!m_hObject) return FALSE;
        BOOL ok = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return ok;
    }
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
    operator HPEN() const { return (HPEN)m_hObject; }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
    BOOL CreatePatternBrush(HBITMAP bmp) { return Attach(::CreatePatternBrush(bmp)); }
    operator HBRUSH() const { return (HBRUSH)m_hObject; }
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONTA* lf) { return Attach(::CreateFontIndirectA(lf)); }
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                    BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                    BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const char* faceName)
    {
        return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic,
                                    underline, strikeOut, charSet, outPrecision, clipPrecision,
                                    quality, pitchAndFamily, faceName));
    }
    BOOL CreatePointFont(int pointSize10, const char* faceName, HDC hdc = nullptr);
    int GetLogFont(LOGFONTA* lf) const { return ::GetObjectA(m_hObject, sizeof(*lf), lf); }
    operator HFONT() const { return (HFONT)m_hObject; }
};

class CBitmap : public CGdiObject {
public:
    BOOL LoadBitmap(UINT id);
    BOOL CreateCompatibleBitmap(HDC hdc, int cx, int cy) { return Attach(::CreateCompatibleBitmap(hdc, cx, cy)); }
    BOOL CreateBitmap(int cx, int cy, UINT planes, UINT bpp, const void* bits)
    {
        return Attach(::CreateBitmap(cx, cy, planes, bpp, bits));
    }
    int GetBitmap(BITMAP* bm) const { return ::GetObjectA(m_hObject, sizeof(*bm), bm); }
    operator HBITMAP() const { return (HBITMAP)m_hObject; }
};

class CRgn : public CGdiObject {
public:
    BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h)
    {
        return Attach(::CreateRoundRectRgn(l, t, r, b, w, h));
    }
    operator HRGN() const { return (HRGN)m_hObject; }
};

class CDC {
public:
    CDC() = default;
    virtual ~CDC() { if (m_bOwnDC && m_hDC) ::DeleteDC(m_hDC); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    static CDC* FromHandle(HDC hdc);

    BOOL Attach(HDC hdc) { m_hDC = hdc; m_bOwnDC = false; return hdc != nullptr; }
    HDC Detach() { HDC h = m_hDC; m_hDC = nullptr; m_bOwnDC = false; return h; }
    BOOL CreateCompatibleDC(CDC* pDC)
    {
        m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
        m_bOwnDC = true;
        return m_hDC != nullptr;
    }
    BOOL DeleteDC()
    {
        if (!m_hDC) return FALSE;
        BOOL ok = ::DeleteDC(m_hDC);
        m_hDC = nullptr;
        return ok;
    }

    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    HGDIOBJ SelectObject(CGdiObject* obj) { return ::SelectObject(m_hDC, obj->m_hObject); }
    HGDIOBJ SelectStockObject(int index) { return ::SelectObject(m_hDC, ::GetStockObject(index)); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }

    void FillSolidRect(const RECT* r, COLORREF c);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
    void FillRect(const RECT* r, HBRUSH b) { ::FillRect(m_hDC, r, b); }
    void FrameRect(const RECT* r, HBRUSH b) { ::FrameRect(m_hDC, r, b); }
    void Draw3dRect(const RECT* r, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawEdge(RECT* r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(const RECT* r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL RoundRect(const RECT* r, POINT pt) { return ::RoundRect(m_hDC, r->left, r->top, r->right, r->bottom, pt.x, pt.y); }
    BOOL Ellipse(const RECT* r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Polygon(const POINT* pts, int n) { return ::Polygon(m_hDC, pts, n); }
    BOOL Polyline(const POINT* pts, int n) { return ::Polyline(m_hDC, pts, n); }
    CPoint MoveTo(int x, int y) { POINT old; ::MoveToEx(m_hDC, x, y, &old); return CPoint(old); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }

    BOOL TextOut(int x, int y, const char* s, int n) { return ::TextOutA(m_hDC, x, y, s, n); }
    BOOL TextOut(int x, int y, const CString& s) { return ::TextOutA(m_hDC, x, y, s, s.GetLength()); }
    int DrawText(const char* s, int n, RECT* r, UINT fmt) { return ::DrawTextA(m_hDC, s, n, r, fmt); }
    int DrawText(const CString& s, RECT* r, UINT fmt) { return ::DrawTextA(m_hDC, s, s.GetLength(), r, fmt); }
    CSize GetTextExtent(const char* s, int n) const { SIZE sz = {0, 0}; ::GetTextExtentPoint32A(m_hDC, s, n, &sz); return CSize(sz); }
    CSize GetTextExtent(const CString& s) const { return GetTextExtent(s, s.GetLength()); }
    BOOL GetTextMetrics(TEXTMETRICA* tm) const { return ::GetTextMetricsA(m_hDC, tm); }

    BOOL BitBlt(int x, int y, int cx, int cy, CDC* src, int sx, int sy, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, cx, cy, src ? src->m_hDC : nullptr, sx, sy, rop);
    }
    BOOL StretchBlt(int x, int y, int cx, int cy, CDC* src, int sx, int sy, int scx, int scy, DWORD rop)
    {
        return ::StretchBlt(m_hDC, x, y, cx, cy, src->m_hDC, sx, sy, scx, scy, rop);
    }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIconEx(m_hDC, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }
    BOOL DrawIcon(int x, int y, HICON icon, int cx, int cy) { return ::DrawIconEx(m_hDC, x, y, icon, cx, cy, 0, nullptr, DI_NORMAL); }
    int SelectClipRgn(HRGN rgn) { return ::SelectClipRgn(m_hDC, rgn); }
    int IntersectClipRect(const RECT* r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }

protected:
    bool m_bOwnDC = false;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps = {};
private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
private:
    HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;
private:
    HWND m_hWnd;
};
