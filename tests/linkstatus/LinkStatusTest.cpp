// The link status panel in the configuration window of a controller of this
// process, against the installed default adapter and the simulated air: what
// a connected, disconnected, radio-off and vanished adapter show, the
// throughput histories and graphs, the driver's odd answers, and how many
// requests one refresh costs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ProfileStore.h"
#include "linkstatus/LinkWindowFixture.h"
#include "support/AdapterKey.h"

namespace {

using kqtest::Restore;

const DWORD kGreen = 0x00FF00, kYellow = 0xFAE632, kRed = 0xFF0000, kBrightYellow = 0xFFFF00;

class LinkStatusTest : public kqtest::LinkWindowTest {
protected:
    static int Pos(CLinkStatusPage* p, UINT id) { return (int)SendDlgItemMessageA(p->m_hWnd, id, PBM_GETPOS, 0, 0); }
    static void Shot(CLinkStatusPage* p, const char* name) { LinkWindowTest::Shot(p->m_hWnd, name); }
    void SetCounters(DWORD tx, DWORD rx) { SetByteCounters(tx, rx); }
    // Pixels of one colour inside a child's rectangle of the panel.
    static int PixelsOf(CLinkStatusPage* p, UINT id, DWORD rgb)
    {
        kqtest::Capture c = kqtest::CaptureWindow(p->m_hWnd);
        RECT r;
        GetWindowRect(GetDlgItem(p->m_hWnd, id), &r);
        MapWindowPoints(nullptr, p->m_hWnd, (POINT*)&r, 2);
        int n = 0;
        for (int y = r.top; y < r.bottom && y < c.height; ++y)
            for (int x = r.left; x < r.right && x < c.width; ++x)
                if (c.At(x, y) == rgb) ++n;
        return n;
    }
    // The colour band at the start of a bar (the gradient's first colour):
    // kRed, kYellow or kGreen, 0 for anything else.
    static DWORD BarStart(CLinkStatusPage* p, UINT id)
    {
        kqtest::Capture c = kqtest::CaptureWindow(p->m_hWnd);
        RECT r;
        GetWindowRect(GetDlgItem(p->m_hWnd, id), &r);
        MapWindowPoints(nullptr, p->m_hWnd, (POINT*)&r, 2);
        DWORD px = c.At(r.left + 1, r.top + 1);
        int red = (px >> 16) & 0xFF, green = (px >> 8) & 0xFF, blue = px & 0xFF;
        if (red > 200 && green > 180 && blue < 150) return kYellow;
        if (red > 200 && green < 150 && blue < 150) return kRed;
        if (green > 200 && red < 150 && blue < 150) return kGreen;
        return 0;
    }
};

// ---- The default air, end to end ----------------------------------------------------

TEST_F(LinkStatusTest, ConnectedToTheFiveGigahertzNetworkShowsEveryField)
{
    // The default air's 802.11n network hands out its address while connected.
    JoinFiveGigahertz();
    Scan();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    // The survey marks the connected row; its 802.11n flag brings the central channel.
    Tick(m_dlg.OpenedMainWindow()->m_pSiteSurveyPage, IDT_SURVEY_REFRESH);

    SetCounters(1000000, 2000000);
    Tick(p);
    EXPECT_EQ("Kestiq-5G-N <--> 00-11-22-33-44-08 [192.168.50.20]", Text(p, IDC_LINK_STATUS));
    EXPECT_EQ("Link is Up [TxPower:100%]", Text(p, IDC_LINK_EXTRA));
    EXPECT_EQ("36 <--> 5180 MHz; central channel : 38", Text(p, IDC_LINK_CHANNEL));
    EXPECT_EQ("WPA2-PSK", Text(p, IDC_LINK_AUTH));
    EXPECT_EQ("AES", Text(p, IDC_LINK_ENCRYPTION));
    EXPECT_EQ("300.0 Mbps", Text(p, IDC_LINK_TX_RATE));
    EXPECT_EQ("300.0 Mbps", Text(p, IDC_LINK_RX_RATE));
    EXPECT_EQ("40", Text(p, IDC_LINK_BW));
    EXPECT_EQ("short", Text(p, IDC_LINK_GI));
    EXPECT_EQ("15", Text(p, IDC_LINK_MCS));
    EXPECT_EQ("30", Text(p, IDC_LINK_SNR0));
    EXPECT_EQ("28", Text(p, IDC_LINK_SNR1));
    EXPECT_TRUE(Visible(p, IDC_LINK_BW));
    EXPECT_FALSE(Visible(p, IDC_LINK_STBC));
    // The first connected tick takes the counters and shows no throughput.
    EXPECT_EQ("", Text(p, IDC_LINK_TX_TPUT));
    EXPECT_EQ(0.0, g_dTxThroughputHistory[kThroughputHistory - 1]);

    // -60 dBm: quality 100, chains 76, 70 and 65 %, noise -92 dBm (26 %).
    const struct {
        UINT id;
        const char* text;
        int pos;
        DWORD colour;
    } bars[] = {
        { IDC_LINK_QUALITY_BAR, "Link Quality >> 100%", 100, kGreen },
        { IDC_LINK_SIGNAL1_BAR, "Signal Strength 1 >> 76%", 76, kGreen },
        { IDC_LINK_SIGNAL2_BAR, "Signal Strength 2 >> 70%", 70, kGreen },
        { IDC_LINK_SIGNAL3_BAR, "Signal Strength 3 >> 65%", 65, kYellow },
        { IDC_LINK_NOISE_BAR, "Noise Strength >> 26%", 26, kGreen },
    };
    for (const auto& b : bars) {
        SCOPED_TRACE(b.text);
        char text[128] = {};
        GetDlgItemTextA(p->m_hWnd, b.id, text, sizeof(text));
        EXPECT_STREQ(b.text, text);
        EXPECT_EQ(b.pos, Pos(p, b.id));
        EXPECT_EQ(b.colour, BarStart(p, b.id));
    }

    // Two seconds of traffic: 500000 and 250000 bytes are 2 and 1 Mbps.
    SetCounters(1500000, 2250000);
    Tick(p);
    EXPECT_EQ("2.000 Mbps", Text(p, IDC_LINK_TX_TPUT));
    EXPECT_EQ("1.000 Mbps", Text(p, IDC_LINK_RX_TPUT));
    EXPECT_DOUBLE_EQ(2.0, g_dTxThroughputHistory[kThroughputHistory - 1]);
    EXPECT_DOUBLE_EQ(1.0, g_dRxThroughputHistory[kThroughputHistory - 1]);
    EXPECT_GT(PixelsOf(p, IDC_LINK_TX_GRAPH, kGreen), 20);
    EXPECT_GT(PixelsOf(p, IDC_LINK_RX_GRAPH, kBrightYellow), 20);
    Shot(p, "linkstatus-connected");
    kqtest::SavePng(kqtest::CaptureWindow(m_dlg.OpenedMainWindow()->m_hWnd), kqtest::ScreenshotPath("linkstatus-window"));

    // The dBm captions.
    g_bShowDbm = TRUE;
    Tick(p);
    char text[128] = {};
    GetDlgItemTextA(p->m_hWnd, IDC_LINK_SIGNAL1_BAR, text, sizeof(text));
    EXPECT_STREQ("Signal Strength 1 >> -60 dBm", text);
    GetDlgItemTextA(p->m_hWnd, IDC_LINK_NOISE_BAR, text, sizeof(text));
    EXPECT_STREQ("Noise Strength >> -92 dBm", text);
}

TEST_F(LinkStatusTest, OneRefreshAsksTheDriverAtMostTwentyQuestionsAndSetsNothing)
{
    JoinOpen();
    Scan();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    Tick(p);
    for (int connected = 1; connected >= 0; --connected) {
        SCOPED_TRACE(connected);
        if (!connected) SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1);
        DWORD seq = 0;
        ASSERT_TRUE(m_sim.NextSeq(seq));
        Tick(p);
        int queries = 0, sets = 0, creates = 0, closes = 0;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, seq)) {
            queries += e.kind == KQSIM_LOG_QUERY;
            sets += e.kind == KQSIM_LOG_SET;
            creates += e.kind == KQSIM_LOG_CREATE;
            closes += e.kind == KQSIM_LOG_CLOSE;
        }
        EXPECT_LE(queries, 20);
        EXPECT_GE(queries, connected ? 15 : 3);
        EXPECT_EQ(0, sets);
        EXPECT_EQ(creates, closes);
    }
}

