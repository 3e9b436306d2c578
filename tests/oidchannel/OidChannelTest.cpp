// The OID channel against the installed simulated driver: what the driver
// received is read back from its request log.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "core/OidChannel.h"
#include "sim/client/SimTestSupport.h"
#include "support/TimerRecorder.h"
#include "support/Wait.h"

extern int g_nOsVersion;

using kqsim::LogEntry;

namespace {

// Pumps until no retry is pending (thread timers fire only while pumping).
bool PumpUntilNoRetries(DWORD maxMs)
{
    return kqtest::WaitFor([] { return OidRetryPendingCount() == 0; }, maxMs);
}

std::vector<UINT_PTR> PendingTimers()
{
    std::vector<UINT_PTR> ids;
    for (size_t i = 0; i < OidRetryPendingCount(); ++i) ids.push_back(OidRetryPendingAt(i)->timerId);
    return ids;
}

// The retry timers fired directly, as their 500 ms period would fire them:
// `rounds` times each pending record's procedure runs once.
void FireRetryTimers(int rounds = 1)
{
    for (int r = 0; r < rounds; ++r)
        for (UINT_PTR id : PendingTimers()) OidRetryTimerProc(nullptr, WM_TIMER, id, GetTickCount());
}

// A thread timer that still exists can be killed; one already killed cannot.
bool TimerStillSet(UINT_PTR id) { return KillTimer(nullptr, id) != FALSE; }

const DWORD kNoQuery = 0;
const DWORD kNoSet = 0xFFFFFFFF;

struct OidCase {
    DWORD oid;
    const char* name;
    DWORD querySize;   // kNoQuery: set only
    DWORD setSize;     // kNoSet: query only; 0: a set without data
    bool shortOk;      // a shorter buffer gets what fits
};

#define ROW(oid, q, s, sh) {oid, #oid, q, s, sh}
const OidCase kCatalogue[] = {
    ROW(OID_GEN_DRIVER_VERSION, 2, kNoSet, false),
    ROW(OID_GEN_MEDIA_CONNECT_STATUS, 4, kNoSet, false),
    ROW(OID_GEN_RCV_OK, 4, kNoSet, false),
    ROW(OID_GEN_RCV_NO_BUFFER, 4, kNoSet, false),
    ROW(OID_802_3_CURRENT_ADDRESS, 6, kNoSet, false),
    ROW(OID_802_11_BSSID, 6, 6, false),
    ROW(OID_802_11_SSID, 36, 36, false),
    ROW(OID_802_11_INFRASTRUCTURE_MODE, 4, 4, false),
    ROW(OID_802_11_DISASSOCIATE, kNoQuery, 0, false),
    ROW(OID_802_11_AUTHENTICATION_MODE, 4, 4, false),
    ROW(OID_802_11_BSSID_LIST_SCAN, kNoQuery, 0, false),
    ROW(OID_802_11_WEP_STATUS, 4, 4, false),
    ROW(OID_802_11_RELOAD_DEFAULTS, 4, 4, false),
    ROW(OID_802_11_ADD_KEY, kNoQuery, 44, false),
    ROW(OID_802_11_REMOVE_KEY, kNoQuery, 16, false),
    ROW(OID_802_11_NETWORK_TYPES_SUPPORTED, 20, kNoSet, true),
    ROW(OID_802_11_RSSI, 4, kNoSet, false),
    ROW(OID_802_11_FRAGMENTATION_THRESHOLD, 4, 4, false),
    ROW(OID_802_11_RTS_THRESHOLD, 4, 4, false),
    ROW(OID_802_11_DESIRED_RATES, 8, 8, false),
    ROW(OID_802_11_CONFIGURATION, 32, 32, false),
    ROW(OID_802_11_POWER_MODE, 4, 4, false),
    ROW(OID_802_11_STATISTICS, 176, kNoSet, true),
    ROW(OID_VENDOR_PREAMBLE, 4, 4, false),
    ROW(OID_VENDOR_LINK_STATUS, 20, kNoSet, false),
    ROW(OID_VENDOR_RESET_COUNTERS, kNoQuery, 0, false),
    ROW(OID_VENDOR_AC_POWER_CAM, 4, 4, false),
    ROW(OID_VENDOR_REGISTER_ACCESS, 12, 12, false),
    ROW(OID_VENDOR_COUNTRY_REGION, 4, 4, false),
    ROW(OID_VENDOR_RADIO_STATE, 4, 4, false),
    ROW(OID_VENDOR_R17_TUNING, 4, 4, false),
    ROW(OID_VENDOR_MAC_TABLE, 324, kNoSet, true),
    ROW(OID_VENDOR_WIRELESS_MODE, 4, 4, false),
    ROW(OID_VENDOR_ADVANCED_CONFIG, 32, 32, false),
    ROW(OID_VENDOR_TX_POWER, 4, 4, false),
    ROW(OID_VENDOR_EEPROM_VERSION, 4, kNoSet, false),
    ROW(OID_VENDOR_NOISE, 4, kNoSet, false),
    ROW(OID_VENDOR_RX_RATE, 4, kNoSet, false),
    ROW(OID_VENDOR_TX_RATE, 4, kNoSet, false),
    ROW(OID_VENDOR_EXTRA_INFO, 4, kNoSet, false),
    ROW(OID_VENDOR_CCX_CONTROL, 4, 4, false),
    ROW(OID_VENDOR_IP_ADDRESS, 4, kNoSet, false),
    ROW(OID_VENDOR_RF_TUNING, 20, 20, false),
    ROW(OID_VENDOR_BBP_TUNING, 4, 4, false),
    ROW(OID_VENDOR_RSSI_1, 4, kNoSet, false),
    ROW(OID_VENDOR_OP_MODE, 4, 4, false),
    ROW(OID_VENDOR_RATE_SETS, 26, 26, false),
    ROW(OID_VENDOR_FIRMWARE_VERSION, 4, kNoSet, false),
    ROW(OID_VENDOR_WMM_CAPABILITY, 4, 4, false),
    ROW(OID_VENDOR_WMM_OPTION, 1, 1, true),
    ROW(OID_VENDOR_DLS_CAPABILITY, 4, 4, false),
    ROW(OID_VENDOR_DLS_LINK, 48, 12, false),
    ROW(OID_VENDOR_ICV_ERROR, 4, kNoSet, false),
    ROW(OID_VENDOR_RSSI_2, 4, kNoSet, false),
    ROW(OID_VENDOR_SNR_0, 4, kNoSet, false),
    ROW(OID_VENDOR_SNR_1, 4, kNoSet, false),
    ROW(OID_VENDOR_BA_CAPABILITY, 8, 8, false),
    ROW(OID_VENDOR_BA_TABLE, 3076, 14, true),
    ROW(OID_VENDOR_LEAP, 4, 4, false),
    ROW(OID_VENDOR_BA_DELETE, kNoQuery, 14, false),
    ROW(OID_VENDOR_HT_PHY, 12, 12, false),
    ROW(OID_VENDOR_WSC_START, 56, 56, false),
    ROW(OID_VENDOR_WSC_STATUS, 4, kNoSet, false),
    ROW(OID_VENDOR_WSC_CREDENTIALS, 996, 996, false),
    ROW(OID_VENDOR_WSC_IN_USE, 4, 4, false),
    ROW(OID_VENDOR_WSC_OPTION_A, 4, 4, false),
    ROW(OID_VENDOR_WSC_BUTTON, 4, kNoSet, false),
    ROW(OID_VENDOR_WSC_OPTION_B, 4, 4, false),
};
#undef ROW

// Set data that every OID accepts; ADD_KEY and REMOVE_KEY need real records.
std::vector<BYTE> SetData(const OidCase& c)
{
    std::vector<BYTE> d(c.setSize == kNoSet ? 0 : c.setSize, 0);
    for (size_t i = 0; i < d.size(); ++i) d[i] = (BYTE)(i * 7 + 1);
    if (c.oid == OID_802_11_ADD_KEY) {
        std::memset(d.data(), 0, d.size());
        DWORD hdr[3] = {44, 0x80000000u, 5};
        std::memcpy(d.data(), hdr, 12);
        std::memset(d.data() + 12, 0xFF, 6);
        std::memcpy(d.data() + 32, "\x01\x23\x45\x67\x89", 5);
    } else if (c.oid == OID_802_11_REMOVE_KEY) {
        std::memset(d.data(), 0, d.size());
        d[0] = 16;
        std::memset(d.data() + 8, 0xFF, 6);
    } else if (c.oid == OID_802_11_SSID) {
        std::memset(d.data(), 0, d.size());
    } else if (c.oid == OID_VENDOR_BA_TABLE) {
        d[7] = 5;   // a session is on one of the TIDs 0-7
    }
    return d;
}

class OidChannelTest : public ::testing::Test {
protected:
    static kqsim::SimClient& client() { return kqsim::SharedTestClient(); }

