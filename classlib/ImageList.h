// An image list; the object owns its handle unless it only borrowed it (Attach).
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
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow)
    {
        return Own(ImageList_Create(cx, cy, flags, initial, grow));
    }
    BOOL DeleteImageList()
    {
        HIMAGELIST h = m_hImageList;
        bool owned = m_bOwned;
        m_hImageList = nullptr;
        m_bOwned = false;
        return h && owned ? ImageList_Destroy(h) : FALSE;
    }
    // Borrows a list that someone else frees (a control's list, for example).
    BOOL Attach(HIMAGELIST h) { DeleteImageList(); m_hImageList = h; return h != nullptr; }
    HIMAGELIST Detach() { HIMAGELIST h = m_hImageList; m_hImageList = nullptr; m_bOwned = false; return h; }

    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    BOOL GetIconSize(int* cx, int* cy) const { return ImageList_GetIconSize(m_hImageList, cx, cy); }
    int Add(HBITMAP image, HBITMAP mask) { return ImageList_Add(m_hImageList, image, mask); }
    int Add(HBITMAP image, COLORREF mask) { return ImageList_AddMasked(m_hImageList, image, mask); }
    int Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }
    COLORREF SetBkColor(COLORREF c) { return ImageList_SetBkColor(m_hImageList, c); }
    BOOL Draw(HDC dc, int image, POINT pt, UINT style) const
    {
        return ImageList_Draw(m_hImageList, image, dc, pt.x, pt.y, style);
    }
    BOOL DrawIndirect(IMAGELISTDRAWPARAMS* params) const
    {
        params->cbSize = sizeof(*params);
        params->himl = m_hImageList;
        return ImageList_DrawIndirect(params);
    }

private:
    BOOL Own(HIMAGELIST h) { DeleteImageList(); m_hImageList = h; m_bOwned = h != nullptr; return h != nullptr; }
    bool m_bOwned = false;
};