TEST_F(LinkStatusTest, DisconnectedRadioOffAndNoAdapter)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    Tick(p);
    SetCounters(400000, 400000);
    Tick(p);
    ASSERT_EQ("Kestiq-Open <--> 00-11-22-33-44-01 [192.168.1.100]", Text(p, IDC_LINK_STATUS));
    ASSERT_NE("", Text(p, IDC_LINK_TX_TPUT));

    // Link lost: "Disconnected", every other text empty, bars at 0, a 0.0 sample.
    SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1);
    Tick(p);
    EXPECT_EQ("Disconnected", Text(p, IDC_LINK_STATUS));
    for (UINT id : { IDC_LINK_EXTRA, IDC_LINK_CHANNEL, IDC_LINK_AUTH, IDC_LINK_ENCRYPTION, IDC_LINK_TX_RATE,
                     IDC_LINK_TX_TPUT, IDC_LINK_RX_RATE, IDC_LINK_RX_TPUT, IDC_LINK_BW, IDC_LINK_MCS, IDC_LINK_SNR0 })
        EXPECT_EQ("", Text(p, id)) << id;
    for (UINT id : { IDC_LINK_QUALITY_BAR, IDC_LINK_SIGNAL1_BAR, IDC_LINK_NOISE_BAR }) EXPECT_EQ(0, Pos(p, id)) << id;
    EXPECT_EQ(0.0, g_dTxThroughputHistory[kThroughputHistory - 1]);
    EXPECT_DOUBLE_EQ(1.6, g_dTxThroughputHistory[kThroughputHistory - 2]);
    Shot(p, "linkstatus-disconnected");

    // The RF switch off (word 5 of the advanced record) with the radio on.
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_RF_ON, 0));
    Tick(p);
    EXPECT_EQ("RF OFF", Text(p, IDC_LINK_STATUS));
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_RF_ON, 1));
    // A failed read of the advanced record says nothing about the switch.
    ASSERT_TRUE(m_sim.FailNext(kGuid, OID_VENDOR_ADVANCED_CONFIG, 1));
    Tick(p);
    EXPECT_EQ("Disconnected", Text(p, IDC_LINK_STATUS));

    // The window's radio button turns the radio off.
    ClickNav(IDC_NAV_RADIO);
    ASSERT_FALSE(g_bRadioOn);
    ClearConnectRequests();
    Tick(p);
    EXPECT_EQ("RF OFF", Text(p, IDC_LINK_STATUS));
    Shot(p, "linkstatus-radio-off");

    // The adapter gone.
    ASSERT_TRUE(m_sim.Vanish(kGuid));
    Tick(p);
    EXPECT_EQ("NIC or driver not ready", Text(p, IDC_LINK_STATUS));
    EXPECT_EQ("", Text(p, IDC_LINK_EXTRA));
    Shot(p, "linkstatus-no-adapter");
    ASSERT_TRUE(m_sim.Return(kGuid));
}

