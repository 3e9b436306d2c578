#include "core/ChannelTable.h"

#include <cstring>

#include "core/AdapterDiscovery.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"

ChannelRow g_ChannelTable[kChannelTableRows] = {
    {1, 2412000}, {2, 2417000}, {3, 2422000}, {4, 2427000}, {5, 2432000}, {6, 2437000},
    {7, 2442000}, {8, 2447000}, {9, 2452000}, {10, 2457000}, {11, 2462000}, {12, 2467000},
    {13, 2472000}, {14, 2484000},
    {34, 5170000}, {36, 5180000}, {38, 5190000}, {40, 5200000}, {42, 5210000}, {44, 5220000},
    {46, 5230000}, {48, 5240000},
    {52, 5260000}, {56, 5280000}, {60, 5300000}, {64, 5320000},
    {100, 5500000}, {104, 5520000}, {108, 5540000}, {112, 5560000}, {116, 5580000},
    {120, 5600000}, {124, 5620000}, {128, 5640000}, {132, 5660000}, {136, 5680000},
    {140, 5700000},
    {149, 5745000}, {153, 5765000}, {157, 5785000}, {161, 5805000}, {165, 5825000},
    {184, 4920000}, {188, 4940000}, {192, 4960000}, {196, 4980000},
    {kJapanChannelBase + 8, 5040000}, {kJapanChannelBase + 12, 5060000},
    {kJapanChannelBase + 16, 5080000},
};

DWORD ChannelToFrequency(DWORD channel)
{
    for (const ChannelRow& r : g_ChannelTable)
        if (r.channel == channel) return r.freqKHz;
    return 0;
}

int FrequencyToChannel(DWORD freqKHz)
{
    for (const ChannelRow& r : g_ChannelTable)
        if (r.freqKHz == freqKHz) return (int)r.channel;
    return -1;
}

CString FormatChannelNumber(DWORD channel)
{
    CString s;
    if (channel == kJapanChannelBase + 8 || channel == kJapanChannelBase + 12 ||
        channel == kJapanChannelBase + 16)
        s.Format("J%u", (unsigned)(channel - kJapanChannelBase));
    else
        s.Format("%u", (unsigned)channel);
    return s;
}

namespace {

struct ChannelRange {
    BYTE first, last;   // first > last: empty
};

// 2.4 GHz lists by region code; models 0-1 take the row one code earlier
// than models 4-8 from code 2 on.
const ChannelRange kBgRanges[] = {
    {1, 11}, {1, 13}, {10, 11}, {10, 13}, {14, 14}, {1, 14}, {3, 9}, {5, 13}, {1, 11},
};

ChannelRange BgRange(int model, int region)
{
    if (region < 0 || region >= 9) return {1, 11};
    if (model == 0 || model == 1) {
        if (region <= 1) return {1, 11};
        return kBgRanges[region - 1];
    }
    return kBgRanges[region];
}

const BYTE kA0[] = {36, 40, 44, 48, 52, 56, 60, 64, 149, 153, 157, 161, 165};
const BYTE kA1[] = {36, 40, 44, 48, 52, 56, 60, 64, 100, 104, 108, 112, 116, 120, 124, 128, 132, 136, 140};
const BYTE kA2[] = {36, 40, 44, 48, 52, 56, 60, 64};
const BYTE kA3[] = {52, 56, 60, 64, 149, 153, 157, 161};
const BYTE kA4[] = {149, 153, 157, 161, 165};
const BYTE kA5[] = {149, 153, 157, 161};
const BYTE kA6[] = {36, 40, 44, 48};
const BYTE kA7[] = {36,  40,  44,  48,  52,  56,  60,  64,  100, 104, 108, 112,
                    116, 120, 124, 128, 132, 136, 140, 149, 153, 157, 161, 165};
const BYTE kA8[] = {52, 56, 60, 64};
const BYTE kA9[] = {34, 38, 42, 46};
const BYTE kA10[] = {34, 36, 38, 40, 42, 44, 46, 48, 52, 56, 60, 64};

struct ChannelList {
    const BYTE* channels;
    int count;
};
#define LIST(a) {a, (int)sizeof(a)}
const ChannelList kALists[] = {
    LIST(kA0), LIST(kA1), LIST(kA2), LIST(kA3), LIST(kA4), LIST(kA5),
    LIST(kA6), LIST(kA7), LIST(kA8), LIST(kA9), LIST(kA10),
};
#undef LIST

}  // namespace

void BuildChannelList(int networkType, int wirelessMode, int adhocMode, BYTE* out, int* count)
{
    int n = 0;
    bool infra = networkType == 1, adhoc = networkType == 0;
    bool onlyA = (infra && wirelessMode == 2) || (adhoc && adhocMode == 3);
    if (!onlyA) {
        int model = g_nModelIndex;
        if (model == 0 || model == 1 || (model >= 4 && model <= 8)) {
            ChannelRange r = BgRange(model, (int)(g_dwCountryRegion & 0x7F));
            for (int ch = r.first; ch <= r.last; ++ch) out[n++] = (BYTE)ch;
        }
        bool appendA = (infra && (wirelessMode == 2 || wirelessMode == 3 || wirelessMode == 5)) ||
                       (adhoc && (adhocMode == 3 || adhocMode == 4 || adhocMode == 5));
        if (!appendA) {
            *count = n;
            return;
        }
    }
    int aRegion = (int)((g_dwCountryRegion >> 8) & 0x7F);
    const ChannelList& a = kALists[aRegion <= 10 ? aRegion : 0];
    std::memcpy(out + n, a.channels, (size_t)a.count);
    n += a.count;
    *count = n;
}

BOOL QueryAdhocMode(int* mode)
{
    DWORD advanced[8] = {};
    DWORD returned = 0;
    if (!QueryOid(OID_VENDOR_ADVANCED_CONFIG, advanced, sizeof(advanced), &returned) ||
        returned < 5 * sizeof(DWORD))
        return FALSE;
    *mode = (int)advanced[4];
    return TRUE;
}
