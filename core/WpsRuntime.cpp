// WPS run time: the controller's timers 4 to 7, the credential store and the
// rotation through the received credentials.
#include "core/WpsRuntime.h"

#include <cstdio>
#include <cstring>

#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "core/HexUtil.h"
#include "core/ControllerDoor.h"
#include "core/EngineDoor.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"

// Written by the WPS run (timer 6) and by SetOidFromReg's reload.
WpsCredentialBlock g_WscCredentials;
int g_nWscConfigMode = 0;
DWORD g_dwWscPinCode = 0;
// Written by ConnectWpsCredential, the WPS page and the WPS reload.
int g_nWpsCredIndex = 0;
int g_nWpsCredNext = 0;
BOOL g_bWpsRotate = TRUE;
// Cleared whenever a credential (not a registry profile) is applied.
BOOL g_bUseRegistryProfileSecurity = FALSE;

namespace {

const DWORD kCredentialPeriodMs = 10000;
const DWORD kStatusPeriodMs = 1000;
const DWORD kScanWaitMs = 20000;

// NDIS encryption status values (the WEP_STATUS OID).
const DWORD kNdisWep = 0, kNdisNone = 1, kNdisWepKeyAbsent = 2;
const DWORD kNdisTkip = 4, kNdisTkipKeyAbsent = 5, kNdisAes = 6, kNdisAesKeyAbsent = 7;
// NDIS authentication modes that take a pre-shared key.
const DWORD kNdisWpaPsk = 4, kNdisWpa2Psk = 7;

// Failure and time-out codes of the WPS status: the run is over.
bool IsWscFailure(DWORD code)
{
    switch (code) {
    case 0x104: case 0x105: case 0x106:
    case 0x201: case 0x202: case 0x203: case 0x204:
        return true;
    default:
        return false;
    }
}

DWORD SsidLength(const NDIS_802_11_SSID& s)
{
    return s.SsidLength > 32 ? 32 : s.SsidLength;
}

// The SSID's bytes as text, up to the length and the first NUL.
void SsidText(const NDIS_802_11_SSID& s, char out[33])
{
    DWORD n = SsidLength(s);
    std::memcpy(out, s.Ssid, n);
    out[n] = 0;
}

bool IsPskMode(DWORD ndisAuth) { return ndisAuth == kNdisWpaPsk || ndisAuth == kNdisWpa2Psk; }

// A WEP key text: 10 or 26 hex digits, or 5 or 13 characters.
bool IsHexWepLength(DWORD n) { return n == 10 || n == 26; }

// Writes a text of exactly len bytes (it may hold any byte).
BOOL WriteCountedText(HKEY key, const char* name, const void* text, DWORD len)
{
    return RegSetValueExA(key, name, 0, REG_SZ, static_cast<const BYTE*>(text), len) == ERROR_SUCCESS;
}

DWORD CredentialCount()
{
    return g_WscCredentials.count > WPS_MAX_CREDENTIALS ? WPS_MAX_CREDENTIALS : g_WscCredentials.count;
}

void StartTimer(UINT_PTR id, UINT ms)
{
    if (g_pControllerDoor) g_pControllerDoor->SetControllerTimer(id, ms);
}

void StopTimer(UINT_PTR id)
{
    if (g_pControllerDoor) g_pControllerDoor->KillControllerTimer(id);
}

// Timer 6 saw the run configured: take what the driver delivered.
void TakeDeliveredCredentials()
{
    WpsCredentialBlock delivered;
    std::memset(&delivered, 0, sizeof(delivered));
    DWORD returned = 0;
    // A failed read, or nothing usable in it, keeps what was stored before.
    if (!QueryOid(OID_VENDOR_WSC_CREDENTIALS, &delivered, sizeof(delivered), &returned)) return;
    if (KeepUsableWpsCredentials(&delivered, returned) == 0) return;
    g_WscCredentials = delivered;
    SaveWscProfiles();
    SaveWscFlag();
    g_nWpsCredIndex = 0;
    g_nWpsCredNext = 0;
    ConnectWpsCredential();
    StartTimer(IDT_WPS_CREDENTIAL, kCredentialPeriodMs);
}

void CredentialStep()
{
    if (g_bWscInUse && g_bWpsRotate && CredentialCount() > 0) {
        if (IsConnectedToWpsCredential()) StopTimer(IDT_WPS_CREDENTIAL);
        else ConnectWpsCredential();
    } else {
        StopTimer(IDT_WPS_CREDENTIAL);
    }
}

void ButtonStep()
{
    DWORD pressed = 0;
    QueryOid(OID_VENDOR_WSC_BUTTON, &pressed, sizeof(pressed), nullptr);
    if (!pressed) return;
    g_bWscInUse = TRUE;
    g_bWpsRotate = TRUE;
    StopTimer(IDT_WPS_CREDENTIAL);
    StopTimer(IDT_WPS_STATUS);
    StopTimer(IDT_WPS_SCAN);
    StartTimer(IDT_WPS_STATUS, kStatusPeriodMs);
    StartTimer(IDT_WPS_SCAN, kScanWaitMs);
}

void StatusStep()
{
    DWORD status = 0;
    if (!QueryOid(OID_VENDOR_WSC_STATUS, &status, sizeof(status), nullptr)) return;
    DWORD code = status & WSC_STATUS_CODE_MASK;
    if (code == WSC_STATUS_IDLE) {
        StopTimer(IDT_WPS_STATUS);
    } else if (code == WSC_STATUS_CONFIGURED) {
        StopTimer(IDT_WPS_CREDENTIAL);
        StopTimer(IDT_WPS_STATUS);
        StopTimer(IDT_WPS_SCAN);
        TakeDeliveredCredentials();
    } else if (IsWscFailure(code)) {
        StopTimer(IDT_WPS_CREDENTIAL);
        StopTimer(IDT_WPS_STATUS);
        StopTimer(IDT_WPS_SCAN);
    }
}

void ScanStep()
{
    if (g_pBssidList) QueryOid(OID_802_11_BSSID_LIST, g_pBssidList, BSSID_LIST_BUFFER_SIZE, nullptr);
    StopTimer(IDT_WPS_SCAN);
}

}  // namespace

