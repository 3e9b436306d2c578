// The upper page "Network": the networks of the aged scan list that the
// connection engine keeps, sorted by SSID, channel or signal, with the
// network of the current link marked.  Every scan goes through the engine;
// the page copies the engine's list once a scan has finished.
#pragma once

#include <vector>

#include "classlib/ClassLib.h"
#include "classlib/ImageList.h"
#include "core/ConnectEngine.h"
#include "pagebase/ChildPage.h"
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

    // The network chosen by Connect, Add To Profile or a double click: an
    // entry of the page's own copy of the scan list (NULL before any).
    const NDIS_WLAN_BSSID_EX* m_pChosenBss = nullptr;
    // 1 to 5 for the secured networks a join needs the 802.1X port for; set
    // from the focused row's secured field.
    DWORD m_dwSecurityCode = 0;
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
};
