#include "pages/LinkStatusPage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <iphlpapi.h>

#include "classlib/Handles.h"
#include "core/AdapterDiscovery.h"
#include "core/BssIeFormatter.h"
#include "core/ChannelTable.h"
#include "core/LinkState.h"
#include "core/MovableMemory.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "core/WpsRuntime.h"
#include "pages/SiteSurveyPage.h"
#include "widgets/MessageBoxDlg.h"

double g_dTxThroughputHistory[kThroughputHistory] = {};
double g_dRxThroughputHistory[kThroughputHistory] = {};

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kYellow = RGB(250, 230, 50);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kLightBlue = RGB(166, 202, 240);
const COLORREF kBrightYellow = RGB(255, 255, 0);

enum { BAR_QUALITY, BAR_SIGNAL1, BAR_SIGNAL2, BAR_SIGNAL3, BAR_NOISE };
const UINT kBarIds[5] = { IDC_LINK_QUALITY_BAR, IDC_LINK_SIGNAL1_BAR, IDC_LINK_SIGNAL2_BAR, IDC_LINK_SIGNAL3_BAR,
                          IDC_LINK_NOISE_BAR };
const char* const kBarCaptions[5] = { "Link Quality >> %d%%", "Signal Strength 1 >> %d%%",
                                      "Signal Strength 2 >> %d%%", "Signal Strength 3 >> %d%%",
                                      "Noise Strength >> %d%%" };

// The HT values, in the order ShowHtSetting blanks them.
const UINT kHtValueIds[6] = { IDC_LINK_BW, IDC_LINK_GI, IDC_LINK_STBC, IDC_LINK_MCS, IDC_LINK_SNR0, IDC_LINK_SNR1 };

// Layout of the panel, in pixels of its client area (794 wide, about 310 seen).
const int kLabelX = 10, kLabelWidth = 120, kValueX = 132, kValueWidth = 370, kRowTop = 8, kRowStep = 18,
          kRowHeight = 16;
const int kBarX = 520, kBarWidth = 264, kBarHeight = 18, kBarStep = 21, kBarTop = 8;
const int kHtTop = 114, kHtColumn = 88, kHtLabelWidth = 50, kHtValueWidth = 36;
const int kGroupTop = 174, kGroupWidth = 382, kGraphTop = 230, kGraphHeight = 76;

// 802.11 b/g rates of the legacy receive-rate index.
const double kLegacyRates[12] = { 1, 2, 5.5, 11, 6, 9, 12, 18, 24, 36, 48, 54 };

COLORREF SignalColour(int p)
{
    return p < 35 ? kRed : p < 70 ? kYellow : kGreen;
}

void Paint(CGradientProgressCtrl& bar, COLORREF c, int pos)
{
    bar.SetGradientColors(3, c, kLightBlue, c);
    bar.SetPos(pos);
    bar.Invalidate(FALSE);
}

bool IsZeroMac(const BYTE* mac)
{
    for (int i = 0; i < 6; ++i)
        if (mac[i]) return false;
    return true;
}

// A value of the driver, taken only from a whole answer: a shorter one would
// mix with the preset into a number the driver never sent (a chain's -200
// with one byte of an RSSI).  *answered: whether the query itself succeeded.
bool QueryValue(DWORD oid, void* value, DWORD size, bool* answered = nullptr)
{
    BYTE answer[8] = {};
    DWORD got = 0;
    bool ok = size <= sizeof(answer) && QueryOid(oid, answer, size, &got);
    if (answered) *answered = ok;
    if (!ok || got != size) return false;
    std::memcpy(value, answer, size);
    return true;
}

// Shifts a sample into a history and returns the largest of its values.
double PushSample(double* history, double sample)
{
    std::memmove(history, history + 1, sizeof(double) * (kThroughputHistory - 1));
    history[kThroughputHistory - 1] = sample;
    return *std::max_element(history, history + kThroughputHistory);
}

}  // namespace

CString FormatThroughput(double mbps)
{
    CString s;
    if (mbps >= 1.0) s.Format("%.3f Mbps", mbps);
    else s.Format("%.3f Kbps", mbps * 1000.0);
    return s;
}

BEGIN_MESSAGE_MAP(CLinkStatusPage, CChildPage)
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CLinkStatusPage::CLinkStatusPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_LINK_STATUS, pMainDlg) {}

