#include "auth/AuthLogRing.h"

#include <cstring>

#include "auth/AuthUiRelay.h"

AuthLogRing g_AuthLogRing;

void AppendAuthLogLine(const char* text)
{
    int index = g_AuthLogRing.writeIndex;
    if (index < 0 || index >= AUTH_LOG_LINES) index = 0;
    char* line = g_AuthLogRing.lines[index];
    std::strncpy(line, text ? text : "", 255);
    line[255] = 0;
    // Writers are the library's threads: the windows are looked up on the
    // user-interface thread.
    PostAuthLogLine(index);
    g_AuthLogRing.writeIndex = index + 1 >= AUTH_LOG_LINES ? 0 : index + 1;
}
