// The WPS credentials: the driver's credential block as the WPS run takes it
// (KeepUsableWpsCredentials with the byte count the driver reported, then
// the station record and the pre-shared key the port hands the library),
// and the copy under the adapter key's WscProfile as SetOidFromReg reloads
// it, alone and after SaveWscProfiles wrote a block.
#include "FakeLibrary.h"
#include "Robust.h"

#include <cstdio>
#include <string>

#include "auth/AuthPort.h"
#include "auth/SupplicantBinding.h"
#include "core/ApplyConfig.h"
#include "core/HexUtil.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "core/WpsRuntime.h"
#include "mainwnd/ScratchAdapterKey.h"
#include "support/Restore.h"

namespace {

using robust::Bytes;

const size_t kCredAt = 4;
const size_t kCredSize = sizeof(WpsCredential);

bool AllHex(const BYTE* p, DWORD n)
{
    for (DWORD i = 0; i < n; ++i)
        if (!std::isxdigit(p[i])) return false;
    return n > 0;
}

bool HasNul(const BYTE* p, DWORD n)
{
    for (DWORD i = 0; i < n; ++i)
        if (!p[i]) return true;
    return false;
}

// A credential of one of the kinds a registrar hands out.
WpsCredential ValidCredential(robust::Rng& rng)
{
    WpsCredential c;
    std::memset(&c, 0, sizeof(c));
    c.ssid.SsidLength = 1 + rng.Below(32);
    for (ULONG i = 0; i < c.ssid.SsidLength; ++i) c.ssid.Ssid[i] = (BYTE)('a' + rng.Below(26));
    static const char kHex[] = "0123456789abcdefABCDEF";
    auto text = [&](DWORD n, bool hex) {
        c.KeyLength = n;
        for (DWORD i = 0; i < n; ++i) c.Key[i] = hex ? (BYTE)kHex[rng.Below(22)] : (BYTE)(' ' + 1 + rng.Below(94));
    };
    switch (rng.Below(5)) {
    case 0: c.AuthType = WPS_AUTH_OPEN; c.EncrType = WPS_ENCR_NONE; break;
    case 1: {
        static const DWORD kWep[] = { 5, 13, 10, 26 };
        c.AuthType = rng.OneIn(2) ? WPS_AUTH_OPEN : WPS_AUTH_SHARED;
        c.EncrType = WPS_ENCR_WEP;
        c.KeyIndex = rng.Below(4);
        DWORD n = rng.Pick(kWep);
        text(n, n == 10 || n == 26);
        break;
    }
    case 2:
    case 3:
        c.AuthType = rng.OneIn(2) ? WPS_AUTH_WPA_PSK : WPS_AUTH_WPA2_PSK;
        c.EncrType = rng.OneIn(2) ? WPS_ENCR_TKIP : WPS_ENCR_AES;
        if (rng.OneIn(4)) text(64, true);
        else text(8 + rng.Below(56), false);
        break;
    default: c.AuthType = rng.OneIn(2) ? WPS_AUTH_WPA : WPS_AUTH_WPA2; c.EncrType = WPS_ENCR_AES; break;
    }
    for (BYTE& b : c.MacAddress) b = rng.Byte();
    return c;
}

// What a usable credential must be: whole, so that what the port and the
// driver get is what was checked.
std::string WholeCredentialFault(const WpsCredential& c)
{
    if (c.ssid.SsidLength == 0 || c.ssid.SsidLength > 32) return "SSID length " + std::to_string(c.ssid.SsidLength);
    if (c.KeyIndex > 3) return "key index " + std::to_string(c.KeyIndex);
    if (c.KeyLength > 64) return "key length " + std::to_string(c.KeyLength);
    if (WpsEncrToNdis(c.EncrType) == 0) {
        DWORD n = c.KeyLength;
        if (n == 10 || n == 26) return AllHex(c.Key, n) ? "" : "a hex WEP key with other characters";
        return n == 5 || n == 13 ? "" : "a WEP key of " + std::to_string(n);
    }
    DWORD auth = WpsAuthToNdis(c.AuthType);
    if (auth == 4 || auth == 7) {
        if (c.KeyLength == 64) return AllHex(c.Key, 64) ? "" : "64 characters that are not hex";
        if (c.KeyLength < 8 || c.KeyLength > 63) return "a passphrase of " + std::to_string(c.KeyLength);
        if (HasNul(c.Key, c.KeyLength)) return "a passphrase shorter than its length (a NUL in it)";
    }
    return "";
}

// The station record and the port's pre-shared key of a usable credential.
void CheckApplied(robust::Reader& reader, long i, const WpsCredential& c)
{
    StationConfig* p = BuildWpsStationConfig(c);
    if (!reader.Check(p != nullptr, i, "a usable credential gives no station record")) return;
    reader.Check(p->ssid.SsidLength == c.ssid.SsidLength && !std::memcmp(p->ssid.Ssid, c.ssid.Ssid, c.ssid.SsidLength),
                 i, "the record's SSID is not the credential's");
    if (p->authMode == 4 || p->authMode == 7) {
        reader.Check(p->wpaPskLength == c.KeyLength && !std::memcmp(p->wpaPsk, c.Key, c.KeyLength), i,
                     "the record's key is not the credential's");
        AUTH_PORT port;
        std::memset(&port, 0, sizeof(port));
        port.assocParams.ssidLength = p->ssid.SsidLength;
        std::memcpy(port.assocParams.ssid, p->ssid.Ssid, p->ssid.SsidLength);
        robust::Fake().passphrase.clear();
        robust::Fake().binaryKey.clear();
        bool made = CreatePortPsk(&port, p);
        reader.Check(made, i, "the port takes no key of a usable credential");
        if (c.KeyLength < 64)
            reader.Check(robust::Fake().passphrase == std::string((const char*)c.Key, c.KeyLength), i,
                         "the library gets the passphrase \"" + robust::Fake().passphrase + "\" of a key of " +
                             std::to_string(c.KeyLength) + " characters");
        else
            reader.Check(robust::Fake().binaryKey.size() == 32, i, "a 64-digit key is not handed over as 32 bytes");
    }
    if (p->encryption == 0) {
        int index = (int)c.KeyIndex;
        const StationKeyBlob& blob = p->wepKey[index];
        DWORD n = (c.KeyLength == 10 || c.KeyLength == 26) ? c.KeyLength / 2 : c.KeyLength;
        BYTE expected[13] = {};
        if (n != c.KeyLength) HexStringToBytes((const char*)c.Key, expected, (int)n);
        else std::memcpy(expected, c.Key, n);
        reader.Check(blob.key && blob.size == n + 39 && blob.key->KeyLength == n &&
                         !std::memcmp(blob.key->KeyMaterial, expected, n),
                     i, "the WEP key blob is not the credential's key");
    }
    FreeStationConfig(p);
}

void CheckBlock(robust::Reader& reader, long i, const Bytes& input, DWORD returned, robust::GuardedArea& area)
{
    WpsCredentialBlock* block = area.PlaceAs<WpsCredentialBlock>(input);
    DWORD kept = KeepUsableWpsCredentials(block, returned);
    const WpsCredentialBlock* in = reinterpret_cast<const WpsCredentialBlock*>(input.data());
    DWORD whole = returned > 4 ? (returned - 4) / (DWORD)kCredSize : 0;
    DWORD limit = std::min<DWORD>({ returned >= 4 ? in->count : 0, 8, whole });
    reader.Check(kept == block->count && kept <= limit, i,
                 "kept " + std::to_string(kept) + " of a block that holds " + std::to_string(limit));
    // The kept ones are the usable ones of the whole ones, in their order.
    DWORD next = 0;
    for (DWORD k = 0; k < kept && k < 8; ++k) {
        const WpsCredential& c = block->cred[k];
        std::string fault = WholeCredentialFault(c);
        if (!reader.Check(fault.empty(), i, "credential " + std::to_string(k) + " counted usable: " + fault)) return;
        while (next < limit && std::memcmp(&in->cred[next], &c, kCredSize) != 0) ++next;
        if (!reader.Check(next < limit, i, "a kept credential that the driver did not send among its whole ones"))
            return;
        ++next;
        CheckApplied(reader, i, c);
    }
    for (DWORD k = kept; k < 8; ++k) {
        static const WpsCredential zero = {};
        reader.Check(!std::memcmp(&block->cred[k], &zero, kCredSize), i, "a place after the kept ones is not zero");
    }
}

Bytes RandomBlock(robust::Rng& rng, DWORD* returned)
{
    WpsCredentialBlock b;
    std::memset(&b, 0, sizeof(b));
    b.count = 1 + rng.Below(8);
    for (DWORD k = 0; k < b.count; ++k) b.cred[k] = ValidCredential(rng);
    Bytes bytes((const BYTE*)&b, (const BYTE*)&b + sizeof(b));
    std::vector<size_t> fields = { 0 };
    for (size_t k = 0; k < 8; ++k)
        for (size_t f : { 0u, 36u, 40u, 44u, 48u }) fields.push_back(kCredAt + k * kCredSize + f);
    int changes = (int)rng.Below(4);
    for (int m = 0; m < changes; ++m) {
        size_t cred = kCredAt + rng.Below(b.count) * kCredSize;
        switch (rng.Below(4)) {
        case 0: robust::PutLe32(bytes, rng.Pick(fields), rng.EdgeOf(64)); break;
        case 1: bytes[cred + 52 + rng.Below(64)] = 0; break;     // a NUL in the key
        case 2: bytes[cred + 4 + rng.Below(32)] = 0; break;      // and in the SSID
        default: robust::PutLe32(bytes, cred + 48, rng.Below(70)); break;
        }
    }
    *returned = rng.OneIn(3) ? rng.EdgeOf((DWORD)sizeof(b)) : (DWORD)sizeof(b);
    if (rng.OneIn(4)) *returned = 4 + (DWORD)kCredSize * rng.Below(9) + rng.Below(3);
    return bytes;
}

TEST(WpsCredentials, TheDriversBlock)
{
    robust::FakeLibrary library;
    ASSERT_TRUE(library.ok());
    robust::GuardedArea area;
    robust::Reader reader("wps-driver-block", 3000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        library.Reset(rng);
        DWORD returned = 0;
        Bytes block = RandomBlock(rng, &returned);
        CheckBlock(reader, i, block, returned, area);
    });
}

