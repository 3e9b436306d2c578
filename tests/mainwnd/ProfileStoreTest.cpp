// The profile store against the prefix's registry, on a scratch adapter key
// of its own: what the writer stores, what the reader makes of stored texts
// (also texts written by hand), enumeration and activation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/AdapterDiscovery.h"
#include "core/RegistryStore.h"
#include "core/ProfileStore.h"
#include "mainwnd/ScratchAdapterKey.h"
#include "registry/RegistryWrites.h"

namespace {

using kqtest::ScratchAdapterKey;

class ProfileStoreTest : public ::testing::Test {
protected:
    ScratchAdapterKey m_key{"9990"};

    std::string Stored(const char* profile, const char* value)
    {
        CString t;
        if (!ReadAdapterText(value, t, ("Profile\\Station\\" + std::string(profile)).c_str())) return "<missing>";
        return t.GetString();
    }
    std::string Active(const char* value)
    {
        CString t;
        if (!ReadAdapterText(value, t)) return "<missing>";
        return t.GetString();
    }
};

// The 51 values of a profile as the profile format names them, in the order
// they are written, each with what the adapter key gets on activation when a
// profile lacks it (nullptr: the adapter key keeps its own).
struct FormatValue {
    const char* name;
    const char* whenMissing;
};
const FormatValue kFormat[] = {
    { "SSID", "" }, { "Channel", nullptr }, { "NetworkType", "1" }, { "PreambleType", "0" }, { "ACPowerCam", "0" },
    { "PSMode", "0" }, { "TXPower", "0" }, { "UseRts", "0" }, { "RtsThresh", "2347" }, { "UseFrag", "0" },
    { "FragThresh", "2346" }, { "AuthenType", "0" }, { "Encryption", "1" }, { "LeapEnabled", "0" },
    { "LeapUserName", "" }, { "LeapPassword", "" }, { "LeapDomainName", "" }, { "LeapEncryType", "0" },
    { "WPAPSK", "" }, { "WEPKeyUse", "1" }, { "WEPKey1Type", "0" }, { "WEPKey2Type", "0" }, { "WEPKey3Type", "0" },
    { "WEPKey4Type", "0" }, { "WEPKey1", "" }, { "WEPKey2", "" }, { "WEPKey3", "" }, { "WEPKey4", "" },
    { "Use8021X", "0" }, { "AuthenProtocol", "0" }, { "TunnelProtocol", "26" }, { "ProvisioningTunnel", "26" },
    { "ID", "" }, { "Password", "" }, { "DomainName", "" }, { "TunnelID", "" }, { "TunnelPassword", "" },
    { "SessionResumption", "0" }, { "PasswordMode", "1" }, { "UseClientCert", "0" }, { "UseServerCert", "0" },
    { "UsePAC", "0" }, { "ProvisionMode", "1" }, { "PACFilePath", "" }, { "ClientCertLen", "0" },
    { "ClientCertData", "" }, { "ServerCertLen", "0" }, { "ServerCertData", "" }, { "ServerName", "" },
    { "NameRule", "0" }, { "IntermediateCert", "0" },
};
static_assert(sizeof(kFormat) / sizeof(kFormat[0]) == 51, "the profile format has 51 values");

ProfileSettings Infrastructure()
{
    ProfileSettings s;
    s.ssid = "Home";
    s.networkType = 1;
    return s;
}

// ---- Writing ------------------------------------------------------------------

struct WriteCase {
    const char* what;
    void (*set)(ProfileSettings& s);
    std::vector<std::pair<const char*, const char*>> expect;
};

TEST_F(ProfileStoreTest, WriterStoresTheEncodings)
{
    const std::vector<WriteCase> cases = {
        { "channel J12", [](ProfileSettings& s) { s.networkType = 0; s.channel = "J12"; }, { { "Channel", "212" } } },
        { "channel 11", [](ProfileSettings& s) { s.networkType = 0; s.channel = "11"; }, { { "Channel", "11" } } },
        { "RTS disabled", [](ProfileSettings& s) { s.useRts = FALSE; s.rtsThreshold = 500; },
          { { "UseRts", "0" }, { "RtsThresh", "2347" } } },
        { "RTS enabled", [](ProfileSettings& s) { s.useRts = TRUE; s.rtsThreshold = 500; },
          { { "UseRts", "1" }, { "RtsThresh", "500" } } },
        { "RTS above its range", [](ProfileSettings& s) { s.useRts = TRUE; s.rtsThreshold = 5000; },
          { { "RtsThresh", "2347" } } },
        { "RTS below its range", [](ProfileSettings& s) { s.useRts = TRUE; s.rtsThreshold = -3; },
          { { "RtsThresh", "0" } } },
        { "fragmentation above its range", [](ProfileSettings& s) { s.useFrag = TRUE; s.fragThreshold = 9000; },
          { { "UseFrag", "1" }, { "FragThresh", "2346" } } },
        { "fragmentation below its range", [](ProfileSettings& s) { s.useFrag = TRUE; s.fragThreshold = 100; },
          { { "FragThresh", "256" } } },
        { "fragmentation disabled", [](ProfileSettings& s) { s.useFrag = FALSE; s.fragThreshold = 700; },
          { { "UseFrag", "0" }, { "FragThresh", "2346" } } },
        { "ASCII WEP key", [](ProfileSettings& s) {
              s.authChoice = AUTH_CHOICE_OPEN; s.encryptionChoice = ENCR_CHOICE_WEP;
              s.keyFormat[0] = 1; s.wepKey[0] = "abcde"; s.keyFormat[1] = 1; s.wepKey[1] = "Kestiq-13char";
              s.keyFormat[2] = 1; s.wepKey[2] = "seven77"; s.keyFormat[3] = 0; s.wepKey[3] = "0123456789"; },
          { { "WEPKey1Type", "1" }, { "WEPKey1", "6162636465" }, { "WEPKey2", "4b6573746971 2d3133636861 72" },
            { "WEPKey3", "" }, { "WEPKey4Type", "0" }, { "WEPKey4", "0123456789" }, { "Encryption", "0" } } },
        { "WPA-None in infrastructure", [](ProfileSettings& s) { s.authChoice = AUTH_CHOICE_WPA_NONE; },
          { { "AuthenType", "4" } } },
        { "WPA-None ad hoc", [](ProfileSettings& s) { s.networkType = 0; s.authChoice = AUTH_CHOICE_WPA_NONE; },
          { { "AuthenType", "5" }, { "NetworkType", "0" } } },
        { "WPA ad hoc", [](ProfileSettings& s) { s.networkType = 0; s.authChoice = AUTH_CHOICE_WPA; },
          { { "AuthenType", "0" } } },
        { "WPA2-PSK with AES", [](ProfileSettings& s) {
              s.authChoice = AUTH_CHOICE_WPA2_PSK; s.encryptionChoice = ENCR_CHOICE_AES; s.preSharedKey = "secret12"; },
          { { "AuthenType", "7" }, { "Encryption", "6" }, { "WPAPSK", "secret12" }, { "LeapEnabled", "0" } } },
        { "LEAP with WPA2-AES", [](ProfileSettings& s) {
              s.authChoice = AUTH_CHOICE_LEAP; s.leapCipher = 2; s.use8021x = TRUE; s.encryptionChoice = ENCR_CHOICE_AES;
              s.leapIdentity = "kim"; s.leapPassword = "pw"; },
          { { "AuthenType", "0" }, { "Encryption", "0" }, { "LeapEnabled", "1" }, { "LeapEncryType", "2" },
            { "Use8021X", "0" }, { "LeapUserName", "kim" } } },
        { "preamble and power save", [](ProfileSettings& s) { s.preamble = 1; s.powerSave = 1; },
          { { "PreambleType", "0" }, { "PSMode", "2" } } },
        { "preamble Auto, CAM", [](ProfileSettings& s) { s.preamble = 0; s.powerSave = 0; },
          { { "PreambleType", "2" }, { "PSMode", "0" } } },
        { "default key 3", [](ProfileSettings& s) { s.defaultKey = 2; }, { { "WEPKeyUse", "3" } } },
        { "TTLS inner method", [](ProfileSettings& s) { s.dot1x.eapMethod = 2; s.dot1x.ttlsInnerMethod = 4; },
          { { "AuthenProtocol", "2" }, { "TunnelProtocol", "4" } } },
        { "PEAP inner type", [](ProfileSettings& s) { s.dot1x.eapMethod = 0; s.dot1x.tunnelEapType = 13; },
          { { "TunnelProtocol", "13" }, { "ProvisioningTunnel", "26" } } },
        { "EAP-FAST provisioning tunnels", [](ProfileSettings& s) { s.dot1x.eapMethod = 3; s.dot1x.provisioningEapType = 13; },
          { { "AuthenProtocol", "3" }, { "ProvisioningTunnel", "13" } } },
        { "a provisioning tunnel of no inner type", [](ProfileSettings& s) { s.dot1x.provisioningEapType = 25; },
          { { "ProvisioningTunnel", "26" } } },
        { "certificate data", [](ProfileSettings& s) {
              s.dot1x.serverCertLength = 3; s.dot1x.serverCert[0] = 0x0A; s.dot1x.serverCert[1] = 0xFF; s.dot1x.serverCert[2] = 0;
              s.dot1x.clientCertLength = 0; },
          { { "ServerCertLen", "3" }, { "ServerCertData", "0aff00" }, { "ClientCertLen", "0" }, { "ClientCertData", "" } } },
    };
    for (const WriteCase& c : cases) {
        ProfileSettings s = Infrastructure();
        c.set(s);
        ASSERT_TRUE(WriteProfile("Case", s)) << c.what;
        for (const auto& e : c.expect) {
            std::string want = e.second;
            want.erase(std::remove(want.begin(), want.end(), ' '), want.end());
            EXPECT_EQ(want, Stored("Case", e.first)) << c.what << ": " << e.first;
        }
        ASSERT_TRUE(DeleteProfile("Case"));
    }
}

TEST_F(ProfileStoreTest, WriterStoresThe51ValuesOfTheFormatInTheirOrderAndNothingElse)
{
    std::vector<std::string> written;
    {
        kqtest::RegistryWriteRecorder recorder;
        ASSERT_TRUE(recorder.ok());
        ASSERT_TRUE(WriteProfile("Order", Infrastructure()));
        written = recorder.names();
    }
    std::vector<std::string> format;
    for (const FormatValue& v : kFormat) format.push_back(v.name);
    EXPECT_EQ(format, written);

    HKEY k = OpenProfileKey("Order", KEY_READ);
    ASSERT_NE(nullptr, k);
    DWORD count = 0;
    RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ((DWORD)PV_COUNT, count);
    for (const FormatValue& v : kFormat) {
        DWORD type = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, v.name, nullptr, &type, nullptr, nullptr)) << v.name;
        EXPECT_EQ((DWORD)REG_SZ, type) << v.name;
    }
    RegCloseKey(k);
}

