// The "Auth. \ Encry." tab (dialog 182) of the profile editor and of the
// connect-settings panel: authentication and encryption from drop-down menus,
// the pre-shared key, four WEP keys with their formats and the default key,
// the LEAP identity and cipher, and the 802.1X switch.  It decides which
// combinations are offered and which controls show, keeps its host's
// "8021X" tab in step and checks the keys before the host saves or connects.
// It never writes the registry or the driver: the host copies its fields.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "widgets/EtchedStatic.h"
#include "widgets/FilterEdit.h"
#include "widgets/OwnerDrawButton.h"

// What the tab asks of the window that hosts it.
class CSecurityPageHost {
public:
    virtual ~CSecurityPageHost() = default;
    // The host's "Auth. \ Encry." and "8021X" tab buttons (may be null).
    virtual CWnd* SecurityTabButton() = 0;
    virtual CWnd* Dot1xTabButton() = 0;
    // The host's 8021X page: its EAP method (0 PEAP .. 4 MD5-Challenge).
    virtual int EapMethod() = 0;
    // Switches the 8021X page to PEAP and has it show that choice.
    virtual void SelectPeapMethod() = 0;
    // The network type of the host's System Config tab (1 infrastructure,
    // 0 ad hoc), or -1 when the host has none.
    virtual int HostNetworkType() = 0;
};

// What the site survey says of the network it chose.
struct ChosenNetworkSecurity {
    int infrastructure = 1;     // the BSS's infrastructure mode: 1 infrastructure, 0 IBSS
    BOOL secured = FALSE;       // the survey marked it as needing security settings
    DWORD authCode = 0;         // 1 WPA, 2 WPA-PSK, 3 WPA-None, 4 WPA2, 5 WPA2-PSK, else none
    CString cipher;             // the survey's cipher text ("TKIP", "AES", ...)
};

class CAuthSecurityPage : public CChildPage {
public:
    explicit CAuthSecurityPage(CConfigMainDlg* pMainDlg);

    // ---- Fields (the host reads them on OK) ----
    int m_nAuthentication = 0;    // ProfileAuthChoice
    int m_nEncryption = 0;        // ProfileEncryptionChoice
    BOOL m_bUse8021x = FALSE;
    int m_nDefaultKey = 0;        // 0..3
    int m_nKeyFormat[4] = {};     // 0 Hexadecimal, 1 ASCII
    CString m_strPreSharedKey;    // at most 64 characters
    CString m_strWepKey[4];       // at most 26 characters each
    CString m_strLeapIdentity;
    CString m_strLeapPassword;
    CString m_strLeapDomain;
    int m_nLeapCipher = 0;        // 0 WEP, 1 WPA-TKIP, 2 WPA2-AES
    BOOL m_bLeapShown = FALSE;
    BOOL m_bInfrastructure = TRUE;
    BOOL m_bInProfileEditor = FALSE;   // set by every road that opens the profile editor
    BOOL m_bShowPassword = FALSE;

    CSecurityPageHost* m_pHost = nullptr;

    void ClearSettings();
    void LoadDefaults();
    void LoadFromProfile();
    // The site survey's two roads: "Add To Profile" and Connect.
    void LoadFromBssPrivacy(const ChosenNetworkSecurity& chosen);
    void LoadFromBss(const ChosenNetworkSecurity& chosen);
    // The pre-shared key, the default key's length and, in the modes that
    // use WEP keys, hex digits only in every hexadecimal key; FALSE (with
    // the reason in the offending edit's popup) stops the host.
    BOOL ValidateKeys();
    // Shared, or Open with WEP and no 802.1X method but MD5-Challenge: the
    // only modes whose WEP keys are tested, converted and stored.
    BOOL WepKeysUsed();
    // WPA-None with a key of 64 characters: they are the key itself, so they
    // must all be hex digits (a one-off connection would join with garbage).
    BOOL ValidateWpaNoneKey();
    // Ad hoc: 802.1X off, its box unchecked and hidden.
    void TurnOff8021x();

    // The text last shown in an edit's popup.
    const CString& LastRefusal() const { return m_strLastRefusal; }

    // The menu commands and handlers, as the buttons send them.
    void OnAuthentication(UINT id);
    void OnEncryption(UINT id);
    void OnKeyFormat(UINT id);
    void On8021xCheck();
    void UpdateKeyControls();
    void Update8021xForEncryption();
    void ShowLeapFields(BOOL show);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT OnInitAuthMenu(WPARAM wParam, LPARAM lParam);
    LRESULT OnInitEncryptionMenu(WPARAM wParam, LPARAM lParam);
    void OnShowPassword();
    void On8021xClicked();
    void OnShowWindow(BOOL show, UINT status);

private:
    void PlaceControls();
    void SelectAuthentication();
    void LoadFromChosen(const ChosenNetworkSecurity& chosen, BOOL testPrivacy);
    void EnableWepKeyControls(BOOL enable);
    void Show8021xBox(BOOL show, BOOL enable);
    void ApplyMasking();
    void ShowItem(UINT id, BOOL show);
    void EnableItem(UINT id, BOOL enable);
    void ClickTab(CWnd* tab);
    void EnableTab(CWnd* tab, BOOL enable);
    void Refuse(CFilterEdit& edit, UINT textId);
    // 1 infrastructure, 0 ad hoc, as this host knows it.
    BOOL IsInfrastructure();
    int HostEapMethod();

    COwnerDrawButton m_btnAuth, m_btnEncryption, m_btnKeyFormat[4];
    COwnerDrawButton m_check8021x, m_checkShowPassword;
    COwnerDrawButton m_radioDefaultKey[4], m_radioLeap[3];
    CFilterEdit m_editPsk, m_editKey[4], m_editLeapId, m_editLeapPassword, m_editLeapDomain;
    CEtchedStatic m_separator;
    CString m_strLastRefusal;
};
