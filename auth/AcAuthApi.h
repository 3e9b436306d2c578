// The calls and records of the external 802.1X supplicant library acAuth.dll.
// Plain C: every call returns a signed 32-bit status (0 success; -32 also
// counts as success); handles are opaque 32-bit words written through an
// out-pointer, and destroy/detach calls take the handle's address.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int AC_STATUS;
typedef unsigned int AC_HANDLE;

#define AC_OK               0
#define AC_ALSO_OK        (-32)   // counts as success
#define AC_RETRY_COMPLETE (-35)   // answer taken: call acCredComplete once more
#define AC_NO_VALUE       (-21)   // no value at that index
#define AC_NOT_AS_PASSED  (-22)   // radio configuration not accepted as passed
#define AC_NO_CCX_A       (-16)
#define AC_NO_CCX_B        (-8)

// acPortGetState
#define AC_STATE_CONNECTING      3
#define AC_STATE_AUTHENTICATING  4
#define AC_STATE_AUTHENTICATED   5
#define AC_STATE_STATUS_CHANGED  7
// acPortGetStatus
#define AC_STATUS_LINK_DOWN        2
#define AC_STATUS_STARTING         3
#define AC_STATUS_EAP_FAILURE    301
#define AC_STATUS_BAD_CREDENTIAL 302
#define AC_STATUS_TIMEOUT        305
#define AC_STATUS_PAC_PROVISIONED 317
#define AC_STATUS_PAC_REJECTED_A 318
#define AC_STATUS_PAC_REJECTED_B 319
// Status callback events
#define AC_EVENT_LINK   1
#define AC_EVENT_STATE  2
#define AC_EVENT_STATUS 3

// Port capability bits (PORT_ATTRIBUTES.caps)
#define AC_CAP_8023       0x00000001
#define AC_CAP_80211_MASK 0x0000001E
#define AC_CAP_80211A     0x00000002
#define AC_CAP_80211B     0x00000004
#define AC_CAP_80211G     0x00000008
#define AC_CAP_80211N     0x00000010
#define AC_CAP_NO_CIPHER  0x00000100
#define AC_CAP_WEP        0x00000200
#define AC_CAP_TKIP       0x00000400
#define AC_CAP_AES        0x00000800
#define AC_CAP_OPEN       0x00010000
#define AC_CAP_SHARED     0x00020000
#define AC_CAP_WPA_1X     0x00040000
#define AC_CAP_WPA_PSK    0x00080000
#define AC_CAP_11I_1X     0x00100000
#define AC_CAP_11I_PSK    0x00200000
// PORT_ATTRIBUTES.extra
#define AC_EXTRA_CMIC      0x001
#define AC_EXTRA_CKIP      0x002
#define AC_EXTRA_WPA_CCKM  0x100
#define AC_EXTRA_11I_CCKM  0x200

#pragma pack(push, 4)

// Request of the credential callback: six words.
typedef struct AUTH_CRED_REQUEST {
    DWORD id;
    DWORD type;          // 1 to 18
    DWORD subKind;
    DWORD extra[3];
} AUTH_CRED_REQUEST;

typedef const char* (*AC_EVENT_NAME_FN)(void* unused, int event);
typedef void (*AC_STATUS_FN)(void* context, int event);
typedef void (*AC_CRED_FN)(void* context, AUTH_CRED_REQUEST* request);

typedef struct AC_INIT_RECORD {
    DWORD zero;
    AC_EVENT_NAME_FN eventName;
    void* netCallback;          // the address of acNetCallback
    DWORD reserved[8];
} AC_INIT_RECORD;

// Given to acPortAttach; must stay valid while the port is attached.
typedef struct AC_CALLBACK_BLOCK {
    void* context;
    AC_STATUS_FN status;
    AC_CRED_FN credential;
} AC_CALLBACK_BLOCK;

// Filled by acGetPortAttr (280 bytes).
typedef struct PORT_ATTRIBUTES {
    char name[256];             // the port's name, used with the acIp calls
    BYTE mac[6];
    BYTE pad[2];
    DWORD mtu;
    DWORD caps;
    DWORD ccxVersion;           // 0: none
    DWORD extra;
} PORT_ATTRIBUTES;

// Given to acPortAssociate (144 bytes).
typedef struct AUTH_ASSOC_PARAMS {
    BYTE ssid[32];
    DWORD ssidLength;
    DWORD authCode;             // 2 open, 1 shared, 10 WPA, 11 WPA-PSK, 20 WPA2, 21 WPA2-PSK
    DWORD cipherCode;           // 1 none, 2 WEP, 3 TKIP, 4 AES
    DWORD library[25];          // the library's own words
} AUTH_ASSOC_PARAMS;

