#include "pages/NetworkInfoTabs.h"

#include <cstring>

#include "core/ChannelTable.h"
#include "widgets/MessageBoxDlg.h"

namespace {

// Layout of the tabs, in pixels of a page (754 x 215).
const int kLabelX = 10, kLabelWidth = 150, kValueX = 165, kValueWidth = 220, kRowTop = 12, kRowStep = 24,
          kRowHeight = 18;
const int kBarX = 400, kBarY = 12, kBarWidth = 340, kBarHeight = 22;
const int kRatesX = 400, kRatesY = 48, kRatesWidth = 340, kRatesHeight = 92;
const int kWpsRightX = 390, kWpsRightLabelWidth = 120, kWpsRightValueX = 515, kWpsRightValueWidth = 230;
const int kListX = 10, kListY = 8, kListWidth = 734, kListHeight = 200;

const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kYellow = RGB(250, 230, 50);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kLightBlue = RGB(166, 202, 240);

// The rows of the 802.11n list: a section heading (field -1) or the number
// of the field the row shows.
struct HtRowDef {
    int field;
    const char* name;
};
const HtRowDef kHtRows[] = {
    { -1, "Secondary Channel Offset element" },
    { 0, "Secondary Channel Offset" },
    { -1, "Extended Capabilities information element" },
    { 1, "HT Information Exchange Support" },
    { -1, "Neighbor Report element" },
    { 2, "Mobility Domain" },
    { 3, "High Throughput" },
    { -1, "HT Capabilities element" },
    { 4, "HT Capability" },
    { 5, "LDPC Coding Capability" },
    { 6, "Supported Channel Width Set" },
    { 7, "SM Power Save" },
    { 8, "Greenfield" },
    { 9, "Short GI for 20 MHz" },
    { 10, "Short GI for 40 MHz" },
    { 11, "Tx STBC" },
    { 12, "Rx STBC" },
    { 13, "HT-delayed BlockAck" },
    { 14, "Maximum A-MSDU Length" },
    { 15, "DSSS/CCK Mode in 40MHz" },
    { 16, "PSMP Support" },
    { 17, "HT Capability PSMP Support" },
    { 18, "Maximum A-MSDU Length" },
    { 19, "Forty MHz Intolerant" },
    { 20, "L-SIG TXOP Protection Support" },
    { -1, "A-MPDU Parameters field" },
    { 21, "Maximum Rx A-MPDU Factor" },
    { 22, "Minimum MPDU Start Spacing" },
    { -1, "Supported MCS Set field" },
    { 23, "Tx MCS Set Defined" },
    { 24, "Tx Rx MCS Set Not Equal" },
    { 25, "Tx Maximum Number Spatial Streams Supported" },
    { 26, "Tx Unequal Modulation Support" },
    { -1, "HT Capabilities Info" },
    { 27, "DSS/CCK Mode in 40 MHz" },
    { 28, "HT Information PSMP Support" },
    { -1, "A-MPDU Parameters" },
    { 29, "Maximum Rx A-MPDU Factor" },
    { 30, "Minimum MPDU Start Spacing" },
    { -1, "HT Extended Capabilities" },
    { 31, "+HTC Support" },
    { 32, "RD Responder" },
    { -1, "HT Information element" },
    { 33, "Primary Channel" },
    { 34, "HT Information Secondary Channel Offset" },
    { 35, "STA Channel Width" },
    { 36, "RIFS Mode" },
    { 37, "PSMP STAs Only" },
    { 38, "Service Interval Granularity" },
    { 39, "Operating Mode" },
    { 40, "Non-greenfield STAs Present" },
    { 41, "Transmit Burst Limit" },
    { 42, "OBSS None-HT STAs Present" },
    { 43, "Dual Beacon" },
    { 44, "Dual CTS Protection" },
    { 45, "Secondary Beacon" },
    { 46, "L-SIG TXOP Protection Full Support" },
    { 47, "PCO Active" },
    { 48, "PCP Phase" },
    { 49, "Basic MCS Set" },
    { 50, "Basic MCS Set 0" },
    { 51, "Basic MCS Set 1" },
    { 52, "Basic MCS Set 2" },
    { 53, "Basic MCS Set 3" },
};
static_assert(sizeof(kHtRows) / sizeof(kHtRows[0]) == 64, "the 802.11n list has 64 rows");

void PlaceRow(CWnd* page, UINT label, UINT labelText, UINT value, int x, int labelWidth, int valueX, int valueWidth,
              int row)
{
    int y = kRowTop + row * kRowStep;
    PlaceControl(page->GetDlgItem(label), x, y, labelWidth, kRowHeight, labelText);
    PlaceControl(page->GetDlgItem(value), valueX, y, valueWidth, kRowHeight, 0);
}

}  // namespace

