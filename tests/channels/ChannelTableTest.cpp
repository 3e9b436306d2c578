// The channel table, the allowed-channel lists by model, region and mode,
// and the ad hoc mode read from the simulated driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/AdapterDiscovery.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/ChannelTable.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"

namespace {

std::vector<int> Range(int first, int last)
{
    std::vector<int> v;
    for (int c = first; c <= last; ++c) v.push_back(c);
    return v;
}

std::vector<int> Concat(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Keeps the adapter globals the lists read.
class ChannelListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_model = g_nModelIndex;
        m_region = g_dwCountryRegion;
    }
    void TearDown() override
    {
        g_nModelIndex = m_model;
        g_dwCountryRegion = m_region;
    }
    std::vector<int> List(int model, DWORD region, int networkType, int mode, int adhocMode)
    {
        g_nModelIndex = model;
        g_dwCountryRegion = region;
        BYTE out[kMaxChannelListSize + 8];
        std::memset(out, 0xEE, sizeof(out));
        int count = -1;
        BuildChannelList(networkType, mode, adhocMode, out, &count);
        EXPECT_GE(count, 0);
        EXPECT_LE(count, kMaxChannelListSize);
        for (size_t i = (size_t)std::max(count, 0); i < sizeof(out); ++i) EXPECT_EQ(0xEE, out[i]) << "past the list";
        return std::vector<int>(out, out + std::max(count, 0));
    }
    int m_model = 0;
    DWORD m_region = 0;
};

TEST(ChannelTable, RowsInOrder)
{
    std::vector<ChannelRow> want;
    for (DWORD c = 1; c <= 13; ++c) want.push_back({c, 2412000 + (c - 1) * 5000});
    want.push_back({14, 2484000});
    for (DWORD c = 34, f = 5170000; c <= 48; c += 2, f += 10000) want.push_back({c, f});
    for (DWORD c = 52, f = 5260000; c <= 64; c += 4, f += 20000) want.push_back({c, f});
    for (DWORD c = 100, f = 5500000; c <= 140; c += 4, f += 20000) want.push_back({c, f});
    for (DWORD c = 149, f = 5745000; c <= 165; c += 4, f += 20000) want.push_back({c, f});
    for (DWORD c = 184, f = 4920000; c <= 196; c += 4, f += 20000) want.push_back({c, f});
    want.push_back({208, 5040000});
    want.push_back({212, 5060000});
    want.push_back({216, 5080000});
    ASSERT_EQ((size_t)kChannelTableRows, want.size());
    for (int i = 0; i < kChannelTableRows; ++i) {
        EXPECT_EQ(want[i].channel, g_ChannelTable[i].channel) << "row " << i;
        EXPECT_EQ(want[i].freqKHz, g_ChannelTable[i].freqKHz) << "row " << i;
    }
}

TEST(ChannelTable, LookupsBothWaysAndJapanNames)
{
    EXPECT_EQ(212, FrequencyToChannel(5060000));
    EXPECT_EQ("J12", FormatChannelNumber(212));
    EXPECT_EQ("J8", FormatChannelNumber(208));
    EXPECT_EQ("J16", FormatChannelNumber(216));
    EXPECT_EQ("200", FormatChannelNumber(200));
    EXPECT_EQ("165", FormatChannelNumber(165));
    EXPECT_EQ(14, FrequencyToChannel(2484000));
    EXPECT_EQ(2484000u, ChannelToFrequency(14));
    EXPECT_EQ(5080000u, ChannelToFrequency(216));
    for (DWORD f : {0u, 2411000u, 2477000u, 5000000u, 0xFFFFFFFFu}) EXPECT_EQ(-1, FrequencyToChannel(f)) << f;
    for (DWORD c : {0u, 15u, 35u, 200u, 255u}) EXPECT_EQ(0u, ChannelToFrequency(c)) << c;
}

// Every 2.4 GHz list: infrastructure in B/G mode.
TEST_F(ChannelListTest, EveryBgRegionList)
{
    const std::vector<int> early[] = {Range(1, 11), Range(1, 11), Range(1, 13), Range(10, 11), Range(10, 13),
                                      {14},         Range(1, 14), Range(3, 9),  Range(5, 13),  Range(1, 11),
                                      Range(1, 11)};
    const std::vector<int> later[] = {Range(1, 11), Range(1, 13), Range(10, 11), Range(10, 13), {14},
                                      Range(1, 14), Range(3, 9),  Range(5, 13),  Range(1, 11),  Range(1, 11),
                                      Range(1, 11)};
    for (DWORD region = 0; region <= 10; ++region) {
        for (int model : {0, 1}) EXPECT_EQ(early[region], List(model, region, 1, 0, 0)) << model << "/" << region;
        for (int model = 4; model <= 8; ++model)
            EXPECT_EQ(later[region], List(model, region, 1, 0, 0)) << model << "/" << region;
        for (int model : {2, 3, 9, -1}) EXPECT_TRUE(List(model, region, 1, 0, 0).empty()) << model;
    }
    // Only bits 0-6 are the region; 0x7F is past every row.
    EXPECT_EQ(Range(1, 13), List(4, 0x81, 1, 0, 0));
    EXPECT_EQ(Range(1, 11), List(4, 0x7F, 1, 0, 0));
}

