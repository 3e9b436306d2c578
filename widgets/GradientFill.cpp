#include "widgets/GradientFill.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdlib>

namespace {

const int kPaletteBands = 236;   // the entries a palette device leaves free

bool IsPaletteDevice(CDC* dc)
{
    return (::GetDeviceCaps(dc->m_hDC, RASTERCAPS) & RC_PALETTE) != 0;
}

int DeviceBits(CDC* dc)
{
    return ::GetDeviceCaps(dc->m_hDC, BITSPIXEL) * ::GetDeviceCaps(dc->m_hDC, PLANES);
}

COLORREF BandColor(COLORREF c1, COLORREF c2, int k, int n)
{
    int r = GetRValue(c1) + k * (GetRValue(c2) - GetRValue(c1)) / n;
    int g = GetGValue(c1) + k * (GetGValue(c2) - GetGValue(c1)) / n;
    int b = GetBValue(c1) + k * (GetBValue(c2) - GetBValue(c1)) / n;
    return RGB(r, g, b);
}

} // namespace

int ColorDistance(COLORREF a, COLORREF b)
{
    int dr = std::abs((int)GetRValue(a) - (int)GetRValue(b));
    int dg = std::abs((int)GetGValue(a) - (int)GetGValue(b));
    int db = std::abs((int)GetBValue(a) - (int)GetBValue(b));
    return std::max(dr, std::max(dg, db));
}

CGradientFill::CGradientFill() = default;

CGradientFill::~CGradientFill()
{
    FreeStrip();
}

void CGradientFill::FreeStrip()
{
    if (m_hStripDC) {
        ::SelectObject(m_hStripDC, m_hStripOld);
        ::DeleteDC(m_hStripDC);
    }
    if (m_hStrip)
        ::DeleteObject(m_hStrip);
    m_hStripDC = nullptr;
    m_hStrip = nullptr;
    m_hStripOld = nullptr;
    m_nStripLength = m_nStripCross = 0;
    m_nStripDirection = -1;
}

void CGradientFill::SetGradientColorArray(int count, const COLORREF* colors)
{
    m_arrColors.assign(colors, colors + std::max(count, 0));
    m_arrWeights.clear();
    for (int i = 1; i < count; ++i)
        m_arrWeights.push_back(100.0 / (count - 1));
    m_palette.DeleteObject();
}

void CGradientFill::SetGradientColors(int count, ...)
{
    std::vector<COLORREF> colors;
    va_list args;
    va_start(args, count);
    for (int i = 0; i < count; ++i)
        colors.push_back(va_arg(args, COLORREF));
    va_end(args);
    SetGradientColorArray(count, colors.data());
}

