#pragma once

#include "server/CredentialCache.h"
#include "server/LoginThrottle.h"
#include "server/ReplyCache.h"
#include "server/TenderDatabase.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace qv::server {

// The three actions of /app.php. Takes the decoded query values (Windows-1252 text)
// and gives the reply body, also Windows-1252. Every refusal is a plain text reply,
// never an exception, so that a client sees the service's own words.
class RequestHandler {
public:
    using Params = std::multimap<std::string, std::string>;

    static constexpr int kPageSize = 20;
    static constexpr const char* kBadLogin = "Bad login";
    static constexpr const char* kBadPage = "Bad page number";
    static constexpr const char* kNoSuchTender = "No such tender";
    static constexpr const char* kUnknownAction = "Unknown action";

    // `database` as --db takes it (see TenderBackend).
    explicit RequestHandler(const std::string& database);

    // `peer` names the client (see ClientAddress::loginKey), by which failed logins are
    // throttled; an empty one (a caller inside the process) is not throttled.
    std::string Handle(const Params& params, const std::string& peer = std::string());

private:
    std::optional<TenderDatabase::Account>
    CheckPassword(const std::string& email, const std::string& password, const std::string& peer);
    bool Authenticated(const Params& params, const std::string& peer);
    std::string CheckLogin(const Params& params, const std::string& peer);
    std::string Browse(const Params& params, const std::string& peer);
    std::string ViewTender(const Params& params, const std::string& peer);

    std::mutex databaseMutex_;
    std::unique_ptr<TenderDatabase> database_;
    CredentialCache credentials_;
    LoginThrottle throttle_;
    ReplyCache replies_;
};

} // namespace qv::server
