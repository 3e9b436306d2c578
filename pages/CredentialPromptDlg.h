// Lower panel 7: after an 802.1X login of a stored profile failed, tells why
// and, for a credential failure, takes a new identity, password and domain.
// OK stores them in the adapter key and the profile's key and tries the
// profile again; a time-out's OK only reconnects; Cancel leaves the adapter
// disconnected.
#pragma once

#include "pagebase/ChildPage.h"
#include "widgets/SkinButton.h"
#include "resource.h"

class CCredentialPromptDlg : public CChildPage {
public:
    explicit CCredentialPromptDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_CREDENTIAL_PROMPT, pMainDlg) {}

    // What the panel shows, filled each time it is shown.
    BOOL m_bCredentialsWanted = FALSE;
    CString m_strCard;
    CString m_strMessage;
    CString m_strProfile;
    CString m_strIdentity;
    CString m_strPassword;
    CString m_strDomain;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL show, UINT status);
    void OnOK();
    void OnCancel();

private:
    // The method of the failed login (the current profile's), -1 without one.
    int Method() const;
    // Shows the identity, password and domain rows as the method and the
    // wanted flag ask.
    void ShowRows();
    void WriteCredentials();

    CSkinButton m_btnOk, m_btnCancel;
};
