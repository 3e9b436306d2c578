// The network check after an authentication, step by step, with the answers
// chosen by the test: the library's link and address answers (its acIp
// calls), the IPX probe, the domain controller look-up and the probe of its
// NETLOGON share.  Waits are recorded instead of waited.  Then the check as
// the binding starts it: one at a time, ended by closing the port.
#include "auth/AuthFixture.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "auth/AuthWaits.h"
#include "auth/NetworkCheck.h"
#include "support/AdapterKey.h"

namespace {

using kqtest::AuthTest;
using kqtest::Restore;
using kqtest::WaitUntil;

// ---- Waits -----------------------------------------------------------------------

std::mutex g_waitLock;
std::vector<DWORD> g_waits;   // every wait the check asked for, in order

std::vector<DWORD> Waits()
{
    std::lock_guard<std::mutex> lock(g_waitLock);
    return g_waits;
}

void NoteWait(DWORD ms)
{
    std::lock_guard<std::mutex> lock(g_waitLock);
    g_waits.push_back(ms);
}

bool Stopped(HANDLE stop) { return stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }

// Returns at once, as if the time had passed.
bool RecordedWait(HANDLE stop, DWORD ms)
{
    NoteWait(ms);
    return !Stopped(stop);
}

// Every wait lasts until the check is asked to stop.
bool WaitForStop(HANDLE stop, DWORD ms)
{
    NoteWait(ms);
    if (stop) WaitForSingleObject(stop, INFINITE);
    return false;
}

// The wait before the end marker holds until the gate opens (or a stop).
HANDLE g_gate = nullptr;
bool GatedWait(HANDLE stop, DWORD ms)
{
    NoteWait(ms);
    if (ms != 2000 || !g_gate) return !Stopped(stop);
    HANDLE h[2] = {stop, g_gate};
    return WaitForMultipleObjects(2, h, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

std::vector<DWORD> Repeat(DWORD ms, int n) { return std::vector<DWORD>((size_t)n, ms); }

// Lines of the ring from line 0 to the first empty one.
std::vector<std::string> LinesFromStart()
{
    std::vector<std::string> out;
    for (int i = 0; i < AUTH_LOG_LINES; ++i) {
        char line[AUTH_LOG_LINE_SIZE];
        if (!ReadAuthLogLine(i, line, sizeof(line)) || !line[0]) break;
        out.push_back(line);
    }
    return out;
}

int Count(const std::vector<std::string>& lines, const std::string& line)
{
    return (int)std::count(lines.begin(), lines.end(), line);
}

// ---- The library's link and address answers --------------------------------------

struct IpScript {
    int connectedAt = 1;          // the call of acIpIsConnected that first sees the link (0: never)
    int failingLinkCalls = 0;     // the first n of them fail, though they report a link
    bool dhcp = true;
    int addressAt = 1;            // the call of acIpGetConfig that first gives the address (0: never)
    int failingConfigCalls = 0;   // the first n of them fail, though they give the address
    BYTE address[4] = {10, 1, 2, 3};
};

IpScript g_ip;
int g_linkCalls = 0, g_configCalls = 0;
std::string g_attrName;                      // the port's name
std::vector<std::string> g_bySymbolicName;   // calls made with another name

void NoteName(const char* call, const char* name)
{
    if (!name || g_attrName != name) g_bySymbolicName.push_back(std::string(call) + " " + (name ? name : "(null)"));
}

AC_STATUS FakeIsConnected(const char* name, int* connected)
{
    NoteName("acIpIsConnected", name);
    int n = ++g_linkCalls;
    *connected = g_ip.connectedAt > 0 && n >= g_ip.connectedAt;
    return n <= g_ip.failingLinkCalls ? -1 : AC_OK;
}

AC_STATUS FakeDhcpIsEnabled(const char* name, int* enabled)
{
    NoteName("acIpDhcpIsEnabled", name);
    *enabled = g_ip.dhcp ? 1 : 0;
    return AC_OK;
}

AC_STATUS FakeGetConfig(const char* name, BYTE* config)
{
    NoteName("acIpGetConfig", name);
    int n = ++g_configCalls;
    std::memset(config, 0, AC_IP_CONFIG_SIZE);
    if (!g_ip.dhcp || (g_ip.addressAt > 0 && n >= g_ip.addressAt)) std::memcpy(config, g_ip.address, 4);
    return n <= g_ip.failingConfigCalls ? -1 : AC_OK;
}

AC_STATUS FakeDhcpRenew(const char* name)
{
    NoteName("acIpDhcpRenew", name);
    return AC_OK;
}

// ---- The domain controller ---------------------------------------------------------

struct DcScript {
    DWORD lookUpError = ERROR_SUCCESS;
    const char* controller = "\\\\DC1.corp.test";
    std::vector<DWORD> probeErrors;   // the last error of each CreateFile; 0: the file opens
};

DcScript g_dc;
std::vector<std::string> g_lookedUp;   // domains DsGetDcName was asked for
int g_freed = 0;
DOMAIN_CONTROLLER_INFOA* g_given = nullptr;
struct Probe {
    std::string path;
    DWORD access, share, disposition, attributes;
};
std::vector<Probe> g_probes;
std::vector<HANDLE> g_opened;   // handles the fake gave out for files that opened

DWORD WINAPI FakeDsGetDcName(LPCSTR computer, LPCSTR domain, GUID*, LPCSTR site, ULONG flags,
                             PDOMAIN_CONTROLLER_INFOA* info)
{
    g_lookedUp.push_back(domain ? domain : "(null)");
    EXPECT_EQ(nullptr, computer);
    EXPECT_EQ(nullptr, site);
    EXPECT_EQ((ULONG)(DS_RETURN_FLAT_NAME | DS_FORCE_REDISCOVERY), flags);
    if (g_dc.lookUpError != ERROR_SUCCESS) return g_dc.lookUpError;
    g_given = new DOMAIN_CONTROLLER_INFOA();
    g_given->DomainControllerName = const_cast<char*>(g_dc.controller);
    *info = g_given;
    return ERROR_SUCCESS;
}

DWORD WINAPI FakeNetApiBufferFree(LPVOID buffer)
{
    EXPECT_EQ((void*)g_given, buffer);
    delete g_given;
    g_given = nullptr;
    ++g_freed;
    return 0;
}

HANDLE WINAPI FakeCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                             DWORD attributes, HANDLE)
{
    size_t n = g_probes.size();
    g_probes.push_back({path, access, share, disposition, attributes});
    DWORD error = n < g_dc.probeErrors.size() ? g_dc.probeErrors[n] : ERROR_BAD_NETPATH;
    if (error == 0) {
        HANDLE h = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        g_opened.push_back(h);
        SetLastError(0);
        return h;
    }
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

int g_ipxAnswer = 7;
int FakeProbeIpx() { return g_ipxAnswer; }

NetworkCheckCalls FakeCalls()
{
    NetworkCheckCalls c = RealNetworkCheckCalls();
    c.probeIpxSocket = FakeProbeIpx;
    c.dsGetDcName = FakeDsGetDcName;
    c.netApiBufferFree = FakeNetApiBufferFree;
    c.createFile = FakeCreateFile;
    c.pause = RecordedWait;
    return c;
}

// The check's steps on the test's thread, against an attached port of the
// stand-in; the calls and answers above replace the real ones.
class NetworkCheckTest : public AuthTest {
protected:
    void SetUp() override
    {
        AuthTest::SetUp();
        {
            std::lock_guard<std::mutex> lock(g_waitLock);
            g_waits.clear();
        }
        g_ip = IpScript();
        g_dc = DcScript();
        g_linkCalls = g_configCalls = g_freed = 0;
        g_bySymbolicName.clear();
        g_lookedUp.clear();
        g_probes.clear();
        g_opened.clear();
        g_ipxAnswer = 7;
        g_NetworkCheckCalls = FakeCalls();
        m_loaded = g_ac;
        // The single sign-on key as the test sets it; put back afterwards.
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SSO_KEY_PATH);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, SSO_KEY_PATH);
    }
    void TearDown() override
    {
        StopNetworkCheck();
        for (HANDLE h : g_opened) CloseHandle(h);
        g_opened.clear();
        if (m_loaded.acIpGetConfig) g_ac = m_loaded;
        AuthTest::TearDown();
    }

    void UseFakeIpCalls()
    {
        g_ac.acIpIsConnected = FakeIsConnected;
        g_ac.acIpDhcpIsEnabled = FakeDhcpIsEnabled;
        g_ac.acIpGetConfig = FakeGetConfig;
        g_ac.acIpDhcpRenew = FakeDhcpRenew;
        g_attrName = g_pAuthPort->attributes.name;
    }
    std::string SymbolicName() const { return g_pAuthPort ? g_pAuthPort->symName : ""; }

    // "WinlogonDomain" stored with exactly these bytes (no terminator of our own).
    static void StoreDomain(const std::string& bytes)
    {
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, SSO_KEY_PATH, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &k, nullptr));
        RegSetValueExA(k, REGSTR_SSO_INSTALL, 0, REG_SZ, (const BYTE*)bytes.data(), (DWORD)bytes.size());
        RegCloseKey(k);
    }
    static std::vector<std::string> DomainLinesFor(const std::string& controller, const std::vector<DWORD>& errors)
    {
        std::vector<std::string> out = {"Finding Domain Controller - CORP", "Domain Controller Name = " + controller};
        for (DWORD e : errors)
            out.push_back("Create File - " + controller + "\\NETLOGON\\NonExist, returned - " + std::to_string(e));
        return out;
    }

    kqtest::KeyGuard m_sso{HKEY_LOCAL_MACHINE, SSO_KEY_PATH};
    Restore<NetworkCheckCalls> m_calls{g_NetworkCheckCalls};
    AcAuthLibrary m_loaded = {};   // the library's calls as loaded, put back after the fakes
};

