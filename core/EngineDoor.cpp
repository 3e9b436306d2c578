#include "core/EngineDoor.h"

#include "core/ApplyConfig.h"
#include "core/ControllerDoor.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "core/WpsRuntime.h"

namespace {

// The adapter key's active values of an open infrastructure network without
// a profile name.
void ResetCurrentConfig()
{
    HKEY adapter = OpenAdapterKey(KEY_ALL_ACCESS);
    if (!adapter) return;
    static const char* const kEmpty[] = {
        REGSTR_PROFILE_SSID, REGSTR_CUR_PROFILE, REGSTR_PROFILE_WEP_KEY1_TYPE, REGSTR_PROFILE_WEP_KEY2_TYPE,
        REGSTR_PROFILE_WEP_KEY3_TYPE, REGSTR_PROFILE_WEP_KEY4_TYPE, REGSTR_PROFILE_LEAP_ENABLED,
        REGSTR_PROFILE_LEAP_USER_NAME, REGSTR_PROFILE_LEAP_PASSWORD, REGSTR_PROFILE_TUNNEL_ID,
        REGSTR_PROFILE_TUNNEL_PROTOCOL, REGSTR_PROFILE_SERVER_CERT_DATA, REGSTR_PROFILE_CLIENT_CERT_DATA,
    };
    for (const char* name : kEmpty) WriteRegText(adapter, name, "");
    static const struct { const char* name; const char* text; } kSet[] = {
        { REGSTR_PROFILE_NETWORK_TYPE, "1" }, { REGSTR_PROFILE_AUTHEN_TYPE, "0" }, { REGSTR_PROFILE_ENCRYPTION, "1" },
        { REGSTR_PROFILE_USE_8021X, "0" }, { REGSTR_PROFILE_SERVER_CERT_LEN, "0" }, { REGSTR_PROFILE_CLIENT_CERT_LEN, "0" },
    };
    for (const auto& v : kSet) WriteRegText(adapter, v.name, v.text);
    RegCloseKey(adapter);
}

}  // namespace

BOOL QueueAndConnect(ConnectRequestKind kind, void* data)
{
    if (!g_pControllerDoor) {
        if (kind == CONNECT_APPLY) FreeStationConfig(static_cast<StationConfig*>(data));
        return FALSE;
    }
    if (!UpdateConnectRequest(kind, data)) return FALSE;
    ConnectProfile();
    return TRUE;
}

BOOL ActivateStoredProfile(const char* name, CString* pChannel)
{
    g_strCurProfileName = name;
    g_bWscInUse = FALSE;
    HKEY adapter = OpenAdapterKey(KEY_ALL_ACCESS);
    if (!adapter) return FALSE;
    WriteRegText(adapter, REGSTR_CUR_PROFILE, name);
    WriteRegInt(adapter, REGSTR_PROFILE_WPS, g_bWscInUse);
    RegCloseKey(adapter);
    if (!CopyProfileToAdapterKey(name, pChannel)) return FALSE;
    g_bUseRegistryProfileSecurity = TRUE;
    g_bAutoConnect = TRUE;
    g_bConfigFromRegistry = TRUE;
    SetOidFromReg(FALSE);
    return TRUE;
}

void DropActiveProfile()
{
    g_bConfigFromRegistry = FALSE;
    g_bUseRegistryProfileSecurity = FALSE;
    ResetCurrentConfig();
    if (!g_bWscInUse) {
        g_bAutoConnect = TRUE;
        SetOidFromReg(FALSE);
    }
}

void BeginOneOffJoin()
{
    g_bUseRegistryProfileSecurity = FALSE;
}

BOOL QueueOneOffJoin(StationConfig* record)
{
    g_bConfigFromRegistry = FALSE;
    return QueueAndConnect(CONNECT_APPLY, record);
}

void StopAutoConnect()
{
    g_bAutoConnect = FALSE;
}

void SkipNextScan()
{
    g_bSkipNextScan = TRUE;
}

void UseWpsCredential(BOOL inUse)
{
    g_bWscInUse = inUse ? TRUE : FALSE;
}

void ResumeAutoConnect()
{
    g_bAutoConnect = TRUE;
}

void ApplyStoredConfiguration()
{
    if (!g_pControllerDoor) return;
    SetOidFromReg(FALSE);
}
