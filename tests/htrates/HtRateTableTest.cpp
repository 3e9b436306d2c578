// 802.11n rate lookups against the rates that follow from the standard's
// parameters (data subcarriers, bits per subcarrier, coding rate, streams,
// symbol time), and the roundings the table has always shown.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/HtRateTable.h"

namespace {

// Data bits per subcarrier and symbol (modulation x coding) for MCS 0-7.
const double kBitsPerSubcarrier[8] = { 0.5, 1.0, 1.5, 2.0, 3.0, 4.0, 4.5, 5.0 };

double StandardRate(bool forty, bool shortGi, int mcs)
{
    int subcarriers = forty ? 108 : 52;
    int streams = mcs / 8 + 1;
    double symbolUs = shortGi ? 3.6 : 4.0;
    return subcarriers * kBitsPerSubcarrier[mcs % 8] * streams / symbolUs;
}

class HtRateTableTest : public ::testing::Test {
protected:
    void SetUp() override { table.Init(); }
    CHtRateTable table;
};

TEST_F(HtRateTableTest, ExactStandardRatesForLongGuardAnd40MHzShortGuard)
{
    struct Mode { int forty; int shortGi; };
    const Mode modes[] = { { 0, 0 }, { 1, 0 }, { 1, 1 } };
    for (const Mode& m : modes) {
        for (int mcs = 0; mcs <= 15; ++mcs) {
            SCOPED_TRACE(testing::Message() << "40MHz=" << m.forty << " sgi=" << m.shortGi << " mcs=" << mcs);
            double rate = -1;
            ASSERT_TRUE(table.GetRate(m.forty, m.shortGi, mcs, rate));
            EXPECT_NEAR(rate, StandardRate(m.forty, m.shortGi, mcs), 1e-9);
        }
    }
}

TEST_F(HtRateTableTest, TwentyMHzShortGuardKeepsItsStoredRoundings)
{
    const double stored[16] = { 7.2, 14.4, 21.7, 28.9, 43.3, 57.8, 65.0, 72.2,
                                14.444, 28.889, 43.333, 57.778, 86.667, 115.556, 130.0, 144.444 };
    for (int mcs = 0; mcs <= 15; ++mcs) {
        SCOPED_TRACE(mcs);
        double rate = -1;
        ASSERT_TRUE(table.GetRate(0, 1, mcs, rate));
        EXPECT_DOUBLE_EQ(rate, stored[mcs]);
        // The stored value is the standard's rate rounded, never another rate.
        EXPECT_NEAR(rate, StandardRate(false, true, mcs), 0.05);
    }
}

TEST_F(HtRateTableTest, SpecialMcsValuesAndGuardIntervalFlag)
{
    struct Case { int forty; int sgi; int mcs; bool found; double rate; };
    const Case cases[] = {
        { 0, 0, 32, false, 0 }, { 0, 1, 32, false, 0 },
        { 1, 0, 32, true, 6.0 }, { 1, 1, 32, true, 6.7 },
        { 1, 0, 33, true, 39.0 }, { 1, 1, 33, true, 43.3 },
        { 0, 0, 33, false, 0 }, { 0, 1, 33, false, 0 },
        // Only 1 means the short guard interval; any other value is long.
        { 0, 2, 7, true, 65.0 }, { 1, -1, 15, true, 270.0 },
        // Any non-zero width flag means 40 MHz.
        { 2, 1, 7, true, 150.0 }, { 0, 2, 32, false, 0 },
        { 0, 0, 16, false, 0 }, { 1, 1, 16, false, 0 }, { 1, 0, 31, false, 0 },
        { 1, 0, 34, false, 0 }, { 0, 0, -1, false, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.forty << "," << c.sgi << "," << c.mcs);
        double rate = -123.0;
        EXPECT_EQ(table.GetRate(c.forty, c.sgi, c.mcs, rate) != FALSE, c.found);
        EXPECT_DOUBLE_EQ(rate, c.found ? c.rate : -123.0);   // untouched when not found
    }
}

TEST_F(HtRateTableTest, TableHoldsExactly68Rates)
{
    int found = 0;
    for (int forty = 0; forty <= 1; ++forty)
        for (int sgi = 0; sgi <= 1; ++sgi)
            for (int mcs = 0; mcs <= 127; ++mcs) {
                double rate;
                found += table.GetRate(forty, sgi, mcs, rate) ? 1 : 0;
            }
    EXPECT_EQ(found, 68);
}

// The rates behind the two-decimal texts the advanced page shows (the page
// formats them itself): each lies within half a hundredth of its text.
TEST_F(HtRateTableTest, RatesBehindTheAdvancedPagesTwoDecimalTexts)
{
    struct Case { int forty; int sgi; int mcs; double shown; };
    const Case cases[] = {
        { 0, 1, 8, 14.44 }, { 0, 1, 0, 7.20 }, { 0, 1, 12, 86.67 }, { 1, 1, 33, 43.30 },
    };
    for (const Case& c : cases) {
        double rate = 0;
        ASSERT_TRUE(table.GetRate(c.forty, c.sgi, c.mcs, rate));
        EXPECT_NEAR(c.shown, rate, 0.005) << c.forty << "," << c.sgi << "," << c.mcs;
    }
}

TEST_F(HtRateTableTest, IndexTable)
{
    const double rates[15] = { 54.0, 81.0, 108.0, 121.5, 135.0, 54.0, 81.0, 108.0, 121.5, 135.0,
                               108.0, 162.0, 216.0, 243.0, 270.0 };
    for (int i = 0; i < 15; ++i) {
        SCOPED_TRACE(i);
        double rate = 0;
        int width = 0;
        ASSERT_TRUE(table.GetRateByIndex(i, rate, width));
        EXPECT_DOUBLE_EQ(rate, rates[i]);
        EXPECT_EQ(width, i < 10 ? 20 : 40);
    }
    for (int bad : { 15, -1, 1000 }) {
        double rate = -5;
        int width = -5;
        EXPECT_FALSE(table.GetRateByIndex(bad, rate, width));
        EXPECT_DOUBLE_EQ(rate, -5);
        EXPECT_EQ(width, -5);
    }
}

TEST(HtRateTableEmpty, LookupsBeforeInitFindNothing)
{
    CHtRateTable table;
    double rate = -1;
    int width = -1;
    EXPECT_FALSE(table.GetRate(0, 0, 7, rate));
    EXPECT_FALSE(table.GetRateByIndex(3, rate, width));
    EXPECT_DOUBLE_EQ(rate, -1);
    EXPECT_EQ(width, -1);
}

} // namespace
