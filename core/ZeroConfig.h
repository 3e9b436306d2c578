// Zero Configuration hand-over: who manages the adapter, this program or the
// Windows Zero Configuration service (WZCSVC), and the commands that hand it
// from one to the other.
#pragma once

#include <windows.h>

// Values of g_nWzcMode (-1 until first read).
enum WzcMode {
    WZC_NOT_INVOLVED = 0,    // OS code below XP, or the service not running
    WZC_OWN_TOOL = 1,        // the service runs but this program manages the adapter
    WZC_MANAGES = 2          // the Zero Configuration service manages the adapter
};

// Written by the controller (GetWzcMode at start-up and on every timer event)
// and by the hand-over commands OnUseWzc and OnUseOwnTool.
extern int g_nWzcMode;

constexpr char WZC_SERVICE_NAME[] = "WZCSVC";
// Followed by the adapter's NetCfgInstanceId.
constexpr char WZC_INTERFACES_KEY[] = "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\";
constexpr char WZC_CONTROL_FLAGS[] = "ControlFlags";
constexpr DWORD WZC_FLAG_MANAGES = 0x8000;

int GetWzcMode();
// Sets the interface's manage bit and has the service run (automatic start).
void EnableWzcOnAdapter();
// Stops the service; bDemand also sets it to on-demand start.
void StopWzcService(BOOL bDemand);

// The tray commands of the controller (OnUseWzc, OnUseOwnTool): the service
// takes the adapter (the Profile button goes off, the Network page comes to
// the front), or this program takes it back and applies the stored profile.
void HandOverToWzc();
void TakeBackFromWzc();
// When an 802.1X port object exists: stops authentication, then closes the
// port (the hand-over and the switch to access-point mode).
void StopAuthenticationAndClosePort();

// The sibling tools in the program's folder.
constexpr char AP_TOOL_EXE[] = "Fendrel.exe";
constexpr char MODE_SWITCH_EXE[] = "Miskor.exe";
constexpr char SWITCH_TO_AP_COMMAND[] = "\"Miskor.exe\" ON Kestiq Fendrel \"Obrint Wireless\"";
