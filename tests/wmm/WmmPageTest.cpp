// The WMM and Direct Link Setup page in the real window: the switches it
// reads and stores, the WMM word it sends and the reassociation after it, the
// 802.11n modes that need WMM, and direct links set up with the edits,
// listed from the driver, chosen in the list and torn down.
#include "advanced/PageFixture.h"
#include "support/ListProbe.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::PageWindowTest;
using Bytes = std::vector<BYTE>;
using Strings = std::vector<std::string>;

const UINT kMacEdits[6] = { IDC_WMM_MAC1, IDC_WMM_MAC2, IDC_WMM_MAC3, IDC_WMM_MAC4, IDC_WMM_MAC5, IDC_WMM_MAC6 };
const UINT kAcBoxes[4] = { IDC_WMM_AC_BE, IDC_WMM_AC_BK, IDC_WMM_AC_VI, IDC_WMM_AC_VO };

class WmmPageTest : public PageWindowTest {
protected:
    // The page shown with these stored switches, the driver's WMM word and
    // wireless mode; the driver's log from here on.
    CWnd* PageWith(const char* wmm, const char* apsd, const char* dls, DWORD driverWord, const char* mode = "0")
    {
        if (wmm) Store(REGSTR_WMM_CAPABLE, wmm);
        if (apsd) Store(REGSTR_APSD_CAPABLE, apsd);
        if (dls) Store(REGSTR_DLS_CAPABLE, dls);
        Store(REGSTR_WIRELESS_MODE, mode);
        SetDriverDword(OID_VENDOR_WMM_CAPABILITY, driverWord);
        m_mark = Mark();
        CWnd* p = Wmm();
        return p;
    }
    // The reassociation that makes the switches take effect: the SSID read,
    // the disassociation, the same SSID set again and the CCX word.
    bool Reassociated(DWORD from)
    {
        std::vector<kqsim::LogEntry> log = Log(from);
        int step = 0;
        for (const kqsim::LogEntry& e : log) {
            bool set = e.kind == KQSIM_LOG_SET, query = e.kind == KQSIM_LOG_QUERY;
            if (step == 0 && query && e.BaseOid() == OID_802_11_SSID) step = 1;
            else if (step == 1 && set && e.BaseOid() == OID_802_11_DISASSOCIATE) step = 2;
            else if (step == 2 && set && e.BaseOid() == OID_802_11_SSID) step = 3;
            else if (step == 3 && set && e.BaseOid() == OID_VENDOR_CCX_CONTROL) return true;
        }
        return false;
    }
    void TypeMac(CWnd* p, const Strings& bytes)
    {
        for (int i = 0; i < 6; ++i) Type(p, kMacEdits[i], bytes[i]);
    }
    // Set Up with an address and a timeout; the message it showed, if any.
    std::string Setup(CWnd* p, const Strings& mac, const char* timeout)
    {
        TypeMac(p, mac);
        Type(p, IDC_WMM_TIMEOUT, timeout);
        BoxAnswer box;
        Click(p, IDC_WMM_DLS_SETUP);
        return box.Text();
    }
    static HWND List(CWnd* p) { return GetDlgItem(p->m_hWnd, IDC_WMM_DLS_LIST); }
    // A click (or double click) on a row, as the mouse gives it.
    static void ClickRow(CWnd* p, int row, bool twice = false)
    {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(List(p), LVM_GETITEMRECT, row, (LPARAM)&rc);
        LPARAM at = MAKELPARAM(rc.left + 40, (rc.top + rc.bottom) / 2);
        PostMessageA(List(p), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(List(p), WM_LBUTTONUP, 0, at);
        if (twice) {
            PostMessageA(List(p), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageA(List(p), WM_LBUTTONUP, 0, at);
        }
        Pump();
    }
    // A click in the list's empty part below its rows, which chooses none.
    static void ClickBelowTheRows(CWnd* p)
    {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(List(p), LVM_GETITEMRECT, Rows(p) - 1, (LPARAM)&rc);
        LPARAM at = MAKELPARAM(rc.left + 40, rc.bottom + 30);
        PostMessageA(List(p), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(List(p), WM_LBUTTONUP, 0, at);
    }
    static int ChosenRow(CWnd* p) { return (int)SendMessageA(List(p), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }
    static Strings Row(CWnd* p, int row)
    {
        return { kqtest::ListCellText(List(p), row, 0), kqtest::ListCellText(List(p), row, 1) };
    }
    static int Rows(CWnd* p) { return (int)SendMessageA(List(p), LVM_GETITEMCOUNT, 0, 0); }
    // The driver's four link records.
    void AnswerLinks(const std::vector<DlsLinkEntry>& links)
    {
        DlsLinkEntry all[kDlsLinkCount] = {};
        for (size_t i = 0; i < links.size() && i < kDlsLinkCount; ++i) all[i] = links[i];
        Answer(OID_VENDOR_DLS_LINK, all, sizeof(all));
    }
    static DlsLinkEntry Link(const char* mac, WORD timeout, BYTE state, BYTE valid)
    {
        DlsLinkEntry e = {};
        kqsim::ParseMac(mac, e.mac);
        e.timeout = timeout;
        e.state = state;
        e.valid = valid;
        return e;
    }
    // Joins the open network of the air and lets the controller's poll see it.
    void JoinOpen()
    {
        DWORD open = 0, none = 1;
        SetOid(OID_802_11_AUTHENTICATION_MODE, &open, 4, nullptr, 1);
        SetOid(OID_802_11_WEP_STATUS, &none, 4, nullptr, 1);
        NDIS_802_11_SSID s = {};
        s.SsidLength = 11;
        std::memcpy(s.Ssid, "Kestiq-Open", 11);
        ASSERT_TRUE(SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1));
        ASSERT_EQ(0u, DriverDword(OID_GEN_MEDIA_CONNECT_STATUS));
    }

};

// ---- The switches ---------------------------------------------------------------------------

TEST_F(WmmPageTest, ShowingReadsTheSwitchesAndTheDriversAccessCategories)
{
    struct Case {
        const char *wmm, *apsd, *dls;
        DWORD word;
        bool wmmOn, psOn, dlsOn;
        bool ac[4];
        const char *wmmStatus, *psStatus, *dlsStatus;
    } const cases[] = {
        { "1", "1", "0", 0x11, true, true, false, { false, false, false, true }, "Enabled", "Enabled:AC_VO",
          "Disabled" },
        { "1", "0", "1", 0x06, true, false, true, { true, true, false, false }, "Enabled", "Disabled:AC_BE:AC_BK",
          "Enabled" },
        { "0", "0", "0", 0x00, false, false, false, { false, false, false, false }, "Disabled", "Disabled",
          "Disabled" },
        { nullptr, nullptr, nullptr, 0x00, false, false, false, { false, false, false, false }, "Disabled",
          "Disabled", "Disabled" },
        // A switch is on only as "1", the form the page stores it in.
        { "1", "2", "2", 0x11, true, false, false, { false, false, false, true }, "Enabled", "Disabled:AC_VO",
          "Disabled" },
        { "2", "0", "1", 0x00, false, false, true, { false, false, false, false }, "Disabled", "Disabled",
          "Disabled" },
    };
    for (const Case& c : cases) {
        for (const char* name : { REGSTR_WMM_CAPABLE, REGSTR_APSD_CAPABLE, REGSTR_DLS_CAPABLE }) Remove(name);
        CWnd* p = PageWith(c.wmm, c.apsd, c.dls, c.word);
        EXPECT_EQ(c.wmmOn, Checked(p, IDC_WMM_ENABLE)) << c.word;
        EXPECT_EQ(c.psOn, Checked(p, IDC_WMM_POWER_SAVE)) << c.word;
        EXPECT_EQ(c.dlsOn, Checked(p, IDC_WMM_DLS_ENABLE)) << c.word;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(c.ac[i], Checked(p, kAcBoxes[i])) << c.word << " " << i;
            EXPECT_EQ(c.wmmOn && c.psOn, Enabled(p, kAcBoxes[i])) << c.word << " " << i;
        }
        EXPECT_EQ(c.wmmStatus, TextOf(p, IDC_WMM_STATUS));
        EXPECT_EQ(c.psStatus, TextOf(p, IDC_WMM_POWER_SAVE_STATUS));
        EXPECT_EQ(c.dlsStatus, TextOf(p, IDC_WMM_DLS_STATUS));
        EXPECT_EQ(c.wmmOn, Enabled(p, IDC_WMM_POWER_SAVE));
        EXPECT_EQ(c.wmmOn, Enabled(p, IDC_WMM_DLS_ENABLE));
        for (UINT id : { IDC_WMM_MAC1, IDC_WMM_TIMEOUT, IDC_WMM_DLS_SETUP, IDC_WMM_DLS_TEAR_DOWN, IDC_WMM_DLS_LIST })
            EXPECT_EQ(c.wmmOn && c.dlsOn, Enabled(p, id)) << id;
        for (UINT id : { IDC_WMM_ENABLE, IDC_WMM_POWER_SAVE, IDC_WMM_DLS_ENABLE })
            EXPECT_NE(BST_INDETERMINATE, SendMessageA(GetDlgItem(p->m_hWnd, id), BM_GETCHECK, 0, 0)) << id;
        EXPECT_TRUE(Sets(m_mark, OID_VENDOR_WMM_CAPABILITY).empty()) << "showing sends nothing";
        Reopen();
    }
}

TEST_F(WmmPageTest, PowerSaveWithVoiceIsStoredSentAndReassociates)
{
    CWnd* p = PageWith("0", "0", "0", 0x01);
    Click(p, IDC_WMM_ENABLE);
    EXPECT_EQ("1", Stored(REGSTR_WMM_CAPABLE));
    EXPECT_EQ("Enabled", TextOf(p, IDC_WMM_STATUS));
    EXPECT_EQ(0x00u, Word(LastSet(OID_VENDOR_WMM_CAPABILITY))) << "power save is still off";
    EXPECT_EQ(0u, Word(LastSet(OID_VENDOR_DLS_CAPABILITY)));
    EXPECT_EQ((Bytes{ 1 }), LastSet(OID_VENDOR_WMM_OPTION));
    EXPECT_TRUE(Reassociated(m_mark));

    m_mark = Mark();
    Click(p, IDC_WMM_POWER_SAVE);
    EXPECT_EQ("1", Stored(REGSTR_APSD_CAPABLE));
    EXPECT_EQ(0x01u, Word(LastSet(OID_VENDOR_WMM_CAPABILITY)));
    EXPECT_EQ("Enabled", TextOf(p, IDC_WMM_POWER_SAVE_STATUS));
    for (UINT id : kAcBoxes) EXPECT_TRUE(Enabled(p, id));

    m_mark = Mark();
    Click(p, IDC_WMM_AC_VO);
    EXPECT_EQ("1", Stored(REGSTR_APSD_AC_VO));
    for (const char* name : { REGSTR_APSD_AC_BE, REGSTR_APSD_AC_BK, REGSTR_APSD_AC_VI }) EXPECT_EQ("0", Stored(name));
    EXPECT_EQ("1", Stored(REGSTR_WMM_CAPABLE));
    EXPECT_EQ("1", Stored(REGSTR_APSD_CAPABLE));
    std::vector<Bytes> words = Sets(m_mark, OID_VENDOR_WMM_CAPABILITY);
    ASSERT_EQ(1u, words.size());
    EXPECT_EQ(0x11u, Word(words[0])) << "power save and AC_VO";
    EXPECT_EQ("Enabled:AC_VO", TextOf(p, IDC_WMM_POWER_SAVE_STATUS));
    EXPECT_TRUE(Reassociated(m_mark));
    Shot(p, "wmm-page-power-save");
}

TEST_F(WmmPageTest, EveryAccessCategoryInItsOrder)
{
    CWnd* p = PageWith("1", "1", "0", 0x01);
    for (UINT id : kAcBoxes) Click(p, id);
    EXPECT_EQ(0x1Fu, Word(LastSet(OID_VENDOR_WMM_CAPABILITY)));
    EXPECT_EQ("Enabled:AC_BE:AC_BK:AC_VI:AC_VO", TextOf(p, IDC_WMM_POWER_SAVE_STATUS));
    for (const char* name : { REGSTR_APSD_AC_BE, REGSTR_APSD_AC_BK, REGSTR_APSD_AC_VI, REGSTR_APSD_AC_VO })
        EXPECT_EQ("1", Stored(name));
    Click(p, IDC_WMM_AC_BK);
    EXPECT_EQ(0x1Bu, Word(LastSet(OID_VENDOR_WMM_CAPABILITY)));
    EXPECT_EQ("Enabled:AC_BE:AC_VI:AC_VO", TextOf(p, IDC_WMM_POWER_SAVE_STATUS));
    EXPECT_EQ("0", Stored(REGSTR_APSD_AC_BK));
}

TEST_F(WmmPageTest, PowerSaveOffKeepsBitsOneToSix)
{
    struct Case {
        DWORD driverWord, sent;
    } const cases[] = {
        { 0x13, 0x12 },
        { 0x1F, 0x1E },
        { 0x01, 0x00 },
        { 0x7F, 0x7E },   // bits 5 and 6 are the driver's and go back as it gave them
        { 0xFFFFFFFF, 0x7E },
    };
    for (const Case& c : cases) {
        CWnd* p = PageWith("1", "1", "0", c.driverWord);
        ASSERT_TRUE(Checked(p, IDC_WMM_POWER_SAVE));
        Click(p, IDC_WMM_POWER_SAVE);
        EXPECT_EQ(c.sent, Word(LastSet(OID_VENDOR_WMM_CAPABILITY))) << std::hex << c.driverWord;
        EXPECT_EQ("0", Stored(REGSTR_APSD_CAPABLE));
        EXPECT_EQ("Disabled", TextOf(p, IDC_WMM_POWER_SAVE_STATUS));
        for (UINT id : kAcBoxes) EXPECT_FALSE(Enabled(p, id));
        Reopen();
    }
}

TEST_F(WmmPageTest, WmmOffTurnsPowerSaveAndDirectLinksOff)
{
    CWnd* p = PageWith("1", "1", "1", 0xFF);
    Type(p, IDC_WMM_TIMEOUT, "99");
    m_mark = Mark();
    Click(p, IDC_WMM_ENABLE);
    for (const char* name : { REGSTR_WMM_CAPABLE, REGSTR_APSD_CAPABLE, REGSTR_DLS_CAPABLE })
        EXPECT_EQ("0", Stored(name)) << name;
    EXPECT_EQ(0x7Eu, Word(LastSet(OID_VENDOR_WMM_CAPABILITY))) << "bits 1-6 kept";
    EXPECT_EQ(0u, Word(LastSet(OID_VENDOR_DLS_CAPABILITY)));
    EXPECT_EQ((Bytes{ 0 }), LastSet(OID_VENDOR_WMM_OPTION));
    EXPECT_TRUE(Reassociated(m_mark));
    EXPECT_EQ("60", TextOf(p, IDC_WMM_TIMEOUT));
    EXPECT_FALSE(Checked(p, IDC_WMM_POWER_SAVE));
    EXPECT_FALSE(Checked(p, IDC_WMM_DLS_ENABLE));
    for (UINT id : { IDC_WMM_STATUS, IDC_WMM_POWER_SAVE_STATUS, IDC_WMM_DLS_STATUS }) EXPECT_EQ("Disabled", TextOf(p, id));
    for (UINT id : { IDC_WMM_POWER_SAVE, IDC_WMM_DLS_ENABLE, IDC_WMM_AC_BE, IDC_WMM_DLS_SETUP })
        EXPECT_FALSE(Enabled(p, id)) << id;
}

TEST_F(WmmPageTest, WmmOnKeepsPowerSaveOnlyWhenItIsOn)
{
    struct Case {
        const char* apsd;
        DWORD driverWord, sent;
    } const cases[] = {
        { "1", 0xFF, 0x7F },   // bits 0-6
        { "0", 0xFF, 0x7E },   // bits 1-6
        { "1", 0x12, 0x12 },
    };
    for (const Case& c : cases) {
        CWnd* p = PageWith("0", c.apsd, "0", c.driverWord);
        Click(p, IDC_WMM_ENABLE);
        EXPECT_EQ(c.sent, Word(LastSet(OID_VENDOR_WMM_CAPABILITY))) << c.apsd << " " << std::hex << c.driverWord;
        EXPECT_EQ("1", Stored(REGSTR_WMM_CAPABLE));
        EXPECT_EQ(c.apsd, Stored(REGSTR_APSD_CAPABLE)) << "switching WMM on stores only WMMCapable";
        Reopen();
    }
}

TEST_F(WmmPageTest, TheNModesSwitchWmmOnWhenThePageShows)
{
    struct Case {
        const char* mode;
        bool switched;
    } const cases[] = { { "9", true }, { "5", true }, { "0", false }, { "3", false } };
    for (const Case& c : cases) {
        CWnd* p = PageWith("0", "0", "0", 0x01, c.mode);
        EXPECT_EQ(c.switched, Checked(p, IDC_WMM_ENABLE)) << c.mode;
        EXPECT_EQ(c.switched ? "1" : "0", Stored(REGSTR_WMM_CAPABLE)) << c.mode;
        EXPECT_EQ(c.switched, Reassociated(m_mark)) << c.mode;
        EXPECT_EQ(c.switched ? Bytes{ 1 } : Bytes(), LastSet(OID_VENDOR_WMM_OPTION)) << c.mode;
        Reopen();
    }
}

TEST_F(WmmPageTest, DirectLinkSetupSwitch)
{
    CWnd* p = PageWith("1", "0", "0", 0x01);
    ASSERT_FALSE(Enabled(p, IDC_WMM_DLS_SETUP));
    Click(p, IDC_WMM_DLS_ENABLE);
    EXPECT_EQ("1", Stored(REGSTR_DLS_CAPABLE));
    EXPECT_EQ(1u, Word(LastSet(OID_VENDOR_DLS_CAPABILITY)));
    EXPECT_EQ("Enabled", TextOf(p, IDC_WMM_DLS_STATUS));
    for (UINT id : { IDC_WMM_MAC1, IDC_WMM_MAC6, IDC_WMM_TIMEOUT, IDC_WMM_DLS_SETUP, IDC_WMM_DLS_TEAR_DOWN,
                     IDC_WMM_DLS_LIST })
        EXPECT_TRUE(Enabled(p, id)) << id;
    Click(p, IDC_WMM_DLS_ENABLE);
    EXPECT_EQ("0", Stored(REGSTR_DLS_CAPABLE));
    EXPECT_EQ(0u, Word(LastSet(OID_VENDOR_DLS_CAPABILITY)));
    EXPECT_FALSE(Enabled(p, IDC_WMM_DLS_SETUP));
}

// ---- Direct links -----------------------------------------------------------------------------

TEST_F(WmmPageTest, AddressesThatCannotBeAPeerAreRefused)
{
    BYTE own[6] = {};
    ASSERT_TRUE(QueryOid(OID_802_3_CURRENT_ADDRESS, own, sizeof(own), nullptr));
    char ownHex[6][3];
    for (int i = 0; i < 6; ++i) std::snprintf(ownHex[i], sizeof(ownHex[i]), "%02X", own[i]);
    struct Case {
        const char* what;
        Strings mac;
    } const cases[] = {
        { "all zero", { "00", "00", "00", "00", "00", "00" } },
        { "all empty", { "", "", "", "", "", "" } },
        { "broadcast", { "FF", "FF", "FF", "FF", "FF", "FF" } },
        { "lower-case broadcast", { "ff", "ff", "ff", "ff", "ff", "ff" } },
        { "the adapter itself", { ownHex[0], ownHex[1], ownHex[2], ownHex[3], ownHex[4], ownHex[5] } },
        { "a group address", { "01", "11", "22", "33", "44", "55" } },
        { "another group address", { "33", "33", "00", "00", "00", "01" } },
    };
    CWnd* p = PageWith("1", "0", "1", 0x01);
    for (const Case& c : cases) {
        m_mark = Mark();
        EXPECT_EQ("Invalid MAC Address", Setup(p, c.mac, "60")) << c.what;
        EXPECT_TRUE(Sets(m_mark, OID_VENDOR_DLS_LINK).empty()) << c.what;
    }
}

TEST_F(WmmPageTest, TheAddressEditsTakeHexadecimalDigitsOnly)
{
    CWnd* p = PageWith("1", "0", "1", 0x01);
    Type(p, IDC_WMM_MAC1, "g-z9a");
    EXPECT_EQ("9A", TextOf(p, IDC_WMM_MAC1)) << "two hexadecimal digits at most";
}

TEST_F(WmmPageTest, APastedAddressThatIsNotHexadecimalIsRefused)
{
    CWnd* p = PageWith("1", "0", "1", 0x01);
    const char* pasted[6] = { "ZZ", "11", "22", "33", "44", "55" };
    for (int i = 0; i < 6; ++i) SetDlgItemTextA(p->m_hWnd, kMacEdits[i], pasted[i]);
    m_mark = Mark();
    BoxAnswer box;
    Click(p, IDC_WMM_DLS_SETUP);
    EXPECT_EQ("Invalid MAC Address", box.Text());
    EXPECT_TRUE(Sets(m_mark, OID_VENDOR_DLS_LINK).empty());
}

TEST_F(WmmPageTest, AnOverlongSsidFromTheDriverIsCutForTheReassociation)
{
    BYTE ssid[36] = { 200 };
    std::memset(ssid + 4, 'K', 32);
    Answer(OID_802_11_SSID, ssid, sizeof(ssid));
    CWnd* p = PageWith("0", "0", "0", 0x01);
    m_mark = Mark();
    Click(p, IDC_WMM_ENABLE);
    std::vector<Bytes> sets = Sets(m_mark, OID_802_11_SSID);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(32u, Word(sets[0]));
}

// The timeout is the text's decimal reading: its leading digits, "" is 0.
TEST_F(WmmPageTest, TheTimeoutMustFitSixteenBits)
{
    struct Case {
        const char* timeout;
        const char* message;
        int sent;        // -1: nothing sent
    } const cases[] = {
        { "65536", "Please enter a integer between 0 to 65535.", -1 },
        { "99999", "Please enter a integer between 0 to 65535.", -1 },
        { "-1", "Please enter a integer between 0 to 65535.", -1 },
        { "", "", 0 },
        { "6o", "", 6 },
        { "o6", "", 0 },
        { "0", "", 0 },
        { "65535", "", 65535 },
        { "60", "", 60 },
    };
    CWnd* p = PageWith("1", "0", "1", 0x01);
    for (const Case& c : cases) {
        m_mark = Mark();
        EXPECT_EQ(c.message, Setup(p, { "00", "11", "22", "33", "44", "02" }, c.timeout)) << c.timeout;
        std::vector<Bytes> sets = Sets(m_mark, OID_VENDOR_DLS_LINK);
        if (c.sent < 0) {
            EXPECT_TRUE(sets.empty()) << c.timeout;
            continue;
        }
        ASSERT_EQ(1u, sets.size()) << c.timeout;
        ASSERT_EQ(12u, sets[0].size());
        Bytes want = { (BYTE)(c.sent & 0xFF), (BYTE)(c.sent >> 8), 0, 0, 0x00, 0x11, 0x22, 0x33, 0x44, 0x02, 0, 1 };
        EXPECT_EQ(want, sets[0]) << c.timeout;
    }
}

TEST_F(WmmPageTest, ALinkToANetworkOfTheAirIsListedAndTornDown)
{
    JoinOpen();
    CWnd* p = PageWith("1", "0", "1", 0x01);
    EXPECT_EQ("", Setup(p, { "00", "11", "22", "33", "44", "02" }, "60"));
    Tick(p, IDT_WMM_REFRESH);
    ASSERT_EQ(1, Rows(p));
    EXPECT_EQ((Strings{ "00-11-22-33-44-02", "60" }), Row(p, 0));
    Shot(p, "wmm-page-direct-link");

    // Tear Down with nothing chosen tells so and sends nothing.
    m_mark = Mark();
    {
        BoxAnswer box;
        Click(p, IDC_WMM_DLS_TEAR_DOWN);
        EXPECT_EQ("No selected item", box.Text());
    }
    EXPECT_TRUE(Sets(m_mark, OID_VENDOR_DLS_LINK).empty());

    ClickRow(p, 0);
    EXPECT_EQ(0, CWmmPage::s_nDlsSelectedRow);
    EXPECT_EQ("00-11-22-33-44-02", CWmmPage::s_strDlsSelectedMac.str());
    m_mark = Mark();
    Click(p, IDC_WMM_DLS_TEAR_DOWN);
    std::vector<Bytes> sets = Sets(m_mark, OID_VENDOR_DLS_LINK);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ((Bytes{ 60, 0, 0, 0, 0x00, 0x11, 0x22, 0x33, 0x44, 0x02, 2, 0 }), sets[0]);
    Tick(p, IDT_WMM_REFRESH);
    EXPECT_EQ(0, Rows(p));
}

// Every click on the list takes its choice, also one that chooses nothing:
// Tear Down then tears nothing down.
TEST_F(WmmPageTest, AClickThatChoosesNoRowLeavesNothingToTearDown)
{
    AnswerLinks({ Link("02:00:00:00:00:01", 30, 2, 1), Link("02:00:00:00:00:02", 40, 2, 1) });
    CWnd* p = PageWith("1", "0", "1", 0x01);
    Tick(p, IDT_WMM_REFRESH);
    ASSERT_EQ(2, Rows(p));
    ClickRow(p, 1);
    ASSERT_EQ(1, ChosenRow(p));
    ClickBelowTheRows(p);
    ASSERT_TRUE(kqtest::WaitFor([&] { return ChosenRow(p) == -1; })) << "the list shows no row chosen";

    m_mark = Mark();
    {
        BoxAnswer box;
        Click(p, IDC_WMM_DLS_TEAR_DOWN);
        EXPECT_EQ("No selected item", box.Text());
    }
    EXPECT_TRUE(Sets(m_mark, OID_VENDOR_DLS_LINK).empty()) << "the link chosen before stays up";

    // A row chosen again is torn down as before.
    ClickRow(p, 0);
    m_mark = Mark();
    Click(p, IDC_WMM_DLS_TEAR_DOWN);
    std::vector<Bytes> sets = Sets(m_mark, OID_VENDOR_DLS_LINK);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ((Bytes{ 30, 0, 0, 0, 0x02, 0, 0, 0, 0, 0x01, 2, 0 }), sets[0]);
}

TEST_F(WmmPageTest, OnlyLinksInUseAndUpAreListed)
{
    struct Case {
        const char* what;
        std::vector<DlsLinkEntry> links;
        std::vector<Strings> rows;
    } const cases[] = {
        { "up and in use", { Link("02:00:00:00:00:01", 30, 2, 1) }, { { "02-00-00-00-00-01", "30" } } },
        { "in use, not up", { Link("02:00:00:00:00:01", 30, 0, 1), Link("02:00:00:00:00:02", 30, 1, 1) }, {} },
        { "up, not in use", { Link("02:00:00:00:00:01", 30, 2, 0) }, {} },
        { "a valid byte other than 1", { Link("02:00:00:00:00:01", 30, 2, 3) }, {} },
        { "record order",
          { Link("02:00:00:00:00:04", 4, 2, 1), Link("02:00:00:00:00:05", 0, 3, 1), Link("02:00:00:00:00:03", 65535, 2, 1) },
          { { "02-00-00-00-00-04", "4" }, { "02-00-00-00-00-03", "65535" } } },
    };
    CWnd* p = PageWith("1", "0", "1", 0x01);
    for (const Case& c : cases) {
        AnswerLinks(c.links);
        Tick(p, IDT_WMM_REFRESH);
        ASSERT_EQ((int)c.rows.size(), Rows(p)) << c.what;
        for (size_t i = 0; i < c.rows.size(); ++i) EXPECT_EQ(c.rows[i], Row(p, (int)i)) << c.what;
    }
    // A driver that does not answer lists nothing, whatever the buffer held.
    AnswerLinks({ Link("02:00:00:00:00:01", 30, 2, 1) });
    Tick(p, IDT_WMM_REFRESH);
    ASSERT_EQ(1, Rows(p));
    ASSERT_TRUE(m_sim.SetOidStatus(kGuid, OID_VENDOR_DLS_LINK, (LONG)0xC0000001));
    Tick(p, IDT_WMM_REFRESH);
    EXPECT_EQ(0, Rows(p));
}

TEST_F(WmmPageTest, ADoubleClickPutsTheLinkIntoTheEdits)
{
    AnswerLinks({ Link("02:00:00:00:00:01", 30, 2, 1), Link("0A:1B:2C:3D:4E:5F", 1200, 2, 1) });
    CWnd* p = PageWith("1", "0", "1", 0x01);
    Tick(p, IDT_WMM_REFRESH);
    ASSERT_EQ(2, Rows(p));
    ClickRow(p, 1, true);
    Strings mac;
    for (UINT id : kMacEdits) mac.push_back(TextOf(p, id));
    EXPECT_EQ((Strings{ "0A", "1B", "2C", "3D", "4E", "5F" }), mac);
    EXPECT_EQ("1200", TextOf(p, IDC_WMM_TIMEOUT));
    EXPECT_EQ(1, CWmmPage::s_nDlsSelectedRow);
    EXPECT_EQ("0A-1B-2C-3D-4E-5F", CWmmPage::s_strDlsSelectedMac.str());
}

TEST_F(WmmPageTest, TheSelectionBelongsToEveryPageAndOutlivesTheRows)
{
    AnswerLinks({ Link("02:00:00:00:00:01", 30, 2, 1), Link("02:00:00:00:00:02", 40, 2, 1) });
    CWnd* p = PageWith("1", "0", "1", 0x01);
    Tick(p, IDT_WMM_REFRESH);
    ClickRow(p, 1);
    AnswerLinks({ Link("02:00:00:00:00:02", 40, 2, 1) });   // the first link went
    Tick(p, IDT_WMM_REFRESH);
    EXPECT_EQ(1, CWmmPage::s_nDlsSelectedRow);
    EXPECT_EQ("02-00-00-00-00-02", CWmmPage::s_strDlsSelectedMac.str());

    // A new window's page tears down the link chosen in the old one.
    Reopen();
    p = Wmm();
    m_mark = Mark();
    Click(p, IDC_WMM_DLS_TEAR_DOWN);
    std::vector<Bytes> sets = Sets(m_mark, OID_VENDOR_DLS_LINK);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ((Bytes{ 40, 0, 0, 0, 0x02, 0, 0, 0, 0, 0x02, 2, 0 }), sets[0]);
}

}  // namespace
