// The filtered edit and its slider, the etched separator, the icon combo box
// and the sorting helpers, on real controls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Host.h"
#include "Pixels.h"
#include "widgets/EtchedStatic.h"
#include "widgets/FilterEdit.h"
#include "widgets/IconComboBox.h"
#include "widgets/SortHelpers.h"

namespace {

std::string TextOf(HWND w)
{
    char buf[600] = "";
    GetWindowTextA(w, buf, sizeof(buf));
    return buf;
}

// Counts the refusals instead of beeping.
class CCountingEdit : public CFilterEdit {
public:
    int badChars = 0;
    void OnBadChar() override { ++badChars; }
};

class SmallControls : public ::testing::Test {
protected:
    CTestHost& host = SharedHost();
    CFont font;
    void SetUp() override
    {
        ResetHost(host);
        font.CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
    }
};

void Type(CWnd& edit, const char* text)
{
    for (const char* p = text; *p; ++p) edit.SendMessage(WM_CHAR, (BYTE)*p, 1);
}

TEST_F(SmallControls, EachTypedCharacterHasItsClassWord)
{
    struct { UINT ch; WORD cls; } table[] = {
        {'\b', 0xFFFF}, {'\r', 0xFFFF}, {'0', 0x55}, {'9', 0x55}, {'E', 0x46}, {'e', 0x46},
        {'A', 0x42}, {'d', 0x42}, {'F', 0x42}, {'f', 0x42}, {'G', 0x02}, {'z', 0x02},
        {'-', 0x14}, {'.', 0x04}, {'_', 0x28}, {' ', 0x08}, {'+', 0x08}, {'/', 0x08},
    };
    for (auto t : table) EXPECT_EQ(t.cls, CFilterEdit::CharClass(t.ch)) << "'" << (char)t.ch << "'";
}

TEST_F(SmallControls, TheEditAcceptsOnlyItsMasksCharacters)
{
    struct Case { WORD mask; const char* typed; const char* kept; int refused; } cases[] = {
        {FE_HEX, "abcdefABCDEF09g", "abcdefABCDEF09", 1},
        {FE_DIGITS, "-5", "5", 1},
        {FE_DIGITS | FE_SIGNED, "-5", "-5", 0},
        {FE_FLOAT, "-1.5E3x", "-1.5E3", 1},
        {FE_LETTERS, "ab1_", "ab", 2},
        {FE_UNDERSCORE, "a_b", "_", 2},
        {FE_OTHER, "a_ #", "_ #", 1},
        {0xFFFF, "any thing-1", "any thing-1", 0},
    };
    for (const Case& c : cases) {
        CCountingEdit edit;
        ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(10, 10, 200, 34), &host, 300));
        EXPECT_EQ(c.mask, edit.SetCharMask(c.mask));
        Type(edit, c.typed);
        EXPECT_EQ(c.kept, TextOf(edit.m_hWnd)) << "mask " << c.mask << " typing " << c.typed;
        EXPECT_EQ(c.refused, edit.badChars) << "mask " << c.mask << " typing " << c.typed;
        edit.DestroyWindow();
    }
}

