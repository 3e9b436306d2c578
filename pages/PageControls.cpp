#include "pages/PageControls.h"

#include "pagebase/ChildPage.h"
#include "widgets/MessageBoxDlg.h"
#include "widgets/TabContainerDlg.h"
#include "resource.h"

void StyleMenuButton(COwnerDrawButton& b, UINT menu, HWND owner)
{
    b.SetMenu(menu, owner, TRUE);
    b.SetFlat(FALSE);
    b.SetColor(COwnerDrawButton::COLOR_FG_IN, RGB(0, 0, 160));
}

void StyleCheck(COwnerDrawButton& b, BOOL radio)
{
    b.SetIcon(radio ? IDI_OPTION_ON : IDI_CHECK_ON, radio ? IDI_OPTION_OFF : IDI_CHECK_OFF);
    b.DrawBorder(FALSE);
}

void CreateTabFont(CFont& font, int height)
{
    LOGFONTA lf = {};
    lf.lfHeight = height;
    lstrcpynA(lf.lfFaceName, "Trebuchet MS", LF_FACESIZE);
    font.CreateFontIndirect(&lf);
}

CSkinButton* AddSkinnedTab(CTabContainerDlg* tabs, CChildPage* page, UINT id, const char* text, const CRect& rect,
                           CFont* font)
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;   // 0x50010000
    CSkinButton* button = new CSkinButton;
    if (!button->Create(text, style, rect, tabs, id)) {
        delete button;
        return nullptr;
    }
    button->SetFont(font);
    button->BuildSkin(4, 8, 40, 5, RGB(0, 0, 0), 0xB4B4B4, 0x00FF00);
    button->SetAlign(COwnerDrawButton::ALIGN_VERT);
    if (!page->CreatePage(tabs)) {
        delete button;
        return nullptr;
    }
    tabs->AddPage(page, button);
    return button;
}

void PlaceSettingsButtons(CSkinButton& ok, CSkinButton& cancel)
{
    // Pixels of the panel's client area, below the tab area.
    const int top = 268, width = 100, height = 30, right = 794;
    PlaceControl(&ok, right - 2 * width - 40, top, width, height, IDS_OK);
    PlaceControl(&cancel, right - width - 20, top, width, height, IDS_CANCEL);
    for (CSkinButton* b : { &ok, &cancel }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
}