// ---- Throughput and its histories -----------------------------------------------------

TEST_F(LinkStatusTest, ThroughputWrapsUnitsAndHistoriesOutliveTheWindow)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    const struct {
        DWORD tx, rx;
        const char* txText;
        const char* rxText;
    } steps[] = {
        { 0xFFFFFF00u, 1000, "", "" },                       // first connected tick: no sample
        { 0x00000100u, 251000, "2.048 Kbps", "1.000 Mbps" }, // transmit counter wrapped: 512 bytes
        { 0x00000100u + 125000, 251000, "500.000 Kbps", "0.000 Kbps" },
        { 0x00000100u + 125000 + 2500000, 251000 + 25000000, "10.000 Mbps", "100.000 Mbps" },
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.txText);
        SetCounters(s.tx, s.rx);
        Tick(p);
        EXPECT_EQ(s.txText, Text(p, IDC_LINK_TX_TPUT));
        EXPECT_EQ(s.rxText, Text(p, IDC_LINK_RX_TPUT));
    }
    const double expectTx[3] = { 0.002048, 0.5, 10.0 };
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(expectTx[i], g_dTxThroughputHistory[kThroughputHistory - 3 + i], 1e-9);

    // Hidden and shown again: the next tick counts, it is not a first tick.
    m_dlg.ShowPage(PANEL_HIDDEN_SSID);
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    KillTimer(p->m_hWnd, IDT_LINK_STATUS_REFRESH);
    SetCounters(0x00000100u + 125000 + 2500000 + 250000, 251000 + 25000000);
    Tick(p);
    EXPECT_EQ("1.000 Mbps", Text(p, IDC_LINK_TX_TPUT));

    // A new window keeps the histories; its own first tick adds nothing.
    m_dlg.DestroyMainWindow();
    p = OpenPanel();
    ASSERT_NE(nullptr, p);
    Tick(p);
    EXPECT_EQ("", Text(p, IDC_LINK_TX_TPUT));
    EXPECT_DOUBLE_EQ(1.0, g_dTxThroughputHistory[kThroughputHistory - 1]);
    EXPECT_DOUBLE_EQ(10.0, g_dTxThroughputHistory[kThroughputHistory - 2]);
}

// ---- The driver's answers as tables -----------------------------------------------------

TEST_F(LinkStatusTest, LinkStateAndTransmitPowerTexts)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    const struct {
        DWORD code;
        DWORD power;
        const char* text;
    } cases[] = {
        { 0, 0xFFFFFFFF, "Link is Up [TxPower:100%]" },
        { 1, 100, "Link is Down [TxPower:100%]" },
        { 2, 6, "Hardware radio off [TxPower:Lowest]" },
        { 3, 0, "Software radio off [TxPower:Lowest]" },
        { 4, 7, "Open authentication fail [TxPower:7%]" },
        { 5, 50, "Shared authentication fail [TxPower:50%]" },
        { 6, 75, "Association failed [TxPower:75%]" },
        { 7, 25, "Deauthencation because MIC failure [TxPower:25%]" },
        { 8, 10, "Deauthencation on 4-way handshake timeout [TxPower:10%]" },
        { 9, 100, "Deauthencation on group key handshake timeout [TxPower:100%]" },
        { 10, 100, "EAP succeed [TxPower:100%]" },
        { 11, 100, " [TxPower:100%]" },
        { 0xFFFFFFFF, 100, " [TxPower:100%]" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Answer(OID_VENDOR_EXTRA_INFO, c.code);
        Answer(OID_VENDOR_TX_POWER, c.power);
        Tick(p);
        EXPECT_EQ(c.text, Text(p, IDC_LINK_EXTRA));
    }
    // A failed link-state query shows none; a failed power query no power;
    // the ICV-error flag adds its note.
    ASSERT_TRUE(m_sim.SetOidStatus(kGuid, OID_VENDOR_EXTRA_INFO, (LONG)0xC0000001));
    ASSERT_TRUE(m_sim.SetOidStatus(kGuid, OID_VENDOR_TX_POWER, (LONG)0xC0000001));
    g_bIcvError = TRUE;
    Tick(p);
    EXPECT_EQ(" -- ICV Error ", Text(p, IDC_LINK_EXTRA));
}

