// The owner-drawn button subclassed onto real buttons of a real dialog, read
// by its pixels and by what reaches the dialog.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "WidgetTestSupport.h"
#include "resource.h"
#include "widgets/OwnerDrawButton.h"

using namespace widgettest;

namespace {

#define IDM_TEST_DROPDOWN 9001

const COLORREF kIn = RGB(250, 210, 120), kOut = RGB(200, 220, 240), kFocus = RGB(150, 240, 150);

struct ButtonTest : ::testing::Test {
    HostDialog host{420, 300, 120, 120, "buttons"};
    CEdit elsewhere;   // holds the focus away from the buttons

    void SetUp() override
    {
        ASSERT_TRUE(elsewhere.Create(WS_VISIBLE | WS_BORDER | WS_TABSTOP, CRect(300, 260, 400, 282), &host, 99));
        elsewhere.SetFocus();
    }
    void Make(COwnerDrawButton& b, UINT id, DWORD style, CRect r, const char* text = "")
    {
        ASSERT_TRUE(b.Create(text, WS_VISIBLE | WS_TABSTOP | style, r, &host, id));
        b.SetFont(host.GetFont());
        b.SetColor(COwnerDrawButton::COLOR_BK_IN, kIn, FALSE);
        b.SetColor(COwnerDrawButton::COLOR_BK_OUT, kOut, FALSE);
        b.SetColor(COwnerDrawButton::COLOR_BK_FOCUS, kFocus, FALSE);
    }
    static void Paint(CWnd& w)
    {
        w.RedrawWindow();
        PumpPending();
    }
    int Clicks(UINT id) const
    {
        int n = 0;
        for (auto& c : host.commands)
            if (c.first == id && c.second == BN_CLICKED) ++n;
        return n;
    }
};

TEST_F(ButtonTest, SettersAnswerTheirErrorCodesAndChangeNothingOnError)
{
    COwnerDrawButton b;
    Make(b, 200, BS_PUSHBUTTON, CRect(10, 10, 90, 40));
    COLORREF c = 0;
    EXPECT_EQ(3u, b.SetColor(6, RGB(1, 2, 3)));
    EXPECT_EQ(3u, b.GetColor(6, &c));
    for (BYTE i = 0; i < 6; ++i) {
        ASSERT_EQ(0u, b.GetColor(i, &c));
        EXPECT_NE(RGB(1, 2, 3), c) << (int)i;
    }
    EXPECT_EQ(5u, b.OffsetColor(0, 300));
    EXPECT_EQ(5u, b.OffsetColor(0, -256));
    EXPECT_EQ(3u, b.OffsetColor(6, 10));
    b.GetColor(0, &c);
    EXPECT_EQ(kIn, c);
    EXPECT_EQ(4u, b.SetAlign(4));
    EXPECT_EQ(0u, b.SetAlign(3));
    EXPECT_EQ(6u, b.SetPressedStyle(2));
    EXPECT_EQ(0u, b.SetPressedStyle(1));
    EXPECT_EQ(1u, b.SetIcon(4711, 0));       // no such icon
    EXPECT_EQ(1u, b.SetMenu(4711, host));    // no such menu
    EXPECT_EQ(1u, b.SetMenu(IDM_TEST_DROPDOWN, host, TRUE, 4711));   // no such toolbar
    EXPECT_EQ(0u, b.SetMenuCallback(host, WM_APP, 0));
    EXPECT_EQ(0u, b.SetURL(nullptr));
}

TEST_F(ButtonTest, OffsetColorKeepsProportionsAndStopsTheNearestComponentAtItsBound)
{
    struct Case {
        COLORREF from;
        short shade;
        COLORREF to;
    } cases[] = {
        {RGB(250, 100, 0), 40, RGB(255, 105, 5)},
        {RGB(20, 100, 200), -40, RGB(0, 80, 180)},
        {RGB(100, 100, 100), 255, RGB(255, 255, 255)},
        {RGB(100, 120, 140), -255, RGB(0, 20, 40)},
        {RGB(10, 20, 30), 0, RGB(10, 20, 30)},
        {RGB(255, 0, 0), 10, RGB(255, 0, 0)},
    };
    COwnerDrawButton b;
    Make(b, 200, BS_PUSHBUTTON, CRect(10, 10, 90, 40));
    for (const Case& k : cases) {
        b.SetColor(2, k.from);
        EXPECT_EQ(0u, b.OffsetColor(2, k.shade));
        COLORREF got = 0;
        b.GetColor(2, &got);
        EXPECT_EQ(k.to, got) << Rgb(k.from) << " " << k.shade << " gave " << Rgb(got);
    }
    // the face shows the shifted colour
    b.SetColor(2, RGB(250, 100, 0));
    b.OffsetColor(2, 40);
    Paint(b);
    EXPECT_EQ(RGB(255, 105, 5), Capture(b).At(40, 15));
}

// Pixels of the icon: 32-bit with the alpha the icon file has.
std::vector<DWORD> IconPixels(int id, int& w, int& h)
{
    HICON icon = (HICON)LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0);
    ICONINFO ii = {};
    GetIconInfo(icon, &ii);
    BITMAP bm = {};
    GetObjectA(ii.hbmColor, sizeof(bm), &bm);
    w = bm.bmWidth;
    h = bm.bmHeight;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> px((size_t)w * h);
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, ii.hbmColor, 0, h, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    DestroyIcon(icon);
    return px;
}

