// acAuth.dll, the stand-in of the external 802.1X/WPA supplicant library.
//
// One port per adapter of the simulated driver.  Each attached port has a
// thread of its own that runs the authentication after acPortAssociate and
// makes every callback; no callback ever runs inside a call of the program,
// and no lock of the library is held while one runs.  Outcomes are decided
// against the network the adapter has joined, read through the driver's
// control path, and reported back there (authorized or failed), so that the
// media state and the keys follow.  Every call goes into the driver's request
// log.
//
// A network's 802.1X account is its scenario key eap="...", items
//   method=peap|tls|ttls|fast|md5|leap   the method it accepts
//   identity=... password=...            the account (a "domain\" prefix is ignored)
//   cert=required                        a client certificate must be given
//   pac=stale                            an EAP-FAST PAC in hand is rejected
//   ca=<sha1 hex>                        the CA that issued the server's certificate: a CA
//                                        check against another CA fails (none: any CA passes)
//   server=<name>                        the name in the server's certificate
//                                        (radius.kestiq.test); name checks are made against it
//   change=required                      a right password is followed by a change-password
//                                        request (6); the new one is the account's from then on
//   ask=<type>,<type>...                 these request types (such as 1, 14, 17) follow the
//                                        outer identity, one after another
//   rogue=1                              once a port has authenticated, the library reports a
//                                        rogue access point (16), once per attached port
// A provisioned PAC is issued to the user name of the outer identity (the
// part before its first '@', of that the part after its first '\').  With
// the inner method Generic Token Card (6) the server sends a notification
// (10) before the password request, and a wrong password gets one retry
// request (7) before the verdict.  A client certificate counts only when
// the current user's "MY" store holds it.
//
// Tests steer it with kqsimAcAuthConfigure (in-process) or the environment
// variable KQSIM_ACAUTH (read at acInit), a list of "key=value" items:
//   <call>=<status>[x<count>]  the call returns status (count times, else always);
//                              -32 and -35 still do what the call does
//   timeout=<ms>               answer time-out of a credential request (60000)
//   assocwait=<ms>             wait for the driver's association (10000)
//   ccx=<version>              CCX version of every port (0)
//   repeatnames=1              acGetNextPortSymName repeats the first name
//   noterminator=1             port names fill all 256 bytes without a NUL
//   endlessfields=1            every server-certificate field has a value at every index
// and raises requests of its own threads with kqsimAcAuthRaise.  It counts
// the credential objects alive (kqsimAcAuthLiveObjects) and the program's
// faults with them: a handle destroyed twice (kqsimAcAuthBadDestroys), a
// destroyed handle handed over in an answer (kqsimAcAuthStaleHandles).  The
// verdict of a server check is logged with acCredServerVerified.
#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "auth/AcAuthApi.h"
#include "sim/client/SimClient.h"

#define AC_EXPORT extern "C" __declspec(dllexport)

namespace {

// ---- settings ----------------------------------------------------------

struct Fault {
    int status;
    int count;      // -1: always
};

struct Settings {
    std::map<std::string, Fault> faults;
    DWORD timeoutMs = 60000;
    DWORD assocWaitMs = 10000;
    DWORD ccxVersion = 0;
    bool repeatNames = false;
    bool noTerminator = false;
    bool endlessFields = false;
};

CRITICAL_SECTION g_cs;          // library state; never held during a callback
CRITICAL_SECTION g_simCs;       // the control client
Settings g_settings;
kqsim::SimClient* g_sim = nullptr;
LONG g_liveThreads = 0;

struct Lock {
    Lock() { EnterCriticalSection(&g_cs); }
    ~Lock() { LeaveCriticalSection(&g_cs); }
};

void ApplySettings(const char* text)
{
    if (!text) return;
    std::string s(text);
    size_t pos = 0;
    Lock lock;
    while (pos < s.size()) {
        size_t end = s.find_first_of(";, ", pos);
        if (end == std::string::npos) end = s.size();
        std::string item = s.substr(pos, end - pos);
        pos = end + 1;
        size_t eq = item.find('=');
        if (eq == std::string::npos) continue;
        std::string key = item.substr(0, eq), value = item.substr(eq + 1);
        long v = std::strtol(value.c_str(), nullptr, 10);
        if (key == "timeout") g_settings.timeoutMs = (DWORD)v;
        else if (key == "assocwait") g_settings.assocWaitMs = (DWORD)v;
        else if (key == "ccx") g_settings.ccxVersion = (DWORD)v;
        else if (key == "repeatnames") g_settings.repeatNames = v != 0;
        else if (key == "noterminator") g_settings.noTerminator = v != 0;
        else if (key == "endlessfields") g_settings.endlessFields = v != 0;
        else if (key.compare(0, 2, "ac") == 0) {
            Fault f = {(int)v, -1};
            size_t x = value.find('x');
            if (x != std::string::npos) f.count = (int)std::strtol(value.c_str() + x + 1, nullptr, 10);
            g_settings.faults[key] = f;
        }
    }
}

// The injected status of a call, when one is set for it.
bool Injected(const char* call, int* status)
{
    Lock lock;
    auto it = g_settings.faults.find(call);
    if (it == g_settings.faults.end() || it->second.count == 0) return false;
    *status = it->second.status;
    if (it->second.count > 0) --it->second.count;
    return true;
}

// ---- the driver's control path ------------------------------------------

template <class F> bool WithSim(F f)
{
    EnterCriticalSection(&g_simCs);
    if (!g_sim) g_sim = new kqsim::SimClient();
    bool ok = g_sim->IsOpen() || g_sim->Open(0);
    if (ok) ok = f(*g_sim);
    LeaveCriticalSection(&g_simCs);
    return ok;
}

void LogCall(int slot, int status, const char* format, ...)
{
    char text[KQSIM_LOG_DATA];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    WithSim([&](kqsim::SimClient& c) { return c.LogSupplicantCall(slot, status, text); });
}

bool Adapters(std::vector<kqsim::AdapterState>& out)
{
    return WithSim([&](kqsim::SimClient& c) { return c.ListAdapters(out); });
}

bool FindAdapter(const std::string& guid, kqsim::AdapterState& out)
{
    return WithSim([&](kqsim::SimClient& c) { return c.GetAdapter(guid, out); });
}

std::string PortSymName(const kqsim::AdapterState& a) { return std::string("\\DEVICE\\") + a.config.guid; }

// The adapter whose port has this symbolic name (present adapters only).
bool AdapterOfSymName(const char* symName, kqsim::AdapterState& out)
{
    std::vector<kqsim::AdapterState> all;
    if (!symName || !Adapters(all)) return false;
    for (const auto& a : all)
        if (a.present && _stricmp(PortSymName(a).c_str(), symName) == 0) {
            out = a;
            return true;
        }
    return false;
}

bool AdapterOfName(const char* name, kqsim::AdapterState& out)
{
    std::vector<kqsim::AdapterState> all;
    if (!name || !Adapters(all)) return false;
    for (const auto& a : all)
        if (_stricmp(a.config.guid, name) == 0) {
            out = a;
            return true;
        }
    return false;
}

// ---- credential objects ----------------------------------------------------

enum ObjectKind { OBJ_IDENTITY = 1, OBJ_PASSWORD, OBJ_PSK, OBJ_CERT, OBJ_PAC };

struct Object {
    int kind = 0;
    std::string text;        // identity, password, passphrase, certificate URL
    std::string ssid;        // passphrase keys
    BYTE key[32] = {};
    bool binary = false;     // key holds the pre-shared key itself
};

std::map<AC_HANDLE, Object> g_objects;
AC_HANDLE g_nextObject = 0x1000;   // handles are never given out twice
// Faults of the program seen with its objects: a destroy of a handle that is
// not a live object of that kind (destroyed already, or never made), and an
// answer handing over such a handle.
LONG g_badDestroys = 0;
LONG g_staleHandles = 0;

AC_STATUS CreateObject(AC_HANDLE* h, const Object& o)
{
    if (!h) return -1;
    Lock lock;
    AC_HANDLE id = ++g_nextObject;
    g_objects[id] = o;
    *h = id;
    return 0;
}

AC_STATUS DestroyObject(AC_HANDLE* h, int kind)
{
    if (!h) return -1;
    Lock lock;
    if (*h) {
        auto it = g_objects.find(*h);
        if (it == g_objects.end() || it->second.kind != kind) {
            ++g_badDestroys;
            return -1;
        }
        g_objects.erase(it);
        *h = 0;
    }
    return 0;
}

bool GetObject(AC_HANDLE h, int kind, Object& out)
{
    Lock lock;
    auto it = g_objects.find(h);
    if (it == g_objects.end() || it->second.kind != kind) return false;
    out = it->second;
    return true;
}

// The object an answer hands over: a non-zero handle that is no live object
// of its kind is the program's fault.
bool AnsweredObject(AC_HANDLE h, int kind, Object& out)
{
    if (GetObject(h, kind, out)) return true;
    if (h) InterlockedIncrement(&g_staleHandles);
    return false;
}

// ---- ports --------------------------------------------------------------

struct Answers {
    std::string outerIdentity, innerIdentity, password;
    DWORD outerType = 0, innerType = 0;
    int serverVerified = -1;
    bool userCert = false;
    bool pac = false;                // a PAC came with the PAC request
    bool provisioning = false;       // PAC types or provisioning modes were offered
};

// A credential request the library waits for.
struct Pending {
    DWORD type = 0, subKind = 0;
    bool survives = false;           // not ended by a stop of the session (raised ones, rogue AP)
    bool done = false;
};

struct Port {
    LONG refs = 2;                   // the port table and the thread
    AC_HANDLE handle = 0;
    std::string guid;
    int slot = -1;
    AC_CALLBACK_BLOCK* callbacks = nullptr;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE wake = nullptr;           // auto-reset: commands and answers
    bool detached = false;
    bool authCalled = false;
    bool startPending = false;
    unsigned generation = 0;         // a stop ends the session of the generation before
    DWORD state = 0, status = 0;
    AUTH_ASSOC_PARAMS assoc = {};
    AC_HANDLE psk = 0;
    // the credential requests outstanding, by id
    std::map<DWORD, Pending> outstanding;
    bool rogueReported = false;
    Answers answers;
    int raising = 0;                 // callbacks of raised requests running (lock held to change)
};

std::map<AC_HANDLE, Port*> g_ports;
AC_HANDLE g_nextPort = 0;
DWORD g_nextRequest = 0;

void Release(Port* p)
{
    if (InterlockedDecrement(&p->refs) == 0) {
        CloseHandle(p->wake);
        if (p->thread) CloseHandle(p->thread);
        delete p;
    }
}

// The attached port of a handle (lock held).
Port* PortOf(AC_HANDLE h)
{
    auto it = g_ports.find(h);
    return it == g_ports.end() ? nullptr : it->second;
}

int SlotOf(AC_HANDLE h)
{
    Lock lock;
    Port* p = PortOf(h);
    return p ? p->slot : -1;
}

bool Alive(Port* p, unsigned generation)
{
    Lock lock;
    return !p->detached && p->generation == generation;
}

// Waits ms, or less when the session ends; false when it ended.
bool Pause(Port* p, unsigned generation, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (!Alive(p, generation)) return false;
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) return true;
        WaitForSingleObject(p->wake, ms - spent < 50 ? ms - spent : 50);
    }
}

