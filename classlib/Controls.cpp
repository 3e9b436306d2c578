#include "classlib/Controls.h"
#include "classlib/WinApp.h"

void CComboBox::GetLBText(int index, CString& text) const
{
    int n = GetLBTextLen(index);
    if (n < 0) { text.Empty(); return; }
    char* buf = text.GetBuffer(n + 1);
    SendMessage(CB_GETLBTEXT, (WPARAM)index, (LPARAM)buf);
    text.ReleaseBuffer();
}

void CListBox::GetText(int index, CString& text) const
{
    int n = (int)SendMessage(LB_GETTEXTLEN, (WPARAM)index);
    if (n < 0) { text.Empty(); return; }
    char* buf = text.GetBuffer(n + 1);
    SendMessage(LB_GETTEXT, (WPARAM)index, (LPARAM)buf);
    text.ReleaseBuffer();
}

int CListCtrl::InsertColumn(int col, const char* heading, int format, int width, int subItem)
{
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_FMT;
    c.fmt = format;
    c.pszText = const_cast<char*>(heading);
    if (width != -1) { c.mask |= LVCF_WIDTH; c.cx = width; }
    if (subItem != -1) { c.mask |= LVCF_SUBITEM; c.iSubItem = subItem; }
    return (int)SendMessage(LVM_INSERTCOLUMNA, (WPARAM)col, (LPARAM)&c);
}

int CListCtrl::InsertItem(int item, const char* text)
{
    LVITEMA it = {};
    it.mask = LVIF_TEXT;
    it.iItem = item;
    it.pszText = const_cast<char*>(text);
    return (int)SendMessage(LVM_INSERTITEMA, 0, (LPARAM)&it);
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text)
{
    LVITEMA it = {};
    it.iSubItem = subItem;
    it.pszText = const_cast<char*>(text);
    return (BOOL)SendMessage(LVM_SETITEMTEXTA, (WPARAM)item, (LPARAM)&it);
}

CString CListCtrl::GetItemText(int item, int subItem) const
{
    char buf[1024] = "";
    LVITEMA it = {};
    it.iSubItem = subItem;
    it.pszText = buf;
    it.cchTextMax = sizeof(buf);
    SendMessage(LVM_GETITEMTEXTA, (WPARAM)item, (LPARAM)&it);
    return CString(buf);
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask)
{
    LVITEMA it = {};
    it.state = state;
    it.stateMask = mask;
    return (BOOL)SendMessage(LVM_SETITEMSTATE, (WPARAM)item, (LPARAM)&it);
}

BOOL CMenu::LoadMenu(UINT id)
{
    return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)));
}

int CMenu::GetMenuString(UINT id, CString& text, UINT flags) const
{
    char buf[256] = "";
    int n = ::GetMenuStringA(m_hMenu, id, buf, sizeof(buf), flags);
    text = buf;
    return n;
}
