// The supported hardware ids row by row with their models, and the model
// flags under every Windows version code.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/AdapterDiscovery.h"
#include "app/HideDlg.h"
#include "core/RegistryStore.h"

namespace {

struct Row {
    const char* id;
    DWORD model;
};

const Row kPci[] = {
    {"PCI\\VEN_1814&DEV_0201", 0}, {"PCI\\VEN_1814&DEV_0301", 4}, {"PCI\\VEN_1814&DEV_0302", 4},
    {"PCI\\VEN_1814&DEV_0401", 4}, {"PCI\\VEN_1814&DEV_0701", 4}, {"PCI\\VEN_1814&DEV_0781", 4},
    {"PCI\\VEN_1814&DEV_0501", 6}, {"PCI\\VEN_1814&DEV_0601", 7}, {"PCI\\VEN_1814&DEV_0681", 7},
};

const Row kUsb[] = {
    {"USB\\VID_148F&PID_2570", 1}, {"USB\\VID_148F&PID_9020", 1}, {"USB\\VID_0DB0&PID_6861", 1},
    {"USB\\VID_0DB0&PID_6865", 1}, {"USB\\VID_0DB0&PID_6869", 1}, {"USB\\VID_0707&PID_EE13", 1},
    {"USB\\VID_0B05&PID_1706", 1}, {"USB\\VID_0B05&PID_1707", 1}, {"USB\\VID_5A57&PID_0260", 1},
    {"USB\\VID_5A57&PID_0261", 1}, {"USB\\VID_0F88&PID_3012", 1}, {"USB\\VID_13B1&PID_000D", 1},
    {"USB\\VID_0769&PID_11F3", 1}, {"USB\\VID_14B2&PID_3C02", 1}, {"USB\\VID_14B2&PID_3C03", 1},
    {"USB\\VID_1044&PID_8007", 1}, {"USB\\VID_0411&PID_0066", 1}, {"USB\\VID_0411&PID_0067", 1},
    {"USB\\VID_0681&PID_3C06", 1}, {"USB\\VID_0EB0&PID_9020", 1}, {"USB\\VID_0EB0&PID_9021", 1},
    {"USB\\VID_14B2&PID_3C02", 1}, {"USB\\VID_1371&PID_9022", 1}, {"USB\\VID_050D&PID_7050", 1},

    {"USB\\VID_148F&PID_2573", 5}, {"USB\\VID_18E8&PID_6196", 5}, {"USB\\VID_1044&PID_8008", 5},
    {"USB\\VID_14B2&PID_3C22", 5}, {"USB\\VID_148F&PID_2671", 5}, {"USB\\VID_13B1&PID_0020", 5},
    {"USB\\VID_0DB0&PID_6877", 5}, {"USB\\VID_0DB0&PID_A874", 5}, {"USB\\VID_0DB0&PID_6874", 5},
    {"USB\\VID_0769&PID_31F3", 5}, {"USB\\VID_0B05&PID_1723", 5}, {"USB\\VID_0B05&PID_1724", 5},
    {"USB\\VID_18C5&PID_0002", 5}, {"USB\\VID_1472&PID_0009", 5}, {"USB\\VID_1371&PID_9032", 5},
    {"USB\\VID_1631&PID_C019", 5}, {"USB\\VID_1044&PID_800A", 5}, {"USB\\VID_0DB0&PID_A861", 5},
    {"USB\\VID_18E8&PID_6229", 5}, {"USB\\VID_1690&PID_0722", 5}, {"USB\\VID_148F&PID_9021", 5},
    {"USB\\VID_0EB0&PID_9021", 5}, {"USB\\VID_0411&PID_00D8", 5}, {"USB\\VID_0586&PID_3415", 5},
    {"USB\\VID_0DF6&PID_9712", 5}, {"USB\\VID_0DF6&PID_90AC", 5}, {"USB\\VID_18E8&PID_6238", 5},

    {"USB\\VID_148F&PID_2870", 8}, {"USB\\VID_0B05&PID_1731", 8}, {"USB\\VID_0B05&PID_1732", 8},
    {"USB\\VID_0DF6&PID_0017", 8}, {"USB\\VID_14B2&PID_3C06", 8}, {"USB\\VID_2019&PID_ED06", 8},
    {"USB\\VID_07D1&PID_3C09", 8}, {"USB\\VID_050D&PID_8053", 8}, {"USB\\VID_14B2&PID_3C23", 8},
    {"USB\\VID_14B2&PID_3C07", 8}, {"USB\\VID_07AA&PID_002F", 8}, {"USB\\VID_1044&PID_800B", 8},
    {"USB\\VID_148F&PID_2770", 8}, {"USB\\VID_15A9&PID_0006", 8}, {"USB\\VID_083A&PID_B522", 8},
    {"USB\\VID_083A&PID_7522", 8},
};

// Each row in place with its model, and each id found at its first row.
void ExpectTable(const char* name, const HardwareIdRow* table, int count, const Row* want, int wantCount)
{
    SCOPED_TRACE(name);
    ASSERT_EQ(wantCount, count);
    for (int i = 0; i < count; ++i) {
        EXPECT_STREQ(want[i].id, table[i].hardwareId) << "row " << i;
        EXPECT_EQ(want[i].model, table[i].modelIndex) << "row " << i;
        int first = 0;
        while (std::string(want[first].id) != want[i].id) ++first;
        int found = FindHardwareIdRow(table, count, (std::string(want[i].id) + "&REV_0001").c_str());
        EXPECT_EQ(first, found) << want[i].id;
    }
}

TEST(HardwareIdTables, EveryRowWithItsModel)
{
    ExpectTable("PCI", g_PciHardwareIds, g_nPciHardwareIdCount, kPci, (int)(sizeof(kPci) / sizeof(kPci[0])));
    ExpectTable("USB", g_UsbHardwareIds, g_nUsbHardwareIdCount, kUsb, (int)(sizeof(kUsb) / sizeof(kUsb[0])));
    EXPECT_EQ(76, g_nPciHardwareIdCount + g_nUsbHardwareIdCount);
}

// Keeps the version code the test changes.
class OsCodeTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = g_nOsVersion; }
    void TearDown() override { g_nOsVersion = m_saved; }
    int m_saved = 0;
};

