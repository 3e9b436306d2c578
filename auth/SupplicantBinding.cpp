#include "auth/SupplicantBinding.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "auth/AcAuthLibrary.h"
#include "auth/AuthLogRing.h"
#include "auth/AuthUiRelay.h"
#include "auth/AuthWaits.h"
#include "auth/CredentialQueue.h"
#include "auth/NetworkCheck.h"
#include "auth/PacFiles.h"
#include "core/ConnectEngine.h"
#include "core/HexUtil.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"

int g_hAuthPort = 0;
int g_nAuthState = 0;
int g_nAuthFailReason = 0;
AuthCertBlock g_AuthClientCert;
AuthCertBlock g_AuthServerCert;
AuthCredentialTexts g_AuthCredentialTexts;

namespace {

AC_INIT_RECORD g_initRecord;

SRWLOCK g_credentialLock = SRWLOCK_INIT;

// The lock of the port's credentials (re-entrant: configuring the port
// destroys the old ones first under the same hold), and the port whose
// credentials were destroyed for its close.
CRITICAL_SECTION g_portCredentialLock;
INIT_ONCE g_portCredentialOnce = INIT_ONCE_STATIC_INIT;
const AUTH_PORT* g_pClosedPort = nullptr;

BOOL CALLBACK InitPortCredentialLock(PINIT_ONCE, PVOID, PVOID*)
{
    InitializeCriticalSection(&g_portCredentialLock);
    return TRUE;
}

// Whether the connection the port was last configured for is a stored
// profile; taken when the port is configured, on the user-interface thread,
// so that the status callback never reads the current profile, which that
// thread may replace at any time.
volatile LONG g_bPortForStoredProfile = 0;

// EAP type numbers by the profile's method (0 PEAP .. 5 LEAP), and the line
// each writes when it starts authenticating.
const DWORD kEapTypes[] = { 25, 13, 21, 43, 4, 17 };
const char* const kAuthenticatingLines[] = {
    "PEAP Authenticating...", "TLS Authenticating...", "TTLS Authenticating...",
    "EAP-FAST Authenticating...", "MD5 Authenticating...", "LEAP Authenticating...",
};

const char* AuthenticatingLine(DWORD eapType)
{
    for (int i = 0; i < 6; ++i)
        if (kEapTypes[i] == eapType) return kAuthenticatingLines[i];
    return nullptr;
}

// A text field of the record: at most its size less one, even when the
// record carries no terminator.
size_t FieldLength(const char* text, size_t size)
{
    size_t n = 0;
    while (n + 1 < size && text[n]) ++n;
    return n;
}

void CopyField(char* dst, size_t dstSize, const char* src, size_t srcSize)
{
    size_t n = FieldLength(src, srcSize);
    if (n >= dstSize) n = dstSize - 1;
    std::memcpy(dst, src, n);
    dst[n] = 0;
}

DWORD CertLength(const AuthCertBlock& b)
{
    return b.length > sizeof(b.data) ? (DWORD)sizeof(b.data) : b.length;
}

void CreatePortCertificate(AUTH_PORT* port)
{
    char url[256] = {};
    int length = sizeof(url);
    // Without a URL the field and the certificate are still asked for, from
    // an empty URL: the library decides what that certificate is.
    if (IsAcFailure("acCertUrlWin32String",
                    g_ac.acCertUrlWin32String(1, g_AuthClientCert.data, (int)CertLength(g_AuthClientCert), url,
                                              &length)))
        url[0] = 0;
    url[sizeof(url) - 1] = 0;
    char field[260] = {};
    int fieldLength = sizeof(field);
    g_ac.acCertGetField(url, 0, 2000, 0, field, &fieldLength);
    g_ac.acCertCreate(&port->userCert, url, 0);
}

// A stored profile (not a one-off, hidden-SSID or WPS connection): the one
// whose failure disconnects and asks for new credentials.
bool IsStoredProfile(const StationConfig* profile)
{
    return profile && profile->matchByBssid == 0 && g_bConfigFromRegistry == 1;
}

void DisconnectAfterFailure()
{
    g_bAutoConnect = 0;
    SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 3);
    // An SSID no network has, so that the driver does not join again by itself.
    NDIS_802_11_SSID none = {};
    none.SsidLength = 32;
    std::memset(none.Ssid, 0x10, 32);
    SetOid(OID_802_11_SSID, &none, sizeof(none), nullptr, 3);
}

} // namespace