    void SetUp() override
    {
        ASSERT_TRUE(client().IsOpen()) << "the simulated driver's control device does not open "
                                          "(is sim/install-standins.sh run in this prefix?)";
        air.reset(new kqsim::AirGuard(client()));
        adapter.reset(new kqsim::TestAdapter(client(), 1));
        ASSERT_TRUE(adapter->ok());
        std::strcpy(g_szDevicePath, adapter->DevicePath().c_str());
        g_nOsVersion = 11;
        SetOidRetryThread(GetCurrentThreadId());
        ClearOidRetryList();
        ASSERT_TRUE(client().NextSeq(mark));
    }

    void TearDown() override
    {
        ClearOidRetryList();
        adapter.reset();
        air.reset();
    }

    std::vector<LogEntry> Log() { return kqsim::AdapterLog(client(), adapter->guid(), mark); }

    // Every device handle opened on the adapter was closed again.
    void ExpectEveryHandleClosed()
    {
        kqsim::AdapterState s;
        ASSERT_TRUE(client().GetAdapter(adapter->guid(), s));
        EXPECT_EQ(0u, s.openHandles);
        EXPECT_EQ(s.creates, s.closes);
    }

    std::vector<LogEntry> Sets(DWORD oid)
    {
        std::vector<LogEntry> out;
        for (const LogEntry& e : Log())
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == (oid & ~OID_VENDOR_SET_FLAG)) out.push_back(e);
        return out;
    }

