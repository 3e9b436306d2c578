// A progress bar that paints itself: a multi-colour gradient, a text that can
// show the percentage, the position or a caller's format and changes colour
// where it crosses the bar's end, and a snake style (a moving segment).
#pragma once

#include "classlib/ClassLib.h"
#include "widgets/GradientFill.h"

// Style bits: the painter's own style word, or the control's window style.
#define PBS_GRAD_VERTICAL      0x0004   // as PBS_VERTICAL
#define PBS_GRAD_TEXT_LEFT     0x0010
#define PBS_GRAD_TEXT_RIGHT    0x0020
#define PBS_GRAD_TEXT_TOP      0x0040
#define PBS_GRAD_TEXT_BOTTOM   0x0080
#define PBS_GRAD_TEXT_ALIGN    0x00F0
#define PBS_GRAD_PERCENT       0x0100   // text shows the percentage
#define PBS_GRAD_POSITION      0x0200   // text shows the position
#define PBS_GRAD_CALLER_TEXT   0x0300   // text is the caller's
#define PBS_GRAD_TEXT_MODE     0x0300
#define PBS_GRAD_TEXT_AT_END   0x1000   // text aligned to the bar's end
#define PBS_GRAD_FIXED         0x2000   // gradient over the whole control
#define PBS_GRAD_REVERSE       0x4000   // fills from the right (or the top)
#define PBS_GRAD_SNAKE         0x8000

// Timers the control handles.
#define PBT_GRAD_STEP          11
#define PBT_GRAD_ANIMATE       12

// Formats a value into a text used as a format: "%d" (with flags and width)
// and "%%" are honoured, every other "%" stands as itself.
CString FormatProgressText(const char* format, int value);

class CProgressPainter : public CGradientFill {
public:
    CProgressPainter();
    ~CProgressPainter() override;

    virtual DWORD GetStyle() const { return m_dwStyle; }
    virtual BOOL ModifyStyle(DWORD remove, DWORD add);
    virtual void PaintText(CDC* dc, const CRect& bar, const CRect& filled);
    virtual void DrawTextClipped(CDC* dc, const CRect& rect, const CString& text, const CRect& clip);
    virtual BOOL OnSetPos(int value, BOOL relative);
    virtual CString GetText() const;
    virtual int GetTextValue() const;
    virtual BOOL CanChangePos(int oldPos, int newPos) { return TRUE; }
    virtual void OnPosChanged(int newPos) {}

    void SetRange(int a, int b);
    void GetRange(int& lower, int& upper) const { lower = m_nLower; upper = m_nUpper; }
    int SetPos(int pos);
    int GetPos() const { return m_nPos; }
    int OffsetPos(int delta);
    int StepIt();
    int SetStep(int step);
    void SetText(const char* text, DWORD textStyle);
    // Paints the whole control into `dc` (client rectangle `client`).
    void Paint(CDC* dc, const CRect& client);
    // The painting shows some of the gradient (so the animation phase shows).
    bool ShowsGradient(const CRect& client) const;

    CBrush* m_pBarBrush = nullptr;            // set: a solid bar instead of the gradient
    COLORREF m_crBackground;                  // CLR_NONE: leave the background unpainted
    CBrush* m_pBackgroundBrush = nullptr;
    COLORREF m_crTextOverBar;
    COLORREF m_crTextOverBackground;
    int m_nTail = 0;                          // snake
    int m_nSnakeLength = 40;
    int m_nStep = 10;
    int m_nLower = 0;
    int m_nUpper = 100;
    CRect m_rcMargins;                        // left, top, right, bottom
    CString m_strText;
    CFont* m_pFont = nullptr;
    DWORD m_dwStyle = PBS_GRAD_TEXT_ALIGN;
    CRgn m_rgnClip;                           // set: painting is clipped to it
    int m_nPos = 0;
    int m_nPhase = 0;

protected:
    // Stores a new position (clamped, asked, forced) and repaints.
    void ChangePos(int pos, BOOL force);
    virtual void Redraw() {}
    int Range() const { return m_nUpper - m_nLower; }
    CRect BarRect(const CRect& client) const;
    // The part the position fills, in pixels from the start side; false when
    // the position lies outside the bar.
    bool FilledSpan(const CRect& bar, int* start, int* end) const;
    HFONT TextFont(CDC* dc) const;
};

class CGradientProgressCtrl : public CProgressCtrl, public CProgressPainter {
public:
    CGradientProgressCtrl();
    ~CGradientProgressCtrl() override;

    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    DWORD GetStyle() const override { return CWnd::GetStyle(); }
    BOOL ModifyStyle(DWORD remove, DWORD add) override;
    void OnPosChanged(int newPos) override;

    using CProgressPainter::SetPos;
    using CProgressPainter::GetPos;
    using CProgressPainter::SetRange;

    BOOL PreTranslateMessage(MSG* msg) override;
    void PreSubclassWindow() override;

    int m_nAnimStep = 0;                      // phase advance per timer 12 event
    CToolTipCtrl m_toolTip;                   // shows the displayed text
    CString m_strToolTip;

protected:
    DECLARE_MESSAGE_MAP()
    LRESULT OnProgressMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void Redraw() override;

private:
    void CreateToolTip();
    void UpdateToolTip();
    CFont m_fontSet;                          // wraps the font given by WM_SETFONT; not owned
    // The picture the bar is painted into before it goes to the screen, kept
    // from paint to paint while the bar keeps its size (the bar repaints
    // every 55 ms while it scrolls).
    CDC m_memDC;
    CBitmap m_memBitmap;
    HGDIOBJ m_hOldMemBitmap = nullptr;
    CSize m_memSize;
    int m_nMemBits = 0;
    void FreeMemory();
};
