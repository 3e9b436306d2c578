/* The OID catalogue as the simulated adapter answers it: one table row per
 * OID with its payload sizes, a stored value for plain settings and a
 * handler where the answer follows from the link or the air. */
#include "SimDriver.h"

#define F_SHORT   0x1   /* a shorter buffer gets what fits */
#define F_NOSET   0x2
#define F_NOQUERY 0x4
#define F_VARSET  0x8   /* set data of its own length, at least setSize */

typedef NTSTATUS (*QUERY_FN)(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len);
typedef NTSTATUS (*SET_FN)(KQ_ADAPTER *ad, const UCHAR *data, ULONG len);

typedef struct OID_DEF {
    ULONG oid;
    USHORT size;        /* query payload */
    USHORT setSize;     /* set payload; 0 = no data */
    USHORT flags;
    QUERY_FN query;     /* NULL: the stored value */
    SET_FN set;         /* NULL: stored only */
} OID_DEF;

static void Put32(UCHAR *p, ULONG v) { RtlCopyMemory(p, &v, 4); }
static ULONG Get32(const UCHAR *p) { ULONG v; RtlCopyMemory(&v, p, 4); return v; }

static const OID_DEF g_oids[];
static const OID_DEF *FindDef(ULONG oid, int *index);

static UCHAR *StoreOf(KQ_ADAPTER *ad, int index) { return ad->store + index * KQ_STORE; }

UCHAR *KqStoreBytes(KQ_ADAPTER *ad, ULONG oid)
{
    int i;
    return FindDef(oid, &i) ? StoreOf(ad, i) : NULL;
}

ULONG KqStoreGet(KQ_ADAPTER *ad, ULONG oid)
{
    UCHAR *p = KqStoreBytes(ad, oid);
    return p ? Get32(p) : 0;
}

void KqStorePut(KQ_ADAPTER *ad, ULONG oid, ULONG value)
{
    UCHAR *p = KqStoreBytes(ad, oid);
    if (p) Put32(p, value);
}

static const KQSIM_NETWORK *Joined(KQ_ADAPTER *ad)
{
    if (!ad->associated || ad->network < 0 || (ULONG)ad->network >= g_airCount) return NULL;
    return &g_air[ad->network];
}

static int IsHtModel(const KQ_ADAPTER *ad) { return ad->cfg.model >= 6 && ad->cfg.model <= 8; }

static int HtLink(KQ_ADAPTER *ad)
{
    const KQSIM_NETWORK *n = Joined(ad);
    return n && IsHtModel(ad) && (n->flags & KQSIM_NET_HT);
}

static int CurrentRssi(KQ_ADAPTER *ad)
{
    const KQSIM_NETWORK *n = Joined(ad);
    if (n) return n->rssi;
    return ad->associated ? -60 : -100;
}

#define ANSWER32(name, expr) \
    static NTSTATUS name(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len) \
    { Put32(out, (ULONG)(expr)); *len = 4; return STATUS_SUCCESS; }

/* ---- queries --------------------------------------------------------- */

static NTSTATUS Q_DriverVersion(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlCopyMemory(out, &ad->cfg.driverVersion, 2);
    *len = 2;
    return STATUS_SUCCESS;
}

ANSWER32(Q_Media, KqConnected(ad) ? 0 : 1)
ANSWER32(Q_RcvOk, ad->rcvOk)
ANSWER32(Q_NoBuf, ad->rcvNoBuf)
ANSWER32(Q_Rssi, CurrentRssi(ad))
ANSWER32(Q_Rssi1, CurrentRssi(ad) - 2)
ANSWER32(Q_Rssi2, CurrentRssi(ad) - 4)
ANSWER32(Q_Snr0, HtLink(ad) ? 30 : 44)
ANSWER32(Q_Snr1, HtLink(ad) ? 28 : 44)
ANSWER32(Q_Radio, ad->radioOn)
ANSWER32(Q_OpMode, ad->opMode)
ANSWER32(Q_EepromVersion, ad->cfg.eepromVersion)
ANSWER32(Q_FirmwareVersion, ad->cfg.firmwareVersion)
ANSWER32(Q_Icv, ad->icvOverride >= 0 ? (ULONG)ad->icvOverride : (ULONG)ad->wrongKey)
ANSWER32(Q_Ip, KqConnected(ad) && Joined(ad) ? Joined(ad)->ipAddress : 0)

