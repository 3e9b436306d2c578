// The invisible controller: finds the adapter, owns the notification icon and
// its menus, polls the link, and hosts the configuration window.
#pragma once

#include "classlib/ClassLib.h"
#include <ntddndis.h>

#include "core/WlanEvents.h"
#include "mainwnd/ConfigMainDlg.h"

struct StationConfig;

#define WM_TRAY_NOTIFY     (WM_USER + 100)   // 0x464, notification icon callback
#define WM_APP_WMI_EVENT   (WM_APP + 1)      // 0x8001, driver event from the WMI sink

// Timers of the controller's window
#define IDT_ADAPTER_POLL    1
#define IDT_RECONNECT       2
#define IDT_WEP_CHECK       3
#define IDT_WPS_CREDENTIAL  4
#define IDT_WPS_BUTTON      5
#define IDT_WPS_STATUS      6
#define IDT_WPS_SCAN        7

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

    // What the pages, the other parts of the controller and the tests use.
    void InitAdapter(BOOL bShow);
    BOOL FindAndOpenAdapter();
    void OpenMainWindow();
    // The configuration window while its window exists, else NULL.
    CConfigMainDlg* OpenedMainWindow() const;
    // Destroys the configuration window and deletes it; the only place that does.
    void DestroyMainWindow();
    void ShowPage(int n);
    BOOL KillAllTimers();
    BOOL UpdateTrayIcon(UINT iconId);
    // One WEP-check step against the driver (statistics and RCV_OK).
    void WepCheckStep();

    // Zero Configuration hand-over and the switch to access-point mode
    // (tray commands; also the installer's run-once choice).
    void OnUseWzc();
    void OnUseOwnTool();
    void OnSwitchToAp();
    // WMI driver events.
    void StartEventWatcher();
    // Connection engine.
    BOOL UpdateConnectRequest(int kind, void* p);
    void ConnectProfile();

    CConfigMainDlg* m_pMainDlg = nullptr;   // owned: made by OpenMainWindow, deleted by DestroyMainWindow
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
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Message handlers, in the order of the message map.
    UINT OnPowerBroadcast(UINT nPowerEvent, LPARAM nEventData);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnLaunch();
    void OnExit();
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    LRESULT OnWlanEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryState(WPARAM wParam, LPARAM lParam);
    LRESULT OnMark(WPARAM wParam, LPARAM lParam);
    LRESULT OnRegisteredMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // The poll's own steps, for the timer events that run it.
    void OnTimerBody(UINT_PTR id);
    void LinkPoll(UINT_PTR id);
    void ReconnectTest();
    BOOL HandleAdapterLoss();          // TRUE when an adapter was found again
    void KeepAuthPort();
    void TakeWepBaseline();

    // The notification icon and its menus.
    BOOL AddTrayIcon();
    BOOL RemoveTrayIcon();
    void ShowTrayMenu();
    // The menu ShowTrayMenu would show now (the program's folder and state).
    UINT PickTrayMenu() const;
    void MirrorTrayState(UINT iconId, const char* tip);

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

// The controller's shared state and who writes it.
extern CHideDlg* g_pHideDlg;              // the controller, from its OnInitDialog to its destruction
extern NDIS_802_11_SSID g_CurSsid;        // the link poll
extern BYTE g_CurBssid[6];                // the link poll
extern BOOL g_bIcvError;                  // the link poll and its WEP check
extern BOOL g_bButtonClicked;             // set by every owner-drawn button click; adapter loss clears it
extern BOOL g_bAuthPortCurrent;           // the controller: 0 when the adapter went away
extern BOOL g_bIsAdmin;                   // CheckAdminPrivilege, at start
extern BOOL g_bDebugTrace;                // bCheckBuild, read on every event while the window is open
extern BOOL g_bRadioOn;                   // InitAdapter, and the radio command of the window
extern BOOL g_bEepromWord36Bit8Clear;     // InitAdapter
extern BOOL g_bEepromWord36Bit9Clear;     // InitAdapter
