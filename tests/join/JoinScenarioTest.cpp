// Whole roads from a click on a survey row to a link (or to no link) against
// the default air: an open network joined at once, a WPA2-PSK network
// through the connect settings, the hidden network through its SSID first,
// "Add To Profile" into the editor, and a network that leaves the air while
// its settings are asked for.
#include "join/JoinFixture.h"

#include "auth/AuthLogRing.h"
#include "auth/SupplicantBinding.h"
#include "core/EngineDoor.h"

namespace {

using kqtest::JoinTest;
using kqtest::WaitFor;

class JoinScenario : public JoinTest {
protected:
    // Ticks the controller until the link is up (or the time is over).
    bool LinkComes(DWORD ms = 30000)
    {
        return WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return MediaConnected();
        }, ms);
    }
    // The supplicant's verdict on the join since mark: "authorized", "failed" or "".
    std::string Verdict(DWORD mark)
    {
        std::string verdict;
        WaitFor([&] {
            for (const std::string& c : SupplicantCalls(mark)) {
                if (c.rfind("verdict authorized", 0) == 0) verdict = "authorized";
                if (c.rfind("verdict failed", 0) == 0) verdict = "failed";
            }
            return !verdict.empty();
        }, 30000);
        return verdict;
    }
    // A stored profile of Kestiq-Home made the active one, its link up.
    bool ActivateHome()
    {
        ProfileSettings home;
        home.ssid = "Kestiq-Home";
        home.networkType = 1;
        home.authChoice = AUTH_CHOICE_WPA2_PSK;
        home.encryptionChoice = ENCR_CHOICE_AES;
        home.preSharedKey = "kestiq-secret";
        CString channel;
        return WriteProfile("Home", home) && ActivateStoredProfile("Home", &channel) && g_bConfigFromRegistry &&
               LinkComes();
    }
    // Steers the supplicant stand-in; put back when the test ends.
    void StandIn(const char* settings)
    {
        HMODULE h = GetModuleHandleA("acAuth.dll");
        auto configure = h ? (void (*)(const char*))(void*)GetProcAddress(h, "kqsimAcAuthConfigure") : nullptr;
        ASSERT_NE(nullptr, configure);
        configure(settings);
        m_standInChanged = true;
    }
    void TearDown() override
    {
        HMODULE h = GetModuleHandleA("acAuth.dll");
        auto reset = h ? (void (*)())(void*)GetProcAddress(h, "kqsimAcAuthReset") : nullptr;
        if (m_standInChanged && reset) reset();
        JoinTest::TearDown();
    }
    bool m_standInChanged = false;

    // The supplicant's verdict is logged before its status event reaches the
    // program on the library's thread.  Once the event's line is in the log
    // ring the program has taken it, and what it posted before the line (a
    // stored profile's re-entry panel) waits in this thread's queue.
    bool StatusLineWritten(const char* line)
    {
        return WaitFor([&] {
            char text[AUTH_LOG_LINE_SIZE];
            for (int i = 0; i < AUTH_LOG_LINES; ++i)
                if (ReadAuthLogLine(i, text, sizeof(text)) && std::strcmp(text, line) == 0) return true;
            return false;
        });
    }
    bool PromptShown()
    {
        CWnd* prompt = m_window->GetPanel(PANEL_CREDENTIAL_PROMPT);
        return Panel() == PANEL_CREDENTIAL_PROMPT || (prompt && Shown(prompt));
    }
    // A few polls of the controller, with the messages they post handled.
    void Polls(int n)
    {
        for (int i = 0; i < n; ++i) {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            Pump();
        }
    }
    // After the supplicant's verdict "failed" nothing may bring a link: the
    // controller's polls join no other network and the driver's port stays
    // unauthorized (it is associated, if at all, only with `ssid`).
    void StaysWithoutLink(const std::string& ssid, const std::string& what)
    {
        Polls(5);
        kqsim::AdapterState st;
        ASSERT_TRUE(m_sim.GetAdapter(kGuid, st)) << what;
        EXPECT_EQ(0u, st.authorized) << what;
        EXPECT_EQ(0u, st.connected) << what;
        if (st.associated) EXPECT_EQ(ssid, std::string(st.ssid, st.ssidLen)) << what;
        EXPECT_FALSE(MediaConnected()) << what;
    }
};