DWORD WpsAuthToNdis(DWORD authType)
{
    switch (authType) {
    case WPS_AUTH_WPA_PSK: return 4;
    case WPS_AUTH_SHARED: return 1;
    case WPS_AUTH_WPA: return 3;
    case WPS_AUTH_WPA2: return 6;
    case WPS_AUTH_WPA2_PSK: return 7;
    default: return 0;
    }
}

DWORD WpsEncrToNdis(DWORD encrType)
{
    switch (encrType) {
    case WPS_ENCR_WEP: return kNdisWep;
    case WPS_ENCR_TKIP: return kNdisTkip;
    case WPS_ENCR_AES: return kNdisAes;
    default: return kNdisNone;
    }
}

BOOL IsUsableWpsCredential(const WpsCredential& c)
{
    if (c.ssid.SsidLength == 0 || c.ssid.SsidLength > 32) return FALSE;
    if (c.KeyIndex > 3 || c.KeyLength > sizeof(c.Key)) return FALSE;
    const char* key = reinterpret_cast<const char*>(c.Key);
    if (WpsEncrToNdis(c.EncrType) == kNdisWep) {
        // Anything else would put a key of the wrong size (or of zeros) in
        // place and look connected while nothing gets through.
        if (IsHexWepLength(c.KeyLength)) return IsHexString(key, (int)c.KeyLength);
        return c.KeyLength == 5 || c.KeyLength == 13;
    }
    if (IsPskMode(WpsAuthToNdis(c.AuthType))) {
        if (c.KeyLength == 64) return IsHexString(key, 64);
        // A passphrase is text: with a NUL in it, the supplicant would get
        // a shorter one than was checked.
        return c.KeyLength >= 8 && c.KeyLength <= 63 && !std::memchr(c.Key, 0, c.KeyLength);
    }
    return TRUE;
}

