#include "auth/AuthLogRing.h"

AuthLogRing g_AuthLogRing;
