#include "pages/WpsProfileDetailDlg.h"

#include <algorithm>
#include <cstring>

#include "core/HexUtil.h"
#include "pagebase/PanelDoor.h"
#include "pages/WpsPage.h"
#include "widgets/MessageBoxDlg.h"

namespace {

// Items of the registrar's combos, in their order.
const char* const kAuthItems[] = { "Open", "WPA-PSK", "WPA2-PSK" };
const char* const kKeyLengthItems[] = { "5", "10", "13", "26" };
const int kKeyLengths[] = { 5, 10, 13, 26 };
const char* const kKeyIndexItems[] = { "1", "2", "3", "4" };
enum { AUTH_OPEN = 0, AUTH_WPA_PSK = 1, AUTH_WPA2_PSK = 2 };

const int kPskLimit = 64;

struct KeyRule {
    int limit;
    const char* refusal;
};
const KeyRule kKeyRules[] = {
    { 5, "Invalid WEP Key length. WEP Key should be 5 ascii characters" },
    { 10, "Invalid WEP Key length. WEP Key should be 10 hex digits" },
    { 13, "Invalid WEP Key length. WEP Key should be 13 ascii characters" },
    { 26, "Invalid WEP Key length. WEP Key should be 26 hex digits" },
};
const char kPskRefusal[] = "Invalid WPA Pre-Shared key. WPA-PSK used field should use more than 8 characters.";

// Layout, in pixels of the panel's client area.
const int kLabelLeft = 20, kLabelWidth = 170, kValueLeft = 200, kRowTop = 16, kRowStep = 34;
const UINT kValueStatics[4] = { IDC_WPSD_AUTH_TEXT, IDC_WPSD_ENCR_TEXT, IDC_WPSD_KEY_LENGTH_TEXT,
                                IDC_WPSD_KEY_INDEX_TEXT };

const char* AuthenticationText(DWORD authType)
{
    switch (authType) {
    case WPS_AUTH_OPEN: return "OPEN";
    case WPS_AUTH_WPA_PSK: return "WPA-PSK";
    case WPS_AUTH_SHARED: return "SHARED";
    case WPS_AUTH_WPA: return "WPA";
    case WPS_AUTH_WPA2: return "WPA2";
    case WPS_AUTH_WPA2_PSK: return "WPA2-PSK";
    default: return "";
    }
}

const char* EncryptionText(DWORD encrType)
{
    switch (encrType) {
    case WPS_ENCR_NONE: return "NONE";
    case WPS_ENCR_WEP: return "WEP";
    case WPS_ENCR_TKIP: return "TKIP";
    case WPS_ENCR_AES: return "AES";
    default: return "";
    }
}

// Bytes as text, up to n or the first zero byte.
CString TextOf(const BYTE* bytes, size_t n)
{
    return CString((const char*)bytes, (int)::strnlen((const char*)bytes, n));
}

DWORD KeyLengthOf(const WpsCredential& c)
{
    return std::min<DWORD>(c.KeyLength, sizeof(c.Key));
}

bool IsHexLimit(int limit) { return limit == 10 || limit == 26; }

CString ComboText(const CComboBox& combo)
{
    CString text;
    int sel = combo.GetCurSel();
    if (sel >= 0) combo.GetLBText(sel, text);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CWpsProfileDetailDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_WPSD_SHOW_PASSWORD, OnShowPassword)
    ON_BN_CLICKED(IDC_WPSD_ASCII, OnAsciiFormat)
    ON_BN_CLICKED(IDC_WPSD_OK, OnOk)
    ON_BN_CLICKED(IDC_WPSD_CANCEL, OnCancelButton)
    ON_CBN_SELCHANGE(IDC_WPSD_AUTH, OnAuthenticationChanged)
    ON_CBN_SELCHANGE(IDC_WPSD_ENCR, OnEncryptionChanged)
    ON_CBN_SELCHANGE(IDC_WPSD_KEY_LENGTH, OnKeyLengthChanged)
END_MESSAGE_MAP()

CWpsProfileDetailDlg::CWpsProfileDetailDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_WPS_PROFILE_DETAIL, pMainDlg) {}

void CWpsProfileDetailDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_WPSD_SHOW_PASSWORD, m_bShowPassword);
    DDX_Check(pDX, IDC_WPSD_ASCII, m_bAsciiFormat);
    DDX_Text(pDX, IDC_WPSD_KEY_INDEX_TEXT, m_strKeyIndex);
    DDX_Text(pDX, IDC_WPSD_KEY, m_strKeyMaterial);
    DDX_Text(pDX, IDC_WPSD_KEY_LENGTH_TEXT, m_strKeyLength);
    DDX_Text(pDX, IDC_WPSD_AUTH_TEXT, m_strAuthentication);
    DDX_Text(pDX, IDC_WPSD_ENCR_TEXT, m_strEncryption);
    DDX_Text(pDX, IDC_WPSD_SSID, m_strSsid);
}

BOOL CWpsProfileDetailDlg::OnInitDialog()
{
    m_editSsid.SubclassDlgItem(IDC_WPSD_SSID, this);
    m_editKey.SubclassDlgItem(IDC_WPSD_KEY, this);
    m_comboAuth.SubclassDlgItem(IDC_WPSD_AUTH, this);
    m_comboEncr.SubclassDlgItem(IDC_WPSD_ENCR, this);
    m_comboKeyLength.SubclassDlgItem(IDC_WPSD_KEY_LENGTH, this);
    m_comboKeyIndex.SubclassDlgItem(IDC_WPSD_KEY_INDEX, this);
    m_btnOk.SubclassDlgItem(IDC_WPSD_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_WPSD_CANCEL, this);
    CChildPage::OnInitDialog();

    PlaceControls();
    m_editSsid.LimitText(32);
    m_comboAuth.ResetContent();
    for (const char* item : kAuthItems) m_comboAuth.AddString(item);
    for (const char* item : kKeyLengthItems) m_comboKeyLength.AddString(item);
    for (const char* item : kKeyIndexItems) m_comboKeyIndex.AddString(item);
    return TRUE;
}

void CWpsProfileDetailDlg::PlaceControls()
{
    for (int i = 0; i < 6; ++i)
        PlaceControl(GetDlgItem(IDC_WPSD_LABEL_FIRST + i), kLabelLeft, kRowTop + 2 + i * kRowStep, kLabelWidth, 20, 0);
    PlaceControl(&m_editSsid, kValueLeft, kRowTop, 260, 24, 0);
    CComboBox* combos[4] = { &m_comboAuth, &m_comboEncr, &m_comboKeyLength, &m_comboKeyIndex };
    for (int i = 0; i < 4; ++i) {
        int y = kRowTop + (i + 1) * kRowStep;
        PlaceControl(GetDlgItem(kValueStatics[i]), kValueLeft, y + 2, 260, 20, 0);
        PlaceControl(combos[i], kValueLeft, y, 160, 120, 0);
    }
    PlaceControl(&m_editKey, kValueLeft, kRowTop + 5 * kRowStep, 420, 24, 0);
    const int checkTop = kRowTop + 6 * kRowStep;
    PlaceControl(GetDlgItem(IDC_WPSD_SHOW_PASSWORD), kValueLeft, checkTop, 20, 20, 0);
    PlaceControl(GetDlgItem(IDC_WPSD_SHOW_LABEL), kValueLeft + 22, checkTop + 2, 130, 18, IDS_WPSD_SHOW_PASSWORD);
    PlaceControl(GetDlgItem(IDC_WPSD_ASCII), kValueLeft + 170, checkTop, 20, 20, 0);
    PlaceControl(GetDlgItem(IDC_WPSD_ASCII_LABEL), kValueLeft + 192, checkTop + 2, 130, 18, IDS_WPSD_ASCII_FORMAT);
    PlaceControl(&m_btnOk, 564, 270, 100, 30, IDS_OK);
    PlaceControl(&m_btnCancel, 674, 270, 100, 30, IDS_CANCEL);
    for (CSkinButton* b : { &m_btnOk, &m_btnCancel }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0));
}

