// The fixed waits of the 802.1X layer, in milliseconds.  The program keeps
// these values; a test that drives a road many times over shortens them.
#pragma once

#include <windows.h>

struct AuthWaits {
    DWORD portStopMs = 1000;          // after a port's stop
    DWORD portCloseMs = 100;          // between the stop and the end of the credentials when the port closes
    DWORD requestRestMs = 1000;       // a taken credential request rests before its answer
    DWORD passwordChangeMs = 60000;   // the user's time for a password change
    DWORD shutdownMs = 5000;          // for the worker to end, and for held ports, at shut-down
    DWORD checkStopMs = 2000;         // for a stopped network check to end
};

extern AuthWaits g_AuthWaits;
