// ShowMessageDlg run for real and answered from a second thread the way a
// user would answer it, and PlaceControl on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "resource.h"
#include "widgets/MessageBoxDlg.h"

namespace {

std::string TextOf(HWND w)
{
    char buf[512] = {0};
    SendMessageA(w, WM_GETTEXT, sizeof(buf), (LPARAM)buf);
    return buf;
}

// What the box looked like when it was answered.
struct Seen {
    bool shown = false;
    std::string caption, text, button;
    RECT rect{};
};

// The visible message box of this process, or nullptr.
HWND FindBox()
{
    for (HWND w = FindWindowA("#32770", "Kestiq"); w; w = FindWindowExA(nullptr, w, "#32770", "Kestiq")) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// The user's wait, on a thread of its own: until `holds` or half a minute.
bool Until(const std::function<bool()>& holds)
{
    for (DWORD start = GetTickCount(); !holds() && GetTickCount() - start < 30000;) Sleep(10);
    return holds();
}

// Shows `text` and answers the box with `answer` once it is on screen.
int ShowAndAnswer(const char* text, const std::function<void(HWND)>& answer, Seen& seen)
{
    std::atomic<bool> done{false};
    std::thread user([&] {
        HWND box = nullptr;
        Until([&] { return done || (box = FindBox()) != nullptr; });
        if (!box) return;
        seen.shown = true;
        seen.caption = TextOf(box);
        seen.text = TextOf(GetDlgItem(box, IDC_MESSAGE_TEXT));
        seen.button = TextOf(GetDlgItem(box, IDOK));
        GetWindowRect(box, &seen.rect);
        answer(box);
        // a box that ignored the answer is closed so that the test ends
        Until([&] { return done.load(); });
        if (!done && IsWindow(box)) PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    int r = ShowMessageDlg(text);
    done = true;
    user.join();
    return r;
}

HWND FocusOf(HWND box)
{
    GUITHREADINFO gti{sizeof(gti)};
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gti);
    return gti.hwndFocus ? gti.hwndFocus : box;
}

void PressKey(HWND box, WPARAM vk)
{
    HWND focus = FocusOf(box);
    PostMessageA(focus, WM_KEYDOWN, vk, 1);
    PostMessageA(focus, WM_KEYUP, vk, 0xC0000001);
}

// The program itself destroys the box (its owner goes away): on the box's own
// thread, from a thread timer that the modal loop dispatches.
void CALLBACK DestroyBoxTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    if (HWND box = FindBox()) {
        KillTimer(nullptr, id);
        DestroyWindow(box);
    }
}

TEST(MessageDlg, ResultTellsOkFromEveryOtherWayOfClosing)
{
    struct Case {
        const char* how;
        std::function<void(HWND)> answer;
        int result;
    } cases[] = {
        {"OK clicked", [](HWND b) { PostMessageA(GetDlgItem(b, IDOK), BM_CLICK, 0, 0); }, IDOK},
        {"Enter on the default button", [](HWND b) { PressKey(b, VK_RETURN); }, IDOK},
        {"close box", [](HWND b) { PostMessageA(b, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"WM_CLOSE", [](HWND b) { PostMessageA(b, WM_CLOSE, 0, 0); }, IDCANCEL},
        {"Escape", [](HWND b) { PressKey(b, VK_ESCAPE); }, IDCANCEL},
        {"cancel command", [](HWND b) { PostMessageA(b, WM_COMMAND, IDCANCEL, 0); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        Seen seen;
        EXPECT_EQ(c.result, ShowAndAnswer("Please insert the wireless card.", c.answer, seen)) << c.how;
        EXPECT_TRUE(seen.shown) << c.how;
        EXPECT_EQ(nullptr, FindBox()) << c.how << ": the box stays on screen";
    }
}

TEST(MessageDlg, ShowsTheTextUnderTheProgramsCaptionCentredOnTheScreen)
{
    const char* texts[] = {
        "Please insert the wireless card.",
        "The profile name already exists.\r\nPlease enter another one.",
        "A long message that does not fit on one line of the box and therefore wraps onto the next line.",
        "",
    };
    for (const char* text : texts) {
        Seen seen;
        EXPECT_EQ(IDOK, ShowAndAnswer(text, [](HWND b) { PostMessageA(GetDlgItem(b, IDOK), BM_CLICK, 0, 0); },
                                      seen));
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ("Kestiq", seen.caption);
        EXPECT_EQ(text, seen.text);
        EXPECT_EQ("OK", seen.button);
        RECT work;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        int dx = (seen.rect.left + seen.rect.right) / 2 - (work.left + work.right) / 2;
        int dy = (seen.rect.top + seen.rect.bottom) / 2 - (work.top + work.bottom) / 2;
        EXPECT_LE(std::abs(dx), 2) << text;
        EXPECT_LE(std::abs(dy), 2) << text;
    }
}

TEST(MessageDlg, CanBeShownAgainAfterEachAnswer)
{
    // every box reports its own answer, not one left over from the box before
    Seen a, b, c;
    EXPECT_EQ(IDCANCEL, ShowAndAnswer("first", [](HWND w) { PressKey(w, VK_ESCAPE); }, a));
    EXPECT_EQ(IDOK, ShowAndAnswer("second", [](HWND w) { PostMessageA(GetDlgItem(w, IDOK), BM_CLICK, 0, 0); }, b));
    EXPECT_EQ(IDCANCEL, ShowAndAnswer("third", [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }, c));
    EXPECT_EQ("second", b.text);
}

TEST(MessageDlg, ADialogObjectRunTwiceReportsEachAnswer)
{
    CMessageBoxDlg dlg;
    dlg.m_strMessage = "again";
    int results[2] = {};
    std::function<void(HWND)> answers[2] = {
        [](HWND w) { PostMessageA(GetDlgItem(w, IDOK), BM_CLICK, 0, 0); },
        [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (int i = 0; i < 2; ++i) {
        std::atomic<bool> done{false};
        std::thread user([&] {
            HWND box = nullptr;
            Until([&] { return done || (box = FindBox()) != nullptr; });
            if (box) answers[i](box);
        });
        results[i] = (int)dlg.DoModal();
        done = true;
        user.join();
    }
    EXPECT_EQ(IDOK, results[0]);
    EXPECT_EQ(IDCANCEL, results[1]);

    // destroyed without OK after a run that ended with OK
    for (int i = 0; i < 2; ++i) {
        UINT_PTR timer = SetTimer(nullptr, 0, 100, DestroyBoxTimer);
        ASSERT_NE(0u, timer);
        EXPECT_EQ(IDCANCEL, (int)dlg.DoModal()) << i;
        KillTimer(nullptr, timer);
        MSG m;
        while (PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {}
    }
}

TEST(MessageDlg, DestroyedWithoutAnAnswerCountsAsCancel)
{
    UINT_PTR timer = SetTimer(nullptr, 0, 100, DestroyBoxTimer);
    ASSERT_NE(0u, timer);
    EXPECT_EQ(IDCANCEL, ShowMessageDlg("gone"));
    KillTimer(nullptr, timer);
    EXPECT_EQ(nullptr, FindBox());
}

// ---- PlaceControl ----------------------------------------------------------

class PlaceControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // a hidden page: a top-level window that shows and hides costs seconds under X
        m_parent = CreateWindowExA(0, "STATIC", "page", WS_POPUP, 50, 60, 400, 300, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(m_parent);
        HWND h = CreateWindowExA(0, "BUTTON", "Before", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, m_parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(h);
        ASSERT_TRUE(m_control.Attach(h));
    }
    void TearDown() override
    {
        HWND h = m_control.Detach();
        if (h) DestroyWindow(h);
        if (m_parent) DestroyWindow(m_parent);
    }
    RECT PlacedRect() const
    {
        RECT r;
        GetWindowRect(m_control.m_hWnd, &r);
        MapWindowPoints(nullptr, m_parent, (POINT*)&r, 2);
        return r;
    }

    HWND m_parent = nullptr;
    CWnd m_control;
};

TEST_F(PlaceControlTest, MovesShowsAndNamesTheControl)
{
    struct Case {
        int x, y, cx, cy;
        UINT textId;
        const char* text;      // expected afterwards
    } cases[] = {
        {12, 34, 120, 24, IDS_OK, "OK"},
        {0, 0, 1, 1, 0, "OK"},              // id 0 keeps the text it has
        {200, 150, 80, 20, 0xFEDC, ""},     // a missing entry gives an empty text
        {5, 6, 70, 18, 0, ""},
    };
    for (const Case& c : cases) {
        ShowWindow(m_control.m_hWnd, SW_HIDE);
        PlaceControl(&m_control, c.x, c.y, c.cx, c.cy, c.textId);
        RECT r = PlacedRect();
        EXPECT_EQ(c.x, r.left) << c.textId;
        EXPECT_EQ(c.y, r.top) << c.textId;
        EXPECT_EQ(c.cx, r.right - r.left) << c.textId;
        EXPECT_EQ(c.cy, r.bottom - r.top) << c.textId;
        EXPECT_TRUE(GetWindowLongA(m_control.m_hWnd, GWL_STYLE) & WS_VISIBLE) << c.textId;
        EXPECT_EQ(c.text, TextOf(m_control.m_hWnd)) << c.textId;
    }
}

TEST_F(PlaceControlTest, TextIdZeroKeepsAnyText)
{
    SetWindowTextA(m_control.m_hWnd, "Scan");
    PlaceControl(&m_control, 1, 2, 30, 40, 0);
    EXPECT_EQ("Scan", TextOf(m_control.m_hWnd));
}

TEST(PlaceControl, AControlWithoutAWindowIsLeftAlone)
{
    CWnd none;
    PlaceControl(&none, 1, 2, 3, 4, IDS_OK);
    PlaceControl(nullptr, 1, 2, 3, 4, IDS_OK);
    EXPECT_EQ(nullptr, none.m_hWnd);
}

}  // namespace
