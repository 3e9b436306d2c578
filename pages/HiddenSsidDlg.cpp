#include "pages/HiddenSsidDlg.h"

#include <algorithm>
#include <cstring>

#include "pagebase/PanelDoor.h"
#include "pages/SiteSurveyPage.h"
#include "widgets/MessageBoxDlg.h"

namespace {

// Layout (pixels of the panel's client area).
const int kRowTop = 40, kLabelWidth = 180, kEditLeft = 200, kEditWidth = 300, kRowHeight = 24;
const int kButtonTop = 100, kButtonWidth = 100, kButtonHeight = 30;

}  // namespace

BEGIN_MESSAGE_MAP(CHiddenSsidDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_HIDDEN_OK, OnOK)
    ON_BN_CLICKED(IDC_HIDDEN_CANCEL, OnCancel)
END_MESSAGE_MAP()

void CHiddenSsidDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_HIDDEN_SSID_EDIT, m_strSsid);
    DDV_MaxChars(pDX, m_strSsid, 32);
}

BOOL CHiddenSsidDlg::OnInitDialog()
{
    m_editSsid.SubclassDlgItem(IDC_HIDDEN_SSID_EDIT, this);
    m_btnOk.SubclassDlgItem(IDC_HIDDEN_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_HIDDEN_CANCEL, this);
    CChildPage::OnInitDialog();

    PlaceControl(GetDlgItem(IDC_HIDDEN_LABEL), 20, kRowTop + 3, kLabelWidth, 18, IDS_HIDDEN_ENTER_SSID);
    PlaceControl(&m_editSsid, kEditLeft, kRowTop, kEditWidth, kRowHeight, 0);
    m_editSsid.SetWindowText("");
    PlaceControl(&m_btnOk, kEditLeft + kEditWidth - 2 * kButtonWidth - 10, kButtonTop, kButtonWidth, kButtonHeight,
                 IDS_OK);
    PlaceControl(&m_btnCancel, kEditLeft + kEditWidth - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight,
                 IDS_CANCEL);
    for (CSkinButton* b : { &m_btnOk, &m_btnCancel }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    return TRUE;
}

void CHiddenSsidDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    if (!show) return;
    m_strSsid.Empty();
    UpdateData(FALSE);
    m_editSsid.SetFocus();
}

void CHiddenSsidDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    m_strSsid.TrimRight();
    m_strSsid.TrimLeft();
    if (!m_pSurvey) return;
    // Another Connect has taken the join this panel was opened for.
    if (!m_pSurvey->JoinPending()) {
        CSiteSurveyPage::SayJoinNotStarted();
        if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
        return;
    }

    NDIS_802_11_SSID& ssid = m_pSurvey->m_pendingSsid;
    ssid = NDIS_802_11_SSID();
    ssid.SsidLength = (ULONG)std::min(m_strSsid.GetLength(), (int)sizeof(ssid.Ssid));
    std::memcpy(ssid.Ssid, m_strSsid.GetString(), ssid.SsidLength);

    if (m_pSurvey->m_bNeedsSettings != 1) {
        BOOL started = m_pSurvey->ConnectChosenNetwork();
        if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
        if (!started) CSiteSurveyPage::SayJoinNotStarted();
    } else {
        m_pSurvey->ShowConnectSettingsPanel();
    }
}

void CHiddenSsidDlg::OnCancel()
{
    if (m_pSurvey) m_pSurvey->DropPendingJoin();
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}