TEST_F(ProfileStoreTest, ReaderTakesEachValueByTheFormatsName)
{
    HKEY k = CreateProfileKey("Names");
    ASSERT_NE(nullptr, k);
    for (size_t i = 0; i < 51; ++i) ASSERT_TRUE(WriteRegText(k, kFormat[i].name, ("v" + std::to_string(i)).c_str()));
    ProfileValues values;
    ReadProfileValues(k, values);
    RegCloseKey(k);
    for (int i = 0; i < PV_COUNT; ++i) {
        EXPECT_TRUE(values.present[i]) << kFormat[i].name;
        EXPECT_EQ("v" + std::to_string(i), std::string(values.text[i])) << kFormat[i].name;
    }
}

// ---- Reading --------------------------------------------------------------------

struct ReadCase {
    const char* what;
    std::vector<std::pair<const char*, std::string>> stored;
    bool (*check)(const ProfileSettings& s);
};

TEST_F(ProfileStoreTest, ReaderDecodesStoredAndHandWrittenTexts)
{
    const std::string k127(127, 'w'), k128(128, 'x'), k129(129, 'y');
    const std::vector<ReadCase> cases = {
        { "212 shows as J12", { { "Channel", "212" } }, [](const ProfileSettings& s) { return s.channel == "J12"; } },
        { "208, 216", { { "Channel", "216" } }, [](const ProfileSettings& s) { return s.channel == "J16"; } },
        { "plain channel", { { "Channel", "36" } }, [](const ProfileSettings& s) { return s.channel == "36"; } },
        { "RTS disabled: threshold not read", { { "UseRts", "0" }, { "RtsThresh", "100" } },
          [](const ProfileSettings& s) { return !s.useRts && s.rtsThreshold == 2347; } },
        { "RTS clamped high", { { "UseRts", "1" }, { "RtsThresh", "9999" } },
          [](const ProfileSettings& s) { return s.useRts && s.rtsThreshold == 2347; } },
        { "RTS clamped low", { { "UseRts", "1" }, { "RtsThresh", "-5" } },
          [](const ProfileSettings& s) { return s.rtsThreshold == 0; } },
        { "fragment 100 -> 256", { { "UseFrag", "1" }, { "FragThresh", "100" } },
          [](const ProfileSettings& s) { return s.useFrag && s.fragThreshold == 256; } },
        { "fragment 5000 -> 2346", { { "UseFrag", "1" }, { "FragThresh", "5000" } },
          [](const ProfileSettings& s) { return s.fragThreshold == 2346; } },
        { "fragment 2347 -> 2346", { { "UseFrag", "1" }, { "FragThresh", "2347" } },
          [](const ProfileSettings& s) { return s.fragThreshold == 2346; } },
        { "ASCII key back to its characters", { { "WEPKey2Type", "1" }, { "WEPKey2", "6162636465" } },
          [](const ProfileSettings& s) { return s.keyFormat[1] == 1 && s.wepKey[1] == "abcde"; } },
        { "ASCII key of 12 digits not converted", { { "WEPKey1Type", "1" }, { "WEPKey1", "616263646566" } },
          [](const ProfileSettings& s) { return s.wepKey[0] == "preset"; } },
        { "ASCII key with non-hex digits not converted", { { "WEPKey1Type", "1" }, { "WEPKey1", "zz62636465" } },
          [](const ProfileSettings& s) { return s.wepKey[0] == "preset"; } },
        { "hex key unchanged", { { "WEPKey1Type", "0" }, { "WEPKey1", "0123456789" } },
          [](const ProfileSettings& s) { return s.wepKey[0] == "0123456789"; } },
        { "WPA-None stored as 4 reads as WPA-PSK", { { "AuthenType", "4" } },
          [](const ProfileSettings& s) { return s.authChoice == AUTH_CHOICE_WPA_PSK; } },
        { "AuthenType 5 is WPA-None, 6 WPA2", { { "AuthenType", "6" } },
          [](const ProfileSettings& s) { return s.authChoice == AUTH_CHOICE_WPA2; } },
        { "AuthenType 2 leaves the choice", { { "AuthenType", "2" } },
          [](const ProfileSettings& s) { return s.authChoice == AUTH_CHOICE_SHARED; } },
        { "LEAP with WPA2-AES", { { "AuthenType", "0" }, { "Encryption", "0" }, { "LeapEnabled", "1" }, { "LeapEncryType", "2" } },
          [](const ProfileSettings& s) { return s.authChoice == AUTH_CHOICE_LEAP && s.leapCipher == 2; } },
        { "LEAP: Encryption 4 means WPA-TKIP, the 802.1X box cleared",
          { { "LeapEnabled", "1" }, { "Encryption", "4" }, { "Use8021X", "1" } },
          [](const ProfileSettings& s) { return s.leapCipher == 1 && !s.use8021x && s.encryptionChoice == ENCR_CHOICE_WEP; } },
        { "LEAP: Encryption 6 means WPA2-AES", { { "LeapEnabled", "1" }, { "Encryption", "6" } },
          [](const ProfileSettings& s) { return s.leapCipher == 2; } },
        { "encryption 6 is AES, 1 None", { { "Encryption", "6" } },
          [](const ProfileSettings& s) { return s.encryptionChoice == ENCR_CHOICE_AES; } },
        { "encryption 2 taken as the choice itself", { { "Encryption", "2" } },
          [](const ProfileSettings& s) { return s.encryptionChoice == ENCR_CHOICE_TKIP; } },
        { "encryption 9 leaves the choice", { { "Encryption", "9" } },
          [](const ProfileSettings& s) { return s.encryptionChoice == ENCR_CHOICE_WEP; } },
        { "power save 1 and 2 are PSM", { { "PSMode", "1" } }, [](const ProfileSettings& s) { return s.powerSave == 1; } },
        { "power save 5 is CAM", { { "PSMode", "5" } }, [](const ProfileSettings& s) { return s.powerSave == 0; } },
        { "preamble 0 is Long", { { "PreambleType", "0" } }, [](const ProfileSettings& s) { return s.preamble == 1; } },
        { "preamble 1 is Auto", { { "PreambleType", "1" } }, [](const ProfileSettings& s) { return s.preamble == 0; } },
        { "default key is the stored number minus 1", { { "WEPKeyUse", "4" } },
          [](const ProfileSettings& s) { return s.defaultKey == 3; } },
        { "default key 0 or 7 leaves it", { { "WEPKeyUse", "7" } },
          [](const ProfileSettings& s) { return s.defaultKey == 1; } },
        { "a 127-character value reads back whole", { { "ID", k127 } },
          [](const ProfileSettings& s) { return s.dot1x.identity.GetLength() == 127; } },
        { "a 128-character value keeps the previous content", { { "ID", k128 } },
          [](const ProfileSettings& s) { return s.dot1x.identity == "preset"; } },
        { "a 129-character value keeps the previous content", { { "ID", k129 } },
          [](const ProfileSettings& s) { return s.dot1x.identity == "preset"; } },
        { "certificate data decoded to its length", { { "ServerCertLen", "2" }, { "ServerCertData", "0aff" } },
          [](const ProfileSettings& s) {
              return s.dot1x.serverCertLength == 2 && s.dot1x.serverCert[0] == 0x0A && s.dot1x.serverCert[1] == 0xFF; } },
        { "certificate length beyond its text", { { "ServerCertLen", "60" }, { "ServerCertData", "0aff" } },
          [](const ProfileSettings& s) { return s.dot1x.serverCertLength == 2; } },
        { "certificate length above 152", { { "ClientCertLen", "400" }, { "ClientCertData", std::string(304 - 200, 'a') } },
          [](const ProfileSettings& s) { return s.dot1x.clientCertLength == 52; } },
        { "TTLS reads its inner method", { { "AuthenProtocol", "2" }, { "TunnelProtocol", "5" } },
          [](const ProfileSettings& s) { return s.dot1x.ttlsInnerMethod == 5 && s.dot1x.tunnelEapType == 26; } },
        { "non-numeric, empty and signless numbers read as 0, as atoi reads them",
          { { "NetworkType", "abc" }, { "TXPower", "" }, { "AuthenType", "-" }, { "ACPowerCam", " 12abc" },
            { "Encryption", "" } },
          [](const ProfileSettings& s) {
              return s.networkType == 0 && s.txPower == 0 && s.authChoice == AUTH_CHOICE_OPEN && s.acPowerCam == 12 &&
                     s.encryptionChoice == ENCR_CHOICE_WEP; } },
        { "an empty RTS threshold is 0", { { "UseRts", "1" }, { "RtsThresh", "" } },
          [](const ProfileSettings& s) { return s.useRts && s.rtsThreshold == 0; } },
        { "out-of-range choices keep the preset",
          { { "NetworkType", "2" }, { "TXPower", "7" }, { "LeapEncryType", "3" }, { "WEPKey1Type", "2" } },
          [](const ProfileSettings& s) { return s.networkType == 1 && s.txPower == 3 && s.leapCipher == 1 && s.keyFormat[0] == 0; } },
    };
    for (const ReadCase& c : cases) {
        HKEY k = CreateProfileKey("Read");
        ASSERT_NE(nullptr, k) << c.what;
        for (const auto& v : c.stored) ASSERT_TRUE(WriteRegText(k, v.first, v.second.c_str())) << c.what;
        RegCloseKey(k);
        ProfileSettings s;
        s.networkType = 1;
        s.txPower = 3;
        s.authChoice = AUTH_CHOICE_SHARED;
        s.encryptionChoice = ENCR_CHOICE_WEP;
        s.defaultKey = 1;
        s.leapCipher = 1;
        s.wepKey[0] = "preset";
        s.dot1x.identity = "preset";
        ASSERT_TRUE(ReadProfile("Read", s)) << c.what;
        EXPECT_TRUE(c.check(s)) << c.what;
        ASSERT_TRUE(DeleteProfile("Read"));
    }
}

