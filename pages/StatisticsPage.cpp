#include "pages/StatisticsPage.h"

#include <cstddef>
#include <cstring>

#include <ntddndis.h>

#include "core/OidChannel.h"
#include "core/Oids.h"
#include "pagebase/PanelDoor.h"
#include "pages/LinkStatusPage.h"
#include "widgets/MessageBoxDlg.h"
#include "widgets/TabContainerDlg.h"

namespace {

// Layout, in pixels of the page's client area (the container's for the
// tabs and the sub-pages, the sub-page's for the rows).
const int kTabsX = 0, kTabsY = 10, kTabsWidth = 754, kTabsHeight = 250;
const CRect kSubPageRect(20, 25, 774, 262);
const int kTabTop = 0, kTabHeight = 25;
const int kTxTabX = 20, kTxTabWidth = 120, kRxTabX = kTxTabX + kTxTabWidth, kRxTabWidth = 140;
const int kResetX = 20, kResetY = 272, kResetWidth = 100, kResetHeight = 25;
const int kRowTop = 16, kRowStep = 26, kRowHeight = 18;
const int kLabelX = 16, kLabelWidth = 420, kEqualsX = 446, kEqualsWidth = 14, kValueX = 468, kValueWidth = 220;

const DWORD kTabButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;   // 0x50010000

// Labels in id order; the rows from top to bottom.
const UINT kTxLabels[CTxStatisticsPage::ROW_COUNT] = { IDS_STAT_TX_OK,      IDS_STAT_TX_OK_NO_RETRY, IDS_STAT_TX_RETRY,
                                                       IDS_STAT_TX_FAIL_ACK, IDS_STAT_RTS_OK,        IDS_STAT_RTS_FAIL };
const int kTxOrder[CTxStatisticsPage::ROW_COUNT] = {
    CTxStatisticsPage::ROW_OK,     CTxStatisticsPage::ROW_RETRY,    CTxStatisticsPage::ROW_FAIL_ACK,
    CTxStatisticsPage::ROW_RTS_OK, CTxStatisticsPage::ROW_RTS_FAIL, CTxStatisticsPage::ROW_OK_NO_RETRY,
};
const UINT kRxLabels[CRxStatisticsPage::ROW_COUNT] = { IDS_STAT_RX_OK, IDS_STAT_RX_CRC, IDS_STAT_RX_DROPPED,
                                                       IDS_STAT_RX_DUPLICATE };
const int kRxOrder[CRxStatisticsPage::ROW_COUNT] = { 0, 1, 2, 3 };

UINT RowControl(int row, int part) { return IDC_STAT_ROW_FIRST + 3 * row + part; }

// The driver's record: its length, then 64-bit counters.
constexpr DWORD kStatisticsSize = 176;

long long Counter(const BYTE* record, size_t offset)
{
    long long v = 0;
    std::memcpy(&v, record + offset, sizeof(v));
    return v;
}

// The driver's counters are zero from now on: the link panel's next
// throughput sample counts from them.  Not before the driver took the reset
// (a sample from zero would be the whole counter), and not at all when it
// never did.
void ResetLinkByteCounts()
{
    CChildPage* panel = g_pPanelDoor ? g_pPanelDoor->OpenedPanel(PANEL_LINK_STATUS) : nullptr;
    if (panel) static_cast<CLinkStatusPage*>(panel)->ResetByteCounts();
}

CString Signed64(long long v)
{
    CString s;
    s.Format("%I64d", v);
    return s;
}

CString Unsigned32(DWORD v)
{
    CString s;
    s.Format("%u", (unsigned)v);
    return s;
}

}  // namespace

// ---- The tabs -------------------------------------------------------------------------

CCounterTabPage::CCounterTabPage(UINT templateId, CConfigMainDlg* pMainDlg, const UINT* labels, const int* order,
                                 int rows)
    : CChildPage(templateId, pMainDlg), m_pLabels(labels), m_pOrder(order), m_nRows(rows)
{
    // The template's "0" until the first refresh.
    ZeroValues();
}

