#include "pages/PendingSecurity.h"

#include <algorithm>
#include <cstring>

#include "auth/SupplicantBinding.h"
#include "core/HexUtil.h"
#include "core/RegistryStore.h"
#include "pages/AuthSecurityPage.h"
#include "pages/EapSettingsDlg.h"
#include "widgets/MessageBoxDlg.h"
#include "resource.h"

namespace {

bool IsWpaChoice(int a) { return a >= AUTH_CHOICE_WPA && a <= AUTH_CHOICE_WPA_NONE; }

}  // namespace

void PendingSecurity::Reset()
{
    CString domain = dot1x.domainName;
    *this = PendingSecurity();
    dot1x.domainName = domain;
}

void PendingSecurity::ReadCcxControl()
{
    DWORD ccx = 0;
    if (!ReadAdapterDword(REGSTR_CCX2_CONTROL, &ccx)) return;
    ccxBit0 = (ccx & 1) ? 1 : 0;
    ccxBit1 = (ccx & 2) ? 1 : 0;
}

int WepKeyBytes(const CAuthSecurityPage& sec, int k, BYTE out[kWepKeySlot])
{
    std::memset(out, 0, kWepKeySlot);
    if (k < 0 || k > 3) return 0;
    const CString& key = sec.m_strWepKey[k];
    int n = 0;
    if (sec.m_nKeyFormat[k] == 0) {
        int pairs = std::min(key.GetLength() / 2, kWepKeySlot - 1);
        n = HexStringToBytes(key, out, pairs);
        // Only hex digits reach here; anything else is no key, never a part of one.
        if (n != pairs) n = 0;
    } else if (key.GetLength() == 5 || key.GetLength() == 13) {
        n = key.GetLength();
        std::memcpy(out, key.GetString(), (size_t)n);
    }
    if (n == 0) std::memset(out, 0, kWepKeySlot);
    return n;
}

BOOL CollectPendingSecurity(CAuthSecurityPage& sec, CEapSettingsDlg& eap, const Dot1xSettings* keptWithoutPort,
                            PendingSecurity& out)
{
    sec.UpdateData(TRUE);
    for (CChildPage* page : { (CChildPage*)eap.ClientCertPage(), (CChildPage*)eap.CredentialPage(),
                              (CChildPage*)eap.ServerCertPage() })
        if (page) page->UpdateData(TRUE);

    int a = sec.m_nAuthentication;
    BOOL openOrShared8021x = (a == AUTH_CHOICE_OPEN || a == AUTH_CHOICE_SHARED) && sec.m_bUse8021x;
    BOOL wpa8021x = (a == AUTH_CHOICE_WPA || a == AUTH_CHOICE_WPA2) && sec.m_bInfrastructure;
    if ((openOrShared8021x || wpa8021x) && !eap.ValidateSettings()) return FALSE;

    if (!sec.ValidateKeys()) return FALSE;

    if (a == AUTH_CHOICE_LEAP && sec.m_bInfrastructure) {
        sec.m_strLeapIdentity.Trim();
        sec.UpdateData(FALSE);
        if (sec.m_strLeapIdentity.IsEmpty() || sec.m_strLeapPassword.IsEmpty()) {
            ShowMessageDlg(StringFromTable(IDS_LEAP_ID_REQUIRED));
            return FALSE;
        }
        out.leapIdentity = sec.m_strLeapIdentity;
        out.leapPassword = sec.m_strLeapPassword;
        out.leapDomain = sec.m_strLeapDomain;
        out.leapCipher = sec.m_nLeapCipher;
    }

    out.authentication = a;
    out.encryption = sec.m_nEncryption;
    out.defaultKey = sec.m_nDefaultKey;
    out.use8021x = sec.m_bUse8021x;

    BOOL dot1xChoice = (sec.m_bInfrastructure && (a == AUTH_CHOICE_WPA || a == AUTH_CHOICE_WPA2)) ||
                       ((a == AUTH_CHOICE_OPEN || a == AUTH_CHOICE_SHARED) && out.use8021x);
    if (dot1xChoice) {
        if (g_hAuthPort) eap.StoreSettings(out.dot1x);
        else if (keptWithoutPort) out.dot1x = *keptWithoutPort;
    }

    if ((!out.use8021x || out.dot1x.eapMethod == CEapSettingsDlg::EAP_MD5) &&
        (a == AUTH_CHOICE_SHARED || (a == AUTH_CHOICE_OPEN && out.encryption == ENCR_CHOICE_WEP))) {
        for (int k = 0; k < 4; ++k) out.keyLength[k] = WepKeyBytes(sec, k, out.keyBytes[k]);
    }
    if (IsWpaChoice(a)) out.preSharedKey = sec.m_strPreSharedKey;
    return TRUE;
}
