// The report list and its cell protocol, on a real list-view control in a
// window that answers the protocol the way a page does.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "Host.h"
#include "Pixels.h"
#include "widgets/CellListCtrl.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0), kYellow = RGB(255, 255, 0);

COLORREF Sys(int index) { return GetSysColor(index); }

class CellList : public ::testing::Test {
protected:
    CTestHost& host = SharedHost();
    CCellListCtrl list;
    CFont font;

    void SetUp() override
    {
        ASSERT_TRUE(host.IsWindow());
        ResetHost(host);
    }
    void TearDown() override { list.DestroyWindow(); }

    // An owner-data report list of `rows` rows with the given column widths.
    void MakeList(int rows, std::vector<int> widths, DWORD style = LVS_SHOWSELALWAYS,
                  DWORD exStyle = LVS_EX_FULLROWSELECT, CRect where = CRect(10, 10, 610, 300))
    {
        ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT |
                                      LVS_OWNERDATA | style, where, &host, 1024));
        // A taller font gives rows high enough for in-cell bars.
        font.CreateFont(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
        list.SetFont(&font);
        list.SetExtendedStyle(exStyle);
        for (size_t i = 0; i < widths.size(); ++i)
            list.InsertColumn((int)i, ("Col " + std::to_string(i)).c_str(), LVCFMT_LEFT, widths[i]);
        list.SetItemCount(rows);
        Pump();
    }

    CRect Cell(int row, int column)
    {
        CRect r;
        EXPECT_TRUE(list.GetCellRect(row, column, LVIR_BOUNDS, &r));
        return r;
    }

    // The cell's inside, away from a focus rectangle and the grid.
    CRect Inside(int row, int column)
    {
        CRect r = Cell(row, column);
        r.DeflateRect(3, 3);
        return r;
    }

    void Select(int row, bool focused = true)
    {
        list.SetItemState(row, LVIS_SELECTED | (focused ? LVIS_FOCUSED : 0), LVIS_SELECTED | LVIS_FOCUSED);
    }

    void Focus()
    {
        list.SetFocus();
        ASSERT_EQ(list.m_hWnd, GetFocus());
    }

    void Unfocus()
    {
        host.SetFocus();
        ASSERT_NE(list.m_hWnd, GetFocus());
    }

    Shot Show()
    {
        list.Invalidate();
        return CaptureNow(list.m_hWnd);
    }
};

// The colour most pixels of a rectangle have, other than `except`.
COLORREF MostCommon(const Shot& s, const RECT& r, COLORREF except)
{
    std::map<COLORREF, int> n;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (s.At(x, y) != except) ++n[s.At(x, y)];
    COLORREF best = CLR_INVALID;
    int most = 0;
    for (auto& p : n)
        if (p.second > most) best = p.first, most = p.second;
    return best;
}

TEST_F(CellList, AParentThatIgnoresTheProtocolGetsEmptyCellsInTheDefaultColours)
{
    MakeList(3, {120, 120, 120});
    Select(1);

    Unfocus();
    Shot s = Show();
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(s.CountInRect(Inside(row, col), row == 1 ? Sys(COLOR_3DFACE) : Sys(COLOR_WINDOW)),
                      Inside(row, col).Width() * Inside(row, col).Height())
                << "unfocused, row " << row << " column " << col;

    Focus();
    s = Show();
    for (int col = 0; col < 3; ++col) {
        // the focus column's selected cell is the focus cell
        COLORREF selected = col == 0 ? Sys(COLOR_HOTLIGHT) : Sys(COLOR_HIGHLIGHT);
        EXPECT_EQ(s.CountInRect(Inside(1, col), selected), Inside(1, col).Width() * Inside(1, col).Height())
            << "focused, column " << col;
        EXPECT_EQ(s.CountInRect(Inside(0, col), Sys(COLOR_WINDOW)), Inside(0, col).Width() * Inside(0, col).Height());
    }
    EXPECT_GT(host.cellInfoRequests, 0);
    SaveShot(host.m_hWnd, "celllist_default_colours");
}