TEST_F(JoinScenario, AnOpenNetworkIsJoinedAtOnceByItsBssidAndWritesNothing)
{
    FillSurvey();
    kqtest::KeyImage before = AdapterKey();
    DWORD mark = Mark();
    ASSERT_TRUE(Connect("Kestiq-Open"));

    EXPECT_EQ(PANEL_LINK_STATUS, Panel()) << "no panel asks for anything";
    ASSERT_TRUE(Applied(mark));
    std::vector<kqtest::SetSeen> bssid = Sets(mark, OID_802_11_BSSID);
    ASSERT_EQ(1u, bssid.size());
    EXPECT_EQ("00:11:22:33:44:01", Mac(bssid[0].data));
    EXPECT_TRUE(Sets(mark, OID_802_11_SSID).empty()) << "joined by BSSID, not by SSID";
    EXPECT_EQ(2347u, SetValue(mark, OID_802_11_RTS_THRESHOLD));
    EXPECT_EQ(0u, SetValue(mark, OID_802_11_FRAGMENTATION_THRESHOLD));
    EXPECT_EQ((DWORD)Ndis802_11AuthModeOpen, SetValue(mark, OID_802_11_AUTHENTICATION_MODE));
    EXPECT_EQ((DWORD)Ndis802_11EncryptionDisabled, SetValue(mark, OID_802_11_WEP_STATUS));
    EXPECT_EQ(1u, Sets(mark, OID_802_11_DISASSOCIATE).size());
    EXPECT_TRUE(LinkComes());
    EXPECT_EQ("Kestiq-Open", Joined());

    ASSERT_NE(nullptr, g_pCurProfile);
    EXPECT_EQ(1u, g_pCurProfile->matchByBssid);
    EXPECT_EQ(0u, g_pCurProfile->applyRadioSettings);
    EXPECT_EQ(2u, g_pCurProfile->preamble);
    EXPECT_FALSE(g_bConfigFromRegistry);
    EXPECT_FALSE(g_bUseRegistryProfileSecurity);
    EXPECT_FALSE(m_survey->JoinPending());
    std::string where;
    EXPECT_TRUE(SameKey(before, AdapterKey(), &where)) << "changed: " << where;
    EXPECT_FALSE(ProfileExists("PROF1"));
}

TEST_F(JoinScenario, AWpa2PskNetworkAsksForItsKeyAndOnlyTheRightOneConnects)
{
    FillSurvey();
    kqtest::KeyImage before = AdapterKey();
    const struct { const char* key; const char* verdict; bool link; } cases[] = {
        { "wrong-secret", "failed", false },
        { "kestiq-secret", "authorized", true },
    };
    for (const auto& c : cases) {
        Leave();
        ASSERT_TRUE(Connect("Kestiq-Home"));
        ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel()) << c.key;
        ASSERT_TRUE(Shown(m_connect));
        EXPECT_EQ("WPA2-PSK", TextOf(m_csec, IDC_SEC_AUTH));
        EXPECT_EQ("AES", TextOf(m_csec, IDC_SEC_ENCRYPTION));
        EXPECT_TRUE(Enabled(m_csec, IDC_SEC_PSK));
        EXPECT_FALSE(IsWindowEnabled(m_connect->TabButton(CONNECT_TAB_8021X)->m_hWnd));
        Type(m_csec, IDC_SEC_PSK, c.key);
        if (c.link) PanelShot("join-connect-settings");

        DWORD mark = Mark();
        ConnectOk();
        EXPECT_EQ(PANEL_LINK_STATUS, Panel()) << c.key;
        ASSERT_TRUE(Applied(mark)) << c.key;
        std::vector<kqtest::SetSeen> bssid = Sets(mark, OID_802_11_BSSID);
        ASSERT_EQ(1u, bssid.size()) << c.key;
        EXPECT_EQ("00:11:22:33:44:03", Mac(bssid[0].data));
        EXPECT_EQ((DWORD)Ndis802_11AuthModeWPA2PSK, SetValue(mark, OID_802_11_AUTHENTICATION_MODE));
        EXPECT_EQ((DWORD)Ndis802_11Encryption3Enabled, SetValue(mark, OID_802_11_WEP_STATUS));
        EXPECT_TRUE(SupplicantSaid(mark, std::string("acRsnPskCreate passphrase=") + c.key)) << c.key;
        EXPECT_EQ(c.verdict, Verdict(mark)) << c.key;
        if (c.link) {
            EXPECT_TRUE(LinkComes()) << c.key;
        } else {
            StaysWithoutLink("Kestiq-Home", c.key);
        }
        EXPECT_FALSE(PromptShown()) << c.key;
    }
    std::string where;
    EXPECT_TRUE(SameKey(before, AdapterKey(), &where)) << "changed: " << where;
}

