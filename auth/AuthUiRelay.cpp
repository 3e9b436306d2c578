#include "auth/AuthUiRelay.h"

#include "auth/AuthLogRing.h"
#include "auth/PasswordChange.h"
#include "core/ControllerDoor.h"

namespace {

const char kRelayClass[] = "KestiqAuthRelay";
const UINT WM_RELAY_SHOW_PAGE = WM_APP + 1;
const UINT WM_RELAY_LOG_LINE = WM_APP + 2;
const UINT WM_RELAY_PASSWORD_CHANGE = WM_APP + 3;
const UINT WM_RELAY_PASSWORD_CHANGE_ENDED = WM_APP + 4;
HWND g_hRelay = nullptr;

LRESULT CALLBACK RelayProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_RELAY_SHOW_PAGE) {
        if (g_pControllerDoor) g_pControllerDoor->ShowCredentialPrompt();
        return 0;
    }
    if (msg == WM_RELAY_PASSWORD_CHANGE) {
        // Without the window to ask in, the change ends at once.
        if (PasswordChangePending() && !(g_pControllerDoor && g_pControllerDoor->PromptPasswordChange()))
            CancelPasswordChange();
        return 0;
    }
    if (msg == WM_RELAY_PASSWORD_CHANGE_ENDED) {
        if (g_pControllerDoor) g_pControllerDoor->EndPasswordChangePrompt();
        return 0;
    }
    if (msg == WM_RELAY_LOG_LINE) {
        if (g_pControllerDoor) g_pControllerDoor->AnnounceAuthLogLine((int)wParam);
        return 0;
    }
    if (msg == WM_DESTROY && hwnd == g_hRelay) g_hRelay = nullptr;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

void CreateAuthUiRelay()
{
    if (g_hRelay && IsWindow(g_hRelay)) return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RelayProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kRelayClass;
    RegisterClassA(&wc);   // fails harmlessly when the class exists
    g_hRelay = CreateWindowExA(0, kRelayClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

bool PostShowCredentialPrompt()
{
    HWND h = g_hRelay;
    return h && PostMessageA(h, WM_RELAY_SHOW_PAGE, 0, 0);
}

bool PostAuthLogLine(int index)
{
    HWND h = g_hRelay;
    return h && PostMessageA(h, WM_RELAY_LOG_LINE, (WPARAM)index, 0);
}

bool PostPasswordChangePrompt()
{
    HWND h = g_hRelay;
    return h && PostMessageA(h, WM_RELAY_PASSWORD_CHANGE, 0, 0);
}

bool PostPasswordChangeEnded()
{
    HWND h = g_hRelay;
    return h && PostMessageA(h, WM_RELAY_PASSWORD_CHANGE_ENDED, 0, 0);
}
