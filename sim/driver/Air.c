/* The simulated air: access points, association, scans with their
 * information elements, and the counters of a running link. */
#include "SimDriver.h"

#define OID_INFRA  0x0D010108
#define OID_AUTH   0x0D010118
#define OID_WEP    0x0D01011B
#define OID_CONFIG 0x0D010211

int KqFindNetwork(const UCHAR *bssid)
{
    ULONG i;
    for (i = 0; i < g_airCount; ++i)
        if (RtlCompareMemory(g_air[i].bssid, bssid, 6) == 6) return (int)i;
    return -1;
}

ULONG KqChannelKHz(const KQSIM_NETWORK *n)
{
    ULONG ch = n->channel;
    if (n->freqKHz) return n->freqKHz;
    if (ch == 14) return 2484000;
    if (ch >= 1 && ch <= 13) return (2407 + 5 * ch) * 1000;
    return (5000 + 5 * ch) * 1000;
}

static ULONG ChannelOfKHz(ULONG khz)
{
    ULONG mhz = khz / 1000;
    if (mhz == 2484) return 14;
    if (mhz >= 2412 && mhz <= 2472) return (mhz - 2407) / 5;
    if (mhz >= 5000 && mhz < 6000) return (mhz - 5000) / 5;
    return 0;
}

int KqConnected(const KQ_ADAPTER *ad)
{
    return ad->associated && ad->authorized && ad->radioOn;
}

static int IsWpaFamily(ULONG sec)
{
    return sec >= KQSIM_SEC_WPA_PSK && sec <= KQSIM_SEC_WPA_WPA2_1X;
}

static int HasRsn(ULONG sec)
{
    return sec == KQSIM_SEC_WPA2_PSK || sec == KQSIM_SEC_WPA_WPA2_PSK ||
           sec == KQSIM_SEC_WPA2_1X || sec == KQSIM_SEC_WPA_WPA2_1X;
}

static int HasWpa(ULONG sec)
{
    return sec == KQSIM_SEC_WPA_PSK || sec == KQSIM_SEC_WPA_WPA2_PSK ||
           sec == KQSIM_SEC_WPA_1X || sec == KQSIM_SEC_WPA_WPA2_1X;
}

static int Is1x(ULONG sec)
{
    return sec == KQSIM_SEC_WPA_1X || sec == KQSIM_SEC_WPA2_1X ||
           sec == KQSIM_SEC_WPA_WPA2_1X || sec == KQSIM_SEC_WEP_1X;
}

static ULONG Ciphers(const KQSIM_NETWORK *n)
{
    if (n->ciphers) return n->ciphers;
    if (n->security == KQSIM_SEC_WPA_PSK || n->security == KQSIM_SEC_WPA_1X) return KQSIM_CIPHER_TKIP;
    if (n->security == KQSIM_SEC_WPA2_PSK || n->security == KQSIM_SEC_WPA2_1X) return KQSIM_CIPHER_AES;
    return KQSIM_CIPHER_TKIP | KQSIM_CIPHER_AES;
}

static int IsSecured(const KQSIM_NETWORK *n)
{
    return n->security != KQSIM_SEC_OPEN && !(n->flags & KQSIM_NET_NO_PRIVACY);
}

/* ---- association ----------------------------------------------------- */

static int KeyEqual(const KQ_WEPKEY *k, const KQSIM_NETWORK *n, ULONG idx)
{
    ULONG len = n->wepKeyLen[idx];
    if (len == 0 || len > 16 || k->length != len) return 0;
    return RtlCompareMemory(k->bytes, n->wepKey[idx], len) == len;
}

/* The station decrypts with the AP's transmit key and the AP with the
 * station's: both slots must agree. */
static int WepKeysMatch(const KQ_ADAPTER *ad, const KQSIM_NETWORK *n)
{
    ULONG apTx = n->wepTxKey & 3, staTx = ad->txKey & 3;
    return KeyEqual(&ad->keys[apTx], n, apTx) && KeyEqual(&ad->keys[staTx], n, staTx);
}

static int CipherAllowed(const KQSIM_NETWORK *n, ULONG enc)
{
    ULONG c = Ciphers(n);
    if (enc == 4) return (c & KQSIM_CIPHER_TKIP) != 0;
    if (enc == 6) return (c & KQSIM_CIPHER_AES) != 0;
    return 0;
}

