// Passphrase hashing against published vectors: FIPS 180 (SHA-1), RFC 2202
// (HMAC-SHA-1), RFC 6070 (PBKDF2-HMAC-SHA1) and IEEE 802.11i (the PSK).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/PasswordHash.h"

namespace {

std::string Hex(const BYTE* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

std::vector<BYTE> Bytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

std::string Sha1Hex(const std::vector<BYTE>& data, UINT chunk)
{
    Sha1Context ctx;
    Sha1Init(&ctx);
    for (size_t at = 0; at < data.size(); at += chunk) {
        UINT n = (UINT)std::min<size_t>(chunk, data.size() - at);
        Sha1Update(&ctx, data.data() + at, n);
    }
    BYTE digest[20];
    Sha1Final(digest, &ctx);
    return Hex(digest, 20);
}

TEST(Sha1, PublishedAndPaddingBoundaryDigests)
{
    struct Case { std::string message; const char* digest; };
    const Case cases[] = {
        { "", "da39a3ee5e6b4b0d3255bfef95601890afd80709" },
        { "abc", "a9993e364706816aba3e25717850c26c9cd0d89d" },
        { "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
          "84983e441c3bd26ebaae4aa1f95129e5e54670f1" },
        // 55 bytes leave room for the length in one block, 56 do not, 64 fill it.
        { std::string(55, 'a'), "c1c8bbdc22796e28c0e15163d20899b65621d65a" },
        { std::string(56, 'a'), "c2db330f6083854c99d4b5bfb6e8f29f201be699" },
        { std::string(64, 'a'), "0098ba824b5c16427bd7a1122a5a442a25ec644d" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.size());
        EXPECT_EQ(Sha1Hex(Bytes(c.message), 1000000), c.digest);
        // Fed in odd pieces the digest must not change.
        EXPECT_EQ(Sha1Hex(Bytes(c.message), 7), c.digest);
    }
}

TEST(Sha1, MillionTimesA)
{
    EXPECT_EQ(Sha1Hex(std::vector<BYTE>(1000000, 'a'), 4093),
              "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1, TransformIsOneCompressionFromTheInitialState)
{
    // "abc" padded by hand into one block.
    BYTE block[64] = { 'a', 'b', 'c', 0x80 };
    block[63] = 24;
    DWORD state[5] = { 0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0 };
    Sha1Transform(state, block);
    EXPECT_EQ(state[0], 0xA9993E36u);
    EXPECT_EQ(state[4], 0x9CD0D89Du);
}

TEST(HmacSha1, Rfc2202Vectors)
{
    struct Case { std::vector<BYTE> key; std::vector<BYTE> data; const char* digest; };
    const Case cases[] = {
        { std::vector<BYTE>(20, 0x0b), Bytes("Hi There"), "b617318655057264e28bc0b6fb378c8ef146be00" },
        { Bytes("Jefe"), Bytes("what do ya want for nothing?"), "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79" },
        { std::vector<BYTE>(20, 0xaa), std::vector<BYTE>(50, 0xdd), "125d7342b9ac11cd91a39af48aa17b4f63f175d3" },
        { { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25 },
          std::vector<BYTE>(50, 0xcd), "4c9007f4026250c6bc8414f9bf50c86c2d7235da" },
        { std::vector<BYTE>(20, 0x0c), Bytes("Test With Truncation"), "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04" },
        // Keys longer than a block are hashed first.
        { std::vector<BYTE>(80, 0xaa), Bytes("Test Using Larger Than Block-Size Key - Hash Key First"),
          "aa4ae5e15272d00e95705637ce8a3b55ed402112" },
        { std::vector<BYTE>(80, 0xaa),
          Bytes("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
          "e8e99d0f45237d786d6bbaa7965c7808bbff1a91" },
    };
    for (const Case& c : cases) {
        BYTE digest[20];
        HmacSha1(c.data.data(), (int)c.data.size(), c.key.data(), (int)c.key.size(), digest);
        EXPECT_EQ(Hex(digest, 20), c.digest);
    }
}

TEST(HmacSha1, KeyOfExactlyOneBlockIsNotHashed)
{
    // 64 bytes is the limit: hashing it would give the digest of the next case.
    std::vector<BYTE> key64(64, 0x5a), key65(65, 0x5a);
    const BYTE text[] = "message";
    BYTE d64[20], d65[20], dHashed[20];
    HmacSha1(text, 7, key64.data(), 64, d64);
    HmacSha1(text, 7, key65.data(), 65, d65);
    Sha1Context ctx;
    BYTE keyDigest[20];
    Sha1Init(&ctx);
    Sha1Update(&ctx, key65.data(), 65);
    Sha1Final(keyDigest, &ctx);
    HmacSha1(text, 7, keyDigest, 20, dHashed);
    EXPECT_EQ(Hex(d65, 20), Hex(dHashed, 20));
    EXPECT_NE(Hex(d64, 20), Hex(d65, 20));
}

// RFC 6070 cases that fit the passphrase interface (no NUL in the password).
TEST(Pbkdf2Block, Rfc6070Vectors)
{
    struct Case { const char* password; std::string salt; int iterations; size_t dkLen; const char* dk; };
    const Case cases[] = {
        { "password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6" },
        { "password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957" },
        { "password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1" },
        // Two blocks, and a salt longer than any SSID.
        { "passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
          "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password);
        std::vector<BYTE> salt = Bytes(c.salt);
        std::vector<BYTE> dk;
        for (int block = 1; dk.size() < c.dkLen; ++block) {
            BYTE out[20];
            Pbkdf2Block(c.password, salt.data(), (int)salt.size(), c.iterations, block, out);
            dk.insert(dk.end(), out, out + 20);
        }
        EXPECT_EQ(Hex(dk.data(), c.dkLen), c.dk);
    }
}

// 16777216 iterations: half a minute, so it runs as its own ctest test
// under the label "slow" (scripts/test -L slow).
TEST(Pbkdf2Block, DISABLED_Rfc6070SixteenMillionIterations)
{
    const BYTE salt[] = { 's', 'a', 'l', 't' };
    BYTE out[20];
    Pbkdf2Block("password", salt, 4, 16777216, 1, out);
    EXPECT_EQ(Hex(out, 20), "eefe3d61cd4da4e4e9945b3d6ba2158c2634e984");
}

TEST(HmacSha1, Rfc6070PasswordWithNul)
{
    // "pass\0word" / "sa\0lt" cannot pass through a C-string passphrase; the
    // same chain built on HmacSha1 must still give the published key.
    const BYTE key[] = { 'p', 'a', 's', 's', 0, 'w', 'o', 'r', 'd' };
    const BYTE msg[] = { 's', 'a', 0, 'l', 't', 0, 0, 0, 1 };
    BYTE u[20], dk[20];
    HmacSha1(msg, sizeof(msg), key, sizeof(key), u);
    memcpy(dk, u, 20);
    for (int i = 1; i < 4096; ++i) {
        HmacSha1(u, 20, key, sizeof(key), u);
        for (int j = 0; j < 20; ++j)
            dk[j] ^= u[j];
    }
    EXPECT_EQ(Hex(dk, 16), "56fa6aa75548099dcc37d7f03425e0c3");
}

TEST(PasswordHash, Ieee80211iVectorsAndSecondBlock)
{
    struct Case { std::string passphrase; std::string ssid; const char* psk40; };
    const Case cases[] = {
        { "password", "IEEE",
          "f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e4888f197a3680415" },
        { "ThisIsAPassword", "ThisIsASSID",
          "0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721afcac2806de3fd47a8" },
        { std::string(32, 'a'), std::string(32, 'Z'),
          "becb93866bb8c3832cb777c2f559807c8c59afcb6eae734885001300a981cc621d20bd880f552cbb" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.passphrase);
        BYTE out[40];
        std::vector<BYTE> ssid = Bytes(c.ssid);
        ASSERT_TRUE(PasswordHash(c.passphrase.c_str(), ssid.data(), (int)ssid.size(), out));
        EXPECT_EQ(Hex(out, 40), c.psk40);
    }
}

TEST(PasswordHash, LongestAcceptedInputs)
{
    // 63 characters and 32 bytes (not text) are the limits that still hash.
    const char* passphrase = "0123456789abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopq";
    ASSERT_EQ(strlen(passphrase), 63u);
    BYTE ssid[32];
    for (int i = 0; i < 32; ++i)
        ssid[i] = (BYTE)(0xE0 + i);
    BYTE out[40];
    ASSERT_TRUE(PasswordHash(passphrase, ssid, 32, out));
    EXPECT_EQ(Hex(out, 40),
              "e987d829ebe55ba7a2a8112f1ace22f04e3493ecbc87f509a5ce430068d367c46e67673223fb87d7");
}

TEST(PasswordHash, RefusedInputsLeaveOutputUntouched)
{
    const std::string pass64(64, 'k');   // 64 characters are the key's hex form, not a passphrase
    const BYTE ssid33[33] = { 'S' };
    const BYTE ssid[4] = { 'I', 'E', 'E', 'E' };
    struct Case { const char* what; const char* passphrase; const BYTE* ssid; int ssidLen; };
    const Case cases[] = {
        { "64-character passphrase", pass64.c_str(), ssid, 4 },
        { "33-byte SSID", "password", ssid33, 33 },
        { "negative SSID length", "password", ssid, -1 },
        { "missing SSID bytes", "password", nullptr, 4 },
        { "missing passphrase", nullptr, ssid, 4 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BYTE out[40];
        memset(out, 0xCC, sizeof(out));
        EXPECT_FALSE(PasswordHash(c.passphrase, c.ssid, c.ssidLen, out));
        EXPECT_EQ(Hex(out, 40), std::string(80, 'c'));
    }
}

} // namespace
