#include "http/IdStackBsd.h"

#include "framework/Conversions.h"
#include "framework/Format.h"
#include "http/IdException.h"
#include "http/IdResourceStrings.h"
#include "http/IdWinsockErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace qv::http {

namespace {

thread_local int lastError = 0;

// A call repeated while a signal interrupts it before it has done anything, so that a program's
// signals never look like a failed socket call.
template <class Call>
auto Uninterrupted(Call call) {
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

// The socket address of a dotted address (empty: any) and port; nothing when either is not valid,
// so that a bad address is never taken for "any" and a port is never cut to 16 bits.
std::optional<sockaddr_in> MakeAddress(const std::string& ip, int port, int family = AF_INET) {
    if (port < 0 || port > 0xFFFF || (!ip.empty() && !TIdStack::IsDottedAddress(ip))) return std::nullopt;
    sockaddr_in address{};
    address.sin_family = static_cast<sa_family_t>(family);
    address.sin_port = htons(static_cast<uint16_t>(port));
    uint32_t host = INADDR_ANY;
    if (!ip.empty())
        for (size_t start = 0, i = 0; i < 4; ++i) {
            const size_t dot = ip.find('.', start);
            host = host << 8 | static_cast<uint32_t>(std::stoul(ip.substr(start, dot - start)));
            start = dot + 1;
        }
    address.sin_addr.s_addr = htonl(host);
    return address;
}

std::string AddressText(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

void ReadAddress(const sockaddr_in& from, TIdSocketAddress& address) {
    address.Family = from.sin_family;
    address.IP = AddressText(from.sin_addr);
    address.Port = ntohs(from.sin_port);
}

void AddPollEntries(std::vector<pollfd>& entries, const TIdSocketList* list, short events) {
    if (!list) return;
    if (list->size() > static_cast<size_t>(Id_SELECT_SET_SIZE))
        throw EIdStackSetSizeExceeded(RSStackSetSizeExceeded);
    for (TIdStackSocketHandle socket : *list)
        entries.push_back({socket, events, 0});
}

// Keeps in the list the sockets whose poll entries (from `next` on) report one of the events.
void KeepReady(TIdSocketList* list, const std::vector<pollfd>& entries, size_t& next, short events) {
    if (!list) return;
    TIdSocketList ready;
    for (TIdStackSocketHandle socket : *list) {
        if (entries[next].revents & events) ready.push_back(socket);
        ++next;
    }
    *list = std::move(ready);
}

// sendfile() has no MSG_NOSIGNAL: SIGPIPE is held back on this thread while it runs, and one
// that it raised is taken away again, so that a peer's reset cannot end the program.
class SigPipeGuard {
public:
    SigPipeGuard() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~SigPipeGuard() {
        if (!wasPending_) {
            const timespec none{};
            while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {}
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    SigPipeGuard(const SigPipeGuard&) = delete;
    SigPipeGuard& operator=(const SigPipeGuard&) = delete;

private:
    sigset_t pipe_{};
    sigset_t previous_{};
    bool wasPending_ = false;
};

} // namespace

std::unique_ptr<TIdStack> TIdStack::CreateStack() {
    return std::make_unique<TIdStackBsd>();
}

TIdStackBsd::TIdStackBsd() {
    utsname names{};
    ::uname(&names);
    versionInfo_.Name = "BSD socket stack";
    versionInfo_.Description = std::string(names.sysname) + " " + names.release;
    versionInfo_.SystemStatus = "Running";
}

int TIdStackBsd::Failed() {
    lastError = WinsockErrorFromErrno(errno);
    return Id_SOCKET_ERROR;
}

int TIdStackBsd::Invalid() {
    lastError = Id_WSAEINVAL;
    return Id_SOCKET_ERROR;
}

std::string TIdStackBsd::ResolveAll(const std::string& host, framework::TStringList* all) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (result != 0 || !found) {
        lastError = WinsockErrorFromResolver(result, errno);
        return std::string();
    }
    std::string first;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        const std::string text = AddressText(address->sin_addr);
        if (first.empty()) first = text;
        if (all && all->IndexOf(text) < 0) all->Add(text);
    }
    ::freeaddrinfo(found);
    return first;
}

void TIdStackBsd::RefreshLocalAddresses() {
    localAddresses_->Clear();
    ResolveAll(LocalHostName(), localAddresses_.get());
}

TIdStackSocketHandle TIdStackBsd::Accept(TIdStackSocketHandle socket, std::string& peerIP, int& peerPort) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const int result = Uninterrupted(
        [&] { return ::accept4(socket, reinterpret_cast<sockaddr*>(&from), &length, SOCK_CLOEXEC); });
    if (result < 0) return Failed();
    peerIP = AddressText(from.sin_addr);
    peerPort = ntohs(from.sin_port);
    return result;
}

int TIdStackBsd::BindSocket(TIdStackSocketHandle socket, int family, const std::string& ip, int port) {
    const auto address = MakeAddress(ip, port, family);
    if (!address) return Invalid();
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 ? 0 : Failed();
}

int TIdStackBsd::CloseSocket(TIdStackSocketHandle socket) {
    return ::close(socket) == 0 ? 0 : Failed();
}

int TIdStackBsd::ConnectSocket(TIdStackSocketHandle socket, int family, const std::string& ip, int port) {
    const auto address = MakeAddress(ip, port, family);
    if (!address) return Invalid();
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) return 0;
    // An interrupted connect goes on without the caller: it is waited for to its end instead.
    return errno == EINTR ? AwaitConnect(socket, IdTimeoutForever) : Failed();
}

