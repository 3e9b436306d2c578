// The callback answers at once what the port holds and queues the rest; the
// one worker answers each queued request in its turn, on the port it holds
// a reference to, from the credential snapshot; the queue of ten makes the
// eleventh callback wait; a stop goes ahead of whatever waits.
#include "credential/QueueFixture.h"

#include <mutex>

#include "auth/AuthWaits.h"

namespace {

using kqtest::QueueTest;
using kqtest::Restore;
using kqtest::Stand;
using kqtest::WaitUntil;

using Names = std::vector<std::string>;

TEST_F(QueueTest, EachTypeIsAnsweredInTheCallbackOrDeferred)
{
    Configure(PeapProfile());
    ASSERT_NE(0u, g_pAuthPort->outerIdentity);
    ASSERT_NE(0u, g_pAuthPort->innerIdentity);
    ASSERT_NE(0u, g_pAuthPort->password);
    const Names deferred = {"acCredDeferred"};
    const Names completed = {"acCredComplete"};
    struct {
        DWORD type, subKind;
        Names inCallback;   // empty: deferred to the worker
    } cases[] = {
        {1, 0, completed},
        {2, 0, {}},
        {3, 0, {}},   // the outer identity, although its handle exists
        {3, 1, {"acCredIdentity", "acCredComplete"}},
        {4, 0, {"acCredGetEapMethod", "acCredEapMethods", "acCredComplete"}},
        {4, 1, {"acCredGetEapMethod", "acCredEapMethods", "acCredComplete"}},
        {5, 0, {"acCredGetEapMethod", "acCredPassword", "acCredComplete"}},
        {6, 0, {}},
        {7, 0, {}},
        {8, 0, {}},
        {9, 0, {"acCredUserCert", "acCredComplete"}},
        {10, 0, {"acCredGetEapNotification", "acCredComplete"}},
        {11, 0, {}},
        {12, 0, {"acCredGetEapFASTAID", "acCredEapFASTPacTypes", "acCredComplete"}},
        {13, 0, {}},
        {14, 0, completed},
        {15, 0, {"acCredEapTTLSTunnelMethod", "acCredComplete"}},
        {16, 0, {}},
        {17, 0, {}},   // no machine identity
        {18, 0, {"acCredEapFASTProvisionModes", "acCredComplete"}},
        {0, 0, completed},
        {19, 0, completed},
        {0xFFFFFFFF, 7, completed},
    };
    DWORD mark = Mark();
    std::vector<DWORD> queued;
    for (auto& c : cases) {
        DWORD id = Raise(c.type, c.subKind);
        ASSERT_NE(0u, id);
        if (c.inCallback.empty()) {
            EXPECT_EQ(deferred, AnswersTo(mark, id)) << c.type << "/" << c.subKind;
            EXPECT_FALSE(Done(id)) << c.type;
            queued.push_back(id);
        } else {
            EXPECT_EQ(c.inCallback, AnswersTo(mark, id)) << c.type << "/" << c.subKind;
            EXPECT_TRUE(Done(id)) << c.type;
        }
    }
    // The worker has taken the first at most; the stop goes ahead of the rest.
    EXPECT_GE(CredentialRequestsWaiting(), (int)queued.size() - 1);
    ShutdownAuthLibrary();
    EXPECT_FALSE(CredentialUiThreadRunning());
    EXPECT_EQ(0, CredentialRequestsWaiting());
    for (DWORD id : queued) EXPECT_EQ(deferred, AnswersTo(mark, id)) << id;
}

TEST_F(QueueTest, TheWorkerAnswersFromThePortAndTheSnapshot)
{
    Configure(PeapProfile());
    DWORD mark = Mark();
    DWORD session = Raise(2), outer = Raise(3, 0), retry = Raise(7), machine = Raise(17);
    // The worker never reads the current profile, which may go meanwhile.
    FreeStationConfig(g_pCurProfile);
    g_pCurProfile = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return Done(session) && Done(outer) && Done(retry) && Done(machine); }, 15000));
    EXPECT_EQ((Names{"acCredDeferred", "acCredSessionStart", "acCredComplete"}), AnswersTo(mark, session));
    EXPECT_EQ((Names{"acCredDeferred", "acCredGetIdentityPrompt", "acCredIdentity", "acCredComplete"}),
              AnswersTo(mark, outer));
    EXPECT_EQ((Names{"acCredDeferred", "acCredGetPasswordPrompt", "acCredPassword", "acCredComplete"}),
              AnswersTo(mark, retry));
    EXPECT_EQ((Names{"acCredDeferred", "acCredComplete"}), AnswersTo(mark, machine));
    // PEAP logs in with the tunnel password, "wonderland".
    EXPECT_TRUE(HasCall(mark, "acPasswordCreate len=10"));

    // MD5 too is answered with the tunnel password; an outer identity the
    // profile lacks is made from the prompt's (empty) text and kept as the
    // port's, for the next request and until the port's credentials go.
    StationConfig* md5 = NewProfile("Sim-Queue", 6, 6);
    md5->eapMethod = 4;
    std::strcpy(md5->password, "outer-pw");
    std::strcpy(md5->tunnelPassword, "wonderland");
    Configure(md5);
    ASSERT_EQ(0u, g_pAuthPort->outerIdentity);
    mark = Mark();
    outer = Raise(3, 0);
    retry = Raise(7);
    ASSERT_TRUE(WaitUntil([&] { return Done(outer) && Done(retry); }, 15000));
    EXPECT_TRUE(HasCall(mark, "acPasswordCreate len=10"));
    EXPECT_FALSE(HasCall(mark, "acPasswordCreate len=8"));
    auto created = Calls(mark, "acIdentityCreate");
    ASSERT_EQ(1u, created.size());
    EXPECT_EQ("acIdentityCreate ", created[0].text);
    EXPECT_EQ((Names{"acCredDeferred", "acCredGetIdentityPrompt", "acCredIdentity", "acCredComplete"}),
              AnswersTo(mark, outer));
    EXPECT_FALSE(HasCall(mark, "acIdentityDestroy"));
    AC_HANDLE made = g_pAuthPort->outerIdentity;
    EXPECT_NE(0u, made);
    mark = Mark();
    outer = Raise(3, 0);
    ASSERT_TRUE(WaitUntil([&] { return Done(outer); }, 15000));
    EXPECT_TRUE(Calls(mark, "acIdentityCreate").empty());
    EXPECT_EQ(made, g_pAuthPort->outerIdentity);
    // It goes with the port's credentials.
    DestroyPortCredentials(g_pAuthPort);
    EXPECT_TRUE(HasCall(mark, "acIdentityDestroy " + std::to_string(made)));
}

