// The advanced page as it shows itself: its combos by adapter, the values it
// reads for an administrator and for anyone else, the CCX options and how
// they follow each other, the mode change and its question, the 802.11n
// controls with their rate and the 40 MHz rule, the check build and its
// trace lines, the one-second timer.
#include "advanced/PageFixture.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::PageWindowTest;
using Strings = std::vector<std::string>;

const Strings kAllRates = { "Auto",   "1 Mbps",  "2 Mbps",  "5.5 Mbps", "11 Mbps", "6 Mbps", "9 Mbps",
                            "12 Mbps", "18 Mbps", "24 Mbps", "36 Mbps",  "48 Mbps", "54 Mbps" };
const UINT kHtGroup[] = { IDC_ADV_HT_HEADING, IDC_ADV_HT_MM, IDC_ADV_BW_AUTO, IDC_ADV_GI_AUTO, IDC_ADV_STBC_AUTO,
                          IDC_ADV_EXTCHA_BELOW, IDC_ADV_MCS, IDC_ADV_TX_RATE_TEXT };

class AdvancedPageTest : public PageWindowTest {
protected:
    // The adapter the page is made for, before the window opens.
    static void Adapter(int model, BOOL dualBand, BOOL ht, int generation)
    {
        g_nModelIndex = model;
        g_bDualBand = dualBand;
        g_bHtDevice = ht;
        g_nHtGeneration = generation;
    }
    // Picks a wireless mode and confirms the question it asks.
    std::string PickMode(CWnd* p, const char* mode, BoxAnswer::Kind answer = BoxAnswer::OK)
    {
        BoxAnswer box(answer);
        EXPECT_TRUE(Pick(p, IDC_ADV_WIRELESS_MODE, mode)) << mode;
        return box.Text();
    }
    bool HtGroupShown(CWnd* p)
    {
        for (UINT id : kHtGroup)
            if (!Visible(p, id)) return false;
        return true;
    }
    bool HtGroupHidden(CWnd* p)
    {
        for (UINT id : kHtGroup)
            if (Visible(p, id)) return false;
        return true;
    }
};

// ---- What the page offers ---------------------------------------------------------------

TEST_F(AdvancedPageTest, CombosFollowTheAdapter)
{
    struct Case {
        const char* what;
        int model;
        BOOL dualBand, ht;
        int generation;
        Strings modes;
        std::string firstBgRegion;
        size_t bgRegions, aRegions;
        bool aRegionShown;
    } const cases[] = {
        { "802.11n, dual band", 7, TRUE, TRUE, 2,
          { "802.11 B/G mix", "802.11 B only", "802.11 A only", "802.11 A/B/G mix", "802.11 B/G/N mix",
            "802.11 A/B/G/N mix" },
          "0: CH1-11", 8, 9, false },
        { "first 802.11n generation, one band", 6, FALSE, TRUE, 1,
          { "802.11 B/G mix", "802.11 B only", "802.11 B/G/N mix" }, "0: CH1-11", 8, 9, false },
        { "802.11g only", 4, FALSE, FALSE, 0, { "802.11 B/G mix", "802.11 B only" }, "0: CH1-11", 8, 0, false },
        { "oldest model, authorities named", 0, FALSE, FALSE, 0, { "802.11 B/G mix", "802.11 B only" },
          "0: FCC, CH1-11", 8, 0, false },
        { "a model without region lists", 2, TRUE, FALSE, 0,
          { "802.11 B/G mix", "802.11 B only", "802.11 A only", "802.11 A/B/G mix" }, "", 0, 0, false },
    };
    for (const Case& c : cases) {
        Adapter(c.model, c.dualBand, c.ht, c.generation);
        Store(REGSTR_WIRELESS_MODE, "0");
        CWnd* p = Advanced();
        EXPECT_EQ("Advance", p->GetWindowText().str()) << c.what;
        EXPECT_EQ(c.modes, ComboItems(p, IDC_ADV_WIRELESS_MODE)) << c.what;
        EXPECT_EQ("802.11 B/G mix", ComboText(p, IDC_ADV_WIRELESS_MODE)) << c.what;
        Strings bg = ComboItems(p, IDC_ADV_BG_REGION);
        EXPECT_EQ(c.bgRegions, bg.size()) << c.what;
        EXPECT_EQ(c.firstBgRegion, bg.empty() ? "" : bg[0]) << c.what;
        EXPECT_EQ(c.aRegions, ComboItems(p, IDC_ADV_A_REGION).size()) << c.what;
        EXPECT_EQ(c.aRegionShown, Visible(p, IDC_ADV_A_REGION)) << c.what;
        // Without the check build the 802.11n controls stay hidden; the
        // rate and protection rows serve this mode.
        EXPECT_TRUE(HtGroupHidden(p)) << c.what;
        EXPECT_TRUE(Visible(p, IDC_ADV_TX_RATE) && Enabled(p, IDC_ADV_TX_RATE)) << c.what;
        EXPECT_TRUE(Visible(p, IDC_ADV_PROTECTION)) << c.what;
        EXPECT_EQ(kAllRates, ComboItems(p, IDC_ADV_TX_RATE)) << c.what;
        if (c.model == 7) {
            Shot(p, "advanced-page");
            ShotDropped(p, IDC_ADV_WIRELESS_MODE, "advanced-mode-combo-open");
            ShotDropped(p, IDC_ADV_BG_REGION, "advanced-bg-region-combo-open");
            ShotDropped(p, IDC_ADV_TX_RATE, "advanced-tx-rate-combo-open");
        }
        Reopen();
    }
}

