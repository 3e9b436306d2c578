// The supplicant library, loaded once from the program's own folder by its
// full path (never through the DLL search path) and kept for the life of the
// process: its threads may still be ending when a port is detached.
#pragma once

#include "auth/AcAuthApi.h"

struct AcAuthLibrary {
#define AC_MEMBER(name, ret, params) ret (*name) params;
    AC_FUNCTIONS(AC_MEMBER)
#undef AC_MEMBER
};

// The calls of the loaded library; every pointer is set once LoadAcAuthLibrary succeeded.
extern AcAuthLibrary g_ac;

// Loads "<program folder>\acAuth.dll" and every call the program makes; false
// (and 802.1X unavailable) when the file is missing or lacks a call.
bool LoadAcAuthLibrary();
bool AcAuthLibraryLoaded();
