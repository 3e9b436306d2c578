// The connection engine: callers queue requests, ConnectProfile drains them
// and turns each into the driver commands that a driver of this family
// expects, in this order.
#include "core/ConnectEngine.h"

#include <cstring>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ControllerDoor.h"
#include "core/HtSettingsDoor.h"
#include "core/EngineDoor.h"
#include "core/LinkState.h"
#include "core/MovableMemory.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/ChannelTable.h"

std::vector<ConnectRequest> g_ConnectRequests;
BssidListBuffer* g_pBssidList = nullptr;
BssidListBuffer* g_pBssidListCache = nullptr;
FILETIME g_BssidLastSeen[BSSID_LIST_MAX_AGED];
const int g_nScanAgeSeconds = 15;

BOOL g_bScanPending = FALSE;
BOOL g_bSkipNextScan = FALSE;
BOOL g_b8021xInUse = FALSE;
BOOL g_bHiddenSsidCancelled = FALSE;
BOOL g_bConfigFromRegistry = FALSE;
BOOL g_bAutoConnect = TRUE;
BOOL g_bWscInUse = FALSE;
CString g_strCurProfileName;
CHtSettingsDoor* g_pHtSettingsDoor = nullptr;

namespace {

const int kTries = 3;
const DWORD kEntryFixedPart = FIELD_OFFSET(NDIS_WLAN_BSSID_EX, IEs);   // 116
const DWORD kListHeader = FIELD_OFFSET(NDIS_802_11_BSSID_LIST_EX, Bssid);

static_assert(sizeof(NDIS_802_11_REMOVE_KEY) == 16, "the driver takes a 16-byte REMOVE_KEY");

// Desired rates of a mode when the record's own are not sent.
void ModeDesiredRates(int mode, BYTE out[8])
{
    static const BYTE b[8] = { 22, 11, 4, 2 };
    static const BYTE a[8] = { 108, 96, 72, 48, 36, 24, 18, 12 };
    static const BYTE bg[8] = { 108, 96, 72, 48, 22, 11, 4, 2 };
    std::memcpy(out, mode == 1 ? b : (mode == 2 || mode == 4) ? a : bg, 8);
}

bool IsHtMode(int mode) { return mode == 5 || mode == 6 || mode == 9; }

LONG TxPowerPercent(DWORD index)
{
    static const LONG kPercent[] = { -1, 100, 75, 50, 25, 10, 6 };
    return index < sizeof(kPercent) / sizeof(kPercent[0]) ? kPercent[index] : -1;
}

BOOL SetDword(DWORD oid, DWORD value, int tries = kTries)
{
    return SetOid(oid, &value, sizeof(value), nullptr, tries);
}

// The adapter key's CCX word for the join steps; 0 when it is missing.
DWORD StoredCcxWord()
{
    DWORD word = 0;
    ReadCcx2Control(&word);
    return word;
}

void FreeRequest(ConnectRequest& q)
{
    if (q.kind == CONNECT_APPLY) FreeStationConfig(static_cast<StationConfig*>(q.data));
    else FreeMovable(q.data);
    q.data = nullptr;
}

bool SameBssid(const NDIS_WLAN_BSSID_EX* a, const NDIS_WLAN_BSSID_EX* b)
{
    return std::memcmp(a->MacAddress, b->MacAddress, sizeof(a->MacAddress)) == 0;
}

bool ChannelAllowed(int channel, const BYTE* channels, int n)
{
    for (int i = 0; i < n; ++i)
        if (channels[i] == channel) return true;
    return false;
}

// ConnectProfile is draining the queue.
BOOL s_bConnecting = FALSE;

BOOL WepCheckOn() { return g_pControllerDoor && g_pControllerDoor->IsWepCheckOn(); }

void SetControllerTimer(UINT_PTR id, UINT ms)
{
    if (g_pControllerDoor) g_pControllerDoor->SetControllerTimer(id, ms);
}

void KillControllerTimer(UINT_PTR id)
{
    if (g_pControllerDoor) g_pControllerDoor->KillControllerTimer(id);
}

void TakeWepBaseline()
{
    if (g_pControllerDoor) g_pControllerDoor->TakeWepBaseline();
}

ULONGLONG FileTimeValue(const FILETIME& t) { return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime; }

// Builds a list from entries, oldest to newest, in a 64 KB buffer; an entry
// that would not fit (bytes or count) ends the list.
class CListBuilder {
public:
    explicit CListBuilder(BYTE* buf) : m_buf(buf) { std::memset(buf, 0, BSSID_LIST_BUFFER_SIZE); }
    bool Add(const NDIS_WLAN_BSSID_EX* e, const FILETIME* seen, FILETIME* times)
    {
        if (m_count >= BSSID_LIST_MAX_AGED || m_used + e->Length > BSSID_LIST_BUFFER_SIZE) return false;
        std::memcpy(m_buf + m_used, e, e->Length);
        if (times && seen) times[m_count] = *seen;
        m_used += e->Length;
        ++m_count;
        reinterpret_cast<BssidListBuffer*>(m_buf)->NumberOfItems = m_count;
        return true;
    }

private:
    BYTE* m_buf;
    DWORD m_used = kListHeader;
    ULONG m_count = 0;
};

}  // namespace

