// The statistics page in the configuration window of a controller of this
// process, against the installed default adapter: its two tabs, what each
// counter row shows of the driver's counters, the refresh while the page is
// in front, and "Reset Counter" with what it does to the driver and to the
// link status panel below.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "linkstatus/LinkWindowFixture.h"
#include "pages/StatisticsPage.h"
#include "support/TimerRecorder.h"
#include "tray/KestiqProcess.h"

namespace {

// The 64-bit counters of the driver's statistics record, by index.
enum { STAT_TX_FRAGMENTS = 0, STAT_FAILED = 2, STAT_RETRY = 3, STAT_RTS_OK = 5, STAT_RTS_FAIL = 6, STAT_DUPLICATE = 8,
       STAT_FCS_ERROR = 11 };

UINT Value(int row) { return IDC_STAT_ROW_FIRST + 3 * row + 2; }
UINT Label(int row) { return IDC_STAT_ROW_FIRST + 3 * row; }

class StatisticsTest : public kqtest::LinkWindowTest {
protected:
    // The window with the Statistics page brought to the front by its
    // navigation button; the page's refresh is then run by the test.
    CStatisticsPage* OpenStatistics()
    {
        m_panel = OpenPanel();
        if (!m_panel) return nullptr;
        ClickNav(IDC_NAV_STATISTICS);
        CStatisticsPage* page = m_dlg.OpenedMainWindow()->m_pStatisticsPage;
        m_timerRan = KillTimer(page->m_hWnd, IDT_STATISTICS_REFRESH) != FALSE;
        return page;
    }
    void SetStat(int index, long long value)
    {
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_STAT_FIRST + index, value));
    }
    void SetGeneral(DWORD received, DWORD dropped)
    {
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_RCV_OK, received));
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_RCV_NO_BUFFER, dropped));
    }
    static std::vector<std::string> Values(CCounterTabPage* tab)
    {
        std::vector<std::string> v;
        for (int i = 0; i < tab->RowCount(); ++i) v.push_back(Text(tab, Value(i)));
        return v;
    }
    static HWND ResetButton(CStatisticsPage* page) { return GetDlgItem(page->m_hWnd, IDC_STAT_RESET); }

    CLinkStatusPage* m_panel = nullptr;
    bool m_timerRan = false;
};

using Tx = CTxStatisticsPage;
using Rx = CRxStatisticsPage;

// ---- The default air, end to end -------------------------------------------------------

