// The one road from the registry to the driver: the adapter key's active
// values become a StationConfig that the connection engine applies.
#include "core/ApplyConfig.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "core/HexUtil.h"
#include "core/ControllerDoor.h"
#include "core/EngineDoor.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/PasswordHash.h"
#include "core/RegistryStore.h"
#include "core/WpsRuntime.h"
#include "core/ZeroConfig.h"
#include "core/ChannelTable.h"

BOOL g_bSsoPending = FALSE;
BYTE g_LastBssid[6] = {};
DWORD g_AdvancedConfig[8];
BOOL g_bAdvancedConfigValid = FALSE;
BOOL g_bShowAuthStatus = FALSE;
DWORD g_dwTransmitSetting = 0;

namespace {

const char kSsoKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Obrint";
const char kSsoEnable[] = "SSOEnable";
const char kSsoCancelled[] = "SSOAuthenticationCancelled";
const char kTraceFile[] = "C:\\test_Kestiq.txt";

// A key opened for reading.  A key that did not open reads as if every value
// were missing, so each field keeps its preset.
class CKeyReader {
public:
    explicit CKeyReader(HKEY key) : m_key(key) {}
    ~CKeyReader()
    {
        if (m_key) RegCloseKey(m_key);
    }
    CKeyReader(const CKeyReader&) = delete;
    CKeyReader& operator=(const CKeyReader&) = delete;

    // A number read like atoi, or a REG_DWORD (too long or beyond an int: missing).
    bool Number(const char* name, int* v) const { return m_key && ReadRegNumber(m_key, name, v); }
    bool Number(const char* name, DWORD* v) const
    {
        int n = 0;
        if (!Number(name, &n)) return false;
        *v = (DWORD)n;
        return true;
    }
    // A text into a field of size bytes, terminated; a longer one is missing
    // and leaves the field empty.
    bool Text(const char* name, char* field, DWORD size) const
    {
        if (!m_key) return false;
        return ReadRegText(m_key, name, field, size) != FALSE;
    }
    bool Text(const char* name, CString& text) const { return m_key && ReadRegText(m_key, name, text); }
    // A text's bytes, NULs kept.
    bool TextBytes(const char* name, std::vector<BYTE>& bytes) const
    {
        return m_key && ReadRegTextBytes(m_key, name, bytes);
    }
    // A raw word (CCX2Control, TransmitSetting).
    bool Raw4(const char* name, DWORD* v) const { return m_key && ReadRegWord(m_key, name, v); }
    // Exactly size bytes of any type; a value of another size is missing.
    bool Bytes(const char* name, BYTE* out, DWORD size) const
    {
        DWORD have = 0;
        if (!m_key || RegQueryValueExA(m_key, name, nullptr, nullptr, nullptr, &have) != ERROR_SUCCESS ||
            have != size)
            return false;
        return RegQueryValueExA(m_key, name, nullptr, nullptr, out, &have) == ERROR_SUCCESS;
    }

private:
    HKEY m_key;
};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }


// A stored WEP key (hex text) to its bytes: 10 or 11 characters give a 5-byte
// key, longer texts a 13-byte key from their first 26.  Only complete pairs of
// hex digits count: a short or damaged text gives no key.
DWORD WepKeyFromHex(const CString& text, BYTE out[13])
{
    int len = text.GetLength();
    if (len <= 1) return 0;
    int n = (len == 10 || len == 11) ? 5 : 13;
    if (!IsHexString(text.GetString(), 2 * n)) return 0;
    return HexStringToBytes(text.GetString(), out, n) == n ? (DWORD)n : 0;
}

// A certificate hash: at most 152 bytes, and no more than the hex text holds.
void ReadCertificate(const CKeyReader& key, const char* lenName, const char* dataName, DWORD* length,
                     BYTE data[152])
{
    int stored = 0;
    key.Number(lenName, &stored);
    CString hex;
    key.Text(dataName, hex);
    *length = (DWORD)HexStringToBytes(hex.GetString(), data, Clamp(stored, 0, 152));
}

void ReadLeapText(const CKeyReader& key, const char* name, StationText256& field)
{
    if (key.Text(name, field.text, sizeof(field.text))) field.length = (DWORD)std::strlen(field.text);
}

