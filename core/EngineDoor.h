// The one door into the connection engine for the pages, the WPS run time,
// the stored configuration and the controller: nobody above core writes the
// engine's flags or queues requests by hand.
#pragma once

#include <windows.h>
#include "classlib/CString.h"

#include "core/ConnectEngine.h"

// Queues a request and, when it is the only one, runs the engine now.
// CONNECT_APPLY hands the record over (it is freed when nothing is queued);
// SSID and BSSID data are copied.  Without a controller nothing is queued.
BOOL QueueAndConnect(ConnectRequestKind kind, void* data);

// Makes the stored profile `name` the active one: the adapter key takes its
// values (the channel text it had goes to *pChannel) and the engine applies
// them.  FALSE when the adapter key or the profile cannot be read.
BOOL ActivateStoredProfile(const char* name, CString* pChannel);

// The active stored profile is being deleted: the adapter key's active
// values go back to an open infrastructure network and, unless a WPS
// credential is in use, that is applied.
void DropActiveProfile();

// Whether the stored configuration may connect by itself: cleared when the
// user gives up after a failed 802.1X login, set again when the user retries.
void SetAutoConnect(BOOL on);
// Applies the adapter key's configuration again (radio settings aside), as
// after a change of its values; queued only while auto-connect is on.
void ApplyStoredConfiguration();
