// The invisible controller dialog: adapter start-up, the link poll, the
// notification icon and its menus, power events and the configuration window.
#include "app/HideDlg.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "auth/AuthLogRing.h"
#include "auth/SupplicantBinding.h"
#include "classlib/Handles.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/StateQuery.h"
#include "core/WpsRuntime.h"
#include "core/ZeroConfig.h"
#include "mainwnd/ConfigMainDlg.h"
#include "mainwnd/SelectAdapterDlg.h"
#include "pages/PeapSettingDlg.h"
#include "pages/ProfilePage.h"
#include "widgets/MessageBoxDlg.h"
#include "widgets/OwnerDrawButton.h"
#include "widgets/SkinButton.h"
#include "resource.h"

CHideDlg* g_pHideDlg = nullptr;

namespace {

const char kNoAdminText[] =
    "You have no 'Administrator' privilege, so some features may not work successfully";

bool IsZeroMac(const BYTE* mac)
{
    for (int i = 0; i < 6; ++i)
        if (mac[i]) return false;
    return true;
}

// The SSID's bytes as text: at most 32 whatever length the record claims,
// and up to the first NUL.
void SsidToText(const NDIS_802_11_SSID& ssid, char out[33])
{
    ULONG n = ssid.SsidLength > 32 ? 32 : ssid.SsidLength;
    std::memcpy(out, ssid.Ssid, n);
    out[n] = 0;
}

UINT TipStringFor(UINT iconId)
{
    switch (iconId) {
    case IDI_TRAY_GOOD: return IDS_TIP_GOOD;
    case IDI_TRAY_NORMAL: return IDS_TIP_NORMAL;
    case IDI_TRAY_WEAK: return IDS_TIP_WEAK;
    case IDI_TRAY_DISCONNECT: return IDS_TIP_DISCONNECTED;
    case IDI_TRAY_NO_ADAPTER: return IDS_TIP_NOT_EXIST;
    case IDI_TRAY_WEP_ERROR: return IDS_TIP_WEP_ERROR;
    default: return 0;
    }
}

HICON LoadTrayIcon(UINT iconId)
{
    return (HICON)LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
}

bool FileReadable(const char* path)
{
    CHandle h(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    return h.IsValid();
}

// The program's own folder, with a trailing backslash.
CString ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    char* slash = std::strrchr(path, '\\');
    if (slash) slash[1] = 0;
    else path[0] = 0;
    return CString(path);
}

} // namespace

// ---- Shared helpers ---------------------------------------------------------

void CheckAdminPrivilege()
{
    if (g_nOsVersion < OS_WIN2000) {
        g_bIsAdmin = TRUE;
        return;
    }
    g_bIsAdmin = FALSE;
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return;
    CHandle token(opened);
    DWORD size = 1024, needed = 0;
    std::vector<BYTE> buf(size);
    // Grow until the group list fits; a token that keeps asking for more is
    // given up after a few rounds.
    bool ok = false;
    for (int round = 0; round < 8; ++round) {
        if (GetTokenInformation(token, TokenGroups, buf.data(), size, &needed)) {
            ok = true;
            break;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        size = needed > size ? needed : size * 2;
        buf.resize(size);
    }
    if (ok) {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID admins = nullptr;
        if (AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                     0, 0, 0, &admins)) {
            const TOKEN_GROUPS* groups = (const TOKEN_GROUPS*)buf.data();
            for (DWORD i = 0; i < groups->GroupCount; ++i) {
                if (EqualSid(groups->Groups[i].Sid, admins)) {
                    g_bIsAdmin = TRUE;
                    break;
                }
            }
            FreeSid(admins);
        }
    }
}

void DelayMs(DWORD n)
{
    // A monotonic clock: the time of day would wait until the next day when
    // the wait crosses midnight.
    ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start <= n) {
    }
}

UINT ChooseTrayMenu(BOOL isAdmin, int wzcMode, int osCode, BOOL toolsPresent, BOOL modelOk,
                    BOOL adapterFound)
{
    bool all = toolsPresent && modelOk && adapterFound;
    if (!isAdmin) return IDR_TRAY_MENU_BASIC;
    if (wzcMode == WZC_MANAGES) return all ? IDR_TRAY_MENU_OWN_AP : IDR_TRAY_MENU_OWN;
    if (osCode >= OS_WINXP) return all ? IDR_TRAY_MENU_WZC_AP : IDR_TRAY_MENU_WZC;
    return all ? IDR_TRAY_MENU_AP : IDR_TRAY_MENU_BASIC;
}