TEST_F(LinkStatusTest, QualitySignalAndNoiseFigures)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);

    // Quality 75 is 100 %, 0 is 10 %; each tick is smoothed with the last.
    const struct {
        DWORD quality;
        int shown;
        DWORD colour;
    } quality[] = { { 75, 100, kGreen }, { 0, 55, kYellow }, { 0, 33, kRed }, { 0xFFFFFFFF, 67, kYellow } };
    for (const auto& q : quality) {
        SCOPED_TRACE(q.shown);
        LinkStatusRecord r = { 108, q.quality, 0, 0, 0 };
        ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_LINK_STATUS, &r, sizeof(r)));
        Tick(p);
        EXPECT_EQ(q.shown, Pos(p, IDC_LINK_QUALITY_BAR));
        EXPECT_EQ(q.colour, BarStart(p, IDC_LINK_QUALITY_BAR));
    }

    // Chains, signal-to-noise and noise on the 802.11n adapter, with an HT
    // transmit rate (a legacy one turns every HT value into "n/a").
    Answer(OID_VENDOR_TX_RATE, (2u << 14) | 7);
    const struct {
        LONG rssi[3];
        DWORD snr[2];
        const char* chain2;
        int chain2Pos;
        const char* noise;
        int noisePos;
        DWORD noiseColour;
        const char* snrText[2];
    } cases[] = {
        { { -60, -62, -200 }, { 30, 28 }, "Signal Strength 2 >> 70%", 70, "Noise Strength >> 26%", 26, kGreen, { "30", "28" } },
        { { -75, -200, -85 }, { 20, 25 }, "Signal Strength2 >>", 0, "Noise Strength >> 16%", 16, kGreen, { "20", "25" } },
        { { -80, -90, -95 }, { 44, 5 }, "Signal Strength 2 >> 0%", 0, "Noise Strength >> 50%", 50, kYellow, { "n/a", "5" } },
        { { -95, -95, -95 }, { 0xFFFFFFF0u, 44 }, "Signal Strength 2 >> 0%", 0, "Noise Strength >> 0%", 0, 0, { "-16", "n/a" } },
        // The smaller SNR, compared unsigned, is 2^31: the noise is far below 0 dBm, not wrapped round above it.
        { { -95, -95, -95 }, { 0x80000000u, 0xFFFFFFFFu }, "Signal Strength 2 >> 0%", 0, "Noise Strength >> 0%", 0, 0,
          { "-2147483648", "-1" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.noise);
        Answer(OID_802_11_RSSI, (DWORD)c.rssi[0]);
        Answer(OID_VENDOR_RSSI_1, (DWORD)c.rssi[1]);
        Answer(OID_VENDOR_RSSI_2, (DWORD)c.rssi[2]);
        Answer(OID_VENDOR_SNR_0, c.snr[0]);
        Answer(OID_VENDOR_SNR_1, c.snr[1]);
        Tick(p);
        char text[128] = {};
        GetDlgItemTextA(p->m_hWnd, IDC_LINK_SIGNAL2_BAR, text, sizeof(text));
        EXPECT_STREQ(c.chain2, text);
        EXPECT_EQ(c.chain2Pos, Pos(p, IDC_LINK_SIGNAL2_BAR));
        GetDlgItemTextA(p->m_hWnd, IDC_LINK_NOISE_BAR, text, sizeof(text));
        EXPECT_STREQ(c.noise, text);
        EXPECT_EQ(c.noisePos, Pos(p, IDC_LINK_NOISE_BAR));
        if (c.noiseColour) {
            EXPECT_EQ(c.noiseColour, BarStart(p, IDC_LINK_NOISE_BAR));
        }
        EXPECT_EQ(c.snrText[0], Text(p, IDC_LINK_SNR0));
        EXPECT_EQ(c.snrText[1], Text(p, IDC_LINK_SNR1));
    }

    // On other adapters the noise is the driver's value less 143; 0 is 0 %.
    g_bHtDevice = FALSE;
    const struct {
        DWORD value;
        int pos;
        DWORD colour;
        const char* dbm;
    } legacy[] = { { 0, 0, 0, "-143" }, { 51, 26, kGreen, "-92" }, { 63, 66, kYellow, "-80" },
                   { 143, 100, kRed, "0" }, { 400, 100, kRed, "257" },
                   // Far beyond a real figure: still high, not wrapped round to 0 % (the arithmetic is wide enough).
                   { 300000143, 100, kRed, "300000000" }, { 0x7FFFFFFF, 100, kRed, "2147483504" },
                   { 0x80000000, 0, 0, "-2147483791" } };
    for (const auto& l : legacy) {
        SCOPED_TRACE(l.value);
        Answer(OID_VENDOR_NOISE, l.value);
        g_bShowDbm = FALSE;
        Tick(p);
        EXPECT_EQ(l.pos, Pos(p, IDC_LINK_NOISE_BAR));
        if (l.colour) {
            EXPECT_EQ(l.colour, BarStart(p, IDC_LINK_NOISE_BAR));
        }
        g_bShowDbm = TRUE;
        Tick(p);
        char text[128] = {};
        GetDlgItemTextA(p->m_hWnd, IDC_LINK_NOISE_BAR, text, sizeof(text));
        EXPECT_EQ(std::string("Noise Strength >> ") + l.dbm + " dBm", text);
    }
}

