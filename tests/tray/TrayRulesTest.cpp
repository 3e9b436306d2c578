// The controller's rules that are tables: signal percent, menu choice, the
// WEP-check decision and the tooltip text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/HideDlg.h"
#include "resource.h"

namespace {

TEST(RssiToPercent, FollowsTheTable)
{
    struct { int dBm, percent; } cases[] = {
        { -20, 100 }, { -50, 100 }, { -51, 99 }, { -62, 70 }, { -69, 52 }, { -75, 37 },
        { -80, 24 }, { -81, 23 }, { -85, 13 }, { -90, 0 }, { -91, 0 }, { -200, 0 },
    };
    for (const auto& c : cases) EXPECT_EQ(c.percent, RssiToPercent(c.dBm)) << c.dBm << " dBm";
}

TEST(ChooseTrayMenu, FollowsAdminModeOsToolsAndModel)
{
    struct {
        BOOL admin; int wzc; int os; BOOL tools, modelOk, found; UINT menu;
    } cases[] = {
        // not an administrator: always the short menu
        { FALSE, 2, 11, TRUE, TRUE, TRUE, 150 },
        { FALSE, 0, 7, TRUE, TRUE, TRUE, 150 },
        // Zero Configuration manages the adapter
        { TRUE, 2, 11, TRUE, TRUE, TRUE, 152 },
        { TRUE, 2, 11, FALSE, TRUE, TRUE, 151 },
        { TRUE, 2, 11, TRUE, FALSE, TRUE, 151 },
        { TRUE, 2, 11, TRUE, TRUE, FALSE, 151 },
        // XP and later
        { TRUE, 0, 8, TRUE, TRUE, TRUE, 154 },
        { TRUE, 1, 11, TRUE, TRUE, TRUE, 154 },
        { TRUE, 0, 11, FALSE, TRUE, TRUE, 153 },
        { TRUE, 0, 8, TRUE, FALSE, TRUE, 153 },
        // before XP
        { TRUE, 0, 7, TRUE, TRUE, TRUE, 148 },
        { TRUE, 0, 7, TRUE, TRUE, FALSE, 150 },
        { TRUE, 0, 4, FALSE, TRUE, TRUE, 150 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.menu, ChooseTrayMenu(c.admin, c.wzc, c.os, c.tools, c.modelOk, c.found))
            << "admin " << c.admin << " wzc " << c.wzc << " os " << c.os << " tools " << c.tools
            << " model " << c.modelOk << " found " << c.found;
}

TEST(TrayMenus, HoldTheirItemsInOrder)
{
    struct { UINT menu; std::vector<UINT> ids; } cases[] = {
        { 148, { 32771, 32773, 32772 } },
        { 150, { 32771, 32772 } },
        { 151, { 32771, 32774, 32772 } },
        { 152, { 32771, 32774, 32773, 32772 } },
        { 153, { 32771, 32775, 32772 } },
        { 154, { 32771, 32775, 32773, 32772 } },
    };
    for (const auto& c : cases) {
        HMENU m = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.menu));
        ASSERT_TRUE(m) << c.menu;
        char title[32] = {};
        GetMenuStringA(m, 0, title, sizeof(title), MF_BYPOSITION);
        EXPECT_STREQ("_TRSY_", title);
        HMENU popup = GetSubMenu(m, 0);
        ASSERT_EQ((int)c.ids.size(), GetMenuItemCount(popup)) << c.menu;
        for (size_t i = 0; i < c.ids.size(); ++i) EXPECT_EQ(c.ids[i], GetMenuItemID(popup, (int)i)) << c.menu;
        char launch[64] = {};
        GetMenuStringA(popup, 32771, launch, sizeof(launch), MF_BYCOMMAND);
        EXPECT_STREQ("Launch Config Utilities ", launch);
        DestroyMenu(m);
    }
}

