/* Internal state of the simulated wireless adapter driver. */
#ifndef KQSIM_DRIVER_H
#define KQSIM_DRIVER_H

#include <ntddk.h>
#include "../common/SimProtocol.h"

#define KQ_TAG 0x7153714Bu /* "KqSq" */
#define KQ_MAX_FAULTS 32
#define KQ_MAX_ANSWERS 32
#define KQ_MAX_REGS 32
#define KQ_STORE 64                 /* bytes kept per OID for plain stored values */
#define KQ_LIST_MAX 65536           /* BSSID list snapshot */
#define KQ_SCRATCH (KQSIM_MAX_ANSWER + 64)
#define KQ_DEFAULT_SCAN_MS 1500
#define KQ_SET_FLAG 0x00800000u

typedef struct KQ_FAULT {
    ULONG oid;                      /* base form */
    ULONG kinds;
    ULONG count;                    /* KQSIM_FAULT_ALWAYS never runs out */
    NTSTATUS status;
} KQ_FAULT;

typedef struct KQ_ANSWER {
    ULONG oid;                      /* base form */
    NTSTATUS status;
    ULONG length;
    UCHAR *data;
} KQ_ANSWER;

typedef struct KQ_REG {
    ULONG type, offset, value;
} KQ_REG;

typedef struct KQ_WEPKEY {
    ULONG length;
    UCHAR bytes[32];
} KQ_WEPKEY;

typedef struct KQ_ADAPTER {
    int used;
    int slot;
    KQSIM_ADAPTER_CONFIG cfg;
    PDEVICE_OBJECT dev;
    int present;
    ULONG creates, closes, requests;

    UCHAR *store;                   /* OID_COUNT x KQ_STORE */

    /* radio and link */
    ULONG radioOn, rfOn, opMode, eepromWord36;
    ULONG scanLatencyMs, assocDelayMs;
    int associated, authorized, wrongKey, adhoc;
    int network;                    /* index into the air, -1 own IBSS or none */
    UCHAR bssid[6];
    ULONG ssidLen;
    UCHAR ssid[32];
    ULONG channel;
    ULONG extraInfo;                /* OID_VENDOR_EXTRA_INFO code */
    int icvOverride;                /* -1: from the link */
    KQ_WEPKEY keys[4];
    ULONG txKey;
    int groupKey;                   /* WPA-None key present */

    /* a join waiting for the association delay */
    int joinPending, joinByBssid;
    ULONGLONG joinAt;
    UCHAR joinBssid[6];
    ULONG joinSsidLen;
    UCHAR joinSsid[32];

    /* scans */
    UCHAR *list;                    /* last completed scan */
    ULONG listLen;
    int listValid, scanPending;
    ULONGLONG scanDoneAt;

    /* counters */
    int traffic;
    ULONGLONG stats[21];
    ULONG rcvOk, rcvNoBuf, txBytes, rxBytes, quality;
    ULONGLONG lastAdvance;

    /* WPS */
    int wpsRunning, wpsPin, wpsRole;
    ULONGLONG wpsStart;
    ULONG wpsStepMs, wpsFailCode, wpsFailAfter;
    int wpsButton;
    int wpsUseCred;
    UCHAR wpsCred[996];
    UCHAR wpsTargetSsid[32];
    ULONG wpsTargetSsidLen;
    UCHAR wpsPinGiven[8];           /* the digits of the last PIN run's start record */
    ULONG wpsQueries;               /* status queries of this run (KQSIM_WPS_STEP_PER_QUERY) */
    int wpsRegistrarCredSet;        /* WSC_CREDENTIALS set with credentials to hand out */
    UCHAR wpsRegistrarCred[996];

    /* tables */
    UCHAR baTable[3076];
    UCHAR dls[48];
    KQ_REG regs[KQ_MAX_REGS];
    KQ_FAULT faults[KQ_MAX_FAULTS];
    KQ_ANSWER answers[KQ_MAX_ANSWERS];
} KQ_ADAPTER;

extern KQ_ADAPTER *g_adapters;      /* KQSIM_MAX_ADAPTERS */
extern KQSIM_NETWORK *g_air;        /* KQSIM_MAX_NETWORKS */
extern ULONG g_airCount;
extern UCHAR *g_scratch;            /* KQ_SCRATCH bytes, used under the lock */

/* Driver.c */
ULONGLONG KqNowMs(void);
void KqLog(int kind, int slot, ULONG oid, ULONG bufLen, ULONG inLen, NTSTATUS status,
           ULONG returned, const void *data, ULONG dataLen);
void *KqAlloc(SIZE_T n);
void KqFree(void *p);

/* Oids.c */
NTSTATUS KqHandleOid(KQ_ADAPTER *ad, ULONG oid, UCHAR *buf, ULONG len, ULONG *returned);
void KqResetAdapter(KQ_ADAPTER *ad);
ULONG KqWpsCode(KQ_ADAPTER *ad);
void KqStartWps(KQ_ADAPTER *ad, int role, int pin);

/* Air.c */
void KqTick(KQ_ADAPTER *ad);
void KqAdvanceFrames(KQ_ADAPTER *ad, ULONGLONG frames);
void KqJoin(KQ_ADAPTER *ad, int byBssid, const UCHAR *bssid, ULONG ssidLen, const UCHAR *ssid);
void KqDisassociate(KQ_ADAPTER *ad, ULONG extraInfo);
void KqAuthorize(KQ_ADAPTER *ad, int authorized);
void KqStartScan(KQ_ADAPTER *ad);
NTSTATUS KqBuildList(KQ_ADAPTER *ad, UCHAR *out, ULONG cap, ULONG *len);
int KqFindNetwork(const UCHAR *bssid);
ULONG KqChannelKHz(const KQSIM_NETWORK *n);
void KqAirChanged(void);
int KqConnected(const KQ_ADAPTER *ad);

/* Supplicant.c: the control path of the supplicant stand-in */
NTSTATUS KqLogSupplicantCall(const UCHAR *in, ULONG inLen);

/* Oids.c: stored values of plain settings */
UCHAR *KqStoreBytes(KQ_ADAPTER *ad, ULONG oid);
ULONG KqStoreGet(KQ_ADAPTER *ad, ULONG oid);
void KqStorePut(KQ_ADAPTER *ad, ULONG oid, ULONG value);

#endif
