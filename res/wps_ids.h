// Ids of the WPS page (dialog 263) and the WPS profile detail panel
// (dialog 247), both in wps.rc, which also holds their texts.
#pragma once

// ---- WPS page ----
#define IDC_WPS_PIN_EDIT            1243
#define IDC_WPS_DETAIL              1265
#define IDC_WPS_CONFIG_MODE         1363
#define IDC_WPS_AP_TITLE            3250
#define IDC_WPS_PROFILE_TITLE       3251
#define IDC_WPS_PIN_GROUP           3252
#define IDC_WPS_MODE_GROUP          3253
#define IDC_WPS_AP_LIST             3255
#define IDC_WPS_RESCAN              3256
#define IDC_WPS_PIN                 3257
#define IDC_WPS_INFORMATION         3261
#define IDC_WPS_PBC                 3262
#define IDC_WPS_CONNECT             3266
#define IDC_WPS_ASSOCIATE_IE        3271
#define IDC_WPS_STATUS              4260
#define IDC_WPS_ROTATE              4267
#define IDC_WPS_DISCONNECT          4268
#define IDC_WPS_DELETE              4269
#define IDC_WPS_PROBE_IE            4272
#define IDC_WPS_PROGRESS            5264
#define IDC_WPS_PROFILE_LIST        5258

#define IDS_WPS_ENROLLEE            404
#define IDS_WPS_REGISTRAR           405
#define IDS_WPS_AP_LIST_TITLE       30001
#define IDS_WPS_PROFILE_LIST_TITLE  30002
#define IDS_WPS_RESCAN              30003
#define IDS_WPS_INFORMATION         30004
#define IDS_WPS_PIN_GROUP           30005
#define IDS_WPS_MODE_GROUP          30006
#define IDS_WPS_DETAIL              30007
#define IDS_WPS_CONNECT             30008
#define IDS_WPS_ROTATE              30009
#define IDS_WPS_DISCONNECT          30010
#define IDS_WPS_DELETE              30011
#define IDS_WPS_PIN                 30012
#define IDS_WPS_PBC                 30013
#define IDS_WPS_ASSOCIATE_IE        30014
#define IDS_WPS_PROBE_IE            30015
#define IDS_WPS_PROGRESS            30016

// ---- WPS profile detail panel ----
#define IDC_WPSD_SSID               1131
#define IDC_WPSD_OK                 1144
#define IDC_WPSD_CANCEL             1145
#define IDC_WPSD_AUTH_TEXT          1216
#define IDC_WPSD_ENCR_TEXT          1217
#define IDC_WPSD_KEY_INDEX          1364
#define IDC_WPSD_ENCR               1365
#define IDC_WPSD_AUTH               1366
#define IDC_WPSD_KEY_LENGTH         1367
#define IDC_WPSD_KEY_INDEX_TEXT     3112
#define IDC_WPSD_SHOW_PASSWORD      3241
#define IDC_WPSD_ASCII              3242
#define IDC_WPSD_ASCII_LABEL        3243
#define IDC_WPSD_SHOW_LABEL         3244
#define IDC_WPSD_KEY                3269
#define IDC_WPSD_KEY_LENGTH_TEXT    4015
#define IDC_WPSD_LABEL_FIRST        3101   // six labels, 3101..3106, SSID to Key Material

#define IDS_WPSD_ASCII_FORMAT       30040
#define IDS_WPSD_SHOW_PASSWORD      30041
