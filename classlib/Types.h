// Geometry helpers in the class library's manner.
#pragma once

#include <windows.h>

class CPoint : public POINT {
public:
    CPoint() { x = 0; y = 0; }
    CPoint(int ix, int iy) { x = ix; y = iy; }
    CPoint(POINT p) { x = p.x; y = p.y; }
    explicit CPoint(LPARAM lp) { x = (short)LOWORD(lp); y = (short)HIWORD(lp); }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

class CSize : public SIZE {
public:
    CSize() { cx = 0; cy = 0; }
    CSize(int w, int h) { cx = w; cy = h; }
    CSize(SIZE s) { cx = s.cx; cy = s.cy; }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& r) { left = r.left; top = r.top; right = r.right; bottom = r.bottom; }
    CRect(CPoint pt, CSize sz) { left = pt.x; top = pt.y; right = pt.x + sz.cx; bottom = pt.y + sz.cy; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    bool IsRectEmpty() const { return ::IsRectEmpty(this) != FALSE; }
    bool PtInRect(POINT p) const { return ::PtInRect(this, p) != FALSE; }
    void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
    void SetRectEmpty() { ::SetRectEmpty(this); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    void InflateRect(int dx, int dy) { ::InflateRect(this, dx, dy); }
    void DeflateRect(int dx, int dy) { ::InflateRect(this, -dx, -dy); }
    bool operator==(const RECT& o) const { return ::EqualRect(this, &o) != FALSE; }
    bool operator!=(const RECT& o) const { return !(*this == o); }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};
