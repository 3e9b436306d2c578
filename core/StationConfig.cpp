#include "core/StationConfig.h"

#include <cstring>

#include "core/MovableMemory.h"

StationConfig* g_pCurProfile = nullptr;

namespace {

const DWORD kKeyHeader = 39;     // NDIS_802_11_KEY without its key material, as the driver counts it
const DWORD kKeyMaterialOffset = FIELD_OFFSET(NDIS_802_11_KEY, KeyMaterial);

// Copy of a blob the record owns: the recorded size, never more than the
// blob's own allocation, so that a damaged size never reads past it.
NDIS_802_11_KEY* CopyKeyBlob(const NDIS_802_11_KEY* src, DWORD size)
{
    if (!src || size == 0) return nullptr;
    SIZE_T have = MovableSize(src);
    if (have != 0 && size > have) size = (DWORD)have;
    NDIS_802_11_KEY* copy = static_cast<NDIS_802_11_KEY*>(AllocMovable(size));
    if (copy) std::memcpy(copy, src, size);
    return copy;
}

}  // namespace

StationConfig* AllocStationConfig()
{
    return static_cast<StationConfig*>(AllocMovable(sizeof(StationConfig)));
}

void SetOneOffRadioDefaults(StationConfig* p)
{
    if (!p) return;
    p->applyRadioSettings = 0;
    p->acPowerCam = 0;
    p->powerMode = 0;
    p->rtsThreshold = 2347;
    p->fragThreshold = 0;
    p->preamble = 2;
    p->txPowerIndex = 0;
}

BOOL StationConfigOwnsWpaNoneKey(const StationConfig* p)
{
    return p && p->authMode == 5;
}

BOOL StationConfigOwnsWepKeys(const StationConfig* p)
{
    return p && p->authMode != 5 && (p->authMode == 1 || p->encryption == 0);
}

NDIS_802_11_KEY* AllocKeyBlob(DWORD keyIndex, BOOL transmit, const BYTE* key, DWORD keyLength, DWORD* size)
{
    DWORD total = keyLength + kKeyHeader;
    if (total < kKeyMaterialOffset + keyLength) total = kKeyMaterialOffset + keyLength;
    NDIS_802_11_KEY* blob = static_cast<NDIS_802_11_KEY*>(AllocMovable(total));
    if (!blob) return nullptr;
    blob->Length = keyLength + kKeyHeader;
    blob->KeyIndex = keyIndex | (transmit ? 0x80000000u : 0);
    blob->KeyLength = keyLength;
    std::memset(blob->BSSID, 0xFF, sizeof(blob->BSSID));
    blob->KeyRSC = 0;
    if (key && keyLength) std::memcpy(reinterpret_cast<BYTE*>(blob) + kKeyMaterialOffset, key, keyLength);
    if (size) *size = keyLength + kKeyHeader;
    return blob;
}

void FreeKeyBlob(NDIS_802_11_KEY* blob) { FreeMovable(blob); }

BOOL SetStationWepKey(StationConfig* p, int index, BOOL transmit, const BYTE* key, DWORD keyLength)
{
    if (!p || index < 0 || index > 3) return FALSE;
    StationKeyBlob& slot = p->wepKey[index];
    if (slot.size != 0) FreeKeyBlob(slot.key);
    slot.key = nullptr;
    slot.size = 0;
    if (keyLength == 0) return TRUE;
    slot.key = AllocKeyBlob((DWORD)index, transmit, key, keyLength, &slot.size);
    if (!slot.key) slot.size = 0;
    return slot.key != nullptr;
}

BOOL SetStationWpaNoneKey(StationConfig* p, const BYTE key[32])
{
    if (!p) return FALSE;
    if (p->wpaNoneKey) FreeKeyBlob(p->wpaNoneKey);
    p->wpaNoneKeySize = 0;
    p->wpaNoneKey = AllocKeyBlob(0, TRUE, key, 32, &p->wpaNoneKeySize);
    if (!p->wpaNoneKey) p->wpaNoneKeySize = 0;
    return p->wpaNoneKey != nullptr;
}

void FreeStationConfig(StationConfig* p)
{
    if (!p) return;
    if (StationConfigOwnsWpaNoneKey(p)) FreeKeyBlob(p->wpaNoneKey);
    if (StationConfigOwnsWepKeys(p))
        for (StationKeyBlob& k : p->wepKey)
            if (k.size != 0) FreeKeyBlob(k.key);
    FreeMovable(p);
}

BOOL CopyStationConfig(StationConfig** dst, const StationConfig* src)
{
    if (!dst) return FALSE;
    if (*dst) {
        FreeStationConfig(*dst);
        *dst = nullptr;
    }
    if (!src) return FALSE;
    StationConfig* copy = AllocStationConfig();
    if (!copy) return FALSE;
    std::memcpy(copy, src, sizeof(*copy));

    // Pointers the rule does not give the copy are not its own: drop them so
    // that nothing is shared with the source.
    bool ok = true;
    copy->wpaNoneKey = nullptr;
    if (StationConfigOwnsWpaNoneKey(src) && src->wpaNoneKey) {
        copy->wpaNoneKey = CopyKeyBlob(src->wpaNoneKey, src->wpaNoneKeySize ? src->wpaNoneKeySize : 71);
        ok = copy->wpaNoneKey != nullptr;
    }
    bool wep = StationConfigOwnsWepKeys(src);
    for (int i = 0; i < 4; ++i) {
        StationKeyBlob& k = copy->wepKey[i];
        k.key = nullptr;
        if (wep && src->wepKey[i].size != 0) {
            k.key = CopyKeyBlob(src->wepKey[i].key, src->wepKey[i].size);
            if (!k.key) {
                if (src->wepKey[i].key) ok = false;
                k.size = 0;
            }
        }
    }
    if (!ok) {
        FreeStationConfig(copy);
        return FALSE;
    }
    *dst = copy;
    return TRUE;
}
