#include "pages/EapSettingsDlg.h"

#include <algorithm>
#include <cstring>

#include "pages/AuthSecurityPage.h"
#include "pages/PageControls.h"
#include "widgets/MessageBoxDlg.h"
#include "widgets/TabContainerDlg.h"
#include "resource.h"

namespace {

// Sent by the method button before its menu opens.
const UINT WM_INIT_METHOD_MENU = WM_USER + 106;

const UINT kMethodCommands[CEapSettingsDlg::EAP_METHOD_COUNT] = { ID_EAP_PEAP, ID_EAP_TLS, ID_EAP_TTLS, ID_EAP_FAST,
                                                                  ID_EAP_MD5 };
const char* const kMethodTexts[CEapSettingsDlg::EAP_METHOD_COUNT] = { "PEAP", "TLS/SmartCard", "TTLS", "EAP-FAST",
                                                                      "MD5-Challenge" };
const UINT kInnerCommands[CEapSettingsDlg::INNER_COUNT] = { ID_INNER_MSCHAPV2, ID_INNER_TLS, ID_INNER_GTC };
const char* const kInnerTexts[CEapSettingsDlg::INNER_COUNT] = { "EAP-MSCHAP v2", "EAP-TLS/SmartCard",
                                                                "Generic Token Card" };
// The inner methods as EAP types (also the EAP-FAST provisioning tunnels).
const int kInnerEapTypes[CEapSettingsDlg::INNER_COUNT] = { 26, 13, 6 };
const UINT kTtlsCommands[CEapSettingsDlg::TTLS_COUNT] = { ID_TTLS_CHAP, ID_TTLS_MSCHAP, ID_TTLS_MSCHAPV2, ID_TTLS_PAP,
                                                          ID_TTLS_EAPMD5 };
const char* const kTtlsTexts[CEapSettingsDlg::TTLS_COUNT] = { "CHAP", "MS-CHAP", "MS-CHAP-V2", "PAP", "EAP-MD5" };

// Layout (pixels of the dialog's client area).
const int kRowTop = 4, kRowHeight = 24;
// The editor shows 225 pixels of its tab pages.
const int kTabsTop = 34, kTabsWidth = 754, kTabsHeight = 191;
const CRect kPageRect(0, 29, 754, 191);
const int kTabLeft = 10, kTabTop = 2, kTabWidth = 170, kTabHeight = 25;

int IndexOf(const UINT* ids, int count, UINT id)
{
    for (int i = 0; i < count; ++i)
        if (ids[i] == id) return i;
    return -1;
}

// An inner method from its EAP type; -1 for another type.
int InnerOfEapType(int type)
{
    for (int i = 0; i < CEapSettingsDlg::INNER_COUNT; ++i)
        if (kInnerEapTypes[i] == type) return i;
    return -1;
}

void CopyHash(const CERT_INFO_RECORD& r, int* length, BYTE* out)
{
    DWORD n = std::min<DWORD>(r.hashLength, kCertDataMax);
    std::memset(out, 0, kCertDataMax);
    std::memcpy(out, r.hash, n);
    *length = (int)n;
}

}  // namespace

BOOL IsUsableDomainName(const CString& name)
{
    int dot = name.Find('.');
    return dot > 0 && dot < name.GetLength() - 1;
}

BEGIN_MESSAGE_MAP(CEapSettingsDlg, CChildPage)
    ON_MESSAGE(WM_INIT_METHOD_MENU, OnInitMethodMenu)
    ON_COMMAND_RANGE(ID_EAP_PEAP, ID_EAP_TTLS, OnMethod)
    ON_COMMAND_RANGE(ID_EAP_FAST, ID_EAP_FAST, OnMethod)
    ON_COMMAND_RANGE(ID_EAP_MD5, ID_EAP_MD5, OnMethod)
    ON_COMMAND_RANGE(ID_INNER_MSCHAPV2, ID_INNER_GTC, OnInner)
    ON_COMMAND_RANGE(ID_TTLS_CHAP, ID_TTLS_EAPMD5, OnTtlsInner)
    ON_BN_CLICKED(IDC_EAP_SESSION, OnSessionClicked)
    ON_WM_SHOWWINDOW()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CEapSettingsDlg::CEapSettingsDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_EAP_SETTINGS, pMainDlg) {}

