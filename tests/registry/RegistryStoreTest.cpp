// The registry configuration store against the real registry of the prefix,
// on a scratch adapter key of the test's own; the driver-facing parts
// against a simulated adapter of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/AdapterDiscovery.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"
#include "tests/registry/RegistryWrites.h"

using kqsim::LogEntry;

namespace {

const char kScratchKey[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\9999";

struct RawValue {
    DWORD type = 0;
    std::vector<BYTE> data;
    // Narrow writes of texts get a terminator from the platform (as on NT,
    // the byte after the counted text is taken in when it is NUL): not part
    // of the text.
    std::string Text() const
    {
        std::string t(data.begin(), data.end());
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            while (!t.empty() && t.back() == '\0') t.pop_back();
        return t;
    }
};

std::string KeyPath(const char* subkey)
{
    std::string p = kScratchKey;
    if (subkey) p = p + "\\" + subkey;
    return p;
}

bool CreateKey(const char* subkey)
{
    HKEY k = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath(subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

bool KeyExists(const char* subkey)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath(subkey).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

void PutRaw(const char* subkey, const char* name, DWORD type, const void* data, DWORD size)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, KeyPath(subkey).c_str(), name, type, data, size));
}

std::wstring Wide(const std::string& s);

// A text stored with no terminator at all (the wide call stores exactly the
// count it is given).
void PutText(const char* name, const std::string& text, const char* subkey = nullptr)
{
    std::wstring w = Wide(text);
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, Wide(KeyPath(subkey)).c_str(), Wide(name).c_str(),
                                             REG_SZ, w.data(), (DWORD)(w.size() * sizeof(wchar_t))));
}

std::wstring Wide(const std::string& s)
{
    std::wstring w(s.size(), L'\0');
    for (size_t i = 0; i < s.size(); ++i) w[i] = (wchar_t)(unsigned char)s[i];
    return w;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The data exactly as stored (the wide view: the narrow one adds a terminator
// to texts stored without one); texts narrowed character by character.
RawValue FromWide(DWORD type, const BYTE* data, DWORD size)
{
    RawValue v;
    v.type = type;
    if (IsTextType(type)) {
        for (DWORD i = 0; i + 1 < size; i += 2) v.data.push_back(data[i]);
    } else {
        v.data.assign(data, data + size);
    }
    return v;
}

bool GetRaw(const char* name, RawValue& v, const char* subkey = nullptr)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath(subkey).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    std::wstring wname = Wide(name);
    DWORD size = 0, type = 0;
    bool ok = RegQueryValueExW(k, wname.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        std::vector<BYTE> data(size + 2, 0);
        ok = RegQueryValueExW(k, wname.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
        if (ok) v = FromWide(type, data.data(), size);
    }
    RegCloseKey(k);
    return ok;
}

// The text as stored; "<missing>" when there is no value.
std::string Stored(const char* name, const char* subkey = nullptr)
{
    RawValue v;
    if (!GetRaw(name, v, subkey)) return "<missing>";
    return v.Text();
}

std::map<std::string, RawValue> AllValues(const char* subkey)
{
    std::map<std::string, RawValue> out;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath(subkey).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[1024];
        DWORD nameLen = 1024;
        static BYTE data[16384];
        DWORD dataLen = sizeof(data), type = 0;
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS) break;
        std::string narrow;
        for (DWORD c = 0; c < nameLen; ++c) narrow += (char)name[c];
        out[narrow] = FromWide(type, data, dataLen);
    }
    RegCloseKey(k);
    return out;
}

// The installer's key is shared with the prefix: its two values are put back.
class InstallerKeyGuard {
public:
    InstallerKeyGuard()
    {
        HKEY k = nullptr;
        m_existed = RegOpenKeyExA(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER, 0, KEY_READ, &k) == ERROR_SUCCESS;
        if (m_existed) {
            m_hadTool = ReadRegDword(k, REGSTR_CONFIG_TOOL_SELECT, &m_tool);
            m_hadBurst = ReadRegDword(k, REGSTR_CONFIG_TX_BURST_SELECT, &m_burst);
            RegCloseKey(k);
        }
    }
    ~InstallerKeyGuard()
    {
        if (!m_existed) {
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER);
            return;
        }
        Restore(REGSTR_CONFIG_TOOL_SELECT, m_hadTool, m_tool);
        Restore(REGSTR_CONFIG_TX_BURST_SELECT, m_hadBurst, m_burst);
    }
    static void Set(const char* name, DWORD value)
    {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER, name, REG_DWORD, &value, sizeof(value));
    }
    static void Remove(const char* name) { RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER, name); }
    static void RemoveKey() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER); }

private:
    static void Restore(const char* name, BOOL had, DWORD v)
    {
        if (had) Set(name, v);
        else Remove(name);
    }
    bool m_existed = false;
    BOOL m_hadTool = FALSE, m_hadBurst = FALSE;
    DWORD m_tool = 0, m_burst = 0;
};

