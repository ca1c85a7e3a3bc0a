#include "tests/server/TestService.h"

namespace qv::server::test {

std::unique_ptr<qv::test::PeerProcess> StartService(const std::string& database) {
    // The peer writes the free port into its configuration file; the shell hands it on.
    return std::make_unique<qv::test::PeerProcess>(
        "/bin/sh",
        std::vector<std::string>{"-c", std::string("exec ") + QV_SERVICE_PATH +
                                           " --port \"$(cat {CONFIG})\" --db '" + database + "'"},
        "{PORT}");
}

std::unique_ptr<qv::test::PeerProcess> StartService() {
    return StartService(ServiceDatabasePath());
}

} // namespace qv::server::test
