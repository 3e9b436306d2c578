// The window procedure's side of the class library: message ranges and the
// power broadcast in a message map, handlers that throw, and windows made
// while another window is being made.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "classlib/ClassLib.h"

namespace {

class CRangeWnd : public CWnd {
public:
    UINT lastRegistered = 0;
    UINT lastPowerEvent = 0;
    LRESULT OnApp(WPARAM, LPARAM) { return 5; }
    LRESULT OnRegistered(UINT msg, WPARAM w, LPARAM l)
    {
        lastRegistered = msg;
        return (LRESULT)(w + l);
    }
    UINT OnPowerBroadcast(UINT event, LPARAM)
    {
        lastPowerEvent = event;
        return (UINT)Default();
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRangeWnd, CWnd)
    ON_MESSAGE(0xC100, OnApp)   // before the range: it wins
    ON_MESSAGE_RANGE(0xC000, 0xFFFF, OnRegistered)
    ON_WM_POWERBROADCAST()
END_MESSAGE_MAP()

}  // namespace

TEST(MessageMapRange, TakesEveryMessageOfTheRangeAndNoOther)
{
    CRangeWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "range", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    UINT registered = RegisterWindowMessageA("KestiqRangeProbe");
    ASSERT_GE(registered, 0xC000u);
    struct {
        UINT msg;
        LRESULT result;
        UINT seen;
    } cases[] = {
        { 0xC000, 3, 0xC000 }, { registered, 3, registered }, { 0xFFFF, 3, 0xFFFF },
        { 0xBFFF, 0, 0 },      // below the range: default processing
        { 0xC100, 5, 0 },      // its own entry comes first
    };
    for (const auto& c : cases) {
        w.lastRegistered = 0;
        EXPECT_EQ(c.result, w.SendMessage(c.msg, 1, 2)) << std::hex << c.msg;
        EXPECT_EQ(c.seen, w.lastRegistered) << std::hex << c.msg;
    }
    // The power broadcast reaches its handler with the event.
    w.SendMessage(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_EQ((UINT)PBT_APMRESUMESUSPEND, w.lastPowerEvent);
    w.DestroyWindow();
}

namespace {

class CThrowingWnd : public CWnd {
public:
    bool failCreate = false;
    int answered = 0;
    int OnCreate(LPCREATESTRUCT cs)
    {
        if (failCreate) throw std::runtime_error("create");
        return CWnd::OnCreate(cs);
    }
    LRESULT OnStd(WPARAM, LPARAM) { throw std::runtime_error("handler"); }
    LRESULT OnOther(WPARAM, LPARAM) { throw 42; }
    LRESULT OnFine(WPARAM, LPARAM)
    {
        ++answered;
        return 9;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_APP + 1, OnStd)
    ON_MESSAGE(WM_APP + 2, OnOther)
    ON_MESSAGE(WM_APP + 3, OnFine)
END_MESSAGE_MAP()

}  // namespace

TEST(WindowProcedure, AnExceptionNeverLeavesTheHandlerAndTheWindowGoesOn)
{
    CThrowingWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "throws", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(0, w.SendMessage(WM_APP + 1));
    EXPECT_EQ(0, w.SendMessage(WM_APP + 2));
    // Default() after the failed message still belongs to the message being handled.
    EXPECT_EQ(9, w.SendMessage(WM_APP + 3));
    w.SetWindowText("still here");
    EXPECT_EQ(w.GetWindowText(), "still here");
    // Posted through the thread's own loop as well.
    w.PostMessage(WM_APP + 1);
    w.PostMessage(WM_APP + 3);
    MSG m;
    while (PeekMessageA(&m, w.m_hWnd, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    EXPECT_EQ(2, w.answered);
    w.DestroyWindow();

    // A throwing WM_CREATE fails the creation and leaves the object free.
    CThrowingWnd bad;
    bad.failCreate = true;
    EXPECT_FALSE(bad.CreateEx(0, nullptr, "bad", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(nullptr, bad.m_hWnd);
}

namespace {

// Makes a child of its own while it is being made.
class CNestingWnd : public CWnd {
public:
    CWnd* child = nullptr;
    HWND plain = nullptr;   // made by Win32 alone inside the creation
    int creates = 0;
    int OnCreate(LPCREATESTRUCT cs);

protected:
    DECLARE_MESSAGE_MAP()
};

class CCountingWnd : public CWnd {
public:
    int creates = 0;
    int OnCreate(LPCREATESTRUCT cs)
    {
        ++creates;
        return CWnd::OnCreate(cs);
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNestingWnd, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CCountingWnd, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

int CNestingWnd::OnCreate(LPCREATESTRUCT cs)
{
    ++creates;
    plain = CreateWindowExA(0, "STATIC", "plain", WS_CHILD, 0, 0, 10, 10, m_hWnd, nullptr, nullptr, nullptr);
    if (child && !child->Create(nullptr, "child", WS_VISIBLE, CRect(0, 0, 10, 10), this, 7)) return -1;
    return CWnd::OnCreate(cs);
}

// Another creation hook of the thread, as a test or a tool may set: it must
// still see every window made while the objects' own hook comes and goes.
std::vector<HWND> g_seenMade;
HHOOK g_otherHook = nullptr;

LRESULT CALLBACK SeeWindowsMade(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) g_seenMade.push_back((HWND)wParam);
    return CallNextHookEx(g_otherHook, code, wParam, lParam);
}

}  // namespace

TEST(CreationHook, WindowsMadeInsideAnotherCreationAndAfterItReachTheirObjects)
{
    CCountingWnd child;
    CNestingWnd parent;
    parent.child = &child;
    g_seenMade.clear();
    g_otherHook = SetWindowsHookExA(WH_CBT, SeeWindowsMade, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, g_otherHook);
    BOOL made = parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, CRect(0, 0, 80, 80), nullptr, 0);
    UnhookWindowsHookEx(g_otherHook);
    g_otherHook = nullptr;
    ASSERT_TRUE(made);
    EXPECT_EQ(1, parent.creates);
    EXPECT_EQ(1, child.creates);
    EXPECT_EQ(&parent, CWnd::FromHandlePermanent(parent.m_hWnd));
    EXPECT_EQ(&child, CWnd::FromHandlePermanent(child.m_hWnd));
    EXPECT_EQ(parent.m_hWnd, ::GetParent(child.m_hWnd));
    ASSERT_NE(nullptr, parent.plain);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(parent.plain));
    // Among them (the system makes windows of its own for a top-level one).
    std::vector<HWND> ours;
    for (HWND h : g_seenMade)
        if (h == parent.m_hWnd || h == parent.plain || h == child.m_hWnd) ours.push_back(h);
    EXPECT_EQ((std::vector<HWND>{ parent.m_hWnd, parent.plain, child.m_hWnd }), ours);

    // Once creation is over, windows made by Win32 alone are not taken over,
    // and the next object's window still sees its WM_CREATE.
    HWND plain = CreateWindowExA(0, "STATIC", "plain", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(plain));
    DestroyWindow(plain);
    CCountingWnd later;
    ASSERT_TRUE(later.CreateEx(0, nullptr, "later", WS_OVERLAPPEDWINDOW, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(1, later.creates);
    later.DestroyWindow();
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, child.m_hWnd);
}