/* 0 when the station's settings fit the network, else the link-state code
 * of the failure (4 open, 5 shared authentication, 6 association). */
static ULONG SecurityCheck(const KQ_ADAPTER *ad, const KQSIM_NETWORK *n)
{
    ULONG a = KqStoreGet((KQ_ADAPTER *)ad, OID_AUTH), e = KqStoreGet((KQ_ADAPTER *)ad, OID_WEP);
    if (n->flags & KQSIM_NET_ASSOC_FAIL) return 6;
    switch (n->security) {
    case KQSIM_SEC_OPEN:
        if (a != 0 && a != 2) return 4;
        return e == 1 ? 0 : 6;
    case KQSIM_SEC_WEP:
        if (a != 0 && a != 2) return 4;
        return e == 0 ? 0 : 6;
    case KQSIM_SEC_WEP_SHARED:
        if (a != 1 && a != 2) return 5;
        if (e != 0) return 6;
        return WepKeysMatch(ad, n) ? 0 : 5;
    case KQSIM_SEC_WEP_1X:
        return (a <= 2 && e == 0) ? 0 : 6;
    case KQSIM_SEC_WPA_PSK:       if (a != 4) return 6; break;
    case KQSIM_SEC_WPA2_PSK:      if (a != 7) return 6; break;
    case KQSIM_SEC_WPA_WPA2_PSK:  if (a != 4 && a != 7) return 6; break;
    case KQSIM_SEC_WPA_1X:        if (a != 3) return 6; break;
    case KQSIM_SEC_WPA2_1X:       if (a != 6) return 6; break;
    case KQSIM_SEC_WPA_WPA2_1X:   if (a != 3 && a != 6) return 6; break;
    default: return 6;
    }
    return CipherAllowed(n, e) ? 0 : 6;
}

/* An independent BSS secured with WPA-None takes the key set by ADD_KEY. */
static ULONG AdhocCheck(const KQ_ADAPTER *ad, const KQSIM_NETWORK *n)
{
    ULONG a = KqStoreGet((KQ_ADAPTER *)ad, OID_AUTH), e = KqStoreGet((KQ_ADAPTER *)ad, OID_WEP);
    if (IsWpaFamily(n->security)) {
        if (a != 5 || !CipherAllowed(n, e)) return 6;
        return 0;
    }
    return SecurityCheck(ad, n);
}

void KqDisassociate(KQ_ADAPTER *ad, ULONG extraInfo)
{
    ad->associated = ad->authorized = ad->wrongKey = ad->adhoc = 0;
    ad->network = -1;
    ad->joinPending = 0;
    RtlZeroMemory(ad->bssid, 6);
    RtlZeroMemory(ad->ssid, 32);
    ad->ssidLen = 0;
    ad->extraInfo = extraInfo;
}

static int ModeFits(ULONG station, ULONG net)
{
    if (station == 2 || net == 2) return 1;
    return station == net;
}

static int BestBySsid(KQ_ADAPTER *ad, ULONG ssidLen, const UCHAR *ssid, ULONG mode)
{
    int best = -1;
    ULONG i;
    for (i = 0; i < g_airCount; ++i) {
        const KQSIM_NETWORK *n = &g_air[i];
        if (n->ssidLen != ssidLen || RtlCompareMemory(n->ssid, ssid, ssidLen) != ssidLen) continue;
        if (!ModeFits(mode, n->infraMode)) continue;
        if (best < 0 || n->rssi > g_air[best].rssi) best = (int)i;
    }
    return best;
}

static void CreateIbss(KQ_ADAPTER *ad, ULONG ssidLen, const UCHAR *ssid)
{
    ULONG e = KqStoreGet(ad, OID_WEP);
    const UCHAR *cfg = KqStoreBytes(ad, OID_CONFIG);
    ULONG khz = 0;
    ad->associated = 1;
    ad->adhoc = 1;
    ad->network = -1;
    ad->bssid[0] = 0x02;
    RtlCopyMemory(ad->bssid + 1, ad->cfg.mac + 1, 5);
    ad->bssid[5] ^= 0x5A;
    ad->ssidLen = ssidLen;
    RtlCopyMemory(ad->ssid, ssid, ssidLen);
    if (cfg) RtlCopyMemory(&khz, cfg + 12, 4);
    ad->channel = ChannelOfKHz(khz);
    if (!ad->channel) ad->channel = 11;
    ad->authorized = (e == 1) || (e == 0 && ad->keys[ad->txKey & 3].length) ||
                     ((e == 4 || e == 6) && ad->groupKey);
    ad->extraInfo = ad->authorized ? 0 : 1;
}

