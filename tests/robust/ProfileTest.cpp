// Profiles: the 51 value texts decoded into the editor's settings and
// encoded again (any text, any number), the number reader on texts that end
// at a no-access page, and stored profiles as a person or another tool might
// have left them, read by the store, listed, and activated into the adapter
// key where the apply step reads them.
#include "Robust.h"

#include <algorithm>
#include <climits>
#include <set>
#include <string>

#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "mainwnd/ScratchAdapterKey.h"

namespace {

using robust::Bytes;

const int kNumberValues[] = { PV_CHANNEL, PV_NETWORK_TYPE, PV_PREAMBLE_TYPE, PV_AC_POWER_CAM, PV_PS_MODE, PV_TX_POWER,
                              PV_USE_RTS, PV_RTS_THRESH, PV_USE_FRAG, PV_FRAG_THRESH, PV_AUTHEN_TYPE, PV_ENCRYPTION,
                              PV_LEAP_ENABLED, PV_LEAP_ENCRY_TYPE, PV_WEP_KEY_USE, PV_WEP_KEY1_TYPE, PV_WEP_KEY2_TYPE,
                              PV_WEP_KEY3_TYPE, PV_WEP_KEY4_TYPE, PV_USE_8021X, PV_AUTHEN_PROTOCOL, PV_TUNNEL_PROTOCOL,
                              PV_PROVISIONING_TUNNEL, PV_SESSION_RESUMPTION, PV_PASSWORD_MODE, PV_USE_CLIENT_CERT,
                              PV_USE_SERVER_CERT, PV_USE_PAC, PV_PROVISION_MODE, PV_CLIENT_CERT_LEN,
                              PV_SERVER_CERT_LEN, PV_NAME_RULE, PV_INTERMEDIATE_CERT };

bool IsNumberValue(int v) { return std::find(std::begin(kNumberValues), std::end(kNumberValues), v) != std::end(kNumberValues); }

std::string RandomText(robust::Rng& rng, int value)
{
    static const char* const kNumbers[] = { "0", "1", "2", "3", "4", "5", "6", "7", "8", "-1", "13", "26", "208",
                                            "212", "216", "255", "256", "2346", "2347", "2348", "152", "153",
                                            "2147483647", "2147483648", "-2147483649", "99999999999", "", "x", "12x" };
    static const size_t kLengths[] = { 0, 1, 5, 9, 10, 11, 13, 25, 26, 27, 63, 64, 65, 126, 127, 128, 129, 200, 304 };
    if (IsNumberValue(value) && !rng.OneIn(4)) {
        if (rng.OneIn(6)) return std::string(127 + rng.Below(3), '0') + "1";
        return rng.Pick(kNumbers);
    }
    size_t n = rng.Pick(kLengths);
    static const char kChars[] = "0123456789abcdefABCDEFxyz -\\@";
    std::string s;
    for (size_t k = 0; k < n; ++k) s += kChars[rng.Below(sizeof(kChars) - 1)];
    return s;
}

std::string Fields(const ProfileValues& v)
{
    std::string s;
    for (int k = 0; k < PV_COUNT; ++k) s += std::string(v.present[k] ? "" : "!") + v.text[k].GetString() + ";";
    return s;
}

TEST(Profiles, Decoding)
{
    robust::Reader reader("profile-decode", 3000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        ProfileValues values;
        for (int k = 0; k < PV_COUNT; ++k) {
            values.present[k] = !rng.OneIn(5);
            if (values.present[k]) values.text[k] = RandomText(rng, k).c_str();
        }
        ProfileSettings s;
        DecodeProfile(values, s);
        reader.Check(s.networkType >= 0 && s.networkType <= 1 && s.preamble >= 0 && s.preamble <= 1 &&
                         s.powerSave >= 0 && s.powerSave <= 1 && s.txPower >= 0 && s.txPower <= 6 &&
                         s.rtsThreshold >= 0 && s.rtsThreshold <= 2347 && s.fragThreshold >= 256 &&
                         s.fragThreshold <= 2346 && s.authChoice >= 0 && s.authChoice <= 7 &&
                         s.encryptionChoice >= 0 && s.encryptionChoice <= 3 && s.defaultKey >= 0 &&
                         s.defaultKey <= 3 && s.leapCipher >= 0 && s.leapCipher <= 2 &&
                         s.dot1x.eapMethod >= 0 && s.dot1x.eapMethod <= 4 && s.dot1x.clientCertLength >= 0 &&
                         s.dot1x.clientCertLength <= kCertDataMax && s.dot1x.serverCertLength >= 0 &&
                         s.dot1x.serverCertLength <= kCertDataMax && s.dot1x.ttlsInnerMethod >= 1 &&
                         s.dot1x.ttlsInnerMethod <= 5,
                     i, "a decoded setting outside its range");
        for (int k = 0; k < 4; ++k)
            reader.Check(s.keyFormat[k] == 0 || s.keyFormat[k] == 1, i, "a key format that is neither hex nor ASCII");
        // Stable after one store: what is written once reads back to itself.
        ProfileValues once, twice;
        EncodeProfile(s, once);
        ProfileSettings again;
        DecodeProfile(once, again);
        EncodeProfile(again, twice);
        reader.Check(Fields(once) == Fields(twice), i, "a stored profile reads back as another: " + Fields(once) +
                                                           " then " + Fields(twice));
    });
}

