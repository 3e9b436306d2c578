// Who manages the adapter, and the hand-over functions, against the Zero
// Configuration service stand-in and the registry of the prefix.
#include <gtest/gtest.h>

#include <string>

#include "core/AdapterDiscovery.h"
#include "core/RegistryStore.h"
#include "core/ZeroConfig.h"
#include "support/Restore.h"
#include "zeroconfig/WzcStandIn.h"

namespace {

// An interface of the test's own: no adapter is needed for these.
const char kIfGuid[] = "{4B515445-5354-0000-0000-0000000000F1}";

class ZeroConfig : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_nOsVersion = 8;
        g_bIsWow64 = FALSE;
        g_strNetCfgInstanceId = kIfGuid;
        m_wzc.reset(new kqtest::WzcStandIn(kIfGuid));
        kqtest::RemoveInterfaceKey(kIfGuid);
    }
    void TearDown() override
    {
        m_wzc.reset();
    }

    kqtest::Restore<int> m_os{g_nOsVersion};
    kqtest::Restore<BOOL> m_wow{g_bIsWow64};
    kqtest::Restore<CString> m_id{g_strNetCfgInstanceId};
    std::unique_ptr<kqtest::WzcStandIn> m_wzc;
};

struct ModeCase {
    const char* what;
    int os;
    long long flags;   // -1 no interface key, -2 key without ControlFlags
    int mode;
};

void PrepareInterface(long long flags)
{
    kqtest::RemoveInterfaceKey(kIfGuid);
    if (flags == -2) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, kqtest::InterfaceKey(kIfGuid).c_str(), "Other",
                                                 REG_SZ, "x", 2));
    } else if (flags >= 0) {
        kqtest::WriteControlFlags(kIfGuid, (DWORD)flags);
    }
}

void CheckModes(const ModeCase* cases, size_t n, const char* service)
{
    for (size_t i = 0; i < n; ++i) {
        const ModeCase& c = cases[i];
        g_nOsVersion = c.os;
        PrepareInterface(c.flags);
        EXPECT_EQ(c.mode, GetWzcMode()) << service << ": " << c.what;
    }
}

TEST_F(ZeroConfig, ModeFollowsTheServiceTheInterfaceKeyAndTheVersion)
{
    const ModeCase running[] = {
        {"Windows 2000", 7, 0x8000, 0},
        {"Windows 98 SE", 4, -1, 0},
        {"XP, interface key missing", 8, -1, 2},
        {"XP, manage bit set", 8, 0x8000, 2},
        {"XP, manage bit among others", 8, 0x8003, 2},
        {"XP, bit clear", 8, 0x0003, 1},
        {"XP, key without ControlFlags", 8, -2, 1},
        {"6.1 workstation, bit clear", 11, 0, 1},
        {"6.x server, bit set", 12, 0x8000, 2},
    };
    const ModeCase notRunning[] = {
        {"XP, interface key missing", 8, -1, 0},
        {"XP, manage bit set", 8, 0x8000, 0},
        {"6.1, bit clear", 11, 0, 0},
    };
    CheckModes(notRunning, sizeof(notRunning) / sizeof(notRunning[0]), "not installed");
    kqtest::WzcSetup("install --start-type demand --state stopped");
    CheckModes(notRunning, sizeof(notRunning) / sizeof(notRunning[0]), "stopped");
    kqtest::WzcSetup("install --start-pending 60000 --state running");
    ASSERT_EQ((DWORD)SERVICE_START_PENDING, kqtest::QueryWzc().state);
    // Still starting, as a hand-over leaves it: it counts as running.
    CheckModes(running, sizeof(running) / sizeof(running[0]), "start pending");
    kqtest::WzcSetup("install --state running");
    ASSERT_EQ((DWORD)SERVICE_RUNNING, kqtest::QueryWzc().state);
    CheckModes(running, sizeof(running) / sizeof(running[0]), "running");
}

