// Lower panel 8: PEAP password change.  The engine's token-card prompt seeds
// it (through the controller) and takes the user's entries back.
// The dialog is not built yet: its edits are filled when they exist.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CPeapSettingDlg : public CChildPage {
public:
    explicit CPeapSettingDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_PEAP_SETTING, pMainDlg) {}

    // Puts the tunnel identity and password into the panel's edits.
    void SeedIdentity(const char* identity, const char* password)
    {
        m_strIdentity = identity ? identity : "";
        m_strPassword = password ? password : "";
        if (!IsWindow()) return;
        ::SetDlgItemTextA(m_hWnd, IDC_PEAP_TUNNEL_ID, m_strIdentity);
        ::SetDlgItemTextA(m_hWnd, IDC_PEAP_PASSWORD, m_strPassword);
    }
    // What the user entered (what was seeded while the edits do not exist).
    CString Identity() const { return ReadEdit(IDC_PEAP_TUNNEL_ID, m_strIdentity); }
    CString Password() const { return ReadEdit(IDC_PEAP_PASSWORD, m_strPassword); }

private:
    CString ReadEdit(int id, const CString& seeded) const
    {
        HWND edit = IsWindow() ? ::GetDlgItem(m_hWnd, id) : nullptr;
        if (!edit) return seeded;
        char text[256] = {};
        ::GetWindowTextA(edit, text, sizeof(text));
        return CString(text);
    }

    CString m_strIdentity;
    CString m_strPassword;
};
