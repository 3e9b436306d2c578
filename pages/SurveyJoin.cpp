// Joining the network chosen on the site survey: at once when it is open,
// through the hidden-SSID panel when it hides its name, through the
// connect-settings panel when it is secured, or into the profile editor
// ("Add To Profile").  A one-off connection lives only in the record that
// goes to the engine: nothing of it is written to the registry.
#include "pages/SiteSurveyPage.h"

#include <algorithm>
#include <cstring>

#include "auth/SupplicantBinding.h"
#include "core/BssIeFormatter.h"
#include "core/EngineDoor.h"
#include "core/HexUtil.h"
#include "core/PasswordHash.h"
#include "core/StationConfig.h"
#include "core/WpsRuntime.h"
#include "core/ZeroConfig.h"
#include "pagebase/PanelDoor.h"
#include "pages/ConnectSettingsDlg.h"
#include "pages/EapSettingsDlg.h"
#include "pages/HiddenSsidDlg.h"
#include "pages/ProfileEditDlg.h"
#include "widgets/MessageBoxDlg.h"

namespace {

bool NeedsPort(DWORD code) { return code >= 1 && code <= 5; }

// A text into a fixed field, cut to leave room for its terminator.
template <size_t N>
void CopyText(char (&field)[N], const CString& text)
{
    size_t n = std::min<size_t>((size_t)text.GetLength(), N - 1);
    std::memcpy(field, text.GetString(), n);
    field[n] = 0;
}

void CopyText(StationText256& field, const CString& text)
{
    CopyText(field.text, text);
    field.length = (DWORD)std::strlen(field.text);
}

void CopyCertificate(DWORD* length, BYTE (&data)[152], int have, const BYTE* bytes)
{
    DWORD n = (DWORD)std::clamp(have, 0, (int)sizeof(data));
    std::memcpy(data, bytes, n);
    *length = n;
}

// TKIP (4) or AES (6) by the encryption choice; other choices leave it.
void ApplyWpaCipher(int choice, DWORD* encr)
{
    if (choice == ENCR_CHOICE_TKIP) *encr = Ndis802_11Encryption2Enabled;
    else if (choice == ENCR_CHOICE_AES) *encr = Ndis802_11Encryption3Enabled;
}

// The SSID structure of an entry with its length held to its 32 bytes.
NDIS_802_11_SSID EntrySsidStruct(const NDIS_WLAN_BSSID_EX* e)
{
    NDIS_802_11_SSID s = {};
    s.SsidLength = std::min<ULONG>(e->Ssid.SsidLength, sizeof(s.Ssid));
    std::memcpy(s.Ssid, e->Ssid.Ssid, s.SsidLength);
    return s;
}

template <typename T>
T* Panel(int n)
{
    return g_pPanelDoor ? static_cast<T*>(g_pPanelDoor->OpenedPanel(n)) : nullptr;
}

}  // namespace

DWORD CSiteSurveyPage::AuthTextToCode(const CString& text)
{
    static const struct { const char* text; DWORD code; } kCodes[] = {
        { "WPA-NONE", 3 }, { "WPA", 1 }, { "WPA-PSK", 2 }, { "WPA2", 4 }, { "WPA2-PSK", 5 },
        { "WPA+WPA2", 4 }, { "WPA-PSK+WPA2-PSK", 5 },
    };
    for (const auto& c : kCodes)
        if (text == c.text) return c.code;
    return 0;
}

void CSiteSurveyPage::ResetSecuritySettings()
{
    m_pending.Reset();
}

void CSiteSurveyPage::DropPendingJoin()
{
    m_pJoinRecord.reset();
}

void CSiteSurveyPage::SayJoinNotStarted()
{
    ShowMessageDlg(StringFromTable(IDS_JOIN_NOT_STARTED));
}

