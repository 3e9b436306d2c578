#include "pagebase/ChildPage.h"
#include "pagebase/PanelDoor.h"

BEGIN_MESSAGE_MAP(CChildPage, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

LRESULT CChildPage::PageWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) return 1;
    return CDialog::WindowProc(msg, wParam, lParam);
}

void CChildPage::DrawTopLine(CDC* dc, int width)
{
    dc->FillSolidRect(0, 0, width, 1, ::GetSysColor(COLOR_BTNSHADOW));
    dc->FillSolidRect(0, 1, width, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT));
}

void CChildPage::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    DrawTopLine(&dc, rc.Width());
}

CPanelDoor* g_pPanelDoor = nullptr;
