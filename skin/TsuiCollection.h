#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace qv::skin {

// The items of a control's collection property (a title bar's sections or buttons). They read
// like a list; every change goes through the collection, which then tells its owner, so that
// the owner repaints.
template <typename Item>
class TsuiCollection {
public:
    explicit TsuiCollection(std::function<void()> changed) : changed_(std::move(changed)) {}

    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const Item& operator[](size_t index) const { return items_.at(index); }
    const Item& front() const { return items_.front(); }
    auto begin() const { return items_.cbegin(); }
    auto end() const { return items_.cend(); }

    void Add(Item item) {
        items_.push_back(std::move(item));
        changed_();
    }
    void Delete(size_t index) {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
        changed_();
    }
    // Replaces every item at once, with one notice.
    void Assign(std::vector<Item> items) {
        items_ = std::move(items);
        changed_();
    }
    // Changes the item at the index with `change(item)`, then tells the owner.
    template <typename Change>
    void Update(size_t index, Change&& change) {
        std::forward<Change>(change)(items_.at(index));
        changed_();
    }
    // Changes every item with `change(item)`, with one notice.
    template <typename Change>
    void UpdateAll(Change&& change) {
        for (Item& item : items_)
            change(item);
        changed_();
    }

private:
    std::vector<Item> items_;
    std::function<void()> changed_;
};

} // namespace qv::skin
