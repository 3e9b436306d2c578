#include "auth/CredentialQueue.h"

#include <cstdio>
#include <cstring>

#include "auth/AcAuthLibrary.h"
#include "auth/AuthPort.h"
#include "auth/AuthWaits.h"
#include "auth/OsLayer.h"
#include "auth/PacFiles.h"
#include "auth/PasswordChange.h"
#include "auth/SupplicantBinding.h"
#include "core/ConnectEngine.h"

namespace {

// What one worker keeps of its own: its queue and its stop.  A worker the
// shut-down gives up on (held in the library) keeps them for good, so that
// when it comes back it neither takes from the next worker's queue nor
// answers beside it, and never again touches the port layer that was shut
// down under it.
struct WorkerRun {
    MSG_QUEUE* queue = nullptr;
    HANDLE stop = nullptr;     // manual reset, set by the stop and never again reset: ends the rests
    CRITICAL_SECTION lock;     // givenUp, and the worker's port references
    bool givenUp = false;
};

WorkerRun* g_pRun = nullptr;
MSG_QUEUE* g_pQueue = nullptr;   // the running worker's queue
OS_THREAD* g_pWorker = nullptr;
volatile LONG g_bStopping = 0;
// Callbacks between their look at the stopping flag and the end of their
// put: the queue stays until they are through.
volatile LONG g_nPosting = 0;

bool Stopping() { return InterlockedCompareExchange(&g_bStopping, 0, 0) != 0; }

// The server-certificate fields that carry a domain name, tried in this order.
const int kDomainFields[] = { 2001 /* dNSName */, 1001 /* domainName */, 1002 /* domainNameReversed */ };
const int kCommonNameField = 1000;

// Defers a request: for these types the request is queued before the
// library hears of the deferral, for the others after.
bool PostsFirst(DWORD type)
{
    return type == 5 || type == 6 || type == 7 || type == 11 || type == 13 || type == 16 || type == 17;
}

void Defer(AUTH_PORT* port, AUTH_CRED_REQUEST* request)
{
    AC_HANDLE h = port->handle;
    if (PostsFirst(request->type)) {
        PostCredentialUiRequest(port, request);
        g_ac.acCredDeferred(h, request->id);
    } else {
        g_ac.acCredDeferred(h, request->id);
        PostCredentialUiRequest(port, request);
    }
}

// One answer call then the completion, by the common rule.
void AnswerAndComplete(AC_HANDLE h, DWORD id, AC_STATUS status)
{
    if (!CredAnswerFailed(h, id, status)) CompleteCredRequest(h, id);
}

void AnswerEapMethods(AUTH_PORT* port, AUTH_CRED_REQUEST* r)
{
    AC_HANDLE h = port->handle;
    AC_EAP_METHOD proposed = {};
    if (CredAnswerFailed(h, r->id, g_ac.acCredGetEapMethod(h, r->id, &proposed, r->subKind))) return;
    AC_EAP_METHOD pair = { port->reserved1, port->eapType };
    if (r->subKind != 0) {
        pair = { port->reserved2, port->innerEapType };
        if (port->reserved1 == 0 && port->eapType == 43) {
            DWORD mode = 0;
            if (CredAnswerFailed(h, r->id, g_ac.acCredGetEapFASTMode(h, r->id, &mode))) return;
            if (mode == 1) pair = { port->reserved3, port->fastProvisioningTunnel };
        }
    }
    if (pair.vendor == 0 && pair.type == 255) pair = proposed;
    AnswerAndComplete(h, r->id, g_ac.acCredEapMethods(h, r->id, &pair, 1));
}

void AnswerPacTypes(AUTH_PORT* port, AUTH_CRED_REQUEST* r)
{
    AC_HANDLE h = port->handle;
    BYTE aid[128] = {};
    int length = sizeof(aid);
    if (CredAnswerFailed(h, r->id, g_ac.acCredGetEapFASTAID(h, r->id, aid, &length))) return;
    static const DWORD kTypes[1] = { 1 };
    bool offer = port->fastUnauthProvisioning == 1;
    AnswerAndComplete(h, r->id, g_ac.acCredEapFASTPacTypes(h, r->id, offer ? kTypes : nullptr, offer ? 1 : 0));
}

void AnswerProvisionModes(AUTH_PORT* port, AUTH_CRED_REQUEST* r)
{
    static const DWORD kModes[1] = { 1 };
    bool offer = port->fastProvisionMode == 2;
    AnswerAndComplete(port->handle, r->id,
                      g_ac.acCredEapFASTProvisionModes(port->handle, r->id, offer ? kModes : nullptr, offer ? 1 : 0));
}

// The worker's rest before it answers a request; false when its stop came.
bool Rest(WorkerRun* run) { return WaitForSingleObject(run->stop, g_AuthWaits.requestRestMs) == WAIT_TIMEOUT; }

WorkerRun* NewRun()
{
    WorkerRun* run = new WorkerRun;
    InitializeCriticalSection(&run->lock);
    run->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!run->stop || !MsgQueueCreate(&run->queue, kCredentialQueueCapacity, sizeof(CRED_UI_MSG))) {
        if (run->stop) CloseHandle(run->stop);
        DeleteCriticalSection(&run->lock);
        delete run;
        return nullptr;
    }
    return run;
}

