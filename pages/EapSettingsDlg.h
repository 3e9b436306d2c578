// The 802.1X settings (dialog 183): the EAP method and the tunnelled (inner)
// method from drop-down menus, session resumption, and four pages in a tab
// container: identities and passwords, EAP-FAST PAC, client certificate and
// server certificate.  It is a tab of the profile editor and of the
// connect-settings panel; those read its fields when they save or connect,
// after ValidateSettings.
#pragma once

#include "core/ProfileStore.h"
#include "pages/CertificatePages.h"
#include "pages/EapFastPacPage.h"
#include "pages/TunnelCredentialPage.h"
#include "widgets/SkinButton.h"

class CAuthSecurityPage;
class CTabContainerDlg;

class CEapSettingsDlg : public CChildPage {
public:
    explicit CEapSettingsDlg(CConfigMainDlg* pMainDlg);
    ~CEapSettingsDlg() override;

    // Outer methods (menu 239), as the profile stores them.
    enum { EAP_PEAP = 0, EAP_TLS = 1, EAP_TTLS = 2, EAP_FAST = 3, EAP_MD5 = 4, EAP_METHOD_COUNT = 5 };
    // PEAP and EAP-FAST inner methods (menu 240).
    enum { INNER_MSCHAPV2 = 0, INNER_TLS = 1, INNER_GTC = 2, INNER_COUNT = 3 };
    // TTLS inner methods (menu 241).
    enum { TTLS_CHAP = 0, TTLS_MSCHAP = 1, TTLS_MSCHAPV2 = 2, TTLS_PAP = 3, TTLS_EAPMD5 = 4, TTLS_COUNT = 5 };
    // The tabs, in the order of their creation.
    enum { TAB_CREDENTIAL = 0, TAB_EAP_FAST = 1, TAB_CLIENT_CERT = 2, TAB_SERVER_CERT = 3, TAB_COUNT = 4 };

    // ---- Fields ----
    int m_nOuterMethod = EAP_PEAP;
    int m_nInnerMethod = INNER_MSCHAPV2;
    int m_nTtlsInnerMethod = TTLS_MSCHAPV2;
    BOOL m_bSessionResumption = FALSE;
    // "MD5-Challenge" may be chosen; worked out from the host's security
    // page each time the dialog is shown.
    BOOL m_bMd5Allowed = FALSE;

    // The host's security tab (set by the host when it creates its tabs).
    CAuthSecurityPage* m_pSecurityPage = nullptr;

    CTunnelCredentialPage* CredentialPage() const { return m_pCredentialPage; }
    CEapFastPacPage* PacPage() const { return m_pPacPage; }
    CClientCertPage* ClientCertPage() const { return m_pClientCertPage; }
    CServerCertPage* ServerCertPage() const { return m_pServerCertPage; }
    CSkinButton* TabButton(int i) const { return (i >= 0 && i < TAB_COUNT) ? m_pTabButtons[i] : nullptr; }

    // Add and one-off connections: PEAP with EAP-MSCHAP v2, every text empty,
    // the PAC page's checks set, no certificates.
    void ResetSettings();
    // Edit: the fields and pages from the profile's 802.1X values, the
    // stored certificates chosen again, and the buttons and pages showing
    // the loaded methods.
    void LoadFromProfile(const Dot1xSettings& settings);
    // Runs the menu commands of the stored outer and inner methods.
    void ApplyMethodSelection();
    // The checks of the host's OK; the first failure shows its message and
    // gives FALSE.
    BOOL ValidateSettings();
    // What the hosts save or connect with: the methods as EAP types, the
    // pages' texts, options and certificate hashes.
    void StoreSettings(Dot1xSettings& settings) const;

    // The menu commands, as the drop-down buttons send them.
    void OnMethod(UINT id);
    void OnInner(UINT id);
    void OnTtlsInner(UINT id);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT OnInitMethodMenu(WPARAM wParam, LPARAM lParam);
    void OnShowWindow(BOOL show, UINT status);
    void OnSessionClicked();
    void OnPaint();

private:
    BOOL CreateTabs();
    // Shows the tabs a method uses, at their slots (-1 hides), then brings
    // the first tab to the front.
    void LayoutTabs(int fastSlot, int clientSlot, int serverSlot);
    void ShowTunnelButton(BOOL show, UINT menu, UINT toolbar, const char* text);
    void ApplyInnerControls();
    void SetButtonText(COwnerDrawButton& button, const char* text);
    // The pages' controls into their fields.
    void ReadPages();

    COwnerDrawButton m_btnMethod, m_btnTunnel, m_checkSession;
    CTabContainerDlg* m_pTabs = nullptr;
    CTunnelCredentialPage* m_pCredentialPage = nullptr;
    CEapFastPacPage* m_pPacPage = nullptr;
    CClientCertPage* m_pClientCertPage = nullptr;
    CServerCertPage* m_pServerCertPage = nullptr;
    CSkinButton* m_pTabButtons[TAB_COUNT] = {};
    CFont m_tabFont;
    UINT m_nTunnelMenu = 0;
};

// The server-name rule "Domain name must end in specified name": the name's
// first '.' exists and is neither its first nor its last character.
BOOL IsUsableDomainName(const CString& name);