void CCounterTabPage::ZeroValues()
{
    for (CString& v : m_strValues) v = "0";
}

void CCounterTabPage::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < m_nRows; ++i) DDX_Text(pDX, RowControl(i, 2), m_strValues[i]);
}

BOOL CCounterTabPage::OnInitDialog()
{
    CChildPage::OnInitDialog();
    for (int slot = 0; slot < m_nRows; ++slot) {
        int row = m_pOrder[slot];
        int y = kRowTop + slot * kRowStep;
        PlaceControl(GetDlgItem(RowControl(row, 0)), kLabelX, y, kLabelWidth, kRowHeight, m_pLabels[row]);
        PlaceControl(GetDlgItem(RowControl(row, 1)), kEqualsX, y, kEqualsWidth, kRowHeight, 0);
        PlaceControl(GetDlgItem(RowControl(row, 2)), kValueX, y, kValueWidth, kRowHeight, 0);
    }
    return TRUE;
}

void CCounterTabPage::HideRow(int row)
{
    for (int part = 0; part < 3; ++part) {
        CWnd* w = GetDlgItem(RowControl(row, part));
        if (w) w->ShowWindow(SW_HIDE);
    }
}

CTxStatisticsPage::CTxStatisticsPage(CConfigMainDlg* pMainDlg)
    : CCounterTabPage(IDD_TX_STATISTICS, pMainDlg, kTxLabels, kTxOrder, ROW_COUNT)
{
}

BOOL CTxStatisticsPage::OnInitDialog()
{
    CCounterTabPage::OnInitDialog();
    HideRow(ROW_OK_NO_RETRY);
    return TRUE;
}

CRxStatisticsPage::CRxStatisticsPage(CConfigMainDlg* pMainDlg)
    : CCounterTabPage(IDD_RX_STATISTICS, pMainDlg, kRxLabels, kRxOrder, ROW_COUNT)
{
}

// ---- The page ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatisticsPage, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_STAT_RESET, OnResetCounter)
END_MESSAGE_MAP()

CStatisticsPage::CStatisticsPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_STATISTICS_PAGE, pMainDlg) {}

CStatisticsPage::~CStatisticsPage()
{
    // The sub-pages and tab buttons are children of the container: they go first.
    delete m_pTxPage;
    delete m_pRxPage;
    for (CSkinButton*& b : m_pTabButtons) {
        delete b;
        b = nullptr;
    }
    delete m_pTabs;
}

BOOL CStatisticsPage::OnInitDialog()
{
    m_btnReset.SubclassDlgItem(IDC_STAT_RESET, this);
    CChildPage::OnInitDialog();

    m_pTabs = new CTabContainerDlg(IDD_TAB_CONTAINER, this);
    if (!m_pTabs->Create(IDD_TAB_CONTAINER, this)) return FALSE;
    if (!CreateSubPages()) return FALSE;
    m_pTabs->SetWindowPos(nullptr, kTabsX, kTabsY, kTabsWidth, kTabsHeight, SWP_NOZORDER);
    m_pTabs->ShowWindow(SW_SHOW);
    m_pTabs->PlacePages(kSubPageRect, kTxTabWidth, kTabHeight, 0);

    PlaceControl(&m_btnReset, kResetX, kResetY, kResetWidth, kResetHeight, IDS_STAT_RESET);
    m_btnReset.BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
    return TRUE;
}

