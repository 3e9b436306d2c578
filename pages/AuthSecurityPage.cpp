#include "pages/AuthSecurityPage.h"

#include <cctype>

#include "auth/SupplicantBinding.h"
#include "core/HexUtil.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "pages/PageControls.h"
#include "widgets/MessageBoxDlg.h"
#include "resource.h"

namespace {

// Messages the drop-down buttons send before their menus open.
const UINT WM_INIT_AUTH_MENU = WM_USER + 100;
const UINT WM_INIT_ENCRYPTION_MENU = WM_USER + 101;
const UINT WM_INIT_KEY_FORMAT_MENU = WM_USER + 102;   // +102..+105, no handler

const UINT kAuthCommands[8] = { ID_AUTH_OPEN, ID_AUTH_SHARED, ID_AUTH_LEAP, ID_AUTH_WPA,
                                ID_AUTH_WPA_PSK, ID_AUTH_WPA2, ID_AUTH_WPA2_PSK, ID_AUTH_WPA_NONE };
const char* const kAuthTexts[8] = { "Open", "Shared", "LEAP", "WPA", "WPA-PSK", "WPA2", "WPA2-PSK", "WPA-None" };
const UINT kEncryptionCommands[4] = { ID_ENCRYPTION_NONE, ID_ENCRYPTION_WEP, ID_ENCRYPTION_TKIP, ID_ENCRYPTION_AES };
const char* const kEncryptionTexts[4] = { "None", "WEP", "TKIP", "AES" };

const UINT kFormatButtons[4] = { IDC_SEC_KEY1_FORMAT, IDC_SEC_KEY2_FORMAT, IDC_SEC_KEY3_FORMAT, IDC_SEC_KEY4_FORMAT };
const UINT kFormatMenus[4] = { IDR_MENU_KEY1_FORMAT, IDR_MENU_KEY2_FORMAT, IDR_MENU_KEY3_FORMAT, IDR_MENU_KEY4_FORMAT };
const UINT kKeyEdits[4] = { IDC_SEC_KEY1, IDC_SEC_KEY2, IDC_SEC_KEY3, IDC_SEC_KEY4 };
const UINT kKeyLabels[4] = { IDC_SEC_LABEL_KEY1, IDC_SEC_LABEL_KEY2, IDC_SEC_LABEL_KEY3, IDC_SEC_LABEL_KEY4 };
const UINT kDefaultKeyRadios[4] = { IDC_SEC_DEFAULT_KEY1, IDC_SEC_DEFAULT_KEY2, IDC_SEC_DEFAULT_KEY3,
                                    IDC_SEC_DEFAULT_KEY4 };
const UINT kLeapRadios[3] = { IDC_SEC_LEAP_WEP, IDC_SEC_LEAP_TKIP, IDC_SEC_LEAP_AES };
const UINT kLeapRadioLabels[3] = { IDC_SEC_LABEL_LEAP_WEP, IDC_SEC_LABEL_LEAP_TKIP, IDC_SEC_LABEL_LEAP_AES };

// The controls of the key layout that the LEAP layout hides, and the LEAP ones.
const UINT kKeyLayoutIds[] = {
    IDC_SEC_LABEL_ENCRYPTION, IDC_SEC_ENCRYPTION, IDC_SEC_8021X, IDC_SEC_LABEL_8021X, IDC_SEC_LABEL_PSK, IDC_SEC_PSK,
    IDC_SEC_WEP_SEPARATOR,
    IDC_SEC_DEFAULT_KEY1, IDC_SEC_DEFAULT_KEY2, IDC_SEC_DEFAULT_KEY3, IDC_SEC_DEFAULT_KEY4,
    IDC_SEC_LABEL_KEY1, IDC_SEC_LABEL_KEY2, IDC_SEC_LABEL_KEY3, IDC_SEC_LABEL_KEY4,
    IDC_SEC_KEY1_FORMAT, IDC_SEC_KEY2_FORMAT, IDC_SEC_KEY3_FORMAT, IDC_SEC_KEY4_FORMAT,
    IDC_SEC_KEY1, IDC_SEC_KEY2, IDC_SEC_KEY3, IDC_SEC_KEY4,
};
const UINT kLeapLayoutIds[] = {
    IDC_SEC_LABEL_LEAP_ID, IDC_SEC_LABEL_LEAP_PASSWORD, IDC_SEC_LABEL_LEAP_DOMAIN,
    IDC_SEC_LABEL_LEAP_WEP, IDC_SEC_LABEL_LEAP_TKIP, IDC_SEC_LABEL_LEAP_AES,
    IDC_SEC_LEAP_ID, IDC_SEC_LEAP_PASSWORD, IDC_SEC_LEAP_DOMAIN,
    IDC_SEC_LEAP_WEP, IDC_SEC_LEAP_TKIP, IDC_SEC_LEAP_AES,
};

// Layout (pixels of the tab's client area).
const int kRowAuth = 8, kRowPsk = 42, kRowSeparator = 74, kRowKeys = 98, kKeyPitch = 32;
const int kShowPasswordKeyX = 555, kShowPasswordKeyY = kRowKeys;
const int kShowPasswordLeapX = 420, kShowPasswordLeapY = kRowPsk + 32;
// The longest text the profile store reads back.
const int kStoredTextMax = kProfileTextMax - 1;

bool IsPskMode(int a) { return a == AUTH_CHOICE_WPA_PSK || a == AUTH_CHOICE_WPA2_PSK; }
bool IsWpaMode(int a) { return a >= AUTH_CHOICE_WPA && a <= AUTH_CHOICE_WPA_NONE; }

}  // namespace

