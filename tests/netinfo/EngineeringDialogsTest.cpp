// The dialogs no window of the program opens, opened here in a host window
// beside a controller of this process on the installed default adapter: the
// 802.11n aggregation dialog with its two Block-Ack session dialogs, and the
// register tool.  What they send is read from the simulated driver's request
// log, what they show from their controls, what they store from the registry.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/HideDlg.h"
#include "classlib/Handles.h"
#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "mainwnd/WindowFixture.h"
#include "netinfo/AirFixture.h"
#include "pages/BaSessionDlg.h"
#include "pages/HtAggregationPage.h"
#include "pages/RegisterToolDlg.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/BoxAnswer.h"
#include "support/ListProbe.h"
#include "support/Restore.h"
#include "widgets/WidgetTestSupport.h"

namespace {

using Bytes = std::vector<BYTE>;
using kqtest::Restore;

Bytes Le32(std::initializer_list<DWORD> words)
{
    Bytes b;
    for (DWORD w : words)
        for (int i = 0; i < 4; ++i) b.push_back((BYTE)(w >> (8 * i)));
    return b;
}

// Answers the class library's validation message (the system's message box)
// from a second thread and keeps its text.
class ValidationAnswer {
public:
    ValidationAnswer() : m_thread([this] { Run(); }) {}
    ~ValidationAnswer() { Text(); }
    std::string Text()
    {
        m_done = true;
        if (m_thread.joinable()) m_thread.join();
        return m_text;
    }

private:
    void Run()
    {
        // Until the test is done with it; a box later than half a minute is a fault.
        for (DWORD start = GetTickCount(); !m_done && GetTickCount() - start < 30000;) {
            HWND box = FindWindowA("#32770", "Error");
            DWORD pid = 0;
            if (box) GetWindowThreadProcessId(box, &pid);
            if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
                EnumChildWindows(box, [](HWND child, LPARAM lp) -> BOOL {
                    char cls[16] = {}, text[256] = {};
                    GetClassNameA(child, cls, sizeof(cls));
                    GetWindowTextA(child, text, sizeof(text));
                    if (_stricmp(cls, "Static") != 0 || !text[0]) return TRUE;
                    *(std::string*)lp = text;
                    return FALSE;
                }, (LPARAM)&m_text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    }
    std::atomic<bool> m_done{ false };
    std::string m_text;
    std::thread m_thread;
};

class EngineeringTest : public kqtest::DefaultAirTest {
protected:
    void SetUp() override
    {
        kqtest::DefaultAirTest::SetUp();
        memset(g_CurBssid, 0, 6);
        m_key.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, g_strAdapterRegPath.GetString()));
    }
    void TearDown() override
    {
        m_key.reset();
        kqtest::DefaultAirTest::TearDown();
    }
    // Associates with a WPA2-PSK network of the air (its keys do not matter here).
    void Join(const char* ssid)
    {
        DWORD auth = Ndis802_11AuthModeWPA2PSK, encryption = Ndis802_11Encryption3Enabled;
        SetOid(OID_802_11_AUTHENTICATION_MODE, &auth, 4, nullptr, 1);
        SetOid(OID_802_11_WEP_STATUS, &encryption, 4, nullptr, 1);
        NDIS_802_11_SSID s = {};
        s.SsidLength = (ULONG)strlen(ssid);
        memcpy(s.Ssid, ssid, s.SsidLength);
        ASSERT_TRUE(SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1));
        ASSERT_TRUE(QueryOid(OID_802_11_BSSID, g_CurBssid, 6, nullptr));
        ASSERT_NE(0, g_CurBssid[5]);
    }
    DWORD Mark()
    {
        DWORD seq = 0;
        m_sim.NextSeq(seq);
        return seq;
    }
    // The data of each set of one OID since a mark.
    std::vector<Bytes> Sets(DWORD oid, DWORD from)
    {
        std::vector<Bytes> out;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, from))
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == oid) out.push_back(e.data);
        return out;
    }
    int Queries(DWORD oid, DWORD from)
    {
        int n = 0;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, from))
            if (e.kind == KQSIM_LOG_QUERY && e.BaseOid() == oid) ++n;
        return n;
    }
    static void Click(CWnd* dlg, UINT id)
    {
        SendMessageA(GetDlgItem(dlg->m_hWnd, id), BM_CLICK, 0, 0);
        widgettest::PumpPending();
    }
    static bool Enabled(CWnd* dlg, UINT id) { return IsWindowEnabled(GetDlgItem(dlg->m_hWnd, id)) != FALSE; }
    static bool Checked(CWnd* dlg, UINT id) { return SendDlgItemMessageA(dlg->m_hWnd, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    static std::string Text(CWnd* dlg, UINT id)
    {
        char buf[256] = {};
        GetDlgItemTextA(dlg->m_hWnd, id, buf, sizeof(buf));
        return buf;
    }
    static void Type(CWnd* dlg, UINT id, const char* text)
    {
        SetDlgItemTextA(dlg->m_hWnd, id, text);
        widgettest::PumpPending();
    }
    static void Choose(CWnd* dlg, UINT combo, const char* item)
    {
        HWND c = GetDlgItem(dlg->m_hWnd, combo);
        SendMessageA(c, CB_SETCURSEL, SendMessageA(c, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)item), 0);
        SendMessageA(dlg->m_hWnd, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), (LPARAM)c);
        widgettest::PumpPending();
    }

    Restore<BYTE[6]> m_bssid{ g_CurBssid };
    std::unique_ptr<kqtest::KeyGuard> m_key;
};

