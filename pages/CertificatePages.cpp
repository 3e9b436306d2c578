#include "pages/CertificatePages.h"

#include <cstring>

#include "core/ProfileStore.h"
#include "widgets/MessageBoxDlg.h"
#include "resource.h"

namespace {

// Layout (pixels of a page's client area).
const int kCheckLeft = 8, kTextLeft = 44, kComboWidth = 420, kDropHeight = 200;
const int kValueLeft = 190, kValueWidth = 550;
const int kRowUse = 4, kRowCombo = 36, kRowDetails = 68, kDetailPitch = 22;
// The longest server name the profile store reads back.
const int kStoredTextMax = kProfileTextMax - 1;

const UINT kDetailLabels[4] = { IDC_CCERT_LABEL_ISSUED_TO, IDC_CCERT_LABEL_ISSUED_BY, IDC_CCERT_LABEL_EXPIRY,
                                IDC_CCERT_LABEL_FRIENDLY };
const UINT kDetailValues[4] = { IDC_CCERT_ISSUED_TO, IDC_CCERT_ISSUED_BY, IDC_CCERT_EXPIRY, IDC_CCERT_FRIENDLY };

CERT_INFO_RECORD NoRecord()
{
    CERT_INFO_RECORD r;
    std::memset(&r, 0, sizeof(r));
    return r;
}

// A record that names no certificate of the list but keeps a stored hash.
CERT_INFO_RECORD RecordOfHash(const BYTE* hash, DWORD length)
{
    CERT_INFO_RECORD r = NoRecord();
    if (hash && length > 0 && length <= kCertHashMax) {
        r.hashLength = length;
        std::memcpy(r.hash, hash, length);
    }
    return r;
}

// The index into the list of a combo line (its item data), or -1.
int RecordIndex(const CComboBox& combo, int line, size_t count)
{
    if (line < 0) return -1;
    LRESULT data = combo.SendMessage(CB_GETITEMDATA, (WPARAM)line);
    if (data == CB_ERR || data < 0 || (size_t)data >= count) return -1;
    return (int)data;
}

int LineOfRecord(const CComboBox& combo, int index)
{
    int n = combo.GetCount();
    for (int line = 0; line < n; ++line)
        if ((int)combo.GetItemData(line) == index) return line;
    return -1;
}

}  // namespace

// ---- Client certificate --------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CClientCertPage, CEapPage)
    ON_BN_CLICKED(IDC_CCERT_USE, OnUseClicked)
    ON_CBN_SELCHANGE(IDC_CCERT_COMBO, OnSelChange)
END_MESSAGE_MAP()

CClientCertPage::CClientCertPage(CConfigMainDlg* pMainDlg) : CEapPage(IDD_CLIENT_CERT, pMainDlg), m_selected(NoRecord())
{
}

BOOL CClientCertPage::OnInitDialog()
{
    m_checkUse.SubclassDlgItem(IDC_CCERT_USE, this);
    m_combo.SubclassDlgItem(IDC_CCERT_COMBO, this);
    StyleCheck(m_checkUse, FALSE);
    PlaceControl(&m_checkUse, kCheckLeft, kRowUse - 4, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_CCERT_LABEL_USE), kTextLeft, kRowUse + 4, 300, 18, 0);
    PlaceControl(&m_combo, kTextLeft, kRowCombo, kComboWidth, kDropHeight, 0);
    for (int i = 0; i < 4; ++i) {
        int y = kRowDetails + i * kDetailPitch;
        PlaceControl(GetDlgItem(kDetailLabels[i]), kTextLeft, y, kValueLeft - kTextLeft - 6, 18, 0);
        PlaceControl(GetDlgItem(kDetailValues[i]), kValueLeft, y, kValueWidth, 18, 0);
    }
    CEapPage::OnInitDialog();
    EnableControls(FALSE);
    return TRUE;
}

void CClientCertPage::DoDataExchange(CDataExchange* pDX)
{
    int use = m_bUseClientCert;
    DDX_Check(pDX, IDC_CCERT_USE, use);
    m_bUseClientCert = use ? TRUE : FALSE;
    DDX_Text(pDX, IDC_CCERT_ISSUED_TO, m_strIssuedTo);
    DDX_Text(pDX, IDC_CCERT_ISSUED_BY, m_strIssuedBy);
    DDX_Text(pDX, IDC_CCERT_EXPIRY, m_strExpiry);
    DDX_Text(pDX, IDC_CCERT_FRIENDLY, m_strFriendlyName);
}

void CClientCertPage::EnableControls(BOOL enable)
{
    EnableItem(IDC_CCERT_COMBO, enable);
    for (int i = 0; i < 4; ++i) {
        EnableItem(kDetailLabels[i], enable);
        EnableItem(kDetailValues[i], enable);
    }
}

