// A controller of this test process on the installed default adapter, ready
// to open its configuration window; the shared flags a test changes are put
// back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/ZeroConfig.h"
#include "mainwnd/ConfigMainDlg.h"
#include "resource.h"
#include "support/Restore.h"
#include "tray/AdapterFixture.h"

namespace kqtest {

// The shared flags a window test may change, put back when it ends.
struct SavedControllerFlags {
    Restore<BOOL> admin{g_bIsAdmin}, radio{g_bRadioOn}, legacy{g_bLegacyModel};
    Restore<BOOL> fromRegistry{g_bConfigFromRegistry}, autoConnect{g_bAutoConnect}, wsc{g_bWscInUse};
    Restore<int> wzc{g_nWzcMode};
};

class ControllerWindowTest : public DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        m_dlg.m_bShowOnStart = FALSE;
        ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
        ASSERT_TRUE(m_dlg.m_bAdapterFound);
        // Only the test ticks the controller; the scan of its start is
        // taken now, so that nothing waits behind it.
        m_dlg.KillAllTimers();
        if (g_bScanPending) m_dlg.SendMessage(WM_TIMER, IDT_RECONNECT);
        m_dlg.KillAllTimers();
    }
    void TearDown() override
    {
        m_dlg.m_bSwitchedToAp = TRUE;   // leave the adapter key's Default copy alone
        m_dlg.DestroyWindow();
        DefaultAdapterTest::TearDown();
    }
    CConfigMainDlg* Open()
    {
        m_dlg.OpenMainWindow();
        return m_dlg.OpenedMainWindow();
    }
    // The driver's scan done and its result taken by the engine, as the
    // controller's timer 2 takes it.
    void TakeScanResult()
    {
        kqsim::AdapterState st;
        for (int i = 0; i < 500 && m_sim.GetAdapter(kGuid, st) && st.scanPending; ++i) Sleep(1);
        KillTimer(m_dlg.m_hWnd, IDT_RECONNECT);
        SendMessageA(m_dlg.m_hWnd, WM_TIMER, IDT_RECONNECT, 0);
    }
    static void Pump()
    {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }

    SavedControllerFlags m_saved;
    CHideDlg m_dlg;
};

}  // namespace kqtest
