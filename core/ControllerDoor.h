// The one way up from core and auth to the controller (app/HideDlg): its
// timers, the panels it shows, the navigation bar and the Zero Configuration
// commands.  The controller sets g_pControllerDoor while it exists; callers
// check it and do nothing without one.
#pragma once

#include <windows.h>

// Timers of the controller's window (the engine and the WPS run time set some).
#define IDT_ADAPTER_POLL    1
#define IDT_RECONNECT       2
#define IDT_WEP_CHECK       3
#define IDT_WPS_CREDENTIAL  4
#define IDT_WPS_BUTTON      5
#define IDT_WPS_STATUS      6
#define IDT_WPS_SCAN        7

class CControllerDoor {
public:
    virtual void SetControllerTimer(UINT_PTR id, UINT ms) = 0;
    virtual void KillControllerTimer(UINT_PTR id) = 0;

    // The WEP check the link poll runs after a WEP apply.
    virtual BOOL IsWepCheckOn() const = 0;
    virtual void SetWepCheck(BOOL on) = 0;
    virtual void TakeWepBaseline() = 0;
    // An applied record settles an adapter change.
    virtual void ClearAdapterChanged() = 0;

    // Panels of the configuration window, when it is open.
    virtual void ShowAuthStatusPanel() = 0;
    virtual void ShowCredentialPrompt() = 0;
    // Seeds the PEAP panel with the tunnel identity and an empty password and
    // shows it; nothing when the panel is already in front.  FALSE when there
    // is no configuration window to ask in.
    virtual BOOL PromptTunnelIdentity(const char* identity) = 0;
    // The same for a password change the library asks for (the current
    // profile's tunnel identity, kept); FALSE without the window.
    virtual BOOL PromptPasswordChange() = 0;
    // That change ended without the user's OK: the PEAP panel, when it is out
    // for it, asks for a new password no more.
    virtual void EndPasswordChangePrompt() = 0;
    // Hands line index of the authentication log to the status panel.
    virtual void AnnounceAuthLogLine(int index) = 0;

    // Zero Configuration: the Profile navigation button, the Network page.
    virtual void EnableProfileButton(BOOL enable) = 0;
    virtual void ShowNetworkPage() = 0;
    // The installer's run-once choice: the controller's tray commands.
    virtual void UseWzc() = 0;
    virtual void UseOwnTool() = 0;

protected:
    ~CControllerDoor() = default;
};

extern CControllerDoor* g_pControllerDoor;
