// A controller of this test process on the installed default adapter, ready
// to open its configuration window; the shared flags a test changes are put
// back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/ZeroConfig.h"
#include "mainwnd/ConfigMainDlg.h"
#include "pages/SiteSurveyPage.h"
#include "resource.h"
#include "support/Restore.h"
#include "support/Wait.h"
#include "tray/AdapterFixture.h"

namespace kqtest {

// The driver's scan done: its delay counts real time, so a busy machine
// takes longer over it than any fixed number of looks.  Nothing of this
// thread runs meanwhile: the fixtures that call it run the ticks themselves.
inline bool DriverScanDone(kqsim::SimClient& sim, const std::string& guid, DWORD ms = 20000)
{
    DWORD start = GetTickCount();
    for (;;) {
        kqsim::AdapterState st;
        if (sim.GetAdapter(guid, st) && !st.scanPending) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(1);
    }
}

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
    // The window with the survey page's own timer stopped.  The survey asks
    // for a scan on its ticks, in front or not, and the engine's timer 2
    // that takes the scan runs the controller's round (the supplicant port,
    // the Zero Configuration mode) and holds back an apply made meanwhile:
    // on a busy machine both fall due inside a test that never looks at the
    // survey.  Tests of the survey run its ticks themselves.
    CConfigMainDlg* OpenWithSurveyStopped()
    {
        CConfigMainDlg* w = Open();
        if (w) KillTimer(w->m_pSiteSurveyPage->m_hWnd, IDT_SURVEY_REFRESH);
        return w;
    }
    // The driver's scan done and its result taken by the engine, as the
    // controller's timer 2 takes it.
    void TakeScanResult()
    {
        EXPECT_TRUE(DriverScanDone(m_sim, kGuid)) << "the driver's scan did not end";
        KillTimer(m_dlg.m_hWnd, IDT_RECONNECT);
        SendMessageA(m_dlg.m_hWnd, WM_TIMER, IDT_RECONNECT, 0);
    }
    // The supplicant port, opened by the controller's ticks.
    bool PortOpens(DWORD ms = 20000)
    {
        return WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return g_hAuthPort != 0;
        }, ms);
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
