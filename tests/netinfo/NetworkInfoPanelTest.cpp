// The network information panel in the configuration window of a controller
// of this process, against the installed default adapter and the default
// air: a double click on each row of the site survey shows that network on
// the four tabs; the tabs, the OK button and the panel's own copy of the
// entry, driven as a person does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "core/ConnectEngine.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "core/ZeroConfig.h"
#include "mainwnd/ConfigMainDlg.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "netinfo/AirFixture.h"
#include "pages/NetworkInfoDlg.h"
#include "pages/SiteSurveyPage.h"
#include "pages/SurveyList.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/ListProbe.h"
#include "support/Restore.h"

namespace {

using kqtest::Restore;

enum { COL_SSID = 1 };

const char kBgRates[] = "1, 2, 5.5, 11, 6, 9, 12, 18, 24, 36, 48, 54";
const char kARates[] = "6, 9, 12, 18, 24, 36, 48, 54";

// What the General tab shows of one network of the default air.
struct Expected {
    const char* row;         // the survey's SSID column
    const char* ssid;
    const char* mac;
    const char* auth;
    const char* cipher;
    const char* channel;
    const char* rates;
    int percent;
    bool ht;
};
const Expected kDefaultAir[] = {
    { "", "Hidden", "00-11-22-33-44-06", "WPA2-PSK", "AES", "4 <--> 2427 MHz", kBgRates, 70, false },
    { "Kestiq-5G-N", "Kestiq-5G-N", "00-11-22-33-44-08", "WPA2-PSK", "AES", "36 <--> 5180 MHz", kARates, 76, true },
    { "Kestiq-Corp", "Kestiq-Corp", "00-11-22-33-44-05", "WPA2", "AES", "9 <--> 2452 MHz", kBgRates, 50, false },
    { "Kestiq-Home", "Kestiq-Home", "00-11-22-33-44-03", "WPA2-PSK", "AES", "11 <--> 2462 MHz", kBgRates, 96, false },
    { "Kestiq-Mixed", "Kestiq-Mixed", "00-11-22-33-44-04", "WPA-PSK+WPA2-PSK", "TKIP+AES", "3 <--> 2422 MHz", kBgRates,
      63, false },
    { "Kestiq-Open", "Kestiq-Open", "00-11-22-33-44-01", "Unknown", "None", "1 <--> 2412 MHz", kBgRates, 100, false },
    { "Kestiq-WEP", "Kestiq-WEP", "00-11-22-33-44-02", "Unknown", "WEP", "6 <--> 2437 MHz", kBgRates, 81, false },
    { "Kestiq-WPS", "Kestiq-WPS", "00-11-22-33-44-07", "WPA2-PSK", "AES", "8 <--> 2447 MHz", kBgRates, 89, false },
};

class NetworkInfoPanelTest : public kqtest::DefaultAirTest {
protected:
    void SetUp() override
    {
        kqtest::DefaultAirTest::SetUp();
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
        g_bShowDbm = FALSE;
        ASSERT_TRUE(g_pBssidListCache);
        memset(g_pBssidListCache, 0, BSSID_LIST_BUFFER_SIZE);
    }