CEapSettingsDlg::~CEapSettingsDlg()
{
    // The pages and tab buttons are children of the container: they go first.
    delete m_pCredentialPage;
    delete m_pPacPage;
    delete m_pClientCertPage;
    delete m_pServerCertPage;
    for (CSkinButton*& b : m_pTabButtons) {
        delete b;
        b = nullptr;
    }
    delete m_pTabs;
}

BOOL CEapSettingsDlg::OnInitDialog()
{
    m_btnMethod.SubclassDlgItem(IDC_EAP_METHOD, this);
    m_btnTunnel.SubclassDlgItem(IDC_EAP_TUNNEL, this);
    m_checkSession.SubclassDlgItem(IDC_EAP_SESSION, this);

    PlaceControl(GetDlgItem(IDC_EAP_LABEL_METHOD), 10, kRowTop + 3, 98, 18, IDS_EAP_METHOD_LABEL);
    PlaceControl(&m_btnMethod, 110, kRowTop, 150, kRowHeight, 0);
    PlaceControl(GetDlgItem(IDC_EAP_LABEL_TUNNEL), 275, kRowTop + 3, 148, 18, IDS_EAP_TUNNEL_LABEL);
    PlaceControl(&m_btnTunnel, 425, kRowTop, 165, kRowHeight, 0);
    PlaceControl(&m_checkSession, 600, kRowTop - 3, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_EAP_LABEL_SESSION), 634, kRowTop + 3, 118, 18, 0);

    StyleMenuButton(m_btnMethod, IDR_MENU_EAP_METHOD, m_hWnd);
    m_btnMethod.SetMenuCallback(m_hWnd, WM_INIT_METHOD_MENU);
    StyleMenuButton(m_btnTunnel, IDR_MENU_EAP_INNER, m_hWnd);
    m_nTunnelMenu = IDR_MENU_EAP_INNER;
    StyleCheck(m_checkSession, FALSE);
    CChildPage::OnInitDialog();

    m_pTabs = new CTabContainerDlg(IDD_TAB_CONTAINER, this);
    if (!m_pTabs->Create(IDD_TAB_CONTAINER, this)) return TRUE;
    m_pTabs->SetWindowPos(nullptr, 0, kTabsTop, kTabsWidth, kTabsHeight, SWP_NOZORDER);
    m_pTabs->ShowWindow(SW_SHOW);
    if (!CreateTabs()) return TRUE;
    m_pTabs->PlacePages(kPageRect, kTabWidth, kTabHeight, TAB_CREDENTIAL);
    ResetSettings();
    return TRUE;
}

BOOL CEapSettingsDlg::CreateTabs()
{
    CreateTabFont(m_tabFont, 20);

    m_pCredentialPage = new CTunnelCredentialPage(m_pMainDlg);
    m_pPacPage = new CEapFastPacPage(m_pMainDlg);
    m_pClientCertPage = new CClientCertPage(m_pMainDlg);
    m_pServerCertPage = new CServerCertPage(m_pMainDlg);
    struct { UINT id; CString text; CEapPage* page; } const tabs[TAB_COUNT] = {
        { IDC_EAP_TAB_CREDENTIAL, StringFromTable(IDS_TAB_ID_PASSWORD), m_pCredentialPage },
        { IDC_EAP_TAB_FAST, StringFromTable(IDS_TAB_EAP_FAST), m_pPacPage },
        { IDC_EAP_TAB_CLIENT_CERT, StringFromTable(IDS_TAB_CLIENT_CERT), m_pClientCertPage },
        { IDC_EAP_TAB_SERVER_CERT, StringFromTable(IDS_TAB_SERVER_CERT), m_pServerCertPage },
    };
    for (int i = 0; i < TAB_COUNT; ++i) {
        int x = kTabLeft + i * kTabWidth;
        m_pTabButtons[i] = AddSkinnedTab(m_pTabs, tabs[i].page, tabs[i].id, tabs[i].text,
                                         CRect(x, kTabTop, x + kTabWidth, kTabTop + kTabHeight), &m_tabFont);
        if (!m_pTabButtons[i]) return FALSE;
        tabs[i].page->m_pOwnTabButton = m_pTabButtons[i];
    }
    return TRUE;
}