CLinkStatusPage::~CLinkStatusPage()
{
    FreeMovable(m_pScanCopy);
}

void CLinkStatusPage::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_LINK_STATUS, m_strStatus);
    DDX_Text(pDX, IDC_LINK_EXTRA, m_strExtraInfo);
    DDX_Text(pDX, IDC_LINK_CHANNEL, m_strChannel);
    DDX_Text(pDX, IDC_LINK_AUTH, m_strAuthentication);
    DDX_Text(pDX, IDC_LINK_ENCRYPTION, m_strEncryption);
    DDX_Text(pDX, IDC_LINK_NETTYPE, m_strNetworkType);
    DDX_Text(pDX, IDC_LINK_IP, m_strIpAddress);
    DDX_Text(pDX, IDC_LINK_MASK, m_strIpMask);
    DDX_Text(pDX, IDC_LINK_GATEWAY, m_strGateway);
    DDX_Text(pDX, IDC_LINK_TX_RATE, m_strTxRate);
    DDX_Text(pDX, IDC_LINK_TX_TPUT, m_strTxThroughput);
    DDX_Text(pDX, IDC_LINK_RX_RATE, m_strRxRate);
    DDX_Text(pDX, IDC_LINK_RX_TPUT, m_strRxThroughput);
}

BOOL CLinkStatusPage::OnInitDialog()
{
    m_graphTx.SubclassDlgItem(IDC_LINK_TX_GRAPH, this);
    m_graphRx.SubclassDlgItem(IDC_LINK_RX_GRAPH, this);
    for (int i = 0; i < 5; ++i) m_bars[i].SubclassDlgItem(kBarIds[i], this);
    m_frameTx.SubclassDlgItem(IDC_LINK_TX_FRAME, this);
    m_frameRx.SubclassDlgItem(IDC_LINK_RX_FRAME, this);
    m_frameHt.SubclassDlgItem(IDC_LINK_HT_FRAME, this);
    CChildPage::OnInitDialog();

    LOGFONTA lf = {};
    lf.lfHeight = 16;
    std::strcpy(lf.lfFaceName, "Trebuchet MS");
    m_font.CreateFontIndirect(&lf);

    PlaceControls();
    for (int i = 0; i < 5; ++i) SetUpBar(m_bars[i], kBarCaptions[i]);

    // A failed query leaves an all-zero address, which matches no adapter.
    QueryOid(OID_802_3_CURRENT_ADDRESS, m_mac, sizeof(m_mac), nullptr);
    m_pScanCopy = static_cast<BssidListBuffer*>(AllocMovable(BSSID_LIST_BUFFER_SIZE));

    SetUpGraph(m_graphTx, kGreen);
    SetUpGraph(m_graphRx, kBrightYellow);
    return TRUE;
}

