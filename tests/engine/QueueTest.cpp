// The connect-request list and the scan lists: merging rules, the order of
// the drain, the wait for a scan, the aged list of access points and
// damaged driver answers.
#include "engine/EngineFixture.h"

#include "core/StationConfig.h"
#include "core/ChannelTable.h"
#include "support/TimerRecorder.h"
#include "support/Wait.h"

namespace kqengine {
namespace {

StationConfig* OpenRecord(const char* ssid)
{
    StationConfig* r = AllocStationConfig();
    if (!r) return nullptr;
    r->ssid = Ssid(ssid);
    r->infrastructureMode = Ndis802_11Infrastructure;
    r->encryption = Ndis802_11EncryptionDisabled;
    r->disassociateFirst = 1;
    return r;
}

// A movable block that has been freed no longer has a valid handle.
bool Freed(HGLOBAL h) { return (GlobalFlags(h) & GMEM_INVALID_HANDLE) != 0; }

int CountSets(const std::vector<Req>& log, DWORD oid)
{
    int n = 0;
    for (const Req& r : log)
        if (r.kind == KQSIM_LOG_SET && r.oid == oid) ++n;
    return n;
}

std::vector<std::string> SsidSets(const std::vector<Req>& log)
{
    std::vector<std::string> out;
    for (const Req& r : log)
        if (r.kind == KQSIM_LOG_SET && r.oid == OID_802_11_SSID && r.data.size() >= 36) {
            DWORD len = 0;
            std::memcpy(&len, r.data.data(), 4);
            out.push_back(std::string((const char*)&r.data[4], len > 32 ? 32 : len));
        }
    return out;
}

using ConnectQueue = EngineTest;

TEST_F(ConnectQueue, TwoApplyRequestsBeforeTheEngineRunsApplyOnlyTheNewest)
{
    StationConfig* older = OpenRecord("Kestiq-WEP");
    StationConfig* newer = OpenRecord("Kestiq-Open");
    ASSERT_TRUE(older && newer);
    // The older one owns a key blob (shared key): it goes too.
    older->authMode = Ndis802_11AuthModeShared;
    BYTE key[5] = { 1, 2, 3, 4, 5 };
    ASSERT_TRUE(SetStationWepKey(older, 0, TRUE, key, 5));
    HGLOBAL olderRecord = GlobalHandle(older), olderBlob = GlobalHandle(older->wepKey[0].key);

    // A scan at the head keeps the engine waiting for timer 2.
    g_bSkipNextScan = TRUE;
    ConnectIfRequested();
    ASSERT_TRUE(g_bScanPending);
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, older));
    ASSERT_FALSE(Freed(olderRecord));
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, newer));
    EXPECT_TRUE(Freed(olderRecord));
    EXPECT_TRUE(Freed(olderBlob));
    ASSERT_EQ(2u, g_ConnectRequests.size());
    EXPECT_EQ((DWORD)CONNECT_APPLY, g_ConnectRequests[1].kind);
    EXPECT_EQ(newer, g_ConnectRequests[1].data);
    // The current profile is a copy of the newest request.
    ASSERT_TRUE(g_pCurProfile);
    EXPECT_NE(newer, g_pCurProfile);
    EXPECT_EQ(std::string("Kestiq-Open"), std::string((const char*)g_pCurProfile->ssid.Ssid));

    DWORD from = Mark();
    m_dlg.ConnectProfile();   // as timer 2 would
    std::vector<Req> log = RequestsSince(from);
    EXPECT_EQ(1, CountSets(log, OID_802_11_DISASSOCIATE));
    EXPECT_EQ(std::vector<std::string>{ "Kestiq-Open" }, SsidSets(log));
    EXPECT_TRUE(g_ConnectRequests.empty());
}

TEST_F(ConnectQueue, ApplyClearsTheAdapterChangedFlag)
{
    m_dlg.m_bAdapterChanged = TRUE;
    StationConfig* r = OpenRecord("Kestiq-Open");
    ASSERT_TRUE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, r));
    EXPECT_FALSE(m_dlg.m_bAdapterChanged);
    ClearConnectRequests();
}

