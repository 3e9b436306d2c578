// The one way up from a page or panel (and from the configuration window) to
// the controller that shows the lower panels.  The controller sets
// g_pPanelDoor while it exists; callers check it and do nothing without one.
#pragma once

#include "classlib/ClassLib.h"
#include "pagebase/Panels.h"

class CChildPage;

class CPanelDoor {
public:
    // Shows lower panel n (PANEL_*) and hides the others: CHideDlg::ShowPage.
    virtual void ShowPanel(int n) = 0;
    // Lower panel n of the open configuration window; NULL without one.
    virtual CChildPage* OpenedPanel(int n) = 0;
    // The same only when the panel is made already: for a look at it (is it
    // in front?) that has no need to make it.
    virtual CChildPage* MadePanel(int n) = 0;
    // Finds and opens the adapter again: FALSE when it is gone.
    virtual BOOL ReopenAdapter() = 0;
    // The SSID of the profile the profile page activated last ("" when none).
    virtual CString AppliedSsid() = 0;
    // Brings the Profile page to the front with its list read again (after
    // the editor saved a profile).
    virtual void ShowProfileList() = 0;
    // A profile name no listed profile has yet ("PROF" and the next number).
    virtual CString NewProfileName() = 0;

protected:
    ~CPanelDoor() = default;
};

extern CPanelDoor* g_pPanelDoor;
