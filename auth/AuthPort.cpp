#include "auth/AuthPort.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "auth/AcAuthLibrary.h"
#include "auth/AuthWaits.h"
#include "auth/OsLayer.h"
#include "auth/SupplicantBinding.h"

AUTH_PORT* g_pAuthPort = nullptr;

namespace {

OS_LOCK g_portLock = nullptr;
AUTH_PORT* g_portHead = nullptr;

// The list lock is made and destroyed by the layer's start and shut-down,
// while a worker or a network check that the shut-down gave up on may still
// come for it: every use of it holds this shared, its making and destroying
// hold it exclusive, so that nobody acquires a lock freed under it.
SRWLOCK g_portLockLife = SRWLOCK_INIT;

// The list lock held for a scope; Held() is false when there is none.
class ListLock {
public:
    ListLock() { Lock(); }
    ~ListLock() { Unlock(); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
    bool Held() const { return m_held; }
    void Lock()
    {
        AcquireSRWLockShared(&g_portLockLife);
        m_life = true;
        m_held = g_portLock && OsLockAcquire(g_portLock);
    }
    void Unlock()
    {
        if (m_held) OsLockRelease(g_portLock);
        m_held = false;
        if (m_life) ReleaseSRWLockShared(&g_portLockLife);
        m_life = false;
    }

private:
    bool m_life = false, m_held = false;
};

void DestroyListLock()
{
    AcquireSRWLockExclusive(&g_portLockLife);
    OsLockDestroy(&g_portLock);
    ReleaseSRWLockExclusive(&g_portLockLife);
}

// A library that kept handing out names would otherwise keep the walk going for ever.
const int kMaxPortNames = 256;

bool OnList(const AUTH_PORT* port)
{
    for (AUTH_PORT* p = g_portHead; p; p = p->next)
        if (p == port) return true;
    return false;
}

void ConfigurePortCcxRadio(AUTH_PORT* port)
{
    port->ccxRadioFlags = 0;
    if (port->attributes.ccxVersion == 0) return;
    port->ccxRadioFlags = 7;
    AC_STATUS st = g_ac.acCcxRadioCfg(port->handle, &port->ccxRadioFlags);
    if (st == AC_NO_CCX_A || st == AC_NO_CCX_B) {
        port->ccxRadioFlags = 0;
        return;
    }
    if (st == AC_NOT_AS_PASSED) {
        st = g_ac.acCcxGetRadioCfg(port->handle, &port->ccxRadioFlags);
        if (st != 0 && st != AC_NOT_AS_PASSED) {
            std::printf("acCcxGetRadioCfg failed: %d\n", st);
            return;
        }
        st = 0;
    }
    if (st != 0) {
        std::printf("acCcxRadioCfg failed: %d\n", st);
        return;
    }
    DWORD zero = 0;
    st = g_ac.acCcxRadioCfg(port->handle, &zero);
    if (st != 0) std::printf("acCcxRadioCfg failed: %d\n", st);
}

// Attaches the named port and returns its record (lock held).
AUTH_PORT* AttachPort(const char* symName, AC_STATUS_FN statusCallback, AC_CRED_FN credentialCallback)
{
    AUTH_PORT* port = AuthPortAlloc();
    if (!port) {
        std::printf("WARNING: can't malloc port\n");
        return nullptr;
    }
    port->callbackBlock.context = port;
    port->callbackBlock.status = statusCallback;
    port->callbackBlock.credential = credentialCallback;
    AC_STATUS st = g_ac.acPortAttach(&port->handle, symName, &port->callbackBlock);
    if (IsAcFailure("acPortAttach", st)) {
        AuthPortUnref(port);
        return nullptr;
    }
    st = g_ac.acGetPortAttr(symName, &port->attributes);
    if (IsAcFailure("acGetPortAttr", st)) {
        g_ac.acPortDetach(&port->handle);
        AuthPortUnref(port);
        return nullptr;
    }
    port->attributes.name[sizeof(port->attributes.name) - 1] = 0;
    std::strncpy(port->symName, symName, sizeof(port->symName) - 1);
    port->symName[sizeof(port->symName) - 1] = 0;
    ConfigurePortCcxRadio(port);
    DumpPortAttributes(port);
    return port;
}

AC_STATUS AuthPortAuthenticate(AUTH_PORT* port)
{
    AC_STATUS st;
    if (port->pskSet) {
        st = g_ac.acCredRsnPsk(port->handle, port->pskHandle);
        if (IsAcFailure("acCredRsnPsk", st)) return st;
    }
    if (!port->libraryAssociates) {
        port->started = 1;
        return 0;
    }
    st = g_ac.acPortAuth(port->handle);
    if (IsAcFailure("acPortAuth", st)) return st;
    st = g_ac.acPortAssociate(port->handle, &port->assocParams);
    if (st != 0) {
        g_ac.acPortStop(port->handle);
        return st;
    }
    port->started = 1;
    return 0;
}

void Unlink(AUTH_PORT* port)
{
    for (AUTH_PORT** pp = &g_portHead; *pp; pp = &(*pp)->next) {
        if (*pp == port) {
            *pp = port->next;
            return;
        }
    }
}

} // namespace

bool AuthPortLayerReady() { return g_portLock != nullptr; }

int AuthPortListCount()
{
    int n = 0;
    ListLock lock;
    if (!lock.Held()) return 0;
    for (AUTH_PORT* p = g_portHead; p; p = p->next) ++n;
    return n;
}

int AuthPortLayerInit()
{
    AcquireSRWLockExclusive(&g_portLockLife);
    int made = 1;
    if (!g_portLock) {
        g_portHead = nullptr;
        made = OsLockCreate(&g_portLock);
    }
    ReleaseSRWLockExclusive(&g_portLockLife);
    return made;
}

void AuthPortLayerShutdown()
{
    // Records that another thread still holds leave the list when it lets
    // go; wait for that a bounded time rather than spin for ever.
    DWORD start = GetTickCount();
    for (;;) {
        if (g_pAuthPort) AuthPortDetachCurrent();
        if (AuthPortListCount() == 0 || GetTickCount() - start >= g_AuthWaits.shutdownMs) break;
        Sleep(10);
    }
    DestroyListLock();
}

void AuthPortLayerCleanup()
{
    if (g_pAuthPort) {
        AUTH_PORT* port = g_pAuthPort;
        g_pAuthPort = nullptr;
        if (OnList(port) && --port->refCount <= 0) {
            Unlink(port);
            std::free(port);
        }
    }
    DestroyListLock();
}

bool AuthPortAttachByMac(const BYTE mac[6], AC_STATUS_FN statusCallback, AC_CRED_FN credentialCallback,
                         BOOL waitFirst)
{
    if (!mac || !AcAuthLibraryLoaded()) return false;
    ListLock lock;
    if (!lock.Held()) return false;
    if (waitFirst) {
        lock.Unlock();
        Sleep(500);
        lock.Lock();
        if (!lock.Held()) return false;
    }
    char name[64] = {};
    char previous[64] = {};
    AUTH_PORT* attached = nullptr;
    for (int i = 0; i < kMaxPortNames; ++i) {
        if (g_ac.acGetNextPortSymName(name, name, sizeof(name)) != 0) break;
        name[sizeof(name) - 1] = 0;
        if (i > 0 && std::strcmp(name, previous) == 0) break;   // the walk would not move on
        std::strcpy(previous, name);
        PORT_ATTRIBUTES attributes = {};
        AC_STATUS st = g_ac.acGetPortAttr(name, &attributes);
        if (st == AC_ALSO_OK) continue;
        if (IsAcFailure("acGetPortAttr", st)) break;
        if (std::memcmp(attributes.mac, mac, 6) == 0) {
            attached = AttachPort(name, statusCallback, credentialCallback);
            break;
        }
    }
    // The record just attached: the list head may be an older record that
    // another thread still holds.
    if (attached) g_pAuthPort = attached;
    return attached != nullptr;
}

bool AuthPortAttach(const char* symName, AC_STATUS_FN statusCallback, AC_CRED_FN credentialCallback)
{
    return AttachPort(symName, statusCallback, credentialCallback) != nullptr;
}

bool AuthPortDetachCurrent()
{
    ListLock lock;
    if (!lock.Held()) {
        g_pAuthPort = nullptr;
        return false;
    }
    bool detached = false;
    AUTH_PORT* port = g_pAuthPort;
    if (port && OnList(port)) {
        AC_STATUS st = g_ac.acPortDetach(&port->handle);
        if (IsAcFailure("acPortDetach", st)) {
            std::printf("acPortDetach failed: %d\n", st);
        } else {
            std::printf("Detached: \"%s\"\n\n", port->attributes.name);
            detached = true;
        }
        std::memset(&port->attributes, 0, sizeof(port->attributes));
        AuthPortUnref(port);
    }
    g_pAuthPort = nullptr;
    return detached;
}

AC_STATUS AuthPortStart(AUTH_PORT* port)
{
    if (!port) return 0;
    ListLock lock;
    if (!lock.Held()) return 0;
    AC_STATUS st = -1;
    if (OnList(port)) st = port->started ? (AC_STATUS)port->started : AuthPortAuthenticate(port);
    return st;
}

bool AuthPortStop(AUTH_PORT* port)
{
    bool ok = false;
    ListLock lock;
    if (port && lock.Held()) {
        if (OnList(port)) {
            ok = true;
            port->started = 0;
            if (port->handle) {
                bool disassociated = true;
                if (port->libraryAssociates) {
                    AC_STATUS st = g_ac.acPortDisassociate(port->handle);
                    if (IsAcFailure("acPortDisassociate", st)) disassociated = ok = false;
                }
                if (disassociated) {
                    port->pskSet = 0;
                    if (IsAcFailure("acPortStop", g_ac.acPortStop(port->handle))) ok = false;
                }
            }
        }
    }
    lock.Unlock();
    Sleep(g_AuthWaits.portStopMs);
    return ok;
}

bool AuthPortAddRef(AUTH_PORT* port)
{
    if (!port) return false;
    ListLock lock;
    bool ok = lock.Held() && OnList(port);
    if (ok) ++port->refCount;
    return ok;
}

bool AuthPortRelease(AUTH_PORT* port)
{
    if (!port) return false;
    ListLock lock;
    bool ok = lock.Held() && OnList(port);
    if (ok) AuthPortUnref(port);
    return ok;
}

bool AuthPortIsValid(const AUTH_PORT* port) { return port && OnList(port); }

AUTH_PORT* AuthPortAlloc()
{
    AUTH_PORT* port = (AUTH_PORT*)std::calloc(1, sizeof(AUTH_PORT));
    if (!port) return nullptr;
    port->refCount = 1;
    AUTH_PORT** tail = &g_portHead;
    while (*tail) tail = &(*tail)->next;
    *tail = port;
    return port;
}

void AuthPortUnref(AUTH_PORT* port)
{
    if (!OnList(port)) {
        std::printf("ERROR: port %p is invalid\n", (void*)port);
        return;
    }
    LONG n = --port->refCount;
    if (n == 0) {
        Unlink(port);
        std::free(port);
    } else if (n < 0) {
        std::printf("ERROR: port %p refcnt=%d\n", (void*)port, (int)n);
    }
}

void DumpPortAttributes(const AUTH_PORT* port)
{
    const PORT_ATTRIBUTES& a = port->attributes;
    char name[sizeof(a.name) + 1];
    std::memcpy(name, a.name, sizeof(a.name));
    name[sizeof(a.name)] = 0;
    std::printf("      name: %s\n", name);
    std::printf("   symName: %s\n", port->symName);
    std::printf("       mtu: %d\n", (int)a.mtu);
    std::printf("     media: ");
    if (a.caps & AC_CAP_80211_MASK) {
        std::printf("802.11");
        if (a.caps & AC_CAP_80211A) std::printf("a");
        if (a.caps & AC_CAP_80211B) std::printf("b");
        if (a.caps & AC_CAP_80211G) std::printf("g");
        if (a.caps & AC_CAP_80211N) std::printf("n");
        std::printf("\n");
    } else if (a.caps & AC_CAP_8023) {
        std::printf("802.3\n");
    } else {
        std::printf(" UNKNOWN\n");
    }
    std::printf("      encr: ");
    struct Flag { DWORD bit; bool extra; const char* text; };
    static const Flag encr[] = {
        { AC_CAP_AES, false, "AES," }, { AC_CAP_TKIP, false, "TKIP," }, { AC_CAP_WEP, false, "WEP," },
        { AC_EXTRA_CMIC, true, "CMIC," }, { AC_EXTRA_CKIP, true, "CKIP," }, { AC_CAP_NO_CIPHER, false, "NONE," },
    };
    bool any = false;
    for (const Flag& f : encr)
        if ((f.extra ? a.extra : a.caps) & f.bit) {
            std::printf("%s", f.text);
            any = true;
        }
    std::printf(any ? "\b\n" : "UNKNOWN\n");
    std::printf("      auth: ");
    static const Flag auth[] = {
        { AC_CAP_OPEN, false, "OPEN," }, { AC_CAP_SHARED, false, "SHARED," }, { AC_CAP_WPA_1X, false, "WPA-1X," },
        { AC_CAP_WPA_PSK, false, "WPA-PSK," }, { AC_EXTRA_WPA_CCKM, true, "WPA-CCKM," },
        { AC_CAP_11I_1X, false, "11i-1X," }, { AC_CAP_11I_PSK, false, "11i-PSK," },
        { AC_EXTRA_11I_CCKM, true, "11i-CCKM," },
    };
    any = false;
    for (const Flag& f : auth)
        if ((f.extra ? a.extra : a.caps) & f.bit) {
            std::printf("%s", f.text);
            any = true;
        }
    std::printf(any ? "\b\n" : "NONE\n");
    std::printf("   macAddr: %02x%02x%02x-%02x%02x%02x\n", a.mac[0], a.mac[1], a.mac[2], a.mac[3], a.mac[4],
                a.mac[5]);
    if (a.ccxVersion) {
        std::printf("       ccx: v%d", (int)a.ccxVersion);
        static const char* radio[] = { "MIXED_CELL,", "NETWORK_EAP,", "ROGUE_AP,", "FAST_ROAM,", "RADIO_MEAS," };
        std::printf(" RADIOCFG(");
        for (int i = 0; i < 5; ++i)
            if (port->ccxRadioFlags & (1u << i)) std::printf("%s", radio[i]);
        std::printf(")\n");
    }
    std::fflush(stdout);
}

bool AuthPortReportsConnected()
{
    if (!g_pAuthPort || !AcAuthLibraryLoaded()) return false;
    int connected = 0;
    return g_ac.acIpIsConnected(g_pAuthPort->symName, &connected) == AC_OK && connected != 0;
}