static NTSTATUS Q_Mac(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlCopyMemory(out, ad->cfg.mac, 6);
    *len = 6;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_Bssid(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    if (ad->associated) RtlCopyMemory(out, ad->bssid, 6);
    else RtlZeroMemory(out, 6);
    *len = 6;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_Ssid(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlZeroMemory(out, 36);
    if (ad->associated) {
        Put32(out, ad->ssidLen);
        RtlCopyMemory(out + 4, ad->ssid, ad->ssidLen);
    }
    *len = 36;
    return STATUS_SUCCESS;
}

/* While a WPA or 802.1X link waits for its keys the status reads "key absent". */
static NTSTATUS Q_WepStatus(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    ULONG v = KqStoreGet(ad, 0x0D01011B);
    int anyKey = ad->keys[0].length || ad->keys[1].length || ad->keys[2].length || ad->keys[3].length;
    if (ad->associated && !ad->authorized) {
        if (v == 0) v = 2;
        else if (v == 4) v = 5;
        else if (v == 6) v = 7;
    } else if (v == 0 && !anyKey) {
        v = 2;
    }
    Put32(out, v);
    *len = 4;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_NetTypes(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlZeroMemory(out, 20);
    Put32(out + 4, 1);                 /* DSSS */
    Put32(out + 8, 3);                 /* OFDM 2.4 GHz */
    if (ad->cfg.dualBand) {
        Put32(out + 12, 2);            /* OFDM 5 GHz */
        Put32(out, 3);
    } else {
        Put32(out, 2);
    }
    *len = 20;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_Config(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    const KQSIM_NETWORK *n = Joined(ad);
    RtlCopyMemory(out, KqStoreBytes(ad, 0x0D010211), 32);
    if (n) {
        Put32(out + 4, n->beaconInterval);
        Put32(out + 12, KqChannelKHz(n));
    }
    Put32(out, 32);
    *len = 32;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_List(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    if (!ad->listValid) {
        KqBuildList(ad, ad->list, KQ_LIST_MAX, &ad->listLen);
        ad->listValid = 1;
    }
    RtlCopyMemory(out, ad->list, ad->listLen);
    *len = ad->listLen;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_Stats(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlZeroMemory(out, 176);
    Put32(out, 176);
    RtlCopyMemory(out + 8, ad->stats, sizeof(ad->stats));
    *len = 176;
    return STATUS_SUCCESS;
}

static ULONG Quality(KQ_ADAPTER *ad)
{
    int r = CurrentRssi(ad);
    if (ad->quality) return ad->quality;
    if (!ad->associated) return 0;
    if (r >= -50) return 100;
    if (r <= -100) return 0;
    return (ULONG)((r + 100) * 2);
}

static NTSTATUS Q_LinkStatus(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    const KQSIM_NETWORK *n = Joined(ad);
    ULONG rate = 0, central = ad->channel;
    if (ad->associated) rate = HtLink(ad) ? ((n->flags & KQSIM_NET_HT40) ? 540 : 260) : 108;
    if (n && HtLink(ad) && (n->flags & KQSIM_NET_HT40))
        central = (n->channel <= 7 || n->channel > 14) ? n->channel + 2 : n->channel - 2;
    Put32(out, rate);
    Put32(out + 4, Quality(ad));
    Put32(out + 8, ad->txBytes);
    Put32(out + 12, ad->rxBytes);
    Put32(out + 16, ad->associated ? central : 0);
    *len = 20;
    return STATUS_SUCCESS;
}

static ULONG *RegSlot(KQ_ADAPTER *ad, ULONG type, ULONG offset, int create)
{
    int i;
    for (i = 0; i < KQ_MAX_REGS; ++i)
        if (ad->regs[i].type == type && ad->regs[i].offset == offset && (ad->regs[i].value || create == 2))
            return &ad->regs[i].value;
    if (!create) return NULL;
    for (i = 0; i < KQ_MAX_REGS; ++i)
        if (!ad->regs[i].value) {
            ad->regs[i].type = type;
            ad->regs[i].offset = offset;
            return &ad->regs[i].value;
        }
    return &ad->regs[KQ_MAX_REGS - 1].value;
}

static NTSTATUS Q_Register(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    ULONG type = 0, offset = 0, value = 0, *slot;
    if (in && inLen >= 8) { type = Get32(in); offset = Get32(in + 4); }
    if (type == 3 && offset == 0x36) value = ad->eepromWord36;
    else if ((slot = RegSlot(ad, type, offset, 0)) != NULL) value = *slot;
    Put32(out, type);
    Put32(out + 4, offset);
    Put32(out + 8, value);
    *len = 12;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_MacTable(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlZeroMemory(out, 324);
    if (ad->associated && !ad->adhoc) {
        Put32(out, 1);
        RtlCopyMemory(out + 4, ad->bssid, 6);
        out[10] = 1;                   /* association id */
    }
    *len = 324;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_Advanced(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlCopyMemory(out, KqStoreBytes(ad, 0x0D710111), 32);
    Put32(out + 20, ad->rfOn);
    *len = 32;
    return STATUS_SUCCESS;
}

ANSWER32(Q_Noise, (Joined(ad) && Joined(ad)->noise ? Joined(ad)->noise : -92) + 143)

/* Packed rate word: bits 0-6 MCS, 7 40 MHz, 8 short GI, 14-15 PHY mode. */
static ULONG RateWord(KQ_ADAPTER *ad, int rx)
{
    const KQSIM_NETWORK *n = Joined(ad);
    if (!ad->associated) return 0;
    if (HtLink(ad)) return (2u << 14) | 0x100 | ((n->flags & KQSIM_NET_HT40) ? 0x80 : 0) | 15;
    if (n && n->channel <= 14 && n->rateCount && (n->rates[n->rateCount - 1] & 0x7F) <= 22)
        return rx ? 3 : 3;             /* CCK 11 Mbps */
    return rx ? 11 : ((1u << 14) | 7); /* legacy index 11 / OFDM 54 Mbps */
}

ANSWER32(Q_RxRate, RateWord(ad, 1))
ANSWER32(Q_TxRate, RateWord(ad, 0))

static NTSTATUS Q_Extra(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    ULONG code = ad->extraInfo;
    if (!ad->rfOn) code = 2;
    else if (!ad->radioOn) code = 3;
    else if (KqConnected(ad)) code = 0;
    Put32(out, code);
    *len = 4;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_Dls(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlCopyMemory(out, ad->dls, 48);
    *len = 48;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_BaTable(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlCopyMemory(out, ad->baTable, 3076);
    *len = 3076;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_WscStatus(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    Put32(out, KqWpsCode(ad) | (ad->wpsRunning && ad->wpsPin ? 0x10000000u : 0));
    *len = 4;
    if (ad->wpsRunning) ++ad->wpsQueries;
    return STATUS_SUCCESS;
}

/* A registrar hands out one authentication and one encryption type, the
 * strongest the access point offers: a mixed WPA/WPA2 network gives WPA2
 * with AES when it offers AES (as hostapd's registrar does). */
static ULONG WpsAuth(ULONG sec)
{
    switch (sec) {
    case KQSIM_SEC_WEP_SHARED: return 0x0004;
    case KQSIM_SEC_WPA_PSK: return 0x0002;
    case KQSIM_SEC_WPA2_PSK:
    case KQSIM_SEC_WPA_WPA2_PSK: return 0x0020;
    case KQSIM_SEC_WPA_1X: return 0x0008;
    case KQSIM_SEC_WPA2_1X:
    case KQSIM_SEC_WPA_WPA2_1X: return 0x0010;
    default: return 0x0001;
    }
}

static ULONG WpsEncr(const KQSIM_NETWORK *n)
{
    ULONG c = n->ciphers;
    if (n->security == KQSIM_SEC_OPEN) return 0x0001;
    if (n->security <= KQSIM_SEC_WEP_SHARED || n->security == KQSIM_SEC_WEP_1X) return 0x0002;
    if (!c) c = (n->security == KQSIM_SEC_WPA_PSK || n->security == KQSIM_SEC_WPA_1X) ? KQSIM_CIPHER_TKIP
                                                                                     : KQSIM_CIPHER_AES;
    return (c & KQSIM_CIPHER_AES) ? 0x0008 : 0x0004;
}

/* The credential of the WPS access point: the one named by WSC_START, else
 * the strongest one that offers WPS. */
static const KQSIM_NETWORK *WpsTarget(KQ_ADAPTER *ad)
{
    const KQSIM_NETWORK *best = NULL;
    ULONG i;
    for (i = 0; i < g_airCount; ++i) {
        const KQSIM_NETWORK *n = &g_air[i];
        if (ad->wpsTargetSsidLen) {
            if (n->ssidLen == ad->wpsTargetSsidLen &&
                RtlCompareMemory(n->ssid, ad->wpsTargetSsid, n->ssidLen) == n->ssidLen) return n;
            continue;
        }
        if ((n->flags & KQSIM_NET_WPS) && (!best || n->rssi > best->rssi)) best = n;
    }
    return best;
}

/* A WEP key as a registrar gives it, as text: the key's own characters when
 * they are all printable, else two hex digits per byte. */
static ULONG WepKeyText(const UCHAR *key, ULONG len, UCHAR *out)
{
    static const char hex[] = "0123456789ABCDEF";
    ULONG i, printable = 1;
    for (i = 0; i < len; ++i)
        if (key[i] < 0x20 || key[i] > 0x7E) printable = 0;
    if (printable) {
        RtlCopyMemory(out, key, len);
        return len;
    }
    for (i = 0; i < len; ++i) {
        out[2 * i] = hex[key[i] >> 4];
        out[2 * i + 1] = hex[key[i] & 15];
    }
    return 2 * len;
}

static void BuildCredentials(KQ_ADAPTER *ad, UCHAR *out)
{
    const KQSIM_NETWORK *n = WpsTarget(ad);
    UCHAR *c = out + 4;
    ULONG keyLen = 0;
    RtlZeroMemory(out, 996);
    if (!n) return;
    Put32(out, 1);
    Put32(c, n->ssidLen);
    RtlCopyMemory(c + 4, n->ssid, n->ssidLen);
    Put32(c + 36, WpsAuth(n->security));
    Put32(c + 40, WpsEncr(n));
    /* the key index counts from 0, the transmit key's slot for WEP */
    Put32(c + 44, 0);
    if (n->security == KQSIM_SEC_WEP || n->security == KQSIM_SEC_WEP_SHARED) {
        ULONG tx = n->wepTxKey & 3, len = n->wepKeyLen[tx];
        if (len > 13) len = 13;
        keyLen = WepKeyText(n->wepKey[tx], len, c + 52);
        Put32(c + 44, tx);
    } else if (n->security != KQSIM_SEC_OPEN) {
        keyLen = n->pskLen > 64 ? 64 : n->pskLen;
        RtlCopyMemory(c + 52, n->psk, keyLen);
    }
    Put32(c + 48, keyLen);
    RtlCopyMemory(c + 116, n->bssid, 6);
}

static NTSTATUS Q_WscCred(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    RtlZeroMemory(out, 996);
    if (KqWpsCode(ad) == 15) {
        /* a registrar hands out what it was given */
        if (ad->wpsRole == 2 && ad->wpsRegistrarCredSet) RtlCopyMemory(out, ad->wpsRegistrarCred, 996);
        else if (ad->wpsUseCred) RtlCopyMemory(out, ad->wpsCred, 996);
        else BuildCredentials(ad, out);
    }
    *len = 996;
    return STATUS_SUCCESS;
}

static NTSTATUS Q_Button(KQ_ADAPTER *ad, const UCHAR *in, ULONG inLen, UCHAR *out, ULONG *len)
{
    Put32(out, ad->wpsButton ? 1 : 0);
    ad->wpsButton = 0;                 /* a press is reported once */
    *len = 4;
    return STATUS_SUCCESS;
}

/* ---- sets ------------------------------------------------------------ */

static NTSTATUS S_Ssid(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ULONG n = Get32(d);
    if (n > 32) return STATUS_INVALID_PARAMETER;
    if (n == 0) { KqDisassociate(ad, 1); return STATUS_SUCCESS; }
    KqJoin(ad, 0, NULL, n, d + 4);
    return STATUS_SUCCESS;
}

static NTSTATUS S_Bssid(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    KqJoin(ad, 1, d, 0, NULL);
    return STATUS_SUCCESS;
}

static NTSTATUS S_Disassociate(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    KqDisassociate(ad, 1);
    return STATUS_SUCCESS;
}

static NTSTATUS S_Scan(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    KqStartScan(ad);
    return STATUS_SUCCESS;
}

static void ClearKeys(KQ_ADAPTER *ad)
{
    RtlZeroMemory(ad->keys, sizeof(ad->keys));
    ad->txKey = 0;
    ad->groupKey = 0;
}

static NTSTATUS S_Reload(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ClearKeys(ad);
    return STATUS_SUCCESS;
}

/* NDIS_802_11_KEY: Length, KeyIndex (bit 31 transmit key), KeyLength,
 * BSSID, KeyRSC, key bytes at 32.  Every length is checked against the
 * bytes that actually arrived. */
static NTSTATUS S_AddKey(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ULONG length = Get32(d), index = Get32(d + 4), keyLen = Get32(d + 8), slot = index & 0xFF;
    if (keyLen == 0 || keyLen > 32 || keyLen > len - 32 || length < 32 + keyLen || length > len)
        return STATUS_INVALID_PARAMETER;
    if (slot > 3) return STATUS_INVALID_PARAMETER;
    if (keyLen == 32 && KqStoreGet(ad, 0x0D010118) == 5) {
        ad->groupKey = 1;              /* WPA-None */
        if (ad->associated && ad->adhoc) ad->authorized = 1;
        return STATUS_SUCCESS;
    }
    ad->keys[slot].length = keyLen;
    RtlCopyMemory(ad->keys[slot].bytes, d + 32, keyLen);
    if (index & 0x80000000u) ad->txKey = slot;
    return STATUS_SUCCESS;
}

static NTSTATUS S_RemoveKey(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ULONG slot = Get32(d + 4) & 0xFF;
    if (slot > 3) return STATUS_INVALID_PARAMETER;
    RtlZeroMemory(&ad->keys[slot], sizeof(ad->keys[slot]));
    return STATUS_SUCCESS;
}

static NTSTATUS S_ResetCounters(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    RtlZeroMemory(ad->stats, sizeof(ad->stats));
    ad->rcvOk = ad->rcvNoBuf = ad->txBytes = ad->rxBytes = 0;
    return STATUS_SUCCESS;
}

static NTSTATUS S_Register(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ULONG type = Get32(d), offset = Get32(d + 4), value = Get32(d + 8);
    if (type == 3 && offset == 0x36) ad->eepromWord36 = value;
    else *RegSlot(ad, type, offset, 2) = value;
    return STATUS_SUCCESS;
}

static NTSTATUS S_Radio(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ad->radioOn = Get32(d) ? 1 : 0;
    if (!ad->radioOn) KqDisassociate(ad, 3);
    ad->listValid = ad->listValid && ad->radioOn;
    return STATUS_SUCCESS;
}

static NTSTATUS S_OpMode(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ad->opMode = Get32(d);
    return STATUS_SUCCESS;
}

/* A requested direct link comes up (state 2) when the adapter is joined to
 * an access point and the peer is a station of the air; otherwise it stays
 * requested (state 0) and the page does not list it. */
static UCHAR DlsLinkState(KQ_ADAPTER *ad, const UCHAR *peer)
{
    return (ad->associated && !ad->adhoc && KqFindNetwork(peer) >= 0) ? 2 : 0;
}

static NTSTATUS S_Dls(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    int i, slot = -1;
    for (i = 0; i < 4; ++i)
        if (ad->dls[i * 12 + 11] && RtlCompareMemory(ad->dls + i * 12 + 4, d + 4, 6) == 6) slot = i;
    if (!d[11]) {                      /* not valid: tear the link down */
        if (slot >= 0) RtlZeroMemory(ad->dls + slot * 12, 12);
        return STATUS_SUCCESS;
    }
    for (i = 0; slot < 0 && i < 4; ++i)
        if (!ad->dls[i * 12 + 11]) slot = i;
    if (slot < 0) return STATUS_INSUFFICIENT_RESOURCES;
    RtlCopyMemory(ad->dls + slot * 12, d, 12);
    ad->dls[slot * 12 + 10] = DlsLinkState(ad, d + 4);
    return STATUS_SUCCESS;
}

/* Block-Ack table: originator entries at 0, recipient entries at 1536, 32 x
 * 48 bytes each; the counts of entries with sessions at 3072 and 3073.  An
 * entry: peer MAC (6), TID bitmap, 1 byte, 8 per-TID bytes (the window size),
 * 8 per-TID words, 16 unused.  A request (14 bytes): direction (0 originator,
 * 1 recipient), peer MAC, TID, window size, ..., byte 12 every TID (delete). */
#define BA_ENTRY 48

static UCHAR *BaEntries(KQ_ADAPTER *ad, const UCHAR *req) { return ad->baTable + (req[0] ? 1536 : 0); }

static UCHAR *BaFindPeer(UCHAR *entries, const UCHAR *mac)
{
    int i;
    for (i = 0; i < 32; ++i)
        if (entries[i * BA_ENTRY + 6] && RtlCompareMemory(entries + i * BA_ENTRY, mac, 6) == 6)
            return entries + i * BA_ENTRY;
    return NULL;
}

static void BaRecount(KQ_ADAPTER *ad)
{
    int d, i;
    for (d = 0; d < 2; ++d) {
        UCHAR n = 0;
        for (i = 0; i < 32; ++i)
            if (ad->baTable[d * 1536 + i * BA_ENTRY + 6]) ++n;
        ad->baTable[3072 + d] = n;
    }
}

static NTSTATUS S_BaAdd(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    UCHAR *entries = BaEntries(ad, d), *e = BaFindPeer(entries, d + 1);
    int i;
    if (d[7] > 7) return STATUS_INVALID_PARAMETER;
    for (i = 0; !e && i < 32; ++i)
        if (!entries[i * BA_ENTRY + 6]) {
            e = entries + i * BA_ENTRY;
            RtlZeroMemory(e, BA_ENTRY);
            RtlCopyMemory(e, d + 1, 6);
        }
    if (!e) return STATUS_INSUFFICIENT_RESOURCES;
    e[6] |= (UCHAR)(1u << d[7]);
    e[8 + d[7]] = d[8];
    BaRecount(ad);
    return STATUS_SUCCESS;
}

static NTSTATUS S_BaDelete(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    UCHAR *e = BaFindPeer(BaEntries(ad, d), d + 1);
    if (d[7] > 7 && !d[12]) return STATUS_INVALID_PARAMETER;
    if (!e) return STATUS_SUCCESS;
    if (d[12]) {
        e[6] = 0;
    } else {
        e[6] &= (UCHAR)~(1u << d[7]);
        e[8 + d[7]] = 0;
    }
    if (!e[6]) RtlZeroMemory(e, BA_ENTRY);
    BaRecount(ad);
    return STATUS_SUCCESS;
}

static NTSTATUS S_WscStart(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    ULONG n = Get32(d + 12);
    ad->wpsTargetSsidLen = n <= 32 ? n : 0;
    RtlCopyMemory(ad->wpsTargetSsid, d + 16, 32);
    RtlCopyMemory(ad->wpsPinGiven, d + 4, 8);
    KqStartWps(ad, d[55] == 2 ? 2 : 1, (Get32(d) & 0x10000000u) != 0);
    return STATUS_SUCCESS;
}

/* The credentials a registrar run hands out; an empty block (what an
 * enrollee sends) leaves the access point's own to be delivered. */
static NTSTATUS S_WscCred(KQ_ADAPTER *ad, const UCHAR *d, ULONG len)
{
    RtlCopyMemory(ad->wpsRegistrarCred, d, 996);
    ad->wpsRegistrarCredSet = Get32(d) != 0;
    return STATUS_SUCCESS;
}

/* ---- the catalogue --------------------------------------------------- */

static const OID_DEF g_oids[] = {
    {0x00010110, 2, 0, F_NOSET, Q_DriverVersion, NULL},      /* GEN_DRIVER_VERSION */
    {0x00010114, 4, 0, F_NOSET, Q_Media, NULL},              /* GEN_MEDIA_CONNECT_STATUS */
    {0x00020102, 4, 0, F_NOSET, Q_RcvOk, NULL},              /* GEN_RCV_OK */
    {0x00020105, 4, 0, F_NOSET, Q_NoBuf, NULL},              /* GEN_RCV_NO_BUFFER */
    {0x01010102, 6, 0, F_NOSET, Q_Mac, NULL},                /* 802_3_CURRENT_ADDRESS */
    {0x0D010101, 6, 6, 0, Q_Bssid, S_Bssid},                 /* BSSID */
    {0x0D010102, 36, 36, 0, Q_Ssid, S_Ssid},                 /* SSID */
    {0x0D010108, 4, 4, 0, NULL, NULL},                       /* INFRASTRUCTURE_MODE */
    {0x0D010115, 0, 0, F_NOQUERY, NULL, S_Disassociate},     /* DISASSOCIATE */
    {0x0D010118, 4, 4, 0, NULL, NULL},                       /* AUTHENTICATION_MODE */
    {0x0D01011A, 0, 0, F_NOQUERY, NULL, S_Scan},             /* BSSID_LIST_SCAN */
    {0x0D01011B, 4, 4, 0, Q_WepStatus, NULL},                /* WEP_STATUS */
    {0x0D01011C, 4, 4, 0, NULL, S_Reload},                   /* RELOAD_DEFAULTS */
    {0x0D01011D, 0, 33, F_NOQUERY | F_VARSET, NULL, S_AddKey},  /* ADD_KEY */
    {0x0D01011E, 0, 14, F_NOQUERY | F_VARSET, NULL, S_RemoveKey}, /* REMOVE_KEY */
    {0x0D010203, 20, 0, F_NOSET | F_SHORT, Q_NetTypes, NULL},/* NETWORK_TYPES_SUPPORTED */
    {0x0D010206, 4, 0, F_NOSET, Q_Rssi, NULL},               /* RSSI */
    {0x0D010209, 4, 4, 0, NULL, NULL},                       /* FRAGMENTATION_THRESHOLD */
    {0x0D01020A, 4, 4, 0, NULL, NULL},                       /* RTS_THRESHOLD */
    {0x0D010210, 8, 8, 0, NULL, NULL},                       /* DESIRED_RATES */
    {0x0D010211, 32, 32, 0, Q_Config, NULL},                 /* CONFIGURATION */
    {0x0D010216, 4, 4, 0, NULL, NULL},                       /* POWER_MODE */
    {0x0D010217, 4, 0, F_NOSET, Q_List, NULL},               /* BSSID_LIST */
    {0x0D020212, 176, 0, F_NOSET | F_SHORT, Q_Stats, NULL},  /* STATISTICS */

    {0x0D710101, 4, 4, 0, NULL, NULL},                       /* PREAMBLE */
    {0x0D710102, 20, 0, F_NOSET, Q_LinkStatus, NULL},        /* LINK_STATUS */
    {0x0D710103, 0, 0, F_NOQUERY, NULL, S_ResetCounters},    /* RESET_COUNTERS */
    {0x0D710104, 4, 4, 0, NULL, NULL},                       /* AC_POWER_CAM */
    {0x0D710105, 12, 12, 0, Q_Register, S_Register},         /* REGISTER_ACCESS */
    {0x0D710107, 4, 4, 0, NULL, NULL},                       /* COUNTRY_REGION */
    {0x0D710108, 4, 4, 0, Q_Radio, S_Radio},                 /* RADIO_STATE */
    {0x0D710109, 4, 4, 0, NULL, NULL},                       /* R17_TUNING */
    {0x0D71010B, 324, 0, F_NOSET | F_SHORT, Q_MacTable, NULL}, /* MAC_TABLE */
    {0x0D71010C, 4, 4, 0, NULL, NULL},                       /* WIRELESS_MODE */
    {0x0D710111, 32, 32, 0, Q_Advanced, NULL},               /* ADVANCED_CONFIG */
    {0x0D710118, 4, 4, 0, NULL, NULL},                       /* TX_POWER */
    {0x0D710119, 4, 0, F_NOSET, Q_EepromVersion, NULL},      /* EEPROM_VERSION */
    {0x0D71011A, 4, 0, F_NOSET, Q_Noise, NULL},              /* NOISE */
    {0x0D71011B, 4, 0, F_NOSET, Q_RxRate, NULL},             /* RX_RATE */
    {0x0D71011C, 4, 0, F_NOSET, Q_TxRate, NULL},             /* TX_RATE */
    {0x0D71011D, 4, 0, F_NOSET, Q_Extra, NULL},              /* EXTRA_INFO */
    {0x0D71011E, 4, 4, 0, NULL, NULL},                       /* CCX_CONTROL */
    {0x0D71011F, 4, 0, F_NOSET, Q_Ip, NULL},                 /* IP_ADDRESS */
    {0x0D710120, 20, 20, 0, NULL, NULL},                     /* RF_TUNING */
    {0x0D710121, 4, 4, 0, NULL, NULL},                       /* BBP_TUNING */
    {0x0D710125, 4, 0, F_NOSET, Q_Rssi1, NULL},              /* RSSI_1 */
    {0x0D710126, 4, 4, 0, Q_OpMode, S_OpMode},               /* OP_MODE */
    {0x0D710127, 26, 26, 0, NULL, NULL},                     /* RATE_SETS */
    {0x0D710129, 4, 0, F_NOSET, Q_FirmwareVersion, NULL},    /* FIRMWARE_VERSION */
    {0x0D71012A, 4, 4, 0, NULL, NULL},                       /* WMM_CAPABILITY */
    {0x0D71012D, 1, 1, F_SHORT, NULL, NULL},                 /* WMM_OPTION */
    {0x0D710131, 4, 4, 0, NULL, NULL},                       /* DLS_CAPABILITY */
    {0x0D710132, 48, 12, 0, Q_Dls, S_Dls},                   /* DLS_LINK */
    {0x0D710133, 4, 0, F_NOSET, Q_Icv, NULL},                /* ICV_ERROR */
    {0x0D710134, 4, 0, F_NOSET, Q_Rssi2, NULL},              /* RSSI_2 */
    {0x0D710135, 4, 0, F_NOSET, Q_Snr0, NULL},               /* SNR_0 */
    {0x0D710136, 4, 0, F_NOSET, Q_Snr1, NULL},               /* SNR_1 */
    {0x0D710137, 8, 8, 0, NULL, NULL},                       /* BA_CAPABILITY */
    {0x0D710138, 3076, 14, F_SHORT, Q_BaTable, S_BaAdd},     /* BA_TABLE */
    {0x0D710139, 4, 4, 0, NULL, NULL},                       /* LEAP */
    {0x0D71013A, 0, 14, F_NOQUERY, NULL, S_BaDelete},        /* BA_DELETE */
    {0x0D71013B, 12, 12, 0, NULL, NULL},                     /* HT_PHY */
    {0x0D710140, 56, 56, 0, NULL, S_WscStart},               /* WSC_START */
    {0x0D710141, 4, 0, F_NOSET, Q_WscStatus, NULL},          /* WSC_STATUS */
    {0x0D710142, 996, 996, 0, Q_WscCred, S_WscCred},         /* WSC_CREDENTIALS */
    {0x0D710143, 4, 4, 0, NULL, NULL},                       /* WSC_IN_USE */
    {0x0D710144, 4, 4, 0, NULL, NULL},                       /* WSC_OPTION_A */
    {0x0D710145, 4, 0, F_NOSET, Q_Button, NULL},             /* WSC_BUTTON */
    {0x0D710146, 4, 4, 0, NULL, NULL},                       /* WSC_OPTION_B */
    {0, 0, 0, 0, NULL, NULL}
};

static const OID_DEF *FindDef(ULONG oid, int *index)
{
    int i;
    for (i = 0; g_oids[i].oid; ++i)
        if (g_oids[i].oid == oid) { *index = i; return &g_oids[i]; }
    return NULL;
}

/* Stored values only exist for OIDs read back the way they were set. */
static int HasStore(const OID_DEF *d) { return d->size && d->size == d->setSize && d->size <= KQ_STORE; }

/* ---- requests -------------------------------------------------------- */

static NTSTATUS TakeFault(KQ_ADAPTER *ad, ULONG oid, ULONG kind)
{
    int i;
    for (i = 0; i < KQ_MAX_FAULTS; ++i) {
        KQ_FAULT *f = &ad->faults[i];
        if (!f->count || f->oid != oid || !(f->kinds & kind)) continue;
        if (f->count != KQSIM_FAULT_ALWAYS) f->count--;
        return f->status;
    }
    return STATUS_SUCCESS;
}

static KQ_ANSWER *FindAnswer(KQ_ADAPTER *ad, ULONG oid)
{
    int i;
    for (i = 0; i < KQ_MAX_ANSWERS; ++i)
        if (ad->answers[i].oid == oid && (ad->answers[i].data || ad->answers[i].status)) return &ad->answers[i];
    return NULL;
}

static NTSTATUS Query(KQ_ADAPTER *ad, const OID_DEF *d, int index, KQ_ANSWER *ans,
                      UCHAR *buf, ULONG len, ULONG *returned)
{
    const UCHAR *src = g_scratch;
    ULONG n = 0;
    NTSTATUS st = STATUS_SUCCESS;
    if (d->flags & F_NOQUERY) return STATUS_NOT_SUPPORTED;
    if (ans) {
        src = ans->data;
        n = ans->length;
    } else if (d->query) {
        st = d->query(ad, buf, len, g_scratch, &n);
        if (!NT_SUCCESS(st)) return st;
    } else {
        src = StoreOf(ad, index);
        n = d->size;
    }
    if (len < n) {
        if (!(d->flags & F_SHORT) || len == 0) return STATUS_BUFFER_TOO_SMALL;
        n = len;
    }
    if (n) RtlCopyMemory(buf, src, n);
    *returned = n;
    return STATUS_SUCCESS;
}

static NTSTATUS Set(KQ_ADAPTER *ad, const OID_DEF *d, int index, UCHAR *buf, ULONG len)
{
    if (d->flags & F_NOSET) return STATUS_NOT_SUPPORTED;
    if (d->setSize && (!buf || len < d->setSize)) return STATUS_BUFFER_TOO_SMALL;
    if (HasStore(d)) RtlCopyMemory(StoreOf(ad, index), buf, d->size);
    return d->set ? d->set(ad, buf, len) : STATUS_SUCCESS;
}

NTSTATUS KqHandleOid(KQ_ADAPTER *ad, ULONG oid, UCHAR *buf, ULONG len, ULONG *returned)
{
    ULONG base = oid & ~KQ_SET_FLAG, kind = (oid & KQ_SET_FLAG) ? KQSIM_KIND_SET : KQSIM_KIND_QUERY;
    int index = 0;
    const OID_DEF *d = FindDef(base, &index);
    KQ_ANSWER *ans;
    NTSTATUS st;
    *returned = 0;
    if (!buf) len = 0;
    KqTick(ad);
    if (!d) return STATUS_NOT_SUPPORTED;
    st = TakeFault(ad, base, kind);
    if (!NT_SUCCESS(st)) return st;
    ans = FindAnswer(ad, base);
    if (ans && ans->status) return ans->status;
    if (kind == KQSIM_KIND_SET) return Set(ad, d, index, buf, len);
    return Query(ad, d, index, ans, buf, len, returned);
}

/* ---- WPS script ------------------------------------------------------ */

static const USHORT ENROLLEE[] = {2, 3, 4, 5, 6, 17, 18, 19, 21, 22, 23, 24, 25, 26, 27};
static const USHORT REGISTRAR[] = {34, 35, 36, 37, 38, 39, 40, 41, 42, 43};

/* A wrong PIN shows in the hashes: an enrollee finds out from the
 * registrar's M4 (after "Received M4", step 9), a registrar from the
 * enrollee's M5 (after "Received M5", step 5).  The run then ends with this
 * code. */
#define WPS_PIN_REFUSED_CODE 0x106

void KqStartWps(KQ_ADAPTER *ad, int role, int pin)
{
    ad->wpsRunning = 1;
    ad->wpsRole = role;
    ad->wpsPin = pin;
    ad->wpsStart = KqNowMs();
    ad->wpsQueries = 0;
}

/* A PIN run whose digits are not those of the access point's PIN. */
static int WpsPinRefused(KQ_ADAPTER *ad)
{
    const KQSIM_NETWORK *n;
    if (!ad->wpsPin) return 0;
    n = WpsTarget(ad);
    return n && (n->flags & KQSIM_NET_WPS_PIN) && RtlCompareMemory(n->wpsPin, ad->wpsPinGiven, 8) != 8;
}

ULONG KqWpsCode(KQ_ADAPTER *ad)
{
    const USHORT *seq = ad->wpsRole == 2 ? REGISTRAR : ENROLLEE;
    ULONG count = ad->wpsRole == 2 ? 10 : 15;
    ULONGLONG step;
    if (!ad->wpsRunning) return 0;
    if (ad->wpsStepMs == KQSIM_WPS_STEP_PER_QUERY) step = ad->wpsQueries;
    else step = (KqNowMs() - ad->wpsStart) / (ad->wpsStepMs ? ad->wpsStepMs : 1000);
    if (ad->wpsFailCode && step >= ad->wpsFailAfter) return ad->wpsFailCode;
    if (step >= (ad->wpsRole == 2 ? 6u : 10u) && WpsPinRefused(ad)) return WPS_PIN_REFUSED_CODE;
    return step < count ? seq[step] : 15;
}

/* ---- defaults -------------------------------------------------------- */

static void StoreBytes(KQ_ADAPTER *ad, ULONG oid, const void *data, ULONG n)
{
    UCHAR *p = KqStoreBytes(ad, oid);
    if (p) RtlCopyMemory(p, data, n);
}

void KqResetAdapter(KQ_ADAPTER *ad)
{
    static const UCHAR rates[8] = {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24};
    static const UCHAR baCap[8] = {1, 1, 3, 0, 0, 0, 0, 0};
    ULONG config[8] = {32, 100, 0, 2437000, 16, 0, 0, 0};
    UCHAR htPhy[12] = {0};
    RtlZeroMemory(ad->store, 128 * KQ_STORE);
    KqDisassociate(ad, 1);
    ClearKeys(ad);
    RtlZeroMemory(ad->faults, sizeof(ad->faults));
    RtlZeroMemory(ad->stats, sizeof(ad->stats));
    RtlZeroMemory(ad->regs, sizeof(ad->regs));
    RtlZeroMemory(ad->baTable, sizeof(ad->baTable));
    RtlZeroMemory(ad->dls, sizeof(ad->dls));
    ad->rcvOk = ad->rcvNoBuf = ad->txBytes = ad->rxBytes = ad->quality = 0;
    ad->traffic = 1;
    ad->lastAdvance = KqNowMs();
    ad->radioOn = ad->cfg.radioOn;
    ad->rfOn = ad->cfg.rfOn;
    ad->opMode = ad->cfg.opMode;
    ad->eepromWord36 = ad->cfg.eepromWord36;
    ad->scanLatencyMs = ad->cfg.scanLatencyMs;
    ad->assocDelayMs = 0;
    ad->icvOverride = -1;
    ad->listValid = ad->scanPending = 0;
    ad->wpsRunning = ad->wpsButton = ad->wpsUseCred = 0;
    ad->wpsStepMs = 1000;
    ad->wpsFailCode = ad->wpsFailAfter = 0;
    ad->wpsTargetSsidLen = 0;
    RtlZeroMemory(ad->wpsCred, sizeof(ad->wpsCred));
    RtlZeroMemory(ad->wpsPinGiven, sizeof(ad->wpsPinGiven));
    ad->wpsQueries = 0;
    ad->wpsRegistrarCredSet = 0;
    RtlZeroMemory(ad->wpsRegistrarCred, sizeof(ad->wpsRegistrarCred));

    KqStorePut(ad, 0x0D010108, 1);                     /* infrastructure */
    KqStorePut(ad, 0x0D01011B, 1);                     /* encryption disabled */
    KqStorePut(ad, 0x0D010209, 2346);
    KqStorePut(ad, 0x0D01020A, 2347);
    KqStorePut(ad, 0x0D710107, ad->cfg.countryRegion);
    KqStorePut(ad, 0x0D71010C, ad->cfg.wirelessMode);
    KqStorePut(ad, 0x0D710118, 100);
    KqStorePut(ad, 0x0D71012A, ad->cfg.model <= 1 ? 0 : 1);
    StoreBytes(ad, 0x0D010210, rates, 8);
    StoreBytes(ad, 0x0D010211, config, 32);
    StoreBytes(ad, 0x0D710137, baCap, 8);
    htPhy[7] = 33;                                     /* MCS auto */
    StoreBytes(ad, 0x0D71013B, htPhy, 12);
}
