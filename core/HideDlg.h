// The invisible controller: finds the adapter, owns the notification icon and
// its menus, polls the link, and hosts the configuration window.
#pragma once

#include "classlib/ClassLib.h"
#include <ntddndis.h>

#include "core/WlanEvents.h"

class CConfigMainDlg;
struct StationConfig;

#define WM_TRAY_NOTIFY     (WM_USER + 100)   // 0x464, notification icon callback
#define WM_APP_WMI_EVENT   (WM_APP + 1)      // 0x8001, driver event from the WMI sink

// Asked by tests and the run command: what the controller shows.
// wParam selects (KQ_STATE_*); the answer is the result.  The tooltip text is
// mirrored in the hidden child static IDC_TRAY_TIP_MIRROR.
#define WM_KQ_QUERY_STATE  (WM_APP + 0x40)
enum {
    KQ_STATE_ICON = 0,            // icon id in the notification area, 0 when none
    KQ_STATE_ADAPTER_CHANGED = 1, // m_bAdapterChanged
    KQ_STATE_POLL_COUNT = 2,      // m_nPollCount
    KQ_STATE_LAST_MENU = 3,       // resource id of the tray menu last shown, 0 none
    KQ_STATE_ADAPTER_FOUND = 4,   // m_bAdapterFound
    KQ_STATE_WEP_CHECK = 5,       // m_bWepCheck
    KQ_STATE_ICV_ERROR = 6,       // g_bIcvError
    KQ_STATE_MAIN_WINDOW = 7,     // HWND of the configuration window, 0 none
    KQ_STATE_MODEL = 8,           // g_nModelIndex
    KQ_STATE_MARK = 9,            // lParam of the last WM_KQ_MARK
    KQ_STATE_ICON_ADDS = 10       // icons the shell accepted with NIM_ADD so far
};
// Posted after other posted messages: once KQ_STATE_MARK answers its lParam,
// everything posted before it has been handled.
#define WM_KQ_MARK         (WM_APP + 0x41)
#define IDC_TRAY_TIP_MIRROR 1001

// Tray icon states (icon resource ids)
#define IDI_TRAY_GOOD        131
#define IDI_TRAY_DISCONNECT  132
#define IDI_TRAY_NORMAL      159
#define IDI_TRAY_WEAK        160
#define IDI_TRAY_NO_ADAPTER  161
#define IDI_TRAY_WEP_ERROR   162

// Timers of the controller's window
#define IDT_ADAPTER_POLL    1
#define IDT_RECONNECT       2
#define IDT_WEP_CHECK       3
#define IDT_WPS_CREDENTIAL  4
#define IDT_WPS_BUTTON      5
#define IDT_WPS_STATUS      6
#define IDT_WPS_SCAN        7

// Lower panels of the configuration window
enum {
    PANEL_LINK_STATUS = 0,
    PANEL_HIDDEN_SSID = 1,
    PANEL_PROFILE_EDIT = 2,
    PANEL_CONNECT_SETTINGS = 3,
    PANEL_NETWORK_INFO = 4,
    PANEL_AUTH_STATUS = 5,
    PANEL_WPS_PROFILE_DETAIL = 6,
    PANEL_CREDENTIAL_PROMPT = 7,
    PANEL_PEAP_SETTING = 8,
    PANEL_COUNT = 9
};

// The tray menu for a situation (resource 148 or 150-154).
UINT ChooseTrayMenu(BOOL isAdmin, int wzcMode, int osCode, BOOL toolsPresent, BOOL modelOk,
                    BOOL adapterFound);

// Outcome of one WEP-check step: d = transmitted fragments since the last step.
void WepCheckDecide(long long d, BOOL rcvOkChanged, BOOL legacyModel, BOOL* pWepCheck,
                    BOOL* pIcvError);

// Tooltip for an icon state: the string-table text with the SSID bytes
// (clamped to 32) as its argument, cut to cchMax - 1 characters.
void FormatTrayTip(UINT iconId, const NDIS_802_11_SSID& ssid, char* out, size_t cchMax);

