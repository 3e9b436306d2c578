// The configuration window opened by the controller of this process against
// the installed default adapter: its children and their places, the
// navigation, the radio and help buttons, the shared page procedure, and
// what closing and reopening it leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "core/AdapterDiscovery.h"
#include "core/ConnectEngine.h"
#include "app/HideDlg.h"
#include "core/Oids.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/ZeroConfig.h"
#include "mainwnd/ConfigMainDlg.h"
#include "pages/ProfilePage.h"
#include "pages/AboutPage.h"
#include "pages/AdvancedPage.h"
#include "pages/SiteSurveyPage.h"
#include "pages/StatisticsPage.h"
#include "pages/WmmPage.h"
#include "pages/WpsPage.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/AdapterKey.h"
#include "support/Wait.h"
#include "zeroconfig/WzcStandIn.h"
#include "WindowFixture.h"
#include "zeroconfig/WzcStandIn.h"
#include "widgets/SkinButton.h"
#include "widgets/TabContainerDlg.h"
#include "WindowProbe.h"

namespace {

using kqtest::Capture;
using kqtest::CaptureWindow;

class ConfigWindowTest : public kqtest::ControllerWindowTest {
protected:
    static RECT RectIn(HWND child, HWND parent)
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
        return r;
    }
    // The page in front: the one visible page of the container.
    static std::vector<HWND> VisiblePages(CConfigMainDlg* w)
    {
        std::vector<HWND> out;
        for (HWND h = GetWindow(w->m_pPageContainer->m_hWnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(h, cls, sizeof(cls));
            if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(h)) out.push_back(h);
        }
        return out;
    }
    // The window's close box: the dialog manager posts the cancel that
    // destroys the window; true once it is gone.
    bool CloseWindow()
    {
        m_dlg.OpenedMainWindow()->SendMessage(WM_CLOSE);
        return kqtest::WaitFor([&] { return m_dlg.OpenedMainWindow() == nullptr; });
    }
};

struct NavPlace {
    UINT id;
    RECT rect;
    const char* caption;
};

const NavPlace kNavPlaces[] = {
    { IDC_NAV_PROFILE, { 0, 0, 90, 60 }, "Profile" },
    { IDC_NAV_NETWORK, { 90, 0, 180, 60 }, "Network" },
    { IDC_NAV_ADVANCED, { 180, 0, 270, 60 }, "Advanced" },
    { IDC_NAV_STATISTICS, { 270, 0, 360, 60 }, "Statistics" },
    { IDC_NAV_WMM, { 360, 0, 450, 60 }, "WMM" },
    { IDC_NAV_WPS, { 450, 0, 540, 60 }, "WPS" },
    { IDC_NAV_BLANK_6249, { 540, 0, 630, 60 }, "" },
    { IDC_NAV_BLANK_1128, { 630, 0, 734, 60 }, "" },
    { IDC_NAV_HELP, { 734, 0, 764, 30 }, "" },
    { IDC_NAV_RADIO, { 764, 0, 794, 30 }, "" },
    { IDC_NAV_BLANK_6254, { 734, 30, 764, 60 }, "" },
    { IDC_NAV_ABOUT, { 764, 30, 794, 60 }, "" },
};