BEGIN_MESSAGE_MAP(CAuthSecurityPage, CChildPage)
    ON_MESSAGE(WM_INIT_AUTH_MENU, OnInitAuthMenu)
    ON_MESSAGE(WM_INIT_ENCRYPTION_MENU, OnInitEncryptionMenu)
    ON_COMMAND_RANGE(ID_AUTH_OPEN, ID_AUTH_OPEN, OnAuthentication)
    ON_COMMAND_RANGE(ID_AUTH_SHARED, ID_AUTH_SHARED, OnAuthentication)
    ON_COMMAND_RANGE(ID_AUTH_LEAP, ID_AUTH_WPA2_PSK, OnAuthentication)
    ON_COMMAND_RANGE(ID_AUTH_WPA_NONE, ID_AUTH_WPA_NONE, OnAuthentication)
    ON_COMMAND_RANGE(ID_ENCRYPTION_NONE, ID_ENCRYPTION_AES, OnEncryption)
    ON_COMMAND_RANGE(ID_KEY1_HEX, ID_KEY4_ASCII, OnKeyFormat)
    ON_BN_CLICKED(IDC_SEC_8021X, On8021xClicked)
    ON_BN_CLICKED(IDC_SEC_SHOW_PASSWORD, OnShowPassword)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CAuthSecurityPage::CAuthSecurityPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_AUTH_SECURITY, pMainDlg) {}

