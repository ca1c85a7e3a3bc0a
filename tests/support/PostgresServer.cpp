#include "tests/support/PostgresServer.h"

#include "platform/Process.h"
#include "tests/support/ChildProcess.h"

#include <filesystem>
#include <optional>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace qv::test {

namespace {

constexpr const char* kUser = "postgres";
constexpr const char* kRunUser = "/usr/sbin/runuser";
constexpr int kStartSeconds = 60;

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// The folder of the server's programs, or empty with the reason set.
std::string ServerPrograms(std::string& reason) {
    // The server's programs are not on PATH; pg_config, from libpq-dev, names their folder.
    const std::optional<std::string> pgConfig = qv::platform::FindProgramOnPath("pg_config");
    if (!pgConfig) {
        reason = "pg_config is missing (scripts/install-deps installs libpq-dev and postgresql)";
        return {};
    }
    std::string bindir = Trimmed(RunProgram(*pgConfig, {"--bindir"}).out);
    if (::access((bindir + "/initdb").c_str(), X_OK) != 0) {
        reason = "the postgresql package is missing (no " + bindir + "/initdb)";
        return {};
    }
    return bindir;
}

} // namespace

PostgresServer& PostgresServer::Instance() {
    static PostgresServer server;
    return server;
}

PostgresServer::PostgresServer() {
    bindir_ = ServerPrograms(reason_);
    if (bindir_.empty()) return;
    try {
        folder_.emplace("qv-postgres");
    } catch (const std::exception& e) {
        reason_ = e.what();
        return;
    }
    dir_ = folder_->Path();
    Start(true);
}

PostgresServer::PostgresServer(const std::string& keptFolder) : dir_(keptFolder) {
    bindir_ = ServerPrograms(reason_);
    if (bindir_.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(dir_, error);
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, error);
    if (error) {
        reason_ = "cannot make the folder " + dir_;
        return;
    }
    Start(!std::filesystem::exists(dir_ + "/data/PG_VERSION"));
    if (started_) return;
    // A server of an earlier run that was not stopped holds the cluster still.
    Run("pg_ctl", {"-D", dir_ + "/data", "-m", "fast", "-w", "stop"});
    Start(false);
    if (started_) return;
    std::filesystem::remove_all(dir_ + "/data", error);
    Start(true);
}

void PostgresServer::Start(bool fresh) {
    reason_.clear();
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam(kUser);
        if (!user || ::chown(dir_.c_str(), user->pw_uid, user->pw_gid) != 0) {
            reason_ = std::string("cannot hand the data folder to the user ") + kUser;
            return;
        }
    }
    const std::string data = dir_ + "/data";
    if (fresh) reason_ = Run("initdb", {"-D", data, "-U", kUser, "-E", "UTF8", "--locale=C", "-A", "trust"});
    if (!reason_.empty()) return;
    // No TCP at all: the socket in the private folder is the only way in. No fsync: the
    // cluster is thrown away, or made anew when it does not start.
    reason_ =
        Run("pg_ctl", {"-D", data, "-l", dir_ + "/server.log", "-w", "-t", std::to_string(kStartSeconds),
                       "-o", "-c listen_addresses='' -k " + dir_ + " -F", "start"});
    started_ = reason_.empty();
}

PostgresServer::~PostgresServer() {
    // The temporary folder goes after this, with the stopped cluster in it.
    if (started_) Run("pg_ctl", {"-D", dir_ + "/data", "-m", "fast", "-w", "stop"});
}

std::string PostgresServer::Run(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"-u", kUser, "--", bindir_ + "/" + program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProgramResult result = ::geteuid() == 0
                                     ? RunProgram(kRunUser, command, kStartSeconds)
                                     : RunProgram(bindir_ + "/" + program, arguments, kStartSeconds);
    if (result.exitCode == 0) return {};
    return program + " failed: " + Trimmed(result.err.empty() ? result.out : result.err);
}

std::string PostgresServer::CreateDatabase() {
    if (!Running()) throw std::runtime_error(reason_);
    const std::string name = "quorvane_" + std::to_string(++databases_);
    const std::string failure = Run("psql", {"-h", dir_, "-U", kUser, "-d", "postgres", "-v",
                                             "ON_ERROR_STOP=1", "-c", "CREATE DATABASE " + name});
    if (!failure.empty()) throw std::runtime_error(failure);
    return ConnectionString(name);
}

std::string PostgresServer::ConnectionString(const std::string& name) const {
    return "host=" + dir_ + " user=" + kUser + " dbname=" + name;
}

} // namespace qv::test