void WepCheckDecide(long long d, BOOL rcvOkChanged, BOOL legacyModel, BOOL* pWepCheck, BOOL* pIcvError)
{
    if (rcvOkChanged) {
        *pWepCheck = FALSE;
        if (legacyModel) *pIcvError = FALSE;
    } else if (d >= 10) {
        *pWepCheck = TRUE;
        if (legacyModel) *pIcvError = TRUE;
    }
}

void FormatTrayTip(UINT iconId, const NDIS_802_11_SSID& ssid, char* out, size_t cchMax)
{
    if (!out || cchMax == 0) return;
    out[0] = 0;
    UINT sid = TipStringFor(iconId);
    if (!sid) return;
    char fmt[256] = {};
    if (LoadStringA(AfxGetResourceHandle(), sid, fmt, sizeof(fmt)) <= 0) return;
    char text[33];
    SsidToText(ssid, text);
    // The SSID is an argument, never part of the format; the result is cut to the field.
    std::snprintf(out, cchMax, fmt, text);
}

// ---- The dialog -------------------------------------------------------------

// Power events are handled whatever the busy flag says; the tray callback
// and the registered messages are ignored while the controller is busy (the
// adapter choice or the region set-up is running).
BEGIN_MESSAGE_MAP(CHideDlg, CDialog)
    ON_WM_POWERBROADCAST()
    ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
    ON_WM_PAINT()
    ON_COMMAND(ID_TRAY_LAUNCH, OnLaunch)
    ON_COMMAND(ID_TRAY_EXIT, OnExit)
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_COMMAND(ID_TRAY_USE_WZC, OnUseWzc)
    ON_COMMAND(ID_TRAY_USE_OWN_UTILITY, OnUseOwnTool)
    ON_COMMAND(ID_TRAY_SWITCH_TO_AP, OnSwitchToAp)
    ON_MESSAGE(WM_APP_WMI_EVENT, OnWlanEvent)
    ON_MESSAGE(WM_KQ_QUERY_STATE, OnQueryState)
    ON_MESSAGE(WM_KQ_MARK, OnMark)
    // RegisterWindowMessage gives 0xC000-0xFFFF ("TaskbarCreated" among them)
    ON_MESSAGE_RANGE(0xC000, 0xFFFF, OnRegisteredMessage)
END_MESSAGE_MAP()

CHideDlg::CHideDlg(CWnd* pParent) : CDialog(IDD_HIDE_DLG, pParent) {}

CHideDlg::~CHideDlg()
{
    m_EventWatcher.Disconnect();
    if (g_pHideDlg == this) g_pHideDlg = nullptr;
    if (g_pControllerDoor == &m_doors) g_pControllerDoor = nullptr;
    if (g_pPanelDoor == &m_doors) g_pPanelDoor = nullptr;
}

void CHideDlg::DoDataExchange(CDataExchange*) {}

BOOL CHideDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText("HideDlg");
    g_pHideDlg = this;
    g_pControllerDoor = &m_doors;
    g_pPanelDoor = &m_doors;
    ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    m_tipMirror.Create("", SS_LEFT, CRect(0, 0, 0, 0), this, IDC_TRAY_TIP_MIRROR);

    AllocScanBuffers();
    std::memset(&g_CurSsid, 0, sizeof(g_CurSsid));
    std::memset(g_CurBssid, 0, sizeof(g_CurBssid));

    DetectOsVersion();
    IsWow64();
    CheckAdminPrivilege();
    if (!g_bIsAdmin) ShowMessageDlg(kNoAdminText);

    m_bAdapterFound = FindAndOpenAdapter();
    g_bSsoPending = TRUE;
    if (m_bAdapterFound) InitAdapter(m_bShowOnStart);

    SetTimer(IDT_ADAPTER_POLL, 2000);
    AddTrayIcon();
    StartEventWatcher();
    // The library's threads may write lines by now: under their lock.
    ClearAuthLogRing();
    return TRUE;
}