BOOL CAuthSecurityPage::OnInitDialog()
{
    m_btnAuth.SubclassDlgItem(IDC_SEC_AUTH, this);
    m_btnEncryption.SubclassDlgItem(IDC_SEC_ENCRYPTION, this);
    for (int i = 0; i < 4; ++i) {
        m_btnKeyFormat[i].SubclassDlgItem(kFormatButtons[i], this);
        m_radioDefaultKey[i].SubclassDlgItem(kDefaultKeyRadios[i], this);
        m_editKey[i].SubclassDlgItem(kKeyEdits[i], this);
    }
    for (int i = 0; i < 3; ++i) m_radioLeap[i].SubclassDlgItem(kLeapRadios[i], this);
    m_check8021x.SubclassDlgItem(IDC_SEC_8021X, this);
    m_checkShowPassword.SubclassDlgItem(IDC_SEC_SHOW_PASSWORD, this);
    m_editPsk.SubclassDlgItem(IDC_SEC_PSK, this);
    m_editLeapId.SubclassDlgItem(IDC_SEC_LEAP_ID, this);
    m_editLeapPassword.SubclassDlgItem(IDC_SEC_LEAP_PASSWORD, this);
    m_editLeapDomain.SubclassDlgItem(IDC_SEC_LEAP_DOMAIN, this);
    m_separator.SubclassDlgItem(IDC_SEC_WEP_SEPARATOR, this);

    PlaceControls();

    StyleMenuButton(m_btnAuth, IDR_MENU_AUTH, m_hWnd);
    m_btnAuth.SetMenuCallback(m_hWnd, WM_INIT_AUTH_MENU);
    StyleMenuButton(m_btnEncryption, IDR_MENU_ENCRYPTION, m_hWnd);
    m_btnEncryption.SetMenuCallback(m_hWnd, WM_INIT_ENCRYPTION_MENU);
    for (int i = 0; i < 4; ++i) {
        StyleMenuButton(m_btnKeyFormat[i], kFormatMenus[i], m_hWnd);
        m_btnKeyFormat[i].SetMenuCallback(m_hWnd, WM_INIT_KEY_FORMAT_MENU + i);
        StyleCheck(m_radioDefaultKey[i], TRUE);
        m_editKey[i].SetCharMask(FE_HEX);
        m_editKey[i].SendMessage(EM_LIMITTEXT, 26);
    }
    for (COwnerDrawButton& r : m_radioLeap) StyleCheck(r, TRUE);
    StyleCheck(m_check8021x, FALSE);
    StyleCheck(m_checkShowPassword, FALSE);
    m_editPsk.SendMessage(EM_LIMITTEXT, 64);
    for (CFilterEdit* e : { &m_editLeapId, &m_editLeapPassword, &m_editLeapDomain })
        e->SendMessage(EM_LIMITTEXT, kStoredTextMax);
    for (CFilterEdit* e : { &m_editPsk, &m_editKey[0], &m_editKey[1], &m_editKey[2], &m_editKey[3] })
        e->m_infoWnd.m_nPlacement = CInfoWnd::PLACE_BELOW;

    CChildPage::OnInitDialog();
    return TRUE;
}

void CAuthSecurityPage::PlaceControls()
{
    PlaceControl(GetDlgItem(IDC_SEC_LABEL_AUTH), 10, kRowAuth + 3, 130, 18, IDS_LABEL_AUTHENTICATION);
    PlaceControl(&m_btnAuth, 145, kRowAuth, 140, 24, 0);
    PlaceControl(GetDlgItem(IDC_SEC_LABEL_ENCRYPTION), 320, kRowAuth + 3, 110, 18, IDS_LABEL_ENCRYPTION);
    PlaceControl(&m_btnEncryption, 435, kRowAuth, 120, 24, 0);
    PlaceControl(GetDlgItem(IDC_SEC_LABEL_PSK), 10, kRowPsk + 3, 165, 18, 0);
    PlaceControl(&m_editPsk, 180, kRowPsk, 440, 22, 0);
    PlaceControl(&m_separator, 10, kRowSeparator, 730, 18, 0);
    for (int i = 0; i < 4; ++i) {
        int y = kRowKeys + i * kKeyPitch;
        // The option and check pictures are 32 pixels square.
        PlaceControl(&m_radioDefaultKey[i], 4, y - 4, 32, 32, 0);
        PlaceControl(GetDlgItem(kKeyLabels[i]), 38, y + 3, 60, 18, 0);
        PlaceControl(&m_btnKeyFormat[i], 100, y, 120, 24, 0);
        PlaceControl(&m_editKey[i], 230, y + 1, 300, 22, 0);
    }
    PlaceControl(&m_checkShowPassword, kShowPasswordKeyX, kShowPasswordKeyY - 4, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_SEC_LABEL_SHOW_PASSWORD), kShowPasswordKeyX + 34, kShowPasswordKeyY + 3, 130, 18, 0);
    PlaceControl(&m_check8021x, kShowPasswordKeyX, kShowPasswordKeyY + 32, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_SEC_LABEL_8021X), kShowPasswordKeyX + 34, kShowPasswordKeyY + 39, 130, 18, 0);

    // The LEAP layout (hidden until LEAP is chosen).
    const UINT leapLabels[3] = { IDC_SEC_LABEL_LEAP_ID, IDC_SEC_LABEL_LEAP_PASSWORD, IDC_SEC_LABEL_LEAP_DOMAIN };
    CFilterEdit* leapEdits[3] = { &m_editLeapId, &m_editLeapPassword, &m_editLeapDomain };
    for (int i = 0; i < 3; ++i) {
        int y = kRowPsk + i * 32;
        PlaceControl(GetDlgItem(leapLabels[i]), 10, y + 3, 130, 18, 0);
        PlaceControl(leapEdits[i], 145, y, 250, 22, 0);
    }
    for (int i = 0; i < 3; ++i) {
        int x = 145 + i * 110, y = kRowPsk + 3 * 32 + 6;
        PlaceControl(&m_radioLeap[i], x - 6, y - 6, 32, 32, 0);
        PlaceControl(GetDlgItem(kLeapRadioLabels[i]), x + 28, y + 1, 80, 18, 0);
    }
    ShowLeapFields(FALSE);
}

