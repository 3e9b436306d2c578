// The information popups of the filtered edits (each its own top-level
// window beside its edit): whether one of this process shows, and hiding
// them all between the cases of a test.
#pragma once

#include <windows.h>

#include "widgets/InfoWnd.h"

namespace kqtest {

inline bool TipShowing()
{
    for (HWND w = FindWindowA(CInfoWnd::kClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, CInfoWnd::kClassName, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return true;
    }
    return false;
}

inline void HideTips()
{
    for (HWND w = FindWindowA(CInfoWnd::kClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, CInfoWnd::kClassName, nullptr))
        ShowWindow(w, SW_HIDE);
}

}  // namespace kqtest
