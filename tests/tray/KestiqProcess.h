// Runs Kestiq.exe from a test and watches it from outside: its controller
// window, the state it reports, and its end.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "core/StateQuery.h"
#include "resource.h"
#include "support/Wait.h"

namespace kqtest {

// Where the build put Kestiq.exe.
inline std::string BuiltProgram() { return std::string(KQ_BINARY_DIR) + "/Kestiq.exe"; }

// The top-level window of a process with the given title (and class, when given).
inline HWND FindProcessWindow(DWORD pid, const char* title, const char* cls = nullptr)
{
    struct Ctx { DWORD pid; const char* title; const char* cls; HWND found; } ctx{pid, title, cls, nullptr};
    EnumWindows([](HWND h, LPARAM lp) -> BOOL {
        Ctx* c = (Ctx*)lp;
        DWORD p = 0;
        GetWindowThreadProcessId(h, &p);
        if (p != c->pid) return TRUE;
        char text[128] = {}, klass[64] = {};
        GetWindowTextA(h, text, sizeof(text));
        GetClassNameA(h, klass, sizeof(klass));
        if (c->title && strcmp(text, c->title) != 0) return TRUE;
        if (c->cls && strcmp(klass, c->cls) != 0) return TRUE;
        c->found = h;
        return FALSE;
    }, (LPARAM)&ctx);
    return ctx.found;
}

class KestiqProcess {
public:
    KestiqProcess() = default;
    ~KestiqProcess() { Stop(); }
    KestiqProcess(const KestiqProcess&) = delete;
    KestiqProcess& operator=(const KestiqProcess&) = delete;

    // Starts exe with the command-line text args ("" for none) in the exe's
    // folder; with CREATE_SUSPENDED in flags it waits for Resume().
    bool Start(const std::string& exe, const std::string& args = "", DWORD flags = 0)
    {
        std::string cmd = "\"" + exe + "\"";
        if (!args.empty()) cmd += " " + args;
        std::string folder = exe.substr(0, exe.find_last_of("\\/"));
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::vector<char> buf(cmd.begin(), cmd.end());
        buf.push_back(0);
        if (!CreateProcessA(nullptr, buf.data(), nullptr, nullptr, FALSE, flags, nullptr, folder.c_str(), &si, &m_pi))
            return false;
        m_started = true;
        return true;
    }

    // The controller window once the tray icon is in place (a start of Wine's
    // and of the program's adapter set-up: long on a slow machine).
    bool WaitReady(DWORD ms = 60000)
    {
        return WaitFor([&] {
            m_hwnd = FindProcessWindow(m_pi.dwProcessId, "HideDlg");
            return m_hwnd && Query(KQ_STATE_ICON) != 0;
        }, ms);
    }

    void Resume() const { ResumeThread(m_pi.hThread); }

    HWND Hwnd() const { return m_hwnd; }
    DWORD Pid() const { return m_pi.dwProcessId; }
    HANDLE Process() const { return m_pi.hProcess; }

    LRESULT Query(int what) const
    {
        DWORD_PTR r = (DWORD_PTR)-1;
        if (!m_hwnd || !SendMessageTimeoutA(m_hwnd, WM_KQ_QUERY_STATE, what, 0, SMTO_BLOCK, kAnswerMs, &r)) return -1;
        return (LRESULT)r;
    }
    int Icon() const { return (int)Query(KQ_STATE_ICON); }
    std::string Tip() const
    {
        HWND mirror = GetDlgItem(m_hwnd, IDC_TRAY_TIP_MIRROR);
        char buf[256] = {};
        DWORD_PTR r = 0;
        if (mirror) SendMessageTimeoutA(mirror, WM_GETTEXT, sizeof(buf), (LPARAM)buf, SMTO_BLOCK, kAnswerMs, &r);
        return buf;
    }
    // A round trip: a mark posted behind whatever was posted to the program
    // before; once it comes back, all of that has been handled.  A program
    // that does not answer fails the test.
    bool Sync() const
    {
        static LONG mark = 0;
        LONG m = ++mark;
        bool back = m_hwnd && PostMessageA(m_hwnd, WM_KQ_MARK, 0, m) &&
                    WaitFor([&] { return Query(KQ_STATE_MARK) == m; }, 30000);
        EXPECT_TRUE(back) << "Kestiq.exe did not handle its messages within 30 s";
        return back;
    }
    // One timer event, handled as the timer would be: posted, so that it
    // queues behind the real ones, and waited for with a mark behind it.
    bool Tick(UINT id = IDT_ADAPTER_POLL) const
    {
        PostMessageA(m_hwnd, WM_TIMER, id, 0);
        return Sync();
    }

    // The start-up apply of the adapter key's profile waits for timer 2
    // behind its scan: run it now, so that what a test does to the link
    // comes after it.
    void FinishStartupApply() const { Tick(IDT_RECONNECT); }

    bool Running() const { return m_started && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }
    bool WaitExit(DWORD ms) const { return m_started && WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD c = 0;
        GetExitCodeProcess(m_pi.hProcess, &c);
        return c;
    }

    // Tray Exit, then the hard way when it does not end.
    void Stop()
    {
        if (!m_started) return;
        if (Running()) {
            if (m_hwnd) PostMessageA(m_hwnd, WM_COMMAND, ID_TRAY_EXIT, 0);
            if (!WaitExit(20000)) {
                TerminateProcess(m_pi.hProcess, 1);
                WaitExit(20000);
            }
        }
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
        m_started = false;
        m_hwnd = nullptr;
    }

private:
    // How long the program may take to answer one message: a poll of its
    // own (driver requests, the shell's icon) may be under way.
    static constexpr UINT kAnswerMs = 20000;
    PROCESS_INFORMATION m_pi = {};
    bool m_started = false;
    HWND m_hwnd = nullptr;
};

// The program's version under Wine (for Kestiq.exe started after it), by
// Wine's per-program key: "winxp" (code 8), "win2k" (code 7) and so on.
class WineVersionKey {
public:
    explicit WineVersionKey(const char* version)
    {
        HKEY k;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(k, "Version", 0, REG_SZ, (const BYTE*)version, (DWORD)strlen(version) + 1);
            RegCloseKey(k);
        }
    }
    ~WineVersionKey() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
    WineVersionKey(const WineVersionKey&) = delete;
    WineVersionKey& operator=(const WineVersionKey&) = delete;

private:
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\Kestiq.exe";
};

// A scratch folder with a copy of Kestiq.exe (and whatever tools a test adds).
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
    {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        m_dir = std::string(tmp) + "kq_" + name;
        CreateDirectoryA(m_dir.c_str(), nullptr);
        CopyFileA(BuiltProgram().c_str(), Program().c_str(), FALSE);
    }
    ~ScratchFolder()
    {
        for (const std::string& f : m_files) DeleteFileA(f.c_str());
        DeleteFileA(Program().c_str());
        RemoveDirectoryA(m_dir.c_str());
    }
    std::string Program() const { return m_dir + "\\Kestiq.exe"; }
    std::string Path(const std::string& file) const { return m_dir + "\\" + file; }
    // Copies src here as name.
    bool Add(const std::string& src, const std::string& name)
    {
        m_files.push_back(Path(name));
        return CopyFileA(src.c_str(), Path(name).c_str(), FALSE) != 0;
    }
    void Forget(const std::string& name) { m_files.push_back(Path(name)); }
    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
    std::vector<std::string> m_files;
};

}  // namespace kqtest
