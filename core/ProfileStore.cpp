#include "core/ProfileStore.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <shlwapi.h>

#include "core/HexUtil.h"
#include "core/RegistryStore.h"
#include "core/ChannelTable.h"

namespace {

// ---- Small encoders ---------------------------------------------------------

CString Num(int v)
{
    CString s;
    s.Format("%d", v);
    return s;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Two lowercase hex digits per byte, no separators.
CString BytesToHex(const BYTE* p, int n)
{
    CString s;
    char two[3];
    for (int i = 0; i < n; ++i) {
        std::snprintf(two, sizeof(two), "%02x", p[i]);
        s += two;
    }
    return s;
}

// An ASCII-format WEP key is stored as the hex digits of its bytes; only the
// two usable lengths are kept, anything else is stored as no key.
CString EncodeWepKey(int format, const CString& key)
{
    if (format == 0) return key;
    int n = key.GetLength();
    if (n != 5 && n != 13) return CString();
    return BytesToHex(reinterpret_cast<const BYTE*>(key.GetString()), n);
}

// The stored number of the authentication choice (NDIS numbering).
int AuthenTypeFor(const ProfileSettings& s)
{
    if (s.networkType == 0 && s.authChoice == AUTH_CHOICE_WPA_NONE) return 5;
    if (s.networkType == 0 && s.authChoice == AUTH_CHOICE_WPA) return 0;
    if (s.networkType == 1 && s.authChoice == AUTH_CHOICE_WPA_NONE) return 4;
    static const int kByChoice[8] = { 0, 1, 0, 3, 4, 6, 7, 5 };
    return (s.authChoice >= 0 && s.authChoice < 8) ? kByChoice[s.authChoice] : 0;
}

int EncryptionFor(const ProfileSettings& s)
{
    if (s.authChoice == AUTH_CHOICE_LEAP) return 0;
    static const int kByChoice[4] = { 1, 0, 4, 6 };
    return (s.encryptionChoice >= 0 && s.encryptionChoice < 4) ? kByChoice[s.encryptionChoice] : 1;
}

bool IsLeap(const ProfileSettings& s) { return s.authChoice == AUTH_CHOICE_LEAP; }

// The inner EAP types of PEAP and EAP-FAST (also the provisioning tunnel):
// MS-CHAP v2, TLS, Generic Token Card.
bool IsInnerEapType(int n) { return n == 26 || n == 13 || n == 6; }

// ---- The table of the 51 values -------------------------------------------------

enum Kind { TEXT, NUMBER };

// One stored value: its name, how it is written from the settings, how it is
// read back, and what the adapter key gets when a profile lacks it (NULL:
// the adapter key keeps its own value).
struct ValueRule {
    const char* name;
    Kind kind;
    const char* activationDefault;
    CString (*encode)(const ProfileSettings& s);
    // Called only for a present, readable value; for NUMBER rows only when the
    // text is a number.
    void (*decode)(ProfileSettings& s, const CString& text, int n);
};

#define ENC(...) [](const ProfileSettings& s) -> CString { __VA_ARGS__ }
#define DEC(...) [](ProfileSettings& s, const CString& text, int n) { (void)text; (void)n; __VA_ARGS__ }

template <int K>
CString EncodeKeyType(const ProfileSettings& s) { return Num(s.keyFormat[K] == 1 ? 1 : 0); }
template <int K>
void DecodeKeyType(ProfileSettings& s, const CString&, int n)
{
    if (n == 0 || n == 1) s.keyFormat[K] = n;
}
template <int K>
CString EncodeKey(const ProfileSettings& s) { return EncodeWepKey(s.keyFormat[K], s.wepKey[K]); }
template <int K>
void DecodeKey(ProfileSettings& s, const CString& text, int)
{
    if (s.keyFormat[K] == 0) {
        s.wepKey[K] = text;
        return;
    }
    int len = text.GetLength();
    if (len != 10 && len != 26) return;
    BYTE bytes[13] = {};
    if (HexStringToBytes(text, bytes, len / 2) != len / 2) return;
    s.wepKey[K] = CString(reinterpret_cast<const char*>(bytes), len / 2);
}

void DecodeCert(const CString& text, int* length, BYTE* data)
{
    int want = Clamp(*length, 0, kCertDataMax);
    std::memset(data, 0, kCertDataMax);
    *length = HexStringToBytes(text, data, want);
}

const ValueRule kRules[PV_COUNT] = {
    { "SSID", TEXT, "", ENC(return s.ssid;), DEC(s.ssid = text;) },
    { "Channel", NUMBER, nullptr, ENC(return Num(ChannelTextToNumber(s.channel));),
      DEC(s.channel = ChannelNumberToText(n);) },
    { "NetworkType", NUMBER, "1", ENC(return Num(s.networkType == 0 ? 0 : 1);),
      DEC(if (n == 0 || n == 1) s.networkType = n;) },
    { "PreambleType", NUMBER, "0", ENC(return Num(s.preamble == 1 ? 0 : 2);),
      DEC(s.preamble = n == 0 ? 1 : 0;) },
    { "ACPowerCam", NUMBER, "0", ENC(return Num(s.acPowerCam);), DEC(s.acPowerCam = n;) },
    { "PSMode", NUMBER, "0", ENC(return Num(s.powerSave == 1 ? 2 : 0);),
      DEC(s.powerSave = (n == 1 || n == 2) ? 1 : 0;) },
    { "TXPower", NUMBER, "0", ENC(return Num(Clamp(s.txPower, 0, 6));),
      DEC(if (n >= 0 && n <= 6) s.txPower = n;) },
    { "UseRts", NUMBER, "0", ENC(return Num(s.useRts ? 1 : 0);), DEC(s.useRts = n != 0;) },
    { "RtsThresh", NUMBER, "2347", ENC(return Num(s.useRts ? Clamp(s.rtsThreshold, 0, 2347) : 2347);),
      DEC(if (s.useRts) s.rtsThreshold = Clamp(n, 0, 2347);) },
    { "UseFrag", NUMBER, "0", ENC(return Num(s.useFrag ? 1 : 0);), DEC(s.useFrag = n != 0;) },
    { "FragThresh", NUMBER, "2346", ENC(return Num(s.useFrag ? Clamp(s.fragThreshold, 256, 2346) : 2346);),
      DEC(if (s.useFrag) s.fragThreshold = Clamp(n, 256, 2346);) },
    { "AuthenType", NUMBER, "0", ENC(return Num(AuthenTypeFor(s));),
      DEC(static const int kChoice[8] = { 0, 1, -1, 3, 4, 7, 5, 6 };
          if (n >= 0 && n < 8 && kChoice[n] >= 0) s.authChoice = kChoice[n];) },
    { "Encryption", NUMBER, "1", ENC(return Num(EncryptionFor(s));),
      DEC(if (IsLeap(s)) {
              s.use8021x = FALSE;
              s.leapCipher = n == 4 ? 1 : (n == 6 ? 2 : 0);
          } else if (n == 0) s.encryptionChoice = ENCR_CHOICE_WEP;
          else if (n == 1) s.encryptionChoice = ENCR_CHOICE_NONE;
          else if (n == 4) s.encryptionChoice = ENCR_CHOICE_TKIP;
          else if (n == 6) s.encryptionChoice = ENCR_CHOICE_AES;
          else if (n == 2 || n == 3) s.encryptionChoice = n;) },
    { "LeapEnabled", NUMBER, "0", ENC(return Num(IsLeap(s) ? 1 : 0);),
      DEC(if (n != 0) s.authChoice = AUTH_CHOICE_LEAP;) },
    { "LeapUserName", TEXT, "", ENC(return s.leapIdentity;), DEC(s.leapIdentity = text;) },
    { "LeapPassword", TEXT, "", ENC(return s.leapPassword;), DEC(s.leapPassword = text;) },
    { "LeapDomainName", TEXT, "", ENC(return s.leapDomain;), DEC(s.leapDomain = text;) },
    { "LeapEncryType", NUMBER, "0", ENC(return Num(Clamp(s.leapCipher, 0, 2));),
      DEC(if (n >= 0 && n <= 2) s.leapCipher = n;) },
    { "WPAPSK", TEXT, "", ENC(return s.preSharedKey;), DEC(s.preSharedKey = text;) },
    { "WEPKeyUse", NUMBER, "1", ENC(return Num(Clamp(s.defaultKey, 0, 3) + 1);),
      DEC(if (n >= 1 && n <= 4) s.defaultKey = n - 1;) },
    { "WEPKey1Type", NUMBER, "0", EncodeKeyType<0>, DecodeKeyType<0> },
    { "WEPKey2Type", NUMBER, "0", EncodeKeyType<1>, DecodeKeyType<1> },
    { "WEPKey3Type", NUMBER, "0", EncodeKeyType<2>, DecodeKeyType<2> },
    { "WEPKey4Type", NUMBER, "0", EncodeKeyType<3>, DecodeKeyType<3> },
    { "WEPKey1", TEXT, "", EncodeKey<0>, DecodeKey<0> },
    { "WEPKey2", TEXT, "", EncodeKey<1>, DecodeKey<1> },
    { "WEPKey3", TEXT, "", EncodeKey<2>, DecodeKey<2> },
    { "WEPKey4", TEXT, "", EncodeKey<3>, DecodeKey<3> },
    { "Use8021X", NUMBER, "0", ENC(return Num(!IsLeap(s) && s.use8021x ? 1 : 0);),
      DEC(s.use8021x = n != 0 && !IsLeap(s);) },
    { "AuthenProtocol", NUMBER, "0", ENC(return Num(s.dot1x.eapMethod);),
      DEC(if (n >= 0 && n <= 4) s.dot1x.eapMethod = n;) },
    { "TunnelProtocol", NUMBER, "26",
      ENC(return Num(s.dot1x.eapMethod == 2 ? s.dot1x.ttlsInnerMethod : s.dot1x.tunnelEapType);),
      DEC(if (s.dot1x.eapMethod == 2) {
              if (n >= 1 && n <= 5) s.dot1x.ttlsInnerMethod = n;
          } else if (IsInnerEapType(n)) s.dot1x.tunnelEapType = n;) },
    { "ProvisioningTunnel", NUMBER, "26",
      ENC(return Num(IsInnerEapType(s.dot1x.provisioningEapType) ? s.dot1x.provisioningEapType : 26);),
      DEC(if (IsInnerEapType(n)) s.dot1x.provisioningEapType = n;) },
    { "ID", TEXT, "", ENC(return s.dot1x.identity;), DEC(s.dot1x.identity = text;) },
    { "Password", TEXT, "", ENC(return s.dot1x.password;), DEC(s.dot1x.password = text;) },
    { "DomainName", TEXT, "", ENC(return s.dot1x.domainName;), DEC(s.dot1x.domainName = text;) },
    { "TunnelID", TEXT, "", ENC(return s.dot1x.tunnelId;), DEC(s.dot1x.tunnelId = text;) },
    { "TunnelPassword", TEXT, "", ENC(return s.dot1x.tunnelPassword;), DEC(s.dot1x.tunnelPassword = text;) },
    { "SessionResumption", NUMBER, "0", ENC(return Num(s.dot1x.sessionResumption);),
      DEC(s.dot1x.sessionResumption = n;) },
    { "PasswordMode", NUMBER, "1", ENC(return Num(s.dot1x.passwordMode);), DEC(s.dot1x.passwordMode = n;) },
    { "UseClientCert", NUMBER, "0", ENC(return Num(s.dot1x.useClientCert);), DEC(s.dot1x.useClientCert = n;) },
    { "UseServerCert", NUMBER, "0", ENC(return Num(s.dot1x.useServerCert);), DEC(s.dot1x.useServerCert = n;) },
    { "UsePAC", NUMBER, "0", ENC(return Num(s.dot1x.usePac);), DEC(s.dot1x.usePac = n;) },
    { "ProvisionMode", NUMBER, "1", ENC(return Num(s.dot1x.provisionMode);), DEC(s.dot1x.provisionMode = n;) },
    { "PACFilePath", TEXT, "", ENC(return s.dot1x.pacFilePath;), DEC(s.dot1x.pacFilePath = text;) },
    { "ClientCertLen", NUMBER, "0", ENC(return Num(Clamp(s.dot1x.clientCertLength, 0, kCertDataMax));),
      DEC(s.dot1x.clientCertLength = Clamp(n, 0, kCertDataMax);) },
    { "ClientCertData", TEXT, "",
      ENC(return BytesToHex(s.dot1x.clientCert, Clamp(s.dot1x.clientCertLength, 0, kCertDataMax));),
      DEC(DecodeCert(text, &s.dot1x.clientCertLength, s.dot1x.clientCert);) },
    { "ServerCertLen", NUMBER, "0", ENC(return Num(Clamp(s.dot1x.serverCertLength, 0, kCertDataMax));),
      DEC(s.dot1x.serverCertLength = Clamp(n, 0, kCertDataMax);) },
    { "ServerCertData", TEXT, "",
      ENC(return BytesToHex(s.dot1x.serverCert, Clamp(s.dot1x.serverCertLength, 0, kCertDataMax));),
      DEC(DecodeCert(text, &s.dot1x.serverCertLength, s.dot1x.serverCert);) },
    { "ServerName", TEXT, "", ENC(return s.dot1x.serverName;), DEC(s.dot1x.serverName = text;) },
    { "NameRule", NUMBER, "0", ENC(return Num(s.dot1x.nameRule);), DEC(s.dot1x.nameRule = n;) },
    { "IntermediateCert", NUMBER, "0", ENC(return Num(s.dot1x.intermediateCert);),
      DEC(s.dot1x.intermediateCert = n;) },
};

#undef ENC
#undef DEC

// A profile name as a subkey path below the adapter key.
CString ProfileSubkey(const char* name)
{
    return CString(REGSTR_KEY_PROFILE_STATION) + "\\" + name;
}

// Holds an open key and closes it.
class KeyHolder {
public:
    explicit KeyHolder(HKEY k = nullptr) : m_key(k) {}
    ~KeyHolder()
    {
        if (m_key) RegCloseKey(m_key);
    }
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    HKEY get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }

private:
    HKEY m_key;
};

}  // namespace

