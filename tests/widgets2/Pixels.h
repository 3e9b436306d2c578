// What a window shows, read back through the widget tests' capture (BitBlt
// from its DC, children included), with counts over rows and rectangles.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/ImageList.h"
#include "widgets/WidgetTestSupport.h"

struct Shot {
    int w = 0, h = 0;
    std::vector<COLORREF> px;   // top row first

    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= w || y >= h) return CLR_INVALID;
        return px[(size_t)y * w + x];
    }
    // Pixels of one colour in a row between x0 and x1 (exclusive).
    int CountInRow(int y, int x0, int x1, COLORREF c) const
    {
        int n = 0;
        for (int x = x0; x < x1; ++x) n += At(x, y) == c;
        return n;
    }
    int CountInRect(const RECT& r, COLORREF c) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) n += CountInRow(y, r.left, r.right, c);
        return n;
    }
};

// Paints everything pending, then captures.
inline Shot CaptureNow(HWND wnd)
{
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    widgettest::Capture c(wnd);
    Shot s;
    s.w = c.Width();
    s.h = c.Height();
    s.px.reserve((size_t)s.w * s.h);
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) s.px.push_back(c.At(x, y));
    return s;
}

// Saves the window as build/screenshots/<name>.png.
inline bool SaveShot(HWND wnd, const char* name) { return widgettest::Screenshot(wnd, name); }

inline void Pump() { widgettest::PumpPending(); }

// Adds a 16 x 16 image: a square of the colour, or a disc of it on white
// (white being the mask colour).
inline void AddColourImage(CImageList& images, COLORREF colour, bool disc = false)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {0, 0, 16, 16};
    if (disc) {
        FillRect(mem, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
        HGDIOBJ oldBrush = SelectObject(mem, brush);
        Ellipse(mem, 2, 2, 14, 14);
        SelectObject(mem, oldBrush);
    } else {
        FillRect(mem, &r, brush);
    }
    SelectObject(mem, oldBmp);
    DeleteObject(brush);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (disc)
        images.Add(bmp, RGB(255, 255, 255));
    else
        images.Add(bmp, (HBITMAP)nullptr);
    DeleteObject(bmp);
}