CString FormatSupportedRates(const UCHAR rates[16])
{
    CString text;
    for (int i = 0; i < 16; ++i) {
        int halves = rates[i] & 0x7F;
        if (halves == 0) break;
        CString one;
        if (halves % 2) one.Format("%.1f, ", halves * 0.5);
        else one.Format("%d, ", halves / 2);
        text += one;
    }
    // The list ends with ", "; an empty list has nothing to cut.
    if (text.GetLength() >= 2) text = text.Left(text.GetLength() - 2);
    return text;
}

BOOL FormatChannelText(ULONG dsConfigKHz, CString& text)
{
    int channel = FrequencyToChannel(dsConfigKHz);
    if (channel < 0) return FALSE;
    // "J8", "J12", "J16" for the Japan channels, else "%u".
    text.Format("%s <--> %d MHz", FormatChannelNumber((DWORD)channel).GetString(), (int)(dsConfigKHz / 1000));
    return TRUE;
}

CString NetworkTypeText(ULONG infrastructureMode)
{
    switch (infrastructureMode) {
    case Ndis802_11Infrastructure: return "Infrastructure";
    case Ndis802_11IBSS: return "IBSS";
    default: return "Unknown";
    }
}

// ---- General -----------------------------------------------------------------------

void CNetworkDetailPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_GEN_SSID, m_strSsid);
    DDX_Text(pDX, IDC_GEN_MAC, m_strMac);
    DDX_Text(pDX, IDC_GEN_AUTH, m_strAuthentication);
    DDX_Text(pDX, IDC_GEN_ENCRYPTION, m_strEncryption);
    DDX_Text(pDX, IDC_GEN_CHANNEL, m_strChannel);
    DDX_Text(pDX, IDC_GEN_NETWORK_TYPE, m_strNetworkType);
    DDX_Text(pDX, IDC_GEN_RATES, m_strSupportedRates);
    DDX_Text(pDX, IDC_GEN_BEACON, m_strBeaconInterval);
}

BOOL CNetworkDetailPage::OnInitDialog()
{
    m_signal.SubclassDlgItem(IDC_GEN_SIGNAL_BAR, this);
    CChildPage::OnInitDialog();

    struct Row {
        UINT label, text, value;
    };
    static const Row kRows[] = {
        { IDC_GEN_LABEL_SSID, IDS_GEN_SSID, IDC_GEN_SSID },
        { IDC_GEN_LABEL_MAC, IDS_GEN_MAC, IDC_GEN_MAC },
        { IDC_GEN_LABEL_AUTH, IDS_GEN_AUTH, IDC_GEN_AUTH },
        { IDC_GEN_LABEL_ENCRYPTION, IDS_GEN_ENCRYPTION, IDC_GEN_ENCRYPTION },
        { IDC_GEN_LABEL_CHANNEL, IDS_GEN_CHANNEL, IDC_GEN_CHANNEL },
        { IDC_GEN_LABEL_NETWORK_TYPE, IDS_GEN_NETWORK_TYPE, IDC_GEN_NETWORK_TYPE },
        { IDC_GEN_LABEL_BEACON, IDS_GEN_BEACON, IDC_GEN_BEACON },
    };
    int row = 0;
    for (const Row& r : kRows) PlaceRow(this, r.label, r.text, r.value, kLabelX, kLabelWidth, kValueX, kValueWidth, row++);
    PlaceControl(GetDlgItem(IDC_GEN_RATES_GROUP), kRatesX, kRatesY, kRatesWidth, kRatesHeight, IDS_GEN_RATES);
    PlaceControl(GetDlgItem(IDC_GEN_RATES), kRatesX + 10, kRatesY + 22, kRatesWidth - 20, kRatesHeight - 30, 0);

    PlaceControl(&m_signal, kBarX, kBarY, kBarWidth, kBarHeight, 0);
    m_signal.SetGradientColors(3, kGreen, kLightBlue, kGreen);
    m_signal.m_nAnimStep = 1;
    ::SetTimer(m_signal.m_hWnd, PBT_GRAD_ANIMATE, 55, nullptr);
    m_signal.SetText(StringFromTable(IDS_SIGNAL_STRENGTH), PBS_GRAD_PERCENT);
    LOGFONTA lf = {};
    lf.lfHeight = 16;
    std::strcpy(lf.lfFaceName, "Trebuchet MS");
    m_font.CreateFontIndirect(&lf);
    m_signal.SetFont(&m_font);
    m_signal.SetPos(0);
    return TRUE;
}

void CNetworkDetailPage::ShowSignal(int percent)
{
    COLORREF c = percent < 35 ? kRed : percent < 70 ? kYellow : kGreen;
    m_signal.SetGradientColors(3, c, kLightBlue, c);
    m_signal.SetPos(percent);
    m_signal.Invalidate(FALSE);
}

// ---- WPS ---------------------------------------------------------------------------

