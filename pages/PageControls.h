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

// A settings panel's OK and Cancel below its tab area, skinned.
void PlaceSettingsButtons(CSkinButton& ok, CSkinButton& cancel);