// Status callback of the session; false when the session has ended.
bool Emit(Port* p, unsigned generation, int event, DWORD state, DWORD status)
{
    AC_CALLBACK_BLOCK block;
    {
        Lock lock;
        if (p->detached || p->generation != generation) return false;
        if (state) p->state = state;
        if (status) p->status = status;
        block = *p->callbacks;
    }
    if (block.status) block.status(block.context, event);
    return true;
}

// Registers a request of the port and makes its callback on the calling
// thread (lock not held); the request's id, 0 when the port has gone.
DWORD CallBack(Port* p, DWORD type, DWORD subKind, bool survives, const unsigned* generation)
{
    AC_CALLBACK_BLOCK block;
    AUTH_CRED_REQUEST request = {};
    int slot;
    {
        Lock lock;
        if (p->detached || (generation && p->generation != *generation)) return 0;
        request.id = ++g_nextRequest;
        request.type = type;
        request.subKind = subKind;
        Pending& q = p->outstanding[request.id];
        q.type = type;
        q.subKind = subKind;
        q.survives = survives;
        block = *p->callbacks;
        slot = p->slot;
    }
    LogCall(slot, 0, "request id=%lu type=%lu sub=%lu", (unsigned long)request.id, (unsigned long)type,
            (unsigned long)subKind);
    if (block.credential) block.credential(block.context, &request);
    return request.id;
}

// One credential request of the session: 1 completed, 0 timed out, -1 the
// session ended.  A request that survives a stop waits on after the session.
int Ask(Port* p, unsigned generation, DWORD type, DWORD subKind, bool survives = false)
{
    DWORD timeout;
    {
        Lock lock;
        timeout = g_settings.timeoutMs;
    }
    DWORD id = CallBack(p, type, subKind, survives, &generation);
    if (!id) return -1;
    DWORD start = GetTickCount();
    for (;;) {
        {
            Lock lock;
            auto it = p->outstanding.find(id);
            if (p->detached || it == p->outstanding.end()) return -1;
            if (it->second.done) {
                p->outstanding.erase(it);
                return 1;
            }
            if (GetTickCount() - start >= timeout) {
                p->outstanding.erase(it);   // a late answer is refused
                return 0;
            }
        }
        WaitForSingleObject(p->wake, 50);
    }
}

bool HexKey(const char* text, size_t len, BYTE out[32])
{
    if (len != 64) return false;
    for (size_t i = 0; i < 64; ++i) {
        char c = text[i];
        int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (v < 0) return false;
        if (i % 2 == 0) out[i / 2] = (BYTE)(v << 4);
        else out[i / 2] |= (BYTE)v;
    }
    return true;
}

bool PmkOf(const char* passphrase, size_t len, const BYTE* ssid, int ssidLen, BYTE pmk[32])
{
    if (HexKey(passphrase, len, pmk)) return true;
    // IEEE 802.11i: PBKDF2 with HMAC-SHA-1, the SSID as salt, 4096 rounds,
    // derived by the system so that a wrong product hash cannot agree with it.
    if (len > 63 || ssidLen < 0 || ssidLen > 32) return false;
    BCRYPT_ALG_HANDLE alg = nullptr;
    if (BCryptOpenAlgorithmProvider(&alg, BCRYPT_SHA1_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG) != 0)
        return false;
    BYTE empty = 0;
    NTSTATUS st = BCryptDeriveKeyPBKDF2(alg, len ? (PUCHAR)passphrase : &empty, (ULONG)len,
                                        ssidLen ? (PUCHAR)ssid : &empty, (ULONG)ssidLen, 4096, pmk, 32, 0);
    BCryptCloseAlgorithmProvider(alg, 0);
    return st == 0;
}

// The verdict goes to the driver (keys installed or not) and into its log.
void Report(Port* p, bool authorized, const char* why)
{
    std::string guid = p->guid;
    WithSim([&](kqsim::SimClient& c) { return c.SetAuthorized(guid, authorized); });
    LogCall(p->slot, 0, "verdict %s: %s", authorized ? "authorized" : "failed", why);
}

// The 4-way handshake: the station's key against the network's.
void RunPsk(Port* p, unsigned generation, const KQSIM_NETWORK& net)
{
    AC_HANDLE pskHandle;
    {
        Lock lock;
        pskHandle = p->psk;
    }
    Object key;
    BYTE mine[32], theirs[32];
    bool match = pskHandle && GetObject(pskHandle, OBJ_PSK, key) &&
                 PmkOf(net.psk, net.pskLen, (const BYTE*)net.ssid, net.ssidLen, theirs);
    if (match) {
        if (key.binary) std::memcpy(mine, key.key, 32);
        else match = PmkOf(key.text.data(), key.text.size(), (const BYTE*)key.ssid.data(), (int)key.ssid.size(), mine);
    }
    match = match && std::memcmp(mine, theirs, 32) == 0;
    if (!Alive(p, generation)) return;
    // A wrong key never gets the link its keys.
    Report(p, match, match ? "pre-shared key" : "pre-shared key differs");
    if (match) Emit(p, generation, AC_EVENT_STATE, AC_STATE_AUTHENTICATED, 0);
}