// ---- Aggregation and Block-Ack sessions ----------------------------------------------

class AggregationTest : public EngineeringTest {
protected:
    void SetUp() override
    {
        EngineeringTest::SetUp();
        ASSERT_TRUE(m_agg.CreatePage(&m_host));
        ASSERT_TRUE(m_add.CreatePage(&m_host));
        ASSERT_TRUE(m_delete.CreatePage(&m_host));
        m_add.SetWindowPos(nullptr, 0, 255, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        m_delete.SetWindowPos(nullptr, 0, 255, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        m_agg.m_pAddDlg = &m_add;
        m_agg.m_pDeleteDlg = &m_delete;
    }
    void TearDown() override
    {
        m_delete.DestroyWindow();
        m_add.DestroyWindow();
        m_agg.DestroyWindow();
        EngineeringTest::TearDown();
    }
    // Shown with its timer stopped: the test runs the refreshes.
    void ShowAggregation()
    {
        m_agg.ShowWindow(SW_HIDE);
        m_agg.ShowWindow(SW_SHOW);
        KillTimer(m_agg.m_hWnd, IDT_BA_REFRESH);
        widgettest::PumpPending();
    }
    void Refresh()
    {
        SendMessageA(m_agg.m_hWnd, WM_TIMER, IDT_BA_REFRESH, 0);
        widgettest::PumpPending();
    }
    HWND SessionList(int direction)
    {
        return GetDlgItem(m_agg.m_hWnd, direction == BA_RECIPIENT ? IDC_AGG_RECIPIENT_LIST : IDC_AGG_ORIGINATOR_LIST);
    }
    std::vector<std::string> SessionRow(int direction, int row)
    {
        std::vector<std::string> cells;
        for (int c = 0; c < 9; ++c) cells.push_back(kqtest::ListCellText(SessionList(direction), row, c));
        return cells;
    }
    static std::vector<std::string> Rows(HWND list)
    {
        std::vector<std::string> out;
        for (int r = 0; r < kqtest::ListRowCount(list); ++r) out.push_back(kqtest::ListCellText(list, r, 0));
        return out;
    }
    // A person's click on a row of a peer list.
    static void ClickRow(CWnd* dlg, int row)
    {
        HWND list = GetDlgItem(dlg->m_hWnd, IDC_BA_BSSID_LIST);
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, row, (LPARAM)&rc);
        LPARAM at = MAKELPARAM(rc.left + 30, (rc.top + rc.bottom) / 2);
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        widgettest::PumpPending();
    }
    void StoreCapability(const BaCapability& cap)
    {
        ASSERT_TRUE(WriteAdapterDword(REGSTR_BA_CAP, BaCapabilityToRegistry(cap)));
    }
    DWORD StoredCapability()
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!kqtest::ReadValue(g_strAdapterRegPath.GetString(), REGSTR_BA_CAP, &type, &data) || type != REG_DWORD ||
            data.size() != 4)
            return 0xDEADDEAD;
        DWORD v;
        memcpy(&v, data.data(), 4);
        return v;
    }
    void Shot(CWnd* w, const char* name) { widgettest::Screenshot(w->m_hWnd, name); }

    widgettest::HostDialog m_host{ 820, 460, 20, 20, "aggregation" };
    CHtAggregationPage m_agg{ nullptr };
    CAddBaDlg m_add{ nullptr };
    CDeleteBaDlg m_delete{ nullptr };
};

const BaCapability kManual = { 0x11, 0x22, 1, 5, 1, 1, 1, 0 };   // MPDU on, manual, density 5, A-MSDU 7935, dynamic

