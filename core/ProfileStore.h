// The profile store: one named set of connection settings per subkey of the
// adapter key's Profile\Station, one REG_SZ value per field, 51 values in a
// fixed order.  This file is the only place that knows the values' names,
// order and encodings: the profile editor writes and reads whole profiles
// through it, the profile page lists and activates them, and the 802.1X
// layer changes single values of the active one.
//
// Reading is forgiving: numbers are read like atoi (an empty text or one
// without digits is 0; a REG_DWORD is its number); a value that is missing,
// outside its range, or of kProfileTextMax characters or more leaves its
// field as it was, so a profile written by hand loads with the defaults for
// whatever it lacks.
#pragma once

#include <windows.h>
#include <vector>

#include "classlib/CString.h"

// A usable profile name has at most this many characters (the enumeration's
// name buffer is one byte longer).
constexpr int kProfileNameMax = 32;
// The readers' buffer: a value text of this many characters or more cannot
// be read back (at most kProfileTextMax - 1 are).
constexpr int kProfileTextMax = 128;
// The identifying bytes of a certificate kept in a profile.
constexpr int kCertDataMax = 152;

// The security tab's authentication and encryption choices.
enum ProfileAuthChoice {
    AUTH_CHOICE_OPEN = 0,
    AUTH_CHOICE_SHARED = 1,
    AUTH_CHOICE_LEAP = 2,
    AUTH_CHOICE_WPA = 3,
    AUTH_CHOICE_WPA_PSK = 4,
    AUTH_CHOICE_WPA2 = 5,
    AUTH_CHOICE_WPA2_PSK = 6,
    AUTH_CHOICE_WPA_NONE = 7
};
enum ProfileEncryptionChoice {
    ENCR_CHOICE_NONE = 0,
    ENCR_CHOICE_WEP = 1,
    ENCR_CHOICE_TKIP = 2,
    ENCR_CHOICE_AES = 3
};

// The 802.1X part of a profile or of a one-off connection.
struct Dot1xSettings {
    int eapMethod = 0;               // 0 PEAP, 1 TLS, 2 TTLS, 3 EAP-FAST, 4 MD5, 5 LEAP
    int tunnelEapType = 26;          // inner EAP type of PEAP and EAP-FAST: 26, 13 or 6
    int provisioningEapType = 26;    // EAP-FAST provisioning tunnel, in the same numbering
    int ttlsInnerMethod = 3;         // 1..5
    int sessionResumption = 0;
    CString identity;
    CString password;
    CString tunnelId;
    CString tunnelPassword;
    CString domainName;
    int passwordMode = 1;
    int useClientCert = 0;
    int useServerCert = 0;
    int usePac = 0;
    int provisionMode = 1;
    CString pacFilePath;
    int intermediateCert = 0;
    CString serverName;
    int nameRule = 0;
    int serverCertLength = 0;        // 0..kCertDataMax
    BYTE serverCert[kCertDataMax] = {};
    int clientCertLength = 0;
    BYTE clientCert[kCertDataMax] = {};
};

// A whole profile in the form the editor's tabs hold it.  The initial
// values are the tabs' defaults.
struct ProfileSettings {
    // System Config tab
    CString ssid;
    CString channel;                 // as the channel list shows it: "6", "J12"
    int networkType = 0;             // 1 infrastructure, 0 ad hoc
    int preamble = 0;                // 0 Auto, 1 Long
    int acPowerCam = 0;
    int powerSave = 0;               // 0 CAM, 1 PSM
    int txPower = 0;                 // 0 Auto, 1 100 %, ... 6 Lowest
    BOOL useRts = FALSE;
    int rtsThreshold = 2347;         // 0..2347
    BOOL useFrag = FALSE;
    int fragThreshold = 2346;        // 256..2346
    // Auth. \ Encry. tab
    int authChoice = AUTH_CHOICE_OPEN;
    int encryptionChoice = ENCR_CHOICE_NONE;
    BOOL use8021x = FALSE;
    int defaultKey = 0;              // 0..3
    int keyFormat[4] = {};           // 0 hexadecimal, 1 ASCII
    CString wepKey[4];               // as typed
    CString preSharedKey;            // as typed
    CString leapIdentity;
    CString leapPassword;
    CString leapDomain;
    int leapCipher = 0;              // 0 WEP, 1 WPA-TKIP, 2 WPA2-AES
    // 8021X tab
    Dot1xSettings dot1x;
};

