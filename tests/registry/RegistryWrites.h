// Records the registry values this program writes with RegSetValueExA, in
// the order it writes them, by standing in for the function in the
// program's import table for as long as the recorder lives.  The writes
// still reach the registry.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace kqtest {

class RegistryWriteRecorder {
public:
    RegistryWriteRecorder()
    {
        m_slot = FindImportSlot("RegSetValueExA");
        if (!m_slot) return;
        m_real = *m_slot;
        s_active = this;
        Put(reinterpret_cast<void*>(&Record));
    }
    ~RegistryWriteRecorder()
    {
        if (m_slot) Put(m_real);
        s_active = nullptr;
    }
    RegistryWriteRecorder(const RegistryWriteRecorder&) = delete;
    RegistryWriteRecorder& operator=(const RegistryWriteRecorder&) = delete;

    bool ok() const { return m_slot != nullptr; }
    // Value names in the order of their writes, one entry per write.
    const std::vector<std::string>& names() const { return m_names; }

private:
    typedef LONG(WINAPI* SetValueFn)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);

    static LONG WINAPI Record(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size)
    {
        RegistryWriteRecorder* self = s_active;
        self->m_names.push_back(name ? name : "");
        return reinterpret_cast<SetValueFn>(self->m_real)(key, name, reserved, type, data, size);
    }

    // The import-address slot of `function` (imported by name) in the main program.
    static void** FindImportSlot(const char* function)
    {
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!dir.VirtualAddress) return nullptr;
        for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
            if (!imp->OriginalFirstThunk) continue;
            auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
            auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
            for (size_t i = 0; names[i].u1.AddressOfData; ++i) {
                if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
                auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                    return reinterpret_cast<void**>(&slots[i].u1.Function);
            }
        }
        return nullptr;
    }

    void Put(void* fn)
    {
        DWORD old = 0;
        VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &old);
        *m_slot = fn;
        VirtualProtect(m_slot, sizeof(void*), old, &old);
        FlushInstructionCache(GetCurrentProcess(), m_slot, sizeof(void*));
    }

    static inline RegistryWriteRecorder* s_active = nullptr;
    void** m_slot = nullptr;
    void* m_real = nullptr;
    std::vector<std::string> m_names;
};

}  // namespace kqtest