TEST_F(AdvancedPageTest, RegionsTheDriverKeepsAreNotOffered)
{
    struct Case {
        BOOL bg, a;
        bool bgEnabled, aEnabled, headingEnabled;
    } const cases[] = {
        { TRUE, TRUE, true, true, true },
        { FALSE, TRUE, false, true, true },
        { TRUE, FALSE, true, false, true },
        { FALSE, FALSE, false, false, false },
    };
    for (const Case& c : cases) {
        g_bRegionBgFlag = c.bg;
        g_bRegionAFlag = c.a;
        Store(REGSTR_WIRELESS_MODE, "5");
        CWnd* p = Advanced();
        EXPECT_EQ(c.bgEnabled, Enabled(p, IDC_ADV_BG_REGION) && Enabled(p, IDC_ADV_LABEL_BG));
        EXPECT_EQ(c.aEnabled, Enabled(p, IDC_ADV_A_REGION) && Enabled(p, IDC_ADV_LABEL_A));
        EXPECT_EQ(c.headingEnabled, Enabled(p, IDC_ADV_REGION_HEADING));
        Reopen();
    }
}

TEST_F(AdvancedPageTest, ABandRegionComboOpen)
{
    Store(REGSTR_WIRELESS_MODE, "5");
    CWnd* p = Advanced();
    ASSERT_TRUE(Visible(p, IDC_ADV_A_REGION));
    ShotDropped(p, IDC_ADV_A_REGION, "advanced-a-region-combo-open");
}

// ---- What it reads ------------------------------------------------------------------------

