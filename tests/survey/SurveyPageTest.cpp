// The site survey page inside the configuration window of a controller of
// this process, against the installed default adapter and the simulated air:
// rows and images, sorting in both units, the connected mark, the timer and
// its disconnected-tick counter, the buttons, the double click.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/Oids.h"
#include "core/StationConfig.h"
#include "core/ZeroConfig.h"
#include "core/WpsRuntime.h"
#include "mainwnd/ConfigMainDlg.h"
#include "pages/ProfilePage.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "pages/NetworkInfoDlg.h"
#include "pages/SiteSurveyPage.h"
#include "resource.h"
#include "sim/client/SimClient.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/BoxAnswer.h"
#include "support/ListProbe.h"
#include "support/Restore.h"
#include "tray/AdapterFixture.h"

namespace {

enum { COL_CONNECTED, COL_SSID, COL_TYPE, COL_CHANNEL, COL_A, COL_B, COL_G, COL_N, COL_SECURITY, COL_SIGNAL, COL_BAR };

using kqtest::BoxAnswer;

class SurveyPageTest : public kqtest::DefaultAdapterTest {
protected:
    void SetUp() override
    {
        kqtest::DefaultAdapterTest::SetUp();
        m_dlg.m_bShowOnStart = FALSE;
        ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
        ASSERT_TRUE(m_dlg.m_bAdapterFound);
        m_dlg.KillAllTimers();
        ClearConnectRequests();        // the start-up apply of the stored configuration: not these tests' business
        // A mode and an a-band region that scan channel 36: the default air has a 5 GHz network.
        // The window's advanced page takes the mode from the adapter key.
        m_adapterKey.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, g_strAdapterRegPath.GetString()));
        WriteAdapterText(REGSTR_WIRELESS_MODE, "5");
        g_nWirelessMode = 5;
        g_dwCountryRegion &= 0xFF;
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
        g_bScanPending = FALSE;
        g_bShowDbm = FALSE;
        CSiteSurveyPage::s_nLinkMisses = 0;
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_SCAN_LATENCY, 1));
        Disconnect();
        ASSERT_TRUE(g_pBssidListCache);
        memset(g_pBssidListCache, 0, BSSID_LIST_BUFFER_SIZE);
    }
    void TearDown() override
    {
        ClearConnectRequests();
        g_bScanPending = FALSE;
        m_dlg.m_bSwitchedToAp = TRUE;   // no Default written to the adapter key
        m_dlg.DestroyWindow();
        m_adapterKey.reset();
        kqtest::DefaultAdapterTest::TearDown();
    }

    // The window with the survey page in front; its own timer stopped, so
    // that the test runs every tick itself.
    CSiteSurveyPage* OpenPage()
    {
        m_dlg.OpenMainWindow();
        CConfigMainDlg* w = m_dlg.OpenedMainWindow();
        if (!w || !w->m_pSiteSurveyPage) return nullptr;
        KillTimer(w->m_pSiteSurveyPage->m_hWnd, IDT_SURVEY_REFRESH);
        Pump();
        return w->m_pSiteSurveyPage;
    }
    // What an act left behind, but no timer event: the test runs the ticks.
    static void Pump() { kqtest::PumpPendingButTimers(); }
    static void Tick(CSiteSurveyPage* p)
    {
        SendMessageA(p->m_hWnd, WM_TIMER, IDT_SURVEY_REFRESH, 0);
        Pump();
    }

    // The connection engine's timer 2 once the driver has scanned: the scan
    // result is merged into the aged list.
    void EngineTakesScan()
    {
        ASSERT_TRUE(g_bScanPending);
        ASSERT_TRUE(kqtest::DriverScanDone(m_sim, kGuid)) << "the driver's scan did not end";
        KillTimer(m_dlg.m_hWnd, IDT_RECONNECT);
        SendMessageA(m_dlg.m_hWnd, WM_TIMER, IDT_RECONNECT, 0);
        ASSERT_FALSE(g_bScanPending);
    }
    // A scan asked of the engine (unless one is pending) and its result taken.
    void ScanEnds()
    {
        if (!g_bScanPending) ConnectIfRequested();
        EngineTakesScan();
    }
    // A tick of the page, and the engine's scan timer when the tick asked for a scan.
    void TickAndScan(CSiteSurveyPage* p)
    {
        Tick(p);
        if (g_bScanPending) EngineTakesScan();
    }
    static DWORD ScanSets(const std::vector<kqsim::LogEntry>& log)
    {
        DWORD n = 0;
        for (const kqsim::LogEntry& e : log)
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_802_11_BSSID_LIST_SCAN) ++n;
        return n;
    }
    // The aged-list entry of a BSSID, or -1.
    static int AgedIndex(BYTE last)
    {
        std::vector<const NDIS_WLAN_BSSID_EX*> v = SurveyRecords(g_pBssidListCache);
        for (size_t i = 0; i < v.size(); ++i)
            if (v[i]->MacAddress[5] == last && v[i]->MacAddress[0] == 0x00 && v[i]->MacAddress[1] == 0x11) return (int)i;
        return -1;
    }

    // Joins a network of the air and lets the controller's poll see the link.
    void Join(const char* ssid)
    {
        NDIS_802_11_SSID s = {};
        s.SsidLength = (ULONG)strlen(ssid);
        memcpy(s.Ssid, ssid, s.SsidLength);
        ASSERT_TRUE(SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1));
        ASSERT_TRUE(kqtest::WaitFor([&] {
            SendMessageA(m_dlg.m_hWnd, WM_TIMER, IDT_ADAPTER_POLL, 0);
            DWORD media = 1;
            QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
            return media == 0 && g_CurBssid[5] != 0;
        })) << "no link to " << ssid;
    }
    void Disconnect()
    {
        SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1);
        memset(g_CurBssid, 0, sizeof(g_CurBssid));
    }

    static HWND List(CSiteSurveyPage* p) { return GetDlgItem(p->m_hWnd, IDC_SURVEY_LIST); }
    static int Rows(CSiteSurveyPage* p) { return kqtest::ListRowCount(List(p)); }
    static std::string Text(CSiteSurveyPage* p, int row, int col) { return kqtest::ListCellText(List(p), row, col); }
    static int Image(CSiteSurveyPage* p, int row, int col) { return kqtest::ListCellImage(List(p), row, col); }
    static std::vector<std::string> Ssids(CSiteSurveyPage* p)
    {
        std::vector<std::string> out;
        for (int r = 0; r < Rows(p); ++r) out.push_back(Text(p, r, COL_SSID));
        return out;
    }
    static int RowOf(CSiteSurveyPage* p, const std::string& ssid)
    {
        for (int r = 0; r < Rows(p); ++r)
            if (Text(p, r, COL_SSID) == ssid) return r;
        return -1;
    }
    static void Click(CSiteSurveyPage* p, UINT id)
    {
        SendMessageA(GetDlgItem(p->m_hWnd, id), BM_CLICK, 0, 0);
        Pump();
    }
    static bool Enabled(CSiteSurveyPage* p, UINT id) { return IsWindowEnabled(GetDlgItem(p->m_hWnd, id)) != FALSE; }
    // Focuses a row and sends the list's notification of a click (or double
    // click) on its SSID, as the list-view does.
    static void Focus(CSiteSurveyPage* p, int row, UINT code)
    {
        kqtest::SelectListRow(List(p), row);
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(List(p), LVM_GETITEMRECT, row, (LPARAM)&rc);
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = List(p);
        nm.hdr.idFrom = IDC_SURVEY_LIST;
        nm.hdr.code = code;
        nm.iItem = row;
        nm.ptAction.x = 100;    // on the SSID
        nm.ptAction.y = (rc.top + rc.bottom) / 2;
        SendMessageA(p->m_hWnd, WM_NOTIFY, IDC_SURVEY_LIST, (LPARAM)&nm);
        Pump();
    }
    // Page made, a scan ended; the first tick fills the list and, the link
    // being down, asks for a scan, the second fills it again.
    CSiteSurveyPage* FilledPage()
    {
        CSiteSurveyPage* p = OpenPage();
        if (!p) return nullptr;
        ScanEnds();
        TickAndScan(p);
        TickAndScan(p);
        return p;
    }

    kqtest::Restore<BOOL> m_radio{ g_bRadioOn }, m_admin{ g_bIsAdmin }, m_pending{ g_bScanPending }, m_dbm{ g_bShowDbm };
    kqtest::Restore<int> m_wzc{ g_nWzcMode }, m_mode{ g_nWirelessMode };
    std::unique_ptr<kqtest::KeyGuard> m_adapterKey;
    kqtest::Restore<DWORD> m_region{ g_dwCountryRegion };
    CHideDlg m_dlg;
};

