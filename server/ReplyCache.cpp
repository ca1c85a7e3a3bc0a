#include "server/ReplyCache.h"

namespace qv::server {

std::optional<std::string> ReplyCache::Find(const std::string& key) {
    const std::lock_guard lock(mutex_);
    const auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->second;
}

void ReplyCache::Store(const std::string& key, std::string reply, uint64_t generation) {
    const size_t size = key.size() + reply.size();
    if (size > capacity_) return;
    const std::lock_guard lock(mutex_);
    if (generation != generation_ || index_.count(key)) return;
    entries_.emplace_front(key, std::move(reply));
    index_.emplace(key, entries_.begin());
    bytes_ += size;
    while (bytes_ > capacity_) {
        const Entry& oldest = entries_.back();
        bytes_ -= oldest.first.size() + oldest.second.size();
        index_.erase(oldest.first);
        entries_.pop_back();
    }
}

uint64_t ReplyCache::Generation() const {
    const std::lock_guard lock(mutex_);
    return generation_;
}

void ReplyCache::Clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
    index_.clear();
    bytes_ = 0;
    ++generation_;
}

size_t ReplyCache::Bytes() const {
    const std::lock_guard lock(mutex_);
    return bytes_;
}

} // namespace qv::server
