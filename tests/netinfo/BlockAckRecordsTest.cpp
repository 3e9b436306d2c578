// The Block-Ack records as the driver and the registry keep them: the
// BACapability word with every field at and beyond its width, and the
// driver's session table read only as far as its answer reaches.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pages/BlockAck.h"
#include "pages/MacAddressText.h"

namespace {

BaCapability Cap(BYTE b0, BYTE b1, BYTE mpdu, BYTE density, BYTE amsdu, BYTE size, BYTE smps, BYTE automatic)
{
    return BaCapability{ b0, b1, mpdu, density, amsdu, size, smps, automatic };
}

TEST(BaCapabilityWord, EveryFieldAtAndBeyondItsWidth)
{
    const struct {
        const char* name;
        BaCapability cap;
        DWORD word;
    } cases[] = {
        { "all zero", Cap(0, 0, 0, 0, 0, 0, 0, 0), 0 },
        { "carried bytes", Cap(0xFF, 0xFF, 0, 0, 0, 0, 0, 0), 0x0000FFFF },
        { "byte 1 alone", Cap(0, 0x5A, 0, 0, 0, 0, 0, 0), 0x00005A00 },
        { "auto", Cap(0, 0, 0, 0, 0, 0, 0, 1), 0x00010000 },
        { "auto beyond its bit", Cap(0, 0, 0, 0, 0, 0, 0, 2), 0 },
        { "MPDU on", Cap(0, 0, 1, 0, 0, 0, 0, 0), 0x00020000 },
        { "MPDU off", Cap(0, 0, 2, 0, 0, 0, 0, 0), 0x00040000 },
        { "MPDU at its width", Cap(0, 0, 3, 0, 0, 0, 0, 0), 0x00060000 },
        { "MPDU beyond its width", Cap(0, 0, 4, 0, 0, 0, 0, 0), 0 },
        { "density 7", Cap(0, 0, 0, 7, 0, 0, 0, 0), 0x00380000 },
        { "density 8 stays out of A-MSDU", Cap(0, 0, 0, 8, 0, 0, 0, 0), 0 },
        { "density 9 stays out of A-MSDU", Cap(0, 0, 0, 9, 0, 0, 0, 0), 0x00080000 },
        { "density 255", Cap(0, 0, 0, 255, 0, 0, 0, 0), 0x00380000 },
        { "A-MSDU", Cap(0, 0, 0, 0, 1, 0, 0, 0), 0x00400000 },
        { "A-MSDU beyond its bit", Cap(0, 0, 0, 0, 2, 0, 0, 0), 0 },
        { "A-MSDU 7935", Cap(0, 0, 0, 0, 0, 1, 0, 0), 0x00800000 },
        { "SMPS enable", Cap(0, 0, 0, 0, 0, 0, 3, 0), 0x03000000 },
        { "SMPS beyond its width", Cap(0, 0, 0, 0, 0, 0, 4, 0), 0 },
        { "every field full", Cap(0xFF, 0xFF, 3, 7, 1, 1, 3, 1), 0x03FFFFFF },
        { "every byte 0xFF: nothing above bit 25", Cap(0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF), 0x03FFFFFF },
    };
    for (const auto& c : cases) EXPECT_EQ(c.word, BaCapabilityToRegistry(c.cap)) << c.name;
}

TEST(BaCapabilityWord, ReadsBackEveryFieldAndIgnoresTheTopBits)
{
    BaCapability all = BaCapabilityFromRegistry(0xFFFFFFFF);
    EXPECT_EQ(0, memcmp(&all, "\xFF\xFF\x03\x07\x01\x01\x03\x01", 8));
    BaCapability none = BaCapabilityFromRegistry(0xFC000000);
    EXPECT_EQ(0, memcmp(&none, "\0\0\0\0\0\0\0\0", 8));
    // Every value in range comes back as it went.
    for (int mpdu = 0; mpdu < 4; ++mpdu)
        for (int density = 0; density < 8; ++density)
            for (int smps = 0; smps < 4; ++smps)
                for (int flags = 0; flags < 8; ++flags) {
                    BaCapability c = Cap(0xA5, 0x3C, (BYTE)mpdu, (BYTE)density, flags & 1, (flags >> 1) & 1, (BYTE)smps,
                                         (flags >> 2) & 1);
                    BaCapability back = BaCapabilityFromRegistry(BaCapabilityToRegistry(c));
                    ASSERT_EQ(0, memcmp(&c, &back, 8)) << mpdu << " " << density << " " << smps << " " << flags;
                }
}

// ---- The session table -------------------------------------------------------------

class SessionTable : public ::testing::Test {
protected:
    SessionTable() : table(kBaTableSize, 0) {}
    // An entry: peer ending in `last`, a bitmap, a byte and a word per TID.
    void Entry(int direction, int index, BYTE last, BYTE bitmap)
    {
        BYTE* e = table.data() + (direction == BA_RECIPIENT ? kBaRecipientOffset : 0) + index * kBaEntrySize;
        const BYTE mac[6] = { 0x00, 0x11, 0x22, 0x33, 0x44, last };
        memcpy(e, mac, 6);
        e[6] = bitmap;
        for (int t = 0; t < 8; ++t) {
            e[8 + t] = (BYTE)(10 + t);
            WORD w = (WORD)(1000 + t);
            memcpy(e + 16 + 2 * t, &w, 2);
        }
    }
    void Count(int direction, BYTE n) { table[kBaCountOffset + direction] = n; }
    void Parse(int direction, DWORD returned) { ParseBaSessionTable(table.data(), returned, direction, rows, entries); }

