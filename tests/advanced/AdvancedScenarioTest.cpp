// Whole roads through the real window against the default air: a stored
// profile of "Kestiq-Home" is activated, the advanced page changes the
// wireless mode, and the driver, the supplicant and the notification icon
// show the rejoin; and the connection engine taking the page's 802.11n
// controls while the window is open.
#include "advanced/PageFixture.h"

#include "pages/SiteSurveyPage.h"

namespace {

using kqtest::BoxAnswer;
using kqtest::PageWindowTest;
using kqtest::WaitFor;
using Bytes = std::vector<BYTE>;

class AdvancedScenario : public PageWindowTest {
protected:
    bool SupplicantSaid(DWORD mark, const std::string& prefix)
    {
        std::vector<kqsim::LogEntry> log;
        m_sim.ReadLog(log, mark);
        for (const auto& e : log)
            if (e.IsSupplicantCall() && e.text.compare(0, prefix.size(), prefix) == 0) return true;
        return false;
    }
    bool DriverConnected()
    {
        kqsim::AdapterState st;
        return m_sim.GetAdapter(kGuid, st) && st.connected;
    }
    // Ticks the controller as its timers would until the link is up again.
    bool Rejoined()
    {
        return WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return DriverConnected() && Icon() == IDI_TRAY_GOOD;
        }, 30000);
    }
    static size_t IndexOf(const std::vector<DWORD>& oids, DWORD oid, size_t from = 0)
    {
        for (size_t i = from; i < oids.size(); ++i)
            if (oids[i] == oid) return i;
        return oids.size();
    }
};

TEST_F(AdvancedScenario, BgnMixOnKestiqHomeRejoinsAndConnects)
{
    StoreHomeProfile();
    Store(REGSTR_WIRELESS_MODE, "5");
    ASSERT_TRUE(WaitForAuthPort()) << "the supplicant port did not open";
    ActivateOnProfilePage("HOME");
    ASSERT_TRUE(Rejoined());
    KQSIM_NETWORK joined = {};
    ASSERT_TRUE(m_sim.JoinedNetwork(kGuid, joined));
    ASSERT_EQ("Kestiq-Home", std::string(joined.ssid, joined.ssidLen));

    CWnd* p = Advanced();
    ASSERT_EQ("802.11 A/B/G/N mix", ComboText(p, IDC_ADV_WIRELESS_MODE));
    {
        BoxAnswer box;
        ASSERT_TRUE(Pick(p, IDC_ADV_WIRELESS_MODE, "802.11 B/G/N mix"));
        EXPECT_EQ("Automatically set channel according to wireless mode.", box.Text());
    }
    DWORD mark = Mark();
    Click(p, IDC_ADV_APPLY);
    EXPECT_EQ("9", Stored(REGSTR_WIRELESS_MODE));
    EXPECT_EQ("9", Stored(REGSTR_ADHOC_MODE));

    // The driver saw the disassociation and the rejoin first, then the mode
    // and the HT settings.
    std::vector<DWORD> oids = SetOids(mark);
    size_t disassociate = IndexOf(oids, OID_802_11_DISASSOCIATE);
    size_t rejoin = IndexOf(oids, OID_802_11_SSID, disassociate);
    size_t mode = IndexOf(oids, OID_VENDOR_WIRELESS_MODE, rejoin);
    size_t ht = IndexOf(oids, OID_VENDOR_HT_PHY, mode);
    ASSERT_LT(disassociate, oids.size());
    ASSERT_LT(rejoin, oids.size());
    ASSERT_LT(mode, oids.size());
    ASSERT_LT(ht, oids.size());
    std::vector<Bytes> ssids = Sets(mark, OID_802_11_SSID);
    ASSERT_FALSE(ssids.empty());
    EXPECT_EQ(11u, Word(ssids[0]));
    EXPECT_EQ("Kestiq-Home", std::string((const char*)ssids[0].data() + 4, 11));
    EXPECT_EQ(9u, Word(Sets(mark, OID_VENDOR_WIRELESS_MODE).back()));
    Bytes phy = Sets(mark, OID_VENDOR_HT_PHY).back();
    ASSERT_EQ(12u, phy.size());
    EXPECT_EQ(9u, Word(phy));
    EXPECT_EQ(2, phy[4]) << "PHY mode";
    EXPECT_EQ(0, phy[5]) << "mixed mode";
    EXPECT_EQ(33, phy[7]) << "MCS Auto";
    EXPECT_EQ(1, phy[8]) << "40 MHz: region CH1-11 and the EEPROM allow it";
    EXPECT_EQ(0, phy[9]);
    EXPECT_EQ(0, phy[10]);
    EXPECT_EQ(9u, DriverDword(OID_VENDOR_WIRELESS_MODE));
    // The 802.11n mode forces WMM on.
    EXPECT_EQ("1", Stored(REGSTR_WMM_CAPABLE));
    EXPECT_EQ((Bytes{ 1 }), Sets(mark, OID_VENDOR_WMM_OPTION).back());

    // The rejoin has no keys yet; the controller's reconnect brings them.
    EXPECT_FALSE(DriverConnected());
    ASSERT_TRUE(Rejoined());
    // The stand-in logs its verdict after the driver has it.
    EXPECT_TRUE(WaitFor([&] { return SupplicantSaid(mark, "verdict authorized"); }, 20000));
    Tick(Window()->GetPanel(PANEL_LINK_STATUS), IDT_LINK_STATUS_REFRESH);
    Shot((CWnd*)Window(), "advanced-scenario-bgn-connected");

    // APPLY again without a change: no disassociation, no advanced block.
    mark = Mark();
    Click(p, IDC_ADV_APPLY);
    oids = SetOids(mark);
    EXPECT_EQ(oids.size(), IndexOf(oids, OID_802_11_DISASSOCIATE));
    EXPECT_EQ(oids.size(), IndexOf(oids, OID_VENDOR_ADVANCED_CONFIG));
    EXPECT_LT(IndexOf(oids, OID_VENDOR_WIRELESS_MODE), oids.size());
    EXPECT_TRUE(DriverConnected());
}