// "key=value key=value" of the network's eap setting.
std::string EapValue(const KQSIM_NETWORK& net, const char* key)
{
    std::string s(net.eap, strnlen(net.eap, sizeof(net.eap)));
    std::string k = std::string(key) + "=";
    size_t pos = 0;
    while ((pos = s.find(k, pos)) != std::string::npos) {
        if (pos == 0 || s[pos - 1] == ' ') {
            size_t start = pos + k.size(), end = s.find(' ', start);
            return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
        pos += k.size();
    }
    return "";
}

DWORD EapTypeOf(const std::string& method)
{
    if (method == "peap") return 25;
    if (method == "tls") return 13;
    if (method == "ttls") return 21;
    if (method == "fast" || method == "eap-fast") return 43;
    if (method == "md5") return 4;
    if (method == "leap") return 17;
    return 0;
}

struct Step {
    DWORD type, subKind;
};

std::vector<Step> Conversation(DWORD eapType, bool clientCert)
{
    switch (eapType) {
    case 25: {
        std::vector<Step> s = {{2, 0}, {3, 0}, {4, 0}, {8, 0}};
        if (clientCert) s.push_back({9, 0});
        s.insert(s.end(), {{3, 1}, {4, 1}, {5, 0}});
        return s;
    }
    case 13: return {{2, 0}, {3, 0}, {4, 0}, {8, 0}, {9, 0}};
    case 21: return {{2, 0}, {3, 0}, {4, 0}, {8, 0}, {15, 0}, {3, 1}, {5, 0}};
    case 43: return {{2, 0}, {3, 0}, {4, 0}, {12, 0}, {18, 0}, {11, 0}};   // then by the PAC
    case 4: return {{2, 0}, {3, 0}, {4, 0}, {5, 0}};
    case 17: return {{3, 0}, {4, 0}, {5, 0}};
    default: return {{2, 0}, {3, 0}, {4, 0}};
    }
}

void Fail(Port* p, unsigned generation, DWORD status, const char* why)
{
    if (!Alive(p, generation)) return;
    Report(p, false, why);
    Emit(p, generation, AC_EVENT_STATUS, 0, status);
}

Answers TakeAnswers(Port* p)
{
    Lock lock;
    return p->answers;
}

// One request: false when the session ended or it went unanswered (then the
// time-out is reported).
bool AskOne(Port* p, unsigned generation, DWORD type, DWORD subKind)
{
    int r = Ask(p, generation, type, subKind);
    if (r == 0) Fail(p, generation, AC_STATUS_TIMEOUT, "no answer");
    return r > 0;
}

// The request types of the account's "ask=" item.
std::vector<DWORD> ExtraRequests(const KQSIM_NETWORK& net)
{
    std::vector<DWORD> out;
    std::string list = EapValue(net, "ask");
    for (size_t pos = 0; pos < list.size();) {
        size_t end = list.find(',', pos);
        if (end == std::string::npos) end = list.size();
        long v = std::strtol(list.substr(pos, end - pos).c_str(), nullptr, 10);
        if (v > 0) out.push_back((DWORD)v);
        pos = end + 1;
    }
    return out;
}

// The requests in their order: after the outer identity come the account's
// extra requests, and after a Generic Token Card inner method the server's
// notification.  false when the session ended or a request went unanswered.
bool AskAll(Port* p, unsigned generation, const std::vector<Step>& steps, const KQSIM_NETWORK& net)
{
    for (const Step& step : steps) {
        if (!AskOne(p, generation, step.type, step.subKind)) return false;
        if (step.type == 3 && step.subKind == 0)
            for (DWORD extra : ExtraRequests(net))
                if (!AskOne(p, generation, extra, 0)) return false;
        if (step.type == 4 && step.subKind == 1 && TakeAnswers(p).innerType == 6 &&
            !AskOne(p, generation, 10, 0))
            return false;
    }
    return true;
}

// Passwords changed through a change-password request, by network SSID:
// the account's password from then on.
std::map<std::string, std::string> g_changedPasswords;

std::string SsidOf(const KQSIM_NETWORK& net) { return std::string((const char*)net.ssid, net.ssidLen); }

std::string AccountPassword(const KQSIM_NETWORK& net)
{
    Lock lock;
    auto it = g_changedPasswords.find(SsidOf(net));
    return it != g_changedPasswords.end() ? it->second : EapValue(net, "password");
}

// EAP-FAST after the PAC request: a PAC in hand opens the tunnel (unless the
// network calls it stale); without one the tunnel is provisioned when the
// program allowed it.  false when the session ended or failed.
bool RunFastTunnel(Port* p, unsigned generation, const KQSIM_NETWORK& net)
{
    Answers a = TakeAnswers(p);
    if (a.pac) {
        if (EapValue(net, "pac") == "stale") {
            Fail(p, generation, AC_STATUS_PAC_REJECTED_A, "PAC rejected");
            return false;
        }
        return AskAll(p, generation, {{4, 1}, {3, 1}, {5, 0}}, net);
    }
    if (!a.provisioning) {
        Fail(p, generation, AC_STATUS_EAP_FAILURE, "no PAC and no provisioning");
        return false;
    }
    if (!AskAll(p, generation, {{4, 1}, {3, 1}, {5, 0}, {13, 0}}, net)) return false;
    return Emit(p, generation, AC_EVENT_STATE, AC_STATE_STATUS_CHANGED, AC_STATUS_PAC_PROVISIONED);
}

void Run8021x(Port* p, unsigned generation, const KQSIM_NETWORK& net)
{
    DWORD eapType = EapTypeOf(EapValue(net, "method"));
    bool clientCert = EapValue(net, "cert") == "required";
    {
        Lock lock;
        p->answers = Answers();
    }
    if (!Emit(p, generation, AC_EVENT_STATE, AC_STATE_AUTHENTICATING, 0)) return;
    if (!AskAll(p, generation, Conversation(eapType, clientCert), net)) return;
    if (eapType == 43 && !RunFastTunnel(p, generation, net)) return;
    Answers a = TakeAnswers(p);
    bool tunnelled = eapType == 25 || eapType == 21 || eapType == 43;
    bool methodOk = eapType != 0 && a.outerType == eapType && a.serverVerified != 0 && (!clientCert || a.userCert);
    if (eapType == 13 && !a.userCert) methodOk = false;
    if (!methodOk) {
        Fail(p, generation, AC_STATUS_EAP_FAILURE, "method, server or certificate refused");
        return;
    }
    std::string identity = tunnelled && !a.innerIdentity.empty() ? a.innerIdentity : a.outerIdentity;
    // "domain\user" names the account's user.
    size_t slash = identity.rfind('\\');
    if (slash != std::string::npos) identity = identity.substr(slash + 1);
    std::string password = AccountPassword(net);
    bool identityOk = identity == EapValue(net, "identity");
    bool credentialsOk = eapType == 13 || (identityOk && a.password == password);
    // A token card's wrong password gets one more try.
    if (!credentialsOk && identityOk && tunnelled && a.innerType == 6) {
        if (!AskOne(p, generation, 7, 0)) return;
        credentialsOk = TakeAnswers(p).password == password;
    }
    if (!credentialsOk) {
        Fail(p, generation, AC_STATUS_BAD_CREDENTIAL, "identity or password");
        return;
    }
    bool changed;
    {
        Lock lock;
        changed = g_changedPasswords.count(SsidOf(net)) != 0;
    }
    if (eapType != 13 && EapValue(net, "change") == "required" && !changed) {
        if (!AskOne(p, generation, 6, 0)) return;
        std::string fresh = TakeAnswers(p).password;
        if (fresh.empty() || fresh == password) {
            Fail(p, generation, AC_STATUS_BAD_CREDENTIAL, "password not changed");
            return;
        }
        Lock lock;
        g_changedPasswords[SsidOf(net)] = fresh;
    }
    if (!Alive(p, generation)) return;
    Report(p, true, "account");
    Emit(p, generation, AC_EVENT_STATE, AC_STATE_AUTHENTICATED, 0);
    bool rogue;
    {
        Lock lock;
        rogue = EapValue(net, "rogue") == "1" && !p->rogueReported;
        if (rogue) p->rogueReported = true;
    }
    // The program answers by leaving the access point and joining again,
    // which ends this session: the request outlives it.
    if (rogue) Ask(p, generation, 16, 0, true);
}

bool IsPskFamily(unsigned s)
{
    return s == KQSIM_SEC_WPA_PSK || s == KQSIM_SEC_WPA2_PSK || s == KQSIM_SEC_WPA_WPA2_PSK;
}

bool Is1xFamily(unsigned s)
{
    return s == KQSIM_SEC_WPA_1X || s == KQSIM_SEC_WPA2_1X || s == KQSIM_SEC_WPA_WPA2_1X || s == KQSIM_SEC_WEP_1X;
}

void RunSession(Port* p, unsigned generation)
{
    if (!Emit(p, generation, AC_EVENT_STATE, AC_STATE_STATUS_CHANGED, AC_STATUS_STARTING)) return;
    if (!Emit(p, generation, AC_EVENT_STATE, AC_STATE_CONNECTING, 0)) return;
    DWORD waitMs;
    {
        Lock lock;
        waitMs = g_settings.assocWaitMs;
    }
    // The program sets the SSID after starting the port: wait for the join.
    KQSIM_NETWORK net = {};
    bool joined = false;
    DWORD start = GetTickCount();
    for (;;) {
        std::string guid = p->guid;
        joined = WithSim([&](kqsim::SimClient& c) { return c.JoinedNetwork(guid, net); });
        if (joined || GetTickCount() - start >= waitMs) break;
        if (!Pause(p, generation, 50)) return;
    }
    if (!Alive(p, generation)) return;
    if (!joined) {
        LogCall(p->slot, 0, "verdict failed: no association");
        Emit(p, generation, AC_EVENT_STATUS, 0, AC_STATUS_LINK_DOWN);
        return;
    }
    Emit(p, generation, AC_EVENT_LINK, 0, 0);
    if (IsPskFamily(net.security)) RunPsk(p, generation, net);
    else if (Is1xFamily(net.security)) Run8021x(p, generation, net);
}

DWORD WINAPI PortThread(void* arg)
{
    Port* p = (Port*)arg;
    for (;;) {
        unsigned generation = 0;
        bool run = false;
        {
            Lock lock;
            if (p->detached) break;
            if (p->startPending) {
                p->startPending = false;
                generation = p->generation;
                run = true;
            }
        }
        // The flags are read again after every wake: a session may have
        // taken the wake-up meant for the detach.
        if (run) RunSession(p, generation);
        else WaitForSingleObject(p->wake, INFINITE);
    }
    Release(p);
    InterlockedDecrement(&g_liveThreads);
    return 0;
}

// Ends the port's session: every wait of its thread returns.
void EndSession(Port* p)
{
    ++p->generation;
    p->startPending = false;
    p->authCalled = false;
    for (auto it = p->outstanding.begin(); it != p->outstanding.end();) {
        if (it->second.survives && !p->detached) ++it;
        else it = p->outstanding.erase(it);
    }
    SetEvent(p->wake);
}

const char* Text(const char* s) { return s ? s : "(null)"; }

// Answers of a credential request: the request must be one the port has
// outstanding, not completed yet.
template <class F> AC_STATUS Answer(const char* call, AC_HANDLE h, DWORD id, F record, const char* detail = "")
{
    int injected = 0;
    bool inject = Injected(call, &injected);
    AC_STATUS st = 0;
    if (inject && injected != AC_ALSO_OK && injected != AC_RETRY_COMPLETE) {
        st = injected;
    } else {
        // The call is in the log before its effect can be seen: a request
        // that reads as done has its completing call logged.
        Lock lock;
        Port* p = PortOf(h);
        auto it = p ? p->outstanding.find(id) : std::map<DWORD, Pending>::iterator();
        bool answered = p && id != 0 && it != p->outstanding.end() && !it->second.done;
        st = inject ? injected : answered ? 0 : -1;
        if (answered) {
            LogCall(p->slot, st, "%s h=%u id=%lu%s", call, h, (unsigned long)id, detail);
            record(p, it->second);
            return st;
        }
    }
    LogCall(SlotOf(h), st, "%s h=%u id=%lu%s", call, h, (unsigned long)id, detail);
    return st;
}

// A call that only reports its result (and takes an injected one).
AC_STATUS Plain(const char* call, int slot, const char* detail = "")
{
    int st = 0;
    Injected(call, &st);
    LogCall(slot, st, "%s%s%s", call, detail[0] ? " " : "", detail);
    return st;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&g_cs);
        InitializeCriticalSection(&g_simCs);
    }
    return TRUE;
}

