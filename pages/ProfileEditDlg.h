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
#include "pages/PendingSecurity.h"
#include "pages/SecurityTabsPanel.h"
#include "pages/SystemConfigPage.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// The editor's tabs by index.
enum { EDIT_TAB_SYSTEM_CONFIG = 0, EDIT_TAB_SECURITY = 1, EDIT_TAB_8021X = 2, EDIT_TAB_COUNT = 3 };

class CProfileEditDlg : public CSecurityTabsPanel {
public:
    explicit CProfileEditDlg(CConfigMainDlg* pMainDlg);

    // The roads that open the editor (the profile page's Add and Edit):
    // hosting flags, then the tabs filled.  The caller shows the panel.
    void PrepareAdd();
    void PrepareEdit(const CString& name);
    // The site survey's "Add To Profile": the System Config tab from the
    // chosen network, the security tab from its privacy, the 8021X tab cleared.
    void PrepareFromSurvey(const NDIS_WLAN_BSSID_EX* bss, const ChosenNetworkSecurity& chosen);

    void ResetPendingSettings();
    // Reads the profile named in the System Config tab into the tabs.
    BOOL LoadProfileFromRegistry();
    // Writes the pending settings and the tabs' fields as that profile;
    // FALSE when its key cannot be created.
    BOOL WriteProfileToRegistry();

    CSystemConfigPage* SystemConfigTab() const { return m_pSystemConfig; }

    // What OK collects before it writes.
    PendingSecurity m_pending;

    // ---- CSecurityPageHost ----
    int HostNetworkType() override { return m_pSystemConfig ? m_pSystemConfig->m_nNetworkType : -1; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL show, UINT status);
    void OnOK();
    void OnCancel();

private:
    BOOL CreateTabs();
    // The 802.1X values read with the profile, for the 8021X tab's loader
    // and for OK while the 802.1X port is closed.
    Dot1xSettings m_dot1xRead;
    // The stored profile that Edit opened (its name as listed), empty for a
    // new one: only that profile may be written over.
    CString m_strEditedName;
    // The pending settings as the show left them: every OK starts there.
    PendingSecurity m_pendingShown;

    CSystemConfigPage* m_pSystemConfig = nullptr;   // owned by the base, as its first tab
    CSkinButton m_btnOk, m_btnCancel;
};