// ---- Link, DHCP and the address -------------------------------------------------

TEST_F(NetworkCheckTest, LinkAndAddressOutcomes)
{
    struct Case {
        const char* what;
        IpScript ip;
        std::vector<std::string> lines;
        int linkCalls, configCalls;
        std::vector<DWORD> waits;
        std::vector<std::string> bySymbolicName;   // "call" only; the name is the port's symbolic name
    };
    auto script = [](int connectedAt, bool dhcp, int addressAt, std::initializer_list<BYTE> address = {10, 1, 2, 3},
                     int failingLink = 0, int failingConfig = 0) {
        IpScript s;
        s.connectedAt = connectedAt;
        s.dhcp = dhcp;
        s.addressAt = addressAt;
        std::copy(address.begin(), address.end(), s.address);
        s.failingLinkCalls = failingLink;
        s.failingConfigCalls = failingConfig;
        return s;
    };
    const std::string kConnected = "Network Link is connected.", kDhcp = "DHCP is Enabled.";
    const Case cases[] = {
        {"link and address at once", script(1, true, 1),
         {kConnected, kDhcp, "Succeed. IP address is 10.1.2.3."}, 1, 1, {}, {}},
        {"the link on the fourth look", script(4, true, 1),
         {kConnected, kDhcp, "Succeed. IP address is 10.1.2.3."}, 4, 1, Repeat(1000, 3), {}},
        {"no link for 15 s: the check goes on", script(0, true, 1),
         {"Network Link is NOT connected.", kDhcp, "Succeed. IP address is 10.1.2.3."}, 15, 1, Repeat(1000, 15), {}},
        {"the address on the 30th try, without pauses", script(1, true, 30),
         {kConnected, kDhcp, "Succeed. IP address is 10.1.2.3."}, 1, 30, {}, {}},
        {"no address in 30 tries: renewed", script(1, true, 0),
         {kConnected, kDhcp, "Network Link is NO IP address."}, 2, 30, {},
         {"acIpDhcpRenew", "acIpIsConnected"}},
        {"one byte of the four is an address", script(1, true, 1, {0, 0, 0, 7}),
         {kConnected, kDhcp, "Succeed. IP address is 0.0.0.7."}, 1, 1, {}, {}},
        {"DHCP off: the static address", script(1, false, 1, {192, 168, 7, 9}),
         {kConnected, "DHCP is Disabled - Static IP.", "Static IP address is 192.168.7.9."}, 1, 1, {},
         {"acIpGetConfig"}},
        {"failed answers count as none", script(1, true, 1, {10, 1, 2, 3}, 2, 5),
         {kConnected, kDhcp, "Succeed. IP address is 10.1.2.3."}, 3, 6, Repeat(1000, 2), {}},
    };
    OpenPort();
    UseFakeIpCalls();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearAuthLogRing();
        g_ip = c.ip;
        g_linkCalls = g_configCalls = 0;
        g_bySymbolicName.clear();
        {
            std::lock_guard<std::mutex> lock(g_waitLock);
            g_waits.clear();
        }
        CheckLinkAndIpAddress();
        EXPECT_EQ(c.lines, LinesFromStart());
        EXPECT_EQ(c.linkCalls, g_linkCalls);
        EXPECT_EQ(c.configCalls, g_configCalls);
        EXPECT_EQ(c.waits, Waits());
        std::vector<std::string> want;
        for (const std::string& call : c.bySymbolicName) want.push_back(call + " " + SymbolicName());
        EXPECT_EQ(want, g_bySymbolicName);
    }
}

