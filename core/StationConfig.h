// One network's whole configuration: what to join, how, and the radio settings.
#pragma once

#include <windows.h>
#include <ntddndis.h>

// Key blob sizes are the driver's NDIS_802_11_KEY: key length + 39.
struct StationKeyBlob {
    NDIS_802_11_KEY* key;
    DWORD size;        // 0 = no key
};

struct StationText256 {
    char text[256];
    DWORD length;
};

struct StationConfig {
    DWORD matchByBssid;
    NDIS_802_11_SSID ssid;
    BYTE bssid[6];
    DWORD infrastructureMode;
    DWORD preamble;
    DWORD rtsThreshold;
    DWORD fragThreshold;
    DWORD authMode;
    DWORD encryption;
    DWORD txPowerIndex;
    NDIS_802_11_KEY* wpaNoneKey;
    DWORD wpaNoneKeySize;
    StationKeyBlob wepKey[4];
    DWORD powerMode;
    DWORD acPowerCam;
    DWORD adhocChannelKHz;
    DWORD disassociateFirst;
    DWORD applyRadioSettings;
    BYTE desiredRates[8];
    DWORD advanced[8];
    DWORD ccxControl;
    DWORD region;
    DWORD use8021x;
    DWORD eapMethod;
    DWORD innerMethod;
    DWORD provisioningTunnel;
    DWORD ttlsInnerMethod;
    DWORD sessionResumption;
    DWORD useClientCert;
    DWORD useServerCert;
    DWORD usePac;
    DWORD provisionMode;
    char pacFilePath[256];
    DWORD intermediateCert;
    DWORD nameRule;
    char identity[128];
    char password[128];
    char tunnelId[128];
    char tunnelPassword[128];
    char serverName[128];
    char domainName[128];
    char wpaPsk[64];           // passphrase, or 64 hex digits (then not terminated)
    DWORD wpaPskLength;
    DWORD passwordMode;
    DWORD serverCertLength;
    BYTE serverCert[152];
    DWORD clientCertLength;
    BYTE clientCert[152];
    BYTE leapEnabled;
    BYTE identityPromptDone;   // the user confirmed the one-time tunnel identity and password
    BYTE leapCckm;             // a LEAP join from the survey: CCX2Control bit 1 (LEAP CCKM)
    StationText256 leapUserName;
    StationText256 leapPassword;
    StationText256 leapDomain;
    DWORD transmitSetting;
};

// Pointers are 8 bytes in this 64-bit build, so the record is 2472 bytes
// (2460 in a 32-bit build); allocations and copies use sizeof, never a number.
// identityPromptDone and leapCckm lie in the padding after leapEnabled.
static_assert(sizeof(StationConfig) == 2472, "StationConfig layout");

// The current profile: a deep copy of what the engine last applied (owned);
// written by the connection engine, freed by the controller's OnDestroy.
extern StationConfig* g_pCurProfile;

// A new record: movable, zero-filled, locked; NULL when out of memory.
StationConfig* AllocStationConfig();
// A one-off connection (a survey join, a WPS credential) leaves the stored
// radio settings alone: radio settings off, CAM and power save 0, RTS 2347,
// fragmentation 0, preamble 2, transmit power 0.
void SetOneOffRadioDefaults(StationConfig* p);
// The record owns key blobs only by this rule: authMode 5 (WPA-None) the
// WPA-None blob; authMode 1 (shared) or encryption 0 (WEP) the WEP blobs of
// non-zero size; otherwise none.
BOOL StationConfigOwnsWpaNoneKey(const StationConfig* p);
BOOL StationConfigOwnsWepKeys(const StationConfig* p);
// A key blob: Length = key length + 39, KeyIndex with bit 31 for the
// transmit key, BSSID FF:FF:FF:FF:FF:FF, KeyRSC 0, the key at offset 32.
NDIS_802_11_KEY* AllocKeyBlob(DWORD keyIndex, BOOL transmit, const BYTE* key, DWORD keyLength, DWORD* size);
void FreeKeyBlob(NDIS_802_11_KEY* blob);
// Replaces WEP key i (0-3) of the record; keyLength 0 removes it.
BOOL SetStationWepKey(StationConfig* p, int index, BOOL transmit, const BYTE* key, DWORD keyLength);
// Replaces the WPA-None key (32 bytes, 71-byte blob, KeyIndex 0x80000000).
BOOL SetStationWpaNoneKey(StationConfig* p, const BYTE key[32]);
// Frees the blobs by the rule, then the record.  NULL is allowed.
void FreeStationConfig(StationConfig* p);
// Frees *dst when set, then makes it a deep copy of src with blobs of its
// own by the rule.  FALSE (and *dst NULL) when out of memory or src is NULL.
BOOL CopyStationConfig(StationConfig** dst, const StationConfig* src);
