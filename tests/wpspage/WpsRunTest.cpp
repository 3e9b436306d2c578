// Enrolment runs from the WPS page on the simulated air, in the real window:
// push button and PIN, the driver's state codes as the page shows them, the
// credentials stored and connected, and the ends a run can take.
#include "wpspage/WpsPageFixture.h"

namespace {

using namespace kqtest;

// What the status static and the progress bar show after each tick of the
// state machine.
struct Shown {
    std::string status;
    int progress;
    bool operator==(const Shown& o) const { return status == o.status && progress == o.progress; }
};
std::ostream& operator<<(std::ostream& os, const Shown& s) { return os << "{\"" << s.status << "\", " << s.progress << "}"; }

// The enrollee's road as the page shows it, one row per state code.
std::vector<Shown> EnrolleeRoad(const std::string& prefix)
{
    const Shown steps[] = {
        {"Scanning AP", 10}, {"Begin associating to WPS AP", 15}, {"Associated to WPS AP", 20},
        {"Sending EAPOL-Start", 25}, {"Sending EAP-Rsp(ID)", 30}, {"Receive EAPReq WPS_Start", 35},
        {"Sending M1", 40}, {"Received M2", 45}, {"Sending M3", 60}, {"Received M4", 65}, {"Sending M5", 70},
        {"Received M6", 75}, {"Sending M7", 80}, {"Received M8", 85}, {"Sending EAP Response (Done)", 90},
        {"Configured", 95},
    };
    std::vector<Shown> out;
    for (const Shown& s : steps) out.push_back({prefix + s.status, s.progress});
    return out;
}

KQSIM_NETWORK PinAccessPoint(const char* pin)
{
    KQSIM_NETWORK n = kqsim::MakeNetwork("Kestiq-PIN", "00:11:22:33:44:09", 11, -70, KQSIM_SEC_WPA2_PSK);
    n.flags |= KQSIM_NET_WPS | KQSIM_NET_WPS_PIN;
    std::memcpy(n.wpsPin, pin, 8);
    const char psk[] = "pin-credential";
    n.pskLen = (unsigned char)std::strlen(psk);
    std::memcpy(n.psk, psk, n.pskLen);
    return n;
}

class WpsRun : public WpsPageTest {
protected:
    // Ticks of the state machine until the run leaves it (or n ticks).
    // shot: a picture of the window at "Sending M1".
    std::vector<Shown> RunStatus(int n, const char* shot = nullptr)
    {
        std::vector<Shown> seen;
        for (int i = 0; i < n; ++i) {
            Tick(IDT_WPS_PAGE_STATUS);
            seen.push_back({Status(), Progress()});
            if (shot && i == 6) WindowShot(shot);
            if (!TimerRuns(IDT_WPS_PAGE_STATUS)) break;
        }
        return seen;
    }
    // Whether a page timer runs, leaving it as it was.
    bool TimerRuns(UINT_PTR id)
    {
        if (!TakeTimer(id)) return false;
        SetTimer(m_page->m_hWnd, id, 600000, nullptr);
        return true;
    }
    // Started runs leave their timers to the test.
    void TakeRunTimers()
    {
        EXPECT_TRUE(TakeTimer(IDT_WPS_PAGE_STATUS)) << "status poll";
        EXPECT_TRUE(TakeTimer(IDT_WPS_PAGE_SCAN_LIST)) << "scan list";
        SetTimer(m_page->m_hWnd, IDT_WPS_PAGE_STATUS, 600000, nullptr);
    }
    void ExpectStartRecord(const kqsim::LogEntry& e, DWORD method, const char* pin, const std::string& ssid,
                           const char* bssid, BYTE channel, BYTE role)
    {
        ASSERT_EQ(56u, e.data.size());
        WpsStartRecord r;
        std::memcpy(&r, e.data.data(), 56);
        EXPECT_EQ(method, r.method);
        EXPECT_EQ(std::string(pin, 8), std::string(r.pin, 8));
        EXPECT_EQ(ssid.size(), r.ssid.SsidLength) << "nothing written past the PIN digits";
        EXPECT_EQ(ssid, std::string((const char*)r.ssid.Ssid, std::min<size_t>(r.ssid.SsidLength, 32)));
        BYTE mac[6] = {};
        if (*bssid) kqsim::ParseMac(bssid, mac);
        EXPECT_EQ(0, std::memcmp(mac, r.bssid, 6));
        EXPECT_EQ(channel, r.channel);
        EXPECT_EQ(role, r.role);
    }
};

// The whole push-button road on "Kestiq-WPS": the driver sees the start sets
// in their order, the page walks the state codes to "Configured", stores what
// the access point handed out and connects with it.
TEST_F(WpsRun, PushButtonRunStoresTheCredentialAndConnects)
{
    OpenPage();
    Rescan();
    ASSERT_GE(ApRow("Kestiq-WPS"), 0);
    EXPECT_EQ("ID : 0x0004", ListCellText(ApList(), ApRow("Kestiq-WPS"), 1)) << "the push-button password id";
    EXPECT_EQ("WPS status is not used", Status());
    WindowShot("wps-page-before");

    StepPerQuery();
    DWORD mark = Mark();
    Click(IDC_WPS_PBC);
    TakeRunTimers();
    EXPECT_EQ("Start PBC connection", Status());
    EXPECT_EQ(5, Progress());
    EXPECT_FALSE(Enabled(IDC_WPS_RESCAN)) << "no rescan during a run";
    std::vector<kqsim::LogEntry> sets = Sets(mark, {OID_802_11_DISASSOCIATE, OID_VENDOR_WSC_START,
                                                    OID_VENDOR_WSC_CREDENTIALS, OID_VENDOR_WSC_OPTION_A,
                                                    OID_VENDOR_WSC_OPTION_B});
    std::vector<DWORD> order;
    for (const kqsim::LogEntry& e : sets) order.push_back(e.BaseOid());
    EXPECT_EQ((std::vector<DWORD>{OID_802_11_DISASSOCIATE, OID_VENDOR_WSC_START, OID_VENDOR_WSC_CREDENTIALS,
                                  OID_VENDOR_WSC_OPTION_A, OID_VENDOR_WSC_OPTION_B}),
              order);
    ASSERT_EQ(5u, sets.size());
    ExpectStartRecord(sets[1], WPS_METHOD_PBC, "\0\0\0\0\0\0\0\0", "", "", 0, 1);
    EXPECT_EQ(std::vector<BYTE>(4, 0), std::vector<BYTE>(sets[2].data.begin(), sets[2].data.begin() + 4))
        << "an enrollee starts with no credentials";
    EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), sets[3].data) << "associate IE";
    EXPECT_EQ((std::vector<BYTE>{1, 0, 0, 0}), sets[4].data) << "probe IE";

    mark = Mark();
    EXPECT_EQ(EnrolleeRoad("PBC - "), RunStatus(20, "wps-page-during"));
    EXPECT_FALSE(TimerRuns(IDT_WPS_PAGE_STATUS)) << "the state machine ends at Configured";
    ASSERT_TRUE(TakeTimer(IDT_WPS_PAGE_CONNECT)) << "the connect check";

    // Stored under WscProfile, the flag set, the row in the list.
    EXPECT_EQ("1", WscText("", "NumberofProfile"));
    EXPECT_EQ("Kestiq-WPS", WscText("Profile0", "SSID"));
    EXPECT_EQ("wps-credential", WscText("Profile0", "Key"));
    EXPECT_EQ("32", WscText("Profile0", "AuthType"));
    EXPECT_EQ("1", WscFlag());
    EXPECT_EQ((std::vector<std::string>{"Kestiq-WPS"}), ProfileSsids());
    EXPECT_EQ("00-11-22-33-44-07", ListCellText(ProfileList(), 0, 2));
    EXPECT_EQ(7, ProfileState(0)) << "not connected yet";
    EXPECT_EQ((std::vector<std::string>{"Kestiq-WPS"}), SsidSets(mark)) << "joined with the credential";

    ASSERT_TRUE(WaitConnected());
    Tick(IDT_WPS_PAGE_CONNECT);
    EXPECT_EQ("WPS status is connected successfully - Kestiq-WPS", Status());
    EXPECT_EQ(100, Progress());
    EXPECT_EQ(6, ProfileState(0));
    EXPECT_TRUE(Enabled(IDC_WPS_RESCAN));
    EXPECT_FALSE(g_bWpsRotate) << "connected: no rotation";
    SendMessageA(m_window->GetPanel(PANEL_LINK_STATUS)->m_hWnd, WM_TIMER, IDT_LINK_STATUS_REFRESH, 0);
    WindowShot("wps-page-after");
}

