#pragma once

#include "server/FrontEndLimits.h"

#include <memory>
#include <string>

namespace qv::server {

class RequestHandler;

// The HTTP side of the service, over TCP or TLS: GET /app.php goes to the request handler,
// and every request leaves one line on standard error. Clients that are slow to send their
// request, or to take their reply, hold no thread that answers others.
class HttpFrontEnd {
public:
    explicit HttpFrontEnd(RequestHandler& handler, FrontEndLimits limits = {});
    ~HttpFrontEnd();
    HttpFrontEnd(const HttpFrontEnd&) = delete;
    HttpFrontEnd& operator=(const HttpFrontEnd&) = delete;

    // Also answers GET `path` with `body` as it stands (the benchmark's ceiling). Before Run.
    void ServeFixed(const std::string& path, std::string body);
    // Serves HTTPS instead, with the certificate chain and key of these PEM files. Before Run;
    // raises std::runtime_error naming the file that cannot be used.
    void ServeTls(const std::string& certificateFile, const std::string& keyFile);
    // Port 0 takes a free port. Gives the bound port; raises std::runtime_error on failure.
    int Bind(const std::string& address, int port);
    // Serves until Stop. Ignores SIGPIPE from then on, for the whole process.
    void Run();
    // May be called from any thread.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qv::server
