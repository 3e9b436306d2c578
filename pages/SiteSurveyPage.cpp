#include "pages/SiteSurveyPage.h"

#include <algorithm>
#include <cstring>

#include "auth/SupplicantBinding.h"
#include "core/LinkState.h"
#include "core/MovableMemory.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/StationConfig.h"
#include "core/WpsRuntime.h"
#include "core/ZeroConfig.h"
#include "core/ChannelTable.h"
#include "pagebase/PanelDoor.h"
#include "pages/NetworkInfoDlg.h"
#include "widgets/MessageBoxDlg.h"

// The survey's choice to show signals in dBm; cleared when the window goes.
BOOL g_bShowDbm = FALSE;

int CSiteSurveyPage::s_nLinkMisses = 0;

namespace {

// List columns.
enum {
    COL_CONNECTED, COL_SSID, COL_NETWORK_TYPE, COL_CHANNEL, COL_BAND_A, COL_BAND_B, COL_BAND_G, COL_BAND_N,
    COL_SECURITY, COL_SIGNAL_TEXT, COL_SIGNAL_BAR, COL_COUNT
};

struct ColumnSpec {
    const char* heading;
    int format;
    int width;
};
const ColumnSpec kColumns[COL_COUNT] = {
    { "Connected Icon", LVCFMT_CENTER, 16 }, { "SSID", LVCFMT_LEFT, 250 },
    { "Network Type", LVCFMT_CENTER, 16 }, { "Channel", LVCFMT_LEFT, 32 },
    { "a Icon", LVCFMT_CENTER, 16 }, { "b Icon", LVCFMT_CENTER, 16 },
    { "g Icon", LVCFMT_CENTER, 16 }, { "n Icon", LVCFMT_CENTER, 16 },
    { "Security Icon", LVCFMT_CENTER, 16 }, { "", LVCFMT_CENTER, 60 },
    { "Signal", LVCFMT_CENTER, 295 },
};

// Layout of the page, in pixels of its client area (794 x 342).
const int kMargin = 10;
const int kSortTop = 10;
const int kTitleTop = 38;
const int kListTop = 60;
const int kListWidth = 774;
const int kListHeight = 232;
const int kButtonTop = 300;
const int kButtonWidth = 110;
const int kButtonHeight = 30;
const int kButtonGap = 10;

const UINT kSortRadioIds[3] = { IDC_SURVEY_SORT_SSID, IDC_SURVEY_SORT_CHANNEL, IDC_SURVEY_SORT_SIGNAL };
const UINT kSortLabelIds[3] = { IDC_SURVEY_LABEL_SSID, IDC_SURVEY_LABEL_CHANNEL, IDC_SURVEY_LABEL_SIGNAL };
const UINT kSortLabelTexts[3] = { IDS_SURVEY_SSID, IDS_SURVEY_CHANNEL, IDS_SURVEY_SIGNAL };

bool IsZeroMac(const BYTE* mac)
{
    for (int i = 0; i < 6; ++i)
        if (mac[i]) return false;
    return true;
}

// The current profile's authentication needs the supplicant to let the link
// go before a rescan: WPA, WPA-PSK, WPA2, WPA2-PSK, or Open with 802.1X.
bool ProfileRunsThroughPort(const StationConfig* p)
{
    DWORD a = p->authMode;
    return a == Ndis802_11AuthModeWPA || a == Ndis802_11AuthModeWPAPSK || a == Ndis802_11AuthModeWPA2 ||
           a == Ndis802_11AuthModeWPA2PSK || (a == Ndis802_11AuthModeOpen && p->use8021x == 1);
}

// Before a rescan the supplicant lets the link go: poll it for up to 10 s
// while it still reports connected, then give it one more second.
void WaitForPortToLetGo()
{
    ULONGLONG start = ::GetTickCount64();
    while (AuthPortReportsConnected()) {
        if (::GetTickCount64() - start >= 10000) return;
        ::Sleep(50);
    }
    ::Sleep(1000);
}

}  // namespace