void CLinkStatusPage::PlaceControls()
{
    struct Row {
        UINT label, value, text;
    };
    static const Row kRows[] = {
        { IDC_LINK_STATUS_LABEL, IDC_LINK_STATUS, IDS_LINK_STATUS },
        { IDC_LINK_EXTRA_LABEL, IDC_LINK_EXTRA, IDS_LINK_EXTRA },
        { IDC_LINK_CHANNEL_LABEL, IDC_LINK_CHANNEL, IDS_LINK_CHANNEL },
        { IDC_LINK_AUTH_LABEL, IDC_LINK_AUTH, IDS_LINK_AUTH },
        { IDC_LINK_ENCRYPTION_LABEL, IDC_LINK_ENCRYPTION, IDS_LINK_ENCRYPTION },
        { IDC_LINK_NETTYPE_LABEL, IDC_LINK_NETTYPE, IDS_LINK_NETTYPE },
        { IDC_LINK_IP_LABEL, IDC_LINK_IP, IDS_LINK_IP },
        { IDC_LINK_MASK_LABEL, IDC_LINK_MASK, IDS_LINK_MASK },
        { IDC_LINK_GATEWAY_LABEL, IDC_LINK_GATEWAY, IDS_LINK_GATEWAY },
    };
    int y = kRowTop;
    for (const Row& r : kRows) {
        PlaceControl(GetDlgItem(r.label), kLabelX, y, kLabelWidth, kRowHeight, r.text);
        PlaceControl(GetDlgItem(r.value), kValueX, y, kValueWidth, kRowHeight, 0);
        y += kRowStep;
    }

    // Transmit on the left, receive on the right, each with its graph below.
    struct Group {
        CEtchedStatic* frame;
        UINT frameText, rateLabel, rate, tputLabel, tput;
        CThroughputGraph* graph;
    };
    Group groups[2] = {
        { &m_frameTx, IDS_LINK_TRANSMIT, IDC_LINK_TX_RATE_LABEL, IDC_LINK_TX_RATE, IDC_LINK_TX_TPUT_LABEL,
          IDC_LINK_TX_TPUT, &m_graphTx },
        { &m_frameRx, IDS_LINK_RECEIVE, IDC_LINK_RX_RATE_LABEL, IDC_LINK_RX_RATE, IDC_LINK_RX_TPUT_LABEL,
          IDC_LINK_RX_TPUT, &m_graphRx },
    };
    for (int g = 0; g < 2; ++g) {
        const Group& gr = groups[g];
        int x = kLabelX + g * (kGroupWidth + 10);
        PlaceControl(gr.frame, x, kGroupTop, kGroupWidth, kRowHeight, gr.frameText);
        PlaceControl(GetDlgItem(gr.rateLabel), x, kGroupTop + 18, kLabelWidth, kRowHeight, IDS_LINK_SPEED);
        PlaceControl(GetDlgItem(gr.rate), x + kLabelWidth + 2, kGroupTop + 18, 200, kRowHeight, 0);
        PlaceControl(GetDlgItem(gr.tputLabel), x, kGroupTop + 36, kLabelWidth, kRowHeight, IDS_LINK_THROUGHPUT);
        PlaceControl(GetDlgItem(gr.tput), x + kLabelWidth + 2, kGroupTop + 36, 200, kRowHeight, 0);
        PlaceControl(gr.graph, x, kGraphTop, kGroupWidth, kGraphHeight, 0);
    }

    for (int i = 0; i < 5; ++i) PlaceControl(&m_bars[i], kBarX, kBarTop + i * kBarStep, kBarWidth, kBarHeight, 0);

    // The HT group keeps its template texts: BW, GI, MCS on the first row,
    // SNR0, SNR1 and the (hidden) STBC on the second.
    PlaceControl(&m_frameHt, kBarX, kHtTop, kBarWidth, kRowHeight, 0);
    struct Ht {
        UINT label, value;
        int row, column;
    };
    static const Ht kHt[] = {
        { IDC_LINK_BW_LABEL, IDC_LINK_BW, 0, 0 },       { IDC_LINK_GI_LABEL, IDC_LINK_GI, 0, 1 },
        { IDC_LINK_MCS_LABEL, IDC_LINK_MCS, 0, 2 },     { IDC_LINK_SNR0_LABEL, IDC_LINK_SNR0, 1, 0 },
        { IDC_LINK_SNR1_LABEL, IDC_LINK_SNR1, 1, 1 },   { IDC_LINK_STBC_LABEL, IDC_LINK_STBC, 1, 2 },
    };
    for (const Ht& h : kHt) {
        int x = kBarX + h.column * kHtColumn, yy = kHtTop + 18 + h.row * kRowStep;
        PlaceControl(GetDlgItem(h.label), x, yy, kHtLabelWidth, kRowHeight, 0);
        PlaceControl(GetDlgItem(h.value), x + kHtLabelWidth + 2, yy, kHtValueWidth, kRowHeight, 0);
    }
}

void CLinkStatusPage::SetUpBar(CGradientProgressCtrl& bar, const char* caption)
{
    bar.SetGradientColors(3, kGreen, kLightBlue, kGreen);
    bar.m_nAnimStep = 1;
    ::KillTimer(bar.m_hWnd, PBT_GRAD_ANIMATE);
    ::SetTimer(bar.m_hWnd, PBT_GRAD_ANIMATE, 55, nullptr);
    bar.SetText(caption, PBS_GRAD_POSITION);
    bar.SetFont(&m_font);
    bar.SetPos(0);
    bar.Invalidate(FALSE);
}

void CLinkStatusPage::SetUpGraph(CThroughputGraph& graph, COLORREF colour)
{
    graph.SetLegendWidth(50);
    graph.SetLabelCount(2);
    graph.m_strLabels[0] = "Max";
    graph.m_strLabels[1] = FormatThroughput(0.0);
    graph.m_crBar = colour;
}

