// Lower panel 1: the SSID of a network that hides it.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CHiddenSsidDlg : public CChildPage {
public:
    explicit CHiddenSsidDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_HIDDEN_SSID, pMainDlg) {}
};
