// Authentications against the simulated air: the library decides against
// the network the adapter joined and tells the driver, so the media state
// follows; the status events write their lines; a failed 802.1X login of a
// stored profile disconnects and asks for new credentials, that of a one-off
// connection does neither.
#include "auth/AuthFixture.h"
#include "app/HideDlg.h"
#include "core/PasswordHash.h"

namespace {

using kqtest::AuthTest;
using kqtest::Stand;
using kqtest::WaitUntil;

const char kRelayClass[] = "KestiqAuthRelay";
const UINT kRelayShowPage = WM_APP + 1;

std::vector<AUTH_CRED_REQUEST> g_answered;
bool g_offerProvisioning = false;
bool g_givePac = false;

// Answers every request at once from the port record.
void AnswerRequest(void* context, AUTH_CRED_REQUEST* r)
{
    AUTH_PORT* port = (AUTH_PORT*)context;
    g_answered.push_back(*r);
    AC_HANDLE h = port->handle;
    if (r->type == 3) g_ac.acCredIdentity(h, r->id, r->subKind ? port->innerIdentity : port->outerIdentity);
    if (r->type == 4) {
        AC_EAP_METHOD m = {0, r->subKind ? port->innerEapType : port->eapType};
        g_ac.acCredEapMethods(h, r->id, &m, 1);
    }
    if (r->type == 5) g_ac.acCredPassword(h, r->id, port->password);
    if (r->type == 8) g_ac.acCredServerVerified(h, r->id, 1);
    if (r->type == 12) {
        DWORD types[1] = {1};
        g_ac.acCredEapFASTPacTypes(h, r->id, types, g_offerProvisioning ? 1 : 0);
    }
    if (r->type == 11) {
        AC_HANDLE pac = 0;
        BYTE key[32] = {}, opaque[16] = {};
        if (g_givePac) g_ac.acEapFASTPacCreate(&pac, key, 32, opaque, 16);
        g_ac.acCredEapFASTPac(h, r->id, pac);
        g_ac.acEapFASTPacDestroy(&pac);
    }
    g_ac.acCredComplete(h, r->id);
}

class AuthenticationTest : public AuthTest {
protected:
    void SetUp() override
    {
        AuthTest::SetUp();
        PutPskNetwork("Sim-Home", 1, "kestiq-secret");
        Put8021xNetwork("Sim-Corp", 2, "method=peap identity=alice password=wonderland");
        g_bAutoConnect = 1;
    }

    StationConfig* PskProfile(const char* passphrase)
    {
        StationConfig* p = NewProfile("Sim-Home", 7, 6);
        std::strcpy(p->wpaPsk, passphrase);
        p->wpaPskLength = (DWORD)std::strlen(passphrase);
        return p;
    }
    StationConfig* PeapProfile()
    {
        StationConfig* p = NewProfile("Sim-Corp", 6, 6);
        p->eapMethod = 0;
        p->innerMethod = 26;
        std::strcpy(p->identity, "alice");
        std::strcpy(p->tunnelId, "alice");
        std::strcpy(p->tunnelPassword, "wonderland");
        return p;
    }
    // The library started afresh with this account in the air, the port
    // attached with every request answered at once, and a new PEAP profile.
    void StartAnswering(const char* eap)
    {
        g_answered.clear();
        std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
        Put8021xNetwork("Sim-Corp", 2, eap);
        ShutdownAuthLibrary();
        ASSERT_TRUE(InitAuthLibrary());
        ASSERT_TRUE(AuthPortAttachByMac(m_mac, OnAuthPortStatus, AnswerRequest, FALSE));
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = PeapProfile();
    }
    bool HasLine(const std::string& line)
    {
        for (const std::string& l : RingLines())
            if (l == line) return true;
        return false;
    }
    // Requests sent to the adapter since mark (sets only).
    int Sets(DWORD mark, DWORD oid)
    {
        int n = 0;
        for (const auto& e : kqsim::AdapterLog(m_sim, m_adapter->guid(), mark))
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == oid) ++n;
        return n;
    }
    // Show-page requests waiting for the user-interface thread.
    std::vector<int> PageRequests()
    {
        std::vector<int> out;
        HWND relay = FindWindowExA(HWND_MESSAGE, nullptr, kRelayClass, nullptr);
        MSG msg;
        while (relay && PeekMessageA(&msg, relay, kRelayShowPage, kRelayShowPage, PM_REMOVE)) out.push_back((int)msg.wParam);
        return out;
    }
};

