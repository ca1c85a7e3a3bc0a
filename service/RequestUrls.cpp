#include "service/RequestUrls.h"

#include "service/EncodeUrl.h"

namespace qv::service {

namespace {

std::string Start(const std::string& host, const char* action, const std::string& email,
                  const std::string& password) {
    const std::string origin = host.find("://") == std::string::npos ? "http://" + host : host;
    return origin + "/app.php?action=" + action + "&email=" + EncodeValue(email) +
           "&password=" + EncodeValue(password);
}

} // namespace

std::string CheckLoginUrl(const std::string& host, const std::string& email, const std::string& password) {
    return Start(host, "check_login", email, password);
}

std::string BrowseUrl(const std::string& host, const std::string& email, const std::string& password,
                      int32_t page, const std::string& keyword, const std::string& countryCode) {
    return Start(host, "browse", email, password) + "&page=" + std::to_string(page) +
           "&keyword=" + EncodeValue(keyword) + "&filterby1='" + EncodeValue(countryCode) + "'";
}

std::string ViewTenderUrl(const std::string& host, const std::string& email, const std::string& password,
                          const std::string& id) {
    return Start(host, "view_tender", email, password) + "&id=" + EncodeValue(id);
}

} // namespace qv::service
