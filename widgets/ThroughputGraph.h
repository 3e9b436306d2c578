// A scrolling bar chart of samples, one two-pixel column per sample, beside a
// black legend band of labels.
#pragma once

#include "classlib/ClassLib.h"

class CThroughputGraph : public CStatic {
public:
    enum { MAX_LABELS = 10 };

    CThroughputGraph();
    ~CThroughputGraph() override;

    BOOL AddPoint(double value);
    void Clear();
    // FALSE without a sample ring; otherwise stored, and the graph is
    // cleared and painted again at once.
    BOOL SetLegendWidth(int width);
    BOOL SetLabelCount(int count);
    BOOL SetScale(double fullScale);

    // The newest sample and the one `back` samples before it.
    double GetSample(int back) const;
    int GetRingSize() const { return m_nRingSize; }

    COLORREF m_crBar = RGB(0, 255, 0);
    CString m_strLabels[MAX_LABELS];
    BOOL m_bValid = FALSE;             // the sample ring was allocated
    int m_nLabelCount = 0;
    int m_nLegendWidth = 0;
    int m_nIndex = 0;                  // slot of the newest sample
    double m_dFullScale = 1.0;
    double* m_pSamples = nullptr;      // one slot per pixel of the screen's width
    int m_nRingSize = 0;
    BOOL m_bLegendLeft = TRUE;
    BOOL m_bClearBackground = FALSE;   // the next paint first fills the control
    BOOL m_bColumnsFromLeft = TRUE;

protected:
    DECLARE_MESSAGE_MAP()
    void OnPaint();

private:
    void RedrawNow();
    template <class T>
    BOOL SetAndRepaint(T& member, T value);
};