TEST_F(QueueTest, TheServerIsVerifiedOnlyWhenItsCertificateMatchesEveryRule)
{
    // The joined network's server presents the name and the CA below; the
    // verdict handed to the library is read from the stand-in's log.
    const std::string server = "radius.kestiq.test";
    const std::string server99 = std::string(94, 'n') + ".test";    // 99 characters
    const std::string longest = std::string(122, 'l') + ".test";     // 127 characters
    struct Case {
        const char* what;
        std::string network;   // the name the server presents
        BYTE ca;               // the CA chosen (0: any trusted CA); the server's is 0x5E
        DWORD rule;
        std::string name;
        const char* fault;     // injected into the stand-in
        int verified;
        int domainChecks, fieldChecks, fieldReads;
    };
    const Case cases[] = {
        {"exact name", server, 0x5E, 0, server, "", 1, 0, 1, 0},
        {"domain", server, 0x5E, 1, "kestiq.test", "", 1, 1, 0, 0},
        {"name mismatch: a suffix is not the exact name", server, 0x5E, 0, "kestiq.test", "", 0, 0, 1, 2},
        {"common name mismatch", server, 0x5E, 0, "other.test", "", 0, 0, 1, 2},
        {"domain mismatch", server, 0x5E, 1, "other.test", "", 0, 3, 0, 6},
        {"CA mismatch", server, 0x5F, 0, server, "", 0, 0, 1, 0},
        {"any trusted CA", server, 0, 0, server, "", 1, 0, 1, 0},
        {"endless field values", server, 0x5E, 1, "other.test", "endlessfields=1", 0, 3, 0,
         3 * kServerFieldValuesMax},
        // -32 counts as success: the values are read on and the verdict given.
        {"-32 from a field read", server, 0x5E, 0, "other.test", "acCredServerGetField=-32x1", 0, 0, 1, 2},
        // A long name is checked whole, never as its first 99 characters.
        {"99 characters, exact", server99, 0x5E, 0, server99, "", 1, 0, 1, 0},
        {"100 characters, the server's 99 first", server99, 0x5E, 0, server99 + "x", "", 0, 0, 1, 2},
        {"127 characters, the server's 99 first", server99, 0x5E, 0, server99 + std::string(28, 'x'), "", 0, 0, 1,
         2},
        {"127 characters, exact", longest, 0x5E, 0, longest, "", 1, 0, 1, 0},
        {"127 characters, domain", longest, 0x5E, 1, longest.substr(27), "", 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        JoinServer(c.network);
        Stand().configure("endlessfields=0");
        if (*c.fault) Stand().configure(c.fault);
        g_AuthServerCert.length = c.ca ? 20 : 0;
        std::memset(g_AuthServerCert.data, c.ca, 20);
        StationConfig* p = NewProfile("Sim-Queue", 6, 6);
        p->eapMethod = 1;
        p->useServerCert = 1;
        p->intermediateCert = 1;
        p->nameRule = c.rule;
        lstrcpynA(p->serverName, c.name.c_str(), sizeof(p->serverName));
        Configure(p);
        DWORD mark = Mark();
        DWORD id = Raise(8);
        // Completed, whatever the verdict.
        EXPECT_TRUE(WaitUntil([&] { return Done(id); }, 15000));
        EXPECT_EQ(c.verified, Verdict(mark, id));
        EXPECT_EQ(1, Count(mark, "acCredServerVerifyChain"));
        EXPECT_EQ(c.ca ? 1 : 0, Count(mark, "acCredServerVerifyCA"));
        EXPECT_EQ(c.domainChecks, (int)Calls(mark, "acCredServerVerifyDomain").size());
        EXPECT_EQ(c.fieldChecks, (int)Calls(mark, "acCredServerVerifyField").size());
        EXPECT_EQ(c.fieldReads, (int)Calls(mark, "acCredServerGetField").size());
        Names tail = AnswersTo(mark, id);
        if (tail.size() < 2) tail.insert(tail.begin(), 2 - tail.size(), "");
        EXPECT_EQ((Names{"acCredServerVerified", "acCredComplete"}), Names(tail.end() - 2, tail.end()));
        Stand().reset();
    }
}

TEST_F(QueueTest, FailedAnswersEndTheRoutineAndMinus35CompletesOnceMore)
{
    Configure(PeapProfile());
    struct {
        const char* fault;
        DWORD type;
        Names calls;
        bool done;
    } cases[] = {
        {"acCredEapMethods=-35x1", 4, {"acCredGetEapMethod", "acCredEapMethods", "acCredComplete"}, true},
        {"acCredComplete=-35x1", 9, {"acCredUserCert", "acCredComplete", "acCredComplete"}, true},
        {"acCredUserCert=-1x1", 9, {"acCredUserCert"}, false},
        {"acCredGetEapMethod=-1x1", 5, {"acCredGetEapMethod"}, false},
    };
    for (auto& c : cases) {
        Stand().configure(c.fault);
        DWORD mark = Mark();
        DWORD id = Raise(c.type);
        EXPECT_EQ(c.calls, AnswersTo(mark, id)) << c.fault;
        EXPECT_EQ(c.done, Done(id)) << c.fault;
    }
}

TEST_F(QueueTest, WithTenWaitingTheEleventhCallbackWaitsUntilTheWorkerTakesOne)
{
    Configure(PeapProfile());
    // Password changes nobody answers keep the worker busy: one it works
    // on, one first in the queue behind nine more requests.
    DWORD first = Raise(6);
    ASSERT_TRUE(WaitUntil([&] { return PasswordChangePending(); }, 5000));
    ASSERT_EQ(0, CredentialRequestsWaiting());
    ASSERT_NE(0u, Raise(6));
    DWORD mark = Mark();
    std::atomic<int> returned{0};
    for (int i = 0; i < 9; ++i) RaiseOnThread(2, returned);
    ASSERT_TRUE(WaitUntil([&] { return returned == 9; }));
    EXPECT_EQ(10, CredentialRequestsWaiting());
    RaiseOnThread(2, returned);
    // The eleventh has told the library it is deferred and waits for room.
    ASSERT_TRUE(WaitUntil([&] { return Count(mark, "acCredDeferred") == 10; }));
    EXPECT_EQ(9, returned.load());
    EXPECT_EQ(10, CredentialRequestsWaiting());

    // The worker answers the first and takes the second: the eleventh gets
    // its place, and the worker waits for the user again.
    CancelPasswordChange();
    ASSERT_TRUE(WaitUntil([&] { return returned == 10; }));
    EXPECT_TRUE(Done(first));
    ASSERT_TRUE(WaitUntil([&] { return PasswordChangePending(); }));
    EXPECT_EQ(10, CredentialRequestsWaiting());
    // The stop ends that wait and does not wait behind the ten: none of them
    // is answered.
    DWORD stopMark = Mark();
    ShutdownAuthLibrary();
    EXPECT_EQ(0, Count(stopMark, "acCredSessionStart"));
    EXPECT_EQ(1, Count(stopMark, "acCredPassword"));
    EXPECT_FALSE(CredentialUiThreadRunning());
    EXPECT_EQ(0, CredentialRequestsWaiting());
    EXPECT_EQ(0, Stand().outstanding());
}

TEST_F(QueueTest, ARequestOfAClosingPortIsAnsweredOnItsReferenceOrSkipped)
{
    Configure(PeapProfile());
    // Stopped while the request rests: answered on the port held.
    DWORD mark = Mark();
    DWORD id = Raise(2);
    ASSERT_TRUE(WaitUntil([&] { return g_pAuthPort->refCount == 2; }));
    ASSERT_TRUE(AuthPortStop(g_pAuthPort));
    ASSERT_TRUE(WaitUntil([&] { return Done(id); }));
    EXPECT_EQ((Names{"acCredDeferred", "acCredSessionStart", "acCredComplete"}), AnswersTo(mark, id));

    // Detached while it rests: the record stays while the worker holds it,
    // the worker answers on it and the library, whose port has gone, refuses
    // the answer; the record goes with the reference.
    mark = Mark();
    id = Raise(2);
    ASSERT_TRUE(WaitUntil([&] { return g_pAuthPort->refCount == 2; }));
    ASSERT_TRUE(AuthPortDetachCurrent());
    EXPECT_EQ(1, AuthPortListCount());
    ASSERT_TRUE(WaitUntil([&] { return AuthPortListCount() == 0; }));
    EXPECT_EQ((Names{"acCredDeferred", "acCredSessionStart"}), AnswersTo(mark, id));
    EXPECT_EQ(0, Count(mark, "acCredSessionStart"));
    EXPECT_TRUE(CredentialUiThreadRunning());

    // Taken when no port is attached any more: skipped.  A password change
    // nobody answers keeps the worker while the next request waits.
    ASSERT_TRUE(OpenAuthPort(FALSE));
    Configure(PeapProfile());
    DWORD change = Raise(6);
    ASSERT_TRUE(WaitUntil([&] { return PasswordChangePending(); }));
    mark = Mark();
    id = Raise(2);
    ASSERT_TRUE(AuthPortDetachCurrent());
    CancelPasswordChange();
    ASSERT_TRUE(WaitUntil([&] { return CredentialRequestsWaiting() == 0 && AuthPortListCount() == 0; }));
    EXPECT_EQ((Names{"acCredDeferred"}), AnswersTo(mark, id));
    EXPECT_EQ(-1, Stand().done(change));
}

// A session start the library takes its time over: the first call holds
// until the gate opens.  Every request id it is called for is noted.
HANDLE g_sessionGate = nullptr;
std::atomic<DWORD> g_heldThread{0};
std::mutex g_sessionLock;
std::vector<DWORD> g_sessionIds;
AC_STATUS (*g_realSessionStart)(AC_HANDLE, DWORD, DWORD) = nullptr;

AC_STATUS HeldSessionStart(AC_HANDLE h, DWORD id, DWORD value)
{
    {
        std::lock_guard<std::mutex> lock(g_sessionLock);
        g_sessionIds.push_back(id);
    }
    DWORD none = 0;
    if (g_heldThread.compare_exchange_strong(none, GetCurrentThreadId())) WaitForSingleObject(g_sessionGate, INFINITE);
    return g_realSessionStart(h, id, value);
}

std::vector<DWORD> SessionIds()
{
    std::lock_guard<std::mutex> lock(g_sessionLock);
    return g_sessionIds;
}

TEST_F(QueueTest, AWorkerGivenUpAtShutDownAnswersNothingMoreAndLeavesTheNextOneAlone)
{
    Restore<AcAuthLibrary> library{g_ac};
    Restore<AuthWaits> waits{g_AuthWaits};
    g_AuthWaits.requestRestMs = 0;
    g_sessionGate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_heldThread = 0;
    g_sessionIds.clear();
    g_realSessionStart = g_ac.acCredSessionStart;
    g_ac.acCredSessionStart = HeldSessionStart;
    Configure(PeapProfile());
    // The worker is held in the library; a second request waits in its queue.
    DWORD held = Raise(2);
    ASSERT_TRUE(WaitUntil([&] { return g_heldThread != 0; }));
    HANDLE oldWorker = OpenThread(SYNCHRONIZE, FALSE, g_heldThread);
    ASSERT_NE(nullptr, oldWorker);
    DWORD waiting = Raise(2);
    ASSERT_NE(0u, waiting);
    // Shut down (the wait for the worker runs out) and started again.
    g_AuthWaits.shutdownMs = 100;
    ShutdownAuthLibrary();
    g_AuthWaits.shutdownMs = AuthWaits().shutdownMs;
    EXPECT_FALSE(CredentialUiThreadRunning());
    OpenPort();
    Configure(PeapProfile());

    // The library lets the old worker go: it ends, and answers nothing on
    // the new port, neither the request of its queue nor another.
    SetEvent(g_sessionGate);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, WaitForSingleObject(oldWorker, 20000));
    CloseHandle(oldWorker);
    EXPECT_EQ(std::vector<DWORD>{held}, SessionIds());
    // The new worker answers as ever.
    DWORD fresh = Raise(2);
    ASSERT_TRUE(WaitUntil([&] { return Done(fresh); }));
    EXPECT_EQ((std::vector<DWORD>{held, fresh}), SessionIds());
    EXPECT_TRUE(CredentialUiThreadRunning());
    CloseHandle(g_sessionGate);
    g_sessionGate = nullptr;
}

