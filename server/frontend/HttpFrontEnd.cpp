#include "server/frontend/HttpFrontEnd.h"

#include "server/RequestHandler.h"
#include "server/frontend/ConnectionLoop.h"
#include "server/frontend/HttpReply.h"
#include "server/frontend/RequestLog.h"

#include <cstdio>
#include <unordered_map>

namespace qv::server {

namespace {

constexpr const char* kServicePath = "/app.php";
constexpr const char* kServiceError = "Service error";

} // namespace

struct HttpFrontEnd::Impl {
    Impl(RequestHandler& requestHandler, FrontEndLimits limits)
        : handler(requestHandler),
          loop(limits, [this](const RequestHead& request, const ClientAddress& client) {
              return Respond(request, client);
          }) {}

    std::string Respond(const RequestHead& request, const ClientAddress& client);

    RequestHandler& handler;
    std::unordered_map<std::string, std::string> fixed;
    ConnectionLoop loop;
};

std::string HttpFrontEnd::Impl::Respond(const RequestHead& request, const ClientAddress& client) {
    const bool headOnly = request.method == "HEAD";
    std::optional<std::string> action;
    std::optional<std::string> page;
    int status = kStatusOk;
    std::string produced;
    std::string_view body;
    if (request.method != "GET" && !headOnly) {
        status = kStatusMethodNotAllowed;
        body = StatusText(status);
    } else if (request.path == kServicePath) {
        const RequestHandler::Params params = DecodeQuery(request.query);
        const auto first = [&params](const char* name) -> std::optional<std::string> {
            const auto found = params.lower_bound(name);
            if (found == params.end() || found->first != name) return std::nullopt;
            return found->second;
        };
        action = first("action");
        page = first("page");
        try {
            produced = handler.Handle(params, client.loginKey);
            body = produced;
        } catch (const std::exception& e) {
            status = kStatusServiceError;
            body = kServiceError;
            const std::string line = std::string("request failed: ") + e.what() + "\n";
            std::fwrite(line.data(), 1, line.size(), stderr);
        }
    } else if (const auto found = fixed.find(request.path); found != fixed.end()) {
        body = found->second;
    } else {
        status = kStatusNotFound;
        body = StatusText(status);
    }
    LogRequest(client.text, request.method, request.path, action, status, body.size(), page);
    return FormatReply(status, body, request.keepAlive, headOnly);
}

HttpFrontEnd::HttpFrontEnd(RequestHandler& handler, FrontEndLimits limits)
    : impl_(std::make_unique<Impl>(handler, limits)) {}

HttpFrontEnd::~HttpFrontEnd() = default;

void HttpFrontEnd::ServeFixed(const std::string& path, std::string body) {
    impl_->fixed[path] = std::move(body);
}

void HttpFrontEnd::ServeTls(const std::string& certificateFile, const std::string& keyFile) {
    impl_->loop.UseTls(std::make_unique<TlsContext>(certificateFile, keyFile));
}

int HttpFrontEnd::Bind(const std::string& address, int port) {
    return impl_->loop.Bind(address, port);
}

void HttpFrontEnd::Run() {
    impl_->loop.Run();
}

void HttpFrontEnd::Stop() {
    impl_->loop.Stop();
}

} // namespace qv::server
