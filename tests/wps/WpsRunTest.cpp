// The adapter's WPS button pressed, with the controller made in this process
// on the installed adapter: the run is watched (timers 5, 6, 7), the
// delivered credentials are stored under WscProfile and applied in turn
// (timer 4).  The test delivers the timer events itself.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "auth/AuthFixture.h"
#include "auth/AuthLogRing.h"
#include "auth/SupplicantBinding.h"
#include "core/OidChannel.h"
#include "core/StationConfig.h"
#include "core/WpsRuntime.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/Restore.h"
#include "support/Wait.h"
#include "support/WpsCredentials.h"
#include "tray/AdapterFixture.h"
#include "tray/ControllerFixture.h"

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;

WpsCredential Cred(const std::string& ssid, DWORD auth, DWORD encr, DWORD keyIndex, const std::string& key,
                   BYTE macLast)
{
    const BYTE mac[6] = {0x00, 0x0C, 0x43, 0x55, 0x00, macLast};
    return kqtest::MakeWpsCredential(ssid, auth, encr, keyIndex, key, mac);
}

// Three credentials of networks that are not in the air.
WpsCredentialBlock ThreeCredentials()
{
    WpsCredentialBlock b;
    std::memset(&b, 0, sizeof(b));
    b.count = 3;
    b.cred[0] = Cred("Cred-A", 0x20, 0x08, 0, "first-passphrase", 0xA1);
    b.cred[1] = Cred("Cred-B", 0x01, 0x02, 0, "000102030405060708090A0B0C", 0xB1);
    b.cred[2] = Cred("Cred-C", 0x01, 0x02, 2, "abcde", 0xC1);
    return b;
}

std::string Flatten(const kqtest::KeyImage& img)
{
    std::string s = img.exists ? "+" : "-";
    for (const auto& v : img.values)
        s += v.name + "=" + std::to_string(v.type) + ":" + std::string(v.data.begin(), v.data.end()) + ";";
    for (const auto& k : img.subkeys) s += "[" + k.first + Flatten(k.second) + "]";
    return s;
}

class WpsRun : public kqtest::QuietControllerTest {
protected:
    void SetUp() override
    {
        m_keyPath = kqtest::AdapterKeyPath(kGuid);
        ASSERT_FALSE(m_keyPath.empty());
        m_keys.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, m_keyPath));
        // No credentials stored and no connection through one at start.
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), "WSC");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, WscKey().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, WscKey().c_str());
        QuietControllerTest::SetUp();
    }
    void TearDown() override
    {
        QuietControllerTest::TearDown();
        m_keys.reset();
    }

    std::string WscKey() const { return m_keyPath + "\\WscProfile"; }

    void ConfigureRun(const WpsCredentialBlock* block, DWORD failCode = 0, DWORD failAfter = 0)
    {
        KQSIM_WPS_CONFIG cfg{};
        std::strcpy(cfg.guid, kGuid.c_str());
        cfg.stepMs = 1;
        cfg.failCode = failCode;
        cfg.failAfter = failAfter;
        if (block) {
            cfg.useCredentials = 1;
            std::memcpy(cfg.credentials, block, sizeof(*block));
        }
        ASSERT_TRUE(m_sim.SetWps(cfg));
    }
    // The adapter's button, seen by the button poll (timer 5).
    void PressButton()
    {
        ASSERT_TRUE(m_sim.PressWpsButton(kGuid));
        Tick(IDT_WPS_BUTTON);
    }
    // The driver's script reaches the code on its own clock; the status
    // timer of the run stays queued for the test's own tick.
    bool WaitCode(DWORD code)
    {
        return kqtest::WaitForWithoutPumping([&] {
            kqsim::AdapterState st;
            return m_sim.GetAdapter(kGuid, st) && st.wpsCode == code;
        }, 20000);
    }
    // A whole run to "configured", the status poll (timer 6) taking it.
    void RunToConfigured(const WpsCredentialBlock* block)
    {
        ConfigureRun(block);
        PressButton();
        ASSERT_TRUE(WaitCode(15));
        Tick(IDT_WPS_STATUS);
    }
    DWORD NextSeq()
    {
        DWORD seq = 0;
        m_sim.NextSeq(seq);
        return seq;
    }
    std::vector<kqsim::LogEntry> Log(DWORD from) { return kqsim::AdapterLog(m_sim, kGuid, from); }

    std::string m_keyPath;
    std::unique_ptr<kqtest::KeyGuard> m_keys;
    // Globals of the WPS run time the tests change.
    kqtest::Restore<WpsCredentialBlock> m_block{g_WscCredentials};
    kqtest::Restore<int> m_index{g_nWpsCredIndex}, m_next{g_nWpsCredNext};
    kqtest::Restore<BOOL> m_rotate{g_bWpsRotate}, m_inUse{g_bWscInUse};
};

