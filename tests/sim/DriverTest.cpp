// The simulated adapter driver, through its device and its control path.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <atomic>
#include <memory>
#include <thread>
#include <sstream>
#include <vector>

#include "sim/client/SimTestSupport.h"
#include "support/TestData.h"
#include "support/Wait.h"
#include "tests/sim/SimDevice.h"

using Bytes = std::vector<BYTE>;

namespace {

const char* const kOpen = "00:11:22:33:55:01";
const char* const kWep = "00:11:22:33:55:02";
const char* const kShared = "00:11:22:33:55:03";
const char* const kHome = "00:11:22:33:55:04";
const char* const kMixed = "00:11:22:33:55:05";
const char* const kCorp = "00:11:22:33:55:06";
const char* const kHidden = "00:11:22:33:55:07";
const char* const kWps = "00:11:22:33:55:08";
const char* const kFiveN = "00:11:22:33:55:09";

const Bytes kWepKey = {0x01, 0x23, 0x45, 0x67, 0x89};

Bytes Mac(const char* text)
{
    Bytes b(6);
    kqsim::ParseMac(text, b.data());
    return b;
}

KQSIM_NETWORK Net(const char* ssid, const char* bssid, unsigned channel, int rssi, unsigned security)
{
    return kqsim::MakeNetwork(ssid, bssid, channel, rssi, security);
}

void SetPsk(KQSIM_NETWORK& n, const char* psk)
{
    n.pskLen = (unsigned char)std::strlen(psk);
    std::memcpy(n.psk, psk, n.pskLen);
}

std::vector<KQSIM_NETWORK> TestAir()
{
    std::vector<KQSIM_NETWORK> air;
    air.push_back(Net("Open", kOpen, 1, -48, KQSIM_SEC_OPEN));
    KQSIM_NETWORK wep = Net("Wep", kWep, 6, -58, KQSIM_SEC_WEP);
    wep.wepKeyLen[0] = 5;
    std::memcpy(wep.wepKey[0], kWepKey.data(), 5);
    air.push_back(wep);
    KQSIM_NETWORK shared = wep;
    kqsim::ParseMac(kShared, shared.bssid);
    shared.security = KQSIM_SEC_WEP_SHARED;
    std::memcpy(shared.ssid, "Shared", 6);
    shared.ssidLen = 6;
    air.push_back(shared);
    KQSIM_NETWORK home = Net("Home", kHome, 11, -52, KQSIM_SEC_WPA2_PSK);
    SetPsk(home, "kestiq-secret");
    air.push_back(home);
    KQSIM_NETWORK mixed = Net("Mixed", kMixed, 3, -65, KQSIM_SEC_WPA_WPA2_PSK);
    SetPsk(mixed, "mixed-passphrase");
    air.push_back(mixed);
    air.push_back(Net("Corp", kCorp, 9, -70, KQSIM_SEC_WPA2_1X));
    KQSIM_NETWORK hidden = Net("Secret", kHidden, 4, -62, KQSIM_SEC_WPA2_PSK);
    hidden.hidden = 1;
    SetPsk(hidden, "hidden-network");
    air.push_back(hidden);
    KQSIM_NETWORK wps = Net("Wps", kWps, 8, -55, KQSIM_SEC_WPA2_PSK);
    wps.flags |= KQSIM_NET_WPS | KQSIM_NET_WPS_PBC;
    SetPsk(wps, "wps-credential");
    air.push_back(wps);
    KQSIM_NETWORK fiveN = Net("FiveN", kFiveN, 36, -60, KQSIM_SEC_WPA2_PSK);
    fiveN.flags |= KQSIM_NET_HT | KQSIM_NET_HT40 | KQSIM_NET_CCX;
    fiveN.ccxVersion = 4;
    SetPsk(fiveN, "five-gigahertz");
    air.push_back(fiveN);
    return air;
}

struct Entry {
    Bytes bssid;
    std::string ssid;
    DWORD privacy = 0, infra = 0, dsConfig = 0;
    int rssi = 0;
    Bytes ies;   // fixed fields and elements
};

std::vector<Entry> ParseList(const Bytes& list)
{
    std::vector<Entry> out;
    if (list.size() < 4) return out;
    DWORD count = 0, off = 4;
    std::memcpy(&count, list.data(), 4);
    for (DWORD i = 0; i < count && off + 116 <= list.size(); ++i) {
        const BYTE* p = list.data() + off;
        DWORD length, ssidLen, ieLen;
        std::memcpy(&length, p, 4);
        std::memcpy(&ssidLen, p + 12, 4);
        std::memcpy(&ieLen, p + 112, 4);
        if (length < 116 + ieLen || off + length > list.size() || ssidLen > 32) break;
        Entry e;
        e.bssid.assign(p + 4, p + 10);
        e.ssid.assign((const char*)p + 16, ssidLen);
        std::memcpy(&e.privacy, p + 48, 4);
        std::memcpy(&e.rssi, p + 52, 4);
        std::memcpy(&e.dsConfig, p + 72, 4);
        std::memcpy(&e.infra, p + 92, 4);
        e.ies.assign(p + 116, p + 116 + ieLen);
        out.push_back(e);
        off += length;
    }
    return out;
}

const Entry* FindEntry(const std::vector<Entry>& list, const char* bssid)
{
    for (const Entry& e : list)
        if (e.bssid == Mac(bssid)) return &e;
    return nullptr;
}

// Body of element `id` (for 221: the one whose body starts with `prefix`), or empty.
Bytes Element(const Entry& e, BYTE id, const Bytes& prefix = {})
{
    for (size_t off = 12; off + 2 <= e.ies.size();) {
        BYTE eid = e.ies[off], len = e.ies[off + 1];
        if (off + 2 + len > e.ies.size()) break;
        Bytes body(e.ies.begin() + off + 2, e.ies.begin() + off + 2 + len);
        if (eid == id && body.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), body.begin()))
            return body.empty() ? Bytes{0xFF} : body;
        off += 2 + len;
    }
    return {};
}

// Polls pred() until it holds or ms pass.
template <class Pred>
bool Within(DWORD ms, Pred pred)
{
    return kqtest::WaitFor(pred, ms);
}

class SimDriverTest : public ::testing::Test {
protected:
    static kqsim::SimClient& client() { return kqsim::SharedTestClient(); }

    void SetUp() override
    {
        ASSERT_TRUE(client().IsOpen()) << "the simulated driver's control device does not open "
                                          "(is sim/install-standins.sh run in this prefix?)";
        air.reset(new kqsim::AirGuard(client()));
        ASSERT_TRUE(air->ok());
        ASSERT_TRUE(client().LoadNetworks(TestAir()));
        adapter.reset(new kqsim::TestAdapter(client(), 2));
        ASSERT_TRUE(adapter->ok());
        dev.reset(new SimDevice(adapter->DevicePath()));
        ASSERT_TRUE(dev->ok());
    }

