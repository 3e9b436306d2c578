// Applying the stored configuration: the adapter key's active values (or the
// stored WPS credentials) become a StationConfig queued for the connection
// engine.
#pragma once

#include <windows.h>

// 1: a single-sign-on logon is pending.  Set by the controller at start-up,
// written by ReadSsoSettings, cleared by SetOidFromReg once it has decided.
extern BOOL g_bSsoPending;
extern BYTE g_LastBssid[6];            // the BSSID last joined; cleared when the profile page is made
// The last advanced block read from the driver (OID_VENDOR_ADVANCED_CONFIG),
// written by SetOidFromReg, sent back by an apply that leaves the radio
// settings alone.
extern DWORD g_AdvancedConfig[8];
extern BOOL g_bAdvancedConfigValid;  // g_AdvancedConfig holds a block read from the driver
// Adapter key ShowAuthStatus: show the authentication status panel during 802.1X.
extern BOOL g_bShowAuthStatus;
// The stored 802.11n transmit setting (TransmitSetting) of the last apply that
// found one; the rates follow it.  An apply without the value leaves it alone.
extern DWORD g_dwTransmitSetting;

// Builds a StationConfig from the adapter key (or connects with the stored
// WPS credential when WSC is set) and queues it.  bApplyRadio: the radio
// settings (wireless mode, 802.11n setting, region, advanced block, rates)
// are read and sent too.
void SetOidFromReg(BOOL bApplyRadio);
// Reads the single-sign-on state of the Winlogon key into g_bSsoPending.
void ReadSsoSettings();
// SetOidFromReg's first step: g_WscCredentials (and the WPS configuration
// mode and PIN) from the adapter key's WscProfile.
void ReloadWpsCredentials();

// The desired rates (500 kbit/s units) of a fixed rate index TransRate in a
// wireless mode; transmitSetting gives the MCS field of the 802.11n modes.
void DesiredRatesFromTransRate(int wirelessMode, int transRate, DWORD transmitSetting, BYTE out[8]);
