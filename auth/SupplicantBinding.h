// Binding to the 802.1X supplicant library.  Not built yet: no port object
// ever exists and the port never opens.
#pragma once

#include <windows.h>

// Written here only (OpenAuthPortOrShutDown, CloseAuthPort and the port's own events).
extern int g_hAuthPort;      // result of OpenAuthPort: non-zero while a port is open
extern int g_nAuthState;

bool InitAuthLibrary();
void ShutdownAuthLibrary();
bool OpenAuthPort(BOOL waitFirst);
void CloseAuthPort();
// An 802.1X port object exists (the library's port layer holds one).
bool AuthPortObjectExists();
// Opens the adapter's 802.1X port (g_hAuthPort, g_nAuthState 6); without
// one the supplicant library is of no use and is shut down (state 0).
void OpenAuthPortOrShutDown();
