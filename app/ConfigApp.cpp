// The application object: one running copy, the command line, and the
// controller dialog whose modal loop is the program's main loop.
#include "classlib/ClassLib.h"
#include "app/HideDlg.h"
#include "core/OidChannel.h"
#include "resource.h"

#include <cstring>

class CConfigApp : public CWinApp {
public:
    CConfigApp() : CWinApp(nullptr) {}
    ~CConfigApp() override {}
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    HANDLE m_hMutex = nullptr;
};

BOOL CConfigApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControlsStatic();
    // Failed sets are retried from this thread's timers: name it before any
    // other thread can touch the OID channel first.
    SetOidRetryThread(GetCurrentThreadId());

    m_hMutex = CreateMutexA(nullptr, FALSE, "QX60");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Only a message box of the first copy carries this title.
        m_hMutex = nullptr;
        HWND first = FindWindowA(nullptr, "Kestiq");
        if (first) PostMessageA(first, WM_COMMAND, ID_TRAY_LAUNCH, 0);
        return FALSE;
    }

    CHideDlg dlg(nullptr);
    if (std::strcmp(m_lpCmdLine, "-S") == 0 || std::strcmp(m_lpCmdLine, "-s") == 0)
        dlg.m_bShowOnStart = FALSE;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    if (dlg.m_hWnd) dlg.DestroyWindow();
    return FALSE;
}

int CConfigApp::ExitInstance()
{
    if (m_hMutex) ReleaseMutex(m_hMutex);
    return CWinApp::ExitInstance();
}

CConfigApp theApp;