static void Associate(KQ_ADAPTER *ad, int idx)
{
    const KQSIM_NETWORK *n = &g_air[idx];
    ad->associated = 1;
    ad->adhoc = n->infraMode == 0;
    ad->network = idx;
    RtlCopyMemory(ad->bssid, n->bssid, 6);
    ad->ssidLen = n->ssidLen;
    RtlCopyMemory(ad->ssid, n->ssid, n->ssidLen);
    ad->channel = n->channel ? n->channel : ChannelOfKHz(n->freqKHz);
    ad->wrongKey = (n->security == KQSIM_SEC_WEP) && !WepKeysMatch(ad, n);
    if (ad->adhoc && IsWpaFamily(n->security)) ad->authorized = ad->groupKey;
    else ad->authorized = !IsWpaFamily(n->security) && n->security != KQSIM_SEC_WEP_1X;
    ad->extraInfo = ad->authorized ? 0 : 1;
    ad->lastAdvance = KqNowMs();
}

static void DoJoin(KQ_ADAPTER *ad, int byBssid, const UCHAR *bssid, ULONG ssidLen, const UCHAR *ssid)
{
    ULONG mode = KqStoreGet(ad, OID_INFRA), fail;
    int idx;
    KqDisassociate(ad, 1);
    if (!ad->radioOn) { ad->extraInfo = 3; return; }
    if (byBssid) {
        idx = KqFindNetwork(bssid);
        if (idx >= 0 && !ModeFits(mode, g_air[idx].infraMode)) idx = -1;
    } else {
        if (ssidLen == 0 || ssidLen > 32) return;
        idx = BestBySsid(ad, ssidLen, ssid, mode);
    }
    if (idx < 0) {
        if (!byBssid && mode != 1) CreateIbss(ad, ssidLen, ssid);
        return;
    }
    fail = g_air[idx].infraMode == 0 ? AdhocCheck(ad, &g_air[idx]) : SecurityCheck(ad, &g_air[idx]);
    if (fail) { ad->extraInfo = fail; return; }
    Associate(ad, idx);
}

void KqJoin(KQ_ADAPTER *ad, int byBssid, const UCHAR *bssid, ULONG ssidLen, const UCHAR *ssid)
{
    if (ssidLen > 32) ssidLen = 32;
    if (!ad->assocDelayMs) {
        DoJoin(ad, byBssid, bssid, ssidLen, ssid);
        return;
    }
    KqDisassociate(ad, 1);
    ad->joinPending = 1;
    ad->joinByBssid = byBssid;
    ad->joinAt = KqNowMs() + ad->assocDelayMs;
    if (bssid) RtlCopyMemory(ad->joinBssid, bssid, 6);
    ad->joinSsidLen = ssidLen;
    if (ssid) RtlCopyMemory(ad->joinSsid, ssid, ssidLen);
}

void KqAuthorize(KQ_ADAPTER *ad, int authorized)
{
    if (!ad->associated) return;
    ad->authorized = authorized;
    ad->extraInfo = authorized ? 0 : 8;
}

void KqAirChanged(void)
{
    int k;
    for (k = 0; k < KQSIM_MAX_ADAPTERS; ++k) {
        KQ_ADAPTER *ad = &g_adapters[k];
        if (ad->used && ad->associated && ad->network >= 0 && (ULONG)ad->network < g_airCount) {
            const KQSIM_NETWORK *n = &g_air[ad->network];
            ad->channel = n->channel ? n->channel : ChannelOfKHz(n->freqKHz);
        }
    }
}

/* ---- counters -------------------------------------------------------- */

/* t frames of air time: sent always, received only with the right keys. */
void KqAdvanceFrames(KQ_ADAPTER *ad, ULONGLONG t)
{
    if (!t || !ad->traffic || !ad->associated || !ad->radioOn) return;
    ad->stats[0] += t;                               /* transmitted fragments */
    ad->stats[5] += t / 4;                           /* RTS successes */
    ad->txBytes += (ULONG)(t * 1200);
    if (ad->wrongKey) {
        ad->stats[20] += t;                          /* undecryptable */
        return;
    }
    if (!ad->authorized) return;
    ad->stats[9] += t;                               /* received fragments */
    ad->rcvOk += (ULONG)t;
    ad->rxBytes += (ULONG)(t * 1400);
}