int TIdStackBsd::ConnectSocketWithin(TIdStackSocketHandle socket, int family, const std::string& ip, int port,
                                     int timeout) {
    const auto address = MakeAddress(ip, port, family);
    if (!address) return Invalid();
    const int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0 || ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) return Failed();
    int result = ::connect(socket, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 ? 0
                 : errno == EINPROGRESS ? AwaitConnect(socket, timeout)
                                        : Failed();
    if (::fcntl(socket, F_SETFL, flags) != 0 && result == 0) result = Failed();
    return result;
}

int TIdStackBsd::AwaitWritable(TIdStackSocketHandle socket, int timeout) {
    TIdSocketList writeList{socket};
    const int ready = Select(nullptr, &writeList, nullptr, timeout);
    if (ready < 0) return Id_SOCKET_ERROR;
    if (ready == 0) {
        lastError = Id_WSAETIMEDOUT;
        return Id_SOCKET_ERROR;
    }
    return 0;
}

int TIdStackBsd::AwaitConnect(TIdStackSocketHandle socket, int timeout) {
    if (AwaitWritable(socket, timeout) != 0) return Id_SOCKET_ERROR;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return Failed();
    if (error == 0) return 0;
    errno = error;
    return Failed();
}

std::string TIdStackBsd::HostToAddress(const std::string& host) {
    return ResolveAll(host, nullptr);
}

std::string TIdStackBsd::LocalHostName() {
    char name[250] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return std::string();
    return name;
}

std::string TIdStackBsd::AddressToHost(const std::string& address) {
    const auto from = MakeAddress(address, 0);
    if (!from) RaiseError(Id_WSAEINVAL);
    char host[NI_MAXHOST] = {};
    const int result = ::getnameinfo(reinterpret_cast<const sockaddr*>(&*from), sizeof *from, host,
                                     sizeof host, nullptr, 0, NI_NAMEREQD);
    if (result != 0) {
        lastError = WinsockErrorFromResolver(result, errno);
        RaiseError(lastError);
    }
    return host;
}

int TIdStackBsd::ServiceToPort(const std::string& service) {
    if (const auto number = framework::TryStrToInt(service)) return *number;
    servent entry{};
    servent* found = nullptr;
    char buffer[1024];
    if (::getservbyname_r(service.c_str(), "tcp", &entry, buffer, sizeof buffer, &found) != 0 || !found)
        throw EIdInvalidServiceName(framework::FormatMessage(RSInvalidServiceName, service));
    return ntohs(static_cast<uint16_t>(found->s_port));
}

framework::TStringList TIdStackBsd::PortToServices(int port) {
    framework::TStringList services;
    servent entry{};
    servent* found = nullptr;
    char buffer[1024];
    if (::getservbyport_r(htons(static_cast<uint16_t>(port)), "tcp", &entry, buffer, sizeof buffer, &found) ==
            0 &&
        found) {
        services.Add(found->s_name);
        for (char** alias = found->s_aliases; alias && *alias; ++alias)
            services.Add(*alias);
    }
    return services;
}

uint16_t TIdStackBsd::HostToNetShort(uint16_t value) {
    return htons(value);
}

int TIdStackBsd::Listen(TIdStackSocketHandle socket, int backlog) {
    return ::listen(socket, backlog) == 0 ? 0 : Failed();
}

uint16_t TIdStackBsd::NetToHostShort(uint16_t value) {
    return ntohs(value);
}

uint32_t TIdStackBsd::HostToNetLong(uint32_t value) {
    return htonl(value);
}

uint32_t TIdStackBsd::NetToHostLong(uint32_t value) {
    return ntohl(value);
}

int TIdStackBsd::Receive(TIdStackSocketHandle socket, void* buffer, int length, int flags) {
    const ssize_t result =
        Uninterrupted([&] { return ::recv(socket, buffer, static_cast<size_t>(length), flags); });
    return result < 0 ? Failed() : static_cast<int>(result);
}

int TIdStackBsd::ReceiveFrom(TIdStackSocketHandle socket, void* buffer, int length, int flags,
                             std::string& ip, int& port) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t result = Uninterrupted([&] {
        return ::recvfrom(socket, buffer, static_cast<size_t>(length), flags,
                          reinterpret_cast<sockaddr*>(&from), &size);
    });
    if (result < 0) return Failed();
    ip = AddressText(from.sin_addr);
    port = ntohs(from.sin_port);
    return static_cast<int>(result);
}

