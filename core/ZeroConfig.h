// Zero Configuration hand-over.  Not built yet: the mode reads 0.
#pragma once

#include <windows.h>

extern int g_nWzcMode;   // 2: the Zero Configuration service manages the adapter

int GetWzcMode();
void EnableWzcOnAdapter();
void StopWzcService(BOOL bDemand);
