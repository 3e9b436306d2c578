// Placeholder entry until the application object lands.
#include "classlib/ClassLib.h"

class CConfigApp : public CWinApp {
public:
    CConfigApp() : CWinApp(nullptr) {}
    BOOL InitInstance() override { return FALSE; }
};

CConfigApp theApp;
