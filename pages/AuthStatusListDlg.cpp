#include "pages/AuthStatusListDlg.h"

#include <cstring>

#include "auth/AuthLogRing.h"
#include "auth/SupplicantBinding.h"
#include "core/ConnectEngine.h"
#include "core/EngineDoor.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "pagebase/PanelDoor.h"
#include "widgets/MessageBoxDlg.h"

namespace {

enum { COL_TIME, COL_DESCRIPTION };

// Layout of the panel, in pixels of its client area (794 wide, about 310 seen).
const int kMargin = 10;
const int kTitleTop = 8, kLabelTop = 32, kLabelHeight = 18, kLabelWidth = 380;
const int kListTop = 56, kListWidth = 774, kListHeight = 204;
const int kButtonTop = 268, kButtonWidth = 90, kButtonHeight = 30, kButtonGap = 12;

// A row is about this high: the list scrolls this much per row shown.
const int kRowScroll = 25;
// The page's pause after each row it adds.
const DWORD kRowPauseMs = 100;

const char kNullString[] = "NULL STRING";

// The current connection's profile is named when it is not one chosen by
// BSSID.
bool NamedProfileConnection() { return g_pCurProfile && g_pCurProfile->matchByBssid == 0; }

CString Label(UINT captionId, const CString& value)
{
    CString s;
    s.Format("%s %s", StringFromTable(captionId).GetString(), value.GetString());
    return s;
}

}  // namespace

BEGIN_MESSAGE_MAP(CAuthStatusListDlg, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_AUTH_STATUS_OK, OnOK)
    ON_BN_CLICKED(IDC_AUTH_STATUS_CANCEL, OnCancel)
    ON_MESSAGE(WM_APP_AUTH_LOG_LINE, OnLogLine)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
END_MESSAGE_MAP()

BOOL CAuthStatusListDlg::OnInitDialog()
{
    CChildPage::OnInitDialog();
    m_list.SubclassDlgItem(IDC_AUTH_STATUS_LIST, this);
    m_btnOk.SubclassDlgItem(IDC_AUTH_STATUS_OK, this);
    m_btnCancel.SubclassDlgItem(IDC_AUTH_STATUS_CANCEL, this);

    PlaceControl(GetDlgItem(IDC_AUTH_STATUS_TITLE), kMargin, kTitleTop, kLabelWidth, kLabelHeight,
                 IDS_AUTH_STATUS_TITLE);
    PlaceControl(GetDlgItem(IDC_AUTH_STATUS_CARD), kMargin, kLabelTop, kLabelWidth, kLabelHeight, 0);
    PlaceControl(GetDlgItem(IDC_AUTH_STATUS_PROFILE), kMargin + kLabelWidth + 14, kLabelTop, kLabelWidth,
                 kLabelHeight, 0);
    PlaceControl(&m_list, kMargin, kListTop, kListWidth, kListHeight, 0);
    int right = kMargin + kListWidth;
    PlaceControl(&m_btnCancel, right - kButtonWidth, kButtonTop, kButtonWidth, kButtonHeight, IDS_CANCEL);
    PlaceControl(&m_btnOk, right - 2 * kButtonWidth - kButtonGap, kButtonTop, kButtonWidth, kButtonHeight, IDS_OK);
    for (CSkinButton* b : { &m_btnOk, &m_btnCancel }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);

    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    m_list.InsertColumn(COL_TIME, "Time", LVCFMT_RIGHT, 150);
    m_list.InsertColumn(COL_DESCRIPTION, "Description", LVCFMT_LEFT, 400);

    m_nRowsShown = 0;
    RefreshLabels();
    return TRUE;
}

void CAuthStatusListDlg::OnDestroy()
{
    Default();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
}

// ---- The labels ------------------------------------------------------------------

void CAuthStatusListDlg::ReadLabelValues()
{
    HKEY key = OpenAdapterKey(KEY_READ);
    if (!key) return;
    CString value;
    if (ReadRegText(key, "DriverDesc", value)) m_strCardLabel = Label(IDS_CARD_NAME_LABEL, value);
    if (NamedProfileConnection() && ReadRegText(key, REGSTR_CUR_PROFILE, value))
        m_strProfileLabel = Label(IDS_PROFILE_NAME_LABEL, value);
    RegCloseKey(key);
}

