// The program's one-button message dialog, and the placing of page controls.
#pragma once

#include "classlib/ClassLib.h"

class CMessageBoxDlg : public CDialog {
public:
    explicit CMessageBoxDlg(CWnd* pParent = nullptr);

    CString m_strMessage;   // the text shown

protected:
    DECLARE_MESSAGE_MAP()

private:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDestroy();
};

// Shows text with the caption "Kestiq"; IDOK (1) after OK, IDCANCEL (2) otherwise.
int ShowMessageDlg(CString text);

// Moves the control to (x, y, cx, cy) of its parent's client area, shows it
// and, for a non-zero textId, gives it that string-table text.
void PlaceControl(CWnd* control, int x, int y, int cx, int cy, UINT textId);
