// Starting the library, restarting it, and attaching the adapter's port,
// including libraries that answer badly.
#include "auth/AuthFixture.h"

namespace {

using kqtest::AuthTest;
using kqtest::Stand;

class StartTest : public AuthTest {};

TEST_F(StartTest, OnlyAcInitMustAnswerZero)
{
    struct {
        const char* faults;
        bool started;
    } cases[] = {
        {"", true},
        {"acInit=-32", false},
        {"acInit=-1", false},
        {"ac8021xInit=-32 acRsnInit=-32 acEapInitAll=-32 acCcxInit=-32", true},
        {"acRsnInit=-1", false},
        {"acCcxInit=-35", false},
    };
    for (auto& c : cases) {
        Stand().reset();
        Stand().configure(c.faults);
        DWORD mark = Mark();
        EXPECT_EQ(c.started, InitAuthLibrary()) << c.faults;
        // The calls come in their order, each once.
        std::vector<std::string> order;
        for (const auto& e : Calls(mark))
            if (e.text.find("Init") != std::string::npos) order.push_back(e.text);
        if (c.started) {
            std::vector<std::string> want = {"acInit", "ac8021xInit", "acRsnInit", "acEapInitAll", "acCcxInit"};
            EXPECT_EQ(want, order) << c.faults;
            EXPECT_TRUE(OpenAuthPort(FALSE)) << c.faults;
        } else {
            EXPECT_FALSE(OpenAuthPort(FALSE)) << c.faults;
        }
        ShutdownAuthLibrary();
    }
}

TEST_F(StartTest, RestartDetachesThePreviousPortFirst)
{
    OpenPort();
    EXPECT_EQ(1, Stand().ports());
    DWORD mark = Mark();
    ASSERT_TRUE(InitAuthLibrary());
    auto calls = Calls(mark);
    ASSERT_GE(calls.size(), 2u);
    size_t detach = calls.size(), init = calls.size();
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].text.compare(0, 12, "acPortDetach") == 0 && detach == calls.size()) detach = i;
        if (calls[i].text == "acInit" && init == calls.size()) init = i;
    }
    EXPECT_LT(detach, init);
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_EQ(0, Stand().ports());
    EXPECT_EQ(0, Stand().threads());
    // The new instance attaches again.
    EXPECT_TRUE(OpenAuthPort(FALSE));
    EXPECT_EQ(1, Stand().ports());
}

TEST_F(StartTest, NoPortCarriesTheAdaptersMac)
{
    ASSERT_TRUE(InitAuthLibrary());
    // The driver answers a MAC that no port of the library has.
    BYTE unknown[6] = {0x02, 0, 0, 0, 0x62, 0x99};
    ASSERT_TRUE(m_sim.SetOidAnswer(m_adapter->guid(), OID_802_3_CURRENT_ADDRESS, unknown, 6));
    EXPECT_FALSE(OpenAuthPort(FALSE));
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_EQ(0, Stand().ports());
    // And a driver that does not answer at all.
    ASSERT_TRUE(m_sim.ClearOidAnswer(m_adapter->guid(), OID_802_3_CURRENT_ADDRESS));
    ASSERT_TRUE(m_sim.FailNext(m_adapter->guid(), OID_802_3_CURRENT_ADDRESS, 1));
    EXPECT_FALSE(OpenAuthPort(FALSE));
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_TRUE(OpenAuthPort(FALSE));
}

TEST_F(StartTest, AWalkThatRepeatsItselfEnds)
{
    // The library names the same port again and again; it is not the adapter's.
    Stand().configure("repeatnames=1");
    ASSERT_TRUE(InitAuthLibrary());
    DWORD mark = Mark();
    DWORD start = GetTickCount();
    bool attached = OpenAuthPort(FALSE);
    // Either the adapter's port came first, or the walk gave up; never a loop.
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_LE(Calls(mark, "acGetNextPortSymName").size(), 3u);
    if (attached) {
        EXPECT_EQ(0, std::memcmp(g_pAuthPort->attributes.mac, m_mac, 6));
    }
}

TEST_F(StartTest, PortNameWithoutTerminatorIsCutAtItsField)
{
    Stand().configure("noterminator=1");
    OpenPort();
    EXPECT_EQ(255u, std::strlen(g_pAuthPort->attributes.name));
    EXPECT_EQ(0, g_pAuthPort->symName[63]);
}

TEST_F(StartTest, FailedAttachOrAttributeReadLeavesNoPort)
{
    for (const char* fault : {"acPortAttach=-1", "acGetPortAttr=-5x3"}) {
        Stand().reset();
        ASSERT_TRUE(InitAuthLibrary());
        Stand().configure(fault);
        EXPECT_FALSE(OpenAuthPort(FALSE)) << fault;
        EXPECT_EQ(nullptr, g_pAuthPort) << fault;
        EXPECT_EQ(0, AuthPortListCount()) << fault;
        EXPECT_EQ(0, Stand().ports()) << fault;
        ShutdownAuthLibrary();
    }
}

TEST_F(StartTest, CcxRadioConfigurationFollowsTheLibrarysAnswer)
{
    struct {
        const char* faults;
        DWORD flags;
        int radioCalls;
    } cases[] = {
        {"ccx=4", 7, 2},                          // accepted: then the zero word
        {"ccx=4 acCcxRadioCfg=-16x1", 0, 1},      // no radio configuration
        {"ccx=4 acCcxRadioCfg=-8x1", 0, 1},
        {"ccx=4 acCcxRadioCfg=-22x1", 7, 2},      // read back, then the zero word
        {"ccx=0", 0, 0},
    };
    for (auto& c : cases) {
        Stand().reset();
        Stand().configure(c.faults);
        DWORD mark = Mark();
        OpenPort();
        EXPECT_EQ(c.flags, g_pAuthPort->ccxRadioFlags) << c.faults;
        EXPECT_EQ((size_t)c.radioCalls, Calls(mark, "acCcxRadioCfg").size()) << c.faults;
        ShutdownAuthLibrary();
    }
}

}  // namespace
