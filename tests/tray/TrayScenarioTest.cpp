// Kestiq.exe itself against the simulated adapter, driven from outside:
// the icon and tooltip follow the air, adapter loss, the shell's restart,
// the tray menu, the command line, single instance, start in AP mode, exit.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/HideDlg.h"
#include "core/StateQuery.h"
#include "core/OidChannel.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "tray/AdapterFixture.h"
#include "tray/KestiqProcess.h"
#include "tray/TrayPictures.h"
#include "widgets/MessageBoxDlg.h"

using kqtest::KestiqProcess;
using kqtest::WaitFor;

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;
const char kOpenBssid[] = "00:11:22:33:44:01";
const std::string kTipHead = "Tolvane Wireless LAN Adapter\n";

// Requests of this test process go to the default adapter.
void UseDefaultAdapter()
{
    std::string path = "\\\\.\\" + kGuid;
    lstrcpynA(g_szDevicePath, path.c_str(), MAX_PATH);
}

bool Join(const std::string& ssid)
{
    UseDefaultAdapter();
    NDIS_802_11_SSID s = {};
    s.SsidLength = (ULONG)ssid.size();
    std::memcpy(s.Ssid, ssid.data(), ssid.size());
    return SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1) != FALSE;
}

BYTE* Mac(const char* text)
{
    static BYTE mac[6];
    kqsim::ParseMac(text, mac);
    return mac;
}

// The shell still knows the icon of (hwnd, 131): a modify of it succeeds.
bool ShellHasIcon(HWND hwnd)
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.hWnd = hwnd;
    nid.uID = 131;
    nid.uFlags = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

// The six state pictures of Kestiq.exe at the size the shell shows them.
const std::vector<std::pair<UINT, kqtest::Pixels>>& StatePictures()
{
    static std::vector<std::pair<UINT, kqtest::Pixels>> pictures;
    if (pictures.empty()) {
        HMODULE program = LoadLibraryExA(kqtest::BuiltProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        int size = GetSystemMetrics(SM_CXSMICON);
        for (UINT id : { 131u, 132u, 159u, 160u, 161u, 162u }) {
            HICON icon = program ? (HICON)LoadImageA(program, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0) : nullptr;
            if (icon) pictures.push_back({ id, kqtest::RenderIcon(icon, size) });
            if (icon) DestroyIcon(icon);
        }
        if (program) FreeLibrary(program);
    }
    return pictures;
}

// The picture in the shell's notification area is the one of state `id`
// (the shell draws it a moment after it was handed over).
bool ShellShowsPicture(UINT id)
{
    return WaitFor([&] { return kqtest::ShellShows(StatePictures()) == id; }, 20000);
}

class TrayScenario : public kqtest::DefaultAdapterTest {
protected:
    void TearDown() override
    {
        m_kestiq.Stop();
        m_sim.ClearOidAnswer(kGuid, OID_VENDOR_RSSI_1);
        DefaultAdapterTest::TearDown();
    }
    void StartKestiq(const std::string& args = "-s")
    {
        ASSERT_TRUE(m_kestiq.Start(kqtest::BuiltProgram(), args));
        ASSERT_TRUE(m_kestiq.WaitReady());
        m_kestiq.FinishStartupApply();
    }
    std::string TipFor(const char* status, const std::string& ssid) const
    {
        return kTipHead + status + " (" + ssid + ")";
    }

    KestiqProcess m_kestiq;
};

TEST_F(TrayScenario, IconAndTooltipFollowTheSignal)
{
    StartKestiq();
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_RSSI_1, KQSIM_KIND_QUERY));
    ASSERT_TRUE(Join("Kestiq-Open"));
    struct { int rssi; int icon; const char* status; } cases[] = {
        { -50, 131, "Status : Good" },
        { -62, 159, "status : Normal" },
        { -69, 159, "status : Normal" },
        { -75, 160, "Status : Weak" },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(m_sim.SetNetworkRssi(Mac(kOpenBssid), c.rssi));
        m_kestiq.Tick();
        EXPECT_EQ(c.icon, m_kestiq.Icon()) << c.rssi << " dBm";
        EXPECT_TRUE(ShellShowsPicture(c.icon)) << c.rssi << " dBm";
        EXPECT_EQ(TipFor(c.status, "Kestiq-Open"), m_kestiq.Tip()) << c.rssi << " dBm";
    }
}

TEST_F(TrayScenario, SecondChainCountsWhenStronger)
{
    StartKestiq();
    ASSERT_TRUE(Join("Kestiq-Open"));
    ASSERT_TRUE(m_sim.SetNetworkRssi(Mac(kOpenBssid), -75));
    LONG strong = -45;
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_RSSI_1, &strong, sizeof(strong)));
    m_kestiq.Tick();
    EXPECT_EQ(131, m_kestiq.Icon());
}

