// Resource ids shared by the program's windows.
#pragma once

#define IDR_MANIFEST 1

// Dialogs
#define IDD_CONFIG_MAIN         102
#define IDD_HIDE_DLG            130
#define IDD_SELECT_ADAPTER      163
#define IDD_MESSAGE_BOX         249

// Icons: the notification icon's states
#define IDI_TRAY_GOOD           131
#define IDI_TRAY_DISCONNECT     132
#define IDI_TRAY_NORMAL         159
#define IDI_TRAY_WEAK           160
#define IDI_TRAY_NO_ADAPTER     161
#define IDI_TRAY_WEP_ERROR      162
#define IDI_MESSAGE             298

// Tray menus
#define IDR_TRAY_MENU_AP        148
#define IDR_TRAY_MENU_BASIC     150
#define IDR_TRAY_MENU_OWN       151
#define IDR_TRAY_MENU_OWN_AP    152
#define IDR_TRAY_MENU_WZC       153
#define IDR_TRAY_MENU_WZC_AP    154

// Tray commands
#define ID_TRAY_LAUNCH          32771
#define ID_TRAY_EXIT            32772
#define ID_TRAY_SWITCH_TO_AP    32773
#define ID_TRAY_USE_OWN_UTILITY 32774
#define ID_TRAY_USE_WZC         32775

// Strings
#define IDS_TIP_WEAK            203
#define IDS_TIP_NOT_EXIST       202
#define IDS_TIP_WEP_ERROR       313
#define IDS_OK                  2132
#define IDS_CANCEL              2133
#define IDS_TIP_GOOD            2199
#define IDS_TIP_DISCONNECTED    2200
#define IDS_TIP_NORMAL          2201

// Message box
#define IDC_MESSAGE_TEXT        3216
#define IDC_MESSAGE_ICON        3217

// Adapter selection
#define IDC_CARD_LIST           1094
#define IDC_CARD_DESCRIPTION    1095
#define IDC_CARD_HARDWARE_ID    1097
#define IDC_CARD_LOCATION       1098
#define IDC_CARD_MAKER          1099

// ---- Widget library and navigation pictures (res/widgets.rc) ----
#define IDD_TAB_CONTAINER       147
#define IDI_NAV_ADVANCED        136
#define IDI_NAV_PROFILE         137
#define IDI_NAV_STATISTICS      141
#define IDI_CHECK_OFF           171
#define IDI_CHECK_ON            172
#define IDI_OPTION_OFF          173
#define IDI_OPTION_ON           174
#define IDI_RADIO_ON            272
#define IDI_RADIO_OFF           273
#define IDI_NAV_WPS             274
#define IDI_NAV_WMM             280
#define IDI_NAV_NETWORK         282
#define IDI_NAV_ABOUT           289
// Toolbar strip of the TTLS inner-method menu (commands 32856, 32859, 32857, 32860, 32861)
#define IDR_TOOLBAR_TTLS        1140
#define ID_TTLS_CHAP            32856
#define ID_TTLS_MSCHAPV2        32857
#define ID_TTLS_MSCHAP          32859
#define ID_TTLS_PAP             32860
#define ID_TTLS_EAPMD5          32861

// ---- Configuration window, its pages and panels, profiles ----
// Dialogs (IDD_CONFIG_MAIN 102 above)
#define IDD_ABOUT_PAGE          136
#define IDD_PROFILE_PAGE        143
#define IDD_SITE_SURVEY_PAGE    144
#define IDD_ADVANCED_PAGE       145
#define IDD_STATISTICS_PAGE     146
#define IDD_PEAP_SETTING        165
#define IDD_LINK_STATUS         170
#define IDD_PROFILE_EDIT        179
#define IDD_WPS_PROFILE_DETAIL  247
#define IDD_NETWORK_INFO        257
#define IDD_WMM_PAGE            262
#define IDD_WPS_PAGE            263
#define IDD_CREDENTIAL_PROMPT   2242
#define IDD_AUTH_STATUS         2244

// The profile list's images: 0 ad hoc, 1 infrastructure, 2 a, 3 b, 4 g,
// 5 secured, 6 connected, 7 not connected, 8 WPS, 9 n
#define IDB_PROFILE_LIST        167

// Navigation buttons (children of the page container)
#define IDC_NAV_PROFILE         1124
#define IDC_NAV_NETWORK         1125
#define IDC_NAV_ADVANCED        1126
#define IDC_NAV_STATISTICS      1127
#define IDC_NAV_BLANK_1128      1128
#define IDC_NAV_WMM             1278
#define IDC_NAV_WPS             1279
#define IDC_NAV_RADIO           6248
#define IDC_NAV_BLANK_6249      6249
#define IDC_NAV_ABOUT           6252
#define IDC_NAV_HELP            6253
#define IDC_NAV_BLANK_6254      6254

