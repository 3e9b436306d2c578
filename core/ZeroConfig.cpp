// Zero Configuration hand-over and the switch to access-point mode.
#include "core/ZeroConfig.h"

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "core/ControllerDoor.h"
#include "core/RegistryStore.h"

int g_nWzcMode = -1;

namespace {

// How long a hand-over waits for the service to finish stopping before it
// starts it again.
const DWORD kStopWaitMs = 5000;

// A service-manager handle that closes itself.
class CServiceHandle {
public:
    explicit CServiceHandle(SC_HANDLE h = nullptr) : m_h(h) {}
    ~CServiceHandle() { if (m_h) CloseServiceHandle(m_h); }
    CServiceHandle(const CServiceHandle&) = delete;
    CServiceHandle& operator=(const CServiceHandle&) = delete;
    operator SC_HANDLE() const { return m_h; }
private:
    SC_HANDLE m_h;
};

// The service with the given access, through a manager opened for it.
struct WzcService {
    CServiceHandle scm;
    CServiceHandle svc;
    explicit WzcService(DWORD scmAccess, DWORD access)
        : scm(OpenSCManagerA(nullptr, nullptr, scmAccess)),
          svc(scm ? OpenServiceA(scm, WZC_SERVICE_NAME, access) : nullptr) {}
};

DWORD ServiceState(SC_HANDLE svc)
{
    SERVICE_STATUS st = {};
    if (!svc || !QueryServiceStatus(svc, &st)) return 0;
    return st.dwCurrentState;
}

// The 64-bit registry view where a 32-bit build would otherwise be redirected.
REGSAM InterfaceKeyView()
{
    return (g_nOsVersion >= OS_WINXP_X64 && g_bIsWow64) ? KEY_WOW64_64KEY : 0;
}

CString InterfaceKeyPath()
{
    return CString(WZC_INTERFACES_KEY) + g_strNetCfgInstanceId;
}

// The interface key of the adapter; NULL when it cannot be opened (or no
// adapter is known, which would otherwise open the parent key).
HKEY OpenInterfaceKey(REGSAM access, bool create)
{
    if (g_strNetCfgInstanceId.IsEmpty()) return nullptr;
    HKEY key = nullptr;
    LONG rc = create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, InterfaceKeyPath(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       access | InterfaceKeyView(), nullptr, &key, nullptr)
                     : RegOpenKeyExA(HKEY_LOCAL_MACHINE, InterfaceKeyPath(), 0, access | InterfaceKeyView(), &key);
    return rc == ERROR_SUCCESS ? key : nullptr;
}

DWORD ReadControlFlags(HKEY key)
{
    DWORD flags = 0;
    if (!ReadRegDword(key, WZC_CONTROL_FLAGS, &flags)) flags = 0;
    return flags;
}

// Sends the stop control when the service is not stopped.
void SendStop(SC_HANDLE svc)
{
    if (!svc || ServiceState(svc) == SERVICE_STOPPED) return;
    SERVICE_STATUS st = {};
    ControlService(svc, SERVICE_CONTROL_STOP, &st);
}

void SetStartType(SC_HANDLE svc, DWORD type)
{
    if (!svc) return;
    ChangeServiceConfigA(svc, SERVICE_NO_CHANGE, type, SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
}

bool WaitStopped(SC_HANDLE svc, DWORD ms)
{
    ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD s = ServiceState(svc);
        if (s == SERVICE_STOPPED || s == 0) return true;
        if (GetTickCount64() - start > ms) return false;
        Sleep(20);
    }
}

// The mode is read on every timer event of the controller.  Connecting to
// the service manager costs several times the status query itself, so the
// connection is made once and kept; the service is opened for each query,
// so that a service removed and installed again is found.  A connection
// that went bad is made again once.
SC_HANDLE StatusManager(bool reconnect)
{
    static SC_HANDLE manager = nullptr;
    if (reconnect && manager) {
        CloseServiceHandle(manager);
        manager = nullptr;
    }
    if (!manager) manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    return manager;
}

DWORD WzcServiceState()
{
    for (bool reconnect : { false, true }) {
        SC_HANDLE manager = StatusManager(reconnect);
        if (!manager) continue;
        CServiceHandle svc(OpenServiceA(manager, WZC_SERVICE_NAME, SERVICE_QUERY_STATUS));
        if (svc) return ServiceState(svc);
        if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return 0;
    }
    return 0;
}

}  // namespace

