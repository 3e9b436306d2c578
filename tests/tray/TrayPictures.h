// Icons as pixels: drawn over black and over white, so that both the mask
// and the colours take part in a comparison.
#pragma once

#include <windows.h>

#include <vector>

namespace kqtest {

struct Pixels {
    int size = 0;
    std::vector<DWORD> overBlack, overWhite;   // top-down rows, 0x00RRGGBB
    bool operator==(const Pixels& o) const
    {
        return size == o.size && overBlack == o.overBlack && overWhite == o.overWhite;
    }
};

inline std::vector<DWORD> DrawOver(HICON icon, int size, COLORREF background)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> out;
    if (bmp) {
        HGDIOBJ old = SelectObject(dc, bmp);
        RECT r = {0, 0, size, size};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(bits);
        for (int i = 0; i < size * size; ++i) out.push_back(p[i] & 0x00FFFFFF);
        SelectObject(dc, old);
        DeleteObject(bmp);
    }
    DeleteDC(dc);
    return out;
}

inline Pixels RenderIcon(HICON icon, int size)
{
    Pixels p;
    p.size = size;
    p.overBlack = DrawOver(icon, size, RGB(0, 0, 0));
    p.overWhite = DrawOver(icon, size, RGB(255, 255, 255));
    return p;
}

}  // namespace kqtest