DWORD PackTransmitSetting(const BYTE ht[12])
{
    DWORD w0;
    std::memcpy(&w0, ht, sizeof(w0));
    return (w0 & 0xF) | ((DWORD)(ht[7] & 0x7F) << 4) | ((DWORD)(ht[8] & 1) << 11) | ((DWORD)(ht[10] & 1) << 12) |
           ((DWORD)(ht[9] & 1) << 13) | ((DWORD)(ht[4] & 3) << 14) | ((DWORD)(ht[5] & 1) << 16);
}

// Steps 6 to 13: wireless mode, 802.11n setting, advanced block, region, rates.
void ReadRadioValues(const CKeyReader& key, StationConfig* r)
{
    int mode = ReadWirelessModeOrDefault();
    WriteWirelessMode(&mode);
    g_nWirelessMode = mode;

    if (g_bHtDevice) {
        DWORD ts = 0;
        if (key.Raw4(REGSTR_TRANSMIT_SETTING, &ts)) {
            r->transmitSetting = ts;
            g_dwTransmitSetting = ts;
        } else {
            BYTE ht[12] = {};
            QueryOid(OID_VENDOR_HT_PHY, ht, sizeof(ht), nullptr);
            r->transmitSetting = PackTransmitSetting(ht);
        }
        if (g_bDebugTrace == 1) {
            if (FILE* f = std::fopen(kTraceFile, "a+")) {
                std::fprintf(f, "infoTransmit.field.MCS (SetOidFromReg - > Test14) is '%d' \n",
                             (int)((r->transmitSetting >> 4) & 0x7F));
                std::fclose(f);
            }
        }
    }

    DWORD returned = 0;
    if (QueryOid(OID_VENDOR_ADVANCED_CONFIG, r->advanced, sizeof(r->advanced), &returned))
        g_bAdvancedConfigValid = TRUE;

    int bg = 0, a = 0;
    if (key.Number(REGSTR_COUNTRY_REGION, &bg)) r->region = (DWORD)bg & 0xFF;
    if (key.Number(REGSTR_COUNTRY_REGION_A_BAND, &a)) r->region |= ((DWORD)a & 0xFF) << 8;

    key.Number(REGSTR_TX_BURST, &r->advanced[0]);
    key.Number(REGSTR_TURBO_RATE, &r->advanced[1]);
    if (mode == 0 || mode == 3) key.Number(REGSTR_BG_PROTECTION, &r->advanced[2]);
    else r->advanced[2] = 0;
    key.Number(REGSTR_SHORT_SLOT, &r->advanced[3]);

    int word4 = 0;
    if (WirelessModeFromIndex(mode, &word4)) {
        r->advanced[4] = (DWORD)word4;
        WriteAdapterInt(REGSTR_ADHOC_MODE, word4);
    }

    int rate = 0;
    key.Number(REGSTR_TRANS_RATE, &rate);
    DesiredRatesFromTransRate(mode, rate, g_dwTransmitSetting, r->desiredRates);

    std::memcpy(g_AdvancedConfig, r->advanced, sizeof(g_AdvancedConfig));
}

