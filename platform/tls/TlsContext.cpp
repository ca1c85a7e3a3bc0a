#include "platform/tls/TlsContext.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace qv::platform {

namespace {

// Peers whose sessions are kept; the oldest goes first.
constexpr size_t kKeptSessions = 32;

struct TSessionCache {
    std::mutex mutex;
    std::shared_ptr<SSL_CTX> context;
    std::string trust;
    // Sessions by peer, and the order they were kept in.
    std::map<std::string, SSL_SESSION*> sessions;
    std::map<uint64_t, std::string> order;
    uint64_t next = 0;

    void Drop() {
        for (auto& [peer, session] : sessions)
            SSL_SESSION_free(session);
        sessions.clear();
        order.clear();
    }

    void Keep(const std::string& peer, SSL_SESSION* session) {
        const auto found = sessions.find(peer);
        if (found != sessions.end()) {
            SSL_SESSION_free(found->second);
            std::erase_if(order, [&](const auto& entry) { return entry.second == peer; });
        } else if (sessions.size() >= kKeptSessions) {
            SSL_SESSION_free(sessions[order.begin()->second]);
            sessions.erase(order.begin()->second);
            order.erase(order.begin());
        }
        sessions[peer] = session;
        order[next++] = peer;
    }
};

// Never destroyed: connections may still end while the program exits, after OpenSSL has
// cleaned up, and their sessions need a cache to go to.
TSessionCache& Cache() {
    static TSessionCache* const cache = new TSessionCache;
    return *cache;
}

void ForgetPeer(void*, void* peer, CRYPTO_EX_DATA*, int, long, void*) {
    delete static_cast<std::string*>(peer);
}

// The index under which a connection carries its key in the cache.
int PeerIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, ForgetPeer);
    return index;
}

int KeepNewSession(SSL* ssl, SSL_SESSION* session) {
    const auto* peer = static_cast<const std::string*>(SSL_get_ex_data(ssl, PeerIndex()));
    if (!peer || !SSL_SESSION_is_resumable(session)) return 0;
    TSessionCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    cache.Keep(*peer, session);
    // The cache now holds the reference OpenSSL handed over.
    return 1;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : std::string();
}

std::shared_ptr<SSL_CTX> MakeContext() {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) return nullptr;
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(context, TLS1_3_VERSION);
    SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_default_verify_paths(context);
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(context, KeepNewSession);
    return std::shared_ptr<SSL_CTX>(context, SSL_CTX_free);
}

} // namespace

std::shared_ptr<SSL_CTX> TlsClientContext() {
    TSessionCache& cache = Cache();
    const std::string trust = Variable("SSL_CERT_FILE") + '\n' + Variable("SSL_CERT_DIR");
    std::lock_guard lock(cache.mutex);
    if (!cache.context || cache.trust != trust) {
        cache.Drop();
        cache.context = MakeContext();
        cache.trust = trust;
    }
    return cache.context;
}

void TlsResumeSession(SSL* ssl, const std::string& peer, bool checked) {
    TSessionCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    // A session checked under another trust store is never offered.
    const std::string key = cache.trust + (checked ? "\nchecked " : "\nunchecked ") + peer;
    SSL_set_ex_data(ssl, PeerIndex(), new std::string(key));
    const auto found = cache.sessions.find(key);
    if (found != cache.sessions.end()) SSL_set_session(ssl, found->second);
}

} // namespace qv::platform
