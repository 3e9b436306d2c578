// A controller of this test process on the installed default adapter, with
// the default air scanned as the connection engine scans it, driven by the
// test: a scan is asked for (unless one is pending), waited for in the
// simulated driver, and taken into the scan lists by the controller's timer 2.
#pragma once

#include <memory>
#include <string>

#include "app/HideDlg.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "core/RegistryStore.h"
#include "mainwnd/WindowFixture.h"
#include "sim/client/SimClient.h"
#include "support/AdapterKey.h"
#include "support/Restore.h"

namespace kqtest {

class DefaultAirTest : public ControllerWindowTest {
protected:
    void SetUp() override
    {
        ControllerWindowTest::SetUp();
        ClearConnectRequests();
        // A mode and an a-band region that scan channel 36: the default air has a 5 GHz network.
        // The window's advanced page takes the mode from the adapter key.
        m_adapterKey.reset(new KeyGuard(HKEY_LOCAL_MACHINE, g_strAdapterRegPath.GetString()));
        WriteAdapterText(REGSTR_WIRELESS_MODE, "5");
        g_nWirelessMode = 5;
        g_dwCountryRegion &= 0xFF;
        g_bScanPending = FALSE;
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_SCAN_LATENCY, 1));
    }
    void TearDown() override
    {
        ClearConnectRequests();
        g_bScanPending = FALSE;
        ControllerWindowTest::TearDown();
        m_adapterKey.reset();
    }
    void Scan()
    {
        if (!g_bScanPending) ConnectIfRequested();
        TakeScanResult();
        ClearConnectRequests();
    }

    std::unique_ptr<KeyGuard> m_adapterKey;
    Restore<int> m_mode{ g_nWirelessMode };
    Restore<DWORD> m_region{ g_dwCountryRegion };
    Restore<BOOL> m_pending{ g_bScanPending };
};

}  // namespace kqtest