// Steps 1 to 23 into r.  FALSE when the record must not be applied (a
// WPA-None key that cannot be made: an all-zero key would be sent as if it
// were the right one).
bool ReadProfileValues(StationConfig* r, BOOL bApplyRadio)
{
    CKeyReader key(OpenAdapterKey(KEY_READ));

    CString ssid;
    if (key.Text(REGSTR_PROFILE_SSID, ssid)) {
        r->ssid.SsidLength = (ULONG)Clamp(ssid.GetLength(), 0, 32);
        std::memcpy(r->ssid.Ssid, ssid.GetString(), r->ssid.SsidLength);
    }
    r->infrastructureMode = Ndis802_11Infrastructure;
    key.Number(REGSTR_PROFILE_NETWORK_TYPE, &r->infrastructureMode);
    int v = 0;
    g_bShowAuthStatus = key.Number(REGSTR_SHOW_AUTH_STATUS, &v) ? v : 0;
    r->ccxControl = 0;
    key.Raw4(REGSTR_CCX2_CONTROL, &r->ccxControl);

    r->applyRadioSettings = bApplyRadio ? 1 : 0;
    if (bApplyRadio) ReadRadioValues(key, r);

    if (key.Number(REGSTR_PROFILE_PREAMBLE_TYPE, &v)) r->preamble = v == 1 ? 2 : (DWORD)v;
    r->rtsThreshold = 2347;
    if (key.Number(REGSTR_PROFILE_USE_RTS, &v) && v) key.Number(REGSTR_PROFILE_RTS_THRESH, &r->rtsThreshold);
    r->fragThreshold = 0;
    if (key.Number(REGSTR_PROFILE_USE_FRAG, &v) && v) key.Number(REGSTR_PROFILE_FRAG_THRESH, &r->fragThreshold);
    key.Number(REGSTR_PROFILE_AUTHEN_TYPE, &r->authMode);
    r->encryption = Ndis802_11EncryptionDisabled;
    key.Number(REGSTR_PROFILE_ENCRYPTION, &r->encryption);

    if (key.Number(REGSTR_PROFILE_LEAP_ENABLED, &v)) r->leapEnabled = v != 0;
    ReadLeapText(key, REGSTR_PROFILE_LEAP_USER_NAME, r->leapUserName);
    ReadLeapText(key, REGSTR_PROFILE_LEAP_PASSWORD, r->leapPassword);
    ReadLeapText(key, REGSTR_PROFILE_LEAP_DOMAIN_NAME, r->leapDomain);
    if (r->leapEnabled) {
        // LEAP runs over WEP unless CCX allows a WPA cipher.
        DWORD ccx = 0;
        key.Raw4(REGSTR_CCX2_CONTROL, &ccx);
        if (!(ccx & 1) || (r->encryption != 0 && r->encryption != 4 && r->encryption != 6))
            r->encryption = Ndis802_11WEPEnabled;
    }

    key.Number(REGSTR_PROFILE_USE_8021X, &r->use8021x);
    key.Number(REGSTR_PROFILE_AUTHEN_PROTOCOL, &r->eapMethod);
    key.Number(REGSTR_PROFILE_TUNNEL_PROTOCOL, r->eapMethod == 2 ? &r->ttlsInnerMethod : &r->innerMethod);
    key.Number(REGSTR_PROFILE_PROVISIONING_TUNNEL, &r->provisioningTunnel);
    key.Text(REGSTR_PROFILE_ID, r->identity, sizeof(r->identity));
    key.Text(REGSTR_PROFILE_PASSWORD, r->password, sizeof(r->password));
    key.Text(REGSTR_PROFILE_DOMAIN_NAME, r->domainName, sizeof(r->domainName));
    key.Text(REGSTR_PROFILE_TUNNEL_ID, r->tunnelId, sizeof(r->tunnelId));
    key.Text(REGSTR_PROFILE_TUNNEL_PASSWORD, r->tunnelPassword, sizeof(r->tunnelPassword));
    key.Number(REGSTR_PROFILE_SESSION_RESUMPTION, &r->sessionResumption);
    key.Number(REGSTR_PROFILE_PASSWORD_MODE, &r->passwordMode);
    key.Number(REGSTR_PROFILE_USE_CLIENT_CERT, &r->useClientCert);
    if (r->useClientCert)
        ReadCertificate(key, REGSTR_PROFILE_CLIENT_CERT_LEN, REGSTR_PROFILE_CLIENT_CERT_DATA, &r->clientCertLength,
                        r->clientCert);
    key.Number(REGSTR_PROFILE_USE_SERVER_CERT, &r->useServerCert);
    if (r->useServerCert)
        ReadCertificate(key, REGSTR_PROFILE_SERVER_CERT_LEN, REGSTR_PROFILE_SERVER_CERT_DATA, &r->serverCertLength,
                        r->serverCert);
    key.Number(REGSTR_PROFILE_USE_PAC, &r->usePac);
    key.Number(REGSTR_PROFILE_PROVISION_MODE, &r->provisionMode);
    key.Text(REGSTR_PROFILE_PAC_FILE_PATH, r->pacFilePath, sizeof(r->pacFilePath));
    key.Text(REGSTR_PROFILE_SERVER_NAME, r->serverName, sizeof(r->serverName));
    key.Number(REGSTR_PROFILE_NAME_RULE, &r->nameRule);
    key.Number(REGSTR_PROFILE_INTERMEDIATE_CERT, &r->intermediateCert);

    // WEP keys only where the record owns them (shared key or WEP): blobs
    // outside that rule would never be freed or copied.
    int keyUse = 0;
    key.Number(REGSTR_PROFILE_WEP_KEY_USE, &keyUse);
    if (StationConfigOwnsWepKeys(r)) {
        static const char* const kKeys[4] = { REGSTR_PROFILE_WEP_KEY1, REGSTR_PROFILE_WEP_KEY2,
                                              REGSTR_PROFILE_WEP_KEY3, REGSTR_PROFILE_WEP_KEY4 };
        for (int i = 0; i < 4; ++i) {
            CString hex;
            BYTE bytes[13] = {};
            DWORD n = key.Text(kKeys[i], hex) ? WepKeyFromHex(hex, bytes) : 0;
            if (n) SetStationWepKey(r, i, keyUse == i + 1, bytes, n);
        }
    }

    CString psk;
    key.Text(REGSTR_PROFILE_WPAPSK, psk);
    if (r->authMode != Ndis802_11AuthModeWPANone) {
        // A longer text is no passphrase and no key: it is left out.
        if (psk.GetLength() <= 64) {
            std::memcpy(r->wpaPsk, psk.GetString(), (size_t)psk.GetLength());
            r->wpaPskLength = (DWORD)psk.GetLength();
        }
    } else {
        BYTE k[40] = {};
        bool ok;
        if (psk.GetLength() == 64)
            ok = IsHexString(psk.GetString(), 64) && HexStringToBytes(psk.GetString(), k, 32) == 32;
        else
            ok = PasswordHash(psk.GetString(), r->ssid.Ssid, (int)r->ssid.SsidLength, k) != FALSE;
        if (!ok || !SetStationWpaNoneKey(r, k)) return false;
    }

    key.Number(REGSTR_PROFILE_TX_POWER, &r->txPowerIndex);
    if (r->infrastructureMode != Ndis802_11IBSS) {
        if (key.Number(REGSTR_PROFILE_PS_MODE, &v)) r->powerMode = v == 1 ? 2 : (v >= 3 || v < 0) ? 0 : (DWORD)v;
        if (g_wDriverVersion >= 0x0501) key.Number(REGSTR_PROFILE_AC_POWER_CAM, &r->acPowerCam);
    } else {
        int channel = 0;
        if (key.Number(REGSTR_CHANNEL, &channel) && channel > 0) r->adhocChannelKHz = ChannelToFrequency((DWORD)channel);
    }
    r->disassociateFirst = 1;
    return true;
}

}  // namespace

