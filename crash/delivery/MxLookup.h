#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace qv::crash {

// Finds the mail exchanger of a domain with our own queries over UDP: asked of every name server
// of /etc/resolv.conf at once, or, without any, by following the name servers from two of the
// Internet's root servers. Each query carries a random id and leaves from a socket of its own;
// only an answer from the server asked, with that id and the question repeated, counts, and of it
// only the records owned by the name asked or the names its CNAME records lead to.
class TMxLookup {
public:
    struct TServer {
        sockaddr_storage address{};
        socklen_t length = 0;
    };
    static constexpr int kAnswerWaitMs = 5000;
    static constexpr int kMaxReferrals = 10;
    static constexpr int kDnsPort = 53;

    // The name servers of /etc/resolv.conf (or of the given file), on port 53.
    static std::vector<TServer> ConfiguredServers(const std::string& resolvConf = "/etc/resolv.conf");
    // The root servers the look-up starts at without configured ones.
    static std::vector<TServer> RootServers();
    // The server at a numeric address and port; nothing for any other text.
    static std::optional<TServer> Server(const std::string& address, int port);

    // Name servers that a referral names are asked on the referral port.
    explicit TMxLookup(std::vector<TServer> configured, std::vector<TServer> roots = RootServers(),
                       int answerWaitMs = kAnswerWaitMs, int referralPort = kDnsPort)
        : configured_(std::move(configured)), roots_(std::move(roots)), answerWaitMs_(answerWaitMs),
          referralPort_(referralPort) {}

    using TDeadline = std::chrono::steady_clock::time_point;
    static constexpr TDeadline kNoDeadline = TDeadline::max();

    // The exchanger of the recipient's domain (the address after "@", a closing ">" dropped), or of
    // that domain cut to its last three labels; nothing when neither gives one. No wait lasts
    // beyond the deadline.
    std::optional<std::string> ExchangerFor(const std::string& recipient,
                                            TDeadline deadline = kNoDeadline) const;
    // The exchanger of the domain: the record of the lowest preference in the first usable answer.
    std::optional<std::string> Exchanger(const std::string& domain, TDeadline deadline = kNoDeadline) const;

private:
    std::vector<TServer> configured_;
    std::vector<TServer> roots_;
    int answerWaitMs_;
    int referralPort_;

    std::optional<std::string> FollowReferrals(const std::string& domain, TDeadline deadline) const;
};

} // namespace qv::crash