// A scratch adapter key, created empty and removed again; the adapter
// globals the store reads are put back afterwards.
class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
        ASSERT_TRUE(CreateKey(nullptr));
        g_strAdapterRegPath = kScratchKey;
        g_bDualBand = TRUE;
        g_bHtDevice = TRUE;
        g_nModelIndex = 4;
        g_nOsVersion = 11;
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
    }

    kqtest::Restore<CString> m_path{g_strAdapterRegPath};
    kqtest::Restore<BOOL> m_dual{g_bDualBand}, m_ht{g_bHtDevice};
    kqtest::Restore<int> m_model{g_nModelIndex}, m_os{g_nOsVersion};
    kqtest::Restore<char[MAX_PATH]> m_device{g_szDevicePath};
};

// ---- Readers, writers and defaults ---------------------------------------

TEST_F(RegistryStoreTest, MissingValuesGiveTheirDefaults)
{
    g_bHtDevice = TRUE;
    EXPECT_EQ(5, ReadWirelessModeOrDefault());
    g_bHtDevice = FALSE;
    EXPECT_EQ(3, ReadWirelessModeOrDefault());

    DWORD ccx = 0x1234;
    EXPECT_FALSE(ReadCcx2Control(&ccx));
    EXPECT_EQ(0x1234u, ccx) << "a missing value leaves the reader's preset";

    EXPECT_FALSE(ReadIeee80211h());

    EXPECT_FALSE(ReadCheckBuild());
    RawValue v;
    ASSERT_TRUE(GetRaw(REGSTR_CHECK_BUILD, v)) << "bCheckBuild is created when missing";
    EXPECT_EQ((DWORD)REG_SZ, v.type);
    EXPECT_EQ("0", v.Text());

    int preset = 1;   // NetworkType and Encryption are read over a preset of 1
    EXPECT_FALSE(ReadAdapterInt(REGSTR_PROFILE_NETWORK_TYPE, &preset));
    EXPECT_EQ(1, preset);
    CString text = "keep";
    EXPECT_FALSE(ReadAdapterText(REGSTR_PROFILE_SSID, text));
    EXPECT_EQ("keep", text);
}

TEST_F(RegistryStoreTest, MissingAdapterKeyLeavesPresetsAndWritesNothing)
{
    g_strAdapterRegPath = KeyPath("NoSuchKey").c_str();
    int v = 7;
    EXPECT_FALSE(ReadAdapterInt(REGSTR_CHANNEL, &v));
    EXPECT_EQ(7, v);
    EXPECT_FALSE(WriteAdapterInt(REGSTR_CHANNEL, 3));
    EXPECT_FALSE(ReadCheckBuild());
    int mode = 5;
    WriteWirelessMode(&mode);
    EXPECT_FALSE(KeyExists("NoSuchKey"));
}

TEST_F(RegistryStoreTest, PresentValuesAreReadAsStored)
{
    PutText(REGSTR_WIRELESS_MODE, "9");
    PutText(REGSTR_CHECK_BUILD, "1");
    DWORD ccx = 0x00FA0031;
    PutRaw(nullptr, REGSTR_CCX2_CONTROL, REG_DWORD, &ccx, sizeof(ccx));
    EXPECT_EQ(9, ReadWirelessModeOrDefault());
    EXPECT_TRUE(ReadCheckBuild());
    DWORD got = 0;
    EXPECT_TRUE(ReadCcx2Control(&got));
    EXPECT_EQ(ccx, got);

    struct {
        const char* stored;
        BOOL expected;
    } ieee[] = {{"1", TRUE}, {"01", TRUE}, {"2", FALSE}, {"0", FALSE}, {"x", FALSE}, {"-1", FALSE}};
    for (const auto& c : ieee) {
        PutText(REGSTR_IEEE80211H, c.stored);
        EXPECT_EQ(c.expected, ReadIeee80211h()) << "IEEE80211H=" << c.stored;
    }
}

