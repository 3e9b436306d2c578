// Ids of the 802.1X panels: the credential re-entry panel (dialog 2242) and
// the strings of both it and the PEAP panel (dialog 165, ids in
// peap_ids.h); templates and texts in res/credential.rc.
#pragma once

// ---- Credential re-entry panel (panel 7) ----
#define IDC_CRED_CARD_LABEL     4283
#define IDC_CRED_CARD           5261
#define IDC_CRED_PROFILE_LABEL  1128
#define IDC_CRED_PROFILE        1129
#define IDC_CRED_MESSAGE_LABEL  4257
#define IDC_CRED_MESSAGE        3216
#define IDC_CRED_IDENTITY_LABEL 1100
#define IDC_CRED_IDENTITY       1103
#define IDC_CRED_PASSWORD_LABEL 1101
#define IDC_CRED_PASSWORD       1105
#define IDC_CRED_DOMAIN_LABEL   3159
#define IDC_CRED_DOMAIN         4265
#define IDC_CRED_OK             1144
#define IDC_CRED_CANCEL         1145

// ---- Strings ----
#define IDS_CRED_IDENTITY       275
#define IDS_CRED_PASSWORD       276
#define IDS_CRED_BAD_CREDENTIAL 357
#define IDS_CRED_CARD_NAME      358
#define IDS_CRED_PROFILE_NAME   359
#define IDS_CRED_MESSAGE        360
#define IDS_CRED_DOMAIN_NAME    366
#define IDS_CRED_TIMEOUT_LEAP   368
#define IDS_CRED_TIMEOUT_FAST   369
#define IDS_CRED_TIMEOUT_TLS    371
#define IDS_CRED_TIMEOUT_TTLS   372
#define IDS_CRED_TIMEOUT_MD5    373
#define IDS_CRED_EAP_FAILURE    382
#define IDS_CRED_TIMEOUT_PEAP   2370
#define IDS_PEAP_TUNNEL_ID      6269
#define IDS_PEAP_TUNNEL_PASSWORD 6270
