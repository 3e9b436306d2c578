// Ids of the two panels that finish a join from the site survey: the hidden
// SSID (panel 1) and the connect settings (panel 3); templates and texts in
// join.rc.  The connect settings' tabs are the profile editor's pages
// (profileedit_ids.h, eapsettings_ids.h).
#pragma once

// ---- Dialogs ----
#define IDD_HIDDEN_SSID         180
#define IDD_CONNECT_SETTINGS    181

// ---- Hidden SSID (panel 1) ----
#define IDC_HIDDEN_SSID_EDIT    1068
#define IDC_HIDDEN_LABEL        1070
#define IDC_HIDDEN_OK           1144
#define IDC_HIDDEN_CANCEL       1145

// ---- Connect settings (panel 3); its tab buttons are the editor's 1129, 1130 ----
#define IDC_CONNECT_OK          1144
#define IDC_CONNECT_CANCEL      1145

// ---- Strings ----
#define IDS_HIDDEN_ENTER_SSID   131
#define IDS_JOIN_NOT_STARTED    15250
