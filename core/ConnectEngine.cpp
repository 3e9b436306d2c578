// Placeholder of the connection engine: the request list stays empty.
#include "core/ConnectEngine.h"
#include "core/HideDlg.h"

BssidListBuffer* g_pBssidList = nullptr;
BssidListBuffer* g_pBssidListCache = nullptr;
FILETIME g_BssidLastSeen[1024];
BOOL g_bScanPending = FALSE;
BOOL g_bConfigFromRegistry = FALSE;
BOOL g_bAutoConnect = TRUE;
BOOL g_bWscInUse = FALSE;

namespace {

BssidListBuffer* AllocScanBuffer()
{
    HGLOBAL h = GlobalAlloc(GHND, BSSID_LIST_BUFFER_SIZE);
    if (!h) return nullptr;
    void* p = GlobalLock(h);
    if (!p) GlobalFree(h);
    return (BssidListBuffer*)p;
}

void FreeScanBuffer(BssidListBuffer*& p)
{
    if (!p) return;
    HGLOBAL h = GlobalHandle(p);
    GlobalUnlock(h);
    GlobalFree(h);
    p = nullptr;
}

} // namespace

void AllocScanBuffers()
{
    g_pBssidList = AllocScanBuffer();
    g_pBssidListCache = AllocScanBuffer();
}

void FreeScanBuffers()
{
    FreeScanBuffer(g_pBssidList);
    FreeScanBuffer(g_pBssidListCache);
}

void ConnectIfRequested()
{
    if (g_pHideDlg && g_pHideDlg->UpdateConnectRequest(0, nullptr))
        g_pHideDlg->ConnectProfile();
}

void ClearConnectRequests() {}

BOOL CHideDlg::UpdateConnectRequest(int, void*) { return FALSE; }
void CHideDlg::ConnectProfile() {}
