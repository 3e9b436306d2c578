// The tab container with real page dialogs and skinned tab buttons.
#include <gtest/gtest.h>

#include <memory>

#include "WidgetTestSupport.h"
#include "resource.h"
#include "widgets/TabContainerDlg.h"

using namespace widgettest;

namespace {

struct TabTest : ::testing::Test {
    HostDialog host{500, 320, 160, 160, "tabs"};
    CTabContainerDlg container{IDD_TAB_CONTAINER, &host};
    CDialog pages[3];
    CSkinButton tabs[3];
    CSkinButton radio;
    const CRect rcPage{0, 60, 480, 300};

    void SetUp() override
    {
        ASSERT_TRUE(container.Create(IDD_TAB_CONTAINER, &host));
        container.MoveWindow(0, 0, 480, 300);
        container.ShowWindow(SW_SHOW);
        const char* names[3] = {"Profile", "Network", "Advanced"};
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(tabs[i].Create(names[i], WS_VISIBLE | WS_TABSTOP, CRect(i * 90, 0, i * 90 + 90, 60),
                                       &container, 1124 + i));
            tabs[i].SetFont(host.GetFont());
            tabs[i].BuildSkin(0, 33, 10, 0, 0, 0xE68CA0, 0xA01E3C);
            ASSERT_TRUE(pages[i].Create(IDD_TAB_CONTAINER, &container));
        }
        ASSERT_TRUE(radio.Create("", WS_VISIBLE | WS_TABSTOP, CRect(300, 0, 330, 30), &container, 6248));
        radio.BuildSkin(0, 33, 10, 0, 0, 0xE68CA0, 0xA01E3C);
        radio.SetIcon(IDI_RADIO_ON, 0);
    }
    void Register()
    {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(1, container.AddPage(&pages[i], &tabs[i]));
        EXPECT_EQ(1, container.AddForwardButton(&radio));
    }
    void ExpectShown(int index, const char* when)
    {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(i == index, (bool)pages[i].IsWindowVisible()) << when << ": page " << i;
            EXPECT_EQ(i == index, (bool)tabs[i].m_bTabSelected) << when << ": tab " << i;
        }
    }
};

TEST_F(TabTest, PlacePagesMovesEveryPageAndShowsOnlyTheChosenOne)
{
    Register();
    container.PlacePages(rcPage, 90, 60, 1);
    ExpectShown(1, "placed");
    for (auto& p : pages) {
        CRect r;
        p.GetWindowRect(&r);
        container.ScreenToClient(&r);
        EXPECT_EQ(rcPage, r);
    }
    EXPECT_EQ(3, container.GetTabCount());
    Screenshot(host, "tab_container_network");
}

TEST_F(TabTest, PlacePagesPastTheTabCountShowsNothing)
{
    Register();
    container.PlacePages(rcPage, 90, 60, 3);
    ExpectShown(-1, "past the count");
    CRect r;
    pages[2].GetWindowRect(&r);
    container.ScreenToClient(&r);
    EXPECT_EQ(rcPage, r);
}

TEST_F(TabTest, ClickedTabShowsItsPageAndStaysSelectedWhenClickedAgain)
{
    Register();
    container.PlacePages(rcPage, 90, 60, 1);
    tabs[2].SendMessage(BM_CLICK);
    PumpPending();
    ExpectShown(2, "after clicking Advanced");
    tabs[2].SendMessage(BM_CLICK);
    PumpPending();
    ExpectShown(2, "after clicking Advanced again");
    tabs[0].SendMessage(BM_CLICK);
    PumpPending();
    ExpectShown(0, "after clicking Profile");
    Capture shot(host);
    shot.SavePng("tab_container_profile");
    const COLORREF l = GetSysColor(COLOR_3DHILIGHT);
    COLORREF selected = RGB((GetRValue(l) * 90 + 0x3C * 10) / 100, (GetGValue(l) * 90 + 0x1E * 10) / 100,
                            (GetBValue(l) * 90 + 0xA0 * 10) / 100);
    EXPECT_EQ(selected, shot.At(2, 2)) << Rgb(shot.At(2, 2));
    EXPECT_EQ(l, shot.At(182, 2)) << Rgb(shot.At(182, 2));
}

TEST_F(TabTest, ClearTabSelectionUnselectsEveryTabAndEndsTheirHover)
{
    Register();
    container.PlacePages(rcPage, 90, 60, 0);
    HoverOver(tabs[1], 45, 30);
    ASSERT_TRUE(tabs[1].IsHovered());
    container.ClearTabSelection();
    for (auto& t : tabs) {
        EXPECT_FALSE(t.m_bTabSelected);
        EXPECT_FALSE(t.IsHovered());
    }
    EXPECT_TRUE(pages[0].IsWindowVisible());   // pages keep their visibility
    container.HideAllPages();
    for (auto& p : pages)
        EXPECT_FALSE(p.IsWindowVisible());
}

TEST_F(TabTest, ForwardedButtonsClickReachesTheParentWithItsId)
{
    Register();
    container.PlacePages(rcPage, 90, 60, 1);
    host.commands.clear();
    radio.SendMessage(BM_CLICK);
    PumpPending();
    ASSERT_EQ(1u, host.commands.size());
    EXPECT_EQ(6248u, host.commands[0].first);
    EXPECT_EQ((UINT)BN_CLICKED, host.commands[0].second);
    EXPECT_EQ((HWND)container, GetParent(radio));   // back in its place
    ExpectShown(1, "after the forwarded click");
}

TEST_F(TabTest, EnterAndEscapeDoNotEndIt)
{
    Register();
    container.PlacePages(rcPage, 90, 60, 1);
    for (WPARAM id : {IDOK, IDCANCEL}) {
        container.SendMessage(WM_COMMAND, id, 0);
        PumpPending();
        EXPECT_TRUE(container.IsWindow()) << id;
        EXPECT_TRUE(container.IsWindowVisible()) << id;
    }
}

} // namespace