TEST_F(RegistryStoreTest, WritersStoreDecimalTexts)
{
    EXPECT_TRUE(WriteAdapterInt(REGSTR_CHANNEL, -12));
    EXPECT_TRUE(WriteAdapterText(REGSTR_PROFILE_SSID, "Home net"));
    EXPECT_TRUE(WriteAdapterText(REGSTR_PROFILE_WPAPSK, ""));
    EXPECT_TRUE(WriteAdapterDword(REGSTR_BA_CAP, 0xA5A5));
    RawValue v;
    ASSERT_TRUE(GetRaw(REGSTR_CHANNEL, v));
    EXPECT_EQ((DWORD)REG_SZ, v.type);
    EXPECT_EQ("-12", v.Text());
    ASSERT_TRUE(GetRaw(REGSTR_PROFILE_SSID, v));
    EXPECT_EQ("Home net", v.Text());
    ASSERT_TRUE(GetRaw(REGSTR_PROFILE_WPAPSK, v));
    EXPECT_EQ((DWORD)REG_SZ, v.type);
    EXPECT_EQ("", v.Text());
    ASSERT_TRUE(GetRaw(REGSTR_BA_CAP, v));
    EXPECT_EQ((DWORD)REG_DWORD, v.type);

    int n = 0;
    EXPECT_TRUE(ReadAdapterInt(REGSTR_CHANNEL, &n));
    EXPECT_EQ(-12, n);
    CString s;
    EXPECT_TRUE(ReadAdapterText(REGSTR_PROFILE_WPAPSK, s));
    EXPECT_TRUE(s.IsEmpty());
}

// A text of 128 bytes has no terminator in the registry; it reads back whole
// and terminated, as do much longer ones (certificate data).
TEST_F(RegistryStoreTest, LongTextsReadBackWholeAndTerminated)
{
    for (size_t len : {127u, 128u, 129u, 304u, 2000u}) {
        std::string text;
        for (size_t i = 0; i < len; ++i) text += (char)('A' + i % 26);
        PutText(REGSTR_PROFILE_SERVER_CERT_DATA, text);
        CString s;
        ASSERT_TRUE(ReadAdapterText(REGSTR_PROFILE_SERVER_CERT_DATA, s)) << len;
        EXPECT_EQ(text, s.str()) << len;

        HKEY key = OpenAdapterKey(KEY_READ);
        ASSERT_NE(nullptr, key);
        char buf[129 + 8];
        std::memset(buf, 'Z', sizeof(buf));
        BOOL fits = ReadRegText(key, REGSTR_PROFILE_SERVER_CERT_DATA, buf, 129);
        RegCloseKey(key);
        EXPECT_EQ(len <= 128, fits != FALSE) << len;
        EXPECT_EQ(len <= 128 ? text : std::string(), std::string(buf)) << len;
        EXPECT_EQ('Z', buf[129]) << "nothing written past the buffer, " << len;
    }
}

TEST_F(RegistryStoreTest, NumbersOfEveryStoredShape)
{
    struct {
        DWORD type;
        const char* data;
        DWORD size;
        BOOL ok;
        int expected;
    } cases[] = {
        {REG_SZ, "42", 2, TRUE, 42},
        {REG_SZ, "42\0", 3, TRUE, 42},
        {REG_SZ, " 7x", 3, TRUE, 7},
        {REG_SZ, "abc", 3, TRUE, 0},
        {REG_SZ, "", 0, TRUE, 0},
        {REG_SZ, "99999999999", 11, TRUE, 2147483647},
        {REG_SZ, "-99999999999", 12, TRUE, -2147483647 - 1},
        {REG_DWORD, "\x05\x00\x00\x00", 4, TRUE, 5},
        {REG_BINARY, "\x05\x00", 2, FALSE, -3},
        {REG_MULTI_SZ, "5\0\0", 3, FALSE, -3},
    };
    for (const auto& c : cases) {
        PutRaw(nullptr, "Num", c.type, c.data, c.size);
        int v = -3;
        EXPECT_EQ(c.ok, ReadAdapterInt("Num", &v)) << c.data;
        EXPECT_EQ(c.expected, v) << c.data;
    }
    // Raw numbers: up to four bytes; more is not a number.
    PutRaw(nullptr, "Raw", REG_BINARY, "\x01\x02", 2);
    DWORD raw = 0xFFFFFFFF;
    EXPECT_TRUE(ReadAdapterDword("Raw", &raw));
    EXPECT_EQ(0x0201u, raw);
    PutRaw(nullptr, "Raw", REG_BINARY, "\x01\x02\x03\x04\x05", 5);
    raw = 9;
    EXPECT_FALSE(ReadAdapterDword("Raw", &raw));
    EXPECT_EQ(9u, raw);
}

// ---- Wireless mode ----------------------------------------------------------

