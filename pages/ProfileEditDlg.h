// Lower panel 2: the profile editor.  One profile in three tabs, "System
// Config", "Auth. \ Encry." and "8021X"; OK checks the choices and writes the
// whole profile, Cancel returns to the link status panel with nothing saved.
// Saving never applies the profile, not even the active one.
#pragma once

#include "classlib/ClassLib.h"
#include "core/ProfileStore.h"
#include "pagebase/ChildPage.h"
#include "pages/AuthSecurityPage.h"
#include "pages/EapSettingsDlg.h"
#include "pages/SystemConfigPage.h"
#include "widgets/SkinButton.h"
#include "resource.h"

class CTabContainerDlg;

// The editor's tabs by index.
enum { EDIT_TAB_SYSTEM_CONFIG = 0, EDIT_TAB_SECURITY = 1, EDIT_TAB_8021X = 2, EDIT_TAB_COUNT = 3 };

class CProfileEditDlg : public CChildPage, public CSecurityPageHost {
public:
    explicit CProfileEditDlg(CConfigMainDlg* pMainDlg);
    ~CProfileEditDlg() override;

    // The roads that open the editor (the profile page's Add and Edit):
    // hosting flags, then the tabs filled.  The caller shows the panel.
    void PrepareAdd();
    void PrepareEdit(const CString& name);

    void ResetPendingSettings();
    // Reads the profile named in the System Config tab into the tabs.
    BOOL LoadProfileFromRegistry();
    // Writes the pending settings and the tabs' fields as that profile;
    // FALSE when its key cannot be created.
    BOOL WriteProfileToRegistry();

    CSystemConfigPage* SystemConfigTab() const { return m_pSystemConfig; }
    CAuthSecurityPage* SecurityTab() const { return m_pSecurity; }
    CEapSettingsDlg* Dot1xTab() const { return m_pDot1x; }
    CSkinButton* TabButton(int i) const { return (i >= 0 && i < EDIT_TAB_COUNT) ? m_pTabButtons[i] : nullptr; }

    // ---- Pending settings: what OK collects before it writes ----
    int m_nAuthentication = 0;
    int m_nEncryption = 0;
    int m_nUse8021x = 0;
    CString m_strPreSharedKey;
    int m_nDefaultKey = 0;
    int m_nKeyLength[4] = {};
    BYTE m_keyBytes[4][14] = {};
    Dot1xSettings m_dot1x;
    CString m_strLeapIdentity, m_strLeapPassword, m_strLeapDomain;
    int m_nLeapCipher = 0;
    int m_nCcxBit0 = 0, m_nCcxBit1 = 0;

    // ---- CSecurityPageHost ----
    CWnd* SecurityTabButton() override { return m_pTabButtons[EDIT_TAB_SECURITY]; }
    CWnd* Dot1xTabButton() override { return m_pTabButtons[EDIT_TAB_8021X]; }
    int EapMethod() override { return m_pDot1x ? m_pDot1x->m_nOuterMethod : 0; }
    void SelectPeapMethod() override;
    int HostNetworkType() override { return m_pSystemConfig ? m_pSystemConfig->m_nNetworkType : -1; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status);
    void OnOK();
    void OnCancel();

private:
    BOOL CreateTabs();
    void ClickTab(int i);
    // The 802.1X values read with the profile, for the 8021X tab's loader.
    Dot1xSettings m_dot1xRead;

    CTabContainerDlg* m_pTabs = nullptr;
    CSystemConfigPage* m_pSystemConfig = nullptr;
    CAuthSecurityPage* m_pSecurity = nullptr;
    CEapSettingsDlg* m_pDot1x = nullptr;
    CSkinButton* m_pTabButtons[EDIT_TAB_COUNT] = {};
    CSkinButton m_btnOk, m_btnCancel;
    CFont m_tabFont;
};
