// The upper page "WMM": WMM, power save and Direct Link Setup.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CWmmPage : public CChildPage {
public:
    explicit CWmmPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_WMM_PAGE, pMainDlg) {}
};
