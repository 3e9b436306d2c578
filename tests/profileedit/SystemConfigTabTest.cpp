// The System Config tab: what Add shows, the SSID list from the aged scan
// list, the network-type, power and preamble menus, the channel lists by
// ad hoc mode and A-band region, and the threshold edits and sliders.
#include "profileedit/EditorFixture.h"

#include "core/ChannelTable.h"

namespace {

using kqtest::EditorTest;

class SystemConfigTab : public EditorTest {
protected:
    kqtest::Restore<int> m_model{g_nModelIndex};
    kqtest::Restore<DWORD> m_region{g_dwCountryRegion};
    kqtest::Restore<int> m_mode{g_nWirelessMode};
};

TEST_F(SystemConfigTab, AddShowsTheDefaultsANewNameAndTheScannedNetworks)
{
    ASSERT_TRUE(WriteProfile("PROF4", ProfileSettings()));
    m_page->LoadProfileList();
    Add();
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(m_sys, FrontTab());
    EXPECT_EQ("PROF5", TextOf(m_sys, IDC_SYS_PROFILE_NAME));
    EXPECT_EQ("Infrastructure", TextOf(m_sys, IDC_SYS_NETWORK_TYPE));
    EXPECT_EQ("Auto", TextOf(m_sys, IDC_SYS_TX_POWER));
    EXPECT_EQ("Auto", TextOf(m_sys, IDC_SYS_PREAMBLE));
    EXPECT_FALSE(Enabled(m_sys, IDC_SYS_PREAMBLE));
    EXPECT_FALSE(Visible(m_sys, IDC_SYS_CHANNEL));
    EXPECT_TRUE(Checked(m_sys, IDC_SYS_CAM));
    EXPECT_FALSE(Checked(m_sys, IDC_SYS_USE_RTS));
    EXPECT_FALSE(Enabled(m_sys, IDC_SYS_RTS_SLIDER));
    EXPECT_EQ("2347", TextOf(m_sys, IDC_SYS_RTS_EDIT));
    EXPECT_EQ("2346", TextOf(m_sys, IDC_SYS_FRAG_EDIT));
    EXPECT_EQ("", TextOf(m_sys, IDC_SYS_SSID));

    // Every network of the aged list, visible ones by name, with its BSSID.
    std::vector<std::string> ssids = ComboItems(m_sys, IDC_SYS_SSID);
    for (const char* s : { "Kestiq-Open", "Kestiq-WEP", "Kestiq-Home", "Kestiq-Corp" })
        EXPECT_NE(ssids.end(), std::find(ssids.begin(), ssids.end(), s)) << s;
    HWND combo = GetDlgItem(m_sys->m_hWnd, IDC_SYS_SSID);
    int home = (int)SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"Kestiq-Home");
    ASSERT_GE(home, 0);
    CIconComboBox* box = static_cast<CIconComboBox*>(CWnd::FromHandlePermanent(combo));
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(CString("001122334403"), box->GetItemText(home, 1));
    Shot("editor-system-config-add");
}

TEST_F(SystemConfigTab, NoScanListLeavesTheSsidListEmpty)
{
    kqtest::Restore<BssidListBuffer*> cache{g_pBssidListCache};
    g_pBssidListCache = nullptr;
    Add();
    EXPECT_TRUE(ComboItems(m_sys, IDC_SYS_SSID).empty());

    // A damaged list: an entry whose length is zero ends the walk.
    std::vector<BYTE> damaged(BSSID_LIST_BUFFER_SIZE);
    BssidListBuffer* list = (BssidListBuffer*)damaged.data();
    list->NumberOfItems = 3;
    g_pBssidListCache = list;
    Add();
    EXPECT_TRUE(ComboItems(m_sys, IDC_SYS_SSID).empty());
}

