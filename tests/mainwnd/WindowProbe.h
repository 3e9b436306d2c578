// Looking at windows from a test: their pixels (and PNG files of them), and
// what a process holds (windows, GDI objects, kernel handles), counted the
// ways that work under Wine.
#pragma once

#include <windows.h>
#include <wincodec.h>
#include <winternl.h>

#include <string>
#include <vector>

namespace kqtest {

// The client area of a window with its children, as 32-bit pixels (top row first).
struct Capture {
    int width = 0, height = 0;
    std::vector<DWORD> px;   // 0x00RRGGBB
    DWORD At(int x, int y) const { return px[(size_t)y * width + x]; }
};

// A rectangle of a device context, as 32-bit pixels.
inline Capture CaptureDc(HDC src, int x, int y, int width, int height)
{
    Capture c;
    c.width = width;
    c.height = height;
    if (c.width <= 0 || c.height <= 0) return c;
    HDC mem = CreateCompatibleDC(src);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = c.width;
    bi.bmiHeader.biHeight = -c.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, c.width, c.height, src, x, y, SRCCOPY);
    GdiFlush();
    c.px.assign((DWORD*)bits, (DWORD*)bits + (size_t)c.width * c.height);
    for (DWORD& p : c.px) p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    return c;
}

inline Capture CaptureWindow(HWND hwnd)
{
    RECT rc;
    if (!GetClientRect(hwnd, &rc)) return Capture();
    HDC src = GetDC(hwnd);
    Capture c = CaptureDc(src, 0, 0, rc.right, rc.bottom);
    ReleaseDC(hwnd, src);
    return c;
}

// The rows of a window's capture from a child's top edge down: the part a
// lower panel of the configuration window shows.
inline Capture RowsFromChild(const Capture& whole, HWND window, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window, (POINT*)&r, 2);
    int top = r.top < 0 ? 0 : (r.top > whole.height ? whole.height : (int)r.top);
    Capture part;
    part.width = whole.width;
    part.height = whole.height - top;
    part.px.assign(whole.px.begin() + (size_t)top * whole.width, whole.px.end());
    return part;
}

// A rectangle of the screen: a window with the pop-ups it opened (a
// dropped-down list is a window of its own).
inline Capture CaptureScreen(const RECT& r)
{
    HDC screen = GetDC(nullptr);
    Capture c = CaptureDc(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return c;
}

// Pixels of a rectangle of the capture that are "reddish" / "greenish".
inline int CountPixels(const Capture& c, RECT r, bool (*pred)(BYTE r, BYTE g, BYTE b))
{
    int n = 0;
    for (int y = r.top; y < r.bottom && y < c.height; ++y)
        for (int x = r.left; x < r.right && x < c.width; ++x) {
            DWORD p = c.At(x, y);
            if (pred((BYTE)(p >> 16), (BYTE)(p >> 8), (BYTE)p)) ++n;
        }
    return n;
}

// Writes the capture as a PNG through WIC; creates the folder when missing.
inline bool SavePng(const Capture& c, const std::string& path)
{
    if (c.width <= 0) return false;
    std::string folder = path.substr(0, path.find_last_of("\\/"));
    CreateDirectoryA(folder.c_str(), nullptr);
    bool comInit = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    bool ok = false;
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    std::wstring wpath(path.begin(), path.end());
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   (void**)&factory)) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(wpath.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(c.width, c.height))) {
        WICPixelFormatGUID fmt = GUID_WICPixelFormat32bppBGR;
        std::vector<DWORD> rows(c.px);
        ok = SUCCEEDED(frame->SetPixelFormat(&fmt)) &&
             SUCCEEDED(frame->WritePixels(c.height, c.width * 4, (UINT)(rows.size() * 4), (BYTE*)rows.data())) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    if (comInit) CoUninitialize();
    return ok;
}

// build/screenshots/<name>.png
inline std::string ScreenshotPath(const std::string& name)
{
    return std::string(KQ_BINARY_DIR) + "/screenshots/" + name + ".png";
}

// The first child (at any depth) of a window with that control id.
inline HWND FindChildById(HWND parent, int id)
{
    struct Ctx {
        int id;
        HWND found;
    } ctx{ id, nullptr };
    EnumChildWindows(parent, [](HWND h, LPARAM lp) -> BOOL {
        Ctx* c = (Ctx*)lp;
        if (GetDlgCtrlID(h) != c->id) return TRUE;
        c->found = h;
        return FALSE;
    }, (LPARAM)&ctx);
    return ctx.found;
}

// ---- What this process holds ----------------------------------------------

// Live GDI objects of this process: the entries of the process's handle
// table (PEB + 0xF8 on x64) that carry a type.  Wine leaves the owner field
// of these entries 0, so the type alone tells a live object.
inline int CountGdiObjects()
{
#ifdef _WIN64
    typedef NTSTATUS(NTAPI * InfoFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    InfoFn info = (InfoFn)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION pbi = {};
    if (!info || info(GetCurrentProcess(), ProcessBasicInformation, &pbi, sizeof(pbi), nullptr) != 0) return -1;
    BYTE* peb = (BYTE*)pbi.PebBaseAddress;
    BYTE* table = *(BYTE**)(peb + 0xF8);
    if (!table) return -1;
    int n = 0;
    for (int i = 0; i < 0x4000; ++i)
        if (table[(size_t)i * 24 + 14]) ++n;
    return n;
#else
    return -1;
#endif
}

// Kernel handles of this process from the system's handle list.
inline int CountKernelHandles()
{
    typedef NTSTATUS(NTAPI * QueryFn)(ULONG, PVOID, ULONG, PULONG);
    QueryFn query = (QueryFn)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    if (!query) return -1;
    struct Entry {
        ULONG pid;
        BYTE type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    std::vector<BYTE> buf(1 << 20);
    for (int i = 0; i < 8; ++i) {
        ULONG need = 0;
        NTSTATUS st = query(16 /* SystemHandleInformation */, buf.data(), (ULONG)buf.size(), &need);
        if (st == 0) break;
        if (st != (NTSTATUS)0xC0000004L) return -1;   // STATUS_INFO_LENGTH_MISMATCH
        buf.resize(buf.size() * 2);
    }
    ULONG count = *(ULONG*)buf.data();
    const Entry* e = (const Entry*)(buf.data() + sizeof(ULONG_PTR));
    DWORD pid = GetCurrentProcessId();
    int n = 0;
    for (ULONG i = 0; i < count; ++i)
        if (e[i].pid == pid) ++n;
    return n;
}

// Windows of this thread, top-level and children.
inline int CountThreadWindows()
{
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM lp) -> BOOL {
        int* pn = (int*)lp;
        ++*pn;
        EnumChildWindows(h, [](HWND, LPARAM lp2) -> BOOL { ++*(int*)lp2; return TRUE; }, lp);
        return TRUE;
    }, (LPARAM)&n);
    return n;
}

}  // namespace kqtest
