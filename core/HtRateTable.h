// 802.11n transmit settings to data rates (Mbps) for display.
#pragma once

#include <windows.h>
#include <map>
#include "classlib/CString.h"

class CHtRateTable {
public:
    CHtRateTable();
    virtual ~CHtRateTable();

    void Init();
    // First-generation adapters: MCS control indexes 0 to 14.
    BOOL GetRateByIndex(int index, double& rate, int& width);
    // Later generations: width, guard interval and true MCS.
    BOOL GetRate(int is40MHz, int shortGi, int mcs, double& rate);

private:
    std::map<int, CString> m_mapIndexRate;     // index -> "rate,width"
    std::map<CString, double> m_mapHtRate;     // "W,G,M" -> Mbps
};
