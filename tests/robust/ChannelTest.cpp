// Channels, regions and the advanced block: the channel list built for any
// model, region word and modes into a buffer of its 38 bytes against a
// no-access page; channel numbers, frequencies and channel texts; hex and
// MAC texts without a terminator; the region code and the advanced block as
// the simulated driver answers them (any length), read by the start-up's
// region check, the ad hoc mode query and the run-once TX burst choice.
#include "Robust.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <set>

#include "core/AdapterDiscovery.h"
#include "core/ChannelTable.h"
#include "core/HexUtil.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "mainwnd/ScratchAdapterKey.h"
#include "pages/MacAddressText.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"

namespace {

using robust::Bytes;

TEST(Channels, TheChannelList)
{
    kqtest::Restore<int> model(g_nModelIndex);
    kqtest::Restore<DWORD> region(g_dwCountryRegion);
    robust::GuardedArea area;
    robust::Reader reader("channel-list", 20000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        g_nModelIndex = (int)rng.Below(12) - 1;
        g_dwCountryRegion = rng.OneIn(2) ? (DWORD)rng.Next() : (rng.Below(40) | (rng.Below(16) << 8));
        int networkType = (int)rng.Below(4) - 1, mode = (int)rng.Below(14) - 2, adhoc = (int)rng.Below(8) - 1;
        BYTE* out = area.Place(nullptr, kMaxChannelListSize);
        std::memset(out, 0xEE, kMaxChannelListSize);
        int count = -1;
        BuildChannelList(networkType, mode, adhoc, out, &count);
        if (!reader.Check(count >= 0 && count <= kMaxChannelListSize, i, "a count of " + std::to_string(count)))
            return;
        std::set<int> seen;
        for (int k = 0; k < count; ++k) {
            reader.Check(ChannelToFrequency(out[k]) != 0, i, "channel " + std::to_string(out[k]) + " is in no table row");
            reader.Check(seen.insert(out[k]).second, i, "channel " + std::to_string(out[k]) + " twice");
        }
    });
}

TEST(Channels, NumbersFrequenciesAndTexts)
{
    robust::GuardedArea area;
    robust::Reader reader("channel-texts", 20000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        DWORD channel = rng.OneIn(2) ? rng.Below(260) : (DWORD)rng.Next();
        DWORD freq = ChannelToFrequency(channel);
        if (freq) reader.Check(FrequencyToChannel(freq) == (int)channel, i, "a row's frequency names another channel");
        DWORD anyFreq = rng.OneIn(2) ? g_ChannelTable[rng.Below(kChannelTableRows)].freqKHz : (DWORD)rng.Next();
        int back = FrequencyToChannel(anyFreq);
        if (back >= 0) reader.Check(ChannelToFrequency((DWORD)back) == anyFreq, i, "a frequency's channel has another");
        CString text = FormatChannelNumber(channel);
        char expected[16];
        if (channel == 208 || channel == 212 || channel == 216) std::snprintf(expected, sizeof(expected), "J%u", (unsigned)(channel - 200));
        else std::snprintf(expected, sizeof(expected), "%u", (unsigned)channel);
        reader.Check(text == expected, i, "channel " + std::to_string(channel) + " reads " + text.GetString());

        // A channel text as a profile holds it, its terminator the last byte before the no-access page.
        static const char* const kTexts[] = { "J8", "J12", "J16", "j8", "J", "", "6", "-1", "+14", " 36", "208",
                                              "2147483647", "2147483648", "-2147483649", "99999999999999999999",
                                              "12abc", "abc", "J8 " };
        std::string t = rng.OneIn(2) ? rng.Pick(kTexts) : std::string();
        if (t.empty()) {
            Bytes b = rng.RandomBytes(rng.Below(24));
            for (BYTE& x : b)
                if (!x) x = '0';
            t.assign(b.begin(), b.end());
        }
        const char* placed = (const char*)area.Place(t.c_str(), t.size() + 1);
        int n = ChannelTextToNumber(placed);
        long long model = 0;
        if (t == "J8") model = 208;
        else if (t == "J12") model = 212;
        else if (t == "J16") model = 216;
        else {
            // atoi's reading, held within an int.
            const char* p = t.c_str();
            while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
            bool negative = *p == '-';
            if (*p == '+' || *p == '-') ++p;
            for (; *p >= '0' && *p <= '9'; ++p) model = std::min(model * 10 + (*p - '0'), (long long)INT_MAX + 1);
            if (negative) model = -model;
            model = std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, model));
        }
        reader.Check(n == model, i, "\"" + t + "\" reads " + std::to_string(n));
        CString shown = ChannelNumberToText(n);
        reader.Check(ChannelTextToNumber(shown) == n, i, "a channel text does not read back as its number");
    });
}

