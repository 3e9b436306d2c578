// Certificates read from the prefix's real "MY" and "ROOT" stores, with
// certificates of the test's own added for each case and removed after.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "auth/Certificates.h"
#include "certs/StoreCert.h"
#include "certs/TestCertificates.h"

namespace {

using kqtest::StoreCert;

const CERT_INFO_RECORD* BySubject(const CCertInfoArray& a, const char* subject)
{
    for (const CERT_INFO_RECORD& r : a)
        if (std::strcmp(r.subject, subject) == 0) return &r;
    return nullptr;
}

std::vector<BYTE> HashOf(const CERT_INFO_RECORD& r) { return std::vector<BYTE>(r.hash, r.hash + r.hashLength); }

TEST(CertificatesTest, PersonalStoreListsNamedCertificatesWithTheirHashAndFriendlyName)
{
    StoreCert client("MY", kqtest::kClientCert, sizeof(kqtest::kClientCert), L"Alice at work");
    StoreCert second("MY", kqtest::kSecondClientCert, sizeof(kqtest::kSecondClientCert));
    StoreCert nameless("MY", kqtest::kNoSubjectCert, sizeof(kqtest::kNoSubjectCert), L"nameless");
    ASSERT_TRUE(client.ok() && second.ok() && nameless.ok());

    CCertInfoArray a;
    a.resize(3);   // left over from an earlier enumeration
    ASSERT_TRUE(EnumStoreCertificates(a, "MY"));

    const CERT_INFO_RECORD* c = BySubject(a, "Kestiq Test Client");
    ASSERT_NE(nullptr, c);
    EXPECT_STREQ("Kestiq Test Client", c->issuer);   // self-signed
    EXPECT_STREQ("Alice at work", c->friendlyName);
    EXPECT_EQ(1u, c->hasFriendlyName);
    EXPECT_EQ(0u, c->storeFlag);
    EXPECT_NE(nullptr, std::strstr(c->expiry, "46")) << c->expiry;   // NotAfter in 2046
    EXPECT_EQ(client.Sha1(), HashOf(*c));

    const CERT_INFO_RECORD* s = BySubject(a, "Kestiq Second Client");
    ASSERT_NE(nullptr, s);
    EXPECT_STREQ("", s->friendlyName);
    EXPECT_EQ(0u, s->hasFriendlyName);
    EXPECT_EQ(second.Sha1(), HashOf(*s));

    // The certificate without a subject name is not listed, friendly name or not.
    for (const CERT_INFO_RECORD& r : a) {
        EXPECT_NE(std::string(""), r.subject);
        EXPECT_NE(nameless.Sha1(), HashOf(r)) << r.subject;
    }
    EXPECT_EQ(c, FindCertByHash(a, client.Sha1().data(), 20));
    EXPECT_EQ(nullptr, FindCertByHash(a, nameless.Sha1().data(), 20));
    EXPECT_EQ(nullptr, FindCertByHash(a, client.Sha1().data(), 0));
}

TEST(CertificatesTest, RootStoreRecordsCarryTheStoreFlag)
{
    StoreCert root("ROOT", kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert));
    ASSERT_TRUE(root.ok());
    CCertInfoArray a;
    ASSERT_TRUE(EnumStoreCertificates(a, "ROOT"));
    const CERT_INFO_RECORD* r = BySubject(a, "Kestiq Test Root CA");
    ASSERT_NE(nullptr, r);
    EXPECT_EQ(1u, r->storeFlag);
    EXPECT_EQ(root.Sha1(), HashOf(*r));
}

TEST(CertificatesTest, ARecordCopyKeepsItsHashWhenTheListIsRefilled)
{
    StoreCert root("ROOT", kqtest::kRootCaCert, sizeof(kqtest::kRootCaCert));
    ASSERT_TRUE(root.ok());
    CCertInfoArray a;
    ASSERT_TRUE(EnumStoreCertificates(a, "ROOT"));
    const CERT_INFO_RECORD* r = BySubject(a, "Kestiq Test Root CA");
    ASSERT_NE(nullptr, r);
    CERT_INFO_RECORD chosen = *r;
    // Refilled, and refilled again after the certificate left the store.
    ASSERT_TRUE(EnumStoreCertificates(a, "ROOT"));
    a.clear();
    a.shrink_to_fit();
    EXPECT_EQ(root.Sha1(), HashOf(chosen));
}

TEST(CertificatesTest, TestCertificatesLeaveTheStoresWithTheirHolders)
{
    for (const char* store : { "MY", "ROOT" }) {
        {
            StoreCert cert(store, kqtest::kClientCert, sizeof(kqtest::kClientCert));
            ASSERT_TRUE(cert.ok());
        }
        // A store opened afresh, as the next test program opens it.
        CCertInfoArray a;
        ASSERT_TRUE(EnumStoreCertificates(a, store));
        EXPECT_EQ(nullptr, BySubject(a, "Kestiq Test Client")) << store;
    }
}

TEST(CertificatesTest, NoStoreNameGivesAnEmptyList)
{
    CCertInfoArray a(2);
    EXPECT_FALSE(EnumStoreCertificates(a, nullptr));
    EXPECT_TRUE(a.empty());
    char name[256] = "stale";
    GetCertNameString(nullptr, FALSE, name);
    EXPECT_STREQ("", name);
    EXPECT_EQ(0u, GetCertificateInfo(nullptr, 1).hashLength);
}

}  // namespace
