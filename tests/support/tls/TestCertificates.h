#pragma once

#include <string>

namespace qv::test {

// A certificate and its private key, as PEM files.
struct CertificateFiles {
    std::string cert;
    std::string key;
};

// Certificates made with the openssl program for one test process, in a private folder that
// goes with the process. The test authority's certificate is the trust file: point
// SSL_CERT_FILE at it and the client trusts what the authority signed.
struct TestCertificates {
    std::string trustFile;
    // Signed by the authority for 127.0.0.1 and localhost.
    CertificateFiles good;
    // Signed by the authority for other.example only.
    CertificateFiles otherName;
    // Signed by the authority for 127.0.0.1, expired yesterday.
    CertificateFiles expired;
    // For 127.0.0.1, signed by itself, which nobody trusts.
    CertificateFiles untrusted;
};

// Made on first use; throws when the openssl program fails.
const TestCertificates& Certificates();

} // namespace qv::test
