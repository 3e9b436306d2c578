#include "pages/ProfileEditDlg.h"

#include "pagebase/PanelDoor.h"
#include "pages/PageControls.h"
#include "pages/ProfilePage.h"
#include "widgets/MessageBoxDlg.h"

BEGIN_MESSAGE_MAP(CProfileEditDlg, CSecurityTabsPanel)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_EDIT_OK, OnOK)
    ON_BN_CLICKED(IDC_EDIT_CANCEL, OnCancel)
END_MESSAGE_MAP()

CProfileEditDlg::CProfileEditDlg(CConfigMainDlg* pMainDlg) : CSecurityTabsPanel(IDD_PROFILE_EDIT, pMainDlg)
{
    ResetPendingSettings();
}

void CProfileEditDlg::ResetPendingSettings()
{
    m_pending.Reset();
}

BOOL CProfileEditDlg::OnInitDialog()
{
    m_btnOk.SubclassDlgItem(IDC_EDIT_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_EDIT_CANCEL, this);
    CChildPage::OnInitDialog();

    m_pending.ReadCcxControl();

    CreateTabs();
    PlaceSettingsButtons(m_btnOk, m_btnCancel);
    return TRUE;
}

BOOL CProfileEditDlg::CreateTabs()
{
    m_pSystemConfig = new CSystemConfigPage(m_pMainDlg);
    if (!CSecurityTabsPanel::CreateTabs(m_pSystemConfig, IDC_EDIT_TAB_SYSCONFIG, IDS_TAB_SYSTEM_CONFIG)) return FALSE;
    m_pSystemConfig->m_pSecurityPage = m_pSecurity;
    m_pSystemConfig->m_pOwnTabButton = TabButton(EDIT_TAB_SYSTEM_CONFIG);
    m_pSystemConfig->m_pDot1xTabButton = TabButton(EDIT_TAB_8021X);
    return TRUE;
}

void CProfileEditDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    if (!show) return;
    ResetPendingSettings();
    m_pendingShown = m_pending;
    ClickTab(EDIT_TAB_SYSTEM_CONFIG);
}

// ---- The roads that open the editor ----------------------------------------------------

void CProfileEditDlg::PrepareAdd()
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return;
    m_strEditedName.Empty();
    m_pSecurity->m_bInProfileEditor = TRUE;
    m_pSecurity->m_bShowPassword = FALSE;
    m_pSystemConfig->LoadDefaults();
    m_pSecurity->LoadDefaults();
    m_pDot1x->ResetSettings();
}

void CProfileEditDlg::PrepareFromSurvey(const NDIS_WLAN_BSSID_EX* bss, const ChosenNetworkSecurity& chosen)
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return;
    m_strEditedName.Empty();
    m_pSecurity->m_bInProfileEditor = TRUE;
    m_pSecurity->m_bShowPassword = FALSE;
    m_pSystemConfig->LoadFromSurveyEntry(bss);
    m_pSecurity->LoadFromBssPrivacy(chosen);
    m_pDot1x->ResetSettings();
}

void CProfileEditDlg::PrepareEdit(const CString& name)
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return;
    m_pSystemConfig->m_strProfileName = name;
    m_pSecurity->m_bInProfileEditor = TRUE;
    m_pSecurity->m_bShowPassword = FALSE;
    if (!LoadProfileFromRegistry()) {
        // Its key went since the list was read: the tabs start as for a new
        // profile of that name, never with what they held before.
        PrepareAdd();
        m_pSystemConfig->m_strProfileName = name;
        m_pSystemConfig->UpdateData(FALSE);
        return;
    }
    m_strEditedName = name;
    m_pSystemConfig->LoadFromProfile();
    m_pSecurity->LoadFromProfile();
    m_pDot1x->LoadFromProfile(m_dot1xRead);
}

// ---- Reading and writing -------------------------------------------------------------------

namespace {

// The System Config tab's fields as a profile holds them.
void SystemConfigInto(const CSystemConfigPage& sys, ProfileSettings& s)
{
    s.ssid = sys.m_strSsid;
    s.channel = sys.m_strChannel;
    s.networkType = sys.m_nNetworkType;
    s.preamble = sys.m_nPreamble;
    s.acPowerCam = sys.m_nAcPowerCam;
    s.powerSave = sys.m_nPowerSave;
    s.txPower = sys.m_nTxPower;
    s.useRts = sys.m_bUseRts;
    s.rtsThreshold = sys.m_nRtsThreshold;
    s.useFrag = sys.m_bUseFrag;
    s.fragThreshold = sys.m_nFragThreshold;
}

BOOL ProfileKeyExists(const CString& name)
{
    HKEY key = OpenProfileKey(name, KEY_READ);
    if (!key) return FALSE;
    RegCloseKey(key);
    return TRUE;
}

}  // namespace

