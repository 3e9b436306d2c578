#include "pages/HtAggregationPage.h"

#include <cstdlib>
#include <cstring>

#include "classlib/Handles.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "pages/BaSessionDlg.h"

namespace {

const UINT kSessionButtons[] = { IDC_AGG_ORIGINATOR_ADD, IDC_AGG_ORIGINATOR_DELETE, IDC_AGG_ORIGINATOR_DELETE_ALL,
                                 IDC_AGG_RECIPIENT_ADD,  IDC_AGG_RECIPIENT_DELETE,  IDC_AGG_RECIPIENT_DELETE_ALL };

// The SMPS byte of the record for a choice, and back.
BYTE SmpsByte(int choice)
{
    switch (choice) {
    case SMPS_CHOICE_STATIC: return 0;
    case SMPS_CHOICE_DYNAMIC: return 1;
    default: return 3;
    }
}

int SmpsChoice(BYTE b)
{
    return b == 0 ? SMPS_CHOICE_STATIC : b == 1 ? SMPS_CHOICE_DYNAMIC : SMPS_CHOICE_ENABLE;
}

}  // namespace

BEGIN_MESSAGE_MAP(CHtAggregationPage, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_AGG_APPLY, OnApply)
    ON_BN_CLICKED(IDC_AGG_AMSDU, OnSwitch)
    ON_BN_CLICKED(IDC_AGG_MPDU, OnSwitch)
    ON_BN_CLICKED(IDC_AGG_MANUAL, OnSwitch)
    ON_BN_CLICKED(IDC_AGG_AUTO, OnSwitch)
    ON_BN_CLICKED(IDC_AGG_ORIGINATOR_ADD, OnOriginatorAdd)
    ON_BN_CLICKED(IDC_AGG_RECIPIENT_ADD, OnRecipientAdd)
    ON_BN_CLICKED(IDC_AGG_ORIGINATOR_DELETE, OnOriginatorDelete)
    ON_BN_CLICKED(IDC_AGG_ORIGINATOR_DELETE_ALL, OnOriginatorDeleteAll)
    ON_BN_CLICKED(IDC_AGG_RECIPIENT_DELETE, OnRecipientDelete)
    ON_BN_CLICKED(IDC_AGG_RECIPIENT_DELETE_ALL, OnRecipientDeleteAll)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
END_MESSAGE_MAP()

BOOL CHtAggregationPage::OnInitDialog()
{
    m_lists[BA_ORIGINATOR].SubclassDlgItem(IDC_AGG_ORIGINATOR_LIST, this);
    m_lists[BA_RECIPIENT].SubclassDlgItem(IDC_AGG_RECIPIENT_LIST, this);
    CComboBox* density = (CComboBox*)GetDlgItem(IDC_AGG_DENSITY);
    if (density) {
        for (int d = 0; d <= 7; ++d) {
            CString s;
            s.Format("%d", d);
            density->AddString(s);
        }
    }
    return CChildPage::OnInitDialog();
}

void CHtAggregationPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, IDC_AGG_AMSDU, m_bAmsdu);
    DDX_Check(pDX, IDC_AGG_MPDU, m_bMpdu);
    DDX_CBString(pDX, IDC_AGG_DENSITY, m_strDensity);
    // A group with no button checked keeps its member.
    int size = m_nAmsduSize, smps = m_nSmps, automatic = m_nAuto;
    DDX_Radio(pDX, IDC_AGG_AMSDU_3839, size);
    DDX_Radio(pDX, IDC_AGG_SM_ENABLE, smps);
    DDX_Radio(pDX, IDC_AGG_MANUAL, automatic);
    if (size >= 0) m_nAmsduSize = size;
    if (smps >= 0) m_nSmps = smps;
    if (automatic >= 0) m_nAuto = automatic;
}

// ---- The capability record -------------------------------------------------------------

