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
    // requestOid: the set OID that OK sends the request with.
    CBaSessionDlg(UINT templateId, DWORD requestOid, CConfigMainDlg* pMainDlg)
        : CChildPage(templateId, pMainDlg), m_dwRequestOid(requestOid) {}
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);
    // OK: the choice taken, the request sent (3 tries), back to link status.
    void OnOkButton();
    void OnCancelButton();
    // The bytes of the request that only one of the dialogs fills.
    virtual void CompleteRequest(BaSessionRequest& request) const = 0;

    void FillBssidList();
    // The chosen TID and peer into the members; FALSE after telling the user
    // that no peer is chosen.
    BOOL TakeChoice();
    // The request's direction, peer and TID.
    BaSessionRequest NewRequest() const;
    void ReturnToLinkStatus();

    CCellListCtrl m_list;

private:
    const DWORD m_dwRequestOid;
    std::vector<CString> m_peers;
};

class CAddBaDlg : public CBaSessionDlg {
public:
    explicit CAddBaDlg(CConfigMainDlg* pMainDlg);

    // The window size limit of the session (0-255: one byte of the request).
    int m_nWindowSize = 64;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    void OnShowWindow(BOOL bShow, UINT status);
    void CompleteRequest(BaSessionRequest& request) const override;
};

class CDeleteBaDlg : public CBaSessionDlg {
public:
    explicit CDeleteBaDlg(CConfigMainDlg* pMainDlg);

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
    void CompleteRequest(BaSessionRequest& request) const override;

private:
    std::vector<BaTidEntry> m_entries;
};
