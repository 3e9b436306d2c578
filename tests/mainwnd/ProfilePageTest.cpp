// The profile page inside the configuration window of a controller of this
// process, against the installed default adapter and the simulated air:
// the grid, the details, Activate, Delete and the row marks.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <shlwapi.h>
#include <string>
#include <thread>

#include "auth/SupplicantBinding.h"
#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/StationConfig.h"
#include "core/ZeroConfig.h"
#include "mainwnd/ConfigMainDlg.h"
#include "pages/ProfilePage.h"
#include "core/ProfileStore.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "WindowFixture.h"
#include "support/AdapterKey.h"
#include "support/BoxAnswer.h"
#include "support/TimerRecorder.h"
#include "tray/KestiqProcess.h"
#include "WindowProbe.h"

namespace {

using kqtest::BoxAnswer;

class ProfilePageTest : public kqtest::ControllerWindowTest {
protected:
    void SetUp() override
    {
        kqtest::ControllerWindowTest::SetUp();
        m_adapterPath = g_strAdapterRegPath.GetString();
        // Activation copies a profile into the adapter key: later programs
        // started against this adapter must find the key as it was.
        m_adapterKey.reset(new kqtest::KeyGuard(HKEY_LOCAL_MACHINE, m_adapterPath));
        ReadAdapterText(REGSTR_CUR_PROFILE, m_savedCurProfile);
        RemoveProfiles();
        g_bIsAdmin = TRUE;
        g_bRadioOn = TRUE;
        g_nWzcMode = 0;
    }
    void TearDown() override
    {
        RemoveProfiles();
        WriteAdapterText(REGSTR_CUR_PROFILE, m_savedCurProfile);
        kqtest::ControllerWindowTest::TearDown();
        m_adapterKey.reset();
    }
    void RemoveProfiles()
    {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, (m_adapterPath + "\\Profile\\Station").c_str());
    }
    CProfilePage* OpenPage()
    {
        CConfigMainDlg* w = OpenWithSurveyStopped();
        if (!w) return nullptr;
        SendMessageA(w->GetNavButton(NAV_PROFILE)->m_hWnd, BM_CLICK, 0, 0);
        return w->m_pProfilePage;
    }
    static HWND Grid(CProfilePage* p) { return GetDlgItem(p->m_hWnd, IDC_PROFILE_LIST); }
    static std::string CellText(CProfilePage* p, int row, int col)
    {
        char buf[128] = {};
        LVITEMA item = {};
        item.iSubItem = col;
        item.pszText = buf;
        item.cchTextMax = sizeof(buf);
        SendMessageA(Grid(p), LVM_GETITEMTEXTA, row, (LPARAM)&item);
        return buf;
    }
    static int CellImage(CProfilePage* p, int row, int col)
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        item.iSubItem = col;
        item.iImage = -1;
        SendMessageA(Grid(p), LVM_GETITEMA, 0, (LPARAM)&item);
        return item.iImage;
    }
    static int RowOf(CProfilePage* p, const char* name)
    {
        for (size_t i = 0; i < p->Rows().size(); ++i)
            if (p->Rows()[i].name == name) return (int)i;
        return -1;
    }
    static void Select(CProfilePage* p, int row)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(Grid(p), LVM_SETITEMSTATE, row, (LPARAM)&item);
    }
    static void Click(CProfilePage* p, UINT id)
    {
        SendMessageA(GetDlgItem(p->m_hWnd, id), BM_CLICK, 0, 0);
        Pump();
    }
    static bool ProfileExists(const char* name)
    {
        HKEY k = OpenProfileKey(name, KEY_READ);
        if (k) RegCloseKey(k);
        return k != nullptr;
    }
    std::string Active(const char* value)
    {
        CString t;
        return ReadAdapterText(value, t) ? t.GetString() : "<missing>";
    }

    std::string m_adapterPath;
    CString m_savedCurProfile;
    std::unique_ptr<kqtest::KeyGuard> m_adapterKey;
};

ProfileSettings Wpa2Home()
{
    ProfileSettings s;
    s.ssid = "Kestiq-Home";
    s.networkType = 1;
    s.authChoice = AUTH_CHOICE_WPA2_PSK;
    s.encryptionChoice = ENCR_CHOICE_AES;
    s.preSharedKey = "kestiq-secret";
    return s;
}