TEST_F(SmallControls, TheEditAndTheSliderFollowEachOther)
{
    CCountingEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(10, 10, 80, 34), &host, 300));
    // a plain trackbar of the page, taken over by AttachSlider
    HWND sliderWnd = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_HORZ, 90, 10, 210, 30,
                                     host.m_hWnd, (HMENU)301, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, sliderWnd);
    edit.SetFont(&font);
    EXPECT_TRUE(edit.m_infoWnd.IsWindow()) << "the popup exists from the start";

    EXPECT_TRUE(edit.SetRange(0, 255, 5, 50));
    EXPECT_EQ(FE_DIGITS, edit.GetCharMask());
    edit.AttachSlider(&host, 301);
    ASSERT_NE(nullptr, edit.m_pSlider);
    EXPECT_EQ(&edit, edit.m_pSlider->m_pEdit);
    EXPECT_EQ(255, SendMessageA(sliderWnd, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(5, SendMessageA(sliderWnd, TBM_GETLINESIZE, 0, 0));
    EXPECT_EQ(50, SendMessageA(sliderWnd, TBM_GETPAGESIZE, 0, 0));

    // edit to slider, when the edit loses the focus: 300 becomes 255 with a beep
    edit.SetFocus();
    Type(edit, "300");
    host.SetFocus();
    EXPECT_EQ("255", TextOf(edit.m_hWnd));
    EXPECT_EQ(1, edit.badChars);
    EXPECT_EQ(255, SendMessageA(sliderWnd, TBM_GETPOS, 0, 0));
    edit.SetFocus();
    edit.SetWindowText("40");
    host.SetFocus();
    EXPECT_EQ("40", TextOf(edit.m_hWnd));
    EXPECT_EQ(1, edit.badChars) << "a value in range is taken as it is";
    EXPECT_EQ(40, SendMessageA(sliderWnd, TBM_GETPOS, 0, 0));

    // slider to edit: the keys move it by its line and page sizes
    SendMessageA(sliderWnd, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ("45", TextOf(edit.m_hWnd));
    SendMessageA(sliderWnd, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ("95", TextOf(edit.m_hWnd));
    EXPECT_EQ(95, edit.m_pSlider->m_nLastPos);
    host.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 123), (LPARAM)sliderWnd);
    EXPECT_EQ("123", TextOf(edit.m_hWnd));
    EXPECT_FALSE(edit.ShowValue(123)) << "unchanged";
    EXPECT_FALSE(edit.SetValue(256));
    EXPECT_TRUE(edit.SetValue(7));
    EXPECT_EQ("7", TextOf(edit.m_hWnd));
    SaveShot(host.m_hWnd, "filteredit_with_slider");

    // a negative minimum lets "-" through
    edit.SetRange(-20, 20, 1, 5);
    EXPECT_EQ(FE_DIGITS | FE_SIGNED, edit.GetCharMask());
    edit.SetFocus();
    edit.SetWindowText("");
    Type(edit, "-30");
    host.SetFocus();
    EXPECT_EQ("-20", TextOf(edit.m_hWnd));
    EXPECT_EQ(-20, SendMessageA(sliderWnd, TBM_GETPOS, 0, 0));

    // the popup shows a hint beside the edit
    edit.SetFocus();
    edit.m_infoWnd.ShowTip(&edit, "Value out of range.");
    EXPECT_TRUE(edit.m_infoWnd.IsWindowVisible());
    SaveShot(edit.m_infoWnd.m_hWnd, "filteredit_hint");
    edit.m_infoWnd.Hide();
    edit.DestroyWindow();
    DestroyWindow(sliderWnd);
}

TEST_F(SmallControls, AVerticalSliderIsSetTheOtherWayRound)
{
    CCountingEdit edit;
    CBuddySlider slider;
    ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(10, 10, 80, 34), &host, 300));
    ASSERT_TRUE(slider.CreateEx(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_VERT, CRect(90, 10, 120, 200), &host, 302));
    edit.SetRange(0, 100, 1, 10);
    edit.AttachSlider(&host, 302);
    EXPECT_EQ(&slider, edit.m_pSlider) << "a slider object of the page is used as it is";
    EXPECT_TRUE(slider.m_bReversed);
    edit.SetFocus();
    edit.SetWindowText("30");
    host.SetFocus();
    EXPECT_EQ(70, slider.GetPos());
    edit.DestroyWindow();
    slider.DestroyWindow();
}

