// Thin wrappers of the standard and common controls.
#pragma once

#include "classlib/Wnd.h"

class CButton : public CWnd {
public:
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::CreateEx(0, "BUTTON", caption, style | WS_CHILD, rect, parent, id);
    }
    int GetCheck() const { return (int)SendMessage(BM_GETCHECK); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, (WPARAM)check); }
    UINT GetState() const { return (UINT)SendMessage(BM_GETSTATE); }
    void SetState(BOOL highlight) { SendMessage(BM_SETSTATE, (WPARAM)highlight); }
    UINT GetButtonStyle() const { return (UINT)GetStyle() & 0xFF; }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
    HICON SetIcon(HICON icon) { return (HICON)SendMessage(BM_SETIMAGE, IMAGE_ICON, (LPARAM)icon); }
    HBITMAP SetBitmap(HBITMAP bmp) { return (HBITMAP)SendMessage(BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp); }
    // Owner-drawn buttons draw here; the parent passes WM_DRAWITEM back to the button.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (msg == WM_DRAWITEM) {
            DrawItem((LPDRAWITEMSTRUCT)lParam);
            *pResult = TRUE;
            return TRUE;
        }
        return CWnd::OnChildNotify(msg, wParam, lParam, pResult);
    }
};

class CStatic : public CWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF)
    {
        return CWnd::CreateEx(0, "STATIC", text, style | WS_CHILD, rect, parent, id);
    }
    HICON SetIcon(HICON icon) { return (HICON)SendMessage(STM_SETICON, (WPARAM)icon); }
    HICON GetIcon() const { return (HICON)SendMessage(STM_GETICON); }
    HBITMAP SetBitmap(HBITMAP bmp) { return (HBITMAP)SendMessage(STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bmp); }
};

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::CreateEx(0, "EDIT", "", style | WS_CHILD, rect, parent, id);
    }
    void LimitText(int n = 0) { SendMessage(EM_LIMITTEXT, (WPARAM)n); }
    void SetSel(int start, int end, BOOL noScroll = FALSE)
    {
        SendMessage(EM_SETSEL, (WPARAM)start, (LPARAM)end);
        if (!noScroll) SendMessage(EM_SCROLLCARET);
    }
    void GetSel(int& start, int& end) const { SendMessage(EM_GETSEL, (WPARAM)&start, (LPARAM)&end); }
    void ReplaceSel(const char* text, BOOL canUndo = FALSE) { SendMessage(EM_REPLACESEL, canUndo, (LPARAM)text); }
    void SetPasswordChar(char ch) { SendMessage(EM_SETPASSWORDCHAR, (WPARAM)(unsigned char)ch); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return (BOOL)SendMessage(EM_SETREADONLY, readOnly); }
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CWnd::CreateEx(0, "COMBOBOX", "", style | WS_CHILD, rect, parent, id);
    }
    int AddString(const char* s) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int index, const char* s) { return (int)SendMessage(CB_INSERTSTRING, (WPARAM)index, (LPARAM)s); }
    int DeleteString(int index) { return (int)SendMessage(CB_DELETESTRING, (WPARAM)index); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return (int)SendMessage(CB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(CB_GETCURSEL); }
    int SetCurSel(int index) { return (int)SendMessage(CB_SETCURSEL, (WPARAM)index); }
    int FindStringExact(int start, const char* s) const { return (int)SendMessage(CB_FINDSTRINGEXACT, (WPARAM)start, (LPARAM)s); }
    int SelectString(int start, const char* s) { return (int)SendMessage(CB_SELECTSTRING, (WPARAM)start, (LPARAM)s); }
    int SetItemData(int index, DWORD_PTR data) { return (int)SendMessage(CB_SETITEMDATA, (WPARAM)index, (LPARAM)data); }
    DWORD_PTR GetItemData(int index) const { return (DWORD_PTR)SendMessage(CB_GETITEMDATA, (WPARAM)index); }
    int GetLBTextLen(int index) const { return (int)SendMessage(CB_GETLBTEXTLEN, (WPARAM)index); }
    void GetLBText(int index, CString& text) const;
    void LimitText(int n) { SendMessage(CB_LIMITTEXT, (WPARAM)n); }
    BOOL GetDroppedState() const { return (BOOL)SendMessage(CB_GETDROPPEDSTATE); }
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, show); }
};

