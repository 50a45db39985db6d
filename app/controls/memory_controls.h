// In-memory controls: what a test or a window-less caller reads and sets.
#pragma once

#include "controls/controls.h"

#include <memory>
#include <vector>

namespace tidvex::controls {

template <class Base>
class MemoryItems : public Base {
public:
    void AddItem(const std::string& item) override {
        items_.push_back(item);
        selected_.push_back(false);
    }
    int ListCount() const override { return static_cast<int>(items_.size()); }
    std::string List(int index) const override { return Valid(index) ? items_[Slot(index)] : std::string(); }
    void RemoveItem(int index) override {
        if (!Valid(index)) return;
        items_.erase(items_.begin() + index);
        selected_.erase(selected_.begin() + index);
        if (listIndex_ == index) listIndex_ = -1;
        else if (listIndex_ > index) --listIndex_;
    }
    void Clear() override {
        items_.clear();
        selected_.clear();
        listIndex_ = -1;
    }
    int ListIndex() const override { return listIndex_; }
    void ListIndex(int index) override { listIndex_ = Valid(index) ? index : -1; }
    const std::vector<std::string>& Items() const { return items_; }

protected:
    bool Valid(int index) const { return index >= 0 && index < ListCount(); }
    static size_t Slot(int index) { return static_cast<size_t>(index); }

    std::vector<std::string> items_;
    std::vector<bool> selected_;
    int listIndex_ = -1;
};

class MemoryListBox final : public MemoryItems<ListBox> {
public:
    bool Selected(int index) const override { return Valid(index) && selected_[Slot(index)]; }
    void Selected(int index, bool on) override {
        if (Valid(index)) selected_[Slot(index)] = on;
    }
};

class MemoryComboBox final : public MemoryItems<ComboBox> {
public:
    std::string Text() const override { return List(listIndex_); }
};

class MemoryCheckBox final : public CheckBox {
public:
    explicit MemoryCheckBox(int state = 0) : state_(state) {}
    int Value() const override { return state_; }
    void Value(int state) override { state_ = state; }
    bool Enabled() const override { return enabled_; }
    void Enabled(bool on) override { enabled_ = on; }

private:
    int state_;
    bool enabled_ = true;
};
using MemoryOptionButton = MemoryCheckBox;

class MemoryTextBox final : public TextBox {
public:
    explicit MemoryTextBox(std::string text = {}) : text_(std::move(text)) {}
    std::string Text() const override { return text_; }
    void Text(const std::string& text) override { text_ = text; }

private:
    std::string text_;
};

// Makes in-memory controls holding their design-time values and items.
class MemoryControlFactory final : public ControlFactory {
public:
    std::unique_ptr<CheckBox> MakeCheckBox(const ControlDesign& design) override {
        return std::make_unique<MemoryCheckBox>(design.value);
    }
    std::unique_ptr<OptionButton> MakeOptionButton(const ControlDesign& design) override {
        return std::make_unique<MemoryOptionButton>(design.value);
    }
    std::unique_ptr<ListBox> MakeListBox(const ControlDesign& design) override { return Filled<MemoryListBox>(design); }
    std::unique_ptr<ComboBox> MakeComboBox(const ControlDesign& design) override {
        return Filled<MemoryComboBox>(design);
    }
    std::unique_ptr<TextBox> MakeTextBox(const ControlDesign& design) override {
        return std::make_unique<MemoryTextBox>(design.caption);
    }

private:
    template <class T>
    static std::unique_ptr<T> Filled(const ControlDesign& design) {
        auto list = std::make_unique<T>();
        for (const auto& item : design.items) list->AddItem(item);
        return list;
    }
};

}  // namespace tidvex::controls