TEST_F(ConnectQueue, ScansMergeIntoOne)
{
    EXPECT_TRUE(m_dlg.UpdateConnectRequest(CONNECT_SCAN, nullptr));
    EXPECT_TRUE(m_dlg.UpdateConnectRequest(CONNECT_SCAN, nullptr));
    EXPECT_EQ(1u, g_ConnectRequests.size());

    // A scan behind other requests replaces the older scan.
    NDIS_802_11_SSID s = Ssid("Kestiq-Open");
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_SSID, &s));
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_SCAN, nullptr));
    ASSERT_EQ(2u, g_ConnectRequests.size());
    EXPECT_EQ((DWORD)CONNECT_SSID, g_ConnectRequests[0].kind);
    EXPECT_EQ((DWORD)CONNECT_SCAN, g_ConnectRequests[1].kind);
    ResetEngine();

    // A scan that runs takes a new request in: one scan, and the result is
    // not taken before the scan is done.
    DWORD from = Mark();
    ConnectIfRequested();
    ASSERT_TRUE(g_bScanPending);
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_SCAN, nullptr));
    EXPECT_EQ(1u, g_ConnectRequests.size());
    EXPECT_TRUE(g_bScanPending);
    EXPECT_EQ(1, CountSets(RequestsSince(from), OID_802_11_BSSID_LIST_SCAN));
}

TEST_F(ConnectQueue, SsidAndBssidRequestsAreKeptInOrderAndCopied)
{
    g_bSkipNextScan = TRUE;
    ConnectIfRequested();
    NDIS_802_11_SSID a = Ssid("Kestiq-Open"), b = Ssid("Kestiq-WEP");
    BYTE bssid[6] = { 0x00, 0x11, 0x22, 0x33, 0x44, 0x01 };
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_SSID, &a));
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_BSSID, bssid));
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_SSID, &b));
    ASSERT_EQ(4u, g_ConnectRequests.size());
    // The caller's records may go: the list holds copies.
    a = Ssid("overwritten");
    std::memset(bssid, 0, sizeof(bssid));

    DWORD from = Mark();
    m_dlg.ConnectProfile();
    std::vector<Req> log = RequestsSince(from);
    EXPECT_EQ((std::vector<std::string>{ "Kestiq-Open", "Kestiq-WEP" }), SsidSets(log));
    std::vector<Req> joins;
    for (const Req& r : log)
        if (r.kind == KQSIM_LOG_SET && r.oid != OID_VENDOR_CCX_CONTROL) joins.push_back(r);
    ASSERT_EQ(3u, joins.size());
    EXPECT_EQ((DWORD)OID_802_11_BSSID, joins[1].oid);
    EXPECT_EQ(Bytes({ 0x00, 0x11, 0x22, 0x33, 0x44, 0x01 }), joins[1].data);
    // A join by SSID keeps the roaming settings; by BSSID they are rewritten.
    std::vector<DWORD> ccx;
    for (const Req& r : log)
        if (r.kind == KQSIM_LOG_SET && r.oid == OID_VENDOR_CCX_CONTROL) {
            DWORD w = 0;
            std::memcpy(&w, r.data.data(), 4);
            ccx.push_back(w);
        }
    EXPECT_EQ((std::vector<DWORD>{ 0, 0xFA00, 0 }), ccx);
    EXPECT_TRUE(g_ConnectRequests.empty());
}

TEST_F(ConnectQueue, BadRequestsAreRefused)
{
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, nullptr));
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_SSID, nullptr));
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(7, nullptr));
    EXPECT_TRUE(g_ConnectRequests.empty());
}

