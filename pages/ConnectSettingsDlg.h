// Lower panel 3: the security settings of a one-off connection to a network
// chosen on the site survey.  Two tabs, "Auth. \ Encry." and "8021X", the
// profile editor's own tab pages in their connect-settings mode; OK puts the
// choices into the survey's pending settings and has the survey connect.
// Nothing is stored as a profile.
#pragma once

#include "pages/SecurityTabsPanel.h"
#include "resource.h"

class CSiteSurveyPage;

// The panel's tabs by index.
enum { CONNECT_TAB_SECURITY = 0, CONNECT_TAB_8021X = 1 };

class CConnectSettingsDlg : public CSecurityTabsPanel {
public:
    explicit CConnectSettingsDlg(CConfigMainDlg* pMainDlg) : CSecurityTabsPanel(IDD_CONNECT_SETTINGS, pMainDlg) {}

    // The survey page whose join the panel serves (set by the survey).
    CSiteSurveyPage* m_pSurvey = nullptr;

    // ---- CSecurityPageHost ----
    // No System Config tab: the security tab knows the network type itself.
    int HostNetworkType() override { return -1; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status);
    void OnOK();
    void OnCancel();

private:
    CSkinButton m_btnOk, m_btnCancel;
};