TEST_F(AggregationTest, ShowingReadsTheStoredWordShowsItAndSendsIt)
{
    StoreCapability(kManual);
    DWORD from = Mark();
    ShowAggregation();
    std::vector<Bytes> sets = Sets(OID_VENDOR_BA_CAPABILITY, from);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(Bytes({ 0x11, 0x22, 0x01, 0x05, 0x01, 0x01, 0x01, 0x00 }), sets[0]);
    EXPECT_EQ(0, Queries(OID_VENDOR_BA_CAPABILITY, from));

    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_AMSDU));
    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_AMSDU_7935));
    EXPECT_FALSE(Checked(&m_agg, IDC_AGG_AMSDU_3839));
    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_SM_DYNAMIC));
    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_MPDU));
    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_MANUAL));
    EXPECT_EQ("5", Text(&m_agg, IDC_AGG_DENSITY));
    // Columns of both lists, once however often it is shown.
    ShowAggregation();
    for (int d : { BA_ORIGINATOR, BA_RECIPIENT }) {
        HWND header = (HWND)SendMessageA(SessionList(d), LVM_GETHEADER, 0, 0);
        EXPECT_EQ(9, (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
        char heading[32] = {};
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = heading;
        col.cchTextMax = sizeof(heading);
        SendMessageA(SessionList(d), LVM_GETCOLUMNA, 8, (LPARAM)&col);
        EXPECT_STREQ("TID 7", heading);
        EXPECT_EQ(20, col.cx);
    }
    Shot(&m_host, "aggregation-dialog");
}

TEST_F(AggregationTest, WithoutAStoredNumberTheDriversRecordIsCarried)
{
    // Missing, then a text where a number belongs: both leave the word unread.
    for (bool text : { false, true }) {
        SCOPED_TRACE(text ? "text" : "missing");
        CRegKey key(OpenAdapterKey(KEY_ALL_ACCESS));
        RegDeleteValueA(key, REGSTR_BA_CAP);
        if (text) ASSERT_TRUE(WriteRegText(key, REGSTR_BA_CAP, "65535"));
        DWORD from = Mark();
        ShowAggregation();
        EXPECT_EQ(1, Queries(OID_VENDOR_BA_CAPABILITY, from));
        // The driver's record {1, 1, 3, 0, ...}: bytes 0 and 1 carried, byte 2 is
        // not 1 (aggregation off), byte 6 is 0 (static).
        std::vector<Bytes> sets = Sets(OID_VENDOR_BA_CAPABILITY, from);
        ASSERT_EQ(1u, sets.size());
        EXPECT_EQ(Bytes({ 0x01, 0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00 }), sets[0]);
        EXPECT_TRUE(Checked(&m_agg, IDC_AGG_SM_STATIC));
        EXPECT_FALSE(Checked(&m_agg, IDC_AGG_MPDU));
    }
}

TEST_F(AggregationTest, StoredWordAtItsFieldLimits)
{
    const struct {
        DWORD word;
        Bytes sent;
        UINT smpsButton;
    } cases[] = {
        { 0xFFFFFFFF, { 0xFF, 0xFF, 0x02, 0x07, 0x01, 0x01, 0x03, 0x01 }, IDC_AGG_SM_ENABLE },   // MPDU 3: off
        { 0x03FFFFFF, { 0xFF, 0xFF, 0x02, 0x07, 0x01, 0x01, 0x03, 0x01 }, IDC_AGG_SM_ENABLE },
        // A-MSDU off: the size choice stays what it was (7935).
        { 0x00020000, { 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00 }, IDC_AGG_SM_STATIC },
        { 0x01000000, { 0x00, 0x00, 0x02, 0x00, 0x00, 0x01, 0x01, 0x00 }, IDC_AGG_SM_DYNAMIC },
        { 0x00400000, { 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00 }, IDC_AGG_SM_STATIC },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        ASSERT_TRUE(WriteAdapterDword(REGSTR_BA_CAP, c.word));
        DWORD from = Mark();
        ShowAggregation();
        std::vector<Bytes> sets = Sets(OID_VENDOR_BA_CAPABILITY, from);
        ASSERT_EQ(1u, sets.size());
        EXPECT_EQ(c.sent, sets[0]);
        EXPECT_TRUE(Checked(&m_agg, c.smpsButton));
    }
}

TEST_F(AggregationTest, ApplySendsAndStoresTheControlsAndTheSwitchesSetTheControlStates)
{
    StoreCapability(kManual);
    ShowAggregation();
    const UINT sessionButtons[] = { IDC_AGG_ORIGINATOR_ADD, IDC_AGG_ORIGINATOR_DELETE, IDC_AGG_ORIGINATOR_DELETE_ALL,
                                    IDC_AGG_RECIPIENT_ADD, IDC_AGG_RECIPIENT_DELETE, IDC_AGG_RECIPIENT_DELETE_ALL };
    auto expectStates = [&](bool density, bool sessions, bool sizes) {
        EXPECT_EQ(density, Enabled(&m_agg, IDC_AGG_DENSITY));
        EXPECT_EQ(density, Enabled(&m_agg, IDC_AGG_MANUAL));
        EXPECT_EQ(density, Enabled(&m_agg, IDC_AGG_AUTO));
        for (UINT id : sessionButtons) EXPECT_EQ(sessions, Enabled(&m_agg, id)) << id;
        EXPECT_EQ(sizes, Enabled(&m_agg, IDC_AGG_AMSDU_3839));
        EXPECT_EQ(sizes, Enabled(&m_agg, IDC_AGG_AMSDU_7935));
    };
    {
        SCOPED_TRACE("on, manual, A-MSDU");
        expectStates(true, true, true);
    }
    Click(&m_agg, IDC_AGG_AUTO);
    {
        SCOPED_TRACE("on, auto");
        expectStates(true, false, true);
    }
    Click(&m_agg, IDC_AGG_AMSDU);
    {
        SCOPED_TRACE("A-MSDU off");
        expectStates(true, false, false);
    }
    Choose(&m_agg, IDC_AGG_DENSITY, "7");
    Click(&m_agg, IDC_AGG_SM_STATIC);

    DWORD from = Mark();
    Click(&m_agg, IDC_AGG_APPLY);
    std::vector<Bytes> sets = Sets(OID_VENDOR_BA_CAPABILITY, from);
    ASSERT_EQ(1u, sets.size());
    // A-MSDU off keeps its size choice.
    EXPECT_EQ(Bytes({ 0x11, 0x22, 0x01, 0x07, 0x00, 0x01, 0x00, 0x01 }), sets[0]);
    EXPECT_EQ(0x00802211u | (1u << 16) | (1u << 17) | (7u << 19), StoredCapability());

    Click(&m_agg, IDC_AGG_MPDU);
    {
        SCOPED_TRACE("MPDU off");
        expectStates(false, false, false);
    }
    Click(&m_agg, IDC_AGG_APPLY);
    EXPECT_EQ(0x00800000u | 0x2211 | (2u << 17) | (7u << 19) | (1u << 16), StoredCapability());
}

TEST_F(AggregationTest, SessionsAddedAndDeletedThroughTheTwoDialogsAsTheDriverReportsThem)
{
    Scan();
    Join("Kestiq-WPS");
    StoreCapability(kManual);
    ShowAggregation();

    // Originator "+": the peers of the scan, the current BSSID first.
    Click(&m_agg, IDC_AGG_ORIGINATOR_ADD);
    ASSERT_TRUE(m_add.IsWindowVisible());
    EXPECT_EQ(1, m_add.m_nOriginator);
    HWND peers = GetDlgItem(m_add.m_hWnd, IDC_BA_BSSID_LIST);
    std::vector<std::string> expected = { "00-11-22-33-44-07", "00-11-22-33-44-01", "00-11-22-33-44-02",
                                          "00-11-22-33-44-03", "00-11-22-33-44-04", "00-11-22-33-44-05",
                                          "00-11-22-33-44-06", "00-11-22-33-44-08" };
    EXPECT_EQ(expected, Rows(peers));
    EXPECT_EQ(0, (int)SendMessageA(peers, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
    Shot(&m_add, "block-ack-add");

    Choose(&m_add, IDC_BA_TID, "5");
    Type(&m_add, IDC_BA_WINDOW_SIZE, "32");
    DWORD from = Mark();
    Click(&m_add, IDC_BA_OK);
    std::vector<Bytes> adds = Sets(OID_VENDOR_BA_TABLE, from);
    ASSERT_EQ(1u, adds.size());
    EXPECT_EQ(Bytes({ 0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0x07, 0x05, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00 }), adds[0]);
    EXPECT_FALSE(m_add.IsWindowVisible());

    Refresh();
    ASSERT_EQ(1, kqtest::ListRowCount(SessionList(BA_ORIGINATOR)));
    EXPECT_EQ(std::vector<std::string>({ "00-11-22-33-44-07", "-", "-", "-", "-", "-", "32", "-", "-" }),
              SessionRow(BA_ORIGINATOR, 0));
    EXPECT_EQ(0, kqtest::ListRowCount(SessionList(BA_RECIPIENT)));

    // Recipient "+" with another peer, clicked in the list.
    Click(&m_agg, IDC_AGG_RECIPIENT_ADD);
    EXPECT_EQ(0, m_add.m_nOriginator);
    ClickRow(&m_add, 2);
    Choose(&m_add, IDC_BA_TID, "0");
    Type(&m_add, IDC_BA_WINDOW_SIZE, "64");
    from = Mark();
    Click(&m_add, IDC_BA_OK);
    adds = Sets(OID_VENDOR_BA_TABLE, from);
    ASSERT_EQ(1u, adds.size());
    EXPECT_EQ(Bytes({ 0x01, 0x00, 0x11, 0x22, 0x33, 0x44, 0x02, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00 }), adds[0]);
    Refresh();
    EXPECT_EQ(std::vector<std::string>({ "00-11-22-33-44-02", "64", "-", "-", "-", "-", "-", "-", "-" }),
              SessionRow(BA_RECIPIENT, 0));
    Shot(&m_agg, "aggregation-sessions");

    // Originator "-": one TID; the dialog has the aggregation dialog's entries.
    Click(&m_agg, IDC_AGG_ORIGINATOR_DELETE);
    ASSERT_TRUE(m_delete.IsWindowVisible());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(m_delete.m_hWnd, IDC_BA_TID)));
    ASSERT_EQ(8u, m_delete.Entries().size());
    EXPECT_TRUE(m_delete.Entries()[5].active);
    EXPECT_EQ(32, m_delete.Entries()[5].tidByte);
    Shot(&m_delete, "block-ack-delete");
    Choose(&m_delete, IDC_BA_TID, "5");
    from = Mark();
    Click(&m_delete, IDC_BA_OK);
    std::vector<Bytes> deletes = Sets(OID_VENDOR_BA_DELETE, from);
    ASSERT_EQ(1u, deletes.size());
    EXPECT_EQ(Bytes({ 0x00, 0x00, 0x11, 0x22, 0x33, 0x44, 0x07, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00 }), deletes[0]);
    Refresh();
    EXPECT_EQ(0, kqtest::ListRowCount(SessionList(BA_ORIGINATOR)));

    // Recipient "-All": no TID list, every TID of the peer.
    Click(&m_agg, IDC_AGG_RECIPIENT_DELETE_ALL);
    ASSERT_TRUE(m_delete.IsWindowVisible());
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_delete.m_hWnd, IDC_BA_TID)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_delete.m_hWnd, IDC_BA_LABEL_TID)));
    EXPECT_TRUE(m_delete.Entries()[0].active);
    ClickRow(&m_delete, 2);
    from = Mark();
    Click(&m_delete, IDC_BA_OK);
    deletes = Sets(OID_VENDOR_BA_DELETE, from);
    ASSERT_EQ(1u, deletes.size());
    EXPECT_EQ(0x01, deletes[0][0]);
    EXPECT_EQ(0x02, deletes[0][6]);
    EXPECT_EQ(0x01, deletes[0][12]);
    Refresh();
    EXPECT_EQ(0, kqtest::ListRowCount(SessionList(BA_RECIPIENT)));

    // Cancel sends nothing.
    Click(&m_agg, IDC_AGG_ORIGINATOR_ADD);
    from = Mark();
    Click(&m_add, IDC_BA_CANCEL);
    EXPECT_FALSE(m_add.IsWindowVisible());
    EXPECT_TRUE(Sets(OID_VENDOR_BA_TABLE, from).empty());
}

