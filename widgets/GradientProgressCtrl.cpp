#include "widgets/GradientProgressCtrl.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

CString FormatProgressText(const char* format, int value)
{
    CString out;
    if (!format)
        return out;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        if (p[1] == '%') {
            out += '%';
            ++p;
            continue;
        }
        // "%", flags, width, then d, i or u: one integer conversion.
        const char* q = p + 1;
        while (*q && strchr("-+ 0#", *q) && q - p < 6)
            ++q;
        while (*q >= '0' && *q <= '9' && q - p < 12)
            ++q;
        if (*q == 'd' || *q == 'i' || *q == 'u') {
            char conversion[16] = {0};
            size_t n = (size_t)(q - p);
            memcpy(conversion, p, n);
            conversion[n] = 'd';
            char buf[64];
            snprintf(buf, sizeof(buf), conversion, value);
            out += buf;
            p = q;
        } else {
            out += '%';
        }
    }
    return out;
}

// ---- CProgressPainter ----

CProgressPainter::CProgressPainter()
{
    m_crBackground = ::GetSysColor(COLOR_3DFACE);
    m_crTextOverBar = ::GetSysColor(COLOR_CAPTIONTEXT);
    m_crTextOverBackground = ::GetSysColor(COLOR_BTNTEXT);
    BOOL gradientCaptions = FALSE;
    ::SystemParametersInfoA(SPI_GETGRADIENTCAPTIONS, 0, &gradientCaptions, 0);
    COLORREF first = ::GetSysColor(COLOR_ACTIVECAPTION);
    SetGradientColors(2, first, gradientCaptions ? ::GetSysColor(COLOR_GRADIENTACTIVECAPTION) : first);
}

CProgressPainter::~CProgressPainter() = default;

BOOL CProgressPainter::ModifyStyle(DWORD remove, DWORD add)
{
    m_dwStyle = (m_dwStyle & ~remove) | add;
    Redraw();
    return TRUE;
}

void CProgressPainter::ChangePos(int pos, BOOL force)
{
    pos = std::max(m_nLower, std::min(pos, m_nUpper));
    if (force || (pos != m_nPos && CanChangePos(m_nPos, pos))) {
        m_nPos = pos;
        OnPosChanged(pos);
    }
    Redraw();
}

void CProgressPainter::SetRange(int a, int b)
{
    m_nLower = std::min(a, b);
    m_nUpper = std::max(a, b);
    if (GetStyle() & PBS_GRAD_SNAKE) {
        m_nTail = std::max(m_nLower, std::min(m_nTail, m_nUpper));
        m_nPos = std::max(m_nLower, std::min(m_nPos, m_nUpper + m_nSnakeLength));
        OnPosChanged(m_nPos);
        Redraw();
        return;
    }
    ChangePos(m_nPos, TRUE);
}

int CProgressPainter::SetPos(int pos)
{
    int old = m_nPos;
    if (!OnSetPos(pos, FALSE))
        ChangePos(pos, FALSE);
    return old;
}

int CProgressPainter::OffsetPos(int delta)
{
    int old = m_nPos;
    if (!OnSetPos(delta, TRUE))
        ChangePos(m_nPos + delta, FALSE);
    return old;
}

int CProgressPainter::StepIt()
{
    return OffsetPos(m_nStep);
}

int CProgressPainter::SetStep(int step)
{
    int old = m_nStep;
    m_nStep = step;
    return old;
}

void CProgressPainter::SetText(const char* text, DWORD textStyle)
{
    if (text && *text && textStyle) {
        m_strText = text;
        ModifyStyle(PBS_GRAD_TEXT_MODE, textStyle & PBS_GRAD_TEXT_MODE);
    } else {
        m_strText.Empty();
        ModifyStyle(PBS_GRAD_TEXT_MODE, 0);
    }
}

BOOL CProgressPainter::OnSetPos(int value, BOOL relative)
{
    if (!(GetStyle() & PBS_GRAD_SNAKE))
        return FALSE;
    int pos = m_nPos;
    if (relative) {
        if (pos == m_nUpper && pos - m_nTail < m_nSnakeLength)
            pos = m_nTail + m_nSnakeLength;
        pos += std::abs(value);
    } else {
        pos = value;
    }
    int end = m_nUpper + m_nSnakeLength;
    if (pos > end) {
        pos -= end - m_nLower;
        pos = std::min(pos, end);
        ModifyStyle(PBS_GRAD_REVERSE, (GetStyle() & PBS_GRAD_REVERSE) ? 0 : PBS_GRAD_REVERSE);
    }
    pos = std::max(pos, m_nLower);
    m_nTail = std::max(pos - m_nSnakeLength, m_nLower);
    if (pos != m_nPos) {
        m_nPos = pos;
        OnPosChanged(pos);
    }
    Redraw();
    return TRUE;
}

