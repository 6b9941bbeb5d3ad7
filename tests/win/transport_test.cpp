// The path a pharmacy runs, end to end: each exchange is one curl start over
// TLS to the stand-in, whose certificate comes from the build's test
// authority, which this prefix trusts.
#include <windows.h>
#include <wincrypt.h>

#include <cstdlib>

#include "support/worker_fixture.h"

namespace {

// The authority lies beside the stand-in (a Unix path, seen from Wine as Z:).
std::string TestAuthorityPem()
{
    const char* standin = std::getenv("PELLWICK_STANDIN_EXE");
    if (!standin) return "";
    std::string path = std::string("Z:") + standin;
    for (char& c : path)
        if (c == '/') c = '\\';
    return ReadBytes(path.substr(0, path.rfind('\\')) + "\\test-ca.pem");
}

}  // namespace

TEST(Transport, ThisPrefixTrustsTheTestAuthority)
{
    std::string pem = TestAuthorityPem();
    ASSERT_FALSE(pem.empty());
    BYTE der[8192];
    DWORD size = sizeof der;
    ASSERT_TRUE(CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der,
                                     &size, nullptr, nullptr));
    PCCERT_CONTEXT authority = CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
    ASSERT_NE(authority, nullptr);
    // The store Schannel consults for the user.
    HCERTSTORE root = CertOpenSystemStoreA(0, "ROOT");
    ASSERT_NE(root, nullptr);
    PCCERT_CONTEXT found = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, authority, nullptr);
    EXPECT_NE(found, nullptr);
    if (found) CertFreeCertificateContext(found);
    CertCloseStore(root, 0);
    CertFreeCertificateContext(authority);
}

TEST_F(Worker, APackRequestAndTheCredentialsCheckGoOverTlsOnceEach)
{
    host.SetCredentials("PHARM01", "s3cret", standin.Host());
    ASSERT_FALSE(host.SettingsSnapshot().AllowPlainHttp) << "the default transport";
    std::string key = Spool('1', kDemo2);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(ResultFor(key)->statusText, "Success");
    EXPECT_EQ(standin.ServiceRequestsOver("tls"), 1);

    EXPECT_TRUE(CFMDThread::CheckLogin(host.SettingsSnapshot(), host.folder.Path()));
    EXPECT_EQ(standin.ServiceRequestsOver("tls"), 2);
    EXPECT_EQ(standin.ServiceRequestsOver("plain"), 0);
    EXPECT_EQ(standin.Requests().size(), 2u);
    EXPECT_TRUE(ScanFolderEmptiesSoon());
}
