// Station records: movable zeroed allocation, key blobs, and the deep copy
// and free that follow the blob-ownership rule.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/StationConfig.h"

namespace {

const BYTE kKey13[13] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C};
const BYTE kKey5[5] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5};

std::vector<BYTE> BlobBytes(const NDIS_802_11_KEY* k, DWORD size)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(k);
    return std::vector<BYTE>(p, p + size);
}

bool IsMovableAllocation(const void* p)
{
    HGLOBAL h = GlobalHandle(p);
    return h != nullptr && GlobalSize(h) != 0;
}

TEST(StationConfig, AllocatedMovableAndZeroed)
{
    StationConfig* p = AllocStationConfig();
    ASSERT_NE(nullptr, p);
    EXPECT_TRUE(IsMovableAllocation(p));
    EXPECT_GE(GlobalSize(GlobalHandle(p)), sizeof(StationConfig));
    std::vector<BYTE> zero(sizeof(StationConfig), 0);
    EXPECT_EQ(0, std::memcmp(zero.data(), p, sizeof(StationConfig)));
    FreeStationConfig(p);
    FreeStationConfig(nullptr);
}

TEST(StationConfig, KeyBlobLayout)
{
    StationConfig* p = AllocStationConfig();
    ASSERT_NE(nullptr, p);
    p->authMode = 1;
    ASSERT_TRUE(SetStationWepKey(p, 1, TRUE, kKey13, 13));
    ASSERT_TRUE(SetStationWepKey(p, 2, FALSE, kKey5, 5));
    const NDIS_802_11_KEY* k = p->wepKey[1].key;
    EXPECT_EQ(52u, p->wepKey[1].size);
    EXPECT_EQ(52u, k->Length);
    EXPECT_EQ(0x80000001u, k->KeyIndex);
    EXPECT_EQ(13u, k->KeyLength);
    EXPECT_EQ(std::vector<BYTE>(6, 0xFF), std::vector<BYTE>(k->BSSID, k->BSSID + 6));
    EXPECT_EQ(0u, (unsigned long long)k->KeyRSC);
    EXPECT_EQ(0, std::memcmp(reinterpret_cast<const BYTE*>(k) + 32, kKey13, 13));
    EXPECT_EQ(44u, p->wepKey[2].size);
    EXPECT_EQ(2u, p->wepKey[2].key->KeyIndex);
    EXPECT_TRUE(IsMovableAllocation(k));

    EXPECT_TRUE(SetStationWepKey(p, 1, TRUE, nullptr, 0)) << "removing a key";
    EXPECT_EQ(nullptr, p->wepKey[1].key);
    EXPECT_EQ(0u, p->wepKey[1].size);
    EXPECT_FALSE(SetStationWepKey(p, 4, TRUE, kKey5, 5));

    p->authMode = 5;
    BYTE psk[32];
    for (int i = 0; i < 32; ++i) psk[i] = (BYTE)(0xC0 + i);
    ASSERT_TRUE(SetStationWpaNoneKey(p, psk));
    EXPECT_EQ(71u, p->wpaNoneKeySize);
    EXPECT_EQ(71u, p->wpaNoneKey->Length);
    EXPECT_EQ(0x80000000u, p->wpaNoneKey->KeyIndex);
    EXPECT_EQ(32u, p->wpaNoneKey->KeyLength);
    EXPECT_EQ(0, std::memcmp(reinterpret_cast<const BYTE*>(p->wpaNoneKey) + 32, psk, 32));
    // authMode 5 owns only the WPA-None blob: give the WEP key back first.
    p->authMode = 1;
    SetStationWepKey(p, 2, FALSE, nullptr, 0);
    p->authMode = 5;
    FreeStationConfig(p);
}

struct CopyCase {
    const char* name;
    DWORD authMode, encryption;
    bool wepKeys[4];
    bool wpaNone;
    int blobsCopied;
};

