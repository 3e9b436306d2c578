// The supplicant library's ports that the program has attached: reference-
// counted AUTH_PORT records on one list guarded by one lock.  In practice one
// port is attached, the one whose MAC address is the adapter's; g_pAuthPort
// points at it while it is attached.
#pragma once

#include <windows.h>
#include "auth/AcAuthApi.h"

struct AUTH_PORT {
    LONG refCount;                      // 1 at creation
    AUTH_PORT* next;                    // list link, appended at the tail
    AC_CALLBACK_BLOCK callbackBlock;    // given to acPortAttach; valid while attached
    AC_HANDLE handle;                   // library port handle
    char symName[64];                   // always NUL-terminated at the last byte
    PORT_ATTRIBUTES attributes;         // filled after attaching; zeroed on detach
    DWORD ccxRadioFlags;                // 1 MIXED_CELL, 2 NETWORK_EAP, 4 ROGUE_AP, 8 FAST_ROAM, 16 RADIO_MEAS
    DWORD reserved0;
    DWORD started;                      // 1 after a successful start
    // From here through reserved6 the block is zeroed before every configuration.
    DWORD pskSet;                       // hand the pre-shared key over on start
    DWORD libraryAssociates;            // 802.11 port: start authenticates and associates through the library
    DWORD sessionStartValue;
    DWORD assocMode;                    // 1 infrastructure, 2 ad hoc
    AUTH_ASSOC_PARAMS assocParams;
    AC_HANDLE pskHandle;
    DWORD reserved1;
    DWORD eapType;                      // 25 PEAP, 13 TLS, 21 TTLS, 43 EAP-FAST, 4 MD5, 17 LEAP (with reserved1: the outer pair)
    DWORD reserved2;
    DWORD innerEapType;                 // PEAP and EAP-FAST inner type (with reserved2: the inner pair)
    DWORD reserved3;
    DWORD fastProvisioningTunnel;       // with reserved3: the provisioning pair
    DWORD ttlsInnerMethod;
    char outerIdentityText[128];
    AC_HANDLE outerIdentity;
    AC_HANDLE innerIdentity;
    AC_HANDLE password;
    AC_HANDLE userCert;
    DWORD reserved4;
    AC_HANDLE machineIdentity;
    DWORD fastUnauthProvisioning;
    DWORD fastProvisionMode;
    DWORD verifyChain;
    char caUrl[100];
    char domainName[100];
    DWORD domainMatchOption;
    char fieldName[100];
    DWORD nameRule;
    DWORD debugEnabled;
    DWORD reserved6;
    DWORD reserved7[4];
};
// The record is 1068 bytes where pointers take 4 bytes.  In this 64-bit build
// the list link and the three words of the callback block take 8 bytes each
// and the link is aligned to 8 (4 bytes of padding after refCount): 40 bytes
// before `handle` instead of 20, the rest unchanged.  Only the port layer
// allocates it; the library is handed the callback block, never the record.
static_assert(sizeof(AUTH_PORT) == (sizeof(void*) == 8 ? 1088 : 1068), "AUTH_PORT layout");

// The attached port; null while none is.
extern AUTH_PORT* g_pAuthPort;

int AuthPortLayerInit();
void AuthPortLayerShutdown();
void AuthPortLayerCleanup();
bool AuthPortAttachByMac(const BYTE mac[6], AC_STATUS_FN statusCallback, AC_CRED_FN credentialCallback,
                         BOOL waitFirst);
bool AuthPortAttach(const char* symName, AC_STATUS_FN statusCallback, AC_CRED_FN credentialCallback);
bool AuthPortDetachCurrent();
AC_STATUS AuthPortStart(AUTH_PORT* port);
bool AuthPortStop(AUTH_PORT* port);
bool AuthPortAddRef(AUTH_PORT* port);
bool AuthPortRelease(AUTH_PORT* port);
bool AuthPortIsValid(const AUTH_PORT* port);     // caller holds the lock
AUTH_PORT* AuthPortAlloc();
void AuthPortUnref(AUTH_PORT* port);
void DumpPortAttributes(const AUTH_PORT* port);

// The port layer's lock and list exist (between AuthPortLayerInit and its shut-down).
bool AuthPortLayerReady();
// Records on the list (attached, or detached but still referenced).
int AuthPortListCount();