TEST(WepCheckDecide, FourCases)
{
    struct {
        long long d; BOOL rcvChanged; BOOL wepBefore, icvBefore; BOOL wepAfter, icvAfterLegacy;
    } cases[] = {
        { 10, FALSE, FALSE, FALSE, TRUE, TRUE },    // frames out, nothing in: wrong key
        { 500, FALSE, TRUE, FALSE, TRUE, TRUE },
        { 10, TRUE, TRUE, TRUE, FALSE, FALSE },     // traffic both ways: the key fits
        { 3, TRUE, TRUE, TRUE, FALSE, FALSE },      // little out, something in: fits
        { 9, FALSE, TRUE, TRUE, TRUE, TRUE },       // too little to tell: unchanged
        { 9, FALSE, FALSE, FALSE, FALSE, FALSE },
        { -5, FALSE, TRUE, FALSE, TRUE, FALSE },    // counter went back: unchanged
    };
    for (const auto& c : cases) {
        for (BOOL legacy : { TRUE, FALSE }) {
            BOOL wep = c.wepBefore, icv = c.icvBefore;
            WepCheckDecide(c.d, c.rcvChanged, legacy, &wep, &icv);
            EXPECT_EQ(c.wepAfter, wep) << "d " << c.d << " changed " << c.rcvChanged;
            // Only a legacy model takes the error flag from this check.
            EXPECT_EQ(legacy ? c.icvAfterLegacy : c.icvBefore, icv) << "d " << c.d << " legacy " << legacy;
        }
    }
}

NDIS_802_11_SSID Ssid(const std::string& s, ULONG claimedLength)
{
    NDIS_802_11_SSID r = {};
    std::memcpy(r.Ssid, s.data(), s.size() > 32 ? 32 : s.size());
    r.SsidLength = claimedLength;
    return r;
}

TEST(FormatTrayTip, TextPerIconState)
{
    NDIS_802_11_SSID ssid = Ssid("Home", 4);
    struct { UINT icon; const char* tip; } cases[] = {
        { 131, "Tolvane Wireless LAN Adapter\nStatus : Good (Home)" },
        { 159, "Tolvane Wireless LAN Adapter\nstatus : Normal (Home)" },
        { 160, "Tolvane Wireless LAN Adapter\nStatus : Weak (Home)" },
        { 132, "Tolvane Wireless LAN Adapter\nDisconnected" },
        { 161, "Tolvane Wireless LAN Adapter\nNot exist" },
        { 162, "Tolvane Wireless LAN Adapter\nStatus : WEP Error" },
        { 298, "" },
    };
    for (const auto& c : cases) {
        char tip[128];
        FormatTrayTip(c.icon, ssid, tip, sizeof(tip));
        EXPECT_STREQ(c.tip, tip) << c.icon;
    }
}

TEST(FormatTrayTip, SsidIsNeverAFormat)
{
    char tip[128];
    FormatTrayTip(131, Ssid("50% %s%n%d", 10), tip, sizeof(tip));
    EXPECT_STREQ("Tolvane Wireless LAN Adapter\nStatus : Good (50% %s%n%d)", tip);
}

TEST(FormatTrayTip, OverlongSsidLengthReadsAs32Bytes)
{
    NDIS_802_11_SSID s = Ssid("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 200);
    char tip[128];
    FormatTrayTip(159, s, tip, sizeof(tip));
    EXPECT_STREQ("Tolvane Wireless LAN Adapter\nstatus : Normal (ABCDEFGHIJKLMNOPQRSTUVWXYZ012345)", tip);
}

TEST(FormatTrayTip, CutToTheField)
{
    char tip[20];
    std::memset(tip, 'x', sizeof(tip));
    FormatTrayTip(131, Ssid("Home", 4), tip, sizeof(tip));
    EXPECT_EQ(19u, std::strlen(tip));
    EXPECT_STREQ("Tolvane Wireless LA", tip);
}

}  // namespace