void FreeRun(WorkerRun* run)
{
    MsgQueueDestroy(&run->queue);
    CloseHandle(run->stop);
    DeleteCriticalSection(&run->lock);
    delete run;
}

// The attached port, with a reference for the worker; null without one, or
// when the worker was given up.
AUTH_PORT* HoldAttachedPort(WorkerRun* run, bool* givenUp)
{
    EnterCriticalSection(&run->lock);
    *givenUp = run->givenUp;
    AUTH_PORT* port = *givenUp ? nullptr : g_pAuthPort;
    if (port && !AuthPortAddRef(port)) port = nullptr;
    LeaveCriticalSection(&run->lock);
    return port;
}

// Lets the worker's reference go; false when it was given up meanwhile (the
// record is then left as the shut-down left it).
bool ReleaseHeldPort(WorkerRun* run, AUTH_PORT* port)
{
    EnterCriticalSection(&run->lock);
    bool givenUp = run->givenUp;
    if (!givenUp && port) AuthPortRelease(port);
    LeaveCriticalSection(&run->lock);
    return !givenUp;
}

// A value of one field at one index: the status of the read.
AC_STATUS ReadFieldValue(AUTH_PORT* port, const AUTH_CRED_REQUEST* r, int fieldId, int index)
{
    char value[256];
    int length = sizeof(value);
    return g_ac.acCredServerGetField(port->handle, r->id, fieldId, index, value, &length);
}

// The server name a port's field holds, whole: the field keeps at most 99
// characters of a name of up to 127, which the credential snapshot holds.
void WholeServerName(const char* field, size_t fieldSize, const char* whole, char* out, size_t outSize)
{
    size_t n = strnlen(field, fieldSize);
    if (n == fieldSize) n = fieldSize - 1;
    if (n == fieldSize - 1 && std::strncmp(whole, field, n) == 0) {
        lstrcpynA(out, whole, (int)outSize);
    } else {
        size_t k = n < outSize ? n : outSize - 1;
        std::memcpy(out, field, k);
        out[k] = 0;
    }
}

}  // namespace

bool CredAnswerFailed(AC_HANDLE h, DWORD id, AC_STATUS status)
{
    if (!IsAcFailure("answer", status)) return false;
    if (status == AC_RETRY_COMPLETE) g_ac.acCredComplete(h, id);
    return true;
}

void CompleteCredRequest(AC_HANDLE h, DWORD id)
{
    if (g_ac.acCredComplete(h, id) == AC_RETRY_COMPLETE) g_ac.acCredComplete(h, id);
}

// ---- The callback ------------------------------------------------------------------

