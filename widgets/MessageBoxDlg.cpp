#include "widgets/MessageBoxDlg.h"

#include "resource.h"

BEGIN_MESSAGE_MAP(CMessageBoxDlg, CDialog)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CMessageBoxDlg::CMessageBoxDlg(CWnd* pParent) : CDialog(IDD_MESSAGE_BOX, pParent) {}

void CMessageBoxDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_MESSAGE_TEXT, m_strMessage);
}

BOOL CMessageBoxDlg::OnInitDialog()
{
    m_bOkPressed = FALSE;   // each run answers for itself
    CDialog::OnInitDialog();
    CString ok;
    ok.LoadString(IDS_OK);
    SetDlgItemText(IDOK, ok);
    CenterWindow();
    return TRUE;
}

void CMessageBoxDlg::OnOK()
{
    m_bOkPressed = TRUE;
    EndDialog(IDOK);
    CDialog::OnOK();
}

// Closing the box any other way than OK counts as cancel; an OK already
// given stands (the window is destroyed after every modal run).
void CMessageBoxDlg::OnDestroy()
{
    if (!m_bOkPressed) EndDialog(IDCANCEL);
    Default();
}

int ShowMessageDlg(CString text)
{
    CMessageBoxDlg dlg(nullptr);
    dlg.m_strMessage = text;
    return (int)dlg.DoModal();
}

void PlaceControl(CWnd* control, int x, int y, int cx, int cy, UINT textId)
{
    if (!control || !control->GetSafeHwnd()) return;
    control->MoveWindow(x, y, cx, cy, TRUE);
    control->ShowWindow(SW_SHOW);
    if (textId != 0) {
        CString text;
        text.LoadString(textId);   // missing entry: empty text
        control->SetWindowText(text);
    }
}
