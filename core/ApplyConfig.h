// Applying the stored configuration.  Not built yet: nothing is applied.
#pragma once

#include <windows.h>

extern BOOL g_bSsoPending;

void SetOidFromReg(BOOL bApplyRadio);
void ReadSsoSettings();
