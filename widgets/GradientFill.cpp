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

CGradientFill::~CGradientFill() = default;

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
    int bits = ::GetDeviceCaps(dc->m_hDC, BITSPIXEL) * ::GetDeviceCaps(dc->m_hDC, PLANES);
    if (bits < 8 && !palette) {
        // Too few colours for bands: the part asked for in the first colour.
        m_bPalette = FALSE;
        FillSpan(dc, rect, start, end, m_arrColors[0]);
        return;
    }
    m_bPalette = palette;
    MakeBands(dc, rect, length, start, end);
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
    MakeSegmentBands(dc, rect, length, start, end, budget);
    if (oldPalette)
        ::SelectPalette(dc->m_hDC, oldPalette, FALSE);
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
