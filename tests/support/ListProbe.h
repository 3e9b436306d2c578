// Reads a report list as a person sees it: the text and the image of a cell,
// through the list-view's own messages (owner-data lists answer them from
// their parent), and puts the focus on a row.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace kqtest {

inline int ListRowCount(HWND list) { return (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); }

// Texts of up to 299 characters (a row of the authentication status list holds 255).
inline std::string ListCellText(HWND list, int row, int col)
{
    char buf[300] = {};
    LVITEMA item = {};
    item.iSubItem = col;
    item.pszText = buf;
    item.cchTextMax = sizeof(buf);
    SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return buf;
}

// -1 when the cell has no image.
inline int ListCellImage(HWND list, int row, int col)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = col;
    item.iImage = -1;
    SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item);
    return item.iImage;
}

inline void SelectListRow(HWND list, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

}  // namespace kqtest
