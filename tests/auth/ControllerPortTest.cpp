// The controller's use of the binding: the port opens at start-up, is kept on
// timer events, closes on adapter loss and exit, and the program runs on
// without the library when its folder lacks it.
#include "auth/AuthFixture.h"

#include <atomic>

#include "app/HideDlg.h"
#include "auth/NetworkCheck.h"
#include "resource.h"
#include "core/ZeroConfig.h"
#include "support/AdapterKey.h"
#include "tray/KestiqProcess.h"
#include "zeroconfig/WzcStandIn.h"

namespace {

using kqtest::Stand;
using kqtest::WaitUntil;

const std::string kGuid = kqsim::kDefaultAdapterGuid;

class ControllerPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.Open(5000));
        ASSERT_TRUE(m_sim.ResetAdapter(kGuid));
        ASSERT_TRUE(m_sim.Return(kGuid));
        ASSERT_TRUE(Stand().configure);
        Stand().reset();
        m_dlg.m_bShowOnStart = FALSE;
        ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
        ASSERT_TRUE(m_dlg.m_bAdapterFound);
        // Only the test's events run the controller.
        m_dlg.KillAllTimers();
    }
    void TearDown() override
    {
        m_dlg.m_bSwitchedToAp = TRUE;   // leave the adapter key's Default copy alone
        if (m_dlg.IsWindow()) m_dlg.DestroyWindow();
        m_sim.Return(kGuid);
        m_sim.ResetAdapter(kGuid);
    }
    void Tick() { m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL); }
    bool DefaultPortAttached()
    {
        kqsim::AdapterState s;
        return g_pAuthPort && m_sim.GetAdapter(kGuid, s) && std::memcmp(g_pAuthPort->attributes.mac, s.config.mac, 6) == 0;
    }

    kqsim::SimClient m_sim;
    CHideDlg m_dlg;
};

TEST_F(ControllerPortTest, StartUpOpensTheAdaptersPort)
{
    EXPECT_TRUE(DefaultPortAttached());
    EXPECT_NE(0, g_hAuthPort);
    EXPECT_EQ(6, g_nAuthState);
    EXPECT_EQ(1, Stand().ports());
    EXPECT_EQ(1, Stand().threads());
    // Timer events keep the open port as it is.
    AUTH_PORT* port = g_pAuthPort;
    Tick();
    Tick();
    EXPECT_EQ(port, g_pAuthPort);
    EXPECT_EQ(1, Stand().ports());
}

TEST_F(ControllerPortTest, AdapterLossLeavesNoPortAndNoThreadAndItsReturnReopens)
{
    ASSERT_TRUE(DefaultPortAttached());
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    Tick();
    EXPECT_FALSE(m_dlg.m_bAdapterFound);
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_EQ(0, g_hAuthPort);
    EXPECT_EQ(0, g_nAuthState);
    EXPECT_EQ(0, Stand().ports());
    EXPECT_EQ(0, Stand().threads());
    // Further events without the adapter open nothing.
    Tick();
    EXPECT_EQ(0, Stand().ports());

    ASSERT_TRUE(m_sim.Return(kGuid));
    Tick();
    EXPECT_TRUE(m_dlg.m_bAdapterFound);
    EXPECT_TRUE(DefaultPortAttached());
    EXPECT_NE(0, g_hAuthPort);
    EXPECT_EQ(1, Stand().ports());
    EXPECT_EQ(1, Stand().threads());
}

TEST_F(ControllerPortTest, TimerEventsRestartAFailedLibrary)
{
    // The library refuses to start: no port, and every event tries again.
    ShutdownAuthLibrary();
    g_hAuthPort = 0;
    Stand().configure("acInit=-1x2");
    DWORD mark = 0;
    m_sim.NextSeq(mark);
    Tick();
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_EQ(0, g_hAuthPort);
    Tick();
    Tick();
    EXPECT_TRUE(DefaultPortAttached());
    int inits = 0;
    std::vector<kqsim::LogEntry> log;
    m_sim.ReadLog(log, mark);
    for (const auto& e : log)
        if (e.IsSupplicantCall() && e.text == "acInit") ++inits;
    EXPECT_EQ(3, inits);
}