TEST_F(AggregationTest, NoPeerToChooseSaysSoAndSendsNothing)
{
    memset(g_pBssidList, 0, BSSID_LIST_BUFFER_SIZE);
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_MAC_TABLE));
    StoreCapability(kManual);
    ShowAggregation();
    for (UINT button : { IDC_AGG_ORIGINATOR_ADD, IDC_AGG_ORIGINATOR_DELETE }) {
        SCOPED_TRACE(button);
        CBaSessionDlg* dlg = button == IDC_AGG_ORIGINATOR_ADD ? (CBaSessionDlg*)&m_add : (CBaSessionDlg*)&m_delete;
        Click(&m_agg, button);
        ASSERT_EQ(0, kqtest::ListRowCount(GetDlgItem(dlg->m_hWnd, IDC_BA_BSSID_LIST)));
        DWORD from = Mark();
        kqtest::BoxAnswer box;
        Click(dlg, IDC_BA_OK);
        EXPECT_EQ("Please choose BSSID", box.Text());
        EXPECT_TRUE(Sets(OID_VENDOR_BA_TABLE, from).empty());
        EXPECT_TRUE(Sets(OID_VENDOR_BA_DELETE, from).empty());
        EXPECT_TRUE(dlg->IsWindowVisible());
        Click(dlg, IDC_BA_CANCEL);
    }
}