void CHideDlg::InitAdapter(BOOL bShow)
{
    if (g_nOsVersion >= OS_WINXP) ApplyRunOnceInitConfigTool();
    DetectDualBand();
    ApplyRunOnceInitConfigTxBurst();

    std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));

    DWORD reg[3] = { 3, 0x36, 0 };
    if (QueryOid(OID_VENDOR_REGISTER_ACCESS, reg, sizeof(reg), nullptr) && (reg[2] & 0xFFFF) != 0xFFFF) {
        g_bEepromWord36Bit8Clear = (reg[2] & 0x100) == 0;
        g_bEepromWord36Bit9Clear = (reg[2] & 0x200) == 0;
    }

    DWORD opMode = 0;
    if (QueryOid(OID_VENDOR_OP_MODE, &opMode, sizeof(opMode), nullptr) && opMode != 0) {
        DWORD station = 0;
        SetOid(OID_VENDOR_OP_MODE, &station, sizeof(station), nullptr, 3);
        WinExec("\"Tupreno.exe\" ICS_DOWN", SW_HIDE);
    }

    g_bIeee80211h = ReadIeee80211h();
    WriteSoftApDefaults();

    m_bBusy = TRUE;
    InitRegionAndChannel();
    QueryDriverVersion();
    m_bBusy = FALSE;

    DWORD radio = g_bRadioOn;
    if (QueryOid(OID_VENDOR_RADIO_STATE, &radio, sizeof(radio), nullptr)) g_bRadioOn = radio != 0;
    g_nWzcMode = GetWzcMode();

    if (!AuthPortObjectExists() && g_nWzcMode != WZC_MANAGES) InitAuthLibrary();

    if (g_nWzcMode != WZC_MANAGES) {
        if (g_hAuthPort == 0) OpenAuthPortOrShutDown();
        ConnectIfRequested();
        SetOidFromReg(TRUE);
    } else {
        g_bScanPending = FALSE;
        if (g_pBssidList && g_pBssidListCache) {
            QueryOid(OID_802_11_BSSID_LIST, g_pBssidList, BSSID_LIST_BUFFER_SIZE, nullptr);
            std::memcpy(g_pBssidListCache, g_pBssidList, BSSID_LIST_BUFFER_SIZE);
            FILETIME now;
            GetSystemTimeAsFileTime(&now);
            ULONG n = g_pBssidListCache->NumberOfItems;
            if (n > 1024) n = 1024;
            for (ULONG i = 0; i < n; ++i) g_BssidLastSeen[i] = now;
        }
    }

    // The button watch first: a window opened now hands it to its WPS page.
    SetTimer(IDT_WPS_BUTTON, 1000);
    if (bShow) OpenMainWindow();
}

void CHideDlg::OnTimer(UINT_PTR id)
{
    if (m_bBusy) return;
    // The shell calls of a poll wait for the shell and let sent messages in;
    // a timer event sent meanwhile must not run a second poll inside the first.
    if (m_bInTimer) return;
    m_bInTimer = TRUE;
    OnTimerBody(id);
    m_bInTimer = FALSE;
}

void CHideDlg::OnTimerBody(UINT_PTR id)
{
    if (id == IDT_RECONNECT) {
        KillTimer(IDT_RECONNECT);
        ConnectProfile();
    }
    if (!m_bAdapterFound || !IsAdapterPresent()) {
        if (!HandleAdapterLoss()) {
            Default();
            return;
        }
    }
    KeepAuthPort();
    g_nWzcMode = GetWzcMode();

    if (id == IDT_WPS_CREDENTIAL) {
        OnWpsTimer(id);
        Default();
        return;
    }
    if (id == IDT_WPS_BUTTON || id == IDT_WPS_STATUS || id == IDT_WPS_SCAN) OnWpsTimer(id);

    LinkPoll(id);
    ReconnectTest();

    if (CConfigMainDlg* window = OpenedMainWindow()) {
        g_bDebugTrace = ReadCheckBuild();
        window->UpdateWpsButton();
        window->UpdateWmmButton();
    }
    Default();
}

BOOL CHideDlg::HandleAdapterLoss()
{
    KillTimer(IDT_ADAPTER_POLL);
    if (m_bWepCheck) KillTimer(IDT_WEP_CHECK);
    if (AuthPortObjectExists()) CloseAuthPort();

    if (CConfigMainDlg* window = OpenedMainWindow()) {
        if (g_bButtonClicked) {
            // A drop-down button may hold a menu open: end it on this thread
            // and cancel any capture, then come back once the menu loop is gone.
            g_bButtonClicked = FALSE;
            EndMenu();
            HWND capture = ::GetCapture();
            if (capture) ::SendMessageA(capture, WM_CANCELMODE, 0, 0);
            ::SendMessageA(window->m_hWnd, WM_CANCELMODE, 0, 0);
            SetTimer(IDT_ADAPTER_POLL, 20);
            return FALSE;
        }
    }
    DestroyMainWindow();

    ForgetAdapter();
    m_bAdapterFound = FindAndOpenAdapter();
    SetTimer(IDT_ADAPTER_POLL, 2000);

    if (!m_bAdapterFound) {
        UpdateTrayIcon(IDI_TRAY_NO_ADAPTER);
        g_bAuthPortCurrent = FALSE;
        CloseAuthPort();
        return FALSE;
    }
    UpdateTrayIcon(IDI_TRAY_DISCONNECT);
    InitAdapter(FALSE);
    return TRUE;
}

