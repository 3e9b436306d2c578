// Channel numbers and centre frequencies, and the channels the adapter may
// use by model, region codes and modes.
#pragma once

#include <windows.h>
#include "classlib/CString.h"

struct ChannelRow {
    DWORD channel;
    DWORD freqKHz;
};

constexpr int kChannelTableRows = 49;
// Base of the three 4.9 GHz Japan channels at the end of the table (200 + 8, 12, 16).
constexpr DWORD kJapanChannelBase = 200;
extern ChannelRow g_ChannelTable[kChannelTableRows];   // fixed: never written

// First row whose channel (or frequency) matches; 0 / -1 when no row holds it.
DWORD ChannelToFrequency(DWORD channel);
int FrequencyToChannel(DWORD freqKHz);
// "J8", "J12", "J16" for the Japan channels, else "%u".
CString FormatChannelNumber(DWORD channel);

// Most channels BuildChannelList writes.
constexpr int kMaxChannelListSize = 14 + 24;

// networkType 1 infrastructure, 0 ad hoc.  Uses g_nModelIndex and the two
// region codes of g_dwCountryRegion.  out must hold kMaxChannelListSize bytes.
void BuildChannelList(int networkType, int wirelessMode, int adhocMode, BYTE* out, int* count);

// The driver's ad hoc mode (word 4 of OID_VENDOR_ADVANCED_CONFIG).  When the
// query fails *mode is left as it was and FALSE is returned.
BOOL QueryAdhocMode(int* mode);