PortCredentialLock::PortCredentialLock()
{
    InitOnceExecuteOnce(&g_portCredentialOnce, InitPortCredentialLock, nullptr, nullptr);
    EnterCriticalSection(&g_portCredentialLock);
}

PortCredentialLock::~PortCredentialLock() { LeaveCriticalSection(&g_portCredentialLock); }

bool PortCredentialsOpen(const AUTH_PORT* port) { return port && port == g_pAuthPort && port != g_pClosedPort; }

bool IsAcFailure(const char*, AC_STATUS status) { return status != 0 && status != AC_ALSO_OK; }

const char* SkipPrefix(const char* text, const char* prefix)
{
    if (!text) return "";
    if (!prefix) return text;
    size_t n = std::strlen(prefix);
    return std::strncmp(text, prefix, n) == 0 ? text + n : text;
}

const char* AuthEventStringCallback(void*, int event)
{
    if (!AcAuthLibraryLoaded()) return "";
    return SkipPrefix(g_ac.acEventString(event), "AC_EVENT_");
}

bool InitAuthLibrary()
{
    ShutdownAuthLibrary();
    // Without the library file the program runs on with 802.1X unavailable.
    if (!LoadAcAuthLibrary()) return false;
    CreateAuthUiRelay();
    if (!StartCredentialUiThread()) return false;
    std::memset(&g_initRecord, 0, sizeof(g_initRecord));
    g_initRecord.eventName = AuthEventStringCallback;
    g_initRecord.netCallback = (void*)g_ac.acNetCallback;
    if (g_ac.acInit(&g_initRecord) != 0) return false;
    if (IsAcFailure("ac8021xInit", g_ac.ac8021xInit())) return false;
    if (IsAcFailure("acRsnInit", g_ac.acRsnInit())) return false;
    if (IsAcFailure("acEapInitAll", g_ac.acEapInitAll())) return false;
    if (IsAcFailure("acCcxInit", g_ac.acCcxInit())) return false;
    return AuthPortLayerInit() != 0;
}

void ShutdownAuthLibrary()
{
    // The network check reads the port's names and the library: it ends first.
    StopNetworkCheck();
    // The worker may hold a port reference: it ends first, so that the
    // port layer's shut-down finds the list empty.
    StopCredentialUiThread();
    AuthPortLayerShutdown();
    AuthPortLayerCleanup();
    // No port is open any more: a restart with an open port would otherwise
    // leave the controller believing it open, and it would never open again.
    g_hAuthPort = 0;
    g_nAuthState = 0;
}

bool OpenAuthPort(BOOL waitFirst)
{
    if (!AcAuthLibraryLoaded() || !AuthPortLayerReady()) return false;
    BYTE mac[6] = {};
    if (!QueryOid(OID_802_3_CURRENT_ADDRESS, mac, sizeof(mac), nullptr)) return false;
    if (!AuthPortAttachByMac(mac, OnAuthPortStatus, OnAuthCredentialRequest, waitFirst)) return false;
    PortCredentialLock lock;
    g_pClosedPort = nullptr;   // a new record, whatever address it has
    return true;
}

void OpenAuthPortOrShutDown()
{
    g_hAuthPort = OpenAuthPort(FALSE) ? 1 : 0;
    if (g_hAuthPort == 0) {
        g_nAuthState = 0;
        ShutdownAuthLibrary();
    } else {
        g_nAuthState = 6;
    }
}

