// The controls of the main window that the services read and fill, as small
// interfaces: the main window adapts its real controls to them, and tests (and
// code that runs before the window exists) use the in-memory ones below.
#pragma once

#include <string>
#include <vector>

namespace tidvex::services {

// A list box: items in the order added, indexed from 0.
class ListBox {
public:
    virtual ~ListBox() = default;
    virtual void AddItem(const std::string& item) = 0;
    virtual int ListCount() const = 0;
    virtual std::string List(int index) const = 0;
    virtual void RemoveItem(int index) = 0;
    virtual void Clear() = 0;
};

// A check box: 0 off, non-zero on (the program writes -1 for on).
class CheckBox {
public:
    virtual ~CheckBox() = default;
    virtual int Value() const = 0;
    virtual void Value(int state) = 0;
};

class MemoryListBox final : public ListBox {
public:
    void AddItem(const std::string& item) override { items_.push_back(item); }
    int ListCount() const override { return static_cast<int>(items_.size()); }
    std::string List(int index) const override {
        return index >= 0 && index < ListCount() ? items_[static_cast<size_t>(index)] : std::string();
    }
    void RemoveItem(int index) override {
        if (index >= 0 && index < ListCount()) items_.erase(items_.begin() + index);
    }
    void Clear() override { items_.clear(); }
    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
};

class MemoryCheckBox final : public CheckBox {
public:
    explicit MemoryCheckBox(int state = 0) : state_(state) {}
    int Value() const override { return state_; }
    void Value(int state) override { state_ = state; }

private:
    int state_;
};

}  // namespace tidvex::services