TEST_F(AggregationTest, AWindowSizeAboveAByteIsRefused)
{
    Scan();
    StoreCapability(kManual);
    ShowAggregation();
    Click(&m_agg, IDC_AGG_ORIGINATOR_ADD);
    Type(&m_add, IDC_BA_WINDOW_SIZE, "300");
    DWORD from = Mark();
    ValidationAnswer box;
    Click(&m_add, IDC_BA_OK);
    EXPECT_EQ("Please enter an integer between 0 and 255.", box.Text());
    EXPECT_TRUE(Sets(OID_VENDOR_BA_TABLE, from).empty());
    EXPECT_TRUE(m_add.IsWindowVisible());
}

TEST_F(AggregationTest, TheMacTableAddsItsStationsAndIsReadNoFurtherThanItsAnswer)
{
    Scan();
    auto table = [](DWORD count, int entries, BYTE first) {
        Bytes t = Le32({ count });
        for (int i = 0; i < entries; ++i) {
            Bytes e = { 0x02, 0xAA, 0x00, 0x00, (BYTE)(first + i), 0x01, 0x01, 0, 0, 0 };
            if (i == 1) e = { 0x00, 0x11, 0x22, 0x33, 0x44, 0x01, 0x01, 0, 0, 0 };   // a network of the scan
            t.insert(t.end(), e.begin(), e.end());
        }
        return t;
    };
    const struct {
        const char* name;
        Bytes answer;
        size_t added;
    } cases[] = {
        { "three stations, one of them scanned", table(3, 3, 0x10), 2 },
        { "a count of 1000 in 324 bytes", table(1000, 32, 0x20), 31 },
        { "a count of 5 in 24 bytes", table(5, 2, 0x40), 1 },
        { "a count in a 3-byte answer", Bytes({ 0x05, 0, 0 }), 0 },
        { "no stations", table(0, 32, 0x60), 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_MAC_TABLE, c.answer.data(), (DWORD)c.answer.size()));
        m_add.ShowWindow(SW_HIDE);
        m_add.ShowWindow(SW_SHOW);
        widgettest::PumpPending();
        std::vector<std::string> rows = Rows(GetDlgItem(m_add.m_hWnd, IDC_BA_BSSID_LIST));
        ASSERT_EQ(8 + c.added, rows.size());
        EXPECT_EQ("00-11-22-33-44-01", rows[0]);
        for (size_t i = 8; i < rows.size(); ++i) EXPECT_EQ("02-AA-00-00", rows[i].substr(0, 11)) << rows[i];
    }
}

