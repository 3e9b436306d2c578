// The application object: the program's entry into the class library.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";
    int m_nCmdShow = SW_SHOWNORMAL;
    const char* m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;

    // Called by the program's entry point.
    int WinMainBody(HINSTANCE hInstance, const char* cmdLine, int nCmdShow);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// The control container and 3-D controls of old: here they mean the common controls.
void AfxEnableControlContainer();
BOOL Enable3dControlsStatic();
