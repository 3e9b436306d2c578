#include "pages/ProfileEditDlg.h"

#include <cstring>

#include "auth/SupplicantBinding.h"
#include "core/HexUtil.h"
#include "core/RegistryStore.h"
#include "pagebase/PanelDoor.h"
#include "pages/PageControls.h"
#include "pages/ProfilePage.h"
#include "widgets/MessageBoxDlg.h"
#include "widgets/TabContainerDlg.h"

namespace {

// Layout (pixels of the panel's client area).
const int kTabAreaTop = 2, kTabAreaWidth = 794, kTabAreaHeight = 260;
const CRect kPageRect(20, 35, 774, 270);
const int kTabLeft = 20, kTabTop = 10, kTabWidth = 120, kTabHeight = 25;
const int kButtonTop = 268, kButtonWidth = 100, kButtonHeight = 30;

bool IsWpaChoice(int a) { return a >= AUTH_CHOICE_WPA && a <= AUTH_CHOICE_WPA_NONE; }

}  // namespace

BEGIN_MESSAGE_MAP(CProfileEditDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_EDIT_OK, OnOK)
    ON_BN_CLICKED(IDC_EDIT_CANCEL, OnCancel)
END_MESSAGE_MAP()

CProfileEditDlg::CProfileEditDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_PROFILE_EDIT, pMainDlg)
{
    ResetPendingSettings();
}

CProfileEditDlg::~CProfileEditDlg()
{
    // The pages and tab buttons are children of the container: they go first.
    delete m_pSystemConfig;
    delete m_pSecurity;
    delete m_pDot1x;
    for (CSkinButton*& b : m_pTabButtons) {
        delete b;
        b = nullptr;
    }
    delete m_pTabs;
}

void CProfileEditDlg::ResetPendingSettings()
{
    m_nAuthentication = 0;
    m_nEncryption = 0;
    m_nUse8021x = 0;
    m_nDefaultKey = 0;
    for (int& n : m_nKeyLength) n = 0;
    m_strPreSharedKey.Empty();
    std::memset(m_keyBytes, 0, sizeof(m_keyBytes));
    // The 802.1X defaults, all but the domain.
    CString domain = m_dot1x.domainName;
    m_dot1x = Dot1xSettings();
    m_dot1x.domainName = domain;
    m_strLeapIdentity.Empty();
    m_strLeapPassword.Empty();
    m_strLeapDomain.Empty();
    m_nLeapCipher = 0;
    m_nCcxBit0 = 0;
    m_nCcxBit1 = 0;
}