TEST_F(SystemConfigTab, NetworkTypeMenuSwitchesTheControls)
{
    Add();
    kqtest::MenuSeen seen = OpenMenu(m_sys, IDC_SYS_NETWORK_TYPE, 1, "menu-network-type");
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ((std::vector<UINT>{ ID_NETWORK_INFRASTRUCTURE, ID_NETWORK_ADHOC }), seen.ids);
    EXPECT_EQ("Adhoc", TextOf(m_sys, IDC_SYS_NETWORK_TYPE));
    EXPECT_EQ(0, m_sys->m_nNetworkType);
    EXPECT_TRUE(Visible(m_sys, IDC_SYS_CHANNEL));
    EXPECT_TRUE(Visible(m_sys, IDC_SYS_LABEL_CHANNEL));
    EXPECT_FALSE(Enabled(m_sys, IDC_SYS_CAM));
    EXPECT_FALSE(Enabled(m_sys, IDC_SYS_PSM));
    EXPECT_TRUE(Enabled(m_sys, IDC_SYS_PREAMBLE));
    EXPECT_FALSE(IsWindowEnabled(m_editor->TabButton(EDIT_TAB_8021X)->m_hWnd));
    EXPECT_FALSE(ComboItems(m_sys, IDC_SYS_CHANNEL).empty());
    Shot("editor-system-config-adhoc");

    seen = OpenMenu(m_sys, IDC_SYS_PREAMBLE, 1, "menu-preamble");
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ((std::vector<UINT>{ ID_PREAMBLE_AUTO, ID_PREAMBLE_LONG }), seen.ids);
    EXPECT_EQ("Long", TextOf(m_sys, IDC_SYS_PREAMBLE));
    EXPECT_EQ(1, m_sys->m_nPreamble);

    // Back to infrastructure: the preamble is forced to Auto and greyed.
    seen = OpenMenu(m_sys, IDC_SYS_NETWORK_TYPE, 0, nullptr);
    EXPECT_EQ("Infrastructure", TextOf(m_sys, IDC_SYS_NETWORK_TYPE));
    EXPECT_EQ("Auto", TextOf(m_sys, IDC_SYS_PREAMBLE));
    EXPECT_EQ(0, m_sys->m_nPreamble);
    EXPECT_FALSE(Visible(m_sys, IDC_SYS_CHANNEL));
    EXPECT_TRUE(Enabled(m_sys, IDC_SYS_PSM));
}

TEST_F(SystemConfigTab, TxPowerMenuNamesEveryLevel)
{
    Add();
    kqtest::MenuSeen seen = OpenMenu(m_sys, IDC_SYS_TX_POWER, 2, "menu-tx-power");
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ((std::vector<UINT>{ ID_TX_POWER_AUTO, ID_TX_POWER_100, ID_TX_POWER_75, ID_TX_POWER_50, ID_TX_POWER_25,
                                  ID_TX_POWER_10, ID_TX_POWER_LOWEST }), seen.ids);
    EXPECT_EQ("75 %", TextOf(m_sys, IDC_SYS_TX_POWER));
    const struct { UINT id; const char* text; int level; } cases[] = {
        { ID_TX_POWER_AUTO, "Auto", 0 }, { ID_TX_POWER_100, "100%", 1 }, { ID_TX_POWER_75, "75 %", 2 },
        { ID_TX_POWER_50, "50 %", 3 }, { ID_TX_POWER_25, "25 %", 4 }, { ID_TX_POWER_10, "10 %", 5 },
        { ID_TX_POWER_LOWEST, "Lowest", 6 },
    };
    for (const auto& c : cases) {
        Command(m_sys, c.id);
        EXPECT_EQ(c.text, TextOf(m_sys, IDC_SYS_TX_POWER));
        EXPECT_EQ(c.level, m_sys->m_nTxPower) << c.text;
    }
}

TEST_F(SystemConfigTab, ChannelListFollowsTheAdhocModeAndTheABandRegion)
{
    const std::vector<std::string> bg = { "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11" };
    const std::vector<std::string> region10 = { "36", "40", "44", "48", "52", "56", "60", "64" };
    const struct {
        const char* what;
        int adhocMode;
        DWORD aRegion;
        std::vector<std::string> expect;
    } cases[] = {
        { "2.4 GHz only", 0, 10, bg },
        { "mode 3: 5 GHz only", 3, 10, region10 },
        { "mode 4: 2.4 GHz then 5 GHz", 4, 2, [&] { auto v = bg; v.insert(v.end(), region10.begin(), region10.end()); return v; }() },
        { "region 9 is only 34-46: none offered", 3, 9, {} },
        { "region 6", 5, 6, [&] { auto v = bg; v.insert(v.end(), { "36", "40", "44", "48" }); return v; }() },
    };
    g_nModelIndex = 7;
    g_nWirelessMode = 0;
    Add();
    for (const auto& c : cases) {
        g_dwCountryRegion = (c.aRegion << 8) | 0;
        m_sys->m_nAdhocMode = c.adhocMode;
        Command(m_sys, ID_NETWORK_ADHOC);
        EXPECT_EQ(c.expect, ComboItems(m_sys, IDC_SYS_CHANNEL)) << c.what;
        EXPECT_EQ(c.expect.empty() ? "" : c.expect[0], ComboSelection(m_sys, IDC_SYS_CHANNEL)) << c.what;
    }

    // A stored channel is selected again.
    g_dwCountryRegion = 10 << 8;
    m_sys->m_nAdhocMode = 3;
    m_sys->m_strChannel = "44";
    Command(m_sys, ID_NETWORK_ADHOC);
    EXPECT_EQ("44", ComboSelection(m_sys, IDC_SYS_CHANNEL));
}