void CHideDlg::KeepAuthPort()
{
    if (!g_bAuthPortCurrent) {
        if (AuthPortObjectExists()) CloseAuthPort();
        g_bAuthPortCurrent = TRUE;
    }
    if (!AuthPortObjectExists() && g_nWzcMode != WZC_MANAGES) InitAuthLibrary();
    if (!OpenedMainWindow()) DestroyMainWindow();
    if (g_hAuthPort == 0 && g_nWzcMode != WZC_MANAGES) OpenAuthPortOrShutDown();
}

void CHideDlg::TakeWepBaseline()
{
    BYTE stats[176] = {};
    QueryOid(OID_802_11_STATISTICS, stats, sizeof(stats), nullptr);
    std::memcpy(&m_qwTxFragSnapshot, stats + offsetof(NDIS_802_11_STATISTICS, TransmittedFragmentCount),
                sizeof(m_qwTxFragSnapshot));
    DWORD rcv = 0;
    QueryOid(OID_GEN_RCV_OK, &rcv, sizeof(rcv), nullptr);
    m_dwRcvOkSnapshot = rcv;
}

void CHideDlg::WepCheckStep()
{
    BYTE stats[176] = {};
    QueryOid(OID_802_11_STATISTICS, stats, sizeof(stats), nullptr);
    ULONGLONG tx = 0;
    std::memcpy(&tx, stats + offsetof(NDIS_802_11_STATISTICS, TransmittedFragmentCount), sizeof(tx));
    DWORD rcv = 0;
    QueryOid(OID_GEN_RCV_OK, &rcv, sizeof(rcv), nullptr);
    long long d = (long long)(tx - m_qwTxFragSnapshot);
    WepCheckDecide(d, rcv != m_dwRcvOkSnapshot, g_bLegacyModel, &m_bWepCheck, &g_bIcvError);
    m_qwTxFragSnapshot = tx;
    m_dwRcvOkSnapshot = rcv;
}

void CHideDlg::LinkPoll(UINT_PTR id)
{
    DWORD status = 0;
    QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &status, sizeof(status), nullptr);
    std::memset(g_CurBssid, 0, sizeof(g_CurBssid));
    QueryOid(OID_802_11_BSSID, g_CurBssid, sizeof(g_CurBssid), nullptr);
    std::memset(&g_CurSsid, 0, sizeof(g_CurSsid));
    QueryOid(OID_802_11_SSID, &g_CurSsid, sizeof(g_CurSsid), nullptr);
    // A driver that claims more than 32 bytes is read as 32.
    if (g_CurSsid.SsidLength > 32) g_CurSsid.SsidLength = 32;
    m_dwMediaStatus = status;

    BOOL mismatch = TRUE;
    if (g_pCurProfile) {
        if (g_pCurProfile->matchByBssid) {
            if (!IsZeroMac(g_pCurProfile->bssid) && std::memcmp(g_pCurProfile->bssid, g_CurBssid, 6) == 0)
                mismatch = FALSE;
        } else if (g_CurSsid.SsidLength && g_pCurProfile->ssid.SsidLength &&
                   std::memcmp(&g_pCurProfile->ssid, &g_CurSsid, sizeof(NDIS_802_11_SSID)) == 0) {
            mismatch = FALSE;
        }
    }

    if (status != 0 || IsZeroMac(g_CurBssid)) {
        g_bIcvError = FALSE;
        KillTimer(IDT_WEP_CHECK);
        if (m_bWepCheck) {
            SetTimer(IDT_WEP_CHECK, 10000);
            TakeWepBaseline();
        }
        UpdateTrayIcon(IDI_TRAY_DISCONNECT);
        bool windowOpen = OpenedMainWindow() != nullptr;
        if (g_nWzcMode != WZC_MANAGES && g_bRadioOn && !windowOpen && m_nPollCount != 0 && m_nPollCount % 90 == 0)
            ConnectIfRequested();
        m_nPollCount += 1;
        return;
    }

    LONG signal = -100;   // no reading: counts as no signal
    QueryOid(OID_802_11_RSSI, &signal, sizeof(signal), nullptr);
    LONG second = 0;
    if (QueryOid(OID_VENDOR_RSSI_1, &second, sizeof(second), nullptr) && second > signal) signal = second;
    int percent = RssiToPercent(signal);
    m_nPollCount = mismatch ? 0 : m_nPollCount + 1;
    UINT icon;
    if (g_bIcvError) icon = IDI_TRAY_WEP_ERROR;
    else if (percent > 70) icon = IDI_TRAY_GOOD;
    else if (percent > 40) icon = IDI_TRAY_NORMAL;
    else icon = IDI_TRAY_WEAK;
    UpdateTrayIcon(icon);
    if (id == IDT_WEP_CHECK && m_bWepCheck) WepCheckStep();
}

