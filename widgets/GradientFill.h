// A multi-colour gradient painted as bands of one colour each, shared by the
// gradient progress bar and the report list's in-cell bars.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/Palette.h"

#include <vector>

class CGradientFill {
public:
    // Where band positions are measured from.
    enum Direction { FROM_LEFT = 0, FROM_RIGHT = 1, FROM_TOP = 2, FROM_BOTTOM = 3 };

    CGradientFill();
    virtual ~CGradientFill();

    // Lays the gradient over `rect` (its length times the length factor along
    // the direction) and paints the bands lying between `start` and `end`,
    // counted in pixels from the direction's origin.
    virtual void FillGradient(CDC* dc, const CRect& rect, int start, int end);

    // Replaces the colours; the count - 1 segments get equal weights.
    void SetGradientColors(int count, ...);
    void SetGradientColorArray(int count, const COLORREF* colors);

    std::vector<COLORREF> m_arrColors;
    std::vector<double> m_arrWeights;   // percent of the length, one per segment
    CPalette m_palette;                 // made on demand on palette devices
    BOOL m_bPalette = FALSE;
    int m_nDirection = FROM_LEFT;
    float m_fLengthFactor = 1.0f;
    // The bits per pixel of the device, when the painter already knows them
    // for the paint in progress (0: the DC is asked; asking costs a round
    // trip to the display every time).
    int m_nDeviceBits = 0;

protected:
    virtual void MakeBands(CDC* dc, const CRect& rect, int length, int start, int end);
    virtual void MakeSegmentBands(CDC* dc, const CRect& rect, int length, int start, int end, int budget);
    virtual void MakeColorBands(CDC* dc, const CRect& rect, COLORREF c1, COLORREF c2, int from, int to,
                                int start, int end, int budget);

    // Paints pixels [from, to) of the gradient's axis across the whole rectangle.
    void FillSpan(CDC* dc, const CRect& rect, int from, int to, COLORREF color) const;

private:
    void RealizeBandPalette(CDC* dc, int length, int budget);
    // Paints the bands by copying them from a picture of the whole gradient,
    // made once for the rectangle's size and kept while the gradient stays
    // the same; false where copied pixels could differ from painted ones.
    bool CopyBandsFromStrip(CDC* dc, const CRect& rect, int length, int start, int end);
    bool MakeStrip(CDC* dc, int length, int cross);

    struct Band {
        int from, to;
        COLORREF color;
    };
    std::vector<COLORREF>* m_pCollect = nullptr;   // while the palette is being built
    std::vector<Band>* m_pBands = nullptr;         // while the strip is being made
    std::vector<COLORREF> m_arrPaletteColors;
    int m_nFillBits = 0;   // of the DC, during FillGradient

    // The strip: the gradient over `length` pixels along the direction, as
    // many across, in the order the direction lays it on the screen.
    HDC m_hStripDC = nullptr;
    HBITMAP m_hStrip = nullptr;
    HGDIOBJ m_hStripOld = nullptr;
    int m_nStripLength = 0, m_nStripCross = 0, m_nStripDirection = -1;
    std::vector<COLORREF> m_arrStripColors;
    std::vector<double> m_arrStripWeights;
    void FreeStrip();
};

// Largest difference of the red, green and blue components of two colours.
int ColorDistance(COLORREF a, COLORREF b);
