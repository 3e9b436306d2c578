// The information popup beside a real edit control in a real dialog.
#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "support/TimerRecorder.h"
#include "widgets/InfoWnd.h"

using namespace widgettest;

namespace {

const COLORREF kTipColour = 0x8181FF;   // what the filtered edit passes

struct InfoWndTest : ::testing::Test {
    HostDialog host{300, 160, 200, 200, "info"};
    CEdit edit;
    CInfoWnd tip{kTipColour};

    void SetUp() override
    {
        ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER | WS_TABSTOP, CRect(60, 70, 240, 92), &host, 100));
        edit.SetFont(host.GetFont());
        ASSERT_TRUE(tip.Create(&host));
        edit.SetFocus();
        PumpPending();
    }
    CRect TipRect() const
    {
        CRect r;
        tip.GetWindowRect(&r);
        return r;
    }
    CRect EditRect() const
    {
        CRect r;
        edit.GetWindowRect(&r);
        return r;
    }
};

TEST_F(InfoWndTest, IsABorderedToolPopupOfItsOwnClass)
{
    char cls[64] = "";
    GetClassNameA(tip, cls, sizeof(cls));
    EXPECT_STREQ("Pelk_InfoWnd", cls);
    EXPECT_EQ((DWORD)CS_SAVEBITS, (DWORD)GetClassLongA(tip, GCL_STYLE));
    EXPECT_EQ((DWORD)(WS_POPUP | WS_BORDER), tip.GetStyle() & (WS_POPUP | WS_BORDER | WS_CHILD | WS_CAPTION));
    EXPECT_TRUE(tip.GetExStyle() & WS_EX_TOOLWINDOW);
    EXPECT_EQ((HWND)host, GetWindow(tip, GW_OWNER));
    EXPECT_FALSE(tip.IsWindowVisible());
    // a second popup of the process shares the class
    CInfoWnd other(RGB(0, 255, 0));
    ASSERT_TRUE(other.Create(&host));
    EXPECT_EQ(GetClassLongPtrA(tip, GCLP_HBRBACKGROUND), GetClassLongPtrA(other, GCLP_HBRBACKGROUND));
}

TEST_F(InfoWndTest, StandsBesideTheAnchorAsThePlacementFlagsSay)
{
    struct Case {
        int flags;
        const char* name;
    } cases[] = { {CInfoWnd::PLACE_ABOVE, "above"}, {CInfoWnd::PLACE_BELOW, "below"},
                  {CInfoWnd::PLACE_LEFT, "left"}, {CInfoWnd::PLACE_RIGHT, "right"},
                  {CInfoWnd::PLACE_BELOW | CInfoWnd::PLACE_RIGHT, "below wins over right"},
                  {CInfoWnd::PLACE_RIGHT | CInfoWnd::PLACE_LEFT, "right wins over left"} };
    for (const Case& c : cases) {
        tip.Hide();
        tip.m_nPlacement = c.flags;
        tip.ShowTip(&edit, "Invaild Pin Code");
        PumpPending();
        ASSERT_TRUE(tip.IsWindowVisible()) << c.name;
        CRect t = TipRect(), a = EditRect();
        // the text rectangle is (x, y, x + w, y + h); the window (x - 3, y - 1, w + 3, h)
        int x = t.left + 3, y = t.top + 1, w = t.Width() - 3;
        EXPECT_GT(w, 60) << c.name;
        if (c.flags & CInfoWnd::PLACE_BELOW) {
            EXPECT_EQ(a.left, x) << c.name;
            EXPECT_EQ(a.bottom + 2, y) << c.name;
        } else if (c.flags & CInfoWnd::PLACE_RIGHT) {
            EXPECT_EQ(a.right + 2, x) << c.name;
            EXPECT_EQ(a.top, y) << c.name;
        } else if (c.flags & CInfoWnd::PLACE_LEFT) {
            EXPECT_EQ(a.left - 2 - w, x) << c.name;
            EXPECT_EQ(a.top, y) << c.name;
        } else {
            EXPECT_EQ(a.left, x) << c.name;
            EXPECT_EQ(a.top - 2 - t.Height(), y) << c.name;
        }
        // shown without taking the focus from the edit
        EXPECT_EQ((HWND)edit, GetFocus()) << c.name;
    }
}

