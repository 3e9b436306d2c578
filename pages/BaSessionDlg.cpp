#include "pages/BaSessionDlg.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "pagebase/PanelDoor.h"
#include "pages/HtAggregationPage.h"
#include "pages/MacAddressText.h"
#include "widgets/MessageBoxDlg.h"

namespace {

// OID_VENDOR_MAC_TABLE: a count, then up to 32 entries of 10 bytes that
// begin with the station's MAC address.
constexpr DWORD kMacTableSize = 324;
constexpr DWORD kMacTableEntries = 32;
constexpr DWORD kMacTableEntrySize = 10;

using Mac = std::array<BYTE, 6>;

bool IsZero(const Mac& m)
{
    return std::all_of(m.begin(), m.end(), [](BYTE b) { return b == 0; });
}

}  // namespace

std::vector<CString> CollectBaPeers()
{
    std::vector<Mac> macs;
    if (g_pBssidList) {
        for (const NDIS_WLAN_BSSID_EX* e : BssidListEntries(g_pBssidList, BSSID_LIST_BUFFER_SIZE)) {
            if (e->InfrastructureMode != Ndis802_11Infrastructure) continue;
            Mac m;
            std::memcpy(m.data(), e->MacAddress, 6);
            macs.push_back(m);
        }
    }
    const size_t fromScan = macs.size();

    BYTE table[kMacTableSize] = {};
    DWORD got = 0;
    if (QueryOid(OID_VENDOR_MAC_TABLE, table, sizeof(table), &got) && got >= 4) {
        // The count is the driver's word: never more entries than it sent.
        DWORD count = 0;
        std::memcpy(&count, table, 4);
        count = std::min({ count, kMacTableEntries, (std::min(got, kMacTableSize) - 4) / kMacTableEntrySize });
        for (DWORD i = 0; i < count; ++i) {
            Mac m;
            std::memcpy(m.data(), table + 4 + i * kMacTableEntrySize, 6);
            if (std::find(macs.begin(), macs.begin() + fromScan, m) == macs.begin() + fromScan) macs.push_back(m);
        }
    }

    Mac current;
    std::memcpy(current.data(), g_CurBssid, 6);
    auto it = std::find(macs.begin(), macs.end(), current);
    if (!IsZero(current) && it != macs.end()) std::rotate(macs.begin(), it, it + 1);

    std::vector<CString> rows;
    for (const Mac& m : macs)
        if (!IsZero(m)) rows.push_back(FormatMacAddress(m.data()));
    return rows;
}

// ---- What both dialogs share ------------------------------------------------------

BEGIN_MESSAGE_MAP(CBaSessionDlg, CChildPage)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
    ON_BN_CLICKED(IDC_BA_OK, OnOkButton)
    ON_BN_CLICKED(IDC_BA_CANCEL, OnCancelButton)
END_MESSAGE_MAP()

BOOL CBaSessionDlg::OnInitDialog()
{
    m_list.SubclassDlgItem(IDC_BA_BSSID_LIST, this);
    CChildPage::OnInitDialog();
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list.EnableColumnFocus(FALSE);
    CRect rc;
    m_list.GetClientRect(&rc);
    m_list.InsertColumn(0, "", LVCFMT_LEFT, rc.Width() - ::GetSystemMetrics(SM_CXVSCROLL));
    CComboBox* tid = (CComboBox*)GetDlgItem(IDC_BA_TID);
    if (tid) {
        for (int t = 0; t < kBaTidCount; ++t) {
            CString s;
            s.Format("%d", t);
            tid->AddString(s);
        }
        tid->SetCurSel(0);
    }
    return TRUE;
}

void CBaSessionDlg::FillBssidList()
{
    m_peers.clear();
    m_list.SetItemCount(0);
    m_peers = CollectBaPeers();
    m_list.SetItemCount((int)m_peers.size());
    if (!m_peers.empty()) m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.Invalidate();
}

LRESULT CBaSessionDlg::OnGetCellInfo(WPARAM, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    int row = cell->GetRow();
    if (cell->GetColumn() == 0 && row >= 0 && (size_t)row < m_peers.size())
        cell->m_strText.Format("%s", m_peers[row].GetString());
    return 0;
}

BOOL CBaSessionDlg::TakeChoice()
{
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || (size_t)row >= m_peers.size()) {
        ShowMessageDlg("Please choose BSSID");
        return FALSE;
    }
    CString tid;
    GetDlgItemText(IDC_BA_TID, tid);
    m_nTid = std::atoi(tid);
    ParseMacAddressString(m_peers[row], m_peer);
    return TRUE;
}

BaSessionRequest CBaSessionDlg::NewRequest() const
{
    BaSessionRequest r = {};
    r.direction = m_nOriginator == 1 ? BA_ORIGINATOR : BA_RECIPIENT;
    std::memcpy(r.peer, m_peer, 6);
    r.tid = (BYTE)m_nTid;
    return r;
}

void CBaSessionDlg::ReturnToLinkStatus()
{
    ShowWindow(SW_HIDE);
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
}

void CBaSessionDlg::OnOkButton()
{
    if (!UpdateData(TRUE) || !TakeChoice()) return;
    BaSessionRequest r = NewRequest();
    CompleteRequest(r);
    SetOid(m_dwRequestOid, &r, sizeof(r), nullptr, 3);
    ReturnToLinkStatus();
}

void CBaSessionDlg::OnCancelButton()
{
    ReturnToLinkStatus();
}

// ---- Add ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CAddBaDlg, CBaSessionDlg)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CAddBaDlg::CAddBaDlg(CConfigMainDlg* pMainDlg) : CBaSessionDlg(IDD_ADD_BA, OID_VENDOR_BA_TABLE, pMainDlg) {}

void CAddBaDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_BA_WINDOW_SIZE, m_nWindowSize);
    DDV_MinMaxInt(pDX, m_nWindowSize, 0, 255);
}

void CAddBaDlg::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) return;
    FillBssidList();
    UpdateData(FALSE);
}

void CAddBaDlg::CompleteRequest(BaSessionRequest& request) const
{
    request.windowSize = (BYTE)m_nWindowSize;
}

// ---- Delete ------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDeleteBaDlg, CBaSessionDlg)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CDeleteBaDlg::CDeleteBaDlg(CConfigMainDlg* pMainDlg) : CBaSessionDlg(IDD_DELETE_BA, OID_VENDOR_BA_DELETE, pMainDlg) {}

void CDeleteBaDlg::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) return;
    if (m_pAggregation)
        m_entries = m_nOriginator == 1 ? m_pAggregation->GetOriginatorEntries() : m_pAggregation->GetRecipientEntries();
    FillBssidList();
    int show = m_nPerTid == 0 ? SW_HIDE : SW_SHOW;
    for (UINT id : { IDC_BA_TID, IDC_BA_LABEL_TID }) {
        CWnd* w = GetDlgItem(id);
        if (w) w->ShowWindow(show);
    }
}

void CDeleteBaDlg::CompleteRequest(BaSessionRequest& request) const
{
    request.deleteAll = (BYTE)m_nDeleteAll;
}
