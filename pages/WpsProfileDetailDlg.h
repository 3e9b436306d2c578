// Lower panel 6: one WPS credential in detail.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CWpsProfileDetailDlg : public CChildPage {
public:
    explicit CWpsProfileDetailDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_WPS_PROFILE_DETAIL, pMainDlg) {}
};
