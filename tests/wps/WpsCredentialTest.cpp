// WPS credentials: which ones can be applied, the station record each one
// gives, what is kept of a block the driver returns, and how the store
// under WscProfile looks (on a scratch adapter key of the test's own).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "core/RegistryStore.h"
#include "core/WpsRuntime.h"
#include "support/AdapterKey.h"
#include "support/Restore.h"
#include "support/WpsCredentials.h"

using Bytes = std::vector<BYTE>;

namespace {

WpsCredential Cred(const std::string& ssid, DWORD auth, DWORD encr, DWORD keyIndex, const std::string& key)
{
    const BYTE mac[6] = {0x00, 0x0C, 0x43, 0x10, 0x20, (BYTE)ssid.size()};
    return kqtest::MakeWpsCredential(ssid, auth, encr, keyIndex, key, mac);
}

Bytes BlobKey(const StationKeyBlob& b)
{
    if (!b.key) return {};
    const BYTE* key = reinterpret_cast<const BYTE*>(b.key) + FIELD_OFFSET(NDIS_802_11_KEY, KeyMaterial);
    return Bytes(key, key + b.key->KeyLength);
}

struct RecordCase {
    const char* what;
    WpsCredential cred;
    DWORD authMode, encryption;
    std::string psk;     // expected wpaPsk
    int wepSlot;         // -1: no WEP key
    Bytes wepKey;
};

TEST(WpsCredentialRecord, EachUsableCredentialGivesItsStationRecord)
{
    const std::string hex26 = "000102030405060708090a0B0c";
    const RecordCase cases[] = {
        {"WPA2-PSK with AES", Cred("Home", 0x20, 0x08, 0, "kestiq-secret"), 7, 6, "kestiq-secret", -1, {}},
        {"WPA-PSK with TKIP", Cred("Old", 0x02, 0x04, 0, "tkip-passphrase"), 4, 4, "tkip-passphrase", -1, {}},
        {"WPA2-PSK 64 hex digits", Cred("Hex", 0x20, 0x08, 0, std::string(64, 'a')), 7, 6, std::string(64, 'a'), -1,
         {}},
        {"open", Cred("Cafe", 0x01, 0x01, 0, ""), 0, 1, "", -1, {}},
        {"WPA2 enterprise", Cred("Corp", 0x10, 0x08, 0, ""), 6, 6, "", -1, {}},
        {"WPA enterprise", Cred("OldCorp", 0x08, 0x04, 0, ""), 3, 4, "", -1, {}},
        {"WEP, 26 hex digits, key 0", Cred("Wep26", 0x01, 0x02, 0, hex26), 0, 0, "", 0,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0A, 0x0B, 0x0C}},
        {"WEP, 5 characters, key 3", Cred("Wep5", 0x01, 0x02, 3, "abcde"), 0, 0, "", 3,
         {'a', 'b', 'c', 'd', 'e'}},
        {"WEP, 10 hex digits, shared", Cred("Shared", 0x04, 0x02, 1, "0123456789"), 1, 0, "", 1,
         {0x01, 0x23, 0x45, 0x67, 0x89}},
        {"WEP, 13 characters", Cred("Wep13", 0x01, 0x02, 2, "thirteen-char"), 0, 0, "", 2,
         Bytes({'t', 'h', 'i', 'r', 't', 'e', 'e', 'n', '-', 'c', 'h', 'a', 'r'})},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(IsUsableWpsCredential(c.cred));
        StationConfig* p = BuildWpsStationConfig(c.cred);
        ASSERT_NE(nullptr, p);
        EXPECT_EQ(c.authMode, p->authMode);
        EXPECT_EQ(c.encryption, p->encryption);
        EXPECT_EQ(0, std::memcmp(&p->ssid, &c.cred.ssid, sizeof(p->ssid)));
        EXPECT_EQ(0, std::memcmp(p->bssid, c.cred.MacAddress, 6));
        EXPECT_EQ(0u, p->matchByBssid);
        EXPECT_EQ(1u, p->disassociateFirst);
        EXPECT_EQ(1u, p->infrastructureMode);
        EXPECT_EQ(2u, p->preamble);
        EXPECT_EQ(2347u, p->rtsThreshold);
        EXPECT_EQ(0u, p->fragThreshold);
        EXPECT_EQ(0u, p->applyRadioSettings);
        EXPECT_EQ(0u, p->powerMode);
        EXPECT_EQ(0u, p->acPowerCam);
        EXPECT_EQ(0u, p->txPowerIndex);
        EXPECT_EQ(0, p->leapEnabled);
        EXPECT_EQ(c.psk, std::string(p->wpaPsk, p->wpaPskLength));
        for (int i = 0; i < 4; ++i) {
            if (i != c.wepSlot) {
                EXPECT_EQ(nullptr, p->wepKey[i].key) << "slot " << i;
                continue;
            }
            ASSERT_NE(nullptr, p->wepKey[i].key);
            EXPECT_EQ(c.wepKey, BlobKey(p->wepKey[i]));
            EXPECT_EQ(0x80000000u | (DWORD)i, p->wepKey[i].key->KeyIndex) << "transmit key in its own slot";
            EXPECT_EQ((DWORD)c.wepKey.size() + 39, p->wepKey[i].key->Length);
            EXPECT_EQ(Bytes(6, 0xFF), Bytes(p->wepKey[i].key->BSSID, p->wepKey[i].key->BSSID + 6));
        }
        FreeStationConfig(p);
    }
}