TEST_F(ProfileStoreTest, ANumberStoredAsADwordIsThatNumber)
{
    HKEY k = CreateProfileKey("Dword");
    ASSERT_NE(nullptr, k);
    const DWORD adhoc = 0, lowest = 6;
    RegSetValueExA(k, "NetworkType", 0, REG_DWORD, (const BYTE*)&adhoc, sizeof(adhoc));
    RegSetValueExA(k, "TXPower", 0, REG_DWORD, (const BYTE*)&lowest, sizeof(lowest));
    RegSetValueExA(k, "SSID", 0, REG_DWORD, (const BYTE*)&lowest, sizeof(lowest));
    RegCloseKey(k);
    ProfileSettings s;
    s.networkType = 1;
    s.ssid = "preset";
    ASSERT_TRUE(ReadProfile("Dword", s));
    EXPECT_EQ(0, s.networkType);
    EXPECT_EQ(6, s.txPower);
    EXPECT_EQ(CString("preset"), s.ssid) << "a text value must be a text";

    ASSERT_TRUE(CopyProfileToAdapterKey("Dword"));
    DWORD type = 0, value = 99, size = sizeof(value);
    HKEY a = OpenAdapterKey(KEY_READ);
    ASSERT_NE(nullptr, a);
    RegQueryValueExA(a, "NetworkType", nullptr, &type, (BYTE*)&value, &size);
    RegCloseKey(a);
    EXPECT_EQ((DWORD)REG_DWORD, type) << "copied as it is, not replaced by its default";
    EXPECT_EQ(0u, value);
    EXPECT_EQ("", Active("SSID")) << "a text that is no text gets its default";
}

