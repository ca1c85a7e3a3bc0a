#include "tests/server/TestService.h"

namespace qv::server::test {

std::unique_ptr<qv::test::PeerProcess> StartService() {
    // The peer writes the free port into its configuration file; the shell hands it on.
    return std::make_unique<qv::test::PeerProcess>(
        "/bin/sh",
        std::vector<std::string>{"-c", std::string("exec ") + QV_SERVICE_PATH +
                                           " --port \"$(cat {CONFIG})\" --db " + ServiceDatabasePath()},
        "{PORT}");
}

} // namespace qv::server::test