TEST_F(ButtonTest, OutIconCopiesAreGreyOrDarkerAndKeepBlack)
{
    int w = 0, h = 0;
    std::vector<DWORD> px = IconPixels(IDI_RADIO_ON, w, h);
    ASSERT_EQ(32, w);
    struct Case {
        int outId;
        const char* name;
        COLORREF (*expect)(BYTE, BYTE, BYTE);
    } cases[] = {
        {COwnerDrawButton::ICON_OUT_GREY, "grey",
         [](BYTE r, BYTE g, BYTE b) {
             int v = (int)(0.299 * r + 0.587 * g + 0.114 * b);
             return RGB(v, v, v);
         }},
        {COwnerDrawButton::ICON_OUT_DARKER, "darker",
         [](BYTE r, BYTE g, BYTE b) { return RGB((int)(r * 0.75), (int)(g * 0.75), (int)(b * 0.75)); }},
    };
    for (const Case& c : cases) {
        COwnerDrawButton b;
        Make(b, 201, BS_PUSHBUTTON, CRect(10, 10, 70, 70));
        ASSERT_EQ(0u, b.SetIcon(IDI_RADIO_ON, c.outId)) << c.name;
        Paint(b);
        Capture out(b);
        out.SavePng(std::string("button_icon_out_") + c.name);
        int checked = 0, black = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                DWORD p = px[(size_t)y * w + x];
                if ((p >> 24) != 0xFF)
                    continue;   // only opaque pixels show their colour unblended
                BYTE r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, bl = p & 0xFF;
                COLORREF want = (r | g | bl) ? c.expect(r, g, bl) : RGB(0, 0, 0);
                black += (r | g | bl) == 0;
                // no text: the 32 x 32 image is centred in the 60 x 60 button
                ASSERT_EQ(want, out.At(14 + x, 14 + y)) << c.name << " at " << x << "," << y;
                ++checked;
            }
        EXPECT_GT(checked, 300) << c.name;
        EXPECT_GT(black, 50) << c.name;
        // the in-icon itself while the mouse is over the button
        HoverOver(b, 40, 40);
        ASSERT_TRUE(b.IsHovered()) << c.name;
        Paint(b);
        Capture in(b);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                DWORD p = px[(size_t)y * w + x];
                if ((p >> 24) == 0xFF) {
                    ASSERT_EQ(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF), in.At(14 + x, 14 + y));
                }
            }
        b.CancelHover();
    }
}