TEST_F(RegistryStoreTest, WriteWirelessModeNormalisesInThreeSteps)
{
    struct {
        int mode;
        BOOL dualBand, ht;
        int expected;
    } cases[] = {
        {5, FALSE, FALSE, 0},   // 5 -> 9 (no 802.11a) -> 0 (no 802.11n)
        {5, FALSE, TRUE, 9},  {5, TRUE, FALSE, 3}, {5, TRUE, TRUE, 5},
        {7, TRUE, TRUE, 4},   {7, FALSE, FALSE, 4},
        {8, TRUE, TRUE, 2},   {8, FALSE, TRUE, 0},  {10, TRUE, FALSE, 2}, {10, FALSE, FALSE, 0},
        {2, FALSE, TRUE, 0},  {3, FALSE, TRUE, 0},  {2, TRUE, FALSE, 2},  {3, TRUE, FALSE, 3},
        {6, TRUE, FALSE, 0},  {6, TRUE, TRUE, 6},   {9, TRUE, FALSE, 0},  {9, TRUE, TRUE, 9},
        {0, FALSE, FALSE, 0}, {1, FALSE, FALSE, 1}, {4, FALSE, FALSE, 4}, {11, FALSE, FALSE, 11},
    };
    for (const auto& c : cases) {
        g_bDualBand = c.dualBand;
        g_bHtDevice = c.ht;
        int mode = c.mode;
        WriteWirelessMode(&mode);
        EXPECT_EQ(c.expected, mode) << c.mode << " a=" << c.dualBand << " n=" << c.ht;
        EXPECT_EQ(std::to_string(c.expected), Stored(REGSTR_WIRELESS_MODE)) << c.mode;
    }
}

TEST(WirelessMode, ListIndexToMode)
{
    const int expected[] = {1, 0, 3, 4, 2, 5, 6, -1, -1, 9, -1, -1};
    for (int index = -1; index < 12; ++index) {
        int mode = -7;
        BOOL ok = WirelessModeFromIndex(index, &mode);
        int want = index >= 0 ? expected[index] : -1;
        EXPECT_EQ(want >= 0, ok != FALSE) << index;
        EXPECT_EQ(want >= 0 ? want : -7, mode) << index;
    }
}

TEST_F(RegistryStoreTest, ModeTextIsNormalisedWrittenAndPutBack)
{
    struct {
        const char* text;
        BOOL dualBand, ht;
        int mode;
        const char* after;
    } cases[] = {
        {"802.11 A/B/G/N mix", TRUE, TRUE, 5, "802.11 A/B/G/N mix"},
        {"802.11 A/B/G/N mix", FALSE, TRUE, 9, "802.11 B/G/N mix"},
        {"802.11 A/B/G/N mix", FALSE, FALSE, 0, "802.11 B/G mix"},
        {"802.11 A only", FALSE, FALSE, 0, "802.11 B/G mix"},
        {"802.11 G only", FALSE, FALSE, 4, "802.11 G only"},
        {"802.11 B only", TRUE, TRUE, 1, "802.11 B only"},
        {"no such mode", TRUE, TRUE, 0, "802.11 B/G mix"},
        {"", TRUE, TRUE, 6, ""},
    };
    for (const auto& c : cases) {
        g_bDualBand = c.dualBand;
        g_bHtDevice = c.ht;
        CString text = c.text;
        EXPECT_EQ(c.mode, SetWirelessModeText(text)) << c.text;
        EXPECT_EQ(c.after, text) << c.text;
        EXPECT_EQ(c.mode, g_nWirelessMode);
        EXPECT_EQ(std::to_string(c.mode), Stored(REGSTR_WIRELESS_MODE));
    }
}

// ---- Whole keys -------------------------------------------------------------

TEST_F(RegistryStoreTest, SaveConfigAsDefaultCopiesEveryValueWhole)
{
    ASSERT_TRUE(CreateKey(REGSTR_KEY_DEFAULT));
    PutText(REGSTR_WIRELESS_MODE, "5");
    PutText(REGSTR_PROFILE_SSID, std::string(128, 's'));
    std::string cert(1200, '0');
    for (size_t i = 0; i < cert.size(); ++i) cert[i] = "0123456789ABCDEF"[i % 16];
    PutText(REGSTR_PROFILE_CLIENT_CERT_DATA, cert);   // far beyond 260 bytes
    DWORD ba = 0x12345678;
    PutRaw(nullptr, REGSTR_BA_CAP, REG_DWORD, &ba, sizeof(ba));
    std::vector<BYTE> blob(700);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = (BYTE)i;
    PutRaw(nullptr, "Blob", REG_BINARY, blob.data(), (DWORD)blob.size());
    PutRaw(nullptr, "List", REG_MULTI_SZ, "a\0bc\0\0", 6);
    PutText(std::string(300, 'N').c_str(), "long name");
    PutText(REGSTR_CHANNEL, "1", REGSTR_KEY_DEFAULT);   // older copy, overwritten

    EXPECT_TRUE(SaveConfigAsDefault());
    std::map<std::string, RawValue> adapter = AllValues(nullptr), def = AllValues(REGSTR_KEY_DEFAULT);
    ASSERT_EQ(7u, adapter.size());
    for (const auto& kv : adapter) {
        auto it = def.find(kv.first);
        ASSERT_NE(def.end(), it) << kv.first;
        EXPECT_EQ(kv.second.type, it->second.type) << kv.first;
        EXPECT_EQ(kv.second.data, it->second.data) << kv.first;
    }
    EXPECT_EQ("1", Stored(REGSTR_CHANNEL, REGSTR_KEY_DEFAULT)) << "values only in Default stay";
}