void CAuthSecurityPage::DoDataExchange(CDataExchange* pDX)
{
    int use8021x = m_bUse8021x, showPassword = m_bShowPassword;
    DDX_Check(pDX, IDC_SEC_8021X, use8021x);
    DDX_Check(pDX, IDC_SEC_SHOW_PASSWORD, showPassword);
    m_bUse8021x = use8021x ? TRUE : FALSE;
    m_bShowPassword = showPassword ? TRUE : FALSE;
    int key = m_nDefaultKey, cipher = m_nLeapCipher;
    DDX_Radio(pDX, IDC_SEC_DEFAULT_KEY1, key);
    DDX_Radio(pDX, IDC_SEC_LEAP_WEP, cipher);
    if (key >= 0 && key <= 3) m_nDefaultKey = key;
    if (cipher >= 0 && cipher <= 2) m_nLeapCipher = cipher;
    DDX_Text(pDX, IDC_SEC_PSK, m_strPreSharedKey);
    for (int i = 0; i < 4; ++i) DDX_Text(pDX, kKeyEdits[i], m_strWepKey[i]);
    DDX_Text(pDX, IDC_SEC_LEAP_ID, m_strLeapIdentity);
    DDX_Text(pDX, IDC_SEC_LEAP_PASSWORD, m_strLeapPassword);
    DDX_Text(pDX, IDC_SEC_LEAP_DOMAIN, m_strLeapDomain);
}

// ---- Small helpers --------------------------------------------------------------------

