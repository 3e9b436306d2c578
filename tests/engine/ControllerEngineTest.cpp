// The controller's uses of the engine: the scan-and-connect of the link poll
// and its conditions, the 15-tick test that re-applies a profile the link no
// longer fits, the 802.1X step of an apply, the wireless mode read, and
// Kestiq.exe itself connecting from the values of its adapter key.
#include "engine/EngineFixture.h"

#include <map>

#include "core/StationConfig.h"
#include "mainwnd/ConfigMainDlg.h"
#include "tray/AdapterFixture.h"
#include "tray/KestiqProcess.h"
#include "zeroconfig/WzcStandIn.h"

namespace kqengine {
namespace {

int CountSets(const std::vector<Req>& log, DWORD oid)
{
    int n = 0;
    for (const Req& r : log)
        if (r.kind == KQSIM_LOG_SET && r.oid == oid) ++n;
    return n;
}

DWORD SetValue(const std::vector<Req>& log, DWORD oid)
{
    for (const Req& r : log)
        if (r.kind == KQSIM_LOG_SET && r.oid == oid && r.data.size() >= 4) {
            DWORD v;
            std::memcpy(&v, r.data.data(), 4);
            return v;
        }
    return 0xDEADBEEF;
}

// Every value of a key, put back as it was when the snapshot goes (a key
// that did not exist goes again).
class KeySnapshot {
public:
    explicit KeySnapshot(const std::string& path) : m_path(path)
    {
        HKEY k = nullptr;
        m_existed = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
        if (!m_existed) return;
        for (DWORD i = 0;; ++i) {
            char name[512];
            DWORD nameLen = sizeof(name), type = 0, size = 0;
            if (RegEnumValueA(k, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
            std::vector<BYTE> data(size + 1);
            nameLen = sizeof(name);
            if (RegEnumValueA(k, i, name, &nameLen, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
            data.resize(size);
            m_values[name] = { type, data };
        }
        RegCloseKey(k);
    }
    ~KeySnapshot()
    {
        if (!m_existed) {
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_path.c_str());
            return;
        }
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        std::vector<std::string> now;
        for (DWORD i = 0;; ++i) {
            char name[512];
            DWORD nameLen = sizeof(name);
            if (RegEnumValueA(k, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            now.push_back(name);
        }
        for (const std::string& n : now)
            if (!m_values.count(n)) RegDeleteValueA(k, n.c_str());
        for (const auto& v : m_values)
            RegSetValueExA(k, v.first.c_str(), 0, v.second.first, v.second.second.data(),
                           (DWORD)v.second.second.size());
        RegCloseKey(k);
    }
    bool existed() const { return m_existed; }

private:
    std::string m_path;
    bool m_existed = false;
    std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> m_values;
};

class PollEngine : public EngineTest {
protected:
    void Tick(UINT id = IDT_ADAPTER_POLL) { m_dlg.SendMessage(WM_TIMER, id); }
    void CloseWindow()
    {
        if (!m_dlg.m_pMainDlg) return;
        if (m_dlg.m_pMainDlg->IsWindow()) m_dlg.m_pMainDlg->DestroyWindow();
        delete m_dlg.m_pMainDlg;
        m_dlg.m_pMainDlg = nullptr;
    }
};

TEST_F(PollEngine, ScanAndConnectEvery90PollsOnlyWithRadioOnAndNoWindow)
{
    struct {
        const char* name;
        int count;
        BOOL radio;
        bool window;
        bool scan;
    } cases[] = {
        { "90th poll", 90, TRUE, false, true },
        { "180th poll", 180, TRUE, false, true },
        { "89th poll", 89, TRUE, false, false },
        { "first poll", 0, TRUE, false, false },
        { "radio off", 90, FALSE, false, false },
        { "configuration window open", 90, TRUE, true, false },
    };
    ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEngine();
        m_dlg.m_nPollCount = c.count;
        g_bRadioOn = c.radio;
        if (c.window) {
            m_dlg.OpenMainWindow();
            ASSERT_TRUE(m_dlg.m_pMainDlg && m_dlg.m_pMainDlg->IsWindow());
        }
        DWORD from = Mark();
        Tick();
        std::vector<Req> log = RequestsSince(from);
        EXPECT_EQ(c.scan ? 1 : 0, CountSets(log, OID_802_11_BSSID_LIST_SCAN));
        EXPECT_EQ(c.scan, g_bScanPending != FALSE);
        EXPECT_EQ(c.count + 1, m_dlg.m_nPollCount);
        KillTimer(m_dlg.m_hWnd, IDT_RECONNECT);
        CloseWindow();
    }
}

TEST_F(PollEngine, NoScanAndConnectWhileZeroConfigurationManagesTheAdapter)
{
    // The service runs and the adapter's interface carries the flag.
    std::string guid = g_strNetCfgInstanceId.GetString();
    kqtest::WzcStandIn wzc(guid);
    kqtest::WzcSetup("install --start-type demand --state running");
    kqtest::WriteControlFlags(guid, 0x8000);
    ASSERT_EQ(WZC_MANAGES, GetWzcMode());
    ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
    m_dlg.m_nPollCount = 90;
    DWORD from = Mark();
    Tick();
    EXPECT_EQ(WZC_MANAGES, g_nWzcMode);
    EXPECT_EQ(0, CountSets(RequestsSince(from), OID_802_11_BSSID_LIST_SCAN));
    EXPECT_EQ(91, m_dlg.m_nPollCount);
}

TEST_F(PollEngine, ScanAndConnectRunsTheQueueAfterTheScan)
{
    // The poll's scan and the profile queued behind it, as at start-up.
    WriteAdapterKey({ Text("SSID", "Kestiq-Open") });
    ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
    m_dlg.m_nPollCount = 90;
    Tick();
    ASSERT_TRUE(g_bScanPending);
    SetOidFromReg(TRUE);
    EXPECT_EQ(2u, g_ConnectRequests.size());
    EXPECT_FALSE(State().associated);
    ASSERT_TRUE(WaitScanDone());
    Tick(IDT_RECONNECT);
    EXPECT_TRUE(g_ConnectRequests.empty());
    EXPECT_TRUE(State().connected);
}

TEST_F(PollEngine, FifteenTickTestReappliesAProfileThatNoLongerFitsTheLink)
{
    // The test runs only while an 802.1X port is open.
    g_hAuthPort = 1;
    WriteAdapterKey({ Text("SSID", "Kestiq-Open"), Text("AuthenType", "0"), Text("Encryption", "1") });
    SetOidFromReg(TRUE);
    ASSERT_TRUE(State().connected);
    ASSERT_TRUE(g_bConfigFromRegistry);
    m_dlg.m_nPollCount = 0;

    // The link fits the profile: fifteen polls change nothing.
    DWORD from = Mark();
    for (int i = 0; i < 15; ++i) Tick();
    EXPECT_EQ(15, m_dlg.m_nPollCount);
    EXPECT_EQ(0, CountSets(RequestsSince(from), OID_802_11_DISASSOCIATE));

    // The driver now runs shared-key authentication, not the profile's.
    DWORD shared = Ndis802_11AuthModeShared;
    ASSERT_TRUE(SetOid(OID_802_11_AUTHENTICATION_MODE, &shared, sizeof(shared), nullptr, 1));
    from = Mark();
    for (int i = 0; i < 14; ++i) Tick();
    EXPECT_EQ(0, CountSets(RequestsSince(from), OID_802_11_DISASSOCIATE)) << "only on the 30th poll";
    from = Mark();
    Tick();
    std::vector<Req> log = RequestsSince(from);
    EXPECT_EQ(1, CountSets(log, OID_802_11_DISASSOCIATE));
    EXPECT_EQ((DWORD)Ndis802_11AuthModeOpen, SetValue(log, OID_802_11_AUTHENTICATION_MODE));
    EXPECT_EQ(1, CountSets(log, OID_VENDOR_WIRELESS_MODE)) << "a registry profile is applied with its radio settings";
    EXPECT_TRUE(State().connected);
    DWORD auth = 99;
    QueryOid(OID_802_11_AUTHENTICATION_MODE, &auth, sizeof(auth), nullptr);
    EXPECT_EQ((DWORD)Ndis802_11AuthModeOpen, auth);
}

TEST_F(PollEngine, FifteenTickTestReappliesAWpsProfileWithoutItsRadioSettings)
{
    g_hAuthPort = 1;
    StationConfig* r = AllocStationConfig();
    ASSERT_TRUE(r);
    r->ssid = Ssid("Kestiq-Open");
    r->infrastructureMode = Ndis802_11Infrastructure;
    r->encryption = Ndis802_11EncryptionDisabled;
    r->disassociateFirst = 1;
    r->applyRadioSettings = 1;
    ASSERT_TRUE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, r));
    m_dlg.ConnectProfile();
    g_bConfigFromRegistry = FALSE;   // the profile came from a WPS credential
    ASSERT_TRUE(State().connected);
    DWORD wep = Ndis802_11WEPEnabled;
    ASSERT_TRUE(SetOid(OID_802_11_WEP_STATUS, &wep, sizeof(wep), nullptr, 1));
    m_dlg.m_nPollCount = 14;
    DWORD from = Mark();
    Tick();
    std::vector<Req> log = RequestsSince(from);
    EXPECT_EQ(1, CountSets(log, OID_802_11_DISASSOCIATE));
    EXPECT_EQ(0, CountSets(log, OID_VENDOR_WIRELESS_MODE));
    EXPECT_EQ((DWORD)Ndis802_11EncryptionDisabled, SetValue(log, OID_802_11_WEP_STATUS));
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_EQ(0u, g_pCurProfile->applyRadioSettings);

    // Without auto-connect nothing is re-applied.
    ASSERT_TRUE(SetOid(OID_802_11_WEP_STATUS, &wep, sizeof(wep), nullptr, 1));
    g_bAutoConnect = FALSE;
    m_dlg.m_nPollCount = 29;
    from = Mark();
    Tick();
    EXPECT_EQ(0, CountSets(RequestsSince(from), OID_802_11_DISASSOCIATE));
}

// ---- The 802.1X step ----------------------------------------------------------

class Dot1xStep : public PollEngine {
protected:
    StationConfig* PeapRecord(DWORD inner)
    {
        StationConfig* r = AllocStationConfig();
        r->ssid = Ssid("Kestiq-Corp");
        r->infrastructureMode = Ndis802_11Infrastructure;
        r->authMode = Ndis802_11AuthModeWPA2;
        r->encryption = Ndis802_11Encryption3Enabled;
        r->eapMethod = 0;
        r->innerMethod = inner;
        lstrcpynA(r->identity, "alice", 128);
        lstrcpynA(r->password, "wonderland", 128);
        lstrcpynA(r->tunnelId, "otp-user", 128);
        lstrcpynA(r->tunnelPassword, "stored-secret", 128);
        lstrcpynA(r->domainName, "CORP", 128);
        lstrcpynA(r->serverName, "radius.corp", 128);
        return r;
    }
    void Apply(StationConfig* r)
    {
        ASSERT_TRUE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, r));
        m_dlg.ConnectProfile();
    }
};

TEST_F(Dot1xStep, TokenCardMethodsAskForTheOneTimePasswordOnce)
{
    g_hAuthPort = 1;
    m_dlg.OpenMainWindow();
    ASSERT_TRUE(m_dlg.m_pMainDlg && m_dlg.m_pMainDlg->IsWindow());
    m_dlg.ShowPage(PANEL_LINK_STATUS);

    Apply(PeapRecord(6));
    EXPECT_EQ(PANEL_PEAP_SETTING, m_dlg.m_nCurPanel);
    ASSERT_TRUE(g_pCurProfile);
    // Nothing is taken from the prompt before the user confirms it.
    EXPECT_STREQ("otp-user", g_pCurProfile->tunnelId);
    EXPECT_STREQ("stored-secret", g_pCurProfile->tunnelPassword);
    EXPECT_EQ(0, g_pCurProfile->identityPromptDone);
    EXPECT_STREQ("alice", g_AuthCredentialTexts.identity);
    EXPECT_STREQ("otp-user", g_AuthCredentialTexts.tunnelId);
    EXPECT_STREQ("wonderland", g_AuthCredentialTexts.password);
    EXPECT_STREQ("stored-secret", g_AuthCredentialTexts.tunnelPassword);
    EXPECT_STREQ("CORP", g_AuthCredentialTexts.domainName);
    EXPECT_STREQ("radius.corp", g_AuthCredentialTexts.serverName);
    EXPECT_TRUE(g_b8021xInUse);
    EXPECT_TRUE(g_bHiddenSsidCancelled);

    CompleteIdentityPrompt("token-user", "493021");
    EXPECT_STREQ("token-user", g_pCurProfile->tunnelId);
    EXPECT_STREQ("493021", g_pCurProfile->tunnelPassword);
    EXPECT_EQ(1, g_pCurProfile->identityPromptDone);
    EXPECT_STREQ("493021", g_AuthCredentialTexts.tunnelPassword);

    // The same profile again, as the poll re-applies it: no second prompt.
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    StationConfig* again = nullptr;
    ASSERT_TRUE(CopyStationConfig(&again, g_pCurProfile));
    Apply(again);
    EXPECT_EQ(PANEL_LINK_STATUS, m_dlg.m_nCurPanel);

    // Other inner methods never prompt; the status panel shows when asked for.
    g_bShowAuthStatus = TRUE;
    Apply(PeapRecord(26));
    EXPECT_EQ(PANEL_AUTH_STATUS, m_dlg.m_nCurPanel);
}

TEST_F(Dot1xStep, LeapCredentialsBecomeTheProfilesIdentity)
{
    g_hAuthPort = 1;
    StationConfig* r = PeapRecord(26);
    r->authMode = Ndis802_11AuthModeOpen;
    r->encryption = Ndis802_11WEPEnabled;
    r->leapEnabled = 1;
    lstrcpynA(r->leapUserName.text, "leap-user", 256);
    lstrcpynA(r->leapPassword.text, "leap-pass", 256);
    lstrcpynA(r->leapDomain.text, "LEAPDOM", 256);
    DWORD from = Mark();
    Apply(r);
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_EQ(5u, g_pCurProfile->eapMethod);
    EXPECT_STREQ("leap-user", g_pCurProfile->identity);
    EXPECT_STREQ("leap-pass", g_pCurProfile->tunnelPassword);
    EXPECT_STREQ("LEAPDOM", g_pCurProfile->domainName);
    EXPECT_EQ(1u, SetValue(RequestsSince(from), OID_VENDOR_LEAP));
}

TEST_F(Dot1xStep, CertificatesAreCopiedWithinTheirRecord)
{
    g_hAuthPort = 1;
    StationConfig* r = PeapRecord(26);
    r->useClientCert = 1;
    r->clientCertLength = 400;   // damaged: the record holds 152
    std::memset(r->clientCert, 0xC1, sizeof(r->clientCert));
    r->useServerCert = 1;
    r->serverCertLength = 20;
    std::memset(r->serverCert, 0x5E, 20);
    std::memset(&g_AuthServerCert, 0x77, sizeof(g_AuthServerCert));
    Apply(r);
    EXPECT_EQ(152u, g_AuthClientCert.length);
    EXPECT_EQ(0xC1, g_AuthClientCert.data[151]);
    EXPECT_EQ(20u, g_AuthServerCert.length);
    EXPECT_EQ(0x5E, g_AuthServerCert.data[19]);
    EXPECT_EQ(0, g_AuthServerCert.data[20]) << "cleared before the copy";
}

TEST_F(Dot1xStep, WithoutAnOpenPortNothingGoesToThe8021xLayer)
{
    g_hAuthPort = 0;
    g_nWzcMode = WZC_MANAGES;
    std::memset(&g_AuthCredentialTexts, 0, sizeof(g_AuthCredentialTexts));
    m_dlg.OpenMainWindow();
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    Apply(PeapRecord(6));
    EXPECT_STREQ("", g_AuthCredentialTexts.identity);
    EXPECT_EQ(PANEL_LINK_STATUS, m_dlg.m_nCurPanel);
    EXPECT_FALSE(g_b8021xInUse);
}

// ---- Wireless mode ------------------------------------------------------------

using WirelessModeRead = EngineTest;

TEST_F(WirelessModeRead, NormalisedOnEveryRead)
{
    struct {
        const char* stored;   // nullptr: missing
        BOOL dualBand, ht;
        int mode;
    } cases[] = {
        { nullptr, TRUE, TRUE, 5 },   { nullptr, FALSE, TRUE, 9 }, { nullptr, TRUE, FALSE, 3 },
        { nullptr, FALSE, FALSE, 0 }, { "7", TRUE, TRUE, 4 },      { "8", TRUE, TRUE, 2 },
        { "8", FALSE, TRUE, 0 },      { "10", TRUE, TRUE, 2 },     { "5", TRUE, FALSE, 3 },
        { "5", FALSE, FALSE, 0 },     { "6", TRUE, FALSE, 0 },     { "9", TRUE, FALSE, 0 },
        { "2", FALSE, TRUE, 0 },      { "1", FALSE, FALSE, 1 },    { "abc", TRUE, TRUE, 0 },   // atoi: 0
        { "", FALSE, TRUE, 0 },       { "42", TRUE, FALSE, 3 },    { "-1", TRUE, TRUE, 5 },    // not a mode: missing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.stored ? c.stored : "missing") << " dual " << c.dualBand << " ht "
                                        << c.ht);
        WriteAdapterKey({});
        if (c.stored) PutValue(Text("WirelessMode", c.stored));
        g_bDualBand = c.dualBand;
        g_bHtDevice = c.ht;
        EXPECT_EQ(c.mode, ReadWirelessModeOrDefault());
    }
}

// ---- Kestiq.exe ---------------------------------------------------------------

// The installed adapter's own key, as Kestiq.exe finds it.
std::string InstalledAdapterKey()
{
    CString saved = g_strAdapterRegPath;
    CHideDlg probe;
    std::string path = probe.FindAndOpenAdapter() ? std::string(g_strAdapterRegPath.GetString()) : std::string();
    g_strAdapterRegPath = saved;
    return path;
}

bool SupplicantLibraryBuilt()
{
    std::string dll = std::string(KQ_BINARY_DIR) + "/acAuth.dll";
    return GetFileAttributesA(dll.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class KestiqConnects : public kqtest::DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        if (HasFatalFailure()) return;
        m_path = InstalledAdapterKey();
        ASSERT_FALSE(m_path.empty());
        m_key.reset(new KeySnapshot(m_path));
        m_default.reset(new KeySnapshot(m_path + "\\Default"));
        lstrcpynA(g_szDevicePath, ("\\\\.\\" + kGuid).c_str(), MAX_PATH);
        ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
    }
    void TearDown() override
    {
        m_kestiq.Stop();
        m_default.reset();
        m_key.reset();
        DefaultAdapterTest::TearDown();
    }
    void Put(const char* name, const char* text)
    {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, m_path.c_str(), name, REG_SZ, text, (DWORD)std::strlen(text));
    }
    void PutProfile(const char* ssid, const char* auth, const char* enc, const char* psk)
    {
        Put("SSID", ssid);
        Put("NetworkType", "1");
        Put("AuthenType", auth);
        Put("Encryption", enc);
        Put("WPAPSK", psk);
        Put("WSC", "0");
    }
    bool IconBecomes(int icon, DWORD ms = 30000)
    {
        return kqtest::WaitFor([&] { return m_kestiq.Icon() == icon; }, ms);
    }
    // The supplicant stand-in's verdict on a login since mark ("authorized"
    // or "failed"), once it has one.
    bool VerdictSince(DWORD mark, const std::string& verdict)
    {
        return kqtest::WaitFor([&] {
            std::vector<kqsim::LogEntry> log;
            m_sim.ReadLog(log, mark);
            for (const kqsim::LogEntry& e : log)
                if (e.IsSupplicantCall() && e.text.compare(0, 8 + verdict.size(), "verdict " + verdict) == 0)
                    return true;
            return false;
        }, 30000);
    }