// Every 5 GHz list: infrastructure in A-only mode.
TEST_F(ChannelListTest, EveryARegionList)
{
    const std::vector<int> low = {36, 40, 44, 48}, mid = {52, 56, 60, 64};
    const std::vector<int> high4 = {149, 153, 157, 161};
    std::vector<int> band2;
    for (int c = 100; c <= 140; c += 4) band2.push_back(c);
    const std::vector<int> high5 = Concat(high4, {165});
    const std::vector<int> lists[] = {
        Concat(Concat(low, mid), high5),
        Concat(Concat(low, mid), band2),
        Concat(low, mid),
        Concat(mid, high4),
        high5,
        high4,
        low,
        Concat(Concat(Concat(low, mid), band2), high5),
        mid,
        {34, 38, 42, 46},
        Concat({34, 36, 38, 40, 42, 44, 46, 48}, mid),
    };
    for (DWORD region = 0; region <= 10; ++region)
        EXPECT_EQ(lists[region], List(4, region << 8, 1, 2, 0)) << region;
    for (DWORD region : {11u, 12u, 0x7Fu}) EXPECT_EQ(lists[0], List(4, region << 8, 1, 2, 0)) << region;
    EXPECT_EQ(24u, lists[7].size());
    // Models without 2.4 GHz channels still get the 5 GHz list.
    EXPECT_EQ(lists[2], List(2, 0x0200, 1, 2, 0));
}

TEST_F(ChannelListTest, ModesChooseTheBands)
{
    const DWORD region = 0x0601;   // 2.4 GHz region 1, 5 GHz region 6
    const std::vector<int> bg = Range(1, 13), a = {36, 40, 44, 48}, both = Concat(bg, a);
    struct {
        int networkType, mode, adhocMode;
        std::vector<int> expected;
    } cases[] = {
        {1, 0, 3, bg},   {1, 1, 0, bg},   {1, 2, 0, a},    {1, 3, 0, both}, {1, 4, 4, bg},
        {1, 5, 0, both}, {1, 6, 0, bg},   {1, 9, 0, bg},   {0, 2, 0, bg},   {0, 0, 3, a},
        {0, 0, 4, both}, {0, 5, 5, both}, {0, 3, 1, bg},   {0, 0, 0, bg},   {0, 0, 2, bg},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, List(4, region, c.networkType, c.mode, c.adhocMode))
            << "type " << c.networkType << " mode " << c.mode << " adhoc " << c.adhocMode;
    // The largest list fits: 14 + 24.
    EXPECT_EQ((size_t)kMaxChannelListSize, List(4, 0x0705, 1, 3, 0).size());
}

class AdhocModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        client.Open(5000);
        adapter.reset(new kqsim::TestAdapter(client, 0x62));
        ASSERT_TRUE(adapter->ok());
        std::strcpy(g_szDevicePath, adapter->DevicePath().c_str());
    }
    void TearDown() override { adapter.reset(); }
    kqsim::SimClient client;
    std::unique_ptr<kqsim::TestAdapter> adapter;
    kqtest::Restore<char[MAX_PATH]> m_device{g_szDevicePath};
};

TEST_F(AdhocModeTest, FifthWordOfTheAdvancedBlock)
{
    DWORD block[8] = {1, 2, 3, 4, 4, 1, 0, 0};
    ASSERT_TRUE(client.SetOidAnswer(adapter->guid(), OID_VENDOR_ADVANCED_CONFIG, block, sizeof(block)));
    int mode = -1;
    EXPECT_TRUE(QueryAdhocMode(&mode));
    EXPECT_EQ(4, mode);
}

TEST_F(AdhocModeTest, FailedQueryKeepsTheCallersMode)
{
    client.FailAlways(adapter->guid(), OID_VENDOR_ADVANCED_CONFIG, KQSIM_KIND_QUERY);
    int mode = 3;
    EXPECT_FALSE(QueryAdhocMode(&mode));
    EXPECT_EQ(3, mode);
    client.ClearFaults(adapter->guid());

    std::strcpy(g_szDevicePath, "\\\\.\\{4B515445-5354-0000-0000-0000000000FE}");   // no such device
    mode = 5;
    EXPECT_FALSE(QueryAdhocMode(&mode));
    EXPECT_EQ(5, mode);
}

}  // namespace