BaCapability CHtAggregationPage::PackMembers() const
{
    BaCapability cap = {};
    cap.byte0 = (BYTE)m_nByte0;
    cap.byte1 = (BYTE)m_nByte1;
    cap.mpdu = m_bMpdu ? 1 : 2;
    cap.density = (BYTE)std::atoi(m_strDensity);
    cap.amsdu = (BYTE)m_bAmsdu;
    cap.amsduSize = (BYTE)m_nAmsduSize;
    cap.smps = SmpsByte(m_nSmps);
    cap.autoAggregation = m_nAuto == 1 ? 1 : 0;
    return cap;
}

void CHtAggregationPage::UnpackRecord(const BaCapability& cap)
{
    m_nByte0 = cap.byte0;
    m_nByte1 = cap.byte1;
    m_bMpdu = cap.mpdu == 1 ? 1 : 0;
    m_nAuto = cap.autoAggregation == 1 ? 1 : 0;
    m_strDensity.Format("%d", cap.density);
    if (cap.amsdu == 1) {
        m_bAmsdu = 1;
        m_nAmsduSize = cap.amsduSize;
    } else {
        m_bAmsdu = 0;
    }
    m_nSmps = SmpsChoice(cap.smps);
}

BOOL CHtAggregationPage::ReadBaCapability()
{
    CRegKey key(OpenAdapterKey(KEY_READ));
    DWORD value = 0;
    // Only a 4-byte number is a capability word; a text or a short value is not.
    if (!key.IsOpen() || !ReadRegWord(key, REGSTR_BA_CAP, &value)) return FALSE;
    UnpackRecord(BaCapabilityFromRegistry(value));
    return TRUE;
}

void CHtAggregationPage::WriteBaCapability()
{
    WriteAdapterDword(REGSTR_BA_CAP, BaCapabilityToRegistry(PackMembers()));
}

void CHtAggregationPage::SetBaCapabilityOid()
{
    BaCapability cap = PackMembers();
    SetOid(OID_VENDOR_BA_CAPABILITY, &cap, sizeof(cap), nullptr, 3);
}

// ---- Showing and the sessions ------------------------------------------------------------

void CHtAggregationPage::SetUpList(CCellListCtrl& list)
{
    list.SetItemCount(0);
    list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    list.EnableColumnFocus(FALSE);
    HWND header = list.GetHeaderCtrl();
    if (header && ::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) > 0) return;
    list.InsertColumn(0, "MAC Address", LVCFMT_LEFT, 140);
    for (int t = 0; t < kBaTidCount; ++t) {
        CString heading;
        heading.Format("TID %d", t);
        list.InsertColumn(1 + t, heading, LVCFMT_LEFT, 20);
    }
}

void CHtAggregationPage::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) {
        if (m_nTimer) KillTimer(m_nTimer);
        m_nTimer = 0;
        return;
    }
    for (int d = 0; d < 2; ++d) {
        m_rows[d].clear();
        m_entries[d].clear();
        SetUpList(m_lists[d]);
    }
    // Without a stored word the driver's own record is the starting point,
    // so that the two bytes carried through keep the driver's values.
    if (!ReadBaCapability()) {
        BaCapability cap = {};
        DWORD got = 0;
        // Cut to the widths the controls (and the stored word) hold, so that
        // what is sent is what the dialog shows.
        if (QueryOid(OID_VENDOR_BA_CAPABILITY, &cap, sizeof(cap), &got) && got == sizeof(cap))
            UnpackRecord(BaCapabilityFromRegistry(BaCapabilityToRegistry(cap)));
    }
    SetBaCapabilityOid();
    UpdateData(FALSE);
    UpdateControlStates();
    m_nTimer = SetTimer(IDT_BA_REFRESH, 1000);
}

void CHtAggregationPage::OnTimer(UINT_PTR id)
{
    if (id == IDT_BA_REFRESH) RefreshBaSessions();
}

void CHtAggregationPage::OnDestroy()
{
    Default();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
}

