// The gradient progress bar: its text, colours, snake, range rules and
// messages, on real controls.
#include <gtest/gtest.h>

#include <string>

#include "Host.h"
#include "Pixels.h"
#include "widgets/GradientProgressCtrl.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGrey = RGB(192, 192, 192);

std::string TextOf(HWND w)
{
    char buf[256] = "";
    SendMessageA(w, WM_GETTEXT, sizeof(buf), (LPARAM)buf);
    EXPECT_EQ((LRESULT)strlen(buf), SendMessageA(w, WM_GETTEXTLENGTH, 0, 0));
    return buf;
}

class ProgressBar : public ::testing::Test {
protected:
    CTestHost& host = SharedHost();
    CGradientProgressCtrl bar;
    CFont font;

    void SetUp() override { ResetHost(host); }
    void Make(DWORD style, CRect where = CRect(10, 10, 210, 40))
    {
        ASSERT_TRUE(bar.Create(WS_VISIBLE | style, where, &host, 100));
        font.CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    }
    Shot Show()
    {
        bar.Invalidate(FALSE);
        return CaptureNow(bar.m_hWnd);
    }
};

TEST_F(ProgressBar, TheTextShowsThePercentagePositionOrTheCallersFormat)
{
    struct Case {
        const char* what;
        DWORD style;
        int lower, upper, pos;
        const char* setText;
        DWORD textStyle;
        const char* shown;
    } cases[] = {
        {"percent", PBS_GRAD_PERCENT, 0, 200, 33, nullptr, 0, "16%"},
        {"percent of an offset range", PBS_GRAD_PERCENT, 100, 300, 150, nullptr, 0, "25%"},
        {"position", PBS_GRAD_POSITION, 0, 200, 33, nullptr, 0, "33"},
        {"no text", 0, 0, 100, 50, nullptr, 0, ""},
        {"a page's percent format", 0, 0, 100, 70, "Signal %d%%", 0x100, "Signal 70%"},
        {"caller's text", 0, 0, 100, 70, "Scanning", 0x300, "Scanning"},
        {"an empty text clears the mode", PBS_GRAD_PERCENT, 0, 100, 70, "", 0x100, ""},
        {"a zero style clears the text", PBS_GRAD_PERCENT, 0, 100, 70, "x %d", 0, ""},
        {"only %d is a conversion", 0, 0, 100, 5, "%s %n %x %5d%%", 0x100, "%s %n %x     5%"},
        {"flags and width are bounded", 0, 0, 100, 5, "%--------------------d|%0000000000000000000009d", 0x100,
         "%--------------------d|%0000000000000000000009d"},
    };
    for (const Case& c : cases) {
        Make(c.style);
        bar.SetRange(c.lower, c.upper);
        bar.SetPos(c.pos);
        if (c.setText) bar.SetText(c.setText, c.textStyle);
        EXPECT_EQ(c.shown, TextOf(bar.m_hWnd)) << c.what;
        EXPECT_EQ(c.shown, std::string(bar.m_strToolTip)) << c.what << ": the tooltip follows";
        bar.DestroyWindow();
    }

    // WM_SETTEXT stores a format for the mode in force
    Make(PBS_GRAD_POSITION);
    bar.SetPos(42);
    EXPECT_TRUE(bar.SendMessage(WM_SETTEXT, 0, (LPARAM)"Channel %d"));
    EXPECT_EQ("Channel 42", TextOf(bar.m_hWnd));
    char small[5] = "";
    bar.SendMessage(WM_GETTEXT, sizeof(small), (LPARAM)small);
    EXPECT_STREQ("Chan", small);
    bar.DestroyWindow();
}

