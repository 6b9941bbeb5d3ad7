// trust_ca: puts a certificate authority (a PEM file) into the local
// machine's root store, as a pharmacy's IT does for a private service, so
// that the tests' and the demo's Wine prefixes trust the stand-in's
// certificate. With --check it only says whether the authority is there.
//
//   trust_ca.exe [--check] CA.pem     exit 0: trusted; 1: not; 2: bad input
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class RootStore {
public:
    RootStore()
        : m_store(CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT"))
    {
    }
    ~RootStore()
    {
        if (m_store) CertCloseStore(m_store, 0);
    }
    RootStore(const RootStore&) = delete;
    RootStore& operator=(const RootStore&) = delete;
    HCERTSTORE Get() const { return m_store; }

private:
    HCERTSTORE m_store;
};

std::vector<BYTE> DerOfPem(const std::string& pem)
{
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size,
                              nullptr, nullptr))
        return {};
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                              &size, nullptr, nullptr))
        return {};
    der.resize(size);
    return der;
}

bool InStore(HCERTSTORE store, const std::vector<BYTE>& der)
{
    PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    if (!wanted) return false;
    PCCERT_CONTEXT found =
        CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr);
    CertFreeCertificateContext(wanted);
    if (!found) return false;
    CertFreeCertificateContext(found);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: trust_ca [--check] CA.pem\n");
        return 2;
    }
    std::ifstream file(argv[argc - 1], std::ios::binary);
    std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<BYTE> der = DerOfPem(pem);
    if (der.empty()) {
        std::fprintf(stderr, "trust_ca: %s holds no PEM certificate\n", argv[argc - 1]);
        return 2;
    }
    RootStore root;
    if (!root.Get()) {
        std::fprintf(stderr, "trust_ca: cannot open the root store (error %lu)\n", GetLastError());
        return 2;
    }
    if (check) return InStore(root.Get(), der) ? 0 : 1;
    if (!CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "trust_ca: cannot add the authority (error %lu)\n", GetLastError());
        return 1;
    }
    return InStore(root.Get(), der) ? 0 : 1;
}
