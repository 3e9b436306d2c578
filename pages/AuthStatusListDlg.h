// Lower panel 5: the progress lines of an 802.1X authentication and of the
// network check after it, as time-stamped rows.  The writers (the library's
// status thread, the check) announce each line of the authentication log
// with WM_APP_AUTH_LOG_LINE; the panel reads the line the message names.  The
// end marker "OK" is never a row: it empties the log and, when this panel
// is in front, brings the link status panel back.
#pragma once

#include <vector>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "widgets/CellListCtrl.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// The panel's label timer: the card and profile labels are read again every 20 ms while shown.
#define IDT_AUTH_STATUS_LABELS 1
constexpr UINT kAuthStatusLabelMs = 20;

// One row: the local time the line arrived ("hh:mm:ss.mmm ") and its text.
struct AuthStatusRow {
    CString time;
    CString description;
};

class CAuthStatusListDlg : public CChildPage {
public:
    explicit CAuthStatusListDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_AUTH_STATUS, pMainDlg) {}

    // Empties the rows and reads the card and profile labels afresh.
    void RefreshLabels();

    const std::vector<AuthStatusRow>& Rows() const { return m_rows; }
    // The ring line the panel expects next (it follows each message's index).
    int ReadIndex() const { return m_nReadIndex; }
    const CString& CardLabel() const { return m_strCardLabel; }
    const CString& ProfileLabel() const { return m_strProfileLabel; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnOK() override;
    void OnCancel() override;
    LRESULT OnLogLine(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);

private:
    void AddLogRow(const char* text);
    // Reads "DriverDesc" and, for a stored profile, "CurProfile" into the
    // labels; a value that is missing leaves its label as it is.
    void ReadLabelValues();
    // Puts the label texts on screen; true when one of them changed.
    bool ShowLabels();
    bool ShownInFront() const;

    CString m_strCardLabel;
    CString m_strProfileLabel;
    std::vector<AuthStatusRow> m_rows;
    int m_nRowsShown = 0;
    int m_nReadIndex = 0;
    UINT_PTR m_nTimer = 0;

    CCellListCtrl m_list;
    CSkinButton m_btnOk, m_btnCancel;
};