BOOL CSiteSurveyPage::TakeChosenNetwork()
{
    const NDIS_WLAN_BSSID_EX* e = ChooseFocusedRow();
    if (!e) return FALSE;
    // The whole entry, and never less than the structure that the joins read.
    m_chosenEntry.assign(std::max<size_t>(e->Length, sizeof(NDIS_WLAN_BSSID_EX)), 0);
    std::memcpy(m_chosenEntry.data(), e, e->Length);
    const NDIS_WLAN_BSSID_EX* chosen = reinterpret_cast<const NDIS_WLAN_BSSID_EX*>(m_chosenEntry.data());
    m_pChosenBss = chosen;

    std::vector<CString> fields;
    CString security = FormatBssIeInfo(chosen, BSS_IE_SECURITY);
    SplitString(security, ";", fields);
    m_strChosenAuthText = fields.size() > 0 ? fields[0] : CString();
    m_strChosenCipherText = fields.size() > 1 ? fields[1] : CString();
    m_bNeedsSettings = (chosen->Privacy != 0 || security != "Unknown;None") ? 1 : 0;
    m_dwSecurityCode = m_dwJoinSecurityCode = AuthTextToCode(m_strChosenAuthText);
    return TRUE;
}

ChosenNetworkSecurity CSiteSurveyPage::ChosenSecurity() const
{
    ChosenNetworkSecurity c;
    const NDIS_WLAN_BSSID_EX* e = JoinEntry();
    c.infrastructure = e ? (int)e->InfrastructureMode : 1;
    c.secured = m_bNeedsSettings == 1;
    c.authCode = m_dwJoinSecurityCode;
    c.cipher = m_strChosenCipherText;
    return c;
}

void CSiteSurveyPage::OnConnect()
{
    BeginOneOffJoin();
    m_dwSecurityCode = 0;
    if (g_nWzcMode == WZC_MANAGES) return;
    if (m_list.GetFocusedItem() < 0) {
        ChooseFocusedRow();
        return;
    }
    UpdateButtons();
    if (!m_btnConnect.IsWindowEnabled()) return;

    // A new join begins here; until then a join whose panel is open goes on.
    if (!TakeChosenNetwork()) return;
    m_bHidden = 0;
    m_pJoinRecord.reset(AllocStationConfig());
    if (!m_pJoinRecord) return;
    m_dwChosenAuthMode = Ndis802_11AuthModeOpen;
    m_dwChosenEncryption = Ndis802_11EncryptionDisabled;

    // Connect is greyed for these; a click that gets here anyway stops
    // silently, and Connect greys now that the code is known.
    if (g_hAuthPort == 0 && NeedsPort(m_dwSecurityCode)) {
        DropPendingJoin();
        UpdateButtons();
        return;
    }

    const NDIS_WLAN_BSSID_EX* e = JoinEntry();
    if (e->InfrastructureMode == Ndis802_11Infrastructure && e->Ssid.SsidLength == 0) {
        m_bHidden = 1;
        ShowHiddenSsidPanel();
    } else if (m_bNeedsSettings == 1) {
        ShowConnectSettingsPanel();
    } else {
        ConnectChosenNetwork();
    }
}

void CSiteSurveyPage::OnAddToProfile()
{
    if (!TakeChosenNetwork()) return;
    m_dwChosenAuthMode = Ndis802_11AuthModeOpen;
    m_dwChosenEncryption = Ndis802_11EncryptionDisabled;
    // The editor takes the place of any panel that was asking for a join.
    DropPendingJoin();
    OpenProfileEditorFromSurvey();
}

void CSiteSurveyPage::ShowHiddenSsidPanel()
{
    if (CHiddenSsidDlg* panel = Panel<CHiddenSsidDlg>(PANEL_HIDDEN_SSID)) panel->m_pSurvey = this;
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_HIDDEN_SSID);
}

void CSiteSurveyPage::ShowConnectSettingsPanel()
{
    CConnectSettingsDlg* panel = Panel<CConnectSettingsDlg>(PANEL_CONNECT_SETTINGS);
    if (!panel) return;
    panel->m_pSurvey = this;
    if (CAuthSecurityPage* sec = panel->SecurityTab()) {
        sec->m_bInProfileEditor = FALSE;
        sec->LoadFromBss(ChosenSecurity());
    }
    if (CEapSettingsDlg* eap = panel->Dot1xTab()) eap->ResetSettings();
    g_pPanelDoor->ShowPanel(PANEL_CONNECT_SETTINGS);
}

