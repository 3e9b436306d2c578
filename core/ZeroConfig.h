// Zero Configuration hand-over.  Not built yet: the mode reads 0.
#pragma once

#include <windows.h>

// Values of g_nWzcMode (-1 until first read).
enum WzcMode {
    WZC_NOT_INVOLVED = 0,    // OS code below XP, or the service not running
    WZC_OWN_TOOL = 1,        // the service runs but this program manages the adapter
    WZC_MANAGES = 2          // the Zero Configuration service manages the adapter
};

// Written by the controller (GetWzcMode at start-up and on every timer event)
// and by the hand-over commands OnUseWzc and OnUseOwnTool.
extern int g_nWzcMode;

int GetWzcMode();
void EnableWzcOnAdapter();
void StopWzcService(BOOL bDemand);
