/* The control path of the supplicant stand-in (acAuth.dll): its calls go
 * into the request log, in one sequence with the OID requests.  Its verdicts
 * reach the adapter through KQSIM_PARAM_AUTHORIZED. */
#include "SimDriver.h"

NTSTATUS KqLogSupplicantCall(const UCHAR *in, ULONG inLen)
{
    KQSIM_CALL_RECORD r;
    ULONG n = 0;
    int slot;
    if (inLen < sizeof(r)) return STATUS_BUFFER_TOO_SMALL;
    RtlCopyMemory(&r, in, sizeof(r));
    while (n < sizeof(r.text) - 1 && r.text[n]) ++n;
    slot = r.adapter < KQSIM_MAX_ADAPTERS ? (int)r.adapter : 0xFFFF;
    KqLog(KQSIM_LOG_SUPPLICANT, slot, 0, 0, inLen, r.status, 0, r.text, n);
    return STATUS_SUCCESS;
}
