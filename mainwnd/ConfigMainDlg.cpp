#include "mainwnd/ConfigMainDlg.h"

#include <cstring>

#include "pages/AuthStatusListDlg.h"
#include "pages/CredentialPromptDlg.h"
#include "pages/PeapSettingDlg.h"
#include "core/AdapterDiscovery.h"
#include "core/ApplyConfig.h"
#include "core/ConnectEngine.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"
#include "core/RegistryStore.h"
#include "core/ZeroConfig.h"
#include "pages/ConnectSettingsDlg.h"
#include "pages/HiddenSsidDlg.h"
#include "pages/ProfileEditDlg.h"
#include "pages/ProfilePage.h"
#include "pages/AboutPage.h"
#include "pages/AdvancedPage.h"
#include "pages/LinkStatusPage.h"
#include "pages/NetworkInfoDlg.h"
#include "pages/SiteSurveyPage.h"
#include "pages/StatisticsPage.h"
#include "pages/WmmPage.h"
#include "pages/WpsPage.h"
#include "pages/WpsProfileDetailDlg.h"
#include "pagebase/PanelDoor.h"
#include "widgets/SkinButton.h"
#include "widgets/TabContainerDlg.h"
#include "resource.h"

HINSTANCE (WINAPI* g_pfnOpenHelpFile)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = ShellExecuteA;
LANGID (WINAPI* g_pfnSystemLanguage)() = GetSystemDefaultLangID;
void (*g_pfnMainWindowPainted)() = nullptr;

namespace {

// Skin of every navigation button: a plain bright face, tinted when hovered
// and when its page is in front.
void SkinNavButton(CSkinButton* button)
{
    button->BuildSkin(0, 33, 10, 0, RGB(0, 0, 0), 0xE68CA0, 0xA01E3C);
}

const DWORD kNavButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;   // 0x50010000

// A message nobody sends the window.
const UINT kNoMessage = WM_APP + 0x3FFF;

}  // namespace

const char* HelpFileForLanguage(LANGID lang)
{
    return lang == 1028 ? "ZUBELOCHN.CHM" : "ZUBELOENG.CHM";
}

BEGIN_MESSAGE_MAP(CConfigMainDlg, CDialog)
    ON_BN_CLICKED(IDC_NAV_RADIO, OnRadioOnOff)
    ON_BN_CLICKED(IDC_NAV_HELP, OnHelpButton)
    ON_WM_SHOWWINDOW()
    ON_MESSAGE(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
    ON_WM_PAINT()
    ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CConfigMainDlg::CConfigMainDlg(CWnd* pParent) : CDialog(IDD_CONFIG_MAIN, pParent) {}

CConfigMainDlg::~CConfigMainDlg()
{
    // Pages and panels first: their windows are children of the container
    // and of this window.
    delete m_pProfilePage;
    delete m_pSiteSurveyPage;
    delete m_pAdvancedPage;
    delete m_pStatisticsPage;
    delete m_pWmmPage;
    delete m_pWpsPage;
    delete m_pAboutPage;
    for (CChildPage*& p : m_pPanels) {
        delete p;
        p = nullptr;
    }
    for (CSkinButton*& b : m_pNavButtons) {
        delete b;
        b = nullptr;
    }
    delete m_pPageContainer;
    m_pPageContainer = nullptr;
    g_bShowDbm = FALSE;
}

BOOL CConfigMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    BuildLayout();
    if (g_pPanelDoor) g_pPanelDoor->ShowPanel(PANEL_LINK_STATUS);
    return TRUE;
}

