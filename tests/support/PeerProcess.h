#pragma once

#include "tests/support/ScopedTempFolder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

// A real network peer from the system (an HTTP proxy, a SOCKS server) started for
// one test on 127.0.0.1 with a configuration file written into its own temporary
// folder; stopped and cleaned up when the object goes.
class PeerProcess {
public:
    // `configText` may use {PORT} and {DIR}; they are replaced before it is written.
    PeerProcess(std::string program, std::vector<std::string> arguments, std::string configText);
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // False when the program is not installed or did not start listening in time.
    bool Started() const { return pid_ > 0 && ready_; }
    uint16_t Port() const { return port_; }
    const std::string& Dir() const { return folder_.Path(); }
    // What the peer wrote to standard error (read after it has stopped or at any time).
    std::string Log() const;
    // The configuration path, to use as {CONFIG} in the arguments.
    const std::string& ConfigPath() const { return configPath_; }

    static uint16_t FreePort();

private:
    ScopedTempFolder folder_;
    std::string configPath_;
    uint16_t port_ = 0;
    int pid_ = -1;
    bool ready_ = false;
};

} // namespace qv::test
