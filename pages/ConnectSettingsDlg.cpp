#include "pages/ConnectSettingsDlg.h"

#include "pagebase/PanelDoor.h"
#include "pages/PageControls.h"
#include "pages/SiteSurveyPage.h"
#include "widgets/TabContainerDlg.h"

BEGIN_MESSAGE_MAP(CConnectSettingsDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_CONNECT_OK, OnOK)
    ON_BN_CLICKED(IDC_CONNECT_CANCEL, OnCancel)
END_MESSAGE_MAP()

CConnectSettingsDlg::~CConnectSettingsDlg()
{
    // The pages and tab buttons are children of the container: they go first.
    delete m_pSecurity;
    delete m_pDot1x;
    for (CSkinButton*& b : m_pTabButtons) {
        delete b;
        b = nullptr;
    }
    delete m_pTabs;
}

BOOL CConnectSettingsDlg::OnInitDialog()
{
    m_btnOk.SubclassDlgItem(IDC_CONNECT_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_CONNECT_CANCEL, this);
    CChildPage::OnInitDialog();
    CreateTabs();
    PlaceSettingsButtons(m_btnOk, m_btnCancel);
    return TRUE;
}

BOOL CConnectSettingsDlg::CreateTabs()
{
    m_pSecurity = new CAuthSecurityPage(m_pMainDlg);
    m_pDot1x = new CEapSettingsDlg(m_pMainDlg);
    m_pDot1x->m_pSecurityPage = m_pSecurity;
    const SettingsTab tabs[CONNECT_TAB_COUNT] = {
        { IDC_CONNECT_TAB_SECURITY, IDS_TAB_AUTH_SECURITY, m_pSecurity },
        { IDC_CONNECT_TAB_8021X, IDS_TAB_8021X, m_pDot1x },
    };
    m_pTabs = CreateSettingsTabs(this, tabs, CONNECT_TAB_COUNT, m_tabFont, m_pTabButtons);
    for (CSkinButton* b : m_pTabButtons)
        if (!b) return FALSE;
    m_pTabButtons[CONNECT_TAB_8021X]->EnableWindow(FALSE);
    m_pSecurity->m_pHost = this;
    return TRUE;
}

void CConnectSettingsDlg::SelectPeapMethod()
{
    if (!m_pDot1x) return;
    m_pDot1x->m_nOuterMethod = CEapSettingsDlg::EAP_PEAP;
    m_pDot1x->ApplyMethodSelection();
}

void CConnectSettingsDlg::ClickTab(int i)
{
    CSkinButton* b = TabButton(i);
    if (b && b->IsWindow()) b->SendMessage(BM_CLICK);
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
    CAuthSecurityPage& sec = *m_pSecurity;
    if (!sec.ValidateWpaNoneKey()) return;
    if (!CollectPendingSecurity(sec, *m_pDot1x, sec.m_bInfrastructure, m_pSurvey->m_pending)) return;
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
    m_pSurvey->ConnectChosenNetwork();
}

void CConnectSettingsDlg::OnCancel()
{
    if (m_pSurvey) m_pSurvey->DropPendingJoin();
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}
