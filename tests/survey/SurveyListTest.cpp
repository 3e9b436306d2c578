// The survey's rows and order from a scan list: what each column takes from
// an entry, the signal rules, the walk over damaged lists, and the sort.
#include <gtest/gtest.h>

#include <climits>

#include "ScanListBuilder.h"
#include "app/HideDlg.h"
#include "pages/SurveyList.h"

namespace {

std::vector<SurveyEntry> Rows(BssidListBuffer* list)
{
    std::vector<SurveyEntry> rows;
    for (const NDIS_WLAN_BSSID_EX* e : SurveyRecords(list)) rows.push_back(MakeSurveyEntry(e));
    return rows;
}

std::vector<std::string> Ssids(BssidListBuffer* list)
{
    std::vector<std::string> out;
    for (const SurveyEntry& r : Rows(list)) out.push_back(r.ssid.str());
    return out;
}

// ---- One row from one entry -------------------------------------------------

struct RowCase {
    const char* name;
    Network net;
    DWORD type, band;
    const char* channel;
    DWORD secured, wps, ht;
};

Network With(Network n, void (*f)(Network&)) { f(n); return n; }

TEST(SurveyRow, EachColumnFromItsSource)
{
    Network open;
    open.ssid = "Cafe";
    const RowCase cases[] = {
        { "open, channel 6", open, 1, 3, "6", 0, 0, 0 },
        { "privacy bit alone", With(open, [](Network& n) { n.privacy = 1; }), 1, 3, "6", 1, 0, 0 },
        { "RSN element without privacy bit", With(open, [](Network& n) { n.elements = RsnPskAes(); }), 1, 3, "6", 1, 0, 0 },
        { "WPS element", With(open, [](Network& n) { n.elements = WpsElement(); }), 1, 3, "6", 0, 1, 0 },
        { "HT information", With(open, [](Network& n) { n.elements = HtInformation(); }), 1, 3, "6", 0, 0, 1 },
        { "all three", With(open, [](Network& n) { n.privacy = 1; n.elements = Concat({ RsnPskAes(), WpsElement(), HtInformation() }); }), 1, 3, "6", 1, 1, 1 },
        { "5 GHz channel 36", With(open, [](Network& n) { n.freqKHz = 5180000; n.band = Ndis802_11OFDM5; }), 1, 2, "36", 0, 0, 0 },
        { "Japan 4.9 GHz", With(open, [](Network& n) { n.freqKHz = 5040000; n.band = Ndis802_11OFDM5; }), 1, 2, "J8", 0, 0, 0 },
        { "channel 14, DSSS", With(open, [](Network& n) { n.freqKHz = 2484000; n.band = Ndis802_11DS; }), 1, 1, "14", 0, 0, 0 },
        { "frequency off the table", With(open, [](Network& n) { n.freqKHz = 2500000; }), 1, 3, "", 0, 0, 0 },
        { "ad hoc", With(open, [](Network& n) { n.mode = Ndis802_11IBSS; }), 0, 3, "6", 0, 0, 0 },
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes e = MakeNetworkEntry(c.net);
        SurveyEntry r = MakeSurveyEntry(AsBss(e));
        EXPECT_EQ(0u, r.connected);
        EXPECT_EQ(c.type, r.networkTypeImage);
        EXPECT_EQ("Cafe", r.ssid.str());
        EXPECT_EQ(c.band, r.band);
        EXPECT_EQ(c.channel, r.channel.str());
        EXPECT_EQ(c.secured, r.secured);
        EXPECT_EQ(c.wps, r.wps);
        EXPECT_EQ(c.ht, r.highThroughput);
    }
}

TEST(SurveyRow, SsidBytesKeptExactlyAndNeverMoreThan32)
{
    Network n;
    n.ssid = std::string("A&B %s %d \xE9\xFF\x80", 14);
    SurveyEntry r = MakeSurveyEntry(AsBss(MakeNetworkEntry(n)));
    EXPECT_EQ(n.ssid, r.ssid.str());

    n.ssid = std::string(32, 'L');
    EXPECT_EQ(32, MakeSurveyEntry(AsBss(MakeNetworkEntry(n))).ssid.GetLength());

    n.ssidLength = 200;      // a driver claiming more than the field holds
    EXPECT_EQ(std::string(32, 'L'), MakeSurveyEntry(AsBss(MakeNetworkEntry(n))).ssid.str());

    n.ssid = "";              // hidden network
    n.ssidLength = ~0u;
    EXPECT_TRUE(MakeSurveyEntry(AsBss(MakeNetworkEntry(n))).ssid.IsEmpty());
}

TEST(SurveySignal, OutOfRangeReadingsHeldAtTheEnds)
{
    const struct { LONG rssi; int shown; } cases[] = {
        { -50, -50 }, { -20, -20 }, { 0, 0 }, { -100, -100 }, { -90, -90 },
        { -101, -100 }, { -202, -100 }, { -32768, -100 }, { LONG_MIN, -100 },
        { 1, 0 }, { 101, 0 }, { LONG_MAX, 0 },
    };
    for (const auto& c : cases) EXPECT_EQ(c.shown, SurveySignal(c.rssi)) << c.rssi;
}

TEST(SurveySignal, TextInBothUnitsAndBarColour)
{
    const struct { int signal; const char* dbm; const char* percent; COLORREF bar; } cases[] = {
        { -20, "-20 dBm", "100%", 0xC87814 },
        { -100, "-100 dBm", "0%", 0x2828F0 },
        { -60, "-60 dBm", "76%", 0xC87814 },     // (-60 + 80) x 2.6 + 24 = 76
        { -61, "-61 dBm", "73%", 0x46F064 },
        { -70, "-70 dBm", "50%", 0x32E6FA },
        { -80, "-80 dBm", "24%", 0x2828F0 },
        { 0, "0 dBm", "100%", 0xC87814 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        EXPECT_EQ(c.dbm, SurveySignalText(c.signal, TRUE).str());
        EXPECT_EQ(c.percent, SurveySignalText(c.signal, FALSE).str());
        EXPECT_EQ(c.bar, SurveyBarColour(RssiToPercent(c.signal)));
    }
    const struct { int percent; COLORREF bar; } edges[] = {
        { 76, 0xC87814 }, { 75, 0x46F064 }, { 51, 0x46F064 }, { 50, 0x32E6FA },
        { 26, 0x32E6FA }, { 25, 0x2828F0 }, { 0, 0x2828F0 },
    };
    for (const auto& c : edges) EXPECT_EQ(c.bar, SurveyBarColour(c.percent)) << c.percent;
}

// ---- The walk over a list -------------------------------------------------

Network Named(const std::string& ssid, LONG rssi = -50, DWORD freq = 2437000, BYTE mac = 0)
{
    Network n;
    n.ssid = ssid;
    n.rssi = rssi;
    n.freqKHz = freq;
    n.lastMacByte = mac;
    return n;
}

TEST(SurveyRecords, DamagedListsEndTheWalkWithoutOverrun)
{
    auto entryAt = [](ScanList& s, int index) {
        return (NDIS_WLAN_BSSID_EX*)SurveyRecords(s.List())[index];
    };
    const struct {
        const char* name;
        void (*damage)(ScanList&, NDIS_WLAN_BSSID_EX* second);
        size_t rows;
    } cases[] = {
        { "intact", [](ScanList&, NDIS_WLAN_BSSID_EX*) {}, 3 },
        { "Length 0", [](ScanList&, NDIS_WLAN_BSSID_EX* e) { e->Length = 0; }, 1 },
        { "Length below 116 + IELength", [](ScanList&, NDIS_WLAN_BSSID_EX* e) { e->Length -= 1; }, 1 },
        { "IELength past Length", [](ScanList&, NDIS_WLAN_BSSID_EX* e) { e->IELength = 0xFFFFFFF0; }, 1 },
        { "Length past 64 KB", [](ScanList&, NDIS_WLAN_BSSID_EX* e) { e->Length = 0x7FFFFFFF; }, 1 },
        { "count larger than the entries", [](ScanList& s, NDIS_WLAN_BSSID_EX*) { s.List()->NumberOfItems = 0xFFFFFFFF; }, 3 },
        { "count smaller", [](ScanList& s, NDIS_WLAN_BSSID_EX*) { s.List()->NumberOfItems = 2; }, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScanList s;
        s.Add(Named("one"));
        s.Add(Named("two"));
        s.Add(Named("three"));
        c.damage(s, entryAt(s, 1));
        EXPECT_EQ(c.rows, Rows(s.List()).size());
    }
    EXPECT_TRUE(SurveyRecords(nullptr).empty());
}

TEST(SurveyRecords, AListFilledTo64KbShowsEveryWholeEntry)
{
    ScanList s;
    size_t added = 0;
    for (int i = 0; i < 512; ++i)
        if (s.Add(Named(std::string(32, (char)('A' + i % 26)), -40 - i % 60, 2412000 + 5000 * (i % 13), (BYTE)i))) ++added;
    ASSERT_GT(added, 300u);
    s.List()->NumberOfItems = 512;   // the driver counts networks that did not fit
    std::vector<SurveyEntry> rows = Rows(s.List());
    EXPECT_EQ(added, rows.size());
    for (const SurveyEntry& r : rows) EXPECT_EQ(32, r.ssid.GetLength());
}

// ---- The sort ---------------------------------------------------------------

struct SortCase {
    const char* name;
    int key;
    std::vector<Network> list;
    std::vector<std::string> expected;
};

TEST(SortBssidList, ByEachKeyEqualKeysKeepListOrder)
{
    const SortCase cases[] = {
        { "SSID, ascending", SURVEY_SORT_SSID,
          { Named("delta"), Named("Alpha"), Named("charlie"), Named("Bravo") },
          { "Alpha", "Bravo", "charlie", "delta" } },
        { "SSID, letter case alone makes no order", SURVEY_SORT_SSID,
          { Named("home"), Named("HOME"), Named("Home"), Named("a") },
          { "a", "home", "HOME", "Home" } },
        { "SSID, the hidden network first", SURVEY_SORT_SSID,
          { Named("b"), Named(""), Named("a") },
          { "", "a", "b" } },
        { "channel, ascending; equal channels keep order", SURVEY_SORT_CHANNEL,
          { Named("c11", -50, 2462000), Named("c1", -50, 2412000), Named("c36", -50, 5180000),
            Named("c6a", -50, 2437000), Named("c6b", -50, 2437000) },
          { "c1", "c6a", "c6b", "c11", "c36" } },
        { "channel, off the table first", SURVEY_SORT_CHANNEL,
          { Named("c6", -50, 2437000), Named("off", -50, 2500000) },
          { "off", "c6" } },
        { "signal, strongest first; equal RSSI keep order", SURVEY_SORT_SIGNAL,
          { Named("weak", -85), Named("eq1", -60), Named("strong", -30), Named("eq2", -60), Named("eq3", -60) },
          { "strong", "eq1", "eq2", "eq3", "weak" } },
        { "signal, out-of-range readings sort as shown", SURVEY_SORT_SIGNAL,
          { Named("m101", -101), Named("m100", -100), Named("plus", 40), Named("zero", 0) },
          { "plus", "zero", "m101", "m100" } },
        { "single network", SURVEY_SORT_SIGNAL, { Named("only") }, { "only" } },
    };
    for (const SortCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScanList s;
        for (const Network& n : c.list) ASSERT_TRUE(s.Add(n));
        SortBssidList(s.List(), nullptr, c.key);
        EXPECT_EQ(c.expected, Ssids(s.List()));
        EXPECT_EQ(c.list.size(), s.List()->NumberOfItems);
    }
}

TEST(SortBssidList, LastSeenTimesMoveWithTheirEntries)
{
    ScanList s;
    FILETIME seen[8] = {};
    const char* names[] = { "c", "a", "b" };
    for (DWORD i = 0; i < 3; ++i) {
        s.Add(Named(names[i], -50, 2437000, (BYTE)i));
        seen[i].dwLowDateTime = 100 + i;          // c 100, a 101, b 102
    }
    SortBssidList(s.List(), seen, SURVEY_SORT_SSID);
    EXPECT_EQ((std::vector<std::string>{ "a", "b", "c" }), Ssids(s.List()));
    EXPECT_EQ(101u, seen[0].dwLowDateTime);
    EXPECT_EQ(102u, seen[1].dwLowDateTime);
    EXPECT_EQ(100u, seen[2].dwLowDateTime);
}

TEST(SortBssidList, MoreThan256NetworksAndADamagedTail)
{
    ScanList s;
    int added = 0;
    for (int i = 0; i < 400 && s.Add(Named("n" + std::to_string(1000 - i), -50, 2437000, (BYTE)i)); ++i) ++added;
    ASSERT_GT(added, 256);
    SortBssidList(s.List(), nullptr, SURVEY_SORT_SSID);
    std::vector<std::string> ssids = Ssids(s.List());
    ASSERT_EQ((size_t)added, ssids.size());
    EXPECT_TRUE(std::is_sorted(ssids.begin(), ssids.end()));

    // A list whose third entry is damaged keeps the two whole ones, and says so.
    ScanList d;
    d.Add(Named("z"));
    d.Add(Named("y"));
    d.Add(Named("x"));
    ((NDIS_WLAN_BSSID_EX*)SurveyRecords(d.List())[2])->Length = 3;
    SortBssidList(d.List(), nullptr, SURVEY_SORT_SSID);
    EXPECT_EQ((std::vector<std::string>{ "y", "z" }), Ssids(d.List()));
    EXPECT_EQ(2u, d.List()->NumberOfItems);

    ScanList empty;
    SortBssidList(empty.List(), nullptr, SURVEY_SORT_SSID);
    SortBssidList(nullptr, nullptr, SURVEY_SORT_SSID);
    EXPECT_EQ(0u, empty.List()->NumberOfItems);
}

} // namespace
