// Ids of the profile editor (dialog 179, in mainwnd.rc), its System Config
// tab (244) and its security tab (182); templates, menus and texts in
// profileedit.rc.
#pragma once

// ---- Dialogs ----
#define IDD_AUTH_SECURITY       182
#define IDD_SYSTEM_CONFIG       244

// ---- Profile editor (panel 2) ----
#define IDC_EDIT_TAB_SYSCONFIG  1163
#define IDC_EDIT_TAB_SECURITY   1129
#define IDC_EDIT_TAB_8021X      1130
#define IDC_EDIT_OK             1144
#define IDC_EDIT_CANCEL         1145

// ---- Security tab (dialog 182) ----
#define IDR_MENU_AUTH           187
#define IDR_MENU_ENCRYPTION     218
#define IDR_MENU_KEY1_FORMAT    232
#define IDR_MENU_KEY2_FORMAT    233
#define IDR_MENU_KEY3_FORMAT    234
#define IDR_MENU_KEY4_FORMAT    235

#define IDC_SEC_AUTH            1076
#define IDC_SEC_ENCRYPTION      1077
#define IDC_SEC_8021X           1078
#define IDC_SEC_KEY1_FORMAT     1079
#define IDC_SEC_PSK             1082
#define IDC_SEC_DEFAULT_KEY1    1083   // radios 1083..1086
#define IDC_SEC_DEFAULT_KEY2    1084
#define IDC_SEC_DEFAULT_KEY3    1085
#define IDC_SEC_DEFAULT_KEY4    1086
#define IDC_SEC_KEY2_FORMAT     1087
#define IDC_SEC_KEY3_FORMAT     1088
#define IDC_SEC_KEY4_FORMAT     1089
#define IDC_SEC_KEY1            1090   // edits 1090..1093
#define IDC_SEC_KEY2            1091
#define IDC_SEC_KEY3            1092
#define IDC_SEC_KEY4            1093
#define IDC_SEC_LEAP_ID         1130
#define IDC_SEC_LEAP_PASSWORD   1131
#define IDC_SEC_LEAP_DOMAIN     3143
#define IDC_SEC_LEAP_WEP        3219   // radios 3219, 3067, 3220
#define IDC_SEC_LEAP_TKIP       3067
#define IDC_SEC_LEAP_AES        3220
#define IDC_SEC_SHOW_PASSWORD   3241
// Labels of the security tab
#define IDC_SEC_LABEL_AUTH      15001
#define IDC_SEC_LABEL_ENCRYPTION 15002
#define IDC_SEC_LABEL_PSK       15003
#define IDC_SEC_WEP_SEPARATOR   15004
#define IDC_SEC_LABEL_KEY1      15005   // 15005..15008
#define IDC_SEC_LABEL_KEY2      15006
#define IDC_SEC_LABEL_KEY3      15007
#define IDC_SEC_LABEL_KEY4      15008
#define IDC_SEC_LABEL_SHOW_PASSWORD 15009
#define IDC_SEC_LABEL_8021X     15010
#define IDC_SEC_LABEL_LEAP_ID   15011
#define IDC_SEC_LABEL_LEAP_PASSWORD 15012
#define IDC_SEC_LABEL_LEAP_DOMAIN 15013
#define IDC_SEC_LABEL_LEAP_WEP  15014
#define IDC_SEC_LABEL_LEAP_TKIP 15015
#define IDC_SEC_LABEL_LEAP_AES  15016