// Buttons that show the same picture share it: one going away (or taking
// another picture) leaves the others' pictures whole.
TEST_F(ButtonTest, ButtonsShowingOnePictureKeepItWhenAnotherGoesOrChanges)
{
    int w = 0, h = 0;
    std::vector<DWORD> px = IconPixels(IDI_RADIO_ON, w, h);
    auto showsTheIcon = [&](COwnerDrawButton& b, const char* what) {
        Paint(b);
        Capture shot(b);
        int checked = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                DWORD p = px[(size_t)y * w + x];
                if ((p >> 24) != 0xFF) continue;
                ASSERT_EQ(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF), shot.At(14 + x, 14 + y))
                    << what << " at " << x << "," << y;
                ++checked;
            }
        EXPECT_GT(checked, 300) << what;
    };
    COwnerDrawButton kept;
    Make(kept, 210, BS_PUSHBUTTON, CRect(10, 10, 70, 70));
    ASSERT_EQ(0u, kept.SetIcon(IDI_RADIO_ON, 0));
    {
        COwnerDrawButton gone;
        Make(gone, 211, BS_PUSHBUTTON, CRect(80, 10, 140, 70));
        ASSERT_EQ(0u, gone.SetIcon(IDI_RADIO_ON, 0));
        showsTheIcon(gone, "the second button");
        ASSERT_EQ(0u, gone.SetIcon(IDI_RADIO_OFF, COwnerDrawButton::ICON_OUT_GREY));
    }
    showsTheIcon(kept, "after the second took another picture and went");
    kept.SetIcon(IDI_RADIO_ON, 0);
    showsTheIcon(kept, "set again");
}

TEST_F(ButtonTest, BorderAndFaceOfEachStateFollowTheLinesAndColours)
{
    const COLORREF hi = GetSysColor(COLOR_3DHILIGHT), light = GetSysColor(COLOR_3DLIGHT),
                   dk = GetSysColor(COLOR_3DDKSHADOW), sh = GetSysColor(COLOR_3DSHADOW);
    enum State { Plain, Pressed, Hovered };
    struct Case {
        const char* name;
        BOOL flat;
        State state;
        // pixels at (x, y) of an 80 x 30 button; x or y of -1 means the last column or row
        struct Px { int x, y; COLORREF c; } px[8];
    } cases[] = {
        {"raised", FALSE, Plain,
         {{0, 15, hi}, {40, 0, hi}, {1, 15, light}, {40, 1, light}, {40, -1, dk}, {-1, 15, dk},
          {40, -2, sh}, {40, 15, kOut}}},
        {"raised_pressed", FALSE, Pressed,
         {{0, 15, sh}, {40, 0, sh}, {-1, 15, sh}, {40, -1, sh}, {1, 15, kIn}, {40, 15, kIn}, {2, 2, kIn}, {-2, 15, kIn}}},
        {"flat", TRUE, Plain,
         {{0, 15, kOut}, {40, 0, kOut}, {-1, 15, kOut}, {40, -1, kOut}, {40, 15, kOut}, {0, 0, kOut}, {-1, -1, kOut}, {1, 1, kOut}}},
        {"flat_hovered", TRUE, Hovered,
         {{0, 15, hi}, {40, 0, hi}, {-1, 15, sh}, {40, -1, sh}, {40, 15, kIn}, {1, 1, kIn}, {-2, -2, kIn}, {1, 15, kIn}}},
        {"flat_pressed", TRUE, Pressed,
         {{0, 15, sh}, {40, 0, sh}, {-1, 15, hi}, {40, -1, hi}, {40, 15, kIn}, {1, 1, kIn}, {-2, -2, kIn}, {1, 15, kIn}}},
    };
    for (const Case& c : cases) {
        COwnerDrawButton b;
        Make(b, 202, BS_PUSHBUTTON, CRect(20, 20, 100, 50));
        b.SetFlat(c.flat);
        if (c.state == Pressed)
            b.SendMessage(BM_SETSTATE, TRUE);
        if (c.state == Hovered) {
            HoverOver(b, 40, 15);
            ASSERT_TRUE(b.IsHovered()) << c.name;
        }
        Paint(b);
        Capture shot(b);
        shot.SavePng(std::string("button_") + c.name);
        for (const auto& p : c.px) {
            int x = p.x < 0 ? shot.Width() + p.x : p.x, y = p.y < 0 ? shot.Height() + p.y : p.y;
            EXPECT_EQ(p.c, shot.At(x, y)) << c.name << " at " << x << "," << y << ": " << Rgb(shot.At(x, y));
        }
        if (c.state == Hovered) {
            // the cursor leaves: the border goes
            MoveMouseAway(b);
            EXPECT_FALSE(b.IsHovered());
            Paint(b);
            EXPECT_EQ(kOut, Capture(b).At(0, 15));
        }
    }
}

