// The "EAP Fast" page of the EAP settings dialog (dialog 275): the
// provisioning options and an existing PAC file to use.  The file is only
// named here; the 802.1X layer reads and writes it.
#pragma once

#include "pages/EapPage.h"
#include "widgets/SkinButton.h"

class CEapFastPacPage : public CEapPage {
public:
    explicit CEapFastPacPage(CConfigMainDlg* pMainDlg);

    // The provisioning tunnels of list 1142, in the order of the inner
    // methods: EAP-MSCHAP v2, EAP-TLS / Smart Card, Generic Token Card.
    enum { TUNNEL_MSCHAPV2 = 0, TUNNEL_TLS = 1, TUNNEL_GTC = 2, TUNNEL_COUNT = 3 };

    // ---- Fields ----
    BOOL m_bAllowUnauthenticated = TRUE;       // check 3141
    BOOL m_bUseProtectedCredential = TRUE;     // check 3138
    int m_nProvisioningTunnel = TUNNEL_MSCHAPV2;
    CString m_strPacFilePath;                  // static 1293

    // Path empty, both checks set, provisioning tunnel 0.
    void Reset();
    // The controls from the fields.
    void Refresh();

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnImport();
    void OnRemove();
    void OnReadControls();
    void OnUseCredentialClicked();
    void OnPaint();

private:
    void UpdateFileControls();

    COwnerDrawButton m_checkUnauthenticated, m_checkUseCredential;
    CSkinButton m_btnImport, m_btnRemove;
    CComboBox m_comboTunnel;
};