bool CAuthStatusListDlg::ShowLabels()
{
    bool changed = false;
    const struct {
        UINT id;
        const CString& text;
    } labels[] = { { IDC_AUTH_STATUS_CARD, m_strCardLabel }, { IDC_AUTH_STATUS_PROFILE, m_strProfileLabel } };
    for (const auto& l : labels) {
        CString shown;
        GetDlgItemText(l.id, shown);
        if (shown == l.text) continue;
        SetDlgItemText(l.id, l.text);
        changed = true;
    }
    return changed;
}

void CAuthStatusListDlg::RefreshLabels()
{
    m_rows.clear();
    if (m_list.IsWindow()) {
        m_list.SetItemCount(0);
        m_list.Invalidate();
    }
    m_strProfileLabel.Empty();
    ReadLabelValues();
    if (IsWindow()) ShowLabels();
}

void CAuthStatusListDlg::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
    if (!bShow) return;
    RefreshLabels();
    m_nTimer = SetTimer(IDT_AUTH_STATUS_LABELS, kAuthStatusLabelMs);
}

void CAuthStatusListDlg::OnTimer(UINT_PTR id)
{
    if (id != IDT_AUTH_STATUS_LABELS) return;
    KillTimer(IDT_AUTH_STATUS_LABELS);
    m_strProfileLabel = StringFromTable(IDS_CONNECTED_BY_MANUAL);
    ReadLabelValues();
    // The texts are the same on almost every tick: only a change repaints.
    bool changed = ShowLabels();
    m_nTimer = SetTimer(IDT_AUTH_STATUS_LABELS, kAuthStatusLabelMs);
    if (changed) Invalidate();
}

// ---- The rows --------------------------------------------------------------------

LRESULT CAuthStatusListDlg::OnLogLine(WPARAM wParam, LPARAM)
{
    int index = (int)wParam;
    char line[AUTH_LOG_LINE_SIZE];
    if (!ReadAuthLogLine(index, line, sizeof(line))) return 0;
    m_nReadIndex = index;
    if (std::strcmp(line, AUTH_LOG_END_MARKER) != 0) {
        AddLogRow(line);
        m_nReadIndex = AdvanceLogIndex(index + 1);
        return 0;
    }
    ClearAuthLogRing();
    m_nReadIndex = 0;
    if (ShownInFront() && g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
    return 0;
}

void CAuthStatusListDlg::AddLogRow(const char* text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    AuthStatusRow row;
    row.time.Format("%02d:%02d:%02d.%03d ", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    row.description = (text && *text) ? text : kNullString;
    m_rows.push_back(row);
    ++m_nRowsShown;
    if (!m_list.IsWindow()) return;
    m_list.SetItemCount((int)m_rows.size());
    m_list.Invalidate();
    m_list.Scroll(0, m_nRowsShown * kRowScroll);
    Sleep(kRowPauseMs);
}

LRESULT CAuthStatusListDlg::OnGetCellInfo(WPARAM, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    int row = cell->GetRow();
    if (row < 0 || row >= (int)m_rows.size()) return 0;
    if (cell->GetColumn() == COL_TIME) {
        cell->m_strText = m_rows[row].time;
        // The list keeps its first column to the left whatever the column says.
        cell->m_nFormat = (cell->m_nFormat & ~(UINT)DT_CENTER) | DT_RIGHT;
    } else {
        cell->m_strText = m_rows[row].description;
    }
    return 0;
}

bool CAuthStatusListDlg::ShownInFront() const { return (GetStyle() & WS_VISIBLE) != 0; }

// ---- The buttons -----------------------------------------------------------------

void CAuthStatusListDlg::OnOK()
{
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
    RefreshLabels();
}

void CAuthStatusListDlg::OnCancel()
{
    // The user gave up: the stored configuration is not queued again by itself.
    StopAutoConnect();
    StopAuthentication();
    ClearAuthLogRing();
    m_nReadIndex = 0;
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
    RefreshLabels();
}