const UINT kAllControls[] = { IDC_SURVEY_RESCAN, IDC_SURVEY_SORT_SSID, IDC_SURVEY_SORT_CHANNEL, IDC_SURVEY_SORT_SIGNAL,
                              IDC_SURVEY_SHOW_DBM, IDC_SURVEY_LABEL_SSID, IDC_SURVEY_LABEL_CHANNEL,
                              IDC_SURVEY_LABEL_SIGNAL, IDC_SURVEY_LABEL_DBM };

// ---- The rows of the default air -------------------------------------------------

TEST_F(SurveyPageTest, DefaultAirListsEveryNetworkWithItsImagesAndTheConnectedMark)
{
    Join("Kestiq-Open");
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    Tick(p);

    const struct {
        const char* ssid;
        const char* channel;
        int a, b, g, n, security;
        const char* percent;
    } rows[] = {
        { "", "4", -1, 3, 4, -1, 5, "70%" },              // the hidden network: no SSID
        { "Kestiq-5G-N", "36", 2, -1, -1, 9, 5, "76%" },
        { "Kestiq-Corp", "9", -1, 3, 4, -1, 5, "50%" },
        { "Kestiq-Home", "11", -1, 3, 4, -1, 5, "96%" },
        { "Kestiq-Mixed", "3", -1, 3, 4, -1, 5, "63%" },
        { "Kestiq-Open", "1", -1, 3, 4, -1, -1, "100%" },
        { "Kestiq-WEP", "6", -1, 3, 4, -1, 5, "81%" },
        { "Kestiq-WPS", "8", -1, 3, 4, -1, 8, "89%" },
    };
    ASSERT_EQ(8, Rows(p));
    for (int r = 0; r < 8; ++r) {
        SCOPED_TRACE(rows[r].ssid);
        EXPECT_EQ(rows[r].ssid, Text(p, r, COL_SSID));
        EXPECT_EQ(rows[r].channel, Text(p, r, COL_CHANNEL));
        EXPECT_EQ(1, Image(p, r, COL_TYPE));
        EXPECT_EQ(rows[r].a, Image(p, r, COL_A));
        EXPECT_EQ(rows[r].b, Image(p, r, COL_B));
        EXPECT_EQ(rows[r].g, Image(p, r, COL_G));
        EXPECT_EQ(rows[r].n, Image(p, r, COL_N));
        EXPECT_EQ(rows[r].security, Image(p, r, COL_SECURITY));
        EXPECT_EQ(rows[r].percent, Text(p, r, COL_SIGNAL));
        EXPECT_EQ(std::string(rows[r].ssid) == "Kestiq-Open" ? 6 : -1, Image(p, r, COL_CONNECTED));
    }
    ASSERT_EQ(8u, p->Entries().size());
    EXPECT_EQ(1u, p->Entries()[5].connected);

    kqtest::SavePng(kqtest::CaptureWindow(m_dlg.OpenedMainWindow()->m_hWnd), kqtest::ScreenshotPath("survey-default-air"));
    kqtest::SavePng(kqtest::CaptureWindow(p->m_hWnd), kqtest::ScreenshotPath("survey-page"));
}

