// A certificate put into one of the current user's system stores for the
// life of the holder, and taken out again after.  The store handle is closed
// at once: a registry-backed store keeps what was added only from its close.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

namespace kqtest {

class StoreCert {
public:
    // friendlyName null: the certificate gets none.
    StoreCert(const char* store, const BYTE* der, DWORD size, const wchar_t* friendlyName = nullptr) : m_name(store)
    {
        HCERTSTORE h = CertOpenSystemStoreA(0, store);
        if (!h) return;
        PCCERT_CONTEXT cert = nullptr;
        if (CertAddEncodedCertificateToStore(h, X509_ASN_ENCODING, der, size, CERT_STORE_ADD_REPLACE_EXISTING,
                                             &cert)) {
            bool named = true;
            if (friendlyName) {
                CRYPT_DATA_BLOB blob = {(DWORD)((wcslen(friendlyName) + 1) * sizeof(wchar_t)), (BYTE*)friendlyName};
                named = CertSetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, 0, &blob) != FALSE;
            }
            m_hash.resize(20);
            DWORD n = 20;
            if (!named || !CryptHashCertificate(0, CALG_SHA1, 0, cert->pbCertEncoded, cert->cbCertEncoded,
                                                m_hash.data(), &n))
                m_hash.clear();
            CertFreeCertificateContext(cert);
        }
        CertCloseStore(h, 0);
    }
    ~StoreCert()
    {
        if (m_hash.empty()) return;
        // Wine keeps a deletion through the system store only in memory: the
        // certificate goes from the store's own registry key instead.
        HKEY key = nullptr;
        std::string path = "Software\\Microsoft\\SystemCertificates\\" + m_name;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
        HCERTSTORE h = CertOpenStore(CERT_STORE_PROV_REG, 0, 0, 0, key);
        if (h) {
            CRYPT_HASH_BLOB blob = {(DWORD)m_hash.size(), m_hash.data()};
            // Deleting frees the context it is given.
            if (PCCERT_CONTEXT c = CertFindCertificateInStore(h, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &blob, nullptr))
                CertDeleteCertificateFromStore(c);
            CertCloseStore(h, 0);
        }
        RegCloseKey(key);
    }
    StoreCert(const StoreCert&) = delete;
    StoreCert& operator=(const StoreCert&) = delete;

    bool ok() const { return !m_hash.empty(); }
    // SHA-1 of the encoded certificate, worked out here (not read from the store).
    std::vector<BYTE> Sha1() const { return m_hash; }

private:
    std::string m_name;
    std::vector<BYTE> m_hash;
};

}  // namespace kqtest