// ---- Loading ----------------------------------------------------------------------

void CWpsProfileDetailDlg::LoadCredential(const WpsCredential& c, CWpsPage* page)
{
    m_pWpsPage = page;
    m_bWepKeyPresent = 0;
    m_strHexKey.Empty();
    m_strAsciiKey.Empty();
    m_strKeyMaterial.Empty();
    m_strSsid = TextOf(c.ssid.Ssid, std::min<size_t>(c.ssid.SsidLength, sizeof(c.ssid.Ssid)));
    m_strAuthentication = AuthenticationText(c.AuthType);
    m_strEncryption = EncryptionText(c.EncrType);
    const DWORD length = KeyLengthOf(c);
    m_nKeyLength = (int)length;
    m_strKeyLength.Format("%d", m_nKeyLength);
    m_strKeyIndex.Format("Key#%d", (int)(c.KeyIndex & 0x7FFFFFFF) + 1);
    if (length == 0) return;

    const CString keyText = TextOf(c.Key, length);
    if (c.EncrType != WPS_ENCR_WEP) {
        m_strKeyMaterial = keyText;
        return;
    }
    if (length == 10 || length == 26) {
        m_strHexKey = keyText;
        BYTE bytes[14] = {};
        HexStringToBytes(keyText, bytes, (int)length / 2);
        m_strAsciiKey = TextOf(bytes, length / 2);
    } else if (length == 5 || length == 13) {
        m_strAsciiKey = keyText;
        // Two digits a byte: a byte below 0x10 printed alone would shorten the key.
        for (DWORD i = 0; i < length; ++i) m_strHexKey.AppendFormat("%02x", c.Key[i]);
        m_nKeyLength = (int)length * 2;
        m_strKeyLength.Format("%d", m_nKeyLength);
    }
    m_strKeyMaterial = m_strHexKey;
    m_bWepKeyPresent = 1;
}

int CWpsProfileDetailDlg::KeyLimit() const
{
    return m_editKey.IsWindow() ? (int)m_editKey.SendMessage(EM_GETLIMITTEXT) : 0;
}

void CWpsProfileDetailDlg::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) return;
    UpdateData(FALSE);
    SetEditMode();
    m_editKey.LimitText(kPskLimit);
    m_editKey.SetCharMask(0xFFFF);
    if (g_nWscConfigMode != 0) {
        ShowAsciiPair(FALSE);
        if (Editing()) FillRegistrarControls();
    } else {
        ShowAsciiPair(m_bWepKeyPresent);
    }
}