int CProgressPainter::GetTextValue() const
{
    switch (GetStyle() & PBS_GRAD_TEXT_MODE) {
    case PBS_GRAD_PERCENT:
        return Range() > 0 ? (int)((long long)(m_nPos - m_nLower) * 100 / Range()) : 0;
    case PBS_GRAD_POSITION:
        return m_nPos;
    default:
        return 0;
    }
}

CString CProgressPainter::GetText() const
{
    DWORD mode = GetStyle() & PBS_GRAD_TEXT_MODE;
    if (mode == 0)
        return CString();
    if (!m_strText.IsEmpty())
        return FormatProgressText(m_strText, GetTextValue());
    if (mode == PBS_GRAD_PERCENT)
        return FormatProgressText("%d%%", GetTextValue());
    if (mode == PBS_GRAD_POSITION)
        return FormatProgressText("%d", GetTextValue());
    return CString();
}

namespace {

// Pixels [from, to) of a bar measured from the direction's origin.
CRect SpanRect(const CRect& bar, int direction, int from, int to)
{
    CRect r = bar;
    switch (direction) {
    case CGradientFill::FROM_RIGHT:  r.left = bar.right - to;  r.right = bar.right - from;  break;
    case CGradientFill::FROM_TOP:    r.top = bar.top + from;   r.bottom = bar.top + to;     break;
    case CGradientFill::FROM_BOTTOM: r.top = bar.bottom - to;  r.bottom = bar.bottom - from; break;
    default:                         r.left = bar.left + from; r.right = bar.left + to;     break;
    }
    return r;
}

CRect Shifted(const CRect& r, int direction, int by)
{
    CRect s = r;
    switch (direction) {
    case CGradientFill::FROM_RIGHT:  s.OffsetRect(-by, 0); break;
    case CGradientFill::FROM_TOP:    s.OffsetRect(0, by);  break;
    case CGradientFill::FROM_BOTTOM: s.OffsetRect(0, -by); break;
    default:                         s.OffsetRect(by, 0);  break;
    }
    return s;
}

} // namespace

CRect CProgressPainter::BarRect(const CRect& client) const
{
    return CRect(client.left + m_rcMargins.left, client.top + m_rcMargins.top, client.right - m_rcMargins.right,
                 client.bottom - m_rcMargins.bottom);
}

bool CProgressPainter::FilledSpan(const CRect& bar, int* start, int* end) const
{
    DWORD style = GetStyle();
    bool snake = (style & PBS_GRAD_SNAKE) != 0;
    int length = (style & PBS_GRAD_VERTICAL) ? bar.Height() : bar.Width();
    int range = Range();
    // A snake's head runs past the upper bound while its tail follows.
    int top = snake ? m_nUpper + m_nSnakeLength : m_nUpper;
    if (range <= 0 || length <= 0 || m_nPos < m_nLower || m_nPos > top)
        return false;
    *end = (int)((long long)(std::min(m_nPos, m_nUpper) - m_nLower) * length / range);
    *start = snake ? (int)((long long)(std::max(m_nTail, m_nLower) - m_nLower) * length / range) : 0;
    *start = std::min(*start, *end);
    return true;
}

bool CProgressPainter::ShowsGradient(const CRect& client) const
{
    int start = 0, end = 0;
    return !m_pBarBrush && FilledSpan(BarRect(client), &start, &end) && end > start;
}

