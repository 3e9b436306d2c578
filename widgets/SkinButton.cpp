#include "widgets/SkinButton.h"

#include <algorithm>

namespace {

unsigned g_skinSeed = 1;

// The classic C library generator: 0..32767.
int LibraryRandom()
{
    g_skinSeed = g_skinSeed * 214013u + 2531011u;
    return (int)((g_skinSeed >> 16) & 0x7FFF);
}

CSkinButton::RandomFn g_pfnRandom = LibraryRandom;

int Cubic(int t)
{
    return t * t * t / 128 / 128;
}

} // namespace

void CSkinButton::SetRandom(RandomFn fn)
{
    g_pfnRandom = fn ? fn : LibraryRandom;
}

void CSkinButton::SeedRandom(unsigned seed)
{
    g_skinSeed = seed;
}

int CSkinButton::Random()
{
    return g_pfnRandom();
}

unsigned CSkinButton::RandomSeed()
{
    return g_skinSeed;
}

void CSkinButton::SkipRandom(unsigned draws)
{
    if (g_pfnRandom != LibraryRandom) {
        while (draws--) g_pfnRandom();
        return;
    }
    // n steps of x * a + c at once, by squaring the step.
    unsigned mult = 1, plus = 0, stepMult = 214013u, stepPlus = 2531011u;
    for (; draws; draws >>= 1) {
        if (draws & 1) {
            mult *= stepMult;
            plus = plus * stepMult + stepPlus;
        }
        stepPlus *= stepMult + 1;
        stepMult *= stepMult;
    }
    g_skinSeed = g_skinSeed * mult + plus;
}

unsigned CSkinButton::SkinDraws(int kind, int cx, int cy)
{
    unsigned pixels = (unsigned)std::max(cx, 1) * (unsigned)std::max(cy, 1);
    switch (kind) {
    case 1: case 2: case 3: case 4: case 5: case 6: return pixels;
    case 7: return 2 * pixels;
    case 8: return 800 + pixels;
    default: return 0;
    }
}

CSkinButton::~CSkinButton() = default;

void BuildSkinPalette(CDibImage& image, COLORREF s, COLORREF f, COLORREF l)
{
    for (int i = 0; i < 256; ++i) {
        int r, g, b;
        if (i < 128) {
            r = (GetRValue(s) * (128 - i) + GetRValue(f) * i) / 128;
            g = (GetGValue(s) * (128 - i) + GetGValue(f) * i) / 128;
            b = (GetBValue(s) * (128 - i) + GetBValue(f) * i) / 128;
        } else {
            r = (GetRValue(f) * (255 - i) + GetRValue(l) * (i - 127)) / 128;
            g = (GetGValue(f) * (255 - i) + GetGValue(l) * (i - 127)) / 128;
            b = (GetBValue(f) * (255 - i) + GetBValue(l) * (i - 127)) / 128;
        }
        image.SetPaletteEntry(i, (BYTE)r, (BYTE)g, (BYTE)b);
    }
}