void CHideDlg::ReconnectTest()
{
    DWORD infra = 0;
    QueryOid(OID_802_11_INFRASTRUCTURE_MODE, &infra, sizeof(infra), nullptr);
    if (g_bIeee80211h == 1 || infra == 0 || m_nPollCount == 0 || m_nPollCount % 15 != 0 || g_nWzcMode == WZC_MANAGES ||
        !g_bIsAdmin || !g_pCurProfile || m_bAdapterChanged || !g_bRadioOn || g_bWscInUse || g_hAuthPort == 0)
        return;

    DWORD auth = 0, wep = 1;
    QueryOid(OID_802_11_AUTHENTICATION_MODE, &auth, sizeof(auth), nullptr);
    QueryOid(OID_802_11_WEP_STATUS, &wep, sizeof(wep), nullptr);

    char want[33], have[33];
    SsidToText(g_pCurProfile->ssid, want);
    SsidToText(g_CurSsid, have);
    bool reconnect = m_dwMediaStatus == 1 || IsZeroMac(g_CurBssid) ||
                     (g_pCurProfile->ssid.SsidLength && want[0] && std::strcmp(want, have) != 0) ||
                     auth != g_pCurProfile->authMode || wep != g_pCurProfile->encryption;
    if (!reconnect) return;

    if (g_bConfigFromRegistry == 1) {
        if (g_bAutoConnect == 1 && !g_pCurProfile->matchByBssid) SetOidFromReg(TRUE);
    } else if (g_bAutoConnect == 1) {
        StationConfig* copy = nullptr;
        if (!CopyStationConfig(&copy, g_pCurProfile) || !copy) return;
        copy->applyRadioSettings = 0;
        if (UpdateConnectRequest(CONNECT_APPLY, copy)) {
            CConfigMainDlg* window = OpenedMainWindow();
            CWnd* peap = window ? window->BuiltPanel(PANEL_PEAP_SETTING) : nullptr;
            if (!peap || !peap->IsWindow() || !peap->IsWindowVisible()) ConnectProfile();
        }
    }
}

UINT CHideDlg::OnPowerBroadcast(UINT nPowerEvent, LPARAM)
{
    if (nPowerEvent == PBT_APMSUSPEND) {
        if (AuthPortObjectExists()) KillAllTimers();
    } else if (nPowerEvent == PBT_APMRESUMESUSPEND) {
        SetTimer(IDT_ADAPTER_POLL, 2000);
        SetTimer(IDT_RECONNECT, 3000);
        if (m_bWepCheck) SetTimer(IDT_WEP_CHECK, 10000);
    }
    return (UINT)Default();
}

LRESULT CHideDlg::OnTrayNotify(WPARAM, LPARAM lParam)
{
    if (!m_bBusy) {
        if (lParam == WM_LBUTTONDBLCLK) {
            if (m_bAdapterFound && IsAdapterPresent()) OpenMainWindow();
        } else if (lParam == WM_RBUTTONDOWN) {
            ShowTrayMenu();
        }
    }
    return Default();
}

// The shell announces its restart ("TaskbarCreated") with a registered
// message; any of them puts the icon back.
LRESULT CHideDlg::OnRegisteredMessage(UINT, WPARAM, LPARAM)
{
    if (!m_bBusy) {
        RemoveTrayIcon();
        AddTrayIcon();
    }
    return Default();
}

UINT CHideDlg::PickTrayMenu() const
{
    CString folder = ProgramFolder();
    BOOL tools = FileReadable(folder + "Fendrel.exe") && FileReadable(folder + "Miskor.exe");
    BOOL modelOk = g_nModelIndex >= 4 && g_nModelIndex <= 8;
    return ChooseTrayMenu(g_bIsAdmin, g_nWzcMode, g_nOsVersion, tools, modelOk, m_bAdapterFound);
}

void CHideDlg::ShowTrayMenu()
{
    UINT id = PickTrayMenu();
    CMenu menu;
    if (!menu.LoadMenu(id)) return;
    HMENU popup = menu.GetSubMenu(0);
    if (!popup) return;
    m_nLastMenu = id;
    POINT pt;
    GetCursorPos(&pt);
    SetForegroundWindow();
    ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessage(WM_NULL);
}