void CEapSettingsDlg::DoDataExchange(CDataExchange* pDX)
{
    int session = m_bSessionResumption;
    DDX_Check(pDX, IDC_EAP_SESSION, session);
    m_bSessionResumption = session ? TRUE : FALSE;
}

void CEapSettingsDlg::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    DrawTopLine(&dc, rc.Width());
    // The method row's separator above the tabs.
    dc.Draw3dRect(0, kTabsTop - 3, rc.Width(), 2, ::GetSysColor(COLOR_3DSHADOW), ::GetSysColor(COLOR_3DHILIGHT));
}

void CEapSettingsDlg::SetButtonText(COwnerDrawButton& button, const char* text)
{
    if (!button.IsWindow()) return;
    button.SetWindowText(text);
    button.Invalidate();
}

// ---- Loaders ---------------------------------------------------------------------------------

void CEapSettingsDlg::ResetSettings()
{
    m_bSessionResumption = FALSE;
    m_nInnerMethod = INNER_MSCHAPV2;
    m_nTtlsInnerMethod = TTLS_MSCHAPV2;
    if (!m_pCredentialPage || !IsWindow()) return;
    m_pCredentialPage->Reset();
    m_pPacPage->Reset();
    m_pClientCertPage->Reset();
    m_pServerCertPage->Reset();
    UpdateData(FALSE);
    OnMethod(ID_EAP_PEAP);
}

void CEapSettingsDlg::LoadFromProfile(const Dot1xSettings& d)
{
    if (!m_pCredentialPage || !IsWindow()) return;
    m_nOuterMethod = (d.eapMethod >= 0 && d.eapMethod < EAP_METHOD_COUNT) ? d.eapMethod : EAP_PEAP;
    int inner = InnerOfEapType(d.tunnelEapType);
    m_nInnerMethod = inner >= 0 ? inner : INNER_MSCHAPV2;
    m_nTtlsInnerMethod = (d.ttlsInnerMethod >= 1 && d.ttlsInnerMethod <= TTLS_COUNT) ? d.ttlsInnerMethod - 1
                                                                                      : TTLS_MSCHAPV2;
    m_bSessionResumption = d.sessionResumption != 0;
    UpdateData(FALSE);

    CTunnelCredentialPage& cred = *m_pCredentialPage;
    cred.m_strIdentity = d.identity;
    cred.m_strPassword = d.password;
    cred.m_strTunnelId = d.tunnelId;
    cred.m_strTunnelPassword = d.tunnelPassword;
    cred.m_strDomain = d.domainName;
    cred.m_nPasswordMode = d.passwordMode == 0 ? CTunnelCredentialPage::PASSWORD_MODE_SOFT_TOKEN
                                               : CTunnelCredentialPage::PASSWORD_MODE_STATIC;
    cred.UpdateData(FALSE);

    CEapFastPacPage& pac = *m_pPacPage;
    pac.Reset();
    pac.m_bAllowUnauthenticated = d.provisionMode == 1;
    pac.m_bUseProtectedCredential = d.usePac == 1;
    int tunnel = InnerOfEapType(d.provisioningEapType);
    pac.m_nProvisioningTunnel = tunnel >= 0 ? tunnel : CEapFastPacPage::TUNNEL_MSCHAPV2;
    pac.m_strPacFilePath = d.pacFilePath;
    pac.Refresh();

    CClientCertPage& client = *m_pClientCertPage;
    client.Reset();
    client.m_bUseClientCert = d.useClientCert != 0;
    client.UpdateCertControls();
    if (d.clientCertLength > 0) client.SelectByHash(d.clientCert, (DWORD)d.clientCertLength);

    CServerCertPage& server = *m_pServerCertPage;
    server.Reset();
    server.m_bUseServerCert = d.useServerCert != 0;
    server.m_bAllowIntermediate = d.intermediateCert != 0;
    server.m_nNameRule = d.nameRule != 0 ? 1 : 0;
    server.m_strServerName = d.serverName;
    server.UpdateCertControls();
    if (d.serverCertLength > 0) server.SelectByHash(d.serverCert, (DWORD)d.serverCertLength);

    ApplyMethodSelection();
}

