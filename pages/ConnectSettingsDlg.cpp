#include "pages/ConnectSettingsDlg.h"

#include "pagebase/PanelDoor.h"
#include "pages/PageControls.h"
#include "pages/SiteSurveyPage.h"

BEGIN_MESSAGE_MAP(CConnectSettingsDlg, CSecurityTabsPanel)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_CONNECT_OK, OnOK)
    ON_BN_CLICKED(IDC_CONNECT_CANCEL, OnCancel)
END_MESSAGE_MAP()

BOOL CConnectSettingsDlg::OnInitDialog()
{
    m_btnOk.SubclassDlgItem(IDC_CONNECT_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_CONNECT_CANCEL, this);
    CChildPage::OnInitDialog();
    CreateTabs(nullptr, 0, 0);
    PlaceSettingsButtons(m_btnOk, m_btnCancel);
    return TRUE;
}

void CConnectSettingsDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    if (!show || !m_pSurvey) return;
    m_pSurvey->ResetSecuritySettings();
    ClickTab(CONNECT_TAB_SECURITY);
    m_pSurvey->m_pending.ccxBit0 = 0;
    m_pSurvey->m_pending.ReadCcxControl();
}

void CConnectSettingsDlg::OnOK()
{
    if (!m_pSecurity || !m_pDot1x || !m_pSurvey) return;
    // Another Connect has taken the join this panel was opened for.
    if (!m_pSurvey->JoinPending()) {
        CSiteSurveyPage::SayJoinNotStarted();
        if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
        return;
    }
    CAuthSecurityPage& sec = *m_pSecurity;
    if (!sec.ValidateWpaNoneKey()) return;
    if (!CollectPendingSecurity(sec, *m_pDot1x, nullptr, m_pSurvey->m_pending)) return;
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
    if (!m_pSurvey->ConnectChosenNetwork()) CSiteSurveyPage::SayJoinNotStarted();
}

void CConnectSettingsDlg::OnCancel()
{
    if (m_pSurvey) m_pSurvey->DropPendingJoin();
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}