void CWpsProfileDetailDlg::ShowAsciiPair(BOOL show)
{
    for (UINT id : { IDC_WPSD_ASCII, IDC_WPSD_ASCII_LABEL }) GetDlgItem(id)->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

// A registrar with its credential edits it; everyone else only looks.
BOOL CWpsProfileDetailDlg::Editing() const
{
    return g_nWscConfigMode != 0 && g_WscCredentials.count >= 1;
}

void CWpsProfileDetailDlg::SetEditMode()
{
    BOOL edit = Editing();
    m_editSsid.SetReadOnly(!edit);
    m_editKey.SetReadOnly(!edit);
    for (UINT id : kValueStatics) GetDlgItem(id)->ShowWindow(edit ? SW_HIDE : SW_SHOW);
    for (CComboBox* c : { &m_comboAuth, &m_comboEncr, &m_comboKeyLength, &m_comboKeyIndex })
        c->ShowWindow(edit ? SW_SHOW : SW_HIDE);
}

// ---- Registrar editing ------------------------------------------------------------

void CWpsProfileDetailDlg::FillEncryptionCombo()
{
    m_comboEncr.ResetContent();
    m_comboEncr.AddString(m_bWpaMode ? "TKIP" : "NONE");
    m_comboEncr.AddString(m_bWpaMode ? "AES" : "WEP");
}

BOOL CWpsProfileDetailDlg::SetKeyRule(int limit)
{
    BOOL changed = KeyLimit() != limit;
    m_editKey.LimitText(limit);
    m_editKey.SetCharMask(IsHexLimit(limit) ? FE_HEX : 0xFFFF);
    return changed;
}

void CWpsProfileDetailDlg::EnableKeyCombos(BOOL enable)
{
    m_comboKeyLength.EnableWindow(enable);
    m_comboKeyIndex.EnableWindow(enable);
}

void CWpsProfileDetailDlg::FillRegistrarControls()
{
    const WpsCredential& c = g_WscCredentials.cred[0];
    switch (c.AuthType) {
    case WPS_AUTH_OPEN: m_comboAuth.SetCurSel(AUTH_OPEN); m_bWpaMode = 0; break;
    case WPS_AUTH_WPA_PSK: m_comboAuth.SetCurSel(AUTH_WPA_PSK); m_bWpaMode = 1; break;
    case WPS_AUTH_WPA2_PSK: m_comboAuth.SetCurSel(AUTH_WPA2_PSK); m_bWpaMode = 1; break;
    default: break;
    }
    FillEncryptionCombo();
    m_comboEncr.SetCurSel(c.EncrType == WPS_ENCR_NONE || c.EncrType == WPS_ENCR_TKIP ? 0 : 1);

    m_editKey.SetReadOnly(FALSE);
    if (c.EncrType == WPS_ENCR_WEP) {
        m_comboKeyLength.EnableWindow(TRUE);
        int choice = c.KeyLength == 10 ? 1 : c.KeyLength == 13 ? 2 : c.KeyLength == 26 ? 3 : 0;
        m_comboKeyLength.SetCurSel(choice);
        SetKeyRule(kKeyLengths[choice]);
        m_comboKeyIndex.EnableWindow(TRUE);
        m_comboKeyIndex.SetCurSel((int)std::min<DWORD>(c.KeyIndex & 0x7FFFFFFF, 3));
    } else {
        EnableKeyCombos(FALSE);
        m_comboKeyLength.SetCurSel(0);
        m_comboKeyIndex.SetCurSel(0);
        if (c.EncrType == WPS_ENCR_TKIP || c.EncrType == WPS_ENCR_AES) SetKeyRule(kPskLimit);
        if (c.AuthType == WPS_AUTH_OPEN && c.EncrType == WPS_ENCR_NONE) m_editKey.SetReadOnly(TRUE);
    }
    m_strKeyMaterial = TextOf(c.Key, KeyLengthOf(c));
    UpdateData(FALSE);
}

void CWpsProfileDetailDlg::OnAuthenticationChanged()
{
    int choice = m_comboAuth.GetCurSel();
    int wpa = (choice == AUTH_WPA_PSK || choice == AUTH_WPA2_PSK) ? 1 : 0;
    if (wpa != m_bWpaMode) {
        m_bWpaMode = wpa;
        FillEncryptionCombo();
        m_comboEncr.SetCurSel(0);
    }
    OnEncryptionChanged();
}

void CWpsProfileDetailDlg::OnEncryptionChanged()
{
    const BOOL open = m_comboAuth.GetCurSel() == AUTH_OPEN;
    const CString encryption = ComboText(m_comboEncr);
    if (open && encryption == "NONE") {
        m_editKey.SetWindowText("");
        m_editKey.SetReadOnly(TRUE);
        EnableKeyCombos(FALSE);
    } else if (open && encryption == "WEP") {
        m_editKey.SetReadOnly(FALSE);
        EnableKeyCombos(TRUE);
        OnKeyLengthChanged();
    } else {
        m_editKey.SetReadOnly(FALSE);
        if (KeyLimit() != kPskLimit) m_editKey.SetWindowText("");
        EnableKeyCombos(FALSE);
        SetKeyRule(kPskLimit);
    }
}

void CWpsProfileDetailDlg::OnKeyLengthChanged()
{
    int choice = m_comboKeyLength.GetCurSel();
    if (choice < 0 || choice > 3) choice = 0;
    if (SetKeyRule(kKeyLengths[choice])) m_editKey.SetWindowText("");
}

BOOL CWpsProfileDetailDlg::ValidateKey()
{
    if (m_editKey.GetStyle() & ES_READONLY) return TRUE;
    const int limit = KeyLimit();
    const int length = m_strKeyMaterial.GetLength();
    const char* refusal = nullptr;
    if (limit == kPskLimit) {
        if (length < 8) refusal = kPskRefusal;
    } else {
        for (const KeyRule& r : kKeyRules)
            if (r.limit == limit && length != limit) refusal = r.refusal;
    }
    if (!refusal) return TRUE;
    m_editKey.SetFocus();
    m_strKeyRefusal = refusal;
    m_editKey.m_infoWnd.ShowTip(&m_editKey, m_strKeyRefusal);
    return FALSE;
}

// ---- Buttons ----------------------------------------------------------------------

void CWpsProfileDetailDlg::OnShowPassword()
{
    UpdateData(TRUE);
    m_editKey.SetPasswordChar(m_bShowPassword ? 0 : '*');
    m_editKey.Invalidate();
}

void CWpsProfileDetailDlg::OnAsciiFormat()
{
    UpdateData(TRUE);
    if (m_bAsciiFormat) {
        m_strKeyMaterial = m_strAsciiKey;
        m_strKeyLength.Format("%d", m_nKeyLength / 2);
    } else {
        m_strKeyMaterial = m_strHexKey;
        m_strKeyLength.Format("%d", m_nKeyLength);
    }
    UpdateData(FALSE);
}

void CWpsProfileDetailDlg::OnOk()
{
    UpdateData(TRUE);
    if (Editing()) {
        if (!ValidateKey()) return;
        WpsCredential& c = g_WscCredentials.cred[0];
        std::memset(&c.ssid, 0, sizeof(c.ssid));
        c.ssid.SsidLength = (ULONG)std::min<int>(m_strSsid.GetLength(), sizeof(c.ssid.Ssid));
        std::memcpy(c.ssid.Ssid, m_strSsid.GetString(), c.ssid.SsidLength);
        std::memset(c.Key, 0, sizeof(c.Key));
        const CString encryption = ComboText(m_comboEncr);
        const int auth = m_comboAuth.GetCurSel();
        if (auth == AUTH_WPA_PSK || auth == AUTH_WPA2_PSK) {
            c.AuthType = auth == AUTH_WPA_PSK ? WPS_AUTH_WPA_PSK : WPS_AUTH_WPA2_PSK;
            c.EncrType = encryption == "AES" ? WPS_ENCR_AES : WPS_ENCR_TKIP;
            c.KeyIndex = 0;
            c.KeyLength = (DWORD)std::min<int>(m_strKeyMaterial.GetLength(), sizeof(c.Key));
        } else {
            c.AuthType = WPS_AUTH_OPEN;
            c.EncrType = encryption == "WEP" ? WPS_ENCR_WEP : WPS_ENCR_NONE;
            int length = m_comboKeyLength.GetCurSel();
            c.KeyLength = kKeyLengths[length >= 0 && length <= 3 ? length : 0];
            c.KeyIndex = (DWORD)std::max(0, m_comboKeyIndex.GetCurSel());
        }
        std::memcpy(c.Key, m_strKeyMaterial.GetString(),
                    std::min<size_t>(m_strKeyMaterial.GetLength(), sizeof(c.Key)));
        g_nWpsCredIndex = 0;
        g_nWpsCredNext = 0;
        if (m_pWpsPage && m_pWpsPage->IsWindow()) {
            m_pWpsPage->EmptyProfileList();
            SaveWscFlag();
            m_pWpsPage->FillWpsProfileList();
        }
    }
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}

void CWpsProfileDetailDlg::OnCancelButton()
{
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}