// The blobs a copy gets follow the rule; pointers the rule does not give it
// are never shared with the source.
TEST(StationConfig, DeepCopyFollowsTheOwnershipRule)
{
    const CopyCase cases[] = {
        {"WPA-PSK", 4, 4, {false, false, false, false}, false, 0},
        {"WPA2-PSK with stray pointers", 7, 6, {true, true, false, false}, true, 0},
        {"shared, third key missing", 1, 0, {true, true, false, true}, false, 3},
        {"open WEP, one key", 0, 0, {false, true, false, false}, false, 1},
        {"auto, no encryption", 2, 1, {true, false, false, false}, false, 0},
        {"WPA-None", 5, 4, {true, false, false, false}, true, 1},
    };
    for (const CopyCase& c : cases) {
        StationConfig* src = AllocStationConfig();
        ASSERT_NE(nullptr, src);
        src->authMode = 1;   // builders make the blobs, then the mode is set
        for (int i = 0; i < 4; ++i)
            if (c.wepKeys[i]) ASSERT_TRUE(SetStationWepKey(src, i, i == 1, kKey13, 13));
        BYTE psk[32] = {1, 2, 3};
        if (c.wpaNone) ASSERT_TRUE(SetStationWpaNoneKey(src, psk));
        src->authMode = c.authMode;
        src->encryption = c.encryption;
        std::strcpy(src->identity, "user@example");
        src->ssid.SsidLength = 4;
        std::memcpy(src->ssid.Ssid, "Home", 4);

        StationConfig* copy = nullptr;
        ASSERT_TRUE(CopyStationConfig(&copy, src)) << c.name;
        ASSERT_NE(nullptr, copy);
        EXPECT_NE(src, copy);
        EXPECT_TRUE(IsMovableAllocation(copy));
        EXPECT_STREQ("user@example", copy->identity);
        EXPECT_EQ(0, std::memcmp(&src->ssid, &copy->ssid, sizeof(copy->ssid)));

        int blobs = 0;
        for (int i = 0; i < 4; ++i) {
            if (copy->wepKey[i].key) {
                ++blobs;
                EXPECT_NE(src->wepKey[i].key, copy->wepKey[i].key) << c.name << " key " << i;
                EXPECT_EQ(BlobBytes(src->wepKey[i].key, src->wepKey[i].size),
                          BlobBytes(copy->wepKey[i].key, copy->wepKey[i].size))
                    << c.name << " key " << i;
            }
        }
        if (copy->wpaNoneKey) {
            ++blobs;
            EXPECT_NE(src->wpaNoneKey, copy->wpaNoneKey);
            EXPECT_EQ(BlobBytes(src->wpaNoneKey, 71), BlobBytes(copy->wpaNoneKey, 71));
        }
        EXPECT_EQ(c.blobsCopied, blobs) << c.name;

        // The copy lives on after the source is gone.
        src->authMode = 1;
        src->encryption = 0;
        for (int i = 0; i < 4; ++i) SetStationWepKey(src, i, FALSE, nullptr, 0);
        src->authMode = 5;
        FreeStationConfig(src);
        for (int i = 0; i < 4; ++i)
            if (copy->wepKey[i].key) EXPECT_EQ(13u, copy->wepKey[i].key->KeyLength) << c.name;

        // Copying nothing frees the old destination and reports failure.
        EXPECT_FALSE(CopyStationConfig(&copy, nullptr));
        EXPECT_EQ(nullptr, copy);
    }
}

TEST(StationConfig, CopyReplacesTheDestination)
{
    StationConfig* a = AllocStationConfig();
    StationConfig* b = AllocStationConfig();
    ASSERT_TRUE(a && b);
    a->authMode = 1;
    ASSERT_TRUE(SetStationWepKey(a, 0, TRUE, kKey5, 5));
    b->authMode = 4;
    std::memcpy(b->wpaPsk, "passphrase", 10);
    b->wpaPskLength = 10;

    StationConfig* dst = nullptr;
    ASSERT_TRUE(CopyStationConfig(&dst, a));
    ASSERT_NE(nullptr, dst->wepKey[0].key);
    ASSERT_TRUE(CopyStationConfig(&dst, b));
    EXPECT_EQ(4u, dst->authMode);
    EXPECT_EQ(0, std::memcmp(dst->wpaPsk, "passphrase", 10));
    EXPECT_EQ(nullptr, dst->wepKey[0].key);

    EXPECT_FALSE(CopyStationConfig(nullptr, a));
    FreeStationConfig(dst);
    FreeStationConfig(a);
    FreeStationConfig(b);
}

}  // namespace
