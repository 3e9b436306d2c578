// The common ground of the configuration window's upper pages and lower
// panels: a child dialog that knows the window it belongs to, never closes on
// Enter or Esc, and paints the etched line across its top.
#pragma once

#include "classlib/ClassLib.h"

class CConfigMainDlg;

// A text of the string table (empty when missing).
inline CString StringFromTable(UINT id)
{
    CString s;
    s.LoadString(id);
    return s;
}

class CChildPage : public CDialog {
public:
    CChildPage(UINT nIDTemplate, CConfigMainDlg* pMainDlg) : CDialog(nIDTemplate, nullptr), m_pMainDlg(pMainDlg) {}

    // Creates the page from its template as a child of parent (hidden until shown).
    BOOL CreatePage(CWnd* parent) { return Create(m_nIDTemplate, parent); }

    // The window the page belongs to; pages reach each other through it.
    CConfigMainDlg* const m_pMainDlg;

    // The window procedure every page and panel shares: WM_COMMAND IDOK and
    // IDCANCEL are swallowed, so Enter and Esc never close a page; every
    // other message has its usual processing.
    LRESULT PageWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) final { return PageWindowProc(msg, wParam, lParam); }

    // The 2-pixel etched line (shadow over highlight) across the top of a page.
    static void DrawTopLine(CDC* dc, int width);

protected:
    DECLARE_MESSAGE_MAP()
    void OnPaint();
};
