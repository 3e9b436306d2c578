// The controller created in this process against the simulated driver:
// the WEP-check step and the timers around suspend and resume.
#include <gtest/gtest.h>

#include <cstring>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "app/HideDlg.h"
#include "core/StateQuery.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"

namespace {

class WepCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Open(5000));
        m_adapter.reset(new kqsim::TestAdapter(m_sim, 0x31));
        ASSERT_TRUE(m_adapter->ok());
        lstrcpynA(g_szDevicePath, m_adapter->DevicePath().c_str(), MAX_PATH);
        // Counters move only when the test says so.
        ASSERT_TRUE(m_sim.SetParam(m_adapter->guid(), KQSIM_PARAM_TRAFFIC, 0));
    }
    void TearDown() override
    {
        g_szDevicePath[0] = 0;
        m_adapter.reset();
    }
    void SetCounters(long long txFragments, DWORD rcvOk)
    {
        ASSERT_TRUE(m_sim.SetParam(m_adapter->guid(), KQSIM_PARAM_STAT_FIRST + 0, txFragments));
        ASSERT_TRUE(m_sim.SetParam(m_adapter->guid(), KQSIM_PARAM_RCV_OK, rcvOk));
    }

    kqsim::SimClient m_sim;
    std::unique_ptr<kqsim::TestAdapter> m_adapter;
    kqtest::Restore<BOOL> m_legacy{g_bLegacyModel}, m_icv{g_bIcvError};
};

TEST_F(WepCheckTest, StepReadsTheDriversCountersAndDecides)
{
    struct {
        long long tx; DWORD rcv; BOOL wepBefore, icvBefore; BOOL wepAfter, icvAfter;
    } cases[] = {
        { 1012, 500, TRUE, FALSE, TRUE, TRUE },     // 12 out, nothing in: wrong key
        { 1010, 501, TRUE, TRUE, FALSE, FALSE },    // both ways: fits, flag cleared
        { 1002, 507, TRUE, TRUE, FALSE, FALSE },    // little out, something in
        { 1009, 500, TRUE, TRUE, TRUE, TRUE },      // too little to tell
    };
    for (const auto& c : cases) {
        CHideDlg dlg;
        dlg.m_qwTxFragSnapshot = 1000;
        dlg.m_dwRcvOkSnapshot = 500;
        dlg.m_bWepCheck = c.wepBefore;
        g_bIcvError = c.icvBefore;
        g_bLegacyModel = TRUE;
        SetCounters(c.tx, c.rcv);
        dlg.WepCheckStep();
        EXPECT_EQ(c.wepAfter, dlg.m_bWepCheck) << c.tx << "/" << c.rcv;
        EXPECT_EQ(c.icvAfter, g_bIcvError) << c.tx << "/" << c.rcv;
        // The values just read are the next baseline.
        EXPECT_EQ((ULONGLONG)c.tx, dlg.m_qwTxFragSnapshot);
        EXPECT_EQ(c.rcv, dlg.m_dwRcvOkSnapshot);
    }
}

TEST_F(WepCheckTest, OtherModelsLeaveTheErrorFlagToTheDriverEvent)
{
    CHideDlg dlg;
    dlg.m_qwTxFragSnapshot = 1000;
    dlg.m_dwRcvOkSnapshot = 500;
    dlg.m_bWepCheck = TRUE;
    g_bIcvError = FALSE;
    g_bLegacyModel = FALSE;
    SetCounters(1100, 500);
    dlg.WepCheckStep();
    EXPECT_TRUE(dlg.m_bWepCheck);
    EXPECT_FALSE(g_bIcvError);
}

// The whole controller on this thread, found against the installed adapter.
class LiveControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Open(5000));
        ASSERT_TRUE(m_sim.ResetAdapter(kqsim::kDefaultAdapterGuid));
        m_dlg.m_bShowOnStart = FALSE;
        ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
        ASSERT_TRUE(m_dlg.m_bAdapterFound);
    }
    void TearDown() override
    {
        // Leave the adapter key's Default copy alone in this test.
        m_dlg.m_bSwitchedToAp = TRUE;
        m_dlg.DestroyWindow();
    }
    // TRUE when the timer was running (it is not any more).
    bool TakeTimer(UINT id) { return KillTimer(m_dlg.m_hWnd, id) != FALSE; }

    kqsim::SimClient m_sim;
    CHideDlg m_dlg;
};

TEST_F(LiveControllerTest, SuspendWithoutPortObjectKeepsTheTimers)
{
    // The supplicant library is gone (as after a failed start): no port object.
    ShutdownAuthLibrary();
    ASSERT_FALSE(AuthPortObjectExists());
    m_dlg.SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_TRUE(TakeTimer(IDT_ADAPTER_POLL));
    EXPECT_TRUE(TakeTimer(IDT_WPS_BUTTON));
}

TEST_F(LiveControllerTest, ResumeRestartsPollAndReconnectTimers)
{
    m_dlg.KillAllTimers();
    m_dlg.m_bWepCheck = FALSE;
    m_dlg.SendMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_TRUE(TakeTimer(IDT_ADAPTER_POLL));
    EXPECT_TRUE(TakeTimer(IDT_RECONNECT));
    EXPECT_FALSE(TakeTimer(IDT_WEP_CHECK));

    m_dlg.m_bWepCheck = TRUE;
    m_dlg.SendMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_TRUE(TakeTimer(IDT_ADAPTER_POLL));
    EXPECT_TRUE(TakeTimer(IDT_RECONNECT));
    EXPECT_TRUE(TakeTimer(IDT_WEP_CHECK));
    m_dlg.m_bWepCheck = FALSE;
}

TEST_F(LiveControllerTest, StartsPollAndButtonTimersAndShowsNoWindow)
{
    EXPECT_EQ(WS_EX_TOOLWINDOW, (DWORD)GetWindowLongPtrA(m_dlg.m_hWnd, GWL_EXSTYLE));
    EXPECT_EQ(&m_dlg, g_pHideDlg);
    EXPECT_EQ(7, g_nModelIndex);
    EXPECT_TRUE(TakeTimer(IDT_ADAPTER_POLL));
    EXPECT_TRUE(TakeTimer(IDT_WPS_BUTTON));
    EXPECT_EQ(0, m_dlg.SendMessage(WM_KQ_QUERY_STATE, KQ_STATE_MAIN_WINDOW));
}

}  // namespace
