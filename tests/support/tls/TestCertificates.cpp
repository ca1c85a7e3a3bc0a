#include "tests/support/tls/TestCertificates.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/ScopedTempFolder.h"

#include <fstream>
#include <stdexcept>
#include <vector>

namespace qv::test {

namespace {

const char* const kOpenssl = "/usr/bin/openssl";
constexpr int kValidDays = 30;

void Openssl(const std::vector<std::string>& arguments) {
    const ProgramResult result = RunProgram(kOpenssl, arguments);
    if (result.exitCode != 0)
        throw std::runtime_error("openssl " + arguments.front() + " failed: " + result.err);
}

// A new P-256 key with a certificate request (or, with -x509, a self-signed certificate).
std::vector<std::string> NewKey(const std::string& dir, const std::string& name, const std::string& subject) {
    return {"req",
            "-newkey",
            "ec",
            "-pkeyopt",
            "ec_paramgen_curve:prime256v1",
            "-nodes",
            "-keyout",
            dir + "/" + name + ".key",
            "-subj",
            subject};
}

CertificateFiles SelfSigned(const std::string& dir, const std::string& name, const std::string& subject,
                            const std::string& extension) {
    std::vector<std::string> arguments = NewKey(dir, name, subject);
    arguments.insert(arguments.end(), {"-x509", "-days", std::to_string(kValidDays), "-addext", extension,
                                       "-out", dir + "/" + name + ".crt"});
    Openssl(arguments);
    return {dir + "/" + name + ".crt", dir + "/" + name + ".key"};
}

// Signed by the authority in `dir` for `altNames`; `days` below 0 makes it expired.
CertificateFiles Signed(const std::string& dir, const std::string& name, const std::string& altNames,
                        int days) {
    const std::string request = dir + "/" + name + ".csr";
    const std::string extensions = dir + "/" + name + ".ext";
    std::ofstream(extensions) << "subjectAltName=" << altNames << "\n";
    std::vector<std::string> arguments = NewKey(dir, name, "/CN=" + name);
    arguments.insert(arguments.end(), {"-new", "-out", request});
    Openssl(arguments);
    Openssl({"x509", "-req", "-in", request, "-CA", dir + "/ca.crt", "-CAkey", dir + "/ca.key", "-days",
             std::to_string(days), "-extfile", extensions, "-out", dir + "/" + name + ".crt"});
    return {dir + "/" + name + ".crt", dir + "/" + name + ".key"};
}

TestCertificates Make() {
    static const ScopedTempFolder folder("qv-certs");
    const std::string& dir = folder.Path();

    TestCertificates made;
    made.trustFile =
        SelfSigned(dir, "ca", "/CN=Quorvane Test Authority", "basicConstraints=critical,CA:TRUE").cert;
    made.good = Signed(dir, "good", "IP:127.0.0.1,DNS:localhost", kValidDays);
    made.otherName = Signed(dir, "other", "DNS:other.example", kValidDays);
    made.expired = Signed(dir, "expired", "IP:127.0.0.1,DNS:localhost", -1);
    made.untrusted = SelfSigned(dir, "untrusted", "/CN=127.0.0.1", "subjectAltName=IP:127.0.0.1");
    return made;
}

} // namespace

const TestCertificates& Certificates() {
    static const TestCertificates made = Make();
    return made;
}

} // namespace qv::test
