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
    CDialog::OnInitDialog();
    CString ok;
    ok.LoadString(IDS_OK);
    SetDlgItemText(IDOK, ok);
    CenterWindow();
    return TRUE;
}

// Destroyed before OK or Cancel ended the run (by another window or
// thread): the run ends as cancelled.  A run already ended keeps its answer
// (the window is destroyed after every modal run).
void CMessageBoxDlg::OnDestroy()
{
    if (IsModal() && !IsEndingModal()) EndDialog(IDCANCEL);
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
        // Most templates carry the text already; setting it again would only
        // make the control repaint.
        if (control->GetWindowText() != text) control->SetWindowText(text);
    }
}
