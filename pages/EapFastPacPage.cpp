#include "pages/EapFastPacPage.h"

#include <commdlg.h>

#include <string>

#include "core/ProfileStore.h"
#include "widgets/MessageBoxDlg.h"
#include "resource.h"

namespace {

// Layout (pixels of the page's client area): the provisioning group above,
// the PAC file group below, each in an etched frame.
const int kFrameLeft = 4, kFrameRight = 750;
const int kProvisionTop = 2, kProvisionBottom = 70, kFileTop = 76, kFileBottom = 150;
const int kCheckLeft = 10, kTextLeft = 46;
// The longest path the profile store reads back.
const int kStoredTextMax = kProfileTextMax - 1;

const char* const kTunnelNames[CEapFastPacPage::TUNNEL_COUNT] = { "EAP-MSCHAP v2", "EAP-TLS / Smart Card",
                                                                  "Generic Token Card" };

}  // namespace

BEGIN_MESSAGE_MAP(CEapFastPacPage, CEapPage)
    ON_BN_CLICKED(IDC_PAC_IMPORT, OnImport)
    ON_BN_CLICKED(IDC_PAC_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_PAC_UNAUTH, OnReadControls)
    ON_CBN_SELCHANGE(IDC_PAC_TUNNEL, OnReadControls)
    ON_BN_CLICKED(IDC_PAC_USE_PAC, OnUseCredentialClicked)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CEapFastPacPage::CEapFastPacPage(CConfigMainDlg* pMainDlg) : CEapPage(IDD_EAP_FAST_PAC, pMainDlg) {}

BOOL CEapFastPacPage::OnInitDialog()
{
    m_checkUnauthenticated.SubclassDlgItem(IDC_PAC_UNAUTH, this);
    m_checkUseCredential.SubclassDlgItem(IDC_PAC_USE_PAC, this);
    m_btnImport.SubclassDlgItem(IDC_PAC_IMPORT, this);
    m_btnRemove.SubclassDlgItem(IDC_PAC_REMOVE, this);
    m_comboTunnel.SubclassDlgItem(IDC_PAC_TUNNEL, this);
    StyleCheck(m_checkUnauthenticated, FALSE);
    StyleCheck(m_checkUseCredential, FALSE);

    PlaceControl(&m_checkUnauthenticated, kCheckLeft, kProvisionTop + 4, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_PAC_LABEL_UNAUTH), kTextLeft, kProvisionTop + 12, 320, 18, IDS_PAC_UNAUTH);
    PlaceControl(GetDlgItem(IDC_PAC_LABEL_TUNNEL), kTextLeft, kProvisionTop + 43, 150, 18, IDS_PAC_TUNNEL);
    PlaceControl(&m_comboTunnel, kTextLeft + 155, kProvisionTop + 40, 220, 120, 0);
    PlaceControl(&m_checkUseCredential, kCheckLeft, kFileTop + 4, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_PAC_LABEL_USE_PAC), kTextLeft, kFileTop + 12, 320, 18, IDS_PAC_USE_PAC);
    PlaceControl(GetDlgItem(IDC_PAC_LABEL_PATH), kTextLeft, kFileTop + 43, 90, 18, IDS_PAC_FILE_PATH);
    PlaceControl(GetDlgItem(IDC_PAC_PATH), kTextLeft + 95, kFileTop + 41, 380, 20, 0);
    PlaceControl(&m_btnImport, kTextLeft + 490, kFileTop + 38, 100, 26, IDS_PAC_IMPORT);
    PlaceControl(&m_btnRemove, kTextLeft + 600, kFileTop + 38, 100, 26, IDS_PAC_REMOVE);
    for (CSkinButton* b : { &m_btnImport, &m_btnRemove }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    for (const char* name : kTunnelNames) m_comboTunnel.AddString(name);

    CEapPage::OnInitDialog();
    Refresh();
    return TRUE;
}

void CEapFastPacPage::DoDataExchange(CDataExchange* pDX)
{
    int unauth = m_bAllowUnauthenticated, use = m_bUseProtectedCredential, tunnel = m_nProvisioningTunnel;
    DDX_Check(pDX, IDC_PAC_UNAUTH, unauth);
    DDX_Check(pDX, IDC_PAC_USE_PAC, use);
    DDX_CBIndex(pDX, IDC_PAC_TUNNEL, tunnel);
    m_bAllowUnauthenticated = unauth ? TRUE : FALSE;
    m_bUseProtectedCredential = use ? TRUE : FALSE;
    if (tunnel >= 0 && tunnel < TUNNEL_COUNT) m_nProvisioningTunnel = tunnel;
    DDX_Text(pDX, IDC_PAC_PATH, m_strPacFilePath);
}

void CEapFastPacPage::Reset()
{
    m_strPacFilePath.Empty();
    m_bAllowUnauthenticated = TRUE;
    m_bUseProtectedCredential = TRUE;
    m_nProvisioningTunnel = TUNNEL_MSCHAPV2;
    Refresh();
}

void CEapFastPacPage::Refresh()
{
    if (!IsWindow()) return;
    UpdateData(FALSE);
    UpdateFileControls();
}

void CEapFastPacPage::UpdateFileControls()
{
    for (UINT id : { IDC_PAC_IMPORT, IDC_PAC_REMOVE, IDC_PAC_PATH, IDC_PAC_LABEL_PATH })
        EnableItem(id, m_bUseProtectedCredential);
}

void CEapFastPacPage::OnImport()
{
    UpdateData(TRUE);
    CString filterName = StringFromTable(IDS_PAC_FILTER);
    std::string filter(filterName.GetString());
    filter.append(1, '\0').append("*.pac").append(2, '\0');
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    // The PAC files of the profiles live in the current directory: browsing
    // elsewhere must not move it.
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&ofn)) return;
    if (lstrlenA(file) > kStoredTextMax) {
        // The profile could not read such a path back.
        ShowMessageDlg(StringFromTable(IDS_PAC_PATH_TOO_LONG));
        return;
    }
    m_strPacFilePath = file;
    UpdateData(FALSE);
    UpdateFileControls();
}

void CEapFastPacPage::OnRemove()
{
    UpdateData(TRUE);
    m_strPacFilePath.Empty();
    UpdateData(FALSE);
    UpdateFileControls();
}

void CEapFastPacPage::OnReadControls()
{
    UpdateData(TRUE);
}

void CEapFastPacPage::OnUseCredentialClicked()
{
    UpdateData(TRUE);
    UpdateFileControls();
}

void CEapFastPacPage::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    DrawTopLine(&dc, rc.Width());
    COLORREF shadow = ::GetSysColor(COLOR_3DSHADOW), light = ::GetSysColor(COLOR_3DHILIGHT);
    const struct { int top, bottom; } frames[] = { { kProvisionTop + 2, kProvisionBottom }, { kFileTop, kFileBottom } };
    for (const auto& f : frames) {
        CRect r(kFrameLeft, f.top, kFrameRight, f.bottom);
        dc.Draw3dRect(r.left, r.top, r.Width(), r.Height(), shadow, light);
        dc.Draw3dRect(r.left + 1, r.top + 1, r.Width() - 2, r.Height() - 2, light, shadow);
    }
}