TEST_F(AuthenticationTest, RightPassphraseConnectsAndWritesItsLinesInOrder)
{
    OpenPort();
    g_pCurProfile = PskProfile("kestiq-secret");
    DWORD mark = Mark();
    Connect(*g_pCurProfile);
    ASSERT_TRUE(WaitUntil([&] { return MediaConnected(); }));
    // The network check follows the authentication and ends the run with
    // "OK", which starts the ring again at line 0.
    ASSERT_TRUE(WaitUntil([&] { return std::string(g_AuthLogRing.lines[0]) != "" && g_AuthLogRing.writeIndex == 0; }));
    std::vector<std::string> lines;
    for (int i = 0; i < AUTH_LOG_LINES && g_AuthLogRing.lines[i][0]; ++i) lines.push_back(g_AuthLogRing.lines[i]);
    std::vector<std::string> want = {"Starting network connection...", "Network is connecting...",
                                     "Wireless client is authenticated.", "Network Link is connected.",
                                     "DHCP is Enabled.", "Succeed. IP address is 192.168.1.100.",
                                     "Detecting IPX Frame Type.", "IPX protocol is not installed on this machine.",
                                     "Domain Controller is not found.", "OK"};
    EXPECT_EQ(want, lines);
    // The key went over on start, then the library authenticated and associated.
    std::vector<std::string> starts;
    for (const auto& e : Calls(mark))
        if (e.text.compare(0, 12, "acCredRsnPsk") == 0 || e.text.compare(0, 10, "acPortAuth") == 0 ||
            e.text.compare(0, 15, "acPortAssociate") == 0)
            starts.push_back(e.text.substr(0, e.text.find(' ')));
    EXPECT_EQ((std::vector<std::string>{"acCredRsnPsk", "acPortAuth", "acPortAssociate"}), starts);
    EXPECT_TRUE(HasCall(mark, "acPortAssociate h=" + std::to_string(g_pAuthPort->handle) + " ssid=Sim-Home auth=21 cipher=4"));
    EXPECT_TRUE(HasCall(mark, "verdict authorized"));
}

TEST_F(AuthenticationTest, BinaryKeyOfThePassphraseConnectsToo)
{
    // The 802.11i test vector's key would not fit this network; the key of
    // "kestiq-secret" with "Sim-Home", given as 64 hex digits, does.
    BYTE pmk[40];
    ASSERT_TRUE(PasswordHash("kestiq-secret", (const BYTE*)"Sim-Home", 8, pmk));
    char hex[65];
    for (int i = 0; i < 32; ++i) std::snprintf(hex + 2 * i, 3, "%02X", pmk[i]);
    OpenPort();
    g_pCurProfile = PskProfile("");
    std::memcpy(g_pCurProfile->wpaPsk, hex, 64);
    g_pCurProfile->wpaPskLength = 64;
    Connect(*g_pCurProfile);
    EXPECT_TRUE(WaitUntil([&] { return MediaConnected(); }));
}

TEST_F(AuthenticationTest, WrongPassphraseNeverConnects)
{
    OpenPort();
    g_pCurProfile = PskProfile("not-the-secret");
    DWORD mark = Mark();
    Connect(*g_pCurProfile);
    ASSERT_TRUE(WaitUntil([&] { return HasCall(mark, "verdict failed: pre-shared key differs"); }));
    kqsim::AdapterState s;
    ASSERT_TRUE(m_sim.GetAdapter(m_adapter->guid(), s));
    EXPECT_TRUE(s.associated);
    EXPECT_FALSE(s.authorized);
    EXPECT_FALSE(MediaConnected());
    EXPECT_FALSE(HasLine("Wireless client is authenticated."));
}

TEST_F(AuthenticationTest, NoAssociationReportsTheLinkDown)
{
    Stand().configure("assocwait=300");
    OpenPort();
    g_pCurProfile = PskProfile("kestiq-secret");
    g_pCurProfile->ssid = kqtest::MakeSsid("Nowhere");
    Connect(*g_pCurProfile);
    EXPECT_TRUE(WaitUntil([&] { return HasLine("Network Link is NOT connected."); }));
}

