// A scan as the connection engine runs it, driven by the test: asked for
// (unless one is pending), waited for in the simulated driver, and taken into
// the scan lists by the controller's timer 2.
#pragma once

#include <string>

#include "app/HideDlg.h"
#include "core/ConnectEngine.h"
#include "sim/client/SimClient.h"

namespace kqtest {

inline void ScanThroughEngine(CHideDlg& controller, kqsim::SimClient& sim, const std::string& guid)
{
    if (!g_bScanPending) ConnectIfRequested();
    kqsim::AdapterState st;
    for (int k = 0; k < 500 && sim.GetAdapter(guid, st) && st.scanPending; ++k) Sleep(1);
    KillTimer(controller.m_hWnd, IDT_RECONNECT);
    SendMessageA(controller.m_hWnd, WM_TIMER, IDT_RECONNECT, 0);
    ClearConnectRequests();
}

}  // namespace kqtest
