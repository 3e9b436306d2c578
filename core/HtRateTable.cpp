#include "core/HtRateTable.h"

#include <cstdlib>

namespace {

// IEEE 802.11n HT rates, one and two spatial streams, MCS 0 to 15.
const double kRate20Long[16]  = { 6.5, 13.0, 19.5, 26.0, 39.0, 52.0, 58.5, 65.0,
                                  13.0, 26.0, 39.0, 52.0, 78.0, 104.0, 117.0, 130.0 };
const double kRate40Long[16]  = { 13.5, 27.0, 40.5, 54.0, 81.0, 108.0, 121.5, 135.0,
                                  27.0, 54.0, 81.0, 108.0, 162.0, 216.0, 243.0, 270.0 };
const double kRate40Short[16] = { 15.0, 30.0, 45.0, 60.0, 90.0, 120.0, 135.0, 150.0,
                                  30.0, 60.0, 90.0, 120.0, 180.0, 240.0, 270.0, 300.0 };
// 20 MHz short guard interval as the table has always stored it: one decimal
// for one stream, three for two.
const double kRate20Short[16] = { 7.2, 14.4, 21.7, 28.9, 43.3, 57.8, 65.0, 72.2,
                                  14.444, 28.889, 43.333, 57.778, 86.667, 115.556, 130.0, 144.444 };

const char* const kIndexRates[15] = {
    "54.0,20", "81.0,20", "108.0,20", "121.5,20", "135.0,20",
    "54.0,20", "81.0,20", "108.0,20", "121.5,20", "135.0,20",
    "108.0,40", "162.0,40", "216.0,40", "243.0,40", "270.0,40",
};

CString HtKey(const char* width, const char* gi, int mcs)
{
    CString key;
    key.Format("%s,%s,%d", width, gi, mcs);
    return key;
}

} // namespace

CHtRateTable::CHtRateTable() {}

CHtRateTable::~CHtRateTable()
{
    m_mapIndexRate.clear();
    m_mapHtRate.clear();
}

void CHtRateTable::Init()
{
    for (int i = 0; i < 15; ++i)
        m_mapIndexRate[i] = kIndexRates[i];

    for (int mcs = 0; mcs < 16; ++mcs) {
        m_mapHtRate[HtKey("20", "800", mcs)] = kRate20Long[mcs];
        m_mapHtRate[HtKey("20", "400", mcs)] = kRate20Short[mcs];
        m_mapHtRate[HtKey("40", "800", mcs)] = kRate40Long[mcs];
        m_mapHtRate[HtKey("40", "400", mcs)] = kRate40Short[mcs];
    }
    m_mapHtRate[HtKey("40", "800", 32)] = 6.0;
    m_mapHtRate[HtKey("40", "400", 32)] = 6.7;
    // 33 is also the advanced page's "Auto".
    m_mapHtRate[HtKey("40", "800", 33)] = 39.0;
    m_mapHtRate[HtKey("40", "400", 33)] = 43.3;
}

BOOL CHtRateTable::GetRateByIndex(int index, double& rate, int& width)
{
    if (index < 0 || index > 14)
        return FALSE;
    auto it = m_mapIndexRate.find(index);
    if (it == m_mapIndexRate.end())
        return FALSE;
    const CString& text = it->second;
    int comma = text.Find(',');
    if (comma < 0)
        return FALSE;
    rate = strtod(text.Left(comma), nullptr);
    width = atoi(text.Mid(comma + 1));
    return TRUE;
}

BOOL CHtRateTable::GetRate(int is40MHz, int shortGi, int mcs, double& rate)
{
    if (is40MHz == 0 && mcs == 32 && (shortGi == 0 || shortGi == 1))
        return FALSE;
    CString key = HtKey(is40MHz ? "40" : "20", shortGi == 1 ? "400" : "800", mcs);
    auto it = m_mapHtRate.find(key);
    if (it == m_mapHtRate.end())
        return FALSE;
    rate = it->second;
    return TRUE;
}