TEST_F(ProfileStoreTest, MissingKeyLoadsNothing)
{
    ProfileSettings s;
    s.ssid = "kept";
    EXPECT_FALSE(ReadProfile("Nowhere", s));
    EXPECT_EQ(CString("kept"), s.ssid);
    EXPECT_FALSE(ReadProfile("", s));
    EXPECT_FALSE(ReadProfile(std::string(33, 'n').c_str(), s));
    EXPECT_FALSE(WriteProfile(std::string(33, 'n').c_str(), s));
    EXPECT_FALSE(WriteProfile("a\\b", s));
}

TEST_F(ProfileStoreTest, WriteThenReadGivesBackEveryField)
{
    ProfileSettings w;
    w.ssid = "Round Trip";
    w.channel = "J8";
    w.networkType = 0;
    w.preamble = 1;
    w.acPowerCam = 7;
    w.powerSave = 1;
    w.txPower = 5;
    w.useRts = TRUE;
    w.rtsThreshold = 1234;
    w.useFrag = TRUE;
    w.fragThreshold = 999;
    w.authChoice = AUTH_CHOICE_SHARED;
    w.encryptionChoice = ENCR_CHOICE_WEP;
    w.use8021x = TRUE;
    w.defaultKey = 2;
    const int formats[4] = { 0, 1, 1, 0 };
    const char* keys[4] = { "0a0b0c0d0e", "12345", "ABCDEFGHIJKLM", "00112233445566778899aabbcc" };
    for (int i = 0; i < 4; ++i) {
        w.keyFormat[i] = formats[i];
        w.wepKey[i] = keys[i];
    }
    w.preSharedKey = "not used but kept";
    w.leapIdentity = "leap id";
    w.leapPassword = "leap pw";
    w.leapDomain = "LEAPDOM";
    w.leapCipher = 1;
    Dot1xSettings& d = w.dot1x;
    d.eapMethod = 3;
    d.tunnelEapType = 6;
    d.provisioningEapType = 6;
    d.ttlsInnerMethod = 3;   // not stored for EAP-FAST: the default comes back
    d.sessionResumption = 1;
    d.identity = "user";
    d.password = "pass word";
    d.tunnelId = "tunnel";
    d.tunnelPassword = "tunnel pw";
    d.domainName = "CORP";
    d.passwordMode = 0;
    d.useClientCert = 1;
    d.useServerCert = 1;
    d.usePac = 1;
    d.provisionMode = 2;
    d.pacFilePath = "C:\\pac\\Round Trip.pac";
    d.intermediateCert = 1;
    d.serverName = "radius.example";
    d.nameRule = 2;
    d.clientCertLength = 20;
    d.serverCertLength = 63;   // 126 hex digits: the longest that reads back
    for (int i = 0; i < kCertDataMax; ++i) {
        d.clientCert[i] = i < 20 ? (BYTE)(i * 13) : 0;
        d.serverCert[i] = i < 63 ? (BYTE)(255 - i) : 0;
    }
    ASSERT_TRUE(WriteProfile("Round Trip", w));

    ProfileSettings r;
    ASSERT_TRUE(ReadProfile("Round Trip", r));
    EXPECT_EQ(w.ssid, r.ssid);
    EXPECT_EQ(w.channel, r.channel);
    EXPECT_EQ(w.networkType, r.networkType);
    EXPECT_EQ(w.preamble, r.preamble);
    EXPECT_EQ(w.acPowerCam, r.acPowerCam);
    EXPECT_EQ(w.powerSave, r.powerSave);
    EXPECT_EQ(w.txPower, r.txPower);
    EXPECT_EQ(w.useRts, r.useRts);
    EXPECT_EQ(w.rtsThreshold, r.rtsThreshold);
    EXPECT_EQ(w.useFrag, r.useFrag);
    EXPECT_EQ(w.fragThreshold, r.fragThreshold);
    EXPECT_EQ(w.authChoice, r.authChoice);
    EXPECT_EQ(w.encryptionChoice, r.encryptionChoice);
    EXPECT_EQ(w.use8021x, r.use8021x);
    EXPECT_EQ(w.defaultKey, r.defaultKey);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w.keyFormat[i], r.keyFormat[i]) << i;
        EXPECT_EQ(w.wepKey[i], r.wepKey[i]) << i;
    }
    EXPECT_EQ(w.preSharedKey, r.preSharedKey);
    EXPECT_EQ(w.leapIdentity, r.leapIdentity);
    EXPECT_EQ(w.leapPassword, r.leapPassword);
    EXPECT_EQ(w.leapDomain, r.leapDomain);
    EXPECT_EQ(w.leapCipher, r.leapCipher);
    EXPECT_EQ(d.eapMethod, r.dot1x.eapMethod);
    EXPECT_EQ(d.tunnelEapType, r.dot1x.tunnelEapType);
    EXPECT_EQ(d.provisioningEapType, r.dot1x.provisioningEapType);
    EXPECT_EQ(d.ttlsInnerMethod, r.dot1x.ttlsInnerMethod);
    EXPECT_EQ(d.sessionResumption, r.dot1x.sessionResumption);
    EXPECT_EQ(d.identity, r.dot1x.identity);
    EXPECT_EQ(d.password, r.dot1x.password);
    EXPECT_EQ(d.tunnelId, r.dot1x.tunnelId);
    EXPECT_EQ(d.tunnelPassword, r.dot1x.tunnelPassword);
    EXPECT_EQ(d.domainName, r.dot1x.domainName);
    EXPECT_EQ(d.passwordMode, r.dot1x.passwordMode);
    EXPECT_EQ(d.useClientCert, r.dot1x.useClientCert);
    EXPECT_EQ(d.useServerCert, r.dot1x.useServerCert);
    EXPECT_EQ(d.usePac, r.dot1x.usePac);
    EXPECT_EQ(d.provisionMode, r.dot1x.provisionMode);
    EXPECT_EQ(d.pacFilePath, r.dot1x.pacFilePath);
    EXPECT_EQ(d.intermediateCert, r.dot1x.intermediateCert);
    EXPECT_EQ(d.serverName, r.dot1x.serverName);
    EXPECT_EQ(d.nameRule, r.dot1x.nameRule);
    EXPECT_EQ(d.clientCertLength, r.dot1x.clientCertLength);
    EXPECT_EQ(0, std::memcmp(d.clientCert, r.dot1x.clientCert, kCertDataMax));
    EXPECT_EQ(d.serverCertLength, r.dot1x.serverCertLength);
    EXPECT_EQ(0, std::memcmp(d.serverCert, r.dot1x.serverCert, kCertDataMax));

    // TTLS keeps its inner method in the same value.
    w.dot1x.eapMethod = 2;
    w.dot1x.ttlsInnerMethod = 5;
    ASSERT_TRUE(WriteProfile("Round Trip", w));
    ProfileSettings t;
    ASSERT_TRUE(ReadProfile("Round Trip", t));
    EXPECT_EQ(2, t.dot1x.eapMethod);
    EXPECT_EQ(5, t.dot1x.ttlsInnerMethod);
}