// The sort buttons and the "Show dBm" box show whole in their 20-pixel
// places: a dark outline on every side, the dot or the tick when chosen.
TEST_F(SurveyPageTest, SortButtonsAndTheDbmBoxDrawWhole)
{
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    if (g_bShowDbm) Click(p, IDC_SURVEY_SHOW_DBM);
    Click(p, IDC_SURVEY_SORT_SSID);
    TickAndScan(p);
    // Pixels of a kind in a part of a control: dx, dy from its centre, half sizes w, h.
    struct Part { int dx, dy, w, h; };
    auto count = [&](UINT id, bool (*is)(DWORD), Part part) {
        RECT r;
        GetWindowRect(GetDlgItem(p->m_hWnd, id), &r);
        MapWindowPoints(nullptr, p->m_hWnd, (POINT*)&r, 2);
        kqtest::Capture c = kqtest::CaptureWindow(p->m_hWnd);
        int cx = (r.left + r.right) / 2 + part.dx, cy = (r.top + r.bottom) / 2 + part.dy, n = 0;
        for (int y = cy - part.h; y < cy + part.h; ++y)
            for (int x = cx - part.w; x < cx + part.w; ++x) n += is(c.At(x, y));
        return n;
    };
    auto dark = [](DWORD px) { return ((px >> 16) & 0xFF) < 100 && ((px >> 8) & 0xFF) < 100 && (px & 0xFF) < 100; };
    auto blue = [](DWORD px) { return (px & 0xFF) > 150 && ((px >> 16) & 0xFF) < 100; };
    auto green = [](DWORD px) { return ((px >> 8) & 0xFF) > 120 && ((px >> 16) & 0xFF) < 100 && (px & 0xFF) < 100; };
    const Part left{ -7, 0, 3, 2 }, right{ 7, 0, 3, 2 }, top{ 0, -7, 2, 3 }, bottom{ 0, 7, 2, 3 }, middle{ 0, 0, 4, 4 };
    for (UINT id : { IDC_SURVEY_SORT_SSID, IDC_SURVEY_SORT_CHANNEL, IDC_SURVEY_SORT_SIGNAL, IDC_SURVEY_SHOW_DBM })
        for (const Part& side : { left, right, top, bottom }) EXPECT_GT(count(id, dark, side), 0) << id;
    EXPECT_GT(count(IDC_SURVEY_SORT_SSID, blue, middle), 4) << "the chosen sort key's dot";
    EXPECT_EQ(0, count(IDC_SURVEY_SORT_CHANNEL, blue, middle));
    EXPECT_EQ(0, count(IDC_SURVEY_SHOW_DBM, green, middle));
    Click(p, IDC_SURVEY_SHOW_DBM);
    TickAndScan(p);
    EXPECT_GT(count(IDC_SURVEY_SHOW_DBM, green, middle), 4) << "the tick";
    kqtest::SavePng(kqtest::CaptureWindow(p->m_hWnd), kqtest::ScreenshotPath("survey-sort-and-dbm"));
    Click(p, IDC_SURVEY_SHOW_DBM);
}

