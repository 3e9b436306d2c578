// The invisible controller: finds the adapter, owns the notification icon and
// its menus, polls the link, and hosts the configuration window.
#pragma once

#include "classlib/ClassLib.h"
#include <ntddndis.h>

#include "core/ConnectEngine.h"
#include "core/ControllerDoor.h"
#include "core/LinkState.h"
#include "core/WlanEvents.h"
#include "mainwnd/ConfigMainDlg.h"
#include "pagebase/PanelDoor.h"

struct StationConfig;
class CHideDlg;
class CPeapSettingDlg;

#define WM_TRAY_NOTIFY     (WM_USER + 100)   // 0x464, notification icon callback

// The tray menu for a situation (resource 148 or 150-154).
UINT ChooseTrayMenu(BOOL isAdmin, int wzcMode, int osCode, BOOL toolsPresent, BOOL modelOk,
                    BOOL adapterFound);

// Outcome of one WEP-check step: d = transmitted fragments since the last step.
void WepCheckDecide(long long d, BOOL rcvOkChanged, BOOL legacyModel, BOOL* pWepCheck,
                    BOOL* pIcvError);

// Tooltip for an icon state: the string-table text with the SSID bytes
// (clamped to 32) as its argument, cut to cchMax - 1 characters.
void FormatTrayTip(UINT iconId, const NDIS_802_11_SSID& ssid, char* out, size_t cchMax);

void CheckAdminPrivilege();
void DelayMs(DWORD n);

// The controller's side of the doors that core, auth and the pages call up
// through (core/ControllerDoor.h, pagebase/PanelDoor.h).
class CControllerDoors final : public CControllerDoor, public CPanelDoor {
public:
    explicit CControllerDoors(CHideDlg& controller) : m_c(controller) {}

    void SetControllerTimer(UINT_PTR id, UINT ms) override;
    void KillControllerTimer(UINT_PTR id) override;
    BOOL IsWepCheckOn() const override;
    void SetWepCheck(BOOL on) override;
    void TakeWepBaseline() override;
    void ClearAdapterChanged() override;
    void ShowAuthStatusPanel() override;
    void ShowCredentialPrompt() override;
    BOOL PromptTunnelIdentity(const char* identity) override;
    BOOL PromptPasswordChange() override;
    void EndPasswordChangePrompt() override;
    void AnnounceAuthLogLine(int index) override;
    void EnableProfileButton(BOOL enable) override;
    void ShowNetworkPage() override;
    void UseWzc() override;
    void UseOwnTool() override;

    void ShowPanel(int n) override;
    CChildPage* OpenedPanel(int n) override;
    CChildPage* MadePanel(int n) override;
    BOOL ReopenAdapter() override;
    CString AppliedSsid() override;
    void ShowProfileList() override;
    CString NewProfileName() override;

private:
    // The PEAP panel of the open configuration window; NULL without one.
    CPeapSettingDlg* PeapPanel();

    CHideDlg& m_c;
};

class CHideDlg : public CDialog {
    friend class CControllerDoors;

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
    // Connection engine (core/ConnectEngine.h).
    BOOL UpdateConnectRequest(int kind, void* p) { return ::UpdateConnectRequest(kind, p); }
    void ConnectProfile() { ::ConnectProfile(); }

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

    NOTIFYICONDATAA m_nid = {};
    DWORD m_dwMediaStatus = 1;     // OID_GEN_MEDIA_CONNECT_STATUS at the last poll
    UINT m_nShownIcon = 0;
    BOOL m_bInTimer = FALSE;
    LONG m_nMark = 0;
    LONG m_nIconAdds = 0;
    UINT m_nLastMenu = 0;
    CStatic m_tipMirror;
    CControllerDoors m_doors{ *this };
};

// The controller, from its OnInitDialog to its destruction.  Its shared
// state lives in core/LinkState.h.
extern CHideDlg* g_pHideDlg;