void CGradientFill::FillSpan(CDC* dc, const CRect& rect, int from, int to, COLORREF color) const
{
    if (to <= from)
        return;
    CRect r = rect;
    switch (m_nDirection) {
    case FROM_RIGHT:  r.left = rect.right - to;  r.right = rect.right - from;  break;
    case FROM_TOP:    r.top = rect.top + from;   r.bottom = rect.top + to;     break;
    case FROM_BOTTOM: r.top = rect.bottom - to;  r.bottom = rect.bottom - from; break;
    default:          r.left = rect.left + from; r.right = rect.left + to;     break;
    }
    if (m_bPalette)
        color |= 0x02000000;   // palette-relative
    // An opaque empty text fills a rectangle without making a brush per band.
    COLORREF old = ::SetBkColor(dc->m_hDC, color);
    ::ExtTextOutA(dc->m_hDC, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    ::SetBkColor(dc->m_hDC, old);
}

void CGradientFill::FillGradient(CDC* dc, const CRect& rect, int start, int end)
{
    if (m_arrColors.empty() || rect.IsRectEmpty())
        return;
    bool vertical = m_nDirection == FROM_TOP || m_nDirection == FROM_BOTTOM;
    int barLength = vertical ? rect.Height() : rect.Width();
    int length = (int)(barLength * m_fLengthFactor);
    start = std::max(start, 0);
    end = std::min(end, length);
    if (end <= start)
        return;

    bool palette = IsPaletteDevice(dc);
    int bits = m_nDeviceBits ? m_nDeviceBits : DeviceBits(dc);
    if (bits < 8 && !palette) {
        // Too few colours for bands: the part asked for in the first colour.
        m_bPalette = FALSE;
        FillSpan(dc, rect, start, end, m_arrColors[0]);
        return;
    }
    m_bPalette = palette;
    m_nFillBits = bits;
    MakeBands(dc, rect, length, start, end);
    m_nFillBits = 0;
}

void CGradientFill::MakeBands(CDC* dc, const CRect& rect, int length, int start, int end)
{
    if (m_arrColors.size() == 1) {
        FillSpan(dc, rect, start, end, m_arrColors[0]);
        return;
    }
    int segments = (int)m_arrColors.size() - 1;
    int budget = m_bPalette ? std::max(kPaletteBands / segments, 1) : INT_MAX;
    HPALETTE oldPalette = nullptr;
    if (m_bPalette) {
        RealizeBandPalette(dc, length, budget);
        oldPalette = ::SelectPalette(dc->m_hDC, m_palette, FALSE);
        ::RealizePalette(dc->m_hDC);
    }
    if (m_bPalette || !CopyBandsFromStrip(dc, rect, length, start, end))
        MakeSegmentBands(dc, rect, length, start, end, budget);
    if (oldPalette)
        ::SelectPalette(dc->m_hDC, oldPalette, FALSE);
}

bool CGradientFill::MakeStrip(CDC* dc, int length, int cross)
{
    bool vertical = m_nDirection == FROM_TOP || m_nDirection == FROM_BOTTOM;
    if (m_hStrip && length == m_nStripLength && cross == m_nStripCross && m_nDirection == m_nStripDirection &&
        m_arrColors == m_arrStripColors && m_arrWeights == m_arrStripWeights)
        return true;
    FreeStrip();
    // Strips are for bars, not for whole screens.
    if ((long long)length * cross > 1 << 22)
        return false;
    std::vector<Band> bands;
    m_pBands = &bands;
    MakeSegmentBands(dc, CRect(), length, 0, length, INT_MAX);
    m_pBands = nullptr;

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = vertical ? cross : length;
    bi.bmiHeader.biHeight = -(vertical ? length : cross);   // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_hStrip = ::CreateDIBSection(dc->m_hDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_hStrip || !bits) {
        FreeStrip();
        return false;
    }
    // The colour of each pixel along the axis, in screen order.
    std::vector<DWORD> line((size_t)length, 0);
    bool reversed = m_nDirection == FROM_RIGHT || m_nDirection == FROM_BOTTOM;
    for (const Band& b : bands) {
        DWORD px = ((DWORD)GetRValue(b.color) << 16) | ((DWORD)GetGValue(b.color) << 8) | GetBValue(b.color);
        for (int i = std::max(b.from, 0); i < std::min(b.to, length); ++i)
            line[(size_t)(reversed ? length - 1 - i : i)] = px;
    }
    DWORD* out = (DWORD*)bits;
    if (vertical) {
        for (int y = 0; y < length; ++y)
            for (int x = 0; x < cross; ++x)
                out[(size_t)y * cross + x] = line[(size_t)y];
    } else {
        for (int y = 0; y < cross; ++y)
            std::copy(line.begin(), line.end(), out + (size_t)y * length);
    }
    ::GdiFlush();
    m_hStripDC = ::CreateCompatibleDC(dc->m_hDC);
    if (!m_hStripDC) {
        FreeStrip();
        return false;
    }
    m_hStripOld = ::SelectObject(m_hStripDC, m_hStrip);
    m_nStripLength = length;
    m_nStripCross = cross;
    m_nStripDirection = m_nDirection;
    m_arrStripColors = m_arrColors;
    m_arrStripWeights = m_arrWeights;
    return true;
}