// The hidden network: the SSID first, then its key.  The join goes by SSID
// and counts as one-off, even right after a stored profile was active: the
// supplicant port must not take it for that profile.
TEST_F(JoinScenario, TheHiddenNetworkAsksForItsSsidThenItsKeyAndJoinsBySsidAsAOneOffConnection)
{
    ASSERT_TRUE(ActivateHome());
    FillSurvey();
    kqtest::KeyImage before = AdapterKey();

    const struct { const char* key; const char* verdict; bool link; } cases[] = {
        { "wrong-pass", "failed", false },
        { "hidden-network", "authorized", true },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Connect("")) << "the hidden network's row";
        ASSERT_EQ(PANEL_HIDDEN_SSID, Panel()) << c.key;
        EXPECT_EQ("Please enter SSID", TextOf(m_hidden, IDC_HIDDEN_LABEL));
        EXPECT_EQ("", TextOf(m_hidden, IDC_HIDDEN_SSID_EDIT));
        EXPECT_EQ(GetDlgItem(m_hidden->m_hWnd, IDC_HIDDEN_SSID_EDIT), GetFocus());
        Type(m_hidden, IDC_HIDDEN_SSID_EDIT, "  Kestiq-Hidden  ");
        if (c.link) PanelShot("join-hidden-ssid");
        ClickIn(m_hidden, IDC_HIDDEN_OK);

        ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel()) << "a secured hidden network asks for its key too";
        EXPECT_EQ("WPA2-PSK", TextOf(m_csec, IDC_SEC_AUTH));
        Type(m_csec, IDC_SEC_PSK, c.key);
        DWORD mark = Mark();
        ConnectOk();
        ASSERT_TRUE(Applied(mark)) << c.key;
        std::vector<kqtest::SetSeen> ssid = Sets(mark, OID_802_11_SSID);
        ASSERT_EQ(1u, ssid.size()) << c.key;
        EXPECT_EQ("Kestiq-Hidden", ssid[0].Ssid());
        EXPECT_TRUE(Sets(mark, OID_802_11_BSSID).empty());
        EXPECT_FALSE(g_bConfigFromRegistry);
        EXPECT_FALSE(PortConfiguredForStoredProfile()) << c.key;
        EXPECT_EQ(c.verdict, Verdict(mark)) << c.key;
        if (c.link) {
            EXPECT_TRUE(LinkComes()) << c.key;
            EXPECT_EQ("Kestiq-Hidden", Joined());
        } else {
            StaysWithoutLink("Kestiq-Hidden", c.key);
        }
        EXPECT_FALSE(PromptShown()) << c.key;
    }
    std::string where;
    EXPECT_TRUE(SameKey(before, AdapterKey(), &where)) << "changed: " << where;
}

// An 802.1X login that fails on a one-off connection asks for nothing again
// and leaves the stored profile that was active before it alone.  (The
// credential requests go unanswered: the login ends in the library's
// time-out, shortened here.)
TEST_F(JoinScenario, AFailedOneOffLoginOnAHiddenNetworkShowsNoReentryPanel)
{
    BYTE hiddenHome[6];
    ASSERT_TRUE(kqsim::ParseMac("00:11:22:33:44:06", hiddenHome));
    ASSERT_TRUE(m_sim.RemoveNetwork(hiddenHome));
    KQSIM_NETWORK lab = kqsim::MakeNetwork("Kestiq-Lab-1X", "02:00:00:00:28:01", 5, -50, KQSIM_SEC_WPA2_1X);
    lab.hidden = 1;
    strcpy(lab.eap, "method=peap identity=alice password=wonderland");
    ASSERT_TRUE(m_sim.PutNetwork(lab));
    ASSERT_TRUE(ActivateHome());
    FillSurvey();
    kqtest::KeyImage before = AdapterKey();
    StandIn("timeout=300");

    ASSERT_TRUE(Connect(""));
    ASSERT_EQ(PANEL_HIDDEN_SSID, Panel());
    HiddenOk("Kestiq-Lab-1X");
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    EXPECT_EQ("WPA2", TextOf(m_csec, IDC_SEC_AUTH));
    ConnectTab(CONNECT_TAB_8021X);
    CTunnelCredentialPage* cred = m_connect->Dot1xTab()->CredentialPage();
    Type(cred, IDC_CRED_ID, "alice");
    Type(cred, IDC_CRED_TUNNEL_ID, "alice");
    Type(cred, IDC_CRED_TUNNEL_PASSWORD, "wonderland");
    ClearAuthLogRing();   // the status line looked for below is this join's
    DWORD mark = Mark();
    ConnectOk();
    ASSERT_EQ(PANEL_LINK_STATUS, Panel());
    ASSERT_TRUE(Applied(mark));
    EXPECT_FALSE(PortConfiguredForStoredProfile());
    EXPECT_EQ("failed", Verdict(mark));
    ASSERT_TRUE(StatusLineWritten("Authenticating Timeout."));
    Polls(10);
    EXPECT_FALSE(PromptShown());
    // A stored profile's failure would disassociate and set an SSID no network has.
    // (The controller may try the one-off connection again meanwhile.)
    std::vector<kqtest::SetSeen> ssid = Sets(mark, OID_802_11_SSID);
    ASSERT_FALSE(ssid.empty());
    for (const kqtest::SetSeen& s : ssid) EXPECT_EQ("Kestiq-Lab-1X", s.Ssid());
    EXPECT_TRUE(g_bAutoConnect);
    std::string where;
    EXPECT_TRUE(SameKey(before, AdapterKey(), &where)) << "changed: " << where;
}

