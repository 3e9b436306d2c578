// WPS run time in the controller.  Not built yet: the timer steps do nothing.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#pragma pack(push, 1)
struct WpsCredential {
    NDIS_802_11_SSID ssid;
    DWORD AuthType;
    DWORD EncrType;
    DWORD KeyIndex;
    DWORD KeyLength;
    BYTE Key[64];
    BYTE MacAddress[6];
    BYTE pad[2];
};
struct WpsCredentialBlock {
    DWORD count;
    WpsCredential cred[8];
};
#pragma pack(pop)
static_assert(sizeof(WpsCredential) == 124, "WPS credential layout");
static_assert(sizeof(WpsCredentialBlock) == 996, "WPS credential block layout");

extern WpsCredentialBlock g_WscCredentials;   // the WPS run; zeroed by the controller's InitAdapter
// Reloaded from the adapter key's WscProfile by SetOidFromReg.
extern int g_nWscConfigMode;     // ConfigMode: 0 enrollee, non-zero registrar
extern DWORD g_dwWscPinCode;     // PinCode, eight digits
extern BOOL g_bWpsRotate;        // on failure go on to the next credential (SetOidFromReg, WPS run time)

BOOL ConnectWpsCredential();
BOOL IsConnectedToWpsCredential();
void SaveWscProfiles();
void SaveWscFlag();
// The controller's step for timers 4 to 7.
void OnWpsTimer(UINT_PTR id);
