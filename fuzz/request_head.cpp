// Request heads as the service reads them off a connection. The end of a head is found at the
// same place whether the bytes come at once or in two pieces, and it ends in an empty line; a
// head is read or refused with a client error, and what is read has a path the service can
// route; decoding never makes a text longer.
#include "fuzz/support/FuzzInput.h"
#include "server/frontend/RequestHead.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qv::server;
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    size_t from = 0;
    const size_t end = FindHeadEnd(bytes, from);
    size_t resumed = 0;
    const size_t cut = std::min<size_t>(data[0], bytes.size());
    const size_t early = FindHeadEnd(bytes.substr(0, cut), resumed);
    qv::fuzz::Require((early ? early : FindHeadEnd(bytes, resumed)) == end,
                      "a head in two pieces ends where it ends at once");
    if (end == 0) return 0;
    const std::string_view head = bytes.substr(0, end);
    qv::fuzz::Require(head.substr(end - 2) == "\n\n" || head.substr(end - 3) == "\n\r\n",
                      "a head ends in an empty line");

    const HeadParse parsed = ParseRequestHead(head);
    qv::fuzz::Require(parsed.head ? parsed.status == 0 : parsed.status == 400 || parsed.status == 505,
                      "a head is read, or refused as the client's fault");
    if (parsed.head) {
        const std::string& path = parsed.head->path;
        qv::fuzz::Require(!path.empty() && (path.front() == '/' || path == "*"), "a read head has a path");
        for (const auto& [key, value] : DecodeQuery(parsed.head->query))
            qv::fuzz::Require(key.size() + value.size() <= parsed.head->query.size(),
                              "decoding never makes the query longer");
    }
    return 0;
}
