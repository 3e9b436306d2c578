#include "pages/CredentialPromptDlg.h"

#include <cstring>
#include <utility>

#include "auth/SupplicantBinding.h"
#include "core/EngineDoor.h"
#include "core/OidChannel.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "pagebase/PanelDoor.h"
#include "widgets/MessageBoxDlg.h"

namespace {

enum { METHOD_PEAP = 0, METHOD_TLS = 1, METHOD_TTLS = 2, METHOD_FAST = 3, METHOD_MD5 = 4, METHOD_LEAP = 5 };
// g_nAuthFailReason
enum { FAIL_TIMEOUT = 0, FAIL_BAD_CREDENTIAL = 1, FAIL_UNKNOWN = 2 };

// The time-out sentence of each method.
const UINT kTimeoutMessages[] = { IDS_PROMPT_TIMEOUT_PEAP, IDS_PROMPT_TIMEOUT_TLS,  IDS_PROMPT_TIMEOUT_TTLS,
                                  IDS_PROMPT_TIMEOUT_FAST, IDS_PROMPT_TIMEOUT_MD5, IDS_PROMPT_TIMEOUT_LEAP };

// Layout (pixels of the panel's client area): label and value columns, one
// row per item.
const int kLabelLeft = 40, kLabelWidth = 150, kValueLeft = 200, kValueWidth = 540, kEditWidth = 260;
const int kRowHeight = 22;
const int kCardTop = 16, kProfileTop = 40, kMessageTop = 64, kMessageHeight = 48;
const int kIdentityTop = 120, kPasswordTop = 152, kDomainTop = 184;
const int kButtonTop = 226, kButtonWidth = 100, kButtonHeight = 30;

struct Row {
    UINT label, value, text;
};
const Row kIdentityRow = { IDC_PROMPT_IDENTITY_LABEL, IDC_PROMPT_IDENTITY, IDS_CRED_TUNNEL_IDENTITY };
const Row kPasswordRow = { IDC_PROMPT_PASSWORD_LABEL, IDC_PROMPT_PASSWORD, IDS_CRED_TUNNEL_PASSWORD };
const Row kDomainRow = { IDC_PROMPT_DOMAIN_LABEL, IDC_PROMPT_DOMAIN, IDS_CRED_DOMAIN };

// The values a re-entry writes: LEAP keeps its own.
struct CredentialValues {
    int identity, password, domain;
};
const CredentialValues kLeapValues = { PV_LEAP_USER_NAME, PV_LEAP_PASSWORD, PV_LEAP_DOMAIN_NAME };

}  // namespace

BEGIN_MESSAGE_MAP(CCredentialPromptDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_PROMPT_OK, OnOK)
    ON_BN_CLICKED(IDC_PROMPT_CANCEL, OnCancel)
END_MESSAGE_MAP()

void CCredentialPromptDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_PROMPT_CARD, m_strCard);
    DDX_Text(pDX, IDC_PROMPT_PROFILE, m_strProfile);
    DDX_Text(pDX, IDC_PROMPT_MESSAGE, m_strMessage);
    DDX_Text(pDX, IDC_PROMPT_IDENTITY, m_strIdentity);
    DDX_Text(pDX, IDC_PROMPT_PASSWORD, m_strPassword);
    DDX_Text(pDX, IDC_PROMPT_DOMAIN, m_strDomain);
}

