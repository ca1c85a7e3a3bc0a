#include "service/ServiceExchange.h"

#include "http/IdHTTP.h"
#include "http/IdHeaderInfo.h"
#include "http/IdSSLConnectionIntercept.h"

namespace qv::service {

void ApplyServiceSettings(http::TIdHeaderInfo& request) {
    request.Accept = "text/html, */*";
    request.UserAgent = "Mozilla/3.0 (compatible;)";
    request.ContentLength = 0;
    request.ContentRangeStart = 0;
    request.ContentRangeEnd = 0;
}

void ApplyServiceTimeouts(http::TIdHTTP& http) {
    http.ConnectTimeout = kServiceConnectTimeout;
    http.ReadTimeout = kServiceReadTimeout;
}

void ApplyServiceLimits(http::TIdHTTP& http) {
    http.MaxStreamSize = kServiceMaxReplyBytes;
}

void ApplyServiceTls(http::TIdHTTP& http) {
    http.SetIntercept(new http::TIdSSLConnectionIntercept(&http));
}

} // namespace qv::service