TEST_F(LinkStatusTest, RatesFromTheHtWordAndTheLegacyIndex)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    const struct {
        DWORD word;
        const char* rate;
        const char* bw;
        const char* mcs;
    } ht[] = {
        { (0u << 14) | 3, "11.0 Mbps", "n/a", "n/a" },           // CCK
        { (0u << 14) | 9, "2.0 Mbps", "n/a", "n/a" },
        { (0u << 14) | 5, "0.0 Mbps", "n/a", "n/a" },
        { (1u << 14) | 7, "54.0 Mbps", "n/a", "n/a" },           // OFDM
        { (1u << 14) | 9, "0.0 Mbps", "n/a", "n/a" },
        { (2u << 14) | 7, "65.0 Mbps", "20", "7" },              // HT 20 MHz, long GI
        { (3u << 14) | 0x180 | 15, "300.0 Mbps", "40", "15" },
        { (2u << 14) | 0x7F, "0.0 Mbps", "20", "127" },          // no such MCS
        { (4u << 14) | 7, "0.0 Mbps", "20", "7" },               // no such PHY mode
    };
    for (const auto& h : ht) {
        SCOPED_TRACE(h.word);
        Answer(OID_VENDOR_TX_RATE, h.word);
        Answer(OID_VENDOR_RX_RATE, h.word);
        Tick(p);
        EXPECT_EQ(h.rate, Text(p, IDC_LINK_TX_RATE));
        EXPECT_EQ(h.rate, Text(p, IDC_LINK_RX_RATE));
        EXPECT_EQ(h.bw, Text(p, IDC_LINK_BW));
        EXPECT_EQ(h.mcs, Text(p, IDC_LINK_MCS));
    }

    // Other adapters: a legacy receive index, the record's transmit rate.
    g_bHtDevice = FALSE;
    const struct {
        DWORD index;
        const char* rx;
    } legacy[] = { { 0, "1.0 Mbps" }, { 2, "5.5 Mbps" }, { 4, "6.0 Mbps" }, { 11, "54.0 Mbps" }, { 12, "1.0 Mbps" },
                   { 0xFFFFFFFF, "1.0 Mbps" } };
    LinkStatusRecord r = { 11, 50, 0, 0, 0 };
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_LINK_STATUS, &r, sizeof(r)));
    for (const auto& l : legacy) {
        SCOPED_TRACE(l.rx);
        Answer(OID_VENDOR_RX_RATE, l.index);
        Tick(p);
        EXPECT_EQ(l.rx, Text(p, IDC_LINK_RX_RATE));
        EXPECT_EQ("5.5 Mbps", Text(p, IDC_LINK_TX_RATE));
    }
}

// ---- Bad answers ---------------------------------------------------------------------------

// What the panel shows, every text and bar.
std::string Shown(CLinkStatusPage* p)
{
    std::string s;
    for (UINT id : { IDC_LINK_STATUS, IDC_LINK_EXTRA, IDC_LINK_CHANNEL, IDC_LINK_AUTH, IDC_LINK_ENCRYPTION,
                     IDC_LINK_NETTYPE, IDC_LINK_TX_RATE, IDC_LINK_RX_RATE, IDC_LINK_BW, IDC_LINK_GI, IDC_LINK_MCS,
                     IDC_LINK_SNR0, IDC_LINK_SNR1 })
    {
        char text[512] = {};
        GetDlgItemTextA(p->m_hWnd, id, text, sizeof(text));
        s += std::string(text) + "|";
    }
    for (UINT id : { IDC_LINK_QUALITY_BAR, IDC_LINK_SIGNAL1_BAR, IDC_LINK_SIGNAL2_BAR, IDC_LINK_SIGNAL3_BAR,
                     IDC_LINK_NOISE_BAR }) {
        char text[128] = {};
        GetDlgItemTextA(p->m_hWnd, id, text, sizeof(text));
        s += std::string(text) + "@" + std::to_string(SendDlgItemMessageA(p->m_hWnd, id, PBM_GETPOS, 0, 0)) + "|";
    }
    return s;
}