RateSetRecord RateSetFor(int mode)
{
    RateSetRecord r = {};
    if (mode == 1) {
        const BYTE b[] = { 0x82, 0x84, 0x8B, 0x96 };
        r.count = sizeof(b);
        std::memcpy(r.rates, b, sizeof(b));
    } else if (mode == 2 || mode == 4) {
        const BYTE a[] = { 0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C };
        r.count = sizeof(a);
        std::memcpy(r.rates, a, sizeof(a));
    } else {
        const BYTE bg[] = { 0x82, 0x84, 0x8B, 0x96, 0x12, 0x24, 0x48, 0x6C };
        const BYTE ext[] = { 0x8C, 0x98, 0xB0, 0x60 };
        r.count = sizeof(bg);
        std::memcpy(r.rates, bg, sizeof(bg));
        r.extCount = sizeof(ext);
        std::memcpy(r.extRates, ext, sizeof(ext));
    }
    return r;
}

// ---- Scan lists --------------------------------------------------------------

void AllocScanBuffers()
{
    g_pBssidList = static_cast<BssidListBuffer*>(AllocMovable(BSSID_LIST_BUFFER_SIZE));
    g_pBssidListCache = static_cast<BssidListBuffer*>(AllocMovable(BSSID_LIST_BUFFER_SIZE));
}

void FreeScanBuffers()
{
    FreeMovable(g_pBssidList);
    FreeMovable(g_pBssidListCache);
    g_pBssidList = g_pBssidListCache = nullptr;
}

std::vector<const NDIS_WLAN_BSSID_EX*> BssidListEntries(const BssidListBuffer* list, DWORD bytes,
                                                        bool skipOverlongElements)
{
    std::vector<const NDIS_WLAN_BSSID_EX*> out;
    if (!list) return out;
    if (bytes > BSSID_LIST_BUFFER_SIZE) bytes = BSSID_LIST_BUFFER_SIZE;
    if (bytes < kListHeader) return out;
    const BYTE* base = reinterpret_cast<const BYTE*>(list);
    DWORD offset = kListHeader;
    for (ULONG i = 0; i < list->NumberOfItems; ++i) {
        if (bytes - offset < kEntryFixedPart) break;
        const NDIS_WLAN_BSSID_EX* e = reinterpret_cast<const NDIS_WLAN_BSSID_EX*>(base + offset);
        ULONGLONG need = (ULONGLONG)kEntryFixedPart + e->IELength;
        if (e->Length < kEntryFixedPart || e->Length > bytes - offset) break;
        if (e->Length < need && !skipOverlongElements) break;
        if (e->Length >= need) out.push_back(e);
        offset += e->Length;
    }
    return out;
}

int BssidEntryChannel(const NDIS_WLAN_BSSID_EX* e)
{
    return FrequencyToChannel(e->Configuration.DSConfig);
}

void FilterBssidListByChannel(const BYTE* channels, int n)
{
    if (!g_pBssidList) return;
    std::vector<const NDIS_WLAN_BSSID_EX*> entries = BssidListEntries(g_pBssidList, BSSID_LIST_BUFFER_SIZE);
    // Kept entries move towards the front, so each is read before anything overwrites it.
    BYTE* base = reinterpret_cast<BYTE*>(g_pBssidList);
    DWORD offset = kListHeader;
    ULONG kept = 0;
    for (const NDIS_WLAN_BSSID_EX* e : entries) {
        if (!ChannelAllowed(BssidEntryChannel(e), channels, n)) continue;
        DWORD len = e->Length;
        std::memmove(base + offset, e, len);
        offset += len;
        ++kept;
    }
    std::memset(base + offset, 0, BSSID_LIST_BUFFER_SIZE - offset);
    g_pBssidList->NumberOfItems = kept;
}

