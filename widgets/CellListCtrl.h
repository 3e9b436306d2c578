// A report list that keeps no cell data: for every cell it draws, and for
// every text the list control itself needs, it asks its parent through one
// reusable record (the cell protocol).
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/HeaderCtrl.h"
#include "classlib/ImageList.h"
#include "widgets/GradientFill.h"

#include <vector>

// Messages to the parent; wParam is the list's window, lParam the record.
#define WM_CELLLIST_GETCELLINFO    (WM_USER + 1979)   // CListCellInfo*
#define WM_CELLLIST_COLUMNCHANGING (WM_USER + 1980)   // ColumnChangeInfo*
#define WM_CELLLIST_CELLCLICK      (WM_USER + 1981)   // CellHitInfo*
#define WM_CELLLIST_HEADERRCLICK   (WM_USER + 1982)   // HeaderClickInfo*

// A colour left at this value means the system colour the field names.
#define CELL_COLOR_DEFAULT ((COLORREF)0xFF000000)

class CListCellInfo {
public:
    CListCellInfo() { Reset(); }
    void Reset();
    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nColumn; }

    CString m_strText;                // every "&" shows as itself
    CString m_strTooltip;             // empty: no tooltip
    BYTE m_bNoSelection;              // draw this cell as not selected
    BYTE m_bSpare;
    BYTE m_bBold;
    BYTE m_bItalic;
    UINT m_nFormat;                   // DrawText format
    int m_nImage;                     // -1: no image
    CImageList* m_pImageList;         // the list's small images unless the parent replaces it
    BYTE m_bImageIgnoresSelection;
    BYTE m_bCenterImage;
    UINT m_nSelectedImageStyle;       // ILD_ style of the image on a selected row
    UINT m_nCheckState;               // DrawFrameControl state
    BYTE m_bCheckBox;
    BYTE m_bCenterCheckBox;
    BYTE m_bCheckIgnoresSelection;
    int m_nBarMax;                    // 1 or more: the cell shows a bar
    int m_nBarValue;
    COLORREF m_crBar;                 // carried, not drawn
    COLORREF m_crBarText;             // text over the filled part
    UINT m_nBarEdge;                  // DrawEdge edge; 0: no edge, no inset
    COLORREF m_crText;
    COLORREF m_crBackground;
    COLORREF m_crHotText;
    COLORREF m_crSelectedText;
    COLORREF m_crSelectedBkFocused;
    COLORREF m_crSelectedBkUnfocused;
    COLORREF m_crFocusCellText;
    COLORREF m_crFocusCellBk;
    int m_nRow;                       // set by the list
    int m_nColumn;
    BYTE m_bSelected;
    BYTE m_bHot;
};

struct ColumnChangeInfo {
    int nOldColumn;
    int nNewColumn;
    BOOL bAllow;                      // the parent clears it to refuse
};

struct CellHitInfo {
    int nRow;                         // -1: none
    int nColumn;
    BYTE bOnImage;
    BYTE bOnCheckBox;
};

struct HeaderClickInfo {
    int nColumn;                      // -1: the point is on no header item
    POINT pt;                         // screen coordinates
};

class CCellListCtrl : public CListCtrl {
public:
    // Parts of a cell for RedrawCells.
    enum CellPart { PART_CELL = 0, PART_CHECKBOX = 1, PART_IMAGE = 2, PART_TEXT = 3 };
    enum { SEARCH_FOCUS_COLUMN = -1, SEARCH_NONE = -2 };

    CCellListCtrl();
    ~CCellListCtrl() override;

    // Resets the record, fills what the list knows and asks the parent.
    virtual CListCellInfo* GetCellInfo(int row, int column);

    void EnableColumnFocus(BOOL enable) { m_bColumnFocus = enable ? 1 : 0; }
    BOOL IsColumnFocusEnabled() const { return m_bColumnFocus; }
    int GetFocusColumn() const { return m_nFocusColumn; }
    int GetFocusedItem() const { return GetNextItem(-1, LVNI_FOCUSED); }
    void SetFocusColumn(int column);

