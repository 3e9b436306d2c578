// Placeholder of the WPS run time.
#include "core/WpsRuntime.h"

WpsCredentialBlock g_WscCredentials;
int g_nWscConfigMode = 0;
DWORD g_dwWscPinCode = 0;
BOOL g_bWpsRotate = TRUE;

BOOL ConnectWpsCredential() { return FALSE; }
BOOL IsConnectedToWpsCredential() { return FALSE; }
void SaveWscProfiles() {}
void SaveWscFlag() {}
void OnWpsTimer(UINT_PTR) {}