// ---- Small driver settings -----------------------------------------------------

void SetCcx2Control(int keep, DWORD word)
{
    if (keep != 1) word = (word & ~0xFF00u & ~0x20u) | 0xFA00u;
    SetDword(OID_VENDOR_CCX_CONTROL, word);
}

UINT ScanWaitMs(DWORD wirelessMode)
{
    return (wirelessMode == 2 || wirelessMode == 3 || wirelessMode == 5) ? 5000 : 3000;
}

// ---- The 802.1X port around an apply ---------------------------------------------

void StopAuthentication()
{
    if (AuthPortObjectExists()) AuthPortStop(g_pAuthPort);
}

void RestartPskAuthentication()
{
    if (!AuthPortObjectExists()) return;
    AuthPortStop(g_pAuthPort);
    ApplyProfileToPort();
    AuthPortStart(g_pAuthPort);
}

void RestartAuthentication(BOOL bRestart)
{
    if (!bRestart) return;
    if (g_bShowAuthStatus && g_pControllerDoor) g_pControllerDoor->ShowAuthStatusPanel();
    RestartPskAuthentication();
}

BOOL CopyIdentityFromUi()
{
    if (!g_pCurProfile) return FALSE;
    if (g_pControllerDoor && g_pControllerDoor->PromptTunnelIdentity(g_pCurProfile->tunnelId)) return TRUE;
    // Without the configuration window nobody can be asked: the prompt
    // completes at once with the stored tunnel identity and password.
    g_pCurProfile->identityPromptDone = 1;
    return FALSE;
}

void CompleteIdentityPrompt(const char* identity, const char* password)
{
    if (!g_pCurProfile) return;
    lstrcpynA(g_pCurProfile->tunnelId, identity ? identity : "", sizeof(g_pCurProfile->tunnelId));
    lstrcpynA(g_pCurProfile->tunnelPassword, password ? password : "", sizeof(g_pCurProfile->tunnelPassword));
    g_pCurProfile->identityPromptDone = 1;
    AuthCredentialTexts texts = GetAuthCredentialTexts();
    lstrcpynA(texts.tunnelId, g_pCurProfile->tunnelId, sizeof(texts.tunnelId));
    lstrcpynA(texts.tunnelPassword, g_pCurProfile->tunnelPassword, sizeof(texts.tunnelPassword));
    SetAuthCredentialTexts(texts);
    RestartAuthentication(TRUE);
}

// ---- The queue -------------------------------------------------------------------

void ConnectIfRequested()
{
    QueueAndConnect(CONNECT_SCAN, nullptr);
}

void ClearConnectRequests()
{
    for (ConnectRequest& q : g_ConnectRequests) FreeRequest(q);
    g_ConnectRequests.clear();
    g_bScanPending = FALSE;   // its scan request is gone with the list
}

BOOL UpdateConnectRequest(int kind, void* p)
{
    if (kind < CONNECT_SCAN || kind > CONNECT_BSSID) return FALSE;
    if (kind != CONNECT_SCAN && !p) return FALSE;

    void* data = p;
    if (kind == CONNECT_APPLY) {
        if (g_pControllerDoor) g_pControllerDoor->ClearAdapterChanged();
        CopyStationConfig(&g_pCurProfile, static_cast<StationConfig*>(p));
    } else if (kind == CONNECT_SSID || kind == CONNECT_BSSID) {
        // The list keeps its own copy: callers pass their own records.
        data = CopyToMovable(p, kind == CONNECT_SSID ? sizeof(NDIS_802_11_SSID) : 6);
        if (!data) return FALSE;
    }

    bool placed = false, joinedPendingScan = false;
    for (size_t i = g_ConnectRequests.size(); i-- > 0;) {
        ConnectRequest& q = g_ConnectRequests[i];
        if ((int)q.kind != kind) continue;
        if (kind == CONNECT_SCAN) {
            // A scan already started stays at the head until its result is
            // taken; the new request is that scan.
            if (i == 0 && g_bScanPending) {
                placed = joinedPendingScan = true;
                continue;
            }
            g_ConnectRequests.erase(g_ConnectRequests.begin() + (std::ptrdiff_t)i);
        } else if (kind == CONNECT_APPLY) {
            if (!placed) {
                FreeRequest(q);
                q.data = data;
                placed = true;
            } else {
                FreeRequest(q);
                g_ConnectRequests.erase(g_ConnectRequests.begin() + (std::ptrdiff_t)i);
            }
        }
    }
    if (!placed) g_ConnectRequests.push_back(ConnectRequest{ (DWORD)kind, data });
    // Joined to a scan that runs: timer 2 goes on with the queue, and running
    // the engine now would take the result before the scan is done.
    if (joinedPendingScan) return FALSE;
    return g_ConnectRequests.size() == 1;
}