void CloseAuthPort()
{
    if (g_pAuthPort) {
        AuthPortStop(g_pAuthPort);
        Sleep(g_AuthWaits.portCloseMs);
        {
            // The worker may still answer a request of this port until the
            // library shuts down: it makes the port no new handle from here.
            PortCredentialLock lock;
            DestroyPortCredentials(g_pAuthPort);
            g_pClosedPort = g_pAuthPort;
        }
        AuthPortDetachCurrent();
        ShutdownAuthLibrary();
    }
    g_hAuthPort = 0;
    g_nAuthState = 0;
    g_bAutoConnect = 1;
}

bool AuthPortObjectExists() { return g_pAuthPort != nullptr; }

void ApplyProfileToPort()
{
    AUTH_PORT* port = g_pAuthPort;
    if (!port) return;
    DestroyPortCredentials(port);
    if (g_pCurProfile) ConfigurePortAssociation(port, g_pCurProfile);
    NotePortProfile(g_pCurProfile);
    EnableAuthDebug(port);
}

void NotePortProfile(const StationConfig* profile)
{
    InterlockedExchange(&g_bPortForStoredProfile, IsStoredProfile(profile) ? 1 : 0);
    char path[sizeof(profile->pacFilePath) + 1] = {};
    if (profile) std::memcpy(path, profile->pacFilePath, sizeof(profile->pacFilePath));
    SetPortPacFilePath(path);
    if (profile) SetAuthCredentialTexts(CredentialTextsOf(*profile));
}

void SetAuthCredentialTexts(const AuthCredentialTexts& texts)
{
    AcquireSRWLockExclusive(&g_credentialLock);
    g_AuthCredentialTexts = texts;
    ReleaseSRWLockExclusive(&g_credentialLock);
}

AuthCredentialTexts GetAuthCredentialTexts()
{
    AcquireSRWLockShared(&g_credentialLock);
    AuthCredentialTexts texts = g_AuthCredentialTexts;
    ReleaseSRWLockShared(&g_credentialLock);
    // Whatever was copied in, each text ends within its field.
    for (char* t : { texts.identity, texts.tunnelId, texts.password, texts.tunnelPassword, texts.domainName,
                     texts.serverName })
        t[127] = 0;
    return texts;
}

AuthCredentialTexts CredentialTextsOf(const StationConfig& p)
{
    AuthCredentialTexts t;
    CopyField(t.identity, sizeof(t.identity), p.identity, sizeof(p.identity));
    CopyField(t.tunnelId, sizeof(t.tunnelId), p.tunnelId, sizeof(p.tunnelId));
    CopyField(t.password, sizeof(t.password), p.password, sizeof(p.password));
    CopyField(t.tunnelPassword, sizeof(t.tunnelPassword), p.tunnelPassword, sizeof(p.tunnelPassword));
    CopyField(t.domainName, sizeof(t.domainName), p.domainName, sizeof(p.domainName));
    CopyField(t.serverName, sizeof(t.serverName), p.serverName, sizeof(p.serverName));
    return t;
}

bool PortConfiguredForStoredProfile() { return InterlockedCompareExchange(&g_bPortForStoredProfile, 0, 0) != 0; }

CString PortProfileName()
{
    CString name;
    if (!PortConfiguredForStoredProfile() || !ReadAdapterText(REGSTR_CUR_PROFILE, name)) name.Empty();
    return name;
}

void DestroyPortCredentials(AUTH_PORT* port)
{
    if (!port) return;
    PortCredentialLock lock;
    if (AcAuthLibraryLoaded()) {
        g_ac.acRsnPskDestroy(&port->pskHandle);
        g_ac.acIdentityDestroy(&port->outerIdentity);
        g_ac.acIdentityDestroy(&port->innerIdentity);
        g_ac.acPasswordDestroy(&port->password);
        g_ac.acCertDestroy(&port->userCert);
        g_ac.acIdentityDestroy(&port->machineIdentity);
    }
    BYTE* first = (BYTE*)&port->pskSet;
    BYTE* end = (BYTE*)&port->reserved6 + sizeof(port->reserved6);
    std::memset(first, 0, (size_t)(end - first));
}

