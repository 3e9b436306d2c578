// WPS run time in the controller: the hardware push-button watch, the status
// watch after a press, the credential store under WscProfile, and the
// rotation through the received credentials until one connects.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#include "core/StationConfig.h"

#pragma pack(push, 1)
// One credential as the driver hands it out, in Wi-Fi Simple Config codes.
struct WpsCredential {
    NDIS_802_11_SSID ssid;
    DWORD AuthType;
    DWORD EncrType;
    DWORD KeyIndex;       // 0-3
    DWORD KeyLength;
    BYTE Key[64];         // WEP key or passphrase text, not terminated
    BYTE MacAddress[6];   // the BSSID
    BYTE pad[2];
};
// The payload of OID_VENDOR_WSC_CREDENTIALS.
struct WpsCredentialBlock {
    DWORD count;          // 0-8
    WpsCredential cred[8];
};
#pragma pack(pop)
static_assert(sizeof(WpsCredential) == 124, "WPS credential layout");
static_assert(sizeof(WpsCredentialBlock) == 996, "WPS credential block layout");

#define WPS_MAX_CREDENTIALS 8

// Wi-Fi Simple Config authentication types.
enum : DWORD {
    WPS_AUTH_OPEN = 0x01,
    WPS_AUTH_WPA_PSK = 0x02,
    WPS_AUTH_SHARED = 0x04,
    WPS_AUTH_WPA = 0x08,
    WPS_AUTH_WPA2 = 0x10,
    WPS_AUTH_WPA2_PSK = 0x20
};
// Wi-Fi Simple Config encryption types.
enum : DWORD {
    WPS_ENCR_NONE = 0x01,
    WPS_ENCR_WEP = 0x02,
    WPS_ENCR_TKIP = 0x04,
    WPS_ENCR_AES = 0x08
};

// Codes of OID_VENDOR_WSC_STATUS (bits 0-27) the controller acts on.
enum : DWORD {
    WSC_STATUS_IDLE = 0,
    WSC_STATUS_CONFIGURED = 15
};
#define WSC_STATUS_CODE_MASK 0x0FFFFFFFu

// The credentials received last (zeroed at start, reloaded from WscProfile
// by SetOidFromReg, replaced by a configured WPS run).
extern WpsCredentialBlock g_WscCredentials;
extern int g_nWscConfigMode;        // registry ConfigMode: 0 enrollee, else registrar
extern DWORD g_dwWscPinCode;        // registry PinCode, shown "%08u"
extern int g_nWpsCredIndex;         // the credential being tried
extern int g_nWpsCredNext;          // the next one to try
extern BOOL g_bWpsRotate;           // on failure go on to the next credential
extern BOOL g_bUseRegistryProfileSecurity;

// Subkey and value names under the adapter key.
constexpr char REGSTR_WSC_NUMBER_OF_PROFILE[] = "NumberofProfile";
constexpr char REGSTR_WSC_CONFIG_MODE[] = "ConfigMode";
constexpr char REGSTR_WSC_PIN_CODE[] = "PinCode";
constexpr char REGSTR_WSC_PROFILE_FORMAT[] = "Profile%d";
constexpr char REGSTR_WSC_SSID[] = "SSID";
constexpr char REGSTR_WSC_AUTH_TYPE[] = "AuthType";
constexpr char REGSTR_WSC_ENCRY_TYPE[] = "EncryType";
constexpr char REGSTR_WSC_KEY_INDEX[] = "KeyIndex";
constexpr char REGSTR_WSC_KEY_LENGTH[] = "KeyLength";
constexpr char REGSTR_WSC_KEY[] = "Key";
constexpr char REGSTR_WSC_MAC_ADDRESS[] = "MacAddress";

// NDIS authentication mode and encryption status of a credential.
DWORD WpsAuthToNdis(DWORD authType);
DWORD WpsEncrToNdis(DWORD encrType);

// A credential that can be applied: SSID 1-32 bytes, key index 0-3, key
// length up to 64; a WEP key of 5 or 13 characters or 10 or 26 hex digits;
// a pre-shared key of 8-63 characters without a NUL, or 64 hex digits.
BOOL IsUsableWpsCredential(const WpsCredential& c);
// Keeps the usable credentials of a block the driver returned (bytes of it
// that came back), in their order, and zeroes the rest.  Returns the count.
DWORD KeepUsableWpsCredentials(WpsCredentialBlock* block, DWORD bytesReturned);
// The station record for a credential; NULL when it is not usable or
// memory is short.  The caller owns the record.
StationConfig* BuildWpsStationConfig(const WpsCredential& c);

// Queues the current (or next) credential for the connection engine;
// FALSE when the block holds none that can be applied.
BOOL ConnectWpsCredential();
BOOL IsConnectedToWpsCredential();
void SaveWscProfiles();
void SaveWscFlag();
// The controller's step for timers 4 to 7.
void OnWpsTimer(UINT_PTR id);
