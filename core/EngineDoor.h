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

// A join of the site survey begins: its security is the person's one-off
// choice, not the stored profile's.
void BeginOneOffJoin();

// Queues and connects the record of a one-off join (handed over, as with
// CONNECT_APPLY).  The active settings stop being a stored profile's before
// the engine configures the supplicant port for them, so that a failed
// login is never handled as the profile that was active before.
BOOL QueueOneOffJoin(StationConfig* record);

// The person cancelled an authentication: no automatic connection until a
// profile is applied again.
void StopAutoConnect();

// The next scan the engine is asked for sends no scan request to the driver
// (the advanced page changed the channels the scan would use).
void SkipNextScan();

// The connection uses a stored WPS credential (a WPS run or connect begins),
// or stops using one (the WPS page's Disconnect); SaveWscFlag stores it.
void UseWpsCredential(BOOL inUse);

// The person retries after a failed 802.1X login: automatic connections
// again (StopAutoConnect's counterpart).
void ResumeAutoConnect();
// Applies the adapter key's configuration again (radio settings aside), as
// after a change of its values; queued only while auto-connect is on.
void ApplyStoredConfiguration();
