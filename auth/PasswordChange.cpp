#include "auth/PasswordChange.h"

#include "auth/AuthUiRelay.h"
#include "auth/AuthWaits.h"
#include "auth/OsLayer.h"
#include "auth/SupplicantBinding.h"
#include "core/ProfileStore.h"
#include "core/StationConfig.h"

volatile LONG g_bOtpMode = 0;

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
HANDLE g_hAnswered = nullptr;   // manual-reset: the user answered, or the change ended
bool g_bPending = false;
bool g_bClosed = true;

// Starts the wait for the user; false when changes end at once.
bool BeginWait()
{
    AcquireSRWLockExclusive(&g_lock);
    bool wait = !g_bClosed && g_hAnswered;
    if (wait) {
        g_bPending = true;
        ResetEvent(g_hAnswered);
    }
    ReleaseSRWLockExclusive(&g_lock);
    return wait;
}

// Ends the wait; true when one was pending.
bool EndWait()
{
    AcquireSRWLockExclusive(&g_lock);
    bool was = g_bPending;
    g_bPending = false;
    if (g_hAnswered) SetEvent(g_hAnswered);
    ReleaseSRWLockExclusive(&g_lock);
    return was;
}

// EAP-FAST and LEAP log in with the changed password as their own.
bool ChangesOwnPassword(DWORD eapMethod) { return eapMethod == 3 || eapMethod == 5; }

// The change's copy into the current profile and the snapshot, and its
// writes into the registry.
void StoreChange(const char* identity, const char* password)
{
    if (!identity) identity = "";
    if (!password) password = "";
    AuthCredentialTexts texts = GetAuthCredentialTexts();
    lstrcpynA(texts.tunnelId, identity, sizeof(texts.tunnelId));
    lstrcpynA(texts.tunnelPassword, password, sizeof(texts.tunnelPassword));
    bool own = g_pCurProfile && ChangesOwnPassword(g_pCurProfile->eapMethod);
    if (StationConfig* p = g_pCurProfile) {
        lstrcpynA(p->tunnelId, identity, sizeof(p->tunnelId));
        lstrcpynA(p->tunnelPassword, password, sizeof(p->tunnelPassword));
        if (own) {
            lstrcpynA(p->identity, identity, sizeof(p->identity));
            lstrcpynA(p->password, password, sizeof(p->password));
        }
    }
    if (own) {
        lstrcpynA(texts.identity, identity, sizeof(texts.identity));
        lstrcpynA(texts.password, password, sizeof(texts.password));
    }
    SetAuthCredentialTexts(texts);
    // The adapter key and the profile's key hold a stored profile's values;
    // a one-off connection has neither, and the last activated profile keeps
    // its own.
    if (PortConfiguredForStoredProfile()) {
        CString profile = PortProfileName();
        WriteActiveProfileValue(profile, PV_TUNNEL_PASSWORD, password);
        WriteActiveProfileValue(profile, PV_PASSWORD, password);
    }
}

}  // namespace

void OpenPasswordChanges()
{
    AcquireSRWLockExclusive(&g_lock);
    if (!g_hAnswered) g_hAnswered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_bClosed = false;
    ReleaseSRWLockExclusive(&g_lock);
}

void ClosePasswordChanges()
{
    AcquireSRWLockExclusive(&g_lock);
    g_bClosed = true;
    ReleaseSRWLockExclusive(&g_lock);
    if (EndWait()) PostPasswordChangeEnded();
}

DWORD SavePasswordThreadProc(void*)
{
    InterlockedExchange(&g_bOtpMode, 1);
    bool ranOut = false;
    if (BeginWait()) {
        // No relay (no user-interface thread to ask): nothing to wait for.
        if (PostPasswordChangePrompt()) {
            WaitForSingleObject(g_hAnswered, g_AuthWaits.passwordChangeMs);
            ranOut = EndWait();
        } else {
            EndWait();
        }
    }
    InterlockedExchange(&g_bOtpMode, 0);
    // The panel asks for a new password no more.
    if (ranOut) PostPasswordChangeEnded();
    return 1;
}

bool RunPasswordChange()
{
    OS_THREAD* thread = nullptr;
    if (!OsThreadCreate(&thread, SavePasswordThreadProc, nullptr)) return false;
    OsThreadJoin(&thread);
    return true;
}

bool PasswordChangePending()
{
    AcquireSRWLockShared(&g_lock);
    bool pending = g_bPending;
    ReleaseSRWLockShared(&g_lock);
    return pending;
}

bool CompletePasswordChange(const char* identity, const char* password)
{
    if (!PasswordChangePending()) return false;
    StoreChange(identity, password);
    EndWait();
    return true;
}

void StoreLatePasswordChange(const char* identity, const char* password) { StoreChange(identity, password); }

void CancelPasswordChange() { EndWait(); }