// Counts and lengths are bounded by the block's own fields, whatever the
// registry holds.
void ReloadWpsCredentials()
{
    std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
    CKeyReader wsc(OpenAdapterKey(KEY_READ, REGSTR_KEY_WSC_PROFILE));
    int v = 0;
    if (wsc.Number("ConfigMode", &v)) g_nWscConfigMode = v;
    if (wsc.Number("PinCode", &v)) g_dwWscPinCode = (DWORD)v;
    int count = 0;
    wsc.Number("NumberofProfile", &count);
    count = Clamp(count, 0, 8);
    g_WscCredentials.count = (DWORD)count;
    for (int i = 0; i < count; ++i) {
        char sub[64];
        std::snprintf(sub, sizeof(sub), "%s\\Profile%d", REGSTR_KEY_WSC_PROFILE, i);
        CKeyReader p(OpenAdapterKey(KEY_READ, sub));
        WpsCredential& c = g_WscCredentials.cred[i];
        // An SSID and a key are octets, NULs among them.  The SSID is stored
        // with a terminator after it (SaveWscProfiles writes one; the registry
        // keeps one a writer leaves after its text); the key is the first
        // KeyLength bytes of its value.
        std::vector<BYTE> ssid;
        if (p.TextBytes("SSID", ssid)) {
            if (!ssid.empty() && ssid.back() == 0) ssid.pop_back();
            c.ssid.SsidLength = (ULONG)Clamp((int)ssid.size(), 0, 32);
            std::memcpy(c.ssid.Ssid, ssid.data(), c.ssid.SsidLength);
        }
        p.Number("AuthType", &c.AuthType);
        p.Number("EncryType", &c.EncrType);
        p.Number("KeyIndex", &c.KeyIndex);
        int keyLength = 0;
        if (p.Number("KeyLength", &keyLength)) c.KeyLength = (DWORD)Clamp(keyLength, 0, 64);
        // A key the registry holds fewer bytes of than its length is no key:
        // a credential that needs one is then not usable.
        std::vector<BYTE> key;
        if (c.KeyLength && p.TextBytes("Key", key) && key.size() >= c.KeyLength)
            std::memcpy(c.Key, key.data(), c.KeyLength);
        else
            c.KeyLength = 0;
        p.Bytes("MacAddress", c.MacAddress, sizeof(c.MacAddress));
    }
}