TEST_F(ProgressBar, RangeAndPositionRulesAndTheMessagesResults)
{
    Make(0);
    bar.SetRange(100, 0);
    PBRANGE range = {};
    EXPECT_EQ(0, bar.SendMessage(PBM_GETRANGE, TRUE, (LPARAM)&range));
    EXPECT_EQ(100, bar.SendMessage(PBM_GETRANGE, FALSE, 0));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(100, range.iHigh);

    bar.SetPos(20);
    EXPECT_EQ(20, bar.SetPos(150)) << "the old position";
    EXPECT_EQ(100, bar.SendMessage(PBM_GETPOS));
    EXPECT_EQ(100, bar.SendMessage(PBM_SETPOS, (WPARAM)-5));
    EXPECT_EQ(0, bar.GetPos());

    EXPECT_EQ(MAKELONG(0, 100), bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(10, 60)));
    EXPECT_EQ(10, bar.GetPos()) << "re-applied within the new range";
    EXPECT_EQ(MAKELONG(10, 60), bar.SendMessage(PBM_SETRANGE32, (WPARAM)-50, 50));
    EXPECT_EQ(-50, bar.SendMessage(PBM_GETRANGE, TRUE, 0));

    EXPECT_EQ(10, bar.SendMessage(PBM_SETSTEP, 7));
    EXPECT_EQ(10, bar.SendMessage(PBM_STEPIT));
    EXPECT_EQ(17, bar.GetPos());
    EXPECT_EQ(17, bar.SendMessage(PBM_DELTAPOS, (WPARAM)-200));
    EXPECT_EQ(-50, bar.GetPos());
    bar.SendMessage(WM_TIMER, PBT_GRAD_STEP);
    EXPECT_EQ(-43, bar.GetPos()) << "timer 11 steps the bar";

    EXPECT_EQ((LRESULT)CLR_DEFAULT, bar.SendMessage(PBM_SETBARCOLOR, 0, kRed));
    EXPECT_EQ((LRESULT)CLR_DEFAULT, bar.SendMessage(PBM_SETBKCOLOR, 0, kGrey));
    EXPECT_EQ(0, bar.SendMessage(WM_GETFONT));
    bar.SendMessage(WM_SETFONT, (WPARAM)(HFONT)font, FALSE);
    EXPECT_EQ((LRESULT)(HFONT)font, bar.SendMessage(WM_GETFONT));
    EXPECT_TRUE(bar.SendMessage(WM_ERASEBKGND, (WPARAM)GetDC(nullptr))) << "no erase";

    // an empty range draws nothing and shows 0 %
    bar.SetRange(5, 5);
    bar.ModifyStyle(0, PBS_GRAD_PERCENT);
    EXPECT_EQ("0%", TextOf(bar.m_hWnd));
    Shot s = Show();
    EXPECT_EQ(0, s.CountInRow(5, 0, s.w, kRed));
    bar.DestroyWindow();
}

TEST_F(ProgressBar, BarColoursGradientsAndDirections)
{
    Make(0);
    bar.SendMessage(PBM_SETBKCOLOR, 0, kGrey);
    bar.SendMessage(PBM_SETBARCOLOR, 0, kRed);
    bar.SetPos(50);
    Shot s = Show();
    EXPECT_EQ(100, s.CountInRow(15, 0, 100, kRed)) << "one colour: a solid bar";
    EXPECT_EQ(100, s.CountInRow(15, 100, 200, kGrey));

    // red to blue squeezed into the filled part
    bar.SendMessage(PBM_SETBARCOLOR, kBlue, kRed);
    s = Show();
    EXPECT_EQ(kRed, s.At(0, 15));
    EXPECT_GT(GetBValue(s.At(99, 15)), 240);
    EXPECT_EQ(kGrey, s.At(100, 15));
    // laid over the whole control, the filled half ends in the middle colour
    bar.ModifyStyle(0, PBS_GRAD_FIXED);
    s = Show();
    EXPECT_EQ(kRed, s.At(0, 15));
    EXPECT_NEAR(128, GetBValue(s.At(99, 15)), 3);
    EXPECT_NEAR(128, GetRValue(s.At(99, 15)), 3);
    SaveShot(bar.m_hWnd, "progress_fixed_gradient_half");

    // the phase scrolls the fixed gradient along the bar, wrapping round
    bar.SetPos(100);
    bar.m_nAnimStep = 10;
    for (int i = 0; i < 5; ++i) bar.SendMessage(WM_TIMER, PBT_GRAD_ANIMATE);
    EXPECT_EQ(50, bar.m_nPhase);
    s = Show();
    EXPECT_EQ(kRed, s.At(100, 15)) << "the gradient starts half a bar further on";
    EXPECT_NEAR(128, GetRValue(s.At(0, 15)), 3) << "its second half wraps to the start";
    for (int i = 0; i < 5; ++i) bar.SendMessage(WM_TIMER, PBT_GRAD_ANIMATE);
    EXPECT_EQ(0, bar.m_nPhase) << "modulo the range";

    // reversed: fills from the right
    bar.m_nPhase = 0;
    bar.ModifyStyle(PBS_GRAD_FIXED, PBS_GRAD_REVERSE);
    bar.SetPos(25);
    s = Show();
    EXPECT_EQ(kRed, s.At(199, 15));
    EXPECT_EQ(kGrey, s.At(149, 15));
    EXPECT_NE(kGrey, s.At(150, 15));
    bar.DestroyWindow();

    // vertical: from the bottom, or from the top when reversed
    for (bool reverse : {false, true}) {
        Make(PBS_GRAD_VERTICAL | (reverse ? PBS_GRAD_REVERSE : 0), CRect(10, 10, 40, 110));
        bar.SendMessage(PBM_SETBKCOLOR, 0, kGrey);
        bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
        bar.SetPos(30);
        s = Show();
        int filled = 0;
        for (int y = 0; y < 100; ++y) filled += s.At(15, y) == kBlue;
        EXPECT_EQ(30, filled);
        EXPECT_EQ(kBlue, s.At(15, reverse ? 0 : 99));
        EXPECT_EQ(kGrey, s.At(15, reverse ? 99 : 0));
        bar.DestroyWindow();
    }
}

