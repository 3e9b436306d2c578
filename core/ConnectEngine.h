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

// Owned by the controller (allocated in OnInitDialog, freed in OnDestroy).
extern BssidListBuffer* g_pBssidList;
extern BssidListBuffer* g_pBssidListCache;
extern FILETIME g_BssidLastSeen[1024];

extern BOOL g_bScanPending;
extern BOOL g_bConfigFromRegistry;
extern BOOL g_bAutoConnect;
extern BOOL g_bWscInUse;

void ConnectIfRequested();
// Empties the connect-request list, freeing what each entry owns.
void ClearConnectRequests();