TEST_F(ControllerPortTest, SuspendWithAPortStopsTheTimers)
{
    ASSERT_TRUE(AuthPortObjectExists());
    m_dlg.SetTimer(IDT_ADAPTER_POLL, 2000);
    m_dlg.SetTimer(IDT_WPS_BUTTON, 1000);
    m_dlg.SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    EXPECT_FALSE(KillTimer(m_dlg.m_hWnd, IDT_ADAPTER_POLL));
    EXPECT_FALSE(KillTimer(m_dlg.m_hWnd, IDT_WPS_BUTTON));
}

TEST_F(ControllerPortTest, ExitLeavesNoPortAndNoThread)
{
    ASSERT_TRUE(DefaultPortAttached());
    m_dlg.m_bSwitchedToAp = TRUE;
    m_dlg.DestroyWindow();
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_EQ(0, Stand().ports());
    EXPECT_EQ(0, Stand().threads());
    EXPECT_FALSE(AuthPortLayerReady());
}

// Handing the adapter to Zero Configuration stops authentication, then
// closes the port (whose own first step stops it once more); handing it
// back opens the port again.
TEST_F(ControllerPortTest, HandingOverToZeroConfigurationStopsAuthenticationAndClosesThePort)
{
    kqtest::KeyGuard interfaceKey(HKEY_LOCAL_MACHINE, kqtest::InterfaceKey(kGuid));
    kqtest::Restore<int> mode{g_nWzcMode};
    ASSERT_TRUE(DefaultPortAttached());
    DWORD mark = 0;
    m_sim.NextSeq(mark);
    m_dlg.SendMessage(WM_COMMAND, ID_TRAY_USE_WZC);
    EXPECT_EQ(2, g_nWzcMode);
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_EQ(0, g_hAuthPort);
    EXPECT_EQ(0, Stand().ports());
    std::vector<std::string> calls;
    std::vector<kqsim::LogEntry> log;
    m_sim.ReadLog(log, mark);
    for (const auto& e : log)
        for (const char* call : {"acPortStop", "acPortDetach"})
            if (e.IsSupplicantCall() && e.text.compare(0, std::strlen(call), call) == 0) calls.push_back(call);
    EXPECT_EQ(std::vector<std::string>({"acPortStop", "acPortStop", "acPortDetach"}), calls);

    m_dlg.SendMessage(WM_COMMAND, ID_TRAY_USE_OWN_UTILITY);
    EXPECT_EQ(0, g_nWzcMode);
    EXPECT_TRUE(DefaultPortAttached());
    EXPECT_NE(0, g_hAuthPort);
    EXPECT_EQ(1, Stand().ports());
}

// The poll goes on while the service the hand-over started is still
// starting: it reads the adapter as Zero Configuration's, so the port stays
// closed and the mode stays 2 until the service runs, and after.
TEST_F(ControllerPortTest, TicksWhileZeroConfigurationStartsKeepTheAdapterHandedOver)
{
    kqtest::WzcStandIn wzc(kGuid);
    kqtest::WzcSetup("install --start-type demand --state stopped --start-pending 2000");
    kqtest::Restore<int> mode{g_nWzcMode};
    ASSERT_TRUE(DefaultPortAttached());
    m_dlg.SendMessage(WM_COMMAND, ID_TRAY_USE_WZC);
    ASSERT_EQ(2, g_nWzcMode);
    int ticks = 0, handedBack = 0;
    ASSERT_TRUE(kqtest::WaitFor([&] {
        Tick();
        ++ticks;
        if (g_nWzcMode != 2 || g_hAuthPort != 0 || g_pAuthPort) ++handedBack;
        return kqtest::QueryWzc().state == SERVICE_RUNNING;
    }, 30000));
    Tick();
    EXPECT_EQ(0, handedBack) << "of " << ticks << " ticks while the service started";
    EXPECT_EQ(2, g_nWzcMode);
    EXPECT_EQ(0, g_hAuthPort);
    EXPECT_EQ(0, Stand().ports());
}