namespace {

// The callback's own answers, made from the port's credentials (their lock
// held); true when the request goes to the worker instead.
bool AnswerInCallback(AUTH_PORT* port, AUTH_CRED_REQUEST* r)
{
    AC_HANDLE h = port->handle;
    switch (r->type) {
    case 2:   // session start
    case 6:   // change password
    case 7:   // retry password
    case 8:   // server certificate
    case 11:  // PAC for an authority
    case 13:  // PAC provisioned
    case 16:  // CCX rogue access point
        return true;
    case 3:   // identity: the outer one always goes to the worker
        if (r->subKind == 0 || !port->innerIdentity) return true;
        AnswerAndComplete(h, r->id, g_ac.acCredIdentity(h, r->id, port->innerIdentity));
        return false;
    case 4:
        AnswerEapMethods(port, r);
        return false;
    case 5: {
        AC_EAP_METHOD method = {};
        if (CredAnswerFailed(h, r->id, g_ac.acCredGetEapMethod(h, r->id, &method, r->subKind))) return false;
        if (!port->password) return true;
        AnswerAndComplete(h, r->id, g_ac.acCredPassword(h, r->id, port->password));
        return false;
    }
    case 9:
        AnswerAndComplete(h, r->id, g_ac.acCredUserCert(h, r->id, port->userCert));
        return false;
    case 10: {
        char text[256];
        int length = sizeof(text);
        AnswerAndComplete(h, r->id, g_ac.acCredGetEapNotification(h, r->id, text, &length));
        return false;
    }
    case 12:
        AnswerPacTypes(port, r);
        return false;
    case 15:
        AnswerAndComplete(h, r->id, g_ac.acCredEapTTLSTunnelMethod(h, r->id, port->ttlsInnerMethod));
        return false;
    case 17:
        if (!port->machineIdentity) return true;
        AnswerAndComplete(h, r->id, g_ac.acCredMachineIdentity(h, r->id, port->machineIdentity));
        return false;
    case 18:
        AnswerProvisionModes(port, r);
        return false;
    default:
        // Types 1 and 14, and any the program does not know, have no answer;
        // completed, the library goes on instead of waiting for its time-out.
        CompleteCredRequest(h, r->id);
        return false;
    }
}

}  // namespace

void OnAuthCredentialRequest(void* context, AUTH_CRED_REQUEST* request)
{
    AUTH_PORT* port = (AUTH_PORT*)context;
    if (!port || !request || !AcAuthLibraryLoaded()) return;
    bool defer;
    {
        PortCredentialLock lock;
        defer = AnswerInCallback(port, request);
    }
    // Out of the lock: the post waits while the queue is full, and the worker
    // needs the lock to make room.
    if (defer) Defer(port, request);
}

// ---- The queue and the worker ----------------------------------------------------------

int StartCredentialUiThread()
{
    if (g_pQueue) return 1;
    WorkerRun* run = NewRun();
    if (!run) return 0;
    InterlockedExchange(&g_bStopping, 0);
    g_pRun = run;
    g_pQueue = run->queue;
    OpenPasswordChanges();
    if (!OsThreadCreate(&g_pWorker, CredentialUiThreadProc, run)) {
        g_pQueue = nullptr;
        g_pRun = nullptr;
        FreeRun(run);
        return 0;
    }
    return 1;
}

void StopCredentialUiThread()
{
    if (g_pWorker) {
        // From here no callback queues or waits: the worker, no longer
        // resting, takes what waits; callbacks caught in a full queue get
        // their room, and the stop goes in behind them.
        WorkerRun* run = g_pRun;
        InterlockedExchange(&g_bStopping, 1);
        SetEvent(run->stop);
        ClosePasswordChanges();
        DWORD start = GetTickCount();
        while (InterlockedCompareExchange(&g_nPosting, 0, 0) != 0 && GetTickCount() - start < g_AuthWaits.shutdownMs) Sleep(1);
        CRED_UI_MSG stop = {};
        bool put = MsgQueuePutWithin(g_pQueue, CRED_UI_STOP, &stop, sizeof(stop), g_AuthWaits.shutdownMs) != 0;
        if (!put || WaitForSingleObject(g_pWorker->handle, g_AuthWaits.shutdownMs) != WAIT_OBJECT_0) {
            // A worker held in the library: given up, it keeps its queue
            // and its run rather than have them freed under it.
            EnterCriticalSection(&run->lock);
            run->givenUp = true;
            LeaveCriticalSection(&run->lock);
            g_pWorker = nullptr;
            g_pQueue = nullptr;
            g_pRun = nullptr;
            return;
        }
        OsThreadJoin(&g_pWorker);
    }
    g_pQueue = nullptr;
    if (g_pRun) FreeRun(g_pRun);
    g_pRun = nullptr;
}

int PostCredentialUiRequest(AUTH_PORT* port, const AUTH_CRED_REQUEST* request)
{
    if (!port || !request) return -1;
    InterlockedIncrement(&g_nPosting);
    int result = -1;
    if (!Stopping() && g_pQueue) {
        CRED_UI_MSG msg = {};
        msg.port = port->handle;
        msg.request = *request;
        if (MsgQueuePut(g_pQueue, CRED_UI_REQUEST, &msg, sizeof(msg))) result = 0;
    }
    InterlockedDecrement(&g_nPosting);
    return result;
}