TEST(WpsCredentialRecord, CredentialsThatCannotWorkAreRefused)
{
    WpsCredential longSsid = Cred("x", 0x20, 0x08, 0, "passphrase");
    longSsid.ssid.SsidLength = 33;
    WpsCredential longKey = Cred("LongKey", 0x20, 0x08, 0, "passphrase");
    longKey.KeyLength = 65;
    const struct {
        const char* what;
        WpsCredential cred;
    } cases[] = {
        // A WEP key above 13 characters that is not 26 hex digits would
        // become a key of zeros: the link would look right and carry nothing.
        {"WEP key of 16 characters", Cred("Wep", 0x01, 0x02, 0, "sixteen-chars-ok")},
        {"WEP key of 26 characters, not hex", Cred("Wep", 0x01, 0x02, 0, "zz0102030405060708090a0b0c")},
        {"WEP key of 10 characters, not hex", Cred("Wep", 0x01, 0x02, 0, "01234567xy")},
        {"WEP key of 7 characters", Cred("Wep", 0x01, 0x02, 0, "seven77")},
        {"WEP without a key", Cred("Wep", 0x01, 0x02, 0, "")},
        {"key index 4", Cred("Wep", 0x01, 0x02, 4, "abcde")},
        {"passphrase of 7 characters", Cred("Psk", 0x20, 0x08, 0, "seven77")},
        {"64 characters, not hex", Cred("Psk", 0x20, 0x08, 0, std::string(63, 'a') + "g")},
        {"key length above 64", longKey},
        {"SSID length above 32", longSsid},
        {"empty SSID", Cred("", 0x01, 0x01, 0, "")},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(IsUsableWpsCredential(c.cred)) << c.what;
        EXPECT_EQ(nullptr, BuildWpsStationConfig(c.cred)) << c.what;
    }
}

TEST(WpsCredentialBlockCheck, KeepsTheGoodEntriesInOrderAndDropsTheRest)
{
    WpsCredentialBlock block;
    std::memset(&block, 0xCC, sizeof(block));
    block.count = 11;   // more than the block can hold
    const char* names[8] = {"A", "B", "C", "D", "E", "F", "G", "H"};
    for (int i = 0; i < 8; ++i) block.cred[i] = Cred(names[i], 0x20, 0x08, 0, "passphrase");
    block.cred[1].KeyLength = 200;
    block.cred[4].ssid.SsidLength = 40;
    block.cred[6] = Cred("G", 0x01, 0x02, 0, "sixteen-chars-ok");

    EXPECT_EQ(5u, KeepUsableWpsCredentials(&block, sizeof(block)));
    EXPECT_EQ(5u, block.count);
    const char* kept[5] = {"A", "C", "D", "F", "H"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(kept[i], std::string((char*)block.cred[i].ssid.Ssid, block.cred[i].ssid.SsidLength));
    WpsCredential zero;
    std::memset(&zero, 0, sizeof(zero));
    for (int i = 5; i < 8; ++i) EXPECT_EQ(0, std::memcmp(&zero, &block.cred[i], sizeof(zero))) << i;
}

TEST(WpsCredentialBlockCheck, OnlyEntriesTheDriverReturnedCount)
{
    WpsCredentialBlock block;
    std::memset(&block, 0, sizeof(block));
    block.count = 3;
    for (int i = 0; i < 3; ++i) block.cred[i] = Cred("Net" + std::to_string(i), 0x20, 0x08, 0, "passphrase");
    EXPECT_EQ(2u, KeepUsableWpsCredentials(&block, 4 + 2 * sizeof(WpsCredential) + 100));
    WpsCredentialBlock empty = block;
    EXPECT_EQ(0u, KeepUsableWpsCredentials(&empty, 2));
    EXPECT_EQ(0u, empty.count);
}

// ---- The store under WscProfile --------------------------------------------

const char kScratchKey[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\9910";

class WscStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &k, nullptr));
        RegCloseKey(k);
        g_strAdapterRegPath = kScratchKey;
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kScratchKey);
    }
    static std::string Sub(const std::string& s) { return std::string(kScratchKey) + "\\" + s; }

    kqtest::Restore<CString> m_path{g_strAdapterRegPath};
    kqtest::Restore<WpsCredentialBlock> m_block{g_WscCredentials};
    kqtest::Restore<int> m_mode{g_nWscConfigMode};
    kqtest::Restore<DWORD> m_pin{g_dwWscPinCode};
    kqtest::Restore<BOOL> m_inUse{g_bWscInUse};
};