void CHtAggregationPage::RefreshBaSessions()
{
    // Zero-filled, so that what the driver did not send reads as no entries.
    std::vector<BYTE> table(kBaTableSize, 0);
    DWORD got = 0;
    if (!QueryOid(OID_VENDOR_BA_TABLE, table.data(), kBaTableSize, &got) || got == 0) return;
    for (int d = 0; d < 2; ++d) {
        ParseBaSessionTable(table.data(), got, d, m_rows[d], m_entries[d]);
        m_lists[d].SetItemCount((int)m_rows[d].size());
        m_lists[d].RedrawItems(0, (int)m_rows[d].size());
        m_lists[d].Invalidate();
    }
}

LRESULT CHtAggregationPage::OnGetCellInfo(WPARAM wParam, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    int d = (HWND)wParam == m_lists[BA_RECIPIENT].m_hWnd ? BA_RECIPIENT : BA_ORIGINATOR;
    int row = cell->GetRow(), column = cell->GetColumn();
    if (row < 0 || (size_t)row >= m_rows[d].size() || column < 0 || column > kBaTidCount) return 0;
    cell->m_strText = m_rows[d][row].cells[column];
    cell->m_bSpare = column == 0 ? 1 : 0;
    return 0;
}

// ---- Buttons ---------------------------------------------------------------------------

void CHtAggregationPage::UpdateControlStates()
{
    BOOL mpdu = m_bMpdu != 0;
    BOOL sessions = mpdu && m_nAuto != 1;
    for (UINT id : { IDC_AGG_DENSITY, IDC_AGG_MANUAL, IDC_AGG_AUTO, IDC_AGG_LABEL_DENSITY }) {
        CWnd* w = GetDlgItem(id);
        if (w) w->EnableWindow(mpdu);
    }
    for (UINT id : kSessionButtons) {
        CWnd* w = GetDlgItem(id);
        if (w) w->EnableWindow(sessions);
    }
    for (UINT id : { IDC_AGG_AMSDU_3839, IDC_AGG_AMSDU_7935 }) {
        CWnd* w = GetDlgItem(id);
        if (w) w->EnableWindow(m_bAmsdu != 0);
    }
}

void CHtAggregationPage::OnApply()
{
    if (!UpdateData(TRUE)) return;
    SetBaCapabilityOid();
    WriteBaCapability();
    UpdateControlStates();
}

void CHtAggregationPage::OnSwitch()
{
    UpdateData(TRUE);
    UpdateControlStates();
}

// The session dialogs are panels of whoever hosts this dialog: a fresh
// showing makes them read their lists again.
void CHtAggregationPage::OpenPanel(CChildPage* panel)
{
    if (!panel || !panel->IsWindow()) return;
    if (panel->IsWindowVisible()) panel->ShowWindow(SW_HIDE);
    panel->ShowWindow(SW_SHOW);
}

void CHtAggregationPage::OnOriginatorAdd()
{
    if (!m_pAddDlg) return;
    m_pAddDlg->m_nOriginator = 1;
    OpenPanel(m_pAddDlg);
}

void CHtAggregationPage::OnRecipientAdd()
{
    if (!m_pAddDlg) return;
    m_pAddDlg->m_nOriginator = 0;
    OpenPanel(m_pAddDlg);
}

void CHtAggregationPage::OpenDelete(int originator, int perTid, int deleteAll)
{
    if (!m_pDeleteDlg) return;
    m_pDeleteDlg->m_nOriginator = originator;
    m_pDeleteDlg->m_nPerTid = perTid;
    m_pDeleteDlg->m_nDeleteAll = deleteAll;
    m_pDeleteDlg->m_pAggregation = this;
    OpenPanel(m_pDeleteDlg);
}

void CHtAggregationPage::OnOriginatorDelete() { OpenDelete(1, 1, 0); }
void CHtAggregationPage::OnOriginatorDeleteAll() { OpenDelete(1, 0, 1); }
void CHtAggregationPage::OnRecipientDelete() { OpenDelete(0, 1, 0); }
void CHtAggregationPage::OnRecipientDeleteAll() { OpenDelete(0, 0, 1); }