class CListBox : public CWnd {
public:
    int AddString(const char* s) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int index, const char* s) { return (int)SendMessage(LB_INSERTSTRING, (WPARAM)index, (LPARAM)s); }
    int DeleteString(int index) { return (int)SendMessage(LB_DELETESTRING, (WPARAM)index); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return (int)SendMessage(LB_GETCOUNT); }
    int GetCurSel() const { return (int)SendMessage(LB_GETCURSEL); }
    int SetCurSel(int index) { return (int)SendMessage(LB_SETCURSEL, (WPARAM)index); }
    int SetItemData(int index, DWORD_PTR data) { return (int)SendMessage(LB_SETITEMDATA, (WPARAM)index, (LPARAM)data); }
    DWORD_PTR GetItemData(int index) const { return (DWORD_PTR)SendMessage(LB_GETITEMDATA, (WPARAM)index); }
    void GetText(int index, CString& text) const;
    int SetTopIndex(int index) { return (int)SendMessage(LB_SETTOPINDEX, (WPARAM)index); }
};

class CScrollBar : public CWnd {
public:
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int pos, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw); }
};

class CSliderCtrl : public CWnd {
public:
    int GetPos() const { return (int)SendMessage(TBM_GETPOS); }
    void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, pos); }
    void SetRange(int minVal, int maxVal, BOOL redraw = FALSE) { SendMessage(TBM_SETRANGEMIN, FALSE, minVal); SendMessage(TBM_SETRANGEMAX, redraw, maxVal); }
    int GetRangeMin() const { return (int)SendMessage(TBM_GETRANGEMIN); }
    int GetRangeMax() const { return (int)SendMessage(TBM_GETRANGEMAX); }
    void SetTicFreq(int freq) { SendMessage(TBM_SETTICFREQ, (WPARAM)freq); }
    int SetPageSize(int size) { return (int)SendMessage(TBM_SETPAGESIZE, 0, size); }
    int SetLineSize(int size) { return (int)SendMessage(TBM_SETLINESIZE, 0, size); }
};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, (WPARAM)lower, (LPARAM)upper); }
    int SetPos(int pos) { return (int)SendMessage(PBM_SETPOS, (WPARAM)pos); }
    int GetPos() const { return (int)SendMessage(PBM_GETPOS); }
};