void CAuthSecurityPage::ShowItem(UINT id, BOOL show)
{
    if (CWnd* w = GetDlgItem(id)) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CAuthSecurityPage::EnableItem(UINT id, BOOL enable)
{
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(enable);
}

void CAuthSecurityPage::ClickTab(CWnd* tab)
{
    if (tab && tab->IsWindow()) tab->SendMessage(BM_CLICK);
}

void CAuthSecurityPage::EnableTab(CWnd* tab, BOOL enable)
{
    if (tab && tab->IsWindow()) tab->EnableWindow(enable);
}

BOOL CAuthSecurityPage::IsInfrastructure()
{
    if (m_bInProfileEditor && m_pHost) {
        int type = m_pHost->HostNetworkType();
        if (type >= 0) m_bInfrastructure = type != 0;
    }
    return m_bInfrastructure;
}

int CAuthSecurityPage::HostEapMethod()
{
    return m_pHost ? m_pHost->EapMethod() : 0;
}

void CAuthSecurityPage::EnableWepKeyControls(BOOL enable)
{
    for (int i = 0; i < 4; ++i) {
        EnableItem(kDefaultKeyRadios[i], enable);
        EnableItem(kKeyLabels[i], enable);
        EnableItem(kFormatButtons[i], enable);
        EnableItem(kKeyEdits[i], enable);
    }
}

void CAuthSecurityPage::Show8021xBox(BOOL show, BOOL enable)
{
    for (UINT id : { IDC_SEC_8021X, IDC_SEC_LABEL_8021X }) {
        ShowItem(id, show);
        EnableItem(id, enable);
    }
}

void CAuthSecurityPage::TurnOff8021x()
{
    m_bUse8021x = FALSE;
    if (m_check8021x.IsWindow()) m_check8021x.SetCheck(FALSE);
    Show8021xBox(FALSE, FALSE);
}

void CAuthSecurityPage::ApplyMasking()
{
    char mask = m_bShowPassword ? 0 : '*';
    for (CFilterEdit* e : { &m_editPsk, &m_editKey[0], &m_editKey[1], &m_editKey[2], &m_editKey[3], &m_editLeapPassword }) {
        if (!e->IsWindow()) continue;
        e->SendMessage(EM_SETPASSWORDCHAR, (WPARAM)(BYTE)mask);
        e->Invalidate();
    }
}

// ---- Loaders ------------------------------------------------------------------------------

void CAuthSecurityPage::ClearSettings()
{
    m_nAuthentication = AUTH_CHOICE_OPEN;
    m_nEncryption = ENCR_CHOICE_NONE;
    m_bUse8021x = FALSE;
    m_nDefaultKey = 0;
    for (int& f : m_nKeyFormat) f = 0;
    m_strPreSharedKey.Empty();
    for (CString& k : m_strWepKey) k.Empty();
    m_strLeapIdentity.Empty();
    m_strLeapPassword.Empty();
    m_strLeapDomain.Empty();
    m_nLeapCipher = 0;
    m_bLeapShown = FALSE;
    m_bInfrastructure = TRUE;
    m_bShowPassword = FALSE;
}

void CAuthSecurityPage::LoadDefaults()
{
    ClearSettings();
    for (UINT id : { ID_KEY1_HEX, ID_KEY2_HEX, ID_KEY3_HEX, ID_KEY4_HEX }) OnKeyFormat(id);
    UpdateData(FALSE);
    OnAuthentication(ID_AUTH_OPEN);
    OnEncryption(ID_ENCRYPTION_NONE);
    On8021xCheck();
    UpdateData(FALSE);
    ApplyMasking();
}

void CAuthSecurityPage::LoadFromProfile()
{
    // The commands read the controls: they must show the loaded fields first.
    int auth = m_nAuthentication, encryption = m_nEncryption;
    UpdateData(FALSE);
    if (auth >= 0 && auth < 8) OnAuthentication(kAuthCommands[auth]);
    if (encryption >= 0 && encryption < 4) OnEncryption(kEncryptionCommands[encryption]);
    for (int i = 0; i < 4; ++i) OnKeyFormat(ID_KEY1_HEX + 2 * i + (m_nKeyFormat[i] == 1 ? 1 : 0));
    On8021xCheck();
    UpdateData(FALSE);
    ApplyMasking();
}

void CAuthSecurityPage::LoadFromChosen(const ChosenNetworkSecurity& chosen, BOOL testPrivacy)
{
    ClearSettings();
    for (UINT id : { ID_KEY1_HEX, ID_KEY2_HEX, ID_KEY3_HEX, ID_KEY4_HEX }) OnKeyFormat(id);
    m_bInfrastructure = chosen.infrastructure == 1;
    UpdateData(FALSE);
    if (testPrivacy && !chosen.secured) {
        OnAuthentication(ID_AUTH_OPEN);
        OnEncryption(ID_ENCRYPTION_NONE);
    } else if (chosen.authCode < 1 || chosen.authCode > 5) {
        OnAuthentication(ID_AUTH_OPEN);
        OnEncryption(ID_ENCRYPTION_WEP);
    } else {
        BOOL oldOs = g_nOsVersion < OS_WIN2000;
        OnAuthentication(ID_AUTH_WPA_NONE);
        switch (chosen.authCode) {
        case 1: OnAuthentication(ID_AUTH_WPA); break;
        case 2: OnAuthentication(ID_AUTH_WPA_PSK); break;
        case 4: OnAuthentication(oldOs ? ID_AUTH_WPA : ID_AUTH_WPA2); break;
        case 5: OnAuthentication(oldOs ? ID_AUTH_WPA_PSK : ID_AUTH_WPA2_PSK); break;
        default: break;
        }
        OnEncryption(chosen.cipher == "TKIP" ? ID_ENCRYPTION_TKIP : ID_ENCRYPTION_AES);
    }
    On8021xCheck();
    UpdateData(FALSE);
    ApplyMasking();
}

void CAuthSecurityPage::LoadFromBssPrivacy(const ChosenNetworkSecurity& chosen)
{
    LoadFromChosen(chosen, TRUE);
}

void CAuthSecurityPage::LoadFromBss(const ChosenNetworkSecurity& chosen)
{
    LoadFromChosen(chosen, FALSE);
}

// ---- Menus ------------------------------------------------------------------------------------

LRESULT CAuthSecurityPage::OnInitAuthMenu(WPARAM wParam, LPARAM)
{
    HMENU menu = (HMENU)wParam;
    if (!menu) return 0;
    BOOL portOpen = g_hAuthPort != 0;
    BOOL infrastructure = IsInfrastructure();
    BOOL leap = infrastructure;
    BOOL wpa = portOpen && infrastructure;
    BOOL wpa2 = wpa && g_nOsVersion >= OS_WIN2000;
    BOOL wpaNone = portOpen && !infrastructure;
    struct { UINT id; BOOL offered; } const items[] = {
        { ID_AUTH_OPEN, TRUE }, { ID_AUTH_SHARED, TRUE }, { ID_AUTH_LEAP, leap },
        { ID_AUTH_WPA, wpa }, { ID_AUTH_WPA_PSK, wpa }, { ID_AUTH_WPA2, wpa2 }, { ID_AUTH_WPA2_PSK, wpa2 },
        { ID_AUTH_WPA_NONE, wpaNone },
    };
    for (const auto& i : items) ::EnableMenuItem(menu, i.id, MF_BYCOMMAND | (i.offered ? MF_ENABLED : MF_GRAYED));
    return 0;
}

LRESULT CAuthSecurityPage::OnInitEncryptionMenu(WPARAM wParam, LPARAM)
{
    HMENU menu = (HMENU)wParam;
    if (!menu) return 0;
    BOOL wpa = IsWpaMode(m_nAuthentication);
    for (UINT id : { ID_ENCRYPTION_NONE, ID_ENCRYPTION_WEP })
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (wpa ? MF_GRAYED : MF_ENABLED));
    for (UINT id : { ID_ENCRYPTION_TKIP, ID_ENCRYPTION_AES })
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (wpa ? MF_ENABLED : MF_GRAYED));
    return 0;
}