BOOL CConfigMainDlg::BuildLayout()
{
    m_pPageContainer = new CTabContainerDlg(IDD_TAB_CONTAINER, this);
    if (!m_pPageContainer->Create(IDD_TAB_CONTAINER, this)) return FALSE;
    m_pPageContainer->SetWindowPos(nullptr, 0, 0, kPageAreaWidth, kPageAreaHeight, SWP_NOZORDER | SWP_NOMOVE);
    m_pPageContainer->ShowWindow(SW_SHOW);

    if (!BuildNavBar()) return FALSE;

    // The window opens with the Network page (site survey) in front.
    m_pPageContainer->PlacePages(PageRect(), 90, 60, kOpeningPage);

    CLinkStatusPage* linkStatus = new CLinkStatusPage(this);
    linkStatus->m_pSurveyPage = m_pSiteSurveyPage;
    m_pPanels[PANEL_LINK_STATUS] = linkStatus;
    m_pPanels[PANEL_HIDDEN_SSID] = new CHiddenSsidDlg(this);
    m_pPanels[PANEL_PROFILE_EDIT] = new CProfileEditDlg(this);
    m_pPanels[PANEL_CONNECT_SETTINGS] = new CConnectSettingsDlg(this);
    m_pPanels[PANEL_NETWORK_INFO] = new CNetworkInfoDlg(this);
    m_pPanels[PANEL_AUTH_STATUS] = new CAuthStatusListDlg(this);
    m_pPanels[PANEL_WPS_PROFILE_DETAIL] = new CWpsProfileDetailDlg(this);
    m_pPanels[PANEL_CREDENTIAL_PROMPT] = new CCredentialPromptDlg(this);
    m_pPanels[PANEL_PEAP_SETTING] = new CPeapSettingDlg(this);
    // Only the link status panel shows when the window opens; the others are
    // made when first asked for, so that opening the window does not pay for
    // eight hidden panels.
    if (!CreatePanel(PANEL_LINK_STATUS)) return FALSE;
    m_pPanels[PANEL_LINK_STATUS]->ShowWindow(SW_SHOW);

    // The poll refreshes these every two seconds; the window shows them
    // right from the start.
    UpdateWpsButton();
    UpdateWmmButton();
    return TRUE;
}

BOOL CConfigMainDlg::CreatePanel(int n)
{
    CChildPage* panel = m_pPanels[n];
    if (m_bPanelTried[n] || !panel || !IsWindow()) return panel && panel->IsWindow();
    m_bPanelTried[n] = true;
    if (!panel->CreatePage(this)) return FALSE;
    // In index order among the panels, as if all had been made at once.
    HWND after = HWND_TOP;
    for (int i = n - 1; i >= 0; --i) {
        if (CChildPage* p = BuiltPanel(i)) {
            after = p->m_hWnd;
            break;
        }
    }
    panel->SetWindowPos(CWnd::FromHandle(after), 0, kPageAreaHeight, kPageAreaWidth, kPanelHeight,
                        SWP_NOACTIVATE | (after == HWND_TOP ? SWP_NOZORDER : 0));
    return TRUE;
}

// The pages other than the Network page show nothing until their buttons
// are pressed: they are made once the window has been painted, before the
// command that opened it returns, in tab order, each placed as PlacePages
// would have placed it and in the place it would have had among the bar's
// windows.
// A page takes the focus as it is made; it goes back where it was, as when
// the pages were made before the bar's buttons took it.
void CConfigMainDlg::BuildHiddenPages()
{
    if (m_bHiddenPagesBuilt || !m_pPageContainer) return;
    m_bHiddenPagesBuilt = true;
    HWND focus = ::GetFocus();
    for (int i = 0; i < m_pPageContainer->GetTabCount(); ++i) {
        CWnd* page = m_pPageContainer->GetPage(i);
        CSkinButton* tab = m_pPageContainer->GetTab(i);
        if (!page || page->IsWindow()) continue;
        const bool profile = page == m_pProfilePage;
        const unsigned noise = CSkinButton::RandomSeed();
        if (profile) CSkinButton::SeedRandom(m_nProfileNoise);
        BOOL made = static_cast<CChildPage*>(page)->CreatePage(m_pPageContainer);
        if (profile) CSkinButton::SeedRandom(noise);
        if (!made) break;
        page->SetWindowPos(tab, PageRect().left, PageRect().top, PageRect().Width(), PageRect().Height(),
                           SWP_NOACTIVATE);
    }
    if (focus && ::IsWindow(focus) && ::GetFocus() != focus) ::SetFocus(focus);
}

LRESULT CConfigMainDlg::OnWindowPosChanged(WPARAM, LPARAM lParam)
{
    LRESULT result = Default();
    // Shown for the first time: paint what shows, then make what does not.
    const WINDOWPOS* pos = (const WINDOWPOS*)lParam;
    if (pos && (pos->flags & SWP_SHOWWINDOW) && !m_bHiddenPagesBuilt) {
        UpdateWindow();
        // Under Wine what a window painted reaches the screen when its thread
        // looks for a message and finds none: look for one that never comes.
        MSG none;
        ::PeekMessageA(&none, m_hWnd, kNoMessage, kNoMessage, PM_NOREMOVE);
        if (g_pfnMainWindowPainted) g_pfnMainWindowPainted();
        BuildHiddenPages();
    }
    return result;
}

CChildPage* CConfigMainDlg::BuiltPanel(int n) const
{
    if (n < 0 || n >= PANEL_COUNT || !m_pPanels[n] || !m_pPanels[n]->IsWindow()) return nullptr;
    return m_pPanels[n];
}