DWORD KeepUsableWpsCredentials(WpsCredentialBlock* block, DWORD bytesReturned)
{
    if (!block) return 0;
    const DWORD header = sizeof(block->count);
    DWORD whole = bytesReturned > header ? (bytesReturned - header) / sizeof(WpsCredential) : 0;
    DWORD count = bytesReturned >= header ? block->count : 0;
    if (count > WPS_MAX_CREDENTIALS) count = WPS_MAX_CREDENTIALS;
    if (count > whole) count = whole;
    DWORD kept = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!IsUsableWpsCredential(block->cred[i])) continue;
        if (kept != i) block->cred[kept] = block->cred[i];
        ++kept;
    }
    for (DWORD i = kept; i < WPS_MAX_CREDENTIALS; ++i) std::memset(&block->cred[i], 0, sizeof(block->cred[i]));
    block->count = kept;
    return kept;
}

StationConfig* BuildWpsStationConfig(const WpsCredential& c)
{
    if (!IsUsableWpsCredential(c)) return nullptr;
    StationConfig* p = AllocStationConfig();
    if (!p) return nullptr;
    p->leapEnabled = 0;
    SetOneOffRadioDefaults(p);
    p->infrastructureMode = 1;

    p->authMode = WpsAuthToNdis(c.AuthType);
    p->encryption = WpsEncrToNdis(c.EncrType);
    if (IsPskMode(p->authMode)) {
        std::memcpy(p->wpaPsk, c.Key, c.KeyLength);
        p->wpaPskLength = c.KeyLength;
    }
    if (p->encryption == kNdisWep) {
        BYTE key[13] = {};
        DWORD length = c.KeyLength;
        if (IsHexWepLength(length)) {
            length /= 2;
            HexStringToBytes(reinterpret_cast<const char*>(c.Key), key, (int)length);
        } else {
            std::memcpy(key, c.Key, length);
        }
        if (!SetStationWepKey(p, (int)c.KeyIndex, TRUE, key, length)) {
            FreeStationConfig(p);
            return nullptr;
        }
    }
    p->ssid.SsidLength = SsidLength(c.ssid);
    std::memcpy(p->ssid.Ssid, c.ssid.Ssid, p->ssid.SsidLength);
    std::memcpy(p->bssid, c.MacAddress, sizeof(p->bssid));
    p->matchByBssid = 0;
    p->disassociateFirst = 1;
    return p;
}

BOOL ConnectWpsCredential()
{
    g_bWscInUse = TRUE;
    g_bUseRegistryProfileSecurity = FALSE;
    // Not a stored profile: a failed login through a credential must neither
    // block the link nor ask for a profile's credentials.
    g_bConfigFromRegistry = FALSE;
    const int count = (int)CredentialCount();
    if (count == 0) return FALSE;
    // A credential that cannot be applied is passed over as a failed one
    // would be; without rotation the chosen one is all there is.
    for (int tried = 0; tried < count; ++tried) {
        if (g_bWpsRotate) g_nWpsCredIndex = g_nWpsCredNext;
        else g_nWpsCredNext = g_nWpsCredIndex;
        if (g_nWpsCredIndex < 0 || g_nWpsCredIndex >= count) g_nWpsCredIndex = g_nWpsCredNext = 0;

        StationConfig* record = BuildWpsStationConfig(g_WscCredentials.cred[g_nWpsCredIndex]);
        if (g_bWpsRotate) g_nWpsCredNext = (g_nWpsCredIndex + 1) % count;
        if (record) {
            // The request list owns the record from here.
            QueueAndConnect(CONNECT_APPLY, record);
            return TRUE;
        }
        if (!g_bWpsRotate) return FALSE;
    }
    return FALSE;
}