void CEapSettingsDlg::ApplyMethodSelection()
{
    int outer = m_nOuterMethod, inner = m_nInnerMethod, ttls = m_nTtlsInnerMethod;
    if (outer < 0 || outer >= EAP_METHOD_COUNT) outer = EAP_PEAP;
    OnMethod(kMethodCommands[outer]);
    if ((outer == EAP_PEAP || outer == EAP_FAST) && inner >= 0 && inner < INNER_COUNT) OnInner(kInnerCommands[inner]);
    if (outer == EAP_TTLS && ttls >= 0 && ttls < TTLS_COUNT) OnTtlsInner(kTtlsCommands[ttls]);
    UpdateData(FALSE);
}

void CEapSettingsDlg::StoreSettings(Dot1xSettings& d) const
{
    if (!m_pCredentialPage) return;
    d.eapMethod = m_nOuterMethod;
    d.tunnelEapType = kInnerEapTypes[m_nInnerMethod >= 0 && m_nInnerMethod < INNER_COUNT ? m_nInnerMethod : 0];
    d.ttlsInnerMethod = m_nTtlsInnerMethod + 1;
    d.sessionResumption = m_bSessionResumption ? 1 : 0;

    const CTunnelCredentialPage& cred = *m_pCredentialPage;
    d.identity = cred.m_strIdentity;
    d.password = cred.m_strPassword;
    d.tunnelId = cred.m_strTunnelId;
    d.tunnelPassword = cred.m_strTunnelPassword;
    d.domainName = cred.m_strDomain;
    d.passwordMode = cred.m_nPasswordMode;

    const CClientCertPage& client = *m_pClientCertPage;
    d.useClientCert = client.m_bUseClientCert ? 1 : 0;
    CopyHash(client.m_selected, &d.clientCertLength, d.clientCert);

    const CServerCertPage& server = *m_pServerCertPage;
    d.useServerCert = server.m_bUseServerCert ? 1 : 0;
    d.intermediateCert = server.m_bAllowIntermediate ? 1 : 0;
    d.nameRule = server.m_nNameRule;
    d.serverName = server.m_strServerName;
    CopyHash(server.m_selected, &d.serverCertLength, d.serverCert);

    const CEapFastPacPage& pac = *m_pPacPage;
    d.provisionMode = pac.m_bAllowUnauthenticated ? 1 : 0;
    d.usePac = pac.m_bUseProtectedCredential ? 1 : 0;
    d.pacFilePath = pac.m_strPacFilePath;
    // The provisioning tunnel in the numbering of the inner methods.
    if (m_nOuterMethod == EAP_FAST) d.provisioningEapType = kInnerEapTypes[pac.m_nProvisioningTunnel];
}

// ---- Menus ---------------------------------------------------------------------------------------

LRESULT CEapSettingsDlg::OnInitMethodMenu(WPARAM wParam, LPARAM)
{
    HMENU menu = (HMENU)wParam;
    if (!menu) return 0;
    for (UINT id : { ID_EAP_PEAP, ID_EAP_TLS, ID_EAP_TTLS, ID_EAP_FAST })
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | MF_ENABLED);
    ::EnableMenuItem(menu, ID_EAP_MD5, MF_BYCOMMAND | (m_bMd5Allowed ? MF_ENABLED : MF_GRAYED));
    return 0;
}

void CEapSettingsDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    if (!show || !m_pSecurityPage) return;
    const CAuthSecurityPage& sec = *m_pSecurityPage;
    m_bMd5Allowed = sec.m_bUse8021x && !(sec.m_nAuthentication > 1 && sec.m_nEncryption > 1);
}

void CEapSettingsDlg::OnSessionClicked()
{
    UpdateData(TRUE);
}

