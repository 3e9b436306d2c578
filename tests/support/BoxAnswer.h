// Answers the program's message box (caption "Kestiq") once it shows, from
// a second thread, and keeps the text it showed.  It looks for the box until
// Text() is asked for, and for 30 s at most: a box that a slow machine shows
// late is still answered.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "resource.h"

namespace kqtest {

class BoxAnswer {
public:
    enum Kind { OK, CLOSE };
    explicit BoxAnswer(Kind kind = OK) : m_thread([this, kind] { Run(kind); }) {}
    ~BoxAnswer()
    {
        m_done = true;
        if (m_thread.joinable()) m_thread.join();
    }
    std::string Text()
    {
        m_done = true;
        if (m_thread.joinable()) m_thread.join();
        return m_text;
    }
    bool Shown() { return !Text().empty(); }

private:
    void Run(Kind kind)
    {
        const DWORD start = GetTickCount();
        while (!m_done && GetTickCount() - start < kLookMs) {
            HWND box = FindWindowA("#32770", "Kestiq");
            DWORD pid = 0;
            if (box) GetWindowThreadProcessId(box, &pid);
            if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
                char text[256] = {};
                GetWindowTextA(GetDlgItem(box, IDC_MESSAGE_TEXT), text, sizeof(text));
                m_text = text;
                if (kind == OK) PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                else PostMessageA(box, WM_CLOSE, 0, 0);
                return;
            }
            Sleep(10);
        }
    }
    static constexpr DWORD kLookMs = 30000;
    std::atomic<bool> m_done{false};
    std::string m_text;
    std::thread m_thread;
};

}  // namespace kqtest