TEST(Profiles, TheNumberReader)
{
    robust::GuardedArea area;
    robust::Reader reader("profile-number", 20000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        std::string t = RandomText(rng, PV_TX_POWER);
        if (rng.OneIn(3)) {
            Bytes b = rng.RandomBytes(rng.Below(40));
            for (BYTE& x : b)
                if (!x) x = '9';
            t.assign(b.begin(), b.end());
        }
        const char* text = (const char*)area.Place(t.c_str(), t.size() + 1);
        int n = 12345;
        BOOL ok = ParseProfileNumber(text, &n);
        const char* p = t.c_str();
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
        bool negative = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        long long v = 0;
        for (; *p >= '0' && *p <= '9'; ++p) v = std::min(v * 10 + (*p - '0'), (long long)INT_MAX + 1);
        if (negative) v = -v;
        v = std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v));
        reader.Check(ok && n == v, i, "\"" + t + "\" reads " + std::to_string(n));
    });
}

// ---- Stored profiles ----------------------------------------------------------------------

class StoredProfiles : public ::testing::Test {
protected:
    HKEY Station()
    {
        HKEY k = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, (m_key.Path() + "\\Profile\\Station").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &k, nullptr);
        return k;
    }
    void Put(const char* profile, const char* name, DWORD type, const Bytes& data)
    {
        HKEY k = CreateProfileKey(profile);
        if (!k) return;
        RegSetValueExA(k, name, 0, type, data.data(), (DWORD)data.size());
        RegCloseKey(k);
    }
    // After an activation, every number the apply step reads from the
    // adapter key is one its strict reader takes.
    std::string UnreadableNumbers()
    {
        std::string bad;
        HKEY adapter = OpenAdapterKey(KEY_READ);
        for (int v : kNumberValues) {
            if (v == PV_CHANNEL) continue;   // no default of its own: the adapter key's stays
            int n = 0;
            DWORD size = 0;
            if (RegQueryValueExA(adapter, ProfileValueName(v), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
                !ReadRegNumber(adapter, ProfileValueName(v), &n))
                bad += std::string(ProfileValueName(v)) + " ";
        }
        RegCloseKey(adapter);
        return bad;
    }

    kqtest::ScratchAdapterKey m_key{ "KestiqRobustProfiles" };
};

