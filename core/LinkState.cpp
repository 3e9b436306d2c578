#include "core/LinkState.h"

#include "core/ControllerDoor.h"

NDIS_802_11_SSID g_CurSsid;
BYTE g_CurBssid[6];
BOOL g_bIcvError = FALSE;
BOOL g_bAuthPortCurrent = TRUE;
BOOL g_bIsAdmin = FALSE;
BOOL g_bDebugTrace = FALSE;
BOOL g_bRadioOn = TRUE;
BOOL g_bEepromWord36Bit8Clear = FALSE;
BOOL g_bEepromWord36Bit9Clear = FALSE;

CControllerDoor* g_pControllerDoor = nullptr;

int RssiToPercent(int dBm)
{
    // Integer arithmetic: x * 2.6 truncated is x * 26 / 10 for x >= 0.
    if (dBm >= -50) return 100;
    if (dBm >= -80) return (dBm + 80) * 26 / 10 + 24;
    if (dBm >= -90) return (dBm + 90) * 26 / 10;
    return 0;
}
