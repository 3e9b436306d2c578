// Prints what one refresh of the link status panel costs against the
// simulated driver, connected to the 802.11n network of the default air: the
// requests it makes (read from the driver's log between two markers) and its
// time, beside that many bare QueryOid round trips, one repaint of the panel
// and one GetAdaptersInfo, all measured in this run.
//
//   linkstatus_bench [ticks]      default: 200
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "classlib/ClassLib.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "pages/LinkStatusPage.h"
#include "sim/client/SimTestSupport.h"

namespace {

double Now()
{
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

class CHost : public CWnd {
public:
    BOOL Create()
    {
        const char* cls = RegisterWndClass(0, nullptr, (HBRUSH)(COLOR_3DFACE + 1));
        return CreateEx(0, cls, "link status bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 794, 320),
                        nullptr, 0);
    }
};

bool Join(kqsim::SimClient& sim, const std::string& guid, const char* ssid)
{
    DWORD auth = Ndis802_11AuthModeWPA2PSK, encryption = Ndis802_11Encryption3Enabled;
    SetOid(OID_802_11_AUTHENTICATION_MODE, &auth, 4, nullptr, 1);
    SetOid(OID_802_11_WEP_STATUS, &encryption, 4, nullptr, 1);
    NDIS_802_11_SSID s = {};
    s.SsidLength = (ULONG)std::strlen(ssid);
    std::memcpy(s.Ssid, ssid, s.SsidLength);
    if (!SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1) || !sim.SetAuthorized(guid, true)) return false;
    DWORD media = 1;
    QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
    return media == 0;
}

// The requests of one refresh, by OID, between two markers of the log.
bool CountOneTick(kqsim::SimClient& sim, CLinkStatusPage& page, int& total, int& sets, std::map<DWORD, int>& byOid)
{
    DWORD from = 0;
    if (!sim.NextSeq(from) || !sim.AddMarker("link-begin")) return false;
    page.SendMessage(WM_TIMER, IDT_LINK_STATUS_REFRESH);
    if (!sim.AddMarker("link-end")) return false;
    std::vector<kqsim::LogEntry> log;
    if (!sim.ReadLog(log, from)) return false;
    bool inside = false;
    for (const kqsim::LogEntry& e : log) {
        if (e.kind == KQSIM_LOG_MARKER) {
            if (e.text == "link-begin") inside = true;
            else if (e.text == "link-end" && inside) return true;
            continue;
        }
        if (inside && e.IsRequest()) {
            ++total;
            sets += e.kind == KQSIM_LOG_SET;
            ++byOid[e.BaseOid()];
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    int ticks = argc > 1 ? std::atoi(argv[1]) : 200;
    if (ticks <= 0) ticks = 200;
    kqsim::SimClient sim;
    if (!sim.Open(5000)) {
        std::fprintf(stderr, "linkstatus_bench: the simulated driver is not reachable (run sim/install-standins.sh)\n");
        return 1;
    }
    kqsim::TestAdapter adapter(sim, 0x31);
    if (!adapter.ok()) {
        std::fprintf(stderr, "linkstatus_bench: cannot add the benchmark adapter\n");
        return 1;
    }
    std::strcpy(g_szDevicePath, adapter.DevicePath().c_str());
    g_bHtDevice = TRUE;   // model 7, as the default adapter
    g_bRadioOn = TRUE;
    if (!Join(sim, adapter.guid(), "Kestiq-5G-N")) {
        std::fprintf(stderr, "linkstatus_bench: the adapter does not join Kestiq-5G-N (is the default air loaded?)\n");
        return 1;
    }
    AllocScanBuffers();

    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&icc);
    CHost host;
    if (!host.Create()) return 1;
    CLinkStatusPage page(nullptr);
    if (!page.CreatePage(&host)) return 1;
    page.MoveWindow(0, 0, 794, 320);
    page.ShowWindow(SW_SHOW);
    KillTimer(page.m_hWnd, IDT_LINK_STATUS_REFRESH);
    Pump();

    // The refresh: requests of one, then the time of each.
    for (int i = 0; i < 5; ++i) page.SendMessage(WM_TIMER, IDT_LINK_STATUS_REFRESH);
    int requests = 0, sets = 0;
    std::map<DWORD, int> byOid;
    if (!CountOneTick(sim, page, requests, sets, byOid)) {
        std::fprintf(stderr, "linkstatus_bench: the driver's log did not hold the refresh\n");
        return 1;
    }
    std::vector<double> refresh, repaint, roundTrip, adapters;
    for (int i = 0; i < ticks; ++i) {
        double t0 = Now();
        page.SendMessage(WM_TIMER, IDT_LINK_STATUS_REFRESH);
        double t1 = Now();
        RedrawWindow(page.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        double t2 = Now();
        refresh.push_back(t1 - t0);
        repaint.push_back(t2 - t1);
    }
    DWORD value = 0;
    for (int i = 0; i < ticks * 10; ++i) {
        double t0 = Now();
        QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, sizeof(value), nullptr);
        roundTrip.push_back(Now() - t0);
    }
    for (int i = 0; i < ticks; ++i) {
        double t0 = Now();
        ULONG size = 0;
        if (GetAdaptersInfo(nullptr, &size) == ERROR_BUFFER_OVERFLOW && size) {
            std::vector<BYTE> buf(size);
            GetAdaptersInfo((IP_ADAPTER_INFO*)buf.data(), &size);
        }
        adapters.push_back(Now() - t0);
    }

    double tick = Median(refresh) * 1e6, paint = Median(repaint) * 1e6, trip = Median(roundTrip) * 1e6,
           info = Median(adapters) * 1e6;
    std::printf("Link status refresh, connected to Kestiq-5G-N (802.11n), medians of %d runs:\n", ticks);
    std::printf("  requests per refresh:                      %d (%d of them sets)\n", requests, sets);
    std::printf("  one refresh (OnTimer, without painting):   %8.0f us\n", tick);
    std::printf("  %2d x bare QueryOid round trip (%5.0f us):  %8.0f us\n", requests, trip, requests * trip);
    std::printf("  one GetAdaptersInfo:                       %8.0f us\n", info);
    std::printf("  the rest (texts, bars, graphs, scan copy): %8.0f us\n", tick - requests * trip - info);
    std::printf("  one repaint of the panel:                  %8.0f us\n", paint);
    std::printf("  requests by OID:");
    for (const auto& kv : byOid) std::printf(" %08lX x%d", (unsigned long)kv.first, kv.second);
    std::printf("\n");

    page.DestroyWindow();
    host.DestroyWindow();
    FreeScanBuffers();
    return 0;
}
