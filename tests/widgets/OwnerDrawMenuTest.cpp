// The owner-drawn menu: its own reading of menu resources, the measurements
// and pixels of both looks, the marks and the keyboard answers.
#include <gtest/gtest.h>

#include "WidgetTestSupport.h"
#include "resource.h"
#include "widgets/OwnerDrawMenu.h"

using namespace widgettest;

namespace {

#define IDM_TEST_DROPDOWN 9001
#define IDM_TEST_MNEMONICS 9002

// Restores both look flags.
struct XpStyleScope {
    BOOL themed = COwnerDrawMenu::s_bXpStyleThemed, unthemed = COwnerDrawMenu::s_bXpStyleUnthemed;
    explicit XpStyleScope(BOOL xp) { COwnerDrawMenu::SetXpStyle(xp); }
    ~XpStyleScope()
    {
        COwnerDrawMenu::s_bXpStyleThemed = themed;
        COwnerDrawMenu::s_bXpStyleUnthemed = unthemed;
    }
};

// Draws one item into a 32-bit surface of w x h, with the item's data and state.
struct ItemPicture {
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    DWORD* px = nullptr;
    int w, h;
    ItemPicture(COwnerDrawMenu& menu, HMENU owner, UINT pos, UINT state, int width, int height) : w(width), h(height)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader = { sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB };
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, (void**)&px, nullptr, 0);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bmp);
        MENUITEMINFOA mii = {sizeof(mii)};
        mii.fMask = MIIM_DATA | MIIM_ID;
        GetMenuItemInfoA(owner, pos, TRUE, &mii);
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_MENU;
        dis.itemID = mii.wID;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hwndItem = (HWND)owner;
        dis.hDC = dc;
        dis.rcItem = {0, 0, w, h};
        dis.itemData = mii.dwItemData;
        menu.DrawItem(&dis);
        GdiFlush();
    }
    ~ItemPicture()
    {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const
    {
        DWORD p = px[(size_t)y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(COLORREF c) const
    {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) n += At(x, y) == c;
        return n;
    }
};

int TextWidth(const wchar_t* text)
{
    NONCLIENTMETRICSA ncm = {sizeof(ncm)};
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    HFONT font = CreateFontIndirectA(&ncm.lfMenuFont);
    HDC dc = GetDC(GetDesktopWindow());
    HGDIOBJ old = SelectObject(dc, font);
    SIZE sz = {};
    GetTextExtentPoint32W(dc, text, (int)wcslen(text), &sz);
    SelectObject(dc, old);
    ReleaseDC(GetDesktopWindow(), dc);
    DeleteObject(font);
    return sz.cx;
}

TEST(OwnerDrawMenu, ReadsTheResourceItselfWithEveryItemOwnerDrawn)
{
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_DROPDOWN));
    EXPECT_TRUE(COwnerDrawMenu::IsOwnerDrawMenu(menu));
    HMENU sub = menu.GetSubMenu(0);
    ASSERT_NE(nullptr, sub);
    EXPECT_TRUE(COwnerDrawMenu::IsOwnerDrawMenu(sub));
    ASSERT_EQ(8, GetMenuItemCount(sub));
    const UINT ids[] = {ID_TTLS_CHAP, ID_TTLS_MSCHAP, 0, 9101, 9102, 9103, (UINT)-1, 9105};
    for (int i = 0; i < 8; ++i) {
        MENUITEMINFOA mii = {sizeof(mii)};
        mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_STATE | MIIM_ID | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoA(sub, i, TRUE, &mii));
        EXPECT_TRUE(mii.fType & MFT_OWNERDRAW) << i;
        const COwnerDrawMenuItem* item = (const COwnerDrawMenuItem*)mii.dwItemData;
        ASSERT_NE(nullptr, item) << i;
        EXPECT_EQ(-1, item->image) << i;
        if (i != 2 && i != 6) {
            EXPECT_EQ(ids[i], mii.wID) << i;
        }
        EXPECT_EQ(i == 2, (item->flags & MF_SEPARATOR) != 0) << i;
        if (i != 2) {   // the system counts a separator as disabled
            EXPECT_EQ(i == 4, (mii.fState & MFS_GRAYED) != 0) << i;
        }
        EXPECT_EQ(i == 5, (mii.fState & MFS_CHECKED) != 0) << i;
        if (i == 6) {
            EXPECT_TRUE(COwnerDrawMenu::IsOwnerDrawMenu(mii.hSubMenu));
            EXPECT_EQ(std::wstring(L"More"), item->text);
        }
    }
    EXPECT_EQ(std::wstring(L"MS-CHAP\tCtrl+M"), menu.FindSubMenu(sub)->FindItem(1, TRUE)->text);
    // gone from the process-wide list with the menu
    HMENU inner = GetSubMenu(sub, 6);
    menu.DestroyMenu();
    EXPECT_FALSE(COwnerDrawMenu::IsOwnerDrawMenu(sub));
    EXPECT_FALSE(COwnerDrawMenu::IsOwnerDrawMenu(inner));
    EXPECT_FALSE(IsMenu(sub));
}