CChildPage* CConfigMainDlg::GetPanel(int n) const
{
    if (n < 0 || n >= PANEL_COUNT) return nullptr;
    if (!m_bPanelTried[n]) const_cast<CConfigMainDlg*>(this)->CreatePanel(n);
    return m_pPanels[n];
}

CSkinButton* CConfigMainDlg::CreateNavButton(int index, UINT id, UINT textId, int x, int y, int cx, int cy)
{
    CString caption;
    if (textId) caption.LoadString(textId);
    CSkinButton* button = new CSkinButton;
    m_pNavButtons[index] = button;
    if (!button->Create(caption, kNavButtonStyle, CRect(x, y, x + cx, y + cy), m_pPageContainer, id)) return nullptr;
    if (textId) button->SetFont(&m_NavFont);
    SkinNavButton(button);
    return button;
}

// A page is paired with its button in tab order.  The page the window opens
// with is made now; the others are made once the window is painted
// (BuildHiddenPages).  The skinned buttons draw their noise from one running
// random sequence, in the order the pages come in the tabs: the Profile page,
// made after the Network page, draws from the place its turn would have
// given it (m_nProfileNoise), passed over for the Network page.
BOOL CConfigMainDlg::AddPage(CChildPage* page, CSkinButton* tab, BOOL makeNow)
{
    if (makeNow && !page->CreatePage(m_pPageContainer)) return FALSE;
    m_pPageContainer->AddPage(page, tab);
    return TRUE;
}

BOOL CConfigMainDlg::BuildNavBar()
{
    LOGFONTA lf = {};
    lf.lfHeight = 20;
    std::strcpy(lf.lfFaceName, "Trebuchet MS");
    m_NavFont.CreateFontIndirect(&lf);

    struct PageButton {
        int index;
        UINT id;
        UINT textId;
        UINT icon;
    };
    static const PageButton kPages[] = {
        { NAV_PROFILE, IDC_NAV_PROFILE, IDS_NAV_PROFILE, IDI_NAV_PROFILE },
        { NAV_NETWORK, IDC_NAV_NETWORK, IDS_NAV_NETWORK, IDI_NAV_NETWORK },
        { NAV_ADVANCED, IDC_NAV_ADVANCED, IDS_NAV_ADVANCED, IDI_NAV_ADVANCED },
        { NAV_STATISTICS, IDC_NAV_STATISTICS, IDS_NAV_STATISTICS, IDI_NAV_STATISTICS },
        { NAV_WMM, IDC_NAV_WMM, IDS_NAV_WMM, IDI_NAV_WMM },
        { NAV_WPS, IDC_NAV_WPS, IDS_NAV_WPS, IDI_NAV_WPS },
    };
    CChildPage* pages[6] = {
        m_pProfilePage = new CProfilePage(this),
        m_pSiteSurveyPage = new CSiteSurveyPage(this),
        m_pAdvancedPage = new CAdvancedPage(this),
        m_pStatisticsPage = new CStatisticsPage(this),
        m_pWmmPage = new CWmmPage(this),
        m_pWpsPage = new CWpsPage(this),
    };
    for (int i = 0; i < 6; ++i) {
        const PageButton& p = kPages[i];
        CSkinButton* button = CreateNavButton(p.index, p.id, p.textId, i * 90, 0, 90, kNavBarHeight);
        if (!button) return FALSE;
        button->SetIcon(p.icon, -2);
        button->SetAlign(1, FALSE);
        if (pages[i] == m_pProfilePage) {
            m_nProfileNoise = CSkinButton::RandomSeed();
            CSkinButton::SkipRandom(CProfilePage::SkinDraws());
        }
        if (!AddPage(pages[i], button, i == kOpeningPage)) return FALSE;
    }

    if (!CreateNavButton(NAV_BLANK_6249, IDC_NAV_BLANK_6249, 0, 540, 0, 90, kNavBarHeight)) return FALSE;

    CSkinButton* about = CreateNavButton(NAV_ABOUT, IDC_NAV_ABOUT, 0, 764, 30, 30, 30);
    if (!about) return FALSE;
    about->SetIcon(IDI_NAV_ABOUT, 0);
    about->SetAlign(1, FALSE);
    about->SetTooltipText(StringFromTable(IDS_NAV_ABOUT_TIP));
    m_pAboutPage = new CAboutPage(this);
    if (!AddPage(m_pAboutPage, about, FALSE)) return FALSE;

    if (!CreateNavButton(NAV_BLANK_1128, IDC_NAV_BLANK_1128, 0, 630, 0, 104, kNavBarHeight)) return FALSE;

    CSkinButton* radio = CreateNavButton(NAV_RADIO, IDC_NAV_RADIO, 0, 764, 0, 30, 30);
    if (!radio) return FALSE;
    int stored = 0;
    SetRadioIcon(!(ReadAdapterInt(REGSTR_RADIO, &stored) && stored > 0));
    radio->SetAlign(1, FALSE);
    radio->SetTooltipText(StringFromTable(IDS_NAV_RADIO_TIP));
    m_pPageContainer->AddForwardButton(radio);

    if (!CreateNavButton(NAV_HELP, IDC_NAV_HELP, 0, 734, 0, 30, 30)) return FALSE;
    if (!CreateNavButton(NAV_BLANK_6254, IDC_NAV_BLANK_6254, 0, 734, 30, 30, 30)) return FALSE;

    for (int blank : { NAV_BLANK_6249, NAV_BLANK_1128, NAV_HELP, NAV_BLANK_6254 })
        m_pNavButtons[blank]->EnableWindow(FALSE);
    if (g_nWzcMode == WZC_MANAGES || !g_bIsAdmin) m_pNavButtons[NAV_PROFILE]->EnableWindow(FALSE);
    return TRUE;
}