TEST_F(SmallControls, AnEtchedSeparatorInterruptsItsLineWithItsCaption)
{
    const COLORREF shadow = GetSysColor(COLOR_3DSHADOW), light = GetSysColor(COLOR_3DHILIGHT);
    struct Case { DWORD align; const char* padded; const char* name; } cases[] = {
        {SS_CENTER, "  Encryption  ", "etched_centre"},
        {SS_LEFT, "Encryption  ", "etched_left"},
        {SS_RIGHT, "  Encryption", "etched_right"},
    };
    for (const Case& c : cases) {
        CEtchedStatic line;
        ASSERT_TRUE(line.Create("Encryption", WS_VISIBLE | c.align, CRect(10, 10, 310, 30), &host, 400));
        line.SetFont(&font);
        Shot s = CaptureNow(line.m_hWnd);
        HDC dc = GetDC(line.m_hWnd);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE ext = {};
        GetTextExtentPoint32A(dc, c.padded, (int)strlen(c.padded), &ext);
        SelectObject(dc, old);
        ReleaseDC(line.m_hWnd, dc);
        int from = c.align == SS_CENTER ? (300 - ext.cx) / 2 : c.align == SS_RIGHT ? 300 - ext.cx : 0;
        int to = from + ext.cx;
        // (the last column is the etched rectangle's light right edge)
        for (int x = 0; x < 299; ++x) {
            bool inText = x >= from && x < to;
            if (x == from - 1 || x == to) continue;   // rounding at the edges of the text
            EXPECT_EQ(!inText, s.At(x, 10) == shadow) << c.name << " x " << x;
            if (!inText && x > 0 && x < 299) {
                EXPECT_EQ(light, s.At(x, 11)) << c.name << " x " << x;
            }
        }
        EXPECT_GT(s.CountInRect(CRect(from, 0, to, 20), GetSysColor(COLOR_BTNTEXT)), 20) << c.name;
        SaveShot(line.m_hWnd, c.name);
        line.DestroyWindow();
    }
    // taller than wide: a vertical line, no text
    CEtchedStatic upright;
    ASSERT_TRUE(upright.Create("ignored", WS_VISIBLE, CRect(10, 10, 30, 110), &host, 401));
    Shot s = CaptureNow(upright.m_hWnd);
    EXPECT_EQ(shadow, s.At(10, 50));
    EXPECT_EQ(light, s.At(11, 50));
    EXPECT_EQ(0, s.CountInRect(CRect(0, 0, 20, 100), GetSysColor(COLOR_BTNTEXT)));
    upright.DestroyWindow();
}

TEST_F(SmallControls, SortingHelpers)
{
    CStringArray names;
    for (const char* n : {"beta", "Alpha", "alpha", "Beta", "_x", "10", "9"}) names.Add(n);
    SortStringArray(names);
    std::vector<std::string> sorted;
    for (INT_PTR i = 0; i < names.GetSize(); ++i) sorted.push_back(names[i].GetString());
    EXPECT_EQ((std::vector<std::string>{"10", "9", "Alpha", "Beta", "_x", "alpha", "beta"}), sorted);

    CStringArray none;
    SortStringArray(none);
    EXPECT_EQ(0, none.GetSize());

    int values[] = {5, -2, 9, 0, -2, 2147483647, -2147483647 - 1};
    qsort(values, 7, sizeof(int), CompareInts);
    EXPECT_EQ((std::vector<int>{-2147483647 - 1, -2, -2, 0, 5, 9, 2147483647}), std::vector<int>(values, values + 7));

    CDWordArray a;
    for (DWORD v : {1u, 2u, 3u, 4u}) a.Add(v);
    ReverseArray(a);
    EXPECT_EQ(4u, a[0]);
    EXPECT_EQ(1u, a[3]);
    CDWordArray odd;
    for (DWORD v : {7u, 8u, 9u}) odd.Add(v);
    ReverseArray(odd);
    EXPECT_EQ(9u, odd[0]);
    EXPECT_EQ(8u, odd[1]);
    EXPECT_EQ(7u, odd[2]);
}