TEST(OwnerDrawMenu, MissingResourcesAreRefused)
{
    COwnerDrawMenu menu;
    EXPECT_FALSE(menu.LoadMenu(4711));
    EXPECT_FALSE(menu.LoadMenu("NOSUCHMENU"));
    EXPECT_EQ(nullptr, menu.GetSafeHmenu());
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_DROPDOWN));
    EXPECT_FALSE(menu.LoadToolbar(4711));
}

TEST(OwnerDrawMenu, ToolbarGivesTheItemsOfItsCommandsTheirImages)
{
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_DROPDOWN));
    EXPECT_EQ(16, menu.GetIconWidth());
    EXPECT_EQ(15, menu.GetIconHeight());
    menu.SetMaskColor(RGB(255, 0, 255));
    ASSERT_TRUE(menu.LoadToolbar(IDR_TOOLBAR_TTLS));
    EXPECT_EQ(16, menu.GetIconHeight());   // grown to the toolbar's
    COwnerDrawMenu* sub = menu.FindSubMenu(menu.GetSubMenu(0));
    // CHAP is the toolbar's first button, MS-CHAP its second
    EXPECT_EQ(0, sub->FindItem(ID_TTLS_CHAP, FALSE)->globalImage);
    EXPECT_EQ(1, sub->FindItem(ID_TTLS_MSCHAP, FALSE)->globalImage);
    EXPECT_EQ(-1, sub->FindItem(9101, FALSE)->image);
}

TEST(OwnerDrawMenu, MeasuresItemsInBothLooks)
{
    const int cyMenu = GetSystemMetrics(SM_CYMENU);
    struct Case {
        BOOL xp;
        int pad;
    } cases[] = {{FALSE, 4}, {TRUE, 7}};
    for (const Case& c : cases) {
        XpStyleScope look(c.xp);
        ASSERT_EQ(c.xp, COwnerDrawMenu::UseXpLook());
        COwnerDrawMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDM_TEST_DROPDOWN));
        COwnerDrawMenu* sub = menu.FindSubMenu(menu.GetSubMenu(0));
        for (int pos : {0, 1, 3}) {
            COwnerDrawMenuItem* item = sub->FindItem(pos, TRUE);
            MEASUREITEMSTRUCT mis = {ODT_MENU, 0, item->id, 0, 0, (ULONG_PTR)item};
            sub->MeasureItem(&mis);
            int text = TextWidth(item->text.c_str());
            EXPECT_EQ((UINT)(c.xp ? text + 16 + c.pad + 8 : text + 2 * 16 + 1), mis.itemWidth) << c.xp << " " << pos;
            EXPECT_EQ((UINT)std::max(cyMenu, 15 + c.pad), mis.itemHeight) << c.xp << " " << pos;
        }
        COwnerDrawMenuItem* sep = sub->FindItem(2, TRUE);
        MEASUREITEMSTRUCT mis = {ODT_MENU, 0, 0, 0, 0, (ULONG_PTR)sep};
        sub->MeasureItem(&mis);
        EXPECT_EQ(0u, mis.itemWidth);
        EXPECT_EQ((UINT)std::max(cyMenu / 2, (15 + c.pad) / 2), mis.itemHeight);
    }
}

TEST(OwnerDrawMenu, DisabledItemsAreEmbossedInTheClassicLook)
{
    XpStyleScope classic(FALSE);
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_DROPDOWN));
    menu.SetMaskColor(RGB(255, 0, 255));
    ASSERT_TRUE(menu.LoadToolbar(IDR_TOOLBAR_TTLS));
    HMENU sub = menu.GetSubMenu(0);
    COwnerDrawMenu* odm = menu.FindSubMenu(sub);
    const COLORREF hi = GetSysColor(COLOR_3DHILIGHT), grey = GetSysColor(COLOR_GRAYTEXT),
                   shadow = GetSysColor(COLOR_3DSHADOW), back = GetSysColor(COLOR_MENU);
    // the text: highlight one pixel right and down of every grey pixel's place
    ItemPicture text(*odm, sub, 4, ODS_GRAYED, 160, 20);
    int greys = 0, shadowed = 0;
    for (int y = 0; y + 1 < text.h; ++y)
        for (int x = 0; x + 1 < text.w; ++x)
            if (text.At(x, y) == grey) {
                ++greys;
                shadowed += text.At(x + 1, y + 1) == hi || text.At(x + 1, y + 1) == grey;
            }
    EXPECT_GT(greys, 20);
    EXPECT_EQ(greys, shadowed);
    // an icon of a disabled item: only its shape, in highlight and shadow
    ItemPicture icon(*odm, sub, 0, ODS_GRAYED, 160, 20);
    int shape = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 22; ++x) {
            COLORREF c = icon.At(x, y);
            ASSERT_TRUE(c == hi || c == shadow || c == back) << x << "," << y << " " << Rgb(c);
            shape += c == shadow;
        }
    EXPECT_GT(shape, 10);
    // the same icon enabled shows its colours
    ItemPicture enabled(*odm, sub, 0, 0, 160, 20);
    int coloured = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 22; ++x) {
            COLORREF c = enabled.At(x, y);
            coloured += GetBValue(c) > GetRValue(c) + 60;
        }
    EXPECT_GT(coloured, 10);
}