ProfileSettings OpenCafe()
{
    ProfileSettings s;
    s.ssid = "Kestiq-Open";
    s.networkType = 1;
    return s;
}

TEST_F(ProfilePageTest, ListsTheStoredProfilesThroughTheCellProtocol)
{
    ProfileSettings adhoc;
    adhoc.ssid = "Games";
    adhoc.networkType = 0;
    adhoc.channel = "J12";
    adhoc.authChoice = AUTH_CHOICE_SHARED;
    adhoc.encryptionChoice = ENCR_CHOICE_WEP;
    ASSERT_TRUE(WriteProfile("Home", Wpa2Home()));
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    ASSERT_TRUE(WriteProfile("LAN party", adhoc));
    // Written by hand: without Encryption a profile counts as unencrypted.
    struct { const char* name; const char* authenType; const char* encryption; } hand[] = {
        { "Bare", "0", nullptr }, { "Nothing", nullptr, nullptr }, { "Shared", "1", nullptr }, { "WEP", "0", "0" },
    };
    for (const auto& h : hand) {
        HKEY k = CreateProfileKey(h.name);
        ASSERT_NE(nullptr, k);
        WriteRegText(k, "SSID", h.name);
        if (h.authenType) WriteRegText(k, "AuthenType", h.authenType);
        if (h.encryption) WriteRegText(k, "Encryption", h.encryption);
        RegCloseKey(k);
    }
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    ASSERT_EQ(7, (int)SendMessageA(Grid(p), LVM_GETITEMCOUNT, 0, 0));

    struct { const char* name; const char* ssid; int secured; int type; } rows[] = {
        { "Home", "Kestiq-Home", PROFILE_IMAGE_SECURED, PROFILE_IMAGE_INFRASTRUCTURE },
        { "Cafe", "Kestiq-Open", -1, PROFILE_IMAGE_INFRASTRUCTURE },
        { "LAN party", "Games", PROFILE_IMAGE_SECURED, PROFILE_IMAGE_ADHOC },
        { "Bare", "Bare", -1, PROFILE_IMAGE_INFRASTRUCTURE },
        { "Nothing", "Nothing", -1, PROFILE_IMAGE_INFRASTRUCTURE },
        { "Shared", "Shared", PROFILE_IMAGE_SECURED, PROFILE_IMAGE_INFRASTRUCTURE },
        { "WEP", "WEP", PROFILE_IMAGE_SECURED, PROFILE_IMAGE_INFRASTRUCTURE },
    };
    for (const auto& r : rows) {
        int row = RowOf(p, r.name);
        ASSERT_GE(row, 0) << r.name;
        EXPECT_EQ(r.name, CellText(p, row, 1));
        EXPECT_EQ(r.ssid, CellText(p, row, 2));
        EXPECT_EQ(-1, CellImage(p, row, 0)) << r.name;   // no state until the timer's first tick
        EXPECT_EQ(r.secured, CellImage(p, row, 3)) << r.name;
        EXPECT_EQ(r.type, CellImage(p, row, 4)) << r.name;
    }
    char header[32] = {};
    HDITEMA hd = {};
    hd.mask = HDI_TEXT;
    hd.pszText = header;
    hd.cchTextMax = sizeof(header);
    HWND hdr = (HWND)SendMessageA(Grid(p), LVM_GETHEADER, 0, 0);
    SendMessageA(hdr, HDM_GETITEMA, 1, (LPARAM)&hd);
    EXPECT_STREQ("NAME", header);
    SendMessageA(hdr, HDM_GETITEMA, 2, (LPARAM)&hd);
    EXPECT_STREQ("SSID", header);
    DWORD ex = (DWORD)SendMessageA(Grid(p), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(ex & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ex & LVS_EX_HEADERDRAGDROP);
    for (UINT id : { IDC_PROFILE_EDIT, IDC_PROFILE_DELETE, IDC_PROFILE_APPLY })
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p->m_hWnd, id)));

    UpdateWindow(p->m_pMainDlg->m_hWnd);
    kqtest::SavePng(kqtest::CaptureWindow(p->m_pMainDlg->m_hWnd), kqtest::ScreenshotPath("window-profiles"));
}

