// Certificates of the Windows system stores ("MY" for the client certificate,
// "ROOT" for the trusted authorities), described for the 802.1X pages.  A
// profile keeps only a certificate's SHA-1 hash; the supplicant library turns
// that hash back into the certificate.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <vector>

// The most hash bytes a record keeps: what a profile can store.
constexpr DWORD kCertHashMax = 152;

// One certificate as the pages show it.  The hash bytes live in the record
// itself, so a copy (the page's chosen record) stays whole when the list it
// came from is refilled.
struct CERT_INFO_RECORD {
    char subject[256];         // the subject's simple display name
    char issuer[256];          // the issuer's simple display name
    char expiry[256];          // NotAfter as a short date of the user's locale
    char friendlyName[256];    // empty when the certificate has none
    DWORD hashLength;          // 0: no hash could be read
    BYTE hash[kCertHashMax];   // the store's SHA-1 hash property
    DWORD hasFriendlyName;     // 0 when the certificate has no friendly name
    DWORD storeFlag;           // 1 for a record of a store other than "MY"
};

// The records of one page, emptied before every enumeration.
typedef std::vector<CERT_INFO_RECORD> CCertInfoArray;

// The certificate's subject (issuerFlag FALSE) or issuer simple display name
// into out[256]; empty when it has none.
void GetCertNameString(PCCERT_CONTEXT cert, BOOL issuerFlag, char out[256]);
// The record of a certificate; storeFlag as the record's.
CERT_INFO_RECORD GetCertificateInfo(PCCERT_CONTEXT cert, DWORD storeFlag);
// Empties array, then appends a record per certificate of the current user's
// system store storeName whose subject is not empty.  FALSE (array empty)
// when the store does not open.
BOOL EnumStoreCertificates(CCertInfoArray& array, const char* storeName);
// The record of array whose hash is hash[0..length); null when none is.
const CERT_INFO_RECORD* FindCertByHash(const CCertInfoArray& array, const BYTE* hash, DWORD length);
