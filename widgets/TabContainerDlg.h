// A child dialog that holds page dialogs and pairs each with a skinned tab
// button placed anywhere by the owner; it shows the page of the clicked tab.
// Buttons registered for forwarding have their clicks handed to its parent.
#pragma once

#include <map>

#include "widgets/SkinButton.h"

class CTabContainerDlg : public CDialog {
public:
    CTabContainerDlg(UINT templateId, CWnd* parent);
    ~CTabContainerDlg() override;

    // Stores the pair under the next tab index; 1.
    int AddPage(CWnd* page, CSkinButton* tab);
    // Stores the button under the next forwarded index; 1.
    int AddForwardButton(CWnd* button);
    // Moves every page to rcPage; shows the page of showIndex and selects its tab.
    void PlacePages(CRect rcPage, int cxTab, int cyTab, int showIndex);
    void HideAllPages();
    void ClearTabSelection();

    int GetTabCount() const { return m_nTabCount; }
    CWnd* GetPage(int index) const;
    CSkinButton* GetTab(int index) const;

    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void DoDataExchange(CDataExchange* pDX) override;

private:
    int m_nTabCount = 0;
    int m_nForwardCount = 0;
    // Not owned: the owner keeps pages and buttons.
    std::map<int, CWnd*> m_mapPages;
    std::map<int, CSkinButton*> m_mapTabs;
    std::map<int, CWnd*> m_mapForward;
};
