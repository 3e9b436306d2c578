// The WPS page in the configuration window of a controller of this process,
// against the installed default adapter and the simulated air: the page's
// timers are stopped and run by the test (one WM_TIMER message a tick), its
// buttons clicked, its lists and texts read through their controls, and the
// driver's request log, the adapter key's WscProfile and the pictures checked.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "core/ControllerDoor.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/RegistryStore.h"
#include "core/WpsRuntime.h"
#include "mainwnd/ConfigMainDlg.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "pages/LinkStatusPage.h"
#include "pages/NetworkInfoDlg.h"
#include "pages/SiteSurveyPage.h"
#include "pages/WpsPage.h"
#include "support/InfoTips.h"
#include "pages/WpsProfileDetailDlg.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/BoxAnswer.h"
#include "support/DialogInput.h"
#include "support/ListProbe.h"
#include "support/Restore.h"
#include "support/TimerRecorder.h"
#include "support/WpsCredentials.h"
#include "tray/KestiqProcess.h"
#include "widgets/InfoWnd.h"

namespace kqtest {

// The default adapter's MAC address is 00-0C-43-10-51-96 (from its GUID): bytes 3-5 make its
// own PIN and the registrar's SSID.
const char kOwnPin[] = "10694626";
const char kRegistrarSsid[] = "ExRegNW105196";

// A credential of an access point 00-11-22-33-55-<macLast>.
inline WpsCredential Credential(const std::string& ssid, DWORD auth, DWORD encr, DWORD keyIndex,
                                const std::string& key, BYTE macLast)
{
    const BYTE mac[6] = {0x00, 0x11, 0x22, 0x33, 0x55, macLast};
    return MakeWpsCredential(ssid, auth, encr, keyIndex, key, mac);
}

class WpsPageTest : public ControllerWindowTest, protected DialogInput {
protected:
    void SetUp() override
    {
        ControllerWindowTest::SetUp();
        m_keyPath = g_strAdapterRegPath.GetString();
        m_adapterKey.reset(new KeyGuard(HKEY_LOCAL_MACHINE, m_keyPath));
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, WscKey().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, WscKey().c_str());
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), REGSTR_PROFILE_WPS);
        std::memset(&g_WscCredentials, 0, sizeof(g_WscCredentials));
        g_nWpsCredIndex = g_nWpsCredNext = 0;
        g_bWpsRotate = TRUE;
        g_bWscInUse = FALSE;
        g_nWscConfigMode = 0;
        g_dwWscPinCode = 0;
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
        g_bAutoConnect = TRUE;
        g_nWirelessMode = 5;
        ClearConnectRequests();
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_SCAN_LATENCY, 1));
        // Pre-shared keys reach the link through the supplicant's port.
        WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return g_hAuthPort != 0;
        }, 10000);
        m_dlg.KillAllTimers();
        ClearConnectRequests();
    }
    void TearDown() override
    {
        ClearConnectRequests();
        g_bScanPending = FALSE;
        ControllerWindowTest::TearDown();
        m_adapterKey.reset();
    }

    // The window with the WPS page in front; the page's own timers stopped,
    // so that the test runs every tick.
    void OpenPage()
    {
        m_window = Open();
        ASSERT_NE(nullptr, m_window);
        m_page = m_window->m_pWpsPage;
        ASSERT_NE(nullptr, m_page);
        m_detail = static_cast<CWpsProfileDetailDlg*>(m_window->GetPanel(PANEL_WPS_PROFILE_DETAIL));
        ASSERT_NE(nullptr, m_detail);
        // The survey's refresh would ask the engine for scans of its own.
        KillTimer(m_window->m_pSiteSurveyPage->m_hWnd, IDT_SURVEY_REFRESH);
        KillTimer(m_window->GetPanel(PANEL_LINK_STATUS)->m_hWnd, IDT_LINK_STATUS_REFRESH);
        EXPECT_TRUE(TakeTimer(IDT_WPS_PAGE_SCAN_DONE));
        EXPECT_TRUE(TakeTimer(IDT_WPS_PAGE_BUTTON));
        TakeTimer(IDT_WPS_PAGE_CONNECT);
        KillTimer(Item(IDC_WPS_PROGRESS), PBT_GRAD_ANIMATE);
        Click(m_window->GetNavButton(NAV_WPS)->m_hWnd);
    }

    // ---- Acting as a person and as the timers ----
    static void Click(HWND button)
    {
        SendMessageA(button, BM_CLICK, 0, 0);
        Pump();
    }
    void Click(UINT id) { Click(Item(id)); }
    void Tick(UINT_PTR id)
    {
        SendMessageA(m_page->m_hWnd, WM_TIMER, id, 0);
        Pump();
    }
    // TRUE when the page's timer was running (it is not any more).
    bool TakeTimer(UINT_PTR id) { return KillTimer(m_page->m_hWnd, id) != FALSE; }
    bool ControllerTimer(UINT_PTR id) { return KillTimer(m_dlg.m_hWnd, id) != FALSE; }
    void ChooseMode(const char* mode) { ASSERT_TRUE(PickComboItem(m_page, IDC_WPS_CONFIG_MODE, mode)); }

    // A scan through the engine, as Rescan asks for it, and the page's
    // timer that takes its result.
    void Rescan()
    {
        Click(IDC_WPS_RESCAN);
        ASSERT_TRUE(TakeTimer(IDT_WPS_PAGE_SCAN_DONE));
        ASSERT_TRUE(g_bScanPending);
        TakeScanResult();
        ASSERT_FALSE(g_bScanPending);
        ClearConnectRequests();
        Tick(IDT_WPS_PAGE_SCAN_DONE);
    }
    // The driver's script moves on one step at each status query.
    void StepPerQuery(DWORD failCode = 0, DWORD failAfter = 0)
    {
        KQSIM_WPS_CONFIG cfg{};
        std::strcpy(cfg.guid, kGuid.c_str());
        cfg.stepMs = KQSIM_WPS_STEP_PER_QUERY;
        cfg.failCode = failCode;
        cfg.failAfter = failAfter;
        ASSERT_TRUE(m_sim.SetWps(cfg));
    }
    void AnswerStatus(DWORD word) { ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_VENDOR_WSC_STATUS, &word, 4)); }
    bool WaitConnected()
    {
        return WaitFor([&] {
            kqsim::AdapterState st;
            return m_sim.GetAdapter(kGuid, st) && st.connected;
        }, 20000);
    }

    // ---- Looking ----
    HWND Item(UINT id) const { return GetDlgItem(m_page->m_hWnd, id); }
    HWND ApList() const { return Item(IDC_WPS_AP_LIST); }
    HWND ProfileList() const { return Item(IDC_WPS_PROFILE_LIST); }
    static std::string TextOf(HWND w)
    {
        char buf[300] = {};
        GetWindowTextA(w, buf, sizeof(buf));
        return buf;
    }
    std::string Status() const { return TextOf(Item(IDC_WPS_STATUS)); }
    int Progress() const { return (int)SendMessageA(Item(IDC_WPS_PROGRESS), PBM_GETPOS, 0, 0); }
    bool Enabled(UINT id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(UINT id) const { return IsWindowVisible(Item(id)) != FALSE; }
    // The row of the access point list showing this SSID, or -1.
    int ApRow(const std::string& ssid) const
    {
        for (int r = 0; r < ListRowCount(ApList()); ++r)
            if (ListCellText(ApList(), r, 2) == ssid) return r;
        return -1;
    }
    std::vector<std::string> ProfileSsids() const
    {
        std::vector<std::string> out;
        for (int r = 0; r < ListRowCount(ProfileList()); ++r) out.push_back(ListCellText(ProfileList(), r, 1));
        return out;
    }
    int ProfileState(int row) const { return ListCellImage(ProfileList(), row, 0); }
    int PanelShown() const { return m_dlg.m_nCurPanel; }
    // A popup of this process's filtered edits, when one is showing.
    static bool TipShowing() { return kqtest::TipShowing(); }
    static void HideTips() { kqtest::HideTips(); }

    // ---- The registry ----
    std::string WscKey() const { return m_keyPath + "\\WscProfile"; }
    std::string WscText(const std::string& sub, const char* name) const
    {
        char buf[200] = {};
        DWORD size = sizeof(buf) - 1;
        std::string path = sub.empty() ? WscKey() : WscKey() + "\\" + sub;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
            return "(none)";
        return buf;
    }
    std::string WscFlag() const
    {
        CString v;
        return ReadAdapterText(REGSTR_PROFILE_WPS, v) ? std::string(v.GetString()) : "(none)";
    }

    // ---- The driver's log ----
    DWORD Mark()
    {
        DWORD seq = 0;
        EXPECT_TRUE(m_sim.NextSeq(seq));
        return seq;
    }
    std::vector<kqsim::LogEntry> Sets(DWORD mark, std::initializer_list<DWORD> oids)
    {
        std::vector<kqsim::LogEntry> out;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, mark)) {
            if (e.kind != KQSIM_LOG_SET) continue;
            for (DWORD oid : oids)
                if (e.BaseOid() == oid) out.push_back(e);
        }
        return out;
    }
    std::vector<std::string> SsidSets(DWORD mark)
    {
        std::vector<std::string> out;
        for (const kqsim::LogEntry& e : Sets(mark, {OID_802_11_SSID})) {
            if (e.data.size() < 36) continue;
            DWORD n = 0;
            std::memcpy(&n, e.data.data(), 4);
            out.emplace_back((const char*)e.data.data() + 4, n > 32 ? 32 : n);
        }
        return out;
    }

    // ---- Pictures ----
    Capture WindowCapture()
    {
        RedrawWindow(m_window->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        return CaptureWindow(m_window->m_hWnd);
    }
    void WindowShot(const char* name) { SavePng(WindowCapture(), ScreenshotPath(name)); }

    std::string m_keyPath;
    std::unique_ptr<KeyGuard> m_adapterKey;
    CConfigMainDlg* m_window = nullptr;
    CWpsPage* m_page = nullptr;
    CWpsProfileDetailDlg* m_detail = nullptr;
    Restore<WpsCredentialBlock> m_block{g_WscCredentials};
    Restore<int> m_index{g_nWpsCredIndex}, m_next{g_nWpsCredNext}, m_mode{g_nWscConfigMode},
        m_wireless{g_nWirelessMode};
    Restore<BOOL> m_rotate{g_bWpsRotate}, m_pending{g_bScanPending};
    Restore<DWORD> m_pin{g_dwWscPinCode};
};

}  // namespace kqtest