void CHideDlg::OnLaunch()
{
    if (m_bBusy) return;
    if (m_bAdapterFound && IsAdapterPresent()) OpenMainWindow();
}

void CHideDlg::OnExit()
{
    if (m_bBusy) return;
    DestroyMainWindow();
    RemoveTrayIcon();
    KillAllTimers();
    EndDialog(1);
}

void CHideDlg::OnPaint()
{
    PAINTSTRUCT ps;
    BeginPaint(m_hWnd, &ps);
    EndPaint(m_hWnd, &ps);
    ShowWindow(SW_HIDE);
}

void CHideDlg::OnDestroy()
{
    if (!m_bSwitchedToAp) SaveConfigAsDefault();
    FreeScanBuffers();
    ShutdownAuthLibrary();
    ClearConnectRequests();
    ClearOidRetryList();
    if (g_pCurProfile) {
        FreeStationConfig(g_pCurProfile);
        g_pCurProfile = nullptr;
    }
    // Ended some other way than Exit: do not leave a dead icon behind.
    if (m_bTrayIconAdded) RemoveTrayIcon();
    DestroyMainWindow();
    Default();
}

void CHideDlg::OpenMainWindow()
{
    if (m_bBusy || !m_bAdapterFound) return;
    // The window's first paint lets messages sent from other threads in (the
    // shell's tray events among them): none may poll, open a menu or lose
    // the adapter (and so delete the window) while it is half made.
    m_bBusy = TRUE;
    if (!OpenedMainWindow()) {
        DestroyMainWindow();   // an object whose window is gone is not reused
        m_pMainDlg = new CConfigMainDlg(this);
        if (!m_pMainDlg->Create(IDD_CONFIG_MAIN, this)) {
            DestroyMainWindow();
            m_bBusy = FALSE;
            return;
        }
    }
    m_pMainDlg->SetWindowPos(nullptr, 0, 0, kMainWindowWidth, kMainWindowHeight,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    if (::IsIconic(m_pMainDlg->m_hWnd)) m_pMainDlg->ShowWindow(SW_RESTORE);
    m_pMainDlg->SetForegroundWindow();
    m_bBusy = FALSE;
}

CConfigMainDlg* CHideDlg::OpenedMainWindow() const
{
    return (m_pMainDlg && m_pMainDlg->IsWindow()) ? m_pMainDlg : nullptr;
}

void CHideDlg::DestroyMainWindow()
{
    CConfigMainDlg* window = m_pMainDlg;
    if (!window) return;
    m_pMainDlg = nullptr;   // nothing reaches a window on its way out
    if (window->IsWindow()) window->DestroyWindow();
    delete window;
}

void CHideDlg::ShowPage(int n)
{
    CConfigMainDlg* window = OpenedMainWindow();
    if (!window) return;
    for (int i = 0; i < PANEL_COUNT; ++i) {
        CWnd* p = window->BuiltPanel(i);
        if (p) p->ShowWindow(SW_HIDE);
    }
    m_nCurPanel = n;
    if (n >= 0 && n < PANEL_COUNT) {
        CWnd* p = window->GetPanel(n);
        if (p && p->IsWindow()) p->ShowWindow(SW_SHOW);
    }
}

BOOL CHideDlg::KillAllTimers()
{
    for (UINT_PTR id = 0; id <= 7; ++id) KillTimer(id);
    return TRUE;
}

BOOL CHideDlg::AddTrayIcon()
{
    std::memset(&m_nid, 0, sizeof(m_nid));
    m_nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = IDI_TRAY_GOOD;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    m_nid.hIcon = LoadTrayIcon(IDI_TRAY_DISCONNECT);
    LoadStringA(AfxGetResourceHandle(), IDS_TIP_DISCONNECTED, m_nid.szTip, sizeof(m_nid.szTip));
    BOOL ok = Shell_NotifyIconA(NIM_ADD, &m_nid);
    if (ok) {
        m_bTrayIconAdded = TRUE;
        ++m_nIconAdds;
        MirrorTrayState(IDI_TRAY_DISCONNECT, m_nid.szTip);
    }
    return ok;
}

BOOL CHideDlg::RemoveTrayIcon()
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.hWnd = m_hWnd;
    nid.uID = IDI_TRAY_GOOD;
    BOOL ok = Shell_NotifyIconA(NIM_DELETE, &nid);
    if (ok) {
        m_bTrayIconAdded = FALSE;
        MirrorTrayState(0, "");
    }
    return ok;
}

