#include "crash/delivery/MxLookup.h"

#include "crash/delivery/DnsMessage.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <netdb.h>
#include <poll.h>
#include <sstream>
#include <sys/random.h>
#include <unistd.h>

namespace qv::crash {

namespace {

constexpr size_t kMaxUdpAnswer = 65536;
constexpr uint16_t kClassInternet = 1;
// The two root servers the resolver starts at without configured servers.
constexpr const char* kRootServers[] = {"a.root-servers.net", "k.root-servers.net"};

bool SameServer(const sockaddr_storage& a, const TMxLookup::TServer& b) {
    return std::memcmp(&a, &b.address, b.length) == 0;
}

// A query id nobody else can guess: with a known id anyone who sees where the query goes may
// answer first.
std::optional<uint16_t> RandomId() {
    uint16_t id = 0;
    if (::getrandom(&id, sizeof id, 0) != static_cast<ssize_t>(sizeof id)) return std::nullopt;
    return id;
}

// Whether the answer is the one to the query: its id, and its question repeating the one asked.
bool Answers(const TDnsMessage::TAnswer& answer, uint16_t id, const std::string& domain) {
    return answer.id == id && answer.questions.size() == 1 &&
           TDnsMessage::SameName(answer.questions[0].name, domain) &&
           answer.questions[0].type == TDnsMessage::kTypeMx && answer.questions[0].klass == kClassInternet;
}

// One query to each server, each from a socket of its own with an id of its own.
class TUdpSockets {
public:
    explicit TUdpSockets(std::string domain) : domain_(std::move(domain)) {}
    ~TUdpSockets() {
        for (const pollfd& entry : sockets_)
            if (entry.fd >= 0) ::close(entry.fd);
    }
    TUdpSockets(const TUdpSockets&) = delete;
    TUdpSockets& operator=(const TUdpSockets&) = delete;

    void Send(const TMxLookup::TServer& server) {
        const std::optional<uint16_t> id = RandomId();
        if (!id) return;
        const std::string query = TDnsMessage::Query(*id, domain_, TDnsMessage::kTypeMx);
        const int fd = ::socket(server.address.ss_family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return;
        if (::sendto(fd, query.data(), query.size(), 0, reinterpret_cast<const sockaddr*>(&server.address),
                     server.length) < 0) {
            ::close(fd);
            return;
        }
        sockets_.push_back({fd, POLLIN, 0});
        queries_.push_back({server, *id});
    }
    // The first answer within the wait that the accept function takes; nothing once every server
    // gave an answer that it does not take. What is no answer to the query (another sender, id or
    // question) is dropped and the wait goes on.
    template <class TAccept>
    std::optional<TDnsMessage::TAnswer> Await(int waitMs, TMxLookup::TDeadline limit, TAccept&& accept) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = std::min(limit, Clock::now() + std::chrono::milliseconds(waitMs));
        std::string buffer(kMaxUdpAnswer, '\0');
        size_t waiting = sockets_.size();
        while (waiting > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return std::nullopt;
            const int ready = ::poll(sockets_.data(), sockets_.size(), static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return std::nullopt;
            for (size_t i = 0; i < sockets_.size(); ++i) {
                if (sockets_[i].revents == 0) continue;
                sockaddr_storage from{};
                socklen_t fromLength = sizeof from;
                const ssize_t got = ::recvfrom(sockets_[i].fd, buffer.data(), buffer.size(), 0,
                                               reinterpret_cast<sockaddr*>(&from), &fromLength);
                if (got <= 0 || !SameServer(from, queries_[i].server)) continue;
                const std::optional<TDnsMessage::TAnswer> answer =
                    TDnsMessage::Parse(buffer.substr(0, static_cast<size_t>(got)));
                if (!answer || !Answers(*answer, queries_[i].id, domain_)) continue;
                if (accept(*answer)) return answer;
                ::close(sockets_[i].fd);
                sockets_[i].fd = -1;
                --waiting;
            }
        }
        return std::nullopt;
    }

private:
    struct TQuery {
        TMxLookup::TServer server;
        uint16_t id = 0;
    };
    std::string domain_;
    std::vector<pollfd> sockets_;
    std::vector<TQuery> queries_;
};

// The names the answer's records about the domain may be owned by: the domain, and the names its
// CNAME records within the answer lead to.
std::vector<std::string> OwnerNames(const TDnsMessage::TAnswer& answer, const std::string& domain) {
    std::vector<std::string> names{domain};
    // Each step takes one more record, so a chain ends within the answer's records.
    for (size_t step = 0; step < answer.answers.size(); ++step) {
        const auto alias =
            std::find_if(answer.answers.begin(), answer.answers.end(), [&](const auto& record) {
                return record.type == TDnsMessage::kTypeCname &&
                       TDnsMessage::SameName(record.name, names.back());
            });
        if (alias == answer.answers.end()) break;
        names.push_back(alias->data);
    }
    return names;
}

bool OwnedBy(const TDnsMessage::TRecord& record, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return TDnsMessage::SameName(record.name, name); });
}

// Whether the zone is the domain or one of its parents: only those may name its name servers.
bool ZoneOf(const std::string& zone, const std::string& domain) {
    if (zone.empty() || TDnsMessage::SameName(zone, domain)) return true;
    return domain.size() > zone.size() + 1 && domain[domain.size() - zone.size() - 1] == '.' &&
           TDnsMessage::SameName(domain.substr(domain.size() - zone.size()), zone);
}

std::optional<std::string> BestExchanger(const TDnsMessage::TAnswer& answer, const std::string& domain) {
    const std::vector<std::string> owners = OwnerNames(answer, domain);
    const TDnsMessage::TRecord* best = nullptr;
    for (const TDnsMessage::TRecord& record : answer.answers)
        if (record.type == TDnsMessage::kTypeMx && !record.data.empty() && OwnedBy(record, owners) &&
            (best == nullptr || record.preference < best->preference))
            best = &record;
    if (best == nullptr) return std::nullopt;
    return best->data;
}

// Asks every server at once; the first answer of result code 0 that the accept function takes wins.
template <class TAccept>
std::optional<TDnsMessage::TAnswer> Ask(const std::vector<TMxLookup::TServer>& servers,
                                        const std::string& domain, int waitMs, TMxLookup::TDeadline limit,
                                        TAccept&& accept) {
    TUdpSockets sockets(domain);
    for (const TMxLookup::TServer& server : servers)
        sockets.Send(server);
    return sockets.Await(waitMs, limit, [&](const TDnsMessage::TAnswer& answer) {
        return answer.resultCode == 0 && accept(answer);
    });
}

std::vector<TMxLookup::TServer> Resolve(const std::string& host, int port) {
    std::vector<TMxLookup::TServer> servers;
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return servers;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        TMxLookup::TServer server;
        std::memcpy(&server.address, entry->ai_addr, entry->ai_addrlen);
        server.length = entry->ai_addrlen;
        servers.push_back(server);
    }
    ::freeaddrinfo(found);
    return servers;
}

