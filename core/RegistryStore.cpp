#include "core/RegistryStore.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/Handles.h"
#include "core/AdapterDiscovery.h"
#include "core/OidChannel.h"
#include "core/ChannelTable.h"
#include "core/ControllerDoor.h"

int g_nOsVersion = 0;
BOOL g_bIsWow64 = FALSE;
BOOL g_bIeee80211h = FALSE;
DWORD g_dwCountryRegion = 0;
BOOL g_bRegionBgFlag = FALSE;
BOOL g_bRegionAFlag = FALSE;
int g_nWirelessMode = 0;

namespace {

void CallUseWzc()
{
    if (g_pControllerDoor) g_pControllerDoor->UseWzc();
}

void CallUseOwnTool()
{
    if (g_pControllerDoor) g_pControllerDoor->UseOwnTool();
}

// Reads a value of any type whole, sized by the registry itself.
bool QueryWhole(HKEY key, const char* name, DWORD* type, std::vector<BYTE>& data)
{
    if (!key || !name) return false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) return false;
        data.assign(size + 1, 0);   // one more: a text stored without NUL stays terminated
        DWORD got = size;
        LONG rc = RegQueryValueExA(key, name, nullptr, type, data.data(), &got);
        if (rc == ERROR_SUCCESS) {
            data.resize(got);
            return true;
        }
        if (rc != ERROR_MORE_DATA) return false;   // grew in between: ask again
    }
    return false;
}

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

void (*g_pfnUseWzc)() = CallUseWzc;
void (*g_pfnUseOwnTool)() = CallUseOwnTool;

// ---- Single values --------------------------------------------------------

BOOL ReadRegText(HKEY key, const char* name, CString& text)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!QueryWhole(key, name, &type, data) || !IsTextType(type)) return FALSE;
    size_t len = 0;
    while (len < data.size() && data[len] != 0) ++len;
    text = CString(reinterpret_cast<const char*>(data.data()), (int)len);
    return TRUE;
}

BOOL ReadRegTextBytes(HKEY key, const char* name, std::vector<BYTE>& bytes)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!QueryWhole(key, name, &type, data) || !IsTextType(type)) return FALSE;
    bytes = data;
    return TRUE;
}

BOOL ReadRegText(HKEY key, const char* name, char* buf, DWORD size)
{
    if (!buf || size == 0) return FALSE;
    std::memset(buf, 0, size);
    CString text;
    if (!ReadRegText(key, name, text)) return FALSE;
    if ((DWORD)text.GetLength() > size - 1) return FALSE;
    std::memcpy(buf, text.GetString(), (size_t)text.GetLength());
    return TRUE;
}

namespace {

// A number kept as a REG_DWORD or as decimal text, the text read like atoi
// (no digits: 0).  Loose clamps the value to an int; strict takes only a
// text of at most 127 characters whose value lies within an int.
BOOL ReadNumberValue(HKEY key, const char* name, int* value, bool strict)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!value || !QueryWhole(key, name, &type, data)) return FALSE;
    if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        DWORD d;
        std::memcpy(&d, data.data(), sizeof(d));
        *value = (int)d;
        return TRUE;
    }
    if (!IsTextType(type)) return FALSE;
    size_t len = 0;
    while (len < data.size() && data[len] != 0) ++len;
    std::string text(reinterpret_cast<const char*>(data.data()), len);
    const char* p = text.c_str();
    if (strict && len > 127) return FALSE;
    errno = 0;
    long long v = std::strtoll(p, nullptr, 10);
    if (strict && (errno == ERANGE || v > INT_MAX || v < INT_MIN)) return FALSE;
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    *value = (int)v;
    return TRUE;
}

}  // namespace

BOOL ReadRegInt(HKEY key, const char* name, int* value)
{
    return ReadNumberValue(key, name, value, false);
}

BOOL ReadRegNumber(HKEY key, const char* name, int* value)
{
    return ReadNumberValue(key, name, value, true);
}

