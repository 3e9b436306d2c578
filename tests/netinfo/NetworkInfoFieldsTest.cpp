// The network information panel made by itself in a host window and given
// scan entries built byte by byte: the texts of the General, WPS, CCX and
// 802.11n tabs, the edge cases of each, and the panel keeping its own copy of
// the entry it shows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ieformat/BssEntry.h"
#include "pages/NetworkInfoDlg.h"
#include "resource.h"
#include "support/ListProbe.h"
#include "widgets/CellListCtrl.h"
#include "widgets/TabContainerDlg.h"
#include "widgets/WidgetTestSupport.h"

namespace {

// The fixed part of one scan entry, then its elements.
struct Net {
    std::string ssid = "Lab";
    long ssidLength = -1;            // -1: the SSID's own length
    BYTE mac[6] = { 0x00, 0x0C, 0x43, 0x5A, 0x01, 0xF0 };
    ULONG privacy = 0;
    LONG rssi = -50;
    ULONG freqKHz = 2437000;
    ULONG infrastructure = Ndis802_11Infrastructure;
    Bytes rates = { 0x82, 0x84, 0x8B, 0x96 };
    Bytes elements;
    WORD beaconInterval = 100;
};

Bytes Build(const Net& n)
{
    EntryOptions o;
    o.infrastructure = n.infrastructure;
    Bytes e = MakeEntry(FrameBody(n.elements, n.beaconInterval), o);
    NDIS_WLAN_BSSID_EX* b = (NDIS_WLAN_BSSID_EX*)e.data();
    memcpy(b->MacAddress, n.mac, 6);
    b->Ssid.SsidLength = n.ssidLength >= 0 ? (ULONG)n.ssidLength : (ULONG)n.ssid.size();
    memcpy(b->Ssid.Ssid, n.ssid.data(), std::min<size_t>(n.ssid.size(), 32));
    b->Privacy = n.privacy;
    b->Rssi = n.rssi;
    b->Configuration.DSConfig = n.freqKHz;
    memcpy(b->SupportedRates, n.rates.data(), std::min<size_t>(n.rates.size(), 16));
    return e;
}

// A WPS attribute: type and length big-endian, then the value.
Bytes Attr(WORD type, const Bytes& value)
{
    Bytes a{ (BYTE)(type >> 8), (BYTE)type, (BYTE)(value.size() >> 8), (BYTE)value.size() };
    a.insert(a.end(), value.begin(), value.end());
    return a;
}

Bytes Wps(std::initializer_list<Bytes> attrs)
{
    Bytes body{ 0x00, 0x50, 0xF2, 0x04 };
    for (const Bytes& a : attrs) body.insert(body.end(), a.begin(), a.end());
    return Element(221, body);
}

// RSN: CCMP group and pairwise, one key-management suite.
Bytes Rsn(BYTE akm)
{
    return Element(48, { 0x01, 0x00, 0x00, 0x0F, 0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F, 0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F,
                         0xAC, akm, 0x00, 0x00 });
}

// HT capabilities (40 MHz, short GI, SM power save off, A-MPDU factor 3,
// spacing 6, MCS set defined) and HT information (primary 36, above, any width).
Bytes HtElements()
{
    Bytes cap(26, 0);
    cap[0] = 0x6E;
    cap[2] = 0x1B;
    cap[3] = cap[4] = 0xFF;
    cap[15] = 0x01;
    Bytes info(22, 0);
    info[0] = 36;
    info[1] = 0x05;
    return Concat({ Element(45, cap), Element(61, info) });
}

// The colour band a pixel at the start of a signal bar belongs to (the
// gradient begins with the band's colour); 0 for none.
COLORREF Band(COLORREF px)
{
    int red = GetRValue(px), green = GetGValue(px), blue = GetBValue(px);
    if (red > 200 && green > 180 && blue < 150) return RGB(250, 230, 50);
    if (red > 200 && green < 150 && blue < 150) return RGB(255, 0, 0);
    if (green > 200 && red < 150 && blue < 150) return RGB(0, 255, 0);
    return 0;
}

class NetworkInfoFields : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_panel.CreatePage(&m_host));
        m_panel.SetWindowPos(nullptr, 0, 0, 794, 338, SWP_NOZORDER);
        widgettest::PumpPending();
    }
    void TearDown() override { m_panel.DestroyWindow(); }

    // The entry shown, as the survey hands it over: a fresh showing.
    void Show(const Bytes& entry)
    {
        m_panel.m_pBss = AsBss(entry);
        m_panel.ShowWindow(SW_HIDE);
        m_panel.ShowWindow(SW_SHOW);
        widgettest::PumpPending();
    }
    void Show(const Net& n)
    {
        m_entry = Build(n);
        Show(m_entry);
    }
    static std::string Text(CWnd* page, UINT id)
    {
        char buf[512] = {};
        GetDlgItemTextA(page->m_hWnd, id, buf, sizeof(buf));
        return buf;
    }
    std::string General(UINT id) { return Text(m_panel.GeneralTab(), id); }
    std::string WpsValue(UINT id) { return Text(m_panel.WpsTab(), id); }
    HWND HtList() { return GetDlgItem(m_panel.HtTab()->m_hWnd, IDC_HT_PROPERTY_LIST); }
    std::string HtValue(int row) { return kqtest::ListCellText(HtList(), row, 1); }
    bool HtTabShown() { return IsWindowVisible(m_panel.TabButton(NETINFO_TAB_HT)->m_hWnd) != FALSE; }
    int BarPos()
    {
        return (int)SendDlgItemMessageA(m_panel.GeneralTab()->m_hWnd, IDC_GEN_SIGNAL_BAR, PBM_GETPOS, 0, 0);
    }

    widgettest::HostDialog m_host{ 800, 340, 20, 20, "network information" };
    CNetworkInfoDlg m_panel{ nullptr };
    Bytes m_entry;
};

