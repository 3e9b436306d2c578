// APPLY on the advanced page: what it stores in the adapter key and in the
// system's TCP parameters, and what it sends to the driver (rates by mode,
// the CCX word, the advanced block only when it changed, the regions and the
// channel check after them, WMM in the 802.11n modes, the reconnect after a
// change of mode or region), and what it refuses.
#include "advanced/PageFixture.h"

#include "core/StationConfig.h"
#include "pages/ProfileEditDlg.h"
#include "pages/SystemConfigPage.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::PageWindowTest;
using Bytes = std::vector<BYTE>;

class AdvancedApplyTest : public PageWindowTest {
protected:
    // The page in a mode, with the driver's log from here on.
    CWnd* PageIn(const char* mode)
    {
        Store(REGSTR_WIRELESS_MODE, mode);
        CWnd* p = Advanced();
        m_mark = Mark();
        return p;
    }
    static Bytes Head(const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + (b.size() < n ? b.size() : n)); }
    // The current profile the engine would reconnect with.
    static void CurrentProfile(DWORD matchByBssid, const char* bssid, const char* ssid)
    {
        StationConfig* r = AllocStationConfig();
        ASSERT_NE(nullptr, r);
        r->matchByBssid = matchByBssid;
        if (bssid) kqsim::ParseMac(bssid, r->bssid);
        r->ssid.SsidLength = (ULONG)std::strlen(ssid);
        std::memcpy(r->ssid.Ssid, ssid, r->ssid.SsidLength);
        CopyStationConfig(&g_pCurProfile, r);
        FreeStationConfig(r);
    }
    static bool TcpValue(const char* name, DWORD* value)
    {
        DWORD size = sizeof(*value), type = 0;
        return RegGetValueA(HKEY_LOCAL_MACHINE, kTcpParametersKey, name, RRF_RT_ANY, &type, value, &size) ==
                   ERROR_SUCCESS && type == REG_DWORD;
    }

};

// ---- The system's TCP tuning --------------------------------------------------------------

TEST_F(AdvancedApplyTest, TheTcpBoxAddsTheFourValuesAndTakesThemAway)
{
    CWnd* p = PageIn("0");
    ASSERT_FALSE(Checked(p, IDC_ADV_TCP_WINDOW));
    Click(p, IDC_ADV_TCP_WINDOW);
    Click(p, IDC_ADV_APPLY);
    const struct {
        const char* name;
        DWORD value;
    } expected[] = { { "TCPWindowSize", 65536 }, { "SackOpts", 1 }, { "TcpMaxDupAcks", 2 }, { "Tcp1323Opts", 1 } };
    for (const auto& e : expected) {
        DWORD v = 0;
        EXPECT_TRUE(TcpValue(e.name, &v)) << e.name;
        EXPECT_EQ(e.value, v) << e.name;
    }

    Reopen();
    p = Advanced();
    EXPECT_TRUE(Checked(p, IDC_ADV_TCP_WINDOW)) << "the box shows that the window size is set";
    Click(p, IDC_ADV_TCP_WINDOW);
    Click(p, IDC_ADV_APPLY);
    for (const auto& e : expected) {
        DWORD v = 0;
        EXPECT_FALSE(TcpValue(e.name, &v)) << e.name;
    }
}

// Anyone but an administrator sees the box unchecked whatever the system
// holds: that is no wish to take the values away.
TEST_F(AdvancedApplyTest, ANonAdministratorsApplyDeletesNoTcpValue)
{
    HKEY tcp = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTcpParametersKey, 0, KEY_ALL_ACCESS, &tcp));
    const DWORD window = 0x10000, sack = 1;
    RegSetValueExA(tcp, "TCPWindowSize", 0, REG_DWORD, (const BYTE*)&window, 4);
    RegSetValueExA(tcp, "SackOpts", 0, REG_DWORD, (const BYTE*)&sack, 4);
    RegCloseKey(tcp);
    g_bIsAdmin = FALSE;
    CWnd* p = PageIn("0");
    ASSERT_FALSE(Checked(p, IDC_ADV_TCP_WINDOW));
    Click(p, IDC_ADV_APPLY);
    DWORD v = 0;
    EXPECT_TRUE(TcpValue("TCPWindowSize", &v));
    EXPECT_TRUE(TcpValue("SackOpts", &v));
    EXPECT_FALSE(TcpValue("TcpMaxDupAcks", &v)) << "nothing written either";

    // Checking the box still writes the four.
    Click(p, IDC_ADV_TCP_WINDOW);
    Click(p, IDC_ADV_APPLY);
    EXPECT_TRUE(TcpValue("TcpMaxDupAcks", &v));
    EXPECT_EQ(2u, v);
}

