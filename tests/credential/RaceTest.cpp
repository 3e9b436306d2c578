// The port's credential handles between three threads: the library's
// callback reads them, the worker replaces them, the user-interface thread
// destroys them (a new activation, the hand-over to Zero Configuration, the
// adapter's loss).  Requests are raised on a thread of the test, as the
// library's threads raise theirs, while the test's own thread changes the
// port; the stand-in counts every handle destroyed twice, every destroyed
// handle handed over, and the handles alive at the end.
#include "credential/QueueFixture.h"

#include "auth/AuthWaits.h"
#include "core/ZeroConfig.h"

namespace {

using kqtest::QueueTest;
using kqtest::Restore;
using kqtest::Stand;

class CredentialRaceTest : public QueueTest {
protected:
    // A login with handles for everything (the password request is answered
    // in the callback), a certificate login without a password handle (it
    // is deferred), and an MD5 login without an outer identity (the worker
    // makes one from the prompt).
    StationConfig* ProfileOfRound(int round)
    {
        switch (round % 3) {
        case 0: return PeapProfile();
        case 1: {
            StationConfig* p = NewProfile("Sim-Queue", 6, 6);
            p->eapMethod = 1;
            std::strcpy(p->identity, "alice");
            return p;
        }
        default: {
            StationConfig* p = NewProfile("Sim-Queue", 6, 6);
            p->eapMethod = 4;
            std::strcpy(p->password, "outer-pw");
            return p;
        }
        }
    }
    void Reopen()
    {
        ASSERT_TRUE(InitAuthLibrary());
        ASSERT_TRUE(OpenAuthPort(FALSE));
    }

    // The waits of the layer: none, so that a thousand rounds take seconds.
    Restore<AuthWaits> m_waits{g_AuthWaits};
};

TEST_F(CredentialRaceTest, DeferredRequestsRacingActivationHandOverAndAdapterLossLoseNoHandle)
{
    g_AuthWaits.portStopMs = g_AuthWaits.portCloseMs = g_AuthWaits.requestRestMs = 0;
    const std::string guid = kqsim::TestAdapterGuid(kAdapter);
    const int before = Stand().liveObjects();
    const int kRounds = 1000;
    int raised = 0;
    for (int round = 0; round < kRounds; ++round) {
        Configure(ProfileOfRound(round));
        // The library asks: a retry, the outer identity, a password.
        std::atomic<int> ids{0};
        AC_HANDLE h = g_pAuthPort->handle;
        std::thread library([h, &ids] {
            for (DWORD type : {7u, 3u, 5u}) ids += Stand().raise(h, type, 0) != 0;
        });
        // Meanwhile the user-interface thread changes the port.
        switch (round % 4) {
        case 0:
        case 1:
            Configure(ProfileOfRound(round + 1));   // another activation
            break;
        case 2:
            StopAuthenticationAndClosePort();   // the hand-over to Zero Configuration
            break;
        default:
            ASSERT_TRUE(m_sim.Vanish(guid));   // the adapter is lost
            CloseAuthPort();
            ASSERT_TRUE(m_sim.Return(guid));
            break;
        }
        library.join();
        raised += ids;
        if (!g_pAuthPort) Reopen();
        ASSERT_NE(nullptr, g_pAuthPort) << round;
    }
    CloseAuthPort();
    EXPECT_EQ(0, Stand().badDestroys()) << "handles destroyed twice";
    EXPECT_EQ(0, Stand().staleHandles()) << "destroyed handles handed to the library";
    EXPECT_EQ(before, Stand().liveObjects()) << "handles alive after the port closed";
    EXPECT_GE(raised, kRounds * 3 / 2) << "requests that reached the program";
    std::printf("%d rounds, %d requests raised, %d handles alive at the end (%d before), %d destroyed twice, "
                "%d handed over destroyed\n",
                kRounds, raised, Stand().liveObjects(), before, Stand().badDestroys(), Stand().staleHandles());
}

}  // namespace