void CClientCertPage::FillCertCombo()
{
    m_combo.ResetContent();
    EnumStoreCertificates(m_certs, "MY");
    for (size_t i = 0; i < m_certs.size(); ++i) {
        int line = m_combo.AddString(m_certs[i].subject);
        if (line >= 0) m_combo.SetItemData(line, (DWORD_PTR)i);
    }
    if (m_combo.GetCount() > 0) {
        m_combo.SetCurSel(0);
        OnSelChange();
    }
}

void CClientCertPage::OnSelChange()
{
    UpdateData(TRUE);
    ShowSelected(m_combo.GetCurSel());
}

// The line's certificate becomes the choice; the combo line is matched to
// its record by position, so that two certificates of one subject stay apart.
void CClientCertPage::ShowSelected(int line)
{
    int index = RecordIndex(m_combo, line, m_certs.size());
    if (index < 0) {
        m_selected = NoRecord();
        m_strIssuedTo.Empty();
        m_strIssuedBy.Empty();
        m_strExpiry.Empty();
        m_strFriendlyName.Empty();
    } else {
        m_selected = m_certs[index];
        m_strIssuedTo = m_selected.subject;
        m_strIssuedBy = m_selected.issuer;
        m_strExpiry = m_selected.expiry;
        m_strFriendlyName = m_selected.friendlyName;
    }
    UpdateData(FALSE);
}

void CClientCertPage::OnUseClicked()
{
    UpdateData(TRUE);
    if (m_bUseClientCert) FillCertCombo();
    EnableControls(m_bUseClientCert);
}

void CClientCertPage::UpdateCertControls()
{
    UpdateData(FALSE);
    if (m_bUseClientCert) FillCertCombo();
    EnableControls(m_bUseClientCert);
}

void CClientCertPage::SelectByHash(const BYTE* hash, DWORD length)
{
    const CERT_INFO_RECORD* r = FindCertByHash(m_certs, hash, length);
    int line = r ? LineOfRecord(m_combo, (int)(r - m_certs.data())) : -1;
    m_combo.SetCurSel(line);
    ShowSelected(line);
    if (line < 0) m_selected = RecordOfHash(hash, length);
}

void CClientCertPage::Reset()
{
    m_bUseClientCert = FALSE;
    m_certs.clear();
    m_selected = NoRecord();
    if (!IsWindow()) return;
    m_combo.ResetContent();
    ShowSelected(-1);
    EnableControls(FALSE);
}

// ---- Server certificate --------------------------------------------------------------------

const char* const CServerCertPage::kAnyTrustedCa = "- Any Trusted CA -";

BEGIN_MESSAGE_MAP(CServerCertPage, CEapPage)
    ON_BN_CLICKED(IDC_SCERT_USE, OnUseClicked)
    ON_CBN_SELCHANGE(IDC_SCERT_COMBO, OnSelChange)
    ON_BN_CLICKED(IDC_SCERT_EXACT, OnRuleClicked)
    ON_BN_CLICKED(IDC_SCERT_DOMAIN, OnRuleClicked)
END_MESSAGE_MAP()

CServerCertPage::CServerCertPage(CConfigMainDlg* pMainDlg) : CEapPage(IDD_SERVER_CERT, pMainDlg), m_selected(NoRecord())
{
}

BOOL CServerCertPage::OnInitDialog()
{
    m_checkUse.SubclassDlgItem(IDC_SCERT_USE, this);
    m_combo.SubclassDlgItem(IDC_SCERT_COMBO, this);
    m_checkIntermediate.SubclassDlgItem(IDC_SCERT_INTERMEDIATE, this);
    m_radioExact.SubclassDlgItem(IDC_SCERT_EXACT, this);
    m_radioDomain.SubclassDlgItem(IDC_SCERT_DOMAIN, this);
    StyleCheck(m_checkUse, FALSE);
    StyleCheck(m_checkIntermediate, FALSE);
    StyleCheck(m_radioExact, TRUE);
    StyleCheck(m_radioDomain, TRUE);

    PlaceControl(&m_checkUse, kCheckLeft, kRowUse - 4, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_SCERT_LABEL_USE), kTextLeft, kRowUse + 4, 300, 18, 0);
    PlaceControl(&m_combo, kTextLeft, kRowCombo, kComboWidth, kDropHeight, 0);
    PlaceControl(&m_checkIntermediate, kTextLeft + kComboWidth + 14, kRowCombo - 5, 32, 32, 0);
    PlaceControl(GetDlgItem(IDC_SCERT_LABEL_INTERMEDIATE), kTextLeft + kComboWidth + 50, kRowCombo + 3, 230, 18, 0);
    PlaceControl(GetDlgItem(IDC_SCERT_LABEL_SERVER_NAME), kTextLeft, kRowDetails + 3, 130, 18, 0);
    PlaceControl(GetDlgItem(IDC_SCERT_SERVER_NAME), kValueLeft, kRowDetails, 400, 22, 0);
    const UINT radios[2] = { IDC_SCERT_EXACT, IDC_SCERT_DOMAIN };
    const UINT labels[2] = { IDC_SCERT_LABEL_EXACT, IDC_SCERT_LABEL_DOMAIN };
    for (int i = 0; i < 2; ++i) {
        int y = kRowDetails + 24 + i * 32;
        PlaceControl(GetDlgItem(radios[i]), kValueLeft - 6, y, 32, 32, 0);
        PlaceControl(GetDlgItem(labels[i]), kValueLeft + 30, y + 8, 330, 18, 0);
    }
    GetDlgItem(IDC_SCERT_SERVER_NAME)->SendMessage(EM_LIMITTEXT, kStoredTextMax);
    CEapPage::OnInitDialog();
    EnableControls(FALSE);
    return TRUE;
}