// "Information" shows the chosen access point in the network information
// panel with its WPS tab in front.
TEST_F(WpsRun, InformationShowsTheAccessPointsWpsTab)
{
    ASSERT_TRUE(m_sim.PutNetwork(PinAccessPoint("12345670")));
    OpenPage();
    EXPECT_FALSE(Enabled(IDC_WPS_INFORMATION)) << "no access point chosen yet";
    Rescan();
    EXPECT_EQ(2, ListRowCount(ApList())) << "only the access points that offer WPS";
    int row = ApRow("Kestiq-PIN");
    SelectListRow(ApList(), row);
    Pump();
    ASSERT_TRUE(Enabled(IDC_WPS_INFORMATION));
    Click(IDC_WPS_INFORMATION);
    ASSERT_EQ(PANEL_NETWORK_INFO, PanelShown());
    CNetworkInfoDlg* info = static_cast<CNetworkInfoDlg*>(m_window->GetPanel(PANEL_NETWORK_INFO));
    ASSERT_FALSE(info->ShownEntry().empty());
    const NDIS_WLAN_BSSID_EX* shown = (const NDIS_WLAN_BSSID_EX*)info->ShownEntry().data();
    EXPECT_EQ("Kestiq-PIN", std::string((const char*)shown->Ssid.Ssid, shown->Ssid.SsidLength));
    EXPECT_TRUE(IsWindowVisible(info->WpsTab()->m_hWnd));
    EXPECT_FALSE(IsWindowVisible(info->GeneralTab()->m_hWnd));
    EXPECT_EQ("0x0000", TextOf(GetDlgItem(info->WpsTab()->m_hWnd, IDC_WPSAP_PASSWORD_ID)));
    WindowShot("wps-page-information");
}

