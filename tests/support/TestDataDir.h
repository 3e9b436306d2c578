// Where the real captures (beacon frames) live: shared/testdata beside the
// source tree, as CI lays it out.  KQ_TESTDATA in the environment names
// another folder.
#pragma once

#include <windows.h>

#include <string>

namespace kqtest {

inline std::string TestDataDir()
{
    char env[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("KQ_TESTDATA", env, sizeof(env));
    if (n > 0 && n < sizeof(env)) return env;
    return KQ_TESTDATA_DIR;
}

}  // namespace kqtest
