// EAP-FAST PAC files: one Protected Access Credential per profile in a file
// of exactly 1040 bytes.  The credential worker saves the PAC the library
// reports provisioned and loads the PAC of the authority the library asks
// for; the status callback deletes the file of a PAC the server rejected.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "auth/AcAuthApi.h"

struct AUTH_PORT;

constexpr DWORD kPacDataSize = 1024;
constexpr DWORD kPacFileSize = 1040;

// The whole file, little-endian, written and read in one piece.  The four
// lengths of a sound record add up to at most kPacDataSize.
struct PAC_FILE_RECORD {
    DWORD aidLength;       // authority id (A-ID)
    DWORD iidLength;       // initiator id (I-ID): the user name the PAC was issued to
    DWORD keyLength;       // PAC key
    DWORD opaqueLength;    // PAC opaque
    BYTE data[kPacDataSize];   // A-ID, I-ID, key, opaque, one after the other; the rest zero
};
static_assert(sizeof(PAC_FILE_RECORD) == kPacFileSize, "PAC file layout");

// The PAC file of the connection the port was configured for: "current.pac"
// in the current directory for a one-off (not stored) connection, else
// "<current directory>\<CurProfile>.pac", the profile name with every
// character a file name cannot hold, and '%', written as '%' and two hex
// digits, and the first character of a device's name too.  FALSE (out
// empty) when the name does not fit size, or is longer than the 127
// characters the store reads back.
BOOL GetPacFilePath(char* out, size_t size);

// The user name of an identity: the part before its first '@', and of that
// the part after its first '\' ("DOMAIN\user@realm" -> "user").
void ExtractUserName(const char* text, size_t length, const char** user, size_t* userLength);

// The PAC file the port reads: the configured profile's PACFilePath, taken
// when the port is configured (on the user-interface thread) and changed by
// SaveProvisionedPac.  Safe from any thread.
void SetPortPacFilePath(const char* path);
std::string GetPortPacFilePath();

// Answers of the credential worker: request type 13 (a PAC was provisioned)
// and type 11 (the PAC of an authority).  Each completes the request unless
// the library failed an answer.  A PAC whose path would be too long for the
// store is not saved, and the authentication log says so.
void SaveProvisionedPac(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);
void LoadPacForAuthority(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);
// The library rejected the PAC (statuses 318 and 319): its file goes.
void DeletePacFile(AUTH_PORT* port);
// The provisioned PAC's authority text, type and lifetime, for diagnostics
// (a value the library does not give reads "<UNKNOWN>"); also written to
// standard output.
std::string GetPacInfo(AUTH_PORT* port, const AUTH_CRED_REQUEST* request);