TEST_F(ConnectQueue, AScanHoldsTheQueueUntilItsResultIsTaken)
{
    StationConfig* r = OpenRecord("Kestiq-Open");
    DWORD from = Mark();
    ConnectIfRequested();
    EXPECT_FALSE(m_dlg.UpdateConnectRequest(CONNECT_APPLY, r));
    std::vector<Req> log = RequestsSince(from);
    EXPECT_TRUE(SameSequence({ S0(OID_802_11_BSSID_LIST_SCAN), Q(OID_VENDOR_WIRELESS_MODE) }, log));
    EXPECT_TRUE(KillTimer(m_dlg.m_hWnd, IDT_RECONNECT)) << "timer 2 waits for the scan";

    ASSERT_TRUE(WaitScanDone());
    from = Mark();
    m_dlg.SendMessage(WM_TIMER, IDT_RECONNECT);
    log = RequestsSince(from);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ((DWORD)OID_802_11_BSSID_LIST, log[0].oid);
    EXPECT_EQ((DWORD)OID_802_11_DISASSOCIATE, log[1].oid);
    EXPECT_EQ(std::vector<std::string>{ "Kestiq-Open" }, SsidSets(log));
    EXPECT_FALSE(g_bScanPending);
    EXPECT_TRUE(g_ConnectRequests.empty());
}

TEST_F(ConnectQueue, SkippedScanSendsNoScanButStillWaits)
{
    g_bSkipNextScan = TRUE;
    DWORD from = Mark();
    ConnectIfRequested();
    EXPECT_TRUE(SameSequence({ Q(OID_VENDOR_WIRELESS_MODE) }, RequestsSince(from)));
    EXPECT_FALSE(g_bSkipNextScan);
    EXPECT_TRUE(g_bScanPending);
    EXPECT_TRUE(KillTimer(m_dlg.m_hWnd, IDT_RECONNECT));
}

TEST_F(ConnectQueue, ScanWaitFollowsTheModeTheDriverReports)
{
    struct { DWORD mode; UINT ms; } cases[] = {
        { 0, 3000 }, { 1, 3000 }, { 2, 5000 }, { 3, 5000 }, { 4, 3000 },
        { 5, 5000 }, { 6, 3000 }, { 9, 3000 }, { 77, 3000 },
    };
    for (const auto& c : cases) EXPECT_EQ(c.ms, ScanWaitMs(c.mode)) << "mode " << c.mode;

    // The real timer 2: from the scan set to the list query.
    for (DWORD mode : { 5u, 4u }) {
        SCOPED_TRACE(testing::Message() << "driver answers mode " << mode);
        ResetEngine();
        ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_VENDOR_WIRELESS_MODE, &mode, sizeof(mode)));
        DWORD from = Mark();
        kqtest::TimerRecorder timers;
        ASSERT_TRUE(timers.ok());
        ConnectIfRequested();
        ASSERT_TRUE(g_bScanPending);
        ASSERT_TRUE(kqtest::WaitFor([] { return !g_bScanPending; }, 30000)) << "timer 2 never took the scan";
        DWORD scanAt = 0, listAt = 0;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, Guid(), from)) {
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_802_11_BSSID_LIST_SCAN) scanAt = e.timeMs;
            if (e.kind == KQSIM_LOG_QUERY && e.BaseOid() == OID_802_11_BSSID_LIST && !listAt) listAt = e.timeMs;
        }
        ASSERT_NE(0u, scanAt);
        ASSERT_NE(0u, listAt);
        UINT expected = ScanWaitMs(mode);
        // However late this thread takes the timer's event, it never comes early.
        EXPECT_GE(listAt - scanAt + 20, expected);
        // The period itself, as the engine asks for it: no load stretches it.
        std::vector<UINT> periods;
        for (const kqtest::TimerRecorder::Start& t : timers.starts)
            if (t.window == m_dlg.m_hWnd && t.id == IDT_RECONNECT) periods.push_back(t.ms);
        EXPECT_EQ(std::vector<UINT>{ expected }, periods);
    }
    m_sim.ClearOidAnswer(Guid(), OID_VENDOR_WIRELESS_MODE);
}

