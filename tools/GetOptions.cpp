#include "tools/GetOptions.h"

#include <algorithm>

namespace qv::tools {

const char* const kGetUsage =
    "usage: quorvane-get [--proxy HOST:PORT] [--socks4|--socks4a|--socks5 HOST:PORT] [--head] [--post FILE]\n"
    "                    [--follow[=N]] [--timeout S] [--http10] [--status] URL\n"
    "Sends one request with the program's own HTTP client and writes the reply body to standard output.\n"
    "An https URL goes over TLS, the server's certificate checked against the system's trust store\n"
    "(or the file SSL_CERT_FILE names).\n"
    "  --proxy HOST:PORT   send the request through this HTTP proxy\n"
    "  --socks4 HOST:PORT  connect through this SOCKS server (--socks4a, --socks5 likewise)\n"
    "  --head              send HEAD instead of GET; no body is read\n"
    "  --post FILE         send POST with the bytes of FILE as the body\n"
    "  --follow[=N]        follow redirects, at most N requests in a chain\n"
    "  --timeout S         give up when connecting or waiting for the server takes S seconds\n"
    "                      (default 30 to connect, 60 to read; 0: wait as long as it takes)\n"
    "  --http10            send HTTP/1.0 request lines\n"
    "  --status            write the connection's status events to standard error\n"
    "A failure is one line on standard error and exit code 1; a bad command line gives exit code 2.\n";

namespace {
// A decimal number of at most `maxDigits` digits, nothing else.
std::optional<int> Decimal(const std::string& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoi(text);
}

bool HostAndPort(const std::string& text, std::string& host, int& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    const auto number = Decimal(text.substr(colon + 1), 5);
    if (!number || *number < 1 || *number > 65535) return false;
    host = text.substr(0, colon);
    port = *number;
    return true;
}
} // namespace

std::optional<GetOptions> ParseGetOptions(const std::vector<std::string>& args, std::string& error) {
    GetOptions options;
    const auto fail = [&error](std::string why) {
        error = std::move(why);
        return std::nullopt;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto socks = arg == "--socks4"    ? GetOptions::Socks::V4
                           : arg == "--socks4a" ? GetOptions::Socks::V4A
                           : arg == "--socks5"  ? GetOptions::Socks::V5
                                                : GetOptions::Socks::None;
        const bool takesValue =
            arg == "--proxy" || arg == "--post" || arg == "--timeout" || socks != GetOptions::Socks::None;
        if (takesValue && i + 1 >= args.size()) return fail(arg + " needs a value");
        if (arg == "--proxy") {
            if (!HostAndPort(args[++i], options.proxyHost, options.proxyPort))
                return fail("--proxy needs HOST:PORT");
        } else if (socks != GetOptions::Socks::None) {
            if (options.socks != GetOptions::Socks::None) return fail("only one SOCKS server can be given");
            options.socks = socks;
            if (!HostAndPort(args[++i], options.socksHost, options.socksPort))
                return fail(arg + " needs HOST:PORT");
        } else if (arg == "--post") {
            options.postFile = args[++i];
            if (options.postFile.empty()) return fail("--post needs a file name");
        } else if (arg == "--timeout") {
            options.timeoutSeconds = Decimal(args[++i], 6);
            if (!options.timeoutSeconds) return fail("--timeout needs a number of seconds");
        } else if (arg == "--head") {
            options.head = true;
        } else if (arg == "--follow") {
            options.follow = true;
        } else if (arg.rfind("--follow=", 0) == 0) {
            options.follow = true;
            options.redirectMaximum = Decimal(arg.substr(9), 9);
            if (!options.redirectMaximum) return fail("--follow=N needs a number");
        } else if (arg == "--http10") {
            options.http10 = true;
        } else if (arg == "--status") {
            options.status = true;
        } else if (arg == "--help") {
            options.help = true;
        } else if (arg.empty() || arg[0] == '-') {
            return fail("unknown option '" + arg + "'");
        } else if (!options.url.empty()) {
            return fail("only one URL can be given");
        } else {
            options.url = arg;
        }
    }
    if (options.head && !options.postFile.empty()) return fail("--head and --post exclude each other");
    if (options.url.empty() && !options.help) return fail("no URL given");
    return options;
}

} // namespace qv::tools
