#include "tests/support/PeerProcess.h"

#include "tests/support/LoopbackListener.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qv::test {

namespace {
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool Listening(uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}
} // namespace

uint16_t PeerProcess::FreePort() {
    return LoopbackListener().Port();
}

PeerProcess::PeerProcess(std::string program, std::vector<std::string> arguments, std::string configText)
    : folder_("qv-peer") {
    const std::string& dir = folder_.Path();
    ::chmod(dir.c_str(), 0777); // daemons that drop privileges still write their pid and log here
    port_ = FreePort();
    configPath_ = dir + "/peer.conf";
    std::ofstream(configPath_) << ReplaceAll(ReplaceAll(configText, "{PORT}", std::to_string(port_)), "{DIR}",
                                             dir);

    std::vector<std::string> argv{program};
    for (auto& a : arguments)
        argv.push_back(ReplaceAll(ReplaceAll(a, "{CONFIG}", configPath_), "{DIR}", dir));
    if (::access(program.c_str(), X_OK) != 0) return;

    const std::string logPath = dir + "/stderr.log";
    pid_ = ::fork();
    if (pid_ == 0) {
        const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(log, 1);
        ::dup2(log, 2);
        std::vector<char*> raw;
        for (auto& a : argv)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(program.c_str(), raw.data());
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Listening(port_)) {
            ready_ = true;
            return;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

PeerProcess::~PeerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
}

std::string PeerProcess::Log() const {
    std::ifstream in(folder_ / "stderr.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace qv::test
