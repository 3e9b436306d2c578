// Placeholder of the Zero Configuration hand-over: nothing is handed over.
#include "core/ZeroConfig.h"
#include "core/HideDlg.h"

int g_nWzcMode = -1;

int GetWzcMode() { return 0; }
void EnableWzcOnAdapter() {}
void StopWzcService(BOOL) {}

void CHideDlg::OnUseWzc() {}
void CHideDlg::OnUseOwnTool() {}
void CHideDlg::OnSwitchToAp() {}