TEST_F(SurveyPageTest, TheConnectedMarkFollowsTheLink)
{
    Join("Kestiq-Open");
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    Tick(p);
    EXPECT_EQ(6, Image(p, RowOf(p, "Kestiq-Open"), COL_CONNECTED));

    Disconnect();
    Tick(p);
    for (int r = 0; r < Rows(p); ++r) EXPECT_EQ(-1, Image(p, r, COL_CONNECTED)) << r;
}

// ---- Sorting and units ---------------------------------------------------------

TEST_F(SurveyPageTest, SortsByEachKeyInBothUnits)
{
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    const struct {
        UINT radio;
        bool dbm;
        std::vector<std::string> order;
        std::vector<std::string> signal;
    } cases[] = {
        { IDC_SURVEY_SORT_CHANNEL, false,
          { "Kestiq-Open", "Kestiq-Mixed", "", "Kestiq-WEP", "Kestiq-WPS", "Kestiq-Corp", "Kestiq-Home", "Kestiq-5G-N" },
          { "100%", "63%", "70%", "81%", "89%", "50%", "96%", "76%" } },
        { IDC_SURVEY_SORT_SIGNAL, true,
          { "Kestiq-Open", "Kestiq-Home", "Kestiq-WPS", "Kestiq-WEP", "Kestiq-5G-N", "", "Kestiq-Mixed", "Kestiq-Corp" },
          { "-48 dBm", "-52 dBm", "-55 dBm", "-58 dBm", "-60 dBm", "-62 dBm", "-65 dBm", "-70 dBm" } },
        { IDC_SURVEY_SORT_SSID, true,
          { "", "Kestiq-5G-N", "Kestiq-Corp", "Kestiq-Home", "Kestiq-Mixed", "Kestiq-Open", "Kestiq-WEP", "Kestiq-WPS" },
          { "-62 dBm", "-60 dBm", "-70 dBm", "-52 dBm", "-65 dBm", "-48 dBm", "-58 dBm", "-55 dBm" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.radio);
        if ((g_bShowDbm != FALSE) != c.dbm) Click(p, IDC_SURVEY_SHOW_DBM);
        Click(p, c.radio);
        EXPECT_TRUE(p->m_bScanning);
        TickAndScan(p);
        EXPECT_FALSE(p->m_bScanning);
        EXPECT_EQ(c.order, Ssids(p));
        std::vector<std::string> signal;
        for (int r = 0; r < Rows(p); ++r) signal.push_back(Text(p, r, COL_SIGNAL));
        EXPECT_EQ(c.signal, signal);
        EXPECT_EQ(c.dbm, g_bShowDbm != FALSE);
    }
}

TEST_F(SurveyPageTest, EqualSignalsKeepTheEnginesOrderAndOddReadingsShowSensibly)
{
    KQSIM_NETWORK t = kqsim::MakeNetwork("Kestiq-Twin", "00:11:22:33:44:09", 11, -52, KQSIM_SEC_OPEN);
    ASSERT_TRUE(m_sim.PutNetwork(t));
    KQSIM_NETWORK distant = kqsim::MakeNetwork("Kestiq-Far", "00:11:22:33:44:0A", 2, -101, KQSIM_SEC_OPEN);
    ASSERT_TRUE(m_sim.PutNetwork(distant));
    KQSIM_NETWORK loud = kqsim::MakeNetwork("Kestiq-Loud", "00:11:22:33:44:0B", 2, 12, KQSIM_SEC_OPEN);
    ASSERT_TRUE(m_sim.PutNetwork(loud));

    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    // The engine's order of the two -52 dBm networks before the signal sort.
    std::vector<std::string> before = Ssids(p);
    bool homeFirst = std::find(before.begin(), before.end(), "Kestiq-Home") <
                     std::find(before.begin(), before.end(), "Kestiq-Twin");

    Click(p, IDC_SURVEY_SORT_SIGNAL);
    TickAndScan(p);
    std::vector<std::string> order = Ssids(p);
    ASSERT_EQ(11u, order.size());
    EXPECT_EQ("Kestiq-Loud", order[0]);
    EXPECT_EQ("Kestiq-Open", order[1]);
    EXPECT_EQ(homeFirst ? "Kestiq-Home" : "Kestiq-Twin", order[2]);
    EXPECT_EQ(homeFirst ? "Kestiq-Twin" : "Kestiq-Home", order[3]);
    EXPECT_EQ("Kestiq-Far", order[10]);

    EXPECT_EQ("100%", Text(p, 0, COL_SIGNAL));     // +12 dBm: full scale, not beyond
    EXPECT_EQ("0%", Text(p, 10, COL_SIGNAL));      // -101 dBm: no signal, not full strength
    Click(p, IDC_SURVEY_SHOW_DBM);
    EXPECT_EQ("0 dBm", Text(p, 0, COL_SIGNAL));
    EXPECT_EQ("-100 dBm", Text(p, 10, COL_SIGNAL));
}

// ---- Timer and scans ------------------------------------------------------------

TEST_F(SurveyPageTest, RescanAsksTheEngineAndTheListFollowsWhenTheScanEnds)
{
    CSiteSurveyPage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    EXPECT_TRUE(p->m_bScanning);
    for (UINT id : kAllControls) EXPECT_FALSE(Enabled(p, id)) << id;

    // A scan the engine has not finished: the tick waits.
    ConnectIfRequested();
    ASSERT_TRUE(g_bScanPending);
    Tick(p);
    EXPECT_EQ(0, Rows(p));
    EXPECT_TRUE(p->m_bScanning);
    EngineTakesScan();
    TickAndScan(p);                 // rebuilt; the link is down, so the first disconnected tick asks
    EXPECT_EQ(8, Rows(p));
    TickAndScan(p);
    EXPECT_FALSE(p->m_bScanning);
    for (UINT id : kAllControls) EXPECT_TRUE(Enabled(p, id)) << id;

    // Rescan goes to the engine, which sends the driver one scan request;
    // the controls stay off until the list is rebuilt.
    DWORD seq = 0;
    ASSERT_TRUE(m_sim.NextSeq(seq));
    Click(p, IDC_SURVEY_RESCAN);
    EXPECT_TRUE(p->m_bScanning);
    EXPECT_TRUE(g_bScanPending);
    EXPECT_EQ(1u, ScanSets(kqsim::AdapterLog(m_sim, kGuid, seq)));
    for (UINT id : kAllControls) EXPECT_FALSE(Enabled(p, id)) << id;
    EXPECT_FALSE(Enabled(p, IDC_SURVEY_CONNECT));

    // A network that leaves the air stays while it was seen less than 15 s
    // ago, and goes with the first scan after that.
    BYTE wep[6] = { 0x00, 0x11, 0x22, 0x33, 0x44, 0x02 };
    ASSERT_TRUE(m_sim.RemoveNetwork(wep));
    EngineTakesScan();
    Tick(p);
    EXPECT_FALSE(p->m_bScanning);
    EXPECT_EQ(8, Rows(p));
    EXPECT_NE(-1, RowOf(p, "Kestiq-WEP"));

    auto secondsAgo = [](int seconds) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER t;
        t.LowPart = now.dwLowDateTime;
        t.HighPart = now.dwHighDateTime;
        t.QuadPart -= (ULONGLONG)seconds * 10000000ull;
        FILETIME out = { t.LowPart, t.HighPart };
        return out;
    };
    int aged = AgedIndex(0x02);
    ASSERT_NE(-1, aged);
    g_BssidLastSeen[aged] = secondsAgo(14);
    Click(p, IDC_SURVEY_RESCAN);
    EngineTakesScan();
    Tick(p);
    EXPECT_NE(-1, RowOf(p, "Kestiq-WEP"));

    aged = AgedIndex(0x02);
    ASSERT_NE(-1, aged);
    g_BssidLastSeen[aged] = secondsAgo(15);
    Click(p, IDC_SURVEY_RESCAN);
    EngineTakesScan();
    Tick(p);
    EXPECT_EQ(7, Rows(p));
    EXPECT_EQ(-1, RowOf(p, "Kestiq-WEP"));
}