// ---- The engine ----------------------------------------------------------------

static void ApplyStationConfig(StationConfig* r);
static void SetChannel(DWORD khz);

// Step A: the scan result joins the aged list.
static void TakeScanResult()
{
    g_bScanPending = FALSE;
    BYTE channels[kMaxChannelListSize] = {};
    int n = 0;
    BuildChannelList(1, g_nWirelessMode, 0, channels, &n);

    if (g_pBssidList && g_pBssidListCache) {
        // A failed query reads as an empty list.
        g_pBssidList->NumberOfItems = 0;
        DWORD returned = 0;
        if (!QueryOid(OID_802_11_BSSID_LIST, g_pBssidList, BSSID_LIST_BUFFER_SIZE, &returned)) returned = 0;
        // Only entries that lie whole inside the answer are kept.
        std::vector<const NDIS_WLAN_BSSID_EX*> valid = BssidListEntries(g_pBssidList, returned);
        g_pBssidList->NumberOfItems = (ULONG)valid.size();
        FilterBssidListByChannel(channels, n);

        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        const ULONGLONG maxAge = (ULONGLONG)g_nScanAgeSeconds * 10000000ull;
        std::vector<BYTE> aged(BSSID_LIST_BUFFER_SIZE);
        std::vector<FILETIME> times(BSSID_LIST_MAX_AGED);
        CListBuilder list(aged.data());
        std::vector<const NDIS_WLAN_BSSID_EX*> fresh = BssidListEntries(g_pBssidList, BSSID_LIST_BUFFER_SIZE);
        for (const NDIS_WLAN_BSSID_EX* e : fresh)
            if (!list.Add(e, &now, times.data())) break;
        std::vector<const NDIS_WLAN_BSSID_EX*> old = BssidListEntries(g_pBssidListCache, BSSID_LIST_BUFFER_SIZE);
        for (size_t i = 0; i < old.size() && i < BSSID_LIST_MAX_AGED; ++i) {
            const NDIS_WLAN_BSSID_EX* e = old[i];
            bool seenAgain = false;
            for (const NDIS_WLAN_BSSID_EX* f : fresh)
                if (SameBssid(e, f)) seenAgain = true;
            if (seenAgain) continue;
            // The whole 64-bit time: its low half alone wraps every seven minutes.
            // A last-seen time in the future cannot be trusted and counts as old.
            ULONGLONG seen = FileTimeValue(g_BssidLastSeen[i]), at = FileTimeValue(now);
            if (seen > at || at - seen >= maxAge) continue;
            if (!ChannelAllowed(BssidEntryChannel(e), channels, n)) continue;
            if (!list.Add(e, &g_BssidLastSeen[i], times.data())) break;
        }
        std::memcpy(g_pBssidListCache, aged.data(), BSSID_LIST_BUFFER_SIZE);
        std::memcpy(g_BssidLastSeen, times.data(), sizeof(g_BssidLastSeen));
    }
    if (!g_ConnectRequests.empty() && g_ConnectRequests.front().kind == CONNECT_SCAN)
        g_ConnectRequests.erase(g_ConnectRequests.begin());
}

