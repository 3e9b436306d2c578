// The rows of the site survey and the order of the aged scan list they come
// from: what the page shows of one BSS entry, and how the list is sorted.
// Nothing here touches a window or the driver.
#pragma once

#include <windows.h>
#include <ntddndis.h>
#include <vector>

#include "classlib/CString.h"
#include "core/ConnectEngine.h"

// One row of the survey list, rebuilt whole on every refresh.
struct SurveyEntry {
    DWORD connected = 0;          // 1 on the row of the current link
    DWORD networkTypeImage = 0;   // InfrastructureMode: 0 ad hoc, 1 infrastructure, 2 automatic
    CString ssid;                 // the SSID bytes, at most 32
    DWORD band = 0;               // NetworkTypeInUse: 0 FH, 1 DSSS, 2 OFDM 5 GHz, 3 OFDM 2.4 GHz
    CString channel;              // "%u", "J8"/"J12"/"J16", or empty off the channel table
    DWORD secured = 0;            // privacy bit, or any security element
    DWORD wps = 0;                // the access point carries a WPS element
    DWORD highThroughput = 0;     // the access point carries HT information
    int signal = 0;               // dBm, -100 to 0
};

// Sort keys: the index of the checked sort radio button.
enum SurveySortKey {
    SURVEY_SORT_SSID = 0,
    SURVEY_SORT_CHANNEL = 1,
    SURVEY_SORT_SIGNAL = 2
};

// Images of bitmap 167, by index.
enum SurveyImage {
    SURVEY_IMAGE_ADHOC = 0,
    SURVEY_IMAGE_INFRASTRUCTURE = 1,
    SURVEY_IMAGE_BAND_A = 2,
    SURVEY_IMAGE_BAND_B = 3,
    SURVEY_IMAGE_BAND_G = 4,
    SURVEY_IMAGE_SECURED = 5,
    SURVEY_IMAGE_CONNECTED = 6,
    SURVEY_IMAGE_NOT_CONNECTED = 7,
    SURVEY_IMAGE_WPS = 8,
    SURVEY_IMAGE_BAND_N = 9,
    SURVEY_IMAGE_COUNT = 10
};

// The whole entries of a scan list, in list order (never past 64 KB, never
// more than its count; the walk stops at the first damaged entry).
std::vector<const NDIS_WLAN_BSSID_EX*> SurveyRecords(const BssidListBuffer* list);

// The SSID bytes of an entry, as many as its length says but never more than 32.
CString EntrySsid(const NDIS_WLAN_BSSID_EX* e);

// The RSSI as the list shows it.  Real readings lie between -100 and 0 dBm;
// a driver's value outside that range is held at the nearer end, so that
// -101 dBm reads as no signal rather than as full strength.
int SurveySignal(LONG rssi);

// One row from one scan-list entry (connected 0).
SurveyEntry MakeSurveyEntry(const NDIS_WLAN_BSSID_EX* e);

// Sorts the scan list in place by the key (ascending SSID without regard to
// case, ascending channel, or strongest signal first).  Entries with equal
// keys keep their order.  lastSeen, when given, holds one time per entry and
// moves with its entry.  A damaged tail is dropped and the count follows.
void SortBssidList(BssidListBuffer* list, FILETIME* lastSeen, int key);

// The signal column's text: "%d dBm", or "%d%%" of RssiToPercent.
CString SurveySignalText(int signal, BOOL showDbm);
// The signal bar's colour for a percentage.
COLORREF SurveyBarColour(int percent);