TEST_F(SurveyPageTest, SortingKeepsEachLastSeenTimeWithItsNetwork)
{
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    BYTE wep[6] = { 0x00, 0x11, 0x22, 0x33, 0x44, 0x02 };
    ASSERT_TRUE(m_sim.RemoveNetwork(wep));
    ScanEnds();
    int aged = AgedIndex(0x02);
    ASSERT_NE(-1, aged);
    FILETIME old = g_BssidLastSeen[aged];
    old.dwHighDateTime -= 1;                      // long gone
    g_BssidLastSeen[aged] = old;

    // The signal sort moves the vanished network; its time moves with it.
    Click(p, IDC_SURVEY_SORT_SIGNAL);
    Tick(p);
    aged = AgedIndex(0x02);
    ASSERT_NE(-1, aged);
    EXPECT_EQ(old.dwHighDateTime, g_BssidLastSeen[aged].dwHighDateTime);
    EXPECT_EQ(old.dwLowDateTime, g_BssidLastSeen[aged].dwLowDateTime);
    ScanEnds();
    EXPECT_EQ(-1, AgedIndex(0x02));
    EXPECT_EQ(7u, SurveyRecords(g_pBssidListCache).size());
}

TEST_F(SurveyPageTest, DisconnectedTicksAskForScansOnTheirCount)
{
    CSiteSurveyPage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    ScanEnds();
    DWORD seq = 0;
    ASSERT_TRUE(m_sim.NextSeq(seq));
    Tick(p);                       // the list is filled; the first disconnected tick asks
    EXPECT_TRUE(p->m_bScanning);
    EXPECT_TRUE(g_bScanPending);
    EXPECT_EQ(1, p->DisconnectedTicks());
    EngineTakesScan();

    // Ticks 1..89 ask nothing; tick 90 asks again, and 180.
    std::vector<int> asked;
    for (int i = 1; i <= 181; ++i) {
        Tick(p);
        if (g_bScanPending) {
            asked.push_back(i);
            EngineTakesScan();
        }
    }
    EXPECT_EQ((std::vector<int>{ 90, 180 }), asked);
    EXPECT_EQ(3u, ScanSets(kqsim::AdapterLog(m_sim, kGuid, seq)));

    // The link comes and goes: the counter restarts at -3 and the fourth
    // disconnected tick asks.
    Join("Kestiq-Open");
    Tick(p);
    EXPECT_EQ(-3, p->DisconnectedTicks());
    EXPECT_FALSE(p->m_bScanning);
    EXPECT_FALSE(g_bScanPending);
    Disconnect();
    asked.clear();
    for (int i = 1; i <= 6; ++i) {
        Tick(p);
        if (g_bScanPending) {
            asked.push_back(i);
            EngineTakesScan();
        }
    }
    EXPECT_EQ((std::vector<int>{ 4 }), asked);
}

