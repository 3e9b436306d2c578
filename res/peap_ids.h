// PEAP setting panel (dialog 165): its tunnel identity and password edits.
#pragma once

#define IDC_PEAP_TUNNEL_ID      3135
#define IDC_PEAP_PASSWORD       1105
