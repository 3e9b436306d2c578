// The authentication status list (panel 5) in the configuration window of a
// controller of this process, against the installed default adapter: lines
// go through the writers the library's threads use and reach the panel by
// the same messages; the panel is read through its real list control and
// driven by clicks on its buttons.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "auth/AuthLogRing.h"
#include "auth/NetworkCheck.h"
#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "core/ControllerDoor.h"
#include "core/RegistryStore.h"
#include "mainwnd/ConfigMainDlg.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "pages/AuthStatusListDlg.h"
#include "resource.h"
#include "support/AdapterKey.h"
#include "support/ListProbe.h"
#include "support/Restore.h"
#include "tray/KestiqProcess.h"

namespace kqtest {

class AuthStatusTest : public ControllerWindowTest {
protected:
    void SetUp() override
    {
        ControllerWindowTest::SetUp();
        m_adapterPath = g_strAdapterRegPath.GetString();
        // The panel reads the adapter key; the tests write its profile values.
        m_adapterKey.reset(new KeyGuard(HKEY_LOCAL_MACHINE, m_adapterPath));
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
        std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
        ASSERT_TRUE(PortOpens()) << "the supplicant port did not open";
        m_window = OpenWithSurveyStopped();
        ASSERT_NE(nullptr, m_window);
        m_panel = static_cast<CAuthStatusListDlg*>(m_window->GetPanel(PANEL_AUTH_STATUS));
        ASSERT_NE(nullptr, m_panel);
        ASSERT_TRUE(m_panel->IsWindow());
        m_list = GetDlgItem(m_panel->m_hWnd, IDC_AUTH_STATUS_LIST);
        ASSERT_NE(nullptr, m_list);
    }
    void TearDown() override
    {
        StopNetworkCheck();
        std::memset(&g_AuthLogRing, 0, sizeof(g_AuthLogRing));
        ControllerWindowTest::TearDown();
        m_adapterKey.reset();
    }

    // The panel in front, as the engine asks for it on an 802.1X road.
    // Shows the panel and handles what that sent, but no timer event yet: on
    // a busy machine the label timer's 20 ms have passed before this returns,
    // and the tests tick it themselves (LabelTick).
    void ShowPanel()
    {
        g_pControllerDoor->ShowAuthStatusPanel();
        PumpPendingButTimers();
    }
    bool PanelInFront() const
    {
        return m_dlg.m_nCurPanel == PANEL_AUTH_STATUS && IsWindowVisible(m_panel->m_hWnd);
    }
    int PanelShown() const { return m_dlg.m_nCurPanel; }

    // A line written as the library's threads write it; it reaches the
    // panel by posted messages: once handled, the panel has one row more.
    void Line(const std::string& text)
    {
        int rows = RowCount();
        AppendAuthLogLine(text.c_str());
        EXPECT_TRUE(WaitFor([&] { return RowCount() == rows + 1; })) << "no row for \"" << text << "\"";
    }
    // The end marker, handled once the panel has emptied the ring.
    void EndMarker()
    {
        AppendAuthLogEndMarker();
        EXPECT_TRUE(WaitFor([&] { return RingEmpty(); })) << "the end marker was not handled";
    }
    void Click(UINT id)
    {
        SendMessageA(GetDlgItem(m_panel->m_hWnd, id), BM_CLICK, 0, 0);
        Pump();
    }

    // ---- Looking, through the list control ----
    int RowCount() const { return ListRowCount(m_list); }
    std::string Cell(int row, int column) const { return ListCellText(m_list, row, column); }
    std::vector<std::string> Descriptions() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < RowCount(); ++i) out.push_back(Cell(i, 1));
        return out;
    }
    std::string Label(UINT id) const
    {
        char buf[300] = {};
        GetDlgItemTextA(m_panel->m_hWnd, id, buf, sizeof(buf));
        return buf;
    }
    static bool RingEmpty()
    {
        for (const auto& line : g_AuthLogRing.lines)
            if (line[0]) return false;
        return g_AuthLogRing.writeIndex == 0;
    }

    // The whole window, or only the part of it the lower panel shows.
    void WindowShot(const char* name)
    {
        SavePng(WindowCapture(), ScreenshotPath(name));
    }
    void PanelShot(const char* name)
    {
        SavePng(RowsFromChild(WindowCapture(), m_window->m_hWnd, m_panel->m_hWnd), ScreenshotPath(name));
    }
    Capture WindowCapture()
    {
        RedrawWindow(m_window->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        return CaptureWindow(m_window->m_hWnd);
    }

    std::string m_adapterPath;
    std::unique_ptr<KeyGuard> m_adapterKey;
    CConfigMainDlg* m_window = nullptr;
    CAuthStatusListDlg* m_panel = nullptr;
    HWND m_list = nullptr;
    Restore<BOOL> m_showAuthStatus{g_bShowAuthStatus};
    Restore<NetworkCheckCalls> m_checkCalls{g_NetworkCheckCalls};
};

}  // namespace kqtest
