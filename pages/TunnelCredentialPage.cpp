#include "pages/TunnelCredentialPage.h"

#include "core/ProfileStore.h"
#include "widgets/MessageBoxDlg.h"
#include "resource.h"

namespace {

// Layout (pixels of the page's client area): the user group at the left,
// the tunnel group at the right.
const int kLeftGroup = 10, kRightGroup = 385, kGroupWidth = 360;
const int kLabelWidth = 115, kEditLeft = 120, kEditWidth = 235;
const int kRowGroup = 6, kRowFirst = 30, kRowPitch = 32;
// The longest text the profile store reads back.
const int kStoredTextMax = kProfileTextMax - 1;

}  // namespace

BEGIN_MESSAGE_MAP(CTunnelCredentialPage, CEapPage)
    ON_BN_CLICKED(IDC_CRED_SOFT_TOKEN, OnPasswordModeClicked)
    ON_BN_CLICKED(IDC_CRED_STATIC_PASSWORD, OnPasswordModeClicked)
END_MESSAGE_MAP()

CTunnelCredentialPage::CTunnelCredentialPage(CConfigMainDlg* pMainDlg) : CEapPage(IDD_TUNNEL_CREDENTIAL, pMainDlg) {}

BOOL CTunnelCredentialPage::OnInitDialog()
{
    m_editIdentity.SubclassDlgItem(IDC_CRED_ID, this);
    m_editPassword.SubclassDlgItem(IDC_CRED_PASSWORD, this);
    m_editTunnelId.SubclassDlgItem(IDC_CRED_TUNNEL_ID, this);
    m_editTunnelPassword.SubclassDlgItem(IDC_CRED_TUNNEL_PASSWORD, this);
    m_editDomain.SubclassDlgItem(IDC_CRED_DOMAIN, this);
    m_radioSoftToken.SubclassDlgItem(IDC_CRED_SOFT_TOKEN, this);
    m_radioStatic.SubclassDlgItem(IDC_CRED_STATIC_PASSWORD, this);
    m_groupUser.SubclassDlgItem(IDC_CRED_GROUP_USER, this);
    m_groupTunnel.SubclassDlgItem(IDC_CRED_GROUP_TUNNEL, this);

    PlaceControl(&m_groupUser, kLeftGroup, kRowGroup, kGroupWidth, 16, 0);
    PlaceControl(&m_groupTunnel, kRightGroup, kRowGroup, kGroupWidth, 16, IDS_CRED_TUNNEL_GROUP);
    struct { int group, row; UINT label, text; CEdit* edit; } const rows[] = {
        { kLeftGroup, 0, IDC_CRED_LABEL_ID, IDS_CRED_IDENTITY, &m_editIdentity },
        { kLeftGroup, 1, IDC_CRED_LABEL_PASSWORD, IDS_CRED_PASSWORD, &m_editPassword },
        { kLeftGroup, 2, IDC_CRED_LABEL_DOMAIN, IDS_CRED_DOMAIN, &m_editDomain },
        { kRightGroup, 0, IDC_CRED_LABEL_TUNNEL_ID, IDS_CRED_TUNNEL_IDENTITY, &m_editTunnelId },
        { kRightGroup, 1, IDC_CRED_LABEL_TUNNEL_PASSWORD, IDS_CRED_TUNNEL_PASSWORD, &m_editTunnelPassword },
    };
    for (const auto& r : rows) {
        int y = kRowFirst + r.row * kRowPitch;
        PlaceControl(GetDlgItem(r.label), r.group, y + 3, kLabelWidth - 5, 18, r.text);
        PlaceControl(r.edit, r.group + kEditLeft, y, kEditWidth, 22, 0);
        r.edit->LimitText(kStoredTextMax);
    }
    int modeRow = kRowFirst + 2 * kRowPitch;
    PlaceControl(GetDlgItem(IDC_CRED_LABEL_PASSWORD_MODE), kRightGroup, modeRow + 3, kLabelWidth - 5, 18, 0);
    PlaceControl(&m_radioSoftToken, kRightGroup + kEditLeft - 6, modeRow - 5, 110, 32, 0);
    PlaceControl(&m_radioStatic, kRightGroup + kEditLeft + 104, modeRow - 5, 140, 32, 0);
    for (COwnerDrawButton* r : { &m_radioSoftToken, &m_radioStatic }) {
        StyleCheck(*r, TRUE);
        r->m_bAlignLeft = TRUE;
    }
    ShowPasswordMode(FALSE);
    CEapPage::OnInitDialog();
    return TRUE;
}

void CTunnelCredentialPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_CRED_ID, m_strIdentity);
    DDX_Text(pDX, IDC_CRED_PASSWORD, m_strPassword);
    DDX_Text(pDX, IDC_CRED_TUNNEL_ID, m_strTunnelId);
    DDX_Text(pDX, IDC_CRED_TUNNEL_PASSWORD, m_strTunnelPassword);
    DDX_Text(pDX, IDC_CRED_DOMAIN, m_strDomain);
    int mode = m_nPasswordMode;
    DDX_Radio(pDX, IDC_CRED_SOFT_TOKEN, mode);
    if (mode == PASSWORD_MODE_SOFT_TOKEN || mode == PASSWORD_MODE_STATIC) m_nPasswordMode = mode;
}

void CTunnelCredentialPage::Reset()
{
    m_strIdentity.Empty();
    m_strPassword.Empty();
    m_strTunnelId.Empty();
    m_strTunnelPassword.Empty();
    m_strDomain.Empty();
    m_nPasswordMode = PASSWORD_MODE_STATIC;
    if (IsWindow()) UpdateData(FALSE);
}

void CTunnelCredentialPage::OnPasswordModeClicked()
{
    UpdateData(TRUE);
    ClickOwnTab();
}

void CTunnelCredentialPage::EnableRow(UINT label, UINT edit, BOOL enable)
{
    EnableItem(label, enable);
    EnableItem(edit, enable);
}

void CTunnelCredentialPage::EnableUserPassword(BOOL enable)
{
    EnableRow(IDC_CRED_LABEL_PASSWORD, IDC_CRED_PASSWORD, enable);
}

void CTunnelCredentialPage::EnableDomain(BOOL enable)
{
    EnableRow(IDC_CRED_LABEL_DOMAIN, IDC_CRED_DOMAIN, enable);
}

void CTunnelCredentialPage::EnableTunnelIdentity(BOOL enable)
{
    EnableRow(IDC_CRED_LABEL_TUNNEL_ID, IDC_CRED_TUNNEL_ID, enable);
}

void CTunnelCredentialPage::EnableTunnelPassword(BOOL enable)
{
    EnableRow(IDC_CRED_LABEL_TUNNEL_PASSWORD, IDC_CRED_TUNNEL_PASSWORD, enable);
}

void CTunnelCredentialPage::ShowPasswordMode(BOOL show)
{
    for (UINT id : { IDC_CRED_LABEL_PASSWORD_MODE, IDC_CRED_SOFT_TOKEN, IDC_CRED_STATIC_PASSWORD }) ShowItem(id, show);
}