// ---- The aged scan list -------------------------------------------------------

class AgedList : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        if (HasFatalFailure()) return;
        // Two access points on 2.4 GHz channels and one on a 5 GHz channel.
        std::vector<KQSIM_NETWORK> air = {
            kqsim::MakeNetwork("Aged-A", "00:AA:00:00:00:01", 1, -50, KQSIM_SEC_OPEN),
            kqsim::MakeNetwork("Aged-B", "00:AA:00:00:00:02", 6, -60, KQSIM_SEC_OPEN),
            kqsim::MakeNetwork("Aged-C", "00:AA:00:00:00:03", 36, -60, KQSIM_SEC_OPEN),
        };
        ASSERT_TRUE(m_sim.LoadNetworks(air));
        std::memset(g_pBssidListCache, 0, BSSID_LIST_BUFFER_SIZE);
        g_nWirelessMode = 5;          // 2.4 and 5 GHz
        g_dwCountryRegion = 0x0000;   // channels 1-11 and 36-64, 149-165
    }
    // One scan and its result, as the queue and timer 2 run them.
    void Scan()
    {
        ResetEngine();
        ConnectIfRequested();
        ASSERT_TRUE(g_bScanPending);
        ASSERT_TRUE(WaitScanDone());
        KillTimer(m_dlg.m_hWnd, IDT_RECONNECT);
        m_dlg.ConnectProfile();
        ASSERT_FALSE(g_bScanPending);
    }
    // SSIDs of a list with their index.
    static std::vector<std::string> Names(const BssidListBuffer* list)
    {
        std::vector<std::string> out;
        for (const NDIS_WLAN_BSSID_EX* e : BssidListEntries(list, BSSID_LIST_BUFFER_SIZE))
            out.push_back(std::string((const char*)e->Ssid.Ssid, e->Ssid.SsidLength));
        return out;
    }
    static int IndexOf(const char* ssid)
    {
        std::vector<std::string> names = Names(g_pBssidListCache);
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == ssid) return (int)i;
        return -1;
    }
    static ULONGLONG Now()
    {
        FILETIME t;
        GetSystemTimeAsFileTime(&t);
        return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime;
    }
    static FILETIME At(ULONGLONG v)
    {
        FILETIME t;
        t.dwLowDateTime = (DWORD)v;
        t.dwHighDateTime = (DWORD)(v >> 32);
        return t;
    }
    static ULONGLONG Value(const FILETIME& t) { return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime; }
    void Hide(const char* bssid)
    {
        BYTE mac[6];
        kqsim::ParseMac(bssid, mac);
        ASSERT_TRUE(m_sim.SetNetworkVisible(mac, false));
    }
    static constexpr ULONGLONG kSecond = 10000000ull;
};

TEST_F(AgedList, AnAccessPointStaysFifteenSecondsAfterItWasLastSeen)
{
    Scan();
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-B", "Aged-C" }), Names(g_pBssidListCache));
    ULONGLONG now = Now();
    for (int i = 0; i < 3; ++i) EXPECT_LT(now - Value(g_BssidLastSeen[i]), 5 * kSecond);

    Hide("00:AA:00:00:00:02");
    int b = IndexOf("Aged-B");
    ASSERT_GE(b, 0);
    FILETIME tenAgo = At(Now() - 10 * kSecond);
    g_BssidLastSeen[b] = tenAgo;
    Scan();
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-C" }), Names(g_pBssidList)) << "the driver's answer";
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-C", "Aged-B" }), Names(g_pBssidListCache));
    b = IndexOf("Aged-B");
    ASSERT_EQ(2, b);
    EXPECT_EQ(Value(tenAgo), Value(g_BssidLastSeen[b])) << "an old entry keeps its last-seen time";

    g_BssidLastSeen[b] = At(Now() - 15 * kSecond);
    Scan();
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-C" }), Names(g_pBssidListCache));
}

