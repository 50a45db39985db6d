// List boxes (multi-select and check-box lists, drop targets) and combo boxes.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"
#include "text/text.h"

#include <string>
#include <vector>

namespace tidvex::controls::win32 {

// The items of a list box or a combo box, through each one's messages.
struct ItemMessages {
    UINT add, count, textLength, text, remove, reset;
};

// The window keeps the items in UTF-16 and is sent the wide messages.
template <class Base>
class Win32Items : public Win32Control<Base> {
public:
    using Base::AddItem;
    void AddItem(const std::wstring& item) override { Send(m_.add, 0, reinterpret_cast<LPARAM>(item.c_str())); }
    int ListCount() const override { return static_cast<int>(Send(m_.count, 0, 0)); }
    std::wstring List(int index) const override {
        if (!Valid(index)) return {};
        const auto length = Send(m_.textLength, static_cast<WPARAM>(index), 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        Send(m_.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    void RemoveItem(int index) override {
        if (!Valid(index)) return;
        Send(m_.remove, static_cast<WPARAM>(index), 0);
        Removed(index);
    }
    void Clear() override {
        Send(m_.reset, 0, 0);
        Removed(-1);
    }

protected:
    Win32Items(ControlKind kind, ItemMessages messages) : Win32Control<Base>(kind), m_(messages) {}
    bool Valid(int index) const { return index >= 0 && index < ListCount(); }
    LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) const { return SendMessageW(this->hwnd(), msg, wp, lp); }
    // After an item went (-1: all of them).
    virtual void Removed(int) {}

private:
    ItemMessages m_;
};

class Win32ListBox final : public Win32Items<ListBox> {
public:
    struct Options {
        bool multiSelect = false;
        bool checkBoxes = false;
        bool dropTarget = false;
    };
    Win32ListBox(HWND parent, Bounds at, Options options);
    Win32ListBox(HWND parent, Bounds at) : Win32ListBox(parent, at, Options{}) {}
    int ListIndex() const override;
    void ListIndex(int index) override;
    bool Selected(int index) const override;
    void Selected(int index, bool on) override;
    bool Checked(int index) const override;
    void Checked(int index, bool on) override;
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Removed(int index) override;
    void ToggleCheck(int index);
    Options options_;
    int listIndex_ = -1;  // of a multi-select list, which has no current selection
};

class Win32ComboBox final : public Win32Items<ComboBox> {
public:
    Win32ComboBox(HWND parent, Bounds at);
    int ListIndex() const override;
    void ListIndex(int index) override;
    std::string Text() const override { return text::Narrow(List(ListIndex())); }
    bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace tidvex::controls::win32
