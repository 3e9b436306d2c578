// Lower panel 8: PEAP password change.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CPeapSettingDlg : public CChildPage {
public:
    explicit CPeapSettingDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_PEAP_SETTING, pMainDlg) {}
};
