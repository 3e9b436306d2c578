// The security choices that a host of the "Auth. \ Encry." and "8021X" tabs
// collects on OK: the profile editor keeps them until it writes the profile,
// the site survey keeps them as the settings of a one-off connection.  One
// collector for both, so that the two OK buttons apply the same rules.
#pragma once

#include <windows.h>

#include "classlib/CString.h"
#include "core/ProfileStore.h"

class CAuthSecurityPage;
class CEapSettingsDlg;

// A WEP key slot: 13 key bytes at most, NUL-terminated.
constexpr int kWepKeySlot = 14;

struct PendingSecurity {
    int authentication = AUTH_CHOICE_OPEN;       // ProfileAuthChoice
    int encryption = ENCR_CHOICE_NONE;           // ProfileEncryptionChoice
    int use8021x = 0;
    CString preSharedKey;
    int defaultKey = 0;                          // 0..3
    int keyLength[4] = {};                       // 0..13
    BYTE keyBytes[4][kWepKeySlot] = {};
    Dot1xSettings dot1x;
    CString leapIdentity, leapPassword, leapDomain;
    int leapCipher = 0;                          // 0 WEP, 1 WPA-TKIP, 2 WPA2-AES
    int ccxBit0 = 0, ccxBit1 = 0;                // of the adapter key's CCX2Control

    // Everything back to its default except the 802.1X domain, which a
    // reset leaves as it was.
    void Reset();
    // Bits 0 and 1 of the adapter key's CCX2Control; a missing value leaves
    // both as they are.
    void ReadCcxControl();
};

// The WEP key k of the security tab as bytes: a hex text gives half as
// many bytes as it has digits (13 at most), an ASCII text its characters,
// which make a key only when they are 5 or 13; 0 (no key, zero bytes)
// otherwise.
int WepKeyBytes(const CAuthSecurityPage& sec, int k, BYTE out[kWepKeySlot]);

// The steps of OK that the two hosts share: the tabs' controls pulled, the
// 802.1X settings and the keys validated (a failure shows its message and
// gives FALSE with `out` untouched), then the choices copied into `out`.
// Each choice is copied only under its own conditions, so `out` must come
// in as the host's show left it.  With the 802.1X port closed the 8021X tab
// is not read: its settings stay at their defaults, or become
// `keptWithoutPort` when the host has stored ones to keep (may be null).
BOOL CollectPendingSecurity(CAuthSecurityPage& sec, CEapSettingsDlg& eap, const Dot1xSettings* keptWithoutPort,
                            PendingSecurity& out);