TEST_F(CellList, SelectedFocusedAndUnfocusedColoursFollowTheRules)
{
    const COLORREF kFocusBk = RGB(0x12, 0x34, 0x56), kSelFocused = RGB(0, 0xAA, 0), kSelUnfocused = RGB(0xAA, 0, 0xAA);
    struct Case {
        const char* what;
        bool focused, columnFocus, parentColours, hot, noSelection;
        int column;
        COLORREF expected;
    } cases[] = {
        {"focus cell", true, true, true, false, false, 0, kFocusBk},
        {"focus cell, default colour", true, true, false, false, false, 0, Sys(COLOR_HOTLIGHT)},
        {"other column, parent's focused colour", true, true, true, false, false, 1, kSelFocused},
        {"other column, default focused colour", true, true, false, false, false, 1, Sys(COLOR_HIGHLIGHT)},
        {"unfocused, parent's colour", false, true, true, false, false, 0, kSelUnfocused},
        {"unfocused, default colour", false, true, false, false, false, 1, Sys(COLOR_3DFACE)},
        {"hot row without column focus", true, false, false, true, false, 1, Sys(COLOR_HOTLIGHT)},
        {"hot row with column focus", true, true, false, true, false, 1, Sys(COLOR_HIGHLIGHT)},
        {"no-selection flag", true, true, true, false, true, 1, Sys(COLOR_WINDOW)},
    };
    MakeList(3, {150, 150});
    Select(1);
    for (const Case& c : cases) {
        host.onCellInfo = [&](CListCellInfo* info) {
            if (c.parentColours) {
                info->m_crFocusCellBk = kFocusBk;
                info->m_crSelectedBkFocused = kSelFocused;
                info->m_crSelectedBkUnfocused = kSelUnfocused;
            }
            info->m_bNoSelection = c.noSelection;
        };
        list.EnableColumnFocus(c.columnFocus);
        list.SendMessage(LVM_SETHOTITEM, c.hot ? 1 : (WPARAM)-1);
        if (c.focused) Focus(); else Unfocus();
        Shot s = Show();
        EXPECT_EQ(c.expected, s.At(Inside(1, c.column).left + 40, Inside(1, c.column).CenterPoint().y)) << c.what;
    }
    list.SendMessage(LVM_SETHOTITEM, (WPARAM)-1);
    list.EnableColumnFocus(TRUE);

    // Text colours: the focus cell's, the selected one's, and the plain one's.
    host.onCellInfo = [&](CListCellInfo* info) {
        info->m_strText = "WWWWWW";
        info->m_crFocusCellText = RGB(255, 255, 0);
        info->m_crText = RGB(0, 0, 255);
    };
    Focus();
    Shot s = Show();
    EXPECT_EQ(RGB(255, 255, 0), MostCommon(s, Inside(1, 0), Sys(COLOR_HOTLIGHT)));
    EXPECT_EQ(Sys(COLOR_HIGHLIGHTTEXT), MostCommon(s, Inside(1, 1), Sys(COLOR_HIGHLIGHT)));
    EXPECT_EQ(RGB(0, 0, 255), MostCommon(s, Inside(0, 1), Sys(COLOR_WINDOW)));
    SaveShot(host.m_hWnd, "celllist_focused_texts");
    Unfocus();
    s = Show();
    EXPECT_EQ(Sys(COLOR_WINDOWTEXT), MostCommon(s, Inside(1, 1), Sys(COLOR_3DFACE)));
    SaveShot(host.m_hWnd, "celllist_unfocused_texts");
}