TEST_F(NetworkCheckTest, WithoutAPortTheLinkStepAsksNothing)
{
    OpenPort();
    UseFakeIpCalls();
    Restore<AUTH_PORT*> port{g_pAuthPort};
    g_pAuthPort = nullptr;
    CheckLinkAndIpAddress();
    EXPECT_TRUE(LinesFromStart().empty());
    EXPECT_EQ(0, g_linkCalls);
    EXPECT_EQ(0, g_configCalls);
}

// The stand-in's own answers: the joined network's address while the link is up.
TEST_F(NetworkCheckTest, TheStandInGivesTheJoinedNetworksAddress)
{
    KQSIM_NETWORK open = Network("Sim-Open", 7, KQSIM_SEC_OPEN);
    open.ipAddress = 10 | (20 << 8) | (30 << 16) | (40u << 24);
    ASSERT_TRUE(m_sim.PutNetwork(open));
    OpenPort();
    NDIS_802_11_SSID ssid = kqtest::MakeSsid("Sim-Open");
    ASSERT_TRUE(SetOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr, 1));
    ASSERT_TRUE(WaitUntil([&] { return MediaConnected(); }));
    CheckLinkAndIpAddress();
    EXPECT_EQ((std::vector<std::string>{"Network Link is connected.", "DHCP is Enabled.",
                                        "Succeed. IP address is 10.20.30.40."}),
              LinesFromStart());
}