// An enrollee's PIN run brings the adapter's own PIN; an access point whose
// registrar was given that PIN hands out its credential.
TEST_F(WpsRun, PinRunWithTheAccessPointsPinConnects)
{
    ASSERT_TRUE(m_sim.PutNetwork(PinAccessPoint(kOwnPin)));
    OpenPage();
    EXPECT_EQ(kOwnPin, TextOf(Item(IDC_WPS_PIN_EDIT)));
    EXPECT_TRUE(GetWindowLongA(Item(IDC_WPS_PIN_EDIT), GWL_STYLE) & ES_READONLY) << "an enrollee shows its own PIN";
    Rescan();
    int row = ApRow("Kestiq-PIN");
    ASSERT_GE(row, 0);
    EXPECT_EQ("ID : 0x0000", ListCellText(ApList(), row, 1));
    SelectListRow(ApList(), row);
    Pump();
    EXPECT_TRUE(Enabled(IDC_WPS_PIN));

    StepPerQuery();
    DWORD mark = Mark();
    Click(IDC_WPS_PIN);
    TakeRunTimers();
    EXPECT_EQ("Start PIN connection - Kestiq-PIN", Status());
    std::vector<kqsim::LogEntry> start = Sets(mark, {OID_VENDOR_WSC_START});
    ASSERT_EQ(1u, start.size());
    ExpectStartRecord(start[0], WPS_METHOD_PIN, kOwnPin, "Kestiq-PIN", "00:11:22:33:44:09", 11, 1);
    EXPECT_EQ(kOwnPin, WscText("", "PinCode")) << "a valid PIN is stored";

    EXPECT_EQ(EnrolleeRoad("PIN - "), RunStatus(20));
    ASSERT_TRUE(TakeTimer(IDT_WPS_PAGE_CONNECT));
    EXPECT_EQ("Kestiq-PIN", WscText("Profile0", "SSID"));
    ASSERT_TRUE(WaitConnected());
    Tick(IDT_WPS_PAGE_CONNECT);
    EXPECT_EQ("WPS status is connected successfully - Kestiq-PIN", Status());
    EXPECT_EQ(100, Progress());
}

// The access point a PIN run names is the row chosen, even when the engine
// has scanned again since the list was built and the new scan lists the
// networks in other rows.
TEST_F(WpsRun, PinRunNamesTheChosenRowAfterAnotherScan)
{
    ASSERT_TRUE(m_sim.PutNetwork(PinAccessPoint(kOwnPin)));
    OpenPage();
    Rescan();
    ASSERT_EQ(1, ApRow("Kestiq-PIN"));
    BYTE wps[6];
    kqsim::ParseMac("00:11:22:33:44:07", wps);
    ASSERT_TRUE(m_sim.RemoveNetwork(wps));
    ConnectIfRequested();
    TakeScanResult();
    ClearConnectRequests();
    SelectListRow(ApList(), 1);
    Pump();
    DWORD mark = Mark();
    Click(IDC_WPS_PIN);
    TakeRunTimers();
    std::vector<kqsim::LogEntry> start = Sets(mark, {OID_VENDOR_WSC_START});
    ASSERT_EQ(1u, start.size());
    ExpectStartRecord(start[0], WPS_METHOD_PIN, kOwnPin, "Kestiq-PIN", "00:11:22:33:44:09", 11, 1);
    EXPECT_EQ("Start PIN connection - Kestiq-PIN", Status());
}

// A PIN the access point does not know ends in the PIN error text, which
// stays while the driver keeps reporting it; Disconnect ends the polling.
TEST_F(WpsRun, WrongPinEndsInThePinErrorText)
{
    ASSERT_TRUE(m_sim.PutNetwork(PinAccessPoint("12345670")));
    OpenPage();
    Rescan();
    SelectListRow(ApList(), ApRow("Kestiq-PIN"));
    Pump();
    StepPerQuery();
    Click(IDC_WPS_PIN);
    TakeRunTimers();
    std::vector<Shown> seen = RunStatus(13);
    ASSERT_EQ(13u, seen.size());
    EXPECT_EQ((Shown{"PIN - Received M4", 65}), seen[9]);
    EXPECT_EQ((Shown{"PIN - Error PIN Code (R-Hash mismatch)", 65}), seen[10]);
    EXPECT_EQ(seen[10], seen[12]) << "the driver stays there";
    EXPECT_TRUE(TimerRuns(IDT_WPS_PAGE_STATUS));
    EXPECT_EQ("0", WscText("", "NumberofProfile")) << "no credential from a failed run";

    Click(IDC_WPS_DISCONNECT);
    EXPECT_FALSE(TimerRuns(IDT_WPS_PAGE_STATUS));
    EXPECT_EQ("WPS status is disconnected", Status());
    EXPECT_EQ(0, Progress());
}

