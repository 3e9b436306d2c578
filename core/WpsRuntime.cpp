// Placeholder of the WPS run time.
#include "core/WpsRuntime.h"

WpsCredentialBlock g_WscCredentials;

BOOL ConnectWpsCredential() { return FALSE; }
BOOL IsConnectedToWpsCredential() { return FALSE; }
void SaveWscProfiles() {}
void SaveWscFlag() {}
void OnWpsTimer(UINT_PTR) {}
