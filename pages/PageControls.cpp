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

namespace {

// Layout of a settings panel (pixels of its client area).
const int kTabAreaTop = 2, kTabAreaWidth = 794, kTabAreaHeight = 260;
const CRect kPageRect(20, 35, 774, 270);
const int kTabLeft = 20, kTabTop = 10, kTabWidth = 120, kTabHeight = 25;
const int kButtonTop = 268, kButtonWidth = 100, kButtonHeight = 30;

}  // namespace

CTabContainerDlg* CreateSettingsTabs(CWnd* host, const SettingsTab* tabs, int n, CFont& font, CSkinButton** buttons)
{
    for (int i = 0; i < n; ++i) buttons[i] = nullptr;
    CTabContainerDlg* container = new CTabContainerDlg(IDD_TAB_CONTAINER, host);
    if (!container->Create(IDD_TAB_CONTAINER, host)) {
        delete container;
        return nullptr;
    }
    container->SetWindowPos(nullptr, 0, kTabAreaTop, kTabAreaWidth, kTabAreaHeight, SWP_NOZORDER);
    container->ShowWindow(SW_SHOW);
    CreateTabFont(font, 18);
    for (int i = 0; i < n; ++i) {
        int x = kTabLeft + i * kTabWidth;
        buttons[i] = AddSkinnedTab(container, tabs[i].page, tabs[i].id, StringFromTable(tabs[i].text),
                                   CRect(x, kTabTop, x + kTabWidth, kTabTop + kTabHeight), &font);
        if (!buttons[i]) break;
    }
    container->PlacePages(kPageRect, kTabWidth, kTabHeight, 0);
    return container;
}

void PlaceSettingsButtons(CSkinButton& ok, CSkinButton& cancel)
{
    PlaceControl(&ok, kTabAreaWidth - 2 * kButtonWidth - 40, kButtonTop, kButtonWidth, kButtonHeight, IDS_OK);
    PlaceControl(&cancel, kTabAreaWidth - kButtonWidth - 20, kButtonTop, kButtonWidth, kButtonHeight, IDS_CANCEL);
    for (CSkinButton* b : { &ok, &cancel }) b->BuildSkin(2, 8, 10, 0, RGB(0, 0, 0), 0, 0);
}