BEGIN_MESSAGE_MAP(CSiteSurveyPage, CChildPage)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_SURVEY_RESCAN, OnRescan)
    ON_BN_CLICKED(IDC_SURVEY_CONNECT, OnConnect)
    ON_BN_CLICKED(IDC_SURVEY_ADD_PROFILE, OnAddToProfile)
    ON_BN_CLICKED(IDC_SURVEY_SORT_SSID, OnSortButton)
    ON_BN_CLICKED(IDC_SURVEY_SORT_CHANNEL, OnSortButton)
    ON_BN_CLICKED(IDC_SURVEY_SORT_SIGNAL, OnSortButton)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetCellInfo)
    ON_NOTIFY(NM_DBLCLK, IDC_SURVEY_LIST, OnDblclkList)
    // The list takes NM_CLICK itself and reports the click on a cell.
    ON_MESSAGE(WM_CELLLIST_CELLCLICK, OnClickList)
END_MESSAGE_MAP()

CSiteSurveyPage::CSiteSurveyPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_SITE_SURVEY_PAGE, pMainDlg) {}

CSiteSurveyPage::~CSiteSurveyPage()
{
    FreeMovable(m_pScanCopy);
}

void CSiteSurveyPage::DoDataExchange(CDataExchange* pDX)
{
    int key = m_nSortKey;
    DDX_Radio(pDX, IDC_SURVEY_SORT_SSID, key);
    if (key >= SURVEY_SORT_SSID && key <= SURVEY_SORT_SIGNAL) m_nSortKey = key;
    int dbm = g_bShowDbm ? 1 : 0;
    DDX_Check(pDX, IDC_SURVEY_SHOW_DBM, dbm);
    g_bShowDbm = dbm ? TRUE : FALSE;
}

BOOL CSiteSurveyPage::OnInitDialog()
{
    m_list.SubclassDlgItem(IDC_SURVEY_LIST, this);
    m_btnRescan.SubclassDlgItem(IDC_SURVEY_RESCAN, this);
    m_btnConnect.SubclassDlgItem(IDC_SURVEY_CONNECT, this);
    m_btnAddProfile.SubclassDlgItem(IDC_SURVEY_ADD_PROFILE, this);
    for (int i = 0; i < 3; ++i) m_radioSort[i].SubclassDlgItem(kSortRadioIds[i], this);
    m_checkDbm.SubclassDlgItem(IDC_SURVEY_SHOW_DBM, this);
    m_title.SubclassDlgItem(IDC_SURVEY_TITLE, this);
    CChildPage::OnInitDialog();

    PlaceControls();
    BuildList();

    m_bScanning = TRUE;
    UpdateButtons();
    m_nTimer = SetTimer(IDT_SURVEY_REFRESH, 2000);
    m_pScanCopy = static_cast<BssidListBuffer*>(AllocMovable(BSSID_LIST_BUFFER_SIZE));
    return TRUE;
}

void CSiteSurveyPage::PlaceControls()
{
    CWnd* sortedBy = GetDlgItem(IDC_SURVEY_SORTED_BY);
    if (sortedBy) sortedBy->MoveWindow(kMargin, kSortTop, 100, 20);

    int x = kMargin + 104;
    for (int i = 0; i < 3; ++i) {
        PlaceControl(&m_radioSort[i], x, kSortTop, 20, 20, 0);
        PlaceControl(GetDlgItem(kSortLabelIds[i]), x + 22, kSortTop + 2, 64, 18, kSortLabelTexts[i]);
        m_radioSort[i].SetIcon(IDI_OPTION_ON, IDI_OPTION_OFF);
        m_radioSort[i].DrawBorder(FALSE);
        x += 92;
    }
    PlaceControl(&m_checkDbm, x + 16, kSortTop, 20, 20, 0);
    PlaceControl(GetDlgItem(IDC_SURVEY_LABEL_DBM), x + 38, kSortTop + 2, 90, 18, IDS_SURVEY_SHOW_DBM);
    m_checkDbm.SetIcon(IDI_CHECK_ON, IDI_CHECK_OFF);
    m_checkDbm.DrawBorder(FALSE);
    m_checkDbm.SetColor(COwnerDrawButton::COLOR_FG_IN, RGB(0, 0, 255));
    m_checkDbm.SetColor(COwnerDrawButton::COLOR_FG_OUT, RGB(0, 0, 0));

    PlaceControl(&m_title, kMargin, kTitleTop, kListWidth, 18, IDS_SURVEY_TITLE);
    PlaceControl(&m_list, kMargin, kListTop, kListWidth, kListHeight, 0);

    CSkinButton* buttons[3] = { &m_btnRescan, &m_btnConnect, &m_btnAddProfile };
    const UINT texts[3] = { IDS_SURVEY_RESCAN, IDS_SURVEY_CONNECT, IDS_SURVEY_ADD_PROFILE };
    int bx = kMargin + kListWidth - 3 * kButtonWidth - 2 * kButtonGap;
    for (int i = 0; i < 3; ++i) {
        PlaceControl(buttons[i], bx + i * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth, kButtonHeight,
                     texts[i]);
        buttons[i]->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0));
    }
}

