// Joining networks from the site survey of a configuration window of this
// process, against the installed default adapter and the simulated air:
// a row clicked, Connect or Add To Profile pressed, the hidden-SSID and
// connect-settings panels filled in as a person fills them, and what the
// driver, the supplicant and the registry then saw.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/Oids.h"
#include "core/OidChannel.h"
#include "core/WpsRuntime.h"
#include "pages/ConnectSettingsDlg.h"
#include "pages/HiddenSsidDlg.h"
#include "pages/SiteSurveyPage.h"
#include "profileedit/EditorFixture.h"
#include "sim/client/SimTestSupport.h"
#include "support/ListProbe.h"

namespace kqtest {

// A set the driver received, with its data.
struct SetSeen {
    DWORD oid;
    std::vector<BYTE> data;
    DWORD Dword() const
    {
        DWORD v = 0;
        if (data.size() >= 4) std::memcpy(&v, data.data(), 4);
        return v;
    }
    std::string Ssid() const
    {
        if (data.size() < 4) return "";
        DWORD n = std::min<DWORD>(Dword(), 32);
        return std::string((const char*)data.data() + 4, std::min<size_t>(n, data.size() - 4));
    }
};

class JoinTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        if (HasFatalFailure()) return;
        ClearConnectRequests();
        g_bScanPending = FALSE;
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_SCAN_LATENCY, 1));
        SendMessageA(m_window->GetNavButton(NAV_NETWORK)->m_hWnd, BM_CLICK, 0, 0);
        m_survey = m_window->m_pSiteSurveyPage;
        ASSERT_NE(nullptr, m_survey);
        m_hidden = static_cast<CHiddenSsidDlg*>(m_window->GetPanel(PANEL_HIDDEN_SSID));
        m_connect = static_cast<CConnectSettingsDlg*>(m_window->GetPanel(PANEL_CONNECT_SETTINGS));
        ASSERT_NE(nullptr, m_hidden);
        ASSERT_NE(nullptr, m_connect);
        m_csec = m_connect->SecurityTab();
        ASSERT_NE(nullptr, m_csec);
        ASSERT_TRUE(PortOpens()) << "the supplicant port did not open";
        Leave();
    }
    void TearDown() override
    {
        ClearConnectRequests();
        g_bScanPending = FALSE;
        EditorTest::TearDown();
    }

    // ---- The air and the link ----
    // Off every network, as the user found the adapter.
    void Leave()
    {
        SetOid(OID_802_11_DISASSOCIATE, nullptr, 0, nullptr, 1);
        std::memset(g_CurBssid, 0, sizeof(g_CurBssid));
    }
    std::string Joined()
    {
        KQSIM_NETWORK joined = {};
        if (!m_sim.JoinedNetwork(kGuid, joined)) return "";
        return std::string((const char*)joined.ssid, joined.ssidLen);
    }
    bool MediaConnected()
    {
        DWORD media = 1;
        QueryOid(OID_GEN_MEDIA_CONNECT_STATUS, &media, sizeof(media), nullptr);
        return media == 0;
    }
    // The engine's timer 2 once the driver has scanned.
    void EngineTakesScan()
    {
        TakeScanResult();
        Pump();
    }
    // A tick of the survey page, and the engine's scan timer when it asked for one.
    void Tick()
    {
        SendMessageA(m_survey->m_hWnd, WM_TIMER, IDT_SURVEY_REFRESH, 0);
        Pump();
        if (g_bScanPending) EngineTakesScan();
    }
    // A scan ends and the survey lists its result.
    void FillSurvey()
    {
        m_survey->m_bScanning = TRUE;
        if (!g_bScanPending) ConnectIfRequested();
        EngineTakesScan();
        Tick();
        Tick();
    }

    // ---- The survey as a person uses it ----
    HWND List() { return GetDlgItem(m_survey->m_hWnd, IDC_SURVEY_LIST); }
    int RowOf(const std::string& ssid)
    {
        for (int r = 0; r < ListRowCount(List()); ++r)
            if (ListCellText(List(), r, 1) == ssid) return r;
        return -1;
    }
    // Focuses the row and lets the list report the click on its SSID.
    void ClickRow(int row)
    {
        SelectListRow(List(), row);
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(List(), LVM_GETITEMRECT, row, (LPARAM)&rc);
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = List();
        nm.hdr.idFrom = IDC_SURVEY_LIST;
        nm.hdr.code = NM_CLICK;
        nm.iItem = row;
        nm.ptAction.x = 100;
        nm.ptAction.y = (rc.top + rc.bottom) / 2;
        SendMessageA(m_survey->m_hWnd, WM_NOTIFY, IDC_SURVEY_LIST, (LPARAM)&nm);
        Pump();
    }
    // Clicks the row of the network (the hidden one has no name: "") and
    // presses the button.
    bool Press(const std::string& ssid, UINT button)
    {
        int row = RowOf(ssid);
        if (row < 0) return false;
        ClickRow(row);
        ClickIn(m_survey, button);
        return true;
    }
    bool Connect(const std::string& ssid) { return Press(ssid, IDC_SURVEY_CONNECT); }
    int Panel() const { return m_dlg.m_nCurPanel; }
    bool Shown(CWnd* panel) { return IsWindowVisible(panel->m_hWnd) != FALSE; }

    // ---- The panels ----
    void HiddenOk(const std::string& typed)
    {
        Type(m_hidden, IDC_HIDDEN_SSID_EDIT, typed);
        ClickIn(m_hidden, IDC_HIDDEN_OK);
    }
    void ConnectOk() { ClickIn(m_connect, IDC_CONNECT_OK); }
    void ConnectTab(int i)
    {
        SendMessageA(m_connect->TabButton(i)->m_hWnd, BM_CLICK, 0, 0);
        Pump();
    }
    void PanelShot(const char* name) { Shot(name); }

    // ---- What the driver saw ----
    DWORD Mark()
    {
        DWORD mark = 0;
        m_sim.NextSeq(mark);
        return mark;
    }
    std::vector<SetSeen> Sets(DWORD mark, DWORD oid)
    {
        std::vector<SetSeen> out;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, mark))
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == oid) out.push_back({ oid, e.data });
        return out;
    }
    // The value of the one set of an OID since mark; ~0 when there was none.
    DWORD SetValue(DWORD mark, DWORD oid)
    {
        std::vector<SetSeen> s = Sets(mark, oid);
        return s.empty() ? ~0u : s.back().Dword();
    }
    bool Applied(DWORD mark) { return !Sets(mark, OID_802_11_RELOAD_DEFAULTS).empty(); }
    static std::string Mac(const std::vector<BYTE>& d)
    {
        return d.size() >= 6 ? kqsim::FormatMac(d.data()) : std::string("<none>");
    }

    // The stored profiles and the adapter key, value by value.
    KeyImage AdapterKey() { return KeyImage::Take(HKEY_LOCAL_MACHINE, m_adapterPath); }
    static bool SameKey(const KeyImage& a, const KeyImage& b, std::string* where, const std::string& at = "")
    {
        if (a.exists != b.exists || a.values.size() != b.values.size() || a.subkeys.size() != b.subkeys.size()) {
            *where = at + " (values or subkeys)";
            return false;
        }
        for (size_t i = 0; i < a.values.size(); ++i)
            if (a.values[i].name != b.values[i].name || a.values[i].data != b.values[i].data) {
                *where = at + "\\" + a.values[i].name;
                return false;
            }
        for (size_t i = 0; i < a.subkeys.size(); ++i)
            if (a.subkeys[i].first != b.subkeys[i].first ||
                !SameKey(a.subkeys[i].second, b.subkeys[i].second, where, at + "\\" + a.subkeys[i].first))
                return false;
        return true;
    }

    CSiteSurveyPage* m_survey = nullptr;
    CHiddenSsidDlg* m_hidden = nullptr;
    CConnectSettingsDlg* m_connect = nullptr;
    CAuthSecurityPage* m_csec = nullptr;
    Restore<BOOL> m_scanPending{g_bScanPending}, m_regSecurity{g_bUseRegistryProfileSecurity};
};

}  // namespace kqtest
