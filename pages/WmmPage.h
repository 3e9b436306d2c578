// The upper page "WMM": Wi-Fi Multimedia, its power save with the four
// access categories, and Direct Link Setup with the driver's list of active
// direct links.  The switches are stored in the adapter key and sent to the
// driver; the advanced page uses the two routines below to force WMM on in
// the 802.11n modes.
#pragma once

#include <vector>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "widgets/CellListCtrl.h"
#include "widgets/EtchedStatic.h"
#include "widgets/FilterEdit.h"
#include "widgets/OwnerDrawButton.h"
#include "widgets/SkinButton.h"
#include "resource.h"

// The page's refresh of the direct-link list, while it is shown.
#define IDT_WMM_REFRESH 1

// The WMM word (OID_VENDOR_WMM_CAPABILITY): bit 0 power save, bits 1-4 the
// four access categories.  Bits 5 and 6 are the driver's own and go back as
// it gave them; bits 7 and up are never sent.
constexpr DWORD kWmmPowerSave = 0x01;
constexpr DWORD kWmmAcBe = 0x02;
constexpr DWORD kWmmAcBk = 0x04;
constexpr DWORD kWmmAcVi = 0x08;
constexpr DWORD kWmmAcVo = 0x10;
constexpr DWORD kWmmKeptBits = 0x7E;   // bits 1-6

// One direct link as the driver keeps it (OID_VENDOR_DLS_LINK): a query
// returns kDlsLinkCount of them, a set takes one.
#pragma pack(push, 1)
struct DlsLinkEntry {
    WORD timeout;      // seconds
    WORD reserved;     // not written by the page
    BYTE mac[6];       // the peer
    BYTE state;        // kDlsLinkUp: the link is set up (the only state listed)
    BYTE valid;        // 1 in use; a set with 1 asks for the link, with 0 removes it
};
#pragma pack(pop)
static_assert(sizeof(DlsLinkEntry) == 12, "DlsLinkEntry layout");
constexpr int kDlsLinkCount = 4;
constexpr BYTE kDlsLinkUp = 2;

struct DlsListRow {
    CString mac;       // "%02X-%02X-%02X-%02X-%02X-%02X"
    DWORD timeout;     // seconds
};

// Writes APSDCapable, DLSCapable and WMMCapable, each only when its write flag
// is 1, as "1" when its value is 1 and "0" otherwise.  FALSE when the adapter
// key does not open.
BOOL SaveWmmSettings(int bWriteApsd, int bWriteDls, int bWriteWmm, int apsd, int dls, int wmm);
// Reads WMMCapable, APSDCapable and DLSCapable; a missing value leaves its output.
BOOL LoadWmmSettings(int* pApsd, int* pDls, int* pWmm);
// Sets, in this order and each only when its flag is 1, the WMM word, the
// DLS word and the WMM enable byte (3 tries each).
void ApplyWmmOids(int bSetWmmWord, int bSetDlsWord, int bSetWmmEnable, DWORD wmmWord, DWORD dlsWord,
                  BYTE wmmEnable);
CString FormatDlsMac(const BYTE mac[6]);

// Places an owner-drawn check box or option button at (x, y), cy high and
// as wide as its picture and caption need; textId as for PlaceControl.
// Returns the right edge.
int PlaceCaptioned(COwnerDrawButton* button, int x, int y, int cy, UINT textId);

class CWmmPage : public CChildPage {
public:
    explicit CWmmPage(CConfigMainDlg* pMainDlg);

    // The selection of the direct-link list, one for every instance of the
    // page; rebuilding the rows leaves it alone.
    static int s_nDlsSelectedRow;         // -1: none
    static CString s_strDlsSelectedMac;

    const std::vector<DlsListRow>& DlsRows() const { return m_rows; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnWmmEnable();
    void OnWmmPowerSave();
    void OnAcCheck();
    void OnDlsEnable();
    void OnDlsSetupClicked() { OnDlsSetup(); }
    void OnDlsTearDown();
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);
    void OnDlsListClick();
    void OnDlsListDblClick(NMHDR* hdr, LRESULT* result);
    // The list answers its clicks itself and tells of those on a cell only;
    // the page takes the list's choice after every click.
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void PlaceControls();
    void UpdateControlStates();
    void EnableIds(const UINT* ids, int n, BOOL enable);
    void EnablePowerSaveControls(BOOL enable);
    void EnableDlsControls(BOOL enable);
    CString StatusText(BOOL on) const;
    // Set up a direct link from the edits: FALSE (with its message) for an
    // address or timeout that cannot be sent.
    BOOL OnDlsSetup();
    void RefreshDlsList();
    void TakeListSelection();

    // ---- Exchanged with the controls ----
    BOOL m_bAcBe = FALSE, m_bAcBk = FALSE, m_bAcVi = FALSE, m_bAcVo = FALSE;
    CString m_strWmmStatus, m_strPowerSaveStatus, m_strDlsStatus;
    CString m_strMac[6];
    CString m_strTimeout = "60";
    BOOL m_bWmmEnable = FALSE;
    BOOL m_bDlsEnable = FALSE;
    BOOL m_bPowerSave = FALSE;

    std::vector<DlsListRow> m_rows;
    UINT_PTR m_nTimer = 0;

    CEtchedStatic m_group;
    COwnerDrawButton m_checkWmm, m_checkPowerSave, m_checkDls;
    COwnerDrawButton m_checkAc[4];       // BE, BK, VI, VO
    CFilterEdit m_editMac[6];
    CEdit m_editTimeout;
    CSkinButton m_btnSetup, m_btnTearDown;
    CCellListCtrl m_list;
};
