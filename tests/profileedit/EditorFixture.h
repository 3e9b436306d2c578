// The profile editor inside the configuration window of a controller of this
// process, against the installed default adapter and the simulated air:
// opened by the profile page's Add and Edit, driven as a person drives it
// (clicks, typed characters, drop-down menus, menu commands from outside).
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include <atomic>
#include <shlwapi.h>
#include <string>
#include <thread>
#include <vector>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "mainwnd/ConfigMainDlg.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "pages/AuthSecurityPage.h"
#include "pages/ProfileEditDlg.h"
#include "pages/ProfilePage.h"
#include "pages/SystemConfigPage.h"
#include "resource.h"
#include "support/BoxAnswer.h"
#include "support/DialogInput.h"
#include "support/AdapterKey.h"
#include "support/Restore.h"
#include "tray/KestiqProcess.h"
#include "widgets/OwnerDrawMenu.h"

namespace kqtest {

// What a drop-down menu showed while it was open: its items' texts and states.
struct MenuSeen {
    bool shown = false;
    std::vector<std::string> texts;
    std::vector<UINT> ids;
    std::vector<bool> grey;
    bool Grey(UINT id) const
    {
        for (size_t i = 0; i < ids.size(); ++i)
            if (ids[i] == id) return grey[i];
        return false;
    }
    std::vector<std::string> Offered() const
    {
        std::vector<std::string> out;
        for (size_t i = 0; i < ids.size(); ++i)
            if (!grey[i]) out.push_back(texts[i]);
        return out;
    }
};

class EditorTest : public ControllerWindowTest, protected DialogInput {
protected:
    void SetUp() override
    {
        ControllerWindowTest::SetUp();
        m_adapterPath = g_strAdapterRegPath.GetString();
        // Activation copies a profile into the adapter key: later programs
        // started against this adapter must find the key as it was.
        m_adapterKey.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, m_adapterPath));
        ReadAdapterText(REGSTR_CUR_PROFILE, m_savedCurProfile);
        RemoveProfiles();
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
        // The engine's timer 2 behind a survey's scan would open the
        // supplicant port that these tests open and close by hand.
        m_window = OpenWithSurveyStopped();
        ASSERT_NE(nullptr, m_window);
        SendMessageA(m_window->GetNavButton(NAV_PROFILE)->m_hWnd, BM_CLICK, 0, 0);
        m_page = m_window->m_pProfilePage;
        m_editor = static_cast<CProfileEditDlg*>(m_window->GetPanel(PANEL_PROFILE_EDIT));
        ASSERT_NE(nullptr, m_editor);
        m_sys = m_editor->SystemConfigTab();
        m_sec = m_editor->SecurityTab();
        ASSERT_NE(nullptr, m_sys);
        ASSERT_NE(nullptr, m_sec);
    }
    void TearDown() override
    {
        RemoveProfiles();
        WriteAdapterText(REGSTR_CUR_PROFILE, m_savedCurProfile);
        ControllerWindowTest::TearDown();
        m_adapterKey.reset();
    }
    void RemoveProfiles() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, (m_adapterPath + "\\Profile\\Station").c_str()); }

    // ---- Acting as a person ----
    void ClickIn(CWnd* page, UINT id)
    {
        SendMessageA(GetDlgItem(page->m_hWnd, id), BM_CLICK, 0, 0);
        Pump();
    }
    void Add() { ClickIn(m_page, IDC_PROFILE_ADD); }
    void Edit(const char* name)
    {
        for (size_t i = 0; i < m_page->Rows().size(); ++i) {
            if (m_page->Rows()[i].name != name) continue;
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(GetDlgItem(m_page->m_hWnd, IDC_PROFILE_LIST), LVM_SETITEMSTATE, i, (LPARAM)&item);
        }
        ClickIn(m_page, IDC_PROFILE_EDIT);
    }
    void Ok() { ClickIn(m_editor, IDC_EDIT_OK); }
    // The profile page's Activate on the named row.
    void Activate(const char* name)
    {
        for (size_t i = 0; i < m_page->Rows().size(); ++i) {
            if (m_page->Rows()[i].name != name) continue;
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(GetDlgItem(m_page->m_hWnd, IDC_PROFILE_LIST), LVM_SETITEMSTATE, i, (LPARAM)&item);
        }
        ClickIn(m_page, IDC_PROFILE_APPLY);
    }
    // The supplicant library's calls since mark, as its log names them.
    std::vector<std::string> SupplicantCalls(DWORD mark)
    {
        std::vector<kqsim::LogEntry> log;
        m_sim.ReadLog(log, mark);
        std::vector<std::string> calls;
        for (const auto& e : log)
            if (e.IsSupplicantCall()) calls.push_back(e.text);
        return calls;
    }
    bool SupplicantSaid(DWORD mark, const std::string& prefix)
    {
        for (const std::string& c : SupplicantCalls(mark))
            if (c.compare(0, prefix.size(), prefix) == 0) return true;
        return false;
    }
    void Tab(int i)
    {
        SendMessageA(m_editor->TabButton(i)->m_hWnd, BM_CLICK, 0, 0);
        Pump();
    }
    // A menu command as the drop-down button posts it.
    static void Command(CWnd* page, UINT id)
    {
        PostMessageA(page->m_hWnd, WM_COMMAND, id, 0);
        Pump();
    }

    // Opens a drop-down button's menu as a click does, notes its items,
    // saves a picture of it under `shot` (when given), then chooses the item
    // at `choose` with the keyboard (or closes the menu for -1).
    MenuSeen OpenMenu(CWnd* page, UINT buttonId, int choose, const char* shot)
    {
        MenuSeen seen;
        std::atomic<bool> done{false};
        std::atomic<HWND> opened{nullptr};
        // The driver thread's wait for a state of the menu, bounded in time.
        auto until = [](auto holds) {
            for (DWORD start = GetTickCount(); !holds() && GetTickCount() - start < 20000;) Sleep(5);
            return holds();
        };
        auto hilited = [](HMENU h) {
            for (int i = 0; h && i < GetMenuItemCount(h); ++i)
                if (GetMenuState(h, i, MF_BYPOSITION) & MF_HILITE) return i;
            return -1;
        };
        std::thread driver([&] {
            HWND menu = nullptr;
            until([&] {
                for (HWND w = FindWindowA("#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    if (pid == GetCurrentProcessId() && IsWindowVisible(w)) menu = w;
                }
                return menu != nullptr;
            });
            if (menu) {
                HMENU h = (HMENU)SendMessageA(menu, MN_GETHMENU, 0, 0);
                for (int i = 0; h && i < GetMenuItemCount(h); ++i) {
                    char text[64] = {};
                    MENUITEMINFOA mi = {sizeof(mi)};
                    mi.fMask = MIIM_ID | MIIM_STATE;
                    GetMenuItemInfoA(h, i, TRUE, &mi);
                    GetMenuStringA(h, i, text, sizeof(text), MF_BYPOSITION);
                    // Owner-drawn items keep their text in the widget's record.
                    COwnerDrawMenu* od = COwnerDrawMenu::FromHandle(h);
                    if (!text[0] && od)
                        if (COwnerDrawMenuItem* item = od->FindItem(i, TRUE))
                            WideCharToMultiByte(CP_ACP, 0, item->text.c_str(), -1, text, sizeof(text), nullptr,
                                                nullptr);
                    seen.ids.push_back(mi.wID);
                    seen.texts.push_back(text);
                    seen.grey.push_back((mi.fState & (MFS_GRAYED | MFS_DISABLED)) != 0);
                }
                seen.shown = true;
                opened = menu;
                if (shot) {
                    // Once the menu has painted itself.
                    until([&] { return !GetUpdateRect(menu, nullptr, FALSE); });
                    SavePng(CaptureWindow(menu), ScreenshotPath(shot));
                }
                if (choose >= 0) {
                    // Each key once the menu has moved its selection for the last.
                    int at = hilited(h);
                    for (int i = 0; i <= choose; ++i) {
                        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
                        until([&] { return hilited(h) != at; });
                        at = hilited(h);
                    }
                    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
                } else {
                    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                }
            }
            done = true;
        });
        PostMessageA(GetDlgItem(page->m_hWnd, buttonId), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return done.load(); }, 60000)) << "the menu's driver did not end";
        driver.join();
        // The chosen command comes once the menu has closed and its loop returned.
        EXPECT_TRUE(WaitFor([&] { return !opened.load() || !IsWindowVisible(opened.load()); }))
            << "the menu stayed open";
        Pump();
        return seen;
    }

    // A stored 802.1X profile for Kestiq-Corp: WPA2 with AES.
    static ProfileSettings Wpa2Corp()
    {
        ProfileSettings corp;
        corp.ssid = "Kestiq-Corp";
        corp.networkType = 1;
        corp.authChoice = AUTH_CHOICE_WPA2;
        corp.encryptionChoice = ENCR_CHOICE_AES;
        corp.use8021x = TRUE;
        return corp;
    }

    // ---- Looking ----
    std::string Stored(const char* profile, const char* value)
    {
        return ReadText(m_adapterPath + "\\Profile\\Station\\" + profile, value);
    }
    static std::string ReadText(const std::string& path, const char* name)
    {
        char buf[512] = {};
        DWORD size = sizeof(buf) - 1;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
            return "<missing>";
        return buf;
    }
    bool ProfileExists(const char* name) { return KeyExistsHklm(m_adapterPath + "\\Profile\\Station\\" + name); }
    static bool KeyExistsHklm(const std::string& path)
    {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    }
    bool EditorShown() { return IsWindowVisible(m_editor->m_hWnd) != FALSE; }
    // The page of the editor's tabs that is in front.
    CWnd* FrontTab()
    {
        if (IsWindowVisible(m_sys->m_hWnd)) return m_sys;
        if (IsWindowVisible(m_sec->m_hWnd)) return m_sec;
        if (IsWindowVisible(m_editor->Dot1xTab()->m_hWnd)) return m_editor->Dot1xTab();
        return nullptr;
    }
    void Shot(const char* name)
    {
        RedrawWindow(m_window->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        SavePng(CaptureWindow(m_window->m_hWnd), ScreenshotPath(name));
    }

    std::string m_adapterPath;
    CString m_savedCurProfile;
    CConfigMainDlg* m_window = nullptr;
    CProfilePage* m_page = nullptr;
    CProfileEditDlg* m_editor = nullptr;
    CSystemConfigPage* m_sys = nullptr;
    CAuthSecurityPage* m_sec = nullptr;
    std::unique_ptr<kqtest::KeyGuard> m_adapterKey;
    Restore<int> m_authPort{g_hAuthPort};
    Restore<int> m_osVersion{g_nOsVersion};
};

}  // namespace kqtest
