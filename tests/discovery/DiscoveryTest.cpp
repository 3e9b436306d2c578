// Adapter discovery as the controller runs it: CHideDlg::FindAndOpenAdapter
// over the present network devices of the prefix, the simulated adapters
// behind their device paths, and the selection dialog when there is a choice.
#include <gtest/gtest.h>

#include <windows.h>
#include <setupapi.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/AdapterDiscovery.h"
#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "resource.h"
#include "sim/client/SimClient.h"
#include "sim/client/SimTestSupport.h"
#include "tests/sim/RunSetup.h"

namespace {

const GUID kNetClass = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const char kDefaultGuid[] = "{5A1E7C3D-2B4F-4E61-9D8C-0F1E2D3C4B5A}";
const char kClassKey[] = "System\\CurrentControlSet\\Control\\Class\\";
const char kSelectCaption[] = "Select a Wireless LAN card";

// ---- hardware-id tables ---------------------------------------------------

TEST(HardwareIdTables, FirstRowOverTwentyOneUpperCaseCharactersGivesTheModel)
{
    struct Case {
        const char* id;
        bool usb;      // which table is searched
        int row;       // -1: no match
        int model;
    } cases[] = {
        {"usb\\vid_148f&pid_2570&REV_0001", true, 0, 1},   // lower case, revision suffix
        {"USB\\VID_148F&PID_2570", true, 0, 1},
        {"USB\\VID_0EB0&PID_9021", true, 20, 1},           // the later model-5 row is shadowed
        {"USB\\VID_14B2&PID_3C02", true, 13, 1},           // listed twice: the first row
        {"USB\\VID_148F&PID_2573", true, 24, 5},
        {"USB\\VID_18E8&PID_6238&MI_00", true, 50, 5},
        {"USB\\VID_148F&PID_2870", true, 51, 8},
        {"usb\\vid_083a&pid_7522", true, 66, 8},
        {"PCI\\VEN_1814&DEV_0201", false, 0, 0},
        {"PCI\\VEN_1814&DEV_0301&SUBSYS_00000000", false, 1, 4},
        {"PCI\\VEN_1814&DEV_0781", false, 5, 4},
        {"PCI\\VEN_1814&DEV_0501", false, 6, 6},
        {"pci\\ven_1814&dev_0601&subsys_27901814&rev_00", false, 7, 7},
        {"PCI\\VEN_1814&DEV_0681", false, 8, 7},
        // no match
        {"PCI\\VEN_1814&DEV_0202", false, -1, -1},
        {"PCI\\VEN_8086&DEV_100E", false, -1, -1},
        {"PCI\\VEN_1814&DEV_060", false, -1, -1},          // 20 characters only
        {"PCI\\VEN_1814&DEV_0601", true, -1, -1},          // a PCI id is not in the USB table
        {"USB\\VID_148F&PID_2570", false, -1, -1},
        {"USB\\VID_148F&PID_257", true, -1, -1},
        {"", true, -1, -1},
        {"", false, -1, -1},
    };
    for (const Case& c : cases) {
        const HardwareIdRow* table = c.usb ? g_UsbHardwareIds : g_PciHardwareIds;
        int count = c.usb ? g_nUsbHardwareIdCount : g_nPciHardwareIdCount;
        int row = FindHardwareIdRow(table, count, c.id);
        EXPECT_EQ(c.row, row) << c.id;
        if (c.row >= 0 && row >= 0) {
            EXPECT_EQ(c.model, (int)table[row].modelIndex) << c.id;
        }
    }
    EXPECT_EQ(-1, FindHardwareIdRow(g_UsbHardwareIds, g_nUsbHardwareIdCount, nullptr));
}

// ---- the machine ----------------------------------------------------------

TEST(NetClass, TheMachineNamesTheNetworkClass)
{
    GUID guids[4] = {};
    DWORD n = 0;
    ASSERT_TRUE(SetupDiClassGuidsFromNameA("Net", guids, 4, &n)) << GetLastError();
    ASSERT_GE(n, 1u);
    EXPECT_TRUE(IsEqualGUID(kNetClass, guids[0]));
}

// ---- discovery over the devices of the prefix -----------------------------

std::string DriverKeyOf(const std::string& guid)
{
    HDEVINFO set = SetupDiGetClassDevsA(&kNetClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return "";
    std::string out;
    SP_DEVINFO_DATA dev{sizeof(dev)};
    for (DWORD i = 0; out.empty() && SetupDiEnumDeviceInfo(set, i, &dev); ++i) {
        HKEY k = SetupDiOpenDevRegKey(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
        if (k == INVALID_HANDLE_VALUE) continue;
        char id[129] = {0};
        DWORD size = sizeof(id) - 1;
        RegQueryValueExA(k, "NetCfgInstanceId", nullptr, nullptr, (BYTE*)id, &size);
        RegCloseKey(k);
        char drv[256] = {0};
        if (_stricmp(id, guid.c_str()) == 0 &&
            SetupDiGetDeviceRegistryPropertyA(set, &dev, SPDRP_DRIVER, nullptr, (BYTE*)drv, sizeof(drv) - 1, nullptr))
            out = drv;
    }
    SetupDiDestroyDeviceInfoList(set);
    return out;
}

// A network device made here with SetupAPI alone: no driver stands behind it.
struct BareDevice {
    HDEVINFO set = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA dev{sizeof(SP_DEVINFO_DATA)};
    std::string driverKey;

    bool Create(const std::string& hardwareId, const char* netCfgId)
    {
        set = SetupDiCreateDeviceInfoList(&kNetClass, nullptr);
        if (set == INVALID_HANDLE_VALUE) return false;
        if (!SetupDiCreateDeviceInfoA(set, "NET", &kNetClass, "Bare test device", nullptr, DICD_GENERATE_ID, &dev))
            return false;
        std::string hw = hardwareId + std::string(2, '\0');
        if (!SetupDiSetDeviceRegistryPropertyA(set, &dev, SPDRP_HARDWAREID, (const BYTE*)hw.data(), (DWORD)hw.size()))
            return false;
        if (!SetupDiRegisterDeviceInfo(set, &dev, 0, nullptr, nullptr, nullptr)) return false;
        HKEY k = SetupDiCreateDevRegKeyA(set, &dev, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr);
        if (k == INVALID_HANDLE_VALUE) return false;
        if (netCfgId)
            RegSetValueExA(k, "NetCfgInstanceId", 0, REG_SZ, (const BYTE*)netCfgId, (DWORD)strlen(netCfgId) + 1);
        RegCloseKey(k);
        char drv[256] = {0};
        SetupDiGetDeviceRegistryPropertyA(set, &dev, SPDRP_DRIVER, nullptr, (BYTE*)drv, sizeof(drv) - 1, nullptr);
        driverKey = drv;
        return true;
    }
    ~BareDevice()
    {
        if (set == INVALID_HANDLE_VALUE) return;
        SetupDiRemoveDevice(set, &dev);
        SetupDiDestroyDeviceInfoList(set);
        if (!driverKey.empty()) RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClassKey + driverKey).c_str());
    }
};

// What the selection dialog showed, seen from a second thread that answers it.
struct DialogSeen {
    bool shown = false;
    bool busyWhileShown = false;
    std::vector<std::string> items;
    std::string edits[4];          // description, hardware id, location, maker at item 0
    std::string editsAfter[4];     // the same after picking item 1
};

const int kEditIds[4] = {IDC_CARD_DESCRIPTION, IDC_CARD_HARDWARE_ID, IDC_CARD_LOCATION, IDC_CARD_MAKER};

std::string TextOf(HWND w)
{
    char buf[512] = {0};
    SendMessageA(w, WM_GETTEXT, sizeof(buf), (LPARAM)buf);
    return buf;
}

// Runs discovery while a watcher looks for the selection dialog; when it
// shows, the watcher reads it, picks item `pick` (or the item named
// `pickName`) like a user and presses OK.
BOOL DiscoverWatching(CHideDlg& hide, DialogSeen& seen, int pick, const std::string& pickName = "")
{
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done) {
            HWND dlg = FindWindowA("#32770", kSelectCaption);
            DWORD pid = 0;
            if (dlg) GetWindowThreadProcessId(dlg, &pid);
            if (!dlg || pid != GetCurrentProcessId() || !IsWindowVisible(dlg)) {
                Sleep(20);
                continue;
            }
            seen.shown = true;
            seen.busyWhileShown = hide.m_bBusy != FALSE;
            HWND combo = GetDlgItem(dlg, IDC_CARD_LIST);
            int n = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
            for (int i = 0; i < n; ++i) {
                char buf[256] = {0};
                if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) < (LRESULT)sizeof(buf))
                    SendMessageA(combo, CB_GETLBTEXT, i, (LPARAM)buf);
                seen.items.push_back(buf);
                if (!pickName.empty() && pickName == buf) pick = i;
            }
            for (int e = 0; e < 4; ++e) seen.edits[e] = TextOf(GetDlgItem(dlg, kEditIds[e]));
            if (pick >= 0) {
                SendMessageA(combo, CB_SETCURSEL, pick, 0);
                SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_CARD_LIST, CBN_SELCHANGE), (LPARAM)combo);
            }
            for (int e = 0; e < 4; ++e) seen.editsAfter[e] = TextOf(GetDlgItem(dlg, kEditIds[e]));
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
            while (!done && IsWindow(dlg)) Sleep(10);
        }
    });
    BOOL r = hide.FindAndOpenAdapter();
    done = true;
    watcher.join();
    return r;
}

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DetectOsVersion();
        ASSERT_GE(g_nOsVersion, 7);
        ASSERT_TRUE(m_sim.Open(3000)) << "the simulated driver is not running";
        ASSERT_TRUE(PathOpens(kDefaultGuid)) << "the default adapter is not present";
        m_defaultKey = DriverKeyOf(kDefaultGuid);
        ASSERT_FALSE(m_defaultKey.empty());
        kqsim::AdapterState st;
        ASSERT_TRUE(m_sim.GetAdapter(kDefaultGuid, st));
        m_defaultDesc = st.config.description;
    }
    void TearDown() override
    {
        for (const std::string& g : m_installed) {
            std::string out;
            EXPECT_EQ(0u, RunSetup("remove --guid " + g, out)) << out;
        }
        m_sim.Return(kDefaultGuid);
        EXPECT_TRUE(PathOpens(kDefaultGuid));
    }

    static bool PathOpens(const std::string& guid)
    {
        HANDLE h = CreateFileA(("\\\\.\\" + guid).c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
        return true;
    }

    // An adapter of the set-up tool (device, driver key, driver adapter); removed in tear-down.
    std::string Install(int n, const std::string& options)
    {
        std::string guid = kqsim::TestAdapterGuid(0x60 + n), out;
        m_installed.push_back(guid);
        DWORD rc = RunSetup("install --guid " + guid + " " + options, out);
        EXPECT_EQ(0u, rc) << out;
        EXPECT_TRUE(PathOpens(guid)) << out;
        return guid;
    }
    void Uninstall(const std::string& guid)
    {
        std::string out;
        EXPECT_EQ(0u, RunSetup("remove --guid " + guid, out)) << out;
        for (size_t i = 0; i < m_installed.size(); ++i)
            if (m_installed[i] == guid) m_installed.erase(m_installed.begin() + i--);
    }
    void VanishDefault() { ASSERT_TRUE(m_sim.Vanish(kDefaultGuid)); }

    static std::string RegPathOf(const std::string& driverKey)
    {
        return "System\\CurrentControlSet\\Control\\Class\\" + driverKey;
    }

    // The results as the default adapter (model 7 on PCI) gives them.
    void ExpectDefaultChosen()
    {
        EXPECT_STREQ((std::string("\\\\.\\") + kDefaultGuid).c_str(), g_szDevicePath);
        EXPECT_STREQ(kDefaultGuid, (const char*)g_strNetCfgInstanceId);
        EXPECT_STREQ(RegPathOf(m_defaultKey).c_str(), (const char*)g_strAdapterRegPath);
        EXPECT_EQ(7, g_nModelIndex);
        EXPECT_FALSE(g_bIsUsb);
        EXPECT_FALSE(g_bIsUsbTable);
        EXPECT_EQ(7, g_nHwTableRow);
        EXPECT_FALSE(g_bLegacyModel);
        EXPECT_TRUE(g_bHtDevice);
        EXPECT_EQ(2, g_nHtGeneration);
    }

    kqsim::SimClient m_sim;
    std::string m_defaultKey, m_defaultDesc;
    std::vector<std::string> m_installed;
};

