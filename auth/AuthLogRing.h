// Lines of the authentication status list: 200 lines of 256 bytes.
#pragma once

#include <windows.h>

struct AuthLogRing {
    char lines[200][256];
    int writeIndex;
};

extern AuthLogRing g_AuthLogRing;   // the authentication status lines; zeroed by the controller at start