// The review's input: one WPA2-PSK credential of KeyLength 8 whose key is
// "abc\0efgh"; the library was given "abc".  It is not usable.
TEST(WpsCredentials, APassphraseWithANulIsNotUsable)
{
    robust::FakeLibrary library;
    Bytes input = robust::FuzzInput("F3-wpscred-psk-nul.bin");
    ASSERT_EQ(1000u, input.size());
    DWORD returned = robust::Le32(input, 996);
    input.resize(996);
    robust::GuardedArea area;
    WpsCredentialBlock* block = area.PlaceAs<WpsCredentialBlock>(input);
    ASSERT_EQ(1u, block->count);
    ASSERT_EQ(8u, block->cred[0].KeyLength);
    ASSERT_EQ(0, std::memcmp(block->cred[0].Key, "abc\0efgh", 8));
    EXPECT_FALSE(IsUsableWpsCredential(block->cred[0]));
    EXPECT_EQ(nullptr, BuildWpsStationConfig(block->cred[0]));
    EXPECT_EQ(0u, KeepUsableWpsCredentials(block, returned));
    // Without the NUL it is.
    input[4 + 52 + 3] = 'd';
    block = area.PlaceAs<WpsCredentialBlock>(input);
    EXPECT_EQ(1u, KeepUsableWpsCredentials(block, returned));
}