int RssiToPercent(int dBm);
void CheckAdminPrivilege();
void DelayMs(DWORD n);

class CHideDlg : public CDialog {
public:
    explicit CHideDlg(CWnd* pParent = nullptr);
    ~CHideDlg() override;

    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;

    void InitAdapter(BOOL bShow);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnDestroy();
    void OnLaunch();
    void OnExit();

    void OpenMainWindow();
    void ShowPage(int n);
    BOOL KillAllTimers();
    BOOL AddTrayIcon();
    BOOL RemoveTrayIcon();
    BOOL UpdateTrayIcon(UINT iconId);
    void ShowTrayMenu();
    // The menu ShowTrayMenu would show now (the program's folder and state).
    UINT PickTrayMenu() const;

    BOOL FindAndOpenAdapter();

    // One WEP-check step against the driver (statistics and RCV_OK).
    void WepCheckStep();
    // The poll's own steps, for the timer events that run it.
    void LinkPoll(UINT_PTR id);
    void ReconnectTest();

    // Zero Configuration hand-over and the switch to access-point mode.
    void OnUseWzc();
    void OnUseOwnTool();
    void OnSwitchToAp();
    // WMI driver events.
    void StartEventWatcher();
    LRESULT OnWlanEvent(WPARAM wParam, LPARAM lParam);
    // Connection engine.
    BOOL UpdateConnectRequest(int kind, void* p);
    void ConnectProfile();

    CConfigMainDlg* m_pMainDlg = nullptr;
    int m_nCurPanel = 0;
    BOOL m_bAdapterChanged = FALSE;
    DWORD m_dwRcvOkSnapshot = 0;
    ULONGLONG m_qwTxFragSnapshot = 0;
    BOOL m_bWepCheck = FALSE;
    BOOL m_bAdapterFound = FALSE;
    BOOL m_bShowOnStart = TRUE;
    BOOL m_bSwitchedToAp = FALSE;
    CWlanEventWatcher m_EventWatcher;
    int m_nPollCount = 0;
    BOOL m_bBusy = FALSE;
    BOOL m_bTrayIconAdded = FALSE;

protected:
    DECLARE_MESSAGE_MAP()

private:
    BOOL HandleAdapterLoss();          // TRUE when an adapter was found again
    void KeepAuthPort();
    void TakeWepBaseline();
    void MirrorTrayState(UINT iconId, const char* tip);
    LRESULT OnQueryState(WPARAM wParam, LPARAM lParam);
    LRESULT OnMark(WPARAM wParam, LPARAM lParam);
    void OnTimerBody(UINT_PTR id);
    // Connection engine steps (ConnectEngine.cpp).
    void TakeScanResult();
    void ApplyStationConfig(StationConfig* r);
    void ApplyDot1x(StationConfig* r);
    void ApplyRadioBlock(StationConfig* r);
    void SetChannel(DWORD khz);

    NOTIFYICONDATAA m_nid = {};
    DWORD m_dwMediaStatus = 1;     // OID_GEN_MEDIA_CONNECT_STATUS at the last poll
    UINT m_nShownIcon = 0;
    BOOL m_bInTimer = FALSE;
    LONG m_nMark = 0;
    LONG m_nIconAdds = 0;
    UINT m_nLastMenu = 0;
    BOOL m_bConnecting = FALSE;    // ConnectProfile is draining the queue
    CStatic m_tipMirror;
};

extern CHideDlg* g_pHideDlg;
extern NDIS_802_11_SSID g_CurSsid;
extern BYTE g_CurBssid[6];
extern BOOL g_bIcvError;
extern BOOL g_bButtonClicked;
extern BOOL g_bAuthPortCurrent;
extern BOOL g_bIsAdmin;
extern BOOL g_bDebugTrace;       // adapter key bCheckBuild, read on every event while the window is open
extern BOOL g_bRadioOn;
extern BOOL g_bEepromWord36Bit8Clear;
extern BOOL g_bEepromWord36Bit9Clear;
