// Kestiq.exe itself against the accounts of the simulated air: the active
// profile of the adapter key is applied at start, the program's own timers
// poll the link, and the supplicant stand-in decides on what the program's
// credential worker answered.  Each method authenticates and the icon turns
// good; a wrong password shows the re-entry panel, where the right one is
// stored and connects; a server that fails the CA check ends in 301.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

#include "certs/StoreCert.h"
#include "certs/TestCertificates.h"
#include "core/AdapterDiscovery.h"
#include "core/HexUtil.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "credential/Accounts.h"
#include "mainwnd/WindowProbe.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/Restore.h"
#include "tray/AdapterFixture.h"
#include "tray/KestiqProcess.h"

namespace {

using kqtest::Dot1xProfile;
using kqtest::WaitFor;

const char kWindowTitle[] = "Tolvane Wireless Utility";

std::string HexOf(const std::vector<BYTE>& bytes)
{
    std::string s;
    char hex[3];
    for (BYTE b : bytes) {
        std::snprintf(hex, sizeof(hex), "%02x", b);
        s += hex;
    }
    return s;
}

std::vector<BYTE> Sha1Of(const BYTE* der, DWORD size)
{
    std::vector<BYTE> hash(20);
    DWORD n = 20;
    if (!CryptHashCertificate(0, CALG_SHA1, 0, der, size, hash.data(), &n)) hash.clear();
    return hash;
}

class ProgramTest : public kqtest::DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        m_adapterPath = kqtest::AdapterKeyPath(kGuid);
        ASSERT_FALSE(m_adapterPath.empty());
        m_key.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, m_adapterPath));
        g_strAdapterRegPath = m_adapterPath.c_str();
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, (m_adapterPath + "\\Profile\\Station").c_str());
        // Only the test's networks, so that nothing else is joined.
        ASSERT_TRUE(m_sim.ClearNetworks());
    }
    void TearDown() override
    {
        m_kestiq.Stop();
        for (const std::string& f : m_files) DeleteFileA(f.c_str());
        m_key.reset();
        DefaultAdapterTest::TearDown();
    }

    void PutNetwork(const char* ssid, int n, unsigned security, const std::string& eap)
    {
        ASSERT_TRUE(kqtest::PutAccount(m_sim, ssid, n, security, eap));
    }
    // The profile stored and made the adapter key's active one, as the
    // profile page's Activate leaves it.
    void Activate(const char* name, const ProfileSettings& s)
    {
        ASSERT_TRUE(WriteProfile(name, s));
        ASSERT_TRUE(WriteAdapterText(REGSTR_CUR_PROFILE, name));
        ASSERT_TRUE(WriteAdapterText(REGSTR_PROFILE_WPS, "0"));
        ASSERT_TRUE(CopyProfileToAdapterKey(name));
    }
    // Kestiq.exe started (with the configuration window unless "-s"); its
    // start-up apply goes on without waiting out the scan.
    void Start(const char* args)
    {
        ASSERT_TRUE(m_kestiq.Start(kqtest::BuiltProgram(), args));
        ASSERT_TRUE(m_kestiq.WaitReady());
        m_kestiq.FinishStartupApply();
    }
    bool IconGood(DWORD ms = 30000) { return WaitFor([&] { return m_kestiq.Icon() == IDI_TRAY_GOOD; }, ms); }
    DWORD Mark() { return kqtest::LogMark(m_sim); }
    std::vector<std::string> Supplicant(DWORD mark, const std::string& prefix)
    {
        return kqtest::SupplicantLines(m_sim, mark, prefix);
    }
    // The stand-in's lines since mark that begin with prefix, once there is
    // one: it logs its verdict after the driver has it, so the link (and the
    // icon) may be up a moment before.
    std::vector<std::string> SupplicantOnceSaid(DWORD mark, const std::string& prefix)
    {
        WaitFor([&] { return !Supplicant(mark, prefix).empty(); }, 20000);
        return Supplicant(mark, prefix);
    }
    std::string Stored(const std::string& profile, const char* value)
    {
        return kqtest::StoredValue(m_adapterPath, profile, value);
    }

    // ---- The configuration window of Kestiq.exe, from outside ----
    HWND Window() { return kqtest::FindProcessWindow(m_kestiq.Pid(), kWindowTitle); }
    // The visible panel that holds a control with this id.
    HWND PanelWith(int id)
    {
        struct Ctx { int id; HWND found; } ctx{id, nullptr};
        EnumChildWindows(Window(), [](HWND h, LPARAM lp) -> BOOL {
            Ctx* c = (Ctx*)lp;
            if (GetDlgCtrlID(h) != c->id || !IsWindowVisible(GetParent(h))) return TRUE;
            c->found = GetParent(h);
            return FALSE;
        }, (LPARAM)&ctx);
        return ctx.found;
    }
    static std::string TextOf(HWND parent, int id)
    {
        char buf[300] = {};
        DWORD_PTR r = 0;
        SendMessageTimeoutA(GetDlgItem(parent, id), WM_GETTEXT, sizeof(buf), (LPARAM)buf, SMTO_BLOCK, 5000, &r);
        return buf;
    }
    static void Type(HWND parent, int id, const std::string& text)
    {
        HWND edit = GetDlgItem(parent, id);
        for (char c : text) SendMessageA(edit, WM_CHAR, (BYTE)c, 0);
    }
    void Shot(const char* name)
    {
        HWND w = Window();
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        m_kestiq.Sync();
        kqtest::SavePng(kqtest::CaptureWindow(w), kqtest::ScreenshotPath(name));
    }

    std::string m_adapterPath;
    std::unique_ptr<kqtest::KeyGuard> m_key;
    kqtest::Restore<CString> m_regPath{g_strAdapterRegPath};
    kqtest::KestiqProcess m_kestiq;
    std::vector<std::string> m_files;
};