TEST_F(AdvancedApplyTest, BeforeWindows2000TheTcpBoxIsOff)
{
    g_nOsVersion = OS_WIN98SE;
    CWnd* p = PageIn("0");
    EXPECT_FALSE(Enabled(p, IDC_ADV_TCP_WINDOW));
    Click(p, IDC_ADV_APPLY);
    DWORD v = 0;
    EXPECT_FALSE(TcpValue("TCPWindowSize", &v));
}

// ---- Refusals ---------------------------------------------------------------------------------

TEST_F(AdvancedApplyTest, GreenfieldWithAutoGiAndAutoStbcIsRefused)
{
    Store(REGSTR_CHECK_BUILD, "1");
    StoreWord(REGSTR_TRANSMIT_SETTING, 9 | (7u << 4));
    CWnd* p = PageIn("9");
    for (UINT id : { IDC_ADV_HT_GF, IDC_ADV_GI_AUTO, IDC_ADV_STBC_AUTO }) Click(p, id);
    m_mark = Mark();
    BoxAnswer box;
    Click(p, IDC_ADV_APPLY);
    EXPECT_EQ("GF, Short GI, and STBC used don't setup together", box.Text());
    EXPECT_TRUE(SetOids(m_mark).empty()) << "nothing is sent";
    DWORD stored = 0;
    ASSERT_TRUE(StoredWord(REGSTR_TRANSMIT_SETTING, &stored));
    EXPECT_EQ(9u | (7u << 4), stored) << "nothing is stored";

    // Any two of them go through.
    Click(p, IDC_ADV_STBC_NONE);
    BoxAnswer none;
    Click(p, IDC_ADV_APPLY);
    EXPECT_EQ("", none.Text());
    ASSERT_TRUE(StoredWord(REGSTR_TRANSMIT_SETTING, &stored));
    EXPECT_EQ(1u, (stored >> 16) & 1);
    EXPECT_EQ(1u, (stored >> 12) & 1);
    EXPECT_EQ(0u, (stored >> 13) & 1);
}

TEST_F(AdvancedApplyTest, AThresholdOutOfRangeStopsWithTheValidationMessage)
{
    CWnd* p = PageIn("0");
    Click(p, IDC_ADV_FAST_ROAMING);
    Type(p, IDC_ADV_ROAM_THRESHOLD, "-95");
    m_mark = Mark();
    kqtest::CaptionedBoxCloser box("Error");
    Click(p, IDC_ADV_APPLY);
    EXPECT_TRUE(box.Shown());
    EXPECT_TRUE(SetOids(m_mark).empty());
    EXPECT_EQ("<missing>", Stored(REGSTR_TRANS_RATE));
}

// ---- What is sent -----------------------------------------------------------------------------