TEST_F(AggregationTest, TheSessionTableIsReadNoFurtherThanTheDriversAnswer)
{
    StoreCapability(kManual);
    ShowAggregation();
    const struct {
        const char* name;
        Bytes answer;
        int originators, recipients;
    } cases[] = {
        { "100 bytes of 0xFF", Bytes(100, 0xFF), 0, 0 },
        { "a whole table of 0xFF", Bytes(3076, 0xFF), 32, 32 },
        { "3073 bytes: no recipient count", Bytes(3073, 0xFF), 32, 0 },
        { "one byte", Bytes(1, 0xFF), 0, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_BA_TABLE, c.answer.data(), (DWORD)c.answer.size()));
        Refresh();
        EXPECT_EQ(c.originators, kqtest::ListRowCount(SessionList(BA_ORIGINATOR)));
        EXPECT_EQ(c.recipients, kqtest::ListRowCount(SessionList(BA_RECIPIENT)));
        if (c.originators) EXPECT_EQ("FF-FF-FF-FF-FF-FF", SessionRow(BA_ORIGINATOR, 31)[0]);
    }
    // A failed query leaves the lists as they were: full, not emptied.
    Bytes full(3076, 0xFF);
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_BA_TABLE, full.data(), (DWORD)full.size()));
    Refresh();
    ASSERT_EQ(32, kqtest::ListRowCount(SessionList(BA_ORIGINATOR)));
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_BA_TABLE));
    Refresh();
    EXPECT_EQ(32, kqtest::ListRowCount(SessionList(BA_ORIGINATOR)));
    EXPECT_EQ(32, kqtest::ListRowCount(SessionList(BA_RECIPIENT)));
    EXPECT_EQ("FF-FF-FF-FF-FF-FF", SessionRow(BA_RECIPIENT, 0)[0]);
}

