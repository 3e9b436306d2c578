// The network check after an 802.1X authentication: on the library's state
// 5 a worker thread checks link, DHCP address, IPX and, for single sign-on,
// that the domain controller answers, writing each verdict as a line of the
// authentication log and ending with the end marker "OK".  One check runs at
// a time; closing the port or ending the program stops it within a bounded
// time (its waits end at once on the stop request), and one held in a call
// that does not end then is left behind without a say in what follows.
#pragma once

#include <windows.h>
#include <dsgetdc.h>

// The operating-system calls of the check that a test replaces to choose
// their answers; the product uses the real ones (RealNetworkCheckCalls).
struct NetworkCheckCalls {
    // WSAStartup 2.0 and an IPX datagram socket: 0 supported, 7 no IPX, 9 no Winsock 2.
    int (*probeIpxSocket)();
    DWORD (WINAPI* dsGetDcName)(LPCSTR computer, LPCSTR domain, GUID* domainGuid, LPCSTR site, ULONG flags,
                                PDOMAIN_CONTROLLER_INFOA* info);
    DWORD (WINAPI* netApiBufferFree)(LPVOID buffer);
    HANDLE (WINAPI* createFile)(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD attributes, HANDLE templateFile);
    // Waits ms milliseconds unless stop is signalled first; false when stopped.
    bool (*pause)(HANDLE stop, DWORD ms);
};
NetworkCheckCalls RealNetworkCheckCalls();
extern NetworkCheckCalls g_NetworkCheckCalls;   // the calls in use; the real ones unless a test set others

// The single sign-on key and the value naming the domain to check.
#define SSO_KEY_PATH "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Obrint"
#define REGSTR_SSO_INSTALL "WinlogonDomain"

// Called by the status callback on state 5: starts the check on a thread of
// its own (which ends at once, with 999, when a check is running).  False
// when no thread could start.
bool StartNetworkCheckThread();
// Asks the running check to end and waits for it (at most
// g_AuthWaits.checkStopMs, holding nothing); true when it ended.  A check that
// outlives the wait runs to its end alone: it writes nothing more, and the
// next check runs as if it were gone.  Called when the library shuts down.
bool StopNetworkCheck();
// A check is running.
bool NetworkCheckBusy();

// The whole check on the calling thread: 1, or 999 at once when a check is
// already running.
DWORD PostAuthDiagnosticsThread();
void CheckLinkAndIpAddress();
void DetectIpxFrameType();
void CheckSingleSignOnDomain();
void CheckDomainControllerReachable(const DOMAIN_CONTROLLER_INFOA* dcInfo);
int ProbeIpxSocket();