TEST_F(LinkStatusTest, OddAnswersOfEverySizeShowWhatAFailedQueryShows)
{
    JoinOpen();
    Scan();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    // An SSID length far beyond 32 shows the 32 bytes there are.
    BYTE ssid[36];
    memset(ssid, 'S', sizeof(ssid));
    DWORD len = 200;
    memcpy(ssid, &len, 4);
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_802_11_SSID, ssid, sizeof(ssid)));
    Tick(p);
    EXPECT_EQ(std::string(32, 'S') + " <--> 00-11-22-33-44-01 [192.168.1.100]", Text(p, IDC_LINK_STATUS));
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_802_11_SSID));

    // A value of four bytes is taken only from a whole answer: a shorter or
    // longer one shows what a failed query shows.  (Two ticks each, so that
    // the smoothing has settled.)
    const DWORD values[] = { OID_VENDOR_EXTRA_INFO, OID_VENDOR_IP_ADDRESS, OID_VENDOR_TX_POWER, OID_VENDOR_RX_RATE,
                             OID_VENDOR_TX_RATE, OID_802_11_RSSI, OID_VENDOR_RSSI_1, OID_VENDOR_RSSI_2,
                             OID_VENDOR_SNR_0, OID_VENDOR_SNR_1, OID_VENDOR_NOISE };
    // The air's own figures move: every value is held still at a whole answer.
    const DWORD held[] = { 0, 0x0164A8C0, 100, 7, (2u << 14) | 7, (DWORD)-60, (DWORD)-62, (DWORD)-65, 30, 28, 51 };
    auto hold = [&](size_t k) { ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, values[k], &held[k], 4)); };
    for (size_t k = 0; k < sizeof(values) / sizeof(values[0]); ++k) hold(k);
    LinkStatusRecord record = { 108, 75, 0, 0, 0 };
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_LINK_STATUS, &record, sizeof(record)));
    for (int t = 0; t < 10; ++t) Tick(p);
    std::vector<BYTE> junk(300, 0x10);
    for (BOOL ht : { TRUE, FALSE }) {
        g_bHtDevice = ht;
        for (size_t k = 0; k < sizeof(values) / sizeof(values[0]); ++k) {
            DWORD oid = values[k];
            ASSERT_TRUE(m_sim.SetOidStatus(kGuid, oid, (LONG)0xC0000001));
            Tick(p);
            Tick(p);
            std::string failed = Shown(p);
            for (DWORD size : { 0u, 1u, 2u, 3u, 5u, 19u, 300u }) {
                SCOPED_TRACE(testing::Message() << std::hex << oid << " " << std::dec << size << (ht ? " HT" : ""));
                ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, oid, junk.data(), size));
                Tick(p);
                Tick(p);
                EXPECT_EQ(failed, Shown(p));
            }
            hold(k);
            // Chain 0 is smoothed: let it come back to its figure.
            if (oid == OID_802_11_RSSI)
                for (int t = 0; t < 10; ++t) Tick(p);
        }
    }
    for (DWORD oid : values) ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, oid));
    // The records take what came: a link record of 8 bytes is a rate and a
    // quality with no counters; the rest of the panel is as before.
    g_bHtDevice = FALSE;
    BYTE cut[8] = { 22, 0, 0, 0, 50, 0, 0, 0 };
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_LINK_STATUS, cut, sizeof(cut)));
    Tick(p);
    EXPECT_EQ("11.0 Mbps", Text(p, IDC_LINK_TX_RATE));
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_VENDOR_LINK_STATUS));
    for (DWORD oid : { (DWORD)OID_GEN_MEDIA_CONNECT_STATUS, (DWORD)OID_802_11_BSSID, (DWORD)OID_802_11_CONFIGURATION,
                       (DWORD)OID_VENDOR_LINK_STATUS, (DWORD)OID_VENDOR_ADVANCED_CONFIG }) {
        for (DWORD size : { 0u, 1u, 3u, 5u, 19u, 37u, 300u }) {
            SCOPED_TRACE(testing::Message() << std::hex << oid << " " << std::dec << size);
            ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, oid, junk.data(), size));
            Tick(p);
            ASSERT_TRUE(IsWindow(p->m_hWnd));
        }
        ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, oid));
    }
    // A media status cut short is no status: not connected, but the driver is there.
    ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_GEN_MEDIA_CONNECT_STATUS, junk.data(), 1));
    Tick(p);
    EXPECT_EQ("Disconnected", Text(p, IDC_LINK_STATUS));
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_GEN_MEDIA_CONNECT_STATUS));
    Tick(p);
    EXPECT_EQ("Kestiq-Open <--> 00-11-22-33-44-01 [192.168.1.100]", Text(p, IDC_LINK_STATUS));
}

