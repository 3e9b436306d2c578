#include <winsock2.h>
#include <wsipx.h>

#include "auth/NetworkCheck.h"

#include <lm.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "auth/AcAuthLibrary.h"
#include "auth/AuthLogRing.h"
#include "auth/AuthPort.h"
#include "auth/AuthWaits.h"
#include "core/RegistryStore.h"

namespace {

// The checks started between two stops belong to one run.  A stop ends
// its run: a check of it that does not end within the stop's wait goes on
// to its end by itself (it may be held in a domain look-up or a probe of the
// controller), but writes nothing more, and the next run's check neither
// waits for it nor shares the ring with it.
struct CheckRun {
    LONG refs;
    HANDLE stop;   // manual reset, set by the stop that ends the run
};

CRITICAL_SECTION g_lock;         // the run, the busy flag, the threads, and every line a check writes
CheckRun* g_run = nullptr;       // the current run
bool g_busy = false;             // a check of the current run is running
std::vector<HANDLE> g_threads;   // the current run's check threads not yet let go
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
// The run of the calling thread's check; none for steps called on their own.
thread_local CheckRun* t_run = nullptr;

CheckRun* NewRun()
{
    CheckRun* run = new CheckRun;
    run->refs = 1;
    run->stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return run;
}

void HoldRun(CheckRun* run) { InterlockedIncrement(&run->refs); }

void LetGoOfRun(CheckRun* run)
{
    if (InterlockedDecrement(&run->refs) > 0) return;
    if (run->stop) CloseHandle(run->stop);
    delete run;
}

BOOL CALLBACK InitOnce(PINIT_ONCE, PVOID, PVOID*)
{
    InitializeCriticalSection(&g_lock);
    g_run = NewRun();
    return TRUE;
}

void EnsureInit() { InitOnceExecuteOnce(&g_once, InitOnce, nullptr, nullptr); }

struct CheckLock {
    CheckLock()
    {
        EnsureInit();
        EnterCriticalSection(&g_lock);
    }
    ~CheckLock() { LeaveCriticalSection(&g_lock); }
};

// The stop of the calling thread's check (the current run's for a step
// called on its own).
HANDLE StopOfCheck()
{
    if (t_run) return t_run->stop;
    CheckLock lock;
    return g_run->stop;
}

// The calling thread's check still counts: its run is the current one.
bool CheckCounts() { return !t_run || t_run == g_run; }

// Check threads that have ended are let go (lock held).
void LetGoOfEndedThreads()
{
    for (size_t i = 0; i < g_threads.size();) {
        if (WaitForSingleObject(g_threads[i], 0) == WAIT_OBJECT_0) {
            CloseHandle(g_threads[i]);
            g_threads.erase(g_threads.begin() + (long)i);
        } else {
            ++i;
        }
    }
}

bool RealPause(HANDLE stop, DWORD ms)
{
    if (!stop) {
        Sleep(ms);
        return true;
    }
    return WaitForSingleObject(stop, ms) == WAIT_TIMEOUT;
}

bool StopRequested()
{
    HANDLE stop = StopOfCheck();
    return stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0;
}
bool Pause(DWORD ms) { return !StopRequested() && g_NetworkCheckCalls.pause(StopOfCheck(), ms); }

void Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Line(const char* format, ...)
{
    char text[AUTH_LOG_LINE_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    // A check its stop gave up on writes nothing into a later run's ring.
    CheckLock lock;
    if (CheckCounts()) AppendAuthLogLine(text);
}

// The port's two names, copied while a reference holds the record: the
// check never touches the record itself again, so closing the port cannot
// pull it away underneath.
struct PortNames {
    char name[256];
    char symName[64];
};

bool SnapshotPortNames(PortNames& out)
{
    AUTH_PORT* port = g_pAuthPort;
    if (!port || !AcAuthLibraryLoaded() || !AuthPortAddRef(port)) return false;
    std::memcpy(out.name, port->attributes.name, sizeof(out.name));
    out.name[sizeof(out.name) - 1] = 0;
    std::memcpy(out.symName, port->symName, sizeof(out.symName));
    out.symName[sizeof(out.symName) - 1] = 0;
    AuthPortRelease(port);
    return true;
}

// The port is still open and nobody asked the check to end.
bool PortStillOpen() { return g_pAuthPort != nullptr && !StopRequested(); }

void FormatAddress(char* out, size_t size, const BYTE* a)
{
    std::snprintf(out, size, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
}

bool IsDomainAnswer(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:          // 2
    case ERROR_ACCESS_DENIED:           // 5
    case ERROR_ACCOUNT_DISABLED:        // 1331
    case ERROR_ACCOUNT_LOCKED_OUT:      // 1909
    case ERROR_NO_LOGON_SERVERS:        // 1311
    case ERROR_BAD_NET_NAME:            // 67
        return true;
    default:
        return false;
    }
}

// The whole check of run on the calling thread: 1, or 999 at once when a
// check of the run is running (or the run has ended).
DWORD RunCheck(CheckRun* run)
{
    {
        CheckLock lock;
        if (run != g_run || g_busy || WaitForSingleObject(run->stop, 0) == WAIT_OBJECT_0) return 999;
        g_busy = true;
    }
    t_run = run;
    CheckLinkAndIpAddress();
    DetectIpxFrameType();
    CheckSingleSignOnDomain();
    Pause(2000);
    {
        CheckLock lock;
        if (run == g_run) {
            AppendAuthLogEndMarker();
            g_busy = false;
        }
    }
    t_run = nullptr;
    return 1;
}

DWORD WINAPI CheckThread(LPVOID argument)
{
    CheckRun* run = (CheckRun*)argument;
    DWORD result = RunCheck(run);
    LetGoOfRun(run);
    return result;
}

} // namespace

int ProbeIpxSocket()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0) return 9;
    int result = 7;
    SOCKET s = socket(AF_IPX, SOCK_DGRAM, NSPROTO_IPX);
    if (s != INVALID_SOCKET) {
        closesocket(s);
        result = 0;
    }
    WSACleanup();
    return result;
}