// ---- Values -------------------------------------------------------------------

const char* ProfileValueName(int value)
{
    return (value >= 0 && value < PV_COUNT) ? kRules[value].name : "";
}

BOOL ParseProfileNumber(const char* text, int* out)
{
    if (!text) return FALSE;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long v = 0;
    while (std::isdigit((unsigned char)*p)) {
        if (v <= INT_MAX) v = v * 10 + (*p - '0');
        ++p;
    }
    if (negative) v = -v;
    *out = (int)(v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : v));
    return TRUE;
}

BOOL ProfileValues::GetInt(int value, int* out) const
{
    if (value < 0 || value >= PV_COUNT || !present[value]) return FALSE;
    return ParseProfileNumber(text[value], out);
}

int ProfileValues::Int(int value, int preset) const
{
    int n = preset;
    GetInt(value, &n);
    return n;
}

int ChannelTextToNumber(const char* text)
{
    if (!text) return 0;
    if (std::strcmp(text, "J8") == 0) return 208;
    if (std::strcmp(text, "J12") == 0) return 212;
    if (std::strcmp(text, "J16") == 0) return 216;
    int n = 0;
    ParseProfileNumber(text, &n);
    return n;
}

CString ChannelNumberToText(int number)
{
    return number >= 0 ? FormatChannelNumber((DWORD)number) : Num(number);
}