    void RedrawCells(int firstRow, int lastRow, int column, int part, BOOL erase);
    void RedrawRows(int firstRow, int lastRow, int column, BOOL erase = TRUE) { RedrawCells(firstRow, lastRow, column, PART_TEXT, erase); }
    void RedrawCell(int row, int column, BOOL erase = TRUE) { RedrawCells(row, row, column, PART_CELL, erase); }
    BOOL GetCellRect(int row, int column, int code, RECT* rect) const;

    // While the list paints: a number that differs from one paint to the
    // next (0 outside a paint).  What a parent reads of its own controls for
    // the cells can be read once for all the cells of one paint.
    unsigned PaintSerial() const { return m_pPaint ? m_nPaints : 0; }

    void SetEmptyText(const char* text) { m_strEmptyText = text; Invalidate(); }
    const CString& GetEmptyText() const { return m_strEmptyText; }

    // The tool under a point: id row x 1000 + column + 1, or -1 on no item.
    virtual INT_PTR OnToolHitTest(CPoint point, TOOLINFOA* info) const;

    BOOL PreTranslateMessage(MSG* msg) override;
    void PreSubclassWindow() override { CListCtrl::PreSubclassWindow(); }
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    CGradientFill m_gradient;        // the in-cell bars
    int m_nSearchColumn = SEARCH_FOCUS_COLUMN;

protected:
    DECLARE_MESSAGE_MAP()
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    void OnPaint();
    void OnMouseMove(UINT, CPoint) {}  // the list never sees mouse moves: no hover effects
    void OnKeyDown(UINT key, UINT repeat, UINT flags);

private:
    // Where the pieces of one cell go, from its record.
    struct CellLayout {
        CRect cell, check, image, text;
    };
    CellLayout LayoutCell(const CListCellInfo& info, const CRect& cell) const;
    // What a cell's record takes from the list itself.
    struct ListState {
        bool focused = false;
        DWORD exStyle = 0, style = 0;
        int hotItem = -1;
        HIMAGELIST images = nullptr;
    };
    // A picture of the image list over a solid background, drawn once per paint.
    struct ImageTile {
        HIMAGELIST images;
        int index, cx, cy;
        UINT style;
        COLORREF fg, background;
        HBITMAP bitmap;
    };
    struct PaintState {
        PaintState() = default;
        PaintState(const PaintState&) = delete;
        PaintState& operator=(const PaintState&) = delete;
        ~PaintState();
        ListState list;
        std::vector<UINT> align;      // DT_ alignment of each header item
        std::vector<ImageTile> tiles;
        HDC tileDC = nullptr;
        HDC bitsDC = nullptr;   // the DC whose bits per pixel are known
        int bits = 0;
    };
    ListState ReadListState() const;
    UINT ColumnAlignment(int column) const;
    void DrawCell(CDC* dc, int row, int column);
    void DrawImage(CDC* dc, IMAGELISTDRAWPARAMS& p, COLORREF background);
    // The device's bits per pixel, asked once per paint.
    int DeviceBits(CDC* dc);
    void DrawCellText(CDC* dc, const CListCellInfo& info, const CString& text, CRect rect, UINT format);
    HFONT StyledFont(HFONT base, BOOL bold, BOOL italic);
    bool HasFocus() const { return ::GetFocus() == m_hWnd; }
    CHeaderCtrl* Header() const;
    void InvalidateFocusCells(int oldColumn, int newColumn);

    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* cd);
    LRESULT OnClick(NMITEMACTIVATE* item);
    LRESULT OnGetDispInfo(NMLVDISPINFOA* info);
    LRESULT OnFindItem(int start, UINT flags, const char* text);
    LRESULT OnFindItemW(NMLVFINDITEMW* find);
    void OnHeaderRClick();
    BOOL OnNeedToolText(NMHDR* hdr);
    void RelayToolTip(MSG* msg);

    BYTE m_bColumnFocus = 1;
    int m_nFocusColumn = 0;
    CString m_strEmptyText;
    CListCellInfo m_cellInfo;
    CImageList m_ilSmall;             // borrows the list's small image list; detached, never freed
    HWND m_hToolTip = nullptr;
    INT_PTR m_nLastTool = -1;
    HFONT m_hStyledBase = nullptr;    // the font the bold and italic fonts were made from
    HFONT m_hStyled[4] = {};          // [bold + 2 x italic]
    mutable CHeaderCtrl m_header;
    PaintState* m_pPaint = nullptr;   // while the list paints
    unsigned m_nPaints = 0;
};
