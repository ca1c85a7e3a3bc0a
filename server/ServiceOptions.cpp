#include "server/ServiceOptions.h"

namespace qv::server {

const char* const kServiceUsage =
    "usage: quorvane-service [--port N] [--bind ADDRESS] [--db PATH] [--seed N]\n"
    "                        [--tls-cert FILE --tls-key FILE] [--max-connections-per-address N]\n"
    "       quorvane-service --db PATH --import PATH...\n"
    "       quorvane-service --db PATH --generate N [--seed N]\n"
    "  --port N         TCP port to listen on (default 8080; 0 picks a free one)\n"
    "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
    "  --db PATH        database file, created and filled when missing (default quorvane-service.db)\n"
    "  --seed N         seed of the generated corpus for a new database (default 1)\n"
    "  --tls-cert FILE  serve HTTPS with this PEM certificate (its chain may follow it)\n"
    "  --tls-key FILE   and this PEM private key, not protected by a passphrase\n"
    "  --max-connections-per-address N\n"
    "                   open connections one client address may hold (default 32; 0: no cap)\n"
    "  --import PATH... import eForms notices (XML files, folders, .tar.gz or .zip packages) and exit\n"
    "  --generate N     build a new database of N generated tenders over two years and exit\n";

namespace {

// More tenders than this would take days to generate.
constexpr uint64_t kMaxGenerated = 100000000;
// More than the system lets one process open.
constexpr uint64_t kMaxConnectionCap = 1000000;

std::optional<uint64_t> ParseNumber(const std::string& text, uint64_t max) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (max - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& arguments,
                                                  std::string& error) {
    ServiceOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--import") {
            if (value) options.imports.push_back(*value);
            for (; i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0; ++i)
                options.imports.push_back(arguments[i + 1]);
            if (options.imports.empty()) {
                error = "--import needs a file, folder or package";
                return std::nullopt;
            }
            continue;
        }
        if (name != "--port" && name != "--bind" && name != "--db" && name != "--seed" &&
            name != "--generate" && name != "--tls-cert" && name != "--tls-key" &&
            name != "--max-connections-per-address") {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = arguments[++i];
        }
        if (name == "--port") {
            const auto port = ParseNumber(*value, 65535);
            if (!port) {
                error = "--port takes a number from 0 to 65535";
                return std::nullopt;
            }
            options.port = static_cast<int>(*port);
        } else if (name == "--seed") {
            const auto seed = ParseNumber(*value, UINT64_MAX);
            if (!seed) {
                error = "--seed takes a non-negative number";
                return std::nullopt;
            }
            options.seed = *seed;
        } else if (name == "--generate") {
            const auto count = ParseNumber(*value, kMaxGenerated);
            if (!count || *count == 0) {
                error = "--generate takes a number from 1 to " + std::to_string(kMaxGenerated);
                return std::nullopt;
            }
            options.generate = static_cast<int64_t>(*count);
        } else if (name == "--max-connections-per-address") {
            const auto cap = ParseNumber(*value, kMaxConnectionCap);
            if (!cap) {
                error = name + " takes a number from 0 to " + std::to_string(kMaxConnectionCap);
                return std::nullopt;
            }
            options.maxConnectionsPerAddress = static_cast<int>(*cap);
        } else if (value->empty()) {
            error = name + " needs a value";
            return std::nullopt;
        } else if (name == "--tls-cert" || name == "--tls-key") {
            (name == "--tls-cert" ? options.tlsCertificate : options.tlsKey) = *value;
        } else {
            (name == "--bind" ? options.bind : options.database) = *value;
        }
    }
    if (!options.imports.empty() && options.generate) {
        error = "--import and --generate do not go together";
        return std::nullopt;
    }
    if (options.tlsCertificate.empty() != options.tlsKey.empty()) {
        error = "--tls-cert and --tls-key go together";
        return std::nullopt;
    }
    return options;
}

} // namespace qv::server