TEST_F(InfoWndTest, SizeFollowsTheTextInTheOwnersFontWithABlankOnEachSide)
{
    tip.ShowTip(&edit, "Invaild Pin Code");
    PumpPending();
    HDC dc = GetDC(tip);
    HGDIOBJ old = SelectObject(dc, host.GetFont());
    SIZE sz;
    GetTextExtentPoint32A(dc, " Invaild Pin Code ", 18, &sz);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(tip, dc);
    EXPECT_EQ(sz.cx + tm.tmOverhang + 2 + 3, TipRect().Width());
    EXPECT_EQ(sz.cy + tm.tmDescent + 2, TipRect().Height());

    Capture shot(tip);
    EXPECT_TRUE(shot.SavePng("infownd_shown"));
    // background of the class brush, dark text in it
    EXPECT_EQ(kTipColour, shot.At(1, 1)) << Rgb(shot.At(1, 1));
    int dark = 0;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            if (GetRValue(shot.At(x, y)) < 80 && GetGValue(shot.At(x, y)) < 80) ++dark;
    EXPECT_GT(dark, 20);
    Screenshot(host, "infownd_with_dialog_hidden_tip");
}

TEST_F(InfoWndTest, ASecondTipWhileVisibleIsIgnored)
{
    tip.ShowTip(&edit, "short");
    PumpPending();
    CRect first = TipRect();
    tip.ShowTip(&edit, "Invalid WPA Pre-Shared key. WPA-PSK used field should use more than 8 characters.");
    PumpPending();
    EXPECT_EQ(first, TipRect());
    // once hidden, the next one shows
    tip.Hide();
    tip.ShowTip(&edit, "Invalid WPA Pre-Shared key. WPA-PSK used field should use more than 8 characters.");
    PumpPending();
    EXPECT_TRUE(tip.IsWindowVisible());
    EXPECT_GT(TipRect().Width(), first.Width() * 4);
    Capture(tip).SavePng("infownd_long_text");
}

TEST_F(InfoWndTest, NothingShowsWithoutAFocusedWindow)
{
    ::SetFocus(nullptr);
    ASSERT_EQ(nullptr, GetFocus());
    tip.ShowTip(&edit, "Invaild Pin Code");
    PumpPending();
    EXPECT_FALSE(tip.IsWindowVisible());
}

TEST_F(InfoWndTest, HidesOnItsTimerAndOnAClick)
{
    tip.ShowTip(&edit, "Invaild Pin Code");
    ASSERT_TRUE(tip.IsWindowVisible());
    tip.SendMessage(WM_TIMER, CInfoWnd::HIDE_TIMER);
    EXPECT_FALSE(tip.IsWindowVisible());

    tip.ShowTip(&edit, "Invaild Pin Code");
    ASSERT_TRUE(tip.IsWindowVisible());
    tip.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(tip.IsWindowVisible());
    tip.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(tip.IsWindowVisible());
    tip.Hide();   // hiding a hidden tip is harmless
    EXPECT_FALSE(tip.IsWindowVisible());
}

// The period is read from the timer the tip starts, not timed: a busy
// machine dispatches the event late, never early.
TEST_F(InfoWndTest, TheRealTimerHidesItAfterFourSeconds)
{
    DWORD start = GetTickCount();
    std::vector<kqtest::TimerRecorder::Start> starts;
    {
        kqtest::TimerRecorder timers;
        ASSERT_TRUE(timers.ok());
        tip.ShowTip(&edit, "Invaild Pin Code");
        starts = timers.starts;
    }
    ASSERT_TRUE(tip.IsWindowVisible());
    std::vector<std::pair<UINT_PTR, UINT>> ofTip;
    for (const auto& t : starts)
        if (t.window == (HWND)tip) ofTip.push_back({ t.id, t.ms });
    EXPECT_EQ((std::vector<std::pair<UINT_PTR, UINT>>{ { CInfoWnd::HIDE_TIMER, 4000u } }), ofTip);
    ASSERT_TRUE(PumpUntil([&] { return !tip.IsWindowVisible(); }, 30000));
    EXPECT_GE(GetTickCount() - start, 3900u);
}

} // namespace
