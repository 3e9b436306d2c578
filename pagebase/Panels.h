// The configuration window's lower panels by index: the argument of
// CHideDlg::ShowPage, shared by the window, its pages and the controller.
#pragma once

enum {
    PANEL_LINK_STATUS = 0,
    PANEL_HIDDEN_SSID = 1,
    PANEL_PROFILE_EDIT = 2,
    PANEL_CONNECT_SETTINGS = 3,
    PANEL_NETWORK_INFO = 4,
    PANEL_AUTH_STATUS = 5,
    PANEL_WPS_PROFILE_DETAIL = 6,
    PANEL_CREDENTIAL_PROMPT = 7,
    PANEL_PEAP_SETTING = 8,
    PANEL_COUNT = 9
};
