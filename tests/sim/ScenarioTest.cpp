// Scenario files and the set-up tool that loads them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sim/client/SimTestSupport.h"
#include "tests/sim/RunSetup.h"

namespace {

const char kGoodLine[] = "network ssid=\"Cafe\" bssid=00:11:22:33:66:01 channel=6 rssi=-50 security=open";

struct BadLine {
    const char* line;
    const char* reason;
};

const BadLine kBadLines[] = {
    {"network ssid=\"A\" channel=6", "missing bssid"},
    {"network ssid=\"A\" bssid=00:11:22:33:44 channel=6", "is not a MAC address"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55", "missing channel"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=0", "channel must be 1-196"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 rssi=loud", "rssi must be"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 security=wpa2-psk", "needs psk"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 security=wpa2-psk psk=\"short\"", "psk must be 8-63"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 security=wep", "needs wepkey1"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 security=wep wepkey1=12345", "wepkey1 must be"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 security=wpa9", "unknown security"},
    {"network ssid=\"A bssid=00:11:22:33:44:55 channel=6", "unterminated quote"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 colour=blue", "unknown key \"colour\""},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 channel=7", "given twice"},
    {"network ssid=\"123456789012345678901234567890123\" bssid=00:11:22:33:44:55 channel=6", "longer than 32"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 hidden", "expected key=value"},
    {"network ssid=\"A\" bssid=00:11:22:33:66:01 channel=6", "used twice"},
    {"accesspoint ssid=\"A\" bssid=00:11:22:33:44:55 channel=6", "unknown line type"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 wps=pin:1234567", "wps=pin: must be followed by 8 digits"},
    {"network ssid=\"A\" bssid=00:11:22:33:44:55 channel=6 wps=pin:1234567x", "wps=pin: must be followed by 8 digits"},
};

TEST(ScenarioParser, MalformedLineIsRejectedWithFileLineAndReason)
{
    for (const BadLine& c : kBadLines) {
        SCOPED_TRACE(c.line);
        std::string text = std::string("# comment\n") + kGoodLine + "\n" + c.line + "\n";
        std::vector<KQSIM_NETWORK> out(1);
        out[0].ssidLen = 99;   // must survive a failed parse
        std::string error;
        EXPECT_FALSE(kqsim::ParseScenarioText(text, "air.txt", out, error));
        EXPECT_EQ(0u, error.find("air.txt:3: ")) << error;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        ASSERT_EQ(1u, out.size());
        EXPECT_EQ(99, out[0].ssidLen);
    }
}

TEST(ScenarioParser, ReadsEveryKindOfSetting)
{
    const char text[] =
        "network ssid=\"Say \\\"hi\\\"\" bssid=00:11:22:33:44:55 freq=2484 rssi=-101 security=wep-shared "
        "wepkey2=\"abcde\" wep-tx=2 hidden=yes visible=no mode=adhoc beacon=200 rates=1*,2*,5.5,11 "
        "wps=pbc ht=40 ccx=4 ip=10.0.0.7 ie=DD0400409603\n"
        "network ssid-hex=C4E3BAC3 bssid=00-11-22-33-44-56 channel=149 security=wpa-wpa2-1x cipher=tkip "
        "eap=\"method=peap identity=bob\" rates=none nettype=ofdm5\n";
    std::vector<KQSIM_NETWORK> nets;
    std::string error;
    ASSERT_TRUE(kqsim::ParseScenarioText(text, "t.txt", nets, error)) << error;
    ASSERT_EQ(2u, nets.size());
    const KQSIM_NETWORK& a = nets[0];
    EXPECT_EQ("Say \"hi\"", std::string(a.ssid, a.ssidLen));
    EXPECT_EQ(2484000u, a.freqKHz);
    EXPECT_EQ(-101, a.rssi);
    EXPECT_EQ((unsigned)KQSIM_SEC_WEP_SHARED, a.security);
    EXPECT_EQ(5, a.wepKeyLen[1]);
    EXPECT_EQ(0, std::memcmp(a.wepKey[1], "abcde", 5));
    EXPECT_EQ(1, a.wepTxKey);
    EXPECT_EQ(1, a.hidden);
    EXPECT_EQ(0u, a.flags & KQSIM_NET_VISIBLE);
    EXPECT_EQ(0u, a.infraMode);
    EXPECT_EQ(200u, a.beaconInterval);
    ASSERT_EQ(4, a.rateCount);
    EXPECT_EQ((std::vector<BYTE>{0x82, 0x84, 0x0B, 0x16}), std::vector<BYTE>(a.rates, a.rates + 4));
    EXPECT_EQ(unsigned(KQSIM_NET_WPS | KQSIM_NET_WPS_PBC | KQSIM_NET_HT | KQSIM_NET_HT40 | KQSIM_NET_CCX),
              a.flags & (KQSIM_NET_WPS | KQSIM_NET_WPS_PBC | KQSIM_NET_HT | KQSIM_NET_HT40 | KQSIM_NET_CCX));
    EXPECT_EQ(0x0700000Au, a.ipAddress);
    EXPECT_EQ(6, a.ieLen);
    const KQSIM_NETWORK& b = nets[1];
    EXPECT_EQ(4, b.ssidLen);
    EXPECT_EQ(0xC4, (BYTE)b.ssid[0]);
    EXPECT_EQ((unsigned)KQSIM_CIPHER_TKIP, b.ciphers);
    EXPECT_EQ(0, b.rateCount);
    EXPECT_EQ(2u, b.networkType);
    EXPECT_STREQ("method=peap identity=bob", b.eap);
}

// An access point's PIN is read, and written back in a scenario line.
TEST(ScenarioParser, WpsPinOfAnAccessPoint)
{
    std::vector<KQSIM_NETWORK> nets;
    std::string error;
    ASSERT_TRUE(kqsim::ParseScenarioText("network ssid=\"P\" bssid=00:11:22:33:44:55 channel=6 wps=pin:12345670\n",
                                         "t.txt", nets, error))
        << error;
    ASSERT_EQ(1u, nets.size());
    EXPECT_EQ(unsigned(KQSIM_NET_WPS | KQSIM_NET_WPS_PIN), nets[0].flags & (KQSIM_NET_WPS | KQSIM_NET_WPS_PIN));
    EXPECT_EQ("12345670", std::string(nets[0].wpsPin, 8));
    std::string line = kqsim::FormatNetworkLine(nets[0]);
    EXPECT_NE(std::string::npos, line.find(" wps=pin:12345670")) << line;
    std::vector<KQSIM_NETWORK> again;
    ASSERT_TRUE(kqsim::ParseScenarioText(line + "\n", "again.txt", again, error)) << error;
    EXPECT_EQ(0, std::memcmp(&nets[0], &again[0], sizeof(KQSIM_NETWORK)));
}

TEST(ScenarioParser, DefaultScenarioHoldsEveryKindOfNetwork)
{
    std::vector<KQSIM_NETWORK> nets;
    std::string error;
    ASSERT_TRUE(kqsim::LoadScenarioFile(KQ_SOURCE_DIR "/sim/scenarios/default.txt", nets, error)) << error;
    std::set<unsigned> kinds;
    bool hidden = false, wps = false, fiveN = false;
    for (const KQSIM_NETWORK& n : nets) {
        kinds.insert(n.security);
        hidden |= n.hidden != 0;
        wps |= (n.flags & KQSIM_NET_WPS) != 0;
        fiveN |= n.channel > 14 && (n.flags & KQSIM_NET_HT);
    }
    for (unsigned k : {KQSIM_SEC_OPEN, KQSIM_SEC_WEP, KQSIM_SEC_WPA2_PSK, KQSIM_SEC_WPA_WPA2_PSK, KQSIM_SEC_WPA2_1X})
        EXPECT_TRUE(kinds.count(k)) << kqsim::SecurityName(k);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(wps);
    EXPECT_TRUE(fiveN);
}

// ---- the set-up tool --------------------------------------------------

std::string WriteTempFile(const char* name, const std::string& text)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::set<std::string> Bssids(const std::vector<KQSIM_NETWORK>& nets)
{
    std::set<std::string> s;
    for (const KQSIM_NETWORK& n : nets) s.insert(kqsim::FormatMac(n.bssid));
    return s;
}

// The networks the set-up tool keeps for the driver's next start.
const char kParams[] = "System\\CurrentControlSet\\Services\\" KQSIM_SERVICE_NAME "\\Parameters";

bool ReadPersisted(std::vector<BYTE>& out)
{
    HKEY k;
    out.clear();
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(k, "Networks", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS;
    out.resize(size);
    ok = ok && RegQueryValueExA(k, "Networks", nullptr, nullptr, out.data(), &size) == ERROR_SUCCESS;
    RegCloseKey(k);
    return ok;
}

void WritePersisted(const std::vector<BYTE>& data)
{
    HKEY k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParams, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegSetValueExA(k, "Networks", 0, REG_BINARY, data.data(), (DWORD)data.size());
    RegCloseKey(k);
}

class SetupToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(client.Open(5000)) << "the simulated driver's control device does not open";
        air.reset(new kqsim::AirGuard(client));
        ASSERT_TRUE(air->ok());
        hadPersisted = ReadPersisted(persisted);
    }
    void TearDown() override
    {
        air.reset();
        if (hadPersisted) WritePersisted(persisted);
    }
    kqsim::SimClient client;
    std::unique_ptr<kqsim::AirGuard> air;
    std::vector<BYTE> persisted;
    bool hadPersisted = false;
};

TEST_F(SetupToolTest, MalformedScenarioLineIsRejectedAndNothingChanges)
{
    std::string path = WriteTempFile("kq-bad-scenario.txt",
                                     std::string(kGoodLine) + "\n"
                                     "network ssid=\"Two\" bssid=00:11:22:33:66:02 channel=1 security=open\n"
                                     "network ssid=\"Three\" bssid=00:11:22:33:66:03 channel=99x\n");
    std::vector<KQSIM_NETWORK> before, after;
    ASSERT_TRUE(client.GetNetworks(before));
    std::string out;
    EXPECT_EQ(2u, RunSetup("load \"" + path + "\"", out));
    EXPECT_NE(std::string::npos, out.find(path + ":3: channel must be 1-196")) << out;
    EXPECT_NE(std::string::npos, out.find("nothing was changed")) << out;
    ASSERT_TRUE(client.GetNetworks(after));
    EXPECT_EQ(Bssids(before), Bssids(after));
    std::vector<BYTE> kept;
    ReadPersisted(kept);
    EXPECT_EQ(persisted, kept) << "the networks kept for the next start changed";
    DeleteFileA(path.c_str());
}

TEST_F(SetupToolTest, LoadsAScenarioAndListsItsNetworks)
{
    std::string path = WriteTempFile("kq-good-scenario.txt",
                                     std::string(kGoodLine) + "\n"
                                     "network ssid=\"Lab\" bssid=00:11:22:33:66:02 channel=44 rssi=-70 "
                                     "security=wpa2-psk psk=\"lab-passphrase\"\n");
    std::string out;
    ASSERT_EQ(0u, RunSetup("load \"" + path + "\"", out)) << out;
    std::vector<KQSIM_NETWORK> nets;
    ASSERT_TRUE(client.GetNetworks(nets));
    EXPECT_EQ((std::set<std::string>{"00:11:22:33:66:01", "00:11:22:33:66:02"}), Bssids(nets));
    ASSERT_EQ(0u, RunSetup("networks", out)) << out;
    EXPECT_NE(std::string::npos, out.find("ssid=\"Cafe\" bssid=00:11:22:33:66:01 channel=6")) << out;
    EXPECT_NE(std::string::npos, out.find("ssid=\"Lab\" bssid=00:11:22:33:66:02 channel=44 rssi=-70 security=wpa2-psk"))
        << out;
    DeleteFileA(path.c_str());
}

TEST_F(SetupToolTest, UnknownCommandAndBadOptionsFailWithUsage)
{
    std::string out;
    EXPECT_EQ(1u, RunSetup("frobnicate", out));
    EXPECT_NE(std::string::npos, out.find("usage: kqsetup")) << out;
    EXPECT_EQ(1u, RunSetup("install --model 3", out));
    EXPECT_NE(std::string::npos, out.find("--model must be")) << out;
    EXPECT_EQ(1u, RunSetup("install --hwid PCI\\VEN_8086&DEV_1234", out));
    EXPECT_NE(std::string::npos, out.find("is not one of the supported adapters")) << out;
}

}  // namespace