TEST_F(ConfigWindowTest, ChildrenIdsAndRectanglesFollowTheLayout)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    RECT wr;
    GetWindowRect(w->m_hWnd, &wr);
    EXPECT_EQ(800, wr.right - wr.left);
    EXPECT_EQ(740, wr.bottom - wr.top);
    char caption[64] = {};
    GetWindowTextA(w->m_hWnd, caption, sizeof(caption));
    EXPECT_STREQ("Tolvane Wireless Utility", caption);

    HWND container = w->m_pPageContainer->m_hWnd;
    ASSERT_EQ(w->m_hWnd, GetParent(container));
    RECT cr = RectIn(container, w->m_hWnd);
    EXPECT_EQ(0, cr.left);
    EXPECT_EQ(0, cr.top);
    EXPECT_EQ(794, cr.right);
    EXPECT_EQ(402, cr.bottom);

    for (const NavPlace& p : kNavPlaces) {
        HWND b = GetDlgItem(container, p.id);
        ASSERT_NE(nullptr, b) << p.id;
        RECT r = RectIn(b, container);
        EXPECT_EQ(p.rect.left, r.left) << p.id;
        EXPECT_EQ(p.rect.top, r.top) << p.id;
        EXPECT_EQ(p.rect.right, r.right) << p.id;
        EXPECT_EQ(p.rect.bottom, r.bottom) << p.id;
        DWORD style = (DWORD)GetWindowLongPtrA(b, GWL_STYLE);
        EXPECT_EQ(0x50010000u, style & 0xFFFF0000u & ~(DWORD)WS_DISABLED) << p.id;
        char text[32] = {};
        GetWindowTextA(b, text, sizeof(text));
        EXPECT_STREQ(p.caption, text) << p.id;
    }
    // The six captioned buttons share the navigation font: Trebuchet MS, 20.
    LOGFONTA lf = {};
    GetObjectA((HFONT)SendMessageA(GetDlgItem(container, IDC_NAV_PROFILE), WM_GETFONT, 0, 0), sizeof(lf), &lf);
    EXPECT_STREQ("Trebuchet MS", lf.lfFaceName);
    EXPECT_EQ(20, lf.lfHeight);

    // Pages at (0, 60)-(794, 402) of the container, one per page button.
    CWnd* pages[7] = { w->m_pProfilePage, w->m_pSiteSurveyPage, w->m_pAdvancedPage,
                       w->m_pStatisticsPage, w->m_pWmmPage, w->m_pWpsPage,
                       w->m_pAboutPage };
    for (CWnd* p : pages) {
        ASSERT_TRUE(p && p->IsWindow());
        EXPECT_EQ(container, GetParent(p->m_hWnd));
        RECT r = RectIn(p->m_hWnd, container);
        EXPECT_EQ(0, r.left);
        EXPECT_EQ(60, r.top);
        EXPECT_EQ(794, r.right);
        EXPECT_EQ(402, r.bottom);
    }
    // Nine panels at (0, 402), 794 x 702, children of the window.
    for (int i = 0; i < PANEL_COUNT; ++i) {
        CChildPage* p = w->GetPanel(i);
        ASSERT_TRUE(p && p->IsWindow()) << i;
        EXPECT_EQ(w->m_hWnd, GetParent(p->m_hWnd));
        RECT r = RectIn(p->m_hWnd, w->m_hWnd);
        EXPECT_EQ(0, r.left) << i;
        EXPECT_EQ(402, r.top) << i;
        EXPECT_EQ(794, r.right - r.left) << i;
        EXPECT_EQ(702, r.bottom - r.top) << i;
    }
    const UINT kPanelTemplates[PANEL_COUNT] = { 170, 180, 179, 181, 257, 2244, 247, 2242, 165 };
    for (int i = 0; i < PANEL_COUNT; ++i) EXPECT_EQ(kPanelTemplates[i], w->GetPanel(i)->m_nIDTemplate) << i;

    kqtest::SavePng(CaptureWindow(w->m_hWnd), kqtest::ScreenshotPath("window-opened"));
}

TEST_F(ConfigWindowTest, OpensOnTheNetworkPageWithItsButtonSelectedAndTheLinkStatusPanel)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    std::vector<HWND> visible = VisiblePages(w);
    ASSERT_EQ(1u, visible.size());
    EXPECT_EQ(w->m_pSiteSurveyPage->m_hWnd, visible[0]);
    for (int i = 0; i < NAV_COUNT; ++i)
        EXPECT_EQ(i == NAV_NETWORK, w->GetNavButton(i)->m_bTabSelected != FALSE) << i;
    for (int i = 0; i < PANEL_COUNT; ++i) EXPECT_EQ(i == PANEL_LINK_STATUS, w->GetPanel(i)->IsWindowVisible() != FALSE) << i;
    EXPECT_EQ(PANEL_LINK_STATUS, m_dlg.m_nCurPanel);
}

// The window paints what it shows before it makes the pages behind the
// Network page: when the launch returns it shows whole, and painting again
// changes no pixel.  Between the two pictures only what the launch left
// behind is handled, no timer event: a survey row that a page timer brings
// from the scan, or a caret's blink, is no part of the opening.
TEST_F(ConfigWindowTest, TheWindowShowsWholeWhenTheLaunchReturns)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    kqtest::Capture first = CaptureWindow(w->m_hWnd);
    kqtest::PumpPendingButTimers();
    RedrawWindow(w->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    kqtest::Capture again = CaptureWindow(w->m_hWnd);
    ASSERT_EQ(again.width, first.width);
    ASSERT_EQ(again.height, first.height);
    int differ = 0;
    for (size_t i = 0; i < first.px.size(); ++i) differ += first.px[i] != again.px[i];
    EXPECT_EQ(0, differ) << "pixels painted only after the launch returned";
    if (differ) {
        kqtest::SavePng(first, kqtest::ScreenshotPath("window-launch-returned"));
        kqtest::SavePng(again, kqtest::ScreenshotPath("window-launch-repainted"));
    }
}

