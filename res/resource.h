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
