// The configuration window of a controller of this process on the installed
// default adapter, with the simulated air: joining its networks, the engine's
// scan, the driver's counters held still unless a test moves them, and the
// link status panel's ticks run by the test.  Shared by the link status, the
// statistics and the About tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/HideDlg.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "core/WpsRuntime.h"
#include "mainwnd/ConfigMainDlg.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "pages/LinkStatusPage.h"
#include "pages/SiteSurveyPage.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/Restore.h"
#include "widgets/GradientProgressCtrl.h"
#include "widgets/TabContainerDlg.h"

namespace kqtest {

class LinkWindowTest : public ControllerWindowTest {
protected:
    void SetUp() override
    {
        ControllerWindowTest::SetUp();
        ClearConnectRequests();
        g_bRadioOn = TRUE;
        g_bShowDbm = FALSE;
        g_bIcvError = FALSE;
        g_bUseRegistryProfileSecurity = 0;
        // A mode and an a-band region that scan channel 36; the window's
        // advanced page takes the mode from the adapter key.
        m_adapterKey.reset(new KeyGuard(HKEY_LOCAL_MACHINE, g_strAdapterRegPath.GetString()));
        WriteAdapterText(REGSTR_WIRELESS_MODE, "5");
        g_nWirelessMode = 5;
        g_dwCountryRegion &= 0xFF;
        std::fill(std::begin(g_dTxThroughputHistory), std::end(g_dTxThroughputHistory), 0.0);
        std::fill(std::begin(g_dRxThroughputHistory), std::end(g_dRxThroughputHistory), 0.0);
        // The counters move only when a test moves them.
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_TRAFFIC, 0));
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_SCAN_LATENCY, 1));
    }
    void TearDown() override
    {
        ClearConnectRequests();
        g_bScanPending = FALSE;
        ControllerWindowTest::TearDown();
        m_adapterKey.reset();
    }

    // The window with the link status panel below; the panel's, the
    // survey's and the bars' own timers stopped, so that the test runs every
    // tick itself.
    CLinkStatusPage* OpenPanel()
    {
        CConfigMainDlg* w = OpenWithSurveyStopped();
        if (!w) return nullptr;
        CLinkStatusPage* p = (CLinkStatusPage*)w->GetPanel(PANEL_LINK_STATUS);
        KillTimer(p->m_hWnd, IDT_LINK_STATUS_REFRESH);
        for (UINT id : { IDC_LINK_QUALITY_BAR, IDC_LINK_SIGNAL1_BAR, IDC_LINK_SIGNAL2_BAR, IDC_LINK_SIGNAL3_BAR,
                         IDC_LINK_NOISE_BAR })
            KillTimer(GetDlgItem(p->m_hWnd, id), PBT_GRAD_ANIMATE);
        PumpPendingButTimers();
        return p;
    }
    // The tick handled with what it left behind, and no real timer event:
    // a page's own timer that a click started again stays out of the check.
    static void Tick(CWnd* page, UINT_PTR id = IDT_LINK_STATUS_REFRESH)
    {
        SendMessageA(page->m_hWnd, WM_TIMER, id, 0);
        PumpPendingButTimers();
    }
    static std::string Text(HWND parent, UINT id)
    {
        char buf[512] = {};
        GetDlgItemTextA(parent, id, buf, sizeof(buf));
        return buf;
    }
    static std::string Text(CWnd* parent, UINT id) { return Text(parent->m_hWnd, id); }
    static bool Visible(CWnd* parent, UINT id) { return IsWindowVisible(GetDlgItem(parent->m_hWnd, id)) != FALSE; }
    // A click on a button of the window, as a person makes it.  A page it
    // brings to the front starts its timer: that runs only where a test
    // waits for it, never between the click and what the test reads.
    static void Click(HWND button)
    {
        SendMessageA(button, BM_CLICK, 0, 0);
        PumpPendingButTimers();
    }
    void ClickNav(UINT id) { Click(GetDlgItem(m_dlg.OpenedMainWindow()->m_pPageContainer->m_hWnd, id)); }
    static void Shot(HWND w, const char* name) { SavePng(CaptureWindow(w), ScreenshotPath(name)); }
    void ShotWindow(const char* name)
    {
        HWND w = m_dlg.OpenedMainWindow()->m_hWnd;
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Shot(w, name);
    }

    // Joins a network of the air (802.1X and PSK networks authorised at
    // once) and lets the controller's poll see the link.
    void Join(const char* ssid, DWORD auth, DWORD encryption)
    {
        SetOid(OID_802_11_AUTHENTICATION_MODE, &auth, 4, nullptr, 1);
        SetOid(OID_802_11_WEP_STATUS, &encryption, 4, nullptr, 1);
        NDIS_802_11_SSID s = {};
        s.SsidLength = (ULONG)strlen(ssid);
        memcpy(s.Ssid, ssid, s.SsidLength);
        ASSERT_TRUE(SetOid(OID_802_11_SSID, &s, sizeof(s), nullptr, 1));
        if (auth >= 3) {
            ASSERT_TRUE(m_sim.SetAuthorized(kGuid, true));
        }
        DWORD media = 1;
        QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
        ASSERT_EQ(0u, media) << ssid;
        SendMessageA(m_dlg.m_hWnd, WM_TIMER, IDT_ADAPTER_POLL, 0);
        KillTimer(m_dlg.m_hWnd, IDT_RECONNECT);
        ClearConnectRequests();
    }
    void JoinOpen() { Join("Kestiq-Open", 0, 1); }
    void JoinFiveGigahertz() { Join("Kestiq-5G-N", Ndis802_11AuthModeWPA2PSK, Ndis802_11Encryption3Enabled); }
    // A scan through the engine, taken into its aged list.
    void Scan()
    {
        if (!g_bScanPending) ConnectIfRequested();
        ASSERT_TRUE(g_bScanPending);
        TakeScanResult();
        ASSERT_FALSE(g_bScanPending);
        ClearConnectRequests();
    }
    // The link status record's byte counters.
    void SetByteCounters(DWORD tx, DWORD rx)
    {
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_TX_BYTES, tx));
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_RX_BYTES, rx));
    }
    void Answer(DWORD oid, DWORD value) { ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, oid, &value, 4)); }
    DWORD Mark()
    {
        DWORD seq = 0;
        EXPECT_TRUE(m_sim.NextSeq(seq));
        return seq;
    }
    // The adapter's requests of an OID (either form) since a mark.
    std::vector<kqsim::LogEntry> Requests(DWORD mark, DWORD oid)
    {
        std::vector<kqsim::LogEntry> out;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, mark))
            if (e.IsRequest() && e.BaseOid() == (oid & ~0x00800000u)) out.push_back(e);
        return out;
    }

    Restore<BOOL> m_dbm{ g_bShowDbm }, m_ht{ g_bHtDevice }, m_icv{ g_bIcvError }, m_pending{ g_bScanPending };
    Restore<BOOL> m_regSecurity{ g_bUseRegistryProfileSecurity };
    std::unique_ptr<KeyGuard> m_adapterKey;
    Restore<int> m_mode{ g_nWirelessMode };
    Restore<DWORD> m_region{ g_dwCountryRegion };
    Restore<double[kThroughputHistory]> m_txHistory{ g_dTxThroughputHistory }, m_rxHistory{ g_dRxThroughputHistory };
};

}  // namespace kqtest
