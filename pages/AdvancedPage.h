// The upper page "Advanced": radio and adapter settings.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CAdvancedPage : public CChildPage {
public:
    explicit CAdvancedPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_ADVANCED_PAGE, pMainDlg) {}
};