    std::unique_ptr<kqsim::AirGuard> air;
    std::unique_ptr<kqsim::TestAdapter> adapter;
    DWORD mark = 0;
};

TEST_F(OidChannelTest, EveryCatalogueOidAnswersWithItsPayloadSize)
{
    for (const OidCase& c : kCatalogue) {
        SCOPED_TRACE(c.name);
        if (c.querySize != kNoQuery) {
            std::vector<BYTE> buf(c.querySize + 16, 0xCD);
            DWORD returned = 0xFFFF;
            EXPECT_TRUE(QueryOid(c.oid, buf.data(), c.querySize, &returned));
            EXPECT_EQ(c.querySize, returned);
        }
        if (c.setSize != kNoSet) {
            std::vector<BYTE> data = SetData(c);
            DWORD returned = 0xFFFF;
            EXPECT_TRUE(SetOid(c.oid, data.empty() ? nullptr : data.data(), (DWORD)data.size(), &returned, 1));
            std::vector<LogEntry> sets = Sets(c.oid);
            ASSERT_EQ(1u, sets.size());
            EXPECT_EQ(c.oid | OID_VENDOR_SET_FLAG, sets[0].oid);
            EXPECT_EQ(c.setSize, sets[0].bufLen);
        }
    }
}

TEST_F(OidChannelTest, BssidListAnswersAChainOfEntriesThatFillsTheReply)
{
    std::vector<BYTE> buf(65536, 0);
    DWORD returned = 0;
    ASSERT_TRUE(QueryOid(OID_802_11_BSSID_LIST, buf.data(), (DWORD)buf.size(), &returned));
    ASSERT_GE(returned, 4u);
    DWORD count = 0, offset = 4;
    std::memcpy(&count, buf.data(), 4);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = 0, ieLength = 0;
        ASSERT_LE(offset + 116, returned);
        std::memcpy(&length, buf.data() + offset, 4);
        std::memcpy(&ieLength, buf.data() + offset + 112, 4);
        EXPECT_GE(length, 116 + ieLength);
        offset += length;
    }
    EXPECT_EQ(returned, offset);
    size_t visible = 0;
    for (const KQSIM_NETWORK& n : air->saved()) visible += (n.flags & KQSIM_NET_VISIBLE) != 0;
    EXPECT_EQ(visible, count);
}