TEST_F(AdvancedPageTest, AnAdministratorSeesTheAdapterKey)
{
    Store(REGSTR_WIRELESS_MODE, "9");
    Store(REGSTR_TX_BURST, "1");
    Store(REGSTR_BG_PROTECTION, "2");
    Store(REGSTR_COUNTRY_REGION, "5");
    Store(REGSTR_COUNTRY_REGION_A_BAND, "4");
    Store(REGSTR_TRANS_RATE, "3");
    Store(REGSTR_SHOW_AUTH_STATUS, "1");
    StoreWord(REGSTR_CCX2_CONTROL, 0x01F45033);   // CCX 2.0, CCKM, QoS, roaming at -80, limit 500
    // MCS 7, 40 MHz, short GI, no STBC, greenfield, extension channel below.
    StoreWord(REGSTR_TRANSMIT_SETTING, 9 | (7u << 4) | (1u << 11) | (1u << 12) | (1u << 16) | (2u << 17));
    HKEY tcp = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTcpParametersKey, 0, KEY_ALL_ACCESS, &tcp));
    DWORD window = 0x10000;
    RegSetValueExA(tcp, "TCPWindowSize", 0, REG_DWORD, (const BYTE*)&window, 4);
    RegCloseKey(tcp);
    g_bShowAuthStatus = FALSE;

    CWnd* p = Advanced();
    EXPECT_EQ("802.11 B/G/N mix", ComboText(p, IDC_ADV_WIRELESS_MODE));
    EXPECT_TRUE(Checked(p, IDC_ADV_TX_BURST));
    EXPECT_EQ("OFF", TextOf(p, IDC_ADV_PROTECTION));
    EXPECT_EQ("5: CH1-14", ComboText(p, IDC_ADV_BG_REGION));
    EXPECT_EQ("4: CH 149,153,157,161,165", ComboText(p, IDC_ADV_A_REGION));
    EXPECT_EQ("5.5 Mbps", ComboText(p, IDC_ADV_TX_RATE));
    EXPECT_TRUE(Checked(p, IDC_ADV_SHOW_AUTH_STATUS));
    EXPECT_TRUE(g_bShowAuthStatus);
    EXPECT_TRUE(Checked(p, IDC_ADV_TCP_WINDOW));
    EXPECT_TRUE(Checked(p, IDC_ADV_CCX2));
    EXPECT_TRUE(Checked(p, IDC_ADV_LEAP_CCKM));
    EXPECT_FALSE(Checked(p, IDC_ADV_RADIO_MEASURE));
    EXPECT_FALSE(Checked(p, IDC_ADV_LIMIT_ON));
    EXPECT_TRUE(Checked(p, IDC_ADV_QOS));
    EXPECT_EQ("500", TextOf(p, IDC_ADV_MEASURE_LIMIT));
    EXPECT_TRUE(Checked(p, IDC_ADV_FAST_ROAMING));
    EXPECT_EQ("-80", TextOf(p, IDC_ADV_ROAM_THRESHOLD));
    EXPECT_TRUE(Checked(p, IDC_ADV_HT_GF));
    EXPECT_TRUE(Checked(p, IDC_ADV_BW_AUTO));
    EXPECT_TRUE(Checked(p, IDC_ADV_GI_AUTO));
    EXPECT_TRUE(Checked(p, IDC_ADV_STBC_NONE));
    EXPECT_TRUE(Checked(p, IDC_ADV_EXTCHA_BELOW));
    EXPECT_EQ("7", ComboText(p, IDC_ADV_MCS));
}