    void TearDown() override
    {
        dev.reset();
        adapter.reset();
        air.reset();
    }

    void Configure(DWORD auth, DWORD encryption)
    {
        ASSERT_TRUE(dev->Set32(OID_802_11_INFRASTRUCTURE_MODE, 1));
        ASSERT_TRUE(dev->Set32(OID_802_11_AUTHENTICATION_MODE, auth));
        ASSERT_TRUE(dev->Set32(OID_802_11_WEP_STATUS, encryption));
    }

    bool Connected() { return dev->Query32(OID_GEN_MEDIA_CONNECT_STATUS) == 0; }
    // The driver moves on at each request: one is made, then the scan's state read.
    bool ScanDone()
    {
        dev->Query32(OID_GEN_MEDIA_CONNECT_STATUS);
        return State().scanPending == 0;
    }
    bool Associated() { return dev->Bssid() != Bytes(6, 0); }

    kqsim::AdapterState State()
    {
        kqsim::AdapterState s{};
        client().GetAdapter(adapter->guid(), s);
        return s;
    }

    std::unique_ptr<kqsim::AirGuard> air;
    std::unique_ptr<kqsim::TestAdapter> adapter;
    std::unique_ptr<SimDevice> dev;
};

// ---- association ----------------------------------------------------

struct JoinCase {
    const char* name;
    const char* ssid;
    DWORD auth, encryption;
    const Bytes* key;          // WEP key for index 0, transmit
    const char* joins;         // BSSID joined, or nullptr
    bool connectedAtOnce;      // without a supplicant verdict
    bool wrongKey;
};

const Bytes kBadKey = {0x98, 0x76, 0x54, 0x32, 0x10};

const JoinCase kJoins[] = {
    {"open", "Open", 0, 1, nullptr, kOpen, true, false},
    {"open network, WEP on", "Open", 0, 0, &kWepKey, nullptr, false, false},
    {"WEP, right key", "Wep", 0, 0, &kWepKey, kWep, true, false},
    {"WEP, wrong key", "Wep", 0, 0, &kBadKey, kWep, true, true},
    {"WEP, encryption off", "Wep", 0, 1, nullptr, nullptr, false, false},
    {"shared WEP, right key", "Shared", 1, 0, &kWepKey, kShared, true, false},
    {"shared WEP, wrong key", "Shared", 1, 0, &kBadKey, nullptr, false, false},
    {"shared WEP, open authentication", "Shared", 0, 0, &kWepKey, nullptr, false, false},
    {"WPA2-PSK", "Home", 7, 6, nullptr, kHome, false, false},
    {"WPA2-PSK network, WPA-PSK TKIP", "Home", 4, 4, nullptr, nullptr, false, false},
    {"WPA2-PSK network, open", "Home", 0, 1, nullptr, nullptr, false, false},
    {"mixed, WPA-PSK TKIP", "Mixed", 4, 4, nullptr, kMixed, false, false},
    {"mixed, WPA2-PSK AES", "Mixed", 7, 6, nullptr, kMixed, false, false},
    {"802.1X WPA2", "Corp", 6, 6, nullptr, kCorp, false, false},
    {"802.1X network, PSK", "Corp", 7, 6, nullptr, nullptr, false, false},
    {"hidden, by its real SSID", "Secret", 7, 6, nullptr, kHidden, false, false},
    {"no such network", "Nowhere", 0, 1, nullptr, nullptr, false, false},
};

TEST_F(SimDriverTest, AssociationHonoursSecurityAndKeys)
{
    for (const JoinCase& c : kJoins) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(client().ResetAdapter(adapter->guid()));
        Configure(c.auth, c.encryption);
        if (c.key) {
            ASSERT_TRUE(dev->AddWepKey(0, *c.key, true));
        }
        ASSERT_TRUE(dev->SetSsid(c.ssid));
        if (!c.joins) {
            EXPECT_EQ(Bytes(6, 0), dev->Bssid());
            EXPECT_FALSE(Connected());
            continue;
        }
        EXPECT_EQ(Mac(c.joins), dev->Bssid());
        BYTE ssid[36] = {0};
        ASSERT_TRUE(dev->Query(OID_802_11_SSID, ssid, 36));
        EXPECT_EQ(std::string(c.ssid), std::string((char*)ssid + 4, ssid[0]));
        EXPECT_EQ(c.connectedAtOnce, Connected());
        EXPECT_EQ(c.wrongKey ? 1u : 0u, dev->Query32(OID_VENDOR_ICV_ERROR));
        if (c.connectedAtOnce) {
            EXPECT_EQ(c.encryption, dev->Query32(OID_802_11_WEP_STATUS));
            continue;
        }
        KQSIM_NETWORK joined;
        ASSERT_TRUE(client().JoinedNetwork(adapter->guid(), joined));
        EXPECT_EQ(Mac(c.joins), Bytes(joined.bssid, joined.bssid + 6));
        // WPA and 802.1X: keys absent until the supplicant reports the port authorized
        EXPECT_EQ(c.encryption + 1, dev->Query32(OID_802_11_WEP_STATUS));
        ASSERT_TRUE(client().SetAuthorized(adapter->guid(), true));
        EXPECT_TRUE(Connected());
        EXPECT_EQ(c.encryption, dev->Query32(OID_802_11_WEP_STATUS));
    }
}

TEST_F(SimDriverTest, JoinByBssidAndDisassociate)
{
    Configure(0, 1);
    Bytes bssid = Mac(kOpen);
    ASSERT_TRUE(dev->Set(OID_802_11_BSSID, bssid.data(), 6));
    EXPECT_EQ(bssid, dev->Bssid());
    EXPECT_TRUE(Connected());
    ASSERT_TRUE(dev->Set(OID_802_11_DISASSOCIATE, nullptr, 0));
    EXPECT_EQ(Bytes(6, 0), dev->Bssid());
    EXPECT_FALSE(Connected());
    // Joins take no time by default, so a rejoin would show at the next request.
    EXPECT_FALSE(Associated()) << "no rejoin without a new SSID or BSSID";
    // the authentication failure road: an SSID of 32 bytes 0x10 joins nothing
    ASSERT_TRUE(dev->SetSsid(std::string(32, '\x10')));
    EXPECT_FALSE(Associated());
}