void ConfigurePortAssociation(AUTH_PORT* port, const StationConfig* p)
{
    if (!port || !p) return;
    bool ieee80211 = (port->attributes.caps & AC_CAP_80211_MASK) != 0;
    // The library ends the port's session here, which may wait for its
    // callbacks: never under the credentials' lock.
    if (ieee80211) g_ac.acPortDisassociate(port->handle);
    PortCredentialLock lock;
    port->libraryAssociates = 0;
    port->assocMode = p->infrastructureMode == 0 ? 2 : 1;
    if (ieee80211) {
        port->libraryAssociates = 1;
        ConfigurePortSecurity(port, p);
        if (port->assocParams.authCode == 11 || port->assocParams.authCode == 21) {
            // A key that could not be made is never handed over.
            port->pskSet = port->pskHandle != 0;
            return;
        }
    }
    port->reserved2 = 0;
    port->innerEapType = 0;
    port->eapType = p->eapMethod < 6 ? kEapTypes[p->eapMethod] : 0;
    if (port->eapType == 21) {
        port->ttlsInnerMethod = p->ttlsInnerMethod;
    } else if (port->eapType == 43) {
        port->fastUnauthProvisioning = p->usePac == 1 ? 1 : 0;
        if (p->provisionMode == 1) port->fastProvisionMode = 2;
    }
    BuildPortCredentials(port, p);
}

void ConfigurePortSecurity(AUTH_PORT* port, const StationConfig* p)
{
    if (!port || !p) return;
    PortCredentialLock lock;
    AUTH_ASSOC_PARAMS& a = port->assocParams;
    DWORD ssidLength = p->ssid.SsidLength > 32 ? 32 : p->ssid.SsidLength;
    std::memset(a.ssid, 0, sizeof(a.ssid));
    std::memcpy(a.ssid, p->ssid.Ssid, ssidLength);
    a.ssidLength = ssidLength;
    a.authCode = 0;
    a.cipherCode = 0;
    switch (p->authMode) {
    case 0: a.authCode = 2; break;
    case 1: a.authCode = 1; break;
    case 3: a.authCode = 10; break;
    case 4: case 5: a.authCode = 11; break;
    case 6: a.authCode = 20; break;
    case 7: a.authCode = 21; break;
    default: break;   // 2 (auto switch) and unknown modes leave 0
    }
    if (a.authCode == 11 || a.authCode == 21) {
        CreatePortPsk(port, p);
        if (p->encryption == 4) a.cipherCode = 3;
        else if (p->encryption == 6) a.cipherCode = 4;
    } else if (a.authCode == 1 || a.authCode == 2 || a.authCode == 10 || a.authCode == 20) {
        switch (p->encryption) {
        case 0: a.cipherCode = 2; break;
        case 1: case 2: case 3: a.cipherCode = 1; break;
        case 4: a.cipherCode = 3; break;
        case 6: a.cipherCode = 4; break;
        default: break;
        }
    }
    if (port->attributes.ccxVersion > 0) EnablePortCcx(port);
}

bool CreatePortPsk(AUTH_PORT* port, const StationConfig* p)
{
    if (!port || !p) return false;
    PortCredentialLock lock;
    g_ac.acRsnPskDestroy(&port->pskHandle);
    if (p->wpaPskLength == 64) {
        // 64 characters are a key in hex; anything else of that length is refused.
        if (!IsHexString(p->wpaPsk, 64)) return false;
        BYTE key[32];
        if (HexStringToBytes(p->wpaPsk, key, 32) != 32) return false;
        return !IsAcFailure("acRsnBinPskCreate", g_ac.acRsnBinPskCreate(&port->pskHandle, key, 32));
    }
    char passphrase[65] = {};
    DWORD n = p->wpaPskLength > 64 ? 64 : p->wpaPskLength;
    std::memcpy(passphrase, p->wpaPsk, n);
    return !IsAcFailure("acRsnPskCreate", g_ac.acRsnPskCreate(&port->pskHandle, passphrase, port->assocParams.ssid,
                                                              (int)port->assocParams.ssidLength));
}