TEST_F(OidChannelTest, QueryIntoTooSmallBufferFailsCleanly)
{
    for (const OidCase& c : kCatalogue) {
        if (c.querySize == kNoQuery || c.querySize < 2) continue;
        SCOPED_TRACE(c.name);
        DWORD len = c.shortOk ? c.querySize / 2 : c.querySize - 1;
        std::vector<BYTE> buf(c.querySize + 16, 0xCD);
        DWORD returned = 0xFFFF;
        bool ok = QueryOid(c.oid, buf.data(), len, &returned);
        if (c.shortOk) {
            EXPECT_TRUE(ok);
            EXPECT_EQ(len, returned);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(0u, returned);
        }
        for (size_t i = c.shortOk ? len : 0; i < buf.size(); ++i)
            ASSERT_EQ(0xCD, buf[i]) << "byte " << i << " written";
    }
    // a list that does not fit fails too
    ASSERT_TRUE(client().PutNetwork(kqsim::MakeNetwork("Small", "00:11:22:33:66:01", 1, -50, KQSIM_SEC_OPEN)));
    BYTE small[8];
    DWORD returned = 0;
    EXPECT_FALSE(QueryOid(OID_802_11_BSSID_LIST, small, sizeof(small), &returned));
}

TEST_F(OidChannelTest, SetReachesTheDriverWithItsData)
{
    for (int os : {11, 10}) {
        SCOPED_TRACE(os);
        g_nOsVersion = os;
        client().NextSeq(mark);
        BYTE ssid[36] = {0};
        ssid[0] = 11;
        std::memcpy(ssid + 4, "Kestiq-Open", 11);
        DWORD returned = 0;
        EXPECT_TRUE(SetOid(OID_802_11_SSID, ssid, sizeof(ssid), &returned, 3));
        std::vector<LogEntry> log = Log();
        ASSERT_EQ(3u, log.size());
        EXPECT_EQ(KQSIM_LOG_CREATE, log[0].kind);
        EXPECT_EQ(KQSIM_LOG_SET, log[1].kind);
        EXPECT_EQ(KQSIM_LOG_CLOSE, log[2].kind);
        EXPECT_EQ(0x0D810102u, log[1].oid);
        EXPECT_EQ(36u, log[1].bufLen);
        EXPECT_EQ(std::vector<BYTE>(ssid, ssid + 36), log[1].data);
        EXPECT_EQ(0u, OidRetryPendingCount());
    }
}

TEST_F(OidChannelTest, EveryRequestOpensAndClosesTheDevice)
{
    DWORD v = 0, returned = 0;
    ASSERT_TRUE(QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4, &returned));
    ASSERT_TRUE(SetOid(OID_VENDOR_PREAMBLE, &v, 4, &returned, 3));
    ASSERT_TRUE(IsAdapterPresent());
    const int expected[] = {KQSIM_LOG_CREATE, KQSIM_LOG_QUERY, KQSIM_LOG_CLOSE, KQSIM_LOG_CREATE,
                            KQSIM_LOG_SET,    KQSIM_LOG_CLOSE, KQSIM_LOG_CREATE, KQSIM_LOG_CLOSE};
    std::vector<LogEntry> log = Log();
    ASSERT_EQ(sizeof(expected) / sizeof(expected[0]), log.size());
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(expected[i], log[i].kind) << "entry " << i;
        if (i) {
            EXPECT_GT(log[i].seq, log[i - 1].seq);
        }
    }
    kqsim::AdapterState s;
    ASSERT_TRUE(client().GetAdapter(adapter->guid(), s));
    EXPECT_EQ(0u, s.openHandles);
}

