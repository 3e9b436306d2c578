// Icons as pixels: drawn over black and over white, so that both the mask
// and the colours take part in a comparison.
#pragma once

#include <windows.h>

#include <utility>
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

// A 32-bit top-down DIB section of cx x cy pixels.
inline HBITMAP MakeDib(HDC dc, int cx, int cy, void** bits)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

inline std::vector<DWORD> DrawOver(HICON icon, int size, COLORREF background)
{
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = MakeDib(dc, size, size, &bits);
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

// ---- what the shell shows ----------------------------------------------

// Wine's notification area without a system tray of the desktop: a window
// of its own holding one child window per icon.  The icon's window when
// exactly one icon is shown, else nullptr.
inline HWND ShellIconWindow()
{
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    if (!tray) return nullptr;
    HWND only = nullptr;
    int shown = 0;
    for (HWND c = FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr); c;
         c = FindWindowExA(tray, c, "__winex11_tray_icon", nullptr)) {
        if (!IsWindowVisible(c)) continue;
        only = c;
        ++shown;
    }
    return shown == 1 ? only : nullptr;
}

// What the screen shows where a window is, as pixels (0x00RRGGBB, top-down
// rows).  Another program's window is read from the screen: its own DC
// gives nothing back across processes.
inline std::vector<DWORD> CaptureOnScreen(HWND w, int& cx, int& cy)
{
    RECT rc = {};
    GetWindowRect(w, &rc);
    cx = rc.right - rc.left;
    cy = rc.bottom - rc.top;
    std::vector<DWORD> out;
    if (cx <= 0 || cy <= 0) return out;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = MakeDib(dc, cx, cy, &bits);
    if (bmp) {
        HGDIOBJ old = SelectObject(dc, bmp);
        if (BitBlt(dc, 0, 0, cx, cy, screen, rc.left, rc.top, SRCCOPY)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(bits);
            for (int i = 0; i < cx * cy; ++i) out.push_back(p[i] & 0x00FFFFFF);
        }
        SelectObject(dc, old);
        DeleteObject(bmp);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return out;
}

// True when every opaque pixel of the picture (the same over black and over
// white) appears in the capture at some one place.
inline bool PictureIn(const Pixels& pic, const std::vector<DWORD>& shot, int cx, int cy)
{
    for (int oy = 0; oy + pic.size <= cy; ++oy)
        for (int ox = 0; ox + pic.size <= cx; ++ox) {
            bool all = true;
            for (int y = 0; all && y < pic.size; ++y)
                for (int x = 0; all && x < pic.size; ++x) {
                    size_t i = (size_t)(y * pic.size + x);
                    if (pic.overBlack[i] != pic.overWhite[i]) continue;
                    all = shot[(size_t)((oy + y) * cx + ox + x)] == pic.overBlack[i];
                }
            if (all) return true;
        }
    return false;
}

// Which of the candidate icons (id, picture) the shell's one icon shows:
// its id when exactly one matches, 0 otherwise.
inline UINT ShellShows(const std::vector<std::pair<UINT, Pixels>>& candidates)
{
    HWND w = ShellIconWindow();
    if (!w) return 0;
    int cx = 0, cy = 0;
    std::vector<DWORD> shot = CaptureOnScreen(w, cx, cy);
    if (shot.empty()) return 0;
    UINT found = 0;
    for (const auto& c : candidates) {
        if (!PictureIn(c.second, shot, cx, cy)) continue;
        if (found) return 0;
        found = c.first;
    }
    return found;
}

}  // namespace kqtest
