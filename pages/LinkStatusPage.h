// Lower panel 0: the state of the link.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CLinkStatusPage : public CChildPage {
public:
    explicit CLinkStatusPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_LINK_STATUS, pMainDlg) {}
};