void CProgressPainter::Paint(CDC* dc, const CRect& client)
{
    if (m_pBackgroundBrush)
        dc->FillRect(&client, *m_pBackgroundBrush);
    else if (m_crBackground != CLR_NONE)
        dc->FillSolidRect(&client, m_crBackground);

    CRect bar = BarRect(client);
    DWORD style = GetStyle();
    bool vertical = (style & PBS_GRAD_VERTICAL) != 0;
    bool reverse = (style & PBS_GRAD_REVERSE) != 0;
    int direction = vertical ? (reverse ? FROM_TOP : FROM_BOTTOM) : (reverse ? FROM_RIGHT : FROM_LEFT);
    int range = Range();

    CRect filled(bar.left, bar.top, bar.left, bar.top);
    int start = 0, end = 0;
    if (FilledSpan(bar, &start, &end)) {
        filled = SpanRect(bar, direction, start, end);
        if (m_pBarBrush) {
            dc->FillRect(&filled, *m_pBarBrush);
        } else if (end > start) {
            m_nDirection = direction;
            CRect gradient = (style & PBS_GRAD_FIXED) ? bar : SpanRect(bar, direction, 0, end);
            int gradientLength = vertical ? gradient.Height() : gradient.Width();
            int shift = (int)((long long)gradientLength * m_nPhase / range);
            int period = (int)(gradientLength * m_fLengthFactor);
            FillGradient(dc, Shifted(gradient, direction, shift), start - shift, end - shift);
            if (shift > 0 && period > 0)
                FillGradient(dc, Shifted(gradient, direction, shift - period), start - shift + period,
                             end - shift + period);
        }
    }
    PaintText(dc, bar, filled);
}

HFONT CProgressPainter::TextFont(CDC* dc) const
{
    if (m_pFont && m_pFont->m_hObject)
        return (HFONT)m_pFont->m_hObject;
    return (HFONT)::GetCurrentObject(dc->m_hDC, OBJ_FONT);
}

void CProgressPainter::PaintText(CDC* dc, const CRect& bar, const CRect& filled)
{
    CString text = GetText();
    if (text.IsEmpty())
        return;
    HFONT font = TextFont(dc);
    HGDIOBJ oldFont = dc->SelectObject(font);
    LOGFONTA lf = {};
    ::GetObjectA(font, sizeof(lf), &lf);
    int escapement = ((lf.lfEscapement % 3600) + 3600) % 3600;
    escapement = ((escapement + 450) / 900 % 4) * 900;
    CSize size = dc->GetTextExtent(text);
    bool sideways = escapement == 900 || escapement == 2700;
    int w = sideways ? size.cy : size.cx;
    int h = sideways ? size.cx : size.cy;

    DWORD style = GetStyle();
    CRect area = (style & PBS_GRAD_TEXT_AT_END) ? filled : bar;
    bool left = (style & PBS_GRAD_TEXT_LEFT) != 0, right = (style & PBS_GRAD_TEXT_RIGHT) != 0;
    bool top = (style & PBS_GRAD_TEXT_TOP) != 0, bottom = (style & PBS_GRAD_TEXT_BOTTOM) != 0;
    int x = left && !right ? area.left : right && !left ? area.right - w : area.left + (area.Width() - w) / 2;
    int y = top && !bottom ? area.top : bottom && !top ? area.bottom - h : area.top + (area.Height() - h) / 2;
    CRect box(x, y, x + w, y + h);

    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(m_crTextOverBar);
    if (!filled.IsRectEmpty())
        DrawTextClipped(dc, box, text, filled);
    // The rest of the bar: before and after the filled part.
    dc->SetTextColor(m_crTextOverBackground);
    if (filled.IsRectEmpty()) {
        DrawTextClipped(dc, box, text, bar);
    } else if (filled.Width() == bar.Width()) {
        DrawTextClipped(dc, box, text, CRect(bar.left, bar.top, bar.right, filled.top));
        DrawTextClipped(dc, box, text, CRect(bar.left, filled.bottom, bar.right, bar.bottom));
    } else {
        DrawTextClipped(dc, box, text, CRect(bar.left, bar.top, filled.left, bar.bottom));
        DrawTextClipped(dc, box, text, CRect(filled.right, bar.top, bar.right, bar.bottom));
    }
    dc->SelectObject(oldFont);
}