TEST_F(SystemConfigTab, ThresholdEditsClampAndMoveTheirOwnSlider)
{
    Add();
    HWND rtsSlider = GetDlgItem(m_sys->m_hWnd, IDC_SYS_RTS_SLIDER);
    HWND fragSlider = GetDlgItem(m_sys->m_hWnd, IDC_SYS_FRAG_SLIDER);
    auto pos = [](HWND s) { return (int)SendMessageA(s, TBM_GETPOS, 0, 0); };

    ClickIn(m_sys, IDC_SYS_USE_RTS);
    ClickIn(m_sys, IDC_SYS_USE_FRAG);
    EXPECT_TRUE(Enabled(m_sys, IDC_SYS_RTS_EDIT));
    EXPECT_TRUE(Enabled(m_sys, IDC_SYS_FRAG_SLIDER));

    const struct {
        UINT edit;
        const char* typed;
        const char* shown;
        int rtsPos, fragPos;
    } cases[] = {
        { IDC_SYS_RTS_EDIT, "3000", "2347", 2347, 2346 },
        { IDC_SYS_RTS_EDIT, "500", "500", 500, 2346 },
        { IDC_SYS_RTS_EDIT, "0", "0", 0, 2346 },
        { IDC_SYS_FRAG_EDIT, "100", "100", 0, 256 },
        { IDC_SYS_FRAG_EDIT, "9999", "2346", 0, 2346 },
        { IDC_SYS_FRAG_EDIT, "256", "256", 0, 256 },
        { IDC_SYS_FRAG_EDIT, "1500", "1500", 0, 1500 },
    };
    for (const auto& c : cases) {
        Type(m_sys, c.edit, c.typed);
        EXPECT_EQ(c.shown, TextOf(m_sys, c.edit)) << c.typed;
        EXPECT_EQ(c.rtsPos, pos(rtsSlider)) << c.typed;
        EXPECT_EQ(c.fragPos, pos(fragSlider)) << c.typed;
    }
    Shot("editor-system-config-thresholds");

    // Clearing a box greys its row and puts its maximum back.
    ClickIn(m_sys, IDC_SYS_USE_RTS);
    EXPECT_FALSE(Enabled(m_sys, IDC_SYS_RTS_EDIT));
    EXPECT_FALSE(Enabled(m_sys, IDC_SYS_RTS_SLIDER));
    EXPECT_EQ("2347", TextOf(m_sys, IDC_SYS_RTS_EDIT));
    EXPECT_EQ(2347, pos(rtsSlider));
}

TEST_F(SystemConfigTab, SliderMovesWriteTheirEdit)
{
    Add();
    ClickIn(m_sys, IDC_SYS_USE_FRAG);
    HWND slider = GetDlgItem(m_sys->m_hWnd, IDC_SYS_FRAG_SLIDER);
    SendMessageA(slider, WM_KEYDOWN, VK_PRIOR, 0);   // one page (256) down from 2346
    Pump();
    EXPECT_EQ("2090", TextOf(m_sys, IDC_SYS_FRAG_EDIT));
    SendMessageA(slider, WM_KEYDOWN, VK_LEFT, 0);    // one line (32)
    Pump();
    EXPECT_EQ("2058", TextOf(m_sys, IDC_SYS_FRAG_EDIT));
    EXPECT_EQ(2058, (int)SendMessageA(slider, TBM_GETPOS, 0, 0));
    EXPECT_EQ("2347", TextOf(m_sys, IDC_SYS_RTS_EDIT));
}

