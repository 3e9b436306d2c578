// The credential-request queue and its worker thread.  Not built yet: no
// worker runs and credential requests go unanswered, so the library ends an
// 802.1X authentication with its time-out.
#pragma once

#include <windows.h>
#include "auth/AcAuthApi.h"

// 1 when the worker runs (or is not needed yet).
int StartCredentialUiThread();
void StopCredentialUiThread();