void CProgressPainter::DrawTextClipped(CDC* dc, const CRect& rect, const CString& text, const CRect& clip)
{
    if (clip.IsRectEmpty())
        return;
    LOGFONTA lf = {};
    ::GetObjectA(::GetCurrentObject(dc->m_hDC, OBJ_FONT), sizeof(lf), &lf);
    int escapement = ((((lf.lfEscapement % 3600) + 3600) % 3600 + 450) / 900 % 4) * 900;
    POINT at = { rect.left, rect.top };
    switch (escapement) {
    case 900:  at = { rect.left, rect.bottom };  break;
    case 1800: at = { rect.right, rect.bottom }; break;
    case 2700: at = { rect.right, rect.top };    break;
    default: break;
    }
    int saved = dc->SaveDC();
    dc->IntersectClipRect(&clip);
    ::SetTextAlign(dc->m_hDC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    dc->TextOut(at.x, at.y, text);
    dc->RestoreDC(saved);
}

// ---- CGradientProgressCtrl ----

#define PROGRESS_MESSAGE(m) KQ_MSG_ENTRY(m, 0, 0, 0, return pThis->OnProgressMessage(m, wParam, lParam);)

BEGIN_MESSAGE_MAP(CGradientProgressCtrl, CProgressCtrl)
    ON_WM_PAINT()
    ON_WM_TIMER()
    KQ_MSG_ENTRY(WM_ERASEBKGND, 0, 0, 0, return TRUE;)
    KQ_MSG_ENTRY(WM_DESTROY, 0, 0, 0, pThis->m_toolTip.DestroyWindow(); return pThis->Default();)
    PROGRESS_MESSAGE(PBM_SETBARCOLOR)
    PROGRESS_MESSAGE(PBM_SETBKCOLOR)
    PROGRESS_MESSAGE(PBM_SETPOS)
    PROGRESS_MESSAGE(PBM_GETPOS)
    PROGRESS_MESSAGE(PBM_DELTAPOS)
    PROGRESS_MESSAGE(PBM_STEPIT)
    PROGRESS_MESSAGE(PBM_SETSTEP)
    PROGRESS_MESSAGE(PBM_SETRANGE)
    PROGRESS_MESSAGE(PBM_SETRANGE32)
    PROGRESS_MESSAGE(PBM_GETRANGE)
    PROGRESS_MESSAGE(WM_SETTEXT)
    PROGRESS_MESSAGE(WM_GETTEXT)
    PROGRESS_MESSAGE(WM_GETTEXTLENGTH)
    PROGRESS_MESSAGE(WM_SETFONT)
    PROGRESS_MESSAGE(WM_GETFONT)
END_MESSAGE_MAP()

CGradientProgressCtrl::CGradientProgressCtrl() = default;

CGradientProgressCtrl::~CGradientProgressCtrl()
{
    FreeMemory();
    m_toolTip.DestroyWindow();
    m_fontSet.Detach();
    m_pFont = nullptr;
}

BOOL CGradientProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!CWnd::CreateEx(0, PROGRESS_CLASSA, "", style | WS_CHILD, rect, parent, id))
        return FALSE;
    m_strToolTip = GetText();
    return TRUE;
}

void CGradientProgressCtrl::PreSubclassWindow()
{
    CProgressCtrl::PreSubclassWindow();
    m_strToolTip = GetText();
}

BOOL CGradientProgressCtrl::ModifyStyle(DWORD remove, DWORD add)
{
    CWnd::ModifyStyle(remove, add);
    Redraw();
    return TRUE;
}

void CGradientProgressCtrl::Redraw()
{
    if (m_strToolTip != GetText())
        UpdateToolTip();
    if (IsWindow())
        Invalidate(FALSE);
}

void CGradientProgressCtrl::OnPosChanged(int)
{
    UpdateToolTip();
}

// The tooltip window is made when the mouse first moves over the bar: until
// then nobody can see it, and a panel of several bars opens without a
// top-level window for each.
void CGradientProgressCtrl::CreateToolTip()
{
    if (m_toolTip.m_hWnd || !IsWindow() || !m_toolTip.Create(this, TTS_ALWAYSTIP))
        return;
    m_strToolTip = GetText();
    m_toolTip.AddTool(this, m_strToolTip, nullptr, 0);
}

void CGradientProgressCtrl::UpdateToolTip()
{
    m_strToolTip = GetText();
    if (m_toolTip.m_hWnd)
        m_toolTip.UpdateTipText(m_strToolTip, this, (UINT_PTR)m_hWnd);
}

BOOL CGradientProgressCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_MOUSEMOVE && msg->hwnd == m_hWnd) {
        CreateToolTip();
        if (m_toolTip.m_hWnd)
            m_toolTip.RelayEvent(msg);
    }
    return CProgressCtrl::PreTranslateMessage(msg);
}

