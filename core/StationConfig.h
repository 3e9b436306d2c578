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
    StationText256 leapUserName;
    StationText256 leapPassword;
    StationText256 leapDomain;
    DWORD transmitSetting;
};

// The current profile: a deep copy of what the engine last applied (owned).
extern StationConfig* g_pCurProfile;
