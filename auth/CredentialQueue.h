// The credential-request queue and its worker thread.  The library's
// credential callback (OnAuthCredentialRequest, declared with the binding)
// answers at once what the port record holds; every request that needs more
// (a file, a certificate check, the user) is deferred with the library and
// queued for the one worker, which answers it later and completes it.
#pragma once

#include <windows.h>
#include "auth/AcAuthApi.h"

struct AUTH_PORT;

#pragma pack(push, 4)
// One queued request: 28 bytes.  The first word, which the worker does not
// use (it answers on the attached port), holds the port's library handle:
// a pointer does not fit one word in this 64-bit build.
struct CRED_UI_MSG {
    DWORD port;
    AUTH_CRED_REQUEST request;   // the six words, unchanged
};
#pragma pack(pop)
static_assert(sizeof(CRED_UI_MSG) == 28, "credential message layout");

// Message types: a request, and the stop (28 zero bytes).
enum { CRED_UI_STOP = 0, CRED_UI_REQUEST = 1 };
constexpr int kCredentialQueueCapacity = 10;
// Values of a server-certificate field read when a name check failed, at most.
constexpr int kServerFieldValuesMax = 32;

// 1 when the worker runs: creates the queue (10 x 28) and the thread; 1 at
// once when the queue exists; 0 (no queue) when the thread cannot start.
int StartCredentialUiThread();
// Ends the worker ahead of whatever waits in the queue (those requests are
// left unanswered: the ports go next), cancels a password change waiting for
// the user, and destroys the queue.  Every wait here is bounded.
void StopCredentialUiThread();
// Queues a request for the worker: 0, or -1 for a null argument, a failed
// put, or a worker that is stopping.  Blocks while 10 requests wait.
int PostCredentialUiRequest(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);

// The worker of one start (run: its queue and its stop): takes a message,
// holds a reference on the attached port, lets the request rest
// (g_AuthWaits.requestRestMs), answers it; ends on the stop message, or at
// once when the shut-down gave up on it.
DWORD CredentialUiThreadProc(void* run);
// The worker's answer to one deferred request, by its type.
void HandleCredentialUiRequest(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);

// The worker's answer routines.  Each completes the request unless the
// library failed an answer (then, after -35, it completes once more).
void AnswerSessionStart(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);
void AnswerIdentity(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);
enum PasswordRequestKind { PASSWORD_REQUEST = 5, PASSWORD_CHANGE = 6, PASSWORD_RETRY = 7 };
void AnswerPassword(AUTH_PORT* port, const AUTH_CRED_REQUEST* request, PasswordRequestKind kind);
void VerifyServerCertificate(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);
void AnswerRogueAp(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);
// The text the user would give for a prompt: in this system an empty text
// (standard output is flushed).  *length in: the buffer's size; out: the text's.
void PromptCredentialText(AUTH_PORT* port, const char* what, const AUTH_CRED_REQUEST* request, char* text,
                          int* length);
// Reads every value of one field of the server's certificate (index 0, 1 and
// so on, at most kServerFieldValuesMax); false when the library failed.
bool GetServerCertField(AUTH_PORT* port, const AUTH_CRED_REQUEST* request, int fieldId);

// The status of an answer: false to go on; true when the library failed it
// (after -35 the request has been completed once more).
bool CredAnswerFailed(AC_HANDLE h, DWORD id, AC_STATUS status);
// acCredComplete, once more when the library answers -35.
void CompleteCredRequest(AC_HANDLE h, DWORD id);

// The worker thread exists.
bool CredentialUiThreadRunning();
// Requests waiting in the queue (0 without a queue).
int CredentialRequestsWaiting();
