// A settings page of the configuration window of a controller of this
// process, against the installed default adapter and the simulated air,
// driven as a person drives it: clicks on its buttons, items picked in its
// combos, text typed into its edits, answers to its message boxes.  Whatever
// a page writes (the adapter key, the system's TCP values, the trace file,
// the shared settings of the engine) is put back after each test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/HideDlg.h"
#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/Oids.h"
#include "core/ProfileStore.h"
#include "core/RegistryStore.h"
#include "core/StateQuery.h"
#include "mainwnd/ConfigMainDlg.h"
#include "mainwnd/WindowFixture.h"
#include "mainwnd/WindowProbe.h"
#include "pages/AdvancedPage.h"
#include "pages/LinkStatusPage.h"
#include "pages/ProfilePage.h"
#include "pages/SiteSurveyPage.h"
#include "pages/WmmPage.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/BoxAnswer.h"
#include "support/DialogInput.h"
#include "support/Restore.h"
#include "tray/KestiqProcess.h"

namespace kqtest {

const char kTraceFilePath[] = "C:\\test_Kestiq.txt";
const char* const kTcpValueNames[4] = { "TCPWindowSize", "SackOpts", "TcpMaxDupAcks", "Tcp1323Opts" };

// The values of a key named, put back (or removed) when the guard goes.
class ValuesGuard {
public:
    ValuesGuard(HKEY root, const char* path, const char* const* names, int n) : m_root(root), m_path(path)
    {
        for (int i = 0; i < n; ++i) {
            Saved s;
            s.name = names[i];
            DWORD size = 0;
            s.exists = RegGetValueA(root, path, names[i], RRF_RT_ANY, &s.type, nullptr, &size) == ERROR_SUCCESS;
            if (s.exists) {
                s.data.resize(size);
                RegGetValueA(root, path, names[i], RRF_RT_ANY, &s.type, s.data.data(), &size);
            }
            m_saved.push_back(s);
        }
    }
    ~ValuesGuard()
    {
        HKEY k = nullptr;
        if (RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        for (const Saved& s : m_saved) {
            if (s.exists) RegSetValueExA(k, s.name.c_str(), 0, s.type, s.data.data(), (DWORD)s.data.size());
            else RegDeleteValueA(k, s.name.c_str());
        }
        RegCloseKey(k);
    }

private:
    struct Saved {
        std::string name;
        bool exists = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    HKEY m_root;
    std::string m_path;
    std::vector<Saved> m_saved;
};

// A file's bytes, put back (or the file removed) when the guard goes.
class FileGuard {
public:
    explicit FileGuard(const char* path) : m_path(path)
    {
        std::ifstream in(path, std::ios::binary);
        m_existed = in.good();
        if (m_existed) m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ~FileGuard()
    {
        if (!m_existed) {
            DeleteFileA(m_path.c_str());
            return;
        }
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(m_bytes.data(), (std::streamsize)m_bytes.size());
    }

private:
    std::string m_path;
    bool m_existed = false;
    std::string m_bytes;
};

// Closes the first dialog box of this process with the given caption once it
// shows, from a second thread, and keeps the text of its static.
class CaptionedBoxCloser {
public:
    explicit CaptionedBoxCloser(const char* caption) : m_caption(caption), m_thread([this] { Run(); }) {}
    ~CaptionedBoxCloser() { Stop(); }
    bool Shown()
    {
        Stop();
        return m_shown;
    }

private:
    void Stop()
    {
        m_done = true;
        if (m_thread.joinable()) m_thread.join();
    }
    void Run()
    {
        for (int i = 0; i < 1000 && !m_done; ++i) {
            HWND box = FindWindowA("#32770", m_caption.c_str());
            DWORD pid = 0;
            if (box) GetWindowThreadProcessId(box, &pid);
            if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
                m_shown = true;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(10);
        }
    }
    std::string m_caption;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_shown{false};
    std::thread m_thread;
};

// The settings of the engine and the adapter that the pages change.
struct SavedPageGlobals {
    Restore<int> mode{ g_nWirelessMode }, model{ g_nModelIndex }, generation{ g_nHtGeneration }, os{ g_nOsVersion };
    Restore<BOOL> ht{ g_bHtDevice }, dual{ g_bDualBand }, bgFlag{ g_bRegionBgFlag }, aFlag{ g_bRegionAFlag };
    Restore<BOOL> bit8{ g_bEepromWord36Bit8Clear }, bit9{ g_bEepromWord36Bit9Clear }, skip{ g_bSkipNextScan };
    Restore<BOOL> showAuth{ g_bShowAuthStatus }, advValid{ g_bAdvancedConfigValid }, pending{ g_bScanPending };
    Restore<BOOL> trace{ g_bDebugTrace }, wow{ g_bIsWow64 };
    Restore<DWORD> region{ g_dwCountryRegion }, transmit{ g_dwTransmitSetting };
    Restore<DWORD[8]> advanced{ g_AdvancedConfig };
    Restore<int> lastMode{ CAdvancedPage::s_nLastModeSel }, lastBg{ CAdvancedPage::s_nLastBgRegionSel },
        lastA{ CAdvancedPage::s_nLastARegionSel }, dlsRow{ CWmmPage::s_nDlsSelectedRow };
    Restore<CString> dlsMac{ CWmmPage::s_strDlsSelectedMac };
    Restore<BOOL> htKnown{ CAdvancedPage::s_bHtPhyKnown };
    Restore<BYTE[12]> htRecord{ CAdvancedPage::s_htPhyKnown };
};

class PageWindowTest : public ControllerWindowTest, protected DialogInput {
protected:
    void SetUp() override
    {
        ControllerWindowTest::SetUp();
        m_adapterPath = g_strAdapterRegPath.GetString();
        m_adapterKey.reset(new KeyGuard(HKEY_LOCAL_MACHINE, m_adapterPath));
        m_tcp.reset(new ValuesGuard(HKEY_LOCAL_MACHINE, kTcpParametersKey, kTcpValueNames, 4));
        m_trace.reset(new FileGuard(kTraceFilePath));
        DeleteFileA(kTraceFilePath);
        m_globals.reset(new SavedPageGlobals);
        ClearConnectRequests();
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
        ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_SCAN_LATENCY, 1));
    }
    void TearDown() override
    {
        ClearConnectRequests();
        ControllerWindowTest::TearDown();
        m_globals.reset();
        m_trace.reset();
        m_tcp.reset();
        m_adapterKey.reset();
    }

    // ---- The window and its pages ----
    // The window; the survey's and the link panel's refreshes stopped, so
    // that no scan of theirs runs between a test's steps.
    CConfigMainDlg* Window()
    {
        if (!m_window) {
            m_window = Open();
            if (!m_window) return nullptr;
            KillTimer(m_window->m_pSiteSurveyPage->m_hWnd, IDT_SURVEY_REFRESH);
            KillTimer(m_window->GetPanel(PANEL_LINK_STATUS)->m_hWnd, IDT_LINK_STATUS_REFRESH);
        }
        return m_window;
    }
    // Brings a page to the front with its navigation button; its own timer
    // is stopped, so that the test runs every tick itself.
    CWnd* ShowPage(int nav, CWnd* page, UINT timer)
    {
        SendMessageA(Window()->GetNavButton(nav)->m_hWnd, BM_CLICK, 0, 0);
        Pump();
        KillTimer(page->m_hWnd, timer);
        return page;
    }
    // Another page in front and this one again: a page reads its settings
    // each time it is shown.
    CWnd* Reshow(int nav, CWnd* page, UINT timer)
    {
        SendMessageA(Window()->GetNavButton(NAV_STATISTICS)->m_hWnd, BM_CLICK, 0, 0);
        Pump();
        return ShowPage(nav, page, timer);
    }
    CWnd* Advanced() { return ShowPage(NAV_ADVANCED, (CWnd*)Window()->m_pAdvancedPage, IDT_ADVANCED_REFRESH); }
    CWnd* Wmm() { return ShowPage(NAV_WMM, (CWnd*)Window()->m_pWmmPage, IDT_WMM_REFRESH); }
    // The window closed; the next page shown opens a new one.
    void Reopen()
    {
        m_dlg.DestroyMainWindow();
        m_window = nullptr;
    }
    static void Tick(CWnd* page, UINT timer)
    {
        SendMessageA(page->m_hWnd, WM_TIMER, timer, 0);
        Pump();
    }

    // ---- Acting as a person ----
    static void Click(CWnd* page, UINT id)
    {
        SendMessageA(GetDlgItem(page->m_hWnd, id), BM_CLICK, 0, 0);
        Pump();
    }
    // A menu command as the drop-down button sends it.
    static void Command(CWnd* page, UINT id)
    {
        SendMessageA(page->m_hWnd, WM_COMMAND, id, 0);
        Pump();
    }
    static bool Pick(CWnd* page, UINT id, const std::string& text) { return PickComboItem(page, id, text); }

    // ---- Looking ----
    static std::string ComboText(CWnd* page, UINT id) { return ComboSelection(page, id); }
    std::string Stored(const char* name) { return ReadText(m_adapterPath, name); }
    bool StoredWord(const char* name, DWORD* word)
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        if (!ReadValue(m_adapterPath, name, &type, &data) || data.size() != 4) return false;
        std::memcpy(word, data.data(), 4);
        return true;
    }
    void Store(const char* name, const char* text) { WriteAdapterText(name, text); }
    void StoreWord(const char* name, DWORD word) { WriteAdapterDword(name, word); }
    void Remove(const char* name)
    {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, m_adapterPath.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        RegDeleteValueA(k, name);
        RegCloseKey(k);
    }
    static std::string TraceText()
    {
        std::ifstream in(kTraceFilePath, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // ---- The driver's side ----
    DWORD Mark()
    {
        DWORD seq = 0;
        m_sim.NextSeq(seq);
        return seq;
    }
    std::vector<kqsim::LogEntry> Log(DWORD from) { return kqsim::AdapterLog(m_sim, kGuid, from); }
    // The data of every set of oid since from, in order.
    std::vector<std::vector<BYTE>> Sets(DWORD from, DWORD oid)
    {
        std::vector<std::vector<BYTE>> out;
        for (const kqsim::LogEntry& e : Log(from))
            if (e.kind == KQSIM_LOG_SET && e.BaseOid() == oid) out.push_back(e.data);
        return out;
    }
    // The data of the last set of oid since m_mark (empty when none).
    std::vector<BYTE> LastSet(DWORD oid)
    {
        std::vector<std::vector<BYTE>> sets = Sets(m_mark, oid);
        return sets.empty() ? std::vector<BYTE>() : sets.back();
    }
    static DWORD Word(const std::vector<BYTE>& data)
    {
        DWORD v = 0;
        std::memcpy(&v, data.data(), data.size() < 4 ? data.size() : 4);
        return v;
    }
    // The sets of the log in order, as base OIDs.
    std::vector<DWORD> SetOids(DWORD from)
    {
        std::vector<DWORD> out;
        for (const kqsim::LogEntry& e : Log(from))
            if (e.kind == KQSIM_LOG_SET) out.push_back(e.BaseOid());
        return out;
    }
    void Answer(DWORD oid, const void* data, DWORD len) { ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, oid, data, len)); }
    void SetDriverDword(DWORD oid, DWORD value) { ASSERT_TRUE(SetOid(oid, &value, sizeof(value), nullptr, 1)); }
    DWORD DriverDword(DWORD oid)
    {
        DWORD v = 0;
        QueryOid(oid, &v, sizeof(v), nullptr);
        return v;
    }