    // The window with the survey filled from a finished scan; the survey's
    // own timer stopped, so that the test runs its ticks.
    void OpenSurvey()
    {
        m_window = OpenWithSurveyStopped();
        ASSERT_NE(nullptr, m_window);
        m_survey = m_window->m_pSiteSurveyPage;
        m_info = (CNetworkInfoDlg*)m_window->GetPanel(PANEL_NETWORK_INFO);
        Pump();
        RefreshSurvey();
        ASSERT_GT(Rows(), 0);
    }
    // A scan through the engine, and the survey's ticks that take it.
    void RefreshSurvey()
    {
        for (int i = 0; i < 2; ++i) {
            Scan();
            m_survey->m_bScanning = TRUE;
            SendMessageA(m_survey->m_hWnd, WM_TIMER, IDT_SURVEY_REFRESH, 0);
            Pump();
        }
    }
    HWND List() { return GetDlgItem(m_survey->m_hWnd, IDC_SURVEY_LIST); }
    int Rows() { return kqtest::ListRowCount(List()); }
    int RowOf(const std::string& ssid)
    {
        for (int r = 0; r < Rows(); ++r)
            if (kqtest::ListCellText(List(), r, COL_SSID) == ssid) return r;
        return -1;
    }
    // A person's double click on the row's SSID.
    void DoubleClick(int row)
    {
        SendMessageA(List(), LVM_ENSUREVISIBLE, row, FALSE);
        RECT rc = {};
        rc.top = COL_SSID;
        rc.left = LVIR_LABEL;
        SendMessageA(List(), LVM_GETSUBITEMRECT, row, (LPARAM)&rc);
        LPARAM at = MAKELPARAM(rc.left + 20, (rc.top + rc.bottom) / 2);
        PostMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(List(), WM_LBUTTONUP, 0, at);
        PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(List(), WM_LBUTTONUP, 0, at);
        Pump();
    }
    void ClickTab(int tab)
    {
        SendMessageA(m_info->TabButton(tab)->m_hWnd, BM_CLICK, 0, 0);
        Pump();
    }
    static std::string Text(CWnd* page, UINT id)
    {
        char buf[512] = {};
        GetDlgItemTextA(page->m_hWnd, id, buf, sizeof(buf));
        return buf;
    }
    std::string General(UINT id) { return Text(m_info->GeneralTab(), id); }
    std::string Wps(UINT id) { return Text(m_info->WpsTab(), id); }
    HWND HtList() { return GetDlgItem(m_info->HtTab()->m_hWnd, IDC_HT_PROPERTY_LIST); }
    bool HtTabShown() { return IsWindowVisible(m_info->TabButton(NETINFO_TAB_HT)->m_hWnd) != FALSE; }
    void Shot(const char* name)
    {
        RedrawWindow(m_window->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        kqtest::SavePng(kqtest::CaptureWindow(m_window->m_hWnd), kqtest::ScreenshotPath(name));
    }

    Restore<BOOL> m_dbm{ g_bShowDbm };
    CConfigMainDlg* m_window = nullptr;
    CSiteSurveyPage* m_survey = nullptr;
    CNetworkInfoDlg* m_info = nullptr;
};

TEST_F(NetworkInfoPanelTest, DoubleClickingEachNetworkOfTheDefaultAirShowsItsDetails)
{
    OpenSurvey();
    ASSERT_EQ(8, Rows());
    for (const Expected& x : kDefaultAir) {
        SCOPED_TRACE(x.ssid);
        int row = RowOf(x.row);
        ASSERT_GE(row, 0);
        DoubleClick(row);
        ASSERT_EQ(PANEL_NETWORK_INFO, m_dlg.m_nCurPanel);
        ASSERT_TRUE(m_info->IsWindowVisible());
        EXPECT_TRUE(m_info->GeneralTab()->IsWindowVisible());

        EXPECT_EQ(x.ssid, General(IDC_GEN_SSID));
        EXPECT_EQ(x.mac, General(IDC_GEN_MAC));
        EXPECT_EQ(x.auth, General(IDC_GEN_AUTH));
        EXPECT_EQ(x.cipher, General(IDC_GEN_ENCRYPTION));
        EXPECT_EQ(x.channel, General(IDC_GEN_CHANNEL));
        EXPECT_EQ("Infrastructure", General(IDC_GEN_NETWORK_TYPE));
        EXPECT_EQ("100", General(IDC_GEN_BEACON));
        EXPECT_EQ(x.rates, General(IDC_GEN_RATES));
        EXPECT_EQ(x.percent,
                  (int)SendDlgItemMessageA(m_info->GeneralTab()->m_hWnd, IDC_GEN_SIGNAL_BAR, PBM_GETPOS, 0, 0));

        // The WPS tab repeats the security; the default air's only WPS
        // access point is checked on its own below.
        ClickTab(NETINFO_TAB_WPS);
        EXPECT_TRUE(m_info->WpsTab()->IsWindowVisible());
        EXPECT_EQ(x.auth, Wps(IDC_WPSAP_AUTH));
        EXPECT_EQ(x.cipher, Wps(IDC_WPSAP_ENCRYPTION));
        if (std::string(x.ssid) != "Kestiq-WPS") {
            EXPECT_EQ("Unknown", Wps(IDC_WPSAP_CONFIG_METHODS));
            EXPECT_EQ("", Wps(IDC_WPSAP_PASSWORD_ID));
        }

        // The CCX tab: no network of the default air sends the CCX suites.
        ClickTab(NETINFO_TAB_CCX);
        EXPECT_TRUE(m_info->CcxTab()->IsWindowVisible());
        for (UINT id : { IDC_CCX_CCKM, IDC_CCX_CMIC, IDC_CCX_CKIP }) EXPECT_EQ("FALSE", Text(m_info->CcxTab(), id));

        EXPECT_EQ(x.ht, HtTabShown());
        ASSERT_EQ(64, kqtest::ListRowCount(HtList()));
        EXPECT_EQ(x.ht ? "TRUE" : "n/a", kqtest::ListCellText(HtList(), 8, 1));
        ClickTab(NETINFO_TAB_GENERAL);
    }
}

TEST_F(NetworkInfoPanelTest, TheHiddenNetworkShowsHiddenOnChannelFourWithoutThe80211nTab)
{
    OpenSurvey();
    DoubleClick(RowOf(""));
    ASSERT_TRUE(m_info->IsWindowVisible());
    EXPECT_EQ("Hidden", General(IDC_GEN_SSID));
    EXPECT_EQ("4 <--> 2427 MHz", General(IDC_GEN_CHANNEL));
    EXPECT_FALSE(HtTabShown());
    for (int r : { 1, 8, 43, 63 }) EXPECT_EQ("n/a", kqtest::ListCellText(HtList(), r, 1)) << r;
    Shot("netinfo-general-hidden");
}

TEST_F(NetworkInfoPanelTest, TheWpsAccessPointFillsTheWpsTab)
{
    OpenSurvey();
    DoubleClick(RowOf("Kestiq-WPS"));
    ClickTab(NETINFO_TAB_WPS);
    ASSERT_TRUE(m_info->WpsTab()->IsWindowVisible());
    const struct {
        UINT id;
        const char* text;
    } fields[] = {
        { IDC_WPSAP_AUTH, "WPA2-PSK" },
        { IDC_WPSAP_ENCRYPTION, "AES" },
        { IDC_WPSAP_CONFIG_METHODS, "0x0188" },
        { IDC_WPSAP_PASSWORD_ID, "0x0004" },
        { IDC_WPSAP_REGISTRAR, "TRUE" },
        { IDC_WPSAP_STATE, "Configured" },
        { IDC_WPSAP_VERSION, "1.0" },
        { IDC_WPSAP_SETUP_LOCKED, "Unknown" },
        { IDC_WPSAP_UUID, "0000000000526666AAAAEEBCCCCCCCCC" },
        { IDC_WPSAP_RF_BANDS, "2.4GHz" },
    };
    for (const auto& f : fields) EXPECT_EQ(f.text, Wps(f.id)) << f.id;
    Shot("netinfo-wps");
    ClickTab(NETINFO_TAB_GENERAL);
    Shot("netinfo-general");
}

TEST_F(NetworkInfoPanelTest, TheFiveGigahertzNetworkFillsThe80211nList)
{
    OpenSurvey();
    DoubleClick(RowOf("Kestiq-5G-N"));
    ASSERT_TRUE(HtTabShown());
    ClickTab(NETINFO_TAB_HT);
    ASSERT_TRUE(m_info->HtTab()->IsWindowVisible());
    const struct {
        int row;
        const char* name;
        const char* value;
    } rows[] = {
        { 8, "HT Capability", "TRUE" },
        { 10, "Supported Channel Width Set", "1" },
        { 11, "SM Power Save", "3" },
        { 13, "Short GI for 20 MHz", "TRUE" },
        { 14, "Short GI for 40 MHz", "TRUE" },
        { 26, "Maximum Rx A-MPDU Factor", "3" },
        { 27, "Minimum MPDU Start Spacing", "8" },
        { 29, "Tx MCS Set Defined", "TRUE" },
        { 43, "Primary Channel", "36" },
        { 44, "HT Information Secondary Channel Offset", "1" },
        { 45, "STA Channel Width", "1" },
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.name, kqtest::ListCellText(HtList(), r.row, 0));
        EXPECT_EQ(r.value, kqtest::ListCellText(HtList(), r.row, 1)) << r.name;
    }
    int na = 0;
    for (int r = 0; r < 64; ++r)
        if (kqtest::ListCellText(HtList(), r, 1) == "n/a") ++na;
    EXPECT_EQ(0, na);
    Shot("netinfo-80211n");
}

TEST_F(NetworkInfoPanelTest, TheCcxTabShowsTheCiscoSuitesOfAnAccessPoint)
{
    // An access point whose vendor element carries the CKIP/CMIC group
    // cipher and the CCKM key management.
    KQSIM_NETWORK n = kqsim::MakeNetwork("Kestiq-CCX", "00:11:22:33:44:09", 11, -57, KQSIM_SEC_OPEN);
    const BYTE cisco[] = { 221, 22, 0x00, 0x40, 0x96, 0x00, 0x01, 0x00, 0x00, 0x40, 0x96, 0x01, 0x01, 0x00,
                           0x00, 0x50, 0xF2, 0x02, 0x01, 0x00, 0x00, 0x40, 0x96, 0x00 };
    memcpy(n.ies, cisco, sizeof(cisco));
    n.ieLen = sizeof(cisco);
    ASSERT_TRUE(m_sim.PutNetwork(n));
    OpenSurvey();
    DoubleClick(RowOf("Kestiq-CCX"));
    EXPECT_EQ("TKIP", General(IDC_GEN_ENCRYPTION));
    ClickTab(NETINFO_TAB_CCX);
    for (UINT id : { IDC_CCX_CCKM, IDC_CCX_CMIC, IDC_CCX_CKIP }) EXPECT_EQ("TRUE", Text(m_info->CcxTab(), id)) << id;
    Shot("netinfo-ccx");
}

TEST_F(NetworkInfoPanelTest, OkGoesBackToTheLinkStatusPanel)
{
    OpenSurvey();
    DoubleClick(RowOf("Kestiq-Open"));
    ASSERT_TRUE(m_info->IsWindowVisible());
    SendMessageA(GetDlgItem(m_info->m_hWnd, IDC_NETINFO_OK), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(PANEL_LINK_STATUS, m_dlg.m_nCurPanel);
    EXPECT_FALSE(m_info->IsWindowVisible());
    // Enter and Esc leave it where it is.
    DoubleClick(RowOf("Kestiq-Open"));
    SendMessageA(m_info->m_hWnd, WM_COMMAND, IDOK, 0);
    SendMessageA(m_info->m_hWnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(m_info->IsWindowVisible());
}

TEST_F(NetworkInfoPanelTest, ThePanelShowsItsCopyAfterTheSurveyRebuildsItsList)
{
    OpenSurvey();
    DoubleClick(RowOf("Kestiq-WPS"));
    ASSERT_EQ("Kestiq-WPS", General(IDC_GEN_SSID));

    // The air changes and the survey's next rebuild overwrites the entry the
    // panel was handed.
    std::vector<KQSIM_NETWORK> air{ kqsim::MakeNetwork("Somewhere-Else", "02:00:00:00:00:01", 1, -40, KQSIM_SEC_OPEN) };
    ASSERT_TRUE(m_sim.LoadNetworks(air));
    memset(g_pBssidListCache, 0, BSSID_LIST_BUFFER_SIZE);
    RefreshSurvey();
    ASSERT_EQ(1, Rows());
    // What the survey handed over no longer holds that network.
    EXPECT_NE(0, memcmp("Kestiq-WPS", m_survey->m_pChosenBss->Ssid.Ssid, 10));

    for (int tab : { NETINFO_TAB_WPS, NETINFO_TAB_CCX, NETINFO_TAB_GENERAL }) ClickTab(tab);
    EXPECT_EQ("Kestiq-WPS", General(IDC_GEN_SSID));
    EXPECT_EQ("00-11-22-33-44-07", General(IDC_GEN_MAC));
    EXPECT_EQ("0x0188", Wps(IDC_WPSAP_CONFIG_METHODS));
    const NDIS_WLAN_BSSID_EX* shown = (const NDIS_WLAN_BSSID_EX*)m_info->ShownEntry().data();
    EXPECT_EQ(0x07, shown->MacAddress[5]);
}

TEST_F(NetworkInfoPanelTest, ShowNetworkBringsTheAskedTabToTheFront)
{
    OpenSurvey();
    DoubleClick(RowOf("Kestiq-5G-N"));
    const NDIS_WLAN_BSSID_EX* wps = nullptr;
    const NDIS_WLAN_BSSID_EX* open = nullptr;
    for (const NDIS_WLAN_BSSID_EX* e : SurveyRecords(g_pBssidListCache)) {
        if (e->MacAddress[5] == 0x07) wps = e;
        if (e->MacAddress[5] == 0x01) open = e;
    }
    ASSERT_TRUE(wps && open);

    // The panel's own entry, called while it already shows another network
    // on its General tab.  The WPS page's "Information" button takes this
    // road end to end (tests/wpspage) on a panel not yet shown; no window
    // asks for the 802.11n tab, so its fall-back below is reached only here.
    m_info->ShowNetwork(wps, NETINFO_TAB_WPS);
    Pump();
    EXPECT_EQ(PANEL_NETWORK_INFO, m_dlg.m_nCurPanel);
    EXPECT_TRUE(m_info->WpsTab()->IsWindowVisible());
    EXPECT_FALSE(m_info->GeneralTab()->IsWindowVisible());
    EXPECT_EQ("0x0188", Wps(IDC_WPSAP_CONFIG_METHODS));

    // The 802.11n tab of a network without 802.11n is hidden: General instead.
    m_info->ShowNetwork(open, NETINFO_TAB_HT);
    Pump();
    EXPECT_TRUE(m_info->GeneralTab()->IsWindowVisible());
    EXPECT_FALSE(m_info->HtTab()->IsWindowVisible());
    EXPECT_EQ("Kestiq-Open", General(IDC_GEN_SSID));
}

}  // namespace