void CSiteSurveyPage::OpenProfileEditorFromSurvey()
{
    CProfileEditDlg* editor = Panel<CProfileEditDlg>(PANEL_PROFILE_EDIT);
    if (!editor || !JoinEntry()) return;
    editor->PrepareFromSurvey(JoinEntry(), ChosenSecurity());
    g_pPanelDoor->ShowPanel(PANEL_PROFILE_EDIT);
}

// ---- The record of the join ------------------------------------------------------

void CSiteSurveyPage::FillDot1x(StationConfig* r) const
{
    const Dot1xSettings& d = m_pending.dot1x;
    r->use8021x = 1;
    r->eapMethod = (DWORD)d.eapMethod;
    r->innerMethod = (DWORD)d.tunnelEapType;
    r->provisioningTunnel = (DWORD)d.provisioningEapType;
    r->ttlsInnerMethod = (DWORD)d.ttlsInnerMethod;
    r->sessionResumption = (DWORD)d.sessionResumption;
    CopyText(r->identity, d.identity);
    CopyText(r->password, d.password);
    CopyText(r->tunnelId, d.tunnelId);
    CopyText(r->tunnelPassword, d.tunnelPassword);
    CopyText(r->domainName, d.domainName);
    r->passwordMode = (DWORD)d.passwordMode;
    r->useClientCert = (DWORD)d.useClientCert;
    r->useServerCert = (DWORD)d.useServerCert;
    r->usePac = (DWORD)d.usePac;
    r->provisionMode = (DWORD)d.provisionMode;
    CopyText(r->pacFilePath, d.pacFilePath);
    if (d.useClientCert) CopyCertificate(&r->clientCertLength, r->clientCert, d.clientCertLength, d.clientCert);
    if (d.useServerCert) {
        r->intermediateCert = (DWORD)d.intermediateCert;
        r->nameRule = (DWORD)d.nameRule;
        CopyText(r->serverName, d.serverName);
        CopyCertificate(&r->serverCertLength, r->serverCert, d.serverCertLength, d.serverCert);
    }
}

void CSiteSurveyPage::FillLeap(StationConfig* r)
{
    m_dwChosenAuthMode = Ndis802_11AuthModeOpen;
    m_dwChosenEncryption = Ndis802_11WEPEnabled;
    // With CCX the LEAP cipher may be a WPA one.
    if (m_pending.ccxBit0) {
        if (m_pending.leapCipher == 1) m_dwChosenEncryption = Ndis802_11Encryption2Enabled;
        else if (m_pending.leapCipher == 2) m_dwChosenEncryption = Ndis802_11Encryption3Enabled;
    }
    r->leapEnabled = 1;
    r->leapCckm = m_pending.ccxBit1 ? 1 : 0;
    CopyText(r->leapUserName, m_pending.leapIdentity);
    CopyText(r->leapPassword, m_pending.leapPassword);
    CopyText(r->leapDomain, m_pending.leapDomain);
}

BOOL CSiteSurveyPage::FillPreSharedKey(StationConfig* r)
{
    const CString& key = m_pending.preSharedKey;
    if (m_pending.authentication == AUTH_CHOICE_WPA_NONE) {
        m_dwChosenAuthMode = Ndis802_11AuthModeWPANone;
        r->authMode = m_dwChosenAuthMode;
        BYTE material[40] = {};
        BOOL made;
        if (key.GetLength() == 64) {
            // 64 characters are the key itself, but only as hex digits.
            made = IsHexString(key, 64) && HexStringToBytes(key, material, 32) == 32;
        } else {
            NDIS_802_11_SSID ssid = m_bHidden ? m_pendingSsid : EntrySsidStruct(JoinEntry());
            made = PasswordHash(key, ssid.Ssid, (int)std::min<ULONG>(ssid.SsidLength, 32), material);
        }
        // Without its key the network must not be joined: an all-zero key
        // would go to the driver as if it were the right one.
        if (!made || !SetStationWpaNoneKey(r, material)) return FALSE;
    } else {
        m_dwChosenAuthMode =
            m_pending.authentication == AUTH_CHOICE_WPA2_PSK ? Ndis802_11AuthModeWPA2PSK : Ndis802_11AuthModeWPAPSK;
        DWORD n = (DWORD)std::min(key.GetLength(), (int)sizeof(r->wpaPsk));
        std::memcpy(r->wpaPsk, key.GetString(), n);
        r->wpaPskLength = n;
    }
    ApplyWpaCipher(m_pending.encryption, &m_dwChosenEncryption);
    return TRUE;
}