TEST_F(ProgramTest, EveryMethodAuthenticatesAgainstItsAccount)
{
    kqtest::StoreCert client("MY", kqtest::kClientCert, sizeof(kqtest::kClientCert));
    ASSERT_TRUE(client.ok());
    struct {
        const char* name;
        const char* eap;
        int method;
        unsigned security;
        void (*more)(ProfileSettings&, const kqtest::StoreCert&);
    } cases[] = {
        {"PEAP-MSCHAPv2", "method=peap identity=alice password=wonderland", 0, KQSIM_SEC_WPA2_1X,
         [](ProfileSettings& s, const kqtest::StoreCert&) { s.dot1x.tunnelEapType = 26; }},
        {"TTLS", "method=ttls identity=alice password=wonderland", 2, KQSIM_SEC_WPA2_1X,
         [](ProfileSettings& s, const kqtest::StoreCert&) { s.dot1x.ttlsInnerMethod = 3; }},
        {"TLS", "method=tls identity=alice cert=required", 1, KQSIM_SEC_WPA2_1X,
         [](ProfileSettings& s, const kqtest::StoreCert& cert) {
             s.dot1x.useClientCert = 1;
             s.dot1x.clientCertLength = 20;
             std::memcpy(s.dot1x.clientCert, cert.Sha1().data(), 20);
         }},
        {"MD5", "method=md5 identity=alice password=wonderland", 4, KQSIM_SEC_WPA2_1X,
         [](ProfileSettings& s, const kqtest::StoreCert&) {
             s.dot1x.password = "wonderland";
             s.dot1x.tunnelPassword = "not-for-md5";
         }},
        {"LEAP", "method=leap identity=alice password=wonderland", 5, KQSIM_SEC_WEP_1X,
         [](ProfileSettings& s, const kqtest::StoreCert&) {
             s.authChoice = AUTH_CHOICE_LEAP;
             s.leapIdentity = "alice";
             s.leapPassword = "wonderland";
             s.leapDomain = "CORP";
         }},
    };
    int n = 0;
    for (auto& c : cases) {
        std::string ssid = std::string("Sim-") + c.name;
        PutNetwork(ssid.c_str(), ++n, c.security, c.eap);
        ProfileSettings s = Dot1xProfile(ssid.c_str(), c.method);
        c.more(s, client);
        Activate(c.name, s);
        DWORD mark = Mark();
        Start("-s");
        EXPECT_TRUE(IconGood()) << c.name;
        EXPECT_EQ(1u, SupplicantOnceSaid(mark, "verdict authorized").size()) << c.name;
        EXPECT_TRUE(Supplicant(mark, "verdict failed").empty()) << c.name;
        m_kestiq.Stop();
    }
}

