#pragma once

#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace qv::server {

// Replies of a read-only corpus, kept by request key and dropped least recently used
// first once their size passes the capacity. Safe to use from several threads.
class ReplyCache {
public:
    explicit ReplyCache(size_t capacityBytes) : capacity_(capacityBytes) {}

    std::optional<std::string> Find(const std::string& key);
    void Store(const std::string& key, std::string reply);
    size_t Bytes() const;

private:
    using Entry = std::pair<std::string, std::string>;

    const size_t capacity_;
    mutable std::mutex mutex_;
    std::list<Entry> entries_;
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    size_t bytes_ = 0;
};

} // namespace qv::server
