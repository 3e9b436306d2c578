// The upper page "Network": the networks in the air (site survey).
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "mainwnd/ChildPage.h"
#include "resource.h"

// Signals shown in dBm rather than percent (the survey's choice).
extern BOOL g_bShowDbm;

class CSiteSurveyPage : public CChildPage {
public:
    explicit CSiteSurveyPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_SITE_SURVEY_PAGE, pMainDlg) {}

    // 1 from a scan or sort request until the list has been rebuilt.
    BOOL m_bScanning = TRUE;
};