void CAuthSecurityPage::OnAuthentication(UINT id)
{
    int choice = -1;
    for (int i = 0; i < 8; ++i)
        if (kAuthCommands[i] == id) choice = i;
    if (choice < 0) return;
    m_nAuthentication = choice;
    m_btnAuth.SetWindowText(kAuthTexts[choice]);
    m_btnAuth.Invalidate();
    SelectAuthentication();
    if (choice == AUTH_CHOICE_OPEN || choice == AUTH_CHOICE_SHARED) UpdateKeyControls();
}

void CAuthSecurityPage::OnEncryption(UINT id)
{
    int choice = -1;
    for (int i = 0; i < 4; ++i)
        if (kEncryptionCommands[i] == id) choice = i;
    if (choice < 0) return;
    m_nEncryption = choice;
    m_btnEncryption.SetWindowText(kEncryptionTexts[choice]);
    m_btnEncryption.Invalidate();
    if (choice == ENCR_CHOICE_NONE || choice == ENCR_CHOICE_WEP) {
        Update8021xForEncryption();
        UpdateKeyControls();
    }
}

void CAuthSecurityPage::OnKeyFormat(UINT id)
{
    if (id < ID_KEY1_HEX || id > ID_KEY4_ASCII) return;
    int key = (int)(id - ID_KEY1_HEX) / 2;
    int format = (int)(id - ID_KEY1_HEX) % 2;
    m_nKeyFormat[key] = format;
    m_btnKeyFormat[key].SetWindowText(format ? "ASCII" : "Hexadecimal");
    m_btnKeyFormat[key].Invalidate();
    m_editKey[key].SetCharMask(format ? 0xFFFF : FE_HEX);
}

// ---- The rules -----------------------------------------------------------------------------------