TEST_F(ProgressBar, TheTextChangesColourWhereItCrossesTheBarsEnd)
{
    Make(PBS_GRAD_PERCENT);
    bar.SendMessage(WM_SETFONT, (WPARAM)(HFONT)font, FALSE);
    bar.SendMessage(PBM_SETBKCOLOR, 0, kGrey);
    bar.SendMessage(PBM_SETBARCOLOR, 0, RGB(0, 0, 128));
    bar.m_crTextOverBar = RGB(255, 255, 255);
    bar.m_crTextOverBackground = RGB(0, 0, 0);
    bar.SetPos(50);
    Shot s = Show();
    CRect left(0, 0, 100, 30), right(100, 0, 200, 30);
    EXPECT_GT(s.CountInRect(left, RGB(255, 255, 255)), 10);
    EXPECT_EQ(0, s.CountInRect(left, RGB(0, 0, 0)));
    EXPECT_GT(s.CountInRect(right, RGB(0, 0, 0)), 10);
    EXPECT_EQ(0, s.CountInRect(right, RGB(255, 255, 255)));
    SaveShot(bar.m_hWnd, "progress_text_crossing");

    // aligned to the bar's end: the text ends where the bar does
    bar.ModifyStyle(PBS_GRAD_TEXT_ALIGN, PBS_GRAD_TEXT_AT_END | PBS_GRAD_TEXT_RIGHT);
    s = Show();
    EXPECT_GT(s.CountInRect(CRect(60, 0, 100, 30), RGB(255, 255, 255)), 10);
    EXPECT_EQ(0, s.CountInRect(right, RGB(0, 0, 0)));
    bar.DestroyWindow();
}

TEST_F(ProgressBar, TheSnakeMovesAlongAndComesBackReversed)
{
    Make(PBS_GRAD_SNAKE);
    bar.SendMessage(PBM_SETBKCOLOR, 0, kGrey);
    bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
    EXPECT_EQ(40, bar.m_nSnakeLength);
    // (position, tail, first and last blue pixel of the 200-pixel bar) after each step of 10
    struct Step { int pos, tail, from, to; bool reversed; } steps[] = {
        {10, 0, 0, 20, false},    {20, 0, 0, 40, false},    {50, 10, 20, 100, false},
        {100, 60, 120, 200, false}, {110, 70, 140, 200, false}, {140, 100, -1, -1, false},
        {10, 0, 180, 200, true},  {20, 0, 160, 200, true},
    };
    int done = 0;
    for (const Step& st : steps) {
        while (bar.GetPos() != st.pos && done < 100) {
            bar.StepIt();
            ++done;
            if (bar.GetPos() == st.pos) break;
        }
        EXPECT_EQ(st.pos, bar.GetPos());
        EXPECT_EQ(st.tail, bar.m_nTail) << "position " << st.pos;
        EXPECT_EQ(st.reversed, (bar.GetStyle() & PBS_GRAD_REVERSE) != 0) << "position " << st.pos;
        Shot s = Show();
        int first = -1, last = -1;
        for (int x = 0; x < 200; ++x)
            if (s.At(x, 15) == kBlue) { if (first < 0) first = x; last = x + 1; }
        EXPECT_EQ(st.from, first) << "position " << st.pos;
        EXPECT_EQ(st.to, last) << "position " << st.pos;
        if (st.pos == 50 && !st.reversed) SaveShot(bar.m_hWnd, "progress_snake");
    }
    bar.DestroyWindow();
}

