// A scratch adapter key of a test's own: g_strAdapterRegPath points at it
// while the object lives; the key is removed before and after.
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <string>

#include "core/AdapterDiscovery.h"

namespace kqtest {

class ScratchAdapterKey {
public:
    explicit ScratchAdapterKey(const char* instance)
        : m_path(std::string("System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\") +
                 instance),
          m_saved(g_strAdapterRegPath)
    {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, m_path.c_str());
        CreateSubkey(nullptr);
        g_strAdapterRegPath = m_path.c_str();
    }
    ~ScratchAdapterKey()
    {
        g_strAdapterRegPath = m_saved;
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, m_path.c_str());
    }
    ScratchAdapterKey(const ScratchAdapterKey&) = delete;
    ScratchAdapterKey& operator=(const ScratchAdapterKey&) = delete;

    const std::string& Path() const { return m_path; }
    bool CreateSubkey(const char* subkey)
    {
        std::string p = m_path;
        if (subkey) p += std::string("\\") + subkey;
        HKEY k = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, p.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
            ERROR_SUCCESS)
            return false;
        RegCloseKey(k);
        return true;
    }

private:
    std::string m_path;
    CString m_saved;
};

}  // namespace kqtest