void CSiteSurveyPage::BuildList()
{
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    m_images.Create(16, 16, ILC_COLOR24 | ILC_MASK, SURVEY_IMAGE_COUNT, 24);
    CBitmap strip;
    if (strip.LoadBitmap(IDB_LIST_IMAGES)) m_images.Add(strip, RGB(255, 255, 255));
    m_list.SetImageList(m_images, LVSIL_SMALL);
    m_list.EnableColumnFocus(FALSE);
    // With drawing off the list lays out its header once, not after every column.
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    for (int c = 0; c < COL_COUNT; ++c) m_list.InsertColumn(c, kColumns[c].heading, kColumns[c].format, kColumns[c].width);
    m_list.SendMessage(WM_SETREDRAW, TRUE);
}

void CSiteSurveyPage::OnDestroy()
{
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
    Default();
}

void CSiteSurveyPage::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    DrawTopLine(&dc, rc.Width());
}

// ---- The refresh ---------------------------------------------------------------

void CSiteSurveyPage::OnTimer(UINT_PTR id)
{
    if (id != IDT_SURVEY_REFRESH) return;
    RefreshOnTimer();
    UpdateButtons();
}

void CSiteSurveyPage::AskForScan()
{
    m_bScanning = TRUE;
    ConnectIfRequested();
}

void CSiteSurveyPage::RefreshOnTimer()
{
    if (m_bScanning) {
        if (g_bScanPending) return;
        FillSurveyList();
        m_bScanning = FALSE;
    }

    // A failed query leaves 0 (connected); the BSSID test below then decides.
    DWORD media = 0;
    QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
    int connectedRow = -1;

    if (!g_bRadioOn) {
        m_entries.clear();
        m_records.clear();
        m_list.SetItemCount(0);
        m_list.Invalidate();
    } else if (media == 0 && !IsZeroMac(g_CurBssid)) {
        m_nDisconnectedTicks = -3;
        m_bScanning = FALSE;
        bool passed = false;
        connectedRow = FindLinkRow(&passed);
        if (!passed) {
            if (s_nLinkMisses < 2) {
                ++s_nLinkMisses;
            } else if (!g_pCurProfile) {
                s_nLinkMisses = 0;
            } else {
                if (ProfileRunsThroughPort(g_pCurProfile)) WaitForPortToLetGo();
                AskForScan();
                s_nLinkMisses = 0;
            }
        }
    } else {
        if (m_nDisconnectedTicks % 90 == 0) AskForScan();
        ++m_nDisconnectedTicks;
    }
    MarkConnectedRow(connectedRow, media);
}