BOOL CProfileEditDlg::LoadProfileFromRegistry()
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return FALSE;
    CSystemConfigPage& sys = *m_pSystemConfig;
    CAuthSecurityPage& sec = *m_pSecurity;
    // What the tabs hold now is what a missing value leaves.
    ProfileSettings s;
    SystemConfigInto(sys, s);
    s.authChoice = sec.m_nAuthentication;
    s.encryptionChoice = sec.m_nEncryption;
    s.use8021x = sec.m_bUse8021x;
    s.defaultKey = sec.m_nDefaultKey;
    for (int i = 0; i < 4; ++i) {
        s.keyFormat[i] = sec.m_nKeyFormat[i];
        s.wepKey[i] = sec.m_strWepKey[i];
    }
    s.preSharedKey = sec.m_strPreSharedKey;
    s.leapIdentity = sec.m_strLeapIdentity;
    s.leapPassword = sec.m_strLeapPassword;
    s.leapDomain = sec.m_strLeapDomain;
    s.leapCipher = sec.m_nLeapCipher;
    m_pDot1x->StoreSettings(s.dot1x);
    if (!ReadProfile(sys.m_strProfileName, s)) return FALSE;

    sys.m_strSsid = s.ssid.Left(32);
    sys.m_strChannel = s.channel;
    sys.m_nNetworkType = s.networkType;
    sys.m_nPreamble = s.preamble;
    sys.m_nAcPowerCam = s.acPowerCam;
    sys.m_nPowerSave = s.powerSave;
    sys.m_nTxPower = s.txPower;
    sys.m_bUseRts = s.useRts;
    sys.m_nRtsThreshold = sys.m_nRtsEdit = s.rtsThreshold;
    sys.m_bUseFrag = s.useFrag;
    sys.m_nFragThreshold = sys.m_nFragEdit = s.fragThreshold;
    sec.m_nAuthentication = s.authChoice;
    sec.m_nEncryption = s.encryptionChoice;
    sec.m_bUse8021x = s.use8021x;
    sec.m_nDefaultKey = s.defaultKey;
    for (int i = 0; i < 4; ++i) {
        sec.m_nKeyFormat[i] = s.keyFormat[i];
        sec.m_strWepKey[i] = s.wepKey[i].Left(26);
    }
    sec.m_strPreSharedKey = s.preSharedKey.Left(64);
    sec.m_strLeapIdentity = s.leapIdentity;
    sec.m_strLeapPassword = s.leapPassword;
    sec.m_strLeapDomain = s.leapDomain;
    sec.m_nLeapCipher = s.leapCipher;
    m_dot1xRead = s.dot1x;
    sys.UpdateData(FALSE);
    sec.UpdateData(FALSE);
    return TRUE;
}

BOOL CProfileEditDlg::WriteProfileToRegistry()
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return FALSE;
    const CSystemConfigPage& sys = *m_pSystemConfig;
    const CAuthSecurityPage& sec = *m_pSecurity;
    ProfileSettings s;
    SystemConfigInto(sys, s);
    s.authChoice = m_pending.authentication;
    s.encryptionChoice = m_pending.encryption;
    s.use8021x = m_pending.use8021x;
    s.defaultKey = m_pending.defaultKey;
    for (int i = 0; i < 4; ++i) {
        s.keyFormat[i] = sec.m_nKeyFormat[i];
        s.wepKey[i] = sec.m_strWepKey[i];
    }
    s.preSharedKey = m_pending.preSharedKey;
    s.leapIdentity = m_pending.leapIdentity;
    s.leapPassword = m_pending.leapPassword;
    s.leapDomain = m_pending.leapDomain;
    s.leapCipher = m_pending.leapCipher;
    s.dot1x = m_pending.dot1x;
    return WriteProfile(sys.m_strProfileName, s);
}

// ---- OK and Cancel --------------------------------------------------------------------------

void CProfileEditDlg::OnOK()
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return;
    CSystemConfigPage& sys = *m_pSystemConfig;
    CAuthSecurityPage& sec = *m_pSecurity;
    CEapSettingsDlg& eap = *m_pDot1x;
    sys.UpdateData(TRUE);

    if (sys.m_nNetworkType == 0 && sys.m_strSsid.IsEmpty()) {
        ShowMessageDlg(StringFromTable(IDS_ENTER_SSID));
        ClickTab(EDIT_TAB_SYSTEM_CONFIG);
        return;
    }
    // The name is the registry key's: it must be one the store can keep.
    if (!IsUsableProfileName(sys.m_strProfileName)) {
        ShowMessageDlg(StringFromTable(IDS_BAD_PROFILE_NAME));
        ClickTab(EDIT_TAB_SYSTEM_CONFIG);
        return;
    }

    // Add and a new name never write over another profile; the registry's
    // key names ignore letter case, so a name differing only in it is that
    // profile's too.
    if (m_strEditedName.CompareNoCase(sys.m_strProfileName) != 0 && ProfileKeyExists(sys.m_strProfileName)) {
        ShowMessageDlg(StringFromTable(IDS_PROFILE_NAME_TAKEN));
        ClickTab(EDIT_TAB_SYSTEM_CONFIG);
        return;
    }

    // Nothing an earlier OK of this showing copied (and could not save) stays.
    m_pending = m_pendingShown;
    // Without the port the 8021X tab is not read: an edited profile keeps
    // the 802.1X settings it holds rather than losing them to the defaults.
    if (!CollectPendingSecurity(sec, eap, m_strEditedName.IsEmpty() ? nullptr : &m_dot1xRead, m_pending)) return;

    if (!WriteProfileToRegistry()) {
        ShowMessageDlg(StringFromTable(IDS_PROFILE_NOT_SAVED));
        return;
    }

    if (!g_pPanelDoor) return;
    g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
    g_pPanelDoor->ShowProfileList();
}

void CProfileEditDlg::OnCancel()
{
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}
