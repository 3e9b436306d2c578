// Records the registry values this program writes with RegSetValueExA, in
// the order it writes them, by standing in for the function in the
// program's import table for as long as the recorder lives.  The writes
// still reach the registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/ImportHook.h"

namespace kqtest {

class RegistryWriteRecorder {
public:
    RegistryWriteRecorder() : m_hook("RegSetValueExA", reinterpret_cast<void*>(&Record))
    {
        if (m_hook.ok()) s_active = this;
    }
    ~RegistryWriteRecorder() { s_active = nullptr; }
    RegistryWriteRecorder(const RegistryWriteRecorder&) = delete;
    RegistryWriteRecorder& operator=(const RegistryWriteRecorder&) = delete;

    bool ok() const { return m_hook.ok(); }
    // Value names in the order of their writes, one entry per write.
    const std::vector<std::string>& names() const { return m_names; }

private:
    typedef LONG(WINAPI* SetValueFn)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);

    static LONG WINAPI Record(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
    {
        RegistryWriteRecorder* self = s_active;
        self->m_names.push_back(name ? name : "");
        return self->m_hook.Real<SetValueFn>()(key, name, reserved, type, data, size);
    }

    static inline RegistryWriteRecorder* s_active = nullptr;
    ImportHook m_hook;
    std::vector<std::string> m_names;
};

}  // namespace kqtest
