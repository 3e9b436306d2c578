// Lower panel 2: the profile editor.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CProfileEditDlg : public CChildPage {
public:
    explicit CProfileEditDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_PROFILE_EDIT, pMainDlg) {}
};
