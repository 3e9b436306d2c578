// The one way from the connection engine up to the advanced page's 802.11n
// controls: while the configuration window is open, an apply sends the
// transmit setting those controls show instead of the stored one.  The page
// sets g_pHtSettingsDoor while its window exists; the engine checks it and
// uses the stored setting without one.
#pragma once

#include <windows.h>

class CHtSettingsDoor {
public:
    // The controls' setting in the TransmitSetting layout: bits 4-10 MCS
    // (33 for "Auto"), 11 bandwidth, 12 guard interval, 13 STBC, 16 HT mode.
    virtual DWORD HtSettingFromControls() = 0;

protected:
    ~CHtSettingsDoor() = default;
};

extern CHtSettingsDoor* g_pHtSettingsDoor;
