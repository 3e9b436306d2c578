// Ids of the authentication status list (panel 5, dialog 2244 in
// authstatus.rc, which also holds its texts).
#pragma once

#define IDC_AUTH_STATUS_TITLE       1253
#define IDC_AUTH_STATUS_PROFILE     1005
#define IDC_AUTH_STATUS_LIST        1280
#define IDC_AUTH_STATUS_OK          1144
#define IDC_AUTH_STATUS_CANCEL      1145
#define IDC_AUTH_STATUS_CARD        4283

// The two label captions are also the credential re-entry panel's.
#define IDS_CARD_NAME_LABEL         358
#define IDS_PROFILE_NAME_LABEL      359
#define IDS_AUTH_STATUS_TITLE       6248
#define IDS_CONNECTED_BY_MANUAL     6286