// The 51 values in the order they are written.
enum ProfileValue {
    PV_SSID, PV_CHANNEL, PV_NETWORK_TYPE, PV_PREAMBLE_TYPE, PV_AC_POWER_CAM, PV_PS_MODE, PV_TX_POWER,
    PV_USE_RTS, PV_RTS_THRESH, PV_USE_FRAG, PV_FRAG_THRESH, PV_AUTHEN_TYPE, PV_ENCRYPTION,
    PV_LEAP_ENABLED, PV_LEAP_USER_NAME, PV_LEAP_PASSWORD, PV_LEAP_DOMAIN_NAME, PV_LEAP_ENCRY_TYPE,
    PV_WPAPSK, PV_WEP_KEY_USE,
    PV_WEP_KEY1_TYPE, PV_WEP_KEY2_TYPE, PV_WEP_KEY3_TYPE, PV_WEP_KEY4_TYPE,
    PV_WEP_KEY1, PV_WEP_KEY2, PV_WEP_KEY3, PV_WEP_KEY4,
    PV_USE_8021X, PV_AUTHEN_PROTOCOL, PV_TUNNEL_PROTOCOL, PV_PROVISIONING_TUNNEL,
    PV_ID, PV_PASSWORD, PV_DOMAIN_NAME, PV_TUNNEL_ID, PV_TUNNEL_PASSWORD,
    PV_SESSION_RESUMPTION, PV_PASSWORD_MODE, PV_USE_CLIENT_CERT, PV_USE_SERVER_CERT, PV_USE_PAC,
    PV_PROVISION_MODE, PV_PAC_FILE_PATH, PV_CLIENT_CERT_LEN, PV_CLIENT_CERT_DATA,
    PV_SERVER_CERT_LEN, PV_SERVER_CERT_DATA, PV_SERVER_NAME, PV_NAME_RULE, PV_INTERMEDIATE_CERT,
    PV_COUNT
};

// The value name of one of the 51 values.
const char* ProfileValueName(int value);

// The 51 value texts of one profile as stored (or to be stored).
struct ProfileValues {
    CString text[PV_COUNT];
    bool present[PV_COUNT] = {};

    // The value as a number, read like atoi ("12abc" is 12; "", "abc" and
    // "-" are 0; beyond an int it is held at INT_MAX or INT_MIN): FALSE only
    // when missing.
    BOOL GetInt(int value, int* out) const;
    int Int(int value, int preset) const;
    CString Text(int value) const { return present[value] ? text[value] : CString(); }
};

// Reads one number as the profile readers do (see ProfileValues::GetInt).
BOOL ParseProfileNumber(const char* text, int* out);

// ---- Encoding -------------------------------------------------------------
// Settings to value texts: every value present.
void EncodeProfile(const ProfileSettings& settings, ProfileValues& values);
// Value texts to settings, in value order; absent or unusable values leave
// their fields alone, except that the thresholds start from their defaults.
void DecodeProfile(const ProfileValues& values, ProfileSettings& settings);

// Channel texts: "J8", "J12", "J16" are 208, 212, 216.
int ChannelTextToNumber(const char* text);
CString ChannelNumberToText(int number);

// ---- The registry -----------------------------------------------------------
// Reads the 51 values of an open profile key.
void ReadProfileValues(HKEY key, ProfileValues& values);
// Writes the present values in order; a failed write is skipped.
void WriteProfileValues(HKEY key, const ProfileValues& values);

// Profile\Station\<name> under the adapter key; NULL when it does not open
// (or cannot be created) or the name is not a usable profile name.
HKEY OpenProfileKey(const char* name, REGSAM access);
HKEY CreateProfileKey(const char* name);
// A name that the store can keep: 1..kProfileNameMax characters, no "\".
BOOL IsUsableProfileName(const char* name);

// The whole profile: created or replaced value by value; FALSE when the
// key cannot be created.
BOOL WriteProfile(const char* name, const ProfileSettings& settings);
// FALSE (settings untouched) when the key does not open.
BOOL ReadProfile(const char* name, ProfileSettings& settings);
// One value of an existing profile (PAC file path, re-entered credentials).
BOOL WriteProfileValue(const char* name, int value, const char* text);
// One value of the active configuration: first in the adapter key, then in
// the key of the stored profile `name` when that is a usable profile name
// (an empty name writes the adapter key only).  A failed write is skipped;
// FALSE when either failed.
BOOL WriteActiveProfileValue(const char* name, int value, const char* text);

// The names of the stored profiles in enumeration order.  A subkey whose name
// is longer than kProfileNameMax is skipped and the enumeration goes on.
std::vector<CString> EnumProfileNames();

// Makes the profile the active configuration of the adapter key: every
// value of the profile key is copied; then each of the 51 values that the
// profile lacks or holds in a form the apply step does not take (a value of
// another type, a number of kProfileTextMax characters or more or beyond an
// int) is given its default, so that nothing of the previously active
// profile stays in force.  Also records the
// profile's Channel text in *channel when asked.  FALSE when either key does
// not open (nothing written).
BOOL CopyProfileToAdapterKey(const char* name, CString* channel = nullptr);

// Deletes the profile's key with all its values.
BOOL DeleteProfile(const char* name);
