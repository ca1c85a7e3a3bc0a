#include "http/IdHeaderInfo.h"

#include "framework/Conversions.h"
#include "http/IdBase64.h"
#include "http/text/IdInternetDate.h"
#include "http/text/IdTextFunctions.h"

#include <limits>

namespace qv::http {

namespace {

void AddIfSet(TIdHeaderList& lines, const char* name, const std::string& value) {
    if (!value.empty()) lines.Add(name + value);
}

// The value of the named header, which is then removed from the list with its continuation lines.
std::string TakeValue(TIdHeaderList& lines, const std::string& name) {
    std::string value = lines.ValueOf(name);
    lines.SetValueOf(name, std::string());
    return value;
}

} // namespace

void TIdHeaderInfo::WriteToLines(TIdHeaderList& lines) const {
    lines.Clear();
    AddIfSet(lines, "Accept: ", Accept);
    AddIfSet(lines, "Accept-Charset: ", AcceptCharSet);
    AddIfSet(lines, "Accept-Encoding: ", AcceptEncoding);
    AddIfSet(lines, "Accept-Language: ", AcceptLanguage);
    AddIfSet(lines, "From: ", From);
    AddIfSet(lines, "Referer: ", Referer);
    AddIfSet(lines, "User-Agent: ", UserAgent);
    AddIfSet(lines, "Connection: ", Connection);
    AddIfSet(lines, "Content-Version: ", ContentVersion);
    AddIfSet(lines, "Content-Encoding: ", ContentEncoding);
    AddIfSet(lines, "Content-Language: ", ContentLanguage);
    AddIfSet(lines, "Content-Type: ", ContentType);
    if (ContentLength != 0) lines.Add("Content-Length: " + std::to_string(ContentLength));
    if (ContentRangeStart != 0 || ContentRangeEnd != 0) {
        const std::string end = ContentRangeEnd != 0 ? std::to_string(ContentRangeEnd) : std::string();
        lines.Add("Range: bytes=" + std::to_string(ContentRangeStart) + "-" + end);
    }
    if (!Username.empty()) lines.Add("Authorization: Basic " + EncodeBase64(Username + ":" + Password));
    if (!ProxyServer.empty() && !ProxyUsername.empty()) lines.Add(ProxyAuthorizationLine());
    lines.AddStrings(ExtraHeaders);
}

std::string TIdHeaderInfo::ProxyAuthorizationLine() const {
    if (ProxyUsername.empty()) return std::string();
    return "Proxy-Authorization: Basic " + EncodeBase64(ProxyUsername + ":" + ProxyPassword);
}

void TIdHeaderInfo::TakeFromLines(TIdHeaderList& lines) {
    ExtraHeaders.Clear();
    Location = TakeValue(lines, "Location");
    Server = TakeValue(lines, "Server");
    Connection = TakeValue(lines, "Connection");
    ContentVersion = TakeValue(lines, "Content-Version");
    WWWAuthenticate = TakeValue(lines, "WWW-Authenticate");
    ContentEncoding = TakeValue(lines, "Content-Encoding");
    ContentLanguage = TakeValue(lines, "Content-Language");
    ContentType = TakeValue(lines, "Content-Type");
    // Decimal digits only; a length that is no such number or does not fit reads as none here
    // (the exchange frames the body by its own strict reading of every Content-Length line).
    ContentLength = static_cast<int32_t>(
        StrictDecimal(TakeValue(lines, "Content-Length"), std::numeric_limits<int32_t>::max()).value_or(0));
    std::string range = TakeValue(lines, "Content-Range");
    if (!range.empty()) {
        SplitAt(range, " ", true);
        ContentRangeStart = framework::StrToInt(SplitAt(range, "-", true));
        ContentRangeEnd = framework::StrToInt(SplitAt(range, "/", true));
    }
    Date = InternetDateToLocal(TakeValue(lines, "Date"));
    LastModified = InternetDateToLocal(TakeValue(lines, "Last-Modified"));
    Expires = InternetDateToLocal(TakeValue(lines, "Expires"));
    ProxyAuthenticate = TakeValue(lines, "Proxy-Authenticate");
    ExtraHeaders.AddStrings(lines);
}

} // namespace qv::http