int CSiteSurveyPage::FindLinkRow(bool* passed)
{
    *passed = false;
    NDIS_802_11_CONFIGURATION config = {};
    int currentChannel = -1;
    if (QueryOid(OID_802_11_CONFIGURATION, &config, sizeof(config), nullptr))
        currentChannel = FrequencyToChannel(config.DSConfig);

    int row = -1;
    for (size_t i = 0; i < m_records.size(); ++i) {
        const NDIS_WLAN_BSSID_EX* e = m_records[i];
        if (memcmp(e->MacAddress, g_CurBssid, 6) != 0) continue;
        row = (int)i;
        if (FrequencyToChannel(e->Configuration.DSConfig) != currentChannel) continue;
        if (g_bUseRegistryProfileSecurity == 1 && !AppliedSsidMatches(m_entries[i])) continue;
        *passed = true;
        break;
    }
    return row;
}

bool CSiteSurveyPage::AppliedSsidMatches(const SurveyEntry& row) const
{
    CString applied = g_pPanelDoor ? g_pPanelDoor->AppliedSsid() : CString();
    if (applied.IsEmpty() || row.ssid.IsEmpty()) return true;
    size_t n = std::min<size_t>(std::max(applied.GetLength(), row.ssid.GetLength()), 32);
    return strncmp(applied, row.ssid, n) == 0;
}

void CSiteSurveyPage::MarkConnectedRow(int row, DWORD mediaStatus)
{
    size_t n = std::min<size_t>(m_entries.size(), (size_t)std::max(0, m_list.GetItemCount()));
    for (size_t i = 0; i < n; ++i) m_entries[i].connected = 0;
    if (mediaStatus == 0 && row >= 0 && (size_t)row < m_entries.size()) m_entries[row].connected = 1;
    RedrawVisibleRows();
}

void CSiteSurveyPage::RedrawVisibleRows()
{
    int top = m_list.GetTopIndex();
    m_list.RedrawItems(top, top + m_list.GetCountPerPage());
}

void CSiteSurveyPage::SortSurveyList()
{
    SortBssidList(g_pBssidListCache, g_BssidLastSeen, m_nSortKey);
}

void CSiteSurveyPage::FillSurveyList()
{
    m_entries.clear();
    m_records.clear();
    SortSurveyList();
    m_list.DeleteAllItems();

    if (m_pScanCopy) {
        if (g_pBssidListCache) memcpy(m_pScanCopy, g_pBssidListCache, BSSID_LIST_BUFFER_SIZE);
        else memset(m_pScanCopy, 0, BSSID_LIST_BUFFER_SIZE);
        m_records = SurveyRecords(m_pScanCopy);
    }
    m_entries.reserve(m_records.size());
    for (const NDIS_WLAN_BSSID_EX* e : m_records) m_entries.push_back(MakeSurveyEntry(e));
    RefreshList();
}

void CSiteSurveyPage::RefreshList()
{
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.SetItemCount((int)m_entries.size());
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    RedrawVisibleRows();
    m_list.Invalidate();
}

// ---- Cells -------------------------------------------------------------------------

