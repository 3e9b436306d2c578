// The registry configuration store: the adapter key (g_strAdapterRegPath
// under HKEY_LOCAL_MACHINE) and its subkeys, the readers and writers of
// single values, the installer's run-once choices, and the system facts
// worked out once at start.
//
// Texts are REG_SZ written with their length as the data size (no NUL);
// numbers are decimal texts written with "%d" and read like atoi.  A missing
// key or value is never an error: readers keep their preset, writers go on.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/CString.h"

// ---- Value names of the adapter key -------------------------------------
// Active radio and adapter settings.
constexpr char REGSTR_WIRELESS_MODE[] = "WirelessMode";
constexpr char REGSTR_CHANNEL[] = "Channel";
constexpr char REGSTR_COUNTRY_REGION[] = "CountryRegion";
constexpr char REGSTR_COUNTRY_REGION_A_BAND[] = "CountryRegionABand";
constexpr char REGSTR_TX_BURST[] = "TXBurst";
constexpr char REGSTR_TURBO_RATE[] = "TurboRate";
constexpr char REGSTR_BG_PROTECTION[] = "BGProtection";
constexpr char REGSTR_SHORT_SLOT[] = "ShortSlot";
constexpr char REGSTR_TRANS_RATE[] = "TransRate";
constexpr char REGSTR_TRANSMIT_SETTING[] = "TransmitSetting";   // 4 raw bytes
constexpr char REGSTR_CCX2_CONTROL[] = "CCX2Control";           // 4 raw bytes
constexpr char REGSTR_SHOW_AUTH_STATUS[] = "ShowAuthStatus";
constexpr char REGSTR_ADHOC_MODE[] = "AdhocOfdm";
constexpr char REGSTR_OP_MODE[] = "OpMode";
constexpr char REGSTR_IEEE80211H[] = "IEEE80211H";
constexpr char REGSTR_CHECK_BUILD[] = "bCheckBuild";
constexpr char REGSTR_RADIO[] = "Radio";
constexpr char REGSTR_CUR_PROFILE[] = "CurProfile";
constexpr char REGSTR_PROFILE_WPS[] = "WSC";
constexpr char REGSTR_RUNONCE_CONFIG_TOOL[] = "RunOnceInitConfigTool";
constexpr char REGSTR_RUNONCE_TX_BURST[] = "RunOnceInitConfigTxBurst";
constexpr char REGSTR_APSD_CAPABLE[] = "APSDCapable";
constexpr char REGSTR_APSD_AC_BE[] = "APSDAC_BE";
constexpr char REGSTR_APSD_AC_BK[] = "APSDAC_BK";
constexpr char REGSTR_APSD_AC_VI[] = "APSDAC_VI";
constexpr char REGSTR_APSD_AC_VO[] = "APSDAC_VO";
constexpr char REGSTR_WMM_CAPABLE[] = "WMMCapable";
constexpr char REGSTR_DLS_CAPABLE[] = "DLSCapable";
constexpr char REGSTR_BA_CAP[] = "BACapability";                // REG_DWORD