void BuildSkinPattern(CDibImage& image, int kind, BYTE granularity)
{
    const int W = image.GetWidth(), H = image.GetHeight(), stride = image.GetStride();
    BYTE* bits = image.GetBits();
    if (!bits || image.GetBitCount() != 8)
        return;
    const int g = granularity, lo = g, hi = 255 - g, R = hi - lo;
    const int D = 32767 / std::max(2 * g, 1);
    auto noise = [&]() { return CSkinButton::Random() / D - g; };
    auto at = [&](int x, int y) -> BYTE& { return bits[(size_t)y * stride + x]; };   // y from the bottom

    switch (kind) {
    case 1: {
        int d = R / 2;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                at(x, y) = (BYTE)(lo + (y * d) / H + (d * (W - x)) / W + noise());
        break;
    }
    case 2:
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                at(x, y) = (BYTE)(lo + (y * R) / H + noise());
        break;
    case 3:
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                at(x, y) = (BYTE)(lo + (R * (W - x)) / W + noise());
        break;
    case 4:
        for (int y = 0; y < H; ++y) {
            int t = (255 * y) / H - 127;
            for (int x = 0; x < W; ++x)
                at(x, y) = (BYTE)((Cubic(t) * (128 - lo)) / 128 + 128 + noise());
        }
        break;
    case 5:
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                int t = (255 * (W - x)) / W - 127;
                at(x, y) = (BYTE)((Cubic(t) * (128 - lo)) / 128 + 128 + noise());
            }
        break;
    case 6:
        for (int y = 0; y < H; ++y) {
            int a = Cubic((255 * y) / H - 127);
            for (int x = 0; x < W; ++x) {
                int b = Cubic((255 * (W - x)) / W - 127);
                int v = ((a + b) * (128 - lo)) / 128 + 128;
                v = std::min(std::max(v, lo), hi);
                at(x, y) = (BYTE)(v + noise());
            }
        }
        break;
    case 7: {
        for (int y = 0; y < H; ++y) {
            int t = (255 * y) / H - 127;
            for (int x = 0; x < W; ++x)
                at(x, y) = (BYTE)((Cubic(t) * ((64 - lo) * 2)) / 128 + 128 + noise());
        }
        // Rounded ends; q is kept at least 1 so that a one-row image does not divide by zero.
        int s = std::min(W / 6, 16), q = std::max(H * H / 4, 1), hh = H / 2, hw = W / 2;
        for (int y = 0; y < H; ++y) {
            int e = s * (y - hh) * (y - hh) / q - s + hw;
            for (int x = 0; x < W; ++x) {
                if (x - hw > e)
                    at(x, y) = (BYTE)(lo + 128 * (W - x) / s);
                else if ((x - hw) + e < 0)
                    at(x, y) = (BYTE)(hi - 128 * x / s);
            }
            for (int x = 0; x < W; ++x)
                at(x, y) = (BYTE)(at(x, y) + noise());
        }
        break;
    }
    case 8: {
        image.Fill(0);
        int dx = std::max(32767 / W, 1), dy = std::max(32767 / H, 1), dn = std::max(32767 / std::min(W, H), 1);
        for (int i = 0; i < 200; ++i) {
            int x0 = CSkinButton::Random() / dx;
            int y0 = CSkinButton::Random() / dy;
            int n = CSkinButton::Random() / dn / 2;
            BYTE c = (BYTE)(CSkinButton::Random() / 819);
            for (int j = 0; j < n; ++j) {   // y from the top here
                if (x0 - j >= 1 && y0 + j < H)
                    image.SetPixel(x0 - j, y0 + j, c);
                if (x0 + j < W && y0 - j >= 1)
                    image.SetPixel(W - x0 + j, y0 - j, c);
            }
        }
        int d = (hi - lo - 40) / 2;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                at(x, y) = (BYTE)(at(x, y) + (d * (W - x)) / W + (y * d) / H + CSkinButton::Random() / D);
        break;
    }
    default:
        image.Fill(255);
        break;
    }
}

void CSkinButton::BuildSkin(int kind, BYTE granularity, BYTE highlight, BYTE colouring, COLORREF colour,
                            COLORREF hoverTint, COLORREF selectTint)
{
    CRect r;
    if (IsWindow())
        GetWindowRect(&r);
    int w = std::max((int)r.Width(), 1), h = std::max((int)r.Height(), 1);
    m_imgFace.Create(w, h, 8);
    BuildSkinPalette(m_imgFace, ::GetSysColor(COLOR_3DSHADOW), ::GetSysColor(COLOR_3DFACE),
                     ::GetSysColor(COLOR_3DHILIGHT));
    m_imgFace.Blend(colour, colouring);
    BuildSkinPattern(m_imgFace, kind, granularity);
    m_imgHover.CopyFrom(m_imgFace);
    m_imgHover.Blend(hoverTint, highlight);
    m_imgSelected.CopyFrom(m_imgFace);
    m_imgSelected.Blend(selectTint, highlight);
    if (IsWindow())
        Invalidate();
}

DWORD CSkinButton::PaintBackground(CDC* dc, CRect*)
{
    if (m_bMouseOnButton) {
        int off = m_bIsPressed ? 1 : 0;
        m_imgHover.Draw(dc, off, off);
    } else if (m_bTabSelected == 1) {
        m_imgSelected.Draw(dc, 0, 0);
    } else {
        m_imgFace.Draw(dc, 0, 0);
    }
    return BTN_OK;
}

DWORD CSkinButton::PaintBorder(CDC*, CRect*)
{
    return BTN_OK;
}