TEST_F(ProfilePageTest, NoProfilesDisablesTheRowButtons)
{
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(0, (int)SendMessageA(Grid(p), LVM_GETITEMCOUNT, 0, 0));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p->m_hWnd, IDC_PROFILE_ADD)));
    for (UINT id : { IDC_PROFILE_EDIT, IDC_PROFILE_DELETE, IDC_PROFILE_APPLY })
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p->m_hWnd, id)));
}

struct DetailCase {
    const char* what;
    std::vector<std::pair<const char*, const char*>> values;
    std::vector<std::pair<int, const char*>> expect;
};

TEST_F(ProfilePageTest, DetailsPaneShowsTheSelectedProfile)
{
    const std::vector<DetailCase> cases = {
        { "WPA2-PSK infrastructure",
          { { "SSID", "Kestiq-Home" }, { "NetworkType", "1" }, { "AuthenType", "7" }, { "Encryption", "6" },
            { "Use8021X", "0" }, { "Channel", "6" }, { "PSMode", "2" }, { "TXPower", "2" }, { "RtsThresh", "2347" },
            { "FragThresh", "2346" } },
          { { DETAIL_NAME, "Case" }, { DETAIL_SSID, "Kestiq-Home" }, { DETAIL_NETWORK_TYPE, "Infrastructure" },
            { DETAIL_AUTHENTICATION, "WPA2-PSK " }, { DETAIL_ENCRYPTION, "AES" }, { DETAIL_USE_8021X, "NO" },
            { DETAIL_CHANNEL, "6" }, { DETAIL_POWER_SAVE, "PSM" }, { DETAIL_TX_POWER, "75 %" },
            { DETAIL_RTS_THRESHOLD, "2347" }, { DETAIL_FRAG_THRESHOLD, "2346" } } },
        { "LEAP with WPA-TKIP",
          { { "AuthenType", "0" }, { "LeapEnabled", "1" }, { "LeapEncryType", "1" }, { "Encryption", "0" },
            { "Use8021X", "1" }, { "NetworkType", "2" }, { "Channel", "212" }, { "PSMode", "0" }, { "TXPower", "6" } },
          { { DETAIL_AUTHENTICATION, "LEAP " }, { DETAIL_ENCRYPTION, "WPA-TKIP" }, { DETAIL_USE_8021X, "YES" },
            { DETAIL_NETWORK_TYPE, "Auto" }, { DETAIL_CHANNEL, "J12" }, { DETAIL_POWER_SAVE, "CAM" },
            { DETAIL_TX_POWER, "Lowest" } } },
        { "ad hoc WEP, AuthenType out of range",
          { { "NetworkType", "0" }, { "AuthenType", "12" }, { "Encryption", "0" } },
          { { DETAIL_NETWORK_TYPE, "Ad hoc" }, { DETAIL_AUTHENTICATION, "Open " }, { DETAIL_ENCRYPTION, "WEP" },
            { DETAIL_SSID, "" }, { DETAIL_CHANNEL, "" } } },
        { "hand-written: numbers read as atoi reads them, unknown ones and missing values show nothing",
          { { "SSID", "x" }, { "NetworkType", "abc" }, { "Encryption", "3" }, { "TXPower", "9" }, { "RtsThresh", "" },
            { "FragThresh", "512 bytes" } },
          { { DETAIL_NETWORK_TYPE, "Ad hoc" }, { DETAIL_ENCRYPTION, "" }, { DETAIL_TX_POWER, "" },
            { DETAIL_RTS_THRESHOLD, "0" }, { DETAIL_FRAG_THRESHOLD, "512" }, { DETAIL_AUTHENTICATION, "" },
            { DETAIL_CHANNEL, "" } } },
    };
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    for (const DetailCase& c : cases) {
        RemoveProfiles();
        HKEY k = CreateProfileKey("Case");
        ASSERT_NE(nullptr, k);
        for (const auto& v : c.values) WriteRegText(k, v.first, v.second);
        RegCloseKey(k);
        p->LoadProfileList();
        Select(p, 0);
        p->ShowProfileDetails();
        for (const auto& e : c.expect) {
            char shown[128] = {};
            GetDlgItemTextA(p->m_hWnd, IDC_PROFILE_VALUE_FIRST + e.first, shown, sizeof(shown));
            EXPECT_STREQ(e.second, shown) << c.what << " detail " << e.first;
        }
    }
}

