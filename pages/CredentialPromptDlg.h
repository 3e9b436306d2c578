// Lower panel 7: re-entry of 802.1X credentials.
// Not built yet: an empty page of its own dialog resource, so that the
// configuration window has all its pages and panels.
#pragma once

#include "pagebase/ChildPage.h"
#include "resource.h"

class CCredentialPromptDlg : public CChildPage {
public:
    explicit CCredentialPromptDlg(CConfigMainDlg* pMainDlg) : CChildPage(IDD_CREDENTIAL_PROMPT, pMainDlg) {}
};
