#include "widgets/ThroughputGraph.h"

#include <algorithm>
#include <new>

BEGIN_MESSAGE_MAP(CThroughputGraph, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CThroughputGraph::CThroughputGraph()
{
    int size = ::GetSystemMetrics(SM_CXSCREEN);
    if (size > 0)
        m_pSamples = new (std::nothrow) double[(size_t)size]();
    if (m_pSamples) {
        m_nRingSize = size;
        m_bValid = TRUE;
    }
}

CThroughputGraph::~CThroughputGraph()
{
    delete[] m_pSamples;
}

void CThroughputGraph::RedrawNow()
{
    if (IsWindow())
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CThroughputGraph::AddPoint(double value)
{
    if (!m_bValid)
        return FALSE;
    m_nIndex = (m_nIndex + 1) % m_nRingSize;
    m_pSamples[m_nIndex] = value;
    RedrawNow();
    return TRUE;
}

void CThroughputGraph::Clear()
{
    if (m_bValid)
        std::fill(m_pSamples, m_pSamples + m_nRingSize, 0.0);
    m_nIndex = 0;
    RedrawNow();
}

template <class T>
BOOL CThroughputGraph::SetAndRepaint(T& member, T value)
{
    if (!m_bValid)
        return FALSE;
    member = value;
    m_bClearBackground = TRUE;
    RedrawNow();
    return TRUE;
}

BOOL CThroughputGraph::SetLegendWidth(int width) { return SetAndRepaint(m_nLegendWidth, width); }

BOOL CThroughputGraph::SetLabelCount(int count) { return SetAndRepaint(m_nLabelCount, count); }

BOOL CThroughputGraph::SetScale(double fullScale) { return SetAndRepaint(m_dFullScale, fullScale); }

double CThroughputGraph::GetSample(int back) const
{
    if (!m_bValid || back < 0 || back >= m_nRingSize)
        return 0;
    return m_pSamples[((m_nIndex - back) % m_nRingSize + m_nRingSize) % m_nRingSize];
}

void CThroughputGraph::OnPaint()
{
    if (!m_bValid) {
        Default();
        return;
    }
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_bClearBackground) {
        dc.FillSolidRect(&client, ::GetSysColor(COLOR_3DFACE));
        m_bClearBackground = FALSE;
    }

    int legend = std::max(0, std::min(m_nLegendWidth, (int)client.Width()));
    CRect band = client, plot = client;
    if (m_bLegendLeft) {
        band.right = band.left + legend;
        plot.left = band.right;
    } else {
        band.left = band.right - legend;
        plot.right = band.left;
    }
    if (legend > 0) {
        dc.FillSolidRect(&band, RGB(0, 0, 0));
        int labels = std::min(m_nLabelCount, (int)MAX_LABELS);
        if (labels > 0) {
            int rowHeight = client.Height() / labels;
            HGDIOBJ oldFont = dc.SelectObject((HGDIOBJ)GetFont());
            dc.SetTextColor(RGB(255, 255, 255));
            dc.SetBkMode(TRANSPARENT);
            for (int i = 0; i < labels; ++i) {
                CRect row(band.left, client.top + i * rowHeight, band.right, client.top + (i + 1) * rowHeight);
                dc.DrawText(m_strLabels[i], &row, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
            }
            if (oldFont)
                dc.SelectObject(oldFont);
        }
    }
    if (plot.IsRectEmpty())
        return;
    if (m_dFullScale == 0) {
        dc.FillSolidRect(&plot, RGB(0, 0, 0));
        return;
    }

    // Newest sample next to the band, older ones outward; the bottom line stays clear.
    int height = plot.Height() - 2;
    if (height <= 0)
        return;
    int slot = m_nIndex;
    for (int k = 0; k < m_nRingSize; ++k) {
        int x = m_bColumnsFromLeft ? plot.left + 2 * k : plot.right - 2 * (k + 1);
        if (x < plot.left || x + 2 > plot.right)
            break;
        double v = m_pSamples[slot];
        double scaled = height * v / m_dFullScale;
        int h = scaled >= height ? height : scaled > 0 ? (int)scaled : 0;
        dc.FillSolidRect(x, plot.top, 2, height - h, RGB(0, 0, 0));
        dc.FillSolidRect(x, plot.top + height - h, 2, h, m_crBar);
        slot = slot == 0 ? m_nRingSize - 1 : slot - 1;
    }
}