// A person clicks a row: the mouse reaches the grid, not the page's handler.
TEST_F(ProfilePageTest, ClickingARowShowsThatProfilesDetails)
{
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    ASSERT_TRUE(WriteProfile("Home", Wpa2Home()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    struct { const char* name; const char* ssid; const char* authentication; } rows[] = {
        { "Home", "Kestiq-Home", "WPA2-PSK " }, { "Cafe", "Kestiq-Open", "Open " }, { "Home", "Kestiq-Home", "WPA2-PSK " },
    };
    for (const auto& r : rows) {
        int row = RowOf(p, r.name);
        ASSERT_GE(row, 0);
        RECT cell = {};
        cell.top = 1;   // the name column
        cell.left = LVIR_BOUNDS;
        ASSERT_TRUE(SendMessageA(Grid(p), LVM_GETSUBITEMRECT, row, (LPARAM)&cell));
        LPARAM at = MAKELPARAM(cell.left + 10, (cell.top + cell.bottom) / 2);
        PostMessageA(Grid(p), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(Grid(p), WM_LBUTTONUP, 0, at);
        char shown[128] = {};
        // The click is posted: the grid's notification comes when it is handled.
        EXPECT_TRUE(kqtest::WaitFor([&] {
            GetDlgItemTextA(p->m_hWnd, IDC_PROFILE_VALUE_FIRST + DETAIL_NAME, shown, sizeof(shown));
            return std::strcmp(r.name, shown) == 0;
        })) << "shown: " << shown;
        GetDlgItemTextA(p->m_hWnd, IDC_PROFILE_VALUE_FIRST + DETAIL_SSID, shown, sizeof(shown));
        EXPECT_STREQ(r.ssid, shown);
        GetDlgItemTextA(p->m_hWnd, IDC_PROFILE_VALUE_FIRST + DETAIL_AUTHENTICATION, shown, sizeof(shown));
        EXPECT_STREQ(r.authentication, shown);
    }
}

TEST_F(ProfilePageTest, OverlongNameWrittenByHandHidesNothing)
{
    ASSERT_TRUE(WriteProfile("A-first", OpenCafe()));
    HKEY k = nullptr;
    std::string longName(40, 'Q');
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, (m_adapterPath + "\\Profile\\Station\\" + longName).c_str(),
                                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
    WriteRegText(k, "SSID", "hidden?");
    RegCloseKey(k);
    ProfileSettings z = Wpa2Home();
    ASSERT_TRUE(WriteProfile("Z-last", z));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    ASSERT_EQ(2u, p->Rows().size());
    EXPECT_EQ(CString("A-first"), p->Rows()[0].name);
    EXPECT_EQ(CString("Z-last"), p->Rows()[1].name);
    // The details of the row after the skipped key are its own.
    Select(p, 1);
    p->ShowProfileDetails();
    EXPECT_EQ(CString("Kestiq-Home"), p->Detail(DETAIL_SSID));
}

using kqtest::TimerRecorder;

TEST_F(ProfilePageTest, TheRowStateTimerRunsEveryThreeSeconds)
{
    std::vector<TimerRecorder::Start> starts;
    CProfilePage* p = nullptr;
    {
        TimerRecorder timers;
        ASSERT_TRUE(timers.ok());
        p = OpenPage();
        starts = timers.starts;
    }
    ASSERT_NE(nullptr, p);
    int found = 0;
    for (const auto& t : starts)
        if (t.window == p->m_hWnd) {
            ++found;
            EXPECT_EQ(2u, t.id);
            EXPECT_EQ(3000u, t.ms);
        }
    EXPECT_EQ(1, found) << "one timer of the page";
    EXPECT_TRUE(KillTimer(p->m_hWnd, 2)) << "and it runs";
}

TEST_F(ProfilePageTest, CurProfileNamingNoProfileMarksNothing)
{
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    ASSERT_TRUE(WriteAdapterText(REGSTR_CUR_PROFILE, "Gone"));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    EXPECT_TRUE(p->CurrentProfileName().IsEmpty());
    EXPECT_EQ(-1, p->FindActiveRow());
    p->UpdateRowState();
    EXPECT_EQ(-1, p->Rows()[0].state);
}

TEST_F(ProfilePageTest, NewProfileNameFollowsTheLargestProfNumber)
{
    struct { std::vector<const char*> names; const char* expect; } cases[] = {
        { {}, "PROF1" },
        { { "prof7" }, "PROF8" },
        { { "PROFILE", "Home" }, "PROF1" },
        { { "PROF2", "prof10", "Prof3x" }, "PROF11" },
    };
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    for (const auto& c : cases) {
        RemoveProfiles();
        for (const char* n : c.names) ASSERT_TRUE(WriteProfile(n, OpenCafe()));
        p->LoadProfileList();
        CString name;
        p->MakeNewProfileName(name);
        EXPECT_EQ(CString(c.expect), name);
    }
}

TEST_F(ProfilePageTest, ButtonsDoNothingWithTheRadioOffOrUnderZeroConfiguration)
{
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    struct { BOOL radio; int wzc; } cases[] = { { FALSE, 0 }, { TRUE, 2 } };
    for (const auto& c : cases) {
        g_bRadioOn = c.radio;
        g_nWzcMode = c.wzc;
        WriteAdapterText(REGSTR_CUR_PROFILE, "");
        BoxAnswer box(BoxAnswer::OK);
        for (UINT id : { IDC_PROFILE_ADD, IDC_PROFILE_EDIT, IDC_PROFILE_APPLY, IDC_PROFILE_DELETE }) Click(p, id);
        EXPECT_FALSE(box.Shown());
        EXPECT_EQ("", Active(REGSTR_CUR_PROFILE));
        EXPECT_EQ(1u, p->Rows().size());
        EXPECT_FALSE(p->m_pMainDlg->GetPanel(PANEL_PROFILE_EDIT)->IsWindowVisible());
    }
}

TEST_F(ProfilePageTest, EditDeleteAndActivateWithoutSelectionSayNoSelectedItem)
{
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    for (UINT id : { IDC_PROFILE_EDIT, IDC_PROFILE_APPLY, IDC_PROFILE_DELETE }) {
        BoxAnswer box(BoxAnswer::OK);
        Click(p, id);
        EXPECT_EQ("No selected item", box.Text()) << id;
    }
    EXPECT_EQ(1u, p->Rows().size());
}

TEST_F(ProfilePageTest, AddAndEditOpenTheEditorPanel)
{
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    Click(p, IDC_PROFILE_ADD);
    EXPECT_TRUE(p->m_pMainDlg->GetPanel(PANEL_PROFILE_EDIT)->IsWindowVisible());
    EXPECT_EQ(PANEL_PROFILE_EDIT, m_dlg.m_nCurPanel);
    m_dlg.ShowPage(PANEL_LINK_STATUS);
    Select(p, 0);
    Click(p, IDC_PROFILE_EDIT);
    EXPECT_TRUE(p->m_pMainDlg->GetPanel(PANEL_PROFILE_EDIT)->IsWindowVisible());
}

TEST_F(ProfilePageTest, ActivateCopiesTheProfileIntoTheAdapterKey)
{
    ProfileSettings home = Wpa2Home();
    ASSERT_TRUE(WriteProfile("Home", home));
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    ASSERT_TRUE(WriteAdapterText(REGSTR_PROFILE_WPS, "1"));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    Select(p, RowOf(p, "Home"));
    Click(p, IDC_PROFILE_APPLY);

    EXPECT_EQ("Home", Active(REGSTR_CUR_PROFILE));
    EXPECT_EQ("0", Active(REGSTR_PROFILE_WPS));
    EXPECT_EQ("Kestiq-Home", Active("SSID"));
    EXPECT_EQ("7", Active("AuthenType"));
    EXPECT_EQ("6", Active("Encryption"));
    EXPECT_EQ("kestiq-secret", Active("WPAPSK"));
    EXPECT_EQ(CString("Home"), p->CurrentProfileName());
    EXPECT_EQ(CString("Kestiq-Home"), p->m_strAppliedSsid);
    EXPECT_TRUE(g_bAutoConnect);
}

TEST_F(ProfilePageTest, ActivatedProfileConnectsAndItsRowFollowsTheLink)
{
    ASSERT_TRUE(WriteProfile("Cafe", OpenCafe()));
    ASSERT_TRUE(WriteProfile("Home", Wpa2Home()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    int row = RowOf(p, "Home");
    Select(p, row);
    Click(p, IDC_PROFILE_APPLY);

    // The engine applies the copied values: the adapter joins the WPA2-PSK network.
    KQSIM_NETWORK joined = {};
    ASSERT_TRUE(kqtest::WaitFor([&] { return m_sim.JoinedNetwork(kGuid, joined); }, 30000));
    EXPECT_EQ("Kestiq-Home", std::string((const char*)joined.ssid, joined.ssidLen));
    ASSERT_TRUE(kqtest::WaitFor([&] { return g_pCurProfile != nullptr; }, 20000));

    // The row-state tick marks the row connected.
    ASSERT_TRUE(kqtest::WaitFor([&] {
        p->SendMessage(WM_TIMER, 2);
        return p->Rows()[row].state == 0;
    }, 20000));
    EXPECT_EQ(PROFILE_IMAGE_CONNECTED, CellImage(p, row, 0));
    EXPECT_EQ(-1, CellImage(p, RowOf(p, "Cafe"), 0));
    UpdateWindow(p->m_pMainDlg->m_hWnd);
    kqtest::SavePng(kqtest::CaptureWindow(p->m_pMainDlg->m_hWnd), kqtest::ScreenshotPath("window-profile-connected"));

    // The link goes: not connected.
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_LINK_LOSS, 1));
    p->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(1, p->Rows()[row].state);
    EXPECT_EQ(PROFILE_IMAGE_NOT_CONNECTED, CellImage(p, row, 0));
}

TEST_F(ProfilePageTest, ActivatingAHandWrittenProfileTakesTheDefaultsForWhatItLacks)
{
    ASSERT_TRUE(WriteProfile("Home", Wpa2Home()));
    HKEY k = CreateProfileKey("Hand");
    ASSERT_NE(nullptr, k);
    WriteRegText(k, "SSID", "Kestiq-Open");
    WriteRegText(k, "NetworkType", "");
    WriteRegText(k, "AuthenType", "open");
    RegCloseKey(k);
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    Select(p, RowOf(p, "Home"));
    Click(p, IDC_PROFILE_APPLY);
    ASSERT_EQ("kestiq-secret", Active("WPAPSK"));

    Select(p, RowOf(p, "Hand"));
    Click(p, IDC_PROFILE_APPLY);
    EXPECT_EQ("Hand", Active(REGSTR_CUR_PROFILE));
    EXPECT_EQ("Kestiq-Open", Active("SSID"));
    EXPECT_EQ("", Active("NetworkType")) << "copied as it is: the apply reads it as 0, ad hoc";
    EXPECT_EQ("open", Active("AuthenType"));
    EXPECT_EQ("1", Active("Encryption"));
    EXPECT_EQ("", Active("WPAPSK"));
    ASSERT_TRUE(kqtest::WaitFor([&] {
        return g_pCurProfile && std::string((const char*)g_pCurProfile->ssid.Ssid, g_pCurProfile->ssid.SsidLength) ==
                                    "Kestiq-Open";
    }, 20000));
    EXPECT_EQ(0u, g_pCurProfile->infrastructureMode);
    EXPECT_EQ(0u, g_pCurProfile->authMode);
    EXPECT_EQ(1u, g_pCurProfile->encryption);
    // The other profile is untouched.
    CString psk;
    HKEY home = OpenProfileKey("Home", KEY_READ);
    ASSERT_NE(nullptr, home);
    EXPECT_TRUE(ReadRegText(home, "WPAPSK", psk));
    RegCloseKey(home);
    EXPECT_EQ(CString("kestiq-secret"), psk);
}

TEST_F(ProfilePageTest, DeletingTheActiveProfileAsksFirstAndResetsTheAdapterKey)
{
    ASSERT_TRUE(WriteProfile("Home", Wpa2Home()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    Select(p, 0);
    Click(p, IDC_PROFILE_APPLY);
    ASSERT_EQ("Home", Active(REGSTR_CUR_PROFILE));
    g_bConfigFromRegistry = TRUE;

    {   // Closing the question without OK keeps the profile.
        BoxAnswer box(BoxAnswer::CLOSE);
        Select(p, 0);
        Click(p, IDC_PROFILE_DELETE);
        EXPECT_EQ("The profile to delete is currently in use.", box.Text());
    }
    ASSERT_EQ(1u, p->Rows().size());
    EXPECT_TRUE(ProfileExists("Home"));

    {
        BoxAnswer box(BoxAnswer::OK);
        Select(p, 0);
        Click(p, IDC_PROFILE_DELETE);
        EXPECT_EQ("The profile to delete is currently in use.", box.Text());
    }
    EXPECT_FALSE(ProfileExists("Home"));
    EXPECT_TRUE(p->Rows().empty());
    // The no-profile state.
    EXPECT_EQ("", Active("SSID"));
    EXPECT_EQ("", Active(REGSTR_CUR_PROFILE));
    EXPECT_EQ("1", Active("NetworkType"));
    EXPECT_EQ("0", Active("AuthenType"));
    EXPECT_EQ("1", Active("Encryption"));
    EXPECT_EQ("0", Active("Use8021X"));
    // Empty list: the row buttons off, the details empty.
    for (UINT id : { IDC_PROFILE_EDIT, IDC_PROFILE_DELETE, IDC_PROFILE_APPLY })
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p->m_hWnd, id)));
    for (int i = 0; i < DETAIL_COUNT; ++i) {
        char shown[64] = {};
        GetDlgItemTextA(p->m_hWnd, IDC_PROFILE_VALUE_FIRST + i, shown, sizeof(shown));
        EXPECT_STREQ("", shown) << i;
    }
}

TEST_F(ProfilePageTest, DeletingAnotherProfileSelectsTheRowThatTakesItsPlace)
{
    ASSERT_TRUE(WriteProfile("A", OpenCafe()));
    ASSERT_TRUE(WriteProfile("B", Wpa2Home()));
    ASSERT_TRUE(WriteProfile("C", OpenCafe()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    {
        BoxAnswer box(BoxAnswer::OK);
        Select(p, 1);
        Click(p, IDC_PROFILE_DELETE);
        EXPECT_FALSE(box.Shown());
    }
    ASSERT_EQ(2u, p->Rows().size());
    EXPECT_EQ(1, p->SelectedRow());
    EXPECT_EQ(CString("C"), p->Detail(DETAIL_NAME));
    {
        BoxAnswer box(BoxAnswer::OK);
        Select(p, 1);
        Click(p, IDC_PROFILE_DELETE);
    }
    ASSERT_EQ(1u, p->Rows().size());
    EXPECT_EQ(0, p->SelectedRow());
    EXPECT_EQ(CString("A"), p->Detail(DETAIL_NAME));
}

// Delete looks whether the profile editor is in front; the look leaves the
// editor unmade and the keyboard on the button the person pressed.
TEST_F(ProfilePageTest, DeleteLeavesTheFocusOnTheButtonPressed)
{
    ASSERT_TRUE(WriteProfile("A", OpenCafe()));
    ASSERT_TRUE(WriteProfile("B", Wpa2Home()));
    CProfilePage* p = OpenPage();
    ASSERT_NE(nullptr, p);
    Pump();
    Select(p, 1);
    HWND button = GetDlgItem(p->m_hWnd, IDC_PROFILE_DELETE);
    SetFocus(button);
    Click(p, IDC_PROFILE_DELETE);
    ASSERT_EQ(1u, p->Rows().size());
    HWND focus = GetFocus();
    EXPECT_TRUE(focus && IsWindowVisible(focus)) << "the keys would go to a control nobody sees";
    EXPECT_EQ(button, focus);
    EXPECT_EQ(nullptr, m_dlg.OpenedMainWindow()->BuiltPanel(PANEL_PROFILE_EDIT));
}

}  // namespace