TEST_F(JoinScenario, AddToProfileOpensTheEditorFilledFromTheNetworkAndOkStoresIt)
{
    FillSurvey();
    ASSERT_TRUE(Press("Kestiq-Home", IDC_SURVEY_ADD_PROFILE));
    ASSERT_EQ(PANEL_PROFILE_EDIT, Panel());
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ("PROF1", TextOf(m_sys, IDC_SYS_PROFILE_NAME));
    EXPECT_EQ("Kestiq-Home", TextOf(m_sys, IDC_SYS_SSID));
    EXPECT_EQ("Infrastructure", TextOf(m_sys, IDC_SYS_NETWORK_TYPE));
    Tab(EDIT_TAB_SECURITY);
    EXPECT_EQ("WPA2-PSK", TextOf(m_sec, IDC_SEC_AUTH));
    EXPECT_EQ("AES", TextOf(m_sec, IDC_SEC_ENCRYPTION));
    Type(m_sec, IDC_SEC_PSK, "kestiq-secret");
    Shot("join-add-to-profile");
    DWORD mark = Mark();
    Ok();
    ASSERT_FALSE(EditorShown());
    EXPECT_FALSE(Applied(mark)) << "saving applies nothing";
    EXPECT_EQ("Kestiq-Home", Stored("PROF1", "SSID"));
    EXPECT_EQ("11", Stored("PROF1", "Channel"));
    EXPECT_EQ("1", Stored("PROF1", "NetworkType"));
    EXPECT_EQ("7", Stored("PROF1", "AuthenType"));
    EXPECT_EQ("6", Stored("PROF1", "Encryption"));
    EXPECT_EQ("kestiq-secret", Stored("PROF1", "WPAPSK"));
    EXPECT_FALSE(m_survey->JoinPending());
}

// The list is rebuilt every 2 seconds while the panel waits: the join must
// still be the network that was clicked, and when it has left the air the
// join fails cleanly rather than picking whatever now stands in its row.
TEST_F(JoinScenario, ANetworkThatLeavesTheAirBeforeOkGivesAFailedJoinNeverAnotherNetwork)
{
    // The supplicant gives up on a join that does not come sooner than its 10 seconds.
    StandIn("assocwait=500");
    FillSurvey();
    ASSERT_TRUE(Connect("Kestiq-Home"));
    ASSERT_EQ(PANEL_CONNECT_SETTINGS, Panel());
    int row = RowOf("Kestiq-Home");
    BYTE home[6];
    ASSERT_TRUE(kqsim::ParseMac("00:11:22:33:44:03", home));
    ASSERT_TRUE(m_sim.RemoveNetwork(home));
    // Last seen long enough ago to age out of the engine's list with the
    // next scan; then the survey's rows are rebuilt without it.
    for (FILETIME& t : g_BssidLastSeen) {
        ULARGE_INTEGER u = { { t.dwLowDateTime, t.dwHighDateTime } };
        u.QuadPart -= 20ull * 10000000ull;
        t.dwLowDateTime = u.LowPart;
        t.dwHighDateTime = u.HighPart;
    }
    FillSurvey();
    ASSERT_EQ(-1, RowOf("Kestiq-Home"));
    ASSERT_NE("", kqtest::ListCellText(List(), row, 1)) << "another network stands in the clicked row";
    EXPECT_EQ(PANEL_CONNECT_SETTINGS, Panel());

    Type(m_csec, IDC_SEC_PSK, "kestiq-secret");
    DWORD mark = Mark();
    ConnectOk();
    ASSERT_TRUE(Applied(mark));
    std::vector<kqtest::SetSeen> bssid = Sets(mark, OID_802_11_BSSID);
    ASSERT_EQ(1u, bssid.size());
    EXPECT_EQ("00:11:22:33:44:03", Mac(bssid[0].data));
    ASSERT_NE(nullptr, g_pCurProfile);
    EXPECT_EQ("Kestiq-Home", std::string((const char*)g_pCurProfile->ssid.Ssid, g_pCurProfile->ssid.SsidLength));
    // The supplicant finds no association to run its handshake on.
    EXPECT_EQ("failed", Verdict(mark));
    EXPECT_TRUE(SupplicantSaid(mark, "verdict failed: no association"));
    StaysWithoutLink("", "the network has left");
    EXPECT_EQ("", Joined());
}

}  // namespace