TEST_F(StoredProfiles, ReadListedAndActivated)
{
    robust::Reader reader("profile-registry", 60, 10000);
    reader.Each([&](robust::Rng& rng, long i) {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, (m_key.Path() + "\\Profile").c_str());
        // Names at the edge of the enumeration's buffer.
        std::set<std::string> usable;
        int names = 1 + (int)rng.Below(4);
        HKEY station = Station();
        for (int k = 0; k < names; ++k) {
            std::string name = "p" + std::string(rng.Below(4) ? rng.Below(8) : 30 + rng.Below(5), 'n') + std::to_string(k);
            HKEY sub = nullptr;
            RegCreateKeyExA(station, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
            if (sub) RegCloseKey(sub);
            if (name.size() <= (size_t)kProfileNameMax) usable.insert(name);
        }
        RegCloseKey(station);
        std::vector<CString> listed = EnumProfileNames();
        std::set<std::string> got;
        for (const CString& n : listed) got.insert(n.GetString());
        reader.Check(got == usable, i, "the listed names are not the stored usable ones");
        if (usable.empty()) return;
        const std::string profile = *usable.begin();

        for (int v = 0; v < PV_COUNT; ++v) {
            if (rng.OneIn(6)) continue;
            std::string t = RandomText(rng, v);
            Bytes data(t.begin(), t.end());
            DWORD type = REG_SZ;
            if (rng.OneIn(8)) data.push_back(0);
            if (rng.OneIn(12)) type = rng.OneIn(2) ? REG_DWORD : REG_BINARY;
            if (type == REG_DWORD) data = rng.RandomBytes(rng.OneIn(2) ? 4 : rng.Below(8));
            Put(profile.c_str(), ProfileValueName(v), type, data);
        }
        HKEY key = OpenProfileKey(profile.c_str(), KEY_READ);
        ProfileValues values;
        ReadProfileValues(key, values);
        RegCloseKey(key);
        for (int v = 0; v < PV_COUNT; ++v)
            if (values.present[v])
                reader.Check(values.text[v].GetLength() <= 127, i,
                             std::string(ProfileValueName(v)) + " read as a text of " +
                                 std::to_string(values.text[v].GetLength()) + " characters");
        ProfileSettings settings;
        reader.Check(ReadProfile(profile.c_str(), settings) != FALSE, i, "a stored profile does not read");
        reader.Check(CopyProfileToAdapterKey(profile.c_str()) != FALSE, i, "a stored profile does not activate");
        std::string bad = UnreadableNumbers();
        reader.Check(bad.empty(), i, "after the activation the apply step cannot read " + bad);
    });
}

// The review's input in the harness's encoding: the profile name with its
// NUL, then records of (value index, type, u16 length, data): TXPower a
// number of 128 characters, ID of 128 characters, ProvisioningTunnel
// "99999999999".
TEST_F(StoredProfiles, TheReviewsProfile)
{
    robust::SetCurrent("F6-profilereg-128-and-range.bin", 0);
    Bytes input = robust::FuzzInput("F6-profilereg-128-and-range.bin");
    ASSERT_EQ(290u, input.size());
    std::string name((const char*)input.data());
    ASSERT_EQ("p", name);
    for (size_t at = name.size() + 1; at < input.size();) {
        ASSERT_LE(at + 7, input.size());
        int value = input[at];
        DWORD type = robust::Le32(input, at + 1);
        size_t length = robust::Le16(input, at + 5);
        ASSERT_LT(value, PV_COUNT);
        ASSERT_LE(at + 7 + length, input.size());
        Put(name.c_str(), ProfileValueName(value), type, Bytes(input.begin() + (long)(at + 7), input.begin() + (long)(at + 7 + length)));
        at += 7 + length;
    }
    HKEY key = OpenProfileKey("p", KEY_READ);
    ProfileValues values;
    ReadProfileValues(key, values);
    RegCloseKey(key);
    EXPECT_FALSE(values.present[PV_TX_POWER]) << "a text of 128 characters cannot be read back";
    EXPECT_FALSE(values.present[PV_ID]) << "a text of 128 characters cannot be read back";
    EXPECT_TRUE(values.present[PV_PROVISIONING_TUNNEL]);
    // The editor keeps its fields for what cannot be read.
    ProfileSettings settings;
    settings.txPower = 3;
    settings.dot1x.identity = "kept";
    ASSERT_TRUE(ReadProfile("p", settings));
    EXPECT_EQ(3, settings.txPower);
    EXPECT_STREQ("kept", settings.dot1x.identity);
    // Activated, the adapter key holds numbers the apply step reads: the defaults.
    WriteAdapterText("TXPower", "5");
    WriteAdapterText("ProvisioningTunnel", "6");
    ASSERT_TRUE(CopyProfileToAdapterKey("p"));
    EXPECT_EQ("", UnreadableNumbers());
    int n = -1;
    EXPECT_TRUE(ReadAdapterInt("TXPower", &n));
    EXPECT_EQ(0, n);
    EXPECT_TRUE(ReadAdapterInt("ProvisioningTunnel", &n));
    EXPECT_EQ(26, n);
    robust::SetCurrent("", -1);
}

}  // namespace
