// Lower panel 3: the security settings of a one-off connection to a network
// chosen on the site survey.  Two tabs, "Auth. \ Encry." and "8021X", the
// profile editor's own tab pages in their connect-settings mode; OK puts the
// choices into the survey's pending settings and has the survey connect.
// Nothing is stored as a profile.
#pragma once

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "pages/AuthSecurityPage.h"
#include "pages/EapSettingsDlg.h"
#include "widgets/SkinButton.h"
#include "resource.h"

class CSiteSurveyPage;
class CTabContainerDlg;

// The panel's tabs by index.
enum { CONNECT_TAB_SECURITY = 0, CONNECT_TAB_8021X = 1, CONNECT_TAB_COUNT = 2 };

class CConnectSettingsDlg : public CChildPage, public CSecurityPageHost {
public:
    explicit CConnectSettingsDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_CONNECT_SETTINGS, pMainDlg) {}
    ~CConnectSettingsDlg() override;

    // The survey page whose join the panel serves (set by the survey).
    CSiteSurveyPage* m_pSurvey = nullptr;

    CAuthSecurityPage* SecurityTab() const { return m_pSecurity; }
    CEapSettingsDlg* Dot1xTab() const { return m_pDot1x; }
    CSkinButton* TabButton(int i) const { return (i >= 0 && i < CONNECT_TAB_COUNT) ? m_pTabButtons[i] : nullptr; }

    // ---- CSecurityPageHost ----
    CWnd* SecurityTabButton() override { return m_pTabButtons[CONNECT_TAB_SECURITY]; }
    CWnd* Dot1xTabButton() override { return m_pTabButtons[CONNECT_TAB_8021X]; }
    int EapMethod() override { return m_pDot1x ? m_pDot1x->m_nOuterMethod : 0; }
    void SelectPeapMethod() override;
    int HostNetworkType() override { return -1; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status);
    void OnOK();
    void OnCancel();

private:
    BOOL CreateTabs();
    void ClickTab(int i);

    CTabContainerDlg* m_pTabs = nullptr;
    CAuthSecurityPage* m_pSecurity = nullptr;
    CEapSettingsDlg* m_pDot1x = nullptr;
    CSkinButton* m_pTabButtons[CONNECT_TAB_COUNT] = {};
    CSkinButton m_btnOk, m_btnCancel;
    CFont m_tabFont;
};
