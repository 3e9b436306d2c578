/* Simulated wireless adapter driver: one device per simulated adapter,
 * reached at "\\.\{NetCfgInstanceId}", answering IOCTL_NDIS_QUERY_GLOBAL_STATS,
 * and a control device that outlives every adapter. */
#include "SimDriver.h"

#define IOCTL_NDIS_QUERY_GLOBAL_STATS 0x00170002

KQ_ADAPTER *g_adapters;
KQSIM_NETWORK *g_air;
ULONG g_airCount;
UCHAR *g_scratch;

static PDEVICE_OBJECT g_control;
static PDRIVER_OBJECT g_driver;
static FAST_MUTEX g_lock;
static KQSIM_LOG_ENTRY *g_log;
static ULONG g_logNextSeq = 1;
static ULONGLONG g_startMs;

typedef VOID (NTAPI *PFN_QUERY_SYSTEM_TIME)(PLARGE_INTEGER);
typedef ULONGLONG (NTAPI *PFN_QUERY_INTERRUPT_TIME)(VOID);
static PFN_QUERY_INTERRUPT_TIME g_interruptTime;
static PFN_QUERY_SYSTEM_TIME g_systemTime;

/* The time functions are header macros on x64 that read kernel-only
 * addresses, so they are looked up by name. */
static void ResolveTime(void)
{
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, L"KeQueryInterruptTime");
    g_interruptTime = (PFN_QUERY_INTERRUPT_TIME)MmGetSystemRoutineAddress(&name);
    RtlInitUnicodeString(&name, L"KeQuerySystemTime");
    g_systemTime = (PFN_QUERY_SYSTEM_TIME)MmGetSystemRoutineAddress(&name);
}

/* Wine's KeQueryInterruptTime counts milliseconds, not 100 ns units, so the
 * system time comes first. */
static ULONGLONG RawMs(void)
{
    LARGE_INTEGER t;
    if (g_systemTime) {
        g_systemTime(&t);
        return (ULONGLONG)t.QuadPart / 10000;
    }
    if (g_interruptTime)
        return g_interruptTime();
    return 0;
}

ULONGLONG KqNowMs(void) { return RawMs() - g_startMs; }

void *KqAlloc(SIZE_T n)
{
    void *p = ExAllocatePoolWithTag(NonPagedPool, n, KQ_TAG);
    if (p) RtlZeroMemory(p, n);
    return p;
}

void KqFree(void *p) { if (p) ExFreePoolWithTag(p, KQ_TAG); }

/* A fast mutex waits only when there is contention; a dispatcher mutex costs
 * Wine a round trip to its server on every acquisition. */
static void Lock(void)
{
    KeEnterCriticalRegion();
    ExAcquireFastMutexUnsafe(&g_lock);
}

static void Unlock(void)
{
    ExReleaseFastMutexUnsafe(&g_lock);
    KeLeaveCriticalRegion();
}

/* ---- request log ---------------------------------------------------- */

void KqLog(int kind, int slot, ULONG oid, ULONG bufLen, ULONG inLen, NTSTATUS status,
           ULONG returned, const void *data, ULONG dataLen)
{
    KQSIM_LOG_ENTRY *e = &g_log[g_logNextSeq % KQSIM_LOG_CAPACITY];
    RtlZeroMemory(e, sizeof(*e));
    e->seq = g_logNextSeq++;
    e->timeMs = (unsigned int)KqNowMs();
    e->kind = (unsigned short)kind;
    e->adapter = (unsigned short)slot;
    e->oid = oid;
    e->bufLen = bufLen;
    e->inputLen = inLen;
    e->status = status;
    e->bytesReturned = returned;
    if (data && dataLen) {
        if (dataLen > KQSIM_LOG_DATA) dataLen = KQSIM_LOG_DATA;
        RtlCopyMemory(e->data, data, dataLen);
        e->dataLen = dataLen;
    }
}

static ULONG OldestSeq(void)
{
    return g_logNextSeq > KQSIM_LOG_CAPACITY ? g_logNextSeq - KQSIM_LOG_CAPACITY : 1;
}