TEST_F(QueueTest, ShutDownDuringALoginLeavesNoWorkerAndNoRequest)
{
    Put8021xNetwork("Sim-Queue", 5, "method=peap identity=alice password=wonderland");
    StationConfig* p = PeapProfile();
    g_pCurProfile = p;
    DWORD mark = Mark();
    Connect(*p);
    ASSERT_TRUE(WaitUntil([&] { return Count(mark, "acCredDeferred") >= 1; }));
    DWORD stopMark = Mark();
    ShutdownAuthLibrary();
    EXPECT_FALSE(CredentialUiThreadRunning());
    EXPECT_EQ(0, CredentialRequestsWaiting());
    EXPECT_EQ(0, Stand().outstanding());
    EXPECT_EQ(0, Stand().threads());
    EXPECT_EQ(0, Count(stopMark, "acCredSessionStart"));
    EXPECT_FALSE(HasCall(mark, "verdict"));
}

TEST_F(QueueTest, RequestsWithoutAnAnswerAreCompletedAndARogueApReassociates)
{
    // The account asks for types 1, 14 and 17 after the identity, and
    // reports a rogue access point once authenticated.
    Put8021xNetwork("Sim-Queue", 5, "method=md5 identity=alice password=outer-pw ask=1,14,17 rogue=1");
    StationConfig* p = NewProfile("Sim-Queue", 6, 6);
    p->eapMethod = 4;
    std::strcpy(p->identity, "alice");
    std::strcpy(p->password, "outer-pw");
    g_pCurProfile = p;
    g_bAutoConnect = 1;
    DWORD mark = Mark();
    Connect(*p);
    // Authenticated, then again after the program left and rejoined.
    ASSERT_TRUE(WaitUntil([&] { return Calls(mark, "verdict authorized").size() == 2; }, 30000));
    EXPECT_TRUE(Calls(mark, "verdict failed").empty());
    std::vector<std::string> road;
    for (const auto& e : Calls(mark, "ac")) {
        std::string name = e.text.substr(0, e.text.find(' '));
        if (name == "acPortDisassociate" || name == "acCredCcxRogueAP" || name == "acPortAssociate") road.push_back(name);
    }
    // The configuration's disassociate and the start's associate, then the
    // road of the rogue access point.
    EXPECT_EQ((Names{"acPortDisassociate", "acPortAssociate", "acPortDisassociate", "acCredCcxRogueAP",
                     "acPortAssociate"}),
              road);
    for (const char* type : {" type=1 ", " type=14 ", " type=17 "}) {
        int asked = 0, completed = 0;
        for (const auto& e : Calls(mark, "request id=")) {
            if (e.text.find(type) == std::string::npos) continue;
            ++asked;
            DWORD id = (DWORD)std::strtoul(e.text.c_str() + 11, nullptr, 10);
            Names answers = AnswersTo(mark, id);
            completed += !answers.empty() && answers.back() == "acCredComplete";
        }
        EXPECT_EQ(2, asked) << type;
        EXPECT_EQ(asked, completed) << type;
    }

    // Without auto-connect the program leaves the access point and stays away.
    g_bAutoConnect = 0;
    mark = Mark();
    DWORD id = Raise(16);
    ASSERT_TRUE(WaitUntil([&] { return Done(id); }));
    EXPECT_EQ((Names{"acCredDeferred", "acCredCcxRogueAP", "acCredComplete"}), AnswersTo(mark, id));
    EXPECT_TRUE(HasCall(mark, "acPortDisassociate"));
    EXPECT_FALSE(HasCall(mark, "acPortAssociate"));
}

}  // namespace