DWORD CredentialUiThreadProc(void* argument)
{
    WorkerRun* run = (WorkerRun*)argument;
    for (;;) {
        CRED_UI_MSG msg = {};
        DWORD type = CRED_UI_STOP;
        int length = sizeof(msg);
        if (!MsgQueueGet(run->queue, &type, &msg, &length)) break;
        bool givenUp = false;
        AUTH_PORT* port = HoldAttachedPort(run, &givenUp);
        if (givenUp) break;
        if (type == CRED_UI_STOP) {
            ReleaseHeldPort(run, port);
            break;
        }
        // Answered on the attached port; without one the request is
        // skipped, and one taken while stopping is left to the port's detach.
        if (type == CRED_UI_REQUEST && length == (int)sizeof(msg) && Rest(run) && port)
            HandleCredentialUiRequest(port, &msg.request);
        if (!ReleaseHeldPort(run, port)) break;
    }
    return 0;
}

bool CredentialUiThreadRunning() { return g_pWorker != nullptr; }

int CredentialRequestsWaiting()
{
    MSG_QUEUE* q = g_pQueue;
    if (!q || !OsLockAcquire(q->lock)) return 0;
    int n = q->count;
    OsLockRelease(q->lock);
    return n;
}

// ---- The worker's answers ---------------------------------------------------------------

void HandleCredentialUiRequest(AUTH_PORT* port, const AUTH_CRED_REQUEST* r)
{
    if (!port || !r) return;
    switch (r->type) {
    case 2: AnswerSessionStart(port, r); return;
    case 3: AnswerIdentity(port, r); return;
    case 5: AnswerPassword(port, r, PASSWORD_REQUEST); return;
    case 6: AnswerPassword(port, r, PASSWORD_CHANGE); return;
    case 7: AnswerPassword(port, r, PASSWORD_RETRY); return;
    case 8: VerifyServerCertificate(port, r); return;
    case 11: LoadPacForAuthority(port, r); return;
    case 13: SaveProvisionedPac(port, r); return;
    case 16: AnswerRogueAp(port, r); return;
    case 17:
        // No machine identity to give: completed without one.
        CompleteCredRequest(port->handle, r->id);
        return;
    default:
        std::printf("*** UI request type %d not handled ***\n", (int)r->type);
        std::fflush(stdout);
        CompleteCredRequest(port->handle, r->id);
        return;
    }
}

void AnswerSessionStart(AUTH_PORT* port, const AUTH_CRED_REQUEST* r)
{
    DWORD value;
    {
        PortCredentialLock lock;
        value = port->sessionStartValue;
    }
    AnswerAndComplete(port->handle, r->id, g_ac.acCredSessionStart(port->handle, r->id, value));
}

void AnswerIdentity(AUTH_PORT* port, const AUTH_CRED_REQUEST* r)
{
    AC_HANDLE h = port->handle;
    char prompt[513] = {};
    int promptLength = sizeof(prompt);
    if (CredAnswerFailed(h, r->id, g_ac.acCredGetIdentityPrompt(h, r->id, prompt, &promptLength))) return;
    AC_STATUS st;
    {
        PortCredentialLock lock;
        // Without one, the port's identity is made from the prompt's text;
        // it goes with the port's other credentials.
        AC_HANDLE& identity = r->subKind != 0 ? port->innerIdentity : port->outerIdentity;
        if (!identity) {
            if (!PortCredentialsOpen(port)) return;
            char text[128] = {};
            int length = sizeof(text);
            PromptCredentialText(port, "identity", r, text, &length);
            if (length < 0 || length >= (int)sizeof(text)) length = 0;
            text[length] = 0;
            g_ac.acIdentityCreate(&identity, text, length);
        }
        st = g_ac.acCredIdentity(h, r->id, identity);
    }
    AnswerAndComplete(h, r->id, st);
}

