// Prints what one link-poll tick costs against the simulated driver (the
// requests it makes, read from the driver's log between two markers, and its
// time), beside one bare QueryOid round trip, and how much CPU Kestiq.exe
// uses while it sits idle in the notification area.
//
//   poll_bench [ticks [idle seconds]]      defaults: 500 ticks, 60 s
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;

double Microseconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq, int n)
{
    return (double)(b.QuadPart - a.QuadPart) * 1e6 / (double)freq.QuadPart / n;
}

double Seconds(const FILETIME& kernel, const FILETIME& user)
{
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return (double)(k.QuadPart + u.QuadPart) / 1e7;
}

// Requests the driver logged between the two markers, by OID.
struct TickRequests {
    int total = 0;
    int opens = 0;     // device opens (each QueryOid and the presence check open the device)
    std::map<DWORD, int> byOid;
};

bool CountOneTick(kqsim::SimClient& sim, CHideDlg& dlg, TickRequests& out)
{
    DWORD from = 0;
    if (!sim.NextSeq(from) || !sim.AddMarker("poll-begin")) return false;
    dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
    if (!sim.AddMarker("poll-end")) return false;
    std::vector<kqsim::LogEntry> log;
    if (!sim.ReadLog(log, from)) return false;
    bool inside = false, closed = false;
    for (const kqsim::LogEntry& e : log) {
        if (e.kind == KQSIM_LOG_MARKER) {
            if (e.text == "poll-begin") inside = true;
            else if (e.text == "poll-end" && inside) {
                closed = true;
                break;
            }
            continue;
        }
        if (inside && e.kind == KQSIM_LOG_CREATE) ++out.opens;
        if (inside && e.IsRequest()) {
            ++out.total;
            ++out.byOid[e.BaseOid()];
        }
    }
    return closed;
}

double TimeTicks(CHideDlg& dlg, int n)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    for (int i = 0; i < 20; ++i) dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
    QueryPerformanceCounter(&t1);
    return Microseconds(t0, t1, freq, n);
}

// The notification-icon update every poll ends with (a call into the shell).
double TimeIconUpdate(CHideDlg& dlg, int n)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) dlg.UpdateTrayIcon(IDI_TRAY_DISCONNECT);
    QueryPerformanceCounter(&t1);
    return Microseconds(t0, t1, freq, n);
}

double TimeQueryOid(int n)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    DWORD value = 0, returned = 0;
    for (int i = 0; i < 50; ++i) QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned);
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned);
    QueryPerformanceCounter(&t1);
    return Microseconds(t0, t1, freq, n);
}

void PrintTick(const char* state, const TickRequests& r, double us, int n)
{
    std::printf("link-poll tick, %s: %d OID requests, %d device opens, %.1f us per tick (%d ticks)\n", state,
                r.total, r.opens, us, n);
    for (const auto& kv : r.byOid) std::printf("    0x%08lX x%d\n", (unsigned long)kv.first, kv.second);
}

bool JoinOpenNetwork()
{
    NDIS_802_11_SSID s = {};
    const char name[] = "Kestiq-Open";
    s.SsidLength = sizeof(name) - 1;
    std::memcpy(s.Ssid, name, s.SsidLength);
    return SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1) != FALSE;
}