// The name servers that a referral names for the domain or one of its parents: their addresses
// from the answer's additional records, or else looked up by name.
std::vector<TMxLookup::TServer> ReferredServers(const TDnsMessage::TAnswer& answer, const std::string& domain,
                                                int port) {
    std::vector<TMxLookup::TServer> servers;
    for (const auto* section : {&answer.answers, &answer.authorities})
        for (const TDnsMessage::TRecord& ns : *section) {
            if (ns.type != TDnsMessage::kTypeNs || !ZoneOf(ns.name, domain)) continue;
            bool glued = false;
            for (const TDnsMessage::TRecord& glue : answer.additionals) {
                if (!TDnsMessage::SameName(glue.name, ns.data)) continue;
                char text[INET6_ADDRSTRLEN] = {};
                if (glue.type == TDnsMessage::kTypeA && glue.data.size() == 4)
                    ::inet_ntop(AF_INET, glue.data.data(), text, sizeof text);
                else if (glue.type == TDnsMessage::kTypeAaaa && glue.data.size() == 16)
                    ::inet_ntop(AF_INET6, glue.data.data(), text, sizeof text);
                if (auto server = TMxLookup::Server(text, port)) {
                    servers.push_back(*server);
                    glued = true;
                }
            }
            if (!glued)
                for (const TMxLookup::TServer& server : Resolve(ns.data, port))
                    servers.push_back(server);
        }
    return servers;
}

} // namespace

std::optional<TMxLookup::TServer> TMxLookup::Server(const std::string& address, int port) {
    TServer server;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&server.address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&server.address);
    if (::inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(port));
        server.length = sizeof *v4;
    } else if (::inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(port));
        server.length = sizeof *v6;
    } else {
        return std::nullopt;
    }
    return server;
}

std::vector<TMxLookup::TServer> TMxLookup::ConfiguredServers(const std::string& resolvConf) {
    std::vector<TServer> servers;
    std::ifstream file(resolvConf);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string keyword;
        std::string address;
        if (words >> keyword >> address && keyword == "nameserver")
            if (auto server = Server(address, kDnsPort)) servers.push_back(*server);
    }
    return servers;
}

std::vector<TMxLookup::TServer> TMxLookup::RootServers() {
    std::vector<TServer> servers;
    for (const char* root : kRootServers)
        for (const TServer& server : Resolve(root, kDnsPort))
            servers.push_back(server);
    return servers;
}

std::optional<std::string> TMxLookup::ExchangerFor(const std::string& recipient, TDeadline deadline) const {
    std::string domain = recipient.substr(recipient.find('@') + 1);
    if (const size_t close = domain.find('>'); close != std::string::npos) domain.resize(close);
    if (auto exchanger = Exchanger(domain, deadline)) return exchanger;
    size_t cut = domain.size();
    for (int labels = 0; labels < 3 && cut != std::string::npos && cut > 0; ++labels)
        cut = domain.rfind('.', cut - 1);
    if (cut == std::string::npos || cut == 0) return std::nullopt;
    return Exchanger(domain.substr(cut + 1), deadline);
}

std::optional<std::string> TMxLookup::Exchanger(const std::string& domain, TDeadline deadline) const {
    if (configured_.empty()) return FollowReferrals(domain, deadline);
    const auto answer = Ask(configured_, domain, answerWaitMs_, deadline, [&](const TDnsMessage::TAnswer& a) {
        return BestExchanger(a, domain).has_value();
    });
    if (!answer) return std::nullopt;
    return BestExchanger(*answer, domain);
}

std::optional<std::string> TMxLookup::FollowReferrals(const std::string& domain, TDeadline deadline) const {
    std::vector<TServer> servers = roots_;
    for (int round = 0; round <= kMaxReferrals && !servers.empty(); ++round) {
        const auto answer = Ask(servers, domain, answerWaitMs_, deadline, [&](const TDnsMessage::TAnswer& a) {
            return BestExchanger(a, domain).has_value() ||
                   (round < kMaxReferrals && !ReferredServers(a, domain, referralPort_).empty());
        });
        if (!answer) return std::nullopt;
        if (auto exchanger = BestExchanger(*answer, domain)) return exchanger;
        servers = ReferredServers(*answer, domain, referralPort_);
    }
    return std::nullopt;
}

} // namespace qv::crash
