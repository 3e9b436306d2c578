// The roads into the configuration window, driven on Kestiq.exe from outside
// as the shell and a person would: a double click on the icon, the tray
// menu's "Launch Config Utilities ", the launch command, start-up, and what
// happens without an adapter.
#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "tray/AdapterFixture.h"
#include "tray/KestiqProcess.h"
#include "WindowProbe.h"

namespace {

using kqtest::FindProcessWindow;
using kqtest::KestiqProcess;
using kqtest::WaitFor;

const char kWindowTitle[] = "Tolvane Wireless Utility";

class TrayPaths : public kqtest::DefaultAdapterTest {
protected:
    HWND Window() { return FindProcessWindow(m_k.Pid(), kWindowTitle); }
    bool WaitWindow(DWORD ms = 20000)
    {
        return WaitFor([&] { HWND w = Window(); return w && IsWindowVisible(w) && !IsIconic(w); }, ms);
    }
    void StartHidden()
    {
        ASSERT_TRUE(m_k.Start(kqtest::BuiltProgram(), "-s"));
        ASSERT_TRUE(m_k.WaitReady());
        m_k.Tick();
        ASSERT_EQ(nullptr, Window());
    }
    void CheckOpened(const char* shot)
    {
        HWND w = Window();
        ASSERT_NE(nullptr, w);
        RECT r;
        GetWindowRect(w, &r);
        EXPECT_EQ(800, r.right - r.left);
        EXPECT_EQ(740, r.bottom - r.top);
        EXPECT_EQ((LRESULT)w, m_k.Query(KQ_STATE_MAIN_WINDOW));
        // The page area and the Network button are there.
        HWND network = nullptr;
        EnumChildWindows(w, [](HWND h, LPARAM lp) -> BOOL {
            if (GetDlgCtrlID(h) == IDC_NAV_NETWORK) {
                *(HWND*)lp = h;
                return FALSE;
            }
            return TRUE;
        }, (LPARAM)&network);
        EXPECT_NE(nullptr, network);
        UpdateWindow(w);
        kqtest::SavePng(kqtest::CaptureWindow(w), kqtest::ScreenshotPath(shot));
    }
    // The tray menu's popup, once it is on screen.
    HWND WaitMenu()
    {
        HWND menu = nullptr;
        WaitFor([&] {
            menu = FindProcessWindow(m_k.Pid(), nullptr, "#32768");
            return menu && IsWindowVisible(menu);
        }, 20000);
        return menu;
    }

    KestiqProcess m_k;
};

TEST_F(TrayPaths, DoubleClickOnTheIconOpensTheWindow)
{
    StartHidden();
    PostMessageA(m_k.Hwnd(), WM_TRAY_NOTIFY, IDI_TRAY_GOOD, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitWindow());
    CheckOpened("tray-double-click");
}

TEST_F(TrayPaths, LaunchConfigUtilitiesFromTheTrayMenuOpensTheWindow)
{
    StartHidden();
    PostMessageA(m_k.Hwnd(), WM_TRAY_NOTIFY, IDI_TRAY_GOOD, WM_RBUTTONDOWN);
    HWND menu = WaitMenu();
    ASSERT_NE(nullptr, menu);
    // "Launch Config Utilities " is the first item of every tray menu.
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitWindow());
    CheckOpened("tray-menu-launch");
}

TEST_F(TrayPaths, StartUpOpensTheWindow)
{
    ASSERT_TRUE(m_k.Start(kqtest::BuiltProgram()));
    ASSERT_TRUE(m_k.WaitReady());
    ASSERT_TRUE(WaitWindow());
    CheckOpened("startup");
}

TEST_F(TrayPaths, LaunchBringsTheOpenWindowBackToTheFront)
{
    StartHidden();
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_LAUNCH, 0);
    ASSERT_TRUE(WaitWindow());
    HWND first = Window();
    ShowWindow(first, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(first) != FALSE; }, 20000));
    PostMessageA(m_k.Hwnd(), WM_TRAY_NOTIFY, IDI_TRAY_GOOD, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitWindow());
    EXPECT_EQ(first, Window());   // the same window, not a second one
    ShowWindow(first, SW_HIDE);
    m_k.Tick();
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_LAUNCH, 0);
    ASSERT_TRUE(WaitWindow());
    EXPECT_EQ(first, Window());
}

TEST_F(TrayPaths, ClosedWindowOpensAgainAsANewWindow)
{
    StartHidden();
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_LAUNCH, 0);
    ASSERT_TRUE(WaitWindow());
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Window() == nullptr; }, 20000));
    m_k.Tick();
    EXPECT_EQ(0, m_k.Query(KQ_STATE_MAIN_WINDOW));
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_LAUNCH, 0);
    ASSERT_TRUE(WaitWindow());
}

TEST_F(TrayPaths, WithoutAnAdapterNothingOpensAndNothingIsSaid)
{
    StartHidden();
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    m_k.Tick();
    ASSERT_TRUE(WaitFor([&] { return m_k.Icon() == IDI_TRAY_NO_ADAPTER; }, 20000));
    PostMessageA(m_k.Hwnd(), WM_TRAY_NOTIFY, IDI_TRAY_GOOD, WM_LBUTTONDBLCLK);
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_LAUNCH, 0);
    m_k.Tick();
    EXPECT_EQ(nullptr, Window());
    EXPECT_EQ(nullptr, FindProcessWindow(m_k.Pid(), "Kestiq"));
    EXPECT_EQ(0, m_k.Query(KQ_STATE_MAIN_WINDOW));
}

TEST_F(TrayPaths, LosingTheAdapterClosesTheWindow)
{
    StartHidden();
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_LAUNCH, 0);
    ASSERT_TRUE(WaitWindow());
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    m_k.Tick();
    EXPECT_TRUE(WaitFor([&] { return Window() == nullptr; }, 20000));
    EXPECT_EQ(0, m_k.Query(KQ_STATE_MAIN_WINDOW));
    // Back again: the tray opens it as before.
    ASSERT_TRUE(m_sim.Return(kGuid));
    m_k.Tick();
    ASSERT_TRUE(WaitFor([&] { return m_k.Icon() != IDI_TRAY_NO_ADAPTER; }, 20000));
    PostMessageA(m_k.Hwnd(), WM_TRAY_NOTIFY, IDI_TRAY_GOOD, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitWindow());
}

TEST_F(TrayPaths, ExitWithTheWindowOpenEndsTheProgram)
{
    StartHidden();
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_LAUNCH, 0);
    ASSERT_TRUE(WaitWindow());
    PostMessageA(m_k.Hwnd(), WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(m_k.WaitExit(20000));
}

}  // namespace