TEST_F(TrayScenario, SsidWithPercentSignsAppearsUnchanged)
{
    const std::string ssid = "100% %s%n%x";
    ASSERT_TRUE(m_sim.PutNetwork(kqsim::MakeNetwork(ssid, "00:11:22:33:44:21", 6, -48, KQSIM_SEC_OPEN)));
    StartKestiq();
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_RSSI_1, KQSIM_KIND_QUERY));
    ASSERT_TRUE(Join(ssid));
    m_kestiq.Tick();
    EXPECT_EQ(131, m_kestiq.Icon());
    EXPECT_EQ(TipFor("Status : Good", ssid), m_kestiq.Tip());
}

TEST_F(TrayScenario, DisconnectedShows132)
{
    StartKestiq();
    ASSERT_TRUE(Join("Kestiq-Open"));
    m_kestiq.Tick();
    ASSERT_NE(132, m_kestiq.Icon());
    UseDefaultAdapter();
    ASSERT_TRUE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1));
    m_kestiq.Tick();
    EXPECT_EQ(132, m_kestiq.Icon());
    EXPECT_TRUE(ShellShowsPicture(132));
    EXPECT_EQ(kTipHead + "Disconnected", m_kestiq.Tip());
}

TEST_F(TrayScenario, VanishedAdapterShows161AndIsLookedForOnEveryPoll)
{
    StartKestiq();
    ASSERT_EQ(1, m_kestiq.Query(KQ_STATE_ADAPTER_FOUND));
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    for (int i = 0; i < 3; ++i) {
        m_kestiq.Tick();
        EXPECT_EQ(161, m_kestiq.Icon());
        EXPECT_TRUE(ShellShowsPicture(161));
        EXPECT_EQ(kTipHead + "Not exist", m_kestiq.Tip());
        EXPECT_EQ(0, m_kestiq.Query(KQ_STATE_ADAPTER_FOUND));
    }
    ASSERT_TRUE(m_sim.Return(kGuid));
    // The very next poll finds it again: discovery ran on that event.
    m_kestiq.Tick(IDT_WPS_BUTTON);
    EXPECT_EQ(1, m_kestiq.Query(KQ_STATE_ADAPTER_FOUND));
    EXPECT_EQ(132, m_kestiq.Icon());
    EXPECT_EQ(0, m_kestiq.Query(KQ_STATE_ADAPTER_CHANGED));
}

TEST_F(TrayScenario, RegisteredMessageReaddsTheIcon)
{
    StartKestiq();
    HWND h = m_kestiq.Hwnd();
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_RSSI_1, KQSIM_KIND_QUERY));
    ASSERT_TRUE(Join("Kestiq-Open"));
    for (const char* name : { "TaskbarCreated", "KqSomeOtherMessage" }) {
        m_kestiq.Tick();
        ASSERT_EQ(131, m_kestiq.Icon());
        UINT msg = RegisterWindowMessageA(name);
        ASSERT_GE(msg, 0xC000u);
        DWORD_PTR r;
        LRESULT adds = m_kestiq.Query(KQ_STATE_ICON_ADDS);
        ASSERT_TRUE(SendMessageTimeoutA(h, msg, 0, 0, SMTO_BLOCK, 20000, &r)) << name;
        EXPECT_EQ(adds + 1, m_kestiq.Query(KQ_STATE_ICON_ADDS)) << name;
        EXPECT_TRUE(ShellHasIcon(h)) << name;
        m_kestiq.Tick();
        EXPECT_EQ(131, m_kestiq.Icon()) << name;
    }
}

TEST_F(TrayScenario, ExitRemovesIconEndsAndLeavesNoHandleOpen)
{
    StartKestiq();
    HWND h = m_kestiq.Hwnd();
    ASSERT_TRUE(ShellHasIcon(h));
    // While it runs: every poll opens the device and closes it again.
    ASSERT_TRUE(Join("Kestiq-Open"));
    kqsim::AdapterState st;
    for (UINT id : { IDT_ADAPTER_POLL, IDT_WPS_BUTTON, IDT_ADAPTER_POLL }) {
        ASSERT_TRUE(m_kestiq.Tick(id));
        // (a poll of the program's own timer may be under way a moment longer)
        EXPECT_TRUE(WaitFor([&] { return m_sim.GetAdapter(kGuid, st) && st.openHandles == 0; }, 20000))
            << st.openHandles << " handles open after a poll of timer " << id;
    }
    EXPECT_GT(st.creates, 0u);
    PostMessageA(h, WM_COMMAND, ID_TRAY_EXIT, 0);
    ASSERT_TRUE(m_kestiq.WaitExit(30000));
    EXPECT_FALSE(ShellHasIcon(h));
    // The driver sees the last close a moment after the process is gone.
    EXPECT_TRUE(WaitFor([&] { return m_sim.GetAdapter(kGuid, st) && st.openHandles == 0; }, 20000));
    EXPECT_EQ(0u, st.openHandles);
    EXPECT_EQ(st.creates, st.closes);
    EXPECT_GT(st.creates, 0u);
}