TEST_F(ProfileStoreTest, SingleValueWriterChangesOnlyThatValue)
{
    ProfileSettings s = Infrastructure();
    s.dot1x.identity = "old";
    ASSERT_TRUE(WriteProfile("One", s));
    EXPECT_TRUE(WriteProfileValue("One", PV_PAC_FILE_PATH, "C:\\x.pac"));
    EXPECT_TRUE(WriteProfileValue("One", PV_ID, "new"));
    EXPECT_EQ("C:\\x.pac", Stored("One", "PACFilePath"));
    EXPECT_EQ("new", Stored("One", "ID"));
    EXPECT_EQ("Home", Stored("One", "SSID"));
    EXPECT_FALSE(WriteProfileValue("Absent", PV_ID, "x"));
    EXPECT_FALSE(WriteProfileValue("One", PV_COUNT, "x"));
}

// ---- Enumeration and activation ---------------------------------------------------

TEST_F(ProfileStoreTest, OverlongNameIsSkippedAndTheOthersAreListed)
{
    ASSERT_TRUE(WriteProfile("Alpha", Infrastructure()));
    std::string longName(33, 'L');
    m_key.CreateSubkey(("Profile\\Station\\" + longName).c_str());
    m_key.CreateSubkey(("Profile\\Station\\" + std::string(32, 'M')).c_str());
    ASSERT_TRUE(WriteProfile("Zulu", Infrastructure()));
    std::vector<CString> names = EnumProfileNames();
    std::vector<std::string> got;
    for (const CString& n : names) got.push_back(n.GetString());
    EXPECT_EQ((std::vector<std::string>{ "Alpha", std::string(32, 'M'), "Zulu" }), got);
}

