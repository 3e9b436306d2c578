// What the set-up tool leaves in the prefix: a present network-class device
// with the hardware id, its driver key, the driver file with a version
// resource, and a device path that opens.
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <string>
#include <vector>

#include "sim/client/SimClient.h"
#include "tests/sim/RunSetup.h"

namespace {

const GUID kNetClass = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

struct Found {
    std::string hardwareId, driver, desc;
};

bool FindNetDevice(const std::string& guid, Found& out)
{
    HDEVINFO set = SetupDiGetClassDevsA(&kNetClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA dev{sizeof(dev)};
    bool found = false;
    for (DWORD i = 0; !found && SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
        HKEY k = SetupDiOpenDevRegKey(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
        if (k == INVALID_HANDLE_VALUE) continue;
        char id[129] = {0}, desc[256] = {0};
        DWORD size = sizeof(id) - 1;
        RegQueryValueExA(k, "NetCfgInstanceId", nullptr, nullptr, (BYTE*)id, &size);
        size = sizeof(desc) - 1;
        RegQueryValueExA(k, "DriverDesc", nullptr, nullptr, (BYTE*)desc, &size);
        RegCloseKey(k);
        if (_stricmp(id, guid.c_str()) != 0) continue;
        char hw[256] = {0}, drv[256] = {0};
        SetupDiGetDeviceRegistryPropertyA(set, &dev, SPDRP_HARDWAREID, nullptr, (BYTE*)hw, sizeof(hw) - 2, nullptr);
        SetupDiGetDeviceRegistryPropertyA(set, &dev, SPDRP_DRIVER, nullptr, (BYTE*)drv, sizeof(drv) - 1, nullptr);
        out.hardwareId = hw;
        out.driver = drv;
        out.desc = desc;
        found = true;
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

std::string DriverFile(const char* name)
{
    char sys[MAX_PATH];
    GetSystemDirectoryA(sys, MAX_PATH);
    return std::string(sys) + "\\drivers\\" + name;
}

bool PathOpens(const std::string& guid)
{
    HANDLE h = CreateFileA(("\\\\.\\" + guid).c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

void ExpectInstalled(const std::string& guid, const char* hardwareId, const char* file)
{
    Found d;
    ASSERT_TRUE(FindNetDevice(guid, d)) << "no present Net device with NetCfgInstanceId " << guid;
    EXPECT_EQ(hardwareId, d.hardwareId);
    EXPECT_EQ(0u, d.driver.find("{4D36E972-E325-11CE-BFC1-08002BE10318}\\")) << d.driver;
    EXPECT_EQ(43u, d.driver.size()) << d.driver;
    EXPECT_FALSE(d.desc.empty());
    DWORD ignored = 0;
    EXPECT_GT(GetFileVersionInfoSizeA(DriverFile(file).c_str(), &ignored), 0u) << DriverFile(file);
    EXPECT_TRUE(PathOpens(guid));
}

TEST(Installation, DefaultAdapterIsANetDeviceWithItsDriver)
{
    ExpectInstalled(kqsim::kDefaultAdapterGuid, "PCI\\VEN_1814&DEV_0601", "qx80.sys");
}

TEST(Installation, SecondAdapterOfAnotherModelInstallsAndRemoves)
{
    const std::string guid = "{4B515445-5354-0000-0000-0000000000C1}";
    std::string out;
    RunSetup("remove --guid " + guid, out);   // left over from an interrupted run
    ASSERT_EQ(0u, RunSetup("install --guid " + guid + " --model 0", out)) << out;
    ExpectInstalled(guid, "PCI\\VEN_1814&DEV_0201", "qx40.sys");
    // installing again changes nothing
    ASSERT_EQ(0u, RunSetup("install --guid " + guid, out)) << out;
    Found d;
    ASSERT_TRUE(FindNetDevice(guid, d));
    EXPECT_EQ("PCI\\VEN_1814&DEV_0201", d.hardwareId);
    ASSERT_EQ(0u, RunSetup("adapters", out)) << out;
    EXPECT_NE(std::string::npos, out.find(guid + "  PCI\\VEN_1814&DEV_0201  model 0")) << out;
    // the same adapter as a USB model of the 802.11n generation 3
    ASSERT_EQ(0u, RunSetup("install --guid " + guid + " --hwid USB\\VID_148F&PID_2870", out)) << out;
    ExpectInstalled(guid, "USB\\VID_148F&PID_2870", "qx90.sys");
    kqsim::SimClient client;
    kqsim::AdapterState st;
    ASSERT_TRUE(client.Open(2000));
    ASSERT_TRUE(client.GetAdapter(guid, st));
    EXPECT_EQ(8u, st.config.model);

    ASSERT_EQ(0u, RunSetup("remove --guid " + guid, out)) << out;
    EXPECT_FALSE(FindNetDevice(guid, d));
    EXPECT_FALSE(PathOpens(guid));
    // the default adapter is untouched
    EXPECT_TRUE(FindNetDevice(kqsim::kDefaultAdapterGuid, d));
    EXPECT_TRUE(PathOpens(kqsim::kDefaultAdapterGuid));
}

TEST(Installation, VanishAndReturnThroughTheTool)
{
    std::string out;
    const std::string g = kqsim::kDefaultAdapterGuid;
    ASSERT_EQ(0u, RunSetup("vanish --guid " + g, out)) << out;
    EXPECT_FALSE(PathOpens(g));
    ASSERT_EQ(0u, RunSetup("adapters", out)) << out;
    EXPECT_NE(std::string::npos, out.find("vanished")) << out;
    ASSERT_EQ(0u, RunSetup("return --guid " + g, out)) << out;
    EXPECT_TRUE(PathOpens(g));
}

}  // namespace
