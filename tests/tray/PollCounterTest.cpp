// The link-poll counter against the simulated adapter: it counts poll runs
// while the link is down (past the 90th and 180th, where the scan-and-connect
// is due), holds at 0 while the adapter is joined to a network other than the
// current profile, and the 15-tick test reads the driver only on the 15th,
// 30th, ... poll of a link that fits the profile.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "auth/SupplicantBinding.h"
#include "app/HideDlg.h"
#include "core/StateQuery.h"
#include "core/OidChannel.h"
#include "core/StationConfig.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "tray/AdapterFixture.h"
#include "tray/ControllerFixture.h"
#include "tray/KestiqProcess.h"
#include "support/Restore.h"

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;
const char kOpenSsid[] = "Kestiq-Open";
const char kOpenBssid[] = "00:11:22:33:44:01";
const char kHomeSsid[] = "Kestiq-Home";
const char kHomeBssid[] = "00:11:22:33:44:03";

NDIS_802_11_SSID Ssid(const std::string& text)
{
    NDIS_802_11_SSID s = {};
    s.SsidLength = (ULONG)text.size();
    std::memcpy(s.Ssid, text.data(), text.size());
    return s;
}

// Requests of this test process go to the default adapter.
bool Join(const std::string& ssid)
{
    lstrcpynA(g_szDevicePath, ("\\\\.\\" + kGuid).c_str(), MAX_PATH);
    NDIS_802_11_SSID s = Ssid(ssid);
    return SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1) != FALSE;
}

bool Leave()
{
    lstrcpynA(g_szDevicePath, ("\\\\.\\" + kGuid).c_str(), MAX_PATH);
    return SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1) != FALSE;
}

int CountQueries(const std::vector<kqsim::LogEntry>& log, DWORD oid)
{
    int n = 0;
    for (const kqsim::LogEntry& e : log)
        if (e.kind == KQSIM_LOG_QUERY && e.BaseOid() == oid) ++n;
    return n;
}

// The controller made in this process; only the test's events run the poll.
class PollCounter : public kqtest::QuietControllerTest {
protected:
    int Count() { return (int)State(KQ_STATE_POLL_COUNT); }
    int Icon() { return (int)State(KQ_STATE_ICON); }
};

TEST_F(PollCounter, WhileDisconnectedEveryPollRunCountsPast90And180)
{
    // Every timer event but the WPS credential timer runs the poll.
    const UINT polling[] = { IDT_ADAPTER_POLL, IDT_WPS_BUTTON, IDT_RECONNECT, IDT_WEP_CHECK, IDT_WPS_STATUS,
                             IDT_WPS_SCAN };
    ASSERT_EQ(0, Count());
    for (int i = 1; i <= 181; ++i) {
        Tick(polling[i % 6]);
        ASSERT_EQ(i, Count()) << "poll run " << i << ", timer " << polling[i % 6];
        if (i == 1) {
            ASSERT_EQ(IDI_TRAY_DISCONNECT, Icon());
        }
    }
    Tick(IDT_WPS_CREDENTIAL);
    EXPECT_EQ(181, Count());
}