void CLinkStatusPage::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (!bShow) {
        if (m_nTimer) KillTimer(m_nTimer);
        m_nTimer = 0;
        return;
    }
    m_rateTable.Init();
    m_dTxMax = m_dRxMax = 0.0;
    for (CThroughputGraph* g : { &m_graphTx, &m_graphRx }) {
        g->m_strLabels[1] = "0.000 Mbps";
        g->Clear();
    }
    UpdateAntennaBars();
    ShowHtGroup();
    m_nTimer = SetTimer(IDT_LINK_STATUS_REFRESH, 2000);
}

void CLinkStatusPage::OnDestroy()
{
    Default();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
}

void CLinkStatusPage::UpdateAntennaBars()
{
    LONG rssi = 0;
    m_bAntenna1 = QueryValue(OID_VENDOR_RSSI_1, &rssi, sizeof(rssi)) ? TRUE : FALSE;
    m_bAntenna2 = QueryValue(OID_VENDOR_RSSI_2, &rssi, sizeof(rssi)) ? TRUE : FALSE;
    int noiseSlot = 0;
    if (!m_bAntenna1) {
        m_bars[BAR_SIGNAL2].ShowWindow(SW_HIDE);
        m_bars[BAR_SIGNAL3].ShowWindow(SW_HIDE);
        noiseSlot = 2;
    } else if (!m_bAntenna2) {
        m_bars[BAR_SIGNAL3].ShowWindow(SW_HIDE);
        noiseSlot = 3;
    }
    if (noiseSlot) m_bars[BAR_NOISE].MoveWindow(kBarX, kBarTop + noiseSlot * kBarStep, kBarWidth, kBarHeight);
}

void CLinkStatusPage::ShowHtGroup()
{
    int show = g_bHtDevice ? SW_SHOW : SW_HIDE;
    m_frameHt.ShowWindow(show);
    for (UINT id : { IDC_LINK_BW_LABEL, IDC_LINK_BW, IDC_LINK_GI_LABEL, IDC_LINK_GI, IDC_LINK_MCS_LABEL, IDC_LINK_MCS,
                     IDC_LINK_SNR0_LABEL, IDC_LINK_SNR0, IDC_LINK_SNR1_LABEL, IDC_LINK_SNR1 }) {
        CWnd* w = GetDlgItem(id);
        if (w) w->ShowWindow(show);
    }
    for (UINT id : { IDC_LINK_STBC_LABEL, IDC_LINK_STBC }) {
        CWnd* w = GetDlgItem(id);
        if (w) w->ShowWindow(SW_HIDE);
    }
}

void CLinkStatusPage::ShowHtSetting(int blank, const DWORD* word)
{
    if (!g_bHtDevice) return;
    if (blank || !word) {
        for (UINT id : kHtValueIds) SetDlgItemText(id, "");
        return;
    }
    DWORD w = *word;
    SetDlgItemText(IDC_LINK_BW, HtRateWord::Is40MHz(w) ? "40" : "20");
    SetDlgItemText(IDC_LINK_GI, HtRateWord::ShortGi(w) ? "short" : "long");
    SetDlgItemText(IDC_LINK_STBC, HtRateWord::Stbc(w) ? "used" : "none");
    CString mcs;
    mcs.Format("%d", HtRateWord::Mcs(w));
    SetDlgItemText(IDC_LINK_MCS, mcs);
}

void CLinkStatusPage::ShowLegacyHtFields()
{
    DWORD word = 0;
    QueryValue(OID_VENDOR_TX_RATE, &word, sizeof(word));
    if (HtRateWord::PhyMode(word) > 1) return;
    for (UINT id : kHtValueIds) SetDlgItemText(id, "n/a");
}