LRESULT CGradientProgressCtrl::OnProgressMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case PBM_SETBARCOLOR:
        if (wParam)
            SetGradientColors(2, (COLORREF)lParam, (COLORREF)wParam);
        else
            SetGradientColors(1, (COLORREF)lParam);
        Redraw();
        return CLR_DEFAULT;
    case PBM_SETBKCOLOR:
        m_crBackground = (COLORREF)lParam;
        Redraw();
        return CLR_DEFAULT;
    case PBM_SETPOS:
        return SetPos((int)wParam);
    case PBM_GETPOS:
        return m_nPos;
    case PBM_DELTAPOS:
        return OffsetPos((int)wParam);
    case PBM_STEPIT:
        return StepIt();
    case PBM_SETSTEP:
        return SetStep((int)wParam);
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        LRESULT old = MAKELONG(m_nLower, m_nUpper);
        if (msg == PBM_SETRANGE)
            SetRange(LOWORD(lParam), HIWORD(lParam));
        else
            SetRange((int)wParam, (int)lParam);
        return old;
    }
    case PBM_GETRANGE:
        if (lParam) {
            ((PBRANGE*)lParam)->iLow = m_nLower;
            ((PBRANGE*)lParam)->iHigh = m_nUpper;
        }
        return wParam ? m_nLower : m_nUpper;
    case WM_SETTEXT:
        m_strText = lParam ? (const char*)lParam : "";
        UpdateToolTip();
        Redraw();
        return TRUE;
    case WM_GETTEXT: {
        if (!lParam || wParam == 0)
            return 0;
        CString text = GetText();
        lstrcpynA((char*)lParam, text, (int)std::min<WPARAM>(wParam, 0x7FFFFFFF));
        return (LRESULT)strlen((char*)lParam);
    }
    case WM_GETTEXTLENGTH:
        return GetText().GetLength();
    case WM_SETFONT:
        m_fontSet.Detach();
        m_fontSet.m_hObject = (HGDIOBJ)wParam;
        m_pFont = wParam ? &m_fontSet : nullptr;
        if (lParam)
            Redraw();
        return 0;
    case WM_GETFONT:
        return m_pFont ? (LRESULT)m_pFont->m_hObject : 0;
    default:
        return 0;
    }
}

void CGradientProgressCtrl::OnTimer(UINT_PTR id)
{
    if (id == PBT_GRAD_STEP) {
        StepIt();
    } else if (id == PBT_GRAD_ANIMATE) {
        int period = (int)(Range() * m_fLengthFactor);
        if (period > 0)
            m_nPhase = ((m_nPhase + m_nAnimStep) % period + period) % period;
        // The phase only moves the gradient: a bar that shows none would be
        // painted again exactly as it is.
        CRect client;
        GetClientRect(&client);
        if (ShowsGradient(client))
            Redraw();
    } else {
        Default();
    }
}

void CGradientProgressCtrl::FreeMemory()
{
    if (m_memDC.m_hDC && m_hOldMemBitmap)
        m_memDC.SelectObject(m_hOldMemBitmap);
    m_hOldMemBitmap = nullptr;
    m_memDC.DeleteDC();
    m_memBitmap.DeleteObject();
    m_memSize = CSize(0, 0);
    m_nMemBits = 0;
}

void CGradientProgressCtrl::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    if (!m_memDC.m_hDC || m_memSize.cx != client.Width() || m_memSize.cy != client.Height()) {
        FreeMemory();
        if (!m_memDC.CreateCompatibleDC(&dc) || !m_memBitmap.CreateCompatibleBitmap(dc, client.Width(), client.Height())) {
            FreeMemory();
            return;
        }
        m_hOldMemBitmap = m_memDC.SelectObject(m_memBitmap);
        m_memSize = client.Size();
        m_nMemBits = ::GetDeviceCaps(m_memDC, BITSPIXEL) * ::GetDeviceCaps(m_memDC, PLANES);
    }
    CDC& mem = m_memDC;
    HGDIOBJ oldFont = mem.SelectObject(::GetCurrentObject(dc, OBJ_FONT));
    if (m_crBackground == CLR_NONE && !m_pBackgroundBrush)
        mem.BitBlt(0, 0, client.Width(), client.Height(), &dc, 0, 0, SRCCOPY);
    m_nDeviceBits = m_nMemBits;
    Paint(&mem, client);
    m_nDeviceBits = 0;
    HPALETTE oldPalette = nullptr;
    if (m_palette.m_hObject && (::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE)) {
        oldPalette = ::SelectPalette(dc, m_palette, FALSE);
        ::RealizePalette(dc);
    }
    if (m_rgnClip.m_hObject)
        dc.SelectClipRgn(m_rgnClip);
    dc.BitBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, SRCCOPY);
    if (oldPalette)
        ::SelectPalette(dc, oldPalette, FALSE);
    mem.SelectObject(oldFont);
}