TEST_F(AdvancedApplyTest, RatesFollowTheModeAndTheRate)
{
    const Bytes bgSets = { 8, 0x82, 0x84, 0x8B, 0x96, 0x12, 0x24, 0x48, 0x6C, 0, 0, 0, 0, 4, 0x8C, 0x98, 0xB0, 0x60 };
    const Bytes bSets = { 4, 0x82, 0x84, 0x8B, 0x96 };
    const Bytes aSets = { 8, 0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C };
    struct Case {
        const char* mode;
        const char* rate;     // TX-rate item, or the MCS in the 802.11n modes
        Bytes desired;
        Bytes sets;           // empty: none sent
    } const cases[] = {
        { "802.11 B/G mix", "Auto", { 0x6C, 0x60, 0x48, 0x30, 0x16, 0x0B, 0x04, 0x02 }, bgSets },
        { "802.11 B/G mix", "24 Mbps", { 0x30, 0, 0, 0, 0, 0, 0, 0 }, bgSets },
        { "802.11 B only", "Auto", { 0x16, 0x0B, 0x04, 0x02, 0, 0, 0, 0 }, bSets },
        { "802.11 B only", "11 Mbps", { 0x16, 0, 0, 0, 0, 0, 0, 0 }, bSets },
        { "802.11 A only", "Auto", { 0x6C, 0x60, 0x48, 0x30, 0x24, 0x18, 0x12, 0x0C }, aSets },
        { "802.11 A only", "6 Mbps", { 0x0C, 0, 0, 0, 0, 0, 0, 0 }, aSets },
        { "802.11 A/B/G mix", "54 Mbps", { 0x6C, 0, 0, 0, 0, 0, 0, 0 }, bgSets },
        { "802.11 B/G/N mix", "Auto", { 0x6C, 0x60, 0x48, 0x30, 0x16, 0x0B, 0x04, 0x02 }, {} },
        { "802.11 A/B/G/N mix", "7", { 0x6C, 0, 0, 0, 0, 0, 0, 0 }, {} },
    };
    Store(REGSTR_CHECK_BUILD, "1");   // the MCS list is shown
    CWnd* p = PageIn("0");
    for (const Case& c : cases) {
        {
            BoxAnswer box;
            Pick(p, IDC_ADV_WIRELESS_MODE, c.mode);
        }
        bool n = c.sets.empty();
        ASSERT_TRUE(Pick(p, n ? IDC_ADV_MCS : IDC_ADV_TX_RATE, c.rate)) << c.mode << " " << c.rate;
        m_mark = Mark();
        Click(p, IDC_ADV_APPLY);
        EXPECT_EQ(c.desired, LastSet(OID_802_11_DESIRED_RATES)) << c.mode << " " << c.rate;
        std::vector<Bytes> sets = Sets(m_mark, OID_VENDOR_RATE_SETS);
        if (n) {
            EXPECT_TRUE(sets.empty()) << c.mode;
        } else {
            ASSERT_EQ(1u, sets.size()) << c.mode;
            EXPECT_EQ(26u, sets[0].size());
            Bytes want = c.sets;
            want.resize(26, 0);
            EXPECT_EQ(want, sets[0]) << c.mode;
        }
    }
}

TEST_F(AdvancedApplyTest, TheCcxWordIsStoredAndSent)
{
    struct Case {
        const char* what;
        std::vector<UINT> clicks;
        const char* limit;       // typed, or nullptr
        const char* threshold;
        DWORD word;
    } const cases[] = {
        { "everything off", {}, nullptr, nullptr, 0x00FA4600 },
        { "CCX 2.0 with all its options", { IDC_ADV_CCX2 }, nullptr, nullptr, 0x00FA461F },
        { "no radio measurements: no limit", { IDC_ADV_CCX2, IDC_ADV_RADIO_MEASURE }, nullptr, nullptr, 0x00FA4613 },
        { "fast roaming alone", { IDC_ADV_FAST_ROAMING }, nullptr, "-75", 0x00FA4B20 },
        { "all with a limit", { IDC_ADV_CCX2, IDC_ADV_FAST_ROAMING }, "1200", "-75", 0x04B04B3F },
    };
    CWnd* p = PageIn("0");
    for (const Case& c : cases) {
        // Every option off again, as the page reads it when shown.
        StoreWord(REGSTR_CCX2_CONTROL, 0x00FA4600);
        Reshow(NAV_ADVANCED, p, IDT_ADVANCED_REFRESH);
        for (UINT id : c.clicks) Click(p, id);
        if (c.limit) Type(p, IDC_ADV_MEASURE_LIMIT, c.limit);
        if (c.threshold) Type(p, IDC_ADV_ROAM_THRESHOLD, c.threshold);
        m_mark = Mark();
        Click(p, IDC_ADV_APPLY);
        DWORD stored = 0;
        EXPECT_TRUE(StoredWord(REGSTR_CCX2_CONTROL, &stored)) << c.what;
        EXPECT_EQ(c.word, stored) << c.what;
        // The stored word goes to the driver; the page's last word is 0.
        std::vector<Bytes> sent = Sets(m_mark, OID_VENDOR_CCX_CONTROL);
        ASSERT_EQ(2u, sent.size()) << c.what;
        EXPECT_EQ(c.word, Word(sent[0])) << c.what;
        EXPECT_EQ(0u, Word(sent[1])) << c.what;
    }
}