TEST_F(CellList, ABarFillsItsShareOfTheWidthWithTheRedYellowGreenGradient)
{
    // column 1 is 107 pixels wide: its bar is 100 pixels inside the edge
    MakeList(5, {80, 107, 120});
    const int values[] = {5, 12, 0, 10, 1};
    host.onCellInfo = [&](CListCellInfo* info) {
        if (info->GetColumn() == 1) {
            info->m_nBarMax = 10;
            info->m_nBarValue = values[info->GetRow()];
        }
    };
    Unfocus();
    Shot s = Show();
    auto inner = [&](int row) {
        CRect c = Cell(row, 1);
        return CRect(c.left + 3, c.top + 7, c.right - 4, c.bottom - 7);
    };
    ASSERT_EQ(100, inner(0).Width());
    ASSERT_GT(inner(0).Height(), 0);
    struct { int row, filled; } cases[] = {{0, 50}, {1, 100}, {2, 0}, {3, 100}, {4, 10}};
    for (auto c : cases) {
        CRect r = inner(c.row);
        int y = r.CenterPoint().y;
        EXPECT_EQ(100 - c.filled, s.CountInRow(y, r.left, r.right, Sys(COLOR_WINDOW))) << "row " << c.row;
        EXPECT_EQ(0, s.CountInRow(y, r.left, r.left + c.filled, Sys(COLOR_WINDOW)))
            << "the filled part starts at the left, row " << c.row;
        // the sunken edge's outer top line
        EXPECT_GE(s.CountInRow(r.top - 2, r.left, r.right, Sys(COLOR_3DSHADOW)), 100) << "row " << c.row;
    }
    // a full bar: red at its start, yellow in its middle third, green at its end
    CRect full = inner(3);
    int y = full.CenterPoint().y;
    EXPECT_EQ(kRed, s.At(full.left, y));
    EXPECT_EQ(kYellow, s.At(full.left + 40, y));
    EXPECT_EQ(kYellow, s.At(full.left + 60, y));
    COLORREF end = s.At(full.right - 1, y);
    EXPECT_EQ(255, GetGValue(end));
    EXPECT_LT(GetRValue(end), 16);
    EXPECT_EQ(0, GetBValue(end));
    for (int x = 1; x < 33; ++x) EXPECT_GE(GetGValue(s.At(full.left + x, y)), GetGValue(s.At(full.left + x - 1, y)));
    for (int x = 68; x < 100; ++x) EXPECT_LE(GetRValue(s.At(full.left + x, y)), GetRValue(s.At(full.left + x - 1, y)));
    // the gradient spreads over the whole bar, not the filled part: a 10 % bar is all red-orange
    CRect tenth = inner(4);
    EXPECT_EQ(kRed, s.At(tenth.left, tenth.CenterPoint().y));
    EXPECT_LT(GetGValue(s.At(tenth.left + 9, tenth.CenterPoint().y)), 100);
    SaveShot(host.m_hWnd, "celllist_bars");
}

TEST_F(CellList, BarTextChangesColourWhereItCrossesTheFilledPart)
{
    MakeList(1, {80, 200});
    host.onCellInfo = [&](CListCellInfo* info) {
        if (info->GetColumn() != 1) return;
        info->m_nBarMax = 100;
        info->m_nBarValue = 50;
        info->m_strText = "MMMMMMMMMMMMMMMM";
        info->m_nFormat |= DT_CENTER;
        info->m_crBarText = RGB(0, 0, 255);
        info->m_crText = RGB(255, 0, 255);
    };
    Unfocus();
    Shot s = Show();
    CRect c = Cell(0, 1);
    int middle = c.left + 3 + 96;   // the end of the filled half of a 193-pixel bar
    CRect left(c.left + 3, c.top + 7, middle, c.bottom - 7), right(middle, c.top + 7, c.right - 4, c.bottom - 7);
    EXPECT_GT(s.CountInRect(left, RGB(0, 0, 255)), 0);
    EXPECT_EQ(0, s.CountInRect(left, RGB(255, 0, 255)));
    EXPECT_GT(s.CountInRect(right, RGB(255, 0, 255)), 0);
    EXPECT_EQ(0, s.CountInRect(right, RGB(0, 0, 255)));
}

