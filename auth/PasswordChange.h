// The password change the library asks for (request type 6): the credential
// worker runs the password-change thread, which asks the user-interface
// thread to show the PEAP panel and waits for the user's OK.  The new
// password is stored at that OK, on the user-interface thread; the worker
// then answers the library from the credential snapshot.  A panel nobody
// answers ends the wait after g_AuthWaits.passwordChangeMs, and hiding the
// panel or shutting the library down ends it at once; a wait that ends
// while the panel is out tells the panel, which then asks for a new
// password no more.
#pragma once

#include <windows.h>

// 1 while the password-change thread runs (read by the PEAP panel).
extern volatile LONG g_bOtpMode;

// The thread: shows the panel through the user-interface relay and waits.
DWORD SavePasswordThreadProc(void* unused);
// The worker's road: starts the thread and waits for it (the thread's own
// wait is bounded).  false when the thread could not start.
bool RunPasswordChange();

// A change waits for the user.
bool PasswordChangePending();
// The user's OK (user-interface thread): identity and password go into the
// current profile and the credential snapshot, the password into the
// registry, and the waiting thread goes on.  false when no change waits.
bool CompletePasswordChange(const char* identity, const char* password);
// The user's OK after the change's wait ran out (the library was answered
// with the old password): stored as the change stores them, for the next
// login.
void StoreLatePasswordChange(const char* identity, const char* password);
// The panel went away without OK: the thread goes on, nothing is stored.
void CancelPasswordChange();

// Changes may wait (the worker starts) or end at once (it stops).
void OpenPasswordChanges();
void ClosePasswordChanges();
