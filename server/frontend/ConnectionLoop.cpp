#include "server/frontend/ConnectionLoop.h"

#include "server/frontend/RequestLog.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

namespace qv::server {

namespace {

constexpr int kEventsPerWait = 64;
// Connections taken from the listener at a turn, so that clients already connected go on.
constexpr int kAcceptsPerTurn = 64;
// Descriptors kept free for the database and the log however many clients connect.
constexpr rlim_t kReservedDescriptors = 64;
// The loop looks at its deadlines at least this often while it has connections: a worker may
// have given it one that ends before the loop's wait.
constexpr auto kTick = std::chrono::seconds(1);
// After the system ran out of descriptors, the loop waits this long before it accepts again.
constexpr auto kAcceptPause = std::chrono::seconds(1);
// Refused connections cost a client nothing, so they are logged at most this often.
constexpr auto kRefusalLogInterval = std::chrono::seconds(1);

size_t MaxOpenConnections() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return size_t{1} << 20;
    return limit.rlim_cur > 2 * kReservedDescriptors ? limit.rlim_cur - kReservedDescriptors
                                                     : limit.rlim_cur / 2;
}

std::string Seconds(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", std::chrono::duration<double>(duration).count());
    return text;
}

uint16_t PortOf(const sockaddr_storage& address) {
    return ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(address).sin6_port
                                               : reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

} // namespace

ConnectionLoop::ConnectionLoop(FrontEndLimits limits, Responder responder)
    : limits_(limits), responder_(std::move(responder)), epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), maxOpen_(MaxOpenConnections()),
      cap_(limits.maxConnectionsPerAddress) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = &wake_;
    if (epoll_ < 0 || wake_ < 0 || ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &event) != 0) {
        const std::string reason = std::strerror(errno);
        if (epoll_ >= 0) ::close(epoll_);
        if (wake_ >= 0) ::close(wake_);
        throw std::runtime_error("cannot set up the connection loop: " + reason);
    }
}

ConnectionLoop::~ConnectionLoop() {
    connections_.clear();
    if (listener_ >= 0) ::close(listener_);
    ::close(wake_);
    ::close(epoll_);
}

int ConnectionLoop::Bind(const std::string& address, int port) {
    const std::string where = "cannot listen on " + address + ":" + std::to_string(port) + ": ";
    if (listener_ >= 0) throw std::runtime_error(where + "listening already");
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found))
        throw std::runtime_error(where + ::gai_strerror(error));
    std::string reason;
    for (const addrinfo* candidate = found; candidate && listener_ < 0; candidate = candidate->ai_next) {
        const int fd = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                candidate->ai_protocol);
        const int one = 1;
        if (fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) == 0 &&
            ::bind(fd, candidate->ai_addr, candidate->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0) {
            listener_ = fd;
        } else {
            reason = std::strerror(errno);
            if (fd >= 0) ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    if (listener_ < 0) throw std::runtime_error(where + reason);
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = &listener_;
    if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length) != 0 ||
        ::epoll_ctl(epoll_, EPOLL_CTL_ADD, listener_, &event) != 0)
        throw std::runtime_error(where + std::strerror(errno));
    return PortOf(bound);
}

void ConnectionLoop::Run() {
    if (listener_ < 0) throw std::logic_error("ConnectionLoop::Run before Bind");
    // A reply to a client that has gone must fail as an error, not end the process; TLS writes
    // through the socket's plain write.
    std::signal(SIGPIPE, SIG_IGN);
    for (int i = 0; i < std::max(1, limits_.workers); ++i)
        workers_.emplace_back([this] { Work(); });
    epoll_event events[kEventsPerWait];
    while (!stopping_) {
        const int count = ::epoll_wait(epoll_, events, kEventsPerWait, MillisecondsToWait(Clock::now()));
        const auto now = Clock::now();
        for (int i = 0; i < count; ++i) {
            void* tag = events[i].data.ptr;
            if (tag == &listener_) {
                AcceptWaiting(now);
            } else if (tag == &wake_) {
                uint64_t ignored = 0;
                (void)!::read(wake_, &ignored, sizeof ignored);
            } else {
                Connection& connection = *static_cast<Connection*>(tag);
                Unpark(connection);
                Follow(connection, connection.Advance(now));
            }
        }
        CloseExpired(now);
        ResumeAcceptingWhenRoom(now);
    }
    // Workers finish the request in hand; what waits is dropped with its connection.
    { const std::lock_guard lock(workMutex_); }
    workReady_.notify_all();
    for (auto& worker : workers_)
        worker.join();
    workers_.clear();
    work_.clear();
    const std::lock_guard lock(mutex_);
    deadlines_.clear();
    connections_.clear();
    open_ = 0;
}

void ConnectionLoop::Stop() {
    stopping_ = true;
    const uint64_t one = 1;
    (void)!::write(wake_, &one, sizeof one);
}

void ConnectionLoop::AcceptWaiting(Clock::time_point now) {
    for (int i = 0; i < kAcceptsPerTurn; ++i) {
        if (open_ >= maxOpen_) {
            PauseAccepting(now);
            return;
        }
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        const int fd = ::accept4(listener_, reinterpret_cast<sockaddr*>(&address), &length,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            Open(fd, address, now);
            continue;
        }
        // A connection that went before it was taken leaves others waiting.
        if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO || errno == EPERM) continue;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            LogConnection("-", std::string("accepting paused: ") + std::strerror(errno));
            PauseAccepting(now + kAcceptPause);
        }
        return;
    }
}