bool CGradientFill::CopyBandsFromStrip(CDC* dc, const CRect& rect, int length, int start, int end)
{
    // A copy of 32-bit pixels equals a fill only where the device keeps
    // every colour as it is.
    if ((m_nFillBits ? m_nFillBits : DeviceBits(dc)) < 24)
        return false;
    bool vertical = m_nDirection == FROM_TOP || m_nDirection == FROM_BOTTOM;
    int cross = vertical ? rect.Width() : rect.Height();
    if (cross <= 0 || length <= 0)
        return true;
    if (!MakeStrip(dc, length, cross))
        return false;
    int x = 0, y = 0, cx = 0, cy = 0, sx = 0, sy = 0;
    switch (m_nDirection) {
    case FROM_RIGHT:  x = rect.right - end;  cx = end - start; sx = length - end; y = rect.top; cy = cross; break;
    case FROM_TOP:    y = rect.top + start;  cy = end - start; sy = start;        x = rect.left; cx = cross; break;
    case FROM_BOTTOM: y = rect.bottom - end; cy = end - start; sy = length - end; x = rect.left; cx = cross; break;
    default:          x = rect.left + start; cx = end - start; sx = start;        y = rect.top; cy = cross; break;
    }
    return ::BitBlt(dc->m_hDC, x, y, cx, cy, m_hStripDC, sx, sy, SRCCOPY) != FALSE;
}

void CGradientFill::MakeSegmentBands(CDC* dc, const CRect& rect, int length, int start, int end, int budget)
{
    int segments = (int)m_arrColors.size() - 1;
    double sum = 0;
    for (int i = 0; i < segments; ++i) {
        double weight = i < (int)m_arrWeights.size() ? m_arrWeights[i] : 0;
        int from = (int)(sum * length / 100.0);
        sum += weight;
        int to = i == segments - 1 ? length : (int)(sum * length / 100.0);
        to = std::min(to, length);
        if (to > from)
            MakeColorBands(dc, rect, m_arrColors[i], m_arrColors[i + 1], from, to, start, end, budget);
    }
}

void CGradientFill::MakeColorBands(CDC* dc, const CRect& rect, COLORREF c1, COLORREF c2, int from, int to,
                                   int start, int end, int budget)
{
    int segLength = to - from;
    int n = std::min(ColorDistance(c1, c2), segLength);
    n = std::max(std::min(n, budget), 1);
    for (int k = 0; k < n; ++k) {
        int a = from + (int)((long long)k * segLength / n);
        int b = k == n - 1 ? to : from + (int)((long long)(k + 1) * segLength / n);
        COLORREF color = BandColor(c1, c2, k, n);
        if (m_pCollect) {
            m_pCollect->push_back(color);
            continue;
        }
        if (m_pBands) {
            m_pBands->push_back({ a, b, color });
            continue;
        }
        a = std::max(a, start);
        b = std::min(b, end);
        if (b > a)
            FillSpan(dc, rect, a, b, color);
    }
}

void CGradientFill::RealizeBandPalette(CDC* dc, int length, int budget)
{
    std::vector<COLORREF> colors;
    m_pCollect = &colors;
    MakeSegmentBands(dc, CRect(), length, 0, length, budget);
    m_pCollect = nullptr;
    std::sort(colors.begin(), colors.end());
    colors.erase(std::unique(colors.begin(), colors.end()), colors.end());
    if (colors.size() > 256)
        colors.resize(256);
    if (m_palette.m_hObject && colors == m_arrPaletteColors)
        return;
    std::vector<BYTE> buf(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
    LOGPALETTE* lp = (LOGPALETTE*)buf.data();
    lp->palVersion = 0x300;
    lp->palNumEntries = (WORD)colors.size();
    for (size_t i = 0; i < colors.size(); ++i)
        lp->palPalEntry[i] = { GetRValue(colors[i]), GetGValue(colors[i]), GetBValue(colors[i]), 0 };
    m_palette.CreatePalette(lp);
    m_arrPaletteColors = colors;
}