static void AdvanceCounters(KQ_ADAPTER *ad, ULONGLONG now)
{
    ULONGLONG t = now / 50 - ad->lastAdvance / 50;  /* 20 frames a second */
    ad->lastAdvance = now;
    KqAdvanceFrames(ad, t);
}

void KqTick(KQ_ADAPTER *ad)
{
    ULONGLONG now = KqNowMs();
    if (ad->joinPending && now >= ad->joinAt) {
        ad->joinPending = 0;
        DoJoin(ad, ad->joinByBssid, ad->joinBssid, ad->joinSsidLen, ad->joinSsid);
    }
    AdvanceCounters(ad, now);
    if (ad->scanPending && now >= ad->scanDoneAt) {
        ad->scanPending = 0;
        KqBuildList(ad, ad->list, KQ_LIST_MAX, &ad->listLen);
        ad->listValid = 1;
    }
}

/* ---- scans ----------------------------------------------------------- */

void KqStartScan(KQ_ADAPTER *ad)
{
    ad->scanPending = 1;
    ad->scanDoneAt = KqNowMs() + (ad->scanLatencyMs ? ad->scanLatencyMs : KQ_DEFAULT_SCAN_MS);
}

typedef struct EMIT {
    UCHAR *p;
    ULONG cap, len;
    int full;
} EMIT;

static void Put(EMIT *e, const void *data, ULONG n)
{
    if (e->full || e->len + n > e->cap) { e->full = 1; return; }
    if (data) RtlCopyMemory(e->p + e->len, data, n);
    else RtlZeroMemory(e->p + e->len, n);
    e->len += n;
}

static void Byte(EMIT *e, UCHAR b) { Put(e, &b, 1); }
static void Le16(EMIT *e, USHORT v) { Byte(e, (UCHAR)v); Byte(e, (UCHAR)(v >> 8)); }
static void Be16(EMIT *e, USHORT v) { Byte(e, (UCHAR)(v >> 8)); Byte(e, (UCHAR)v); }

static void Element(EMIT *e, UCHAR id, const void *body, ULONG n)
{
    if (n > 255) n = 255;
    Byte(e, id);
    Byte(e, (UCHAR)n);
    Put(e, body, n);
}

static void Suite(EMIT *e, const UCHAR *oui, UCHAR type) { Put(e, oui, 3); Byte(e, type); }

static const UCHAR OUI_RSN[3] = {0x00, 0x0F, 0xAC};
static const UCHAR OUI_MS[3] = {0x00, 0x50, 0xF2};
static const UCHAR OUI_BCM[3] = {0x00, 0x90, 0x4C};
static const UCHAR OUI_CISCO[3] = {0x00, 0x40, 0x96};

/* RSN (rsn = 1) or WPA body: version, group, pairwise list, key management. */
static void SecurityBody(EMIT *e, const KQSIM_NETWORK *n, int rsn)
{
    const UCHAR *oui = rsn ? OUI_RSN : OUI_MS;
    ULONG c = Ciphers(n);
    int both = (c & KQSIM_CIPHER_TKIP) && (c & KQSIM_CIPHER_AES);
    Le16(e, 1);
    Suite(e, oui, (c & KQSIM_CIPHER_TKIP) ? 2 : 4);
    Le16(e, (USHORT)(both ? 2 : 1));
    if (c & KQSIM_CIPHER_TKIP) Suite(e, oui, 2);
    if (c & KQSIM_CIPHER_AES) Suite(e, oui, 4);
    Le16(e, 1);
    Suite(e, oui, Is1x(n->security) ? 1 : 2);
    if (rsn) Le16(e, 0);
}

static void SecurityElements(EMIT *e, const KQSIM_NETWORK *n)
{
    UCHAR body[64];
    EMIT b = {body, sizeof(body), 0, 0};
    if (HasRsn(n->security)) {
        SecurityBody(&b, n, 1);
        Element(e, 48, body, b.len);
    }
    if (HasWpa(n->security)) {
        b.len = 0;
        Suite(&b, OUI_MS, 1);
        SecurityBody(&b, n, 0);
        Element(e, 221, body, b.len);
    }
}