BOOL CStatisticsPage::CreateSubPages()
{
    LOGFONTA lf = {};
    lf.lfHeight = 20;
    std::strcpy(lf.lfFaceName, "Trebuchet MS");
    m_font.CreateFontIndirect(&lf);

    m_pTxPage = new CTxStatisticsPage(m_pMainDlg);
    m_pRxPage = new CRxStatisticsPage(m_pMainDlg);
    const struct {
        UINT id, text;
        int x, width;
        CChildPage* page;
    } tabs[2] = {
        { IDC_STAT_TX_TAB, IDS_STAT_TRANSMIT, kTxTabX, kTxTabWidth, m_pTxPage },
        { IDC_STAT_RX_TAB, IDS_STAT_RECEIVE, kRxTabX, kRxTabWidth, m_pRxPage },
    };
    for (int i = 0; i < 2; ++i) {
        CSkinButton* button = new CSkinButton;
        m_pTabButtons[i] = button;
        CRect rc(tabs[i].x, kTabTop, tabs[i].x + tabs[i].width, kTabTop + kTabHeight);
        if (!button->Create(StringFromTable(tabs[i].text), kTabButtonStyle, rc, m_pTabs, tabs[i].id)) return FALSE;
        button->SetFont(&m_font);
        button->BuildSkin(4, 8, 40, 5, RGB(0, 0, 0), RGB(180, 180, 180), RGB(0, 255, 0));
        button->SetAlign(COwnerDrawButton::ALIGN_VERT);
        if (!tabs[i].page->CreatePage(m_pTabs)) return FALSE;
        m_pTabs->AddPage(tabs[i].page, button);
    }
    return TRUE;
}

void CStatisticsPage::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = bShow ? SetTimer(IDT_STATISTICS_REFRESH, 2000) : 0;
}

void CStatisticsPage::OnDestroy()
{
    Default();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
}

void CStatisticsPage::OnTimer(UINT_PTR)
{
    if (!m_pTxPage || !m_pRxPage) return;
    // A short or failed answer leaves zeros.
    BYTE record[kStatisticsSize] = {};
    QueryOid(OID_802_11_STATISTICS, record, sizeof(record), nullptr);
    long long sent = Counter(record, offsetof(NDIS_802_11_STATISTICS, TransmittedFragmentCount));
    long long retried = Counter(record, offsetof(NDIS_802_11_STATISTICS, RetryCount));
    CString* tx = m_pTxPage->m_strValues;
    tx[CTxStatisticsPage::ROW_OK] = Signed64(sent);
    tx[CTxStatisticsPage::ROW_RETRY] = Signed64(retried);
    tx[CTxStatisticsPage::ROW_FAIL_ACK] = Signed64(Counter(record, offsetof(NDIS_802_11_STATISTICS, FailedCount)));
    tx[CTxStatisticsPage::ROW_RTS_OK] = Signed64(Counter(record, offsetof(NDIS_802_11_STATISTICS, RTSSuccessCount)));
    tx[CTxStatisticsPage::ROW_RTS_FAIL] =
        Signed64(Counter(record, offsetof(NDIS_802_11_STATISTICS, RTSFailureCount)));
    tx[CTxStatisticsPage::ROW_OK_NO_RETRY] = Signed64((long long)((unsigned long long)sent - (unsigned long long)retried));
    m_pTxPage->UpdateData(FALSE);

    DWORD received = 0, dropped = 0;
    QueryOid(OID_GEN_RCV_OK, &received, sizeof(received), nullptr);
    QueryOid(OID_GEN_RCV_NO_BUFFER, &dropped, sizeof(dropped), nullptr);
    CString* rx = m_pRxPage->m_strValues;
    rx[CRxStatisticsPage::ROW_OK] = Unsigned32(received);
    rx[CRxStatisticsPage::ROW_CRC_ERROR] = Signed64(Counter(record, offsetof(NDIS_802_11_STATISTICS, FCSErrorCount)));
    rx[CRxStatisticsPage::ROW_DROPPED] = Unsigned32(dropped);
    rx[CRxStatisticsPage::ROW_DUPLICATE] =
        Signed64(Counter(record, offsetof(NDIS_802_11_STATISTICS, FrameDuplicateCount)));
    m_pRxPage->UpdateData(FALSE);
}

void CStatisticsPage::OnResetCounter()
{
    // The texts read 0 at once, whatever the driver answers later.
    for (CCounterTabPage* page : { (CCounterTabPage*)m_pTxPage, (CCounterTabPage*)m_pRxPage }) {
        if (!page) continue;
        page->ZeroValues();
        page->UpdateData(FALSE);
    }
    DWORD returned = 0;
    SetOidThen(OID_VENDOR_RESET_COUNTERS, nullptr, 0, &returned, 3, ResetLinkByteCounts);
}