// The SSIDs the driver was asked to join, in order.
std::vector<std::string> SsidSets(const std::vector<kqsim::LogEntry>& log)
{
    std::vector<std::string> out;
    for (const kqsim::LogEntry& e : log) {
        if (e.kind != KQSIM_LOG_SET || e.BaseOid() != OID_802_11_SSID || e.data.size() < 36) continue;
        DWORD n = 0;
        std::memcpy(&n, e.data.data(), 4);
        out.emplace_back((const char*)e.data.data() + 4, n > 32 ? 32 : n);
    }
    return out;
}

struct AddedKey {
    DWORD length, index;
    std::vector<BYTE> key;
};

std::vector<AddedKey> AddedKeys(const std::vector<kqsim::LogEntry>& log)
{
    std::vector<AddedKey> out;
    for (const kqsim::LogEntry& e : log) {
        if (e.kind != KQSIM_LOG_SET || e.BaseOid() != OID_802_11_ADD_KEY || e.data.size() < 32 || !e.Succeeded())
            continue;
        DWORD hdr[3];
        std::memcpy(hdr, e.data.data(), 12);
        DWORD n = hdr[2] > e.data.size() - 32 ? (DWORD)e.data.size() - 32 : hdr[2];
        out.push_back({hdr[0], hdr[1], std::vector<BYTE>(e.data.begin() + 32, e.data.begin() + 32 + n)});
    }
    return out;
}

int CountRequests(const std::vector<kqsim::LogEntry>& log, int kind, DWORD oid)
{
    int n = 0;
    for (const kqsim::LogEntry& e : log)
        if (e.kind == kind && e.BaseOid() == oid) ++n;
    return n;
}

// The line of a failed 802.1X login, when the ring holds one.
std::string FailureLine()
{
    for (int i = 0; i < AUTH_LOG_LINES; ++i) {
        char line[AUTH_LOG_LINE_SIZE] = {};
        ReadAuthLogLine(i, line, sizeof(line));
        for (const char* failure : {"Authenticating Timeout.", "EAP failure reason is not known.",
                                    "Authentication failed - Identity or password is invalid."})
            if (std::strcmp(line, failure) == 0) return line;
    }
    return "";
}

TEST_F(WpsRun, ButtonStartsTheStatusAndScanWatch)
{
    ConfigureRun(nullptr);
    Tick(IDT_WPS_BUTTON);
    EXPECT_FALSE(TakeTimer(IDT_WPS_STATUS)) << "no press, no watch";
    PressButton();
    EXPECT_TRUE(g_bWscInUse);
    EXPECT_TRUE(g_bWpsRotate);
    EXPECT_TRUE(TakeTimer(IDT_WPS_STATUS));
    EXPECT_TRUE(TakeTimer(IDT_WPS_SCAN));

    // The walk-time scan reads the driver's list once and ends.
    SetTimer(m_dlg.m_hWnd, IDT_WPS_SCAN, 20000, nullptr);
    DWORD from = NextSeq();
    Tick(IDT_WPS_SCAN);
    EXPECT_EQ(1, CountRequests(Log(from), KQSIM_LOG_QUERY, OID_802_11_BSSID_LIST));
    EXPECT_FALSE(TakeTimer(IDT_WPS_SCAN));
}