// The poll of a controller made in this process, on the installed adapter.
int BenchTick(kqsim::SimClient& sim, int n)
{
    CHideDlg dlg;
    dlg.m_bShowOnStart = FALSE;
    if (!dlg.Create(IDD_HIDE_DLG) || !dlg.m_bAdapterFound) {
        std::fprintf(stderr, "poll_bench: the controller finds no adapter (run sim/install-standins.sh)\n");
        if (dlg.m_hWnd) {
            dlg.m_bSwitchedToAp = TRUE;
            dlg.DestroyWindow();
        }
        return 1;
    }
    // Only the ticks of this program run the poll.
    dlg.KillAllTimers();

    TickRequests down, up;
    bool ok = CountOneTick(sim, dlg, down);
    double usDown = TimeTicks(dlg, n);
    double usQuery = TimeQueryOid(n);
    double usIcon = TimeIconUpdate(dlg, n);

    bool joined = JoinOpenNetwork();
    dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
    ok = CountOneTick(sim, dlg, up) && ok;
    double usUp = TimeTicks(dlg, n);

    // The adapter key's Default copy is not this program's business.
    dlg.m_bSwitchedToAp = TRUE;
    dlg.DestroyWindow();
    sim.ResetAdapter(kGuid);

    if (!ok) {
        std::fprintf(stderr, "poll_bench: the driver's log did not hold both markers of a tick\n");
        return 1;
    }
    PrintTick("disconnected", down, usDown, n);
    if (joined) PrintTick("connected to Kestiq-Open", up, usUp, n);
    else std::printf("link-poll tick, connected: not measured (joining Kestiq-Open failed)\n");
    std::printf("QueryOid round trip (open, request, close): %.1f us (%d requests)\n", usQuery, n);
    std::printf("UpdateTrayIcon alone (NIM_MODIFY):           %.1f us (%d calls)\n", usIcon, n);
    return 0;
}

HWND ControllerOf(DWORD pid)
{
    struct Ctx { DWORD pid; HWND found; } ctx{pid, nullptr};
    EnumWindows([](HWND h, LPARAM lp) -> BOOL {
        Ctx* c = (Ctx*)lp;
        DWORD p = 0;
        GetWindowThreadProcessId(h, &p);
        char text[32] = {};
        GetWindowTextA(h, text, sizeof(text));
        if (p != c->pid || std::strcmp(text, "HideDlg") != 0) return TRUE;
        c->found = h;
        return FALSE;
    }, (LPARAM)&ctx);
    return ctx.found;
}

int BenchIdle(int seconds)
{
    char cmd[MAX_PATH + 16];
    std::snprintf(cmd, sizeof(cmd), "\"%s\" -s", KQ_KESTIQ_EXE);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "poll_bench: cannot start %s (%lu)\n", KQ_KESTIQ_EXE, GetLastError());
        return 1;
    }
    HWND hwnd = nullptr;
    for (int i = 0; i < 300 && !hwnd; ++i) {
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
        hwnd = ControllerOf(pi.dwProcessId);
    }
    int rc = 0;
    if (!hwnd) {
        std::fprintf(stderr, "poll_bench: Kestiq.exe shows no controller window\n");
        rc = 1;
    } else {
        FILETIME c, e, k0, u0, k1, u1;
        GetProcessTimes(pi.hProcess, &c, &e, &k0, &u0);
        Sleep((DWORD)seconds * 1000);
        GetProcessTimes(pi.hProcess, &c, &e, &k1, &u1);
        double atReady = Seconds(k0, u0), total = Seconds(k1, u1);
        double idle = total - atReady;
        std::printf("Kestiq.exe -s, %d idle seconds: %.3f s CPU (%.3f%%); start-up before that %.3f s\n", seconds,
                    idle, idle * 100.0 / seconds, atReady);
        PostMessageA(hwnd, WM_COMMAND, ID_TRAY_EXIT, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "poll_bench: Kestiq.exe did not end on Exit; terminated\n");
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        rc = 1;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    int ticks = argc > 1 ? std::atoi(argv[1]) : 500;
    int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    if (ticks <= 0) ticks = 500;
    if (seconds <= 0) seconds = 60;

    kqsim::SimClient sim;
    if (!sim.Open(5000) || !sim.ResetAdapter(kGuid) || !sim.Return(kGuid)) {
        std::fprintf(stderr, "poll_bench: the simulated driver or its default adapter is not reachable\n");
        return 1;
    }
    int rc = BenchTick(sim, ticks);
    std::fflush(stdout);
    return BenchIdle(seconds) || rc;
}
