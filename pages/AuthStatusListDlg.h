// Lower panel 5: the 802.1X authentication status list.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CAuthStatusListDlg : public CChildPage {
public:
    explicit CAuthStatusListDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_AUTH_STATUS, pMainDlg) {}
};