BOOL CHideDlg::UpdateTrayIcon(UINT iconId)
{
    HICON icon = LoadTrayIcon(iconId);
    m_nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = IDI_TRAY_GOOD;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    m_nid.hIcon = icon;
    FormatTrayTip(iconId, g_CurSsid, m_nid.szTip, sizeof(m_nid.szTip));
    m_nid.uFlags = NIF_ICON | NIF_TIP;
    BOOL ok = Shell_NotifyIconA(NIM_MODIFY, &m_nid);
    if (!ok) {
        // The shell lost the icon (explorer restarted): add it again.
        Shell_NotifyIconA(NIM_DELETE, &m_nid);
        m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        ok = Shell_NotifyIconA(NIM_ADD, &m_nid);
        m_bTrayIconAdded = ok;
        if (ok) ++m_nIconAdds;
    }
    if (ok) MirrorTrayState(iconId, m_nid.szTip);
    if (CConfigMainDlg* window = OpenedMainWindow()) window->SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)icon);
    return ok;
}

void CHideDlg::MirrorTrayState(UINT iconId, const char* tip)
{
    m_nShownIcon = iconId;
    // The poll shows the same tip tick after tick: the text goes over only when it changes.
    if (m_tipMirror.IsWindow() && m_tipMirror.GetWindowText() != tip) m_tipMirror.SetWindowText(tip);
}

LRESULT CHideDlg::OnMark(WPARAM, LPARAM lParam)
{
    m_nMark = (LONG)lParam;
    return 0;
}

LRESULT CHideDlg::OnQueryState(WPARAM wParam, LPARAM)
{
    switch (wParam) {
    case KQ_STATE_ICON: return m_bTrayIconAdded ? m_nShownIcon : 0;
    case KQ_STATE_ADAPTER_CHANGED: return m_bAdapterChanged;
    case KQ_STATE_POLL_COUNT: return m_nPollCount;
    case KQ_STATE_LAST_MENU: return m_nLastMenu;
    case KQ_STATE_ADAPTER_FOUND: return m_bAdapterFound;
    case KQ_STATE_WEP_CHECK: return m_bWepCheck;
    case KQ_STATE_ICV_ERROR: return g_bIcvError;
    case KQ_STATE_MAIN_WINDOW: return (LRESULT)(OpenedMainWindow() ? m_pMainDlg->m_hWnd : nullptr);
    case KQ_STATE_MODEL: return g_nModelIndex;
    case KQ_STATE_MARK: return m_nMark;
    case KQ_STATE_ICON_ADDS: return m_nIconAdds;
    default: return -1;
    }
}

// ---- Adapter discovery, driver events, Zero Configuration ---------------------

namespace {

// The user's choice among several candidates; the first when the dialog is
// closed without one.  The controller is busy while the dialog is up.
DWORD ChooseAdapterWithDialog(HDEVINFO set, const CDWordArray& candidates, void* context)
{
    CHideDlg* controller = static_cast<CHideDlg*>(context);
    controller->m_bBusy = TRUE;
    CSelectAdapterDlg dlg;
    dlg.SetDeviceInfoSet(set);
    for (INT_PTR i = 0; i < candidates.GetSize(); ++i) dlg.m_arrDeviceIndex.Add(candidates[i]);
    DWORD chosen = dlg.DoModal() == IDOK ? dlg.m_dwChosenIndex : candidates[0];
    controller->m_bBusy = FALSE;
    return chosen;
}

}  // namespace

BOOL CHideDlg::FindAndOpenAdapter()
{
    BOOL changed = FALSE;
    if (!FindAdapter(ChooseAdapterWithDialog, this, &changed)) return FALSE;
    if (changed) m_bAdapterChanged = TRUE;
    return TRUE;
}

void CHideDlg::StartEventWatcher()
{
    m_EventWatcher.SetNotifyWindow(m_hWnd);
    m_EventWatcher.Connect();
}

LRESULT CHideDlg::OnWlanEvent(WPARAM, LPARAM)
{
    m_EventWatcher.OnWlanEvent();
    return 0;
}

void CHideDlg::OnUseWzc()
{
    if (m_bBusy) return;
    HandOverToWzc();
}

void CHideDlg::OnUseOwnTool()
{
    if (m_bBusy) return;
    TakeBackFromWzc();
}

void CHideDlg::OnSwitchToAp()
{
    if (m_bBusy) return;
    StopAuthenticationAndClosePort();
    StopWzcService(TRUE);
    OnExit();
    m_bSwitchedToAp = TRUE;
    SaveConfigAsDefault();
    LoadApDefaultConfig();
    SetApOpMode();
    WinExec(SWITCH_TO_AP_COMMAND, SW_MINIMIZE);
}

// ---- The doors below the controller -------------------------------------------------

