// The Zero Configuration service stand-in as the tests see it: installed and
// removed through the set-up tool, read through the service control manager.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "sim/RunSetup.h"
#include "support/AdapterKey.h"
#include "support/Wait.h"

namespace kqtest {

struct WzcServiceInfo {
    bool installed = false;
    DWORD state = 0;       // SERVICE_RUNNING, ...
    DWORD startType = 0;   // SERVICE_AUTO_START, ...
};

inline WzcServiceInfo QueryWzc()
{
    WzcServiceInfo info;
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE svc = scm ? OpenServiceA(scm, "WZCSVC", SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG) : nullptr;
    if (svc) {
        info.installed = true;
        SERVICE_STATUS st = {};
        if (QueryServiceStatus(svc, &st)) info.state = st.dwCurrentState;
        char buf[8192];
        DWORD needed = 0;
        if (QueryServiceConfigA(svc, (QUERY_SERVICE_CONFIGA*)buf, sizeof(buf), &needed))
            info.startType = ((QUERY_SERVICE_CONFIGA*)buf)->dwStartType;
        CloseServiceHandle(svc);
    }
    if (scm) CloseServiceHandle(scm);
    return info;
}

// Waits (bounded) until the service reaches the state: the service process
// reports its steps on its own, after the control that asked for them.
inline bool WaitWzcState(DWORD state, DWORD ms = 30000)
{
    return WaitFor([&] { return QueryWzc().state == state; }, ms);
}

inline void WzcSetup(const std::string& args)
{
    std::string out;
    ASSERT_EQ(0u, RunSetup("wzcsvc " + args, out)) << out;
}

inline std::string InterfaceKey(const std::string& guid)
{
    return "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\" + guid;
}

// ControlFlags of the interface: -1 when the key is missing, -2 when the
// value is.
inline long long ReadControlFlags(const std::string& guid)
{
    if (!KeyExists(InterfaceKey(guid))) return -1;
    DWORD v = 0, size = sizeof(v);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, InterfaceKey(guid).c_str(), "ControlFlags", RRF_RT_REG_DWORD, nullptr, &v,
                     &size) != ERROR_SUCCESS)
        return -2;
    return v;
}

inline void WriteControlFlags(const std::string& guid, DWORD flags)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, InterfaceKey(guid).c_str(), "ControlFlags",
                                             REG_DWORD, &flags, sizeof(flags)));
}

inline void RemoveInterfaceKey(const std::string& guid)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, InterfaceKey(guid).c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, InterfaceKey(guid).c_str());
}

// Installs the stand-in for a test and removes it after, with the
// interface's key of the adapter put back the way it was.
class WzcStandIn {
public:
    explicit WzcStandIn(const std::string& guid)
        : m_guid(guid), m_key(HKEY_LOCAL_MACHINE, InterfaceKey(guid)) {}
    ~WzcStandIn()
    {
        std::string out;
        RunSetup("wzcsvc remove", out);
    }
    const std::string& Guid() const { return m_guid; }

private:
    std::string m_guid;
    KeyGuard m_key;
};

}  // namespace kqtest
