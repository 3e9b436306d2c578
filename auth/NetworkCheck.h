// The network check after an 802.1X authentication.  Not built yet.
#pragma once

void StartNetworkCheckThread();
