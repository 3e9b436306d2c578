// Ids of the EAP settings dialog (183) and its four pages: tunnel
// credentials (236), EAP-FAST PAC (275), client certificate (237) and
// server certificate (238); templates, menus and texts in eapsettings.rc.
// The TTLS inner-method commands and their toolbar (1140) are the widget
// library's (resource.h).
#pragma once

// ---- Dialogs ----
#define IDD_EAP_SETTINGS        183
#define IDD_TUNNEL_CREDENTIAL   236
#define IDD_CLIENT_CERT         237
#define IDD_SERVER_CERT         238
#define IDD_EAP_FAST_PAC        275

// ---- Menus ----
#define IDR_MENU_EAP_METHOD     239
#define IDR_MENU_EAP_INNER      240
#define IDR_MENU_TTLS_INNER     241

#define ID_EAP_PEAP             32850
#define ID_EAP_TLS              32851
#define ID_EAP_TTLS             32852
#define ID_EAP_FAST             32887
#define ID_EAP_MD5              32889
#define ID_INNER_MSCHAPV2       32853
#define ID_INNER_TLS            32854
#define ID_INNER_GTC            32855

// ---- EAP settings dialog (183) ----
#define IDC_EAP_METHOD          1094
#define IDC_EAP_LABEL_METHOD    1095
#define IDC_EAP_LABEL_TUNNEL    1096
#define IDC_EAP_TUNNEL          1098
#define IDC_EAP_SESSION         1143
#define IDC_EAP_LABEL_SESSION   1327
// Tab buttons (children of the dialog's tab container)
#define IDC_EAP_TAB_CREDENTIAL  1131
#define IDC_EAP_TAB_CLIENT_CERT 1132
#define IDC_EAP_TAB_FAST        6250
#define IDC_EAP_TAB_SERVER_CERT 27101

// ---- Tunnel credential page (236) ----
#define IDC_CRED_LABEL_PASSWORD 1099
#define IDC_CRED_LABEL_TUNNEL_ID 1100
#define IDC_CRED_LABEL_TUNNEL_PASSWORD 1101
#define IDC_CRED_ID             1102
#define IDC_CRED_TUNNEL_ID      1103
#define IDC_CRED_PASSWORD       1104
#define IDC_CRED_TUNNEL_PASSWORD 1105
#define IDC_CRED_GROUP_USER     1106
#define IDC_CRED_LABEL_ID       1146
#define IDC_CRED_GROUP_TUNNEL   1147
#define IDC_CRED_LABEL_PASSWORD_MODE 1148
#define IDC_CRED_SOFT_TOKEN     1149
#define IDC_CRED_STATIC_PASSWORD 1150
#define IDC_CRED_LABEL_DOMAIN   3159
#define IDC_CRED_DOMAIN         4265

// ---- Client certificate page (237) ----
#define IDC_CCERT_LABEL_ISSUED_TO 1107
#define IDC_CCERT_LABEL_ISSUED_BY 1108
#define IDC_CCERT_LABEL_EXPIRY  1109
#define IDC_CCERT_LABEL_FRIENDLY 1110
#define IDC_CCERT_COMBO         1115
#define IDC_CCERT_ISSUED_TO     1120
#define IDC_CCERT_ISSUED_BY     1121
#define IDC_CCERT_EXPIRY        1122
#define IDC_CCERT_FRIENDLY      1123
#define IDC_CCERT_USE           1141
#define IDC_CCERT_LABEL_USE     1318

// ---- Server certificate page (238) ----
#define IDC_SCERT_SERVER_NAME   1111
#define IDC_SCERT_COMBO         1112
#define IDC_SCERT_INTERMEDIATE  1116
#define IDC_SCERT_LABEL_SERVER_NAME 1117
#define IDC_SCERT_EXACT         1118
#define IDC_SCERT_DOMAIN        1119
#define IDC_SCERT_USE           1142
#define IDC_SCERT_LABEL_USE     1319
#define IDC_SCERT_LABEL_INTERMEDIATE 1320
#define IDC_SCERT_LABEL_EXACT   1321
#define IDC_SCERT_LABEL_DOMAIN  1322

// ---- EAP-FAST PAC page (275) ----
#define IDC_PAC_TUNNEL          1142
#define IDC_PAC_LABEL_TUNNEL    1156
#define IDC_PAC_LABEL_UNAUTH    1291
#define IDC_PAC_LABEL_USE_PAC   1292
#define IDC_PAC_PATH            1293
#define IDC_PAC_USE_PAC         3138
#define IDC_PAC_IMPORT          3139
#define IDC_PAC_REMOVE          3140
#define IDC_PAC_UNAUTH          3141
#define IDC_PAC_LABEL_PATH      3155

// ---- Strings ----
#define IDS_EAP_METHOD_LABEL    138
#define IDS_CRED_IDENTITY       252
#define IDS_CRED_PASSWORD       253
#define IDS_EAP_TUNNEL_LABEL    261
#define IDS_CRED_TUNNEL_IDENTITY 275
#define IDS_CRED_TUNNEL_PASSWORD 276
#define IDS_TAB_SERVER_CERT     278
#define IDS_TAB_CLIENT_CERT     279
#define IDS_IDENTITY_REQUIRED   281
#define IDS_TUNNEL_ID_PASSWORD_REQUIRED 282
#define IDS_TUNNEL_ID_REQUIRED  283
#define IDS_MD5_PASSWORD_REQUIRED 284
#define IDS_SELECT_CLIENT_CERT  285
#define IDS_PAC_FILTER          349
#define IDS_PAC_FILE_PATH       350
#define IDS_PAC_USE_PAC         351
#define IDS_PAC_IMPORT          352
#define IDS_PAC_REMOVE          353
#define IDS_PAC_UNAUTH          354
#define IDS_PAC_TUNNEL          355
#define IDS_CRED_DOMAIN         366
#define IDS_CRED_TUNNEL_GROUP   6257
#define IDS_TAB_ID_PASSWORD     6287
#define IDS_TAB_EAP_FAST        27150
#define IDS_BAD_DOMAIN_NAME     27151
#define IDS_PAC_PATH_TOO_LONG   27152
