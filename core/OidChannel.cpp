// The OID channel: every request opens the adapter's device, sends
// IOCTL_NDIS_QUERY_GLOBAL_STATS and closes it again.  Failed sets with a try
// count are retried every 500 ms from a thread timer of the UI thread.
#include "core/OidChannel.h"
#include "core/MovableMemory.h"

#include <cstring>
#include <vector>

#include "classlib/Handles.h"
#include "core/RegistryStore.h"

char g_szDevicePath[MAX_PATH];

namespace {

std::vector<OidRetryRecord> g_retries;   // insertion order; owner thread only
LONG g_retryThread = 0;                  // thread whose timers run the retries

// The first thread that uses the channel (the UI thread, at start-up) owns
// the retry list unless one is named.
bool OnRetryThread()
{
    DWORD self = GetCurrentThreadId();
    InterlockedCompareExchange(&g_retryThread, (LONG)self, 0);
    return (DWORD)g_retryThread == self;
}

const UINT kRetryMs = 500;

HANDLE OpenDevice()
{
    return CreateFileA(g_szDevicePath, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Frees the record's copy, kills its timer and takes it out of the list.
void DropRecord(size_t i)
{
    OidRetryRecord r = g_retries[i];
    if (r.size != 0) FreeMovable(r.data);
    KillTimer(nullptr, r.timerId);
    g_retries.erase(g_retries.begin() + i);
}

void QueueRetry(DWORD setOid, const void* buf, DWORD len, DWORD returned, int triesLeft, void (*done)())
{
    OidRetryRecord r{};
    r.done = done;
    r.oid = setOid;
    r.size = len;
    r.bytesReturned = returned;
    r.triesLeft = triesLeft;
    r.data = CopyToMovable(buf, len);
    if (len != 0 && !r.data) return;            // no memory for the copy: no retry
    r.timerId = SetTimer(nullptr, 0, kRetryMs, OidRetryTimerProc);
    if (r.timerId == 0) {
        FreeMovable(r.data);
        return;
    }
    g_retries.push_back(r);
}

}  // namespace

bool QueryOid(DWORD oid, void* buf, DWORD len, DWORD* pReturned)
{
    DWORD ignored = 0;
    if (!pReturned) pReturned = &ignored;
    OnRetryThread();
    CHandle h(OpenDevice());
    if (!h.IsValid()) return false;
    *pReturned = 0;
    return DeviceIoControl(h, IOCTL_NDIS_QUERY_GLOBAL_STATS, &oid, sizeof(oid), buf, len, pReturned, nullptr) != FALSE;
}

BOOL SetOid(DWORD oid, void* buf, DWORD len, DWORD* pReturned, int tries)
{
    return SetOidThen(oid, buf, len, pReturned, tries, nullptr);
}

BOOL SetOidThen(DWORD oid, void* buf, DWORD len, DWORD* pReturned, int tries, void (*done)())
{
    DWORD ignored = 0;
    if (!pReturned) pReturned = &ignored;
    CHandle h(OpenDevice());
    if (!h.IsValid()) return FALSE;
    DWORD setOid = oid | OID_VENDOR_SET_FLAG;
    *pReturned = 0;

    // The 64-bit XP driver is handed a heap block of its own.
    void* data = buf;
    void* heap = nullptr;
    if (g_nOsVersion == OS_WINXP_X64 && len != 0) {
        heap = HeapAlloc(GetProcessHeap(), 0, len);
        if (!heap) return FALSE;
        if (buf) std::memcpy(heap, buf, len);
        data = heap;
    }
    BOOL ok = DeviceIoControl(h, IOCTL_NDIS_QUERY_GLOBAL_STATS, &setOid, sizeof(setOid), data, len, pReturned,
                              nullptr);
    if (heap) HeapFree(GetProcessHeap(), 0, heap);
    h.Close();

    // A thread timer only fires on a thread that pumps messages, and the list
    // has no lock: sets from other threads (the 802.1X layer) are not retried.
    if (!ok && tries - 1 > 0 && OnRetryThread()) QueueRetry(setOid, buf, len, *pReturned, tries - 1, done);
    if (ok && done) done();
    return ok;
}

void CALLBACK OidRetryTimerProc(HWND hwnd, UINT msg, UINT_PTR idEvent, DWORD time)
{
    if (g_retries.empty()) {
        KillTimer(nullptr, idEvent);
        return;
    }
    size_t i = 0;
    while (i < g_retries.size() && g_retries[i].timerId != idEvent) ++i;
    if (i == g_retries.size()) {
        KillTimer(nullptr, idEvent);
        return;
    }
    if (g_retries[i].triesLeft < 1) {
        DropRecord(i);
        return;
    }
    CHandle h(OpenDevice());
    if (!h.IsValid()) {
        // the adapter is gone: every pending set goes with it
        ClearOidRetryList();
        return;
    }
    OidRetryRecord& r = g_retries[i];
    r.bytesReturned = 0;
    BOOL ok = DeviceIoControl(h, IOCTL_NDIS_QUERY_GLOBAL_STATS, &r.oid, sizeof(r.oid), r.data, r.size,
                              &r.bytesReturned, nullptr);
    h.Close();
    if (!ok && --r.triesLeft != 0) return;     // keep it and its timer
    void (*done)() = ok ? r.done : nullptr;
    DropRecord(i);
    if (done) done();
}

BOOL IsAdapterPresent()
{
    OnRetryThread();
    return CHandle(OpenDevice()).IsValid();
}

void SetOidRetryThread(DWORD threadId) { InterlockedExchange(&g_retryThread, (LONG)threadId); }

size_t OidRetryPendingCount() { return g_retries.size(); }

const OidRetryRecord* OidRetryPendingAt(size_t i) { return i < g_retries.size() ? &g_retries[i] : nullptr; }

void ClearOidRetryList()
{
    while (!g_retries.empty()) DropRecord(g_retries.size() - 1);
}