// Without a stored word the driver's record is the start, cut to what the
// controls hold: what is sent at the showing is what the dialog shows.
TEST_F(AggregationTest, TheDriversRecordBeyondTheControlsIsCutToThem)
{
    CRegKey key(OpenAdapterKey(KEY_ALL_ACCESS));
    RegDeleteValueA(key, REGSTR_BA_CAP);
    const Bytes record = { 0x11, 0x22, 0x01, 0x09, 0x01, 0x05, 0x07, 0x01 };   // density 9, size choice 5, SMPS 7
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_BA_CAPABILITY, record.data(), (DWORD)record.size()));
    DWORD from = Mark();
    ShowAggregation();
    std::vector<Bytes> sets = Sets(OID_VENDOR_BA_CAPABILITY, from);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(Bytes({ 0x11, 0x22, 0x01, 0x01, 0x01, 0x01, 0x03, 0x01 }), sets[0]);
    EXPECT_EQ("1", Text(&m_agg, IDC_AGG_DENSITY));
    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_AMSDU_7935));
    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_SM_ENABLE));
    EXPECT_TRUE(Checked(&m_agg, IDC_AGG_AUTO));
    // APPLY sends and stores the same.
    from = Mark();
    Click(&m_agg, IDC_AGG_APPLY);
    sets = Sets(OID_VENDOR_BA_CAPABILITY, from);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(Bytes({ 0x11, 0x22, 0x01, 0x01, 0x01, 0x01, 0x03, 0x01 }), sets[0]);
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_VENDOR_BA_CAPABILITY));
}

// ---- Register tool -----------------------------------------------------------------

class RegisterToolTest : public EngineeringTest {
protected:
    void SetUp() override
    {
        EngineeringTest::SetUp();
        ASSERT_TRUE(m_tool.Create(IDD_REGISTER_TOOL, nullptr));
        m_tool.SetWindowPos(nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        m_tool.ShowWindow(SW_SHOW);
        widgettest::PumpPending();
    }
    void TearDown() override
    {
        m_tool.DestroyWindow();
        EngineeringTest::TearDown();
    }
    CRegisterToolDlg m_tool;
};

TEST_F(RegisterToolTest, MacBbpAndEepromRegistersAreWrittenAndReadBack)
{
    const struct {
        const char* name;
        UINT offset, value, query, set;
        DWORD type;
        const char* offsetText;
        DWORD offsetSent;
        const char* valueText;
        DWORD valueSent;
        const char* shown;
    } cases[] = {
        { "MAC", IDC_REG_MAC_OFFSET, IDC_REG_MAC_VALUE, IDC_REG_MAC_QUERY, IDC_REG_MAC_SET, 0, "1000", 0x1000,
          "DEADBEEF", 0xDEADBEEF, "DEADBEEF" },
        { "MAC, eight digits for a small value", IDC_REG_MAC_OFFSET, IDC_REG_MAC_VALUE, IDC_REG_MAC_QUERY,
          IDC_REG_MAC_SET, 0, "2000", 0x2000, "1f", 0x1F, "0000001F" },
        { "MAC, reading stops at a non-digit", IDC_REG_MAC_OFFSET, IDC_REG_MAC_VALUE, IDC_REG_MAC_QUERY,
          IDC_REG_MAC_SET, 0, "30zz", 0x30, "12 34", 0x12, "00000012" },
        { "MAC, the x of 0x and a sign end the number", IDC_REG_MAC_OFFSET, IDC_REG_MAC_VALUE, IDC_REG_MAC_QUERY,
          IDC_REG_MAC_SET, 0, "0x2000", 0, "-1", 0, "00000000" },
        { "MAC, a leading blank ends it too", IDC_REG_MAC_OFFSET, IDC_REG_MAC_VALUE, IDC_REG_MAC_QUERY,
          IDC_REG_MAC_SET, 0, " 10", 0, "+5", 0, "00000000" },
        { "BBP by decimal id", IDC_REG_BBP_ID, IDC_REG_BBP_VALUE, IDC_REG_BBP_QUERY, IDC_REG_BBP_SET, 1, "17", 17, "1A5",
          0x1A5, "A5" },
        { "EEPROM", IDC_REG_EEPROM_OFFSET, IDC_REG_EEPROM_VALUE, IDC_REG_EEPROM_QUERY, IDC_REG_EEPROM_SET, 3, "36",
          0x36, "FFFF", 0xFFFF, "0000FFFF" },
        { "EEPROM, nine digits keep the low 32 bits", IDC_REG_EEPROM_OFFSET, IDC_REG_EEPROM_VALUE,
          IDC_REG_EEPROM_QUERY, IDC_REG_EEPROM_SET, 3, "40", 0x40, "123456789", 0x23456789, "23456789" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Type(&m_tool, c.offset, c.offsetText);
        Type(&m_tool, c.value, c.valueText);
        DWORD from = Mark();
        Click(&m_tool, c.set);
        std::vector<Bytes> sets = Sets(OID_VENDOR_REGISTER_ACCESS, from);
        ASSERT_EQ(1u, sets.size());
        EXPECT_EQ(Le32({ c.type, c.offsetSent, c.valueSent }), sets[0]);

        Type(&m_tool, c.value, "");
        Click(&m_tool, c.query);
        EXPECT_EQ(c.shown, Text(&m_tool, c.value));
    }
    // A query the driver does not answer leaves the value text alone.
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_REGISTER_ACCESS, KQSIM_KIND_QUERY));
    Type(&m_tool, IDC_REG_MAC_OFFSET, "1000");
    Type(&m_tool, IDC_REG_MAC_VALUE, "as typed");
    Click(&m_tool, IDC_REG_MAC_QUERY);
    EXPECT_EQ("as typed", Text(&m_tool, IDC_REG_MAC_VALUE));
}