TEST_F(AdvancedApplyTest, TheAdvancedBlockIsSentOnlyWhenItChanges)
{
    DWORD block[8] = { 0, 1, 2, 1, 3, 1, 7, 0 };   // turbo, short slot and RF stay as the driver has them
    ASSERT_TRUE(SetOid(OID_VENDOR_ADVANCED_CONFIG, block, sizeof(block), nullptr, 1));
    CWnd* p = PageIn("0");
    Click(p, IDC_ADV_TX_BURST);
    Command(p, ID_PROTECTION_ON);
    Click(p, IDC_ADV_APPLY);
    std::vector<Bytes> sent = Sets(m_mark, OID_VENDOR_ADVANCED_CONFIG);
    ASSERT_EQ(1u, sent.size());
    DWORD want[8] = { 1, 1, 1, 1, 1, 1, 0, 0 };   // mode 0 is ad hoc mode 1
    ASSERT_EQ(32u, sent[0].size());
    EXPECT_EQ(0, std::memcmp(want, sent[0].data(), 32));
    EXPECT_EQ(0, std::memcmp(want, g_AdvancedConfig, 32)) << "the other pages get the copy";
    EXPECT_EQ("1", Stored(REGSTR_TX_BURST));
    EXPECT_EQ("1", Stored(REGSTR_BG_PROTECTION));
    EXPECT_EQ("1", Stored(REGSTR_ADHOC_MODE));

    m_mark = Mark();
    Click(p, IDC_ADV_APPLY);
    EXPECT_TRUE(Sets(m_mark, OID_VENDOR_ADVANCED_CONFIG).empty());
}

TEST_F(AdvancedApplyTest, AnAdvancedBlockTheDriverDoesNotGiveIsTakenFromTheLastOneKnown)
{
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_ADVANCED_CONFIG, KQSIM_KIND_QUERY));
    struct Case {
        BOOL known;
        bool sent;
    } const cases[] = { { FALSE, false }, { TRUE, true } };
    for (const Case& c : cases) {
        const DWORD last[8] = { 0, 0, 0, 1, 1, 1, 0, 0 };
        std::memcpy(g_AdvancedConfig, last, sizeof(last));
        g_bAdvancedConfigValid = c.known;
        Store(REGSTR_TX_BURST, "0");
        CWnd* p = PageIn("0");
        Click(p, IDC_ADV_TX_BURST);
        Click(p, IDC_ADV_APPLY);
        std::vector<Bytes> sent = Sets(m_mark, OID_VENDOR_ADVANCED_CONFIG);
        ASSERT_EQ(c.sent ? 1u : 0u, sent.size());
        if (c.sent) {
            DWORD want[8] = { 1, 0, 0, 1, 1, 1, 0, 0 };   // short slot and RF as last known
            EXPECT_EQ(0, std::memcmp(want, sent[0].data(), 32));
        }
        Reopen();
    }
}

// The HT record keeps the driver's extension channel and last byte; a query
// the driver fails gives the record known last, and without one nothing.
TEST_F(AdvancedApplyTest, AnHtRecordTheDriverDoesNotGiveIsTakenFromTheLastOneKnown)
{
    ASSERT_TRUE(g_bHtDevice);
    BYTE driver[12] = { 9, 0, 0, 0, 2, 0, 2, 7, 0, 0, 0, 0x5A };   // extension channel below
    ASSERT_TRUE(SetOid(OID_VENDOR_HT_PHY, driver, sizeof(driver), nullptr, 1));
    CAdvancedPage::s_bHtPhyKnown = FALSE;
    CWnd* p = PageIn("9");
    Click(p, IDC_ADV_APPLY);
    std::vector<Bytes> sent = Sets(m_mark, OID_VENDOR_HT_PHY);
    ASSERT_EQ(1u, sent.size());
    ASSERT_EQ(12u, sent[0].size());
    EXPECT_EQ(2, sent[0][6]);
    EXPECT_EQ(0x5A, sent[0][11]);

    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_HT_PHY, KQSIM_KIND_QUERY));
    m_mark = Mark();
    Click(p, IDC_ADV_APPLY);
    sent = Sets(m_mark, OID_VENDOR_HT_PHY);
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(2, sent[0][6]) << "the extension channel known last, not 0";
    EXPECT_EQ(0x5A, sent[0][11]);
    EXPECT_EQ(9, sent[0][0]);
    EXPECT_EQ(2, sent[0][4]);

    // A new run of the program, with a driver that never answered.
    Reopen();
    CAdvancedPage::s_bHtPhyKnown = FALSE;
    p = PageIn("9");
    Click(p, IDC_ADV_APPLY);
    EXPECT_TRUE(Sets(m_mark, OID_VENDOR_HT_PHY).empty());
}