void EncodeProfile(const ProfileSettings& settings, ProfileValues& values)
{
    for (int i = 0; i < PV_COUNT; ++i) {
        values.text[i] = kRules[i].encode(settings);
        values.present[i] = true;
    }
}

void DecodeProfile(const ProfileValues& values, ProfileSettings& settings)
{
    settings.useRts = FALSE;
    settings.rtsThreshold = 2347;
    settings.useFrag = FALSE;
    settings.fragThreshold = 2346;
    for (int k = 0; k < PV_COUNT; ++k) {
        // LeapEnabled is taken before Encryption, whose meaning depends on it.
        int i = k == PV_ENCRYPTION ? PV_LEAP_ENABLED : (k == PV_LEAP_ENABLED ? PV_ENCRYPTION : k);
        if (!values.present[i]) continue;
        int n = 0;
        if (kRules[i].kind == NUMBER && !values.GetInt(i, &n)) continue;
        kRules[i].decode(settings, values.text[i], n);
    }
}

// ---- The registry ----------------------------------------------------------------

void ReadProfileValues(HKEY key, ProfileValues& values)
{
    for (int i = 0; i < PV_COUNT; ++i) {
        CString text;
        bool isText = key && ReadRegText(key, kRules[i].name, text);
        bool present = isText && text.GetLength() < kProfileTextMax;
        // A number stored as a REG_DWORD (by hand) is that number.
        int n = 0;
        if (!isText && key && kRules[i].kind == NUMBER && ReadRegNumber(key, kRules[i].name, &n)) {
            text = Num(n);
            present = true;
        }
        values.present[i] = present;
        values.text[i] = present ? text : CString();
    }
}