void CServerCertPage::DoDataExchange(CDataExchange* pDX)
{
    int use = m_bUseServerCert, intermediate = m_bAllowIntermediate, rule = m_nNameRule;
    DDX_Check(pDX, IDC_SCERT_USE, use);
    DDX_Check(pDX, IDC_SCERT_INTERMEDIATE, intermediate);
    DDX_Radio(pDX, IDC_SCERT_EXACT, rule);
    m_bUseServerCert = use ? TRUE : FALSE;
    m_bAllowIntermediate = intermediate ? TRUE : FALSE;
    if (rule == 0 || rule == 1) m_nNameRule = rule;
    DDX_CBIndex(pDX, IDC_SCERT_COMBO, m_nCaSelection);
    DDX_Text(pDX, IDC_SCERT_SERVER_NAME, m_strServerName);
}

void CServerCertPage::EnableControls(BOOL enable)
{
    for (UINT id : { IDC_SCERT_COMBO, IDC_SCERT_INTERMEDIATE, IDC_SCERT_LABEL_INTERMEDIATE,
                     IDC_SCERT_LABEL_SERVER_NAME, IDC_SCERT_SERVER_NAME, IDC_SCERT_EXACT, IDC_SCERT_DOMAIN,
                     IDC_SCERT_LABEL_EXACT, IDC_SCERT_LABEL_DOMAIN })
        EnableItem(id, enable);
}

void CServerCertPage::FillCaCombo()
{
    m_combo.ResetContent();
    EnumStoreCertificates(m_certs, "ROOT");
    int any = m_combo.AddString(kAnyTrustedCa);
    m_combo.SetItemData(any, (DWORD_PTR)-1);
    for (size_t i = 0; i < m_certs.size(); ++i) {
        int line = m_combo.AddString(m_certs[i].subject);
        if (line >= 0) m_combo.SetItemData(line, (DWORD_PTR)i);
    }
    ShowLineOfSelection();
}

void CServerCertPage::ShowLineOfSelection()
{
    int line = 0;
    if (HasSelection()) {
        const CERT_INFO_RECORD* r = FindCertByHash(m_certs, m_selected.hash, m_selected.hashLength);
        line = r ? LineOfRecord(m_combo, (int)(r - m_certs.data())) : -1;
    }
    m_nCaSelection = line;
    m_combo.SetCurSel(line);
}

void CServerCertPage::OnSelChange()
{
    UpdateData(TRUE);
    // "- Any Trusted CA -" (and any line without a record) chooses none.
    int index = RecordIndex(m_combo, m_nCaSelection, m_certs.size());
    m_selected = index < 0 ? NoRecord() : m_certs[index];
}

void CServerCertPage::OnUseClicked()
{
    UpdateData(TRUE);
    if (m_bUseServerCert) FillCaCombo();
    EnableControls(m_bUseServerCert);
}

void CServerCertPage::OnRuleClicked()
{
    UpdateData(TRUE);
    ClickOwnTab();
}

void CServerCertPage::UpdateCertControls()
{
    UpdateData(FALSE);
    if (m_bUseServerCert) FillCaCombo();
    EnableControls(m_bUseServerCert);
}

void CServerCertPage::SelectByHash(const BYTE* hash, DWORD length)
{
    m_selected = RecordOfHash(hash, length);
    if (const CERT_INFO_RECORD* r = FindCertByHash(m_certs, hash, length)) m_selected = *r;
    if (m_combo.GetCount() > 0) ShowLineOfSelection();
}

void CServerCertPage::Reset()
{
    m_bUseServerCert = FALSE;
    m_bAllowIntermediate = FALSE;
    m_nNameRule = 0;
    m_strServerName.Empty();
    m_selected = NoRecord();
    m_certs.clear();
    m_nCaSelection = -1;
    if (!IsWindow()) return;
    m_combo.ResetContent();
    UpdateData(FALSE);
    EnableControls(FALSE);
}