static NTSTATUS ReadLog(const UCHAR *in, ULONG inLen, UCHAR *out, ULONG outLen, ULONG *written)
{
    KQSIM_LOG_HEADER *h = (KQSIM_LOG_HEADER *)out;
    ULONG seq = 0, room, n = 0;
    if (outLen < sizeof(*h)) return STATUS_BUFFER_TOO_SMALL;
    if (inLen >= 4) RtlCopyMemory(&seq, in, 4);
    if (seq < OldestSeq()) seq = OldestSeq();
    room = (outLen - sizeof(*h)) / sizeof(KQSIM_LOG_ENTRY);
    for (; seq < g_logNextSeq && n < room; ++seq, ++n)
        RtlCopyMemory(out + sizeof(*h) + n * sizeof(KQSIM_LOG_ENTRY),
                      &g_log[seq % KQSIM_LOG_CAPACITY], sizeof(KQSIM_LOG_ENTRY));
    h->count = n;
    h->nextSeq = g_logNextSeq;
    h->oldestSeq = OldestSeq();
    h->pad = 0;
    *written = sizeof(*h) + n * sizeof(KQSIM_LOG_ENTRY);
    return STATUS_SUCCESS;
}

/* ---- adapter devices ------------------------------------------------ */

static void WideName(WCHAR *out, ULONG cap, const WCHAR *prefix, const char *guid)
{
    ULONG i = 0, j;
    while (prefix[i] && i + 1 < cap) { out[i] = prefix[i]; ++i; }
    for (j = 0; guid[j] && j < KQSIM_GUID_CHARS && i + 1 < cap; ++j) out[i++] = (WCHAR)guid[j];
    out[i] = 0;
}

static NTSTATUS CreateAdapterDevice(KQ_ADAPTER *ad)
{
    WCHAR devName[96], linkName[96];
    UNICODE_STRING dn, ln;
    NTSTATUS st;
    WideName(devName, 96, L"\\Device\\KestiqSim", ad->cfg.guid);
    WideName(linkName, 96, L"\\DosDevices\\", ad->cfg.guid);
    RtlInitUnicodeString(&dn, devName);
    RtlInitUnicodeString(&ln, linkName);
    st = IoCreateDevice(g_driver, 0, &dn, FILE_DEVICE_NETWORK, 0, FALSE, &ad->dev);
    if (!NT_SUCCESS(st)) { ad->dev = NULL; return st; }
    st = IoCreateSymbolicLink(&ln, &dn);
    if (!NT_SUCCESS(st)) {
        IoDeleteDevice(ad->dev);
        ad->dev = NULL;
        return st;
    }
    ad->dev->Flags |= DO_DIRECT_IO;
    ad->dev->Flags &= ~DO_DEVICE_INITIALIZING;
    /* Handles count per device object: one still open on a vanished device
     * closes there, unseen, and must not count against the new one. */
    ad->creates = 0;
    ad->closes = 0;
    ad->present = 1;
    return STATUS_SUCCESS;
}

static void DeleteAdapterDevice(KQ_ADAPTER *ad)
{
    WCHAR linkName[96];
    UNICODE_STRING ln;
    if (!ad->dev) return;
    WideName(linkName, 96, L"\\DosDevices\\", ad->cfg.guid);
    RtlInitUnicodeString(&ln, linkName);
    IoDeleteSymbolicLink(&ln);
    IoDeleteDevice(ad->dev);
    ad->dev = NULL;
    ad->present = 0;
}

static int SameGuid(const char *a, const char *b)
{
    int i;
    for (i = 0; i < KQSIM_GUID_CHARS; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return 0;
        if (!x) return 1;
    }
    return 1;
}

static KQ_ADAPTER *FindAdapter(const char *guid)
{
    int i;
    for (i = 0; i < KQSIM_MAX_ADAPTERS; ++i)
        if (g_adapters[i].used && SameGuid(g_adapters[i].cfg.guid, guid)) return &g_adapters[i];
    return NULL;
}

static KQ_ADAPTER *AdapterOfDevice(PDEVICE_OBJECT dev)
{
    int i;
    for (i = 0; i < KQSIM_MAX_ADAPTERS; ++i)
        if (g_adapters[i].used && g_adapters[i].dev == dev) return &g_adapters[i];
    return NULL;
}

static int ValidGuid(const char *g)
{
    int n = 0;
    while (n < KQSIM_GUID_CHARS && g[n]) {
        char c = g[n];
        if (c == '\\' || c == '/' || c < 0x21 || c > 0x7E) return 0;
        ++n;
    }
    return n > 2 && n < KQSIM_GUID_CHARS && g[0] == '{' && g[n - 1] == '}';
}

