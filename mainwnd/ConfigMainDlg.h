// The configuration window.  For now only its frame: dialog 102 and the nine
// lower panel slots that CHideDlg::ShowPage switches between.
#pragma once

#include "classlib/ClassLib.h"

class CConfigMainDlg : public CDialog {
public:
    explicit CConfigMainDlg(CWnd* pParent = nullptr);
    ~CConfigMainDlg() override;

    BOOL OnInitDialog() override;
    // Lower panel by index (PANEL_LINK_STATUS .. PANEL_PEAP_SETTING); NULL while not built.
    CWnd* GetPanel(int n) const;
    void UpdateWpsButton();
    void UpdateWmmButton();

    CWnd* m_pPanels[9] = {};

protected:
    DECLARE_MESSAGE_MAP()
    void OnClose();
};
