// The library's threads: callbacks arrive on them, never inside a call of
// the program; stop and detach never wait for ever on a callback; nothing
// arrives after a detach; late answers are refused.
#include "auth/AuthFixture.h"

#include <atomic>

namespace {

using kqtest::AuthTest;
using kqtest::Stand;
using kqtest::WaitUntil;

struct Watch {
    std::atomic<DWORD> testThread{0};
    std::atomic<void*> detachedPort{nullptr};
    std::atomic<int> callbacks{0};
    std::atomic<int> onTestThread{0};
    std::atomic<int> afterDetach{0};
    std::atomic<int> requests{0};
    std::atomic<int> delayMs{0};
    bool takeLock = false;   // under lockChoice
    CRITICAL_SECTION lockChoice;
    Watch() { InitializeCriticalSection(&lockChoice); }
};
Watch g_watch;

// Whether callbacks take the port lock.  A callback that has chosen to take
// it has done so once this returns: one still waiting for the lock when the
// port is detached (under that lock) would keep its thread past the detach.
void TakeLockInCallbacks(bool take)
{
    EnterCriticalSection(&g_watch.lockChoice);
    g_watch.takeLock = take;
    LeaveCriticalSection(&g_watch.lockChoice);
}

void Observe(void* context)
{
    ++g_watch.callbacks;
    if (GetCurrentThreadId() == g_watch.testThread) ++g_watch.onTestThread;
    // A callback that needs the port lock, as the credential worker does:
    // one made inside acPortAuth or acPortAssociate would find it held by
    // its own thread and never get it.
    EnterCriticalSection(&g_watch.lockChoice);
    if (g_watch.takeLock && AuthPortAddRef((AUTH_PORT*)context)) AuthPortRelease((AUTH_PORT*)context);
    LeaveCriticalSection(&g_watch.lockChoice);
    if (context && context == g_watch.detachedPort) ++g_watch.afterDetach;
    // A slow program: callbacks that take their time while the port goes.
    if (g_watch.delayMs) Sleep((DWORD)g_watch.delayMs);
}

void WatchStatus(void* context, int event)
{
    Observe(context);
    OnAuthPortStatus(context, event);
}

void WatchRequest(void* context, AUTH_CRED_REQUEST*)
{
    ++g_watch.requests;
    Observe(context);
}

class ThreadTest : public AuthTest {
protected:
    void SetUp() override
    {
        AuthTest::SetUp();
        PutPskNetwork("Sim-Threads", 3, "thread-secret");
        Put8021xNetwork("Sim-Threads-1X", 4, "method=md5 identity=alice password=wonderland");
        g_watch.testThread = GetCurrentThreadId();
        g_watch.detachedPort = nullptr;
        g_watch.callbacks = g_watch.onTestThread = g_watch.afterDetach = 0;
        g_watch.requests = g_watch.delayMs = 0;
        TakeLockInCallbacks(false);
        ASSERT_TRUE(InitAuthLibrary());
    }
    void Attach()
    {
        ASSERT_TRUE(AuthPortAttachByMac(m_mac, WatchStatus, WatchRequest, FALSE));
        ASSERT_NE(nullptr, g_pAuthPort);
    }
    void Start(const char* ssid, DWORD authMode, DWORD encryption)
    {
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = NewProfile(ssid, authMode, encryption);
        std::strcpy(g_pCurProfile->wpaPsk, "thread-secret");
        g_pCurProfile->wpaPskLength = 13;
        g_pCurProfile->eapMethod = 4;
        std::strcpy(g_pCurProfile->identity, "alice");
        std::strcpy(g_pCurProfile->password, "wonderland");
        DWORD auth = authMode, wep = encryption;
        SetOid(OID_802_11_AUTHENTICATION_MODE, &auth, 4, nullptr, 1);
        SetOid(OID_802_11_WEP_STATUS, &wep, 4, nullptr, 1);
        ApplyProfileToPort();
        EXPECT_EQ(0, AuthPortStart(g_pAuthPort));
        NDIS_802_11_SSID s = kqtest::MakeSsid(ssid);
        SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1);
    }
    void Detach()
    {
        void* port = g_pAuthPort;
        ASSERT_TRUE(AuthPortDetachCurrent());
        g_watch.detachedPort = port;
    }
};

