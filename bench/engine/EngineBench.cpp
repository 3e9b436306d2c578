// Prints what one whole apply of a stored profile costs against the
// simulated driver: SetOidFromReg through the connection engine's kind-1
// sequence, its OID requests counted in the driver's log between two
// markers, beside one bare QueryOid round trip measured in the same run.
//
//   engine_bench [applies]      default: 200 (the 802.1X port case runs 3)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "auth/AcAuthLibrary.h"
#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/ZeroConfig.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;
const char kScratchKey[] = "SOFTWARE\\KestiqBench\\EngineAdapter";

struct Profile {
    const char* name;
    std::vector<std::pair<const char*, const char*>> values;
    BOOL applyRadio;
    bool port;   // with the supplicant's port open
};

double Elapsed(LARGE_INTEGER a, LARGE_INTEGER b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return (double)(b.QuadPart - a.QuadPart) * 1e6 / (double)f.QuadPart;
}

bool WriteProfile(const Profile& p)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
    HKEY k = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return false;
    for (const auto& v : p.values) WriteRegText(k, v.first, v.second);
    RegCloseKey(k);
    return true;
}

// Requests the driver logged between the two markers.
int CountRequests(kqsim::SimClient& sim, DWORD from)
{
    std::vector<kqsim::LogEntry> log;
    if (!sim.ReadLog(log, from)) return -1;
    int n = 0;
    bool inside = false;
    for (const kqsim::LogEntry& e : log) {
        if (e.kind == KQSIM_LOG_MARKER) {
            if (e.text == "apply-begin") inside = true;
            if (e.text == "apply-end") break;
            continue;
        }
        if (inside && e.IsRequest()) ++n;
    }
    return n;
}

double TimeQueryOid(int n)
{
    DWORD value = 0, returned = 0;
    for (int i = 0; i < 50; ++i) QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned);
    QueryPerformanceCounter(&t1);
    return Elapsed(t0, t1) / n;
}

void BenchProfile(kqsim::SimClient& sim, const Profile& p, int n)
{
    if (!WriteProfile(p)) {
        std::printf("%-44s not measured (scratch key)\n", p.name);
        return;
    }
    // The port is opened by the apply itself unless Zero Configuration holds the adapter.
    if (!p.port && (AuthPortObjectExists() || g_hAuthPort)) CloseAuthPort();
    g_nWzcMode = p.port ? WZC_NOT_INVOLVED : WZC_MANAGES;
    SetOidFromReg(p.applyRadio);   // warm: library loaded, port attached, key cached

    DWORD from = 0;
    sim.NextSeq(from);
    sim.AddMarker("apply-begin");
    SetOidFromReg(p.applyRadio);
    sim.AddMarker("apply-end");
    int requests = CountRequests(sim, from);

    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i) SetOidFromReg(p.applyRadio);
    QueryPerformanceCounter(&t1);
    // The supplicant finishes the handshake on its own threads after the apply.
    DWORD media = 1;
    for (int i = 0; i < (p.port ? 100 : 1) && media != 0; ++i) {
        if (i) Sleep(100);
        QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
    }
    std::printf("%-44s %4d OID requests, %9.1f us per apply (%d applies)%s\n", p.name, requests,
                Elapsed(t0, t1) / n, n, media == 0 ? "" : ", link not up afterwards");
}

}  // namespace

int main(int argc, char** argv)
{
    int n = argc > 1 ? std::atoi(argv[1]) : 200;
    if (n <= 0) n = 200;

    kqsim::SimClient& sim = kqsim::SharedTestClient();
    if (!sim.IsOpen()) {
        std::fprintf(stderr, "engine_bench: no simulated driver (run sim/install-standins.sh)\n");
        return 1;
    }
    CHideDlg dlg;
    dlg.m_bShowOnStart = FALSE;
    if (!dlg.Create(IDD_HIDE_DLG) || !dlg.m_bAdapterFound) {
        std::fprintf(stderr, "engine_bench: the controller finds no adapter (run sim/install-standins.sh)\n");
        if (dlg.m_hWnd) {
            dlg.m_bSwitchedToAp = TRUE;
            dlg.DestroyWindow();
        }
        return 1;
    }
    // Only this program drives the engine: the start-up scan and its profile are dropped.
    dlg.KillAllTimers();
    ClearConnectRequests();
    CString adapterKey = g_strAdapterRegPath;
    g_strAdapterRegPath = kScratchKey;

    double usQuery = TimeQueryOid(n);
    const Profile profiles[] = {
        { "open, radio settings applied", { { "SSID", "Kestiq-Open" }, { "WirelessMode", "5" } }, TRUE, false },
        { "open, radio settings left alone", { { "SSID", "Kestiq-Open" } }, FALSE, false },
        { "WEP open system, radio settings applied",
          { { "SSID", "Kestiq-WEP" }, { "Encryption", "0" }, { "WEPKeyUse", "1" }, { "WEPKey1", "0123456789" } },
          TRUE, false },
        { "WPA2-PSK through the supplicant's port",
          { { "SSID", "Kestiq-Home" }, { "AuthenType", "7" }, { "Encryption", "6" }, { "WPAPSK", "kestiq-secret" } },
          TRUE, true },
    };
    std::printf("one whole apply (SetOidFromReg and the engine's kind-1 sequence) on the installed adapter:\n");
    for (const Profile& p : profiles) BenchProfile(sim, p, p.port ? 3 : n);
    std::printf("QueryOid round trip (open, request, close):   %9.1f us (%d requests)\n", usQuery, n);
    std::printf("(with a port the sequence stops it twice, steps 1 and 10; each stop waits 1 s)\n");
    if (!AcAuthLibraryLoaded())
        std::printf("(the supplicant library did not load: the port case ran without a port)\n");

    if (AuthPortObjectExists() || g_hAuthPort) CloseAuthPort();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchKey);
    g_strAdapterRegPath = adapterKey;
    dlg.m_bSwitchedToAp = TRUE;
    dlg.DestroyWindow();
    sim.ResetAdapter(kGuid);
    return 0;
}
