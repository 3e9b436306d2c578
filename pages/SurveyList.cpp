#include "pages/SurveyList.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/BssIeFormatter.h"
#include "core/LinkState.h"
#include "core/ChannelTable.h"

namespace {

const DWORD kListHeader = offsetof(NDIS_802_11_BSSID_LIST_EX, Bssid);

// Field `index` of a section of the formatter is exactly "TRUE".
bool SectionFlag(const NDIS_WLAN_BSSID_EX* e, int section, size_t index)
{
    std::vector<CString> fields;
    SplitString(FormatBssIeInfo(e, section), ";", fields);
    return fields.size() > index && fields[index] == "TRUE";
}

} // namespace

std::vector<const NDIS_WLAN_BSSID_EX*> SurveyRecords(const BssidListBuffer* list)
{
    return BssidListEntries(list, BSSID_LIST_BUFFER_SIZE);
}

CString EntrySsid(const NDIS_WLAN_BSSID_EX* e)
{
    ULONG n = std::min<ULONG>(e->Ssid.SsidLength, sizeof(e->Ssid.Ssid));
    return CString(reinterpret_cast<const char*>(e->Ssid.Ssid), (int)n);
}

int SurveySignal(LONG rssi)
{
    if (rssi < -100) return -100;
    if (rssi > 0) return 0;
    return (int)rssi;
}

SurveyEntry MakeSurveyEntry(const NDIS_WLAN_BSSID_EX* e)
{
    SurveyEntry s;
    s.networkTypeImage = e->InfrastructureMode;
    s.ssid = EntrySsid(e);
    s.band = e->NetworkTypeInUse;
    int channel = BssidEntryChannel(e);
    if (channel >= 0) s.channel = FormatChannelNumber((DWORD)channel);
    s.secured = e->Privacy != 0 || FormatBssIeInfo(e, BSS_IE_SECURITY) != "Unknown;None";
    s.wps = SectionFlag(e, BSS_IE_WPS, 8);
    s.highThroughput = SectionFlag(e, BSS_IE_HT, 54);
    s.signal = SurveySignal(e->Rssi);
    return s;
}

void SortBssidList(BssidListBuffer* list, FILETIME* lastSeen, int key)
{
    if (!list) return;
    std::vector<const NDIS_WLAN_BSSID_EX*> records = SurveyRecords(list);
    if (records.empty()) return;

    struct Keyed {
        size_t index;       // position in list order
        CString ssid;
        int number;         // channel or signal
    };
    std::vector<Keyed> keyed;
    keyed.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        Keyed k{ i, CString(), 0 };
        if (key == SURVEY_SORT_SSID) k.ssid = EntrySsid(records[i]);
        else if (key == SURVEY_SORT_CHANNEL) k.number = BssidEntryChannel(records[i]);
        else k.number = SurveySignal(records[i]->Rssi);
        keyed.push_back(k);
    }
    // A stable sort keeps equal keys in list order.
    std::stable_sort(keyed.begin(), keyed.end(), [key](const Keyed& a, const Keyed& b) {
        if (key == SURVEY_SORT_SSID) return a.ssid.CompareNoCase(b.ssid) < 0;
        if (key == SURVEY_SORT_CHANNEL) return a.number < b.number;
        return a.number > b.number;
    });

    std::vector<BYTE> sorted(BSSID_LIST_BUFFER_SIZE, 0);
    std::vector<FILETIME> times;
    DWORD offset = kListHeader;
    for (const Keyed& k : keyed) {
        const NDIS_WLAN_BSSID_EX* e = records[k.index];
        memcpy(&sorted[offset], e, e->Length);
        offset += e->Length;
        if (lastSeen) times.push_back(lastSeen[k.index]);
    }
    reinterpret_cast<BssidListBuffer*>(sorted.data())->NumberOfItems = (ULONG)records.size();
    memcpy(list, sorted.data(), BSSID_LIST_BUFFER_SIZE);
    if (lastSeen) std::copy(times.begin(), times.end(), lastSeen);
}

CString SurveySignalText(int signal, BOOL showDbm)
{
    CString s;
    if (showDbm) s.Format("%d dBm", signal);
    else s.Format("%d%%", RssiToPercent(signal));
    return s;
}

COLORREF SurveyBarColour(int percent)
{
    if (percent > 75) return 0xC87814;
    if (percent > 50) return 0x46F064;
    if (percent > 25) return 0x32E6FA;
    return 0x2828F0;
}