LRESULT CSiteSurveyPage::OnGetCellInfo(WPARAM, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    // The controls cannot change while the list paints: one exchange serves
    // every cell of a paint.
    unsigned paint = m_list.PaintSerial();
    if (!paint || paint != m_nExchangedForPaint) UpdateData(TRUE);
    m_nExchangedForPaint = paint;
    cell->m_bBold = 0;
    cell->m_bItalic = 0;
    int row = cell->GetRow();
    if (row < 0 || (size_t)row >= m_entries.size()) return 0;
    const SurveyEntry& r = m_entries[row];
    cell->m_pImageList = &m_images;
    switch (cell->GetColumn()) {
    case COL_CONNECTED:
        if (r.connected) cell->m_nImage = SURVEY_IMAGE_CONNECTED;
        break;
    case COL_SSID: cell->m_strText.Format("%s", r.ssid.GetString()); break;
    case COL_NETWORK_TYPE:
        // Only ad hoc and infrastructure have a picture; a BSS is never "automatic".
        if (r.networkTypeImage <= SURVEY_IMAGE_INFRASTRUCTURE) cell->m_nImage = (int)r.networkTypeImage;
        break;
    case COL_CHANNEL: cell->m_strText.Format("%s", r.channel.GetString()); break;
    case COL_BAND_A:
        if (r.band == Ndis802_11OFDM5) cell->m_nImage = SURVEY_IMAGE_BAND_A;
        break;
    case COL_BAND_B:
        if (r.band == Ndis802_11FH || r.band == Ndis802_11DS || r.band == Ndis802_11OFDM24)
            cell->m_nImage = SURVEY_IMAGE_BAND_B;
        break;
    case COL_BAND_G:
        if (r.band == Ndis802_11OFDM24) cell->m_nImage = SURVEY_IMAGE_BAND_G;
        break;
    case COL_BAND_N:
        if (r.highThroughput) cell->m_nImage = SURVEY_IMAGE_BAND_N;
        break;
    case COL_SECURITY:
        if (r.wps) cell->m_nImage = SURVEY_IMAGE_WPS;
        else if (r.secured) cell->m_nImage = SURVEY_IMAGE_SECURED;
        break;
    case COL_SIGNAL_TEXT: cell->m_strText = SurveySignalText(r.signal, g_bShowDbm); break;
    case COL_SIGNAL_BAR: {
        int p = RssiToPercent(r.signal);
        cell->m_nBarMax = 100;
        cell->m_nBarValue = p;
        cell->m_crBar = SurveyBarColour(p);
        cell->m_nBarEdge = 3;
        break;
    }
    default: break;
    }
    return 0;
}

// ---- Buttons -------------------------------------------------------------------------

void CSiteSurveyPage::UpdateButtons()
{
    BOOL controls = g_bRadioOn && !m_bScanning;
    m_btnRescan.EnableWindow(controls);
    for (UINT id : { IDC_SURVEY_LABEL_SSID, IDC_SURVEY_LABEL_CHANNEL, IDC_SURVEY_LABEL_SIGNAL, IDC_SURVEY_LABEL_DBM }) {
        CWnd* label = GetDlgItem(id);
        if (label) label->EnableWindow(controls);
    }
    for (COwnerDrawButton& radio : m_radioSort) radio.EnableWindow(controls);
    m_checkDbm.EnableWindow(controls);

    bool needsPort = m_dwSecurityCode >= 1 && m_dwSecurityCode <= 5;
    BOOL connect = g_nWzcMode != WZC_MANAGES && !m_bScanning && g_bRadioOn && m_list.GetItemCount() > 0 &&
                   !(g_hAuthPort == 0 && needsPort);
    m_btnConnect.EnableWindow(connect);
    m_btnAddProfile.EnableWindow(connect && g_bIsAdmin);
}

LRESULT CSiteSurveyPage::OnClickList(WPARAM, LPARAM)
{
    int row = m_list.GetFocusedItem();
    if (row >= 0 && (size_t)row < m_entries.size()) m_dwSecurityCode = m_entries[row].secured;
    UpdateButtons();
    return 0;
}

void CSiteSurveyPage::OnRescan()
{
    AskForScan();
    UpdateButtons();
}

void CSiteSurveyPage::OnSortButton()
{
    UpdateData(TRUE);
    m_bScanning = TRUE;
}

const NDIS_WLAN_BSSID_EX* CSiteSurveyPage::ChooseFocusedRow()
{
    int row = m_list.GetFocusedItem();
    if (row < 0) {
        ShowMessageDlg(StringFromTable(IDS_NO_SELECTED_ITEM));
        return nullptr;
    }
    if ((size_t)row >= m_records.size()) return nullptr;
    return m_records[row];
}

void CSiteSurveyPage::OnDblclkList(NMHDR*, LRESULT* result)
{
    *result = 0;
    const NDIS_WLAN_BSSID_EX* bss = ChooseFocusedRow();
    if (!bss) return;
    m_pChosenBss = bss;
    CNetworkInfoDlg* info = g_pPanelDoor ? (CNetworkInfoDlg*)g_pPanelDoor->OpenedPanel(PANEL_NETWORK_INFO) : nullptr;
    if (info) info->ShowNetwork(bss, NETINFO_TAB_GENERAL);
}
