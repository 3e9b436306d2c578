// The controller made in this process on the installed adapter: the icon
// and tooltip of its first add, its real poll timer through the adapter's
// loss and return, and a driver that claims an overlong SSID.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "core/StateQuery.h"
#include "core/StationConfig.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/TimerRecorder.h"
#include "tray/ControllerFixture.h"
#include "tray/KestiqProcess.h"

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;
const std::string kTipHead = "Tolvane Wireless LAN Adapter\n";

class ControllerHere : public kqtest::ControllerHereTest {
protected:
    std::string Tip()
    {
        char buf[256] = {};
        GetDlgItemTextA(m_dlg.m_hWnd, IDC_TRAY_TIP_MIRROR, buf, sizeof(buf));
        return buf;
    }
};

TEST_F(ControllerHere, FirstIconAddShowsDisconnectedWithItsTooltip)
{
    // Nothing has polled yet: this is the add itself.
    EXPECT_EQ(0, State(KQ_STATE_POLL_COUNT));
    EXPECT_EQ(1, State(KQ_STATE_ICON_ADDS));
    EXPECT_EQ(IDI_TRAY_DISCONNECT, State(KQ_STATE_ICON));
    EXPECT_EQ(kTipHead + "Disconnected", Tip());
}

// When the poll timer's events reach the controller, seen as this thread
// takes them from its queue.
std::vector<DWORD> g_pollEvents;
HWND g_pollWindow = nullptr;

LRESULT CALLBACK SeePollEvents(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* m = (const MSG*)lParam;
    if (code >= 0 && wParam == PM_REMOVE && m->message == WM_TIMER && m->hwnd == g_pollWindow &&
        m->wParam == IDT_ADAPTER_POLL)
        g_pollEvents.push_back(GetTickCount());
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The real timer, not a posted event: a poll every 2 s, and polling goes on
// through the adapter's loss (icon 161) until it is found again.
TEST_F(ControllerHere, PollTimerRunsEveryTwoSecondsThroughAdapterLossAndReturn)
{
    const DWORD kPeriod = 2000;
    // The WPS button timer polls as well; only the poll timer runs here.
    KillTimer(m_dlg.m_hWnd, IDT_WPS_BUTTON);
    g_pollEvents.clear();
    g_pollWindow = m_dlg.m_hWnd;
    DWORD watchStart = GetTickCount();
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, SeePollEvents, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);

    EXPECT_TRUE(kqtest::WaitFor([&] { return g_pollEvents.size() >= 1; }, 20000));
    kqtest::TimerRecorder timers;
    ASSERT_TRUE(timers.ok());
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    EXPECT_TRUE(kqtest::WaitFor([&] { return State(KQ_STATE_ICON) == IDI_TRAY_NO_ADAPTER; }, 20000));
    EXPECT_EQ(0, State(KQ_STATE_ADAPTER_FOUND));
    ASSERT_TRUE(m_sim.Return(kGuid));
    EXPECT_TRUE(kqtest::WaitFor([&] { return State(KQ_STATE_ADAPTER_FOUND) == 1; }, 20000))
        << "polling stopped after the adapter was lost";
    EXPECT_EQ(IDI_TRAY_DISCONNECT, State(KQ_STATE_ICON));
    // Enough events that a timer of half the period would show too many.
    EXPECT_TRUE(kqtest::WaitFor([&] { return g_pollEvents.size() >= 6; }, 30000));
    DWORD span = GetTickCount() - watchStart;
    UnhookWindowsHookEx(hook);

    // However late this thread takes them, the timer's events never come
    // faster than its period: in span ms at most one per period, and one
    // more that may have been due before the watch began.
    EXPECT_LE(g_pollEvents.size(), (size_t)(span / kPeriod + 2)) << "in " << span << " ms";
    // The period itself, as the controller asks for it when it starts the
    // poll again after the loss.
    int restarts = 0;
    for (const auto& t : timers.starts)
        if (t.window == m_dlg.m_hWnd && t.id == IDT_ADAPTER_POLL) {
            ++restarts;
            EXPECT_EQ(kPeriod, t.ms);
        }
    EXPECT_GE(restarts, 1) << "the poll timer was not started again";
}

TEST_F(ControllerHere, OverlongSsidFromTheDriverIsReadAs32Bytes)
{
    m_dlg.KillAllTimers();
    const std::string ssid(32, 'A');
    g_pCurProfile = AllocStationConfig();
    ASSERT_TRUE(g_pCurProfile);
    g_pCurProfile->ssid.SsidLength = 32;
    std::memcpy(g_pCurProfile->ssid.Ssid, ssid.data(), 32);
    g_pCurProfile->infrastructureMode = Ndis802_11Infrastructure;

    lstrcpynA(g_szDevicePath, ("\\\\.\\" + kGuid).c_str(), MAX_PATH);
    NDIS_802_11_SSID join = {};
    join.SsidLength = 11;
    std::memcpy(join.Ssid, "Kestiq-Open", 11);
    ASSERT_TRUE(SetOid(OID_802_11_SSID, &join, sizeof(join), nullptr, 1));
    NDIS_802_11_SSID claimed = {};
    claimed.SsidLength = 200;
    std::memcpy(claimed.Ssid, ssid.data(), 32);
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_802_11_SSID, &claimed, sizeof(claimed)));

    for (int i = 1; i <= 3; ++i) {
        m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
        EXPECT_EQ(i, State(KQ_STATE_POLL_COUNT)) << "the link fits the profile of the same 32 bytes";
        std::string tip = Tip();
        const std::string tail = " (" + ssid + ")";
        ASSERT_GE(tip.size(), tail.size()) << tip;
        EXPECT_EQ(tail, tip.substr(tip.size() - tail.size())) << tip;
    }
    m_sim.ClearOidAnswer(kGuid, OID_802_11_SSID);
}

}  // namespace
