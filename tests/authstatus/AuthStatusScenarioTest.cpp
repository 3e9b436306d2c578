// Whole roads through the real window against the default air, with
// ShowAuthStatus 1 in the adapter key: a profile activated from the profile
// page, the library's lines and the network check's as rows of the status
// list, and the window back on the link status panel when the check ends.
// The check's calls are the real ones; only its last wait, before the end
// marker, is held by the test, so that the panel can be looked at during a
// run.
#include "authstatus/AuthStatusFixture.h"

#include "auth/AcAuthLibrary.h"
#include "core/ApplyConfig.h"
#include "core/ControllerDoor.h"
#include "core/Oids.h"
#include "core/OidChannel.h"
#include "core/ProfileStore.h"
#include "pages/ProfilePage.h"
#include "sim/client/SimTestSupport.h"

namespace {

using kqtest::AuthStatusTest;
using kqtest::WaitFor;

HANDLE g_gate = nullptr;

// The wait before the end marker lasts until the gate opens (or a stop);
// every other wait is the real one.
bool GatedPause(HANDLE stop, DWORD ms)
{
    if (ms != 2000 || !g_gate) return RealNetworkCheckCalls().pause(stop, ms);
    HANDLE h[2] = {stop, g_gate};
    return WaitForMultipleObjects(2, h, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
}

// The supplicant stand-in's settings back as they were, in the loaded acAuth.dll.
void ResetStandIn()
{
    HMODULE h = GetModuleHandleA("acAuth.dll");
    auto reset = h ? (void (*)())(void*)GetProcAddress(h, "kqsimAcAuthReset") : nullptr;
    if (reset) reset();
}

class AuthStatusScenario : public AuthStatusTest {
protected:
    void SetUp() override
    {
        AuthStatusTest::SetUp();
        ASSERT_NE(0, g_hAuthPort) << "the supplicant port did not open";
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (m_adapterPath + "\\Profile\\Station").c_str());
        ASSERT_TRUE(WriteAdapterText(REGSTR_SHOW_AUTH_STATUS, "1"));
        // A single sign-on domain; Wine finds no controller for it.
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, SSO_KEY_PATH, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &k, nullptr));
        RegSetValueExA(k, REGSTR_SSO_INSTALL, 0, REG_SZ, (const BYTE*)"KESTIQ", 6);
        RegCloseKey(k);
        m_gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_gate = m_gate;
        g_NetworkCheckCalls.pause = GatedPause;
    }
    void TearDown() override
    {
        // A check held at its end goes on: its last line is announced to
        // this test's window, not to the next test's.
        SetEvent(m_gate);
        StopNetworkCheck();
        Pump();
        ResetStandIn();
        AuthStatusTest::TearDown();
        g_gate = nullptr;
        CloseHandle(m_gate);
    }

    // The profile page in front, the profile's row chosen, Activate clicked.
    void Activate(const char* name)
    {
        SendMessageA(m_window->GetNavButton(NAV_PROFILE)->m_hWnd, BM_CLICK, 0, 0);
        Pump();
        CProfilePage* page = m_window->m_pProfilePage;
        page->LoadProfileList();
        HWND grid = GetDlgItem(page->m_hWnd, IDC_PROFILE_LIST);
        for (size_t i = 0; i < page->Rows().size(); ++i) {
            if (page->Rows()[i].name != name) continue;
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(grid, LVM_SETITEMSTATE, i, (LPARAM)&item);
        }
        SendMessageA(GetDlgItem(page->m_hWnd, IDC_PROFILE_APPLY), BM_CLICK, 0, 0);
        Pump();
    }
    bool RowsReach(size_t n, DWORD ms = 30000)
    {
        return WaitFor([&] { return Descriptions().size() >= n; }, ms);
    }
    bool HasRow(const std::string& line)
    {
        for (const std::string& d : Descriptions())
            if (d == line) return true;
        return false;
    }

    HANDLE m_gate = nullptr;
    kqtest::KeyGuard m_sso{HKEY_LOCAL_MACHINE, SSO_KEY_PATH};
};