    // ---- Pictures ----
    void Shot(CWnd* page, const char* name)
    {
        RedrawWindow(page->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        SavePng(CaptureWindow(page->m_hWnd), ScreenshotPath(name));
    }
    // The page with one of its combo boxes dropped down: the screen under
    // both, since the list is a window of its own.
    void ShotDropped(CWnd* page, UINT comboId, const char* name)
    {
        HWND combo = GetDlgItem(page->m_hWnd, comboId);
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        Pump();
        COMBOBOXINFO info = { sizeof(info) };
        GetComboBoxInfo(combo, &info);
        RECT pageRect, listRect = {};
        GetWindowRect(page->m_hWnd, &pageRect);
        if (info.hwndList) GetWindowRect(info.hwndList, &listRect);
        RedrawWindow(info.hwndList, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        RECT all;
        UnionRect(&all, &pageRect, &listRect);
        SavePng(CaptureScreen(all), ScreenshotPath(name));
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        Pump();
    }
    // ---- Joining a network of the air through a stored profile ----
    // The supplicant port opens on the controller's ticks.
    bool WaitForAuthPort()
    {
        return WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return g_hAuthPort != 0;
        }, 10000);
    }
    UINT Icon() { return (UINT)m_dlg.SendMessage(WM_KQ_QUERY_STATE, KQ_STATE_ICON); }
    // Ticks the controller until the link is up (the icon of a good signal).
    bool Connected(DWORD ms = 20000)
    {
        return WaitFor([&] {
            m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
            return Icon() == IDI_TRAY_GOOD;
        }, ms);
    }
    void StoreHomeProfile()
    {
        ProfileSettings s;
        s.ssid = "Kestiq-Home";
        s.networkType = 1;
        s.authChoice = AUTH_CHOICE_WPA2_PSK;
        s.encryptionChoice = ENCR_CHOICE_AES;
        s.preSharedKey = "kestiq-secret";
        ASSERT_TRUE(WriteProfile("HOME", s));
    }
    // Activates the stored profile from the profile page, as a person does.
    void ActivateOnProfilePage(const char* name)
    {
        CProfilePage* page = (CProfilePage*)ShowPage(NAV_PROFILE, Window()->m_pProfilePage, 0);
        for (size_t i = 0; i < page->Rows().size(); ++i) {
            if (page->Rows()[i].name != name) continue;
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(GetDlgItem(page->m_hWnd, IDC_PROFILE_LIST), LVM_SETITEMSTATE, i, (LPARAM)&item);
        }
        Click(page, IDC_PROFILE_APPLY);
    }

    std::string m_adapterPath;
    CConfigMainDlg* m_window = nullptr;
    std::unique_ptr<KeyGuard> m_adapterKey;
    std::unique_ptr<ValuesGuard> m_tcp;
    std::unique_ptr<FileGuard> m_trace;
    std::unique_ptr<SavedPageGlobals> m_globals;
    DWORD m_mark = 0;   // where the log a test looks at begins
    Restore<int> m_authPort{ g_hAuthPort };
};

}  // namespace kqtest