void ConnectProfile()
{
    // Requests queued while a step runs are taken by the running drain.
    if (s_bConnecting) return;
    s_bConnecting = TRUE;
    if (g_bScanPending) TakeScanResult();

    while (!g_ConnectRequests.empty()) {
        ConnectRequest q = g_ConnectRequests.front();
        if (q.kind == CONNECT_SCAN) {
            if (!g_bSkipNextScan) SetOid(OID_802_11_BSSID_LIST_SCAN, nullptr, 0, nullptr, kTries);
            else g_bSkipNextScan = FALSE;
            g_bScanPending = TRUE;
            DWORD mode = 0;
            QueryOid(OID_VENDOR_WIRELESS_MODE, &mode, sizeof(mode), nullptr);
            SetControllerTimer(IDT_RECONNECT, ScanWaitMs(mode));
            break;   // the scan entry stays at the head until its result is taken
        }
        g_ConnectRequests.erase(g_ConnectRequests.begin());
        if (q.kind == CONNECT_SSID || q.kind == CONNECT_BSSID) {
            g_bIcvError = FALSE;
            if (q.kind == CONNECT_SSID) {
                SetOid(OID_802_11_SSID, q.data, sizeof(NDIS_802_11_SSID), nullptr, kTries);
                SetCcx2Control(1, StoredCcxWord());
            } else {
                SetOid(OID_802_11_BSSID, q.data, 6, nullptr, kTries);
                SetCcx2Control(0, StoredCcxWord());
            }
            if (WepCheckOn()) TakeWepBaseline();
        } else if (q.kind == CONNECT_APPLY) {
            ApplyStationConfig(static_cast<StationConfig*>(q.data));
            q.data = nullptr;
        }
        FreeRequest(q);
    }
    s_bConnecting = FALSE;
}

// Step 8: the credentials and certificates go to the 802.1X layer and the
// port is configured and started.
static void ApplyDot1x(StationConfig* r)
{
    g_b8021xInUse = TRUE;
    SetAuthCredentialTexts(CredentialTextsOf(*r));
    if (r->leapEnabled == 1) {
        r->eapMethod = 5;
        if (g_pCurProfile) {
            g_pCurProfile->eapMethod = 5;
            lstrcpynA(g_pCurProfile->identity, r->leapUserName.text, sizeof(g_pCurProfile->identity));
            lstrcpynA(g_pCurProfile->tunnelPassword, r->leapPassword.text, sizeof(g_pCurProfile->tunnelPassword));
            lstrcpynA(g_pCurProfile->domainName, r->leapDomain.text, sizeof(g_pCurProfile->domainName));
        }
    }
    bool tokenCard = (r->eapMethod == 0 && r->innerMethod == 6) ||
                     (r->eapMethod == 3 && (r->innerMethod == 6 || r->provisioningTunnel == 6));
    // The user is asked for the one-time password: the port starts with it,
    // from the prompt's OK, rather than now with the stored one.
    bool asking = tokenCard && !r->identityPromptDone && CopyIdentityFromUi();
    g_bHiddenSsidCancelled = TRUE;
    if (r->useClientCert == 1) {
        std::memset(&g_AuthClientCert, 0, sizeof(g_AuthClientCert));
        g_AuthClientCert.length = r->clientCertLength > 152 ? 152 : r->clientCertLength;
        std::memcpy(g_AuthClientCert.data, r->clientCert, g_AuthClientCert.length);
    }
    if (r->useServerCert == 1) {
        std::memset(&g_AuthServerCert, 0, sizeof(g_AuthServerCert));
        g_AuthServerCert.length = r->serverCertLength > 152 ? 152 : r->serverCertLength;
        std::memcpy(g_AuthServerCert.data, r->serverCert, g_AuthServerCert.length);
    }
    if (asking) return;
    RestartAuthentication(r->infrastructureMode != 0 &&
                          (r->use8021x == 1 || r->encryption != Ndis802_11EncryptionDisabled || r->leapEnabled == 1));
}