// ---- The copy under WscProfile ------------------------------------------------------------

class WscKey {
public:
    WscKey() : m_key("KestiqRobustWsc") {}
    std::string Sub(const std::string& sub) const { return m_key.Path() + "\\WscProfile" + (sub.empty() ? "" : "\\" + sub); }
    void Clear() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, Sub("").c_str()); }
    void Put(const std::string& sub, const char* name, DWORD type, const Bytes& data)
    {
        HKEY k = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, Sub(sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(k, name, 0, type, data.data(), (DWORD)data.size());
        RegCloseKey(k);
    }
    // The value as stored: its type and bytes; false when missing.
    bool Get(const std::string& sub, const char* name, DWORD* type, Bytes& data) const
    {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Sub(sub).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        DWORD size = 0;
        bool ok = RegQueryValueExA(k, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
        data.assign(size, 0);
        if (ok && size) ok = RegQueryValueExA(k, name, nullptr, type, data.data(), &size) == ERROR_SUCCESS;
        RegCloseKey(k);
        return ok;
    }

private:
    kqtest::ScratchAdapterKey m_key;
};

const char* const kWscValues[3] = { "NumberofProfile", "ConfigMode", "PinCode" };
const char* const kProfileValues[7] = { "SSID", "AuthType", "EncryType", "KeyIndex", "KeyLength", "Key", "MacAddress" };

Bytes TextBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The stored key of a credential as the registry holds it, for the checks.
struct StoredCredential {
    bool hasSsid = false, hasKey = false, hasKeyLength = false;
    Bytes ssid, key;
    int keyLength = 0;
};

StoredCredential ReadStored(const WscKey& wsc, int i)
{
    StoredCredential s;
    std::string sub = "Profile" + std::to_string(i);
    DWORD type = 0;
    Bytes data;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, wsc.Sub(sub).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return s;
    int n = 0;
    s.hasKeyLength = ReadRegNumber(k, "KeyLength", &n) != FALSE;
    s.keyLength = n;
    RegCloseKey(k);
    if (wsc.Get(sub, "SSID", &type, data) && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        s.hasSsid = true;
        s.ssid = data;
    }
    if (wsc.Get(sub, "Key", &type, data) && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        s.hasKey = true;
        s.key = data;
    }
    return s;
}

// A value of WscProfile as a person or another tool might have left it.
void PutRandomValue(WscKey& wsc, const std::string& sub, const char* name, robust::Rng& rng, const std::string& sound)
{
    Bytes data = TextBytes(sound);
    DWORD type = REG_SZ;
    switch (rng.Below(8)) {
    case 0: robust::Mutate(data, rng); break;
    case 1: data.push_back(0); break;                            // stored with its terminator
    case 2: {
        static const DWORD kTypes[] = { REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_EXPAND_SZ };
        type = rng.Pick(kTypes);
        break;
    }
    case 3: {
        static const char* const kNumbers[] = { "-1", "0", "1", "8", "9", "31", "32", "33", "63", "64", "65",
                                                "300", "2147483647", "2147483648", "99999999999", "", "x" };
        data = TextBytes(rng.Pick(kNumbers));
        break;
    }
    case 4: if (rng.OneIn(2)) return; break;                     // missing
    default: break;
    }
    wsc.Put(sub, name, type, data);
}

void CheckReloaded(robust::Reader& reader, long i, const WscKey& wsc)
{
    for (int k = 0; k < (int)g_WscCredentials.count && k < 8; ++k) {
        const WpsCredential& c = g_WscCredentials.cred[k];
        std::string at = "credential " + std::to_string(k) + ": ";
        reader.Check(c.ssid.SsidLength <= 32 && c.KeyLength <= 64 && c.pad[0] == 0 && c.pad[1] == 0, i,
                     at + "a length beyond its field");
        StoredCredential s = ReadStored(wsc, k);
        // The SSID is the stored bytes, NULs and all, but for the
        // terminator stored after it.
        if (s.hasSsid) {
            if (!s.ssid.empty() && s.ssid.back() == 0) s.ssid.pop_back();
            size_t n = std::min<size_t>(s.ssid.size(), 32);
            reader.Check(c.ssid.SsidLength == n && !std::memcmp(c.ssid.Ssid, s.ssid.data(), n), i,
                         at + "the SSID " + robust::Hex(c.ssid.Ssid, c.ssid.SsidLength) + " is not the stored " +
                             robust::Hex(s.ssid.data(), s.ssid.size()));
        }
        // A key is the first KeyLength bytes of the stored key, or none.
        if (c.KeyLength > 0)
            reader.Check(s.hasKey && s.key.size() >= c.KeyLength && !std::memcmp(c.Key, s.key.data(), c.KeyLength) &&
                             s.hasKeyLength && (DWORD)std::min(std::max(s.keyLength, 0), 64) == c.KeyLength,
                         i, at + "a key of " + std::to_string(c.KeyLength) + " bytes that the registry does not hold");
        if (IsUsableWpsCredential(c)) {
            std::string fault = WholeCredentialFault(c);
            reader.Check(fault.empty(), i, at + "counted usable: " + fault);
        }
    }
}

TEST(WpsCredentials, TheCopyUnderWscProfile)
{
    WscKey wsc;
    kqtest::Restore<WpsCredentialBlock> saved(g_WscCredentials);
    robust::Reader reader("wps-registry", 120, 20000);
    reader.Each([&](robust::Rng& rng, long i) {
        wsc.Clear();
        int count = (int)rng.Below(10);
        PutRandomValue(wsc, "", "NumberofProfile", rng, std::to_string(count));
        PutRandomValue(wsc, "", "ConfigMode", rng, std::to_string(rng.Below(2)));
        PutRandomValue(wsc, "", "PinCode", rng, std::to_string(rng.Below(100000000)));
        for (int k = 0; k < count && k < 9; ++k) {
            WpsCredential c = ValidCredential(rng);
            std::string sub = "Profile" + std::to_string(k);
            std::string ssid((const char*)c.ssid.Ssid, c.ssid.SsidLength), key((const char*)c.Key, c.KeyLength);
            PutRandomValue(wsc, sub, "SSID", rng, ssid);
            PutRandomValue(wsc, sub, "AuthType", rng, std::to_string(c.AuthType));
            PutRandomValue(wsc, sub, "EncryType", rng, std::to_string(c.EncrType));
            PutRandomValue(wsc, sub, "KeyIndex", rng, std::to_string(c.KeyIndex));
            PutRandomValue(wsc, sub, "KeyLength", rng, std::to_string(c.KeyLength + (rng.OneIn(4) ? rng.Below(9) : 0)));
            PutRandomValue(wsc, sub, "Key", rng, key);
            if (!rng.OneIn(8)) wsc.Put(sub, "MacAddress", REG_BINARY, Bytes(c.MacAddress, c.MacAddress + 6));
        }
        ReloadWpsCredentials();
        reader.Check(g_WscCredentials.count <= 8, i, "a count beyond the block");
        CheckReloaded(reader, i, wsc);
    });
}

// Saved, then reloaded as after a restart: every usable credential comes
// back as it was, whatever bytes its SSID and key hold.
TEST(WpsCredentials, SavedAndReloaded)
{
    WscKey wsc;
    kqtest::Restore<WpsCredentialBlock> saved(g_WscCredentials);
    robust::Reader reader("wps-roundtrip", 120, 20000);
    reader.Each([&](robust::Rng& rng, long i) {
        wsc.Clear();
        std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
        g_WscCredentials.count = 1 + rng.Below(8);
        for (DWORD k = 0; k < g_WscCredentials.count; ++k) {
            WpsCredential& c = g_WscCredentials.cred[k];
            c = ValidCredential(rng);
            if (rng.OneIn(2)) c.ssid.Ssid[rng.Below(c.ssid.SsidLength)] = 0;
            if (c.EncrType == WPS_ENCR_WEP && (c.KeyLength == 5 || c.KeyLength == 13) && rng.OneIn(2))
                c.Key[rng.Below(c.KeyLength)] = 0;
        }
        WpsCredentialBlock before = g_WscCredentials;
        SaveWscProfiles();
        ReloadWpsCredentials();
        reader.Check(g_WscCredentials.count == before.count, i, "the count changed");
        for (DWORD k = 0; k < before.count && k < 8; ++k) {
            if (!IsUsableWpsCredential(before.cred[k])) continue;
            reader.Check(!std::memcmp(&before.cred[k], &g_WscCredentials.cred[k], kCredSize), i,
                         "usable credential " + std::to_string(k) + " came back as another: SSID " +
                             robust::Hex(g_WscCredentials.cred[k].ssid.Ssid, g_WscCredentials.cred[k].ssid.SsidLength) +
                             " (was " + robust::Hex(before.cred[k].ssid.Ssid, before.cred[k].ssid.SsidLength) +
                             "), key " + robust::Hex(g_WscCredentials.cred[k].Key, g_WscCredentials.cred[k].KeyLength) +
                             " (was " + robust::Hex(before.cred[k].Key, before.cred[k].KeyLength) + ")");
        }
    });
}

// The review's inputs in the harness's encoding.  F4: a mode byte (1: save
// the block, then reload it) and the 996-byte block: SSID "ab\0cd" and the
// WEP key "PMQZB\0WIKTOAI".  F5: a mode byte (0: registry values) and
// records of (key: 0 WscProfile, 1 Profile0; name index; type; u16 length;
// data): KeyLength "20" with Key "abc" on WPA2-PSK.
TEST(WpsCredentials, TheReviewsRegistryInputs)
{
    WscKey wsc;
    kqtest::Restore<WpsCredentialBlock> saved(g_WscCredentials);
    {
        SCOPED_TRACE("F4: NULs in an SSID and a WEP key across a restart");
        robust::SetCurrent("F4-wpsreload-roundtrip-nul.bin", 0);
        Bytes input = robust::FuzzInput("F4-wpsreload-roundtrip-nul.bin");
        ASSERT_EQ(997u, input.size());
        ASSERT_EQ(1, input[0]);
        wsc.Clear();
        std::memcpy(&g_WscCredentials, &input[1], sizeof(g_WscCredentials));
        WpsCredentialBlock before = g_WscCredentials;
        ASSERT_EQ(2u, before.count);
        ASSERT_TRUE(IsUsableWpsCredential(before.cred[0]));
        ASSERT_TRUE(IsUsableWpsCredential(before.cred[1]));
        SaveWscProfiles();
        ReloadWpsCredentials();
        ASSERT_EQ(2u, g_WscCredentials.count);
        EXPECT_EQ(std::string("ab\0cd", 5),
                  std::string((const char*)g_WscCredentials.cred[0].ssid.Ssid, g_WscCredentials.cred[0].ssid.SsidLength));
        EXPECT_EQ(std::string("PMQZB\0WIKTOAI", 13),
                  std::string((const char*)g_WscCredentials.cred[1].Key, g_WscCredentials.cred[1].KeyLength));
        EXPECT_EQ(0, std::memcmp(&before, &g_WscCredentials, sizeof(before)));
    }
    {
        SCOPED_TRACE("F5: a KeyLength longer than the stored key");
        robust::SetCurrent("F5-wpsreload-keylength-lies.bin", 0);
        Bytes input = robust::FuzzInput("F5-wpsreload-keylength-lies.bin");
        ASSERT_EQ(70u, input.size());
        ASSERT_EQ(0, input[0]);
        wsc.Clear();
        for (size_t at = 1; at + 8 <= input.size();) {
            int key = input[at], name = input[at + 1];
            DWORD type = robust::Le32(input, at + 2);
            size_t length = robust::Le16(input, at + 6);
            ASSERT_LE(at + 8 + length, input.size());
            Bytes data(input.begin() + (long)(at + 8), input.begin() + (long)(at + 8 + length));
            ASSERT_TRUE(key == 0 ? name < 3 : name < 7);
            wsc.Put(key == 0 ? "" : "Profile0", key == 0 ? kWscValues[name] : kProfileValues[name], type, data);
            at += 8 + length;
        }
        ReloadWpsCredentials();
        ASSERT_EQ(1u, g_WscCredentials.count);
        const WpsCredential& c = g_WscCredentials.cred[0];
        EXPECT_EQ("net", std::string((const char*)c.ssid.Ssid, c.ssid.SsidLength));
        EXPECT_EQ(0x20u, c.AuthType);
        EXPECT_FALSE(IsUsableWpsCredential(c)) << "KeyLength " << c.KeyLength << ", key " << robust::Hex(c.Key, 20);
        EXPECT_EQ(0u, c.KeyLength) << "a key the registry does not hold in full is no key";
        // The same with the whole key stored is usable.
        wsc.Put("Profile0", "Key", REG_SZ, TextBytes("abcdefghijklmnopqrst"));
        ReloadWpsCredentials();
        EXPECT_TRUE(IsUsableWpsCredential(g_WscCredentials.cred[0]));
        EXPECT_EQ(20u, g_WscCredentials.cred[0].KeyLength);
    }
    robust::SetCurrent("", -1);
}

}  // namespace