void CAuthSecurityPage::SelectAuthentication()
{
    UpdateData(TRUE);
    int a = m_nAuthentication;
    if (a == AUTH_CHOICE_OPEN || a == AUTH_CHOICE_SHARED) {
        ShowLeapFields(FALSE);
        if (m_nEncryption == ENCR_CHOICE_TKIP || m_nEncryption == ENCR_CHOICE_AES) OnEncryption(ID_ENCRYPTION_NONE);
        EnableItem(IDC_SEC_PSK, FALSE);
        Update8021xForEncryption();
    } else if (a == AUTH_CHOICE_LEAP) {
        ShowLeapFields(TRUE);
    } else {
        ShowLeapFields(FALSE);
        if (m_nEncryption == ENCR_CHOICE_NONE || m_nEncryption == ENCR_CHOICE_WEP) OnEncryption(ID_ENCRYPTION_TKIP);
        EnableWepKeyControls(FALSE);
        if (a == AUTH_CHOICE_WPA || a == AUTH_CHOICE_WPA2) {
            // 802.1X is forced on.
            EnableItem(IDC_SEC_PSK, FALSE);
            Show8021xBox(FALSE, TRUE);
            m_check8021x.SetCheck(TRUE);
            On8021xCheck();
            EnableTab(m_pHost ? m_pHost->Dot1xTabButton() : nullptr, TRUE);
            if (HostEapMethod() == 4 && m_pHost) {
                UpdateData(FALSE);
                m_pHost->SelectPeapMethod();
            }
        } else {
            EnableItem(IDC_SEC_PSK, TRUE);
            Show8021xBox(FALSE, FALSE);
            m_check8021x.SetCheck(FALSE);
            On8021xCheck();
            EnableTab(m_pHost ? m_pHost->Dot1xTabButton() : nullptr, FALSE);
        }
    }
    if (!IsInfrastructure()) Show8021xBox(FALSE, FALSE);
    UpdateData(TRUE);
}

void CAuthSecurityPage::Update8021xForEncryption()
{
    if (m_nEncryption == ENCR_CHOICE_NONE) {
        EnableWepKeyControls(FALSE);
        m_bUse8021x = FALSE;
        m_check8021x.SetCheck(FALSE);
        On8021xCheck();
        Show8021xBox(FALSE, FALSE);
    } else {
        EnableWepKeyControls(TRUE);
        Show8021xBox(TRUE, TRUE);
    }
    if (!IsInfrastructure()) {
        m_bUse8021x = FALSE;
        m_check8021x.SetCheck(FALSE);
        On8021xCheck();
        Show8021xBox(FALSE, FALSE);
    }
    UpdateData(FALSE);
}

void CAuthSecurityPage::UpdateKeyControls()
{
    if (!m_bUse8021x) EnableWepKeyControls(m_nEncryption == ENCR_CHOICE_WEP);
    else if (m_nAuthentication == AUTH_CHOICE_SHARED || m_nEncryption == ENCR_CHOICE_WEP) EnableWepKeyControls(FALSE);
}

void CAuthSecurityPage::On8021xClicked()
{
    On8021xCheck();
}

void CAuthSecurityPage::On8021xCheck()
{
    UpdateData(TRUE);
    EnableTab(m_pHost ? m_pHost->Dot1xTabButton() : nullptr, m_bUse8021x);
    UpdateKeyControls();
}

void CAuthSecurityPage::ShowLeapFields(BOOL show)
{
    m_bLeapShown = show;
    if (show) m_check8021x.SetCheck(FALSE);
    for (UINT id : kKeyLayoutIds) ShowItem(id, !show);
    for (UINT id : kLeapLayoutIds) ShowItem(id, show);
    int x = show ? kShowPasswordLeapX : kShowPasswordKeyX;
    int y = show ? kShowPasswordLeapY : kShowPasswordKeyY;
    if (m_checkShowPassword.IsWindow()) {
        m_checkShowPassword.MoveWindow(x, y - 4, 32, 32);
        if (CWnd* label = GetDlgItem(IDC_SEC_LABEL_SHOW_PASSWORD)) label->MoveWindow(x + 34, y + 3, 130, 18);
    }
}

void CAuthSecurityPage::OnShowWindow(BOOL show, UINT)
{
    Default();
    if (!show) return;
    ShowLeapFields(m_bLeapShown);
    if (!IsInfrastructure()) TurnOff8021x();
    if (m_bUse8021x) EnableWepKeyControls(HostEapMethod() == 4);
    int a = m_nAuthentication;
    BOOL hide = !IsInfrastructure() || IsWpaMode(a) ||
                ((a == AUTH_CHOICE_OPEN || a == AUTH_CHOICE_SHARED || a == AUTH_CHOICE_LEAP) &&
                 m_nEncryption == ENCR_CHOICE_NONE);
    if (hide) {
        ShowItem(IDC_SEC_8021X, FALSE);
        ShowItem(IDC_SEC_LABEL_8021X, FALSE);
    }
    ApplyMasking();
}