// The PIN a registrar types is checked before any run starts.
TEST_F(WpsRun, TypedPinIsCheckedBeforeTheRun)
{
    ASSERT_TRUE(m_sim.PutNetwork(PinAccessPoint("12345670")));
    OpenPage();
    ChooseMode("Registrar");
    EXPECT_FALSE(GetWindowLongA(Item(IDC_WPS_PIN_EDIT), GWL_STYLE) & ES_READONLY);
    Rescan();
    SelectListRow(ApList(), ApRow("Kestiq-PIN"));
    Pump();
    struct Case {
        const char* typed;
        const char* popup;   // the edit's popup, or ""
        const char* box;     // the message dialog, or ""
        bool starts;
    } cases[] = {
        {"1234567", "Invaild Pin Code", "", false},
        {"12345671", "", "Pin Code error", false},
        {"12345670", "", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        HideTips();
        Type(m_page, IDC_WPS_PIN_EDIT, c.typed);
        DWORD mark = Mark();
        BoxAnswer box;
        Click(IDC_WPS_PIN);
        EXPECT_EQ(c.box, box.Text());
        EXPECT_EQ(*c.popup != 0, TipShowing());
        if (*c.popup) {
            EXPECT_EQ(c.popup, std::string(m_page->PinRefusal()));
        }
        std::vector<kqsim::LogEntry> start = Sets(mark, {OID_VENDOR_WSC_START});
        ASSERT_EQ(c.starts ? 1u : 0u, start.size());
        if (c.starts) {
            TakeRunTimers();
            EXPECT_EQ("12345670", std::string((const char*)start[0].data.data() + 4, 8));
            EXPECT_EQ(2, start[0].data[55]) << "registrar role";
            EXPECT_EQ("12345670", WscText("", "PinCode"));
        }
    }
    HideTips();
}

// A registrar shows the PIN stored last; a stored number of more than eight
// digits is no PIN and shows as none, so that the registrar types one.
TEST_F(WpsRun, AStoredPinOfMoreThanEightDigitsShowsAsNone)
{
    struct Case {
        DWORD stored;
        const char* shown;
    } const cases[] = {
        {12345670, "12345670"}, {1234567, "01234567"}, {99999999, "99999999"},
        {100000000, ""}, {3000000000u, ""}, {0xFFFFFFFB, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        g_nWscConfigMode = 1;
        g_dwWscPinCode = c.stored;
        OpenPage();
        EXPECT_EQ(c.shown, TextOf(Item(IDC_WPS_PIN_EDIT)));
        m_dlg.DestroyMainWindow();
    }
}

// Status words the driver can answer, as the page shows them.
TEST_F(WpsRun, StatusWordsAndTheirProgress)
{
    OpenPage();
    Click(IDC_WPS_PBC);
    TakeRunTimers();
    struct Case {
        DWORD word;
        const char* status;
        int progress;
        bool polling;
    } cases[] = {
        {0x10000012, "PIN - Sending M1", 40, true},
        {0x00000008, "PBC - ", 40, true},                       // a code without a text: the prefix alone
        {0x00000022, "PBC - Received M1", 40, true},            // a registrar's step
        {0x0000002B, "PBC - Received EAP Response (Done)", 90, true},
        {0x00000105, "PBC - Receive EAP without integrity (Hmac mismatch)", 90, true},
        {0x00000777, "PBC - ", 90, true},                       // a code the page does not know
        {0x10000203, "PIN - Receive EAP-Req with wrong WPS Vendor Type", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        AnswerStatus(c.word);
        Tick(IDT_WPS_PAGE_STATUS);
        EXPECT_EQ(c.status, Status());
        EXPECT_EQ(c.progress, Progress());
        EXPECT_EQ(c.polling, TimerRuns(IDT_WPS_PAGE_STATUS));
    }
    EXPECT_TRUE(Enabled(IDC_WPS_RESCAN)) << "a stopped session gives Rescan back";
}

// The progress bar takes its colour from its position after every tick.
TEST_F(WpsRun, ProgressColourFollowsThePosition)
{
    OpenPage();
    Click(IDC_WPS_PBC);
    TakeRunTimers();
    CGradientProgressCtrl* bar = (CGradientProgressCtrl*)CWnd::FromHandlePermanent(Item(IDC_WPS_PROGRESS));
    ASSERT_NE(nullptr, bar);
    struct Case {
        DWORD code;
        COLORREF colour;
    } cases[] = {{6, 0x00FF00}, {18, 0x32E6FA}, {21, 0x32E6FA}, {23, 0xFB0606}, {27, 0xFB0606}, {2, 0x00FF00}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        AnswerStatus(c.code);
        Tick(IDT_WPS_PAGE_STATUS);
        EXPECT_EQ((std::vector<COLORREF>{c.colour, 0xF0CAA6, c.colour}), bar->m_arrColors);
    }
}

// Code 0x204 stops the session and disconnects; its text stands after the
// disconnect's own.
TEST_F(WpsRun, EapFailureDisconnectsAndKeepsItsText)
{
    ASSERT_TRUE(WriteAdapterText(REGSTR_PROFILE_SSID, "Kestiq-Open"));
    OpenPage();
    Click(IDC_WPS_PBC);
    TakeRunTimers();
    AnswerStatus(0x204);
    DWORD mark = Mark();
    Tick(IDT_WPS_PAGE_STATUS);
    EXPECT_EQ("PBC - WPS Eap process failed", Status());
    EXPECT_EQ(0, Progress());
    EXPECT_FALSE(TimerRuns(IDT_WPS_PAGE_STATUS));
    EXPECT_FALSE(g_bWscInUse);
    EXPECT_EQ("0", WscFlag());
    EXPECT_FALSE(Sets(mark, {OID_802_11_DISASSOCIATE}).empty());
    EXPECT_EQ((std::vector<std::string>{"Kestiq-Open"}), SsidSets(mark)) << "the stored configuration again";
}

// A driver that never leaves a state, or answers a code the page does not
// know, leaves the page usable: Disconnect stops the polling and the window
// closes, giving the controller its WPS watch back.
TEST_F(WpsRun, StuckOrUnknownStateLeavesThePageUsable)
{
    for (DWORD word : {DWORD(5), DWORD(0x0ABCDEF)}) {
        SCOPED_TRACE(word);
        OpenPage();
        Click(IDC_WPS_PBC);
        TakeRunTimers();
        AnswerStatus(word);
        for (int i = 0; i < 30; ++i) Tick(IDT_WPS_PAGE_STATUS);
        EXPECT_EQ(word == 5 ? "PBC - Sending EAPOL-Start" : "PBC - ", Status());
        EXPECT_TRUE(TimerRuns(IDT_WPS_PAGE_STATUS));
        Click(IDC_WPS_DISCONNECT);
        EXPECT_FALSE(TimerRuns(IDT_WPS_PAGE_STATUS));
        EXPECT_EQ("WPS status is disconnected", Status());
        EXPECT_TRUE(Enabled(IDC_WPS_RESCAN));
        EXPECT_TRUE(Enabled(IDC_WPS_PBC));
        m_dlg.DestroyMainWindow();
        EXPECT_EQ(nullptr, m_dlg.OpenedMainWindow());
        EXPECT_TRUE(ControllerTimer(IDT_WPS_BUTTON));
        ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_VENDOR_WSC_STATUS));
    }
}

// The adapter's own button starts a push-button run that sets nothing on
// the driver.
TEST_F(WpsRun, HardwareButtonStartsARunWithoutSets)
{
    OpenPage();
    Tick(IDT_WPS_PAGE_BUTTON);
    EXPECT_FALSE(TimerRuns(IDT_WPS_PAGE_STATUS)) << "no press, no run";
    StepPerQuery();
    ASSERT_TRUE(m_sim.PressWpsButton(kGuid));
    DWORD mark = Mark();
    Tick(IDT_WPS_PAGE_BUTTON);
    TakeRunTimers();
    EXPECT_EQ("Start PBC connection", Status());
    EXPECT_EQ(5, Progress());
    EXPECT_TRUE(g_bWscInUse);
    EXPECT_TRUE(Sets(mark, {OID_802_11_DISASSOCIATE, OID_VENDOR_WSC_START, OID_VENDOR_WSC_CREDENTIALS}).empty());
    Tick(IDT_WPS_PAGE_STATUS);
    EXPECT_EQ("PBC - Scanning AP", Status()) << "the run the button started in the driver";
    EXPECT_EQ(10, Progress());
}

// While the page exists it holds the controller's credential check and
// button poll; when the window goes the controller has them back.
TEST_F(WpsRun, ControllerWpsTimersAreHeldWhileThePageExists)
{
    struct Case {
        BOOL inUse, rotate;
        bool credentialTimer;
    } cases[] = {{TRUE, TRUE, true}, {TRUE, FALSE, false}, {FALSE, TRUE, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inUse * 2 + c.rotate);
        SetTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL, 10000, nullptr);
        SetTimer(m_dlg.m_hWnd, IDT_WPS_BUTTON, 1000, nullptr);
        OpenPage();
        EXPECT_FALSE(ControllerTimer(IDT_WPS_CREDENTIAL));
        EXPECT_FALSE(ControllerTimer(IDT_WPS_BUTTON));
        g_bWscInUse = c.inUse;
        g_bWpsRotate = c.rotate;
        m_dlg.DestroyMainWindow();
        EXPECT_EQ(c.credentialTimer, ControllerTimer(IDT_WPS_CREDENTIAL));
        EXPECT_TRUE(ControllerTimer(IDT_WPS_BUTTON));
    }
}