TEST_F(DiscoveryTest, TheOneAdapterIsChosenWithoutADialog)
{
    g_szDevicePath[0] = 0;
    g_strAdapterRegPath = "";
    CHideDlg hide;
    DialogSeen seen;
    ASSERT_TRUE(DiscoverWatching(hide, seen, -1));
    EXPECT_FALSE(seen.shown);
    EXPECT_EQ(0u, m_defaultKey.find("{4D36E972-E325-11CE-BFC1-08002BE10318}\\0")) << m_defaultKey;
    ExpectDefaultChosen();
    EXPECT_FALSE(hide.m_bBusy);
}

TEST_F(DiscoveryTest, ModelAndFlagsFollowTheDevicesHardwareId)
{
    struct Case {
        const char* hwid;
        int model, row;
        bool usb, legacy, ht;
        int generation;
    } cases[] = {
        {"usb\\vid_148f&pid_2570&REV_0001", 1, 0, true, true, false, 0},
        {"USB\\VID_0EB0&PID_9021", 1, 20, true, true, false, 0},
        {"USB\\VID_148F&PID_2573", 5, 24, true, false, false, 0},
        {"USB\\VID_148F&PID_2870", 8, 51, true, false, true, 3},
        {"PCI\\VEN_1814&DEV_0201", 0, 0, false, true, false, 0},
        {"PCI\\VEN_1814&DEV_0401", 4, 3, false, false, false, 0},
        {"PCI\\VEN_1814&DEV_0501", 6, 6, false, false, true, 1},
    };
    VanishDefault();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hwid);
        std::string guid = Install(++n, std::string("--hwid \"") + c.hwid + "\"");
        CHideDlg hide;
        DialogSeen seen;
        ASSERT_TRUE(DiscoverWatching(hide, seen, -1));
        EXPECT_FALSE(seen.shown);
        EXPECT_STREQ(("\\\\.\\" + guid).c_str(), g_szDevicePath);
        EXPECT_STREQ(RegPathOf(DriverKeyOf(guid)).c_str(), (const char*)g_strAdapterRegPath);
        EXPECT_EQ(c.model, g_nModelIndex);
        EXPECT_EQ(c.row, g_nHwTableRow);
        EXPECT_EQ(c.usb, g_bIsUsbTable != FALSE);
        EXPECT_EQ(c.usb, g_bIsUsb != FALSE);
        EXPECT_EQ(c.legacy, g_bLegacyModel != FALSE);
        EXPECT_EQ(c.ht, g_bHtDevice != FALSE);
        EXPECT_EQ(c.generation, g_nHtGeneration);
        Uninstall(guid);
    }
}