BOOL ReadRegWord(HKEY key, const char* name, DWORD* value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!value || !QueryWhole(key, name, &type, data)) return FALSE;
    if ((type != REG_DWORD && type != REG_BINARY) || data.size() != sizeof(DWORD)) return FALSE;
    std::memcpy(value, data.data(), sizeof(DWORD));
    return TRUE;
}

BOOL ReadRegDword(HKEY key, const char* name, DWORD* value)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!value || !QueryWhole(key, name, &type, data) || data.size() > sizeof(DWORD)) return FALSE;
    DWORD d = 0;
    std::memcpy(&d, data.data(), data.size());
    *value = d;
    return TRUE;
}

BOOL WriteRegText(HKEY key, const char* name, const char* text)
{
    if (!key || !name) return FALSE;
    if (!text) text = "";
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          (DWORD)std::strlen(text)) == ERROR_SUCCESS;
}

BOOL WriteRegInt(HKEY key, const char* name, int value)
{
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%d", value);
    return WriteRegText(key, name, buf);
}

BOOL WriteRegDword(HKEY key, const char* name, DWORD value)
{
    if (!key || !name) return FALSE;
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

HKEY OpenAdapterKey(REGSAM access, const char* subkey)
{
    if (g_strAdapterRegPath.IsEmpty()) return nullptr;
    CString path = g_strAdapterRegPath;
    if (subkey && *subkey) path = path + "\\" + subkey;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

namespace {

template <typename F>
BOOL WithAdapterKey(REGSAM access, const char* subkey, F f)
{
    CRegKey key(OpenAdapterKey(access, subkey));
    if (!key.IsOpen()) return FALSE;
    return f(key);
}

}  // namespace

BOOL ReadAdapterText(const char* name, CString& text, const char* subkey)
{
    return WithAdapterKey(KEY_READ, subkey, [&](HKEY k) { return ReadRegText(k, name, text); });
}

BOOL ReadAdapterInt(const char* name, int* value, const char* subkey)
{
    return WithAdapterKey(KEY_READ, subkey, [&](HKEY k) { return ReadRegInt(k, name, value); });
}

BOOL ReadAdapterDword(const char* name, DWORD* value, const char* subkey)
{
    return WithAdapterKey(KEY_READ, subkey, [&](HKEY k) { return ReadRegDword(k, name, value); });
}

BOOL WriteAdapterText(const char* name, const char* text, const char* subkey)
{
    return WithAdapterKey(KEY_SET_VALUE, subkey, [&](HKEY k) { return WriteRegText(k, name, text); });
}

BOOL WriteAdapterInt(const char* name, int value, const char* subkey)
{
    return WithAdapterKey(KEY_SET_VALUE, subkey, [&](HKEY k) { return WriteRegInt(k, name, value); });
}

BOOL WriteAdapterDword(const char* name, DWORD value, const char* subkey)
{
    return WithAdapterKey(KEY_SET_VALUE, subkey, [&](HKEY k) { return WriteRegDword(k, name, value); });
}

int ReadWirelessModeOrDefault()
{
    int mode = g_bHtDevice ? 5 : 3;
    int stored = 0;
    if (WithAdapterKey(KEY_READ, nullptr, [&](HKEY k) { return ReadRegNumber(k, REGSTR_WIRELESS_MODE, &stored); }) &&
        stored >= 0 && stored <= 10)
        mode = stored;
    return NormaliseWirelessMode(mode, g_bDualBand, g_bHtDevice);
}

BOOL ReadCcx2Control(DWORD* word)
{
    return WithAdapterKey(KEY_READ, nullptr, [&](HKEY k) { return ReadRegWord(k, REGSTR_CCX2_CONTROL, word); });
}

BOOL ReadCheckBuild()
{
    int v = 0;
    if (!ReadAdapterInt(REGSTR_CHECK_BUILD, &v)) {
        WriteAdapterText(REGSTR_CHECK_BUILD, "0");
        return 0;
    }
    return (BOOL)v;
}

BOOL ReadIeee80211h()
{
    int v = 0;
    return ReadAdapterInt(REGSTR_IEEE80211H, &v) && v == 1;
}

// ---- System facts ---------------------------------------------------------

int OsVersionCodeFromInfo(const OSVERSIONINFOEXA& vi, int previous)
{
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (vi.dwMajorVersion != 4) return previous;
        switch (vi.dwMinorVersion) {
        case 0: return OS_WIN95;
        case 10: return (vi.dwBuildNumber & 0xFFFF) == 2222 ? OS_WIN98SE : OS_WIN98;
        case 90: return OS_WINME;
        default: return previous;
        }
    }
    if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        bool workstation = vi.wProductType == VER_NT_WORKSTATION;
        if (vi.dwMajorVersion < 5) return OS_NT4;
        if (vi.dwMajorVersion == 5) {
            if (vi.dwMinorVersion == 0) return OS_WIN2000;
            if (vi.dwMinorVersion == 1) return OS_WINXP;
            if (vi.dwMinorVersion == 2) return workstation ? OS_WINXP_X64 : OS_SERVER2003;
        }
        return workstation ? OS_WIN6 : OS_WIN6_SERVER;
    }
    return previous;
}