int GetWzcMode()
{
    if (g_nOsVersion < OS_WINXP) return WZC_NOT_INVOLVED;
    // A service still starting counts as running: the hand-over leaves it
    // so, and a poll that read it as absent would take the adapter back
    // (open the port, connect) while the service takes it over.
    DWORD state = WzcServiceState();
    if (state != SERVICE_RUNNING && state != SERVICE_START_PENDING) return WZC_NOT_INVOLVED;
    HKEY key = OpenInterfaceKey(KEY_QUERY_VALUE, false);
    if (!key) return WZC_MANAGES;
    DWORD flags = ReadControlFlags(key);
    RegCloseKey(key);
    return (flags & WZC_FLAG_MANAGES) ? WZC_MANAGES : WZC_OWN_TOOL;
}

void EnableWzcOnAdapter()
{
    WzcService wzc(SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);

    // The service reads the flag when it starts: stop it before setting the
    // bit.  The interface key is created when the service never had one.
    HKEY key = OpenInterfaceKey(KEY_QUERY_VALUE | KEY_SET_VALUE, true);
    if (key) {
        DWORD flags = ReadControlFlags(key);
        if (!(flags & WZC_FLAG_MANAGES)) {
            DWORD s = ServiceState(wzc.svc);
            if (s == SERVICE_RUNNING || s == SERVICE_START_PENDING) StopWzcService(FALSE);
            flags |= WZC_FLAG_MANAGES;
            RegSetValueExA(key, WZC_CONTROL_FLAGS, 0, REG_DWORD, (const BYTE*)&flags, sizeof(flags));
        }
        RegCloseKey(key);
    }
    if (!wzc.svc) return;

    // A service still stopping cannot be started; without the wait the
    // hand-over would leave it stopped.
    DWORD s = ServiceState(wzc.svc);
    if (s == SERVICE_STOP_PENDING) WaitStopped(wzc.svc, kStopWaitMs);
    s = ServiceState(wzc.svc);
    if (s != SERVICE_RUNNING && s != SERVICE_START_PENDING) StartServiceA(wzc.svc, 0, nullptr);
    SetStartType(wzc.svc, SERVICE_AUTO_START);
}

void StopWzcService(BOOL bDemand)
{
    WzcService wzc(SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
    if (!wzc.svc) return;
    SendStop(wzc.svc);
    if (bDemand) SetStartType(wzc.svc, SERVICE_DEMAND_START);
}

// ---- The hand-over commands ---------------------------------------------------

void StopAuthenticationAndClosePort()
{
    if (!AuthPortObjectExists()) return;
    StopAuthentication();
    CloseAuthPort();
}

void HandOverToWzc()
{
    g_nWzcMode = WZC_MANAGES;
    StopAuthenticationAndClosePort();
    EnableWzcOnAdapter();
    if (g_pControllerDoor) {
        g_pControllerDoor->EnableProfileButton(FALSE);
        g_pControllerDoor->ShowNetworkPage();
    }
}

void TakeBackFromWzc()
{
    StopWzcService(TRUE);
    if (!AuthPortObjectExists()) InitAuthLibrary();
    g_nWzcMode = WZC_NOT_INVOLVED;
    SetOidFromReg(TRUE);
    if (g_pControllerDoor) g_pControllerDoor->EnableProfileButton(TRUE);
}