// Every channel of a gradient band steps on its own, rising, falling or
// staying: over 255 pixels a change of 255 is one step a pixel.
TEST(GradientFill, EachColourChannelFollowsItsOwnRamp)
{
    struct Case {
        const char* what;
        COLORREF from, to;
        int dr, dg, db;        // the step of each channel per pixel: +1, -1 or 0
    } cases[] = {
        {"red rises, green falls, blue stays", RGB(0, 255, 100), RGB(255, 0, 100), 1, -1, 0},
        {"green rises, blue falls, red stays", RGB(100, 0, 255), RGB(100, 255, 0), 0, 1, -1},
        {"blue rises, red falls, green stays", RGB(255, 100, 0), RGB(0, 100, 255), -1, 0, 1},
        {"only red changes", RGB(255, 30, 60), RGB(0, 30, 60), -1, 0, 0},
        {"only green changes", RGB(30, 0, 60), RGB(30, 255, 60), 0, 1, 0},
        {"only blue changes", RGB(30, 60, 0), RGB(30, 60, 255), 0, 0, 1},
    };
    HDC screen = GetDC(nullptr);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 255;
    bi.bmiHeader.biHeight = -4;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    DWORD* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, (void**)&bits, nullptr, 0);
    ASSERT_NE(nullptr, dib);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    HGDIOBJ old = dc.SelectObject(dib);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CGradientFill fill;
        fill.SetGradientColors(2, c.from, c.to);
        fill.FillGradient(&dc, CRect(0, 0, 255, 4), 0, 255);
        GdiFlush();
        for (int x = 0; x < 255; ++x) {
            DWORD px = bits[2 * 255 + x];   // 0x00RRGGBB
            int r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
            ASSERT_EQ(GetRValue(c.from) + c.dr * x, r) << "red at " << x;
            ASSERT_EQ(GetGValue(c.from) + c.dg * x, g) << "green at " << x;
            ASSERT_EQ(GetBValue(c.from) + c.db * x, b) << "blue at " << x;
        }
    }
    dc.SelectObject(old);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
}

TEST_F(ProgressBar, MarginsKeepTheBarInside)
{
    Make(0);
    bar.m_rcMargins = CRect(5, 4, 5, 4);
    bar.SendMessage(PBM_SETBKCOLOR, 0, kGrey);
    bar.SendMessage(PBM_SETBARCOLOR, 0, kBlue);
    bar.SetPos(100);
    Shot s = Show();
    EXPECT_EQ(kGrey, s.At(4, 15));
    EXPECT_EQ(kBlue, s.At(5, 15));
    EXPECT_EQ(kBlue, s.At(194, 15));
    EXPECT_EQ(kGrey, s.At(195, 15));
    EXPECT_EQ(kGrey, s.At(100, 3));
    EXPECT_EQ(kBlue, s.At(100, 4));
    bar.DestroyWindow();
}

// The tooltip window is made when the mouse first moves over the bar (the
// message reaches it through the program's message filter); it shows the
// bar's text and follows it.
TEST_F(ProgressBar, ItsTooltipAppearsWithTheMouseAndFollowsTheText)
{
    Make(PBS_GRAD_PERCENT);
    bar.SetPos(50);
    EXPECT_EQ(nullptr, bar.m_toolTip.GetSafeHwnd()) << "no mouse yet";
    bar.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    ASSERT_TRUE(widgettest::PumpUntil([&] { return bar.m_toolTip.GetSafeHwnd() != nullptr; }, 20000));
    EXPECT_EQ(1, bar.m_toolTip.GetToolCount());
    EXPECT_STREQ("50%", bar.m_toolTip.GetText(&bar, (UINT_PTR)bar.m_hWnd).GetString());
    bar.SetPos(70);
    EXPECT_STREQ("70%", bar.m_toolTip.GetText(&bar, (UINT_PTR)bar.m_hWnd).GetString());
    HWND tip = bar.m_toolTip.m_hWnd;
    bar.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
    Pump();   // this thread's own posted move, handled with all before it
    EXPECT_EQ(tip, bar.m_toolTip.m_hWnd) << "one tooltip window";
    bar.DestroyWindow();
    EXPECT_FALSE(IsWindow(tip));
}

