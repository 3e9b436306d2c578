// What the controller's link poll and start-up learn and the layers below
// the controller read: the link, the radio, the user's privilege.
#pragma once

#include <windows.h>
#include <ntddndis.h>

extern NDIS_802_11_SSID g_CurSsid;        // the link poll
extern BYTE g_CurBssid[6];                // the link poll
extern BOOL g_bIcvError;                  // the link poll and its WEP check
extern BOOL g_bAuthPortCurrent;           // the controller: 0 when the adapter went away
extern BOOL g_bIsAdmin;                   // CheckAdminPrivilege, at start
extern BOOL g_bDebugTrace;                // bCheckBuild, read on every event while the window is open
extern BOOL g_bRadioOn;                   // InitAdapter, and the radio command of the window
extern BOOL g_bEepromWord36Bit8Clear;     // InitAdapter
extern BOOL g_bEepromWord36Bit9Clear;     // InitAdapter

int RssiToPercent(int dBm);
