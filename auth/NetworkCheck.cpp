// Placeholder of the post-authentication network check.
#include "auth/NetworkCheck.h"

void StartNetworkCheckThread() {}
