// CDialog: a dialog from a template, modal (own modal loop) or modeless.
#pragma once

#include "classlib/Wnd.h"
#include "classlib/DataExchange.h"

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParent = nullptr);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    bool IsModal() const { return m_bModal; }
    // EndDialog has been called in the current modal run.
    bool IsEndingModal() const { return m_bModal && m_bEndModal; }

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
    void OnOkCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }

private:
    HWND CreateFromTemplate(HWND parent);
    bool m_bModal = false;
    bool m_bEndModal = false;
    INT_PTR m_nModalResult = -1;
};
