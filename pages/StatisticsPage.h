// The upper page "Statistics": transmit and receive counters.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CStatisticsPage : public CChildPage {
public:
    explicit CStatisticsPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_STATISTICS_PAGE, pMainDlg) {}
};
