// The upper page "Network": the networks of the aged scan list that the
// connection engine keeps, sorted by SSID, channel or signal, with the
// network of the current link marked.  Every scan goes through the engine;
// the page copies the engine's list once a scan has finished.
#pragma once

#include <memory>
#include <vector>

#include "classlib/ClassLib.h"
#include "classlib/ImageList.h"
#include "core/ConnectEngine.h"
#include "core/StationConfig.h"
#include "pagebase/ChildPage.h"
#include "pages/AuthSecurityPage.h"
#include "pages/PendingSecurity.h"
#include "pages/SurveyList.h"
#include "widgets/CellListCtrl.h"
#include "widgets/EtchedStatic.h"
#include "widgets/OwnerDrawButton.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// Signals shown in dBm rather than percent: the survey's check box, read by
// the link status panel too; the configuration window clears it when it goes.
extern BOOL g_bShowDbm;

// The page's refresh timer.
#define IDT_SURVEY_REFRESH 1

class CSiteSurveyPage : public CChildPage {
public:
    explicit CSiteSurveyPage(CConfigMainDlg* pMainDlg);
    ~CSiteSurveyPage() override;

    // The network chosen by Connect, Add To Profile or a double click (NULL
    // before any).  Connect and Add To Profile take a copy of the row's entry
    // (the list is rebuilt every 2 s while a panel asks for settings); a
    // double click points into the page's own copy of the scan list.
    const NDIS_WLAN_BSSID_EX* m_pChosenBss = nullptr;

    // ---- Joining the chosen network ----
    // Authentication mode and encryption status (NDIS numbering) of the join.
    DWORD m_dwChosenAuthMode = Ndis802_11AuthModeOpen;
    DWORD m_dwChosenEncryption = Ndis802_11EncryptionDisabled;
    // Fields 0 and 1 of the chosen network's security section.
    CString m_strChosenAuthText, m_strChosenCipherText;
    // The connect-settings panel's choices for a one-off connection.
    PendingSecurity m_pending;
    // 1 while the SSID of the join comes from the hidden-SSID panel.
    DWORD m_bHidden = 0;
    // 1 to 5 for the secured networks a join needs the 802.1X port for:
    // AuthTextToCode of the chosen network, or the clicked row's secured
    // field; the buttons follow it.
    DWORD m_dwSecurityCode = 0;
    // The chosen network's own code, which a click on the list while its
    // panel is open leaves alone: the join and its panels go by it.
    DWORD m_dwJoinSecurityCode = 0;
    // 1 when the chosen network needs security settings.
    DWORD m_bNeedsSettings = 0;
    // The SSID of the join: the hidden-SSID panel's, or the chosen network's.
    NDIS_802_11_SSID m_pendingSsid = {};
    BYTE m_chosenBssid[6] = {};

    // The four roads of Connect end here: the record Connect made, filled
    // from the chosen network and the pending settings, goes to the engine.
    // FALSE when nothing was queued (no join pending, or no key could be
    // made of the settings): the panels say so.
    BOOL ConnectChosenNetwork();
    // What a panel says when its OK starts no connection.
    static void SayJoinNotStarted();
    // The pending settings back to their defaults.
    void ResetSecuritySettings();
    void ShowConnectSettingsPanel();
    void ShowHiddenSsidPanel();
    void OpenProfileEditorFromSurvey();
    // A panel of the join was cancelled, or another join takes its place:
    // the record Connect made goes.
    void DropPendingJoin();
    BOOL JoinPending() const { return m_pJoinRecord != nullptr; }
    // The security section's authentication text as a code: 1 WPA,
    // 2 WPA-PSK, 3 WPA-None, 4 WPA2, 5 WPA2-PSK, else 0.
    static DWORD AuthTextToCode(const CString& text);
    // 1 from a scan or sort request until the list has been rebuilt.
    BOOL m_bScanning = TRUE;

    const std::vector<SurveyEntry>& Entries() const { return m_entries; }
    int SortKey() const { return m_nSortKey; }
    int DisconnectedTicks() const { return m_nDisconnectedTicks; }

    // One tick of the refresh timer: RefreshOnTimer, then UpdateButtons.
    void OnTimer(UINT_PTR id);
    void RefreshOnTimer();
    void UpdateButtons();
    // Sorts the engine's aged list, copies it and rebuilds the rows.
    void FillSurveyList();

    // Link misses before the page asks for a new scan; one count for the
    // whole program (the page is made again with every window).
    static int s_nLinkMisses;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPaint();
    void OnDestroy();
    void OnRescan();
    void OnConnect();
    void OnAddToProfile();
    void OnSortButton();
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);
    void OnDblclkList(NMHDR* hdr, LRESULT* result);
    LRESULT OnClickList(WPARAM wParam, LPARAM lParam);

private:
    void PlaceControls();
    void BuildList();
    void SortSurveyList();
    void RefreshList();
    void MarkConnectedRow(int row, DWORD mediaStatus);
    void RedrawVisibleRows();
    // The entry of the connected row, or -1; whether the link checks out.
    int FindLinkRow(bool* passed);
    bool AppliedSsidMatches(const SurveyEntry& row) const;
    // The focused row's entry, after telling the user when none is focused.
    const NDIS_WLAN_BSSID_EX* ChooseFocusedRow();
    void AskForScan();
    // Connect and Add To Profile: the focused row's entry copied, its
    // security texts, the needs-settings flag and the security code.
    BOOL TakeChosenNetwork();
    ChosenNetworkSecurity ChosenSecurity() const;
    const NDIS_WLAN_BSSID_EX* JoinEntry() const
    {
        return m_chosenEntry.empty() ? nullptr : reinterpret_cast<const NDIS_WLAN_BSSID_EX*>(m_chosenEntry.data());
    }
    // The 802.1X, LEAP, pre-shared key and WEP parts of the join; FALSE when
    // the record must not be queued.
    void FillDot1x(StationConfig* r) const;
    void FillLeap(StationConfig* r);
    BOOL FillPreSharedKey(StationConfig* r);
    BOOL FillWep(StationConfig* r);

    CCellListCtrl m_list;
    CSkinButton m_btnRescan, m_btnConnect, m_btnAddProfile;
    COwnerDrawButton m_radioSort[3];
    COwnerDrawButton m_checkDbm;
    CEtchedStatic m_title;
    CImageList m_images;

    std::vector<SurveyEntry> m_entries;
    std::vector<const NDIS_WLAN_BSSID_EX*> m_records;   // entry of each row, in m_pScanCopy
    int m_nDisconnectedTicks = 0;
    UINT_PTR m_nTimer = 0;
    int m_nSortKey = SURVEY_SORT_SSID;
    BssidListBuffer* m_pScanCopy = nullptr;             // 64 KB, movable, zero-filled
    unsigned m_nExchangedForPaint = 0;                  // the list's paint the controls were read for

    // The chosen network's entry as Connect or Add To Profile found it.
    std::vector<BYTE> m_chosenEntry;
    // The record Connect made, until the join hands it to the engine.
    struct RecordFree {
        void operator()(StationConfig* p) const { FreeStationConfig(p); }
    };
    std::unique_ptr<StationConfig, RecordFree> m_pJoinRecord;
};
