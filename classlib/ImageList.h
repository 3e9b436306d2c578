// CImageList: an image list the object owns.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;
    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        DeleteImageList();
        m_hImageList = ::ImageList_Create(cx, cy, flags, initial, grow);
        return m_hImageList != nullptr;
    }
    BOOL Attach(HIMAGELIST h) { DeleteImageList(); m_hImageList = h; return h != nullptr; }
    HIMAGELIST Detach() { HIMAGELIST h = m_hImageList; m_hImageList = nullptr; return h; }
    BOOL DeleteImageList()
    {
        if (!m_hImageList) return FALSE;
        BOOL ok = ::ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return ok;
    }
    int GetImageCount() const { return m_hImageList ? ::ImageList_GetImageCount(m_hImageList) : 0; }
    BOOL GetIconSize(int* cx, int* cy) const { return ::ImageList_GetIconSize(m_hImageList, cx, cy); }
    // Images from a bitmap; the mask bitmap or the mask colour marks what stays transparent.
    int Add(HBITMAP image, HBITMAP mask) { return ::ImageList_Add(m_hImageList, image, mask); }
    int Add(HBITMAP image, COLORREF mask) { return ::ImageList_AddMasked(m_hImageList, image, mask); }
    int Add(HICON icon) { return ::ImageList_AddIcon(m_hImageList, icon); }
    BOOL Replace(int index, HBITMAP image, HBITMAP mask) { return ::ImageList_Replace(m_hImageList, index, image, mask); }
    BOOL Remove(int index) { return ::ImageList_Remove(m_hImageList, index); }
    BOOL GetImageInfo(int index, IMAGEINFO* info) const { return ::ImageList_GetImageInfo(m_hImageList, index, info); }
    HICON ExtractIcon(int index) const { return ::ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }
    COLORREF SetBkColor(COLORREF c) { return ::ImageList_SetBkColor(m_hImageList, c); }
    BOOL Draw(HDC dc, int index, POINT pt, UINT style) const
    {
        return ::ImageList_Draw(m_hImageList, index, dc, pt.x, pt.y, style);
    }
};
