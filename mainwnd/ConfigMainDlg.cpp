#include "mainwnd/ConfigMainDlg.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CConfigMainDlg, CDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

CConfigMainDlg::CConfigMainDlg(CWnd* pParent) : CDialog(IDD_CONFIG_MAIN, pParent) {}

CConfigMainDlg::~CConfigMainDlg()
{
    for (CWnd*& p : m_pPanels) {
        delete p;
        p = nullptr;
    }
}

BOOL CConfigMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    return TRUE;
}

CWnd* CConfigMainDlg::GetPanel(int n) const
{
    return (n >= 0 && n < 9) ? m_pPanels[n] : nullptr;
}

void CConfigMainDlg::UpdateWpsButton() {}
void CConfigMainDlg::UpdateWmmButton() {}

// Closing destroys the window; the controller then deletes the object.
void CConfigMainDlg::OnClose()
{
    DestroyWindow();
}