TEST_F(SurveyPageTest, RadioOffEmptiesTheListAndDisablesEveryControl)
{
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    ASSERT_EQ(8, Rows(p));
    g_bRadioOn = FALSE;
    Tick(p);
    EXPECT_EQ(0, Rows(p));
    EXPECT_TRUE(p->Entries().empty());
    for (UINT id : kAllControls) EXPECT_FALSE(Enabled(p, id)) << id;
    EXPECT_FALSE(Enabled(p, IDC_SURVEY_CONNECT));
    EXPECT_FALSE(Enabled(p, IDC_SURVEY_ADD_PROFILE));
}

// ---- Rows chosen -----------------------------------------------------------------

TEST_F(SurveyPageTest, ASecuredRowWithoutAPortDisablesConnect)
{
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    ASSERT_NE(0, g_hAuthPort);       // the controller's timer opened the 802.1X port
    Focus(p, RowOf(p, "Kestiq-Home"), NM_CLICK);
    EXPECT_EQ(1u, p->m_dwSecurityCode);
    EXPECT_TRUE(Enabled(p, IDC_SURVEY_CONNECT));
    EXPECT_TRUE(Enabled(p, IDC_SURVEY_ADD_PROFILE));

    CloseAuthPort();
    ASSERT_EQ(0, g_hAuthPort);
    Focus(p, RowOf(p, "Kestiq-Open"), NM_CLICK);
    EXPECT_EQ(0u, p->m_dwSecurityCode);
    EXPECT_TRUE(Enabled(p, IDC_SURVEY_CONNECT));
    EXPECT_TRUE(Enabled(p, IDC_SURVEY_ADD_PROFILE));

    Focus(p, RowOf(p, "Kestiq-Home"), NM_CLICK);
    EXPECT_FALSE(Enabled(p, IDC_SURVEY_CONNECT));
    EXPECT_FALSE(Enabled(p, IDC_SURVEY_ADD_PROFILE));

    Focus(p, RowOf(p, "Kestiq-Open"), NM_CLICK);
    g_bIsAdmin = FALSE;
    p->UpdateButtons();
    EXPECT_TRUE(Enabled(p, IDC_SURVEY_CONNECT));
    EXPECT_FALSE(Enabled(p, IDC_SURVEY_ADD_PROFILE));

    g_bIsAdmin = TRUE;
    g_nWzcMode = WZC_MANAGES;
    p->UpdateButtons();
    EXPECT_FALSE(Enabled(p, IDC_SURVEY_CONNECT));
}