TEST_F(AdvancedPageTest, AnyoneElseSeesTheDriver)
{
    // The adapter key says one thing, the driver another.
    Store(REGSTR_WIRELESS_MODE, "9");
    Store(REGSTR_TX_BURST, "1");
    Store(REGSTR_BG_PROTECTION, "2");
    Store(REGSTR_SHOW_AUTH_STATUS, "1");
    HKEY tcp = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTcpParametersKey, 0, KEY_ALL_ACCESS, &tcp));
    DWORD window = 0x10000;
    RegSetValueExA(tcp, "TCPWindowSize", 0, REG_DWORD, (const BYTE*)&window, 4);
    RegCloseKey(tcp);
    SetDriverDword(OID_VENDOR_WIRELESS_MODE, 0);
    SetDriverDword(OID_VENDOR_COUNTRY_REGION, 0x0201);
    DWORD advanced[8] = { 0, 0, 1, 0, 0, 1, 0, 0 };
    ASSERT_TRUE(SetOid(OID_VENDOR_ADVANCED_CONFIG, advanced, sizeof(advanced), nullptr, 1));
    BYTE ht[12] = { 0, 0, 0, 0, 2, 0, 1, 15, 0, 1, 0, 0 };   // MM, above, MCS 15, 20 MHz, STBC, long GI
    ASSERT_TRUE(SetOid(OID_VENDOR_HT_PHY, ht, sizeof(ht), nullptr, 1));
    g_bIsAdmin = FALSE;

    CWnd* p = Advanced();
    EXPECT_EQ("802.11 B/G mix", ComboText(p, IDC_ADV_WIRELESS_MODE));
    EXPECT_FALSE(Checked(p, IDC_ADV_TX_BURST));
    EXPECT_EQ("ON", TextOf(p, IDC_ADV_PROTECTION));
    EXPECT_EQ("1: CH1-13", ComboText(p, IDC_ADV_BG_REGION));
    EXPECT_EQ("2: CH 36,40,44,48,52,56,60,64", ComboText(p, IDC_ADV_A_REGION));
    EXPECT_FALSE(Checked(p, IDC_ADV_TCP_WINDOW)) << "the TCP box keeps its default";
    EXPECT_FALSE(Checked(p, IDC_ADV_SHOW_AUTH_STATUS));
    EXPECT_TRUE(Checked(p, IDC_ADV_STBC_AUTO));
    EXPECT_TRUE(Checked(p, IDC_ADV_EXTCHA_ABOVE));
    EXPECT_EQ(15u, (g_dwTransmitSetting >> 4) & 0x7F);
    EXPECT_EQ(2u, (g_dwTransmitSetting >> 14) & 3);
    EXPECT_EQ("9", Stored(REGSTR_WIRELESS_MODE)) << "nothing is written by reading";
}

// The mode the driver gives counts as the page shows it: a mode the page
// shows as another (7 as G only, 8 and 10 as A only) is that other mode for
// the rest of the program, here for the WMM page that needs WMM in the
// 802.11n modes.
TEST_F(AdvancedPageTest, TheDriversModeCountsAsThePageShowsIt)
{
    struct Case {
        DWORD driverMode;
        bool nMode;
    } const cases[] = { { 7, false }, { 8, false }, { 10, false }, { 0xFFFFFFFF, false }, { 9, true } };
    for (const Case& c : cases) {
        Store(REGSTR_WMM_CAPABLE, "0");
        SetDriverDword(OID_VENDOR_WIRELESS_MODE, c.driverMode);
        g_bIsAdmin = FALSE;
        Advanced();
        CWnd* wmm = Wmm();
        EXPECT_EQ(c.nMode, Checked(wmm, IDC_WMM_ENABLE)) << c.driverMode;
        EXPECT_EQ(c.nMode ? "1" : "0", Stored(REGSTR_WMM_CAPABLE)) << c.driverMode;
        Reopen();
    }
}

TEST_F(AdvancedPageTest, CcxWordReadsBackWithinItsRanges)
{
    struct Case {
        DWORD word;
        const char* limit;
        const char* threshold;
    } const cases[] = {
        { (3000u << 16) | (70u << 8) | 0x0D, "250", "-70" },   // a limit above 2000
        { (2000u << 16) | (70u << 8) | 0x0D, "2000", "-70" },
        { (0u << 16) | (70u << 8) | 0x0D, "0", "-70" },
        { (250u << 16) | (95u << 8) | 0x20, "250", "-70" },    // below -90
        { (250u << 16) | (90u << 8) | 0x20, "250", "-90" },
        { (250u << 16) | (91u << 8) | 0x20, "250", "-70" },
        { (250u << 16) | (61u << 8) | 0x20, "250", "-61" },
        { (250u << 16) | (60u << 8) | 0x20, "250", "-60" },
        { (250u << 16) | (59u << 8) | 0x20, "250", "-70" },    // above -61 and not 60
        { (250u << 16) | (0u << 8) | 0x20, "250", "-70" },
    };
    Store(REGSTR_WIRELESS_MODE, "0");
    CWnd* p = Advanced();
    for (const Case& c : cases) {
        StoreWord(REGSTR_CCX2_CONTROL, c.word);
        Reshow(NAV_ADVANCED, p, IDT_ADVANCED_REFRESH);
        EXPECT_EQ(c.limit, TextOf(p, IDC_ADV_MEASURE_LIMIT)) << std::hex << c.word;
        EXPECT_EQ(c.threshold, TextOf(p, IDC_ADV_ROAM_THRESHOLD)) << std::hex << c.word;
        EXPECT_EQ((c.word & 1) != 0, Checked(p, IDC_ADV_CCX2));
        EXPECT_EQ((c.word & 0x20) != 0, Checked(p, IDC_ADV_FAST_ROAMING));
    }
}

