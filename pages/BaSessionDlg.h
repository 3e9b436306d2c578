// The two Block-Ack session dialogs of the 802.11n aggregation dialog: add a
// session with a chosen peer (OID_VENDOR_BA_TABLE) and tear one down
// (OID_VENDOR_BA_DELETE).  The aggregation dialog sets their flags and shows
// them; OK sends the request and Cancel sends nothing, both go back to the
// link status panel.
#pragma once

#include <vector>

#include "classlib/ClassLib.h"
#include "pagebase/ChildPage.h"
#include "pages/BlockAck.h"
#include "widgets/CellListCtrl.h"
#include "resource.h"

class CHtAggregationPage;

// The peers a session can be set up with: the infrastructure networks of the
// driver's latest scan, then the stations of its MAC table that the scan did
// not show; the current BSSID first.  No all-zero address.
std::vector<CString> CollectBaPeers();

// What the two dialogs share: the peer list, the TID list, the road back.
class CBaSessionDlg : public CChildPage {
public:
    // 1: the session is one where this adapter is the originator.
    int m_nOriginator = 1;
    int m_nTid = 0;
    BYTE m_peer[6] = {};

    const std::vector<CString>& Peers() const { return m_peers; }

protected:
    CBaSessionDlg(UINT templateId, CConfigMainDlg* pMainDlg) : CChildPage(templateId, pMainDlg) {}
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);
    void OnCancelButton();

    void FillBssidList();
    // The chosen TID and peer into the members; FALSE after telling the user
    // that no peer is chosen.
    BOOL TakeChoice();
    // The request's direction, peer and TID.
    BaSessionRequest NewRequest() const;
    void ReturnToLinkStatus();

    CCellListCtrl m_list;

private:
    std::vector<CString> m_peers;
};

class CAddBaDlg : public CBaSessionDlg {
public:
    explicit CAddBaDlg(CConfigMainDlg* pMainDlg) : CBaSessionDlg(IDD_ADD_BA, pMainDlg) {}

    // The window size limit of the session (0-255: one byte of the request).
    int m_nWindowSize = 64;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void OnOkButton();
};

class CDeleteBaDlg : public CBaSessionDlg {
public:
    explicit CDeleteBaDlg(CConfigMainDlg* pMainDlg) : CBaSessionDlg(IDD_DELETE_BA, pMainDlg) {}

    // 1: one TID (the TID list shows), 0: every TID.
    int m_nPerTid = 1;
    // 1 for "All": the request tears down every TID of the peer.
    int m_nDeleteAll = 0;
    // The dialog whose sessions it deletes; set by that dialog.
    CHtAggregationPage* m_pAggregation = nullptr;

    // The aggregation dialog's sessions of the direction, copied on showing.
    const std::vector<BaTidEntry>& Entries() const { return m_entries; }

protected:
    DECLARE_MESSAGE_MAP()
    void OnShowWindow(BOOL bShow, UINT status);
    void OnOkButton();

private:
    std::vector<BaTidEntry> m_entries;
};