TEST(Channels, HexAndMacTexts)
{
    robust::GuardedArea area, out(4096);
    robust::Reader reader("hex-mac-texts", 20000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        static const char kDigits[] = "0123456789abcdefABCDEFgG -:";
        size_t len = rng.Below(70);
        std::string t;
        for (size_t k = 0; k < len; ++k) t += rng.OneIn(10) ? (char)rng.Byte() : kDigits[rng.Below(sizeof(kDigits) - 1)];
        // Exactly len characters before the no-access page: no terminator.
        const char* text = (const char*)area.Place(t.data(), t.size());
        if (len > 0) {
            bool hex = IsHexString(text, (int)len) != FALSE;
            bool model = std::all_of(t.begin(), t.end(), [](char c) { return std::isxdigit((unsigned char)c); });
            reader.Check(hex == model, i, "IsHexString of \"" + robust::Hex(t.data(), t.size()) + "\"");
        }
        int n = (int)(len / 2);
        BYTE* bytes = out.Place(nullptr, (size_t)n);
        int decoded = HexStringToBytes(text, bytes, n);
        int model = 0;
        while (model < n && std::isxdigit((unsigned char)t[2 * model]) && std::isxdigit((unsigned char)t[2 * model + 1]))
            ++model;
        reader.Check(decoded == model, i, "decoded " + std::to_string(decoded) + " of " + std::to_string(model) + " pairs");
        for (int k = 0; k < n; ++k) {
            BYTE want = k < model ? (BYTE)(HexDigitValue(t[2 * k]) * 16 + HexDigitValue(t[2 * k + 1])) : 0;
            if (!reader.Check(bytes[k] == want, i, "byte " + std::to_string(k) + " of the decoded text")) break;
        }
        // A MAC text: six bytes back out as the text they are printed to.
        Bytes mac = rng.RandomBytes(6);
        const BYTE* m = area.Place(mac.data(), 6);
        CString printed = FormatMacAddress(m);
        BYTE parsed[6] = { 1, 1, 1, 1, 1, 1 };
        ParseMacAddressString(printed, parsed);
        reader.Check(!std::memcmp(parsed, mac.data(), 6), i, std::string("\"") + printed.GetString() + "\" reads back as another");
        ParseMacAddressString(CString(t.c_str()), parsed);
    });
}

// ---- The region word and the advanced block, from the simulated driver -----------------------

class DriverReaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sim.IsOpen());
        ASSERT_TRUE(m_adapter.ok());
        lstrcpynA(g_szDevicePath, m_adapter.DevicePath().c_str(), MAX_PATH);
    }
    void Answer(DWORD oid, const Bytes& b, bool fails)
    {
        if (fails) m_sim.SetOidStatus(m_adapter.guid(), oid, (LONG)0xC0000001);
        else m_sim.SetOidAnswer(m_adapter.guid(), oid, b.data(), (DWORD)b.size());
    }
    kqsim::SimClient& m_sim = kqsim::SharedTestClient();
    kqsim::TestAdapter m_adapter{ m_sim, 0x39 };
    kqtest::Restore<char[MAX_PATH]> m_path{ g_szDevicePath };
    kqtest::ScratchAdapterKey m_key{ "KestiqRobustRegion" };
    kqtest::Restore<int> m_model{ g_nModelIndex }, m_mode{ g_nWirelessMode };
    kqtest::Restore<DWORD> m_region{ g_dwCountryRegion };
    kqtest::Restore<BOOL> m_dual{ g_bDualBand }, m_ht{ g_bHtDevice }, m_bg{ g_bRegionBgFlag }, m_a{ g_bRegionAFlag };
};

