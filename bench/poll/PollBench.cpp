// Prints what one link-poll tick costs against the simulated driver: the
// requests it makes (read from the driver's log between two markers) and its
// time, beside the calls a tick is made of, each timed alone in the same run
// (the presence check, the Zero Configuration mode, one QueryOid round trip
// times the tick's requests, the shell's NIM_MODIFY of the icon), and what
// is left over.  Idle CPU of Kestiq.exe is bench/idle/idle_bench.sh's (read
// from outside: Wine answers zero for another process's times).
//
//   poll_bench [ticks]      default: 500 ticks
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "core/ZeroConfig.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;

double Microseconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq, int n)
{
    return (double)(b.QuadPart - a.QuadPart) * 1e6 / (double)freq.QuadPart / n;
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

template <class F>
double TimeCalls(int n, F call)
{
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    for (int i = 0; i < 20; ++i) call();
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) call();
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

// The calls every tick is made of, each timed alone.
struct Parts {
    double presence = 0;   // the device path still opens
    double wzcMode = 0;    // the service's state (and the interface key when it runs)
    double query = 0;      // one QueryOid round trip
    double icon = 0;       // UpdateTrayIcon: the shell's NIM_MODIFY
};

void PrintTick(const char* state, const TickRequests& r, double us, int n, const Parts& p)
{
    std::printf("link-poll tick, %s: %d OID requests, %d device opens, %.1f us per tick (%d ticks)\n", state,
                r.total, r.opens, us, n);
    for (const auto& kv : r.byOid) std::printf("    0x%08lX x%d\n", (unsigned long)kv.first, kv.second);
    double oids = p.query * r.total;
    double rest = us - p.presence - p.wzcMode - oids - p.icon;
    std::printf("    %-52s %9.1f us\n", "presence check (the device path opens)", p.presence);
    std::printf("    %-52s %9.1f us\n", "Zero Configuration mode (service status)", p.wzcMode);
    std::printf("    %-52s %9.1f us\n", "OID requests (requests x one QueryOid round trip)", oids);
    std::printf("    %-52s %9.1f us\n", "notification icon (UpdateTrayIcon, NIM_MODIFY)", p.icon);
    std::printf("    %-52s %9.1f us\n", "the rest of the tick", rest);
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
    Parts parts;
    parts.query = TimeQueryOid(n);
    parts.icon = TimeIconUpdate(dlg, n);
    parts.presence = TimeCalls(n, [] { IsAdapterPresent(); });
    parts.wzcMode = TimeCalls(n, [] { GetWzcMode(); });

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
    PrintTick("disconnected", down, usDown, n, parts);
    if (joined) PrintTick("connected to Kestiq-Open", up, usUp, n, parts);
    else std::printf("link-poll tick, connected: not measured (joining Kestiq-Open failed)\n");
    std::printf("QueryOid round trip (open, request, close): %.1f us (%d requests)\n", parts.query, n);
    std::printf("UpdateTrayIcon alone (NIM_MODIFY):           %.1f us (%d calls)\n", parts.icon, n);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    int ticks = argc > 1 ? std::atoi(argv[1]) : 500;
    if (ticks <= 0) ticks = 500;

    kqsim::SimClient sim;
    if (!sim.Open(5000) || !sim.ResetAdapter(kGuid) || !sim.Return(kGuid)) {
        std::fprintf(stderr, "poll_bench: the simulated driver or its default adapter is not reachable\n");
        return 1;
    }
    return BenchTick(sim, ticks);
}
