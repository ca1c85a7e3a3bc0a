#pragma once

#include "server/FrontEndLimits.h"
#include "server/frontend/ClientAddress.h"
#include "server/frontend/Connection.h"
#include "server/frontend/TlsTransport.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace qv::server {

// Accepts connections and reads their request heads on one thread, driven by epoll, and hands
// each complete request to a pool of workers, which answer it and write the reply. Waiting for
// a client (its handshake, its head, room for its reply, its next request) holds no worker,
// and every such wait has a deadline.
class ConnectionLoop {
public:
    // Gives the whole reply to a request from the client; runs on the workers.
    using Responder = std::function<std::string(const RequestHead& request, const ClientAddress& client)>;

    ConnectionLoop(FrontEndLimits limits, Responder responder);
    ~ConnectionLoop();
    ConnectionLoop(const ConnectionLoop&) = delete;
    ConnectionLoop& operator=(const ConnectionLoop&) = delete;

    // Every connection from then on speaks TLS. Before Run.
    void UseTls(std::unique_ptr<TlsContext> tls) { tls_ = std::move(tls); }
    // Port 0 takes a free port. Gives the bound port; raises std::runtime_error on failure.
    int Bind(const std::string& address, int port);
    // Serves until Stop; the thread that calls it is the loop.
    void Run();
    // May be called from any thread, also before Run.
    void Stop();

private:
    void AcceptWaiting(Clock::time_point now);
    void Open(int fd, const sockaddr_storage& address, Clock::time_point now);
    // Acts on what Advance said: waits for the socket, queues the request for a worker, or closes.
    void Follow(Connection& connection, Connection::Next next);
    void Park(Connection& connection);
    void Unpark(Connection& connection);
    void Close(Connection& connection);
    // Drops the connection with its deadline and its count; under the lock.
    void Forget(Connection& connection);
    void NoteRefusal(const std::string& client, Clock::time_point now);
    void CloseExpired(Clock::time_point now);
    int MillisecondsToWait(Clock::time_point now);
    void PauseAccepting(Clock::time_point until);
    void ResumeAcceptingWhenRoom(Clock::time_point now);
    void Work();

    FrontEndLimits limits_;
    Responder responder_;
    std::unique_ptr<TlsContext> tls_;
    int epoll_;
    int wake_;
    int listener_ = -1;
    std::atomic<bool> stopping_{false};
    // The loop's own: whether the listener is in the epoll set, and when to try again.
    bool accepting_ = true;
    Clock::time_point acceptAgainAt_;
    size_t maxOpen_;
    int refused_ = 0;
    Clock::time_point nextRefusalLog_;

    // Guards the connections, their deadlines and counts, and their registration with epoll.
    std::mutex mutex_;
    std::unordered_map<Connection*, std::unique_ptr<Connection>> connections_;
    // Their number, also read without the lock.
    std::atomic<size_t> open_{0};
    std::multimap<Clock::time_point, Connection*> deadlines_;
    ConnectionCap cap_;

    std::mutex workMutex_;
    std::condition_variable workReady_;
    std::deque<Connection*> work_;
    std::vector<std::thread> workers_;
};

} // namespace qv::server