TEST_F(StatisticsTest, CountersFollowTheDriverAndReadZeroAtOnceAfterAReset)
{
    JoinFiveGigahertz();
    CStatisticsPage* page = OpenStatistics();
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(IsWindowVisible(page->m_hWnd));
    EXPECT_TRUE(m_timerRan);
    CTxStatisticsPage* tx = page->TxPage();
    CRxStatisticsPage* rx = page->RxPage();
    // Until the first refresh the rows read the template's 0.
    EXPECT_EQ(std::vector<std::string>(6, "0"), Values(tx));
    EXPECT_EQ(std::vector<std::string>(4, "0"), Values(rx));

    // The driver's counters, the 802.11 ones above 2^32, the general ones
    // above 2^31 (unsigned 32-bit).
    const long long kBig = 0x123456789ABLL;   // 1250999896491
    SetStat(STAT_TX_FRAGMENTS, kBig);
    SetStat(STAT_RETRY, 4000000000LL);
    SetStat(STAT_FAILED, 5000000001LL);
    SetStat(STAT_RTS_OK, 77);
    SetStat(STAT_RTS_FAIL, 6000000000LL);
    SetStat(STAT_FCS_ERROR, 9876543210LL);
    SetStat(STAT_DUPLICATE, 4294967296LL);
    SetGeneral(0xFFFFFFF0u, 0x80000001u);
    Tick(page, IDT_STATISTICS_REFRESH);
    std::vector<std::string> txWant(6);
    txWant[Tx::ROW_OK] = "1250999896491";
    txWant[Tx::ROW_OK_NO_RETRY] = "1246999896491";
    txWant[Tx::ROW_RETRY] = "4000000000";
    txWant[Tx::ROW_FAIL_ACK] = "5000000001";
    txWant[Tx::ROW_RTS_OK] = "77";
    txWant[Tx::ROW_RTS_FAIL] = "6000000000";
    EXPECT_EQ(txWant, Values(tx));
    std::vector<std::string> rxWant(4);
    rxWant[Rx::ROW_OK] = "4294967280";
    rxWant[Rx::ROW_CRC_ERROR] = "9876543210";
    rxWant[Rx::ROW_DROPPED] = "2147483649";
    rxWant[Rx::ROW_DUPLICATE] = "4294967296";
    EXPECT_EQ(rxWant, Values(rx));
    Tick(m_panel);
    ShotWindow("statistics-connected");

    // Traffic moves the counters; the next refresh shows where they are.
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_TRAFFIC, 1));
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_ADVANCE_FRAMES, 400));
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_TRAFFIC, 0));
    Tick(page, IDT_STATISTICS_REFRESH);
    long long sent = std::stoll(Text(tx, Value(Tx::ROW_OK)));
    EXPECT_GE(sent, kBig + 400);
    EXPECT_LT(sent, kBig + 1000);
    // The received-frames counter went round 2^32.
    long long received = std::stoll(Text(rx, Value(Rx::ROW_OK)));
    EXPECT_GE(received, 0xFFFFFFF0LL + 400 - 0x100000000LL);
    EXPECT_LT(received, 1000);

    // The link panel has seen the byte counters high up.
    SetByteCounters(3000000000u, 3500000000u);
    Tick(m_panel);
    Tick(m_panel);
    ASSERT_EQ("0.000 Kbps", Text(m_panel, IDC_LINK_TX_TPUT));

    // Reset: every row 0 at once, though the driver's reset is still being
    // tried again (its first attempt fails).
    ASSERT_TRUE(m_sim.FailNext(kGuid, OID_VENDOR_RESET_COUNTERS, 1, KQSIM_KIND_SET));
    DWORD mark = Mark();
    Click(ResetButton(page));
    EXPECT_EQ(std::vector<std::string>(6, "0"), Values(tx));
    EXPECT_EQ(std::vector<std::string>(4, "0"), Values(rx));
    std::vector<kqsim::LogEntry> sets = Requests(mark, OID_VENDOR_RESET_COUNTERS);
    ASSERT_EQ(1u, sets.size());
    EXPECT_EQ(KQSIM_LOG_SET, sets[0].kind);
    EXPECT_EQ(0u, sets[0].bufLen);
    EXPECT_FALSE(sets[0].Succeeded());
    // The channel tries it again on its own.
    EXPECT_TRUE(kqtest::WaitFor([&] { return Requests(mark, OID_VENDOR_RESET_COUNTERS).size() >= 2; }, 20000));
    sets = Requests(mark, OID_VENDOR_RESET_COUNTERS);
    EXPECT_TRUE(sets.back().Succeeded());

    // The driver's counters are 0 now, and the rows stay so.
    Tick(page, IDT_STATISTICS_REFRESH);
    EXPECT_EQ(std::vector<std::string>(6, "0"), Values(tx));
    EXPECT_EQ(std::vector<std::string>(4, "0"), Values(rx));
    ShotWindow("statistics-after-reset");

    // No spike below: the panel counts from the zeroed byte counters, so
    // 250000 bytes in two seconds read 1 Mbps, not the distance back round 2^32.
    SetByteCounters(250000, 0);
    Tick(m_panel);
    EXPECT_EQ("1.000 Mbps", Text(m_panel, IDC_LINK_TX_TPUT));
    EXPECT_EQ("0.000 Kbps", Text(m_panel, IDC_LINK_RX_TPUT));
    EXPECT_DOUBLE_EQ(1.0, g_dTxThroughputHistory[kThroughputHistory - 1]);
    EXPECT_DOUBLE_EQ(0.0, g_dRxThroughputHistory[kThroughputHistory - 1]);
}