TEST_F(AdvancedApplyTest, TheRegionIsSentAndTheChannelFollowsIt)
{
    Store(REGSTR_CHANNEL, "6");
    Store(REGSTR_COUNTRY_REGION_A_BAND, "3");
    CWnd* p = PageIn("0");
    ASSERT_TRUE(Pick(p, IDC_ADV_BG_REGION, "4: CH14"));
    Click(p, IDC_ADV_APPLY);
    EXPECT_EQ("4", Stored(REGSTR_COUNTRY_REGION));
    EXPECT_EQ("3", Stored(REGSTR_COUNTRY_REGION_A_BAND));
    EXPECT_EQ((Bytes{ 0x04, 0x03, 0, 0 }), LastSet(OID_VENDOR_COUNTRY_REGION));
    EXPECT_EQ("14", Stored(REGSTR_CHANNEL)) << "channel 6 is not in the new region";
    EXPECT_EQ(0x0304u, g_dwCountryRegion);
}

TEST_F(AdvancedApplyTest, RegionsTheCombosCannotShowAreKept)
{
    g_nModelIndex = 2;   // no region lists
    Store(REGSTR_COUNTRY_REGION, "5");
    Store(REGSTR_COUNTRY_REGION_A_BAND, "3");
    CWnd* p = PageIn("3");
    ASSERT_TRUE(ComboItems(p, IDC_ADV_BG_REGION).empty());
    Click(p, IDC_ADV_APPLY);
    EXPECT_EQ("5", Stored(REGSTR_COUNTRY_REGION));
    EXPECT_EQ("3", Stored(REGSTR_COUNTRY_REGION_A_BAND));
    EXPECT_EQ((Bytes{ 0x05, 0x03, 0, 0 }), LastSet(OID_VENDOR_COUNTRY_REGION));
}

TEST_F(AdvancedApplyTest, TheNModesSwitchWmmOnWithoutPowerSaveAndDirectLinks)
{
    struct Case {
        const char* mode;
        DWORD driverWord;
        bool wmm;
        DWORD sentWord;
    } const cases[] = {
        { "9", 0x1F, true, 0x1E },   // power save off, the access categories kept
        { "5", 0x01, true, 0x00 },
        { "9", 0x7F, true, 0x7E },   // bit 0 and bits 7 and up cleared
        { "9", 0xFFFFFFFF, true, 0x7E },
        { "0", 0x1F, false, 0 },
        { "3", 0x1F, false, 0 },
    };
    for (const Case& c : cases) {
        Store(REGSTR_WMM_CAPABLE, "0");
        Store(REGSTR_APSD_CAPABLE, "1");
        Store(REGSTR_DLS_CAPABLE, "1");
        SetDriverDword(OID_VENDOR_WMM_CAPABILITY, c.driverWord);
        CWnd* p = PageIn(c.mode);
        Click(p, IDC_ADV_APPLY);
        std::vector<Bytes> words = Sets(m_mark, OID_VENDOR_WMM_CAPABILITY);
        if (c.wmm) {
            EXPECT_EQ("1", Stored(REGSTR_WMM_CAPABLE)) << c.mode;
            EXPECT_EQ("0", Stored(REGSTR_APSD_CAPABLE)) << c.mode;
            EXPECT_EQ("0", Stored(REGSTR_DLS_CAPABLE)) << c.mode;
            ASSERT_EQ(1u, words.size()) << c.mode;
            EXPECT_EQ(c.sentWord, Word(words[0])) << c.mode;
            EXPECT_EQ((Bytes{ 0, 0, 0, 0 }), LastSet(OID_VENDOR_DLS_CAPABILITY)) << c.mode;
            EXPECT_EQ((Bytes{ 1 }), LastSet(OID_VENDOR_WMM_OPTION)) << c.mode;
        } else {
            EXPECT_EQ("0", Stored(REGSTR_WMM_CAPABLE)) << c.mode;
            EXPECT_EQ("1", Stored(REGSTR_APSD_CAPABLE)) << c.mode;
            EXPECT_TRUE(words.empty()) << c.mode;
            EXPECT_TRUE(Sets(m_mark, OID_VENDOR_WMM_OPTION).empty()) << c.mode;
        }
        Reopen();
    }
}

