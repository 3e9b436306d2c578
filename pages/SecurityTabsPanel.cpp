#include "pages/SecurityTabsPanel.h"

#include "pages/PageControls.h"
#include "widgets/TabContainerDlg.h"
#include "resource.h"

namespace {

// Layout (pixels of the panel's client area).
const int kTabAreaTop = 2, kTabAreaWidth = 794, kTabAreaHeight = 260;
const CRect kPageRect(20, 35, 774, 270);
const int kTabLeft = 20, kTabTop = 10, kTabWidth = 120, kTabHeight = 25;

}  // namespace

CSecurityTabsPanel::~CSecurityTabsPanel()
{
    // The pages and tab buttons are children of the container: they go first.
    delete m_pFirst;
    delete m_pSecurity;
    delete m_pDot1x;
    for (CSkinButton*& b : m_pTabButtons) {
        delete b;
        b = nullptr;
    }
    delete m_pTabs;
}

BOOL CSecurityTabsPanel::CreateTabs(CChildPage* first, UINT firstId, UINT firstText)
{
    m_pFirst = first;
    m_pSecurity = new CAuthSecurityPage(m_pMainDlg);
    m_pDot1x = new CEapSettingsDlg(m_pMainDlg);
    m_pDot1x->m_pSecurityPage = m_pSecurity;
    m_pSecurity->m_pHost = this;

    struct { UINT id; UINT text; CChildPage* page; } tabs[kMaxTabs];
    m_nTabCount = 0;
    if (first) tabs[m_nTabCount++] = { firstId, firstText, first };
    m_nSecurityTab = m_nTabCount;
    // The same button ids in both panels.
    tabs[m_nTabCount++] = { IDC_EDIT_TAB_SECURITY, IDS_TAB_AUTH_SECURITY, m_pSecurity };
    tabs[m_nTabCount++] = { IDC_EDIT_TAB_8021X, IDS_TAB_8021X, m_pDot1x };

    m_pTabs = new CTabContainerDlg(IDD_TAB_CONTAINER, this);
    if (!m_pTabs->Create(IDD_TAB_CONTAINER, this)) return FALSE;
    m_pTabs->SetWindowPos(nullptr, 0, kTabAreaTop, kTabAreaWidth, kTabAreaHeight, SWP_NOZORDER);
    m_pTabs->ShowWindow(SW_SHOW);
    CreateTabFont(m_tabFont, 18);
    BOOL made = TRUE;
    for (int i = 0; i < m_nTabCount && made; ++i) {
        int x = kTabLeft + i * kTabWidth;
        m_pTabButtons[i] = AddSkinnedTab(m_pTabs, tabs[i].page, tabs[i].id, StringFromTable(tabs[i].text),
                                         CRect(x, kTabTop, x + kTabWidth, kTabTop + kTabHeight), &m_tabFont);
        made = m_pTabButtons[i] != nullptr;
    }
    m_pTabs->PlacePages(kPageRect, kTabWidth, kTabHeight, 0);
    if (!made) return FALSE;
    m_pTabButtons[m_nSecurityTab + 1]->EnableWindow(FALSE);
    return TRUE;
}

void CSecurityTabsPanel::SelectPeapMethod()
{
    if (!m_pDot1x) return;
    m_pDot1x->m_nOuterMethod = CEapSettingsDlg::EAP_PEAP;
    m_pDot1x->ApplyMethodSelection();
}

void CSecurityTabsPanel::ClickTab(int i)
{
    CSkinButton* b = TabButton(i);
    if (b && b->IsWindow()) b->SendMessage(BM_CLICK);
}
