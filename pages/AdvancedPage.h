// The upper page "Advanced": the adapter-wide radio settings that belong to
// no profile (wireless mode, country regions, transmit rate, protection, TX
// burst, the system's TCP window tuning, fast roaming, CCX 2.0, QoS, the
// authentication status switch) and, on 802.11n adapters, the HT transmit
// settings with the rate they give.  An administrator's page shows the
// adapter key, anyone else's the driver; APPLY stores and sends them.
#pragma once

#include "classlib/ClassLib.h"
#include "core/HtRateTable.h"
#include "core/HtSettingsDoor.h"
#include "pagebase/ChildPage.h"
#include "widgets/EtchedStatic.h"
#include "widgets/OwnerDrawButton.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// The page's timer: the HT controls are shown again every second.
#define IDT_ADVANCED_REFRESH 1

// "Auto" (string 122) is MCS 33; any other text is its decimal number.
CString McsValueToText(int mcs);
int McsTextToValue(const CString& text);

// The TCP tuning values the "Enable TCP Window Size" box adds and removes.
extern const char kTcpParametersKey[];   // under HKEY_LOCAL_MACHINE

class CAdvancedPage : public CChildPage, public CHtSettingsDoor {
public:
    explicit CAdvancedPage(CConfigMainDlg* pMainDlg);
    ~CAdvancedPage() override;

    // The last applied selections of the mode and region combos, for every
    // instance of the page: a change of any of them reconnects on APPLY.
    static int s_nLastModeSel;
    static int s_nLastBgRegionSel;
    static int s_nLastARegionSel;
    // The 802.11n PHY record the driver gave (or was sent) last, for an
    // APPLY whose query the driver fails.
    static BOOL s_bHtPhyKnown;
    static BYTE s_htPhyKnown[12];

    // ---- CHtSettingsDoor: what the 802.11n controls show now ----
    DWORD HtSettingFromControls() override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnApply();
    void OnSelchangeWirelessMode();
    void OnSelchangeBgRegion();
    void OnCcx2();
    void OnRadioMeasure();
    void OnLimitOn();
    void OnFastRoaming();
    void OnProtection(UINT id);
    void OnRateRadio();            // BW and GI: the rate follows
    void OnSelchangeMcs();
    void OnHtRadio();              // HT mode, STBC, extension channel

private:
    void PlaceControls();
    void FillModeCombo();
    void FillRegionCombos();
    void FillTxRateCombo(int mode);
    // Takes the controls' data but keeps m_cszHT_MCS; FALSE when a value is
    // refused (the validation has told the user).
    BOOL TakeData();
    BOOL ReadConfigFromRegistry();
    void ReadStateFromDriver();
    void UpdateControlStates();
    void ShowTxRateAndProtection(BOOL show, BOOL enableRate);
    void HideHtControls();
    void ShowHtControls(int show, int generation, int mode);
    void IniHTMCSComboBy80211NVersionAnd(int generation, int htMode, const CString& mcs);
    void UpdateTxRateLabel(int generation);
    void WriteConfigToRegistry();
    void WriteConfigToRegistryAndSetOid();
    void ApplyWmmStep();
    void ReconnectAfterModeChange();
    void RefreshSystemConfigTab();
    void ClearSurveyRescanCheck();
    void SetProtectionText();
    // The HT word of the members (TransmitSetting layout, PHY mode 2).
    DWORD HtWord() const;
    DWORD CcxWord() const;
    void TakeCcxWord(DWORD word);
    int SelectedMode() const;
    void ShowItem(UINT id, BOOL show);
    void EnableItem(UINT id, BOOL enable);

    // ---- Exchanged with the controls ----
    CString m_strWirelessMode = "802.11 A/B/G mix";
    int m_nProtection = 0;         // 0 AUTO, 1 ON, 2 OFF
    int m_nTxRate = 0;             // TX-rate combo index, 0 "Auto"
    BOOL m_bTxBurst = FALSE;
    BOOL m_bTcpWindow = FALSE;
    BOOL m_bTcpWindowRead = FALSE;   // the box shows the system's values, not its default
    BOOL m_bFastRoaming = FALSE;
    int m_nRoamThreshold = -70;    // dBm, -90 to -60
    int m_nBgRegion = 0;
    int m_nARegion = 0;
    BOOL m_bCcx2 = FALSE;
    BOOL m_bLeapCckm = FALSE;
    BOOL m_bRadioMeasure = FALSE;
    BOOL m_bLimitOn = FALSE;
    int m_nMeasureLimit = 250;     // ms, 0 to 2000
    BOOL m_bQos = FALSE;
    BOOL m_bShowAuthStatus = FALSE;
    int m_nStbc = 0;               // 0 None, 1 Auto
    int m_nBandwidth = 0;          // 0 20 MHz, 1 Auto (40 MHz allowed)
    int m_nGuardInterval = 0;      // 0 long, 1 Auto (short allowed)
    int m_nHtMode = 0;             // 0 MM, 1 GF
    int m_nExtChannel = 0;         // 0 None, 1 Above, 2 Below
    CString m_cszHT_MCS;           // the MCS combo's text

    CHtRateTable m_rateTable;
    BOOL m_bAdapterPresent = TRUE;
    BOOL m_bFirstModeChange = TRUE;
    UINT_PTR m_nTimer = 0;

    COwnerDrawButton m_btnProtection;
    COwnerDrawButton m_checks[9];
    COwnerDrawButton m_radios[11];
    CEtchedStatic m_htHeading;
    CSkinButton m_btnApply;
};