namespace {
const UINT kWpsValueIds[10] = { IDC_WPSAP_AUTH,     IDC_WPSAP_ENCRYPTION, IDC_WPSAP_CONFIG_METHODS, IDC_WPSAP_PASSWORD_ID,
                                IDC_WPSAP_REGISTRAR, IDC_WPSAP_STATE,     IDC_WPSAP_VERSION,        IDC_WPSAP_SETUP_LOCKED,
                                IDC_WPSAP_UUID,      IDC_WPSAP_RF_BANDS };
}

// The WPS tab keeps the dialog's own window procedure; it paints the same
// etched line as the pages.
BEGIN_MESSAGE_MAP(CWpsApInfoDlg, CDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CWpsApInfoDlg::DoDataExchange(CDataExchange* pDX)
{
    for (int i = 0; i < 10; ++i) DDX_Text(pDX, kWpsValueIds[i], m_strValues[i]);
}

BOOL CWpsApInfoDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Two columns of five: the security and the registrar on the left, the
    // access point's own state on the right.
    for (int i = 0; i < 10; ++i) {
        bool left = i < 5;
        PlaceRow(this, IDC_WPSAP_LABEL_FIRST + i, IDS_WPSAP_LABEL_FIRST + i, kWpsValueIds[i], left ? kLabelX : kWpsRightX,
                 left ? kLabelWidth : kWpsRightLabelWidth, left ? kValueX : kWpsRightValueX,
                 left ? kValueWidth : kWpsRightValueWidth, i % 5);
    }
    return TRUE;
}

void CWpsApInfoDlg::OnPaint()
{
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    CChildPage::DrawTopLine(&dc, rc.Width());
}

// ---- CCX ---------------------------------------------------------------------------

void CCcxStatusPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_CCX_CCKM, m_strCckm);
    DDX_Text(pDX, IDC_CCX_CMIC, m_strCmic);
    DDX_Text(pDX, IDC_CCX_CKIP, m_strCkip);
}

BOOL CCcxStatusPage::OnInitDialog()
{
    CChildPage::OnInitDialog();
    PlaceRow(this, IDC_CCX_LABEL_CCKM, 0, IDC_CCX_CCKM, kLabelX, kLabelWidth, kValueX, kValueWidth, 0);
    PlaceRow(this, IDC_CCX_LABEL_CMIC, 0, IDC_CCX_CMIC, kLabelX, kLabelWidth, kValueX, kValueWidth, 1);
    PlaceRow(this, IDC_CCX_LABEL_CKIP, 0, IDC_CCX_CKIP, kLabelX, kLabelWidth, kValueX, kValueWidth, 2);
    return TRUE;
}

// ---- 802.11n -----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPropertyListDlg, CChildPage)
    ON_MESSAGE(WM_CELLLIST_GETCELLINFO, OnGetItemText)
END_MESSAGE_MAP()

BOOL CPropertyListDlg::OnInitDialog()
{
    m_list.SubclassDlgItem(IDC_HT_PROPERTY_LIST, this);
    CChildPage::OnInitDialog();
    PlaceControl(&m_list, kListX, kListY, kListWidth, kListHeight, 0);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    m_list.EnableColumnFocus(FALSE);
    m_list.InsertColumn(0, "Property", LVCFMT_LEFT, 400);
    m_list.InsertColumn(1, "Value", LVCFMT_LEFT, kListWidth - 425);
    return TRUE;
}

void CPropertyListDlg::BuildHtPropertyList()
{
    bool ht = m_strFields[kHtSeenField] == "TRUE";
    m_rows.clear();
    for (const HtRowDef& row : kHtRows) {
        PropertyRow r;
        r.isSection = row.field < 0 ? 1 : 0;
        r.name = row.name;
        if (row.field >= 0) r.value = ht ? m_strFields[row.field] : CString("n/a");
        m_rows.push_back(r);
    }
    RefreshList();
}

void CPropertyListDlg::RefreshList()
{
    if (!m_list.IsWindow()) return;
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.SetItemCount((int)m_rows.size());
    m_list.SendMessage(WM_SETREDRAW, TRUE);
    int top = m_list.GetTopIndex();
    m_list.RedrawItems(top, top + m_list.GetCountPerPage());
    m_list.Invalidate();
}

LRESULT CPropertyListDlg::OnGetItemText(WPARAM, LPARAM lParam)
{
    CListCellInfo* cell = (CListCellInfo*)lParam;
    if (!cell) return 0;
    int row = cell->GetRow();
    if (row < 0 || (size_t)row >= m_rows.size()) return 0;
    const PropertyRow& r = m_rows[row];
    if (cell->GetColumn() == 0) {
        cell->m_strText.Format("%s", r.name.GetString());
        cell->m_bBold = r.isSection;
    } else if (cell->GetColumn() == 1) {
        cell->m_strText.Format("%s", r.value.GetString());
    }
    return 0;
}
