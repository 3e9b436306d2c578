// Lower panel 6: one stored WPS credential in detail, loaded by the WPS
// page's "Detail".  An enrollee sees it read-only; a registrar edits its own
// credential (credential 0): SSID, authentication, encryption, key length,
// key index and key.  OK writes the edit back into the credential block (the
// registry keeps what it had until the next store); Cancel returns to the
// link status panel.
#pragma once

#include "classlib/ClassLib.h"
#include "core/WpsRuntime.h"
#include "pagebase/ChildPage.h"
#include "widgets/FilterEdit.h"
#include "widgets/SkinButton.h"
#include "resource.h"

class CWpsPage;

class CWpsProfileDetailDlg : public CChildPage {
public:
    explicit CWpsProfileDetailDlg(CConfigMainDlg* pMainDlg);

    // Takes the credential's values for the next showing; page is the WPS
    // page whose profile list OK rebuilds.
    void LoadCredential(const WpsCredential& c, CWpsPage* page);

    // The key edit's limit, and the text its popup showed last ("" before any).
    int KeyLimit() const;
    const CString& KeyRefusal() const { return m_strKeyRefusal; }

    // The loaded values, as the controls show them.
    int m_bWpaMode = 0;             // registrar: WPA-PSK or WPA2-PSK chosen
    int m_bShowPassword = 0;
    int m_bAsciiFormat = 0;
    CString m_strHexKey;            // a WEP key as hex digits
    CString m_strAsciiKey;          // a WEP key as characters
    int m_bWepKeyPresent = 0;       // WEP with a key: the "ASCII Format" pair is offered
    int m_nKeyLength = 0;           // hex digits for WEP keys, characters otherwise
    CString m_strKeyIndex;
    CString m_strKeyMaterial;
    CString m_strKeyLength;
    CString m_strAuthentication;
    CString m_strEncryption;
    CString m_strSsid;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnShowPassword();
    void OnAsciiFormat();
    void OnAuthenticationChanged();
    void OnEncryptionChanged();
    void OnKeyLengthChanged();
    void OnOk();
    void OnCancelButton();

private:
    void PlaceControls();
    BOOL Editing() const;
    void SetEditMode();
    void FillRegistrarControls();
    void FillEncryptionCombo();
    BOOL SetKeyRule(int limit);
    void EnableKeyCombos(BOOL enable);
    BOOL ValidateKey();
    void ShowAsciiPair(BOOL show);

    CWpsPage* m_pWpsPage = nullptr;
    CString m_strKeyRefusal;
    CEdit m_editSsid;
    CFilterEdit m_editKey;
    CComboBox m_comboAuth, m_comboEncr, m_comboKeyLength, m_comboKeyIndex;
    CSkinButton m_btnOk, m_btnCancel;
};
