// The upper page "WPS": Wi-Fi Protected Setup.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CWpsPage : public CChildPage {
public:
    explicit CWpsPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_WPS_PAGE, pMainDlg) {}
};
