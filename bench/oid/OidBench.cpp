// Prints the cost of one QueryOid round trip (open, request, close) against
// the simulated driver, and of one DeviceIoControl on a handle kept open.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/OidChannel.h"
#include "sim/client/SimTestSupport.h"

namespace {

double Microseconds(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq, int n)
{
    return (double)(b.QuadPart - a.QuadPart) * 1e6 / (double)freq.QuadPart / n;
}

}  // namespace

int main(int argc, char** argv)
{
    int n = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (n <= 0) n = 2000;
    kqsim::SimClient client;
    if (!client.Open(5000)) {
        std::fprintf(stderr, "oid_bench: the simulated driver is not reachable (run sim/install-standins.sh)\n");
        return 1;
    }
    kqsim::TestAdapter adapter(client, 0x30);
    if (!adapter.ok()) {
        std::fprintf(stderr, "oid_bench: cannot add the benchmark adapter\n");
        return 1;
    }
    std::strcpy(g_szDevicePath, adapter.DevicePath().c_str());

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    DWORD value = 0, returned = 0;
    for (int i = 0; i < 50; ++i) QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned);

    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i)
        if (!QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &value, 4, &returned)) {
            std::fprintf(stderr, "oid_bench: QueryOid failed\n");
            return 1;
        }
    QueryPerformanceCounter(&t1);
    double perQuery = Microseconds(t0, t1, freq, n);

    HANDLE h = CreateFileA(g_szDevicePath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "oid_bench: the device does not open\n");
        return 1;
    }
    DWORD oid = OID_GEN_MEDIA_CONNECT_STATUS;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < n; ++i)
        DeviceIoControl(h, IOCTL_NDIS_QUERY_GLOBAL_STATS, &oid, 4, &value, 4, &returned, nullptr);
    QueryPerformanceCounter(&t1);
    CloseHandle(h);
    double perIoctl = Microseconds(t0, t1, freq, n);

    std::printf("QueryOid round trip (open, request, close): %.1f us\n", perQuery);
    std::printf("DeviceIoControl on a held handle:           %.1f us\n", perIoctl);
    std::printf("(%d requests each, OID_GEN_MEDIA_CONNECT_STATUS)\n", n);
    return 0;
}