// ---- test controls ------------------------------------------------------

AC_EXPORT void kqsimAcAuthConfigure(const char* settings) { ApplySettings(settings); }

AC_EXPORT void kqsimAcAuthReset()
{
    Lock lock;
    g_settings = Settings();
    g_changedPasswords.clear();
    g_badDestroys = 0;
    g_staleHandles = 0;
}

// A request of type and sub-kind raised on the calling thread, as the
// library's own threads raise theirs: registered as outstanding (a stop of
// the session leaves it; the port's detach ends it), then the port's
// credential callback, which the port's detach waits for as for its own
// thread's.  Returns the request's id once the callback has returned; 0
// when the port is unknown or detached.
AC_EXPORT DWORD kqsimAcAuthRaise(AC_HANDLE h, DWORD type, DWORD subKind)
{
    Port* p;
    {
        Lock lock;
        p = PortOf(h);
        if (!p) return 0;
        InterlockedIncrement(&p->refs);
        ++p->raising;
    }
    DWORD id = CallBack(p, type, subKind, true, nullptr);
    {
        Lock lock;
        --p->raising;
    }
    Release(p);
    return id;
}

// 1 when the request was completed, 0 while it waits, -1 when no attached
// port has it (never raised, timed out, or its port detached).
AC_EXPORT int kqsimAcAuthRequestDone(DWORD id)
{
    Lock lock;
    for (const auto& port : g_ports) {
        auto it = port.second->outstanding.find(id);
        if (it != port.second->outstanding.end()) return it->second.done ? 1 : 0;
    }
    return -1;
}

// Requests of attached ports that wait for their completion.
AC_EXPORT int kqsimAcAuthOutstanding()
{
    Lock lock;
    int n = 0;
    for (const auto& port : g_ports)
        for (const auto& q : port.second->outstanding) n += q.second.done ? 0 : 1;
    return n;
}

// Threads of the library that are still running.
AC_EXPORT int kqsimAcAuthThreadCount() { return (int)g_liveThreads; }

// Credential objects (identities, passwords, keys, certificates, PACs) made
// and not destroyed yet.
AC_EXPORT int kqsimAcAuthLiveObjects()
{
    Lock lock;
    return (int)g_objects.size();
}

// Destroys of a handle that was no live object of its kind (a handle
// destroyed twice), and answers that handed over such a handle, since the
// last reset.
AC_EXPORT int kqsimAcAuthBadDestroys() { return (int)InterlockedCompareExchange(&g_badDestroys, 0, 0); }
AC_EXPORT int kqsimAcAuthStaleHandles() { return (int)InterlockedCompareExchange(&g_staleHandles, 0, 0); }

// Ports attached and not yet detached.
AC_EXPORT int kqsimAcAuthPortCount()
{
    Lock lock;
    return (int)g_ports.size();
}

// ---- start --------------------------------------------------------------

AC_EXPORT AC_STATUS acInit(AC_INIT_RECORD* init)
{
    static bool environmentRead = false;
    if (!environmentRead) {
        environmentRead = true;
        char buf[1024];
        DWORD n = GetEnvironmentVariableA("KQSIM_ACAUTH", buf, sizeof(buf));
        if (n > 0 && n < sizeof(buf)) ApplySettings(buf);
    }
    int st = init && init->zero == 0 ? 0 : -1;
    Injected("acInit", &st);
    LogCall(-1, st, "acInit");
    return st;
}

AC_EXPORT AC_STATUS ac8021xInit() { return Plain("ac8021xInit", -1); }
AC_EXPORT AC_STATUS acRsnInit() { return Plain("acRsnInit", -1); }
AC_EXPORT AC_STATUS acEapInitAll() { return Plain("acEapInitAll", -1); }
AC_EXPORT AC_STATUS acCcxInit() { return Plain("acCcxInit", -1); }