TEST_F(AdvancedApplyTest, AChangeOfModeOrRegionReconnectsTheCurrentProfile)
{
    struct Case {
        const char* what;
        bool record;
        DWORD matchByBssid;
        const char* bssid;
        const char* ssid;
        DWORD joinOid;           // what follows the disassociation
        Bytes join;
    } const cases[] = {
        { "by SSID", true, 0, nullptr, "Kestiq-Open", OID_802_11_SSID,
          { 11, 0, 0, 0, 'K', 'e', 's', 't', 'i', 'q', '-', 'O', 'p', 'e', 'n' } },
        { "by BSSID", true, 1, "00:11:22:33:44:01", "", OID_802_11_BSSID, { 0x00, 0x11, 0x22, 0x33, 0x44, 0x01 } },
        { "by BSSID without one", true, 1, nullptr, "Kestiq-Open", OID_802_11_SSID, { 0, 0, 0, 0 } },
        { "by SSID without one", true, 0, nullptr, "", OID_802_11_SSID, { 0, 0, 0, 0 } },
        { "no profile", false, 0, nullptr, "", 0, {} },
    };
    for (const Case& c : cases) {
        CWnd* p = PageIn("0");
        if (c.record) {
            CurrentProfile(c.matchByBssid, c.bssid, c.ssid);
        } else {
            FreeStationConfig(g_pCurProfile);
            g_pCurProfile = nullptr;
        }
        g_bSkipNextScan = FALSE;
        BoxAnswer box;
        Pick(p, IDC_ADV_WIRELESS_MODE, "802.11 B only");
        m_mark = Mark();
        Click(p, IDC_ADV_APPLY);
        EXPECT_TRUE(g_bSkipNextScan) << c.what;
        std::vector<DWORD> oids = SetOids(m_mark);
        if (!c.record) {
            EXPECT_EQ(oids.end(), std::find(oids.begin(), oids.end(), (DWORD)OID_802_11_DISASSOCIATE)) << c.what;
        } else {
            ASSERT_GE(oids.size(), 2u) << c.what;
            EXPECT_EQ((DWORD)OID_802_11_DISASSOCIATE, oids[0]) << c.what;
            EXPECT_EQ(c.joinOid, oids[1]) << c.what;
            std::vector<Bytes> joins = Sets(m_mark, c.joinOid);
            ASSERT_FALSE(joins.empty()) << c.what;
            EXPECT_EQ(c.join, Head(joins[0], c.join.size())) << c.what;
            EXPECT_EQ((DWORD)OID_VENDOR_CCX_CONTROL, oids[2]) << c.what;
        }
        // The same selections again: no reconnect.
        m_mark = Mark();
        Click(p, IDC_ADV_APPLY);
        oids = SetOids(m_mark);
        EXPECT_EQ(oids.end(), std::find(oids.begin(), oids.end(), (DWORD)OID_802_11_DISASSOCIATE)) << c.what;
        Reopen();
    }
}

// APPLY looks whether the profile editor shows its System Config tab; the
// look leaves the editor unmade and the keyboard where it was.
TEST_F(AdvancedApplyTest, ApplyLeavesTheFocusOnTheVisiblePage)
{
    CWnd* p = PageIn("0");
    HWND apply = GetDlgItem(p->m_hWnd, IDC_ADV_APPLY);
    SetFocus(apply);
    Click(p, IDC_ADV_APPLY);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus && IsWindowVisible(focus)) << "the keys go to a control nobody sees";
    EXPECT_EQ(apply, focus);
    EXPECT_EQ(nullptr, Window()->BuiltPanel(PANEL_PROFILE_EDIT));
}

TEST_F(AdvancedApplyTest, TheOpenSystemConfigTabGetsTheNewChannels)
{
    CWnd* p = PageIn("0");
    ASSERT_TRUE(Pick(p, IDC_ADV_BG_REGION, "0: CH1-11"));
    Click(p, IDC_ADV_APPLY);
    // The profile editor below, on its System Config tab.
    CWnd* profiles = ShowPage(NAV_PROFILE, Window()->m_pProfilePage, 0);
    Click(profiles, IDC_PROFILE_ADD);
    CProfileEditDlg* editor = (CProfileEditDlg*)Window()->GetPanel(PANEL_PROFILE_EDIT);
    CSystemConfigPage* tab = editor->SystemConfigTab();
    ASSERT_TRUE(IsWindowVisible(tab->m_hWnd));
    EXPECT_EQ(11u, ComboItems(tab, IDC_SYS_CHANNEL).size());

    p = Advanced();
    ASSERT_TRUE(Pick(p, IDC_ADV_BG_REGION, "5: CH1-14"));
    Click(p, IDC_ADV_APPLY);
    std::vector<std::string> channels = ComboItems(tab, IDC_SYS_CHANNEL);
    ASSERT_EQ(14u, channels.size());
    EXPECT_EQ("14", channels.back());
}

}  // namespace
