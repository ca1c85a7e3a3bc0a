#pragma once

#include "tests/support/LoopbackListener.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qv::test {

// One accepted connection of a ScriptedServer, driven by the test's script.
class ScriptedPeer {
public:
    explicit ScriptedPeer(int fd) : fd_(fd) {}
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Reads up to and including the empty line that ends a request head.
    std::string ReadHead();
    // Reads up to and including the terminator (a command line's CR LF, say), recorded as a head.
    std::string ReadUntil(const std::string& terminator);
    // Reads exactly n bytes (fewer when the client closes first).
    std::string ReadExactly(size_t n);
    // Reads until the client closes its side.
    std::string ReadUntilClose();
    void Send(const std::string& bytes);
    // Sends the bytes as a slow server does: in pieces of at most `piece` bytes, each leaving in
    // a segment of its own, with a pause before every piece after the first.
    void SendSlowly(const std::string& bytes, size_t piece, std::chrono::milliseconds pause);
    // Ends the stream in order: the client sees a close after the sent bytes.
    void Close();
    // Drops the connection with a reset instead of an orderly close.
    void Reset();
    int Fd() const { return fd_; }

private:
    int fd_;
    std::string pending_;
};

// A raw TCP server on 127.0.0.1 and an ephemeral port. Connections are accepted
// one after another on the server's own thread and each is handed to the script;
// the bytes each connection received up to its request head are recorded.
class ScriptedServer {
public:
    using Script = std::function<void(ScriptedPeer&, int connectionIndex)>;
    explicit ScriptedServer(Script script);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    uint16_t Port() const { return listener_.Port(); }
    int Connections() const { return connections_.load(); }
    // Request heads (and other pieces) read through ScriptedPeer::ReadUntil, in order of arrival.
    std::vector<std::string> Heads() const;
    // Records a head (ScriptedPeer does this itself; scripts may add other notes).
    void Record(const std::string& head);

    // A script that answers every connection's request head with the same bytes, then closes.
    static Script Reply(std::string bytes);

private:
    void Serve();

    LoopbackListener listener_;
    Script script_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
    std::thread thread_;
};

} // namespace qv::test
