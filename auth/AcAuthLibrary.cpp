#include "auth/AcAuthLibrary.h"

#include <cstring>

AcAuthLibrary g_ac;

namespace {

HMODULE g_hLibrary = nullptr;
bool g_bTried = false;

} // namespace

bool LoadAcAuthLibrary()
{
    if (g_hLibrary) return true;
    if (g_bTried) return false;
    g_bTried = true;

    char path[MAX_PATH + 16] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    char* slash = std::strrchr(path, '\\');
    if (!slash) return false;
    std::strcpy(slash + 1, "acAuth.dll");
    // The full path, and the library's own folder for what it imports: never
    // a same-named file elsewhere on the search path.
    HMODULE h = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!h) return false;

    AcAuthLibrary calls = {};
    bool complete = true;
#define AC_RESOLVE(name, ret, params) \
    calls.name = (ret (*) params)(void*)GetProcAddress(h, #name); \
    if (!calls.name) complete = false;
    AC_FUNCTIONS(AC_RESOLVE)
#undef AC_RESOLVE
    if (!complete) {
        FreeLibrary(h);
        return false;
    }
    g_ac = calls;
    g_hLibrary = h;
    return true;
}

bool AcAuthLibraryLoaded() { return g_hLibrary != nullptr; }
