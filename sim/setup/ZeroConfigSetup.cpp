// "kqsetup wzcsvc ...": installs, drives and removes the Zero Configuration
// service stand-in, and sets the per-interface ControlFlags it would keep.
#include "sim/setup/ZeroConfigSetup.h"

#include <cstdio>
#include <cstdlib>

#include "sim/setup/Machine.h"
#include "sim/wzcsvc/WzcProtocol.h"

namespace kqsetup {

namespace {

// Service handles close themselves.
struct ScHandle {
    SC_HANDLE h = nullptr;
    explicit ScHandle(SC_HANDLE handle = nullptr) : h(handle) {}
    ~ScHandle() { if (h) CloseServiceHandle(h); }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
};

int Fail(const std::string& message)
{
    std::fprintf(stderr, "kqsetup: %s\n", message.c_str());
    return 1;
}

std::string LastErrorText() { return ErrorText(GetLastError()); }

std::string ExeFolder()
{
    char path[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of("\\/"));
}

DWORD State(SC_HANDLE svc)
{
    SERVICE_STATUS st{};
    return QueryServiceStatus(svc, &st) ? st.dwCurrentState : 0;
}

bool WaitUntil(SC_HANDLE svc, bool (*done)(DWORD), DWORD ms)
{
    DWORD start = GetTickCount();
    while (!done(State(svc))) {
        if (GetTickCount() - start > ms) return false;
        Sleep(10);
    }
    return true;
}

bool IsStopped(DWORD s) { return s == SERVICE_STOPPED; }
bool HasLeftStopped(DWORD s) { return s != SERVICE_STOPPED && s != 0; }
bool IsRunning(DWORD s) { return s == SERVICE_RUNNING; }

const char* StateName(DWORD s)
{
    switch (s) {
    case SERVICE_STOPPED: return "stopped";
    case SERVICE_START_PENDING: return "start pending";
    case SERVICE_STOP_PENDING: return "stop pending";
    case SERVICE_RUNNING: return "running";
    default: return "unknown";
    }
}

const char* StartTypeName(DWORD t)
{
    switch (t) {
    case SERVICE_AUTO_START: return "auto";
    case SERVICE_DEMAND_START: return "demand";
    case SERVICE_DISABLED: return "disabled";
    default: return "other";
    }
}

bool ParseStartType(const std::string& s, DWORD& type)
{
    if (s == "auto") type = SERVICE_AUTO_START;
    else if (s == "demand") type = SERVICE_DEMAND_START;
    else if (s == "disabled") type = SERVICE_DISABLED;
    else return false;
    return true;
}

bool ParseNumber(const std::string& s, DWORD& value)
{
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 0);
    if (s.empty() || *end) return false;
    value = (DWORD)v;
    return true;
}

bool WriteControl(const char* name, DWORD value)
{
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, KQWZC_CONTROL_KEY, name, REG_DWORD, &value, sizeof(value)) ==
           ERROR_SUCCESS;
}

bool Stop(SC_HANDLE svc, std::string& error)
{
    if (State(svc) == SERVICE_STOPPED) return true;
    SERVICE_STATUS st{};
    if (!ControlService(svc, SERVICE_CONTROL_STOP, &st) && GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
        error = "stopping " KQWZC_SERVICE_NAME ": " + LastErrorText();
        return false;
    }
    if (!WaitUntil(svc, IsStopped, 30000)) {
        error = KQWZC_SERVICE_NAME " did not stop";
        return false;
    }
    return true;
}

