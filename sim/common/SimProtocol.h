/* Control protocol of the simulated adapter driver.  Shared by the driver
 * (kernel mode, C) and its user-mode clients, so it uses only plain C types:
 * int is 32 bits and long long 64 bits on both sides. */
#ifndef KQSIM_PROTOCOL_H
#define KQSIM_PROTOCOL_H

#define KQSIM_CONTROL_PATH   "\\\\.\\KestiqSimControl"
#define KQSIM_CONTROL_DEVICE L"\\Device\\KestiqSimControl"
#define KQSIM_CONTROL_LINK   L"\\DosDevices\\KestiqSimControl"
#define KQSIM_SERVICE_NAME   "KestiqSim"

#define KQSIM_MAX_ADAPTERS   8
#define KQSIM_MAX_NETWORKS   512
#define KQSIM_LOG_CAPACITY   4096
#define KQSIM_LOG_DATA       128   /* bytes of set or answer data kept per entry */
#define KQSIM_MAX_ANSWER     65536 /* largest stored answer of one OID */
#define KQSIM_GUID_CHARS     40

/* METHOD_BUFFERED, FILE_ANY_ACCESS, device type 0x8337. */
#define KQSIM_IOCTL(fn) ((0x8337u << 16) | ((0x900u + (fn)) << 2))

#define KQSIM_IOCTL_ADD_ADAPTER      KQSIM_IOCTL(1)  /* in KQSIM_ADAPTER_CONFIG */
#define KQSIM_IOCTL_REMOVE_ADAPTER   KQSIM_IOCTL(2)  /* in KQSIM_ADAPTER_REF */
#define KQSIM_IOCTL_SET_PRESENT      KQSIM_IOCTL(3)  /* in KQSIM_ADAPTER_REF (value 0 vanish, 1 return) */
#define KQSIM_IOCTL_LIST_ADAPTERS    KQSIM_IOCTL(4)  /* out u32 count + KQSIM_ADAPTER_STATE[] */
#define KQSIM_IOCTL_RESET_ADAPTER    KQSIM_IOCTL(5)  /* in KQSIM_ADAPTER_REF: back to its configuration */
#define KQSIM_IOCTL_SET_PARAM        KQSIM_IOCTL(6)  /* in KQSIM_PARAM_REQUEST */
#define KQSIM_IOCTL_CLEAR_NETWORKS   KQSIM_IOCTL(10)
#define KQSIM_IOCTL_PUT_NETWORK      KQSIM_IOCTL(11) /* in KQSIM_NETWORK: add, or replace the one with its BSSID */
#define KQSIM_IOCTL_REMOVE_NETWORK   KQSIM_IOCTL(12) /* in 6-byte BSSID */
#define KQSIM_IOCTL_GET_NETWORKS     KQSIM_IOCTL(13) /* in u32 first index; out u32 total + KQSIM_NETWORK[] */
#define KQSIM_IOCTL_SET_ANSWER       KQSIM_IOCTL(20) /* in KQSIM_ANSWER_REQUEST + data */
#define KQSIM_IOCTL_SET_FAULT        KQSIM_IOCTL(21) /* in KQSIM_FAULT_REQUEST */
#define KQSIM_IOCTL_PRESS_BUTTON     KQSIM_IOCTL(30) /* in KQSIM_ADAPTER_REF: the WPS hardware button */
#define KQSIM_IOCTL_SET_WPS          KQSIM_IOCTL(31) /* in KQSIM_WPS_CONFIG */
#define KQSIM_IOCTL_READ_LOG         KQSIM_IOCTL(40) /* in u32 first seq; out KQSIM_LOG_HEADER + entries */
#define KQSIM_IOCTL_CLEAR_LOG        KQSIM_IOCTL(41)
#define KQSIM_IOCTL_ADD_MARKER       KQSIM_IOCTL(42) /* in text (up to 127 bytes) */
#define KQSIM_IOCTL_LOG_CALL         KQSIM_IOCTL(43) /* in KQSIM_CALL_RECORD: a call of the supplicant stand-in */