TEST_F(LinkStatusTest, AShortAnswerNeverMixesWithThePreset)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    g_bHtDevice = FALSE;
    auto give = [&](DWORD oid, std::vector<BYTE> bytes) {
        ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, oid, bytes.data(), (DWORD)bytes.size()));
    };
    // One byte of the code 3 is not "Software radio off" read as 0xFFFFFF03:
    // no code at all, as a failed query.
    give(OID_VENDOR_EXTRA_INFO, { 3 });
    give(OID_VENDOR_TX_POWER, { 50, 0, 0, 0 });
    // One byte of the index 5 is no index: 1.0 Mbps, not read as 0xFFFFFF05.
    give(OID_VENDOR_RX_RATE, { 5 });
    // Two bytes of a positive RSSI on chain 1 are no chain, not -65520 dBm at 0 %.
    give(OID_VENDOR_RSSI_1, { 0x10, 0x00 });
    Tick(p);
    EXPECT_EQ(" [TxPower:50%]", Text(p, IDC_LINK_EXTRA));
    EXPECT_EQ("1.0 Mbps", Text(p, IDC_LINK_RX_RATE));
    char text[128] = {};
    GetDlgItemTextA(p->m_hWnd, IDC_LINK_SIGNAL2_BAR, text, sizeof(text));
    EXPECT_STREQ("Signal Strength2 >>", text);
    // Whole, the same answers are read.
    give(OID_VENDOR_EXTRA_INFO, { 3, 0, 0, 0 });
    give(OID_VENDOR_RX_RATE, { 5, 0, 0, 0 });
    give(OID_VENDOR_RSSI_1, { 0xC4, 0xFF, 0xFF, 0xFF });
    Tick(p);
    EXPECT_EQ("Software radio off [TxPower:50%]", Text(p, IDC_LINK_EXTRA));
    EXPECT_EQ("9.0 Mbps", Text(p, IDC_LINK_RX_RATE));
    GetDlgItemTextA(p->m_hWnd, IDC_LINK_SIGNAL2_BAR, text, sizeof(text));
    EXPECT_STREQ("Signal Strength 2 >> 76%", text);
    // A chain that answers short when the panel is shown counts as missing.
    give(OID_VENDOR_RSSI_1, { 0xC4, 0xFF });
    m_dlg.ShowPage(PANEL_HIDDEN_SSID);
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    KillTimer(p->m_hWnd, IDT_LINK_STATUS_REFRESH);
    EXPECT_FALSE(Visible(p, IDC_LINK_SIGNAL2_BAR));
    EXPECT_FALSE(Visible(p, IDC_LINK_SIGNAL3_BAR));
}

TEST_F(LinkStatusTest, AFailedTransmitRateReadsAsALegacyRate)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    ASSERT_TRUE(g_bHtDevice);
    Answer(OID_VENDOR_TX_RATE, (2u << 14) | 7);
    Tick(p);
    ASSERT_EQ("7", Text(p, IDC_LINK_MCS));
    // Failed, the word reads as 0 (CCK, 1 Mbps): the rate is 1.0 and the HT
    // values say "n/a", as for any legacy rate.
    ASSERT_TRUE(m_sim.SetOidStatus(kGuid, OID_VENDOR_TX_RATE, (LONG)0xC0000001));
    Tick(p);
    EXPECT_EQ("1.0 Mbps", Text(p, IDC_LINK_TX_RATE));
    for (UINT id : { IDC_LINK_BW, IDC_LINK_GI, IDC_LINK_MCS, IDC_LINK_SNR0, IDC_LINK_SNR1 }) EXPECT_EQ("n/a", Text(p, id)) << id;
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_VENDOR_TX_RATE));
}

TEST_F(LinkStatusTest, MissingChainsHideTheirBarsAndTheNoiseBarTakesTheirPlace)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    auto top = [&](UINT id) {
        RECT r;
        GetWindowRect(GetDlgItem(p->m_hWnd, id), &r);
        return r.top;
    };
    const LONG slot2 = top(IDC_LINK_SIGNAL2_BAR), slot3 = top(IDC_LINK_SIGNAL3_BAR), slot4 = top(IDC_LINK_NOISE_BAR);
    auto reshow = [&] {
        m_dlg.ShowPage(PANEL_HIDDEN_SSID);
        m_dlg.ShowPage(PANEL_LINK_STATUS);
        KillTimer(p->m_hWnd, IDT_LINK_STATUS_REFRESH);
    };
    // Every chain answers: nothing moves.
    EXPECT_TRUE(Visible(p, IDC_LINK_SIGNAL3_BAR));
    EXPECT_EQ(slot4, top(IDC_LINK_NOISE_BAR));
    // Chain 2 missing: its bar hides, the noise bar moves up into its place.
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_RSSI_2));
    reshow();
    EXPECT_TRUE(Visible(p, IDC_LINK_SIGNAL2_BAR));
    EXPECT_FALSE(Visible(p, IDC_LINK_SIGNAL3_BAR));
    EXPECT_EQ(slot3, top(IDC_LINK_NOISE_BAR));
    // Chain 1 missing too: both hide, the noise bar under the first.
    ASSERT_TRUE(m_sim.FailAlways(kGuid, OID_VENDOR_RSSI_1));
    reshow();
    EXPECT_FALSE(Visible(p, IDC_LINK_SIGNAL2_BAR));
    EXPECT_EQ(slot2, top(IDC_LINK_NOISE_BAR));
    Tick(p);
    Shot(p, "linkstatus-one-chain");
    // The chains answer again: a bar hidden stays hidden, and the noise bar
    // stays where it went, right under the bars that show (no gap).
    ASSERT_TRUE(m_sim.ClearFaults(kGuid));
    reshow();
    EXPECT_FALSE(Visible(p, IDC_LINK_SIGNAL2_BAR));
    EXPECT_EQ(slot2, top(IDC_LINK_NOISE_BAR));
}

