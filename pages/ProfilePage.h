// The upper page "Profile": the stored profiles in a grid, the details of the
// selected one, and Add, Edit, Delete and Activate.  The grid keeps no data:
// it asks the page for every cell.
#pragma once

#include <vector>

#include "classlib/ClassLib.h"
#include "classlib/ImageList.h"
#include "pagebase/ChildPage.h"
#include "widgets/CellListCtrl.h"
#include "widgets/SkinButton.h"

// One row of the grid.
struct ProfileListRow {
    int state = -1;          // -1 nothing, 0 connected with this profile, 1 in use, not connected
    CString name;
    CString ssid;
    int secured = 0;         // 0 open without encryption, else 1
    int networkType = 1;     // image of the last column: 0 ad hoc, 1 infrastructure
};

// The detail texts, in the order of the details pane.
enum ProfileDetail {
    DETAIL_NAME, DETAIL_SSID, DETAIL_NETWORK_TYPE, DETAIL_AUTHENTICATION, DETAIL_ENCRYPTION, DETAIL_USE_8021X,
    DETAIL_CHANNEL, DETAIL_POWER_SAVE, DETAIL_TX_POWER, DETAIL_RTS_THRESHOLD, DETAIL_FRAG_THRESHOLD,
    DETAIL_COUNT
};

// Images of the profile list (bitmap 167).
enum {
    PROFILE_IMAGE_ADHOC = 0,
    PROFILE_IMAGE_INFRASTRUCTURE = 1,
    PROFILE_IMAGE_SECURED = 5,
    PROFILE_IMAGE_CONNECTED = 6,
    PROFILE_IMAGE_NOT_CONNECTED = 7
};

class CProfileEditDlg;

class CProfilePage : public CChildPage {
public:
    explicit CProfilePage(CConfigMainDlg* pMainDlg);
    // The noise draws the page's button skins take as it is made.
    static unsigned SkinDraws();

    void LoadProfileList();
    void SetGridRowCount();
    void ShowProfileDetails();
    // PROF<n>: one more than the largest number of a listed PROF<n> name.
    void MakeNewProfileName(CString& name) const;
    BOOL ActivateProfile(int row);
    BOOL DeleteProfileKey(const char* name);
    BOOL IsActiveProfileRow(int row) const;
    int FindActiveRow() const;
    void SetActiveRowState(int row, int state);
    // The row-state rule of the 3-second timer.
    void UpdateRowState();

    const std::vector<ProfileListRow>& Rows() const { return m_rows; }
    const CString& CurrentProfileName() const { return m_strCurProfile; }
    const CString& Detail(int i) const { return m_strDetails[i]; }
    int SelectedRow() const;

    // What OnApply applied last.
    CString m_strAppliedSsid;
    CString m_strChannel;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT OnGetCellInfo(WPARAM wParam, LPARAM lParam);
    LRESULT OnGridClick(WPARAM wParam, LPARAM lParam);
    void OnAdd();
    void OnEdit();
    void OnApply();
    void OnDelete();
    void OnTimer(UINT_PTR id);
    void OnDestroy();

private:
    BOOL ButtonsMayAct();
    // The profile editor panel, which Add and Edit fill before showing it.
    CProfileEditDlg* Editor() const;
    // The selected row, or -1 after telling the user that none is selected.
    int SelectedRowOrTell();
    void EnableRowButtons(BOOL enable);
    void ClearDetails();
    // 0 connected with the row's profile, 1 not; the row's own state when
    // there is no current profile to compare with.
    int LinkStateOf(const ProfileListRow& row) const;

    CCellListCtrl m_grid;
    std::vector<ProfileListRow> m_rows;
    CString m_strCurProfile;
    CString m_strDetails[DETAIL_COUNT];
    CSkinButton m_btnAdd, m_btnEdit, m_btnDelete, m_btnApply;
    CImageList m_images;
};