// The link checks out against the list: same BSSID and channel, and with a
// stored profile's security in force, the applied profile's SSID.  Three
// misses in a row ask for a scan when there is a current profile.
TEST_F(SurveyPageTest, ALinkThatDoesNotMatchItsProfileAsksForAScanOnTheThirdMiss)
{
    Join("Kestiq-Open");
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    CProfilePage* profiles = m_dlg.OpenedMainWindow()->m_pProfilePage;
    kqtest::Restore<BOOL> security(g_bUseRegistryProfileSecurity);
    kqtest::Restore<StationConfig*> current(g_pCurProfile);
    g_bUseRegistryProfileSecurity = TRUE;

    profiles->m_strAppliedSsid = "Kestiq-Open";
    g_pCurProfile = nullptr;
    for (int i = 0; i < 4; ++i) {
        Tick(p);
        EXPECT_FALSE(g_bScanPending) << i;
    }

    // A different SSID: misses.  Without a current profile nothing is asked.
    profiles->m_strAppliedSsid = "Kestiq-Elsewhere";
    for (int i = 0; i < 4; ++i) {
        Tick(p);
        EXPECT_FALSE(g_bScanPending) << i;
    }
    EXPECT_EQ(6, Image(p, RowOf(p, "Kestiq-Open"), COL_CONNECTED));   // the row still carries the mark

    // An open profile: the third miss asks at once.
    StationConfig open = {};
    open.authMode = Ndis802_11AuthModeOpen;
    open.encryption = Ndis802_11EncryptionDisabled;
    g_pCurProfile = &open;
    CSiteSurveyPage::s_nLinkMisses = 0;
    Tick(p);
    Tick(p);
    EXPECT_FALSE(g_bScanPending);
    Tick(p);
    EXPECT_TRUE(g_bScanPending);
    EXPECT_TRUE(p->m_bScanning);
    EXPECT_EQ(0, CSiteSurveyPage::s_nLinkMisses);
    EngineTakesScan();
}

