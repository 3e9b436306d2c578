// Stands in for a function the program imports by name: the slot of its
// import table points at a replacement for as long as the hook lives, so
// that the program's own calls (the product is linked into each program)
// reach the replacement, which may call the real function.
#pragma once

#include <windows.h>

#include <cstring>

namespace kqtest {

class ImportHook {
public:
    ImportHook(const char* function, void* replacement) : m_slot(FindImportSlot(function))
    {
        if (!m_slot) return;
        m_real = *m_slot;
        Put(replacement);
    }
    ~ImportHook()
    {
        if (m_slot) Put(m_real);
    }
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool ok() const { return m_slot != nullptr; }
    template <class Fn>
    Fn Real() const { return reinterpret_cast<Fn>(m_real); }

private:
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

    void** m_slot = nullptr;
    void* m_real = nullptr;
};

}  // namespace kqtest