TEST_F(WpsRun, DeliveredCredentialsAreStoredUnderWscProfile)
{
    WpsCredentialBlock three = ThreeCredentials();
    RunToConfigured(&three);

    EXPECT_FALSE(TakeTimer(IDT_WPS_STATUS));
    EXPECT_FALSE(TakeTimer(IDT_WPS_SCAN));
    EXPECT_TRUE(TakeTimer(IDT_WPS_CREDENTIAL)) << "rotation runs every 10 seconds";

    EXPECT_EQ("1", kqtest::ReadText(m_keyPath, "WSC"));
    EXPECT_EQ("3", kqtest::ReadText(WscKey(), "NumberofProfile"));
    EXPECT_EQ("0", kqtest::ReadText(WscKey(), "ConfigMode"));
    const struct {
        const char *ssid, *auth, *encr, *index, *length, *key;
        BYTE macLast;
    } rows[] = {
        {"Cred-A", "32", "8", "0", "16", "first-passphrase", 0xA1},
        {"Cred-B", "1", "2", "0", "26", "000102030405060708090A0B0C", 0xB1},
        {"Cred-C", "1", "2", "2", "5", "abcde", 0xC1},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(rows[i].ssid);
        std::string k = WscKey() + "\\Profile" + std::to_string(i);
        EXPECT_EQ(rows[i].ssid, kqtest::ReadText(k, "SSID"));
        EXPECT_EQ(rows[i].auth, kqtest::ReadText(k, "AuthType"));
        EXPECT_EQ(rows[i].encr, kqtest::ReadText(k, "EncryType"));
        EXPECT_EQ(rows[i].index, kqtest::ReadText(k, "KeyIndex"));
        EXPECT_EQ(rows[i].length, kqtest::ReadText(k, "KeyLength"));
        EXPECT_EQ(rows[i].key, kqtest::ReadText(k, "Key"));
        DWORD type = 0;
        std::vector<BYTE> mac;
        ASSERT_TRUE(kqtest::ReadValue(k, "MacAddress", &type, &mac));
        EXPECT_EQ((DWORD)REG_BINARY, type);
        EXPECT_EQ(std::vector<BYTE>({0x00, 0x0C, 0x43, 0x55, 0x00, rows[i].macLast}), mac);
    }

    EXPECT_EQ(0, g_nWpsCredIndex) << "the first one is tried first";
}

TEST_F(WpsRun, CredentialsReachTheDriverInTurnUntilOneConnects)
{
    WpsCredentialBlock three = ThreeCredentials();
    DWORD from = NextSeq();
    RunToConfigured(&three);
    // None of them is in the air: every timer-4 event tries the next one.
    std::vector<int> tried = {g_nWpsCredIndex};
    for (int i = 0; i < 3; ++i) {
        Tick(IDT_WPS_CREDENTIAL);
        tried.push_back(g_nWpsCredIndex);
    }
    EXPECT_EQ(std::vector<int>({0, 1, 2, 0}), tried);
    std::vector<kqsim::LogEntry> log = Log(from);
    EXPECT_EQ(std::vector<std::string>({"Cred-A", "Cred-B", "Cred-C", "Cred-A"}), SsidSets(log));

    // Each WEP credential puts its key in its own slot as the transmit key:
    // 26 hex digits give 13 bytes, 5 characters a 5-byte ASCII key.
    std::vector<AddedKey> keys = AddedKeys(log);
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(0x80000000u, keys[0].index);
    EXPECT_EQ(std::vector<BYTE>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), keys[0].key);
    EXPECT_EQ(13u + 39, keys[0].length);
    EXPECT_EQ(0x80000002u, keys[1].index);
    EXPECT_EQ(std::vector<BYTE>({'a', 'b', 'c', 'd', 'e'}), keys[1].key);
    EXPECT_EQ(5u + 39, keys[1].length);

    // The third network comes into range: its turn connects, and the next
    // timer-4 event finds the link up and ends the rotation.
    KQSIM_NETWORK c = kqsim::MakeNetwork("Cred-C", "00:0C:43:55:00:C1", 6, -50, KQSIM_SEC_WEP);
    c.wepTxKey = 2;
    c.wepKeyLen[2] = 5;
    std::memcpy(c.wepKey[2], "abcde", 5);
    ASSERT_TRUE(m_sim.PutNetwork(c));
    Tick(IDT_WPS_CREDENTIAL);
    Tick(IDT_WPS_CREDENTIAL);
    ASSERT_EQ(2, g_nWpsCredIndex);
    kqsim::AdapterState st;
    ASSERT_TRUE(m_sim.GetAdapter(kGuid, st));
    EXPECT_TRUE(st.connected);
    SetTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL, 10000, nullptr);
    from = NextSeq();
    Tick(IDT_WPS_CREDENTIAL);
    EXPECT_FALSE(TakeTimer(IDT_WPS_CREDENTIAL)) << "connected: the rotation ends";
    EXPECT_TRUE(SsidSets(Log(from)).empty());
    EXPECT_EQ(2, g_nWpsCredIndex);
}