// ---- IPX -------------------------------------------------------------------------------

TEST_F(NetworkCheckTest, IpxProbeOutcomes)
{
    const struct {
        int answer;
        const char* line;
    } cases[] = {
        {0, "IPX protocol is supported on this machine."},
        {7, "IPX protocol is not installed on this machine."},
        {9, "Winsock 2 is not supported on this machine."},
        {10047, "Detecting IPX Frame Type: UNDEFINED ERROR!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        ClearAuthLogRing();
        g_ipxAnswer = c.answer;
        DetectIpxFrameType();
        EXPECT_EQ((std::vector<std::string>{"Detecting IPX Frame Type.", c.line}), LinesFromStart());
    }
}

TEST_F(NetworkCheckTest, UnderWineTheRealIpxSocketFailsSoIpxIsNotInstalled)
{
    EXPECT_EQ(7, ProbeIpxSocket());
}

// ---- The domain controller ---------------------------------------------------------

TEST_F(NetworkCheckTest, DomainControllerProbeOutcomes)
{
    const std::string dc = "\\\\DC1.corp.test";
    const std::string kReached = "Access remote file is succeed.", kFailed = "Failed to access remote file.";
    struct Case {
        const char* what;
        std::vector<DWORD> errors;
        std::string verdict;   // empty: none
        std::vector<DWORD> waits;
    };
    const std::vector<DWORD> noAnswer(7, ERROR_BAD_NETPATH);
    const Case cases[] = {
        {"file not found", {ERROR_FILE_NOT_FOUND}, kReached, {}},
        {"access denied counts as reachable", {ERROR_ACCESS_DENIED}, kReached, {}},
        {"account disabled", {ERROR_ACCOUNT_DISABLED}, kReached, {}},
        {"account locked out", {ERROR_ACCOUNT_LOCKED_OUT}, kReached, {}},
        {"no logon servers", {ERROR_NO_LOGON_SERVERS}, kReached, {}},
        {"network name not found", {ERROR_BAD_NET_NAME}, kReached, {}},
        {"an answer on the third try", {ERROR_BAD_NETPATH, ERROR_LOGON_FAILURE, ERROR_ACCESS_DENIED}, kReached,
         Repeat(500, 2)},
        {"seven tries without an answer", noAnswer, kFailed, Repeat(500, 6)},
        {"a file that opens ends the check without a verdict", {ERROR_BAD_NETPATH, 0}, "", Repeat(500, 1)},
    };
    StoreDomain("CORP");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearAuthLogRing();
        g_dc = DcScript();
        g_dc.probeErrors = c.errors;
        g_probes.clear();
        g_freed = 0;
        {
            std::lock_guard<std::mutex> lock(g_waitLock);
            g_waits.clear();
        }
        CheckSingleSignOnDomain();
        std::vector<std::string> want = DomainLinesFor(dc, c.errors);
        if (!c.verdict.empty()) want.push_back(c.verdict);
        EXPECT_EQ(want, LinesFromStart());
        ASSERT_EQ(c.errors.size(), g_probes.size());
        for (const Probe& p : g_probes) {
            EXPECT_EQ(dc + "\\NETLOGON\\NonExist", p.path);
            EXPECT_EQ((DWORD)GENERIC_READ, p.access);
            EXPECT_EQ((DWORD)FILE_SHARE_READ, p.share);
            EXPECT_EQ((DWORD)OPEN_EXISTING, p.disposition);
            EXPECT_EQ((DWORD)FILE_ATTRIBUTE_NORMAL, p.attributes);
        }
        EXPECT_EQ(c.waits, Waits());
        EXPECT_EQ(1, g_freed) << "the controller's record is freed";
    }
    // The file that opened was closed again.
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_FALSE(CloseHandle(g_opened[0]));
    g_opened.clear();
}