// The bar paints through a picture of its own size, kept between paints: a
// bar that grows or shrinks paints its new size whole.
TEST_F(ProgressBar, ABarThatChangesSizePaintsItsNewSizeWhole)
{
    Make(0, CRect(10, 10, 110, 40));
    bar.SendMessage(PBM_SETBKCOLOR, 0, kGrey);
    bar.SendMessage(PBM_SETBARCOLOR, 0, kRed);
    bar.SetPos(100);
    Shot s = Show();
    EXPECT_EQ(100, s.CountInRow(15, 0, 100, kRed));
    for (int width : { 240, 60 }) {
        bar.MoveWindow(10, 10, width, 30, TRUE);
        s = Show();
        ASSERT_EQ(width, s.w);
        EXPECT_EQ(width, s.CountInRow(15, 0, width, kRed)) << width;
        EXPECT_EQ(width, s.CountInRow(29, 0, width, kRed)) << width << ": the last row";
    }
    bar.SetPos(50);
    s = Show();
    EXPECT_EQ(30, s.CountInRow(15, 0, 60, kRed));
    EXPECT_EQ(30, s.CountInRow(15, 0, 60, kGrey));
    bar.DestroyWindow();
}

TEST_F(ProgressBar, PicturesOfItsStates)
{
    const COLORREF green = RGB(0, 160, 0), lightBlue = RGB(120, 200, 255);
    // Along the bar's top row, away from the text: where the fill lies and
    // which colours it has at its start, middle and end.
    struct Look {
        const char* name;
        DWORD style;
        int pos;
        int colours;
        const char* text;
        int from, to;                   // filled pixels [from, to) of 250
        COLORREF atStart, atMiddle;     // the colour where the fill starts; CLR_INVALID: not checked
    } looks[] = {
        {"progress_percent_three_colours", PBS_GRAD_PERCENT, 70, 3, "70%", 0, 175, green, lightBlue},
        {"progress_position_text", PBS_GRAD_POSITION, 35, 2, "35", 0, 87, green, CLR_INVALID},
        {"progress_fixed_full", PBS_GRAD_PERCENT | PBS_GRAD_FIXED, 100, 3, "100%", 0, 250, green, lightBlue},
        {"progress_reverse", PBS_GRAD_PERCENT | PBS_GRAD_REVERSE, 40, 3, "40%", 150, 250, green, lightBlue},
        {"progress_empty", PBS_GRAD_PERCENT, 0, 3, "0%", 0, 0, CLR_INVALID, CLR_INVALID},
    };
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    for (const Look& l : looks) {
        SCOPED_TRACE(l.name);
        Make(l.style, CRect(10, 10, 260, 34));
        CFont normal;
        normal.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
        bar.SendMessage(WM_SETFONT, (WPARAM)(HFONT)normal, FALSE);
        if (l.colours == 3) bar.SetGradientColors(3, green, lightBlue, green);
        else bar.SetGradientColors(2, green, lightBlue);
        bar.SetPos(l.pos);
        Shot s = Show();
        EXPECT_TRUE(SaveShot(bar.m_hWnd, l.name));
        EXPECT_EQ(l.text, TextOf(bar.m_hWnd));
        for (int x = 0; x < 250; ++x) {
            bool filled = x >= l.from && x < l.to;
            ASSERT_EQ(filled, s.At(x, 1) != face) << "x " << x;
        }
        if (l.atStart != CLR_INVALID) {
            // The fill starts at the left end, or at the right end reversed.
            EXPECT_EQ(l.atStart, s.At(l.style & PBS_GRAD_REVERSE ? l.to - 1 : l.from, 1));
        }
        if (l.atMiddle != CLR_INVALID) {
            EXPECT_GT(GetBValue(s.At((l.from + l.to) / 2, 1)), 240) << "the middle colour, light blue";
        }
        // The text in the middle, over the fill or the background.
        int ink = 0;
        for (int y = 4; y < 20; ++y)
            for (int x = 105; x < 145; ++x) ink += s.At(x, y) != s.At(x, 1);
        EXPECT_GT(ink, 10) << "the text is drawn";
        bar.DestroyWindow();
    }
    // a vertical bar with its text turned to run upward
    Make(PBS_GRAD_VERTICAL | PBS_GRAD_PERCENT, CRect(10, 10, 40, 160));
    CFont upward;
    upward.CreateFont(-13, 0, 900, 900, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    bar.SendMessage(WM_SETFONT, (WPARAM)(HFONT)upward, FALSE);
    bar.m_crTextOverBar = RGB(255, 255, 255);
    bar.SetGradientColors(3, RGB(0, 160, 0), RGB(120, 200, 255), RGB(0, 160, 0));
    bar.SetPos(60);
    Shot s = Show();
    int white = s.CountInRect(CRect(0, 0, 30, 150), RGB(255, 255, 255));
    EXPECT_GT(white, 20) << "the text, centred on the bar";
    EXPECT_TRUE(SaveShot(bar.m_hWnd, "progress_vertical_rotated_text"));
    bar.DestroyWindow();
}

} // namespace
