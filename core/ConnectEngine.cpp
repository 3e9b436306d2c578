// Placeholder of the connection engine: the request list stays empty.
#include "core/ConnectEngine.h"
#include "core/HideDlg.h"

FILETIME g_BssidLastSeen[1024];
BOOL g_bScanPending = FALSE;
BOOL g_bConfigFromRegistry = FALSE;
BOOL g_bAutoConnect = TRUE;
BOOL g_bWscInUse = FALSE;

void ConnectIfRequested()
{
    if (g_pHideDlg && g_pHideDlg->UpdateConnectRequest(0, nullptr))
        g_pHideDlg->ConnectProfile();
}

void ClearConnectRequests() {}

BOOL CHideDlg::UpdateConnectRequest(int, void*) { return FALSE; }
void CHideDlg::ConnectProfile() {}