TEST_F(RegisterToolTest, RfAndBbpTuningAreSentAsTheirRecords)
{
    Type(&m_tool, IDC_REG_RF_R1, "1");
    Type(&m_tool, IDC_REG_RF_R2, "2a");
    Type(&m_tool, IDC_REG_RF_R3, "FFFFFFFF");
    Type(&m_tool, IDC_REG_RF_R4, "");
    Click(&m_tool, IDC_REG_RF_TUNING);
    DWORD from = Mark();
    Click(&m_tool, IDC_REG_RF_SET);
    std::vector<Bytes> rf = Sets(OID_VENDOR_RF_TUNING, from);
    ASSERT_EQ(1u, rf.size());
    EXPECT_EQ(Le32({ 1, 0x2A, 0xFFFFFFFF, 0, 1 }), rf[0]);

    for (int enable : { 1, 0 }) {
        if (Checked(&m_tool, IDC_REG_BBP_TUNING) != (enable == 1)) Click(&m_tool, IDC_REG_BBP_TUNING);
        from = Mark();
        Click(&m_tool, IDC_REG_BBP_TUNING_SET);
        std::vector<Bytes> bbp = Sets(OID_VENDOR_BBP_TUNING, from);
        ASSERT_EQ(1u, bbp.size());
        EXPECT_EQ(Le32({ (DWORD)enable }), bbp[0]);
    }
    widgettest::Screenshot(m_tool.m_hWnd, "register-tool");
}

TEST_F(RegisterToolTest, TheHiddenR17BoxSetsAndReadsItsRecord)
{
    for (UINT id : { IDC_REG_R17_GROUP, IDC_REG_R17_STEP, IDC_REG_R17_LIMIT, IDC_REG_R17_MAX, IDC_REG_R17_ENABLE,
                     IDC_REG_R17_QUERY, IDC_REG_R17_SET })
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(m_tool.m_hWnd, id))) << id;

    Type(&m_tool, IDC_REG_R17_ENABLE, "1");
    Type(&m_tool, IDC_REG_R17_STEP, "2");
    Type(&m_tool, IDC_REG_R17_LIMIT, "3");
    Type(&m_tool, IDC_REG_R17_MAX, "7f");
    DWORD from = Mark();
    Click(&m_tool, IDC_REG_R17_SET);
    std::vector<Bytes> sets = Sets(OID_VENDOR_R17_TUNING, from);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(Bytes({ 0x01, 0x02, 0x03, 0x7F }), sets[0]);

    for (UINT id : { IDC_REG_R17_ENABLE, IDC_REG_R17_STEP, IDC_REG_R17_LIMIT }) Type(&m_tool, id, "0");
    Type(&m_tool, IDC_REG_R17_MAX, "");
    Click(&m_tool, IDC_REG_R17_QUERY);
    EXPECT_EQ("1", Text(&m_tool, IDC_REG_R17_ENABLE));
    EXPECT_EQ("2", Text(&m_tool, IDC_REG_R17_STEP));
    EXPECT_EQ("3", Text(&m_tool, IDC_REG_R17_LIMIT));
    EXPECT_EQ("7f", Text(&m_tool, IDC_REG_R17_MAX));

    // The fields are bytes: a larger step is refused, nothing is sent.
    Type(&m_tool, IDC_REG_R17_STEP, "300");
    from = Mark();
    ValidationAnswer box;
    Click(&m_tool, IDC_REG_R17_SET);
    EXPECT_EQ("Please enter an integer between 0 and 255.", box.Text());
    EXPECT_TRUE(Sets(OID_VENDOR_R17_TUNING, from).empty());
}

}  // namespace
