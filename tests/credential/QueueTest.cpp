// The callback answers at once what the port holds and queues the rest; the
// one worker answers each queued request in its turn, on the port it holds
// a reference to, from the credential snapshot; the queue of ten makes the
// eleventh callback wait; a stop goes ahead of whatever waits.
#include "credential/QueueFixture.h"

namespace {

using kqtest::QueueTest;
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
    ASSERT_TRUE(WaitUntil([&] { return Done(session) && Done(outer) && Done(retry) && Done(machine); }, 30000));
    EXPECT_EQ((Names{"acCredDeferred", "acCredSessionStart", "acCredComplete"}), AnswersTo(mark, session));
    EXPECT_EQ((Names{"acCredDeferred", "acCredGetIdentityPrompt", "acCredIdentity", "acCredComplete"}),
              AnswersTo(mark, outer));
    EXPECT_EQ((Names{"acCredDeferred", "acCredGetPasswordPrompt", "acCredPassword", "acCredComplete"}),
              AnswersTo(mark, retry));
    EXPECT_EQ((Names{"acCredDeferred", "acCredComplete"}), AnswersTo(mark, machine));
    // PEAP logs in with the tunnel password, "wonderland".
    EXPECT_TRUE(HasCall(mark, "acPasswordCreate len=10"));

    // MD5 with its own password, and an outer identity the profile lacks:
    // the prompt's (empty) text stands in for it.
    StationConfig* md5 = NewProfile("Sim-Queue", 6, 6);
    md5->eapMethod = 4;
    std::strcpy(md5->password, "outer-pw");
    std::strcpy(md5->tunnelPassword, "wonderland");
    Configure(md5);
    ASSERT_EQ(0u, g_pAuthPort->outerIdentity);
    mark = Mark();
    outer = Raise(3, 0);
    retry = Raise(7);
    ASSERT_TRUE(WaitUntil([&] { return Done(outer) && Done(retry); }, 30000));
    EXPECT_TRUE(HasCall(mark, "acPasswordCreate len=8"));
    auto created = Calls(mark, "acIdentityCreate");
    ASSERT_EQ(1u, created.size());
    EXPECT_EQ("acIdentityCreate ", created[0].text);
    EXPECT_EQ((Names{"acCredDeferred", "acCredGetIdentityPrompt", "acCredIdentity", "acCredComplete"}),
              AnswersTo(mark, outer));
    EXPECT_TRUE(HasCall(mark, "acIdentityDestroy"));
}

TEST_F(QueueTest, ServerNameIsCheckedByItsRuleAndFailedFieldsAreReadBounded)
{
    struct {
        const char* name;
        DWORD rule;
        const char* serverName;
        bool endless;
        int domainChecks, fieldChecks, fieldReads;
    } cases[] = {
        {"common name", 0, "radius.kestiq.test", false, 0, 1, 0},
        {"domain", 1, "kestiq.test", false, 1, 0, 0},
        {"domain mismatch", 1, "other.test", false, 3, 0, 6},
        {"common name mismatch", 0, "other.test", false, 0, 1, 2},
        {"endless field values", 1, "other.test", true, 3, 0, 3 * kServerFieldValuesMax},
    };
    for (auto& c : cases) {
        Stand().configure(c.endless ? "endlessfields=1" : "endlessfields=0");
        g_AuthServerCert.length = 20;
        std::memset(g_AuthServerCert.data, 0x5E, 20);
        StationConfig* p = NewProfile("Sim-Queue", 6, 6);
        p->eapMethod = 1;
        p->useServerCert = 1;
        p->intermediateCert = 1;
        p->nameRule = c.rule;
        std::strcpy(p->serverName, c.serverName);
        Configure(p);
        DWORD mark = Mark();
        DWORD id = Raise(8);
        ASSERT_TRUE(WaitUntil([&] { return Done(id); }, 30000)) << c.name;
        EXPECT_EQ(1, Count(mark, "acCredServerVerifyChain")) << c.name;
        EXPECT_EQ(1, Count(mark, "acCredServerVerifyCA")) << c.name;
        EXPECT_EQ(c.domainChecks, (int)Calls(mark, "acCredServerVerifyDomain").size()) << c.name;
        EXPECT_EQ(c.fieldChecks, (int)Calls(mark, "acCredServerVerifyField").size()) << c.name;
        EXPECT_EQ(c.fieldReads, (int)Calls(mark, "acCredServerGetField").size()) << c.name;
        Names tail = AnswersTo(mark, id);
        ASSERT_GE(tail.size(), 2u);
        EXPECT_EQ((Names{"acCredServerVerified", "acCredComplete"}), Names(tail.end() - 2, tail.end())) << c.name;
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
    ASSERT_TRUE(WaitUntil([&] { return PasswordChangePending(); }));
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
    // the request is skipped, and the record goes with the reference.
    id = Raise(2);
    ASSERT_TRUE(WaitUntil([&] { return g_pAuthPort->refCount == 2; }));
    ASSERT_TRUE(AuthPortDetachCurrent());
    EXPECT_EQ(1, AuthPortListCount());
    ASSERT_TRUE(WaitUntil([&] { return AuthPortListCount() == 0; }));
    EXPECT_EQ((Names{"acCredDeferred"}), AnswersTo(mark, id));
    EXPECT_TRUE(CredentialUiThreadRunning());
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
