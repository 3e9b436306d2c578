// The credential the simulated adapter hands out after a WPS run, field by
// field, for each kind of access point: what a registrar gives for it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/OidChannel.h"
#include "core/WpsRuntime.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"
#include "support/Wait.h"

namespace {

struct ApCase {
    const char* what;
    unsigned security;
    unsigned ciphers;
    int wepTx;              // transmit key 0-3 (WEP)
    std::string wepKey;     // key bytes (WEP)
    std::string psk;
    DWORD auth, encr, keyIndex;
    std::string key;        // key text handed out
};

class DriverCredential : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim().IsOpen());
        m_adapter.reset(new kqsim::TestAdapter(sim(), 0x41));
        ASSERT_TRUE(m_adapter->ok());
        m_air.reset(new kqsim::AirGuard(sim()));
        ASSERT_TRUE(m_air->ok());
        lstrcpynA(g_szDevicePath, m_adapter->DevicePath().c_str(), MAX_PATH);
    }
    void TearDown() override
    {
        m_air.reset();
        m_adapter.reset();
    }
    static kqsim::SimClient& sim() { return kqsim::SharedTestClient(); }

    // Presses the button and reads the block once the run is configured.
    bool RunWps(WpsCredentialBlock& block)
    {
        KQSIM_WPS_CONFIG cfg{};
        std::strcpy(cfg.guid, m_adapter->guid().c_str());
        cfg.stepMs = 1;
        if (!sim().SetWps(cfg) || !sim().PressWpsButton(m_adapter->guid())) return false;
        // The driver's script runs on its own clock.
        if (!kqtest::WaitFor([] {
                DWORD status = 0;
                return QueryOid(OID_VENDOR_WSC_STATUS, &status, 4, nullptr) &&
                       (status & WSC_STATUS_CODE_MASK) == 15;
            }, 20000))
            return false;
        std::memset(&block, 0xEE, sizeof(block));
        DWORD got = 0;
        return QueryOid(OID_VENDOR_WSC_CREDENTIALS, &block, sizeof(block), &got) && got == sizeof(block);
    }

    kqtest::Restore<char[MAX_PATH]> m_path{g_szDevicePath};
    std::unique_ptr<kqsim::TestAdapter> m_adapter;
    std::unique_ptr<kqsim::AirGuard> m_air;
};

TEST_F(DriverCredential, EachAccessPointHandsOutWhatARegistrarGivesForIt)
{
    const std::string binary13("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xAA\xBB\xCC", 13);
    const ApCase cases[] = {
        {"open", KQSIM_SEC_OPEN, 0, 0, "", "", 0x01, 0x01, 0, ""},
        {"WEP, transmit key 1, binary", KQSIM_SEC_WEP, 0, 0, "\x01\x23\x45\x67\x89", "", 0x01, 0x02, 0, "0123456789"},
        {"WEP, transmit key 4, 13 bytes", KQSIM_SEC_WEP, 0, 3, binary13, "", 0x01, 0x02, 3,
         "00112233445566778899AABBCC"},
        {"WEP shared, printable key 2", KQSIM_SEC_WEP_SHARED, 0, 1, "hello", "", 0x04, 0x02, 1, "hello"},
        {"WPA-PSK", KQSIM_SEC_WPA_PSK, 0, 0, "", "tkip-passphrase", 0x02, 0x04, 0, "tkip-passphrase"},
        {"WPA2-PSK", KQSIM_SEC_WPA2_PSK, 0, 0, "", "kestiq-secret", 0x20, 0x08, 0, "kestiq-secret"},
        {"WPA/WPA2 mixed, TKIP and AES", KQSIM_SEC_WPA_WPA2_PSK, KQSIM_CIPHER_TKIP | KQSIM_CIPHER_AES, 0, "", "mixed-passphrase",
         0x20, 0x08, 0, "mixed-passphrase"},
        {"WPA/WPA2 mixed, TKIP only", KQSIM_SEC_WPA_WPA2_PSK, KQSIM_CIPHER_TKIP, 0, "", "mixed-tkip-only", 0x20, 0x04,
         0, "mixed-tkip-only"},
        {"WPA2-PSK, 64 hex digits", KQSIM_SEC_WPA2_PSK, 0, 0, "", std::string(64, 'f'), 0x20, 0x08, 0,
         std::string(64, 'f')},
    };
    for (const ApCase& c : cases) {
        SCOPED_TRACE(c.what);
        KQSIM_NETWORK n = kqsim::MakeNetwork("Wps-AP", "00:0C:43:77:00:01", 6, -50, c.security);
        n.flags |= KQSIM_NET_WPS | KQSIM_NET_WPS_PBC;
        n.ciphers = c.ciphers;
        n.wepTxKey = (unsigned char)c.wepTx;
        n.wepKeyLen[c.wepTx] = (unsigned char)c.wepKey.size();
        std::memcpy(n.wepKey[c.wepTx], c.wepKey.data(), c.wepKey.size());
        n.pskLen = (unsigned char)c.psk.size();
        std::memcpy(n.psk, c.psk.data(), c.psk.size());
        ASSERT_TRUE(sim().LoadNetworks({n}));

        WpsCredentialBlock block;
        ASSERT_TRUE(RunWps(block));
        ASSERT_EQ(1u, block.count);
        const WpsCredential& cred = block.cred[0];
        EXPECT_EQ("Wps-AP", std::string((const char*)cred.ssid.Ssid, cred.ssid.SsidLength));
        EXPECT_EQ(c.auth, cred.AuthType);
        EXPECT_EQ(c.encr, cred.EncrType);
        EXPECT_EQ(c.keyIndex, cred.KeyIndex);
        ASSERT_EQ(c.key.size(), cred.KeyLength);
        EXPECT_EQ(c.key, std::string((const char*)cred.Key, cred.KeyLength));
        const BYTE mac[6] = {0x00, 0x0C, 0x43, 0x77, 0x00, 0x01};
        EXPECT_EQ(0, std::memcmp(mac, cred.MacAddress, 6));
        // The rest of the block is zero, and the credential is one the
        // program can apply.
        for (int i = 1; i < 8; ++i) EXPECT_EQ(0u, block.cred[i].ssid.SsidLength);
        EXPECT_TRUE(IsUsableWpsCredential(cred));
    }
}

}  // namespace