TEST_F(PollCounter, CountsOnlyWhileTheLinkFitsTheCurrentProfile)
{
    // The 15-tick test also waits for an open 802.1X port; the supplicant
    // binding opens none yet, so the port is marked open here.
    g_hAuthPort = 1;
    BYTE openMac[6], homeMac[6], zeroMac[6] = {};
    ASSERT_TRUE(kqsim::ParseMac(kOpenBssid, openMac));
    ASSERT_TRUE(kqsim::ParseMac(kHomeBssid, homeMac));
    struct {
        const char* name;
        const char* profileSsid;
        bool byBssid;
        const BYTE* bssid;
        bool fits;
    } cases[] = {
        { "other SSID", kHomeSsid, false, zeroMac, false },
        { "other BSSID", kOpenSsid, true, homeMac, false },
        { "all-zero BSSID", kOpenSsid, true, zeroMac, false },
        { "empty SSID", "", false, zeroMac, false },
        { "same SSID", kOpenSsid, false, zeroMac, true },
        { "same BSSID", kHomeSsid, true, openMac, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Leave());
        m_dlg.m_nPollCount = 0;
        if (g_pCurProfile) FreeStationConfig(g_pCurProfile);
        g_pCurProfile = AllocStationConfig();
        ASSERT_TRUE(g_pCurProfile);
        g_pCurProfile->ssid = Ssid(c.profileSsid);
        g_pCurProfile->matchByBssid = c.byBssid;
        std::memcpy(g_pCurProfile->bssid, c.bssid, 6);
        g_pCurProfile->infrastructureMode = Ndis802_11Infrastructure;
        // Open system without encryption, as the network: only the SSID or BSSID can differ.
        g_pCurProfile->authMode = Ndis802_11AuthModeOpen;
        g_pCurProfile->encryption = Ndis802_11EncryptionDisabled;

        // A few runs while the link is down, so that a reset shows.
        for (int i = 0; i < 4; ++i) Tick();
        ASSERT_EQ(4, Count());
        ASSERT_TRUE(Join(kOpenSsid));

        int expected = 4;
        for (int i = 0; i < 32; ++i) {
            DWORD from = 0;
            ASSERT_TRUE(m_sim.NextSeq(from));
            Tick();
            std::vector<kqsim::LogEntry> log = kqsim::AdapterLog(m_sim, kGuid, from);
            expected = c.fits ? expected + 1 : 0;
            ASSERT_EQ(expected, Count()) << "connected poll " << i + 1;
            ASSERT_NE(IDI_TRAY_DISCONNECT, Icon()) << "connected poll " << i + 1;
            // The 15-tick test reads the infrastructure mode on every poll and
            // goes on to the authentication mode only on a non-zero multiple of 15.
            EXPECT_EQ(1, CountQueries(log, OID_802_11_INFRASTRUCTURE_MODE)) << "connected poll " << i + 1;
            int due = (expected != 0 && expected % 15 == 0) ? 1 : 0;
            EXPECT_EQ(due, CountQueries(log, OID_802_11_AUTHENTICATION_MODE)) << "count " << expected;
            EXPECT_EQ(due, CountQueries(log, OID_802_11_WEP_STATUS)) << "count " << expected;
        }
    }
}

// Kestiq.exe itself, its real timers running beside the test's events.
class RunningPollCounter : public kqtest::DefaultAdapterTest {
protected:
    void TearDown() override
    {
        m_kestiq.Stop();
        DefaultAdapterTest::TearDown();
    }
    int Count() const { return (int)m_kestiq.Query(KQ_STATE_POLL_COUNT); }

    kqtest::KestiqProcess m_kestiq;
};

TEST_F(RunningPollCounter, CountsWhileDownAndHoldsZeroOnANetworkThatIsNotTheProfile)
{
    // A copy without the supplicant library: no 802.1X port, so the 15-tick
    // test, which re-applies the adapter key's profile while the link is
    // down, stays out of the way of the joins below.
    kqtest::ScratchFolder dir("pollcounter");
    ASSERT_TRUE(m_kestiq.Start(dir.Program(), "-s"));
    ASSERT_TRUE(m_kestiq.WaitReady());
    m_kestiq.FinishStartupApply();
    // The program's own timers add runs of their own: at least one per event.
    int last = Count();
    ASSERT_GE(last, 0);
    for (int i = 0; i < 185; ++i) {
        m_kestiq.Tick(i % 2 ? IDT_WPS_BUTTON : IDT_ADAPTER_POLL);
        int now = Count();
        ASSERT_GT(now, last) << "event " << i + 1;
        last = now;
    }
    EXPECT_GT(last, 180);

    // The adapter key's profile names no network: any network is another one.
    ASSERT_TRUE(Join(kOpenSsid));
    for (int i = 0; i < 20; ++i) {
        m_kestiq.Tick();
        ASSERT_EQ(0, Count()) << "connected event " << i + 1;
        ASSERT_NE(IDI_TRAY_DISCONNECT, m_kestiq.Icon());
    }

    ASSERT_TRUE(Leave());
    m_kestiq.Tick();
    EXPECT_GE(Count(), 1);
    EXPECT_EQ(IDI_TRAY_DISCONNECT, m_kestiq.Icon());
}

}  // namespace
