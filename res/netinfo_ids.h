// Ids of the network information panel (dialog 257) and its four tabs
// (258-261), the Block-Ack session dialogs (3242, 3245), the 802.11n
// aggregation dialog (3243) and the register tool (131); templates and texts
// in netinfo.rc.  IDD_NETWORK_INFO itself stands in resource.h.
#pragma once

// ---- Dialogs ----
#define IDD_REGISTER_TOOL           131
#define IDD_NETINFO_GENERAL         258
#define IDD_NETINFO_WPS             259
#define IDD_NETINFO_CCX             260
#define IDD_NETINFO_HT              261
#define IDD_ADD_BA                  3242
#define IDD_HT_AGGREGATION          3243
#define IDD_DELETE_BA               3245

// ---- Network information panel (257) ----
#define IDC_NETINFO_OK              1144
#define IDC_NETINFO_TAB_GENERAL     1244
#define IDC_NETINFO_TAB_WPS         1245
#define IDC_NETINFO_TAB_CCX         1246
#define IDC_NETINFO_TAB_HT          1247

// ---- General tab (258): labels, their values, the signal bar, the rates ----
#define IDC_GEN_LABEL_SSID          1130
#define IDC_GEN_LABEL_MAC           1217
#define IDC_GEN_LABEL_AUTH          1206
#define IDC_GEN_LABEL_ENCRYPTION    1218
#define IDC_GEN_LABEL_CHANNEL       1030
#define IDC_GEN_LABEL_NETWORK_TYPE  1036
#define IDC_GEN_LABEL_BEACON        1277
#define IDC_GEN_SIGNAL_BAR          1221
#define IDC_GEN_RATES_GROUP         1222
#define IDC_GEN_RATES               1223
#define IDC_GEN_SSID                25201
#define IDC_GEN_MAC                 25202
#define IDC_GEN_AUTH                25203
#define IDC_GEN_ENCRYPTION          25204
#define IDC_GEN_CHANNEL             25205
#define IDC_GEN_NETWORK_TYPE        25206
#define IDC_GEN_BEACON              25207

// ---- WPS tab (259): values 1216-1223, 1225, 1226; 1224 is not used ----
#define IDC_WPSAP_AUTH              1216
#define IDC_WPSAP_ENCRYPTION        1217
#define IDC_WPSAP_CONFIG_METHODS    1218
#define IDC_WPSAP_PASSWORD_ID       1219
#define IDC_WPSAP_REGISTRAR         1220
#define IDC_WPSAP_STATE             1221
#define IDC_WPSAP_VERSION           1222
#define IDC_WPSAP_SETUP_LOCKED      1223
#define IDC_WPSAP_UNUSED            1224
#define IDC_WPSAP_UUID              1225
#define IDC_WPSAP_RF_BANDS          1226
#define IDC_WPSAP_LABEL_FIRST       25301   // ten labels, 25301..25310, in the order of the values

// ---- CCX tab (260) ----
#define IDC_CCX_CCKM                1284
#define IDC_CCX_CMIC                1285
#define IDC_CCX_CKIP                1286
#define IDC_CCX_LABEL_CCKM          25401
#define IDC_CCX_LABEL_CMIC          25402
#define IDC_CCX_LABEL_CKIP          25403

// ---- 802.11n tab (261) ----
#define IDC_HT_PROPERTY_LIST        1279

// ---- Block-Ack session dialogs (3242, 3245) ----
#define IDC_BA_TID                  1310
#define IDC_BA_BSSID_LIST           4242
#define IDC_BA_WINDOW_SIZE          4243
#define IDC_BA_OK                   1144
#define IDC_BA_CANCEL               1145
#define IDC_BA_LABEL_TID            25501
#define IDC_BA_LABEL_WINDOW         25502
#define IDC_BA_LABEL_BSSIDS         25503

// ---- 802.11n aggregation dialog (3243) ----
#define IDC_AGG_AMSDU               3258
#define IDC_AGG_AMSDU_3839          3262
#define IDC_AGG_AMSDU_7935          3265
#define IDC_AGG_SM_ENABLE           4267
#define IDC_AGG_SM_STATIC           4266
#define IDC_AGG_SM_DYNAMIC          3268
#define IDC_AGG_MPDU                4260
#define IDC_AGG_MANUAL              5242
#define IDC_AGG_AUTO                5243
#define IDC_AGG_DENSITY             1281
#define IDC_AGG_APPLY               4259
#define IDC_AGG_ORIGINATOR_LIST     3257
#define IDC_AGG_RECIPIENT_LIST      3256
#define IDC_AGG_ORIGINATOR_ADD      1133
#define IDC_AGG_ORIGINATOR_DELETE   1135
#define IDC_AGG_ORIGINATOR_DELETE_ALL 3248
#define IDC_AGG_RECIPIENT_ADD       3275
#define IDC_AGG_RECIPIENT_DELETE    3276
#define IDC_AGG_RECIPIENT_DELETE_ALL 1277
#define IDC_AGG_SMPS_GROUP          25601
#define IDC_AGG_LABEL_DENSITY       25602
#define IDC_AGG_LABEL_ORIGINATOR    25603
#define IDC_AGG_LABEL_RECIPIENT     25604

// ---- Register tool (131) ----
#define IDC_REG_MAC_OFFSET          1337
#define IDC_REG_MAC_VALUE           1328
#define IDC_REG_MAC_QUERY           1331
#define IDC_REG_MAC_SET             1334
#define IDC_REG_BBP_ID              1338
#define IDC_REG_BBP_VALUE           1329
#define IDC_REG_BBP_QUERY           1332
#define IDC_REG_BBP_SET             1335
#define IDC_REG_BBP_TUNING          1361
#define IDC_REG_BBP_TUNING_SET      1340
#define IDC_REG_RF_R1               1343
#define IDC_REG_RF_R2               1347
#define IDC_REG_RF_R3               1348
#define IDC_REG_RF_R4               1349
#define IDC_REG_RF_TUNING           1354
#define IDC_REG_RF_SET              1336
#define IDC_REG_R17_STEP            1362
#define IDC_REG_R17_LIMIT           1346
#define IDC_REG_R17_MAX             1345
#define IDC_REG_R17_ENABLE          1344
#define IDC_REG_R17_QUERY           1350
#define IDC_REG_R17_SET             1351
#define IDC_REG_EEPROM_OFFSET       1341
#define IDC_REG_EEPROM_VALUE        1342
#define IDC_REG_EEPROM_QUERY        1352
#define IDC_REG_EEPROM_SET          1353
#define IDC_REG_R17_GROUP           25701   // the R17 box and its texts, 25701..25706

// ---- Strings ----
#define IDS_SIGNAL_STRENGTH         8
#define IDS_NETINFO_TAB_GENERAL     25001
#define IDS_NETINFO_TAB_WPS         25002
#define IDS_NETINFO_TAB_CCX         25003
#define IDS_NETINFO_TAB_HT          25004
#define IDS_GEN_SSID                25010
#define IDS_GEN_MAC                 25011
#define IDS_GEN_AUTH                25012
#define IDS_GEN_ENCRYPTION          25013
#define IDS_GEN_CHANNEL             25014
#define IDS_GEN_NETWORK_TYPE        25015
#define IDS_GEN_BEACON              25016
#define IDS_GEN_RATES               25017
#define IDS_WPSAP_LABEL_FIRST       25020   // ten label texts, 25020..25029
