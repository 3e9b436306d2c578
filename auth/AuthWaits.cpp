#include "auth/AuthWaits.h"

AuthWaits g_AuthWaits;
