// The controller made in this process on the installed default adapter,
// with the adapter, the air, the current profile and the port put back after
// each test.
#pragma once

#include <gtest/gtest.h>

#include "auth/SupplicantBinding.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/StateQuery.h"
#include "core/StationConfig.h"
#include "resource.h"
#include "support/Restore.h"
#include "tray/AdapterFixture.h"

namespace kqtest {

class ControllerHereTest : public DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        if (HasFatalFailure()) return;
        m_dlg.m_bShowOnStart = FALSE;
        ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
        ASSERT_TRUE(m_dlg.m_bAdapterFound);
    }
    void TearDown() override
    {
        if (m_dlg.m_hWnd) {
            // Leave the adapter key's Default copy alone in these tests.
            m_dlg.m_bSwitchedToAp = TRUE;
            m_dlg.DestroyWindow();
        }
        if (g_pCurProfile) {
            FreeStationConfig(g_pCurProfile);
            g_pCurProfile = nullptr;
        }
        DefaultAdapterTest::TearDown();
    }
    LRESULT State(int what) { return m_dlg.SendMessage(WM_KQ_QUERY_STATE, what); }

    Restore<int> m_port{g_hAuthPort};
    CHideDlg m_dlg;
};

// The same with the controller's own timers stopped and its start-up scan
// dropped from the request queue: only the test's events run its steps, and
// the test's own requests find the queue empty.
class QuietControllerTest : public ControllerHereTest {
protected:
    void SetUp() override
    {
        ControllerHereTest::SetUp();
        if (HasFatalFailure()) return;
        m_dlg.KillAllTimers();
        ClearConnectRequests();
        g_bScanPending = FALSE;
    }
    // One timer event, delivered as the timer would deliver it.
    void Tick(UINT id = IDT_ADAPTER_POLL) { m_dlg.SendMessage(WM_TIMER, id); }
    // TRUE when the timer was running (it is not any more).
    bool TakeTimer(UINT id) { return KillTimer(m_dlg.m_hWnd, id) != FALSE; }
};

}  // namespace kqtest
