// The records of the 802.11n Block-Ack and aggregation settings as the
// driver and the registry keep them: the session request of the add and
// delete dialogs, the aggregation capability (OID_VENDOR_BA_CAPABILITY and
// the adapter key's BACapability), and the driver's session table.
#pragma once

#include <windows.h>

#include <vector>

#include "classlib/CString.h"

#pragma pack(push, 1)
// OID_VENDOR_BA_TABLE (set: a session is added) and OID_VENDOR_BA_DELETE.
struct BaSessionRequest {
    BYTE direction;       // 0: this adapter is the originator, 1: the recipient
    BYTE peer[6];
    BYTE tid;
    BYTE windowSize;      // add
    BYTE reserved9;
    WORD zero;            // add: 0
    BYTE deleteAll;       // add: 0; delete: every TID of the peer
    BYTE reserved13;
};

// OID_VENDOR_BA_CAPABILITY.
struct BaCapability {
    BYTE byte0;           // carried as they were read
    BYTE byte1;
    BYTE mpdu;            // MPDU aggregation: 1 on, 2 off
    BYTE density;         // MPDU density, 0-7
    BYTE amsdu;           // A-MSDU on
    BYTE amsduSize;       // 0: 3839 bytes, 1: 7935 bytes
    BYTE smps;            // 3 SM enable, 0 static, 1 dynamic
    BYTE autoAggregation; // 1: automatic
};
#pragma pack(pop)
static_assert(sizeof(BaSessionRequest) == 14, "BaSessionRequest layout");
static_assert(sizeof(BaCapability) == 8, "BaCapability layout");

// BACapability (REG_DWORD): bits 0-7 byte0, 8-15 byte1, 16 autoAggregation,
// 17-18 mpdu, 19-21 density, 22 amsdu, 23 amsduSize, 24-25 smps, 26-31 zero.
// Every field is cut to its width, so that no value spills into the next.
DWORD BaCapabilityToRegistry(const BaCapability& cap);
BaCapability BaCapabilityFromRegistry(DWORD value);

// The answer of OID_VENDOR_BA_TABLE: originator entries from byte 0,
// recipient entries from byte 1536, 32 of 48 bytes each; the two counts at
// bytes 3072 and 3073.
constexpr DWORD kBaTableSize = 3076;
constexpr int kBaTableEntries = 32;
constexpr int kBaEntrySize = 48;
constexpr DWORD kBaRecipientOffset = 1536;
constexpr DWORD kBaCountOffset = 3072;
constexpr int kBaTidCount = 8;

enum BaDirection { BA_ORIGINATOR = 0, BA_RECIPIENT = 1 };

// One TID of one session entry.
struct BaTidEntry {
    BYTE direction;       // BaDirection
    BYTE peer[6];
    BYTE tid;
    BYTE tidByte;         // the entry's byte of this TID
    WORD tidValue;        // the entry's word of this TID
    BYTE zero;
    BOOL active;          // the TID's bit of the entry's bitmap
};

// One row of a session list: the peer, then TID 0 to 7 ("%d" of the TID's
// byte, "-" for a TID without a session).
struct BaSessionRow {
    CString cells[1 + kBaTidCount];
};

// The entries of one direction of a table whose first `returned` bytes came
// from the driver (the rest of the 3076 bytes zero): only whole entries
// inside those bytes, at most 32, until as many with a non-zero bitmap as
// the count says; entries with an empty bitmap are passed over.
void ParseBaSessionTable(const BYTE* table, DWORD returned, int direction, std::vector<BaSessionRow>& rows,
                         std::vector<BaTidEntry>& entries);