static NTSTATUS AddAdapter(const KQSIM_ADAPTER_CONFIG *cfg)
{
    KQ_ADAPTER *ad;
    int i;
    NTSTATUS st;
    if (!ValidGuid(cfg->guid)) return STATUS_INVALID_PARAMETER;
    ad = FindAdapter(cfg->guid);
    if (ad) {                           /* re-adding updates the configuration */
        ad->cfg = *cfg;
        KqResetAdapter(ad);
        return ad->dev ? STATUS_SUCCESS : CreateAdapterDevice(ad);
    }
    for (i = 0; i < KQSIM_MAX_ADAPTERS && g_adapters[i].used; ++i) {}
    if (i == KQSIM_MAX_ADAPTERS) return STATUS_INSUFFICIENT_RESOURCES;
    ad = &g_adapters[i];
    RtlZeroMemory(ad, sizeof(*ad));
    ad->slot = i;
    ad->cfg = *cfg;
    ad->cfg.guid[KQSIM_GUID_CHARS - 1] = 0;
    ad->store = (UCHAR *)KqAlloc(128 * KQ_STORE);
    ad->list = (UCHAR *)KqAlloc(KQ_LIST_MAX);
    if (!ad->store || !ad->list) {
        KqFree(ad->store); KqFree(ad->list);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    ad->used = 1;
    KqResetAdapter(ad);
    st = CreateAdapterDevice(ad);
    if (!NT_SUCCESS(st)) {
        KqFree(ad->store); KqFree(ad->list);
        ad->used = 0;
    }
    return st;
}

static void FreeAnswers(KQ_ADAPTER *ad)
{
    int i;
    for (i = 0; i < KQ_MAX_ANSWERS; ++i) {
        KqFree(ad->answers[i].data);
        RtlZeroMemory(&ad->answers[i], sizeof(ad->answers[i]));
    }
}

static void RemoveAdapter(KQ_ADAPTER *ad)
{
    DeleteAdapterDevice(ad);
    FreeAnswers(ad);
    KqFree(ad->store);
    KqFree(ad->list);
    RtlZeroMemory(ad, sizeof(*ad));
}

static void FillState(KQ_ADAPTER *ad, KQSIM_ADAPTER_STATE *s)
{
    RtlZeroMemory(s, sizeof(*s));
    KqTick(ad);
    s->config = ad->cfg;
    s->slot = ad->slot;
    s->present = ad->present;
    s->creates = ad->creates;
    s->closes = ad->closes;
    s->openHandles = ad->creates - ad->closes;
    s->associated = ad->associated;
    s->connected = KqConnected(ad);
    s->authorized = ad->authorized;
    s->wrongKey = ad->wrongKey;
    s->adhoc = ad->adhoc;
    s->network = ad->associated ? ad->network : -1;
    RtlCopyMemory(s->bssid, ad->bssid, 6);
    s->ssidLen = (unsigned char)ad->ssidLen;
    RtlCopyMemory(s->ssid, ad->ssid, 32);
    s->authMode = KqStoreGet(ad, 0x0D010118);
    s->encryption = KqStoreGet(ad, 0x0D01011B);
    s->infraMode = KqStoreGet(ad, 0x0D010108);
    s->channel = ad->channel;
    s->radioOn = ad->radioOn;
    s->scanPending = ad->scanPending;
    s->wpsCode = KqWpsCode(ad);
    s->requests = ad->requests;
}

/* ---- control path ---------------------------------------------------- */

static NTSTATUS SetAnswer(KQ_ADAPTER *ad, const KQSIM_ANSWER_REQUEST *r, const UCHAR *data, ULONG avail)
{
    ULONG oid = r->oid & ~KQ_SET_FLAG;
    int i, freeSlot = -1;
    KQ_ANSWER *a = NULL;
    if (r->mode == 1 && (r->length > avail || r->length > KQSIM_MAX_ANSWER)) return STATUS_INVALID_PARAMETER;
    for (i = 0; i < KQ_MAX_ANSWERS; ++i) {
        if (ad->answers[i].oid == oid && (ad->answers[i].data || ad->answers[i].status)) a = &ad->answers[i];
        else if (freeSlot < 0 && !ad->answers[i].data && !ad->answers[i].status) freeSlot = i;
    }
    if (a) {
        KqFree(a->data);
        RtlZeroMemory(a, sizeof(*a));
    }
    if (r->mode == 0) return STATUS_SUCCESS;
    if (!a) {
        if (freeSlot < 0) return STATUS_INSUFFICIENT_RESOURCES;
        a = &ad->answers[freeSlot];
    }
    a->oid = oid;
    a->status = r->status;
    if (!r->status) {
        a->data = (UCHAR *)KqAlloc(r->length ? r->length : 1);
        if (!a->data) return STATUS_INSUFFICIENT_RESOURCES;
        RtlCopyMemory(a->data, data, r->length);
        a->length = r->length;
    }
    return STATUS_SUCCESS;
}

static NTSTATUS SetFault(KQ_ADAPTER *ad, const KQSIM_FAULT_REQUEST *r)
{
    ULONG oid = r->oid & ~KQ_SET_FLAG;
    int i, freeSlot = -1;
    if (oid == 0 && r->count == 0) {
        RtlZeroMemory(ad->faults, sizeof(ad->faults));
        return STATUS_SUCCESS;
    }
    for (i = 0; i < KQ_MAX_FAULTS; ++i) {
        KQ_FAULT *f = &ad->faults[i];
        if (f->count && f->oid == oid && f->kinds == r->kinds) { freeSlot = i; break; }
        if (freeSlot < 0 && !f->count) freeSlot = i;
    }
    if (freeSlot < 0) return STATUS_INSUFFICIENT_RESOURCES;
    ad->faults[freeSlot].oid = oid;
    ad->faults[freeSlot].kinds = r->kinds ? r->kinds : (KQSIM_KIND_QUERY | KQSIM_KIND_SET);
    ad->faults[freeSlot].count = r->count;
    ad->faults[freeSlot].status = r->status ? r->status : STATUS_UNSUCCESSFUL;
    return STATUS_SUCCESS;
}

static NTSTATUS SetParam(KQ_ADAPTER *ad, const KQSIM_PARAM_REQUEST *r)
{
    ULONG v = (ULONG)r->value;
    switch (r->id) {
    case KQSIM_PARAM_RADIO:
        ad->radioOn = v ? 1 : 0;
        if (!v) KqDisassociate(ad, 3);
        break;
    case KQSIM_PARAM_RF_ON: ad->rfOn = v; break;
    case KQSIM_PARAM_OP_MODE: ad->opMode = v; break;
    case KQSIM_PARAM_SCAN_LATENCY: ad->scanLatencyMs = v; break;
    case KQSIM_PARAM_AUTHORIZED: KqAuthorize(ad, v != 0); break;
    case KQSIM_PARAM_LINK_LOSS: KqDisassociate(ad, 1); break;
    case KQSIM_PARAM_DRIVER_VERSION: ad->cfg.driverVersion = (unsigned short)v; break;
    case KQSIM_PARAM_TRAFFIC: KqTick(ad); ad->traffic = v != 0; break;
    case KQSIM_PARAM_EEPROM_WORD36: ad->eepromWord36 = v; break;
    case KQSIM_PARAM_DUAL_BAND: ad->cfg.dualBand = v; break;
    case KQSIM_PARAM_ASSOC_DELAY: ad->assocDelayMs = v; break;
    case KQSIM_PARAM_ADVANCE_FRAMES: KqTick(ad); KqAdvanceFrames(ad, v); break;
    case KQSIM_PARAM_RCV_OK: KqTick(ad); ad->rcvOk = v; break;
    case KQSIM_PARAM_RCV_NO_BUFFER: KqTick(ad); ad->rcvNoBuf = v; break;
    case KQSIM_PARAM_TX_BYTES: KqTick(ad); ad->txBytes = v; break;
    case KQSIM_PARAM_RX_BYTES: KqTick(ad); ad->rxBytes = v; break;
    case KQSIM_PARAM_CHANNEL_QUALITY: ad->quality = v; break;
    case KQSIM_PARAM_ICV_ERROR: ad->icvOverride = (int)r->value; break;
    default:
        if (r->id >= KQSIM_PARAM_STAT_FIRST && r->id < KQSIM_PARAM_STAT_FIRST + 21) {
            KqTick(ad);
            ad->stats[r->id - KQSIM_PARAM_STAT_FIRST] = (ULONGLONG)r->value;
            break;
        }
        return STATUS_INVALID_PARAMETER;
    }
    return STATUS_SUCCESS;
}

static NTSTATUS SetWps(KQ_ADAPTER *ad, const KQSIM_WPS_CONFIG *c)
{
    ad->wpsStepMs = c->stepMs ? c->stepMs : 1000;
    ad->wpsFailCode = c->failCode;
    ad->wpsFailAfter = c->failAfter;
    ad->wpsUseCred = c->useCredentials != 0;
    RtlCopyMemory(ad->wpsCred, c->credentials, sizeof(ad->wpsCred));
    return STATUS_SUCCESS;
}

static NTSTATUS PutNetwork(const KQSIM_NETWORK *n)
{
    int i = KqFindNetwork(n->bssid);
    if (i < 0) {
        if (g_airCount >= KQSIM_MAX_NETWORKS) return STATUS_INSUFFICIENT_RESOURCES;
        i = (int)g_airCount++;
    }
    g_air[i] = *n;
    if (g_air[i].ssidLen > 32) g_air[i].ssidLen = 32;
    if (g_air[i].ieLen > sizeof(g_air[i].ies)) g_air[i].ieLen = sizeof(g_air[i].ies);
    if (g_air[i].rateCount > 16) g_air[i].rateCount = 16;
    if (g_air[i].pskLen > 64) g_air[i].pskLen = 64;
    KqAirChanged();
    return STATUS_SUCCESS;
}

static NTSTATUS RemoveNetwork(const UCHAR *bssid)
{
    int i = KqFindNetwork(bssid), k;
    if (i < 0) return STATUS_NOT_FOUND;
    /* adapters joined to a later entry follow it down */
    for (k = 0; k < KQSIM_MAX_ADAPTERS; ++k) {
        KQ_ADAPTER *ad = &g_adapters[k];
        if (!ad->used || !ad->associated || ad->network < 0) continue;
        if (ad->network == i) KqDisassociate(ad, 1);
        else if (ad->network > i) ad->network--;
    }
    for (; (ULONG)i + 1 < g_airCount; ++i) g_air[i] = g_air[i + 1];
    --g_airCount;
    KqAirChanged();
    return STATUS_SUCCESS;
}

static NTSTATUS GetNetworks(const UCHAR *in, ULONG inLen, UCHAR *out, ULONG outLen, ULONG *written)
{
    ULONG first = 0, room, n = 0;
    if (outLen < 4) return STATUS_BUFFER_TOO_SMALL;
    if (inLen >= 4) RtlCopyMemory(&first, in, 4);
    room = (outLen - 4) / sizeof(KQSIM_NETWORK);
    RtlCopyMemory(out, &g_airCount, 4);
    for (; first + n < g_airCount && n < room; ++n)
        RtlCopyMemory(out + 4 + n * sizeof(KQSIM_NETWORK), &g_air[first + n], sizeof(KQSIM_NETWORK));
    *written = 4 + n * sizeof(KQSIM_NETWORK);
    return STATUS_SUCCESS;
}

static NTSTATUS ListAdapters(UCHAR *out, ULONG outLen, ULONG *written)
{
    ULONG n = 0, i, room;
    if (outLen < 4) return STATUS_BUFFER_TOO_SMALL;
    room = (outLen - 4) / sizeof(KQSIM_ADAPTER_STATE);
    for (i = 0; i < KQSIM_MAX_ADAPTERS; ++i) {
        if (!g_adapters[i].used) continue;
        if (n >= room) return STATUS_BUFFER_TOO_SMALL;
        FillState(&g_adapters[i], (KQSIM_ADAPTER_STATE *)(out + 4 + n * sizeof(KQSIM_ADAPTER_STATE)));
        ++n;
    }
    RtlCopyMemory(out, &n, 4);
    *written = 4 + n * sizeof(KQSIM_ADAPTER_STATE);
    return STATUS_SUCCESS;
}

/* Requests that name an adapter begin with its GUID text. */
static KQ_ADAPTER *RequestAdapter(const UCHAR *in, ULONG inLen)
{
    char guid[KQSIM_GUID_CHARS];
    if (inLen < KQSIM_GUID_CHARS) return NULL;
    RtlCopyMemory(guid, in, KQSIM_GUID_CHARS);
    guid[KQSIM_GUID_CHARS - 1] = 0;
    return FindAdapter(guid);
}

static NTSTATUS Control(ULONG code, UCHAR *buf, ULONG inLen, ULONG outLen, ULONG *written)
{
    KQ_ADAPTER *ad;
    *written = 0;
    switch (code) {
    case KQSIM_IOCTL_ADD_ADAPTER:
        if (inLen < sizeof(KQSIM_ADAPTER_CONFIG)) return STATUS_BUFFER_TOO_SMALL;
        return AddAdapter((const KQSIM_ADAPTER_CONFIG *)buf);
    case KQSIM_IOCTL_LIST_ADAPTERS:
        return ListAdapters(buf, outLen, written);
    case KQSIM_IOCTL_CLEAR_NETWORKS: {
        int k;
        g_airCount = 0;
        for (k = 0; k < KQSIM_MAX_ADAPTERS; ++k)
            if (g_adapters[k].used && g_adapters[k].network >= 0) KqDisassociate(&g_adapters[k], 1);
        KqAirChanged();
        return STATUS_SUCCESS;
    }
    case KQSIM_IOCTL_PUT_NETWORK:
        if (inLen < sizeof(KQSIM_NETWORK)) return STATUS_BUFFER_TOO_SMALL;
        return PutNetwork((const KQSIM_NETWORK *)buf);
    case KQSIM_IOCTL_REMOVE_NETWORK:
        if (inLen < 6) return STATUS_BUFFER_TOO_SMALL;
        return RemoveNetwork(buf);
    case KQSIM_IOCTL_GET_NETWORKS:
        return GetNetworks(buf, inLen, buf, outLen, written);
    case KQSIM_IOCTL_READ_LOG:
        return ReadLog(buf, inLen, buf, outLen, written);
    case KQSIM_IOCTL_CLEAR_LOG:
        RtlZeroMemory(g_log, KQSIM_LOG_CAPACITY * sizeof(KQSIM_LOG_ENTRY));
        g_logNextSeq = 1;
        return STATUS_SUCCESS;
    case KQSIM_IOCTL_LOG_CALL:
        return KqLogSupplicantCall(buf, inLen);
    case KQSIM_IOCTL_ADD_MARKER: {
        ULONG n = 0;
        while (n < inLen && n < KQSIM_LOG_DATA - 1 && buf[n]) ++n;
        KqLog(KQSIM_LOG_MARKER, 0xFFFF, 0, 0, inLen, 0, 0, buf, n);
        return STATUS_SUCCESS;
    }
    }

    ad = RequestAdapter(buf, inLen);
    if (!ad) return STATUS_NO_SUCH_DEVICE;
    switch (code) {
    case KQSIM_IOCTL_REMOVE_ADAPTER:
        RemoveAdapter(ad);
        return STATUS_SUCCESS;
    case KQSIM_IOCTL_SET_PRESENT:
        if (inLen < sizeof(KQSIM_ADAPTER_REF)) return STATUS_BUFFER_TOO_SMALL;
        if (((KQSIM_ADAPTER_REF *)buf)->value) {
            if (ad->dev) return STATUS_SUCCESS;
            KqLog(KQSIM_LOG_RETURN, ad->slot, 0, 0, 0, 0, 0, NULL, 0);
            return CreateAdapterDevice(ad);
        }
        if (ad->dev) {
            KqDisassociate(ad, 1);
            KqLog(KQSIM_LOG_VANISH, ad->slot, 0, 0, 0, 0, 0, NULL, 0);
            DeleteAdapterDevice(ad);
        }
        return STATUS_SUCCESS;
    case KQSIM_IOCTL_RESET_ADAPTER:
        FreeAnswers(ad);
        KqResetAdapter(ad);
        return STATUS_SUCCESS;
    case KQSIM_IOCTL_SET_PARAM:
        if (inLen < sizeof(KQSIM_PARAM_REQUEST)) return STATUS_BUFFER_TOO_SMALL;
        return SetParam(ad, (const KQSIM_PARAM_REQUEST *)buf);
    case KQSIM_IOCTL_SET_ANSWER:
        if (inLen < sizeof(KQSIM_ANSWER_REQUEST)) return STATUS_BUFFER_TOO_SMALL;
        return SetAnswer(ad, (const KQSIM_ANSWER_REQUEST *)buf, buf + sizeof(KQSIM_ANSWER_REQUEST),
                         inLen - sizeof(KQSIM_ANSWER_REQUEST));
    case KQSIM_IOCTL_SET_FAULT:
        if (inLen < sizeof(KQSIM_FAULT_REQUEST)) return STATUS_BUFFER_TOO_SMALL;
        return SetFault(ad, (const KQSIM_FAULT_REQUEST *)buf);
    case KQSIM_IOCTL_PRESS_BUTTON:
        ad->wpsButton = 1;
        KqStartWps(ad, 1, 0);
        return STATUS_SUCCESS;
    case KQSIM_IOCTL_SET_WPS:
        if (inLen < sizeof(KQSIM_WPS_CONFIG)) return STATUS_BUFFER_TOO_SMALL;
        return SetWps(ad, (const KQSIM_WPS_CONFIG *)buf);
    }
    return STATUS_INVALID_DEVICE_REQUEST;
}

/* ---- dispatch -------------------------------------------------------- */

static NTSTATUS Complete(PIRP irp, NTSTATUS st, ULONG_PTR info)
{
    irp->IoStatus.Status = st;
    irp->IoStatus.Information = info;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return st;
}

static NTSTATUS DispatchCreateClose(PDEVICE_OBJECT dev, PIRP irp)
{
    PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(irp);
    KQ_ADAPTER *ad;
    int create = sp->MajorFunction == IRP_MJ_CREATE;
    if (dev == g_control) return Complete(irp, STATUS_SUCCESS, 0);
    Lock();
    ad = AdapterOfDevice(dev);
    if (ad && sp->MajorFunction != IRP_MJ_CLEANUP) {
        if (create) ad->creates++; else ad->closes++;
        KqLog(create ? KQSIM_LOG_CREATE : KQSIM_LOG_CLOSE, ad->slot, 0, 0, 0, 0, 0, NULL, 0);
    }
    Unlock();
    if (!ad && create) return Complete(irp, STATUS_NO_SUCH_DEVICE, 0);
    return Complete(irp, STATUS_SUCCESS, 0);
}

/* The data of METHOD_OUT_DIRECT travels through the MDL (absent for
 * zero-length buffers). */
static UCHAR *MdlBuffer(PIRP irp, ULONG *len)
{
    UCHAR *p;
    ULONG n;
    if (!irp->MdlAddress || !*len) { *len = 0; return NULL; }
    p = (UCHAR *)MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
    if (!p) p = (UCHAR *)MmGetMdlVirtualAddress(irp->MdlAddress);
    n = MmGetMdlByteCount(irp->MdlAddress);
    if (n < *len) *len = n;
    if (!p) *len = 0;
    return p;
}

static NTSTATUS AdapterIoctl(PDEVICE_OBJECT dev, PIRP irp, PIO_STACK_LOCATION sp)
{
    ULONG code = sp->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLen = sp->Parameters.DeviceIoControl.OutputBufferLength;
    ULONG oid = 0, returned = 0, bufLen = outLen;
    UCHAR *buf;
    KQ_ADAPTER *ad;
    NTSTATUS st;

    Lock();
    ad = AdapterOfDevice(dev);
    if (!ad) {
        Unlock();
        return Complete(irp, STATUS_NO_SUCH_DEVICE, 0);
    }
    if (code != IOCTL_NDIS_QUERY_GLOBAL_STATS) {
        KqLog(KQSIM_LOG_OTHER, ad->slot, code, outLen, inLen, STATUS_INVALID_DEVICE_REQUEST, 0, NULL, 0);
        Unlock();
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    if (inLen < 4 || !irp->AssociatedIrp.SystemBuffer) {
        KqLog(KQSIM_LOG_QUERY, ad->slot, 0, outLen, inLen, STATUS_INVALID_PARAMETER, 0, NULL, 0);
        Unlock();
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    RtlCopyMemory(&oid, irp->AssociatedIrp.SystemBuffer, 4);
    buf = MdlBuffer(irp, &outLen);
    ad->requests++;
    st = KqHandleOid(ad, oid, buf, outLen, &returned);
    /* a set's data as it arrived (handlers never write into it), a query's answer */
    if (oid & KQ_SET_FLAG)
        KqLog(KQSIM_LOG_SET, ad->slot, oid, bufLen, inLen, st, returned, buf, outLen);
    else
        KqLog(KQSIM_LOG_QUERY, ad->slot, oid, bufLen, inLen, st, returned, buf, NT_SUCCESS(st) ? returned : 0);
    Unlock();
    return Complete(irp, st, NT_SUCCESS(st) ? returned : 0);
}

static NTSTATUS DispatchIoctl(PDEVICE_OBJECT dev, PIRP irp)
{
    PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(irp);
    ULONG written = 0;
    NTSTATUS st;
    if (dev != g_control) return AdapterIoctl(dev, irp, sp);
    if ((sp->Parameters.DeviceIoControl.IoControlCode & 3) != METHOD_BUFFERED ||
        (!irp->AssociatedIrp.SystemBuffer &&
         (sp->Parameters.DeviceIoControl.InputBufferLength || sp->Parameters.DeviceIoControl.OutputBufferLength)))
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);
    Lock();
    st = Control(sp->Parameters.DeviceIoControl.IoControlCode, (UCHAR *)irp->AssociatedIrp.SystemBuffer,
                 sp->Parameters.DeviceIoControl.InputBufferLength,
                 sp->Parameters.DeviceIoControl.OutputBufferLength, &written);
    Unlock();
    if (written > sp->Parameters.DeviceIoControl.OutputBufferLength)
        written = sp->Parameters.DeviceIoControl.OutputBufferLength;
    return Complete(irp, st, NT_SUCCESS(st) ? written : 0);
}

static NTSTATUS DispatchOther(PDEVICE_OBJECT dev, PIRP irp)
{
    return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
}

/* ---- persisted configuration ---------------------------------------- */

/* The set-up tool keeps the installed adapters and the last scenario under
 * the service's Parameters key, so a fresh start of the driver brings them
 * back. */
static void *ReadBinaryValue(HANDLE key, const WCHAR *name, ULONG *size)
{
    UNICODE_STRING vn;
    ULONG need = 0;
    KEY_VALUE_PARTIAL_INFORMATION *info;
    NTSTATUS st;
    *size = 0;
    RtlInitUnicodeString(&vn, name);
    st = ZwQueryValueKey(key, &vn, KeyValuePartialInformation, NULL, 0, &need);
    if (need == 0 || need > 16 * 1024 * 1024) return NULL;
    info = (KEY_VALUE_PARTIAL_INFORMATION *)KqAlloc(need);
    if (!info) return NULL;
    st = ZwQueryValueKey(key, &vn, KeyValuePartialInformation, info, need, &need);
    if (!NT_SUCCESS(st) || info->Type != REG_BINARY) { KqFree(info); return NULL; }
    *size = info->DataLength;
    return info;
}

static void LoadPersisted(PUNICODE_STRING regPath)
{
    WCHAR path[300];
    UNICODE_STRING p;
    OBJECT_ATTRIBUTES oa;
    HANDLE key;
    ULONG i, n, size;
    KEY_VALUE_PARTIAL_INFORMATION *info;
    if (!regPath || regPath->Length / 2 > 250) return;
    RtlCopyMemory(path, regPath->Buffer, regPath->Length);
    RtlCopyMemory(path + regPath->Length / 2, L"\\Parameters", 12 * sizeof(WCHAR));
    RtlInitUnicodeString(&p, path);
    InitializeObjectAttributes(&oa, &p, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &oa))) return;

    info = (KEY_VALUE_PARTIAL_INFORMATION *)ReadBinaryValue(key, L"Adapters", &size);
    if (info) {
        n = size / sizeof(KQSIM_ADAPTER_CONFIG);
        for (i = 0; i < n; ++i) {
            KQSIM_ADAPTER_CONFIG cfg;
            RtlCopyMemory(&cfg, info->Data + i * sizeof(cfg), sizeof(cfg));
            cfg.guid[KQSIM_GUID_CHARS - 1] = 0;
            AddAdapter(&cfg);
        }
        KqFree(info);
    }
    info = (KEY_VALUE_PARTIAL_INFORMATION *)ReadBinaryValue(key, L"Networks", &size);
    if (info) {
        n = size / sizeof(KQSIM_NETWORK);
        for (i = 0; i < n; ++i) {
            KQSIM_NETWORK net;
            RtlCopyMemory(&net, info->Data + i * sizeof(net), sizeof(net));
            PutNetwork(&net);
        }
        KqFree(info);
    }
    ZwClose(key);
}

