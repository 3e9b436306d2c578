// The Windows version code: the mapping over version records, and the real
// GetVersionEx under Wine's per-program version settings.
#include <gtest/gtest.h>

#include <string>

#include "core/RegistryStore.h"
#include "support/Restore.h"

namespace {

struct VersionCase {
    DWORD platform, major, minor, build;
    BYTE productType;
    int expected;
};

const int kPrevious = 99;

const VersionCase kVersions[] = {
    {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, 0, 2},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998, 0, 3},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, 0, 4},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, 0, 4},   // 98 SE with version in the high word
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A07CE, 0, 3},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, 0, 5},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 3, 0, 0, kPrevious},
    {VER_PLATFORM_WIN32_WINDOWS, 5, 0, 0, 0, kPrevious},
    {VER_PLATFORM_WIN32_NT, 3, 51, 1057, VER_NT_WORKSTATION, 6},
    {VER_PLATFORM_WIN32_NT, 4, 0, 1381, VER_NT_SERVER, 6},
    {VER_PLATFORM_WIN32_NT, 5, 0, 2195, VER_NT_WORKSTATION, 7},
    {VER_PLATFORM_WIN32_NT, 5, 1, 2600, VER_NT_WORKSTATION, 8},
    {VER_PLATFORM_WIN32_NT, 5, 2, 3790, VER_NT_WORKSTATION, 10},
    {VER_PLATFORM_WIN32_NT, 5, 2, 3790, VER_NT_SERVER, 9},
    {VER_PLATFORM_WIN32_NT, 5, 2, 3790, VER_NT_DOMAIN_CONTROLLER, 9},
    {VER_PLATFORM_WIN32_NT, 5, 3, 0, VER_NT_WORKSTATION, 11},
    {VER_PLATFORM_WIN32_NT, 6, 0, 6000, VER_NT_WORKSTATION, 11},
    {VER_PLATFORM_WIN32_NT, 6, 1, 7601, VER_NT_SERVER, 12},
    {VER_PLATFORM_WIN32_NT, 10, 0, 19045, VER_NT_WORKSTATION, 11},
    {VER_PLATFORM_WIN32_NT, 6, 2, 9200, 0, 12},   // short record: no product type
    {VER_PLATFORM_WIN32s, 3, 11, 0, 0, kPrevious},
};

TEST(OsVersionCode, MapsEveryVersionRecord)
{
    for (const VersionCase& c : kVersions) {
        OSVERSIONINFOEXA vi{};
        vi.dwOSVersionInfoSize = sizeof(vi);
        vi.dwPlatformId = c.platform;
        vi.dwMajorVersion = c.major;
        vi.dwMinorVersion = c.minor;
        vi.dwBuildNumber = c.build;
        vi.wProductType = c.productType;
        EXPECT_EQ(c.expected, OsVersionCodeFromInfo(vi, kPrevious))
            << "platform " << c.platform << " " << c.major << "." << c.minor << " build " << c.build
            << " type " << (int)c.productType;
    }
}

// Runs the probe with HKCU\Software\Wine\AppDefaults\os_probe.exe\Version set
// to version (empty: no setting) and returns its exit code, the OS code.
int ProbeOsCode(const char* version)
{
    const char* appKey = "Software\\Wine\\AppDefaults\\os_probe.exe";
    if (*version) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, appKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return -1;
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       (DWORD)strlen(version) + 1);
        RegCloseKey(key);
    } else {
        RegDeleteTreeA(HKEY_CURRENT_USER, appKey);
    }
    std::string cmd = std::string("\"") + KQ_OS_PROBE + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    int code = -1;
    if (CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) {
            DWORD exitCode = 0;
            GetExitCodeProcess(pi.hProcess, &exitCode);
            code = (int)exitCode;
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, appKey);
    return code;
}

TEST(OsVersionCode, FollowsWinesVersionOfTheProgram)
{
    struct {
        const char* version;
        int expected;
    } cases[] = {{"winxp", 8}, {"win2k3", 9}, {"winxp64", 10}, {"", 11}};
    for (const auto& c : cases) EXPECT_EQ(c.expected, ProbeOsCode(c.version)) << "Version=" << c.version;
}

TEST(OsVersionCode, DetectSetsTheGlobalAndNo64BitHostForA64BitProgram)
{
    kqtest::Restore<int> os(g_nOsVersion);
    g_nOsVersion = 0;
    EXPECT_EQ(11, DetectOsVersion());
    EXPECT_EQ(11, g_nOsVersion);
    EXPECT_FALSE(IsWow64());
    EXPECT_FALSE(g_bIsWow64);
    // The redirection helpers are harmless where there is nothing to redirect.
    DisableWow64FsRedirection();
    EnableWow64FsRedirection();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\windows\\system32\\kernel32.dll"));
}

}  // namespace