BOOL CProfileEditDlg::OnInitDialog()
{
    m_btnOk.SubclassDlgItem(IDC_EDIT_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_EDIT_CANCEL, this);
    CChildPage::OnInitDialog();

    DWORD ccx = 0;
    if (ReadAdapterDword(REGSTR_CCX2_CONTROL, &ccx)) {
        m_nCcxBit0 = (ccx & 1) ? 1 : 0;
        m_nCcxBit1 = (ccx & 2) ? 1 : 0;
    }

    m_pTabs = new CTabContainerDlg(IDD_TAB_CONTAINER, this);
    if (!m_pTabs->Create(IDD_TAB_CONTAINER, this)) return TRUE;
    m_pTabs->SetWindowPos(nullptr, 0, kTabAreaTop, kTabAreaWidth, kTabAreaHeight, SWP_NOZORDER);
    m_pTabs->ShowWindow(SW_SHOW);
    CreateTabs();
    m_pTabs->PlacePages(kPageRect, kTabWidth, kTabHeight, EDIT_TAB_SYSTEM_CONFIG);

    PlaceControl(&m_btnOk, kTabAreaWidth - 2 * kButtonWidth - 40, kButtonTop, kButtonWidth, kButtonHeight, IDS_OK);
    PlaceControl(&m_btnCancel, kTabAreaWidth - kButtonWidth - 20, kButtonTop, kButtonWidth, kButtonHeight,
                 IDS_CANCEL);
    for (CSkinButton* b : { &m_btnOk, &m_btnCancel }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    return TRUE;
}

BOOL CProfileEditDlg::CreateTabs()
{
    CreateTabFont(m_tabFont, 18);

    m_pSystemConfig = new CSystemConfigPage(m_pMainDlg);
    m_pSecurity = new CAuthSecurityPage(m_pMainDlg);
    m_pDot1x = new CEapSettingsDlg(m_pMainDlg);
    m_pDot1x->m_pSecurityPage = m_pSecurity;
    struct { UINT id; UINT text; CChildPage* page; } const tabs[EDIT_TAB_COUNT] = {
        { IDC_EDIT_TAB_SYSCONFIG, IDS_TAB_SYSTEM_CONFIG, m_pSystemConfig },
        { IDC_EDIT_TAB_SECURITY, IDS_TAB_AUTH_SECURITY, m_pSecurity },
        { IDC_EDIT_TAB_8021X, IDS_TAB_8021X, m_pDot1x },
    };
    for (int i = 0; i < EDIT_TAB_COUNT; ++i) {
        int x = kTabLeft + i * kTabWidth;
        m_pTabButtons[i] = AddSkinnedTab(m_pTabs, tabs[i].page, tabs[i].id, StringFromTable(tabs[i].text),
                                         CRect(x, kTabTop, x + kTabWidth, kTabTop + kTabHeight), &m_tabFont);
        if (!m_pTabButtons[i]) return FALSE;
    }
    m_pTabButtons[EDIT_TAB_8021X]->EnableWindow(FALSE);

    m_pSystemConfig->m_pSecurityPage = m_pSecurity;
    m_pSystemConfig->m_pOwnTabButton = m_pTabButtons[EDIT_TAB_SYSTEM_CONFIG];
    m_pSystemConfig->m_pDot1xTabButton = m_pTabButtons[EDIT_TAB_8021X];
    m_pSecurity->m_pHost = this;
    return TRUE;
}

void CProfileEditDlg::SelectPeapMethod()
{
    if (!m_pDot1x) return;
    m_pDot1x->m_nOuterMethod = CEapSettingsDlg::EAP_PEAP;
    m_pDot1x->ApplyMethodSelection();
}

void CProfileEditDlg::ClickTab(int i)
{
    CSkinButton* b = TabButton(i);
    if (b && b->IsWindow()) b->SendMessage(BM_CLICK);
}

void CProfileEditDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    if (!show) return;
    ResetPendingSettings();
    ClickTab(EDIT_TAB_SYSTEM_CONFIG);
}

// ---- The roads that open the editor ----------------------------------------------------

void CProfileEditDlg::PrepareAdd()
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return;
    m_pSecurity->m_bInProfileEditor = TRUE;
    m_pSecurity->m_bShowPassword = FALSE;
    m_pSystemConfig->LoadDefaults();
    m_pSecurity->LoadDefaults();
    m_pDot1x->ResetSettings();
}

void CProfileEditDlg::PrepareEdit(const CString& name)
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return;
    m_pSystemConfig->m_strProfileName = name;
    m_pSecurity->m_bInProfileEditor = TRUE;
    m_pSecurity->m_bShowPassword = FALSE;
    LoadProfileFromRegistry();
    m_pSystemConfig->LoadFromProfile();
    m_pSecurity->LoadFromProfile();
    m_pDot1x->LoadFromProfile(m_dot1xRead);
}

// ---- Reading and writing -------------------------------------------------------------------