void AnswerPassword(AUTH_PORT* port, const AUTH_CRED_REQUEST* r, PasswordRequestKind kind)
{
    AC_HANDLE h = port->handle;
    char prompt[513] = {};
    int promptLength = sizeof(prompt);
    if (CredAnswerFailed(h, r->id, g_ac.acCredGetPasswordPrompt(h, r->id, prompt, &promptLength))) return;
    if (kind == PASSWORD_CHANGE) RunPasswordChange();
    // The tunnel password of the snapshot the port was configured with (and
    // a change updated), for every kind and method.
    AuthCredentialTexts texts = GetAuthCredentialTexts();
    char text[128];
    lstrcpynA(text, texts.tunnelPassword, sizeof(text));
    AC_STATUS st;
    {
        PortCredentialLock lock;
        // A port closed meanwhile keeps no new handle: its requests end with its detach.
        if (!PortCredentialsOpen(port)) return;
        g_ac.acPasswordDestroy(&port->password);
        g_ac.acPasswordCreate(&port->password, text, (int)std::strlen(text));
        st = g_ac.acCredPassword(h, r->id, port->password);
    }
    AnswerAndComplete(h, r->id, st);
}

void PromptCredentialText(AUTH_PORT*, const char*, const AUTH_CRED_REQUEST*, char* text, int* length)
{
    if (text && length && *length > 0) text[0] = 0;
    if (length) *length = 0;
    std::fflush(stdout);
}

bool GetServerCertField(AUTH_PORT* port, const AUTH_CRED_REQUEST* r, int fieldId)
{
    for (int index = 0; index < kServerFieldValuesMax; ++index) {
        AC_STATUS st = ReadFieldValue(port, r, fieldId, index);
        if (!IsAcFailure("acCredServerGetField", st)) continue;
        if (st == AC_NO_VALUE) {
            if (index == 0) continue;   // a field may begin at index 1
            return true;
        }
        CredAnswerFailed(port->handle, r->id, st);
        return false;
    }
    return true;
}

void VerifyServerCertificate(AUTH_PORT* port, const AUTH_CRED_REQUEST* r)
{
    AC_HANDLE h = port->handle;
    DWORD id = r->id;
    // What the checks need, taken at once: a check may take the library long.
    const AuthCredentialTexts texts = GetAuthCredentialTexts();
    char caUrl[sizeof(port->caUrl) + 1] = {};
    char domain[sizeof(texts.serverName)], name[sizeof(texts.serverName)];
    DWORD verifyChain, domainMatchOption, nameRule;
    {
        PortCredentialLock lock;
        verifyChain = port->verifyChain;
        std::memcpy(caUrl, port->caUrl, sizeof(port->caUrl));
        WholeServerName(port->domainName, sizeof(port->domainName), texts.serverName, domain, sizeof(domain));
        WholeServerName(port->fieldName, sizeof(port->fieldName), texts.serverName, name, sizeof(name));
        domainMatchOption = port->domainMatchOption;
        nameRule = port->nameRule;
    }
    int allPassed = 1;
    int ok = 0;
    if (verifyChain) {
        if (CredAnswerFailed(h, id, g_ac.acCredServerVerifyChain(h, id, &ok))) return;
        if (!ok) allPassed = 0;
    }
    if (caUrl[0]) {
        ok = 0;
        if (CredAnswerFailed(h, id, g_ac.acCredServerVerifyCA(h, id, caUrl, &ok))) return;
        if (!ok) allPassed = 0;
    }
    if (domain[0]) {
        bool passed = false;
        for (int field : kDomainFields) {
            ok = 0;
            AC_STATUS st = g_ac.acCredServerVerifyDomain(h, id, field, domain, domainMatchOption != 0, &ok);
            if (CredAnswerFailed(h, id, st)) return;
            if (ok) {
                passed = true;
                break;
            }
        }
        if (!passed) {
            allPassed = 0;
            for (int field : kDomainFields)
                if (!GetServerCertField(port, r, field)) return;
        }
    }
    if (name[0]) {
        ok = 0;
        AC_STATUS st = g_ac.acCredServerVerifyField(h, id, kCommonNameField, name, nameRule != 0, &ok);
        if (CredAnswerFailed(h, id, st)) return;
        if (!ok) {
            allPassed = 0;
            if (!GetServerCertField(port, r, kCommonNameField)) return;
        }
    }
    AnswerAndComplete(h, id, g_ac.acCredServerVerified(h, id, allPassed));
}

void AnswerRogueAp(AUTH_PORT* port, const AUTH_CRED_REQUEST* r)
{
    AC_HANDLE h = port->handle;
    g_ac.acPortDisassociate(h);
    if (CredAnswerFailed(h, r->id, g_ac.acCredCcxRogueAP(h, r->id, 1))) return;
    CompleteCredRequest(h, r->id);
    if (g_bAutoConnect == 1) g_ac.acPortAssociate(h, &port->assocParams);
}