TEST_F(OsCodeTest, ModelFlagsPerOsCode)
{
    // 802.11n needs OS code 7 (Windows 2000) or later; legacy is the model alone.
    for (int os = 2; os <= 12; ++os) {
        g_nOsVersion = os;
        for (int model = 0; model <= 8; ++model) {
            SCOPED_TRACE("OS code " + std::to_string(os) + ", model " + std::to_string(model));
            bool ht = os >= 7 && model >= 6;
            EXPECT_EQ(model <= 1, IsLegacyModel(model) != FALSE);
            EXPECT_EQ(ht, IsHtModel(model) != FALSE);
            EXPECT_EQ(ht ? model - 5 : 0, GetHtGeneration(model));
        }
    }
}

// The installed default adapter (model 7 on PCI) under the OS code Wine
// reports for a program, and under the codes a per-program version gives.
TEST_F(OsCodeTest, DiscoveryFlagsFollowTheOsCode)
{
    ASSERT_EQ(11, DetectOsVersion()) << "Wine's default version for a program";
    struct {
        int os;
        bool found;
    } cases[] = {{12, true}, {11, true}, {8, true}, {7, true}, {6, false}, {5, false}, {4, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("OS code " + std::to_string(c.os));
        g_nOsVersion = c.os;
        g_bHtDevice = FALSE;
        g_nHtGeneration = 0;
        CHideDlg hide;
        EXPECT_EQ(c.found, hide.FindAndOpenAdapter() != FALSE);
        if (!c.found) continue;
        EXPECT_EQ(7, g_nModelIndex);
        EXPECT_TRUE(g_bHtDevice);
        EXPECT_EQ(2, g_nHtGeneration);
        EXPECT_FALSE(g_bLegacyModel);
        EXPECT_EQ(0, std::string((const char*)g_strAdapterRegPath).find("System\\CurrentControlSet\\Control\\Class\\"));
    }
}

}  // namespace
