#include "tools/GetOptions.h"

#include "framework/CommandLine.h"

#include <algorithm>

namespace qv::tools {

const char* const kGetUsage =
    "usage: quorvane-get [--proxy HOST:PORT] [--socks4|--socks4a|--socks5 HOST:PORT] [--head] [--post FILE]\n"
    "                    [--follow[=N]] [--timeout S] [--http10] [--status] URL\n"
    "       quorvane-get --help | --version\n"
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
    using framework::TOptionValue;
    static const std::vector<framework::TOptionSpec> kOptions = {
        {"--proxy", TOptionValue::Required},   {"--socks4", TOptionValue::Required},
        {"--socks4a", TOptionValue::Required}, {"--socks5", TOptionValue::Required},
        {"--head", TOptionValue::None},        {"--post", TOptionValue::Required},
        {"--follow", TOptionValue::Attached},  {"--timeout", TOptionValue::Required},
        {"--http10", TOptionValue::None},      {"--status", TOptionValue::None}};
    const std::optional<framework::TCommandLine> line = framework::TCommandLine::Read(args, kOptions, error);
    if (!line) return std::nullopt;
    GetOptions options;
    const auto fail = [&error](std::string why) {
        error = std::move(why);
        return std::nullopt;
    };
    options.help = line->Help();
    options.version = line->Version();
    if (const auto proxy = line->Value("--proxy");
        proxy && !HostAndPort(*proxy, options.proxyHost, options.proxyPort))
        return fail("--proxy needs HOST:PORT");
    for (const auto& [name, socks] :
         {std::pair{"--socks4", GetOptions::Socks::V4}, std::pair{"--socks4a", GetOptions::Socks::V4A},
          std::pair{"--socks5", GetOptions::Socks::V5}}) {
        const std::vector<std::string> servers = line->Values(name);
        if (servers.empty()) continue;
        if (options.socks != GetOptions::Socks::None || servers.size() > 1)
            return fail("only one SOCKS server can be given");
        options.socks = socks;
        if (!HostAndPort(servers.front(), options.socksHost, options.socksPort))
            return fail(std::string(name) + " needs HOST:PORT");
    }
    if (const auto post = line->Value("--post")) {
        options.postFile = *post;
        if (options.postFile.empty()) return fail("--post needs a file name");
    }
    if (const auto timeout = line->Value("--timeout")) {
        options.timeoutSeconds = Decimal(*timeout, 6);
        if (!options.timeoutSeconds) return fail("--timeout needs a number of seconds");
    }
    options.head = line->Has("--head");
    options.follow = line->Has("--follow");
    if (const auto maximum = line->Value("--follow")) {
        options.redirectMaximum = Decimal(*maximum, 9);
        if (!options.redirectMaximum) return fail("--follow=N needs a number");
    }
    options.http10 = line->Has("--http10");
    options.status = line->Has("--status");
    const std::vector<std::string>& operands = line->Operands();
    if (operands.size() > 1) return fail("only one URL can be given");
    if (!operands.empty()) options.url = operands.front();
    if (options.head && !options.postFile.empty()) return fail("--head and --post exclude each other");
    if (options.url.empty() && !options.help && !options.version) return fail("no URL given");
    return options;
}

} // namespace qv::tools
