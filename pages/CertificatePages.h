// The certificate pages of the EAP settings dialog: the client certificate
// from the personal store "MY" (dialog 237) and the trusted CA from "ROOT"
// with the server-name rule (dialog 238).  A profile keeps only the chosen
// certificate's SHA-1 hash; the chosen record is a copy that carries its own
// hash bytes, so it stays whole while the lists are refilled.
#pragma once

#include "auth/Certificates.h"
#include "pages/EapPage.h"

class CClientCertPage : public CEapPage {
public:
    explicit CClientCertPage(CConfigMainDlg* pMainDlg);

    // ---- Fields ----
    BOOL m_bUseClientCert = FALSE;            // check 1141
    CString m_strIssuedTo, m_strIssuedBy, m_strExpiry, m_strFriendlyName;
    CERT_INFO_RECORD m_selected;              // zeroed: none chosen

    // The certificates of "MY" with a subject name, one combo line each; the
    // first is chosen when there is one.
    void FillCertCombo();
    // The controls from the stored flag, the list filled when it is set.
    void UpdateCertControls();
    // Chooses the listed certificate of this hash.  One no longer in the
    // store shows no line, and its hash stays the choice, so that saving
    // again keeps what the profile held.
    void SelectByHash(const BYTE* hash, DWORD length);
    // No certificate, option off.
    void Reset();
    BOOL HasSelection() const { return m_selected.hashLength != 0; }
    const CCertInfoArray& Certificates() const { return m_certs; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnUseClicked();
    void OnSelChange();

private:
    void ShowSelected(int line);
    void EnableControls(BOOL enable);

    COwnerDrawButton m_checkUse;
    CComboBox m_combo;
    CCertInfoArray m_certs;
};

class CServerCertPage : public CEapPage {
public:
    explicit CServerCertPage(CConfigMainDlg* pMainDlg);

    // The first line of the CA list: any CA the system trusts, no hash kept.
    static const char* const kAnyTrustedCa;

    // ---- Fields ----
    BOOL m_bUseServerCert = FALSE;            // check 1142
    int m_nCaSelection = -1;                  // line of combo 1112
    CERT_INFO_RECORD m_selected;              // zeroed: none chosen
    BOOL m_bAllowIntermediate = FALSE;        // check 1116
    CString m_strServerName;                  // edit 1111
    int m_nNameRule = 0;                      // 0 exact name (1118), 1 domain (1119)

    // "- Any Trusted CA -" and the certificates of "ROOT" with a subject name;
    // the line of the chosen one is shown again.
    void FillCaCombo();
    void UpdateCertControls();
    void SelectByHash(const BYTE* hash, DWORD length);
    // No certificate, its three options off, server name empty.
    void Reset();
    BOOL HasSelection() const { return m_selected.hashLength != 0; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnUseClicked();
    void OnSelChange();
    void OnRuleClicked();

private:
    void EnableControls(BOOL enable);
    void ShowLineOfSelection();

    COwnerDrawButton m_checkUse, m_checkIntermediate, m_radioExact, m_radioDomain;
    CComboBox m_combo;
    CCertInfoArray m_certs;
};