TEST_F(RegistryStoreTest, SaveConfigAsDefaultNeedsTheDefaultKey)
{
    PutText(REGSTR_WIRELESS_MODE, "5");
    EXPECT_FALSE(SaveConfigAsDefault());
    EXPECT_FALSE(KeyExists(REGSTR_KEY_DEFAULT));
}

TEST_F(RegistryStoreTest, CopyRegistryValuesOfAnEmptyKeySucceeds)
{
    ASSERT_TRUE(CreateKey("From"));
    ASSERT_TRUE(CreateKey("To"));
    HKEY from = OpenAdapterKey(KEY_READ, "From"), to = OpenAdapterKey(KEY_WRITE, "To");
    EXPECT_TRUE(CopyRegistryValues(from, to));
    EXPECT_FALSE(CopyRegistryValues(from, nullptr));
    PutText("X", "1", "From");
    HKEY readOnly = OpenAdapterKey(KEY_READ, "To");
    EXPECT_FALSE(CopyRegistryValues(from, readOnly)) << "a failed write is reported";
    RegCloseKey(readOnly);
    RegCloseKey(from);
    RegCloseKey(to);
}

const char* const kApDefaultOrder[] = {
    "SSID", "WirelessMode", "TransRate", "TurboRate", "BGProtection", "ShortSlot", "Channel", "PreambleType",
    "TXPower", "RtsThresh", "FragThresh", "AuthenType", "Encryption", "WPAPSK", "WEPKey1Type", "WEPKey2Type",
    "WEPKey3Type", "WEPKey4Type", "WEPKeyUse", "WEPKey1", "WEPKey2", "WEPKey3", "WEPKey4", "RekeyInterval",
    "RekeyMethod", "TXPower", "RadiusIP", "RadiusPort", "RadiusKey", "AccessControlPolicy", "AccessControlList",
    "WdsEnable", "WdsList", "AutoChannelSelect", "NoForwarding", "HideSSID", "BeaconPeriod",
};

class ApDefaultTest : public RegistryStoreTest {
protected:
    void SetUp() override
    {
        RegistryStoreTest::SetUp();
        client.Open(5000);
        KQSIM_ADAPTER_CONFIG cfg = kqsim::DefaultAdapterConfig(kqsim::TestAdapterGuid(0x61));
        cfg.mac[5] = 0xA7;
        adapter.reset(new kqsim::TestAdapter(client, cfg));
        ASSERT_TRUE(adapter->ok());
        std::strcpy(g_szDevicePath, adapter->DevicePath().c_str());
    }
    void TearDown() override
    {
        adapter.reset();
        RegistryStoreTest::TearDown();
    }
    kqsim::SimClient client;
    std::unique_ptr<kqsim::TestAdapter> adapter;
};

TEST_F(ApDefaultTest, WrittenOnceWithEveryValueInOrder)
{
    g_bDualBand = FALSE;   // 5 -> 9 -> 0 on this adapter
    g_bHtDevice = FALSE;

    // The writes as they reach the registry, one by one.
    std::vector<std::string> written;
    {
        kqtest::RegistryWriteRecorder recorder;
        ASSERT_TRUE(recorder.ok());
        EXPECT_TRUE(WriteSoftApDefaults());
        written = recorder.names();
    }
    EXPECT_EQ(std::vector<std::string>(std::begin(kApDefaultOrder), std::end(kApDefaultOrder)), written);

    std::map<std::string, RawValue> ap = AllValues(REGSTR_KEY_AP_DEFAULT);
    EXPECT_EQ(36u, ap.size());   // TXPower is written twice
    const std::map<std::string, std::string> expected = {
        {"SSID", "SoftAP-A7"},   // the adapter's MAC ends in A7
        {"WirelessMode", "0"}, {"TransRate", "0"}, {"TurboRate", "0"}, {"BGProtection", "0"}, {"ShortSlot", "1"},
        {"Channel", "0"}, {"PreambleType", "0"}, {"TXPower", "0"}, {"RtsThresh", "2347"}, {"FragThresh", "0"},
        {"AuthenType", "0"}, {"Encryption", "1"}, {"WPAPSK", ""}, {"WEPKey1Type", "0"}, {"WEPKey2Type", "0"},
        {"WEPKey3Type", "0"}, {"WEPKey4Type", "0"}, {"WEPKeyUse", "1"}, {"WEPKey1", ""}, {"WEPKey2", ""},
        {"WEPKey3", ""}, {"WEPKey4", ""}, {"RekeyInterval", "60"}, {"RekeyMethod", "0"}, {"RadiusIP", ""},
        {"RadiusPort", ""}, {"RadiusKey", ""}, {"AccessControlPolicy", "0"}, {"WdsEnable", "1"},
        {"AutoChannelSelect", "0"}, {"NoForwarding", "0"}, {"HideSSID", "0"}, {"BeaconPeriod", "100"},
    };
    for (const auto& kv : expected) {
        auto it = ap.find(kv.first);
        ASSERT_NE(ap.end(), it) << kv.first;
        EXPECT_EQ((DWORD)REG_SZ, it->second.type) << kv.first;
        EXPECT_EQ(kv.second, it->second.Text()) << kv.first;
    }
    for (const char* multi : {"AccessControlList", "WdsList"}) {
        auto it = ap.find(multi);
        ASSERT_NE(ap.end(), it) << multi;
        EXPECT_EQ((DWORD)REG_MULTI_SZ, it->second.type) << multi;
        EXPECT_EQ(std::vector<BYTE>(2, 0), it->second.data) << multi;
    }
}