TEST(CommandLine, OnlyExactDashSKeepsTheWindowClosed)
{
    struct { const char* args; bool window; } cases[] = {
        { "-s", false }, { "-S", false }, { "-s ", true }, { "/s", true }, { "-s x", true }, { "", true },
    };
    // The window is opened, or not, before the icon is added: once the
    // program is ready the decision shows.
    for (const auto& c : cases) {
        KestiqProcess k;
        ASSERT_TRUE(k.Start(kqtest::BuiltProgram(), c.args));
        ASSERT_TRUE(k.WaitReady()) << "\"" << c.args << "\"";
        if (c.window) {
            EXPECT_GT(k.Query(KQ_STATE_MAIN_WINDOW), 0) << "\"" << c.args << "\"";
            HWND w = (HWND)k.Query(KQ_STATE_MAIN_WINDOW);
            RECT r = {};
            GetWindowRect(w, &r);
            EXPECT_EQ(800, r.right - r.left);
            EXPECT_EQ(740, r.bottom - r.top);
            char title[64] = {};
            GetWindowTextA(w, title, sizeof(title));
            EXPECT_STREQ("Tolvane Wireless Utility", title);
        } else {
            EXPECT_EQ(0, k.Query(KQ_STATE_MAIN_WINDOW)) << "\"" << c.args << "\"";
        }
        k.Stop();
    }
}

TEST(SingleInstance, SecondStartEndsAtOnceAndLeavesTheFirstAlone)
{
    KestiqProcess first, second;
    ASSERT_TRUE(first.Start(kqtest::BuiltProgram(), "-s"));
    ASSERT_TRUE(first.WaitReady());
    LRESULT adds = first.Query(KQ_STATE_ICON_ADDS);
    // Watched from its first instruction to its end: it never makes a controller window.
    ASSERT_TRUE(second.Start(kqtest::BuiltProgram(), "", CREATE_SUSPENDED));
    second.Resume();
    bool controllerSeen = false;
    DWORD start = GetTickCount();
    while (!second.WaitExit(1) && GetTickCount() - start < 30000)
        controllerSeen = controllerSeen || kqtest::FindProcessWindow(second.Pid(), "HideDlg") != nullptr;
    EXPECT_TRUE(second.WaitExit(0)) << "the second copy did not end within 30 s";
    EXPECT_FALSE(controllerSeen);
    EXPECT_TRUE(first.Running());
    // No message box was open: whatever the second copy posted is handled
    // once a mark behind it comes back, and nothing opened.
    ASSERT_TRUE(first.Sync());
    EXPECT_EQ(0, first.Query(KQ_STATE_MAIN_WINDOW));
    EXPECT_EQ(adds, first.Query(KQ_STATE_ICON_ADDS));
}

// This process plays the first copy: it owns "QX60" and has its message box
// open; the second start's ID_TRAY_LAUNCH must arrive at that box.
struct BoxWatch {
    HWND box = nullptr;
    bool launchSeen = false;
    KestiqProcess second;
    int step = 0;
    bool secondEnded = false;
    DWORD stepSince = 0;   // when the current step began
};

// A step waits this long at most for what it looks for.
const DWORD kStepMs = 30000;
BoxWatch* g_watch = nullptr;
HHOOK g_hook = nullptr;

LRESULT CALLBACK SeeMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* m = (const MSG*)lParam;
    if (code >= 0 && g_watch && m->message == WM_COMMAND && m->wParam == ID_TRAY_LAUNCH && m->hwnd == g_watch->box)
        g_watch->launchSeen = true;
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