AC_EXPORT const char* acEventString(int event)
{
    static const char* const names[] = {"AC_EVENT_NONE", "AC_EVENT_LINK", "AC_EVENT_STATE", "AC_EVENT_STATUS"};
    const char* s = event >= 0 && event < 4 ? names[event] : "AC_EVENT_UNKNOWN";
    LogCall(-1, 0, "acEventString %d", event);
    return s;
}

AC_EXPORT AC_STATUS acDebugEnable(int category, int on)
{
    char d[32];
    std::snprintf(d, sizeof(d), "%d %d", category, on);
    return Plain("acDebugEnable", -1, d);
}

AC_EXPORT AC_STATUS acNetCallback(void*, int) { return Plain("acNetCallback", -1); }

// ---- ports --------------------------------------------------------------

AC_EXPORT AC_STATUS acGetNextPortSymName(const char* previous, char* next, int size)
{
    std::vector<kqsim::AdapterState> all;
    std::string prev = previous ? previous : "";
    int st = 1;
    std::string found;
    bool repeat;
    {
        Lock lock;
        repeat = g_settings.repeatNames;
    }
    if (next && size > 0 && Adapters(all)) {
        bool take = prev.empty() || repeat;
        for (const auto& a : all) {
            if (!a.present) continue;
            std::string name = PortSymName(a);
            if (take) {
                found = name;
                break;
            }
            if (_stricmp(name.c_str(), prev.c_str()) == 0) take = true;
        }
        if (!found.empty() && (int)found.size() < size) {
            std::strcpy(next, found.c_str());
            st = 0;
        }
    }
    Injected("acGetNextPortSymName", &st);
    LogCall(-1, st, "acGetNextPortSymName %s -> %s", prev.c_str(), found.c_str());
    return st;
}

AC_EXPORT AC_STATUS acGetPortAttr(const char* symName, PORT_ATTRIBUTES* attr)
{
    kqsim::AdapterState a;
    int st = -1;
    int slot = -1;
    if (attr && AdapterOfSymName(symName, a)) {
        std::memset(attr, 0, sizeof(*attr));
        Lock lock;
        if (g_settings.noTerminator) std::memset(attr->name, 'N', sizeof(attr->name));
        else std::strncpy(attr->name, a.config.guid, sizeof(attr->name) - 1);
        std::memcpy(attr->mac, a.config.mac, 6);
        attr->mtu = 1500;
        attr->caps = AC_CAP_80211_MASK | 0xF00 | 0x3F0000;
        attr->ccxVersion = g_settings.ccxVersion;
        attr->extra = 0;
        st = 0;
        slot = (int)a.slot;
    }
    Injected("acGetPortAttr", &st);
    LogCall(slot, st, "acGetPortAttr %s", Text(symName));
    return st;
}

AC_EXPORT AC_STATUS acPortAttach(AC_HANDLE* handle, const char* symName, AC_CALLBACK_BLOCK* callbacks)
{
    int st = 0;
    int slot = -1;
    kqsim::AdapterState a;
    if (Injected("acPortAttach", &st) && st != AC_ALSO_OK) {
        // refused as told
    } else if (!handle || !callbacks || !AdapterOfSymName(symName, a)) {
        st = -1;
    } else {
        Port* p = new Port();
        p->guid = a.config.guid;
        p->slot = (int)a.slot;
        p->callbacks = callbacks;
        p->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        {
            Lock lock;
            p->handle = ++g_nextPort;
            g_ports[p->handle] = p;
        }
        InterlockedIncrement(&g_liveThreads);
        p->thread = CreateThread(nullptr, 0, PortThread, p, 0, &p->threadId);
        if (!p->thread) {
            InterlockedDecrement(&g_liveThreads);
            Lock lock;
            g_ports.erase(p->handle);
            CloseHandle(p->wake);
            delete p;
            st = -1;
        } else {
            *handle = p->handle;
            slot = p->slot;
        }
    }
    LogCall(slot, st, "acPortAttach %s h=%u", Text(symName), handle && st == 0 ? *handle : 0);
    return st;
}

AC_EXPORT AC_STATUS acPortDetach(AC_HANDLE* handle)
{
    int st = 0;
    int slot = -1;
    Port* p = nullptr;
    AC_HANDLE h = handle ? *handle : 0;
    if (Injected("acPortDetach", &st) && st != AC_ALSO_OK) {
        // refused as told
    } else {
        Lock lock;
        p = PortOf(h);
        if (!p) {
            st = -1;
        } else {
            g_ports.erase(h);
            p->detached = true;
            EndSession(p);
            slot = p->slot;
            InterlockedIncrement(&p->refs);   // kept while waiting below
        }
    }
    if (p) {
        // A callback that is running ends before the port is gone; a thread
        // stuck in one is left to end on its own rather than waited for ever.
        if (GetCurrentThreadId() != p->threadId) WaitForSingleObject(p->thread, 5000);
        // Callbacks of raised requests are the library's callbacks too.
        DWORD start = GetTickCount();
        for (;;) {
            {
                Lock lock;
                if (p->raising == 0) break;
            }
            if (GetTickCount() - start >= 5000) break;
            Sleep(1);
        }
        Release(p);   // the port table's reference
        Release(p);
        *handle = 0;
    }
    LogCall(slot, st, "acPortDetach h=%u", h);
    return st;
}

AC_EXPORT AC_STATUS acPortAuth(AC_HANDLE h)
{
    int st = 0;
    int slot = -1;
    if (Injected("acPortAuth", &st) && st != AC_ALSO_OK) {
    } else {
        Lock lock;
        Port* p = PortOf(h);
        if (!p) st = -1;
        else {
            p->authCalled = true;
            slot = p->slot;
        }
    }
    LogCall(slot, st, "acPortAuth h=%u", h);
    return st;
}

AC_EXPORT AC_STATUS acPortAssociate(AC_HANDLE h, AUTH_ASSOC_PARAMS* params)
{
    int st = 0;
    int slot = -1;
    AUTH_ASSOC_PARAMS copy = {};
    if (Injected("acPortAssociate", &st) && st != AC_ALSO_OK) {
    } else {
        Lock lock;
        Port* p = PortOf(h);
        if (!p || !params) st = -1;
        else {
            p->assoc = *params;
            copy = *params;
            slot = p->slot;
            // The session runs on the port's thread, never inside this call.
            EndSession(p);
            p->startPending = true;
            SetEvent(p->wake);
        }
    }
    char ssid[33] = {};
    std::memcpy(ssid, copy.ssid, copy.ssidLength > 32 ? 32 : copy.ssidLength);
    LogCall(slot, st, "acPortAssociate h=%u ssid=%s auth=%lu cipher=%lu", h, ssid, (unsigned long)copy.authCode,
            (unsigned long)copy.cipherCode);
    return st;
}

namespace {

AC_STATUS StopPort(const char* call, AC_HANDLE h)
{
    int st = 0;
    int slot = -1;
    if (Injected(call, &st) && st != AC_ALSO_OK) {
    } else {
        Lock lock;
        Port* p = PortOf(h);
        if (!p) st = -1;
        else {
            slot = p->slot;
            EndSession(p);
            p->state = 0;
            p->status = 0;
        }
    }
    LogCall(slot, st, "%s h=%u", call, h);
    return st;
}

template <class F> AC_STATUS ReadPort(const char* call, AC_HANDLE h, F read)
{
    int st = 0;
    int slot = -1;
    {
        Lock lock;
        Port* p = PortOf(h);
        if (!p) st = -1;
        else {
            slot = p->slot;
            st = read(p);
        }
    }
    Injected(call, &st);
    LogCall(slot, st, "%s h=%u", call, h);
    return st;
}

}  // namespace

AC_EXPORT AC_STATUS acPortDisassociate(AC_HANDLE h) { return StopPort("acPortDisassociate", h); }
AC_EXPORT AC_STATUS acPortStop(AC_HANDLE h) { return StopPort("acPortStop", h); }