TEST_F(ConfigWindowTest, EachNavigationButtonBringsItsPageToTheFront)
{
    g_bIsAdmin = TRUE;
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    struct { int nav; CWnd* page; const char* shot; } cases[] = {
        { NAV_PROFILE, w->m_pProfilePage, "page-profile" },
        { NAV_ADVANCED, w->m_pAdvancedPage, "page-advanced" },
        { NAV_STATISTICS, w->m_pStatisticsPage, "page-statistics" },
        { NAV_WMM, w->m_pWmmPage, "page-wmm" },
        { NAV_WPS, w->m_pWpsPage, "page-wps" },
        { NAV_ABOUT, w->m_pAboutPage, "page-about" },
        { NAV_NETWORK, w->m_pSiteSurveyPage, "page-network" },
        { NAV_NETWORK, w->m_pSiteSurveyPage, "page-network" },   // a second click keeps it
    };
    for (const auto& c : cases) {
        CSkinButton* b = w->GetNavButton(c.nav);
        EnableWindow(b->m_hWnd, TRUE);   // WPS and WMM follow the adapter; here only the page matters
        SendMessageA(b->m_hWnd, BM_CLICK, 0, 0);
        Pump();
        std::vector<HWND> visible = VisiblePages(w);
        ASSERT_EQ(1u, visible.size()) << c.shot;
        EXPECT_EQ(c.page->m_hWnd, visible[0]) << c.shot;
        for (int i = 0; i < NAV_COUNT; ++i)
            EXPECT_EQ(i == c.nav, w->GetNavButton(i)->m_bTabSelected != FALSE) << c.shot << " " << i;
        UpdateWindow(w->m_hWnd);
        kqtest::SavePng(CaptureWindow(w->m_hWnd), kqtest::ScreenshotPath(std::string("window-") + c.shot));
    }
}

TEST_F(ConfigWindowTest, ProfileButtonNeedsAdministratorAndNoZeroConfiguration)
{
    struct { BOOL admin; int wzc; bool enabled; } cases[] = {
        { TRUE, 0, true }, { FALSE, 0, false }, { TRUE, 2, false }, { FALSE, 2, false }, { TRUE, 1, true },
    };
    for (const auto& c : cases) {
        g_bIsAdmin = c.admin;
        g_nWzcMode = c.wzc;
        CConfigMainDlg* w = Open();
        ASSERT_NE(nullptr, w);
        EXPECT_EQ(c.enabled, w->GetNavButton(NAV_PROFILE)->IsWindowEnabled() != FALSE) << c.admin << "/" << c.wzc;
        // The window opens all the same, on the Network page.
        std::vector<HWND> visible = VisiblePages(w);
        ASSERT_EQ(1u, visible.size());
        EXPECT_EQ(w->m_pSiteSurveyPage->m_hWnd, visible[0]);
        m_dlg.DestroyMainWindow();
    }
}

// The tray's hand-over while the window is open: the Profile button goes
// off and the Network page comes to the front; the hand-back turns it on.
// The service is there to take the adapter, so a timer event of the
// controller on the way reads the mode the command left.
TEST_F(ConfigWindowTest, HandingOverToZeroConfigurationAndBackTurnsTheProfileButtonOffAndOn)
{
    kqtest::WzcStandIn wzc(kGuid);
    kqtest::WzcSetup("install --start-type demand --state stopped");
    kqtest::KeyGuard adapterKey(HKEY_LOCAL_MACHINE, g_strAdapterRegPath.GetString());
    g_bIsAdmin = TRUE;
    g_nWzcMode = 0;
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    CSkinButton* profile = w->GetNavButton(NAV_PROFILE);
    ASSERT_TRUE(profile->IsWindowEnabled());
    SendMessageA(profile->m_hWnd, BM_CLICK, 0, 0);
    Pump();
    ASSERT_EQ(std::vector<HWND>({w->m_pProfilePage->m_hWnd}), VisiblePages(w));

    m_dlg.SendMessage(WM_COMMAND, ID_TRAY_USE_WZC);
    m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);   // the poll goes on meanwhile
    Pump();
    EXPECT_EQ(2, g_nWzcMode);
    EXPECT_FALSE(profile->IsWindowEnabled());
    EXPECT_EQ(std::vector<HWND>({w->m_pSiteSurveyPage->m_hWnd}), VisiblePages(w));
    EXPECT_TRUE(w->GetNavButton(NAV_NETWORK)->m_bTabSelected);

    m_dlg.SendMessage(WM_COMMAND, ID_TRAY_USE_OWN_UTILITY);
    m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
    Pump();
    EXPECT_EQ(0, g_nWzcMode);
    EXPECT_TRUE(profile->IsWindowEnabled());
    EXPECT_EQ(w, m_dlg.OpenedMainWindow()) << "the same window stays open";
}