    std::string m_path;
    std::unique_ptr<KeySnapshot> m_key, m_default;
    kqtest::KestiqProcess m_kestiq;
};

TEST_F(KestiqConnects, StartedWithAnOpenNetworkItConnectsByItsOwnTimers)
{
    PutProfile("Kestiq-Open", "0", "1", "");
    ASSERT_TRUE(m_kestiq.Start(kqtest::BuiltProgram(), "-s"));
    ASSERT_TRUE(m_kestiq.WaitReady());
    // Its scan, timer 2 and the poll, left to run on their own.
    EXPECT_TRUE(IconBecomes(131));
    EXPECT_EQ("Tolvane Wireless LAN Adapter\nStatus : Good (Kestiq-Open)", m_kestiq.Tip());
}

TEST_F(KestiqConnects, Wpa2PskThroughTheSupplicantLibrary)
{
    if (!SupplicantLibraryBuilt()) GTEST_SKIP() << "needs the supplicant library acAuth.dll beside Kestiq.exe";
    struct {
        const char* passphrase;
        bool connects;
    } cases[] = { { "kestiq-secret", true }, { "wrong-secret", false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.passphrase);
        ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
        PutProfile("Kestiq-Home", "7", "6", c.passphrase);
        DWORD mark = 0;
        ASSERT_TRUE(m_sim.NextSeq(mark));
        ASSERT_TRUE(m_kestiq.Start(kqtest::BuiltProgram(), "-s"));
        ASSERT_TRUE(m_kestiq.WaitReady());
        m_kestiq.FinishStartupApply();
        if (c.connects) {
            EXPECT_TRUE(IconBecomes(131));
        } else {
            // The login is over once the supplicant has refused it; a poll
            // after that shows what the link came to.
            ASSERT_TRUE(VerdictSince(mark, "failed")) << "the supplicant never decided";
            m_kestiq.Tick();
            EXPECT_EQ(132, m_kestiq.Icon());
            DWORD media = 0;
            QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
            EXPECT_EQ(1u, media) << "the driver never reports the link up";
        }
        m_kestiq.Stop();
    }
}

}  // namespace
}  // namespace kqengine