// The lingering start the service was told to make, in ms (0 none).
DWORD StartPendingMs()
{
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, KQWZC_CONTROL_KEY, KQWZC_START_PENDING_MS, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

// Starts the service; returns once it runs, or, when it was told to linger
// in START_PENDING (what some tests want), once it has left the stopped state.
bool Start(SC_HANDLE svc, std::string& error)
{
    DWORD s = State(svc);
    if (s == SERVICE_RUNNING || s == SERVICE_START_PENDING) return true;
    if (s == SERVICE_STOP_PENDING && !WaitUntil(svc, IsStopped, 30000)) {
        error = KQWZC_SERVICE_NAME " did not finish stopping";
        return false;
    }
    if (!StartServiceA(svc, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        error = "StartService " KQWZC_SERVICE_NAME ": " + LastErrorText();
        return false;
    }
    if (!WaitUntil(svc, StartPendingMs() ? HasLeftStopped : IsRunning, 30000)) {
        error = KQWZC_SERVICE_NAME " did not start";
        return false;
    }
    return true;
}

int Install(const std::map<std::string, std::string>& opt)
{
    DWORD startType = SERVICE_DEMAND_START, pending = 0, stopDelay = 0;
    auto has = [&](const char* k) { return opt.count(k) > 0; };
    if (has("--start-type") && !ParseStartType(opt.at("--start-type"), startType))
        return Fail("--start-type must be auto, demand or disabled");
    if (has("--start-pending") && !ParseNumber(opt.at("--start-pending"), pending))
        return Fail("--start-pending needs milliseconds");
    if (has("--stop-delay") && !ParseNumber(opt.at("--stop-delay"), stopDelay))
        return Fail("--stop-delay needs milliseconds");
    std::string state = has("--state") ? opt.at("--state") : "stopped";
    if (state != "running" && state != "stopped") return Fail("--state must be running or stopped");

    std::string image = ExeFolder() + "\\" KQWZC_IMAGE_NAME;
    if (GetFileAttributesA(image.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Fail(image + " is missing; build the target kqwzcsvc first");
    std::string quoted = "\"" + image + "\"";

    ScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm.h) return Fail("OpenSCManager: " + LastErrorText());
    std::string error;
    ScHandle svc(OpenServiceA(scm.h, KQWZC_SERVICE_NAME, SERVICE_ALL_ACCESS));
    if (svc.h) {
        // Settings apply from the next start: stop it first.
        if (!Stop(svc.h, error)) return Fail(error);
        if (!ChangeServiceConfigA(svc.h, SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL, quoted.c_str(),
                                  nullptr, nullptr, nullptr, nullptr, nullptr, KQWZC_DISPLAY_NAME))
            return Fail("ChangeServiceConfig: " + LastErrorText());
    } else {
        svc.h = CreateServiceA(scm.h, KQWZC_SERVICE_NAME, KQWZC_DISPLAY_NAME, SERVICE_ALL_ACCESS,
                               SERVICE_WIN32_OWN_PROCESS, startType, SERVICE_ERROR_NORMAL, quoted.c_str(), nullptr,
                               nullptr, nullptr, nullptr, nullptr);
        if (!svc.h) return Fail("CreateService " KQWZC_SERVICE_NAME ": " + LastErrorText());
    }
    if (!WriteControl(KQWZC_START_PENDING_MS, pending) || !WriteControl(KQWZC_STOP_DELAY_MS, stopDelay))
        return Fail("writing " KQWZC_CONTROL_KEY ": " + LastErrorText());
    if (state == "running" && !Start(svc.h, error)) return Fail(error);
    std::printf(KQWZC_SERVICE_NAME " installed (%s start), %s\n", StartTypeName(startType), StateName(State(svc.h)));
    return 0;
}

int Remove()
{
    ScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm.h) return Fail("OpenSCManager: " + LastErrorText());
    ScHandle svc(OpenServiceA(scm.h, KQWZC_SERVICE_NAME, SERVICE_ALL_ACCESS));
    if (svc.h) {
        std::string error;
        if (!Stop(svc.h, error)) return Fail(error);
        if (!DeleteService(svc.h)) return Fail("DeleteService " KQWZC_SERVICE_NAME ": " + LastErrorText());
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, KQWZC_CONTROL_KEY);
    std::printf(KQWZC_SERVICE_NAME " removed\n");
    return 0;
}

int StartOrStop(bool start)
{
    ScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ScHandle svc(scm.h ? OpenServiceA(scm.h, KQWZC_SERVICE_NAME, SERVICE_ALL_ACCESS) : nullptr);
    if (!svc.h) return Fail(KQWZC_SERVICE_NAME " is not installed (kqsetup wzcsvc install)");
    std::string error;
    if (!(start ? Start(svc.h, error) : Stop(svc.h, error))) return Fail(error);
    if (start) WaitUntil(svc.h, IsRunning, 0);
    std::printf(KQWZC_SERVICE_NAME " %s\n", StateName(State(svc.h)));
    return 0;
}

int Status()
{
    ScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ScHandle svc(scm.h ? OpenServiceA(scm.h, KQWZC_SERVICE_NAME, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG)
                       : nullptr);
    if (!svc.h) {
        std::printf(KQWZC_SERVICE_NAME " is not installed\n");
        return 0;
    }
    char buf[8192];
    DWORD needed = 0;
    QUERY_SERVICE_CONFIGA* cfg = (QUERY_SERVICE_CONFIGA*)buf;
    const char* type = QueryServiceConfigA(svc.h, cfg, sizeof(buf), &needed) ? StartTypeName(cfg->dwStartType) : "?";
    std::printf(KQWZC_SERVICE_NAME " %s, %s start\n", StateName(State(svc.h)), type);
    return 0;
}

// ControlFlags of one interface: --flags N writes it, --remove deletes the key.
int Interface(const std::map<std::string, std::string>& opt, const std::string& guid)
{
    std::string path = std::string(KQWZC_INTERFACES_KEY) + "\\" + guid;
    if (opt.count("--remove")) {
        LONG rc = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return Fail("deleting " + path + ": " + ErrorText(rc));
        std::printf("%s removed\n", path.c_str());
        return 0;
    }
    if (opt.count("--flags")) {
        DWORD flags = 0;
        if (!ParseNumber(opt.at("--flags"), flags)) return Fail("--flags needs a number, like 0x8000");
        LONG rc = RegSetKeyValueA(HKEY_LOCAL_MACHINE, path.c_str(), "ControlFlags", REG_DWORD, &flags, sizeof(flags));
        if (rc != ERROR_SUCCESS) return Fail("writing " + path + ": " + ErrorText(rc));
    }
    DWORD flags = 0, size = sizeof(flags);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), "ControlFlags", RRF_RT_REG_DWORD, nullptr, &flags, &size) ==
        ERROR_SUCCESS)
        std::printf("%s ControlFlags 0x%X\n", path.c_str(), (unsigned)flags);
    else
        std::printf("%s has no ControlFlags\n", path.c_str());
    return 0;
}

}  // namespace

const char kWzcUsage[] =
    "  wzcsvc install [--start-type auto|demand|disabled] [--state running|stopped]\n"
    "                 [--start-pending MS] [--stop-delay MS]\n"
    "                          install the Zero Configuration service stand-in\n"
    "  wzcsvc remove | start | stop | status\n"
    "  wzcsvc interface [--guid {GUID}] [--flags N | --remove]\n"
    "                          the interface's ControlFlags (0x8000: the service manages it)\n";

int WzcCommand(const std::vector<std::string>& positional, const std::map<std::string, std::string>& options,
               const std::string& adapterGuid)
{
    std::string sub = positional.empty() ? "status" : positional[0];
    if (sub == "install") return Install(options);
    if (sub == "remove") return Remove();
    if (sub == "start") return StartOrStop(true);
    if (sub == "stop") return StartOrStop(false);
    if (sub == "status") return Status();
    if (sub == "interface") {
        if (adapterGuid.empty()) return Fail("wzcsvc interface needs --guid or an installed adapter");
        return Interface(options, adapterGuid);
    }
    return Fail("unknown wzcsvc command \"" + sub + "\"");
}

}  // namespace kqsetup