TEST_F(DriverReaders, TheRegionWord)
{
    m_key.CreateSubkey("Default");
    robust::Reader reader("region", 200, 20000);
    reader.Each([&](robust::Rng& rng, long i) {
        g_nModelIndex = (int)rng.Below(9);
        g_bDualBand = rng.Below(2);
        g_bHtDevice = rng.Below(2);
        Bytes word = rng.RandomBytes(4);
        if (rng.OneIn(2)) word = { (BYTE)rng.Below(40), (BYTE)rng.Below(16), 0, 0 };
        if (rng.OneIn(3)) word[0] |= 0x80;
        if (rng.OneIn(3)) word[1] |= 0x80;
        size_t size = rng.OneIn(4) ? rng.Below(9) : 4;
        word.resize(size, rng.Byte());
        bool fails = rng.OneIn(10);
        Answer(OID_VENDOR_COUNTRY_REGION, word, fails);
        static const char* const kModes[] = { "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "-1",
                                              "", "x", "99999999999" };
        static const char* const kChannels[] = { "1", "6", "11", "14", "36", "165", "208", "0", "-5", "", "999" };
        for (const char* sub : { (const char*)nullptr, "Default" }) {
            if (rng.OneIn(4)) RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, (m_key.Path() + (sub ? "\\Default" : "")).c_str(), "Channel");
            else WriteAdapterText(REGSTR_CHANNEL, rng.Pick(kChannels), sub);
        }
        WriteAdapterText(REGSTR_WIRELESS_MODE, rng.Pick(kModes));
        InitRegionAndChannel();
        // What the driver said, as far as it said it (a short answer is its
        // low bytes; the rest of the preset word is zero).
        DWORD said = 0;
        if (!fails && size >= 1) std::memcpy(&said, word.data(), std::min<size_t>(size, 4));
        if (size > 4) said = 0;   // more than the word: the query fails
        reader.Check(g_dwCountryRegion == (said & ~0x8080u), i, "the region word is not the driver's without its flags");
        reader.Check(g_bRegionBgFlag == !(said & 0x80) && g_bRegionAFlag == !(said & 0x8000), i, "the region flags");
        BYTE list[kMaxChannelListSize];
        int count = 0;
        BuildChannelList(1, g_nWirelessMode, 0, list, &count);
        for (const char* sub : { (const char*)nullptr, "Default" }) {
            int channel = -1;
            bool has = ReadAdapterInt(REGSTR_CHANNEL, &channel, sub) != FALSE;
            bool allowed = has && std::find(list, list + count, channel) != list + count;
            reader.Check(count == 0 || allowed, i, std::string(sub ? "Default's" : "the adapter key's") +
                                                       " channel " + std::to_string(channel) + " is not an allowed one");
        }
        m_sim.ClearOidAnswer(m_adapter.guid(), OID_VENDOR_COUNTRY_REGION);
    });
}

TEST_F(DriverReaders, TheAdvancedBlock)
{
    HKEY installer = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &installer, nullptr));
    robust::Reader reader("advanced-block", 200, 20000);
    reader.Each([&](robust::Rng& rng, long i) {
        Bytes block = rng.RandomBytes(32);
        size_t size = rng.OneIn(3) ? rng.Below(41) : 32;
        block.resize(size, rng.Byte());
        bool fails = rng.OneIn(10);
        Answer(OID_VENDOR_ADVANCED_CONFIG, block, fails);
        // The driver takes at most the 32 bytes asked for: a longer answer fails.
        bool answered = !fails && size <= 32;

        int mode = -12345;
        BOOL ok = QueryAdhocMode(&mode);
        reader.Check(ok == (answered && size >= 20), i, "the ad hoc mode of an answer of " + std::to_string(size) + " bytes");
        if (ok) reader.Check(mode == (int)robust::Le32(block, 16), i, "the ad hoc mode is not word 4");
        else reader.Check(mode == -12345, i, "a failed ad hoc query changed the mode");

        // The run-once TX burst choice sends the block back only when it came whole.
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_key.Path().c_str(), REGSTR_RUNONCE_TX_BURST);
        DWORD select = rng.Below(3);
        if (rng.OneIn(4)) RegDeleteValueA(installer, REGSTR_CONFIG_TX_BURST_SELECT);
        else RegSetValueExA(installer, REGSTR_CONFIG_TX_BURST_SELECT, 0, REG_DWORD, (const BYTE*)&select, 4);
        DWORD mark = 0;
        m_sim.NextSeq(mark);
        ApplyRunOnceInitConfigTxBurst();
        std::vector<Bytes> sets;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, m_adapter.guid(), mark))
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_VENDOR_ADVANCED_CONFIG) sets.push_back(e.data);
        bool whole = answered && size == 32;
        if (reader.Check(sets.size() == (whole ? 1u : 0u), i,
                         std::to_string(sets.size()) + " sets after an answer of " + std::to_string(size) + " bytes") &&
            whole) {
            Bytes expected = block;
            int choice = -1;
            ReadAdapterInt(REGSTR_TX_BURST, &choice);
            robust::PutLe32(expected, 0, (DWORD)choice);
            robust::PutLe32(expected, 24, 0);
            reader.Check(sets[0] == expected, i, "the block sent back is not the driver's with words 0 and 6 changed");
        }
        m_sim.ClearOidAnswer(m_adapter.guid(), OID_VENDOR_ADVANCED_CONFIG);
        m_sim.ClearFaults(m_adapter.guid());
    });
    RegCloseKey(installer);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, REGSTR_KEY_INSTALLER);
}

}  // namespace