TEST_F(AdvancedPageTest, CcxOptionsFollowEachOther)
{
    Store(REGSTR_WIRELESS_MODE, "0");
    CWnd* p = Advanced();
    EXPECT_FALSE(Enabled(p, IDC_ADV_LEAP_CCKM));
    EXPECT_FALSE(Enabled(p, IDC_ADV_ROAM_THRESHOLD));

    Click(p, IDC_ADV_CCX2);
    for (UINT id : { IDC_ADV_LEAP_CCKM, IDC_ADV_RADIO_MEASURE, IDC_ADV_LIMIT_ON, IDC_ADV_QOS }) {
        EXPECT_TRUE(Checked(p, id)) << id;
        EXPECT_TRUE(Enabled(p, id)) << id;
    }
    EXPECT_TRUE(Enabled(p, IDC_ADV_MEASURE_LIMIT));
    Type(p, IDC_ADV_MEASURE_LIMIT, "1200");

    Click(p, IDC_ADV_RADIO_MEASURE);   // off: the limit goes with it
    EXPECT_FALSE(Checked(p, IDC_ADV_LIMIT_ON));
    EXPECT_FALSE(Enabled(p, IDC_ADV_LIMIT_ON));
    EXPECT_FALSE(Enabled(p, IDC_ADV_MEASURE_LIMIT));
    EXPECT_EQ("250", TextOf(p, IDC_ADV_MEASURE_LIMIT));

    Click(p, IDC_ADV_FAST_ROAMING);
    EXPECT_TRUE(Enabled(p, IDC_ADV_ROAM_THRESHOLD));
    Type(p, IDC_ADV_ROAM_THRESHOLD, "-85");
    Click(p, IDC_ADV_FAST_ROAMING);   // off: back to -70
    EXPECT_EQ("-70", TextOf(p, IDC_ADV_ROAM_THRESHOLD));
    EXPECT_FALSE(Enabled(p, IDC_ADV_ROAM_THRESHOLD));

    Click(p, IDC_ADV_CCX2);   // off: every option cleared
    for (UINT id : { IDC_ADV_LEAP_CCKM, IDC_ADV_RADIO_MEASURE, IDC_ADV_LIMIT_ON, IDC_ADV_QOS }) {
        EXPECT_FALSE(Checked(p, id)) << id;
        EXPECT_FALSE(Enabled(p, id)) << id;
    }
}

// ---- The wireless mode ------------------------------------------------------------------------

TEST_F(AdvancedPageTest, AModeChangeAsksFirstAndNoStopsIt)
{
    Store(REGSTR_WIRELESS_MODE, "0");
    CWnd* p = Advanced();
    ASSERT_EQ(kAllRates, ComboItems(p, IDC_ADV_TX_RATE));

    EXPECT_EQ("Automatically set channel according to wireless mode.",
              PickMode(p, "802.11 B only", BoxAnswer::CLOSE));
    EXPECT_EQ(kAllRates, ComboItems(p, IDC_ADV_TX_RATE)) << "closing the question changes nothing";

    EXPECT_EQ("Automatically set channel according to wireless mode.", PickMode(p, "802.11 B only"));
    EXPECT_EQ((Strings{ "Auto", "1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps" }), ComboItems(p, IDC_ADV_TX_RATE));
}