TEST_F(SimDriverTest, AdhocCreatesAnIbssOnTheConfiguredChannel)
{
    ASSERT_TRUE(dev->Set32(OID_802_11_INFRASTRUCTURE_MODE, 0));
    ASSERT_TRUE(dev->Set32(OID_802_11_AUTHENTICATION_MODE, 0));
    ASSERT_TRUE(dev->Set32(OID_802_11_WEP_STATUS, 1));
    DWORD config[8] = {32, 100, 0, 2462000, 16, 0, 0, 0};
    ASSERT_TRUE(dev->Set(OID_802_11_CONFIGURATION, config, sizeof(config)));
    ASSERT_TRUE(dev->SetSsid("Playground"));
    Bytes bssid = dev->Bssid();
    EXPECT_NE(Bytes(6, 0), bssid);
    EXPECT_EQ(0x02, bssid[0] & 0x02) << "a locally administered BSSID of our own";
    EXPECT_TRUE(Connected());
    DWORD now[8] = {0};
    ASSERT_TRUE(dev->Query(OID_802_11_CONFIGURATION, now, sizeof(now)));
    EXPECT_EQ(2462000u, now[3]);
    // infrastructure mode never creates one
    ASSERT_TRUE(dev->Set32(OID_802_11_INFRASTRUCTURE_MODE, 1));
    ASSERT_TRUE(dev->SetSsid("Playground"));
    EXPECT_FALSE(Associated());
}

TEST_F(SimDriverTest, FailedJoinsReportTheirLinkState)
{
    struct Case {
        const char* name;
        const char* ssid;
        DWORD auth, encryption;
        bool radioOff;
        DWORD code;
    } cases[] = {
        {"shared key refused", "Shared", 1, 0, false, 5},
        {"open authentication refused", "Wep", 1, 0, false, 4},
        {"association refused", "Home", 0, 1, false, 6},
        {"radio off", "Open", 0, 1, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(client().ResetAdapter(adapter->guid()));
        Configure(c.auth, c.encryption);
        ASSERT_TRUE(dev->AddWepKey(0, kBadKey, true));
        if (c.radioOff) {
            ASSERT_TRUE(dev->Set32(OID_VENDOR_RADIO_STATE, 0));
        }
        ASSERT_TRUE(dev->SetSsid(c.ssid));
        EXPECT_FALSE(Associated());
        EXPECT_EQ(c.code, dev->Query32(OID_VENDOR_EXTRA_INFO));
    }
    ASSERT_TRUE(client().ResetAdapter(adapter->guid()));
    Configure(0, 1);
    ASSERT_TRUE(dev->SetSsid("Open"));
    EXPECT_EQ(0u, dev->Query32(OID_VENDOR_EXTRA_INFO)) << "Link is Up";
}

TEST_F(SimDriverTest, WrongWepKeySendsFramesButReceivesNone)
{
    for (bool right : {true, false}) {
        SCOPED_TRACE(right ? "right key" : "wrong key");
        ASSERT_TRUE(client().ResetAdapter(adapter->guid()));
        Configure(0, 0);
        ASSERT_TRUE(dev->AddWepKey(0, right ? kWepKey : kBadKey, true));
        ASSERT_TRUE(dev->SetSsid("Wep"));
        BYTE stats1[176], stats2[176];
        DWORD rcv1 = dev->Query32(OID_GEN_RCV_OK);
        ASSERT_TRUE(dev->Query(OID_802_11_STATISTICS, stats1, 176));
        ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_ADVANCE_FRAMES, 16));
        DWORD rcv2 = dev->Query32(OID_GEN_RCV_OK);
        ASSERT_TRUE(dev->Query(OID_802_11_STATISTICS, stats2, 176));
        ULONGLONG tx1, tx2;
        std::memcpy(&tx1, stats1 + 8, 8);
        std::memcpy(&tx2, stats2 + 8, 8);
        EXPECT_GE(tx2 - tx1, 10u);
        if (right) {
            EXPECT_GT(rcv2, rcv1);
        } else {
            EXPECT_EQ(rcv1, rcv2);
        }
        EXPECT_EQ(right ? 0u : 1u, dev->Query32(OID_VENDOR_ICV_ERROR));
        EXPECT_TRUE(Associated());
    }
}

TEST_F(SimDriverTest, CountersCanBeSetAndReset)
{
    ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_TRAFFIC, 0));
    ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_STAT_FIRST + 0, 0x1234567890LL));
    ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_RCV_OK, 0x80000001LL));
    ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_TX_BYTES, 0xFFFFFFFFLL));
    BYTE stats[176];
    ASSERT_TRUE(dev->Query(OID_802_11_STATISTICS, stats, 176));
    ULONGLONG tx;
    std::memcpy(&tx, stats + 8, 8);
    EXPECT_EQ(0x1234567890ULL, tx);
    EXPECT_EQ(0x80000001u, dev->Query32(OID_GEN_RCV_OK));
    DWORD link[5];
    ASSERT_TRUE(dev->Query(OID_VENDOR_LINK_STATUS, link, 20));
    EXPECT_EQ(0xFFFFFFFFu, link[2]);
    ASSERT_TRUE(dev->Set(OID_VENDOR_RESET_COUNTERS, nullptr, 0));
    ASSERT_TRUE(dev->Query(OID_802_11_STATISTICS, stats, 176));
    std::memcpy(&tx, stats + 8, 8);
    EXPECT_EQ(0u, tx);
    EXPECT_EQ(0u, dev->Query32(OID_GEN_RCV_OK));
    ASSERT_TRUE(dev->Query(OID_VENDOR_LINK_STATUS, link, 20));
    EXPECT_EQ(0u, link[2]);
}

// ---- scans ----------------------------------------------------------

TEST_F(SimDriverTest, ScanFinishesAfterItsLatency)
{
    ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_SCAN_LATENCY, 200));
    std::vector<Entry> before = ParseList(dev->List());
    EXPECT_EQ(TestAir().size(), before.size());
    KQSIM_NETWORK late = Net("Late", "00:11:22:33:55:7F", 2, -40, KQSIM_SEC_OPEN);
    ASSERT_TRUE(client().PutNetwork(late));
    EXPECT_EQ(nullptr, FindEntry(ParseList(dev->List()), "00:11:22:33:55:7F")) << "seen before a scan";
    ASSERT_TRUE(dev->Set(OID_802_11_BSSID_LIST_SCAN, nullptr, 0));
    DWORD start = GetTickCount();
    EXPECT_EQ(nullptr, FindEntry(ParseList(dev->List()), "00:11:22:33:55:7F")) << "the scan ended at once";
    EXPECT_TRUE(Within(20000, [&] { return FindEntry(ParseList(dev->List()), "00:11:22:33:55:7F") != nullptr; }));
    EXPECT_GE(GetTickCount() - start, 150u);

    // The default latency, measured once: well within the 3 seconds the program waits.
    ASSERT_TRUE(client().ResetAdapter(adapter->guid()));
    ASSERT_NE(nullptr, FindEntry(ParseList(dev->List()), "00:11:22:33:55:7F"));
    late.rssi = -41;
    ASSERT_TRUE(client().PutNetwork(late));
    ASSERT_TRUE(dev->Set(OID_802_11_BSSID_LIST_SCAN, nullptr, 0));
    start = GetTickCount();
    auto lateRssi = [&] {
        const Entry* e = FindEntry(ParseList(dev->List()), "00:11:22:33:55:7F");
        return e ? e->rssi : 0;
    };
    EXPECT_NE(-41, lateRssi()) << "the scan ended at once";
    EXPECT_TRUE(Within(3000, [&] { return lateRssi() == -41; })) << "no result within 3 s";
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 500u);
    EXPECT_LT(took, 2500u);
}

