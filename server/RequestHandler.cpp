#include "server/RequestHandler.h"

#include "framework/Cp1252.h"
#include "framework/Format.h"
#include "server/Cp1252.h"
#include "server/PasswordHash.h"
#include "server/TenderBackend.h"

namespace qv::server {

namespace {

constexpr size_t kReplyCacheBytes = 32 * 1024 * 1024;

std::string Param(const RequestHandler::Params& params, const std::string& key) {
    // The first of repeated keys, as the query gave them.
    const auto found = params.lower_bound(key);
    return found == params.end() || found->first != key ? std::string() : found->second;
}

// Only plain decimal digits; nothing when the text is empty, signed, padded or too long.
std::optional<int64_t> ParsePositive(const std::string& text, size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1) return std::nullopt;
    return value;
}

// The client sends the code between apostrophes; a bare code is taken as well.
std::string CountryCode(std::string code) {
    if (code.size() >= 2 && code.front() == '\'' && code.back() == '\'')
        code = code.substr(1, code.size() - 2);
    return code;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

} // namespace

RequestHandler::RequestHandler(const std::string& database)
    : database_(TenderBackend::For(database)->OpenReader()), replies_(kReplyCacheBytes) {}

std::string RequestHandler::Handle(const Params& params, const std::string& peer) {
    const std::string action = Param(params, "action");
    if (action == "check_login") return CheckLogin(params, peer);
    if (action == "browse") return Browse(params, peer);
    if (action == "view_tender") return ViewTender(params, peer);
    return kUnknownAction;
}

std::optional<TenderDatabase::Account> RequestHandler::CheckPassword(const std::string& email,
                                                                     const std::string& password,
                                                                     const std::string& peer) {
    if (email.empty() || password.empty()) return std::nullopt;
    std::optional<TenderDatabase::Account> account;
    {
        const std::lock_guard lock(databaseMutex_);
        account = database_->FindAccount(framework::Cp1252ToUtf8(email));
    }
    if (account && credentials_.Contains(email, password)) return account;
    if (!peer.empty() && !throttle_.MayTry(peer)) return std::nullopt;
    // The slow check runs outside the lock so that other requests go on meanwhile. An unknown
    // account is checked too, against a stand-in, so that it takes as long as a wrong password.
    const bool matches = VerifyPassword(framework::Cp1252ToUtf8(password),
                                        account ? account->passwordHash : DummyPasswordHash());
    if (!account || !matches) {
        if (!peer.empty()) throttle_.Failed(peer);
        return std::nullopt;
    }
    if (!peer.empty()) throttle_.Succeeded(peer);
    credentials_.Remember(email, password);
    return account;
}

bool RequestHandler::Authenticated(const Params& params, const std::string& peer) {
    const std::string email = Param(params, "email");
    const std::string password = Param(params, "password");
    if (!email.empty() && credentials_.Contains(email, password)) return true;
    return CheckPassword(email, password, peer).has_value();
}

std::string RequestHandler::CheckLogin(const Params& params, const std::string& peer) {
    const auto account = CheckPassword(Param(params, "email"), Param(params, "password"), peer);
    if (!account) return kBadLogin;
    return Utf8ToCp1252(account->word + account->name + "{{}}" + account->keywords);
}

std::string RequestHandler::Browse(const Params& params, const std::string& peer) {
    if (!Authenticated(params, peer)) return kBadLogin;
    const auto page = ParsePositive(Param(params, "page"), 9);
    if (!page) return kBadPage;
    const std::string keyword = framework::Cp1252ToUtf8(Param(params, "keyword"));
    const std::string country = CountryCode(Param(params, "filterby1"));

    // The country's length keeps keys apart whatever bytes the three values hold.
    const std::string key =
        std::to_string(country.size()) + ':' + country + std::to_string(*page) + '\n' + keyword;
    if (database_->Changed()) replies_.Clear();
    if (auto cached = replies_.Find(key)) return std::move(*cached);

    // A reply read before the tenders changed must not outlive the replies forgotten then.
    const uint64_t generation = replies_.Generation();
    const int64_t offset = (*page - 1) * kPageSize;
    TenderDatabase::Listing listing;
    {
        const std::lock_guard lock(databaseMutex_);
        listing = keyword.empty() ? database_->ListToday(country, offset, kPageSize)
                                  : database_->Search(keyword, country, offset, kPageSize);
    }
    std::string reply = framework::Format("ok%10lld\r\n", static_cast<long long>(listing.total));
    for (const auto& [id, title] : listing.rows)
        reply += Utf8ToCp1252(title) + "\r\n" + std::to_string(id) + "\r\n";
    replies_.Store(key, reply, generation);
    return reply;
}

std::string RequestHandler::ViewTender(const Params& params, const std::string& peer) {
    if (!Authenticated(params, peer)) return kBadLogin;
    const auto id = ParsePositive(Param(params, "id"), 18);
    if (!id) return kNoSuchTender;
    std::optional<std::string> text;
    {
        const std::lock_guard lock(databaseMutex_);
        text = database_->FullText(*id);
    }
    if (!text) return kNoSuchTender;
    return "ok\r\n" + WithCrLf(Utf8ToCp1252(*text));
}

} // namespace qv::server