BOOL IsConnectedToWpsCredential()
{
    const int count = (int)CredentialCount();
    if (g_nWpsCredIndex < 0 || g_nWpsCredIndex >= count) return FALSE;
    const WpsCredential& c = g_WscCredentials.cred[g_nWpsCredIndex];

    DWORD media = 1;
    QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
    if (media != 0) return FALSE;

    NDIS_802_11_SSID ssid;
    std::memset(&ssid, 0, sizeof(ssid));
    QueryOid(OID_802_11_SSID, &ssid, sizeof(ssid), nullptr);
    char have[33], want[33];
    SsidText(ssid, have);
    SsidText(c.ssid, want);
    if (std::strcmp(have, want) != 0) return FALSE;

    DWORD auth = 0;
    QueryOid(OID_802_11_AUTHENTICATION_MODE, &auth, sizeof(auth), nullptr);
    if (auth != WpsAuthToNdis(c.AuthType)) return FALSE;

    DWORD wep = kNdisNone;
    QueryOid(OID_802_11_WEP_STATUS, &wep, sizeof(wep), nullptr);
    switch (c.EncrType) {
    case WPS_ENCR_WEP: return wep == kNdisWep || wep == kNdisWepKeyAbsent;
    case WPS_ENCR_TKIP: return wep == kNdisTkip || wep == kNdisTkipKeyAbsent;
    case WPS_ENCR_AES: return wep == kNdisAes || wep == kNdisAesKeyAbsent;
    default: return wep == kNdisNone;
    }
}

void SaveWscProfiles()
{
    HKEY adapter = OpenAdapterKey(KEY_READ | KEY_CREATE_SUB_KEY);
    if (!adapter) return;
    HKEY wsc = nullptr;
    LONG rc = RegCreateKeyExA(adapter, REGSTR_KEY_WSC_PROFILE, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, &wsc, nullptr);
    RegCloseKey(adapter);
    if (rc != ERROR_SUCCESS) return;

    const DWORD count = CredentialCount();
    WriteRegInt(wsc, REGSTR_WSC_NUMBER_OF_PROFILE, (int)count);
    WriteRegInt(wsc, REGSTR_WSC_CONFIG_MODE, g_nWscConfigMode);
    WriteRegInt(wsc, REGSTR_WSC_PIN_CODE, (int)g_dwWscPinCode);
    for (DWORD i = 0; i < WPS_MAX_CREDENTIALS; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), REGSTR_WSC_PROFILE_FORMAT, (int)i);
        if (i >= count) {
            // Credentials of an earlier, longer run are no longer in use.
            RegDeleteKeyA(wsc, name);
            continue;
        }
        const WpsCredential& c = g_WscCredentials.cred[i];
        HKEY k = nullptr;
        if (RegCreateKeyExA(wsc, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &k, nullptr) !=
            ERROR_SUCCESS)
            continue;
        DWORD keyLength = c.KeyLength > sizeof(c.Key) ? sizeof(c.Key) : c.KeyLength;
        // With its terminator, so that an SSID whose last octet is 0 comes
        // back whole.
        BYTE ssid[sizeof(c.ssid.Ssid) + 1] = {};
        std::memcpy(ssid, c.ssid.Ssid, SsidLength(c.ssid));
        WriteCountedText(k, REGSTR_WSC_SSID, ssid, SsidLength(c.ssid) + 1);
        WriteRegInt(k, REGSTR_WSC_AUTH_TYPE, (int)c.AuthType);
        WriteRegInt(k, REGSTR_WSC_ENCRY_TYPE, (int)c.EncrType);
        WriteRegInt(k, REGSTR_WSC_KEY_INDEX, (int)c.KeyIndex);
        WriteRegInt(k, REGSTR_WSC_KEY_LENGTH, (int)keyLength);
        WriteCountedText(k, REGSTR_WSC_KEY, c.Key, keyLength);
        RegSetValueExA(k, REGSTR_WSC_MAC_ADDRESS, 0, REG_BINARY, c.MacAddress, sizeof(c.MacAddress));
        RegCloseKey(k);
    }
    RegCloseKey(wsc);
}

void SaveWscFlag()
{
    if (g_strAdapterRegPath.IsEmpty()) return;
    HKEY adapter = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, g_strAdapterRegPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &adapter, nullptr) != ERROR_SUCCESS)
        return;
    WriteRegInt(adapter, REGSTR_PROFILE_WPS, g_bWscInUse ? 1 : 0);
    RegCloseKey(adapter);
}

void OnWpsTimer(UINT_PTR id)
{
    switch (id) {
    case IDT_WPS_CREDENTIAL: CredentialStep(); break;
    case IDT_WPS_BUTTON: ButtonStep(); break;
    case IDT_WPS_STATUS: StatusStep(); break;
    case IDT_WPS_SCAN: ScanStep(); break;
    default: break;
    }
}