TEST_F(SimDriverTest, ScanEntriesCarryTheElementsOfTheirSettings)
{
    std::vector<Entry> list = ParseList(dev->List());
    const Bytes rsn = {0x01, 0x00};
    const Bytes wpa = {0x00, 0x50, 0xF2, 0x01};
    const Bytes wps = {0x00, 0x50, 0xF2, 0x04};

    const Entry* open = FindEntry(list, kOpen);
    ASSERT_NE(nullptr, open);
    EXPECT_EQ(0u, open->privacy);
    EXPECT_TRUE(Element(*open, 48).empty());
    EXPECT_EQ(2412000u, open->dsConfig);

    const Entry* home = FindEntry(list, kHome);
    ASSERT_NE(nullptr, home);
    EXPECT_EQ(1u, home->privacy);
    Bytes r = Element(*home, 48, rsn);
    ASSERT_EQ(20u, r.size());
    EXPECT_EQ((Bytes{0x00, 0x0F, 0xAC, 0x04}), Bytes(r.begin() + 8, r.begin() + 12));   // pairwise CCMP
    EXPECT_EQ((Bytes{0x00, 0x0F, 0xAC, 0x02}), Bytes(r.begin() + 14, r.begin() + 18));  // PSK
    EXPECT_TRUE(Element(*home, 221, wpa).empty());

    const Entry* mixed = FindEntry(list, kMixed);
    ASSERT_NE(nullptr, mixed);
    EXPECT_FALSE(Element(*mixed, 48, rsn).empty());
    EXPECT_FALSE(Element(*mixed, 221, wpa).empty());

    const Entry* corp = FindEntry(list, kCorp);
    ASSERT_NE(nullptr, corp);
    r = Element(*corp, 48, rsn);
    ASSERT_GE(r.size(), 18u);
    EXPECT_EQ(0x01, r[17]);   // 802.1X key management

    const Entry* hidden = FindEntry(list, kHidden);
    ASSERT_NE(nullptr, hidden);
    EXPECT_EQ("", hidden->ssid);

    const Entry* ap = FindEntry(list, kWps);
    ASSERT_NE(nullptr, ap);
    Bytes w = Element(*ap, 221, wps);
    ASSERT_GT(w.size(), 9u);
    EXPECT_EQ((Bytes{0x10, 0x4A, 0x00, 0x01, 0x10}), Bytes(w.begin() + 4, w.begin() + 9));   // version 1.0

    const Entry* fiveN = FindEntry(list, kFiveN);
    ASSERT_NE(nullptr, fiveN);
    EXPECT_EQ(5180000u, fiveN->dsConfig);
    EXPECT_EQ(26u, Element(*fiveN, 45).size());
    EXPECT_EQ(22u, Element(*fiveN, 61).size());
    EXPECT_EQ(30u, Element(*fiveN, 221, {0x00, 0x90, 0x4C, 0x33}).size());
    EXPECT_EQ(26u, Element(*fiveN, 221, {0x00, 0x90, 0x4C, 0x34}).size());
    EXPECT_FALSE(Element(*fiveN, 221, {0x00, 0x40, 0x96}).empty());
}

std::string ReadBeaconBody(const std::string& file)
{
    std::ifstream f(kqtest::TestDataDir() + "/beacons/" + file);
    std::string line;
    while (std::getline(f, line))
        if (line.compare(0, 5, "body ") == 0) return line.substr(5);
    return "";
}

TEST_F(SimDriverTest, RawElementsFromATestReachTheScanAsGiven)
{
    ASSERT_TRUE(kqtest::TestDataPresent("beacons"));
    std::string hex = ReadBeaconBody("wpa-000d93ebb08c.txt");
    ASSERT_FALSE(hex.empty()) << "no beacon body in " << kqtest::TestDataDir() << "/beacons/wpa-000d93ebb08c.txt";
    KQSIM_NETWORK raw = Net("test", "00:0D:93:EB:B0:8C", 7, -60, KQSIM_SEC_WPA_PSK);
    raw.flags |= KQSIM_NET_RAW_BODY;
    Bytes body;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) body.push_back((BYTE)std::stoul(hex.substr(i, 2), nullptr, 16));
    raw.ieLen = (unsigned short)body.size();
    std::memcpy(raw.ies, body.data(), body.size());
    // a malformed element (length past the end) appended to another network
    KQSIM_NETWORK bad = Net("Bad", "00:11:22:33:55:7E", 1, -60, KQSIM_SEC_OPEN);
    const BYTE broken[] = {0xDD, 0xFF, 0x00, 0x50};
    bad.ieLen = sizeof(broken);
    std::memcpy(bad.ies, broken, sizeof(broken));
    ASSERT_TRUE(client().PutNetwork(raw));
    ASSERT_TRUE(client().PutNetwork(bad));
    ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_SCAN_LATENCY, 1));
    ASSERT_TRUE(dev->Set(OID_802_11_BSSID_LIST_SCAN, nullptr, 0));
    ASSERT_TRUE(Within(20000, [&] { return ScanDone(); }));
    std::vector<Entry> list = ParseList(dev->List());
    const Entry* e = FindEntry(list, "00:0D:93:EB:B0:8C");
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(body, e->ies);
    const Entry* b = FindEntry(list, "00:11:22:33:55:7E");
    ASSERT_NE(nullptr, b);
    ASSERT_GE(b->ies.size(), 4u);
    EXPECT_EQ(Bytes(broken, broken + 4), Bytes(b->ies.end() - 4, b->ies.end()));
}

TEST_F(SimDriverTest, ManyNetworksStillFitOneReply)
{
    std::vector<KQSIM_NETWORK> many;
    for (int i = 0; i < 400; ++i) {
        char bssid[18], ssid[16];
        std::snprintf(bssid, sizeof(bssid), "02:00:00:00:%02X:%02X", i >> 8, i & 0xFF);
        std::snprintf(ssid, sizeof(ssid), "Net%03d", i);
        many.push_back(Net(ssid, bssid, 1 + i % 11, -40 - i % 50, KQSIM_SEC_OPEN));
    }
    ASSERT_TRUE(client().LoadNetworks(many));
    Bytes list = dev->List();
    ASSERT_GE(list.size(), 4u);
    EXPECT_LE(list.size(), 65536u);
    std::vector<Entry> entries = ParseList(list);
    EXPECT_GT(entries.size(), 256u);
}