TEST_F(ApDefaultTest, WirelessModeFollowsTheAdapter)
{
    struct {
        BOOL dualBand, ht;
        const char* mode;
    } cases[] = {{TRUE, TRUE, "5"}, {FALSE, TRUE, "9"}, {TRUE, FALSE, "3"}};
    for (const auto& c : cases) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, KeyPath(REGSTR_KEY_AP_DEFAULT).c_str());
        g_bDualBand = c.dualBand;
        g_bHtDevice = c.ht;
        EXPECT_TRUE(WriteSoftApDefaults());
        EXPECT_EQ(c.mode, Stored("WirelessMode", REGSTR_KEY_AP_DEFAULT));
        EXPECT_EQ("<missing>", Stored(REGSTR_WIRELESS_MODE)) << "the adapter's own mode is not touched";
    }
}

TEST_F(ApDefaultTest, PresentApDefaultIsLeftAlone)
{
    PutText("SSID", "MyOwnAP", REGSTR_KEY_AP_DEFAULT);
    DWORD seq = 0;
    client.NextSeq(seq);
    EXPECT_FALSE(WriteSoftApDefaults());
    std::map<std::string, RawValue> ap = AllValues(REGSTR_KEY_AP_DEFAULT);
    ASSERT_EQ(1u, ap.size());
    EXPECT_EQ("MyOwnAP", ap["SSID"].Text());
    EXPECT_TRUE(kqsim::AdapterLog(client, adapter->guid(), seq).empty()) << "not even the MAC address is asked for";
}

TEST_F(ApDefaultTest, LoadApDefaultConfigCopiesItIntoTheAdapterKey)
{
    PutText(REGSTR_PROFILE_SSID, "Station");
    PutText(REGSTR_CHANNEL, "11");
    ASSERT_TRUE(WriteSoftApDefaults());
    EXPECT_TRUE(LoadApDefaultConfig());
    EXPECT_EQ("SoftAP-A7", Stored(REGSTR_PROFILE_SSID));
    EXPECT_EQ("0", Stored(REGSTR_CHANNEL));
    EXPECT_EQ("100", Stored("BeaconPeriod"));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, KeyPath(REGSTR_KEY_AP_DEFAULT).c_str());
    EXPECT_FALSE(LoadApDefaultConfig());
}

// ---- Operation mode ---------------------------------------------------------

TEST_F(ApDefaultTest, OperationMode)
{
    EXPECT_TRUE(IsStationOpMode());
    SetApOpMode();
    EXPECT_EQ("1", Stored(REGSTR_OP_MODE));
    EXPECT_FALSE(IsStationOpMode()) << "the driver was set to 1";
    client.FailAlways(adapter->guid(), OID_VENDOR_OP_MODE, KQSIM_KIND_QUERY);
    EXPECT_TRUE(IsStationOpMode()) << "an unreadable mode counts as station";
    client.ClearFaults(adapter->guid());
}

// ---- Installer hand-over ----------------------------------------------------

std::vector<std::string> g_handOvers;
void RecordWzc() { g_handOvers.push_back("wzc"); }
void RecordOwnTool() { g_handOvers.push_back("own"); }

class RunOnceTest : public ApDefaultTest {
protected:
    void SetUp() override
    {
        ApDefaultTest::SetUp();
        g_pfnUseWzc = RecordWzc;
        g_pfnUseOwnTool = RecordOwnTool;
        g_handOvers.clear();
    }
    InstallerKeyGuard installer;
    kqtest::Restore<void (*)()> m_useWzc{g_pfnUseWzc}, m_useOwnTool{g_pfnUseOwnTool};
};

