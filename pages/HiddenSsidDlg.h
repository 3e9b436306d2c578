// Lower panel 1: the name of a network that hides its SSID.  The site survey
// shows it when Connect picks such a network; OK hands the typed name to the
// survey's join, which goes on at once or through the connect settings.
#pragma once

#include "pagebase/ChildPage.h"
#include "widgets/FilterEdit.h"
#include "widgets/SkinButton.h"
#include "resource.h"

class CSiteSurveyPage;

class CHiddenSsidDlg : public CChildPage {
public:
    explicit CHiddenSsidDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_HIDDEN_SSID, pMainDlg) {}

    // The survey page whose join the panel serves (set by the survey).
    CSiteSurveyPage* m_pSurvey = nullptr;
    // The typed SSID, at most 32 characters.
    CString m_strSsid;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL show, UINT status);
    void OnOK();
    void OnCancel();

private:
    CFilterEdit m_editSsid;
    CSkinButton m_btnOk, m_btnCancel;
};
