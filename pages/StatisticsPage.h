// The upper page "Statistics": the driver's frame counters on a "Transmit"
// and a "Receive" tab, read every two seconds while the page is visible, and
// "Reset Counter", which zeroes the driver's counters.
#pragma once

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// The page's refresh timer.
#define IDT_STATISTICS_REFRESH 1

class CTabContainerDlg;

// One tab of counters: rows of a label, an "=" and a right-aligned value,
// row i being the controls IDC_STAT_ROW_FIRST + 3 i, + 1 and + 2.
class CCounterTabPage : public CChildPage {
public:
    static constexpr int kMaxRows = 6;

    // The value texts, exchanged with the value statics.
    CString m_strValues[kMaxRows];
    int RowCount() const { return m_nRows; }
    // Every value "0".
    void ZeroValues();

protected:
    // labels: the string-table texts of the rows in id order; order: the
    // rows from top to bottom.
    CCounterTabPage(UINT templateId, CConfigMainDlg* pMainDlg, const UINT* labels, const int* order, int rows);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void HideRow(int row);

private:
    const UINT* m_pLabels;
    const int* m_pOrder;
    int m_nRows;
};

// "Transmit" (dialog 255).
class CTxStatisticsPage : public CCounterTabPage {
public:
    enum { ROW_OK, ROW_OK_NO_RETRY, ROW_RETRY, ROW_FAIL_ACK, ROW_RTS_OK, ROW_RTS_FAIL, ROW_COUNT };
    explicit CTxStatisticsPage(CConfigMainDlg* pMainDlg);

protected:
    BOOL OnInitDialog() override;
};

// "Receive" (dialog 256).
class CRxStatisticsPage : public CCounterTabPage {
public:
    enum { ROW_OK, ROW_CRC_ERROR, ROW_DROPPED, ROW_DUPLICATE, ROW_COUNT };
    explicit CRxStatisticsPage(CConfigMainDlg* pMainDlg);
};

class CStatisticsPage : public CChildPage {
public:
    explicit CStatisticsPage(CConfigMainDlg* pMainDlg);
    ~CStatisticsPage() override;

    CTxStatisticsPage* TxPage() const { return m_pTxPage; }
    CRxStatisticsPage* RxPage() const { return m_pRxPage; }

    // One refresh of both tabs from the driver's counters (any timer id).
    void OnTimer(UINT_PTR id);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnDestroy();
    void OnResetCounter();

private:
    BOOL CreateSubPages();

    CSkinButton m_btnReset;
    CFont m_font;
    CTabContainerDlg* m_pTabs = nullptr;
    CSkinButton* m_pTabButtons[2] = {};
    CTxStatisticsPage* m_pTxPage = nullptr;
    CRxStatisticsPage* m_pRxPage = nullptr;
    UINT_PTR m_nTimer = 0;
};