TEST_F(AgedList, ChannelsTheModeDoesNotAllowGoAtOnce)
{
    Scan();
    ASSERT_EQ(3u, Names(g_pBssidListCache).size());
    g_nWirelessMode = 0;   // 2.4 GHz only: channel 36 is not allowed
    Scan();
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-B" }), Names(g_pBssidList));
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-B" }), Names(g_pBssidListCache));
}

TEST_F(AgedList, AgeIsMeasuredOnTheWholeTime)
{
    Scan();
    Hide("00:AA:00:00:00:02");
    Hide("00:AA:00:00:00:03");
    int b = IndexOf("Aged-B"), c = IndexOf("Aged-C");
    ASSERT_GE(b, 0);
    ASSERT_GE(c, 0);
    // 2^32 + 5 s ago: the low halves alone differ by 5 seconds.
    g_BssidLastSeen[b] = At(Now() - (1ull << 32) - 5 * kSecond);
    // A last-seen time in the future.
    g_BssidLastSeen[c] = At(Now() + 60 * kSecond);
    Scan();
    EXPECT_EQ(std::vector<std::string>{ "Aged-A" }, Names(g_pBssidListCache));
}

TEST_F(AgedList, TheMergedListStopsWhenTheBufferIsFull)
{
    // An aged list full of small entries seen a moment ago.
    std::vector<BYTE> buf(BSSID_LIST_BUFFER_SIZE, 0);
    BssidListBuffer* list = (BssidListBuffer*)buf.data();
    DWORD offset = FIELD_OFFSET(NDIS_802_11_BSSID_LIST_EX, Bssid);
    const DWORD size = FIELD_OFFSET(NDIS_WLAN_BSSID_EX, IEs) + 12;
    ULONG n = 0;
    FILETIME seen = At(Now() - kSecond);
    while (offset + size <= BSSID_LIST_BUFFER_SIZE) {
        NDIS_WLAN_BSSID_EX* e = (NDIS_WLAN_BSSID_EX*)(buf.data() + offset);
        e->Length = size;
        e->MacAddress[0] = 0x02;
        e->MacAddress[4] = (BYTE)(n >> 8);
        e->MacAddress[5] = (BYTE)n;
        e->Ssid.SsidLength = 4;
        std::memcpy(e->Ssid.Ssid, "Fill", 4);
        e->Configuration.DSConfig = 2437000;
        e->IELength = 12;
        g_BssidLastSeen[n] = seen;
        offset += size;
        ++n;
    }
    list->NumberOfItems = n;
    std::memcpy(g_pBssidListCache, buf.data(), buf.size());

    Scan();
    std::vector<const NDIS_WLAN_BSSID_EX*> merged = BssidListEntries(g_pBssidListCache, BSSID_LIST_BUFFER_SIZE);
    ASSERT_GE(merged.size(), 3u);
    EXPECT_LT(merged.size(), (size_t)n + 3);
    // The fresh scan comes first; old entries fill what is left.
    std::vector<std::string> names = Names(g_pBssidListCache);
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-B", "Aged-C" }),
              std::vector<std::string>(names.begin(), names.begin() + 3));
    const BYTE* end = (const BYTE*)merged.back() + merged.back()->Length;
    EXPECT_LE(end - (const BYTE*)g_pBssidListCache, BSSID_LIST_BUFFER_SIZE);
}

// ---- Damaged scan lists ----------------------------------------------------------

std::vector<BYTE> ListOf(const std::vector<std::pair<DWORD, DWORD>>& entries, ULONG count)
{
    // entries: {Length, IELength}
    std::vector<BYTE> buf(BSSID_LIST_BUFFER_SIZE, 0);
    ((BssidListBuffer*)buf.data())->NumberOfItems = count;
    DWORD offset = FIELD_OFFSET(NDIS_802_11_BSSID_LIST_EX, Bssid);
    for (auto [length, ie] : entries) {
        if (offset + 120 > buf.size()) break;
        NDIS_WLAN_BSSID_EX* e = (NDIS_WLAN_BSSID_EX*)(buf.data() + offset);
        e->Length = length;
        e->IELength = ie;
        e->Configuration.DSConfig = 2412000;
        e->MacAddress[5] = (BYTE)(offset & 0xFF);
        if (length == 0 || length > buf.size() - offset) break;
        offset += length;
    }
    return buf;
}