TEST_F(RunOnceTest, ConfigToolChoiceIsAppliedOnce)
{
    struct {
        int select;   // -1 value missing, -2 key missing
        const char* handOver;
        const char* stored;
    } cases[] = {{0, "wzc", "0"}, {1, "own", "1"}, {7, "own", "1"}, {-1, "own", "1"}, {-2, "own", "1"}};
    for (const auto& c : cases) {
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kScratchKey, REGSTR_RUNONCE_CONFIG_TOOL);
        if (c.select == -2) InstallerKeyGuard::RemoveKey();
        else if (c.select == -1) {
            InstallerKeyGuard::Set(REGSTR_CONFIG_TX_BURST_SELECT, 0);
            InstallerKeyGuard::Remove(REGSTR_CONFIG_TOOL_SELECT);
        } else InstallerKeyGuard::Set(REGSTR_CONFIG_TOOL_SELECT, (DWORD)c.select);
        g_handOvers.clear();

        ApplyRunOnceInitConfigTool();
        ASSERT_EQ(1u, g_handOvers.size()) << c.select;
        EXPECT_EQ(c.handOver, g_handOvers[0]) << c.select;
        EXPECT_EQ(c.stored, Stored(REGSTR_RUNONCE_CONFIG_TOOL)) << c.select;

        // A second start: the value is there, Zero Configuration is left alone.
        InstallerKeyGuard::Set(REGSTR_CONFIG_TOOL_SELECT, c.select == 0 ? 1 : 0);
        ApplyRunOnceInitConfigTool();
        EXPECT_EQ(1u, g_handOvers.size()) << c.select;
        EXPECT_EQ(c.stored, Stored(REGSTR_RUNONCE_CONFIG_TOOL)) << c.select;
    }
}

TEST_F(RunOnceTest, ConfigToolChoiceWaitsForWindowsXp)
{
    InstallerKeyGuard::Set(REGSTR_CONFIG_TOOL_SELECT, 0);
    g_nOsVersion = 7;
    ApplyRunOnceInitConfigTool();
    EXPECT_TRUE(g_handOvers.empty());
    EXPECT_EQ("<missing>", Stored(REGSTR_RUNONCE_CONFIG_TOOL));
}

std::vector<DWORD> AdvancedWords(const LogEntry& e)
{
    std::vector<DWORD> w(e.data.size() / 4);
    if (!w.empty()) std::memcpy(w.data(), e.data.data(), w.size() * 4);
    return w;
}

TEST_F(RunOnceTest, TxBurstChoiceGoesToTheDriverAndTheRegistryOnce)
{
    struct {
        int select;   // -1 missing
        DWORD burst;
    } cases[] = {{1, 1}, {0, 0}, {2, 0}, {-1, 0}};
    for (const auto& c : cases) {
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kScratchKey, REGSTR_RUNONCE_TX_BURST);
        if (c.select < 0) InstallerKeyGuard::Remove(REGSTR_CONFIG_TX_BURST_SELECT);
        else InstallerKeyGuard::Set(REGSTR_CONFIG_TX_BURST_SELECT, (DWORD)c.select);
        // The driver's block, with TX burst opposite to the choice and word 6 set.
        DWORD block[8] = {c.burst ? 0u : 1u, 2, 1, 1, 3, 1, 0x77, 9};
        ASSERT_TRUE(client.SetOidAnswer(adapter->guid(), OID_VENDOR_ADVANCED_CONFIG, block, sizeof(block)));
        DWORD seq = 0;
        client.NextSeq(seq);

        ApplyRunOnceInitConfigTxBurst();
        std::vector<LogEntry> log = kqsim::AdapterLog(client, adapter->guid(), seq);
        std::vector<DWORD> sent;
        for (const LogEntry& e : log)
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_VENDOR_ADVANCED_CONFIG) sent = AdvancedWords(e);
        std::vector<DWORD> want(block, block + 8);
        want[0] = c.burst;
        want[6] = 0;
        EXPECT_EQ(want, sent) << c.select;
        EXPECT_EQ(std::to_string(c.burst), Stored(REGSTR_TX_BURST)) << c.select;
        EXPECT_EQ(std::to_string(c.burst), Stored(REGSTR_RUNONCE_TX_BURST)) << c.select;

        client.NextSeq(seq);
        ApplyRunOnceInitConfigTxBurst();
        EXPECT_TRUE(kqsim::AdapterLog(client, adapter->guid(), seq).empty()) << "second start: nothing sent";
        client.ClearOidAnswer(adapter->guid(), OID_VENDOR_ADVANCED_CONFIG);
    }
}

// A block the driver did not give is never sent (it would zero the driver's
// other advanced words); the choice is still stored.
TEST_F(RunOnceTest, TxBurstChoiceWithUnreadableBlock)
{
    InstallerKeyGuard::Set(REGSTR_CONFIG_TX_BURST_SELECT, 1);
    client.FailAlways(adapter->guid(), OID_VENDOR_ADVANCED_CONFIG, KQSIM_KIND_QUERY);
    DWORD seq = 0;
    client.NextSeq(seq);
    ApplyRunOnceInitConfigTxBurst();
    for (const LogEntry& e : kqsim::AdapterLog(client, adapter->guid(), seq))
        EXPECT_FALSE(e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_VENDOR_ADVANCED_CONFIG);
    EXPECT_EQ("1", Stored(REGSTR_TX_BURST));
    EXPECT_EQ("1", Stored(REGSTR_RUNONCE_TX_BURST));
    client.ClearFaults(adapter->guid());
}