class CListCtrl : public CWnd {
public:
    int InsertColumn(int col, const char* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int col) { return (BOOL)SendMessage(LVM_DELETECOLUMN, (WPARAM)col); }
    int InsertItem(int item, const char* text);
    BOOL SetItemText(int item, int subItem, const char* text);
    CString GetItemText(int item, int subItem) const;
    BOOL DeleteItem(int item) { return (BOOL)SendMessage(LVM_DELETEITEM, (WPARAM)item); }
    BOOL DeleteAllItems() { return (BOOL)SendMessage(LVM_DELETEALLITEMS); }
    int GetItemCount() const { return (int)SendMessage(LVM_GETITEMCOUNT); }
    BOOL SetItemCount(int count) { return (BOOL)SendMessage(LVM_SETITEMCOUNT, (WPARAM)count, LVSICF_NOINVALIDATEALL); }
    int GetNextItem(int start, int flags) const { return (int)SendMessage(LVM_GETNEXTITEM, (WPARAM)start, MAKELPARAM(flags, 0)); }
    int GetSelectionMark() const { return (int)SendMessage(LVM_GETSELECTIONMARK); }
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const { return (UINT)SendMessage(LVM_GETITEMSTATE, (WPARAM)item, (LPARAM)mask); }
    DWORD SetExtendedStyle(DWORD style) { return (DWORD)SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)style); }
    DWORD GetExtendedStyle() const { return (DWORD)SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    BOOL SetColumnWidth(int col, int cx) { return (BOOL)SendMessage(LVM_SETCOLUMNWIDTH, (WPARAM)col, MAKELPARAM(cx, 0)); }
    int GetColumnWidth(int col) const { return (int)SendMessage(LVM_GETCOLUMNWIDTH, (WPARAM)col); }
    BOOL GetItemRect(int item, RECT* r, UINT code) const { r->left = (LONG)code; return (BOOL)SendMessage(LVM_GETITEMRECT, (WPARAM)item, (LPARAM)r); }
    BOOL EnsureVisible(int item, BOOL partialOK) { return (BOOL)SendMessage(LVM_ENSUREVISIBLE, (WPARAM)item, partialOK); }
    HWND GetHeaderCtrl() const { return (HWND)SendMessage(LVM_GETHEADER); }
    HIMAGELIST SetImageList(HIMAGELIST list, int kind) { return (HIMAGELIST)SendMessage(LVM_SETIMAGELIST, (WPARAM)kind, (LPARAM)list); }
    BOOL RedrawItems(int first, int last) { return (BOOL)SendMessage(LVM_REDRAWITEMS, (WPARAM)first, (LPARAM)last); }
    BOOL GetSubItemRect(int item, int subItem, int code, RECT* r) const
    {
        r->top = subItem;
        r->left = code;
        return (BOOL)SendMessage(LVM_GETSUBITEMRECT, (WPARAM)item, (LPARAM)r);
    }
    int SubItemHitTest(LVHITTESTINFO* info) const { return (int)SendMessage(LVM_SUBITEMHITTEST, 0, (LPARAM)info); }
    int GetHotItem() const { return (int)SendMessage(LVM_GETHOTITEM); }
    int GetTopIndex() const { return (int)SendMessage(LVM_GETTOPINDEX); }
    int GetCountPerPage() const { return (int)SendMessage(LVM_GETCOUNTPERPAGE); }
    BOOL Scroll(int dx, int dy) { return (BOOL)SendMessage(LVM_SCROLL, (WPARAM)dx, (LPARAM)dy); }
    HIMAGELIST GetImageList(int kind) const { return (HIMAGELIST)SendMessage(LVM_GETIMAGELIST, (WPARAM)kind); }
    COLORREF GetTextColor() const { return (COLORREF)SendMessage(LVM_GETTEXTCOLOR); }
    COLORREF GetBkColor() const { return (COLORREF)SendMessage(LVM_GETBKCOLOR); }
};

class CMenu {
public:
    CMenu() = default;
    virtual ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL LoadMenu(UINT id);
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL Attach(HMENU h) { DestroyMenu(); m_hMenu = h; return h != nullptr; }
    HMENU Detach() { HMENU h = m_hMenu; m_hMenu = nullptr; return h; }
    BOOL DestroyMenu()
    {
        if (!m_hMenu) return FALSE;
        BOOL ok = ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
        return ok;
    }
    HMENU GetSubMenu(int pos) const { return ::GetSubMenu(m_hMenu, pos); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(m_hMenu, pos); }
    int GetMenuString(UINT id, CString& text, UINT flags) const;
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr) { return ::AppendMenuA(m_hMenu, flags, id, text); }
    BOOL ModifyMenu(UINT pos, UINT flags, UINT_PTR id = 0, const char* text = nullptr) { return ::ModifyMenuA(m_hMenu, pos, flags, id, text); }
    UINT EnableMenuItem(UINT id, UINT enable) { return ::EnableMenuItem(m_hMenu, id, enable); }
    UINT CheckMenuItem(UINT id, UINT check) { return ::CheckMenuItem(m_hMenu, id, check); }
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, const RECT* r = nullptr) const
    {
        return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, wnd ? wnd->m_hWnd : nullptr, r);
    }
    // Owner-drawn items are measured and drawn here.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
};
