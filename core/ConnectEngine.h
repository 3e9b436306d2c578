// Connection engine: the connect-request list that ConnectProfile drains,
// the fixed sequence of OID sets that applies a StationConfig, and the scan
// lists (the driver's latest answer and the aged list).
#pragma once

#include <windows.h>
#include "classlib/CString.h"
#include <ntddndis.h>
#include <vector>

#include "core/StationConfig.h"

#define BSSID_LIST_BUFFER_SIZE 65536
#define BSSID_LIST_MAX_AGED 1024       // entries of the aged list (one last-seen time each)
typedef NDIS_802_11_BSSID_LIST_EX BssidListBuffer;   // 64 KB, entries chained by their Length

enum ConnectRequestKind {
    CONNECT_SCAN = 0,      // data NULL
    CONNECT_APPLY = 1,     // data: a StationConfig the request owns
    CONNECT_SSID = 2,      // data: an NDIS_802_11_SSID (36 bytes)
    CONNECT_BSSID = 3      // data: a 6-byte BSSID
};

struct ConnectRequest {
    DWORD kind;
    void* data;
};

// The queue, oldest first.  Written by UpdateConnectRequest and the engine;
// emptied at exit (ClearConnectRequests).
extern std::vector<ConnectRequest> g_ConnectRequests;

// The scan buffers: allocated by the controller's OnInitDialog
// (AllocScanBuffers), freed in its OnDestroy (FreeScanBuffers); written by
// the engine's scans and, under Zero Configuration, by InitAdapter.
// g_pBssidList is the driver's latest answer (channels the mode allows only);
// the cache is the aged list, g_BssidLastSeen[i] the last scan that showed
// its entry i (written with the cache).
extern BssidListBuffer* g_pBssidList;
extern BssidListBuffer* g_pBssidListCache;
extern FILETIME g_BssidLastSeen[BSSID_LIST_MAX_AGED];
// How long an access point missing from the scans stays in the aged list.
extern const int g_nScanAgeSeconds;

// Flags of the engine (UI thread), written by the engine unless said.
extern BOOL g_bScanPending;          // a scan was started, its result not taken yet (also InitAdapter)
extern BOOL g_bSkipNextScan;         // the next scan request sends no scan OID (set through SkipNextScan)
extern BOOL g_b8021xInUse;           // the last applied record runs 802.1X or a PSK through the port
extern BOOL g_bHiddenSsidCancelled;  // set when an 802.1X record is applied
extern BOOL g_bConfigFromRegistry;   // the current profile came from the adapter key (SetOidFromReg, pages)
extern BOOL g_bAutoConnect;          // cleared by an authentication failure of a stored profile (binding)
extern BOOL g_bWscInUse;             // the connection uses a WPS credential (SetOidFromReg, WPS run time)
extern CString g_strCurProfileName;  // the profile last activated on the profile page

// Both 64 KB buffers, zeroed (a buffer that cannot be had stays NULL).
void AllocScanBuffers();
void FreeScanBuffers();

// Queues a request (CONNECT_APPLY: the list owns the record from here and it
// becomes the current profile; SSID and BSSID are copied).  TRUE when it is
// the only request, so the caller runs the engine.
BOOL UpdateConnectRequest(int kind, void* p);
// Drains the list: each request becomes the driver commands it stands for;
// a scan stays at the head until timer 2 takes its result.
void ConnectProfile();
// Asks for a scan and, when the queue was empty, runs the engine.
void ConnectIfRequested();
// Empties the connect-request list, freeing what each entry owns.
void ClearConnectRequests();

// Keeps in g_pBssidList, in their order, only the entries whose channel is
// one of the n channel numbers.
void FilterBssidListByChannel(const BYTE* channels, int n);

// The entries of a scan list that lie wholly inside its first `bytes` bytes
// (never more than BSSID_LIST_BUFFER_SIZE), at most NumberOfItems of them.
// The walk stops at the first entry whose Length is below 116 + IELength or
// that reaches past the end, so a damaged answer never loops or overruns.
// With skipOverlongElements an entry whose elements alone overrun its Length
// is passed over instead, its Length still leading to the next one.
std::vector<const NDIS_WLAN_BSSID_EX*> BssidListEntries(const BssidListBuffer* list, DWORD bytes,
                                                        bool skipOverlongElements = false);
// The channel of an entry by its DSConfig in g_ChannelTable; -1 when none.
int BssidEntryChannel(const NDIS_WLAN_BSSID_EX* e);

// The 26-byte OID_VENDOR_RATE_SETS record: supported and extended rates,
// 500 kbit/s units, 0x80 marks a basic rate.
#pragma pack(push, 1)
struct RateSetRecord {
    BYTE count;
    BYTE rates[12];
    BYTE extCount;
    BYTE extRates[12];
};
#pragma pack(pop)
static_assert(sizeof(RateSetRecord) == 26, "rate set record layout");
// The rate sets of a wireless mode (none is sent in the 802.11n modes).
RateSetRecord RateSetFor(int mode);

// Sets OID_VENDOR_CCX_CONTROL.  Unless keep is 1 the roaming threshold
// (bits 8-15) becomes 0xFA and fast roaming (bit 5) is cleared.
void SetCcx2Control(int keep, DWORD word);

// How long the engine lets the driver scan: 5 s in the modes that also scan
// the 5 GHz band (2, 3, 5), else 3 s.
UINT ScanWaitMs(DWORD wirelessMode);

// The 802.1X port around an apply: each does nothing without a port object.
void StopAuthentication();
void RestartAuthentication(BOOL bRestart);
void RestartPskAuthentication();

// Asks the user for the tunnel identity and one-time password of a token-card
// method: seeds and shows the PEAP setting panel.  Nothing is copied into the
// current profile here; the panel hands the entries back with
// CompleteIdentityPrompt once the user confirms them.  TRUE while the user
// is asked; without the configuration window the prompt counts as done at
// once, with the stored tunnel identity and password (FALSE).
BOOL CopyIdentityFromUi();
// The user's entries for the prompt above: they become the current profile's
// tunnel identity and password, the prompt counts as done, and the port is
// configured and started again with them.
void CompleteIdentityPrompt(const char* identity, const char* password);
