// The upper page "About": versions of the program, driver and adapter.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CAboutPage : public CChildPage {
public:
    explicit CAboutPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_ABOUT_PAGE, pMainDlg) {}
};