TEST_F(SurveyPageTest, DoubleClickGivesTheNetworkInformationPanelItsNetwork)
{
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    CConfigMainDlg* w = m_dlg.OpenedMainWindow();
    auto* info = (CNetworkInfoDlg*)w->GetPanel(PANEL_NETWORK_INFO);
    ASSERT_FALSE(info->IsWindowVisible());

    int row = RowOf(p, "Kestiq-WPS");
    Focus(p, row, NM_DBLCLK);
    EXPECT_EQ(PANEL_NETWORK_INFO, m_dlg.m_nCurPanel);
    EXPECT_TRUE(info->IsWindowVisible());
    ASSERT_NE(nullptr, info->m_pBss);
    EXPECT_EQ(info->m_pBss, p->m_pChosenBss);
    EXPECT_EQ(0, memcmp("Kestiq-WPS", info->m_pBss->Ssid.Ssid, 10));
    EXPECT_EQ(0x07, info->m_pBss->MacAddress[5]);
}

TEST_F(SurveyPageTest, NoFocusedRowSaysSoAndChoosesNothing)
{
    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    ASSERT_EQ(-1, (int)SendMessageA(List(p), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED));
    for (UINT id : { IDC_SURVEY_CONNECT, IDC_SURVEY_ADD_PROFILE }) {
        BoxAnswer box;
        SendMessageA(p->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(p->m_hWnd, id));
        EXPECT_EQ("No selected item", box.Text()) << id;
    }
    EXPECT_EQ(nullptr, p->m_pChosenBss);
}

// ---- A crowded and unkind air --------------------------------------------------

TEST_F(SurveyPageTest, FiveHundredTwelveNetworksLongAndOddSsidsShowWithoutOverrun)
{
    std::vector<KQSIM_NETWORK> air;
    const std::string odd[] = { std::string(32, 'L'), "Fish & Chips", "100% %s %n", "\xC4\xE9\xFF\x80 caf\xE9" };
    for (int i = 0; i < 512; ++i) {
        char mac[24];
        snprintf(mac, sizeof(mac), "02:00:00:00:%02X:%02X", i >> 8, i & 0xFF);
        std::string ssid = i < 4 ? odd[i] : std::string(32, (char)('A' + i % 26)) ;
        air.push_back(kqsim::MakeNetwork(ssid, mac, 1 + i % 11, -30 - i % 70, i % 3 ? KQSIM_SEC_WPA2_PSK : KQSIM_SEC_OPEN));
    }
    ASSERT_TRUE(m_sim.LoadNetworks(air));

    CSiteSurveyPage* p = FilledPage();
    ASSERT_NE(nullptr, p);
    int rows = Rows(p);
    EXPECT_GT(rows, 256);               // as many as the 64 KB list holds
    EXPECT_LE(rows, 512);
    EXPECT_EQ((size_t)rows, p->Entries().size());
    for (int i = 0; i < 4; ++i) EXPECT_NE(-1, RowOf(p, odd[i])) << i;

    for (UINT radio : { IDC_SURVEY_SORT_SIGNAL, IDC_SURVEY_SORT_CHANNEL, IDC_SURVEY_SORT_SSID }) {
        Click(p, radio);
        TickAndScan(p);
        EXPECT_EQ(rows, Rows(p));
    }
    SendMessageA(List(p), LVM_ENSUREVISIBLE, rows - 1, FALSE);
    RedrawWindow(p->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    kqtest::SavePng(kqtest::CaptureWindow(p->m_hWnd), kqtest::ScreenshotPath("survey-crowded"));
}

}  // namespace