void CALLBACK DriveBox(HWND, UINT, UINT_PTR, DWORD)
{
    BoxWatch& w = *g_watch;
    if (!w.stepSince) w.stepSince = GetTickCount();
    bool late = GetTickCount() - w.stepSince > kStepMs;
    int was = w.step;
    if (w.step == 0) {
        w.box = kqtest::FindProcessWindow(GetCurrentProcessId(), "Kestiq");
        if (!w.box) return;
        w.step = 1;
        if (!w.second.Start(kqtest::BuiltProgram(), "")) w.step = 3;
    } else if (w.step == 1) {
        if (w.second.WaitExit(0)) {
            w.secondEnded = true;
            w.step = 2;
        } else if (late) {
            w.step = 3;
        }
    } else if (w.step == 2) {
        // Its command was posted before it ended: it comes with the next messages.
        if (w.launchSeen || late) w.step = 3;
    } else if (w.step == 3) {
        w.step = 4;
        PostMessageA(w.box, WM_COMMAND, IDOK, 0);
    }
    if (w.step != was) w.stepSince = GetTickCount();
}

TEST(SingleInstance, SecondStartsCommandReachesTheOpenMessageBox)
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "QX60");
    ASSERT_TRUE(mutex);
    ASSERT_NE(ERROR_ALREADY_EXISTS, GetLastError()) << "another Kestiq runs";
    BoxWatch watch;
    g_watch = &watch;
    g_hook = SetWindowsHookExA(WH_GETMESSAGE, SeeMessages, nullptr, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(nullptr, 0, 100, DriveBox);
    int result = ShowMessageDlg("first copy is busy");
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(g_hook);
    g_watch = nullptr;
    CloseHandle(mutex);
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(watch.secondEnded);
    EXPECT_TRUE(watch.launchSeen);
}

TEST_F(TrayScenario, AccessPointModeAtStartIsSetBackAndCardToolStarted)
{
    kqtest::ScratchFolder dir("opmode");
    ASSERT_TRUE(dir.Add(KQ_RECORD_TOOL, "Tupreno.exe"));
    dir.Forget("Tupreno.exe.log");
    DeleteFileA(dir.Path("Tupreno.exe.log").c_str());
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_OP_MODE, 1));
    DWORD from = 0;
    ASSERT_TRUE(m_sim.NextSeq(from));
    ASSERT_TRUE(m_kestiq.Start(dir.Program(), "-s"));
    ASSERT_TRUE(m_kestiq.WaitReady());
    std::string recorded;
    EXPECT_TRUE(WaitFor([&] {
        std::ifstream f(dir.Path("Tupreno.exe.log"));
        std::stringstream ss;
        ss << f.rdbuf();
        recorded = ss.str();
        return !recorded.empty();
    }, 20000));
    EXPECT_EQ("\"Tupreno.exe\" ICS_DOWN\n", recorded);

    bool setToStation = false;
    for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, from)) {
        if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_VENDOR_OP_MODE && e.data.size() == 4) {
            DWORD v;
            std::memcpy(&v, e.data.data(), 4);
            if (v == 0 && e.Succeeded()) setToStation = true;
        }
    }
    EXPECT_TRUE(setToStation);
}

HWND VisibleMenuOf(DWORD pid)
{
    HWND found = nullptr;
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
        DWORD p = 0;
        GetWindowThreadProcessId(w, &p);
        if (p == pid && IsWindowVisible(w)) found = w;
    }
    return found;
}

TEST_F(TrayScenario, TrayMenuFollowsToolsAndOsCode)
{
    struct { const char* version; bool tools; UINT menu; } cases[] = {
        { nullptr, true, 154 },     // 6.1 (code 11), tools, model 7
        { nullptr, false, 153 },
        { "winxp", true, 154 },     // code 8
        { "win2k", true, 148 },     // code 7: before XP
        { "win2k", false, 150 },
    };
    for (const auto& c : cases) {
        std::unique_ptr<kqtest::WineVersionKey> version(c.version ? new kqtest::WineVersionKey(c.version) : nullptr);
        kqtest::ScratchFolder dir("menu");
        if (c.tools) {
            ASSERT_TRUE(dir.Add(KQ_RECORD_TOOL, "Fendrel.exe"));
            ASSERT_TRUE(dir.Add(KQ_RECORD_TOOL, "Miskor.exe"));
        }
        KestiqProcess k;
        ASSERT_TRUE(k.Start(dir.Program(), "-s"));
        ASSERT_TRUE(k.WaitReady());
        PostMessageA(k.Hwnd(), WM_TRAY_NOTIFY, IDI_TRAY_GOOD, WM_RBUTTONDOWN);
        HWND menu = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (menu = VisibleMenuOf(k.Pid())) != nullptr; }, 20000))
            << (c.version ? c.version : "default");
        EXPECT_EQ((LRESULT)c.menu, k.Query(KQ_STATE_LAST_MENU)) << (c.version ? c.version : "default") << " tools " << c.tools;
        if (menu) {
            // The last item is Exit: choosing it ends the program.
            PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
            EXPECT_TRUE(k.WaitExit(30000));
        }
        k.Stop();
    }
}

}  // namespace
