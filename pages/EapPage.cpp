#include "pages/EapPage.h"


void CEapPage::ShowItem(UINT id, BOOL show)
{
    if (CWnd* w = GetDlgItem(id)) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CEapPage::EnableItem(UINT id, BOOL enable)
{
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable);
}

void CEapPage::ClickOwnTab()
{
    if (m_pOwnTabButton && m_pOwnTabButton->IsWindow()) m_pOwnTabButton->SendMessage(BM_CLICK);
}
