// CToolBar: a toolbar window filled from a toolbar resource (RT_TOOLBAR, 241)
// and the bitmap of the same id.
#pragma once

#include <vector>

#include "classlib/Wnd.h"

#ifndef RT_TOOLBAR
#define RT_TOOLBAR MAKEINTRESOURCE(241)
#endif
// Control-bar styles of the class library.
#define CBRS_ALIGN_TOP    0x1000L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_TOP          (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define AFX_IDW_TOOLBAR   0xE800   // 59392

// The resource itself: WORD version (1), image width, image height, button
// count, then one command id per button (0 for a separator).
struct CToolBarResource {
    WORD version = 0;
    WORD width = 0;
    WORD height = 0;
    std::vector<WORD> ids;
    // FALSE when the resource is missing, not version 1 or shorter than it says.
    BOOL Load(HINSTANCE inst, UINT id);
};

class CToolBar : public CWnd {
public:
    // The window is a common toolbar; CBRS_TOP puts it along the parent's top edge.
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    BOOL LoadToolBar(UINT id);
    int GetCount() const { return (int)SendMessage(TB_BUTTONCOUNT); }
    UINT GetItemID(int index) const;
    CSize GetImageSize() const { return m_sizeImage; }

private:
    CSize m_sizeImage;
};