// The periods the page and the controller's WPS watch run at; a rescan
// waits longer in the wireless modes that also scan the 5 GHz band.
TEST_F(WpsRun, TimerPeriods)
{
    typedef std::vector<std::pair<UINT_PTR, UINT>> Periods;
    g_WscCredentials.count = 1;
    g_WscCredentials.cred[0] = Credential("Kestiq-Home", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "kestiq-secret", 3);
    g_bWscInUse = TRUE;
    TimerRecorder timers;
    ASSERT_TRUE(timers.ok());
    OpenPage();
    HWND pageWindow = m_page->m_hWnd;
    Click(IDC_WPS_PBC);
    TakeTimer(IDT_WPS_PAGE_STATUS);
    TakeTimer(IDT_WPS_PAGE_SCAN_LIST);
    for (int mode : {5, 2, 3, 0}) {
        g_nWirelessMode = mode;
        Click(IDC_WPS_RESCAN);
        TakeTimer(IDT_WPS_PAGE_SCAN_DONE);
        ClearConnectRequests();
        g_bScanPending = FALSE;
    }
    g_bWpsRotate = TRUE;
    m_dlg.DestroyMainWindow();
    ControllerTimer(IDT_WPS_CREDENTIAL);
    ControllerTimer(IDT_WPS_BUTTON);
    Periods page, controller;
    for (const TimerRecorder::Start& t : timers.starts) {
        if (t.window == m_dlg.m_hWnd && t.id >= IDT_WPS_CREDENTIAL) controller.push_back({t.id, t.ms});
        else if (t.window == pageWindow && t.id != IDT_WPS_PAGE_SCAN_DONE) page.push_back({t.id, t.ms});
    }
    Periods rescans;
    for (const TimerRecorder::Start& t : timers.starts)
        if (t.window == pageWindow && t.id == IDT_WPS_PAGE_SCAN_DONE) rescans.push_back({t.id, t.ms});
    const Periods pageWants = {{IDT_WPS_PAGE_CONNECT, 2000}, {IDT_WPS_PAGE_BUTTON, 1000},
                               {IDT_WPS_PAGE_STATUS, 1000}, {IDT_WPS_PAGE_SCAN_LIST, 20000}};
    EXPECT_EQ(pageWants, page);
    ASSERT_EQ(5u, rescans.size()) << "the window's first list, then one a rescan";
    const Periods rescanWants = {{1, 3500}, {1, 5500}, {1, 5500}, {1, 3500}};
    EXPECT_EQ(rescanWants, Periods(rescans.begin() + 1, rescans.end()));
    const Periods controllerWants = {{IDT_WPS_CREDENTIAL, 10000}, {IDT_WPS_BUTTON, 1000}};
    EXPECT_EQ(controllerWants, controller);
}