void WriteProfileValues(HKEY key, const ProfileValues& values)
{
    for (int i = 0; i < PV_COUNT; ++i)
        if (values.present[i]) WriteRegText(key, kRules[i].name, values.text[i]);
}

BOOL IsUsableProfileName(const char* name)
{
    if (!name) return FALSE;
    size_t n = std::strlen(name);
    return n >= 1 && n <= (size_t)kProfileNameMax && !std::strchr(name, '\\');
}

HKEY OpenProfileKey(const char* name, REGSAM access)
{
    if (!IsUsableProfileName(name)) return nullptr;
    return OpenAdapterKey(access, ProfileSubkey(name));
}

HKEY CreateProfileKey(const char* name)
{
    if (!IsUsableProfileName(name)) return nullptr;
    KeyHolder adapter(OpenAdapterKey(KEY_ALL_ACCESS));
    if (!adapter) return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExA(adapter.get(), ProfileSubkey(name), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

BOOL WriteProfile(const char* name, const ProfileSettings& settings)
{
    KeyHolder key(CreateProfileKey(name));
    if (!key) return FALSE;
    ProfileValues values;
    EncodeProfile(settings, values);
    WriteProfileValues(key.get(), values);
    return TRUE;
}

BOOL ReadProfile(const char* name, ProfileSettings& settings)
{
    KeyHolder key(OpenProfileKey(name, KEY_READ));
    if (!key) return FALSE;
    ProfileValues values;
    ReadProfileValues(key.get(), values);
    DecodeProfile(values, settings);
    return TRUE;
}

BOOL WriteProfileValue(const char* name, int value, const char* text)
{
    if (value < 0 || value >= PV_COUNT) return FALSE;
    KeyHolder key(OpenProfileKey(name, KEY_SET_VALUE));
    return key && WriteRegText(key.get(), kRules[value].name, text);
}

BOOL WriteActiveProfileValue(const char* name, int value, const char* text)
{
    if (value < 0 || value >= PV_COUNT) return FALSE;
    BOOL ok = WriteAdapterText(kRules[value].name, text);
    if (name && name[0] && !WriteProfileValue(name, value, text)) ok = FALSE;
    return ok;
}

std::vector<CString> EnumProfileNames()
{
    std::vector<CString> names;
    KeyHolder station(OpenAdapterKey(KEY_READ, REGSTR_KEY_PROFILE_STATION));
    if (!station) return names;
    for (DWORD index = 0;; ++index) {
        char name[kProfileNameMax + 1] = {};
        DWORD size = sizeof(name);
        LONG rc = RegEnumKeyExA(station.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;   // too long to be a profile: skip it, keep going
        if (rc != ERROR_SUCCESS) break;
        names.push_back(CString(name));
    }
    return names;
}

BOOL CopyProfileToAdapterKey(const char* name, CString* channel)
{
    KeyHolder adapter(OpenAdapterKey(KEY_ALL_ACCESS));
    if (!adapter) return FALSE;
    KeyHolder profile(OpenProfileKey(name, KEY_READ));
    if (!profile) return FALSE;

    ProfileValues values;
    ReadProfileValues(profile.get(), values);
    if (channel) *channel = values.Text(PV_CHANNEL);

    // Values without a default of their own keep what the adapter key holds.
    CString kept[PV_COUNT];
    bool hadKept[PV_COUNT] = {};
    for (int i = 0; i < PV_COUNT; ++i)
        if (!kRules[i].activationDefault) hadKept[i] = ReadRegText(adapter.get(), kRules[i].name, kept[i]);

    CopyRegistryValues(profile.get(), adapter.get());
    for (int i = 0; i < PV_COUNT; ++i) {
        const ValueRule& r = kRules[i];
        CString text;
        int n = 0;
        // A number is usable only as the apply step reads it: a text of at
        // most 127 characters within an int, or a REG_DWORD.
        bool usable = r.kind == TEXT ? ReadRegText(profile.get(), r.name, text) != FALSE
                                     : values.present[i] && ReadRegNumber(profile.get(), r.name, &n) != FALSE;
        if (usable) continue;
        if (r.activationDefault) WriteRegText(adapter.get(), r.name, r.activationDefault);
        else if (hadKept[i]) WriteRegText(adapter.get(), r.name, kept[i]);
    }
    return TRUE;
}

BOOL DeleteProfile(const char* name)
{
    if (!IsUsableProfileName(name)) return FALSE;
    KeyHolder station(OpenAdapterKey(KEY_ALL_ACCESS, REGSTR_KEY_PROFILE_STATION));
    if (!station) return FALSE;
    return SHDeleteKeyA(station.get(), name) == ERROR_SUCCESS;
}
