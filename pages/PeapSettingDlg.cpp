#include "pages/PeapSettingDlg.h"

#include <cstring>

#include "auth/PasswordChange.h"
#include "core/EngineDoor.h"
#include "core/ProfileStore.h"
#include "core/StationConfig.h"
#include "pagebase/PanelDoor.h"
#include "widgets/MessageBoxDlg.h"

namespace {

// Layout (pixels of the panel's client area).
const int kLabelLeft = 40, kEditLeft = 220, kLabelWidth = 170, kEditWidth = 260, kRowHeight = 22;
const int kCaptionTop = 14, kIdentityTop = 60, kPasswordTop = 96, kButtonTop = 140;
const int kButtonWidth = 100, kButtonHeight = 30;

// The panel's forms: caption, the two labels, and where the focus goes.
struct PeapForm {
    const char* caption;
    const char* identityLabel;
    const char* passwordLabel;
    bool identityEnabled;
    int focus;   // control id, 0 for none
};
const PeapForm kOneTimePassword = { "Peap Setting - One Time Password", "Tunnel Identity", "Tunnel Password", true, 0 };
const PeapForm kNewPassword = { "Enter your new password", "Identity", "Password", false, IDC_PEAP_PASSWORD };
const PeapForm kNewUserAndPassword = { "Enter your new username and password", "Identity", "Password", true,
                                       IDC_PEAP_TUNNEL_ID };

// The longest text the store reads back.
const int kStoredTextMax = kProfileTextMax - 1;

const char kChangeRanOut[] =
    "The time for the password change ran out before OK, so the network was given the old password. "
    "The new password is stored for the next connection.";

}  // namespace

BEGIN_MESSAGE_MAP(CPeapSettingDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_PEAP_OK, OnOK)
END_MESSAGE_MAP()

BOOL CPeapSettingDlg::OnInitDialog()
{
    m_btnOk.SubclassDlgItem(IDC_PEAP_OK, this);
    CChildPage::OnInitDialog();
    LOGFONTA lf = {};
    lf.lfHeight = 20;
    lf.lfWeight = FW_BOLD;
    std::strcpy(lf.lfFaceName, "Trebuchet MS");
    m_captionFont.CreateFontIndirect(&lf);
    if (CWnd* caption = GetDlgItem(IDC_PEAP_CAPTION)) caption->SetFont(&m_captionFont);

    PlaceControl(GetDlgItem(IDC_PEAP_CAPTION), kLabelLeft, kCaptionTop, 600, 26, 0);
    PlaceControl(GetDlgItem(IDC_PEAP_TUNNEL_ID_LABEL), kLabelLeft, kIdentityTop + 3, kLabelWidth, 18,
                 IDS_PEAP_TUNNEL_ID);
    PlaceControl(GetDlgItem(IDC_PEAP_TUNNEL_ID), kEditLeft, kIdentityTop, kEditWidth, kRowHeight, 0);
    PlaceControl(GetDlgItem(IDC_PEAP_PASSWORD_LABEL), kLabelLeft, kPasswordTop + 3, kLabelWidth, 18,
                 IDS_PEAP_TUNNEL_PASSWORD);
    PlaceControl(GetDlgItem(IDC_PEAP_PASSWORD), kEditLeft, kPasswordTop, kEditWidth, kRowHeight, 0);
    PlaceControl(&m_btnOk, kEditLeft + kEditWidth - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight, IDS_OK);
    m_btnOk.BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    SetDlgItemText(IDC_PEAP_CAPTION, "Peap Setting");
    for (UINT id : { IDC_PEAP_TUNNEL_ID, IDC_PEAP_PASSWORD })
        ::SendMessageA(::GetDlgItem(m_hWnd, id), EM_LIMITTEXT, kStoredTextMax, 0);
    SetDlgItemText(IDC_PEAP_TUNNEL_ID, m_strIdentity);
    SetDlgItemText(IDC_PEAP_PASSWORD, m_strPassword);
    return TRUE;
}

void CPeapSettingDlg::SeedIdentity(const char* identity, const char* password)
{
    m_strIdentity = identity ? identity : "";
    m_strPassword = password ? password : "";
    if (!IsWindow()) return;
    SetDlgItemText(IDC_PEAP_TUNNEL_ID, m_strIdentity);
    SetDlgItemText(IDC_PEAP_PASSWORD, m_strPassword);
}

CString CPeapSettingDlg::ReadEdit(int id, const CString& seeded) const
{
    HWND edit = IsWindow() ? ::GetDlgItem(m_hWnd, id) : nullptr;
    if (!edit) return seeded;
    CString text;
    GetDlgItemText(id, text);
    return text;
}

void CPeapSettingDlg::ApplyForm()
{
    // A change whose wait has ended asks for nothing, whatever its thread.
    m_bPasswordChange = InterlockedCompareExchange(&g_bOtpMode, 0, 0) == 1 && PasswordChangePending();
    DWORD method = g_pCurProfile ? g_pCurProfile->eapMethod : 0;
    const PeapForm& form = m_bPasswordChange ? kNewPassword : method == 0 ? kOneTimePassword : kNewUserAndPassword;
    if (!IsWindow()) return;
    SetWindowText(form.caption);
    SetDlgItemText(IDC_PEAP_CAPTION, form.caption);
    SetDlgItemText(IDC_PEAP_TUNNEL_ID_LABEL, form.identityLabel);
    SetDlgItemText(IDC_PEAP_PASSWORD_LABEL, form.passwordLabel);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PEAP_TUNNEL_ID), form.identityEnabled);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PEAP_PASSWORD_LABEL), !m_bNoPassword);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PEAP_PASSWORD), !m_bNoPassword);
    int focus = form.focus == IDC_PEAP_PASSWORD && m_bNoPassword ? 0 : form.focus;
    if (focus) ::SetFocus(::GetDlgItem(m_hWnd, focus));
}

void CPeapSettingDlg::PasswordChangeEnded()
{
    if (!m_bPasswordChange || !IsWindow()) return;
    m_bChangeRanOut = true;
    ApplyForm();
}

void CPeapSettingDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    m_bChangeRanOut = false;
    if (show) {
        ApplyForm();
        return;
    }
    // Gone without OK: a password change that waits goes on unchanged.
    if (m_bPasswordChange) CancelPasswordChange();
    m_bPasswordChange = false;
}

void CPeapSettingDlg::OnDestroy()
{
    // The window closes under a change that waits: nobody can answer it now.
    if (m_bPasswordChange) CancelPasswordChange();
    m_bPasswordChange = false;
    Default();
}

void CPeapSettingDlg::OnOK()
{
    CString identity = Identity();
    CString password = Password();
    if (identity.IsEmpty()) {
        ShowMessageDlg("Must input Identity");
        return;
    }
    if (password.IsEmpty() && !m_bNoPassword) {
        ShowMessageDlg("Must input Password");
        return;
    }
    // The change may have run out since the form was last applied.
    bool ranOut = m_bChangeRanOut || (m_bPasswordChange && !CompletePasswordChange(identity, password));
    if (ranOut) {
        // What was typed counts from the next login on, as the change would
        // have stored it; nothing is handed to the login that runs.
        StoreLatePasswordChange(identity, password);
        ShowMessageDlg(kChangeRanOut);
    } else if (!m_bPasswordChange) {
        CompleteIdentityPrompt(identity, password);
    }
    m_bPasswordChange = false;
    m_bChangeRanOut = false;
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}
