// The profile editor's "System Config" tab (dialog 244): profile name, SSID,
// network type, power save, transmit power, preamble, the RTS and
// fragmentation thresholds and, in ad hoc mode, the channel.  It writes
// nothing itself: the editor reads the fields on OK.
#pragma once

#include <windows.h>
#include <ntddndis.h>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "widgets/FilterEdit.h"
#include "widgets/IconComboBox.h"
#include "widgets/OwnerDrawButton.h"

class CAuthSecurityPage;

class CSystemConfigPage : public CChildPage {
public:
    explicit CSystemConfigPage(CConfigMainDlg* pMainDlg);

    // ---- Fields (the editor reads and writes them) ----
    int m_nAdhocMode = 1;          // the driver's ad hoc mode
    CString m_strProfileName;      // at most kProfileNameMax characters
    CString m_strSsid;             // at most 32 bytes
    CString m_strChannel;          // decimal channel number as the combo shows it
    int m_nNetworkType = 0;        // 1 infrastructure, 0 ad hoc
    int m_nPreamble = 0;           // 0 Auto, 1 Long
    int m_nAcPowerCam = 0;         // carried for ACPowerCam; no control shows it
    int m_nPowerSave = 0;          // 0 CAM, 1 PSM
    int m_nTxPower = 0;            // 0 Auto, 1 100%, 2 75 %, 3 50 %, 4 25 %, 5 10 %, 6 Lowest
    BOOL m_bUseRts = FALSE;
    int m_nRtsThreshold = 2347;    // the slider: what the editor stores
    BOOL m_bUseFrag = FALSE;
    int m_nFragThreshold = 2346;
    int m_nRtsEdit = 2347;         // the edits beside the sliders
    int m_nFragEdit = 2346;

    // ---- Set by the editor when it creates its tabs ----
    CAuthSecurityPage* m_pSecurityPage = nullptr;
    CWnd* m_pOwnTabButton = nullptr;     // "System Config", clicked after a power-save choice
    CWnd* m_pDot1xTabButton = nullptr;   // "8021X", greyed for ad hoc

    void ResetMembers();
    // Add: defaults and a new PROF<n> name.
    void LoadDefaults();
    // Edit: the editor has read the profile into the fields.
    void LoadFromProfile();
    // "Add To Profile" on the site survey: defaults, then the chosen
    // network's SSID, network type and channel.
    void LoadFromSurveyEntry(const NDIS_WLAN_BSSID_EX* bss);
    // The channels the network type and modes allow (never 34, 38, 42, 46),
    // the stored one selected, else the first.
    void FillChannelCombo();
    // The SSIDs of the aged scan list, each with its BSSID.
    void FillSsidList();

    // The menu commands, as the drop-down buttons send them.
    void OnInfrastructure();
    void OnAdhoc();
    void OnTxPower(UINT id);
    void OnPreamble(UINT id);

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnUseRts();
    void OnUseFrag();
    void OnRtsEditChange();
    void OnFragEditChange();
    void OnPowerSave();
    void OnHScroll(UINT code, UINT pos, CScrollBar* bar);

private:
    void PlaceControls();
    void ShowItem(UINT id, BOOL show);
    void EnableItem(UINT id, BOOL enable);
    void EnableThresholdRow(BOOL rts, BOOL enable);
    void SetButtonText(COwnerDrawButton& button, const char* text);
    // The integer an edit holds, or `fallback` when it holds none.
    int EditNumber(UINT id, int fallback) const;

    CEdit m_editName;
    CIconComboBox m_comboSsid;
    CIconComboBox m_comboChannel;
    COwnerDrawButton m_btnNetworkType, m_btnTxPower, m_btnPreamble;
    COwnerDrawButton m_radioCam, m_radioPsm;
    COwnerDrawButton m_checkRts, m_checkFrag;
    CFilterEdit m_editRts, m_editFrag;
    CBuddySlider m_sliderRts, m_sliderFrag;
    BOOL m_bInEditChange = FALSE;
};
