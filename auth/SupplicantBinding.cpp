// Placeholder of the supplicant binding.
#include "auth/SupplicantBinding.h"

int g_hAuthPort = 0;
int g_nAuthState = 0;
AUTH_PORT* g_pAuthPort = nullptr;
AuthCredentialTexts g_AuthCredentials;
AuthCertHash g_AuthClientCert;
AuthCertHash g_AuthServerCert;

bool InitAuthLibrary() { return false; }
void ShutdownAuthLibrary() {}
bool OpenAuthPort(BOOL) { return false; }
void CloseAuthPort()
{
    g_hAuthPort = 0;
    g_nAuthState = 0;
}
bool AuthPortObjectExists() { return false; }
void ApplyProfileToPort() {}
int AuthPortStart(AUTH_PORT*) { return 0; }
bool AuthPortStop(AUTH_PORT*) { return false; }