void ConnectionLoop::Open(int fd, const sockaddr_storage& address, Clock::time_point now) {
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ClientAddress client = DescribeClient(fd, address);
    std::unique_ptr<Transport> transport = tls_ ? tls_->Accept(fd) : std::make_unique<PlainTransport>(fd);
    if (!transport) {
        ::close(fd);
        LogConnection(client.text, "closed: no TLS session to be had");
        return;
    }
    auto owned = std::make_unique<Connection>(std::move(transport), std::move(client), limits_, now);
    Connection& connection = *owned;
    {
        const std::lock_guard lock(mutex_);
        if (cap_.TryOpen(connection.Client().capKey)) {
            connections_.emplace(&connection, std::move(owned));
            open_ = connections_.size();
        }
    }
    if (owned) {
        NoteRefusal(connection.Client().text, now);
        return;
    }
    Follow(connection, connection.Advance(now));
}

void ConnectionLoop::NoteRefusal(const std::string& client, Clock::time_point now) {
    ++refused_;
    if (now < nextRefusalLog_) return;
    std::string line = "refused: " + std::to_string(limits_.maxConnectionsPerAddress) +
                       " connections open from this address";
    if (refused_ > 1)
        line += " (" + std::to_string(refused_) + " connections refused since the last such line)";
    LogConnection(client, line);
    refused_ = 0;
    nextRefusalLog_ = now + kRefusalLogInterval;
}

void ConnectionLoop::Follow(Connection& connection, Connection::Next next) {
    switch (next) {
    case Connection::Next::Wait:
        Park(connection);
        break;
    case Connection::Next::Answer: {
        {
            const std::lock_guard lock(workMutex_);
            work_.push_back(&connection);
        }
        workReady_.notify_one();
        break;
    }
    case Connection::Next::Close:
        Close(connection);
        break;
    }
}

void ConnectionLoop::Park(Connection& connection) {
    const std::lock_guard lock(mutex_);
    epoll_event event{};
    event.events = (connection.WaitsToWrite() ? EPOLLOUT : EPOLLIN) | EPOLLONESHOT;
    event.data.ptr = &connection;
    if (::epoll_ctl(epoll_, connection.loop.registered ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, connection.Fd(),
                    &event) != 0) {
        LogConnection(connection.Client().text, std::string("closed: ") + std::strerror(errno));
        Forget(connection);
        return;
    }
    connection.loop.registered = true;
    connection.loop.waiting = true;
    connection.loop.deadlineEntry = deadlines_.emplace(connection.Deadline(), &connection);
}

void ConnectionLoop::Unpark(Connection& connection) {
    const std::lock_guard lock(mutex_);
    if (!connection.loop.waiting) return;
    deadlines_.erase(connection.loop.deadlineEntry);
    connection.loop.waiting = false;
}

void ConnectionLoop::Close(Connection& connection) {
    const std::lock_guard lock(mutex_);
    Forget(connection);
}

void ConnectionLoop::Forget(Connection& connection) {
    if (connection.loop.waiting) deadlines_.erase(connection.loop.deadlineEntry);
    cap_.Closed(connection.Client().capKey);
    connections_.erase(&connection);
    open_ = connections_.size();
}

void ConnectionLoop::CloseExpired(Clock::time_point now) {
    std::vector<Connection*> expired;
    {
        const std::lock_guard lock(mutex_);
        while (!deadlines_.empty() && deadlines_.begin()->first <= now) {
            Connection* connection = deadlines_.begin()->second;
            connection->loop.waiting = false;
            deadlines_.erase(deadlines_.begin());
            expired.push_back(connection);
        }
    }
    // Waiting connections are the loop's alone: no worker can reach them meanwhile.
    for (Connection* connection : expired) {
        if (connection->ReceivingHead())
            LogConnection(connection->Client().text,
                          "closed: no complete request head within " + Seconds(limits_.headTimeout));
        Close(*connection);
    }
}

int ConnectionLoop::MillisecondsToWait(Clock::time_point now) {
    if (open_ == 0 && accepting_) return -1;
    const std::lock_guard lock(mutex_);
    Clock::time_point until = now + kTick;
    if (!deadlines_.empty()) until = std::min(until, deadlines_.begin()->first);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
    return static_cast<int>(std::max<decltype(wait)>(0, wait));
}

void ConnectionLoop::PauseAccepting(Clock::time_point until) {
    acceptAgainAt_ = until;
    if (!accepting_) return;
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, listener_, nullptr);
    accepting_ = false;
}

void ConnectionLoop::ResumeAcceptingWhenRoom(Clock::time_point now) {
    if (accepting_ || now < acceptAgainAt_ || open_ >= maxOpen_) return;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.ptr = &listener_;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, listener_, &event) == 0) accepting_ = true;
}

void ConnectionLoop::Work() {
    for (;;) {
        Connection* connection = nullptr;
        {
            std::unique_lock lock(workMutex_);
            workReady_.wait(lock, [this] { return stopping_ || !work_.empty(); });
            if (stopping_) return;
            connection = work_.front();
            work_.pop_front();
        }
        try {
            connection->SetReply(responder_(connection->Request(), connection->Client()));
        } catch (const std::exception& e) {
            LogConnection(connection->Client().text, std::string("closed: no reply: ") + e.what());
            Close(*connection);
            continue;
        }
        Follow(*connection, connection->Advance(Clock::now()));
    }
}

} // namespace qv::server
