// The 802.11n aggregation settings: A-MSDU, spatial multiplexing power save,
// MPDU aggregation with its density, and the Block-Ack sessions in which the
// adapter is originator or recipient, read from the driver every second
// while shown.  The settings live in the adapter key's BACapability and go to
// the driver as OID_VENDOR_BA_CAPABILITY.
#pragma once

#include <vector>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "pages/BlockAck.h"
#include "widgets/CellListCtrl.h"
#include "resource.h"

class CAddBaDlg;
class CDeleteBaDlg;

// The session lists' refresh timer.
#define IDT_BA_REFRESH 1

// Spatial multiplexing power save choices (the radio buttons' order).
enum { SMPS_CHOICE_ENABLE = 0, SMPS_CHOICE_STATIC = 1, SMPS_CHOICE_DYNAMIC = 2 };

class CHtAggregationPage : public CChildPage {
public:
    explicit CHtAggregationPage(CConfigMainDlg* pMainDlg) : CChildPage(IDD_HT_AGGREGATION, pMainDlg) {}

    // The capability record as members.
    int m_nByte0 = 0, m_nByte1 = 0;
    int m_bMpdu = 0;
    int m_nAuto = 0;                 // 1 Auto, 0 Manual
    CString m_strDensity = "0";
    int m_bAmsdu = 0;
    int m_nAmsduSize = 0;            // 0: 3839, 1: 7935
    int m_nSmps = SMPS_CHOICE_ENABLE;

    // The session dialogs its buttons open; set by whoever hosts them.
    CAddBaDlg* m_pAddDlg = nullptr;
    CDeleteBaDlg* m_pDeleteDlg = nullptr;

    // BACapability of the adapter key into the members; FALSE (members
    // untouched) when it is missing or not a 4-byte number.
    BOOL ReadBaCapability();
    void WriteBaCapability();
    void SetBaCapabilityOid();
    void RefreshBaSessions();

    BaCapability PackMembers() const;
    void UnpackRecord(const BaCapability& cap);

    std::vector<BaTidEntry> GetOriginatorEntries() const { return m_entries[BA_ORIGINATOR]; }
    std::vector<BaTidEntry> GetRecipientEntries() const { return m_entries[BA_RECIPIENT]; }
    const std::vector<BaSessionRow>& Rows(int direction) const { return m_rows[direction == BA_RECIPIENT ? 1 : 0]; }

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnApply();
    void OnSwitch();
    void OnOriginatorAdd();
    void OnRecipientAdd();
    void OnOriginatorDelete();
    void OnOriginatorDeleteAll();
    void OnRecipientDelete();
    void OnRecipientDeleteAll();
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);

private:
    void SetUpList(CCellListCtrl& list);
    void UpdateControlStates();
    void OpenDelete(int originator, int perTid, int deleteAll);
    static void OpenPanel(CChildPage* panel);

    CCellListCtrl m_lists[2];        // by BaDirection
    std::vector<BaSessionRow> m_rows[2];
    std::vector<BaTidEntry> m_entries[2];
    UINT_PTR m_nTimer = 0;
};