// Active profile values (copied here from a profile key before use).
constexpr char REGSTR_PROFILE_SSID[] = "SSID";
constexpr char REGSTR_PROFILE_NETWORK_TYPE[] = "NetworkType";
constexpr char REGSTR_PROFILE_PREAMBLE_TYPE[] = "PreambleType";
constexpr char REGSTR_PROFILE_USE_RTS[] = "UseRts";
constexpr char REGSTR_PROFILE_RTS_THRESH[] = "RtsThresh";
constexpr char REGSTR_PROFILE_USE_FRAG[] = "UseFrag";
constexpr char REGSTR_PROFILE_FRAG_THRESH[] = "FragThresh";
constexpr char REGSTR_PROFILE_AUTHEN_TYPE[] = "AuthenType";
constexpr char REGSTR_PROFILE_ENCRYPTION[] = "Encryption";
constexpr char REGSTR_PROFILE_WEP_KEY_USE[] = "WEPKeyUse";
constexpr char REGSTR_PROFILE_WEP_KEY1[] = "WEPKey1";
constexpr char REGSTR_PROFILE_WEP_KEY2[] = "WEPKey2";
constexpr char REGSTR_PROFILE_WEP_KEY3[] = "WEPKey3";
constexpr char REGSTR_PROFILE_WEP_KEY4[] = "WEPKey4";
constexpr char REGSTR_PROFILE_WEP_KEY1_TYPE[] = "WEPKey1Type";
constexpr char REGSTR_PROFILE_WEP_KEY2_TYPE[] = "WEPKey2Type";
constexpr char REGSTR_PROFILE_WEP_KEY3_TYPE[] = "WEPKey3Type";
constexpr char REGSTR_PROFILE_WEP_KEY4_TYPE[] = "WEPKey4Type";
constexpr char REGSTR_PROFILE_WPAPSK[] = "WPAPSK";
constexpr char REGSTR_PROFILE_TX_POWER[] = "TXPower";
constexpr char REGSTR_PROFILE_PS_MODE[] = "PSMode";
constexpr char REGSTR_PROFILE_AC_POWER_CAM[] = "ACPowerCam";
constexpr char REGSTR_PROFILE_LEAP_ENABLED[] = "LeapEnabled";
constexpr char REGSTR_PROFILE_LEAP_USER_NAME[] = "LeapUserName";
constexpr char REGSTR_PROFILE_LEAP_PASSWORD[] = "LeapPassword";
constexpr char REGSTR_PROFILE_LEAP_DOMAIN_NAME[] = "LeapDomainName";
constexpr char REGSTR_PROFILE_LEAP_ENCRY_TYPE[] = "LeapEncryType";
constexpr char REGSTR_PROFILE_USE_8021X[] = "Use8021X";
constexpr char REGSTR_PROFILE_AUTHEN_PROTOCOL[] = "AuthenProtocol";
constexpr char REGSTR_PROFILE_TUNNEL_PROTOCOL[] = "TunnelProtocol";
constexpr char REGSTR_PROFILE_PROVISIONING_TUNNEL[] = "ProvisioningTunnel";
constexpr char REGSTR_PROFILE_ID[] = "ID";
constexpr char REGSTR_PROFILE_PASSWORD[] = "Password";
constexpr char REGSTR_PROFILE_DOMAIN_NAME[] = "DomainName";
constexpr char REGSTR_PROFILE_TUNNEL_ID[] = "TunnelID";
constexpr char REGSTR_PROFILE_TUNNEL_PASSWORD[] = "TunnelPassword";
constexpr char REGSTR_PROFILE_SESSION_RESUMPTION[] = "SessionResumption";
constexpr char REGSTR_PROFILE_PASSWORD_MODE[] = "PasswordMode";
constexpr char REGSTR_PROFILE_USE_CLIENT_CERT[] = "UseClientCert";
constexpr char REGSTR_PROFILE_CLIENT_CERT_LEN[] = "ClientCertLen";
constexpr char REGSTR_PROFILE_CLIENT_CERT_DATA[] = "ClientCertData";
constexpr char REGSTR_PROFILE_USE_SERVER_CERT[] = "UseServerCert";
constexpr char REGSTR_PROFILE_SERVER_CERT_LEN[] = "ServerCertLen";
constexpr char REGSTR_PROFILE_SERVER_CERT_DATA[] = "ServerCertData";
constexpr char REGSTR_PROFILE_USE_PAC[] = "UsePAC";
constexpr char REGSTR_PROFILE_PROVISION_MODE[] = "ProvisionMode";
constexpr char REGSTR_PROFILE_PAC_FILE_PATH[] = "PACFilePath";
constexpr char REGSTR_PROFILE_SERVER_NAME[] = "ServerName";
constexpr char REGSTR_PROFILE_NAME_RULE[] = "NameRule";
constexpr char REGSTR_PROFILE_INTERMEDIATE_CERT[] = "IntermediateCert";

// Subkeys of the adapter key.
constexpr char REGSTR_KEY_PROFILE_STATION[] = "Profile\\Station";
constexpr char REGSTR_KEY_DEFAULT[] = "Default";
constexpr char REGSTR_KEY_AP_DEFAULT[] = "ApDefault";
constexpr char REGSTR_KEY_WSC_PROFILE[] = "WscProfile";