AC_EXPORT AC_STATUS acPortGetLinkState(AC_HANDLE h, DWORD* a, DWORD* b)
{
    std::string guid;
    {
        Lock lock;
        Port* p = PortOf(h);
        if (p) guid = p->guid;
    }
    kqsim::AdapterState s = {};
    bool known = !guid.empty() && FindAdapter(guid, s);
    return ReadPort("acPortGetLinkState", h, [&](Port*) {
        if (!a || !b) return -1;
        *a = known ? s.associated : 0;
        *b = known ? s.connected : 0;
        return 0;
    });
}

AC_EXPORT AC_STATUS acPortGetState(AC_HANDLE h, DWORD* state)
{
    return ReadPort("acPortGetState", h, [&](Port* p) {
        if (!state) return -1;
        *state = p->state;
        return 0;
    });
}

AC_EXPORT AC_STATUS acPortGetStatus(AC_HANDLE h, DWORD* status)
{
    return ReadPort("acPortGetStatus", h, [&](Port* p) {
        if (!status) return -1;
        *status = p->status;
        return 0;
    });
}

// ---- credential objects ---------------------------------------------------

namespace {

// An identity or password of length bytes; the log shows an identity's text
// and a password's length only.
AC_STATUS CreateText(const char* call, AC_HANDLE* h, int kind, const char* text, int length)
{
    Object o;
    o.kind = kind;
    if (text && length > 0) o.text.assign(text, (size_t)length);
    int st = text && length >= 0 ? CreateObject(h, o) : -1;
    Injected(call, &st);
    if (kind == OBJ_IDENTITY) LogCall(-1, st, "%s %s", call, o.text.c_str());
    else LogCall(-1, st, "%s len=%d", call, length);
    return st;
}

AC_STATUS Destroy(const char* call, AC_HANDLE* h, int kind)
{
    AC_HANDLE was = h ? *h : 0;
    int st = DestroyObject(h, kind);
    LogCall(-1, st, "%s %u", call, was);
    return st;
}

}  // namespace

AC_EXPORT AC_STATUS acIdentityCreate(AC_HANDLE* h, const char* text, int length)
{
    return CreateText("acIdentityCreate", h, OBJ_IDENTITY, text, length);
}

AC_EXPORT AC_STATUS acIdentityDestroy(AC_HANDLE* h) { return Destroy("acIdentityDestroy", h, OBJ_IDENTITY); }

AC_EXPORT AC_STATUS acPasswordCreate(AC_HANDLE* h, const char* text, int length)
{
    return CreateText("acPasswordCreate", h, OBJ_PASSWORD, text, length);
}

AC_EXPORT AC_STATUS acPasswordDestroy(AC_HANDLE* h) { return Destroy("acPasswordDestroy", h, OBJ_PASSWORD); }

AC_EXPORT AC_STATUS acRsnPskCreate(AC_HANDLE* h, const char* passphrase, const BYTE* ssid, int ssidLength)
{
    Object o;
    o.kind = OBJ_PSK;
    int st = -1;
    if (passphrase && ssid && ssidLength >= 0 && ssidLength <= 32) {
        o.text = passphrase;
        o.ssid.assign((const char*)ssid, (size_t)ssidLength);
        st = CreateObject(h, o);
    }
    Injected("acRsnPskCreate", &st);
    LogCall(-1, st, "acRsnPskCreate passphrase=%s ssid=%s", Text(passphrase), o.ssid.c_str());
    return st;
}

AC_EXPORT AC_STATUS acRsnBinPskCreate(AC_HANDLE* h, const BYTE* key, int length)
{
    Object o;
    o.kind = OBJ_PSK;
    o.binary = true;
    int st = -1;
    char hex[16] = {};
    if (key && length == 32) {
        std::memcpy(o.key, key, 32);
        std::snprintf(hex, sizeof(hex), "%02x%02x%02x%02x", key[0], key[1], key[2], key[3]);
        st = CreateObject(h, o);
    }
    Injected("acRsnBinPskCreate", &st);
    LogCall(-1, st, "acRsnBinPskCreate len=%d key=%s...", length, hex);
    return st;
}

AC_EXPORT AC_STATUS acRsnPskDestroy(AC_HANDLE* h) { return Destroy("acRsnPskDestroy", h, OBJ_PSK); }

AC_EXPORT AC_STATUS acCertUrlWin32String(int kind, const BYTE* hash, int hashLength, char* url, int* urlLength)
{
    int st = -1;
    if (hash && hashLength > 0 && url && urlLength && *urlLength > 0) {
        std::string s = kind == 3 ? "win32://ROOT/" : "win32://MY/";
        for (int i = 0; i < hashLength && i < 20; ++i) {
            char hx[3];
            std::snprintf(hx, sizeof(hx), "%02x", hash[i]);
            s += hx;
        }
        if ((int)s.size() < *urlLength) {
            std::strcpy(url, s.c_str());
            *urlLength = (int)s.size();
            st = 0;
        }
    }
    Injected("acCertUrlWin32String", &st);
    LogCall(-1, st, "acCertUrlWin32String %d", kind);
    return st;
}

AC_EXPORT AC_STATUS acCertGetField(const char* url, int, int field, int, char* buffer, int* length)
{
    int st = -1;
    if (url && buffer && length && *length > 0) {
        int n = std::snprintf(buffer, (size_t)*length, "field %d of %s", field, url);
        if (n >= *length) n = *length - 1;
        *length = n;
        st = 0;
    }
    Injected("acCertGetField", &st);
    LogCall(-1, st, "acCertGetField %d", field);
    return st;
}

AC_EXPORT AC_STATUS acCertCreate(AC_HANDLE* h, const char* url, int)
{
    Object o;
    o.kind = OBJ_CERT;
    o.text = Text(url);
    int st = url ? CreateObject(h, o) : -1;
    Injected("acCertCreate", &st);
    LogCall(-1, st, "acCertCreate %s", Text(url));
    return st;
}

AC_EXPORT AC_STATUS acCertDestroy(AC_HANDLE* h) { return Destroy("acCertDestroy", h, OBJ_CERT); }

AC_EXPORT AC_STATUS acEapFASTPacCreate(AC_HANDLE* h, const BYTE* key, int keyLength, const BYTE* opaque, int opaqueLength)
{
    Object o;
    o.kind = OBJ_PAC;
    int st = key && keyLength >= 0 && (opaque || opaqueLength == 0) ? CreateObject(h, o) : -1;
    Injected("acEapFASTPacCreate", &st);
    LogCall(-1, st, "acEapFASTPacCreate");
    return st;
}

AC_EXPORT AC_STATUS acEapFASTPacDestroy(AC_HANDLE* h) { return Destroy("acEapFASTPacDestroy", h, OBJ_PAC); }

// ---- answers --------------------------------------------------------------

AC_EXPORT AC_STATUS acCredDeferred(AC_HANDLE h, DWORD id)
{
    return Answer("acCredDeferred", h, id, [](Port*, Pending&) {});
}

AC_EXPORT AC_STATUS acCredComplete(AC_HANDLE h, DWORD id)
{
    return Answer("acCredComplete", h, id, [](Port* p, Pending& q) {
        q.done = true;
        SetEvent(p->wake);
    });
}

AC_EXPORT AC_STATUS acCredSessionStart(AC_HANDLE h, DWORD id, DWORD)
{
    return Answer("acCredSessionStart", h, id, [](Port*, Pending&) {});
}

AC_EXPORT AC_STATUS acCredIdentity(AC_HANDLE h, DWORD id, AC_HANDLE identity)
{
    Object o;
    bool known = AnsweredObject(identity, OBJ_IDENTITY, o);
    return Answer("acCredIdentity", h, id, [&](Port* p, Pending& q) {
        // The sub-kind of the request tells outer from inner.
        if (!known) return;
        if (q.subKind == 0) p->answers.outerIdentity = o.text;
        else p->answers.innerIdentity = o.text;
    });
}

AC_EXPORT AC_STATUS acCredPassword(AC_HANDLE h, DWORD id, AC_HANDLE password)
{
    Object o;
    bool known = AnsweredObject(password, OBJ_PASSWORD, o);
    return Answer("acCredPassword", h, id, [&](Port* p, Pending&) {
        if (known) p->answers.password = o.text;
    });
}