TEST_F(ConfigWindowTest, HelpAndBlankButtonsStartDisabled)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    for (int i : { NAV_HELP, NAV_BLANK_6249, NAV_BLANK_1128, NAV_BLANK_6254 })
        EXPECT_FALSE(w->GetNavButton(i)->IsWindowEnabled()) << i;
    for (int i : { NAV_NETWORK, NAV_ADVANCED, NAV_STATISTICS, NAV_ABOUT, NAV_RADIO })
        EXPECT_TRUE(w->GetNavButton(i)->IsWindowEnabled()) << i;
}

bool Greenish(BYTE r, BYTE g, BYTE b) { return g > 120 && g > r + 50 && g > b + 50; }

TEST_F(ConfigWindowTest, RadioStoredOffShowsTheOffIconAndPressingItTurnsTheRadioOn)
{
    g_bIsAdmin = TRUE;
    g_nWzcMode = 0;
    ASSERT_TRUE(WriteAdapterText(REGSTR_RADIO, "1"));
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_RADIO, 0));
    g_bRadioOn = FALSE;
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    HWND radio = w->GetNavButton(NAV_RADIO)->m_hWnd;
    UpdateWindow(w->m_hWnd);
    // The off icon is grey, the on icon green.
    Capture before = CaptureWindow(radio);
    EXPECT_EQ(0, kqtest::CountPixels(before, { 0, 0, 30, 30 }, Greenish));

    DWORD from = 0;
    ASSERT_TRUE(m_sim.NextSeq(from));
    // The button sits on the page container, which hands its click to the window.
    SendMessageA(radio, BM_CLICK, 0, 0);
    Pump();

    EXPECT_TRUE(g_bRadioOn);
    CString stored;
    ASSERT_TRUE(ReadAdapterText(REGSTR_RADIO, stored));
    EXPECT_EQ(CString("0"), stored);
    bool radioSet = false;
    for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, from))
        if (e.kind == KQSIM_LOG_SET && e.BaseOid() == OID_VENDOR_RADIO_STATE && e.Succeeded()) radioSet = true;
    EXPECT_TRUE(radioSet);
    UpdateWindow(w->m_hWnd);
    Capture after = CaptureWindow(radio);
    EXPECT_GT(kqtest::CountPixels(after, { 0, 0, 30, 30 }, Greenish), 40);

    // And off again: "1" stored, the off icon back.
    SendMessageA(radio, BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(g_bRadioOn);
    ASSERT_TRUE(ReadAdapterText(REGSTR_RADIO, stored));
    EXPECT_EQ(CString("1"), stored);
    UpdateWindow(w->m_hWnd);
    EXPECT_EQ(0, kqtest::CountPixels(CaptureWindow(radio), { 0, 0, 30, 30 }, Greenish));
    WriteAdapterText(REGSTR_RADIO, "0");
}

