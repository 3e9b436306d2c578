// Lines of the authentication status list: 200 lines of 256 bytes, written by
// the library's status thread and the network check, announced to the status
// page with WM_APP_AUTH_LOG_LINE.
#pragma once

#include <windows.h>

#define WM_APP_AUTH_LOG_LINE (WM_APP + 2)   // 0x8002, wParam = ring index of the new line
#define AUTH_LOG_LINES 200

struct AuthLogRing {
    char lines[AUTH_LOG_LINES][256];
    int writeIndex;
};

extern AuthLogRing g_AuthLogRing;   // the authentication status lines; zeroed by the controller at start

// Writes the text (cut to 255 characters) at the write index, announces it
// to the status page when that exists, and advances the index (wrapping at 200).
void AppendAuthLogLine(const char* text);