NetworkCheckCalls RealNetworkCheckCalls()
{
    NetworkCheckCalls c;
    c.probeIpxSocket = ProbeIpxSocket;
    c.dsGetDcName = DsGetDcNameA;
    c.netApiBufferFree = NetApiBufferFree;
    c.createFile = CreateFileA;
    c.pause = RealPause;
    return c;
}

NetworkCheckCalls g_NetworkCheckCalls = RealNetworkCheckCalls();

void CheckLinkAndIpAddress()
{
    PortNames names;
    if (!PortStillOpen() || !SnapshotPortNames(names)) return;

    int connected = 0;
    for (int i = 0; i < 15; ++i) {
        if (!PortStillOpen()) return;
        connected = 0;
        if (g_ac.acIpIsConnected(names.name, &connected) == AC_OK && connected) break;
        connected = 0;
        if (!Pause(1000)) return;
    }
    Line(connected ? "Network Link is connected." : "Network Link is NOT connected.");

    if (!PortStillOpen()) return;
    int enabled = 0;
    g_ac.acIpDhcpIsEnabled(names.name, &enabled);
    BYTE config[AC_IP_CONFIG_SIZE] = {};
    char address[32];
    if (enabled) {
        Line("DHCP is Enabled.");
        bool got = false;
        for (int i = 0; i < 30 && !got; ++i) {
            if (!PortStillOpen()) return;
            std::memset(config, 0, sizeof(config));
            if (g_ac.acIpGetConfig(names.name, config) != AC_OK) continue;
            got = config[0] || config[1] || config[2] || config[3];
        }
        if (got) {
            FormatAddress(address, sizeof(address), config);
            Line("Succeed. IP address is %s.", address);
        } else {
            g_ac.acIpDhcpRenew(names.symName);
            int unused = 0;
            g_ac.acIpIsConnected(names.symName, &unused);
            Line("Network Link is NO IP address.");
        }
    } else {
        Line("DHCP is Disabled - Static IP.");
        g_ac.acIpGetConfig(names.symName, config);
        FormatAddress(address, sizeof(address), config);
        Line("Static IP address is %s.", address);
    }
}