TEST_F(ZeroConfig, WithoutAnAdapterTheServiceCountsAsManaging)
{
    kqtest::WzcSetup("install --state running");
    g_strNetCfgInstanceId = "";
    EXPECT_EQ(2, GetWzcMode()) << "the parent key is no interface of ours";
}

TEST_F(ZeroConfig, HandOverSetsTheBitAndRunsTheServiceAutomatically)
{
    kqtest::WzcSetup("install --start-type demand --state stopped");
    kqtest::WriteControlFlags(kIfGuid, 0x0003);
    EnableWzcOnAdapter();
    EXPECT_EQ(0x8003, kqtest::ReadControlFlags(kIfGuid)) << "the other bits are kept";
    ASSERT_TRUE(kqtest::WaitWzcState(SERVICE_RUNNING));
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, kqtest::QueryWzc().startType);
    EXPECT_EQ(2, GetWzcMode());
}

TEST_F(ZeroConfig, HandOverCreatesAMissingInterfaceKey)
{
    kqtest::WzcSetup("install --state stopped");
    ASSERT_EQ(-1, kqtest::ReadControlFlags(kIfGuid));
    EnableWzcOnAdapter();
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kIfGuid));
    EXPECT_TRUE(kqtest::WaitWzcState(SERVICE_RUNNING));
}

TEST_F(ZeroConfig, HandOverRestartsARunningServiceThatStopsSlowly)
{
    // Running but not managing this interface: it is stopped so that it
    // reads the bit when it starts again, and it is started again even
    // though its stop takes a while.
    kqtest::WzcSetup("install --start-type demand --state running --stop-delay 700");
    kqtest::WriteControlFlags(kIfGuid, 0);
    ASSERT_EQ(1, GetWzcMode());
    EnableWzcOnAdapter();
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kIfGuid));
    EXPECT_TRUE(kqtest::WaitWzcState(SERVICE_RUNNING));
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, kqtest::QueryWzc().startType);
}

TEST_F(ZeroConfig, HandOverLeavesAServiceThatAlreadyManagesAlone)
{
    kqtest::WzcSetup("install --start-type demand --state running");
    kqtest::WriteControlFlags(kIfGuid, 0x8000);
    kqtest::WzcServiceInfo before = kqtest::QueryWzc();
    EnableWzcOnAdapter();
    EXPECT_EQ((DWORD)SERVICE_RUNNING, kqtest::QueryWzc().state) << "not stopped and started again";
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, kqtest::QueryWzc().startType);
    EXPECT_EQ((DWORD)SERVICE_RUNNING, before.state);
}

TEST_F(ZeroConfig, HandBackStopsTheServiceAndKeepsTheBit)
{
    kqtest::WzcSetup("install --start-type auto --state running");
    kqtest::WriteControlFlags(kIfGuid, 0x8000);
    ASSERT_EQ(2, GetWzcMode());
    StopWzcService(TRUE);
    ASSERT_TRUE(kqtest::WaitWzcState(SERVICE_STOPPED));
    EXPECT_EQ((DWORD)SERVICE_DEMAND_START, kqtest::QueryWzc().startType);
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kIfGuid));
    EXPECT_EQ(0, GetWzcMode());

    // Without bDemand the start type stays.
    kqtest::WzcSetup("install --start-type auto --state running");
    StopWzcService(FALSE);
    ASSERT_TRUE(kqtest::WaitWzcState(SERVICE_STOPPED));
    EXPECT_EQ((DWORD)SERVICE_AUTO_START, kqtest::QueryWzc().startType);
}

TEST_F(ZeroConfig, WithoutTheServiceNothingFails)
{
    StopWzcService(TRUE);
    EnableWzcOnAdapter();
    EXPECT_EQ(0x8000, kqtest::ReadControlFlags(kIfGuid));
    EXPECT_FALSE(kqtest::QueryWzc().installed);
    EXPECT_EQ(0, GetWzcMode());
}

}  // namespace