void CAuthSecurityPage::OnShowPassword()
{
    UpdateData(TRUE);
    ApplyMasking();
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// ---- Validation ----------------------------------------------------------------------------------

void CAuthSecurityPage::Refuse(CFilterEdit& edit, UINT textId)
{
    m_strLastRefusal = StringFromTable(textId);
    edit.SetFocus();
    edit.m_infoWnd.Hide();
    edit.m_infoWnd.ShowTip(&edit, m_strLastRefusal);
}

BOOL CAuthSecurityPage::ValidateKeys()
{
    UpdateData(TRUE);
    m_strLastRefusal.Empty();
    int a = m_nAuthentication;
    CWnd* tab = m_pHost ? m_pHost->SecurityTabButton() : nullptr;
    if (m_bUse8021x) {
        if (HostEapMethod() == 4) {
            EnableWepKeyControls(TRUE);
            ClickTab(tab);
        } else {
            EnableWepKeyControls(FALSE);
        }
    } else if (IsPskMode(a)) {
        EnableWepKeyControls(FALSE);
        ClickTab(tab);
    } else if (m_bInProfileEditor && m_nEncryption != ENCR_CHOICE_WEP) {
        EnableWepKeyControls(FALSE);
    } else {
        EnableWepKeyControls(TRUE);
        ClickTab(tab);
    }

    if (IsPskMode(a)) {
        CString key = m_strPreSharedKey;
        if (key.GetLength() < 8) {
            Refuse(m_editPsk, IDS_PSK_TOO_SHORT);
            return FALSE;
        }
        if (key.GetLength() == 64) {
            key.MakeUpper();
            for (int i = 0; i < 64; ++i) {
                char c = key[i];
                if (!std::isdigit((unsigned char)c) && !(c >= 'A' && c <= 'F')) {
                    Refuse(m_editPsk, IDS_PSK_NOT_HEX);
                    return FALSE;
                }
            }
        }
    }

    if (!WepKeysUsed()) return TRUE;

    int k = m_nDefaultKey >= 0 && m_nDefaultKey <= 3 ? m_nDefaultKey : 0;
    int len = m_strWepKey[k].GetLength();
    BOOL ascii = m_nKeyFormat[k] == 1;
    BOOL good = ascii ? (len == 5 || len == 13) : (len == 10 || len == 26);
    if (!good) {
        Refuse(m_editKey[k], (ascii ? IDS_WEP_KEY1_ASCII : IDS_WEP_KEY1_HEX) + 2 * k);
        return FALSE;
    }
    // The hex edits keep other characters out of what is typed only: a text
    // typed under ASCII stays when the format goes back, and a paste is not
    // typed.  Such a key would be stored as one from which no key is made.
    for (int i = 0; i < 4; ++i) {
        const CString& key = m_strWepKey[i];
        if (m_nKeyFormat[i] == 1 || key.IsEmpty() || IsHexString(key, key.GetLength())) continue;
        Refuse(m_editKey[i], IDS_WEP_KEY1_NOT_HEX + i);
        return FALSE;
    }
    return TRUE;
}

BOOL CAuthSecurityPage::WepKeysUsed()
{
    if (m_nAuthentication == AUTH_CHOICE_SHARED) return TRUE;
    if (m_nAuthentication != AUTH_CHOICE_OPEN || m_nEncryption != ENCR_CHOICE_WEP) return FALSE;
    return !m_bUse8021x || HostEapMethod() == 4;
}

BOOL CAuthSecurityPage::ValidateWpaNoneKey()
{
    UpdateData(TRUE);
    if (m_nAuthentication != AUTH_CHOICE_WPA_NONE || m_strPreSharedKey.GetLength() != 64) return TRUE;
    if (IsHexString(m_strPreSharedKey, 64)) return TRUE;
    ClickTab(m_pHost ? m_pHost->SecurityTabButton() : nullptr);
    Refuse(m_editPsk, IDS_PSK_NOT_HEX);
    return FALSE;
}