TEST_F(WpsRun, APressDuringRotationStopsItUntilTheNewRunIsConfigured)
{
    WpsCredentialBlock three = ThreeCredentials();
    RunToConfigured(&three);
    Tick(IDT_WPS_CREDENTIAL);
    ASSERT_EQ(1, g_nWpsCredIndex);

    ConfigureRun(&three);
    PressButton();
    EXPECT_FALSE(TakeTimer(IDT_WPS_CREDENTIAL)) << "rotation stopped by the press";
    EXPECT_TRUE(TakeTimer(IDT_WPS_STATUS));
    EXPECT_TRUE(TakeTimer(IDT_WPS_SCAN));

    ASSERT_TRUE(WaitCode(15));
    Tick(IDT_WPS_STATUS);
    EXPECT_TRUE(TakeTimer(IDT_WPS_CREDENTIAL)) << "the new run rotates again";
    EXPECT_EQ(0, g_nWpsCredIndex) << "from its first credential";
}

TEST_F(WpsRun, AFailureCodeEndsTheRunAndKeepsTheStoredCredentials)
{
    WpsCredentialBlock three = ThreeCredentials();
    RunToConfigured(&three);
    std::string before = Flatten(kqtest::KeyImage::Take(HKEY_LOCAL_MACHINE, WscKey()));
    ASSERT_NE(std::string::npos, before.find("Cred-C"));

    WpsCredentialBlock other = ThreeCredentials();
    other.count = 1;
    ConfigureRun(&other, 0x105, 2);
    PressButton();
    ASSERT_TRUE(WaitCode(0x105));
    SetTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL, 10000, nullptr);
    DWORD from = NextSeq();
    Tick(IDT_WPS_STATUS);

    EXPECT_FALSE(TakeTimer(IDT_WPS_CREDENTIAL));
    EXPECT_FALSE(TakeTimer(IDT_WPS_STATUS));
    EXPECT_FALSE(TakeTimer(IDT_WPS_SCAN));
    EXPECT_EQ(0, CountRequests(Log(from), KQSIM_LOG_QUERY, OID_VENDOR_WSC_CREDENTIALS));
    EXPECT_EQ(before, Flatten(kqtest::KeyImage::Take(HKEY_LOCAL_MACHINE, WscKey())));
}

TEST_F(WpsRun, StatusCodesOtherThanTheEndsKeepWatching)
{
    // Slow enough to catch the run at its first step (code 2).
    KQSIM_WPS_CONFIG cfg{};
    std::strcpy(cfg.guid, kGuid.c_str());
    cfg.stepMs = 60000;
    ASSERT_TRUE(m_sim.SetWps(cfg));
    PressButton();
    ASSERT_TRUE(WaitCode(2));
    Tick(IDT_WPS_STATUS);
    EXPECT_TRUE(TakeTimer(IDT_WPS_STATUS)) << "code 2 keeps the status poll";

    // An idle adapter (code 0) ends it.
    ASSERT_TRUE(m_sim.ResetAdapter(kGuid));
    SetTimer(m_dlg.m_hWnd, IDT_WPS_STATUS, 1000, nullptr);
    Tick(IDT_WPS_STATUS);
    EXPECT_FALSE(TakeTimer(IDT_WPS_STATUS));
}