TEST_F(ButtonTest, FocusedFlatButtonDrawsNoFocusRectangleUnlessFlatFocusIsSet)
{
    struct Case {
        BOOL flat, flatFocus;
        bool rect;
        const char* name;
    } cases[] = { {TRUE, FALSE, false, "flat"}, {TRUE, TRUE, true, "flat_with_flat_focus"},
                  {FALSE, FALSE, true, "raised"} };
    for (const Case& c : cases) {
        COwnerDrawButton b;
        Make(b, 203, BS_PUSHBUTTON, CRect(20, 60, 120, 100));
        b.SetFlat(c.flat);
        b.DrawFlatFocus(c.flatFocus);
        b.SetFocus();
        Paint(b);
        Capture shot(b);
        shot.SavePng(std::string("button_focused_") + c.name);
        // the focus rectangle's top line runs 3 pixels in (4 on a raised button, inside its black frame)
        int inset = c.flat ? 3 : 4;
        COLORREF face = kFocus;
        int dotted = 0;
        for (int x = inset + 1; x < shot.Width() - inset - 1; ++x)
            dotted += shot.At(x, inset) != face;
        if (c.rect)
            EXPECT_GT(dotted, 20) << c.name;
        else
            EXPECT_EQ(0, dotted) << c.name;
        elsewhere.SetFocus();
    }
}

TEST_F(ButtonTest, RadioClickUnchecksEveryOtherButtonOfItsGroupInBothDirections)
{
    COwnerDrawButton r[4], outside;
    Make(r[0], 301, BS_RADIOBUTTON | WS_GROUP, CRect(10, 10, 110, 34), "first");
    Make(r[1], 302, BS_RADIOBUTTON, CRect(10, 40, 110, 64), "second");
    Make(r[2], 303, BS_AUTORADIOBUTTON, CRect(10, 70, 110, 94), "third");
    Make(r[3], 304, BS_RADIOBUTTON, CRect(10, 100, 110, 124), "fourth");
    Make(outside, 305, BS_RADIOBUTTON | WS_GROUP, CRect(10, 140, 110, 164), "other group");
    outside.SetCheck(TRUE);
    EXPECT_EQ(BST_CHECKED, outside.SendMessage(BM_GETCHECK));
    const int order[] = {0, 3, 1, 2, 0, 2};
    for (int clicked : order) {
        r[clicked].SendMessage(BM_CLICK);
        PumpPending();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(i == clicked ? BST_CHECKED : BST_UNCHECKED, (int)r[i].SendMessage(BM_GETCHECK))
                << "after clicking " << clicked << ", button " << i;
        EXPECT_EQ(BST_CHECKED, outside.SendMessage(BM_GETCHECK));
        EXPECT_EQ((HWND)r[clicked], GetFocus());
    }
    EXPECT_TRUE(r[0].SendMessage(WM_GETDLGCODE) & DLGC_RADIOBUTTON);
    Screenshot(host, "button_radio_group");
}

