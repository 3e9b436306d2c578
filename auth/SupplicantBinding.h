// Binding to the 802.1X supplicant library.  Not built yet: no port object
// ever exists and the port never opens.
#pragma once

#include <windows.h>

struct AUTH_PORT;

extern int g_hAuthPort;      // result of OpenAuthPort: non-zero while a port is open
extern int g_nAuthState;
extern AUTH_PORT* g_pAuthPort;

bool InitAuthLibrary();
void ShutdownAuthLibrary();
bool OpenAuthPort(BOOL waitFirst);
void CloseAuthPort();
// An 802.1X port object exists (the library's port layer holds one).
bool AuthPortObjectExists();
// Configures the attached port from the current profile.
void ApplyProfileToPort();
int AuthPortStart(AUTH_PORT* port);
bool AuthPortStop(AUTH_PORT* port);

// What the connection engine hands the 802.1X layer before it configures
// the port: the record's credential texts and certificate hashes.
struct AuthCredentialTexts {
    char identity[128];
    char tunnelId[128];
    char password[128];
    char tunnelPassword[128];
    char domainName[128];
    char serverName[128];
};
struct AuthCertHash {
    DWORD length;            // at most 152
    BYTE data[152];
};
extern AuthCredentialTexts g_AuthCredentials;
extern AuthCertHash g_AuthClientCert;
extern AuthCertHash g_AuthServerCert;