TEST_F(SystemConfigTab, PowerSaveRadiosKeepTheTabInFront)
{
    Add();
    ClickIn(m_sys, IDC_SYS_PSM);
    EXPECT_EQ(1, m_sys->m_nPowerSave);
    EXPECT_TRUE(Checked(m_sys, IDC_SYS_PSM));
    EXPECT_FALSE(Checked(m_sys, IDC_SYS_CAM));
    EXPECT_EQ(m_sys, FrontTab());
    ClickIn(m_sys, IDC_SYS_CAM);
    EXPECT_EQ(0, m_sys->m_nPowerSave);
}

TEST_F(SystemConfigTab, FieldsHoldWhatTheStoreKeeps)
{
    Add();
    EXPECT_EQ(32, (int)SendMessageA(GetDlgItem(m_sys->m_hWnd, IDC_SYS_PROFILE_NAME), EM_GETLIMITTEXT, 0, 0));
    Type(m_sys, IDC_SYS_PROFILE_NAME, std::string(40, 'n'));
    EXPECT_EQ(std::string(32, 'n'), TextOf(m_sys, IDC_SYS_PROFILE_NAME));
    HWND ssidEdit = GetWindow(GetDlgItem(m_sys->m_hWnd, IDC_SYS_SSID), GW_CHILD);
    ASSERT_NE(nullptr, ssidEdit);
    SendMessageA(ssidEdit, EM_SETSEL, 0, -1);
    for (int i = 0; i < 40; ++i) SendMessageA(ssidEdit, WM_CHAR, 's', 0);
    EXPECT_EQ(std::string(32, 's'), TextOf(m_sys, IDC_SYS_SSID));
    Type(m_sys, IDC_SYS_RTS_EDIT, "123456");
    EXPECT_LE(TextOf(m_sys, IDC_SYS_RTS_EDIT).size(), 4u);
}

}  // namespace

namespace {

// ---- What the site survey hands over --------------------------------------------------------

TEST_F(SystemConfigTab, LoadsTheSurveysNetwork)
{
    g_nModelIndex = 7;
    g_nWirelessMode = 0;
    g_dwCountryRegion = (10 << 8) | 1;
    const struct {
        const char* what;
        std::string ssid;
        NDIS_802_11_NETWORK_INFRASTRUCTURE mode;
        DWORD freq;
        const char* type;
        const char* channel;
    } cases[] = {
        { "infrastructure on 11", "Kestiq-Home", Ndis802_11Infrastructure, 2462000, "Infrastructure", "11" },
        { "ad hoc on 6", "Games", Ndis802_11IBSS, 2437000, "Adhoc", "6" },
        { "ad hoc off the table: first channel", "Odd", Ndis802_11IBSS, 2999000, "Adhoc", "1" },
        { "an SSID of 32 bytes", std::string(32, 'x'), Ndis802_11Infrastructure, 2412000, "Infrastructure", "1" },
    };
    for (const auto& c : cases) {
        Add();
        NDIS_WLAN_BSSID_EX bss = {};
        bss.Length = sizeof(bss);
        bss.Ssid.SsidLength = (ULONG)c.ssid.size();
        std::memcpy(bss.Ssid.Ssid, c.ssid.data(), c.ssid.size());
        bss.InfrastructureMode = c.mode;
        bss.Configuration.DSConfig = c.freq;
        m_sys->m_nAdhocMode = 0;
        m_sys->LoadFromSurveyEntry(&bss);
        EXPECT_EQ(c.ssid, TextOf(m_sys, IDC_SYS_SSID)) << c.what;
        EXPECT_EQ(c.type, TextOf(m_sys, IDC_SYS_NETWORK_TYPE)) << c.what;
        if (c.mode == Ndis802_11IBSS) EXPECT_EQ(c.channel, ComboSelection(m_sys, IDC_SYS_CHANNEL)) << c.what;
        EXPECT_EQ(std::string("PROF1"), TextOf(m_sys, IDC_SYS_PROFILE_NAME)) << c.what;
    }
    // A driver's SSID length beyond 32 is read as 32.
    NDIS_WLAN_BSSID_EX bss = {};
    bss.Length = sizeof(bss);
    bss.Ssid.SsidLength = 200;
    std::memset(bss.Ssid.Ssid, 'y', 32);
    bss.InfrastructureMode = Ndis802_11Infrastructure;
    m_sys->LoadFromSurveyEntry(&bss);
    EXPECT_EQ(std::string(32, 'y'), TextOf(m_sys, IDC_SYS_SSID));
}

}  // namespace