TEST_F(AdvancedPageTest, RatesAndRegionRowsByMode)
{
    const Strings ofdm = { "Auto", "6 Mbps", "9 Mbps", "12 Mbps", "18 Mbps", "24 Mbps", "36 Mbps", "48 Mbps",
                           "54 Mbps" };
    struct Case {
        const char* mode;
        Strings rates;
        bool bg, a;
    } const cases[] = {
        { "802.11 B only", { "Auto", "1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps" }, true, false },
        { "802.11 A only", ofdm, false, true },
        { "802.11 A/B/G mix", kAllRates, true, true },
        { "802.11 B/G/N mix", kAllRates, true, false },
        { "802.11 A/B/G/N mix", kAllRates, true, true },
        { "802.11 B/G mix", kAllRates, true, false },
    };
    Store(REGSTR_WIRELESS_MODE, "0");
    CWnd* p = Advanced();
    for (const Case& c : cases) {
        PickMode(p, c.mode);
        EXPECT_EQ(c.rates, ComboItems(p, IDC_ADV_TX_RATE)) << c.mode;
        EXPECT_EQ(c.bg, Visible(p, IDC_ADV_BG_REGION)) << c.mode;
        EXPECT_EQ(c.a, Visible(p, IDC_ADV_A_REGION)) << c.mode;
    }
}

TEST_F(AdvancedPageTest, BOnlyWithTwentyFourMbpsFallsBackToAuto)
{
    Store(REGSTR_WIRELESS_MODE, "0");
    CWnd* p = Advanced();
    Command(p, ID_PROTECTION_ON);
    EXPECT_EQ("ON", TextOf(p, IDC_ADV_PROTECTION));
    ASSERT_TRUE(Pick(p, IDC_ADV_TX_RATE, "24 Mbps"));

    PickMode(p, "802.11 B only");
    EXPECT_EQ("Auto", ComboText(p, IDC_ADV_TX_RATE));
    EXPECT_EQ("ON", TextOf(p, IDC_ADV_PROTECTION)) << "the button keeps its word until the page is filled again";

    Click(p, IDC_ADV_APPLY);
    EXPECT_EQ("1", Stored(REGSTR_WIRELESS_MODE));
    EXPECT_EQ("0", Stored(REGSTR_TRANS_RATE));
    EXPECT_EQ("0", Stored(REGSTR_BG_PROTECTION));
    EXPECT_EQ("0", Stored(REGSTR_ADHOC_MODE));   // B only is ad hoc mode 0
}

TEST_F(AdvancedPageTest, StoredModesTheListLacksAreKept)
{
    struct Case {
        const char* stored;
        const char* afterApply;
    } const cases[] = {
        { "2", "2" },
        { "abc", "0" },   // no digits: 0, as atoi reads it
        { "7", "4" },     // normalised to G only, which the list does not offer
        { "42", "4" },    // no mode: the page keeps what it had
        { "6", "6" },     // the 802.11n mode without a text
    };
    CWnd* p = Advanced();
    for (const Case& c : cases) {
        Store(REGSTR_WIRELESS_MODE, c.stored);
        Reshow(NAV_ADVANCED, p, IDT_ADVANCED_REFRESH);
        Click(p, IDC_ADV_APPLY);
        EXPECT_EQ(c.afterApply, Stored(REGSTR_WIRELESS_MODE)) << c.stored;
    }
}

// ---- The 802.11n controls ---------------------------------------------------------------------

TEST_F(AdvancedPageTest, CheckBuildShowsTheHtControlsAndWritesTraceLines)
{
    Store(REGSTR_WIRELESS_MODE, "9");
    Store(REGSTR_CHECK_BUILD, "1");
    StoreWord(REGSTR_TRANSMIT_SETTING, 9 | (15u << 4));
    CWnd* p = Advanced();
    EXPECT_TRUE(HtGroupShown(p));
    EXPECT_TRUE(Visible(p, IDC_ADV_TX_RATE));
    EXPECT_FALSE(Enabled(p, IDC_ADV_TX_RATE)) << "the HT settings decide the rate";
    EXPECT_TRUE(Visible(p, IDC_ADV_PROTECTION));
    std::string trace = TraceText();
    EXPECT_NE(std::string::npos, trace.find("m_cszHT_MCS (ReadConfigFromRegistry - > Test4) is '15' and '15' "));
    EXPECT_NE(std::string::npos, trace.find("m_cszHT_MCS (IniHTMCSComboBy80211NVersionAnd - > Test7) is '15' "));
    Shot(p, "advanced-page-check-build");
    ShotDropped(p, IDC_ADV_MCS, "advanced-mcs-combo-open");
}

