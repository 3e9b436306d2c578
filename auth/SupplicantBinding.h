// Binding to the 802.1X supplicant library: starts and stops it, attaches the
// library port of the adapter, configures the port from the connection in
// progress (g_pCurProfile) and receives the port's status events.  The
// user-interface thread calls everything here except the two callbacks,
// which run on the library's threads.
#pragma once

#include <windows.h>
#include "auth/AcAuthApi.h"
#include "auth/AuthPort.h"
#include "classlib/CString.h"
#include "core/StationConfig.h"

// Written here only (OpenAuthPortOrShutDown, CloseAuthPort, the library's shut-down).
extern int g_hAuthPort;      // non-zero while the port is open (OpenAuthPort succeeded)
extern int g_nAuthState;     // 6 while the port is open, else 0

// Why the last stored-profile authentication failed: 0 time-out, 1 bad
// identity or password, 2 unknown reason.
extern int g_nAuthFailReason;

// Certificate hashes of the connection in progress, copied here by the
// connection engine before the port is configured.
struct AuthCertBlock {
    DWORD length;
    BYTE data[152];
};
extern AuthCertBlock g_AuthClientCert;
extern AuthCertBlock g_AuthServerCert;

// The connection's six credential texts: the snapshot the credential worker
// answers from, so that it never reads the current profile, which the
// user-interface thread may replace at any time.  Written by the connection
// engine, taken again from the profile each time the port is configured, and
// changed by a password change; read and written only through the two calls
// below once the library runs.
struct AuthCredentialTexts {
    char identity[128];
    char tunnelId[128];
    char password[128];
    char tunnelPassword[128];
    char domainName[128];
    char serverName[128];
};
extern AuthCredentialTexts g_AuthCredentialTexts;
void SetAuthCredentialTexts(const AuthCredentialTexts& texts);
AuthCredentialTexts GetAuthCredentialTexts();
// The six texts of a profile, each cut to its field and terminated.
AuthCredentialTexts CredentialTextsOf(const StationConfig& profile);

bool InitAuthLibrary();
void ShutdownAuthLibrary();
bool OpenAuthPort(BOOL waitFirst);
// Opens the adapter's 802.1X port (g_hAuthPort, g_nAuthState 6); without
// one the supplicant library is of no use and is shut down (state 0).
void OpenAuthPortOrShutDown();
void CloseAuthPort();
// Configures the attached port from g_pCurProfile; then AuthPortStart(g_pAuthPort).
void ApplyProfileToPort();
// What the port is configured for, taken from profile (g_pCurProfile) on the
// user-interface thread when the port is configured: whether it is a stored
// profile (not a one-off, hidden-SSID or WPS connection), its PAC file and
// its credential texts.
void NotePortProfile(const StationConfig* profile);
bool PortConfiguredForStoredProfile();
// The name of the stored profile the port is configured for (the adapter
// key's CurProfile); empty for any other connection or when none is stored.
CString PortProfileName();
// An 802.1X port object exists (a port is attached).
bool AuthPortObjectExists();
// The supplicant library's view of the attached port: connected or not.
// Without a port or the library the answer counts as not connected.
bool AuthPortReportsConnected();

// The port's credentials (its handles, and the rest of the configuration
// block the callback and the worker answer from) belong to the binding: they
// are made, replaced and destroyed only under this one lock, and every
// reader holds it too.  No library call that may wait for a callback is made
// under it, and nobody holding it waits for the credential queue.
class PortCredentialLock {
public:
    PortCredentialLock();
    ~PortCredentialLock();
    PortCredentialLock(const PortCredentialLock&) = delete;
    PortCredentialLock& operator=(const PortCredentialLock&) = delete;
};
// (PortCredentialLock held) New handles may be made for port: it is the
// attached port, and its credentials were not destroyed for its close.
bool PortCredentialsOpen(const AUTH_PORT* port);

void DestroyPortCredentials(AUTH_PORT* port);
void ConfigurePortAssociation(AUTH_PORT* port, const StationConfig* profile);
void ConfigurePortSecurity(AUTH_PORT* port, const StationConfig* profile);
// false, and no key, when a 64-character key is not 64 hex digits.
bool CreatePortPsk(AUTH_PORT* port, const StationConfig* profile);
void BuildPortCredentials(AUTH_PORT* port, const StationConfig* profile);
void EnablePortCcx(AUTH_PORT* port);
void EnableAuthDebug(AUTH_PORT* port);

// The library's callbacks.
void OnAuthPortStatus(void* context, int event);
void OnAuthCredentialRequest(void* context, AUTH_CRED_REQUEST* request);
const char* AuthEventStringCallback(void* unused, int event);

// status != 0 and status != -32 (the label is not used).
bool IsAcFailure(const char* label, AC_STATUS status);
// The text after prefix when text begins with it, else text.
const char* SkipPrefix(const char* text, const char* prefix);
