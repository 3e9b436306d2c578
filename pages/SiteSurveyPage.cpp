#include "pages/SiteSurveyPage.h"

// The survey's choice to show signals in dBm; cleared when the window goes.
BOOL g_bShowDbm = FALSE;
