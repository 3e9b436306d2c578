// Placeholder of the credential-request queue and worker.
#include "auth/CredentialQueue.h"
#include "auth/SupplicantBinding.h"

int StartCredentialUiThread() { return 1; }

void StopCredentialUiThread() {}

void OnAuthCredentialRequest(void*, AUTH_CRED_REQUEST*) {}