TEST_F(SimDriverTest, RadioOffDisconnectsAndEmptiesScans)
{
    Configure(0, 1);
    ASSERT_TRUE(dev->SetSsid("Open"));
    ASSERT_TRUE(Connected());
    ASSERT_TRUE(dev->Set32(OID_VENDOR_RADIO_STATE, 0));
    EXPECT_FALSE(Associated());
    EXPECT_EQ(0u, dev->Query32(OID_VENDOR_RADIO_STATE));
    ASSERT_TRUE(client().SetParam(adapter->guid(), KQSIM_PARAM_SCAN_LATENCY, 1));
    ASSERT_TRUE(dev->Set(OID_802_11_BSSID_LIST_SCAN, nullptr, 0));
    ASSERT_TRUE(Within(20000, [&] { return ScanDone(); }));
    EXPECT_TRUE(ParseList(dev->List()).empty());
    ASSERT_TRUE(dev->SetSsid("Open"));
    EXPECT_FALSE(Associated());
}

// ---- WPS --------------------------------------------------------------

TEST_F(SimDriverTest, WpsButtonRunsTheEnrolleeScriptToItsCredentials)
{
    KQSIM_WPS_CONFIG cfg{};
    std::strcpy(cfg.guid, adapter->guid().c_str());
    const std::vector<DWORD> script = {2, 3, 4, 5, 6, 17, 18, 19, 21, 22, 23, 24, 25, 26, 27, 15};
    // The script step by step: one step at each status query, so that no
    // sampler, however late, misses a code.
    cfg.stepMs = KQSIM_WPS_STEP_PER_QUERY;
    ASSERT_TRUE(client().SetWps(cfg));
    EXPECT_EQ(0u, dev->Query32(OID_VENDOR_WSC_BUTTON));
    EXPECT_EQ(0u, dev->Query32(OID_VENDOR_WSC_STATUS));
    ASSERT_TRUE(client().PressWpsButton(adapter->guid()));
    EXPECT_NE(0u, dev->Query32(OID_VENDOR_WSC_BUTTON));
    EXPECT_EQ(0u, dev->Query32(OID_VENDOR_WSC_BUTTON)) << "a press is reported once";
    std::vector<DWORD> seen;
    for (size_t i = 0; i < script.size(); ++i) seen.push_back(dev->Query32(OID_VENDOR_WSC_STATUS) & 0x0FFFFFFF);
    EXPECT_EQ(script, seen);
    EXPECT_EQ(15u, dev->Query32(OID_VENDOR_WSC_STATUS) & 0x0FFFFFFF) << "the run stays configured";

    // On the driver's own clock, a step every 120 ms: what a sampler sees is
    // the script in its order (it may miss steps while it is slow), and the
    // run is configured no sooner than its fifteen steps' time.
    cfg.stepMs = 120;
    ASSERT_TRUE(client().SetWps(cfg));
    DWORD pressed = GetTickCount();
    ASSERT_TRUE(client().PressWpsButton(adapter->guid()));
    seen.clear();
    DWORD configuredAt = 0;
    ASSERT_TRUE(Within(30000, [&] {
        DWORD code = dev->Query32(OID_VENDOR_WSC_STATUS) & 0x0FFFFFFF;
        if (seen.empty() || seen.back() != code) seen.push_back(code);
        if (code == 15) configuredAt = GetTickCount();
        return code == 15;
    }));
    size_t at = 0;
    for (DWORD code : seen) {
        while (at < script.size() && script[at] != code) ++at;
        EXPECT_LT(at, script.size()) << "code " << code << " out of the script's order";
    }
    EXPECT_GE(configuredAt - pressed, 15u * 120 - 25);

    BYTE block[996];
    ASSERT_TRUE(dev->Query(OID_VENDOR_WSC_CREDENTIALS, block, sizeof(block)));
    DWORD count, ssidLen, keyLen;
    std::memcpy(&count, block, 4);
    std::memcpy(&ssidLen, block + 4, 4);
    std::memcpy(&keyLen, block + 4 + 48, 4);
    ASSERT_EQ(1u, count);
    EXPECT_EQ("Wps", std::string((char*)block + 8, ssidLen));
    EXPECT_EQ("wps-credential", std::string((char*)block + 4 + 52, keyLen));
    EXPECT_EQ(Mac(kWps), Bytes(block + 4 + 116, block + 4 + 122));
}

TEST_F(SimDriverTest, WscStartRunsTheRegistrarOrPinScriptAndFailures)
{
    KQSIM_WPS_CONFIG cfg{};
    std::strcpy(cfg.guid, adapter->guid().c_str());
    cfg.stepMs = 100;
    cfg.failCode = 0x104;
    cfg.failAfter = 3;
    ASSERT_TRUE(client().SetWps(cfg));
    BYTE start[56] = {0};
    DWORD pin = 0x10000000;
    std::memcpy(start, &pin, 4);
    std::memcpy(start + 4, "12345670", 8);
    start[55] = 2;   // registrar
    ASSERT_TRUE(dev->Set(OID_VENDOR_WSC_START, start, sizeof(start)));
    DWORD first = dev->Query32(OID_VENDOR_WSC_STATUS);
    EXPECT_EQ(0x10000000u, first & 0x10000000u) << "PIN method bit";
    EXPECT_EQ(34u, first & 0x0FFFFFFF);
    EXPECT_TRUE(Within(20000, [&] { return (dev->Query32(OID_VENDOR_WSC_STATUS) & 0x0FFFFFFF) == 0x104u; }));
    BYTE block[996];
    ASSERT_TRUE(dev->Query(OID_VENDOR_WSC_CREDENTIALS, block, sizeof(block)));
    EXPECT_EQ(Bytes(4, 0), Bytes(block, block + 4)) << "no credentials without code 15";
}