void BuildPortCredentials(AUTH_PORT* port, const StationConfig* p)
{
    if (!port || !p) return;
    PortCredentialLock lock;
    port->pskSet = 0;
    bool outerWithDomain = false, inner = false, password = false, certificate = false, session = true;
    const char* passwordSource = p->tunnelPassword;
    size_t passwordSize = sizeof(p->tunnelPassword);
    switch (port->eapType) {
    case 4:
        password = true;
        passwordSource = p->password;
        passwordSize = sizeof(p->password);
        session = false;
        break;
    case 13:
        certificate = true;
        break;
    case 17:
        outerWithDomain = true;
        password = true;
        if (port->assocParams.cipherCode == 2) port->assocParams.authCode = 2;
        else if (port->assocParams.cipherCode == 3) port->assocParams.authCode = 10;
        else if (port->assocParams.cipherCode == 4) port->assocParams.authCode = 20;
        break;
    case 21:
        certificate = true;
        if (port->ttlsInnerMethod > 0 && port->ttlsInnerMethod <= 5) inner = password = true;
        break;
    case 25:
        certificate = p->useClientCert > 0;
        port->innerEapType = p->innerMethod;
        break;
    case 43:
        outerWithDomain = true;
        port->innerEapType = p->innerMethod;
        port->fastProvisioningTunnel = p->provisioningTunnel;
        break;
    default:
        break;
    }
    if ((port->eapType == 25 || port->eapType == 43) &&
        (port->innerEapType == 6 || port->innerEapType == 13 || port->innerEapType == 26))
        inner = password = true;

    // 1. The outer identity: "domain\id" when it carries the domain, else the
    // id.  A text that would not fit its 128 bytes is refused, not cut.
    g_ac.acIdentityDestroy(&port->outerIdentity);
    char id[128], domain[128];
    CopyField(id, sizeof(id), p->identity, sizeof(p->identity));
    CopyField(domain, sizeof(domain), p->domainName, sizeof(p->domainName));
    char text[300];
    if (outerWithDomain && domain[0]) std::snprintf(text, sizeof(text), "%s\\%s", domain, id);
    else std::snprintf(text, sizeof(text), "%s", id);
    if (std::strlen(text) >= sizeof(port->outerIdentityText)) text[0] = 0;
    std::strcpy(port->outerIdentityText, text);
    if (text[0]) g_ac.acIdentityCreate(&port->outerIdentity, text, (int)std::strlen(text));

    // 2. The inner identity.
    if (inner) {
        g_ac.acIdentityDestroy(&port->innerIdentity);
        char tunnelId[128];
        CopyField(tunnelId, sizeof(tunnelId), p->tunnelId, sizeof(p->tunnelId));
        g_ac.acIdentityCreate(&port->innerIdentity, tunnelId, (int)std::strlen(tunnelId));
    }
    // 3. The password.
    if (password) {
        g_ac.acPasswordDestroy(&port->password);
        char pw[128];
        CopyField(pw, sizeof(pw), passwordSource, passwordSize);
        g_ac.acPasswordCreate(&port->password, pw, (int)std::strlen(pw));
    }
    // 4. Certificates.
    if (certificate) {
        if (p->useClientCert) CreatePortCertificate(port);
        if (p->useServerCert) {
            port->nameRule = p->nameRule;
            if (p->nameRule) CopyField(port->domainName, sizeof(port->domainName), p->serverName, sizeof(p->serverName));
            else CopyField(port->fieldName, sizeof(port->fieldName), p->serverName, sizeof(p->serverName));
            port->verifyChain = p->intermediateCert;
            int length = 100;
            if (IsAcFailure("acCertUrlWin32String",
                            g_ac.acCertUrlWin32String(3, g_AuthServerCert.data, (int)CertLength(g_AuthServerCert),
                                                      port->caUrl, &length)))
                port->caUrl[0] = 0;
            port->caUrl[sizeof(port->caUrl) - 1] = 0;
        }
    }
    // 5. The session value.
    if (session) port->sessionStartValue = p->sessionResumption == 0 ? 1 : 0;
}