/* Network security of a simulated access point. */
enum {
    KQSIM_SEC_OPEN = 0,
    KQSIM_SEC_WEP = 1,          /* open system with WEP */
    KQSIM_SEC_WEP_SHARED = 2,   /* shared-key authentication, WEP */
    KQSIM_SEC_WPA_PSK = 3,
    KQSIM_SEC_WPA2_PSK = 4,
    KQSIM_SEC_WPA_WPA2_PSK = 5, /* mixed: accepts either */
    KQSIM_SEC_WPA_1X = 6,
    KQSIM_SEC_WPA2_1X = 7,
    KQSIM_SEC_WPA_WPA2_1X = 8,
    KQSIM_SEC_WEP_1X = 9        /* 802.1X with dynamic WEP (LEAP and the like) */
};

/* Pairwise ciphers of WPA families (0 = the family's usual ones). */
#define KQSIM_CIPHER_TKIP 0x1
#define KQSIM_CIPHER_AES  0x2

/* Network flags. */
#define KQSIM_NET_VISIBLE      0x0001 /* appears in scan results */
#define KQSIM_NET_WPS          0x0002 /* WPS element */
#define KQSIM_NET_WPS_PBC      0x0004 /* registrar selected, push button active */
#define KQSIM_NET_HT           0x0008 /* 802.11n: elements 45/61 and the 00-90-4C forms */
#define KQSIM_NET_HT40         0x0010
#define KQSIM_NET_CCX          0x0020 /* 00-40-96 elements */
#define KQSIM_NET_WMM          0x0040
#define KQSIM_NET_ASSOC_FAIL   0x0080 /* refuses every association */
#define KQSIM_NET_RAW_BODY     0x0100 /* ies[] is the whole IE area, fixed fields included */
#define KQSIM_NET_NO_PRIVACY   0x0200 /* clear the privacy bit whatever the security */
#define KQSIM_NET_WPS_LOCKED   0x0400
#define KQSIM_NET_WPS_PIN      0x0800 /* registrar selected for a PIN run: wpsPin is checked */

typedef struct KQSIM_NETWORK {
    unsigned char bssid[6];
    unsigned char ssidLen;
    unsigned char hidden;          /* scan entries carry an empty SSID */
    char ssid[32];
    int rssi;                      /* dBm */
    unsigned int channel;          /* 1-14, 36-165 */
    unsigned int freqKHz;          /* non-zero: DSConfig as given (may lie outside the table) */
    unsigned int infraMode;        /* 0 IBSS, 1 infrastructure, 2 auto */
    unsigned int networkType;      /* NetworkTypeInUse; 0xFFFFFFFF = from the channel */
    unsigned int beaconInterval;   /* TU */
    unsigned int security;         /* KQSIM_SEC_* */
    unsigned int ciphers;          /* KQSIM_CIPHER_* */
    unsigned int flags;            /* KQSIM_NET_* */
    unsigned int ccxVersion;
    unsigned int ipAddress;        /* handed out while connected, first octet in the low byte */
    int noise;                     /* dBm */
    unsigned char rateCount;       /* supported rates, 500 kbit/s, 0x80 = basic */
    unsigned char rates[16];
    unsigned char wepTxKey;        /* index of the key the AP sends with */
    unsigned char wepKeyLen[4];    /* 0, 5 or 13 */
    unsigned char wepKey[4][16];
    unsigned char pskLen;
    char psk[64];                  /* passphrase 8-63 or 64 hex digits */
    char eap[256];                 /* 802.1X settings for the supplicant stand-in, "key=value ..." */
    unsigned char wpsUuid[16];
    char wpsPin[8];                /* KQSIM_NET_WPS_PIN: the eight digits a PIN run must bring */
    unsigned short ieLen;
    unsigned char ies[1024];       /* extra elements appended (or the whole area, RAW_BODY) */
} KQSIM_NETWORK;