// The credential worker's first answer fails, so the library's request
// goes unanswered and the login ends in its time-out.
TEST_F(AuthenticationTest, ATimedOutLoginOfAStoredProfileDisconnectsAndAsksAgain)
{
    Stand().configure("timeout=300 acCredSessionStart=-1");
    OpenPort();
    g_pCurProfile = PeapProfile();
    g_bConfigFromRegistry = 1;
    g_nAuthFailReason = 99;
    PageRequests();
    Connect(*g_pCurProfile);
    DWORD mark = Mark();
    ASSERT_TRUE(WaitUntil([&] { return HasLine("Authenticating Timeout."); }));
    std::vector<std::string> want = {"Starting network connection...", "Network is connecting...",
                                     "PEAP Authenticating...", "Authenticating Timeout."};
    EXPECT_EQ(want, RingLines());
    EXPECT_EQ(0, g_nAuthFailReason);
    EXPECT_EQ(0, g_bAutoConnect);
    EXPECT_EQ(1, Sets(mark, OID_802_11_DISASSOCIATE));
    // The SSID no network has: 32 bytes of 0x10.
    bool blocked = false;
    for (const auto& e : kqsim::AdapterLog(m_sim, m_adapter->guid(), mark))
        if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_802_11_SSID && e.data.size() >= 36 && e.data[0] == 32 &&
            e.data[4] == 0x10 && e.data[35] == 0x10)
            blocked = true;
    EXPECT_TRUE(blocked);
    // The relay carries one panel request only: the credential prompt.
    EXPECT_EQ(1u, PageRequests().size());
    EXPECT_FALSE(MediaConnected());
}

TEST_F(AuthenticationTest, FailedOneOffLoginWritesItsLineOnly)
{
    Stand().configure("timeout=300 acCredSessionStart=-1");
    OpenPort();
    // Picked in the site survey (by BSSID), and a one-off of the connect settings.
    for (int oneOff = 0; oneOff < 2; ++oneOff) {
        std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = PeapProfile();
        g_pCurProfile->matchByBssid = oneOff == 0;
        g_bConfigFromRegistry = oneOff == 0;
        g_bAutoConnect = 1;
        g_nAuthFailReason = 99;
        PageRequests();
        DWORD mark = Mark();
        Connect(*g_pCurProfile);
        ASSERT_TRUE(WaitUntil([&] { return HasLine("Authenticating Timeout."); })) << oneOff;
        EXPECT_EQ(99, g_nAuthFailReason) << oneOff;
        EXPECT_EQ(1, g_bAutoConnect) << oneOff;
        EXPECT_EQ(0, Sets(mark, OID_802_11_DISASSOCIATE)) << oneOff;
        EXPECT_EQ(1, Sets(mark, OID_802_11_SSID)) << oneOff;   // the test's own join only
        EXPECT_TRUE(PageRequests().empty()) << oneOff;
        ASSERT_TRUE(AuthPortStop(g_pAuthPort));
    }
}

