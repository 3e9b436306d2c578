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
    int keyLength[4] = {};                       // 0, 5 or 13
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

// The WEP key k of the security tab as bytes: a hex text gives its complete
// pairs of digits, an ASCII text its characters.  Only 5 or 13 bytes make a
// key; any other length gives 0 (no key) and zero bytes.
int WepKeyBytes(const CAuthSecurityPage& sec, int k, BYTE out[kWepKeySlot]);

// The steps of OK that the two hosts share: the tabs' controls pulled, the
// 802.1X settings and the keys validated (a failure shows its message and
// gives FALSE with `out` untouched), then the choices copied into `out`.
// `infrastructure` is the network type the host knows.
BOOL CollectPendingSecurity(CAuthSecurityPage& sec, CEapSettingsDlg& eap, BOOL infrastructure, PendingSecurity& out);