void CConfigMainDlg::SetRadioIcon(BOOL radioOn)
{
    if (m_pNavButtons[NAV_RADIO]) m_pNavButtons[NAV_RADIO]->SetIcon(radioOn ? IDI_RADIO_ON : IDI_RADIO_OFF, 0);
}

void CConfigMainDlg::UpdateWpsButton()
{
    CSkinButton* wps = m_pNavButtons[NAV_WPS];
    if (wps && wps->IsWindow()) wps->EnableWindow(g_bLegacyModel != 1);
}

void CConfigMainDlg::UpdateWmmButton()
{
    CSkinButton* wmm = m_pNavButtons[NAV_WMM];
    if (!wmm || !wmm->IsWindow()) return;
    // A failed query reads as ad hoc: the button stays off rather than
    // offering settings the adapter may not take.
    DWORD infrastructure = 0;
    QueryOid(OID_802_11_INFRASTRUCTURE_MODE, &infrastructure, sizeof(infrastructure), nullptr);
    wmm->EnableWindow(infrastructure != 0 && g_bLegacyModel != 1);
}

void CConfigMainDlg::OnRadioOnOff()
{
    g_bRadioOn = !g_bRadioOn;
    g_bAutoConnect = g_bRadioOn;
    DWORD state = g_bRadioOn ? 1 : 0;
    SetOid(OID_VENDOR_RADIO_STATE, &state, sizeof(state), nullptr, 3);
    SetRadioIcon(g_bRadioOn);
    if (g_bRadioOn && g_nWzcMode != WZC_MANAGES) SetOidFromReg(TRUE);
    if (g_bIsAdmin) WriteAdapterText(REGSTR_RADIO, g_bRadioOn ? "0" : "1");
    if (m_pSiteSurveyPage) m_pSiteSurveyPage->m_bScanning = TRUE;
    ConnectIfRequested();
}

void CConfigMainDlg::OnHelpButton()
{
    static CString folder;
    if (folder.IsEmpty()) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
        char* slash = std::strrchr(path, '\\');
        if (slash) slash[1] = 0;
        folder = path;
    }
    CString file = folder + HelpFileForLanguage(g_pfnSystemLanguage());
    g_pfnOpenHelpFile(m_hWnd, "open", file, nullptr, nullptr, SW_SHOWNORMAL);
}

void CConfigMainDlg::OnShowWindow(BOOL bShow, UINT)
{
    Default();
    if (bShow) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CConfigMainDlg::OnPaint()
{
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.m_hDC);
    HICON icon = (HICON)SendMessage(WM_GETICON, ICON_BIG);
    if (!icon) icon = (HICON)SendMessage(WM_GETICON, ICON_SMALL);
    CRect rc;
    GetClientRect(&rc);
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    if (icon) dc.DrawIcon((rc.Width() - cx + 1) / 2, (rc.Height() - cy + 1) / 2, icon, cx, cy);
}

LRESULT CConfigMainDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    HICON icon = (HICON)SendMessage(WM_GETICON, ICON_BIG);
    return (LRESULT)(icon ? icon : (HICON)SendMessage(WM_GETICON, ICON_SMALL));
}

void CConfigMainDlg::OnClose()
{
    Default();   // the dialog manager turns it into IDCANCEL
}

// A closed window is destroyed; the controller deletes the object and opens
// a new one the next time (a hidden window would keep counting as open and
// hold back the poll's reconnects).
void CConfigMainDlg::OnCancel()
{
    DestroyWindow();
}
