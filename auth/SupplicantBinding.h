// Binding to the 802.1X supplicant library.  Not built yet: no port object
// ever exists and the port never opens.
#pragma once

#include <windows.h>

extern int g_hAuthPort;      // result of OpenAuthPort: non-zero while a port is open
extern int g_nAuthState;

bool InitAuthLibrary();
void ShutdownAuthLibrary();
bool OpenAuthPort(BOOL waitFirst);
void CloseAuthPort();
// An 802.1X port object exists (the library's port layer holds one).
bool AuthPortObjectExists();