// Disconnect leaves the credential and applies the adapter key's own
// configuration again.
TEST_F(WpsRun, DisconnectReappliesTheStoredConfiguration)
{
    ASSERT_TRUE(WriteAdapterText(REGSTR_PROFILE_SSID, "Kestiq-Open"));
    g_WscCredentials.count = 1;
    g_WscCredentials.cred[0] = Credential("Kestiq-Home", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "kestiq-secret", 3);
    OpenPage();
    SelectListRow(ProfileList(), 0);
    Pump();
    DWORD mark = Mark();
    Click(IDC_WPS_CONNECT);
    EXPECT_TRUE(TakeTimer(IDT_WPS_PAGE_CONNECT));
    EXPECT_EQ("1", WscFlag());
    EXPECT_EQ((std::vector<std::string>{"Kestiq-Home"}), SsidSets(mark));
    EXPECT_EQ(7, ProfileState(0));

    mark = Mark();
    Click(IDC_WPS_DISCONNECT);
    EXPECT_EQ("WPS status is disconnected", Status());
    EXPECT_EQ("0", WscFlag());
    EXPECT_FALSE(g_bWscInUse);
    EXPECT_EQ(-1, ProfileState(0));
    EXPECT_FALSE(Sets(mark, {OID_802_11_DISASSOCIATE}).empty());
    EXPECT_EQ((std::vector<std::string>{"Kestiq-Open"}), SsidSets(mark));
    EXPECT_EQ((std::vector<std::string>{"Kestiq-Home"}), ProfileSsids()) << "the credential stays";
}