TEST_F(CellList, CheckBoxesAndImagesAreDrawnAndHitFromTheRecord)
{
    MakeList(3, {140, 140});
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24, 2, 0));
    AddColourImage(images, RGB(200, 0, 0));
    AddColourImage(images, RGB(0, 0, 200));
    list.SetImageList(images, LVSIL_SMALL);
    host.onCellInfo = [&](CListCellInfo* info) {
        info->m_strText = "text";
        if (info->GetColumn() == 0) {
            info->m_bCheckBox = 1;
            info->m_nCheckState = DFCS_BUTTONCHECK | (info->GetRow() == 1 ? DFCS_CHECKED : 0);
        }
        info->m_nImage = info->GetRow() % 2;
        EXPECT_TRUE(info->m_pImageList && info->m_pImageList->GetSafeHandle() == images.GetSafeHandle());
    };
    Unfocus();
    Shot s = Show();
    CRect c0 = Cell(0, 0), c1 = Cell(0, 1);
    int h = c0.Height();
    // column 0: check box square, then the image right of it; column 1: the image 1 pixel in
    EXPECT_EQ(RGB(200, 0, 0), s.At(c0.left + h + 8, c0.CenterPoint().y));
    EXPECT_EQ(RGB(200, 0, 0), s.At(c1.left + 1 + 8, c1.CenterPoint().y));
    EXPECT_EQ(RGB(0, 0, 200), s.At(Cell(1, 1).left + 1 + 8, Cell(1, 1).CenterPoint().y));
    SaveShot(host.m_hWnd, "celllist_checkboxes_images");

    // the owner-data answer carries the image and the check box as state image 1 or 2
    for (int row : {0, 1}) {
        char buf[64] = "";
        NMLVDISPINFOA disp = {};
        disp.hdr.hwndFrom = list.m_hWnd;
        disp.hdr.idFrom = 1024;
        disp.hdr.code = LVN_GETDISPINFOA;
        disp.item.mask = LVIF_IMAGE | LVIF_TEXT;
        disp.item.iItem = row;
        disp.item.iSubItem = 0;
        disp.item.pszText = buf;
        disp.item.cchTextMax = 3;
        EXPECT_EQ(0, host.SendMessage(WM_NOTIFY, 1024, (LPARAM)&disp));
        EXPECT_STREQ("te", buf) << "cut to the buffer";
        EXPECT_EQ(row % 2, disp.item.iImage);
        EXPECT_TRUE(disp.item.mask & LVIF_STATE);
        EXPECT_EQ(row == 1 ? 0x2000u : 0x1000u, disp.item.state & 0xF000);
    }

    // and the list-view itself gets its texts and images that way
    EXPECT_EQ("text", std::string(list.GetItemText(2, 1)));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 1;
    item.iSubItem = 0;
    ASSERT_TRUE(list.SendMessage(LVM_GETITEMA, 0, (LPARAM)&item));
    EXPECT_EQ(1, item.iImage);

    // clicks tell the parent where they landed
    struct { int row, col, x; BYTE onImage, onCheck; } clicks[] = {
        {2, 0, h / 2, 0, 1}, {2, 0, h + 8, 1, 0}, {1, 1, 9, 1, 0}, {0, 1, 80, 0, 0}};
    for (auto k : clicks) {
        host.cellClicks.clear();
        CRect cell = Cell(k.row, k.col);
        LPARAM at = MAKELPARAM(cell.left + k.x, cell.CenterPoint().y);
        list.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        list.PostMessage(WM_LBUTTONUP, 0, at);
        // Posted: the parent hears of the click once the list has handled it.
        widgettest::PumpUntil([&] { return !host.cellClicks.empty(); }, 20000);
        ASSERT_EQ(1u, host.cellClicks.size()) << k.row << "," << k.col;
        EXPECT_EQ(k.row, host.cellClicks[0].nRow);
        EXPECT_EQ(k.col, host.cellClicks[0].nColumn);
        EXPECT_EQ(k.onImage, host.cellClicks[0].bOnImage) << k.row << "," << k.col << " x " << k.x;
        EXPECT_EQ(k.onCheck, host.cellClicks[0].bOnCheckBox) << k.row << "," << k.col << " x " << k.x;
        EXPECT_EQ(k.col, list.GetFocusColumn());
    }
    list.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(CellList, WhateverTheParentWritesIntoTheRecordIsDrawnWithinTheCell)
{
    MakeList(6, {107, 107, 107});
    CImageList images;
    images.Create(16, 16, ILC_COLOR24, 1, 0);
    AddColourImage(images, RGB(0, 0, 200));
    list.SetImageList(images, LVSIL_SMALL);
    host.onCellInfo = [&](CListCellInfo* info) {
        if (info->GetColumn() != 1) return;
        switch (info->GetRow()) {
        case 0: info->m_nBarMax = INT_MAX; info->m_nBarValue = INT_MAX - 1; break;
        case 1: info->m_nBarMax = 10; info->m_nBarValue = INT_MIN; break;
        case 2: info->m_nImage = 1000; info->m_strText = "no such image"; info->m_nFormat = 0xFFFFFFFF; break;
        case 3: info->m_nImage = -7; info->m_bCheckBox = 1; info->m_nCheckState = 0xFFFFFFFF; break;
        case 4: info->m_nFormat = DT_NOCLIP | DT_SINGLELINE; info->m_strText = std::string(3000, 'W').c_str(); break;
        default: info->m_nBarEdge = 0xFFFF; info->m_nBarMax = 1; info->m_nBarValue = 1; info->m_pImageList = nullptr;
                 info->m_nImage = 0; break;
        }
        info->m_nRow = 99;   // the list draws the cell it asked for, whatever the record says
    };
    Unfocus();
    Shot s = Show();
    // everything stayed inside its cell: the neighbours, plain cells, are untouched
    for (int row = 0; row < 6; ++row)
        for (int col : {0, 2}) {
            CRect c = Cell(row, col);
            EXPECT_EQ(c.Width() * c.Height(), s.CountInRect(c, Sys(COLOR_WINDOW))) << "row " << row << " column " << col;
        }
    CRect bar = Cell(0, 1);
    EXPECT_EQ(1, s.CountInRow(bar.CenterPoint().y, bar.left + 3, bar.right - 4, Sys(COLOR_WINDOW)))
        << "a value just below a huge maximum fills 99 of 100 pixels, without overflow";
    CRect empty = Cell(1, 1);
    EXPECT_EQ(100, s.CountInRow(empty.CenterPoint().y, empty.left + 3, empty.right - 4, Sys(COLOR_WINDOW)));
    EXPECT_EQ(0, s.CountInRect(Cell(2, 1), RGB(0, 0, 200))) << "an image index past the list draws nothing";
    list.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(CellList, TheFocusColumnMovesWithinTheHeaderAndOnlyWithTheParentsConsent)
{
    MakeList(3, {100, 100, 100, 100});
    Select(0);
    list.SetFocusColumn(4);
    list.SetFocusColumn(-1);
    list.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_TRUE(host.columnChanges.empty()) << "nothing is asked for a column outside the header";
    EXPECT_EQ(0, list.GetFocusColumn());

    list.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    ASSERT_EQ(1u, host.columnChanges.size());
    EXPECT_EQ(0, host.columnChanges[0].nOldColumn);
    EXPECT_EQ(1, host.columnChanges[0].nNewColumn);
    EXPECT_TRUE(host.columnChanges[0].bAllow);
    EXPECT_EQ(1, list.GetFocusColumn());

    host.onColumnChanging = [](ColumnChangeInfo* c) { c->bAllow = FALSE; };
    list.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(2u, host.columnChanges.size());
    EXPECT_EQ(1, list.GetFocusColumn()) << "refused";
    host.onColumnChanging = nullptr;

    list.SetFocusColumn(3);
    EXPECT_EQ(3, list.GetFocusColumn());
    list.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(3u, host.columnChanges.size()) << "Right on the last column asks nothing";

    list.EnableColumnFocus(FALSE);
    EXPECT_FALSE(list.IsColumnFocusEnabled());
    list.SetFocusColumn(1);
    list.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(3u, host.columnChanges.size());
    EXPECT_EQ(3, list.GetFocusColumn());
}

TEST_F(CellList, AFocusColumnOutOfSightIsScrolledIntoView)
{
    MakeList(3, {200, 200, 200, 200, 200}, LVS_SHOWSELALWAYS, LVS_EX_FULLROWSELECT, CRect(10, 10, 410, 200));
    Select(0);
    Focus();
    CRect client;
    list.GetClientRect(&client);
    list.SetFocusColumn(4);
    CRect c = Cell(0, 4);
    EXPECT_GT(GetScrollPos(list.m_hWnd, SB_HORZ), 0);
    EXPECT_EQ(client.right, c.right) << "its right edge at the client's";
    list.SetFocusColumn(1);
    EXPECT_EQ(0, Cell(0, 1).left) << "its left edge at the client's";
    SaveShot(host.m_hWnd, "celllist_scrolled_focus_column");
}

TEST_F(CellList, AnAmpersandShowsAsItself)
{
    MakeList(1, {200});
    host.onCellInfo = [](CListCellInfo* info) { info->m_strText = "R&D"; };
    Unfocus();
    Shot s = Show();

    // the same text drawn without prefix processing, where the list draws it
    CRect cell = Cell(0, 0);
    HDC screen = GetDC(list.m_hWnd);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, cell.Width(), cell.Height());
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    HGDIOBJ oldFont = SelectObject(mem, font);
    RECT r = {0, 0, cell.Width(), cell.Height()};
    HBRUSH bk = CreateSolidBrush(Sys(COLOR_WINDOW));
    FillRect(mem, &r, bk);
    DeleteObject(bk);
    r.left += 2;
    SetBkColor(mem, Sys(COLOR_WINDOW));
    SetTextColor(mem, Sys(COLOR_WINDOWTEXT));
    DrawTextA(mem, "R&D", -1, &r, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    int differ = 0, ink = 0;
    for (int y = 0; y < cell.Height(); ++y)
        for (int x = 0; x < cell.Width(); ++x) {
            COLORREF want = GetPixel(mem, x, y);
            differ += s.At(cell.left + x, cell.top + y) != want;
            ink += want == Sys(COLOR_WINDOWTEXT);
        }
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(list.m_hWnd, screen);
    EXPECT_GT(ink, 20);
    EXPECT_EQ(0, differ) << "\"R&D\" drawn as the three characters, nothing underlined";
}

TEST_F(CellList, TypeAheadSearchFindsRowsByTheFocusColumnAndWraps)
{
    const char* names[] = {"apple", "Banana", "cherry", "date"};
    const char* kinds[] = {"fruit", "berry", "drupe", "fruit"};
    MakeList(4, {120, 120});
    host.onCellInfo = [&](CListCellInfo* info) {
        info->m_strText = info->GetColumn() == 0 ? names[info->GetRow()] : kinds[info->GetRow()];
    };
    auto find = [&](int start, const char* text, UINT flags = LVFI_PARTIAL | LVFI_STRING) {
        NMLVFINDITEMA f = {};
        f.hdr.hwndFrom = list.m_hWnd;
        f.hdr.idFrom = 1024;
        f.hdr.code = LVN_ODFINDITEMA;
        f.iStart = start;
        f.lvfi.flags = flags;
        f.lvfi.psz = text;
        return (int)host.SendMessage(WM_NOTIFY, 1024, (LPARAM)&f);
    };
    struct { int searchColumn, start; const char* text; int found; } cases[] = {
        {-1, 0, "ch", 2}, {-1, 0, "BAN", 1}, {-1, 3, "a", 0}, {-1, 4, "d", 3}, {-1, 99, "apple", 0},
        {-1, 0, "kiwi", -1}, {-1, 0, "applesauce", -1}, {1, 2, "fr", 3}, {1, 0, "drupe", 2}, {-2, 0, "apple", -1},
    };
    for (auto c : cases) {
        list.m_nSearchColumn = c.searchColumn;
        EXPECT_EQ(c.found, find(c.start, c.text)) << c.searchColumn << " " << c.start << " " << c.text;
    }
    list.m_nSearchColumn = -1;
    EXPECT_EQ(-1, find(0, nullptr, LVFI_PARAM)) << "no text to look for";

    // typed into the list: from the last row the search wraps to row 0 and goes on from there
    Focus();
    Select(3);
    list.SendMessage(WM_CHAR, 'b', 1);
    EXPECT_EQ(1, list.GetFocusedItem());
}

TEST_F(CellList, AHeaderRightClickReachesTheParentWithItsColumn)
{
    MakeList(2, {100, 100, 100});
    HWND header = list.GetHeaderCtrl();
    struct { int x; int column; } cases[] = {{50, 0}, {250, 2}, {150, 1}, {450, -1}};
    for (auto c : cases) {
        host.headerClicks.clear();
        RECT hr;
        GetClientRect(header, &hr);
        POINT pt = {c.x, hr.bottom / 2};
        POINT screen = pt;
        ClientToScreen(header, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageA(header, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(pt.x, pt.y));
        PostMessageA(header, WM_RBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
        widgettest::PumpUntil([&] { return !host.headerClicks.empty(); }, 20000);
        ASSERT_EQ(1u, host.headerClicks.size()) << "x " << c.x;
        EXPECT_EQ(c.column, host.headerClicks[0].nColumn) << "x " << c.x;
        EXPECT_EQ(screen.x, host.headerClicks[0].pt.x);
        EXPECT_EQ(screen.y, host.headerClicks[0].pt.y);
    }
}

TEST_F(CellList, EachCellHasItsOwnTooltipFromTheParent)
{
    MakeList(3, {120, 120, 120});
    host.onCellInfo = [](CListCellInfo* info) {
        info->m_strText = "cell";
        if (info->GetRow() == 1 && info->GetColumn() == 2) info->m_strTooltip = "Signal 70 %";
        if (info->GetRow() == 2 && info->GetColumn() == 1) info->m_strTooltip = std::string(120, 'x').c_str();
    };
    TOOLINFOA ti = {};
    ti.cbSize = sizeof(ti);
    CRect c = Cell(1, 2);
    EXPECT_EQ(1 * 1000 + 2 + 1, list.OnToolHitTest(c.CenterPoint(), &ti));
    EXPECT_EQ(list.m_hWnd, ti.hwnd);
    EXPECT_EQ(LPSTR_TEXTCALLBACKA, ti.lpszText);
    EXPECT_EQ(2 * 1000 + 0 + 1, list.OnToolHitTest(Cell(2, 0).CenterPoint(), nullptr));
    EXPECT_EQ(-1, list.OnToolHitTest(CPoint(300, 250), nullptr)) << "below the last row";

    // the real tooltip, fed by the list's own message filter
    auto tipFor = [&](int row, int col) -> std::string {
        CRect cell = Cell(row, col);
        POINT pt = cell.CenterPoint(), screen = pt;
        ClientToScreen(list.m_hWnd, &screen);
        SetCursorPos(screen.x, screen.y);
        MSG m = {list.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y), GetTickCount(), screen};
        list.PreTranslateMessage(&m);
        // The tooltip shows on its own timer.
        HWND tip = nullptr;
        widgettest::PumpUntil([&] {
            HWND w = nullptr;
            while ((w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr)) != nullptr) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == GetCurrentProcessId() && IsWindowVisible(w)) tip = w;
            }
            return tip != nullptr;
        }, 20000);
        if (!tip) return "(not shown)";
        char buf[256] = "";
        GetWindowTextA(tip, buf, sizeof(buf));
        SaveShot(tip, row == 1 ? "celllist_tooltip" : "celllist_tooltip_long");
        ShowWindow(tip, SW_HIDE);
        return buf;
    };
    EXPECT_EQ("Signal 70 %", tipFor(1, 2));
    EXPECT_EQ(std::string(79, 'x'), tipFor(2, 1)) << "cut to the record's 80 characters with the terminator";
}