void CEapSettingsDlg::ShowTunnelButton(BOOL show, UINT menu, UINT toolbar, const char* text)
{
    for (UINT id : { IDC_EAP_LABEL_TUNNEL, IDC_EAP_TUNNEL })
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (!show) return;
    if (menu != m_nTunnelMenu) {
        m_btnTunnel.SetMenu(menu, m_hWnd, TRUE, toolbar, 16, 16, RGB(255, 0, 255));
        m_nTunnelMenu = menu;
    }
    SetButtonText(m_btnTunnel, text);
}

void CEapSettingsDlg::LayoutTabs(int fastSlot, int clientSlot, int serverSlot)
{
    const int slots[TAB_COUNT] = { 0, fastSlot, clientSlot, serverSlot };
    for (int i = 0; i < TAB_COUNT; ++i) {
        CSkinButton* b = m_pTabButtons[i];
        if (!b || !b->IsWindow()) continue;
        if (slots[i] < 0) {
            b->ShowWindow(SW_HIDE);
            continue;
        }
        int x = kTabLeft + slots[i] * kTabWidth;
        b->SetWindowPos(nullptr, x, kTabTop, kTabWidth, kTabHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    if (m_pTabs && m_pTabs->IsWindow()) m_pTabs->Invalidate();
    CSkinButton* first = m_pTabButtons[TAB_CREDENTIAL];
    if (first && first->IsWindow()) first->SendMessage(BM_CLICK);
}

void CEapSettingsDlg::OnMethod(UINT id)
{
    int outer = IndexOf(kMethodCommands, EAP_METHOD_COUNT, id);
    if (outer < 0 || !m_pCredentialPage) return;
    m_nOuterMethod = outer;
    SetButtonText(m_btnMethod, kMethodTexts[outer]);
    CTunnelCredentialPage& cred = *m_pCredentialPage;
    switch (outer) {
    case EAP_PEAP:
        ShowTunnelButton(TRUE, IDR_MENU_EAP_INNER, 0, kInnerTexts[m_nInnerMethod]);
        OnInner(ID_INNER_MSCHAPV2);
        cred.EnableUserPassword(FALSE);
        cred.EnableDomain(FALSE);
        cred.EnableTunnelIdentity(TRUE);
        LayoutTabs(-1, 1, 2);
        break;
    case EAP_TLS:
        ShowTunnelButton(FALSE, 0, 0, nullptr);
        cred.EnableUserPassword(FALSE);
        cred.EnableDomain(FALSE);
        cred.EnableTunnelIdentity(FALSE);
        cred.EnableTunnelPassword(FALSE);
        cred.ShowPasswordMode(FALSE);
        LayoutTabs(-1, 1, 2);
        break;
    case EAP_TTLS:
        ShowTunnelButton(TRUE, IDR_MENU_TTLS_INNER, IDR_TOOLBAR_TTLS, kTtlsTexts[m_nTtlsInnerMethod]);
        // EAP-MD5 inside takes the user's password.
        cred.EnableUserPassword(TRUE);
        cred.EnableDomain(FALSE);
        cred.EnableTunnelIdentity(TRUE);
        cred.EnableTunnelPassword(TRUE);
        cred.ShowPasswordMode(FALSE);
        LayoutTabs(-1, 1, 2);
        break;
    case EAP_FAST:
        ShowTunnelButton(TRUE, IDR_MENU_EAP_INNER, 0, kInnerTexts[m_nInnerMethod]);
        cred.EnableUserPassword(FALSE);
        cred.EnableDomain(TRUE);
        cred.EnableTunnelIdentity(TRUE);
        ApplyInnerControls();
        LayoutTabs(1, -1, -1);
        break;
    default:   // MD5-Challenge
        ShowTunnelButton(FALSE, 0, 0, nullptr);
        cred.EnableUserPassword(TRUE);
        cred.EnableDomain(FALSE);
        cred.EnableTunnelIdentity(FALSE);
        cred.EnableTunnelPassword(FALSE);
        cred.ShowPasswordMode(FALSE);
        LayoutTabs(-1, -1, 1);
        break;
    }
}

void CEapSettingsDlg::OnInner(UINT id)
{
    int inner = IndexOf(kInnerCommands, INNER_COUNT, id);
    if (inner < 0) return;
    m_nInnerMethod = inner;
    SetButtonText(m_btnTunnel, kInnerTexts[inner]);
    ApplyInnerControls();
}

void CEapSettingsDlg::ApplyInnerControls()
{
    if (!m_pCredentialPage) return;
    m_pCredentialPage->EnableTunnelPassword(m_nInnerMethod != INNER_TLS);
    m_pCredentialPage->ShowPasswordMode(m_nInnerMethod == INNER_GTC);
}

void CEapSettingsDlg::OnTtlsInner(UINT id)
{
    int ttls = IndexOf(kTtlsCommands, TTLS_COUNT, id);
    if (ttls < 0) return;
    m_nTtlsInnerMethod = ttls;
    SetButtonText(m_btnTunnel, kTtlsTexts[ttls]);
}

// ---- Validation ----------------------------------------------------------------------------------

void CEapSettingsDlg::ReadPages()
{
    UpdateData(TRUE);
    for (CEapPage* page : { (CEapPage*)m_pCredentialPage, (CEapPage*)m_pPacPage, (CEapPage*)m_pClientCertPage,
                            (CEapPage*)m_pServerCertPage })
        if (page && page->IsWindow()) page->UpdateData(TRUE);
}

BOOL CEapSettingsDlg::ValidateSettings()
{
    if (!m_pCredentialPage) return TRUE;
    ReadPages();
    auto refuse = [](UINT textId) {
        ShowMessageDlg(StringFromTable(textId));
        return FALSE;
    };
    const CTunnelCredentialPage& cred = *m_pCredentialPage;
    const int outer = m_nOuterMethod, inner = m_nInnerMethod;
    const int tunnel = m_pPacPage->m_nProvisioningTunnel;
    const bool peapOrFast = outer == EAP_PEAP || outer == EAP_FAST;
    const bool fast = outer == EAP_FAST;

    if (cred.m_strIdentity.IsEmpty()) return refuse(IDS_IDENTITY_REQUIRED);
    if ((peapOrFast && inner == INNER_MSCHAPV2) || outer == EAP_TTLS ||
        (fast && tunnel == CEapFastPacPage::TUNNEL_MSCHAPV2)) {
        if (cred.m_strTunnelId.IsEmpty() || cred.m_strTunnelPassword.IsEmpty())
            return refuse(IDS_TUNNEL_ID_PASSWORD_REQUIRED);
    }
    if ((peapOrFast && inner == INNER_TLS) || (fast && tunnel == CEapFastPacPage::TUNNEL_TLS)) {
        if (cred.m_strTunnelId.IsEmpty()) return refuse(IDS_IDENTITY_REQUIRED);
    }
    if ((peapOrFast && inner == INNER_GTC) || (fast && tunnel == CEapFastPacPage::TUNNEL_GTC)) {
        if (cred.m_strTunnelId.IsEmpty()) return refuse(IDS_TUNNEL_ID_REQUIRED);
        if (cred.m_nPasswordMode == CTunnelCredentialPage::PASSWORD_MODE_STATIC && cred.m_strTunnelPassword.IsEmpty())
            return refuse(IDS_TUNNEL_ID_PASSWORD_REQUIRED);
    }
    if (outer == EAP_TTLS && m_nTtlsInnerMethod == TTLS_EAPMD5 && cred.m_strPassword.IsEmpty())
        return refuse(IDS_MD5_PASSWORD_REQUIRED);
    if (m_pClientCertPage->m_bUseClientCert && !m_pClientCertPage->HasSelection())
        return refuse(IDS_SELECT_CLIENT_CERT);
    const CServerCertPage& server = *m_pServerCertPage;
    if (server.m_bUseServerCert) {
        if (server.m_strServerName.IsEmpty()) return refuse(IDS_IDENTITY_REQUIRED);
        if (server.m_nNameRule == 1 && !IsUsableDomainName(server.m_strServerName))
            return refuse(IDS_BAD_DOMAIN_NAME);
    }
    return TRUE;
}
