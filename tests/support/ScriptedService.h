#pragma once

#include "tests/support/ScriptedServer.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qv::test {

// A tender service whose replies the test writes: each request target is answered with the body
// the test's function gives for it (an HTTP/1.1 200 reply), or the connection is dropped when the
// function gives nothing. The targets are kept in order.
class ScriptedService {
public:
    using Replies = std::function<std::optional<std::string>(const std::string& target)>;

    ScriptedService();
    uint16_t Port() const { return server_.Port(); }
    void SetReplies(Replies replies);
    // Every request answers with the same body.
    void SetReply(const std::string& body);
    std::vector<std::string> Targets() const;
    std::string LastTarget() const;

private:
    mutable std::mutex mutex_;
    Replies replies_;
    std::vector<std::string> targets_;
    ScriptedServer server_;
};

// A browse reply: "ok", the total in its ten-character field, a line break, then the lines.
std::string BrowseReply(int total, const std::vector<std::string>& lines);

} // namespace qv::test