TEST_F(AdvancedPageTest, WithoutTheCheckBuildAnNModeHidesRateAndHtControls)
{
    Store(REGSTR_WIRELESS_MODE, "9");
    Store(REGSTR_CHECK_BUILD, "0");
    CWnd* p = Advanced();
    EXPECT_TRUE(HtGroupHidden(p));
    EXPECT_FALSE(Visible(p, IDC_ADV_TX_RATE));
    EXPECT_FALSE(Visible(p, IDC_ADV_PROTECTION));
    EXPECT_EQ("", TraceText());

    // The timer shows them again each second in the 802.11n modes.
    Store(REGSTR_CHECK_BUILD, "1");
    Tick(p, IDT_ADVANCED_REFRESH);
    EXPECT_TRUE(HtGroupShown(p));
    // Outside them it leaves the page alone.
    PickMode(p, "802.11 B/G mix");
    EXPECT_TRUE(HtGroupHidden(p));
    Tick(p, IDT_ADVANCED_REFRESH);
    EXPECT_TRUE(HtGroupHidden(p));
}

TEST_F(AdvancedPageTest, TheRateFollowsTheHtSettings)
{
    struct Case {
        const char* what;
        int model, generation;
        DWORD stored;                     // TransmitSetting
        std::vector<UINT> clicks;
        const char* mcs;                  // picked, or nullptr
        const char* text;
    } const cases[] = {
        { "first generation, index 14", 6, 1, 9 | (1u << 16), {}, "14", "Tx Rate: 270.00 Mbps \n BW:      40      MHz" },
        { "first generation, index 3", 6, 1, 9, {}, "3", "Tx Rate: 121.50 Mbps \n BW:      20      MHz" },
        { "40 MHz, short GI, MCS 15", 7, 2, 9, { IDC_ADV_BW_AUTO, IDC_ADV_GI_AUTO }, "15", "Tx Rate: 300.00 Mbps" },
        { "20 MHz, long GI, MCS 7", 7, 2, 9, { IDC_ADV_BW_20, IDC_ADV_GI_LONG }, "7", "Tx Rate: 65.00 Mbps" },
        { "Auto at 20 MHz", 7, 2, 9, { IDC_ADV_BW_20 }, "Auto", "Tx Rate: Not Available" },
        { "Auto at 40 MHz", 8, 3, 9, { IDC_ADV_BW_AUTO, IDC_ADV_GI_LONG }, "Auto", "Tx Rate: 39.00 Mbps" },
    };
    const Case* last = nullptr;
    for (const Case& c : cases) {
        // A new window only for another adapter or stored setting.
        if (last && (last->model != c.model || last->stored != c.stored)) {
            Reopen();
        }
        last = &c;
        Adapter(c.model, TRUE, TRUE, c.generation);
        Store(REGSTR_WIRELESS_MODE, "9");
        Store(REGSTR_CHECK_BUILD, "1");
        StoreWord(REGSTR_TRANSMIT_SETTING, c.stored);
        CWnd* p = Advanced();
        if (c.generation == 1) {
            EXPECT_FALSE(Enabled(p, IDC_ADV_BW_AUTO)) << "first-generation rows are fixed";
        }
        for (UINT id : c.clicks) Click(p, id);
        if (c.mcs) {
            ASSERT_TRUE(Pick(p, IDC_ADV_MCS, c.mcs)) << c.what;
        }
        EXPECT_EQ(c.text, TextOf(p, IDC_ADV_TX_RATE_TEXT)) << c.what;
        if (c.generation == 1 && c.stored & (1u << 16)) Shot(p, "advanced-page-first-generation");
    }
}