TEST_F(DiscoveryTest, NoOpenableSupportedDeviceMeansNoAdapter)
{
    VanishDefault();
    CHideDlg hide;
    DialogSeen seen;
    EXPECT_FALSE(DiscoverWatching(hide, seen, -1));
    EXPECT_FALSE(seen.shown);
}

TEST_F(DiscoveryTest, DevicesThatCannotServeAreSkipped)
{
    struct Case {
        const char* what;
        const char* hwid;
        const char* netCfgId;   // nullptr: the driver key has none
    } cases[] = {
        {"supported id, no driver behind its path", "PCI\\VEN_1814&DEV_0681", "{4B515445-5354-0000-0000-0000000000EE}"},
        {"supported id, no NetCfgInstanceId", "USB\\VID_148F&PID_2870", nullptr},
        {"empty NetCfgInstanceId", "PCI\\VEN_1814&DEV_0501", ""},
        // its path opens (it names the default adapter), but the id is not one of ours
        {"unsupported id", "PCI\\VEN_8086&DEV_100E", kDefaultGuid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BareDevice extra;
        ASSERT_TRUE(extra.Create(c.hwid, c.netCfgId)) << GetLastError();
        CHideDlg hide;
        DialogSeen seen;
        EXPECT_TRUE(DiscoverWatching(hide, seen, 1));
        EXPECT_FALSE(seen.shown);
        ExpectDefaultChosen();
    }
    // Only devices that cannot serve: nothing is found.
    VanishDefault();
    BareDevice orphan;
    ASSERT_TRUE(orphan.Create("PCI\\VEN_1814&DEV_0601", "{4B515445-5354-0000-0000-0000000000EF}"));
    CHideDlg hide;
    DialogSeen seen;
    EXPECT_FALSE(DiscoverWatching(hide, seen, 1));
    EXPECT_FALSE(seen.shown);
}

TEST_F(DiscoveryTest, TwoAdaptersAskTheUserAndTakeTheChosenOne)
{
    // A device that is no candidate sits between the two in enumeration
    // order, so a list position is not a device index.
    BareDevice between;
    ASSERT_TRUE(between.Create("PCI\\VEN_8086&DEV_100E", "{4B515445-5354-0000-0000-0000000000ED}"));
    const char* secondDesc = "Second Test Card";
    std::string second = Install(1, std::string("--model 8 --desc \"") + secondDesc + "\"");
    std::string secondKey = DriverKeyOf(second);
    ASSERT_FALSE(secondKey.empty());

    CHideDlg hide;
    DialogSeen seen;
    ASSERT_TRUE(DiscoverWatching(hide, seen, 1));
    ASSERT_TRUE(seen.shown);
    EXPECT_TRUE(seen.busyWhileShown);
    EXPECT_FALSE(hide.m_bBusy);
    ASSERT_EQ(2u, seen.items.size());
    // Both cards listed by name, in enumeration order; the edits follow the selection.
    bool secondLast = seen.items[1] == secondDesc;
    EXPECT_EQ(secondLast ? m_defaultDesc : secondDesc, seen.items[0]);
    EXPECT_EQ(secondLast ? secondDesc : m_defaultDesc, seen.items[1]);
    const std::string defaultView[2] = {m_defaultDesc, "PCI\\VEN_1814&DEV_0601"};
    const std::string secondView[2] = {secondDesc, "USB\\VID_148F&PID_2870"};
    const std::string* before = secondLast ? defaultView : secondView;
    const std::string* after = secondLast ? secondView : defaultView;
    for (int e = 0; e < 2; ++e) {
        EXPECT_EQ(before[e], seen.edits[e]) << e;
        EXPECT_EQ(after[e], seen.editsAfter[e]) << e;
    }
    for (int e = 2; e < 4; ++e) {
        EXPECT_FALSE(seen.edits[e].empty()) << e;
        EXPECT_FALSE(seen.editsAfter[e].empty()) << e;
    }

    // The card picked in the list is the one discovery continues with.
    if (secondLast) {
        EXPECT_STREQ(("\\\\.\\" + second).c_str(), g_szDevicePath);
        EXPECT_STREQ(second.c_str(), (const char*)g_strNetCfgInstanceId);
        EXPECT_STREQ(RegPathOf(secondKey).c_str(), (const char*)g_strAdapterRegPath);
        EXPECT_EQ(8, g_nModelIndex);
        EXPECT_TRUE(g_bIsUsb);
        EXPECT_EQ(3, g_nHtGeneration);
    } else {
        ExpectDefaultChosen();
    }

    // The second one gone from the air, then from the machine: no more question.
    ASSERT_TRUE(m_sim.Vanish(second));
    {
        CHideDlg again;
        DialogSeen none;
        EXPECT_TRUE(DiscoverWatching(again, none, 1));
        EXPECT_FALSE(none.shown);
        ExpectDefaultChosen();
    }
    ASSERT_TRUE(m_sim.Return(second));
    Uninstall(second);
    {
        CHideDlg again;
        DialogSeen none;
        EXPECT_TRUE(DiscoverWatching(again, none, 1));
        EXPECT_FALSE(none.shown);
        ExpectDefaultChosen();
    }
}

TEST_F(DiscoveryTest, TheSecondCardCanBePickedWhicheverPlaceItHas)
{
    // The card is picked by its name, wherever enumeration put it in the list.
    std::string second = Install(2, "--model 5 --desc \"Other Test Card\"");
    CHideDlg hide;
    DialogSeen seen;
    ASSERT_TRUE(DiscoverWatching(hide, seen, -1, "Other Test Card"));
    ASSERT_TRUE(seen.shown);
    ASSERT_EQ(2u, seen.items.size());
    EXPECT_TRUE(seen.items[0] == "Other Test Card" || seen.items[1] == "Other Test Card");
    EXPECT_STREQ(("\\\\.\\" + second).c_str(), g_szDevicePath);
    EXPECT_STREQ(second.c_str(), (const char*)g_strNetCfgInstanceId);
    EXPECT_STREQ(RegPathOf(DriverKeyOf(second)).c_str(), (const char*)g_strAdapterRegPath);
    EXPECT_EQ(5, g_nModelIndex);
    EXPECT_TRUE(g_bIsUsb);
    EXPECT_FALSE(g_bHtDevice);
}

TEST_F(DiscoveryTest, TheSameAdapterBackLeavesTheChangeFlagClear)
{
    CHideDlg hide;
    ASSERT_TRUE(hide.FindAndOpenAdapter());
    hide.m_bAdapterChanged = FALSE;
    VanishDefault();
    EXPECT_FALSE(hide.FindAndOpenAdapter());
    ASSERT_TRUE(m_sim.Return(kDefaultGuid));
    ASSERT_TRUE(hide.FindAndOpenAdapter());
    EXPECT_FALSE(hide.m_bAdapterChanged);
    ExpectDefaultChosen();
}

TEST_F(DiscoveryTest, ADifferentAdapterSetsTheChangeFlag)
{
    CHideDlg hide;
    ASSERT_TRUE(hide.FindAndOpenAdapter());
    ExpectDefaultChosen();
    hide.m_bAdapterChanged = FALSE;
    VanishDefault();
    EXPECT_FALSE(hide.FindAndOpenAdapter());
    EXPECT_FALSE(hide.m_bAdapterChanged);

    std::string other = Install(3, "--model 6");
    std::string otherKey = DriverKeyOf(other);
    ASSERT_FALSE(otherKey.empty());
    ASSERT_NE(m_defaultKey, otherKey);
    ASSERT_TRUE(hide.FindAndOpenAdapter());
    EXPECT_TRUE(hide.m_bAdapterChanged);
    EXPECT_STREQ(("\\\\.\\" + other).c_str(), g_szDevicePath);
    EXPECT_STREQ(RegPathOf(otherKey).c_str(), (const char*)g_strAdapterRegPath);
    EXPECT_EQ(6, g_nModelIndex);
}

}  // namespace