TEST_F(NetworkCheckTest, WithoutADomainToCheckTheControllerIsNotFound)
{
    const std::vector<std::string> notFound = {"Domain Controller is not found."};
    // No single sign-on key.
    CheckSingleSignOnDomain();
    EXPECT_EQ(notFound, LinesFromStart());
    // The key without "WinlogonDomain".
    ClearAuthLogRing();
    StoreDomain("CORP");
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, SSO_KEY_PATH, 0, KEY_ALL_ACCESS, &k));
    RegDeleteValueA(k, REGSTR_SSO_INSTALL);
    RegCloseKey(k);
    CheckSingleSignOnDomain();
    EXPECT_EQ(notFound, LinesFromStart());
    EXPECT_TRUE(g_lookedUp.empty());

    // The look-up fails: with the test's answer and with Wine's own (not implemented).
    for (bool real : {false, true}) {
        SCOPED_TRACE(real ? "DsGetDcNameA" : "no such domain");
        ClearAuthLogRing();
        StoreDomain("CORP");
        g_dc.lookUpError = ERROR_NO_SUCH_DOMAIN;
        if (real) g_NetworkCheckCalls.dsGetDcName = DsGetDcNameA;
        CheckSingleSignOnDomain();
        EXPECT_EQ((std::vector<std::string>{"Finding Domain Controller - CORP", "Domain Controller is not found."}),
                  LinesFromStart());
        EXPECT_TRUE(g_probes.empty());
    }
}

