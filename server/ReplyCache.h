#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace qv::server {

// Replies kept by request key and dropped least recently used first once their size passes the
// capacity, or all at once when the tenders change. Safe to use from several threads.
class ReplyCache {
public:
    explicit ReplyCache(size_t capacityBytes) : capacity_(capacityBytes) {}

    std::optional<std::string> Find(const std::string& key);
    // Keeps the reply unless the cache was cleared since `generation` was read.
    void Store(const std::string& key, std::string reply, uint64_t generation);
    void Store(const std::string& key, std::string reply) { Store(key, std::move(reply), Generation()); }
    // Counts the clearings.
    uint64_t Generation() const;
    void Clear();
    size_t Bytes() const;

private:
    using Entry = std::pair<std::string, std::string>;

    const size_t capacity_;
    mutable std::mutex mutex_;
    std::list<Entry> entries_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    size_t bytes_ = 0;
    uint64_t generation_ = 0;
};

} // namespace qv::server
