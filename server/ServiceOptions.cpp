#include "server/ServiceOptions.h"

#include "framework/CommandLine.h"

namespace qv::server {

const char* const kServiceUsage =
    "usage: quorvane-service [--port N] [--bind ADDRESS] [--db PATH] [--seed N]\n"
    "                        [--tls-cert FILE --tls-key FILE] [--max-connections-per-address N]\n"
    "       quorvane-service --db PATH --import PATH...\n"
    "       quorvane-service --db PATH --generate N [--seed N]\n"
    "       quorvane-service --help | --version\n"
    "  --port N         TCP port to listen on (default 8080; 0 picks a free one)\n"
    "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
    "  --db PATH        database file, created and filled when missing (default quorvane-service.db),\n"
    "                   or a PostgreSQL connection string (postgresql://USER@HOST/NAME, or key=value pairs)\n"
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
    using framework::TOptionValue;
    static const std::vector<framework::TOptionSpec> kOptions = {
        {"--port", TOptionValue::Required},
        {"--bind", TOptionValue::Required},
        {"--db", TOptionValue::Required},
        {"--seed", TOptionValue::Required},
        {"--generate", TOptionValue::Required},
        {"--import", TOptionValue::List},
        {"--tls-cert", TOptionValue::Required},
        {"--tls-key", TOptionValue::Required},
        {"--max-connections-per-address", TOptionValue::Required}};
    const std::optional<framework::TCommandLine> line =
        framework::TCommandLine::Read(arguments, kOptions, error);
    if (!line) return std::nullopt;
    const auto fail = [&error](std::string why) {
        error = std::move(why);
        return std::nullopt;
    };
    ServiceOptions options;
    options.help = line->Help();
    options.version = line->Version();
    if (!line->Operands().empty()) return fail("unexpected argument '" + line->Operands().front() + "'");
    options.imports = line->Values("--import");
    if (const auto port = line->Value("--port")) {
        const auto number = ParseNumber(*port, 65535);
        if (!number) return fail("--port takes a number from 0 to 65535");
        options.port = static_cast<int>(*number);
    }
    if (const auto seed = line->Value("--seed")) {
        const auto number = ParseNumber(*seed, UINT64_MAX);
        if (!number) return fail("--seed takes a non-negative number");
        options.seed = *number;
    }
    if (const auto generate = line->Value("--generate")) {
        const auto count = ParseNumber(*generate, kMaxGenerated);
        if (!count || *count == 0)
            return fail("--generate takes a number from 1 to " + std::to_string(kMaxGenerated));
        options.generate = static_cast<int64_t>(*count);
    }
    if (const auto cap = line->Value("--max-connections-per-address")) {
        const auto number = ParseNumber(*cap, kMaxConnectionCap);
        if (!number)
            return fail("--max-connections-per-address takes a number from 0 to " +
                        std::to_string(kMaxConnectionCap));
        options.maxConnectionsPerAddress = static_cast<int>(*number);
    }
    for (const auto& [name, field] :
         {std::pair{"--bind", &options.bind}, std::pair{"--db", &options.database},
          std::pair{"--tls-cert", &options.tlsCertificate}, std::pair{"--tls-key", &options.tlsKey}}) {
        const auto value = line->Value(name);
        if (!value) continue;
        if (value->empty()) return fail(std::string(name) + " needs a value");
        *field = *value;
    }
    if (!options.imports.empty() && options.generate)
        return fail("--import and --generate do not go together");
    if (options.tlsCertificate.empty() != options.tlsKey.empty())
        return fail("--tls-cert and --tls-key go together");
    return options;
}

} // namespace qv::server