AC_EXPORT AC_STATUS acCredRsnPsk(AC_HANDLE h, AC_HANDLE psk)
{
    int st = 0;
    int slot = -1;
    Object o;
    bool known = GetObject(psk, OBJ_PSK, o);
    if (Injected("acCredRsnPsk", &st) && st != AC_ALSO_OK) {
    } else {
        Lock lock;
        Port* p = PortOf(h);
        if (!p || !known) st = -1;
        else {
            p->psk = psk;
            slot = p->slot;
        }
    }
    LogCall(slot, st, "acCredRsnPsk h=%u psk=%u", h, psk);
    return st;
}

AC_EXPORT AC_STATUS acCredEapMethods(AC_HANDLE h, DWORD id, const AC_EAP_METHOD* methods, int count)
{
    return Answer("acCredEapMethods", h, id, [&](Port* p, Pending& q) {
        if (!methods || count < 1) return;
        if (q.subKind == 0) p->answers.outerType = methods[0].type;
        else p->answers.innerType = methods[0].type;
    });
}

namespace {

// The certificate a "win32://MY/<sha1 hex>" URL names is in the current
// user's personal store, as the library needs it to present it.
bool InPersonalStore(const std::string& url)
{
    const std::string prefix = "win32://MY/";
    if (url.compare(0, prefix.size(), prefix) != 0 || url.size() != prefix.size() + 40) return false;
    BYTE hash[20];
    for (int i = 0; i < 20; ++i) {
        char hex[3] = {url[prefix.size() + 2 * i], url[prefix.size() + 2 * i + 1], 0};
        char* end = nullptr;
        hash[i] = (BYTE)std::strtoul(hex, &end, 16);
        if (end != hex + 2) return false;
    }
    HCERTSTORE store = CertOpenSystemStoreA(0, "MY");
    if (!store) return false;
    CRYPT_HASH_BLOB blob = {sizeof(hash), hash};
    PCCERT_CONTEXT cert = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &blob, nullptr);
    if (cert) CertFreeCertificateContext(cert);
    CertCloseStore(store, 0);
    return cert != nullptr;
}

}  // namespace

AC_EXPORT AC_STATUS acCredUserCert(AC_HANDLE h, DWORD id, AC_HANDLE cert)
{
    Object o;
    bool known = AnsweredObject(cert, OBJ_CERT, o) && InPersonalStore(o.text);
    return Answer("acCredUserCert", h, id, [&](Port* p, Pending&) { p->answers.userCert = known; });
}

AC_EXPORT AC_STATUS acCredMachineIdentity(AC_HANDLE h, DWORD id, AC_HANDLE identity)
{
    Object o;
    AnsweredObject(identity, OBJ_IDENTITY, o);
    return Answer("acCredMachineIdentity", h, id, [](Port*, Pending&) {});
}

AC_EXPORT AC_STATUS acCredEapFASTPacTypes(AC_HANDLE h, DWORD id, const DWORD* types, int count)
{
    return Answer("acCredEapFASTPacTypes", h, id, [&](Port* p, Pending&) {
        if (types && count > 0) p->answers.provisioning = true;
    });
}

AC_EXPORT AC_STATUS acCredEapFASTProvisionModes(AC_HANDLE h, DWORD id, const DWORD* modes, int count)
{
    return Answer("acCredEapFASTProvisionModes", h, id, [&](Port* p, Pending&) {
        if (modes && count > 0) p->answers.provisioning = true;
    });
}

AC_EXPORT AC_STATUS acCredEapTTLSTunnelMethod(AC_HANDLE h, DWORD id, DWORD)
{
    return Answer("acCredEapTTLSTunnelMethod", h, id, [](Port*, Pending&) {});
}

AC_EXPORT AC_STATUS acCredCcxRogueAP(AC_HANDLE h, DWORD id, int)
{
    return Answer("acCredCcxRogueAP", h, id, [](Port*, Pending&) {});
}

AC_EXPORT AC_STATUS acCredEapFASTPac(AC_HANDLE h, DWORD id, AC_HANDLE pac)
{
    Object o;
    bool known = pac && GetObject(pac, OBJ_PAC, o);
    return Answer("acCredEapFASTPac", h, id, [&](Port* p, Pending&) { p->answers.pac = known; });
}

AC_EXPORT AC_STATUS acCredServerVerifyChain(AC_HANDLE h, DWORD id, int* ok)
{
    return Answer("acCredServerVerifyChain", h, id, [&](Port*, Pending&) {
        if (ok) *ok = 1;
    });
}

namespace {

// The network the adapter of the port has joined; false when none.
bool JoinedNetworkOf(AC_HANDLE h, KQSIM_NETWORK& net)
{
    std::string guid;
    {
        Lock lock;
        Port* p = PortOf(h);
        if (p) guid = p->guid;
    }
    return !guid.empty() && WithSim([&](kqsim::SimClient& c) { return c.JoinedNetwork(guid, net); });
}

std::string Lower(std::string s)
{
    for (char& c : s) c = (char)tolower((unsigned char)c);
    return s;
}

// The name the joined network's server presents in its certificate.
std::string ServerNameOf(AC_HANDLE h)
{
    KQSIM_NETWORK net = {};
    std::string name = JoinedNetworkOf(h, net) ? EapValue(net, "server") : "";
    return name.empty() ? "radius.kestiq.test" : name;
}

// name passes: equal to the server's name, or (suffix) the end of it.
bool NameMatches(const std::string& server, const char* name, bool suffix)
{
    if (!name || !*name) return false;
    std::string s = Lower(server), n = Lower(name);
    if (s == n) return true;
    return suffix && s.size() > n.size() && s.compare(s.size() - n.size(), n.size(), n) == 0;
}

}  // namespace

AC_EXPORT AC_STATUS acCredServerVerifyCA(AC_HANDLE h, DWORD id, const char* caUrl, int* ok)
{
    // The URL ends in the CA's hash: ".../<sha1 hex>".
    KQSIM_NETWORK net = {};
    std::string ca = JoinedNetworkOf(h, net) ? Lower(EapValue(net, "ca")) : "";
    std::string url = caUrl ? Lower(caUrl) : "";
    size_t slash = url.rfind('/');
    bool match = ca.empty() || (slash != std::string::npos && url.substr(slash + 1) == ca);
    return Answer("acCredServerVerifyCA", h, id, [&](Port*, Pending&) {
        if (ok) *ok = match ? 1 : 0;
    });
}

AC_EXPORT AC_STATUS acCredServerVerifyDomain(AC_HANDLE h, DWORD id, int, const char* name, int, int* ok)
{
    bool match = NameMatches(ServerNameOf(h), name, true);
    return Answer("acCredServerVerifyDomain", h, id, [&](Port*, Pending&) {
        if (ok) *ok = match ? 1 : 0;
    });
}

AC_EXPORT AC_STATUS acCredServerVerifyField(AC_HANDLE h, DWORD id, int, const char* name, int rule, int* ok)
{
    bool match = NameMatches(ServerNameOf(h), name, rule != 0);
    return Answer("acCredServerVerifyField", h, id, [&](Port*, Pending&) {
        if (ok) *ok = match ? 1 : 0;
    });
}

AC_EXPORT AC_STATUS acCredServerVerified(AC_HANDLE h, DWORD id, int allPassed)
{
    // The log carries the verdict as the program gave it.
    char verdict[32];
    std::snprintf(verdict, sizeof(verdict), " verified=%d", allPassed);
    return Answer(
        "acCredServerVerified", h, id, [&](Port* p, Pending&) { p->answers.serverVerified = allPassed ? 1 : 0; },
        verdict);
}

namespace {

AC_STATUS PutText(const char* call, AC_HANDLE h, DWORD id, char* buffer, int* length, const std::string& text)
{
    return Answer(call, h, id, [&](Port*, Pending&) {
        if (!buffer || !length || *length <= 0) return;
        int n = (int)text.size() < *length - 1 ? (int)text.size() : *length - 1;
        std::memcpy(buffer, text.data(), (size_t)n);
        buffer[n] = 0;
        *length = n;
    });
}

AC_STATUS PutWord(const char* call, AC_HANDLE h, DWORD id, DWORD* out, DWORD value)
{
    return Answer(call, h, id, [&](Port*, Pending&) {
        if (out) *out = value;
    });
}

}  // namespace