void DesiredRatesFromTransRate(int wirelessMode, int transRate, DWORD transmitSetting, BYTE out[8])
{
    static const BYTE kAll11g[8] = { 108, 96, 72, 48, 22, 11, 4, 2 };
    static const BYTE kAll11a[8] = { 108, 96, 72, 48, 36, 24, 18, 12 };
    static const BYTE kAll11b[8] = { 22, 11, 4, 2 };
    static const BYTE kOfdm[8] = { 12, 18, 24, 36, 48, 72, 96, 108 };
    static const BYTE kMixed[12] = { 2, 4, 11, 22, 12, 18, 24, 36, 48, 72, 96, 108 };
    std::memset(out, 0, 8);
    if ((wirelessMode == 1 && transRate >= 5) || (wirelessMode == 2 && transRate >= 9)) transRate = 0;
    if (wirelessMode == 5 || wirelessMode == 6 || wirelessMode == 9) {
        if (((transmitSetting >> 4) & 0x7F) == 33) std::memcpy(out, kAll11g, 8);
        else out[0] = 108;
    } else if (wirelessMode == 2 || wirelessMode == 4) {
        if (transRate >= 1 && transRate <= 8) out[0] = kOfdm[transRate - 1];
        else std::memcpy(out, kAll11a, 8);
    } else if (transRate >= 1 && transRate <= 12) {
        out[0] = kMixed[transRate - 1];
    } else {
        std::memcpy(out, wirelessMode == 1 ? kAll11b : kAll11g, 8);
    }
}

void ReadSsoSettings()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSsoKey, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSsoKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        g_bSsoPending = FALSE;
        return;
    }
    CString enable;
    if (!ReadRegText(key, kSsoEnable, enable)) {
        g_bSsoPending = FALSE;
    } else if (enable == "0") {
        g_bSsoPending = FALSE;
        WriteRegText(key, kSsoCancelled, "0");
    } else {
        CString cancelled;
        g_bSsoPending = ReadRegText(key, kSsoCancelled, cancelled) && cancelled != "0";
        RegCloseKey(key);
        key = nullptr;
        // Gives the logon's own authentication a moment before the link is judged.
        Sleep(1000);
    }
    if (key) RegCloseKey(key);
}

void SetOidFromReg(BOOL bApplyRadio)
{
    StationConfig* r = AllocStationConfig();
    if (!r) return;
    int wsc = 0;
    {
        CKeyReader key(OpenAdapterKey(KEY_READ));
        key.Number(REGSTR_PROFILE_WPS, &wsc);
    }
    g_bWscInUse = wsc;
    g_bConfigFromRegistry = FALSE;

    ReloadWpsCredentials();
    if (g_bWscInUse) {
        g_bWpsRotate = TRUE;
        if (g_WscCredentials.count >= 1) {
            ConnectWpsCredential();
            if (g_pControllerDoor) g_pControllerDoor->SetControllerTimer(IDT_WPS_CREDENTIAL, 10000);
        }
        FreeStationConfig(r);
        return;
    }

    r->matchByBssid = 0;
    g_bConfigFromRegistry = TRUE;
    ReadSsoSettings();
    if (g_hAuthPort == 0 && g_nWzcMode != WZC_MANAGES) {
        if (!AuthPortObjectExists()) InitAuthLibrary();
        g_hAuthPort = OpenAuthPort(FALSE) ? 1 : 0;
        g_nAuthState = g_hAuthPort > 0 ? 6 : 0;
    }

    bool usable = ReadProfileValues(r, bApplyRadio);

    bool queue = false;
    if (g_bSsoPending != 1) {
        queue = g_bAutoConnect != FALSE;
    } else {
        // A pending single sign-on: connect only when the logon did not bring the link up.
        DWORD media = 0;
        QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
        queue = media != 0 && g_hAuthPort == 1 && g_bAutoConnect == 1;
        g_bSsoPending = FALSE;
    }
    if (usable && queue) {
        QueueAndConnect(CONNECT_APPLY, r);
    } else {
        FreeStationConfig(r);
    }
}
