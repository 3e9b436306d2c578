#include "widgets/InfoWnd.h"

const char* const CInfoWnd::kClassName = "Pelk_InfoWnd";

namespace {
// Shared by every popup of the process: the class's background brush.
HBRUSH g_hInfoBrush = nullptr;
}

BEGIN_MESSAGE_MAP(CInfoWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CInfoWnd::CInfoWnd(COLORREF background)
{
    if (!g_hInfoBrush)
        g_hInfoBrush = ::CreateSolidBrush(background);
    WNDCLASSA wc = {};
    if (::GetClassInfoA(AfxGetInstanceHandle(), kClassName, &wc))
        return;
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = g_hInfoBrush;
    wc.lpszClassName = kClassName;
    if (!::RegisterClassA(&wc))
        AfxThrowResourceException();
}

BOOL CInfoWnd::Create(CWnd* owner)
{
    m_pOwner = owner;
    CRect r(CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    return CreateEx(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP | WS_BORDER, r, owner, 0);
}

void CInfoWnd::ShowTip(CWnd* anchor, LPCTSTR text)
{
    if (!IsWindow() || IsWindowVisible() || !::GetFocus() || !anchor || !anchor->GetSafeHwnd())
        return;
    m_strText = " ";
    m_strText += text ? text : "";
    m_strText += " ";

    CClientDC dc(this);
    HFONT font = m_pOwner ? m_pOwner->GetFont() : nullptr;
    HGDIOBJ oldFont = font ? dc.SelectObject(font) : nullptr;
    CSize extent = dc.GetTextExtent(m_strText);
    TEXTMETRICA tm = {};
    dc.GetTextMetrics(&tm);
    if (oldFont)
        dc.SelectObject(oldFont);
    int w = extent.cx + tm.tmOverhang + 2;
    int h = extent.cy + tm.tmDescent + 2;

    CRect a;
    anchor->GetWindowRect(&a);
    int x, y;
    if (m_nPlacement & PLACE_BELOW) {
        x = a.left;
        y = a.bottom + m_nOffsetY;
    } else if (m_nPlacement & PLACE_RIGHT) {
        x = a.right + m_nOffsetX;
        y = a.top;
    } else if (m_nPlacement & PLACE_LEFT) {
        x = a.left - m_nOffsetX - w;
        y = a.top;
    } else {
        x = a.left;
        y = a.top - m_nOffsetY - h;
    }
    m_rcTip.SetRect(x, y, x + w, y + h);
    ::SetWindowPos(m_hWnd, HWND_TOP, x - 3, y - 1, w + 3, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_nTimerId = SetTimer(HIDE_TIMER, HIDE_AFTER_MS);
}

void CInfoWnd::Hide()
{
    if (IsWindow())
        ShowWindow(SW_HIDE);
}

void CInfoWnd::OnPaint()
{
    CPaintDC dc(this);
    HFONT font = m_pOwner ? m_pOwner->GetFont() : nullptr;
    HGDIOBJ oldFont = font ? dc.SelectObject(font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    CRect r = m_rcTip;
    ScreenToClient(&r);
    dc.DrawText(m_strText, &r, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    if (oldFont)
        dc.SelectObject(oldFont);
}

void CInfoWnd::OnTimer(UINT_PTR id)
{
    KillTimer(id);
    m_nTimerId = 0;
    Hide();
}

void CInfoWnd::OnLButtonUp(UINT, CPoint)
{
    Hide();
}
