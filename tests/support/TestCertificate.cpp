#include "tests/support/TestCertificate.h"

#include "tests/support/ChildProcess.h"

#include <cstdlib>
#include <filesystem>

namespace qv::test {

TestCertificate::TestCertificate() {
    char templ[] = "/tmp/qv-certificate-XXXXXX";
    if (!::mkdtemp(templ)) {
        error_ = "cannot make a temporary folder";
        return;
    }
    dir_ = templ;
    certificate_ = dir_ + "/certificate.pem";
    key_ = dir_ + "/key.pem";
    const ProgramResult made = RunProgram(
        "/usr/bin/openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
                             "-keyout", key_, "-out", certificate_, "-days", "2", "-subj", "/CN=127.0.0.1",
                             "-addext", "subjectAltName=IP:127.0.0.1"});
    if (made.exitCode != 0)
        error_ = "openssl req failed (" + std::to_string(made.exitCode) + "): " + made.err;
}

TestCertificate::~TestCertificate() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

} // namespace qv::test