void CControllerDoors::SetControllerTimer(UINT_PTR id, UINT ms)
{
    if (m_c.IsWindow()) m_c.SetTimer(id, ms);
}

void CControllerDoors::KillControllerTimer(UINT_PTR id)
{
    if (m_c.IsWindow()) m_c.KillTimer(id);
}

BOOL CControllerDoors::IsWepCheckOn() const { return m_c.m_bWepCheck; }

void CControllerDoors::SetWepCheck(BOOL on) { m_c.m_bWepCheck = on; }

void CControllerDoors::TakeWepBaseline() { m_c.TakeWepBaseline(); }

void CControllerDoors::ClearAdapterChanged() { m_c.m_bAdapterChanged = FALSE; }

void CControllerDoors::ShowAuthStatusPanel() { m_c.ShowPage(PANEL_AUTH_STATUS); }

void CControllerDoors::ShowCredentialPrompt() { m_c.ShowPage(PANEL_CREDENTIAL_PROMPT); }

CPeapSettingDlg* CControllerDoors::PeapPanel()
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    CPeapSettingDlg* peap = window ? static_cast<CPeapSettingDlg*>(window->GetPanel(PANEL_PEAP_SETTING)) : nullptr;
    return peap && peap->IsWindow() ? peap : nullptr;
}

BOOL CControllerDoors::PromptTunnelIdentity(const char* identity)
{
    CPeapSettingDlg* peap = PeapPanel();
    if (!peap) return FALSE;
    // A prompt in front already stands.
    if (peap->IsWindowVisible()) return TRUE;
    peap->SeedIdentity(identity, "");
    m_c.ShowPage(PANEL_PEAP_SETTING);
    return TRUE;
}

BOOL CControllerDoors::PromptPasswordChange()
{
    CPeapSettingDlg* peap = PeapPanel();
    if (!peap) return FALSE;
    peap->SeedIdentity(g_pCurProfile ? g_pCurProfile->tunnelId : "", "");
    // Shown already (the engine's prompt): it becomes the password change
    // in place, since hiding it would end the change.
    if (peap->IsWindowVisible()) peap->ApplyForm();
    else m_c.ShowPage(PANEL_PEAP_SETTING);
    return TRUE;
}

void CControllerDoors::EndPasswordChangePrompt()
{
    if (CPeapSettingDlg* peap = PeapPanel()) peap->PasswordChangeEnded();
}

void CControllerDoors::AnnounceAuthLogLine(int index)
{
    CChildPage* page = OpenedPanel(PANEL_AUTH_STATUS);
    if (page && page->IsWindow()) ::PostMessageA(page->m_hWnd, WM_APP_AUTH_LOG_LINE, (WPARAM)index, 0);
}

void CControllerDoors::EnableProfileButton(BOOL enable)
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    CSkinButton* profile = window ? window->GetNavButton(NAV_PROFILE) : nullptr;
    if (profile && profile->IsWindow()) ::EnableWindow(profile->m_hWnd, enable);
}

void CControllerDoors::ShowNetworkPage()
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    CSkinButton* network = window ? window->GetNavButton(NAV_NETWORK) : nullptr;
    if (network && network->IsWindow()) ::SendMessageA(network->m_hWnd, BM_CLICK, 0, 0);
}

void CControllerDoors::UseWzc() { m_c.OnUseWzc(); }

void CControllerDoors::UseOwnTool() { m_c.OnUseOwnTool(); }

void CControllerDoors::ShowPanel(int n) { m_c.ShowPage(n); }

CChildPage* CControllerDoors::OpenedPanel(int n)
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    return window ? window->GetPanel(n) : nullptr;
}

CChildPage* CControllerDoors::MadePanel(int n)
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    return window ? window->BuiltPanel(n) : nullptr;
}

BOOL CControllerDoors::ReopenAdapter() { return m_c.FindAndOpenAdapter(); }

void CControllerDoors::ShowProfileList()
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    if (!window) return;
    CSkinButton* profile = window->GetNavButton(NAV_PROFILE);
    if (profile && profile->IsWindow()) ::SendMessageA(profile->m_hWnd, BM_CLICK, 0, 0);
    if (window->m_pProfilePage) window->m_pProfilePage->LoadProfileList();
}

CString CControllerDoors::NewProfileName()
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    CString name;
    if (window && window->m_pProfilePage) window->m_pProfilePage->MakeNewProfileName(name);
    return name;
}

CString CControllerDoors::AppliedSsid()
{
    CConfigMainDlg* window = m_c.OpenedMainWindow();
    return (window && window->m_pProfilePage) ? window->m_pProfilePage->m_strAppliedSsid : CString();
}