// The link panel counts from zero only once the driver has taken the reset:
// before that its counters still hold their old values, and after a reset
// that never got through they always do.
TEST_F(StatisticsTest, ThroughputCountsFromTheResetOnlyOnceTheDriverTookIt)
{
    JoinOpen();
    CStatisticsPage* page = OpenStatistics();
    ASSERT_NE(nullptr, page);
    const DWORD high = 3000000000u;
    SetByteCounters(high, high);
    Tick(m_panel);
    Tick(m_panel);
    ASSERT_EQ("0.000 Kbps", Text(m_panel, IDC_LINK_TX_TPUT));
    // Sent, not pumped: the channel's retry (a timer of this thread) cannot
    // run between the click and the panel's tick.
    auto clickReset = [&] { SendMessageA(ResetButton(page), BM_CLICK, 0, 0); };
    auto tickPanel = [&] { SendMessageA(m_panel->m_hWnd, WM_TIMER, IDT_LINK_STATUS_REFRESH, 0); };

    // The first try fails, and the panel ticks before the retry: 250000
    // bytes on top of the old counters are 1 Mbps, not the whole counter.
    ASSERT_TRUE(m_sim.FailNext(kGuid, OID_VENDOR_RESET_COUNTERS, 1, KQSIM_KIND_SET));
    DWORD mark = Mark();
    clickReset();
    EXPECT_EQ(std::vector<std::string>(6, "0"), Values(page->TxPage()));
    SetByteCounters(high + 250000, high);
    tickPanel();
    EXPECT_EQ("1.000 Mbps", Text(m_panel, IDC_LINK_TX_TPUT));
    EXPECT_DOUBLE_EQ(1.0, g_dTxThroughputHistory[kThroughputHistory - 1]);
    // The retry gets through: from here the panel counts from zero.
    ASSERT_TRUE(kqtest::WaitFor([&] {
        std::vector<kqsim::LogEntry> sets = Requests(mark, OID_VENDOR_RESET_COUNTERS);
        return sets.size() >= 2 && sets.back().Succeeded() && OidRetryPendingCount() == 0;
    }, 20000));
    SetByteCounters(500000, 0);
    Tick(m_panel);
    EXPECT_EQ("2.000 Mbps", Text(m_panel, IDC_LINK_TX_TPUT));

    // Every try fails: the driver's counters were never reset, and the panel
    // goes on from where it was.
    SetByteCounters(high, high);
    Tick(m_panel);
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_RESET_COUNTERS, KQSIM_KIND_SET));
    mark = Mark();
    clickReset();
    ASSERT_TRUE(kqtest::WaitFor([&] { return Requests(mark, OID_VENDOR_RESET_COUNTERS).size() >= 3 && OidRetryPendingCount() == 0; }, 20000));
    ASSERT_TRUE(m_sim.ClearFaults(kGuid));
    SetByteCounters(high + 125000, high);
    Tick(m_panel);
    EXPECT_EQ("500.000 Kbps", Text(m_panel, IDC_LINK_TX_TPUT));
    EXPECT_DOUBLE_EQ(0.5, g_dTxThroughputHistory[kThroughputHistory - 1]);
}

TEST_F(StatisticsTest, TheRealTimerRefreshesThePageWhileItIsInFront)
{
    JoinOpen();
    CStatisticsPage* page = OpenStatistics();
    ASSERT_NE(nullptr, page);
    // The test stopped it; the page's own showing starts it again.
    ClickNav(IDC_NAV_NETWORK);
    EXPECT_FALSE(IsWindowVisible(page->m_hWnd));
    EXPECT_FALSE(KillTimer(page->m_hWnd, IDT_STATISTICS_REFRESH));
    SetStat(STAT_RTS_OK, 31337);
    std::vector<kqtest::TimerRecorder::Start> starts;
    {
        kqtest::TimerRecorder timers;
        ASSERT_TRUE(timers.ok());
        ClickNav(IDC_NAV_STATISTICS);
        starts = timers.starts;
    }
    // Its period is read, not timed: one timer of the page, every 2 seconds.
    std::vector<std::pair<UINT_PTR, UINT>> ofPage;
    for (const auto& t : starts)
        if (t.window == page->m_hWnd) ofPage.push_back({ t.id, t.ms });
    EXPECT_EQ((std::vector<std::pair<UINT_PTR, UINT>>{ { IDT_STATISTICS_REFRESH, 2000u } }), ofPage);
    // Not at once: the first refresh comes with the first timer event.
    EXPECT_EQ("0", Text(page->TxPage(), Value(Tx::ROW_RTS_OK)));
    EXPECT_TRUE(kqtest::WaitFor([&] { return Text(page->TxPage(), Value(Tx::ROW_RTS_OK)) == "31337"; }, 20000));
    // Behind another page it stops.
    ClickNav(IDC_NAV_PROFILE);
    EXPECT_FALSE(KillTimer(page->m_hWnd, IDT_STATISTICS_REFRESH));
}

