#pragma once

#include "framework/Component.h"
#include "framework/DateTime.h"
#include "http/text/IdHeaderList.h"

#include <cstdint>
#include <string>

namespace qv::http {

// One set of HTTP header values with the proxy settings: the Request and the Response of
// the HTTP client. Numbers and dates of 0 and empty texts stand for "not set".
class TIdHeaderInfo : public framework::TPersistent {
public:
    explicit TIdHeaderInfo(framework::TComponent* owner = nullptr) : owner_(owner) {}

    std::string Accept = "text/html, */*";
    std::string AcceptCharSet;
    std::string AcceptEncoding;
    std::string AcceptLanguage;
    std::string Connection;
    std::string ContentEncoding;
    std::string ContentLanguage;
    int32_t ContentLength = 0;
    int32_t ContentRangeEnd = 0;
    int32_t ContentRangeStart = 0;
    std::string ContentType;
    std::string ContentVersion;
    framework::TDateTime Date = 0;
    framework::TDateTime Expires = 0;
    TIdHeaderList ExtraHeaders;
    std::string From;
    framework::TDateTime LastModified = 0;
    std::string Location;
    std::string Password;
    std::string ProxyAuthenticate;
    std::string ProxyPassword;
    int32_t ProxyPort = 0;
    std::string ProxyServer;
    std::string ProxyUsername;
    std::string Referer;
    std::string Server;
    std::string UserAgent = "Mozilla/3.0 (compatible; Orvo Library)";
    std::string Username;
    std::string WWWAuthenticate;

    framework::TComponent* Owner() const { return owner_; }

    // Empties the list and writes one request header line per field that is set, then ExtraHeaders.
    void WriteToLines(TIdHeaderList& lines) const;
    // Takes the known reply headers out of the list into the fields; the rest become ExtraHeaders.
    void TakeFromLines(TIdHeaderList& lines);
    // The Proxy-Authorization line for ProxyUsername and ProxyPassword; empty without a user.
    std::string ProxyAuthorizationLine() const;

private:
    framework::TComponent* owner_;
};

} // namespace qv::http