TEST_F(ConfigWindowTest, RadioWithoutAdministratorWritesNothing)
{
    g_bIsAdmin = FALSE;
    ASSERT_TRUE(WriteAdapterText(REGSTR_RADIO, "0"));
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    g_bRadioOn = TRUE;
    SendMessageA(w->GetNavButton(NAV_RADIO)->m_hWnd, BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(g_bRadioOn);
    CString stored;
    ASSERT_TRUE(ReadAdapterText(REGSTR_RADIO, stored));
    EXPECT_EQ(CString("0"), stored);
}

TEST_F(ConfigWindowTest, WpsAndWmmFollowTheModelAndTheNetworkMode)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    CSkinButton* wps = w->GetNavButton(NAV_WPS);
    CSkinButton* wmm = w->GetNavButton(NAV_WMM);
    const DWORD adhoc = 0, infrastructure = 1;
    struct { BOOL legacy; DWORD mode; bool wpsOn, wmmOn; } cases[] = {
        { FALSE, infrastructure, true, true },
        { FALSE, adhoc, true, false },
        { TRUE, infrastructure, false, false },
        { TRUE, adhoc, false, false },
    };
    for (const auto& c : cases) {
        g_bLegacyModel = c.legacy;
        ASSERT_TRUE(m_sim.SetOidAnswer(kGuid, OID_802_11_INFRASTRUCTURE_MODE, &c.mode, sizeof(c.mode)));
        w->UpdateWpsButton();
        w->UpdateWmmButton();
        EXPECT_EQ(c.wpsOn, wps->IsWindowEnabled() != FALSE) << c.legacy << "/" << c.mode;
        EXPECT_EQ(c.wmmOn, wmm->IsWindowEnabled() != FALSE) << c.legacy << "/" << c.mode;
    }
    // A mode that cannot be read leaves WMM off.
    g_bLegacyModel = FALSE;
    ASSERT_TRUE(m_sim.ClearOidAnswer(kGuid, OID_802_11_INFRASTRUCTURE_MODE));
    ASSERT_TRUE(m_sim.SetOidStatus(kGuid, OID_802_11_INFRASTRUCTURE_MODE, (LONG)0xC0000001L));
    w->UpdateWmmButton();
    EXPECT_FALSE(wmm->IsWindowEnabled());
}

TEST_F(ConfigWindowTest, LegacyModelOpensWithWpsAndWmmDisabled)
{
    g_bLegacyModel = TRUE;
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    EXPECT_FALSE(w->GetNavButton(NAV_WPS)->IsWindowEnabled());
    EXPECT_FALSE(w->GetNavButton(NAV_WMM)->IsWindowEnabled());
}

// The help button's file, recorded instead of opened.
std::string g_openedVerb, g_openedFile;
LANGID g_language = 1033;
HINSTANCE WINAPI RecordOpen(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    g_openedVerb = verb ? verb : "";
    g_openedFile = file ? file : "";
    return (HINSTANCE)42;
}
LANGID WINAPI FakeLanguage() { return g_language; }

TEST_F(ConfigWindowTest, HelpOpensTheFileOfTheSystemLanguage)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    auto savedOpen = g_pfnOpenHelpFile;
    auto savedLang = g_pfnSystemLanguage;
    g_pfnOpenHelpFile = RecordOpen;
    g_pfnSystemLanguage = FakeLanguage;
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module, std::strrchr(module, '\\') + 1);
    struct { LANGID lang; const char* file; } cases[] = {
        { 1028, "ZUBELOCHN.CHM" }, { 1033, "ZUBELOENG.CHM" }, { 2052, "ZUBELOENG.CHM" }, { 1031, "ZUBELOENG.CHM" },
    };
    for (const auto& c : cases) {
        g_language = c.lang;
        g_openedFile.clear();
        w->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_NAV_HELP, BN_CLICKED), 0);
        EXPECT_EQ("open", g_openedVerb);
        EXPECT_EQ(folder + c.file, g_openedFile) << c.lang;
    }
    g_pfnOpenHelpFile = savedOpen;
    g_pfnSystemLanguage = savedLang;
}

TEST_F(ConfigWindowTest, EnterAndEscapeNeverCloseAPageOrAPanel)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    CWnd* targets[] = { w->m_pSiteSurveyPage, w->m_pProfilePage, w->GetPanel(PANEL_LINK_STATUS),
                        w->GetPanel(PANEL_PEAP_SETTING) };
    for (CWnd* t : targets) {
        BOOL wasVisible = t->IsWindowVisible();
        for (WPARAM id : { (WPARAM)IDOK, (WPARAM)IDCANCEL }) {
            t->SendMessage(WM_COMMAND, id, 0);
            Pump();
            ASSERT_TRUE(t->IsWindow());
            EXPECT_EQ(wasVisible, t->IsWindowVisible());
        }
    }
    EXPECT_NE(nullptr, m_dlg.OpenedMainWindow());
}

TEST_F(ConfigWindowTest, ShowPageShowsOnePanelByIndex)
{
    CConfigMainDlg* w = Open();
    ASSERT_NE(nullptr, w);
    for (int n : { (int)PANEL_PEAP_SETTING, (int)PANEL_PROFILE_EDIT, (int)PANEL_LINK_STATUS, 9, -1 }) {
        m_dlg.ShowPage(n);
        for (int i = 0; i < PANEL_COUNT; ++i) EXPECT_EQ(i == n, w->GetPanel(i)->IsWindowVisible() != FALSE) << n << " " << i;
        EXPECT_EQ(n, m_dlg.m_nCurPanel);
    }
}

