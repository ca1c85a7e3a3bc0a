#pragma once

#include "server/CredentialCache.h"
#include "server/ReplyCache.h"
#include "server/TenderDatabase.h"

#include <map>
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

    explicit RequestHandler(const std::string& databasePath);

    std::string Handle(const Params& params);

private:
    std::optional<TenderDatabase::Account> CheckPassword(const std::string& email,
                                                         const std::string& password);
    bool Authenticated(const Params& params);
    std::string CheckLogin(const Params& params);
    std::string Browse(const Params& params);
    std::string ViewTender(const Params& params);

    std::mutex databaseMutex_;
    TenderDatabase database_;
    CredentialCache credentials_;
    ReplyCache replies_;
};

} // namespace qv::server
