// EAP-FAST and server checks end to end against the supplicant stand-in:
// the test answers the library's requests at once, from the port record
// for the plain ones and with the worker's own routines (the PAC routines
// and the server check) for the rest; the library decides against the
// network's account.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "auth/AuthFixture.h"
#include "auth/CredentialQueue.h"
#include "auth/PacFiles.h"
#include "certs/TestCertificates.h"
#include "core/RegistryStore.h"
#include "mainwnd/ScratchAdapterKey.h"

namespace {

using kqtest::AuthTest;
using kqtest::WaitUntil;

std::vector<DWORD> g_types;

void AnswerRequest(void* context, AUTH_CRED_REQUEST* r)
{
    AUTH_PORT* port = (AUTH_PORT*)context;
    g_types.push_back(r->type * 10 + r->subKind);
    AC_HANDLE h = port->handle;
    switch (r->type) {
    case 11: LoadPacForAuthority(port, r); return;
    case 13: SaveProvisionedPac(port, r); return;
    case 3: g_ac.acCredIdentity(h, r->id, r->subKind ? port->innerIdentity : port->outerIdentity); break;
    case 4: {
        AC_EAP_METHOD m = {0, r->subKind ? port->innerEapType : port->eapType};
        g_ac.acCredEapMethods(h, r->id, &m, 1);
        break;
    }
    case 5: g_ac.acCredPassword(h, r->id, port->password); break;
    case 8: VerifyServerCertificate(port, r); return;
    case 12: {
        DWORD types[1] = {1};
        g_ac.acCredEapFASTPacTypes(h, r->id, types, port->fastUnauthProvisioning ? 1 : 0);
        break;
    }
    default: break;
    }
    g_ac.acCredComplete(h, r->id);
}

class StandInTest : public AuthTest {
protected:
    void SetUp() override
    {
        AuthTest::SetUp();
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, cwd);
        m_oldCwd = cwd;
        std::string dir = std::string(KQ_BINARY_DIR) + "\\pac-standin";
        CreateDirectoryA(dir.c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));
        GetCurrentDirectoryA(MAX_PATH, cwd);
        m_dir = cwd;
        ASSERT_TRUE(m_key.CreateSubkey("Profile\\Station\\Corp"));
        ASSERT_TRUE(WriteAdapterText(REGSTR_CUR_PROFILE, "Corp"));
        DeleteFileA(Pac().c_str());
    }
    void TearDown() override
    {
        DeleteFileA(Pac().c_str());
        SetCurrentDirectoryA(m_oldCwd.c_str());
        AuthTest::TearDown();
    }
    std::string Pac() { return m_dir + "\\Corp.pac"; }

    // Connects a stored profile with the test's answers; true when authenticated.
    bool Run(const char* eap, StationConfig* profile)
    {
        g_types.clear();
        Put8021xNetwork("Sim-Corp", 2, eap);
        ShutdownAuthLibrary();
        if (!InitAuthLibrary()) return false;
        if (!AuthPortAttachByMac(m_mac, OnAuthPortStatus, AnswerRequest, FALSE)) return false;
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = profile;
        g_bConfigFromRegistry = 1;
        DWORD mark = Mark();
        Connect(*g_pCurProfile);
        if (!WaitUntil([&] { return HasCall(mark, "verdict"); })) return false;
        bool authorized = HasCall(mark, "verdict authorized");
        AuthPortStop(g_pAuthPort);
        return authorized;
    }
    StationConfig* FastProfile(const char* domain, const char* id)
    {
        StationConfig* p = NewProfile("Sim-Corp", 6, 6);
        p->eapMethod = 3;
        p->innerMethod = 26;
        p->usePac = 1;
        std::strcpy(p->domainName, domain);
        std::strcpy(p->identity, id);
        std::strcpy(p->tunnelId, "alice");
        std::strcpy(p->tunnelPassword, "wonderland");
        CString path;
        ReadAdapterText("PACFilePath", path, "Profile\\Station\\Corp");
        lstrcpynA(p->pacFilePath, path, sizeof(p->pacFilePath));   // as activation loads it
        return p;
    }

    kqtest::ScratchAdapterKey m_key{"9923"};
    std::string m_dir, m_oldCwd;
};

