// The timers this program starts while the recorder lives: every SetTimer
// call of the product (linked into the test program) is seen with its
// window, id and period, and then made for real.  A timer's period is read
// here rather than timed, so that a busy machine cannot make it look wrong.
#pragma once

#include <windows.h>

#include <vector>

#include "support/ImportHook.h"

namespace kqtest {

class TimerRecorder {
public:
    struct Start {
        HWND window;
        UINT_PTR id;
        UINT ms;
    };
    TimerRecorder() : m_hook("SetTimer", reinterpret_cast<void*>(&Record))
    {
        s_real = m_hook.Real<SetTimerFn>();
        s_active = this;
    }
    ~TimerRecorder() { s_active = nullptr; }
    TimerRecorder(const TimerRecorder&) = delete;
    TimerRecorder& operator=(const TimerRecorder&) = delete;

    bool ok() const { return m_hook.ok(); }
    std::vector<Start> starts;

private:
    typedef UINT_PTR(WINAPI* SetTimerFn)(HWND, UINT_PTR, UINT, TIMERPROC);
    static UINT_PTR WINAPI Record(HWND w, UINT_PTR id, UINT ms, TIMERPROC proc)
    {
        if (s_active) s_active->starts.push_back({ w, id, ms });
        return s_real(w, id, ms, proc);
    }
    static inline TimerRecorder* s_active = nullptr;
    static inline SetTimerFn s_real = nullptr;
    ImportHook m_hook;
};

}  // namespace kqtest
