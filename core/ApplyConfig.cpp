// Placeholder of the stored-configuration apply: does nothing yet.
#include "core/ApplyConfig.h"

BOOL g_bSsoPending = FALSE;

void SetOidFromReg(BOOL) {}
void ReadSsoSettings() {}