void CLinkStatusPage::RateFromHtSetting(DWORD oid, double* mbps)
{
    // A failed query reads as the word 0 (CCK, MCS 0: 1 Mbps).
    DWORD word = 0;
    QueryValue(oid, &word, sizeof(word));
    int mcs = HtRateWord::Mcs(word);
    switch (HtRateWord::PhyMode(word)) {
    case 0: {
        static const int kCckMcs[8] = { 0, 1, 2, 3, 8, 9, 10, 11 };
        static const double kCckRates[8] = { 1, 2, 5.5, 11, 1, 2, 5.5, 11 };
        *mbps = 0.0;
        for (int i = 0; i < 8; ++i)
            if (kCckMcs[i] == mcs) *mbps = kCckRates[i];
        break;
    }
    case 1: {
        static const double kOfdmRates[8] = { 6, 9, 12, 18, 24, 36, 48, 54 };
        *mbps = mcs < 8 ? kOfdmRates[mcs] : 0.0;
        break;
    }
    case 2:
    case 3: {
        double rate = 0.0;
        *mbps = m_rateTable.GetRate(HtRateWord::Is40MHz(word) ? 1 : 0, HtRateWord::ShortGi(word) ? 1 : 0, mcs, rate)
                    ? rate
                    : 0.0;
        break;
    }
    default: *mbps = 0.0; break;
    }
    if (oid == OID_VENDOR_TX_RATE) ShowHtSetting(0, &word);
}

void CLinkStatusPage::UpdateIpInfo()
{
    m_strIpAddress.Empty();
    m_strIpMask.Empty();
    m_strGateway.Empty();
    ULONG size = 0;
    if (::GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return;
    std::vector<BYTE> buf(size);
    IP_ADAPTER_INFO* list = (IP_ADAPTER_INFO*)buf.data();
    if (::GetAdaptersInfo(list, &size) != ERROR_SUCCESS) return;
    for (IP_ADAPTER_INFO* a = list; a; a = a->Next) {
        if (a->AddressLength != 6 || std::memcmp(a->Address, m_mac, 6) != 0) continue;
        m_strIpAddress = a->IpAddressList.IpAddress.String;
        m_strIpMask = a->IpAddressList.IpMask.String;
        m_strGateway = a->GatewayList.IpAddress.String;
    }
}

void CLinkStatusPage::ShowDisconnected(UINT statusId)
{
    m_strStatus = StringFromTable(statusId);
    for (CString* s : { &m_strExtraInfo, &m_strChannel, &m_strAuthentication, &m_strEncryption, &m_strNetworkType,
                        &m_strIpAddress, &m_strIpMask, &m_strGateway, &m_strTxRate, &m_strTxThroughput, &m_strRxRate,
                        &m_strRxThroughput })
        s->Empty();
    for (CGradientProgressCtrl& bar : m_bars) {
        bar.SetPos(0);
        bar.Invalidate(FALSE);
    }
    ShowHtSetting(1, nullptr);
    AddThroughput(g_dTxThroughputHistory, m_dTxMax, m_graphTx, 0.0);
    AddThroughput(g_dRxThroughputHistory, m_dRxMax, m_graphRx, 0.0);
    UpdateData(FALSE);
}

void CLinkStatusPage::AddThroughput(double* history, double& maximum, CThroughputGraph& graph, double sample)
{
    maximum = PushSample(history, sample);
    graph.m_strLabels[1] = FormatThroughput(maximum);
    graph.SetScale(maximum);
    graph.AddPoint(sample);
}

void CLinkStatusPage::ReadSecurityFromProfile()
{
    CRegKey key(OpenProfileKey(g_strCurProfileName, KEY_READ));
    if (!key.IsOpen()) return;
    int auth = 0;
    if (ReadRegInt(key, REGSTR_PROFILE_AUTHEN_TYPE, &auth)) {
        switch (auth) {
        case 0: m_strAuthentication = "Open"; break;
        case 1: m_strAuthentication = "Shared"; break;
        case 3: m_strAuthentication = "WPA"; break;
        case 4: m_strAuthentication = "WPA-PSK"; break;
        case 5: m_strAuthentication = "WPA-NONE"; break;
        case 6: m_strAuthentication = "WPA2"; break;
        case 7: m_strAuthentication = "WPA2-PSK"; break;
        default: break;
        }
    }
    int leap = 0;
    if (ReadRegInt(key, REGSTR_PROFILE_LEAP_ENABLED, &leap) && leap != 0) m_strAuthentication = "LEAP";
    int encryption = 0;
    if (!ReadRegInt(key, REGSTR_PROFILE_ENCRYPTION, &encryption)) return;
    if (m_strAuthentication == "LEAP") {
        m_strEncryption = "WEP";
        if (encryption == 4) m_strEncryption = "WPA-TKIP";
        else if (encryption == 6) m_strEncryption = "WPA2-AES";
        return;
    }
    switch (encryption) {
    case 0: m_strEncryption = "WEP"; break;
    case 1: m_strEncryption = "NONE"; break;
    case 4: m_strEncryption = "TKIP"; break;
    case 6: m_strEncryption = "AES"; break;
    default: break;
    }
}

// The security texts of the current network's entry in the panel's own copy
// of the aged scan list.  A network the list does not hold shows none: the
// texts of an earlier network would be wrong.
void CLinkStatusPage::ReadSecurityFromScan(const BYTE* bssid)
{
    m_strAuthentication.Empty();
    m_strEncryption.Empty();
    if (!m_pScanCopy) return;
    for (const NDIS_WLAN_BSSID_EX* e : BssidListEntries(m_pScanCopy, BSSID_LIST_BUFFER_SIZE)) {
        if (std::memcmp(e->MacAddress, bssid, 6) != 0) continue;
        std::vector<CString> parts;
        SplitString(FormatBssIeInfo(e, BSS_IE_SECURITY), ";", parts);
        if (parts.size() < 2) return;
        m_strAuthentication = parts[0];
        m_strEncryption = (parts[1] == "None" && e->Privacy != 0) ? CString("WEP") : parts[1];
        return;
    }
}

void CLinkStatusPage::AppendCentralChannel(DWORD centralChannel)
{
    CSiteSurveyPage* survey = m_pSurveyPage;
    if (!survey || !survey->IsWindow()) return;
    HWND list = ::GetDlgItem(survey->m_hWnd, IDC_SURVEY_LIST);
    int items = list ? (int)::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) : 0;
    const std::vector<SurveyEntry>& entries = survey->Entries();
    for (int i = 0; i < items && (size_t)i < entries.size(); ++i) {
        if (!entries[i].connected) continue;
        if (entries[i].highThroughput == 1) {
            CString suffix;
            suffix.Format(" : %d", (int)centralChannel);
            m_strChannel += "; " + StringFromTable(IDS_LINK_CENTRAL_CHANNEL) + suffix;
        }
        return;
    }
}