// The check mark's seven three-pixel strokes and the radio mark's disc, at (x, y).
void ExpectCheckMark(const ItemPicture& p, int x, int y, const char* look)
{
    const COLORREF mark = GetSysColor(COLOR_MENUTEXT);
    const int start[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i)
        for (int row = y - 1; row <= y + 7; ++row) {
            bool on = row >= y + start[i] && row < y + start[i] + 3;
            EXPECT_EQ(on, p.At(x + i, row) == mark) << look << " column " << i << " row " << row - y;
        }
    EXPECT_NE(mark, p.At(x - 1, y + 3)) << look;
    EXPECT_NE(mark, p.At(x + 7, y + 1)) << look;
}

void ExpectRadioMark(const ItemPicture& p, int x, int y, const char* look)
{
    const COLORREF mark = GetSysColor(COLOR_MENUTEXT);
    for (int dy = 1; dy <= 4; ++dy)
        for (int dx = 1; dx <= 4; ++dx)
            if (!((dx == 1 || dx == 4) && (dy == 1 || dy == 4))) {
                EXPECT_EQ(mark, p.At(x + dx, y + dy)) << look << " " << dx << "," << dy;
            }
    for (int i = -1; i <= 6; ++i) {
        EXPECT_NE(mark, p.At(x + i, y - 1)) << look;
        EXPECT_NE(mark, p.At(x + i, y + 6)) << look;
        EXPECT_NE(mark, p.At(x - 1, y + i)) << look;
        EXPECT_NE(mark, p.At(x + 6, y + i)) << look;
    }
}

TEST(OwnerDrawMenu, CheckAndRadioMarksStandWhereEachLookPutsThem)
{
    const int itemH = 24;
    for (BOOL xp : {FALSE, TRUE}) {
        XpStyleScope look(xp);
        COwnerDrawMenu menu;
        ASSERT_TRUE(menu.LoadMenu(IDM_TEST_DROPDOWN));
        HMENU sub = menu.GetSubMenu(0);
        COwnerDrawMenu* odm = menu.FindSubMenu(sub);
        // the box: classic at (1, dy + 1) with dy = (24 - 15 - 4) / 2; XP a 16 x 16 box centred
        // in the 16 + 7 column: (int)((23 - 16 + 1) * 0.5) = 4, (int)((24 - 16 + 1) * 0.5) = 4
        int boxX = xp ? 4 : 1, boxY = xp ? 4 : 2 + 1;
        int checkX = boxX + (xp ? 5 : 4), checkY = boxY + 4;
        {
            ItemPicture p(*odm, sub, 5, ODS_CHECKED, 160, itemH);
            ExpectCheckMark(p, checkX, checkY, xp ? "xp" : "classic");
        }
        // a checked-state bitmap in the item's menu information makes it a radio item
        HBITMAP bmp = CreateBitmap(8, 8, 1, 1, nullptr);
        SetMenuItemBitmaps(sub, 9103, MF_BYCOMMAND, nullptr, bmp);
        {
            ItemPicture p(*odm, sub, 5, ODS_CHECKED, 160, itemH);
            ExpectRadioMark(p, boxX + 5, boxY + 4, xp ? "xp radio" : "classic radio");
        }
        DeleteObject(bmp);
    }
}

TEST(OwnerDrawMenu, MenuCharFindsTheMnemonicWhateverItsCase)
{
    COwnerDrawMenu menu;
    ASSERT_TRUE(menu.LoadMenu(IDM_TEST_MNEMONICS));
    CMenu sub;
    sub.m_hMenu = menu.GetSubMenu(0);
    struct Case {
        char ch;
        LRESULT result;
    } cases[] = {
        {'a', MAKELRESULT(0, MNC_EXECUTE)}, {'A', MAKELRESULT(0, MNC_EXECUTE)},
        {'c', MAKELRESULT(1, MNC_EXECUTE)},   // after the literal "&&"
        {'x', MAKELRESULT(2, MNC_EXECUTE)}, {'X', MAKELRESULT(2, MNC_EXECUTE)},
        {'e', 0}, {'n', 0}, {'&', 0}, {'z', 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, COwnerDrawMenu::OnMenuChar((BYTE)c.ch, MF_POPUP, &sub)) << c.ch;
    CMenu plain;
    plain.CreatePopupMenu();
    plain.AppendMenu(MF_STRING, 1, "&Alpha");
    EXPECT_EQ(0, COwnerDrawMenu::OnMenuChar('a', MF_POPUP, &plain));
    sub.Detach();
}

} // namespace