typedef struct KQSIM_ADAPTER_CONFIG {
    char guid[KQSIM_GUID_CHARS];   /* NetCfgInstanceId, "{...}" */
    unsigned char mac[6];
    unsigned short driverVersion;  /* OID_GEN_DRIVER_VERSION, e.g. 0x0501 */
    unsigned int model;            /* model index 0-8 */
    unsigned int opMode;           /* OID_VENDOR_OP_MODE at start */
    unsigned int radioOn;
    unsigned int rfOn;             /* ADVANCED_CONFIG word 5 */
    unsigned int dualBand;         /* NETWORK_TYPES lists OFDM5 */
    unsigned int eepromWord36;
    unsigned int eepromVersion;
    unsigned int firmwareVersion;
    unsigned int countryRegion;
    unsigned int wirelessMode;
    unsigned int scanLatencyMs;    /* 0 = default */
    char hardwareId[64];           /* as installed; for listings */
    char description[64];
} KQSIM_ADAPTER_CONFIG;

typedef struct KQSIM_ADAPTER_REF {
    char guid[KQSIM_GUID_CHARS];
    unsigned int value;
} KQSIM_ADAPTER_REF;

typedef struct KQSIM_ADAPTER_STATE {
    KQSIM_ADAPTER_CONFIG config;
    unsigned int slot;             /* the "adapter" field of log entries */
    unsigned int present;          /* device and link exist */
    unsigned int creates, closes, openHandles;
    unsigned int associated;       /* joined a BSS (keys may still be absent) */
    unsigned int connected;        /* media connect status 0 */
    unsigned int authorized;       /* 802.1X / WPA port authorized */
    unsigned int wrongKey;         /* WEP key mismatch picture */
    unsigned int adhoc;
    int network;                   /* index into the air, -1 none (or an IBSS of our own) */
    unsigned char bssid[6];
    unsigned char ssidLen;
    unsigned char pad;
    char ssid[32];
    unsigned int authMode, encryption, infraMode, channel;
    unsigned int radioOn;
    unsigned int scanPending;
    unsigned int wpsCode;          /* current WSC_STATUS */
    unsigned int requests;         /* OID requests served */
} KQSIM_ADAPTER_STATE;

/* Parameters of KQSIM_IOCTL_SET_PARAM. */
enum {
    KQSIM_PARAM_RADIO = 1,          /* 0/1 */
    KQSIM_PARAM_RF_ON = 2,          /* ADVANCED_CONFIG word 5 */
    KQSIM_PARAM_OP_MODE = 3,
    KQSIM_PARAM_SCAN_LATENCY = 4,   /* ms */
    KQSIM_PARAM_AUTHORIZED = 5,     /* supplicant verdict: 1 keys installed, 0 not */
    KQSIM_PARAM_LINK_LOSS = 6,      /* drop the association now */
    KQSIM_PARAM_DRIVER_VERSION = 7,
    KQSIM_PARAM_TRAFFIC = 8,        /* 0 freezes every counter, 1 lets them move (default) */
    KQSIM_PARAM_EEPROM_WORD36 = 9,
    KQSIM_PARAM_DUAL_BAND = 10,
    KQSIM_PARAM_ASSOC_DELAY = 11,   /* ms between the join request and the association */
    KQSIM_PARAM_ADVANCE_FRAMES = 12,/* moves the counters on by that many frames at once */
    KQSIM_PARAM_RCV_OK = 20,
    KQSIM_PARAM_RCV_NO_BUFFER = 21,
    KQSIM_PARAM_TX_BYTES = 22,      /* LINK_STATUS byte counters (wrap modulo 2^32) */
    KQSIM_PARAM_RX_BYTES = 23,
    KQSIM_PARAM_CHANNEL_QUALITY = 24,
    KQSIM_PARAM_ICV_ERROR = 25,
    KQSIM_PARAM_STAT_FIRST = 100    /* + index 0-20 of the 64-bit STATISTICS counters */
};

typedef struct KQSIM_PARAM_REQUEST {
    char guid[KQSIM_GUID_CHARS];
    unsigned int id;
    unsigned int pad;
    long long value;
} KQSIM_PARAM_REQUEST;