    std::vector<BYTE> table;
    std::vector<BaSessionRow> rows;
    std::vector<BaTidEntry> entries;
};

TEST_F(SessionTable, ARowPerEntryWithTheBytesOfItsTids)
{
    Entry(BA_ORIGINATOR, 0, 0x07, 0x21);
    Count(BA_ORIGINATOR, 1);
    Parse(BA_ORIGINATOR, kBaTableSize);
    ASSERT_EQ(1u, rows.size());
    const char* expected[9] = { "00-11-22-33-44-07", "10", "-", "-", "-", "-", "15", "-", "-" };
    for (int c = 0; c < 9; ++c) EXPECT_EQ(expected[c], rows[0].cells[c]) << c;
    ASSERT_EQ(8u, entries.size());
    for (int t = 0; t < 8; ++t) {
        EXPECT_EQ(BA_ORIGINATOR, entries[t].direction);
        EXPECT_EQ(t, entries[t].tid);
        EXPECT_EQ(10 + t, entries[t].tidByte);
        EXPECT_EQ(1000 + t, entries[t].tidValue);
        EXPECT_EQ(t == 0 || t == 5, entries[t].active != 0) << t;
        EXPECT_EQ(0x07, entries[t].peer[5]);
    }
    Parse(BA_RECIPIENT, kBaTableSize);
    EXPECT_TRUE(rows.empty());
}

TEST_F(SessionTable, WalksTheCountOfEntriesWithSessionsAndNoFurther)
{
    const struct {
        const char* name;
        int direction;
        std::vector<std::pair<int, BYTE>> entries;   // index, bitmap
        BYTE count;
        DWORD returned;
        std::vector<BYTE> peers;                     // last MAC byte of each row
    } cases[] = {
        { "empty entries are passed over", BA_ORIGINATOR, { { 0, 0 }, { 1, 0x01 }, { 2, 0 }, { 3, 0x80 } }, 2,
          kBaTableSize, { 1, 3 } },
        { "the count ends the walk", BA_ORIGINATOR, { { 0, 1 }, { 1, 1 }, { 2, 1 } }, 2, kBaTableSize, { 0, 1 } },
        { "a count above the entries with sessions", BA_RECIPIENT, { { 4, 1 }, { 9, 2 } }, 5, kBaTableSize, { 4, 9 } },
        { "a count of 255: at most 32", BA_ORIGINATOR, {}, 255, kBaTableSize, {} },
        { "an answer of 100 bytes holds two entries", BA_ORIGINATOR, { { 0, 1 }, { 1, 1 }, { 2, 1 } }, 3, 100, { 0, 1 } },
        { "an answer ending inside the first recipient entry", BA_RECIPIENT, { { 0, 1 } }, 1, 1536 + 47, {} },
        { "an answer holding the first recipient entry", BA_RECIPIENT, { { 0, 1 }, { 1, 1 } }, 2, 1536 + 48, { 0 } },
        { "an answer longer than the table", BA_RECIPIENT, { { 31, 1 } }, 1, 100000, { 31 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(table.begin(), table.end(), 0);
        if (c.count == 255)
            for (int i = 0; i < 32; ++i) Entry(c.direction, i, (BYTE)i, 0xFF);
        for (const auto& e : c.entries) Entry(c.direction, e.first, (BYTE)e.first, e.second);
        Count(c.direction, c.count);
        Parse(c.direction, c.returned);
        if (c.count == 255) {
            EXPECT_EQ(32u, rows.size());
            EXPECT_EQ(256u, entries.size());
            continue;
        }
        ASSERT_EQ(c.peers.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            BYTE mac[6];
            ASSERT_TRUE(ParseMacAddressString(rows[i].cells[0], mac));
            EXPECT_EQ(c.peers[i], mac[5]);
        }
        EXPECT_EQ(rows.size() * 8, entries.size());
    }
}

// ---- MAC address texts ---------------------------------------------------------------

TEST(MacAddressText, FormatsAndParsesBack)
{
    const BYTE mac[6] = { 0x00, 0x0C, 0x43, 0xAB, 0xCD, 0xEF };
    EXPECT_EQ("00-0C-43-AB-CD-EF", FormatMacAddress(mac));
    const struct {
        const char* text;
        BOOL whole;
        BYTE bytes[6];
    } cases[] = {
        { "00-0C-43-AB-CD-EF", TRUE, { 0x00, 0x0C, 0x43, 0xAB, 0xCD, 0xEF } },
        { "000c43abcdef", TRUE, { 0x00, 0x0C, 0x43, 0xAB, 0xCD, 0xEF } },
        { "00-0C-43-AB-CD-EF-11", TRUE, { 0x00, 0x0C, 0x43, 0xAB, 0xCD, 0xEF } },
        { "00-0C-43", FALSE, { 0x00, 0x0C, 0x43, 0, 0, 0 } },
        { "00-0C-4G-AB-CD-EF", FALSE, { 0x00, 0x0C, 0, 0, 0, 0 } },
        { "", FALSE, { 0, 0, 0, 0, 0, 0 } },
    };
    for (const auto& c : cases) {
        BYTE out[6];
        memset(out, 0x99, 6);
        EXPECT_EQ(c.whole, ParseMacAddressString(c.text, out)) << c.text;
        EXPECT_EQ(0, memcmp(c.bytes, out, 6)) << c.text;
    }
}

}  // namespace
