// Ids of the advanced page (dialog 145); its template, menu and texts are in
// res/advanced.rc.
#pragma once

// ---- Controls ------------------------------------------------------------------
#define IDC_ADV_BG_REGION           1000
#define IDC_ADV_A_REGION            1001
#define IDC_ADV_ROAM_THRESHOLD      1106
#define IDC_ADV_WIRELESS_MODE       1107
#define IDC_ADV_TX_BURST            1109
#define IDC_ADV_LEAP_CCKM           1110
#define IDC_ADV_CCX2                1112
#define IDC_ADV_RADIO_MEASURE       1114
#define IDC_ADV_LIMIT_ON            1115
#define IDC_ADV_QOS                 1116
#define IDC_ADV_FAST_ROAMING        1117
#define IDC_ADV_TCP_WINDOW          1119
#define IDC_ADV_APPLY               1136
#define IDC_ADV_MEASURE_LIMIT       1220
#define IDC_ADV_REGION_HEADING      1227
#define IDC_ADV_STBC_AUTO           1278
#define IDC_ADV_MCS                 1279
#define IDC_ADV_TX_RATE_TEXT        1280
#define IDC_ADV_HT_GF               1283
#define IDC_ADV_EXTCHA_NONE         1285
#define IDC_ADV_EXTCHA_ABOVE        1286
#define IDC_ADV_EXTCHA_BELOW        1287
#define IDC_ADV_SHOW_AUTH_STATUS    1312
#define IDC_ADV_SHOW_AUTH_LABEL     1313
#define IDC_ADV_BW_20               3273
#define IDC_ADV_BW_AUTO             3274
#define IDC_ADV_STBC_NONE           3277
#define IDC_ADV_HT_MM               3282
#define IDC_ADV_GI_LONG             4275
#define IDC_ADV_GI_AUTO             4276
// Controls the page names only by what they do.
#define IDC_ADV_LABEL_MODE          29101
#define IDC_ADV_LABEL_BG            29102
#define IDC_ADV_LABEL_A             29103
#define IDC_ADV_LABEL_TX_RATE       29104
#define IDC_ADV_TX_RATE             29105
#define IDC_ADV_LABEL_PROTECTION    29106
#define IDC_ADV_PROTECTION          29107
#define IDC_ADV_LABEL_DBM           29108
#define IDC_ADV_LABEL_MS            29109
#define IDC_ADV_HT_HEADING          29111
#define IDC_ADV_LABEL_HT_MODE       29112
#define IDC_ADV_LABEL_BW            29113
#define IDC_ADV_LABEL_GI            29114
#define IDC_ADV_LABEL_STBC          29115
#define IDC_ADV_LABEL_EXTCHA        29116
#define IDC_ADV_LABEL_MCS           29117

// ---- The protection button's menu ------------------------------------------------
#define IDR_MENU_PROTECTION         29001
#define ID_PROTECTION_ON            32887
#define ID_PROTECTION_AUTO          32888
#define ID_PROTECTION_OFF           32889

// ---- Strings -------------------------------------------------------------------
#define IDS_ADV_AUTO                122
#define IDS_ADV_SET_CHANNEL         237
#define IDS_ADV_SHOW_AUTH_STATUS    381
#define IDS_ADV_GF_SGI_STBC         4281