TEST_F(ThreadTest, CallbacksComeOnTheLibrarysThreadsOnly)
{
    Attach();
    TakeLockInCallbacks(true);
    Start("Sim-Threads", 7, 6);
    ASSERT_TRUE(WaitUntil([&] { return MediaConnected(); }));
    ASSERT_TRUE(WaitUntil([&] { return g_watch.callbacks >= 4; }));
    EXPECT_EQ(0, g_watch.onTestThread);
    TakeLockInCallbacks(false);
    EXPECT_EQ(1, Stand().threads());
    Detach();
    EXPECT_EQ(0, Stand().threads());
}

TEST_F(ThreadTest, StartOfAStartedPortReturnsOneWithoutTheLibrary)
{
    Attach();
    Start("Sim-Threads", 7, 6);
    DWORD mark = Mark();
    EXPECT_EQ(1, AuthPortStart(g_pAuthPort));
    for (const char* call : {"acCredRsnPsk", "acPortAuth", "acPortAssociate"}) EXPECT_FALSE(HasCall(mark, call));
    EXPECT_EQ(0, AuthPortStart(nullptr));
}

TEST_F(ThreadTest, LateAnswersAfterADetachAreRefused)
{
    Stand().configure("timeout=5000");
    Attach();
    Start("Sim-Threads-1X", 6, 6);
    ASSERT_TRUE(WaitUntil([&] { return g_watch.requests >= 1; }));
    AC_HANDLE h = g_pAuthPort->handle;
    Detach();
    // The request that was outstanding, and any other.
    for (DWORD id = 1; id < 2000; id += 97) {
        EXPECT_NE(0, g_ac.acCredComplete(h, id));
        EXPECT_NE(0, g_ac.acCredDeferred(h, id));
    }
    DWORD state = 0;
    EXPECT_NE(0, g_ac.acPortGetState(h, &state));
    EXPECT_NE(0, g_ac.acPortAuth(h));
    AC_HANDLE again = h;
    EXPECT_NE(0, g_ac.acPortDetach(&again));
    EXPECT_EQ(0, g_watch.afterDetach);
}

TEST_F(ThreadTest, ManyStartStopAndDetachCyclesNeitherDeadlockNorCallBackLate)
{
    // Slow callbacks, so that stops and detaches meet them running.
    g_watch.delayMs = 15;
    Stand().configure("timeout=200 assocwait=400");
    const int kCycles = 40;
    for (int i = 0; i < kCycles; ++i) {
        Attach();
        bool psk = i % 2 == 0;
        Start(psk ? "Sim-Threads" : "Sim-Threads-1X", psk ? 7 : 6, 6);
        // Let the session get to a different point each time.
        WaitUntil([&] { return g_watch.callbacks > i * 2; }, (DWORD)(i % 5) * 30);
        if (i % 10 == 9) {
            EXPECT_TRUE(AuthPortStop(g_pAuthPort)) << i;
        }
        Detach();
        EXPECT_EQ(0, Stand().threads()) << i;
        Sleep(0);
        EXPECT_EQ(0, g_watch.afterDetach) << i;
        g_watch.detachedPort = nullptr;
    }
    EXPECT_EQ(0, g_watch.onTestThread);
    EXPECT_GT(g_watch.callbacks, kCycles);
    EXPECT_EQ(0, Stand().ports());
    EXPECT_EQ(0, AuthPortListCount());
}

TEST_F(ThreadTest, AReferenceHeldElsewhereKeepsTheRecordPastTheDetach)
{
    Attach();
    AUTH_PORT* port = g_pAuthPort;
    ASSERT_TRUE(AuthPortAddRef(port));
    Detach();
    // Detached in the library, still on the list while the worker holds it.
    EXPECT_EQ(0, Stand().ports());
    EXPECT_EQ(1, AuthPortListCount());
    EXPECT_TRUE(AuthPortRelease(port));
    EXPECT_EQ(0, AuthPortListCount());
    EXPECT_FALSE(AuthPortRelease(port));
}

TEST_F(ThreadTest, ShutDownDoesNotWaitForEverOnAHeldPort)
{
    Attach();
    ASSERT_TRUE(AuthPortAddRef(g_pAuthPort));
    DWORD start = GetTickCount();
    ShutdownAuthLibrary();
    DWORD spent = GetTickCount() - start;
    EXPECT_LT(spent, 8000u);
    EXPECT_EQ(nullptr, g_pAuthPort);
    EXPECT_FALSE(AuthPortLayerReady());
    EXPECT_EQ(0, Stand().threads());
}

}  // namespace
