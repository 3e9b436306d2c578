// Lower panel 8: the tunnel identity and a one-time or new password.  It has
// two callers: the connection engine's prompt for a token-card method (its
// OK hands the entries to CompleteIdentityPrompt), and the password change
// the supplicant library asks for (its OK hands them to the waiting worker
// through CompletePasswordChange).  Hiding the panel without OK ends a
// waiting password change with nothing stored.
#pragma once

#include "pagebase/ChildPage.h"
#include "widgets/SkinButton.h"
#include "resource.h"

class CPeapSettingDlg : public CChildPage {
public:
    explicit CPeapSettingDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_PEAP_SETTING, pMainDlg) {}

    // Puts the tunnel identity and password into the panel's edits.
    void SeedIdentity(const char* identity, const char* password);
    // What the user entered (what was seeded while the edits do not exist).
    CString Identity() const { return ReadEdit(IDC_PEAP_TUNNEL_ID, m_strIdentity); }
    CString Password() const { return ReadEdit(IDC_PEAP_PASSWORD, m_strPassword); }
    // Gives the panel the caption, labels and states of its form: the
    // password change while one waits, else by the current profile's method.
    void ApplyForm();
    // The password change the panel is out for ended without OK: the panel
    // takes its other form and keeps what was typed; its OK then stores the
    // new password for the next login and says that the change ran out.
    void PasswordChangeEnded();

    // Set: the password row is disabled and no password is asked for.
    BOOL m_bNoPassword = FALSE;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status);
    void OnDestroy();
    void OnOK();

private:
    CString ReadEdit(int id, const CString& seeded) const;

    CString m_strIdentity;
    CString m_strPassword;
    // The panel is out for a password change (from the form's applying to
    // the panel's OK, hiding or end).
    bool m_bPasswordChange = false;
    // The change the panel was out for ran out before OK (until OK or hiding).
    bool m_bChangeRanOut = false;
    CSkinButton m_btnOk;
    CFont m_captionFont;
};