// ---- Region and channel -----------------------------------------------------

TEST_F(ApDefaultTest, RegionWordAndItsFlags)
{
    struct {
        DWORD answer;
        BOOL bg, a;
        DWORD region;
    } cases[] = {
        {0x0005, TRUE, TRUE, 0x0005},  {0x0085, FALSE, TRUE, 0x0005}, {0x8105, TRUE, FALSE, 0x0105},
        {0x8A87, FALSE, FALSE, 0x0A07}, {0x0000, TRUE, TRUE, 0x0000},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(client.SetOidAnswer(adapter->guid(), OID_VENDOR_COUNTRY_REGION, &c.answer, sizeof(c.answer)));
        DWORD seq = 0;
        client.NextSeq(seq);
        InitRegionAndChannel();
        bool asked = false;
        for (const LogEntry& e : kqsim::AdapterLog(client, adapter->guid(), seq))
            if (e.kind == KQSIM_LOG_QUERY && e.BaseOid() == OID_VENDOR_COUNTRY_REGION) asked = true;
        EXPECT_TRUE(asked);
        EXPECT_EQ(c.bg, g_bRegionBgFlag) << std::hex << c.answer;
        EXPECT_EQ(c.a, g_bRegionAFlag) << std::hex << c.answer;
        EXPECT_EQ(c.region, g_dwCountryRegion) << std::hex << c.answer;
    }
    client.ClearOidAnswer(adapter->guid(), OID_VENDOR_COUNTRY_REGION);
}

TEST_F(ApDefaultTest, ChannelNotAllowedIsRewrittenInAdapterKeyAndDefault)
{
    ASSERT_TRUE(CreateKey(REGSTR_KEY_DEFAULT));
    struct {
        DWORD region;
        const char* mode;
        const char* channel;          // nullptr: missing
        const char* defaultChannel;   // nullptr: missing
        const char* expected;
        const char* expectedDefault;
    } cases[] = {
        // model 4, 2.4 GHz region 0: 1-11
        {0x0000, "0", "13", "6", "1", "6"},
        {0x0000, "0", "6", "14", "6", "1"},
        {0x0000, "0", nullptr, nullptr, "1", "1"},
        {0x0001, "0", "13", "12", "13", "12"},        // region 1: 1-13
        {0x0004, "0", "1", "13", "14", "14"},         // region 4: channel 14 only
        {0x0100, "2", "6", "36", "36", "36"},         // A only, A region 1: 36 first
        {0x0400, "2", "36", "165", "149", "165"},     // A region 4: 149-165
        {0x0000, "3", "165", "48", "165", "48"},      // A/B/G: 2.4 list then A region 0
        {0x0000, "9", "0", "x", "1", "1"},            // B/G/N
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(client.SetOidAnswer(adapter->guid(), OID_VENDOR_COUNTRY_REGION, &c.region, sizeof(c.region)));
        PutText(REGSTR_WIRELESS_MODE, c.mode);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kScratchKey, REGSTR_CHANNEL);
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, KeyPath(REGSTR_KEY_DEFAULT).c_str(), REGSTR_CHANNEL);
        if (c.channel) PutText(REGSTR_CHANNEL, c.channel);
        if (c.defaultChannel) PutText(REGSTR_CHANNEL, c.defaultChannel, REGSTR_KEY_DEFAULT);
        InitRegionAndChannel();
        EXPECT_EQ(c.expected, Stored(REGSTR_CHANNEL)) << std::hex << c.region << " mode " << c.mode;
        EXPECT_EQ(c.expectedDefault, Stored(REGSTR_CHANNEL, REGSTR_KEY_DEFAULT))
            << std::hex << c.region << " mode " << c.mode;
    }
    client.ClearOidAnswer(adapter->guid(), OID_VENDOR_COUNTRY_REGION);
}

TEST_F(ApDefaultTest, RegionSetUpNormalisesTheModeAndKeepsMissingKeysMissing)
{
    g_bDualBand = FALSE;
    g_bHtDevice = FALSE;
    InitRegionAndChannel();   // WirelessMode missing: 3, normalised to 0
    EXPECT_EQ("0", Stored(REGSTR_WIRELESS_MODE));
    EXPECT_EQ(0, g_nWirelessMode);
    EXPECT_FALSE(KeyExists(REGSTR_KEY_DEFAULT));

    // A model without 2.4 GHz channels in a 2.4 GHz mode: no list, nothing rewritten.
    g_nModelIndex = 2;
    PutText(REGSTR_CHANNEL, "6");
    InitRegionAndChannel();
    EXPECT_EQ("6", Stored(REGSTR_CHANNEL));
}

}  // namespace
