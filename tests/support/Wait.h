// Waiting for a state rather than for time: what a timer, a posted message,
// the driver, a service or another thread produces is checked once it holds,
// with a bound that only a broken program reaches.  A machine several times
// slower than the one a test was written on passes the same waits.
#pragma once

#include <windows.h>

#ifndef WM_SYSTIMER
#define WM_SYSTIMER 0x0118
#endif

namespace kqtest {

// Dispatches what is waiting in this thread's queue now, and returns.
inline void PumpPending()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

// Dispatches what is waiting now except timer events (WM_TIMER and the
// system's own, such as the caret's blink): what a paint still owes shows,
// what a timer would change does not.
inline void PumpPendingButTimers()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageA(&m, nullptr, WM_SYSTIMER + 1, ~0u, PM_REMOVE))
        DispatchMessageA(&m);
}

// Waits until pred() holds or ms pass, pumping this thread's messages and
// looking again at once when one arrives, else every few milliseconds.
template <class Pred>
bool WaitFor(Pred pred, DWORD ms = 20000)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start > ms) return pred();
        PumpPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    }
}

}  // namespace kqtest