TEST_F(CellList, EnterGoesToTheListItselfNotToTheDefaultButton)
{
    MakeList(3, {120});
    Select(1);
    Focus();
    MSG enter = {list.m_hWnd, WM_KEYDOWN, VK_RETURN, 1};
    EXPECT_TRUE(list.PreTranslateMessage(&enter));
    ASSERT_EQ(1u, host.returns.size()) << "the list told its parent";
    EXPECT_EQ(1024u, host.returns[0]);
    MSG other = {list.m_hWnd, WM_KEYDOWN, VK_DOWN, 1};
    EXPECT_FALSE(list.PreTranslateMessage(&other));
}

TEST_F(CellList, PictureOfAFullList)
{
    // the cells a survey page asks for: check box, image, bar, bold and italic texts
    MakeList(8, {150, 110, 110, 120, 90});
    CImageList images;
    images.Create(16, 16, ILC_COLOR24, 2, 0);
    AddColourImage(images, RGB(0, 150, 0), true);
    AddColourImage(images, RGB(200, 120, 0), true);
    list.SetImageList(images, LVSIL_SMALL);
    const char* ssids[] = {"Home", "Office & Lab", "Guest", "Cafe", "Hidden", "Printer", "Garden", "Attic"};
    host.onCellInfo = [&](CListCellInfo* info) {
        int row = info->GetRow();
        switch (info->GetColumn()) {
        case 0:
            info->m_bCheckBox = 1;
            info->m_nCheckState = DFCS_BUTTONCHECK | (row == 1 ? DFCS_CHECKED : 0);
            info->m_nImage = row % 2;
            info->m_strText = ssids[row];
            info->m_bBold = row == 1;
            break;
        case 1: info->m_strText.Format("00:11:22:33:44:%02X", row * 17); break;
        case 2: info->m_strText = row % 3 ? "WPA2-PSK" : "None"; info->m_bItalic = row % 3 == 0; break;
        case 3:
            info->m_nBarMax = 100;
            info->m_nBarValue = 100 - row * 13;
            info->m_strText.Format("%d%%", 100 - row * 13);
            info->m_nFormat |= DT_CENTER;
            info->m_crBarText = RGB(0, 0, 0);
            break;
        default: info->m_strText.Format("%d", 1 + row * 2); info->m_nFormat |= DT_RIGHT; break;
        }
    };
    Select(1);
    Focus();
    list.SetFocusColumn(2);
    Shot s = Show();
    SaveShot(host.m_hWnd, "celllist_full_focused");
    // The selected row, its focus cell and a plain row.
    EXPECT_EQ(Sys(COLOR_HIGHLIGHT), MostCommon(s, Inside(1, 1), Sys(COLOR_HIGHLIGHTTEXT)));
    EXPECT_EQ(Sys(COLOR_HOTLIGHT), MostCommon(s, Inside(1, 2), Sys(COLOR_HIGHLIGHTTEXT)));
    EXPECT_EQ(Sys(COLOR_WINDOW), MostCommon(s, Inside(2, 1), Sys(COLOR_WINDOWTEXT)));
    // Check boxes at the cells' left, only row 1's checked; the images beside them.
    auto darkIn = [&](const CRect& r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += GetRValue(s.At(x, y)) + GetGValue(s.At(x, y)) < 100;
        return n;
    };
    auto box = [&](int row) {
        CRect c = Cell(row, 0);
        return CRect(c.left + 4, c.top + 4, c.left + c.Height() - 4, c.bottom - 4);
    };
    EXPECT_GT(darkIn(box(1)), 4) << "the check mark";
    EXPECT_EQ(0, darkIn(box(0)));
    EXPECT_EQ(0, darkIn(box(2)));
    for (int row : {0, 2, 3}) {
        CRect c = Cell(row, 0);
        CRect image(c.left + c.Height(), c.top, c.left + c.Height() + 16, c.bottom);
        EXPECT_GT(s.CountInRect(image, row % 2 ? RGB(200, 120, 0) : RGB(0, 150, 0)), 30) << "image of row " << row;
    }
    // Each bar filled to its value's share of its width.
    for (int row : {2, 6, 7}) {
        CRect c = Cell(row, 3);
        CRect inner(c.left + 3, c.top + 7, c.right - 4, c.bottom - 7);
        int end = inner.left + inner.Width() * (100 - row * 13) / 100;
        int y = inner.top + 1;
        EXPECT_NE(Sys(COLOR_WINDOW), s.At(end - 1, y)) << "row " << row;
        EXPECT_EQ(Sys(COLOR_WINDOW), s.At(end, y)) << "row " << row;
        EXPECT_EQ(kRed, s.At(inner.left, y)) << "row " << row;
    }
    Unfocus();
    s = Show();
    SaveShot(host.m_hWnd, "celllist_full_unfocused");
    EXPECT_EQ(Sys(COLOR_3DFACE), MostCommon(s, Inside(1, 1), Sys(COLOR_WINDOWTEXT)));
    list.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(CellList, AnEmptyListShowsItsTextBelowTheHeader)
{
    MakeList(0, {150, 150});
    list.SetEmptyText("There is no profile. Press Add to make one.");
    Shot s = Show();
    RECT hr;
    GetWindowRect(list.GetHeaderCtrl(), &hr);
    MapWindowPoints(nullptr, list.m_hWnd, (POINT*)&hr, 2);
    COLORREF text = list.GetTextColor() == CLR_DEFAULT ? Sys(COLOR_WINDOWTEXT) : list.GetTextColor();
    EXPECT_EQ(0, s.CountInRect(CRect(0, hr.bottom, s.w, hr.bottom + 10), text));
    EXPECT_GT(s.CountInRect(CRect(0, hr.bottom + 10, s.w, hr.bottom + 40), text), 30);
    // centred: as much ink left of the middle as right of it, within a glyph
    int left = s.CountInRect(CRect(0, hr.bottom + 10, s.w / 2, s.h), text);
    int right = s.CountInRect(CRect(s.w / 2, hr.bottom + 10, s.w, s.h), text);
    EXPECT_NEAR(left, right, (left + right) / 5);
    SaveShot(host.m_hWnd, "celllist_empty");

    list.SetItemCount(2);
    s = Show();
    EXPECT_EQ(0, s.CountInRect(CRect(0, hr.bottom + 10, s.w, s.h), text)) << "gone once there are rows";
}

TEST_F(CellList, RedrawCellsInvalidatesOnlyTheVisiblePartOfTheRange)
{
    MakeList(100, {120, 120});
    CRect r;
    EXPECT_FALSE(list.GetCellRect(100, 0, LVIR_BOUNDS, &r));
    EXPECT_FALSE(list.GetCellRect(0, 2, LVIR_BOUNDS, &r));
    EXPECT_FALSE(list.GetCellRect(0, -1, LVIR_BOUNDS, &r));
    UpdateWindow(list.m_hWnd);
    list.RedrawCells(2, 90, 1, CCellListCtrl::PART_CELL, FALSE);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(list.m_hWnd, &update, FALSE));
    EXPECT_EQ(Cell(2, 1).left, update.left);
    EXPECT_EQ(Cell(2, 1).top, update.top);
    EXPECT_EQ(Cell(2, 1).right, update.right);
    CRect client;
    list.GetClientRect(&client);
    EXPECT_LE(update.bottom, client.bottom + Cell(2, 1).Height());
    UpdateWindow(list.m_hWnd);
    list.RedrawCells(95, 99, 0, CCellListCtrl::PART_CELL, FALSE);
    EXPECT_FALSE(GetUpdateRect(list.m_hWnd, &update, FALSE)) << "rows out of sight";
}

} // namespace
