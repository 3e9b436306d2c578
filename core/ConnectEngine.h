// Connection engine: the connect-request list and the scan buffers.
// Not built yet: requests are taken and nothing is sent.
#pragma once

#include <windows.h>
#include <ntddndis.h>
#include "core/StationConfig.h"

#define BSSID_LIST_BUFFER_SIZE 65536
typedef NDIS_802_11_BSSID_LIST_EX BssidListBuffer;   // 64 KB, chained entries

struct ConnectRequest {
    DWORD kind;    // 0 scan, 1 apply a StationConfig, 2 set SSID, 3 set BSSID
    void* data;
};

// The scan buffers: allocated by the controller's OnInitDialog
// (AllocScanBuffers), freed in its OnDestroy (FreeScanBuffers); filled by
// scans and, under Zero Configuration, by the controller's InitAdapter.
extern BssidListBuffer* g_pBssidList;
extern BssidListBuffer* g_pBssidListCache;
extern FILETIME g_BssidLastSeen[1024];     // written with the cache

// Written by the connection engine, the controller's InitAdapter
// (g_bScanPending) and the profile pages.
extern BOOL g_bScanPending;
extern BOOL g_bConfigFromRegistry;
extern BOOL g_bAutoConnect;
extern BOOL g_bWscInUse;

// Both 64 KB buffers, zeroed (a buffer that cannot be had stays NULL).
void AllocScanBuffers();
void FreeScanBuffers();

void ConnectIfRequested();
// Empties the connect-request list, freeing what each entry owns.
void ClearConnectRequests();
