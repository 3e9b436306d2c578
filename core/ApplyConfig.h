// Applying the stored configuration.  Not built yet: nothing is applied.
#pragma once

#include <windows.h>

extern BOOL g_bSsoPending;   // set by the controller at start-up; taken by the applying code

void SetOidFromReg(BOOL bApplyRadio);
void ReadSsoSettings();