// A pre-shared-key profile takes the road of an 802.1X one up to "Wireless
// client is authenticated."; the engine brings the panel to the front only
// on the 802.1X road, so here the test asks for it as the engine would.
TEST_F(AuthStatusScenario, PreSharedKeyProfileRunsTheWholeRoadIntoTheList)
{
    ProfileSettings home;
    home.ssid = "Kestiq-Home";
    home.networkType = 1;
    home.authChoice = AUTH_CHOICE_WPA2_PSK;
    home.encryptionChoice = ENCR_CHOICE_AES;
    home.preSharedKey = "kestiq-secret";
    ASSERT_TRUE(WriteProfile("Home", home));
    ShowPanel();
    Activate("Home");
    EXPECT_TRUE(g_bShowAuthStatus);

    // The scenario's third network hands out 192.168.3.100.
    const std::vector<std::string> want = {
        "Starting network connection...", "Network is connecting...", "Wireless client is authenticated.",
        "Network Link is connected.", "DHCP is Enabled.", "Succeed. IP address is 192.168.3.100.",
        "Detecting IPX Frame Type.", "IPX protocol is not installed on this machine.",
        "Finding Domain Controller - KESTIQ", "Domain Controller is not found.",
    };
    ASSERT_TRUE(RowsReach(want.size())) << ::testing::PrintToString(Descriptions());
    EXPECT_EQ(want, Descriptions());
    EXPECT_TRUE(PanelInFront()) << "the check holds before its end marker";
    EXPECT_EQ("Card Name >> " + std::string([] {
                  CString d;
                  ReadAdapterText("DriverDesc", d);
                  return d;
              }().GetString()),
              Label(IDC_AUTH_STATUS_CARD));
    EXPECT_EQ("Profile Name >> Home", Label(IDC_AUTH_STATUS_PROFILE));
    PanelShot("authstatus-during");
    WindowShot("authstatus-window-during");

    SetEvent(m_gate);
    ASSERT_TRUE(WaitFor([&] { return PanelShown() == PANEL_LINK_STATUS; }, 20000));
    EXPECT_TRUE(IsWindowVisible(m_window->GetPanel(PANEL_LINK_STATUS)->m_hWnd));
    EXPECT_TRUE(RingEmpty());
    EXPECT_FALSE(NetworkCheckBusy());
    EXPECT_EQ(want, Descriptions()) << "the end marker is no row";
    WindowShot("authstatus-after");
}

// A PEAP profile: the engine shows the panel itself, and the credential
// worker's answers take the road on to the authentication.
TEST_F(AuthStatusScenario, PeapProfileBringsThePanelAndItsMethodsLine)
{
    ProfileSettings corp;
    corp.ssid = "Kestiq-Corp";
    corp.networkType = 1;
    corp.authChoice = AUTH_CHOICE_WPA2;
    corp.encryptionChoice = ENCR_CHOICE_AES;
    corp.use8021x = TRUE;
    corp.dot1x.eapMethod = 0;
    corp.dot1x.identity = "alice";
    corp.dot1x.tunnelId = "alice";
    corp.dot1x.tunnelPassword = "wonderland";
    ASSERT_TRUE(WriteProfile("Corp", corp));
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    Activate("Corp");
    // The apply runs at once, or after a scan the poll had started (the
    // engine takes a queued profile with the scan's result, on timer 2).
    EXPECT_TRUE(WaitFor([&] { return PanelShown() == PANEL_AUTH_STATUS; }, 20000))
        << "ShowAuthStatus 1 brings the panel on the 802.1X road; panel " << PanelShown() << " shown";

    const std::vector<std::string> road = {"Starting network connection...", "Network is connecting...",
                                           "PEAP Authenticating..."};
    ASSERT_TRUE(RowsReach(road.size())) << ::testing::PrintToString(Descriptions());
    std::vector<std::string> rows = Descriptions();
    EXPECT_EQ(road, std::vector<std::string>(rows.begin(), rows.begin() + 3));
    PanelShot("authstatus-peap");
    ASSERT_TRUE(WaitFor([&] { return HasRow("Wireless client is authenticated."); }, 20000))
        << ::testing::PrintToString(Descriptions());
    EXPECT_FALSE(HasRow("Authenticating Timeout."));
    EXPECT_EQ(PANEL_AUTH_STATUS, PanelShown()) << "no credential prompt";
}

// The default air's 802.1X network hands out its scenario address once
// joined: through the driver and through the supplicant library.
TEST_F(AuthStatusScenario, TheCorporateNetworkHandsOutItsScenarioAddress)
{
    DWORD auth = Ndis802_11AuthModeWPA2, encryption = Ndis802_11Encryption3Enabled;
    ASSERT_TRUE(SetOid(OID_802_11_AUTHENTICATION_MODE, &auth, 4, nullptr, 1));
    ASSERT_TRUE(SetOid(OID_802_11_WEP_STATUS, &encryption, 4, nullptr, 1));
    NDIS_802_11_SSID ssid = {};
    ssid.SsidLength = 11;
    std::memcpy(ssid.Ssid, "Kestiq-Corp", 11);
    ASSERT_TRUE(SetOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr, 1));
    ASSERT_TRUE(m_sim.SetAuthorized(kGuid, true));
    const BYTE want[4] = {172, 16, 9, 20};
    BYTE viaDriver[4] = {};
    ASSERT_TRUE(QueryOid(OID_VENDOR_IP_ADDRESS, viaDriver, sizeof(viaDriver), nullptr));
    EXPECT_EQ(0, std::memcmp(want, viaDriver, 4));
    ASSERT_NE(nullptr, g_pAuthPort);
    BYTE viaLibrary[AC_IP_CONFIG_SIZE] = {};
    ASSERT_EQ(AC_OK, g_ac.acIpGetConfig(g_pAuthPort->attributes.name, viaLibrary));
    EXPECT_EQ(0, std::memcmp(want, viaLibrary, 4));
}

}  // namespace
