// What the four pages of the EAP settings dialog share: their own tab
// button in the dialog (a radio change clicks it, which selects and redraws
// the page again) and small control helpers.
#pragma once

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "pages/PageControls.h"

class CEapPage : public CChildPage {
public:
    CEapPage(UINT nIDTemplate, CConfigMainDlg* pMainDlg) : CChildPage(nIDTemplate, pMainDlg) {}

    // Set by the EAP settings dialog when it creates its tabs.
    CWnd* m_pOwnTabButton = nullptr;

protected:
    void ShowItem(UINT id, BOOL show);
    void EnableItem(UINT id, BOOL enable);
    void ClickOwnTab();
};
