#pragma once

#include "server/FrontEndLimits.h"
#include "server/frontend/ClientAddress.h"
#include "server/frontend/RequestHead.h"
#include "server/frontend/Transport.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace qv::server {

using Clock = std::chrono::steady_clock;

// One accepted connection and how far its exchange has come: the handshake, the head of the
// next request, the reply, and the last bytes a closing client sends. Never blocks; one
// thread works on it at a time, the loop while it waits for the client and a worker while
// its request is answered.
class Connection {
public:
    enum class Next {
        Wait,   // for the socket (WaitsToWrite says which way) until Deadline
        Answer, // Request is complete: SetReply, then Advance again
        Close,  // the exchange is over
    };

    Connection(std::unique_ptr<Transport> transport, ClientAddress client, const FrontEndLimits& limits,
               Clock::time_point now);

    // Goes as far as the client's bytes and the socket allow.
    Next Advance(Clock::time_point now);
    bool WaitsToWrite() const { return waitsToWrite_; }
    Clock::time_point Deadline() const { return deadline_; }
    // True while the connection waits for a request head it has begun, or for its handshake.
    bool ReceivingHead() const;

    const RequestHead& Request() const { return request_; }
    // The whole reply to Request, which then goes out as the next Advance allows.
    void SetReply(std::string reply);

    const ClientAddress& Client() const { return client_; }
    int Fd() const { return transport_->Fd(); }

    // Kept by the loop that runs the connection.
    struct LoopState {
        bool registered = false;
        bool waiting = false;
        std::multimap<Clock::time_point, Connection*>::iterator deadlineEntry;
    } loop;

private:
    enum class Phase { Handshake, Reading, Writing, Lingering };

    Next Wait(IoStatus status, Clock::time_point deadline);
    // Each phase's step; nothing when the phase changed and Advance goes on.
    std::optional<Next> ReadHead(Clock::time_point now);
    std::optional<Next> WriteReply(Clock::time_point now);
    Next Linger();
    // Takes the head of `length` bytes from the input: the request, or a refusal to send.
    bool TakeHead(size_t length);
    void Refuse(int status);

    std::unique_ptr<Transport> transport_;
    ClientAddress client_;
    const FrontEndLimits& limits_;
    Phase phase_;
    std::string input_;
    size_t scanned_ = 0;
    bool answeredOne_ = false;
    Clock::time_point headDeadline_;
    Clock::time_point idleDeadline_;
    RequestHead request_;
    std::string output_;
    size_t written_ = 0;
    bool keepAlive_ = false;
    bool unreadInput_ = false;
    bool sendingFinished_ = false;
    Clock::time_point lingerDeadline_;
    bool waitsToWrite_ = false;
    Clock::time_point deadline_;
};

} // namespace qv::server
