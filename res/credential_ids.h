// Ids of the 802.1X panels: the credential re-entry panel (dialog 2242) and
// the strings of both it and the PEAP panel (dialog 165, ids in
// peap_ids.h); templates and texts in res/credential.rc.
#pragma once

// ---- Credential re-entry panel (panel 7) ----
#define IDC_PROMPT_CARD_LABEL     4283
#define IDC_PROMPT_CARD           5261
#define IDC_PROMPT_PROFILE_LABEL  1128
#define IDC_PROMPT_PROFILE        1129
#define IDC_PROMPT_MESSAGE_LABEL  4257
#define IDC_PROMPT_MESSAGE        3216
#define IDC_PROMPT_IDENTITY_LABEL 1100
#define IDC_PROMPT_IDENTITY       1103
#define IDC_PROMPT_PASSWORD_LABEL 1101
#define IDC_PROMPT_PASSWORD       1105
#define IDC_PROMPT_DOMAIN_LABEL   3159
#define IDC_PROMPT_DOMAIN         4265
#define IDC_PROMPT_OK             1144
#define IDC_PROMPT_CANCEL         1145

// ---- Strings ("Identity >>" 275, "Password >>" 276, "Card Name >>" 358,
// "Profile Name >>" 359 and "Domain Name >>" 366 are shared with the 802.1X
// settings and the status list) ----
#define IDS_PROMPT_BAD_CREDENTIAL 357
#define IDS_PROMPT_MESSAGE        360
#define IDS_PROMPT_TIMEOUT_LEAP   368
#define IDS_PROMPT_TIMEOUT_FAST   369
#define IDS_PROMPT_TIMEOUT_TLS    371
#define IDS_PROMPT_TIMEOUT_TTLS   372
#define IDS_PROMPT_TIMEOUT_MD5    373
#define IDS_PROMPT_EAP_FAILURE    382
#define IDS_PROMPT_TIMEOUT_PEAP   2370
#define IDS_PEAP_TUNNEL_ID      6269
#define IDS_PEAP_TUNNEL_PASSWORD 6270