// A PIN run on an access point with a PIN of its own: the digits of the start
// record decide.  The script moves one step per status query.
TEST_F(SimDriverTest, PinRunIsCheckedAgainstTheAccessPointsPin)
{
    KQSIM_NETWORK pinAp = Net("Pin", "00:11:22:33:55:0A", 11, -60, KQSIM_SEC_WPA2_PSK);
    pinAp.flags |= KQSIM_NET_WPS | KQSIM_NET_WPS_PIN;
    std::memcpy(pinAp.wpsPin, "26460178", 8);
    SetPsk(pinAp, "pin-credential");
    ASSERT_TRUE(client().PutNetwork(pinAp));
    const std::vector<DWORD> enrollee = {2, 3, 4, 5, 6, 17, 18, 19, 21, 22, 23, 24, 25, 26, 27, 15};
    const std::vector<DWORD> enrolleeRefused = {2, 3, 4, 5, 6, 17, 18, 19, 21, 22, 0x106, 0x106};
    const std::vector<DWORD> registrarRefused = {34, 35, 36, 37, 38, 39, 0x106, 0x106};
    struct Case {
        const char* what;
        const char* ssid;
        const char* pin;
        BYTE role;
        std::vector<DWORD> codes;
        const char* delivered;   // SSID of the credential at the end, "" for none
    } cases[] = {
        {"the access point's PIN", "Pin", "26460178", 1, enrollee, "Pin"},
        {"another PIN", "Pin", "12345670", 1, enrolleeRefused, ""},
        {"another PIN, as registrar", "Pin", "12345670", 2, registrarRefused, ""},
        {"an access point without a PIN", "Wps", "12345670", 1, enrollee, "Wps"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KQSIM_WPS_CONFIG cfg{};
        std::strcpy(cfg.guid, adapter->guid().c_str());
        cfg.stepMs = KQSIM_WPS_STEP_PER_QUERY;
        ASSERT_TRUE(client().SetWps(cfg));
        BYTE start[56] = {0};
        DWORD method = 0x10000000;
        std::memcpy(start, &method, 4);
        std::memcpy(start + 4, c.pin, 8);
        DWORD ssidLen = (DWORD)std::strlen(c.ssid);
        std::memcpy(start + 12, &ssidLen, 4);
        std::memcpy(start + 16, c.ssid, ssidLen);
        start[55] = c.role;
        ASSERT_TRUE(dev->Set(OID_VENDOR_WSC_START, start, sizeof(start)));
        std::vector<DWORD> seen;
        for (size_t i = 0; i < c.codes.size(); ++i) seen.push_back(dev->Query32(OID_VENDOR_WSC_STATUS) & 0x0FFFFFFF);
        EXPECT_EQ(c.codes, seen);
        BYTE block[996];
        ASSERT_TRUE(dev->Query(OID_VENDOR_WSC_CREDENTIALS, block, sizeof(block)));
        DWORD count, len;
        std::memcpy(&count, block, 4);
        std::memcpy(&len, block + 4, 4);
        EXPECT_EQ(*c.delivered ? 1u : 0u, count);
        if (count) EXPECT_EQ(c.delivered, std::string((char*)block + 8, len > 32 ? 32 : len));
    }
}

// What the program sets as credentials is what a registrar run hands out;
// the empty block an enrollee sends leaves the access point's own.
TEST_F(SimDriverTest, RegistrarRunHandsOutTheCredentialsItWasGiven)
{
    KQSIM_WPS_CONFIG cfg{};
    std::strcpy(cfg.guid, adapter->guid().c_str());
    cfg.stepMs = KQSIM_WPS_STEP_PER_QUERY;
    ASSERT_TRUE(client().SetWps(cfg));
    BYTE own[996] = {0};
    own[0] = 1;
    own[4] = 13;
    std::memcpy(own + 8, "ExRegNW286001", 13);
    for (BYTE role : {BYTE(2), BYTE(1)}) {
        SCOPED_TRACE(role == 2 ? "registrar" : "enrollee");
        BYTE empty[996] = {0};
        ASSERT_TRUE(dev->Set(OID_VENDOR_WSC_CREDENTIALS, role == 2 ? own : empty, sizeof(own)));
        BYTE start[56] = {0};
        DWORD method = 0x20000000;
        std::memcpy(start, &method, 4);
        start[55] = role;
        ASSERT_TRUE(dev->Set(OID_VENDOR_WSC_START, start, sizeof(start)));
        for (int i = 0; i < 20; ++i) dev->Query32(OID_VENDOR_WSC_STATUS);
        ASSERT_EQ(15u, dev->Query32(OID_VENDOR_WSC_STATUS) & 0x0FFFFFFF);
        BYTE block[996];
        ASSERT_TRUE(dev->Query(OID_VENDOR_WSC_CREDENTIALS, block, sizeof(block)));
        DWORD len;
        std::memcpy(&len, block + 4, 4);
        EXPECT_EQ(role == 2 ? "ExRegNW286001" : "Wps", std::string((char*)block + 8, len > 32 ? 32 : len));
    }
}

// ---- tables ------------------------------------------------------------

TEST_F(SimDriverTest, BlockAckSessionsAreKeptPerPeerAndDirection)
{
    // {direction, peer, TID, window size, ..., byte 12 every TID}
    auto request = [](BYTE direction, BYTE last, BYTE tid, BYTE window, BYTE all) {
        Bytes r(14, 0);
        r[0] = direction;
        const BYTE peer[6] = {0x00, 0x11, 0x22, 0x33, 0x44, last};
        std::memcpy(&r[1], peer, 6);
        r[7] = tid;
        r[8] = window;
        r[12] = all;
        return r;
    };
    auto table = [&]() {
        Bytes t(3076, 0xEE);
        DWORD got = 0;
        EXPECT_TRUE(dev->Query(OID_VENDOR_BA_TABLE, t.data(), 3076, &got));
        EXPECT_EQ(3076u, got);
        return t;
    };
    for (const Bytes& r : {request(0, 7, 5, 32, 0), request(0, 7, 0, 64, 0), request(1, 2, 3, 16, 0)})
        ASSERT_TRUE(dev->Set(OID_VENDOR_BA_TABLE, r.data(), 14));
    Bytes t = table();
    EXPECT_EQ(1, t[3072]);
    EXPECT_EQ(1, t[3073]);
    EXPECT_EQ(0x07, t[5]);
    EXPECT_EQ(0x21, t[6]);           // TIDs 0 and 5
    EXPECT_EQ(64, t[8]);
    EXPECT_EQ(32, t[8 + 5]);
    EXPECT_EQ(0x02, t[1536 + 5]);
    EXPECT_EQ(0x08, t[1536 + 6]);
    EXPECT_EQ(16, t[1536 + 8 + 3]);

    // one TID goes, then every TID of the peer
    Bytes del = request(0, 7, 5, 0, 0);
    ASSERT_TRUE(dev->Set(OID_VENDOR_BA_DELETE, del.data(), 14));
    t = table();
    EXPECT_EQ(1, t[3072]);
    EXPECT_EQ(0x01, t[6]);
    del = request(1, 2, 0, 0, 1);
    ASSERT_TRUE(dev->Set(OID_VENDOR_BA_DELETE, del.data(), 14));
    t = table();
    EXPECT_EQ(0, t[3073]);
    EXPECT_EQ(Bytes(48, 0), Bytes(t.begin() + 1536, t.begin() + 1536 + 48));
    // a peer without sessions is no error
    del = request(0, 9, 1, 0, 0);
    EXPECT_TRUE(dev->Set(OID_VENDOR_BA_DELETE, del.data(), 14));
}

// ---- faults, stored answers, log ------------------------------------

TEST_F(SimDriverTest, FaultsAndStoredAnswers)
{
    ASSERT_TRUE(client().FailNext(adapter->guid(), OID_GEN_MEDIA_CONNECT_STATUS, 2, KQSIM_KIND_QUERY));
    DWORD v;
    EXPECT_FALSE(dev->Query(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4));
    EXPECT_FALSE(dev->Query(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4));
    EXPECT_TRUE(dev->Query(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4));
    // a set fault leaves queries alone
    ASSERT_TRUE(client().FailNext(adapter->guid(), OID_VENDOR_TX_POWER, 1, KQSIM_KIND_SET));
    EXPECT_TRUE(dev->Query(OID_VENDOR_TX_POWER, &v, 4));
    EXPECT_FALSE(dev->Set32(OID_VENDOR_TX_POWER, 50));
    EXPECT_TRUE(dev->Set32(OID_VENDOR_TX_POWER, 50));

    ASSERT_TRUE(client().SetOidStatus(adapter->guid(), OID_VENDOR_RSSI_1, 0));
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(dev->Query(OID_VENDOR_RSSI_1, &v, 4));

    // a stored answer is returned as given, malformed records included
    Bytes list(4 + 120, 0);
    list[0] = 1;
    DWORD huge = 0xFFFFFFF0;
    std::memcpy(list.data() + 4, &huge, 4);
    std::memcpy(list.data() + 4 + 112, &huge, 4);
    ASSERT_TRUE(client().SetOidAnswer(adapter->guid(), OID_802_11_BSSID_LIST, list.data(), (DWORD)list.size()));
    EXPECT_EQ(list, dev->List());
    ASSERT_TRUE(client().ClearOidAnswer(adapter->guid(), OID_802_11_BSSID_LIST));
    EXPECT_EQ(TestAir().size(), ParseList(dev->List()).size());
    ASSERT_TRUE(client().ClearFaults(adapter->guid()));
}

TEST_F(SimDriverTest, LogIsOrderedWithMarkersAndClears)
{
    ASSERT_TRUE(client().ClearLog());
    ASSERT_TRUE(client().AddMarker("before"));
    dev->Query32(OID_GEN_MEDIA_CONNECT_STATUS);
    ASSERT_TRUE(dev->Set32(OID_VENDOR_PREAMBLE, 2));
    ASSERT_TRUE(client().AddMarker("after"));
    std::vector<kqsim::LogEntry> log;
    ASSERT_TRUE(client().ReadLog(log));
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ(1u, log[0].seq);
    EXPECT_EQ("before", log[0].text);
    EXPECT_EQ(KQSIM_LOG_QUERY, log[1].kind);
    EXPECT_EQ((DWORD)OID_GEN_MEDIA_CONNECT_STATUS, log[1].oid);
    EXPECT_EQ(4u, log[1].bytesReturned);
    EXPECT_EQ(KQSIM_LOG_SET, log[2].kind);
    EXPECT_EQ(0x0DF10101u, log[2].oid);
    EXPECT_EQ((Bytes{2, 0, 0, 0}), log[2].data);
    EXPECT_EQ("after", log[3].text);
    for (size_t i = 1; i < log.size(); ++i) {
        EXPECT_EQ(log[i - 1].seq + 1, log[i].seq);
        EXPECT_GE(log[i].timeMs, log[i - 1].timeMs);
    }
    ASSERT_TRUE(client().ClearLog());
    ASSERT_TRUE(client().ReadLog(log));
    EXPECT_TRUE(log.empty());
}

TEST_F(SimDriverTest, OpenHandlesAreCounted)
{
    kqsim::AdapterState s = State();
    EXPECT_EQ(1u, s.openHandles);   // the fixture's own handle
    {
        SimDevice second(adapter->DevicePath());
        ASSERT_TRUE(second.ok());
        EXPECT_EQ(2u, State().openHandles);
    }
    EXPECT_EQ(1u, State().openHandles);
    EXPECT_EQ(State().creates - 1, State().closes);
}

TEST_F(SimDriverTest, RequestsFromManyThreadsAreAllServed)
{
    DWORD from = 0;
    ASSERT_TRUE(client().NextSeq(from));
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                SimDevice d(adapter->DevicePath());
                DWORD v = 0;
                if (!d.ok() || !d.Query(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4) || !d.Set32(OID_VENDOR_TX_POWER, t * 100 + i))
                    ++failures;
            }
        });
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(0, failures.load());
    std::vector<kqsim::LogEntry> log = kqsim::AdapterLog(client(), adapter->guid(), from);
    EXPECT_EQ(4u * 100 * 4, log.size());
    for (size_t i = 1; i < log.size(); ++i) ASSERT_LT(log[i - 1].seq, log[i].seq);
    EXPECT_EQ(1u, State().openHandles);
}