static void WpsAttr(EMIT *e, USHORT type, const void *v, USHORT n) { Be16(e, type); Be16(e, n); Put(e, v, n); }
static void WpsAttr8(EMIT *e, USHORT type, UCHAR v) { WpsAttr(e, type, &v, 1); }
static void WpsAttr16(EMIT *e, USHORT type, USHORT v)
{
    UCHAR b[2] = {(UCHAR)(v >> 8), (UCHAR)v};
    WpsAttr(e, type, b, 2);
}

static void WpsElement(EMIT *e, const KQSIM_NETWORK *n)
{
    UCHAR body[200];
    EMIT b = {body, sizeof(body), 0, 0};
    static const char name[] = "Kestiq Sim AP";
    Suite(&b, OUI_MS, 4);
    WpsAttr8(&b, 0x104A, 0x10);
    WpsAttr8(&b, 0x1044, 2);
    if (n->flags & KQSIM_NET_WPS_LOCKED) WpsAttr8(&b, 0x1057, 1);
    if (n->flags & KQSIM_NET_WPS_PBC) {
        WpsAttr8(&b, 0x1041, 1);
        WpsAttr16(&b, 0x1012, 0x0004);
        WpsAttr16(&b, 0x1053, 0x0080);
    } else if (n->flags & KQSIM_NET_WPS_PIN) {
        WpsAttr8(&b, 0x1041, 1);
        WpsAttr16(&b, 0x1012, 0x0000);
    }
    WpsAttr8(&b, 0x103B, 3);
    WpsAttr(&b, 0x1047, n->wpsUuid, 16);
    WpsAttr(&b, 0x1011, name, sizeof(name) - 1);
    WpsAttr16(&b, 0x1008, 0x0188);
    WpsAttr8(&b, 0x103C, n->channel > 14 ? 2 : 1);
    Element(e, 221, body, b.len);
}

static ULONG HtCapBody(UCHAR *p, const KQSIM_NETWORK *n)
{
    USHORT cap = 0x002C;                       /* SM power save off, short GI 20 */
    RtlZeroMemory(p, 26);
    if (n->flags & KQSIM_NET_HT40) cap |= 0x0042;
    p[0] = (UCHAR)cap;
    p[1] = (UCHAR)(cap >> 8);
    p[2] = 0x1B;                               /* A-MPDU factor 3, spacing 6 */
    p[3] = 0xFF;                               /* MCS 0-15 */
    p[4] = 0xFF;
    p[15] = 0x01;                              /* Tx MCS set defined */
    return 26;
}

static ULONG HtInfoBody(UCHAR *p, const KQSIM_NETWORK *n)
{
    RtlZeroMemory(p, 22);
    p[0] = (UCHAR)n->channel;
    if (n->flags & KQSIM_NET_HT40) p[1] = (UCHAR)((n->channel <= 7 || n->channel > 14 ? 1 : 3) | 0x04);
    return 22;
}

static void HtElements(EMIT *e, const KQSIM_NETWORK *n)
{
    UCHAR body[40];
    ULONG len = HtCapBody(body, n);
    Element(e, 45, body, len);
    len = HtInfoBody(body, n);
    Element(e, 61, body, len);
    RtlCopyMemory(body, OUI_BCM, 3);
    body[3] = 0x33;
    len = HtCapBody(body + 4, n);
    Element(e, 221, body, len + 4);
    body[3] = 0x34;
    len = HtInfoBody(body + 4, n);
    Element(e, 221, body, len + 4);
}

static void WmmElement(EMIT *e)
{
    static const UCHAR wmm[] = {0x00, 0x50, 0xF2, 0x02, 0x01, 0x01, 0x00, 0x00,
                                0x03, 0xA4, 0x00, 0x00, 0x27, 0xA4, 0x00, 0x00,
                                0x42, 0x43, 0x5E, 0x00, 0x62, 0x32, 0x2F, 0x00};
    Element(e, 221, wmm, sizeof(wmm));
}

static void CcxElements(EMIT *e, const KQSIM_NETWORK *n)
{
    UCHAR body[5];
    RtlCopyMemory(body, OUI_CISCO, 3);
    body[3] = 0x03;
    body[4] = (UCHAR)(n->ccxVersion ? n->ccxVersion : 4);
    Element(e, 221, body, 5);
}