TEST_F(NetworkCheckTest, DomainTextsAreReadAndUsedWithinTheirBounds)
{
    // 128 bytes stored without a terminator are the whole domain.
    std::string full(128, 'D');
    StoreDomain(full);
    g_dc.probeErrors = {ERROR_FILE_NOT_FOUND};
    CheckSingleSignOnDomain();
    ASSERT_EQ(1u, g_lookedUp.size());
    EXPECT_EQ(full, g_lookedUp[0]);
    std::vector<std::string> lines = LinesFromStart();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("Finding Domain Controller - " + full, lines[0]);

    // A longer value is no domain the key can hold.
    ClearAuthLogRing();
    g_lookedUp.clear();
    StoreDomain(std::string(200, 'E'));
    CheckSingleSignOnDomain();
    EXPECT_EQ((std::vector<std::string>{"Domain Controller is not found."}), LinesFromStart());
    EXPECT_TRUE(g_lookedUp.empty());

    // Format characters in the domain are shown as they are.
    ClearAuthLogRing();
    StoreDomain("%s%n%d");
    g_dc.lookUpError = ERROR_NO_SUCH_DOMAIN;
    CheckSingleSignOnDomain();
    EXPECT_EQ((std::vector<std::string>{"Finding Domain Controller - %s%n%d", "Domain Controller is not found."}),
              LinesFromStart());

    // A controller name too long for a path is never probed under a cut name.
    ClearAuthLogRing();
    g_probes.clear();
    g_freed = 0;
    g_dc = DcScript();
    std::string longName = "\\\\" + std::string(300, 'C');
    g_dc.controller = longName.c_str();
    StoreDomain("CORP");
    CheckSingleSignOnDomain();
    lines = LinesFromStart();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(255u, lines[1].size()) << "the name line is cut to the ring's 255 characters";
    EXPECT_EQ(0u, lines[1].find("Domain Controller Name = \\\\CCC"));
    EXPECT_EQ("Failed to access remote file.", lines[2]);
    EXPECT_TRUE(g_probes.empty());
    EXPECT_EQ(1, g_freed);
}

// ---- The whole check ---------------------------------------------------------------

TEST_F(NetworkCheckTest, TheWholeCheckEndsWithTheMarkerAndStartsTheRingAgain)
{
    OpenPort();
    UseFakeIpCalls();
    StoreDomain("CORP");
    g_dc.probeErrors = {ERROR_ACCESS_DENIED};
    EXPECT_EQ(1u, PostAuthDiagnosticsThread());
    std::vector<std::string> want = {"Network Link is connected.", "DHCP is Enabled.",
                                     "Succeed. IP address is 10.1.2.3.", "Detecting IPX Frame Type.",
                                     "IPX protocol is not installed on this machine."};
    for (const std::string& l : DomainLinesFor("\\\\DC1.corp.test", {ERROR_ACCESS_DENIED})) want.push_back(l);
    want.push_back("Access remote file is succeed.");
    want.push_back("OK");
    EXPECT_EQ(want, LinesFromStart());
    EXPECT_EQ(0, g_AuthLogRing.writeIndex);
    EXPECT_EQ(std::vector<DWORD>{2000}, Waits());
    EXPECT_FALSE(NetworkCheckBusy());
}

TEST_F(NetworkCheckTest, TwoAuthenticatedEventsInARowRunOneCheck)
{
    PutPskNetwork("Sim-Home", 1, "kestiq-secret");
    HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Restore<HANDLE> keepGate{g_gate};
    g_gate = gate;
    g_NetworkCheckCalls.pause = GatedWait;
    OpenPort();
    g_pCurProfile = NewProfile("Sim-Home", 7, 6);
    std::strcpy(g_pCurProfile->wpaPsk, "kestiq-secret");
    g_pCurProfile->wpaPskLength = 13;
    Connect(*g_pCurProfile);
    // The library's state 5 started the check; it holds before its end marker.
    ASSERT_TRUE(WaitUntil([&] { return Count(LinesFromStart(), "Domain Controller is not found.") == 1; }));
    ASSERT_TRUE(WaitUntil([&] {
        std::vector<DWORD> w = Waits();
        return !w.empty() && w.back() == 2000;
    }));
    ASSERT_TRUE(NetworkCheckBusy());

    // A second state-5 event, and checks started by hand: their threads find
    // the check running and end.
    OnAuthPortStatus(g_pAuthPort, 2);
    EXPECT_TRUE(StartNetworkCheckThread());
    std::vector<std::string> before = LinesFromStart();
    EXPECT_EQ(999u, PostAuthDiagnosticsThread());
    EXPECT_EQ(before, LinesFromStart()) << "a second check writes nothing";

    SetEvent(gate);
    ASSERT_TRUE(WaitUntil([&] { return !NetworkCheckBusy(); }));
    std::vector<std::string> lines = LinesFromStart();
    EXPECT_EQ(2, Count(lines, "Wireless client is authenticated."));
    EXPECT_EQ(1, Count(lines, "Detecting IPX Frame Type."));
    EXPECT_EQ(1, Count(lines, "OK"));
    EXPECT_EQ("OK", lines.back());
    CloseHandle(gate);
}

