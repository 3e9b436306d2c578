#include <gtest/gtest.h>

#include "classlib/ClassLib.h"

TEST(CStringTest, FormatGrowsPastAnyFixedBuffer)
{
    CString big(std::string(5000, 'x'));
    CString s;
    s.Format("%s-%d", (const char*)big, 42);
    EXPECT_EQ(s.GetLength(), 5003);
    EXPECT_EQ(s.Right(3), "-42");
}

TEST(CStringTest, SlicingIsBoundedAtBothEnds)
{
    struct Case { int first, count; const char* expect; };
    const Case cases[] = { {0, 3, "abc"}, {4, 10, "ef"}, {6, 1, ""}, {-2, 2, "ab"}, {2, 0, ""}, {9, 9, ""} };
    CString s("abcdef");
    for (const Case& c : cases)
        EXPECT_EQ(s.Mid(c.first, c.count), c.expect) << c.first << "," << c.count;
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(99), "abcdef");
    EXPECT_EQ(s.Right(99), "abcdef");
}

TEST(CStringTest, BufferRoundTripTakesTextUpToTerminator)
{
    CString s;
    char* p = s.GetBuffer(16);
    strcpy(p, "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 5);
    EXPECT_EQ(s, "hello");
}

// A window whose message map counts what reaches it, to show the dispatch
// order: map entries, command id ranges, and default processing otherwise.
class CProbeWnd : public CWnd {
public:
    int timers = 0;
    UINT lastCommand = 0;
    int notifies = 0;
    LRESULT OnProbe(WPARAM w, LPARAM l) { return (LRESULT)(w + l); }
    void OnTimer(UINT_PTR) { ++timers; }
    void OnRange(UINT id) { lastCommand = id; }
    void OnNotifyProbe(NMHDR*, LRESULT* r) { ++notifies; *r = 7; }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_MESSAGE(WM_APP + 5, OnProbe)
    ON_WM_TIMER()
    ON_COMMAND_RANGE(100, 110, OnRange)
    ON_NOTIFY(NM_CLICK, 55, OnNotifyProbe)
END_MESSAGE_MAP()

TEST(MessageMapTest, DispatchesByMessageCommandRangeAndNotifyCode)
{
    CProbeWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "probe", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100), nullptr, 0));
    EXPECT_EQ(CWnd::FromHandlePermanent(w.m_hWnd), &w);
    EXPECT_EQ(w.SendMessage(WM_APP + 5, 3, 4), 7);
    w.SendMessage(WM_TIMER, 1);
    EXPECT_EQ(w.timers, 1);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(105, 0));
    EXPECT_EQ(w.lastCommand, 105u);
    w.SendMessage(WM_COMMAND, MAKEWPARAM(111, 0));
    EXPECT_EQ(w.lastCommand, 105u);
    NMHDR hdr = { nullptr, 55, (UINT)NM_CLICK };
    EXPECT_EQ(w.SendMessage(WM_NOTIFY, 55, (LPARAM)&hdr), 7);
    hdr.idFrom = 56;
    w.SendMessage(WM_NOTIFY, 56, (LPARAM)&hdr);
    EXPECT_EQ(w.notifies, 1);
    // Unmapped messages get default processing.
    w.SetWindowText("changed");
    EXPECT_EQ(w.GetWindowText(), "changed");
    HWND h = w.m_hWnd;
    EXPECT_TRUE(w.DestroyWindow());
    EXPECT_EQ(w.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}