/* A stored answer replaces what the driver would work out for the OID
 * (queries only).  mode 0 clears it, 1 stores data; status != 0 makes every
 * request of the OID fail with that NTSTATUS instead. */
typedef struct KQSIM_ANSWER_REQUEST {
    char guid[KQSIM_GUID_CHARS];
    unsigned int oid;              /* either form */
    unsigned int mode;
    int status;
    unsigned int length;
    /* followed by length bytes */
} KQSIM_ANSWER_REQUEST;

#define KQSIM_KIND_QUERY 0x1
#define KQSIM_KIND_SET   0x2

/* count 0 clears the OID's fault, KQSIM_FAULT_ALWAYS never runs out;
 * oid 0 with count 0 clears every fault of the adapter. */
#define KQSIM_FAULT_ALWAYS 0xFFFFFFFFu
typedef struct KQSIM_FAULT_REQUEST {
    char guid[KQSIM_GUID_CHARS];
    unsigned int oid;              /* either form */
    unsigned int kinds;            /* KQSIM_KIND_* */
    unsigned int count;
    int status;                    /* 0 = STATUS_UNSUCCESSFUL */
} KQSIM_FAULT_REQUEST;

/* WPS behaviour.  failCode 0 runs the script to code 15; otherwise the
 * script stops at that code (0x101-0x106, 0x201-0x204).  credentials: the
 * 996-byte block readable at code 15 (count 0 = built from the network).
 * A PIN run on an access point with a PIN (KQSIM_NET_WPS_PIN) that brings
 * other digits stops at 0x106, "Error PIN Code (R-Hash mismatch)": an
 * enrollee after "Received M4", a registrar after "Received M5". */
#define KQSIM_WPS_STEP_PER_QUERY 0xFFFFFFFFu /* stepMs: one step per WSC_STATUS query */
typedef struct KQSIM_WPS_CONFIG {
    char guid[KQSIM_GUID_CHARS];
    unsigned int stepMs;           /* 0 = 1000 */
    unsigned int failCode;
    unsigned int failAfter;        /* steps before the failure code */
    unsigned int useCredentials;
    unsigned char credentials[996];
} KQSIM_WPS_CONFIG;

enum {
    KQSIM_LOG_CREATE = 1,
    KQSIM_LOG_CLOSE = 2,
    KQSIM_LOG_QUERY = 3,
    KQSIM_LOG_SET = 4,
    KQSIM_LOG_MARKER = 5,
    KQSIM_LOG_VANISH = 6,
    KQSIM_LOG_RETURN = 7,
    KQSIM_LOG_OTHER = 8,            /* an IOCTL other than the NDIS query */
    KQSIM_LOG_SUPPLICANT = 9        /* a call into acAuth.dll: text in data, its result in status */
};

/* One call of the supplicant stand-in, logged in sequence with the OID
 * requests.  adapter: the slot of the port's adapter, 0xFFFF for none. */
typedef struct KQSIM_CALL_RECORD {
    unsigned int adapter;
    int status;
    char text[KQSIM_LOG_DATA];
} KQSIM_CALL_RECORD;

typedef struct KQSIM_LOG_ENTRY {
    unsigned int seq;
    unsigned int timeMs;           /* since the driver started */
    unsigned short kind;           /* KQSIM_LOG_* */
    unsigned short adapter;        /* slot, 0xFFFF for markers */
    unsigned int oid;              /* as received */
    unsigned int bufLen;           /* output buffer length */
    int status;                    /* NTSTATUS */
    unsigned int bytesReturned;
    unsigned int dataLen;          /* bytes kept in data: set data, answer or marker text */
    unsigned int inputLen;         /* input buffer length */
    unsigned char data[KQSIM_LOG_DATA];
} KQSIM_LOG_ENTRY;

typedef struct KQSIM_LOG_HEADER {
    unsigned int count;            /* entries that follow */
    unsigned int nextSeq;          /* sequence number the next entry will get */
    unsigned int oldestSeq;        /* oldest entry still held */
    unsigned int pad;
} KQSIM_LOG_HEADER;

#endif