#define ID_AUTH_OPEN            32776
#define ID_AUTH_SHARED          32785
#define ID_AUTH_LEAP            32802
#define ID_AUTH_WPA             32803
#define ID_AUTH_WPA_PSK         32804
#define ID_AUTH_WPA2            32805
#define ID_AUTH_WPA2_PSK        32806
#define ID_AUTH_WPA_NONE        32811
#define ID_ENCRYPTION_NONE      32812
#define ID_ENCRYPTION_WEP       32813
#define ID_ENCRYPTION_TKIP      32814
#define ID_ENCRYPTION_AES       32815
#define ID_KEY1_HEX             32842
#define ID_KEY1_ASCII           32843
#define ID_KEY2_HEX             32844
#define ID_KEY2_ASCII           32845
#define ID_KEY3_HEX             32846
#define ID_KEY3_ASCII           32847
#define ID_KEY4_HEX             32848
#define ID_KEY4_ASCII           32849

// ---- System Config tab (dialog 244) ----
#define IDR_MENU_NETWORK_TYPE   251
#define IDR_MENU_PREAMBLE       252
#define IDR_MENU_TX_POWER       253

#define IDC_SYS_PROFILE_NAME    1151
#define IDC_SYS_CAM             1152
#define IDC_SYS_PSM             1153
#define IDC_SYS_NETWORK_TYPE    1154
#define IDC_SYS_TX_POWER        1142
#define IDC_SYS_PREAMBLE        1143
#define IDC_SYS_USE_RTS         1157
#define IDC_SYS_USE_FRAG        1158
#define IDC_SYS_RTS_SLIDER      1159
#define IDC_SYS_FRAG_SLIDER     1160
#define IDC_SYS_RTS_EDIT        1161
#define IDC_SYS_FRAG_EDIT       1162
#define IDC_SYS_CHANNEL         1168
#define IDC_SYS_SSID            1241
// Labels of the System Config tab
#define IDC_SYS_LABEL_PROFILE_NAME 15101
#define IDC_SYS_LABEL_SSID      15102
#define IDC_SYS_LABEL_POWER_SAVE 15103
#define IDC_SYS_LABEL_NETWORK_TYPE 15104
#define IDC_SYS_LABEL_TX_POWER  15105
#define IDC_SYS_LABEL_PREAMBLE  15106
#define IDC_SYS_LABEL_CHANNEL   15107
#define IDC_SYS_LABEL_CAM       15108
#define IDC_SYS_LABEL_PSM       15109
#define IDC_SYS_RTS_MIN         15110
#define IDC_SYS_RTS_MAX         15111
#define IDC_SYS_FRAG_MIN        15112
#define IDC_SYS_FRAG_MAX        15113

#define ID_NETWORK_INFRASTRUCTURE 32877
#define ID_NETWORK_ADHOC        32878
#define ID_PREAMBLE_AUTO        32879
#define ID_PREAMBLE_LONG        32880
#define ID_TX_POWER_AUTO        32881
#define ID_TX_POWER_75          32882
#define ID_TX_POWER_50          32883
#define ID_TX_POWER_25          32884
#define ID_TX_POWER_10          32885
#define ID_TX_POWER_LOWEST      32886
#define ID_TX_POWER_100         32891

// ---- Strings ----
#define IDS_TAB_SYSTEM_CONFIG   186
#define IDS_ENTER_SSID          191
#define IDS_LEAP_ID_REQUIRED    309
#define IDS_TAB_AUTH_SECURITY   6288
#define IDS_TAB_8021X           15201
#define IDS_BAD_PROFILE_NAME    15202
#define IDS_PROFILE_NOT_SAVED   15203
#define IDS_PROFILE_NAME_TAKEN  15206
#define IDS_PSK_TOO_SHORT       15204
#define IDS_PSK_NOT_HEX         15205
#define IDS_WEP_KEY1_HEX        15211   // key n hexadecimal: 15211 + 2 (n - 1)
#define IDS_WEP_KEY1_ASCII      15212   // key n ASCII: 15212 + 2 (n - 1)
#define IDS_WEP_KEY1_NOT_HEX    15221   // key n hexadecimal with other characters: 15221 + (n - 1)
#define IDS_SYS_RTS_THRESHOLD   15230
#define IDS_SYS_FRAG_THRESHOLD  15231