TEST_F(ProfileStoreTest, NoStationKeyListsNothing)
{
    EXPECT_TRUE(EnumProfileNames().empty());
}

TEST_F(ProfileStoreTest, ActivationCopiesEveryValueAndDefaultsWhatTheProfileLacks)
{
    // The adapter key holds the previous profile's settings.
    ProfileSettings previous = Infrastructure();
    previous.authChoice = AUTH_CHOICE_WPA2_PSK;
    previous.encryptionChoice = ENCR_CHOICE_AES;
    previous.preSharedKey = "old secret";
    ASSERT_TRUE(WriteProfile("Previous", previous));
    ASSERT_TRUE(CopyProfileToAdapterKey("Previous"));
    ASSERT_TRUE(WriteAdapterText("Channel", "6"));
    EXPECT_EQ("old secret", Active("WPAPSK"));

    // A profile written by hand: a few values, some unusable.
    HKEY k = CreateProfileKey("Hand");
    ASSERT_NE(nullptr, k);
    WriteRegText(k, "SSID", "Cafe");
    WriteRegText(k, "NetworkType", "infra");
    WriteRegText(k, "Channel", "x");
    WriteRegText(k, "AuthenType", "");
    WriteRegText(k, "Extra", "kept");
    std::string longCert(200, 'a');
    WriteRegText(k, "ServerCertData", longCert.c_str());
    RegCloseKey(k);

    CString channel = "unset";
    ASSERT_TRUE(CopyProfileToAdapterKey("Hand", &channel));
    EXPECT_EQ(CString("x"), channel);
    EXPECT_EQ("Cafe", Active("SSID"));
    // Texts that are no numbers are copied as they are: the apply reads them as 0.
    EXPECT_EQ("infra", Active("NetworkType"));
    EXPECT_EQ("", Active("AuthenType"));
    EXPECT_EQ("x", Active("Channel"));
    // What the profile lacks gets its default.
    EXPECT_EQ("1", Active("Encryption"));
    EXPECT_EQ("", Active("WPAPSK"));
    EXPECT_EQ("2347", Active("RtsThresh"));
    EXPECT_EQ("1", Active("WEPKeyUse"));
    EXPECT_EQ("kept", Active("Extra"));
    EXPECT_EQ(longCert, Active("ServerCertData"));
    // The profile itself is untouched.
    EXPECT_EQ("infra", Stored("Hand", "NetworkType"));
    EXPECT_EQ("<missing>", Stored("Hand", "Encryption"));
    EXPECT_EQ("old secret", Stored("Previous", "WPAPSK"));

    EXPECT_FALSE(CopyProfileToAdapterKey("Absent"));
}

