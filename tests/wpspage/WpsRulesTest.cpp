// The WPS page's rules that need no window: PIN checksums, the adapter's own
// PIN, and the reading of a status word's bits.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "pages/WpsPage.h"

namespace {

TEST(WpsPin, ChecksumDigitOfSevenDigits)
{
    struct Case {
        DWORD seven, digit;
    } cases[] = {{1234567, 0}, {0, 0}, {9999999, 5}, {3141592, 7}, {2718281, 9}, {2646017, 8}};
    for (const Case& c : cases) EXPECT_EQ(c.digit, ComputeWpsPinChecksum(c.seven)) << c.seven;
}

// The own PIN has eight digits (leading zeros shown) and ends with the
// checksum of the first seven, so it passes the page's own PIN check.
TEST(WpsPin, OwnPinFromTheMacAddress)
{
    struct Case {
        BYTE mac[6];
        const char* pin;
    } cases[] = {
        {{0x00, 0x0C, 0x43, 0x28, 0x60, 0x01}, "26460178"},
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "33598291"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, "67772155"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x01}, "00000017"},
        {{0x00, 0x00, 0x00, 0x98, 0x96, 0x80}, "00000000"},   // bytes 3-5 make exactly 10^7
    };
    for (const Case& c : cases) {
        DWORD pin = WpsPinFromMac(c.mac);
        char shown[16];
        std::snprintf(shown, sizeof(shown), "%08d", (int)pin);
        EXPECT_EQ(std::string(c.pin), shown);
        EXPECT_EQ(pin % 10, ComputeWpsPinChecksum(pin / 10)) << shown;
    }
}

// Bits 0-27 are the code, bit 28 the method; the bits above belong to neither.
TEST(WpsStatusWord, CodeAndMethodBits)
{
    struct Case {
        DWORD word;
        const char* text;
        int progress;
    } cases[] = {
        {0x10000012, "PIN - Sending M1", 40},
        {0x00000008, "PBC - ", -1},
        {0xE0000012, "PBC - Sending M1", 40},
        {0x0000000F, "PBC - Configured", 95},
        {0x10000106, "PIN - Error PIN Code (R-Hash mismatch)", -1},
        {0x0FFFFFFF, "PBC - ", -1},
    };
    for (const Case& c : cases) {
        WpsStatusStep step = WpsStatusFor(c.word);
        EXPECT_EQ(c.text, std::string(step.text.GetString())) << std::hex << c.word;
        EXPECT_EQ(c.progress, step.progress) << std::hex << c.word;
    }
}

}  // namespace
