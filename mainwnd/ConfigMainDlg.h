// The configuration window (dialog 102): a navigation bar of skinned buttons
// along the top, the seven upper pages in a tab container below it, and the
// nine lower panels stacked at one place under the pages, of which the
// controller shows one at a time.  The window owns every page, panel and
// button it creates.
#pragma once

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "pagebase/Panels.h"

class CTabContainerDlg;
class CSkinButton;
class CProfilePage;
class CSiteSurveyPage;
class CAdvancedPage;
class CStatisticsPage;
class CWmmPage;
class CWpsPage;
class CAboutPage;

// Navigation buttons by index, in the order they are created.
enum {
    NAV_PROFILE, NAV_NETWORK, NAV_ADVANCED, NAV_STATISTICS, NAV_WMM, NAV_WPS,
    NAV_BLANK_6249, NAV_ABOUT, NAV_BLANK_1128, NAV_RADIO, NAV_HELP, NAV_BLANK_6254,
    NAV_COUNT
};

// Geometry of the window's client area, in pixels.
constexpr int kMainWindowWidth = 800;
constexpr int kMainWindowHeight = 740;
constexpr int kPageAreaWidth = 794;
constexpr int kPageAreaHeight = 402;
constexpr int kNavBarHeight = 60;
constexpr int kPanelHeight = 702;

class CConfigMainDlg : public CDialog {
public:
    explicit CConfigMainDlg(CWnd* pParent = nullptr);
    ~CConfigMainDlg() override;

    BOOL OnInitDialog() override;
    BOOL BuildLayout();
    BOOL BuildNavBar();
    // The upper pages after the Network page; made once the window is first
    // shown and painted.
    void BuildHiddenPages();

    // Refreshed by the controller's link poll while the window is open.
    void UpdateWpsButton();
    void UpdateWmmButton();

    // Lower panel by index; NULL outside 0..8 or while not built.  A hidden
    // panel's window is made the first time it is asked for (the window opens
    // with only the link status panel made), so whoever asks finds it made.
    CChildPage* GetPanel(int n) const;
    // The panel only when its window is made already (never makes it).
    CChildPage* BuiltPanel(int n) const;
    CSkinButton* GetNavButton(int n) const { return (n >= 0 && n < NAV_COUNT) ? m_pNavButtons[n] : nullptr; }

    // Pages reach each other through these.
    CTabContainerDlg* m_pPageContainer = nullptr;
    CProfilePage* m_pProfilePage = nullptr;
    CSiteSurveyPage* m_pSiteSurveyPage = nullptr;
    CAdvancedPage* m_pAdvancedPage = nullptr;
    CStatisticsPage* m_pStatisticsPage = nullptr;
    CWmmPage* m_pWmmPage = nullptr;
    CWpsPage* m_pWpsPage = nullptr;
    CAboutPage* m_pAboutPage = nullptr;
    CChildPage* m_pPanels[PANEL_COUNT] = {};
    CSkinButton* m_pNavButtons[NAV_COUNT] = {};

protected:
    DECLARE_MESSAGE_MAP()
    void OnRadioOnOff();
    void OnHelpButton();
    void OnShowWindow(BOOL bShow, UINT status);
    LRESULT OnWindowPosChanged(WPARAM, LPARAM lParam);
    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    void OnClose();
    // Esc and the close box close the window; Enter does nothing.
    void OnOK() override {}
    void OnCancel() override;

private:
    CSkinButton* CreateNavButton(int index, UINT id, UINT textId, int x, int y, int cx, int cy);
    void SetRadioIcon(BOOL radioOn);
    BOOL AddPage(CChildPage* page, CSkinButton* tab, BOOL makeNow);
    static CRect PageRect() { return CRect(0, kNavBarHeight, kPageAreaWidth, kPageAreaHeight); }
    static const int kOpeningPage = 1;   // tab index of the Network page
    BOOL CreatePanel(int n);

    bool m_bPanelTried[PANEL_COUNT] = {};   // its window was made (or failed to be) once
    bool m_bHiddenPagesBuilt = false;
    unsigned m_nProfileNoise = 0;   // where the skin noise stood at the Profile page's turn

    CFont m_NavFont;
};

// The help file for a system language: "ZUBELOCHN.CHM" for 1028 (Chinese,
// Traditional), else "ZUBELOENG.CHM".
const char* HelpFileForLanguage(LANGID lang);
// How the help button opens its file and learns the language; tests record
// instead of opening.
extern HINSTANCE (WINAPI* g_pfnOpenHelpFile)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
extern LANGID (WINAPI* g_pfnSystemLanguage)();
// Called, when set, once the window's first paint is on the screen and
// before the pages nothing shows yet are made: the moment a benchmark times
// without a hook of its own in every window's making.
extern void (*g_pfnMainWindowPainted)();
