#include "server/HttpFrontEnd.h"

#include "server/RequestHandler.h"

#include <ctime>
#include <httplib.h>
#include <stdexcept>

namespace qv::server {

namespace {

constexpr const char* kContentType = "text/plain; charset=windows-1252";

// Neither the query nor the path goes into the log as it came: the query holds the
// password, and both may hold control bytes.
std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, 64))
        out += static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F ? c : '?';
    return out;
}

void LogRequest(const httplib::Request& request, const httplib::Response& response) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string line = std::string(stamp) + " " + request.remote_addr + " " + Printable(request.method) +
                       " " + Printable(request.path);
    if (request.has_param("action")) line += " action=" + Printable(request.get_param_value("action"));
    line += " " + std::to_string(response.status) + " " + std::to_string(response.body.size());
    // Which page a listing asked for, for those who follow a client's paging in the log.
    if (request.has_param("page")) line += " page=" + Printable(request.get_param_value("page"));
    line += "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

} // namespace

struct HttpFrontEnd::Impl {
    httplib::Server server;
};

HttpFrontEnd::HttpFrontEnd(RequestHandler& handler) : impl_(std::make_unique<Impl>()) {
    // A request may name the service's address in its target (absolute form), as one that
    // comes through a proxy does; HTTP/1.1 servers must accept that.
    impl_->server.Get(R"((?:[Hh][Tt][Tt][Pp]://[^/]*)?/app\.php)",
                      [&handler](const httplib::Request& request, httplib::Response& response) {
                          try {
                              // Failed logins are throttled by the client's address.
                              const std::string& peer = request.remote_addr;
                              response.set_content(handler.Handle(request.params, peer), kContentType);
                          } catch (const std::exception& e) {
                              response.status = 500;
                              response.set_content("Service error", kContentType);
                              const std::string line = std::string("request failed: ") + e.what() + "\n";
                              std::fwrite(line.data(), 1, line.size(), stderr);
                          }
                      });
    impl_->server.set_logger(LogRequest);
}

HttpFrontEnd::~HttpFrontEnd() = default;

void HttpFrontEnd::ServeFixed(const std::string& path, std::string body) {
    impl_->server.Get(path, [body = std::move(body)](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, kContentType);
    });
}

int HttpFrontEnd::Bind(const std::string& address, int port) {
    const int bound = port == 0 ? impl_->server.bind_to_any_port(address)
                                : (impl_->server.bind_to_port(address, port) ? port : -1);
    if (bound <= 0) throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port));
    return bound;
}

void HttpFrontEnd::Run() {
    impl_->server.listen_after_bind();
}

void HttpFrontEnd::Stop() {
    impl_->server.stop();
}

} // namespace qv::server