// ---- The tabs ------------------------------------------------------------------------

TEST_F(StatisticsTest, TabsLabelsAndTheHiddenWithoutRetryRow)
{
    CStatisticsPage* page = OpenStatistics();
    ASSERT_NE(nullptr, page);
    CTxStatisticsPage* tx = page->TxPage();
    CRxStatisticsPage* rx = page->RxPage();
    HWND container = GetParent(tx->m_hWnd);
    HWND txTab = GetDlgItem(container, IDC_STAT_TX_TAB), rxTab = GetDlgItem(container, IDC_STAT_RX_TAB);
    EXPECT_EQ("Transmit", Text(container, IDC_STAT_TX_TAB));
    EXPECT_EQ("Receive", Text(container, IDC_STAT_RX_TAB));
    EXPECT_EQ("Reset Counter", Text(page, IDC_STAT_RESET));

    const struct {
        CCounterTabPage* tab;
        int row;
        const char* label;
        bool shown;
    } rows[] = {
        { tx, Tx::ROW_OK, "Frames Transmitted Successfully ", true },
        { tx, Tx::ROW_RETRY, "Frames Retransmitted Successfully", true },
        { tx, Tx::ROW_FAIL_ACK, "Frames Fail To Receive ACK After All Retries", true },
        { tx, Tx::ROW_RTS_OK, "RTS Frames Successfully Receive CTS", true },
        { tx, Tx::ROW_RTS_FAIL, "RTS Frames Fail To Receive CTS", true },
        { tx, Tx::ROW_OK_NO_RETRY, "Frames Transmitted Successfully  Without Retry", false },
        { rx, Rx::ROW_OK, "Frames Received Successfully ", true },
        { rx, Rx::ROW_CRC_ERROR, "Frames Received With CRC Error", true },
        { rx, Rx::ROW_DROPPED, "Frames Dropped Due To Out-of-Resource", true },
        { rx, Rx::ROW_DUPLICATE, "Duplicate Frames Received", true },
    };
    // The transmit tab in front first, then the receive tab by its button.
    EXPECT_TRUE(IsWindowVisible(tx->m_hWnd));
    EXPECT_FALSE(IsWindowVisible(rx->m_hWnd));
    Tick(m_panel);
    ASSERT_EQ("Disconnected", Text(m_panel, IDC_LINK_STATUS));
    ShotWindow("statistics-disconnected-transmit");
    Click(rxTab);
    EXPECT_FALSE(IsWindowVisible(tx->m_hWnd));
    EXPECT_TRUE(IsWindowVisible(rx->m_hWnd));
    ShotWindow("statistics-disconnected-receive");
    Click(txTab);
    int lastTop = -1;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(r.label, Text(r.tab, Label(r.row)));
        for (UINT id : { Label(r.row), Label(r.row) + 1, Value(r.row) })
            EXPECT_EQ(r.shown, (GetWindowLongA(GetDlgItem(r.tab->m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0) << id;
        EXPECT_EQ("=", Text(r.tab, Label(r.row) + 1));
        // The shown transmit rows stand in their order, one under another.
        if (r.tab == tx && r.shown) {
            RECT rc;
            GetWindowRect(GetDlgItem(tx->m_hWnd, Value(r.row)), &rc);
            EXPECT_GT(rc.top, lastTop);
            lastTop = rc.top;
        }
    }

    // The hidden row holds the frames sent without a retry.
    SetStat(STAT_TX_FRAGMENTS, 1000);
    SetStat(STAT_RETRY, 1);
    Tick(page, IDT_STATISTICS_REFRESH);
    EXPECT_EQ("999", Text(tx, Value(Tx::ROW_OK_NO_RETRY)));
}

// ---- Bad answers ---------------------------------------------------------------------------

TEST_F(StatisticsTest, ShortOddAndFailedAnswersShowZeros)
{
    JoinOpen();
    CStatisticsPage* page = OpenStatistics();
    ASSERT_NE(nullptr, page);
    CTxStatisticsPage* tx = page->TxPage();
    CRxStatisticsPage* rx = page->RxPage();
    SetStat(STAT_FCS_ERROR, 12);
    SetGeneral(5, 6);

    // A record cut short keeps the bytes that came; the rest read 0.
    std::vector<BYTE> record(176, 0);
    long long sent = 42, retried = 40, fcs = 7;
    memcpy(&record[8], &sent, 8);
    memcpy(&record[32], &retried, 8);
    memcpy(&record[96], &fcs, 8);
    const struct {
        DWORD size;
        const char* sent;
        const char* retried;
        const char* crc;
    } cases[] = {
        { 176, "42", "40", "7" }, { 104, "42", "40", "7" }, { 96, "42", "40", "0" }, { 40, "42", "40", "0" },
        { 16, "42", "0", "0" },   { 9, "42", "0", "0" },    { 8, "0", "0", "0" },    { 0, "0", "0", "0" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_802_11_STATISTICS, record.data(), c.size));
        Tick(page, IDT_STATISTICS_REFRESH);
        EXPECT_EQ(c.sent, Text(tx, Value(Tx::ROW_OK)));
        EXPECT_EQ(c.retried, Text(tx, Value(Tx::ROW_RETRY)));
        EXPECT_EQ(c.crc, Text(rx, Value(Rx::ROW_CRC_ERROR)));
        EXPECT_EQ("5", Text(rx, Value(Rx::ROW_OK)));
    }
    // Answers longer than the record: its 176 bytes are read (every counter
    // all ones: -1; the frames without a retry -1 - -1 = 0), the rest is not.
    std::vector<BYTE> junk(400, 0xFF);
    std::vector<std::string> txWant(6, "-1");
    txWant[Tx::ROW_OK_NO_RETRY] = "0";
    for (DWORD size : { 177u, 300u, 400u }) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_802_11_STATISTICS, junk.data(), size));
        Tick(page, IDT_STATISTICS_REFRESH);
        EXPECT_EQ(txWant, Values(tx));
        EXPECT_EQ((std::vector<std::string>{ "5", "-1", "6", "-1" }), Values(rx));
    }
    // 1-byte general counters.
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_GEN_RCV_OK, junk.data(), 1));
    Tick(page, IDT_STATISTICS_REFRESH);
    EXPECT_EQ("255", Text(rx, Value(Rx::ROW_OK)));

    // Failed queries read 0.
    for (DWORD oid : { (DWORD)OID_802_11_STATISTICS, (DWORD)OID_GEN_RCV_OK, (DWORD)OID_GEN_RCV_NO_BUFFER })
        ASSERT_TRUE(m_sim.FailAlways(kGuid, oid));
    Tick(page, IDT_STATISTICS_REFRESH);
    EXPECT_EQ(std::vector<std::string>(6, "0"), Values(tx));
    EXPECT_EQ(std::vector<std::string>(4, "0"), Values(rx));
    ASSERT_TRUE(m_sim.ClearFaults(kGuid));

    // No adapter at all: zeros, and the reset still zeroes the rows.
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_802_11_STATISTICS));
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_GEN_RCV_OK));
    Tick(page, IDT_STATISTICS_REFRESH);
    ASSERT_EQ("12", Text(rx, Value(Rx::ROW_CRC_ERROR)));
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    Tick(page, IDT_STATISTICS_REFRESH);
    EXPECT_EQ(std::vector<std::string>(4, "0"), Values(rx));
    Tick(m_panel);
    ShotWindow("statistics-no-adapter");
    Click(ResetButton(page));
    EXPECT_EQ(std::vector<std::string>(6, "0"), Values(tx));
    ASSERT_TRUE(m_sim.Return(kGuid));
}

}  // namespace