void CLinkStatusPage::ShowSignal(CGradientProgressCtrl& bar, int chain, LONG rssi, int percent)
{
    CString caption;
    if (rssi == -200) {
        caption.Format("Signal Strength%d >>", chain + 1);
        bar.SetText(caption, PBS_GRAD_CALLER_TEXT);
        bar.SetPos(0);
        bar.Invalidate(FALSE);
        return;
    }
    int p = std::min(percent, 100);
    if (g_bShowDbm) {
        caption.Format("Signal Strength %d >> %d dBm", chain + 1, (int)rssi);
        bar.SetText(caption, PBS_GRAD_CALLER_TEXT);
    } else {
        bar.SetText(kBarCaptions[BAR_SIGNAL1 + chain], PBS_GRAD_POSITION);
    }
    Paint(bar, SignalColour(p), p);
}

void CLinkStatusPage::OnTimer(UINT_PTR)
{
    UpdateData(TRUE);

    // Link-state text; a code the table does not hold shows none.
    DWORD extra = 0xFFFFFFFF;
    m_strExtraInfo.Empty();
    if (QueryValue(OID_VENDOR_EXTRA_INFO, &extra, sizeof(extra)) && extra <= 10)
        m_strExtraInfo = StringFromTable(IDS_LINK_STATE_FIRST + extra);

    DWORD media = 1;
    bool answered = false;
    QueryValue(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), &answered);
    if (!answered) {
        ShowDisconnected(IDS_LINK_NOT_READY);
        return;
    }
    BYTE bssid[6] = {};
    QueryOid(OID_802_11_BSSID, bssid, sizeof(bssid), nullptr);
    if (media != 0 || IsZeroMac(bssid)) {
        bool rfOff = !g_bRadioOn;
        if (!rfOff) {
            DWORD advanced[8] = {};
            advanced[5] = 1;   // a failed query says nothing about the RF switch
            QueryOid(OID_VENDOR_ADVANCED_CONFIG, advanced, sizeof(advanced), nullptr);
            rfOff = advanced[5] == 0;
        }
        ShowDisconnected(rfOff ? IDS_LINK_RF_OFF : IDS_LINK_DISCONNECTED);
        return;
    }

    // Status: SSID, BSSID and the address the driver knows.
    NDIS_802_11_SSID ssid = {};
    QueryOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr);
    BYTE statusBssid[6] = {};
    QueryOid(OID_802_11_BSSID, statusBssid, sizeof(statusBssid), nullptr);
    CString ssidText((const char*)ssid.Ssid, (int)std::min<ULONG>(ssid.SsidLength, 32));
    BYTE ip[4] = {};
    const BYTE* m = statusBssid;
    if (QueryValue(OID_VENDOR_IP_ADDRESS, ip, sizeof(ip)) && (ip[0] | ip[1] | ip[2] | ip[3]))
        m_strStatus.Format("%s <--> %02X-%02X-%02X-%02X-%02X-%02X [%d.%d.%d.%d]", ssidText.GetString(), m[0], m[1], m[2],
                           m[3], m[4], m[5], ip[0], ip[1], ip[2], ip[3]);
    else
        m_strStatus.Format("%s <--> %02X-%02X-%02X-%02X-%02X-%02X", ssidText.GetString(), m[0], m[1], m[2], m[3], m[4],
                           m[5]);

    // Channel; a frequency off the table leaves the text.
    NDIS_802_11_CONFIGURATION config = {};
    QueryOid(OID_802_11_CONFIGURATION, &config, sizeof(config), nullptr);
    int channel = FrequencyToChannel(config.DSConfig);
    if (channel > 0) {
        int mhz = (int)(config.DSConfig / 1000);
        if (channel == (int)kJapanChannelBase + 8 || channel == (int)kJapanChannelBase + 12 ||
            channel == (int)kJapanChannelBase + 16)
            m_strChannel.Format("J%d <--> %d MHz", channel - (int)kJapanChannelBase, mhz);
        else
            m_strChannel.Format("%u <--> %d MHz", (unsigned)channel, mhz);
    }

    // Transmit power; a failed query shows no power at all.
    CString txPower;
    DWORD power = 0;
    bool havePower = QueryValue(OID_VENDOR_TX_POWER, &power, sizeof(power));
    if (havePower) {
        if (power == 0xFFFFFFFF || power == 100) txPower = "100%";
        else if (power < 7) txPower = "Lowest";
        else txPower.Format("%d%%", (int)power);
    }

    // The panel's copy of the aged scan list: the one the engine keeps.
    if (m_pScanCopy) {
        if (g_pBssidListCache) std::memcpy(m_pScanCopy, g_pBssidListCache, BSSID_LIST_BUFFER_SIZE);
        else std::memset(m_pScanCopy, 0, BSSID_LIST_BUFFER_SIZE);
    }

    if (g_pCurProfile)
        m_strNetworkType = g_pCurProfile->infrastructureMode == 0 ? "IBSS" : "Infrastructure";

    if (g_bUseRegistryProfileSecurity == 1) ReadSecurityFromProfile();
    else ReadSecurityFromScan(bssid);

    UpdateIpInfo();

    // Rates.
    double rxRate = 1.0;
    if (g_bHtDevice) {
        RateFromHtSetting(OID_VENDOR_RX_RATE, &rxRate);
    } else {
        DWORD index = 0xFFFFFFFF;
        if (QueryValue(OID_VENDOR_RX_RATE, &index, sizeof(index)) && index < 12) rxRate = kLegacyRates[index];
    }
    m_strRxRate.Format("%.1f Mbps", rxRate);
    LinkStatusRecord record = {};
    QueryOid(OID_VENDOR_LINK_STATUS, &record, sizeof(record), nullptr);
    double txRate = 1.0;
    if (g_bHtDevice) RateFromHtSetting(OID_VENDOR_TX_RATE, &txRate);
    else txRate = record.txRate * 0.5;
    m_strTxRate.Format("%.1f Mbps", txRate);

    if (g_bHtDevice) AppendCentralChannel(record.centralChannel);

    // Throughput: bytes in two seconds to Mbps; counters wrap modulo 2^32.
    if (!m_bFirstSample) {
        double tx = (DWORD)(record.txBytes - m_dwPrevTxBytes) * 0.000004;
        double rx = (DWORD)(record.rxBytes - m_dwPrevRxBytes) * 0.000004;
        m_strTxThroughput = FormatThroughput(tx);
        m_strRxThroughput = FormatThroughput(rx);
        AddThroughput(g_dTxThroughputHistory, m_dTxMax, m_graphTx, tx);
        AddThroughput(g_dRxThroughputHistory, m_dRxMax, m_graphRx, rx);
    }
    m_dwPrevTxBytes = record.txBytes;
    m_dwPrevRxBytes = record.rxBytes;
    m_bFirstSample = FALSE;

    // Link quality, smoothed with the previous tick.
    int q = (int)std::min(record.channelQuality * 1.2 + 10.0, 100.0);
    if (m_nPrevQuality != 0) q = (int)((q + m_nPrevQuality + 1.0) * 0.5);
    m_nPrevQuality = q;
    Paint(m_bars[BAR_QUALITY], SignalColour(q), q);

    // Signal of each receive chain; a chain that does not answer reads as absent.
    LONG rssi[3] = { -200, -200, -200 };
    QueryValue(OID_802_11_RSSI, &rssi[0], sizeof(LONG));
    QueryValue(OID_VENDOR_RSSI_1, &rssi[1], sizeof(LONG));
    QueryValue(OID_VENDOR_RSSI_2, &rssi[2], sizeof(LONG));
    int p0 = RssiToPercent(rssi[0]);
    if (m_nPrevSignal != 0) p0 = (int)((p0 + m_nPrevSignal + 1.0) * 0.5);
    m_nPrevSignal = p0;
    ShowSignal(m_bars[BAR_SIGNAL1], 0, rssi[0], p0);
    ShowSignal(m_bars[BAR_SIGNAL2], 1, rssi[1], RssiToPercent(rssi[1]));
    ShowSignal(m_bars[BAR_SIGNAL3], 2, rssi[2], RssiToPercent(rssi[2]));

    // Signal-to-noise of the two streams; 44 (also for a failed query) is none.
    DWORD snr[2] = { 44, 44 };
    QueryValue(OID_VENDOR_SNR_0, &snr[0], sizeof(DWORD));
    QueryValue(OID_VENDOR_SNR_1, &snr[1], sizeof(DWORD));
    for (int i = 0; i < 2; ++i) {
        CString t;
        if (snr[i] == 44) t = "n/a";
        else t.Format("%d", (int)snr[i]);
        SetDlgItemText(i ? IDC_LINK_SNR1 : IDC_LINK_SNR0, t);
    }

    // Noise; lower is better, so the colours run the other way.
    // In 64 bits: the driver's numbers may be anything, and the figure must
    // not wrap round (a noise of 300000000 dBm is 100 %, not 0 %).
    LONG noiseValue = 0;
    QueryValue(OID_VENDOR_NOISE, &noiseValue, sizeof(noiseValue));
    long long noise;
    if (g_bHtDevice) {
        long long strongest = std::max({ (long long)rssi[0], (long long)rssi[1], (long long)rssi[2] });
        long long weakest = std::min(snr[0], snr[1]);
        noise = strongest < -70 ? strongest - weakest : -92;
    } else {
        noise = (long long)noiseValue - 143;
    }
    int n = (int)std::max(0LL, std::min(((noise * 5 + 500) * 2) / 3, 100LL));
    CGradientProgressCtrl& noiseBar = m_bars[BAR_NOISE];
    if (g_bShowDbm) {
        CString caption;
        caption.Format("Noise Strength >> %I64d dBm", noise);
        noiseBar.SetText(caption, PBS_GRAD_CALLER_TEXT);
    } else {
        noiseBar.SetText(kBarCaptions[BAR_NOISE], PBS_GRAD_POSITION);
    }
    Paint(noiseBar, n < 35 ? kGreen : n < 70 ? kYellow : kRed, n);

    if (g_bIcvError) {
        CString icv;
        icv.Format(" -- %s ", StringFromTable(IDS_LINK_ICV_ERROR).GetString());
        m_strExtraInfo += icv;
    }
    if (havePower) {
        CString suffix;
        suffix.Format(" [TxPower:%s]", txPower.GetString());
        m_strExtraInfo += suffix;
    }

    UpdateData(FALSE);
    ShowLegacyHtFields();
}
