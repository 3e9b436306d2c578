// Prints the cost of the passphrase hash (one call per WPA-None key) and of
// the element interpreter over a full 64 KB scan list, as the survey and the
// network information panel use it.
#include <windows.h>
#include <ntddndis.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BssEntry.h"
#include "core/BssIeFormatter.h"
#include "core/PasswordHash.h"

namespace {

double Now()
{
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)freq.QuadPart;
}

// A stand-in entry when the test data folder is not there: WPA and RSN,
// HT capabilities and information, a WPS element.
Bytes SyntheticBody()
{
    return FrameBody(FromHex(
        "0006537475646f31010882848b960c12182403010630140100000fac040100000fac040100000fac020000"
        "2d1aef111bffffff00000000000000000001000000000406e6470d00"
        "3d16050d00000000000000000000000000000000000000007f080000000000000040"
        "dd160050f20101000050f20401000050f20401000050f202"
        "dd180050f2020101000003a4000027a4000042435e0062322f00"
        "dd2b0050f204104a00011010440001021057000101103c0001011047001000112233445566778899aabbccddeeff"));
}

// Entries chained by their length, as the driver fills the list.
Bytes BuildScanList(const std::vector<Bytes>& bodies, ULONG* count)
{
    Bytes list(65536, 0);
    size_t at = sizeof(ULONG);
    *count = 0;
    for (size_t i = 0;; ++i) {
        Bytes entry = MakeEntry(bodies[i % bodies.size()]);
        entry.resize((entry.size() + 3) & ~(size_t)3, 0);
        PutUlong(entry, 0, (ULONG)entry.size());
        if (at + entry.size() > list.size())
            break;
        memcpy(&list[at], entry.data(), entry.size());
        at += entry.size();
        ++*count;
    }
    memcpy(&list[0], count, sizeof(ULONG));
    return list;
}

} // namespace

int main()
{
    // Passphrase hashing.
    const char* passphrase = "ThisIsAPassword";
    const BYTE ssid[] = "ThisIsASSID";
    BYTE out[40];
    const int hashCalls = 40;
    double t0 = Now();
    for (int i = 0; i < hashCalls; ++i)
        PasswordHash(passphrase, ssid, 11, out);
    double hashMs = (Now() - t0) * 1000.0 / hashCalls;
    printf("PasswordHash: %.3f ms per call (%d calls, 2 x 4096 HMAC-SHA-1 iterations each)\n", hashMs, hashCalls);

    // Formatter over a full scan list.
    std::string where;
    std::vector<Beacon> beacons = LoadBeacons(&where);
    std::vector<Bytes> bodies;
    for (const Beacon& b : beacons)
        bodies.push_back(b.body);
    if (bodies.empty()) {
        printf("(no beacon files in %s: using a synthetic entry)\n", where.c_str());
        bodies.push_back(SyntheticBody());
    }
    ULONG count = 0;
    Bytes list = BuildScanList(bodies, &count);

    const int rounds = 50;
    size_t checksum = 0;
    t0 = Now();
    for (int r = 0; r < rounds; ++r) {
        const BYTE* p = list.data() + sizeof(ULONG);
        for (ULONG i = 0; i < count; ++i) {
            const NDIS_WLAN_BSSID_EX* bss = (const NDIS_WLAN_BSSID_EX*)p;
            for (int s = 0; s <= 4; ++s)
                checksum += (size_t)FormatBssIeInfo(bss, s).GetLength();
            p += bss->Length;
        }
    }
    double elapsed = Now() - t0;
    double perEntryUs = elapsed * 1e6 / ((double)rounds * count);
    printf("FormatBssIeInfo: %lu entries in a 64 KB list (%zu beacon kinds)\n", (unsigned long)count, bodies.size());
    printf("FormatBssIeInfo: %.2f us per entry for all five sections, %.2f us per section call\n",
           perEntryUs, perEntryUs / 5.0);
    printf("FormatBssIeInfo: %.3f ms per whole list, all sections (checksum %zu)\n",
           elapsed * 1000.0 / rounds, checksum);
    return 0;
}
