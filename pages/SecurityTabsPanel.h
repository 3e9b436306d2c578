// The common ground of the two lower panels that host the "Auth. \ Encry."
// and "8021X" tabs: the profile editor (with its "System Config" tab before
// them) and the connect settings.  Both tab pages are the same classes in
// both panels; the panel is what the security tab asks about its host.
#pragma once

#include "pagebase/ChildPage.h"
#include "pages/AuthSecurityPage.h"
#include "pages/EapSettingsDlg.h"
#include "widgets/SkinButton.h"

class CTabContainerDlg;

class CSecurityTabsPanel : public CChildPage, public CSecurityPageHost {
public:
    ~CSecurityTabsPanel() override;

    CAuthSecurityPage* SecurityTab() const { return m_pSecurity; }
    CEapSettingsDlg* Dot1xTab() const { return m_pDot1x; }
    CSkinButton* TabButton(int i) const { return (i >= 0 && i < m_nTabCount) ? m_pTabButtons[i] : nullptr; }

    // ---- CSecurityPageHost ----
    CWnd* SecurityTabButton() override { return TabButton(m_nSecurityTab); }
    CWnd* Dot1xTabButton() override { return TabButton(m_nSecurityTab + 1); }
    int EapMethod() override { return m_pDot1x ? m_pDot1x->m_nOuterMethod : 0; }
    void SelectPeapMethod() override;

protected:
    CSecurityTabsPanel(UINT templateId, CConfigMainDlg* pMainDlg) : CChildPage(templateId, pMainDlg) {}

    // The tab container across the top of the panel with its buttons: an
    // optional page of the host's own first (`first`, may be null), then the
    // security and 802.1X pages, made here; the "8021X" button starts greyed
    // (the security tab enables it).  FALSE when a tab could not be made.
    BOOL CreateTabs(CChildPage* first, UINT firstId, UINT firstText);
    void ClickTab(int i);

    CAuthSecurityPage* m_pSecurity = nullptr;
    CEapSettingsDlg* m_pDot1x = nullptr;

private:
    static constexpr int kMaxTabs = 3;
    CTabContainerDlg* m_pTabs = nullptr;
    CChildPage* m_pFirst = nullptr;
    CSkinButton* m_pTabButtons[kMaxTabs] = {};
    int m_nTabCount = 0;
    int m_nSecurityTab = 0;
    CFont m_tabFont;
};