// poll() stands in for select(): it has no limit on socket numbers; the time-out keeps select's split.
int TIdStackBsd::Select(TIdSocketList* readList, TIdSocketList* writeList, TIdSocketList* errorList,
                        int timeout) {
    std::vector<pollfd> entries;
    AddPollEntries(entries, readList, POLLIN);
    AddPollEntries(entries, writeList, POLLOUT);
    AddPollEntries(entries, errorList, POLLPRI);
    const bool forever = timeout == IdTimeoutForever;
    const TIdSplitTimeout split = SplitTimeout(forever ? 0 : std::max(timeout, 0));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(split.Seconds) +
                          std::chrono::microseconds(split.Microseconds);
    int result;
    for (;;) {
        timespec wait{};
        if (!forever) {
            const auto left =
                std::max(deadline - std::chrono::steady_clock::now(), std::chrono::steady_clock::duration{});
            const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
            wait.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
        }
        result = ::ppoll(entries.data(), entries.size(), forever ? nullptr : &wait, nullptr);
        // A signal is no reason to end a wait early: an interrupted wait would look like a time-out.
        if (result >= 0 || errno != EINTR) break;
    }
    if (result < 0) return Failed();
    size_t next = 0;
    KeepReady(readList, entries, next, POLLIN | POLLHUP | POLLERR | POLLNVAL);
    KeepReady(writeList, entries, next, POLLOUT | POLLHUP | POLLERR | POLLNVAL);
    KeepReady(errorList, entries, next, POLLPRI);
    return static_cast<int>((readList ? readList->size() : 0) + (writeList ? writeList->size() : 0) +
                            (errorList ? errorList->size() : 0));
}

int TIdStackBsd::Send(TIdStackSocketHandle socket, const void* buffer, int length, int flags) {
    const ssize_t result = Uninterrupted(
        [&] { return ::send(socket, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL); });
    return result < 0 ? Failed() : static_cast<int>(result);
}

// Each send takes what fits without blocking, and the waits for room between them have the
// time-out: every byte the peer takes gives it the whole time-out again, as for a read.
int TIdStackBsd::SendWithin(TIdStackSocketHandle socket, const void* buffer, int length, int flags,
                            int timeout) {
    if (timeout == IdTimeoutForever) return Send(socket, buffer, length, flags);
    const char* bytes = static_cast<const char*>(buffer);
    for (int sent = 0;;) {
        const ssize_t result = Uninterrupted([&] {
            return ::send(socket, bytes + sent, static_cast<size_t>(length - sent),
                          flags | MSG_DONTWAIT | MSG_NOSIGNAL);
        });
        if (result < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Failed();
        if (result > 0) sent += static_cast<int>(result);
        if (sent >= length) return sent;
        if (AwaitWritable(socket, timeout) != 0) return Id_SOCKET_ERROR;
    }
}

int TIdStackBsd::SendTo(TIdStackSocketHandle socket, const void* buffer, int length, int flags,
                        const std::string& ip, int port) {
    const auto to = MakeAddress(ip, port);
    if (!to) return Invalid();
    const ssize_t result = Uninterrupted([&] {
        return ::sendto(socket, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&*to), sizeof *to);
    });
    return result < 0 ? Failed() : static_cast<int>(result);
}

int TIdStackBsd::SetSocketOption(TIdStackSocketHandle socket, int level, int option, const void* value,
                                 int length) {
    return ::setsockopt(socket, level, option, value, static_cast<socklen_t>(length)) == 0 ? 0 : Failed();
}

TIdStackSocketHandle TIdStackBsd::CreateSocket(int family, int type, int protocol) {
    const int result = ::socket(family, type | SOCK_CLOEXEC, protocol);
    return result < 0 ? Failed() : result;
}

int TIdStackBsd::Shutdown(TIdStackSocketHandle socket, int how) {
    return ::shutdown(socket, how) == 0 ? 0 : Failed();
}

int TIdStackBsd::LastError() {
    return lastError;
}

bool TIdStackBsd::PeerAddressOf(TIdStackSocketHandle socket, TIdSocketAddress& address) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&from), &length) != 0) {
        Failed();
        return false;
    }
    ReadAddress(from, address);
    return true;
}

bool TIdStackBsd::LocalAddressOf(TIdStackSocketHandle socket, TIdSocketAddress& address) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&from), &length) != 0) {
        Failed();
        return false;
    }
    ReadAddress(from, address);
    return true;
}

int64_t TIdStackBsd::TransmitFile(TIdStackSocketHandle socket, const std::string& fileName) {
    const int file = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return 0;
    struct stat status {};
    int64_t size = ::fstat(file, &status) == 0 ? status.st_size : 0;
    {
        SigPipeGuard guard;
        off_t offset = 0;
        while (offset < size) {
            const ssize_t sent = ::sendfile(socket, file, &offset, static_cast<size_t>(size - offset));
            if (sent > 0 || (sent < 0 && errno == EINTR)) continue;
            if (sent < 0) Failed();
            size = 0;
        }
    }
    ::close(file);
    return size;
}

} // namespace qv::http
