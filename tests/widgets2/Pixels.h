// What a window shows: its client area read back with BitBlt from its DC
// (children included), and saved as a PNG for a person to look at.
#pragma once

#include <windows.h>
#include <wincodec.h>

#include <string>
#include <vector>

struct Shot {
    int w = 0, h = 0;
    std::vector<DWORD> bits;   // 0x00RRGGBB, top row first

    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= w || y >= h) return CLR_INVALID;
        DWORD p = bits[(size_t)y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
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

inline Shot Capture(HWND wnd)
{
    Shot s;
    RECT rc;
    GetClientRect(wnd, &rc);
    s.w = rc.right;
    s.h = rc.bottom;
    if (s.w <= 0 || s.h <= 0) return s;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = s.w;
    bi.bmiHeader.biHeight = -s.h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(wnd);
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, s.w, s.h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    s.bits.assign((DWORD*)bits, (DWORD*)bits + (size_t)s.w * s.h);
    for (DWORD& p : s.bits) p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(wnd, screen);
    return s;
}

// Paints everything pending, then captures.
inline Shot CaptureNow(HWND wnd)
{
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return Capture(wnd);
}

// Saves the window's client area as build/screenshots/<name>.png.
inline bool SaveShot(HWND wnd, const char* name)
{
    Shot s = CaptureNow(wnd);
    if (s.w <= 0 || s.h <= 0) return false;
    std::string dir = std::string(KQ_BINARY_DIR) + "\\screenshots";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = dir + "\\" + name + ".png";
    wchar_t wpath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wpath, MAX_PATH);

    bool ok = false;
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, (void**)&factory)) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(wpath, GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize((UINT)s.w, (UINT)s.h))) {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        ok = SUCCEEDED(frame->SetPixelFormat(&format)) &&
             SUCCEEDED(frame->WritePixels((UINT)s.h, (UINT)s.w * 4, (UINT)(s.bits.size() * 4), (BYTE*)s.bits.data())) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

// Runs the thread's messages until none is waiting.
inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