int DetectOsVersion()
{
    OSVERSIONINFOEXA vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi))) {
        std::memset(&vi, 0, sizeof(vi));
        vi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi))) return g_nOsVersion;
    }
    g_nOsVersion = OsVersionCodeFromInfo(vi, g_nOsVersion);
    return g_nOsVersion;
}

namespace {

FARPROC Kernel32Proc(const char* name)
{
    HMODULE k = GetModuleHandleA("kernel32.dll");
    return k ? GetProcAddress(k, name) : nullptr;
}

}  // namespace

BOOL IsWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    g_bIsWow64 = FALSE;
    if (g_nOsVersion >= OS_WINXP_X64) {
        IsWow64ProcessFn fn = reinterpret_cast<IsWow64ProcessFn>(Kernel32Proc("IsWow64Process"));
        BOOL wow = FALSE;
        if (fn && fn(GetCurrentProcess(), &wow) && wow) g_bIsWow64 = TRUE;
    }
    return g_bIsWow64;
}

namespace {

void SetFsRedirection(BOOL enable)
{
    typedef BOOLEAN(WINAPI * EnableFn)(BOOLEAN);
    EnableFn fn = reinterpret_cast<EnableFn>(Kernel32Proc("Wow64EnableWow64FsRedirection"));
    if (fn) fn(enable ? TRUE : FALSE);
}

}  // namespace

void DisableWow64FsRedirection() { SetFsRedirection(FALSE); }
void EnableWow64FsRedirection() { SetFsRedirection(TRUE); }

// ---- Whole keys -----------------------------------------------------------

