// The port configuration from a profile, case by case: association and
// cipher codes, the pre-shared key as key or passphrase, and the credentials
// each EAP method takes.  The stand-in's log shows what the library was given.
#include "auth/AuthFixture.h"

namespace {

using kqtest::AuthTest;
using kqtest::Stand;

class PortConfigTest : public AuthTest {
protected:
    void SetUp() override
    {
        AuthTest::SetUp();
        m_port = AUTH_PORT();
        m_port.attributes.caps = AC_CAP_80211_MASK;
    }
    void TearDown() override
    {
        DestroyPortCredentials(&m_port);
        AuthTest::TearDown();
    }
    StationConfig* Profile()
    {
        if (!m_profile) m_profile = NewProfile("Tables", 0, 1);
        return m_profile;
    }
    ~PortConfigTest() override { FreeStationConfig(m_profile); }

    AUTH_PORT m_port;
    StationConfig* m_profile = nullptr;
};

TEST_F(PortConfigTest, SecurityCodesFollowAuthenticationAndEncryption)
{
    struct {
        DWORD authMode, encryption, authCode, cipherCode;
    } cases[] = {
        {0, 1, 2, 1}, {0, 0, 2, 2}, {1, 0, 1, 2}, {2, 0, 0, 0}, {3, 4, 10, 3}, {3, 6, 10, 4},
        {4, 4, 11, 3}, {5, 6, 11, 4}, {6, 6, 20, 4}, {6, 2, 20, 1}, {7, 6, 21, 4}, {7, 0, 21, 0},
        {0, 3, 2, 1}, {9, 6, 0, 0},
    };
    for (auto& c : cases) {
        StationConfig* p = Profile();
        p->authMode = c.authMode;
        p->encryption = c.encryption;
        std::strcpy(p->wpaPsk, "table-passphrase");
        p->wpaPskLength = 16;
        DestroyPortCredentials(&m_port);
        ConfigurePortSecurity(&m_port, p);
        EXPECT_EQ(c.authCode, m_port.assocParams.authCode) << c.authMode << "/" << c.encryption;
        EXPECT_EQ(c.cipherCode, m_port.assocParams.cipherCode) << c.authMode << "/" << c.encryption;
        EXPECT_EQ(6u, m_port.assocParams.ssidLength);
        EXPECT_EQ(0, std::memcmp(m_port.assocParams.ssid, "Tables", 6));
        // Only the pre-shared-key modes make a key.
        EXPECT_EQ(c.authCode == 11 || c.authCode == 21, m_port.pskHandle != 0) << c.authMode;
    }
}

TEST_F(PortConfigTest, PreSharedKeyIsBinaryAt64CharactersAndAPassphraseBelow)
{
    std::string hex64(64, 'a');
    hex64.replace(0, 8, "0123BEEF");
    std::string pass63(63, 'p');
    std::string bad64 = "zz" + std::string(62, '1');
    struct {
        std::string text;
        const char* call;   // expected creation, or nullptr for none
    } cases[] = {
        {hex64, "acRsnBinPskCreate len=32 key=0123beef"},
        {pass63, "acRsnPskCreate passphrase=ppppppppppppppp"},
        {"kestiq-secret", "acRsnPskCreate passphrase=kestiq-secret ssid=Tables"},
        {bad64, nullptr},
    };
    for (auto& c : cases) {
        StationConfig* p = Profile();
        p->authMode = 7;
        p->encryption = 6;
        std::memset(p->wpaPsk, 0, sizeof(p->wpaPsk));
        std::memcpy(p->wpaPsk, c.text.data(), c.text.size());
        p->wpaPskLength = (DWORD)c.text.size();
        DWORD mark = Mark();
        DestroyPortCredentials(&m_port);
        ConfigurePortAssociation(&m_port, p);
        auto made = Calls(mark, "acRsnPskCreate");
        auto madeBin = Calls(mark, "acRsnBinPskCreate");
        if (c.call) {
            ASSERT_EQ(1u, made.size() + madeBin.size()) << c.text;
            const std::string& text = made.empty() ? madeBin[0].text : made[0].text;
            EXPECT_EQ(0u, text.find(c.call)) << text;
            EXPECT_NE(0u, m_port.pskHandle);
            EXPECT_EQ(1u, m_port.pskSet);
        } else {
            // 64 characters that are not hex digits are no key at all.
            EXPECT_TRUE(made.empty() && madeBin.empty()) << c.text;
            EXPECT_EQ(0u, m_port.pskHandle);
            EXPECT_EQ(0u, m_port.pskSet);
        }
        EXPECT_EQ(1u, m_port.libraryAssociates);
    }
}

TEST_F(PortConfigTest, EachMethodTakesItsCredentials)
{
    struct {
        const char* name;
        DWORD eapMethod, innerMethod, ttlsInner, useClientCert, encryption;
        DWORD eapType, innerEapType;
        const char* outer;   // outer identity text
        bool inner, password;
        DWORD session;       // sessionStartValue (SessionResumption 0)
        DWORD authCode;
    } cases[] = {
        {"MD5", 4, 0, 0, 0, 0, 4, 0, "alice", false, true, 0, 20},
        {"TLS", 1, 0, 0, 1, 6, 13, 0, "alice", false, false, 1, 20},
        {"LEAP TKIP", 5, 0, 0, 0, 4, 17, 0, "CORP\\alice", false, true, 1, 10},
        {"LEAP WEP", 5, 0, 0, 0, 0, 17, 0, "CORP\\alice", false, true, 1, 2},
        {"LEAP AES", 5, 0, 0, 0, 6, 17, 0, "CORP\\alice", false, true, 1, 20},
        {"TTLS PAP", 2, 0, 3, 0, 6, 21, 0, "alice", true, true, 1, 20},
        {"TTLS none", 2, 0, 0, 0, 6, 21, 0, "alice", false, false, 1, 20},
        {"PEAP MSCHAPv2", 0, 26, 0, 0, 6, 25, 26, "alice", true, true, 1, 20},
        {"PEAP TLS", 0, 13, 0, 1, 6, 25, 13, "alice", true, true, 1, 20},
        {"PEAP other", 0, 4, 0, 0, 6, 25, 4, "alice", false, false, 1, 20},
        {"EAP-FAST GTC", 3, 6, 0, 0, 6, 43, 6, "CORP\\alice", true, true, 1, 20},
    };
    for (auto& c : cases) {
        StationConfig* p = Profile();
        p->authMode = 6;   // WPA2
        p->encryption = c.encryption;
        p->eapMethod = c.eapMethod;
        p->innerMethod = c.innerMethod;
        p->ttlsInnerMethod = c.ttlsInner;
        p->useClientCert = c.useClientCert;
        std::strcpy(p->identity, "alice");
        std::strcpy(p->domainName, "CORP");
        std::strcpy(p->tunnelId, "inner-alice");
        std::strcpy(p->password, "outer-pw");
        std::strcpy(p->tunnelPassword, "tunnel-pw!");
        g_AuthClientCert.length = 20;
        std::memset(g_AuthClientCert.data, 0xC1, 20);
        DWORD mark = Mark();
        DestroyPortCredentials(&m_port);
        ConfigurePortAssociation(&m_port, p);
        EXPECT_EQ(c.eapType, m_port.eapType) << c.name;
        EXPECT_EQ(c.innerEapType, m_port.innerEapType) << c.name;
        EXPECT_STREQ(c.outer, m_port.outerIdentityText) << c.name;
        EXPECT_NE(0u, m_port.outerIdentity) << c.name;
        EXPECT_EQ(c.inner, m_port.innerIdentity != 0) << c.name;
        EXPECT_EQ(c.inner, HasCall(mark, "acIdentityCreate inner-alice")) << c.name;
        EXPECT_EQ(c.password, m_port.password != 0) << c.name;
        if (c.password) {
            // MD5 takes the password, every other method the tunnel password.
            const char* len = c.eapType == 4 ? "acPasswordCreate len=8" : "acPasswordCreate len=10";
            EXPECT_TRUE(HasCall(mark, len)) << c.name;
        }
        EXPECT_EQ(c.session, m_port.sessionStartValue) << c.name;
        EXPECT_EQ(c.authCode, m_port.assocParams.authCode) << c.name;
        EXPECT_EQ(c.useClientCert != 0 && (c.eapType == 13 || c.eapType == 25), m_port.userCert != 0) << c.name;
        EXPECT_EQ(0u, m_port.pskSet) << c.name;
    }
}

// The client certificate is made from the URL of its hash; when the library
// cannot give that URL the field and the certificate are still asked for,
// from an empty URL.
TEST_F(PortConfigTest, ClientCertificateIsAskedForEvenWithoutItsUrl)
{
    StationConfig* p = Profile();
    p->authMode = 6;
    p->encryption = 6;
    p->eapMethod = 1;   // TLS
    p->useClientCert = 1;
    std::strcpy(p->identity, "alice");
    g_AuthClientCert.length = 20;
    std::memset(g_AuthClientCert.data, 0xC1, 20);
    struct {
        const char* what;
        const char* fault;
        const char* created;
    } cases[] = {
        {"URL given", "", "acCertCreate win32://MY/c1c1"},
        {"URL refused", "acCertUrlWin32String=-1x1", "acCertCreate "},
    };
    for (const auto& c : cases) {
        Stand().reset();
        Stand().configure(c.fault);
        DWORD mark = Mark();
        DestroyPortCredentials(&m_port);
        ConfigurePortAssociation(&m_port, p);
        std::vector<std::string> calls;
        for (const auto& e : Calls(mark, "acCert"))
            if (e.text.compare(0, 13, "acCertDestroy") != 0) calls.push_back(e.text.substr(0, e.text.find(' ')));
        EXPECT_EQ(std::vector<std::string>({"acCertUrlWin32String", "acCertGetField", "acCertCreate"}), calls) << c.what;
        auto created = Calls(mark, "acCertCreate");
        ASSERT_EQ(1u, created.size()) << c.what;
        EXPECT_EQ(0u, created[0].text.find(c.created)) << created[0].text;
    }
    Stand().reset();
}

TEST_F(PortConfigTest, ServerNameGoesToTheDomainOrTheCommonNameByTheRule)
{
    StationConfig* p = Profile();
    p->authMode = 6;
    p->encryption = 6;
    p->eapMethod = 1;   // TLS: takes certificates
    p->useServerCert = 1;
    p->intermediateCert = 1;
    std::strcpy(p->serverName, "radius.kestiq.test");
    g_AuthServerCert.length = 20;
    std::memset(g_AuthServerCert.data, 0x5E, 20);
    for (DWORD rule : {0u, 1u}) {
        p->nameRule = rule;
        DestroyPortCredentials(&m_port);
        ConfigurePortAssociation(&m_port, p);
        EXPECT_STREQ(rule ? "radius.kestiq.test" : "", m_port.domainName);
        EXPECT_STREQ(rule ? "" : "radius.kestiq.test", m_port.fieldName);
        EXPECT_EQ(rule, m_port.nameRule);
        EXPECT_EQ(1u, m_port.verifyChain);
        EXPECT_EQ(0, std::strncmp(m_port.caUrl, "win32://ROOT/5e5e", 17)) << m_port.caUrl;
    }
}

TEST_F(PortConfigTest, OuterIdentityThatWouldNotFitIsRefused)
{
    StationConfig* p = Profile();
    p->authMode = 6;
    p->encryption = 6;
    p->eapMethod = 5;   // LEAP: the identity carries the domain
    // 127 + 1 + 127 characters: up to 255 bytes into a 128-byte field.
    std::memset(p->domainName, 'D', 127);
    std::memset(p->identity, 'u', 127);
    DWORD mark = Mark();
    DestroyPortCredentials(&m_port);
    ConfigurePortAssociation(&m_port, p);
    EXPECT_STREQ("", m_port.outerIdentityText);
    EXPECT_EQ(0u, m_port.outerIdentity);
    EXPECT_FALSE(HasCall(mark, "acIdentityCreate"));
    // Texts of the record without a terminator are read to their field's end only.
    std::memset(p->domainName, 0, sizeof(p->domainName));
    std::memset(p->identity, 'v', sizeof(p->identity));
    DestroyPortCredentials(&m_port);
    ConfigurePortAssociation(&m_port, p);
    EXPECT_EQ(127u, std::strlen(m_port.outerIdentityText));
}

TEST_F(PortConfigTest, DestroyingCredentialsClearsTheConfigurationBlock)
{
    StationConfig* p = Profile();
    p->authMode = 7;
    p->encryption = 6;
    std::strcpy(p->wpaPsk, "kestiq-secret");
    p->wpaPskLength = 13;
    m_port.handle = 77;
    m_port.started = 1;
    ConfigurePortAssociation(&m_port, p);
    EnableAuthDebug(&m_port);
    AC_HANDLE psk = m_port.pskHandle;
    ASSERT_NE(0u, psk);
    DWORD mark = Mark();
    DestroyPortCredentials(&m_port);
    EXPECT_TRUE(HasCall(mark, "acRsnPskDestroy " + std::to_string(psk)));
    AUTH_PORT zero = AUTH_PORT();
    const size_t first = offsetof(AUTH_PORT, pskSet), end = offsetof(AUTH_PORT, reserved7);
    EXPECT_EQ(0, std::memcmp((BYTE*)&m_port + first, (BYTE*)&zero + first, end - first));
    // Before the block: untouched.
    EXPECT_EQ(77u, m_port.handle);
    EXPECT_EQ(1u, m_port.started);
}

}  // namespace
