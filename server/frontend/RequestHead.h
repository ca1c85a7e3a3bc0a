#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace qv::server {

// What the service needs of one request head.
struct RequestHead {
    std::string method;
    // Percent-decoded, without the scheme and host of a target in absolute form.
    std::string path;
    // As sent, without the "?".
    std::string query;
    // The connection may carry another request after this one's reply.
    bool keepAlive = true;
};

// A head read as far as it goes: the request, or the status that refuses it.
struct HeadParse {
    std::optional<RequestHead> head;
    int status = 0;
};

// The longest request head the service reads; a longer one is refused.
constexpr size_t kMaxHeadBytes = 16 * 1024;

// The length of the head at the start of `bytes`, up to and including the empty line that ends
// it; 0 while it is incomplete. Empty lines before the request line belong to the head. The
// search starts at `from`, where an earlier search of the same bytes left off, so that a head
// that arrives a byte at a time costs no more than one that arrives at once.
size_t FindHeadEnd(std::string_view bytes, size_t& from);

// Reads a complete head (as FindHeadEnd delimits it) of HTTP/1.0 or 1.1. A request that
// announces a body is served, but its connection is closed afterwards, since the body is
// never read.
HeadParse ParseRequestHead(std::string_view head);

// The status a head that has grown past kMaxHeadBytes is refused with.
int OversizedHeadStatus(std::string_view bytes);

// "%XX" becomes its byte; a "%" without two hex digits stays as it is.
std::string PercentDecode(std::string_view text, bool plusIsSpace);

// The query's "key=value" pairs separated by "&", decoded as forms are ("+" is a space); a
// key without "=" has an empty value.
std::multimap<std::string, std::string> DecodeQuery(std::string_view query);

} // namespace qv::server