// The wide functions copy the stored data exactly; the narrow ones would add
// a terminator to texts that were stored without one.
BOOL CopyRegistryValues(HKEY from, HKEY to)
{
    if (!from || !to) return FALSE;
    DWORD maxName = 0, maxData = 0;
    if (RegQueryInfoKeyW(from, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return FALSE;
    std::vector<wchar_t> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD index = 0;;) {
        DWORD nameLen = (DWORD)name.size();
        DWORD dataLen = (DWORD)data.size();
        DWORD type = 0;
        LONG rc = RegEnumValueW(from, index, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
        if (rc == ERROR_NO_MORE_ITEMS) return TRUE;
        if (rc == ERROR_MORE_DATA) {
            // A value written since the sizes were asked for: grow and read it again.
            DWORD n = 0, d = 0;
            if (RegQueryInfoKeyW(from, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d,
                                 nullptr, nullptr) != ERROR_SUCCESS ||
                (n + 2 <= name.size() && d + 2 <= data.size()))
                return FALSE;
            name.resize(std::max<size_t>(name.size(), n + 2));
            data.resize(std::max<size_t>(data.size(), d + 2));
            continue;
        }
        if (rc != ERROR_SUCCESS) return FALSE;
        if (RegSetValueExW(to, name.data(), 0, type, data.data(), dataLen) != ERROR_SUCCESS) return FALSE;
        ++index;
    }
}

// Copies every value of one key of the adapter key's tree into another
// (nullptr: the adapter key itself); both must exist.
static BOOL CopyAdapterKeyValues(const char* fromSubkey, const char* toSubkey)
{
    CRegKey from(OpenAdapterKey(KEY_READ, fromSubkey));
    if (!from.IsOpen()) return FALSE;
    CRegKey to(OpenAdapterKey(KEY_WRITE, toSubkey));
    return to.IsOpen() && CopyRegistryValues(from, to);
}

BOOL SaveConfigAsDefault()
{
    return CopyAdapterKeyValues(nullptr, REGSTR_KEY_DEFAULT);
}

BOOL LoadApDefaultConfig()
{
    return CopyAdapterKeyValues(REGSTR_KEY_AP_DEFAULT, nullptr);
}

const ApDefaultValue g_ApDefaultValues[] = {
    {"SSID", REG_SZ, nullptr},
    {"WirelessMode", REG_SZ, nullptr},
    {"TransRate", REG_SZ, "0"},
    {"TurboRate", REG_SZ, "0"},
    {"BGProtection", REG_SZ, "0"},
    {"ShortSlot", REG_SZ, "1"},
    {"Channel", REG_SZ, "0"},
    {"PreambleType", REG_SZ, "0"},
    {"TXPower", REG_SZ, "0"},
    {"RtsThresh", REG_SZ, "2347"},
    {"FragThresh", REG_SZ, "0"},
    {"AuthenType", REG_SZ, "0"},
    {"Encryption", REG_SZ, "1"},
    {"WPAPSK", REG_SZ, ""},
    {"WEPKey1Type", REG_SZ, "0"},
    {"WEPKey2Type", REG_SZ, "0"},
    {"WEPKey3Type", REG_SZ, "0"},
    {"WEPKey4Type", REG_SZ, "0"},
    {"WEPKeyUse", REG_SZ, "1"},
    {"WEPKey1", REG_SZ, ""},
    {"WEPKey2", REG_SZ, ""},
    {"WEPKey3", REG_SZ, ""},
    {"WEPKey4", REG_SZ, ""},
    {"RekeyInterval", REG_SZ, "60"},
    {"RekeyMethod", REG_SZ, "0"},
    {"TXPower", REG_SZ, "0"},
    {"RadiusIP", REG_SZ, ""},
    {"RadiusPort", REG_SZ, ""},
    {"RadiusKey", REG_SZ, ""},
    {"AccessControlPolicy", REG_SZ, "0"},
    {"AccessControlList", REG_MULTI_SZ, ""},
    {"WdsEnable", REG_SZ, "1"},
    {"WdsList", REG_MULTI_SZ, ""},
    {"AutoChannelSelect", REG_SZ, "0"},
    {"NoForwarding", REG_SZ, "0"},
    {"HideSSID", REG_SZ, "0"},
    {"BeaconPeriod", REG_SZ, "100"},
};
const int g_nApDefaultValueCount = (int)(sizeof(g_ApDefaultValues) / sizeof(g_ApDefaultValues[0]));

BOOL WriteSoftApDefaults()
{
    CRegKey ap;
    {
        CRegKey adapter(OpenAdapterKey(KEY_READ | KEY_CREATE_SUB_KEY));
        if (!adapter.IsOpen()) return FALSE;
        DWORD disposition = 0;
        if (ap.Create(adapter, REGSTR_KEY_AP_DEFAULT, KEY_SET_VALUE, &disposition) != ERROR_SUCCESS) return FALSE;
        if (disposition != REG_CREATED_NEW_KEY) return FALSE;
    }

    BYTE mac[6] = {};
    QueryOid(OID_802_3_CURRENT_ADDRESS, mac, sizeof(mac), nullptr);
    char ssid[16];
    std::snprintf(ssid, sizeof(ssid), "SoftAP-%02X", mac[5]);
    char mode[16];
    std::snprintf(mode, sizeof(mode), "%d", NormaliseWirelessMode(5, g_bDualBand, g_bHtDevice));

    for (const ApDefaultValue& v : g_ApDefaultValues) {
        const char* text = v.text;
        if (!text) text = std::strcmp(v.name, "SSID") == 0 ? ssid : mode;
        if (v.type == REG_MULTI_SZ) {
            static const BYTE empty[2] = {0, 0};
            RegSetValueExA(ap, v.name, 0, REG_MULTI_SZ, empty, sizeof(empty));
        } else {
            WriteRegText(ap, v.name, text);
        }
    }
    return TRUE;
}

// ---- Operation mode and wireless mode ------------------------------------

BOOL IsStationOpMode()
{
    DWORD mode = 0;
    if (!QueryOid(OID_VENDOR_OP_MODE, &mode, sizeof(mode), nullptr)) return TRUE;
    return mode == 0;
}

void SetApOpMode()
{
    WriteAdapterText(REGSTR_OP_MODE, "1");
    DWORD mode = 1;
    SetOid(OID_VENDOR_OP_MODE, &mode, sizeof(mode), nullptr, 3);
}

BOOL WirelessModeFromIndex(int index, int* mode)
{
    static const int kModes[] = {1, 0, 3, 4, 2, 5, 6, -1, -1, 9};
    if (index < 0 || index > 9 || kModes[index] < 0) return FALSE;
    *mode = kModes[index];
    return TRUE;
}

int NormaliseWirelessMode(int mode, BOOL dualBand, BOOL htDevice)
{
    if (mode == 7) mode = 4;
    else if (mode == 8 || mode == 10) mode = 2;
    if (!dualBand) {
        if (mode == 2 || mode == 3) mode = 0;
        else if (mode == 5) mode = 9;
    }
    if (!htDevice) {
        if (mode == 5) mode = 3;
        else if (mode == 6 || mode == 9) mode = 0;
    }
    return mode;
}

void WriteWirelessMode(int* mode)
{
    *mode = NormaliseWirelessMode(*mode, g_bDualBand, g_bHtDevice);
    WriteAdapterInt(REGSTR_WIRELESS_MODE, *mode);
}

namespace {

struct ModeText {
    int mode;
    const char* text;
};
const ModeText kModeTexts[] = {
    {0, "802.11 B/G mix"},     {1, "802.11 B only"},      {2, "802.11 A only"},
    {3, "802.11 A/B/G mix"},   {4, "802.11 G only"},      {5, "802.11 A/B/G/N mix"},
    {9, "802.11 B/G/N mix"},
};

}  // namespace

int WirelessModeTextToCode(const char* text)
{
    if (!text || !*text) return 6;
    for (const ModeText& m : kModeTexts)
        if (std::strcmp(m.text, text) == 0) return m.mode;
    return 0;
}

CString WirelessModeCodeToText(int mode)
{
    for (const ModeText& m : kModeTexts)
        if (m.mode == mode) return m.text;
    return CString();
}

int SetWirelessModeText(CString& text)
{
    int mode = WirelessModeTextToCode(text);
    WriteWirelessMode(&mode);
    text = WirelessModeCodeToText(mode);
    g_nWirelessMode = mode;
    return mode;
}

// ---- Installer hand-over and region set-up ---------------------------------

namespace {

// A REG_DWORD of the installer key; FALSE when the key or value is missing.
BOOL ReadInstallerChoice(const char* name, DWORD* value)
{
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER, KEY_READ) != ERROR_SUCCESS) return FALSE;
    return ReadRegDword(key, name, value);
}

bool AdapterValueExists(const char* name)
{
    CRegKey key(OpenAdapterKey(KEY_QUERY_VALUE));
    return key.IsOpen() && RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

void ApplyRunOnceInitConfigTool()
{
    if (g_nOsVersion < OS_WINXP) return;
    // Without the adapter key the choice could never be marked as applied.
    if (!CRegKey(OpenAdapterKey(KEY_QUERY_VALUE)).IsOpen()) return;
    if (AdapterValueExists(REGSTR_RUNONCE_CONFIG_TOOL)) return;
    DWORD choice = 1;
    ReadInstallerChoice(REGSTR_CONFIG_TOOL_SELECT, &choice);
    if (choice == 0) {
        if (g_pfnUseWzc) g_pfnUseWzc();
    } else {
        if (g_pfnUseOwnTool) g_pfnUseOwnTool();
    }
    WriteAdapterText(REGSTR_RUNONCE_CONFIG_TOOL, choice == 0 ? "0" : "1");
}

void ApplyRunOnceInitConfigTxBurst()
{
    if (!CRegKey(OpenAdapterKey(KEY_QUERY_VALUE)).IsOpen()) return;
    if (AdapterValueExists(REGSTR_RUNONCE_TX_BURST)) return;
    DWORD select = 0;
    int choice = ReadInstallerChoice(REGSTR_CONFIG_TX_BURST_SELECT, &select) && select == 1 ? 1 : 0;
    DWORD advanced[8] = {};
    DWORD returned = 0;
    // Only a block the driver gave back is sent: a failed query would
    // otherwise overwrite the driver's other advanced words with zeros.
    if (QueryOid(OID_VENDOR_ADVANCED_CONFIG, advanced, sizeof(advanced), &returned) &&
        returned >= sizeof(advanced)) {
        advanced[0] = (DWORD)choice;
        advanced[6] = 0;
        SetOid(OID_VENDOR_ADVANCED_CONFIG, advanced, sizeof(advanced), nullptr, 3);
    }
    WriteAdapterInt(REGSTR_TX_BURST, choice);
    WriteAdapterInt(REGSTR_RUNONCE_TX_BURST, choice);
}

namespace {

// Rewrites Channel of the adapter key (or a subkey) when it is missing or
// not one of the allowed channels.
void CheckChannelValue(const BYTE* list, int count, const char* subkey)
{
    CRegKey key(OpenAdapterKey(KEY_READ | KEY_SET_VALUE, subkey));
    if (!key.IsOpen()) return;
    int channel = 0;
    bool allowed = false;
    if (ReadRegInt(key, REGSTR_CHANNEL, &channel))
        for (int i = 0; i < count; ++i)
            if (list[i] == channel) allowed = true;
    if (!allowed && count > 0) WriteRegInt(key, REGSTR_CHANNEL, list[0]);
}

}  // namespace

void InitRegionAndChannel()
{
    DWORD region = 0;
    QueryOid(OID_VENDOR_COUNTRY_REGION, &region, sizeof(region), nullptr);
    g_bRegionBgFlag = (region & 0x80) ? FALSE : TRUE;
    g_bRegionAFlag = (region & 0x8000) ? FALSE : TRUE;
    g_dwCountryRegion = region & ~(DWORD)0x8080;

    int mode = ReadWirelessModeOrDefault();
    WriteWirelessMode(&mode);
    g_nWirelessMode = mode;

    BYTE list[kMaxChannelListSize];
    int count = 0;
    BuildChannelList(1, mode, 0, list, &count);
    CheckChannelValue(list, count, nullptr);
    CheckChannelValue(list, count, REGSTR_KEY_DEFAULT);
}
