#include "server/TermCounter.h"

#include <algorithm>
#include <cstring>

namespace qv::server {

namespace {

constexpr size_t kFirstSlots = 4096;
constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15;

// Words are mostly short: eight bytes at a time, inline, beats a general hash of strings.
uint64_t WordHash(std::string_view word, uint32_t country) {
    uint64_t hash = (word.size() + (uint64_t{country} << 32)) * kMultiplier;
    size_t i = 0;
    for (; i + sizeof(uint64_t) <= word.size(); i += sizeof(uint64_t)) {
        uint64_t chunk;
        std::memcpy(&chunk, word.data() + i, sizeof chunk);
        hash = (hash ^ chunk) * kMultiplier;
        hash ^= hash >> 29;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, word.data() + i, word.size() - i);
    hash = (hash ^ tail) * kMultiplier;
    return hash ^ (hash >> 32);
}

uint64_t Prefix(std::string_view word) {
    uint64_t prefix = 0;
    for (size_t i = 0; i < sizeof prefix; ++i)
        prefix = prefix << 8 | (i < word.size() ? static_cast<unsigned char>(word[i]) : 0u);
    return prefix;
}

} // namespace

uint32_t TermCounter::CountryIndex(const std::string& country) {
    const auto known = std::find(countries_.begin(), countries_.end(), country);
    if (known != countries_.end()) return static_cast<uint32_t>(known - countries_.begin());
    countries_.push_back(country);
    return static_cast<uint32_t>(countries_.size() - 1);
}

void TermCounter::Grow() {
    std::vector<Slot> slots(std::max(kFirstSlots, slots_.size() * 2));
    const size_t mask = slots.size() - 1;
    for (size_t i = 0; i < pending_.size(); ++i) {
        size_t slot = pending_[i].hash & mask;
        while (slots[slot].entry)
            slot = (slot + 1) & mask;
        slots[slot] = {static_cast<uint32_t>(pending_[i].hash >> 32), static_cast<uint32_t>(i + 1)};
    }
    slots_ = std::move(slots);
}

TermCounter::Pending& TermCounter::Find(std::string_view word, uint32_t country) {
    if ((pending_.size() + 1) * 2 > slots_.size()) Grow();
    const uint64_t hash = WordHash(word, country);
    const auto tag = static_cast<uint32_t>(hash >> 32);
    const size_t mask = slots_.size() - 1;
    size_t slot = hash & mask;
    for (; slots_[slot].entry; slot = (slot + 1) & mask) {
        if (slots_[slot].hashTag != tag) continue;
        Pending& pending = pending_[slots_[slot].entry - 1];
        if (pending.hash == hash && pending.country == country && WordOf(pending) == word) return pending;
    }
    pending_.push_back({hash, Prefix(word), static_cast<uint32_t>(words_.size()),
                        static_cast<uint32_t>(word.size()), country, 0, 0});
    words_.append(word);
    slots_[slot] = {tag, static_cast<uint32_t>(pending_.size())};
    return pending_.back();
}

void TermCounter::StartTender(const std::string& country, int change) {
    ++tender_;
    country_ = CountryIndex(country);
    change_ = change;
}

void TermCounter::AddWord(std::string_view word) {
    Pending& pending = Find(word, country_);
    if (pending.tender == tender_) return;
    pending.tender = tender_;
    pending.change += change_;
}

void TermCounter::EndTender() {
    if (pending_.size() > kMaxPending || words_.size() > kMaxPendingBytes) Flush();
}

void TermCounter::Flush() {
    // In word order, which is the table's order, the rows go in without jumping about its tree.
    std::vector<const Pending*> sorted;
    sorted.reserve(pending_.size());
    for (const auto& pending : pending_)
        if (pending.change != 0) sorted.push_back(&pending);
    std::sort(sorted.begin(), sorted.end(), [&](const Pending* a, const Pending* b) {
        if (a->prefix != b->prefix) return a->prefix < b->prefix;
        const int order = WordOf(*a).compare(WordOf(*b));
        return order != 0 ? order < 0 : countries_[a->country] < countries_[b->country];
    });
    std::string word;
    for (const Pending* pending : sorted) {
        word.assign(WordOf(*pending));
        write_(word, countries_[pending->country], pending->change);
    }
    Discard();
}

void TermCounter::Discard() {
    pending_.clear();
    words_.clear();
    slots_.clear();
    countries_.clear();
}

} // namespace qv::server