TEST_F(ConfigWindowTest, ClosingAndReopening200TimesLeavesNothingBehind)
{
    // A first round, painted as every round is, loads what stays for the
    // life of the process (fonts, icons), whatever ran before in it.
    ASSERT_NE(nullptr, Open());
    UpdateWindow(m_dlg.OpenedMainWindow()->m_hWnd);
    ASSERT_TRUE(CloseWindow());
    m_dlg.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH);
    ASSERT_NE(nullptr, m_dlg.OpenedMainWindow());
    UpdateWindow(m_dlg.OpenedMainWindow()->m_hWnd);
    ASSERT_TRUE(CloseWindow());

    int windows = kqtest::CountThreadWindows();
    int gdi = kqtest::CountGdiObjects();
    int handles = kqtest::CountKernelHandles();
    ASSERT_GT(gdi, 0);
    ASSERT_GT(handles, 0);
    for (int i = 0; i < 200; ++i) {
        m_dlg.SendMessage(WM_COMMAND, ID_TRAY_LAUNCH);
        CConfigMainDlg* w = m_dlg.OpenedMainWindow();
        ASSERT_NE(nullptr, w) << i;
        UpdateWindow(w->m_hWnd);
        ASSERT_TRUE(CloseWindow()) << i;
    }
    m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);   // the poll deletes the closed window's object
    EXPECT_EQ(nullptr, m_dlg.m_pMainDlg);
    EXPECT_EQ(windows, kqtest::CountThreadWindows());
    // Two hundred rounds that kept one object each would show 200 more.
    EXPECT_LE(kqtest::CountGdiObjects(), gdi + 2);
    EXPECT_LE(kqtest::CountKernelHandles(), handles + 2);
}

// A message sent to the controller from another thread while it makes the
// window (the shell's tray relay sends its events so) is not taken as a
// poll of a half-made window: the controller is busy until the window stands.
namespace sent {
HHOOK g_hook = nullptr;
HWND g_controller = nullptr;
kqsim::SimClient* g_sim = nullptr;
DWORD g_sentAt = 0, g_paintedAt = 0;
bool g_sent = false;

LRESULT CALLBACK SendWhileMaking(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* m = (const CWPSTRUCT*)lParam;
    if (code == HC_ACTION && !g_sent && m->message == WM_WINDOWPOSCHANGED && m->lParam &&
        (((const WINDOWPOS*)m->lParam)->flags & SWP_SHOWWINDOW)) {
        char title[64] = {};
        GetWindowTextA(m->hwnd, title, sizeof(title));
        if (std::strcmp(title, "Tolvane Wireless Utility") == 0) {
            g_sent = true;
            g_sim->NextSeq(g_sentAt);
            std::thread([] { SendNotifyMessageA(g_controller, WM_TIMER, IDT_ADAPTER_POLL, 0); }).join();
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
void Painted() { g_sim->NextSeq(g_paintedAt); }
}  // namespace sent

TEST_F(ConfigWindowTest, ATimerEventSentWhileTheWindowIsMadeRunsNoPoll)
{
    sent::g_controller = m_dlg.m_hWnd;
    sent::g_sim = &m_sim;
    sent::g_sent = false;
    sent::g_hook = SetWindowsHookExA(WH_CALLWNDPROC, sent::SendWhileMaking, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, sent::g_hook);
    g_pfnMainWindowPainted = sent::Painted;
    CConfigMainDlg* w = Open();
    g_pfnMainWindowPainted = nullptr;
    UnhookWindowsHookEx(sent::g_hook);
    ASSERT_TRUE(sent::g_sent);
    ASSERT_NE(nullptr, w);
    int polls = 0;
    for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, sent::g_sentAt))
        if (e.seq < sent::g_paintedAt && e.kind == KQSIM_LOG_QUERY && e.BaseOid() == OID_GEN_MEDIA_CONNECT_STATUS)
            ++polls;
    EXPECT_EQ(0, polls) << "the link was polled while the window was half made";
    EXPECT_NE(nullptr, w->m_pWpsPage->m_hWnd) << "the window is made whole";

    // Once the window stands the controller polls again.
    DWORD mark = 0;
    m_sim.NextSeq(mark);
    m_dlg.SendMessage(WM_TIMER, IDT_ADAPTER_POLL);
    polls = 0;
    for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, mark))
        if (e.kind == KQSIM_LOG_QUERY && e.BaseOid() == OID_GEN_MEDIA_CONNECT_STATUS) ++polls;
    EXPECT_EQ(1, polls);
}

}  // namespace
