#pragma once

#include "tests/support/ScopedTempFolder.h"

#include <QString>

class QTimer;

#include <cstdint>
#include <string>
#include <vector>

namespace qv::test {

// What a client run by a test sees of the user's machine: a configuration folder of its own (so
// that the credential store of the test never touches the user's), no proxy, and the tender
// service on the given loopback port, over `scheme`. Undone when the object goes.
class ClientSandbox {
public:
    explicit ClientSandbox(uint16_t servicePort, const std::string& scheme = "http");
    ~ClientSandbox();
    ClientSandbox(const ClientSandbox&) = delete;
    ClientSandbox& operator=(const ClientSandbox&) = delete;

    const std::string& ConfigHome() const { return configHome_.Path(); }
    // What the program reads as its service host.
    const std::string& ServiceHost() const { return serviceHost_; }

private:
    ScopedTempFolder configHome_;
    std::string serviceHost_;
};

// Closes every message box that comes up while it lives, keeping the texts in order.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<QString>& Texts() const { return texts_; }

private:
    std::vector<QString> texts_;
    QTimer* timer_;
};

} // namespace qv::test