// The installer's choices (HKLM, REG_DWORD values).
constexpr char REGSTR_KEY_INSTALLER[] = "SOFTWARE\\OBRINT\\WLAN\\InstallShield";
constexpr char REGSTR_CONFIG_TOOL_SELECT[] = "ConfigToolSelect";
constexpr char REGSTR_CONFIG_TX_BURST_SELECT[] = "ConfigTxBurstSelect";

// ---- System facts and shared settings ------------------------------------
// Windows version codes held in g_nOsVersion.
enum OsVersionCode {
    OS_WIN95 = 2,
    OS_WIN98 = 3,
    OS_WIN98SE = 4,
    OS_WINME = 5,
    OS_NT4 = 6,
    OS_WIN2000 = 7,
    OS_WINXP = 8,
    OS_SERVER2003 = 9,
    OS_WINXP_X64 = 10,            // 5.2 workstation
    OS_WIN6 = 11,                 // 6.x workstation (Vista and later)
    OS_WIN6_SERVER = 12
};

// Written by DetectOsVersion and IsWow64 at start; the rest by InitRegionAndChannel,
// SetWirelessModeText and the controller's InitAdapter (g_bIeee80211h).
extern int g_nOsVersion;          // an OsVersionCode, worked out at start
extern BOOL g_bIsWow64;           // 32-bit process on 64-bit Windows
extern BOOL g_bIeee80211h;        // IEEE80211H is 1
extern DWORD g_dwCountryRegion;   // bits 0-6 2.4 GHz region, bits 8-14 5 GHz region
extern BOOL g_bRegionBgFlag;      // the 2.4 GHz region may be chosen by the user
extern BOOL g_bRegionAFlag;       // the 5 GHz region may be chosen by the user
extern int g_nWirelessMode;       // current wireless mode, normalised

// ---- Single values --------------------------------------------------------
// Any key; name may not be NULL.  The readers return FALSE and leave their
// output alone when the value is missing or of an unusable type.
//   Text: REG_SZ / REG_EXPAND_SZ of any length, cut at its first NUL; a value
//   stored without a terminator reads back whole.
BOOL ReadRegText(HKEY key, const char* name, CString& text);
//   Into a fixed buffer: always NUL-terminated; a value longer than
//   size - 1 characters counts as missing (buf is then empty).
BOOL ReadRegText(HKEY key, const char* name, char* buf, DWORD size);
//   The bytes a REG_SZ / REG_EXPAND_SZ value holds, NULs and all (a text of
//   octets: an SSID, a key), as the registry reports them.
BOOL ReadRegTextBytes(HKEY key, const char* name, std::vector<BYTE>& bytes);
//   Number: decimal text read like atoi (clamped to int), or a REG_DWORD.
BOOL ReadRegInt(HKEY key, const char* name, int* value);
//   Strict number: a text of at most 127 characters read like atoi (an
//   empty text or one without digits is 0), or a REG_DWORD.  A longer text
//   or a value beyond an int: FALSE.
BOOL ReadRegNumber(HKEY key, const char* name, int* value);
//   Raw word: exactly four bytes of a REG_DWORD or REG_BINARY value, as
//   CCX2Control and TransmitSetting are kept.  Anything else: FALSE.
BOOL ReadRegWord(HKEY key, const char* name, DWORD* value);
//   Raw number: up to four bytes of any type, zero-extended.
BOOL ReadRegDword(HKEY key, const char* name, DWORD* value);
BOOL WriteRegText(HKEY key, const char* name, const char* text);
BOOL WriteRegInt(HKEY key, const char* name, int value);        // "%d"
BOOL WriteRegDword(HKEY key, const char* name, DWORD value);    // REG_DWORD

