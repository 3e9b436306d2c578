#include "pages/EapPage.h"

#include "resource.h"

void CEapPage::StyleCheck(COwnerDrawButton& b, BOOL radio)
{
    b.SetIcon(radio ? IDI_OPTION_ON : IDI_CHECK_ON, radio ? IDI_OPTION_OFF : IDI_CHECK_OFF);
    b.DrawBorder(FALSE);
}

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
