#include "classlib/WinApp.h"

#include <commctrl.h>

static CWinApp* s_pApp = nullptr;

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName)
{
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

int CWinApp::WinMainBody(HINSTANCE hInstance, const char* cmdLine, int nCmdShow)
{
    m_hInstance = hInstance;
    m_lpCmdLine = cmdLine ? cmdLine : "";
    m_nCmdShow = nCmdShow;
    if (!InitInstance())
        return ExitInstance();
    return Run();
}

CWinApp* AfxGetApp() { return s_pApp; }

HINSTANCE AfxGetInstanceHandle()
{
    if (s_pApp && s_pApp->m_hInstance)
        return s_pApp->m_hInstance;
    return GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

void AfxEnableControlContainer() {}

BOOL Enable3dControlsStatic()
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS };
    return InitCommonControlsEx(&icc);
}