TEST_F(StandInTest, ProvisionedPacOpensTheTunnelNextTimeForTheSameUser)
{
    const char* eap = "method=fast identity=alice password=wonderland";
    ASSERT_TRUE(Run(eap, FastProfile("DOMAIN", "alice@realm")));
    EXPECT_NE(g_types.end(), std::find(g_types.begin(), g_types.end(), 130u));   // provisioned
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    ASSERT_TRUE(GetFileAttributesExA(Pac().c_str(), GetFileExInfoStandard, &fa));
    EXPECT_EQ(kPacFileSize, fa.nFileSizeLow);

    struct {
        const char* domain;
        const char* id;
        bool provisionsAgain;
    } cases[] = {{"", "alice", false}, {"OTHER", "alice", false}, {"", "alice@else", false}, {"", "alice2", true}};
    for (const auto& c : cases) {
        // The same account answers to every spelling (the library reads the tunnel identity).
        bool ok = Run(eap, FastProfile(c.domain, c.id));
        EXPECT_TRUE(ok) << c.id;
        bool provisioned = std::find(g_types.begin(), g_types.end(), 130u) != g_types.end();
        EXPECT_EQ(c.provisionsAgain, provisioned) << c.domain << "\\" << c.id;
    }
}

TEST_F(StandInTest, RejectedPacIsDeleted)
{
    ASSERT_TRUE(Run("method=fast identity=alice password=wonderland", FastProfile("", "alice")));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Pac().c_str()));
    EXPECT_FALSE(Run("method=fast identity=alice password=wonderland pac=stale", FastProfile("", "alice")));
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(Pac().c_str()) == INVALID_FILE_ATTRIBUTES; }, 30000));
}

TEST_F(StandInTest, ChosenCaAndServerNameMustMatchTheServer)
{
    // The network's CA is the test root; its server is radius.corp.test.
    BYTE rootHash[20], otherHash[20];
    DWORD n = 20;
    ASSERT_TRUE(CryptHashCertificate(0, CALG_SHA1, 0, kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert), rootHash, &n));
    n = 20;
    ASSERT_TRUE(CryptHashCertificate(0, CALG_SHA1, 0, kqtest::kOtherCaCert, sizeof(kqtest::kOtherCaCert), otherHash, &n));
    std::string eap = "method=ttls identity=alice password=wonderland server=radius.corp.test ca=";
    char hex[41];
    for (int i = 0; i < 20; ++i) std::snprintf(hex + 2 * i, 3, "%02X", rootHash[i]);
    eap += hex;

    struct {
        const char* name;
        const BYTE* ca;          // null: any trusted CA
        const char* server;
        DWORD nameRule;
        bool authorized;
    } cases[] = {
        {"right CA, exact name", rootHash, "radius.corp.test", 0, true},
        {"any CA, domain rule", nullptr, "corp.test", 1, true},
        {"other CA", otherHash, "radius.corp.test", 0, false},
        {"exact name differs", rootHash, "corp.test", 0, false},
        {"domain differs", rootHash, "corp.example", 1, false},
    };
    for (const auto& c : cases) {
        StationConfig* p = NewProfile("Sim-Corp", 6, 6);
        p->eapMethod = 2;
        p->ttlsInnerMethod = 3;
        std::strcpy(p->identity, "alice");
        std::strcpy(p->tunnelId, "alice");
        std::strcpy(p->tunnelPassword, "wonderland");
        p->useServerCert = 1;
        p->nameRule = c.nameRule;
        std::strcpy(p->serverName, c.server);
        g_AuthServerCert.length = c.ca ? 20 : 0;
        if (c.ca) std::memcpy(g_AuthServerCert.data, c.ca, 20);
        std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
        EXPECT_EQ(c.authorized, Run(eap.c_str(), p)) << c.name;
        if (!c.authorized) {
            EXPECT_TRUE(WaitUntil([&] {
                auto l = RingLines();
                return std::find(l.begin(), l.end(), "EAP failure reason is not known.") != l.end();
            }, 3000)) << c.name;
        }
    }
}

}  // namespace