BOOL CSiteSurveyPage::FillWep(StationConfig* r)
{
    m_dwChosenAuthMode = m_pending.authentication == AUTH_CHOICE_SHARED ? Ndis802_11AuthModeShared
                                                                       : Ndis802_11AuthModeOpen;
    m_dwChosenEncryption =
        m_pending.encryption == ENCR_CHOICE_NONE ? Ndis802_11EncryptionDisabled : Ndis802_11WEPEnabled;
    // The record owns WEP keys by its authentication and encryption: set
    // them first, so that every key made here is freed with it.
    r->authMode = m_dwChosenAuthMode;
    r->encryption = m_dwChosenEncryption;
    for (int i = 0; i < 4; ++i) {
        int n = m_pending.keyLength[i];
        if (n <= 0 || n >= kWepKeySlot) continue;
        if (!SetStationWepKey(r, i, m_pending.defaultKey == i, m_pending.keyBytes[i], (DWORD)n)) return FALSE;
    }
    return TRUE;
}

BOOL CSiteSurveyPage::ConnectChosenNetwork()
{
    const NDIS_WLAN_BSSID_EX* e = JoinEntry();
    if (!m_pJoinRecord || !e) return FALSE;
    StationConfig* r = m_pJoinRecord.get();
    const int a = m_pending.authentication;
    BOOL infrastructure = e->InfrastructureMode == Ndis802_11Infrastructure;
    BOOL adhoc = e->InfrastructureMode == Ndis802_11IBSS;

    if (e->Privacy != 0 || NeedsPort(m_dwJoinSecurityCode)) {
        BOOL wpa8021x = infrastructure && (a == AUTH_CHOICE_WPA || a == AUTH_CHOICE_WPA2);
        BOOL wep8021x = (a == AUTH_CHOICE_OPEN || a == AUTH_CHOICE_SHARED) && m_pending.use8021x;
        if (g_hAuthPort && (wpa8021x || wep8021x)) {
            FillDot1x(r);
            if (wpa8021x) {
                m_dwChosenAuthMode = a == AUTH_CHOICE_WPA ? Ndis802_11AuthModeWPA : Ndis802_11AuthModeWPA2;
                ApplyWpaCipher(m_pending.encryption, &m_dwChosenEncryption);
            }
        }
        BOOL usable = TRUE;
        if (infrastructure && a == AUTH_CHOICE_LEAP) {
            FillLeap(r);
        } else if ((infrastructure && (a == AUTH_CHOICE_WPA_PSK || a == AUTH_CHOICE_WPA2_PSK)) ||
                   (adhoc && a == AUTH_CHOICE_WPA_NONE)) {
            usable = FillPreSharedKey(r);
        } else if (a == AUTH_CHOICE_SHARED || (a == AUTH_CHOICE_OPEN && m_pending.encryption == ENCR_CHOICE_WEP)) {
            usable = FillWep(r);
        }
        if (!usable) {
            DropPendingJoin();
            return FALSE;
        }
    }

    r->authMode = m_dwChosenAuthMode;
    r->encryption = m_dwChosenEncryption;
    r->disassociateFirst = 1;
    if (!m_bHidden) m_pendingSsid = EntrySsidStruct(e);
    std::memcpy(m_chosenBssid, e->MacAddress, sizeof(m_chosenBssid));
    r->ssid = m_pendingSsid;
    if (e->InfrastructureMode != Ndis802_11IBSS && !m_bHidden) {
        std::memcpy(r->bssid, m_chosenBssid, sizeof(r->bssid));
        r->matchByBssid = 1;
    }
    SetOneOffRadioDefaults(r);
    r->infrastructureMode = e->InfrastructureMode;
    r->adhocChannelKHz = e->Configuration.DSConfig;
    QueueOneOffJoin(m_pJoinRecord.release());
    return TRUE;
}