// Deleting the credential in use disconnects; deleting another one does not.
TEST_F(WpsRun, DeletingTheCredentialInUseDisconnects)
{
    struct Case {
        int connected, deleted;
        bool disconnects;
        std::vector<std::string> left;
    } cases[] = {
        {1, 1, true, {"Cred-A", "Cred-C"}},
        {1, 2, false, {"Cred-A", "Cred-B"}},
        {0, 2, false, {"Cred-A", "Cred-B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deleted);
        std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
        g_WscCredentials.count = 3;
        g_WscCredentials.cred[0] = Credential("Cred-A", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "first-passphrase", 1);
        g_WscCredentials.cred[1] = Credential("Cred-B", WPS_AUTH_OPEN, WPS_ENCR_NONE, 0, "", 2);
        g_WscCredentials.cred[2] = Credential("Cred-C", WPS_AUTH_OPEN, WPS_ENCR_WEP, 0, "abcde", 3);
        OpenPage();
        EXPECT_EQ(-1, ListCellImage(ProfileList(), 1, 3)) << "open without encryption shows no lock";
        EXPECT_EQ(5, ListCellImage(ProfileList(), 2, 3));
        SelectListRow(ProfileList(), c.connected);
        Pump();
        Click(IDC_WPS_CONNECT);
        TakeTimer(IDT_WPS_PAGE_CONNECT);
        SelectListRow(ProfileList(), c.deleted);
        Pump();
        DWORD mark = Mark();
        Click(IDC_WPS_DELETE);
        EXPECT_EQ(c.left, ProfileSsids());
        EXPECT_EQ("2", WscText("", "NumberofProfile"));
        EXPECT_EQ("(none)", WscText("Profile2", "SSID")) << "the freed slot is gone";
        EXPECT_EQ(c.disconnects, !g_bWscInUse);
        EXPECT_EQ(c.disconnects ? "0" : "1", WscFlag());
        EXPECT_EQ(c.disconnects, !Sets(mark, {OID_802_11_DISASSOCIATE}).empty());
        m_dlg.DestroyMainWindow();
    }
}

// The registrar keeps exactly one credential of its own; its key comes from
// the system's random source, so two registrars never share one.
TEST_F(WpsRun, RegistrarModeLeavesOneCredentialOfItsOwn)
{
    g_WscCredentials.count = 2;
    g_WscCredentials.cred[0] = Credential("Cred-A", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "first-passphrase", 1);
    g_WscCredentials.cred[1] = Credential("Cred-B", WPS_AUTH_OPEN, WPS_ENCR_NONE, 0, "", 2);
    OpenPage();
    EXPECT_TRUE(Visible(IDC_WPS_DELETE));
    std::vector<std::string> keys;
    for (int round = 0; round < 2; ++round) {
        ChooseMode("Registrar");
        EXPECT_EQ((std::vector<std::string>{kRegistrarSsid}), ProfileSsids());
        EXPECT_EQ("1", WscText("", "NumberofProfile"));
        EXPECT_EQ("1", WscText("", "ConfigMode"));
        EXPECT_EQ(kRegistrarSsid, WscText("Profile0", "SSID"));
        EXPECT_EQ("32", WscText("Profile0", "AuthType"));
        EXPECT_EQ("8", WscText("Profile0", "EncryType"));
        EXPECT_EQ("1", WscText("Profile0", "KeyIndex"));
        EXPECT_EQ("64", WscText("Profile0", "KeyLength"));
        std::string key = WscText("Profile0", "Key");
        EXPECT_EQ(64u, key.size());
        EXPECT_EQ(std::string::npos, key.find_first_not_of("0123456789ABCDEF")) << key;
        EXPECT_EQ(std::vector<BYTE>(6, 0), std::vector<BYTE>(g_WscCredentials.cred[0].MacAddress,
                                                             g_WscCredentials.cred[0].MacAddress + 6))
            << "nothing written past the key";
        keys.push_back(key);
        EXPECT_FALSE(Visible(IDC_WPS_DELETE));
        EXPECT_FALSE(GetWindowLongA(Item(IDC_WPS_PIN_EDIT), GWL_STYLE) & ES_READONLY);
        ChooseMode("Enrollee");
        EXPECT_TRUE(ProfileSsids().empty());
        EXPECT_EQ("0", WscText("", "ConfigMode"));
        EXPECT_EQ(kOwnPin, TextOf(Item(IDC_WPS_PIN_EDIT)));
        EXPECT_TRUE(Visible(IDC_WPS_DELETE));
    }
    EXPECT_NE(keys[0], keys[1]) << "a key made twice in one second is a new key";
}

// A credential block from the driver is input: only whole, usable
// credentials are taken, whatever its count and lengths say.
TEST_F(WpsRun, DeliveredCredentialBlockIsValidated)
{
    WpsCredentialBlock bad;
    std::memset(&bad, 0, sizeof(bad));
    bad.count = 200;
    bad.cred[0] = Credential("Long", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "long-enough", 1);
    bad.cred[0].ssid.SsidLength = 0xFFFFFFFF;
    bad.cred[1] = Credential("KeyTooLong", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "x", 2);
    bad.cred[1].KeyLength = 500;
    bad.cred[2] = Credential("Kestiq-Home", WPS_AUTH_WPA2_PSK, WPS_ENCR_AES, 0, "kestiq-secret", 3);
    bad.cred[3] = Credential("BadWep", WPS_AUTH_OPEN, WPS_ENCR_WEP, 7, "abc", 4);
    for (DWORD i = 4; i < 8; ++i) bad.cred[i] = bad.cred[0];
    OpenPage();
    KQSIM_WPS_CONFIG cfg{};
    std::strcpy(cfg.guid, kGuid.c_str());
    cfg.stepMs = KQSIM_WPS_STEP_PER_QUERY;
    cfg.useCredentials = 1;
    std::memcpy(cfg.credentials, &bad, sizeof(bad));
    ASSERT_TRUE(m_sim.SetWps(cfg));
    Click(IDC_WPS_PBC);
    TakeRunTimers();
    RunStatus(20);
    EXPECT_EQ("PBC - Configured", Status());
    EXPECT_EQ((std::vector<std::string>{"Kestiq-Home"}), ProfileSsids());
    EXPECT_EQ("1", WscText("", "NumberofProfile"));
    EXPECT_EQ("kestiq-secret", WscText("Profile0", "Key"));
}

// The list of WPS access points is built over the bounded walk: a damaged
// scan list gives the entries before the damage and nothing after it.
TEST_F(WpsRun, DamagedScanListIsWalkedWithinItsBounds)
{
    OpenPage();
    Rescan();
    ASSERT_GE(ApRow("Kestiq-WPS"), 0);
    ASSERT_NE(nullptr, g_pBssidList);
    // The entries after the WPS access point: one with length 0, then a count
    // far beyond the list.
    std::vector<const NDIS_WLAN_BSSID_EX*> entries = BssidListEntries(g_pBssidList, BSSID_LIST_BUFFER_SIZE);
    size_t wps = 0;
    while (wps < entries.size() && std::string((const char*)entries[wps]->Ssid.Ssid, 10) != "Kestiq-WPS") ++wps;
    ASSERT_LT(wps, entries.size());
    size_t keep = wps + 1;
    if (keep < entries.size()) {
        NDIS_WLAN_BSSID_EX* next = const_cast<NDIS_WLAN_BSSID_EX*>(entries[keep]);
        next->Length = 0;
    }
    g_pBssidList->NumberOfItems = 0xFFFFFFFF;
    Tick(IDT_WPS_PAGE_SCAN_DONE);
    EXPECT_GE(ApRow("Kestiq-WPS"), 0);
    EXPECT_EQ(1, ListRowCount(ApList()));

    // The driver's own answer during a run goes through the same walk.
    std::vector<BYTE> list(65536, 0xFF);
    DWORD huge = 0xFFFFFFFF;
    std::memcpy(list.data(), &huge, 4);
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_802_11_BSSID_LIST, list.data(), (DWORD)list.size()));
    Tick(IDT_WPS_PAGE_SCAN_LIST);
    EXPECT_EQ(0, ListRowCount(ApList()));
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_802_11_BSSID_LIST));
}

