// Names shared by the Zero Configuration service stand-in, the set-up tool
// and the tests.
#pragma once

#define KQWZC_SERVICE_NAME   "WZCSVC"
#define KQWZC_DISPLAY_NAME   "Wireless Zero Configuration"
#define KQWZC_IMAGE_NAME     "kqwzcsvc.exe"

// The stand-in's own settings (REG_DWORD), read whenever it starts.
#define KQWZC_CONTROL_KEY      "SOFTWARE\\KestiqSim\\WZCSVC"
#define KQWZC_START_PENDING_MS "StartPendingMs"   // time spent in START_PENDING
#define KQWZC_STOP_DELAY_MS    "StopDelayMs"      // time spent in STOP_PENDING

// Where the service keeps its per-interface settings, one subkey per
// adapter's NetCfgInstanceId; ControlFlags bit 0x8000: it manages that one.
#define KQWZC_INTERFACES_KEY "SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces"
