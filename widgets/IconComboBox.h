// An owner-drawn combo box with an icon and several text columns per item.
// Needs CBS_OWNERDRAWFIXED (or VARIABLE) and CBS_HASSTRINGS.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ImageList.h"

#include <map>
#include <vector>

struct IconComboItem {
    COLORREF crText = 0;
    int nImage = -1;                       // -1: no icon
    std::map<int, CString> columnTexts;    // columns 1 and up; column 0 is the item's own text
    BOOL bBold = FALSE;
};

class CIconComboBox : public CComboBox {
public:
    CIconComboBox();
    ~CIconComboBox() override;

    IconComboItem* GetItemRecord(int item);
    CString GetItemText(int item, int column) const;
    void SetItemText(int item, int column, const char* text);
    void SetColumnWidth(int column, int width);
    void SetColumnCount(int count);
    int GetColumnCount() const { return (int)m_arrColumnWidths.size(); }
    int GetColumnWidth(int column) const;

    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::vector<int> m_arrColumnWidths;
    CImageList* m_pImageList = nullptr;
    BOOL m_bShowIcons = TRUE;

private:
    IconComboItem* RecordOf(int item) const;
    void FreeRecord(int item);
    void FreeAllRecords();
    HFONT BoldFont(HFONT base);
    HFONT m_hBoldBase = nullptr;
    HFONT m_hBold = nullptr;
};