TEST(BssidListWalk, StopsAtTheFirstDamagedEntry)
{
    struct {
        const char* name;
        std::vector<std::pair<DWORD, DWORD>> entries;
        ULONG count;
        DWORD bytes;
        size_t expected;
    } cases[] = {
        { "well formed", { { 128, 12 }, { 140, 24 } }, 2, 65536, 2 },
        { "count above the entries", { { 128, 12 }, { 128, 12 } }, 1000000, 65536, 2 },
        { "count below the entries", { { 128, 12 }, { 128, 12 } }, 1, 65536, 1 },
        { "Length 0 would loop", { { 128, 12 }, { 0, 0 } }, 5, 65536, 1 },
        { "Length below the fixed part", { { 100, 0 } }, 1, 65536, 0 },
        { "elements longer than the entry", { { 128, 12 }, { 128, 13 } }, 2, 65536, 1 },
        { "huge IELength", { { 128, 0xFFFFFFF0 } }, 1, 65536, 0 },
        { "entry past the bytes returned", { { 128, 12 }, { 128, 12 } }, 2, 4 + 128 + 100, 1 },
        { "entry past 64 KB", { { 128, 12 }, { 70000, 12 } }, 2, 65536, 1 },
        { "answer shorter than the header", { { 128, 12 } }, 1, 3, 0 },
    };
    for (const auto& c : cases) {
        std::vector<BYTE> buf = ListOf(c.entries, c.count);
        EXPECT_EQ(c.expected, BssidListEntries((const BssidListBuffer*)buf.data(), c.bytes).size()) << c.name;
    }
    EXPECT_TRUE(BssidListEntries(nullptr, 65536).empty());
}

TEST_F(AgedList, ADamagedDriverAnswerKeepsItsWholeEntriesOnly)
{
    // The driver answers with a list whose third entry claims Length 0.
    std::vector<BYTE> answer = ListOf({ { 128, 12 }, { 128, 12 }, { 0, 0 } }, 3);
    for (DWORD offset : { 4u, 132u }) {
        NDIS_WLAN_BSSID_EX* e = (NDIS_WLAN_BSSID_EX*)(answer.data() + offset);
        e->Ssid.SsidLength = 4;
        std::memcpy(e->Ssid.Ssid, offset == 4 ? "Rx-1" : "Rx-2", 4);
    }
    answer.resize(4 + 128 + 128 + 120);
    ASSERT_TRUE(m_sim.SetOidAnswer(Guid(), OID_802_11_BSSID_LIST, answer.data(), (DWORD)answer.size()));
    Scan();
    EXPECT_EQ((std::vector<std::string>{ "Rx-1", "Rx-2" }), Names(g_pBssidList));
    EXPECT_EQ((std::vector<std::string>{ "Rx-1", "Rx-2" }), Names(g_pBssidListCache));
    m_sim.ClearOidAnswer(Guid(), OID_802_11_BSSID_LIST);
}

TEST_F(AgedList, FilterKeepsTheAllowedChannelsInOrder)
{
    Scan();
    const BYTE channels[] = { 1, 36 };
    FilterBssidListByChannel(channels, 2);
    EXPECT_EQ((std::vector<std::string>{ "Aged-A", "Aged-C" }), Names(g_pBssidList));
    FilterBssidListByChannel(channels, 0);
    EXPECT_TRUE(Names(g_pBssidList).empty());
    EXPECT_EQ(0u, g_pBssidList->NumberOfItems);
}

}  // namespace
}  // namespace kqengine
