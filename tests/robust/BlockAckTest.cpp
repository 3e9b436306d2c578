// The 802.11n Block-Ack records: the driver's session table as the
// aggregation dialog parses it (the whole 3076-byte buffer against a
// no-access page, any byte count reported), the capability word both ways,
// and the MAC table the session dialogs list their peers from, answered by
// the simulated driver with any bytes and any length.
#include "Robust.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>

#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "core/MovableMemory.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "pages/BaSessionDlg.h"
#include "pages/BlockAck.h"
#include "pages/MacAddressText.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"

namespace {

using robust::Bytes;

std::string MacText(const BYTE* m)
{
    char t[32];
    std::snprintf(t, sizeof(t), "%02X-%02X-%02X-%02X-%02X-%02X", m[0], m[1], m[2], m[3], m[4], m[5]);
    return t;
}

Bytes SessionTable(robust::Rng& rng)
{
    Bytes t(kBaTableSize, 0);
    for (int d = 0; d < 2; ++d) {
        int n = (int)rng.Below(33);
        for (int i = 0; i < n; ++i) {
            BYTE* e = &t[(d ? kBaRecipientOffset : 0) + (size_t)i * kBaEntrySize];
            for (int k = 0; k < kBaEntrySize; ++k) e[k] = rng.Byte();
            if (rng.OneIn(3)) e[6] = 0;   // an entry without sessions
        }
        t[kBaCountOffset + d] = rng.OneIn(3) ? rng.Byte() : (BYTE)n;
    }
    return t;
}

TEST(BlockAck, TheSessionTable)
{
    robust::GuardedArea area;
    robust::Reader reader("ba-session-table", 3000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        Bytes t = SessionTable(rng);
        DWORD returned = rng.OneIn(2) ? rng.EdgeOf(kBaTableSize) : rng.Below(kBaTableSize + 100);
        const BYTE* table = area.Place(t.data(), t.size());
        for (int d = 0; d < 2; ++d) {
            std::vector<BaSessionRow> rows;
            std::vector<BaTidEntry> entries;
            ParseBaSessionTable(table, returned, d, rows, entries);
            int count = t[kBaCountOffset + d];
            DWORD have = std::min<DWORD>(returned, kBaTableSize);
            if (!reader.Check((int)rows.size() <= std::min(count, kBaTableEntries) && entries.size() == 8 * rows.size(),
                              i, std::to_string(rows.size()) + " rows of a count of " + std::to_string(count)))
                return;
            // Each row is the next entry with sessions that came back whole, in order.
            size_t e = 0;
            for (size_t r = 0; r < rows.size(); ++r) {
                const BYTE* entry = nullptr;
                for (; e < (size_t)kBaTableEntries; ++e) {
                    size_t at = (d ? kBaRecipientOffset : 0) + e * kBaEntrySize;
                    if (at + kBaEntrySize > have) break;
                    if (t[at + 6]) {
                        entry = &t[at];
                        ++e;
                        break;
                    }
                }
                if (!reader.Check(entry != nullptr, i, "a row of no whole entry with sessions")) return;
                std::string cells = MacText(entry);
                for (int tid = 0; tid < 8; ++tid)
                    cells += "|" + ((entry[6] >> tid) & 1 ? std::to_string(entry[8 + tid]) : std::string("-"));
                std::string shown = rows[r].cells[0].GetString();
                for (int tid = 0; tid < 8; ++tid) shown += std::string("|") + rows[r].cells[1 + tid].GetString();
                reader.Check(cells == shown, i, "row " + std::to_string(r) + " shows " + shown + ", the entry is " + cells);
                for (int tid = 0; tid < 8; ++tid) {
                    const BaTidEntry& x = entries[r * 8 + tid];
                    WORD value;
                    std::memcpy(&value, entry + 16 + 2 * tid, 2);
                    reader.Check(x.direction == d && !std::memcmp(x.peer, entry, 6) && x.tid == tid &&
                                     x.tidByte == entry[8 + tid] && x.tidValue == value &&
                                     x.active == (BOOL)((entry[6] >> tid) & 1),
                                 i, "TID record " + std::to_string(tid) + " of row " + std::to_string(r));
                }
            }
        }
    });
}

TEST(BlockAck, TheCapabilityWord)
{
    robust::Reader reader("ba-capability", 20000, 1000000);
    reader.Each([&](robust::Rng& rng, long i) {
        DWORD word = (DWORD)rng.Next();
        BaCapability cap = BaCapabilityFromRegistry(word);
        reader.Check(BaCapabilityToRegistry(cap) == (word & 0x03FFFFFFu), i, "a stored word does not come back");
        reader.Check(cap.mpdu <= 3 && cap.density <= 7 && cap.amsdu <= 1 && cap.amsduSize <= 1 && cap.smps <= 3 &&
                         cap.autoAggregation <= 1,
                     i, "a field of the word beyond its width");
        BaCapability any;
        Bytes raw = rng.RandomBytes(sizeof(any));
        std::memcpy(&any, raw.data(), sizeof(any));
        DWORD packed = BaCapabilityToRegistry(any);
        reader.Check((packed & 0xFC000000u) == 0, i, "bits 26-31 of a packed word are not zero");
        BaCapability back = BaCapabilityFromRegistry(packed);
        reader.Check(back.byte0 == any.byte0 && back.byte1 == any.byte1 && back.density == (any.density & 7) &&
                         back.mpdu == (any.mpdu & 3) && back.smps == (any.smps & 3),
                     i, "a record packed and read again is another");
    });
}

// ---- The MAC table, from the simulated driver -------------------------------------------

