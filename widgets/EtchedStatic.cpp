#include "widgets/EtchedStatic.h"

BEGIN_MESSAGE_MAP(CEtchedStatic, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CEtchedStatic::OnPaint()
{
    CPaintDC dc(this);
    CRect window;
    GetWindowRect(&window);
    int w = window.Width(), h = window.Height();
    COLORREF shadow = ::GetSysColor(COLOR_3DSHADOW), light = ::GetSysColor(COLOR_3DHILIGHT);
    if (h > w) {
        dc.Draw3dRect(w / 2, 0, 2, h, shadow, light);
        return;
    }
    dc.Draw3dRect(0, h / 2, w, 2, shadow, light);

    CString text = GetWindowText();
    if (text.IsEmpty())
        return;
    DWORD style = GetStyle();
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if ((style & SS_TYPEMASK) == SS_CENTER) {
        text = "  " + text + "  ";
        format |= DT_CENTER;
    } else if ((style & SS_TYPEMASK) == SS_RIGHT) {
        text = "  " + text;
        format |= DT_RIGHT;
    } else {
        text += "  ";
    }
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    HGDIOBJ oldFont = dc.SelectObject((HGDIOBJ)GetFont());
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(::GetSysColor(COLOR_3DFACE));
    dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    CRect r(0, 0, w, h);
    dc.DrawText(text, &r, format);
    if (oldFont)
        dc.SelectObject(oldFont);
}