TEST_F(ButtonTest, CheckModeTogglesAndPushButtonsHaveNoCheckState)
{
    COwnerDrawButton check, push;
    Make(check, 310, BS_CHECKBOX, CRect(10, 10, 110, 34), "check");
    Make(push, 311, BS_PUSHBUTTON, CRect(10, 40, 110, 64), "push");
    EXPECT_EQ(BST_UNCHECKED, check.SendMessage(BM_GETCHECK));
    check.SendMessage(BM_CLICK);
    EXPECT_EQ(BST_CHECKED, check.SendMessage(BM_GETCHECK));
    Paint(check);
    Capture(check).SavePng("button_check_checked");
    // drawn pressed: the face of the "in" colour
    EXPECT_EQ(kIn, Capture(check).At(50, 2));
    check.SendMessage(BM_CLICK);
    EXPECT_EQ(BST_UNCHECKED, check.SendMessage(BM_GETCHECK));
    check.SendMessage(BM_SETCHECK, BST_INDETERMINATE);
    EXPECT_TRUE(check.GetCheck());
    push.SendMessage(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(0, push.SendMessage(BM_GETCHECK));
    push.SetCheck(TRUE);
    EXPECT_FALSE(push.GetCheck());
    EXPECT_TRUE(push.GetStyle() & BS_OWNERDRAW);
}

TEST_F(ButtonTest, EveryClickCountsAndADoubleClickIsASecondClick)
{
    COwnerDrawButton b;
    Make(b, 320, BS_PUSHBUTTON, CRect(10, 10, 110, 40), "twice");
    g_bButtonClicked = FALSE;
    LPARAM at = MAKELPARAM(20, 10);
    b.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    b.PostMessage(WM_LBUTTONUP, 0, at);
    b.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    b.PostMessage(WM_LBUTTONUP, 0, at);
    // Posted: the second click is there once the double click is handled.
    EXPECT_TRUE(PumpUntil([&] { return Clicks(320) >= 2; }, 20000));
    EXPECT_EQ(2, Clicks(320));
    for (auto& c : host.commands)
        EXPECT_NE((UINT)BN_DOUBLECLICKED, c.second);
    EXPECT_TRUE(g_bButtonClicked);
    g_bButtonClicked = FALSE;
}

TEST_F(ButtonTest, DefaultButtonStateFollowsTheDialogManager)
{
    COwnerDrawButton def, other;
    Make(def, 330, BS_DEFPUSHBUTTON, CRect(10, 10, 110, 40), "default");
    Make(other, 331, BS_PUSHBUTTON, CRect(10, 50, 110, 80), "other");
    def.SetFlat(FALSE);
    EXPECT_EQ((LRESULT)DLGC_DEFPUSHBUTTON, def.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
    EXPECT_EQ((LRESULT)DLGC_UNDEFPUSHBUTTON,
              other.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
    Paint(def);
    EXPECT_EQ(RGB(0, 0, 0), Capture(def).At(50, 0));   // the default button's black frame
    def.SendMessage(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_TRUE(def.GetStyle() & BS_OWNERDRAW);
    EXPECT_EQ((LRESULT)DLGC_UNDEFPUSHBUTTON, def.SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
    Paint(def);
    EXPECT_EQ(GetSysColor(COLOR_3DHILIGHT), Capture(def).At(50, 0));
}

TEST_F(ButtonTest, DisabledCaptionIsEmbossedAndTheFocusMovesOn)
{
    COwnerDrawButton b, next;
    Make(b, 350, BS_PUSHBUTTON, CRect(10, 10, 130, 40), "Disabled");
    Make(next, 351, BS_PUSHBUTTON, CRect(10, 50, 130, 80), "Next");
    b.SetFocus();
    b.EnableWindow(FALSE);
    EXPECT_EQ((HWND)next, GetFocus());
    Paint(b);
    Capture shot(b);
    shot.SavePng("button_disabled");
    const COLORREF hi = GetSysColor(COLOR_3DHILIGHT), sh = GetSysColor(COLOR_3DSHADOW);
    int shadow = 0, lit = 0;
    for (int y = 0; y + 1 < shot.Height(); ++y)
        for (int x = 0; x + 1 < shot.Width(); ++x)
            if (shot.At(x, y) == sh && x > 2 && y > 2 && x < shot.Width() - 3 && y < shot.Height() - 3) {
                ++shadow;
                lit += shot.At(x + 1, y + 1) == hi || shot.At(x + 1, y + 1) == sh;
            }
    EXPECT_GT(shadow, 20);
    EXPECT_EQ(shadow, lit);
}

// The tooltip window comes with the mouse, carrying the text given before.
TEST_F(ButtonTest, TooltipCarriesTheTextOverTheWholeButton)
{
    COwnerDrawButton b;
    Make(b, 360, BS_PUSHBUTTON, CRect(10, 10, 40, 40));
    auto findTip = [] {
        HWND tip = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM p) -> BOOL {
            char cls[64] = "";
            GetClassNameA(w, cls, sizeof(cls));
            if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0) *(HWND*)p = w;
            return TRUE;
        }, (LPARAM)&tip);
        return tip;
    };
    EXPECT_EQ(0u, b.SetTooltipText("Radio on / off"));
    EXPECT_EQ(nullptr, findTip()) << "no tooltip window before the mouse comes";
    b.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    HWND tip = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (tip = findTip()) != nullptr; }, 20000)) << "no tooltip window";
    EXPECT_EQ(1, SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
    char text[128] = "";
    TOOLINFOA ti = {sizeof(ti)};
    ti.hwnd = b;
    ti.uId = 1;
    ti.lpszText = text;
    SendMessageA(tip, TTM_GETTEXTA, sizeof(text), (LPARAM)&ti);
    EXPECT_STREQ("Radio on / off", text);
    ASSERT_TRUE(SendMessageA(tip, TTM_GETTOOLINFOA, 0, (LPARAM)&ti));
    EXPECT_EQ(CRect(0, 0, 30, 30), CRect(ti.rect));
    b.SetTooltipText("About");
    SendMessageA(tip, TTM_GETTEXTA, sizeof(text), (LPARAM)&ti);
    EXPECT_STREQ("About", text);
    EXPECT_EQ(1, SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
}

// Drives the popup menu of this process from another thread, as a user would.
struct MenuDriver {
    std::atomic<bool> shown{false};
    std::thread thread;
    explicit MenuDriver(std::vector<WPARAM> keys, const char* shotName)
    {
        thread = std::thread([this, keys, shotName] {
            HWND menu = nullptr;
            for (DWORD start = GetTickCount(); !menu && GetTickCount() - start < 30000;) {
                for (HWND w = FindWindowA("#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    if (pid == GetCurrentProcessId() && IsWindowVisible(w)) menu = w;
                }
                if (!menu) Sleep(10);
            }
            if (!menu) return;
            shown = true;
            for (WPARAM k : keys) {
                PostMessageA(menu, WM_KEYDOWN, k, 0);
                Sleep(30);
            }
            if (shotName) Capture(menu).SavePng(shotName);
            PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        });
    }
    ~MenuDriver() { thread.join(); }
};

TEST_F(ButtonTest, DropDownMenuSendsTheChosenCommandToItsOwner)
{
    for (BOOL xp : {TRUE, FALSE}) {
        COwnerDrawButton b;
        Make(b, 340, BS_PUSHBUTTON, CRect(10, 10, 130, 40), "Method");
        ASSERT_EQ(0u, b.SetMenu(IDM_TEST_DROPDOWN, host, xp, IDR_TOOLBAR_TTLS, 16, 16, RGB(255, 0, 255)));
        b.SetMenuCallback(host, WM_APP + 7, 77);
        host.commands.clear();
        host.appMessages.clear();
        // The chosen command is posted once the menu's loop has returned.
        auto chosen = [&] {
            for (auto& c : host.commands)
                if (c.first == ID_TTLS_MSCHAP && c.second == 0) return true;
            return false;
        };
        {
            MenuDriver driver({VK_DOWN, VK_DOWN}, xp ? "menu_dropdown_xp" : "menu_dropdown_classic");
            b.PostMessage(BM_CLICK);
            EXPECT_TRUE(PumpUntil([&] { return driver.shown && chosen(); }, 30000)) << (xp ? "xp" : "classic");
        }
        EXPECT_EQ(1, Clicks(340));
        EXPECT_TRUE(chosen()) << (xp ? "xp" : "classic");
        ASSERT_EQ(1u, host.appMessages.size());
        EXPECT_EQ((UINT)(WM_APP + 7), host.appMessages[0].message);
        EXPECT_EQ((WPARAM)GetSubMenu(b.GetMenu(), 0), host.appMessages[0].wParam);
        EXPECT_EQ(77, host.appMessages[0].lParam);
    }
}

} // namespace