TEST_F(AdvancedScenario, TheScanAfterAChangeOfModeIsSkipped)
{
    CWnd* p = Advanced();
    {
        BoxAnswer box;
        ASSERT_TRUE(Pick(p, IDC_ADV_WIRELESS_MODE, "802.11 B only"));
    }
    Click(p, IDC_ADV_APPLY);
    ASSERT_TRUE(g_bSkipNextScan);
    CWnd* survey = ShowPage(NAV_NETWORK, Window()->m_pSiteSurveyPage, IDT_SURVEY_REFRESH);
    DWORD mark = Mark();
    Click(survey, IDC_SURVEY_RESCAN);
    EXPECT_TRUE(Sets(mark, OID_802_11_BSSID_LIST_SCAN).empty()) << "the old channels are not scanned";
    EXPECT_FALSE(g_bSkipNextScan);
    // The one after it scans again.
    KillTimer(m_dlg.m_hWnd, IDT_RECONNECT);
    m_dlg.SendMessage(WM_TIMER, IDT_RECONNECT);
    mark = Mark();
    Click(survey, IDC_SURVEY_RESCAN);
    EXPECT_EQ(1u, Sets(mark, OID_802_11_BSSID_LIST_SCAN).size());
}

TEST_F(AdvancedScenario, WhileTheWindowIsOpenTheEngineTakesTheHtControls)
{
    Store(REGSTR_CHECK_BUILD, "1");
    // MCS 7, 20 MHz, long GI, PHY mode 1 as stored.
    StoreWord(REGSTR_TRANSMIT_SETTING, 9 | (7u << 4) | (1u << 14));
    Store(REGSTR_WIRELESS_MODE, "9");
    CWnd* p = Advanced();
    Click(p, IDC_ADV_BW_AUTO);
    Click(p, IDC_ADV_GI_AUTO);
    ASSERT_TRUE(Pick(p, IDC_ADV_MCS, "15"));

    // Radio off and on again applies the stored configuration, radio settings included.
    DWORD mark = Mark();
    SendMessageA(Window()->GetNavButton(NAV_RADIO)->m_hWnd, BM_CLICK, 0, 0);
    SendMessageA(Window()->GetNavButton(NAV_RADIO)->m_hWnd, BM_CLICK, 0, 0);
    // The apply waits behind the scan the radio asked for.
    m_dlg.SendMessage(WM_TIMER, IDT_RECONNECT);
    Pump();
    std::vector<Bytes> phys = Sets(mark, OID_VENDOR_HT_PHY);
    ASSERT_EQ(1u, phys.size());
    EXPECT_EQ(2, phys[0][4]) << "PHY mode";
    EXPECT_EQ(15, phys[0][7]);
    EXPECT_EQ(1, phys[0][8]);
    EXPECT_EQ(1, phys[0][10]);

    // Channel 14 allows no 40 MHz, whatever the controls say.
    Store(REGSTR_PROFILE_NETWORK_TYPE, "0");
    Store(REGSTR_CHANNEL, "14");
    mark = Mark();
    SetOidFromReg(TRUE);
    phys = Sets(mark, OID_VENDOR_HT_PHY);
    ASSERT_EQ(1u, phys.size());
    EXPECT_EQ(0, phys[0][8]);
    EXPECT_EQ(15, phys[0][7]);
    Store(REGSTR_PROFILE_NETWORK_TYPE, "1");

    // Without the window the stored setting goes as it is.
    Reopen();
    mark = Mark();
    SetOidFromReg(TRUE);
    phys = Sets(mark, OID_VENDOR_HT_PHY);
    ASSERT_EQ(1u, phys.size());
    EXPECT_EQ(1, phys[0][4]);
    EXPECT_EQ(7, phys[0][7]);
    EXPECT_EQ(0, phys[0][8]);
    EXPECT_EQ(0, phys[0][10]);
}

}  // namespace
