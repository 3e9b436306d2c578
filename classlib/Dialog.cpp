#include "classlib/Dialog.h"
#include "classlib/WinApp.h"

namespace {

// The dialog manager calls this only for what our subclassed window procedure
// passes on; all handling is in the object's message map.
INT_PTR CALLBACK KqDlgProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

} // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOkCommand)
    ON_COMMAND(IDCANCEL, OnCancelCommand)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent)
{
}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow();
}

HWND CDialog::CreateFromTemplate(HWND parent)
{
    HookWindowCreate();
    HWND h = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent,
                                KqDlgProc, (LPARAM)this);
    UnhookWindowCreate();
    return h;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParent)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParent;
    m_bModal = false;
    return CreateFromTemplate(pParent ? pParent->m_hWnd : nullptr) != nullptr;
}

INT_PTR CDialog::DoModal()
{
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (parent)
        parent = ::GetAncestor(parent, GA_ROOT);
    bool parentWasEnabled = parent && ::IsWindowEnabled(parent);
    if (parentWasEnabled)
        ::EnableWindow(parent, FALSE);

    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    HWND h = CreateFromTemplate(parent);
    if (h && !m_bEndModal) {
        ::ShowWindow(h, SW_SHOWNORMAL);
        while (!m_bEndModal && ::IsWindow(h)) {
            if (!AfxPumpMessage())
                break;
        }
    }
    if (parentWasEnabled) {
        ::EnableWindow(parent, TRUE);
        ::SetActiveWindow(parent);
    }
    if (h && ::IsWindow(h)) {
        ::ShowWindow(h, SW_HIDE);
        DestroyWindow();
    }
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal) {
        m_nModalResult = nResult;
        m_bEndModal = true;
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, nResult);
    }
}

BOOL CDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (msg == WM_INITDIALOG) {
        *pResult = OnInitDialog();
        return TRUE;
    }
    return CWnd::OnWndMsg(msg, wParam, lParam, pResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    // Child dialogs (pages) leave keyboard navigation to their top-level dialog.
    if (m_hWnd && !(GetStyle() & WS_CHILD) && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST)
        return ::IsDialogMessageA(m_hWnd, msg);
    return FALSE;
}