void EnablePortCcx(AUTH_PORT* port)
{
    DWORD flags = 15;
    g_ac.acCcxRadioCfg(port->handle, &flags);
    g_ac.acCcxRogueApTimeout(port->handle, 60);
    g_ac.acCcxEnable(port->handle, 1);
}

void EnableAuthDebug(AUTH_PORT* port)
{
    {
        PortCredentialLock lock;
        port->debugEnabled = 1;
    }
    for (int category = 1; category <= 18; ++category) g_ac.acDebugEnable(category, 1);
}

void OnAuthPortStatus(void* context, int event)
{
    AUTH_PORT* port = (AUTH_PORT*)context;
    if (!port || !AcAuthLibraryLoaded()) return;
    ClearAuthLogRingAtStart();
    AC_HANDLE h = port->handle;
    if (event == AC_EVENT_LINK) {
        DWORD a = 0, b = 0;
        g_ac.acPortGetLinkState(h, &a, &b);
        return;
    }
    if (event == AC_EVENT_STATE) {
        DWORD state = 0;
        if (IsAcFailure("acPortGetState", g_ac.acPortGetState(h, &state))) return;
        if (state == AC_STATE_CONNECTING) {
            AppendAuthLogLine("Network is connecting...");
        } else if (state == AC_STATE_AUTHENTICATING) {
            // The method the port was configured with, from the profile's AuthenProtocol.
            DWORD eapType;
            {
                PortCredentialLock lock;
                eapType = port->eapType;
            }
            const char* line = AuthenticatingLine(eapType);
            if (line) AppendAuthLogLine(line);
        } else if (state == AC_STATE_AUTHENTICATED) {
            AppendAuthLogLine("Wireless client is authenticated.");
            StartNetworkCheckThread();
        } else if (state == AC_STATE_STATUS_CHANGED) {
            DWORD status = 0;
            if (IsAcFailure("acPortGetStatus", g_ac.acPortGetStatus(h, &status))) return;
            if (status == AC_STATUS_STARTING) AppendAuthLogLine("Starting network connection...");
            else if (status == AC_STATUS_PAC_PROVISIONED) AppendAuthLogLine("EAP-FAST Provisioning is successful.");
        }
        return;
    }
    if (event != AC_EVENT_STATUS) return;
    DWORD status = 0;
    if (IsAcFailure("acPortGetStatus", g_ac.acPortGetStatus(h, &status))) return;
    const char* line = nullptr;
    int reason = 0;
    switch (status) {
    case AC_STATUS_LINK_DOWN: AppendAuthLogLine("Network Link is NOT connected."); return;
    case AC_STATUS_EAP_FAILURE: line = "EAP failure reason is not known."; reason = 2; break;
    case AC_STATUS_BAD_CREDENTIAL: line = "Authentication failed - Identity or password is invalid."; reason = 1; break;
    case AC_STATUS_TIMEOUT: line = "Authenticating Timeout."; reason = 0; break;
    case AC_STATUS_PAC_REJECTED_A:
    case AC_STATUS_PAC_REJECTED_B: DeletePacFile(port); return;
    default: return;
    }
    if (g_bPortForStoredProfile) {
        DisconnectAfterFailure();
        g_nAuthFailReason = reason;
        // The credential panel belongs to the user-interface thread.
        PostShowCredentialPrompt();
    }
    AppendAuthLogLine(line);
}
