// An ordered list with the one cursor rule of the shredder object: GetFirst
// makes the first item current and puts the cursor on it; Next makes the item
// under the cursor current and moves the cursor on, so that after GetFirst the
// first Next yields the first item again. The caller's thread and the session
// worker both use the lists, so every member takes the list's lock.
#pragma once

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

namespace fraxil {

template <class T>
class CursorList {
public:
    // New items: no cursor, no current item.
    void Assign(std::vector<T> items) {
        std::lock_guard lock(mu_);
        items_ = std::move(items);
        cursor_ = current_ = -1;
    }
    void Clear() { Assign({}); }

    size_t Count() const {
        std::lock_guard lock(mu_);
        return items_.size();
    }
    std::vector<T> Items() const {
        std::lock_guard lock(mu_);
        return items_;
    }
    bool Contains(const T& item) const {
        std::lock_guard lock(mu_);
        return std::find(items_.begin(), items_.end(), item) != items_.end();
    }
    // False when the item is listed already.
    bool Append(const T& item) {
        std::lock_guard lock(mu_);
        if (std::find(items_.begin(), items_.end(), item) != items_.end()) return false;
        items_.push_back(item);
        return true;
    }
    // False when the item is not listed. The cursor stays on the item it was on.
    bool Remove(const T& item) {
        std::lock_guard lock(mu_);
        auto it = std::find(items_.begin(), items_.end(), item);
        if (it == items_.end()) return false;
        const long index = static_cast<long>(it - items_.begin());
        items_.erase(it);
        if (cursor_ > index) --cursor_;
        if (current_ == index) current_ = -1;
        else if (current_ > index) --current_;
        return true;
    }

    // Nothing for an empty list (the cursor then stays as it was).
    std::optional<T> First() {
        std::lock_guard lock(mu_);
        if (items_.empty()) return std::nullopt;
        current_ = 0;
        cursor_ = 0;
        return items_.front();
    }
    // Nothing at the end of the list or without a cursor.
    std::optional<T> Next() {
        std::lock_guard lock(mu_);
        if (cursor_ < 0 || cursor_ >= static_cast<long>(items_.size())) return std::nullopt;
        current_ = cursor_++;
        return items_[static_cast<size_t>(current_)];
    }
    std::optional<T> Current() const {
        std::lock_guard lock(mu_);
        if (current_ < 0 || current_ >= static_cast<long>(items_.size())) return std::nullopt;
        return items_[static_cast<size_t>(current_)];
    }
    std::optional<T> At(size_t index) const {
        std::lock_guard lock(mu_);
        if (index >= items_.size()) return std::nullopt;
        return items_[index];
    }

private:
    mutable std::mutex mu_;
    std::vector<T> items_;
    long cursor_ = -1;   // index of the next item, -1 without a cursor
    long current_ = -1;  // index of the current item, -1 without one
};

}  // namespace fraxil