TEST_F(ProfileStoreTest, ActivationGivesEachValueAProfileLacksItsDefault)
{
    for (const FormatValue& v : kFormat) ASSERT_TRUE(WriteAdapterText(v.name, "previous"));
    m_key.CreateSubkey("Profile\\Station\\Empty");
    ASSERT_TRUE(CopyProfileToAdapterKey("Empty"));
    for (const FormatValue& v : kFormat) {
        EXPECT_EQ(v.whenMissing ? v.whenMissing : "previous", Active(v.name)) << v.name;
        DWORD type = 0;
        HKEY k = OpenAdapterKey(KEY_READ);
        ASSERT_NE(nullptr, k);
        RegQueryValueExA(k, v.name, nullptr, &type, nullptr, nullptr);
        RegCloseKey(k);
        EXPECT_EQ((DWORD)REG_SZ, type) << v.name;
    }
}

TEST_F(ProfileStoreTest, DeleteRemovesTheKeyWithItsValues)
{
    ASSERT_TRUE(WriteProfile("Gone", Infrastructure()));
    ASSERT_TRUE(WriteProfile("Stays", Infrastructure()));
    EXPECT_TRUE(DeleteProfile("Gone"));
    EXPECT_EQ(nullptr, OpenProfileKey("Gone", KEY_READ));
    EXPECT_EQ("Home", Stored("Stays", "SSID"));
    EXPECT_FALSE(DeleteProfile("Gone"));
}

TEST(ProfileNumbers, ReadLikeAtoiAndHeldWithinAnInt)
{
    struct { const char* text; bool ok; int value; } cases[] = {
        { "0", true, 0 }, { "212", true, 212 }, { "-5", true, -5 }, { "+7", true, 7 }, { "  42", true, 42 },
        { "12abc", true, 12 }, { "99999999999", true, 2147483647 }, { "-99999999999", true, -2147483647 - 1 },
        { "", true, 0 }, { "abc", true, 0 }, { "-", true, 0 }, { " ", true, 0 }, { nullptr, false, 0 },
    };
    for (const auto& c : cases) {
        int v = -1;
        EXPECT_EQ(c.ok, ParseProfileNumber(c.text, &v) != FALSE) << (c.text ? c.text : "NULL");
        if (c.ok) {
            EXPECT_EQ(c.value, v) << c.text;
        }
    }
    EXPECT_EQ(212, ChannelTextToNumber("J12"));
    EXPECT_EQ(208, ChannelTextToNumber("J8"));
    EXPECT_EQ(0, ChannelTextToNumber(""));
    EXPECT_EQ(CString("J16"), ChannelNumberToText(216));
    EXPECT_EQ(CString("0"), ChannelNumberToText(0));
}

}  // namespace