// Profile page
#define IDC_PROFILE_LIST        1024
#define IDC_PROFILE_ADD         1133
#define IDC_PROFILE_EDIT        1134
#define IDC_PROFILE_DELETE      1135
#define IDC_PROFILE_APPLY       1136
#define IDC_PROFILE_TITLE       13000
#define IDC_PROFILE_LABEL_FIRST 13001   // 11 labels, 13001..13011, in the order of the details
#define IDC_PROFILE_VALUE_FIRST 13021   // 11 value texts, 13021..13031

// Strings
#define IDS_NO_SELECTED_ITEM    109
#define IDS_NAV_NETWORK         182
#define IDS_NAV_STATISTICS      183
#define IDS_NAV_WMM             337
#define IDS_NAV_RADIO_TIP       397
#define IDS_NAV_ABOUT_TIP       398
#define IDS_PROFILE_IN_USE      2177
#define IDS_NAV_PROFILE         2180
#define IDS_NAV_ADVANCED        2188
#define IDS_PROFILE_NAME_PREFIX 2189
#define IDS_NAV_WPS             6278
#define IDS_PROFILE_LIST_TITLE  13100
#define IDS_PROFILE_ADD         13101
#define IDS_PROFILE_EDIT        13102
#define IDS_PROFILE_DELETE      13103
#define IDS_PROFILE_ACTIVATE    13104
#define IDS_LABEL_PROFILE_NAME  13110
#define IDS_LABEL_SSID          13111
#define IDS_LABEL_NETWORK_TYPE  13112
#define IDS_LABEL_AUTHENTICATION 13113
#define IDS_LABEL_ENCRYPTION    13114
#define IDS_LABEL_USE_8021X     13115
#define IDS_LABEL_CHANNEL       13116
#define IDS_LABEL_POWER_SAVE    13117
#define IDS_LABEL_TX_POWER      13118

// ---- Site survey page (dialog 144 in res/mainwnd.rc, strings in res/survey.rc) ----
// The survey list's images are bitmap 167, shared with the profile list.
#define IDB_LIST_IMAGES         IDB_PROFILE_LIST
#define IDC_SURVEY_LIST         1014
#define IDC_SURVEY_RESCAN       1015
#define IDC_SURVEY_CONNECT      1016
#define IDC_SURVEY_TITLE        1045
#define IDC_SURVEY_SORT_SSID    1062
#define IDC_SURVEY_SORT_CHANNEL 1063
#define IDC_SURVEY_SORT_SIGNAL  1064
#define IDC_SURVEY_SHOW_DBM     1065
#define IDC_SURVEY_SORTED_BY    1066
#define IDC_SURVEY_ADD_PROFILE  1067
#define IDC_SURVEY_LABEL_SSID   1287
#define IDC_SURVEY_LABEL_CHANNEL 1288
#define IDC_SURVEY_LABEL_SIGNAL 1289
#define IDC_SURVEY_LABEL_DBM    1290
#define IDS_SURVEY_SSID         14001
#define IDS_SURVEY_CHANNEL      14002
#define IDS_SURVEY_SIGNAL       14003
#define IDS_SURVEY_SHOW_DBM     14004
#define IDS_SURVEY_TITLE        14005
#define IDS_SURVEY_RESCAN       14006
#define IDS_SURVEY_CONNECT      14007
#define IDS_SURVEY_ADD_PROFILE  14008

#include "peap_ids.h"
#include "credential_ids.h"
#include "linkstatus_ids.h"
// ---- Profile editor and its tabs (res/profileedit.rc) ----
#include "profileedit_ids.h"
// ---- EAP settings dialog and its pages (res/eapsettings.rc) ----
#include "eapsettings_ids.h"
// ---- Network information panel and the engineering dialogs (res/netinfo.rc) ----
#include "netinfo_ids.h"
// ---- Authentication status list (res/authstatus.rc) ----
#include "authstatus_ids.h"
// ---- Joining a scanned network: hidden SSID and connect settings (res/join.rc) ----
#include "join_ids.h"
// ---- Advanced page (res/advanced.rc) ----
#include "advanced_ids.h"
// ---- WMM and Direct Link Setup page (res/wmm.rc) ----
#include "wmm_ids.h"
// ---- WPS page and WPS profile detail panel (res/wps.rc) ----
#include "wps_ids.h"