TEST_F(SmallControls, TheIconComboBoxDrawsColumnsWithGreyLines)
{
    CIconComboBox combo;
    ASSERT_TRUE(combo.Create(WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             CRect(10, 10, 330, 200), &host, 500));
    combo.SetFont(&font);
    combo.AddString("Card A");
    combo.AddString("Card B");
    EXPECT_EQ(nullptr, combo.GetItemRecord(-1));
    EXPECT_EQ(nullptr, combo.GetItemRecord(2));
    combo.SetItemText(9, 1, "nowhere");
    EXPECT_EQ("", std::string(combo.GetItemText(9, 1)));
    EXPECT_EQ("", std::string(combo.GetItemText(1, 1))) << "no record yet";
    EXPECT_EQ("Card B", std::string(combo.GetItemText(1, 0)));

    combo.SetColumnCount(3);
    combo.SetColumnWidth(0, 90);
    combo.SetColumnWidth(1, 70);
    combo.SetColumnWidth(3, 10);   // outside: ignored
    EXPECT_EQ(3, combo.GetColumnCount());
    EXPECT_EQ(50, combo.GetColumnWidth(2));
    combo.SetItemText(0, 1, "PCI");
    combo.SetItemText(0, 2, "Bus 2");
    EXPECT_EQ("PCI", std::string(combo.GetItemText(0, 1)));
    combo.GetItemRecord(0)->crText = RGB(0, 0, 160);
    combo.SetCurSel(0);
    Shot s = CaptureNow(combo.m_hWnd);
    // grey lines at the ends of columns 0 and 1, 70 pixels apart
    std::vector<int> lines;
    for (int x = 0; x < s.w; ++x)
        if (s.At(x, s.h / 2) == RGB(0xC0, 0xC0, 0xC0) && s.At(x, s.h / 2 - 3) == RGB(0xC0, 0xC0, 0xC0)) lines.push_back(x);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(70, lines[1] - lines[0]);
    EXPECT_GT(s.CountInRect(CRect(0, 0, lines[0], s.h), RGB(0, 0, 160)), 10) << "column 0 in the item's colour";
    EXPECT_GT(s.CountInRect(CRect(lines[0], 0, lines[1], s.h), RGB(0, 0, 160)), 5) << "column 1";
    EXPECT_GT(s.CountInRect(CRect(lines[1], 0, s.w - 20, s.h), RGB(0, 0, 160)), 5) << "column 2";
    SaveShot(combo.m_hWnd, "iconcombo_columns");

    // icons: the texts move right by the image width, also for items without an icon
    CImageList images;
    images.Create(16, 16, ILC_COLOR24, 1, 0);
    AddColourImage(images, RGB(0, 150, 0));
    combo.m_pImageList = &images;
    combo.GetItemRecord(0)->nImage = 0;
    combo.GetItemRecord(0)->bBold = TRUE;
    combo.Invalidate();
    s = CaptureNow(combo.m_hWnd);
    std::vector<int> shifted;
    for (int x = 0; x < s.w; ++x)
        if (s.At(x, s.h / 2) == RGB(0xC0, 0xC0, 0xC0) && s.At(x, s.h / 2 - 3) == RGB(0xC0, 0xC0, 0xC0)) shifted.push_back(x);
    ASSERT_EQ(2u, shifted.size());
    EXPECT_EQ(lines[0] + 16, shifted[0]);
    EXPECT_GT(s.CountInRect(CRect(0, 0, lines[0], s.h), RGB(0, 150, 0)), 100) << "the icon";
    SaveShot(combo.m_hWnd, "iconcombo_icon_bold");
    combo.SetCurSel(1);
    s = CaptureNow(combo.m_hWnd);
    EXPECT_EQ(shifted[0], [&] {
        for (int x = 0; x < s.w; ++x)
            if (s.At(x, s.h / 2) == RGB(0xC0, 0xC0, 0xC0) && s.At(x, s.h / 2 - 3) == RGB(0xC0, 0xC0, 0xC0)) return x;
        return -1;
    }()) << "an item without an icon is shifted too";
    EXPECT_EQ(0, s.CountInRect(CRect(0, 0, s.w, s.h), RGB(0, 150, 0)));
    combo.ShowDropDown(TRUE);
    COMBOBOXINFO cbi = {sizeof(cbi)};
    GetComboBoxInfo(combo.m_hWnd, &cbi);
    if (cbi.hwndList && IsWindowVisible(cbi.hwndList)) SaveShot(cbi.hwndList, "iconcombo_dropped");
    combo.ShowDropDown(FALSE);
    combo.m_pImageList = nullptr;
    combo.SetCurSel(0);

    // one column: a single text, no lines
    combo.SetColumnCount(1);
    s = CaptureNow(combo.m_hWnd);
    EXPECT_EQ(0, s.CountInRect(CRect(0, 0, s.w, s.h), RGB(0xC0, 0xC0, 0xC0)));

    // records go with their items
    combo.SetColumnCount(2);
    combo.DeleteString(0);
    EXPECT_EQ("", std::string(combo.GetItemText(0, 1))) << "Card B has no record";
    combo.SetItemText(0, 1, "USB");
    combo.ResetContent();
    EXPECT_EQ(0, combo.GetCount());
    combo.DestroyWindow();
}

} // namespace
