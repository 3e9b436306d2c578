#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/HexUtil.h"

namespace {

TEST(HexDigitValue, EveryCharacter)
{
    for (int c = 0; c < 256; ++c) {
        BYTE want = 0xFF;
        if (c >= '0' && c <= '9') want = (BYTE)(c - '0');
        if (c >= 'A' && c <= 'F') want = (BYTE)(c - 'A' + 10);
        if (c >= 'a' && c <= 'f') want = (BYTE)(c - 'a' + 10);
        EXPECT_EQ(want, HexDigitValue((char)c)) << c;
    }
}

// Only complete pairs of hex digits become bytes; the rest of out is zero.
TEST(HexStringToBytes, DecodesCompleteValidPairsOnly)
{
    struct {
        const char* text;
        int n;
        int decoded;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"0123456789", 5, 5, {0x01, 0x23, 0x45, 0x67, 0x89}},
        {"abcdefABCDEF", 6, 6, {0xAB, 0xCD, 0xEF, 0xAB, 0xCD, 0xEF}},
        {"00ff10", 2, 2, {0x00, 0xFF}},              // only the first 2n characters
        {"1234", 5, 2, {0x12, 0x34, 0, 0, 0}},       // short text: no bytes past it
        {"12345", 3, 2, {0x12, 0x34, 0}},            // odd last digit is not a byte
        {"12G456", 3, 1, {0x12, 0, 0}},              // stops at the first bad pair
        {"zz1234", 3, 0, {0, 0, 0}},
        {"", 2, 0, {0, 0}},
    };
    for (const auto& c : cases) {
        BYTE out[16];
        std::memset(out, 0x5A, sizeof(out));
        EXPECT_EQ(c.decoded, HexStringToBytes(c.text, out, c.n)) << c.text;
        EXPECT_EQ(c.bytes, std::vector<BYTE>(out, out + c.n)) << c.text;
        EXPECT_EQ(0x5A, out[c.n]) << "nothing past n bytes, " << c.text;
    }
    BYTE out[2] = {7, 7};
    EXPECT_EQ(0, HexStringToBytes(nullptr, out, 2));
    EXPECT_EQ(0, out[0]);
    EXPECT_EQ(0, HexStringToBytes("12", out, 0));
}

TEST(IsHexString, WholeLengthMustBeHex)
{
    EXPECT_TRUE(IsHexString("0123456789abcdefABCDEF", 22));
    EXPECT_TRUE(IsHexString("12zz", 2));
    EXPECT_FALSE(IsHexString("12zz", 4));
    EXPECT_FALSE(IsHexString("12", 4)) << "shorter than the length";
    EXPECT_FALSE(IsHexString("", 0));
    EXPECT_FALSE(IsHexString(nullptr, 2));
}

}  // namespace
