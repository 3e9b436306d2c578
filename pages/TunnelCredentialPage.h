// The "ID \ PASSWORD" page of the EAP settings dialog (dialog 236): the
// user's identity, password and domain, the tunnel (inner) identity and
// password, and the password mode of Generic Token Card.  The dialog
// enables and shows its rows by the chosen methods.
#pragma once

#include "pages/EapPage.h"
#include "widgets/EtchedStatic.h"

class CTunnelCredentialPage : public CEapPage {
public:
    explicit CTunnelCredentialPage(CConfigMainDlg* pMainDlg);

    // Password mode radios: Soft Token, Static Password.
    enum { PASSWORD_MODE_SOFT_TOKEN = 0, PASSWORD_MODE_STATIC = 1 };

    // ---- Fields (each at most what the profile store reads back) ----
    CString m_strIdentity;         // edit 1102
    CString m_strPassword;         // edit 1104
    CString m_strTunnelId;         // edit 1103
    CString m_strTunnelPassword;   // edit 1105
    CString m_strDomain;           // edit 4265
    int m_nPasswordMode = PASSWORD_MODE_STATIC;

    // Every text empty, password mode 1.
    void Reset();
    void EnableUserPassword(BOOL enable);
    void EnableDomain(BOOL enable);
    void EnableTunnelIdentity(BOOL enable);
    void EnableTunnelPassword(BOOL enable);
    void ShowPasswordMode(BOOL show);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPasswordModeClicked();

private:
    void EnableRow(UINT label, UINT edit, BOOL enable);

    CEdit m_editIdentity, m_editPassword, m_editTunnelId, m_editTunnelPassword, m_editDomain;
    COwnerDrawButton m_radioSoftToken, m_radioStatic;
    CEtchedStatic m_groupUser, m_groupTunnel;
};