// An entry whose elements overrun its own length is passed over: the
// entries after it are still listed.
TEST_F(WpsRun, AnEntryWithOverlongElementsIsSkipped)
{
    OpenPage();
    Rescan();
    ASSERT_GE(ApRow("Kestiq-WPS"), 0);
    std::vector<const NDIS_WLAN_BSSID_EX*> entries = BssidListEntries(g_pBssidList, BSSID_LIST_BUFFER_SIZE);
    const NDIS_WLAN_BSSID_EX* wps = nullptr;
    const NDIS_WLAN_BSSID_EX* other = nullptr;
    for (const NDIS_WLAN_BSSID_EX* e : entries) {
        std::string ssid((const char*)e->Ssid.Ssid, e->Ssid.SsidLength);
        if (ssid == "Kestiq-WPS") wps = e;
        else if (!other && ApRow(ssid) < 0) other = e;   // a network without WPS
    }
    ASSERT_NE(nullptr, wps);
    ASSERT_NE(nullptr, other);
    // The WPS access point damaged, another network, the WPS access point whole.
    std::vector<BYTE> list(FIELD_OFFSET(NDIS_802_11_BSSID_LIST_EX, Bssid), 0);
    auto append = [&](const NDIS_WLAN_BSSID_EX* e) {
        const BYTE* b = (const BYTE*)e;
        list.insert(list.end(), b, b + e->Length);
    };
    append(wps);
    ((NDIS_WLAN_BSSID_EX*)(list.data() + FIELD_OFFSET(NDIS_802_11_BSSID_LIST_EX, Bssid)))->IELength =
        wps->Length;
    append(other);
    append(wps);
    ((NDIS_802_11_BSSID_LIST_EX*)list.data())->NumberOfItems = 3;
    std::memset(g_pBssidList, 0, BSSID_LIST_BUFFER_SIZE);
    std::memcpy(g_pBssidList, list.data(), list.size());
    Tick(IDT_WPS_PAGE_SCAN_DONE);
    ASSERT_EQ(1, ListRowCount(ApList())) << "the damaged entry is not listed, the one after it is";
    EXPECT_EQ("Kestiq-WPS", ListCellText(ApList(), 0, 2));

    // Information shows the entry of the row, the whole one.
    Click(IDC_WPS_INFORMATION);
    ASSERT_EQ(PANEL_NETWORK_INFO, PanelShown());
}

}  // namespace