TEST_F(WpsRun, ABadBlockKeepsItsGoodEntriesAndANoneGoodOneChangesNothing)
{
    WpsCredentialBlock bad = ThreeCredentials();
    bad.count = 9;   // more than there can be
    bad.cred[0].KeyLength = 70;
    bad.cred[3] = Cred("Cred-D", 0x01, 0x02, 0, "sixteen-chars-ok", 0xD1);   // would be a key of zeros
    bad.cred[4] = Cred("Cred-E", 0x20, 0x08, 0, "fifth-passphrase", 0xE1);
    bad.cred[5] = Cred("Cred-F", 0x20, 0x08, 0, "sixth-passphrase", 0xF1);
    bad.cred[5].ssid.SsidLength = 40;
    RunToConfigured(&bad);

    EXPECT_EQ("3", kqtest::ReadText(WscKey(), "NumberofProfile"));
    EXPECT_EQ("Cred-B", kqtest::ReadText(WscKey() + "\\Profile0", "SSID"));
    EXPECT_EQ("Cred-C", kqtest::ReadText(WscKey() + "\\Profile1", "SSID"));
    EXPECT_EQ("Cred-E", kqtest::ReadText(WscKey() + "\\Profile2", "SSID"));
    EXPECT_FALSE(kqtest::KeyExists(WscKey() + "\\Profile3"));
    EXPECT_EQ(3u, g_WscCredentials.count);

    std::string before = Flatten(kqtest::KeyImage::Take(HKEY_LOCAL_MACHINE, WscKey()));
    WpsCredentialBlock none = ThreeCredentials();
    none.count = 1;
    none.cred[0].KeyIndex = 7;
    RunToConfigured(&none);
    EXPECT_EQ(before, Flatten(kqtest::KeyImage::Take(HKEY_LOCAL_MACHINE, WscKey())));
    EXPECT_EQ(3u, g_WscCredentials.count);
}

// A WPS credential is no stored profile, whatever profile was applied
// before: a failed 802.1X login through it writes its line and leaves the
// link alone (no disassociation, no blocking SSID, the poll may connect
// again), whether the credential came with the button run or its turn came
// in the rotation.
TEST_F(WpsRun, AFailedLoginThroughAWpsCredentialCountsAsAOneOffConnection)
{
    kqtest::Restore<BOOL> fromRegistry{g_bConfigFromRegistry}, autoConnect{g_bAutoConnect};
    kqtest::Restore<int> reason{g_nAuthFailReason};
    ASSERT_TRUE(g_hAuthPort) << "the controller opened the adapter's port";
    KQSIM_NETWORK corp = kqsim::MakeNetwork("Cred-Corp", "00:0C:43:55:00:E1", 6, -50, KQSIM_SEC_WPA2_1X);
    std::strcpy(corp.eap, "method=tls identity=nobody cert=required");
    ASSERT_TRUE(m_sim.PutNetwork(corp));
    ASSERT_TRUE(kqtest::Stand().configure);
    kqtest::Stand().configure("timeout=300");
    WpsCredentialBlock block;
    std::memset(&block, 0, sizeof(block));
    block.count = 1;
    block.cred[0] = Cred("Cred-Corp", 0x10, 0x08, 0, "", 0xE1);

    for (const char* road : {"button run", "rotation"}) {
        SCOPED_TRACE(road);
        // As after a stored profile was applied.
        g_bConfigFromRegistry = TRUE;
        g_bAutoConnect = 1;
        g_nAuthFailReason = 99;
        ClearAuthLogRing();
        DWORD from = NextSeq();
        if (std::strcmp(road, "button run") == 0) RunToConfigured(&block);
        else Tick(IDT_WPS_CREDENTIAL);
        ASSERT_EQ(std::vector<std::string>({"Cred-Corp"}), SsidSets(Log(from)));
        ASSERT_TRUE(kqtest::WaitUntil([] { return !FailureLine().empty(); })) << "the login fails";
        EXPECT_FALSE(g_bConfigFromRegistry);
        EXPECT_EQ(1, g_bAutoConnect);
        EXPECT_EQ(99, g_nAuthFailReason);
        std::vector<kqsim::LogEntry> log = Log(from);
        EXPECT_EQ(1, CountRequests(log, KQSIM_LOG_SET, OID_802_11_DISASSOCIATE)) << "the apply's own only";
        EXPECT_EQ(std::vector<std::string>({"Cred-Corp"}), SsidSets(log)) << "no blocking SSID";
        ASSERT_TRUE(AuthPortStop(g_pAuthPort));
    }
    kqtest::Stand().reset();
}

