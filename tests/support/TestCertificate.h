#pragma once

#include <string>

namespace qv::test {

// A self-signed certificate for 127.0.0.1 (its subject alternative name) and its key, made by
// `openssl req` in a temporary folder of their own and removed with the object.
class TestCertificate {
public:
    TestCertificate();
    ~TestCertificate();
    TestCertificate(const TestCertificate&) = delete;
    TestCertificate& operator=(const TestCertificate&) = delete;

    // Empty when the certificate was made; otherwise what openssl said.
    const std::string& Error() const { return error_; }
    const std::string& CertificatePath() const { return certificate_; }
    const std::string& KeyPath() const { return key_; }

private:
    std::string dir_;
    std::string certificate_;
    std::string key_;
    std::string error_;
};

} // namespace qv::test