// Every wait of the check lasts until it is asked to stop.
std::atomic<bool> g_checkWaits{false};
bool WaitUntilStopped(HANDLE stop, DWORD)
{
    g_checkWaits = true;
    if (stop) WaitForSingleObject(stop, INFINITE);
    return false;
}

TEST_F(ControllerPortTest, ExitEndsARunningNetworkCheck)
{
    ASSERT_TRUE(DefaultPortAttached());
    kqtest::Restore<NetworkCheckCalls> calls{g_NetworkCheckCalls};
    g_NetworkCheckCalls.pause = WaitUntilStopped;
    g_checkWaits = false;
    ASSERT_TRUE(StartNetworkCheckThread());
    ASSERT_TRUE(WaitUntil([] { return g_checkWaits.load(); }));
    ASSERT_TRUE(NetworkCheckBusy());
    m_dlg.m_bSwitchedToAp = TRUE;
    m_dlg.DestroyWindow();
    EXPECT_FALSE(NetworkCheckBusy()) << "the exit waited for the check";
}

// Kestiq.exe itself: with the library beside it the port opens and exit
// detaches it; without, it runs on with 802.1X unavailable, whatever lies
// in its working folder.
TEST(ProgramLibraryTest, LoadsTheLibraryFromItsOwnFolderOnly)
{
    kqsim::SimClient& sim = kqsim::SharedTestClient();
    ASSERT_TRUE(sim.ResetAdapter(kGuid));
    const std::string dll = std::string(KQ_BINARY_DIR) + "/acAuth.dll";
    auto acCalls = [&](DWORD from, const std::string& prefix) {
        std::vector<kqsim::LogEntry> log;
        sim.ReadLog(log, from);
        int n = 0;
        for (const auto& e : log)
            if (e.IsSupplicantCall() && e.text.compare(0, prefix.size(), prefix) == 0) ++n;
        return n;
    };
    {
        kqtest::ScratchFolder with("auth_with");
        ASSERT_TRUE(with.Add(dll, "acAuth.dll"));
        DWORD mark = 0;
        sim.NextSeq(mark);
        kqtest::KestiqProcess p;
        ASSERT_TRUE(p.Start(with.Program(), "-s"));
        ASSERT_TRUE(p.WaitReady());
        EXPECT_TRUE(WaitUntil([&] { return acCalls(mark, "acPortAttach") == 1; }));
        EXPECT_EQ(1, acCalls(mark, "acInit"));
        p.Stop();
        EXPECT_EQ(1, acCalls(mark, "acPortDetach"));
        EXPECT_EQ(0u, p.ExitCode());
    }
    {
        // The library lies in the working folder and on the search path's
        // first place, the current directory; the program's folder lacks it.
        kqtest::ScratchFolder without("auth_without");
        kqtest::ScratchFolder cwd("auth_cwd");
        ASSERT_TRUE(cwd.Add(dll, "acAuth.dll"));
        DWORD mark = 0;
        sim.NextSeq(mark);
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::string cmd = "\"" + without.Program() + "\" -s";
        std::vector<char> buf(cmd.begin(), cmd.end());
        buf.push_back(0);
        ASSERT_TRUE(CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.Dir().c_str(), &si, &pi));
        HWND hwnd = nullptr;
        EXPECT_TRUE(kqtest::WaitFor([&] {
            hwnd = kqtest::FindProcessWindow(pi.dwProcessId, "HideDlg");
            DWORD_PTR icon = 0;
            return hwnd && SendMessageTimeoutA(hwnd, WM_KQ_QUERY_STATE, KQ_STATE_ICON, 0, SMTO_BLOCK, 5000, &icon) &&
                   icon != 0;
        }));
        EXPECT_EQ(0, acCalls(mark, "ac"));
        if (hwnd) PostMessageA(hwnd, WM_COMMAND, ID_TRAY_EXIT, 0);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 10000));
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(0u, code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
}

}  // namespace