TEST_F(ProgramTest, EapFastProvisionsAPacFileAndPresentsItNextTime)
{
    PutNetwork("Sim-FAST", 9, KQSIM_SEC_WPA2_1X, "method=fast identity=alice password=wonderland");
    ProfileSettings s = Dot1xProfile("Sim-FAST", 3);
    s.dot1x.domainName = "CORP";
    s.dot1x.tunnelEapType = 26;
    s.dot1x.usePac = 1;
    s.dot1x.provisionMode = 1;
    Activate("Corp-FAST", s);
    const std::string pac = std::string(KQ_BINARY_DIR) + "/Corp-FAST.pac";
    m_files.push_back(pac);
    DeleteFileA(pac.c_str());

    DWORD mark = Mark();
    Start("-s");
    ASSERT_TRUE(IconGood());
    auto provisioned = [&](DWORD from) {
        for (const std::string& r : Supplicant(from, "request id="))
            if (r.find(" type=13 ") != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(provisioned(mark));
    EXPECT_FALSE(Supplicant(mark, "acCredGetEapFASTPacKey").empty());
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(pac.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(1040u, data.nFileSizeLow);
    for (const std::string& key : {std::string(), std::string("Corp-FAST")}) {
        std::string path = Stored(key, "PACFilePath");
        EXPECT_GE(path.size(), 14u) << key;
        EXPECT_EQ(0, _stricmp(path.c_str() + path.size() - 14, "\\Corp-FAST.pac")) << path;
    }
    m_kestiq.Stop();

    // The next connection presents the PAC: the library asks for no provisioning.
    mark = Mark();
    Start("-s");
    ASSERT_TRUE(IconGood());
    EXPECT_FALSE(provisioned(mark));
    EXPECT_TRUE(Supplicant(mark, "acCredGetEapFASTPacKey").empty());
    EXPECT_EQ(1u, Supplicant(mark, "acEapFASTPacCreate").size());
}

TEST_F(ProgramTest, AWrongPasswordAsksAgainAndTheRightOneIsStoredAndConnects)
{
    PutNetwork("Sim-Corp", 11, KQSIM_SEC_WPA2_1X, "method=peap identity=alice password=wonderland");
    ProfileSettings s = Dot1xProfile("Sim-Corp", 0);
    s.dot1x.tunnelPassword = "looking-glass";
    Activate("Corp", s);
    Start("");
    HWND panel = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (panel = PanelWith(IDC_PROMPT_MESSAGE)) != nullptr; }, 30000));
    EXPECT_EQ("Invalid identity or password", TextOf(panel, IDC_PROMPT_MESSAGE));
    EXPECT_EQ("Corp", TextOf(panel, IDC_PROMPT_PROFILE));
    EXPECT_FALSE(TextOf(panel, IDC_PROMPT_CARD).empty());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(panel, IDC_PROMPT_IDENTITY)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(panel, IDC_PROMPT_PASSWORD)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(panel, IDC_PROMPT_DOMAIN)));
    Shot("credential-program-bad-password");

    Type(panel, IDC_PROMPT_IDENTITY, "alice");
    Type(panel, IDC_PROMPT_PASSWORD, "wonderland");
    DWORD mark = Mark();
    SendMessageA(GetDlgItem(panel, IDC_PROMPT_OK), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(panel));
    for (const std::string& key : {std::string(), std::string("Corp")}) {
        EXPECT_EQ("alice", Stored(key, "ID")) << key;
        EXPECT_EQ("alice", Stored(key, "TunnelID")) << key;
        EXPECT_EQ("wonderland", Stored(key, "TunnelPassword")) << key;
        EXPECT_EQ("outer-pw", Stored(key, "Password")) << key;   // not MD5: left as it was
    }
    EXPECT_TRUE(IconGood());
    EXPECT_EQ(1u, SupplicantOnceSaid(mark, "verdict authorized").size());
}

TEST_F(ProgramTest, AServerThatFailsTheCaCheckEndsInAnUnknownFailure)
{
    std::vector<BYTE> issuer = Sha1Of(kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert));
    std::vector<BYTE> other = Sha1Of(kqtest::kOtherCaCert, sizeof(kqtest::kOtherCaCert));
    ASSERT_EQ(20u, issuer.size());
    PutNetwork("Sim-Corp", 12, KQSIM_SEC_WPA2_1X,
               "method=ttls identity=alice password=wonderland ca=" + HexOf(issuer));
    ProfileSettings s = Dot1xProfile("Sim-Corp", 2);
    s.dot1x.ttlsInnerMethod = 3;
    s.dot1x.useServerCert = 1;
    s.dot1x.serverCertLength = 20;
    std::memcpy(s.dot1x.serverCert, other.data(), 20);
    Activate("Corp", s);
    DWORD mark = Mark();
    Start("");
    HWND panel = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (panel = PanelWith(IDC_PROMPT_MESSAGE)) != nullptr; }, 30000));
    EXPECT_EQ("EAP failure reason is not known.", TextOf(panel, IDC_PROMPT_MESSAGE));
    EXPECT_EQ(1u, Supplicant(mark, "verdict failed: method, server or certificate refused").size());
    EXPECT_FALSE(Supplicant(mark, "acCredServerVerifyCA").empty());
    Shot("credential-program-ca-failure");
}

}  // namespace
