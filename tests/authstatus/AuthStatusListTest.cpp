// The panel on its own: rows with their time stamps, the end marker, the
// ring's wrap, the labels and their timer, and the two buttons.
#include "authstatus/AuthStatusFixture.h"

#include <regex>

#include "core/ApplyConfig.h"
#include "core/ControllerDoor.h"
#include "core/StationConfig.h"
#include "sim/client/SimTestSupport.h"

namespace {

using kqtest::AuthStatusTest;
using kqtest::Restore;
using kqtest::WaitFor;

// The current connection as the panel sees it: a record of the test's own,
// put back when the holder goes.
class CurrentConnection {
public:
    CurrentConnection(BYTE matchByBssid, BOOL fromRegistry) : m_saved(g_pCurProfile), m_registry(g_bConfigFromRegistry)
    {
        m_mine = AllocStationConfig();
        m_mine->matchByBssid = matchByBssid;
        g_pCurProfile = m_mine;
        g_bConfigFromRegistry = fromRegistry;
    }
    ~CurrentConnection()
    {
        g_pCurProfile = m_saved;
        g_bConfigFromRegistry = m_registry;
        FreeStationConfig(m_mine);
    }

private:
    StationConfig* m_saved;
    StationConfig* m_mine;
    BOOL m_registry;
};

class AuthStatusList : public AuthStatusTest {
protected:
    std::string DriverDesc()
    {
        CString desc;
        ReadAdapterText("DriverDesc", desc);
        return desc.GetString();
    }
    void LabelTick()
    {
        SendMessageA(m_panel->m_hWnd, WM_TIMER, IDT_AUTH_STATUS_LABELS, 0);
        Pump();
    }
};

TEST_F(AuthStatusList, RowsCarryTheirArrivalTimeAndTheLinesInOrder)
{
    ShowPanel();
    ASSERT_TRUE(PanelInFront());
    EXPECT_EQ(0, RowCount());
    Line("Starting network connection...");
    Line("");
    Line("Network is connecting...");
    EXPECT_EQ((std::vector<std::string>{"Starting network connection...", "NULL STRING", "Network is connecting..."}),
              Descriptions());
    const std::regex stamp("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\.[0-9]{3} $");
    for (int i = 0; i < RowCount(); ++i) EXPECT_TRUE(std::regex_match(Cell(i, 0), stamp)) << Cell(i, 0);
    EXPECT_EQ(3, m_panel->ReadIndex());
    EXPECT_EQ("Authentication Status", Label(IDC_AUTH_STATUS_TITLE));
    EXPECT_EQ("Time", [&] {
        char text[32] = {};
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA((HWND)SendMessageA(m_list, LVM_GETHEADER, 0, 0), HDM_GETITEMA, 0, (LPARAM)&item);
        return std::string(text);
    }());
    PanelShot("authstatus-rows");

    // The time is drawn to the right of its column: its first dark pixel
    // lies well past the column's left edge.
    kqtest::Capture c = kqtest::CaptureWindow(m_list);
    RECT cell = {};
    cell.top = 0;   // sub-item 0
    cell.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(m_list, LVM_GETSUBITEMRECT, 0, (LPARAM)&cell));
    int firstDark = -1;
    for (int x = cell.left; x < cell.right && x < c.width && firstDark < 0; ++x)
        for (int y = cell.top; y < cell.bottom && y < c.height; ++y)
            if ((c.At(x, y) & 0xFF) < 0x60) {
                firstDark = x;
                break;
            }
    ASSERT_GE(firstDark, 0) << "no time drawn";
    EXPECT_GT(firstDark - cell.left, 40);
}

TEST_F(AuthStatusList, TheEndMarkerIsNeverARowAndEmptiesTheRing)
{
    ShowPanel();
    Line("Network Link is connected.");
    EndMarker();
    EXPECT_EQ((std::vector<std::string>{"Network Link is connected."}), Descriptions());
    EXPECT_TRUE(RingEmpty());
    EXPECT_EQ(0, m_panel->ReadIndex());
    EXPECT_EQ(PANEL_LINK_STATUS, PanelShown()) << "the status panel in front gives way to the link status";

    // With another panel in front the marker empties the ring and leaves that panel there.
    for (int front : {PANEL_LINK_STATUS, PANEL_PROFILE_EDIT}) {
        SCOPED_TRACE(front);
        m_dlg.ShowPage(front);
        Line("Detecting IPX Frame Type.");
        EndMarker();
        EXPECT_TRUE(RingEmpty());
        EXPECT_EQ(front, PanelShown());
    }
}

