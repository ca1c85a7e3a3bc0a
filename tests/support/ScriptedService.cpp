#include "tests/support/ScriptedService.h"

#include <cstdio>

namespace qv::test {

ScriptedService::ScriptedService()
    : server_([this](ScriptedPeer& peer, int) {
          const std::string head = peer.ReadHead();
          const size_t start = head.find(' ') + 1;
          const std::string target = head.substr(start, head.find(' ', start) - start);
          std::optional<std::string> body;
          {
              std::lock_guard<std::mutex> lock(mutex_);
              targets_.push_back(target);
              if (replies_) body = replies_(target);
          }
          if (!body) {
              peer.Reset();
              return;
          }
          peer.Send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                    std::to_string(body->size()) + "\r\n\r\n" + *body);
          peer.Close();
      }) {}

void ScriptedService::SetReplies(Replies replies) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_ = std::move(replies);
}

void ScriptedService::SetReply(const std::string& body) {
    SetReplies([body](const std::string&) { return body; });
}

std::vector<std::string> ScriptedService::Targets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
}

std::string ScriptedService::LastTarget() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_.empty() ? std::string() : targets_.back();
}

std::string BrowseReply(int total, const std::vector<std::string>& lines) {
    char count[16];
    std::snprintf(count, sizeof count, "%10d", total);
    std::string reply = std::string("ok") + count + "\r\n";
    for (const std::string& line : lines)
        reply += line + "\r\n";
    return reply;
}

} // namespace qv::test
