// The PEAP panel (8) and the credential re-entry panel (7) in the
// configuration window of a controller of this process, on the installed
// default adapter: profiles stored and activated through the profile store
// and the engine's door, logins decided by the supplicant stand-in against
// the test's networks, the panels driven by typing and clicks.
#pragma once

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <memory>
#include <string>
#include <vector>

#include "auth/AuthFixture.h"
#include "auth/AuthUiRelay.h"
#include "credential/Accounts.h"
#include "auth/PasswordChange.h"
#include "core/EngineDoor.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "core/StateQuery.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "pages/CredentialPromptDlg.h"
#include "pages/PeapSettingDlg.h"
#include "support/AdapterKey.h"
#include "support/BoxAnswer.h"
#include "support/DialogInput.h"
#include "tray/KestiqProcess.h"

namespace kqtest {

class PanelTest : public ControllerWindowTest, protected DialogInput {
protected:
    void SetUp() override
    {
        ControllerWindowTest::SetUp();
        m_adapterPath = g_strAdapterRegPath.GetString();
        m_adapterKey.reset(new KeyGuard(HKEY_LOCAL_MACHINE, m_adapterPath));
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, (m_adapterPath + "\\Profile\\Station").c_str());
        ASSERT_TRUE(m_sim.ClearNetworks());
        ASSERT_TRUE(Stand().configure);
        Stand().reset();
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
        m_window = Open();
        ASSERT_NE(nullptr, m_window);
        m_prompt = static_cast<CCredentialPromptDlg*>(m_window->GetPanel(PANEL_CREDENTIAL_PROMPT));
        m_peap = static_cast<CPeapSettingDlg*>(m_window->GetPanel(PANEL_PEAP_SETTING));
        // The supplicant port opens on the controller's ticks.
        WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return g_hAuthPort != 0;
        }, 30000);
        ASSERT_NE(0, g_hAuthPort) << "the supplicant port did not open";
    }
    void TearDown() override
    {
        ControllerWindowTest::TearDown();
        m_adapterKey.reset();
        Stand().reset();
    }

    void PutNetwork(const char* ssid, int n, unsigned security, const std::string& eap)
    {
        ASSERT_TRUE(PutAccount(m_sim, ssid, n, security, eap));
    }
    // Stored, then activated as the profile page's Activate does.
    void Activate(const char* name, const ProfileSettings& s)
    {
        ASSERT_TRUE(WriteProfile(name, s));
        ASSERT_TRUE(ActivateStoredProfile(name, nullptr));
        Pump();
    }

    // ---- Looking and acting ----
    static bool Shown(CWnd* panel) { return panel && IsWindowVisible(panel->m_hWnd) != FALSE; }
    static bool Visible(CWnd* panel, UINT id) { return IsWindowVisible(GetDlgItem(panel->m_hWnd, id)) != FALSE; }
    static bool Enabled(CWnd* panel, UINT id) { return IsWindowEnabled(GetDlgItem(panel->m_hWnd, id)) != FALSE; }
    static std::string TextOf(CWnd* panel, UINT id)
    {
        char buf[300] = {};
        GetDlgItemTextA(panel->m_hWnd, id, buf, sizeof(buf));
        return buf;
    }
    static std::string Caption(CWnd* panel)
    {
        char buf[128] = {};
        GetWindowTextA(panel->m_hWnd, buf, sizeof(buf));
        return buf;
    }
    static void Click(CWnd* panel, UINT id)
    {
        SendMessageA(GetDlgItem(panel->m_hWnd, id), BM_CLICK, 0, 0);
        Pump();
    }
    // Waits (pumping) for panel n to be the one in front.
    bool PanelInFront(int n, DWORD ms = 20000)
    {
        return WaitFor([&] { return m_dlg.m_nCurPanel == n && Shown(m_window->GetPanel(n)); }, ms);
    }
    void Shot(const char* name)
    {
        RedrawWindow(m_window->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        SavePng(CaptureWindow(m_window->m_hWnd), ScreenshotPath(name));
    }
    UINT Icon() { return (UINT)m_dlg.SendMessage(WM_KQ_QUERY_STATE, KQ_STATE_ICON); }
    bool IconBecomes(UINT want, DWORD ms = 20000)
    {
        return WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return Icon() == want;
        }, ms);
    }
    DWORD Mark() { return LogMark(m_sim); }
    std::vector<std::string> Supplicant(DWORD mark, const std::string& prefix)
    {
        return SupplicantLines(m_sim, mark, prefix);
    }
    bool SupplicantSaid(DWORD mark, const std::string& prefix) { return !Supplicant(mark, prefix).empty(); }
    // Sets of an OID the adapter received since mark.
    std::vector<kqsim::LogEntry> Sets(DWORD mark, DWORD oid)
    {
        std::vector<kqsim::LogEntry> out;
        for (const auto& e : kqsim::AdapterLog(m_sim, kGuid, mark))
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == oid) out.push_back(e);
        return out;
    }
    std::string Stored(const std::string& profile, const char* value)
    {
        return StoredValue(m_adapterPath, profile, value);
    }

    std::string m_adapterPath;
    std::unique_ptr<KeyGuard> m_adapterKey;
    CConfigMainDlg* m_window = nullptr;
    CCredentialPromptDlg* m_prompt = nullptr;
    CPeapSettingDlg* m_peap = nullptr;
    Restore<int> m_authPort{g_hAuthPort};
    Restore<int> m_failReason{g_nAuthFailReason};
};

}  // namespace kqtest