void DetectIpxFrameType()
{
    if (StopRequested()) return;
    Line("Detecting IPX Frame Type.");
    switch (g_NetworkCheckCalls.probeIpxSocket()) {
    case 0: Line("IPX protocol is supported on this machine."); break;
    case 7: Line("IPX protocol is not installed on this machine."); break;
    case 9: Line("Winsock 2 is not supported on this machine."); break;
    default: Line("Detecting IPX Frame Type: UNDEFINED ERROR!"); break;
    }
}

void CheckSingleSignOnDomain()
{
    if (StopRequested()) return;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SSO_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        Line("Domain Controller is not found.");
        return;
    }
    // Up to 128 bytes of text, stored with or without a terminator; a longer
    // value names no domain this key can hold.
    char domain[129] = {};
    BOOL read = ReadRegText(key, REGSTR_SSO_INSTALL, domain, sizeof(domain));
    RegCloseKey(key);
    if (!read) {
        Line("Domain Controller is not found.");
        return;
    }
    Line("Finding Domain Controller - %s", domain);
    PDOMAIN_CONTROLLER_INFOA info = nullptr;
    DWORD err = g_NetworkCheckCalls.dsGetDcName(nullptr, domain, nullptr, nullptr,
                                                DS_RETURN_FLAT_NAME | DS_FORCE_REDISCOVERY, &info);
    if (err != ERROR_SUCCESS || !info) {
        Line("Domain Controller is not found.");
        return;
    }
    Line("Domain Controller Name = %s", info->DomainControllerName ? info->DomainControllerName : "");
    CheckDomainControllerReachable(info);
    g_NetworkCheckCalls.netApiBufferFree(info);
}

void CheckDomainControllerReachable(const DOMAIN_CONTROLLER_INFOA* dcInfo)
{
    if (!dcInfo || !dcInfo->DomainControllerName) return;
    // A name too long for a path is never probed under a cut name.
    char path[MAX_PATH];
    int n = std::snprintf(path, sizeof(path), "%s\\NETLOGON\\NonExist", dcInfo->DomainControllerName);
    if (n < 0 || n >= (int)sizeof(path)) {
        Line("Failed to access remote file.");
        return;
    }
    for (int attempt = 0; attempt < 7; ++attempt) {
        HANDLE h = g_NetworkCheckCalls.createFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD err = GetLastError();
        Line("Create File - %s, returned - %d", path, (int)err);
        if (IsDomainAnswer(err)) {
            if (h != INVALID_HANDLE_VALUE && h) CloseHandle(h);
            Line("Access remote file is succeed.");
            return;
        }
        if (h != INVALID_HANDLE_VALUE && h) {
            CloseHandle(h);
            return;
        }
        if (attempt < 6 && !Pause(500)) return;
    }
    Line("Failed to access remote file.");
}

DWORD PostAuthDiagnosticsThread()
{
    CheckRun* run;
    {
        CheckLock lock;
        run = g_run;
        HoldRun(run);
    }
    DWORD result = RunCheck(run);
    LetGoOfRun(run);
    return result;
}

bool StartNetworkCheckThread()
{
    CheckLock lock;
    LetGoOfEndedThreads();
    HoldRun(g_run);
    HANDLE thread = CreateThread(nullptr, 0, CheckThread, g_run, 0, nullptr);
    if (!thread) {
        LetGoOfRun(g_run);
        return false;
    }
    g_threads.push_back(thread);
    return true;
}

bool StopNetworkCheck()
{
    // The run's checks are asked to end and waited for a bounded time,
    // nothing held meanwhile.
    CheckRun* run;
    std::vector<HANDLE> threads;
    {
        CheckLock lock;
        run = g_run;
        SetEvent(run->stop);
        threads.swap(g_threads);
    }
    bool ended = true;
    DWORD start = GetTickCount();
    for (HANDLE t : threads) {
        DWORD spent = GetTickCount() - start;
        DWORD left = spent >= g_AuthWaits.checkStopMs ? 0 : g_AuthWaits.checkStopMs - spent;
        if (WaitForSingleObject(t, left) != WAIT_OBJECT_0) ended = false;
        CloseHandle(t);
    }
    // A new run: what is left of this one no longer counts.
    {
        CheckLock lock;
        g_run = NewRun();
        g_busy = false;
    }
    LetGoOfRun(run);
    return ended;
}

bool NetworkCheckBusy()
{
    CheckLock lock;
    return g_busy;
}
