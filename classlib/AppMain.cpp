// Program entry: hands control to the one application object.
#include "classlib/WinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    return app->WinMainBody(hInstance, lpCmdLine, nCmdShow);
}
