// PEAP setting panel (dialog 165, in res/credential.rc): its labels, edits
// and OK button.
#pragma once

#define IDC_PEAP_TUNNEL_ID_LABEL 3279
#define IDC_PEAP_TUNNEL_ID      3135
#define IDC_PEAP_PASSWORD_LABEL 1101
#define IDC_PEAP_PASSWORD       1105
#define IDC_PEAP_OK             1144
// The panel's caption, shown as its title line (a lower panel has no title bar).
#define IDC_PEAP_CAPTION        3280