AC_EXPORT AC_STATUS acCredServerGetField(AC_HANDLE h, DWORD id, int field, int index, char* buffer, int* length)
{
    bool endless;
    {
        Lock lock;
        endless = g_settings.endlessFields;
    }
    if (index > 0 && !endless) {
        LogCall(SlotOf(h), AC_NO_VALUE, "acCredServerGetField h=%u id=%lu %d %d", h, (unsigned long)id, field, index);
        return AC_NO_VALUE;
    }
    return PutText("acCredServerGetField", h, id, buffer, length, ServerNameOf(h));
}

AC_EXPORT AC_STATUS acCredGetIdentityPrompt(AC_HANDLE h, DWORD id, char* buffer, int* length)
{
    return PutText("acCredGetIdentityPrompt", h, id, buffer, length, "Identity:");
}

AC_EXPORT AC_STATUS acCredGetPasswordPrompt(AC_HANDLE h, DWORD id, char* buffer, int* length)
{
    return PutText("acCredGetPasswordPrompt", h, id, buffer, length, "Password:");
}

AC_EXPORT AC_STATUS acCredGetEapNotification(AC_HANDLE h, DWORD id, char* buffer, int* length)
{
    return PutText("acCredGetEapNotification", h, id, buffer, length, "");
}

AC_EXPORT AC_STATUS acCredGetEapFASTPacAIDInfo(AC_HANDLE h, DWORD id, char* buffer, int* length)
{
    return PutText("acCredGetEapFASTPacAIDInfo", h, id, buffer, length, "Kestiq test authority");
}

AC_EXPORT AC_STATUS acCredGetEapMethod(AC_HANDLE h, DWORD id, AC_EAP_METHOD* proposed, DWORD subKind)
{
    std::string guid;
    {
        Lock lock;
        Port* p = PortOf(h);
        if (p) guid = p->guid;
    }
    KQSIM_NETWORK net = {};
    bool joined = !guid.empty() && WithSim([&](kqsim::SimClient& c) { return c.JoinedNetwork(guid, net); });
    DWORD type = joined ? EapTypeOf(EapValue(net, "method")) : 0;
    if (subKind) type = 26;
    return Answer("acCredGetEapMethod", h, id, [&](Port*, Pending&) {
        if (proposed) {
            proposed->vendor = 0;
            proposed->type = type;
        }
    });
}

AC_EXPORT AC_STATUS acCredGetEapFASTMode(AC_HANDLE h, DWORD id, DWORD* mode)
{
    return PutWord("acCredGetEapFASTMode", h, id, mode, 0);
}

AC_EXPORT AC_STATUS acCredGetEapFASTPacType(AC_HANDLE h, DWORD id, DWORD* type)
{
    return PutWord("acCredGetEapFASTPacType", h, id, type, 1);
}

AC_EXPORT AC_STATUS acCredGetEapFASTPacLifeTime(AC_HANDLE h, DWORD id, DWORD* lifeTime)
{
    return PutWord("acCredGetEapFASTPacLifeTime", h, id, lifeTime, 86400);
}

namespace {

AC_STATUS PutBytes(const char* call, AC_HANDLE h, DWORD id, BYTE* buffer, int* length, BYTE fill, int n)
{
    return Answer(call, h, id, [&](Port*, Pending&) {
        if (!buffer || !length) return;
        int k = n < *length ? n : *length;
        if (k > 0) std::memset(buffer, fill, (size_t)k);
        *length = k < 0 ? 0 : k;
    });
}

}  // namespace

AC_EXPORT AC_STATUS acCredGetEapFASTAID(AC_HANDLE h, DWORD id, BYTE* buffer, int* length)
{
    return PutBytes("acCredGetEapFASTAID", h, id, buffer, length, 0xA1, 16);
}

AC_EXPORT AC_STATUS acCredGetEapFASTPacAID(AC_HANDLE h, DWORD id, BYTE* buffer, int* length)
{
    return PutBytes("acCredGetEapFASTPacAID", h, id, buffer, length, 0xA1, 16);
}

AC_EXPORT AC_STATUS acCredGetEapFASTPacIID(AC_HANDLE h, DWORD id, BYTE* buffer, int* length)
{
    // Issued to the user name of the outer identity the session was given.
    return Answer("acCredGetEapFASTPacIID", h, id, [&](Port* p, Pending&) {
        if (!buffer || !length) return;
        std::string user = p->answers.outerIdentity;
        user = user.substr(0, user.find('@'));
        size_t slash = user.find('\\');
        if (slash != std::string::npos) user = user.substr(slash + 1);
        int k = (int)user.size() < *length ? (int)user.size() : *length;
        if (k > 0) std::memcpy(buffer, user.data(), (size_t)k);
        *length = k < 0 ? 0 : k;
    });
}

AC_EXPORT AC_STATUS acCredGetEapFASTPacKey(AC_HANDLE h, DWORD id, BYTE* buffer, int* length)
{
    return PutBytes("acCredGetEapFASTPacKey", h, id, buffer, length, 0x5C, 32);
}

AC_EXPORT AC_STATUS acCredGetEapFASTPacOpaque(AC_HANDLE h, DWORD id, BYTE* buffer, int* length)
{
    return PutBytes("acCredGetEapFASTPacOpaque", h, id, buffer, length, 0x0F, 64);
}

// ---- CCX ---------------------------------------------------------------

AC_EXPORT AC_STATUS acCcxRadioCfg(AC_HANDLE h, DWORD* flags)
{
    char d[32];
    std::snprintf(d, sizeof(d), "h=%u flags=%lu", h, flags ? (unsigned long)*flags : 0ul);
    return Plain("acCcxRadioCfg", SlotOf(h), d);
}

AC_EXPORT AC_STATUS acCcxGetRadioCfg(AC_HANDLE h, DWORD* flags)
{
    if (flags) *flags = 7;
    return Plain("acCcxGetRadioCfg", SlotOf(h));
}

AC_EXPORT AC_STATUS acCcxRogueApTimeout(AC_HANDLE h, int seconds)
{
    char d[32];
    std::snprintf(d, sizeof(d), "h=%u %d", h, seconds);
    return Plain("acCcxRogueApTimeout", SlotOf(h), d);
}

AC_EXPORT AC_STATUS acCcxEnable(AC_HANDLE h, int on)
{
    char d[32];
    std::snprintf(d, sizeof(d), "h=%u %d", h, on);
    return Plain("acCcxEnable", SlotOf(h), d);
}

// ---- IP -----------------------------------------------------------------

namespace {

// A call on the adapter named by its port's name: fill(adapter) answers it
// (false: bad arguments).
template <class F> AC_STATUS ByName(const char* call, const char* name, F fill)
{
    kqsim::AdapterState a;
    bool found = AdapterOfName(name, a);
    int st = found && fill(a) ? 0 : -1;
    Injected(call, &st);
    LogCall(found ? (int)a.slot : -1, st, "%s %s", call, Text(name));
    return st;
}

}  // namespace

AC_EXPORT AC_STATUS acIpIsConnected(const char* name, int* connected)
{
    return ByName("acIpIsConnected", name, [&](const kqsim::AdapterState& a) {
        if (!connected) return false;
        *connected = a.connected ? 1 : 0;
        return true;
    });
}

AC_EXPORT AC_STATUS acIpDhcpIsEnabled(const char* name, int* enabled)
{
    return ByName("acIpDhcpIsEnabled", name, [&](const kqsim::AdapterState&) {
        if (!enabled) return false;
        *enabled = 1;
        return true;
    });
}

// The joined network's address while the link is up, else zeros.
AC_EXPORT AC_STATUS acIpGetConfig(const char* name, BYTE* config)
{
    return ByName("acIpGetConfig", name, [&](const kqsim::AdapterState& a) {
        if (!config) return false;
        std::memset(config, 0, AC_IP_CONFIG_SIZE);
        KQSIM_NETWORK net = {};
        std::string guid = a.config.guid;
        if (a.connected && WithSim([&](kqsim::SimClient& c) { return c.JoinedNetwork(guid, net); }))
            std::memcpy(config, &net.ipAddress, 4);
        return true;
    });
}

AC_EXPORT AC_STATUS acIpDhcpRenew(const char* name)
{
    return ByName("acIpDhcpRenew", name, [](const kqsim::AdapterState&) { return true; });
}
