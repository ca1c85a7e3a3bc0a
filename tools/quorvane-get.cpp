// quorvane-get: one request with the program's own HTTP client, for diagnosing connections
// to the service. The body goes to standard output byte for byte; a failure is one line on
// standard error and exit code 1; a bad command line gives the usage and exit code 2.
#include "framework/CommandLine.h"
#include "framework/Stream.h"
#include "http/IdHTTP.h"
#include "service/ServiceExchange.h"
#include "tools/GetOptions.h"

#include <cstdio>

namespace {

using qv::tools::GetOptions;

constexpr const char* kProgram = "quorvane-get";

// The message on one line: its CR and LF written as \r and \n.
std::string OneLine(const std::string& message) {
    std::string line;
    for (char c : message) {
        if (c == '\r')
            line += "\\r";
        else if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    return line;
}

void ReportFailure(const qv::framework::Exception& e) {
    std::string line = std::string(e.ClassName()) + ": " + OneLine(e.Message());
    if (const auto* reply = dynamic_cast<const qv::http::EIdProtocolReplyError*>(&e))
        line += " (code " + std::to_string(reply->ReplyErrorCode()) + ")";
    else if (const auto* socket = dynamic_cast<const qv::http::EIdSocketError*>(&e))
        line += " (code " + std::to_string(socket->LastError()) + ")";
    line += '\n';
    // Written whole: a reply's status text may hold NUL bytes.
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void Configure(qv::http::TIdHTTP& http, const GetOptions& options) {
    qv::service::ApplyServiceTls(http);
    if (!options.proxyHost.empty()) {
        http.Request().ProxyServer = options.proxyHost;
        http.Request().ProxyPort = options.proxyPort;
    }
    if (options.socks != GetOptions::Socks::None) {
        static constexpr qv::http::TSocksVersion versions[] = {qv::http::svNoSocks, qv::http::svSocks4,
                                                               qv::http::svSocks4A, qv::http::svSocks5};
        http.SocksInfo().Version = versions[static_cast<int>(options.socks)];
        http.SocksInfo().Host = options.socksHost;
        http.SocksInfo().Port = options.socksPort;
    }
    if (options.timeoutSeconds) {
        http.ConnectTimeout = *options.timeoutSeconds * 1000;
        http.ReadTimeout = *options.timeoutSeconds * 1000;
    } else {
        qv::service::ApplyServiceTimeouts(http);
    }
    http.HandleRedirects = options.follow;
    if (options.redirectMaximum) http.RedirectMaximum = *options.redirectMaximum;
    if (options.http10) http.ProtocolVersion = qv::http::pv1_0;
    if (options.status)
        http.OnStatus = [](qv::framework::TComponent*, qv::http::TIdStatus, const std::string& text) {
            std::fprintf(stderr, "%s\n", OneLine(text).c_str());
        };
}

// The exchange the options ask for; the body (none for HEAD) is left in `body`.
void Perform(qv::http::TIdHTTP& http, const GetOptions& options, qv::framework::TMemoryStream& body) {
    if (options.head) {
        http.PerformRequest(qv::http::rkHead, options.url, {}, nullptr);
    } else if (!options.postFile.empty()) {
        qv::framework::TFileStream source(options.postFile, qv::framework::TFileStream::Mode::OpenRead);
        http.PerformRequest(qv::http::rkPost, options.url, &source, &body);
    } else {
        http.Get(options.url, body);
    }
    http.Disconnect();
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = qv::tools::ParseGetOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return qv::framework::RefuseCommandLine(kProgram, error, qv::tools::kGetUsage);
    if (const auto answered = qv::framework::AnswerHelpOrVersion(options->help, options->version, kProgram,
                                                                 qv::tools::kGetUsage))
        return *answered;
    try {
        qv::http::TIdHTTP http;
        Configure(http, *options);
        qv::framework::TMemoryStream body;
        Perform(http, *options, body);
        const auto size = static_cast<size_t>(body.Size());
        if (std::fwrite(body.Memory(), 1, size, stdout) != size || std::fflush(stdout) != 0) {
            std::perror("quorvane-get: standard output");
            return 1;
        }
    } catch (const qv::framework::Exception& e) {
        ReportFailure(e);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Exception: %s\n", OneLine(e.what()).c_str());
        return 1;
    }
    return 0;
}