TEST_F(SimDriverTest, VanishedAdapterDoesNotOpenAndComesBack)
{
    ASSERT_TRUE(client().Vanish(adapter->guid()));
    EXPECT_FALSE(SimDevice(adapter->DevicePath()).ok());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
    DWORD v;
    EXPECT_FALSE(dev->Query(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4)) << "an old handle fails too";
    std::vector<KQSIM_NETWORK> nets;
    EXPECT_TRUE(client().GetNetworks(nets));
    ASSERT_TRUE(client().Return(adapter->guid()));
    dev.reset(new SimDevice(adapter->DevicePath()));
    EXPECT_TRUE(dev->ok());
    EXPECT_TRUE(dev->Query(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4));
}

// ---- bad input ----------------------------------------------------------

const DWORD kAllOids[] = {
    OID_GEN_DRIVER_VERSION, OID_GEN_MEDIA_CONNECT_STATUS, OID_GEN_RCV_OK, OID_GEN_RCV_NO_BUFFER,
    OID_802_3_CURRENT_ADDRESS, OID_802_11_BSSID, OID_802_11_SSID, OID_802_11_INFRASTRUCTURE_MODE,
    OID_802_11_DISASSOCIATE, OID_802_11_AUTHENTICATION_MODE, OID_802_11_BSSID_LIST_SCAN, OID_802_11_WEP_STATUS,
    OID_802_11_RELOAD_DEFAULTS, OID_802_11_ADD_KEY, OID_802_11_REMOVE_KEY, OID_802_11_NETWORK_TYPES_SUPPORTED,
    OID_802_11_RSSI, OID_802_11_FRAGMENTATION_THRESHOLD, OID_802_11_RTS_THRESHOLD, OID_802_11_DESIRED_RATES,
    OID_802_11_CONFIGURATION, OID_802_11_POWER_MODE, OID_802_11_BSSID_LIST, OID_802_11_STATISTICS,
    OID_VENDOR_PREAMBLE, OID_VENDOR_LINK_STATUS, OID_VENDOR_RESET_COUNTERS, OID_VENDOR_AC_POWER_CAM,
    OID_VENDOR_REGISTER_ACCESS, OID_VENDOR_COUNTRY_REGION, OID_VENDOR_RADIO_STATE, OID_VENDOR_R17_TUNING,
    OID_VENDOR_MAC_TABLE, OID_VENDOR_WIRELESS_MODE, OID_VENDOR_ADVANCED_CONFIG, OID_VENDOR_TX_POWER,
    OID_VENDOR_EEPROM_VERSION, OID_VENDOR_NOISE, OID_VENDOR_RX_RATE, OID_VENDOR_TX_RATE, OID_VENDOR_EXTRA_INFO,
    OID_VENDOR_CCX_CONTROL, OID_VENDOR_IP_ADDRESS, OID_VENDOR_RF_TUNING, OID_VENDOR_BBP_TUNING, OID_VENDOR_RSSI_1,
    OID_VENDOR_OP_MODE, OID_VENDOR_RATE_SETS, OID_VENDOR_FIRMWARE_VERSION, OID_VENDOR_WMM_CAPABILITY,
    OID_VENDOR_WMM_OPTION, OID_VENDOR_DLS_CAPABILITY, OID_VENDOR_DLS_LINK, OID_VENDOR_ICV_ERROR, OID_VENDOR_RSSI_2,
    OID_VENDOR_SNR_0, OID_VENDOR_SNR_1, OID_VENDOR_BA_CAPABILITY, OID_VENDOR_BA_TABLE, OID_VENDOR_LEAP,
    OID_VENDOR_BA_DELETE, OID_VENDOR_HT_PHY, OID_VENDOR_WSC_START, OID_VENDOR_WSC_STATUS,
    OID_VENDOR_WSC_CREDENTIALS, OID_VENDOR_WSC_IN_USE, OID_VENDOR_WSC_OPTION_A, OID_VENDOR_WSC_BUTTON,
    OID_VENDOR_WSC_OPTION_B,
    0, 0xFFFFFFFF, 0x0D71FFFF, 0x00800000,
};

