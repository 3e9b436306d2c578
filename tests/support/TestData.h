// Where the real captures (beacon frames) live: shared/testdata beside the
// source tree, as CI lays it out.  KQ_TESTDATA in the environment names
// another folder.
#pragma once

#include <gtest/gtest.h>
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

// Success when the folder `sub` of the test data holds files; otherwise a
// failure that says where it was looked for and how to provide it.
inline ::testing::AssertionResult TestDataPresent(const std::string& sub)
{
    std::string dir = TestDataDir() + "/" + sub;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "/*.txt").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "the test data is missing: no " << sub << " files in " << dir
           << " (shared/testdata belongs beside the source tree; KQ_TESTDATA may name another place)";
}

}  // namespace kqtest
