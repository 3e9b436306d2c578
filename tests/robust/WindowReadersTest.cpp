// The driver's answers that only windows read, as they read them: the link
// status panel's tick (the link-state code, the transmit power, the three
// RSSIs, the two signal-to-noise ratios, the noise value, the rate words and
// the link record), the statistics page's refresh, and the WMM page's list
// of direct links, each answer of any size (or failed) by the simulated
// driver, ticked as the timers tick them.  What the window then shows is
// what the answer says by the page's rules, and nothing else.
#include "Robust.h"

#include <algorithm>
#include <cstdio>

#include "core/HtRateTable.h"
#include "core/LinkState.h"
#include "linkstatus/LinkWindowFixture.h"
#include "pages/StatisticsPage.h"
#include "pages/WmmPage.h"

namespace {

using robust::Bytes;

class WindowReaders : public kqtest::LinkWindowTest {
protected:
    // An answer of the driver for one input: a value of `size` bytes (the
    // value's own bytes first), or a failure.  What the page reads of it:
    // nothing when it failed or was longer than the page asks for.
    struct Answer {
        Bytes bytes;
        bool fails = false;
    };
    Answer Make(robust::Rng& rng, DWORD value, size_t size)
    {
        Answer a;
        a.bytes.resize(size);
        for (size_t k = 0; k < size; ++k) a.bytes[k] = k < 4 ? (BYTE)(value >> (8 * k)) : rng.Byte();
        a.fails = rng.OneIn(12);
        return a;
    }
    void Give(DWORD oid, const Answer& a)
    {
        if (a.fails) m_sim.SetOidStatus(kGuid, oid, (LONG)0xC0000001);
        else m_sim.SetOidAnswer(kGuid, oid, a.bytes.data(), (DWORD)a.bytes.size());
    }
    // A 4-byte value as the link panel takes it: only a whole answer counts.
    static bool Whole(const Answer& a) { return !a.fails && a.bytes.size() == 4; }
    static DWORD Word(const Answer& a, DWORD preset) { return Whole(a) ? robust::Le32(a.bytes, 0) : preset; }
    static std::string Bar(CWnd* p, UINT id)
    {
        char t[128] = {};
        GetDlgItemTextA(p->m_hWnd, id, t, sizeof(t));
        return t;
    }
    static int Pos(CWnd* p, UINT id) { return (int)SendDlgItemMessageA(p->m_hWnd, id, PBM_GETPOS, 0, 0); }
    DWORD RandomValue(robust::Rng& rng, const std::vector<DWORD>& interesting)
    {
        return rng.OneIn(3) ? (DWORD)rng.Next() : rng.Pick(interesting);
    }
};

std::string Fmt(const char* f, long long v)
{
    char t[128];
    std::snprintf(t, sizeof(t), f, v);
    return t;
}

const char* const kLinkStates[11] = { "Link is Up", "Link is Down", "Hardware radio off", "Software radio off",
                                      "Open authentication fail", "Shared authentication fail", "Association failed",
                                      "Deauthencation because MIC failure",
                                      "Deauthencation on 4-way handshake timeout",
                                      "Deauthencation on group key handshake timeout", "EAP succeed" };

TEST_F(WindowReaders, TheLinkPanelsTick)
{
    JoinOpen();
    CLinkStatusPage* p = OpenPanel();
    ASSERT_NE(nullptr, p);
    CHtRateTable rates;
    rates.Init();
    int prevQuality = 0, prevSignal = 0;
    const std::vector<DWORD> kRssi = { (DWORD)-200, (DWORD)-30, (DWORD)-50, (DWORD)-60, (DWORD)-70, (DWORD)-71,
                                       (DWORD)-80, (DWORD)-90, (DWORD)-95, 0, 16, 0x7FFFFFFF, 0x80000000 };
    const std::vector<DWORD> kSnr = { 44, 0, 5, 30, 0xFFFFFFF0, 0x80000000, 0x7FFFFFFF };
    const std::vector<DWORD> kNoise = { 0, 51, 63, 143, 400, 300000143, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF };
    const std::vector<DWORD> kPower = { 0, 6, 7, 50, 100, 0xFFFFFFFF, 0x80000000, 0xFFFFFFFE };
    const std::vector<DWORD> kCodes = { 0, 3, 10, 11, 0xFFFFFFFF, 0xFFFFFF03 };
    const std::vector<DWORD> kWords = { 3, 9, (1u << 14) | 7, (2u << 14) | 7, (3u << 14) | 0x180 | 15,
                                        (2u << 14) | 0x7F, (4u << 14) | 7, 0xFFFFFFFF };
    robust::Reader reader("link-panel", 30, 1000);
    reader.Each([&](robust::Rng& rng, long i) {
        g_bHtDevice = rng.Below(2);
        g_bShowDbm = rng.OneIn(4);
        g_bIcvError = rng.OneIn(8);
        auto size = [&] { return rng.OneIn(3) ? (size_t)rng.Below(7) : (size_t)4; };
        Answer extra = Make(rng, RandomValue(rng, kCodes), size());
        Answer power = Make(rng, RandomValue(rng, kPower), size());
        Answer rssi[3], snr[2];
        for (Answer& a : rssi) a = Make(rng, RandomValue(rng, kRssi), size());
        for (Answer& a : snr) a = Make(rng, RandomValue(rng, kSnr), size());
        Answer noise = Make(rng, RandomValue(rng, kNoise), size());
        Answer rx = Make(rng, RandomValue(rng, g_bHtDevice ? kWords : std::vector<DWORD>{ 0, 2, 11, 12, 0xFFFFFFFF }), size());
        Answer tx = Make(rng, RandomValue(rng, kWords), size());
        Answer record = Make(rng, rng.Below(108), rng.OneIn(3) ? rng.Below(24) : 20);
        // A channel quality of 0 to 99, then counters of any value.
        for (size_t k = 4; k < 8 && k < record.bytes.size(); ++k) record.bytes[k] = k == 4 ? (BYTE)rng.Below(100) : 0;
        Give(OID_VENDOR_EXTRA_INFO, extra);
        Give(OID_VENDOR_TX_POWER, power);
        Give(OID_802_11_RSSI, rssi[0]);
        Give(OID_VENDOR_RSSI_1, rssi[1]);
        Give(OID_VENDOR_RSSI_2, rssi[2]);
        Give(OID_VENDOR_SNR_0, snr[0]);
        Give(OID_VENDOR_SNR_1, snr[1]);
        Give(OID_VENDOR_NOISE, noise);
        Give(OID_VENDOR_RX_RATE, rx);
        Give(OID_VENDOR_TX_RATE, tx);
        Give(OID_VENDOR_LINK_STATUS, record);
        Tick(p);

        // The link-state text and its suffixes.
        DWORD code = Word(extra, 0xFFFFFFFF);
        std::string text = code <= 10 ? kLinkStates[code] : "";
        if (g_bIcvError) text += " -- ICV Error ";
        if (Whole(power)) {
            DWORD v = Word(power, 0);
            std::string t = (v == 0xFFFFFFFF || v == 100) ? "100%" : v < 7 ? "Lowest" : Fmt("%d%%", (int)v);
            text += " [TxPower:" + t + "]";
        }
        reader.Check(Text(p, IDC_LINK_EXTRA) == text, i, "extra information \"" + Text(p, IDC_LINK_EXTRA) + "\", the answers give \"" + text + "\"");

        // The link record: what came of its 20 bytes, the rest 0.
        BYTE rec[20] = {};
        if (!record.fails && record.bytes.size() <= 20) std::memcpy(rec, record.bytes.data(), record.bytes.size());
        DWORD quality = 0, txRate = 0;
        std::memcpy(&txRate, rec, 4);
        std::memcpy(&quality, rec + 4, 4);
        int q = (int)std::min(quality * 1.2 + 10.0, 100.0);
        if (prevQuality) q = (int)((q + prevQuality + 1.0) * 0.5);
        prevQuality = q;
        reader.Check(Pos(p, IDC_LINK_QUALITY_BAR) == q, i, "link quality " + std::to_string(Pos(p, IDC_LINK_QUALITY_BAR)) + ", the record gives " + std::to_string(q));

        // The three chains: -200 (also for an answer not given in full) is no chain.
        LONG r[3];
        for (int c = 0; c < 3; ++c) r[c] = (LONG)Word(rssi[c], (DWORD)-200);
        const UINT bars[3] = { IDC_LINK_SIGNAL1_BAR, IDC_LINK_SIGNAL2_BAR, IDC_LINK_SIGNAL3_BAR };
        for (int c = 0; c < 3; ++c) {
            int pc = RssiToPercent(r[c]);
            if (c == 0) {
                if (prevSignal) pc = (int)((pc + prevSignal + 1.0) * 0.5);
                prevSignal = pc;
            }
            std::string caption;
            int pos = 0;
            if (r[c] == -200) {
                caption = "Signal Strength" + std::to_string(c + 1) + " >>";
            } else {
                pos = std::min(pc, 100);
                caption = g_bShowDbm ? "Signal Strength " + std::to_string(c + 1) + " >> " + std::to_string(r[c]) + " dBm"
                                     : "Signal Strength " + std::to_string(c + 1) + " >> " + std::to_string(pos) + "%";
            }
            reader.Check(Bar(p, bars[c]) == caption && Pos(p, bars[c]) == pos, i,
                         "chain " + std::to_string(c) + " shows \"" + Bar(p, bars[c]) + "\" at " +
                             std::to_string(Pos(p, bars[c])) + ", its answer gives \"" + caption + "\" at " + std::to_string(pos));
        }

        // Signal-to-noise and noise, in the Part's arithmetic without wrapping.
        DWORD s[2] = { Word(snr[0], 44), Word(snr[1], 44) };
        long long noiseDbm;
        if (g_bHtDevice) {
            long long strongest = std::max({ (long long)r[0], (long long)r[1], (long long)r[2] });
            long long weakest = std::min(s[0], s[1]);
            noiseDbm = strongest < -70 ? strongest - weakest : -92;
        } else {
            noiseDbm = (long long)(LONG)Word(noise, 0) - 143;
        }
        long long n = std::max(0LL, std::min(((noiseDbm * 5 + 500) * 2) / 3, 100LL));
        std::string noiseCaption = g_bShowDbm ? "Noise Strength >> " + std::to_string(noiseDbm) + " dBm"
                                              : "Noise Strength >> " + std::to_string(n) + "%";
        reader.Check(Bar(p, IDC_LINK_NOISE_BAR) == noiseCaption && Pos(p, IDC_LINK_NOISE_BAR) == n, i,
                     "noise shows \"" + Bar(p, IDC_LINK_NOISE_BAR) + "\" at " + std::to_string(Pos(p, IDC_LINK_NOISE_BAR)) +
                         ", the answers give \"" + noiseCaption + "\" at " + std::to_string(n));

        // Rates, and the HT values the transmit word fills.
        auto htRate = [&](DWORD w) {
            int mcs = (int)(w & 0x7F);
            switch (w >> 14) {
            case 0: {
                static const int kMcs[8] = { 0, 1, 2, 3, 8, 9, 10, 11 };
                static const double kRates[8] = { 1, 2, 5.5, 11, 1, 2, 5.5, 11 };
                for (int k = 0; k < 8; ++k)
                    if (kMcs[k] == mcs) return kRates[k];
                return 0.0;
            }
            case 1: {
                static const double kOfdm[8] = { 6, 9, 12, 18, 24, 36, 48, 54 };
                return mcs < 8 ? kOfdm[mcs] : 0.0;
            }
            case 2:
            case 3: {
                double rate = 0.0;
                return rates.GetRate((w & 0x80) ? 1 : 0, (w & 0x100) ? 1 : 0, mcs, rate) ? rate : 0.0;
            }
            default: return 0.0;
            }
        };
        double rxMbps, txMbps;
        if (g_bHtDevice) {
            rxMbps = htRate(Word(rx, 0));
            txMbps = htRate(Word(tx, 0));
        } else {
            static const double kLegacy[12] = { 1, 2, 5.5, 11, 6, 9, 12, 18, 24, 36, 48, 54 };
            DWORD index = Word(rx, 0xFFFFFFFF);
            rxMbps = index < 12 ? kLegacy[index] : 1.0;
            txMbps = txRate * 0.5;
        }
        char t[64];
        std::snprintf(t, sizeof(t), "%.1f Mbps", rxMbps);
        reader.Check(Text(p, IDC_LINK_RX_RATE) == t, i, "receive rate " + Text(p, IDC_LINK_RX_RATE) + ", the answer gives " + t);
        std::snprintf(t, sizeof(t), "%.1f Mbps", txMbps);
        reader.Check(Text(p, IDC_LINK_TX_RATE) == t, i, "transmit rate " + Text(p, IDC_LINK_TX_RATE) + ", the answer gives " + t);
        if (g_bHtDevice) {
            DWORD w = Word(tx, 0);
            std::string bw = (w & 0x80) ? "40" : "20", mcs = std::to_string(w & 0x7F);
            std::string s0 = s[0] == 44 ? "n/a" : std::to_string((int)s[0]), s1 = s[1] == 44 ? "n/a" : std::to_string((int)s[1]);
            if ((w >> 14) <= 1) bw = mcs = s0 = s1 = "n/a";
            std::string shown = Text(p, IDC_LINK_BW) + "|" + Text(p, IDC_LINK_MCS) + "|" + Text(p, IDC_LINK_SNR0) + "|" + Text(p, IDC_LINK_SNR1);
            std::string want = bw + "|" + mcs + "|" + s0 + "|" + s1;
            reader.Check(shown == want, i, "HT values " + shown + ", the answers give " + want);
        }
    });
    for (DWORD oid : { (DWORD)OID_VENDOR_EXTRA_INFO, (DWORD)OID_VENDOR_TX_POWER, (DWORD)OID_802_11_RSSI, (DWORD)OID_VENDOR_RSSI_1,
                       (DWORD)OID_VENDOR_RSSI_2, (DWORD)OID_VENDOR_SNR_0, (DWORD)OID_VENDOR_SNR_1, (DWORD)OID_VENDOR_NOISE,
                       (DWORD)OID_VENDOR_RX_RATE, (DWORD)OID_VENDOR_TX_RATE, (DWORD)OID_VENDOR_LINK_STATUS })
        m_sim.ClearOidAnswer(kGuid, oid);
    ShotWindow("robust-link-panel");
}

TEST_F(WindowReaders, TheStatisticsRefresh)
{
    JoinOpen();
    CLinkStatusPage* panel = OpenPanel();
    ASSERT_NE(nullptr, panel);
    ClickNav(IDC_NAV_STATISTICS);
    CStatisticsPage* page = m_dlg.OpenedMainWindow()->m_pStatisticsPage;
    KillTimer(page->m_hWnd, IDT_STATISTICS_REFRESH);
    const int txRows[6] = { CTxStatisticsPage::ROW_OK, CTxStatisticsPage::ROW_RETRY, CTxStatisticsPage::ROW_FAIL_ACK,
                            CTxStatisticsPage::ROW_RTS_OK, CTxStatisticsPage::ROW_RTS_FAIL,
                            CTxStatisticsPage::ROW_OK_NO_RETRY };
    robust::Reader reader("statistics", 30, 1000);
    reader.Each([&](robust::Rng& rng, long i) {
        Bytes record = rng.RandomBytes(176 + 40);
        for (size_t k = 0; k + 8 <= record.size(); k += 8)
            if (rng.OneIn(2)) std::memset(&record[k + 4], rng.OneIn(2) ? 0 : 0xFF, 4);
        static const size_t kSizes[] = { 0, 1, 7, 8, 9, 16, 40, 96, 104, 175, 176, 177, 216 };
        record.resize(rng.OneIn(2) ? 176 : rng.Pick(kSizes));
        bool fails = rng.OneIn(10);
        if (fails) m_sim.SetOidStatus(kGuid, OID_802_11_STATISTICS, (LONG)0xC0000001);
        else m_sim.SetOidAnswer(kGuid, OID_802_11_STATISTICS, record.data(), (DWORD)record.size());
        Answer ok = Make(rng, (DWORD)rng.Next(), rng.OneIn(3) ? rng.Below(7) : 4);
        Answer dropped = Make(rng, (DWORD)rng.Next(), rng.OneIn(3) ? rng.Below(7) : 4);
        Give(OID_GEN_RCV_OK, ok);
        Give(OID_GEN_RCV_NO_BUFFER, dropped);
        Tick(page, IDT_STATISTICS_REFRESH);

        // The record as read: what came of 176 bytes (a longer answer is cut
        // to them), the rest 0; the general counters what came of 4 bytes.
        BYTE r[176] = {};
        if (!fails) std::memcpy(r, record.data(), std::min<size_t>(record.size(), 176));
        auto counter = [&](size_t at) {
            long long v;
            std::memcpy(&v, r + at, 8);
            return v;
        };
        auto general = [](const Answer& a) {
            DWORD v = 0;
            if (!a.fails && a.bytes.size() <= 4) std::memcpy(&v, a.bytes.data(), a.bytes.size());
            return v;
        };
        long long sent = counter(8), retried = counter(32);
        const long long tx[6] = { sent, retried, counter(24), counter(48), counter(56),
                                  (long long)((unsigned long long)sent - (unsigned long long)retried) };
        for (int k = 0; k < 6; ++k) {
            std::string shown = Text(page->TxPage(), IDC_STAT_ROW_FIRST + 3 * txRows[k] + 2);
            reader.Check(shown == Fmt("%lld", tx[k]), i, "transmit row " + std::to_string(txRows[k]) + " shows " + shown + ", the record holds " + Fmt("%lld", tx[k]));
        }
        const std::string rx[4] = { Fmt("%llu", general(ok)), Fmt("%lld", counter(96)), Fmt("%llu", general(dropped)), Fmt("%lld", counter(72)) };
        const int rxRows[4] = { CRxStatisticsPage::ROW_OK, CRxStatisticsPage::ROW_CRC_ERROR, CRxStatisticsPage::ROW_DROPPED,
                                CRxStatisticsPage::ROW_DUPLICATE };
        for (int k = 0; k < 4; ++k) {
            std::string shown = Text(page->RxPage(), IDC_STAT_ROW_FIRST + 3 * rxRows[k] + 2);
            reader.Check(shown == rx[k], i, "receive row " + std::to_string(rxRows[k]) + " shows " + shown + ", the answers hold " + rx[k]);
        }
    });
    for (DWORD oid : { (DWORD)OID_802_11_STATISTICS, (DWORD)OID_GEN_RCV_OK, (DWORD)OID_GEN_RCV_NO_BUFFER })
        m_sim.ClearOidAnswer(kGuid, oid);
    ShotWindow("robust-statistics");
}

TEST_F(WindowReaders, TheDirectLinks)
{
    JoinOpen();
    ASSERT_NE(nullptr, OpenPanel());
    ClickNav(IDC_NAV_WMM);
    CWmmPage* page = m_dlg.OpenedMainWindow()->m_pWmmPage;
    ASSERT_NE(nullptr, page);
    KillTimer(page->m_hWnd, IDT_WMM_REFRESH);
    robust::Reader reader("dls-links", 30, 1000);
    reader.Each([&](robust::Rng& rng, long i) {
        Bytes links = rng.RandomBytes(48 + 12);
        for (size_t k = 0; k < 5; ++k) {
            if (k * 12 + 12 > links.size()) break;
            if (rng.OneIn(2)) links[k * 12 + 10] = kDlsLinkUp;
            if (rng.OneIn(2)) links[k * 12 + 11] = 1;
        }
        static const size_t kSizes[] = { 0, 1, 11, 12, 13, 24, 36, 47, 48, 49, 60 };
        links.resize(rng.OneIn(2) ? 48 : rng.Pick(kSizes));
        bool fails = rng.OneIn(10);
        if (fails) m_sim.SetOidStatus(kGuid, OID_VENDOR_DLS_LINK, (LONG)0xC0000001);
        else m_sim.SetOidAnswer(kGuid, OID_VENDOR_DLS_LINK, links.data(), (DWORD)links.size());
        Tick(page, IDT_WMM_REFRESH);
        // What came of the four 12-byte records (a longer answer fails), the rest 0.
        BYTE r[48] = {};
        if (!fails && links.size() <= 48) std::memcpy(r, links.data(), links.size());
        std::string want, shown;
        for (int k = 0; k < 4; ++k) {
            const BYTE* e = r + 12 * k;
            if (e[11] == 1 && e[10] == kDlsLinkUp) {
                char t[64];
                std::snprintf(t, sizeof(t), "%02X-%02X-%02X-%02X-%02X-%02X/%u ", e[4], e[5], e[6], e[7], e[8], e[9],
                              (unsigned)(e[0] | (e[1] << 8)));
                want += t;
            }
        }
        for (const DlsListRow& row : page->DlsRows()) shown += std::string(row.mac.GetString()) + "/" + std::to_string(row.timeout) + " ";
        reader.Check(shown == want, i, "direct links [" + shown + "], the answer holds [" + want + "]");
    });
    m_sim.ClearOidAnswer(kGuid, OID_VENDOR_DLS_LINK);
}

}  // namespace
