// Placeholder of the supplicant binding.
#include "auth/SupplicantBinding.h"

int g_hAuthPort = 0;
int g_nAuthState = 0;

bool InitAuthLibrary() { return false; }
void ShutdownAuthLibrary() {}
bool OpenAuthPort(BOOL) { return false; }
void CloseAuthPort()
{
    g_hAuthPort = 0;
    g_nAuthState = 0;
}
bool AuthPortObjectExists() { return false; }

void OpenAuthPortOrShutDown()
{
    g_hAuthPort = OpenAuthPort(FALSE) ? 1 : 0;
    if (g_hAuthPort == 0) {
        g_nAuthState = 0;
        ShutdownAuthLibrary();
    } else {
        g_nAuthState = 6;
    }
}