typedef struct AC_EAP_METHOD {
    DWORD vendor;               // 0
    DWORD type;
} AC_EAP_METHOD;

#pragma pack(pop)

// The calls, as the library exports them (C linkage).  AC_FUNCTIONS(X) lists
// each as X(name, return type, parameter list) so that the program's loader
// and the library share one list.
#define AC_FUNCTIONS(X) \
    X(acInit, AC_STATUS, (AC_INIT_RECORD* init)) \
    X(ac8021xInit, AC_STATUS, (void)) \
    X(acRsnInit, AC_STATUS, (void)) \
    X(acEapInitAll, AC_STATUS, (void)) \
    X(acCcxInit, AC_STATUS, (void)) \
    X(acEventString, const char*, (int event)) \
    X(acDebugEnable, AC_STATUS, (int category, int on)) \
    X(acNetCallback, AC_STATUS, (void* context, int event)) \
    X(acGetNextPortSymName, AC_STATUS, (const char* previous, char* next, int size)) \
    X(acGetPortAttr, AC_STATUS, (const char* symName, PORT_ATTRIBUTES* attributes)) \
    X(acPortAttach, AC_STATUS, (AC_HANDLE* handle, const char* symName, AC_CALLBACK_BLOCK* callbacks)) \
    X(acPortDetach, AC_STATUS, (AC_HANDLE* handle)) \
    X(acPortAuth, AC_STATUS, (AC_HANDLE h)) \
    X(acPortAssociate, AC_STATUS, (AC_HANDLE h, AUTH_ASSOC_PARAMS* params)) \
    X(acPortDisassociate, AC_STATUS, (AC_HANDLE h)) \
    X(acPortStop, AC_STATUS, (AC_HANDLE h)) \
    X(acPortGetLinkState, AC_STATUS, (AC_HANDLE h, DWORD* a, DWORD* b)) \
    X(acPortGetState, AC_STATUS, (AC_HANDLE h, DWORD* state)) \
    X(acPortGetStatus, AC_STATUS, (AC_HANDLE h, DWORD* status)) \
    X(acIdentityCreate, AC_STATUS, (AC_HANDLE* identity, const char* text, int length)) \
    X(acIdentityDestroy, AC_STATUS, (AC_HANDLE* identity)) \
    X(acPasswordCreate, AC_STATUS, (AC_HANDLE* password, const char* text, int length)) \
    X(acPasswordDestroy, AC_STATUS, (AC_HANDLE* password)) \
    X(acRsnPskCreate, AC_STATUS, (AC_HANDLE* psk, const char* passphrase, const BYTE* ssid, int ssidLength)) \
    X(acRsnBinPskCreate, AC_STATUS, (AC_HANDLE* psk, const BYTE* key, int length)) \
    X(acRsnPskDestroy, AC_STATUS, (AC_HANDLE* psk)) \
    X(acCertUrlWin32String, AC_STATUS, (int kind, const BYTE* hash, int hashLength, char* url, int* urlLength)) \
    X(acCertGetField, AC_STATUS, (const char* url, int a, int field, int b, char* buffer, int* length)) \
    X(acCertCreate, AC_STATUS, (AC_HANDLE* cert, const char* url, int flags)) \
    X(acCertDestroy, AC_STATUS, (AC_HANDLE* cert)) \
    X(acEapFASTPacCreate, AC_STATUS, (AC_HANDLE* pac, const BYTE* key, int keyLength, const BYTE* opaque, int opaqueLength)) \
    X(acEapFASTPacDestroy, AC_STATUS, (AC_HANDLE* pac)) \
    X(acCredDeferred, AC_STATUS, (AC_HANDLE h, DWORD id)) \
    X(acCredComplete, AC_STATUS, (AC_HANDLE h, DWORD id)) \
    X(acCredSessionStart, AC_STATUS, (AC_HANDLE h, DWORD id, DWORD value)) \
    X(acCredIdentity, AC_STATUS, (AC_HANDLE h, DWORD id, AC_HANDLE identity)) \
    X(acCredPassword, AC_STATUS, (AC_HANDLE h, DWORD id, AC_HANDLE password)) \
    X(acCredRsnPsk, AC_STATUS, (AC_HANDLE h, AC_HANDLE psk)) \
    X(acCredEapMethods, AC_STATUS, (AC_HANDLE h, DWORD id, const AC_EAP_METHOD* methods, int count)) \
    X(acCredUserCert, AC_STATUS, (AC_HANDLE h, DWORD id, AC_HANDLE cert)) \
    X(acCredMachineIdentity, AC_STATUS, (AC_HANDLE h, DWORD id, AC_HANDLE identity)) \
    X(acCredEapFASTPacTypes, AC_STATUS, (AC_HANDLE h, DWORD id, const DWORD* types, int count)) \
    X(acCredEapFASTProvisionModes, AC_STATUS, (AC_HANDLE h, DWORD id, const DWORD* modes, int count)) \
    X(acCredEapTTLSTunnelMethod, AC_STATUS, (AC_HANDLE h, DWORD id, DWORD method)) \
    X(acCredCcxRogueAP, AC_STATUS, (AC_HANDLE h, DWORD id, int value)) \
    X(acCredEapFASTPac, AC_STATUS, (AC_HANDLE h, DWORD id, AC_HANDLE pac)) \
    X(acCredServerVerifyChain, AC_STATUS, (AC_HANDLE h, DWORD id, int* ok)) \
    X(acCredServerVerifyCA, AC_STATUS, (AC_HANDLE h, DWORD id, const char* caUrl, int* ok)) \
    X(acCredServerVerifyDomain, AC_STATUS, (AC_HANDLE h, DWORD id, int field, const char* name, int option, int* ok)) \
    X(acCredServerVerifyField, AC_STATUS, (AC_HANDLE h, DWORD id, int field, const char* name, int rule, int* ok)) \
    X(acCredServerVerified, AC_STATUS, (AC_HANDLE h, DWORD id, int allPassed)) \
    X(acCredServerGetField, AC_STATUS, (AC_HANDLE h, DWORD id, int field, int index, char* buffer, int* length)) \
    X(acCredGetIdentityPrompt, AC_STATUS, (AC_HANDLE h, DWORD id, char* buffer, int* length)) \
    X(acCredGetPasswordPrompt, AC_STATUS, (AC_HANDLE h, DWORD id, char* buffer, int* length)) \
    X(acCredGetEapMethod, AC_STATUS, (AC_HANDLE h, DWORD id, AC_EAP_METHOD* proposed, DWORD subKind)) \
    X(acCredGetEapFASTMode, AC_STATUS, (AC_HANDLE h, DWORD id, DWORD* mode)) \
    X(acCredGetEapNotification, AC_STATUS, (AC_HANDLE h, DWORD id, char* buffer, int* length)) \
    X(acCredGetEapFASTAID, AC_STATUS, (AC_HANDLE h, DWORD id, BYTE* buffer, int* length)) \
    X(acCredGetEapFASTPacAID, AC_STATUS, (AC_HANDLE h, DWORD id, BYTE* buffer, int* length)) \
    X(acCredGetEapFASTPacIID, AC_STATUS, (AC_HANDLE h, DWORD id, BYTE* buffer, int* length)) \
    X(acCredGetEapFASTPacKey, AC_STATUS, (AC_HANDLE h, DWORD id, BYTE* buffer, int* length)) \
    X(acCredGetEapFASTPacOpaque, AC_STATUS, (AC_HANDLE h, DWORD id, BYTE* buffer, int* length)) \
    X(acCredGetEapFASTPacAIDInfo, AC_STATUS, (AC_HANDLE h, DWORD id, char* buffer, int* length)) \
    X(acCredGetEapFASTPacType, AC_STATUS, (AC_HANDLE h, DWORD id, DWORD* type)) \
    X(acCredGetEapFASTPacLifeTime, AC_STATUS, (AC_HANDLE h, DWORD id, DWORD* lifeTime)) \
    X(acCcxRadioCfg, AC_STATUS, (AC_HANDLE h, DWORD* flags)) \
    X(acCcxGetRadioCfg, AC_STATUS, (AC_HANDLE h, DWORD* flags)) \
    X(acCcxRogueApTimeout, AC_STATUS, (AC_HANDLE h, int seconds)) \
    X(acCcxEnable, AC_STATUS, (AC_HANDLE h, int on)) \
    X(acIpIsConnected, AC_STATUS, (const char* name, int* connected)) \
    X(acIpDhcpIsEnabled, AC_STATUS, (const char* name, int* enabled)) \
    X(acIpGetConfig, AC_STATUS, (const char* name, BYTE* config)) \
    X(acIpDhcpRenew, AC_STATUS, (const char* name))

// Bytes acIpGetConfig writes (the IPv4 address first, first octet first).
#define AC_IP_CONFIG_SIZE 16

#ifdef __cplusplus
}
#endif