Bytes ScanList(robust::Rng& rng, std::vector<std::array<BYTE, 6>>& infrastructure)
{
    Bytes list(BSSID_LIST_BUFFER_SIZE, 0);
    size_t at = offsetof(NDIS_802_11_BSSID_LIST_EX, Bssid);
    DWORD n = rng.Below(12);
    for (DWORD k = 0; k < n; ++k) {
        NDIS_WLAN_BSSID_EX e = {};
        e.Length = sizeof(e);
        for (BYTE& b : e.MacAddress) b = rng.OneIn(8) ? 0 : rng.Byte();
        if (rng.OneIn(6) && !infrastructure.empty()) std::memcpy(e.MacAddress, infrastructure[0].data(), 6);
        e.InfrastructureMode = rng.OneIn(4) ? Ndis802_11IBSS : Ndis802_11Infrastructure;
        e.IELength = 0;
        std::memcpy(&list[at], &e, sizeof(e));
        at += sizeof(e);
        if (e.InfrastructureMode == Ndis802_11Infrastructure) {
            std::array<BYTE, 6> m;
            std::memcpy(m.data(), e.MacAddress, 6);
            infrastructure.push_back(m);
        }
    }
    robust::PutLe32(list, 0, n);
    return list;
}

TEST(BlockAck, TheMacTable)
{
    kqsim::SimClient& sim = kqsim::SharedTestClient();
    ASSERT_TRUE(sim.IsOpen());
    kqsim::TestAdapter adapter(sim, 0x38);
    ASSERT_TRUE(adapter.ok());
    kqtest::Restore<char[MAX_PATH]> path(g_szDevicePath);
    lstrcpynA(g_szDevicePath, adapter.DevicePath().c_str(), MAX_PATH);
    kqtest::Restore<BssidListBuffer*> list(g_pBssidList);
    kqtest::Restore<BYTE[6]> current(g_CurBssid);
    BssidListBuffer* scan = (BssidListBuffer*)AllocMovable(BSSID_LIST_BUFFER_SIZE);
    robust::Reader reader("ba-mac-table", 200, 100000);
    reader.Each([&](robust::Rng& rng, long i) {
        std::vector<std::array<BYTE, 6>> infra;
        Bytes s = ScanList(rng, infra);
        std::memcpy(scan, s.data(), s.size());
        g_pBssidList = rng.OneIn(8) ? nullptr : scan;
        if (!g_pBssidList) infra.clear();
        // The driver's table: a count and entries of 10 bytes, any of it cut or lying.
        Bytes table(4 + 10 * 32, 0);
        DWORD entries = rng.Below(33);
        for (DWORD k = 0; k < entries * 10; ++k) table[4 + k] = rng.OneIn(10) ? 0 : rng.Byte();
        if (!infra.empty() && rng.OneIn(3)) std::memcpy(&table[4], infra[rng.Below((uint32_t)infra.size())].data(), 6);
        robust::PutLe32(table, 0, rng.OneIn(3) ? rng.EdgeOf(32) : entries);
        size_t length = rng.OneIn(3) ? rng.Below(400) : 4 + 10 * entries;
        table.resize(length, (BYTE)rng.Byte());
        bool fails = rng.OneIn(10);
        if (fails) sim.SetOidStatus(adapter.guid(), OID_VENDOR_MAC_TABLE, (LONG)0xC0000001);
        else sim.SetOidAnswer(adapter.guid(), OID_VENDOR_MAC_TABLE, table.data(), (DWORD)table.size());
        std::memset(g_CurBssid, 0, 6);
        if (rng.OneIn(2) && !infra.empty()) std::memcpy(g_CurBssid, infra[rng.Below((uint32_t)infra.size())].data(), 6);
        else if (rng.OneIn(3)) std::memcpy(g_CurBssid, &table[4], std::min<size_t>(6, table.size() > 4 ? table.size() - 4 : 0));

        std::vector<CString> rows = CollectBaPeers();

        // What may be listed: the scan's infrastructure entries, then the
        // table's whole entries (as many as its count says) not among them.
        std::vector<std::string> allowed;
        for (const auto& m : infra) allowed.push_back(MacText(m.data()));
        size_t fromScan = allowed.size();
        // A query into 324 bytes: the driver cuts a longer answer to that.
        size_t got = fails ? 0 : std::min<size_t>(length, 324);
        if (!fails && got >= 4) {
            size_t whole = std::min<size_t>({ (size_t)robust::Le32(table, 0), 32, (got - 4) / 10 });
            for (size_t k = 0; k < whole; ++k) {
                std::string m = MacText(&table[4 + 10 * k]);
                if (std::find(allowed.begin(), allowed.begin() + (long)fromScan, m) == allowed.begin() + (long)fromScan)
                    allowed.push_back(m);
            }
        }
        std::vector<std::string> expected;
        for (const std::string& m : allowed)
            if (m != "00-00-00-00-00-00") expected.push_back(m);
        std::string cur = MacText(g_CurBssid);
        auto it = std::find(expected.begin(), expected.end(), cur);
        if (cur != "00-00-00-00-00-00" && it != expected.end()) std::rotate(expected.begin(), it, it + 1);
        std::vector<std::string> shown;
        for (const CString& r : rows) shown.push_back(r.GetString());
        std::string a, b;
        for (const std::string& x : shown) a += x + " ";
        for (const std::string& x : expected) b += x + " ";
        reader.Check(shown == expected, i, "rows [" + a + "], the scan and the table give [" + b + "]");
        sim.ClearOidAnswer(adapter.guid(), OID_VENDOR_MAC_TABLE);
    });
    FreeMovable(scan);
}

}  // namespace