// The one test of the retry timer's real period; the others fire it directly.
TEST_F(OidChannelTest, FailedSetIsRetriedEvery500MsUntilItGoesThrough)
{
    ASSERT_TRUE(client().FailNext(adapter->guid(), OID_802_11_RTS_THRESHOLD, 2, KQSIM_KIND_SET));
    DWORD value = 2000, returned = 0;
    kqtest::TimerRecorder timers;
    ASSERT_TRUE(timers.ok());
    EXPECT_FALSE(SetOid(OID_802_11_RTS_THRESHOLD, &value, 4, &returned, 3));
    ASSERT_EQ(1u, OidRetryPendingCount());
    const OidRetryRecord* r = OidRetryPendingAt(0);
    EXPECT_EQ(0x0D81020Au, r->oid);
    EXPECT_EQ(4u, r->size);
    EXPECT_EQ(2, r->triesLeft);
    ASSERT_NE(nullptr, r->data);
    EXPECT_NE((void*)&value, r->data);
    value = 1;   // the caller's buffer may change or go away: the retry sends its copy

    EXPECT_TRUE(PumpUntilNoRetries(30000));
    EXPECT_EQ(0u, OidRetryPendingCount());
    std::vector<LogEntry> sets = Sets(OID_802_11_RTS_THRESHOLD);
    ASSERT_EQ(3u, sets.size());
    const BYTE sent[4] = {0xD0, 0x07, 0, 0};
    for (size_t i = 0; i < sets.size(); ++i) {
        EXPECT_EQ(std::vector<BYTE>(sent, sent + 4), sets[i].data) << "attempt " << i;
        EXPECT_EQ(i < 2, sets[i].status < 0) << "attempt " << i;
    }
    // However late this thread takes the timer's events, none comes early:
    // the n-th retry is at least n periods after the first try (less what
    // the driver's millisecond clock and the timer's may differ).
    for (size_t i = 1; i < sets.size(); ++i) {
        DWORD since = sets[i].timeMs - sets[0].timeMs;
        EXPECT_GE(since, 500u * i - 25) << "attempt " << i;
    }
    // The period as the channel asks for it, which no load can stretch.
    ASSERT_FALSE(timers.starts.empty());
    for (const auto& t : timers.starts) EXPECT_EQ(500u, t.ms);
    ExpectEveryHandleClosed();
}

TEST_F(OidChannelTest, SetThatKeepsFailingIsDroppedAfterItsTries)
{
    ASSERT_TRUE(client().FailAlways(adapter->guid(), OID_VENDOR_TX_POWER, KQSIM_KIND_SET));
    DWORD value = 50, returned = 0;
    EXPECT_FALSE(SetOid(OID_VENDOR_TX_POWER, &value, 4, &returned, 3));
    std::vector<UINT_PTR> timers = PendingTimers();
    ASSERT_EQ(1u, timers.size());
    FireRetryTimers();
    EXPECT_EQ(1u, OidRetryPendingCount()) << "one try left";
    FireRetryTimers();
    EXPECT_EQ(0u, OidRetryPendingCount());
    EXPECT_FALSE(TimerStillSet(timers[0])) << "the dropped record's timer runs on";
    EXPECT_EQ(3u, Sets(OID_VENDOR_TX_POWER).size());
    ExpectEveryHandleClosed();
}

TEST_F(OidChannelTest, TriesOfOneOrLessNeverQueueARetry)
{
    for (int tries : {1, 0, -1}) {
        SCOPED_TRACE(tries);
        client().NextSeq(mark);
        ASSERT_TRUE(client().FailNext(adapter->guid(), OID_802_11_ADD_KEY, 1, KQSIM_KIND_SET));
        std::vector<BYTE> key = SetData(kCatalogue[13]);
        DWORD returned = 0;
        EXPECT_FALSE(SetOid(OID_802_11_ADD_KEY, key.data(), (DWORD)key.size(), &returned, tries));
        EXPECT_EQ(0u, OidRetryPendingCount());
        EXPECT_EQ(1u, Sets(OID_802_11_ADD_KEY).size());
    }
}

TEST_F(OidChannelTest, ZeroSizeFailedSetHoldsNoDataCopy)
{
    ASSERT_TRUE(client().FailNext(adapter->guid(), OID_802_11_DISASSOCIATE, 1, KQSIM_KIND_SET));
    DWORD returned = 0;
    EXPECT_FALSE(SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, &returned, 3));
    ASSERT_EQ(1u, OidRetryPendingCount());
    EXPECT_EQ(nullptr, OidRetryPendingAt(0)->data);
    EXPECT_EQ(0u, OidRetryPendingAt(0)->size);
    FireRetryTimers();
    EXPECT_EQ(0u, OidRetryPendingCount());
    std::vector<LogEntry> sets = Sets(OID_802_11_DISASSOCIATE);
    ASSERT_EQ(2u, sets.size());
    EXPECT_EQ(0u, sets[1].bufLen);
    EXPECT_GE(sets[1].status, 0);
}