BOOL CCredentialPromptDlg::OnInitDialog()
{
    m_btnOk.SubclassDlgItem(IDC_PROMPT_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_PROMPT_CANCEL, this);
    CChildPage::OnInitDialog();
    struct { UINT label, value, text; int top, valueWidth, height; } const rows[] = {
        { IDC_PROMPT_CARD_LABEL, IDC_PROMPT_CARD, IDS_CARD_NAME_LABEL, kCardTop, kValueWidth, kRowHeight },
        { IDC_PROMPT_PROFILE_LABEL, IDC_PROMPT_PROFILE, IDS_PROFILE_NAME_LABEL, kProfileTop, kValueWidth, kRowHeight },
        { IDC_PROMPT_MESSAGE_LABEL, IDC_PROMPT_MESSAGE, IDS_PROMPT_MESSAGE, kMessageTop, kValueWidth, kMessageHeight },
        { kIdentityRow.label, kIdentityRow.value, kIdentityRow.text, kIdentityTop, kEditWidth, kRowHeight },
        { kPasswordRow.label, kPasswordRow.value, kPasswordRow.text, kPasswordTop, kEditWidth, kRowHeight },
        { kDomainRow.label, kDomainRow.value, kDomainRow.text, kDomainTop, kEditWidth, kRowHeight },
    };
    for (const auto& r : rows) {
        PlaceControl(GetDlgItem(r.label), kLabelLeft, r.top + 3, kLabelWidth, 18, r.text);
        PlaceControl(GetDlgItem(r.value), kValueLeft, r.top, r.valueWidth, r.height, 0);
    }
    // What is typed is stored: no more than the store reads back.
    for (const Row* r : { &kIdentityRow, &kPasswordRow, &kDomainRow })
        ::SendMessageA(::GetDlgItem(m_hWnd, r->value), EM_LIMITTEXT, kProfileTextMax - 1, 0);
    int okLeft = kValueLeft + kValueWidth - 2 * kButtonWidth - 20;
    PlaceControl(&m_btnOk, okLeft, kButtonTop, kButtonWidth, kButtonHeight, IDS_OK);
    PlaceControl(&m_btnCancel, okLeft + kButtonWidth + 20, kButtonTop, kButtonWidth, kButtonHeight, IDS_CANCEL);
    for (CSkinButton* b : { &m_btnOk, &m_btnCancel }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    ShowRows();
    return TRUE;
}

int CCredentialPromptDlg::Method() const { return g_pCurProfile ? (int)g_pCurProfile->eapMethod : -1; }

void CCredentialPromptDlg::ShowRows()
{
    int method = Method();
    bool identity = m_bCredentialsWanted != FALSE;
    bool password = identity && method >= 0 && method != METHOD_TLS;
    bool domain = identity && (method == METHOD_FAST || method == METHOD_LEAP);
    for (auto shown : { std::make_pair(kIdentityRow, identity), std::make_pair(kPasswordRow, password),
                        std::make_pair(kDomainRow, domain) }) {
        int cmd = shown.second ? SW_SHOW : SW_HIDE;
        ::ShowWindow(::GetDlgItem(m_hWnd, shown.first.label), cmd);
        ::ShowWindow(::GetDlgItem(m_hWnd, shown.first.value), cmd);
    }
}

void CCredentialPromptDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    m_strIdentity.Empty();
    m_strPassword.Empty();
    m_strDomain.Empty();
    if (!show) {
        UpdateData(FALSE);
        return;
    }
    m_strProfile.Empty();
    if (!ReadAdapterText("DriverDesc", m_strCard)) m_strCard.Empty();
    // Only a stored profile has a name; a one-off connection's failure never
    // shows (or writes) the last activated one.
    m_strProfile = PortProfileName();

    int method = Method();
    m_strMessage.Empty();
    m_bCredentialsWanted = FALSE;
    switch (g_nAuthFailReason) {
    case FAIL_UNKNOWN:
        m_strMessage = StringFromTable(IDS_PROMPT_EAP_FAILURE);
        m_bCredentialsWanted = TRUE;
        break;
    case FAIL_BAD_CREDENTIAL:
        m_strMessage = StringFromTable(IDS_PROMPT_BAD_CREDENTIAL);
        m_bCredentialsWanted = TRUE;
        break;
    case FAIL_TIMEOUT:
        if (method >= 0 && method < (int)(sizeof(kTimeoutMessages) / sizeof(kTimeoutMessages[0])))
            m_strMessage = StringFromTable(kTimeoutMessages[method]);
        break;
    default:
        break;
    }
    ShowRows();
    UpdateData(FALSE);
}

void CCredentialPromptDlg::WriteCredentials()
{
    const CredentialValues kOtherValues = { PV_ID, PV_TUNNEL_PASSWORD, PV_DOMAIN_NAME };
    bool leap = Method() == METHOD_LEAP;
    const CredentialValues& v = leap ? kLeapValues : kOtherValues;
    // Adapter key first, then the profile's own key.
    const char* profile = m_strProfile;
    WriteActiveProfileValue(profile, v.identity, m_strIdentity);
    if (!leap) {
        if (Method() == METHOD_MD5) WriteActiveProfileValue(profile, PV_PASSWORD, m_strPassword);
        WriteActiveProfileValue(profile, PV_TUNNEL_ID, m_strIdentity);
    }
    WriteActiveProfileValue(profile, v.password, m_strPassword);
    WriteActiveProfileValue(profile, v.domain, m_strDomain);
}

void CCredentialPromptDlg::OnOK()
{
    UpdateData(TRUE);
    if (m_bCredentialsWanted) {
        if (m_strIdentity.IsEmpty()) {
            ShowMessageDlg("Must input Identity");
            return;
        }
        if (m_strPassword.IsEmpty() && Method() != METHOD_TLS) {
            ShowMessageDlg("Must input Password");
            return;
        }
    }
    bool retry = (g_nAuthFailReason == FAIL_BAD_CREDENTIAL || g_nAuthFailReason == FAIL_UNKNOWN) &&
                 m_bCredentialsWanted && PortConfiguredForStoredProfile();
    if (retry) WriteCredentials();
    ResumeAutoConnect();
    if (retry) {
        // The port still holds the credentials that failed: the stored
        // configuration, now with what was typed, is applied again.
        ApplyStoredConfiguration();
    } else if (g_pAuthPort) {
        NDIS_802_11_SSID ssid = {};
        DWORD length = g_pAuthPort->assocParams.ssidLength;
        ssid.SsidLength = length > 32 ? 32 : length;
        std::memcpy(ssid.Ssid, g_pAuthPort->assocParams.ssid, ssid.SsidLength);
        SetOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr, 3);
    }
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}

void CCredentialPromptDlg::OnCancel()
{
    StopAutoConnect();
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}
