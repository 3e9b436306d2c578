// Lower panel 3: security settings of a one-off connection.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CConnectSettingsDlg : public CChildPage {
public:
    explicit CConnectSettingsDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_CONNECT_SETTINGS, pMainDlg) {}
};