// ---- General -----------------------------------------------------------------------

TEST_F(NetworkInfoFields, SecurityTextsAndTheWepCipherOfAnEntryWithoutSecurityElements)
{
    const struct {
        const char* name;
        ULONG privacy;
        Bytes elements;
        const char* auth;
        const char* cipher;
    } cases[] = {
        { "open", 0, {}, "Unknown", "None" },
        { "WEP without security elements", 1, {}, "Unknown", "WEP" },
        { "WPA2-PSK", 1, Rsn(2), "WPA2-PSK", "AES" },
        { "WPA2 with the privacy bit clear", 0, Rsn(1), "WPA2", "AES" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Net n;
        n.privacy = c.privacy;
        n.elements = c.elements;
        Show(n);
        EXPECT_EQ(c.auth, General(IDC_GEN_AUTH));
        EXPECT_EQ(c.cipher, General(IDC_GEN_ENCRYPTION));
        // The WPS tab repeats them.
        EXPECT_EQ(c.auth, WpsValue(IDC_WPSAP_AUTH));
        EXPECT_EQ(c.cipher, WpsValue(IDC_WPSAP_ENCRYPTION));
    }
}

TEST_F(NetworkInfoFields, SsidMacAddressNetworkTypeAndBeaconInterval)
{
    const struct {
        const char* name;
        std::string ssid;
        long length;
        ULONG infrastructure;
        WORD beacon;
        std::string shownSsid;
        const char* type;
        const char* interval;
    } cases[] = {
        { "plain", "Lab", -1, Ndis802_11Infrastructure, 100, "Lab", "Infrastructure", "100" },
        { "hidden", "", -1, Ndis802_11Infrastructure, 100, "Hidden", "Infrastructure", "100" },
        { "ampersand kept", "Fish & Chips", -1, Ndis802_11IBSS, 0x1234, "Fish & Chips", "IBSS", "4660" },
        { "length 200 from the driver", std::string(32, 'L'), 200, Ndis802_11AutoUnknown, 1, std::string(32, 'L'), "Unknown",
          "1" },
        { "length 33", std::string(32, 'M'), 33, 7, 65535, std::string(32, 'M'), "Unknown", "65535" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Net n;
        n.ssid = c.ssid;
        n.ssidLength = c.length;
        n.infrastructure = c.infrastructure;
        n.beaconInterval = c.beacon;
        Show(n);
        EXPECT_EQ(c.shownSsid, General(IDC_GEN_SSID));
        EXPECT_EQ("00-0C-43-5A-01-F0", General(IDC_GEN_MAC));
        EXPECT_EQ(c.type, General(IDC_GEN_NETWORK_TYPE));
        EXPECT_EQ(c.interval, General(IDC_GEN_BEACON));
    }
}

TEST_F(NetworkInfoFields, ChannelTexts)
{
    const struct {
        ULONG khz;
        const char* text;
    } cases[] = {
        { 2437000, "6 <--> 2437 MHz" }, { 2412000, "1 <--> 2412 MHz" }, { 2484000, "14 <--> 2484 MHz" },
        { 5180000, "36 <--> 5180 MHz" }, { 5825000, "165 <--> 5825 MHz" }, { 4920000, "184 <--> 4920 MHz" },
        { 5040000, "J8 <--> 5040 MHz" }, { 5060000, "J12 <--> 5060 MHz" }, { 5080000, "J16 <--> 5080 MHz" },
        // Off the table: no channel, rather than the one shown before.
        { 2400000, "" }, { 0, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.khz);
        Net first;
        Show(first);
        ASSERT_EQ("6 <--> 2437 MHz", General(IDC_GEN_CHANNEL));
        Net n;
        n.freqKHz = c.khz;
        Show(n);
        EXPECT_EQ(c.text, General(IDC_GEN_CHANNEL));
    }
}

TEST_F(NetworkInfoFields, SupportedRates)
{
    const struct {
        const char* name;
        Bytes rates;
        const char* text;
    } cases[] = {
        { "b rates, basic bit dropped", { 0x82, 0x84, 0x8B, 0x96 }, "1, 2, 5.5, 11" },
        { "g rates", { 0x0C, 0x12, 0x18, 0x24, 0x30, 0x48, 0x60, 0x6C }, "6, 9, 12, 18, 24, 36, 48, 54" },
        { "first byte zero", { 0x00, 0x82, 0x84 }, "" },
        { "no rates", {}, "" },
        { "a zero byte ends the list", { 0x82, 0x00, 0x84 }, "1" },
        { "basic bit alone is no rate", { 0x80, 0x82 }, "" },
        { "all sixteen", Bytes(16, 0xFF),
          "63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5, 63.5" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Net n;
        n.rates = c.rates;
        Show(n);
        EXPECT_EQ(c.text, General(IDC_GEN_RATES));
    }
}

TEST_F(NetworkInfoFields, SignalBarPositionAndColourBand)
{
    CWnd* bar = m_panel.GeneralTab()->GetDlgItem(IDC_GEN_SIGNAL_BAR);
    ::KillTimer(bar->m_hWnd, PBT_GRAD_ANIMATE);
    const struct {
        LONG rssi;
        int percent;
        COLORREF band;
    } cases[] = {
        { -20, 100, RGB(0, 255, 0) }, { -62, 70, RGB(0, 255, 0) },  { -65, 63, RGB(250, 230, 50) },
        { -75, 37, RGB(250, 230, 50) }, { -78, 29, RGB(255, 0, 0) }, { -101, 0, RGB(255, 0, 0) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rssi);
        Net n;
        n.rssi = c.rssi;
        Show(n);
        EXPECT_EQ(c.percent, BarPos());
        char caption[64];
        snprintf(caption, sizeof(caption), "Signal Strength >> %d%%", c.percent);
        EXPECT_EQ(caption, Text(m_panel.GeneralTab(), IDC_GEN_SIGNAL_BAR));
        if (c.percent > 5) {
            ::RedrawWindow(bar->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            widgettest::Capture px(bar->m_hWnd);
            COLORREF at = px.At(2, px.Height() / 2);
            EXPECT_EQ(c.band, Band(at)) << widgettest::Rgb(at);
        }
    }
}

// ---- WPS and CCX -------------------------------------------------------------------

TEST_F(NetworkInfoFields, WpsFieldsInTheTabsOrderAndUnknownPasswordIdShownEmpty)
{
    Net n;
    n.privacy = 1;
    n.elements = Concat({ Rsn(2), Wps({ Attr(0x104A, { 0x10 }), Attr(0x1044, { 0x01 }), Attr(0x1041, { 0x01 }),
                                        Attr(0x1012, { 0x00, 0x04 }), Attr(0x1008, { 0x01, 0x88 }),
                                        Attr(0x1057, { 0x00 }),
                                        Attr(0x1047, FromHex("00112233445566778899AABBCCDDEEFF")),
                                        Attr(0x103C, { 0x03 }) }) });
    Show(n);
    const struct {
        UINT id;
        const char* text;
    } full[] = {
        { IDC_WPSAP_AUTH, "WPA2-PSK" },       { IDC_WPSAP_ENCRYPTION, "AES" },      { IDC_WPSAP_CONFIG_METHODS, "0x0188" },
        { IDC_WPSAP_PASSWORD_ID, "0x0004" },  { IDC_WPSAP_REGISTRAR, "TRUE" },      { IDC_WPSAP_STATE, "Unconfigured" },
        { IDC_WPSAP_VERSION, "1.0" },         { IDC_WPSAP_SETUP_LOCKED, "FALSE" },
        { IDC_WPSAP_UUID, "00112233445566778899AABBCCDDEEFF" },                     { IDC_WPSAP_RF_BANDS, "2.4GHz + 5GHz" },
    };
    for (const auto& f : full) EXPECT_EQ(f.text, WpsValue(f.id)) << f.id;

    // An element without attributes: every field unknown, the password id empty.
    n.elements = Wps({});
    Show(n);
    EXPECT_EQ("", WpsValue(IDC_WPSAP_PASSWORD_ID));
    for (UINT id : { IDC_WPSAP_CONFIG_METHODS, IDC_WPSAP_REGISTRAR, IDC_WPSAP_STATE, IDC_WPSAP_VERSION,
                     IDC_WPSAP_SETUP_LOCKED, IDC_WPSAP_UUID, IDC_WPSAP_RF_BANDS })
        EXPECT_EQ("Unknown", WpsValue(id)) << id;
    // The tab's labels and the unused static 1224.
    EXPECT_EQ("Device Password ID >>", Text(m_panel.WpsTab(), IDC_WPSAP_LABEL_FIRST + 3));
    EXPECT_EQ("RF Bands >>", Text(m_panel.WpsTab(), IDC_WPSAP_LABEL_FIRST + 9));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_panel.WpsTab()->m_hWnd, IDC_WPSAP_UNUSED)));
}

TEST_F(NetworkInfoFields, CcxFieldsFromTheCiscoElement)
{
    // Group cipher 00-40-96 type 1 (CKIP and CMIC), pairwise TKIP, key management 00-40-96 (CCKM).
    Bytes cisco = Element(221, { 0x00, 0x40, 0x96, 0x00, 0x01, 0x00, 0x00, 0x40, 0x96, 0x01, 0x01, 0x00, 0x00, 0x50,
                                 0xF2, 0x02, 0x01, 0x00, 0x00, 0x40, 0x96, 0x00 });
    const struct {
        const char* name;
        Bytes elements;
        const char* cckm;
        const char* cmic;
        const char* ckip;
    } cases[] = {
        { "none", {}, "FALSE", "FALSE", "FALSE" },
        { "CCKM, CMIC and CKIP", cisco, "TRUE", "TRUE", "TRUE" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Net n;
        n.elements = c.elements;
        Show(n);
        EXPECT_EQ(c.cckm, Text(m_panel.CcxTab(), IDC_CCX_CCKM));
        EXPECT_EQ(c.cmic, Text(m_panel.CcxTab(), IDC_CCX_CMIC));
        EXPECT_EQ(c.ckip, Text(m_panel.CcxTab(), IDC_CCX_CKIP));
    }
    EXPECT_EQ("CCKM >>", Text(m_panel.CcxTab(), IDC_CCX_LABEL_CCKM));
    EXPECT_EQ("Ckip >>", Text(m_panel.CcxTab(), IDC_CCX_LABEL_CKIP));
}

// ---- 802.11n -----------------------------------------------------------------------

TEST_F(NetworkInfoFields, WithoutHtInformationTheTabHidesAndEveryFieldRowReadsNa)
{
    Net n;
    n.elements = HtElements();
    Show(n);
    ASSERT_TRUE(HtTabShown());
    SendMessageA(m_panel.TabButton(NETINFO_TAB_HT)->m_hWnd, BM_CLICK, 0, 0);
    widgettest::PumpPending();
    ASSERT_TRUE(m_panel.HtTab()->IsWindowVisible());

    Net plain;
    Show(plain);
    EXPECT_FALSE(HtTabShown());
    // A fresh showing brings the General tab to the front.
    EXPECT_TRUE(m_panel.GeneralTab()->IsWindowVisible());
    EXPECT_FALSE(m_panel.HtTab()->IsWindowVisible());
    ASSERT_EQ(64, kqtest::ListRowCount(HtList()));
    CCellListCtrl* list = (CCellListCtrl*)CWnd::FromHandlePermanent(HtList());
    ASSERT_NE(nullptr, list);
    int sections = 0, fields = 0;
    for (int r = 0; r < 64; ++r) {
        CListCellInfo* name = list->GetCellInfo(r, 0);
        bool section = name->m_bBold != 0;
        section ? ++sections : ++fields;
        EXPECT_EQ(section ? "" : "n/a", HtValue(r)) << r;
    }
    EXPECT_EQ(10, sections);
    EXPECT_EQ(54, fields);
}

TEST_F(NetworkInfoFields, HtRowsShowTheirFields)
{
    Net n;
    n.freqKHz = 5180000;
    n.elements = HtElements();
    Show(n);
    ASSERT_TRUE(HtTabShown());
    const struct {
        int row;
        const char* name;
        const char* value;
    } rows[] = {
        { 0, "Secondary Channel Offset element", "" },
        { 1, "Secondary Channel Offset", "0" },
        { 8, "HT Capability", "TRUE" },
        { 9, "LDPC Coding Capability", "FALSE" },
        { 10, "Supported Channel Width Set", "1" },
        { 11, "SM Power Save", "3" },
        { 13, "Short GI for 20 MHz", "TRUE" },
        { 14, "Short GI for 40 MHz", "TRUE" },
        { 18, "Maximum A-MSDU Length", "0" },
        { 22, "Maximum A-MSDU Length", "FALSE" },
        { 26, "Maximum Rx A-MPDU Factor", "3" },
        { 27, "Minimum MPDU Start Spacing", "8" },
        { 29, "Tx MCS Set Defined", "TRUE" },
        { 37, "Maximum Rx A-MPDU Factor", "0" },
        { 42, "HT Information element", "" },
        { 43, "Primary Channel", "36" },
        { 44, "HT Information Secondary Channel Offset", "1" },
        { 45, "STA Channel Width", "1" },
        { 63, "Basic MCS Set 3", "0" },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.name, kqtest::ListCellText(HtList(), r.row, 0));
        EXPECT_EQ(r.value, HtValue(r.row));
    }
    widgettest::Screenshot(m_host.m_hWnd, "netinfo-standalone");
}

// ---- The panel's own copy --------------------------------------------------------------

TEST_F(NetworkInfoFields, ThePanelKeepsItsCopyWhenTheCallersListChanges)
{
    Net n;
    n.ssid = "Kept";
    n.freqKHz = 5180000;
    n.elements = HtElements();
    Bytes entry = Build(n);
    Show(entry);
    ASSERT_EQ(entry, m_panel.ShownEntry());

    // The survey rebuilds its list: the bytes the panel was given are gone.
    std::fill(entry.begin(), entry.end(), 0xEE);
    for (int tab = NETINFO_TAB_COUNT - 1; tab >= 0; --tab) {
        SendMessageA(m_panel.TabButton(tab)->m_hWnd, BM_CLICK, 0, 0);
        widgettest::PumpPending();
    }
    RedrawWindow(m_host.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ("Kept", General(IDC_GEN_SSID));
    EXPECT_EQ("36", HtValue(43));
    EXPECT_EQ(0, memcmp("Kept", AsBss(m_panel.ShownEntry())->Ssid.Ssid, 4));
}

}  // namespace