/* ---- load and unload ------------------------------------------------- */

static VOID DriverUnload(PDRIVER_OBJECT drv)
{
    UNICODE_STRING ln;
    int i;
    for (i = 0; i < KQSIM_MAX_ADAPTERS; ++i)
        if (g_adapters[i].used) RemoveAdapter(&g_adapters[i]);
    RtlInitUnicodeString(&ln, KQSIM_CONTROL_LINK);
    IoDeleteSymbolicLink(&ln);
    if (g_control) IoDeleteDevice(g_control);
    g_control = NULL;
    KqFree(g_adapters); KqFree(g_air); KqFree(g_log); KqFree(g_scratch);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT drv, PUNICODE_STRING regPath)
{
    UNICODE_STRING dn, ln;
    NTSTATUS st;
    g_driver = drv;
    ResolveTime();
    g_startMs = RawMs();
    ExInitializeFastMutex(&g_lock);
    g_adapters = (KQ_ADAPTER *)KqAlloc(KQSIM_MAX_ADAPTERS * sizeof(KQ_ADAPTER));
    g_air = (KQSIM_NETWORK *)KqAlloc(KQSIM_MAX_NETWORKS * sizeof(KQSIM_NETWORK));
    g_log = (KQSIM_LOG_ENTRY *)KqAlloc(KQSIM_LOG_CAPACITY * sizeof(KQSIM_LOG_ENTRY));
    g_scratch = (UCHAR *)KqAlloc(KQ_SCRATCH);
    if (!g_adapters || !g_air || !g_log || !g_scratch) {
        KqFree(g_adapters); KqFree(g_air); KqFree(g_log); KqFree(g_scratch);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    drv->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    drv->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    drv->MajorFunction[IRP_MJ_CLEANUP] = DispatchCreateClose;
    drv->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchIoctl;
    drv->MajorFunction[IRP_MJ_READ] = DispatchOther;
    drv->MajorFunction[IRP_MJ_WRITE] = DispatchOther;
    drv->DriverUnload = DriverUnload;

    RtlInitUnicodeString(&dn, KQSIM_CONTROL_DEVICE);
    RtlInitUnicodeString(&ln, KQSIM_CONTROL_LINK);
    st = IoCreateDevice(drv, 0, &dn, FILE_DEVICE_UNKNOWN, 0, FALSE, &g_control);
    if (!NT_SUCCESS(st)) return st;
    st = IoCreateSymbolicLink(&ln, &dn);
    if (!NT_SUCCESS(st)) {
        IoDeleteDevice(g_control);
        g_control = NULL;
        return st;
    }
    g_control->Flags |= DO_BUFFERED_IO;
    g_control->Flags &= ~DO_DEVICE_INITIALIZING;
    Lock();
    LoadPersisted(regPath);
    Unlock();
    return STATUS_SUCCESS;
}
