// The one road to the adapter's driver: every request opens the device,
// issues IOCTL_NDIS_QUERY_GLOBAL_STATS and closes it again.
#pragma once

#include <windows.h>
#include "core/Oids.h"

// "\\.\" + NetCfgInstanceId (or the model name on 98 SE / Me); written by adapter discovery.
extern char g_szDevicePath[MAX_PATH];

struct OidRetryRecord {
    DWORD  oid;          // set form
    void*  data;         // movable global copy, locked; NULL when size is 0
    DWORD  size;
    DWORD  bytesReturned;
    int    triesLeft;
    UINT_PTR timerId;
    void (*done)();      // called once a retry gets through; NULL: nothing
};

bool QueryOid(DWORD oid, void* buf, DWORD len, DWORD* pReturned);
BOOL SetOid(DWORD oid, void* buf, DWORD len, DWORD* pReturned, int tries);
// SetOid, and done() once the driver has taken the set: at once when the
// first try gets through, else when a retry does (on the retry thread);
// never when every try fails or the device goes.
BOOL SetOidThen(DWORD oid, void* buf, DWORD len, DWORD* pReturned, int tries, void (*done)());
void CALLBACK OidRetryTimerProc(HWND hwnd, UINT msg, UINT_PTR idEvent, DWORD time);
BOOL IsAdapterPresent();

// The thread whose timers run the retries (by default the first thread that
// uses the channel); failed sets of other threads are not retried.
void SetOidRetryThread(DWORD threadId);

// Pending retries, in insertion order (UI thread only).
size_t OidRetryPendingCount();
const OidRetryRecord* OidRetryPendingAt(size_t i);
// Frees every pending record (data copies and timers); used at exit.
void ClearOidRetryList();