// Step 16: wireless mode, advanced block, region, rates and CCX.
static void ApplyRadioBlock(StationConfig* r)
{
    int mode = g_nWirelessMode;
    BYTE rates[8];
    RateSetRecord rateSet = RateSetFor(mode);
    if (r->applyRadioSettings) {
        SetDword(OID_VENDOR_WIRELESS_MODE, (DWORD)mode);
        r->advanced[6] = 0;
        SetOid(OID_VENDOR_ADVANCED_CONFIG, r->advanced, sizeof(r->advanced), nullptr, kTries);
        if (g_bRegionBgFlag || g_bRegionAFlag) {
            SetDword(OID_VENDOR_COUNTRY_REGION, r->region);
            InitRegionAndChannel();
        }
        if (!IsHtMode(mode)) {
            SetOid(OID_802_11_DESIRED_RATES, r->desiredRates, sizeof(r->desiredRates), nullptr, kTries);
            SetOid(OID_VENDOR_RATE_SETS, &rateSet, sizeof(rateSet), nullptr, kTries);
        }
        SetCcx2Control(r->matchByBssid == 1 ? 0 : 1, r->ccxControl);
        return;
    }

    // The driver's own advanced block goes back unchanged; one that was never
    // read is read first, so that its words are not replaced by zeros.
    if (!g_bAdvancedConfigValid &&
        QueryOid(OID_VENDOR_ADVANCED_CONFIG, g_AdvancedConfig, sizeof(g_AdvancedConfig), nullptr))
        g_bAdvancedConfigValid = TRUE;
    if (g_bAdvancedConfigValid) {
        g_AdvancedConfig[6] = 0;
        SetOid(OID_VENDOR_ADVANCED_CONFIG, g_AdvancedConfig, sizeof(g_AdvancedConfig), nullptr, kTries);
    }
    if (g_bRegionBgFlag || g_bRegionAFlag) {
        SetDword(OID_VENDOR_COUNTRY_REGION, g_dwCountryRegion);
        InitRegionAndChannel();
    }
    if (IsHtMode(mode)) {
        DesiredRatesFromTransRate(mode, 0, g_dwTransmitSetting, rates);
        SetOid(OID_802_11_DESIRED_RATES, rates, sizeof(rates), nullptr, kTries);
    } else {
        ModeDesiredRates(mode, rates);
        SetOid(OID_802_11_DESIRED_RATES, rates, sizeof(rates), nullptr, kTries);
        SetOid(OID_VENDOR_RATE_SETS, &rateSet, sizeof(rateSet), nullptr, kTries);
    }
}

