#include "bench/ServiceClient.h"

#include "tests/support/LoopbackListener.h"

#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qv::bench {

std::string ServiceClient::Get(uint16_t port, const std::string& target) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in addr = test::LoopbackAddress(port);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::string reply;
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[16384];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            reply.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    const size_t body = reply.find("\r\n\r\n");
    if (reply.compare(0, 12, "HTTP/1.1 200") != 0 || body == std::string::npos)
        throw std::runtime_error("no reply for " + target);
    return reply.substr(body + 4);
}

double ServiceClient::Rate(uint16_t port, int clients, int perClient,
                           const std::function<std::string(int, int)>& target) {
    return Rate(std::vector<uint16_t>{port}, clients, perClient, target);
}

double ServiceClient::Rate(const std::vector<uint16_t>& ports, int clients, int perClient,
                           const std::function<std::string(int, int)>& target) {
    std::atomic<bool> failed{false};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            try {
                for (int i = 0; i < perClient; ++i)
                    if (Get(ports[static_cast<size_t>(c) % ports.size()], target(c, i)).compare(0, 2, "ok") !=
                        0)
                        failed = true;
            } catch (const std::exception&) {
                failed = true;
            }
        });
    for (auto& thread : threads)
        thread.join();
    if (failed) throw std::runtime_error("a request failed");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return clients * perClient / seconds;
}

std::string ServiceClient::Browse(const std::string& keyword, const std::string& country, int page) {
    return "/app.php?action=browse&email=demo@quorvane.example&password=demo&page=" + std::to_string(page) +
           "&keyword=" + keyword + "&filterby1='" + country + "'";
}

} // namespace qv::bench
