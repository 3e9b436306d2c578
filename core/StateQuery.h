// The controller's private state message: what tests and the run command ask
// the running controller about the one thing no interface shows, the
// notification icon.  Not for growing: everything else is observed through
// the driver, the registry and the windows.
#pragma once

#include <windows.h>

// wParam selects (KQ_STATE_*); the answer is the result.  The tooltip text is
// mirrored in the controller's hidden child static IDC_TRAY_TIP_MIRROR.
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