// The kind-1 sequence.  Failed sets are retried by the channel and otherwise
// ignored: the sequence always runs to its end.  Frees r.
static void ApplyStationConfig(StationConfig* r)
{
    if (!r) return;
    StopAuthentication();
    g_b8021xInUse = FALSE;
    if (WepCheckOn()) KillControllerTimer(IDT_WEP_CHECK);

    if (r->disassociateFirst) SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, kTries);
    SetDword(OID_VENDOR_WSC_IN_USE, g_bWscInUse ? 1 : 0);
    SetDword(OID_802_11_RELOAD_DEFAULTS, 0);   // reload the WEP keys' defaults

    SetDword(OID_802_11_INFRASTRUCTURE_MODE, r->infrastructureMode);
    if (r->infrastructureMode == Ndis802_11Infrastructure) r->preamble = 2;
    SetDword(OID_VENDOR_PREAMBLE, r->preamble);

    SetDword(OID_802_11_RTS_THRESHOLD, r->rtsThreshold);
    SetDword(OID_802_11_FRAGMENTATION_THRESHOLD, r->fragThreshold);
    SetDword(OID_802_11_AUTHENTICATION_MODE, r->authMode);
    SetDword(OID_802_11_WEP_STATUS, r->encryption);
    SetDword(OID_VENDOR_TX_POWER, (DWORD)TxPowerPercent(r->txPowerIndex));

    bool needs8021x = r->authMode == Ndis802_11AuthModeWPA || r->authMode == Ndis802_11AuthModeWPA2 ||
                      ((r->authMode == Ndis802_11AuthModeOpen || r->authMode == Ndis802_11AuthModeShared) &&
                       r->use8021x) ||
                      r->leapEnabled == 1;
    if (g_hAuthPort != 0 && needs8021x) ApplyDot1x(r);

    SetDword(OID_VENDOR_LEAP, r->leapEnabled ? 1 : 0);

    if (r->authMode == Ndis802_11AuthModeWPAPSK || r->authMode == Ndis802_11AuthModeWPA2PSK) {
        g_b8021xInUse = TRUE;
        RestartPskAuthentication();
    }

    if (r->authMode == Ndis802_11AuthModeWPANone && r->wpaNoneKey) {
        SetOid(OID_802_11_ADD_KEY, r->wpaNoneKey, r->wpaNoneKeySize, nullptr, 1);
        FreeKeyBlob(r->wpaNoneKey);
        r->wpaNoneKey = nullptr;
        r->wpaNoneKeySize = 0;
    }

    if (r->authMode == Ndis802_11AuthModeShared || r->encryption == Ndis802_11WEPEnabled) {
        bool owned = StationConfigOwnsWepKeys(r) != FALSE;
        for (int i = 0; i < 4; ++i) {
            StationKeyBlob& k = r->wepKey[i];
            if (owned && k.size != 0 && k.key) {
                SetOid(OID_802_11_ADD_KEY, k.key, k.size, nullptr, kTries);
                FreeKeyBlob(k.key);
                k.key = nullptr;
                k.size = 0;
            } else {
                NDIS_802_11_REMOVE_KEY remove = {};
                remove.Length = sizeof(remove);
                remove.KeyIndex = (ULONG)i;
                std::memset(remove.BSSID, 0xFF, sizeof(remove.BSSID));
                SetOid(OID_802_11_REMOVE_KEY, &remove, sizeof(remove), nullptr, kTries);
            }
        }
    }

    if (r->infrastructureMode == Ndis802_11IBSS) {
        SetChannel(r->adhocChannelKHz);
    } else {
        SetDword(OID_802_11_POWER_MODE, r->powerMode);
        if (g_wDriverVersion >= 0x0501) SetDword(OID_VENDOR_AC_POWER_CAM, r->acPowerCam);
    }

    if (r->adhocChannelKHz == 2484000) r->transmitSetting &= ~(1u << 11);   // no 40 MHz on channel 14

    if (g_bHtDevice) {
        BYTE ht[12] = {};
        QueryOid(OID_VENDOR_HT_PHY, ht, sizeof(ht), nullptr);
        DWORD ts = r->transmitSetting;
        BYTE phyMode = (BYTE)((ts >> 14) & 3);
        if (g_pHtSettingsDoor) {
            // The window is open: its advanced page's controls decide, and
            // channel 14 still allows no 40 MHz.
            ts = (ts & 0xF) | (g_pHtSettingsDoor->HtSettingFromControls() & ~0xFu);
            if (r->adhocChannelKHz == 2484000) ts &= ~(1u << 11);
            phyMode = 2;
        }
        DWORD low = ts & 0xF;
        std::memcpy(ht, &low, sizeof(low));
        ht[4] = phyMode;
        ht[5] = (BYTE)((ts >> 16) & 1);
        ht[7] = (BYTE)((ts >> 4) & 0x7F);
        ht[8] = (BYTE)((ts >> 11) & 1);
        ht[9] = (BYTE)((ts >> 13) & 1);
        ht[10] = (BYTE)((ts >> 12) & 1);
        SetOid(OID_VENDOR_HT_PHY, ht, sizeof(ht), nullptr, kTries);
    }

    ApplyRadioBlock(r);

    if (r->matchByBssid) {
        SetChannel(r->adhocChannelKHz);
        SetOid(OID_802_11_BSSID, r->bssid, sizeof(r->bssid), nullptr, kTries);
        SetCcx2Control(0, StoredCcxWord());
    } else {
        SetOid(OID_802_11_SSID, &r->ssid, sizeof(r->ssid), nullptr, kTries);
        SetCcx2Control(1, StoredCcxWord());
    }

    g_bIcvError = FALSE;
    if ((r->authMode == Ndis802_11AuthModeOpen || r->authMode == Ndis802_11AuthModeShared) &&
        r->encryption == Ndis802_11WEPEnabled && r->infrastructureMode != Ndis802_11IBSS) {
        if (g_pControllerDoor) g_pControllerDoor->SetWepCheck(TRUE);
        TakeWepBaseline();
        SetControllerTimer(IDT_WEP_CHECK, 10000);
    } else if (g_pControllerDoor) {
        g_pControllerDoor->SetWepCheck(FALSE);
    }
    FreeStationConfig(r);
}

// Ad hoc and BSSID joins name their channel: the driver's configuration
// record with DSConfig replaced.
static void SetChannel(DWORD khz)
{
    NDIS_802_11_CONFIGURATION config = {};
    config.Length = sizeof(config);
    QueryOid(OID_802_11_CONFIGURATION, &config, sizeof(config), nullptr);
    config.DSConfig = khz;
    SetOid(OID_802_11_CONFIGURATION, &config, sizeof(config), nullptr, kTries);
}
