// Stand-in of the Zero Configuration service "WZCSVC": a user-mode service
// that reports its states to the service control manager the way the real
// one does and otherwise does nothing.  What a test wants of it (a start
// that lingers in START_PENDING, a slow stop) is read from the stand-in's
// own key each time it starts.
#include <windows.h>

#include "sim/wzcsvc/WzcProtocol.h"

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stopEvent = nullptr;
SERVICE_STATUS g_state = {};

void Report(DWORD state, DWORD waitHintMs = 0)
{
    static DWORD checkPoint = 1;
    g_state.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_state.dwCurrentState = state;
    g_state.dwControlsAccepted = state == SERVICE_RUNNING || state == SERVICE_START_PENDING ? SERVICE_ACCEPT_STOP : 0;
    g_state.dwWin32ExitCode = NO_ERROR;
    g_state.dwWaitHint = waitHintMs;
    g_state.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : checkPoint++;
    SetServiceStatus(g_status, &g_state);
}

DWORD ReadControl(const char* name)
{
    DWORD value = 0, size = sizeof(value), type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KQWZC_CONTROL_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    if (RegQueryValueExA(key, name, nullptr, &type, (BYTE*)&value, &size) != ERROR_SUCCESS || type != REG_DWORD)
        value = 0;
    RegCloseKey(key);
    return value;
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        // As a service should: the stop is under way before the handler
        // returns, so that a caller who asks at once never sees it running.
        Report(SERVICE_STOP_PENDING, ReadControl(KQWZC_STOP_DELAY_MS) + 1000);
        SetEvent(g_stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        SetServiceStatus(g_status, &g_state);
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, char**)
{
    g_status = RegisterServiceCtrlHandlerExA(KQWZC_SERVICE_NAME, Handler, nullptr);
    if (!g_status) return;
    g_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    // A lingering start: a stop request during it still ends the service.
    DWORD pending = ReadControl(KQWZC_START_PENDING_MS);
    Report(SERVICE_START_PENDING, pending + 1000);
    bool stopped = WaitForSingleObject(g_stopEvent, pending) == WAIT_OBJECT_0;
    if (!stopped) {
        Report(SERVICE_RUNNING);
        WaitForSingleObject(g_stopEvent, INFINITE);
    }

    DWORD delay = ReadControl(KQWZC_STOP_DELAY_MS);
    Report(SERVICE_STOP_PENDING, delay + 1000);
    if (delay) Sleep(delay);
    CloseHandle(g_stopEvent);
    Report(SERVICE_STOPPED);
}

}  // namespace

int main()
{
    SERVICE_TABLE_ENTRYA table[] = {
        {const_cast<char*>(KQWZC_SERVICE_NAME), ServiceMain},
        {nullptr, nullptr},
    };
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