// A stored profile's failed login records why it failed, for the panel that
// asks for the credentials again.
TEST_F(AuthenticationTest, FailedLoginOfAStoredProfileRecordsItsReason)
{
    struct {
        const char* name;
        const char* eap;
        const char* password;
        const char* line;
        int reason;
    } cases[] = {
        {"wrong password", "method=peap identity=alice password=wonderland", "looking-glass",
         "Authentication failed - Identity or password is invalid.", 1},
        {"method refused", "method=ttls identity=alice password=wonderland", "wonderland",
         "EAP failure reason is not known.", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_offerProvisioning = g_givePac = false;
        ASSERT_NO_FATAL_FAILURE(StartAnswering(c.eap));
        std::strcpy(g_pCurProfile->tunnelPassword, c.password);
        g_bConfigFromRegistry = 1;
        g_bAutoConnect = 1;
        g_nAuthFailReason = 99;
        PageRequests();
        DWORD mark = Mark();
        Connect(*g_pCurProfile);
        ASSERT_TRUE(WaitUntil([&] { return HasLine(c.line); }));
        EXPECT_EQ(c.reason, g_nAuthFailReason);
        EXPECT_EQ(0, g_bAutoConnect);
        EXPECT_EQ(1, Sets(mark, OID_802_11_DISASSOCIATE));
        EXPECT_EQ(1u, PageRequests().size()) << "the credential prompt";
    }
}

TEST_F(AuthenticationTest, VerdictsOnTheAccountReadAsTheirLines)
{
    // Requests answered at once, as the credential worker will: the library
    // then decides on the network's account.
    struct {
        const char* name;
        const char* eap;          // the network's account
        DWORD method, inner;      // the profile's
        const char* password;
        bool offerProvisioning, givePac;
        std::vector<std::string> lines;   // after "<method> Authenticating..."
        std::vector<DWORD> requests;      // type * 10 + sub-kind
        bool connected;
    } cases[] = {
        {"PEAP", "method=peap identity=alice password=wonderland", 0, 26, "wonderland", false, false,
         {"Wireless client is authenticated."}, {20, 30, 40, 80, 31, 41, 50}, true},
        {"PEAP wrong password", "method=peap identity=alice password=wonderland", 0, 26, "looking-glass", false,
         false, {"Authentication failed - Identity or password is invalid."}, {20, 30, 40, 80, 31, 41, 50}, false},
        {"method refused", "method=ttls identity=alice password=wonderland", 0, 26, "wonderland", false, false,
         {"EAP failure reason is not known."}, {20, 30, 40, 80, 150, 31, 50}, false},
        {"EAP-FAST provisioned", "method=fast identity=alice password=wonderland", 3, 26, "wonderland", true, false,
         {"EAP-FAST Provisioning is successful.", "Wireless client is authenticated."},
         {20, 30, 40, 120, 180, 110, 41, 31, 50, 130}, true},
        {"EAP-FAST stale PAC", "method=fast identity=alice password=wonderland pac=stale", 3, 26, "wonderland",
         false, true, {}, {20, 30, 40, 120, 180, 110}, false},
        {"EAP-FAST no PAC", "method=fast identity=alice password=wonderland", 3, 26, "wonderland", false, false,
         {"EAP failure reason is not known."}, {20, 30, 40, 120, 180, 110}, false},
    };
    const char* methodLines[] = {"PEAP Authenticating...", "", "", "EAP-FAST Authenticating..."};
    for (auto& c : cases) {
        g_offerProvisioning = c.offerProvisioning;
        g_givePac = c.givePac;
        ASSERT_NO_FATAL_FAILURE(StartAnswering(c.eap)) << c.name;
        g_pCurProfile->eapMethod = c.method;
        g_pCurProfile->innerMethod = c.inner;
        std::strcpy(g_pCurProfile->tunnelPassword, c.password);
        g_bConfigFromRegistry = 0;
        DWORD mark = Mark();
        Connect(*g_pCurProfile);
        ASSERT_TRUE(WaitUntil([&] { return HasCall(mark, "verdict"); })) << c.name;
        std::vector<std::string> want = {"Starting network connection...", "Network is connecting...",
                                         methodLines[c.method]};
        want.insert(want.end(), c.lines.begin(), c.lines.end());
        // Lines from the first on: an authenticated port goes on with the
        // network check, whose "OK" starts the ring again at line 0.
        auto lines = [&] {
            std::vector<std::string> out;
            for (int i = 0; i < AUTH_LOG_LINES && g_AuthLogRing.lines[i][0] && out.size() < want.size(); ++i)
                out.push_back(g_AuthLogRing.lines[i]);
            return out;
        };
        EXPECT_TRUE(WaitUntil([&] { return lines().size() >= want.size(); })) << c.name;
        EXPECT_EQ(want, lines()) << c.name;
        // The verdict reached the driver before the stand-in logged it.
        if (c.connected) EXPECT_TRUE(WaitUntil([&] { return MediaConnected(); })) << c.name;
        else EXPECT_FALSE(MediaConnected()) << c.name;
        // One request at a time, in the method's order.
        std::vector<DWORD> types;
        for (const auto& r : g_answered) types.push_back(r.type * 10 + r.subKind);
        EXPECT_EQ(c.requests, types) << c.name;
    }
}

}  // namespace
