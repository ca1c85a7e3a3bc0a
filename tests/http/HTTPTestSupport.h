#pragma once

#include "http/IdHTTP.h"
#include "tests/support/ScriptedServer.h"

#include <memory>
#include <string>
#include <vector>

namespace qv::http::test {

using qv::test::ScriptedPeer;
using qv::test::ScriptedServer;

inline std::string UrlOf(const ScriptedServer& server, const std::string& path = "/") {
    return "http://127.0.0.1:" + std::to_string(server.Port()) + path;
}

// A server as the ordinary ones are: it answers each request of a connection with the next of
// `replies` (counted over all connections), sent slowly in small pieces, and keeps the
// connection open until the client closes it.
inline ScriptedServer::Script KeepAlive(std::vector<std::string> replies) {
    return [replies = std::move(replies), next = std::make_shared<size_t>(0)](ScriptedPeer& peer, int) {
        while (*next < replies.size()) {
            if (peer.ReadHead().empty()) return;
            peer.SendSlowly(replies[(*next)++], 7, std::chrono::milliseconds(1));
        }
        peer.ReadUntilClose();
    };
}

// A client set up as the application sets it, next to the server it talks to. The client
// is declared last so that it closes its connection before the server stops.
struct HTTPExchange {
    explicit HTTPExchange(ScriptedServer::Script script) : server(std::move(script)) {
        http.Request().UserAgent = "Mozilla/3.0 (compatible;)";
    }
    std::string Url(const std::string& path = "/") const { return UrlOf(server, path); }

    ScriptedServer server;
    TIdHTTP http;
};

// Records the status texts and progress events of a component, in order.
struct EventRecorder {
    std::vector<std::string> entries;
    void Watch(TIdComponent& component) {
        component.OnStatus = [this](framework::TComponent*, TIdStatus, const std::string& text) {
            entries.push_back(text);
        };
        component.OnWorkBegin = [this](framework::TComponent*, TWorkMode mode, int64_t max) {
            entries.push_back("begin " + std::to_string(mode) + " " + std::to_string(max));
        };
        component.OnWork = [this](framework::TComponent*, TWorkMode mode, int64_t count) {
            entries.push_back("work " + std::to_string(mode) + " " + std::to_string(count));
        };
        component.OnWorkEnd = [this](framework::TComponent*, TWorkMode mode) {
            entries.push_back("end " + std::to_string(mode));
        };
    }
};

} // namespace qv::http::test