TEST_F(LinkStatusTest, EnterAndEscapeAreSwallowed)
{
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    for (WPARAM id : { (WPARAM)IDOK, (WPARAM)IDCANCEL }) {
        EXPECT_EQ(1, SendMessageA(p->m_hWnd, WM_COMMAND, id, 0)) << id;
        Pump();
        EXPECT_TRUE(IsWindow(p->m_hWnd));
        EXPECT_TRUE(IsWindowVisible(p->m_hWnd));
    }
}

TEST_F(LinkStatusTest, SecurityTextsComeFromTheScanOrTheActiveProfile)
{
    JoinOpen();
    Scan();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    Tick(p);
    EXPECT_EQ("Unknown", Text(p, IDC_LINK_AUTH));
    EXPECT_EQ("None", Text(p, IDC_LINK_ENCRYPTION));

    // The engine's aged list missing while its latest answer exists: no
    // texts, nothing read from elsewhere.
    {
        Restore<BssidListBuffer*> cache(g_pBssidListCache);
        g_pBssidListCache = nullptr;
        ASSERT_NE(nullptr, g_pBssidList);
        Tick(p);
        EXPECT_EQ("", Text(p, IDC_LINK_AUTH));
        EXPECT_EQ("", Text(p, IDC_LINK_ENCRYPTION));
    }
    // A damaged list (an entry of length 0) ends the walk instead of looping.
    {
        std::vector<BYTE> saved((BYTE*)g_pBssidListCache, (BYTE*)g_pBssidListCache + BSSID_LIST_BUFFER_SIZE);
        g_pBssidListCache->NumberOfItems = 1000;
        g_pBssidListCache->Bssid[0].Length = 0;
        Tick(p);
        EXPECT_EQ("", Text(p, IDC_LINK_AUTH));
        memcpy(g_pBssidListCache, saved.data(), saved.size());
    }

    // From the active profile's key.
    kqtest::KeyGuard guard(HKEY_LOCAL_MACHINE, std::string(g_strAdapterRegPath.GetString()));
    Restore<CString> name(g_strCurProfileName);
    g_strCurProfileName = "LinkTest";
    g_bUseRegistryProfileSecurity = 1;
    const struct {
        const char* auth;
        const char* leap;
        const char* encryption;
        const char* authText;
        const char* encText;
    } cases[] = {
        { "0", "0", "1", "Open", "NONE" },       { "1", "0", "0", "Shared", "WEP" },
        { "4", "0", "4", "WPA-PSK", "TKIP" },    { "7", "0", "6", "WPA2-PSK", "AES" },
        { "6", "1", "4", "LEAP", "WPA-TKIP" },   { "3", "1", "6", "LEAP", "WPA2-AES" },
        { "0", "1", "1", "LEAP", "WEP" },        { "5", "0", "1", "WPA-NONE", "NONE" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.authText);
        HKEY k = CreateProfileKey("LinkTest");
        ASSERT_NE(nullptr, k);
        WriteRegText(k, "AuthenType", c.auth);
        WriteRegText(k, "LeapEnabled", c.leap);
        WriteRegText(k, "Encryption", c.encryption);
        RegCloseKey(k);
        Tick(p);
        EXPECT_EQ(c.authText, Text(p, IDC_LINK_AUTH));
        EXPECT_EQ(c.encText, Text(p, IDC_LINK_ENCRYPTION));
    }
    // Unknown numbers and a missing key leave the texts.
    HKEY k = CreateProfileKey("LinkTest");
    WriteRegText(k, "AuthenType", "2");
    WriteRegText(k, "Encryption", "3");
    RegCloseKey(k);
    Tick(p);
    EXPECT_EQ("WPA-NONE", Text(p, IDC_LINK_AUTH));
    EXPECT_EQ("NONE", Text(p, IDC_LINK_ENCRYPTION));
    g_strCurProfileName = "NoSuchProfile";
    Tick(p);
    EXPECT_EQ("WPA-NONE", Text(p, IDC_LINK_AUTH));
    EXPECT_EQ("NONE", Text(p, IDC_LINK_ENCRYPTION));
}

}  // namespace
