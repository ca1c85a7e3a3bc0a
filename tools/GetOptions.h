#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qv::tools {

// The command line of quorvane-get, checked but not yet applied to a client.
struct GetOptions {
    enum class Socks { None, V4, V4A, V5 };

    std::string proxyHost; // empty: no proxy
    int proxyPort = 0;
    Socks socks = Socks::None;
    std::string socksHost;
    int socksPort = 0;
    bool head = false;
    std::string postFile; // empty: no POST
    bool follow = false;
    std::optional<int> redirectMaximum; // absent: the client's own maximum
    // Seconds that connecting and each wait for the server's next bytes may take; absent: the
    // service's time-outs (30 s to connect, 60 s to read); 0: no limit.
    std::optional<int> timeoutSeconds;
    bool http10 = false;
    bool status = false;
    bool help = false;
    bool version = false;
    std::string url;
};

// The options of `args` (without the program name); on a malformed command line the
// answer is empty and `error` says what is wrong.
std::optional<GetOptions> ParseGetOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kGetUsage;

} // namespace qv::tools