void ExpectAlive(SimDevice& dev, kqsim::SimClient& client)
{
    DWORD v = 0, got = 0;
    EXPECT_TRUE(dev.Query(OID_GEN_MEDIA_CONNECT_STATUS, &v, 4, &got));
    EXPECT_EQ(4u, got);
    std::vector<kqsim::AdapterState> all;
    EXPECT_TRUE(client.ListAdapters(all));
}

TEST_F(SimDriverTest, DriverSurvivesAnyBufferLength)
{
    const DWORD lengths[] = {0, 1, 3, 5, 35, 4096, 1 << 20};
    std::vector<BYTE> buf(1 << 20);
    for (DWORD oid : kAllOids)
        for (DWORD form : {0x0u, 0x00800000u})
            for (DWORD len : lengths) {
                std::memset(buf.data(), 0xFF, len);
                DWORD in = oid | form;
                dev->Raw(&in, 4, len ? buf.data() : nullptr, len);
            }
    // no OID, half an OID, an OID with trailing garbage
    BYTE in[8] = {0x02, 0x01, 0x01, 0x00, 0xAA, 0xBB, 0xCC, 0xDD};
    for (DWORD inLen : {0u, 2u, 8u}) dev->Raw(inLen ? in : nullptr, inLen, buf.data(), 64);
    ExpectAlive(*dev, client());
}

TEST_F(SimDriverTest, RecordsWithHugeLengthFieldsAreRefused)
{
    struct BadSet {
        const char* name;
        DWORD oid;
        Bytes data;
    };
    auto withWords = [](size_t size, std::initializer_list<std::pair<size_t, DWORD>> words) {
        Bytes b(size, 0);
        for (auto& w : words) std::memcpy(b.data() + w.first, &w.second, 4);
        return b;
    };
    const BadSet cases[] = {
        {"key Length huge", OID_802_11_ADD_KEY, withWords(44, {{0, 0xFFFFFFFF}, {4, 0x80000000}, {8, 5}})},
        {"KeyLength huge", OID_802_11_ADD_KEY, withWords(44, {{0, 44}, {4, 0x80000000}, {8, 0xFFFFFFF0}})},
        {"KeyLength past the buffer", OID_802_11_ADD_KEY, withWords(40, {{0, 40}, {4, 0}, {8, 32}})},
        {"key index out of range", OID_802_11_ADD_KEY, withWords(44, {{0, 44}, {4, 0x800000FF}, {8, 5}})},
        {"remove index out of range", OID_802_11_REMOVE_KEY, withWords(16, {{0, 16}, {4, 0xFFFFFFFF}})},
        {"SSID length huge", OID_802_11_SSID, withWords(36, {{0, 0xFFFFFFFF}})},
        {"SSID length 33", OID_802_11_SSID, withWords(36, {{0, 33}})},
        {"ADD_KEY shorter than its header", OID_802_11_ADD_KEY, Bytes(20, 0xFF)},
    };
    for (const BadSet& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(dev->Set(c.oid, c.data.data(), (DWORD)c.data.size()));
    }
    // records the driver takes but must bound: WPS start with a huge SSID length,
    // more Block-Ack sessions than the table holds
    Bytes start = withWords(56, {{12, 0xFFFFFFFF}});
    dev->Set(OID_VENDOR_WSC_START, start.data(), 56);
    Bytes session(14, 0x11);
    EXPECT_FALSE(dev->Set(OID_VENDOR_BA_TABLE, session.data(), 14));   // TID 17
    session[0] = 0;
    session[7] = 3;
    for (int i = 0; i < 40; ++i) {
        session[6] = (BYTE)i;
        EXPECT_EQ(i < 32, dev->Set(OID_VENDOR_BA_TABLE, session.data(), 14)) << i;
    }
    BYTE table[3076];
    ASSERT_TRUE(dev->Query(OID_VENDOR_BA_TABLE, table, sizeof(table)));
    EXPECT_EQ(32, table[3072]);
    EXPECT_EQ(0, table[3073]);
    ExpectAlive(*dev, client());
}

TEST_F(SimDriverTest, ControlPathSurvivesGarbage)
{
    std::vector<BYTE> buf(70000, 0xFF);
    HANDLE h = CreateFileA(KQSIM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    for (DWORD fn = 0; fn < 64; ++fn) {
        if (fn == 41) continue;   // CLEAR_LOG: harmless but would empty other tests' evidence
        for (DWORD len : {0u, 3u, 41u, 70000u}) {
            std::memset(buf.data(), 0xFF, buf.size());
            DWORD got = 0;
            DeviceIoControl(h, KQSIM_IOCTL(fn), len ? buf.data() : nullptr, len, len ? buf.data() : nullptr, len,
                            &got, nullptr);
        }
    }
    CloseHandle(h);
    ExpectAlive(*dev, client());
    kqsim::AdapterState s;
    EXPECT_TRUE(client().GetAdapter(adapter->guid(), s));
}

}  // namespace
