// Ids of the WMM and Direct Link Setup page (dialog 262); its template and
// texts are in res/wmm.rc.
#pragma once

// ---- Controls ------------------------------------------------------------------
#define IDC_WMM_AC_BK               1227
#define IDC_WMM_AC_BE               1229
#define IDC_WMM_AC_VI               1231
#define IDC_WMM_AC_VO               1233
#define IDC_WMM_STATUS_GROUP        1235
#define IDC_WMM_LABEL_WMM           1237
#define IDC_WMM_STATUS              1238
#define IDC_WMM_LABEL_POWER_SAVE    1239
#define IDC_WMM_POWER_SAVE_STATUS   1240
#define IDC_WMM_LABEL_DLS           1241
#define IDC_WMM_DLS_STATUS          1242
#define IDC_WMM_DLS_ENABLE          1250
#define IDC_WMM_LABEL_MAC           1252
#define IDC_WMM_MAC1                1253
#define IDC_WMM_LABEL_TIMEOUT       1254
#define IDC_WMM_TIMEOUT             1255
#define IDC_WMM_DLS_SETUP           1256
#define IDC_WMM_MAC2                1258
#define IDC_WMM_MAC3                1260
#define IDC_WMM_MAC4                1261
#define IDC_WMM_MAC5                1262
#define IDC_WMM_MAC6                1263
#define IDC_WMM_ENABLE              1264
#define IDC_WMM_DLS_LIST            1267
#define IDC_WMM_DLS_TEAR_DOWN       1268
#define IDC_WMM_POWER_SAVE          1277
#define IDC_WMM_MAC_DASH1           29301   // the "-" between the address edits, 29301..29305
#define IDC_WMM_LABEL_SECONDS       29306

// ---- Strings -------------------------------------------------------------------
#define IDS_WMM_APPLY               212
#define IDS_WMM_TIMEOUT_LABEL       331
#define IDS_WMM_INVALID_MAC         332
#define IDS_WMM_GROUP_MAC           333
#define IDS_WMM_TIMEOUT_RANGE       335
#define IDS_WMM_ENABLE              336
#define IDS_WMM_TEAR_DOWN           338
#define IDS_WMM_POWER_SAVE_ENABLE   340
#define IDS_WMM_DLS_ENABLE          341
#define IDS_WMM_DIRECT_LINK         342
#define IDS_WMM_POWER_SAVE_LABEL    345
#define IDS_WMM_MAC_LABEL           346
#define IDS_WMM_SETUP_STATUS        6262
#define IDS_WMM_DISABLED            6263
#define IDS_WMM_ENABLED             6264
#define IDS_WMM_WMM_LABEL           29310
#define IDS_WMM_COLUMN_MAC          29311
#define IDS_WMM_COLUMN_TIMEOUT      29312
#define IDS_WMM_SECONDS             29313
