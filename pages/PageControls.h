// How the settings pages dress their owner-drawn controls and tabs, in one
// place: the drop-down buttons, the check boxes and radios with their
// pictures, and the skinned tab buttons of a tab container.
#pragma once

#include "classlib/ClassLib.h"
#include "widgets/OwnerDrawButton.h"
#include "widgets/SkinButton.h"

class CChildPage;
class CTabContainerDlg;

// A raised button that opens the menu's first popup, its commands going to owner.
void StyleMenuButton(COwnerDrawButton& button, UINT menu, HWND owner);
// A check box or radio drawn with the check or option pictures.
void StyleCheck(COwnerDrawButton& button, BOOL radio);
// The tab buttons' font: "Trebuchet MS", height pixels.
void CreateTabFont(CFont& font, int height);
// Creates a skinned tab button at rect on the container, creates the page
// as a child of the container and pairs the two; null when either fails.
// The caller owns the button.
CSkinButton* AddSkinnedTab(CTabContainerDlg* tabs, CChildPage* page, UINT id, const char* text, const CRect& rect,
                           CFont* font);

// The tabbed area of a settings panel (the profile editor, the connect
// settings): a tab container across the top of the panel, one skinned tab
// button per page side by side, the first page in front.
struct SettingsTab {
    UINT id;             // the tab button's control id
    UINT text;           // its string
    CChildPage* page;    // made by the caller, created here
};
// The container (null when it cannot be made); buttons[i] is the button of
// tabs[i], null from the first tab that failed.  The caller owns them all.
CTabContainerDlg* CreateSettingsTabs(CWnd* host, const SettingsTab* tabs, int n, CFont& font, CSkinButton** buttons);
// The panel's OK and Cancel below the tab area, skinned.
void PlaceSettingsButtons(CSkinButton& ok, CSkinButton& cancel);
