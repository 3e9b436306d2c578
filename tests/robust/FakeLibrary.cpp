#include "FakeLibrary.h"

#include <algorithm>
#include <cstring>

namespace robust {

namespace {

FakeLibraryState g_state;

AC_STATUS Log(const char* name, DWORD id, AC_STATUS st)
{
    g_state.calls.push_back(LibraryCall{ name, id, st });
    return st;
}

AC_STATUS Status(const char* name, DWORD id)
{
    AC_STATUS st = 0;
    if (g_state.scripted) {
        st = g_state.next < g_state.script.size() ? g_state.script[g_state.next++] : 0;
    } else if (g_state.rng && g_state.rng->Below(16) < g_state.failShare) {
        static const AC_STATUS kOdd[] = { AC_ALSO_OK, AC_ALSO_OK, AC_RETRY_COMPLETE, AC_NO_VALUE, AC_NO_VALUE,
                                          AC_NOT_AS_PASSED, -1, 1, 5, -33, 0x7FFFFFFF, (AC_STATUS)0x80000000 };
        st = g_state.rng->Pick(kOdd);
    }
    return Log(name, id, st);
}

int Flag() { return g_state.rng && !g_state.scripted ? (int)g_state.rng->Below(2) : 0; }

// A text answer: up to the buffer's room of `value` (or of random bytes),
// and a reported length that is the truth, or an edge, or a lie.
AC_STATUS Text(const char* name, DWORD id, void* buffer, int* length, const Bytes* value, int reported)
{
    AC_STATUS st = Status(name, id);
    if (!length) return st;
    int room = *length;
    Bytes v = value ? *value : (g_state.rng ? g_state.rng->RandomBytes(g_state.rng->Below(300)) : Bytes());
    int n = room < 0 ? 0 : std::min(room, (int)v.size());
    if (buffer && n > 0) std::memcpy(buffer, v.data(), (size_t)n);
    if (reported >= 0) {
        *length = reported;
    } else if (!value && g_state.rng && g_state.rng->OneIn(4)) {
        static const int kLies[] = { -1, 0, 1, 127, 128, 129, 256, 512, 513, 1024, 1025, 0x7FFFFFFF };
        *length = g_state.rng->Pick(kLies);
    } else {
        *length = n;
    }
    return st;
}

// The four parts of a provisioned PAC: A-ID, I-ID, key, opaque.
const char* const kPartNames[4] = { "acCredGetEapFASTPacAID", "acCredGetEapFASTPacIID", "acCredGetEapFASTPacKey",
                                    "acCredGetEapFASTPacOpaque" };
template <int P>
AC_STATUS PacPart(AC_HANDLE, DWORD id, BYTE* buffer, int* length)
{
    return Text(kPartNames[P], id, buffer, length, &g_state.pacParts[P], g_state.pacLengths[P]);
}

void Install()
{
    // Every call the credential paths can make, answered from the state.
    g_ac.acCredDeferred = [](AC_HANDLE, DWORD id) { return Log("acCredDeferred", id, 0); };
    g_ac.acCredComplete = [](AC_HANDLE, DWORD id) { return Status("acCredComplete", id); };
    g_ac.acCredSessionStart = [](AC_HANDLE, DWORD id, DWORD) { return Status("acCredSessionStart", id); };
    g_ac.acCredIdentity = [](AC_HANDLE, DWORD id, AC_HANDLE) { return Status("acCredIdentity", id); };
    g_ac.acCredPassword = [](AC_HANDLE, DWORD id, AC_HANDLE) { return Status("acCredPassword", id); };
    g_ac.acCredEapMethods = [](AC_HANDLE, DWORD id, const AC_EAP_METHOD*, int) {
        return Status("acCredEapMethods", id);
    };
    g_ac.acCredUserCert = [](AC_HANDLE, DWORD id, AC_HANDLE) { return Status("acCredUserCert", id); };
    g_ac.acCredMachineIdentity = [](AC_HANDLE, DWORD id, AC_HANDLE) { return Status("acCredMachineIdentity", id); };
    g_ac.acCredEapFASTPacTypes = [](AC_HANDLE, DWORD id, const DWORD*, int) {
        return Status("acCredEapFASTPacTypes", id);
    };
    g_ac.acCredEapFASTProvisionModes = [](AC_HANDLE, DWORD id, const DWORD*, int) {
        return Status("acCredEapFASTProvisionModes", id);
    };
    g_ac.acCredEapTTLSTunnelMethod = [](AC_HANDLE, DWORD id, DWORD) { return Status("acCredEapTTLSTunnelMethod", id); };
    g_ac.acCredCcxRogueAP = [](AC_HANDLE, DWORD id, int) { return Status("acCredCcxRogueAP", id); };
    g_ac.acCredEapFASTPac = [](AC_HANDLE, DWORD id, AC_HANDLE) { return Status("acCredEapFASTPac", id); };
    g_ac.acCredServerVerifyChain = [](AC_HANDLE, DWORD id, int* ok) {
        *ok = Flag();
        return Status("acCredServerVerifyChain", id);
    };
    g_ac.acCredServerVerifyCA = [](AC_HANDLE, DWORD id, const char*, int* ok) {
        *ok = Flag();
        return Status("acCredServerVerifyCA", id);
    };
    g_ac.acCredServerVerifyDomain = [](AC_HANDLE, DWORD id, int, const char*, int, int* ok) {
        *ok = Flag();
        return Status("acCredServerVerifyDomain", id);
    };
    g_ac.acCredServerVerifyField = [](AC_HANDLE, DWORD id, int, const char*, int, int* ok) {
        *ok = Flag();
        return Status("acCredServerVerifyField", id);
    };
    g_ac.acCredServerVerified = [](AC_HANDLE, DWORD id, int) { return Status("acCredServerVerified", id); };
    g_ac.acCredServerGetField = [](AC_HANDLE, DWORD id, int, int, char* b, int* l) {
        return Text("acCredServerGetField", id, b, l, nullptr, -1);
    };
    g_ac.acCredGetIdentityPrompt = [](AC_HANDLE, DWORD id, char* b, int* l) {
        return Text("acCredGetIdentityPrompt", id, b, l, nullptr, -1);
    };
    g_ac.acCredGetPasswordPrompt = [](AC_HANDLE, DWORD id, char* b, int* l) {
        return Text("acCredGetPasswordPrompt", id, b, l, nullptr, -1);
    };
    g_ac.acCredGetEapNotification = [](AC_HANDLE, DWORD id, char* b, int* l) {
        return Text("acCredGetEapNotification", id, b, l, nullptr, -1);
    };
    g_ac.acCredGetEapMethod = [](AC_HANDLE, DWORD id, AC_EAP_METHOD* m, DWORD) {
        if (m && g_state.rng) *m = AC_EAP_METHOD{ 0, (DWORD)g_state.rng->Below(60) };
        return Status("acCredGetEapMethod", id);
    };
    g_ac.acCredGetEapFASTMode = [](AC_HANDLE, DWORD id, DWORD* mode) {
        if (mode) *mode = (DWORD)Flag();
        return Status("acCredGetEapFASTMode", id);
    };
    g_ac.acCredGetEapFASTAID = [](AC_HANDLE, DWORD id, BYTE* b, int* l) {
        return Text("acCredGetEapFASTAID", id, b, l, g_state.aid.empty() ? nullptr : &g_state.aid, g_state.aidLength);
    };
    g_ac.acCredGetEapFASTPacAID = PacPart<0>;
    g_ac.acCredGetEapFASTPacIID = PacPart<1>;
    g_ac.acCredGetEapFASTPacKey = PacPart<2>;
    g_ac.acCredGetEapFASTPacOpaque = PacPart<3>;
    g_ac.acCredGetEapFASTPacAIDInfo = [](AC_HANDLE, DWORD id, char* b, int* l) {
        return Text("acCredGetEapFASTPacAIDInfo", id, b, l, nullptr, -1);
    };
    g_ac.acCredGetEapFASTPacType = [](AC_HANDLE, DWORD id, DWORD* t) {
        if (t) *t = 1;
        return Status("acCredGetEapFASTPacType", id);
    };
    g_ac.acCredGetEapFASTPacLifeTime = [](AC_HANDLE, DWORD id, DWORD* t) {
        if (t) *t = 86400;
        return Status("acCredGetEapFASTPacLifeTime", id);
    };
    g_ac.acEapFASTPacCreate = [](AC_HANDLE* pac, const BYTE* key, int keyLength, const BYTE* opaque,
                                 int opaqueLength) {
        g_state.pacKey.assign(key, key + (keyLength > 0 ? keyLength : 0));
        g_state.pacOpaque.assign(opaque, opaque + (opaqueLength > 0 ? opaqueLength : 0));
        ++g_state.pacCreated;
        if (pac) *pac = 77;
        return Log("acEapFASTPacCreate", 0, 0);
    };
    g_ac.acEapFASTPacDestroy = [](AC_HANDLE* pac) {
        if (pac) *pac = 0;
        return Log("acEapFASTPacDestroy", 0, 0);
    };
    g_ac.acIdentityCreate = [](AC_HANDLE* h, const char*, int) {
        if (h) *h = 11;
        return Log("acIdentityCreate", 0, 0);
    };
    g_ac.acIdentityDestroy = [](AC_HANDLE* h) {
        if (h) *h = 0;
        return Log("acIdentityDestroy", 0, 0);
    };
    g_ac.acPasswordCreate = [](AC_HANDLE* h, const char*, int) {
        if (h) *h = 12;
        return Log("acPasswordCreate", 0, 0);
    };
    g_ac.acPasswordDestroy = [](AC_HANDLE* h) {
        if (h) *h = 0;
        return Log("acPasswordDestroy", 0, 0);
    };
    g_ac.acRsnPskCreate = [](AC_HANDLE* h, const char* passphrase, const BYTE*, int) {
        g_state.passphrase = passphrase ? passphrase : "";
        if (h) *h = 13;
        return Log("acRsnPskCreate", 0, 0);
    };
    g_ac.acRsnBinPskCreate = [](AC_HANDLE* h, const BYTE* key, int length) {
        g_state.binaryKey.assign(key, key + (length > 0 ? length : 0));
        if (h) *h = 14;
        return Log("acRsnBinPskCreate", 0, 0);
    };
    g_ac.acRsnPskDestroy = [](AC_HANDLE* h) {
        if (h) *h = 0;
        return Log("acRsnPskDestroy", 0, 0);
    };
    g_ac.acPortDisassociate = [](AC_HANDLE) { return Log("acPortDisassociate", 0, 0); };
    g_ac.acPortAssociate = [](AC_HANDLE, AUTH_ASSOC_PARAMS*) { return Log("acPortAssociate", 0, 0); };
}

}  // namespace

FakeLibraryState& Fake() { return g_state; }

AC_STATUS NextStatus(const char* name, DWORD id) { return Status(name, id); }

FakeLibrary::FakeLibrary() : m_saved(g_ac)
{
    m_ok = LoadAcAuthLibrary() && AcAuthLibraryLoaded();
    m_saved = g_ac;
    Install();
}

FakeLibrary::~FakeLibrary()
{
    g_ac = m_saved;
    g_state = FakeLibraryState();
}

FakeLibraryState& FakeLibrary::Reset(Rng& rng)
{
    g_state = FakeLibraryState();
    g_state.rng = &rng;
    return g_state;
}

}  // namespace robust
