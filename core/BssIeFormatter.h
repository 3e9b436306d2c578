// The one interpreter of a BSS entry's information elements. A section comes
// back as one text of ";"-separated fields; callers address fields by
// position, so the order and the count of fields are fixed:
//   0 security (2 fields), 1 CCX (3), 2 WPS (9), 3 802.11n (55),
//   4 beacon interval (1, no ";"), anything else: empty text.
#pragma once

#include <windows.h>
#include <ntddndis.h>
#include "classlib/CString.h"
#include <vector>

enum BssIeSection {
    BSS_IE_SECURITY = 0,
    BSS_IE_CCX = 1,
    BSS_IE_WPS = 2,
    BSS_IE_HT = 3,
    BSS_IE_BEACON_INTERVAL = 4,
};

// Reads at most Length bytes of the entry, and of its elements at most
// min(IELength, Length - 116) bytes.
CString FormatBssIeInfo(const NDIS_WLAN_BSSID_EX* pBss, int section);

// Appends the non-empty pieces of text between delimiters to arr and returns
// the number of delimiters found; 0 (nothing appended) when there is none.
int SplitString(const CString& text, const CString& delimiter, std::vector<CString>& arr);