// The adapter key (or one of its subkeys when subkey is not NULL); NULL
// when it does not exist.  The caller closes it.
HKEY OpenAdapterKey(REGSAM access, const char* subkey = nullptr);
BOOL ReadAdapterText(const char* name, CString& text, const char* subkey = nullptr);
BOOL ReadAdapterInt(const char* name, int* value, const char* subkey = nullptr);
BOOL ReadAdapterDword(const char* name, DWORD* value, const char* subkey = nullptr);
BOOL WriteAdapterText(const char* name, const char* text, const char* subkey = nullptr);
BOOL WriteAdapterInt(const char* name, int value, const char* subkey = nullptr);
BOOL WriteAdapterDword(const char* name, DWORD value, const char* subkey = nullptr);

// Values with a default when missing.
// WirelessMode normalised for this adapter (NormaliseWirelessMode); missing
// or not a mode (0-10): 5 on an 802.11n adapter, else 3, normalised too.
int ReadWirelessModeOrDefault();
BOOL ReadCcx2Control(DWORD* word);      // the raw word; FALSE when missing or not a word
BOOL ReadCheckBuild();                  // missing: written as "0", 0
BOOL ReadIeee80211h();                  // 1 only when IEEE80211H reads exactly 1

// ---- System facts ---------------------------------------------------------
// The version code of a version record; anything unknown gives previous.
int OsVersionCodeFromInfo(const OSVERSIONINFOEXA& info, int previous);
int DetectOsVersion();                  // sets and returns g_nOsVersion
BOOL IsWow64();                         // sets and returns g_bIsWow64
void DisableWow64FsRedirection();
void EnableWow64FsRedirection();

// ---- Whole keys -----------------------------------------------------------
// Copies every value (name, type, data, whatever their length) of from into to.
// TRUE when all values were copied; FALSE at the first failure.
BOOL CopyRegistryValues(HKEY from, HKEY to);
BOOL SaveConfigAsDefault();             // adapter key -> Default (both must exist)
BOOL LoadApDefaultConfig();             // ApDefault -> adapter key
BOOL WriteSoftApDefaults();             // creates ApDefault once; TRUE when written

struct ApDefaultValue {
    const char* name;
    DWORD type;            // REG_SZ or REG_MULTI_SZ
    const char* text;      // NULL for the SSID and wireless mode, filled at run time
};
// The access-point defaults in the order they are written.
extern const ApDefaultValue g_ApDefaultValues[];
extern const int g_nApDefaultValueCount;

// ---- Operation mode and wireless mode ------------------------------------
BOOL IsStationOpMode();                 // OID_VENDOR_OP_MODE reads 0 or fails
void SetApOpMode();

// Combo list index to wireless mode; FALSE for 7, 8, above 9 and below 0.
BOOL WirelessModeFromIndex(int index, int* mode);
// 7 -> 4, 8 -> 2, 10 -> 2; without 802.11a 2, 3 -> 0 and 5 -> 9; without
// 802.11n 5 -> 3, 6 -> 0, 9 -> 0; the three steps in this order.
int NormaliseWirelessMode(int mode, BOOL dualBand, BOOL htDevice);
// Normalises *mode for this adapter (g_bDualBand, g_bHtDevice) and writes it.
void WriteWirelessMode(int* mode);
// Mode texts of the advanced page: 0 "802.11 B/G mix", 1 "802.11 B only",
// 2 "802.11 A only", 3 "802.11 A/B/G mix", 4 "802.11 G only",
// 5 "802.11 A/B/G/N mix", 9 "802.11 B/G/N mix"; empty is 6; others 0.
int WirelessModeTextToCode(const char* text);
CString WirelessModeCodeToText(int mode);
// The page's mode text to its mode, normalised and written; the text becomes
// the normalised mode's text.  Returns the mode, also kept in g_nWirelessMode.
int SetWirelessModeText(CString& text);

// ---- Installer hand-over and region set-up ---------------------------------
// The hand-over to Zero Configuration or to this program; by default they
// ask the controller for OnUseWzc() / OnUseOwnTool() through its door
// (nothing without the controller).
// Never written by the program; tests put recorders in.
extern void (*g_pfnUseWzc)();
extern void (*g_pfnUseOwnTool)();
void ApplyRunOnceInitConfigTool();      // XP (OS_WINXP) and later
void ApplyRunOnceInitConfigTxBurst();
void InitRegionAndChannel();