static void Elements(EMIT *e, const KQSIM_NETWORK *n)
{
    ULONGLONG ts = KqNowMs() * 1000;
    USHORT cap = n->infraMode == 0 ? 0x0002 : 0x0001;
    ULONG rates = n->rateCount > 16 ? 16 : n->rateCount, basic = rates > 8 ? 8 : rates;
    if (IsSecured(n)) cap |= 0x0010;
    cap |= 0x0020;
    if (n->channel <= 14 && rates > 4) cap |= 0x0400;
    Put(e, &ts, 8);
    Le16(e, (USHORT)n->beaconInterval);
    Le16(e, cap);
    Element(e, 0, n->hidden ? NULL : n->ssid, n->hidden ? 0 : n->ssidLen);
    if (basic) Element(e, 1, n->rates, basic);
    if (n->channel && n->channel < 256) {
        UCHAR ch = (UCHAR)n->channel;
        Element(e, 3, &ch, 1);
    }
    if (n->infraMode == 0) {
        UCHAR atim[2] = {0, 0};
        Element(e, 6, atim, 2);
    }
    if (rates > 8) Element(e, 50, n->rates + 8, rates - 8);
    SecurityElements(e, n);
    if (n->flags & KQSIM_NET_HT) HtElements(e, n);
    if (n->flags & (KQSIM_NET_WMM | KQSIM_NET_HT)) WmmElement(e);
    if (n->flags & KQSIM_NET_WPS) WpsElement(e, n);
    if (n->flags & KQSIM_NET_CCX) CcxElements(e, n);
}

static ULONG NetworkType(const KQSIM_NETWORK *n)
{
    ULONG i;
    if (n->networkType != 0xFFFFFFFFu) return n->networkType;
    if (KqChannelKHz(n) >= 4900000) return 2;
    for (i = 0; i < n->rateCount && i < 16; ++i)
        if ((n->rates[i] & 0x7F) > 22) return 3;
    return 1;
}

static void Put32(UCHAR *p, ULONG v) { RtlCopyMemory(p, &v, 4); }

/* One NDIS_WLAN_BSSID_EX; 0 when it does not fit. */
static ULONG BuildEntry(const KQSIM_NETWORK *n, UCHAR *out, ULONG cap)
{
    EMIT e;
    ULONG len;
    if (cap < 116) return 0;
    RtlZeroMemory(out, 116);
    e.p = out + 116;
    e.cap = cap - 116;
    e.len = 0;
    e.full = 0;
    if (n->flags & KQSIM_NET_RAW_BODY) {
        Put(&e, n->ies, n->ieLen);
    } else {
        Elements(&e, n);
        Put(&e, n->ies, n->ieLen);
    }
    if (e.full) return 0;
    len = (116 + e.len + 3) & ~3u;
    if (len > cap) return 0;
    RtlZeroMemory(out + 116 + e.len, len - 116 - e.len);
    Put32(out, len);
    RtlCopyMemory(out + 4, n->bssid, 6);
    if (!n->hidden) {
        Put32(out + 12, n->ssidLen);
        RtlCopyMemory(out + 16, n->ssid, n->ssidLen);
    }
    Put32(out + 48, IsSecured(n) ? 1 : 0);
    Put32(out + 52, (ULONG)n->rssi);
    Put32(out + 56, NetworkType(n));
    Put32(out + 60, 32);
    Put32(out + 64, n->beaconInterval);
    Put32(out + 72, KqChannelKHz(n));
    Put32(out + 76, 16);
    Put32(out + 92, n->infraMode);
    RtlCopyMemory(out + 96, n->rates, n->rateCount > 16 ? 16 : n->rateCount);
    Put32(out + 112, e.len);
    return len;
}

NTSTATUS KqBuildList(KQ_ADAPTER *ad, UCHAR *out, ULONG cap, ULONG *len)
{
    ULONG i, used = 4, count = 0;
    if (cap < 4) return STATUS_BUFFER_TOO_SMALL;
    if (ad->radioOn) {
        for (i = 0; i < g_airCount; ++i) {
            ULONG n;
            if (!(g_air[i].flags & KQSIM_NET_VISIBLE)) continue;
            n = BuildEntry(&g_air[i], out + used, cap - used);
            if (!n) break;                          /* the list is full */
            used += n;
            ++count;
        }
    }
    Put32(out, count);
    *len = used;
    return STATUS_SUCCESS;
}