TEST_F(NetworkCheckTest, ClosingThePortEndsAWaitingCheck)
{
    OpenPort();
    g_NetworkCheckCalls.pause = WaitForStop;
    ASSERT_TRUE(StartNetworkCheckThread());
    // Not associated: the check waits for the link.
    ASSERT_TRUE(WaitUntil([&] { return Waits() == std::vector<DWORD>{1000}; }));
    ASSERT_TRUE(NetworkCheckBusy());
    CloseAuthPort();
    EXPECT_FALSE(NetworkCheckBusy()) << "closing the port waited for the check";
    std::vector<std::string> lines = LinesFromStart();
    EXPECT_EQ(0, Count(lines, "Network Link is NOT connected."));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("OK", lines.back());
}

// A domain look-up that holds until the gate opens, whatever the stop; the
// thread it holds is noted.
HANDLE g_lookUpGate = nullptr;
std::atomic<DWORD> g_heldLookUp{0};

DWORD WINAPI HeldDsGetDcName(LPCSTR computer, LPCSTR domain, GUID* guid, LPCSTR site, ULONG flags,
                             PDOMAIN_CONTROLLER_INFOA* info)
{
    g_heldLookUp = GetCurrentThreadId();
    WaitForSingleObject(g_lookUpGate, INFINITE);
    return FakeDsGetDcName(computer, domain, guid, site, flags, info);
}

struct RingCopy {
    std::vector<std::string> lines;
    int writeIndex;
    bool operator==(const RingCopy& o) const { return lines == o.lines && writeIndex == o.writeIndex; }
};
RingCopy CopyOfRing()
{
    RingCopy c;
    for (int i = 0; i < AUTH_LOG_LINES; ++i) {
        char line[AUTH_LOG_LINE_SIZE];
        ReadAuthLogLine(i, line, sizeof(line));
        c.lines.push_back(line);
    }
    c.writeIndex = g_AuthLogRing.writeIndex;
    return c;
}

TEST_F(NetworkCheckTest, ACheckThatOutlivesItsStopLeavesTheNextRunAlone)
{
    Restore<AuthWaits> waits{g_AuthWaits};
    g_AuthWaits.checkStopMs = 200;
    OpenPort();
    UseFakeIpCalls();
    StoreDomain("CORP");
    g_dc.probeErrors = {ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED};
    g_lookUpGate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_heldLookUp = 0;
    g_NetworkCheckCalls.dsGetDcName = HeldDsGetDcName;
    // The check is held in the domain look-up when the port closes.
    ASSERT_TRUE(StartNetworkCheckThread());
    ASSERT_TRUE(WaitUntil([&] { return g_heldLookUp != 0; }));
    HANDLE oldCheck = OpenThread(SYNCHRONIZE, FALSE, g_heldLookUp);
    ASSERT_NE(nullptr, oldCheck);
    EXPECT_FALSE(StopNetworkCheck()) << "the check outlived its stop";
    EXPECT_FALSE(NetworkCheckBusy()) << "a check given up on no longer counts";

    // The next authentication's check runs, the whole of it.
    ClearAuthLogRing();
    g_NetworkCheckCalls.dsGetDcName = FakeDsGetDcName;
    ASSERT_TRUE(StartNetworkCheckThread());
    ASSERT_TRUE(WaitUntil([&] { return !LinesFromStart().empty() && LinesFromStart().back() == "OK"; }));
    ASSERT_TRUE(WaitUntil([&] { return !NetworkCheckBusy(); }));
    std::vector<std::string> lines = LinesFromStart();
    EXPECT_EQ(1, Count(lines, "Detecting IPX Frame Type."));
    EXPECT_EQ(1, Count(lines, "Access remote file is succeed."));
    const RingCopy run = CopyOfRing();

    // The old check comes back: none of its lines or its end enter the ring.
    SetEvent(g_lookUpGate);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(oldCheck, 20000));
    CloseHandle(oldCheck);
    EXPECT_EQ(2, g_freed) << "both checks looked the controller up";
    EXPECT_TRUE(CopyOfRing() == run);
    EXPECT_FALSE(NetworkCheckBusy());
    CloseHandle(g_lookUpGate);
    g_lookUpGate = nullptr;
}

}  // namespace
