#include "pages/BlockAck.h"

#include <cstring>

#include "pages/MacAddressText.h"

DWORD BaCapabilityToRegistry(const BaCapability& cap)
{
    return (DWORD)cap.byte0 | ((DWORD)cap.byte1 << 8) | ((DWORD)(cap.autoAggregation & 0x1) << 16) |
           ((DWORD)(cap.mpdu & 0x3) << 17) | ((DWORD)(cap.density & 0x7) << 19) | ((DWORD)(cap.amsdu & 0x1) << 22) |
           ((DWORD)(cap.amsduSize & 0x1) << 23) | ((DWORD)(cap.smps & 0x3) << 24);
}

BaCapability BaCapabilityFromRegistry(DWORD value)
{
    BaCapability cap;
    cap.byte0 = (BYTE)(value & 0xFF);
    cap.byte1 = (BYTE)((value >> 8) & 0xFF);
    cap.autoAggregation = (BYTE)((value >> 16) & 0x1);
    cap.mpdu = (BYTE)((value >> 17) & 0x3);
    cap.density = (BYTE)((value >> 19) & 0x7);
    cap.amsdu = (BYTE)((value >> 22) & 0x1);
    cap.amsduSize = (BYTE)((value >> 23) & 0x1);
    cap.smps = (BYTE)((value >> 24) & 0x3);
    return cap;
}

void ParseBaSessionTable(const BYTE* table, DWORD returned, int direction, std::vector<BaSessionRow>& rows,
                         std::vector<BaTidEntry>& entries)
{
    rows.clear();
    entries.clear();
    if (returned > kBaTableSize) returned = kBaTableSize;
    DWORD base = direction == BA_RECIPIENT ? kBaRecipientOffset : 0;
    int count = table[kBaCountOffset + (direction == BA_RECIPIENT ? 1 : 0)];
    int taken = 0;
    for (int i = 0; i < kBaTableEntries && taken < count; ++i) {
        DWORD at = base + (DWORD)i * kBaEntrySize;
        if (at + kBaEntrySize > returned) break;
        const BYTE* e = table + at;
        BYTE bitmap = e[6];
        if (!bitmap) continue;
        ++taken;
        BaSessionRow row;
        row.cells[0] = FormatMacAddress(e);
        for (int t = 0; t < kBaTidCount; ++t) {
            bool on = (bitmap >> t) & 1;
            BaTidEntry tid = {};
            tid.direction = (BYTE)direction;
            std::memcpy(tid.peer, e, 6);
            tid.tid = (BYTE)t;
            tid.tidByte = e[8 + t];
            std::memcpy(&tid.tidValue, e + 16 + 2 * t, 2);
            tid.active = on ? TRUE : FALSE;
            entries.push_back(tid);
            if (on) row.cells[1 + t].Format("%d", tid.tidByte);
            else row.cells[1 + t] = "-";
        }
        rows.push_back(row);
    }
}
