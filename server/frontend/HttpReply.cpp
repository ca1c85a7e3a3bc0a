#include "server/frontend/HttpReply.h"

namespace qv::server {

std::string_view StatusText(int status) {
    switch (status) {
    case kStatusOk:
        return "OK";
    case 400:
        return "Bad Request";
    case kStatusNotFound:
        return "Not Found";
    case kStatusMethodNotAllowed:
        return "Method Not Allowed";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case kStatusServiceError:
        return "Internal Server Error";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Error";
    }
}

std::string FormatReply(int status, std::string_view body, bool keepAlive, bool headOnly) {
    std::string reply;
    reply.reserve(160 + (headOnly ? 0 : body.size()));
    reply += "HTTP/1.1 ";
    reply += std::to_string(status);
    reply += ' ';
    reply += StatusText(status);
    reply += "\r\nContent-Type: text/plain; charset=windows-1252\r\nContent-Length: ";
    reply += std::to_string(body.size());
    reply += "\r\n";
    if (status == kStatusMethodNotAllowed) reply += "Allow: GET, HEAD\r\n";
    reply += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    if (!headOnly) reply += body;
    return reply;
}

} // namespace qv::server
