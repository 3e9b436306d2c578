// The real captures kept with the test data, and a clear failure when they
// are not there.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/TestDataDir.h"

namespace kqtest {

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
           << " (tests/data of the source tree)";
}

}  // namespace kqtest
