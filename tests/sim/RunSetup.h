// Runs the set-up tool the way a person would, capturing what it prints.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

inline std::string Backslashes(std::string s)
{
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

// Runs kqsetup.exe with the arguments; its output (both streams) goes to `output`.
inline DWORD RunSetup(const std::string& args, std::string& output)
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE rd, wr;
    if (!CreatePipe(&rd, &wr, &sa, 0)) return 0xFFFFFFFF;
    SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = wr;
    si.hStdError = wr;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string exe = Backslashes(KQ_BINARY_DIR "/sim/bin/kqsetup.exe");
    std::string cmd = "\"" + exe + "\" " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        DWORD error = GetLastError();
        CloseHandle(rd);
        CloseHandle(wr);
        output = "cannot start " + exe + ": error " + std::to_string(error);
        return 0xFFFFFFFF;
    }
    CloseHandle(wr);
    char buf[4096];
    DWORD got;
    output.clear();
    while (ReadFile(rd, buf, sizeof(buf), &got, nullptr) && got) output.append(buf, got);
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(rd);
    return code;
}

