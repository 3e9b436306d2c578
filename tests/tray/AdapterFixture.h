// A test on the installed default adapter: its state and the air are put
// back after the test, whatever the test changed.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/ConnectEngine.h"
#include "core/HideDlg.h"
#include "core/StationConfig.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"

namespace kqtest {

class DefaultAdapterTest : public ::testing::Test {
protected:
    const std::string kGuid = kqsim::kDefaultAdapterGuid;

    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Open(5000));
        ASSERT_TRUE(m_sim.ResetAdapter(kGuid));
        ASSERT_TRUE(m_sim.Return(kGuid));
        m_air.reset(new kqsim::AirGuard(m_sim));
        ASSERT_TRUE(m_air->ok());
    }
    void TearDown() override
    {
        m_sim.ClearFaults(kGuid);
        m_sim.Return(kGuid);
        m_sim.ResetAdapter(kGuid);
        m_air.reset();
    }

    kqsim::SimClient m_sim;
    std::unique_ptr<kqsim::AirGuard> m_air;
};

// The controller made in this process on the installed adapter; its own
// timers are stopped, so that only the test's events run its steps.
class ControllerTest : public DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        if (HasFatalFailure()) return;
        m_dlg.m_bShowOnStart = FALSE;
        ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
        ASSERT_TRUE(m_dlg.m_bAdapterFound);
        m_dlg.KillAllTimers();
        // Timer 2 would take the start-up scan and what waits behind it:
        // the test's own requests find the queue empty instead.
        ClearConnectRequests();
        g_bScanPending = FALSE;
    }
    void TearDown() override
    {
        if (m_dlg.m_hWnd) {
            // Leave the adapter key's Default copy alone.
            m_dlg.m_bSwitchedToAp = TRUE;
            m_dlg.DestroyWindow();
        }
        if (g_pCurProfile) {
            FreeStationConfig(g_pCurProfile);
            g_pCurProfile = nullptr;
        }
        DefaultAdapterTest::TearDown();
    }
    // One timer event, delivered as the timer would deliver it.
    void Tick(UINT id = IDT_ADAPTER_POLL) { m_dlg.SendMessage(WM_TIMER, id); }
    // TRUE when the timer was running (it is not any more).
    bool TakeTimer(UINT id) { return KillTimer(m_dlg.m_hWnd, id) != FALSE; }

    CHideDlg m_dlg;
};

}  // namespace kqtest