TEST_F(AdvancedPageTest, McsListsByGeneration)
{
    Strings later = { "Auto" };
    for (int i = 0; i <= 15; ++i) later.push_back(std::to_string(i));
    later.push_back("32");
    struct Case {
        int model, generation;
        DWORD stored;
        Strings items;
    } const cases[] = {
        { 6, 1, 9 | (20u << 4), { "0", "1", "2", "3", "4" } },
        { 6, 1, 9 | (20u << 4) | (1u << 16), { "5", "6", "7", "8", "9", "10", "11", "12", "13", "14" } },
        { 7, 2, 9 | (20u << 4), later },
        { 8, 3, 9 | (20u << 4), later },
    };
    for (const Case& c : cases) {
        Adapter(c.model, TRUE, TRUE, c.generation);
        Store(REGSTR_WIRELESS_MODE, "9");
        StoreWord(REGSTR_TRANSMIT_SETTING, c.stored);
        CWnd* p = Advanced();
        EXPECT_EQ(c.items, ComboItems(p, IDC_ADV_MCS)) << c.model;
        // A stored MCS the list lacks gives way to its first item.
        EXPECT_EQ(c.items[0], ComboText(p, IDC_ADV_MCS)) << c.model;
        Reopen();
    }
}

TEST_F(AdvancedPageTest, FortyMegahertzByTheEepromAndTheRegion)
{
    struct Case {
        const char* what;
        int model;
        BOOL bit8Clear;
        const char* mode;
        const char* region;               // picked, or nullptr
        bool autoEnabled, bandwidthAuto;
    } const cases[] = {
        { "B/G/N, EEPROM allows, CH1-11", 7, TRUE, "9", "0: CH1-11", true, true },
        { "B/G/N, EEPROM forbids", 7, FALSE, "9", "0: CH1-11", false, false },
        { "CH14 has no range", 7, TRUE, "9", "4: CH14", true, false },
        { "CH10-11 is too narrow", 7, TRUE, "9", "2: CH10-11", true, false },
        { "CH10-13 is too narrow", 7, TRUE, "9", "3: CH10-13", true, false },
        { "CH3-9", 7, TRUE, "9", "6: CH3-9", true, true },
        { "A/B/G/N ignores the EEPROM", 7, FALSE, "5", "5: CH1-14", true, true },
        { "named regions: MKK, CH14", 0, TRUE, "9", "5: MKK, CH14", true, false },
        { "named regions: ETSI, CH1-13", 0, TRUE, "9", "2: ETSI, CH1-13", true, true },
        { "a model without regions", 2, TRUE, "9", nullptr, true, false },
    };
    const Case* last = nullptr;
    for (const Case& c : cases) {
        // A new window only for another adapter, EEPROM or mode.
        if (last && (last->model != c.model || last->bit8Clear != c.bit8Clear || std::strcmp(last->mode, c.mode))) {
            Reopen();
        }
        last = &c;
        g_nModelIndex = c.model;
        g_bEepromWord36Bit8Clear = c.bit8Clear;
        Store(REGSTR_WIRELESS_MODE, c.mode);
        Store(REGSTR_CHECK_BUILD, "1");
        StoreWord(REGSTR_TRANSMIT_SETTING, 9 | (1u << 11));
        CWnd* p = Advanced();
        if (c.region) {
            ASSERT_TRUE(Pick(p, IDC_ADV_BG_REGION, c.region)) << c.what;
        } else {
            PickMode(p, ComboText(p, IDC_ADV_WIRELESS_MODE).c_str());   // the region handler runs after it
        }
        EXPECT_EQ(c.autoEnabled, Enabled(p, IDC_ADV_BW_AUTO)) << c.what;
        EXPECT_EQ(c.bandwidthAuto, Checked(p, IDC_ADV_BW_AUTO)) << c.what;
        EXPECT_EQ(!c.bandwidthAuto, Checked(p, IDC_ADV_BW_20)) << c.what;
    }
}

}  // namespace
