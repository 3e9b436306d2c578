// The simulated driver's direct links: a requested link comes up (state 2)
// only while the adapter is joined to an access point and the peer is a
// station of the air; a set with valid 0 removes it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/OidChannel.h"
#include "core/Oids.h"
#include "pages/WmmPage.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"

namespace {

class SimDirectLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_adapter.ok());
        std::strcpy(g_szDevicePath, m_adapter.DevicePath().c_str());
        ASSERT_TRUE(m_air.ok());
        std::vector<KQSIM_NETWORK> air = { kqsim::MakeNetwork("Open", "02:00:00:00:71:01", 1, -40, KQSIM_SEC_OPEN),
                                           kqsim::MakeNetwork("Peer", "02:00:00:00:71:02", 6, -50, KQSIM_SEC_OPEN) };
        ASSERT_TRUE(m_sim.LoadNetworks(air));
    }
    void Join()
    {
        NDIS_802_11_SSID s = {};
        s.SsidLength = 4;
        std::memcpy(s.Ssid, "Open", 4);
        ASSERT_TRUE(SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1));
    }
    static bool Request(const char* mac, BYTE valid)
    {
        DlsLinkEntry e = {};
        kqsim::ParseMac(mac, e.mac);
        e.timeout = 60;
        e.valid = valid;
        return SetOid(OID_VENDOR_DLS_LINK, &e, sizeof(e), nullptr, 1) != FALSE;
    }
    static std::vector<DlsLinkEntry> Links()
    {
        DlsLinkEntry all[kDlsLinkCount] = {};
        QueryOid(OID_VENDOR_DLS_LINK, all, sizeof(all), nullptr);
        std::vector<DlsLinkEntry> out;
        for (const DlsLinkEntry& e : all)
            if (e.valid) out.push_back(e);
        return out;
    }

    kqsim::SimClient& m_sim = kqsim::SharedTestClient();
    kqsim::TestAdapter m_adapter{ m_sim, 0x29 };
    kqsim::AirGuard m_air{ m_sim };
    kqtest::Restore<char[MAX_PATH]> m_path{ g_szDevicePath };
};

TEST_F(SimDirectLinks, ALinkComesUpOnlyWhileJoinedAndToAStationOfTheAir)
{
    struct Case {
        const char* what;
        bool joined;
        const char* peer;
        BYTE state;
    } const cases[] = {
        { "joined, a station of the air", true, "02:00:00:00:71:02", 2 },
        { "joined, nobody there", true, "02:00:00:00:71:99", 0 },
        { "not joined", false, "02:00:00:00:71:02", 0 },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_sim.ResetAdapter(m_adapter.guid()));
        ASSERT_TRUE(m_sim.Return(m_adapter.guid()));
        if (c.joined) Join();
        ASSERT_TRUE(Request(c.peer, 1)) << c.what;
        std::vector<DlsLinkEntry> links = Links();
        ASSERT_EQ(1u, links.size()) << c.what;
        EXPECT_EQ(c.state, links[0].state) << c.what;
        EXPECT_EQ(60, links[0].timeout) << c.what;
    }
}

TEST_F(SimDirectLinks, FourLinksAtMostAndValidZeroRemovesOne)
{
    Join();
    const char* peers[] = { "02:00:00:00:71:02", "02:00:00:00:72:01", "02:00:00:00:72:02", "02:00:00:00:72:03" };
    for (const char* p : peers) ASSERT_TRUE(Request(p, 1));
    EXPECT_FALSE(Request("02:00:00:00:72:04", 1)) << "no fifth link";
    EXPECT_TRUE(Request("02:00:00:00:71:02", 1)) << "asking again for a link reuses its record";
    EXPECT_EQ(4u, Links().size());
    ASSERT_TRUE(Request("02:00:00:00:72:01", 0));
    EXPECT_EQ(3u, Links().size());
    ASSERT_TRUE(Request("02:00:00:00:72:04", 1));
    EXPECT_EQ(4u, Links().size());
}

}  // namespace
