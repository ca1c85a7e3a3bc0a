#pragma once

#include <memory>
#include <string>

namespace qv::server {

class RequestHandler;

// The HTTP side of the service: GET /app.php goes to the request handler, and every
// request leaves one line on standard error. The only translation unit that sees the
// HTTP library.
class HttpFrontEnd {
public:
    explicit HttpFrontEnd(RequestHandler& handler);
    ~HttpFrontEnd();
    HttpFrontEnd(const HttpFrontEnd&) = delete;
    HttpFrontEnd& operator=(const HttpFrontEnd&) = delete;

    // Also answers GET `path` with `body` as it stands (the benchmark's ceiling).
    void ServeFixed(const std::string& path, std::string body);
    // Port 0 takes a free port. Gives the bound port; raises std::runtime_error on failure.
    int Bind(const std::string& address, int port);
    // Serves until Stop.
    void Run();
    // May be called from any thread.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qv::server
