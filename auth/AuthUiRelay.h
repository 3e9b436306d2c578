// Brings requests of the 802.1X threads to the user-interface thread: a
// message-only window made on the thread that first starts the library (the
// controller's), so that no other thread touches the windows.
#pragma once

#include <windows.h>

// Creates the relay window on the calling thread unless it exists.
void CreateAuthUiRelay();
// Asks the UI thread to show the credential prompt panel of the
// configuration window; false when no relay exists.
bool PostShowCredentialPrompt();
// Asks the UI thread to show the PEAP panel for the password change that
// waits; false when no relay exists.
bool PostPasswordChangePrompt();
// Tells the UI thread that the password change the PEAP panel was shown for
// has ended without the user's OK; false when no relay exists.
bool PostPasswordChangeEnded();
// Asks the UI thread to announce line index of the authentication log to
// the status page, when that page exists.
bool PostAuthLogLine(int index);