BOOL CProfileEditDlg::LoadProfileFromRegistry()
{
    if (!m_pSystemConfig || !m_pSecurity || !m_pDot1x) return FALSE;
    CSystemConfigPage& sys = *m_pSystemConfig;
    CAuthSecurityPage& sec = *m_pSecurity;
    // What the tabs hold now is what a missing value leaves.
    ProfileSettings s;
    s.ssid = sys.m_strSsid;
    s.channel = sys.m_strChannel;
    s.networkType = sys.m_nNetworkType;
    s.preamble = sys.m_nPreamble;
    s.acPowerCam = sys.m_nAcPowerCam;
    s.powerSave = sys.m_nPowerSave;
    s.txPower = sys.m_nTxPower;
    s.useRts = sys.m_bUseRts;
    s.useFrag = sys.m_bUseFrag;
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
    s.authChoice = m_nAuthentication;
    s.encryptionChoice = m_nEncryption;
    s.use8021x = m_nUse8021x;
    s.defaultKey = m_nDefaultKey;
    for (int i = 0; i < 4; ++i) {
        s.keyFormat[i] = sec.m_nKeyFormat[i];
        s.wepKey[i] = sec.m_strWepKey[i];
    }
    s.preSharedKey = m_strPreSharedKey;
    s.leapIdentity = m_strLeapIdentity;
    s.leapPassword = m_strLeapPassword;
    s.leapDomain = m_strLeapDomain;
    s.leapCipher = m_nLeapCipher;
    s.dot1x = m_dot1x;
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
    sec.UpdateData(TRUE);
    for (CChildPage* page : { (CChildPage*)eap.ClientCertPage(), (CChildPage*)eap.CredentialPage(),
                              (CChildPage*)eap.ServerCertPage() })
        page->UpdateData(TRUE);

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

    int a = sec.m_nAuthentication;
    BOOL infrastructure = sys.m_nNetworkType != 0;
    BOOL openOrShared8021x = (a == AUTH_CHOICE_OPEN || a == AUTH_CHOICE_SHARED) && sec.m_bUse8021x;
    BOOL wpa8021x = (a == AUTH_CHOICE_WPA || a == AUTH_CHOICE_WPA2) && sec.m_bInfrastructure;
    if ((openOrShared8021x || wpa8021x) && !eap.ValidateSettings()) return;

    if (!sec.ValidateKeys()) return;
    if (!sec.ValidateAsciiKeys()) return;

    if (a == AUTH_CHOICE_LEAP && infrastructure) {
        sec.m_strLeapIdentity.Trim();
        sec.UpdateData(FALSE);
        if (sec.m_strLeapIdentity.IsEmpty() || sec.m_strLeapPassword.IsEmpty()) {
            ShowMessageDlg(StringFromTable(IDS_LEAP_ID_REQUIRED));
            return;
        }
        m_strLeapIdentity = sec.m_strLeapIdentity;
        m_strLeapPassword = sec.m_strLeapPassword;
        m_strLeapDomain = sec.m_strLeapDomain;
        m_nLeapCipher = sec.m_nLeapCipher;
    }

    m_nAuthentication = a;
    m_nEncryption = sec.m_nEncryption;
    m_nDefaultKey = sec.m_nDefaultKey;
    m_nUse8021x = sec.m_bUse8021x;

    BOOL dot1xProfile = (infrastructure && (a == AUTH_CHOICE_WPA || a == AUTH_CHOICE_WPA2)) ||
                        ((a == AUTH_CHOICE_OPEN || a == AUTH_CHOICE_SHARED) && m_nUse8021x);
    if (g_hAuthPort && dot1xProfile) eap.StoreSettings(m_dot1x);

    if ((!m_nUse8021x || m_dot1x.eapMethod == 4) &&
        (a == AUTH_CHOICE_SHARED || (a == AUTH_CHOICE_OPEN && m_nEncryption == ENCR_CHOICE_WEP))) {
        for (int k = 0; k < 4; ++k) {
            const CString& key = sec.m_strWepKey[k];
            std::memset(m_keyBytes[k], 0, sizeof(m_keyBytes[k]));
            if (sec.m_nKeyFormat[k] == 0) {
                m_nKeyLength[k] = HexStringToBytes(key, m_keyBytes[k], key.GetLength() / 2 > 13 ? 13 : key.GetLength() / 2);
            } else {
                // Only 5 or 13 characters get here (ValidateAsciiKeys).
                m_nKeyLength[k] = key.GetLength() > 13 ? 0 : key.GetLength();
                std::memcpy(m_keyBytes[k], key.GetString(), m_nKeyLength[k]);
            }
        }
    }
    if (IsWpaChoice(a)) m_strPreSharedKey = sec.m_strPreSharedKey;

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