TEST_F(WscStore, CredentialsAreStoredValueByValue)
{
    std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
    g_WscCredentials.count = 2;
    g_WscCredentials.cred[0] = Cred("Kestiq-WPS", 0x20, 0x08, 0, "wps-credential");
    g_WscCredentials.cred[1] = Cred("Wep%s", 0x01, 0x02, 3, "0123456789");
    g_nWscConfigMode = 0;
    g_dwWscPinCode = 1234567;   // shown "01234567"
    // An earlier run with more credentials left a third one behind.
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, Sub("WscProfile\\Profile2").c_str(), "SSID",
                                             REG_SZ, "Old", 4));

    SaveWscProfiles();

    EXPECT_EQ("2", kqtest::ReadText(Sub("WscProfile"), "NumberofProfile"));
    EXPECT_EQ("0", kqtest::ReadText(Sub("WscProfile"), "ConfigMode"));
    EXPECT_EQ("1234567", kqtest::ReadText(Sub("WscProfile"), "PinCode"));
    const struct {
        const char* key;
        const char* ssid, *auth, *encr, *index, *length, *text;
        BYTE macLast;
    } rows[] = {
        {"WscProfile\\Profile0", "Kestiq-WPS", "32", "8", "0", "14", "wps-credential", 10},
        {"WscProfile\\Profile1", "Wep%s", "1", "2", "3", "10", "0123456789", 5},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.key);
        std::string k = Sub(r.key);
        EXPECT_EQ(r.ssid, kqtest::ReadText(k, "SSID"));
        EXPECT_EQ(r.auth, kqtest::ReadText(k, "AuthType"));
        EXPECT_EQ(r.encr, kqtest::ReadText(k, "EncryType"));
        EXPECT_EQ(r.index, kqtest::ReadText(k, "KeyIndex"));
        EXPECT_EQ(r.length, kqtest::ReadText(k, "KeyLength"));
        EXPECT_EQ(r.text, kqtest::ReadText(k, "Key"));
        DWORD type = 0;
        Bytes mac;
        ASSERT_TRUE(kqtest::ReadValue(k, "MacAddress", &type, &mac));
        EXPECT_EQ((DWORD)REG_BINARY, type);
        EXPECT_EQ(Bytes({0x00, 0x0C, 0x43, 0x10, 0x20, r.macLast}), mac);
        // Texts are stored as their characters; numbers as decimal texts.
        ASSERT_TRUE(kqtest::ReadValue(k, "KeyIndex", &type, &mac));
        EXPECT_EQ((DWORD)REG_SZ, type);
    }
    EXPECT_FALSE(kqtest::KeyExists(Sub("WscProfile\\Profile2"))) << "credentials of an earlier run are gone";
}

TEST_F(WscStore, TheFlagFollowsTheConnection)
{
    g_bWscInUse = TRUE;
    SaveWscFlag();
    EXPECT_EQ("1", kqtest::ReadText(kScratchKey, "WSC"));
    g_bWscInUse = FALSE;
    SaveWscFlag();
    EXPECT_EQ("0", kqtest::ReadText(kScratchKey, "WSC"));
}

}  // namespace
