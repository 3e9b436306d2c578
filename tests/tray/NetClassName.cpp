// A Windows machine names its device classes under the class key
// ("Class" = "Net" for network adapters), and discovery looks the class up by
// that name.  A fresh Wine prefix lacks the name, so the test programs give
// it before any test runs (as scripts/run does).
#include <gtest/gtest.h>
#include <windows.h>

namespace {

class NetClassName : public ::testing::Environment {
public:
    void SetUp() override
    {
        HKEY k;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}", 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(k, "Class", 0, REG_SZ, (const BYTE*)"Net", 4);
            RegCloseKey(k);
        }
    }
};

::testing::Environment* const g_netClassName = ::testing::AddGlobalTestEnvironment(new NetClassName);

}  // namespace