TEST_F(OidChannelTest, AdapterGoneWhileRetriesPendDropsThemAllAtTheNextTick)
{
    for (bool removeIt : {false, true}) {
        SCOPED_TRACE(removeIt ? "removed" : "vanished");
        ASSERT_TRUE(client().FailAlways(adapter->guid(), OID_VENDOR_PREAMBLE, KQSIM_KIND_SET));
        ASSERT_TRUE(client().FailAlways(adapter->guid(), OID_802_11_SSID, KQSIM_KIND_SET));
        DWORD value = 2, returned = 0;
        BYTE ssid[36] = {4, 0, 0, 0, 'H', 'o', 'm', 'e'};
        EXPECT_FALSE(SetOid(OID_VENDOR_PREAMBLE, &value, 4, &returned, 3));
        EXPECT_FALSE(SetOid(OID_802_11_SSID, ssid, 36, &returned, 3));
        ASSERT_EQ(2u, OidRetryPendingCount());
        std::vector<UINT_PTR> timers = PendingTimers();
        ASSERT_TRUE(removeIt ? client().RemoveAdapter(adapter->guid()) : client().Vanish(adapter->guid()));
        // The first timer to fire finds the device gone and drops every record.
        OidRetryTimerProc(nullptr, WM_TIMER, timers[0], GetTickCount());
        EXPECT_EQ(0u, OidRetryPendingCount());
        for (UINT_PTR id : timers) EXPECT_FALSE(TimerStillSet(id));
        adapter.reset();
        adapter.reset(new kqsim::TestAdapter(client(), 1));
        ASSERT_TRUE(adapter->ok());
    }
}

TEST_F(OidChannelTest, FailedSetOfAnotherThreadIsNotRetried)
{
    // that thread has no message loop: a timer of its own would never fire
    ASSERT_TRUE(client().FailNext(adapter->guid(), OID_802_11_SSID, 1, KQSIM_KIND_SET));
    BYTE ssid[36] = {4, 0, 0, 0, 'H', 'o', 'm', 'e'};
    BOOL result = TRUE;
    std::thread worker([&] {
        DWORD returned = 0;
        result = SetOid(OID_802_11_SSID, ssid, sizeof(ssid), &returned, 3);
    });
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(0u, OidRetryPendingCount());
    EXPECT_EQ(1u, Sets(OID_802_11_SSID).size());
}

TEST_F(OidChannelTest, NoAdapterMeansNoRequestAndNoRetry)
{
    std::strcpy(g_szDevicePath, "\\\\.\\{4B515445-5354-0000-0000-0000000000FF}");
    DWORD value = 0, returned = 7;
    EXPECT_FALSE(QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned));
    EXPECT_FALSE(SetOid(OID_VENDOR_PREAMBLE, &value, 4, &returned, 3));
    EXPECT_EQ(0u, OidRetryPendingCount());
    EXPECT_FALSE(IsAdapterPresent());
}

TEST_F(OidChannelTest, VanishedAdapterIsAbsentWhileTheControlPathWorks)
{
    EXPECT_TRUE(IsAdapterPresent());
    ASSERT_TRUE(client().Vanish(adapter->guid()));
    EXPECT_FALSE(IsAdapterPresent());
    DWORD value = 0, returned = 0;
    EXPECT_FALSE(QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned));
    kqsim::AdapterState s;
    ASSERT_TRUE(client().GetAdapter(adapter->guid(), s));
    EXPECT_EQ(0u, s.present);
    EXPECT_TRUE(client().AddMarker("still here"));

    ASSERT_TRUE(client().Return(adapter->guid()));
    EXPECT_TRUE(IsAdapterPresent());
    EXPECT_TRUE(QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned));
    EXPECT_EQ(4u, returned);
}

}  // namespace