TEST_F(AuthStatusList, ShowingThePanelAgainEmptiesTheListNotTheRing)
{
    ShowPanel();
    Line("Network is connecting...");
    Line("Wireless client is authenticated.");
    ASSERT_EQ(2, RowCount());
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    ShowPanel();
    EXPECT_EQ(0, RowCount());
    EXPECT_STREQ("Network is connecting...", g_AuthLogRing.lines[0]);
    EXPECT_STREQ("Wireless client is authenticated.", g_AuthLogRing.lines[1]);
    EXPECT_EQ(2, g_AuthLogRing.writeIndex);
    // Lines that come while hidden are rows too.
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    Line("Network Link is connected.");
    EXPECT_EQ((std::vector<std::string>{"Network Link is connected."}), Descriptions());
}

TEST_F(AuthStatusList, TheTwoHundredAndFirstLineOverwritesLineZeroAndLongLinesAreCut)
{
    ShowPanel();
    for (int i = 0; i < 201; ++i) Line("line " + std::to_string(i));
    ASSERT_EQ(201, RowCount());
    EXPECT_EQ("line 0", Cell(0, 1));
    EXPECT_EQ("line 199", Cell(199, 1));
    EXPECT_EQ("line 200", Cell(200, 1));
    EXPECT_STREQ("line 200", g_AuthLogRing.lines[0]);
    EXPECT_EQ(1, m_panel->ReadIndex());
    // The newest row is in view.
    int top = (int)SendMessageA(m_list, LVM_GETTOPINDEX, 0, 0);
    int perPage = (int)SendMessageA(m_list, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_GE(top + perPage, 200);

    Line(std::string(300, 'x'));
    EXPECT_EQ(std::string(255, 'x'), Cell(201, 1));

    // A message for a line outside the ring adds nothing.
    PostMessageA(m_panel->m_hWnd, WM_APP_AUTH_LOG_LINE, 512, 0);
    PostMessageA(m_panel->m_hWnd, WM_APP_AUTH_LOG_LINE, (WPARAM)-1, 0);
    Pump();
    EXPECT_EQ(202, RowCount());
}

TEST_F(AuthStatusList, LabelsNameTheCardAndTheStoredProfile)
{
    ASSERT_FALSE(DriverDesc().empty());
    const std::string card = "Card Name >> " + DriverDesc();
    WriteAdapterText(REGSTR_CUR_PROFILE, "Office");

    {
        CurrentConnection stored(0, TRUE);
        ShowPanel();
        EXPECT_EQ(card, Label(IDC_AUTH_STATUS_CARD));
        EXPECT_EQ("Profile Name >> Office", Label(IDC_AUTH_STATUS_PROFILE));
        LabelTick();
        EXPECT_EQ("Profile Name >> Office", Label(IDC_AUTH_STATUS_PROFILE));
        // A name changed while shown is on the next tick.
        WriteAdapterText(REGSTR_CUR_PROFILE, "Lab");
        LabelTick();
        EXPECT_EQ("Profile Name >> Lab", Label(IDC_AUTH_STATUS_PROFILE));
        // Without the value the label keeps the tick's caption.
        HKEY k = OpenAdapterKey(KEY_ALL_ACCESS);
        ASSERT_NE(nullptr, k);
        RegDeleteValueA(k, REGSTR_CUR_PROFILE);
        RegDeleteValueA(k, "DriverDesc");
        RegCloseKey(k);
        LabelTick();
        EXPECT_EQ("Connected by manual...", Label(IDC_AUTH_STATUS_PROFILE));
        EXPECT_EQ(card, Label(IDC_AUTH_STATUS_CARD)) << "a missing card name leaves the label";
        m_adapterKey->Restore();
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
    WriteAdapterText(REGSTR_CUR_PROFILE, "Office");
    // A connection chosen by BSSID: no profile name.  One with the flag 0
    // that is no stored profile (hidden SSID, WPS) names the adapter key's
    // profile, as the flag alone decides the label.
    for (BYTE byBssid : {1, 0}) {
        SCOPED_TRACE(byBssid);
        CurrentConnection oneOff(byBssid, FALSE);
        ShowPanel();
        EXPECT_EQ(card, Label(IDC_AUTH_STATUS_CARD));
        EXPECT_EQ(byBssid ? "" : "Profile Name >> Office", Label(IDC_AUTH_STATUS_PROFILE));
        LabelTick();
        EXPECT_EQ(byBssid ? "Connected by manual..." : "Profile Name >> Office", Label(IDC_AUTH_STATUS_PROFILE));
        m_dlg.ShowPage(PANEL_LINK_STATUS);
    }
}

TEST_F(AuthStatusList, TheLabelTimerRunsWhileThePanelIsShown)
{
    CurrentConnection oneOff(1, FALSE);
    g_pControllerDoor->ShowAuthStatusPanel();
    ASSERT_EQ("", Label(IDC_AUTH_STATUS_PROFILE)) << "before the first tick";
    // The real timer brings the tick's caption by itself.
    EXPECT_TRUE(WaitFor([&] { return Label(IDC_AUTH_STATUS_PROFILE) == "Connected by manual..."; }, 20000));
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    EXPECT_FALSE(KillTimer(m_panel->m_hWnd, IDT_AUTH_STATUS_LABELS)) << "hiding the panel stops its timer";
    ShowPanel();
    EXPECT_TRUE(KillTimer(m_panel->m_hWnd, IDT_AUTH_STATUS_LABELS)) << "showing it starts the timer again";
}

TEST_F(AuthStatusList, OkReturnsToTheLinkStatusAndKeepsTheRing)
{
    ShowPanel();
    Line("Network is connecting...");
    Click(IDC_AUTH_STATUS_OK);
    EXPECT_EQ(PANEL_LINK_STATUS, PanelShown());
    EXPECT_EQ(0, RowCount());
    EXPECT_STREQ("Network is connecting...", g_AuthLogRing.lines[0]);
}

TEST_F(AuthStatusList, CancelStopsThePortAndForgetsTheRun)
{
    ASSERT_NE(0, g_hAuthPort) << "the supplicant port did not open";
    g_bAutoConnect = TRUE;
    ShowPanel();
    Line("Network is connecting...");
    Line("PEAP Authenticating...");
    DWORD mark = 0;
    ASSERT_TRUE(m_sim.NextSeq(mark));
    Click(IDC_AUTH_STATUS_CANCEL);
    EXPECT_FALSE(g_bAutoConnect);
    EXPECT_TRUE(RingEmpty());
    EXPECT_EQ(0, m_panel->ReadIndex());
    EXPECT_EQ(PANEL_LINK_STATUS, PanelShown());
    EXPECT_EQ(0, RowCount());
    std::vector<kqsim::LogEntry> log;
    m_sim.ReadLog(log, mark);
    bool stopped = false;
    for (const auto& e : log)
        if (e.IsSupplicantCall() && e.text.compare(0, 10, "acPortStop") == 0) stopped = true;
    EXPECT_TRUE(stopped) << "the port was stopped";
    EXPECT_NE(0, g_hAuthPort) << "the port stays open";
}

TEST_F(AuthStatusList, EnterAndEscapeNeitherCloseNorCancel)
{
    g_bAutoConnect = TRUE;
    ShowPanel();
    Line("Network is connecting...");
    for (WPARAM id : {IDOK, IDCANCEL}) {
        SendMessageA(m_panel->m_hWnd, WM_COMMAND, id, 0);
        Pump();
    }
    EXPECT_TRUE(PanelInFront());
    EXPECT_TRUE(g_bAutoConnect);
    EXPECT_EQ(1, RowCount());
    EXPECT_STREQ("Network is connecting...", g_AuthLogRing.lines[0]);
}

}  // namespace