// The check that ends the rotation, on a live link of each kind of
// credential: it holds for the credential the link was made with and for no
// other authentication or encryption.
TEST_F(WpsRun, TheLinkIsTheCredentialsOnlyWithItsOwnAuthenticationAndEncryption)
{
    struct Case {
        const char* what;
        unsigned security, ciphers;
        const char* psk;
        DWORD auth, encr;
    } cases[] = {
        {"WPA2-PSK with AES", KQSIM_SEC_WPA2_PSK, KQSIM_CIPHER_AES, "aes-passphrase", 0x20, 0x08},
        {"WPA-PSK with TKIP", KQSIM_SEC_WPA_PSK, KQSIM_CIPHER_TKIP, "tkip-passphrase", 0x02, 0x04},
        {"open", KQSIM_SEC_OPEN, 0, "", 0x01, 0x01},
    };
    const DWORD auths[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20};
    const DWORD encrs[] = {0x01, 0x02, 0x04, 0x08};
    BYTE last = 0xD0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        char bssid[32];
        std::snprintf(bssid, sizeof(bssid), "00:0C:43:55:00:%02X", ++last);
        KQSIM_NETWORK net = kqsim::MakeNetwork(c.what, bssid, 6, -50, c.security);
        net.ciphers = c.ciphers;
        std::strcpy(net.psk, c.psk);
        net.pskLen = (unsigned char)std::strlen(c.psk);
        ASSERT_TRUE(m_sim.PutNetwork(net));
        std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
        g_WscCredentials.count = 1;
        g_WscCredentials.cred[0] = Cred(c.what, c.auth, c.encr, 0, c.psk, last);
        g_bWpsRotate = TRUE;
        g_nWpsCredNext = 0;
        ASSERT_TRUE(ConnectWpsCredential());
        ASSERT_TRUE(kqtest::WaitUntil([&] {
            kqsim::AdapterState st;
            return m_sim.GetAdapter(kGuid, st) && st.connected;
        }));
        EXPECT_TRUE(IsConnectedToWpsCredential());
        WpsCredential& cred = g_WscCredentials.cred[0];
        for (DWORD a : auths) {
            cred.AuthType = a;
            EXPECT_EQ(a == c.auth, IsConnectedToWpsCredential() != FALSE) << "authentication " << a;
        }
        cred.AuthType = c.auth;
        for (DWORD e : encrs) {
            cred.EncrType = e;
            EXPECT_EQ(e == c.encr, IsConnectedToWpsCredential() != FALSE) << "encryption " << e;
        }
        cred.EncrType = c.encr;
        cred.ssid.Ssid[0] ^= 0x20;
        EXPECT_FALSE(IsConnectedToWpsCredential()) << "another SSID";
        cred.ssid.Ssid[0] ^= 0x20;
        ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
        EXPECT_FALSE(IsConnectedToWpsCredential()) << "no link";
    }
}

TEST_F(WpsRun, RotationStopsWhenTheCredentialTimerFindsNothingToDo)
{
    std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
    g_bWscInUse = TRUE;
    SetTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL, 10000, nullptr);
    Tick(IDT_WPS_CREDENTIAL);
    EXPECT_FALSE(TakeTimer(IDT_WPS_CREDENTIAL)) << "no credentials";

    g_WscCredentials = ThreeCredentials();
    g_bWpsRotate = FALSE;
    SetTimer(m_dlg.m_hWnd, IDT_WPS_CREDENTIAL, 10000, nullptr);
    Tick(IDT_WPS_CREDENTIAL);
    EXPECT_FALSE(TakeTimer(IDT_WPS_CREDENTIAL)) << "no rotation";
}

}  // namespace
