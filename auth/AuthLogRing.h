// Lines of the authentication status list: 200 lines of 256 bytes, written by
// the library's status thread and the network check, announced to the status
// page with WM_APP_AUTH_LOG_LINE.
#pragma once

#include <windows.h>

#define WM_APP_AUTH_LOG_LINE (WM_APP + 2)   // 0x8002, wParam = ring index of the new line
#define AUTH_LOG_LINES 200
#define AUTH_LOG_LINE_SIZE 256

// The line that ends a network check: never shown as a row, it empties the ring.
#define AUTH_LOG_END_MARKER "OK"

struct AuthLogRing {
    char lines[AUTH_LOG_LINES][AUTH_LOG_LINE_SIZE];
    int writeIndex;
};

extern AuthLogRing g_AuthLogRing;   // the authentication status lines; zeroed by the controller at start

// An index of 200 or more (or below 0) becomes 0.
int AdvanceLogIndex(int index);

// Writes the text (cut to 255 characters) at the write index, announces it
// to the status page when that exists, and advances the index (wrapping at 200).
void AppendAuthLogLine(const char* text);

// Writes the end marker at the write index and announces it; the write index
// then starts again at 0 (no advance).
void AppendAuthLogEndMarker();

// Empties every line and sets the write index to 0.
void ClearAuthLogRing();
// Empties the ring when the write index is 0: a new run of lines begins.
void ClearAuthLogRingAtStart();

// Copies line index into out (size bytes, always terminated); false for an
// index outside the ring.  Writers and readers are on different threads: the
// copy is taken under the ring's lock, so a line is never read half-written
// or half-cleared.
bool ReadAuthLogLine(int index, char* out, size_t size);
